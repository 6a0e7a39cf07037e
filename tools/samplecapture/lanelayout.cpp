#include "lanelayout.h"

#include "analysis/kylaneframe.h"

#include <algorithm>
#include <cmath>

LaneLayout::LaneLayout(int inWidth, int inHeight, int inLaneCount, double inLaneWidthRatio)
    : width(inWidth)
    , height(inHeight)
    , laneCount(inLaneCount)
    , laneOfColumn(size_t(inWidth), -1)
    , columnWeight(size_t(inWidth), 0.0f)
    , columnShift(size_t(inWidth), 0)
{
    KyLaneFrame frame;
    frame.setDefault(laneCount, inLaneWidthRatio, width, height);
    top = frame.topLeft().y();
    bottom = frame.bottomLeft().y();
    const double left = frame.topLeft().x();
    const double pitch = (frame.topRight().x() - left) / laneCount;
    // The signal is three quarters of the frame's lane wide at half its height, and has faded to
    // nothing at the lane's edges.
    const double halfWidth = 0.39 * inLaneWidthRatio * pitch;
    const double smile = 0.004 * (bottom - top);
    for (int x = 0; x < width; ++x) {
        const double centreOfColumn = x + 0.5;
        const int lane = std::clamp(int(std::floor((centreOfColumn - left) / pitch)), 0, laneCount - 1);
        const double d = std::abs(centreOfColumn - (left + (lane + 0.5) * pitch)) / halfWidth;
        const double weight = std::exp(-std::pow(d, 8.0));
        if (weight < 1e-4)
            continue;
        laneOfColumn[size_t(x)] = lane;
        columnWeight[size_t(x)] = float(weight);
        columnShift[size_t(x)] = int(std::lround(smile * d * d));
    }
}

double LaneLayout::PositionOfWeight(double inKDa)
{
    const double heavy = std::log10(250.0);
    const double light = std::log10(8.0);
    return 0.04 + 0.92 * (heavy - std::log10(inKDa)) / (heavy - light);
}

std::vector<float> LaneLayout::Profile(const std::vector<Band> &inBands, double inSmear) const
{
    std::vector<double> sum(size_t(height), 0.0);
    const double run = bottom - top;
    // The smear starts at the well and fades down the lane.
    for (int y = 0; y < height; ++y) {
        const double t = (y - top) / run;
        if (t >= 0.0 && t <= 1.0)
            sum[size_t(y)] += inSmear * std::exp(-2.0 * t) * std::min(1.0, t * 40.0);
    }
    for (const Band &band : inBands) {
        const double centre = top + band.position * run;
        const double sigma = std::max(0.7, band.sigma * run);
        const int first = std::max(0, int(std::floor(centre - 5.0 * sigma)));
        const int last = std::min(height - 1, int(std::ceil(centre + 5.0 * sigma)));
        for (int y = first; y <= last; ++y) {
            const double z = (y - centre) / sigma;
            sum[size_t(y)] += band.height * std::exp(-0.5 * z * z);
        }
    }
    return std::vector<float>(sum.begin(), sum.end());
}

void LaneLayout::Paint(const std::vector<std::vector<float>> &inProfiles, float *ioPlane) const
{
    // One profile pointer per column, so the row loop does no lookups beyond the tables.
    std::vector<const float *> profileOfColumn(size_t(width), nullptr);
    for (int x = 0; x < width; ++x) {
        const int lane = laneOfColumn[size_t(x)];
        if (lane >= 0 && size_t(lane) < inProfiles.size() && inProfiles[size_t(lane)].size() == size_t(height))
            profileOfColumn[size_t(x)] = inProfiles[size_t(lane)].data();
    }
    const float *const *profiles = profileOfColumn.data();
    const float *weights = columnWeight.data();
    const int *shifts = columnShift.data();
    for (int y = 0; y < height; ++y) {
        float *row = ioPlane + size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x) {
            const float *profile = profiles[x];
            const int source = y - shifts[x];
            if (profile && source >= 0)
                row[x] += weights[x] * profile[source];
        }
    }
}
