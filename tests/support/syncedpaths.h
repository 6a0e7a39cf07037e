#pragma once

#include "platform/filesync.h"

#include <QStringList>

namespace kytest {

// The folders and files whose fsync succeeded while a SyncedPaths lived, in order.
class SyncedPaths
{
public:
    SyncedPaths()
    {
        paths().clear();
        mPrevious = platform::setSyncObserver(&record);
    }
    ~SyncedPaths() { platform::setSyncObserver(mPrevious); }
    SyncedPaths(const SyncedPaths &) = delete;
    SyncedPaths &operator=(const SyncedPaths &) = delete;

    QStringList list() const { return paths(); }

private:
    static QStringList &paths()
    {
        static QStringList synced;
        return synced;
    }
    static void record(const QString &inPath) { paths() << inPath; }
    platform::SyncObserver mPrevious = nullptr;
};

} // namespace kytest
