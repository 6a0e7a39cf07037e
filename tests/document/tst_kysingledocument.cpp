// The single-image document on capture folders made by the sample tool (a gel, a gel with its
// marker) and hand-made variants of them (missing, unreadable or unequal marker files, rotated):
// opening, the display and colour images, the composition of sample and marker, rotation, the
// names of a save, Save and SaveAs with their progress steps and failure codes, and saves made to
// fail: the code, the originals byte for byte, no stray file and a document still dirty.

#include "savedfiles.h"
#include "testmain.h"

#include "core/analysissettings.h"
#include "document/kysingledocument.h"
#include "image/imagefile.h"
#include "samplecapturewriter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <memory>

using namespace kytest;

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 240;
constexpr quint64 kSeed = 11;
const QString kGray = QStringLiteral("-Marker");
const QString kOverlaid = QStringLiteral("+Marker");

// The document's protected state, for fixtures the files cannot make.
class SingleProbe : public KySingleDocument
{
public:
    using KySingleDocument::KySingleDocument;
    QVector<ImageFile> &records() { return mSampleImageList; }
    QVector<ImageFile> &exposures() { return mMarkerImageList; }
    QImage &photo() { return mMarkerColorImage; }
    void setHasMarker(bool inMarker) { mHasMarker = inMarker; }
    void setSplitMode(int inMode) { mSplitMode = inMode; }
};

QString nameOf(const QString &inFolder)
{
    return inFolder.section(QLatin1Char('/'), -1);
}

// <folder>/<folder's name>: the base of every file of a capture.
QString baseOf(const QString &inFolder)
{
    return inFolder + QLatin1Char('/') + nameOf(inFolder);
}

QImage rgb(const QImage &inImage)
{
    return inImage.convertToFormat(QImage::Format_RGB888);
}

QImage decoded(const QString &inPath)
{
    return rgb(QImage::fromData(readBytes(inPath)));
}

// The overlay as it should be, pixel by pixel: the sample shown negative, each colour byte
// a + b - 255 (at least 0) where the marker photo reaches, saturated sample pixels painted.
QImage referenceOverlay(const ImageFile &inSample, const QImage &inPhoto, bool inMarkSaturated)
{
    ImageFile negative(inSample);
    negative.SetNegative(true);
    QImage result = rgb(negative.ToIndexed8(false));
    const QImage photo = rgb(inPhoto);
    for (int y = 0; y < result.height(); ++y) {
        for (int x = 0; x < result.width(); ++x) {
            QRgb c = result.pixel(x, y);
            if (x < photo.width() && y < photo.height()) {
                const QRgb m = photo.pixel(x, y);
                c = qRgb(std::max(0, qRed(c) + qRed(m) - 255), std::max(0, qGreen(c) + qGreen(m) - 255),
                         std::max(0, qBlue(c) + qBlue(m) - 255));
            }
            if (inMarkSaturated && inSample.Pixel(x, y) == 65535)
                c = qRgb(240, 0, 240);
            result.setPixel(x, y, c);
        }
    }
    return result;
}

// A 16-bit image filled with one value and the items the marker code reads.
ImageFile uniformImage(int inWidth, int inHeight, quint16 inValue, const QString &inLight = QString())
{
    ImageFile image;
    image.Resize(inWidth, inHeight);
    image.Fill(inValue);
    image.SetTag(QStringLiteral("Light"), inLight);
    image.SetTag(QStringLiteral("Darkframe"), inLight + QStringLiteral("-dark"));
    image.SetTag(QStringLiteral("Flatframe"), inLight + QStringLiteral("-flat"));
    image.SetTag(QStringLiteral("Pixel size"), QStringLiteral("50"));
    image.UpdateHistogram();
    return image;
}

} // namespace

class TestKySingleDocument : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void open_data();
    void open();
    void openPathForms_data();
    void openPathForms();
    void newCapture();

    void displayImages();
    void displayImageOutOfRange_data();
    void displayImageOutOfRange();
    void colourImageLoadedUntilRangeChanges();
    void colourImageComposedWithoutOverlayFile();
    void colourImageWithoutMarker();
    void saturatedPixels();

    void blendBytes_data();
    void blendBytes();
    void composePieces_data();
    void composePieces();
    void unequalPhotoSizes_data();
    void unequalPhotoSizes();
    void compositionFromAFullPoolTask();

    void markerFromExposures_data();
    void markerFromExposures();
    void markerExposuresOfUnequalSizes();

    void saveFileNames_data();
    void saveFileNames();

    void rotation_data();
    void rotation();
    void rotatedCaptureSavedAndReopened();

    void saveAs_data();
    void saveAs();
    void saveInPlaceTwice();
    void saveAsNothingToWrite();
    void saveAsRelativePath();
    void saveSplit_data();
    void saveSplit();
    void saveMarkerExposures();

    void failedSave_data();
    void failedSave();
    void failedWriteNotHiddenByLaterSuccess();
    void failedSaveUnderSizeLimit_data();
    void failedSaveUnderSizeLimit();
    void markerWithoutItsPhoto_data();
    void markerWithoutItsPhoto();
    void zeroPixelSizeKeepsResolution();

    void sampleImagePaths_data();
    void sampleImagePaths();

private:
    // A fresh capture folder of a kind ("gel" or "marker") below the test's temporary folder.
    QString capture(const QString &inKind);
    // A capture changed by a named variant (see open_data).
    QString variant(const QString &inVariant);

    std::unique_ptr<QTemporaryDir> temp;
    int serial = 0;
};

void TestKySingleDocument::init()
{
    temp = std::make_unique<QTemporaryDir>();
    QVERIFY(temp->isValid());
}

void TestKySingleDocument::cleanup()
{
    temp.reset();
}

QString TestKySingleDocument::capture(const QString &inKind)
{
    const QString root = temp->filePath(QString::number(++serial));
    SampleCaptureWriter writer(kWidth, kHeight, kSeed);
    const QString folder = writer.Write(inKind, root);
    if (folder.isEmpty())
        qWarning() << "The sample tool failed:" << writer.ErrorText();
    return folder;
}

QString TestKySingleDocument::variant(const QString &inVariant)
{
    const bool gel = inVariant == QLatin1String("gel");
    const QString folder = capture(gel ? QStringLiteral("gel") : QStringLiteral("marker"));
    const QString base = baseOf(folder);
    const QByteArray garbage("not a picture at all");
    bool ok = true;
    if (inVariant == QLatin1String("marker without overlay"))
        ok = QFile::remove(base + kOverlaid + ".jpg");
    else if (inVariant == QLatin1String("marker without photo"))
        ok = QFile::remove(base + kGray + ".jpg");
    else if (inVariant == QLatin1String("marker without grey image"))
        ok = QFile::remove(base + kGray + ".tif");
    else if (inVariant == QLatin1String("unreadable photo"))
        ok = writeBytes(base + kGray + ".jpg", garbage);
    else if (inVariant == QLatin1String("unreadable overlay"))
        ok = writeBytes(base + kOverlaid + ".jpg", garbage);
    else if (inVariant == QLatin1String("photo is a folder"))
        ok = QFile::remove(base + kGray + ".jpg") && QDir().mkdir(base + kGray + ".jpg");
    else if (inVariant == QLatin1String("no sample"))
        ok = QFile::remove(base + ".tif");
    else if (inVariant == QLatin1String("unreadable sample"))
        ok = writeBytes(base + ".tif", garbage);
    if (!ok)
        qWarning() << "Could not make the variant" << inVariant;
    return folder;
}

// ---- Opening -------------------------------------------------------------------------------------

enum EColour { kNoColour, kLoadedColour, kComposedColour };

void TestKySingleDocument::open_data()
{
    QTest::addColumn<QString>("variant");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("imageCount");
    QTest::addColumn<int>("channelMask");
    QTest::addColumn<int>("saveSteps");
    QTest::addColumn<QString>("channel1");
    QTest::addColumn<int>("colour");

    QTest::newRow("gel: the sample alone") << "gel" << 1 << 1 << 0 << 3 << "" << int(kNoColour);
    QTest::newRow("marker: all four files") << "marker" << 2 << 2 << 0x83 << 5 << "Marker" << int(kLoadedColour);
    QTest::newRow("marker without overlay") << "marker without overlay" << 2 << 2 << 0x83 << 5 << "Marker" << int(kComposedColour);
    QTest::newRow("unreadable overlay is composed") << "unreadable overlay" << 2 << 2 << 0x83 << 5 << "Marker" << int(kComposedColour);
    // The grey image makes the marker, with or without its photo (markerWithoutItsPhoto).
    QTest::newRow("marker without photo") << "marker without photo" << 2 << 2 << 0x83 << 5 << "Marker" << int(kLoadedColour);
    QTest::newRow("unreadable photo") << "unreadable photo" << 2 << 2 << 0x83 << 5 << "Marker" << int(kLoadedColour);
    QTest::newRow("photo is a folder") << "photo is a folder" << 2 << 2 << 0x83 << 5 << "Marker" << int(kLoadedColour);
    QTest::newRow("marker without grey image") << "marker without grey image" << 1 << 2 << 0x83 << 5 << "" << int(kLoadedColour);
    QTest::newRow("no sample: no images") << "no sample" << 0 << 0 << 0 << 3 << "" << int(kNoColour);
    QTest::newRow("unreadable sample: no images") << "unreadable sample" << 0 << 0 << 0 << 3 << "" << int(kNoColour);
}

void TestKySingleDocument::open()
{
    QFETCH(QString, variant);
    QFETCH(int, records);
    QFETCH(int, imageCount);
    QFETCH(int, channelMask);
    QFETCH(int, saveSteps);
    QFETCH(QString, channel1);
    QFETCH(int, colour);

    const QString folder = this->variant(variant);
    QVERIFY(!folder.isEmpty());
    SingleProbe doc(folder);
    QCOMPARE(doc.records().size(), records);
    QCOMPARE(doc.ImageCount(), imageCount);
    QCOMPARE(doc.ChannelMask(), channelMask);
    QCOMPARE(doc.SaveStepCount(), saveSteps);
    QCOMPARE(doc.HasMarker(), channelMask != 0);
    QCOMPARE(doc.IsMarkerChannel(1), channelMask != 0);
    QVERIFY(!doc.IsMarkerChannel(0));
    QVERIFY(doc.IsSingleImage());
    QVERIFY(!doc.IsDirty());
    QVERIFY(doc.IsOpenedDocument());
    QCOMPARE(doc.ChannelName(1), channel1);
    QCOMPARE(doc.ChannelName(2), QString());
    QCOMPARE(doc.LightModes().size(), records > 0 ? 1 : 0);
    if (records > 0) {
        QCOMPARE(doc.ImageWidth(), kWidth);
        QCOMPARE(doc.ChannelName(0), doc.Image(0)->LightMode().methodName());
        QCOMPARE(doc.FilePathOfFirstImage(), baseOf(folder) + ".tif");
    }

    const QString overlayFile = baseOf(folder) + kOverlaid + ".jpg";
    switch (colour) {
    case kNoColour:
        QTest::ignoreMessage(QtDebugMsg, "KySingleDocument::ColorImage(): There is no color image.");
        QVERIFY(doc.ColorImage(QRect()).isNull());
        break;
    case kLoadedColour:
        QCOMPARE(rgb(doc.ColorImage(QRect())), decoded(overlayFile));
        break;
    case kComposedColour:
        QCOMPARE(rgb(doc.ColorImage(QRect())), referenceOverlay(*doc.Image(0), doc.photo(), true));
        break;
    }
}

void TestKySingleDocument::openPathForms_data()
{
    QTest::addColumn<QString>("form");
    QTest::newRow("trailing slash") << "trailing slash";
    QTest::newRow("backslashes") << "backslashes";
    QTest::newRow("backslashes and a trailing one") << "both";
}

void TestKySingleDocument::openPathForms()
{
    QFETCH(QString, form);
    const QString folder = capture(QStringLiteral("marker"));
    QString path = folder;
    if (form != QLatin1String("trailing slash"))
        path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    if (form != QLatin1String("backslashes"))
        path += form == QLatin1String("both") ? QLatin1Char('\\') : QLatin1Char('/');

    KySingleDocument doc(path);
    QCOMPARE(doc.ImageCount(), 2);
    QCOMPARE(doc.FilePathOfFirstImage(), baseOf(folder) + ".tif");
    // The names of a save come from the folder's own name.
    QVERIFY(!doc.BaseName(QString()).isEmpty());
    QCOMPARE(doc.SaveFileNames(QString()).size(), 1);
}

void TestKySingleDocument::newCapture()
{
    SingleProbe doc;
    QCOMPARE(doc.records().size(), 1);
    QVERIFY(doc.records().at(0).IsNull());
    QCOMPARE(doc.ImageCount(), 1);
    QCOMPARE(doc.ChannelMask(), 0);
    QVERIFY(doc.IsDirty());
    QVERIFY(!doc.IsOpenedDocument());
    QVERIFY(doc.qImage(0, QRect()).isNull());
    QCOMPARE(doc.SaveAs(QString()), -13);
    // No image: no name for a save.
    QCOMPARE(doc.Save(temp->path(), QStringLiteral("P"), true, true, true), -13);
    // A null sample is no image to write, and nothing is written.
    QCOMPARE(doc.SaveAs(temp->filePath(QStringLiteral("x/y"))), -14);
    QCOMPARE(treeOf(temp->path()), QStringList());
    QVERIFY(doc.IsDirty());
}

// ---- Display and colour images ---------------------------------------------------------------------

void TestKySingleDocument::displayImages()
{
    const QString folder = capture(QStringLiteral("marker"));
    SingleProbe doc(folder);
    const QImage photo = decoded(baseOf(folder) + kGray + ".jpg");

    ImageFile sample(*doc.Image(0));
    QCOMPARE(doc.qImage(0, QRect()), sample.ToIndexed8(true));
    QCOMPARE(doc.qImage(0, QRect(10, 20, 30, 40)), sample.ToIndexed8(10, 20, 30, 40, true));
    QCOMPARE(rgb(doc.qImage(1, QRect())), photo);
    QCOMPARE(rgb(doc.qImage(1, QRect(5, 6, 50, 60))), photo.copy(5, 6, 50, 60));
}

void TestKySingleDocument::displayImageOutOfRange_data()
{
    QTest::addColumn<QString>("variant");
    QTest::addColumn<int>("channel");
    QTest::newRow("channel -1") << "marker" << -1;
    QTest::newRow("channel 2 of a marker capture") << "marker" << 2;
    QTest::newRow("channel 1 without a marker") << "gel" << 1;
    QTest::newRow("channel 0 without images") << "no sample" << 0;
}

void TestKySingleDocument::displayImageOutOfRange()
{
    QFETCH(QString, variant);
    QFETCH(int, channel);
    KySingleDocument doc(this->variant(variant));
    QTest::ignoreMessage(QtDebugMsg, "KySingleDocument::qImage(): channel is out of range.");
    QVERIFY(doc.qImage(channel, QRect()).isNull());
}

void TestKySingleDocument::colourImageLoadedUntilRangeChanges()
{
    const QString folder = capture(QStringLiteral("marker"));
    SingleProbe doc(folder);
    const QImage loaded = decoded(baseOf(folder) + kOverlaid + ".jpg");
    QCOMPARE(rgb(doc.ColorImage(QRect())), loaded);
    QCOMPARE(rgb(doc.ColorImage(QRect(3, 4, 20, 30))), loaded.copy(3, 4, 20, 30));

    const ImageFile *sample = doc.Image(0);
    QVERIFY(doc.SetDisplayRange(0, sample->RangeLow() + 500, sample->RangeHigh()));
    const QImage composed = rgb(doc.ColorImage(QRect()));
    QCOMPARE(composed, referenceOverlay(*doc.Image(0), doc.photo(), true));
    QVERIFY(meanDifference(composed, loaded) > 0.0);
    QCOMPARE(composed.dotsPerMeterX(), doc.DotsPerMeter());

    // Saved now, the overlay is the new composition (without the saturated colour); the photo,
    // untouched, is still the file that was read.
    const QString copy = temp->filePath(QStringLiteral("copy/Copy"));
    QCOMPARE(doc.SaveAs(copy), 0);
    QVERIFY(readBytes(copy + kOverlaid + ".jpg") != readBytes(baseOf(folder) + kOverlaid + ".jpg"));
    const double difference =
        meanDifference(decoded(copy + kOverlaid + ".jpg"), referenceOverlay(*doc.Image(0), doc.photo(), false));
    QVERIFY2(difference >= 0.0 && difference < 3.0, qPrintable(QString::number(difference)));
    QCOMPARE(readBytes(copy + kGray + ".jpg"), readBytes(baseOf(folder) + kGray + ".jpg"));
}

void TestKySingleDocument::colourImageComposedWithoutOverlayFile()
{
    SingleProbe doc(variant(QStringLiteral("marker without overlay")));
    // The sample tool composes its overlay as the instrument does: the same picture.
    const QImage composed = rgb(doc.ColorImage(QRect()));
    QCOMPARE(composed.size(), QSize(kWidth, kHeight));
    QCOMPARE(composed, referenceOverlay(*doc.Image(0), doc.photo(), true));
    // Composed once and kept.
    QCOMPARE(rgb(doc.ColorImage(QRect())), composed);
}

void TestKySingleDocument::colourImageWithoutMarker()
{
    KySingleDocument doc(capture(QStringLiteral("gel")));
    QTest::ignoreMessage(QtDebugMsg, "KySingleDocument::ColorImage(): There is no color image.");
    QVERIFY(doc.ColorImage(QRect()).isNull());
    std::unique_ptr<QImage> overlay(doc.MakeOverlaidImage(false));
    QVERIFY(!overlay);
}

void TestKySingleDocument::saturatedPixels()
{
    SingleProbe doc(variant(QStringLiteral("marker without overlay")));
    ImageFile &sample = doc.records()[0];
    sample.SetPixel(7, 9, 65535);
    sample.SetPixel(100, 200, 65535);
    sample.SetPixel(8, 9, 65534);
    sample.UpdateHistogram();
    doc.ReleaseColorImage();

    const QImage shown = rgb(doc.ColorImage(QRect()));
    QCOMPARE(shown.pixel(7, 9), qRgb(240, 0, 240));
    QCOMPARE(shown.pixel(100, 200), qRgb(240, 0, 240));
    QVERIFY(shown.pixel(8, 9) != qRgb(240, 0, 240));
    QCOMPARE(shown, referenceOverlay(sample, doc.photo(), true));

    // An overlay for saving carries no saturated colour, also once the display's overlay exists.
    std::unique_ptr<QImage> saved(doc.MakeOverlaidImage(false));
    QVERIFY(saved);
    QCOMPARE(rgb(*saved), referenceOverlay(sample, doc.photo(), false));
    QVERIFY(saved->pixel(7, 9) != qRgb(240, 0, 240));
    QCOMPARE(rgb(doc.ColorImage(QRect())), shown);

    // The record itself is left as it was: no polarity item added, its own display unchanged.
    QCOMPARE(sample.Tag(QStringLiteral("Grayscale")), doc.records()[0].Tag(QStringLiteral("Grayscale")));
}

// ---- Composition -----------------------------------------------------------------------------------

void TestKySingleDocument::blendBytes_data()
{
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("marker");
    QTest::addColumn<int>("expected");
    QTest::newRow("white target gives the marker") << 255 << 77 << 77;
    QTest::newRow("white marker leaves the target") << 77 << 255 << 77;
    QTest::newRow("100 and 100 give 0") << 100 << 100 << 0;
    QTest::newRow("200 and 100 give 45") << 200 << 100 << 45;
    QTest::newRow("black stays black") << 0 << 255 << 0;
    QTest::newRow("white and white") << 255 << 255 << 255;
    QTest::newRow("sum exactly 255") << 128 << 127 << 0;
}

void TestKySingleDocument::blendBytes()
{
    QFETCH(int, target);
    QFETCH(int, marker);
    QFETCH(int, expected);
    QCOMPARE(int(KySingleDocument::BlendByte(uchar(target), uchar(marker))), expected);

    // The same through a composition, in every byte of a row.
    SingleProbe doc;
    doc.photo() = QImage(4, 3, QImage::Format_RGB888);
    doc.photo().fill(QColor(marker, marker, marker));
    QImage image(4, 3, QImage::Format_RGB888);
    image.fill(QColor(target, target, target));
    doc.ComposeColorImage(&image, false);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            QCOMPARE(image.pixel(x, y), qRgb(expected, expected, expected));
}

void TestKySingleDocument::composePieces_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("pieces");
    QTest::newRow("10 rows") << 10 << "0-3 4-7 8-9";
    QTest::newRow("6 rows") << 6 << "0-2 3-5";
    QTest::newRow("9 rows") << 9 << "0-3 4-7 8-8";
    QTest::newRow("240 rows") << 240 << "0-80 81-161 162-239";
    QTest::newRow("2 rows") << 2 << "0-0 1-1";
    QTest::newRow("1 row") << 1 << "0-0";
}

void TestKySingleDocument::composePieces()
{
    QFETCH(int, height);
    QFETCH(QString, pieces);
    QImage target(5, height, QImage::Format_RGB888);
    const QImage second(5, height, QImage::Format_RGB888);
    QStringList found;
    for (const KySingleDocument::Comp &piece : KySingleDocument::ComposePieces(&target, &second)) {
        QCOMPARE(piece.target, &target);
        QCOMPARE(piece.second, &second);
        QCOMPARE(piece.Width(), 5);
        found << QStringLiteral("%1-%2").arg(piece.firstRow).arg(piece.lastRow);
    }
    QCOMPARE(found.join(QLatin1Char(' ')), pieces);
}

void TestKySingleDocument::unequalPhotoSizes_data()
{
    QTest::addColumn<QSize>("photoSize");
    QTest::newRow("smaller") << QSize(100, 120);
    QTest::newRow("larger") << QSize(400, 500);
    QTest::newRow("wider and shorter") << QSize(300, 50);
    QTest::newRow("narrower and taller") << QSize(50, 300);
    QTest::newRow("one pixel") << QSize(1, 1);
}

void TestKySingleDocument::unequalPhotoSizes()
{
    QFETCH(QSize, photoSize);
    const QString folder = variant(QStringLiteral("marker without overlay"));
    // A photo of another size on disk: the marker opens, the overlay keeps the sample's size and
    // is blended where both images are.
    QImage photo(photoSize, QImage::Format_RGB888);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb((x * 7) % 256, (y * 5) % 256, 128));
    QVERIFY(photo.save(baseOf(folder) + kGray + ".jpg", "jpg", 100));

    SingleProbe doc(folder);
    QVERIFY(doc.HasMarker());
    QCOMPARE(doc.photo().size(), photoSize);
    ImageFile &sample = doc.records()[0];
    sample.SetPixel(kWidth - 1, kHeight - 1, 65535);
    sample.UpdateHistogram();

    const QImage shown = rgb(doc.ColorImage(QRect()));
    QCOMPARE(shown.size(), QSize(kWidth, kHeight));
    QCOMPARE(shown, referenceOverlay(sample, doc.photo(), true));
    QCOMPARE(shown.pixel(kWidth - 1, kHeight - 1), qRgb(240, 0, 240));

    // Saving writes the photo as read and the overlay composed the same way.
    const QString copy = temp->filePath(QStringLiteral("copy/Copy"));
    QCOMPARE(doc.SaveAs(copy), 0);
    QCOMPARE(readBytes(copy + kGray + ".jpg"), readBytes(baseOf(folder) + kGray + ".jpg"));
    QCOMPARE(decoded(copy + kOverlaid + ".jpg").size(), QSize(kWidth, kHeight));
}

void TestKySingleDocument::compositionFromAFullPoolTask()
{
    // The save and open tasks compose from a pool thread: with that thread the pool's only one,
    // the pieces must still run.
    SingleProbe doc(variant(QStringLiteral("marker without overlay")));
    QThreadPool *pool = QThreadPool::globalInstance();
    const int threads = pool->maxThreadCount();
    pool->setMaxThreadCount(1);
    QImage composed;
    QFuture<void> task = QtConcurrent::run([&] { composed = doc.ColorImage(QRect()); });
    const bool finished = QTest::qWaitFor([&] { return task.isFinished(); }, 60000);
    pool->setMaxThreadCount(threads);
    QVERIFY(finished);
    QCOMPARE(rgb(composed), referenceOverlay(*doc.Image(0), doc.photo(), true));
}

// ---- The marker from its three exposures -----------------------------------------------------------

void TestKySingleDocument::markerFromExposures_data()
{
    QTest::addColumn<QString>("invert");
    QTest::addColumn<bool>("inverted");
    QTest::newRow("Yes") << "Yes" << true;
    QTest::newRow("yes") << "yes" << true;
    QTest::newRow("No") << "No" << false;
    QTest::newRow("missing") << "" << false;
}

void TestKySingleDocument::markerFromExposures()
{
    QFETCH(QString, invert);
    QFETCH(bool, inverted);
    SingleProbe doc;
    doc.records()[0] = uniformImage(6, 4, 30000, QStringLiteral("sample"));
    doc.exposures() = {uniformImage(6, 4, 1000, QStringLiteral("blue")), uniformImage(6, 4, 2000, QStringLiteral("green")),
                       uniformImage(6, 4, 3001, QStringLiteral("red"))};
    doc.exposures()[0].SetPixel(5, 3, 65535);
    if (!invert.isEmpty())
        doc.exposures()[0].SetTag(QStringLiteral("Invert"), invert);
    doc.setHasMarker(true);

    // The grey image is built on first access to the marker channel.
    ImageFile *gray = doc.Image(1);
    QVERIFY(gray);
    QCOMPARE(doc.records().size(), 2);
    QCOMPARE(gray->Width(), 6);
    // (1000 + 2000 + 3001) / 3 = 2000.33; (65535 + 2000 + 3001) / 3 = 23512
    QCOMPARE(int(gray->Pixel(0, 0)), inverted ? 2000 : 63535);
    QCOMPARE(int(gray->Pixel(5, 3)), inverted ? 23512 : 42023);
    QCOMPARE(gray->Tag(QStringLiteral("Light")), QStringLiteral("blue,green,red"));
    QCOMPARE(gray->Tag(QStringLiteral("Darkframe")), QStringLiteral("blue-dark,green-dark,red-dark"));
    QCOMPARE(gray->Tag(QStringLiteral("Flatframe")), QStringLiteral("blue-flat,green-flat,red-flat"));
    QCOMPARE(gray->Tag(QStringLiteral("Exposure time")), QStringLiteral("Automatic"));
    QCOMPARE(gray->Tag(QStringLiteral("Invert")), QStringLiteral("Yes"));
    QCOMPARE(doc.Image(1), gray);

    // The photo: red from exposure 2, green from 1, blue from 0, each its display byte.
    const QImage blue = doc.exposures()[0].ToIndexed8(false);
    const QImage green = doc.exposures()[1].ToIndexed8(false);
    const QImage red = doc.exposures()[2].ToIndexed8(false);
    const QImage photo = doc.qImage(1, QRect());
    QCOMPARE(photo.size(), QSize(6, 4));
    QCOMPARE(photo.dotsPerMeterX(), 20000);
    for (const QPoint p : {QPoint(0, 0), QPoint(5, 3)}) {
        const auto byte = [&](const QImage &inPlane) {
            const int b = inPlane.constScanLine(p.y())[p.x()];
            return inverted ? 255 - b : b;
        };
        QCOMPARE(photo.pixel(p), qRgb(byte(red), byte(green), byte(blue)));
    }
    // A photo built from the exposures lets them go once an overlay is made from it.
    std::unique_ptr<QImage> overlay(doc.MakeOverlaidImage(false));
    QVERIFY(overlay);
    QCOMPARE(overlay->size(), QSize(6, 4));
}

void TestKySingleDocument::markerExposuresOfUnequalSizes()
{
    SingleProbe doc;
    doc.records()[0] = uniformImage(8, 6, 30000);
    doc.exposures() = {uniformImage(8, 6, 900), uniformImage(5, 7, 900), uniformImage(9, 4, 900)};
    doc.exposures()[0].SetTag(QStringLiteral("Invert"), QStringLiteral("Yes"));
    doc.setHasMarker(true);

    // The grey image covers what all three exposures cover; the photo is white where one is missing.
    QCOMPARE(doc.Image(1)->Width(), 5);
    QCOMPARE(doc.Image(1)->Height(), 4);
    QCOMPARE(int(doc.Image(1)->Pixel(4, 3)), 900);
    const QImage photo = doc.qImage(1, QRect());
    QCOMPARE(photo.size(), QSize(8, 6));
    const int shown = 255 - doc.exposures()[0].ToIndexed8(false).constScanLine(0)[0];
    QCOMPARE(photo.pixel(0, 0), qRgb(shown, shown, shown));
    QCOMPARE(photo.pixel(7, 5), qRgb(255, 255, shown)); // only the blue exposure reaches
    QCOMPARE(photo.pixel(7, 0), qRgb(shown, 255, shown)); // red and blue reach, green does not
}

// ---- Names of a save -------------------------------------------------------------------------------

void TestKySingleDocument::saveFileNames_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QStringList>("names"); // with T for the capture time

    for (const QString &kind : {QStringLiteral("gel"), QStringLiteral("marker")}) {
        const QByteArray k = kind.toLatin1();
        QTest::newRow(k + ", whole") << kind << 0 << "" << QStringList{"T_Ch"};
        QTest::newRow(k + ", whole, prefix") << kind << 0 << "P" << QStringList{"P T_Ch"};
        QTest::newRow(k + ", halves") << kind << 1 << "" << QStringList{"T-1_Ch", "T-2_Ch"};
        QTest::newRow(k + ", upper and lower") << kind << 2 << "P" << QStringList{"P T-1_Ch", "P T-2_Ch"};
        QTest::newRow(k + ", quarters") << kind << 3 << "" << QStringList{"T-1_Ch", "T-2_Ch", "T-3_Ch", "T-4_Ch"};
        QTest::newRow(k + ", centre") << kind << 4 << "" << QStringList{"T_Ch"};
        QTest::newRow(k + ", no such mode") << kind << 5 << "" << QStringList();
    }
}

void TestKySingleDocument::saveFileNames()
{
    QFETCH(QString, kind);
    QFETCH(int, mode);
    QFETCH(QString, prefix);
    QFETCH(QStringList, names);
    const QString folder = capture(kind);
    // "<sample> yyyy.MM.dd_hh.mm.ss_Ch": T is the time.
    const QString time = nameOf(folder).section(QLatin1Char(' '), -1).section(QLatin1Char('_'), 0, -2);
    for (QString &name : names)
        name.replace(QLatin1Char('T'), time);
    SingleProbe doc(folder);
    doc.setSplitMode(mode);
    QCOMPARE(doc.SaveFileNames(prefix), names);
}

// ---- Rotation --------------------------------------------------------------------------------------

void TestKySingleDocument::rotation_data()
{
    QTest::addColumn<bool>("right");
    QTest::newRow("right") << true;
    QTest::newRow("left") << false;
}

void TestKySingleDocument::rotation()
{
    QFETCH(bool, right);
    const QString folder = capture(QStringLiteral("marker"));
    SingleProbe doc(folder);
    const ImageFile sample(*doc.Image(0));
    const ImageFile gray(*doc.Image(1));
    const QImage photo = rgb(doc.qImage(1, QRect()));
    doc.SetDefaultLanes(4, 0.8);
    QVERIFY(doc.HasLaneTemplate());
    doc.SetDirty(false);

    if (right)
        doc.RotateRight();
    else
        doc.RotateLeft();

    QCOMPARE(doc.ImageWidth(), kHeight);
    QCOMPARE(doc.ImageHeight(), kWidth);
    QVERIFY(!doc.HasLaneTemplate());
    QVERIFY(doc.IsDirty());
    // Sample, grey marker and photo turn alike: the new (x, y) is the old (y, H - 1 - x) clockwise
    // and (W - 1 - y, x) counter-clockwise.
    const QImage turned = rgb(doc.qImage(1, QRect()));
    QCOMPARE(turned.size(), QSize(kHeight, kWidth));
    for (const QPoint p : {QPoint(0, 0), QPoint(17, 3), QPoint(kHeight - 1, kWidth - 1), QPoint(200, 150)}) {
        const QPoint old = right ? QPoint(p.y(), kHeight - 1 - p.x()) : QPoint(kWidth - 1 - p.y(), p.x());
        QCOMPARE(doc.Image(0)->Pixel(p.x(), p.y()), sample.Pixel(old.x(), old.y()));
        QCOMPARE(doc.Image(1)->Pixel(p.x(), p.y()), gray.Pixel(old.x(), old.y()));
        QCOMPARE(turned.pixel(p), photo.pixel(old));
    }
    // The loaded overlay is gone: the colour image is composed from the turned images.
    QCOMPARE(rgb(doc.ColorImage(QRect())), referenceOverlay(*doc.Image(0), doc.photo(), true));

    // Four turns bring everything back.
    for (int i = 0; i < 3; ++i) {
        if (right)
            doc.RotateRight();
        else
            doc.RotateLeft();
    }
    QCOMPARE(rgb(doc.qImage(1, QRect())), photo);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(doc.Image(0)->ConstData()), kWidth * kHeight * 2),
             QByteArray(reinterpret_cast<const char *>(sample.ConstData()), kWidth * kHeight * 2));
}

void TestKySingleDocument::rotatedCaptureSavedAndReopened()
{
    const QString folder = capture(QStringLiteral("marker"));
    const QByteArray originalPhoto = readBytes(baseOf(folder) + kGray + ".jpg");
    QImage expectedPhoto;
    {
        SingleProbe doc(folder);
        doc.RotateRight();
        expectedPhoto = rgb(doc.qImage(1, QRect()));
        QCOMPARE(doc.SaveInPlace(true, true, true), 0);
        QVERIFY(!doc.IsDirty());
    }
    // The turned photo is encoded anew, closely.
    const QByteArray savedPhoto = readBytes(baseOf(folder) + kGray + ".jpg");
    QVERIFY(savedPhoto != originalPhoto);
    const QImage reread = decoded(baseOf(folder) + kGray + ".jpg");
    QCOMPARE(reread.size(), QSize(kHeight, kWidth));
    const double difference = meanDifference(reread, expectedPhoto);
    QVERIFY2(difference >= 0.0 && difference < 1.5, qPrintable(QString::number(difference)));

    SingleProbe reopened(folder);
    QCOMPARE(reopened.ImageCount(), 2);
    QCOMPARE(reopened.ImageWidth(), kHeight);
    QCOMPARE(reopened.Image(1)->Width(), kHeight);
    QCOMPARE(reopened.photo().size(), QSize(kHeight, kWidth));
    QCOMPARE(decoded(baseOf(folder) + kOverlaid + ".jpg").size(), QSize(kHeight, kWidth));
    // Opened and saved again, the turned photo now stays as it is.
    QCOMPARE(reopened.SaveInPlace(true, true, true), 0);
    QCOMPARE(readBytes(baseOf(folder) + kGray + ".jpg"), savedPhoto);
}

// ---- Save as and save ------------------------------------------------------------------------------

void TestKySingleDocument::saveAs_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("analysis");
    QTest::addColumn<QStringList>("files");
    QTest::newRow("gel") << "gel" << false << QStringList{"Copy.jpg", "Copy.tif"};
    QTest::newRow("gel with lanes") << "gel" << true << QStringList{"Copy.csv", "Copy.jpg", "Copy.tif"};
    QTest::newRow("marker") << "marker" << false
                            << QStringList{"Copy+Marker.jpg", "Copy-Marker.jpg", "Copy-Marker.tif", "Copy.tif"};
    QTest::newRow("marker with lanes")
        << "marker" << true << QStringList{"Copy+Marker.jpg", "Copy-Marker.jpg", "Copy-Marker.tif", "Copy.csv", "Copy.tif"};
}

void TestKySingleDocument::saveAs()
{
    QFETCH(QString, kind);
    QFETCH(bool, analysis);
    QFETCH(QStringList, files);
    const QString folder = capture(kind);
    const QMap<QString, QByteArray> originals = filesBelow(folder);
    SingleProbe doc(folder);
    if (analysis) {
        doc.SetDefaultLanes(4, 0.8);
        doc.ExtractLaneProfiles();
    }
    QSignalSpy progress(&doc, &KyDocument::SaveProgress);
    QSignalSpy dirty(&doc, &KyDocument::DirtyStateChanged);

    const QString target = temp->filePath(QStringLiteral("elsewhere/Copy"));
    QCOMPARE(doc.SaveAs(target), 0);
    QCOMPARE(progress.count(), doc.SaveStepCount());
    QVERIFY(!doc.IsDirty());
    QVERIFY(doc.IsOpenedDocument());
    QCOMPARE(doc.FilePathOfFirstImage(), target + ".tif");
    QCOMPARE(treeOf(temp->filePath(QStringLiteral("elsewhere"))), files);
    QCOMPARE(filesBelow(folder), originals);

    // The sample's pixels travel unchanged, with the analysis in its items.
    ImageFile saved;
    QVERIFY(ImageFile::Read(target + ".tif", saved));
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(saved.ConstData()), kWidth * kHeight * 2),
             QByteArray(reinterpret_cast<const char *>(doc.Image(0)->ConstData()), kWidth * kHeight * 2));
    QCOMPARE(saved.Tag(QStringLiteral("Lane")).isEmpty(), !analysis);

    if (kind == QLatin1String("marker")) {
        // Unchanged colour pictures are the very bytes that were read.
        QCOMPARE(readBytes(target + kGray + ".jpg"), originals.value(nameOf(folder) + kGray + ".jpg"));
        QCOMPARE(readBytes(target + kOverlaid + ".jpg"), originals.value(nameOf(folder) + kOverlaid + ".jpg"));
        ImageFile gray;
        QVERIFY(ImageFile::Read(target + kGray + ".tif", gray));
        QCOMPARE(gray.Tag(QStringLiteral("Lane")).isEmpty(), !analysis);
    } else {
        const QImage shown = decoded(target + ".jpg");
        QCOMPARE(shown.size(), QSize(kWidth, kHeight));
        // JPEG files hold whole dots per inch.
        QCOMPARE(qRound(shown.dotsPerMeterX() * 0.0254), qRound(doc.DotsPerMeter() * 0.0254));
        QVERIFY(meanDifference(shown, doc.Image(0)->ToIndexed8(false)) < 2.0);
    }
}

void TestKySingleDocument::saveInPlaceTwice()
{
    const QString folder = capture(QStringLiteral("marker"));
    const QMap<QString, QByteArray> originals = filesBelow(folder);
    const QString name = nameOf(folder);
    {
        SingleProbe doc(folder);
        doc.SetDefaultLanes(5, 0.7);
        doc.ExtractLaneProfiles();
        QVERIFY(doc.IsDirty());
        QCOMPARE(doc.SaveInPlace(true, true, true), 0);
        QVERIFY(!doc.IsDirty());
    }
    const QMap<QString, QByteArray> first = filesBelow(folder);
    QCOMPARE(first.value(name + kGray + ".jpg"), originals.value(name + kGray + ".jpg"));
    QCOMPARE(first.value(name + kOverlaid + ".jpg"), originals.value(name + kOverlaid + ".jpg"));
    QVERIFY(first.value(name + ".tif") != originals.value(name + ".tif"));
    QVERIFY(first.contains(name + ".csv"));

    SingleProbe doc(folder);
    QCOMPARE(doc.LaneFrame().laneCount(), 5);
    QVERIFY(!doc.IsDirty());
    QCOMPARE(doc.SaveInPlace(true, true, true), 0);
    QMap<QString, QByteArray> second = filesBelow(folder);
    // The report carries the time of the analysis; the pictures are the same bytes.
    QCOMPARE(second.keys(), first.keys());
    for (const QString &file : first.keys()) {
        if (!file.endsWith(QLatin1String(".csv")))
            QVERIFY2(second.value(file) == first.value(file), qPrintable(file));
    }
}

void TestKySingleDocument::saveAsNothingToWrite()
{
    SingleProbe doc(variant(QStringLiteral("no sample")));
    QCOMPARE(doc.ImageCount(), 0);
    QCOMPARE(doc.SaveAs(QString()), -13);
    QCOMPARE(doc.SaveAs(temp->filePath(QStringLiteral("out/Copy"))), -14);
    QVERIFY(!QFileInfo::exists(temp->filePath(QStringLiteral("out"))));
}

void TestKySingleDocument::saveAsRelativePath()
{
    // A bare name lies in the working folder: no file's folder is to be made, least of all one
    // named like the file.
    const QString folder = capture(QStringLiteral("marker"));
    SingleProbe doc(folder);
    const QString out = temp->filePath(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(out));
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(out));
    const int result = doc.SaveAs(QStringLiteral("Copy"));
    QVERIFY(QDir::setCurrent(previous));
    QCOMPARE(result, 0);
    QCOMPARE(treeOf(out), QStringList({"Copy+Marker.jpg", "Copy-Marker.jpg", "Copy-Marker.tif", "Copy.tif"}));
    QCOMPARE(readBytes(out + "/Copy" + kGray + ".jpg"), readBytes(baseOf(folder) + kGray + ".jpg"));
}

void TestKySingleDocument::saveSplit_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("marks");
    QTest::newRow("gel, whole") << "gel" << 0 << QStringList{""};
    QTest::newRow("gel, quarters") << "gel" << 3 << QStringList{"-1", "-2", "-3", "-4"};
    QTest::newRow("marker, whole") << "marker" << 0 << QStringList{""};
    QTest::newRow("marker, halves") << "marker" << 1 << QStringList{"-1", "-2"};
    QTest::newRow("marker, centre") << "marker" << 4 << QStringList{""};
}

void TestKySingleDocument::saveSplit()
{
    QFETCH(QString, kind);
    QFETCH(int, mode);
    QFETCH(QStringList, marks);
    const QString folder = capture(kind);
    const QMap<QString, QByteArray> originals = filesBelow(folder);
    SingleProbe doc(folder);
    doc.setSplitMode(mode);
    doc.SetDefaultLanes(3, 0.8);
    doc.ExtractLaneProfiles();
    QSignalSpy progress(&doc, &KyDocument::SaveProgress);

    const QString out = temp->filePath(QStringLiteral("out"));
    QCOMPARE(doc.Save(out + QLatin1Char('/'), QStringLiteral("P"), true, true, true), 0);
    QCOMPARE(progress.count(), doc.SaveStepCount());
    QVERIFY(!doc.IsDirty());

    // <out>/<part>/<part><suffix>.<ext>, part = "P <time>" + mark + "_Ch"; the report beside the
    // parts, in a folder named like the whole.
    const QString time = nameOf(folder).section(QLatin1Char(' '), -1).section(QLatin1Char('_'), 0, -2);
    const QString whole = QStringLiteral("P ") + time + QStringLiteral("_Ch");
    QStringList expected;
    for (const QString &mark : marks) {
        const QString part = QStringLiteral("P ") + time + mark + QStringLiteral("_Ch");
        expected << part + '/' << part + '/' + part + ".tif";
        if (kind == QLatin1String("marker"))
            expected << part + '/' + part + kGray + ".tif" << part + '/' + part + kGray + ".jpg"
                     << part + '/' + part + kOverlaid + ".jpg";
        else
            expected << part + '/' + part + ".jpg";
    }
    if (!expected.contains(whole + '/'))
        expected << whole + '/';
    expected << whole + '/' + whole + ".csv";
    expected.sort();
    QCOMPARE(treeOf(out), expected);

    if (kind == QLatin1String("marker")) {
        const QString part = QStringLiteral("P ") + time + marks.first() + QStringLiteral("_Ch");
        const QString photo = out + '/' + part + '/' + part + kGray + ".jpg";
        if (mode == 0) {
            QCOMPARE(readBytes(photo), originals.value(nameOf(folder) + kGray + ".jpg"));
            QCOMPARE(readBytes(out + '/' + part + '/' + part + kOverlaid + ".jpg"),
                     originals.value(nameOf(folder) + kOverlaid + ".jpg"));
        } else {
            QCOMPARE(decoded(photo).size(), mode == 1 ? QSize(kWidth / 2, kHeight) : QSize(100, 150));
        }
    }
}

void TestKySingleDocument::saveMarkerExposures()
{
    AnalysisSettings::instance()->setValue(QStringLiteral("Marker_SaveRGBImages"), true);
    SingleProbe doc(capture(QStringLiteral("marker")));
    doc.exposures() = {uniformImage(kWidth, kHeight, 1000), uniformImage(kWidth, kHeight, 2000),
                       uniformImage(kWidth, kHeight, 3000)};
    const QString out = temp->filePath(QStringLiteral("out"));
    const int result = doc.Save(out, QStringLiteral("P"), true, true, false);
    AnalysisSettings::instance()->setValue(QStringLiteral("Marker_SaveRGBImages"), false);
    QCOMPARE(result, 0);
    const QString base = doc.BaseName(QStringLiteral("P"));
    for (const QString &colour : {QStringLiteral("blue"), QStringLiteral("green"), QStringLiteral("red")}) {
        QVERIFY(QFileInfo(out + '/' + base + "-marker-" + colour + ".tif").isFile());
        QVERIFY(QFileInfo(out + "-marker-" + colour + ".jpg").isFile());
    }
    QVERIFY(QFileInfo(out + ".jpg").isFile());
}

// ---- Saves made to fail ----------------------------------------------------------------------------

void TestKySingleDocument::failedSave_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("blocked"); // the file (after the capture's name) a folder stands at
    QTest::addColumn<int>("code");

    QTest::newRow("gel: sample image") << "gel" << ".tif" << -14;
    QTest::newRow("gel: display picture") << "gel" << ".jpg" << -15;
    QTest::newRow("gel: report") << "gel" << ".csv" << -15;
    QTest::newRow("marker: sample image") << "marker" << ".tif" << -14;
    QTest::newRow("marker: grey marker image") << "marker" << "-Marker.tif" << -15;
    QTest::newRow("marker: marker photo") << "marker" << "-Marker.jpg" << -23;
    QTest::newRow("marker: overlay") << "marker" << "+Marker.jpg" << -22;
    QTest::newRow("marker: report") << "marker" << ".csv" << -15;
}

void TestKySingleDocument::failedSave()
{
    QFETCH(QString, kind);
    QFETCH(QString, blocked);
    QFETCH(int, code);
    const QString folder = capture(kind);
    SingleProbe doc(folder);
    doc.SetDefaultLanes(4, 0.8);
    doc.ExtractLaneProfiles();
    QVERIFY(doc.AddBand(0, 1, 60) >= 0);
    QVERIFY(doc.IsDirty());

    // The target is replaced by a folder (holding a file) once the capture is open.
    const QString target = baseOf(folder) + blocked;
    QFile::remove(target);
    QVERIFY(QDir().mkpath(target));
    QVERIFY(writeBytes(target + "/keep", "x"));
    const QMap<QString, QByteArray> before = filesBelow(folder);
    const QStringList entries = treeOf(folder);

    QSignalSpy progress(&doc, &KyDocument::SaveProgress);
    QCOMPARE(doc.SaveInPlace(true, true, true), code);
    QCOMPARE(filesBelow(folder), before);
    QCOMPARE(treeOf(folder), entries);
    QVERIFY(doc.IsDirty());
    QCOMPARE(progress.count(), 0);

    // Saved elsewhere below a file instead of a folder: the first step fails, nothing is made.
    const QString file = temp->filePath(QStringLiteral("plain"));
    QVERIFY(writeBytes(file, "x"));
    QCOMPARE(doc.SaveAs(file + QStringLiteral("/sub/Copy")), -14);
    QCOMPARE(readBytes(file), QByteArray("x"));
    QVERIFY(doc.IsDirty());

    // With the folder gone, the same save succeeds.
    QVERIFY(QDir(target).removeRecursively());
    QCOMPARE(doc.SaveInPlace(true, true, true), 0);
    QVERIFY(!doc.IsDirty());
}

void TestKySingleDocument::failedWriteNotHiddenByLaterSuccess()
{
    // A file-size limit that the display picture exceeds and the report does not: the picture's
    // write fails, the report's succeeds afterwards, and the save still reports the failure.
    const QString folder = capture(QStringLiteral("gel"));
    SingleProbe doc(folder);
    doc.SetDefaultLanes(2, 0.8);
    doc.ExtractLaneProfiles();
    const QString out = temp->filePath(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(out));

    QByteArray picture;
    {
        QBuffer buffer(&picture);
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        QVERIFY(doc.Image(0)->ToIndexed8(false).save(&buffer, "jpg"));
    }
    constexpr int kLimit = 1024;
    QVERIFY2(picture.size() > 2 * kLimit, qPrintable(QString::number(picture.size())));

    QSignalSpy progress(&doc, &KyDocument::SaveProgress);
    int result = 0;
    {
        FileSizeLimit limit(kLimit);
        QVERIFY(limit.isSet());
        result = doc.Save(out, QStringLiteral("P"), false, true, true);
    }

    QCOMPARE(result, -15);
    QCOMPARE(progress.count(), 2);
    QVERIFY(doc.IsDirty());
    const QString part = doc.BaseName(QStringLiteral("P")) + QStringLiteral("_Ch");
    // The report was written, the picture was not, and no temporary file stayed behind.
    QCOMPARE(treeOf(out), QStringList({part + '/', part + '/' + part + ".csv"}));
}

void TestKySingleDocument::failedSaveUnderSizeLimit_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("gel") << "gel";
    QTest::newRow("marker") << "marker";
}

void TestKySingleDocument::failedSaveUnderSizeLimit()
{
    // Half the sample image fits: its write fails part-way through, in place.
    QFETCH(QString, kind);
    const QString folder = capture(kind);
    SingleProbe doc(folder);
    doc.SetDefaultLanes(4, 0.8);
    doc.ExtractLaneProfiles();
    const QMap<QString, QByteArray> before = filesBelow(folder);
    const QStringList entries = treeOf(folder);

    int result = 0;
    {
        FileSizeLimit limit(kWidth * kHeight);
        QVERIFY(limit.isSet());
        result = doc.SaveInPlace(true, true, true);
    }
    QCOMPARE(result, -14);
    QCOMPARE(filesBelow(folder), before);
    QCOMPARE(treeOf(folder), entries);
    QVERIFY(doc.IsDirty());
}

void TestKySingleDocument::markerWithoutItsPhoto_data()
{
    QTest::addColumn<QString>("variant");
    QTest::newRow("no photo") << "marker without photo";
    QTest::newRow("photo no JPEG") << "unreadable photo";
    QTest::newRow("photo is a folder") << "photo is a folder";
}

// A marker capture whose photo cannot be read opens with its images and names the photo; its
// grey marker image stands in on the screen. No save writes that stand-in, or an overlay made with
// it, anywhere: what the capture holds stays as it is.
void TestKySingleDocument::markerWithoutItsPhoto()
{
    QFETCH(QString, variant);
    const QString folder = this->variant(variant);
    const QString name = nameOf(folder);
    SingleProbe doc(folder);
    QCOMPARE(doc.UnreadFiles(), QStringList{name + kGray + ".jpg"});
    QCOMPARE(doc.ImageCount(), 2);
    QCOMPARE(rgb(doc.qImage(1, QRect())), rgb(doc.records()[1].ToIndexed8(false)));

    doc.SetDefaultLanes(4, 0.8);
    doc.ExtractLaneProfiles();
    const QMap<QString, QByteArray> before = filesBelow(folder);
    QStringList tree = treeOf(folder) << name + ".csv";
    tree.sort();
    QSignalSpy progress(&doc, &KyDocument::SaveProgress);
    QCOMPARE(doc.SaveInPlace(true, true, true), 0);
    QCOMPARE(progress.count(), doc.SaveStepCount());
    QVERIFY(!doc.IsDirty());
    const QMap<QString, QByteArray> after = filesBelow(folder);
    QCOMPARE(after.value(name + kGray + ".jpg"), before.value(name + kGray + ".jpg"));
    QCOMPARE(after.value(name + kOverlaid + ".jpg"), before.value(name + kOverlaid + ".jpg"));
    QVERIFY(after.value(name + ".tif") != before.value(name + ".tif"));
    QVERIFY(after.value(name + kGray + ".tif") != before.value(name + kGray + ".tif"));
    QCOMPARE(treeOf(folder), tree);

    // A new capture gets the images and the report, and no picture of the marker.
    const QString out = temp->filePath(QStringLiteral("out"));
    progress.clear();
    QCOMPARE(doc.Save(out, QStringLiteral("P"), true, true, true), 0);
    QCOMPARE(progress.count(), doc.SaveStepCount());
    for (const QString &file : treeOf(out))
        QVERIFY2(!file.endsWith(QLatin1String(".jpg")), qPrintable(file));
    QCOMPARE(doc.SaveAs(temp->filePath(QStringLiteral("Copy/Copy"))), 0);
    QCOMPARE(treeOf(temp->filePath(QStringLiteral("Copy"))),
             (QStringList{"Copy-Marker.tif", "Copy.csv", "Copy.tif"}));
    SingleProbe copy(temp->filePath(QStringLiteral("Copy")));
    QCOMPARE(copy.ImageCount(), 2);
    QCOMPARE(copy.UnreadFiles(), QStringList{"Copy-Marker.jpg"});
}

void TestKySingleDocument::zeroPixelSizeKeepsResolution()
{
    // Without a pixel size there is no resolution to give: the pictures keep their own.
    QImage plain(4, 4, QImage::Format_Indexed8);
    plain.setColorCount(256);
    plain.fill(0);
    QByteArray plainBytes;
    {
        QBuffer buffer(&plainBytes);
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        QVERIFY(plain.save(&buffer, "jpg"));
    }
    const int plainDots = QImage::fromData(plainBytes).dotsPerMeterX();
    QVERIFY(plainDots > 0);

    for (const QString &kind : {QStringLiteral("gel"), QStringLiteral("marker without overlay")}) {
        SingleProbe doc(variant(kind));
        doc.records()[0].SetPixelSize(0.0);
        QCOMPARE(doc.DotsPerMeter(), 0);
        const QString copy = temp->filePath(kind + QStringLiteral("/Copy"));
        QCOMPARE(doc.SaveAs(copy), 0);
        const QString picture = doc.HasMarker() ? copy + kOverlaid + ".jpg" : copy + ".jpg";
        QCOMPARE(QImage(picture).dotsPerMeterX(), plainDots);
    }
}

// ---- Free functions --------------------------------------------------------------------------------

void TestKySingleDocument::sampleImagePaths_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("path");
    QTest::newRow("chemiluminescence, upper tray") << 0 << "Chemiluminescence_upper";
    QTest::newRow("chemiluminescence, lower tray") << 1 << "Chemiluminescence_lower";
    QTest::newRow("fluorescence") << 2 << "Fluorescence_" + LightMode(2).methodName();
}

void TestKySingleDocument::sampleImagePaths()
{
    QFETCH(int, mode);
    QFETCH(QString, path);
    // StandAloneImageFolderPath has no default: the names stand alone.
    QCOMPARE(SingleSampleImagePaths(LightMode(mode)), path);
}

KY_TEST_MAIN_WITH(QGuiApplication, TestKySingleDocument)
#include "tst_kysingledocument.moc"
