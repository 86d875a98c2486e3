#pragma once

#include <QString>

#include <functional>

class QWidget;

// Asking for a file name to save to. Tests answer instead of a person.
namespace ui {

// Returns the chosen path, or an empty text when the person cancelled.
QString askSaveFileName(QWidget *parent, const QString &caption, const QString &suggestedName,
                        const QString &filter);

// Test seam: while set, no dialog opens; the hook gets the suggested name and answers.
using SaveFileHook = std::function<QString(const QString &suggestedName)>;
void setSaveFileHook(SaveFileHook hook);

} // namespace ui
