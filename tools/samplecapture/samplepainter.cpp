#include "samplepainter.h"

#include "lanelayout.h"
#include "samplerandom.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

using Band = LaneLayout::Band;
using Profiles = std::vector<std::vector<float>>;

constexpr double kLn10 = 2.302585092994046;

// Random streams, one per purpose.
enum Stream : quint64 {
    kLaneStream = 1,
    kBlotBands,
    kBlotNoise,
    kMarkerNoise,
    kFluorBands,
    kFluorNoise = kFluorBands + 3,
    kStainBands = kFluorNoise + 3,
    kStainNoise,
    kFluorPattern,
};

quint16 toPixel(double inValue)
{
    return quint16(std::clamp(std::floor(inValue + 0.5), 0.0, 65535.0));
}

uchar toByte(double inValue)
{
    return uchar(std::clamp(std::floor(inValue + 0.5), 0.0, 255.0));
}

// The ladder's bands at the given heights (the reference band twice as strong), shifted by the
// lane's offset.
std::vector<Band> ladderBands(double inHeight, double inSigma, double inOffset, SampleRandom *ioRandom)
{
    std::vector<Band> bands;
    const std::vector<double> &weights = SamplePainter::LadderWeights();
    for (size_t i = 0; i < weights.size(); ++i) {
        double h = inHeight * (ioRandom ? ioRandom->Uniform(0.85, 1.15) : 1.0);
        if (int(i) == SamplePainter::kReferenceBand)
            h *= 2.2;
        bands.push_back({LaneLayout::PositionOfWeight(weights[i]) + inOffset, inSigma, h});
    }
    return bands;
}

// A weight whose band keeps clear of the given positions.
double freeWeight(SampleRandom &ioRandom, const std::vector<double> &inTaken)
{
    for (;;) {
        const double kDa = std::pow(10.0, ioRandom.Uniform(std::log10(12.0), std::log10(200.0)));
        const double p = LaneLayout::PositionOfWeight(kDa);
        if (std::none_of(inTaken.begin(), inTaken.end(), [p](double t) { return std::abs(p - t) < 0.03; }))
            return kDa;
    }
}

// Tables of the illumination across and down the image: the light falls off towards the corners.
void illumination(int inWidth, int inHeight, double inFalloff, std::vector<double> &outX, std::vector<double> &outY)
{
    outX.resize(size_t(inWidth));
    outY.resize(size_t(inHeight));
    for (int x = 0; x < inWidth; ++x) {
        const double u = 2.0 * (x + 0.5) / inWidth - 1.0;
        outX[size_t(x)] = -inFalloff * u * u;
    }
    for (int y = 0; y < inHeight; ++y) {
        const double v = 2.0 * (y + 0.5) / inHeight - 1.0;
        outY[size_t(y)] = 1.0 - inFalloff * v * v;
    }
}

} // namespace

const std::vector<double> &SamplePainter::LadderWeights()
{
    static const std::vector<double> weights{225, 140, 95, 68, 48, 34, 24, 17, 12, 9};
    return weights;
}

SamplePainter::SamplePainter(int inWidth, int inHeight, quint64 inSeed, int inDarkOffset)
    : width(inWidth)
    , height(inHeight)
    , seed(inSeed)
    , darkOffset(inDarkOffset)
{
    SampleRandom random(StreamSeed(kLaneStream));
    for (int lane = 0; lane < kLaneCount; ++lane)
        laneOffset.push_back(random.Uniform(-0.004, 0.004));
}

quint64 SamplePainter::StreamSeed(quint64 inStream) const
{
    return seed * 0x9e3779b97f4a7c15ULL + inStream * 0xd1b54a32d192ed03ULL;
}

std::vector<SamplePainter::LaneSignal> SamplePainter::BlotLanes() const
{
    SampleRandom random(StreamSeed(kBlotBands));
    std::vector<LaneSignal> lanes(kLaneCount);
    lanes[0] = {ladderBands(11000.0, 0.0032, laneOffset[0], &random), 80.0};
    // The dilution series: the first sample lane holds far more than the camera takes.
    const std::array<double, kLaneCount - 1> target{140000, 30000, 10000, 3500};
    const double targetAt = LaneLayout::PositionOfWeight(52.0);
    const double controlAt = LaneLayout::PositionOfWeight(37.0);
    for (int lane = 1; lane < kLaneCount; ++lane) {
        const double offset = laneOffset[size_t(lane)];
        std::vector<Band> bands{
            {targetAt + offset, 0.0042, target[size_t(lane - 1)] * random.Uniform(0.92, 1.08)},
            {controlAt + offset, 0.0038, 15000.0 * random.Uniform(0.85, 1.15)},
        };
        // Weaker bands, each clear of the lane's other bands.
        std::vector<double> taken{targetAt, controlAt};
        for (int i = 0; i < 3; ++i) {
            const double kDa = freeWeight(random, taken);
            taken.push_back(LaneLayout::PositionOfWeight(kDa));
            bands.push_back({taken.back() + offset, random.Uniform(0.0030, 0.0050), random.Uniform(1200.0, 6000.0)});
        }
        lanes[size_t(lane)] = {bands, 300.0 * random.Uniform(0.7, 1.3)};
    }
    return lanes;
}

void SamplePainter::PaintBlot(quint16 *outPixels) const
{
    const LaneLayout layout(width, height, kLaneCount, kLaneWidthRatio);
    const std::vector<LaneSignal> lanes = BlotLanes();
    Profiles profiles(kLaneCount);
    for (int lane = 0; lane < kLaneCount; ++lane)
        profiles[size_t(lane)] = layout.Profile(lanes[size_t(lane)].bands, lanes[size_t(lane)].smear);
    std::vector<float> signal(size_t(width) * size_t(height), 0.0f);
    layout.Paint(profiles, signal.data());

    // Background: a plane sloping down and across the membrane, and a soft blotch.
    std::vector<double> slopeX(static_cast<size_t>(width)), blotchX(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) {
        slopeX[size_t(x)] = 700.0 * x / width;
        const double u = (x - 0.7 * width) / (0.3 * width);
        blotchX[size_t(x)] = std::exp(-u * u);
    }
    SampleRandom noise(StreamSeed(kBlotNoise));
    for (int y = 0; y < height; ++y) {
        const double v = (y - 0.3 * height) / (0.25 * height);
        const double rowBase = darkOffset + 1400.0 + 1600.0 * y / height;
        const double rowBlotch = 500.0 * std::exp(-v * v);
        const float *in = signal.data() + size_t(y) * size_t(width);
        quint16 *out = outPixels + size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x) {
            const double s = rowBase + slopeX[size_t(x)] + rowBlotch * blotchX[size_t(x)] + in[x];
            // Read noise and the signal's own shot noise.
            const double sigma = std::sqrt(625.0 + 1.5 * (s - darkOffset));
            out[x] = toPixel(s + sigma * noise.Normal());
        }
    }
}

void SamplePainter::PaintMarker(quint16 *outGrey, QImage &outColour) const
{
    const LaneLayout layout(width, height, kLaneCount, kLaneWidthRatio);
    // The prestained ladder: mostly blue bands, the reference band red, one green band.
    // Absorbance at the band peak in the red, green and blue exposures.
    const std::array<double, 3> blue{0.9, 0.7, 0.15};
    const std::array<double, 3> red{0.1, 0.8, 0.7};
    const std::array<double, 3> green{0.8, 0.15, 0.7};
    std::array<std::vector<float>, 3> absorbance;
    for (int c = 0; c < 3; ++c) {
        std::vector<Band> bands = ladderBands(1.0, 0.0045, laneOffset[0], nullptr);
        for (size_t i = 0; i < bands.size(); ++i) {
            const std::array<double, 3> &colour = int(i) == kReferenceBand ? red : i == 6 ? green : blue;
            bands[i].height = colour[size_t(c)];
        }
        Profiles profiles(kLaneCount);
        profiles[0] = layout.Profile(bands, 0.0);
        absorbance[size_t(c)].assign(size_t(width) * size_t(height), 0.0f);
        layout.Paint(profiles, absorbance[size_t(c)].data());
    }

    // The membrane is a slightly warm white; the epi light falls off towards the corners.
    const std::array<double, 3> membrane{0.93, 0.92, 0.88};
    std::vector<double> lightX, lightY;
    illumination(width, height, 0.09, lightX, lightY);
    outColour = QImage(width, height, QImage::Format_RGB888);
    SampleRandom noise(StreamSeed(kMarkerNoise));
    for (int y = 0; y < height; ++y) {
        const size_t rowStart = size_t(y) * size_t(width);
        quint16 *grey = outGrey + rowStart;
        uchar *rgb = outColour.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const double light = lightY[size_t(y)] + lightX[size_t(x)];
            double sum = 0.0;
            for (int c = 0; c < 3; ++c) {
                const float a = absorbance[size_t(c)][rowStart + size_t(x)];
                const double reflected = membrane[size_t(c)] * light * (a > 0.0f ? std::exp(-kLn10 * a) : 1.0);
                const double s = 56000.0 * reflected;
                sum += toPixel(darkOffset + s + std::sqrt(400.0 + 1.2 * s) * noise.Normal());
                rgb[3 * x + c] = toByte(255.0 * reflected);
            }
            // The grey marker image as the instrument composes it from the three exposures.
            grey[x] = quint16(std::clamp(std::trunc(65535.0 - sum / 3.0 + 0.5), 0.0, 65535.0));
        }
    }
}

void SamplePainter::PaintFluorescence(int inChannel, quint16 *outPixels) const
{
    const LaneLayout layout(width, height, kLaneCount, kLaneWidthRatio);
    const int c = std::clamp(inChannel, 0, 2);
    SampleRandom random(StreamSeed(kFluorBands + quint64(c)));
    // The blue channel shows the sample's many proteins alike in every lane: one pattern for all.
    SampleRandom pattern(StreamSeed(kFluorPattern));

    const std::array<double, 3> ladderHeight{2000, 6000, 12000};
    Profiles profiles(kLaneCount);
    profiles[0] = layout.Profile(ladderBands(ladderHeight[size_t(c)], 0.0032, laneOffset[0], &random), 60.0);

    std::vector<Band> common;
    for (int i = 0; i < 10; ++i) {
        const double kDa = std::pow(10.0, pattern.Uniform(std::log10(10.0), std::log10(220.0)));
        common.push_back({LaneLayout::PositionOfWeight(kDa), pattern.Uniform(0.0030, 0.0050), pattern.Uniform(800.0, 5000.0)});
    }
    const std::array<double, kLaneCount - 1> rising{4000, 12000, 24000, 40000};
    const std::array<double, 3> smear{400, 150, 100};
    for (int lane = 1; lane < kLaneCount; ++lane) {
        const double offset = laneOffset[size_t(lane)];
        std::vector<Band> bands;
        if (c == 0) {
            const double amount = random.Uniform(0.8, 1.2);
            for (const Band &band : common)
                bands.push_back({band.position + offset, band.sigma, band.height * amount});
        } else if (c == 1) {
            bands.push_back({LaneLayout::PositionOfWeight(60.0) + offset, 0.0040,
                             rising[size_t(lane - 1)] * random.Uniform(0.93, 1.07)});
        } else {
            bands.push_back({LaneLayout::PositionOfWeight(30.0) + offset, 0.0036, 20000.0 * random.Uniform(0.9, 1.1)});
            if (lane >= 3)
                bands.push_back({LaneLayout::PositionOfWeight(100.0) + offset, 0.0045, 3000.0 * random.Uniform(0.8, 1.2)});
        }
        profiles[size_t(lane)] = layout.Profile(bands, smear[size_t(c)] * random.Uniform(0.7, 1.3));
    }
    std::vector<float> signal(size_t(width) * size_t(height), 0.0f);
    layout.Paint(profiles, signal.data());

    // Autofluorescence of the membrane: strongest in blue light.
    const std::array<double, 3> base{900, 450, 250};
    const std::array<double, 3> slopeAcross{300, 200, 150};
    const std::array<double, 3> slopeDown{500, 250, 200};
    std::vector<double> across(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x)
        across[size_t(x)] = slopeAcross[size_t(c)] * x / width;
    SampleRandom noise(StreamSeed(kFluorNoise + quint64(c)));
    for (int y = 0; y < height; ++y) {
        const double rowBase = darkOffset + base[size_t(c)] + slopeDown[size_t(c)] * y / height;
        const float *in = signal.data() + size_t(y) * size_t(width);
        quint16 *out = outPixels + size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x) {
            const double s = rowBase + across[size_t(x)] + in[x];
            out[x] = toPixel(s + std::sqrt(400.0 + 1.2 * (s - darkOffset)) * noise.Normal());
        }
    }
}

void SamplePainter::PaintStainedGel(quint16 *outGrey, QImage &outColour) const
{
    const LaneLayout layout(width, height, kLaneCount, kLaneWidthRatio);
    SampleRandom random(StreamSeed(kStainBands));
    // Absorbance of the stained proteins; the stain takes red and green light, passes blue.
    Profiles profiles(kLaneCount);
    profiles[0] = layout.Profile(ladderBands(0.3, 0.0035, laneOffset[0], &random), 0.02);
    std::vector<Band> pattern;
    for (int i = 0; i < 12; ++i) {
        const double kDa = std::pow(10.0, random.Uniform(std::log10(10.0), std::log10(220.0)));
        pattern.push_back({LaneLayout::PositionOfWeight(kDa), random.Uniform(0.0030, 0.0055), random.Uniform(0.08, 0.6)});
    }
    for (int lane = 1; lane < kLaneCount; ++lane) {
        const double amount = random.Uniform(0.6, 1.4);
        std::vector<Band> bands;
        for (const Band &band : pattern)
            bands.push_back({band.position + laneOffset[size_t(lane)], band.sigma, band.height * amount});
        profiles[size_t(lane)] = layout.Profile(bands, 0.05 * amount);
    }
    std::vector<float> absorbance(size_t(width) * size_t(height), 0.0f);
    layout.Paint(profiles, absorbance.data());

    const std::array<double, 3> take{1.0, 0.85, 0.3}; // red, green, blue
    std::vector<double> lightX, lightY;
    illumination(width, height, 0.05, lightX, lightY);
    outColour = QImage(width, height, QImage::Format_RGB888);
    SampleRandom noise(StreamSeed(kStainNoise));
    for (int y = 0; y < height; ++y) {
        // The gel itself absorbs a little, more towards its thicker lower end.
        const double gel = 0.05 + 0.04 * y / height;
        const size_t rowStart = size_t(y) * size_t(width);
        quint16 *grey = outGrey + rowStart;
        uchar *rgb = outColour.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const double light = lightY[size_t(y)] + lightX[size_t(x)];
            const double a = gel + absorbance[rowStart + size_t(x)];
            double sum = 0.0;
            for (int c = 0; c < 3; ++c) {
                const double passed = light * std::exp(-kLn10 * take[size_t(c)] * a);
                const double s = 54000.0 * passed;
                sum += toPixel(darkOffset + s + std::sqrt(400.0 + 1.0 * s) * noise.Normal());
                rgb[3 * x + c] = toByte(255.0 * passed);
            }
            grey[x] = quint16(std::clamp(std::trunc(65535.0 - sum / 3.0 + 0.5), 0.0, 65535.0));
        }
    }
}
