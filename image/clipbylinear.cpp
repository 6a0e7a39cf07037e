#include "image/clipbylinear.h"

#include "image/imagefile.h"
#include "image/imagepart.h"
#include "image/zoommapping.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// out[i] = trunc(top[i] * ey + bottom[i] * dy + 0.5) for values known to lie in 0 .. 65535.5.
void blendRows(const double *inTop, const double *inBottom, double inEy, double inDy, quint16 *outPixels,
               int inCount)
{
    int i = 0;
#if defined(__SSE2__)
    // Eight at a time, each lane doing the scalar operations in the scalar order. The 16-bit pack
    // saturates signed values, so the results go through it shifted down by 32768.
    const __m128d ey = _mm_set1_pd(inEy);
    const __m128d dy = _mm_set1_pd(inDy);
    const __m128d half = _mm_set1_pd(0.5);
    const __m128i shift = _mm_set1_epi32(32768);
    const __m128i flip = _mm_set1_epi16(short(0x8000));
    const auto two = [&](int j) {
        const __m128d v = _mm_add_pd(_mm_add_pd(_mm_mul_pd(_mm_loadu_pd(inTop + j), ey),
                                                _mm_mul_pd(_mm_loadu_pd(inBottom + j), dy)),
                                     half);
        return _mm_cvttpd_epi32(v); // two ints in the low half
    };
    for (; i + 8 <= inCount; i += 8) {
        const __m128i a = _mm_sub_epi32(_mm_unpacklo_epi64(two(i), two(i + 2)), shift);
        const __m128i b = _mm_sub_epi32(_mm_unpacklo_epi64(two(i + 4), two(i + 6)), shift);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(outPixels + i), _mm_xor_si128(_mm_packs_epi32(a, b), flip));
    }
#endif
    for (; i < inCount; ++i)
        outPixels[i] = quint16(int(inTop[i] * inEy + inBottom[i] * inDy + 0.5));
}

} // namespace

ClipByLinear::ClipByLinear(const ImageFile *inSource, double inX, double inY, double inW, double inH)
    : source(inSource)
    , x(inX)
    , y(inY)
    , w(inW)
    , h(inH)
    , pixels(inSource && !inSource->IsNull() ? inSource->ConstData() : nullptr)
{
}

// The same arithmetic as ImageFile::BilinearSample, regrouped; the results are identical. The
// sample's top blend p00 * (1 - fx) + p10 * fx and its bottom blend are the same expression on two
// neighbouring source rows, so each source row is blended along x once (into a line of doubles)
// and shared by every output row that falls between it and its neighbour; what is left per output
// pixel is the blend along y. Columns go in runs that keep both lines on the stack.
void ClipByLinear::operator()(const ImagePart &inPart) const
{
    if (!pixels || inPart.Rect().isEmpty())
        return;
    const int sw = source->Width();
    const int sh = source->Height();
    const int tw = inPart.ImageWidth();
    const int th = inPart.ImageHeight();

    constexpr int kRun = 512;
    int columnIndex[kRun];
    bool columnIntegral[kRun];
    double columnFraction[kRun];   // fx - ix
    double columnComplement[kRun]; // 1 - (fx - ix)
    double lineStore[2][kRun];     // source rows blended along x

    for (int first = inPart.Left(); first <= inPart.Rect().right(); first += kRun) {
        const int count = std::min(kRun, inPart.Rect().right() + 1 - first);
        // fx grows with the column, so the columns inside the source are one run [inside, end).
        int inside = count;
        int end = 0;
        for (int i = 0; i < count; ++i) {
            const double fx = zoomSourceCoordinate(first + i, tw, x, w);
            if (!(fx >= 0.0 && fx <= sw - 1))
                continue;
            inside = std::min(inside, i);
            end = i + 1;
            const int ix = int(fx);
            columnIndex[i] = ix;
            columnIntegral[i] = isIntegralPosition(fx, ix);
            columnFraction[i] = fx - ix;
            columnComplement[i] = 1 - columnFraction[i];
        }
        // Blends source row `row` along x into a line.
        const auto blend = [&](int inRow, double *outLine) {
            const quint16 *in = pixels + qsizetype(inRow) * sw;
            for (int i = inside; i < end; ++i) {
                const int ix = columnIndex[i];
                outLine[i] = columnIntegral[i] ? double(in[ix])
                                               : in[ix] * columnComplement[i] + in[ix + 1] * columnFraction[i];
            }
        };
        double *lines[2] = {lineStore[0], lineStore[1]};
        int lineRow[2] = {-1, -1}; // source row held by each line

        for (int r = inPart.Top(); r <= inPart.Bottom(); ++r) {
            quint16 *out = inPart.ImageData() + qsizetype(r) * tw + first;
            const double fy = zoomSourceCoordinate(r, th, y, h);
            if (!(fy >= 0.0 && fy <= sh - 1) || inside >= end) {
                std::fill_n(out, count, quint16(0));
                continue;
            }
            const int iy = int(fy);
            const double dy = fy - iy;
            const double ey = 1 - dy;
            const bool yIntegral = isIntegralPosition(fy, iy);

            // Line 0 holds row iy; line 1 row iy + 1 when the sample needs it.
            if (lineRow[0] != iy) {
                if (lineRow[1] == iy) {
                    std::swap(lines[0], lines[1]);
                    std::swap(lineRow[0], lineRow[1]);
                } else {
                    blend(iy, lines[0]);
                    lineRow[0] = iy;
                }
            }
            std::fill_n(out, inside, quint16(0));
            std::fill_n(out + end, count - end, quint16(0));
            const double *top = lines[0];
            if (yIntegral) {
                for (int i = inside; i < end; ++i)
                    out[i] = quint16(int(top[i] + 0.5));
                continue;
            }
            if (lineRow[1] != iy + 1) {
                blend(iy + 1, lines[1]);
                lineRow[1] = iy + 1;
            }
            blendRows(top + inside, lines[1] + inside, ey, dy, out + inside, end - inside);
        }
    }
}
