#include "platform/SyncedFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SyncedFile {

namespace {

SyncCall &syncCall()
{
    static SyncCall call;
    return call;
}

int syncToDisk(int fd)
{
    if (syncCall())
        return syncCall()(fd);
    int result = 0;
    do {
        result = ::fsync(fd);
    } while (result != 0 && errno == EINTR);
    return result;
}

QString reasonOf(int error)
{
    switch (error) {
    case ENOSPC:
        return QStringLiteral("磁碟空間不足");
    case EDQUOT:
        return QStringLiteral("超過磁碟配額");
    case EACCES:
    case EPERM:
        return QStringLiteral("沒有寫入的權限");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("資料夾不存在");
    case EROFS:
        return QStringLiteral("磁碟是唯讀的");
    case EIO:
        return QStringLiteral("磁碟讀寫錯誤");
    case EISDIR:
        return QStringLiteral("那是一個資料夾");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

QString syncFailed(int error)
{
    return QStringLiteral("檔案沒能確實存到磁碟上（%1）").arg(reasonOf(error));
}

QString folderSyncFailed(int error)
{
    return QStringLiteral("資料夾的變更沒能確實存到磁碟上（%1）").arg(reasonOf(error));
}

// Closes the descriptor, keeping errno as it was.
void closeQuietly(int fd)
{
    const int error = errno;
    ::close(fd);
    errno = error;
}

mode_t modeForNewFile(const QByteArray &target)
{
    struct stat old;
    if (::stat(target.constData(), &old) == 0)
        return old.st_mode & 07777;
    // The umask can only be read by setting it; nothing else in the program changes it.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

} // namespace

Outcome replace(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    if (info.isDir())
        return { reasonOf(EISDIR) };
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    // Hidden and beside the target, so the rename stays within one file system.
    QByteArray temporary = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName())
        + QByteArrayLiteral(".XXXXXX");

    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return { reasonOf(errno) };
    const auto giveUp = [&](const QString &reason) {
        ::unlink(temporary.constData());
        return Outcome { reason };
    };
    if (::fchmod(fd, modeForNewFile(target)) != 0 || !writeAll(fd, bytes)) {
        closeQuietly(fd);
        return giveUp(reasonOf(errno));
    }
    if (syncToDisk(fd) != 0) {
        closeQuietly(fd);
        return giveUp(syncFailed(errno));
    }
    // Some file systems report a failed write only when the file is closed.
    if (::close(fd) != 0)
        return giveUp(reasonOf(errno));
    if (::rename(temporary.constData(), target.constData()) != 0)
        return giveUp(reasonOf(errno));

    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return { folderSyncFailed(errno), true };
    const int synced = syncToDisk(dir);
    closeQuietly(dir);
    if (synced != 0)
        return { folderSyncFailed(errno), true };
    return {};
}

void setSyncCall(SyncCall call)
{
    syncCall() = std::move(call);
}

} // namespace SyncedFile
