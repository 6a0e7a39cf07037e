// The three-channel document's saves: save-as (also in place) and the new capture's save, their
// files, progress steps and result codes, refused channel names, and saves that fail part-way.

#include "multifixtures.h"
#include "savedfiles.h"
#include "testdocument.h"
#include "testmain.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

using namespace multitest;

namespace {


QStringList listing(const QString &inFolder)
{
    return kytest::treeOf(inFolder);
}

void addLanes(KyDocument &ioDoc)
{
    ioDoc.SetDefaultLanes(4, 0.8);
    ioDoc.ExtractLaneProfiles();
}

QByteArray pixelBytes(const ImageFile &inImage)
{
    return QByteArray(reinterpret_cast<const char *>(inImage.ConstData()),
                      qsizetype(inImage.Width()) * inImage.Height() * 2);
}

// A new capture holding the sample capture's channel records, not yet written anywhere: their
// names come from their light modes (Fl-Blue, Fl-Green, Fl-Red).
void fillNewCapture(ProbeMultiDocument &ioDoc, const QString &inSample)
{
    ProbeMultiDocument opened(inSample);
    for (int c = 0; c < 3; ++c) {
        ImageFile record(*opened.Image(c));
        record.RemoveTag(KyItemName::FilePath);
        ioDoc.records()[c] = record;
    }
}

} // namespace

class TestKyMultiDocumentSave : public QObject
{
    Q_OBJECT

private slots:
    void saveAsWritesChannelsCompositeAndReport();
    void saveAsWritesTheCachedComposite();
    void saveAsPathWithBackslashes();
    void saveAsEmptyPath();
    void collidingChannelNames_data();
    void collidingChannelNames();
    void saveAsFailsPartWay_data();
    void saveAsFailsPartWay();
    void saveInPlace_data();
    void saveInPlace();
    void saveInPlaceFailsOnFileSizeLimit();
    void unreadChannelKeepsTheComposite();
    void saveNewCapture_data();
    void saveNewCapture();
    void saveNewCaptureFailures_data();
    void saveNewCaptureFailures();
};

void TestKyMultiDocumentSave::saveAsWritesChannelsCompositeAndReport()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString sample = writeFluorCapture(temp.filePath("in"));
    QVERIFY(!sample.isEmpty());
    const auto original = snapshot(sample);

    ProbeMultiDocument doc(sample);
    addLanes(doc);
    QVERIFY(doc.IsDirty());
    QSignalSpy progress(&doc, &KyDocument::SaveProgress);
    const QString out = temp.filePath("out/X");
    QCOMPARE(doc.SaveAs(out), 0);
    QCOMPARE(progress.count(), 5);
    QCOMPARE(progress.count(), doc.SaveStepCount());
    QCOMPARE(listing(temp.filePath("out")),
             (QStringList{"X-Blue.tif", "X-Green.tif", "X-Red.tif", "X.csv", "X.jpg"}));
    QVERIFY(!doc.IsDirty());
    QCOMPARE(doc.kind(), 2);
    QCOMPARE(doc.basePath(), temp.filePath("out"));
    QCOMPARE(doc.FilePathOfFirstImage(), out + ".tif");
    QCOMPARE(snapshot(sample), original);

    const QImage jpeg(out + ".jpg");
    QCOMPARE(jpeg.size(), QSize(160, 240));

    // The written capture opens again with the same pixels and the analysis.
    ProbeMultiDocument again(temp.filePath("out"));
    QCOMPARE(again.basePath(), doc.basePath());
    QCOMPARE(again.ChannelMask(), 0x87);
    QVERIFY(again.HasLaneTemplate());
    QCOMPARE(again.LaneFrame().laneCount(), 4);
    for (int c = 0; c < 3; ++c) {
        QCOMPARE(again.Image(c)->Tag(KyItemName::Channel), QString::number(c + 1));
        QCOMPARE(pixelBytes(*again.Image(c)), pixelBytes(*doc.Image(c)));
    }
}

void TestKyMultiDocumentSave::saveAsWritesTheCachedComposite()
{
    // The composite last shown is saved as it is, whatever selection it was built for.
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString sample = writeFluorCapture(temp.filePath("in"));
    ProbeMultiDocument doc(sample);
    QVERIFY(!doc.qImage(0x81, QRect()).isNull());
    QCOMPARE(doc.SaveAs(temp.filePath("X")), 0);
    const QImage jpeg = QImage(temp.filePath("X.jpg")).convertToFormat(QImage::Format_RGB888);
    QCOMPARE(jpeg.size(), QSize(160, 240));
    qint64 red = 0, green = 0, blue = 0;
    for (int y = 0; y < jpeg.height(); ++y) {
        const uchar *p = jpeg.constScanLine(y);
        for (int x = 0; x < jpeg.width(); ++x, p += 3) {
            red += p[0];
            green += p[1];
            blue += p[2];
        }
    }
    QVERIFY2(blue > 10 * (red + green + 1), qPrintable(QStringLiteral("%1 %2 %3").arg(red).arg(green).arg(blue)));
    QCOMPARE(doc.compositeMask(), 0x81);
}

void TestKyMultiDocumentSave::saveAsPathWithBackslashes()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString sample = writeFluorCapture(temp.filePath("in"));
    ProbeMultiDocument doc(sample);
    QCOMPARE(doc.SaveAs(temp.path() + "\\out\\X"), 0);
    QCOMPARE(listing(temp.filePath("out")), (QStringList{"X-Blue.tif", "X-Green.tif", "X-Red.tif", "X.jpg"}));
    QCOMPARE(doc.Image(2)->FilePath(), temp.filePath("out/X-Red.tif"));
    QCOMPARE(doc.basePath(), temp.filePath("out"));
}

void TestKyMultiDocumentSave::saveAsEmptyPath()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString sample = writeFluorCapture(temp.filePath("in"));
    const auto before = snapshot(temp.path());
    ProbeMultiDocument doc(sample);
    doc.SetComment(QStringLiteral("changed"));
    QSignalSpy progress(&doc, &KyDocument::SaveProgress);
    QCOMPARE(doc.SaveAs(QString()), -13);
    QCOMPARE(progress.count(), 0);
    QVERIFY(doc.IsDirty());
    QCOMPARE(snapshot(temp.path()), before);
}

void TestKyMultiDocumentSave::collidingChannelNames_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<bool>("inPlace");

    const QStringList sameColour{"A-1_Fl.tif|1", "A-2_Fl.tif|2"};
    const QStringList caseOnly{"A_Fl-blue.tif|1", "A_Fl-Blue.tif|2", "A_Fl-Red.tif|3"};
    QTest::newRow("same colour, save-as") << sameColour << false;
    QTest::newRow("same colour, in place") << sameColour << true;
    QTest::newRow("colours differing in case, save-as") << caseOnly << false;
    QTest::newRow("colours differing in case, in place") << caseOnly << true;
}

void TestKyMultiDocumentSave::collidingChannelNames()
{
    QFETCH(QStringList, files);
    QFETCH(bool, inPlace);

    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString folder = temp.filePath("capture");
    QVERIFY(QDir().mkpath(folder));
    quint16 value = 100;
    for (const QString &entry : files)
        QVERIFY(writeChannelFile(folder + QLatin1Char('/') + entry.section('|', 0, 0), uniformImage(16, 12, value++),
                                 entry.section('|', 1)));
    ProbeMultiDocument doc(folder);
    QCOMPARE(doc.ValidImageCount(), files.size());
    addLanes(doc);
    const auto before = snapshot(temp.path());
    QSignalSpy progress(&doc, &KyDocument::SaveProgress);

    // Two channels would be written to one file, the second over the first: nothing is written.
    QCOMPARE(inPlace ? doc.SaveInPlace(true, true, true) : doc.SaveAs(temp.filePath("out/X")), -21);
    QCOMPARE(progress.count(), 0);
    QCOMPARE(snapshot(temp.path()), before);
    QVERIFY(doc.IsDirty());
}

void TestKyMultiDocumentSave::saveAsFailsPartWay_data()
{
    // A folder (or a file) where the save wants to write stops it at that step.
    QTest::addColumn<QString>("blocker"); // relative to the target folder; a trailing "/" makes a folder
    QTest::addColumn<QString>("target");  // the save-as path relative to the temporary folder
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("steps");
    QTest::addColumn<QStringList>("left"); // what the target folder holds afterwards

    // Each is seen before the first file is written: nothing is.
    QTest::newRow("second channel image") << "X-Green.tif/" << "out/X" << -21 << 0 << QStringList{"X-Green.tif/"};
    QTest::newRow("composite") << "X.jpg/" << "out/X" << -22 << 0 << QStringList{"X.jpg/"};
    QTest::newRow("report") << "X.csv/" << "out/X" << -11 << 0 << QStringList{"X.csv/"};
    QTest::newRow("target folder is a file") << "sub" << "out/sub/X" << -21 << 0 << QStringList{"sub"};
}

void TestKyMultiDocumentSave::saveAsFailsPartWay()
{
    QFETCH(QString, blocker);
    QFETCH(QString, target);
    QFETCH(int, code);
    QFETCH(int, steps);
    QFETCH(QStringList, left);

    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString sample = writeFluorCapture(temp.filePath("in"));
    const auto original = snapshot(sample);
    const QString out = temp.filePath("out");
    QVERIFY(QDir().mkpath(out));
    if (blocker.endsWith(QLatin1Char('/'))) {
        QVERIFY(QDir(out).mkdir(blocker.chopped(1)));
    } else {
        QFile file(out + QLatin1Char('/') + blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    ProbeMultiDocument doc(sample);
    addLanes(doc);
    QSignalSpy progress(&doc, &KyDocument::SaveProgress);
    QCOMPARE(doc.SaveAs(temp.filePath(target)), code);
    QCOMPARE(progress.count(), steps);
    // Nothing half-written or temporary is left.
    QCOMPARE(listing(out), left);
    QCOMPARE(snapshot(sample), original);
    QVERIFY(doc.IsDirty());
    QCOMPARE(doc.basePath(), sample);
    QCOMPARE(doc.kind(), 2);
}

void TestKyMultiDocumentSave::saveInPlace_data()
{
    QTest::addColumn<QString>("folder"); // "" the sample capture
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("added"); // files the save adds to the capture folder
    QTest::addColumn<bool>("sameNames");    // the channel files are written under their own names

    QTest::newRow("sample capture") << "" << QStringList{} << QStringList{"@.csv"} << true;
    QTest::newRow("folder name with minus signs")
        << "gel-2024 run-3" << QStringList{"A_Fl-Blue.tif|1", "A_Fl-Red.tif|3"} << QStringList{"A_Fl.csv", "A_Fl.jpg"}
        << true;
    // The channel file is written as <name>-<colour>.tif beside the original, but in the same folder.
    QTest::newRow("folder name with a minus, file name without")
        << "gel-7" << QStringList{"A_Fl.tif|1"} << QStringList{"A_Fl-Fl.tif", "A_Fl.csv", "A_Fl.jpg"} << false;
}

void TestKyMultiDocumentSave::saveInPlace()
{
    QFETCH(QString, folder);
    QFETCH(QStringList, files);
    QFETCH(QStringList, added);
    QFETCH(bool, sameNames);

    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    QString capture;
    if (folder.isEmpty()) {
        capture = writeFluorCapture(temp.path());
    } else {
        capture = temp.filePath(folder);
        QVERIFY(QDir().mkpath(capture));
        quint16 value = 300;
        for (const QString &entry : files)
            QVERIFY(writeChannelFile(capture + QLatin1Char('/') + entry.section('|', 0, 0),
                                     uniformImage(40, 30, value++), entry.section('|', 1)));
    }
    const QString name = lastSection(capture);
    QStringList expected = listing(capture);
    for (const QString &file : added)
        expected << QString(file).replace(QLatin1Char('@'), name);
    expected.sort();
    expected.removeDuplicates();

    ProbeMultiDocument doc(capture);
    addLanes(doc);
    doc.SetComment(QStringLiteral("saved in place"));
    QCOMPARE(doc.SaveInPlace(true, true, true), 0);
    QVERIFY(!doc.IsDirty());
    // Everything lands in the capture's own folder, nothing beside it.
    QCOMPARE(QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{lastSection(capture)});
    QCOMPARE(listing(capture), expected);
    if (!sameNames)
        return;

    ProbeMultiDocument again(capture);
    QCOMPARE(again.Comment(), QStringLiteral("saved in place"));
    QCOMPARE(again.LaneFrame().laneCount(), 4);
    QCOMPARE(again.ChannelMask(), doc.ChannelMask());
}

void TestKyMultiDocumentSave::saveInPlaceFailsOnFileSizeLimit()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString sample = writeFluorCapture(temp.path());
    const auto original = snapshot(temp.path());
    ProbeMultiDocument doc(sample);
    addLanes(doc);
    doc.SetComment(QStringLiteral("not saved"));
    QSignalSpy progress(&doc, &KyDocument::SaveProgress);
    int result = 0;
    {
        const kytest::FileSizeLimit limit(4096);
        QVERIFY(limit.isSet());
        result = doc.SaveInPlace(true, true, true);
    }
    QCOMPARE(result, -21);
    QCOMPARE(progress.count(), 0);
    // Every capture file as it was, no temporary file beside them.
    QCOMPARE(snapshot(temp.path()), original);
    QVERIFY(doc.IsDirty());
    QCOMPARE(doc.kind(), 2);
}

// A channel image that cannot be read is left out, and the capture's composite, which still shows
// it, is not replaced by one without it; a save-as elsewhere makes a two-channel capture whole.
void TestKyMultiDocumentSave::unreadChannelKeepsTheComposite()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString sample = writeFluorCapture(temp.path());
    const QString name = lastSection(sample);
    const QString green = sample + QLatin1Char('/') + name + QStringLiteral("-Green.tif");
    {
        QFile file(green);
        QVERIFY(file.resize(file.size() / 2));
    }
    const QString composite = sample + QLatin1Char('/') + name + QStringLiteral(".jpg");
    const QByteArray compositeBytes = kytest::readBytes(composite);
    const QByteArray greenBytes = kytest::readBytes(green);

    ProbeMultiDocument doc(sample);
    QCOMPARE(doc.UnreadFiles(), QStringList{name + QStringLiteral("-Green.tif")});
    QCOMPARE(doc.ChannelMask(), 0x85);
    addLanes(doc);
    QSignalSpy progress(&doc, &KyDocument::SaveProgress);
    QCOMPARE(doc.SaveInPlace(true, true, true), 0);
    QCOMPARE(progress.count(), doc.SaveStepCount());
    QVERIFY(!doc.IsDirty());
    QCOMPARE(kytest::readBytes(composite), compositeBytes);
    QCOMPARE(kytest::readBytes(green), greenBytes);
    QVERIFY(QFileInfo::exists(sample + QLatin1Char('/') + name + QStringLiteral(".csv")));
    ProbeMultiDocument again(sample);
    QCOMPARE(again.LaneFrame().laneCount(), 4);

    // A new capture holds the two channels the document has; its composite is theirs.
    const QString out = temp.filePath(QStringLiteral("out/X"));
    QCOMPARE(doc.SaveAs(out), 0);
    QCOMPARE(listing(temp.filePath(QStringLiteral("out"))),
             (QStringList{"X-Blue.tif", "X-Red.tif", "X.csv", "X.jpg"}));
    QCOMPARE(QImage(out + QStringLiteral(".jpg")).size(), QSize(160, 240));
    QCOMPARE(kytest::readBytes(composite), compositeBytes);
}

void TestKyMultiDocumentSave::saveNewCapture_data()
{
    QTest::addColumn<int>("splitMode");
    QTest::addColumn<bool>("images");
    QTest::addColumn<bool>("jpeg");
    QTest::addColumn<bool>("report");
    QTest::addColumn<QStringList>("files"); // "@" stands for the base name
    QTest::addColumn<int>("steps");

    QTest::newRow("whole") << 0 << true << true << true
                           << QStringList{"@_Fl/", "@_Fl/@_Fl-Blue.tif", "@_Fl/@_Fl-Green.tif", "@_Fl/@_Fl-Red.tif",
                                          "@_Fl/@_Fl.csv", "@_Fl/@_Fl.jpg"}
                           << 5;
    QTest::newRow("left and right halves")
        << 1 << true << true << true
        << QStringList{"@-1_Fl/", "@-1_Fl/@-1_Fl-Blue.tif", "@-1_Fl/@-1_Fl-Green.tif", "@-1_Fl/@-1_Fl-Red.tif",
                       "@-1_Fl/@-1_Fl.jpg", "@-2_Fl/", "@-2_Fl/@-2_Fl-Blue.tif", "@-2_Fl/@-2_Fl-Green.tif",
                       "@-2_Fl/@-2_Fl-Red.tif", "@-2_Fl/@-2_Fl.jpg", "@_Fl/", "@_Fl/@_Fl.csv"}
        << 5;
    QTest::newRow("composite only") << 0 << false << true << false << QStringList{"@_Fl/", "@_Fl/@_Fl.jpg"} << 1;
}

void TestKyMultiDocumentSave::saveNewCapture()
{
    QFETCH(int, splitMode);
    QFETCH(bool, images);
    QFETCH(bool, jpeg);
    QFETCH(bool, report);
    QFETCH(QStringList, files);
    QFETCH(int, steps);

    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString sample = writeFluorCapture(temp.filePath("in"));
    ProbeMultiDocument doc;
    fillNewCapture(doc, sample);
    doc.setSplitMode(splitMode);
    addLanes(doc);
    const QString base = doc.BaseName(QStringLiteral("S"));
    QVERIFY(base.startsWith(QLatin1String("S ")));
    QCOMPARE(doc.SaveStepCount(), 5);

    QSignalSpy progress(&doc, &KyDocument::SaveProgress);
    const QString dest = temp.filePath("dest");
    QCOMPARE(doc.Save(dest + QLatin1Char('/'), QStringLiteral("S"), images, jpeg, report), 0);
    QCOMPARE(progress.count(), steps);
    QStringList expected;
    for (const QString &file : files)
        expected << QString(file).replace(QLatin1Char('@'), base);
    expected.sort();
    QCOMPARE(listing(dest), expected);
    QVERIFY(!doc.IsDirty());
    QCOMPARE(doc.kind(), 2);
    if (!images)
        return;
    QCOMPARE(doc.basePath(), dest + QLatin1Char('/') + base + "_Fl");
    if (splitMode != 0)
        return;
    const QString part = dest + QLatin1Char('/') + base + "_Fl";
    QCOMPARE(doc.FilePathOfFirstImage(), part + QLatin1Char('/') + base + "_Fl.tif");
    ProbeMultiDocument again(part);
    QCOMPARE(again.ChannelMask(), 0x87);
    QCOMPARE(again.LaneFrame().laneCount(), 4);
    for (int c = 0; c < 3; ++c)
        QCOMPARE(pixelBytes(*again.Image(c)), pixelBytes(*doc.Image(c)));
}

void TestKyMultiDocumentSave::saveNewCaptureFailures_data()
{
    QTest::addColumn<QString>("setup");   // "empty", "opened empty", "same light mode", "fill"
    QTest::addColumn<QString>("blocker"); // under dest, "@" the base name; a trailing "/" makes a folder
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("steps");

    QTest::newRow("no image, no name") << "empty" << "" << -13 << 0;
    QTest::newRow("opened capture without images") << "opened empty" << "" << -14 << 0;
    QTest::newRow("two channels of one colour") << "same light mode" << "" << -21 << 0;
    QTest::newRow("part folder is a file") << "fill" << "@_Fl" << -21 << 0;
    QTest::newRow("third channel image") << "fill" << "@_Fl/@_Fl-Red.tif/" << -21 << 2;
    QTest::newRow("composite") << "fill" << "@_Fl/@_Fl.jpg/" << -22 << 3;
    QTest::newRow("report") << "fill" << "@_Fl/@_Fl.csv/" << -11 << 5;
}

void TestKyMultiDocumentSave::saveNewCaptureFailures()
{
    QFETCH(QString, setup);
    QFETCH(QString, blocker);
    QFETCH(int, code);
    QFETCH(int, steps);

    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString sample = writeFluorCapture(temp.filePath("in"));
    const QString dest = temp.filePath("dest");
    QVERIFY(QDir().mkpath(dest));
    QTemporaryDir empty;
    QVERIFY(empty.isValid());

    QScopedPointer<ProbeMultiDocument> doc(setup == QLatin1String("opened empty") ? new ProbeMultiDocument(empty.path())
                                                                                : new ProbeMultiDocument());
    if (setup == QLatin1String("fill") || setup == QLatin1String("same light mode")) {
        fillNewCapture(*doc, sample);
        addLanes(*doc);
    }
    if (setup == QLatin1String("same light mode"))
        doc->records()[2] = doc->records()[1];
    doc->SetDirty(true);
    const int kind = doc->kind();

    if (!blocker.isEmpty()) {
        const QString path = dest + QLatin1Char('/') + QString(blocker).replace(QLatin1Char('@'), doc->BaseName("S"));
        if (path.endsWith(QLatin1Char('/'))) {
            QVERIFY(QDir().mkpath(path));
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
    }
    const auto before = snapshot(dest);
    const auto original = snapshot(sample);
    QSignalSpy progress(doc.data(), &KyDocument::SaveProgress);
    QCOMPARE(doc->Save(dest, QStringLiteral("S"), true, true, true), code);
    QCOMPARE(progress.count(), steps);
    QVERIFY(doc->IsDirty());
    QCOMPARE(doc->kind(), kind);
    QCOMPARE(snapshot(sample), original);
    if (steps == 0)
        QCOMPARE(snapshot(dest), before);
}

KY_TEST_MAIN_WITH(QGuiApplication, TestKyMultiDocumentSave)
#include "tst_kymultidocumentsave.moc"
