#include "platform/processrunner.h"

#include <QMutex>
#include <QMutexLocker>
#include <QProcess>
#include <QStandardPaths>

namespace platform {

namespace {

ProcessOutcome runReally(const ProcessRequest &request)
{
    ProcessOutcome outcome;
    const QString program = QStandardPaths::findExecutable(request.program);
    if (program.isEmpty())
        return outcome;
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, request.arguments);
    if (!process.waitForStarted())
        return outcome;
    if (!process.waitForFinished(request.timeoutMs)) {
        process.kill();
        process.waitForFinished();
        outcome.state = ProcessOutcome::TimedOut;
        return outcome;
    }
    outcome.state = ProcessOutcome::Finished;
    outcome.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return outcome;
}

QMutex &runnerMutex()
{
    static QMutex mutex;
    return mutex;
}

ProcessRunner &currentRunner()
{
    static ProcessRunner runner;
    return runner;
}

} // namespace

ProcessOutcome runProcess(const ProcessRequest &request)
{
    ProcessRunner runner;
    {
        QMutexLocker lock(&runnerMutex());
        runner = currentRunner();
    }
    return runner ? runner(request) : runReally(request);
}

ProcessRunner setProcessRunner(ProcessRunner runner)
{
    QMutexLocker lock(&runnerMutex());
    ProcessRunner previous = std::move(currentRunner());
    currentRunner() = std::move(runner);
    return previous;
}

} // namespace platform
