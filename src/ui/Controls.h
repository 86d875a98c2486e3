#pragma once

// The controls the windows are built of, each named for tests and the accessibility tree and
// placed at its spot in twips.

#include <QString>

class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace ui {

class PushButton;

// Sets a control's object name and, when one is given, its accessible name.
template <typename Control>
Control *named(Control *control, const char *name, const QString &accessibleName = QString())
{
    control->setObjectName(QString::fromLatin1(name));
    if (!accessibleName.isEmpty())
        control->setAccessibleName(accessibleName);
    return control;
}

QLabel *label(QWidget *parent, const char *name, const QString &caption, int left, int top, int width, int height);

// A button whose accessible name is its caption.
PushButton *button(QWidget *parent, const char *name, const QString &caption, int left, int top, int width, int height);

QLineEdit *textBox(
    QWidget *parent, const char *name, const QString &accessibleName, int left, int top, int width, int height);

QRadioButton *option(
    QWidget *parent, const char *name, const QString &caption, int left, int top, int width, int height);

QGroupBox *frame(QWidget *parent, const char *name, const QString &caption, int left, int top, int width, int height);

} // namespace ui
