#include "knownbandgel.h"

#include "samplerandom.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTopLevel = 65535.0;
constexpr double kPi = 3.14159265358979323846;

// Random streams, one per purpose, so that the noise does not move the bands.
enum Stream : quint64 {
    kBandStream = 101,
    kBackgroundStream,
    kNoiseStream,
};

quint64 streamSeed(quint64 inSeed, quint64 inStream)
{
    return inSeed * 0x9E3779B97F4A7C15ULL + inStream;
}

double logUniform(SampleRandom &ioRandom, double inLow, double inHigh)
{
    return std::exp(ioRandom.Uniform(std::log(inLow), std::log(inHigh)));
}

// A band's Gaussian reaches this many sigmas before it is left out of the sums.
constexpr double kReach = 6.0;

} // namespace

KnownBandGel::KnownBandGel(int inWidth, int inHeight, quint64 inSeed, const Options &inOptions,
                           const std::vector<Band> &inBands)
    : width(inWidth)
    , height(inHeight)
    , seed(inSeed)
    , options(inOptions)
{
    options.laneCount = std::max(1, options.laneCount);
    left = int(std::lround(0.04 * width));
    right = int(std::lround(0.96 * width));
    top = int(std::lround(0.03 * height));
    bottom = int(std::lround(0.97 * height)) - 1;

    SampleRandom backgroundRandom(streamSeed(seed, kBackgroundStream));
    backgroundLevel = backgroundRandom.Uniform(1500.0, 5000.0);
    slopeDown = backgroundRandom.Uniform(-1.0, 1.0) * 2500.0;
    slopeAcross = backgroundRandom.Uniform(-1.0, 1.0) * 1500.0;
    bend = options.curvedBackground ? backgroundRandom.Uniform(1500.0, 4000.0) : 0.0;
    // The room a band has above the highest background of the image.
    const double room = kTopLevel - (backgroundLevel + std::abs(slopeDown) + std::abs(slopeAcross) + bend);

    SampleRandom random(streamSeed(seed, kBandStream));
    const double margin = 6.0 * options.maxSigma + 20.0;
    const double runTop = top + margin;
    const double runBottom = bottom - margin;
    for (const Band &band : inBands) {
        if (band.lane >= 0 && band.lane < options.laneCount && band.sigma > 0.0)
            bands.push_back(band);
    }
    for (int lane = 0; inBands.empty() && lane < options.laneCount; ++lane) {
        const int count = options.minBands
                          + int(random.Uniform() * (options.maxBands - options.minBands + 1));
        const double strongest = room * random.Uniform(options.minStrongest, options.maxStrongest);
        const int strongestIndex = int(random.Uniform() * count);
        const double slot = (runBottom - runTop) / count;
        std::vector<Band> laneBands;
        for (int i = 0; i < count; ++i) {
            Band band;
            band.lane = lane;
            band.sigma = logUniform(random, options.minSigma, options.maxSigma);
            band.amplitude = i == strongestIndex ? strongest
                                                 : strongest * logUniform(random, options.weakest, 1.0);
            const double slotRow = runTop + (i + random.Uniform(0.25, 0.75)) * slot;
            if (!laneBands.empty() && random.Uniform() < options.closeShare) {
                const Band &before = laneBands.back();
                band.row = before.row + 2.5 * std::max(before.sigma, band.sigma);
            } else {
                band.row = slotRow;
                // Keep at least the close-pair distance from the band before.
                if (!laneBands.empty()) {
                    const Band &before = laneBands.back();
                    band.row = std::max(band.row, before.row + 2.5 * std::max(before.sigma, band.sigma));
                }
            }
            if (band.row > runBottom)
                break;
            laneBands.push_back(band);
        }
        bands.insert(bands.end(), laneBands.begin(), laneBands.end());
    }

    laneSignals.assign(size_t(options.laneCount), std::vector<double>(size_t(height), 0.0));
    for (const Band &band : bands) {
        std::vector<double> &signal = laneSignals[size_t(band.lane)];
        const int from = std::max(0, int(std::floor(band.row - kReach * band.sigma)));
        const int to = std::min(height - 1, int(std::ceil(band.row + kReach * band.sigma)));
        for (int y = from; y <= to; ++y) {
            const double u = (y - band.row) / band.sigma;
            signal[size_t(y)] += band.amplitude * std::exp(-0.5 * u * u);
        }
    }
}

double KnownBandGel::Background(int inX, int inY) const
{
    const double u = double(inX) / std::max(1, width - 1);
    const double v = double(inY) / std::max(1, height - 1);
    // A slope down and across, and a bend down the lanes that is lowest in the middle.
    const double w = 2.0 * v - 1.0;
    return backgroundLevel + slopeDown * v + slopeAcross * u + bend * w * w;
}

double KnownBandGel::LaneSignal(int inLane, int inRow) const
{
    if (inLane < 0 || inLane >= options.laneCount || inRow < 0 || inRow >= height)
        return 0.0;
    return laneSignals[size_t(inLane)][size_t(inRow)];
}

int KnownBandGel::LaneCentre(int inLane) const
{
    const double pitch = double(right - left) / options.laneCount;
    return int(left + pitch * (inLane + 0.5) + 0.5);
}

double KnownBandGel::NetSignal(int inLane, int inRow) const
{
    const double background = Background(LaneCentre(inLane), inRow);
    return std::min(background + LaneSignal(inLane, inRow), kTopLevel) - background;
}

void KnownBandGel::Paint(quint16 *outPixels) const
{
    // Across the image: which lane a column belongs to and how much of its signal it shows (flat
    // over the lane's middle, falling off softly towards its neighbours).
    const double pitch = double(right - left) / options.laneCount;
    std::vector<int> laneOfColumn(size_t(width), -1);
    std::vector<double> weightOfColumn(size_t(width), 0.0);
    for (int x = 0; x < width; ++x) {
        const double position = (x - left) / pitch;
        const int lane = int(std::floor(position));
        if (lane < 0 || lane >= options.laneCount)
            continue;
        const double off = std::abs(position - (lane + 0.5)); // 0 at the centre, 0.5 at the edge
        const double flat = kFlatShare / 2.0;
        double weight = 1.0;
        if (off > flat)
            weight = 0.5 + 0.5 * std::cos(kPi * (off - flat) / (0.5 - flat));
        laneOfColumn[size_t(x)] = lane;
        weightOfColumn[size_t(x)] = weight;
    }

    // Shot noise of a photon-counting camera (a variance that grows with the signal) and the read
    // noise of its electronics.
    constexpr double kGain = 1.5;
    constexpr double kRead = 25.0;
    SampleRandom random(streamSeed(seed, kNoiseStream));
    for (int y = 0; y < height; ++y) {
        quint16 *row = outPixels + qsizetype(y) * width;
        for (int x = 0; x < width; ++x) {
            const int lane = laneOfColumn[size_t(x)];
            double value = Background(x, y);
            if (lane >= 0)
                value += weightOfColumn[size_t(x)] * laneSignals[size_t(lane)][size_t(y)];
            if (options.noise > 0.0)
                value += options.noise * std::sqrt(kGain * std::max(value, 0.0) + kRead * kRead) * random.Normal();
            row[x] = quint16(std::clamp(std::floor(value + 0.5), 0.0, kTopLevel));
        }
    }
}
