#include "app/ImportRunner.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <utility>

namespace {

QString programOverride;
int timeoutOverride = 0;
constexpr int defaultTimeoutMs = 10 * 60 * 1000;
// Neither stream of a hostile child may grow without bound in this process.
constexpr qsizetype streamLimit = qsizetype(64) * 1024;

void keepTail(QByteArray &buffer)
{
    if (buffer.size() > streamLimit)
        buffer.remove(0, buffer.size() - streamLimit);
}

} // namespace

ImportRunner::ImportRunner(QString program, QString oldFile, QString folder, int timeoutMs)
    : m_program(std::move(program))
    , m_oldFile(std::move(oldFile))
    , m_folder(std::move(folder))
    , m_timeoutMs(timeoutMs)
{
}

ImportRunner::~ImportRunner() = default;

QString ImportRunner::program()
{
    if (!programOverride.isEmpty())
        return programOverride;
    const QFileInfo beside(QCoreApplication::applicationDirPath() + QStringLiteral("/quillory-import"));
    if (beside.isFile() && beside.isExecutable())
        return beside.absoluteFilePath();
    return QStandardPaths::findExecutable(QStringLiteral("quillory-import"));
}

void ImportRunner::setProgramForTests(const QString &path)
{
    programOverride = path;
}

int ImportRunner::timeoutMs()
{
    return timeoutOverride > 0 ? timeoutOverride : defaultTimeoutMs;
}

void ImportRunner::setTimeoutForTests(int ms)
{
    timeoutOverride = ms;
}

ImportRunner::Look ImportRunner::look(const QString &program, const QString &oldFile, int timeoutMs)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments({ QStringLiteral("--tables"), oldFile });
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return {};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 3)
        return {};
    QByteArray err = process.readAllStandardError();
    keepTail(err);
    const QStringList lines = QString::fromUtf8(err).trimmed().split(QLatin1Char('\n'));
    return { true, lines.last().trimmed() };
}

ImportRunner::Outcome ImportRunner::run()
{
    QProcess process;
    m_process = &process;
    process.setProgram(m_program);
    process.setArguments({ QStringLiteral("--progress"), m_oldFile, m_folder });
    process.setWorkingDirectory(m_folder);
    process.setStandardInputFile(QProcess::nullDevice());

    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &process, [this, &process] {
        m_timedOut = true;
        process.kill();
    });
    connect(&process, &QProcess::readyReadStandardOutput, this, &ImportRunner::readProgress);
    connect(&process, &QProcess::readyReadStandardError, this, [this, &process] {
        m_err += process.readAllStandardError();
        keepTail(m_err);
    });
    connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    connect(&process, &QProcess::errorOccurred, &loop, [&loop](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            loop.quit();
    });

    process.start();
    if (process.state() != QProcess::NotRunning || process.error() != QProcess::FailedToStart) {
        limit.start(m_timeoutMs);
        loop.exec();
    }
    limit.stop();
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
    }
    m_err += process.readAllStandardError();
    readProgress();
    m_process = nullptr;

    Outcome outcome;
    if (process.error() == QProcess::FailedToStart) {
        outcome.message = QStringLiteral("無法啟動轉入程式 %1：%2").arg(m_program, process.errorString());
    } else if (m_cancelled) {
        outcome.cancelled = true;
        outcome.message = QStringLiteral("已經取消轉入。");
    } else if (m_timedOut) {
        outcome.message = m_timeoutMs >= 60000
            ? QStringLiteral("轉入超過 %1 分鐘還沒有完成，已經停止。").arg(m_timeoutMs / 60000)
            : QStringLiteral("轉入超過 %1 秒還沒有完成，已經停止。").arg(m_timeoutMs / 1000);
    } else if (process.exitStatus() == QProcess::CrashExit) {
        outcome.message = QStringLiteral("轉入程式意外中止，轉入沒有完成。");
    } else if (process.exitCode() != 0) {
        outcome.message = failureMessage();
        if (outcome.message.isEmpty())
            outcome.message = QStringLiteral("轉入沒有完成（轉入程式的結束碼 %1）。").arg(process.exitCode());
    } else {
        outcome.ok = true;
    }
    return outcome;
}

void ImportRunner::cancel()
{
    if (m_process && m_process->state() != QProcess::NotRunning) {
        m_cancelled = true;
        m_process->kill();
    }
}

void ImportRunner::readProgress()
{
    if (m_process)
        m_out += m_process->readAllStandardOutput();
    qsizetype end;
    while ((end = m_out.indexOf('\n')) >= 0) {
        const QList<QByteArray> words = m_out.left(end).trimmed().split(' ');
        m_out.remove(0, end + 1);
        if (words.size() != 3 || words.at(0) != "progress")
            continue;
        bool readOk = false;
        bool totalOk = false;
        const qint64 read = words.at(1).toLongLong(&readOk);
        const qint64 total = words.at(2).toLongLong(&totalOk);
        if (readOk && totalOk && read >= 0 && total >= 0)
            Q_EMIT progress(read, total);
    }
    keepTail(m_out);
}

// The importer's last line on standard error is its message for the person.
QString ImportRunner::failureMessage() const
{
    const QStringList lines = QString::fromUtf8(m_err).split(QLatin1Char('\n'));
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        QString text = line->trimmed();
        if (!text.isEmpty())
            return text;
    }
    return QString();
}
