#pragma once

#include "jet/JetBytes.h"
#include "jet/JetValue.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

#include <cstdint>
#include <functional>

struct JetColumn
{
    QString name;
    int type = 0;
    int number = 0; // position of its bit in a row's null mask
    int varIndex = 0; // for variable-size columns: which entry of the row's offset table
    int fixedOffset = 0; // for fixed-size columns: where in the fixed part
    int length = 0;
    int precision = 0; // Decimal
    int scale = 0; // Decimal: digits after the point
    bool fixed = false;
};

struct JetTableDef
{
    QString name;
    std::uint32_t definitionPage = 0;
    std::uint32_t storedRows = 0; // the row count the definition keeps
    QList<JetColumn> columns;
    std::uint32_t usedPagesMap = 0; // row (low byte) and page of the map of its data pages

    // The position of the named column (case-insensitive, as the old engine treats names), or -1.
    int columnIndex(const QString &name) const;
};

using JetRow = QList<JetValue>; // values in the order of JetTableDef::columns

// A Jet 4 (Access 2000) database held in memory, read only. Every page, offset and length is
// checked; anything that does not hold up throws JetError with a message for the person.
class JetDatabase
{
public:
    static constexpr int PageSize = 4096;

    // Checks the header: Jet 4, not a newer (ACE) or older (Jet 3) file, no password, no page
    // scrambling, whole pages, and reads the list of tables.
    explicit JetDatabase(QByteArray bytes);
    // The reading keeps views into its own bytes, so it is neither copied nor moved.
    JetDatabase(const JetDatabase &) = delete;
    JetDatabase &operator=(const JetDatabase &) = delete;

    // Reads a whole file; throws JetError when it cannot be read.
    static JetDatabase fromFile(const QString &path);

    // The user tables, by the names the catalogue gives.
    QStringList tableNames() const;
    bool hasTable(const QString &name) const;
    // The definition of the named table (case-insensitive). Throws when there is none.
    JetTableDef table(const QString &name) const;

    // Every live row of the table, in page order. Deleted rows are skipped, moved rows are read
    // where they now are, in the order of the slots they were moved from. Throws unless the rows
    // read are exactly the stored row count, and for a move pointer that leads nowhere.
    // onRow is called after each row read.
    QList<JetRow> readRows(const JetTableDef &table, const std::function<void()> &onRow = {}) const;

private:
    struct Location
    {
        std::uint32_t page = 0;
        int row = 0;
    };

    JetBytes page(std::uint32_t number) const;
    std::uint32_t pageCount() const { return static_cast<std::uint32_t>(m_bytes.size() / PageSize); }
    void checkHeader() const;
    void readCatalogue();
    JetTableDef readDefinition(std::uint32_t definitionPage, const QString &name) const;
    QByteArray definitionBytes(std::uint32_t definitionPage) const;
    QList<std::uint32_t> dataPages(const JetTableDef &table) const;
    JetBytes slotBytes(const JetBytes &dataPage, int row) const;
    JetBytes rowBytes(const JetBytes &dataPage, int row, bool *deleted, bool *moved) const;
    JetBytes movedRow(const JetTableDef &table, Location from, JetBytes pointerRow, QSet<quint64> &reached) const;
    static QString rowCountMessage(const JetTableDef &table, qsizetype read);
    JetBytes rowAt(Location at) const;
    JetRow decodeRow(const JetTableDef &table, const JetBytes &row, qint64 *memoBudget) const;
    JetValue memoValue(const JetColumn &column, const JetBytes &head, qint64 *memoBudget) const;

    QByteArray m_bytes;
    JetBytes m_file;
    struct CatalogueEntry
    {
        QString name;
        std::uint32_t page;
        int type;
    };
    QList<CatalogueEntry> m_tables;
};
