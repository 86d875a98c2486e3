#pragma once

#include "platform/Decimal.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// A bank or card statement saved as CSV, of any bank's layout: its rows as text, which row holds
// the column names, which columns give the date, the description and the amount, and the
// transactions read with that mapping. The mapping is guessed from the column names and can be
// set by the person; lines before the header (a title, the period, the account) and after the
// data (totals) are not transactions.
namespace Statement {

struct Table
{
    QString encoding;
    QVector<QStringList> rows; // every line of the file, split into cells
    // The statement's year and month where a line before the data says it (a card statement's
    // title), for dates written as month and day alone.
    QDate month;
};

// Splits the file into cells: commas outside double quotes, "" inside them a quote; a cell
// written as an Excel formula ="…" gives its text; cells lose outer spaces and tabs.
Table table(const QByteArray &bytes);

struct Mapping
{
    int headerRow = -1;
    int date = -1;
    int description = -1;
    int amount = -1; // one signed column, or
    int expense = -1; // 支出 and
    int income = -1; // 存入 columns
    int balance = -1;
    bool positiveIsExpense = true; // for one signed column: a card statement's purchases are positive

    bool isComplete() const
    {
        return headerRow >= 0 && date >= 0 && description >= 0 && (amount >= 0 || expense >= 0 || income >= 0);
    }
    // What is kept for a bank's files: the mapping as text, and read back.
    QString text() const;
    static Mapping fromText(const QString &text);
};

// The mapping the column names suggest; incomplete when no row looks like a header.
Mapping guess(const Table &table);
// The same for the names of one row taken as the header.
Mapping guessAt(const Table &table, int row);

// The column names of the header row, joined: files of one bank's layout share it.
QString shape(const Table &table, const Mapping &mapping);

struct Transaction
{
    int row = 0; // in the table
    QDate date;
    QString description;
    Decimal amount; // positive
    int inout = 0; // 0 expense, 1 income
    std::optional<Decimal> balance;
    // What tells this row from every other one brought in: date, direction, amount,
    // description, balance, and how many identical rows came before it in the file.
    QString fingerprint;
};

// The transactions below the header: rows whose date or amount cannot be read (totals, notes)
// are passed by, and so are rows without an amount.
QVector<Transaction> transactions(const Table &table, const Mapping &mapping);

// An amount as statements write it: "1,234", -1,234, (1,234), （1,234）, full-width digits; nothing
// for an empty cell or a marker of none (-, −, a space).
std::optional<Decimal> amount(const QString &cell);

} // namespace Statement
