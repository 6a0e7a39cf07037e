#include "testmain.h"

#include "corefixtures.h"

#include "analysisview/kyanalysissteps.h"
#include "analysisview/kyanalysisview.h"
#include "analysisview/laneview.h"
#include "core/kyviewmode.h"
#include "document/kycurrentdocument.h"
#include "document/kydocument.h"
#include "results/kytablemodel.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>

using corefixtures::attach;

namespace {

// A capture with the sample's lanes whose profiles and bands are extracted: leaving the Lanes step starts
// no job until the lanes move.
std::unique_ptr<KyDocument> analysedCapture(const QTemporaryDir &inDir, int inWidth = 200, int inHeight = 300)
{
    std::unique_ptr<KyDocument> doc = corefixtures::openCapture(inDir, QStringLiteral("gel"), inWidth, inHeight);
    if (!doc)
        return doc;
    sampleanalysis::useShippedData();
    sampleanalysis::layLanes(*doc, SamplePainter::kLaneCount, 0.7);
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

    // The step table against the form it names: one row per step button, in the bar's order from the
    // left; the button's own slot enters the row's step; the form's grey icon is the row's; the
    // panel page is the step's own.
    void theStepTableMatchesTheForm()
    {
        KyAnalysisView view;
        view.resize(1000, 700);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        const std::span<const KyAnalysisStep> steps = kyAnalysisSteps();
        QCOMPARE(int(steps.size()), int(KyAnalysisView::kMode_other));
        QVERIFY(!kyAnalysisStep(-1));
        QVERIFY(!kyAnalysisStep(KyAnalysisView::kMode_other));

        // The bar's step buttons, left to right: every button of it but the two arrows.
        QList<KyButton *> bar = view.modeBack->findChildren<KyButton *>();
        bar.removeAll(view.previousModeButton);
        bar.removeAll(view.nextModeButton);
        std::sort(bar.begin(), bar.end(), [&view](const KyButton *a, const KyButton *b) {
            return a->mapTo(&view, QPoint()).x() < b->mapTo(&view, QPoint()).x();
        });
        QCOMPARE(bar.size(), int(steps.size()));

        QList<int> pages;
        for (int i = 0; i < int(steps.size()); ++i) {
            const KyAnalysisStep &step = steps[size_t(i)];
            const QString row = QString::fromLatin1(step.helpName);
            QCOMPARE(step.mode, i);
            QCOMPARE(kyAnalysisStep(i), &step);
            KyButton *button = view.*step.button;
            QVERIFY2(button == bar.at(i), qPrintable(row));

            const QImage off = kyAnalysisStepIcon(step, false).toImage();
            const QImage on = kyAnalysisStepIcon(step, true).toImage();
            QVERIFY2(!off.isNull() && !on.isNull() && off != on, qPrintable(row));
            QVERIFY2(button->icon().toImage().convertToFormat(QImage::Format_ARGB32)
                         == off.convertToFormat(QImage::Format_ARGB32),
                     qPrintable(row));

            if (step.panelPage >= 0) {
                QVERIFY2(!pages.contains(step.panelPage), qPrintable(row));
                pages << step.panelPage;
                QVERIFY2(step.panelPage < view.operationPanel->count(), qPrintable(row));
                QCOMPARE(view.operationPanel->widget(step.panelPage)->objectName(), row + QStringLiteral("Page"));
            }
        }

        // With a document, each button's own slot enters its row's step.
        QTemporaryDir dir;
        std::unique_ptr<KyDocument> doc = analysedCapture(dir);
        QVERIFY(doc);
        attachSettled(view, doc.get());
        for (const KyAnalysisStep &step : steps) {
            (view.*step.button)->click();
            QCOMPARE(view.mode(), step.mode);
        }
    }

    // What each row says about its step is what the screen does in it.
    void eachStepDoesWhatItsRowSays_data()
    {
        QTest::addColumn<int>("step");
        for (const KyAnalysisStep &step : kyAnalysisSteps())
            QTest::newRow(step.helpName) << step.mode;
    }

    void eachStepDoesWhatItsRowSays()
    {
        QFETCH(int, step);
        const KyAnalysisStep &row = *kyAnalysisStep(step);

        QTemporaryDir dir;
        std::unique_ptr<KyDocument> doc = analysedCapture(dir);
        QVERIFY(doc);
        KyAnalysisView view;
        attachSettled(view, doc.get());
        // Attached: the first step is current, the others grey unless they have results.
        for (const KyAnalysisStep &each : kyAnalysisSteps()) {
            const bool black = each.mode == KyAnalysisView::kMode_Lanes || (each.hasResults && each.hasResults(*doc));
            QCOMPARE((view.*each.button)->textColor(), black ? KyLabel::kColor_Black : KyLabel::kColor_Gray);
        }

        // Entered from a step on the profile graph, then from one on the image.
        for (const bool fromProfile : {true, false}) {
            view.setMode(fromProfile ? KyAnalysisView::kMode_Background : KyAnalysisView::kMode_Bands);
            QCOMPARE(view.profileButton->isChecked(), fromProfile);
            view.setMode(step);
            QCOMPARE(view.mode(), step);
            QCOMPARE(KyViewMode::instance()->viewMode(), row.viewMode);
            QVERIFY((view.*row.button)->isChecked());
            const bool profile = row.opensOn == KyAnalysisStep::kOpens_AsBefore
                                     ? fromProfile
                                     : row.opensOn == KyAnalysisStep::kOpens_Profile;
            QCOMPARE(view.profileButton->isChecked(), profile);
            QCOMPARE(view.imageButton->isChecked(), !profile);
            QCOMPARE(view.topArea->currentIndex(), row.panelPage < 0 ? 1 : 0);
            if (row.panelPage >= 0) {
                QCOMPARE(view.operationPanel->currentIndex(), row.panelPage);
                QCOMPARE(view.modeLabel->text(), QString::fromLatin1(row.title));
            }
        }

        // On the image: the sensitivity picker and the MW plot button follow the document only
        // where the row says so.
        view.imageButton->click();
        const int sensitivity = view.bandSensitivityValuePicker->value();
        view.bandSensitivityValuePicker->setValue(sensitivity == 0 ? 1 : 0);
        view.mwViewPlotButton->setEnabled(!doc->HasMWPoints());
        view.updateImage();
        QCOMPARE(view.bandSensitivityValuePicker->value() == sensitivity, row.followsSensitivity);
        QCOMPARE(view.mwViewPlotButton->isEnabled() == doc->HasMWPoints(), row.plotsCalibration);

        // Out of the image tools again, the lane overlay takes picks only where the row says so.
        view.contrastButton->setChecked(true);
        QVERIFY(QMetaObject::invokeMethod(&view, "on_contrastButton_clicked"));
        view.contrastButton->setChecked(false);
        QVERIFY(QMetaObject::invokeMethod(&view, "on_contrastButton_clicked"));
        QCOMPARE(view.laneView()->isEnabled(), row.overlayTakesPicks);

        // On the profile graph, the step panel stays usable only where the row says so.
        view.profileButton->click();
        QCOMPARE(view.operationPanel->isEnabled(), row.panelWithProfile);

        // Lanes moved in the step: only a step that moves the frame measures them before leaving.
        QVERIFY(doc->MoveLaneCorner(1, QPoint(4, 0)));
        const int next = step == KyAnalysisView::kMode_Summary ? KyAnalysisView::kMode_Normalization : step + 1;
        view.setMode(next);
        QCOMPARE(view.mode(), row.movesFrame ? step : next);
        QCOMPARE(KyViewMode::instance()->busyReasons().contains(KyViewMode::kBusy_Background), row.movesFrame);
        QTRY_COMPARE(view.mode(), next);
        QTRY_VERIFY(!KyViewMode::instance()->isBusy());
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
        QCOMPARE(doc->LaneFrame().laneCount(), SamplePainter::kLaneCount);
        QVERIFY(doc->HasLaneTemplate());
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyAnalysisViewSteps)
#include "tst_kyanalysisviewsteps.moc"
