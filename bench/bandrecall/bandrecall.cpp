// How many of the bands a person sees the automatic band detection finds, and how many bands it
// reports where there is none, per shipped parameter set, on generated gels whose bands are known.
//
//   build/bench/band_recall [--gels N] [--seed S] [--sets FILE] [--background rolling|rubber|none]
//                          [--radius MM] [--sigma MIN,MAX] [--lanes N] [--noise F] [--keep FOLDER]
//                          [--misses SET]
//
// Each gel is written as a capture (full size, 40.4 micrometre pixels), opened through the document
// factory, its lanes laid exactly over the painted ones, its background subtracted and its bands
// detected with each set of the file, as the analysis screen does.
//
// A band counts as seen when it stands at least 5 % of its lane's largest value above the
// background and has a peak of its own: close bands whose valley does not fall 10 % below the lower
// of their peaks are one band to the eye, found when any of them is. A detected band is true when
// it spans the centre of some painted band (a faint one too), false otherwise.

#include "analysis/backgroundsubtraction.h"
#include "analysis/kyautobandparametertable.h"
#include "core/lsettings.h"
#include "core/systemsettings.h"
#include "document/kydocument.h"
#include "knownbandgel.h"
#include "samplecapturewriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QMutexLocker>
#include <QPoint>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

namespace {

constexpr int kWidth = 2046;
constexpr int kHeight = 3072;
constexpr double kSeenShare = 0.05;
constexpr double kValleyShare = 0.9;

struct Arguments
{
    int gels = 12;
    quint64 seed = 1;
    QString sets;
    int background = BackgroundSubtraction::kMethod_RollingBall;
    int radiusMm = 20;
    double minSigma = 2.0;
    double maxSigma = 12.0;
    int lanes = 8;
    double noise = 1.0;
    QString keep;
    QString misses; // the set whose missed bands are listed
};

// A group of painted bands that the eye takes for one.
struct SeenBand
{
    int lane;
    std::vector<double> centres; // profile indices
    double height;               // the group's tallest peak above the background, noise-free
    double sigma;                // of its tallest band
    bool counted;                // stands at least kSeenShare of the lane's largest value
    bool strongest;              // holds the lane's strongest band
};

struct Tally
{
    int counted = 0;
    int found = 0;
    int detected = 0;
    int falseBands = 0;
    int lanes = 0;
    int strongestFound = 0;
    std::map<int, std::pair<int, int>> bySigma;  // sigma bin -> (counted, found)
    std::map<int, std::pair<int, int>> byHeight; // height bin -> (counted, found)
    std::vector<int> peakOffsets;
};

int sigmaBin(double inSigma)
{
    static const double edges[] = {3.0, 4.0, 6.0, 9.0};
    int bin = 0;
    while (bin < 4 && inSigma >= edges[bin])
        ++bin;
    return bin;
}
const char *sigmaBinName(int inBin)
{
    static const char *names[] = {"2-3", "3-4", "4-6", "6-9", "9-12+"};
    return names[inBin];
}
int heightBin(double inShare)
{
    return inShare < 0.10 ? 0 : (inShare < 0.30 ? 1 : 2);
}
const char *heightBinName(int inBin)
{
    static const char *names[] = {"5-10 %", "10-30 %", "30-100 %"};
    return names[inBin];
}

std::vector<SeenBand> seenBands(const KnownBandGel &inGel)
{
    std::vector<SeenBand> seen;
    const int top = inGel.FrameTop();
    const int rows = inGel.FrameBottom() - top + 1;
    for (int lane = 0; lane < inGel.LaneCount(); ++lane) {
        std::vector<double> net(static_cast<size_t>(rows));
        for (int j = 0; j < rows; ++j)
            net[size_t(j)] = inGel.NetSignal(lane, top + j);
        const double largest = *std::max_element(net.begin(), net.end());
        std::vector<KnownBandGel::Band> bands;
        for (const KnownBandGel::Band &band : inGel.Bands()) {
            if (band.lane == lane)
                bands.push_back(band);
        }
        std::sort(bands.begin(), bands.end(), [](const auto &a, const auto &b) { return a.row < b.row; });
        const auto heightAt = [&](double inRow) {
            const int j = std::clamp(int(std::lround(inRow)) - top, 0, rows - 1);
            return net[size_t(j)];
        };
        double strongestAmplitude = 0.0;
        for (const auto &band : bands)
            strongestAmplitude = std::max(strongestAmplitude, band.amplitude);

        std::vector<SeenBand> laneSeen;
        double lastRow = 0.0;
        for (const auto &band : bands) {
            const double h = heightAt(band.row);
            bool joins = false;
            if (!laneSeen.empty()) {
                const int from = int(std::lround(lastRow)) - top;
                const int to = int(std::lround(band.row)) - top;
                double valley = net[size_t(from)];
                for (int j = from; j <= to; ++j)
                    valley = std::min(valley, net[size_t(j)]);
                joins = !(valley < kValleyShare * std::min(h, heightAt(lastRow)));
            }
            if (!joins) {
                laneSeen.push_back({lane, {}, 0.0, 0.0, false, false});
            }
            SeenBand &group = laneSeen.back();
            group.centres.push_back(band.row - top);
            if (h > group.height) {
                group.height = h;
                group.sigma = band.sigma;
            }
            group.strongest = group.strongest || band.amplitude == strongestAmplitude;
            lastRow = band.row;
        }
        for (SeenBand &group : laneSeen)
            group.counted = group.height >= kSeenShare * largest;
        seen.insert(seen.end(), laneSeen.begin(), laneSeen.end());
    }
    return seen;
}

void scoreLane(const KnownBandGel &inGel, const std::vector<SeenBand> &inSeen, const KyDocument &inDoc,
               int inLane, Tally &ioTally, bool inListMisses)
{
    ioTally.lanes++;
    std::vector<const SeenBand *> lane;
    for (const SeenBand &group : inSeen) {
        if (group.lane == inLane)
            lane.push_back(&group);
    }
    std::vector<bool> found(lane.size(), false);
    const int count = inDoc.BandCount(0, inLane);
    ioTally.detected += count;
    for (int b = 0; b < count; ++b) {
        const KyBandInfo band = inDoc.Band(0, inLane, b);
        bool spans = false;
        double nearest = 1e9;
        for (const KnownBandGel::Band &painted : inGel.Bands()) {
            if (painted.lane != inLane)
                continue;
            const double centre = painted.row - inGel.FrameTop();
            if (centre >= band.start() && centre <= band.end()) {
                spans = true;
                if (std::abs(centre - band.peak()) < std::abs(nearest))
                    nearest = centre - band.peak();
            }
        }
        if (!spans) {
            ioTally.falseBands++;
            if (inListMisses)
                std::printf("  false: lane %d, %d-%d-%d\n", inLane, band.start(), band.peak(), band.end());
            continue;
        }
        ioTally.peakOffsets.push_back(int(std::lround(std::abs(nearest))));
        for (size_t g = 0; g < lane.size(); ++g) {
            for (double centre : lane[g]->centres) {
                if (centre >= band.start() && centre <= band.end())
                    found[g] = true;
            }
        }
    }
    double largest = 0.0;
    for (const SeenBand *group : lane)
        largest = std::max(largest, group->height);
    for (size_t g = 0; g < lane.size(); ++g) {
        const SeenBand &group = *lane[g];
        if (group.strongest && found[g])
            ioTally.strongestFound++;
        if (!group.counted && !group.strongest)
            continue;
        if (inListMisses && !found[g]) {
            // The miss, its neighbours (distance in the wider one's sigma) and the bands detected
            // around it.
            std::printf("  missed%s: lane %d at %.1f, sigma %.1f, %.0f (%.1f %% of the lane's largest);",
                        group.strongest ? " strongest" : "", inLane, group.centres.front(), group.sigma, group.height,
                        100.0 * group.height / largest);
            for (const KnownBandGel::Band &painted : inGel.Bands()) {
                const double centre = painted.row - inGel.FrameTop();
                const double d = centre - group.centres.front();
                if (painted.lane == inLane && d != 0.0 && std::abs(d) < 6.0 * std::max(painted.sigma, group.sigma))
                    std::printf(" neighbour %+.1f sigma (sigma %.1f, amplitude %.0f);",
                                d / std::max(painted.sigma, group.sigma), painted.sigma, painted.amplitude);
            }
            for (int b = 0; b < count; ++b) {
                const KyBandInfo band = inDoc.Band(0, inLane, b);
                if (std::abs(band.peak() - group.centres.front()) < 100)
                    std::printf(" detected %d-%d-%d;", band.start(), band.peak(), band.end());
            }
            std::printf("\n");
        }
        if (!group.counted)
            continue;
        ioTally.counted++;
        ioTally.found += found[g] ? 1 : 0;
        auto &s = ioTally.bySigma[sigmaBin(group.sigma)];
        s.first++;
        s.second += found[g] ? 1 : 0;
        auto &h = ioTally.byHeight[heightBin(largest > 0 ? group.height / largest : 0.0)];
        h.first++;
        h.second += found[g] ? 1 : 0;
    }
}

void layLanes(KyDocument &ioDoc, const KnownBandGel &inGel)
{
    ioDoc.SetDefaultLanes(inGel.LaneCount(), 0.7);
    const KyLaneFrame frame = ioDoc.LaneFrame();
    const QPoint topLeft(inGel.FrameLeft(), inGel.FrameTop());
    const QPoint topRight(inGel.FrameRight(), inGel.FrameTop());
    const QPoint bottomLeft(inGel.FrameLeft(), inGel.FrameBottom());
    const QPoint bottomRight(inGel.FrameRight(), inGel.FrameBottom());
    ioDoc.MoveLaneCorner(1, topLeft - frame.topLeft());
    ioDoc.MoveLaneCorner(2, topRight - ioDoc.LaneFrame().topRight());
    ioDoc.MoveLaneCorner(3, bottomLeft - ioDoc.LaneFrame().bottomLeft());
    ioDoc.MoveLaneCorner(4, bottomRight - ioDoc.LaneFrame().bottomRight());
}

bool parse(int argc, char **argv, Arguments &out)
{
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        const bool hasValue = i + 1 < argc;
        const QString value = hasValue ? QString::fromLocal8Bit(argv[i + 1]) : QString();
        if (arg == QLatin1String("--gels") && hasValue) {
            out.gels = value.toInt();
        } else if (arg == QLatin1String("--seed") && hasValue) {
            out.seed = value.toULongLong();
        } else if (arg == QLatin1String("--sets") && hasValue) {
            out.sets = value;
        } else if (arg == QLatin1String("--background") && hasValue) {
            if (value == QLatin1String("rolling"))
                out.background = BackgroundSubtraction::kMethod_RollingBall;
            else if (value == QLatin1String("rubber"))
                out.background = BackgroundSubtraction::kMethod_RubberBand;
            else if (value == QLatin1String("none"))
                out.background = BackgroundSubtraction::kMethod_None;
            else
                return false;
        } else if (arg == QLatin1String("--radius") && hasValue) {
            out.radiusMm = value.toInt();
        } else if (arg == QLatin1String("--sigma") && hasValue) {
            const QStringList parts = value.split(QLatin1Char(','));
            if (parts.size() != 2)
                return false;
            out.minSigma = parts.at(0).toDouble();
            out.maxSigma = parts.at(1).toDouble();
        } else if (arg == QLatin1String("--lanes") && hasValue) {
            out.lanes = value.toInt();
        } else if (arg == QLatin1String("--noise") && hasValue) {
            out.noise = value.toDouble();
        } else if (arg == QLatin1String("--misses") && hasValue) {
            out.misses = value;
        } else if (arg == QLatin1String("--keep") && hasValue) {
            out.keep = value;
        } else {
            return false;
        }
        ++i;
    }
    return out.gels > 0 && out.lanes > 0 && out.minSigma > 0 && out.maxSigma >= out.minSigma;
}

void setSystemSetting(const QString &inKey, const QVariant &inValue)
{
    LSettings *store = SystemSettings::instance()->settingsStore();
    QMutexLocker lock(&store->mutex());
    store->setValue(inKey, inValue);
}

} // namespace

int main(int argc, char **argv)
{
    // The settings this program changes stay in a folder of its own.
    QTemporaryDir home;
    if (!home.isValid())
        qFatal("cannot make a temporary folder");
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        ::setenv(name, QFile::encodeName(home.filePath(QLatin1String(name))).constData(), 1);

    QCoreApplication app(argc, argv);
    Arguments args;
    args.sets = QStringLiteral(KY_SOURCE_DIR "/data/Settings/AutoBand.txt");
    if (!parse(argc, argv, args)) {
        std::fprintf(stderr, "usage: band_recall [--gels N] [--seed S] [--sets FILE] [--background rolling|rubber|none]"
                             " [--radius MM] [--sigma MIN,MAX] [--lanes N] [--noise F] [--keep FOLDER] [--misses SET]\n");
        return 2;
    }
    setSystemSetting(QStringLiteral("AutoBandParameterFilePath"), args.sets);
    KyAutoBandParameterTable *table = KyAutoBandParameterTable::instance();
    if (table->count() == 0) {
        std::fprintf(stderr, "no parameter sets in %s\n", qPrintable(args.sets));
        return 1;
    }
    std::vector<KyBandDetectParameter> sets;
    for (int i = 0; i < table->count(); ++i)
        sets.push_back(table->parameter(0, i));

    const QString folder = args.keep.isEmpty() ? home.filePath(QStringLiteral("gels")) : args.keep;
    std::vector<Tally> tallies(sets.size());
    KnownBandGel::Options options;
    options.laneCount = args.lanes;
    options.minSigma = args.minSigma;
    options.maxSigma = args.maxSigma;
    options.noise = args.noise;
    for (int g = 0; g < args.gels; ++g) {
        const quint64 seed = args.seed + quint64(g);
        // Every other gel has a flat background that only slopes.
        options.curvedBackground = g % 2 == 0;
        const KnownBandGel gel(kWidth, kHeight, seed, options);
        SampleCaptureWriter writer(kWidth, kHeight, seed);
        const QString capture = writer.WriteKnownBands(gel, folder + QStringLiteral("/%1").arg(seed));
        if (capture.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(writer.ErrorText()));
            return 1;
        }
        const std::vector<SeenBand> seen = seenBands(gel);
        std::unique_ptr<KyDocument> doc(KyDocument::Create(capture));
        if (!doc) {
            std::fprintf(stderr, "cannot open %s\n", qPrintable(capture));
            return 1;
        }
        layLanes(*doc, gel);
        doc->ExtractLaneProfiles();
        doc->ApplyBackground(args.background, args.radiusMm, true);
        for (size_t s = 0; s < sets.size(); ++s) {
            if (sets[s].name == args.misses)
                std::printf("gel %llu (%s background):\n", static_cast<unsigned long long>(seed),
                            options.curvedBackground ? "curved" : "flat");
            doc->DetectBands(0, sets[s], sets[s]);
            for (int lane = 0; lane < gel.LaneCount(); ++lane)
                scoreLane(gel, seen, *doc, lane, tallies[s], sets[s].name == args.misses);
        }
    }

    static const char *backgrounds[] = {"none", "rubber band", "minimum profile", "rolling ball"};
    std::printf("%d gels of %d lanes, %d x %d pixels of 40.4 um, band sigma %.1f-%.1f px, noise x%.1f, background %s",
                args.gels, args.lanes, kWidth, kHeight, args.minSigma, args.maxSigma, args.noise,
                backgrounds[args.background]);
    if (args.background == BackgroundSubtraction::kMethod_RollingBall)
        std::printf(" (radius %d mm)", args.radiusMm);
    std::printf("\nsets from %s\n\n", qPrintable(args.sets));
    std::printf("%-10s %8s %8s %8s %9s %8s %9s %10s %12s\n", "set", "seen", "found", "recall", "detected", "false",
                "precision", "strongest", "peak off max");
    for (size_t s = 0; s < sets.size(); ++s) {
        const Tally &t = tallies[s];
        const int trueBands = t.detected - t.falseBands;
        const int offMax = t.peakOffsets.empty() ? 0 : *std::max_element(t.peakOffsets.begin(), t.peakOffsets.end());
        std::printf("%-10s %8d %8d %7.1f%% %9d %8d %8.1f%% %5d/%-4d %12d\n", qPrintable(sets[s].name), t.counted,
                    t.found, t.counted ? 100.0 * t.found / t.counted : 0.0, t.detected, t.falseBands,
                    t.detected ? 100.0 * trueBands / t.detected : 100.0, t.strongestFound, t.lanes, offMax);
    }
    std::printf("\nrecall by band sigma (px) and by height (share of the lane's largest value):\n");
    for (size_t s = 0; s < sets.size(); ++s) {
        const Tally &t = tallies[s];
        std::printf("%-10s", qPrintable(sets[s].name));
        for (const auto &[bin, cf] : t.bySigma)
            std::printf("  %s: %d/%d", sigmaBinName(bin), cf.second, cf.first);
        std::printf("  |");
        for (const auto &[bin, cf] : t.byHeight)
            std::printf("  %s: %d/%d", heightBinName(bin), cf.second, cf.first);
        std::printf("\n");
    }
    return 0;
}
