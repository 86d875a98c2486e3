#pragma once

#include <QLatin1String>
#include <QString>
#include <QStringList>

#include <array>
#include <initializer_list>

// The names of the ledger's tables and columns, spelt once. Every statement of the store
// takes them from here and names the columns it reads or writes, so no statement depends on
// the order of a table's columns.
namespace LedgerNames {

// The entries: one row for each amount spent or received.
namespace Entries {
inline constexpr QLatin1String table("data_main");
inline constexpr QLatin1String date("a_date");
inline constexpr QLatin1String kind("a_kind");
inline constexpr QLatin1String inout("a_inout");
inline constexpr QLatin1String content("a_content");
inline constexpr QLatin1String count("a_count");
inline constexpr QLatin1String note("a_note");
inline constexpr QLatin1String key("a_key");
inline constexpr QLatin1String kindName("a_kind_name");
// Every column, in the order the table lays them out.
inline constexpr std::array<QLatin1String, 8> all { date, kind, inout, content, count, note, key, kindName };
} // namespace Entries

// The kinds an entry is filed under, in the order the person gave them.
namespace Kinds {
inline constexpr QLatin1String table("kind");
inline constexpr QLatin1String id("a_kind");
inline constexpr QLatin1String name("name");
inline constexpr QLatin1String order("key_order");
inline constexpr std::array<QLatin1String, 3> all { id, name, order };
} // namespace Kinds

// One note for a day.
namespace Notes {
inline constexpr QLatin1String table("data_note");
inline constexpr QLatin1String date("a_date");
inline constexpr QLatin1String note("a_note");
inline constexpr std::array<QLatin1String, 2> all { date, note };
} // namespace Notes

// The two directions of an entry (0 spent, 1 received) and their words.
namespace Directions {
inline constexpr QLatin1String table("inout");
inline constexpr QLatin1String inout("inout");
inline constexpr QLatin1String text("text");
inline constexpr std::array<QLatin1String, 2> all { inout, text };
} // namespace Directions

// Recurring items (固定收支) and the occurrences of each that have been dealt with.
namespace Recurring {
inline constexpr QLatin1String table("recurring");
inline constexpr QLatin1String id("r_id");
inline constexpr QLatin1String inout("r_inout");
inline constexpr QLatin1String kind("r_kind");
inline constexpr QLatin1String content("r_content");
inline constexpr QLatin1String count("r_count"); // NULL: the amount is asked each time
inline constexpr QLatin1String note("r_note");
inline constexpr QLatin1String rule("r_rule");
inline constexpr QLatin1String first("r_first");
inline constexpr QLatin1String last("r_last");
inline constexpr QLatin1String times("r_times");
inline constexpr QLatin1String automatic("r_auto");
inline constexpr std::array<QLatin1String, 11> all { id, inout, kind, content, count, note, rule, first, last, times,
    automatic };
} // namespace Recurring
namespace RecurringDone {
inline constexpr QLatin1String table("recurring_done");
inline constexpr QLatin1String item("d_item");
inline constexpr QLatin1String date("d_date");
inline constexpr QLatin1String key("d_key"); // the entry made; NULL when skipped
} // namespace RecurringDone

// Budgets: a kind's monthly amount (month '') or that of one month ('2024-05').
namespace Budgets {
inline constexpr QLatin1String table("budget");
inline constexpr QLatin1String kind("b_kind");
inline constexpr QLatin1String month("b_month");
inline constexpr QLatin1String amount("b_amount"); // exact decimal text
} // namespace Budgets

// What was brought in from files (an e-invoice by its number and date), and the entry it became.
namespace Imported {
inline constexpr QLatin1String table("imported");
inline constexpr QLatin1String ident("i_ident");
inline constexpr QLatin1String key("i_key");
inline constexpr QLatin1String voided("i_voided"); // the entry was taken out when the invoice was voided
} // namespace Imported

// How a bank's statement files are read, kept by the column names of their header.
namespace StatementProfiles {
inline constexpr QLatin1String table("statement_profile");
inline constexpr QLatin1String shape("p_shape");
inline constexpr QLatin1String name("p_name");
inline constexpr QLatin1String mapping("p_mapping");
} // namespace StatementProfiles

// The kind, direction and description last chosen for a store's invoices.
namespace StoreChoices {
inline constexpr QLatin1String table("store_choice");
inline constexpr QLatin1String store("c_store");
inline constexpr QLatin1String kind("c_kind");
inline constexpr QLatin1String inout("c_inout");
inline constexpr QLatin1String content("c_content");
} // namespace StoreChoices

// "a, b, c": a column list for a statement.
template <typename Names> QString columns(const Names &names)
{
    QStringList parts;
    for (const QLatin1String &name : names)
        parts << name;
    return parts.join(QStringLiteral(", "));
}

inline QString columns(std::initializer_list<QLatin1String> names)
{
    return columns<std::initializer_list<QLatin1String>>(names);
}

// "?, ?, ?": the places of count bound values.
inline QString marks(qsizetype count)
{
    QStringList parts;
    for (qsizetype i = 0; i < count; ++i)
        parts << QStringLiteral("?");
    return parts.join(QStringLiteral(", "));
}

} // namespace LedgerNames
