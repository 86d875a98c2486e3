// E-invoice and statement files: read in each of their layouts and encodings, with the traps the
// platform's files hold (every invoice read whole, every damaged line named), and brought in as a
// person does. E-invoices: the preview, 確定, the summary, the same invoices again (never twice),
// an invoice voided later, taking an import back, and a file that cannot be read. Bank and card
// statements: the columns proposed from their names, 民國 dates and month-day dates under a title,
// split and signed amounts, rows already in never brought in twice nor left out, and the way a
// bank's file was read proposed again for its next file.
#include "support/ScriptedBoxes.h"
#include "support/TestLedger.h"
#include "support/TestSupport.h"

#include "imports/InvoiceImport.h"
#include "imports/StatementImport.h"
#include "platform/EInvoice.h"
#include "platform/Statement.h"
#include "platform/TextFile.h"
#include "store/ReportStore.h"
#include "ui/ChoiceDelegate.h"
#include "ui/FileDialog.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QStringEncoder>
#include <QTableView>

using namespace Qt::StringLiterals;

namespace {

QByteArray utf8WithMark(const char *text)
{
    return QByteArray("\xEF\xBB\xBF") + QByteArray(text);
}

QByteArray big5(const char *text)
{
    QStringEncoder encoder("Big5");
    return encoder.encode(QString::fromUtf8(text));
}

// One line per invoice: number, date, company, amount, its items' names and amounts, and marks
// for voided (作廢), a total its items do not add up to (≠) and a masked number (*).
QStringList summary(const EInvoice::File &file)
{
    QStringList out;
    for (const EInvoice::Invoice &i : file.invoices) {
        QStringList items;
        for (const EInvoice::Item &item : i.items)
            items << item.name + QLatin1Char(' ') + item.amount.text();
        out << u"%1 %2 %3 %4 [%5]%6%7%8"_s
                   .arg(i.number, i.date.toString(Qt::ISODate), EInvoice::shortName(i.seller), i.amount().text(),
                       items.join(u"; "_s))
                   .arg(i.voided ? u" 作廢"_s : QString(), i.totalDiffers() ? u" ≠"_s : QString(),
                       i.masked() ? u" *"_s : QString());
    }
    return out;
}

const char *const oldMail
    = "M|開立|AB12345678|20140503|01234567|範例商店股份有限公司台北分公司|手機條碼|/ABC1234|120|\r\n"
      "D|AB12345678|65.0000000|範例便當|\r\n"
      "D|AB12345678|60.0000000|許功蓋飲料|\r\n"
      "D|AB12345678|-5|會員折抵額|\r\n"
      "D|AB12345678|0E-7|點數回饋|\r\n"
      "M|作廢|AB12345679|20140504|00123456|另一家商行|手機條碼|/ABC1234|50|\r\n"
      "D|AB12345679|50|作廢的品項|\r\n"
      "M|開立|CD00000001|20140505|00000123| 範例商店　|手機條碼|/ABC1234|100|\r\n"
      "D|CD00000001|120|總額不符的品項|\r\n";

const char *const mail
    = "表頭=M|載具名稱|載具號碼|發票日期|商店統編|商店店名|發票號碼|總金額|發票狀態|明細=D|發票號碼|小計|品項名稱|\n"
      "M|手機條碼|/ABC1234|20250503|01234567|範例商店|AB12345678|100|開立|\n"
      "D|AB12345678|100|進場時間:2025/05/03 10:00\n出場時間:2025/05/03 12:00\n停車費|\n"
      "M|手機條碼|/ABC1234|20250504|01234567|範例商店|AB12345680|30|開立|\n"
      "D|AB12345680|30|12\"吋披薩|\n";

const char *const download
    = "載具自訂名稱,發票日期,發票號碼,發票金額,發票狀態,折讓,賣方統一編號,賣方名稱,賣方地址,買方統編,消費明細_數量,"
      "消費明細_單價,消費明細_金額,消費明細_品名\n"
      "手機條碼,20250503,AB12345678,60,開立已確認,否,01234567,範例商店,臺北市範例路1號,,2,30,60,範例飯糰\n"
      "手機條碼,20250503,AB12345678,40,開立已確認,否,01234567,範例商店,臺北市範例路1號,,1,40,40,雞腿便當-加辣,飯少\n"
      "手機條碼,20250503,AB12345678,40,開立已確認,否,01234567,範例商店,臺北市範例路1號,,1,40,40,雞腿便當-加辣,飯少\n"
      "手機條碼,20250504,EF12345***,50,作廢,否,00000456,另一店,臺中市,西屯區,,1,50,50,飲料\n"
      "捐贈或作廢之發票，字軌號碼均會隱末3碼\n"
      "注意：本功能所下載之雲端發票明細檔案可能因賣方營業人後續作廢或折讓等原因而產生誤差。\n";

// A ledger with 餐費 and 日用品, the files to import written into its folder, and what the
// preview and the ledger hold as lines of text.
struct ImportLedger
{
    TestLedger ledger;
    ScriptedBoxes boxes;
    qint64 food = ledger.addKind(u"餐費"_s, 1);
    qint64 daily = ledger.addKind(u"日用品"_s, 2);

    QString file(const QString &name, const QByteArray &bytes)
    {
        QFile out(ledger.path(name));
        out.open(QIODevice::WriteOnly);
        out.write(bytes);
        return out.fileName();
    }

    // Each row "state✓ cells…", the state from column state, ✓ when ticked, then the columns named.
    static QStringList rows(
        const QAbstractItemModel *model, int state, const QString &form, std::initializer_list<int> columns)
    {
        const auto *m = static_cast<const QStandardItemModel *>(model);
        QStringList out;
        for (int r = 0; r < m->rowCount(); ++r) {
            QString line = form;
            line = line.arg(m->item(r, state)->text(), m->item(r, 0)->checkState() == Qt::Checked ? u"✓"_s : QString());
            for (const int c : columns)
                line = line.arg(m->item(r, c)->text());
            out << line;
        }
        return out;
    }

    // The e-invoice preview of the files as rows "state ticked date store amount kind".
    QStringList preview(InvoiceImport &w, const QStringList &files)
    {
        if (!w.readFiles(files))
            return { u"refused"_s };
        return rows(w.invoices->model(), 8, u"%1%2 %3 %4 %5 %6"_s, { 1, 2, 3, 5 });
    }

    // The statement preview as rows "state ticked date description -out +in".
    static QStringList rows(StatementImport &w)
    {
        return rows(w.transactions->model(), 6, u"%1%2 %3 %4 -%5 +%6"_s, { 1, 2, 3, 4 });
    }

    // Four columns of the entries, by key.
    QStringList entries(const char *columns = "a_date, a_content, a_count, a_kind_name") const
    {
        QStringList out;
        for (const QVariantList &row :
            ledger.rows(u"SELECT %1 FROM data_main ORDER BY a_key"_s.arg(QLatin1String(columns))))
            out << u"%1 %2 %3 %4"_s.arg(row[0].toString(), row[1].toString(), row[2].toString(), row[3].toString());
        return out;
    }
};

const char *const header
    = "載具自訂名稱,發票日期,發票號碼,發票金額,發票狀態,折讓,賣方統一編號,賣方名稱,賣方地址,買方統編,"
      "消費明細_數量,消費明細_單價,消費明細_金額,消費明細_品名\n";
const char *const may
    = "手機條碼,20250503,AB12345678,60,開立已確認,否,01234567,範例商店股份有限公司台北分公司,臺北市,,2,30,60,飯糰\n"
      "手機條碼,20250503,AB12345678,80,開立已確認,否,01234567,範例商店股份有限公司台北分公司,臺北市,,1,80,80,便當\n"
      "手機條碼,20250504,EF12345***,50,作廢,否,00000456,另一店,臺中市,,1,50,50,飲料\n";
const char *const mailed = "表頭=M|載具名稱|載具號碼|發票日期|商店統編|商店店名|發票號碼|總金額|發票狀態|\n"
                           "M|手機條碼|/A|20250503|01234567|範例商店股份有限公司台北分公司|AB12345678|140|作廢|\n"
                           "M|手機條碼|/A|20250506|07654321|範例商店股份有限公司台中分公司|AB12345690|35|開立|\n";

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

} // namespace

class ImportsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each file's encoding, then its invoices: a Big5 character whose second byte is "\", an item
    // name over several lines or with a comma or a lone quote.
    void readsEveryLayout()
    {
        const char *const downloaded = "UTF-8\nAB12345678 2025-05-03 範例商店 140 [範例飯糰 60; 雞腿便當-加辣,飯少 40; "
                                       "雞腿便當-加辣,飯少 40]\nEF12345*** 2025-05-04 另一店 50 [飲料 50] 作廢 *";
        for (const auto &[bytes, invoices] :
            QList<std::pair<QByteArray, const char *>> {
                { big5(oldMail),
                    "Big5\nAB12345678 2014-05-03 範例商店 120 [範例便當 65; 許功蓋飲料 60; 會員折抵額 -5; 點數回饋 0]\n"
                    "AB12345679 2014-05-04 另一家 50 [作廢的品項 50] 作廢\n"
                    "CD00000001 2014-05-05 範例商店 100 [總額不符的品項 120] ≠" },
                { utf8WithMark(mail),
                    "UTF-8\nAB12345678 2025-05-03 範例商店 100 [進場時間:2025/05/03 10:00\n出場時間:2025/05/03 "
                    "12:00\n停車費 100]\nAB12345680 2025-05-04 範例商店 30 [12\"吋披薩 30]" },
                { utf8WithMark(download), downloaded }, { QByteArray(download), downloaded } }) {
            QString why;
            const std::optional<EInvoice::File> file = EInvoice::read(bytes, &why);
            QVERIFY2(file, qPrintable(why));
            QCOMPARE((QStringList(file->encoding) + summary(*file)).join(u'\n'), QString::fromUtf8(invoices));
        }
        // A file that is not UTF-8 is Big5: a byte no Big5 character starts with is counted, the
        // rest read; a character cut off at the end leaves no mark in the text, but is counted.
        const DecodedText text = decodeText(big5("許功蓋") + QByteArray("\xFF"));
        const DecodedText cut = decodeText(big5("許功蓋") + QByteArray("\xA4"));
        QCOMPARE(QStringList({ text.encoding, text.text.left(3), QString::number(text.unknownCharacters),
                     QString::number(cut.unknownCharacters) }),
            QStringList({ "Big5", "許功蓋", "1", "1" }));

        // A file that cannot be read is refused with the line it could not read.
        const QByteArray invoice("M|開立|AB12345678|20140503|1|店|c|/A|1|\n");
        const QList<std::pair<QByteArray, const char *>> cases = {
            { "交易日期,摘要,支出金額\n", "第 1 行：這不是電子發票檔" },
            { utf8WithMark("表頭=M|\nM|手機條碼|/A|2025x503|1|店|AB12345678|1|開立|\n"),
                "第 2 行：發票日期「2025x503」讀不出來" },
            { invoice + "D|AB00000000|1|x|\n", "第 2 行：品項不屬於它前面的發票" },
            { invoice + "D|AB12345678|一百|x|\n", "第 2 行：小計「一百」不是金額" },
            { utf8WithMark(download).replace("2,30,60,範例飯糰", "x"), "第 2 行：欄位不足" },
            { utf8WithMark(download).replace("2,30,60,範例飯糰", "a,b,c,d"), "第 2 行：數量、單價和金額讀不出來" },
            { "M|開立|AB12345678|20140503|\n", "第 1 行：發票的欄位不足" },
            { invoice + "X|1|\n", "第 2 行：不是發票" },
        };
        for (const auto &[bytes, says] : cases) {
            QString why;
            QVERIFY2(!EInvoice::read(bytes, &why) && why.startsWith(QString::fromUtf8(says)), qPrintable(why));
        }
    }

    // The amounts statements write, and what is no amount; the columns of a statement.
    void statementAmountsAndColumns()
    {
        QStringList read;
        for (const char *cell :
            { "1,234", "-1,234", "(1,234)", "（１，２３４）", "NT$120", "-", "−", " ", "", "abc", "12.50" }) {
            const std::optional<Decimal> amount = Statement::amount(QString::fromUtf8(cell));
            read << (amount ? amount->text() : u"none"_s);
        }
        QCOMPARE(read.join(u' '), u"1234 -1234 -1234 -1234 120 none none none none none 12.5"_s);

        // A file without a header gives no transactions; a mapping kept as text reads back, and
        // nothing else does.
        const Statement::Table none = Statement::table("just,some\nwords,here\n");
        QVERIFY(!Statement::guess(none).isComplete());
        QVERIFY(Statement::transactions(none, Statement::guess(none)).isEmpty());
        const Statement::Table t
            = Statement::table("\xEF\xBB\xBF日期,說明,金額\n2024/5/1,\"a, \"\"b\"\"\",=\"-30\"\n05/02,c,10\n");
        Statement::Mapping m = Statement::guess(t);
        QCOMPARE(Statement::Mapping::fromText(m.text()).text(), m.text());
        QVERIFY(!Statement::Mapping::fromText(u"1 2 3"_s).isComplete());
        m.positiveIsExpense = false;
        const QVector<Statement::Transaction> rows = Statement::transactions(t, m);
        QCOMPARE(rows.size(), 1); // 05/02 has no year to go with
        QCOMPARE(
            u"%1|%2|%3"_s.arg(rows[0].description).arg(rows[0].inout).arg(rows[0].amount.text()), u"a, \"b\"|0|30"_s);
    }

    void eachInvoiceComesInOnce()
    {
        ImportLedger s;
        const QString download = s.file(u"may.csv"_s, utf8WithMark(header) + may);
        {
            InvoiceImport w;
            QCOMPARE(s.preview(w, { download }),
                QStringList({ "新增✓ 2025/05/03 範例商店 140 餐費", "作廢 2025/05/04 另一店 50 餐費" }));
            // The kind changed before 確定 is remembered for the store.
            auto *m = static_cast<QStandardItemModel *>(w.invoices->model());
            m->item(0, 5)->setText(u"日用品"_s);
            m->item(0, 5)->setData(s.daily, Qt::UserRole);
            s.boxes.choose(0);
            testing::click(w.cmd_ok);
        }
        QCOMPARE(s.boxes.take(), QStringList { "新增 1 筆，已存在 0 筆未重複匯入，作廢 1 張略過，共 140 元" });
        QCOMPARE(s.entries(), QStringList { "2025-05-03 範例商店 140 日用品" });
        QCOMPARE(*ReportStore::monthSums(2025).at(4).expense, Decimal(140));
        QVERIFY(s.ledger.scalar(u"SELECT a_note FROM data_main"_s)
                    .toString()
                    .startsWith(u"發票 AB12345678：飯糰 60、便當 80"_s));

        // The same file again and the mailed file of the month: nothing twice; the invoice voided
        // since is offered for deletion, unticked; another branch of the store takes its kind.
        InvoiceImport again;
        QCOMPARE(s.preview(again, { download, s.file(u"mail.txt"_s, utf8WithMark(mailed)) }),
            QStringList({ "已匯入後作廢 2025/05/03 範例商店 140 日用品", "作廢 2025/05/04 另一店 50 餐費",
                "新增✓ 2025/05/06 範例商店 35 日用品" }));
        static_cast<QStandardItemModel *>(again.invoices->model())->item(0, 0)->setCheckState(Qt::Checked);
        s.boxes.choose(1); // 復原這次匯入
        testing::click(again.cmd_ok);
        QCOMPARE(s.boxes.take(),
            QStringList({ "新增 1 筆，已存在 0 筆未重複匯入，作廢 1 張略過，共 35 元",
                "已經復原，帳本回到這次匯入之前的樣子。" }));
        // Taken back whole: the new entry is gone and the voided one's entry is back.
        QCOMPARE(s.entries(), QStringList { "2025-05-03 範例商店 140 日用品" });
        // Kept this time: the voided invoice's entry goes, the new one comes in.
        InvoiceImport third;
        QCOMPARE(s.preview(third, { s.ledger.path(u"mail.txt"_s) }).first(),
            u"已匯入後作廢 2025/05/03 範例商店 140 日用品"_s);
        static_cast<QStandardItemModel *>(third.invoices->model())->item(0, 0)->setCheckState(Qt::Checked);
        s.boxes.choose(0);
        testing::click(third.cmd_ok);
        QCOMPARE(s.entries(), QStringList { "2025-05-06 範例商店 35 日用品" });
        InvoiceImport fourth;
        QCOMPARE(s.preview(fourth, { download }).first(), u"已匯入 2025/05/03 範例商店 140 日用品"_s);

        // The files come from the file dialog; the kind is picked from its list in the cell.
        ui::setOpenFilesHook([&download] { return QStringList { download }; });
        InvoiceImport w;
        QVERIFY(w.chooseFiles());
        ui::setOpenFilesHook([] { return QStringList(); });
        QVERIFY(!InvoiceImport().chooseFiles());
        ui::setOpenFilesHook({});
        // The kind cell's list: the choice shown and its kind kept.
        QStandardItemModel cells(1, 1);
        cells.setData(cells.index(0, 0), s.food, Qt::UserRole);
        ui::ChoiceDelegate kinds({ { u"餐費"_s, s.food }, { u"日用品"_s, s.daily } }, nullptr);
        QWidget parent;
        auto *box = static_cast<QComboBox *>(kinds.createEditor(&parent, {}, cells.index(0, 0)));
        kinds.setEditorData(box, cells.index(0, 0));
        box->setCurrentIndex(box->currentIndex() + 1);
        kinds.setModelData(box, &cells, cells.index(0, 0));
        QCOMPARE(cells.index(0, 0).data(Qt::UserRole).toLongLong(), s.daily);
        // A file that cannot be read among good ones: nothing is read, nothing written.
        const QString bad
            = s.file(u"bad.csv"_s, utf8WithMark(header) + "手機條碼,2025x503,AB1,1,開立已確認,否,1,店,址,,1,1,1,x\n");
        QCOMPARE(s.preview(w, { download, bad }), QStringList { "refused" });
        QCOMPARE(s.boxes.take().last(), u"bad.csv 第 2 行：發票日期「2025x503」讀不出來\n沒有匯入任何發票。"_s);
        QCOMPARE(s.entries(), QStringList { "2025-05-06 範例商店 35 日用品" });
    }

    // A Big5 bank file: preamble, 民國 dates, 支出 and 存入, a balance, a totals row. Brought in
    // once; the second time every row is shown, unticked.
    void bankAndCardFilesComeInOnce()
    {
        ImportLedger s;
        const QString path = s.file(u"bank.csv"_s, big5(bank));
        {
            StatementImport w;
            QVERIFY(w.readFile(path));
            QCOMPARE(w.header_row->value(), 3);
            QCOMPARE(s.rows(w),
                QStringList({ "新增✓ 2024/05/01 範例商店 -1,200 +", "新增✓ 2024/05/02 薪水轉入 - +52,000",
                    "新增✓ 2024/05/02 範例商店 -1,200 +" }));
            s.boxes.choose(0);
            testing::click(w.cmd_ok);
        }
        QCOMPARE(s.boxes.take(),
            QStringList { "新增 3 筆，0 筆未勾選（已匯入或可能重複）沒有匯入，支出 2,400 元，存入 52,000 元" });
        QCOMPARE(s.entries("a_date, a_inout, a_content, a_count"),
            QStringList({ "2024-05-01 0 範例商店 1200", "2024-05-02 1 薪水轉入 52000", "2024-05-02 0 範例商店 1200" }));
        StatementImport again;
        QVERIFY(again.readFile(path));
        QCOMPARE(s.rows(again),
            QStringList({ "已匯入 2024/05/01 範例商店 -1,200 +", "已匯入 2024/05/02 薪水轉入 - +52,000",
                "已匯入 2024/05/02 範例商店 -1,200 +" }));

        // A UTF-8 card file whose rows have only month and day, the year in its title; a row typed
        // by hand before looks imported. The columns set by the person are proposed for the next file.
        s.ledger.addEntry("2026-01-15", s.food, 0, u"範例超市"_s, 1234, {}, 9, u"餐費"_s);
        const QString cardPath = s.file(u"card.csv"_s, QByteArray(card));
        {
            StatementImport w;
            QVERIFY(w.readFile(cardPath));
            QCOMPARE(s.rows(w),
                QStringList({ "可能重複 2026/01/15 範例超市 -1,234 +", "新增✓ 2025/12/28 年末購物 -500 +",
                    "新增✓ 2026/02/01 繳款 - +3,000" }));
            // The person takes 入帳日 as the description (of no use, but it shows the way is kept).
            w.description_column->setCurrentIndex(w.description_column->findData(1));
            QCOMPARE(s.rows(w).at(1), u"新增✓ 2025/12/28 12/30 -500 +"_s);
            testing::retype(w.profile_name, u"範例卡"_s);
            s.boxes.choose(0);
            testing::click(w.cmd_ok);
        }
        QCOMPARE(s.entries().size(), 7); // the bank's 3 and the hand-typed one no longer looks the same
        StatementImport next;
        QVERIFY(next.readFile(s.file(u"card-03.csv"_s, QByteArray(card).replace("2026/02", "2026/03"))));
        QCOMPARE(next.profile_name->text(), u"範例卡"_s);
        QCOMPARE(next.description_column->currentData().toInt(), 1);
        QCOMPARE(s.rows(next).at(1), u"已匯入 2025/12/28 12/30 -500 +"_s);
    }
};

QUILLORY_TEST_MAIN(ImportsTest)
#include "imports_test.moc"
