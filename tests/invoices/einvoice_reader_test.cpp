// The e-invoice files of a carrier, in each of their layouts and encodings, with the traps the
// platform's files hold: every invoice read whole and every damaged line named.
#include "platform/EInvoice.h"
#include "platform/Statement.h"
#include "platform/TextFile.h"

#include <QStringEncoder>
#include <QTest>

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

} // namespace

class EInvoiceReaderTest : public QObject
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
    }

    void namesTheLineItCannotRead()
    {
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

    // The amounts statements write, and what is no amount.
    void statementAmounts()
    {
        QStringList read;
        for (const char *cell :
            { "1,234", "-1,234", "(1,234)", "（１，２３４）", "NT$120", "-", "−", " ", "", "abc", "12.50" }) {
            const std::optional<Decimal> amount = Statement::amount(QString::fromUtf8(cell));
            read << (amount ? amount->text() : u"none"_s);
        }
        QCOMPARE(read.join(u' '), u"1234 -1234 -1234 -1234 120 none none none none none 12.5"_s);
    }

    // A file without a header gives no transactions; a mapping kept as text reads back, and
    // nothing else does.
    void statementMappings()
    {
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
        QCOMPARE(rows.first().description, u"a, \"b\""_s);
        QCOMPARE(rows.first().inout, 0);
        QCOMPARE(rows.first().amount.text(), u"30"_s);
    }

    // A byte no Big5 character starts with is counted, the rest read.
    void decodesBigFiveWhenItIsNotUtf8()
    {
        const DecodedText text = decodeText(big5("許功蓋") + QByteArray("\xFF"));
        // A character cut off at the end leaves no mark in the text, but is counted all the same.
        const DecodedText cut = decodeText(big5("許功蓋") + QByteArray("\xA4"));
        QCOMPARE(QStringList({ text.encoding, text.text.left(3), QString::number(text.unknownCharacters),
                     QString::number(cut.unknownCharacters) }),
            QStringList({ "Big5", "許功蓋", "1", "1" }));
    }
};

QTEST_GUILESS_MAIN(EInvoiceReaderTest)
#include "einvoice_reader_test.moc"
