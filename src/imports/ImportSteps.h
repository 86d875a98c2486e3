#pragma once

#include "store/InvoiceStore.h"

class QDialog;
class QDialogButtonBox;
class QPushButton;
class QWidget;

// What every import window does the same way.
namespace imports {

// 確定 and 取消 of an import window: 確定 brings in (guarded), 取消 closes.
QDialogButtonBox *okAndCancel(
    QDialog *window, QPushButton **ok, QPushButton **cancel, const std::function<void()> &bringIn);

// Makes the day's copy of the ledger when one is due, so the ledger before an import can always be
// had back; false (the person told) when it could not be made.
bool backedUp(QWidget *parent);

// Says what an import did, with 復原這次匯入 when it changed the ledger, and takes it back on that.
void tell(QWidget *parent, const InvoiceStore::Outcome &outcome, const QString &summary);

} // namespace imports
