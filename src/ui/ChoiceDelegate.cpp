#include "ui/ChoiceDelegate.h"

#include <QComboBox>

namespace ui {

ChoiceDelegate::ChoiceDelegate(QVector<std::pair<QString, qint64>> choices, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_choices(std::move(choices))
{
}

QWidget *ChoiceDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const
{
    auto *box = new QComboBox(parent);
    for (const auto &[text, value] : m_choices)
        box->addItem(text, value);
    return box;
}

void ChoiceDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *box = static_cast<QComboBox *>(editor);
    box->setCurrentIndex(std::max(0, box->findData(index.data(Qt::UserRole))));
}

void ChoiceDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    auto *box = static_cast<QComboBox *>(editor);
    model->setData(index, box->currentText(), Qt::DisplayRole);
    model->setData(index, box->currentData(), Qt::UserRole);
}

} // namespace ui
