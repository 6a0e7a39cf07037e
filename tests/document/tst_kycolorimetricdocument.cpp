// The colorimetric document on captures of the sample tool and hand-made variants: opening, the
// optical-density table (against tests/document/reference/opticaldensity.py), the assembly from
// three exposures, rotation, and saves that succeed or fail part-way.

#include "savedfiles.h"
#include "systemsetting.h"
#include "testmain.h"

#include "core/analysissettings.h"
#include "core/systemsettings.h"
#include "document/kycolorimetricdocument.h"
#include "document/kyitemnames.h"
#include "instrument/capturecondition.h"
#include "image/imagefile.h"
#include "samplecapturewriter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <csignal>
#include <cmath>
#include <cstring>
#include <memory>

using namespace kytest;

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 240;
// Light modes of the white-light exposures.
constexpr int kLowerEpiWhiteBlue = 12;
constexpr int kLowerEpiWhiteRed = 14;
constexpr int kTransWhiteBlue = 16;
constexpr int kTransWhiteGreen = 17;
constexpr int kTransWhiteRed = 18;

// A document whose protected state the tests set and read.
class ProbeDocument : public KyColorimetricDocument
{
public:
    using KyColorimetricDocument::KyColorimetricDocument;
    void setSplitMode(int inMode) { mSplitMode = inMode; }
    QString basePath() const { return mBasePath; }
};

QByteArray jpegBytes(const QImage &inImage, int inQuality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(inQuality);
    return writer.write(inImage) ? bytes : QByteArray();
}

QImage noisePicture(int inWidth, int inHeight, quint32 inSeed)
{
    QImage image(inWidth, inHeight, QImage::Format_RGB888);
    QRandomGenerator random(inSeed);
    for (int y = 0; y < inHeight; ++y) {
        uchar *row = image.scanLine(y);
        for (int i = 0; i < 3 * inWidth; ++i)
            row[i] = uchar(random.bounded(256));
    }
    return image;
}


// Files below inFolder that no save should leave: anything but the images and reports (a
// temporary file of an interrupted write has a random suffix).
QStringList strayFiles(const QString &inFolder)
{
    QStringList stray;
    const QStringList kept{QStringLiteral(".tif"), QStringLiteral(".jpg"), QStringLiteral(".csv")};
    for (const QString &path : filesBelow(inFolder).keys()) {
        if (std::none_of(kept.cbegin(), kept.cend(), [&](const QString &s) { return path.endsWith(s); }))
            stray << path;
    }
    return stray;
}

// One white-light exposure with pixels from inSeed, the extremes 0 and 65535 included.
ImageFile exposure(int inLightMode, int inWidth, int inHeight, quint32 inSeed, const QString &inInvert)
{
    ImageFile image(CaptureCondition(LightMode(inLightMode), 120, QString()));
    image.Resize(inWidth, inHeight);
    QRandomGenerator random(inSeed);
    quint16 *p = image.Data();
    const qsizetype count = qsizetype(inWidth) * inHeight;
    for (qsizetype i = 0; i < count; ++i)
        p[i] = quint16(random.bounded(65536));
    p[0] = 0;
    p[count - 1] = 65535;
    image.SetTag(QStringLiteral("Invert"), inInvert);
    image.SetTag(QStringLiteral("Darkframe"), QStringLiteral("D%1").arg(inSeed));
    image.SetTag(QStringLiteral("Flatframe"), QStringLiteral("F%1").arg(inSeed));
    image.SetComment(QStringLiteral("exposure %1").arg(inSeed));
    image.SetTag(KyItemName::DateTime, QStringLiteral("2024:05:06 07:08:%1").arg(inSeed % 60, 2, 10, QLatin1Char('0')));
    image.UpdateHistogram();
    return image;
}

// The colour picture three exposures give, worked out the long way: each exposure's own marker
// range, the widest of them for all, the 8-bit renderings, optionally negated.
QImage expectedComposition(QVector<ImageFile> inExposures, int inWidth, int inHeight, bool inInverted)
{
    int low = 65535;
    int high = 0;
    for (ImageFile &e : inExposures) {
        e.AutoRangeMarker();
        low = std::min<int>(low, e.RangeLow());
        high = std::max<int>(high, e.RangeHigh());
    }
    QVector<QImage> rendered;
    for (ImageFile &e : inExposures) {
        e.SetRangeLow(quint16(low));
        e.SetRangeHigh(quint16(high));
        rendered << e.ToIndexed8(false);
    }
    QImage image(inWidth, inHeight, QImage::Format_RGB888);
    for (int y = 0; y < inHeight; ++y) {
        for (int x = 0; x < inWidth; ++x) {
            int rgb[3] = {rendered[2].constScanLine(y)[x], rendered[1].constScanLine(y)[x],
                          rendered[0].constScanLine(y)[x]};
            for (int &v : rgb)
                v = inInverted ? 255 - v : v;
            image.setPixel(x, y, qRgb(rgb[0], rgb[1], rgb[2]));
        }
    }
    return image;
}

// Whether a decoded JPEG is closer to the picture than an encoding at the library's default quality.
bool closerThanDefaultQuality(const QImage &inDecoded, const QImage &inPicture)
{
    const double error = meanDifference(inDecoded, inPicture);
    const double defaultError = meanDifference(QImage::fromData(jpegBytes(inPicture, -1)), inPicture);
    if (error >= 0.0 && error < defaultError)
        return true;
    qWarning("mean difference %g, at the default quality %g", error, defaultError);
    return false;
}

// The optical-density table of the reference script for an item text.
QVector<double> referenceTable(const QString &inItem)
{
    QTemporaryDir dir;
    const QString output = dir.filePath(QStringLiteral("table.bin"));
    const ProgramRun run = runCaptured(
        QStringLiteral("/usr/bin/python3"),
        {sourceDir() + QStringLiteral("/tests/document/reference/opticaldensity.py"), inItem, output}, 120000);
    if (run.exitCode != 0) {
        qWarning("opticaldensity.py failed: %s", qPrintable(run.err));
        return {};
    }
    const QByteArray bytes = readBytes(output);
    if (bytes.size() != 65536 * 8)
        return {};
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "the reference writes little-endian doubles");
    QVector<double> table(65536);
    std::memcpy(table.data(), bytes.constData(), size_t(bytes.size()));
    return table;
}


} // namespace

class TestKyColorimetricDocument : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void open_data();
    void open();
    void colorImageCut();
    void intensityTable_data();
    void intensityTable();
    void assembledFromExposures_data();
    void assembledFromExposures();
    void standAloneImages_data();
    void standAloneImages();
    void refusedArguments();
    void rotation();
    void saveAs_data();
    void saveAs();
    void saveAsRefused();
    void save_data();
    void save();
    void saveFailsPartWay_data();
    void saveFailsPartWay();

private:
    // A fresh copy of the sample capture, changed by inVariant; returns its folder.
    QString captureCopy(const QString &inVariant);
    // A new capture from three exposures of inWidth x inHeight with lanes and profiles.
    std::unique_ptr<ProbeDocument> newCapture(int inWidth, int inHeight);

    QTemporaryDir root;
    QString sample;     // the sample capture folder
    QString sampleName; // its name, which its files carry
    int copies = 0;
};

void TestKyColorimetricDocument::initTestCase()
{
    QVERIFY(root.isValid());
    SampleCaptureWriter writer(kWidth, kHeight, 7);
    sample = writer.Write(QStringLiteral("color"), root.filePath(QStringLiteral("samples")));
    QVERIFY2(!sample.isEmpty(), qPrintable(writer.ErrorText()));
    sampleName = QFileInfo(sample).fileName();
    QVERIFY(QFile::exists(sample + QLatin1Char('/') + sampleName + QLatin1String(".tif")));
    QVERIFY(QFile::exists(sample + QLatin1Char('/') + sampleName + QLatin1String(".jpg")));
}

void TestKyColorimetricDocument::cleanup()
{
    setSystemSetting(QStringLiteral("StandAloneImageFolderPath"), QVariant());
    AnalysisSettings::instance()->setValue(QStringLiteral("Colorimetric_SaveEachImage"), false);
}

QString TestKyColorimetricDocument::captureCopy(const QString &inVariant)
{
    const QString folder = root.filePath(QStringLiteral("copy%1/").arg(++copies)) + sampleName;
    if (!copyFolder(sample, folder))
        return QString();
    const QString base = folder + QLatin1Char('/') + sampleName;
    const QString jpg = base + QLatin1String(".jpg");
    if (inVariant == QLatin1String("no jpeg"))
        QFile::remove(jpg);
    else if (inVariant == QLatin1String("no tiff"))
        QFile::remove(base + QLatin1String(".tif"));
    else if (inVariant == QLatin1String("jpeg of another size"))
        writeBytes(jpg, jpegBytes(noisePicture(100, 50, 3), 90));
    else if (inVariant == QLatin1String("large jpeg"))
        writeBytes(jpg, jpegBytes(noisePicture(640, 960, 4), 100));
    else if (inVariant == QLatin1String("not a jpeg"))
        writeBytes(jpg, QByteArray("this is no picture"));
    return folder;
}

std::unique_ptr<ProbeDocument> TestKyColorimetricDocument::newCapture(int inWidth, int inHeight)
{
    // No stand-alone images: the capture is assembled from the exposures.
    setSystemSetting(QStringLiteral("StandAloneImageFolderPath"), root.filePath(QStringLiteral("none/")));
    auto doc = std::make_unique<ProbeDocument>();
    doc->SetColorChannelImage(0, exposure(kTransWhiteBlue, inWidth, inHeight, 21, QStringLiteral("Yes")));
    doc->SetColorChannelImage(1, exposure(kTransWhiteGreen, inWidth, inHeight, 22, QStringLiteral("Yes")));
    doc->SetColorChannelImage(2, exposure(kTransWhiteRed, inWidth, inHeight, 23, QStringLiteral("Yes")));
    doc->SetDefaultLanes(3, 0.8);
    doc->ExtractLaneProfiles();
    return doc;
}

void TestKyColorimetricDocument::open_data()
{
    QTest::addColumn<QString>("variant");
    QTest::addColumn<bool>("oddPath");
    QTest::addColumn<int>("images");
    QTest::addColumn<QSize>("colourSize");

    QTest::newRow("sample") << "" << false << 1 << QSize(kWidth, kHeight);
    QTest::newRow("backslashes and a trailing separator") << "" << true << 1 << QSize(kWidth, kHeight);
    QTest::newRow("no jpeg") << "no jpeg" << false << 1 << QSize();
    QTest::newRow("not a jpeg") << "not a jpeg" << false << 1 << QSize();
    QTest::newRow("jpeg of another size") << "jpeg of another size" << false << 1 << QSize(100, 50);
    QTest::newRow("no tiff") << "no tiff" << false << 0 << QSize(kWidth, kHeight);
}

void TestKyColorimetricDocument::open()
{
    QFETCH(QString, variant);
    QFETCH(bool, oddPath);
    QFETCH(int, images);
    QFETCH(QSize, colourSize);

    const QString captureFolder = captureCopy(variant);
    QVERIFY(!captureFolder.isEmpty());
    QString folder = captureFolder;
    if (oddPath)
        folder = folder.replace(QLatin1Char('/'), QLatin1Char('\\')) + QLatin1Char('/');
    KyColorimetricDocument doc(folder, nullptr);

    QCOMPARE(doc.ImageCount(), images);
    QVERIFY(!doc.IsDirty());
    QVERIFY(doc.IsOpenedDocument());
    QVERIFY(doc.IsSingleImage());
    QCOMPARE(doc.ChannelMask(), 0);
    QCOMPARE(doc.SaveStepCount(), 3);
    if (images == 1) {
        QVERIFY(doc.HasODParameter());
        QCOMPARE(doc.FilePathOfFirstImage(), captureFolder + QLatin1Char('/') + sampleName + QLatin1String(".tif"));
    }
    if (colourSize.isValid()) {
        const QImage colour = doc.ColorImage(QRect());
        QCOMPARE(colour.size(), colourSize);
        if (images == 1) {
            QCOMPARE(colour.dotsPerMeterX(), doc.DotsPerMeter());
            QCOMPARE(colour.dotsPerMeterY(), doc.DotsPerMeter());
        }
        // A cut beyond a smaller picture is still a cut of the asked size, never a read outside it.
        QCOMPARE(doc.ColorImage(QRect(0, 0, kWidth, kHeight)).size(), QSize(kWidth, kHeight));
    } else {
        QTest::ignoreMessage(QtDebugMsg, "KyColorimetricDocument::ColorImage(): Unexpectedly mColorImage is not exist.");
        QVERIFY(doc.ColorImage(QRect()).isNull());
    }
    // The colour picture is the document's own, not a cache that display changes drop.
    doc.ReleaseColorImage();
    doc.AutoRange(65535);
    QCOMPARE(doc.ColorImage(QRect()).size(), colourSize.isValid() ? colourSize : QSize(0, 0));
}

void TestKyColorimetricDocument::colorImageCut()
{
    KyColorimetricDocument doc(captureCopy(QString()), nullptr);
    const QImage whole = doc.ColorImage(QRect());
    const QRect rect(10, 20, 30, 40);
    QCOMPARE(doc.ColorImage(rect), whole.copy(rect));
    QCOMPARE(whole, QImage(sample + QLatin1Char('/') + sampleName + QLatin1String(".jpg")).convertToFormat(whole.format()));
}

void TestKyColorimetricDocument::intensityTable_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("identity");

    QTest::newRow("named fields, -log10") << "P:65536,A:0,B:-1,C:0" << false;
    QTest::newRow("instrument calibration, top level 65535") << "P:65535,A:-0.00164059,B:-1.04424,C:0" << false;
    QTest::newRow("no names") << "60503,0.5,-1.2,0.01" << false;
    QTest::newRow("several colons") << "x:y:40000,a:b:0.1,B:-1,C:2.5" << false;
    QTest::newRow("extra fields") << "P:65536,A:1,B:2,C:3,D:4" << false;
    QTest::newRow("coefficient no number") << "P:65536,A:abc,B:-1,C:" << false;
    QTest::newRow("coefficient not finite") << "P:65536,A:nan,B:inf,C:1" << false;
    QTest::newRow("top level 100") << "P:100,A:0.2,B:-1,C:0" << false;
    QTest::newRow("top level 1") << "P:1,A:1,B:1,C:1" << false;
    QTest::newRow("top level negative") << "P:-500,A:1,B:-1,C:0" << false;
    QTest::newRow("top level 0") << "P:0,A:1,B:-1,C:0" << true;
    QTest::newRow("top level no integer") << "P:6.5e4,A:1,B:-1,C:0" << true;
    QTest::newRow("overflowing coefficients") << "P:65536,A:1e308,B:-1e308,C:1e308" << false;
    QTest::newRow("three fields") << "P:65536,A:0,B:-1" << true;
    QTest::newRow("four empty fields") << ",,," << true;
    QTest::newRow("empty item") << "" << true;
}

void TestKyColorimetricDocument::intensityTable()
{
    QFETCH(QString, item);
    QFETCH(bool, identity);

    const QString folder = captureCopy(QString());
    const QString tif = folder + QLatin1Char('/') + sampleName + QLatin1String(".tif");
    ImageFile record;
    QVERIFY(ImageFile::Read(tif, record));
    if (item.isEmpty())
        record.RemoveTag(KyItemName::ODParameter);
    else
        record.SetTag(KyItemName::ODParameter, item);
    QVERIFY(ImageFile::Save(tif, record));

    KyColorimetricDocument doc(folder, nullptr);
    const QVector<double> table = doc.IntensityTable();
    const QVector<double> expected = referenceTable(item);
    QCOMPARE(table.size(), 65536);
    QCOMPARE(expected.size(), 65536);
    for (int g = 0; g < 65536; ++g) {
        QVERIFY2(std::isfinite(table[g]), qPrintable(QStringLiteral("level %1: %2").arg(g).arg(table[g])));
        const double tolerance = 1e-12 * std::max(1.0, std::abs(expected[g]));
        QVERIFY2(std::abs(table[g] - expected[g]) <= tolerance,
                 qPrintable(QStringLiteral("level %1: %2, expected %3").arg(g).arg(table[g], 0, 'g', 17).arg(expected[g], 0, 'g', 17)));
        if (identity)
            QCOMPARE(table[g], double(g));
    }
    if (QTest::currentDataTag() == QByteArray("named fields, -log10")) {
        QCOMPARE(table[0], 0.0);
        QVERIFY(qAbs(table[32768] - 0.30103) < 1e-5);
    }
    QCOMPARE(doc.CachedIntensityTable(), table);
}

void TestKyColorimetricDocument::assembledFromExposures_data()
{
    QTest::addColumn<QString>("invert");
    QTest::addColumn<QSize>("blueSize");
    QTest::addColumn<QSize>("greenSize");
    QTest::addColumn<QSize>("redSize");

    const QSize size(40, 30);
    QTest::newRow("Yes") << "Yes" << size << size << size;
    QTest::newRow("YES") << "YES" << size << size << size;
    QTest::newRow("yes") << "yes" << size << size << size;
    QTest::newRow("No") << "No" << size << size << size;
    QTest::newRow("empty") << "" << size << size << size;
    QTest::newRow("Yes, unequal sizes") << "Yes" << QSize(40, 30) << QSize(44, 28) << QSize(42, 33);
    QTest::newRow("No, unequal sizes") << "No" << QSize(45, 31) << QSize(41, 36) << QSize(43, 29);
}

void TestKyColorimetricDocument::assembledFromExposures()
{
    QFETCH(QString, invert);
    QFETCH(QSize, blueSize);
    QFETCH(QSize, greenSize);
    QFETCH(QSize, redSize);

    setSystemSetting(QStringLiteral("StandAloneImageFolderPath"), root.filePath(QStringLiteral("none/")));
    const QVector<ImageFile> exposures{
        exposure(kTransWhiteBlue, blueSize.width(), blueSize.height(), 1, invert),
        exposure(kTransWhiteGreen, greenSize.width(), greenSize.height(), 2, invert),
        exposure(kTransWhiteRed, redSize.width(), redSize.height(), 3, invert)};
    KyColorimetricDocument doc;
    doc.SetColorChannelImage(0, exposures[0]);
    doc.SetColorChannelImage(1, exposures[1]);
    QCOMPARE(doc.ImageCount(), 0);
    doc.SetColorChannelImage(2, exposures[2]);

    const int width = std::min({blueSize.width(), greenSize.width(), redSize.width()});
    const int height = std::min({blueSize.height(), greenSize.height(), redSize.height()});
    const bool inverted = invert.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0;

    QCOMPARE(doc.ImageCount(), 1);
    const ImageFile *record = doc.Image(0);
    QCOMPARE(record->Width(), width);
    QCOMPARE(record->Height(), height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const qint64 s = qint64(exposures[0].Pixel(x, y)) + exposures[1].Pixel(x, y) + exposures[2].Pixel(x, y);
            // The nearest integer to the mean (or to 65535 minus it), halves upward.
            const qint64 level = inverted ? (2 * s + 3) / 6 : (6 * 65535 - 2 * s + 3) / 6;
            QVERIFY2(record->Pixel(x, y) == level,
                     qPrintable(QStringLiteral("(%1, %2): %3, expected %4").arg(x).arg(y).arg(record->Pixel(x, y)).arg(level)));
        }
    }
    QCOMPARE(record->Tag(QStringLiteral("Light")),
             QStringLiteral("Trans White-Blue,Trans White-Green,Trans White-Red"));
    QCOMPARE(record->Tag(QStringLiteral("Darkframe")), QStringLiteral("D1,D2,D3"));
    QCOMPARE(record->Tag(QStringLiteral("Flatframe")), QStringLiteral("F1,F2,F3"));
    QCOMPARE(record->Tag(QStringLiteral("Exposure time")), QStringLiteral("Automatic"));
    QCOMPARE(record->Tag(QStringLiteral("Invert")), QStringLiteral("Yes"));
    QCOMPARE(record->Comment(), QStringLiteral("exposure 1"));
    QCOMPARE(record->RangeLow(), record->AutoLow());
    QCOMPARE(record->RangeHigh(), record->AutoHigh());

    const QImage colour = doc.ColorImage(QRect());
    QCOMPARE(colour.size(), QSize(width, height));
    QCOMPARE(colour.format(), QImage::Format_RGB888);
    QCOMPARE(colour, expectedComposition(exposures, width, height, inverted));
}

void TestKyColorimetricDocument::standAloneImages_data()
{
    QTest::addColumn<int>("redMode");
    QTest::addColumn<bool>("backslash");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("light");

    QTest::newRow("Trans White-Red") << kTransWhiteRed << false << "Colorimetric_Trans"
                                     << "Trans White-Blue,Trans White-Green,Trans White-Red";
    QTest::newRow("Lower EPI White-Red") << kLowerEpiWhiteRed << false << "Colorimetric_EPI"
                                         << "Lower EPI White-Blue,Lower EPI White-Green,Lower EPI White-Red";
    QTest::newRow("another light keeps its name") << kTransWhiteGreen << false << "Colorimetric_Trans" << "Trans White-Green";
    QTest::newRow("setting with a backslash") << kTransWhiteRed << true << "Colorimetric_Trans"
                                              << "Trans White-Blue,Trans White-Green,Trans White-Red";
}

void TestKyColorimetricDocument::standAloneImages()
{
    QFETCH(int, redMode);
    QFETCH(bool, backslash);
    QFETCH(QString, file);
    QFETCH(QString, light);

    // The stand-alone images: the sample's files under the names of both lights.
    const QString folder = root.filePath(QStringLiteral("standalone%1").arg(++copies));
    QVERIFY(QDir().mkpath(folder));
    const QString source = sample + QLatin1Char('/') + sampleName;
    for (const QString &name : {QStringLiteral("Colorimetric_Trans"), QStringLiteral("Colorimetric_EPI")}) {
        QVERIFY(QFile::copy(source + QLatin1String(".tif"), folder + QLatin1Char('/') + name + QLatin1String(".tif")));
        QVERIFY(QFile::copy(source + QLatin1String(".jpg"), folder + QLatin1Char('/') + name + QLatin1String(".jpg")));
    }
    // The EPI picture differs, so that the test tells the two apart.
    const QByteArray epiJpeg = jpegBytes(noisePicture(kWidth, kHeight, 9), 90);
    QVERIFY(writeBytes(folder + QLatin1String("/Colorimetric_EPI.jpg"), epiJpeg));
    setSystemSetting(QStringLiteral("StandAloneImageFolderPath"), folder + (backslash ? QStringLiteral("\\") : QStringLiteral("/")));
    QCOMPARE(KyColorimetricDocument::ChannelImagePath(LightMode(redMode)), folder + QLatin1Char('/') + file);
    QCOMPARE(KyColorimetricDocument::ChannelImagePath(LightMode(kLowerEpiWhiteBlue)),
             folder + QLatin1String("/Colorimetric_EPI"));

    ProbeDocument doc;
    const ImageFile red = exposure(redMode, 20, 10, 5, QStringLiteral("Yes"));
    doc.SetColorChannelImage(0, exposure(kTransWhiteBlue, 20, 10, 3, QStringLiteral("Yes")));
    doc.SetColorChannelImage(1, exposure(kTransWhiteGreen, 20, 10, 4, QStringLiteral("Yes")));
    doc.SetColorChannelImage(2, red);

    QCOMPARE(doc.ImageCount(), 1);
    const ImageFile *record = doc.Image(0);
    ImageFile standAlone;
    QVERIFY(ImageFile::Read(folder + QLatin1Char('/') + file + QLatin1String(".tif"), standAlone));
    // The stand-alone pixels with the red exposure's items and display range.
    QCOMPARE(record->Width(), kWidth);
    QVERIFY(std::equal(record->ConstData(), record->ConstData() + kWidth * kHeight, standAlone.ConstData()));
    QCOMPARE(record->Tag(QStringLiteral("Light")), light);
    QCOMPARE(record->Comment(), QStringLiteral("exposure 5"));
    QCOMPARE(record->RangeLow(), red.RangeLow());
    QCOMPARE(record->RangeHigh(), red.RangeHigh());
    const QString jpg = folder + QLatin1Char('/') + file + QLatin1String(".jpg");
    QCOMPARE(doc.ColorImage(QRect()).size(), QImage(jpg).size());

    // The stand-alone picture is an original: a whole save copies its bytes.
    const QString target = root.filePath(QStringLiteral("standalone-saved%1").arg(copies));
    const QString name = doc.SaveFileNames(QStringLiteral("Stain")).value(0);
    QVERIFY(!name.isEmpty());
    QCOMPARE(doc.Save(target, QStringLiteral("Stain"), true, true, false), 0);
    QCOMPARE(readBytes(target + QLatin1Char('/') + name + QLatin1Char('/') + name + QLatin1String(".jpg")), readBytes(jpg));
}

void TestKyColorimetricDocument::refusedArguments()
{
    setSystemSetting(QStringLiteral("StandAloneImageFolderPath"), root.filePath(QStringLiteral("none/")));
    KyColorimetricDocument doc;
    QTest::ignoreMessage(QtDebugMsg, "KyColorimetricDocument::SetSampleImage(): Colorimetric image needs to call SetColorImage().");
    doc.SetSampleImage(0, exposure(kTransWhiteBlue, 8, 8, 1, QString()));
    QCOMPARE(doc.ImageCount(), 0);

    for (int channel : {-1, 3, 65535}) {
        QTest::ignoreMessage(QtDebugMsg, "KyColorimetricDocument::SetColorChannelImage(): Channel is out of range.");
        doc.SetColorChannelImage(channel, exposure(kTransWhiteRed, 8, 8, 1, QString()));
    }
    // Refused exposures are not kept: the red one alone completes nothing.
    QTest::ignoreMessage(QtDebugMsg, "KyColorimetricDocument::SetColorChannelImage(): All channel images are not exist.");
    doc.SetColorChannelImage(2, exposure(kTransWhiteRed, 8, 8, 1, QString()));
    QCOMPARE(doc.ImageCount(), 0);
    QTest::ignoreMessage(QtDebugMsg, "KyColorimetricDocument::ColorImage(): Unexpectedly mColorImage is not exist.");
    QVERIFY(doc.ColorImage(QRect()).isNull());
    QCOMPARE(doc.IntensityTable()[1234], 1234.0);

    // Exposures of no size make a record and a picture of no size, and nothing reads pixels.
    KyColorimetricDocument empty;
    empty.SetColorChannelImage(0, ImageFile());
    empty.SetColorChannelImage(1, exposure(kTransWhiteGreen, 8, 8, 1, QString()));
    empty.SetColorChannelImage(2, exposure(kTransWhiteRed, 8, 8, 1, QString()));
    QCOMPARE(empty.ImageCount(), 1);
    QVERIFY(empty.Image(0)->IsNull());
    QTest::ignoreMessage(QtDebugMsg, "KyColorimetricDocument::ColorImage(): Unexpectedly mColorImage is not exist.");
    QVERIFY(empty.ColorImage(QRect()).isNull());
}

void TestKyColorimetricDocument::rotation()
{
    const QString folder = captureCopy(QString());
    ProbeDocument doc(folder, nullptr);
    const QImage colour = doc.ColorImage(QRect());
    const ImageFile grey = *doc.Image(0);
    doc.SetDefaultLanes(4, 0.8);
    doc.SetDirty(false);

    doc.RotateRight();
    const QImage right = doc.ColorImage(QRect());
    const ImageFile *turned = doc.Image(0);
    QCOMPARE(right.size(), QSize(kHeight, kWidth));
    QCOMPARE(turned->Width(), kHeight);
    // Clockwise, the picture and the greyscale record alike: (x, y) comes from (y, H - 1 - x).
    for (int y = 0; y < kWidth; y += 7) {
        for (int x = 0; x < kHeight; x += 5) {
            QCOMPARE(right.pixel(x, y), colour.pixel(y, kHeight - 1 - x));
            QCOMPARE(turned->Pixel(x, y), grey.Pixel(y, kHeight - 1 - x));
        }
    }
    QVERIFY(!doc.HasLaneTemplate());
    QVERIFY(doc.IsDirty());
    QCOMPARE(right.dotsPerMeterX(), colour.dotsPerMeterX());

    // Turned, the picture is encoded anew, close to what the document shows.
    const QByteArray original = readBytes(folder + QLatin1Char('/') + sampleName + QLatin1String(".jpg"));
    const QString turnedBase = root.filePath(QStringLiteral("turned/right"));
    QCOMPARE(doc.SaveAs(turnedBase), 0);
    const QByteArray encoded = readBytes(turnedBase + QLatin1String(".jpg"));
    QVERIFY(!encoded.isEmpty());
    QVERIFY(encoded != original);
    const QImage decoded = QImage::fromData(encoded);
    QCOMPARE(decoded.size(), right.size());
    QVERIFY(closerThanDefaultQuality(decoded, right));

    // Back again, the picture is the original one and a save copies the original bytes.
    doc.RotateLeft();
    QCOMPARE(doc.ColorImage(QRect()), colour);
    QVERIFY(std::equal(grey.ConstData(), grey.ConstData() + kWidth * kHeight, doc.Image(0)->ConstData()));
    const QString backBase = root.filePath(QStringLiteral("turned/back"));
    QCOMPARE(doc.SaveAs(backBase), 0);
    QCOMPARE(readBytes(backBase + QLatin1String(".jpg")), readBytes(sample + QLatin1Char('/') + sampleName + QLatin1String(".jpg")));
}

void TestKyColorimetricDocument::saveAs_data()
{
    QTest::addColumn<QString>("variant");
    QTest::addColumn<QString>("target"); // "" saves in place
    QTest::addColumn<bool>("analysis");

    QTest::newRow("new place") << "" << "saved/Stain copy" << true;
    QTest::newRow("new place, no analysis") << "" << "saved2/Stain copy" << false;
    QTest::newRow("new place, backslashes") << "" << "saved3\\sub\\Stain" << true;
    QTest::newRow("in place") << "" << "" << true;
    QTest::newRow("no colour image") << "no jpeg" << "saved4/Stain" << true;
    QTest::newRow("jpeg of another size") << "jpeg of another size" << "saved5/Stain" << true;
}

void TestKyColorimetricDocument::saveAs()
{
    QFETCH(QString, variant);
    QFETCH(QString, target);
    QFETCH(bool, analysis);

    const QString folder = captureCopy(variant);
    const QString originalJpeg = folder + QLatin1Char('/') + sampleName + QLatin1String(".jpg");
    const QByteArray jpegBefore = readBytes(originalJpeg);
    ProbeDocument doc(folder, nullptr);
    if (analysis) {
        doc.SetDefaultLanes(4, 0.8);
        doc.ExtractLaneProfiles();
        QVERIFY(doc.AddBand(0, 1, 100) >= 0);
    }
    doc.SetComment(QStringLiteral("saved by the test"));
    QVERIFY(doc.IsDirty());
    QSignalSpy progress(&doc, &KyDocument::SaveProgress);
    QSignalSpy dirty(&doc, &KyDocument::DirtyStateChanged);

    const bool inPlace = target.isEmpty();
    QString written = inPlace ? folder + QLatin1Char('/') + sampleName : root.filePath(target);
    if (variant == QLatin1String("no jpeg"))
        QTest::ignoreMessage(QtDebugMsg, "KyColorimetricDocument::SaveJPEGImage(): mColorImage is not exist.");
    QCOMPARE(inPlace ? doc.SaveInPlace(true, true, true) : doc.SaveAs(written), 0);
    written.replace(QLatin1Char('\\'), QLatin1Char('/'));

    QCOMPARE(progress.count(), 3);
    QVERIFY(!doc.IsDirty());
    QCOMPARE(dirty.count(), 1);
    QVERIFY(doc.IsOpenedDocument());
    // The capture folder, as after an open of it.
    QCOMPARE(doc.basePath(), written.section(QLatin1Char('/'), 0, -2));
    QCOMPARE(doc.FilePathOfFirstImage(), written + QLatin1String(".tif"));

    ImageFile reread;
    QVERIFY(ImageFile::Read(written + QLatin1String(".tif"), reread));
    QCOMPARE(reread.Comment(), QStringLiteral("saved by the test"));
    QCOMPARE(reread.Tag(KyItemName::Lane).isEmpty(), !analysis);
    QVERIFY(std::equal(reread.ConstData(), reread.ConstData() + kWidth * kHeight, doc.Image(0)->ConstData()));
    // The unchanged picture is the original file, byte for byte.
    if (variant == QLatin1String("no jpeg"))
        QVERIFY(!QFile::exists(written + QLatin1String(".jpg")));
    else
        QCOMPARE(readBytes(written + QLatin1String(".jpg")), jpegBefore);
    QCOMPARE(QFile::exists(written + QLatin1String(".csv")), analysis);
    QVERIFY2(strayFiles(root.path()).isEmpty(), qPrintable(strayFiles(root.path()).join(QLatin1Char(' '))));

    // Saved again unchanged, every file comes out the same.
    const QMap<QString, QByteArray> first = filesBelow(QFileInfo(written).path());
    QCOMPARE(doc.SaveInPlace(true, true, true), 0);
    QMap<QString, QByteArray> second = filesBelow(QFileInfo(written).path());
    // The report carries the time of the analysis.
    for (const QString &key : second.keys()) {
        if (key.endsWith(QLatin1String(".csv")))
            second[key] = first.value(key);
    }
    QCOMPARE(second, first);
}

void TestKyColorimetricDocument::saveAsRefused()
{
    ProbeDocument doc(captureCopy(QString()), nullptr);
    QSignalSpy progress(&doc, &KyDocument::SaveProgress);
    QCOMPARE(doc.SaveAs(QString()), -13);

    ProbeDocument empty(captureCopy(QStringLiteral("no tiff")), nullptr);
    QSignalSpy emptyProgress(&empty, &KyDocument::SaveProgress);
    const QString target = root.filePath(QStringLiteral("refused/Stain"));
    QTest::ignoreMessage(QtDebugMsg, "KyColorimetricDocument::SaveAs(): mSampleImageList is empty.");
    QCOMPARE(empty.SaveAs(target), -100);
    QTest::ignoreMessage(QtDebugMsg, "KyColorimetricDocument::Save(): mSampleImageList is empty.");
    QCOMPARE(empty.Save(root.filePath(QStringLiteral("refused")), QStringLiteral("Stain"), true, true, true), -100);
    QVERIFY(!QFileInfo::exists(root.filePath(QStringLiteral("refused"))));
    QCOMPARE(progress.count(), 0);
    QCOMPARE(emptyProgress.count(), 0);

    // A new capture without an image has no name to save under.
    KyColorimetricDocument none;
    QCOMPARE(none.Save(root.filePath(QStringLiteral("refused")), QStringLiteral("Stain"), true, true, true), -13);
}

void TestKyColorimetricDocument::save_data()
{
    QTest::addColumn<int>("splitMode");
    QTest::addColumn<bool>("eachImage");
    QTest::addColumn<bool>("trailingSeparator");

    QTest::newRow("whole") << 0 << false << false;
    QTest::newRow("whole, trailing separator") << 0 << false << true;
    QTest::newRow("halves") << 1 << false << false;
    QTest::newRow("whole, each exposure") << 0 << true << false;
}

void TestKyColorimetricDocument::save()
{
    QFETCH(int, splitMode);
    QFETCH(bool, eachImage);
    QFETCH(bool, trailingSeparator);

    const int width = 80;
    const int height = 60;
    std::unique_ptr<ProbeDocument> doc = newCapture(width, height);
    doc->setSplitMode(splitMode);
    AnalysisSettings::instance()->setValue(QStringLiteral("Colorimetric_SaveEachImage"), eachImage);
    QVERIFY(doc->IsDirty());
    QVERIFY(!doc->IsOpenedDocument());
    const QStringList names = doc->SaveFileNames(QStringLiteral("Stain"));
    QCOMPARE(names.size(), splitMode == 0 ? 1 : 2);
    const QString name = doc->BaseName(QStringLiteral("Stain")) + QLatin1String("_") + doc->Image(0)->ChannelName();
    QCOMPARE(names.first(), splitMode == 0 ? name : doc->BaseName(QStringLiteral("Stain")) + QLatin1String("-1_") + doc->Image(0)->ChannelName());

    const QString folder = root.filePath(QStringLiteral("new%1").arg(++copies));
    QSignalSpy progress(doc.get(), &KyDocument::SaveProgress);
    QCOMPARE(doc->Save(folder + (trailingSeparator ? QStringLiteral("/") : QString()), QStringLiteral("Stain"), true, true, true), 0);
    QCOMPARE(progress.count(), 3);
    QVERIFY(!doc->IsDirty());
    QVERIFY(doc->IsOpenedDocument());
    QCOMPARE(doc->basePath(), folder + QLatin1Char('/') + name);

    for (const QString &part : names) {
        const QString base = folder + QLatin1Char('/') + part + QLatin1Char('/') + part;
        QVERIFY2(QFile::exists(base + QLatin1String(".tif")), qPrintable(base));
        const QImage jpeg(base + QLatin1String(".jpg"));
        QCOMPARE(jpeg.size(), splitMode == 0 ? QSize(width, height) : QSize(width / 2, height));
        if (splitMode == 0) {
            // A picture made here is encoded at high quality.
            QVERIFY(closerThanDefaultQuality(jpeg, doc->ColorImage(QRect())));
            QCOMPARE(doc->FilePathOfFirstImage(), base + QLatin1String(".tif"));
        }
    }
    QVERIFY(QFile::exists(folder + QLatin1Char('/') + name + QLatin1Char('/') + name + QLatin1String(".csv")));
    // The exposures lie beside the folder, named after it.
    const QString besideFolder = folder + (trailingSeparator ? QStringLiteral("/") : QString());
    for (int i = 1; i <= 3; ++i)
        QCOMPARE(QFile::exists(besideFolder + QStringLiteral("-%1.tif").arg(i)), eachImage);
    if (eachImage) {
        ImageFile red;
        QVERIFY(ImageFile::Read(besideFolder + QLatin1String("-3.tif"), red));
        const ImageFile expected = exposure(kTransWhiteRed, width, height, 23, QStringLiteral("Yes"));
        QVERIFY(std::equal(red.ConstData(), red.ConstData() + width * height, expected.ConstData()));
    }
    QVERIFY2(strayFiles(root.path()).isEmpty(), qPrintable(strayFiles(root.path()).join(QLatin1Char(' '))));
}

void TestKyColorimetricDocument::saveFailsPartWay_data()
{
    QTest::addColumn<QString>("method");  // "save as", "in place" or "save"
    QTest::addColumn<QString>("variant"); // of the capture
    QTest::addColumn<QString>("blocked"); // the target made unwritable: a folder in its place
    QTest::addColumn<qint64>("sizeLimit"); // or a limit on file sizes
    QTest::addColumn<int>("code");

    QTest::newRow("tiff over the limit, in place") << "in place" << "" << "" << qint64(4096) << -11;
    QTest::newRow("jpeg blocked") << "save as" << "" << ".jpg" << qint64(0) << -31;
    QTest::newRow("jpeg over the limit, replacing a file") << "save as" << "large jpeg" << "" << qint64(400000) << -31;
    QTest::newRow("report blocked") << "save as" << "" << ".csv" << qint64(0) << -11;
    QTest::newRow("report blocked, no colour image") << "save as" << "no jpeg" << ".csv" << qint64(0) << -11;
    QTest::newRow("new capture: tiff blocked") << "save" << "" << ".tif" << qint64(0) << -11;
    QTest::newRow("new capture: jpeg blocked") << "save" << "" << ".jpg" << qint64(0) << -31;
    QTest::newRow("new capture: exposure blocked, report written") << "save" << "" << "-2.tif" << qint64(0) << -11;
    QTest::newRow("new capture: over the limit") << "save" << "" << "" << qint64(4096) << -11;
}

void TestKyColorimetricDocument::saveFailsPartWay()
{
    QFETCH(QString, method);
    QFETCH(QString, variant);
    QFETCH(QString, blocked);
    QFETCH(qint64, sizeLimit);
    QFETCH(int, code);

    std::unique_ptr<ProbeDocument> doc;
    QString capture;
    if (method == QLatin1String("save")) {
        doc = newCapture(80, 60);
        AnalysisSettings::instance()->setValue(QStringLiteral("Colorimetric_SaveEachImage"), true);
    } else {
        capture = captureCopy(variant);
        doc = std::make_unique<ProbeDocument>(capture, nullptr);
        doc->SetDefaultLanes(4, 0.8);
        doc->ExtractLaneProfiles();
    }
    doc->SetComment(QStringLiteral("never saved"));
    QVERIFY(doc->IsDirty());
    if (variant == QLatin1String("large jpeg"))
        QVERIFY(readBytes(capture + QLatin1Char('/') + sampleName + QLatin1String(".jpg")).size() > sizeLimit);

    // The targets, with an older file in the JPEG's place that a failed write must leave alone.
    const QString targetFolder = root.filePath(QStringLiteral("failing%1").arg(++copies));
    QString base = targetFolder + QLatin1String("/Stain");
    QString folderArgument = targetFolder + QLatin1String("/captures");
    if (method == QLatin1String("save")) {
        const QString name = doc->SaveFileNames(QStringLiteral("Stain")).value(0);
        base = folderArgument + QLatin1Char('/') + name + QLatin1Char('/') + name;
    } else if (method == QLatin1String("in place")) {
        base = capture + QLatin1Char('/') + sampleName;
    }
    QVERIFY(QDir().mkpath(QFileInfo(base).path()));
    if (method == QLatin1String("save as") && blocked.isEmpty())
        QVERIFY(writeBytes(base + QLatin1String(".jpg"), QByteArray("an older picture")));
    if (blocked == QLatin1String("-2.tif"))
        QVERIFY(QDir().mkpath(folderArgument + blocked));
    else if (!blocked.isEmpty())
        QVERIFY(QDir().mkpath(base + blocked));

    const QMap<QString, QByteArray> before = filesBelow(root.path());
    QSignalSpy dirty(doc.get(), &KyDocument::DirtyStateChanged);
    int result = 0;
    // A target seen to be blocked before the first write stops the save before it reaches the JPEG.
    if (variant == QLatin1String("no jpeg") && blocked.isEmpty())
        QTest::ignoreMessage(QtDebugMsg, "KyColorimetricDocument::SaveJPEGImage(): mColorImage is not exist.");
    {
        std::unique_ptr<FileSizeLimit> limit;
        if (sizeLimit > 0) {
            limit = std::make_unique<FileSizeLimit>(rlim_t(sizeLimit));
            QVERIFY(limit->isSet());
        }
        if (method == QLatin1String("in place"))
            result = doc->SaveInPlace(true, true, true);
        else if (method == QLatin1String("save as"))
            result = doc->SaveAs(base);
        else
            result = doc->Save(folderArgument, QStringLiteral("Stain"), true, true, true);
    }
    QCOMPARE(result, code);
    QVERIFY(doc->IsDirty());
    QCOMPARE(dirty.count(), 0);
    QVERIFY2(strayFiles(root.path()).isEmpty(), qPrintable(strayFiles(root.path()).join(QLatin1Char(' '))));

    // Every file there was before is byte-identical, except those the save had finished before
    // the failing step (the TIFF of a save-as or a save, the JPEG and the other exposures of a save).
    const QMap<QString, QByteArray> after = filesBelow(root.path());
    const QString relativeBase = QDir(root.path()).relativeFilePath(base);
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (method != QLatin1String("in place") && it.key() == relativeBase + QLatin1String(".tif"))
            continue;
        if (method == QLatin1String("save") && it.key().contains(QLatin1String("/captures")))
            continue;
        QVERIFY2(after.value(it.key()) == it.value(), qPrintable(it.key()));
    }
    if (method == QLatin1String("in place"))
        QCOMPARE(after, before);
    // A TIFF cut short by the limit is never put in place.
    if (method == QLatin1String("save") && sizeLimit > 0)
        QVERIFY(!QFile::exists(base + QLatin1String(".tif")));
    if (blocked == QLatin1String("-2.tif")) {
        // Every exposure was tried and the report written: only the blocked one is missing.
        QVERIFY(QFile::exists(folderArgument + QLatin1String("-1.tif")));
        QVERIFY(QFile::exists(folderArgument + QLatin1String("-3.tif")));
        QVERIFY(QFile::exists(base + QLatin1String(".csv")));
    }
}

KY_TEST_MAIN_WITH(QGuiApplication, TestKyColorimetricDocument)

#include "tst_kycolorimetricdocument.moc"
