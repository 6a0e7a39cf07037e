#include "analysis/fclineprofileutility.h"

#include "analysis/kylaneframe.h"
#include "image/imagefile.h"
#include "platform/logcategories.h"

#include <QtDebug>

#include <algorithm>
#include <cmath>

namespace {

// Grey level at (x, y), 0 outside the image.
inline unsigned short pixelAt(const quint16 *inData, int inWidth, int inHeight, qint64 inX, qint64 inY)
{
    if (inX < 0 || inY < 0 || inX >= inWidth || inY >= inHeight)
        return 0;
    return inData[inY * inWidth + inX];
}

int columnsOf(const FCLineProfileUtility::Map &inMap)
{
    return inMap.isEmpty() ? 0 : int(inMap.first().size());
}

} // namespace

FCLineProfileUtility::FCLineProfileUtility(const ImageFile &image, const KyLaneFrame &frame,
                                           const QVector<double> &valueTable, bool average, int lane)
    : mLineSize(-1, -1), mLinePixels(3, 0), mLineProfile(3, 0.0)
{
    if (image.IsNull() || frame.isEmpty() || lane < 0 || lane >= frame.laneCount())
        return;
    ComputeProfile(frame, lane, image, mLineSize, mLinePixels);
    AccumulateRows(mLinePixels, mLineSize, valueTable, mLineProfile, average);
}

void FCLineProfileUtility::ComputeProfile(const KyLaneFrame &frame, int lane, const ImageFile &image, QSize &size,
                                          QVector<unsigned short> &pixels)
{
    const QVector<QPoint> outline = frame.lanePolygon(lane);
    const QPoint origin(std::min(outline.at(0).x(), outline.at(3).x()), std::min(outline.at(0).y(), outline.at(1).y()));
    const QPoint top = frame.laneTop(lane) - origin;
    const QPoint bottom = frame.laneBottom(lane) - origin;
    const int width = frame.laneWidth();

    if (width == 1) {
        int count = 0;
        const int result = GetNormalizeLineData({top + origin, bottom + origin}, image, pixels, &count);
        if (result != 0)
            qCDebug(lcAnalysis, "FCLineProfileUtility::GetNormalizeLineData() error: %d", result);
        size = QSize(count, 1);
        return;
    }

    const int dx = bottom.x() - top.x();
    const int dy = bottom.y() - top.y();
    const double theta = -std::atan2(double(dx), double(dy));
    const double d0 = 0.0;
    const double d1 = dx * std::sin(-theta) + dy * std::cos(-theta);

    const int length = frame.laneLength(lane);
    size = QSize(length, width);
    Map mapX(length, QVector<double>(width, -1.0));
    Map mapY(length, QVector<double>(width, -1.0));

    if (width > 1) {
        const QPointF h((width / 2.0) * std::cos(theta), (width / 2.0) * std::sin(theta));
        const QPointF t(top);
        const QPointF b(bottom);
        SolveAffine(t - h, b - h, t + h, QPointF(d0, width), QPointF(d1, width), QPointF(d0, 0), mapX, mapY);
        SolveAffine(b - h, b + h, t + h, QPointF(d1, width), QPointF(d1, 0), QPointF(d0, 0), mapX, mapY);
    }
    SmoothMap(mapX);
    SmoothMap(mapY);

    pixels = QVector<unsigned short>(qsizetype(length) * width, 0);
    SampleImage(image, origin, mapX, mapY, pixels);
}

void FCLineProfileUtility::SolveAffine(QPointF p1, QPointF p2, QPointF p3, QPointF q1, QPointF q2, QPointF q3,
                                       Map &mapX, Map &mapY)
{
    const double D = q1.x() * q2.y() + q2.x() * q3.y() + q3.x() * q1.y() - q2.x() * q1.y() - q3.x() * q2.y()
                     - q1.x() * q3.y();
    // The three coefficients of one image coordinate (Cramer's rule), from that coordinate of p.
    struct Affine
    {
        double a, b, c;
    };
    const auto solve = [&](double r1, double r2, double r3) {
        return Affine{(r1 * q2.y() + r2 * q3.y() + r3 * q1.y() - r2 * q1.y() - r3 * q2.y() - r1 * q3.y()) / D,
                      (q1.x() * r2 + q2.x() * r3 + q3.x() * r1 - q2.x() * r1 - q3.x() * r2 - q1.x() * r3) / D,
                      (r3 * q1.x() * q2.y() + r1 * q2.x() * q3.y() + r2 * q3.x() * q1.y() - r3 * q2.x() * q1.y()
                       - r1 * q3.x() * q2.y() - r2 * q1.x() * q3.y())
                          / D};
    };
    const Affine ax = solve(p1.x(), p2.x(), p3.x());
    const Affine ay = solve(p1.y(), p2.y(), p3.y());

    const int rows = int(std::min(mapX.size(), mapY.size()));
    const int columns = std::min(columnsOf(mapX), columnsOf(mapY));
    const int uFrom = std::max(int(std::min({q1.x(), q2.x(), q3.x()})), 0);
    const int uTo = std::min(int(std::max({q1.x(), q2.x(), q3.x()})), rows - 1);
    const int vFrom = std::max(int(std::min({q1.y(), q2.y(), q3.y()})), 0);
    const int vTo = std::min(int(std::max({q1.y(), q2.y(), q3.y()})), columns - 1);
    for (int u = uFrom; u <= uTo; ++u) {
        double *rowX = mapX[u].data();
        double *rowY = mapY[u].data();
        for (int v = vFrom; v <= vTo; ++v) {
            const double c1 = (q1.x() - u) * (q2.y() - v) - (q2.x() - u) * (q1.y() - v);
            const double c2 = (q2.x() - u) * (q3.y() - v) - (q3.x() - u) * (q2.y() - v);
            const double c3 = (q3.x() - u) * (q1.y() - v) - (q1.x() - u) * (q3.y() - v);
            if ((c1 >= 0 && c2 >= 0 && c3 >= 0) || (c1 <= 0 && c2 <= 0 && c3 <= 0)) {
                rowX[v] = ax.a * u + ax.b * v + ax.c;
                rowY[v] = ay.a * u + ay.b * v + ay.c;
            }
        }
    }
}

void FCLineProfileUtility::SmoothMap(Map &map)
{
    const int rows = int(map.size());
    if (rows <= 1)
        return;
    const int columns = columnsOf(map);
    // Along the lane, each column from the values before its walk.
    QVector<double> before(rows);
    for (int v = 1; v < columns - 1; ++v) {
        for (int u = 0; u < rows; ++u)
            before[u] = map[u][v];
        for (int u = 1; u < rows - 1; ++u) {
            if (before[u - 1] >= 0 && before[u] >= 0 && before[u + 1] >= 0)
                map[u][v] = (before[u - 1] + before[u] + before[u + 1]) / 3.0;
        }
    }
    // Across the lane, each row from the values the first pass left.
    for (int u = 1; u < rows - 1; ++u) {
        // The copy first: taking the row's data afterwards detaches it from the copy.
        const QVector<double> previous = map[u];
        double *row = map[u].data();
        for (int v = 1; v < columns - 1; ++v) {
            if (previous[v - 1] >= 0 && previous[v] >= 0 && previous[v + 1] >= 0)
                row[v] = (previous[v - 1] + previous[v] + previous[v + 1]) / 3.0;
        }
    }
}

void FCLineProfileUtility::SampleImage(const ImageFile &image, QPoint origin, const Map &mapX, const Map &mapY,
                                       QVector<unsigned short> &pixels)
{
    const int rows = int(std::min(mapX.size(), mapY.size()));
    const int columns = std::min(columnsOf(mapX), columnsOf(mapY));
    pixels.resize(qsizetype(rows) * columns);
    const int width = image.Width();
    const int height = image.Height();
    const quint16 *data = image.ConstData();
    unsigned short *out = pixels.data();
    for (int v = 0; v < columns; ++v) {
        for (int u = 0; u < rows; ++u) {
            const double x = mapX[u][v];
            const double y = mapY[u][v];
            unsigned short value = 0;
            // Below 0 is an uncovered grid point or a point before R: outside either way (a
            // coordinate truncated up to 0 would be blended with a negative weight).
            if (x >= 0 && y >= 0) {
                const qint64 ix = qint64(x);
                const qint64 iy = qint64(y);
                const double fx = x - double(ix);
                const double fy = y - double(iy);
                const qint64 px = ix + origin.x();
                const qint64 py = iy + origin.y();
                if (px >= 0 && px < width && py >= 0 && py < height) {
                    const double p00 = data[py * width + px];
                    const double p10 = pixelAt(data, width, height, px + 1, py);
                    const double p01 = pixelAt(data, width, height, px, py + 1);
                    const double p11 = pixelAt(data, width, height, px + 1, py + 1);
                    const double blended = (1 - fy) * ((1 - fx) * p00 + fx * p10) + fy * ((1 - fx) * p01 + fx * p11);
                    value = static_cast<unsigned short>(std::min(blended, 65535.0));
                }
            }
            *out++ = value;
        }
    }
}

void FCLineProfileUtility::AccumulateRows(const QVector<unsigned short> &pixels, QSize size,
                                          const QVector<double> &valueTable, QVector<double> &profile, bool average)
{
    const int columns = std::max(size.width(), 0);
    const int rows = std::max(size.height(), 0);
    profile = QVector<double>(columns, 0.0);
    if (qsizetype(columns) * rows > pixels.size())
        return;
    const unsigned short *in = pixels.constData();
    const double *table = valueTable.constData();
    const qsizetype levels = valueTable.size();
    double *sums = profile.data();
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const unsigned short level = *in++;
            if (level < levels)
                sums[c] += table[level];
        }
    }
    // A lane of no width has no rows to average: its profile stays 0.
    if (average && rows > 0) {
        for (int c = 0; c < columns; ++c)
            sums[c] /= rows;
    }
}

int FCLineProfileUtility::GetNormalizeLineData(const QVector<QPoint> &points, const ImageFile &image,
                                               QVector<unsigned short> &pixels, int *count)
{
    if (points.size() < 2)
        return -1000;
    // A segment shorter than 2 still gives both its ends.
    qint64 total = 0;
    for (qsizetype i = 1; i < points.size(); ++i) {
        const double dx = double(points.at(i).x()) - points.at(i - 1).x();
        const double dy = double(points.at(i).y()) - points.at(i - 1).y();
        total += std::max<qint64>(qint64(std::sqrt(dx * dx + dy * dy)), 2);
    }
    pixels.resize(total);

    const int width = image.Width();
    const int height = image.Height();
    const quint16 *data = image.ConstData();
    unsigned short *out = pixels.data();
    for (qsizetype i = 1; i < points.size(); ++i) {
        const QPoint a = points.at(i - 1);
        const QPoint e = points.at(i);
        const int dx = e.x() - a.x();
        const int dy = e.y() - a.y();
        const double len = std::sqrt(double(dx) * dx + double(dy) * dy);
        const qint64 steps = qint64(len);
        *out++ = pixelAt(data, width, height, a.x(), a.y());
        for (qint64 j = 1; j < steps - 1; ++j) {
            const qint64 x = qint64(a.x() + double(dx * j) / len + 0.5);
            const qint64 y = qint64(a.y() + double(dy * j) / len + 0.5);
            *out++ = pixelAt(data, width, height, x, y);
        }
        *out++ = pixelAt(data, width, height, e.x(), e.y());
    }
    if (count)
        *count = int(total);
    return 0;
}
