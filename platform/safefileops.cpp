#include "platform/safefileops.h"

#include <QFile>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace platform {

namespace {

std::atomic<RenameCall> renameStandIn{nullptr};

bool isSameEntry(const char *path, const struct stat &known)
{
    struct stat now;
    return ::lstat(path, &now) == 0 && now.st_dev == known.st_dev && now.st_ino == known.st_ino;
}

// The no-replace rename where the file system refuses the flag: 0 or errno.
int renameWithoutFlag(const char *from, const char *to)
{
    struct stat source;
    if (::lstat(from, &source) != 0)
        return errno;
    const bool folder = S_ISDIR(source.st_mode);
    if (!folder) {
        // link() never replaces: the file holds both names for a moment, then only the new one.
        if (::link(from, to) == 0) {
            if (::unlink(from) == 0)
                return 0;
            const int error = errno;
            ::unlink(to);
            return error;
        }
        if (errno == EEXIST)
            return EEXIST;
        // Many FUSE file systems have no hard links: the name is reserved below instead.
    }

    // An empty entry of the source's kind takes the name; rename(2) may replace it, and only it:
    // right before the rename it must still be the entry made here, and still empty (a folder
    // that gained entries refuses the rename by itself).
    struct stat reserved;
    if (folder) {
        if (::mkdir(to, 0700) != 0 || ::lstat(to, &reserved) != 0)
            return errno;
    } else {
        const int fd = ::open(to, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0)
            return errno;
        const bool known = ::fstat(fd, &reserved) == 0;
        const int error = errno;
        ::close(fd);
        if (!known) {
            ::unlink(to);
            return error;
        }
    }
    struct stat now;
    if (::lstat(to, &now) != 0 || now.st_dev != reserved.st_dev || now.st_ino != reserved.st_ino
        || (!folder && now.st_size != 0))
        return EEXIST; // someone else's entry now: it stays
    if (::rename(from, to) == 0)
        return 0;
    const int error = errno;
    if (isSameEntry(to, reserved)) {
        if (folder)
            ::rmdir(to);
        else
            ::unlink(to);
    }
    return error;
}

} // namespace

int systemRenameCall(const char *from, const char *to, unsigned int flags)
{
    // Called through syscall: glibc's wrapper is newer than some of the C libraries this builds on.
    return int(::syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, flags));
}

RenameCall setRenameCall(RenameCall call)
{
    return renameStandIn.exchange(call);
}

bool renameNoReplace(const QString &from, const QString &to, int *error)
{
    if (from.isEmpty() || to.isEmpty()) {
        if (error)
            *error = ENOENT;
        return false;
    }
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    const RenameCall standIn = renameStandIn.load();
    const RenameCall call = standIn ? standIn : systemRenameCall;
    if (call(source.constData(), target.constData(), RENAME_NOREPLACE) == 0)
        return true;
    int failure = errno;
    // EINVAL: the file system does not know the flag; ENOSYS: the kernel does not know the call.
    if (failure == EINVAL || failure == ENOSYS) {
        failure = renameWithoutFlag(source.constData(), target.constData());
        if (failure == 0)
            return true;
    }
    if (error)
        *error = failure;
    return false;
}

bool renameReplacing(const QString &from, const QString &to, int *error)
{
    if (from.isEmpty() || to.isEmpty()) {
        if (error)
            *error = ENOENT;
        return false;
    }
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    if (error)
        *error = errno;
    return false;
}

quint64 fileIdentity(const QString &path)
{
    struct stat st;
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return quint64(st.st_ino);
}

bool makeRemovable(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (path.isEmpty() || ::lstat(name.constData(), &st) != 0)
        return false;
    if (S_ISLNK(st.st_mode))
        return true;
    const mode_t wanted = S_ISDIR(st.st_mode) ? mode_t(S_IRWXU) : mode_t(S_IWUSR);
    if ((st.st_mode & wanted) == wanted)
        return true;
    return ::chmod(name.constData(), (st.st_mode & 07777) | wanted) == 0;
}

bool readSymLink(const QString &path, QByteArray *target)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (path.isEmpty() || ::lstat(name.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
        return false;
    // The size lstat reports may be 0 (some pseudo file systems) or stale: grow until it fits.
    QByteArray buffer(qMax<qsizetype>(qsizetype(st.st_size) + 1, 256), Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::readlink(name.constData(), buffer.data(), size_t(buffer.size()));
        if (n < 0)
            return false;
        if (n < buffer.size()) {
            if (target)
                *target = buffer.left(n);
            return true;
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool makeSymLink(const QByteArray &target, const QString &path)
{
    return !target.isEmpty() && !path.isEmpty()
           && ::symlink(target.constData(), QFile::encodeName(path).constData()) == 0;
}

} // namespace platform
