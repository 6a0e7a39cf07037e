// The analysis screen on a sample capture, in a real window, one picture per step, with the time
// each step's button took:
//   xvfb-run -a -s '-screen 0 1280x1024x24' build/bin/analysisviewdemo <output-folder> [gel|marker|fluor|color] [full]
// "full" makes the capture instrument-sized (2046 x 3072).
#include "testmain.h"

#include "../document/sampleanalysis.h"

#include "analysisview/kyanalysisview.h"
#include "document/kycurrentdocument.h"
#include "document/kydocument.h"
#include "samplecapturewriter.h"
#include "widgets/kyfonts.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    kytest::isolateUserFolders();
    QApplication app(argc, argv);
    kytest::createProcessObjects();
    if (argc < 2) {
        std::fprintf(stderr, "usage: analysisviewdemo <output-folder> [gel|marker|fluor|color]\n");
        return 2;
    }
    registerFontSubstitutions();
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString kind = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("fluor");
    if (!out.exists() && !QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot make %s\n", argv[1]);
        return 1;
    }

    const bool full = argc > 3 && QByteArray(argv[3]) == "full";
    QTemporaryDir dir;
    const QString folder = SampleCaptureWriter(full ? 2046 : 800, full ? 3072 : 1200, 7).Write(kind, dir.path());
    std::unique_ptr<KyDocument> doc(folder.isEmpty() ? nullptr : KyDocument::Create(folder));
    if (!doc) {
        std::fprintf(stderr, "cannot make a %s capture\n", qPrintable(kind));
        return 1;
    }
    sampleanalysis::useShippedData();
    sampleanalysis::layLanes(*doc, SamplePainter::kLaneCount, 0.7);
    doc->ExtractLaneProfiles();
    doc->ApplyBackground(3, 5, true);
    doc->DetectBands(kind == QLatin1String("fluor") ? 0x87 : 0, sampleanalysis::detectionSet(QStringLiteral("Medium"), false),
                     sampleanalysis::detectionSet(QStringLiteral("Medium"), true));
    for (int lane = 1; lane <= 5; ++lane)
        sampleanalysis::markReference(*doc, 0, lane, 0);

    KyAnalysisView view;
    KyCurrentDocument::setDocument(doc.get());
    view.resetForDocument(true);
    view.show();
    if (!QTest::qWaitForWindowExposed(&view))
        return 1;

    KyButton *const steps[] = {view.lanesModeButton, view.bgModeButton, view.bandsModeButton,
                               view.mwModeButton, view.normModeButton, view.summaryModeButton};
    const char *const names[] = {"lanes", "background", "bands", "mw", "normalization", "summary"};
    for (int i = 0; i < 6; ++i) {
        QElapsedTimer clock;
        clock.start();
        steps[i]->click();
        std::printf("%-14s %6.1f ms\n", names[i], clock.nsecsElapsed() / 1e6);
        QTest::qWait(100);
        const QString path = out.filePath(QStringLiteral("view-%1-%2.png").arg(kind, QLatin1String(names[i])));
        if (!view.grab().save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    // Back and forth once more: the summary table is not rebuilt this time.
    for (KyButton *button : {view.normModeButton, view.summaryModeButton, view.bandsModeButton}) {
        QElapsedTimer clock;
        clock.start();
        button->click();
        std::printf("again %-8s %6.1f ms\n", qPrintable(button->text()), clock.nsecsElapsed() / 1e6);
    }
    // Lanes moved: leaving the step measures the lanes anew before the background job starts.
    view.lanesModeButton->click();
    doc->MoveLaneCorner(2, QPoint(-8, 0));
    QElapsedTimer clock;
    clock.start();
    view.nextModeButton->click();
    std::printf("leave moved lanes %6.1f ms (then the job)\n", clock.nsecsElapsed() / 1e6);
    while (view.mode() != KyAnalysisView::kMode_Background && clock.elapsed() < 60000)
        QTest::qWait(5);
    std::printf("background step after %6.1f ms\n", clock.nsecsElapsed() / 1e6);
    return 0;
}
