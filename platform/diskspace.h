#pragma once

#include <QString>
#include <QtGlobal>

namespace platform {

// Bytes available to an unprivileged caller on the file system holding path. On failure returns
// false and sets *error (when given) to errno.
bool freeBytes(const QString &path, quint64 *bytes, int *error = nullptr);

// Tests of space checks cannot fill a real disk: a stand-in answers freeBytes while it is set.
// Returns the source it replaces; nullptr restores the system's answer.
using FreeBytesSource = bool (*)(const QString &path, quint64 *bytes, int *error);
FreeBytesSource setFreeBytesSource(FreeBytesSource source);

} // namespace platform
