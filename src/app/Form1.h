#pragma once

#include <QWidget>

class QCheckBox;

namespace ui {
class PushButton;
}

// The main menu: opens the daily-entry window, the query window, the kind manager, the
// recurring items (固定收支) and the imports of e-invoices and statements (匯入…), shows the
// about box, holds the choice of 民國 or 西元 years in the grids and reports (kept from run to
// run), and ends the run when it closes.
class Form1 : public QWidget
{
    Q_OBJECT

public:
    explicit Form1(QWidget *parent = nullptr);

    // Shows what recurring items fall due up to today, when any do; start-up calls it once the
    // menu is shown.
    void offerDueRecurring();

    ui::PushButton *Input;
    ui::PushButton *cmd_check;
    ui::PushButton *Command1;
    ui::PushButton *cmd_recurring;
    ui::PushButton *cmd_invoices;
    ui::PushButton *exit;
    ui::PushButton *cmd_about;
    QCheckBox *date_roc;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void openInput();
    void openCheck();
    void openKindManager();
    void openRecurring();
    void importInvoices();
    void showAbout();
    void showRocDates(bool roc);
};
