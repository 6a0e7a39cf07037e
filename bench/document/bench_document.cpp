// Opening and saving a full-size three-channel capture (three 16-bit channels of 2046 x 3072, made
// once by the sample tool) through the document, beside plain file work on the same bytes in the
// same run: reading the three files with read(), and writing three files of their sizes with
// write, fsync and rename. The summary at the end gives the document's times as multiples of the
// plain ones.
//
//   build/bench/bench_document [--benchmark_repetitions=5]
//
// The files lie in a temporary folder (TMPDIR), on the disk the capture is saved to: the writes'
// fsync makes their times the disk's.

#include "document/kydocument.h"
#include "image/imagefile.h"
#include "samplecapturewriter.h"
#include "support/timesreporter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 2046;
constexpr int kHeight = 3072;

// The capture, written once: its folder, its three channel files and their bytes.
struct Capture
{
    QTemporaryDir dir;
    QString folder;
    QStringList files;
    std::vector<QByteArray> bytes;
    qint64 totalBytes = 0;
    QString plainFolder; // where the plain writes go, on the same file system
};

const Capture &capture()
{
    static const std::unique_ptr<Capture> made = [] {
        auto capture = std::make_unique<Capture>();
        if (!capture->dir.isValid())
            qFatal("cannot make the benchmark's folder");
        SampleCaptureWriter writer(kWidth, kHeight, 1);
        capture->folder = writer.Write(QStringLiteral("fluor"), capture->dir.filePath(QStringLiteral("captures")));
        if (capture->folder.isEmpty())
            qFatal("cannot write the sample capture: %s", qPrintable(writer.ErrorText()));
        const QDir folder(capture->folder);
        for (const QString &name : folder.entryList({QStringLiteral("*.tif")}, QDir::Files, QDir::Name)) {
            QFile file(folder.filePath(name));
            if (!file.open(QIODevice::ReadOnly))
                qFatal("cannot read %s", qPrintable(file.fileName()));
            capture->files << file.fileName();
            capture->bytes.push_back(file.readAll());
            capture->totalBytes += capture->bytes.back().size();
        }
        if (capture->files.size() != 3)
            qFatal("the sample capture has %d channel files", int(capture->files.size()));
        capture->plainFolder = capture->dir.filePath(QStringLiteral("plain"));
        if (!QDir().mkpath(capture->plainFolder))
            qFatal("cannot make %s", qPrintable(capture->plainFolder));
        return capture;
    }();
    return *made;
}

// The capture opened through the factory: three channel images with their items, no analysis.
void BM_OpenCapture(benchmark::State &state)
{
    const Capture &c = capture();
    for (auto _ : state) {
        std::unique_ptr<KyDocument> document(KyDocument::Create(c.folder));
        if (!document || document->ValidImageCount() != 3)
            state.SkipWithError("the capture did not open");
        benchmark::DoNotOptimize(document.get());
    }
    state.SetBytesProcessed(state.iterations() * c.totalBytes);
}
BENCHMARK(BM_OpenCapture)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor of any open: the three files' bytes with open, read and close into buffers that are
// already there (from the page cache, as the open reads them).
void BM_ReadPlain(benchmark::State &state)
{
    const Capture &c = capture();
    std::vector<std::vector<char>> buffers;
    std::vector<QByteArray> paths;
    for (int i = 0; i < c.files.size(); ++i) {
        buffers.emplace_back(size_t(c.bytes[size_t(i)].size()), 1);
        paths.push_back(QFile::encodeName(c.files.at(i)));
    }
    for (auto _ : state) {
        for (size_t i = 0; i < buffers.size(); ++i) {
            if (!kybench::readPlain(paths[i].constData(), buffers[i].data(), qint64(buffers[i].size())))
                state.SkipWithError("read failed");
            benchmark::DoNotOptimize(buffers[i].data());
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * c.totalBytes);
}
BENCHMARK(BM_ReadPlain)->Unit(benchmark::kMillisecond)->UseRealTime();

// The user's save of the opened capture, in place: the three channel files (each written to a
// temporary file, synced, renamed over the old one, the folder synced) and the composite as JPEG.
// The composite is built for the first save and kept, as it is once the analysis screen has shown it.
void BM_SaveCapture(benchmark::State &state)
{
    const Capture &c = capture();
    std::unique_ptr<KyDocument> document(KyDocument::Create(c.folder));
    if (!document) {
        state.SkipWithError("the capture did not open");
        return;
    }
    for (auto _ : state) {
        if (document->SaveInPlace(true, true, true) != 0)
            state.SkipWithError("the save failed");
    }
    state.SetBytesProcessed(state.iterations() * c.totalBytes);
}
BENCHMARK(BM_SaveCapture)->Unit(benchmark::kMillisecond)->UseRealTime();

// The channel files of that save alone, through the image codec's safe write.
void BM_SaveChannelFiles(benchmark::State &state)
{
    const Capture &c = capture();
    std::unique_ptr<KyDocument> document(KyDocument::Create(c.folder));
    if (!document) {
        state.SkipWithError("the capture did not open");
        return;
    }
    for (auto _ : state) {
        for (int i = 0; i < 3; ++i) {
            const ImageFile *image = document->Image(i);
            if (!image || !ImageFile::Save(image->Tag(QStringLiteral("File path")).chopped(4), *image))
                state.SkipWithError("a channel file was not written");
        }
    }
    state.SetBytesProcessed(state.iterations() * c.totalBytes);
}
BENCHMARK(BM_SaveChannelFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor of any safe save: three files of the same sizes, each written to a temporary name,
// synced with fsync and renamed into place.
void BM_WritePlain(benchmark::State &state)
{
    const Capture &c = capture();
    std::vector<QByteArray> temporaries;
    std::vector<QByteArray> targets;
    for (int i = 0; i < c.files.size(); ++i) {
        const QString target = c.plainFolder + QStringLiteral("/channel-%1.tif").arg(i + 1);
        targets.push_back(QFile::encodeName(target));
        temporaries.push_back(QFile::encodeName(target + QStringLiteral(".tmp")));
    }
    for (auto _ : state) {
        for (size_t i = 0; i < targets.size(); ++i) {
            const QByteArray &bytes = c.bytes[i];
            const int fd = ::open(temporaries[i].constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            qint64 done = 0;
            while (fd >= 0 && done < bytes.size()) {
                const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
                if (n <= 0)
                    break;
                done += n;
            }
            const bool synced = fd >= 0 && ::fsync(fd) == 0;
            if (fd >= 0)
                ::close(fd);
            if (done != bytes.size() || !synced || ::rename(temporaries[i].constData(), targets[i].constData()) != 0)
                state.SkipWithError("write failed");
        }
    }
    state.SetBytesProcessed(state.iterations() * c.totalBytes);
}
BENCHMARK(BM_WritePlain)->Unit(benchmark::kMillisecond)->UseRealTime();

// The console output, then the document's times as multiples of the plain ones.
class RatioReporter : public kybench::TimesReporter
{
public:
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const auto ratio = [&](const char *inLabel, const char *inName, const char *inBaseline) {
            const double value = time(inName);
            const double baseline = time(inBaseline);
            if (value > 0.0 && baseline > 0.0)
                std::printf("  %-58s %9.2f ms / %8.2f ms = %6.2fx\n", inLabel, value, baseline, value / baseline);
        };
        std::printf("\nThree-channel capture, %d x %d, %.1f MB in three files:\n", kWidth, kHeight,
                    capture().totalBytes / 1e6);
        ratio("open (KyDocument::Create) / plain read", "BM_OpenCapture", "BM_ReadPlain");
        ratio("save in place (3 TIFF + JPEG) / plain write+fsync+rename", "BM_SaveCapture", "BM_WritePlain");
        ratio("channel files alone / plain write+fsync+rename", "BM_SaveChannelFiles", "BM_WritePlain");
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    kybench::quietDebugOutput();
    capture();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
