#pragma once

#include "store/ReportStore.h"

#include <optional>

// What the query window shows, for the charts: the range query's range and filters, or the
// year of the year report, or neither (nothing asked yet, or the result was cleared).
struct ChartQuery
{
    std::optional<ReportStore::RangeFilter> range;
    std::optional<int> year;

    static ChartQuery ofRange(const ReportStore::RangeFilter &filter) { return { filter, std::nullopt }; }
    static ChartQuery ofYear(int y) { return { std::nullopt, y }; }
};
