#include "store/DecimalFunctions.h"

#include "platform/Decimal.h"

#include <QByteArray>
#include <QString>

#include <sqlite3.h>

#include <cstring>
#include <type_traits>

namespace DecimalFunctions {

namespace {

static_assert(std::is_trivially_copyable_v<Decimal>);

// What the engine keeps for one group: zeroed memory until the first value arrives. The engine
// aligns it to 8 bytes only, less than a 128-bit coefficient needs, so the sum is copied in and
// out rather than used in place.
struct SumState
{
    bool started;
    unsigned char storage[sizeof(Decimal)];

    Decimal sum() const
    {
        Decimal d;
        std::memcpy(static_cast<void *>(&d), storage, sizeof d);
        return d;
    }
    void setSum(const Decimal &d) { std::memcpy(storage, static_cast<const void *>(&d), sizeof d); }
};

Decimal decimalOf(sqlite3_value *value)
{
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
        return Decimal(sqlite3_value_int64(value));
    case SQLITE_FLOAT:
        return Decimal::fromDouble(sqlite3_value_double(value));
    default: {
        // Text that reads as a number counts as that number; other text as the engine reads it.
        const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(value));
        if (text != nullptr) {
            if (const auto d = Decimal::fromText(QString::fromUtf8(text, sqlite3_value_bytes(value))))
                return *d;
        }
        return Decimal::fromDouble(sqlite3_value_double(value));
    }
    }
}

void sumStep(sqlite3_context *context, int, sqlite3_value **args)
{
    if (sqlite3_value_type(args[0]) == SQLITE_NULL)
        return;
    auto *state = static_cast<SumState *>(sqlite3_aggregate_context(context, sizeof(SumState)));
    if (state == nullptr) {
        sqlite3_result_error_nomem(context);
        return;
    }
    const Decimal sum = state->started ? state->sum() + decimalOf(args[0]) : decimalOf(args[0]);
    state->setSum(sum);
    state->started = true;
}

void sumFinal(sqlite3_context *context)
{
    auto *state = static_cast<SumState *>(sqlite3_aggregate_context(context, 0));
    if (state == nullptr || !state->started) {
        sqlite3_result_null(context);
        return;
    }
    const QByteArray text = state->sum().text().toLatin1();
    sqlite3_result_text(context, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

// Texts that are no number sort before every number, among themselves byte by byte.
int compareDecimals(void *, int lengthA, const void *a, int lengthB, const void *b)
{
    const auto da = Decimal::fromText(QString::fromUtf8(static_cast<const char *>(a), lengthA));
    const auto db = Decimal::fromText(QString::fromUtf8(static_cast<const char *>(b), lengthB));
    if (da && db) {
        const auto order = *da <=> *db;
        return order < 0 ? -1 : (order > 0 ? 1 : 0);
    }
    if (da || db)
        return da ? 1 : -1;
    const QByteArray ba(static_cast<const char *>(a), lengthA);
    const QByteArray bb(static_cast<const char *>(b), lengthB);
    return ba < bb ? -1 : (bb < ba ? 1 : 0);
}

} // namespace

bool install(sqlite3 *db)
{
    return sqlite3_create_function_v2(
               db, "decimal_sum", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, nullptr, sumStep, sumFinal, nullptr)
        == SQLITE_OK
        && sqlite3_create_collation_v2(db, "decimal", SQLITE_UTF8, nullptr, compareDecimals, nullptr) == SQLITE_OK;
}

} // namespace DecimalFunctions
