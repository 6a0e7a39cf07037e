#include "image/clipbycubic.h"

#include "core/systemsettings.h"
#include "image/imagefile.h"
#include "image/imagepart.h"
#include "image/zoommapping.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

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

    // A column's source columns and weights are the same on every row: worked out once per strip.
    struct Column
    {
        bool reaches;
        int index[4];
        double weight[4];
    };
    std::vector<Column> columns(size_t(inPart.Width()));
    for (int i = 0; i < inPart.Width(); ++i) {
        Column &column = columns[size_t(i)];
        const double fx = zoomSourceCoordinate(left + i, tw, x, w);
        column.reaches = reachesSource(fx, sw);
        if (!column.reaches)
            continue;
        const int ix = cellOf(fx);
        cubicWeights(fx, ix, a, column.weight);
        const bool inside = ix >= 1 && ix <= sw - 3;
        for (int k = 0; k < 4; ++k)
            column.index[k] = inside ? ix - 1 + k : mirrored(ix - 1 + k, sw);
    }

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
        quint16 *out = inPart.ImageData() + qsizetype(r) * tw + left;
        for (size_t i = 0; i < columns.size(); ++i) {
            const Column &column = columns[i];
            if (!column.reaches)
                continue;
            const int *c = column.index;
            const double *wx = column.weight;
            double sum = 0.0;
            for (int j = 0; j < 4; ++j) {
                const quint16 s0 = rows[j][c[0]];
                const quint16 s1 = rows[j][c[1]];
                const quint16 s2 = rows[j][c[2]];
                const quint16 s3 = rows[j][c[3]];
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
                out[i] = 0;
            else if (sum >= 65535)
                out[i] = 65535;
            else
                out[i] = quint16(sum);
        }
    }
}
