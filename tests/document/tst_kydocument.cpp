// The document model: construction and flags, image access, geometry, names and file-name rules,
// size estimate, comment, rotation and the base behaviour of the virtual interface.

#include "testdocument.h"
#include "testmain.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

using namespace kytest;

namespace {

ImageFile namedImage(const QString &inFilePath, const QString &inDateTime = QString(), int inWidth = 40,
                     int inHeight = 30)
{
    ImageFile image = uniformImage(inWidth, inHeight, 1000);
    image.SetTag(KyItemName::FilePath, inFilePath);
    if (!inDateTime.isEmpty())
        image.SetTag(KyItemName::DateTime, inDateTime);
    return image;
}

} // namespace

class TestKyDocument : public QObject
{
    Q_OBJECT

private slots:
    void constructionFlags_data();
    void constructionFlags();
    void settingsAtConstruction();
    void dirtyAndAnalysisSignals();
    void openedDocumentFlags();
    void imageAccess();
    void millimetres_data();
    void millimetres();
    void dotsPerMeter_data();
    void dotsPerMeter();
    void estimatedFileSize_data();
    void estimatedFileSize();
    void fileNamePattern_data();
    void fileNamePattern();
    void names_data();
    void names();
    void splitNamesOfFirstImage_data();
    void splitNamesOfFirstImage();
    void isStoredAt();
    void saveInPlace();
    void comment();
    void commentThroughFiles_data();
    void commentThroughFiles();
    void metadataQueries();
    void rotation();
    void rotationSignalsDirtyOnce();
    void destructionSendsNothing();
    void baseVirtualBehaviour();
    void cachedIntensityTable();
    void resetAndAutoRange();
};

void TestKyDocument::constructionFlags_data()
{
    QTest::addColumn<bool>("opened");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("basePath");
    QTest::addColumn<bool>("dirty");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("parameterChanged");
    QTest::addColumn<QRect>("selection");

    QTest::newRow("new capture") << false << QString() << QString() << true << 1 << false << QRect(-1, -1, -1, -1);
    QTest::newRow("opened folder") << true << "/c/A" << "/c/A" << false << 2 << true << QRect();
    QTest::newRow("opened .tif path") << true << "/c/A_Ch.tif" << "/c/A_Ch" << false << 2 << true << QRect();
    QTest::newRow("opened .TIF path keeps it") << true << "/c/A.TIF" << "/c/A.TIF" << false << 2 << true << QRect();
}

void TestKyDocument::constructionFlags()
{
    QFETCH(bool, opened);
    QFETCH(QString, path);
    QScopedPointer<TestDocument> doc(opened ? new TestDocument(path, {}) : new TestDocument());
    QTEST(doc->IsDirty(), "dirty");
    QTEST(doc->kind(), "kind");
    QCOMPARE(doc->IsOpenedDocument(), opened);
    QTEST(doc->IsParameterChanged(), "parameterChanged");
    QTEST(doc->SelectionRect(), "selection");
    QTEST(doc->basePath(), "basePath");
    QVERIFY(!doc->IsDisplayChanged());
    QVERIFY(doc->IsHighlight());
    QVERIFY(!doc->IsAnalysisChanged());
    QVERIFY(!doc->IsAnalysisCurrent());
    QVERIFY(!doc->HasLaneTemplate());
    QVERIFY(!doc->HasAnalysis());
    QVERIFY(!doc->HasBands());
    QCOMPARE(doc->MWStandardChannel(), -1);
    QCOMPARE(doc->MWStandardLane(), -1);
    QCOMPARE(doc->splitMode(), 0);
    QCOMPARE(doc->HistogramImage().size(), QSize(258, 200));
    QCOMPARE(doc->HistogramImage().format(), QImage::Format_RGB32);
    int method = -1;
    int radius = -1;
    doc->BackgroundParameters(method, radius);
    QCOMPARE(method, 0);
    QCOMPARE(radius, 20);
    QCOMPARE(doc->MWCurveType(), 0);
}

void TestKyDocument::settingsAtConstruction()
{
    ScopedAnalysisSettings settings({{"BG_RollingBallRadius", 35}, {"MWCurveType", 1}});
    TestDocument created;
    int method = -1;
    int radius = -1;
    created.BackgroundParameters(method, radius);
    QCOMPARE(radius, 35);
    QCOMPARE(created.MWCurveType(), 1);

    // An opened capture takes its curve type from its own items: without "MWStandardLane" it is
    // linear, whatever the setting.
    TestDocument opened(QStringLiteral("/c/A"), {uniformImage(40, 30, 1000)});
    QCOMPARE(opened.MWCurveType(), 0);
    QVERIFY(!opened.IsDirty());
    opened.BackgroundParameters(method, radius);
    QCOMPARE(radius, 35);
}

void TestKyDocument::dirtyAndAnalysisSignals()
{
    TestDocument doc({uniformImage(40, 30, 1000)});
    QSignalSpy dirty(&doc, &KyDocument::DirtyStateChanged);
    QSignalSpy analysis(&doc, &KyDocument::AnalysisChanged);

    doc.SetDirty(true); // already dirty
    QCOMPARE(dirty.count(), 0);
    QVERIFY(doc.SetDisplayRange(0, 100, 200));
    QVERIFY(doc.IsDisplayChanged());
    doc.SetDirty(false);
    QCOMPARE(dirty.count(), 1);
    QCOMPARE(dirty.at(0).at(0).toBool(), false);
    QVERIFY(!doc.IsDisplayChanged());
    doc.SetDirty(false);
    QCOMPARE(dirty.count(), 1);
    doc.SetDirty(true);
    QCOMPARE(dirty.count(), 2);
    QCOMPARE(dirty.at(1).at(0).toBool(), true);

    doc.SetAnalysisChanged(true);
    QCOMPARE(analysis.count(), 1);
    QVERIFY(doc.IsAnalysisChanged());
    QVERIFY(!doc.IsAnalysisCurrent());
    doc.SetAnalysisChanged(true);
    QCOMPARE(analysis.count(), 1);
    doc.SetAnalysisChanged(false);
    QCOMPARE(analysis.count(), 1);
    QVERIFY(doc.IsAnalysisCurrent());
}

void TestKyDocument::openedDocumentFlags()
{
    // A capture whose stored analysis has lanes, a background and a standard lane: the readers'
    // setters mark the analysis changed like any edit; only the dirty mark is cleared.
    ImageFile image = gelImage(80, 60, 3, 7);
    image.SetTag(KyItemName::Lane, QStringLiteral("3,0.7,10,10,70,10,10,50,70,50"));
    image.SetTag(KyItemName::Band, QStringLiteral("Fine,#1,5,10,15,0,"));
    image.SetTag(KyItemName::Background, QStringLiteral("Rolling ball,5"));
    image.SetTag(KyItemName::MWStandardLane, QStringLiteral("0,0,1"));
    TestDocument opened(QStringLiteral("/c/A"), {image});
    QVERIFY(!opened.IsDirty());
    QVERIFY(!opened.IsDisplayChanged());
    QVERIFY(!opened.IsParameterChanged());
    QVERIFY(opened.IsAnalysisChanged());
    QVERIFY(!opened.IsAnalysisCurrent());
    QVERIFY(opened.HasAnalysis());
    QVERIFY(opened.HasBands());
    QVERIFY(opened.HasBackground());
    QCOMPARE(opened.MWCurveType(), 1);

    // Without stored lanes nothing of the analysis is marked.
    TestDocument plain(QStringLiteral("/c/B"), {uniformImage(40, 30, 1000)});
    QVERIFY(!plain.IsAnalysisChanged());
    QVERIFY(!plain.HasAnalysis());
    QVERIFY(plain.IsParameterChanged() == false);
}

void TestKyDocument::imageAccess()
{
    const ImageFile a = uniformImage(40, 30, 1);
    const ImageFile b = uniformImage(50, 20, 2);
    TestDocument doc({ImageFile(), a, b});
    const KyDocument &view = doc;
    QCOMPARE(doc.ImageCount(), 3);
    QCOMPARE(doc.ValidImageCount(), 2);
    QVERIFY(!doc.IsSingleImage());
    QCOMPARE(doc.FirstValidImage(), view.Image(1));
    QCOMPARE(doc.ImageWidth(), 40);
    QCOMPARE(doc.ImageHeight(), 30);
    QCOMPARE(doc.PixelSize(), 30.0);
    QVERIFY(view.Image(-1) == nullptr);
    QVERIFY(view.Image(3) == nullptr);
    QVERIFY(view.Image(65520) == nullptr);
    QCOMPARE(doc.Image(65520), &doc.images()[2]);
    QVERIFY(doc.Image(65519) == nullptr);

    TestDocument empty;
    QVERIFY(empty.Image(65520) == nullptr);
    QVERIFY(empty.FirstValidImage() == nullptr);
    QCOMPARE(empty.ImageWidth(), 0);
    QCOMPARE(empty.PixelSize(), 0.0);
    QCOMPARE(empty.FilePathOfFirstImage(), QString());

    TestDocument single({ImageFile(), a});
    QVERIFY(single.IsSingleImage());
}

void TestKyDocument::millimetres_data()
{
    QTest::addColumn<double>("pixelSize");
    QTest::addColumn<double>("mm");
    QTest::addColumn<int>("pixels");

    QTest::newRow("pixel size 0") << 0.0 << 2.0 << 0;
    QTest::newRow("30 um, 2 mm: 66.67 truncated") << 30.0 << 2.0 << 66;
    QTest::newRow("30 um, -2 mm: toward zero") << 30.0 << -2.0 << -66;
    QTest::newRow("40.4 um, 20 mm") << 40.4 << 20.0 << 495;
    QTest::newRow("absurd radius saturates") << 30.0 << 1e12 << std::numeric_limits<int>::max();
    QTest::newRow("absurd negative saturates") << 30.0 << -1e12 << std::numeric_limits<int>::min();
    QTest::newRow("not a number") << 30.0 << std::nan("") << 0;
}

void TestKyDocument::millimetres()
{
    QFETCH(double, pixelSize);
    QFETCH(double, mm);
    TestDocument doc({uniformImage(10, 10, 0, pixelSize)});
    QTEST(doc.MillimetresToPixels(mm), "pixels");
    QCOMPARE(doc.PixelsToMillimetres(1000), 1000 * pixelSize / 1000.0);
}

void TestKyDocument::dotsPerMeter_data()
{
    QTest::addColumn<double>("pixelSize");
    QTest::addColumn<int>("dots");
    QTest::newRow("30 um") << 30.0 << 33333;
    QTest::newRow("40.4 um") << 40.4 << 24752;
    QTest::newRow("0: no resolution") << 0.0 << 0;
    QTest::newRow("negative: none") << -5.0 << 0;
}

void TestKyDocument::dotsPerMeter()
{
    QFETCH(double, pixelSize);
    TestDocument doc({uniformImage(10, 10, 0, pixelSize)});
    QTEST(doc.DotsPerMeter(), "dots");
    TestDocument empty;
    QCOMPARE(empty.DotsPerMeter(), 0);
}

void TestKyDocument::estimatedFileSize_data()
{
    QTest::addColumn<int>("images");
    QTest::addColumn<int>("splitMode");
    QTest::addColumn<bool>("analysis");
    QTest::addColumn<int>("bytes");

    QTest::newRow("one, whole") << 1 << 0 << false << 1600000 + 820600;
    QTest::newRow("one, quarters, analysis") << 1 << 3 << true << 2678600;
    QTest::newRow("one, halves") << 1 << 1 << false << 1600000 + 820600 + 1000;
    QTest::newRow("one, upper and lower") << 1 << 2 << false << 1600000 + 820600 + 1000;
    QTest::newRow("one, centre") << 1 << 4 << false << 1600000 + 820600;
    QTest::newRow("three, halves, analysis") << 3 << 1 << true << 3 * (1600000 + 820600 + 1000 + 256000);
}

void TestKyDocument::estimatedFileSize()
{
    QFETCH(int, images);
    QFETCH(int, splitMode);
    QFETCH(bool, analysis);
    TestDocument doc(QVector<ImageFile>(images, uniformImage(1000, 800, 5000)));
    doc.setSplitMode(splitMode);
    if (analysis) {
        doc.SetDefaultLanes(2, 0.5);
        doc.ExtractLaneProfiles();
        QVERIFY(doc.HasAnalysis());
    }
    QTEST(doc.EstimatedFileSize(), "bytes");
}

void TestKyDocument::fileNamePattern_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("follows");
    QTest::addColumn<QString>("sample");

    QTest::newRow("chemiluminescence") << "/d/2021.03.04_10.11.12_Ch.tif" << true << QString();
    QTest::newRow("colorimetric") << "/d/2021.03.04_10.11.12_Co.tif" << true << QString();
    QTest::newRow("fluorescence") << "/d/2021.03.04_10.11.12_Fl.tif" << true << QString();
    QTest::newRow("fluorescence colour") << "/d/2021.03.04_10.11.12_Fl-Green.tif" << true << QString();
    QTest::newRow("with sample name") << "/d/Gel one 2021.03.04_10.11.12_Ch.tif" << true << "Gel one";
    QTest::newRow("numbered") << "/d/2021.03.04_10.11.12-12-3_Ch.tif" << true << QString();
    QTest::newRow("lettered") << "/d/2021.03.04_10.11.12-Sb_Ch.tif" << true << QString();
    QTest::newRow("any separator") << "/d/2021-03-04_10:11:12_Ch.tif" << true << QString();
    QTest::newRow("three digit number") << "/d/2021.03.04_10.11.12-123_Ch.tif" << false << QString();
    QTest::newRow("capital letter") << "/d/2021.03.04_10.11.12-SB_Ch.tif" << false << QString();
    QTest::newRow("lower-case kind") << "/d/2021.03.04_10.11.12_ch.tif" << false << QString();
    QTest::newRow("unknown colour") << "/d/2021.03.04_10.11.12_Fl-Pink.tif" << false << QString();
    QTest::newRow("sample without blank") << "/d/Gel2021.03.04_10.11.12_Ch.tif" << false << QString();
    QTest::newRow("trailing text") << "/d/2021.03.04_10.11.12_Ch-x.tif" << false << QString();
    QTest::newRow("no extension: cut at the last dot") << "/d/2021.03.04_10.11.12_Ch" << false << QString();
    QTest::newRow("plain name") << "/d/gel.tif" << false << QString();
    QTest::newRow("no image") << QString() << false << QString();
}

void TestKyDocument::fileNamePattern()
{
    QFETCH(QString, path);
    TestDocument doc(path.isEmpty() ? QVector<ImageFile>{} : QVector<ImageFile>{namedImage(path)});
    QTEST(doc.FollowsFileNamePattern(), "follows");
    QTEST(doc.SampleNameFromFileName(), "sample");
}

void TestKyDocument::names_data()
{
    QTest::addColumn<bool>("opened");
    QTest::addColumn<QString>("filePath");
    QTest::addColumn<int>("splitMode");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("baseName");
    QTest::addColumn<QStringList>("saveNames");

    const QString capture = QStringLiteral("/d/Gel 2021.03.04_10.11.12/Gel 2021.03.04_10.11.12_Ch.tif");
    QTest::newRow("opened, instrument name") << true << capture << 0 << QString() << "2021.03.04_10.11.12"
                                             << QStringList{"2021.03.04_10.11.12_Ch"};
    QTest::newRow("opened, prefix") << true << capture << 0 << "New" << "New 2021.03.04_10.11.12"
                                    << QStringList{"New 2021.03.04_10.11.12_Ch"};
    QTest::newRow("opened, halves") << true << capture << 1 << QString() << "2021.03.04_10.11.12"
                                    << QStringList{"2021.03.04_10.11.12-1_Ch", "2021.03.04_10.11.12-2_Ch"};
    QTest::newRow("opened, quarters")
        << true << capture << 3 << QString() << "2021.03.04_10.11.12"
        << QStringList{"2021.03.04_10.11.12-1_Ch", "2021.03.04_10.11.12-2_Ch", "2021.03.04_10.11.12-3_Ch",
                       "2021.03.04_10.11.12-4_Ch"};
    QTest::newRow("opened, centre") << true << capture << 4 << QString() << "2021.03.04_10.11.12"
                                    << QStringList{"2021.03.04_10.11.12_Ch"};
    QTest::newRow("opened, unknown split mode") << true << capture << 7 << QString() << "2021.03.04_10.11.12"
                                                << QStringList{};
    QTest::newRow("opened, foreign name") << true << "/d/my gel/my gel.tif" << 0 << QString() << "my gel"
                                          << QStringList{"my gel"};
    QTest::newRow("new capture") << false << "/d/x/2021.03.04_10.11.12_Ch.tif" << 0 << QString()
                                 << "2021.03.04_10.11.12" << QStringList{"2021.03.04_10.11.12_Ch"};
    QTest::newRow("new capture, prefix") << false << "/d/x/2021.03.04_10.11.12_Ch.tif" << 2 << "S"
                                         << "S 2021.03.04_10.11.12"
                                         << QStringList{"S 2021.03.04_10.11.12-1_Ch", "S 2021.03.04_10.11.12-2_Ch"};
}

void TestKyDocument::names()
{
    QFETCH(bool, opened);
    QFETCH(QString, filePath);
    QFETCH(int, splitMode);
    QFETCH(QString, prefix);
    const ImageFile image = namedImage(filePath, QStringLiteral("2021:03:04 10:11:12"));
    // An opened capture's base path is its first file's path (".tif" is cut).
    QScopedPointer<TestDocument> doc(opened ? new TestDocument(filePath, {image}) : new TestDocument({image}));
    doc->setSplitMode(splitMode);
    QTEST(doc->BaseName(prefix), "baseName");
    QTEST(doc->SaveFileNames(prefix), "saveNames");
}

void TestKyDocument::splitNamesOfFirstImage_data()
{
    QTest::addColumn<int>("splitMode");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("whole") << 0 << QStringList{"A_B_Ch.tif", "", "", ""};
    QTest::newRow("halves") << 1 << QStringList{"A_B-1_Ch.tif", "A_B-2_Ch.tif", "", ""};
    QTest::newRow("quarters") << 3 << QStringList{"A_B-1_Ch.tif", "A_B-2_Ch.tif", "A_B-3_Ch.tif", "A_B-4_Ch.tif"};
    QTest::newRow("centre") << 4 << QStringList{"A_B_Ch.tif", "", "", ""};
}

void TestKyDocument::splitNamesOfFirstImage()
{
    QFETCH(int, splitMode);
    TestDocument doc({namedImage(QStringLiteral("/d/A_B_Ch.tif"))});
    doc.setSplitMode(splitMode);
    QTEST(doc.SplitNamesOfFirstImage(), "names");
}

void TestKyDocument::isStoredAt()
{
    const QString path = QStringLiteral("/d/2021.03.04_10.11.12/2021.03.04_10.11.12_Ch.tif");
    TestDocument doc(QStringLiteral("/d/2021.03.04_10.11.12/2021.03.04_10.11.12_Ch"), {namedImage(path)});
    QVERIFY(doc.IsStoredAt(QStringLiteral("/d/2021.03.04_10.11.12"), QString()));
    QVERIFY(doc.IsStoredAt(QStringLiteral("/D/2021.03.04_10.11.12/"), QString()));
    QVERIFY(!doc.IsStoredAt(QStringLiteral("/e"), QString()));
    TestDocument empty(QStringLiteral("/d/x"), {});
    QVERIFY(!empty.IsStoredAt(QStringLiteral("/d"), QString()));
}

void TestKyDocument::saveInPlace()
{
    TestDocument opened(QStringLiteral("/d/cap"), {namedImage(QStringLiteral("/d/cap/cap_Ch.tif"))});
    opened.writeFiles = false;
    QCOMPARE(opened.SaveInPlace(true, true, false), -13);
    QCOMPARE(opened.savedAsPath, QStringLiteral("/d/cap/cap_Ch"));

    TestDocument created({namedImage(QStringLiteral("/img/Gel 2021.03.04_10.11.12/Gel 2021.03.04_10.11.12_Ch.tif"),
                                     QStringLiteral("2021:03:04 10:11:12"))});
    created.writeFiles = false;
    created.SaveInPlace(true, false, true);
    QCOMPARE(created.savedFolder, QStringLiteral("/img"));
    QCOMPARE(created.savedName, QStringLiteral("Gel"));
    QCOMPARE(created.savedAsPath, QStringLiteral("/img/Gel 2021.03.04_10.11.12"));
}

void TestKyDocument::comment()
{
    TestDocument doc(QStringLiteral("/c/A"), {uniformImage(10, 10, 0), ImageFile(), uniformImage(10, 10, 0)});
    QSignalSpy dirty(&doc, &KyDocument::DirtyStateChanged);
    QCOMPARE(doc.Comment(), QString());
    doc.SetComment(QString());
    QCOMPARE(dirty.count(), 0);
    doc.SetComment(QStringLiteral("blot 3"));
    QCOMPARE(dirty.count(), 1);
    QCOMPARE(doc.Comment(), QStringLiteral("blot 3"));
    QCOMPARE(doc.images().at(2).Comment(), QStringLiteral("blot 3"));
    doc.SetDirty(false);
    doc.SetComment(QStringLiteral("blot 3"));
    QVERIFY(!doc.IsDirty());
}

void TestKyDocument::commentThroughFiles_data()
{
    QTest::addColumn<QString>("comment");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("readBack"); // from the saved images

    QTest::newRow("ASCII") << "blot 3" << true << "blot 3";
    QTest::newRow("Latin-1") << QString("Gel 7 \u00b5g \u00fc") << true << QString("Gel 7 \u00b5g \u00fc");
    // As one line, as every item; the reader makes runs of blanks single.
    QTest::newRow("line breaks") << "a\r\nb\nc" << true << "a b c";
    QTest::newRow("euro sign") << QString("Gel \u20ac") << false << "kept";
    QTest::newRow("CJK") << QString("\u30b2\u30eb") << false << "kept";
    QTest::newRow("beyond the basic plane") << QString("Gel ") + QString::fromUcs4(U"\U0001F9EA") << false << "kept";
}

// The images carry the comment as Latin-1: what they cannot hold is refused where it is set, never
// written as "?".
void TestKyDocument::commentThroughFiles()
{
    QFETCH(QString, comment);
    QFETCH(bool, accepted);
    QFETCH(QString, readBack);
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("c"));
    TestDocument doc({uniformImage(10, 10, 0), uniformImage(10, 10, 0)});
    QVERIFY(doc.SetComment(QStringLiteral("kept")));
    doc.SetDirty(false);
    QCOMPARE(doc.SetComment(comment), accepted);
    QCOMPARE(doc.IsDirty(), accepted);
    QCOMPARE(doc.Comment(), accepted ? comment : QStringLiteral("kept"));
    QCOMPARE(doc.images().at(1).Comment(), doc.Comment());

    QCOMPARE(doc.SaveAs(base), 0);
    std::unique_ptr<TestDocument> back(TestDocument::open(base, 2));
    QCOMPARE(back->Comment(), readBack);
    QCOMPARE(back->images().at(1).Comment(), readBack);
}

void TestKyDocument::metadataQueries()
{
    ImageFile image = uniformImage(10, 10, 0);
    image.SetTags({{QStringLiteral("Exposure time"), QStringLiteral("1 min 2.5 s")},
                   {KyItemName::ImageSplit, QStringLiteral("none")},
                   {QStringLiteral("Method"), QStringLiteral("Fluorescence")}});
    TestDocument doc({ImageFile(), image});
    QCOMPARE(doc.ExposureTime(1), 62500);
    QCOMPARE(doc.ExposureTime(0), 0);
    QCOMPARE(doc.ExposureTime(5), 0);
    QVERIFY(!doc.HasODParameter());
    QCOMPARE(doc.ChannelName(1), QStringLiteral("Fluorescence"));
    QCOMPARE(doc.ChannelName(7), QString());
    QCOMPARE(doc.LightModes().size(), 1);
    QCOMPARE(doc.LightModes().at(0).methodName(), QStringLiteral("Fluorescence"));
    // Fluorescence is captured on the lower tray.
    QCOMPARE(doc.CaptureCategory(), 2);
    QVERIFY(doc.IsUnsplitCategoryTwo());
    doc.images()[1].SetTag(KyItemName::ImageSplit, QStringLiteral("vertical-left"));
    QVERIFY(!doc.IsUnsplitCategoryTwo());
    doc.images()[1].SetTag(KyItemName::ODParameter, QStringLiteral("N:65536,a:0,b:-1,c:0"));
    QVERIFY(doc.HasODParameter());
    TestDocument empty;
    QVERIFY(!empty.HasODParameter());
    QCOMPARE(empty.CaptureCategory(), 0);
}

void TestKyDocument::rotation()
{
    ImageFile image = makeImage(40, 30, [](int x, int y) { return quint16(x + 100 * y); });
    TestDocument doc({image, image});
    doc.SetDefaultLanes(3, 0.5);
    doc.images()[0].SetTag(KyItemName::Lane, QStringLiteral("3,0.5,8,6,32,6,8,24,32,24"));
    doc.setColorImage();
    doc.RotateRight();
    QCOMPARE(doc.ImageWidth(), 30);
    QCOMPARE(doc.ImageHeight(), 40);
    // Clockwise: the old bottom-left pixel (0, 29) comes to the top-left.
    QCOMPARE(doc.images().at(1).Pixel(0, 0), quint16(2900));
    QVERIFY(!doc.HasLaneTemplate());
    QVERIFY(doc.images().at(0).Tag(KyItemName::Lane).isEmpty());
    QVERIFY(!doc.hasColorImage());
    QVERIFY(doc.IsDirty());
    doc.RotateLeft();
    QCOMPARE(doc.images().at(0).Pixel(5, 7), quint16(5 + 700));
}

void TestKyDocument::rotationSignalsDirtyOnce()
{
    // A clean document with lanes: clearing the lanes makes it dirty, and the window must hear it
    // once, although the rotation's own SetDirty then finds the flag set.
    ImageFile image = gelImage(60, 40, 3, 3);
    image.SetTag(KyItemName::Lane, QStringLiteral("3,0.7,5,5,55,5,5,35,55,35"));
    TestDocument doc(QStringLiteral("/c/A"), {image});
    QVERIFY(doc.HasLaneTemplate());
    QVERIFY(!doc.IsDirty());
    QSignalSpy dirty(&doc, &KyDocument::DirtyStateChanged);
    doc.RotateRight();
    QCOMPARE(dirty.count(), 1);
    QCOMPARE(dirty.at(0).at(0).toBool(), true);
    QVERIFY(doc.IsDirty());
    QVERIFY(!doc.IsAnalysisCurrent());
    QVERIFY(doc.IsParameterChanged());
}

void TestKyDocument::destructionSendsNothing()
{
    auto *doc = new TestDocument({gelImage(60, 40, 3, 3)});
    doc->SetDefaultLanes(3, 0.5);
    doc->ExtractLaneProfiles();
    doc->SetDirty(false);
    doc->SetAnalysisChanged(false);
    int emitted = 0;
    QObject::connect(doc, &KyDocument::AnalysisChanged, [&emitted] { ++emitted; });
    QObject::connect(doc, &KyDocument::DirtyStateChanged, [&emitted] { ++emitted; });
    bool destroyed = false;
    QObject::connect(doc, &QObject::destroyed, [&destroyed] { destroyed = true; });
    delete doc;
    QCOMPARE(emitted, 0);
    QVERIFY(destroyed);
}

void TestKyDocument::baseVirtualBehaviour()
{
    TestDocument doc({uniformImage(10, 10, 0)});
    KyDocument &base = doc;
    QCOMPARE(base.DisplayName(QStringLiteral("x y")), QStringLiteral("x y"));
    QCOMPARE(base.ChannelIndexList(), QList<int>{0});
    QCOMPARE(base.ReservedValue(), 0);
    QCOMPARE(base.ReservedCount(), 0);
    QVERIFY(!base.ReservedFlag());
    QVERIFY(!base.HasMarker());
    QVERIFY(!base.IsMarkerChannel(1));
    base.ReservedOperation(3);
    base.SetImageFlagOnAll(true);
    base.DumpImages();
    QCOMPARE(base.SaveStepCount(), 1);
    const QVector<double> table = base.IntensityTable();
    QCOMPARE(table.size(), 65536);
    QCOMPARE(table.at(0), 0.0);
    QCOMPARE(table.at(65535), 65535.0);
    QCOMPARE(base.qImage(0, QRect()).size(), QSize(10, 10));
    QCOMPARE(base.qImage(0, QRect(2, 3, 4, 5)).size(), QSize(4, 5));
    QVERIFY(base.qImage(1, QRect()).isNull());
}

void TestKyDocument::cachedIntensityTable()
{
    TestDocument doc({uniformImage(10, 10, 0)});
    doc.valueTable = QVector<double>(65536, 2.0);
    QCOMPARE(doc.CachedIntensityTable().at(7), 2.0);
    QCOMPARE(doc.CachedIntensityTable().at(9), 2.0);
    QCOMPARE(doc.intensityTableCalls, 1);
}

void TestKyDocument::resetAndAutoRange()
{
    ScopedSystemSettings settings({{"DarkframeOffset", 700}});
    ImageFile image = gelImage(60, 40, 3, 5);
    TestDocument doc({image, image});
    doc.SetDirty(false);

    doc.setColorImage();
    doc.ResetRange(65535);
    for (const ImageFile &i : doc.images()) {
        QCOMPARE(i.RangeLow(), quint16(700));
        QCOMPARE(i.RangeHigh(), quint16(65535));
    }
    QVERIFY(doc.IsDisplayChanged());
    QVERIFY(!doc.hasColorImage());
    QVERIFY(!doc.IsDirty());

    // Nothing changes a second time: the colour image stays.
    doc.SetDirty(true);
    doc.SetDirty(false);
    doc.setColorImage();
    doc.ResetRange(65535);
    QVERIFY(!doc.IsDisplayChanged());
    QVERIFY(doc.hasColorImage());

    // One channel: a colour image composed with the old levels goes too, and only when the levels
    // really changed.
    QVERIFY(doc.SetDisplayRange(1, 10, 20));
    doc.SetDirty(true);
    doc.SetDirty(false);
    doc.setColorImage();
    doc.ResetRange(1);
    QCOMPARE(doc.images().at(1).RangeLow(), quint16(700));
    QCOMPARE(doc.images().at(1).RangeHigh(), quint16(65535));
    QVERIFY(doc.IsDisplayChanged());
    QVERIFY(!doc.hasColorImage());
    doc.SetDirty(true);
    doc.SetDirty(false);
    doc.setColorImage();
    doc.ResetRange(1);
    QVERIFY(!doc.IsDisplayChanged());
    QVERIFY(doc.hasColorImage());

    doc.AutoRange(65535);
    QCOMPARE(doc.images().at(0).RangeLow(), doc.images().at(0).AutoLow());
    QCOMPARE(doc.images().at(1).RangeHigh(), doc.images().at(1).AutoHigh());
    QVERIFY(!doc.hasColorImage());
    doc.AutoRange(9); // no such channel
}

KY_TEST_MAIN_WITH(QGuiApplication, TestKyDocument)
#include "tst_kydocument.moc"
