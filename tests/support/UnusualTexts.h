#pragma once

#include <QString>
#include <QStringList>
#include <QTest>

// Texts a person can paste that a careless program would change on the way to the ledger and
// back: marks a reader takes for a byte-order mark, noncharacters, characters beyond the first
// plane, emoji joined into one.
namespace testing {

// Code units in hex, so a failure shows what changed.
inline QString units(const QString &text)
{
    QStringList out;
    for (QChar c : text)
        out << QString::number(c.unicode(), 16).rightJustified(4, QLatin1Char('0'));
    return out.join(QLatin1Char(' '));
}

// A data column "text" with a row for each such text. Without bare marks, only texts that
// hold something a person would type besides the marks.
inline void addUnusualTextRows(bool withBareMarks)
{
    QTest::addColumn<QString>("text");
    QTest::newRow("leading U+FEFF") << QStringLiteral("\uFEFF早餐");
    QTest::newRow("leading U+FFFE") << QStringLiteral("\uFFFEab");
    QTest::newRow("U+FFFE then U+FEFF") << QStringLiteral("\uFFFE\uFEFF午餐");
    QTest::newRow("U+FEFF inside and at the end") << QStringLiteral("咖\uFEFF啡\uFEFF");
    QTest::newRow("emoji") << QStringLiteral("🍜 拉麵 👨‍👩‍👧");
    QTest::newRow("CJK extension B") << QStringLiteral("𠀀𪚥 豆花");
    QTest::newRow("U+FEFF before an emoji") << QStringLiteral("\uFEFF😀");
    if (!withBareMarks)
        return;
    QTest::newRow("U+FFFF and U+FFFE") << QStringLiteral("\uFFFF\uFFFE");
    QTest::newRow("two leading U+FEFF") << QStringLiteral("\uFEFF\uFEFFx");
    QTest::newRow("U+FEFF alone") << QStringLiteral("\uFEFF");
}

} // namespace testing

#define COMPARE_UNITS(actual, expected) QCOMPARE(testing::units(actual), testing::units(expected))
