#pragma once

#include <vector>

// Where the lanes of a gel lie in an image of a given size, and how their signal is drawn: lanes run
// from the wells at the top down the image, side by side across it. Across a lane the signal has a
// flat top with soft edges, and bands bend slightly towards the lane edges (a gel's "smile").
//
// The gel lies where the analysis screen lays its default lanes (KyLaneFrame::setDefault) for the
// same lane count and width ratio: each lane under one lane of that frame, a little narrower, and
// the run from the frame's top edge to its bottom edge. A capture opened for the first time then
// shows a frame that fits.
class LaneLayout
{
public:
    // One band along a lane: position 0 (top end of the run) to 1 (bottom end), width (Gaussian
    // sigma as a share of the run's length) and height at its peak.
    struct Band
    {
        double position;
        double sigma;
        double height;
    };

    LaneLayout(int inWidth, int inHeight, int inLaneCount, double inLaneWidthRatio);

    int Width() const { return width; }
    int Height() const { return height; }
    int LaneCount() const { return laneCount; }

    // Position of a molecular weight (kDa) along the run: log-linear, heavy bands near the top.
    static double PositionOfWeight(double inKDa);

    // A lane's profile along the rows: its bands plus a smear that fades down the lane.
    std::vector<float> Profile(const std::vector<Band> &inBands, double inSmear) const;

    // Adds every lane's profile (an empty profile adds nothing) to a plane of Width x Height values,
    // row-major, shaped across each lane.
    void Paint(const std::vector<std::vector<float>> &inProfiles, float *ioPlane) const;

private:
    int width;
    int height;
    int laneCount;
    double top;
    double bottom;
    std::vector<int> laneOfColumn;    // -1 between lanes
    std::vector<float> columnWeight;  // share of the lane's signal in the column
    std::vector<int> columnShift;     // rows the bands sink by in the column
};
