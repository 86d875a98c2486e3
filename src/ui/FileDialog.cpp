#include "ui/FileDialog.h"

#include <QDir>
#include <QFileDialog>

namespace ui {

namespace {

SaveFileHook &hook()
{
    static SaveFileHook h;
    return h;
}

} // namespace

QString askSaveFileName(QWidget *parent, const QString &caption, const QString &suggestedName, const QString &filter)
{
    if (hook())
        return hook()(suggestedName);
    return QFileDialog::getSaveFileName(parent, caption, QDir::home().filePath(suggestedName), filter);
}

void setSaveFileHook(SaveFileHook h)
{
    hook() = std::move(h);
}

} // namespace ui
