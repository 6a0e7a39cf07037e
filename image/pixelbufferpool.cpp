#include "image/pixelbufferpool.h"

#include <QMutex>
#include <QMutexLocker>

#include <utility>
#include <vector>

namespace {

// Smaller buffers fault in a moment; three channels of a full capture are 38 MB.
constexpr qsizetype kMinBytes = qsizetype(1) << 20;
constexpr size_t kMaxBuffers = 4;
constexpr qsizetype kMaxBytes = qsizetype(256) << 20;

struct Pool
{
    QMutex mutex;
    std::vector<QByteArray> buffers;
    qsizetype bytes = 0;
};

Pool &pool()
{
    static Pool instance;
    return instance;
}

} // namespace

QByteArray PixelBufferPool::Take(qsizetype inBytes)
{
    if (inBytes >= kMinBytes) {
        Pool &p = pool();
        QMutexLocker lock(&p.mutex);
        // The smallest kept buffer that holds the image, and not one twice its size.
        size_t best = p.buffers.size();
        for (size_t i = 0; i < p.buffers.size(); ++i) {
            const qsizetype capacity = p.buffers[i].capacity();
            if (capacity >= inBytes && capacity / 2 <= inBytes
                && (best == p.buffers.size() || capacity < p.buffers[best].capacity()))
                best = i;
        }
        if (best < p.buffers.size()) {
            QByteArray buffer = std::move(p.buffers[best]);
            p.buffers.erase(p.buffers.begin() + qsizetype(best));
            p.bytes -= buffer.capacity();
            lock.unlock();
            buffer.resize(inBytes);
            return buffer;
        }
    }
    return QByteArray(inBytes, Qt::Uninitialized);
}

void PixelBufferPool::Give(QByteArray &ioBuffer)
{
    QByteArray buffer = std::exchange(ioBuffer, QByteArray());
    const qsizetype capacity = buffer.capacity();
    if (capacity < kMinBytes || !buffer.isDetached())
        return;
    Pool &p = pool();
    QMutexLocker lock(&p.mutex);
    // The oldest buffers go first when the pool is full.
    while (!p.buffers.empty() && (p.buffers.size() >= kMaxBuffers || p.bytes + capacity > kMaxBytes)) {
        p.bytes -= p.buffers.front().capacity();
        p.buffers.erase(p.buffers.begin());
    }
    if (capacity > kMaxBytes)
        return;
    p.bytes += capacity;
    p.buffers.push_back(std::move(buffer));
}
