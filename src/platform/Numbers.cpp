#include "platform/Numbers.h"

#include "platform/Decimal.h"

#include <QRegularExpression>

#include <cmath>

namespace Numbers {

namespace {

const QString numberPattern = QStringLiteral(R"([+-]?(?:[0-9]+\.?[0-9]*|\.[0-9]+)(?:[eE][+-]?[0-9]+)?)");

} // namespace

QString trimBlanks(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == QLatin1Char(' '))
        ++start;
    while (end > start && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(start, end - start);
}

QString asciiForm(const QString &text)
{
    QString ascii = text;
    for (QChar &c : ascii) {
        const char16_t u = c.unicode();
        if (u >= u'０' && u <= u'９')
            c = QChar(char16_t(u'0' + (u - u'０')));
        else if (u == u'．')
            c = QLatin1Char('.');
        else if (u == u'－' || u == u'\u2212')
            c = QLatin1Char('-');
        else if (u == u'＋')
            c = QLatin1Char('+');
        else if (u == u'，')
            c = QLatin1Char(',');
        else if (u == u'＄')
            c = QLatin1Char('$');
        else if (u == u'／')
            c = QLatin1Char('/');
        else if (u == u'\u3000')
            c = QLatin1Char(' ');
    }
    return ascii;
}

bool isNumeric(const QString &text)
{
    // \z: $ would let a final line break through, and toDouble() would then ignore it.
    static const QRegularExpression whole(QStringLiteral("^") + numberPattern + QStringLiteral("\\z"));
    const QString t = trimBlanks(text);
    if (!whole.match(t).hasMatch())
        return false;
    bool ok = false;
    const double v = t.toDouble(&ok);
    return ok && std::isfinite(v);
}

std::optional<QString> plainAmount(const QString &typed)
{
    // One sign, before or after the currency sign; thousands grouped by threes or not at all.
    static const QRegularExpression amount(QStringLiteral(R"(^([+-]?) ?(?:[Nn][Tt]\$|\$)? ?([+-]?) ?)"
                                                          R"(((?:[0-9]{1,3}(?:,[0-9]{3})+|[0-9]+)(?:\.[0-9]*)?)"
                                                          R"(|\.[0-9]+)([eE][+-]?[0-9]+)?(?: ?元)?\z)"));
    const auto m = amount.match(trimBlanks(asciiForm(typed)));
    if (!m.hasMatch() || (!m.captured(1).isEmpty() && !m.captured(2).isEmpty()))
        return std::nullopt;
    QString plain = m.captured(1) + m.captured(2) + m.captured(3) + m.captured(4);
    plain.remove(QLatin1Char(','));
    if (!isNumeric(plain))
        return std::nullopt;
    return plain;
}

QString acceptedAmountForms()
{
    return QStringLiteral("可打 80、-20、12.5、1,200、1，200、NT$1,200、$120 或 120元；全形數字和正負號也可以");
}

int significantDigits(const QString &text)
{
    const QString t = trimBlanks(text);
    const qsizetype exponent = t.indexOf(QLatin1Char('e'), 0, Qt::CaseInsensitive);
    QString digits;
    for (const QChar c : QStringView(t).left(exponent < 0 ? t.size() : exponent)) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits += c;
    }
    qsizetype first = 0;
    while (first < digits.size() && digits.at(first) == QLatin1Char('0'))
        ++first;
    qsizetype last = digits.size();
    while (last > first && digits.at(last - 1) == QLatin1Char('0'))
        --last;
    return int(last - first);
}

bool hasExponent(const QString &text)
{
    return text.contains(QLatin1Char('e'), Qt::CaseInsensitive);
}

QString groupThousands(const QString &plain)
{
    QString t = plain;
    const qsizetype point = t.indexOf(QLatin1Char('.'));
    const qsizetype start = t.startsWith(QLatin1Char('-')) ? 1 : 0;
    for (qsizetype i = (point < 0 ? t.size() : point) - 3; i > start; i -= 3)
        t.insert(i, QLatin1Char(','));
    return t;
}

QString grouped(double value)
{
    return groupThousands(text(value));
}

double toNumber(const QString &text)
{
    if (!isNumeric(text))
        return 0;
    return trimBlanks(text).toDouble();
}

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

qsizetype digitsFrom(QStringView t, qsizetype i)
{
    while (i < t.size() && isAsciiDigit(t.at(i)))
        ++i;
    return i;
}

// Length of the number at the start of t, as numberPattern anchored at the start would match
// it; 0 when there is none. Runs for every cell the query window adds up, where a regular
// expression match costs more than the rest of the cell's work together.
qsizetype numberLength(QStringView t)
{
    qsizetype i = 0;
    if (i < t.size() && (t.at(i) == QLatin1Char('+') || t.at(i) == QLatin1Char('-')))
        ++i;
    if (i < t.size() && isAsciiDigit(t.at(i))) {
        i = digitsFrom(t, i);
        if (i < t.size() && t.at(i) == QLatin1Char('.'))
            i = digitsFrom(t, i + 1);
    } else if (i + 1 < t.size() && t.at(i) == QLatin1Char('.') && isAsciiDigit(t.at(i + 1))) {
        i = digitsFrom(t, i + 1);
    } else {
        return 0;
    }
    if (i < t.size() && (t.at(i) == QLatin1Char('e') || t.at(i) == QLatin1Char('E'))) {
        qsizetype e = i + 1;
        if (e < t.size() && (t.at(e) == QLatin1Char('+') || t.at(e) == QLatin1Char('-')))
            ++e;
        if (e < t.size() && isAsciiDigit(t.at(e)))
            i = digitsFrom(t, e);
    }
    return i;
}

} // namespace

double leadingNumber(const QString &text)
{
    QStringView t(text);
    while (!t.isEmpty() && t.front() == QLatin1Char(' '))
        t = t.mid(1);
    const qsizetype length = numberLength(t);
    if (length == 0)
        return 0;
    bool ok = false;
    const double v = t.left(length).toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0;
}

QString text(double value)
{
    // One reading of a stored amount for showing it and for adding it up.
    return Decimal::fromDouble(value).text();
}

double roundHalfEven(double value)
{
    // nearbyint follows the default rounding mode, which is to nearest, ties to even.
    const double r = std::nearbyint(value);
    return r == 0 ? 0.0 : r;
}

} // namespace Numbers
