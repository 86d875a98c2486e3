#pragma once

#include <QString>

#include <optional>

// The numeric test, number reading and writing, rounding and trimming that the windows share.
namespace Numbers {

// Removes leading and trailing U+0020 only; tabs, line breaks and full-width spaces stay.
QString trimBlanks(const QString &text);

// The text with full-width digits, full-width ".", "-", "+", ",", "/", "$", the minus sign
// U+2212 and the full-width blank (as Chinese input methods give them) in their ASCII forms;
// every other character stays, so each maps to one.
QString asciiForm(const QString &text);

// True when the text, less outer blanks, reads completely as a finite number: optional
// sign, digits with an optional decimal point and fraction, optional exponent. Grouping
// commas, currency signs and the empty text are not numeric.
bool isNumeric(const QString &text);

// Reads an amount as people write it: a numeric text (above), with full-width digits and
// signs, thousands grouped by "," or "，" (1,200; groups of three only), and NT$ or $ before
// the number or 元 after it ("NT$1,200", "-$20", "$-20", "120元"). Gives the plain numeric
// text of the value ("1200", "-20"), which the numeric rules below apply to, or nothing when
// the text is not an amount.
std::optional<QString> plainAmount(const QString &typed);

// What a refusal of a typed amount says it takes, after the refusal itself.
QString acceptedAmountForms();

// How many significant digits a numeric text was typed with: from its first non-zero digit to
// its last, the exponent not counted ("0012.500" has 3). An amount of more than 15 cannot be
// stored as typed.
int significantDigits(const QString &text);
constexpr int storableDigits = 15;

// A numeric text typed with an exponent ("1e6").
bool hasExponent(const QString &text);

// A plain decimal text (as text() writes it) with its whole part grouped by thousands.
QString groupThousands(const QString &plain);
// The value's plain decimal text (see text()) grouped by thousands.
QString grouped(double value);

// Reads a numeric text (see isNumeric); 0 for anything else.
double toNumber(const QString &text);

// The leading numeric part of a text, 0 when there is none ("2005/10/09(日)" gives 2005).
double leadingNumber(const QString &text);

// Plain decimal text: no grouping, a decimal point only with a fraction, at most 15
// significant digits, "-" for negative values, never an exponent.
QString text(double value);

// Nearest whole number, a half going to the even neighbour.
double roundHalfEven(double value);

} // namespace Numbers
