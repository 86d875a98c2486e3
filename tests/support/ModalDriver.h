#pragma once

#include <QList>
#include <QStringList>

#include <functional>

class QDialog;

// Stands in for modal showing while it lives. Each window shown modally is shown normally,
// handed to the next queued driver (which plays the person), and closed afterwards unless
// the driver closed it. A window with no driver queued is recorded as unexpected and
// rejected at once.
class ModalDriver
{
public:
    using Drive = std::function<void(QDialog *dialog)>;

    ModalDriver();
    ~ModalDriver();
    ModalDriver(const ModalDriver &) = delete;
    ModalDriver &operator=(const ModalDriver &) = delete;

    void next(Drive drive);

    // objectNames of every window shown, in order.
    QStringList shown() const { return m_shown; }
    QStringList unexpected() const { return m_unexpected; }

private:
    QList<Drive> m_drives;
    QStringList m_shown;
    QStringList m_unexpected;
};
