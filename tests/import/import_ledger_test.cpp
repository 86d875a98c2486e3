// A family's ledger of three years brought over from the old Access file: the new ledger holds
// every value of the old one, and the windows' day view, range totals and year report come out
// as the old file's values add up.
#include "ImportRun.h"

#include "platform/DateText.h"
#include "store/EntryStore.h"
#include "store/ReportStore.h"
#include "store/database_access.h"

#include <QTemporaryDir>
#include <QTest>

using namespace importrun;

namespace {

struct OldEntry
{
    QDate date;
    qint64 kind = 0;
    int inout = 0;
    QString content;
    QJsonValue count;
    QString note;
    qint64 key = 0;
    QString kindName;
};

QVector<OldEntry> oldEntries(const QJsonObject &layout, QString *amountType)
{
    const QJsonObject table = jetcases::tableOf(layout, QStringLiteral("data_main"));
    const QMap<QString, int> c = columnsOf(table);
    *amountType = table.value(QStringLiteral("columns"))
                      .toArray()
                      .at(c.value(QStringLiteral("a_count")))
                      .toObject()
                      .value(QStringLiteral("type"))
                      .toString();
    QVector<OldEntry> entries;
    for (const QJsonValue &v : table.value(QStringLiteral("rows")).toArray()) {
        const QJsonArray row = v.toArray();
        OldEntry e;
        e.date = dayOfWritten(row.at(c.value(QStringLiteral("a_date"))));
        e.kind = row.at(c.value(QStringLiteral("a_kind"))).toInteger();
        e.inout = int(row.at(c.value(QStringLiteral("a_inout"))).toInteger());
        e.content = row.at(c.value(QStringLiteral("a_content"))).toString();
        e.count = row.at(c.value(QStringLiteral("a_count")));
        e.note = row.at(c.value(QStringLiteral("a_note"))).toString();
        e.key = row.at(c.value(QStringLiteral("a_key"))).toInteger();
        e.kindName = row.at(c.value(QStringLiteral("a_kind_name"))).toString();
        entries.append(e);
    }
    return entries;
}

} // namespace

class ImportLedgerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QString error;
        QVERIFY2(jetcases::runPython({ jetcases::script(QStringLiteral("ledger_jet.py")),
                                         m_dir.filePath(QStringLiteral("double.mdb")) },
                     &error),
            qPrintable(error));
        const auto ledger = [&](const QString &name, const QStringList &args) {
            QString failure;
            QVERIFY2(jetcases::runPython(
                         QStringList { jetcases::script(QStringLiteral("ledger_jet.py")), m_dir.filePath(name) } + args,
                         &failure),
                qPrintable(failure));
        };
        ledger(QStringLiteral("currency.mdb"),
            { QStringLiteral("--amount"), QStringLiteral("currency"), QStringLiteral("--memo-overflow"),
                QStringLiteral("--seed"), QStringLiteral("9"), QStringLiteral("--order"), QStringLiteral("int") });
        ledger(QStringLiteral("moved.mdb"), { QStringLiteral("--moved"), QStringLiteral("5") });
        ledger(QStringLiteral("single.mdb"),
            { QStringLiteral("--amount"), QStringLiteral("single"), QStringLiteral("--order"),
                QStringLiteral("byte") });
        ledger(QStringLiteral("decimal.mdb"),
            { QStringLiteral("--amount"), QStringLiteral("decimal"), QStringLiteral("--order"),
                QStringLiteral("decimal"), QStringLiteral("--seed"), QStringLiteral("4") });
    }

    void cleanup() { database_access::Close_DB(); }

    void everyValueAndEveryViewComeOver_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("elsewhere"); // into another folder than the old file's
        QTest::newRow("Double amounts, in the old file's own folder") << QStringLiteral("double.mdb") << false;
        QTest::newRow("Currency amounts and long memos, into a new folder") << QStringLiteral("currency.mdb") << true;
        QTest::newRow("5 % of the rows moved by edits, the catalogue's too") << QStringLiteral("moved.mdb") << false;
        QTest::newRow("Single amounts, Byte key_order") << QStringLiteral("single.mdb") << true;
        QTest::newRow("Decimal amounts and key_order") << QStringLiteral("decimal.mdb") << true;
    }

    void everyValueAndEveryViewComeOver()
    {
        QFETCH(QString, file);
        QFETCH(bool, elsewhere);
        QTemporaryDir oldDir;
        QTemporaryDir newDir;
        const QString old = oldDir.filePath(QStringLiteral("db1.mdb"));
        QVERIFY(QFile::copy(m_dir.filePath(file), old));
        const QByteArray oldBytes = bytesOf(old);
        const QByteArray summary("3,5,14,0\r\n");
        QFile sk(oldDir.filePath(QStringLiteral("SKinds.txt")));
        QVERIFY(sk.open(QIODevice::WriteOnly) && sk.write(summary) == summary.size());
        sk.close();
        const QString folder = elsewhere ? newDir.path() : oldDir.path();
        // A leftover of a try cut short is cleared.
        QFile leftover(QDir(folder).filePath(QStringLiteral("db1-import.mdb.partial")));
        QVERIFY(leftover.open(QIODevice::WriteOnly) && leftover.write("half") == 4);
        leftover.close();

        const Run run = runImport(elsewhere ? QStringList { QStringLiteral("--progress"), old, folder }
                                            : QStringList { QStringLiteral("--progress"), old });
        QVERIFY2(run.exitCode == 0, qPrintable(run.lastError));

        const QJsonObject layout = jetcases::layoutOf(m_dir.filePath(file));
        QString amountType;
        const QVector<OldEntry> old_ = oldEntries(layout, &amountType);
        const qint64 notesWritten
            = jetcases::tableOf(layout, QStringLiteral("data_note")).value(QStringLiteral("rows")).toArray().size();
        const qint64 allRows = old_.size() + notesWritten + 18 + 2;
        QVERIFY(!run.progress.isEmpty());
        QCOMPARE(run.progress.last(), std::make_pair(allRows, allRows));

        // The folder: the new ledger, the old file kept byte for byte, the report, the summary kinds.
        QDir dir(folder);
        const QStringList copies = dir.entryList({ QStringLiteral("db1-jet-*.mdb") }, QDir::Files);
        QCOMPARE(copies.size(), 1);
        QVERIFY(QRegularExpression(QStringLiteral("^db1-jet-\\d{8}-\\d{6}\\.mdb$")).match(copies.first()).hasMatch());
        QCOMPARE(bytesOf(dir.filePath(copies.first())), oldBytes);
        QVERIFY(!dir.exists(QStringLiteral("db1-import.mdb.partial")));
        QCOMPARE(bytesOf(dir.filePath(QStringLiteral("SKinds.txt"))), summary);
        if (elsewhere)
            QCOMPARE(bytesOf(old), oldBytes);
        const QString report = textOf(dir.filePath(QStringLiteral("import-report.txt")));
        QVERIFY2(report.startsWith(QStringLiteral("轉入核對：全部相符\n")), qPrintable(report));
        QVERIFY(report.contains(QStringLiteral("data_main：讀 %1 筆（檔案記錄 %1 筆），寫 %1 筆").arg(old_.size())));
        QVERIFY(report.contains(QStringLiteral("PRAGMA integrity_check）：ok")));

        database_access::Open_DB(dir.filePath(QStringLiteral("db1.mdb")));
        const ImportStore::Contents got = ImportStore::readAll();

        // The four tables value for value against what the writer put into the old file.
        QCOMPARE(got.entries.size(), old_.size());
        QHash<qint64, qsizetype> byKey;
        for (qsizetype i = 0; i < got.entries.size(); ++i)
            byKey.insert(got.entries.at(i).key, i);
        for (const OldEntry &o : old_) {
            QVERIFY2(byKey.contains(o.key), qPrintable(QString::number(o.key)));
            const EntryStore::Entry &e = got.entries.at(byKey.value(o.key));
            const QString where = QStringLiteral("a_key %1").arg(o.key);
            QVERIFY2(e.date == o.date && e.kind == o.kind && e.inout == o.inout, qPrintable(where));
            QVERIFY2(e.content == o.content && e.note == o.note && e.kindName == o.kindName, qPrintable(where));
            QVERIFY2(sameAmount(o.count, amountType, e.count),
                qPrintable(where + QStringLiteral(" %1").arg(e.count, 0, 'g', 17)));
        }
        const QJsonArray kinds
            = jetcases::tableOf(layout, QStringLiteral("kind")).value(QStringLiteral("rows")).toArray();
        QCOMPARE(got.kinds.size(), kinds.size());
        for (qsizetype i = 0; i < kinds.size(); ++i) {
            const QJsonArray k = kinds.at(i).toArray();
            QCOMPARE(got.kinds.at(i).id, k.at(0).toInteger());
            QCOMPARE(got.kinds.at(i).name, k.at(1).toString());
            QCOMPARE(double(got.kinds.at(i).order), k.at(2).toVariant().toDouble());
        }
        const QJsonArray notes
            = jetcases::tableOf(layout, QStringLiteral("data_note")).value(QStringLiteral("rows")).toArray();
        QCOMPARE(got.notes.size(), notes.size());
        for (qsizetype i = 0; i < notes.size(); ++i) {
            QCOMPARE(got.notes.at(i).date, dayOfWritten(notes.at(i).toArray().at(0)));
            QCOMPARE(got.notes.at(i).note, notes.at(i).toArray().at(1).toString());
        }
        QCOMPARE(got.directions.size(), 2);

        // What the windows show, against sums of the old values.
        QMap<QDate, QVector<OldEntry>> byDay;
        QMap<int, std::array<Decimal, 2>> perYear;
        QMap<std::pair<int, int>, std::array<std::optional<Decimal>, 2>> perMonth;
        for (const OldEntry &o : old_) {
            byDay[o.date].append(o);
            const Decimal amount = amountOfWritten(o.count, amountType);
            perYear[o.date.year()][o.inout] += amount;
            std::optional<Decimal> &month = perMonth[{ o.date.year(), o.date.month() }][o.inout];
            month = month.value_or(Decimal()) + amount;
        }
        for (auto day = byDay.cbegin(); day != byDay.cend(); ++day) {
            QVector<OldEntry> want = day.value();
            std::sort(want.begin(), want.end(), [](const OldEntry &a, const OldEntry &b) { return a.key < b.key; });
            const QVector<EntryStore::Entry> shown = EntryStore::entriesOfDay(day.key());
            QCOMPARE(shown.size(), want.size());
            for (qsizetype i = 0; i < want.size(); ++i) {
                QCOMPARE(shown.at(i).key, want.at(i).key);
                QCOMPARE(shown.at(i).content, want.at(i).content);
            }
        }
        for (auto year = perYear.cbegin(); year != perYear.cend(); ++year) {
            ReportStore::RangeFilter filter;
            filter.begin = QDate(year.key(), 1, 1);
            filter.end = QDate(year.key(), 12, 31);
            const ReportStore::RangeTotals totals = ReportStore::rangeTotals(
                ReportStore::rangeEntries(ReportStore::RangeMode::Detailed, filter, QStringLiteral("D.a_date"), false));
            QCOMPARE(totals.expense.text(), year.value()[0].text());
            QCOMPARE(totals.income.text(), year.value()[1].text());
            const QVector<ReportStore::MonthSums> months = ReportStore::monthSums(year.key());
            for (int m = 1; m <= 12; ++m) {
                const auto want = perMonth.value({ year.key(), m });
                QCOMPARE(months.at(m - 1).expense.has_value(), want[0].has_value());
                QCOMPARE(months.at(m - 1).income.has_value(), want[1].has_value());
                if (want[0])
                    QCOMPARE(months.at(m - 1).expense->text(), want[0]->text());
                if (want[1])
                    QCOMPARE(months.at(m - 1).income->text(), want[1]->text());
            }
            // The report's line of the year, old and new alike.
            QVERIFY2(report.contains(QStringLiteral("%1 年支出").arg(year.key())), qPrintable(report));
            QVERIFY(report.contains(QStringLiteral("：%1 ／ %1\n").arg(year.value()[0].text())));
        }
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(ImportLedgerTest)
#include "import_ledger_test.moc"
