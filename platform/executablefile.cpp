#include "platform/executablefile.h"

#include <QFile>

#include <climits>
#include <unistd.h>

namespace platform {

QString currentExecutableFile()
{
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || length >= ssize_t(sizeof buffer))
        return QString();
    return QFile::decodeName(QByteArray(buffer, int(length)));
}

} // namespace platform
