#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>

#include <cstdint>
#include <optional>

// One value of a row, as the file holds it. Numbers keep their stored form: a Currency is its
// count of 1/10000, a Date/Time its count of days from 1899-12-30 with the time as fraction, a
// Single the float widened to a double (type tells it apart), a Decimal its exact digits.
struct JetValue
{
    enum class Kind { Null, Integer, Double, Currency, DateTime, Text, Binary, Decimal, Unsupported };

    Kind kind = Kind::Null;
    std::int64_t integer = 0; // Integer, Currency (1/10000)
    double number = 0; // Double (also Single), DateTime
    QString text; // Text, Memo; a Decimal as plain digits with its stored scale ("-12.3400")
    QByteArray bytes; // OLE object
    int type = 0; // the column's type code, for Unsupported

    bool isNull() const { return kind == Kind::Null; }
};

// The column type codes of the file.
namespace JetType {
constexpr int Bool = 0x01;
constexpr int Byte = 0x02;
constexpr int Int = 0x03;
constexpr int Long = 0x04;
constexpr int Money = 0x05;
constexpr int Float = 0x06;
constexpr int Double = 0x07;
constexpr int DateTime = 0x08;
constexpr int Text = 0x0A;
constexpr int Ole = 0x0B;
constexpr int Memo = 0x0C;
constexpr int Numeric = 0x10; // Decimal: precision and scale in the column, sign and 16 bytes
} // namespace JetType

namespace JetDays {
// The day of a stored Date/Time: its whole-day part, never rounded (23:59:59.7 stays on its
// day). Before 1899-12-30 the whole part counts back and the time is added away from zero, so
// the whole part is the count towards zero. Nothing for a count outside years 1 to 9999 or
// not a number. hasTime tells whether a time of day was stored.
std::optional<QDate> day(double days, bool *hasTime = nullptr);
} // namespace JetDays
