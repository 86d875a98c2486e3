// Texts go into the ledger and come back code unit for code unit: a leading U+FEFF or U+FFFE
// is a character of the text, not a byte-order mark; characters beyond the first plane keep
// their pairs; and a text with half a character is refused before anything is written.

#include "store/EntryStore.h"
#include "store/KindStore.h"
#include "store/NoteStore.h"
#include "store/ReportStore.h"
#include "store/StoreError.h"
#include "store/database_access.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"
#include "support/UnusualTexts.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

namespace {

const QDate day(2024, 5, 15);

EntryStore::Entry entryOf(qint64 kind, const QString &content, const QString &note, qint64 key)
{
    EntryStore::Entry e;
    e.date = day;
    e.kind = kind;
    e.content = content;
    e.count = 120;
    e.note = note;
    e.key = key;
    return e;
}

QStringList column(const ResultSet &result, const QString &name)
{
    QStringList out;
    for (const ResultSet::Row &row : result.rows())
        out << row.value(int(result.columns().indexOf(name))).toString();
    return out;
}

} // namespace

class ExactTextTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyTextComesBackAsStored_data();
    void everyTextComesBackAsStored();
    void filtersFindSuchTexts();
    void halfACharacterIsRefusedAndNothingWritten();
    void textsStoredBeforeStayReadable();
    void aLedgerKeptInUtf16KeepsTextsToo();
};

void ExactTextTest::everyTextComesBackAsStored_data()
{
    testing::addUnusualTextRows(true);
}

void ExactTextTest::everyTextComesBackAsStored()
{
    QFETCH(QString, text);
    TestLedger ledger;
    const qint64 other = ledger.addKind(QStringLiteral("餐費"), 1);

    const qint64 kind = KindStore::addKind(text, 2);
    EntryStore::addEntry(entryOf(kind, text, text, 1));
    EntryStore::addEntry(entryOf(other, QStringLiteral("茶"), QStringLiteral("x"), 2));
    EntryStore::updateEntry(2, entryOf(other, QStringLiteral("茶") + text, text + QStringLiteral("熱"), 2));
    NoteStore::insertNote(day, text);
    NoteStore::insertNote(day.addDays(1), QStringLiteral("舊"));
    NoteStore::updateNote(day.addDays(1), text + text);
    KindStore::renameKind(other, text + QStringLiteral("費"));

    // Read back on the same connection, then as the next run reads the file.
    for (int run = 0; run < 2; ++run) {
        const std::optional<EntryStore::Entry> first = EntryStore::entryByKey(1);
        QVERIFY(first);
        COMPARE_UNITS(first->content, text);
        COMPARE_UNITS(first->note, text);
        const QVector<EntryStore::Entry> ofDay = EntryStore::entriesOfDay(day);
        QCOMPARE(ofDay.size(), 2);
        COMPARE_UNITS(ofDay.at(1).content, QStringLiteral("茶") + text);
        COMPARE_UNITS(ofDay.at(1).note, text + QStringLiteral("熱"));
        COMPARE_UNITS(NoteStore::noteOfDay(day), text);
        COMPARE_UNITS(NoteStore::noteOfDay(day.addDays(1)), text + text);
        COMPARE_UNITS(KindStore::kindById(kind)->name, text);
        COMPARE_UNITS(KindStore::kindById(other)->name, text + QStringLiteral("費"));
        // On disk as plain UTF-8 of the very text, as every other reader of the file expects.
        QCOMPARE(ledger.scalar(QStringLiteral("SELECT hex(a_content) FROM data_main WHERE a_key = 1")).toString(),
            QString::fromLatin1(text.toUtf8().toHex().toUpper()));
        QCOMPARE(ledger.scalar(QStringLiteral("SELECT length(name) FROM kind WHERE a_kind = ?"), { kind }).toLongLong(),
            qint64(text.toStdU32String().size()));
        ledger.reopen();
    }
    // A name with a leading mark is still one name: a second one like it is taken.
    QVERIFY(KindStore::nameTaken(text));
    QVERIFY(!KindStore::nameTaken(text, kind));
}

void ExactTextTest::filtersFindSuchTexts()
{
    TestLedger ledger;
    const QString marked = QStringLiteral("\uFFFEab");
    const QString bom = QStringLiteral("\uFEFF早餐");
    const qint64 plain = ledger.addKind(QStringLiteral("ab"), 1);
    const qint64 markedKind = KindStore::addKind(marked, 2);
    EntryStore::addEntry(entryOf(plain, QStringLiteral("ab"), QString(), 1));
    EntryStore::addEntry(entryOf(markedKind, marked, QString(), 2));
    EntryStore::addEntry(entryOf(plain, bom, QString(), 3));
    EntryStore::addEntry(entryOf(plain, QStringLiteral("早餐"), QString(), 4));
    EntryStore::addEntry(entryOf(plain, QStringLiteral("𠀀𪚥"), QString(), 5));

    const auto contents = [](const QString &description, std::optional<QString> kindName = std::nullopt) {
        ReportStore::RangeFilter filter { day, day, description, std::move(kindName) };
        QStringList found = column(
            ReportStore::rangeEntries(ReportStore::RangeMode::Detailed, filter, QStringLiteral("D.a_date"), false),
            QStringLiteral("帳目名"));
        found.sort();
        return found;
    };
    // The filter text is the whole description, or its start, or a piece after the mark.
    QCOMPARE(contents(marked), QStringList({ marked }));
    QCOMPARE(contents(bom), QStringList({ bom }));
    QCOMPARE(contents(QStringLiteral("\uFEFF")), QStringList({ bom }));
    QCOMPARE(contents(QStringLiteral("\uFFFEa")), QStringList({ marked }));
    QCOMPARE(contents(QStringLiteral("b")), QStringList({ QStringLiteral("ab"), marked }));
    QCOMPARE(contents(QStringLiteral("𪚥")), QStringList({ QStringLiteral("𠀀𪚥") }));
    QCOMPARE(contents(QStringLiteral("早餐")), QStringList({ QStringLiteral("早餐"), bom }));
    // The kind filter matches the name exactly: the marked kind, not its look-alike.
    QCOMPARE(contents(QString(), marked), QStringList({ marked }));
    QCOMPARE(contents(QString(), QStringLiteral("ab")).size(), 4);

    const QVector<ReportStore::KindExpense> sums = ReportStore::summaryKindExpenses(
        ReportStore::RangeFilter { day, day, QString(), std::nullopt }, { markedKind });
    QCOMPARE(sums.size(), 1);
    COMPARE_UNITS(sums.at(0).name, marked);
}

void ExactTextTest::halfACharacterIsRefusedAndNothingWritten()
{
    TestLedger ledger;
    const qint64 kind = ledger.addKind(QStringLiteral("餐費"), 1);
    EntryStore::addEntry(entryOf(kind, QStringLiteral("午餐"), QStringLiteral("好吃"), 1));
    NoteStore::insertNote(day, QStringLiteral("晴"));
    const auto everything = [&] {
        return ledger.rows(QStringLiteral("SELECT a_content, a_note FROM data_main UNION ALL SELECT name, a_kind"
                                          " FROM kind UNION ALL SELECT a_date, a_note FROM data_note"));
    };
    const QList<QVariantList> before = everything();

    const QString high = QStringLiteral("午") + QChar(0xD83D);
    const QString low = QChar(0xDE00) + QStringLiteral("餐");
    const QString reversed = QString(QChar(0xDE00)) + QChar(0xD83D);
    for (const QString &broken : { high, low, reversed }) {
        QVERIFY_THROWS_EXCEPTION(StoreError, EntryStore::addEntry(entryOf(kind, broken, QString(), 2)));
        QVERIFY_THROWS_EXCEPTION(
            StoreError, EntryStore::updateEntry(1, entryOf(kind, QStringLiteral("午餐"), broken, 1)));
        QVERIFY_THROWS_EXCEPTION(StoreError, KindStore::addKind(broken, 2));
        QVERIFY_THROWS_EXCEPTION(StoreError, KindStore::renameKind(kind, broken));
        QVERIFY_THROWS_EXCEPTION(StoreError, NoteStore::updateNote(day, broken));
        QVERIFY_THROWS_EXCEPTION(StoreError, NoteStore::insertNote(day.addDays(1), broken));
        try {
            ReportStore::rangeEntries(ReportStore::RangeMode::Detailed,
                ReportStore::RangeFilter { day, day, broken, std::nullopt }, QStringLiteral("D.a_date"), false);
            QFAIL("a filter with half a character was run");
        } catch (const StoreError &error) {
            QVERIFY2(error.message().contains(QStringLiteral("代理字元")), qPrintable(error.message()));
        }
    }
    QCOMPARE(everything(), before);
}

void ExactTextTest::textsStoredBeforeStayReadable()
{
    TestLedger ledger;
    // Written the way earlier versions wrote, through the driver's binding.
    const QStringList texts
        = { QStringLiteral("餐費 🍜 'x' \\ %"), QStringLiteral("咖\uFEFF啡"), QStringLiteral("𠀀"), QStringLiteral("") };
    {
        QSqlQuery query(QSqlDatabase::database(QStringLiteral("quillory"), false));
        QVERIFY(query.prepare(QStringLiteral("INSERT INTO kind (name, key_order) VALUES (?, ?)")));
        for (int i = 0; i < texts.size(); ++i) {
            query.addBindValue(texts.at(i));
            query.addBindValue(i + 1);
            QVERIFY(query.exec());
        }
    }
    ledger.reopen();
    QStringList read;
    for (const KindStore::Kind &k : KindStore::kindsByOrder())
        read << k.name;
    QCOMPARE(read, texts);
    QVERIFY(KindStore::nameTaken(QStringLiteral("咖\uFEFF啡")));
}

void ExactTextTest::aLedgerKeptInUtf16KeepsTextsToo()
{
    // Another tool may have made the file with UTF-16 text; the engine converts on its own.
    TestLedger ledger;
    const QList<QVariantList> schema = ledger.rows(QStringLiteral(
        "SELECT sql FROM sqlite_master WHERE sql IS NOT NULL AND name NOT LIKE 'sqlite%' ORDER BY rowid"));
    const QString path = ledger.path(QStringLiteral("utf16.mdb"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("utf16"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("PRAGMA encoding = 'UTF-16le'")));
        for (const QVariantList &row : schema)
            QVERIFY2(query.exec(row.at(0).toString()), qPrintable(row.at(0).toString()));
        QVERIFY(query.exec(QStringLiteral("INSERT INTO inout VALUES (0, '支出')")));
        QVERIFY(query.exec(QStringLiteral("INSERT INTO inout VALUES (1, '收入')")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("utf16"));
    database_access::Open_DB(path);
    QCOMPARE(ledger.scalar(QStringLiteral("PRAGMA encoding")).toString(), QStringLiteral("UTF-16le"));

    const QStringList texts = { QStringLiteral("\uFEFF早餐"), QStringLiteral("\uFEFF\uFEFFab"),
        QStringLiteral("咖\uFEFF啡"), QStringLiteral("𠀀🍜") };
    for (int i = 0; i < texts.size(); ++i) {
        const qint64 kind = KindStore::addKind(texts.at(i), i + 1);
        EntryStore::addEntry(entryOf(kind, texts.at(i), texts.at(i), i + 1));
        NoteStore::insertNote(day.addDays(i), texts.at(i));
    }
    database_access::Open_DB(path);
    for (int i = 0; i < texts.size(); ++i) {
        const std::optional<EntryStore::Entry> entry = EntryStore::entryByKey(i + 1);
        QVERIFY(entry);
        COMPARE_UNITS(entry->content, texts.at(i));
        COMPARE_UNITS(entry->note, texts.at(i));
        COMPARE_UNITS(KindStore::kindById(entry->kind)->name, texts.at(i));
        COMPARE_UNITS(NoteStore::noteOfDay(day.addDays(i)), texts.at(i));
        const ReportStore::RangeFilter filter { day, day.addDays(9), texts.at(i), std::nullopt };
        QCOMPARE(ReportStore::rangeEntries(ReportStore::RangeMode::Detailed, filter, QStringLiteral("D.a_date"), false)
                     .rowCount(),
            qsizetype(1));
    }
    // The engine would turn these into U+FFFD on the way into such a file: refused instead.
    const QList<QVariantList> before = ledger.rows(QStringLiteral("SELECT * FROM data_main"));
    for (const QString &changed : { QStringLiteral("\uFFFEab"), QStringLiteral("a\uFFFF") }) {
        QVERIFY_THROWS_EXCEPTION(StoreError, EntryStore::addEntry(entryOf(1, changed, QString(), 9)));
        QVERIFY_THROWS_EXCEPTION(StoreError, EntryStore::updateEntry(1, entryOf(1, QStringLiteral("x"), changed, 1)));
    }
    QCOMPARE(ledger.rows(QStringLiteral("SELECT * FROM data_main")), before);
}

QUILLORY_TEST_MAIN(ExactTextTest)
#include "exact_text_test.moc"
