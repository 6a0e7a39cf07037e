#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace platform {
class CaptureLock;
}

// One save of a capture folder, installed as a whole: whoever opens the capture next finds every
// file of the save or none of them, whenever the save is cut off (a kill, a crash, a power cut).
//
// Each file the save writes goes to a staging place first (stagedPath) and is written whole there.
// install() then puts them all in place:
// - into a capture folder that exists: the staged files lie in its hidden folder ".ky-saving". A
//   journal naming every rename (and every stale file to remove) is written there and synced
//   first, then the renames follow, and the staging folder with its journal goes last. A save cut
//   off after the journal was written is rolled forward by the next open or save (Recover); one
//   cut off before it leaves the capture as it was, and its staging folder is removed.
// - into a folder that does not exist yet: the staged files lie in the hidden folder
//   ".<name>.ky-saving" beside it, which is renamed into place last; until then there is no
//   folder of that name, and a leftover staging folder is removed by the next open or save.
// Neither hidden folder holds anything the open path takes for a capture file.
//
// The capture lock (platform::CaptureLock, keyed by the folder's canonical path) is held from
// start() until the save is installed or dropped: one save of a capture at a time across every
// process, and no recovery ever meets a save that is running.
class KyCaptureSave
{
public:
    // How long a save or an open waits for another process's save of the same capture.
    static constexpr int kLockWaitMs = 2000;

    // A save into inFolder (either separator style; relative to the working folder).
    explicit KyCaptureSave(const QString &inFolder);
    // Drops what was not installed.
    ~KyCaptureSave();
    KyCaptureSave(const KyCaptureSave &) = delete;
    KyCaptureSave &operator=(const KyCaptureSave &) = delete;

    enum Start {
        kStarted,
        // Another save of the capture held the lock for the whole wait; nothing was touched.
        kBusy,
    };
    // Takes the capture lock (waiting up to inWaitMs) and finishes or removes what an earlier save
    // that was cut off left behind.
    Start start(int inWaitMs = kLockWaitMs);

    QString folder() const { return mFolder; }

    // Where the file the save installs at inPath is written meanwhile; empty when the save cannot
    // stage it: not started, a path outside the capture folder (after following a link), or a
    // staging folder that cannot be made. Asking twice for one path gives the same place.
    QString stagedPath(const QString &inPath);
    // A file at inPath (in the capture folder) that no longer belongs to the capture: it goes when
    // the save is installed.
    void removeOnInstall(const QString &inPath);

    // Puts every staged file in place and removes the stale ones. False when that failed: a save
    // refused before its journal or folder rename changed nothing (its staging is dropped); one
    // that failed part-way keeps its journal, so that the next open or save completes it. The lock
    // is released either way.
    bool install();
    // Removes whatever was staged and releases the lock.
    void drop();

    // What the next open does before it reads a capture folder: rolls forward a save whose journal
    // names complete files, removes any other staging. It waits up to inWaitMs for a save that is
    // running and leaves the folder alone when that one does not end.
    static void Recover(const QString &inFolder, int inWaitMs = kLockWaitMs);

    // Test seam: called at each step of an installation (after the journal is on the disk, after
    // each rename or removal, before the staging folder is renamed into place), so that a test can
    // stop the process there as a kill would. Returns the hook it replaces; nullptr removes it.
    enum Step {
        kStep_Journal,
        kStep_Rename,
        kStep_Remove,
        kStep_FolderRename,
    };
    using StepHook = void (*)(Step inStep, const QString &inPath);
    static StepHook SetStepHook(StepHook inHook);

    // The staging folder inside an existing capture folder, and the one beside a new folder.
    static QString StagingFolderIn(const QString &inFolder);
    static QString StagingFolderBeside(const QString &inFolder);

private:
    struct Rename
    {
        QString staged; // full path
        QString target; // file name in the capture folder
    };

    bool makeStagingFolder();
    bool installIntoNewFolder();
    bool installIntoFolder();
    void release();

    QString mFolder;
    std::unique_ptr<platform::CaptureLock> mLock;
    bool mStarted = false;
    bool mNewFolder = false;
    // Set once the journal is written: from then on the staging belongs to the roll-forward.
    bool mJournalWritten = false;
    QString mStaging;
    QList<Rename> mRenames;
    QStringList mRemovals; // file names in the capture folder
};
