// Repaint times of the image canvas on a full-size capture: every repaint, also the one that
// scales the visible part afresh, has to fit well within a 60 Hz frame (16 ms).
//   xvfb-run is not needed: QT_QPA_PLATFORM=offscreen build/bench/bench_canvas
#include "samplecapturewriter.h"
#include "support/timesreporter.h"

#include "image/imagefile.h"
#include "widgets/kyimageview.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDirIterator>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

// The canvas of every benchmark: 1200 x 1000 pixels showing a 2046 x 3072 gel capture through
// its 8-bit rendering, as the analysis screen shows it.
struct Canvas
{
    KyImageView *view;
    QImage shown;
};

const Canvas &canvasWithImage()
{
    static const Canvas made = [] {
        QTemporaryDir folder;
        SampleCaptureWriter writer(2046, 3072, 7);
        const QString written = writer.Write(QStringLiteral("gel"), folder.path());
        QDirIterator tiffs(written, {QStringLiteral("*.tif")}, QDir::Files);
        ImageFile image;
        if (written.isEmpty() || !tiffs.hasNext() || !ImageFile::Read(tiffs.next(), image)) {
            std::fprintf(stderr, "bench_canvas: no sample capture: %s\n", qPrintable(writer.ErrorText()));
            std::exit(1);
        }
        Canvas c{new KyImageView, image.ToIndexed8(true)};
        c.view->resize(1200, 1000);
        c.view->show();
        // A window that was never exposed paints nothing.
        if (!QTest::qWaitForWindowExposed(c.view)) {
            std::fprintf(stderr, "bench_canvas: the canvas was never exposed\n");
            std::exit(1);
        }
        c.view->setImage(c.shown);
        c.view->fitToWindow();
        return c;
    }();
    return made;
}

KyImageView &canvas()
{
    return *canvasWithImage().view;
}

// "steady": the same view again (an overlay repaint); "arrow": a 10-pixel pan; "far": a pan beyond
// the scaled part every time; "rescaled": a new scale every time.
enum Change { kSteady, kArrow, kFar, kRescaled };

void BM_Repaint(benchmark::State &state)
{
    const double magnification = state.range(0) / 100.0;
    const auto change = static_cast<Change>(state.range(1));
    const bool smooth = state.range(2) != 0;
    KyImageView &view = canvas();
    view.setSmoothTransform(smooth);
    view.fitToWindow();
    view.setMagnification(magnification);
    view.repaint();
    int i = 0;
    for (auto _ : state) {
        switch (change) {
        case kSteady:
            break;
        case kArrow:
            QMetaObject::invokeMethod(&view, i % 40 < 20 ? "onRight" : "onLeft");
            break;
        case kFar:
            QMetaObject::invokeMethod(&view, "scrollTo", Q_ARG(QPoint, i % 2 ? QPoint(0, 0) : QPoint(100000, 100000)));
            break;
        case kRescaled:
            view.setMagnification(magnification * (1.0 + (i % 2) * 1e-9));
            break;
        }
        view.repaint();
        ++i;
    }
    static const char *const names[] = {"steady", "arrow pans", "far pans", "rescaled"};
    state.SetLabel(std::string(names[change]) + (smooth ? ", smooth" : ""));
}
// Arguments: magnification in percent, change, smoothing.
BENCHMARK(BM_Repaint)
    ->ArgsProduct({{100, 400}, {kSteady, kArrow, kFar, kRescaled}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_SetImage(benchmark::State &state)
{
    KyImageView &view = canvas();
    const QImage &shown = canvasWithImage().shown;
    for (auto _ : state) {
        view.setImage(shown);
        view.repaint();
    }
}
BENCHMARK(BM_SetImage)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    kybench::quietDebugOutput();
    canvas();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
