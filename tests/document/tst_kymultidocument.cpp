// The three-channel document: opening a folder's first capture into channel records, the colour
// composite of a channel selection, display images, names and the channel records' set-up.

#include "multifixtures.h"
#include "testdocument.h"
#include "testmain.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace multitest;

namespace {

// The display level of a grey level, as the 8-bit rendering defines it.
int displayLevel(quint16 inValue, quint16 inLow, quint16 inHigh)
{
    if (inValue == 65535)
        return 255;
    if (inValue <= inLow)
        return 0;
    if (inValue >= inHigh)
        return 254;
    return (int(inValue) - inLow) * 254 / (int(inHigh) - inLow);
}

QRgb rgbAt(const QImage &inImage, int inX, int inY)
{
    const uchar *p = inImage.constScanLine(inY) + 3 * inX;
    return qRgb(p[0], p[1], p[2]);
}

// Runs the numpy reference on a capture folder and a composite; its verdict ("ok" or the first
// difference).
QString numpyVerdict(const QString &inFolder, int inSelection, const QColor &inSaturated, const QImage &inComposite)
{
    QTemporaryDir dir;
    QFile raw(dir.filePath(QStringLiteral("composite.rgb")));
    if (!raw.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write the composite");
    for (int y = 0; y < inComposite.height(); ++y)
        raw.write(reinterpret_cast<const char *>(inComposite.constScanLine(y)), qint64(inComposite.width()) * 3);
    raw.close();
    QProcess process;
    process.start(QStringLiteral("/usr/bin/python3"),
                  {kytest::sourceDir() + QStringLiteral("/tests/document/reference/composite.py"), inFolder,
                   QString::number(inSelection), QString::number(inSaturated.red()),
                   QString::number(inSaturated.green()), QString::number(inSaturated.blue()), raw.fileName()});
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QString::fromLocal8Bit(process.readAllStandardError());
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

QString fileNameOf(const ImageFile &inImage)
{
    return inImage.IsNull() ? QString() : inImage.FileName();
}

} // namespace

class TestKyMultiDocument : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void openSampleCapture();
    void openFolders_data();
    void openFolders();
    void filePathOfFirstImage_data();
    void filePathOfFirstImage();

    void compositeBytes_data();
    void compositeBytes();
    void compositeMatchesChannelDisplayImages();
    void compositeAgainstNumpy_data();
    void compositeAgainstNumpy();
    void compositeCache();
    void compositeOfUnequalSizes_data();
    void compositeOfUnequalSizes();
    void displayImageRectangles_data();
    void displayImageRectangles();
    void displayImageKeepsDirtyMark();
    void withoutImages();

    void interfacesNotForThisKind();
    void setSampleImage();
    void setSampleImageFromInstalledSample();
    void saveFileNames_data();
    void saveFileNames();
    void cleanName();

private:
    QTemporaryDir mTemp;
    QString mSample; // a sample-tool capture folder
};

void TestKyMultiDocument::initTestCase()
{
    QVERIFY(mTemp.isValid());
    mSample = writeFluorCapture(mTemp.filePath(QStringLiteral("samples")));
    QVERIFY(!mSample.isEmpty());
}

void TestKyMultiDocument::openSampleCapture()
{
    ProbeMultiDocument doc(mSample);
    const QString name = lastSection(mSample);
    QCOMPARE(doc.ImageCount(), 3);
    QCOMPARE(doc.ValidImageCount(), 3);
    QCOMPARE(doc.ChannelMask(), 0x87);
    QCOMPARE(doc.SaveStepCount(), 5);
    QVERIFY(!doc.IsDirty());
    QCOMPARE(doc.kind(), 2);
    QVERIFY(doc.FollowsFileNamePattern());
    const QStringList colours{QStringLiteral("Blue"), QStringLiteral("Green"), QStringLiteral("Red")};
    for (int c = 0; c < 3; ++c) {
        const ImageFile *record = doc.Image(c);
        QVERIFY(record && !record->IsNull());
        QCOMPARE(record->Tag(KyItemName::Channel), QString::number(c + 1));
        QCOMPARE(record->FilePath(), mSample + QLatin1Char('/') + name + QLatin1Char('-') + colours.at(c) + ".tif");
        ImageFile direct;
        QVERIFY(ImageFile::Read(record->FilePath(), direct));
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(record->ConstData()), 160 * 240 * 2),
                 QByteArray(reinterpret_cast<const char *>(direct.ConstData()), 160 * 240 * 2));
    }
    // The base a save in place writes under: the capture's name without the colour.
    QCOMPARE(doc.FilePathOfFirstImage(), mSample + QLatin1Char('/') + name + ".tif");
}

void TestKyMultiDocument::openFolders_data()
{
    // Files to write, "name|channel" ("|" alone: no "Channel" item; "!" a file that is no image),
    // in the folder named by the first column under a fresh temporary folder.
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("records"); // file name of records 0, 1, 2 ("" null)
    QTest::addColumn<int>("mask");

    QTest::newRow("channels 1 and 3")
        << "c" << QStringList{"A_Fl-Blue.tif|1", "A_Fl-Red.tif|3"}
        << QStringList{"A_Fl-Blue.tif", "", "A_Fl-Red.tif"} << 0x85;
    QTest::newRow("same channel twice: the later name")
        << "c" << QStringList{"A_Fl-Lime.tif|2", "A_Fl-Green.tif|2"} << QStringList{"", "A_Fl-Lime.tif", ""}
        << 0x82;
    QTest::newRow("later by name ignoring case")
        << "c" << QStringList{"A_Fl-Lime.tif|2", "A_Fl-green.tif|2"} << QStringList{"", "A_Fl-Lime.tif", ""}
        << 0x82;
    QTest::newRow("another capture with the same channel is not opened")
        << "c" << QStringList{"A_Fl-Blue.tif|1", "A_Fl-Green.tif|2", "B_Fl-Green.tif|2"}
        << QStringList{"A_Fl-Blue.tif", "A_Fl-Green.tif", ""} << 0x83;
    QTest::newRow("the first capture by name is the one opened")
        << "c" << QStringList{"A_Fl-Blue.tif|1", "A_Fl-Red.tif|3", "0_Fl-Green.tif|2"}
        << QStringList{"", "0_Fl-Green.tif", ""} << 0x82;
    QTest::newRow("channel items outside 1 to 3 are ignored")
        << "c"
        << QStringList{"A_Fl-Blue.tif|1", "A_Fl-X.tif|0", "A_Fl-Y.tif|4", "A_Fl-Z.tif|two", "A_Fl-W.tif|-1",
                       "A_Fl-V.tif|", "A_Fl-Red.tif|3"}
        << QStringList{"A_Fl-Blue.tif", "", "A_Fl-Red.tif"} << 0x85;
    QTest::newRow("a file that is no image is skipped")
        << "c" << QStringList{"A_Fl-Blue.tif|1", "A_Fl-Broken.tif!", "A_Fl-Green.tif|2"}
        << QStringList{"A_Fl-Blue.tif", "A_Fl-Green.tif", ""} << 0x83;
    QTest::newRow("names with wildcard characters")
        << "c" << QStringList{"[x]*?_Fl-Blue.tif|1", "[x]*?_Fl-Green.tif|2", "x_Fl-Red.tif|3"}
        << QStringList{"[x]*?_Fl-Blue.tif", "[x]*?_Fl-Green.tif", ""} << 0x83;
    QTest::newRow("folder name with a minus sign")
        << "gel-2024 run-3" << QStringList{"A_Fl-Blue.tif|1", "A_Fl-Green.tif|2"}
        << QStringList{"A_Fl-Blue.tif", "A_Fl-Green.tif", ""} << 0x83;
    QTest::newRow("empty folder") << "c" << QStringList{} << QStringList{"", "", ""} << 0x80;
}

void TestKyMultiDocument::openFolders()
{
    QFETCH(QString, folder);
    QFETCH(QStringList, files);
    QFETCH(QStringList, records);
    QFETCH(int, mask);

    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString path = temp.filePath(folder);
    QVERIFY(QDir().mkpath(path));
    int value = 1000;
    for (const QString &entry : files) {
        if (entry.endsWith(QLatin1Char('!'))) {
            QFile broken(path + QLatin1Char('/') + entry.chopped(1));
            QVERIFY(broken.open(QIODevice::WriteOnly));
            broken.write("II*\0 this is not an image");
            continue;
        }
        const QString name = entry.section(QLatin1Char('|'), 0, 0);
        const QString channel = entry.section(QLatin1Char('|'), 1);
        QVERIFY(writeChannelFile(path + QLatin1Char('/') + name, uniformImage(12, 8, quint16(value++)), channel));
    }

    ProbeMultiDocument doc(path);
    QCOMPARE(doc.ImageCount(), 3);
    QStringList opened;
    for (int c = 0; c < 3; ++c)
        opened << fileNameOf(*doc.Image(c));
    QCOMPARE(opened, records);
    QCOMPARE(doc.ChannelMask(), mask);
    QCOMPARE(doc.SaveStepCount(), records.size() - records.count(QString()) + 2);
    QVERIFY(!doc.IsDirty());
    for (int c = 0; c < 3; ++c) {
        if (!records.at(c).isEmpty())
            QCOMPARE(doc.Image(c)->FilePath(), path + QLatin1Char('/') + records.at(c));
    }
}

void TestKyMultiDocument::filePathOfFirstImage_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");

    QTest::newRow("colour taken off") << "/c/A_Fl-Blue.tif" << "/c/A_Fl.tif";
    QTest::newRow("only the last minus") << "/c/S 2024.05.06_10.11.02-1_Fl-Red.tif"
                                         << "/c/S 2024.05.06_10.11.02-1_Fl.tif";
    QTest::newRow("minus in the folder only") << "/c/gel-2/A_Fl.tif" << "/c/gel-2/A_Fl.tif";
    QTest::newRow("minus in folder and name") << "/c/gel-2/A_Fl-Green.tif" << "/c/gel-2/A_Fl.tif";
    QTest::newRow("backslash folders") << "D:\\gel-2\\A_Fl.tif" << "D:\\gel-2\\A_Fl.tif";
    QTest::newRow("no extension") << "/c/a.b/A_Fl-Blue" << "/c/a.b/A_Fl";
    QTest::newRow("no path") << "" << "";
}

void TestKyMultiDocument::filePathOfFirstImage()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);

    ProbeMultiDocument doc;
    ImageFile image = uniformImage(8, 6, 500);
    image.SetTag(KyItemName::FilePath, path);
    // The first valid image decides, whichever channel it is.
    doc.records()[1] = image;
    QCOMPARE(doc.FilePathOfFirstImage(), expected);
}

void TestKyMultiDocument::compositeBytes_data()
{
    QTest::addColumn<int>("selection");
    QTest::addColumn<QColor>("saturated"); // invalid: the default colour

    QTest::newRow("all three") << 0x87 << QColor();
    QTest::newRow("blue and red") << 0x85 << QColor();
    QTest::newRow("green only") << 0x82 << QColor();
    QTest::newRow("nothing selected") << 0x80 << QColor();
    QTest::newRow("bits without the selection flag") << 0x04 << QColor();
    QTest::newRow("saturated colour from the settings") << 0x87 << QColor(10, 20, 30);
}

void TestKyMultiDocument::compositeBytes()
{
    QFETCH(int, selection);
    QFETCH(QColor, saturated);

    QList<QPair<QString, QVariant>> settings;
    if (saturated.isValid())
        settings << qMakePair(QStringLiteral("SaturatedPixelColor"), QVariant(saturated));
    const kytest::ScopedSystemSettings scoped(settings);
    const QColor paint = saturated.isValid() ? saturated : QColor(240, 0, 240);

    // Each channel with its own range and one saturated pixel of its own.
    const quint16 lows[3] = {1000, 500, 0};
    const quint16 highs[3] = {2016, 3000, 254};
    const QPoint burnt[3] = {QPoint(1, 1), QPoint(4, 2), QPoint(2, 3)};
    const auto value = [&](int c, int x, int y) -> quint16 {
        if (QPoint(x, y) == burnt[c])
            return 65535;
        switch (c) {
        case 0: return quint16(900 + 211 * x + 97 * y);
        case 1: return quint16(400 + 613 * x + 301 * y);
        default: return quint16(17 * x + 41 * y + 3);
        }
    };
    ProbeMultiDocument doc;
    for (int c = 0; c < 3; ++c)
        doc.records()[c] = makeImage(6, 4, [&](int x, int y) { return value(c, x, y); }, lows[c], highs[c]);

    const QImage composite = doc.qImage(selection, QRect());
    QCOMPARE(composite.size(), QSize(6, 4));
    QCOMPARE(composite.format(), QImage::Format_RGB888);
    QCOMPARE(composite.dotsPerMeterX(), 33333);
    QCOMPARE(composite.dotsPerMeterY(), 33333);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            int level[3];
            bool burntHere = false;
            for (int c = 0; c < 3; ++c) {
                level[c] = (selection & (1 << c)) ? displayLevel(value(c, x, y), lows[c], highs[c]) : 0;
                burntHere = burntHere || level[c] == 255;
            }
            const QRgb expected = burntHere ? paint.rgb() : qRgb(level[2], level[1], level[0]);
            QCOMPARE(rgbAt(composite, x, y), expected);
        }
    }
}

void TestKyMultiDocument::compositeMatchesChannelDisplayImages()
{
    // The composite is the channels' own display images laid on blue, green and red.
    ProbeMultiDocument doc(mSample);
    for (int c = 0; c < 3; ++c) // make sure some pixels reach the top level
        doc.Image(c)->SetPixel(10 + c, 20 * (c + 1), 65535);
    doc.SetNegative(1, true);
    doc.SetNegative(2, false);
    const ImageTagList tagsBefore[3] = {doc.Image(0)->Tags(), doc.Image(1)->Tags(), doc.Image(2)->Tags()};

    const QImage composite = doc.qImage(0x87, QRect());
    QCOMPARE(composite.size(), QSize(160, 240));
    QImage planes[3];
    for (int c = 0; c < 3; ++c) {
        planes[c] = doc.qImage(c, QRect());
        QCOMPARE(planes[c].format(), QImage::Format_Indexed8);
        // Building the composite leaves the records' items (polarity among them) alone.
        QCOMPARE(doc.Image(c)->Tags(), tagsBefore[c]);
    }
    int burnt = 0;
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 160; ++x) {
            const int b = planes[0].constScanLine(y)[x];
            const int g = planes[1].constScanLine(y)[x];
            const int r = planes[2].constScanLine(y)[x];
            const bool top = b == 255 || g == 255 || r == 255;
            burnt += top;
            QCOMPARE(rgbAt(composite, x, y), top ? qRgb(240, 0, 240) : qRgb(r, g, b));
        }
    }
    QVERIFY(burnt >= 3);
    // Polarity is not part of the composite: every channel shows positive.
    doc.InvertAll();
    doc.ReleaseColorImage();
    QCOMPARE(doc.qImage(0x87, QRect()), composite);
}

void TestKyMultiDocument::compositeAgainstNumpy_data()
{
    QTest::addColumn<bool>("unequal"); // false: the sample capture; true: channels of three sizes
    QTest::addColumn<int>("selection");

    QTest::newRow("sample, all channels") << false << 0x87;
    QTest::newRow("sample, blue and red") << false << 0x85;
    QTest::newRow("sample, green") << false << 0x82;
    QTest::newRow("unequal sizes, all channels") << true << 0x87;
    QTest::newRow("unequal sizes, blue and green") << true << 0x83;
    QTest::newRow("unequal sizes, red") << true << 0x84;
}

void TestKyMultiDocument::compositeAgainstNumpy()
{
    QFETCH(bool, unequal);
    QFETCH(int, selection);

    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    QString folder = mSample;
    if (unequal) {
        // Gradients with burnt pixels here and there, each channel its own size and range.
        folder = temp.path();
        const QSize sizes[3] = {QSize(61, 50), QSize(50, 64), QSize(70, 45)};
        const quint16 lows[3] = {800, 2000, 100};
        const quint16 highs[3] = {9000, 30000, 60000};
        const QStringList names{"A_Fl-Blue.tif", "A_Fl-Green.tif", "A_Fl-Red.tif"};
        for (int c = 0; c < 3; ++c) {
            ImageFile image = makeImage(
                sizes[c].width(), sizes[c].height(),
                [c](int x, int y) {
                    if ((x * 7 + y * 3 + c) % 41 == 0)
                        return quint16(65535);
                    return quint16((x * 977 + y * 613 * (c + 1)) % 65535);
                },
                lows[c], highs[c]);
            image.SetTag(QStringLiteral("Range low"), QString::number(lows[c]));
            image.SetTag(QStringLiteral("Range high"), QString::number(highs[c]));
            QVERIFY(writeChannelFile(temp.filePath(names.at(c)), image, QString::number(c + 1)));
        }
    }
    ProbeMultiDocument doc(folder);
    QCOMPARE(doc.ValidImageCount(), 3);
    const QImage composite = doc.qImage(selection, QRect());
    QVERIFY(!composite.isNull());
    QCOMPARE(numpyVerdict(folder, selection, QColor(240, 0, 240), composite), QStringLiteral("ok"));
}

void TestKyMultiDocument::compositeCache()
{
    ProbeMultiDocument doc;
    for (int c = 0; c < 3; ++c)
        doc.records()[c] = uniformImage(8, 5, quint16(60 + 40 * c));
    QCOMPARE(doc.compositeMask(), 0);

    const QImage first = doc.qImage(0x83, QRect());
    QCOMPARE(doc.compositeMask(), 0x83);
    QCOMPARE(rgbAt(first, 0, 0), qRgb(0, 100, 60));

    // A change the document is not told of shows only once the composite is rebuilt.
    doc.Image(0)->Fill(20);
    const QImage *cached = doc.colorImage();
    QCOMPARE(rgbAt(doc.qImage(0x83, QRect()), 0, 0), qRgb(0, 100, 60));
    QCOMPARE(doc.colorImage(), cached);

    QCOMPARE(rgbAt(doc.qImage(0x81, QRect()), 0, 0), qRgb(0, 0, 20));
    QCOMPARE(doc.compositeMask(), 0x81);

    // Released by a display change; the selection is remembered, the picture is rebuilt.
    QVERIFY(doc.SetDisplayRange(0, 0, 40));
    QVERIFY(!doc.colorImage());
    QCOMPARE(doc.compositeMask(), 0x81);
    QCOMPARE(rgbAt(doc.qImage(0x81, QRect()), 0, 0), qRgb(0, 0, 127));
}

void TestKyMultiDocument::compositeOfUnequalSizes_data()
{
    QTest::addColumn<QList<QSize>>("sizes"); // an empty size: no record
    QTest::addColumn<int>("selection");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("common");

    QTest::newRow("second narrower") << QList<QSize>{{160, 240}, {100, 240}, {160, 240}} << 0x87 << QSize(160, 240)
                                     << QSize(100, 240);
    QTest::newRow("second taller, third shorter") << QList<QSize>{{40, 30}, {40, 50}, {40, 20}} << 0x87
                                                  << QSize(40, 30) << QSize(40, 20);
    QTest::newRow("first smallest") << QList<QSize>{{20, 10}, {40, 30}, {41, 31}} << 0x87 << QSize(20, 10)
                                    << QSize(20, 10);
    QTest::newRow("a smaller channel not selected") << QList<QSize>{{40, 30}, {10, 10}, {40, 30}} << 0x85
                                                    << QSize(40, 30) << QSize(40, 30);
    QTest::newRow("no first channel") << QList<QSize>{{}, {30, 20}, {50, 40}} << 0x86 << QSize(30, 20)
                                      << QSize(30, 20);
    QTest::newRow("one row") << QList<QSize>{{5, 1}, {5, 1}, {5, 1}} << 0x87 << QSize(5, 1) << QSize(5, 1);
    QTest::newRow("two rows") << QList<QSize>{{5, 2}, {7, 2}, {5, 3}} << 0x87 << QSize(5, 2) << QSize(5, 2);
    QTest::newRow("many pieces of rows") << QList<QSize>{{3, 100}, {3, 97}, {3, 100}} << 0x87 << QSize(3, 100)
                                         << QSize(3, 97);
}

void TestKyMultiDocument::compositeOfUnequalSizes()
{
    QFETCH(QList<QSize>, sizes);
    QFETCH(int, selection);
    QFETCH(QSize, picture);
    QFETCH(QSize, common);

    // Levels 50, 100 and 200 in channels 1, 2 and 3 (display range 0..254 shows a level as itself).
    const int levels[3] = {50, 100, 200};
    ProbeMultiDocument doc;
    for (int c = 0; c < 3; ++c) {
        if (!sizes.at(c).isEmpty())
            doc.records()[c] = uniformImage(sizes.at(c).width(), sizes.at(c).height(), quint16(levels[c]));
    }
    const QImage composite = doc.qImage(selection, QRect());
    QCOMPARE(composite.size(), picture);
    const auto shown = [&](int c) { return (selection & (1 << c)) && !sizes.at(c).isEmpty() ? levels[c] : 0; };
    const QRgb inside = qRgb(shown(2), shown(1), shown(0));
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const bool common_ = x < common.width() && y < common.height();
            QCOMPARE(rgbAt(composite, x, y), common_ ? inside : qRgb(0, 0, 0));
        }
    }
}

void TestKyMultiDocument::displayImageRectangles_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<QRect>("cut"); // the part of the picture expected; null: no image

    for (const int channel : {0x87, 2}) {
        const QByteArray kind = channel == 2 ? "channel " : "composite ";
        QTest::newRow(kind + "empty rectangle: whole") << channel << QRect() << QRect(0, 0, 160, 240);
        QTest::newRow(kind + "inside") << channel << QRect(10, 20, 30, 40) << QRect(10, 20, 30, 40);
        QTest::newRow(kind + "over the edge: cut") << channel << QRect(150, 230, 30, 40) << QRect(150, 230, 10, 10);
        QTest::newRow(kind + "outside") << channel << QRect(200, 10, 5, 5) << QRect();
    }
}

void TestKyMultiDocument::displayImageRectangles()
{
    QFETCH(int, channel);
    QFETCH(QRect, rect);
    QFETCH(QRect, cut);

    ProbeMultiDocument doc(mSample);
    const QImage whole = doc.qImage(channel, QRect());
    const QImage part = doc.qImage(channel, rect);
    if (cut.isNull()) {
        QVERIFY(part.isNull());
        return;
    }
    QCOMPARE(part.size(), cut.size());
    for (int y = 0; y < cut.height(); ++y)
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(part.constScanLine(y)), part.bytesPerLine()).left(
                     cut.width() * part.depth() / 8),
                 QByteArray(reinterpret_cast<const char *>(whole.constScanLine(cut.top() + y)) + cut.left() * whole.depth() / 8,
                            cut.width() * whole.depth() / 8));
}

void TestKyMultiDocument::displayImageKeepsDirtyMark()
{
    ProbeMultiDocument doc(mSample);
    QSignalSpy dirty(&doc, &KyDocument::DirtyStateChanged);
    QVERIFY(!doc.qImage(0x87, QRect()).isNull());
    QVERIFY(!doc.qImage(1, QRect()).isNull());
    QVERIFY(!doc.IsDirty());
    QCOMPARE(dirty.count(), 0);
    doc.SetDirty(true);
    QVERIFY(!doc.qImage(0x85, QRect()).isNull());
    QVERIFY(doc.IsDirty());
}

void TestKyMultiDocument::withoutImages()
{
    ProbeMultiDocument doc;
    QCOMPARE(doc.ImageCount(), 3);
    QCOMPARE(doc.ValidImageCount(), 0);
    QCOMPARE(doc.ChannelMask(), 0x80);
    QCOMPARE(doc.SaveStepCount(), 2);
    QVERIFY(doc.qImage(0x87, QRect()).isNull());
    QVERIFY(doc.qImage(0, QRect()).isNull());
    doc.BuildComposite(0x87);
    QVERIFY(!doc.colorImage());
    QCOMPARE(doc.compositeMask(), 0);
    QCOMPARE(doc.FilePathOfFirstImage(), QString());
    QCOMPARE(doc.SaveFileNames(QStringLiteral("S")), QStringList());
    QCOMPARE(doc.CleanName(), QString());
    QVERIFY(doc.IsDirty());
    QCOMPARE(doc.kind(), 1);
}

void TestKyMultiDocument::interfacesNotForThisKind()
{
    ProbeMultiDocument doc(mSample);
    QTest::ignoreMessage(QtDebugMsg, "KyMultiDocument::SetColorChannelImage(): multi image has not color image.");
    doc.SetColorChannelImage(0, uniformImage(4, 4, 9));
    QTest::ignoreMessage(QtDebugMsg, "KyMultiDocument::ColorImage(): MultiDocument needs to call qImage.");
    QVERIFY(doc.ColorImage(QRect()).isNull());
    QVERIFY(!doc.colorImage());

    for (const int channel : {-1, 3, 0x87}) {
        QTest::ignoreMessage(QtDebugMsg, "KyMultiDocument::SetSampleImage(): Channel is out of range.");
        doc.SetSampleImage(channel, uniformImage(4, 4, 9));
    }
    QCOMPARE(doc.ChannelMask(), 0x87);
    for (int c = 0; c < 3; ++c)
        QCOMPARE(doc.Image(c)->Width(), 160);
}

void TestKyMultiDocument::setSampleImage()
{
    ImageFile image = makeImage(30, 20, [](int x, int y) { return quint16(1000 + 300 * x + 50 * y); }, 0, 65535);
    image.SetTag(KyItemName::Comment, QStringLiteral("given"));
    ImageFile autoRanged(image);
    autoRanged.AutoRange();
    QVERIFY(autoRanged.RangeLow() != 0 || autoRanged.RangeHigh() != 65535);

    // A new capture: the channel item and the automatic range.
    ProbeMultiDocument fresh;
    fresh.SetSampleImage(1, image);
    QCOMPARE(fresh.ChannelMask(), 0x82);
    const ImageFile *record = fresh.Image(1);
    QCOMPARE(record->Tag(KyItemName::Channel), QStringLiteral("2"));
    QCOMPARE(record->Comment(), QStringLiteral("given"));
    QCOMPARE(record->RangeLow(), autoRanged.RangeLow());
    QCOMPARE(record->RangeHigh(), autoRanged.RangeHigh());
    fresh.SetSampleImage(1, image); // a channel item already there is replaced, not added
    QCOMPARE(fresh.Image(1)->Tags().count(ImageTag{KyItemName::Channel, QStringLiteral("2")}), 1);

    // An opened capture keeps the range it is given.
    QTemporaryDir empty;
    QVERIFY(empty.isValid());
    ProbeMultiDocument opened(empty.path());
    opened.SetSampleImage(2, image);
    QCOMPARE(opened.Image(2)->Tag(KyItemName::Channel), QStringLiteral("3"));
    QCOMPARE(opened.Image(2)->RangeLow(), quint16(0));
    QCOMPARE(opened.Image(2)->RangeHigh(), quint16(65535));
}

void TestKyMultiDocument::setSampleImageFromInstalledSample()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const kytest::ScopedSystemSettings settings(
        {qMakePair(QStringLiteral("StandAloneImageFolderPath"), QVariant(folder.path() + QLatin1Char('/')))});

    ImageFile given;
    QVERIFY(ImageFile::Read(QDir(mSample).filePath(lastSection(mSample) + "-Green.tif"), given));
    given.SetRangeLow(1234);
    given.SetRangeHigh(4321);
    const LightMode mode = given.LightMode();
    QVERIFY(!mode.methodName().isEmpty());
    const QString samplePath = KyMultiDocument::SampleImagePath(mode);
    QCOMPARE(samplePath, folder.path() + "/Fluorescence_" + mode.methodName() + ".tif");

    // Without the file the given image is taken.
    QTemporaryDir empty;
    QVERIFY(empty.isValid());
    ProbeMultiDocument doc(empty.path());
    doc.SetSampleImage(0, given);
    QCOMPARE(doc.Image(0)->Width(), 160);

    // With it, its pixels under the given items and range.
    QVERIFY(ImageFile::Save(samplePath, uniformImage(20, 10, 777)));
    doc.SetSampleImage(0, given);
    const ImageFile *record = doc.Image(0);
    QCOMPARE(record->Width(), 20);
    QCOMPARE(record->Height(), 10);
    QCOMPARE(record->Pixel(5, 5), quint16(777));
    QCOMPARE(record->Comment(), given.Comment());
    QCOMPARE(record->FilePath(), given.FilePath());
    QCOMPARE(record->Tag(KyItemName::Channel), QStringLiteral("1"));
    QCOMPARE(record->RangeLow(), quint16(1234));
    QCOMPARE(record->RangeHigh(), quint16(4321));
}

void TestKyMultiDocument::saveFileNames_data()
{
    QTest::addColumn<QString>("source"); // "new", "sample", "plain", "no minus"
    QTest::addColumn<int>("splitMode");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QStringList>("marks");
    QTest::addColumn<QString>("part");

    const QStringList whole{QString()};
    const QStringList halves{"-1", "-2"};
    const QStringList quarters{"-1", "-2", "-3", "-4"};
    QTest::newRow("new capture, whole") << "new" << 0 << "S" << whole << "_Fl";
    QTest::newRow("new capture, halves") << "new" << 1 << "" << halves << "_Fl";
    QTest::newRow("new capture, upper and lower") << "new" << 2 << "S" << halves << "_Fl";
    QTest::newRow("new capture, quarters") << "new" << 3 << "S" << quarters << "_Fl";
    QTest::newRow("new capture, centre") << "new" << 4 << "S" << whole << "_Fl";
    QTest::newRow("new capture, no such mode") << "new" << 5 << "S" << QStringList{} << "";
    QTest::newRow("instrument names") << "sample" << 0 << "" << whole << "_Fl";
    QTest::newRow("instrument names, quarters") << "sample" << 3 << "S" << quarters << "_Fl";
    QTest::newRow("other names: no channel part") << "plain" << 1 << "" << halves << "";
    QTest::newRow("channel name without minus") << "no minus" << 0 << "S" << whole << "";
}

void TestKyMultiDocument::saveFileNames()
{
    QFETCH(QString, source);
    QFETCH(int, splitMode);
    QFETCH(QString, prefix);
    QFETCH(QStringList, marks);
    QFETCH(QString, part);

    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    QScopedPointer<ProbeMultiDocument> doc;
    if (source == QLatin1String("sample")) {
        doc.reset(new ProbeMultiDocument(mSample));
    } else if (source == QLatin1String("plain")) {
        QVERIFY(writeChannelFile(temp.filePath("A_Fl-Blue.tif"), uniformImage(8, 8, 9), "1"));
        QVERIFY(writeChannelFile(temp.filePath("A_Fl-Green.tif"), uniformImage(8, 8, 9), "2"));
        doc.reset(new ProbeMultiDocument(temp.path()));
        QVERIFY(!doc->FollowsFileNamePattern());
    } else {
        // A new capture: the records are channel images without a file yet, named after their
        // light modes (Fl-Blue, ...), or after a file name without a minus.
        doc.reset(new ProbeMultiDocument());
        ProbeMultiDocument opened(mSample);
        for (int c = 0; c < 3; ++c) {
            ImageFile record(*opened.Image(c));
            if (source == QLatin1String("no minus"))
                record.SetTag(KyItemName::FilePath, "/c/x/2024.05.06_10.11.02_Fl.tif");
            else
                record.RemoveTag(KyItemName::FilePath);
            doc->records()[c] = record;
        }
        QCOMPARE(doc->Image(0)->ChannelName(),
                 source == QLatin1String("no minus") ? QStringLiteral("Fl") : QStringLiteral("Fl-Blue"));
    }
    doc->setSplitMode(splitMode);
    const QString base = doc->BaseName(prefix);
    QVERIFY(!base.isEmpty());
    QStringList expected;
    for (const QString &mark : marks)
        expected << base + mark + part;
    QCOMPARE(doc->SaveFileNames(prefix), expected);
}

void TestKyMultiDocument::cleanName()
{
    ProbeMultiDocument opened(mSample);
    QCOMPARE(opened.CleanName(), lastSection(mSample) + "-Blue.tif");

    ProbeMultiDocument fresh;
    ImageFile image = uniformImage(8, 8, 9);
    image.SetTag(KyItemName::DateTime, QStringLiteral("2024:05:06 10:11:02"));
    fresh.records()[2] = image;
    QCOMPARE(fresh.CleanName(), QStringLiteral("20240506_101102_Fl"));
}

KY_TEST_MAIN_WITH(QGuiApplication, TestKyMultiDocument)
#include "tst_kymultidocument.moc"
