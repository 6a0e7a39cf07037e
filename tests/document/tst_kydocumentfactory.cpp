// The document factory: which kind a capture folder opens as (on folders of hand-made files and on
// the sample tool's captures), the results it refuses, the path forms it takes, and the test for
// this instrument's images.

#include "savedfiles.h"
#include "testmain.h"

#include "document/kycolorimetricdocument.h"
#include "document/kydocument.h"
#include "document/kyitemnames.h"
#include "document/kymultidocument.h"
#include "document/kysingledocument.h"
#include "instrument/capturecondition.h"
#include "image/imagefile.h"
#include "samplecapturewriter.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

#include <atomic>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kInstrument = QStringLiteral("Brevik Ziredo 410");

// A small capture image in a light mode, carrying the instrument's name.
ImageFile captureImage(int inLightMode, quint16 inLevel)
{
    ImageFile image{CaptureCondition(LightMode(inLightMode), 1000, QString())};
    image.Resize(40, 30);
    image.Fill(inLevel);
    image.UpdateHistogram();
    image.SetTag(QStringLiteral("Instrument"), kInstrument);
    image.SetTag(KyItemName::DateTime, QStringLiteral("2024:05:06 10:11:02"));
    return image;
}

// Writes one fixture file. inContent:
//   "chemi"              a chemiluminescence image
//   "ch1", "ch2", "ch3"  a fluorescence image with that "Channel" item
//   "method=<text>"      a chemiluminescence image whose "Method" item is <text>
//   "instrument=<text>"  a chemiluminescence image whose "Instrument" item is <text>
//   "garbage"            bytes that are no TIFF file
//   "photo"              a small colour JPEG picture
//   "link"               a symbolic link to a readable image outside the folder
//   "fifo"               a FIFO: a reader that opens it waits until some writer comes
//   "cut:<content>"      that content cut to half its length
bool writeFixture(const QString &inFolder, const QString &inName, const QString &inContent, const QString &inOutside)
{
    const QString path = inFolder + QLatin1Char('/') + inName;
    const auto saveImage = [&](const ImageFile &inImage) {
        // The codec appends ".tif"; names with another ending are written through a copy.
        if (path.endsWith(QLatin1String(".tif")))
            return ImageFile::Save(path.chopped(4), inImage);
        return false;
    };
    if (inContent == QLatin1String("chemi"))
        return saveImage(captureImage(0, 2000));
    if (inContent.startsWith(QLatin1String("ch"))) {
        const int channel = inContent.mid(2).toInt();
        ImageFile image = captureImage(1 + channel, quint16(1000 * channel));
        image.SetTag(KyItemName::Channel, QString::number(channel));
        return saveImage(image);
    }
    if (inContent.startsWith(QLatin1String("method="))) {
        ImageFile image = captureImage(0, 2000);
        image.SetTag(QStringLiteral("Method"), inContent.section(QLatin1Char('='), 1));
        return saveImage(image);
    }
    if (inContent.startsWith(QLatin1String("instrument="))) {
        ImageFile image = captureImage(0, 2000);
        image.SetTag(QStringLiteral("Instrument"), inContent.section(QLatin1Char('='), 1));
        return saveImage(image);
    }
    if (inContent == QLatin1String("garbage"))
        return kytest::writeBytes(path, QByteArray("no image here"));
    if (inContent == QLatin1String("photo")) {
        QImage picture(40, 30, QImage::Format_RGB888);
        picture.fill(QColor(200, 180, 120));
        return picture.save(path, "jpg");
    }
    if (inContent == QLatin1String("fifo"))
        return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    if (inContent.startsWith(QLatin1String("cut:"))) {
        QFile file(path);
        return writeFixture(inFolder, inName, inContent.mid(4), inOutside) && file.resize(file.size() / 2);
    }
    if (inContent == QLatin1String("link")) {
        const QString target = inOutside + QStringLiteral("/linked");
        return (QFile::exists(target + QStringLiteral(".tif")) || ImageFile::Save(target, captureImage(0, 2000)))
               && QFile::link(target + QStringLiteral(".tif"), path);
    }
    return false;
}

QString kindOf(const KyDocument *inDocument)
{
    return inDocument ? QString::fromLatin1(inDocument->metaObject()->className()) : QString();
}

// The flag the factory sets, read through a member pointer of a class derived from the document.
struct BandsAtOpenReader : KyDocument
{
    static bool read(const KyDocument &inDocument) { return inDocument.*(&BandsAtOpenReader::mBandsAtOpen); }
};

// Create() on a pool thread, given a few seconds: a reader that waits for a FIFO's writer would
// otherwise hang the whole test. Past the time, outHung is set and the FIFOs of the folder are
// opened for writing and closed again until the open ends, which ends any such wait.
std::unique_ptr<KyDocument> createWithin(const QString &inFolder, int inMilliseconds, bool &outHung)
{
    QThread *caller = QThread::currentThread();
    QFuture<KyDocument *> future = QtConcurrent::run([inFolder, caller] {
        KyDocument *document = KyDocument::Create(inFolder);
        if (document)
            document->moveToThread(caller);
        return document;
    });
    const QDeadlineTimer deadline(inMilliseconds);
    while (!future.isFinished() && !deadline.hasExpired())
        QThread::msleep(5);
    outHung = !future.isFinished();
    while (!future.isFinished()) {
        for (const QFileInfo &entry : QDir(inFolder).entryInfoList(QDir::System)) {
            const int fd = ::open(QFile::encodeName(entry.filePath()).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        }
        QThread::msleep(5);
    }
    return std::unique_ptr<KyDocument>(future.result());
}

} // namespace

class TestKyDocumentFactory : public QObject
{
    Q_OBJECT

private slots:
    void decisionTable_data();
    void decisionTable();
    void sampleCaptures_data();
    void sampleCaptures();
    void pathForms_data();
    void pathForms();
    void bandsAtOpen();
    void noFolder();
    void damagedCaptures_data();
    void damagedCaptures();
    void manyFilesSharingTheName();
};

void TestKyDocumentFactory::decisionTable_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("files"); // "<name>|<content>", see writeFixture
    QTest::addColumn<QString>("kind");      // class name; "" for no document
    QTest::addColumn<int>("images");        // valid images
    QTest::addColumn<int>("mask");          // ChannelMask
    QTest::addColumn<bool>("instrument");   // IsInstrumentImage

    QTest::newRow("A-1, A-2 and B: narrowed to the A capture")
        << "A" << QStringList{"A-1_Ch.tif|ch1", "A-2_Ch.tif|ch2", "B_Ch.tif|ch3"} << "KyMultiDocument" << 2 << 0x83
        << true;
    QTest::newRow("three channels") << "F_Fl"
                                    << QStringList{"F_Fl-Blue.tif|ch1", "F_Fl-Green.tif|ch2", "F_Fl-Red.tif|ch3"}
                                    << "KyMultiDocument" << 3 << 0x87 << true;
    QTest::newRow("x_Co.tif whatever its method")
        << "x_Co" << QStringList{"x_Co.tif|chemi"} << "KyColorimetricDocument" << 1 << 0 << true;
    QTest::newRow("colorimetric method in lower case, any name")
        << "s" << QStringList{"s.tif|method=colorimetric stain"} << "KyColorimetricDocument" << 1 << 0 << true;
    QTest::newRow("colorimetric method, colour picture beside it")
        << "s" << QStringList{"s.tif|method=Colorimetric", "s.jpg|photo"} << "KyColorimetricDocument" << 1 << 0
        << true;
    QTest::newRow("x_co.tif with another method")
        << "x_co" << QStringList{"x_co.tif|chemi"} << "KySingleDocument" << 1 << 0 << true;
    QTest::newRow("only the last \"_\" section names the kind")
        << "S_Co_Ch" << QStringList{"S_Co_Ch.tif|chemi"} << "KySingleDocument" << 1 << 0 << true;
    QTest::newRow("method with colorimetric later in the text")
        << "s" << QStringList{"s.tif|method=Not Colorimetric"} << "KySingleDocument" << 1 << 0 << true;
    QTest::newRow("lone file not named after its folder")
        << "capture" << QStringList{"other_Ch.tif|chemi"} << "" << 0 << 0 << true;

    QTest::newRow("marker pair") << "m" << QStringList{"m.tif|chemi", "m-Marker.tif|chemi", "m-Marker.jpg|photo"}
                                 << "KySingleDocument" << 2 << 0x83 << true;
    QTest::newRow("marker pair with its overlay")
        << "m" << QStringList{"m.tif|chemi", "m-Marker.tif|chemi", "m-Marker.jpg|photo", "m+Marker.jpg|photo"}
        << "KySingleDocument" << 2 << 0x83 << true;
    // The grey image makes the marker; the photo missing is told (damagedCaptures).
    QTest::newRow("marker pair without its photo")
        << "m" << QStringList{"m.tif|chemi", "m-Marker.tif|chemi"} << "KySingleDocument" << 2 << 0x83 << true;
    // The photo makes the marker: the count is two, though only the sample has pixels. The
    // unreadable file is the first, so the folder is not known as the instrument's.
    QTest::newRow("marker pair whose grey image is unreadable")
        << "m" << QStringList{"m.tif|chemi", "m-Marker.tif|garbage", "m-Marker.jpg|photo"} << "KySingleDocument" << 1
        << 0x83 << false;
    QTest::newRow("a marker image alone")
        << "m" << QStringList{"m-Marker.tif|chemi", "m-Marker.jpg|photo", "n.tif|chemi"} << "" << 0 << 0 << true;
    // A marker file decides the kind even when the other file carries a channel.
    QTest::newRow("marker pair beside a channel image")
        << "m" << QStringList{"m.tif|ch1", "m-Marker.tif|ch2", "m-Marker.jpg|photo"} << "KySingleDocument" << 2
        << 0x83 << true;

    // The unreadable file sorts first ("-" before "."): the folder is not known as the instrument's.
    QTest::newRow("several files, one readable image named after the folder")
        << "S_Ch" << QStringList{"S_Ch.tif|chemi", "S_Ch-2.tif|garbage"} << "KySingleDocument" << 1 << 0 << false;
    QTest::newRow("several files, one readable channel, no image named after the folder")
        << "F" << QStringList{"F-1_Fl.tif|ch1", "F-2_Fl.tif|garbage"} << "" << 0 << 0 << true;
    QTest::newRow("same channel twice, the folder's own image beside them")
        << "D" << QStringList{"D-a.tif|ch2", "D-b.tif|ch2", "D.tif|chemi"} << "KySingleDocument" << 1 << 0 << true;
    QTest::newRow("same channel twice and nothing else")
        << "D" << QStringList{"D-a.tif|ch2", "D-b.tif|ch2"} << "" << 0 << 0 << true;

    QTest::newRow("empty folder") << "e" << QStringList{} << "" << 0 << 0 << false;
    QTest::newRow("no file ends in .tif")
        << "n" << QStringList{"n.jpg|photo", "n.tiff|garbage", "n.tif.bak|garbage"} << "" << 0 << 0 << false;
    QTest::newRow("unreadable lone file") << "u" << QStringList{"u.tif|garbage"} << "" << 0 << 0 << false;
    QTest::newRow("a link is no capture file") << "l" << QStringList{"l.tif|link"} << "" << 0 << 0 << false;

    QTest::newRow("name with [, * and ?")
        << "Gel [1]*?_Ch" << QStringList{"Gel [1]*?_Ch.tif|chemi"} << "KySingleDocument" << 1 << 0 << true;
    // As a wildcard, "Blot [a]*.tif" would take "Blot a-Red.tif" and miss the capture's own files.
    QTest::newRow("channels named with [ and ]")
        << "Blot [a]" << QStringList{"Blot [a]-Blue.tif|ch1", "Blot [a]-Green.tif|ch2", "Blot a-Red.tif|ch3"}
        << "KyMultiDocument" << 2 << 0x83 << true;
    QTest::newRow("colorimetric name with ?")
        << "What?_Co" << QStringList{"What?_Co.tif|chemi"} << "KyColorimetricDocument" << 1 << 0 << true;

    // The instrument's name, case-sensitive, at the start of the first narrowed file's item.
    QTest::newRow("another instrument")
        << "z" << QStringList{"z.tif|instrument=Other Imager 2"} << "KySingleDocument" << 1 << 0 << false;
    QTest::newRow("instrument name in lower case")
        << "z" << QStringList{"z.tif|instrument=brevik ziredo 410"} << "KySingleDocument" << 1 << 0 << false;
    QTest::newRow("instrument name followed by more")
        << "z" << QStringList{"z.tif|instrument=Brevik Ziredo 410 Mk II"} << "KySingleDocument" << 1 << 0 << true;
    QTest::newRow("the first file decides")
        << "z" << QStringList{"z-1.tif|instrument=Other", "z-2.tif|chemi", "z.tif|chemi"} << "KySingleDocument" << 1
        << 0 << false;
    QTest::newRow("an unreadable first file")
        << "z" << QStringList{"z-1.tif|garbage", "z-2.tif|chemi", "z.tif|chemi"} << "KySingleDocument" << 1 << 0
        << false;
}

void TestKyDocumentFactory::decisionTable()
{
    QFETCH(QString, folder);
    QFETCH(QStringList, files);
    QFETCH(QString, kind);
    QFETCH(int, images);
    QFETCH(int, mask);
    QFETCH(bool, instrument);

    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString path = temp.filePath(QStringLiteral("captures/") + folder);
    QVERIFY(QDir().mkpath(path));
    for (const QString &file : files)
        QVERIFY2(writeFixture(path, file.section(QLatin1Char('|'), 0, 0), file.section(QLatin1Char('|'), 1),
                              temp.path()),
                 qPrintable(file));

    QCOMPARE(KyDocument::IsInstrumentImage(path), instrument);

    QObject parent;
    std::unique_ptr<KyDocument> document(KyDocument::Create(path, &parent));
    QCOMPARE(kindOf(document.get()), kind);
    // A document the factory dropped leaves nothing behind with the parent.
    QCOMPARE(parent.children().size(), document ? 1 : 0);
    if (!document)
        return;
    QCOMPARE(document->parent(), &parent);
    QCOMPARE(document->ValidImageCount(), images);
    QCOMPARE(document->ChannelMask(), mask);
    QVERIFY(document->IsOpenedDocument());
    QVERIFY(!document->IsDirty());
    QVERIFY(!BandsAtOpenReader::read(*document));
}

void TestKyDocumentFactory::sampleCaptures_data()
{
    QTest::addColumn<QString>("sample");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("imageCount");
    QTest::addColumn<int>("images");
    QTest::addColumn<int>("mask");
    QTest::addColumn<bool>("marker");

    QTest::newRow("gel") << "gel" << "KySingleDocument" << 1 << 1 << 0 << false;
    QTest::newRow("marker") << "marker" << "KySingleDocument" << 2 << 2 << 0x83 << true;
    QTest::newRow("fluor") << "fluor" << "KyMultiDocument" << 3 << 3 << 0x87 << false;
    QTest::newRow("color") << "color" << "KyColorimetricDocument" << 1 << 1 << 0 << false;
}

void TestKyDocumentFactory::sampleCaptures()
{
    QFETCH(QString, sample);
    QFETCH(QString, kind);
    QFETCH(int, imageCount);
    QFETCH(int, images);
    QFETCH(int, mask);
    QFETCH(bool, marker);

    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    SampleCaptureWriter writer(160, 240, 11);
    const QString folder = writer.Write(sample, temp.path());
    QVERIFY2(!folder.isEmpty(), qPrintable(writer.ErrorText()));

    QVERIFY(KyDocument::IsInstrumentImage(folder));
    std::unique_ptr<KyDocument> document(KyDocument::Create(folder));
    QCOMPARE(kindOf(document.get()), kind);
    QCOMPARE(document->ImageCount(), imageCount);
    QCOMPARE(document->ValidImageCount(), images);
    QCOMPARE(document->ChannelMask(), mask);
    QCOMPARE(document->HasMarker(), marker);
    QCOMPARE(document->ImageWidth(), 160);
    QCOMPARE(document->ImageHeight(), 240);
    QVERIFY(document->FollowsFileNamePattern());
    QVERIFY(!document->IsDirty());
    QVERIFY(!document->HasAnalysis());
    QVERIFY(!BandsAtOpenReader::read(*document));
}

void TestKyDocumentFactory::pathForms_data()
{
    QTest::addColumn<QString>("sample");
    QTest::newRow("gel") << "gel";
    QTest::newRow("fluor") << "fluor";
    QTest::newRow("color") << "color";
}

// A folder given with a trailing "/" or with "\" separators opens the same capture, and the
// document's paths use "/" only.
void TestKyDocumentFactory::pathForms()
{
    QFETCH(QString, sample);
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString folder = SampleCaptureWriter(64, 96, 3).Write(sample, temp.path());
    QVERIFY(!folder.isEmpty());
    std::unique_ptr<KyDocument> plain(KyDocument::Create(folder));
    QVERIFY(plain);
    const QString firstImage = plain->FilePathOfFirstImage();
    QVERIFY(firstImage.startsWith(folder + QLatin1Char('/')));

    for (const QString &form : {folder + QLatin1Char('/'), folder + QStringLiteral("//"),
                                QString(folder).replace(QLatin1Char('/'), QLatin1Char('\\')),
                                QString(folder + QLatin1Char('/')).replace(QLatin1Char('/'), QLatin1Char('\\'))}) {
        QVERIFY2(KyDocument::IsInstrumentImage(form), qPrintable(form));
        std::unique_ptr<KyDocument> document(KyDocument::Create(form));
        QVERIFY2(document, qPrintable(form));
        QCOMPARE(kindOf(document.get()), kindOf(plain.get()));
        QCOMPARE(document->FilePathOfFirstImage(), firstImage);
        QCOMPARE(document->SaveFileNames(QString()), plain->SaveFileNames(QString()));
    }
}

// The factory notes whether the stored analysis brought bands.
void TestKyDocumentFactory::bandsAtOpen()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString folder = SampleCaptureWriter(160, 240, 5).Write(QStringLiteral("fluor"), temp.path());
    QVERIFY(!folder.isEmpty());
    {
        std::unique_ptr<KyDocument> document(KyDocument::Create(folder));
        QVERIFY(document);
        QVERIFY(!BandsAtOpenReader::read(*document));
        document->SetDefaultLanes(4, 0.8);
        document->ExtractLaneProfiles();
        QCOMPARE(document->SaveInPlace(true, true, true), 0);
    }
    {
        // Lanes without bands.
        std::unique_ptr<KyDocument> document(KyDocument::Create(folder));
        QCOMPARE(document->LaneFrame().laneCount(), 4);
        QVERIFY(!BandsAtOpenReader::read(*document));
        QVERIFY(document->AddBand(1, 2, 60) >= 0);
        QCOMPARE(document->SaveInPlace(true, true, true), 0);
    }
    std::unique_ptr<KyDocument> document(KyDocument::Create(folder));
    QCOMPARE(document->BandCount(1, 2), 1);
    QVERIFY(BandsAtOpenReader::read(*document));
}

void TestKyDocumentFactory::noFolder()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    for (const QString &path : {QString(), temp.filePath(QStringLiteral("missing"))}) {
        QVERIFY(!KyDocument::Create(path));
        QVERIFY(!KyDocument::IsInstrumentImage(path));
    }
    // A file where the folder should be.
    const QString file = temp.filePath(QStringLiteral("file.tif"));
    QVERIFY(ImageFile::Save(file.chopped(4), captureImage(0, 100)));
    QVERIFY(!KyDocument::Create(file));
    QVERIFY(!KyDocument::IsInstrumentImage(file));
}

void TestKyDocumentFactory::damagedCaptures_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("files"); // "<name>|<content>", see writeFixture
    QTest::addColumn<QString>("kind");      // class name; "" for no document
    QTest::addColumn<int>("images");        // valid images
    QTest::addColumn<int>("mask");          // ChannelMask
    QTest::addColumn<QStringList>("unread");

    QTest::newRow("colorimetric picture that is a FIFO")
        << "c_Co" << QStringList{"c_Co.tif|chemi", "c_Co.jpg|fifo"} << "KyColorimetricDocument" << 1 << 0
        << QStringList{"c_Co.jpg"};
    QTest::newRow("colorimetric picture that is no JPEG")
        << "c_Co" << QStringList{"c_Co.tif|chemi", "c_Co.jpg|garbage"} << "KyColorimetricDocument" << 1 << 0
        << QStringList{"c_Co.jpg"};
    QTest::newRow("colorimetric picture cut short")
        << "c_Co" << QStringList{"c_Co.tif|chemi", "c_Co.jpg|cut:photo"} << "KyColorimetricDocument" << 1 << 0
        << QStringList{"c_Co.jpg"};
    QTest::newRow("colorimetric capture without its picture")
        << "c_Co" << QStringList{"c_Co.tif|chemi"} << "KyColorimetricDocument" << 1 << 0 << QStringList{"c_Co.jpg"};
    QTest::newRow("colorimetric image that is a FIFO, not listed")
        << "c_Co" << QStringList{"c_Co.tif|fifo", "c_Co.jpg|photo"} << "" << 0 << 0 << QStringList{};

    QTest::newRow("three channels, one cut short")
        << "F_Fl" << QStringList{"F_Fl-Blue.tif|ch1", "F_Fl-Green.tif|cut:ch2", "F_Fl-Red.tif|ch3"}
        << "KyMultiDocument" << 2 << 0x85 << QStringList{"F_Fl-Green.tif"};
    QTest::newRow("three channels, one no TIFF")
        << "F_Fl" << QStringList{"F_Fl-Blue.tif|ch1", "F_Fl-Green.tif|ch2", "F_Fl-Red.tif|garbage"}
        << "KyMultiDocument" << 2 << 0x83 << QStringList{"F_Fl-Red.tif"};
    QTest::newRow("three channels, two cut short")
        << "F_Fl" << QStringList{"F_Fl-Blue.tif|cut:ch1", "F_Fl-Green.tif|ch2", "F_Fl-Red.tif|cut:ch3"} << ""
        << 0 << 0 << QStringList{};
    QTest::newRow("three channels whole")
        << "F_Fl" << QStringList{"F_Fl-Blue.tif|ch1", "F_Fl-Green.tif|ch2", "F_Fl-Red.tif|ch3"}
        << "KyMultiDocument" << 3 << 0x87 << QStringList{};

    QTest::newRow("marker photo that is no JPEG")
        << "m" << QStringList{"m.tif|chemi", "m-Marker.tif|chemi", "m-Marker.jpg|garbage", "m+Marker.jpg|photo"}
        << "KySingleDocument" << 2 << 0x83 << QStringList{"m-Marker.jpg"};
    QTest::newRow("marker photo cut short")
        << "m" << QStringList{"m.tif|chemi", "m-Marker.tif|chemi", "m-Marker.jpg|cut:photo"} << "KySingleDocument"
        << 2 << 0x83 << QStringList{"m-Marker.jpg"};
    QTest::newRow("marker pair without its photo")
        << "m" << QStringList{"m.tif|chemi", "m-Marker.tif|chemi"} << "KySingleDocument" << 2 << 0x83
        << QStringList{"m-Marker.jpg"};
    QTest::newRow("marker photo that is a FIFO")
        << "m" << QStringList{"m.tif|chemi", "m-Marker.tif|chemi", "m-Marker.jpg|fifo"} << "KySingleDocument" << 2
        << 0x83 << QStringList{"m-Marker.jpg"};
    QTest::newRow("marker overlay that is a FIFO: composed anew")
        << "m" << QStringList{"m.tif|chemi", "m-Marker.tif|chemi", "m-Marker.jpg|photo", "m+Marker.jpg|fifo"}
        << "KySingleDocument" << 2 << 0x83 << QStringList{};
    QTest::newRow("marker grey image cut short")
        << "m" << QStringList{"m.tif|chemi", "m-Marker.tif|cut:chemi", "m-Marker.jpg|photo"} << "KySingleDocument"
        << 1 << 0x83 << QStringList{"m-Marker.tif"};
    QTest::newRow("sample image that is a FIFO")
        << "m" << QStringList{"m.tif|fifo", "m-Marker.tif|chemi", "m-Marker.jpg|photo"} << "" << 0 << 0
        << QStringList{};
}

// A capture with a damaged file opens without it, at once, and names it; one that cannot do
// without it is refused, at once.
void TestKyDocumentFactory::damagedCaptures()
{
    QFETCH(QString, folder);
    QFETCH(QStringList, files);
    QFETCH(QString, kind);
    QFETCH(int, images);
    QFETCH(int, mask);
    QFETCH(QStringList, unread);

    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString path = temp.filePath(folder);
    QVERIFY(QDir().mkpath(path));
    for (const QString &file : files)
        QVERIFY2(writeFixture(path, file.section(QLatin1Char('|'), 0, 0), file.section(QLatin1Char('|'), 1),
                              temp.path()),
                 qPrintable(file));

    bool hung = false;
    const std::unique_ptr<KyDocument> document = createWithin(path, 5000, hung);
    QVERIFY2(!hung, "the open waited for a file that never delivers");
    QCOMPARE(kindOf(document.get()), kind);
    if (!document)
        return;
    QCOMPARE(document->ValidImageCount(), images);
    QCOMPARE(document->ChannelMask(), mask);
    QCOMPARE(document->UnreadFiles(), unread);
    QVERIFY(!document->IsDirty());
}

// Ten thousand names sharing the capture's name, for one channel image of the instrument's size
// (hard links: no disk space, every read served from memory). A capture holds one image per
// channel, and only those are read whole: the open fails (one channel, and no image named after the
// folder) after a capture's worth of whole reads, not ten thousand of them.
void TestKyDocumentFactory::manyFilesSharingTheName()
{
    constexpr int kNames = 10000;
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString path = temp.filePath(QStringLiteral("A"));
    QVERIFY(QDir().mkpath(path));
    ImageFile image = captureImage(2, 1000);
    image.Resize(2046, 3072);
    image.Fill(1000);
    image.UpdateHistogram();
    image.SetTag(KyItemName::Channel, QStringLiteral("1"));
    QVERIFY(ImageFile::Save(path + QStringLiteral("/A-00000"), image));
    const QByteArray first = QFile::encodeName(path + QStringLiteral("/A-00000.tif"));
    for (int i = 1; i < kNames; ++i) {
        const QByteArray name = QFile::encodeName(path + QStringLiteral("/A-%1.tif").arg(i, 5, 10, QLatin1Char('0')));
        QVERIFY(::link(first.constData(), name.constData()) == 0);
    }

    // Every whole read writes its debug line.
    static std::atomic<int> wholeReads{0};
    wholeReads = 0;
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &inText) {
        if (inText.startsWith(QLatin1String("ImageFile::Read()")))
            ++wholeReads;
    });
    QElapsedTimer timer;
    timer.start();
    const std::unique_ptr<KyDocument> document(KyDocument::Create(path));
    const qint64 elapsed = timer.elapsed();
    qInstallMessageHandler(previous);
    qInfo("%d names: %d whole reads, %lld ms", kNames, wholeReads.load(), elapsed);
    QVERIFY(!document);
    // The channel's image, and the folder's own image the fallback looks for.
    QCOMPARE(wholeReads.load(), 2);
}

KY_TEST_MAIN_WITH(QGuiApplication, TestKyDocumentFactory)

#include "tst_kydocumentfactory.moc"
