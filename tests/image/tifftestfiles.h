#pragma once

// Small TIFF files made byte by byte for the codec tests, independent of the codec's writer, and
// images with a pixel pattern that tells rows, columns and byte order apart.

#include "image/imagefile.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QtEndian>

#include <algorithm>

namespace tifftest {

inline QByteArray u16(quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    return QByteArray(b, 2);
}

inline QByteArray u32(quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    return QByteArray(b, 4);
}

// Numbers in a file's bytes; 0 where they would run past the end.
inline quint16 u16At(const QByteArray &bytes, qsizetype at)
{
    if (at < 0 || at > bytes.size() - 2)
        return 0;
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

inline quint32 u32At(const QByteArray &bytes, qsizetype at)
{
    if (at < 0 || at > bytes.size() - 4)
        return 0;
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

// One directory entry. With field < 0 the value goes into the value field when the reader counts
// at most 4 bytes for it, else after the directory with its offset in the field; field >= 0 is
// written as it stands (the value bytes are then appended but not pointed at).
struct Entry
{
    quint16 tag = 0;
    quint16 type = 0;
    quint32 count = 0;
    QByteArray value;
    qint64 field = -1;
    // Out of line whatever the size (the private block entry).
    bool outOfLine = false;
};

inline qint64 unitSize(quint16 type)
{
    switch (type) {
    case 2: case 7: return 1;
    case 3: return 2;
    case 4: return 4;
    case 5: return 8;
    default: return 0;
    }
}

inline Entry shortEntry(quint16 tag, quint16 v) { return {tag, 3, 1, u16(v)}; }
inline Entry longEntry(quint16 tag, quint32 v) { return {tag, 4, 1, u32(v)}; }
inline Entry rationalEntry(quint16 tag, quint32 n, quint32 d) { return {tag, 5, 1, u32(n) + u32(d)}; }
inline Entry asciiEntry(quint16 tag, const QByteArray &text)
{
    return {tag, 2, quint32(text.size() + 1), text + QByteArray(1, '\0')};
}

// Lays out entries with the values after them; offsets count from inBase.
inline QByteArray layOut(const QList<Entry> &entries, qint64 inBase, bool withNextOffset)
{
    QByteArray head = u16(quint16(entries.size()));
    QByteArray values;
    const qint64 start = inBase + 2 + 12 * entries.size() + (withNextOffset ? 4 : 0);
    for (const Entry &e : entries) {
        head += u16(e.tag) + u16(e.type) + u32(e.count);
        const qint64 size = e.type == 7 ? e.count : unitSize(e.type) * e.count;
        if (e.field >= 0) {
            head += u32(quint32(e.field));
            values += e.value;
        } else if (size <= 4 && !e.outOfLine) {
            head += (e.value + QByteArray(4, '\0')).left(4);
        } else {
            head += u32(quint32(start + values.size()));
            values += e.value;
        }
    }
    if (withNextOffset)
        head += u32(0);
    return head + values;
}

// A private block whose inner offsets count from its own first byte.
inline QByteArray block(const QList<Entry> &inner)
{
    return layOut(inner, 0, false);
}

inline Entry blockEntry(const QByteArray &bytes)
{
    Entry e{36864, 7, 1, bytes};
    e.outOfLine = true;
    return e;
}

// A file: header, pixels at offset 8, then the directory.
inline QByteArray tiffFile(const QList<Entry> &entries, const QByteArray &pixels)
{
    const qint64 dirOffset = 8 + pixels.size();
    return QByteArray("II") + u16(42) + u32(quint32(dirOffset)) + pixels + layOut(entries, dirOffset, true);
}

// Entries of a valid 2 x 3 file with 12 pixel bytes at offset 8.
inline QList<Entry> minimalEntries()
{
    return {longEntry(256, 2),
            longEntry(257, 3),
            shortEntry(258, 16),
            shortEntry(259, 1),
            shortEntry(262, 1),
            asciiEntry(270, "Comment = from a test\r\nRange low = 7\r\nRange high = 4000\r\n"),
            longEntry(273, 8),
            shortEntry(277, 1),
            longEntry(278, 3),
            longEntry(279, 12),
            rationalEntry(282, 100000, 404),
            shortEntry(296, 3)};
}

inline QByteArray minimalPixels()
{
    QByteArray p;
    for (quint16 v : {0, 1, 256, 4000, 65534, 65535})
        p += u16(v);
    return p;
}

// Replaces the entry with the same tag, or inserts it in tag order.
inline QList<Entry> with(QList<Entry> entries, const Entry &e)
{
    for (Entry &x : entries) {
        if (x.tag == e.tag) {
            x = e;
            return entries;
        }
    }
    const auto at = std::find_if(entries.begin(), entries.end(), [&](const Entry &x) { return x.tag > e.tag; });
    entries.insert(at, e);
    return entries;
}

inline QList<Entry> without(QList<Entry> entries, quint16 tag)
{
    entries.removeIf([&](const Entry &x) { return x.tag == tag; });
    return entries;
}

// Offset of the value field of the first directory entry with the tag (-1 when there is none).
inline qsizetype fieldPosition(const QByteArray &file, quint16 tag)
{
    const qsizetype dir = u32At(file, 4);
    const int n = u16At(file, dir);
    for (int i = 0; i < n; ++i) {
        const qsizetype at = dir + 2 + 12 * i;
        if (u16At(file, at) == tag)
            return at + 8;
    }
    return -1;
}

inline QByteArray patched(QByteArray bytes, qsizetype at, const QByteArray &with)
{
    bytes.replace(at, with.size(), with);
    return bytes;
}

// Pixel values that differ by row, column and byte, with 0 first and 65535 last.
inline void fillPattern(ImageFile &image, int w, int h)
{
    image.Resize(w, h);
    quint16 *p = image.Data();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p[qsizetype(y) * w + x] = quint16((x * 7919u + y * 104729u + (x ^ y) * 13u) & 0xFFFF);
    p[0] = 0;
    p[qsizetype(w) * h - 1] = 65535;
}

// An image's pixels as they lie in memory.
inline QByteArray pixelBytes(const ImageFile &image)
{
    return QByteArray(reinterpret_cast<const char *>(image.ConstData()), qsizetype(image.Width()) * image.Height() * 2);
}

inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    // The flush is checked: bytes still buffered at close could be lost unnoticed.
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size() && f.flush();
}

} // namespace tifftest
