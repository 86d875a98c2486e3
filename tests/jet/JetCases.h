#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QTest>

// Old ledgers written by the Python writer in tests/jet, for the reader and import tests.
namespace jetcases {

// Writes every case of make_cases.py, each with its layout, into folder; fails the test with
// what the writer said when it fails.
inline void writeCases(const QString &folder)
{
    QProcess python;
    python.setProcessChannelMode(QProcess::MergedChannels);
    python.start(QStringLiteral("python3"), { QStringLiteral(QUILLORY_JET_SCRIPTS "/make_cases.py"), folder });
    QVERIFY2(python.waitForFinished(280000) && python.exitStatus() == QProcess::NormalExit && python.exitCode() == 0,
        qPrintable(python.errorString() + QLatin1Char('\n') + QString::fromUtf8(python.readAll())));
}

inline QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The layout a case file was written from (its .json beside it).
inline QJsonObject layoutOf(const QString &mdbPath)
{
    return QJsonDocument::fromJson(bytesOf(mdbPath + QStringLiteral(".json"))).object();
}

inline QJsonObject tableOf(const QJsonObject &layout, const QString &name)
{
    for (const QJsonValue &t : layout.value(QStringLiteral("tables")).toArray())
        if (t.toObject().value(QStringLiteral("name")).toString() == name)
            return t.toObject();
    return {};
}

} // namespace jetcases
