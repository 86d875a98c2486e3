#pragma once

#include <QDialog>

#include <optional>

class QComboBox;
class QLabel;

namespace ui {
class PushButton;
}

// Asks, while a kind is being deleted, which kind its entries should move to. Offers every
// other kind in list order with none selected: the entries move only to a kind the person
// picked, and 取消, Esc or the close box end the deletion.
class mang_kind_assign : public QDialog
{
    Q_OBJECT

public:
    // deletedName is shown in the explanation; deletedId is left out of the choices.
    // entries is how many entries will move.
    mang_kind_assign(const QString &deletedName, qint64 deletedId, qint64 entries, QWidget *parent = nullptr);

    QLabel *Label1;
    QComboBox *cob_kind;
    QLabel *Label2; // how many entries move
    ui::PushButton *cmd_ok;
    ui::PushButton *cmd_cancel;

    // The kind picked, once ok closed the dialog; nothing when it was closed any other way.
    std::optional<qint64> chosenKind() const;
    int choiceCount() const;
};
