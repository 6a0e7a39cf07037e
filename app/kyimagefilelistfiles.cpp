// Copy, move, rename and delete of the image-file browser's captures. None of these changes the
// list: the folder watch and the next scan bring the changes in.
#include "app/kyimagefilelistmodel.h"

#include "app/imagefiletree.h"
#include "core/fileutility.h"
#include "core/ldir.h"
#include "core/lfile.h"
#include "platform/logcategories.h"
#include "platform/safefileops.h"

#include <QDebug>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <cerrno>

namespace {

constexpr int kCopyStepMs = 10;

// Removes what is at one capture's path: a folder tree, or a file or link. A folder first leaves
// the list whole, in one rename: a removal that stops half-way never leaves a capture without
// its images listed.
bool RemoveCapture(const QString &inPath)
{
    if (!IsUsablePath(inPath))
        return false;
    const QFileInfo info(inPath);
    if (info.isDir() && !info.isSymLink()) {
        const QString aside = SetAside(inPath, "deleted");
        return !aside.isEmpty() && RemoveSetAside(aside, inPath);
    }
    platform::makeRemovable(inPath);
    return LFile::remove(inPath);
}

} // namespace

int KyImageFileListModel::PrepareCopy(const QString &destination)
{
    QStringList paths;
    quint64 total = 0;
    bool sameName = false;
    const LDir target(destination);
    for (const ImageFileInfoItem &item : std::as_const(mItems)) {
        if (!item.IsSelected())
            continue;
        // A vanished capture stays in the task, where its step fails; its size is not the
        // working folder's.
        paths.append(item.Path());
        if (!IsUsablePath(item.Path()))
            continue;
        total += quint64(FileUtility::DirectorySize(item.Path())) + 500;
        if (target.exists(item.Path().section(QLatin1Char('/'), -1, -1)))
            sameName = true;
    }
    if (FileUtility::FreeDiskSpace(destination) < total)
        return kFileResult_NoSpace;
    mCopyTask = CopyTask(paths, destination);
    return sameName ? kFileResult_NameExists : kFileResult_Ok;
}

int KyImageFileListModel::CheckCopy() const
{
    return mCopyTask.Check();
}

int KyImageFileListModel::StartCopy()
{
    // Two chains of steps on one task would copy the same capture twice at once.
    if (mCopying)
        return kFileResult_Busy;
    mCopying = true;
    QTimer::singleShot(kCopyStepMs, this, &KyImageFileListModel::OnCopyFile);
    return kFileResult_Ok;
}

void KyImageFileListModel::OnCopyFile()
{
    if (mCopyTask.IsDone()) {
        mCopying = false;
        emit copyCompleted();
        return;
    }
    const int result = mCopyTask.CopyNext();
    if (result != kFileResult_Ok) {
        mCopying = false;
        emit copyFailed(result);
        return;
    }
    emit copyProgressed();
    QTimer::singleShot(kCopyStepMs, this, &KyImageFileListModel::OnCopyFile);
}

int KyImageFileListModel::MoveSelected(const QString &destination)
{
    int moved = 0;
    int failed = 0;
    const bool destinationOk = IsUsablePath(destination) && QFileInfo(destination).isDir();
    for (const ImageFileInfoItem &item : std::as_const(mItems)) {
        if (!item.IsSelected())
            continue;
        const QString source = item.Path();
        const QString name = source.section(QLatin1Char('/'), -1, -1);
        if (!destinationOk || !IsUsablePath(source) || !IsPlainEntryName(name)
            || FileUtility::LiesWithin(destination, source)) {
            ++failed;
            continue;
        }
        const QString target = destination + QLatin1Char('/') + name;
        // Never replaces: a capture of that name at the destination stays, and this one too.
        int error = 0;
        if (platform::renameNoReplace(source, target, &error)) {
            FileUtility::FlushFileAfter(target, "KyImageFileListModel::MoveSelected");
            FileUtility::FlushDriveAfter(source, "KyImageFileListModel::MoveSelected");
            ++moved;
        } else if (error == EXDEV && MoveAcross(source, destination)) {
            ++moved;
        } else {
            ++failed;
        }
    }
    emit MoveResult(moved, failed);
    return failed > 0 ? kFileResult_MoveFailed : kFileResult_Ok;
}

int KyImageFileListModel::RenameSelected(const QString &newName)
{
    const auto found =
        std::find_if(mItems.cbegin(), mItems.cend(),
                     [](const ImageFileInfoItem &item) { return item.IsSelected(); });
    if (found == mItems.cend() || !IsUsablePath(found->Path()))
        return kFileResult_NotFound;
    const QString path = found->Path();
    const QString name = found->Name();
    if (newName == name)
        return kFileResult_Ok;
    // The new name must stay one entry of the same folder.
    if (!IsPlainEntryName(newName) || !IsPlainEntryName(name))
        return kFileResult_RenameFailed;
    LDir parent(path);
    if (!parent.cdUp())
        return kFileResult_NoParent;
    const QStringList siblings = parent.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    if (siblings.contains(newName, Qt::CaseInsensitive)
        && newName.compare(name, Qt::CaseInsensitive) != 0)
        return kFileResult_NameExists;

    // Plan every rename before making one: a planned name that is taken, or two files that would
    // take the same name, stop the rename with nothing changed.
    QList<QPair<QString, QString>> renames;
    const bool isFolder = QFileInfo(path).isDir();
    if (isFolder) {
        const LDir capture(path);
        const QStringList files =
            capture.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort);
        QStringList taken;
        for (const QString &file : files) {
            if (!file.contains(name, Qt::CaseInsensitive))
                continue;
            QString renamed = file;
            renamed.replace(name, newName);
            // Holding the name only in another letter case: the file keeps its name.
            if (renamed == file)
                continue;
            if (!IsPlainEntryName(renamed) || taken.contains(renamed)
                || QFileInfo(capture.absoluteFilePath(renamed)).exists()
                || QFileInfo(capture.absoluteFilePath(renamed)).isSymLink())
                return kFileResult_NameExists;
            taken.append(renamed);
            renames.append({capture.absoluteFilePath(file), capture.absoluteFilePath(renamed)});
        }
    }
    renames.append({path, parent.absoluteFilePath(newName)});

    for (int i = 0; i < renames.size(); ++i) {
        if (platform::renameNoReplace(renames.at(i).first, renames.at(i).second))
            continue;
        // Undo in reverse: the capture keeps one consistent set of names.
        for (int j = i - 1; j >= 0; --j) {
            if (!platform::renameNoReplace(renames.at(j).second, renames.at(j).first))
                qCDebug(lcApp).noquote() << "RenameSelected(): cannot restore" << renames.at(j).first;
        }
        return kFileResult_RenameFailed;
    }
    FileUtility::FlushFileAfter(parent.absoluteFilePath(newName),
                                "KyImageFileListModel::RenameSelected");
    return kFileResult_Ok;
}

int KyImageFileListModel::DeleteSelected()
{
    int result = kFileResult_Ok;
    for (const ImageFileInfoItem &item : std::as_const(mItems)) {
        if (item.IsSelected() && !RemoveCapture(item.Path()))
            result = kFileResult_DeleteFailed;
    }
    return result;
}

int KyImageFileListModel::DeleteItem(const QString &name)
{
    // One entry of the watched folder, joined with a separator: "run" + "cap1" is not "runcap1".
    if (mFolder.isEmpty() || !IsPlainEntryName(name))
        return kFileResult_DeleteFailed;
    return RemoveCapture(mFolder + QLatin1Char('/') + name) ? kFileResult_Ok
                                                            : kFileResult_DeleteFailed;
}
