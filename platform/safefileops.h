#pragma once

#include <QString>
#include <QtGlobal>

namespace platform {

// Renames a file or folder only when nothing exists under the new name (renameat2 with
// RENAME_NOREPLACE): a plain rename(2) would silently destroy the target. On failure *error (when
// given) receives errno; EEXIST means the target is there. File systems without the flag refuse.
bool renameNoReplace(const QString &from, const QString &to, int *error = nullptr);

// Renames a file over whatever file has the new name, in one step (rename(2)): a reader sees the
// old file or the new one, never neither. On failure *error (when given) receives errno.
bool renameReplacing(const QString &from, const QString &to, int *error = nullptr);

// The identity of the file at the path on its file system (its inode number), which a rename keeps;
// 0 when the path cannot be looked at. A symbolic link is not followed.
quint64 fileIdentity(const QString &path);

// Lets this process remove a file or empty a folder, as far as the owner's bits decide that: a
// file gains owner write, a folder (whose mode decides whether its entries may go) owner read,
// write and search. Group and other bits are never widened. False when the mode cannot be read
// or changed; a symbolic link is left alone (its mode means nothing) and answers true.
bool makeRemovable(const QString &path);

} // namespace platform
