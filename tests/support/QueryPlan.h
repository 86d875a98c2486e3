#pragma once

#include "store/ReportStore.h"
#include "store/ResultSet.h"
#include "store/database_access.h"

#include <QString>
#include <QStringList>

namespace testing {

// The engine's plan for a statement, its steps joined by " | ", to check which index it uses.
inline QString planOf(const ReportStore::Statement &statement)
{
    const ResultSet plan
        = database_access::Open_Query(QStringLiteral("EXPLAIN QUERY PLAN ") + statement.sql, statement.values);
    QStringList steps;
    for (const ResultSet::Row &row : plan.rows())
        steps << row.value(plan.columns().indexOf(QStringLiteral("detail"))).toString();
    return steps.join(QStringLiteral(" | "));
}

} // namespace testing
