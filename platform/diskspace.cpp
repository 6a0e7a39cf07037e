#include "platform/diskspace.h"

#include <QFile>

#include <cerrno>
#include <sys/statvfs.h>

namespace platform {

namespace {
FreeBytesSource freeBytesSource = nullptr;
}

FreeBytesSource setFreeBytesSource(FreeBytesSource source)
{
    const FreeBytesSource previous = freeBytesSource;
    freeBytesSource = source;
    return previous;
}

bool freeBytes(const QString &path, quint64 *bytes, int *error)
{
    if (freeBytesSource)
        return freeBytesSource(path, bytes, error);
    struct statvfs st;
    if (path.isEmpty() || ::statvfs(QFile::encodeName(path).constData(), &st) != 0) {
        if (error)
            *error = path.isEmpty() ? ENOENT : errno;
        return false;
    }
    if (bytes)
        *bytes = quint64(st.f_bavail) * quint64(st.f_frsize);
    return true;
}

} // namespace platform
