#pragma once

#include <QImage>
#include <QVector>

class ConstImagePart;

// Turns one strip of a 16-bit image into the rows of an 8-bit indexed image through a 65536-entry
// display table: output row r - top, column c - strip left = table[pixel(c, r)].
class Tablize
{
public:
    // The target must be a fresh (unshared) 8-bit image; its rows are taken here, on the calling
    // thread, so that the strip threads never touch the image object itself.
    Tablize(const QVector<ushort> &inTable, int inTop, QImage *inTarget);

    void operator()(const ConstImagePart &inPart) const;

    QVector<ushort> table;
    int top;
    QImage *target;

private:
    uchar *bits = nullptr;
    qsizetype bytesPerLine = 0;
    int targetWidth = 0;
    int targetHeight = 0;
};
