#pragma once

#include <QByteArray>
#include <QMap>
#include <QSet>
#include <QString>

#include <optional>

// A ledger folder as it was before the import program ran in it, so that whatever becomes of
// the program (it fails, crashes, is stopped or cancelled at any moment) the folder can be
// told as it is and, unless the new ledger is in place, put back as it was.
//
// The import program puts the new ledger in place with one rename over db1.mdb, after it has
// been checked and the report written: db1.mdb then is that ledger, and the import is complete
// whatever the program did afterwards. Until then the old db1.mdb is untouched, and all the
// program has made are its files beside it, which are taken out again here.
class ImportFolder
{
public:
    explicit ImportFolder(const QString &folder);

    enum class Ledger {
        Old, // db1.mdb is the file it was
        New, // the new ledger has been put in its place
        Other, // neither: something else changed it
    };
    Ledger ledger() const;

    // Takes out what the import program made (the kept copy of the old file, the unfinished
    // new ledger and its journal, half-written files) and puts back the report and the
    // summary-kind file as they were. The kept copy goes only while db1.mdb is the old file.
    // Returns the names it could not take out or put back, for the message.
    QStringList putBack() const;
    // With the new ledger in place: takes out only the unfinished pieces, if any are left.
    void clearPieces() const;

private:
    struct Identity
    {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = -1;
        qint64 modifiedNs = 0;
        bool operator==(const Identity &) const = default;
    };
    static std::optional<Identity> identityOf(const QString &path);
    bool isNew(const QString &name) const { return !m_names.contains(name); }

    QString m_folder;
    std::optional<Identity> m_ledger;
    QSet<QString> m_names;
    // The files the program replaces, with what they held (nullopt: there was none).
    QMap<QString, std::optional<QByteArray>> m_replaced;
};
