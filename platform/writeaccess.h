#pragma once

#include <QString>

namespace platform {

// Whether this process may change what is at path, as the operating system judges it for the
// effective user: for a file, write it; for a folder, create, rename and remove entries in it. A
// missing path, or one on a read-only file system, may not be written; *error (when given) then
// receives the system's reason (EACCES, EROFS, ENOENT...), EACCES for a stand-in's refusal.
bool mayWrite(const QString &path, int *error = nullptr);

// Root passes every permission check, so tests that must see a refusal while running as root put
// a stand-in here. Returns the check it replaces; nullptr restores the system's answer.
using WriteCheck = bool (*)(const QString &path);
WriteCheck setWriteCheck(WriteCheck check);

} // namespace platform
