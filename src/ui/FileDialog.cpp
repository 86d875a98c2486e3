#include "ui/FileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace ui {

namespace {

SaveFileHook &hook()
{
    static SaveFileHook h;
    return h;
}

// Kept for the run only: a person saving several files in a row wants the same place again.
QString &lastFolder()
{
    static QString folder;
    return folder;
}

QString proposedPath(const QString &suggestedName)
{
    const QString &folder = lastFolder();
    const QDir dir = !folder.isEmpty() && QDir(folder).exists() ? QDir(folder) : QDir::home();
    return dir.filePath(suggestedName);
}

} // namespace

QString askSaveFileName(QWidget *parent, const QString &caption, const QString &suggestedName, const QString &filter)
{
    const QString proposed = proposedPath(suggestedName);
    QString path = hook() ? hook()(proposed) : QFileDialog::getSaveFileName(parent, caption, proposed, filter);
    if (!path.isEmpty()) {
        const QString folder = QFileInfo(path).absolutePath();
        if (QDir(folder).exists())
            lastFolder() = folder;
    }
    return path;
}

void setSaveFileHook(SaveFileHook h)
{
    hook() = std::move(h);
}

namespace {

OpenFilesHook &openHook()
{
    static OpenFilesHook h;
    return h;
}

} // namespace

QStringList askOpenFileNames(QWidget *parent, const QString &caption, const QString &filter)
{
    const QString folder = QFileInfo(proposedPath(QStringLiteral("x"))).absolutePath();
    QStringList paths = openHook() ? openHook()() : QFileDialog::getOpenFileNames(parent, caption, folder, filter);
    if (!paths.isEmpty())
        lastFolder() = QFileInfo(paths.first()).absolutePath();
    return paths;
}

void setOpenFilesHook(OpenFilesHook h)
{
    openHook() = std::move(h);
}

} // namespace ui
