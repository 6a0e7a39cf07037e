// The analysis report: golden texts for one and three channels, the capture-condition rows, the
// suffix rules, the cells of zero denominators, the report path of a save, and failed writes.

#include "savedfiles.h"
#include "testdocument.h"
#include "testmain.h"

#include "instrument/instrumentnames.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <memory>

using namespace kytest;

namespace {

const QString kCaptureTime = QStringLiteral("2024:03:05 10:20:30");
const QString kComment = QStringLiteral("Gel 7 \u00b5g \u00fc");

// An image as the instrument captures it in a light mode, W x H, grey levels from inPixel.
ImageFile captureImage(int inLightMode, quint32 inExposureMSec, int inWidth, int inHeight,
                       const std::function<quint16(int, int)> &inPixel)
{
    ImageFile image{CaptureCondition(LightMode(inLightMode), inExposureMSec, QString())};
    image.Resize(inWidth, inHeight);
    quint16 *data = image.Data();
    for (int y = 0; y < inHeight; ++y)
        for (int x = 0; x < inWidth; ++x)
            data[qsizetype(y) * inWidth + x] = inPixel(x, y);
    image.UpdateHistogram();
    image.SetPixelSize(30.0);
    image.SetTag(KyItemName::DateTime, kCaptureTime);
    image.SetComment(kComment);
    return image;
}

ImageFile uniformCapture(int inLightMode, quint32 inExposureMSec, quint16 inValue)
{
    return captureImage(inLightMode, inExposureMSec, 1000, 800, [inValue](int, int) { return inValue; });
}

void addBand(KyDocument &ioDoc, int inChannel, int inLane, int inStart, int inPeak, int inEnd, bool inReference = false)
{
    ioDoc.Bands()[inChannel][inLane].append(KyBandInfo(inStart, inPeak, inEnd, inReference, 0.0, false));
}

// A standard whose checked weights are 1000, 100 and 10 (500 unchecked).
void setLadder(KyDocument &ioDoc)
{
    KyMwStandard standard;
    standard.set(QStringLiteral("Ladder"), QStringLiteral("kDa"), {1000, 500, 100, 10}, {true, false, true, true});
    ioDoc.SetMWStandard(standard);
}

// Writes the report to inPath and returns the lines of the file written (inFile, when the name
// changes).
QStringList exportLines(KyDocument &ioDoc, const QString &inPath, const QString &inFile = QString())
{
    const QDateTime before = QDateTime::currentDateTime();
    if (!ioDoc.ExportAnalysisReport(inPath))
        return {QStringLiteral("<failed>")};
    return reportLines(inFile.isEmpty() ? inPath : inFile, before, QDateTime::currentDateTime());
}

// One chemiluminescent image, 1000 x 800; its three lanes (frame (200, 160) to (800, 640), lanes
// 480 pixels high, 160 wide) lie on grey levels 2000, 3000 and 4000, so that a band of n profile
// points has a volume of n times its lane's level. Lane 3 is the standard lane; its peaks 40, 80
// and 120 carry 1000, 100 and 10, so the log-linear curve is log10(Mw) = 4 - position / 40.
std::unique_ptr<TestDocument> oneChannelDocument()
{
    auto doc = std::make_unique<TestDocument>(QVector<ImageFile>{
        captureImage(0, 30000, 1000, 800, [](int x, int) { return quint16(1000 * (1 + x / 200)); })});
    doc->SetDefaultLanes(3, 0.8);
    doc->ExtractLaneProfiles();
    addBand(*doc, 0, 0, 10, 20, 29, true);
    addBand(*doc, 0, 0, 100, 110, 119);
    addBand(*doc, 0, 0, 200, 205, 209);
    addBand(*doc, 0, 1, 50, 60, 69);
    addBand(*doc, 0, 2, 35, 40, 44);
    addBand(*doc, 0, 2, 75, 80, 84);
    addBand(*doc, 0, 2, 115, 120, 124);
    addBand(*doc, 0, 2, 195, 200, 204, true);
    setLadder(*doc);
    doc->SetMWStandardLane(0, 2);
    doc->SetMWCurveType(0);
    return doc;
}

const QStringList kOneChannelReport{
    "Comment,Gel 7 \u00b5g \u00fc",
    "Date and time of analysis,<now>",
    "Date and time of capture,2024:03:05 10:20:30",
    "Method,Chemiluminescence",
    "Light,None",
    "Filter,Through",
    "Exposure time,30.0 s",
    "",
    "Lane,Band,Volume,Lane %,Normalized value,Mw,Rf",
    "1,1,40000,40.00,ref,3162.28,0.0417",
    "1,2,40000,40.00,1.0000,17.78,0.2292",
    "1,3,20000,20.00,0.5000,0.07,0.4271",
    "2,1,60000,100.00,-,316.23,0.1250",
    "3,1,40000,25.00,1.0000,(1000),0.0833",
    "3,2,40000,25.00,1.0000,(100),0.1667",
    "3,3,40000,25.00,1.0000,(10),0.2500",
    "3,4,40000,25.00,ref,-,0.4167",
};

// Three fluorescence channels of uniform grey levels 1000, 2000 and 3000, two lanes. The standard
// lane is lane 1 of the green channel (lane 1 of the red channel is an ordinary lane); lane 1 is
// normalised by the mean of the blue and red reference bands (20000 and 60000), lane 2 has no
// reference.
std::unique_ptr<TestDocument> threeChannelDocument()
{
    QVector<ImageFile> images{uniformCapture(2, 4000, 1000), uniformCapture(3, 8000, 2000),
                              uniformCapture(4, 15000, 3000)};
    // Only the first image's capture time is reported.
    images[1].SetTag(KyItemName::DateTime, QStringLiteral("2024:03:05 10:20:31"));
    auto doc = std::make_unique<TestDocument>(images);
    doc->SetDefaultLanes(2, 0.8);
    doc->ExtractLaneProfiles();
    addBand(*doc, 0, 0, 10, 20, 29, true);
    addBand(*doc, 0, 0, 100, 110, 119);
    addBand(*doc, 0, 1, 50, 60, 69);
    addBand(*doc, 1, 0, 35, 40, 44);
    addBand(*doc, 1, 0, 75, 80, 84);
    addBand(*doc, 1, 0, 115, 120, 124);
    addBand(*doc, 1, 1, 200, 205, 209);
    addBand(*doc, 2, 0, 30, 40, 49, true);
    setLadder(*doc);
    doc->SetMWStandardLane(1, 0);
    return doc;
}

const QStringList kThreeChannelReport{
    "Comment,Gel 7 \u00b5g \u00fc",
    "Date and time of analysis,<now>",
    "Date and time of capture,2024:03:05 10:20:30",
    "Channel,Blue,Green,Red",
    "Method,Fluorescence,Fluorescence,Fluorescence",
    "Light,460 nm,520 nm,630 nm",
    "Filter,Cy2,Cy3,Cy5",
    "Exposure time,4.0 s,8.0 s,15.0 s",
    "",
    "Channel,Lane,Band,Volume,Lane %,Normalized value,Mw,Rf",
    "Blue,1,1,20000,50.00,ref,3162.28,0.0417",
    "Blue,1,2,20000,50.00,0.5000,17.78,0.2292",
    "Blue,2,1,20000,100.00,-,316.23,0.1250",
    "Green,1,1,20000,33.33,0.5000,(1000),0.0833",
    "Green,1,2,20000,33.33,0.5000,(100),0.1667",
    "Green,1,3,20000,33.33,0.5000,(10),0.2500",
    "Green,2,1,20000,100.00,-,0.07,0.4271",
    "Red,1,1,60000,100.00,ref,1000.00,0.0833",
};

} // namespace

class TestKyDocumentReport : public QObject
{
    Q_OBJECT

private slots:
    void goldenOneChannel();
    void goldenThreeChannels();
    void nullChannelIsLeftOut();
    void noBands_data();
    void noBands();
    void conditionRows_data();
    void conditionRows();
    void opticalDensityVolumes();
    void zeroDenominators();
    void commentOnOneLine_data();
    void commentOnOneLine();
    void noCurveNoWeights();
    void noAnalysisNoFile();
    void suffixRules_data();
    void suffixRules();
    void exportCsvPath();
    void refused_data();
    void refused();
    void failedWriteKeepsOldReport();
};

void TestKyDocumentReport::goldenOneChannel()
{
    QTemporaryDir dir;
    auto doc = oneChannelDocument();
    // The volumes are computed by the report: the analysis changed since the last normalisation.
    QVERIFY(doc->IsAnalysisChanged());
    QCOMPARE(doc->Band(0, 0, 0).volume(), 0.0);
    const QString path = dir.filePath("report.csv");
    QCOMPARE(exportLines(*doc, path), kOneChannelReport);
    QVERIFY(!doc->IsAnalysisChanged());
    // The locale's encoding (UTF-8 here).
    QVERIFY(readBytes(path).startsWith("Comment,Gel 7 \xc2\xb5g \xc3\xbc\n"));
}

void TestKyDocumentReport::goldenThreeChannels()
{
    QTemporaryDir dir;
    auto doc = threeChannelDocument();
    QCOMPARE(exportLines(*doc, dir.filePath("report.csv")), kThreeChannelReport);
}

// A channel without an image has no value in the condition rows and no band lines.
void TestKyDocumentReport::nullChannelIsLeftOut()
{
    QTemporaryDir dir;
    auto doc = threeChannelDocument();
    doc->ComputeNormalization();
    doc->images()[1] = ImageFile();
    const QStringList lines = exportLines(*doc, dir.filePath("report.csv"));
    QCOMPARE(lines.mid(3, 5), (QStringList{"Channel,Blue,Red", "Method,Fluorescence,Fluorescence",
                                           "Light,460 nm,630 nm", "Filter,Cy2,Cy5", "Exposure time,4.0 s,15.0 s"}));
    QCOMPARE(lines.mid(9), (QStringList{"Channel,Lane,Band,Volume,Lane %,Normalized value,Mw,Rf",
                                        "Blue,1,1,20000,50.00,ref,3162.28,0.0417",
                                        "Blue,1,2,20000,50.00,0.5000,17.78,0.2292",
                                        "Blue,2,1,20000,100.00,-,316.23,0.1250",
                                        "Red,1,1,60000,100.00,ref,1000.00,0.0833"}));
}

void TestKyDocumentReport::noBands_data()
{
    QTest::addColumn<int>("images");
    QTest::addColumn<bool>("singleKind");
    QTest::addColumn<bool>("marker");
    QTest::addColumn<QStringList>("lines");

    const QStringList head{"Comment,Gel 7 \u00b5g \u00fc", "Date and time of analysis,<now>",
                           "Date and time of capture,2024:03:05 10:20:30"};
    const QStringList conditions{"Method,Chemiluminescence", "Light,None", "Filter,Through", "Exposure time,30.0 s"};
    const QStringList conditions2{"Method,Chemiluminescence,Chemiluminescence", "Light,None,None",
                                  "Filter,Through,Through", "Exposure time,30.0 s,30.0 s"};
    const QStringList tail{"", "No bands."};
    QTest::newRow("single image") << 1 << true << false << (head + conditions + tail);
    QTest::newRow("single image with marker") << 2 << true << true
        << (head + QStringList{"Channel,Chemiluminescence,Chemiluminescence"} + conditions2 + tail);
    QTest::newRow("two channels") << 2 << false << false
        << (head + QStringList{"Channel,Chemiluminescence,Chemiluminescence"} + conditions2 + tail);
}

// Lanes without bands: the header rows, an empty line and "No bands.".
void TestKyDocumentReport::noBands()
{
    QFETCH(int, images);
    QFETCH(bool, singleKind);
    QFETCH(bool, marker);
    QFETCH(QStringList, lines);

    QTemporaryDir dir;
    TestDocument doc(QVector<ImageFile>(images, uniformCapture(0, 30000, 1000)));
    doc.singleImageKind = singleKind;
    doc.markerImage = marker;
    doc.SetDefaultLanes(3, 0.8);
    doc.ExtractLaneProfiles();
    QCOMPARE(exportLines(doc, dir.filePath("r.csv")), lines);
}

void TestKyDocumentReport::conditionRows_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("exposure");
    // Name lists an installation changed ("Method.ini").
    QTest::addColumn<QVariantMap>("names");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("white light: colour part cut") << 8 << "1.5 s" << QVariantMap()
        << QStringList{"Method,Colorimetric", "Light,Upper EPI White", "Filter,Through", "Exposure time,1.5 s"};
    QTest::newRow("light of three parts: first two") << 2 << "2 min 30.25 s"
        << QVariantMap{{"LightNames", QStringList{"None", "Laser-A-488", "520 nm", "630 nm", "312 nm"}},
                       {"FluorMethod_Ch1", QStringList{"Blue", "Laser-A-488", "Cy2"}}}
        << QStringList{"Method,Fluorescence", "Light,Laser-A", "Filter,Cy2", "Exposure time,2 min 30.25 s"};
    QTest::newRow("light without dash") << 6 << "0" << QVariantMap()
        << QStringList{"Method,Fluorescence", "Light,312 nm", "Filter,EtBr", "Exposure time,Automatic"};
}

void TestKyDocumentReport::conditionRows()
{
    QFETCH(int, mode);
    QFETCH(QString, exposure);
    QFETCH(QVariantMap, names);
    QFETCH(QStringList, rows);

    QTemporaryDir dir;
    LSettings *store = InstrumentNames::instance()->settingsStore();
    for (auto it = names.cbegin(); it != names.cend(); ++it)
        store->setValue(it.key(), it.value());
    ImageFile image = captureImage(mode, 0, 400, 300, [](int, int) { return quint16(1000); });
    image.SetTag(QStringLiteral("Exposure time"), exposure);
    TestDocument doc({image});
    doc.SetDefaultLanes(2, 0.8);
    doc.ExtractLaneProfiles();
    const QStringList lines = exportLines(doc, dir.filePath("r.csv"));
    for (auto it = names.cbegin(); it != names.cend(); ++it)
        store->remove(it.key());
    QCOMPARE(lines.mid(3, 4), rows);
}

// With an optical-density calibration the volumes carry two decimals.
void TestKyDocumentReport::opticalDensityVolumes()
{
    QTemporaryDir dir;
    auto doc = oneChannelDocument();
    doc->images()[0].SetTag(KyItemName::ODParameter, QStringLiteral("P:3,A:0.5,B:0.25,C:0.125"));
    const QStringList lines = exportLines(*doc, dir.filePath("r.csv"));
    QCOMPARE(lines.value(9), QStringLiteral("1,1,40000.00,40.00,ref,3162.28,0.0417"));
    QCOMPARE(lines.value(11), QStringLiteral("1,3,20000.00,20.00,0.5000,0.07,0.4271"));
}

// A lane total of 0 and a normalisation value of exactly 0: the report is written with 0.00 and
// "-", never an infinite or undefined number.
void TestKyDocumentReport::zeroDenominators()
{
    QTemporaryDir dir;
    TestDocument doc({uniformCapture(0, 30000, 0)});
    doc.SetDefaultLanes(2, 0.8);
    doc.ExtractLaneProfiles();
    addBand(doc, 0, 0, 10, 20, 29, true);
    addBand(doc, 0, 0, 40, 50, 59);
    addBand(doc, 0, 1, 40, 50, 59);
    const QStringList lines = exportLines(doc, dir.filePath("r.csv"));
    QCOMPARE(doc.NormalizationValue(0), 0.0);
    QCOMPARE(lines.mid(8), (QStringList{"Lane,Band,Volume,Lane %,Normalized value,Mw,Rf", "1,1,0,0.00,ref,-,0.0417",
                                        "1,2,0,0.00,-,-,0.1042", "2,1,0,0.00,-,-,0.1042"}));
}

void TestKyDocumentReport::commentOnOneLine_data()
{
    QTest::addColumn<QString>("comment");
    QTest::addColumn<QString>("line");

    QTest::newRow("line feed") << "blot\n3" << "Comment,blot 3";
    QTest::newRow("carriage return and line feed") << "blot\r\n3" << "Comment,blot  3";
    QTest::newRow("a line that would start with =") << "total\n=1+1" << "Comment,total =1+1";
    QTest::newRow("trailing line break") << "blot 3\n" << "Comment,blot 3 ";
}

// A line break in the comment would start a line of its own, which a spreadsheet reads as a record
// (or runs as a formula when it starts with "="): the comment is one line, as in the images.
void TestKyDocumentReport::commentOnOneLine()
{
    QFETCH(QString, comment);
    QTemporaryDir dir;
    auto doc = oneChannelDocument();
    QVERIFY(doc->SetComment(comment));
    const QStringList lines = exportLines(*doc, dir.filePath("r.csv"));
    QTEST(lines.value(0), "line");
    QCOMPARE(lines.mid(1), kOneChannelReport.mid(1));
}

// Points that the curve type cannot fit (a cubic through two weights) give no curve: every weight
// outside the standard lane is "-", not 0.00.
void TestKyDocumentReport::noCurveNoWeights()
{
    QTemporaryDir dir;
    auto doc = oneChannelDocument();
    doc->SetMWStandardCheck(3, false); // 1000 and 100 remain
    doc->SetMWCurveType(1);
    QCOMPARE(doc->MWPoints().size(), 2);
    QVERIFY(!doc->HasMWCurve());
    QCOMPARE(doc->MWCurveRSquared(), 0.0);
    const QStringList lines = exportLines(*doc, dir.filePath("r.csv"));
    QCOMPARE(lines.mid(9), (QStringList{"1,1,40000,40.00,ref,-,0.0417", "1,2,40000,40.00,1.0000,-,0.2292",
                                        "1,3,20000,20.00,0.5000,-,0.4271", "2,1,60000,100.00,-,-,0.1250",
                                        "3,1,40000,25.00,1.0000,(1000),0.0833", "3,2,40000,25.00,1.0000,(100),0.1667",
                                        "3,3,40000,25.00,1.0000,-,0.2500", "3,4,40000,25.00,ref,-,0.4167"}));

    // A line fits the same two points.
    doc->SetMWCurveType(0);
    QVERIFY(doc->HasMWCurve());
    QVERIFY(qAbs(doc->MWCurveRSquared() - 1.0) < 1e-9);
    QCOMPARE(exportLines(*doc, dir.filePath("r.csv")).value(9), QStringLiteral("1,1,40000,40.00,ref,3162.28,0.0417"));
}

void TestKyDocumentReport::noAnalysisNoFile()
{
    QTemporaryDir dir;
    TestDocument doc({uniformCapture(0, 30000, 1000)});
    QVERIFY(doc.ExportAnalysisReport(dir.filePath("sub/r.csv")));
    // A lane frame whose profiles were never extracted is no analysis either.
    doc.SetDefaultLanes(3, 0.8);
    QVERIFY(doc.HasLaneTemplate());
    QVERIFY(!doc.HasAnalysis());
    QVERIFY(doc.ExportCsv(dir.path(), "B", "_Ch", ""));
    QCOMPARE(treeOf(dir.path()), QStringList());
}

void TestKyDocumentReport::suffixRules_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("backslashes");
    QTest::addColumn<QString>("file");

    QTest::newRow(".csv kept") << "r.csv" << false << "r.csv";
    QTest::newRow(".txt kept") << "r.txt" << false << "r.txt";
    QTest::newRow("no suffix gets .csv") << "r" << false << "r.csv";
    QTest::newRow("capital .CSV gets .csv") << "r.CSV" << false << "r.CSV.csv";
    QTest::newRow("other suffix gets .csv") << "r.tif" << false << "r.tif.csv";
    QTest::newRow("missing folders made") << "a/b/r" << false << "a/b/r.csv";
    QTest::newRow("backslashes") << "a/b/r.txt" << true << "a/b/r.txt";
}

void TestKyDocumentReport::suffixRules()
{
    QFETCH(QString, path);
    QFETCH(bool, backslashes);
    QFETCH(QString, file);

    QTemporaryDir dir;
    auto doc = oneChannelDocument();
    QString argument = dir.filePath(path);
    if (backslashes)
        argument.replace(QLatin1Char('/'), QLatin1Char('\\'));
    QCOMPARE(exportLines(*doc, argument, dir.filePath(file)), kOneChannelReport);
    QCOMPARE(treeOf(dir.path()).filter(QRegularExpression(QStringLiteral("[^/]$"))), QStringList{file});
}

// The report of a save lies in the unsplit image's folder and is named like its file, whatever
// the split mode.
void TestKyDocumentReport::exportCsvPath()
{
    QTemporaryDir dir;
    auto doc = threeChannelDocument();
    doc->setSplitMode(3);
    QVERIFY(doc->ExportCsv(dir.filePath("out/"), "B", "_Fl", "-x"));
    QCOMPARE(treeOf(dir.path()), (QStringList{"out/", "out/B_Fl/", "out/B_Fl/B_Fl-x.csv"}));
    const QDateTime now = QDateTime::currentDateTime();
    QCOMPARE(reportLines(dir.filePath("out/B_Fl/B_Fl-x.csv"), now.addSecs(-60), now), kThreeChannelReport);
}

void TestKyDocumentReport::refused_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("path");

    QTest::newRow("a folder at the report's path") << "folder:r.csv" << "r.csv";
    QTest::newRow("a file where the folder belongs") << "file:sub" << "sub/r.csv";
    QTest::newRow("no valid image") << "no image" << "r.csv";
}

// A report that cannot be written gives false and leaves no file, not even a temporary one.
void TestKyDocumentReport::refused()
{
    QFETCH(QString, obstacle);
    QFETCH(QString, path);

    QTemporaryDir dir;
    auto doc = oneChannelDocument();
    QStringList before;
    if (obstacle.startsWith("folder:")) {
        QVERIFY(QDir().mkpath(dir.filePath(obstacle.mid(7))));
    } else if (obstacle.startsWith("file:")) {
        QVERIFY(writeBytes(dir.filePath(obstacle.mid(5)), "a file"));
    } else {
        doc->images()[0] = ImageFile();
        QVERIFY(doc->HasAnalysis());
    }
    before = treeOf(dir.path());
    QVERIFY(!doc->ExportAnalysisReport(dir.filePath(path)));
    QCOMPARE(treeOf(dir.path()), before);
}

// The write is cut short after the file was opened (a file-size limit): false, the older report
// stays byte-identical and no temporary file is left.
void TestKyDocumentReport::failedWriteKeepsOldReport()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("r.csv");
    QVERIFY(writeBytes(path, "older report\n"));
    auto doc = oneChannelDocument();
    {
        FileSizeLimit limit(100);
        QVERIFY(limit.isSet());
        QVERIFY(!doc->ExportAnalysisReport(path));
    }
    QCOMPARE(readBytes(path), QByteArray("older report\n"));
    QCOMPARE(treeOf(dir.path()), QStringList{"r.csv"});
    // With room enough it is replaced.
    QCOMPARE(exportLines(*doc, path), kOneChannelReport);
}

KY_TEST_MAIN_WITH(QGuiApplication, TestKyDocumentReport)
#include "tst_kydocumentreport.moc"
