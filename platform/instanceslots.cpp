#include "platform/instanceslots.h"

#include "platform/lockfile.h"
#include "platform/logcategories.h"

#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

namespace {

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

QString InstanceSlots::slotName(int slot)
{
    return QStringLiteral("Global\\TOLVBI410ANALYS_%1").arg(slot);
}

QString InstanceSlots::defaultFolder()
{
    const QString configured = qEnvironmentVariable("KY_INSTANCE_LOCK_DIR");
    if (!configured.isEmpty())
        return configured;
    const QString runLock = QStringLiteral("/run/lock");
    if (QFileInfo(runLock).isDir() && ::access("/run/lock", W_OK | X_OK) == 0)
        return runLock;
    return QDir::tempPath();
}

InstanceSlots::InstanceSlots(const QString &folder) : mFolder(folder) {}

InstanceSlots::~InstanceSlots()
{
    release();
}

QString InstanceSlots::lockFilePath(int slot) const
{
    // The slot's name without its namespace prefix: a backslash is no folder separator here, but
    // it would make an awkward file name.
    return QDir(mFolder).filePath(slotName(slot).section(QLatin1Char('\\'), -1) + QStringLiteral(".lock"));
}

QString InstanceSlots::guardFilePath() const
{
    return QDir(mFolder).filePath(QStringLiteral("TOLVBI410ANALYS_guard.lock"));
}

InstanceSlots::Guard::Guard(Guard &&other) noexcept : mFd(other.mFd)
{
    other.mFd = -1;
}

InstanceSlots::Guard::~Guard()
{
    if (mFd >= 0)
        ::close(mFd);
}

InstanceSlots::Guard InstanceSlots::lockGuard(int waitMs) const
{
    const int fd = openLockFile(guardFilePath(), true);
    if (fd < 0) {
        qCDebug(lcPlatform) << "Instance slots: no guard lock:" << errorText(errno);
        return Guard(-1);
    }
    // Polled rather than blocking: a start stuck while holding the guard must not hang every
    // later start; the guard only narrows a race.
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        const int error = tryLockFile(fd, LOCK_EX);
        if (error == 0)
            return Guard(fd);
        if (error != EWOULDBLOCK || waited.elapsed() >= waitMs) {
            qCDebug(lcPlatform) << "Instance slots: guard lock not taken:" << errorText(error);
            ::close(fd);
            return Guard(-1);
        }
        ::usleep(10000);
    }
}

bool InstanceSlots::isInUse(int slot) const
{
    const int fd = openLockFile(lockFilePath(slot), false);
    // No file: the slot has never been used. A file that cannot be opened counts as free too.
    if (fd < 0)
        return false;
    // A shared probe conflicts with a holder's exclusive lock only, so that two probes at the same
    // moment do not see each other as instances.
    const int error = tryLockFile(fd, LOCK_SH);
    ::close(fd);
    return error == EWOULDBLOCK;
}

int InstanceSlots::countRunning() const
{
    int count = 0;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (isInUse(slot))
            ++count;
    }
    return count;
}

int InstanceSlots::claim()
{
    if (mClaimedFd >= 0)
        return mClaimedSlot;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const int fd = openLockFile(lockFilePath(slot), true);
        if (fd < 0) {
            qCDebug(lcPlatform) << "Instance slots: cannot open" << slotName(slot) << errorText(errno);
            return -1;
        }
        const int error = tryLockFile(fd, LOCK_EX);
        if (error == 0) {
            mClaimedFd = fd;
            mClaimedSlot = slot;
            return slot;
        }
        ::close(fd);
        if (error != EWOULDBLOCK) {
            qCDebug(lcPlatform) << "Instance slots: cannot lock" << slotName(slot) << errorText(error);
            return -1;
        }
    }
    return -1;
}

void InstanceSlots::release()
{
    if (mClaimedFd < 0)
        return;
    ::close(mClaimedFd);
    mClaimedFd = -1;
    mClaimedSlot = -1;
}

} // namespace platform
