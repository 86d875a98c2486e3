#include "store/SummaryKinds.h"

#include "platform/Numbers.h"
#include "store/StoreError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cmath>

namespace database_access {

QVector<qint64> SKinds;
QString SKinds_File = QStringLiteral("SKinds.txt");

namespace {

// Only the last line counts, so a huge file is read from its tail.
constexpr qint64 tailBytes = 1 << 20;
constexpr double maxExactId = 9007199254740991.0;

} // namespace

QString Last_SKinds_Line(const QByteArray &content)
{
    qsizetype end = content.size();
    // A line end closing the last line does not start another one.
    if (end > 0 && content.at(end - 1) == '\n')
        --end;
    if (end > 0 && content.at(end - 1) == '\r')
        --end;
    qsizetype start = end;
    while (start > 0 && content.at(start - 1) != '\n' && content.at(start - 1) != '\r')
        --start;
    return QString::fromUtf8(content.mid(start, end - start));
}

QVector<qint64> Parse_SKinds_Line(const QString &line)
{
    QVector<qint64> ids;
    if (line.isEmpty())
        return ids;
    const QStringList pieces = line.split(QLatin1Char(','));
    for (const QString &piece : pieces) {
        QString digits = piece;
        digits.remove(QLatin1Char(' '));
        const double value = Numbers::roundHalfEven(Numbers::leadingNumber(digits));
        // Beyond this a double no longer holds every whole number exactly.
        if (std::fabs(value) > maxExactId)
            break;
        ids.append(static_cast<qint64>(value));
    }
    return ids;
}

void Load_SKinds()
{
    SKinds.clear();
    QFile file(SKinds_File);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const qint64 size = file.size();
    if (size > tailBytes && !file.seek(size - tailBytes))
        return;
    const QByteArray content = file.read(tailBytes);
    SKinds = Parse_SKinds_Line(Last_SKinds_Line(content));
}

void Save_SKinds(const QString &line)
{
    // A file without any write permission was made read-only on purpose; the rename below
    // would replace it anyway, so respect it here (even for a user who may write anything).
    const QFileInfo info(SKinds_File);
    const auto writeBits = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (info.exists() && ((info.permissions() & writeBits) == 0 || !info.isWritable()))
        throw StoreError(QStringLiteral("無法儲存結算分類檔 %1：檔案是唯讀的。").arg(SKinds_File));
    QSaveFile file(SKinds_File);
    // Unbuffered, so a write cut short (a full disk) shows in write()'s count: a buffered
    // write would be flushed inside commit(), which renames a short file over the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw StoreError(QStringLiteral("無法儲存結算分類檔 %1：%2").arg(SKinds_File, file.errorString()));
    const QByteArray bytes = line.toUtf8() + "\r\n";
    const qint64 written = file.write(bytes);
    if (written != bytes.size()) {
        const QString why = written < 0 ? file.errorString() : QStringLiteral("檔案沒有完整寫入，磁碟可能已滿。");
        file.cancelWriting();
        throw StoreError(QStringLiteral("無法儲存結算分類檔 %1：%2").arg(SKinds_File, why));
    }
    if (!file.commit())
        throw StoreError(QStringLiteral("無法儲存結算分類檔 %1：%2").arg(SKinds_File, file.errorString()));
}

QVector<qint64> SKinds_List()
{
    QVector<qint64> ids;
    for (qint64 id : SKinds) {
        if (id == 0)
            break;
        ids.append(id);
    }
    return ids;
}

} // namespace database_access
