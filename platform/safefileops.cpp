#include "platform/safefileops.h"

#include <QFile>

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

bool renameNoReplace(const QString &from, const QString &to, int *error)
{
    if (from.isEmpty() || to.isEmpty()) {
        if (error)
            *error = ENOENT;
        return false;
    }
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    // Called through syscall: glibc's wrapper is newer than some of the C libraries this builds on.
    if (::syscall(SYS_renameat2, AT_FDCWD, source.constData(), AT_FDCWD, target.constData(),
                  RENAME_NOREPLACE) == 0)
        return true;
    if (error)
        *error = errno;
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

} // namespace platform
