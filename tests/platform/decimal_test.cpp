#include "platform/Decimal.h"
#include "platform/Numbers.h"
#include "support/Cents.h"

#include <QObject>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <vector>

using testing::centsText;

namespace {

Decimal dec(const char *text)
{
    const auto d = Decimal::fromText(QString::fromLatin1(text));
    if (!d)
        qFatal("not a number: %s", text);
    return *d;
}

// A random amount of `digits` significant digits with the decimal point `shift` places from
// the right end (negative shift appends zeros), as a person could type it.
QString typedAmount(QRandomGenerator &rng, int digits, int shift, bool negative)
{
    QString d;
    d += QChar('1' + int(rng.bounded(9)));
    for (int i = 1; i < digits; ++i)
        d += QChar('0' + int(rng.bounded(10)));
    QString s;
    if (shift <= 0)
        s = d + QString(-shift, QLatin1Char('0'));
    else if (shift < digits)
        s = d.left(digits - shift) + QLatin1Char('.') + d.mid(digits - shift);
    else
        s = QStringLiteral("0.") + QString(shift - digits, QLatin1Char('0')) + d;
    return negative ? QLatin1Char('-') + s : s;
}

// The text a Decimal should give for a typed plain number: trailing fraction zeros dropped.
QString canonical(QString s)
{
    if (s.contains(QLatin1Char('.'))) {
        while (s.endsWith(QLatin1Char('0')))
            s.chop(1);
        if (s.endsWith(QLatin1Char('.')))
            s.chop(1);
    }
    return s;
}

} // namespace

class DecimalTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsWhatTheNumericTestAccepts_data();
    void readsWhatTheNumericTestAccepts();
    void refusesWhatTheNumericTestRefuses();
    void roundTripsEveryFifteenDigitShape();
    void storedRealStandsForTheTypedAmount();
    void sumsMatchIntegerCents();
    void addsAndComparesExactly();
    void staysExactPastTwoToThe53();
    void roundsOnlyWhatCannotBeHeld();
};

void DecimalTest::readsWhatTheNumericTestAccepts_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << "120"
                           << "120";
    QTest::newRow("fraction") << "12.5"
                              << "12.5";
    QTest::newRow("trailing zeros") << "12.500"
                                    << "12.5";
    QTest::newRow("point only") << "7."
                                << "7";
    QTest::newRow("leading point") << ".25"
                                   << "0.25";
    QTest::newRow("plus") << "+3"
                          << "3";
    QTest::newRow("minus") << "-0.05"
                           << "-0.05";
    QTest::newRow("minus zero") << "-0.00"
                                << "0";
    QTest::newRow("leading zeros") << "000123.4500"
                                   << "123.45";
    QTest::newRow("blanks") << "  8.8 "
                            << "8.8";
    QTest::newRow("exponent") << "1.5e3"
                              << "1500";
    QTest::newRow("negative exponent") << "15E-4"
                                       << "0.0015";
    QTest::newRow("exponent with plus") << "2e+2"
                                        << "200";
    QTest::newRow("large exponent") << "1e20"
                                    << "100000000000000000000";
    QTest::newRow("zero with exponent") << "0e500"
                                        << "0";
}

void DecimalTest::readsWhatTheNumericTestAccepts()
{
    QFETCH(QString, typed);
    QFETCH(QString, text);
    QVERIFY(Numbers::isNumeric(typed));
    const auto d = Decimal::fromText(typed);
    QVERIFY2(d.has_value(), qPrintable(typed));
    QCOMPARE(d->text(), text);
    QCOMPARE(d->toDouble(), typed.trimmed().toDouble());
}

void DecimalTest::refusesWhatTheNumericTestRefuses()
{
    const QStringList refused
        = { QString(), QStringLiteral(" "), QStringLiteral("."), QStringLiteral("-"), QStringLiteral("1e"),
              QStringLiteral("1e+"), QStringLiteral("1,000"), QStringLiteral("$5"), QStringLiteral("1.2.3"),
              QStringLiteral("--1"), QStringLiteral("\t1"), QStringLiteral("1\n"), QStringLiteral("1e400"),
              QStringLiteral("-2e308"), QStringLiteral("１２"), QStringLiteral("e5"), QStringLiteral("1 2") };
    for (const QString &t : refused) {
        QVERIFY2(!Numbers::isNumeric(t), qPrintable(t));
        QVERIFY2(!Decimal::fromText(t).has_value(), qPrintable(t));
    }
    QVERIFY(Decimal::fromText(QStringLiteral("1.7e308")).has_value());
}

void DecimalTest::roundTripsEveryFifteenDigitShape()
{
    // Every count of significant digits, every place of the decimal point within and around them.
    QRandomGenerator rng(15);
    for (int digits = 1; digits <= 15; ++digits) {
        for (int shift = -6; shift <= digits + 6; ++shift) {
            for (int n = 0; n < 20; ++n) {
                const QString typed = typedAmount(rng, digits, shift, n % 2 == 1);
                const auto d = Decimal::fromText(typed);
                QVERIFY2(d.has_value(), qPrintable(typed));
                QCOMPARE(d->text(), canonical(typed));
                QCOMPARE(Decimal::fromDouble(d->toDouble()), *d);
                QCOMPARE(Decimal::fromDouble(d->toDouble()).text(), canonical(typed));
            }
        }
    }
}

void DecimalTest::storedRealStandsForTheTypedAmount()
{
    // An amount is stored as the double the typed text reads as. Over the whole range of normal
    // doubles, 15 significant digits always come back as typed.
    QRandomGenerator rng(53);
    for (int exponent = -307; exponent <= 308; ++exponent) {
        for (int n = 0; n < 8; ++n) {
            const int digits = 1 + int(rng.bounded(15));
            QString typed = typedAmount(rng, digits, 0, n % 2 == 1);
            typed += QStringLiteral("e%1").arg(exponent - digits + 1);
            const double stored = typed.toDouble();
            if (!std::isfinite(stored))
                continue; // 9.9e308 is past the largest double, refused by the numeric test
            QCOMPARE(Decimal::fromDouble(stored), *Decimal::fromText(typed));
        }
    }
    QCOMPARE(Decimal::fromDouble(0.1).text(), QStringLiteral("0.1"));
    QCOMPARE(Decimal::fromDouble(-0.0).text(), QStringLiteral("0"));
    QCOMPARE(Decimal::fromDouble(NAN), Decimal());
    // A double no 15-digit text reads as stands for its nearest 15-digit decimal.
    QCOMPARE(Decimal::fromDouble(0.1 + 0.2).text(), QStringLiteral("0.3"));
    QCOMPARE(Decimal::fromDouble(1.0 / 3).text(), QStringLiteral("0.333333333333333"));
}

void DecimalTest::sumsMatchIntegerCents()
{
    QRandomGenerator rng(100);
    Decimal sum;
    qint64 cents = 0;
    std::vector<Decimal> amounts;
    for (int i = 0; i < 10000; ++i) {
        const qint64 c = qint64(rng.bounded(2000000)) - 500000;
        const Decimal amount = Decimal::fromDouble(centsText(c).toDouble());
        QCOMPARE(amount.text(), centsText(c));
        sum += amount;
        cents += c;
        amounts.push_back(amount);
        if (i % 997 == 0)
            QCOMPARE(sum.text(), centsText(cents));
    }
    QCOMPARE(sum.text(), centsText(cents));
    QCOMPARE(sum, Decimal(cents, -2));
    QCOMPARE(sum.toDouble(), double(cents) / 100);
    for (const Decimal &a : amounts)
        sum -= a;
    QVERIFY(sum.isZero());
    QCOMPARE(sum.text(), QStringLiteral("0"));
}

void DecimalTest::addsAndComparesExactly()
{
    QVERIFY((dec("0.1") + dec("0.2") - dec("0.3")).isZero());
    QCOMPARE((dec("0.3") - dec("0.1") - dec("0.2")).text(), QStringLiteral("0"));
    QCOMPARE(dec("0.1") + dec("0.2"), dec("0.3"));
    QCOMPARE((dec("-0.5") + dec("0.2")).text(), QStringLiteral("-0.3"));
    QCOMPARE((-dec("12.5")).text(), QStringLiteral("-12.5"));
    QVERIFY((-dec("12.5")).isNegative());
    QVERIFY(!dec("0").isNegative());
    QCOMPARE((dec("1e10") + dec("0.01")).text(), QStringLiteral("10000000000.01"));
    Decimal d = dec("5");
    d -= dec("7.25");
    QCOMPARE(d.text(), QStringLiteral("-2.25"));

    // Equal values held at different scales.
    QCOMPARE(dec("1.50"), dec("1.5"));
    QCOMPARE(Decimal(150, -2), Decimal(15, -1));
    QCOMPARE(Decimal(3, 2), dec("300"));
    QVERIFY(dec("0.3") < dec("0.30000000000001"));
    QVERIFY(dec("-0.3") > dec("-0.30000000000001"));
    QVERIFY(dec("-1") < dec("0"));
    QVERIFY(dec("0") < dec("1e-300"));
    QVERIFY(dec("99.9") < dec("100"));
    QVERIFY(dec("-100") < dec("-99.9"));
    QVERIFY(dec("1e20") > dec("99999999999999.99"));

    std::vector<Decimal> v = { dec("10"), dec("-2.5"), dec("0.1"), dec("9.99"), dec("-2.49"), dec("0") };
    std::sort(v.begin(), v.end());
    QStringList sorted;
    for (const Decimal &x : v)
        sorted << x.text();
    QCOMPARE(sorted.join(QLatin1Char(' ')), QStringLiteral("-2.5 -2.49 0 0.1 9.99 10"));
}

void DecimalTest::staysExactPastTwoToThe53()
{
    // 2^53 + 1 is no double, yet a sum reaching it is exact.
    QCOMPARE((dec("9007199254740992") + dec("1")).text(), QStringLiteral("9007199254740993"));
    Decimal sum;
    qint64 cents = 0;
    for (int i = 0; i < 1000; ++i) {
        sum += dec("9999999999999.99"); // 15 significant digits
        cents += 999999999999999LL;
    }
    QCOMPARE(sum.text(), centsText(cents));
    QVERIFY(cents > (qint64(1) << 53));
    QCOMPARE((sum + dec("0.01")).text(), centsText(cents + 1));
    QCOMPARE((-sum).text(), centsText(-cents));
    QCOMPARE(
        (dec("123456789012345") + dec("0.000000000012345")).text(), QStringLiteral("123456789012345.000000000012345"));
}

void DecimalTest::roundsOnlyWhatCannotBeHeld()
{
    // 36 significant digits are held exactly; amounts too far apart in size are rounded, never
    // wrapped around.
    const Decimal big = dec("1e300");
    QCOMPARE(big + dec("1e-300"), big);
    QCOMPARE(big - big, Decimal());
    QCOMPARE((dec("1e300") + dec("1")).toDouble(), 1e300);
    const Decimal wide = dec("123456789012345678901234567890123456"); // 36 digits
    QCOMPARE(wide.text(), QStringLiteral("123456789012345678901234567890123456"));
    QCOMPARE((wide + dec("1")).text(), QStringLiteral("123456789012345678901234567890123457"));
    QCOMPARE((wide + dec("0.5")).text(), QStringLiteral("123456789012345678901234567890123456"));
    QCOMPARE((wide + dec("0.6")).text(), QStringLiteral("123456789012345678901234567890123457"));
    QCOMPARE(dec("9999999999999999999999999999999999999").text(), // 37 nines round up
        QStringLiteral("10000000000000000000000000000000000000"));
    Decimal near = dec("999999999999999999999999999999999999");
    near += dec("999999999999999999999999999999999999");
    QCOMPARE(near.text(), QStringLiteral("2000000000000000000000000000000000000"));
    QVERIFY(near > wide);
}

QTEST_GUILESS_MAIN(DecimalTest)
#include "decimal_test.moc"
