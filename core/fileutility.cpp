#include "core/fileutility.h"

#include "core/ldir.h"
#include "core/lfile.h"
#include "platform/cabinetextractor.h"
#include "platform/diskspace.h"
#include "platform/filesync.h"
#include "platform/logcategories.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <cerrno>
#include <utility>

namespace FileUtility {

namespace {

constexpr QDir::Filters kAllEntries =
    QDir::Dirs | QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;

// The folder part of an absolute "/"-separated path; "/" for an entry of the root.
QString parentOf(const QString &inPath)
{
    const qsizetype slash = inPath.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : inPath.left(slash);
}

// An absolute path without following anything: the working folder put before a relative one.
QString absoluteOf(const QString &inPath)
{
    if (inPath.startsWith(QLatin1Char('/')))
        return inPath;
    return QDir::currentPath() + QLatin1Char('/') + inPath;
}

// Where a path leads once the system has followed every link and ".." on the way. The part that
// does not exist yet is appended to its nearest existing folder's canonical path: the kernel would
// make it there.
QString resolvedPath(const QString &inPath)
{
    QString existing = absoluteOf(SlashedFolder(inPath));
    QString rest;
    while (!QFileInfo::exists(existing) && existing != QLatin1String("/")) {
        const qsizetype slash = existing.lastIndexOf(QLatin1Char('/'));
        rest = existing.mid(slash) + rest;
        existing = slash <= 0 ? QStringLiteral("/") : existing.left(slash);
    }
    const QString canonical = QFileInfo(existing).canonicalFilePath();
    return QDir::cleanPath((canonical.isEmpty() ? existing : canonical) + rest);
}

bool isSameOrInside(const QString &inPath, const QString &inFolder)
{
    if (inFolder == QLatin1String("/"))
        return true;
    return inPath == inFolder || inPath.startsWith(inFolder + QLatin1Char('/'));
}

// QSaveFile's temporary names: the final name with ".XXXXXX" appended, the X replaced by random
// letters of both cases. A name that already holds a run of six X gets its letters there instead;
// such a name is never matched. A user's own copy beside the file ("X.tif.backup", ".BACKUP",
// ".Backup") has the same length, so suffixes that read as a word (all lower case, all upper case,
// or capitalised) are kept: leaving a rare leftover costs less than deleting somebody's file.
bool isSaveFileOf(const QString &inName, const QString &inFinalName)
{
    constexpr qsizetype kLetters = 6;
    if (inFinalName.contains(QLatin1String("XXXXXX")) || inName.size() != inFinalName.size() + 1 + kLetters
        || !inName.startsWith(inFinalName) || inName.at(inFinalName.size()) != QLatin1Char('.'))
        return false;
    int upperAfterFirst = 0;
    int lower = 0;
    for (qsizetype i = inFinalName.size() + 1; i < inName.size(); ++i) {
        const char16_t c = inName.at(i).unicode();
        const bool isUpper = c >= u'A' && c <= u'Z';
        if (!isUpper && !(c >= u'a' && c <= u'z'))
            return false;
        if (isUpper && i > inFinalName.size() + 1)
            ++upperAfterFirst;
        lower += isUpper ? 0 : 1;
    }
    return upperAfterFirst > 0 && lower > 0;
}

} // namespace

QString Slashed(const QString &inPath)
{
    QString path = inPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path;
}

QString SlashedFolder(const QString &inPath)
{
    QString path = Slashed(inPath);
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

bool FlushFile(const QString &inPath)
{
    if (inPath.isEmpty())
        return false;
    const QString path = Slashed(inPath);
    int error = 0;
    if (!platform::syncFile(path, &error)) {
        qCDebug(lcCore, "error: %d CreateFile() in FileUtiity::FlushFile(): %s", error,
                        QFile::encodeName(path).constData());
        return false;
    }
    return true;
}

bool FlushDrive(const QString &inPath)
{
    if (inPath.isEmpty())
        return false;
    // Only an absolute path names a volume; a relative one is refused, as a path without a drive
    // letter was.
    return platform::syncNearestFolder(Slashed(inPath));
}

bool CommitFile(const QString &)
{
    return true;
}

bool MakePathFor(const QString &inFolder)
{
    QString path = Slashed(inFolder);
    if (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    // The folders this call makes, deepest first.
    QStringList made;
    for (QString folder = QDir::cleanPath(absoluteOf(path)); !QFileInfo::exists(folder) && folder != QLatin1String("/");
         folder = parentOf(folder))
        made << folder;

    bool exists;
    // An absolute path is created from the root: splitting "/data" into an empty parent would make
    // the folder below the working directory instead.
    if (path.startsWith(QLatin1Char('/'))) {
        exists = QDir::root().mkpath(path);
    } else {
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        const QString parent = slash < 0 ? QString() : path.left(slash);
        const QString last = slash < 0 ? path : path.mid(slash + 1);
        exists = LDir(parent).mkpath(last);
    }
    if (!exists)
        return false;

    // A new folder survives a power cut only once the folder that names it is on the disk; files
    // written into it later sync only their own folder. Topmost first, so that each synced name
    // leads to one already there.
    for (auto it = made.crbegin(); it != made.crend(); ++it) {
        const QString parent = parentOf(*it);
        if (!platform::syncNearestFolder(parent)) {
            qCDebug(lcCore).noquote() << QStringLiteral("Failed to flush drive in FileUtility::MakePathFor. %1").arg(parent);
            return false;
        }
    }
    return true;
}

quint64 FreeDiskSpace(const QString &inPath)
{
    quint64 bytes = 0;
    int error = 0;
    if (!platform::freeBytes(Slashed(inPath), &bytes, &error)) {
        qCDebug(lcCore, "error: GetDiskFreeSpaceEx() -> %d", error);
        return 0;
    }
    return bytes;
}

qint64 DirectorySize(const QString &inFolder)
{
    qint64 size = 0;
    const LDir dir(Slashed(inFolder));
    const QFileInfoList entries = dir.entryInfoList(
        QDir::Dirs | QDir::Files | QDir::NoSymLinks | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo &entry : entries) {
        if (entry.isDir())
            size += DirectorySize(entry.absoluteFilePath());
        else
            size += entry.size();
    }
    return size;
}

bool CopyDirectory(const QString &inSource, const QString &inDestination, bool inRecursive)
{
    const QString source = Slashed(inSource);
    const QString destination = Slashed(inDestination);
    if (!QFileInfo(source).isDir())
        return false;
    // A copy into the source itself would list the copies it makes and never end. Canonical paths,
    // so that no link or ".." hides where the destination lies.
    if (isSameOrInside(resolvedPath(destination), QFileInfo(source).canonicalFilePath())) {
        qCDebug(lcCore).noquote() << QStringLiteral("FileUtility::CopyDirectory(): %1 lies inside %2").arg(destination, source);
        return false;
    }
    if (!QFileInfo::exists(destination) && !MakePathFor(destination))
        return false;
    const QDir target(destination);
    // Hidden entries are copied too: a copy that silently drops files is not a copy.
    const QFileInfoList entries = LDir(source).entryInfoList(kAllEntries, QDir::NoSort);
    for (const QFileInfo &entry : entries) {
        const QString to = target.absoluteFilePath(entry.fileName());
        if (entry.isSymLink() && !entry.isFile()) {
            // A linked folder (or a dangling link) is linked again, never followed: a link to an
            // ancestor would recurse without end.
            if (inRecursive && !QFile::link(entry.symLinkTarget(), to))
                return false;
        } else if (entry.isDir()) {
            if (inRecursive && !CopyDirectory(entry.absoluteFilePath(), to, true))
                return false;
        } else if (!LFile::copy(entry.absoluteFilePath(), to)) {
            return false;
        }
    }
    return true;
}

bool RemoveDirectory(const QString &inFolder)
{
    const QString folder = Slashed(inFolder);
    const QFileInfo info(folder);
    // A link is removed itself; what it points at lies outside the tree being removed.
    if (info.isSymLink())
        return LFile::remove(folder);
    if (!info.exists())
        return true;
    LDir dir(info.absoluteFilePath());
    const QFileInfoList entries = dir.entryInfoList(kAllEntries, QDir::NoSort);
    for (const QFileInfo &entry : entries) {
        const bool removed = (entry.isDir() && !entry.isSymLink())
                                 ? RemoveDirectory(entry.absoluteFilePath())
                                 : LFile::remove(entry.absoluteFilePath());
        if (!removed) {
            qCDebug(lcCore) << "FileUtility::RemoveDirectory(): failed to remove" << entry.absoluteFilePath();
            return false;
        }
    }
    const QString name = dir.dirName();
    if (!dir.cdUp())
        return false;
    return dir.rmdir(name);
}

bool LiesWithin(const QString &inPath, const QString &inFolder)
{
    if (inPath.isEmpty() || inFolder.isEmpty())
        return false;
    return isSameOrInside(resolvedPath(Slashed(inPath)), resolvedPath(Slashed(inFolder)));
}

QString ResolvedPath(const QString &inPath)
{
    return inPath.isEmpty() ? QString() : resolvedPath(Slashed(inPath));
}

bool IsWritableFolder(const QString &inFolder)
{
    QString name = Slashed(inFolder);
    if (!name.endsWith(QLatin1Char('/')))
        name += QLatin1Char('/');
    name += QLatin1Char('t');
    while (QFileInfo::exists(name))
        name += QLatin1Char('t');
    LFile file(name);
    const bool opened = file.open(QIODevice::WriteOnly);
    if (opened) {
        file.close();
        file.remove();
    }
    return opened;
}

QChar DriveLetterFromMask(quint32 inMask)
{
    for (int i = 0; i < 26; ++i) {
        if (inMask & (quint32(1) << i))
            return QChar(char16_t(u'A' + i));
    }
    return QLatin1Char('0');
}

int ExtractCabinet(const QString &inCabinet, const QString &inDestination, QString &outText)
{
    outText.clear();
    if (inCabinet.isEmpty() || inDestination.isEmpty())
        return kCabinet_EmptyArgument;
    const QString cabinet = Slashed(inCabinet);
    if (!QFileInfo::exists(cabinet))
        return kCabinet_NoCabinetFile;
    const QString program = platform::CabinetExtractor::program();
    if (!QFileInfo::exists(program))
        return kCabinet_NoExtractor;

    QProcess process;
    process.start(program, platform::CabinetExtractor::arguments(Slashed(inDestination), cabinet),
                  QIODevice::ReadWrite);
    if (!process.waitForStarted(3000)) {
        process.terminate();
        process.kill();
        return kCabinet_NotStarted;
    }
    if (!process.waitForFinished(180000)) {
        process.terminate();
        process.kill();
        process.waitForFinished(1000);
        return kCabinet_Timeout;
    }
    outText = QString::fromLocal8Bit(process.readAllStandardOutput());
    if (process.exitCode() != 0)
        return kCabinet_ExitCode;
    if (process.error() != QProcess::UnknownError)
        return kCabinet_ProcessError;
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(1000);
        return kCabinet_ProcessError;
    }
    return kCabinet_Success;
}

bool CommitSaveFile(QSaveFile &ioFile, const char *inOperation)
{
    // QSaveFile (Qt 6.4) ignores the results of the flush and the fsync it makes in commit(): a
    // size limit or a full disk met in the last buffered bytes, or a write error the disk reports
    // only at the sync, would rename a cut-off file over the old one and report success.
    int error = 0;
    errno = 0;
    if (!ioFile.flush()) {
        NoteWriteError(errno);
        ioFile.cancelWriting();
        return false;
    }
    if (!platform::syncDescriptor(ioFile.handle(), &error)) {
        NoteWriteError(error);
        qCDebug(lcCore, "error: %d fsync() in %s: %s", error, inOperation, QFile::encodeName(ioFile.fileName()).constData());
        ioFile.cancelWriting();
        return false;
    }
    // QSaveFile writes through a link: the rename happens beside the file the link names.
    const QString replaced = ReplacedFile(ioFile.fileName());
    errno = 0;
    if (!ioFile.commit()) {
        NoteWriteError(errno);
        return false;
    }
    // The new name is durable only once its folder is on the disk too.
    FlushDriveAfter(replaced, inOperation);
    return true;
}

namespace {

thread_local int t_writeError = 0;

} // namespace

void NoteWriteError(int inError)
{
    if (t_writeError == 0)
        t_writeError = inError;
}

int TakeWriteError()
{
    return std::exchange(t_writeError, 0);
}

QString ReplacedFile(const QString &inPath)
{
    // QSaveFile's own rule: links are followed to a depth of 127; past that the name is used as given.
    QFileInfo file(inPath);
    int depth = 128;
    while (--depth && file.isSymLink())
        file.setFile(file.symLinkTarget());
    return depth > 0 ? file.filePath() : inPath;
}

bool RemoveStaleSaveFiles(const QString &inPath)
{
    const QFileInfo target(ReplacedFile(Slashed(inPath)));
    const QString finalName = target.fileName();
    if (finalName.isEmpty())
        return true;
    bool removed = true;
    // No name filter: a name may hold the filter's own wildcard characters.
    const QFileInfoList entries =
        QDir(target.absolutePath()).entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    for (const QFileInfo &entry : entries) {
        if (entry.isSymLink() || !isSaveFileOf(entry.fileName(), finalName))
            continue;
        if (!LFile::remove(entry.absoluteFilePath())) {
            qCDebug(lcCore).noquote() << QStringLiteral("FileUtility::RemoveStaleSaveFiles(): failed to remove %1")
                                             .arg(entry.absoluteFilePath());
            removed = false;
        }
    }
    return removed;
}

void FlushFileAfter(const QString &inPath, const char *inOperation)
{
    if (!FlushFile(inPath))
        qCDebug(lcCore).noquote() << QStringLiteral("Failed to flush file in %1. %2")
                                         .arg(QLatin1String(inOperation), inPath);
}

void FlushDriveAfter(const QString &inPath, const char *inOperation)
{
    // A file named relative to the working folder still lives on a volume: flush that one.
    if (!FlushDrive(QFileInfo(Slashed(inPath)).absoluteFilePath()))
        qCDebug(lcCore).noquote() << QStringLiteral("Failed to flush drive in %1. %2")
                                         .arg(QLatin1String(inOperation), inPath);
}

} // namespace FileUtility
