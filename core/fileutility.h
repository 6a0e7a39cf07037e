#pragma once

#include <QChar>
#include <QSaveFile>
#include <QString>
#include <QtGlobal>

// File and folder utilities below LFile and LDir. Paths may use either separator style.
namespace FileUtility {

// Instrument paths arrive with backslashes, which QDir::fromNativeSeparators leaves alone here:
// the path with every "\" turned into "/".
QString Slashed(const QString &inPath);
// A folder's path the same way, without trailing "/" (so that its last section is its name; "/"
// stays "/").
QString SlashedFolder(const QString &inPath);

bool FlushFile(const QString &inPath);
bool FlushDrive(const QString &inPath);
bool CommitFile(const QString &inPath);
bool MakePathFor(const QString &inFolder);
quint64 FreeDiskSpace(const QString &inPath);
qint64 DirectorySize(const QString &inFolder);
bool CopyDirectory(const QString &inSource, const QString &inDestination, bool inRecursive);
bool RemoveDirectory(const QString &inFolder);
bool IsWritableFolder(const QString &inFolder);
// Whether inPath is inFolder or lies somewhere below it once every link and ".." on the way has
// been followed (a part that does not exist yet counts where the system would create it). Copies
// and moves ask this before they touch anything: a tree copied into itself never ends.
bool LiesWithin(const QString &inPath, const QString &inFolder);
// Where a path leads once every link and ".." on the way has been followed: the canonical path of
// its nearest existing folder with the part that does not exist yet appended.
QString ResolvedPath(const QString &inPath);
QChar DriveLetterFromMask(quint32 inMask);

// Result codes of ExtractCabinet.
enum ECabinetResult {
    kCabinet_Success = 0,
    kCabinet_EmptyArgument = 1,
    kCabinet_NoCabinetFile = 2,
    kCabinet_NoExtractor = 3,
    kCabinet_NotStarted = 4,
    kCabinet_Timeout = 5,
    kCabinet_ProcessError = 6,
    kCabinet_ExitCode = 7,
};
int ExtractCabinet(const QString &inCabinet, const QString &inDestination, QString &outText);

// Completes a whole-file replacement: the data is flushed and forced onto the disk before the
// temporary file is renamed over the target, so the target is either the old file or the whole
// new one. False, with the target untouched, when any of that fails; the flush of the folder the
// rename happened in is only logged (the replacement has happened by then). A target that is a
// symbolic link keeps the link: the file it names is replaced, in that file's folder.
bool CommitSaveFile(QSaveFile &ioFile, const char *inOperation);

// The file a whole-file replacement of inPath replaces: symbolic links followed to the file they
// name, as QSaveFile does. Its temporary file and the rename lie in that file's folder.
QString ReplacedFile(const QString &inPath);

// Removes what an interrupted whole-file replacement of inPath left beside the file it replaces:
// QSaveFile's temporary files, named like that file with a dot and six letters appended. Nothing
// else is touched; a name with a run of six "X" in it is left alone, as QSaveFile would place the
// letters elsewhere. False when a leftover could not be removed.
bool RemoveStaleSaveFiles(const QString &inPath);

// The system's reason (an errno value) for the first write of this thread that failed since the
// last TakeWriteError, which returns it and forgets it; 0 when no write failed, or when none told
// why. Writers note the reason where a write fails, so that whoever reports the failure to the user
// can say what the system said (no space, no permission) after the cleanup has changed errno.
void NoteWriteError(int inError);
int TakeWriteError();

// The flushes that follow a successful change: a failure is only written to the debug output.
void FlushFileAfter(const QString &inPath, const char *inOperation);
void FlushDriveAfter(const QString &inPath, const char *inOperation);

} // namespace FileUtility
