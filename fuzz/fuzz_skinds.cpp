// Fuzzes the reader of SKinds.txt: any content, however broken, gives a list of ids without
// crashing, and a line written by the program reads back as the ids it was made from.

#include "store/SummaryKinds.h"

#include <QByteArray>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString line = database_access::Last_SKinds_Line(content);
    if (line.contains(QLatin1Char('\n')) || line.contains(QLatin1Char('\r')))
        std::abort();
    const QVector<qint64> ids = database_access::Parse_SKinds_Line(line);
    if (ids.size() > line.count(QLatin1Char(',')) + 1)
        std::abort();
    QStringList written;
    for (qint64 id : ids) {
        if (id == 0)
            break;
        written << QString::number(id);
    }
    const QByteArray again = written.join(QLatin1Char(',')).toUtf8() + "\r\n";
    QVector<qint64> expected;
    for (qint64 id : ids) {
        if (id == 0)
            break;
        expected << id;
    }
    if (database_access::Parse_SKinds_Line(database_access::Last_SKinds_Line(again)) != expected)
        std::abort();
    return 0;
}
