#include "image/clipbylinear.h"

#include "image/imagefile.h"
#include "image/imagepart.h"
#include "image/zoommapping.h"

#include <cmath>

namespace {

// The integral test of the image record's bilinear sample: equal within a relative 1e-12.
inline bool isIntegral(double inValue, int inTruncated)
{
    return inValue == inTruncated || std::fabs(inValue - inTruncated) <= 1e-12 * std::fabs(inValue);
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

// The same arithmetic as ImageFile::BilinearSample, with everything that depends only on the row
// taken out of the column loop; the results are identical.
void ClipByLinear::operator()(const ImagePart &inPart) const
{
    if (!pixels || inPart.Rect().isEmpty())
        return;
    const int sw = source->Width();
    const int sh = source->Height();
    const int tw = inPart.ImageWidth();
    const int th = inPart.ImageHeight();
    const int left = inPart.Left();
    const int right = left + inPart.Width();
    for (int r = inPart.Top(); r <= inPart.Bottom(); ++r) {
        quint16 *out = inPart.ImageData() + qsizetype(r) * tw;
        const double fy = zoomSourceCoordinate(r, th, y, h);
        if (!(fy >= 0.0 && fy <= sh - 1)) {
            for (int c = left; c < right; ++c)
                out[c] = 0;
            continue;
        }
        const int iy = int(fy);
        const double dy = fy - iy;
        const bool yIntegral = isIntegral(fy, iy);
        const quint16 *row0 = pixels + qsizetype(iy) * sw;
        const quint16 *row1 = yIntegral ? row0 : row0 + sw;
        for (int c = left; c < right; ++c) {
            const double fx = zoomSourceCoordinate(c, tw, x, w);
            if (!(fx >= 0.0 && fx <= sw - 1)) {
                out[c] = 0;
                continue;
            }
            const int ix = int(fx);
            const double dx = fx - ix;
            const quint16 p00 = row0[ix];
            quint16 value;
            if (isIntegral(fx, ix)) {
                value = yIntegral ? p00 : quint16(int(p00 * (1 - dy) + row1[ix] * dy + 0.5));
            } else if (yIntegral) {
                value = quint16(int(p00 * (1 - dx) + row0[ix + 1] * dx + 0.5));
            } else {
                const double top = p00 * (1 - dx) + row0[ix + 1] * dx;
                const double bottom = row1[ix] * (1 - dx) + row1[ix + 1] * dx;
                value = quint16(int(top * (1 - dy) + bottom * dy + 0.5));
            }
            out[c] = value;
        }
    }
}
