// The screen's printouts of an analysed sample capture, as PDF files, for a look at their pages
// (pdftoppm -png -r 60 <file>.pdf <prefix>):
//   xvfb-run -a -s '-screen 0 1280x1024x24' build/bin/analysisprintdemo <output-folder> [gel|marker|fluor|color]
// Writes summary-unpicked.pdf (the summary items before the Summary step was ever shown),
// summary-picked.pdf (rows picked, the "Lane%" tab current), summary-saved.pdf (the PDF written to
// a chosen path) and image.pdf (the image page at its true size).
#include "testmain.h"

#include "../document/sampleanalysis.h"

#include "analysisview/kyanalysisview.h"
#include "document/kycurrentdocument.h"
#include "document/kydocument.h"
#include "results/kyprintdata.h"
#include "results/kyprinter.h"
#include "samplecapturewriter.h"
#include "widgets/kyfonts.h"
#include "widgets/kytab.h"
#include "widgets/kytableview.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <memory>

namespace {

bool exportItems(KyAnalysisView &ioView, const QString &inPath)
{
    KyPrintData items(inPath);
    if (!ioView.getSummaryPDFItems(&items))
        return false;
    KyPrinter printer;
    return printer.ExportPdf(items);
}

} // namespace

int main(int argc, char *argv[])
{
    kytest::isolateUserFolders();
    QApplication app(argc, argv);
    kytest::createProcessObjects();
    if (argc < 2) {
        std::fprintf(stderr, "usage: analysisprintdemo <output-folder> [gel|marker|fluor|color]\n");
        return 2;
    }
    registerFontSubstitutions();
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString kind = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("gel");
    if (!out.exists() && !QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot make %s\n", argv[1]);
        return 1;
    }

    QTemporaryDir dir;
    const QString folder = SampleCaptureWriter(800, 1200, 7).Write(kind, dir.path());
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

    int failures = 0;
    const auto check = [&failures](bool inOk, const char *inWhat) {
        if (!inOk) {
            std::fprintf(stderr, "%s failed\n", inWhat);
            ++failures;
        }
    };
    check(exportItems(view, out.filePath(QStringLiteral("summary-unpicked.pdf"))), "summary-unpicked");

    view.summaryModeButton->click();
    QTest::qWait(100);
    KyTableView *table = view.summaryTableView;
    for (int row : {0, 2, 3, 5}) {
        if (row >= table->model()->rowCount())
            break;
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(table->model()->index(row, 0)).center());
    }
    QTest::mouseClick(view.barGraphTab->tabs().at(1), Qt::LeftButton);
    QTest::qWait(50);
    check(exportItems(view, out.filePath(QStringLiteral("summary-picked.pdf"))), "summary-picked");
    check(view.saveSummaryPdfTo(out.filePath(QStringLiteral("summary-saved.pdf"))), "summary-saved");
    check(view.renderWidgetImage(view.view2StackedWidget->size()).save(out.filePath(QStringLiteral("summary-widget.png"))),
          "summary-widget");
    check(view.grab().save(out.filePath(QStringLiteral("screen-after.png"))), "screen-after");

    view.lanesModeButton->click();
    QTest::qWait(50);
    KyPrinter printer;
    printer.printer()->setOutputFormat(QPrinter::PdfFormat);
    printer.printer()->setOutputFileName(out.filePath(QStringLiteral("image.pdf")));
    check(view.printImagePage(&printer), "image");
    return failures == 0 ? 0 : 1;
}
