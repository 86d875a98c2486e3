// Reading numbers and dates from cell texts and writing dates run once per cell of a long
// result, so they are hand-written scanners rather than regular expressions and QString::arg.
// These tests hold them to the general readers and writers they replace, over every text
// of a small alphabet and over whole centuries of dates.

#include "platform/DateText.h"
#include "platform/Numbers.h"
#include "support/TestSupport.h"

#include <QRegularExpression>
#include <QTest>

#include <cmath>
#include <cstring>

namespace {

// The general reader: the leading match of the number pattern, read by QString::toDouble.
double leadingNumberByPattern(const QString &text)
{
    static const QRegularExpression leading(
        QStringLiteral(R"(^[+-]?(?:[0-9]+\.?[0-9]*|\.[0-9]+)(?:[eE][+-]?[0-9]+)?)"));
    const auto m = leading.match(Numbers::trimBlanks(text));
    if (!m.hasMatch())
        return 0;
    bool ok = false;
    const double v = m.captured(0).toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0;
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

QString argDate(const QDate &date, QChar separator, int monthDayWidth)
{
    return QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0')) + separator
        + QStringLiteral("%1").arg(date.month(), monthDayWidth, 10, QLatin1Char('0')) + separator
        + QStringLiteral("%1").arg(date.day(), monthDayWidth, 10, QLatin1Char('0'));
}

} // namespace

class TextReadingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void leadingNumberAgreesWithThePatternOnEveryShortText()
    {
        // Every text of up to five characters from these, and each again after blanks.
        const QString alphabet = QStringLiteral("09.+-eE x元");
        QStringList texts = { QString() };
        QStringList level = { QString() };
        for (int length = 1; length <= 5; ++length) {
            QStringList next;
            for (const QString &prefix : level) {
                for (const QChar c : alphabet)
                    next << prefix + c;
            }
            texts += next;
            level = next;
        }
        texts << QStringLiteral("2005/10/09(日)") << QStringLiteral("1e999") << QStringLiteral("-1e999x")
              << QStringLiteral("123456789012345678901234567890.5") << QStringLiteral("\t5") << QStringLiteral("５")
              << QStringLiteral("1.5e+3元") << QStringLiteral("  -0.25 ");
        int compared = 0;
        for (const QString &text : std::as_const(texts)) {
            for (const QString &t : { text, QStringLiteral("  ") + text }) {
                const double expected = leadingNumberByPattern(t);
                const double actual = Numbers::leadingNumber(t);
                if (!sameBits(actual, expected))
                    QFAIL(qPrintable(
                        QStringLiteral("\"%1\": %2, the pattern reads %3").arg(t).arg(actual).arg(expected)));
                ++compared;
            }
        }
        QVERIFY(compared > 200000);
    }

    void datesAreWrittenAsBefore()
    {
        // Every day of a few whole years around the ledger's, and the edges of the calendar.
        QVector<QDate> days;
        for (QDate d(1899, 12, 1); d <= QDate(1901, 3, 1); d = d.addDays(1))
            days << d;
        for (QDate d(1995, 1, 1); d <= QDate(2031, 1, 1); d = d.addDays(1))
            days << d;
        days << QDate(1, 1, 1) << QDate(9, 9, 9) << QDate(999, 12, 31) << QDate(9999, 12, 31) << QDate(10000, 1, 1)
             << QDate(-5, 3, 4) << QDate();
        for (const QDate &d : std::as_const(days)) {
            QCOMPARE(DateText::slashed(d), argDate(d, QLatin1Char('/'), 2));
            QCOMPARE(DateText::iso(d), argDate(d, QLatin1Char('-'), 2));
            QCOMPARE(DateText::defaultText(d), argDate(d, QLatin1Char('/'), 1));
        }
    }

    void storedDatesAreReadAsTheGeneralReaderReadsThem()
    {
        QStringList texts;
        for (QDate d(1996, 12, 25); d <= QDate(2030, 1, 5); d = d.addDays(1))
            texts << DateText::iso(d);
        // Impossible days and months, year zero, other shapes, and trailing text after the date.
        texts << QStringLiteral("2023-02-29") << QStringLiteral("2024-02-30") << QStringLiteral("2024-13-01")
              << QStringLiteral("2024-00-10") << QStringLiteral("2024-05-00") << QStringLiteral("0000-01-01")
              << QStringLiteral("2024-5-1") << QStringLiteral("2024/05/01") << QStringLiteral("24-05-01")
              << QStringLiteral("2024-05-01(三)") << QStringLiteral("2024-05-01 10:00") << QStringLiteral("2024-05-0x")
              << QStringLiteral("+2024-05-01") << QStringLiteral("２０２４-05-01") << QString()
              << QStringLiteral("2024");
        for (const QString &text : std::as_const(texts)) {
            const QDate expected = QDate::fromString(text.left(10), Qt::ISODate);
            const QDate actual = DateText::fromIso(text);
            if (actual != expected || actual.isValid() != expected.isValid())
                QFAIL(qPrintable(QStringLiteral("\"%1\": %2, the general reader gives %3")
                                     .arg(text, actual.toString(Qt::ISODate), expected.toString(Qt::ISODate))));
        }
    }
};

QUILLORY_TEST_MAIN(TextReadingTest)
#include "text_reading_test.moc"
