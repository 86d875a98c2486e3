#pragma once

#include <QString>

#include <stdexcept>

// A file that cannot be read as an old ledger: not Jet 4, protected, or damaged. Carries the
// message the person is shown.
class JetError : public std::runtime_error
{
public:
    explicit JetError(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }

    const QString &message() const { return m_message; }

private:
    QString m_message;
};
