#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace platform {

// Renames a file or folder only when nothing exists under the new name: a plain rename(2) would
// silently destroy the target. On failure *error (when given) receives errno; EEXIST means the
// target is there, EXDEV that the two names lie on different file systems. File systems that
// refuse renameat2's no-replace flag (FUSE, NFS, some network shares) get the same promise
// another way: a file takes its new name as a second hard link before the old one goes; where
// that is refused, and for folders, the new name is first taken by an empty entry of the
// source's kind, which only then is renamed over.
bool renameNoReplace(const QString &from, const QString &to, int *error = nullptr);

// Renames a file over whatever file has the new name, in one step (rename(2)): a reader sees the
// old file or the new one, never neither. On failure *error (when given) receives errno.
bool renameReplacing(const QString &from, const QString &to, int *error = nullptr);

// The identity of the file at the path on its file system (its inode number), which a rename keeps;
// 0 when the path cannot be looked at. A symbolic link is not followed.
quint64 fileIdentity(const QString &path);
// Tests cannot mount a file system that refuses the no-replace flag, or a second one to move to:
// a stand-in answers the renameat2 call while it is set (0, or -1 with errno set, as the call
// does). Returns the one it replaces; nullptr restores the system call.
using RenameCall = int (*)(const char *from, const char *to, unsigned int flags);
RenameCall setRenameCall(RenameCall call);
// The system's renameat2, for a stand-in that answers only some renames itself.
int systemRenameCall(const char *from, const char *to, unsigned int flags);

// Lets this process remove a file or empty a folder, as far as the owner's bits decide that: a
// file gains owner write, a folder (whose mode decides whether its entries may go) owner read,
// write and search. Group and other bits are never widened. False when the mode cannot be read
// or changed; a symbolic link is left alone (its mode means nothing) and answers true.
bool makeRemovable(const QString &path);

// The text a symbolic link holds, as it was written (not made absolute); false for anything that
// is not a link.
bool readSymLink(const QString &path, QByteArray *target);
// Makes a symbolic link at path that holds target as it stands; never replaces an entry.
bool makeSymLink(const QByteArray &target, const QString &path);

} // namespace platform
