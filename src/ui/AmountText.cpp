#include "ui/AmountText.h"

#include "platform/Numbers.h"

std::optional<double> readAmount(const QString &typed, QString *why)
{
    const QString plain = Numbers::plainAmount(typed).value_or(typed);
    if (!Numbers::isNumeric(plain)) {
        *why = QStringLiteral("請輸入正確錢的數目\n") + Numbers::acceptedAmountForms();
        return std::nullopt;
    }
    if (const int digits = Numbers::significantDigits(plain); digits > Numbers::storableDigits) {
        *why = QStringLiteral("金額「%1」有 %2 位有效數字，帳本最多只能照打的存下 %3 位，請重新輸入")
                   .arg(Numbers::trimBlanks(typed))
                   .arg(digits)
                   .arg(Numbers::storableDigits);
        return std::nullopt;
    }
    return Numbers::toNumber(plain);
}
