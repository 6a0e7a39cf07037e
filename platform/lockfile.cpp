#include "platform/lockfile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

namespace platform {

int openLockFile(const QString &inPath, bool inCreate)
{
    const QByteArray name = QFile::encodeName(inPath);
    const int flags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY;
    // Without O_CREAT first: in a sticky folder such as /run/lock or /tmp the kernel
    // (fs.protected_regular) refuses O_CREAT on a file another user made, even though it exists.
    int fd = ::open(name.constData(), flags);
    if (fd >= 0 || errno != ENOENT || !inCreate)
        return fd;
    fd = ::open(name.constData(), flags | O_CREAT, 0644);
    // Readable for every user whatever the umask: instances of all users share the locks.
    if (fd >= 0)
        ::fchmod(fd, 0644);
    return fd;
}

int tryLockFile(int inFd, int inOperation)
{
    for (;;) {
        if (::flock(inFd, inOperation | LOCK_NB) == 0)
            return 0;
        if (errno != EINTR)
            return errno;
    }
}

} // namespace platform
