#include "platform/writeaccess.h"

#include <QFile>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::atomic<WriteCheck> g_check{nullptr};

bool systemMayWrite(const QString &path, int *error)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat info{};
    if (native.isEmpty() || ::stat(native.constData(), &info) != 0) {
        if (error)
            *error = native.isEmpty() ? ENOENT : errno;
        return false;
    }
    // An entry is made in a folder through a search of it as well as a write.
    const int mode = S_ISDIR(info.st_mode) ? (W_OK | X_OK) : W_OK;
    if (::faccessat(AT_FDCWD, native.constData(), mode, AT_EACCESS) == 0)
        return true;
    if (error)
        *error = errno;
    return false;
}

} // namespace

bool mayWrite(const QString &path, int *error)
{
    if (const WriteCheck check = g_check.load()) {
        if (check(path))
            return true;
        if (error)
            *error = EACCES;
        return false;
    }
    return systemMayWrite(path, error);
}

WriteCheck setWriteCheck(WriteCheck check)
{
    return g_check.exchange(check);
}

} // namespace platform
