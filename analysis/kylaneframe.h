#pragma once

#include <QPoint>
#include <QPointF>
#include <QVector>

// Where the lanes of a gel lie in an image: a quadrilateral of four corners in image pixels,
// divided into laneCount equally spaced lanes whose width is a fraction of the lane pitch. Every
// piece of lane geometry (centre lines, lengths, width, outlines) is derived here, so that the
// profiles, the overlays and the stored analysis agree on the same pixels.
//
// Geometry is meant for frames with laneCount >= 1 (callers test isEmpty first). Degenerate
// frames still give defined values: an empty frame is measured as a single lane, a zero-length
// top edge counts as horizontal, a width ratio of 0 or less gives width 0, and coordinates that
// leave the int range saturate.
class KyLaneFrame
{
public:
    KyLaneFrame();

    void set(int inCount, double inRatio, const QPoint &inTopLeft, const QPoint &inTopRight,
             const QPoint &inBottomLeft, const QPoint &inBottomRight);
    // The frame placed when the user asks for new lanes on an image of width x height pixels.
    void setDefault(int inCount, double inRatio, int inWidth, int inHeight);
    void clear();

    void setTopLeft(const QPoint &inPoint);
    void setTopRight(const QPoint &inPoint);
    void setBottomLeft(const QPoint &inPoint);
    void setBottomRight(const QPoint &inPoint);
    void setLaneCount(int inCount);
    void setLaneWidthRatio(double inRatio);

    QPoint topLeft() const { return mTopLeft; }
    QPoint topRight() const { return mTopRight; }
    QPoint bottomLeft() const { return mBottomLeft; }
    QPoint bottomRight() const { return mBottomRight; }
    int laneCount() const { return mLaneCount; }
    double laneWidthRatio() const { return mLaneWidthRatio; }
    bool isEmpty() const { return mLaneCount < 1; }

    // Ends of lane's centre line on the top and the bottom edge.
    QPoint laneTop(int inLane) const;
    QPoint laneBottom(int inLane) const;
    int laneTopY(int inLane) const;
    int laneBottomY(int inLane) const;
    // Length of lane's centre line in pixels (rounded).
    int laneLength(int inLane) const;
    // Width of every lane in pixels, taken from the top edge; never below 0.
    int laneWidth() const;
    // Outline of a lane: top-left side, top-right side, bottom-left side, bottom-right side
    // (not a closed walk around it).
    QVector<QPoint> lanePolygon(int inLane) const;
    // Unit vector along the top edge, in which every lane is sampled across; (1, 0) when the top
    // edge has no length.
    QPointF topEdgeDirection() const;

private:
    QPoint mTopLeft;
    QPoint mTopRight;
    QPoint mBottomLeft;
    QPoint mBottomRight;
    int mLaneCount;
    double mLaneWidthRatio;
};
