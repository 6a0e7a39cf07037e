// Rendering and geometry of the image record: zoom and crop, 8-bit display images with their
// tables, quarter turns and the half-size reduction.

#include "image/imagefile.h"

#include "core/kyconcurrent.h"
#include "core/systemsettings.h"
#include "image/clipbycubic.h"
#include "image/clipbylinear.h"
#include "image/imagepart.h"
#include "image/tablize.h"

#include <QList>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

const QString kDarkOffset = QStringLiteral("Dark offset");
const QString kPixelSize = QStringLiteral("Pixel size");

// Doubles equal within a relative 1e-12; a comparison with 0 asks for exactly 0.
bool sameValue(double inA, double inB)
{
    if (inA == 0.0 || inB == 0.0)
        return inA == inB;
    return qFuzzyCompare(inA, inB);
}

// The pixels of inImage under another colour table, without a copy of them: a read-only image over
// the same buffer, which it keeps alive. Writing to it copies the pixels first, as for any
// read-only image.
QImage withColourTable(const QImage &inImage, const QVector<QRgb> &inColours)
{
    auto *keeper = new QImage(inImage);
    QImage shared(
        keeper->constBits(), keeper->width(), keeper->height(), keeper->bytesPerLine(), keeper->format(),
        [](void *inKeeper) { delete static_cast<QImage *>(inKeeper); }, keeper);
    shared.setColorTable(inColours);
    shared.setDotsPerMeterX(inImage.dotsPerMeterX());
    shared.setDotsPerMeterY(inImage.dotsPerMeterY());
    return shared;
}

// Rows first .. first + count - 1 cut into at most `pieces` runs of count / pieces + 1 rows (one
// row per run when count < pieces).
QList<QRect> strips(int inLeft, int inWidth, int inFirst, int inCount, int inPieces)
{
    QList<QRect> list;
    const int last = inFirst + inCount - 1;
    for (int top = inFirst; top <= last;) {
        const int bottom = std::min(last, top + inCount / inPieces);
        list.append(QRect(QPoint(inLeft, top), QPoint(inLeft + inWidth - 1, bottom)));
        top = bottom + 1;
    }
    return list;
}

// A size given as a double, truncated; 0 when it is not a usable positive int.
int truncatedSize(double inValue)
{
    if (!(inValue >= 1.0 && inValue < double(INT_MAX)))
        return 0;
    return int(inValue);
}

// A whole number held within lowest .. highest, safe for any finite value.
int heldWithin(double inValue, int inLowest, int inHighest)
{
    if (inValue <= inLowest)
        return inLowest;
    if (inValue >= inHighest)
        return inHighest;
    return int(inValue);
}

} // namespace

ImageFile ImageFile::Zoom(double inX, double inY, double inW, double inH, int inOutW, int inOutH) const
{
    // Nothing to show: no source, or a source rectangle that is empty or not a number.
    if (IsNull() || !std::isfinite(inX) || !std::isfinite(inY) || !std::isfinite(inW)
        || !std::isfinite(inH) || !(inW > 0.0) || !(inH > 0.0))
        return ImageFile();

    // The unchanged whole image.
    if (sameValue(inX, 0.0) && sameValue(inY, 0.0) && sameValue(inW, width) && sameValue(inH, height)
        && sameValue(inOutW, inW) && sameValue(inOutH, inH))
        return ImageFile(*this);

    const int tw = inOutW == 0 ? truncatedSize(inW) : inOutW;
    const int th = inOutH == 0 ? truncatedSize(inH) : inOutH;
    if (tw <= 0 || th <= 0)
        return ImageFile();

    ImageFile result;
    result.CopyTags(*this);

    if (sameValue(tw, inW) && sameValue(th, inH)) {
        // A crop: the rounded rectangle cut to the image, at least one pixel. (Both ends are cut, so
        // that a rectangle reaching past the left or top edge does not show columns or rows past
        // its other end.)
        const double x = std::trunc(inX + 0.5);
        const double y = std::trunc(inY + 0.5);
        const int x0 = heldWithin(x, 0, width - 1);
        const int y0 = heldWithin(y, 0, height - 1);
        const int x1 = heldWithin(x + std::trunc(inW + 0.5), x0 + 1, width);
        const int y1 = heldWithin(y + std::trunc(inH + 0.5), y0 + 1, height);
        const int cw = x1 - x0;
        const int ch = y1 - y0;
        result.Resize(cw, ch);
        const quint16 *from = ConstData() + qsizetype(y0) * width + x0;
        quint16 *to = result.Data();
        for (int r = 0; r < ch; ++r)
            std::memcpy(to + qsizetype(r) * cw, from + qsizetype(r) * width, size_t(cw) * sizeof(quint16));
    } else {
        result.Resize(tw, th);
        const QString type =
            SystemSettings::instance()->stringValue(QStringLiteral("DigitalZoomInterpolationType"));
        const bool bicubic = type.compare(QLatin1String("bicubic"), Qt::CaseInsensitive) == 0;
        const bool bilinear = !bicubic && type.compare(QLatin1String("bilinear"), Qt::CaseInsensitive) == 0;
        // The bilinear zoom writes every pixel; the others leave pixels at the dark offset.
        if (!bilinear)
            result.Fill(quint16(std::clamp(Tag(kDarkOffset).toInt(), 0, 65535)));

        QList<ImagePart> parts;
        for (const QRect &strip : strips(0, tw, 0, th, 5))
            parts.append(ImagePart(&result, strip));
        if (bicubic)
            KyConcurrent::blockingMap(parts, ClipByCubic(this, inX, inY, inW, inH));
        else if (bilinear)
            KyConcurrent::blockingMap(parts, ClipByLinear(this, inX, inY, inW, inH));

        // A source without a pixel size does not gain one.
        if (!Tag(kPixelSize).isEmpty())
            result.SetPixelSize(PixelSize() * inH / th);
    }
    result.UpdateHistogram();
    return result;
}

ImageFile ImageFile::Zoom(const QRect &inRect, int inOutW, int inOutH) const
{
    const QRect r = inRect.normalized();
    return Zoom(r.left(), r.top(), r.width(), r.height(), inOutW, inOutH);
}

ImageFile ImageFile::Zoom(const QRectF &inRect, int inOutW, int inOutH) const
{
    const QRectF r = inRect.normalized();
    return Zoom(r.left(), r.top(), r.width(), r.height(), inOutW, inOutH);
}

QImage ImageFile::ToIndexed8(int inX, int inY, int inW, int inH, bool inSaturatedColour)
{
    const bool whole = inX == 0 && inY == 0 && inW == width && inH == height;
    if (whole && !display.isNull()) {
        if (inSaturatedColour != displaySaturated)
            RecolourDisplay(inSaturatedColour);
        return display;
    }
    if (IsNull() || inW <= 0 || inH <= 0)
        return QImage();

    // The rectangle cut to the image (64-bit ends: x + w may pass INT_MAX).
    const int x0 = std::max(0, inX);
    const int y0 = std::max(0, inY);
    const int w0 = int(std::min<qint64>(width, qint64(inX) + inW) - x0);
    const int h0 = int(std::min<qint64>(height, qint64(inY) + inH) - y0);
    if (w0 <= 0 || h0 <= 0)
        return QImage();

    QImage image(w0, h0, QImage::Format_Indexed8);
    if (image.isNull())
        return QImage();
    const int dots = DotsPerMeter(PixelSize());
    if (dots > 0) {
        image.setDotsPerMeterX(dots);
        image.setDotsPerMeterY(dots);
    }
    image.setColorTable(ColorTable(inSaturatedColour));

    QVector<ushort> table;
    DisplayTable(table);
    QList<ConstImagePart> parts;
    for (const QRect &strip : strips(x0, w0, y0, h0, 3))
        parts.append(ConstImagePart(this, strip));
    KyConcurrent::blockingMap(parts, Tablize(table, y0, &image));

    // Only the whole image is cached, and only then does its saturated flag change.
    if (whole) {
        display = image;
        displayPixels = image;
        displaySaturated = inSaturatedColour;
    }
    return image;
}

void ImageFile::RecolourDisplay(bool inSaturatedColour)
{
    // The pictures of the two flags differ in the colour of index 255 alone: the new one shares the
    // rendered pixels, so that the plain picture a save writes next to the one the screen shows
    // renders nothing again and holds no second copy of a large capture's pixels.
    display = withColourTable(displayPixels, ColorTable(inSaturatedColour));
    displaySaturated = inSaturatedColour;
}

QImage ImageFile::ToIndexed8(bool inSaturatedColour)
{
    return ToIndexed8(0, 0, width, height, inSaturatedColour);
}

QPixmap ImageFile::ToPixmap(int inX, int inY, int inW, int inH)
{
    return QPixmap::fromImage(ToIndexed8(inX, inY, inW, inH, true));
}

QPixmap ImageFile::ToPixmap()
{
    return QPixmap::fromImage(ToIndexed8(true));
}

QVector<QRgb> ImageFile::ColorTable(bool inSaturatedColour) const
{
    QVector<QRgb> colours(256);
    if (linearScale) {
        for (int i = 0; i < 256; ++i)
            colours[i] = qRgb(i, i, i);
    } else {
        colours[0] = qRgb(0, 0, 0);
        const double top = std::log10(255.0);
        for (int i = 1; i < 256; ++i) {
            const int g = std::clamp(int(std::log10(double(i)) / top * 255), 1, 254);
            colours[i] = qRgb(g, g, g);
        }
    }
    if (IsNegative()) {
        for (QRgb &c : colours)
            c = qRgb(255 - qRed(c), 255 - qGreen(c), 255 - qBlue(c));
    }
    if (inSaturatedColour)
        colours[255] = SystemSettings::instance()->colorValue(QStringLiteral("SaturatedPixelColor")).rgba();
    return colours;
}

void ImageFile::DisplayTable(QVector<ushort> &outTable) const
{
    outTable.resize(65536);
    ushort *t = outTable.data();
    const int low = rangeLow;
    const int high = rangeHigh;
    std::fill(t, t + low + 1, ushort(0));
    const int span = high - low;
    for (int v = low + 1; v < high; ++v)
        t[v] = ushort(((v - low) * 254) / span);
    for (int v = std::max(high, low + 1); v <= 65534; ++v)
        t[v] = 254;
    t[65535] = 255;
}

void ImageFile::Rotate90()
{
    Turn(0);
}

void ImageFile::Rotate270()
{
    Turn(1);
}

void ImageFile::Turn(int inMode)
{
    if (IsNull())
        return;
    QByteArray turned(pixels.size(), Qt::Uninitialized);
    rotateImageBuffer(reinterpret_cast<const ushort *>(pixels.constData()),
                      reinterpret_cast<ushort *>(turned.data()), width, height, inMode);
    pixels = turned;
    std::swap(width, height);
    DropDisplay();
}

ImageFile ImageFile::HalfSize() const
{
    ImageFile result;
    result.CopyTags(*this);
    const int hw = width / 2;
    const int hh = height / 2;
    result.Resize(hw, hh);
    if (!result.IsNull()) {
        quint16 *out = result.Data();
        const quint16 *in = ConstData();
        for (int r = 0; r < hh; ++r) {
            const quint16 *top = in + qsizetype(2 * r) * width;
            const quint16 *bottom = top + width;
            quint16 *o = out + qsizetype(r) * hw;
            for (int c = 0; c < hw; ++c) {
                const int sum = top[2 * c] + top[2 * c + 1] + bottom[2 * c] + bottom[2 * c + 1];
                o[c] = quint16(std::min(sum, 65535));
            }
        }
    }
    result.UpdateHistogram();
    return result;
}

namespace {

#if defined(__SSE2__)
// Transposes the 8 x 8 block of 16-bit values held one row per register.
inline void transpose8x8(__m128i ioRows[8])
{
    const __m128i t0 = _mm_unpacklo_epi16(ioRows[0], ioRows[1]);
    const __m128i t1 = _mm_unpackhi_epi16(ioRows[0], ioRows[1]);
    const __m128i t2 = _mm_unpacklo_epi16(ioRows[2], ioRows[3]);
    const __m128i t3 = _mm_unpackhi_epi16(ioRows[2], ioRows[3]);
    const __m128i t4 = _mm_unpacklo_epi16(ioRows[4], ioRows[5]);
    const __m128i t5 = _mm_unpackhi_epi16(ioRows[4], ioRows[5]);
    const __m128i t6 = _mm_unpacklo_epi16(ioRows[6], ioRows[7]);
    const __m128i t7 = _mm_unpackhi_epi16(ioRows[6], ioRows[7]);
    const __m128i u0 = _mm_unpacklo_epi32(t0, t2);
    const __m128i u1 = _mm_unpackhi_epi32(t0, t2);
    const __m128i u2 = _mm_unpacklo_epi32(t1, t3);
    const __m128i u3 = _mm_unpackhi_epi32(t1, t3);
    const __m128i u4 = _mm_unpacklo_epi32(t4, t6);
    const __m128i u5 = _mm_unpackhi_epi32(t4, t6);
    const __m128i u6 = _mm_unpacklo_epi32(t5, t7);
    const __m128i u7 = _mm_unpackhi_epi32(t5, t7);
    ioRows[0] = _mm_unpacklo_epi64(u0, u4);
    ioRows[1] = _mm_unpackhi_epi64(u0, u4);
    ioRows[2] = _mm_unpacklo_epi64(u1, u5);
    ioRows[3] = _mm_unpackhi_epi64(u1, u5);
    ioRows[4] = _mm_unpacklo_epi64(u2, u6);
    ioRows[5] = _mm_unpackhi_epi64(u2, u6);
    ioRows[6] = _mm_unpacklo_epi64(u3, u7);
    ioRows[7] = _mm_unpackhi_epi64(u3, u7);
}
#endif

// One output pixel of a turn, by the definition.
inline ushort turnedPixel(const ushort *inSource, int inWidth, int inHeight, int inMode, int inRow, int inColumn)
{
    return inMode == 0 ? inSource[qsizetype(inHeight - 1 - inColumn) * inWidth + inRow]
                       : inSource[qsizetype(inColumn) * inWidth + (inWidth - 1 - inRow)];
}

// Output rows r0 .. r1 - 1, columns c0 .. c1 - 1 of a turn.
void turnTile(const ushort *inSource, ushort *outTarget, int inWidth, int inHeight, int inMode, int inR0,
              int inR1, int inC0, int inC1)
{
    const qsizetype outWidth = inHeight;
    int scalarFrom = inR0;
#if defined(__SSE2__)
    // Whole 8 x 8 blocks: eight source rows in, eight output rows out. The blocks go so that the
    // source is read left to right in both modes (backward through the tile for a counter-clockwise
    // turn), which the prefetcher follows; the other way round takes twice as long.
    const int blocks = (inR1 - inR0) / 8;
    scalarFrom = inR0 + 8 * blocks;
    for (int n = 0; n < blocks; ++n) {
        const int r = inR0 + 8 * (inMode == 0 ? n : blocks - 1 - n);
        int c = inC0;
        for (; c + 8 <= inC1; c += 8) {
            __m128i rows[8];
            if (inMode == 0) {
                // Output (r + j, c + k) = source (height - 1 - c - k, r + j): source row k of the
                // block, read from column r, is output column k.
                for (int k = 0; k < 8; ++k)
                    rows[k] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(
                        inSource + qsizetype(inHeight - 1 - c - k) * inWidth + r));
                transpose8x8(rows);
                for (int j = 0; j < 8; ++j)
                    _mm_storeu_si128(reinterpret_cast<__m128i *>(outTarget + (r + j) * outWidth + c), rows[j]);
            } else {
                // Output (r + i, c + k) = source (c + k, width - 1 - r - i): reading source row
                // c + k from column width - 8 - r puts output row r + i in lane 7 - i.
                for (int k = 0; k < 8; ++k)
                    rows[k] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(
                        inSource + qsizetype(c + k) * inWidth + (inWidth - 8 - r)));
                transpose8x8(rows);
                for (int i = 0; i < 8; ++i)
                    _mm_storeu_si128(reinterpret_cast<__m128i *>(outTarget + (r + i) * outWidth + c), rows[7 - i]);
            }
        }
        for (int j = r; j < r + 8; ++j)
            for (int cc = c; cc < inC1; ++cc)
                outTarget[j * outWidth + cc] = turnedPixel(inSource, inWidth, inHeight, inMode, j, cc);
    }
#endif
    for (int r = scalarFrom; r < inR1; ++r)
        for (int c = inC0; c < inC1; ++c)
            outTarget[r * outWidth + c] = turnedPixel(inSource, inWidth, inHeight, inMode, r, c);
}

} // namespace

// The turn goes tile by tile, 8 x 8 blocks turned in registers inside a tile. A tile spans 256
// output rows (256 source columns: half a kilobyte of each source row it visits, so that every
// visit to a source page does a fair amount of work) and 64 output columns; the output lines it
// fills stay in the cache until the next tiles along complete them. Measured on 2046 x 3072:
// about half the time of 64 x 64 tiles, a third of a plain turn.
int rotateImageBuffer(const ushort *inSource, ushort *outTarget, int inWidth, int inHeight, int inMode)
{
    if (inMode != 0 && inMode != 1)
        return 100;
    if (!inSource || !outTarget || inWidth <= 0 || inHeight <= 0)
        return 0;
    // The turned image has inWidth rows of inHeight pixels.
    constexpr int kTileRows = 256;
    constexpr int kTileColumns = 64;
    for (int r0 = 0; r0 < inWidth; r0 += kTileRows) {
        const int r1 = std::min(r0 + kTileRows, inWidth);
        for (int c0 = 0; c0 < inHeight; c0 += kTileColumns)
            turnTile(inSource, outTarget, inWidth, inHeight, inMode, r0, r1, c0,
                     std::min(c0 + kTileColumns, inHeight));
    }
    return 0;
}
