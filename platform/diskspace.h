#pragma once

#include <QString>
#include <QtGlobal>

namespace platform {

// Bytes available to an unprivileged caller on the file system holding path. On failure returns
// false and sets *error (when given) to errno.
bool freeBytes(const QString &path, quint64 *bytes, int *error = nullptr);

} // namespace platform
