#include "app/imagefiletree.h"

#include "core/fileutility.h"
#include "core/ldir.h"
#include "core/lfile.h"
#include "platform/safefileops.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFileInfo>

namespace {

constexpr QDir::Filters kTreeEntries =
    QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks;

// A hidden name beside inTarget that nothing uses yet, for a copy in the making or an old copy on
// its way out. The scan does not list hidden folders, so neither shows as a capture.
QString FreeSiblingName(const QString &inTarget, const char *inKind)
{
    const QFileInfo target(inTarget);
    const QString stem = target.absolutePath() + QLatin1String("/.") + target.fileName()
                         + QLatin1Char('.') + QLatin1String(inKind) + QLatin1Char('-')
                         + QString::number(QCoreApplication::applicationPid()) + QLatin1Char('-');
    for (int i = 0;; ++i) {
        const QString candidate = stem + QString::number(i);
        if (!QFileInfo(candidate).exists() && !QFileInfo(candidate).isSymLink())
            return candidate;
    }
}

// Copies what inSource holds into the existing, empty folder inTarget.
bool CopyContents(const QString &inSource, const QString &inTarget)
{
    const LDir target(inTarget);
    const QFileInfoList entries = LDir(inSource).entryInfoList(kTreeEntries, QDir::NoSort);
    for (const QFileInfo &entry : entries) {
        const QString to = target.absoluteFilePath(entry.fileName());
        if (entry.isDir()) {
            if (!target.mkdir(entry.fileName()) || !CopyContents(entry.absoluteFilePath(), to))
                return false;
        } else if (!LFile::copy(entry.absoluteFilePath(), to)) {
            qDebug().noquote() << "CopyFolderTree(): cannot copy" << entry.absoluteFilePath();
            return false;
        }
    }
    return true;
}

// Removes a file, a link or a folder tree, whichever is at the path.
bool RemoveEntry(const QString &inPath)
{
    const QFileInfo info(inPath);
    if (info.isDir() && !info.isSymLink())
        return RemoveFolderTree(inPath);
    platform::makeRemovable(inPath);
    return LFile::remove(inPath);
}

// Puts the finished copy inMade in inTarget's place. A same-named entry is first moved aside and
// removed only once the copy holds the name; if the copy cannot take the name, the old entry goes
// back. Renames that never replace: whatever else appears at the target meanwhile stays.
bool InstallCopy(const QString &inMade, const QString &inTarget)
{
    const QFileInfo existing(inTarget);
    if (!existing.exists() && !existing.isSymLink()) {
        if (platform::renameNoReplace(inMade, inTarget)) {
            FileUtility::FlushDriveAfter(inTarget, "CopyFolderTree");
            return true;
        }
        RemoveEntry(inMade);
        return false;
    }
    const QString old = FreeSiblingName(inTarget, "old");
    if (!platform::renameNoReplace(inTarget, old)) {
        RemoveEntry(inMade);
        return false;
    }
    if (!platform::renameNoReplace(inMade, inTarget)) {
        if (!platform::renameNoReplace(old, inTarget))
            qDebug().noquote() << "CopyFolderTree(): the replaced entry stays at" << old;
        RemoveEntry(inMade);
        return false;
    }
    FileUtility::FlushDriveAfter(inTarget, "CopyFolderTree");
    if (!RemoveEntry(old))
        qDebug().noquote() << "CopyFolderTree(): cannot remove the replaced entry" << old;
    return true;
}

// Where inSource would land in inDestinationParent; empty when the copy must not start: the
// target is the source, holds the source, or the destination lies inside the source.
QString SafeTarget(const QString &inSource, const QString &inDestinationParent)
{
    if (!IsUsablePath(inSource) || !IsUsablePath(inDestinationParent)
        || !QFileInfo(inDestinationParent).isDir())
        return QString();
    const QString name = QFileInfo(inSource).fileName();
    if (!IsPlainEntryName(name))
        return QString();
    const QString target = LDir(inDestinationParent).absoluteFilePath(name);
    if (FileUtility::LiesWithin(target, inSource) || FileUtility::LiesWithin(inSource, target)
        || FileUtility::LiesWithin(inDestinationParent, inSource)) {
        qDebug().noquote() << "CopyFolderTree(): refused to copy" << inSource << "into"
                           << inDestinationParent;
        return QString();
    }
    return target;
}

} // namespace

bool IsPlainEntryName(const QString &inName)
{
    return !inName.isEmpty() && inName != QLatin1String(".") && inName != QLatin1String("..")
           && !inName.contains(QLatin1Char('/')) && !inName.contains(QChar(0));
}

bool IsUsablePath(const QString &inPath)
{
    if (inPath.isEmpty() || !inPath.startsWith(QLatin1Char('/')))
        return false;
    const QFileInfo info(inPath);
    return info.exists() || info.isSymLink();
}

bool RemoveEmptyFolder(const QString &inPath)
{
    if (!IsUsablePath(inPath))
        return false;
    LDir dir(inPath);
    const QString name = dir.dirName();
    if (!dir.cdUp())
        return false;
    return dir.rmdir(name);
}

bool RemoveFolderTree(const QString &inPath)
{
    if (!IsUsablePath(inPath))
        return false;
    // The folder's own mode decides whether its entries may go.
    platform::makeRemovable(inPath);
    const LDir dir(inPath);
    const QStringList names = dir.entryList(kTreeEntries, QDir::NoSort);
    for (const QString &name : names) {
        const QString full = dir.filePath(name);
        if (!QFileInfo(full).isFile()) {
            if (!RemoveFolderTree(full))
                return false;
        } else {
            platform::makeRemovable(full);
            if (!LFile::remove(full))
                return false;
        }
    }
    return RemoveEmptyFolder(inPath);
}

bool CopyFolderTree(const QString &inSource, const QString &inDestinationParent)
{
    if (!QFileInfo(inSource).isDir())
        return false;
    const QString target = SafeTarget(inSource, inDestinationParent);
    if (target.isEmpty())
        return false;
    const QString made = FreeSiblingName(target, "copy");
    const QFileInfo madeInfo(made);
    if (!LDir(madeInfo.absolutePath()).mkdir(madeInfo.fileName()))
        return false;
    if (!CopyContents(inSource, made)) {
        RemoveFolderTree(made);
        return false;
    }
    return InstallCopy(made, target);
}

bool CopyFileInto(const QString &inSource, const QString &inDestinationParent)
{
    const QString target = SafeTarget(inSource, inDestinationParent);
    if (target.isEmpty())
        return false;
    const QString made = FreeSiblingName(target, "copy");
    if (!LFile::copy(inSource, made)) {
        LFile::remove(made);
        return false;
    }
    return InstallCopy(made, target);
}
