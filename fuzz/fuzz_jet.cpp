// Fuzzes the reader of old Jet 4 ledgers: any file, however damaged or hostile, is either read
// or refused with a message; it never crashes, reads outside the file or runs away.

#include "jet/JetDatabase.h"

#include <QByteArray>
#include <QHash>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

volatile size_t sink = 0;

// A refusal is an answer, provided it tells the person something.
void checkRefusal(const JetError &error)
{
    if (error.message().isEmpty())
        std::abort();
}

// Every value the import takes from a row: days of dates, texts, amounts.
void useValues(const JetTableDef &def, const QList<JetRow> &rows)
{
    // A table never yields other than its stored number of rows, each of its width.
    if (rows.size() != qsizetype(def.storedRows))
        std::abort();
    for (const JetRow &row : rows) {
        if (row.size() != def.columns.size())
            std::abort();
        for (const JetValue &value : row) {
            switch (value.kind) {
            case JetValue::Kind::DateTime: {
                bool hasTime = false;
                const std::optional<QDate> day = JetDays::day(value.number, &hasTime);
                if (day && !day->isValid())
                    std::abort();
                break;
            }
            case JetValue::Kind::Text:
            case JetValue::Kind::Decimal:
                // Every character is touched, so a text built over freed or foreign memory shows.
                sink = sink + qHash(value.text.toUtf8());
                break;
            case JetValue::Kind::Binary:
                sink = sink + qHash(value.bytes);
                break;
            default:
                break;
            }
        }
    }
}

void readTable(const JetDatabase &db, const QString &name)
{
    try {
        const JetTableDef def = db.table(name);
        qsizetype progress = 0;
        const QList<JetRow> rows = db.readRows(def, [&progress] { ++progress; });
        if (progress != rows.size())
            std::abort();
        useValues(def, rows);
    } catch (const JetError &error) {
        checkRefusal(error);
    }
}

void readFile(const QByteArray &content)
{
    try {
        const JetDatabase db(content);
        // The import reads these four by name; others are read too, a few of them, for the
        // parts of the format the ledger's own tables may not reach.
        static const QStringList ledgerTables { QStringLiteral("data_main"), QStringLiteral("kind"),
            QStringLiteral("data_note"), QStringLiteral("inout") };
        for (const QString &name : ledgerTables)
            if (db.hasTable(name))
                readTable(db, name);
        int others = 0;
        for (const QString &name : db.tableNames()) {
            if (ledgerTables.contains(name, Qt::CaseInsensitive))
                continue;
            if (++others > 4)
                break;
            readTable(db, name);
        }
    } catch (const JetError &error) {
        checkRefusal(error);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    readFile(content);
    // A mutation that adds or drops bytes leaves a file of broken pages, refused at once; its
    // whole pages are read as well, so such mutations still reach the tables.
    const qsizetype whole = content.size() - content.size() % JetDatabase::PageSize;
    if (whole != content.size() && whole > 0)
        readFile(content.first(whole));
    return 0;
}
