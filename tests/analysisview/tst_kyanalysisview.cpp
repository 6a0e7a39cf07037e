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
#include <QStackedWidget>
#include <QTemporaryDir>

#include <vector>

using corefixtures::attach;

namespace {

// Qt reports a by-name slot whose object or signal it cannot find only as a warning.
QStringList gWarnings;
QtMessageHandler gPreviousHandler = nullptr;

void collectWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg || type == QtCriticalMsg)
        gWarnings.append(message);
    gPreviousHandler(type, context, message);
}

bool shown(const QWidget *inWidget)
{
    return !inWidget->isHidden();
}

bool sameIcon(const QPixmap &inIcon, const QString &inPath)
{
    return !inIcon.isNull()
           && inIcon.toImage().convertToFormat(QImage::Format_ARGB32) == QImage(inPath).convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class TestKyAnalysisView : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        KyCurrentDocument::setDocument(nullptr);
    }

    void everySlotFindsItsSignal()
    {
        gWarnings.clear();
        gPreviousHandler = qInstallMessageHandler(collectWarnings);
        {
            KyAnalysisView view;
        }
        qInstallMessageHandler(gPreviousHandler);
        QCOMPARE(gWarnings.filter(QStringLiteral("No matching signal")), QStringList());
    }

    void withoutDocumentTheScreenIsDisabled()
    {
        KyAnalysisView view;
        QVERIFY(!view.isEnabled());
        QCOMPARE(view.mode(), int(KyAnalysisView::kMode_other));
    }

    // Made without a parent while a BuildInPlace exists, the screen waits for its parent before
    // it builds; with a parent, or without a BuildInPlace, it builds at once.
    void buildInPlace()
    {
        QStackedWidget stack;
        KyAnalysisView *waiting = nullptr;
        {
            const KyAnalysisView::BuildInPlace inPlace;
            waiting = new KyAnalysisView;
            QVERIFY(waiting->findChildren<QWidget *>().isEmpty());
            QVERIFY(!waiting->laneView());
            QVERIFY((new KyAnalysisView(&stack))->laneView());
            stack.addWidget(waiting);
        }
        QVERIFY(waiting->laneView() && waiting->chart());
        QCOMPARE(waiting->styleSheet(), QStringLiteral("color: rgb(0, 0, 0);"));
        const KyAnalysisView parentless;
        QVERIFY(parentless.laneView());
        QCOMPARE(waiting->findChildren<QWidget *>().size(), parentless.findChildren<QWidget *>().size());
    }

    void constructionBuildsOverlaysAndChart()
    {
        KyAnalysisView view;
        QVERIFY(view.laneView());
        QVERIFY(view.summaryLaneView());
        QVERIFY(view.chart());
        QCOMPARE(view.barChartView->chart(), view.chart());
        QVERIFY(!view.chart()->legend()->isVisible());
        QCOMPARE(view.summaryTableView->model(), view.tableModel());
        QCOMPARE(view.summaryTableView_2->model(), view.tableModel());
        QCOMPARE(view.summaryTableView_2->frameShape(), QFrame::NoFrame);
        QCOMPARE(view.laneCountValuePicker->maximum(), 25);
        QCOMPARE(view.mwcalibUnitMenuButton->menus(),
                 (QStringList{QStringLiteral("(none)"), QStringLiteral("basepair"), QStringLiteral("kDa"), QStringLiteral("Da")}));
        QVERIFY(!view.mwcalibNameTextArea->isReadOnly());
        QVERIFY(view.contrast3Button->isHidden());
        QVERIFY(view.contrastToolButton->isChecked());
        QCOMPARE(view.opeArea->currentIndex(), 2);
        QCOMPARE(view.topArea->currentIndex(), 0);
        // The summary overlay highlights the rows of the screen's table.
        QSignalSpy relayed(&view, &KyAnalysisView::tableSelectionChanged);
        emit view.summaryTableView->Selected(QModelIndex());
        QCOMPARE(relayed.count(), 1);
        QSignalSpy printed(&view, &KyAnalysisView::printImage);
        emit view.printButton->clicked();
        QCOMPARE(printed.count(), 1);
    }

    // The band editing box is drawn with a light line and round corners, not the style's black box.
    void bandBoxHasTheLightRoundedLine()
    {
        KyAnalysisView view;
        view.bandFrame->resize(200, 160);
        const QImage picture = view.bandFrame->grab().toImage();
        const QColor edge = picture.pixelColor(0, picture.height() / 2);
        QVERIFY2(edge.lightness() > 150, qPrintable(edge.name()));
        QVERIFY(edge.blue() > edge.red());
        // The corner pixel lies outside the rounded line.
        QVERIFY(picture.pixelColor(0, 0) != edge);
    }

    // What a capture's light modes make of the channel area.
    void attachSetsKindsAndChannelArea_data()
    {
        QTest::addColumn<QString>("capture");
        QTest::addColumn<int>("documentKind");
        QTest::addColumn<int>("displayKind");
        QTest::addColumn<std::vector<int>>("buttonChannels");
        QTest::addColumn<int>("tabPage");            // tabAreaStackedWidget and ...2
        QTest::addColumn<QStringList>("tabTitles");  // singleTab and singleTab2, when tabPage is 0
        QTest::addColumn<int>("tabIndex");
        QTest::addColumn<QStringList>("buttonTexts"); // "" for a hidden button, when tabPage is 1
        QTest::addColumn<QString>("expTitle");
        QTest::addColumn<QStringList>("expTitles");   // title label 1..3, "-" for hidden
        QTest::addColumn<QStringList>("expValues");   // value label 1..3, "-" for hidden
        QTest::addColumn<QString>("contrastNote");
        QTest::addColumn<int>("channels");

        const QString single = QStringLiteral("Contrast adjustment is only available in single channel mode");
        const QString sample = QStringLiteral("Contrast adjustment is only available in sample view");
        const QString hidden = QStringLiteral("-");
        QTest::newRow("one image") << "gel" << 0 << 0 << std::vector<int>{0, -1, -1} << 0 << QStringList{"Sample"} << 0
                                   << QStringList() << "Exposure time" << QStringList{hidden, hidden, hidden}
                                   << QStringList{"30.0 s", hidden, hidden} << single << 0;
        QTest::newRow("marker") << "marker" << 1 << 3 << std::vector<int>{0, -1, 1} << 1 << QStringList() << 0
                                << QStringList{"Sample", "", "Marker"} << "Exposure time"
                                << QStringList{hidden, hidden, hidden} << QStringList{"30.0 s", hidden, hidden} << sample << 0x83;
        QTest::newRow("white light") << "color" << 3 << 3 << std::vector<int>{0, -1, -1} << 0
                                     << QStringList{"Sample", "Color"} << 1 << QStringList() << "Exposure time"
                                     << QStringList{hidden, hidden, hidden} << QStringList{"Automatic", hidden, hidden}
                                     << "Contrast adjustment  is only available in sample view" << 0;
        QTest::newRow("three channels") << "fluor" << 2 << 1 << std::vector<int>{0, 1, 2} << 1 << QStringList() << 0
                                        << QStringList{"Blue", "Green", "Red"} << "Exposure times"
                                        << QStringList{"Blue", "Green", "Red"}
                                        << QStringList{"4.0 s", "8.0 s", "15.0 s"} << single << 0x87;
        QTest::newRow("blue and red") << "bluered" << 2 << 1 << std::vector<int>{0, -1, 2} << 1 << QStringList() << 0
                                      << QStringList{"Blue", "", "Red"} << "Exposure times"
                                      << QStringList{"Blue", hidden, "Red"} << QStringList{"4.0 s", hidden, "15.0 s"}
                                      << single << 0x85;
        // The first image is neither blue nor green: its button shows no channel's exposure.
        QTest::newRow("UV first") << "uvred" << 2 << 1 << std::vector<int>{-1, -1, 2} << 1 << QStringList() << 0
                                  << QStringList{"UV", "", "Red"} << "Exposure times"
                                  << QStringList{hidden, hidden, "Red"} << QStringList{hidden, hidden, "1 min 1.5 s"}
                                  << single << 0x84;
    }

    void attachSetsKindsAndChannelArea()
    {
        QFETCH(QString, capture);
        QFETCH(int, documentKind);
        QFETCH(int, displayKind);
        QFETCH(std::vector<int>, buttonChannels);
        QFETCH(int, tabPage);
        QFETCH(QStringList, tabTitles);
        QFETCH(int, tabIndex);
        QFETCH(QStringList, buttonTexts);
        QFETCH(QString, expTitle);
        QFETCH(QStringList, expTitles);
        QFETCH(QStringList, expValues);
        QFETCH(QString, contrastNote);
        QFETCH(int, channels);

        QTemporaryDir dir;
        std::unique_ptr<KyDocument> doc;
        if (capture == QLatin1String("bluered"))
            doc = corefixtures::openBlueRedCapture(dir);
        else if (capture == QLatin1String("uvred"))
            doc = corefixtures::uvRedDocument();
        else
            doc = corefixtures::openCapture(dir, capture);
        QVERIFY(doc);

        // A screen that showed a three-channel capture before: nothing of it may stay.
        QTemporaryDir earlierDir;
        std::unique_ptr<KyDocument> earlier = corefixtures::openCapture(earlierDir, QStringLiteral("fluor"));
        KyAnalysisView view;
        attach(view, earlier.get());
        attach(view, doc.get());

        QVERIFY(view.isEnabled());
        QCOMPARE(view.mode(), int(KyAnalysisView::kMode_Lanes));
        QCOMPARE(view.documentKind(), documentKind);
        QCOMPARE(view.displayKind(), displayKind);
        QCOMPARE(view.buttonChannels(), buttonChannels);
        QCOMPARE(view.tabAreaStackedWidget->currentIndex(), tabPage);
        QCOMPARE(view.tabAreaStackedWidget2->currentIndex(), tabPage);
        if (tabPage == 0) {
            QCOMPARE(view.singleTab->titles(), tabTitles);
            QCOMPARE(view.singleTab2->titles(), tabTitles);
            QCOMPARE(view.singleTab->currentIndex(), tabIndex);
            QCOMPARE(view.singleTab2->currentIndex(), tabIndex);
            QCOMPARE(view.channelSelection(), 0);
        } else {
            const KyButton *page1[] = {view.ch1Button, view.ch2Button, view.ch3Button};
            const KyButton *page2[] = {view.ch1Button2, view.ch2Button2, view.ch3Button2};
            for (int i = 0; i < 3; ++i) {
                const bool used = !buttonTexts.at(i).isEmpty();
                for (const KyButton *button : {page1[i], page2[i]}) {
                    QCOMPARE(shown(button), used);
                    QCOMPARE(button->isChecked(), used);
                    if (used)
                        QCOMPARE(button->text(), buttonTexts.at(i));
                }
            }
        }
        QCOMPARE(view.dispExpTimeTitleLabel->text(), expTitle);
        QVERIFY(shown(view.dispExpTimeTitleLabel));
        const KyLabel *titles[] = {view.dispExpTimeTitleLabel1, view.dispExpTimeTitleLabel2, view.dispExpTimeTitleLabel3};
        const KyLabel *values[] = {view.dispExpTimeLabel1, view.dispExpTimeLabel2, view.dispExpTimeLabel3};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(shown(titles[i]) ? titles[i]->text() : QStringLiteral("-"), expTitles.at(i));
            QCOMPARE(shown(values[i]) ? values[i]->text() : QStringLiteral("-"), expValues.at(i));
        }
        QCOMPARE(view.contrastMessageEdit->text(), contrastNote);
        QCOMPARE(view.channelSelection(), channels);
        QCOMPARE(view.summaryLaneView()->currentChannelSelection(), channels);
        // The summary canvas shows the chosen channels (the hand-made kind has no composite).
        if (documentKind == KyAnalysisView::kDocument_Multi && capture != QLatin1String("uvred"))
            QVERIFY(view.image2View->imageWidth() > 0);
    }

    // The step buttons show which steps already have results.
    void attachMarksStepsWithResults_data()
    {
        QTest::addColumn<bool>("analysed");
        QTest::addColumn<QList<bool>>("on"); // lanes, bg, bands, mw, norm, summary

        QTest::newRow("fresh") << false << QList<bool>{true, false, false, false, false, false};
        QTest::newRow("analysed") << true << QList<bool>{true, true, true, true, true, true};
    }

    void attachMarksStepsWithResults()
    {
        QFETCH(bool, analysed);
        QFETCH(QList<bool>, on);

        QTemporaryDir dir;
        std::unique_ptr<KyDocument> doc = corefixtures::openCapture(dir, QStringLiteral("gel"));
        QVERIFY(doc);
        if (analysed) {
            sampleanalysis::useShippedData();
            sampleanalysis::layLanes(*doc, SamplePainter::kLaneCount, 0.7);
            doc->ExtractLaneProfiles();
            doc->ApplyBackground(1, 20, true);
            doc->DetectBands(0, sampleanalysis::detectionSet(QStringLiteral("Medium"), false),
                             sampleanalysis::detectionSet(QStringLiteral("Medium"), true));
            QVERIFY(sampleanalysis::markReference(*doc, 0, 1, 0));
            doc->SetMWStandardLane(0, 0);
            QVERIFY(doc->HasBands() && doc->HasBackground() && doc->HasMWStandardLane());
        }

        KyAnalysisView view;
        // An earlier document's finished steps must not carry over.
        QTemporaryDir earlierDir;
        std::unique_ptr<KyDocument> earlier = corefixtures::openCapture(earlierDir, QStringLiteral("gel"));
        attach(view, earlier.get());
        view.summaryModeButton->setIcon(QPixmap(QStringLiteral(":/Kestova/Images/icon_analysis_summary_on.png")));
        view.summaryModeButton->setTextColor(KyLabel::kColor_Black);
        attach(view, doc.get());

        const KyButton *buttons[] = {view.lanesModeButton, view.bgModeButton, view.bandsModeButton,
                                     view.mwModeButton, view.normModeButton, view.summaryModeButton};
        const char *names[] = {"lane", "bg", "band", "mw", "norm", "summary"};
        for (int i = 0; i < 6; ++i) {
            const QString icon = QStringLiteral(":/Kestova/Images/icon_analysis_%1_%2.png")
                                     .arg(QLatin1String(names[i]), on.at(i) ? QStringLiteral("on") : QStringLiteral("off"));
            QVERIFY2(sameIcon(buttons[i]->icon(), icon), names[i]);
            QCOMPARE(buttons[i]->textColor(), on.at(i) ? KyLabel::kColor_Black : KyLabel::kColor_Gray);
            QCOMPARE(buttons[i]->isChecked(), i == 0);
        }
        int method = -1;
        int radius = -1;
        doc->BackgroundParameters(method, radius);
        QCOMPARE(view.bgRubberBandRadioButton->isChecked(), analysed);
        QCOMPARE(view.bgNoneRadioButton->isChecked(), !analysed);
        // Rolling ball is not chosen: the radius picker stays out of sight.
        QCOMPARE(view.radiusWidget->currentIndex(), 1);
    }

    // The rolling-ball radius reaches half the image height at most, in whole picker steps.
    void attachLimitsTheRadius_data()
    {
        QTest::addColumn<double>("pixelSize");
        QTest::addColumn<int>("maximum");

        // 160 px high: half is 80 px; at 50 um that is 4 mm, up to a whole step of 5.
        QTest::newRow("below one step") << 50.0 << 5;
        // 80 px at 300 um: 24 mm, up to 25.
        QTest::newRow("rounded up") << 300.0 << 25;
        // 80 px at 500 um: exactly 40 mm.
        QTest::newRow("whole steps") << 500.0 << 40;
        // No pixel size, no scale: the picker's full range, and its minimum stays.
        QTest::newRow("no pixel size") << 0.0 << 200;
    }

    void attachLimitsTheRadius()
    {
        QFETCH(double, pixelSize);
        QFETCH(int, maximum);

        ImageFile image = corefixtures::channelImage(0, 1000);
        image.SetPixelSize(pixelSize);
        TestDocument doc(QVector<ImageFile>{image});
        KyAnalysisView view;
        attach(view, &doc);
        QCOMPARE(view.bgRadiusValuePicker->maximum(), maximum);
        QCOMPARE(view.bgRadiusValuePicker->minimum(), 5);
    }

    // The main window's close handling re-attaches without resetting the steps.
    void resetWithoutStepsKeepsTheControls()
    {
        QTemporaryDir dir;
        std::unique_ptr<KyDocument> doc = corefixtures::openCapture(dir, QStringLiteral("fluor"));
        QVERIFY(doc);
        KyAnalysisView view;
        attach(view, doc.get());
        // The lanes the attach laid are measured: the step changes at once.
        doc->ExtractLaneProfiles();

        view.ch2Button->setChecked(false);
        view.ch2Button->setText(QStringLiteral("changed"));
        view.zoomOutButton->setEnabled(true);
        view.bgModeButton->setTextColor(KyLabel::kColor_Blue);
        view.highlightCheckBox->setChecked(false);
        view.mwModeButton->click();
        QCOMPARE(view.mode(), int(KyAnalysisView::kMode_MW));
        view.stackedWidget->setCurrentIndex(1);

        view.resetForDocument(false);
        QCOMPARE(view.mode(), int(KyAnalysisView::kMode_Lanes));
        QCOMPARE(view.stackedWidget->currentIndex(), 0);
        QVERIFY(view.isEnabled());
        QVERIFY(!view.ch2Button->isChecked());
        QCOMPARE(view.ch2Button->text(), QStringLiteral("changed"));
        QVERIFY(view.zoomOutButton->isEnabled());
        QCOMPARE(view.bgModeButton->textColor(), KyLabel::kColor_Blue);
        QVERIFY(!view.highlightCheckBox->isChecked());
        QVERIFY(view.bandAddButton->isChecked());
        QVERIFY(!view.bandDeleteButton->isChecked());
        QVERIFY(view.laneView()->isEnabled());
        QVERIFY(view.laneView()->isVisible());
        QVERIFY(!view.laneView()->isDeleteMode());
    }

    // Closing the document leaves a disabled, empty screen.
    void closingTheDocumentEmptiesTheScreen()
    {
        QTemporaryDir dir;
        std::unique_ptr<KyDocument> doc = corefixtures::openCapture(dir, QStringLiteral("fluor"));
        QVERIFY(doc);
        sampleanalysis::useShippedData();
        sampleanalysis::layLanes(*doc, 4, 0.7);
        doc->ExtractLaneProfiles();
        doc->DetectBands(0x87, sampleanalysis::detectionSet(QStringLiteral("Medium"), false),
                         sampleanalysis::detectionSet(QStringLiteral("Medium"), true));
        QVERIFY(doc->HasBands());

        KyAnalysisView view;
        attach(view, doc.get());
        view.tableModel()->setContents(doc.get());
        view.imageView->setImage(doc->qImage(0, QRect()));
        QVERIFY(view.tableModel()->rowCount() > 0);
        QVERIFY(view.image2View->imageWidth() > 0);

        doc.reset();
        view.resetForDocument(true);
        QVERIFY(!view.isEnabled());
        QCOMPARE(view.tableModel()->rowCount(), 0);
        QCOMPARE(view.imageView->imageWidth(), 0);
        QCOMPARE(view.image2View->imageWidth(), 0);
    }

    // The document's analysis changes reach the screen once per attach, however often it attaches.
    void analysisChangesAreFollowed()
    {
        struct CountingDocument : TestDocument
        {
            using TestDocument::TestDocument;
            int analysisReceivers() const { return receivers(SIGNAL(AnalysisChanged())); }
        };
        CountingDocument doc(QVector<ImageFile>{corefixtures::channelImage(0, 1000)});
        KyAnalysisView view;
        attach(view, &doc);
        view.resetForDocument(false);
        view.resetForDocument(true);
        QCOMPARE(doc.analysisReceivers(), 1);
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyAnalysisView)
#include "tst_kyanalysisview.moc"
