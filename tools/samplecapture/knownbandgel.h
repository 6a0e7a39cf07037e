#pragma once

#include <QtGlobal>

#include <vector>

// A gel whose every band is known, for measuring band detection: straight lanes of Gaussian bands
// of chosen widths and heights, some of them close pairs, over a sloped and curved background with
// shot and read noise. Detected bands are compared with Bands(); a lane frame through FrameLeft()
// .. FrameBottom() with LaneCount() lanes lies exactly over the painted lanes, and profile point j
// of a lane is image row FrameTop() + j.
class KnownBandGel
{
public:
    struct Options
    {
        int laneCount = 8;
        // Band widths (Gaussian sigma, pixels along the lane), drawn log-uniformly.
        double minSigma = 2.0;
        double maxSigma = 12.0;
        // Bands per lane, drawn uniformly; below the detection's cap of bands per lane.
        int minBands = 6;
        int maxBands = 18;
        // Each lane's strongest band, as a share of the room between the background and the top
        // grey level (above 1 it saturates), and the weakest band as a share of that strongest one.
        double minStrongest = 0.35;
        double maxStrongest = 1.4;
        double weakest = 0.03;
        // Share of the bands placed 2.5 sigma (the wider one's) below the band before them.
        double closeShare = 0.25;
        // Multiplies the shot and read noise; 0 paints noise-free pixels.
        double noise = 1.0;
        // A background that bends down the lanes as well as sloping.
        bool curvedBackground = true;
    };

    struct Band
    {
        int lane;
        double row;       // centre, image row
        double sigma;     // pixels
        double amplitude; // grey levels above the background, before the top grey level clips it
    };

    // Bands drawn at random from the options' ranges, or, when inBands is not empty, those bands
    // (rows are image rows; lanes outside the options' lane count are left out).
    KnownBandGel(int inWidth, int inHeight, quint64 inSeed, const Options &inOptions,
                 const std::vector<Band> &inBands = {});

    int Width() const { return width; }
    int Height() const { return height; }
    int LaneCount() const { return options.laneCount; }
    const Options &GelOptions() const { return options; }

    // The lane frame over the painted lanes: its outer columns and its first and last rows.
    int FrameLeft() const { return left; }
    int FrameRight() const { return right; }
    int FrameTop() const { return top; }
    int FrameBottom() const { return bottom; }
    // The share of a lane's pitch that lies on its flat signal: a frame whose lane width ratio is
    // at most this samples every band at its full height.
    static constexpr double kFlatShare = 0.8;

    // Every band, lane by lane, from the top of each lane down.
    const std::vector<Band> &Bands() const { return bands; }

    // The background grey level at a pixel, noise-free.
    double Background(int inX, int inY) const;
    // What a lane's profile shows above the background at a row without noise: its bands' sum,
    // clipped where background and bands reach the top grey level (measured on the lane's centre
    // column, where the background is that of the lane).
    double NetSignal(int inLane, int inRow) const;

    // Paints Width() x Height() pixels, row by row.
    void Paint(quint16 *outPixels) const;

private:
    double LaneSignal(int inLane, int inRow) const;
    int LaneCentre(int inLane) const;

    int width;
    int height;
    quint64 seed;
    Options options;
    int left;
    int right;
    int top;
    int bottom;
    double backgroundLevel;
    double slopeDown;
    double slopeAcross;
    double bend;
    std::vector<Band> bands;
    std::vector<std::vector<double>> laneSignals; // per lane, per row
};
