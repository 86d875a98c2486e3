// Fuzzes the numeric test and number reading: no crash, a numeric text reads as a finite
// number, its plain decimal text is numeric again and reads back within rounding, and the
// leading number of a numeric text is the number itself.

#include "platform/Numbers.h"

#include <QString>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const double leading = Numbers::leadingNumber(text);
    if (!std::isfinite(leading))
        std::abort();
    if (!Numbers::isNumeric(text))
        return 0;
    const double value = Numbers::toNumber(text);
    if (!std::isfinite(value) || value != leading)
        std::abort();
    const QString written = Numbers::text(value);
    if (!Numbers::isNumeric(written))
        std::abort();
    const double back = Numbers::toNumber(written);
    if (std::fabs(back - value) > std::fabs(value) * 1e-14 + 1e-300 && std::fabs(value) >= 1e-15)
        std::abort();
    const double rounded = Numbers::roundHalfEven(value);
    if (std::fabs(rounded - value) > 0.5)
        std::abort();
    return 0;
}
