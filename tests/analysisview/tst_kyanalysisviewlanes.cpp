#include "testmain.h"

#include "../document/sampleanalysis.h"
#include "../document/testdocument.h"
#include "systemsetting.h"

#include "analysis/kyautobandparametertable.h"
#include "analysisview/kyanalysisview.h"
#include "analysisview/laneview.h"
#include "core/analysissettings.h"
#include "core/kyviewmode.h"
#include "document/kycurrentdocument.h"
#include "document/kydocument.h"
#include "samplecapturewriter.h"
#include "widgets/kymessagebox.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

// The Lanes, Background and Bands steps of the analysis screen, driven through the form's controls
// over captures attached the way the main window attaches them.

namespace {

const QString kLaneCountKey = QStringLiteral("LaneCount");
const QString kLaneWidthKey = QStringLiteral("LaneWidth");
const QString kRadiusKey = QStringLiteral("BG_RollingBallRadius");
const QString kSensitivityKey = QStringLiteral("Band_Sensitivity");

AnalysisSettings *settings()
{
    return AnalysisSettings::instance();
}

// A capture of one 320 x 240 gel image with four lanes of bands; at 0.2 mm a pixel its bands are
// as wide as the shipped sets look for.
std::unique_ptr<TestDocument> gelDocument(double inPixelSize = 200.0)
{
    ImageFile image = kytest::gelImage(320, 240, 4, 11);
    image.SetPixelSize(inPixelSize);
    return std::make_unique<TestDocument>(QVector<ImageFile>{image});
}

// Lanes over the whole image, profiles and bands detected with the shipped "High" set.
void analyse(KyDocument &ioDoc, int inLanes, double inRatio)
{
    ioDoc.SetDefaultLanes(inLanes, inRatio);
    const int right = ioDoc.ImageWidth() - 1;
    const int bottom = ioDoc.ImageHeight() - 1;
    const KyLaneFrame frame = ioDoc.LaneFrame();
    ioDoc.MoveLaneCorner(1, QPoint(0, 0) - frame.topLeft());
    ioDoc.MoveLaneCorner(2, QPoint(right, 0) - frame.topRight());
    ioDoc.MoveLaneCorner(3, QPoint(0, bottom) - frame.bottomLeft());
    ioDoc.MoveLaneCorner(4, QPoint(right, bottom) - frame.bottomRight());
    ioDoc.ExtractLaneProfiles();
    ioDoc.ApplyBackground(3, 20, true);
    const KyBandDetectParameter high = sampleanalysis::detectionSet(QStringLiteral("High"), false);
    ioDoc.DetectBands(0, high, high);
}

// Attaches the document as the main window does after an open.
void attach(KyAnalysisView &ioView, KyDocument *inDoc)
{
    KyCurrentDocument::setDocument(inDoc);
    ioView.resetForDocument(true);
}

// One user step on a picker's arrow: the picker's own handler of its plus or minus button.
void userStep(KyValuePicker *inPicker, bool inUp)
{
    QVERIFY(QMetaObject::invokeMethod(inPicker, inUp ? "up" : "down"));
}

bool isBusy(int inReason)
{
    return KyViewMode::instance()->busyReasons().contains(inReason);
}

// Runs the action on the modal box once its loop runs.
void whenBoxShows(const std::function<void(KyMessageBox *)> &inAction)
{
    QTimer::singleShot(0, [inAction] {
        auto *box = qobject_cast<KyMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            qWarning("no box is showing");
            return;
        }
        QTimer::singleShot(5000, box, [box] { box->done(-1); });
        inAction(box);
    });
}

// The widget point over the peak of a band of channel 0.
QPoint bandPoint(KyAnalysisView &inView, KyDocument &inDoc, int inLane, int inBand)
{
    const KyLaneFrame &frame = inDoc.LaneFrame();
    const KyBandInfo band = inDoc.Band(0, inLane, inBand);
    const QPoint top = frame.laneTop(inLane);
    const QPoint bottom = frame.laneBottom(inLane);
    const double t = double(band.peak()) / std::max(frame.laneLength(inLane), 1);
    const QPoint image(qRound(top.x() + t * (bottom.x() - top.x())), qRound(top.y() + t * (bottom.y() - top.y())));
    return inView.imageView->mapToWidget(image);
}

// Shows the screen with the document's image in the image view, so that clicks reach the overlay.
void showWithImage(KyAnalysisView &ioView, KyDocument &inDoc)
{
    ioView.resize(1280, 800);
    ioView.show();
    QVERIFY(QTest::qWaitForWindowExposed(&ioView));
    ioView.imageView->setImage(inDoc.qImage(0, QRect()));
    ioView.imageView->fitToWindow();
    QApplication::processEvents();
}


// Where a grey image shows lanes and bands: per column (or, over a range of columns, per row) how far
// the brightest point of the profile, smoothed over five points, stands above its median.
double standOut(std::vector<double> inProfile)
{
    std::vector<double> smooth(inProfile.size());
    for (size_t i = 0; i < inProfile.size(); ++i) {
        const size_t first = i < 2 ? 0 : i - 2;
        const size_t last = std::min(inProfile.size() - 1, i + 2);
        double sum = 0.0;
        for (size_t k = first; k <= last; ++k)
            sum += inProfile[k];
        smooth[i] = sum / double(last - first + 1);
    }
    const double peak = *std::max_element(smooth.cbegin(), smooth.cend());
    std::nth_element(smooth.begin(), smooth.begin() + qsizetype(smooth.size() / 2), smooth.end());
    return peak - smooth[smooth.size() / 2];
}

std::vector<double> column(const ImageFile &inImage, int inX)
{
    std::vector<double> values(size_t(inImage.Height()));
    for (int y = 0; y < inImage.Height(); ++y)
        values[size_t(y)] = inImage.ConstData()[size_t(y) * size_t(inImage.Width()) + size_t(inX)];
    return values;
}

} // namespace

class TestKyAnalysisViewLanes : public QObject
{
    Q_OBJECT

    QTemporaryDir mTemp;
    QString mGelFolder;

private slots:
    void initTestCase()
    {
        sampleanalysis::useShippedData();
        QVERIFY(mTemp.isValid());
        SampleCaptureWriter writer(400, 600, 3);
        mGelFolder = writer.Write(QStringLiteral("gel"), mTemp.filePath(QStringLiteral("gel")));
        QVERIFY2(!mGelFolder.isEmpty(), qPrintable(writer.ErrorText()));
        QCOMPARE(KyAutoBandParameterTable::instance()->count(), 3);
    }

    void cleanup()
    {
        KyCurrentDocument::setDocument(nullptr);
        for (const QString &key : {kLaneCountKey, kLaneWidthKey, kRadiusKey, kSensitivityKey})
            settings()->remove(key);
        QVERIFY(KyViewMode::instance()->busyReasons().isEmpty());
    }

    // ---- Lanes -----------------------------------------------------------------------------------

    // A capture without lanes gets default lanes from the stored values as the pickers clamp them;
    // the stored values themselves stay.
    void defaultLanesFromClampedSettings_data()
    {
        QTest::addColumn<int>("storedCount");
        QTest::addColumn<int>("storedWidth");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("width");

        QTest::newRow("width 5 shows 10") << 3 << 5 << 3 << 10;
        QTest::newRow("within the ranges") << 6 << 57 << 6 << 57;
        QTest::newRow("count and width past the top") << 40 << 150 << 25 << 100;
        QTest::newRow("count 0") << 0 << 70 << 1 << 70;
    }
    void defaultLanesFromClampedSettings()
    {
        QFETCH(int, storedCount);
        QFETCH(int, storedWidth);
        QFETCH(int, count);
        QFETCH(int, width);

        settings()->setValue(kLaneCountKey, storedCount);
        settings()->setValue(kLaneWidthKey, storedWidth);
        KyAnalysisView view;
        auto doc = gelDocument();
        attach(view, doc.get());

        QCOMPARE(view.laneCountValuePicker->value(), count);
        QCOMPARE(view.laneWidthValuePicker->value(), width);
        QCOMPARE(view.laneWidthValuePicker->text(), QStringLiteral("%1%").arg(width));
        QCOMPARE(doc->LaneFrame().laneCount(), count);
        QCOMPARE(doc->LaneFrame().laneWidthRatio(), width / 100.0);
        QCOMPARE(settings()->intValue(kLaneCountKey), storedCount);
        QCOMPARE(settings()->intValue(kLaneWidthKey), storedWidth);
        QCOMPARE(view.profileMenuButton->menus().size(), count);
    }

    // A sample capture opened for the first time: the default lanes the screen lays hold every lane
    // the sample shows, one each, and every row of its bands lies between the frame's top and
    // bottom. Measured on the pixels: a column shows a lane where it stands out from the image's
    // edge columns, which hold no lane.
    void theSampleLiesUnderTheDefaultLanes_data()
    {
        QTest::addColumn<QString>("kind");
        for (const QString &kind : SampleCaptureWriter::KindNames())
            QTest::newRow(qPrintable(kind)) << kind;
    }
    void theSampleLiesUnderTheDefaultLanes()
    {
        QFETCH(QString, kind);

        QTemporaryDir dir;
        SampleCaptureWriter writer(300, 450, 5);
        const QString folder = writer.Write(kind, dir.path());
        QVERIFY2(!folder.isEmpty(), qPrintable(writer.ErrorText()));
        std::unique_ptr<KyDocument> doc(KyDocument::Create(folder));
        QVERIFY(doc);
        KyAnalysisView view;
        attach(view, doc.get());
        const KyLaneFrame &frame = doc->LaneFrame();
        QCOMPARE(frame.laneCount(), settings()->defaultValues().value(kLaneCountKey).toInt());
        QCOMPARE(qRound(100 * frame.laneWidthRatio()), settings()->defaultValues().value(kLaneWidthKey).toInt());

        // The first image shows every lane in each kind (the blot of a marker capture, the blue
        // channel of a fluorescence one).
        const ImageFile &image = *doc->Image(0);
        const int width = image.Width();
        std::vector<double> columns;
        for (int x = 0; x < width; ++x)
            columns.push_back(standOut(column(image, x)));
        const int edge = width / 25;
        const double floor = std::max(*std::max_element(columns.cbegin(), columns.cbegin() + edge),
                                      *std::max_element(columns.cend() - edge, columns.cend()));
        const double threshold = 2.0 * floor;

        std::vector<int> columnsOfLane(size_t(frame.laneCount()), 0);
        for (int x = 0; x < width; ++x) {
            if (columns[size_t(x)] <= threshold)
                continue;
            int lane = -1;
            for (int i = 0; i < frame.laneCount() && lane < 0; ++i) {
                const QVector<QPoint> outline = frame.lanePolygon(i);
                if (x >= outline.at(0).x() && x <= outline.at(1).x())
                    lane = i;
            }
            QVERIFY2(lane >= 0, qPrintable(QStringLiteral("column %1 shows a lane outside the frame's lanes").arg(x)));
            ++columnsOfLane[size_t(lane)];
        }
        for (int i = 0; i < frame.laneCount(); ++i) {
            QVERIFY2(columnsOfLane[size_t(i)] > 0, qPrintable(QStringLiteral("lane %1 shows nothing").arg(i + 1)));

            // The lane's rows, averaged over its middle columns: its bands within the frame.
            const int centre = frame.laneTop(i).x();
            std::vector<double> rows(size_t(image.Height()), 0.0);
            for (int x = centre - 1; x <= centre + 1; ++x) {
                const std::vector<double> values = column(image, x);
                for (size_t y = 0; y < rows.size(); ++y)
                    rows[y] += values[y] / 3.0;
            }
            std::vector<double> sorted = rows;
            std::nth_element(sorted.begin(), sorted.begin() + qsizetype(sorted.size() / 2), sorted.end());
            const double median = sorted[sorted.size() / 2];
            for (int y = 0; y < image.Height(); ++y) {
                if (rows[size_t(y)] - median > threshold) {
                    QVERIFY2(y >= frame.laneTopY(i) && y <= frame.laneBottomY(i),
                             qPrintable(QStringLiteral("lane %1 shows a band at row %2").arg(i + 1).arg(y)));
                }
            }
        }
    }

    // Opening an analysed capture shows its lanes on the pickers as near as they go and leaves the
    // capture and the stored defaults exactly as they were: no bands, MW lane or normalisation lost.
    void openedAnalysisIsLeftAlone_data()
    {
        QTest::addColumn<int>("lanes");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<int>("maximumLanes");
        QTest::addColumn<int>("shownCount");
        QTest::addColumn<int>("shownWidth");

        QTest::newRow("width ratio 0.565") << 4 << 0.565 << 25 << 4 << 57;
        QTest::newRow("more lanes than the picker") << 8 << 0.7 << 6 << 6 << 70;
    }
    void openedAnalysisIsLeftAlone()
    {
        QFETCH(int, lanes);
        QFETCH(double, ratio);
        QFETCH(int, maximumLanes);
        QFETCH(int, shownCount);
        QFETCH(int, shownWidth);

        const QString base = mTemp.filePath(QStringLiteral("analysed-%1").arg(QTest::currentDataTag()).replace(' ', '_'));
        {
            auto made = gelDocument();
            analyse(*made, lanes, ratio);
            QVERIFY(made->HasBands());
            int referenceLane = 0;
            while (referenceLane < lanes && made->BandCount(0, referenceLane) < 1)
                ++referenceLane;
            QVERIFY(sampleanalysis::markReference(*made, 0, referenceLane, 0));
            made->SetMWStandardLane(0, 0);
            made->ComputeNormalization();
            QCOMPARE(made->SaveAs(base), 0);
        }
        std::unique_ptr<TestDocument> doc(TestDocument::open(base, 1));
        QVERIFY(doc->HasBands());
        QCOMPARE(doc->LaneFrame().laneWidthRatio(), ratio);
        const QString frame = doc->FormatLanes();
        const QString bands = doc->FormatBands(0);
        const QString mwLane = doc->FormatMWStandardLane();
        QVector<double> normalization;
        for (int lane = 0; lane < lanes; ++lane)
            normalization << doc->NormalizationValue(lane);

        settings()->setValue(kLaneCountKey, 3);
        settings()->setValue(kLaneWidthKey, 40);
        kytest::setSystemSetting(QStringLiteral("MuximumNumberOfLanes"), maximumLanes);
        KyAnalysisView view;
        kytest::setSystemSetting(QStringLiteral("MuximumNumberOfLanes"), QVariant());
        attach(view, doc.get());

        QCOMPARE(view.laneCountValuePicker->value(), shownCount);
        QCOMPARE(view.laneWidthValuePicker->value(), shownWidth);
        QCOMPARE(doc->FormatLanes(), frame);
        QCOMPARE(doc->FormatBands(0), bands);
        QCOMPARE(doc->FormatMWStandardLane(), mwLane);
        for (int lane = 0; lane < lanes; ++lane)
            QCOMPARE(doc->NormalizationValue(lane), normalization.at(lane));
        QCOMPARE(settings()->intValue(kLaneCountKey), 3);
        QCOMPARE(settings()->intValue(kLaneWidthKey), 40);
    }

    // A user's step writes the document and the stored default; programmatic loads did not.
    void userStepsChangeLanesAndDefaults()
    {
        KyAnalysisView view;
        auto doc = gelDocument();
        doc->SetDefaultLanes(4, 0.565);
        attach(view, doc.get());
        QCOMPARE(view.laneWidthValuePicker->value(), 57);

        userStep(view.laneWidthValuePicker, true);
        QCOMPARE(doc->LaneFrame().laneWidthRatio(), 0.58);
        QCOMPARE(settings()->intValue(kLaneWidthKey), 58);

        userStep(view.laneCountValuePicker, true);
        QCOMPARE(doc->LaneFrame().laneCount(), 5);
        QCOMPARE(settings()->intValue(kLaneCountKey), 5);
        QCOMPARE(view.profileMenuButton->menus(),
                 QStringList({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                              QStringLiteral("5")}));
        QCOMPARE(view.profileMenuButton->text(), QStringLiteral("1"));
        QCOMPARE(view.profile2MenuButton->menus().size(), 5);

        // Without a document the steps still store the defaults.
        KyCurrentDocument::setDocument(nullptr);
        userStep(view.laneCountValuePicker, false);
        QCOMPARE(settings()->intValue(kLaneCountKey), 4);
    }

    // The arrows move the selected corner by ten image pixels and are off without a selection.
    void arrowsMoveTheSelectedCorner_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QPoint>("delta");

        QTest::newRow("up") << "laneUpButton" << QPoint(0, -10);
        QTest::newRow("down") << "laneDownButton" << QPoint(0, 10);
        QTest::newRow("left") << "laneLeftButton" << QPoint(-10, 0);
        QTest::newRow("right") << "laneRightButton" << QPoint(10, 0);
    }
    void arrowsMoveTheSelectedCorner()
    {
        QFETCH(QString, button);
        QFETCH(QPoint, delta);

        KyAnalysisView view;
        auto doc = gelDocument();
        attach(view, doc.get());
        showWithImage(view, *doc);
        auto *arrow = view.findChild<QAbstractButton *>(button);
        QVERIFY(arrow);
        QVERIFY(!arrow->isEnabled());

        QRect topLeft, topRight, bottomLeft, bottomRight;
        view.laneView()->cornerHandleRects(topLeft, topRight, bottomLeft, bottomRight);
        QVERIFY(!topLeft.isNull());
        QTest::mouseClick(view.imageView, Qt::LeftButton, {}, topLeft.center());
        QCOMPARE(view.laneView()->selectedCornerIndex(), 1);
        for (QAbstractButton *each : {view.laneUpButton, view.laneDownButton, view.laneLeftButton, view.laneRightButton})
            QVERIFY(each->isEnabled());

        const QPoint before = doc->LaneFrame().topLeft();
        QTest::mouseClick(arrow, Qt::LeftButton);
        QCOMPARE(doc->LaneFrame().topLeft(), before + delta);
        QTest::mouseClick(arrow, Qt::LeftButton);
        QCOMPARE(doc->LaneFrame().topLeft(), before + 2 * delta);

        // A release away from every handle drops the selection and the arrows with it.
        QTest::mouseClick(view.imageView, Qt::LeftButton, {}, view.imageView->rect().center());
        QCOMPARE(view.laneView()->selectedCornerIndex(), 0);
        QVERIFY(!arrow->isEnabled());
        QTest::mouseClick(arrow, Qt::LeftButton);
        QCOMPARE(doc->LaneFrame().topLeft(), before + 2 * delta);
    }

    // Both graphs show the lane the first menu names.
    void profileGraphsFollowTheFirstMenu()
    {
        KyAnalysisView view;
        auto doc = gelDocument();
        analyse(*doc, 4, 0.7);
        attach(view, doc.get());
        view.profileMenuButton->setText(QStringLiteral("3"));
        view.showBGCheckBox->setChecked(!view.showBGCheckBox->isChecked());
        QCOMPARE(view.profileGraphView->lane(), 2);
        QCOMPARE(view.profileGraphView2->lane(), 2);
    }

    // ---- Background ------------------------------------------------------------------------------

    void methodClickStartsOneJob_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("method");
        QTest::addColumn<int>("radiusPage");

        QTest::newRow("none") << "bgNoneRadioButton" << 0 << 1;
        QTest::newRow("rubber band") << "bgRubberBandRadioButton" << 1 << 1;
        QTest::newRow("minimum") << "bgMinimumRadioButton" << 2 << 1;
        QTest::newRow("rolling ball") << "bgRollingBallRadioButton" << 3 << 0;
    }
    void methodClickStartsOneJob()
    {
        QFETCH(QString, button);
        QFETCH(int, method);
        QFETCH(int, radiusPage);

        KyAnalysisView view;
        auto doc = gelDocument(500.0);
        doc->SetDefaultLanes(8, 0.7);
        doc->ExtractLaneProfiles();
        doc->ApplyBackground(method == 1 ? 2 : 1, 20, true);
        attach(view, doc.get());
        view.bgRadiusValuePicker->setValue(35);

        QSignalSpy finished(&view.backgroundWatcher(), SIGNAL(finished()));
        auto *radio = view.findChild<QAbstractButton *>(button);
        QVERIFY(radio);
        radio->click();
        QCOMPARE(view.radiusWidget->currentIndex(), radiusPage);
        QVERIFY(isBusy(KyAnalysisView::kBusy_Background));
        QVERIFY(finished.wait(10000));
        QTest::qWait(20);
        QCOMPARE(finished.count(), 1);
        QVERIFY(!isBusy(KyAnalysisView::kBusy_Background));
        QCOMPARE(doc->backgroundMethod(), method);
        QCOMPARE(doc->rollingBallRadius(), 35);
        QVERIFY(doc->HasBackground() || method == 0);
    }

    // Only a finished run of the radius picker starts a job; it stores the radius first.
    void radiusJobOnlyWhenFinished()
    {
        KyAnalysisView view;
        auto doc = gelDocument(500.0);
        doc->SetDefaultLanes(8, 0.7);
        doc->ExtractLaneProfiles();
        doc->ApplyBackground(3, 20, true);
        attach(view, doc.get());
        QVERIFY(view.bgRollingBallRadioButton->isChecked());
        QCOMPARE(view.radiusWidget->currentIndex(), 0);
        QCOMPARE(view.bgRadiusValuePicker->value(), 20);

        QSignalSpy finished(&view.backgroundWatcher(), SIGNAL(finished()));
        view.bgRadiusValuePicker->setValue(40);
        QTest::qWait(50);
        QCOMPARE(finished.count(), 0);
        QVERIFY(!isBusy(KyAnalysisView::kBusy_Background));
        QVERIFY(!settings()->contains(kRadiusKey));
        QCOMPARE(doc->rollingBallRadius(), 20);

        userStep(view.bgRadiusValuePicker, true);
        QCOMPARE(settings()->intValue(kRadiusKey), 45);
        QVERIFY(finished.wait(10000));
        QTest::qWait(20);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(doc->rollingBallRadius(), 45);
        QVERIFY(!isBusy(KyAnalysisView::kBusy_Background));
    }

    // The radius range comes from the image on every attach; a capture without a pixel size keeps
    // 5 to 200, and does not pull the lower end down for the next one.
    void radiusRangePerCapture()
    {
        KyAnalysisView view;
        auto tiny = gelDocument(30.0);    // half height 120 px = 3.6 mm
        auto unscaled = gelDocument(0.0);
        auto large = gelDocument(500.0);  // half height 120 px = 60 mm

        attach(view, large.get());
        QCOMPARE(view.bgRadiusValuePicker->minimum(), 5);
        QCOMPARE(view.bgRadiusValuePicker->maximum(), 60);
        attach(view, unscaled.get());
        QCOMPARE(view.bgRadiusValuePicker->minimum(), 5);
        QCOMPARE(view.bgRadiusValuePicker->maximum(), 200);
        attach(view, tiny.get());
        QCOMPARE(view.bgRadiusValuePicker->minimum(), 5);
        QCOMPARE(view.bgRadiusValuePicker->maximum(), 5);
        attach(view, large.get());
        QCOMPARE(view.bgRadiusValuePicker->minimum(), 5);
        QCOMPARE(view.bgRadiusValuePicker->maximum(), 60);
    }

    // Leaving the Lanes step with changed lanes enters the next step once the backgrounds are new.
    void changedLanesEnterTheNextStepAfterTheJob()
    {
        KyAnalysisView view;
        auto doc = gelDocument(500.0);
        analyse(*doc, 4, 0.7);
        attach(view, doc.get());
        QCOMPARE(view.mode(), int(KyAnalysisView::kMode_Lanes));
        userStep(view.laneCountValuePicker, true);
        QVERIFY(doc->IsParameterChanged());

        QSignalSpy finished(&view.backgroundWatcher(), SIGNAL(finished()));
        QTest::mouseClick(view.nextModeButton, Qt::LeftButton);
        QCOMPARE(view.mode(), int(KyAnalysisView::kMode_Lanes));
        QVERIFY(finished.wait(10000));
        QCOMPARE(view.mode(), int(KyAnalysisView::kMode_Background));
        QVERIFY(!isBusy(KyAnalysisView::kBusy_Background));
        QVERIFY(doc->HasBackground());
    }

    // ---- Bands -----------------------------------------------------------------------------------

    // Detection runs with the picker's set of both lists, stores the index and finds the bands the
    // document finds with that set itself.
    void detectionOnASampleCapture_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");

        QTest::newRow("Low") << 0 << "Low";
        QTest::newRow("Medium") << 1 << "Medium";
        QTest::newRow("High") << 2 << "High";
    }
    void detectionOnASampleCapture()
    {
        QFETCH(int, index);
        QFETCH(QString, name);

        std::unique_ptr<KyDocument> doc(KyDocument::Create(mGelFolder));
        std::unique_ptr<KyDocument> reference(KyDocument::Create(mGelFolder));
        QVERIFY(doc && reference);
        for (KyDocument *each : {doc.get(), reference.get()})
            sampleanalysis::layLanes(*each, SamplePainter::kLaneCount, 0.7);
        reference->DetectBands(0, sampleanalysis::detectionSet(name, false), sampleanalysis::detectionSet(name, true));

        KyAnalysisView view;
        attach(view, doc.get());
        view.bandSensitivityValuePicker->setValue(index);
        QCOMPARE(view.bandSensitivityValuePicker->text(), name);

        QSignalSpy finished(&view.autoBandWatcher(), SIGNAL(finished()));
        QTest::mouseClick(view.bandAutoDetectButton, Qt::LeftButton);
        QCOMPARE(settings()->intValue(kSensitivityKey), index);
        QVERIFY(isBusy(KyAnalysisView::kBusy_BandDetection));
        QVERIFY(finished.wait(20000));
        QVERIFY(!isBusy(KyAnalysisView::kBusy_BandDetection));

        QCOMPARE(doc->ChannelText(0), name);
        QCOMPARE(doc->FormatBands(0), reference->FormatBands(0));
        for (int lane = 0; lane < SamplePainter::kLaneCount; ++lane)
            QVERIFY2(doc->BandCount(0, lane) > 0, qPrintable(QString::number(lane)));
    }

    // The picker starts at the stored index and names its set.
    void sensitivityPickerFromSettings()
    {
        settings()->setValue(kSensitivityKey, 2);
        KyAnalysisView view;
        QCOMPARE(view.bandSensitivityValuePicker->minimum(), 0);
        QCOMPARE(view.bandSensitivityValuePicker->maximum(), 2);
        QCOMPARE(view.bandSensitivityValuePicker->value(), 2);
        QCOMPARE(view.bandSensitivityValuePicker->text(), QStringLiteral("High"));
        QVERIFY(view.bandAutoDetectButton->isEnabledTo(&view));
    }

    // Without a parameter set detection is off: no job runs with an all-zero set.
    void noParameterSetsNoDetection()
    {
        const QString empty = mTemp.filePath(QStringLiteral("AutoBand-empty.txt"));
        kytest::writeFile(empty, QByteArray());
        sampleanalysis::setSystemSetting(QStringLiteral("AutoBandParameterFilePath"), empty);
        struct Restore
        {
            ~Restore()
            {
                sampleanalysis::useShippedData();
                KyAutoBandParameterTable::instance();
            }
        } restore;

        auto doc = gelDocument();
        analyse(*doc, 4, 0.7);
        const QString bands = doc->FormatBands(0);
        KyAnalysisView view;
        attach(view, doc.get());
        QCOMPARE(KyAutoBandParameterTable::instance()->count(), 0);
        QCOMPARE(view.bandSensitivityValuePicker->minimum(), 0);
        QCOMPARE(view.bandSensitivityValuePicker->maximum(), 0);
        QCOMPARE(view.bandSensitivityValuePicker->text(), QString());
        QVERIFY(!view.bandAutoDetectButton->isEnabledTo(&view));

        // Even a click that gets through starts nothing.
        QSignalSpy finished(&view.autoBandWatcher(), SIGNAL(finished()));
        view.bandAutoDetectButton->setEnabled(true);
        view.bandAutoDetectButton->click();
        QTest::qWait(50);
        QCOMPARE(finished.count(), 0);
        QVERIFY(!isBusy(KyAnalysisView::kBusy_BandDetection));
        QVERIFY(!settings()->contains(kSensitivityKey));
        QCOMPARE(doc->FormatBands(0), bands);
    }

    // The clear question: refused, every band stays; accepted, the selected channel's bands go and
    // the step returns to add mode.
    void clearAsksFirst_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("refused") << false;
        QTest::newRow("accepted") << true;
    }
    void clearAsksFirst()
    {
        QFETCH(bool, accept);

        KyAnalysisView view;
        auto doc = gelDocument();
        analyse(*doc, 4, 0.7);
        const QString bands = doc->FormatBands(0);
        attach(view, doc.get());
        view.setMode(KyAnalysisView::kMode_Bands);
        QTest::mouseClick(view.bandDeleteButton, Qt::LeftButton);
        QVERIFY(view.laneView()->isDeleteMode());
        QVERIFY(!view.bandAddButton->isChecked());

        QString asked;
        whenBoxShows([&asked, accept](KyMessageBox *box) {
            asked = box->text();
            auto *button = box->findChild<QAbstractButton *>(accept ? "acceptButton" : "rejectButton");
            QVERIFY(button);
            button->click();
        });
        QTest::mouseClick(view.bandClearButton, Qt::LeftButton);
        QCOMPARE(asked, QStringLiteral("Are you sure you want to clear all bands in the selected channel(s)?"));

        if (accept) {
            QVERIFY(!doc->HasBands());
            QVERIFY(view.bandAddButton->isChecked());
            QVERIFY(!view.bandDeleteButton->isChecked());
            QVERIFY(!view.laneView()->isDeleteMode());
            QVERIFY(view.bandEditWidget->isEnabled());
        } else {
            QCOMPARE(doc->FormatBands(0), bands);
            QVERIFY(view.bandDeleteButton->isChecked());
        }
    }

    // The move and width buttons act on the selected band by at least one image pixel, also when
    // one screen pixel is less than one image pixel.
    void bandButtonsMoveAndResize_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("startSign");
        QTest::addColumn<int>("endSign");

        QTest::newRow("left") << "bandLeftButton" << -1 << -1;
        QTest::newRow("right") << "bandRightButton" << 1 << 1;
        QTest::newRow("narrower") << "bandReduceButton" << 1 << -1;
        QTest::newRow("wider") << "bandSpreadButton" << -1 << 1;
    }
    void bandButtonsMoveAndResize()
    {
        QFETCH(QString, button);
        QFETCH(int, startSign);
        QFETCH(int, endSign);

        KyAnalysisView view;
        auto doc = gelDocument();
        analyse(*doc, 4, 0.7);
        attach(view, doc.get());
        view.setMode(KyAnalysisView::kMode_Bands);
        QTRY_COMPARE(view.mode(), int(KyAnalysisView::kMode_Bands));
        showWithImage(view, *doc);
        // Shrunk below one screen pixel per image pixel.
        view.imageView->setScale(0.5);

        const int lane = 1;
        QVERIFY(doc->BandCount(0, lane) > 0);
        const int bandCount = doc->BandCount(0, lane);
        const KyBandInfo before = doc->Band(0, lane, 0);
        QTest::mouseClick(view.imageView, Qt::LeftButton, {}, bandPoint(view, *doc, lane, 0));
        QCOMPARE(view.laneView()->selectedLaneIndex(), lane);
        QCOMPARE(view.laneView()->selectedBandIndex(), 0);
        QCOMPARE(doc->BandCount(0, lane), bandCount);

        auto *target = view.findChild<QAbstractButton *>(button);
        QVERIFY(target && target->isEnabled());
        QTest::mouseClick(target, Qt::LeftButton);
        const KyBandInfo after = doc->Band(0, lane, 0);
        QVERIFY2((after.start() - before.start()) * startSign >= 1,
                 qPrintable(QStringLiteral("%1 -> %2").arg(before.start()).arg(after.start())));
        QVERIFY2((after.end() - before.end()) * endSign >= 1,
                 qPrintable(QStringLiteral("%1 -> %2").arg(before.end()).arg(after.end())));
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyAnalysisViewLanes)
#include "tst_kyanalysisviewlanes.moc"
