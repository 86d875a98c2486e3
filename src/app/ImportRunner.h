#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QProcess;

// Runs quillory-import as a child process of its own, so that a damaged or hostile old file
// can never take the program down with it: the child limits its own memory and time, and
// this side stops it after a wall-clock limit. The run blocks in a local event loop, so the
// progress dialog stays drawn and its 取消 works.
class ImportRunner : public QObject
{
    Q_OBJECT

public:
    struct Outcome
    {
        bool ok = false;
        QString message; // for the person, in Chinese; empty when ok
        bool cancelled = false; // stopped by cancel(), at whatever moment of its work
    };

    ImportRunner(QString program, QString oldFile, QString folder, int timeoutMs);
    ~ImportRunner() override;

    Outcome run();

    // A quick look into the old file before anything is offered: the program reads only its
    // catalogue. notALedger when it is an Access file without a ledger's tables, with the
    // program's message; a look that fails or takes too long tells nothing, and the import
    // itself judges the file.
    struct Look
    {
        bool notALedger = false;
        QString message;
    };
    static Look look(const QString &program, const QString &oldFile, int timeoutMs);
    // Stops a run in progress; run() then reports it as cancelled.
    void cancel();

    // The program: the test override if set, else quillory-import beside the running
    // program (a build folder or an install), else the one found on PATH; empty if none.
    static QString program();
    static void setProgramForTests(const QString &path);
    // The wall-clock limit, normally ten minutes.
    static int timeoutMs();
    static void setTimeoutForTests(int ms);

Q_SIGNALS:
    void progress(qint64 read, qint64 total);

private:
    void readProgress();
    QString failureMessage() const;

    QString m_program;
    QString m_oldFile;
    QString m_folder;
    int m_timeoutMs;
    QProcess *m_process = nullptr;
    QByteArray m_out;
    QByteArray m_err;
    bool m_timedOut = false;
    bool m_cancelled = false;
};
