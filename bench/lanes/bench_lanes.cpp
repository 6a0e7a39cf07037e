// Lane profiles of 25 lanes over a 2046 x 3072 capture and their rolling-ball backgrounds.
// The counter "per_lane" is the wall time per lane. At the end the profiles' times are printed as
// multiples of a memcpy of the image; numpy_profiles.py beside this file times numpy's column
// mean over the same lanes of frame 0, for a figure from outside the program.
// skimage_rollingball.py times scikit-image's rolling ball on the very profiles of frame 0, which
// --write-profiles saves (25 x 1844 float64 values, lane after lane) and then ends.
//
//   bench_lanes [--benchmark_filter=...]
//   bench_lanes --write-profiles=FILE
//
// Frames: 0 is the default frame of new lanes (the middle 60 % of the image, 1844 points per lane,
// lanes 34 pixels wide); 1 spans the whole image (3072 points per lane, 57 pixels wide).
// Rolling-ball radii are in profile samples: 495 is the default 20 mm at 40.4 um pixels, 4950 the
// largest 200 mm.

#include "analysis/backgroundsubtraction.h"
#include "analysis/kylaneframe.h"
#include "analysis/kylaneprofiles.h"
#include "image/imagefile.h"
#include "support/timesreporter.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QThreadPool>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>
#include <numbers>

namespace {

constexpr int kWidth = 2046;
constexpr int kHeight = 3072;
constexpr int kLanes = 25;

// A gel: a sloping background with noise and 25 lanes of bands, a few burnt out.
const ImageFile &capture()
{
    static const ImageFile image = [] {
        ImageFile img;
        img.Resize(kWidth, kHeight);
        QRandomGenerator random(2046);
        std::vector<double> bandRows;
        for (int b = 0; b < 30; ++b)
            bandRows.push_back(random.bounded(double(kHeight)));
        quint16 *data = img.Data();
        for (int y = 0; y < kHeight; ++y) {
            double band = 0.0;
            for (double row : bandRows)
                band += 40000.0 * std::exp(-0.5 * (y - row) * (y - row) / 36.0);
            for (int x = 0; x < kWidth; ++x) {
                const double lane = std::cos((x - kWidth * 0.2) / (kWidth * 0.6 / kLanes) * 2.0 * std::numbers::pi);
                const double v = 1200.0 + 0.3 * y + random.bounded(200.0) + (lane > 0.3 ? band : 0.0);
                data[qsizetype(y) * kWidth + x] = quint16(std::min(v, 65535.0));
            }
        }
        return img;
    }();
    return image;
}

const QVector<double> &identityTable()
{
    static const QVector<double> table = [] {
        QVector<double> t(65536);
        for (int g = 0; g < t.size(); ++g)
            t[g] = g;
        return t;
    }();
    return table;
}

KyLaneFrame frame(int inKind)
{
    KyLaneFrame f;
    if (inKind == 0)
        f.setDefault(kLanes, 0.7, kWidth, kHeight);
    else
        f.set(kLanes, 0.7, QPoint(0, 0), QPoint(kWidth - 1, 0), QPoint(0, kHeight - 1), QPoint(kWidth - 1, kHeight - 1));
    return f;
}

void perLane(benchmark::State &state)
{
    state.counters["per_lane"] = benchmark::Counter(double(state.iterations()) * kLanes,
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Threads: 0 is the whole global pool, 1 a pool of one thread (the cost of one lane after another).
class PoolSize
{
public:
    explicit PoolSize(int inThreads) : mOld(QThreadPool::globalInstance()->maxThreadCount())
    {
        if (inThreads > 0)
            QThreadPool::globalInstance()->setMaxThreadCount(inThreads);
    }
    ~PoolSize() { QThreadPool::globalInstance()->setMaxThreadCount(mOld); }

private:
    int mOld;
};

void BM_Profiles(benchmark::State &state)
{
    const ImageFile &image = capture();
    const KyLaneFrame f = frame(int(state.range(0)));
    KyLaneProfiles lanes;
    for (auto _ : state) {
        lanes.extract(image, identityTable(), f);
        benchmark::DoNotOptimize(lanes);
    }
    state.counters["points"] = lanes.profileLength(0);
    state.counters["half_width"] = f.laneWidth() / 2;
    perLane(state);
}
BENCHMARK(BM_Profiles)->ArgName("frame")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor: one copy of the image.
void BM_Memcpy(benchmark::State &state)
{
    const ImageFile &image = capture();
    const size_t bytes = size_t(kWidth) * kHeight * sizeof(quint16);
    std::vector<quint16> target(size_t(kWidth) * kHeight, 1);
    for (auto _ : state) {
        std::memcpy(target.data(), image.ConstData(), bytes);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RollingBall(benchmark::State &state)
{
    KyLaneProfiles lanes;
    lanes.extract(capture(), identityTable(), frame(int(state.range(0))));
    const int radius = int(state.range(1));
    PoolSize pool(int(state.range(2)));
    for (auto _ : state) {
        lanes.clearBackgrounds();
        lanes.detectBackgrounds(BackgroundSubtraction::kMethod_RollingBall, radius);
        benchmark::DoNotOptimize(lanes);
    }
    perLane(state);
}
BENCHMARK(BM_RollingBall)
    ->ArgNames({"frame", "radius", "threads"})
    ->ArgsProduct({{0, 1}, {50, 495, 4950}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Both together, as a new lane frame with a rolling-ball background costs.
void BM_ProfilesAndRollingBall(benchmark::State &state)
{
    const ImageFile &image = capture();
    const KyLaneFrame f = frame(int(state.range(0)));
    KyLaneProfiles lanes;
    for (auto _ : state) {
        lanes.extract(image, identityTable(), f);
        lanes.detectBackgrounds(BackgroundSubtraction::kMethod_RollingBall, 495);
        benchmark::DoNotOptimize(lanes);
    }
    perLane(state);
}
BENCHMARK(BM_ProfilesAndRollingBall)->ArgName("frame")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

// Frame 0's profiles, lane after lane, as raw float64 values.
int writeProfiles(const QString &inPath)
{
    KyLaneProfiles lanes;
    lanes.extract(capture(), identityTable(), frame(0));
    QFile file(inPath);
    if (!file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(inPath));
        return 1;
    }
    for (int lane = 0; lane < kLanes; ++lane) {
        const QVector<double> profile = lanes.profile(lane);
        const qint64 bytes = profile.size() * qint64(sizeof(double));
        if (file.write(reinterpret_cast<const char *>(profile.constData()), bytes) != bytes) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(inPath));
            return 1;
        }
    }
    if (!file.flush()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(inPath));
        return 1;
    }
    return 0;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    kybench::quietDebugOutput(); // the default frame announces its corners at every placement
    const QString writeOption = QStringLiteral("--write-profiles=");
    for (const QString &argument : QCoreApplication::arguments()) {
        if (argument.startsWith(writeOption))
            return writeProfiles(argument.mid(writeOption.size()));
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    kybench::MultiplesReporter reporter("BM_Memcpy", "Time as a multiple of a memcpy of the image");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
