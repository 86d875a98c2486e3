#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace database_access {

// One statement on the engine's own interface: prepared, its values bound, and finalized
// however it ends. Texts travel as UTF-8 in both directions: the engine's UTF-16 routines
// take a leading U+FEFF or U+FFFE for a byte-order mark, dropping the one and byte-swapping
// the text after the other, and a text must come back exactly as it was typed.
class EngineStatement
{
public:
    // Throws StoreError when the engine refuses the statement or a value, when the text holds
    // more than one statement, and for a text value with an unpaired surrogate (it has no
    // UTF-8 form, so it could only be stored changed).
    EngineStatement(sqlite3 *db, const QString &sql, const QVariantList &values);
    ~EngineStatement();
    EngineStatement(const EngineStatement &) = delete;
    EngineStatement &operator=(const EngineStatement &) = delete;

    // False for a text holding only blanks or comments: there is nothing to run.
    bool isStatement() const { return m_statement != nullptr; }
    // Runs to the next row; false at the end. Throws StoreError on an engine error.
    bool next();
    // Makes the statement ready to run again with other values, as many as before: one
    // statement prepared once for the same change to many rows.
    void rebind(const QVariantList &values);
    int columnCount() const;
    QString columnName(int column) const;
    // The value of a column of the current row: whole numbers as qint64, reals as double,
    // texts as QString, blobs as QByteArray, NULL as a null QString.
    QVariant value(int column) const;

private:
    // The last short text read from a column. A long result repeats its dates, kinds and
    // directions row after row; an equal text shares the one already decoded instead of
    // decoding and storing it again.
    struct LastText
    {
        static constexpr int capacity = 48;
        char bytes[capacity];
        int size = -1;
        QString text;
    };

    QVariant textValue(int column) const;

    sqlite3 *m_db;
    sqlite3_stmt *m_statement = nullptr;
    mutable std::vector<LastText> m_lastText;
};

// The text of UTF-8 bytes from the engine, a leading U+FEFF kept as a character.
QString textFromEngine(const char *bytes, qsizetype size);

[[noreturn]] void engineFailure(sqlite3 *db);

} // namespace database_access
