#include "store/SummaryKinds.h"

#include "platform/Numbers.h"
#include "store/StoreError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <cerrno>
#include <cmath>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace database_access {

QVector<qint64> SKinds;
QString SKinds_File = QStringLiteral("SKinds.txt");

namespace {

// Only the last line counts, so a huge file is read from its tail.
constexpr qint64 tailBytes = 1 << 20;
constexpr double maxExactId = 9007199254740991.0;

// Text of the file's bytes. Ids are plain digits, so UTF-16 without a mark shows as a zero in
// every other byte; anything else is read as UTF-8, a leading UTF-8 mark dropped.
QString decodedText(const QByteArray &content)
{
    const auto starts = [&content](const char *mark) { return content.startsWith(QByteArray(mark)); };
    const auto utf16 = [](QByteArrayView bytes, bool little) {
        QString text(bytes.size() / 2, Qt::Uninitialized);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const auto a = uchar(bytes[2 * i]);
            const auto b = uchar(bytes[2 * i + 1]);
            text[i] = QChar(little ? char16_t(a | b << 8) : char16_t(b | a << 8));
        }
        return text;
    };
    if (starts("\xFF\xFE"))
        return utf16(QByteArrayView(content).sliced(2), true);
    if (starts("\xFE\xFF"))
        return utf16(QByteArrayView(content).sliced(2), false);
    if (starts("\xEF\xBB\xBF"))
        return QString::fromUtf8(content.sliced(3));
    if (content.size() >= 2 && content.size() % 2 == 0) {
        bool evenZero = true;
        bool oddZero = true;
        for (qsizetype i = 0; i + 1 < content.size(); i += 2) {
            evenZero = evenZero && content[i] == '\0';
            oddZero = oddZero && content[i + 1] == '\0';
        }
        if (oddZero != evenZero)
            return utf16(content, oddZero);
    }
    return QString::fromUtf8(content);
}

QString lastLine(const QString &text)
{
    qsizetype end = text.size();
    // A line end closing the last line does not start another one.
    if (end > 0 && text.at(end - 1) == QLatin1Char('\n'))
        --end;
    if (end > 0 && text.at(end - 1) == QLatin1Char('\r'))
        --end;
    qsizetype start = end;
    while (start > 0 && text.at(start - 1) != QLatin1Char('\n') && text.at(start - 1) != QLatin1Char('\r'))
        --start;
    return text.mid(start, end - start);
}

} // namespace

SummaryFileOpen Open_SKinds_File(QFile &file, QString *why)
{
    const QByteArray path = QFile::encodeName(SKinds_File);
    // Not blocking, so that opening a FIFO does not wait for a writer.
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (why != nullptr)
            *why = QString::fromLocal8Bit(std::strerror(error));
        return error == ENOENT ? SummaryFileOpen::Missing : SummaryFileOpen::Failed;
    }
    struct stat status
    {
    };
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return SummaryFileOpen::NotRegular;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        if (why != nullptr)
            *why = file.errorString();
        return SummaryFileOpen::Failed;
    }
    return SummaryFileOpen::Opened;
}

QString Last_SKinds_Line(const QByteArray &content)
{
    return lastLine(decodedText(content));
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

QString Load_SKinds()
{
    SKinds.clear();
    QFile file;
    QString why;
    switch (Open_SKinds_File(file, &why)) {
    case SummaryFileOpen::Missing:
        return QString();
    case SummaryFileOpen::NotRegular:
        return QStringLiteral("結算分類檔 %1 不是一般的檔案，所以沒有讀取它：目前沒有結算分類。").arg(SKinds_File);
    case SummaryFileOpen::Failed:
        return QStringLiteral("無法讀取結算分類檔 %1：%2。目前沒有結算分類。").arg(SKinds_File, why);
    case SummaryFileOpen::Opened:
        break;
    }
    const qint64 size = file.size();
    QByteArray content;
    if (size > tailBytes) {
        // The mark that tells the encoding is at the start; the tail keeps the pairs of bytes
        // of UTF-16 whole.
        const QByteArray mark = file.read(3);
        if (!file.seek(size - tailBytes))
            return QString();
        content = file.read(tailBytes);
        if (mark.startsWith("\xFF\xFE") || mark.startsWith("\xFE\xFF"))
            content = mark.first(2) + content.sliced((size - tailBytes) % 2);
    } else {
        content = file.read(tailBytes);
    }
    SKinds = Parse_SKinds_Line(Last_SKinds_Line(content));
    return QString();
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
    // commit() syncs the new file too but ignores a failed sync: a file the disk may not
    // hold must not replace the old one, nor be called saved.
    if (::fsync(file.handle()) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        file.cancelWriting();
        throw StoreError(QStringLiteral("無法儲存結算分類檔 %1：寫入磁碟失敗（%2）。").arg(SKinds_File, why));
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

QString SKinds_Line(const QVector<qint64> &ids)
{
    QStringList pieces;
    pieces.reserve(ids.size());
    for (qint64 id : ids)
        pieces << QString::number(id);
    return pieces.join(QLatin1Char(','));
}

bool Add_Summary_Kind(qint64 id)
{
    if (SKinds.contains(id))
        return false;
    QVector<qint64> ids { id };
    ids += SKinds_List();
    Save_SKinds(SKinds_Line(ids));
    Load_SKinds();
    return true;
}

void Remove_Summary_Kind(qint64 id)
{
    QVector<qint64> remaining = SKinds_List();
    remaining.removeAll(id);
    Save_SKinds(remaining.size() == 1 ? QStringLiteral(" %1 ").arg(remaining.first()) : SKinds_Line(remaining));
    Load_SKinds();
}

} // namespace database_access
