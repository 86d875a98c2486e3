#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QVariantList>

// A new ledger in a folder of its own, made the working directory for the test's time,
// with db1.mdb open and SKinds.txt loaded, just as start-up leaves them.
class TestLedger
{
public:
    // withKinds: start with the new-ledger tool's starter kinds; otherwise no kind at all.
    explicit TestLedger(bool withKinds = false);
    ~TestLedger();
    TestLedger(const TestLedger &) = delete;
    TestLedger &operator=(const TestLedger &) = delete;

    QString folder() const;
    QString path(const QString &name) const;

    // Direct writes and reads, for arranging a case and checking its outcome.
    qint64 addKind(const QString &name, qint64 keyOrder);
    void addEntry(const QString &isoDate, qint64 kind, int inout, const QString &content, double amount,
        const QString &note, qint64 key, const QString &kindName = QString());
    void setDayNote(const QString &isoDate, const QString &note);
    // Rows of a query as lists of values, for compact comparisons.
    QList<QVariantList> rows(const QString &sql, const QVariantList &values = {}) const;
    QVariant scalar(const QString &sql, const QVariantList &values = {}) const;

    // SKinds.txt: write raw bytes (and load them), read raw bytes ("<missing>" when absent).
    void writeSKinds(const QByteArray &content);
    QByteArray readSKinds() const;

    // Closes and opens db1.mdb again, as a new run would.
    void reopen();

private:
    QTemporaryDir m_dir;
    QString m_previousDir;
};
