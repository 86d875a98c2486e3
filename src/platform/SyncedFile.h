#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Replacing a file's whole content so that either all of it is on the disk or the old file
// stays: the bytes go into a new file in the same folder, which is written and synced, each
// step checked (a full disk or a failing device may show only at the sync), then renamed
// over the old one, and the folder is synced so that the rename itself is on the disk.
namespace SyncedFile {

struct Outcome
{
    // Empty when the file was written and synced; otherwise why not, for the person to read.
    QString failure;
    // The new content is in place under the file's name, whole and synced, and only the sync
    // of its folder failed: the rename may not outlive a power cut, but the old content is gone.
    bool inPlace = false;
};

// A new file gets the usual permissions (0666 less the umask), a replaced one keeps its own.
Outcome replace(const QString &path, const QByteArray &bytes);

// Test seam: while set, called instead of fsync, for the new file and for its folder; it
// returns what fsync would (and sets errno).
using SyncCall = std::function<int(int fd)>;
void setSyncCall(SyncCall call);

} // namespace SyncedFile
