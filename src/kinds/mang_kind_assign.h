#pragma once

#include <QDialog>

class QComboBox;
class QLabel;

namespace ui {
class PushButton;
}

// Asks, while a kind is being deleted, which kind its entries should move to. Offers every
// other kind in list order, the first one selected.
class mang_kind_assign : public QDialog
{
    Q_OBJECT

public:
    // deletedName is shown in the explanation; deletedId is left out of the choices.
    explicit mang_kind_assign(const QString &deletedName, qint64 deletedId, QWidget *parent = nullptr);

    QLabel *Label1;
    QComboBox *cob_kind;
    ui::PushButton *cmd_ok;

    // The kind chosen: the selected one after ok, the first listed one when the dialog was
    // closed any other way; 0 when no kind is listed.
    qint64 chosenKind() const;
    int choiceCount() const;
};
