#include "platform/capturelock.h"

#include "platform/instanceslots.h"
#include "platform/lockfile.h"
#include "platform/logcategories.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>

#include <cerrno>
#include <cstring>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kPollMs = 10;

} // namespace

CaptureLock::CaptureLock(const QString &key, const QString &folder) : mPath(lockFilePath(key, folder)) {}

CaptureLock::~CaptureLock()
{
    unlock();
}

QString CaptureLock::defaultFolder()
{
    return InstanceSlots::defaultFolder();
}

QString CaptureLock::lockFilePath(const QString &key, const QString &folder)
{
    const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex();
    return QDir(folder).filePath(QStringLiteral("capture-") + QString::fromLatin1(hash) + QStringLiteral(".lock"));
}

CaptureLock::Result CaptureLock::lock(int waitMs)
{
    if (mFd >= 0)
        return kHeld;
    const int fd = openLockFile(mPath, true);
    if (fd < 0) {
        qCDebug(lcPlatform).noquote() << "CaptureLock: cannot open" << mPath << QString::fromLocal8Bit(std::strerror(errno));
        return kUnavailable;
    }
    // Polled rather than blocking: the wait has an end, and the caller says why it gave up.
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        const int error = tryLockFile(fd, LOCK_EX);
        if (error == 0) {
            mFd = fd;
            return kHeld;
        }
        if (error != EWOULDBLOCK) {
            qCDebug(lcPlatform).noquote() << "CaptureLock: cannot lock" << mPath << QString::fromLocal8Bit(std::strerror(error));
            ::close(fd);
            return kUnavailable;
        }
        if (waited.elapsed() >= waitMs) {
            ::close(fd);
            return kBusy;
        }
        ::usleep(kPollMs * 1000);
    }
}

void CaptureLock::unlock()
{
    if (mFd < 0)
        return;
    ::close(mFd);
    mFd = -1;
}

} // namespace platform
