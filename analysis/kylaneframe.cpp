#include "kylaneframe.h"

#include "kyrounding.h"
#include "platform/logcategories.h"

#include <QDebug>

#include <cmath>
#include <numbers>

namespace {

const QPoint kUnsetCorner(-1, -1);

// The count the geometry divides by: an empty frame is never measured, but if it is, it is
// measured as one lane rather than divided by zero.
double divisorCount(int inCount)
{
    return inCount < 1 ? 1.0 : static_cast<double>(inCount);
}

// The point of lane's centre line on the edge from left to right, at the fraction
// (2 lane + 1) / (2 count) of the edge. Differences are formed in double so that corners far
// apart cannot overflow.
QPoint edgePoint(const QPoint &inLeft, const QPoint &inRight, int inLane, int inCount)
{
    const double k = 2.0 * inLane + 1.0;
    const double twice = 2.0 * divisorCount(inCount);
    const double x = inLeft.x() + ((static_cast<double>(inRight.x()) - inLeft.x()) / twice) * k;
    const double y = inLeft.y() + ((static_cast<double>(inRight.y()) - inLeft.y()) / twice) * k;
    return QPoint(KyRounding::truncatedHalfUp(x), KyRounding::truncatedHalfUp(y));
}

} // namespace

KyLaneFrame::KyLaneFrame()
    : mTopLeft(kUnsetCorner), mTopRight(kUnsetCorner), mBottomLeft(kUnsetCorner),
      mBottomRight(kUnsetCorner), mLaneCount(0), mLaneWidthRatio(0.0)
{
}

void KyLaneFrame::set(int inCount, double inRatio, const QPoint &inTopLeft, const QPoint &inTopRight,
                      const QPoint &inBottomLeft, const QPoint &inBottomRight)
{
    mLaneCount = inCount;
    mLaneWidthRatio = inRatio;
    mTopLeft = inTopLeft;
    mTopRight = inTopRight;
    mBottomLeft = inBottomLeft;
    mBottomRight = inBottomRight;
}

void KyLaneFrame::setDefault(int inCount, double inRatio, int inWidth, int inHeight)
{
    const double factor = 0.2;
    const double farFactor = 1.0 - factor;
    const int left = KyRounding::truncated(inWidth * factor);
    const int right = KyRounding::truncated(inWidth * farFactor);
    const int top = KyRounding::truncated(inHeight * factor);
    const int bottom = KyRounding::truncated(inHeight * farFactor);
    const QPoint topLeft(left, top);
    const QPoint topRight(right, top);
    const QPoint bottomLeft(left, bottom);
    const QPoint bottomRight(right, bottom);
    qCDebug(lcAnalysis).nospace() << topLeft << ", " << topRight << ", " << bottomLeft << ", " << bottomRight;
    set(inCount, inRatio, topLeft, topRight, bottomLeft, bottomRight);
}

void KyLaneFrame::clear()
{
    set(0, 0.0, kUnsetCorner, kUnsetCorner, kUnsetCorner, kUnsetCorner);
}

void KyLaneFrame::setTopLeft(const QPoint &inPoint)
{
    mTopLeft = inPoint;
}

void KyLaneFrame::setTopRight(const QPoint &inPoint)
{
    mTopRight = inPoint;
}

void KyLaneFrame::setBottomLeft(const QPoint &inPoint)
{
    mBottomLeft = inPoint;
}

void KyLaneFrame::setBottomRight(const QPoint &inPoint)
{
    mBottomRight = inPoint;
}

void KyLaneFrame::setLaneCount(int inCount)
{
    mLaneCount = inCount;
}

void KyLaneFrame::setLaneWidthRatio(double inRatio)
{
    mLaneWidthRatio = inRatio;
}

QPoint KyLaneFrame::laneTop(int inLane) const
{
    return edgePoint(mTopLeft, mTopRight, inLane, mLaneCount);
}

QPoint KyLaneFrame::laneBottom(int inLane) const
{
    return edgePoint(mBottomLeft, mBottomRight, inLane, mLaneCount);
}

int KyLaneFrame::laneTopY(int inLane) const
{
    return laneTop(inLane).y();
}

int KyLaneFrame::laneBottomY(int inLane) const
{
    return laneBottom(inLane).y();
}

int KyLaneFrame::laneLength(int inLane) const
{
    const QPoint top = laneTop(inLane);
    const QPoint bottom = laneBottom(inLane);
    // In double the squares stay exact for any on-image length and cannot overflow for
    // saturated end points.
    const double dx = static_cast<double>(bottom.x()) - top.x();
    const double dy = static_cast<double>(bottom.y()) - top.y();
    return KyRounding::truncatedHalfUp(std::sqrt(dx * dx + dy * dy));
}

int KyLaneFrame::laneWidth() const
{
    const double dx = static_cast<double>(mTopRight.x()) - mTopLeft.x();
    const double dy = static_cast<double>(mTopRight.y()) - mTopLeft.y();
    const int width = KyRounding::truncatedHalfUp(std::sqrt(dx * dx + dy * dy)
                                                  / divisorCount(mLaneCount) * mLaneWidthRatio);
    // A ratio of 0 or less (or not a number) leaves a lane of no width, not a negative one.
    return width < 0 ? 0 : width;
}

QVector<QPoint> KyLaneFrame::lanePolygon(int inLane) const
{
    const QPoint top = laneTop(inLane);
    const QPoint bottom = laneBottom(inLane);
    const double dx = static_cast<double>(mTopRight.x()) - mTopLeft.x();
    const double dy = static_cast<double>(mTopRight.y()) - mTopLeft.y();
    // The slope of the top edge; an edge of no length is taken as horizontal. The sides lie on the
    // horizontal through the lane's ends, h / cos(angle) away, which has no finite value for a
    // vertical edge (a stored frame can have one): there the sides lie along the edge, h away.
    double angle = 0.0;
    if (dx != 0.0)
        angle = std::atan(dy / dx);
    else if (dy != 0.0)
        angle = dy > 0.0 ? std::numbers::pi / 2.0 : -std::numbers::pi / 2.0;
    const double h = laneWidth() / 2.0;
    const double offsetX = (dx == 0.0 && dy != 0.0) ? 0.0 : h / std::cos(angle);
    const double sinA = std::sin(angle);

    auto side = [&](const QPoint &inCentre, double inSign) {
        return QPoint(KyRounding::truncatedHalfUp(inCentre.x() + inSign * offsetX),
                      KyRounding::truncatedHalfUp(inCentre.y() + inSign * (sinA * h)));
    };
    return {side(top, -1.0), side(top, 1.0), side(bottom, -1.0), side(bottom, 1.0)};
}

QPointF KyLaneFrame::topEdgeDirection() const
{
    const double dx = static_cast<double>(mTopRight.x()) - mTopLeft.x();
    const double dy = static_cast<double>(mTopRight.y()) - mTopLeft.y();
    const double length = std::sqrt(dx * dx + dy * dy);
    if (length == 0.0)
        return QPointF(1.0, 0.0);
    return QPointF(dx / length, dy / length);
}
