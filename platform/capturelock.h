#pragma once

#include <QString>

namespace platform {

// The lock that lets one save of a capture run at a time, across every process of the machine.
// It is keyed by a text (the capture folder's canonical path): the lock file is named by the key's
// hash and lies in the folder of the program's lock files (InstanceSlots::defaultFolder()). A
// process holds the lock by an flock on that file; the kernel drops it when the holder exits or
// crashes, so a killed save never blocks the next one. The file is opened close-on-exec: a
// program the holder starts does not keep the lock alive. Lock files stay in their folder once
// made: removing one while another process waits on it would hand out the lock twice.
//
// Locks of one process are taken on separate open files, so two holders in one process exclude
// each other as two processes do.
class CaptureLock
{
public:
    explicit CaptureLock(const QString &key, const QString &folder = defaultFolder());
    // Releases a held lock.
    ~CaptureLock();
    CaptureLock(const CaptureLock &) = delete;
    CaptureLock &operator=(const CaptureLock &) = delete;

    static QString defaultFolder();
    // The lock file of a key: "capture-<SHA-1 of the key in hex>.lock" in the folder.
    static QString lockFilePath(const QString &key, const QString &folder = defaultFolder());

    enum Result {
        kHeld,
        // Another holder kept it for the whole wait.
        kBusy,
        // No lock file could be opened or locked (no usable lock folder): nobody is kept out.
        kUnavailable,
    };
    // Waits up to waitMs for the lock; a held lock answers kHeld at once.
    Result lock(int waitMs);
    bool isHeld() const { return mFd >= 0; }
    void unlock();

private:
    QString mPath;
    int mFd = -1;
};

} // namespace platform
