#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// Asking for a file name to save to. Tests answer instead of a person.
namespace ui {

// Proposes the suggested name in the folder that the last save of this run went to (the
// home folder at first) and returns the chosen path, or an empty text when the person
// cancelled.
QString askSaveFileName(QWidget *parent, const QString &caption, const QString &suggestedName, const QString &filter);

// Test seam: while set, no dialog opens; the hook gets the proposed path (folder and
// suggested name) and answers.
using SaveFileHook = std::function<QString(const QString &proposedPath)>;
void setSaveFileHook(SaveFileHook hook);

// Asks for one or more files to read, in the folder last used in this run (the home folder at
// first); none when the person cancelled.
QStringList askOpenFileNames(QWidget *parent, const QString &caption, const QString &filter);
// Test seam: while set, no dialog opens and the hook answers.
using OpenFilesHook = std::function<QStringList()>;
void setOpenFilesHook(OpenFilesHook hook);

} // namespace ui
