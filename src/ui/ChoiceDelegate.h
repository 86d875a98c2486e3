#pragma once

#include <QStyledItemDelegate>
#include <QVector>

// A table cell picked from a list (a kind, a direction): the cell shows the choice's text and
// keeps its value under Qt::UserRole.
namespace ui {

class ChoiceDelegate : public QStyledItemDelegate
{
public:
    ChoiceDelegate(QVector<std::pair<QString, qint64>> choices, QObject *parent);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

private:
    QVector<std::pair<QString, qint64>> m_choices;
};

} // namespace ui
