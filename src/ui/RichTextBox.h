#pragma once

#include <QPlainTextEdit>

namespace ui {

// A multi-line plain-text field. Tab leaves it instead of typing a tab.
//
// A line is laid out whole, so one very long line (a pasted text of a million characters)
// would stop the window for seconds each time it is shown. Such a line is shown cut into
// pieces of its own paragraphs, each marked as continuing the line before it: only the pieces
// on the screen are laid out, and text() joins them again, exactly as given. While pieces
// are shown the box keeps no undo history of its own, since taking back an edit would not
// know where the pieces join.
class RichTextBox : public QPlainTextEdit
{
    Q_OBJECT

public:
    // Lines longer than this are shown in pieces of this length.
    static constexpr qsizetype pieceLength = 1000;

    explicit RichTextBox(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;

private:
    // The text of the document from..to with the joins of pieces taken out.
    QString joined(QString plain, int from) const;
    bool m_pieces = false;
};

} // namespace ui
