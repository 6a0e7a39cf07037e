#pragma once

#include <QPoint>
#include <QPointF>
#include <QSize>
#include <QVector>

class ImageFile;
class KyLaneFrame;

// The intensity profile of one lane read by straightening the lane: its rectangle (centre line
// from the frame, width from the lane width) is mapped onto a grid of samples along and across the
// lane, the image is sampled bilinearly on that grid, and the samples of each position along the
// lane are summed or averaged through a value table. A lane of width 1 is read as a line of
// nearest pixels instead.
//
// The grid's image coordinates are kept relative to a reference corner R of the lane's outline;
// the image is the whole channel image and is addressed at R plus those coordinates. A coordinate
// before R (below 0) counts as outside, as does every point outside the image: such samples are 0.
class FCLineProfileUtility
{
public:
    using Map = QVector<QVector<double>>;

    // Runs the whole extraction. valueTable is indexed by grey level (65536 entries; levels past
    // its end add nothing). A null image, an empty frame or a lane outside it leaves size (-1, -1)
    // and three zeros in each vector.
    FCLineProfileUtility(const ImageFile &image, const KyLaneFrame &frame, const QVector<double> &valueTable,
                         bool average, int lane);

    // Samples along (width) and rows across the lane (height).
    QSize lineSize() const { return mLineSize; }
    // The straightened lane, row after row; the sample of grid point (u, v) is at v * width + u.
    const QVector<unsigned short> &linePixels() const { return mLinePixels; }
    const QVector<double> &lineProfile() const { return mLineProfile; }

    static void ComputeProfile(const KyLaneFrame &frame, int lane, const ImageFile &image, QSize &size,
                               QVector<unsigned short> &pixels);
    // Fills both maps over the grid triangle q1 q2 q3 with the affine map that sends each q to its p.
    static void SolveAffine(QPointF p1, QPointF p2, QPointF p3, QPointF q1, QPointF q2, QPointF q3, Map &mapX,
                            Map &mapY);
    // Three-point means along, then across the lane; uncovered entries (below 0) take no part.
    static void SmoothMap(Map &map);
    // One bilinear sample per grid point, in the order v outer, u inner; origin is R.
    static void SampleImage(const ImageFile &image, QPoint origin, const Map &mapX, const Map &mapY,
                            QVector<unsigned short> &pixels);
    static void AccumulateRows(const QVector<unsigned short> &pixels, QSize size, const QVector<double> &valueTable,
                               QVector<double> &profile, bool average);
    // Nearest pixels along the polyline through points (image coordinates), each segment from its
    // start to its end inclusive, trunc(length) samples a segment and at least two. 0 on success;
    // -1000 with fewer than two points, leaving pixels and count as they were.
    static int GetNormalizeLineData(const QVector<QPoint> &points, const ImageFile &image,
                                    QVector<unsigned short> &pixels, int *count);

private:
    QSize mLineSize;
    QVector<unsigned short> mLinePixels;
    QVector<double> mLineProfile;
};
