#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace platform {

// Starts an outside program, waits for it and tells how it ended. Operations that would change the
// machine (shut it down, reconfigure it) start their commands only through here, so that tests can
// put a stand-in in place and see what would have been run.
struct ProcessRequest
{
    QString program;
    QStringList arguments;
    int timeoutMs = -1; // -1: wait without a limit
};

struct ProcessOutcome
{
    enum State { NotStarted, TimedOut, Finished };
    State state = NotStarted;
    int exitCode = -1; // meaningful when Finished
};

using ProcessRunner = std::function<ProcessOutcome(const ProcessRequest &)>;

// Runs a request with the current runner.
ProcessOutcome runProcess(const ProcessRequest &request);

// Replaces the runner and returns the one it replaces; an empty runner restores the real one, which
// starts the program found on PATH (not started when there is none, or it cannot be run), kills it
// when the time limit passes, and counts a crash as a finish with exit code -1.
ProcessRunner setProcessRunner(ProcessRunner runner);

} // namespace platform
