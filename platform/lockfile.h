#pragma once

#include <QString>

// The lock files the program's advisory locks live in: one file per lock, held by an flock on an
// open descriptor, so that the kernel drops the lock when the holder exits or crashes.
namespace platform {

// Opens a lock file read-only (flock needs no write access, so a file another user made needs only
// to be readable), close-on-exec and without following a symbolic link; with inCreate a missing
// file is made, readable for every user. The descriptor, or -1 with errno set.
int openLockFile(const QString &inPath, bool inCreate);

// flock without blocking, repeated when a signal interrupts it; 0 or the errno value (EWOULDBLOCK:
// another open file holds a conflicting lock).
int tryLockFile(int inFd, int inOperation);

} // namespace platform
