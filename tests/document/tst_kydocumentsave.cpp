// Writing the images of a save: the split modes (file tree, part sizes and pixels, read back by
// tifffile and Pillow through tests/document/reference/splittree.py), the items of the parts, single
// TIFF and JPEG files with their suffix rules, and saves that fail part-way.

#include "pythonreference.h"
#include "savedfiles.h"
#include "syncedpaths.h"
#include "testdocument.h"
#include "testmain.h"

#include "document/kysafefile.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

using namespace kytest;

namespace {

const QString kOldPath = QStringLiteral("/old/place/x.tif");

// Grey levels that change along both axes, so that a part cut from the wrong place shows.
ImageFile patternImage(int inWidth, int inHeight)
{
    ImageFile image = makeImage(inWidth, inHeight, [](int x, int y) { return quint16(1000 + 53 * x + 181 * y); });
    image.SetRangeLow(1000);
    image.SetRangeHigh(53000);
    image.SetComment(QStringLiteral("Split check"));
    image.SetTag(KyItemName::FilePath, kOldPath);
    return image;
}


QJsonArray rectJson(const QString &inText)
{
    QJsonArray array;
    for (const QString &v : inText.split(QLatin1Char(' ')))
        array.append(v.toInt());
    return array;
}

} // namespace

class TestKyDocumentSave : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void splitModes_data();
    void splitModes();
    void splitFailsPartWay_data();
    void splitFailsPartWay();
    void splitKeepsOldFileWhenWriteFails_data();
    void splitKeepsOldFileWhenWriteFails();
    void saveAsTiff_data();
    void saveAsTiff();
    void saveAsTiffRefused();
    void saveAsJpeg_data();
    void saveAsJpeg();
    void blockedTargets_data();
    void blockedTargets();
    void newFoldersAreSynced();
};

void TestKyDocumentSave::initTestCase()
{
    QVERIFY2(QFile::exists(QStringLiteral("/usr/bin/python3")), "Debian's python3 with tifffile and Pillow is needed");
}

void TestKyDocumentSave::splitModes_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("folderForm");
    QTest::addColumn<QString>("fileSuffix");
    QTest::addColumn<QString>("initialSplit");
    // Per part: "name|Image split|TIFF width height|TIFF x y (or - for a resampled part)|JPEG x y w h".
    QTest::addColumn<QStringList>("parts");
    QTest::addColumn<bool>("recordPathChanges");

    QTest::newRow("mode 0 without split item") << 0 << 160 << 240 << "plain" << "" << ""
        << QStringList{"B_Ch|none|160 240|0 0|0 0 160 240"} << true;
    QTest::newRow("mode 0 keeps vertical-left") << 0 << 160 << 240 << "slash" << "" << "vertical-left"
        << QStringList{"B_Ch|vertical-left|160 240|0 0|0 0 160 240"} << true;
    QTest::newRow("mode 1 halves") << 1 << 160 << 240 << "slash" << "" << ""
        << QStringList{"B-1_Ch|vertical-left|80 240|0 0|0 0 80 240", "B-2_Ch|vertical-right|80 240|80 0|80 0 80 240"}
        << false;
    QTest::newRow("mode 1 odd width") << 1 << 161 << 240 << "plain" << "" << "upper-left"
        << QStringList{"B-1_Ch|vertical-left|80 240|0 0|0 0 80 240", "B-2_Ch|vertical-right|80 240|80 0|80 0 80 240"}
        << false;
    QTest::newRow("mode 2 odd height, file suffix") << 2 << 160 << 241 << "plain" << "-M" << ""
        << QStringList{"B-1_Ch|horizontal-upper|160 120|0 0|0 0 160 120",
                       "B-2_Ch|horizontal-lower|160 120|0 120|0 120 160 120"}
        << false;
    QTest::newRow("mode 3 quadrants, backslashes") << 3 << 160 << 240 << "backslash" << "" << ""
        << QStringList{"B-1_Ch|upper-left|80 120|0 0|0 0 80 120", "B-2_Ch|upper-right|80 120|80 0|80 0 80 120",
                       "B-3_Ch|lower-left|80 120|0 120|0 120 80 120", "B-4_Ch|lower-right|80 120|80 120|80 120 80 120"}
        << false;
    QTest::newRow("mode 4 centre") << 4 << 160 << 240 << "plain" << "-M" << ""
        << QStringList{"B_Ch|center|100 150|30 45|30 45 100 150"} << true;
    // 0.1875 x 161 = 30.19, 0.625 x 161 = 100.6: the TIFF part is resampled from the unrounded
    // rectangle; the JPEG part is a copy of the truncated one.
    QTest::newRow("mode 4 centre of an odd size") << 4 << 161 << 241 << "plain" << "" << ""
        << QStringList{"B_Ch|center|100 150|-|30 45 100 150"} << true;
    QTest::newRow("mode 5 writes nothing") << 5 << 160 << 240 << "plain" << "" << "" << QStringList{} << false;
    QTest::newRow("mode -1 writes nothing") << -1 << 160 << 240 << "plain" << "" << "" << QStringList{} << false;
}

void TestKyDocumentSave::splitModes()
{
    QFETCH(int, mode);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QString, folderForm);
    QFETCH(QString, fileSuffix);
    QFETCH(QString, initialSplit);
    QFETCH(QStringList, parts);
    QFETCH(bool, recordPathChanges);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ImageFile image = patternImage(width, height);
    if (!initialSplit.isEmpty())
        image.SetTag(KyItemName::ImageSplit, initialSplit);
    TestDocument doc({image});
    // Lanes the image's height long: longer than a quarter, a centre or a lower half is across.
    QVERIFY(doc.ParseLanes(QStringLiteral("2,0.8,0,0,%1,0,0,%2,%1,%2").arg(width - 1).arg(height - 1)));
    QVERIFY(doc.HasLaneTemplate());
    doc.WriteAnalysisMetadata();
    doc.setSplitMode(mode);
    ImageFile &record = doc.images()[0];
    QImage display = doc.qImage(0, QRect());
    display.setDotsPerMeterX(doc.DotsPerMeter());
    display.setDotsPerMeterY(doc.DotsPerMeter());
    QCOMPARE(doc.DotsPerMeter(), 33333);

    // The whole image and picture, for the reference.
    QVERIFY(QDir().mkpath(dir.filePath("ref")));
    QVERIFY(ImageFile::Save(dir.filePath("ref/source"), record));
    QVERIFY(display.save(dir.filePath("ref/display.png")));

    const QString out = dir.filePath("out");
    QString folder = out;
    if (folderForm == "slash")
        folder += QLatin1Char('/');
    else if (folderForm == "backslash")
        folder.replace(QLatin1Char('/'), QLatin1Char('\\'));

    QVERIFY(doc.SaveSplitImages(folder, "B", "_Ch", fileSuffix, &record));
    QVERIFY(doc.SaveSplitJpegImages(folder, "B", "_Ch", fileSuffix, &display));

    QStringList expectedFiles;
    QJsonObject rects;
    QJsonObject jpegRects;
    for (const QString &part : std::as_const(parts)) {
        const QStringList f = part.split(QLatin1Char('|'));
        const QString file = f[0] + QLatin1Char('/') + f[0] + fileSuffix;
        expectedFiles << file + ".tif" << file + ".jpg";
        if (f[3] != "-")
            rects.insert(file + ".tif", rectJson(f[3] + QLatin1Char(' ') + f[2]));
        jpegRects.insert(file + ".jpg", rectJson(f[4]));
    }
    expectedFiles.sort();
    QStringList expectedTree;
    for (const QString &file : std::as_const(expectedFiles))
        expectedTree << file.section(QLatin1Char('/'), 0, 0) + QLatin1Char('/') << file;
    expectedTree.removeDuplicates();
    expectedTree.sort();
    // Nothing else: no temporary file, no folder for the report or the unsplit image.
    QCOMPARE(treeOf(out), expectedTree);

    if (!parts.isEmpty()) {
        const QJsonObject result = kytest::runPythonReference(QStringLiteral("document/reference/splittree.py"),
            QJsonObject{{"root", out}, {"source", dir.filePath("ref/source.tif")},
                        {"display", dir.filePath("ref/display.png")}, {"rects", rects}, {"jpegRects", jpegRects}});
        QVERIFY(!result.isEmpty());
        QStringList files;
        for (const QJsonValue &v : result["files"].toArray())
            files << v.toString();
        QCOMPARE(files, expectedFiles);

        for (const QString &part : std::as_const(parts)) {
            const QStringList f = part.split(QLatin1Char('|'));
            const QString file = f[0] + QLatin1Char('/') + f[0] + fileSuffix;
            const QStringList size = f[2].split(QLatin1Char(' '));
            const QJsonObject tif = result["tiff"][file + ".tif"].toObject();
            QCOMPARE(tif["shape"].toArray(), (QJsonArray{size[1].toInt(), size[0].toInt()}));
            QCOMPARE(tif["dtype"].toString(), QStringLiteral("uint16"));
            if (f[3] != "-")
                QVERIFY2(tif["equal"].toBool(), qPrintable(file + ": pixels differ from the source's part"));

            const QJsonObject jpg = result["jpeg"][file + ".jpg"].toObject();
            const QJsonArray jpegRect = rectJson(f[4]);
            QCOMPARE(jpg["size"].toArray(), (QJsonArray{jpegRect[2], jpegRect[3]}));
            // Qt writes the resolution in dots per inch: 33333 dots per metre are 847.
            QCOMPARE(jpg["dpi"].toArray(), (QJsonArray{847, 847}));
            QVERIFY2(jpg["diff"].isDouble() && jpg["diff"].toDouble() < 3.0,
                     qPrintable(file + QStringLiteral(".jpg differs from the picture's part by %1")
                                           .arg(jpg["diff"].toDouble())));

            // The part carries the record's items and display range, with its own "Image split".
            ImageFile written;
            QVERIFY(ImageFile::Read(out + QLatin1Char('/') + file + ".tif", written));
            QCOMPARE(written.Tag(KyItemName::ImageSplit), f[1]);
            QCOMPARE(written.Comment(), QStringLiteral("Split check"));
            QCOMPARE(written.Tag(KyItemName::Lane), record.Tag(KyItemName::Lane));
            QVERIFY(!written.Tag(KyItemName::Lane).isEmpty());
            // Opened, the part keeps the whole capture's frame.
            TestDocument opened(QStringLiteral("/p"), {written});
            QCOMPARE(opened.FormatLanes(), written.Tag(KyItemName::Lane));
            QCOMPARE(written.RangeLow(), quint16(1000));
            QCOMPARE(written.RangeHigh(), quint16(53000));
        }
    }

    // The record: "Image split" set only by mode 0 and only when missing; "File path" moves to the
    // written file for the whole image and the centre only.
    const QString expectedSplit = mode == 0 && initialSplit.isEmpty() ? QStringLiteral("none") : initialSplit;
    QCOMPARE(record.Tag(KyItemName::ImageSplit), expectedSplit);
    const QString newPath = out + QStringLiteral("/B_Ch/B_Ch") + fileSuffix + QStringLiteral(".tif");
    QCOMPARE(record.FilePath(), recordPathChanges ? newPath : kOldPath);
    QCOMPARE(doc.FilePathOfFirstImage(), record.FilePath());
}

void TestKyDocumentSave::splitFailsPartWay_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("jpeg");
    QTest::addColumn<QString>("blocked");
    // Entries the tree holds afterwards besides the blocking folder and an older file in part 3.
    QTest::addColumn<QStringList>("written");

    const QStringList quadrants{"B-1_Ch/", "B-2_Ch/", "B-3_Ch/"};
    QTest::newRow("TIFF quadrants, second blocked") << 3 << false << "B-2_Ch/B-2_Ch.tif"
        << (quadrants + QStringList{"B-1_Ch/B-1_Ch.tif"});
    QTest::newRow("JPEG quadrants, second blocked") << 3 << true << "B-2_Ch/B-2_Ch.jpg"
        << (quadrants + QStringList{"B-1_Ch/B-1_Ch.jpg"});
    QTest::newRow("TIFF whole image blocked") << 0 << false << "B_Ch/B_Ch.tif" << QStringList{"B-3_Ch/", "B_Ch/"};
    QTest::newRow("TIFF centre blocked") << 4 << false << "B_Ch/B_Ch.tif" << QStringList{"B-3_Ch/", "B_Ch/"};
    QTest::newRow("JPEG whole picture blocked") << 0 << true << "B_Ch/B_Ch.jpg" << QStringList{"B-3_Ch/", "B_Ch/"};
    // A file where a part's folder belongs: that folder cannot be made.
    QTest::newRow("TIFF halves, folder of the second is a file") << 1 << false << "B-2_Ch"
        << QStringList{"B-1_Ch/", "B-1_Ch/B-1_Ch.tif", "B-3_Ch/"};
}

// A folder placed at a part's path makes that write fail: the result is false, the parts before it
// stay, later parts are not written, an older file is untouched and no temporary file is left.
void TestKyDocumentSave::splitFailsPartWay()
{
    QFETCH(int, mode);
    QFETCH(bool, jpeg);
    QFETCH(QString, blocked);
    QFETCH(QStringList, written);

    QTemporaryDir dir;
    const QString out = dir.filePath("out");
    const QString older = QStringLiteral("B-3_Ch/B-3_Ch") + (jpeg ? ".jpg" : ".tif");
    QVERIFY(writeBytes(out + QLatin1Char('/') + older, "older file"));
    if (blocked.contains(QLatin1Char('/')))
        QVERIFY(QDir().mkpath(out + QLatin1Char('/') + blocked));
    else
        QVERIFY(writeBytes(out + QLatin1Char('/') + blocked, "a file"));

    TestDocument doc({patternImage(160, 240)});
    doc.setSplitMode(mode);
    ImageFile &record = doc.images()[0];
    QImage display = doc.qImage(0, QRect());
    const bool ok = jpeg ? doc.SaveSplitJpegImages(out, "B", "_Ch", "", &display)
                         : doc.SaveSplitImages(out, "B", "_Ch", "", &record);
    QVERIFY(!ok);

    QStringList expected = written;
    expected << older;
    expected << (blocked.contains(QLatin1Char('/')) ? blocked + QLatin1Char('/') : blocked);
    if (blocked.contains(QLatin1Char('/')))
        expected << blocked.section(QLatin1Char('/'), 0, 0) + QLatin1Char('/');
    expected.removeDuplicates();
    expected.sort();
    QCOMPARE(treeOf(out), expected);
    QCOMPARE(readBytes(out + QLatin1Char('/') + older), QByteArray("older file"));
    // A failed write does not move the record's path.
    QCOMPARE(record.FilePath(), kOldPath);
    for (const QString &entry : std::as_const(written)) {
        if (entry.endsWith(".tif")) {
            ImageFile part;
            QVERIFY(ImageFile::Read(out + QLatin1Char('/') + entry, part));
            QCOMPARE(part.Width(), 80);
        } else if (entry.endsWith(".jpg")) {
            QVERIFY(!QImage(out + QLatin1Char('/') + entry).isNull());
        }
    }
}

void TestKyDocumentSave::splitKeepsOldFileWhenWriteFails_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    // Large parts are written straight to the file, small ones (and JPEG files) from a buffer when
    // the file is committed.
    QTest::newRow("cut while writing") << 160 << 240;
    QTest::newRow("cut in the last buffered bytes") << 16 << 16;
}

// A write cut short (a file-size limit) leaves the older file of that name byte-identical.
void TestKyDocumentSave::splitKeepsOldFileWhenWriteFails()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QTemporaryDir dir;
    const QString out = dir.filePath("out");
    const QStringList olderFiles{"B-1_Ch/B-1_Ch.tif", "B-1_Ch/B-1_Ch.jpg"};
    for (const QString &file : olderFiles)
        QVERIFY(writeBytes(out + QLatin1Char('/') + file, "older file"));

    TestDocument doc({patternImage(width, height)});
    doc.setSplitMode(1);
    ImageFile &record = doc.images()[0];
    QImage display = doc.qImage(0, QRect());
    {
        FileSizeLimit limit(200);
        QVERIFY(limit.isSet());
        QVERIFY(!doc.SaveSplitImages(out, "B", "_Ch", "", &record));
        QVERIFY(!doc.SaveSplitJpegImages(out, "B", "_Ch", "", &display));
    }
    QCOMPARE(treeOf(out), (QStringList{"B-1_Ch/", "B-1_Ch/B-1_Ch.jpg", "B-1_Ch/B-1_Ch.tif"}));
    for (const QString &file : olderFiles)
        QCOMPARE(readBytes(out + QLatin1Char('/') + file), QByteArray("older file"));

    // Without the limit the same save replaces them.
    QVERIFY(doc.SaveSplitImages(out, "B", "_Ch", "", &record));
    QVERIFY(doc.SaveSplitJpegImages(out, "B", "_Ch", "", &display));
    ImageFile part;
    QVERIFY(ImageFile::Read(out + "/B-1_Ch/B-1_Ch.tif", part));
    QCOMPARE(part.Width(), width / 2);
    QCOMPARE(QImage(out + "/B-1_Ch/B-1_Ch.jpg").size(), QSize(width / 2, height));
}

void TestKyDocumentSave::saveAsTiff_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("backslashes");
    QTest::addColumn<QString>("file");

    QTest::newRow("suffix added, folders made") << "as/deep/x" << false << "as/deep/x.tif";
    QTest::newRow("suffix kept") << "as/x.tif" << false << "as/x.tif";
    QTest::newRow("capital suffix is not the suffix") << "as/x.TIF" << false << "as/x.TIF.tif";
    QTest::newRow("backslashes") << "as/deep/x" << true << "as/deep/x.tif";
    QTest::newRow("dotted name") << "as/x.tiff" << false << "as/x.tiff.tif";
}

// One whole TIFF file whatever the split mode; "File path" takes the written path with "/"
// separators and "Image split" is left alone.
void TestKyDocumentSave::saveAsTiff()
{
    QFETCH(QString, path);
    QFETCH(bool, backslashes);
    QFETCH(QString, file);

    QTemporaryDir dir;
    ImageFile image = patternImage(161, 241);
    image.SetTag(KyItemName::ImageSplit, QStringLiteral("vertical-left"));
    TestDocument doc({image});
    doc.setSplitMode(3);
    ImageFile &record = doc.images()[0];
    QString argument = dir.filePath(path);
    if (backslashes)
        argument.replace(QLatin1Char('/'), QLatin1Char('\\'));

    QVERIFY(doc.SaveAsTiff(argument, &record));
    const QString expected = dir.filePath(file);
    QCOMPARE(record.FilePath(), expected);
    QCOMPARE(doc.FilePathOfFirstImage(), expected);
    QCOMPARE(record.Tag(KyItemName::ImageSplit), QStringLiteral("vertical-left"));
    QCOMPARE(treeOf(dir.filePath("as")).filter(QStringLiteral(".tif")),
             QStringList{file.mid(3)});

    ImageFile written;
    QVERIFY(ImageFile::Read(expected, written));
    QCOMPARE(written.Width(), 161);
    QCOMPARE(written.Height(), 241);
    QCOMPARE(written.Tag(KyItemName::ImageSplit), QStringLiteral("vertical-left"));
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(written.ConstData()), 161 * 241 * 2),
             QByteArray(reinterpret_cast<const char *>(record.ConstData()), 161 * 241 * 2));
}

void TestKyDocumentSave::saveAsTiffRefused()
{
    QTemporaryDir dir;
    TestDocument doc({patternImage(16, 16)});
    ImageFile &record = doc.images()[0];
    // The folder cannot be made (a file stands in its place), or the file cannot be written (a
    // folder stands in its place): false, and the record keeps its path.
    QVERIFY(writeBytes(dir.filePath("file"), "a file"));
    QVERIFY(!doc.SaveAsTiff(dir.filePath("file/x"), &record));
    QVERIFY(QDir().mkpath(dir.filePath("taken/x.tif")));
    QVERIFY(!doc.SaveAsTiff(dir.filePath("taken/x"), &record));
    QCOMPARE(treeOf(dir.filePath("taken")), QStringList{"x.tif/"});
    QVERIFY(!doc.SaveAsTiff(dir.filePath("null"), nullptr));
    QCOMPARE(record.FilePath(), kOldPath);
    QVERIFY(!doc.SaveAsJpeg(dir.filePath("file/x"), nullptr));
    QImage picture = doc.qImage(0, QRect());
    QVERIFY(!doc.SaveAsJpeg(dir.filePath("file/x"), &picture));
    QVERIFY(QDir().mkpath(dir.filePath("taken/x.jpg")));
    QVERIFY(!doc.SaveAsJpeg(dir.filePath("taken/x"), &picture));
    QCOMPARE(treeOf(dir.filePath("taken")), (QStringList{"x.jpg/", "x.tif/"}));
    QImage empty;
    QVERIFY(!doc.SaveAsJpeg(dir.filePath("empty"), &empty));
    QVERIFY(!QFile::exists(dir.filePath("empty.jpg")));
}

void TestKyDocumentSave::saveAsJpeg_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("backslashes");
    QTest::addColumn<QString>("file");
    QTest::addColumn<double>("pixelSize");
    QTest::addColumn<int>("dpi");

    // The picture is written with the resolution it carries: the document's dots per metre
    // (33333, 847 dpi, for 30 micrometres) when there is a pixel size, else its own (100 dpi).
    QTest::newRow("suffix added") << "j/deep/x" << false << "j/deep/x.jpg" << 30.0 << 847;
    QTest::newRow("suffix kept") << "j/x.jpg" << false << "j/x.jpg" << 30.0 << 847;
    QTest::newRow("capital suffix") << "j/x.JPG" << false << "j/x.JPG.jpg" << 30.0 << 847;
    QTest::newRow("backslashes") << "j/deep/x" << true << "j/deep/x.jpg" << 30.0 << 847;
    QTest::newRow("no pixel size keeps the resolution") << "j/x" << false << "j/x.jpg" << 0.0 << 100;
}

void TestKyDocumentSave::saveAsJpeg()
{
    QFETCH(QString, path);
    QFETCH(bool, backslashes);
    QFETCH(QString, file);
    QFETCH(double, pixelSize);
    QFETCH(int, dpi);

    QTemporaryDir dir;
    ImageFile image = patternImage(160, 240);
    image.SetPixelSize(pixelSize);
    TestDocument doc({image});
    doc.setSplitMode(3);
    QImage picture = doc.qImage(0, QRect());
    picture.setDotsPerMeterX(3937);
    picture.setDotsPerMeterY(3937);
    // What a kind does before the call; 0 (no pixel size) leaves the picture's resolution.
    picture.setDotsPerMeterX(doc.DotsPerMeter());
    picture.setDotsPerMeterY(doc.DotsPerMeter());
    QVERIFY(picture.save(dir.filePath("display.png")));
    QString argument = dir.filePath(path);
    if (backslashes)
        argument.replace(QLatin1Char('/'), QLatin1Char('\\'));

    QVERIFY(doc.SaveAsJpeg(argument, &picture));
    QCOMPARE(treeOf(dir.filePath("j")).filter(QStringLiteral(".jpg")), QStringList{file.mid(2)});

    // Whole, whatever the split mode: checked with Pillow.
    QVERIFY(ImageFile::Save(dir.filePath("source"), doc.images()[0]));
    const QJsonObject result = kytest::runPythonReference(QStringLiteral("document/reference/splittree.py"),
        QJsonObject{{"root", dir.filePath("j")}, {"source", dir.filePath("source.tif")},
                    {"display", dir.filePath("display.png")}, {"rects", QJsonObject()}, {"jpegRects", QJsonObject()}});
    QVERIFY(!result.isEmpty());
    const QJsonObject jpg = result["jpeg"][file.mid(2)].toObject();
    QCOMPARE(jpg["size"].toArray(), (QJsonArray{160, 240}));
    QCOMPARE(jpg["dpi"].toArray(), (QJsonArray{dpi, dpi}));
    QVERIFY(jpg["diff"].toDouble() < 3.0);
}

// Whether a save sees beforehand that a file cannot be replaced: the rename needs the folder of the
// file replaced (through a link, the folder of the file it names), and the old file must be writable.
void TestKyDocumentSave::blockedTargets_data()
{
    QTest::addColumn<QString>("target"); // below the fixture folder
    QTest::addColumn<bool>("blocked");
    QTest::newRow("new file") << "open/new.tif" << false;
    QTest::newRow("new file in new folders") << "open/a/b/new.tif" << false;
    QTest::newRow("writable file") << "open/x.tif" << false;
    QTest::newRow("read-only file") << "open/read-only.jpg" << true;
    QTest::newRow("folder in the way") << "open/folder.csv" << true;
    QTest::newRow("file in read-only folder") << "closed/x.tif" << true;
    QTest::newRow("new file in read-only folder") << "closed/new.tif" << true;
    QTest::newRow("new folders below read-only folder") << "closed/a/new.tif" << true;
    QTest::newRow("file below a file") << "open/x.tif/new.tif" << true;
    QTest::newRow("link to writable file") << "open/link-open.tif" << false;
    QTest::newRow("link into read-only folder") << "open/link-closed.tif" << true;
    QTest::newRow("link to read-only file") << "open/link-read-only.jpg" << true;
    QTest::newRow("dangling link") << "open/dangling.tif" << true;
}

void TestKyDocumentSave::blockedTargets()
{
    QFETCH(QString, target);
    QFETCH(bool, blocked);
    QTemporaryDir dir;
    const QString open = dir.filePath(QStringLiteral("open"));
    const QString closed = dir.filePath(QStringLiteral("closed"));
    QVERIFY(writeBytes(open + QStringLiteral("/x.tif"), "x"));
    QVERIFY(writeBytes(open + QStringLiteral("/read-only.jpg"), "r"));
    QVERIFY(QFile::setPermissions(open + QStringLiteral("/read-only.jpg"), QFile::ReadOwner));
    QVERIFY(QDir().mkpath(open + QStringLiteral("/folder.csv")));
    QVERIFY(writeBytes(closed + QStringLiteral("/x.tif"), "x"));
    QVERIFY(QFile::link(open + QStringLiteral("/x.tif"), open + QStringLiteral("/link-open.tif")));
    QVERIFY(QFile::link(closed + QStringLiteral("/x.tif"), open + QStringLiteral("/link-closed.tif")));
    QVERIFY(QFile::link(open + QStringLiteral("/read-only.jpg"), open + QStringLiteral("/link-read-only.jpg")));
    QVERIFY(QFile::link(open + QStringLiteral("/gone.tif"), open + QStringLiteral("/dangling.tif")));
    QVERIFY(QFile::setPermissions(closed, QFile::ReadOwner | QFile::ExeOwner));

    bool result;
    {
        const OwnerPermissions permissions;
        result = KySafeFile::IsBlocked(dir.filePath(target));
    }
    QVERIFY(QFile::setPermissions(closed, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QCOMPARE(result, blocked);
}

// The folders a save makes are named in their parents: each parent is synced before the file is
// written, and the file's own folder after the rename.
void TestKyDocumentSave::newFoldersAreSynced()
{
    QTemporaryDir dir;
    const QString root = QFileInfo(dir.path()).canonicalFilePath();
    TestDocument doc({patternImage(40, 60)});
    doc.setSplitMode(1);
    const SyncedPaths synced;
    QVERIFY(doc.SaveSplitImages(root + QStringLiteral("/new/capture"), QStringLiteral("B"), QStringLiteral("_Ch"),
                                QString(), &doc.images()[0]));
    QCOMPARE(synced.list(), (QStringList{root, root + QStringLiteral("/new"), root + QStringLiteral("/new/capture"),
                                         root + QStringLiteral("/new/capture/B-1_Ch"),
                                         root + QStringLiteral("/new/capture"), root + QStringLiteral("/new/capture/B-2_Ch")}));
}

KY_TEST_MAIN_WITH(QGuiApplication, TestKyDocumentSave)
#include "tst_kydocumentsave.moc"
