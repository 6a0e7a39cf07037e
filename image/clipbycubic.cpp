#include "image/clipbycubic.h"

#include "core/systemsettings.h"
#include "image/imagefile.h"
#include "image/imagepart.h"
#include "image/zoommapping.h"

#include <algorithm>
#include <cstdlib>

namespace {

// The cell of a source position: its integer part, one lower for positions at or below 0.
inline int cellOf(double inF)
{
    return inF > 0 ? int(inF) : int(inF - 1);
}

// A neighbourhood index mirrored into 0 .. size - 1 about the first and last pixel, and held
// inside for sources too small for one mirroring (fewer than four pixels).
inline int mirrored(int inIndex, int inSize)
{
    int k = std::abs(inIndex);
    if (k > inSize - 1)
        k = 2 * inSize - 2 - k;
    return std::clamp(k, 0, inSize - 1);
}

// A position whose cell lies in -1 .. size, the cells that still reach the source.
inline bool reachesSource(double inF, int inSize)
{
    return inF > -1.0 && inF < inSize + 1.0;
}

} // namespace

void cubicWeights(double inF, int inI, double inA, double outWeights[4])
{
    const double t = inF - inI;
    const double a = inA;
    double d = t + 1;
    outWeights[0] = a * d * d * d - 5 * a * d * d + 8 * a * d - 4 * a;
    outWeights[1] = (a + 2) * t * t * t - (a + 3) * t * t + 1;
    d = 1 - t;
    outWeights[2] = (a + 2) * d * d * d - (a + 3) * d * d + 1;
    d = 2 - t;
    outWeights[3] = a * d * d * d - 5 * a * d * d + 8 * a * d - 4 * a;
}

ClipByCubic::ClipByCubic(const ImageFile *inSource, double inX, double inY, double inW, double inH)
    : source(inSource)
    , x(inX)
    , y(inY)
    , w(inW)
    , h(inH)
    , pixels(inSource && !inSource->IsNull() ? inSource->ConstData() : nullptr)
{
}

void ClipByCubic::operator()(const ImagePart &inPart) const
{
    if (!pixels || inPart.Rect().isEmpty())
        return;
    const double a = SystemSettings::instance()->doubleValue(QStringLiteral("BiCubic_SincCoeff"));
    const int sw = source->Width();
    const int sh = source->Height();
    const int tw = inPart.ImageWidth();
    const int th = inPart.ImageHeight();
    const int left = inPart.Left();
    const int right = left + inPart.Width();
    for (int r = inPart.Top(); r <= inPart.Bottom(); ++r) {
        const double fy = zoomSourceCoordinate(r, th, y, h);
        if (!reachesSource(fy, sh))
            continue;
        const int iy = cellOf(fy);
        double wy[4];
        cubicWeights(fy, iy, a, wy);
        const quint16 *rows[4];
        for (int j = 0; j < 4; ++j)
            rows[j] = pixels + qsizetype(mirrored(iy - 1 + j, sh)) * sw;
        quint16 *out = inPart.ImageData() + qsizetype(r) * tw;
        for (int c = left; c < right; ++c) {
            const double fx = zoomSourceCoordinate(c, tw, x, w);
            if (!reachesSource(fx, sw))
                continue;
            const int ix = cellOf(fx);
            double wx[4];
            cubicWeights(fx, ix, a, wx);
            int columns[4];
            if (ix >= 1 && ix <= sw - 3) {
                for (int i = 0; i < 4; ++i)
                    columns[i] = ix - 1 + i;
            } else {
                for (int i = 0; i < 4; ++i)
                    columns[i] = mirrored(ix - 1 + i, sw);
            }
            double sum = 0.0;
            for (int j = 0; j < 4; ++j) {
                const quint16 s0 = rows[j][columns[0]];
                const quint16 s1 = rows[j][columns[1]];
                const quint16 s2 = rows[j][columns[2]];
                const quint16 s3 = rows[j][columns[3]];
                if (s0 == 65535 || s1 == 65535 || s2 == 65535 || s3 == 65535) {
                    sum = 65535;
                    break;
                }
                sum += s0 * wx[0] * wy[j];
                sum += s1 * wx[1] * wy[j];
                sum += s2 * wx[2] * wy[j];
                sum += s3 * wx[3] * wy[j];
            }
            if (sum <= 0)
                out[c] = 0;
            else if (sum >= 65535)
                out[c] = 65535;
            else
                out[c] = quint16(sum);
        }
    }
}
