#pragma once

#include <QString>

namespace platform {

// The machine-wide instance slots that limit how many copies of the program run at once. Each slot
// is a lock file; a slot is in use exactly while some process holds an flock on its file, and the
// kernel drops that lock when the holder exits or crashes, so a slot never stays taken by a dead
// process. The files are opened close-on-exec: a program the instance starts (a second window)
// must not inherit its slot.
//
// Counting and claiming are two passes over the slots; two instances starting at the same moment
// could both count a free slot and take the same one. Callers hold the guard lock (lockGuard())
// around the count and the claim, which serialises starts across processes.
class InstanceSlots
{
public:
    static constexpr int kSlotCount = 5;

    // The slot's name as the program reports it, "Global\TOLVBI410ANALYS_<slot>".
    static QString slotName(int slot);
    // Where the lock files live: $KY_INSTANCE_LOCK_DIR when set, else /run/lock when it is a
    // writable folder, else the temporary folder.
    static QString defaultFolder();

    explicit InstanceSlots(const QString &folder = defaultFolder());
    // Gives a claimed slot back.
    ~InstanceSlots();
    InstanceSlots(const InstanceSlots &) = delete;
    InstanceSlots &operator=(const InstanceSlots &) = delete;

    QString folder() const { return mFolder; }
    // The lock file of a slot: "TOLVBI410ANALYS_<slot>.lock" in the folder.
    QString lockFilePath(int slot) const;
    QString guardFilePath() const;

    // Holds the guard lock for its lifetime. A guard that could not be taken (no lock file, or
    // another start kept it for longer than the wait) holds nothing; the start then goes on
    // unguarded, as it would without the guard.
    class Guard
    {
    public:
        Guard(Guard &&other) noexcept;
        Guard &operator=(Guard &&other) = delete;
        Guard(const Guard &) = delete;
        Guard &operator=(const Guard &) = delete;
        ~Guard();
        bool isHeld() const { return mFd >= 0; }

    private:
        friend class InstanceSlots;
        explicit Guard(int fd) : mFd(fd) {}
        int mFd;
    };
    // Waits up to waitMs for the guard lock.
    Guard lockGuard(int waitMs = 10000) const;

    // True while another open file holds the slot's lock (this object's own claim counts too).
    bool isInUse(int slot) const;
    // The number of slots in use, 0 to kSlotCount; every slot is looked at.
    int countRunning() const;
    // Locks the first free slot and keeps it: the slot number, or -1 when every slot is in use or
    // the first free slot's file cannot be opened or locked (the program then runs without a slot).
    // With a slot already claimed, that slot.
    int claim();
    // Gives the claimed slot back; nothing without one.
    void release();
    int claimedSlot() const { return mClaimedSlot; }

private:
    QString mFolder;
    int mClaimedFd = -1;
    int mClaimedSlot = -1;
};

} // namespace platform
