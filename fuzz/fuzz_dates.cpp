// Fuzzes the reader of typed dates: it must never crash, and every day it accepts must be
// written and read back as the same day.

#include "platform/DateText.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto date = DateText::read(text);
    if (!date)
        return 0;
    if (!date->isValid())
        std::abort();
    for (const QString &written : { DateText::defaultText(*date), DateText::slashed(*date), DateText::iso(*date) }) {
        const auto again = DateText::read(written);
        if (!again || *again != *date)
            std::abort();
    }
    if (DateText::weekday(*date) < 1 || DateText::weekday(*date) > 7)
        std::abort();
    return 0;
}
