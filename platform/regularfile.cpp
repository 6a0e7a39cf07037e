#include "platform/regularfile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

bool openRegularForReading(QFile &file, QIODevice::OpenMode extraFlags)
{
    const QByteArray native = QFile::encodeName(file.fileName());
    if (native.isEmpty())
        return false;
    int fd;
    // O_NONBLOCK: opening a FIFO for reading returns at once instead of waiting for a writer.
    do {
        fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    struct stat info{};
    // The flag means nothing to a regular file's reads; it is cleared so that none of them depends on it.
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0
        || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0
        || !file.open(fd, QIODevice::ReadOnly | extraFlags, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

} // namespace platform
