#pragma once

#include <QString>
#include <QtGlobal>

namespace platform {

// Forces a file's data and its name onto the disk: fsync of the file, then of the folder that holds
// it (a new or renamed name is only durable once its folder is synced). On failure *error (when
// given) receives errno.
bool syncFile(const QString &path, int *error = nullptr);

// Forces the data of an open file onto the disk (fsync of the descriptor). On failure *error (when
// given) receives errno.
bool syncDescriptor(int fd, int *error = nullptr);

// Forces the nearest existing folder of an absolute path onto the disk. A relative or empty path is
// refused. This is what stands in for flushing a whole Windows volume: a full syncfs would stall
// every other writer on the machine.
bool syncNearestFolder(const QString &path, int *error = nullptr);

// Number of successful fsync calls made by this process; lets tests observe that a flush happened.
quint64 syncCount();

// Called after each successful fsync of a named file or folder with its path, when set; lets tests
// see which folder a flush reached, not only that one happened. Returns the observer it replaces;
// nullptr removes it.
using SyncObserver = void (*)(const QString &path);
SyncObserver setSyncObserver(SyncObserver observer);

} // namespace platform
