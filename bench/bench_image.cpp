// Time of the hot image paths on a full-size capture (2046 x 3072, 16 bit), each beside a memcpy
// of the image's bytes in the same run; the summary at the end gives every path as a multiple of
// that memcpy, and the read of a capture file as a multiple of a plain read of its bytes.

#include "core/systemsettings.h"
#include "image/imagefile.h"
#include "support/timesreporter.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 2046;
constexpr int kHeight = 3072;
constexpr size_t kBytes = size_t(kWidth) * kHeight * sizeof(quint16);

// A gel capture: a sloped background with noise, twelve lanes of Gaussian bands of growing
// strength, the strongest band saturated.
const ImageFile &capture()
{
    static const ImageFile image = [] {
        ImageFile im;
        im.Resize(kWidth, kHeight);
        im.SetPixelSize(52.0);
        im.SetTag(QStringLiteral("Dark offset"), QStringLiteral("1000"));
        QRandomGenerator random(2046);
        constexpr int lanes = 12;
        constexpr int bands = 9;
        const double laneWidth = double(kWidth) / lanes;
        std::vector<double> bandRow(size_t(lanes), 0.0);
        for (int r = 0; r < kHeight; ++r) {
            for (int lane = 0; lane < lanes; ++lane) {
                double v = 0.0;
                for (int b = 0; b < bands; ++b) {
                    const double centre = kHeight * (0.08 + 0.1 * b) + 6.0 * lane;
                    const double sigma = 6.0 + 2.0 * b;
                    const double peak = 1500.0 * (b + 1) * (1.0 + 0.4 * lane);
                    v += peak * std::exp(-0.5 * (r - centre) * (r - centre) / (sigma * sigma));
                }
                bandRow[size_t(lane)] = v;
            }
            quint16 *row = im.Data() + qsizetype(r) * kWidth;
            for (int c = 0; c < kWidth; ++c) {
                const int lane = int(c / laneWidth);
                const double inLane = std::abs(c - (lane + 0.5) * laneWidth) / (0.5 * laneWidth);
                const double shape = inLane < 0.7 ? 1.0 : std::max(0.0, 1.0 - (inLane - 0.7) / 0.3);
                const double v = 1200.0 + 0.4 * r + 0.2 * c + bandRow[size_t(lane)] * shape
                                 + random.bounded(120.0);
                row[c] = quint16(std::min(v, 65535.0));
            }
        }
        im.SetRangeLow(1200);
        im.SetRangeHigh(48000);
        im.UpdateHistogram();
        return im;
    }();
    return image;
}

void BM_Memcpy(benchmark::State &state)
{
    const quint16 *source = capture().ConstData();
    std::vector<quint16> target(size_t(kWidth) * kHeight, 1);
    for (auto _ : state) {
        std::memcpy(target.data(), source, kBytes);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(qint64(state.iterations()) * qint64(kBytes));
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();

// The capture as a file, written once: it stays in the page cache for the reads below.
const QString &captureFile()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString base = dir.filePath(QStringLiteral("capture"));
        if (!dir.isValid() || !ImageFile::Save(base, capture()))
            qFatal("cannot write the benchmark's capture file");
        return base + QStringLiteral(".tif");
    }();
    return path;
}

// Reading a capture from the page cache: the whole image record (header, items, pixels). With
// inHistogram the histogram is asked for at once, as by a view that shows it: the read leaves the
// count to the first use.
void readImageFile(benchmark::State &state, bool inHistogram)
{
    const QString &path = captureFile();
    ImageFile image;
    for (auto _ : state) {
        if (!ImageFile::Read(path, image))
            state.SkipWithError("ImageFile::Read failed");
        if (inHistogram)
            benchmark::DoNotOptimize(image.MaxValue());
        else
            benchmark::DoNotOptimize(image.ConstData());
    }
    state.SetBytesProcessed(qint64(state.iterations()) * qint64(kBytes));
}

void BM_ReadImageFile(benchmark::State &state)
{
    readImageFile(state, false);
}
BENCHMARK(BM_ReadImageFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadImageFileWithHistogram(benchmark::State &state)
{
    readImageFile(state, true);
}
BENCHMARK(BM_ReadImageFileWithHistogram)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same file's bytes with open, read and close into a buffer that is already there: the floor
// for any reader.
void BM_ReadPlain(benchmark::State &state)
{
    const QByteArray path = QFile::encodeName(captureFile());
    const qint64 size = QFileInfo(captureFile()).size();
    std::vector<char> buffer(size_t(size), 1);
    for (auto _ : state) {
        if (!kybench::readPlain(path.constData(), buffer.data(), size))
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(qint64(state.iterations()) * size);
}
BENCHMARK(BM_ReadPlain)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Histogram(benchmark::State &state)
{
    ImageFile image(capture());
    for (auto _ : state) {
        image.UpdateHistogram();
        benchmark::DoNotOptimize(image.MaxValue());
    }
    state.SetBytesProcessed(qint64(state.iterations()) * qint64(kBytes));
}
BENCHMARK(BM_Histogram)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole image to 8 bits, the cached display image dropped every time.
void BM_Render16To8(benchmark::State &state)
{
    ImageFile image(capture());
    for (auto _ : state) {
        image.SetNegative(true); // drops the cached display image
        const QImage shown = image.ToIndexed8(true);
        benchmark::DoNotOptimize(shown.constBits());
    }
    state.SetBytesProcessed(qint64(state.iterations()) * qint64(kBytes));
}
BENCHMARK(BM_Render16To8)->Unit(benchmark::kMillisecond)->UseRealTime();

// A 1024 x 1024 region magnified to a full-size image (bilinear, the built-in setting).
void BM_ZoomBilinear(benchmark::State &state)
{
    const ImageFile &image = capture();
    for (auto _ : state) {
        const ImageFile zoomed = image.Zoom(511.25, 1023.5, 1024.0, 1024.0, kWidth, kHeight);
        benchmark::DoNotOptimize(zoomed.ConstData());
    }
    state.SetBytesProcessed(qint64(state.iterations()) * qint64(kBytes));
}
BENCHMARK(BM_ZoomBilinear)->Unit(benchmark::kMillisecond)->UseRealTime();

// A quarter turn of the image record (a new pixel array each time).
void BM_QuarterTurn(benchmark::State &state)
{
    ImageFile image(capture());
    for (auto _ : state) {
        image.Rotate90();
        benchmark::DoNotOptimize(image.ConstData());
    }
    state.SetBytesProcessed(qint64(state.iterations()) * qint64(kBytes));
}
BENCHMARK(BM_QuarterTurn)->Unit(benchmark::kMillisecond)->UseRealTime();

// The turn alone, into a buffer that is already there.
void BM_QuarterTurnBuffer(benchmark::State &state)
{
    const ushort *source = capture().ConstData();
    std::vector<ushort> target(size_t(kWidth) * kHeight, 1);
    for (auto _ : state) {
        rotateImageBuffer(source, target.data(), kWidth, kHeight, int(state.range(0)));
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(qint64(state.iterations()) * qint64(kBytes));
}
BENCHMARK(BM_QuarterTurnBuffer)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The console output, then every benchmark's time as a multiple of the memcpy's.
class RatioReporter : public kybench::MultiplesReporter
{
public:
    RatioReporter()
        : MultiplesReporter("BM_Memcpy", QString::asprintf("Time as a multiple of a memcpy of the image (%.1f MB)",
                                                            kBytes / 1e6).toStdString())
    {
    }

    void Finalize() override
    {
        MultiplesReporter::Finalize();
        if (time("BM_Memcpy") <= 0)
            return;
        const double read = time("BM_ReadImageFile");
        const double plain = time("BM_ReadPlain");
        if (read > 0 && plain > 0)
            std::printf("\nImageFile::Read as a multiple of a plain read of the file: %.2fx\n", read / plain);
        const double counted = time("BM_ReadImageFileWithHistogram");
        if (counted > 0 && plain > 0)
            std::printf("ImageFile::Read and its histogram as a multiple of a plain read: %.2fx\n", counted / plain);
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    SystemSettings::instance(); // the zoom reads its interpolation setting
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    kybench::quietDebugOutput();
    capture();
    captureFile();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
