#include "ui/RichTextBox.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextDocument>

namespace ui {

namespace {

// The state of a paragraph that goes on the line of the one before it.
constexpr int continuesLine = 1;

bool continues(const QTextBlock &block)
{
    return block.isValid() && block.userState() == continuesLine;
}

} // namespace

RichTextBox::RichTextBox(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
}

QString RichTextBox::joined(QString plain, int from) const
{
    if (!m_pieces)
        return plain;
    // Each paragraph but the first starts one place after the break before it; the breaks
    // of pieces are dropped from the end backwards, so earlier places stay put.
    const int to = from + int(plain.size());
    QTextBlock block = document()->findBlock(std::max(0, to));
    if (!block.isValid())
        block = document()->lastBlock();
    for (; block.isValid() && block.position() > from; block = block.previous()) {
        const int cut = block.position() - 1 - from;
        if (continues(block) && cut < plain.size())
            plain.remove(cut, 1);
    }
    return plain;
}

QString RichTextBox::text() const
{
    return joined(toPlainText(), 0);
}

void RichTextBox::setText(const QString &text)
{
    bool longLine = false;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i <= text.size() && !longLine; ++i) {
        if (i == text.size() || text.at(i) == QLatin1Char('\n')) {
            longLine = i - lineStart > pieceLength;
            lineStart = i + 1;
        }
    }
    m_pieces = false;
    setUndoRedoEnabled(true);
    if (!longLine) {
        setPlainText(text);
        return;
    }

    // Cut every long line into pieces, never between the two halves of a surrogate pair.
    QString shown;
    shown.reserve(text.size() + text.size() / pieceLength + 1);
    QVector<int> pieceStarts; // paragraph numbers that continue the line before
    int paragraph = 0;
    qsizetype inLine = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\n')) {
            inLine = 0;
            ++paragraph;
        } else if (inLine >= pieceLength && !c.isLowSurrogate()) {
            shown += QLatin1Char('\n');
            pieceStarts.append(++paragraph);
            inLine = 0;
        }
        shown += c;
        if (c != QLatin1Char('\n'))
            ++inLine;
    }
    setUndoRedoEnabled(false);
    setPlainText(shown);
    for (const int number : pieceStarts)
        document()->findBlockByNumber(number).setUserState(continuesLine);
    m_pieces = true;
}

void RichTextBox::keyPressEvent(QKeyEvent *event)
{
    // At the join of two pieces, Backspace and Delete take the character beyond it, as they
    // would on the one line the pieces are.
    QTextCursor cursor = textCursor();
    if (m_pieces && !cursor.hasSelection() && event->modifiers() == Qt::NoModifier) {
        const QTextBlock block = cursor.block();
        if (event->key() == Qt::Key_Backspace && cursor.atBlockStart() && continues(block)
            && block.previous().length() > 1) {
            cursor.movePosition(QTextCursor::PreviousCharacter);
            cursor.deletePreviousChar();
            setTextCursor(cursor);
            return;
        }
        if (event->key() == Qt::Key_Delete && cursor.atBlockEnd() && continues(block.next())
            && block.next().length() > 1) {
            cursor.movePosition(QTextCursor::NextCharacter);
            cursor.deleteChar();
            cursor.movePosition(QTextCursor::PreviousCharacter);
            setTextCursor(cursor);
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

QMimeData *RichTextBox::createMimeDataFromSelection() const
{
    if (!m_pieces)
        return QPlainTextEdit::createMimeDataFromSelection();
    // The box's own data would read the selection with the joins as line ends.
    const QTextCursor cursor = textCursor();
    const int from = cursor.selectionStart();
    auto *mime = new QMimeData;
    mime->setText(joined(toPlainText().mid(from, cursor.selectionEnd() - from), from));
    return mime;
}

} // namespace ui
