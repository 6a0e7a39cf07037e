#include "testmain.h"

#include "corefixtures.h"

#include "analysisview/kyanalysisview.h"
#include "analysisview/laneview.h"
#include "core/kyviewmode.h"
#include "document/kycurrentdocument.h"
#include "document/kydocument.h"
#include "results/kytablemodel.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

using corefixtures::attach;

namespace {

// A capture with eight lanes whose profiles and bands are extracted: leaving the Lanes step starts
// no job until the lanes move.
std::unique_ptr<KyDocument> analysedCapture(const QTemporaryDir &inDir, int inWidth = 200, int inHeight = 300)
{
    std::unique_ptr<KyDocument> doc = corefixtures::openCapture(inDir, QStringLiteral("gel"), inWidth, inHeight);
    if (!doc)
        return doc;
    sampleanalysis::useShippedData();
    sampleanalysis::layLanes(*doc, 8, 0.7);
    doc->ExtractLaneProfiles();
    doc->DetectBands(0, sampleanalysis::detectionSet(QStringLiteral("Medium"), false),
                     sampleanalysis::detectionSet(QStringLiteral("Medium"), true));
    return doc;
}

// Attaches and settles the lanes the attach may have laid, so that steps switch at once.
void attachSettled(KyAnalysisView &ioView, KyDocument *inDocument)
{
    attach(ioView, inDocument);
    if (inDocument->IsParameterChanged())
        inDocument->ExtractLaneProfiles();
}

KyButton *stepButton(KyAnalysisView &inView, int inStep)
{
    KyButton *const buttons[] = {inView.lanesModeButton, inView.bgModeButton, inView.bandsModeButton,
                                 inView.mwModeButton, inView.normModeButton, inView.summaryModeButton};
    return buttons[inStep];
}

} // namespace

class TestKyAnalysisViewSteps : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        KyCurrentDocument::setDocument(nullptr);
        corefixtures::clearBusy();
    }

    void cleanup()
    {
        KyCurrentDocument::setDocument(nullptr);
        corefixtures::clearBusy();
    }

    void withoutDocumentNothingMoves()
    {
        KyAnalysisView view;
        QSignalSpy modes(KyViewMode::instance(), &KyViewMode::viewModeChanged);
        QVERIFY(QMetaObject::invokeMethod(&view, "on_nextModeButton_clicked"));
        QVERIFY(QMetaObject::invokeMethod(&view, "on_summaryModeButton_clicked"));
        view.setMode(KyAnalysisView::kMode_MW);
        QCOMPARE(view.mode(), int(KyAnalysisView::kMode_other));
        QCOMPARE(modes.count(), 0);
    }

    void previousInLanesClosesTheImage()
    {
        QTemporaryDir dir;
        std::unique_ptr<KyDocument> doc = analysedCapture(dir);
        QVERIFY(doc);
        KyAnalysisView view;
        attachSettled(view, doc.get());
        QCOMPARE(view.previousModeButton->text(), QStringLiteral("Close"));

        QSignalSpy closed(&view, &KyAnalysisView::closeImage);
        view.previousModeButton->click();
        QCOMPARE(closed.count(), 1);
        QCOMPARE(view.mode(), int(KyAnalysisView::kMode_Lanes));

        // In any later step it goes one step back and closes nothing.
        view.mwModeButton->click();
        view.previousModeButton->click();
        QCOMPARE(view.mode(), int(KyAnalysisView::kMode_Bands));
        QCOMPARE(view.previousModeButton->text(), QStringLiteral("Previous"));
        QCOMPARE(closed.count(), 1);
    }

    void nextWalksToTheSavePage()
    {
        QTemporaryDir dir;
        std::unique_ptr<KyDocument> doc = analysedCapture(dir);
        QVERIFY(doc);
        KyAnalysisView view;
        attachSettled(view, doc.get());

        for (int step = 1; step <= 5; ++step) {
            view.nextModeButton->click();
            QCOMPARE(view.mode(), step);
        }
        QCOMPARE(view.nextModeButton->text(), QStringLiteral("Save"));
        QSignalSpy modes(KyViewMode::instance(), &KyViewMode::viewModeChanged);
        view.nextModeButton->click();
        QCOMPARE(view.mode(), int(KyAnalysisView::kMode_Summary));
        QCOMPARE(KyViewMode::instance()->viewMode(), KyViewMode::kView_Save);
        QCOMPARE(modes.count(), 1);
    }

    // What each step shows and tells the program.
    void stepsSetViewModeAndOverlay_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("viewMode");
        QTest::addColumn<bool>("imageShown");
        QTest::addColumn<int>("topPage");
        QTest::addColumn<QString>("previousText");
        QTest::addColumn<QString>("nextText");

        QTest::newRow("lanes") << 0 << 10 << true << 0 << "Close" << "Next";
        QTest::newRow("background") << 1 << 11 << false << 0 << "Previous" << "Next";
        QTest::newRow("bands") << 2 << 12 << true << 0 << "Previous" << "Next";
        QTest::newRow("MW") << 3 << 13 << true << 0 << "Previous" << "Next";
        QTest::newRow("normalization") << 4 << 14 << true << 0 << "Previous" << "Next";
        QTest::newRow("summary") << 5 << 15 << true << 1 << "Previous" << "Save";
    }

    void stepsSetViewModeAndOverlay()
    {
        QFETCH(int, step);
        QFETCH(int, viewMode);
        QFETCH(bool, imageShown);
        QFETCH(int, topPage);
        QFETCH(QString, previousText);
        QFETCH(QString, nextText);

        QTemporaryDir dir;
        std::unique_ptr<KyDocument> doc = analysedCapture(dir);
        QVERIFY(doc);
        KyAnalysisView view;
        attachSettled(view, doc.get());
        // Come from another step, so that the step is entered anew.
        stepButton(view, step == 2 ? 3 : 2)->click();
        view.stackedWidget->setCurrentIndex(1);

        stepButton(view, step)->click();
        QCOMPARE(view.mode(), step);
        QCOMPARE(int(KyViewMode::instance()->viewMode()), viewMode);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(stepButton(view, i)->isChecked(), i == step);
        QVERIFY(!stepButton(view, step)->icon().isNull());
        QCOMPARE(stepButton(view, step)->icon().toImage().convertToFormat(QImage::Format_ARGB32),
                 QImage(QStringLiteral(":/Kestova/Images/icon_analysis_%1_on.png")
                            .arg(QStringList{"lane", "bg", "band", "mw", "norm", "summary"}.at(step)))
                     .convertToFormat(QImage::Format_ARGB32));
        QCOMPARE(stepButton(view, step)->textColor(), KyLabel::kColor_Black);
        QCOMPARE(view.imageButton->isChecked(), imageShown);
        QCOMPARE(view.image4Button->isChecked(), imageShown);
        QCOMPARE(view.profileButton->isChecked(), !imageShown);
        QCOMPARE(view.profile4Button->isChecked(), !imageShown);
        QCOMPARE(view.topArea->currentIndex(), topPage);
        QCOMPARE(view.stackedWidget->currentIndex(), 0);
        QCOMPARE(view.previousModeButton->text(), previousText);
        QCOMPARE(view.nextModeButton->text(), nextText);
        LaneView *overlay = step == 5 ? view.summaryLaneView() : view.laneView();
        QCOMPARE(overlay->currentMode(), step);
        QVERIFY(overlay->isEnabled());
    }

    void theMWStepShowsWhetherALadderIsChosen()
    {
        QTemporaryDir dir;
        std::unique_ptr<KyDocument> doc = analysedCapture(dir);
        QVERIFY(doc);
        KyAnalysisView view;
        attachSettled(view, doc.get());
        view.mwModeButton->click();
        QCOMPARE(view.mwCalibStackedWidget->currentIndex(), 1);
        doc->SetMWStandardLane(0, 2);
        view.mwModeButton->click();
        QCOMPARE(view.mwCalibStackedWidget->currentIndex(), 0);
    }

    // Only a change of step leaves the image tools; pressing the current step's button keeps them.
    void theImageToolsStayWithinAStep()
    {
        QTemporaryDir dir;
        std::unique_ptr<KyDocument> doc = analysedCapture(dir);
        QVERIFY(doc);
        KyAnalysisView view;
        attachSettled(view, doc.get());
        view.bandsModeButton->click();
        view.contrastButton->setChecked(true);
        view.bandsModeButton->click();
        QVERIFY(view.contrastButton->isChecked());
        view.mwModeButton->click();
        QVERIFY(!view.contrastButton->isChecked());
    }

    void helpNamesTheStep_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<bool>("summaryPage");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("name");

        QTest::newRow("lanes") << 0 << false << "Lane Creation" << "lane";
        QTest::newRow("background") << 1 << false << "Background" << "bg";
        QTest::newRow("bands") << 2 << false << "Band Detection" << "band";
        QTest::newRow("MW") << 3 << false << "MW Calibration" << "mw";
        QTest::newRow("normalization") << 4 << false << "Normalization" << "norm";
        QTest::newRow("summary") << 5 << true << "Summary" << "summary";
    }

    void helpNamesTheStep()
    {
        QFETCH(int, step);
        QFETCH(bool, summaryPage);
        QFETCH(QString, title);
        QFETCH(QString, name);

        QTemporaryDir dir;
        std::unique_ptr<KyDocument> doc = analysedCapture(dir);
        QVERIFY(doc);
        KyAnalysisView view;
        attachSettled(view, doc.get());
        stepButton(view, step)->click();

        QSignalSpy help(&view, &KyAnalysisView::showHelp);
        (summaryPage ? view.help2Button : view.helpButton)->click();
        QCOMPARE(help.count(), 1);
        QCOMPARE(help.at(0).at(0).toString(), title);
        QCOMPARE(help.at(0).at(1).toString(), name);
    }

    // The summary table is rebuilt on entering the step only when the analysis changed meanwhile.
    void theSummaryIsRebuiltOnlyAfterAChange()
    {
        QTemporaryDir dir;
        std::unique_ptr<KyDocument> doc = analysedCapture(dir);
        QVERIFY(doc);
        KyAnalysisView view;
        attachSettled(view, doc.get());
        // Each rebuild clears the bands highlighted on the summary image once.
        QSignalSpy rebuilt(&view, &KyAnalysisView::summaryTableChanged);

        view.summaryModeButton->click();
        QCOMPARE(rebuilt.count(), 1);
        QVERIFY(view.tableModel()->rowCount() > 0);
        QVERIFY(!doc->IsAnalysisChanged());
        view.normModeButton->click();
        view.summaryModeButton->click();
        view.summaryModeButton->click();
        QCOMPARE(rebuilt.count(), 1);

        // A reference mark set on the image: the next visit computes and rebuilds again.
        view.normModeButton->click();
        QVERIFY(sampleanalysis::markReference(*doc, 0, 1, 0));
        view.summaryModeButton->click();
        QCOMPARE(rebuilt.count(), 2);
        QVERIFY(!doc->IsAnalysisChanged());
        QVERIFY(doc->NormalizationValue(1) > 0.0);
    }

    // Moved lanes are measured anew before the next step shows anything.
    void leavingMovedLanesWaitsForTheBackground()
    {
        QTemporaryDir dir;
        std::unique_ptr<KyDocument> doc = analysedCapture(dir);
        QVERIFY(doc);
        doc->ApplyBackground(1, 20, true);
        KyAnalysisView view;
        attachSettled(view, doc.get());
        QVERIFY(doc->HasBackground());

        QVERIFY(doc->MoveLaneCorner(2, QPoint(-6, 0)));
        QVERIFY(doc->IsParameterChanged());
        QVERIFY(!doc->HasBackground());
        QSignalSpy busy(KyViewMode::instance(), &KyViewMode::toBusyView);
        QSignalSpy idle(KyViewMode::instance(), &KyViewMode::resetBusyView);

        view.nextModeButton->click();
        // Busy, still in the Lanes step.
        QVERIFY(busy.count() >= 1);
        QVERIFY(KyViewMode::instance()->busyReasons().contains(KyViewMode::kBusy_Background));
        QCOMPARE(view.mode(), int(KyAnalysisView::kMode_Lanes));
        QVERIFY(view.lanesModeButton->isChecked());
        QVERIFY(!view.bgModeButton->isChecked());
        QCOMPARE(view.modeLabel->text(), QStringLiteral("Lane Creation"));
        QCOMPARE(KyViewMode::instance()->viewMode(), KyViewMode::kView_AnalysisLane);

        // Done: the Background step, over profiles of the moved lanes with their background.
        QTRY_VERIFY(!KyViewMode::instance()->isBusy());
        QCOMPARE(idle.count(), 1);
        QCOMPARE(view.mode(), int(KyAnalysisView::kMode_Background));
        QVERIFY(view.bgModeButton->isChecked());
        QCOMPARE(view.modeLabel->text(), QStringLiteral("Background"));
        QCOMPARE(KyViewMode::instance()->viewMode(), KyViewMode::kView_AnalysisBG);
        QVERIFY(!doc->IsParameterChanged());
        QVERIFY(doc->HasBackground());

        // Lanes left alone: the next departure is immediate.
        view.lanesModeButton->click();
        view.bandsModeButton->click();
        QCOMPARE(view.mode(), int(KyAnalysisView::kMode_Bands));
        QVERIFY(!KyViewMode::instance()->isBusy());
    }

    // The screen may go while the jobs that leaving moved lanes starts still run: it waits for
    // them, and nothing it owned is touched afterwards.
    void theScreenOutlivesItsJobs_data()
    {
        QTest::addColumn<bool>("untilBackground");
        QTest::newRow("measuring the lanes") << false;
        QTest::newRow("subtracting the background") << true;
    }

    void theScreenOutlivesItsJobs()
    {
        QFETCH(bool, untilBackground);

        QTemporaryDir dir;
        std::unique_ptr<KyDocument> doc = analysedCapture(dir, 1000, 1500);
        QVERIFY(doc);
        doc->ApplyBackground(3, 60, true);
        auto view = std::make_unique<KyAnalysisView>();
        attachSettled(*view, doc.get());

        QVERIFY(doc->MoveLaneCorner(1, QPoint(4, 4)));
        view->nextModeButton->click();
        QVERIFY(view->laneRebuildWatcher().isStarted());
        QVERIFY(KyViewMode::instance()->isBusy());
        if (untilBackground)
            QTRY_VERIFY(view->backgroundWatcher().isStarted() || view->mode() != KyAnalysisView::kMode_Lanes);
        view.reset();

        // The jobs ran to their end on the document, which is whole.
        QVERIFY(!doc->IsParameterChanged());
        QVERIFY(doc->HasBackground());
        QCoreApplication::processEvents();
        QCOMPARE(doc->LaneFrame().laneCount(), 8);
        QVERIFY(doc->HasLaneTemplate());
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyAnalysisViewSteps)
#include "tst_kyanalysisviewsteps.moc"
