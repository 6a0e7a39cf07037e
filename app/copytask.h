#pragma once

#include <QString>
#include <QStringList>

// Results of the image-file browser's file operations.
enum EFileResult {
    kFileResult_Ok = 0,
    kFileResult_NoSpace = 1,
    kFileResult_NameExists = 2,
    kFileResult_CopyFailed = 4,
    kFileResult_DeleteFailed = 6,
    kFileResult_NoParent = 7,
    kFileResult_NotFound = 8,
    kFileResult_NoSource = 9,
    kFileResult_RenameFailed = 10,
    kFileResult_MoveFailed = 11,
    // A copy job is already running; the second start was refused.
    kFileResult_Busy = 12,
};

// The captures a copy job copies, where to, and how far it got.
class CopyTask
{
public:
    CopyTask() = default;
    CopyTask(const QStringList &inPaths, const QString &inDestination);

    // Whether the destination can take the task: 0, kFileResult_NoSpace, _NameExists (a warning),
    // _NoParent or _NoSource.
    int Check() const;
    // Copies the next capture: 0, kFileResult_CopyFailed or _NotFound. A failure leaves the index
    // on the capture that failed.
    int CopyNext();
    bool IsDone() const { return mNextIndex >= mPaths.size(); }

    QStringList mPaths;
    QString mDestination;
    int mNextIndex = 0;
};
