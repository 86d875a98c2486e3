// Bank and card statements brought in: the columns proposed from their names, 民國 dates and
// month-day dates under a title, split and signed amounts, rows already in never brought in twice
// nor left out, and the way a bank's file was read proposed again for its next file.
#include "ImportLedger.h"
#include "support/TestSupport.h"

#include "imports/StatementImport.h"

#include <QtWidgets>

using namespace Qt::StringLiterals;

namespace {

const char *const bank = "範例銀行 存款明細\r\n"
                         "查詢期間,(自 113/05/01 至 113/05/31)\r\n"
                         "交易日期,摘要,支出金額,存入金額,餘額\r\n"
                         "113/05/01,範例商店,\"1,200\",,\"45,678\"\r\n"
                         "113/05/02,薪水轉入,,\"52,000\",\"97,678\"\r\n"
                         "113/05/02,範例商店,\"1,200\",-,\"96,478\"\r\n"
                         "合計,,\"2,400\",\"52,000\",\r\n";

const char *const card = "2026/02信用卡對帳單\n"
                         "持卡人,範例\n"
                         "消費日,入帳日,交易說明,消費金額\n"
                         "01/15,01/16,範例超市,\"1,234\"\n"
                         "12/28,12/30,年末購物,500\n"
                         "02/01,02/02,繳款,\"-3,000\"\n";

struct Statements : ImportLedger
{
    static QStringList rows(StatementImport &w)
    {
        return ImportLedger::rows(w.transactions->model(), 6, u"%1%2 %3 %4 -%5 +%6"_s, { 1, 2, 3, 4 });
    }

    QStringList entries() const { return ImportLedger::entries("a_date, a_inout, a_content, a_count"); }
};

} // namespace

class StatementImportTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A Big5 bank file: preamble, 民國 dates, 支出 and 存入, a balance, a totals row. Brought in
    // once; the second time every row is shown, unticked.
    void bankAndCardFilesComeInOnce()
    {
        Statements s;
        QStringEncoder big5("Big5");
        const QString path = s.file(u"bank.csv"_s, big5.encode(QString::fromUtf8(bank)));
        {
            StatementImport w;
            QVERIFY(w.readFile(path));
            QCOMPARE(w.header_row->value(), 3);
            QCOMPARE(Statements::rows(w),
                QStringList({ "新增✓ 2024/05/01 範例商店 -1,200 +", "新增✓ 2024/05/02 薪水轉入 - +52,000",
                    "新增✓ 2024/05/02 範例商店 -1,200 +" }));
            s.boxes.choose(0);
            testing::click(w.cmd_ok);
        }
        QCOMPARE(s.boxes.take(),
            QStringList { "新增 3 筆，0 筆未勾選（已匯入或可能重複）沒有匯入，支出 2,400 元，存入 52,000 元" });
        QCOMPARE(s.entries(),
            QStringList({ "2024-05-01 0 範例商店 1200", "2024-05-02 1 薪水轉入 52000", "2024-05-02 0 範例商店 1200" }));
        StatementImport again;
        QVERIFY(again.readFile(path));
        QCOMPARE(Statements::rows(again),
            QStringList({ "已匯入 2024/05/01 範例商店 -1,200 +", "已匯入 2024/05/02 薪水轉入 - +52,000",
                "已匯入 2024/05/02 範例商店 -1,200 +" }));

        // A UTF-8 card file whose rows have only month and day, the year in its title; a row typed
        // by hand before looks imported. The columns set by the person are proposed for the next file.
        s.ledger.addEntry("2026-01-15", s.food, 0, u"範例超市"_s, 1234, {}, 9, u"餐費"_s);
        const QString cardPath = s.file(u"card.csv"_s, QByteArray(card));
        {
            StatementImport w;
            QVERIFY(w.readFile(cardPath));
            QCOMPARE(Statements::rows(w),
                QStringList({ "可能重複 2026/01/15 範例超市 -1,234 +", "新增✓ 2025/12/28 年末購物 -500 +",
                    "新增✓ 2026/02/01 繳款 - +3,000" }));
            // The person takes 入帳日 as the description (of no use, but it shows the way is kept).
            w.description_column->setCurrentIndex(w.description_column->findData(1));
            QCOMPARE(Statements::rows(w).at(1), u"新增✓ 2025/12/28 12/30 -500 +"_s);
            testing::retype(w.profile_name, u"範例卡"_s);
            s.boxes.choose(0);
            testing::click(w.cmd_ok);
        }
        QCOMPARE(s.entries().size(), 7); // the bank's 3 and the hand-typed one no longer looks the same
        StatementImport next;
        QVERIFY(next.readFile(s.file(u"card-03.csv"_s, QByteArray(card).replace("2026/02", "2026/03"))));
        QCOMPARE(next.profile_name->text(), u"範例卡"_s);
        QCOMPARE(next.description_column->currentData().toInt(), 1);
        QCOMPARE(Statements::rows(next).at(1), u"已匯入 2025/12/28 12/30 -500 +"_s);
    }
};

QUILLORY_TEST_MAIN(StatementImportTest)
#include "statement_import_test.moc"
