#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>

// Old ledgers written by the Python writer in tests/jet, for the reader and import tests.
namespace jetcases {

inline QString script(const QString &name)
{
    return QStringLiteral(QUILLORY_JET_SCRIPTS) + QLatin1Char('/') + name;
}

// Runs one of the writer's scripts; false (with the reason in *error) when it fails.
inline bool runPython(const QStringList &arguments, QString *error)
{
    QProcess python;
    python.setProcessChannelMode(QProcess::MergedChannels);
    python.start(QStringLiteral("python3"), arguments);
    if (!python.waitForStarted(10000)) {
        *error = QStringLiteral("python3 did not start");
        return false;
    }
    python.waitForFinished(280000);
    if (python.exitStatus() != QProcess::NormalExit || python.exitCode() != 0) {
        *error = QString::fromUtf8(python.readAll());
        return false;
    }
    return true;
}

// Writes every case of make_cases.py, each with its layout, into folder.
inline void writeCases(const QString &folder)
{
    QString error;
    QVERIFY2(runPython({ script(QStringLiteral("make_cases.py")), folder }, &error), qPrintable(error));
}

// The layout a case file was written from (its .json beside it).
inline QJsonObject layoutOf(const QString &mdbPath)
{
    QFile file(mdbPath + QStringLiteral(".json"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

inline QJsonObject tableOf(const QJsonObject &layout, const QString &name)
{
    for (const QJsonValue &t : layout.value(QStringLiteral("tables")).toArray())
        if (t.toObject().value(QStringLiteral("name")).toString() == name)
            return t.toObject();
    return {};
}

} // namespace jetcases
