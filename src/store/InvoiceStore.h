#pragma once

#include "store/EntryStore.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// What came in from e-invoice files, so that each invoice comes in once: importing a file again,
// an overlapping month, or the mailed file and the download of one month adds nothing twice. The
// ledger keeps each invoice's identity (its number and date) with the entry it became; the
// tables are made at the first import.
namespace InvoiceStore {

struct Known
{
    qint64 key = 0; // the entry it became
    bool voided = false; // its entry was taken out when the invoice was voided
};

// The invoices of these identities already brought in.
QHash<QString, Known> known(const QStringList &identities);

// The kind, direction and description chosen last time for a store's invoices.
struct Choice
{
    qint64 kind = 0;
    int inout = 0;
    QString content;
};
std::optional<Choice> choiceFor(const QString &store);

struct Incoming
{
    QString identity;
    QString store; // for the choice remembered
    EntryStore::Entry entry; // its key is given here
};

struct Outcome
{
    QVector<qint64> keys; // the entries made, in order
    // The entries taken out for invoices voided since, as they were, with their invoices.
    QVector<std::pair<QString, EntryStore::Entry>> removed;
};

// Adds the entries and takes out those of invoices voided since (their keys), with the record
// of each, in one transaction; an invoice already brought in meanwhile is passed by.
Outcome bringIn(const QVector<Incoming> &incoming, const QVector<std::pair<QString, qint64>> &voidings);

// Whether the ledger has an entry of that day, direction, amount and description: a statement's
// row that was typed in by hand, or brought in before from another file.
bool similarEntry(const QDate &date, int inout, double amount, const QString &content);

// How a bank's statements were read the last time, by the column names of their header.
struct Profile
{
    QString name;
    QString mapping;
};
std::optional<Profile> profileFor(const QString &shape);
void saveProfile(const QString &shape, const Profile &profile);

// Takes an import back whole, in one transaction: its entries go and their invoices can come in
// again, and the entries it took out come back as they were.
void takeBack(const Outcome &outcome);

} // namespace InvoiceStore
