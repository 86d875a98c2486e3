#pragma once

struct sqlite3;

// Exact money inside the engine. The engine's own sum() adds doubles, so 0.3 - 0.1 - 0.2 comes
// out as -5.55e-17; these add the amounts as decimals instead.
//
//   decimal_sum(x)       the exact decimal sum of x, as plain decimal text (NULL when every x is
//                        NULL, as sum() gives); a REAL stands for its shortest 15-digit decimal
//   COLLATE decimal      orders such texts by their value, so a column of sums sorts as numbers
namespace DecimalFunctions {

// Registers both on a connection; false when the engine refuses.
bool install(sqlite3 *db);

} // namespace DecimalFunctions
