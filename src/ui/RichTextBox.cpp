#include "ui/RichTextBox.h"

namespace ui {

RichTextBox::RichTextBox(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
}

QString RichTextBox::text() const
{
    return toPlainText();
}

void RichTextBox::setText(const QString &text)
{
    setPlainText(text);
}

} // namespace ui
