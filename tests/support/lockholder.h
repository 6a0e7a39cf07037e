#pragma once

#include <QDeadlineTimer>
#include <QProcess>
#include <QTest>

#include <functional>

namespace kytest {

// Another process holding an flock on a file with flock(1), as another program instance holds its
// slot. The process becomes `cat` on the lock (no fork), so ending it ends the hold.
class LockHolder
{
public:
    explicit LockHolder(const QString &path)
    {
        mProcess.start(QStringLiteral("flock"), {QStringLiteral("--no-fork"), path, QStringLiteral("cat")});
    }
    ~LockHolder() { end(); }
    LockHolder(const LockHolder &) = delete;
    LockHolder &operator=(const LockHolder &) = delete;

    bool started() { return mProcess.waitForStarted(5000); }
    void end()
    {
        if (mProcess.state() == QProcess::NotRunning)
            return;
        mProcess.kill();
        mProcess.waitForFinished(5000);
    }

private:
    QProcess mProcess;
};

// Processes events until the condition holds; false when it did not within the time.
inline bool waitUntil(const std::function<bool()> &condition, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(10);
    }
    return true;
}

} // namespace kytest
