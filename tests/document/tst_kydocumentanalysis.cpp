// Analysis state of the document: lanes, band edits and their bounds, detection, background,
// molecular-weight calibration and normalisation.

#include "testdocument.h"
#include "testmain.h"

#include "analysis/kyautobandparameter.h"
#include "analysis/kybanddetectparameter.h"

#include <QGuiApplication>
#include <QSignalSpy>

#include <memory>

using namespace kytest;

namespace {

// 100 x 80 pixels: the default frame of 3 lanes runs from (20, 16) to (80, 64), so every lane is
// 48 pixels long and its profile has 49 values.
constexpr int kWidth = 100;
constexpr int kHeight = 80;
constexpr int kProfileLength = 49;

std::unique_ptr<TestDocument> laneDocument(const QVector<ImageFile> &inImages, bool inExtract = true)
{
    auto doc = std::make_unique<TestDocument>(inImages);
    doc->SetDefaultLanes(3, 0.5);
    if (inExtract)
        doc->ExtractLaneProfiles();
    return doc;
}

// Row y of the image is worth y + 1: profile value j of every lane is 16 + j + 1.
ImageFile rampImage()
{
    return makeImage(kWidth, kHeight, [](int, int y) { return quint16(y + 1); });
}

KyBandDetectParameter mediumSet()
{
    return KyAutoBandParameter(QStringList{"Medium", "0", "150", "1", "8", "250", "0.003", "8", "4", "10", "5"})
        .toDetectParameter();
}

} // namespace

class TestKyDocumentAnalysis : public QObject
{
    Q_OBJECT

private slots:
    void defaultLanes();
    void laneCountAndRatio();
    void moveLaneCorner_data();
    void moveLaneCorner();
    void foldedStoredFrame();
    void clearLanes();
    void laneHeight();
    void profilesAndBandsOnDemand();
    void addBand_data();
    void addBand();
    void addBandMarksEvenWhenRefused();
    void moveAndResizeBounds_data();
    void moveAndResizeBounds();
    void bandEndingAtTheProfileLength();
    void replaceRemoveAndRead();
    void saturationMarks();
    void clearBands();
    void clearReferenceMarks();
    void channelText_data();
    void channelText();
    void rankBandsByPeak_data();
    void rankBandsByPeak();
    void detectBands();
    void detectBandsWithoutFrame();
    void background_data();
    void background();
    void hasBackground();
    void normalization();
    void normalizationIsNotRepeated();
    void normalizationAfterDetection();
    void zeroDenominators_data();
    void zeroDenominators();
    void standardLane_data();
    void standardLane();
    void curveType();
    void standardValues();
    void mwPointsAndRSquared();
};

void TestKyDocumentAnalysis::defaultLanes()
{
    TestDocument doc({uniformImage(kWidth, kHeight, 100)});
    doc.SetDirty(false);
    QSignalSpy analysis(&doc, &KyDocument::AnalysisChanged);
    doc.SetDefaultLanes(3, 0.5);
    QVERIFY(doc.HasLaneTemplate());
    QCOMPARE(doc.LaneFrame().topLeft(), QPoint(20, 16));
    QCOMPARE(doc.LaneFrame().bottomRight(), QPoint(80, 64));
    QVERIFY(doc.IsDirty());
    QVERIFY(doc.IsAnalysisChanged());
    QVERIFY(doc.IsParameterChanged());
    QCOMPARE(analysis.count(), 1);
    doc.ExtractLaneProfiles();
    QVERIFY(!doc.IsParameterChanged());
    QCOMPARE(doc.Bands().size(), 1);
    QCOMPARE(doc.Bands().at(0).size(), 3);
    QCOMPARE(doc.LaneProfiles(0)->profileLength(2), kProfileLength);
}

void TestKyDocumentAnalysis::laneCountAndRatio()
{
    auto doc = laneDocument({uniformImage(kWidth, kHeight, 100)});
    doc->SetDirty(false);
    doc->SetAnalysisChanged(false);
    doc->SetLaneCount(3);
    QVERIFY(!doc->IsDirty());
    QVERIFY(doc->HasAnalysis());

    QTest::ignoreMessage(QtDebugMsg, "0.5 - 0.5");
    doc->SetLaneWidthRatio(0.5);
    QVERIFY(!doc->IsDirty());
    QVERIFY(doc->HasAnalysis());

    QTest::ignoreMessage(QtDebugMsg, "0.7 - 0.5");
    doc->SetLaneWidthRatio(0.7);
    QVERIFY(doc->IsDirty());
    QVERIFY(!doc->HasAnalysis());
    QVERIFY(doc->IsParameterChanged());
    QCOMPARE(doc->LaneFrame().laneWidthRatio(), 0.7);

    doc->ExtractLaneProfiles();
    doc->SetDirty(false);
    doc->SetLaneCount(5);
    QCOMPARE(doc->LaneFrame().laneCount(), 5);
    QVERIFY(doc->IsDirty());
    QVERIFY(!doc->HasAnalysis());
    QVERIFY(doc->IsParameterChanged());
}

void TestKyDocumentAnalysis::moveLaneCorner_data()
{
    QTest::addColumn<int>("corner");
    QTest::addColumn<QPoint>("delta");
    QTest::addColumn<bool>("moved");
    QTest::addColumn<QPoint>("point");

    QTest::newRow("top-left") << 1 << QPoint(-3, 4) << true << QPoint(17, 20);
    QTest::newRow("top-right, past the right edge") << 2 << QPoint(500, 0) << true << QPoint(99, 16);
    QTest::newRow("bottom-left, to the left edge") << 3 << QPoint(-500, 0) << true << QPoint(0, 64);
    // Moves that would fold the frame are refused and leave the corner where it was.
    QTest::newRow("bottom-left, past the top-left") << 3 << QPoint(-500, -500) << false << QPoint(20, 64);
    QTest::newRow("bottom-left, onto the top row") << 3 << QPoint(0, -48) << false << QPoint(20, 64);
    QTest::newRow("bottom-right, one row below the top") << 4 << QPoint(0, -47) << true << QPoint(80, 17);
    QTest::newRow("top-left, onto the top-right column") << 1 << QPoint(60, 0) << false << QPoint(20, 16);
    QTest::newRow("top-right, past the top-left") << 2 << QPoint(-70, 5) << false << QPoint(80, 16);
    QTest::newRow("top-right, below the bottom") << 2 << QPoint(0, 500) << false << QPoint(80, 16);
    QTest::newRow("bottom-right, onto the bottom-left column") << 4 << QPoint(-60, 0) << false << QPoint(80, 64);
    QTest::newRow("bottom-right, past the bottom") << 4 << QPoint(0, 1000) << true << QPoint(80, 79);
    QTest::newRow("no delta") << 1 << QPoint(0, 0) << false << QPoint(20, 16);
    QTest::newRow("huge delta saturates") << 2 << QPoint(std::numeric_limits<int>::max(), 0) << true << QPoint(99, 16);
    QTest::newRow("corner 0") << 0 << QPoint(1, 1) << false << QPoint();
    QTest::newRow("corner 5") << 5 << QPoint(1, 1) << false << QPoint();
}

void TestKyDocumentAnalysis::moveLaneCorner()
{
    QFETCH(int, corner);
    QFETCH(QPoint, delta);
    QFETCH(bool, moved);
    QFETCH(QPoint, point);
    auto doc = laneDocument({uniformImage(kWidth, kHeight, 100)});
    doc->SetDirty(false);
    QCOMPARE(doc->MoveLaneCorner(corner, delta), moved);
    QCOMPARE(doc->IsDirty(), moved);
    QCOMPARE(doc->HasAnalysis(), !moved);
    QCOMPARE(doc->IsParameterChanged(), moved);
    const KyLaneFrame &f = doc->LaneFrame();
    const QPoint corners[] = {f.topLeft(), f.topRight(), f.bottomLeft(), f.bottomRight()};
    if (corner >= 1 && corner <= 4)
        QCOMPARE(corners[corner - 1], point);
}

// A stored frame may come folded (here the top corners on one column): its lanes stay on the
// image, and corner moves may unfold it but not fold it further.
void TestKyDocumentAnalysis::foldedStoredFrame()
{
    auto doc = laneDocument({uniformImage(kWidth, kHeight, 100)}, false);
    QVERIFY(doc->ParseLanes(QStringLiteral("3,0.5,20,16,20,40,20,64,80,64")));
    QVERIFY(doc->HasLaneTemplate());
    const QRect around(-kWidth, -kHeight, 3 * kWidth, 3 * kHeight);
    for (int lane = 0; lane < 3; ++lane) {
        for (const QPoint &p : doc->LaneFrame().lanePolygon(lane))
            QVERIFY2(around.contains(p), qPrintable(QStringLiteral("lane %1").arg(lane)));
    }

    QVERIFY(!doc->MoveLaneCorner(2, QPoint(0, 30)));   // below the bottom-right: folds once more
    QCOMPARE(doc->LaneFrame().topRight(), QPoint(20, 40));
    QVERIFY(doc->MoveLaneCorner(2, QPoint(0, 5)));     // still folded, nothing new broken
    QVERIFY(doc->MoveLaneCorner(2, QPoint(60, -29)));  // unfolded
    QCOMPARE(doc->LaneFrame().topRight(), QPoint(80, 16));
    QVERIFY(!doc->MoveLaneCorner(2, QPoint(-60, 0)));  // and it stays so
}

void TestKyDocumentAnalysis::clearLanes()
{
    auto doc = laneDocument({uniformImage(kWidth, kHeight, 100), ImageFile(), uniformImage(kWidth, kHeight, 5)});
    for (ImageFile &image : doc->images())
        image.SetTag(KyItemName::Lane, QStringLiteral("old"));
    doc->SetMWStandardLane(0, 1);
    doc->ClearLanes();
    QVERIFY(!doc->HasLaneTemplate());
    QVERIFY(!doc->HasAnalysis());
    QVERIFY(doc->images().at(0).Tag(KyItemName::Lane).isEmpty());
    QVERIFY(doc->images().at(2).Tag(KyItemName::Lane).isEmpty());
    QCOMPARE(doc->images().at(1).Tag(KyItemName::Lane), QStringLiteral("old")); // null record
    QCOMPARE(doc->MWStandardChannel(), -1);
    QVERIFY(doc->IsParameterChanged());
    QVERIFY(!doc->IsAnalysisCurrent());
    // Without lanes it does nothing.
    doc->SetDirty(false);
    doc->ClearLanes();
    QVERIFY(!doc->IsDirty());
}

void TestKyDocumentAnalysis::laneHeight()
{
    auto doc = laneDocument({uniformImage(kWidth, kHeight, 100)});
    QCOMPARE(doc->LaneHeight(0), 48);
    QCOMPARE(doc->LaneHeight(2), 48);
    QCOMPARE(doc->LaneHeight(3), 0);
    QCOMPARE(doc->LaneHeight(-1), 0);
}

void TestKyDocumentAnalysis::profilesAndBandsOnDemand()
{
    auto doc = laneDocument({uniformImage(kWidth, kHeight, 100), uniformImage(kWidth, kHeight, 7)}, false);
    QVERIFY(!doc->HasAnalysis());
    KyLaneProfiles *profiles = doc->LaneProfiles(1);
    QVERIFY(profiles);
    QCOMPARE(profiles->profile(0).value(3), 7.0);
    QVERIFY(doc->LaneProfiles(2) == nullptr);
    QCOMPARE(doc->Bands().size(), 2);
    QCOMPARE(doc->FirstValidChannelBands(), &doc->Bands()[0]);

    TestDocument none({uniformImage(kWidth, kHeight, 100)});
    QVERIFY(none.LaneProfiles(0) == nullptr);
    QVERIFY(none.Bands().isEmpty());
    QVERIFY(none.FirstValidChannelBands() == nullptr);
}

void TestKyDocumentAnalysis::addBand_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("lane");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("result");

    QTest::newRow("start would be negative") << 0 << 0 << 5 << -1;
    QTest::newRow("start at 0") << 0 << 0 << 10 << 0;
    QTest::newRow("end at the profile length") << 0 << 1 << kProfileLength - 10 << 0;
    QTest::newRow("end past the profile length") << 0 << 1 << kProfileLength - 9 << -1;
    QTest::newRow("channel selection") << 0x81 << 0 << 20 << -1;
    QTest::newRow("channel beyond the bands") << 2 << 0 << 20 << -1;
    QTest::newRow("negative channel") << -1 << 0 << 20 << -1;
    QTest::newRow("lane past the frame") << 0 << 3 << 20 << -1;
    QTest::newRow("negative lane") << 0 << -1 << 20 << -1;
    QTest::newRow("huge position") << 0 << 0 << std::numeric_limits<int>::max() << -1;
    QTest::newRow("lowest position") << 0 << 0 << std::numeric_limits<int>::min() << -1;
}

void TestKyDocumentAnalysis::addBand()
{
    QFETCH(int, channel);
    QFETCH(int, lane);
    QFETCH(int, position);
    QFETCH(int, result);
    auto doc = laneDocument({uniformImage(kWidth, kHeight, 100), uniformImage(kWidth, kHeight, 100)});
    QTEST(doc->AddBand(channel, lane, position), "result");
    if (result >= 0) {
        const KyBandInfo band = doc->Band(channel, lane, 0);
        QCOMPARE(band.start(), position - 10);
        QCOMPARE(band.peak(), position);
        QCOMPARE(band.end(), position + 10);
        QCOMPARE(band.volume(), 0.0);
        QVERIFY(!band.isNormalizationReference());
    }

    // A document whose band vectors were never built.
    auto bare = laneDocument({uniformImage(kWidth, kHeight, 100)}, false);
    QCOMPARE(bare->AddBand(0, 0, 20), -1);
}

void TestKyDocumentAnalysis::addBandMarksEvenWhenRefused()
{
    auto doc = laneDocument({uniformImage(kWidth, kHeight, 100)});
    QCOMPARE(doc->AddBand(0, 0, 19), 0); // 9..29
    doc->SetDirty(false);
    doc->ComputeNormalization();
    QVERIFY(!doc->IsAnalysisChanged());
    QCOMPARE(doc->AddBand(0, 0, 25), -1); // overlaps
    QVERIFY(doc->IsDirty());
    QVERIFY(doc->IsAnalysisChanged());
    QCOMPARE(doc->BandCount(0, 0), 1);
    QCOMPARE(doc->AddBand(0, 0, 39), 1); // 29..49: touching ends are allowed
    QCOMPARE(doc->AddBand(0, 1, 10), 0);
    QCOMPARE(doc->AddBand(0, 1, 30), 1);
    QCOMPARE(doc->AddBand(0, 1, 19), -1); // would reach into both neighbours
}

void TestKyDocumentAnalysis::moveAndResizeBounds_data()
{
    QTest::addColumn<bool>("resize");
    QTest::addColumn<int>("delta");
    QTest::addColumn<bool>("result");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");

    // The band 19..39 (peak 29) of a lane whose profile has 49 values.
    QTest::newRow("move to the profile length") << false << 10 << true << 29 << 49;
    QTest::newRow("move past the profile length") << false << 11 << false << 19 << 39;
    QTest::newRow("move to 0") << false << -19 << true << 0 << 20;
    QTest::newRow("move below 0") << false << -20 << false << 19 << 39;
    QTest::newRow("move by a huge delta") << false << std::numeric_limits<int>::max() << false << 19 << 39;
    QTest::newRow("spread to the profile length") << true << 10 << true << 9 << 49;
    QTest::newRow("spread past it") << true << 11 << false << 19 << 39;
    QTest::newRow("narrow to one point") << true << -10 << true << 29 << 29;
    QTest::newRow("narrow past itself") << true << -11 << false << 19 << 39;
    QTest::newRow("spread by a huge delta") << true << std::numeric_limits<int>::min() << false << 19 << 39;
}

void TestKyDocumentAnalysis::moveAndResizeBounds()
{
    QFETCH(bool, resize);
    QFETCH(int, delta);
    QFETCH(bool, result);
    auto doc = laneDocument({uniformImage(kWidth, kHeight, 100)});
    QCOMPARE(doc->AddBand(0, 1, 29), 0);
    doc->SetDirty(false);
    const bool done = resize ? doc->ResizeBand(0, 1, 0, delta) : doc->MoveBand(0, 1, 0, delta);
    QCOMPARE(done, result);
    QCOMPARE(doc->IsDirty(), result);
    QTEST(doc->Band(0, 1, 0).start(), "start");
    QTEST(doc->Band(0, 1, 0).end(), "end");

    QVERIFY(!doc->MoveBand(0x81, 1, 0, 1));
    QVERIFY(!doc->MoveBand(0, 3, 0, 1));
    QVERIFY(!doc->MoveBand(0, 1, 1, 1));
    QVERIFY(!doc->ResizeBand(0, 1, -1, 1));
}

void TestKyDocumentAnalysis::bandEndingAtTheProfileLength()
{
    // A band may end one past the last profile value, and a band put in place by hand may reach
    // farther still: volumes sum the values the profile has.
    auto doc = laneDocument({rampImage()});
    QCOMPARE(doc->AddBand(0, 0, kProfileLength - 10), 0);
    QCOMPARE(doc->AddBand(0, 1, 20), 0);
    QVERIFY(doc->ReplaceBand(0, 1, 0, KyBandInfo(40, 45, kProfileLength + 30, false, 0.0, false)));
    QCOMPARE(doc->AddBand(0, 2, 20), 0);
    QVERIFY(doc->ReplaceBand(0, 2, 0, KyBandInfo(-30, 2, 3, false, 0.0, false)));
    doc->ComputeNormalization();
    const auto sum = [](int inFirst, int inLast) {
        double total = 0.0;
        for (int j = inFirst; j <= inLast; ++j)
            total += 16 + j + 1;
        return total;
    };
    QCOMPARE(doc->Band(0, 0, 0).volume(), sum(kProfileLength - 20, kProfileLength - 1));
    QCOMPARE(doc->Bands().at(0).at(0).total(), sum(kProfileLength - 20, kProfileLength - 1));
    QCOMPARE(doc->Band(0, 1, 0).volume(), sum(40, kProfileLength - 1));
    QCOMPARE(doc->Band(0, 2, 0).volume(), sum(0, 3));
}

void TestKyDocumentAnalysis::replaceRemoveAndRead()
{
    auto doc = laneDocument({uniformImage(kWidth, kHeight, 100)});
    QCOMPARE(doc->AddBand(0, 2, 20), 0);
    QVERIFY(doc->ReplaceBand(0, 2, 0, KyBandInfo(12, 15, 18, true, 42.0, true)));
    KyBandInfo band = doc->Band(0, 2, 0);
    QCOMPARE(band.start(), 12);
    QVERIFY(band.isNormalizationReference());
    QVERIFY(!band.isSaturated()); // derived from the profile, not taken over
    QVERIFY(doc->ReplaceBand(0, 2, 5, KyBandInfo(1, 2, 3, false, 0.0, false))); // index outside: nothing
    QCOMPARE(doc->BandCount(0, 2), 1);
    QVERIFY(!doc->ReplaceBand(0x81, 2, 0, band));
    QVERIFY(!doc->ReplaceBand(0, 7, 0, band));

    QCOMPARE(doc->Band(0, 9, 0), KyBandInfo());
    QCOMPARE(doc->Band(0x80, 2, 0), KyBandInfo());
    QCOMPARE(doc->BandCount(0, 9), -1);
    QCOMPARE(doc->BandCount(4, 0), -1);
    QCOMPARE(doc->BandCount(0, 0), 0);

    QVERIFY(!doc->RemoveBand(0, 2, 1));
    QVERIFY(!doc->RemoveBand(0, 2, -1));
    QVERIFY(doc->RemoveBand(0, 2, 0));
    QCOMPARE(doc->BandCount(0, 2), 0);
    QVERIFY(!doc->HasBands());
}

void TestKyDocumentAnalysis::saturationMarks()
{
    // Row 61 is saturated: profile point 45 of every lane (16 + 45).
    ImageFile image = makeImage(kWidth, kHeight, [](int, int y) { return quint16(y == 61 ? 65535 : 500); });
    auto doc = laneDocument({image});
    QCOMPARE(doc->AddBand(0, 0, 19), 0);
    QVERIFY(!doc->Band(0, 0, 0).isSaturated());
    QCOMPARE(doc->AddBand(0, 0, kProfileLength - 10), 1);
    QVERIFY(doc->Band(0, 0, 1).isSaturated());
    QVERIFY(doc->MoveBand(0, 0, 0, -5)); // 4..24
    QVERIFY(!doc->Band(0, 0, 0).isSaturated());
    QVERIFY(doc->MoveBand(0, 0, 1, -4)); // 25..45
    QVERIFY(doc->Band(0, 0, 1).isSaturated());
    QVERIFY(doc->ResizeBand(0, 0, 1, -1)); // 26..44: clear of point 45
    QVERIFY(!doc->Band(0, 0, 1).isSaturated());
    QVERIFY(doc->ReplaceBand(0, 0, 0, KyBandInfo(40, 44, 45, false, 0.0, false)));
    QVERIFY(doc->Band(0, 0, 0).isSaturated());
}

void TestKyDocumentAnalysis::clearBands()
{
    auto doc = laneDocument({uniformImage(kWidth, kHeight, 100), uniformImage(kWidth, kHeight, 100)});
    doc->SetDirty(false);
    doc->ClearBands(0x83); // nothing to clear
    QVERIFY(!doc->IsDirty());

    QCOMPARE(doc->AddBand(0, 0, 20), 0);
    QCOMPARE(doc->AddBand(0, 1, 20), 0);
    QCOMPARE(doc->AddBand(1, 0, 20), 0);
    // One value per lane, over the references of every channel: clearing one channel's bands
    // leaves no lane's value standing.
    doc->normalization() = {5.0, 6.0, 7.0};
    doc->ClearBands(0x81);
    QCOMPARE(doc->BandCount(0, 0), 0);
    QCOMPARE(doc->BandCount(0, 1), 0);
    QCOMPARE(doc->BandCount(1, 0), 1);
    QCOMPARE(doc->normalization(), QVector<double>());
    QVERIFY(doc->IsDirty());
    QVERIFY(doc->IsAnalysisChanged());
    doc->normalization() = {5.0, 6.0, 7.0};
    doc->ClearBands(1);
    QVERIFY(!doc->HasBands());
    QCOMPARE(doc->normalization(), QVector<double>());
}

void TestKyDocumentAnalysis::clearReferenceMarks()
{
    auto doc = laneDocument({uniformImage(kWidth, kHeight, 100), uniformImage(kWidth, kHeight, 100)});
    QCOMPARE(doc->AddBand(0, 0, 20), 0);
    QCOMPARE(doc->AddBand(1, 2, 30), 0);
    QVERIFY(doc->ReplaceBand(0, 0, 0, KyBandInfo(10, 20, 30, true, 0.0, false)));
    QVERIFY(doc->ReplaceBand(1, 2, 0, KyBandInfo(20, 30, 40, true, 0.0, false)));
    doc->SetDirty(false);
    QVERIFY(!doc->ClearReferenceMarks(1));
    QVERIFY(!doc->IsDirty());
    QVERIFY(doc->HasNormalizationReference());
    QVERIFY(doc->ClearReferenceMarks(0x81));
    QVERIFY(!doc->HasNormalizationReference());
    QVERIFY(doc->IsDirty());
    QCOMPARE(doc->Band(1, 2, 0).start(), 20);
}

void TestKyDocumentAnalysis::channelText_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("text");
    QTest::newRow("channel 1") << 1 << "b";
    QTest::newRow("selection of channel 0") << 0x81 << "a";
    QTest::newRow("selection of channel 1") << 0x82 << "b";
    QTest::newRow("selection of channel 2") << 0x84 << "c";
    QTest::newRow("selection of 0 and 1") << 0x83 << "a";
    QTest::newRow("empty selection") << 0x80 << "c";
    QTest::newRow("no such channel") << 5 << "";
    QTest::newRow("-1 has bit 0x80: a selection") << -1 << "a";
}

void TestKyDocumentAnalysis::channelText()
{
    QFETCH(int, channel);
    TestDocument doc;
    doc.channelTexts() = {"a", "b", "c"};
    QTEST(doc.ChannelText(channel), "text");
}

void TestKyDocumentAnalysis::rankBandsByPeak_data()
{
    QTest::addColumn<QVector<double>>("peaks");
    QTest::addColumn<QList<int>>("ranking");
    QTest::addColumn<int>("cap");
    QTest::addColumn<QList<int>>("kept");

    QTest::newRow("equal peaks keep their order") << QVector<double>{1, 2, 2, 3} << QList<int>{3, 1, 2, 0} << 2
                                                  << QList<int>{1, 3};
    QTest::newRow("5, 9, 7, 9") << QVector<double>{5, 9, 7, 9} << QList<int>{1, 3, 2, 0} << 2 << QList<int>{1, 3};
    QTest::newRow("all equal") << QVector<double>{4, 4, 4} << QList<int>{0, 1, 2} << 2 << QList<int>{0, 1};
    QTest::newRow("descending") << QVector<double>{9, 5, 1} << QList<int>{0, 1, 2} << 1 << QList<int>{0};
    QTest::newRow("not a number ranks last") << QVector<double>{std::nan(""), 1, -5} << QList<int>{1, 2, 0} << 2
                                             << QList<int>{1, 2};
    QTest::newRow("none") << QVector<double>{} << QList<int>{} << 2 << QList<int>{};
}

void TestKyDocumentAnalysis::rankBandsByPeak()
{
    QFETCH(QVector<double>, peaks);
    QFETCH(int, cap);
    // Band k peaks at profile point 2k + 1, which holds peaks[k].
    KyBandList bands;
    QVector<double> net(2 * peaks.size() + 2, 0.0);
    for (int k = 0; k < peaks.size(); ++k) {
        bands.append(KyBandInfo(2 * k, 2 * k + 1, 2 * k + 2, false, 0.0, false));
        net[2 * k + 1] = peaks.at(k);
    }
    const QList<int> ranking = KyDocument::RankBandsByPeak(bands, net);
    QTEST(ranking, "ranking");
    QList<int> kept = ranking.mid(0, cap);
    std::sort(kept.begin(), kept.end());
    QTEST(kept, "kept");

    // A peak outside the profile reads its nearest end instead of past it.
    KyBandList outside;
    outside.append(KyBandInfo(0, 500, 600, false, 0.0, false));
    outside.append(KyBandInfo(0, -4, 1, false, 0.0, false));
    QCOMPARE(KyDocument::RankBandsByPeak(outside, {3.0, 1.0, 8.0}), (QList<int>{0, 1}));
    QCOMPARE(KyDocument::RankBandsByPeak(outside, {}), (QList<int>{0, 1}));
}

void TestKyDocumentAnalysis::detectBands()
{
    ImageFile image = gelImage(160, 240, 4, 21);
    image.SetPixelSize(100.0);
    const KyBandDetectParameter set = mediumSet();

    // A frame over the gel's four lanes.
    const QString frame = QStringLiteral("4,0.5,0,10,159,10,0,230,159,230");

    // Without a cap worth the name: the full detection.
    ScopedSystemSettings wide({{"MaximumNumberOfBandAutoDetection", 100}});
    TestDocument all({image, image});
    all.ParseLanes(frame);
    all.ClearAnalysis();
    QVERIFY(!all.HasAnalysis());
    all.DetectBands(0x83, set, set);
    // The profiles were extracted for the detection; the set's name is kept all the same.
    QCOMPARE(all.ChannelText(0), QStringLiteral("Medium"));
    QCOMPARE(all.ChannelText(1), QStringLiteral("Medium"));
    QVERIFY(all.HasBands());
    int most = 0;
    for (int j = 0; j < 4; ++j)
        most = std::max(most, all.BandCount(0, j));
    QVERIFY2(most > 2, "the gel should give lanes of more than two bands");

    ScopedSystemSettings two({{"MaximumNumberOfBandAutoDetection", 2}});
    auto capped = std::make_unique<TestDocument>(QVector<ImageFile>{image, image});
    capped->ParseLanes(frame);
    capped->SetDirty(false);
    capped->DetectBands(0, set, set);
    QVERIFY(capped->IsDirty());
    QCOMPARE(capped->ChannelText(1), QString());
    for (int j = 0; j < 4; ++j) {
        const KyBandList &full = all.Bands().at(0).at(j);
        const KyBandList &kept = capped->Bands().at(0).at(j);
        QCOMPARE(kept.count(), std::min(2, full.count()));
        QList<int> expected = KyDocument::RankBandsByPeak(full, all.LaneProfiles(0)->netProfile(j)).mid(0, 2);
        std::sort(expected.begin(), expected.end());
        for (int k = 0; k < kept.count(); ++k) {
            QCOMPARE(kept.at(k).start(), full.at(expected.at(k)).start());
            QCOMPARE(kept.at(k).end(), full.at(expected.at(k)).end());
        }
        QCOMPARE(capped->BandCount(1, j), 0);
    }

    // Channels beyond the images are passed over.
    capped->DetectBands(5, set, set);
    QCOMPARE(capped->Bands().size(), 2);
}

void TestKyDocumentAnalysis::detectBandsWithoutFrame()
{
    TestDocument doc({gelImage(60, 40, 3, 1)});
    doc.SetDirty(false);
    doc.DetectBands(0, mediumSet(), mediumSet());
    QVERIFY(!doc.IsDirty());
    QVERIFY(!doc.HasBands());
}

void TestKyDocumentAnalysis::background_data()
{
    QTest::addColumn<int>("scenario");
    QTest::addColumn<int>("method");
    QTest::addColumn<int>("radius");
    QTest::addColumn<bool>("force");
    QTest::addColumn<bool>("proceeds");

    // Scenario 0: profiles extracted after the frame, then (3, 20) forced.
    QTest::newRow("same method and radius") << 0 << 3 << 20 << false << false;
    QTest::newRow("same, forced") << 0 << 3 << 20 << true << true;
    QTest::newRow("rolling ball, other radius") << 0 << 3 << 25 << false << true;
    QTest::newRow("other method") << 0 << 1 << 20 << false << true;
    // Scenario 1: (1, 20) forced: the radius of another method does not count.
    QTest::newRow("rubber band, other radius") << 1 << 1 << 25 << false << false;
    QTest::newRow("none after rubber band") << 1 << 0 << 20 << false << true;
    // Scenario 2: (3, 20) forced, then the lane count changed.
    QTest::newRow("after a lane-count change") << 2 << 3 << 20 << false << true;
    // Scenario 3: a frame without profiles extracted since.
    QTest::newRow("none on a new frame") << 3 << 0 << 20 << false << true;
}

void TestKyDocumentAnalysis::background()
{
    QFETCH(int, scenario);
    QFETCH(int, method);
    QFETCH(int, radius);
    QFETCH(bool, force);
    QFETCH(bool, proceeds);
    auto doc = laneDocument({gelImage(kWidth, kHeight, 3, 4)}, scenario != 3);
    if (scenario == 0 || scenario == 2)
        doc->ApplyBackground(3, 20, true);
    if (scenario == 1)
        doc->ApplyBackground(1, 20, true);
    if (scenario == 2)
        doc->SetLaneCount(4);
    doc->SetDirty(false);
    doc->ApplyBackground(method, radius, force);
    QCOMPARE(doc->IsDirty(), proceeds);
    int m = -1;
    int r = -1;
    doc->BackgroundParameters(m, r);
    if (proceeds) {
        QCOMPARE(m, method);
        QCOMPARE(r, radius);
    }
    if (scenario == 2)
        QVERIFY(!doc->HasAnalysis());
}

void TestKyDocumentAnalysis::hasBackground()
{
    auto doc = laneDocument({gelImage(kWidth, kHeight, 3, 4)});
    QVERIFY(!doc->HasBackground());
    doc->ApplyBackground(2, 20, false);
    QVERIFY(doc->HasBackground());
    QVERIFY(!doc->LaneProfiles(0)->background(1).isEmpty());
    doc->ApplyBackground(0, 20, false);
    QVERIFY(!doc->HasBackground());
    doc->ApplyBackground(3, 20, false);
    QVERIFY(doc->HasBackground());
    doc->ReapplyBackground();
    QVERIFY(doc->HasBackground());
    // An absurd radius is held at the int range and computes.
    doc->ApplyBackground(3, std::numeric_limits<int>::max(), false);
    QVERIFY(doc->HasBackground());
}

void TestKyDocumentAnalysis::normalization()
{
    // Channels of 10 and 30 everywhere: bands of 10 points hold volumes 100 and 300.
    auto doc = laneDocument({uniformImage(kWidth, kHeight, 10), uniformImage(kWidth, kHeight, 30)});
    QCOMPARE(doc->AddBand(0, 0, 20), 0);
    QCOMPARE(doc->AddBand(1, 0, 15), 0);
    QCOMPARE(doc->AddBand(1, 0, 36), 1);
    QCOMPARE(doc->AddBand(0, 1, 20), 0);
    QVERIFY(doc->ReplaceBand(0, 0, 0, KyBandInfo(0, 5, 9, true, 0.0, false)));
    QVERIFY(doc->ReplaceBand(1, 0, 0, KyBandInfo(0, 5, 9, true, 0.0, false)));
    QVERIFY(doc->ReplaceBand(1, 0, 1, KyBandInfo(34, 35, 30, false, 0.0, false))); // start after end
    QSignalSpy analysis(doc.get(), &KyDocument::AnalysisChanged);
    doc->SetDirty(false);
    doc->ComputeNormalization();
    QVERIFY(!doc->IsDirty());
    QVERIFY(!doc->IsAnalysisChanged());
    QVERIFY(doc->IsAnalysisCurrent());
    QCOMPARE(analysis.count(), 0);
    QCOMPARE(doc->Band(0, 0, 0).volume(), 100.0);
    QCOMPARE(doc->Band(1, 0, 0).volume(), 300.0);
    QCOMPARE(doc->Band(1, 0, 1).volume(), 0.0);
    QCOMPARE(doc->Bands().at(1).at(0).total(), 300.0);
    QCOMPARE(doc->Band(0, 1, 0).volume(), 21 * 10.0);
    QCOMPARE(doc->NormalizationValue(0), 200.0);
    QCOMPARE(doc->NormalizationValue(1), -1.0);
    QCOMPARE(doc->NormalizationValue(2), -1.0);
    QCOMPARE(doc->NormalizationValue(3), 0.0);
    QCOMPARE(doc->NormalizationValue(-1), 0.0);
}

void TestKyDocumentAnalysis::normalizationIsNotRepeated()
{
    auto doc = laneDocument({uniformImage(kWidth, kHeight, 10)});
    QCOMPARE(doc->AddBand(0, 0, 20), 0);
    doc->ComputeNormalization();
    doc->normalization()[0] = 5.0;
    doc->ComputeNormalization();
    QCOMPARE(doc->NormalizationValue(0), 5.0);
    QVERIFY(doc->MoveBand(0, 0, 0, 1));
    doc->ComputeNormalization();
    QCOMPARE(doc->NormalizationValue(0), -1.0);

    TestDocument empty({uniformImage(kWidth, kHeight, 10)});
    empty.SetAnalysisChanged(true);
    empty.ComputeNormalization();
    QVERIFY(empty.IsAnalysisChanged());
}

// The values are per lane over the references of every channel: a detection in one channel leaves
// none of them standing (none is indexed by channel), and the next normalisation gives one per lane.
void TestKyDocumentAnalysis::normalizationAfterDetection()
{
    auto doc = laneDocument({uniformImage(kWidth, kHeight, 10), uniformImage(kWidth, kHeight, 30)});
    QCOMPARE(doc->AddBand(0, 0, 20), 0);
    QCOMPARE(doc->AddBand(0, 1, 20), 0);
    QVERIFY(doc->ReplaceBand(0, 0, 0, KyBandInfo(0, 5, 9, true, 0.0, false)));
    QVERIFY(doc->ReplaceBand(0, 1, 0, KyBandInfo(0, 5, 9, true, 0.0, false)));
    doc->ComputeNormalization();
    QCOMPARE(doc->normalization(), (QVector<double>{100.0, 100.0, -1.0}));

    doc->DetectBands(1, mediumSet(), mediumSet());
    QVERIFY(doc->IsAnalysisChanged());
    for (int j = 0; j < 3; ++j)
        QCOMPARE(doc->NormalizationValue(j), 0.0);
    doc->ComputeNormalization();
    QCOMPARE(doc->normalization(), (QVector<double>{100.0, 100.0, -1.0}));
}

void TestKyDocumentAnalysis::zeroDenominators_data()
{
    QTest::addColumn<double>("volume");
    QTest::addColumn<double>("total");
    QTest::addColumn<double>("percent");
    QTest::addColumn<double>("normalization");
    QTest::addColumn<bool>("hasNormalized");
    QTest::addColumn<double>("normalized");

    QTest::newRow("ordinary") << 50.0 << 200.0 << 25.0 << 100.0 << true << 0.5;
    QTest::newRow("lane total 0") << 0.0 << 0.0 << 0.0 << 100.0 << true << 0.0;
    QTest::newRow("reference mean 0") << 50.0 << 50.0 << 100.0 << 0.0 << false << 0.0;
    QTest::newRow("no reference") << 50.0 << 50.0 << 100.0 << -1.0 << false << 0.0;
    QTest::newRow("tiny reference") << 1e300 << 1e-300 << 0.0 << 1e-300 << false << 0.0;
}

void TestKyDocumentAnalysis::zeroDenominators()
{
    QFETCH(double, volume);
    QFETCH(double, total);
    QFETCH(double, normalization);
    QTEST(KyDocument::LanePercent(volume, total), "percent");
    double value = 0.0;
    QTEST(KyDocument::NormalizedValue(volume, normalization, value), "hasNormalized");
    QTEST(value, "normalized");
    QCOMPARE(KyDocument::RelativeMobility(24, 48), 0.5);
    QCOMPARE(KyDocument::RelativeMobility(24, 0), 0.0);

    // A reference band of volume 0 gives the lane the value 0, and its bands no normalised value.
    auto doc = laneDocument({uniformImage(kWidth, kHeight, 0)});
    QCOMPARE(doc->AddBand(0, 0, 20), 0);
    QVERIFY(doc->ReplaceBand(0, 0, 0, KyBandInfo(10, 20, 30, true, 0.0, false)));
    doc->ComputeNormalization();
    QCOMPARE(doc->NormalizationValue(0), 0.0);
    QVERIFY(!KyDocument::NormalizedValue(doc->Band(0, 0, 0).volume(), doc->NormalizationValue(0), value));
    QCOMPARE(KyDocument::LanePercent(doc->Band(0, 0, 0).volume(), doc->Bands().at(0).at(0).total()), 0.0);
}

void TestKyDocumentAnalysis::standardLane_data()
{
    QTest::addColumn<bool>("frame");
    QTest::addColumn<QPoint>("before");
    QTest::addColumn<QPoint>("call");
    QTest::addColumn<QPoint>("after");
    QTest::addColumn<bool>("marked");

    QTest::newRow("negative lane with a frame") << true << QPoint(-1, -1) << QPoint(0, -3) << QPoint(0, -3) << true;
    QTest::newRow("last lane") << true << QPoint(-1, -1) << QPoint(2, 2) << QPoint(2, 2) << true;
    QTest::newRow("lane past the frame") << true << QPoint(-1, -1) << QPoint(1, 3) << QPoint(-1, -1) << false;
    QTest::newRow("channel 3") << true << QPoint(-1, -1) << QPoint(3, 0) << QPoint(-1, -1) << false;
    QTest::newRow("channel -2") << true << QPoint(-1, -1) << QPoint(-2, 0) << QPoint(-1, -1) << false;
    QTest::newRow("no frame") << false << QPoint(-1, -1) << QPoint(0, 0) << QPoint(-1, -1) << false;
    QTest::newRow("clear") << true << QPoint(1, 2) << QPoint(-1, -1) << QPoint(-1, -1) << true;
    QTest::newRow("clear with another negative lane") << true << QPoint(1, 2) << QPoint(-1, -7) << QPoint(-1, -1)
                                                      << true;
    QTest::newRow("the same pair") << true << QPoint(1, 2) << QPoint(1, 2) << QPoint(1, 2) << false;
    QTest::newRow("channel -1 with a lane") << true << QPoint(1, 2) << QPoint(-1, 0) << QPoint(1, 2) << false;
}

void TestKyDocumentAnalysis::standardLane()
{
    QFETCH(bool, frame);
    QFETCH(QPoint, before);
    QFETCH(QPoint, call);
    QFETCH(QPoint, after);
    QFETCH(bool, marked);
    auto doc = laneDocument({uniformImage(kWidth, kHeight, 10)}, frame);
    if (!frame)
        doc->ClearLanes();
    doc->SetMWStandardLane(before.x(), before.y());
    doc->SetDirty(false);
    doc->SetMWStandardLane(call.x(), call.y());
    QCOMPARE(doc->MWStandardChannel(), after.x());
    QCOMPARE(doc->MWStandardLane(), after.y());
    QCOMPARE(doc->IsDirty(), marked);
    QCOMPARE(doc->HasMWStandardLane(), after.x() != -1 && after.y() >= 0);
}

void TestKyDocumentAnalysis::curveType()
{
    auto doc = laneDocument({uniformImage(kWidth, kHeight, 10)});
    doc->ComputeNormalization();
    doc->SetDirty(false);
    doc->SetMWCurveType(0);
    QVERIFY(!doc->IsDirty());
    doc->SetMWCurveType(1);
    QCOMPARE(doc->MWCurveType(), 1);
    QVERIFY(doc->IsDirty());
    QVERIFY(!doc->IsAnalysisChanged()); // no standard lane
    doc->SetMWStandardLane(0, 1);
    doc->ComputeNormalization();
    doc->SetMWCurveType(0);
    QVERIFY(doc->IsAnalysisChanged());
}

void TestKyDocumentAnalysis::standardValues()
{
    TestDocument doc;
    doc.SetDirty(false);
    KyMwStandard standard;
    standard.set(QStringLiteral("Ladder"), QStringLiteral("bp"), {500, 400, 300}, {true, false});
    doc.SetMWStandard(standard);
    QVERIFY(doc.IsDirty());
    QCOMPARE(doc.MWStandardName(), QStringLiteral("Ladder"));
    QCOMPARE(doc.MWStandardText(), QStringLiteral("bp"));
    QCOMPARE(doc.MWStandardValues(), (QList<int>{500, 400, 300}));
    QCOMPARE(doc.CheckedMWStandardValues(), QList<int>{500});
    doc.SetDirty(false);
    doc.SetMWStandard(standard);
    QVERIFY(!doc.IsDirty());
    doc.SetMWStandardCheck(1, true);
    QCOMPARE(doc.CheckedMWStandardValues(), (QList<int>{500, 400}));
    doc.SetDirty(false);
    doc.SetMWStandardCheck(9, true); // ignored by the standard, still an edit
    QVERIFY(doc.IsDirty());
    QCOMPARE(doc.MWStandard().name(), QStringLiteral("Ladder"));
}

void TestKyDocumentAnalysis::mwPointsAndRSquared()
{
    auto doc = laneDocument({uniformImage(kWidth, kHeight, 10)});
    KyMwStandard standard;
    standard.set(QStringLiteral("Ladder"), QString(), {1000, 500, 250, 125}, {true, true, true, true});
    doc->SetMWStandard(standard);
    QCOMPARE(doc->MWCurveRSquared(), 0.0); // no standard lane: no points
    QVERIFY(!doc->HasMWPoints());

    doc->SetMWStandardLane(0, 1);
    QCOMPARE(doc->AddBand(0, 1, 10), 0);
    QVERIFY(doc->ReplaceBand(0, 1, 0, KyBandInfo(8, 10, 12, false, 0.0, false)));
    QCOMPARE(doc->MWPoints().size(), 1);
    QCOMPARE(doc->MWCurveRSquared(), 0.0); // one point explains nothing

    // Weights halving every 10 points lie on a log-linear line.
    KyBandList &lane = doc->Bands()[0][1];
    lane.append(KyBandInfo(18, 20, 22, false, 0.0, false));
    lane.append(KyBandInfo(28, 30, 32, false, 0.0, false));
    lane.append(KyBandInfo(38, 40, 42, false, 0.0, false));
    const QMap<double, double> points = doc->MWPoints();
    QCOMPARE(points.size(), 4);
    QCOMPARE(points.value(40.0), 125.0);
    QVERIFY(doc->HasMWPoints());
    QVERIFY(qAbs(doc->MWCurveRSquared() - 1.0) < 1e-9);
    QVERIFY(qAbs(doc->MolecularWeightAt(15) - std::sqrt(1000.0 * 500.0)) < 1e-6);

    // Weights that do not vary lie exactly on a flat curve, line or cubic: it explains them all.
    standard.set(QStringLiteral("Flat"), QString(), {300, 300, 300, 300}, {true, true, true, true});
    doc->SetMWStandard(standard);
    QCOMPARE(doc->MWCurveRSquared(), 1.0);
    doc->SetMWCurveType(1);
    QVERIFY(doc->HasMWCurve());
    QCOMPARE(doc->MWCurveRSquared(), 1.0);
    doc->SetMWCurveType(0);

    // Clearing the standard lane's channel clears the curve.
    doc->ClearBands(0);
    QVERIFY(!doc->HasMWPoints());
    QCOMPARE(doc->MolecularWeightAt(15), 0.0);
}

KY_TEST_MAIN_WITH(QGuiApplication, TestKyDocumentAnalysis)
#include "tst_kydocumentanalysis.moc"
