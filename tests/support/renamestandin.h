#pragma once

#include "platform/safefileops.h"

#include <QByteArray>

#include <cerrno>
#include <cstring>

namespace kytest {

// Answers the rename call of platform::renameNoReplace while it lives, so that tests can play
// file systems they cannot mount.
class RenameStandIn
{
public:
    explicit RenameStandIn(platform::RenameCall inCall) { platform::setRenameCall(inCall); }
    ~RenameStandIn() { platform::setRenameCall(nullptr); }
    RenameStandIn(const RenameStandIn &) = delete;
    RenameStandIn &operator=(const RenameStandIn &) = delete;
};

// A file system that does not know the no-replace flag (FUSE, NFS) answers EINVAL.
inline int refuseTheFlag(const char *, const char *, unsigned int)
{
    errno = EINVAL;
    return -1;
}

// Everything under this folder lies on a file system of its own: a rename into or out of it
// answers EXDEV, every other rename is the system's.
inline QByteArray otherFileSystem;

inline int renameAcrossOtherFileSystem(const char *from, const char *to, unsigned int flags)
{
    auto inside = [](const char *path) {
        return !otherFileSystem.isEmpty() && std::strncmp(path, otherFileSystem.constData(), size_t(otherFileSystem.size())) == 0
               && (path[otherFileSystem.size()] == '/' || path[otherFileSystem.size()] == '\0');
    };
    if (inside(from) != inside(to)) {
        errno = EXDEV;
        return -1;
    }
    return platform::systemRenameCall(from, to, flags);
}

} // namespace kytest
