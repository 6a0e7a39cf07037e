#include "platform/filesync.h"

#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

std::atomic<quint64> g_syncs{0};
std::atomic<SyncObserver> g_observer{nullptr};

bool fsyncDescriptor(int fd, int *error)
{
    int rc;
    do {
        rc = ::fsync(fd);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        if (error)
            *error = errno;
        return false;
    }
    ++g_syncs;
    return true;
}

bool fsyncPath(const QString &path, int *error)
{
    const QByteArray native = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (error)
            *error = errno;
        return false;
    }
    const bool synced = fsyncDescriptor(fd, error);
    ::close(fd);
    if (synced) {
        if (const SyncObserver observer = g_observer.load())
            observer(path);
    }
    return synced;
}

QString parentFolder(const QString &absolutePath)
{
    const QString cleaned = QFileInfo(absolutePath).absoluteFilePath();
    const qsizetype slash = cleaned.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return QStringLiteral("/");
    return cleaned.left(slash);
}

} // namespace

bool syncFile(const QString &path, int *error)
{
    if (path.isEmpty()) {
        if (error)
            *error = ENOENT;
        return false;
    }
    if (!fsyncPath(path, error))
        return false;
    return fsyncPath(parentFolder(path), error);
}

bool syncNearestFolder(const QString &path, int *error)
{
    if (path.isEmpty() || !path.startsWith(QLatin1Char('/'))) {
        if (error)
            *error = EINVAL;
        return false;
    }
    QString folder = QFileInfo(path).absoluteFilePath();
    while (!QFileInfo(folder).isDir()) {
        const QString up = parentFolder(folder);
        if (up == folder)
            break;
        folder = up;
    }
    return fsyncPath(folder, error);
}

bool syncDescriptor(int fd, int *error)
{
    if (fd < 0) {
        if (error)
            *error = EBADF;
        return false;
    }
    return fsyncDescriptor(fd, error);
}

quint64 syncCount()
{
    return g_syncs.load();
}

SyncObserver setSyncObserver(SyncObserver observer)
{
    return g_observer.exchange(observer);
}

} // namespace platform
