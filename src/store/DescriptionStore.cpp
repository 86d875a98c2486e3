#include "store/DescriptionStore.h"

#include "store/database_access.h"

namespace DescriptionStore {

QVector<Use> descriptionUses()
{
    ResultSet result = database_access::Open_Query(
        QStringLiteral("SELECT a_content, count(*) AS uses FROM data_main GROUP BY a_content"
                       " ORDER BY uses DESC, a_content"));
    QVector<Use> uses;
    uses.reserve(result.rowCount());
    for (; !result.atEnd(); result.moveNext())
        uses.append({ result.text(QStringLiteral("a_content")), result.integer(QStringLiteral("uses")) });
    return uses;
}

} // namespace DescriptionStore
