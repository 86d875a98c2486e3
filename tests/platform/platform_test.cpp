#include "platform/Clock.h"
#include "platform/DateText.h"
#include "platform/Numbers.h"
#include "support/TestSupport.h"

#include <QObject>

#include <functional>

class PlatformTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsTypedDates_data();
    void readsTypedDates();
    void refusesWhatIsNotADay_data();
    void refusesWhatIsNotADay();
    void writesDatesInEachForm();
    void countsWeekdaysFromMonday();
    void stepsOverMonthAndYearEnds();
    void numericTest_data();
    void numericTest();
    void readsAmountsAsWritten_data();
    void readsAmountsAsWritten();
    void readsLeadingNumbers();
    void writesPlainDecimals_data();
    void writesPlainDecimals();
    void roundsHalfToEven();
    void trimsOnlyBlanks();
    void clockCanBeSet();
};

void PlatformTest::readsTypedDates_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("expected");
    QTest::newRow("slashes") << "2024/5/1" << QDate(2024, 5, 1);
    QTest::newRow("two-digit month and day") << "2024/05/01" << QDate(2024, 5, 1);
    QTest::newRow("dashes") << "2024-05-01" << QDate(2024, 5, 1);
    QTest::newRow("dots") << "2024.5.1" << QDate(2024, 5, 1);
    QTest::newRow("blanks around") << "  2024/5/1 " << QDate(2024, 5, 1);
    QTest::newRow("leap day") << "2024/2/29" << QDate(2024, 2, 29);
    QTest::newRow("leap day of 2000") << "2000/2/29" << QDate(2000, 2, 29);
    QTest::newRow("year end") << "2023/12/31" << QDate(2023, 12, 31);
    // One to three digits are a 民國 year, four a 西元 one.
    QTest::newRow("roc slashes") << "113/5/1" << QDate(2024, 5, 1);
    QTest::newRow("roc dots") << "113.5.1" << QDate(2024, 5, 1);
    QTest::newRow("roc dashes") << "113-05-01" << QDate(2024, 5, 1);
    QTest::newRow("roc two-digit year") << "99-12-31" << QDate(2010, 12, 31);
    QTest::newRow("roc first day") << "1/1/1" << QDate(1912, 1, 1);
    QTest::newRow("roc leap day") << "89/2/29" << QDate(2000, 2, 29);
    QTest::newRow("roc seven digits") << "1130501" << QDate(2024, 5, 1);
    QTest::newRow("roc zero-padded year") << "0570605" << QDate(1968, 6, 5);
    QTest::newRow("roc six digits") << "990906" << QDate(2010, 9, 6);
    QTest::newRow("eight digits") << "20240501" << QDate(2024, 5, 1);
    QTest::newRow("民國") << "民國113年5月1日" << QDate(2024, 5, 1);
    QTest::newRow("roc chinese") << "113年5月1日" << QDate(2024, 5, 1);
    QTest::newRow("中華民國") << "中華民國96年5月3日" << QDate(2007, 5, 3);
    QTest::newRow("民國 with slashes") << "民國113/5/1" << QDate(2024, 5, 1);
    QTest::newRow("roc year and month") << "113/5" << QDate(2024, 5, 1);
    QTest::newRow("roc chinese month") << "113年05月" << QDate(2024, 5, 1);
    QTest::newRow("blanks between") << "民國 113 年 5 月 1 日" << QDate(2024, 5, 1);
    QTest::newRow("full-width") << "１１３／５／１" << QDate(2024, 5, 1);
    QTest::newRow("full-width dots and blanks") << "\u3000１１３．５．１ " << QDate(2024, 5, 1);
    QTest::newRow("full-width month and day") << "１２/１" << QDate(2026, 12, 1);
    QTest::newRow("year and month") << "2024/5" << QDate(2024, 5, 1);
    QTest::newRow("year and month, dashes") << "2023-11" << QDate(2023, 11, 1);
    QTest::newRow("month and day") << "5/1" << QDate(2026, 5, 1);
    QTest::newRow("chinese") << "2024年5月1日" << QDate(2024, 5, 1);
    QTest::newRow("chinese month") << "2024年12月" << QDate(2024, 12, 1);
    QTest::newRow("year report text") << "2024/12/13" << QDate(2024, 12, 13);
}

void PlatformTest::readsTypedDates()
{
    QFETCH(QString, typed);
    QFETCH(QDate, expected);
    testing::FixedClock clock(QDate(2026, 12, 6));
    const auto date = DateText::read(typed);
    QVERIFY2(date.has_value(), qPrintable(typed));
    QCOMPARE(*date, expected);
}

void PlatformTest::refusesWhatIsNotADay_data()
{
    QTest::addColumn<QString>("typed");
    for (const char *text : { "", " ", "abc", "2023/2/29", "1900/2/29", "2024/13/1", "2024/0/10", "2024/4/31",
             "2024/5/0", "2024/5/1/2", "2024/5-1", "2024/5/1x", "20245/1/1", "5/1/2024", "2024//1", "2024年13月1日",
             "2024/5/ 1", "2024/12/13/12/13", "13/32", "0000/1/1", "0/1/1", "000/1/1", "112/2/29", "1130230",
             "民國2024/5/1", "民國", "12345", "123456789", "民國0年1月1日", "113/5/1 12:00", "113年5月1",
             "2024/5/1 "
             "\n" })
        QTest::newRow(text) << QString::fromUtf8(text);
}

void PlatformTest::refusesWhatIsNotADay()
{
    QFETCH(QString, typed);
    QVERIFY2(!DateText::read(typed).has_value(), qPrintable(typed));
    QVERIFY(!DateText::isDate(typed));
}

void PlatformTest::writesDatesInEachForm()
{
    const QDate d(2024, 5, 1);
    QCOMPARE(DateText::defaultText(d), QStringLiteral("2024/5/1"));
    QCOMPARE(DateText::slashed(d), QStringLiteral("2024/05/01"));
    QCOMPARE(DateText::yearMonth(d), QStringLiteral("2024/05"));
    QCOMPARE(DateText::iso(d), QStringLiteral("2024-05-01"));
    QCOMPARE(DateText::fromIso(QStringLiteral("2024-05-01")), d);
    QCOMPARE(DateText::defaultText(QDate(2023, 12, 31)), QStringLiteral("2023/12/31"));
    // What a date is written as must read back as the same day.
    QCOMPARE(DateText::roc(d), QStringLiteral("113/5/1"));
    QCOMPARE(DateText::rocSlashed(d), QStringLiteral("113/05/01"));
    QCOMPARE(DateText::rocSlashed(QDate(1912, 1, 1)), QStringLiteral("1/01/01"));
    // Before 民國1年 the 西元 year is written, which reads back.
    QCOMPARE(DateText::roc(QDate(1911, 12, 31)), QStringLiteral("1911/12/31"));
    QCOMPARE(DateText::rocSlashed(QDate(1911, 12, 31)), QStringLiteral("1911/12/31"));

    // Every day from 民國1年 to 2099, written in each form, reads back as the same day.
    const auto pad = [](int n, int width) { return QStringLiteral("%1").arg(n, width, 10, QLatin1Char('0')); };
    const QList<std::function<QString(const QDate &)>> forms = {
        DateText::defaultText,
        DateText::slashed,
        DateText::iso,
        DateText::roc,
        DateText::rocSlashed,
        [](const QDate &x) { return DateText::roc(x).replace(QLatin1Char('/'), QLatin1Char('.')); },
        [](const QDate &x) { return DateText::rocSlashed(x).replace(QLatin1Char('/'), QLatin1Char('-')); },
        [](const QDate &x) { return QStringLiteral("%1.%2.%3").arg(x.year()).arg(x.month()).arg(x.day()); },
        [&](const QDate &x) { return pad(x.year(), 4) + pad(x.month(), 2) + pad(x.day(), 2); },
        [&](const QDate &x) { return pad(x.year() - 1911, 3) + pad(x.month(), 2) + pad(x.day(), 2); },
        [](const QDate &x) { return QStringLiteral("%1年%2月%3日").arg(x.year()).arg(x.month()).arg(x.day()); },
        [](const QDate &x) { return QStringLiteral("%1年%2月%3日").arg(x.year() - 1911).arg(x.month()).arg(x.day()); },
        [](const QDate &x) {
            return QStringLiteral("民國%1年%2月%3日").arg(x.year() - 1911).arg(x.month()).arg(x.day());
        },
        [](const QDate &x) {
            return QStringLiteral("中華民國%1年%2月%3日").arg(x.year() - 1911).arg(x.month()).arg(x.day());
        },
        [](const QDate &x) {
            QString wide = DateText::roc(x);
            for (QChar &c : wide)
                c = QChar(c.unicode() + (u'０' - u'0'));
            return wide;
        },
    };
    for (QDate day(1912, 1, 1); day <= QDate(2099, 12, 31); day = day.addDays(1)) {
        for (qsizetype f = 0; f < forms.size(); ++f) {
            const QString written = forms.at(f)(day);
            if (DateText::read(written) != day)
                QFAIL(qPrintable(
                    QStringLiteral("%1 written as \"%2\" (form %3)").arg(day.toString(Qt::ISODate), written).arg(f)));
        }
    }
}

void PlatformTest::countsWeekdaysFromMonday()
{
    QCOMPARE(DateText::weekday(QDate(2024, 4, 29)), 1); // Monday
    QCOMPARE(DateText::weekday(QDate(2024, 5, 4)), 6); // Saturday
    QCOMPARE(DateText::weekday(QDate(2005, 10, 9)), 7); // Sunday
    QCOMPARE(DateText::weekdayName(1), QStringLiteral("一"));
    QCOMPARE(DateText::weekdayName(6), QStringLiteral("六"));
    QCOMPARE(DateText::weekdayName(7), QStringLiteral("日"));
    QVERIFY(DateText::weekdayName(0).isEmpty());
    QVERIFY(DateText::isWeekend(QDate(2024, 5, 5)));
    QVERIFY(!DateText::isWeekend(QDate(2024, 5, 3)));
}

void PlatformTest::stepsOverMonthAndYearEnds()
{
    QCOMPARE(QDate(2024, 1, 31).addDays(1), QDate(2024, 2, 1));
    QCOMPARE(QDate(2023, 12, 31).addDays(1), QDate(2024, 1, 1));
    QCOMPARE(QDate(2024, 3, 1).addDays(-1), QDate(2024, 2, 29));
    QCOMPARE(QDate(2023, 3, 1).addDays(-1), QDate(2023, 2, 28));
    // The last day of a month: the first of the next month less a day.
    QCOMPARE(QDate(2024, 2, 1).addMonths(1).addDays(-1), QDate(2024, 2, 29));
    QCOMPARE(QDate(2024, 12, 1).addMonths(1).addDays(-1), QDate(2024, 12, 31));
    QCOMPARE(QDate(2024, 3, 31).addMonths(-1), QDate(2024, 2, 29));
}

void PlatformTest::numericTest_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numeric");
    QTest::addColumn<double>("value");
    QTest::newRow("whole") << "80" << true << 80.0;
    QTest::newRow("blanks around") << " 80 " << true << 80.0;
    QTest::newRow("fraction") << "12.5" << true << 12.5;
    QTest::newRow("leading point") << ".5" << true << 0.5;
    QTest::newRow("trailing point") << "5." << true << 5.0;
    QTest::newRow("signs") << "-3" << true << -3.0;
    QTest::newRow("plus") << "+3" << true << 3.0;
    QTest::newRow("exponent") << "1e3" << true << 1000.0;
    QTest::newRow("exponent sign") << "2.5E-1" << true << 0.25;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("blanks") << "   " << false << 0.0;
    QTest::newRow("letters") << "abc" << false << 0.0;
    QTest::newRow("grouping") << "1,000" << false << 0.0;
    QTest::newRow("currency") << "$80" << false << 0.0;
    QTest::newRow("two points") << "1.2.3" << false << 0.0;
    QTest::newRow("inner blank") << "1 000" << false << 0.0;
    QTest::newRow("tab") << "\t80" << false << 0.0;
    QTest::newRow("overflow") << "1e999" << false << 0.0;
    QTest::newRow("hex") << "0x10" << false << 0.0;
    QTest::newRow("full-width digits") << "８０" << false << 0.0; // see readsAmountsAsWritten
    QTest::newRow("sign alone") << "-" << false << 0.0;
    QTest::newRow("exponent alone") << "e5" << false << 0.0;
}

void PlatformTest::numericTest()
{
    QFETCH(QString, text);
    QFETCH(bool, numeric);
    QFETCH(double, value);
    QCOMPARE(Numbers::isNumeric(text), numeric);
    QCOMPARE(Numbers::toNumber(text), value);
}

void PlatformTest::readsAmountsAsWritten_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("plain"); // empty: refused
    QTest::newRow("plain") << " 80 "
                           << "80";
    QTest::newRow("sign and fraction") << "-12.5"
                                       << "-12.5";
    QTest::newRow("exponent") << "1e6"
                              << "1e6";
    QTest::newRow("grouped") << "1,200"
                             << "1200";
    QTest::newRow("grouped twice") << "-1,234,567.25"
                                   << "-1234567.25";
    QTest::newRow("full-width comma") << "1，200"
                                      << "1200";
    QTest::newRow("NT$") << "NT$1,200"
                         << "1200";
    QTest::newRow("nt$ and a blank") << "nt$ 120"
                                     << "120";
    QTest::newRow("sign before $") << "-$20"
                                   << "-20";
    QTest::newRow("sign after $") << "$-20"
                                  << "-20";
    QTest::newRow("元") << "120元"
                        << "120";
    QTest::newRow("元 after a blank") << "1,200 元"
                                      << "1200";
    QTest::newRow("full-width") << "－１，２００．５元"
                                << "-1200.5";
    QTest::newRow("full-width plus and dollar") << "＋＄８０"
                                                << "+80";
    QTest::newRow("minus sign") << "\u221280"
                                << "-80";
    QTest::newRow("full-width blanks") << "\u3000８０\u3000"
                                       << "80";
    QTest::newRow("sixteen digits") << "1,234,567,890,123,456"
                                    << "1234567890123456";
    for (const char *refused : { "", "abc", "1,20", "12,00", "1200,", ",200", "1,2000", "1.200,5", "--5", "-$-5", "$",
             "元", "5 5", "US$5", "5$", "元5", "(120)", "1e999", "\t80", "１２０圓", "1,200.5.5" })
        QTest::newRow(refused) << QString::fromUtf8(refused) << QString();
}

void PlatformTest::readsAmountsAsWritten()
{
    QFETCH(QString, typed);
    QFETCH(QString, plain);
    QCOMPARE(Numbers::plainAmount(typed).value_or(QString()), plain);
}

void PlatformTest::readsLeadingNumbers()
{
    QCOMPARE(Numbers::leadingNumber(QStringLiteral("2005/10/09(日)")), 2005.0);
    QCOMPARE(Numbers::leadingNumber(QStringLiteral("  12.5元")), 12.5);
    QCOMPARE(Numbers::leadingNumber(QStringLiteral("-7abc")), -7.0);
    QCOMPARE(Numbers::leadingNumber(QStringLiteral("abc")), 0.0);
    QCOMPARE(Numbers::leadingNumber(QString()), 0.0);
    QCOMPARE(Numbers::leadingNumber(QStringLiteral("1e3x")), 1000.0);
    QCOMPARE(Numbers::leadingNumber(QStringLiteral("1e999")), 0.0);
}

void PlatformTest::writesPlainDecimals_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 80.0 << "80";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("negative") << -2730.0 << "-2730";
    QTest::newRow("fraction") << 12.5 << "12.5";
    QTest::newRow("binary noise") << 0.1 + 0.2 << "0.3";
    QTest::newRow("sum noise") << 1234.56 + 0.01 << "1234.57";
    QTest::newRow("large") << 123456789012.0 << "123456789012";
    QTest::newRow("no grouping or exponent") << 1e15 << "1000000000000000";
    QTest::newRow("small") << 0.0001 << "0.0001";
    QTest::newRow("negative fraction") << -0.5 << "-0.5";
}

void PlatformTest::writesPlainDecimals()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(Numbers::text(value), text);
}

void PlatformTest::roundsHalfToEven()
{
    QCOMPARE(Numbers::roundHalfEven(0.5), 0.0);
    QCOMPARE(Numbers::roundHalfEven(1.5), 2.0);
    QCOMPARE(Numbers::roundHalfEven(2.5), 2.0);
    QCOMPARE(Numbers::roundHalfEven(3.5), 4.0);
    QCOMPARE(Numbers::roundHalfEven(-0.5), 0.0);
    QCOMPARE(Numbers::roundHalfEven(-1.5), -2.0);
    QCOMPARE(Numbers::roundHalfEven(2.4), 2.0);
    QCOMPARE(Numbers::roundHalfEven(2.6), 3.0);
    // The day total: 0.5 then 0.5 again stays 0; 1.5 then +1 gives 2 then 3.
    double total = 0;
    total = Numbers::roundHalfEven(total + 0.5);
    total = Numbers::roundHalfEven(total + 0.5);
    QCOMPARE(total, 0.0);
    total = Numbers::roundHalfEven(1.5);
    QCOMPARE(total, 2.0);
    total = Numbers::roundHalfEven(total + 1);
    QCOMPARE(total, 3.0);
}

void PlatformTest::trimsOnlyBlanks()
{
    QCOMPARE(Numbers::trimBlanks(QStringLiteral("  a b  ")), QStringLiteral("a b"));
    QCOMPARE(Numbers::trimBlanks(QStringLiteral("\ta\n")), QStringLiteral("\ta\n"));
    QCOMPARE(Numbers::trimBlanks(QStringLiteral("\u3000a\u3000")), QStringLiteral("\u3000a\u3000"));
    QCOMPARE(Numbers::trimBlanks(QStringLiteral("    ")), QString());
}

void PlatformTest::clockCanBeSet()
{
    {
        testing::FixedClock clock(QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58)));
        QCOMPARE(Clock::today(), QDate(2024, 2, 29));
        QCOMPARE(Clock::now().time(), QTime(23, 59, 58));
    }
    QVERIFY(qAbs(Clock::now().secsTo(QDateTime::currentDateTime())) < 5);
}

QUILLORY_TEST_MAIN(PlatformTest)
#include "platform_test.moc"
