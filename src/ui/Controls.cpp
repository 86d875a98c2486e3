#include "ui/Controls.h"

#include "ui/PushButton.h"
#include "ui/Twips.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <limits>

namespace ui {

namespace {

template <typename Control> Control *placed(Control *control, int left, int top, int width, int height)
{
    place(control, left, top, width, height);
    return control;
}

} // namespace

QLabel *label(QWidget *parent, const char *name, const QString &caption, int left, int top, int width, int height)
{
    return placed(named(new QLabel(caption, parent), name), left, top, width, height);
}

PushButton *button(QWidget *parent, const char *name, const QString &caption, int left, int top, int width, int height)
{
    return placed(named(new PushButton(caption, parent), name, caption), left, top, width, height);
}

QLineEdit *textBox(
    QWidget *parent, const char *name, const QString &accessibleName, int left, int top, int width, int height)
{
    auto *box = new QLineEdit(parent);
    // A field cuts what it is given at its greatest length without a word; an entry read back
    // into the fields and saved again would lose the rest. The ledger sets no such limit.
    box->setMaxLength(std::numeric_limits<int>::max());
    return placed(named(box, name, accessibleName), left, top, width, height);
}

QRadioButton *option(
    QWidget *parent, const char *name, const QString &caption, int left, int top, int width, int height)
{
    return placed(named(new QRadioButton(caption, parent), name), left, top, width, height);
}

QGroupBox *frame(QWidget *parent, const char *name, const QString &caption, int left, int top, int width, int height)
{
    return placed(named(new QGroupBox(caption, parent), name), left, top, width, height);
}

} // namespace ui
