#pragma once

#include <QByteArray>

// Pixel buffers of images that were let go, kept for the next image read from a file. The first
// touch of every page of a new buffer costs a page fault, and on some machines (virtual ones in
// particular) those faults cost many times the read itself; captures are opened and closed again
// and again, with buffers of the same few sizes.
//
// Only buffers that nothing else shares are kept, at most a few and within a byte limit. Safe to
// use from several threads.
class PixelBufferPool
{
public:
    // A buffer of inBytes bytes whose content is not set: a kept one that fits, else a new one.
    static QByteArray Take(qsizetype inBytes);
    // Keeps ioBuffer when it is large and shared with nothing; ioBuffer is empty afterwards.
    static void Give(QByteArray &ioBuffer);
};
