#include "ui/SuggestionList.h"

#include "platform/Numbers.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>

namespace ui {

SuggestionList::SuggestionList(QLineEdit *field, Source source)
    : QObject(field)
    , m_field(field)
    , m_list(new QListWidget(field->parentWidget()))
    , m_source(std::move(source))
{
    m_list->setObjectName(field->objectName() + QStringLiteral("_suggestions"));
    m_list->setAccessibleName(field->accessibleName() + QStringLiteral("建議"));
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setFont(field->font());
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setUniformItemSizes(true);
    m_list->hide();

    connect(m_field, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (!m_taking)
            refresh(text);
    });
    connect(m_list, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) { take(item->text()); });
    m_field->installEventFilter(this);
}

bool SuggestionList::isOpen() const
{
    return m_list->isVisible();
}

void SuggestionList::close()
{
    m_list->hide();
    m_list->clear();
}

QStringList SuggestionList::shown() const
{
    QStringList texts;
    if (!isOpen())
        return texts;
    for (int i = 0; i < m_list->count(); ++i)
        texts << m_list->item(i)->text();
    return texts;
}

void SuggestionList::refresh(const QString &typed)
{
    const QStringList found = m_source(typed);
    // A lone suggestion that is exactly what stands in the field offers nothing.
    if (found.isEmpty() || (found.size() == 1 && found.first() == Numbers::trimBlanks(typed))) {
        close();
        return;
    }
    m_list->clear();
    m_list->addItems(found);
    m_list->setCurrentRow(-1);
    m_list->clearSelection();

    const int rowHeight = std::max(1, m_list->sizeHintForRow(0));
    const int frame = 2 * m_list->frameWidth();
    const QPoint below = m_field->geometry().bottomLeft() + QPoint(0, 1);
    m_list->setGeometry(below.x(), below.y(), m_field->width(), rowHeight * int(found.size()) + frame);
    m_list->show();
    m_list->raise();
}

bool SuggestionList::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field) {
        if (event->type() == QEvent::FocusOut)
            close();
        else if (event->type() == QEvent::KeyPress && isOpen())
            return keyPressed(static_cast<QKeyEvent *>(event));
    }
    return QObject::eventFilter(watched, event);
}

bool SuggestionList::keyPressed(const QKeyEvent *key)
{
    if (key->modifiers() & ~(Qt::KeypadModifier))
        return false;
    const int current = m_list->currentRow();
    switch (key->key()) {
    case Qt::Key_Down:
        m_list->setCurrentRow(std::min(current + 1, m_list->count() - 1));
        return true;
    case Qt::Key_Up:
        if (current <= 0) {
            m_list->setCurrentRow(-1);
            m_list->clearSelection();
        } else {
            m_list->setCurrentRow(current - 1);
        }
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (current >= 0 && m_list->item(current)->isSelected()) {
            take(m_list->item(current)->text());
            return true;
        }
        close();
        return false;
    case Qt::Key_Escape:
        close();
        return true;
    default:
        return false;
    }
}

void SuggestionList::take(const QString &text)
{
    // Inserted over the whole text rather than set, so the field's own undo can take it back.
    m_taking = true;
    m_field->selectAll();
    m_field->insert(text);
    m_taking = false;
    close();
    Q_EMIT taken(text);
}

} // namespace ui
