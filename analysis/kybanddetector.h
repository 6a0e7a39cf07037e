#pragma once

#include "analysis/kybandlist.h"

#include <QVector>

#include <cstdint>

// Automatic band detection on one lane's net profile (profile minus background).
//
// The profile is smoothed when it is noisy, the turning points of its first difference are marked as
// band starts, peaks and ends, bands separated by shallow valleys are merged, bands that are too low
// or too lopsided are removed, each band's edges are pulled in towards its peak, and the bands whose
// width lies within limits are kept.
//
// Every threshold decision is reproduced by an independent transcription, so sums are evaluated in a
// fixed order (the build forbids contraction and fast-math).
class KyBandDetector
{
public:
    // Kinds of marked points; kMark_Valley is the end of one band and the start of the next.
    enum EMark : std::int8_t {
        kMark_Start = 1,
        kMark_End = 2,
        kMark_Valley = 3,
        kMark_Peak = 4,
    };

    // Fewest points the 17-point smoothing needs; shorter profiles are never smoothed.
    static constexpr int kSmoothingWindow = 17;

    // d[i] = y[i + 1] - y[i] for i = 0 .. size(y) - 2; other entries of d are left alone (d grows when
    // it is too short to hold them).
    static void difference(const QVector<double> &y, QVector<double> &d);

    // The share of neighbouring differences that change sign or touch 0 (not both 0), over the size
    // of d; 0 for an empty d.
    static double signChangeShare(const QVector<double> &d);

    // 17-point quadratic Savitzky-Golay smoothing; the first and last 8 points are running means over
    // the profile continued by point reflection about its end values. A profile shorter than 17
    // points is copied unchanged.
    static void smoothSG17(const QVector<double> &y, QVector<double> &s);

    // After the smoothing decision: the sum of the absolute first differences, the number of points
    // and the largest smoothed value (0 when every value is negative). Any pointer may be null.
    static void derivativeStats(const QVector<double> &profile, double noisePercent, double *sumAbs, int *count,
                                double *maxValue);

    static KyBandList detectBands(const QVector<double> &profile, double noisePercent, double edgePercent,
                                  double heightThreshold, int maxWidth, int minWidth, double minSideHeight,
                                  int ignored, double ratio1, double ratio2);

    // Merges peaks closer than distance points on the working lists of a detection.
    static void mergeClose(int distance, QVector<double> &values, QVector<int> &indices,
                           QVector<std::int8_t> &marks);

    // Moves band edges to where the first difference d of the smoothed profile s first reaches the
    // level, on the working lists of a detection.
    static void refineFlatEdges(const QVector<double> &s, const QVector<double> &d, double level,
                                QVector<double> &values, QVector<int> &indices, QVector<std::int8_t> &marks);
};
