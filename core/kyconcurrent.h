#pragma once

#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>

namespace KyConcurrent {

// QtConcurrent::blockingMap over the global pool that may also be called from a task of that pool
// (the open, save and analysis jobs are such tasks). Qt 6 queues the pieces and waits without
// running them itself, so a caller holding the pool's last free thread would wait for itself;
// giving its thread back for the duration lets the pieces run.
template <typename Sequence, typename MapFunctor>
void blockingMap(Sequence &ioSequence, MapFunctor &&inFunctor)
{
    QThreadPool *pool = QThreadPool::globalInstance();
    const bool inPool = pool->contains(QThread::currentThread());
    if (inPool)
        pool->releaseThread();
    QtConcurrent::blockingMap(ioSequence, std::forward<MapFunctor>(inFunctor));
    if (inPool)
        pool->reserveThread();
}

} // namespace KyConcurrent
