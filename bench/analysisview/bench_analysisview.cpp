// The analysis screen on full-size captures (2046 x 3072, 16 bit): the display refresh
// (updateImage) and the image tool clicks that end in it, each with the repaint of the canvas the
// user then sees, against the 16 ms of a 60 Hz frame.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_analysisview
#include "samplecapturewriter.h"
#include "support/timesreporter.h"

#include "analysisview/kyanalysisview.h"
#include "document/kycurrentdocument.h"
#include "document/kydocument.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

namespace {

constexpr int kWidth = 2046;
constexpr int kHeight = 3072;

struct Opened
{
    std::unique_ptr<KyDocument> doc;
    std::unique_ptr<KyAnalysisView> view;
};

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

// "gel" (one image) or "fluor" (three channels), attached to a screen in a shown window; made once.
Opened &screen(const QString &kind)
{
    static std::map<QString, Opened> made;
    auto it = made.find(kind);
    if (it != made.end()) {
        KyCurrentDocument::setDocument(it->second.doc.get());
        return it->second;
    }
    const QString written = SampleCaptureWriter(kWidth, kHeight, 7).Write(kind, folder().path() + QLatin1Char('/') + kind);
    Opened o;
    o.doc.reset(written.isEmpty() ? nullptr : KyDocument::Create(written));
    if (!o.doc) {
        std::fprintf(stderr, "bench_analysisview: no %s capture\n", qPrintable(kind));
        std::exit(1);
    }
    o.view = std::make_unique<KyAnalysisView>();
    o.view->resize(1280, 800);
    o.view->show();
    if (!QTest::qWaitForWindowExposed(o.view.get())) {
        std::fprintf(stderr, "bench_analysisview: the screen was never exposed\n");
        std::exit(1);
    }
    KyCurrentDocument::setDocument(o.doc.get());
    o.view->resetForDocument(true);
    o.view->repaint();
    return made.emplace(kind, std::move(o)).first->second;
}

const char *const kKinds[] = {"gel", "fluor"};

// The refresh alone: what every tool ends with.
void BM_UpdateImage(benchmark::State &state)
{
    Opened &o = screen(QLatin1String(kKinds[state.range(0)]));
    for (auto _ : state) {
        o.view->updateImage();
        o.view->imageView->repaint();
    }
    state.SetLabel(kKinds[state.range(0)]);
}
BENCHMARK(BM_UpdateImage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// A contrast step on the one-image capture: the display range changes, so the 8-bit picture is
// rendered afresh.
void BM_ContrastStep(benchmark::State &state)
{
    Opened &o = screen(QStringLiteral("gel"));
    o.doc->SetDisplayRange(0, 1000, 30000);
    int i = 0;
    for (auto _ : state) {
        (i++ % 2 ? o.view->contrastLowDownButton : o.view->contrastLowUpButton)->click();
        o.view->imageView->repaint();
    }
}
BENCHMARK(BM_ContrastStep)->Unit(benchmark::kMillisecond)->UseRealTime();

// A channel button of the three-channel capture: the composite of another selection is built.
void BM_ChannelClick(benchmark::State &state)
{
    Opened &o = screen(QStringLiteral("fluor"));
    for (auto _ : state) {
        o.view->ch3Button->click();
        o.view->imageView->repaint();
    }
}
BENCHMARK(BM_ChannelClick)->Unit(benchmark::kMillisecond)->UseRealTime();

// A zoom step: new scale, the intensity rectangle re-placed, the display refreshed.
void BM_ZoomStep(benchmark::State &state)
{
    Opened &o = screen(QLatin1String(kKinds[state.range(0)]));
    int i = 0;
    for (auto _ : state) {
        (i++ % 2 ? o.view->zoomOutButton : o.view->zoomUpButton)->click();
        o.view->imageView->repaint();
    }
    state.SetLabel(kKinds[state.range(0)]);
}
BENCHMARK(BM_ZoomStep)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Keep the user's own settings out of it.
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    kybench::quietDebugOutput();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    KyCurrentDocument::setDocument(nullptr);
    return 0;
}
