#include "app/copytask.h"

#include "app/imagefiletree.h"
#include "core/fileutility.h"
#include "core/ldir.h"

#include <QFileInfo>

CopyTask::CopyTask(const QStringList &inPaths, const QString &inDestination)
    : mPaths(inPaths)
    , mDestination(inDestination)
{
}

int CopyTask::Check() const
{
    const bool anySource = std::any_of(mPaths.cbegin(), mPaths.cend(), [](const QString &path) {
        return IsUsablePath(path);
    });
    if (!anySource)
        return kFileResult_NoSource;
    // QDir("") is the working folder, whose parent always exists.
    LDir parent(mDestination);
    if (!IsUsablePath(mDestination) || !parent.cdUp())
        return kFileResult_NoParent;
    const LDir destination(mDestination);
    qint64 total = 0;
    bool sameName = false;
    for (const QString &path : mPaths) {
        if (!IsUsablePath(path))
            continue;
        const QFileInfo info(path);
        total += info.isDir() ? FileUtility::DirectorySize(path) : info.size();
        if (destination.exists(info.fileName()))
            sameName = true;
    }
    if (FileUtility::FreeDiskSpace(mDestination) < quint64(total) + 100000)
        return kFileResult_NoSpace;
    return sameName ? kFileResult_NameExists : kFileResult_Ok;
}

int CopyTask::CopyNext()
{
    if (IsDone())
        return kFileResult_Ok;
    const QString source = mPaths.at(mNextIndex);
    if (!IsUsablePath(source))
        return kFileResult_NotFound;
    const bool ok = QFileInfo(source).isDir() ? CopyFolderTree(source, mDestination)
                                              : CopyFileInto(source, mDestination);
    if (!ok)
        return kFileResult_CopyFailed;
    ++mNextIndex;
    return kFileResult_Ok;
}
