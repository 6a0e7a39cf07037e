// The Summary step of the analysis screen: the band table, its sort, the bar chart of the picked
// rows, picking bands on the summary image, the white-light tab and the summary print.

#include "mwsummaryfixture.h"
#include "samplecapturewriter.h"
#include "testmain.h"

#include "analysis/kyautobandparametertable.h"
#include "analysisview/kyanalysistables.h"
#include "core/kyviewmode.h"
#include "widgets/kyimageview.h"
#include "widgets/kyvaluepicker.h"
#include "results/kyselectedmodel.h"
#include "results/kytablemodel.h"
#include "widgets/kytab.h"

#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QHeaderView>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace screentest;

namespace {

// Peaks per lane; later positions give larger volumes on the ramp image. Added bands reach 10
// pixels to either side.
const QList<QList<int>> kPeaks = {{12, 50}, {30}, {15, 50, 90}};

void addBands(KyDocument &ioDoc, int inChannel)
{
    for (int lane = 0; lane < kPeaks.size(); ++lane) {
        for (int peak : kPeaks.at(lane))
            QVERIFY(ioDoc.AddBand(inChannel, lane, peak) >= 0);
    }
}

QList<double> barValues(QChart *inChart)
{
    for (QAbstractSeries *series : inChart->series()) {
        if (auto *bars = qobject_cast<QBarSeries *>(series)) {
            if (bars->barSets().isEmpty())
                return {};
            QList<double> values;
            QBarSet *set = bars->barSets().first();
            for (int i = 0; i < set->count(); ++i)
                values.append(set->at(i));
            return values;
        }
    }
    return {};
}

void clickRow(KyTableView *inTable, int inRow)
{
    const QRect cell = inTable->visualRect(inTable->model()->index(inRow, 0));
    QTest::mouseClick(inTable->viewport(), Qt::LeftButton, {}, cell.center());
}

QList<int> selectedRows(KyTableView *inTable)
{
    QList<int> rows;
    for (const QModelIndex &index : inTable->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

QString pdfText(const QString &inPath)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), inPath, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(30000))
        return QString();
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

// Drags a lane-frame corner on the image view from where it is to inTarget (image points).
void dragCorner(KyAnalysisView &ioView, const QPoint &inFrom, const QPoint &inTarget)
{
    KyImageView *canvas = ioView.imageView;
    QTest::mousePress(canvas, Qt::LeftButton, {}, canvas->mapToWidget(inFrom));
    QTest::mouseMove(canvas, canvas->mapToWidget(inTarget));
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, canvas->mapToWidget(inTarget));
}

// The image point over the peak of a band of channel 0.
QPoint bandPeak(const KyDocument &inDoc, int inLane, int inBand)
{
    const KyLaneFrame &frame = inDoc.LaneFrame();
    const QPoint top = frame.laneTop(inLane);
    const QPoint bottom = frame.laneBottom(inLane);
    const double t = double(inDoc.Band(0, inLane, inBand).peak()) / std::max(frame.laneLength(inLane), 1);
    return QPoint(qRound(top.x() + t * (bottom.x() - top.x())), qRound(top.y() + t * (bottom.y() - top.y())));
}

bool jobsDone()
{
    return !KyViewMode::instance()->isBusy();
}

} // namespace

class TestKyAnalysisViewSummary : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<KyAnalysisView> view;
    std::unique_ptr<KyDocument> doc;
    QTemporaryDir captures;

    void open(KyDocument *inDoc)
    {
        doc.reset(inDoc);
        attach(*view, inDoc);
    }
    void enterSummary()
    {
        QTest::mouseClick(view->summaryModeButton, Qt::LeftButton);
        QCOMPARE(view->mode(), int(KyAnalysisView::kMode_Summary));
    }
    KyDocument *sampleCapture(const QString &inKind)
    {
        SampleCaptureWriter writer(160, 240, 7);
        const QString folder = writer.Write(inKind, captures.path() + QLatin1Char('/') + inKind);
        if (folder.isEmpty())
            return nullptr;
        KyDocument *made = KyDocument::Create(folder);
        if (made) {
            made->SetDefaultLanes(3, 0.5);
            made->ExtractLaneProfiles();
        }
        return made;
    }

private slots:
    void initTestCase()
    {
        sampleanalysis::useShippedData();
        QVERIFY(captures.isValid());
    }

    void init()
    {
        view = std::make_unique<KyAnalysisView>();
        view->resize(1024, 700);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    }

    void cleanup()
    {
        KyCurrentDocument::setDocument(nullptr);
        view.reset();
        doc.reset();
    }

    // One image: seven columns without "Channel"; several: eight. Either way the table and its
    // printed copy are sorted by lane after every rebuild.
    void columnsAndSort_data()
    {
        QTest::addColumn<int>("images");
        QTest::addColumn<int>("columns");
        QTest::addColumn<QVector<double>>("fractions");
        QTest::addColumn<int>("laneColumn");
        QTest::newRow("one image") << 1 << 7 << kSummaryColumnWidthsSingle << kSummaryLaneColumnSingle;
        QTest::newRow("three channels") << 3 << 8 << kSummaryColumnWidthsMulti << kSummaryLaneColumnMulti;
    }
    void columnsAndSort()
    {
        QFETCH(int, images);
        QFETCH(int, columns);
        QFETCH(QVector<double>, fractions);
        QFETCH(int, laneColumn);
        auto made = laneDocument(images);
        for (int channel = 0; channel < images; ++channel)
            addBands(*made, channel);
        open(made.release());
        enterSummary();

        for (KyTableView *table : {view->summaryTableView, view->summaryTableView_2}) {
            QAbstractItemModel *model = table->model();
            QCOMPARE(model->columnCount(), columns);
            QCOMPARE(model->rowCount(), 6 * images);
            QCOMPARE(table->columnWidthFractions(), fractions);
            QCOMPARE(table->horizontalHeader()->sortIndicatorSection(), laneColumn);
            QCOMPARE(table->horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
            QCOMPARE(model->headerData(laneColumn, Qt::Horizontal).toString(), QStringLiteral("Lane"));
        }
        // Sort by something else, rebuild: by lane again.
        view->summaryTableView->sortByColumn(laneColumn + 2, Qt::DescendingOrder);
        QCOMPARE(view->summaryTableView_2->horizontalHeader()->sortIndicatorSection(), laneColumn + 2);
        QVERIFY(doc->AddBand(0, 1, 70) >= 0);
        enterSummary();
        QAbstractItemModel *model = view->summaryTableView->model();
        QCOMPARE(model->rowCount(), 6 * images + 1);
        QCOMPARE(view->summaryTableView->horizontalHeader()->sortIndicatorSection(), laneColumn);
        for (int r = 1; r < model->rowCount(); ++r)
            QVERIFY(model->index(r - 1, laneColumn).data().toInt() <= model->index(r, laneColumn).data().toInt());
    }

    // The bars show the current tab's column of the picked rows, in the table's order, also after
    // the table is sorted anew.
    void chartFollowsTabAndSort()
    {
        auto made = laneDocument();
        addBands(*made, 0);
        open(made.release());
        enterSummary();
        KyTableView *table = view->summaryTableView;
        for (int row : {0, 2, 5})
            clickRow(table, row);
        QCOMPARE(view->tableModel()->selectedModel()->rowCount(), 3);

        const auto expected = [this](int inModelColumn) {
            QList<double> values;
            for (const KySelectedRow &row : view->tableModel()->selectedModel()->rows())
                values.append(row.cell(inModelColumn).toDouble());
            return values;
        };
        QCOMPARE(barValues(view->chart()), expected(3)); // "Vol."

        QTest::mouseClick(view->barGraphTab->tabs().at(1), Qt::LeftButton);
        QCOMPARE(barValues(view->chart()), expected(4)); // "Lane%"
        const QList<double> byLane = barValues(view->chart());

        // Volume is view column 2 without the channel column.
        table->sortByColumn(2, Qt::DescendingOrder);
        QCOMPARE(view->summaryTableView_2->horizontalHeader()->sortIndicatorSection(), 2);
        QCOMPARE(view->summaryTableView_2->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
        const QList<double> byVolume = barValues(view->chart());
        QCOMPARE(byVolume, expected(4));
        QVERIFY(byVolume != byLane);
        QList<double> volumes;
        for (const KySelectedRow &row : view->tableModel()->selectedModel()->rows())
            volumes.append(row.volume.toDouble());
        QVERIFY(std::is_sorted(volumes.rbegin(), volumes.rend()));
        QCOMPARE(view->barGraphTab->currentIndex(), 1);
    }

    // A band clicked on the summary image picks its row; the second click unpicks it. Every change
    // tells the summary overlay which rows to highlight. The overlay names bands from 0 (lane 2,
    // band 1 is the row showing lane 3, band 2).
    void bandClickTogglesRow_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("onImage");
        QTest::newRow("one image, clicked on the image") << QString() << true;
        QTest::newRow("one image") << QString() << false;
        QTest::newRow("three channels") << QStringLiteral("fluor") << false;
    }
    void bandClickTogglesRow()
    {
        QFETCH(QString, kind);
        QFETCH(bool, onImage);
        const int channel = kind.isEmpty() ? 0 : 1;
        if (kind.isEmpty()) {
            auto made = laneDocument();
            addBands(*made, 0);
            open(made.release());
        } else {
            KyDocument *made = sampleCapture(kind);
            QVERIFY(made);
            for (int c = 0; c < 3; ++c)
                addBands(*made, c);
            open(made);
        }
        enterSummary();
        KyTableView *table = view->summaryTableView;
        QAbstractItemModel *model = table->model();
        const int laneColumn = kind.isEmpty() ? 0 : 1;
        int target = -1;
        for (int r = 0; r < model->rowCount(); ++r) {
            const bool sameChannel = kind.isEmpty() || model->index(r, 0).data().toString() == doc->ChannelName(channel);
            if (sameChannel && model->index(r, laneColumn).data().toInt() == 3
                && model->index(r, laneColumn + 1).data().toInt() == 2)
                target = r;
        }
        QVERIFY(target >= 0);

        // The peak of band 1 of lane 2 on the summary image.
        const KyLaneFrame &frame = doc->LaneFrame();
        const QVector<QPoint> outline = frame.lanePolygon(2);
        const QPointF along = QPointF(outline.at(2) - outline.at(0)) / frame.laneLength(2);
        const QPoint peak = frame.laneTop(2) + (along * doc->Band(channel, 2, 1).peak()).toPoint();
        const auto clickBand = [&] {
            if (onImage)
                QTest::mouseClick(view->image2View, Qt::LeftButton, {}, view->image2View->mapToWidget(peak));
            else
                view->selectBandOnSummryView(channel, 2, 1);
        };

        QSignalSpy highlighted(view.get(), &KyAnalysisView::summaryTableChanged);
        clickBand();
        QCOMPARE(selectedRows(table), QList<int>{target});
        QVERIFY(view->tableModel()->isRowSelected(target));
        QVERIFY(!highlighted.isEmpty());
        const QModelIndexList rows = highlighted.last().at(0).value<QModelIndexList>();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.first().row(), target);
        QCOMPARE(rows.first().column(), 0);

        clickBand();
        QCOMPARE(selectedRows(table), QList<int>());
        QVERIFY(!view->tableModel()->isRowSelected(target));
        QVERIFY(highlighted.last().at(0).value<QModelIndexList>().isEmpty());

        // A band that is not in the table changes nothing.
        view->selectBandOnSummryView(channel, 2, 9);
        QCOMPARE(selectedRows(table), QList<int>());
    }

    void whiteLightShowsTheColourTab()
    {
        KyDocument *made = sampleCapture(QStringLiteral("color"));
        QVERIFY(made);
        addBands(*made, 0);
        open(made);
        QCOMPARE(view->documentKind(), int(KyAnalysisView::kDocument_Color));
        view->singleTab->setCurrentIndex(0);
        emit view->singleTab->changed(0);
        QCOMPARE(view->singleTab->currentIndex(), 0);
        enterSummary();
        QCOMPARE(view->singleTab->currentIndex(), 1);
    }

    // The table is stale from an analysis change until the Summary step rebuilds it: picked-band
    // keys taken from a stale table may name other bands by then.
    void staleTableTold()
    {
        auto made = laneDocument();
        addBands(*made, 0);
        open(made.release());
        QVERIFY(view->isSummaryTableStale());
        enterSummary();
        QVERIFY(!view->isSummaryTableStale());
        clickRow(view->summaryTableView, 1);
        QCOMPARE(view->tableModel()->selection().size(), 1);

        // Removing the first band of lane 1 renumbers the picked one.
        QTest::mouseClick(view->bandsModeButton, Qt::LeftButton);
        QVERIFY(doc->RemoveBand(0, 0, 0));
        QVERIFY(view->isSummaryTableStale());
        enterSummary();
        QVERIFY(!view->isSummaryTableStale());
        QCOMPARE(view->summaryTableView->model()->rowCount(), 5);

        // Re-entering without a change keeps the table and the picks.
        clickRow(view->summaryTableView, 0);
        QTest::mouseClick(view->normModeButton, Qt::LeftButton);
        QVERIFY(!view->isSummaryTableStale());
        enterSummary();
        QCOMPARE(view->tableModel()->selection().size(), 1);

        KyCurrentDocument::setDocument(nullptr);
        QVERIFY(view->isSummaryTableStale());
    }

    // The whole road on a sample blot, by the screen's own controls: the default lanes over the
    // sample's lanes, the frame widened a little by dragging its corners, rubber-band background, detection, a ladder
    // in lane 1, a reference band in lane 2, the summary and the request for the save page. The
    // summary shows what the same analysis made directly on the document shows.
    void sixStepsToTheSaveRequest()
    {
        const QString folder =
            SampleCaptureWriter(400, 600, 7).Write(QStringLiteral("gel"), captures.path() + QStringLiteral("/road"));
        QVERIFY(!folder.isEmpty());
        KyDocument *made = KyDocument::Create(folder);
        QVERIFY(made);
        open(made);
        QCOMPARE(view->mode(), int(KyAnalysisView::kMode_Lanes));
        QApplication::processEvents();

        // Lanes: the default ones lie on the sample's; the frame is dragged a few pixels wider.
        QCOMPARE(doc->LaneFrame().laneCount(), SamplePainter::kLaneCount);
        const QPoint topLeft = doc->LaneFrame().topLeft() - QPoint(12, 12);
        const QPoint bottomRight = doc->LaneFrame().bottomRight() + QPoint(12, 12);
        dragCorner(*view, doc->LaneFrame().topLeft(), topLeft);
        dragCorner(*view, doc->LaneFrame().topRight(), QPoint(bottomRight.x(), topLeft.y()));
        dragCorner(*view, doc->LaneFrame().bottomLeft(), QPoint(topLeft.x(), bottomRight.y()));
        dragCorner(*view, doc->LaneFrame().bottomRight(), bottomRight);
        const KyLaneFrame laid = doc->LaneFrame();
        QVERIFY2((laid.topLeft() - topLeft).manhattanLength() <= 4, qPrintable(QString::number(laid.topLeft().x())));
        QVERIFY((laid.bottomRight() - bottomRight).manhattanLength() <= 4);

        QTest::mouseClick(view->nextModeButton, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(jobsDone(), 20000);
        QCOMPARE(view->mode(), int(KyAnalysisView::kMode_Background));

        QTest::mouseClick(view->bgRubberBandRadioButton, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(jobsDone(), 20000);
        QVERIFY(doc->HasBackground());

        QTest::mouseClick(view->nextModeButton, Qt::LeftButton);
        QCOMPARE(view->mode(), int(KyAnalysisView::kMode_Bands));
        const int sensitivity = view->bandSensitivityValuePicker->value();
        QTest::mouseClick(view->bandAutoDetectButton, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(jobsDone(), 20000);
        QVERIFY(doc->BandCount(0, 0) >= 3);
        QVERIFY(doc->BandCount(0, 1) >= 1);

        QTest::mouseClick(view->nextModeButton, Qt::LeftButton);
        QCOMPARE(view->mode(), int(KyAnalysisView::kMode_MW));
        const QString ladder = QStringLiteral("DNA 70-1400");
        view->mwStandardMenuButton->setText(ladder);
        emit view->mwStandardMenuButton->selectionChanged(ladder);
        const QPoint laneOne = (laid.laneTop(0) + laid.laneBottom(0)) / 2;
        QTest::mouseClick(view->imageView, Qt::LeftButton, {}, view->imageView->mapToWidget(laneOne));
        QCOMPARE(doc->MWStandardChannel(), 0);
        QCOMPARE(doc->MWStandardLane(), 0);
        QCOMPARE(view->mwCalibStackedWidget->currentIndex(), 0);
        QVERIFY(view->mwViewPlotButton->isEnabled());

        QTest::mouseClick(view->nextModeButton, Qt::LeftButton);
        QCOMPARE(view->mode(), int(KyAnalysisView::kMode_Normalization));
        QTest::mouseClick(view->imageView, Qt::LeftButton, {}, view->imageView->mapToWidget(bandPeak(*doc, 1, 0)));
        QVERIFY(doc->Band(0, 1, 0).isNormalizationReference());

        QTest::mouseClick(view->nextModeButton, Qt::LeftButton);
        QCOMPARE(view->mode(), int(KyAnalysisView::kMode_Summary));

        // The same analysis made on the document directly.
        std::unique_ptr<KyDocument> expected(KyDocument::Create(folder));
        QVERIFY(expected);
        expected->SetDefaultLanes(SamplePainter::kLaneCount, laid.laneWidthRatio());
        const KyLaneFrame plain = expected->LaneFrame();
        expected->MoveLaneCorner(1, laid.topLeft() - plain.topLeft());
        expected->MoveLaneCorner(2, laid.topRight() - plain.topRight());
        expected->MoveLaneCorner(3, laid.bottomLeft() - plain.bottomLeft());
        expected->MoveLaneCorner(4, laid.bottomRight() - plain.bottomRight());
        expected->ExtractLaneProfiles();
        int method = 0;
        int radius = 0;
        doc->BackgroundParameters(method, radius);
        QCOMPARE(method, 1);
        expected->ApplyBackground(method, radius, true);
        const KyAutoBandParameterTable *sets = KyAutoBandParameterTable::instance();
        expected->DetectBands(0, sets->parameter(0, sensitivity), sets->parameter(1, sensitivity));
        expected->SetMWStandard(KyMwStandard(ladder));
        expected->SetMWStandardLane(0, 0);
        KyBandInfo reference = expected->Band(0, 1, 0);
        reference.setNormalizationReference(true);
        expected->ReplaceBand(0, 1, 0, reference);
        expected->ComputeNormalization();
        KyTableModel table;
        table.refresh(expected->ChannelMask());
        table.setContents(expected.get());

        QAbstractItemModel *shown = view->summaryTableView->model();
        QCOMPARE(shown->rowCount(), table.rowCount());
        QCOMPARE(shown->columnCount(), 7);
        for (int r = 0; r < table.rowCount(); ++r) {
            for (int c = 0; c < 7; ++c)
                QCOMPARE(shown->index(r, c).data().toString(), table.index(r, c).data().toString());
        }
        // Lane 2's first band is the reference; lane 1 carries the ladder's weights.
        int refs = 0;
        QStringList ladderCells;
        const QList<int> weights = KyMwStandard(ladder).values();
        for (int r = 0; r < shown->rowCount(); ++r) {
            const int lane = shown->index(r, 0).data().toInt();
            const int band = shown->index(r, 1).data().toInt();
            if (shown->index(r, 4).data().toString() == QLatin1String("ref")) {
                ++refs;
                QCOMPARE(lane, 2);
                QCOMPARE(band, 1);
            }
            if (lane == 1) {
                ladderCells.append(shown->index(r, 5).data().toString());
                QCOMPARE(ladderCells.last(), QStringLiteral("(%1)").arg(weights.value(band - 1)));
            }
        }
        QCOMPARE(refs, 1);
        QCOMPARE(ladderCells.size(), doc->BandCount(0, 0));

        QSignalSpy modes(KyViewMode::instance(), &KyViewMode::viewModeChanged);
        QTest::mouseClick(view->nextModeButton, Qt::LeftButton);
        QCOMPARE(KyViewMode::instance()->viewMode(), KyViewMode::kView_Save);
        QCOMPARE(int(KyViewMode::instance()->viewMode()), 16);
        QCOMPARE(view->mode(), int(KyAnalysisView::kMode_Summary));
    }

    // The print dialog decides: cancelled, nothing; accepted, the report page with the bar caption
    // of the current tab only when rows are picked.
    void summaryPrint_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QList<int>>("picks");
        QTest::addColumn<bool>("caption");
        QTest::newRow("cancelled") << false << QList<int>{0} << false;
        QTest::newRow("nothing picked") << true << QList<int>() << false;
        QTest::newRow("rows picked") << true << QList<int>{0, 3} << true;
    }
    void summaryPrint()
    {
        QFETCH(bool, accept);
        QFETCH(QList<int>, picks);
        QFETCH(bool, caption);
        auto made = laneDocument();
        addBands(*made, 0);
        open(made.release());
        enterSummary();
        for (int row : picks)
            clickRow(view->summaryTableView, row);
        QTest::mouseClick(view->barGraphTab->tabs().at(1), Qt::LeftButton);

        const QString pdf = captures.filePath(QStringLiteral("summary-%1.pdf").arg(QTest::currentDataTag()));
        bool dialogShown = false;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            dialogShown = true;
            dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
            dialog->printer()->setOutputFileName(pdf);
            dialog->done(accept ? QDialog::Accepted : QDialog::Rejected);
        });
        QTest::mouseClick(view->printSummaryButton, Qt::LeftButton);
        QVERIFY(dialogShown);
        QCOMPARE(QFileInfo::exists(pdf), accept);
        if (!accept)
            return;
        // The pictures and the table are images on the page; the caption and the page number are text.
        const QString text = pdfText(pdf);
        QVERIFY2(text.contains(QLatin1Char('1')), qPrintable(text));
        QCOMPARE(text.count(QStringLiteral("Lane %")), caption ? 1 : 0);
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyAnalysisViewSummary)
#include "tst_kyanalysisviewsummary.moc"
