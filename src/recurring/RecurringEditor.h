#pragma once

#include "store/RecurringStore.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;

// One recurring item, new or changed: what it enters (收支, kind, description, amount or 金額每次不同,
// remark), when (first date, how often, until when) and whether its occurrences come ticked
// (自動記入) or not (提醒我) in the due list. 確定 saves it after checking every field; the
// next occurrences are shown as they will fall.
class RecurringEditor : public QDialog
{
    Q_OBJECT

public:
    explicit RecurringEditor(const RecurringStore::Item &item, QWidget *parent = nullptr);

    // The id the item was saved under, once 確定 has saved it.
    qint64 savedId() const { return m_item.id; }

    QComboBox *inout;
    QComboBox *kind;
    QLineEdit *account_name;
    QLineEdit *money;
    QCheckBox *amount_varies;
    QLineEdit *note_one;
    QLineEdit *first_date;
    QComboBox *rule;
    QSpinBox *number;
    QSpinBox *day;
    QComboBox *weekday;
    QComboBox *end;
    QLineEdit *last_date;
    QSpinBox *times;
    QRadioButton *automatic;
    QRadioButton *remind;
    QLabel *upcoming;

private:
    // The schedule as the fields give it; nothing, with why, when a field is wrong.
    std::optional<Recurrence> schedule(QString *why, QWidget **field) const;
    void showRule();
    void save();

    RecurringStore::Item m_item;
};
