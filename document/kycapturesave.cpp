#include "document/kycapturesave.h"

#include "core/fileutility.h"
#include "core/lfile.h"
#include "document/kysafefile.h"
#include "platform/capturelock.h"
#include "platform/safefileops.h"
#include "platform/logcategories.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

namespace {

const QString kStagingName = QStringLiteral(".ky-saving");
const QString kJournalName = QStringLiteral("journal");

std::atomic<KyCaptureSave::StepHook> g_stepHook{nullptr};

void reached(KyCaptureSave::Step inStep, const QString &inPath)
{
    if (const KyCaptureSave::StepHook hook = g_stepHook.load())
        hook(inStep, inPath);
}

// An absolute, clean path with "/" separators and no trailing "/".
QString cleanPath(const QString &inPath)
{
    return QDir::cleanPath(QFileInfo(FileUtility::Slashed(inPath)).absoluteFilePath());
}

QString parentOf(const QString &inPath)
{
    const qsizetype slash = inPath.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : inPath.left(slash);
}

// Something (a folder, a file, a link) is at the path.
bool occupied(const QString &inPath)
{
    const QFileInfo info(inPath);
    return info.exists() || info.isSymLink();
}

bool isRealFolder(const QString &inPath)
{
    const QFileInfo info(inPath);
    return info.isDir() && !info.isSymLink();
}

// A name the journal may carry: one entry of the folder it lies in, nothing that leads elsewhere.
// The journal is read from the disk and is trusted no further than that.
bool isPlainName(const QString &inName)
{
    return !inName.isEmpty() && inName != QLatin1String(".") && inName != QLatin1String("..")
           && !inName.contains(QLatin1Char('/')) && !inName.contains(QChar(0));
}

struct JournalRename
{
    QString staged; // name in the staging folder
    QString target; // name in the capture folder
    qint64 size;
    // The staged file's identity, which the target has once the rename is done.
    quint64 identity;
};

struct Journal
{
    QList<JournalRename> renames;
    QStringList removals;
};

QByteArray journalBytes(const Journal &inJournal)
{
    QJsonArray renames;
    for (const JournalRename &rename : inJournal.renames) {
        renames.append(QJsonObject{{QStringLiteral("staged"), rename.staged},
                                   {QStringLiteral("target"), rename.target},
                                   {QStringLiteral("size"), QString::number(rename.size)},
                                   {QStringLiteral("identity"), QString::number(rename.identity)}});
    }
    QJsonObject root{{QStringLiteral("renames"), renames},
                     {QStringLiteral("removals"), QJsonArray::fromStringList(inJournal.removals)}};
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

bool parseJournal(const QByteArray &inBytes, Journal &outJournal)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(inBytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    const QJsonObject root = document.object();
    if (!root.value(QStringLiteral("renames")).isArray() || !root.value(QStringLiteral("removals")).isArray())
        return false;
    for (const QJsonValue &value : root.value(QStringLiteral("renames")).toArray()) {
        const QJsonObject rename = value.toObject();
        JournalRename entry;
        entry.staged = rename.value(QStringLiteral("staged")).toString();
        entry.target = rename.value(QStringLiteral("target")).toString();
        bool sized = false;
        bool identified = false;
        entry.size = rename.value(QStringLiteral("size")).toString().toLongLong(&sized);
        entry.identity = rename.value(QStringLiteral("identity")).toString().toULongLong(&identified);
        if (!isPlainName(entry.staged) || !isPlainName(entry.target) || !sized || entry.size < 0 || !identified
            || entry.identity == 0)
            return false;
        outJournal.renames.append(entry);
    }
    for (const QJsonValue &value : root.value(QStringLiteral("removals")).toArray()) {
        if (!isPlainName(value.toString()))
            return false;
        outJournal.removals.append(value.toString());
    }
    return true;
}

// Whether every file the journal renames is there, whole, on one side of its rename: still staged,
// or already in its place (the target is that very file, not the old one).
bool isComplete(const QString &inFolder, const QString &inStaging, const Journal &inJournal)
{
    for (const JournalRename &rename : inJournal.renames) {
        const QString staged = inStaging + QLatin1Char('/') + rename.staged;
        const QString target = inFolder + QLatin1Char('/') + rename.target;
        const QString file = platform::fileIdentity(staged) == rename.identity ? staged : target;
        const QFileInfo info(file);
        if (platform::fileIdentity(file) != rename.identity || !info.isFile() || info.isSymLink()
            || info.size() != rename.size)
            return false;
    }
    return true;
}

// The journal's renames and removals; those done before a cut-off are skipped. True when all are
// done and on the disk.
bool rollForward(const QString &inFolder, const QString &inStaging, const Journal &inJournal)
{
    for (const JournalRename &rename : inJournal.renames) {
        const QString staged = inStaging + QLatin1Char('/') + rename.staged;
        if (platform::fileIdentity(staged) != rename.identity)
            continue;
        const QString target = inFolder + QLatin1Char('/') + rename.target;
        int error = 0;
        if (!platform::renameReplacing(staged, target, &error)) {
            qCDebug(lcDocument).noquote() << QStringLiteral("KyCaptureSave: cannot rename %1 to %2: %3")
                                      .arg(staged, target, QString::fromLocal8Bit(std::strerror(error)));
            return false;
        }
        reached(KyCaptureSave::kStep_Rename, target);
    }
    for (const QString &name : inJournal.removals) {
        const QString path = inFolder + QLatin1Char('/') + name;
        if (!occupied(path))
            continue;
        if (!LFile::remove(path)) {
            qCDebug(lcDocument).noquote() << QStringLiteral("KyCaptureSave: cannot remove %1").arg(path);
            return false;
        }
        reached(KyCaptureSave::kStep_Remove, path);
    }
    // The new names go onto the disk before the journal that could repeat them goes. A flush that
    // fails is only logged: the files are in their places by then, as after any whole-file write.
    FileUtility::FlushDriveAfter(inFolder, "KyCaptureSave");
    return true;
}

void removeFolder(const QString &inFolder)
{
    if (occupied(inFolder) && !FileUtility::RemoveDirectory(inFolder))
        qCDebug(lcDocument).noquote() << QStringLiteral("KyCaptureSave: cannot remove %1").arg(inFolder);
}

// Completes or removes what earlier saves of the folder left; the caller holds the capture lock.
void recoverLocked(const QString &inFolder)
{
    const QString staging = KyCaptureSave::StagingFolderIn(inFolder);
    if (isRealFolder(staging)) {
        const QString journalFile = staging + QLatin1Char('/') + kJournalName;
        QByteArray bytes;
        Journal journal;
        if (QFileInfo(journalFile).isFile() && KySafeFile::Read(journalFile, bytes) && parseJournal(bytes, journal)
            && isComplete(inFolder, staging, journal)) {
            if (!rollForward(inFolder, staging, journal)) {
                // Kept for the next try: removing the journal now would leave the capture mixed.
                qCDebug(lcDocument).noquote() << QStringLiteral("KyCaptureSave: the save in %1 is not complete").arg(inFolder);
                return;
            }
        }
    }
    removeFolder(staging);
    const QString beside = KyCaptureSave::StagingFolderBeside(inFolder);
    if (!beside.isEmpty())
        removeFolder(beside);
}

} // namespace

KyCaptureSave::KyCaptureSave(const QString &inFolder) : mFolder(inFolder.isEmpty() ? QString() : cleanPath(inFolder))
{
}

KyCaptureSave::~KyCaptureSave()
{
    drop();
}

QString KyCaptureSave::StagingFolderIn(const QString &inFolder)
{
    return cleanPath(inFolder) + QLatin1Char('/') + kStagingName;
}

QString KyCaptureSave::StagingFolderBeside(const QString &inFolder)
{
    const QString folder = cleanPath(inFolder);
    const QString name = folder.section(QLatin1Char('/'), -1);
    if (name.isEmpty())
        return QString();
    const QString parent = parentOf(folder);
    return (parent == QLatin1String("/") ? QString() : parent) + QStringLiteral("/.") + name + kStagingName;
}

KyCaptureSave::StepHook KyCaptureSave::SetStepHook(StepHook inHook)
{
    return g_stepHook.exchange(inHook);
}

KyCaptureSave::Start KyCaptureSave::start(int inWaitMs)
{
    if (mStarted || mFolder.isEmpty())
        return kStarted;
    mLock = std::make_unique<platform::CaptureLock>(FileUtility::ResolvedPath(mFolder));
    // A lock that cannot be had at all (no lock folder) keeps nobody out: the save goes on as it
    // would without other processes.
    if (mLock->lock(inWaitMs) == platform::CaptureLock::kBusy) {
        mLock.reset();
        return kBusy;
    }
    recoverLocked(mFolder);
    mNewFolder = !occupied(mFolder);
    mStaging = mNewFolder ? StagingFolderBeside(mFolder) : StagingFolderIn(mFolder);
    mStarted = true;
    return kStarted;
}

bool KyCaptureSave::makeStagingFolder()
{
    if (isRealFolder(mStaging))
        return true;
    // Whatever else is there (a file, a link) is not ours to write into.
    return !occupied(mStaging) && FileUtility::MakePathFor(mStaging);
}

QString KyCaptureSave::stagedPath(const QString &inPath)
{
    if (!mStarted || mJournalWritten || inPath.isEmpty() || mStaging.isEmpty())
        return QString();
    const QString path = cleanPath(inPath);
    if (parentOf(path) != mFolder)
        return QString();
    const QString name = path.section(QLatin1Char('/'), -1);
    QString target = name;
    if (!mNewFolder) {
        // Through a link the file it names is replaced, as by every whole-file write; the rename
        // stays inside the capture folder.
        const QString replaced = FileUtility::ReplacedFile(path);
        if (replaced != path) {
            const QFileInfo info(replaced);
            const QString canonicalFolder = QFileInfo(mFolder).canonicalFilePath();
            if (canonicalFolder.isEmpty() || QFileInfo(info.absolutePath()).canonicalFilePath() != canonicalFolder)
                return QString();
            target = info.fileName();
        }
    }
    const QString staged = mStaging + QLatin1Char('/') + name;
    for (const Rename &rename : std::as_const(mRenames)) {
        if (rename.staged == staged)
            return staged;
    }
    if (!makeStagingFolder())
        return QString();
    mRenames.append(Rename{staged, target});
    return staged;
}

void KyCaptureSave::removeOnInstall(const QString &inPath)
{
    if (!mStarted || mNewFolder || inPath.isEmpty())
        return;
    const QString path = cleanPath(inPath);
    const QString name = path.section(QLatin1Char('/'), -1);
    if (parentOf(path) == mFolder && !mRemovals.contains(name))
        mRemovals.append(name);
}

bool KyCaptureSave::install()
{
    if (!mStarted)
        return false;
    const bool installed = mNewFolder ? installIntoNewFolder() : installIntoFolder();
    if (!installed && !mJournalWritten)
        removeFolder(mStaging);
    release();
    return installed;
}

bool KyCaptureSave::installIntoNewFolder()
{
    // Nothing written, nothing to make.
    if (mRenames.isEmpty())
        return true;
    reached(kStep_FolderRename, mFolder);
    int error = 0;
    bool renamed = platform::renameNoReplace(mStaging, mFolder, &error);
    // A file system that knows no rename without replacing (some network and FUSE ones): a folder
    // that appeared meanwhile is looked for first, and a plain rename refuses one with files in it.
    if (!renamed && (error == EINVAL || error == ENOSYS) && !occupied(mFolder))
        renamed = platform::renameReplacing(mStaging, mFolder, &error);
    if (!renamed) {
        qCDebug(lcDocument).noquote() << QStringLiteral("KyCaptureSave: cannot rename %1 to %2: %3")
                                  .arg(mStaging, mFolder, QString::fromLocal8Bit(std::strerror(error)));
        return false;
    }
    // The folder's new name is on the disk once its parent is.
    FileUtility::FlushFileAfter(mFolder, "KyCaptureSave::install");
    return true;
}

bool KyCaptureSave::installIntoFolder()
{
    Journal journal;
    // Whatever could refuse a rename is seen before the first one: after it, the capture is only
    // whole again once every rename is done.
    for (const Rename &rename : std::as_const(mRenames)) {
        const QFileInfo staged(rename.staged);
        const quint64 identity = platform::fileIdentity(rename.staged);
        if (!staged.isFile() || identity == 0 || KySafeFile::IsBlocked(mFolder + QLatin1Char('/') + rename.target))
            return false;
        // As in every whole-file write, a replaced file's permissions stay (where the file system
        // keeps any).
        const QFileInfo replaced(mFolder + QLatin1Char('/') + rename.target);
        if (replaced.isFile() && !QFile::setPermissions(rename.staged, replaced.permissions()))
            qCDebug(lcDocument).noquote() << QStringLiteral("KyCaptureSave: permissions of %1 not kept").arg(replaced.filePath());
        journal.renames.append(JournalRename{staged.fileName(), rename.target, staged.size(), identity});
    }
    for (const QString &name : std::as_const(mRemovals)) {
        const QFileInfo stale(mFolder + QLatin1Char('/') + name);
        // A folder of that name is nobody's report; a file the save writes anew stays.
        const bool written = std::any_of(mRenames.cbegin(), mRenames.cend(),
                                         [&name](const Rename &inRename) { return inRename.target == name; });
        if (!written && (stale.exists() || stale.isSymLink()) && (!stale.isDir() || stale.isSymLink()))
            journal.removals.append(name);
    }
    if (journal.renames.isEmpty() && journal.removals.isEmpty()) {
        removeFolder(mStaging);
        return true;
    }
    if (!makeStagingFolder() || !KySafeFile::Write(mStaging + QLatin1Char('/') + kJournalName, journalBytes(journal)))
        return false;
    mJournalWritten = true;
    reached(kStep_Journal, mStaging + QLatin1Char('/') + kJournalName);
    if (!rollForward(mFolder, mStaging, journal))
        return false;
    removeFolder(mStaging);
    FileUtility::FlushDriveAfter(mFolder, "KyCaptureSave::install");
    return true;
}

void KyCaptureSave::drop()
{
    if (mStarted && !mJournalWritten)
        removeFolder(mStaging);
    release();
}

void KyCaptureSave::release()
{
    mLock.reset();
    mStarted = false;
    mJournalWritten = false;
    mRenames.clear();
    mRemovals.clear();
}

void KyCaptureSave::Recover(const QString &inFolder, int inWaitMs)
{
    if (inFolder.isEmpty())
        return;
    const QString folder = cleanPath(inFolder);
    const QString beside = StagingFolderBeside(folder);
    if (!occupied(StagingFolderIn(folder)) && (beside.isEmpty() || !occupied(beside)))
        return;
    platform::CaptureLock lock(FileUtility::ResolvedPath(folder));
    if (lock.lock(inWaitMs) == platform::CaptureLock::kBusy) {
        qCDebug(lcDocument).noquote() << QStringLiteral("KyCaptureSave: %1 is being saved; left as it is").arg(folder);
        return;
    }
    recoverLocked(folder);
}
