#pragma once

#include <QObject>

class QWidget;

namespace ui {

// Entering a text field or an editable combo box from the keyboard (Tab, Shift+Tab, Enter
// moving on from the field before, a check handing the focus back) selects its whole text,
// so that what the person types replaces it. A click keeps placing the cursor where it lands,
// and coming back from a box or a popup leaves the selection as it was. Multi-line boxes are
// left alone: typing over a whole note by accident would lose it.
class FieldEnter : public QObject
{
    Q_OBJECT

public:
    // Watches every single-line text field and editable combo box inside window.
    static void watchAll(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit FieldEnter(QWidget *window);
};

} // namespace ui
