#include "platform/Decimal.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>

namespace {

using Coefficient = Decimal::Coefficient;
__extension__ typedef unsigned __int128 Magnitude;

// A coefficient stays below 10^maxDigits, so the sum of two never leaves 128 bits.
constexpr int maxDigits = 36;

constexpr std::array<Magnitude, 39> makePowers()
{
    std::array<Magnitude, 39> p {};
    p[0] = 1;
    for (std::size_t i = 1; i < p.size(); ++i)
        p[i] = p[i - 1] * 10;
    return p;
}

constexpr std::array<Magnitude, 39> powers = makePowers();

Magnitude magnitude(Coefficient c)
{
    return c < 0 ? Magnitude(0) - Magnitude(c) : Magnitude(c);
}

Coefficient withSign(Magnitude m, bool negative)
{
    return negative ? -Coefficient(m) : Coefficient(m);
}

int digitCount(Magnitude m)
{
    int d = 0;
    while (d < int(powers.size()) && m >= powers[d])
        ++d;
    return d;
}

// True when c × 10^shift still holds fewer than maxDigits digits.
bool fitsScaled(Coefficient c, int shift)
{
    return shift >= 0 && shift < maxDigits && magnitude(c) < powers[maxDigits - shift];
}

// c / 10^shift, a half going to the even neighbour.
Coefficient dividedHalfEven(Coefficient c, int shift)
{
    if (shift <= 0)
        return c;
    const Magnitude m = magnitude(c);
    if (shift >= int(powers.size()))
        return 0; // m < 10^38 is below half of 10^39 and beyond
    const Magnitude divisor = powers[shift];
    Magnitude q = m / divisor;
    const Magnitude r = m % divisor;
    const Magnitude half = divisor / 2;
    if (r > half || (r == half && (q & 1) != 0))
        ++q;
    return withSign(q, c < 0);
}

// Brings a coefficient of more than maxDigits digits back under the limit.
void limitDigits(Coefficient &c, int &exponent)
{
    const int excess = digitCount(magnitude(c)) - maxDigits;
    if (excess <= 0)
        return;
    c = dividedHalfEven(c, excess);
    exponent += excess;
    if (magnitude(c) >= powers[maxDigits]) { // 99..95 rounded up: the last digit is an exact 0
        c /= 10;
        ++exponent;
    }
}

// Decimal digits of m, most significant first ("0" for 0).
std::string digitsOf(Magnitude m)
{
    constexpr unsigned long long chunk = 1000000000000000000ULL; // 10^18
    char buf[48];
    char *end = buf + sizeof buf;
    if (m >= chunk) {
        const Magnitude high = m / chunk;
        const unsigned long long low = static_cast<unsigned long long>(m % chunk);
        std::string text = digitsOf(high);
        const auto r = std::to_chars(buf, end, low);
        text.append(18 - (r.ptr - buf), '0');
        text.append(buf, r.ptr);
        return text;
    }
    const auto r = std::to_chars(buf, end, static_cast<unsigned long long>(m));
    return std::string(buf, r.ptr);
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

Decimal::Decimal(long long coefficient, int exponent)
    : m_coefficient(coefficient)
    , m_exponent(exponent)
{
}

std::optional<Decimal> Decimal::fromText(QStringView text)
{
    while (!text.isEmpty() && text.front() == QLatin1Char(' '))
        text = text.mid(1);
    while (!text.isEmpty() && text.back() == QLatin1Char(' '))
        text.chop(1);

    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }

    // Digits past the 36th are dropped, remembering the first dropped and whether any other was
    // not 0, so the kept ones can be rounded half to even.
    Magnitude m = 0;
    int taken = 0;
    long long exponent = 0;
    int firstDropped = -1;
    bool droppedNonZero = false;
    bool anyDigit = false;
    bool afterPoint = false;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('.')) {
            if (afterPoint)
                return std::nullopt;
            afterPoint = true;
            continue;
        }
        if (!isDigit(c))
            break;
        anyDigit = true;
        const int digit = c.unicode() - '0';
        if (taken == 0 && digit == 0) {
            if (afterPoint)
                --exponent;
            continue;
        }
        if (taken < maxDigits) {
            m = m * 10 + Magnitude(digit);
            ++taken;
            if (afterPoint)
                --exponent;
        } else {
            if (firstDropped < 0)
                firstDropped = digit;
            else if (digit != 0)
                droppedNonZero = true;
            if (!afterPoint)
                ++exponent;
        }
    }
    if (!anyDigit)
        return std::nullopt;

    if (i < text.size() && (text.at(i) == QLatin1Char('e') || text.at(i) == QLatin1Char('E'))) {
        ++i;
        bool exponentNegative = false;
        if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
            exponentNegative = text.at(i) == QLatin1Char('-');
            ++i;
        }
        if (i >= text.size() || !isDigit(text.at(i)))
            return std::nullopt;
        long long written = 0;
        for (; i < text.size() && isDigit(text.at(i)); ++i)
            written = std::min(written * 10 + (text.at(i).unicode() - '0'), 1000000000LL);
        exponent += exponentNegative ? -written : written;
    }
    if (i != text.size())
        return std::nullopt;

    if (firstDropped > 5 || (firstDropped == 5 && (droppedNonZero || (m & 1) != 0)))
        ++m;
    if (m >= powers[maxDigits]) {
        m /= 10;
        ++exponent;
    }
    if (m == 0)
        return Decimal();

    const long long leading = exponent + digitCount(m) - 1;
    // Far below the smallest double the amount reads as 0, as the numeric test reads it.
    if (leading < -400)
        return Decimal();
    Decimal value(withSign(m, negative), int(exponent), 0);
    // The numeric test refuses what overflows a double.
    if (leading >= 308 && !std::isfinite(value.toDouble()))
        return std::nullopt;
    return value;
}

Decimal Decimal::fromDouble(double value)
{
    if (!std::isfinite(value) || value == 0)
        return Decimal();
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    const auto mantissaDigits = [&] {
        int n = 0;
        for (const char *p = buf; p < r.ptr && *p != 'e'; ++p)
            n += (*p >= '0' && *p <= '9');
        return n;
    };
    if (mantissaDigits() > 15) {
        // Such a double was computed, not typed. It stands for what it shows: 15 significant
        // digits, or, from 10^15 on, where those would no longer reach the units, the whole
        // number it rounds to.
        if (std::fabs(value) >= 1e15 && std::fabs(value) < 9e18)
            return Decimal(static_cast<long long>(std::nearbyint(value)));
        if (std::fabs(value) < 1e15)
            r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    }

    // "-d.ddde+XX": at most 15 digits, so the coefficient fits in 64 bits.
    const char *p = buf;
    bool negative = false;
    if (*p == '-') {
        negative = true;
        ++p;
    }
    long long c = 0;
    int fractionDigits = 0;
    bool afterPoint = false;
    for (; p < r.ptr && *p != 'e'; ++p) {
        if (*p == '.') {
            afterPoint = true;
            continue;
        }
        c = c * 10 + (*p - '0');
        if (afterPoint)
            ++fractionDigits;
    }
    int exponent = 0;
    if (p < r.ptr && *p == 'e')
        std::from_chars(p + 1 + (p[1] == '+'), r.ptr, exponent);
    exponent -= fractionDigits;
    while (c % 10 == 0) {
        c /= 10;
        ++exponent;
    }
    return Decimal(negative ? -c : c, exponent);
}

QString Decimal::text() const
{
    if (m_coefficient == 0)
        return QStringLiteral("0");
    std::string digits = digitsOf(magnitude(m_coefficient));
    std::string out = m_coefficient < 0 ? "-" : "";
    if (m_exponent >= 0) {
        out += digits;
        out.append(std::size_t(m_exponent), '0');
        return QString::fromLatin1(out.data(), qsizetype(out.size()));
    }
    const long long point = static_cast<long long>(digits.size()) + m_exponent;
    if (point <= 0) {
        out += "0.";
        out.append(std::size_t(-point), '0');
        out += digits;
    } else {
        out.append(digits, 0, std::size_t(point));
        out += '.';
        out.append(digits, std::size_t(point), std::string::npos);
    }
    while (out.back() == '0')
        out.pop_back();
    if (out.back() == '.')
        out.pop_back();
    return QString::fromLatin1(out.data(), qsizetype(out.size()));
}

double Decimal::toDouble() const
{
    if (m_coefficient == 0)
        return 0;
    // from_chars rounds correctly, which no sum of powers of ten in doubles would.
    const std::string digits = digitsOf(magnitude(m_coefficient));
    std::string t = m_coefficient < 0 ? "-" : "";
    t += digits;
    t += 'e';
    t += std::to_string(m_exponent);
    double value = 0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), value);
    if (r.ec == std::errc::result_out_of_range)
        return static_cast<long long>(digits.size()) + m_exponent > 0 ? (m_coefficient < 0 ? -HUGE_VAL : HUGE_VAL)
                                                                      : 0.0;
    return value;
}

Decimal Decimal::operator-() const
{
    return Decimal(-m_coefficient, m_exponent, 0);
}

Decimal &Decimal::operator+=(const Decimal &other)
{
    if (other.m_coefficient == 0)
        return *this;
    if (m_coefficient == 0) {
        *this = other;
        return *this;
    }
    Coefficient a = m_coefficient;
    Coefficient b = other.m_coefficient;
    int exponent = std::min(m_exponent, other.m_exponent);
    const long long shiftA = static_cast<long long>(m_exponent) - exponent;
    const long long shiftB = static_cast<long long>(other.m_exponent) - exponent;
    if (fitsScaled(a, int(std::min(shiftA, 99LL))) && fitsScaled(b, int(std::min(shiftB, 99LL)))) {
        a *= Coefficient(powers[shiftA]);
        b *= Coefficient(powers[shiftB]);
    } else {
        // Too far apart to add exactly: work at the finest exponent both fit at, rounding the
        // finer one to it.
        const long long leadA = static_cast<long long>(m_exponent) + digitCount(magnitude(a));
        const long long leadB = static_cast<long long>(other.m_exponent) + digitCount(magnitude(b));
        const long long common = std::max(leadA, leadB) - maxDigits;
        const auto scaled = [common](Coefficient c, int e) {
            const long long shift = e - common;
            return shift >= 0 ? c * Coefficient(powers[shift])
                              : (-shift >= int(powers.size()) ? 0 : dividedHalfEven(c, int(-shift)));
        };
        a = scaled(a, m_exponent);
        b = scaled(b, other.m_exponent);
        exponent = int(common);
    }
    m_coefficient = a + b;
    m_exponent = exponent;
    if (m_coefficient == 0)
        m_exponent = 0;
    else
        limitDigits(m_coefficient, m_exponent);
    return *this;
}

Decimal &Decimal::operator-=(const Decimal &other)
{
    return *this += -other;
}

std::strong_ordering operator<=>(const Decimal &a, const Decimal &b)
{
    const int signA = a.m_coefficient < 0 ? -1 : (a.m_coefficient > 0 ? 1 : 0);
    const int signB = b.m_coefficient < 0 ? -1 : (b.m_coefficient > 0 ? 1 : 0);
    if (signA != signB || signA == 0)
        return signA <=> signB;
    Magnitude ma = magnitude(a.m_coefficient);
    Magnitude mb = magnitude(b.m_coefficient);
    std::strong_ordering byMagnitude = std::strong_ordering::equal;
    if (a.m_exponent == b.m_exponent) {
        byMagnitude = ma < mb ? std::strong_ordering::less
                              : (ma > mb ? std::strong_ordering::greater : std::strong_ordering::equal);
    } else {
        const long long leadA = static_cast<long long>(a.m_exponent) + digitCount(ma);
        const long long leadB = static_cast<long long>(b.m_exponent) + digitCount(mb);
        if (leadA != leadB) {
            byMagnitude = leadA <=> leadB;
        } else {
            // Same leading position: scaling the one with the larger exponent up to the other
            // gives it no more digits than the other has.
            if (a.m_exponent > b.m_exponent)
                ma *= powers[a.m_exponent - b.m_exponent];
            else
                mb *= powers[b.m_exponent - a.m_exponent];
            byMagnitude = ma < mb ? std::strong_ordering::less
                                  : (ma > mb ? std::strong_ordering::greater : std::strong_ordering::equal);
        }
    }
    return signA > 0 ? byMagnitude : 0 <=> byMagnitude;
}
