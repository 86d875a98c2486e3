#include "store/DescriptionStore.h"

#include "store/LedgerNames.h"
#include "store/database_access.h"

namespace DescriptionStore {

QVector<Use> descriptionUses()
{
    using namespace LedgerNames;
    static const QString sql = QStringLiteral("SELECT %1, count(*) AS uses FROM %2 GROUP BY %1 ORDER BY uses DESC, %1")
                                   .arg(Entries::content, Entries::table);
    ResultSet result = database_access::Open_Query(sql);
    QVector<Use> uses;
    uses.reserve(result.rowCount());
    for (; !result.atEnd(); result.moveNext())
        uses.append({ result.text(Entries::content), result.integer(QStringLiteral("uses")) });
    return uses;
}

} // namespace DescriptionStore
