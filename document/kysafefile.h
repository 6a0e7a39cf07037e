#pragma once

#include <QByteArray>
#include <QString>

// Whole-file writes that never leave a half-written file behind: the bytes go to a temporary file
// beside the target, which is synced and then renamed over it, and the folder is synced after the
// rename. On any failure the old file (if any) is unchanged and the temporary file is gone. A path
// that is a symbolic link stays one: the file it names is replaced.
// Files written by other means (a printer that takes a file name) get the same guarantee through
// CreateTemporary and Install.
// Whole-file reads report a read that fails part-way, so that a cut-off file is never taken for
// the whole one (and written back as it).
namespace KySafeFile {

// False when the file cannot be opened, a write falls short, or the commit fails; the system's reason
// is noted (FileUtility::NoteWriteError).
bool Write(const QString &inPath, const QByteArray &inBytes);

// The file's bytes; false (and outBytes empty) when it cannot be opened, is no regular file, or a
// read fails.
bool Read(const QString &inPath, QByteArray &outBytes);

// Whether no file can be written at inPath at all: the path names something other than a file (a
// folder, a dangling link), an existing file that may not be written or whose folder may not be, or
// a new file whose nearest existing folder is not a writable folder. A save asks this of each of its
// targets before it replaces the first file, so that a failure it can foresee changes nothing.
// When blocked, the reason is noted as a failed write's is (FileUtility::NoteWriteError).
bool IsBlocked(const QString &inPath);

// A new, empty temporary file for a replacement of inPath, beside the file it replaces (links
// followed), named as a whole-file write names its own (so that the removal of stale temporary
// files finds it); its path, or empty when it cannot be made.
QString CreateTemporary(const QString &inPath);

// Puts the finished file inTemporary in inPath's place: its data is synced, it is renamed over the
// file inPath names (a link stays a link) and the folder is synced. False when that fails; the
// temporary file is then removed and inPath is as it was.
bool Install(const QString &inTemporary, const QString &inPath);

} // namespace KySafeFile
