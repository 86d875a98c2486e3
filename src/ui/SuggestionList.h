#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class QKeyEvent;
class QLineEdit;
class QListWidget;

namespace ui {

// A list of suggestions that opens under a text field while the person types in it. The
// list is a child of the field's window and never takes the focus, so the field keeps the
// focus, its leave processing does not run, and every key reaches the field as before,
// except while the list is open: Down and Up pick a suggestion, Enter takes the picked
// one into the field, Esc closes the list. Enter with nothing picked closes the list and
// goes on to the field.
//
// The list watches the field's keys with an event filter. Filters run last installed first,
// so create the list after the window's own filter is on the field.
class SuggestionList : public QObject
{
    Q_OBJECT

public:
    using Source = std::function<QStringList(const QString &typed)>;

    SuggestionList(QLineEdit *field, Source source);

    bool isOpen() const;
    void close();
    QListWidget *list() const { return m_list; }
    // The suggestions on show, top first.
    QStringList shown() const;

Q_SIGNALS:
    // A suggestion was taken into the field.
    void taken(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refresh(const QString &typed);
    bool keyPressed(const QKeyEvent *key);
    void take(const QString &text);

    QLineEdit *m_field;
    QListWidget *m_list;
    Source m_source;
    bool m_taking = false;
};

} // namespace ui
