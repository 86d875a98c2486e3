#pragma once

#include <QString>

#include <stdexcept>

// An error reported by the database engine or by the ledger's files. Carries the
// message the user is shown.
class StoreError : public std::runtime_error
{
public:
    explicit StoreError(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }

    const QString &message() const { return m_message; }

private:
    QString m_message;
};
