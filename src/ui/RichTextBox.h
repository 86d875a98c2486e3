#pragma once

#include <QPlainTextEdit>

namespace ui {

// A multi-line plain-text field. Tab leaves it instead of typing a tab.
class RichTextBox : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit RichTextBox(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);
};

} // namespace ui
