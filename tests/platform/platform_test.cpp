// Dates, amounts and exact decimals as people type them and as the ledger writes them: each
// reader is held to a table of typed texts, to a general reader over every short text, and to
// its writer over whole centuries of days.

#include "platform/DateText.h"
#include "platform/Decimal.h"
#include "platform/Numbers.h"
#include "support/Cents.h"
#include "support/TestSupport.h"

#include <QRandomGenerator>
#include <QRegularExpression>

#include <cmath>
#include <cstring>

namespace {

Decimal dec(const QString &text)
{
    return Decimal::fromText(text).value_or(Decimal(999999999));
}

} // namespace

class PlatformTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsAndWritesDates()
    {
        testing::FixedClock clock(QDate(2026, 12, 6));
        // A year of one to three digits is a 民國 year.
        const QList<std::pair<const char *, QDate>> read = {
            { "  2024/05/01 ", QDate(2024, 5, 1) },
            { "2024-05-01", QDate(2024, 5, 1) },
            { "2000/2/29", QDate(2000, 2, 29) },
            { "99-12-31", QDate(2010, 12, 31) },
            { "1/1/1", QDate(1912, 1, 1) },
            { "0570605", QDate(1968, 6, 5) },
            { "990906", QDate(2010, 9, 6) },
            { "民國113/5/1", QDate(2024, 5, 1) },
            { "民國 113 年 5 月 1 日", QDate(2024, 5, 1) },
            { "113年05月", QDate(2024, 5, 1) },
            { "\u3000１１３．５．１ ", QDate(2024, 5, 1) },
            { "１２/１", QDate(2026, 12, 1) },
            { "2023-11", QDate(2023, 11, 1) },
            { "5/1", QDate(2026, 5, 1) },
            { "2024年12月", QDate(2024, 12, 1) },
        };
        for (const auto &[typed, day] : read)
            QCOMPARE(DateText::read(QString::fromUtf8(typed)), std::optional<QDate>(day));
        for (const char *typed : { "", " ", "abc", "2023/2/29", "1900/2/29", "2024/13/1", "2024/0/10", "2024/4/31",
                 "2024/5/0", "2024/5/1/2", "2024/5-1", "2024/5/1x", "20245/1/1", "5/1/2024", "2024//1", "2024年13月1日",
                 "2024/5/ 1", "13/32", "0000/1/1", "0/1/1", "000/1/1", "112/2/29", "1130230", "民國2024/5/1", "民國",
                 "12345", "123456789", "民國0年1月1日", "113/5/1 12:00", "113年5月1", "2024/5/1 \n" })
            QVERIFY2(!DateText::read(QString::fromUtf8(typed)) && !DateText::isDate(QString::fromUtf8(typed)), typed);
        // The hand-written writers and the ISO reader against Qt's general ones.
        const auto argDate = [](const QDate &d, char separator, int width) {
            return QString::asprintf(
                "%04d%c%0*d%c%0*d", d.year(), separator, width, d.month(), separator, width, d.day());
        };
        QVector<QDate> days
            = { QDate(1, 1, 1), QDate(999, 12, 31), QDate(9999, 12, 31), QDate(10000, 1, 1), QDate(-5, 3, 4), QDate() };
        for (QDate d(1899, 12, 1); d <= QDate(2031, 1, 1); d = d.addDays(1))
            days << d;
        QStringList texts = { "2023-02-29", "2024-13-01", "2024-05-00", "0000-01-01", "2024-5-1", "2024/05/01",
            "2024-05-01(三)", "2024-05-0x", "+2024-05-01", "２０２４-05-01", QString(), "2024" };
        for (const QDate &d : std::as_const(days)) {
            QCOMPARE(DateText::slashed(d), argDate(d, '/', 2));
            QCOMPARE(DateText::iso(d), argDate(d, '-', 2));
            QCOMPARE(DateText::defaultText(d), argDate(d, '/', 1));
            texts << DateText::iso(d);
        }
        for (const QString &text : std::as_const(texts))
            QCOMPARE(DateText::fromIso(text), QDate::fromString(text.left(10), Qt::ISODate));
    }

    // typed -> what the numeric test reads ("-" refused), and what the amount reader makes of it.
    void readsAmountsAndSumsThemExactly()
    {
        const QList<std::tuple<const char *, const char *, const char *>> rows = {
            { " 80 ", "80", "80" },
            { ".5", "0.5", ".5" },
            { "5.", "5", "5." },
            { "+3", "3", "+3" },
            { "2.5E-1", "0.25", "2.5E-1" },
            { "000123.4500", "123.45", "000123.4500" },
            { "1,000", "-", "1000" },
            { "-1,234,567.25", "-", "-1234567.25" },
            { "nt$ 120", "-", "120" },
            { "$-20", "-", "-20" },
            { "1,200 元", "-", "1200" },
            { "－１，２００．５元", "-", "-1200.5" },
            { "＋＄８０", "-", "+80" },
            { "\u221280", "-", "-80" },
            { "\u3000８０\u3000", "-", "80" },
            { "1,234,567,890,123,456", "-", "1234567890123456" },
            { "", "-", "" },
            { "1 000", "-", "" },
            { "\t80", "-", "" },
            { "1e999", "-", "" },
            { "0x10", "-", "" },
            { "e5", "-", "" },
            { "1.2.3", "-", "" },
            { "1e+", "-", "" },
        };
        for (const auto &[typed, number, amount] : rows) {
            const QString text = QString::fromUtf8(typed);
            const bool numeric = qstrcmp(number, "-") != 0;
            QVERIFY2(Numbers::isNumeric(text) == numeric, typed);
            QCOMPARE(Numbers::toNumber(text), numeric ? text.toDouble() : 0.0);
            const std::optional<Decimal> exact = Decimal::fromText(text);
            QCOMPARE(exact ? exact->text() : QStringLiteral("-"), QString::fromLatin1(number));
            QCOMPARE(Numbers::plainAmount(text).value_or(QString()), QString::fromUtf8(amount));
        }
        for (const char *refused : { "1,20", "1200,", ",200", "1.200,5", "-$-5", "$", "元", "US$5", "5$", "元5",
                 "(120)", "１２０圓", "1,200.5.5" })
            QVERIFY2(!Numbers::plainAmount(QString::fromUtf8(refused)), refused);
        QVERIFY(Decimal::fromText(QStringLiteral("1.7e308")) && !Decimal::fromText(QStringLiteral("-2e308")));
        QCOMPARE(QStringList({ dec("0e500").text(), dec("-0.00").text(), dec("1e20").text() }),
            QStringList({ "0", "0", "1" + QString(20, u'0') }));
        // Written plainly, without a binary tail or an exponent.
        QCOMPARE(QStringList({ Numbers::text(-0.0), Numbers::text(-2730.0), Numbers::text(0.1 + 0.2),
                     Numbers::text(1234.56 + 0.01), Numbers::text(1e15), Numbers::text(0.0001) }),
            QStringList({ "0", "-2730", "0.3", "1234.57", "1000000000000000", "0.0001" }));
        QRandomGenerator rng(100);
        Decimal sum;
        qint64 cents = 0;
        for (int i = 0; i < 10000; ++i) {
            const qint64 c = qint64(rng.bounded(2000000)) - 500000;
            sum += Decimal::fromDouble(testing::centsText(c).toDouble());
            cents += c;
        }
        QCOMPARE(sum.text(), testing::centsText(cents));
        QCOMPARE(sum, Decimal(cents, -2));
        sum -= Decimal(cents, -2);
        QVERIFY(sum.isZero() && !sum.isNegative());
        // Past 2^53, and 36 digits held; amounts too far apart are rounded, never wrapped.
        const Decimal wide = dec("123456789012345678901234567890123456");
        const Decimal nines = dec("999999999999999999999999999999999999");
        QCOMPARE(QStringList({ (dec("9007199254740992") + dec("1")).text(), (wide + dec("0.5")).text(),
                     (wide + dec("0.6")).text(), dec("9" + nines.text()).text(), (nines + nines).text(),
                     (-dec("12.5") + dec("0.2")).text() }),
            QStringList({ "9007199254740993", wide.text(), "123456789012345678901234567890123457",
                "1" + QString(37, u'0'), "2" + QString(36, u'0'), "-12.3" }));
        QCOMPARE(dec("1e300") + dec("1e-300"), dec("1e300"));
        std::vector<Decimal> unsorted
            = { dec("10"), dec("-2.5"), dec("1.50"), dec("1.5"), dec("-2.49"), dec("0"), dec("1e-3"), dec("-1e20") };
        std::sort(unsorted.begin(), unsorted.end());
        QStringList sorted;
        for (const Decimal &x : unsorted)
            sorted << x.text();
        QCOMPARE(sorted.join(u' '), QStringLiteral("-100000000000000000000 -2.5 -2.49 0 0.001 1.5 1.5 10"));
        // Every text of up to five characters of this alphabet, bare and after blanks.
        static const QRegularExpression pattern(
            QStringLiteral(R"(^[+-]?(?:[0-9]+\.?[0-9]*|\.[0-9]+)(?:[eE][+-]?[0-9]+)?)"));
        QStringList texts = { "2005/10/09(日)", "-1e999x", "\t5", "123456789012345678901234567890.5", "５" };
        QStringList level = { QString() };
        for (int length = 1; length <= 5; ++length) {
            QStringList next;
            for (const QString &prefix : std::as_const(level))
                for (const QChar c : QStringLiteral("09.+-eE x元"))
                    next << prefix + c;
            texts += next;
            level = next;
        }
        for (const QString &text : std::as_const(texts))
            for (const QString &t : { text, QStringLiteral("  ") + text }) {
                const auto m = pattern.match(Numbers::trimBlanks(t));
                bool ok = false;
                const double v = m.hasMatch() ? m.captured(0).toDouble(&ok) : 0;
                const double expected = ok && std::isfinite(v) ? v : 0;
                const double read = Numbers::leadingNumber(t);
                if (std::memcmp(&read, &expected, sizeof read) != 0) // -0.0 is not 0.0 here
                    QFAIL(qPrintable(t));
            }
    }
};

QUILLORY_TEST_MAIN(PlatformTest)
#include "platform_test.moc"
