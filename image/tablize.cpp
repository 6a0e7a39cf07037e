#include "image/tablize.h"

#include "image/imagepart.h"

#include <algorithm>

Tablize::Tablize(const QVector<ushort> &inTable, int inTop, QImage *inTarget)
    : table(inTable)
    , top(inTop)
    , target(inTarget)
{
    if (target && target->format() == QImage::Format_Indexed8 && !target->isNull()) {
        bits = target->bits();
        bytesPerLine = target->bytesPerLine();
        targetWidth = target->width();
        targetHeight = target->height();
    }
}

void Tablize::operator()(const ConstImagePart &inPart) const
{
    if (!bits || table.size() < 65536 || inPart.Rect().isEmpty())
        return;
    // Rows and columns that would land outside the target are not written.
    const int firstRow = std::max(inPart.Top(), top);
    const int lastRow = std::min(inPart.Bottom(), top + targetHeight - 1);
    const int columns = std::min(inPart.Width(), targetWidth);
    const ushort *lookup = table.constData();
    const qsizetype stride = inPart.ImageWidth();
    const quint16 *source = inPart.ImageData() + inPart.Left();
    for (int r = firstRow; r <= lastRow; ++r) {
        const quint16 *in = source + qsizetype(r) * stride;
        uchar *out = bits + qsizetype(r - top) * bytesPerLine;
        for (int c = 0; c < columns; ++c)
            out[c] = uchar(lookup[in[c]]);
    }
}
