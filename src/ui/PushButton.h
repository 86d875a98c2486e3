#pragma once

#include <QPushButton>

namespace ui {

// A command button that Enter and Space both press while it has the focus, and that never
// becomes a window's default button (Enter in a text field belongs to that field).
class PushButton : public QPushButton
{
    Q_OBJECT

public:
    explicit PushButton(const QString &caption, QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace ui
