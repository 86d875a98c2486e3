#pragma once

#include <QString>
#include <QStringView>

#include <compare>
#include <optional>

// An exact decimal amount: coefficient × 10^exponent, the coefficient held in 128 bits.
//
// Amounts are typed with at most 15 significant digits, so sums of many millions of them at a
// common scale stay far inside the 36 digits a coefficient may hold; adding and subtracting are
// then exact. Only a result that would need more than 36 significant digits (amounts far apart in
// size, such as 1e300 and 1e-300) is rounded, half to even, to 36 digits.
//
// The coefficient is not kept normalised (12.30 may be held as 1230 × 10^-2): comparisons work on
// values, and text() writes the shortest form.
class Decimal
{
public:
    __extension__ typedef __int128 Coefficient;

    Decimal() = default;
    // coefficient × 10^exponent, e.g. Decimal(1234, -2) is 12.34.
    explicit Decimal(long long coefficient, int exponent = 0);

    // Reads a text that passes the numeric test (outer U+0020 blanks, sign, digits, decimal point,
    // fraction, exponent); nothing for any other text.
    static std::optional<Decimal> fromText(QStringView text);
    // The amount a stored REAL stands for: the shortest decimal of at most 15 significant digits
    // that reads back as the same double (0.1 gives 0.1). A double that no such decimal reads as
    // gives its nearest 15-digit decimal, from 10^15 on its nearest whole number (beyond 9e18 its
    // shortest decimal that reads back). Infinities and NaN give 0.
    static Decimal fromDouble(double value);

    bool isZero() const { return m_coefficient == 0; }
    bool isNegative() const { return m_coefficient < 0; }

    // Plain decimal: no grouping, no trailing zeros, no point for whole numbers, "-" for negative
    // values, never an exponent.
    QString text() const;
    // The nearest double.
    double toDouble() const;

    Decimal operator-() const;
    Decimal &operator+=(const Decimal &other);
    Decimal &operator-=(const Decimal &other);
    friend Decimal operator+(Decimal a, const Decimal &b) { return a += b; }
    friend Decimal operator-(Decimal a, const Decimal &b) { return a -= b; }

    friend bool operator==(const Decimal &a, const Decimal &b) { return (a <=> b) == 0; }
    friend std::strong_ordering operator<=>(const Decimal &a, const Decimal &b);

private:
    Decimal(Coefficient coefficient, int exponent, int)
        : m_coefficient(coefficient)
        , m_exponent(exponent)
    {
    }

    Coefficient m_coefficient = 0;
    int m_exponent = 0;
};
