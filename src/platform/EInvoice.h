#pragma once

#include "platform/Decimal.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QVector>

#include <optional>

// The e-invoice files of a carrier (載具) as the Ministry of Finance's platform gives them: the old
// mailed summary (Big5, "M|" and "D|" lines), the current mailed summary (UTF-8, a 表頭= header)
// and the download 雲端發票明細 (UTF-8, one comma-separated row per item, no invoice total). The
// layout is told from the content, never from the file's name.
namespace EInvoice {

enum class Layout { OldMail, Mail, Download };

struct Item
{
    QString name;
    Decimal amount; // may be 0 (a gift, points) or negative (a discount)
};

struct Invoice
{
    QString number; // 2 letters and 8 digits; in a download, masked for donated and voided ones
    QDate date;
    QString sellerId; // 統編, leading zeros kept
    QString seller; // as the file writes it
    bool voided = false; // 作廢
    std::optional<Decimal> total; // the mailed summaries' 總金額; none in a download
    QVector<Item> items;
    int line = 0; // where it starts in its file

    // The total the entry takes: 總金額 where the file has one, else the sum of the items.
    Decimal amount() const;
    Decimal itemsSum() const;
    // The items do not add up to the file's 總金額.
    bool totalDiffers() const;
    // A number whose last digits the platform hid: it cannot tell the invoice by itself.
    bool masked() const;
    // What tells this invoice from every other: its number and date (and, for a masked number,
    // its seller and amount too).
    QString identity() const;
};

struct File
{
    Layout layout = Layout::Download;
    QString encoding;
    QVector<Invoice> invoices;
};

// Reads a file's bytes. A file that is no e-invoice file, or a line that cannot be read, gives
// nothing and *why names the line and what is wrong.
std::optional<File> read(const QByteArray &bytes, QString *why);

// The company a seller's name stands for, the same for every branch: the text before
// 股份有限公司, 有限公司 or 商行, without outer spaces (full-width ones too).
QString shortName(const QString &seller);

} // namespace EInvoice
