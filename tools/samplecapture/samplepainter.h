#pragma once

#include "lanelayout.h"

#include <QImage>
#include <QtGlobal>

#include <vector>

// The pixels of the sample captures: gels of five lanes (lane 1 a molecular-weight ladder) drawn
// as the instrument would record them, with its dark offset, uneven background and noise. The same
// seed always gives the same pixels; each capture draws from random streams of its own, so one
// capture's pixels do not depend on which others are drawn.
class SamplePainter
{
public:
    // The analysis screen's default lanes (its settings LaneCount and LaneWidth): the gel is laid
    // under them.
    static constexpr int kLaneCount = 5;
    static constexpr double kLaneWidthRatio = 0.7;

    // Band weights (kDa) of the ladder in lane 1, from the top down; the band at index
    // kReferenceBand is the ladder's brighter reference band.
    static const std::vector<double> &LadderWeights();
    static constexpr int kReferenceBand = 3;

    SamplePainter(int inWidth, int inHeight, quint64 inSeed, int inDarkOffset);

    // What the blot's lanes hold, from lane 1 (the ladder) on: their bands and the smear down
    // each lane, as PaintBlot draws them. Tests take it as the known band layout.
    struct LaneSignal
    {
        std::vector<LaneLayout::Band> bands;
        double smear = 0.0;
    };
    std::vector<LaneSignal> BlotLanes() const;

    // A chemiluminescent blot: sloped background with a soft blotch, the ladder, a dilution series of
    // one protein over lanes 2 to 5 whose strongest band saturates, a loading control and a few
    // weaker bands per lane.
    void PaintBlot(quint16 *outPixels) const;

    // The blot's membrane in white light, as the three colour exposures give it: the grey marker
    // image (65535 minus the mean of the exposures, so the stained ladder is bright on a darker
    // background) and the colour picture of the membrane (24-bit RGB).
    void PaintMarker(quint16 *outGrey, QImage &outColour) const;

    // One channel (0 blue, 1 green, 2 red) of a fluorescent blot: each channel shows its own bands.
    void PaintFluorescence(int inChannel, quint16 *outPixels) const;

    // A stained gel in transmitted white light: the grey image (65535 minus the mean of the three
    // colour exposures) and the colour picture (24-bit RGB).
    void PaintStainedGel(quint16 *outGrey, QImage &outColour) const;

private:
    quint64 StreamSeed(quint64 inStream) const;

    int width;
    int height;
    quint64 seed;
    int darkOffset;
    // Each lane runs a little faster or slower than the others.
    std::vector<double> laneOffset;
};
