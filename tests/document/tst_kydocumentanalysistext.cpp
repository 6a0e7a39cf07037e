// The analysis text items: their exact texts, writing them into the images, reading them back
// through the TIFF files, safe names, and the parsers on malformed and hostile texts.

#include "testdocument.h"
#include "testmain.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <memory>

using namespace kytest;

namespace {

// 1000 x 800 pixels; the default frame of 3 lanes runs from (200, 160) to (800, 640): lanes of
// 480 pixels, profiles of 481 values.
constexpr int kProfileLength = 481;

std::unique_ptr<TestDocument> framedDocument(int inChannels = 1, int inLanes = 3)
{
    QVector<ImageFile> images;
    for (int c = 0; c < inChannels; ++c)
        images.append(uniformImage(1000, 800, quint16(1000 + 100 * c)));
    auto doc = std::make_unique<TestDocument>(images);
    doc->SetDefaultLanes(inLanes, 0.8);
    doc->ExtractLaneProfiles();
    return doc;
}

struct BandFields
{
    int start, peak, end;
    bool reference;
    bool operator==(const BandFields &) const = default;
};

QVector<QVector<BandFields>> bandFields(KyDocument &inDoc, int inChannel)
{
    QVector<QVector<BandFields>> lanes;
    if (inChannel >= inDoc.Bands().size())
        return lanes;
    for (const KyBandList &list : inDoc.Bands().at(inChannel)) {
        QVector<BandFields> bands;
        for (const KyBandInfo &b : list.bands())
            bands.append({b.start(), b.peak(), b.end(), b.isNormalizationReference()});
        lanes.append(bands);
    }
    return lanes;
}

} // namespace

class TestKyDocumentAnalysisText : public QObject
{
    Q_OBJECT

private slots:
    void goldenLanes_data();
    void goldenLanes();
    void goldenBands();
    void goldenOtherItems();
    void writeWithoutLanes();
    void writeWithLanes();
    void roundTripThroughFiles();
    void readingExtractsOnce();
    void safeNames_data();
    void safeNames();
    void parseLanes_data();
    void parseLanes();
    void parseLanesWithinTheCapture_data();
    void parseLanesWithinTheCapture();
    void parseBands_data();
    void parseBands();
    void parseBandsLeavesOtherChannels();
    void parseBandsCapAndSize();
    void parseBackground_data();
    void parseBackground();
    void parseMWStandardLane_data();
    void parseMWStandardLane();
    void parseMWStandard_data();
    void parseMWStandard();
    void storedItemsWithoutLanes();
};

void TestKyDocumentAnalysisText::goldenLanes_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<QString>("text");
    QTest::newRow("four lanes, 0.8") << 4 << 0.8 << "4,0.8,200,160,800,160,200,640,800,640";
    QTest::newRow("two thirds") << 2 << 2.0 / 3.0 << "2,0.666667,200,160,800,160,200,640,800,640";
    QTest::newRow("exponent form") << 25 << 0.00001 << "25,1e-05,200,160,800,160,200,640,800,640";
    QTest::newRow("six digits") << 1 << 0.123456789 << "1,0.123457,200,160,800,160,200,640,800,640";
}

void TestKyDocumentAnalysisText::goldenLanes()
{
    QFETCH(int, count);
    QFETCH(double, ratio);
    QFETCH(QString, text);
    TestDocument doc({uniformImage(1000, 800, 1000)});
    QCOMPARE(doc.FormatLanes(), QString());
    doc.SetDefaultLanes(count, ratio);
    QCOMPARE(doc.FormatLanes(), text);
    // Read back: the same frame, the ratio to six digits.
    TestDocument other({uniformImage(1000, 800, 1000)});
    QVERIFY(other.ParseLanes(text));
    QCOMPARE(other.LaneFrame().laneCount(), count);
    QVERIFY(qAbs(other.LaneFrame().laneWidthRatio() - ratio) <= 5e-6 * ratio);
    QCOMPARE(other.FormatLanes(), text);
    QVERIFY(other.HasAnalysis());
}

void TestKyDocumentAnalysisText::goldenBands()
{
    auto doc = framedDocument(2);
    QCOMPARE(doc->FormatBands(0), QStringLiteral(","));
    QCOMPARE(doc->FormatBands(2), QString());
    QCOMPARE(doc->FormatBands(-1), QString());
    doc->Bands()[0][0].append(KyBandInfo(10, 25, 40, true, 0.0, false));
    doc->Bands()[0][0].append(KyBandInfo(60, 72, 90, false, 0.0, false));
    doc->Bands()[0][2].append(KyBandInfo(15, 30, 44, false, 0.0, false));
    QCOMPARE(doc->FormatBands(0), QStringLiteral(",#1,10,25,40,1,60,72,90,0,#3,15,30,44,0,"));
    doc->channelTexts() = {QStringLiteral("Medium"), QStringLiteral("High")};
    QCOMPARE(doc->FormatBands(1), QStringLiteral("High,"));

    TestDocument none({uniformImage(10, 10, 0)});
    QCOMPARE(none.FormatBands(0), QString());
}

void TestKyDocumentAnalysisText::goldenOtherItems()
{
    auto doc = framedDocument();
    QCOMPARE(doc->FormatBackground(), QStringLiteral("None,20"));
    doc->ApplyBackground(3, 25, false);
    QCOMPARE(doc->FormatBackground(), QStringLiteral("Rolling ball,25"));
    doc->ApplyBackground(2, 25, false);
    QCOMPARE(doc->FormatBackground(), QStringLiteral("Minimum profile,25"));

    QCOMPARE(doc->FormatMWStandardLane(), QString());
    doc->SetMWStandardLane(0, 2);
    doc->SetMWCurveType(1);
    QCOMPARE(doc->FormatMWStandardLane(), QStringLiteral("0,2,1"));
    doc->SetMWStandardLane(0, -3); // stored, yet no standard lane
    QCOMPARE(doc->FormatMWStandardLane(), QString());

    QCOMPARE(doc->FormatMWStandard(), QString());
    KyMwStandard standard;
    standard.set(QStringLiteral("Ladder 1"), QStringLiteral("bp"), {1000, 500, 250}, {true, false, true});
    doc->SetMWStandard(standard);
    QCOMPARE(doc->FormatMWStandard(), QStringLiteral("Ladder 1,bp,1000,1,500,0,250,1,"));
    standard.set(QStringLiteral("Short"), QString(), {1000, 500, 250}, {true});
    doc->SetMWStandard(standard);
    QCOMPARE(doc->FormatMWStandard(), QStringLiteral("Short,,1000,1,"));
    standard.set(QStringLiteral("Empty"), QStringLiteral("kDa"), {}, {true});
    doc->SetMWStandard(standard);
    QCOMPARE(doc->FormatMWStandard(), QString());
}

void TestKyDocumentAnalysisText::writeWithoutLanes()
{
    ImageFile image = uniformImage(20, 20, 1000);
    image.SetTags({{KyItemName::Lane, QStringLiteral("3,0.5,1,1,18,1,1,18,18,18")},
                   {KyItemName::Band, QStringLiteral(",#1,1,2,3,0,")},
                   {KyItemName::Lane, QStringLiteral("a second, hidden lane item")},
                   {KyItemName::Background, QStringLiteral("Rolling ball,7")},
                   {KyItemName::MWStandardLane, QStringLiteral("0,1,1")},
                   {KyItemName::MWStandard, QStringLiteral("L,,5,1,")}});
    TestDocument doc({image, image});
    doc.WriteAnalysisMetadata();
    for (const ImageFile &i : doc.images()) {
        QVERIFY(i.Tag(KyItemName::Lane).isEmpty());
        QVERIFY(i.Tag(KyItemName::Band).isEmpty());
        QCOMPARE(i.Tag(KyItemName::Background), QStringLiteral("Rolling ball,7"));
        QCOMPARE(i.Tag(KyItemName::MWStandardLane), QStringLiteral("0,1,1"));
        QCOMPARE(i.Tag(KyItemName::MWStandard), QStringLiteral("L,,5,1,"));
    }
}

void TestKyDocumentAnalysisText::writeWithLanes()
{
    auto doc = framedDocument(3);
    doc->images()[2].SetTag(KyItemName::MWStandardLane, QStringLiteral("old"));
    doc->images()[2].SetTag(KyItemName::MWStandard, QStringLiteral("old"));
    doc->Bands()[1][0].append(KyBandInfo(10, 25, 40, false, 0.0, false));
    doc->WriteAnalysisMetadata();
    const QString lanes = QStringLiteral("3,0.8,200,160,800,160,200,640,800,640");
    for (const ImageFile &i : doc->images()) {
        QCOMPARE(i.Tag(KyItemName::Lane), lanes);
        QCOMPARE(i.Tag(KyItemName::Background), QStringLiteral("None,20"));
    }
    QCOMPARE(doc->images().at(0).Tag(KyItemName::Band), QStringLiteral(","));
    QCOMPARE(doc->images().at(1).Tag(KyItemName::Band), QStringLiteral(",#1,10,25,40,0,"));
    QCOMPARE(doc->images().at(2).Tag(KyItemName::Band), QStringLiteral(","));
    // No standard lane and no standard: the items go.
    QVERIFY(doc->images().at(2).Tag(KyItemName::MWStandardLane).isEmpty());
    QVERIFY(doc->images().at(2).Tag(KyItemName::MWStandard).isEmpty());
}

void TestKyDocumentAnalysisText::roundTripThroughFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString base = dir.filePath(QStringLiteral("capture"));

    // Three channels of a gel, a row of the second burnt out (profile point 70 of every lane);
    // bands with reference marks in every channel.
    QVector<ImageFile> images;
    for (int c = 0; c < 3; ++c)
        images.append(gelImage(200, 160, 4, 40 + c));
    for (int x = 0; x < 200; ++x)
        images[1].SetPixel(x, 80, 65535);
    images[1].UpdateHistogram();
    TestDocument doc(images);
    QVERIFY(doc.ParseLanes(QStringLiteral("4,0.7,0,10,199,10,0,150,199,150")));
    for (int c = 0; c < 3; ++c) {
        for (int j = 0; j < 4; ++j) {
            if (j == 2 && c != 1)
                continue; // a lane without bands
            QCOMPARE(doc.AddBand(c, j, 20 + 5 * c), 0);
            QCOMPARE(doc.AddBand(c, j, 70), 1);
            QCOMPARE(doc.AddBand(c, j, 130), 2);
            QVERIFY(doc.ReplaceBand(c, j, 1, KyBandInfo(55, 70, 84, j == c, 0.0, false)));
        }
    }
    doc.channelTexts() = {QStringLiteral("Medium"), QStringLiteral("a, #tricky  name"), QString()};
    doc.ApplyBackground(3, 4, false);
    KyMwStandard standard;
    standard.set(QStringLiteral("Ladder, one"), QStringLiteral("bp"), {1500, 1000, 700}, {true, false, true});
    doc.SetMWStandard(standard);
    doc.SetMWStandardLane(1, 2);
    doc.SetMWCurveType(1);
    QVERIFY(doc.HasBands());

    QCOMPARE(doc.SaveAs(base), 0);
    std::unique_ptr<TestDocument> back(TestDocument::open(base, 3));
    QVERIFY(!back->IsDirty());
    QCOMPARE(back->ImageCount(), 3);

    // The items were written and read as they were formatted.
    for (int c = 0; c < 3; ++c) {
        QCOMPARE(back->images().at(c).Tag(KyItemName::Band), doc.FormatBands(c));
        QCOMPARE(back->FormatBands(c), doc.FormatBands(c));
        QCOMPARE(bandFields(*back, c), bandFields(doc, c));
        for (int j = 0; j < 4; ++j) {
            for (int k = 0; k < back->BandCount(c, j); ++k) {
                QCOMPARE(back->Band(c, j, k).volume(), 0.0);
                QCOMPARE(back->Band(c, j, k).isSaturated(), doc.Band(c, j, k).isSaturated());
            }
        }
    }
    QCOMPARE(back->FormatLanes(), doc.FormatLanes());
    QCOMPARE(back->FormatBackground(), QStringLiteral("Rolling ball,4"));
    QCOMPARE(back->FormatMWStandardLane(), QStringLiteral("1,2,1"));
    QCOMPARE(back->FormatMWStandard(), doc.FormatMWStandard());
    QVERIFY(back->HasBackground());

    // Names come back in their safe form; plain names unchanged.
    QCOMPARE(back->ChannelText(0), QStringLiteral("Medium"));
    QCOMPARE(back->ChannelText(1), QStringLiteral("a #tricky name"));
    QCOMPARE(back->ChannelText(2), QString());
    QCOMPARE(back->MWStandardName(), QStringLiteral("Ladder one"));
    QCOMPARE(back->MWStandardText(), QStringLiteral("bp"));
    QCOMPARE(back->MWStandardValues(), (QList<int>{1500, 1000, 700}));
    QCOMPARE(back->MWStandardChecks(), (QVector<bool>{true, false, true}));
    QCOMPARE(back->MWCurveType(), 1);

    // The bands over the burnt-out row are marked saturated, from the profiles alone.
    for (int j = 0; j < 4; ++j) {
        QVERIFY(back->Band(1, j, 1).isSaturated());
        QVERIFY(!back->Band(1, j, 0).isSaturated());
        QVERIFY(!back->Band(0, j, 0).isSaturated());
    }

    // Saved again, the texts are the same.
    const QString again = dir.filePath(QStringLiteral("again"));
    QCOMPARE(back->SaveAs(again), 0);
    std::unique_ptr<TestDocument> third(TestDocument::open(again, 3));
    for (int c = 0; c < 3; ++c)
        QCOMPARE(third->images().at(c).Tag(KyItemName::Band), back->images().at(c).Tag(KyItemName::Band));
    for (const QString &key : {KyItemName::Lane, KyItemName::Background, KyItemName::MWStandardLane,
                               KyItemName::MWStandard})
        QCOMPARE(third->images().at(0).Tag(key), back->images().at(0).Tag(key));

    // After normalisation the volumes agree as well.
    doc.ComputeNormalization();
    back->ComputeNormalization();
    for (int j = 0; j < 4; ++j)
        QCOMPARE(back->NormalizationValue(j), doc.NormalizationValue(j));
}

void TestKyDocumentAnalysisText::readingExtractsOnce()
{
    ImageFile image = gelImage(100, 80, 3, 1);
    image.SetTag(KyItemName::Lane, QStringLiteral("3,0.5,10,10,90,10,10,70,90,70"));
    image.SetTag(KyItemName::Band, QStringLiteral("x,#2,5,10,15,0,"));
    TestDocument doc(QStringLiteral("/c/A"), {image, image, ImageFile()});
    // Extraction asks for every image once (mutably); nothing else of the reading does.
    QCOMPARE(doc.mutableImageCalls, 3);
    QCOMPARE(doc.intensityTableCalls, 1);
    QCOMPARE(doc.BandCount(1, 1), 1);
    QVERIFY(doc.HasAnalysis());

    // The lane parser alone extracts too.
    TestDocument plain({image});
    plain.mutableImageCalls = 0;
    QVERIFY(plain.ParseLanes(image.Tag(KyItemName::Lane)));
    QCOMPARE(plain.mutableImageCalls, 1);
    QVERIFY(plain.HasAnalysis());
}

void TestKyDocumentAnalysisText::safeNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("bandHead");
    QTest::addColumn<QString>("other");

    QTest::newRow("plain") << "Medium" << "Medium" << "Medium";
    QTest::newRow("comma") << "a,b" << "a b" << "a b";
    QTest::newRow("leading hash") << "#x" << "x" << "#x";
    QTest::newRow("hashes only") << "##" << "" << "##";
    QTest::newRow("hash and blank") << "# x" << "x" << "# x";
    QTest::newRow("hash, blank, hash") << "# #5" << "5" << "# #5";
    QTest::newRow("hash after a control character") << QString(QChar(1)) + "#" + QChar(11) + "#5" << "5" << "# #5";
    QTest::newRow("inner hash") << "a#b" << "a#b" << "a#b";
    QTest::newRow("blanks") << "  a   b " << "a b" << "a b";
    QTest::newRow("tab and line breaks") << "a\tb\r\nc" << "a b c" << "a b c";
    QTest::newRow("control characters") << QString("a") + QChar(1) + "b" + QChar(0x85) + "c" << "a b c" << "a b c";
    QTest::newRow("no-break space") << QString("a") + QChar(0xa0) + "b" << "a b" << "a b";
    QTest::newRow("Latin-1") << QString("Gel ") + QChar(0xe9) << QString("Gel ") + QChar(0xe9)
                             << QString("Gel ") + QChar(0xe9);
    QTest::newRow("beyond Latin-1") << QString("Gel ") + QChar(0x20ac) << "Gel ?" << "Gel ?";
    QTest::newRow("equals sign") << "x=y" << "x=y" << "x=y";
    QTest::newRow("empty") << "" << "" << "";
}

void TestKyDocumentAnalysisText::safeNames()
{
    QFETCH(QString, name);
    QFETCH(QString, bandHead);
    QFETCH(QString, other);
    QCOMPARE(KyDocument::ItemSafeName(name, true), bandHead);
    QCOMPARE(KyDocument::ItemSafeName(name, false), other);
    QCOMPARE(KyDocument::ItemSafeName(bandHead, true), bandHead);
    QCOMPARE(KyDocument::ItemSafeName(other, false), other);

    // Through a file: a parameter-set name and a standard's name and text read back as written.
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("names"));
    auto doc = std::make_unique<TestDocument>(QVector<ImageFile>{uniformImage(100, 80, 1000)});
    QVERIFY(doc->ParseLanes(QStringLiteral("2,0.5,10,10,90,10,10,70,90,70")));
    QCOMPARE(doc->AddBand(0, 1, 20), 0);
    doc->channelTexts() = {name};
    KyMwStandard standard;
    standard.set(name, name, {100}, {true});
    doc->SetMWStandard(standard);
    QCOMPARE(doc->SaveAs(base), 0);
    std::unique_ptr<TestDocument> back(TestDocument::open(base, 1));
    QCOMPARE(back->ChannelText(0), bandHead);
    QCOMPARE(back->MWStandardName(), other);
    QCOMPARE(back->MWStandardText(), other);
    QCOMPARE(back->BandCount(0, 1), 1);
    QCOMPARE(back->FormatBands(0), doc->FormatBands(0));
    QCOMPARE(back->FormatMWStandard(), doc->FormatMWStandard());
}

void TestKyDocumentAnalysisText::parseLanes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("formatted");

    const QString corners = QStringLiteral(",200,160,800,160,200,640,800,640");
    QTest::newRow("a frame") << "4,0.8" + corners << 4 << "4,0.8" + corners;
    QTest::newRow("empty text") << "" << 0 << "";
    QTest::newRow("no lanes") << "0,0.8" + corners << 0 << "";
    QTest::newRow("negative lanes") << "-3,0.8" + corners << 0 << "";
    const QString flat = QStringLiteral(",0,400,999,400,0,400,999,400");
    QTest::newRow("as many lanes as pixel columns") << "1000,0.8" + flat << 1000 << "1000,0.8" + flat;
    QTest::newRow("more lanes than pixel columns") << "1001,0.8" + flat << 0 << "";
    QTest::newRow("lane count past int") << "99999999999,0.8" + corners << 0 << "";
    QTest::newRow("ratio not a number") << "4,nan" + corners << 0 << "";
    QTest::newRow("ratio infinite") << "4,inf" + corners << 0 << "";
    QTest::newRow("ratio 0") << "4,0" + corners << 0 << "";
    QTest::newRow("ratio negative") << "4,-0.5" + corners << 0 << "";
    QTest::newRow("ratio text") << "4,abc" + corners << 0 << "";
    QTest::newRow("ratio in exponent form") << "4,1e-05" + corners << 4 << "4,1e-05" + corners;
    QTest::newRow("ratio 1") << "4,1" + corners << 4 << "4,1" + corners;
    QTest::newRow("ratio above 1") << "4,1.01" + corners << 0 << "";
    QTest::newRow("ratio huge") << "4,1e300" + corners << 0 << "";
    QTest::newRow("corner a little outside") << "2,0.5,-100,-50,1100,160,200,640,800,900" << 2
                                             << "2,0.5,-100,-50,1100,160,200,640,800,900";
    QTest::newRow("corner far outside") << "2,0.5,-5000,160,800,160,200,640,800,640" << 0 << "";
    QTest::newRow("corner at the int limit") << "2,0.5,200,160,2147483647,160,200,640,800,640" << 0 << "";
    QTest::newRow("corners missing") << "2,0.5" << 2 << "2,0.5,0,0,0,0,0,0,0,0";
    QTest::newRow("a lane field") << "#1,5,6,7" << 0 << "";
    QTest::newRow("hash alone") << "#" << 0 << "";
    QTest::newRow("commas only") << ",,,,,,,,,,,," << 0 << "";
    QTest::newRow("fields past the tenth") << "4,0.8" + corners + ",9,9,9" << 4 << "4,0.8" + corners;
}

void TestKyDocumentAnalysisText::parseLanes()
{
    QFETCH(QString, text);
    QFETCH(int, count);
    TestDocument doc({uniformImage(1000, 800, 1000)});
    doc.SetDefaultLanes(3, 0.5);
    QVERIFY(doc.ParseLanes(text));
    QCOMPARE(doc.LaneFrame().laneCount(), count);
    QTEST(doc.FormatLanes(), "formatted");
    if (count == 0) {
        QCOMPARE(doc.LaneFrame().topLeft(), QPoint(-1, -1));
        QVERIFY(!doc.HasLaneTemplate());
    }
}

void TestKyDocumentAnalysisText::parseLanesWithinTheCapture_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("split"); // the image's "Image split" item
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("maxLanes"); // the instrument's lane maximum; 0: its default of 25
    QTest::addColumn<int>("count");

    // 1000 x 800: lanes of 480 pixels take 481 values; the room is 25 lanes of the diagonal
    // (1284 pixels with the rounding margin), 32125 values: 66 such lanes.
    const QString corners = QStringLiteral(",0.8,200,160,800,160,200,640,800,640");
    const QSize whole(1000, 800);
    QTest::newRow("66 lanes: within the room") << whole << "" << "66" + corners << 0 << 66;
    QTest::newRow("67 lanes: beyond the room") << whole << "" << "67" + corners << 0 << 0;
    QTest::newRow("67 lanes where the instrument lays 100") << whole << "" << "67" + corners << 100 << 67;
    // One lane from corner to corner, and one longer than the image is across.
    const QString diagonal = QStringLiteral("1,0.5,0,0,0,0,999,799,999,799");
    QTest::newRow("a lane along the diagonal") << whole << "" << diagonal << 0 << 1;
    QTest::newRow("a lane longer than the diagonal") << whole << "" << "1,0.5,-300,-200,-300,-200,1200,900,1200,900" << 0 << 0;
    // A part of a split save carries the whole capture's frame: its lanes reach past the part.
    QTest::newRow("whole image of a part's size") << QSize(500, 400) << "none" << diagonal << 0 << 0;
    QTest::newRow("upper-left quarter") << QSize(500, 400) << "upper-left" << diagonal << 0 << 1;
    QTest::newRow("lower-right quarter") << QSize(500, 400) << "lower-right" << diagonal << 0 << 1;
    QTest::newRow("left half") << QSize(500, 800) << "vertical-left" << diagonal << 0 << 1;
    QTest::newRow("upper half") << QSize(1000, 400) << "horizontal-upper" << diagonal << 0 << 1;
    QTest::newRow("centre") << QSize(625, 500) << "center" << diagonal << 0 << 1;
    QTest::newRow("unknown split item") << QSize(500, 400) << "diagonal" << diagonal << 0 << 0;
}

// A stored frame asks for no more profile values than a frame laid on the capture can: the
// background work grows with the square of the lane lengths.
void TestKyDocumentAnalysisText::parseLanesWithinTheCapture()
{
    QFETCH(QSize, size);
    QFETCH(QString, split);
    QFETCH(QString, text);
    QFETCH(int, maxLanes);
    const ScopedSystemSettings lanes(maxLanes > 0 ? QList<QPair<QString, QVariant>>{{"MuximumNumberOfLanes", maxLanes}}
                                                  : QList<QPair<QString, QVariant>>{});
    ImageFile image = uniformImage(size.width(), size.height(), 1000);
    if (!split.isEmpty())
        image.SetTag(KyItemName::ImageSplit, split);
    TestDocument doc({image});
    QVERIFY(doc.ParseLanes(text));
    QTEST(doc.LaneFrame().laneCount(), "count");
    QCOMPARE(doc.HasAnalysis(), doc.HasLaneTemplate());
}

void TestKyDocumentAnalysisText::parseBands_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("formatted");

    const QString L = QString::number(kProfileLength);
    QTest::newRow("empty text") << "" << true << "before" << "before,";
    QTest::newRow("name and bands") << "N,#1,10,20,30,1,40,50,60,0,#3,5,6,7,0," << true << "N"
                                    << "N,#1,10,20,30,1,40,50,60,0,#3,5,6,7,0,";
    QTest::newRow("no trailing comma") << "N,#2,10,20,30,1" << true << "N" << "N,#2,10,20,30,1,";
    QTest::newRow("lane field first keeps the name") << "#2,10,20,30,0," << true << "before"
                                                     << "before,#2,10,20,30,0,";
    QTest::newRow("name alone") << "N," << false << "N" << "N,";
    QTest::newRow("name without comma") << "N" << false << "N" << "N,";
    QTest::newRow("malformed head") << "N,x,#1,1,2,3,0," << false << "N" << "N,";
    QTest::newRow("lane out of range is skipped") << "N,#9,1,2,3,0,4,5,6,0,#1,5,6,7,0," << true << "N"
                                                  << "N,#1,5,6,7,0,";
    QTest::newRow("lane 0") << "N,#0,1,2,3,0,#2,5,6,7,1," << true << "N" << "N,#2,5,6,7,1,";
    QTest::newRow("negative lane") << "N,#-5,1,2,3,0," << true << "N" << "N,";
    QTest::newRow("lowest lane number") << "N,#-2147483648,1,2,3,0,#1,1,2,3,0," << true << "N" << "N,#1,1,2,3,0,";
    QTest::newRow("lane past int") << "N,#99999999999,1,2,3,0,#1,1,2,3,0," << true << "N" << "N,#1,1,2,3,0,";
    QTest::newRow("lane without number") << "N,#,1,2,3,0,#x,4,5,6,0,#1,7,8,9,0" << true << "N"
                                         << "N,#1,7,8,9,0,";
    QTest::newRow("number after the last hash") << "N,#1#2,5,6,7,0," << true << "N" << "N,#2,5,6,7,0,";
    QTest::newRow("start below 0 dropped") << "N,#1,-1,2,3,0,4,5,6,0," << true << "N" << "N,#1,4,5,6,0,";
    QTest::newRow("end at the profile length kept") << "N,#1,5,6," + L + ",0," << true << "N"
                                                    << "N,#1,5,6," + L + ",0,";
    QTest::newRow("end past the profile length dropped") << "N,#1,5,6," + QString::number(kProfileLength + 1) + ",0,"
                                                         << true << "N" << "N,";
    QTest::newRow("start after end dropped") << "N,#1,30,20,10,0," << true << "N" << "N,";
    QTest::newRow("one-point band") << "N,#1,7,7,7,1," << true << "N" << "N,#1,7,7,7,1,";
    QTest::newRow("peak outside kept") << "N,#1,10,900,20,0," << true << "N" << "N,#1,10,900,20,0,";
    QTest::newRow("missing reference") << "N,#1,5,6,7" << true << "N" << "N,#1,5,6,7,0,";
    QTest::newRow("missing end") << "N,#1,5,6" << true << "N" << "N,";
    QTest::newRow("reference not a number") << "N,#1,5,6,7,abc," << true << "N" << "N,#1,5,6,7,0,";
    QTest::newRow("reference any non-zero") << "N,#1,5,6,7,-4," << true << "N" << "N,#1,5,6,7,1,";
    QTest::newRow("an empty field ends it") << "N,#1,5,6,7,0,,#2,1,2,3,0," << true << "N" << "N,#1,5,6,7,0,";
    QTest::newRow("a lane twice") << "N,#1,5,6,7,0,#1,10,11,12,0," << true << "N" << "N,#1,5,6,7,0,10,11,12,0,";
    QTest::newRow("hash in the name field") << "#x,1,2,3,0," << true << "before" << "before,";
    QTest::newRow("commas only") << ",,,," << false << "" << ",";
    QTest::newRow("numbers past int read as 0") << "N,#1,99999999999,5,6,0,-99999999999,1,2,0," << true << "N"
                                                << "N,#1,0,5,6,0,0,1,2,0,";
}

void TestKyDocumentAnalysisText::parseBands()
{
    QFETCH(QString, text);
    auto doc = framedDocument();
    doc->channelTexts() = {QStringLiteral("before")};
    QTEST(doc->ParseBands(0, text), "result");
    QTEST(doc->ChannelText(0), "name");
    QTEST(doc->FormatBands(0), "formatted");
    QCOMPARE(doc->Bands().at(0).size(), 3);
}

void TestKyDocumentAnalysisText::parseBandsLeavesOtherChannels()
{
    auto doc = framedDocument(3);
    doc->Bands()[0][1].append(KyBandInfo(1, 2, 3, true, 0.0, false));
    doc->Bands()[2][0].append(KyBandInfo(4, 5, 6, false, 0.0, false));
    doc->channelTexts() = {QStringLiteral("zero"), QStringLiteral("one"), QStringLiteral("two")};
    const QString zero = doc->FormatBands(0);
    const QString two = doc->FormatBands(2);
    const QStringList hostile = {QStringLiteral("#3,1,2,3,0,#9,1"), QStringLiteral(",,,#"),
                                 QStringLiteral("x,#1,1,2,3,1,#-1,#99999999999,1,2"), QString(2000, QLatin1Char(','))};
    for (const QString &text : hostile) {
        doc->ParseBands(1, text);
        QCOMPARE(doc->FormatBands(0), zero);
        QCOMPARE(doc->FormatBands(2), two);
    }
    // Channels a document cannot have.
    QVERIFY(!doc->ParseBands(3, QStringLiteral("x,#1,1,2,3,0,")));
    QVERIFY(!doc->ParseBands(-1, QStringLiteral("x,#1,1,2,3,0,")));
    QCOMPARE(doc->Bands().size(), 3);

    // Without a frame nothing changes.
    TestDocument bare({uniformImage(100, 80, 0)});
    QVERIFY(!bare.ParseBands(0, QStringLiteral("x,#1,1,2,3,0,")));
    QCOMPARE(bare.ChannelText(0), QString());
    QVERIFY(bare.ParseBands(0, QString()));
}

void TestKyDocumentAnalysisText::parseBandsCapAndSize()
{
    auto doc = framedDocument();
    // Two thousand bands in one lane: the first thousand are kept.
    QString many = QStringLiteral("N,#2,");
    for (int k = 0; k < 2000; ++k)
        many += QStringLiteral("1,2,3,0,");
    QVERIFY(doc->ParseBands(0, many));
    QCOMPARE(doc->BandCount(0, 1), KyDocument::kMaxStoredBandsPerLane);

    // A million fields read in one pass.
    QString huge = QStringLiteral("N,#1,");
    huge.reserve(2100000);
    for (int k = 0; k < 250000; ++k)
        huge += QStringLiteral("1,2,3,0,");
    QElapsedTimer timer;
    timer.start();
    QVERIFY(doc->ParseBands(0, huge));
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(doc->BandCount(0, 0), KyDocument::kMaxStoredBandsPerLane);

    // A million lane fields.
    QString lanes = QStringLiteral("N,");
    lanes.reserve(4000000);
    for (int k = 0; k < 1000000; ++k)
        lanes += QStringLiteral("#7,");
    timer.restart();
    QVERIFY(doc->ParseBands(0, lanes));
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
}

void TestKyDocumentAnalysisText::parseBackground_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("method");
    QTest::addColumn<int>("radius");
    QTest::addColumn<bool>("background");

    QTest::newRow("rolling ball") << "Rolling ball,25" << 3 << 25 << true;
    QTest::newRow("rubber band") << "Rubber band,5" << 1 << 5 << true;
    QTest::newRow("minimum profile, no radius") << "Minimum profile" << 2 << 0 << true;
    QTest::newRow("none keeps the settings") << "None,30" << 0 << 20 << false;
    QTest::newRow("empty") << "" << 0 << 20 << false;
    QTest::newRow("unknown method") << "Bogus,5" << 0 << 20 << false;
    QTest::newRow("other letter case") << "rolling ball,5" << 0 << 20 << false;
    QTest::newRow("radius past int") << "Rolling ball,99999999999" << 3 << 0 << false;
    QTest::newRow("absurd radius") << "Rolling ball,2000000000" << 3 << 2000000000 << true;
    QTest::newRow("negative radius") << "Rolling ball,-5" << 3 << -5 << false;
}

void TestKyDocumentAnalysisText::parseBackground()
{
    QFETCH(QString, text);
    auto doc = framedDocument();
    QVERIFY(doc->ParseBackground(text));
    int method = -1;
    int radius = -1;
    doc->BackgroundParameters(method, radius);
    QTEST(method, "method");
    QTEST(radius, "radius");
    QTEST(doc->HasBackground(), "background");
}

void TestKyDocumentAnalysisText::parseMWStandardLane_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("lane");
    QTest::addColumn<int>("type");

    QTest::newRow("empty") << "" << -1 << -1 << 0;
    QTest::newRow("a standard lane") << "1,2,1" << 1 << 2 << 1;
    QTest::newRow("lane past the frame") << "0,3,1" << -1 << -1 << 1;
    QTest::newRow("channel 5") << "5,0,1" << -1 << -1 << 1;
    QTest::newRow("negative lane") << "0,-3,0" << 0 << -3 << 0;
    QTest::newRow("text fields") << "a,b,c" << 0 << 0 << 0;
    QTest::newRow("missing fields read as 0") << "2" << 2 << 0 << 0;
    QTest::newRow("hash") << "#" << 0 << 0 << 0;
}

void TestKyDocumentAnalysisText::parseMWStandardLane()
{
    QFETCH(QString, text);
    auto doc = framedDocument();
    doc->SetMWCurveType(1);
    QVERIFY(doc->ParseMWStandardLane(text));
    QTEST(doc->MWStandardChannel(), "channel");
    QTEST(doc->MWStandardLane(), "lane");
    QTEST(doc->MWCurveType(), "type");
}

void TestKyDocumentAnalysisText::parseMWStandard_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<QVector<bool>>("checks");

    QTest::newRow("empty keeps the standard") << "" << "Old" << "kDa" << QList<int>{9} << QVector<bool>{true};
    QTest::newRow("a standard") << "L,bp,100,1,200,0," << "L" << "bp" << QList<int>{100, 200} << QVector<bool>{true, false};
    QTest::newRow("value without flag") << "L,bp,100" << "L" << "bp" << QList<int>{100} << QVector<bool>{false};
    QTest::newRow("no values") << "L,bp," << "L" << "bp" << QList<int>{} << QVector<bool>{};
    QTest::newRow("name only") << "L" << "L" << "" << QList<int>{} << QVector<bool>{};
    QTest::newRow("an empty field ends the values") << "L,bp,100,1,,200,1," << "L" << "bp" << QList<int>{100}
                                                    << QVector<bool>{true};
    QTest::newRow("numbers that are not") << "L,,x,y,99999999999,7," << "L" << "" << QList<int>{0, 0}
                                          << QVector<bool>{false, true};
}

void TestKyDocumentAnalysisText::parseMWStandard()
{
    QFETCH(QString, text);
    TestDocument doc;
    KyMwStandard old;
    old.set(QStringLiteral("Old"), QStringLiteral("kDa"), {9}, {true});
    doc.SetMWStandard(old);
    doc.SetDirty(false);
    QVERIFY(doc.ParseMWStandard(text));
    QTEST(doc.MWStandardName(), "name");
    QTEST(doc.MWStandardText(), "unit");
    QTEST(doc.MWStandardValues(), "values");
    QTEST(doc.MWStandardChecks(), "checks");
    QVERIFY(!doc.IsDirty());
}

void TestKyDocumentAnalysisText::storedItemsWithoutLanes()
{
    // Items left in the images after the lanes were removed: background, curve type and standard
    // are restored; the standard lane is refused without a frame.
    ImageFile image = uniformImage(100, 80, 1000);
    image.SetTag(KyItemName::Band, QStringLiteral("x,#1,1,2,3,0,"));
    image.SetTag(KyItemName::Background, QStringLiteral("Rubber band,12"));
    image.SetTag(KyItemName::MWStandardLane, QStringLiteral("0,1,1"));
    image.SetTag(KyItemName::MWStandard, QStringLiteral("L,bp,100,1,"));
    TestDocument doc(QStringLiteral("/c/A"), {image});
    QVERIFY(!doc.HasLaneTemplate());
    QVERIFY(!doc.HasBands());
    int method = -1;
    int radius = -1;
    doc.BackgroundParameters(method, radius);
    QCOMPARE(method, 1);
    QCOMPARE(radius, 12);
    QCOMPARE(doc.MWCurveType(), 1);
    QVERIFY(!doc.HasMWStandardLane());
    QCOMPARE(doc.MWStandardName(), QStringLiteral("L"));
    QVERIFY(!doc.IsDirty());

    // No valid image: nothing is read.
    TestDocument empty(QStringLiteral("/c/B"), {ImageFile()});
    QVERIFY(!empty.HasLaneTemplate());
}

KY_TEST_MAIN_WITH(QGuiApplication, TestKyDocumentAnalysisText)
#include "tst_kydocumentanalysistext.moc"
