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
// new one. False, with the target untouched, when any of that fails; the folder's flush after the
// rename is only logged (the replacement has happened by then).
bool CommitSaveFile(QSaveFile &ioFile, const char *inOperation);

// The flushes that follow a successful change: a failure is only written to the debug output.
void FlushFileAfter(const QString &inPath, const char *inOperation);
void FlushDriveAfter(const QString &inPath, const char *inOperation);

} // namespace FileUtility
