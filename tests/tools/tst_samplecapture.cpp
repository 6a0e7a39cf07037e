// The sample-capture tool: it is run as a program at a small size, and what it writes is read back
// by independent readers (libtiff's tiffinfo, tifffile, Pillow, numpy and scipy through
// samplecheck.py) and by the program's own reader: folder layouts and file names as the instrument
// writes them, the metadata items, the pixel content (dark offset, sloped background, lanes,
// ladders, the saturated band, the channels' own bands), the pictures beside the images, repeatable
// output, and refused arguments.

#include "testmain.h"

#include "image/imagefile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cmath>

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");
constexpr int kWidth = 160;
constexpr int kHeight = 240;
constexpr int kLanes = 5;
constexpr int kDarkOffset = 1000;

using Run = kytest::ProgramRun;

Run run(const QString &inProgram, const QStringList &inArguments)
{
    return kytest::runCaptured(inProgram, inArguments);
}

Run runTool(const QStringList &inArguments)
{
    return run(QStringLiteral(KY_SAMPLECAPTURE), inArguments);
}

// The instrument's capture file names, tested on a file name without its extension.
bool followsCapturePattern(const QString &inBaseName)
{
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(QStringLiteral(
        "(.*\\s)?\\d{4}.\\d{2}.\\d{2}_\\d{2}.\\d{2}.\\d{2}(-(\\d{1,2}|S[a-z]))?(-\\d{1})?_((Ch|Co)|(Fl-(Blue|Green|Red|UV|Custom))|Fl)")));
    return pattern.match(inBaseName).hasMatch();
}

// Every file below a folder, as paths relative to it, sorted.
QStringList filesBelow(const QString &inFolder)
{
    QStringList files;
    QDirIterator it(inFolder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(inFolder).relativeFilePath(it.next());
    files.sort();
    return files;
}

QByteArray fileBytes(const QString &inPath)
{
    QFile file(inPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString pixelMd5(const ImageFile &inImage)
{
    const QByteArray bytes(reinterpret_cast<const char *>(inImage.ConstData()),
                           qsizetype(inImage.Width()) * inImage.Height() * 2);
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

QList<int> ints(const QJsonValue &inArray)
{
    QList<int> values;
    for (const QJsonValue &v : inArray.toArray())
        values << v.toInt();
    return values;
}

// The keys of a description text, line by line.
QStringList descriptionKeys(const QString &inText)
{
    QStringList keys;
    for (const QString &line : inText.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        keys << line.section(QStringLiteral(" = "), 0, 0);
    return keys;
}

} // namespace

class TestSampleCapture : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString root;
    QStringList folders; // as the tool printed them
    QJsonObject files;   // samplecheck.py's facts by relative path
    QJsonObject pairs;

    // The one file (relative path) whose name ends with the suffix.
    QString file(const QString &inSuffix) const
    {
        QStringList found;
        for (const QString &key : files.keys()) {
            if (key.endsWith(inSuffix))
                found << key;
        }
        return found.size() == 1 ? found.first() : QString();
    }

    QJsonObject facts(const QString &inSuffix) const { return files.value(file(inSuffix)).toObject(); }

    QString folderOf(const QString &inKindMark) const
    {
        for (const QString &folder : folders) {
            if (QFileInfo(folder).fileName().startsWith(inKindMark))
                return folder;
        }
        return QString();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        root = dir.filePath(QStringLiteral("first"));
        const Run tool = runTool({root, QStringLiteral("--size"), QStringLiteral("%1x%2").arg(kWidth).arg(kHeight),
                                  QStringLiteral("--seed"), QStringLiteral("7")});
        QVERIFY2(tool.exitCode == 0, qPrintable(tool.err));
        QCOMPARE(tool.err, QString());
        folders = tool.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(folders.size(), 4);

        const Run check = run(kPython, {kytest::sourceDir() + QStringLiteral("/tests/tools/samplecheck.py"), root});
        QVERIFY2(check.exitCode == 0, qPrintable(check.err));
        QJsonParseError error;
        const QJsonObject all = QJsonDocument::fromJson(check.out.toUtf8(), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        files = all.value(QStringLiteral("files")).toObject();
        pairs = all.value(QStringLiteral("pairs")).toObject();
        QCOMPARE(files.size(), 12);
    }

    // Each kind's folder, named after its capture and holding exactly the instrument's files, which
    // the document factory's rules classify as that kind.
    void layout_data()
    {
        QTest::addColumn<QString>("mark");
        QTest::addColumn<QStringList>("suffixes");
        QTest::addColumn<int>("tiffCount");
        QTest::newRow("gel") << "Chemi " << QStringList{".jpg", ".tif"} << 1;
        QTest::newRow("marker") << "Marker " << QStringList{"+Marker.jpg", "-Marker.jpg", "-Marker.tif", ".tif"} << 2;
        QTest::newRow("fluor") << "Fluor " << QStringList{"-Blue.tif", "-Green.tif", "-Red.tif", ".jpg"} << 3;
        QTest::newRow("color") << "Stain " << QStringList{".jpg", ".tif"} << 1;
    }

    void layout()
    {
        QFETCH(QString, mark);
        QFETCH(QStringList, suffixes);
        QFETCH(int, tiffCount);
        const QString folder = folderOf(mark);
        QVERIFY(!folder.isEmpty());
        QCOMPARE(QFileInfo(folder).absolutePath(), QFileInfo(root).absoluteFilePath());
        const QString name = QFileInfo(folder).fileName();
        QVERIFY2(followsCapturePattern(name), qPrintable(name));

        QStringList expected;
        for (const QString &suffix : suffixes)
            expected << name + suffix;
        expected.sort();
        QCOMPARE(filesBelow(folder), expected);

        // Every file is the capture's name, or that name with the marker suffixes, and follows the
        // capture pattern apart from them.
        for (const QString &fileName : expected) {
            QString stem = QFileInfo(fileName).completeBaseName();
            stem.remove(QRegularExpression(QStringLiteral("[-+]Marker$")));
            QVERIFY2(followsCapturePattern(stem), qPrintable(fileName));
        }

        // The factory's view: the TIFF files, narrowed from any one of them to its capture by the
        // text before its last "-" (else before its last "."), are all of them.
        const QStringList tiffs = QDir(folder).entryList({QStringLiteral("*.tif")}, QDir::Files);
        QCOMPARE(tiffs.size(), tiffCount);
        for (const QString &tiff : tiffs) {
            const QString prefix = tiff.contains(QLatin1Char('-')) ? tiff.section(QLatin1Char('-'), 0, -2)
                                                                   : tiff.section(QLatin1Char('.'), 0, -2);
            QCOMPARE(QDir(folder).entryList({prefix + QStringLiteral("*.tif")}, QDir::Files).size(), tiffCount);
        }
        const QString tail = name.section(QLatin1Char('_'), -1);
        QCOMPARE(tail.startsWith(QLatin1String("Co")), mark == QLatin1String("Stain "));
    }

    // The files pass libtiff's reader, and tifffile sees the instrument's form (one page, one
    // strip, 16 bit, little-endian, uncompressed) with the pixels the program's reader gets, and a
    // description whose lines are the instrument's items in the instrument's order.
    void interop()
    {
        const QStringList order{"Comment", "Method", "Light", "Filter", "Tray position", "Exposure time",
                                "Channel", "Date time", "Temperature", "Door status", "Binning", "Software",
                                "Serial number", "Instrument", "Darkframe", "Dark offset", "Spotting",
                                "Flatframe", "Distortion", "Invert", "OD parameter", "Expand", "Image split",
                                "Range low", "Range high", "Zoom", "Sum"};
        int tiffs = 0;
        for (const QString &rel : files.keys()) {
            if (!rel.endsWith(QLatin1String(".tif")))
                continue;
            ++tiffs;
            const QString path = QDir(root).filePath(rel);
            const Run info = run(QStringLiteral("tiffinfo"), {path});
            QVERIFY2(info.exitCode == 0 && info.err.isEmpty(), qPrintable(rel + QLatin1Char(' ') + info.err));

            const QJsonObject f = files.value(rel).toObject();
            QCOMPARE(f.value("pages").toInt(), 1);
            QCOMPARE(f.value("width").toInt(), kWidth);
            QCOMPARE(f.value("height").toInt(), kHeight);
            QCOMPARE(f.value("dtype").toString(), QStringLiteral("uint16"));
            QCOMPARE(f.value("byteorder").toString(), QStringLiteral("<"));
            QCOMPARE(f.value("compression").toInt(), 1);
            QCOMPARE(f.value("stripCount").toInt(), 1);
            QCOMPARE(f.value("photometric").toInt(), 0); // shown negative, as a capture starts
            QCOMPARE(f.value("model").toString(), QStringLiteral("Brevik Ziredo 410"));
            QCOMPARE(f.value("resolutionUnit").toInt(), 3);

            ImageFile image;
            QVERIFY(ImageFile::Read(path, image));
            QCOMPARE(f.value("md5").toString(), pixelMd5(image));

            QStringList expected = order;
            if (!rel.contains(QLatin1String("_Fl-")))
                expected.removeOne(QStringLiteral("Channel"));
            QCOMPARE(descriptionKeys(f.value("description").toString()), expected);
        }
        QCOMPARE(tiffs, 7);
    }

    // The items as the instrument writes them, read back by the program: names, light modes,
    // channels, exposure, binning and pixel size of the size written, the automatic display range.
    void items_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("method");
        QTest::addColumn<QString>("light");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("tray");
        QTest::addColumn<QString>("exposure");
        QTest::addColumn<QString>("channel");
        QTest::addColumn<int>("lightMode");
        QTest::addColumn<QString>("channelName");
        QTest::addColumn<double>("pixelSize");
        const QString upperEpi = QStringLiteral("Upper EPI White-Blue,Upper EPI White-Green,Upper EPI White-Red");
        const QString trans = QStringLiteral("Trans White-Blue,Trans White-Green,Trans White-Red");
        QTest::newRow("gel") << "31_Ch.tif" << "Chemiluminescence" << "None" << "Through" << "Upper" << "30.0 s" << "" << 0 << "Ch" << 646.7;
        QTest::newRow("marker sample") << "45_Ch.tif" << "Chemiluminescence" << "None" << "Through" << "Upper" << "30.0 s" << "" << 0 << "Ch" << 646.7;
        QTest::newRow("marker") << "_Ch-Marker.tif" << "Colorimetric" << upperEpi << "Through" << "Upper" << "Automatic" << "" << 11 << "Ch-Marker" << 646.7;
        QTest::newRow("blue") << "_Fl-Blue.tif" << "Blue" << "460 nm" << "Cy2" << "Lower" << "4.0 s" << "1" << 2 << "Fl-Blue" << 1278.5;
        QTest::newRow("green") << "_Fl-Green.tif" << "Green" << "520 nm" << "Cy3" << "Lower" << "8.0 s" << "2" << 3 << "Fl-Green" << 1278.5;
        QTest::newRow("red") << "_Fl-Red.tif" << "Red" << "630 nm" << "Cy5" << "Lower" << "15.0 s" << "3" << 4 << "Fl-Red" << 1278.5;
        QTest::newRow("color") << "_Co.tif" << "Colorimetric" << trans << "Through" << "Lower" << "Automatic" << "" << 11 << "Co" << 1278.5;
    }

    void items()
    {
        QFETCH(QString, suffix);
        QFETCH(QString, method);
        QFETCH(QString, light);
        QFETCH(QString, filter);
        QFETCH(QString, tray);
        QFETCH(QString, exposure);
        QFETCH(QString, channel);
        QFETCH(int, lightMode);
        QFETCH(QString, channelName);
        QFETCH(double, pixelSize);
        const QString rel = file(suffix);
        QVERIFY2(!rel.isEmpty(), qPrintable(suffix));
        ImageFile image;
        QVERIFY(ImageFile::Read(QDir(root).filePath(rel), image));

        QCOMPARE(image.Tag("Method"), method);
        QCOMPARE(image.Tag("Light"), light);
        QCOMPARE(image.Tag("Filter"), filter);
        QCOMPARE(image.Tag("Tray position"), tray);
        QCOMPARE(image.Tag("Exposure time"), exposure);
        QCOMPARE(image.Tag("Channel"), channel);
        QCOMPARE(image.LightMode().id(), lightMode);
        QCOMPARE(image.ChannelName(), channelName);
        QCOMPARE(image.Tag("Binning"), QStringLiteral("H16V8")); // the binning of a 160-pixel width
        QVERIFY2(std::abs(image.PixelSize() - pixelSize) < 0.051, qPrintable(image.Tag("Pixel size")));
        QCOMPARE(image.Tag("Dark offset"), QString::number(kDarkOffset));
        QCOMPARE(image.Tag("Instrument"), QStringLiteral("Brevik Ziredo 410"));
        QVERIFY(image.Tag("Comment").startsWith(QLatin1String("Synthetic ")));
        QVERIFY(image.Tag("Comment").endsWith(QLatin1String("(seed 7)")));
        QVERIFY(image.IsNegative());
        QCOMPARE(image.Tag("Invert"), QString(method == QLatin1String("Colorimetric") ? "Yes" : "No"));
        QCOMPARE(image.Tag("OD parameter").isEmpty(), suffix != QLatin1String("_Co.tif"));

        // The capture time is the file name's, for the images the capture is named after.
        const QRegularExpressionMatch stamp =
            QRegularExpression(QStringLiteral(" (\\d{4}).(\\d{2}).(\\d{2})_(\\d{2}).(\\d{2}).(\\d{2})_")).match(rel);
        QVERIFY(stamp.hasMatch());
        const QString named = QStringLiteral("%1:%2:%3 %4:%5:%6")
                                  .arg(stamp.captured(1), stamp.captured(2), stamp.captured(3), stamp.captured(4),
                                       stamp.captured(5), stamp.captured(6));
        if (!suffix.endsWith(QLatin1String("-Marker.tif")))
            QCOMPARE(image.Tag("Date time"), named);
        else
            QVERIFY(image.Tag("Date time") > named); // the marker is taken after the sample

        // The stored display range is the image's automatic range.
        ImageFile ranged(image);
        ranged.AutoRange();
        QCOMPARE(image.RangeLow(), ranged.RangeLow());
        QCOMPARE(image.RangeHigh(), ranged.RangeHigh());
    }

    // What the pixels show, measured by numpy and scipy.
    void pixels()
    {
        const double pitch = 0.6 * kWidth / kLanes;
        const QJsonObject gel = facts("31_Ch.tif");
        QVERIFY(!gel.isEmpty());
        // The dark offset under a background that slopes down and across.
        QVERIFY(gel.value("min").toInt() > kDarkOffset);
        QVERIFY(gel.value("p001").toDouble() < kDarkOffset + 2500);
        QVERIFY(gel.value("bottomLeft").toDouble() > gel.value("topLeft").toDouble() + 800);
        QVERIFY(gel.value("topRight").toDouble() > gel.value("topLeft").toDouble() + 300);
        // Five lanes, the first a ten-band ladder, every other with its bands.
        QCOMPARE(gel.value("laneRuns").toInt(), kLanes);
        const QJsonArray gelPeaks = gel.value("lanePeaks").toArray();
        QCOMPARE(gelPeaks.at(0).toArray().size(), 10);
        for (int lane = 1; lane < kLanes; ++lane)
            QVERIFY2(gelPeaks.at(lane).toArray().size() >= 2, qPrintable(QString::number(lane)));
        // One band saturated: one patch of 65535 across lane 2, a few rows high.
        const QJsonObject saturated = gel.value("saturated").toObject();
        QVERIFY(saturated.value("count").toInt() > 0);
        QCOMPARE(saturated.value("regions").toInt(), 1);
        QVERIFY(saturated.value("longestRun").toInt() >= 3);
        QVERIFY(saturated.value("left").toInt() >= 0.2 * kWidth + pitch);
        QVERIFY(saturated.value("right").toInt() < 0.2 * kWidth + 2 * pitch);
        QVERIFY(saturated.value("bottom").toInt() - saturated.value("top").toInt() < 0.05 * kHeight);

        // The marker capture's sample is the same blot; its marker shows the blot's ladder, bright,
        // at the same rows, and nothing in the other lanes.
        const QJsonObject sample = facts("45_Ch.tif");
        QCOMPARE(sample.value("md5").toString(), gel.value("md5").toString());
        const QJsonObject marker = facts("_Ch-Marker.tif");
        const QJsonArray markerPeaks = marker.value("lanePeaks").toArray();
        QCOMPARE(ints(markerPeaks.at(0)), ints(gelPeaks.at(0)));
        for (int lane = 1; lane < kLanes; ++lane)
            QCOMPARE(markerPeaks.at(lane).toArray().size(), 0);
        QVERIFY(marker.value("max").toInt() > marker.value("topLeft").toDouble() + 10000);

        // Three channels, each with its own bands: many in blue, one in green, one more in red from
        // lane 4 on; all show the ladder.
        const QJsonObject blue = facts("_Fl-Blue.tif");
        const QJsonObject green = facts("_Fl-Green.tif");
        const QJsonObject red = facts("_Fl-Red.tif");
        QVERIFY(blue.value("md5") != green.value("md5") && green.value("md5") != red.value("md5"));
        for (int lane = 0; lane < kLanes; ++lane) {
            const int b = blue.value("lanePeaks").toArray().at(lane).toArray().size();
            const int g = green.value("lanePeaks").toArray().at(lane).toArray().size();
            const int r = red.value("lanePeaks").toArray().at(lane).toArray().size();
            if (lane == 0) {
                QCOMPARE(b, 10);
                QCOMPARE(g, 10);
                QCOMPARE(r, 10);
            } else {
                QVERIFY2(b >= 4, qPrintable(QString::number(lane)));
                QCOMPARE(g, 1);
                QCOMPARE(r, lane >= 3 ? 2 : 1);
            }
        }

        // The stained gel: five lanes, the ladder's ten bands.
        const QJsonObject stain = facts("_Co.tif");
        QCOMPARE(stain.value("laneRuns").toInt(), kLanes);
        QCOMPARE(stain.value("lanePeaks").toArray().at(0).toArray().size(), 10);

        // Only the blot saturates.
        for (const char *suffix : {"_Ch-Marker.tif", "_Fl-Blue.tif", "_Fl-Green.tif", "_Fl-Red.tif", "_Co.tif"})
            QCOMPARE(facts(QString::fromLatin1(suffix)).value("saturated").toObject().value("count").toInt(), 0);
    }

    // The pictures decode, have the images' size and resolution, and show what the grey images hold.
    void pictures()
    {
        for (const QString &rel : files.keys()) {
            if (!rel.endsWith(QLatin1String(".jpg")))
                continue;
            const QJsonObject f = files.value(rel).toObject();
            QCOMPARE(f.value("format").toString(), QStringLiteral("JPEG"));
            QCOMPARE(f.value("width").toInt(), kWidth);
            QCOMPARE(f.value("height").toInt(), kHeight);
            // The blot's display picture is grey; the others are colour.
            QCOMPARE(f.value("mode").toString(), QString(rel.endsWith(QLatin1String("31_Ch.jpg")) ? "L" : "RGB"));
            const double pixelSize = rel.contains(QLatin1String("_Ch")) ? 646.7 : 1278.5;
            const QList<int> dpi = ints(f.value("dpi"));
            QCOMPARE(dpi.size(), 2);
            QVERIFY2(std::abs(dpi.at(0) - 25400.0 / pixelSize) <= 1.0, qPrintable(rel));
        }
        QCOMPARE(pairs.value(file("31_Ch.jpg")).toObject().value("withGrey").toDouble() > 0.9, true);
        QCOMPARE(pairs.value(file("_Ch-Marker.jpg")).toObject().value("withGrey").toDouble() > 0.95, true);
        QCOMPARE(pairs.value(file("_Co.jpg")).toObject().value("withGrey").toDouble() > 0.95, true);
        const QJsonObject overlay = pairs.value(file("_Ch+Marker.jpg")).toObject();
        QVERIFY(overlay.value("darkerThanMarker").toBool());
        QVERIFY(overlay.value("withSample").toDouble() > 0.5);
        // Red, green and blue of the composite are channels 3, 2 and 1.
        for (const QJsonValue &c : pairs.value(file("_Fl.jpg")).toObject().value("channels").toArray())
            QVERIFY(c.toDouble() > 0.7);
        // The stain takes red light and passes blue.
        const QJsonArray mean = facts("_Co.jpg").value("mean").toArray();
        QVERIFY(mean.at(2).toDouble() > mean.at(0).toDouble() + 10);
    }

    // The same arguments write the same bytes; another seed other pixels under the same names.
    void repeatable()
    {
        const QString again = dir.filePath(QStringLiteral("again"));
        const QString other = dir.filePath(QStringLiteral("other"));
        const QString size = QStringLiteral("%1x%2").arg(kWidth).arg(kHeight);
        QCOMPARE(runTool({again, "--size", size, "--seed", "7"}).exitCode, 0);
        QCOMPARE(runTool({other, "--size", size, "--seed", "8", "--kinds", "fluor,gel"}).exitCode, 0);

        const QStringList written = filesBelow(root);
        QCOMPARE(filesBelow(again), written);
        for (const QString &rel : written)
            QVERIFY2(fileBytes(QDir(root).filePath(rel)) == fileBytes(QDir(again).filePath(rel)), qPrintable(rel));

        const QStringList others = filesBelow(other);
        QCOMPARE(others.size(), 6);
        for (const QString &rel : others) {
            QVERIFY(written.contains(rel));
            if (!rel.endsWith(QLatin1String(".tif")))
                continue;
            ImageFile a, b;
            QVERIFY(ImageFile::Read(QDir(root).filePath(rel), a));
            QVERIFY(ImageFile::Read(QDir(other).filePath(rel), b));
            QVERIFY2(pixelMd5(a) != pixelMd5(b), qPrintable(rel));
        }
    }

    // Without a size the captures have the instrument's full-frame size.
    void defaultSize()
    {
        const QString folder = dir.filePath(QStringLiteral("full"));
        const Run tool = runTool({folder, "--kinds", "gel"});
        QCOMPARE(tool.exitCode, 0);
        const QString capture = tool.out.trimmed();
        ImageFile image;
        QVERIFY(ImageFile::Read(capture + QLatin1Char('/') + QFileInfo(capture).fileName() + QStringLiteral(".tif"), image));
        QCOMPARE(image.Width(), 2046);
        QCOMPARE(image.Height(), 3072);
        QCOMPARE(image.Tag("Binning"), QStringLiteral("H1V1"));
        QVERIFY(std::abs(image.PixelSize() - 40.4) < 0.051);
        QCOMPARE(image.MaxValue(), quint16(65535));
    }

    // A picture that does not reach the disk fails the run: its name leads to a full device.
    void pictureOnAFullDiskFails()
    {
        if (!QFileInfo(QStringLiteral("/dev/full")).exists())
            QSKIP("no /dev/full on this machine");
        QTemporaryDir scratch;
        const Run first = runTool({scratch.filePath(QStringLiteral("first")), "--size", "64x64", "--kinds", "gel"});
        QCOMPARE(first.exitCode, 0);
        const QString name = QFileInfo(first.out.trimmed()).fileName();

        const QString capture = scratch.filePath(QStringLiteral("full/") + name);
        QVERIFY(QDir().mkpath(capture));
        const QString picture = capture + QLatin1Char('/') + name + QStringLiteral(".jpg");
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), picture));
        const Run tool = runTool({scratch.filePath(QStringLiteral("full")), "--size", "64x64", "--kinds", "gel"});
        QCOMPARE(tool.exitCode, 1);
        QVERIFY2(tool.err.startsWith(QStringLiteral("samplecapture: Cannot write ") + picture), qPrintable(tool.err));
        QCOMPARE(tool.out, QString());
    }

    // Arguments the tool refuses: a message, a failing exit code, nothing written.
    void refusals_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("no folder") << QStringList{} << 2;
        QTest::newRow("two folders") << QStringList{"@", "b"} << 2;
        QTest::newRow("size without height") << QStringList{"@", "--size", "64"} << 2;
        QTest::newRow("size too small") << QStringList{"@", "--size", "31x64"} << 2;
        QTest::newRow("size too large") << QStringList{"@", "--size", "64x4097"} << 2;
        QTest::newRow("negative seed") << QStringList{"@", "--seed", "-3"} << 2;
        QTest::newRow("seed not a number") << QStringList{"@", "--seed", "seven"} << 2;
        QTest::newRow("unknown kind") << QStringList{"@", "--kinds", "gel,film"} << 2;
        QTest::newRow("no kind") << QStringList{"@", "--kinds", ","} << 2;
        QTest::newRow("unknown option") << QStringList{"@", "--colour"} << 2;
        QTest::newRow("folder is a file") << QStringList{"@file", "--size", "64x64"} << 1;
    }

    void refusals()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QTemporaryDir scratch;
        const QString target = scratch.filePath(QStringLiteral("out"));
        QFile blocker(scratch.filePath(QStringLiteral("file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        for (QString &argument : arguments) {
            if (argument == QLatin1String("@"))
                argument = target;
            else if (argument == QLatin1String("@file"))
                argument = blocker.fileName();
        }
        const Run tool = runTool(arguments);
        QCOMPARE(tool.exitCode, exitCode);
        QVERIFY(tool.err.startsWith(QLatin1String("samplecapture: ")));
        QCOMPARE(tool.out, QString());
        QVERIFY(!QFileInfo::exists(target));
        QVERIFY(QFileInfo(blocker.fileName()).isFile());
        QCOMPARE(QFileInfo(blocker.fileName()).size(), 0);
    }
};

KY_TEST_MAIN(TestSampleCapture)
#include "tst_samplecapture.moc"
