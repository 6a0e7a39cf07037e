#include "app/imagefiletree.h"

#include "core/fileutility.h"
#include "core/ldir.h"
#include "core/lfile.h"
#include "platform/logcategories.h"
#include "platform/safefileops.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

namespace {

// Every entry of a folder: hidden ones, links (never followed) and special files too. A walk
// that skipped some would report a copy as whole that is not, or leave a folder it cannot remove.
constexpr QDir::Filters kTreeEntries =
    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;

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

bool CopyEntry(const QFileInfo &inFrom, const QString &inTo);

// Makes the folder inTo, which must not exist, and copies every entry of inFrom into it.
bool CopyFolder(const QString &inFrom, const QString &inTo)
{
    const QFileInfo to(inTo);
    if (!LDir(to.absolutePath()).mkdir(to.fileName()))
        return false;
    const LDir target(inTo);
    const QFileInfoList entries = LDir(inFrom).entryInfoList(kTreeEntries, QDir::NoSort);
    return std::all_of(entries.cbegin(), entries.cend(), [&target](const QFileInfo &entry) {
        return CopyEntry(entry, target.absoluteFilePath(entry.fileName()));
    });
}

// Copies one entry to inTo, which must not exist: a folder with everything in it, a file, or a
// link as the link it is. Anything else (a pipe, a socket, a device) cannot be copied and fails
// the copy rather than being left out of it.
bool CopyEntry(const QFileInfo &inFrom, const QString &inTo)
{
    const QString from = inFrom.absoluteFilePath();
    if (inFrom.isSymLink()) {
        QByteArray link;
        if (platform::readSymLink(from, &link) && platform::makeSymLink(link, inTo))
            return true;
        qCDebug(lcApp).noquote() << "CopyFolderTree(): cannot copy the link" << from;
        return false;
    }
    if (inFrom.isDir())
        return CopyFolder(from, inTo);
    if (inFrom.isFile() && LFile::copy(from, inTo))
        return true;
    qCDebug(lcApp).noquote() << "CopyFolderTree(): cannot copy" << from;
    return false;
}

bool SameBytes(const QString &inA, const QString &inB)
{
    QFile a(inA);
    QFile b(inB);
    if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) || a.size() != b.size())
        return false;
    constexpr qint64 kChunk = 1 << 20;
    while (!a.atEnd()) {
        const QByteArray chunk = a.read(kChunk);
        if (chunk.isEmpty() || chunk != b.read(kChunk))
            return false;
    }
    return b.atEnd();
}

// Whether inCopy holds what inOriginal holds: the same entries of the same kinds, the same bytes
// in every file and the same text in every link.
bool SameTree(const QFileInfo &inOriginal, const QString &inCopy)
{
    const QFileInfo copy(inCopy);
    if (inOriginal.isSymLink() || copy.isSymLink()) {
        QByteArray a;
        QByteArray b;
        return platform::readSymLink(inOriginal.absoluteFilePath(), &a)
               && platform::readSymLink(inCopy, &b) && a == b;
    }
    if (inOriginal.isDir()) {
        if (!copy.isDir())
            return false;
        const QFileInfoList entries =
            LDir(inOriginal.absoluteFilePath()).entryInfoList(kTreeEntries, QDir::Name);
        const LDir target(inCopy);
        if (target.entryList(kTreeEntries, QDir::Name).size() != entries.size())
            return false;
        return std::all_of(entries.cbegin(), entries.cend(), [&target](const QFileInfo &entry) {
            return SameTree(entry, target.absoluteFilePath(entry.fileName()));
        });
    }
    return inOriginal.isFile() && copy.isFile()
           && SameBytes(inOriginal.absoluteFilePath(), inCopy);
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
            qCDebug(lcApp).noquote() << "CopyFolderTree(): the replaced entry stays at" << old;
        RemoveEntry(inMade);
        return false;
    }
    FileUtility::FlushDriveAfter(inTarget, "CopyFolderTree");
    if (!RemoveEntry(old))
        qCDebug(lcApp).noquote() << "CopyFolderTree(): cannot remove the replaced entry" << old;
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
        qCDebug(lcApp).noquote() << "CopyFolderTree(): refused to copy" << inSource << "into"
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
        if (!RemoveEntry(dir.filePath(name)))
            return false;
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
    if (!CopyFolder(inSource, made)) {
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

QString SetAside(const QString &inPath, const char *inKind)
{
    if (!IsUsablePath(inPath))
        return QString();
    const QString aside = FreeSiblingName(inPath, inKind);
    return platform::renameNoReplace(inPath, aside) ? aside : QString();
}

bool RemoveSetAside(const QString &inAside, const QString &inWas)
{
    if (RemoveEntry(inAside))
        return true;
    QStringList left;
    QDirIterator it(inAside, kTreeEntries, QDirIterator::Subdirectories);
    while (it.hasNext())
        left << QDir(inAside).relativeFilePath(it.next());
    qWarning().noquote() << "Could not remove all of" << inWas << "- left in" << inAside << ":"
                         << (left.isEmpty() ? QStringLiteral("the folder itself") : left.join(QStringLiteral(", ")));
    return false;
}

bool MoveAcross(const QString &inSource, const QString &inDestinationParent)
{
    const QString target = SafeTarget(inSource, inDestinationParent);
    if (target.isEmpty() || QFileInfo::exists(target) || QFileInfo(target).isSymLink())
        return false;
    const QFileInfo source(inSource);
    const QString made = FreeSiblingName(target, "copy");
    if (!CopyEntry(source, made) || !SameTree(source, made)) {
        qCDebug(lcApp).noquote() << "MoveAcross(): the copy of" << inSource << "is not whole";
        if (QFileInfo::exists(made) || QFileInfo(made).isSymLink())
            RemoveEntry(made);
        return false;
    }
    if (!platform::renameNoReplace(made, target)) {
        RemoveEntry(made);
        return false;
    }
    FileUtility::FlushDriveAfter(target, "MoveAcross");
    // The source goes out of sight in one step; until then it is whole, and so is the copy.
    const QString aside = SetAside(inSource, "moved");
    if (aside.isEmpty()) {
        RemoveEntry(target);
        return false;
    }
    RemoveSetAside(aside, inSource);
    return true;
}
