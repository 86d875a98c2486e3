#pragma once

#include <QString>

#include <optional>

// Reads an amount typed into a recurring item, a due occurrence or a budget the way the daily-entry
// window reads one (1,200, NT$120, 120元, full-width digits); nothing, with why in *why, for a text that
// is not an amount or holds more digits than the ledger keeps.
std::optional<double> readAmount(const QString &typed, QString *why);
