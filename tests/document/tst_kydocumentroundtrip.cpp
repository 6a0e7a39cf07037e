// End to end, for every kind of capture the sample tool makes: open through the factory, analyse
// (lanes, rolling-ball background, detected bands, references, a shipped molecular-weight
// standard, normalisation), save in place, reopen. The analysis items, volumes, normalised values
// and molecular weights come back identical, the pixels bit for bit (checked with tifffile), and a
// second save writes the same files. Saves made to fail leave the capture as it was.

#include "sampleanalysis.h"
#include "pythonreference.h"
#include "savedfiles.h"
#include "testmain.h"

#include "document/kydocument.h"
#include "document/kyitemnames.h"
#include "samplecapturewriter.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <memory>
#include <pwd.h>

using namespace kytest;
using namespace sampleanalysis;

namespace {

const QStringList kAnalysisItems{KyItemName::Lane, KyItemName::Band, KyItemName::Background,
                                 KyItemName::MWStandardLane, KyItemName::MWStandard};
const QString kStandard = QStringLiteral("Protein 9-225");
constexpr int kRollingBallMm = 3;

QString kindOf(const KyDocument *inDocument)
{
    return inDocument ? QString::fromLatin1(inDocument->metaObject()->className()) : QString();
}

QString number(double inValue)
{
    return QString::number(inValue, 'g', 17);
}

// The whole analysis of a document as lines of text, every number at full precision: lanes,
// background, standard, and per band its place, marks, volume, lane total and molecular weight;
// per lane its normalisation value; the calibration points and the curve's fit.
QStringList analysisDump(KyDocument &ioDoc)
{
    if (ioDoc.IsAnalysisChanged())
        ioDoc.ComputeNormalization();
    QStringList lines;
    lines << QStringLiteral("lanes ") + ioDoc.FormatLanes() << QStringLiteral("background ") + ioDoc.FormatBackground()
          << QStringLiteral("standard lane ") + ioDoc.FormatMWStandardLane()
          << QStringLiteral("standard ") + ioDoc.FormatMWStandard()
          << QStringLiteral("curve type %1").arg(ioDoc.MWCurveType());
    const int laneCount = ioDoc.LaneFrame().laneCount();
    for (int j = 0; j < laneCount; ++j)
        lines << QStringLiteral("lane %1 normalisation %2").arg(j).arg(number(ioDoc.NormalizationValue(j)));
    const QVector<QVector<KyBandList>> &bands = ioDoc.Bands();
    for (int c = 0; c < bands.size(); ++c) {
        // A channel without lane lists holds nothing (the vector may be longer after a read).
        if (bands.at(c).isEmpty())
            continue;
        lines << QStringLiteral("channel %1 bands ").arg(c) + ioDoc.FormatBands(c);
        for (int j = 0; j < bands.at(c).size(); ++j) {
            const KyBandList &list = bands.at(c).at(j);
            lines << QStringLiteral("channel %1 lane %2 total %3").arg(c).arg(j).arg(number(list.total()));
            for (int k = 0; k < list.count(); ++k) {
                const KyBandInfo band = list.band(k);
                lines << QStringLiteral("channel %1 lane %2 band %3: %4 %5 %6 ref %7 sat %8 volume %9 mw %10")
                             .arg(c)
                             .arg(j)
                             .arg(k)
                             .arg(band.start())
                             .arg(band.peak())
                             .arg(band.end())
                             .arg(band.isNormalizationReference())
                             .arg(band.isSaturated())
                             .arg(number(band.volume()), number(ioDoc.MolecularWeightAt(band.peak())));
            }
        }
    }
    const QMap<double, double> points = ioDoc.MWPoints();
    for (auto it = points.cbegin(); it != points.cend(); ++it)
        lines << QStringLiteral("point %1 %2").arg(number(it.key()), number(it.value()));
    lines << QStringLiteral("r squared ") + number(ioDoc.MWCurveRSquared());
    return lines;
}

// "" when the lists are equal, else their first difference.
QString firstDifference(const QStringList &inActual, const QStringList &inExpected)
{
    for (qsizetype i = 0; i < std::max(inActual.size(), inExpected.size()); ++i) {
        const QString actual = inActual.value(i, QStringLiteral("<none>"));
        const QString expected = inExpected.value(i, QStringLiteral("<none>"));
        if (actual != expected)
            return QStringLiteral("line %1: %2\n   instead of: %3").arg(i).arg(actual, expected);
    }
    return QString();
}

// The five analysis items of every image, as the records hold them.
QStringList itemDump(const KyDocument &inDoc)
{
    QStringList lines;
    for (int i = 0; i < inDoc.ImageCount(); ++i) {
        const ImageFile *image = inDoc.Image(i);
        if (!image || image->IsNull())
            continue;
        for (const QString &key : kAnalysisItems)
            lines << QStringLiteral("%1 %2=%3").arg(i).arg(key, image->Tag(key));
    }
    return lines;
}

// The pixels of every image.
QList<QByteArray> pixelDump(const KyDocument &inDoc)
{
    QList<QByteArray> pixels;
    for (int i = 0; i < inDoc.ImageCount(); ++i) {
        const ImageFile *image = inDoc.Image(i);
        if (image && !image->IsNull())
            pixels << QByteArray(reinterpret_cast<const char *>(image->ConstData()),
                                 qsizetype(image->Width()) * image->Height() * 2);
    }
    return pixels;
}


// A report's bytes with the time of the analysis (its second line) taken out.
QByteArray withoutAnalysisTime(const QByteArray &inReport)
{
    QList<QByteArray> lines = inReport.split('\n');
    if (lines.size() > 1 && lines.at(1).startsWith("Date and time of analysis,"))
        lines[1] = "Date and time of analysis,<now>";
    return lines.join('\n');
}

// Whether two states of a folder hold the same files with the same bytes, reports compared without
// the time of the analysis; the first difference otherwise.
QString sameFiles(const QMap<QString, QByteArray> &inA, const QMap<QString, QByteArray> &inB)
{
    if (inA.keys() != inB.keys())
        return QStringLiteral("files differ: [%1] / [%2]").arg(inA.keys().join(QLatin1Char('|')), inB.keys().join(QLatin1Char('|')));
    for (auto it = inA.cbegin(); it != inA.cend(); ++it) {
        QByteArray a = it.value();
        QByteArray b = inB.value(it.key());
        if (it.key().endsWith(QLatin1String(".csv"))) {
            a = withoutAnalysisTime(a);
            b = withoutAnalysisTime(b);
        }
        if (a != b)
            return QStringLiteral("%1 differs").arg(it.key());
    }
    return QString();
}

// Runs tests/document/reference/roundtrip.py on [original, saved] pairs; empty on failure.
QJsonArray referenceComparison(const QList<QPair<QString, QString>> &inPairs)
{
    QJsonArray pairs;
    for (const auto &pair : inPairs)
        pairs.append(QJsonArray{pair.first, pair.second});
    return runPythonReference(QStringLiteral("document/reference/roundtrip.py"), QJsonObject{{"pairs", pairs}})
        .value(QStringLiteral("files"))
        .toArray();
}

// The flag the factory sets, read through a member pointer of a class derived from the document.
struct BandsAtOpenReader : KyDocument
{
    static bool read(const KyDocument &inDocument) { return inDocument.*(&BandsAtOpenReader::mBandsAtOpen); }
};

// The analysis of the round trip on a freshly opened sample capture: the sample's five lanes,
// rolling ball, bands detected with the shipped "Medium" sets, the first band of lanes 2 to 4 as
// references (lane 5 has none), the ladder lane calibrated with a shipped standard, normalisation.
void analyse(KyDocument &ioDoc, int inChannels, int inStandardChannel)
{
    layLanes(ioDoc, SamplePainter::kLaneCount, 0.7);
    ioDoc.ExtractLaneProfiles();
    ioDoc.ApplyBackground(3, kRollingBallMm, true);
    ioDoc.DetectBands(inChannels, detectionSet(QStringLiteral("Medium"), false),
                      detectionSet(QStringLiteral("Medium"), true));
    for (int c = 0; c < 3; ++c) {
        const bool analysed = (inChannels & 0x80) ? (inChannels & (1 << c)) != 0 : inChannels == c;
        for (int j = 1; analysed && j <= 3; ++j)
            markReference(ioDoc, c, j, 0);
    }
    ioDoc.SetMWStandard(KyMwStandard(kStandard));
    ioDoc.SetMWStandardLane(inStandardChannel, 0);
    ioDoc.ComputeNormalization();
}

// Stray temporary files as an interrupted replacement of inFile leaves them: complete, named as
// Qt names such files (six random letters of both cases after a dot).
bool leaveStrayTemporary(const QString &inFile, const QString &inLetters, const QByteArray &inBytes)
{
    QFile stray(inFile + QLatin1Char('.') + inLetters);
    return stray.open(QIODevice::WriteOnly) && stray.write(inBytes) == inBytes.size() && stray.flush();
}

} // namespace

class TestKyDocumentRoundTrip : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void roundTrip_data();
    void roundTrip();
    void frameMoveKeepsBackground();
    void storedAtAfterEverySave();
    void craftedItemsOpenQuickly();
    void failedSave_data();
    void failedSave();
    void failedSaveAsAnotherUser();
    void staleTemporariesRemoved_data();
    void staleTemporariesRemoved();

private:
    std::unique_ptr<QTemporaryDir> temp;
};

void TestKyDocumentRoundTrip::initTestCase()
{
    QVERIFY2(QFile::exists(QStringLiteral("/usr/bin/python3")), "Debian's python3 with tifffile is needed");
    useShippedData();
    QCOMPARE(KyMwStandard(kStandard).values().size(), 10);
    QVERIFY(detectionSet(QStringLiteral("Medium"), false).p10 > 0.0);
}

void TestKyDocumentRoundTrip::init()
{
    temp = std::make_unique<QTemporaryDir>();
    QVERIFY(temp->isValid());
}

void TestKyDocumentRoundTrip::roundTrip_data()
{
    QTest::addColumn<QString>("sample");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("channels");        // analysed
    QTest::addColumn<int>("standardChannel"); // of the ladder lane
    QTest::addColumn<QStringList>("keptFiles"); // saved back as the bytes they were

    QTest::newRow("single") << "gel" << 400 << 600 << "KySingleDocument" << 0 << 0 << QStringList{};
    QTest::newRow("marker") << "marker" << 400 << 600 << "KySingleDocument" << 0x83 << 0
                            << QStringList{"-Marker.jpg", "+Marker.jpg"};
    QTest::newRow("three channels") << "fluor" << 400 << 600 << "KyMultiDocument" << 0x87 << 1 << QStringList{};
    QTest::newRow("colorimetric") << "color" << 400 << 600 << "KyColorimetricDocument" << 0 << 0
                                  << QStringList{".jpg"};
    QTest::newRow("three channels, full size")
        << "fluor" << 2046 << 3072 << "KyMultiDocument" << 0x87 << 2 << QStringList{};
}

void TestKyDocumentRoundTrip::roundTrip()
{
    QFETCH(QString, sample);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QString, kind);
    QFETCH(int, channels);
    QFETCH(int, standardChannel);
    QFETCH(QStringList, keptFiles);

    QElapsedTimer timer;
    timer.start();
    SampleCaptureWriter writer(width, height, 17);
    const QString folder = writer.Write(sample, temp->filePath(QStringLiteral("captures")));
    QVERIFY2(!folder.isEmpty(), qPrintable(writer.ErrorText()));
    const QString name = folder.section(QLatin1Char('/'), -1);
    const QString originals = temp->filePath(QStringLiteral("originals"));
    QVERIFY(copyFolder(folder, originals));
    const QMap<QString, QByteArray> originalFiles = filesBelow(folder);

    // Open, analyse, save in place.
    std::unique_ptr<KyDocument> doc(KyDocument::Create(folder));
    QCOMPARE(kindOf(doc.get()), kind);
    const QList<QByteArray> pixels = pixelDump(*doc);
    analyse(*doc, channels, standardChannel);
    QVERIFY(doc->HasBands());
    QVERIFY(doc->HasBackground());
    QVERIFY(doc->HasNormalizationReference());
    QVERIFY2(doc->HasMWPoints(), "the ladder lane gives calibration points");
    const QStringList analysis = analysisDump(*doc);
    QVERIFY(doc->IsDirty());
    QCOMPARE(doc->SaveInPlace(true, true, true), 0);
    QVERIFY(!doc->IsDirty());
    const QStringList items = itemDump(*doc);
    QCOMPARE(firstDifference(analysisDump(*doc), analysis), QString());

    // The save wrote the capture's own files and its report, nothing else; the colour pictures
    // nobody changed are the bytes they were.
    const QMap<QString, QByteArray> saved = filesBelow(folder);
    QStringList expectedNames = originalFiles.keys();
    expectedNames << name + QStringLiteral(".csv");
    expectedNames.sort();
    QCOMPARE(saved.keys(), expectedNames);
    for (const QString &kept : keptFiles)
        QVERIFY2(saved.value(name + kept) == originalFiles.value(name + kept), qPrintable(kept));

    // Saving again writes the same files.
    QCOMPARE(doc->SaveInPlace(true, true, true), 0);
    QCOMPARE(sameFiles(filesBelow(folder), saved), QString());

    // Reopened: the same analysis, items and pixels.
    std::unique_ptr<KyDocument> reopened(KyDocument::Create(folder));
    QCOMPARE(kindOf(reopened.get()), kind);
    QVERIFY(!reopened->IsDirty());
    QVERIFY(BandsAtOpenReader::read(*reopened));
    QCOMPARE(firstDifference(itemDump(*reopened), items), QString());
    QCOMPARE(firstDifference(analysisDump(*reopened), analysis), QString());
    QVERIFY(pixelDump(*reopened) == pixels);

    // tifffile: every saved TIFF holds the original's pixels and the analysis items the document
    // wrote into its record.
    QList<QPair<QString, QString>> pairs;
    QList<const ImageFile *> records;
    for (int i = 0; i < reopened->ImageCount(); ++i) {
        const ImageFile *image = reopened->Image(i);
        if (!image || image->IsNull())
            continue;
        const QString path = image->Tag(KyItemName::FilePath);
        QVERIFY2(path.startsWith(folder + QLatin1Char('/')), qPrintable(path));
        pairs << qMakePair(originals + QLatin1Char('/') + path.section(QLatin1Char('/'), -1), path);
        records << image;
    }
    QCOMPARE(pairs.size(), reopened->ValidImageCount());
    const QJsonArray reference = referenceComparison(pairs);
    QCOMPARE(reference.size(), pairs.size());
    for (int i = 0; i < pairs.size(); ++i) {
        const QJsonObject file = reference.at(i).toObject();
        QVERIFY2(file.value(QStringLiteral("equal")).toBool(), qPrintable(pairs.at(i).second));
        QCOMPARE(file.value(QStringLiteral("dtype")).toString(), QStringLiteral("uint16"));
        QCOMPARE(file.value(QStringLiteral("shape")).toArray(), (QJsonArray{height, width}));
        const QJsonObject fileItems = file.value(QStringLiteral("items")).toObject();
        for (const QString &key : kAnalysisItems)
            QCOMPARE(fileItems.value(key).toString(), records.at(i)->Tag(key));
    }
    QVERIFY(!records.first()->Tag(KyItemName::Band).isEmpty());

    // The reopened document saves the same files once more.
    QCOMPARE(reopened->SaveInPlace(true, true, true), 0);
    QCOMPARE(sameFiles(filesBelow(folder), saved), QString());
    qInfo("%s %d x %d: %lld ms", qPrintable(sample), width, height, qint64(timer.elapsed()));
}

void TestKyDocumentRoundTrip::frameMoveKeepsBackground()
{
    // The user's steps: lanes, the rolling ball, detection; then a corner moved, the profiles shown
    // again, the same background step (which has nothing new to do) and detection again.
    const QString folder = SampleCaptureWriter(400, 600, 17).Write(QStringLiteral("gel"), temp->filePath(QStringLiteral("captures")));
    QVERIFY(!folder.isEmpty());
    std::unique_ptr<KyDocument> doc(KyDocument::Create(folder));
    QVERIFY(doc);
    const KyBandDetectParameter medium = detectionSet(QStringLiteral("Medium"), false);
    layLanes(*doc, SamplePainter::kLaneCount, 0.7);
    QVERIFY(doc->LaneProfiles(0));
    doc->ApplyBackground(3, kRollingBallMm, false);
    doc->DetectBands(0, medium, medium);
    QVERIFY(doc->HasBackground());

    QVERIFY(doc->MoveLaneCorner(4, QPoint(-3, 0)));
    QVERIFY(doc->LaneProfiles(0));
    doc->ApplyBackground(3, kRollingBallMm, false);
    QVERIFY2(doc->HasBackground(), "the profiles of the moved frame have the chosen background");
    doc->DetectBands(0, medium, medium);
    QVERIFY(doc->HasBands());
    const QStringList analysis = analysisDump(*doc);

    // The file says "Rolling ball": a reopen measures over it, and so did the document.
    QCOMPARE(doc->SaveInPlace(true, true, true), 0);
    std::unique_ptr<KyDocument> reopened(KyDocument::Create(folder));
    QVERIFY(reopened);
    QCOMPARE(firstDifference(analysisDump(*reopened), analysis), QString());
}

void TestKyDocumentRoundTrip::storedAtAfterEverySave()
{
    // The base path is the capture folder after an open, a save in place, a save as and a save
    // into another folder alike: a capture is stored at the folder that holds its capture folder.
    const QString folder = SampleCaptureWriter(160, 240, 3).Write(QStringLiteral("gel"), temp->filePath(QStringLiteral("captures")));
    QVERIFY(!folder.isEmpty());
    const QString name = folder.section(QLatin1Char('/'), -1);
    // The sample name goes before the capture time of the saved names.
    const QString sample = name.section(QLatin1Char(' '), 0, -2);
    QVERIFY(!sample.isEmpty());
    std::unique_ptr<KyDocument> doc(KyDocument::Create(folder));
    QVERIFY(doc);
    QVERIFY(doc->IsStoredAt(temp->filePath(QStringLiteral("captures")), sample));

    QCOMPARE(doc->SaveInPlace(true, true, true), 0);
    QVERIFY(doc->IsStoredAt(temp->filePath(QStringLiteral("captures")), sample));

    const QString elsewhere = temp->filePath(QStringLiteral("elsewhere"));
    QCOMPARE(doc->SaveAs(elsewhere + QLatin1Char('/') + name + QLatin1Char('/') + name), 0);
    QVERIFY(doc->IsStoredAt(elsewhere, sample));
    QVERIFY(!doc->IsStoredAt(elsewhere + QLatin1Char('/') + name, sample));
    std::unique_ptr<KyDocument> reopened(KyDocument::Create(elsewhere + QLatin1Char('/') + name));
    QVERIFY(reopened);
    QVERIFY(reopened->IsStoredAt(elsewhere, sample));
    QCOMPARE(doc->BaseName(sample), reopened->BaseName(sample));

    const QString third = temp->filePath(QStringLiteral("third"));
    QCOMPARE(doc->Save(third, sample, true, false, false), 0);
    QVERIFY(doc->IsStoredAt(third, sample));
    QVERIFY(QFile::exists(third + QLatin1Char('/') + name + QLatin1Char('/') + name + QStringLiteral(".tif")));
}

void TestKyDocumentRoundTrip::craftedItemsOpenQuickly()
{
    // A full-size capture whose stored frame has 256 lanes reaching a diagonal off the image, with
    // a rolling ball of 1000 mm: more lanes, and longer, than any frame laid on the capture.
    const QString folder = SampleCaptureWriter(2046, 3072, 5).Write(QStringLiteral("gel"), temp->filePath(QStringLiteral("captures")));
    QVERIFY(!folder.isEmpty());
    const QString file = folder + QLatin1Char('/') + folder.section(QLatin1Char('/'), -1);
    ImageFile image;
    QVERIFY(ImageFile::Read(file + QStringLiteral(".tif"), image));
    const int w = image.Width();
    const int h = image.Height();
    const int d = int(std::ceil(std::hypot(double(w), double(h))));
    const QString corners = QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8").arg(-d).arg(-d).arg(w - 1 + d).arg(-d).arg(-d)
                                .arg(h - 1 + d).arg(w - 1 + d).arg(h - 1 + d);
    image.SetTag(KyItemName::Lane, QStringLiteral("256,1,") + corners);
    image.SetTag(KyItemName::Band, QStringLiteral("Medium,#1,100,200,300,0,"));
    image.SetTag(KyItemName::Background, QStringLiteral("Rolling ball,1000"));
    QVERIFY(ImageFile::Save(file, image));

    QElapsedTimer timer;
    timer.start();
    std::unique_ptr<KyDocument> doc(KyDocument::Create(folder));
    const qint64 elapsed = timer.elapsed();
    QVERIFY(doc);
    QVERIFY(!doc->HasLaneTemplate());
    QVERIFY(!doc->HasAnalysis());
    QVERIFY(!doc->HasBands());
    QVERIFY2(elapsed < 2000, qPrintable(QStringLiteral("%1 ms").arg(elapsed)));

    // The background is still the capture's choice, for the lanes a user lays.
    int method = 0;
    int radius = 0;
    doc->BackgroundParameters(method, radius);
    QCOMPARE(method, 3);
    QCOMPARE(radius, 1000);
}

void TestKyDocumentRoundTrip::failedSave_data()
{
    QTest::addColumn<QString>("sample");
    QTest::addColumn<QString>("blocked");  // the file (after the capture's name) that is in the way
    QTest::addColumn<QString>("obstacle"); // what is in the way
    QTest::addColumn<int>("code");

    // "folder": a folder takes the place of the file; "size limit": files are limited to half the
    // size of an image file; "read-only": the file may not be written (made first when the capture
    // has none); "read-only folder": the capture's folder may not be written.
    const QString folder = QStringLiteral("folder");
    const QString sizeLimit = QStringLiteral("size limit");
    const QString readOnly = QStringLiteral("read-only");
    const QString readOnlyFolder = QStringLiteral("read-only folder");
    QTest::newRow("single: display picture") << "gel" << ".jpg" << folder << -15;
    QTest::newRow("single: report") << "gel" << ".csv" << folder << -15;
    QTest::newRow("single: size limit") << "gel" << "" << sizeLimit << -14;
    QTest::newRow("single: read-only display picture") << "gel" << ".jpg" << readOnly << -15;
    QTest::newRow("single: read-only report") << "gel" << ".csv" << readOnly << -15;
    QTest::newRow("single: read-only folder") << "gel" << "" << readOnlyFolder << -14;
    QTest::newRow("marker: grey marker image") << "marker" << "-Marker.tif" << folder << -15;
    QTest::newRow("marker: overlay") << "marker" << "+Marker.jpg" << folder << -22;
    QTest::newRow("marker: report") << "marker" << ".csv" << folder << -15;
    QTest::newRow("marker: size limit") << "marker" << "" << sizeLimit << -14;
    QTest::newRow("marker: read-only marker photo") << "marker" << "-Marker.jpg" << readOnly << -23;
    QTest::newRow("marker: read-only overlay") << "marker" << "+Marker.jpg" << readOnly << -22;
    QTest::newRow("marker: read-only report") << "marker" << ".csv" << readOnly << -15;
    QTest::newRow("marker: read-only folder") << "marker" << "" << readOnlyFolder << -14;
    QTest::newRow("three channels: last channel image") << "fluor" << "-Red.tif" << folder << -21;
    QTest::newRow("three channels: composite") << "fluor" << ".jpg" << folder << -22;
    QTest::newRow("three channels: report") << "fluor" << ".csv" << folder << -11;
    QTest::newRow("three channels: size limit") << "fluor" << "" << sizeLimit << -21;
    QTest::newRow("three channels: read-only last channel image") << "fluor" << "-Red.tif" << readOnly << -21;
    QTest::newRow("three channels: read-only composite") << "fluor" << ".jpg" << readOnly << -22;
    QTest::newRow("three channels: read-only report") << "fluor" << ".csv" << readOnly << -11;
    QTest::newRow("three channels: read-only folder") << "fluor" << "" << readOnlyFolder << -21;
    QTest::newRow("colorimetric: colour picture") << "color" << ".jpg" << folder << -31;
    QTest::newRow("colorimetric: report") << "color" << ".csv" << folder << -11;
    QTest::newRow("colorimetric: size limit") << "color" << "" << sizeLimit << -11;
    QTest::newRow("colorimetric: read-only colour picture") << "color" << ".jpg" << readOnly << -31;
    QTest::newRow("colorimetric: read-only report") << "color" << ".csv" << readOnly << -11;
    QTest::newRow("colorimetric: read-only folder") << "color" << "" << readOnlyFolder << -11;
}

void TestKyDocumentRoundTrip::failedSave()
{
    QFETCH(QString, sample);
    QFETCH(QString, blocked);
    QFETCH(QString, obstacle);
    QFETCH(int, code);

    constexpr int kWidth = 160;
    constexpr int kHeight = 240;
    const QString folder = SampleCaptureWriter(kWidth, kHeight, 23).Write(sample, temp->filePath(QStringLiteral("captures")));
    QVERIFY(!folder.isEmpty());
    const QString base = folder + QLatin1Char('/') + folder.section(QLatin1Char('/'), -1);

    std::unique_ptr<KyDocument> doc(KyDocument::Create(folder));
    QVERIFY(doc);
    layLanes(*doc, 4, 0.8);
    doc->ExtractLaneProfiles();
    QVERIFY(doc->AddBand(0, 1, 60) >= 0);
    QVERIFY(doc->IsDirty());

    // The obstacle is put in place once the capture is open.
    const QFile::Permissions writable = QFile::permissions(folder);
    if (obstacle == QLatin1String("folder")) {
        QFile::remove(base + blocked);
        QVERIFY(QDir().mkpath(base + blocked));
        QVERIFY(writeBytes(base + blocked + QStringLiteral("/keep"), "x"));
    } else if (obstacle == QLatin1String("read-only")) {
        if (!QFileInfo::exists(base + blocked))
            QVERIFY(writeBytes(base + blocked, "an older report"));
        QVERIFY(QFile::setPermissions(base + blocked, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    } else if (obstacle == QLatin1String("read-only folder")) {
        QVERIFY(QFile::setPermissions(folder, writable & ~(QFile::WriteOwner | QFile::WriteUser | QFile::WriteGroup | QFile::WriteOther)));
    }
    const QStringList entries = treeOf(temp->path());
    const QMap<QString, QByteArray> before = filesBelow(temp->path());

    QSignalSpy dirty(doc.get(), &KyDocument::DirtyStateChanged);
    int result = 0;
    {
        const OwnerPermissions permissions;
        if (obstacle == QLatin1String("size limit")) {
            const FileSizeLimit limit(rlim_t(kWidth) * kHeight);
            QVERIFY(limit.isSet());
            result = doc->SaveInPlace(true, true, true);
        } else {
            result = doc->SaveInPlace(true, true, true);
        }
    }
    // Undone before anything is checked, so that a failure leaves a folder that can be cleaned up.
    if (obstacle == QLatin1String("read-only folder"))
        QVERIFY(QFile::setPermissions(folder, writable));
    QCOMPARE(result, code);
    // Every file as it was, nothing added (no temporary file either), the document still dirty.
    QCOMPARE(treeOf(temp->path()), entries);
    QCOMPARE(sameFiles(filesBelow(temp->path()), before), QString());
    QVERIFY(filesBelow(temp->path()) == before);
    QVERIFY(doc->IsDirty());
    QCOMPARE(dirty.count(), 0);

    // Once the way is clear, the same document saves.
    if (obstacle == QLatin1String("folder"))
        QVERIFY(QDir(base + blocked).removeRecursively());
    if (obstacle == QLatin1String("read-only"))
        QVERIFY(QFile::setPermissions(base + blocked, QFile::ReadOwner | QFile::WriteOwner));
    QCOMPARE(doc->SaveInPlace(true, true, true), 0);
    QVERIFY(!doc->IsDirty());
    std::unique_ptr<KyDocument> reopened(KyDocument::Create(folder));
    QVERIFY(reopened);
    QCOMPARE(reopened->BandCount(0, 1), 1);
}

// Run as root, failedSave saw read-only files through a stand-in for the permission check; here
// the same test runs again as an unprivileged user, where the system refuses the writes itself.
void TestKyDocumentRoundTrip::failedSaveAsAnotherUser()
{
    if (::geteuid() != 0)
        QSKIP("not root: failedSave has run with the system's own permission checks");
    const passwd *nobody = ::getpwnam("nobody");
    const QString setpriv = QStringLiteral("/usr/bin/setpriv");
    if (!nobody || !QFileInfo(setpriv).isExecutable())
        QSKIP("no unprivileged user to run as");

    // A copy of this test in a folder the user owns: settings files are kept beside the executable.
    const QString home = temp->filePath(QStringLiteral("unprivileged"));
    QVERIFY(QDir().mkpath(home));
    const QString program = kytest::copyProgram(QCoreApplication::applicationFilePath(), home);
    QVERIFY(!program.isEmpty());
    for (const QString &path : {temp->path(), home, program})
        QCOMPARE(::chown(QFile::encodeName(path).constData(), nobody->pw_uid, nobody->pw_gid), 0);
    const QStringList asUser{QStringLiteral("--reuid=%1").arg(nobody->pw_uid), QStringLiteral("--regid=%1").arg(nobody->pw_gid),
                             QStringLiteral("--clear-groups")};

    // The shipped data lie in the source tree, which need not be open to other users.
    // (and the sanitizers' suppressions, when they run).
    const QStringList readable{QStringLiteral("/usr/bin/test"), QStringLiteral("-r"),
                               kytest::sourceDir() + QStringLiteral("/data/Settings/AutoBand.txt"), QStringLiteral("-a"),
                               QStringLiteral("-r"), kytest::sourceDir() + QStringLiteral("/tests/lsan.supp")};
    if (kytest::runCaptured(setpriv, asUser + readable).exitCode != 0)
        QSKIP("the source tree cannot be read by the unprivileged user");

    const kytest::ProgramRun run = kytest::runCaptured(
        setpriv, asUser + QStringList{program, QStringLiteral("failedSave")}, 300000,
        {QStringLiteral("HOME=") + home, QStringLiteral("TMPDIR=") + home});
    QVERIFY2(run.exitCode == 0, qPrintable(run.out.right(4000) + run.err.right(2000)));
    QVERIFY2(run.out.contains(QLatin1String("read-only folder")), qPrintable(run.out.right(2000)));
}

void TestKyDocumentRoundTrip::staleTemporariesRemoved_data()
{
    QTest::addColumn<QString>("sample");
    QTest::addColumn<QStringList>("targets"); // files of the save, after the capture's name
    QTest::newRow("single") << "gel" << QStringList{".tif", ".jpg", ".csv"};
    QTest::newRow("marker") << "marker" << QStringList{".tif", "-Marker.tif", "-Marker.jpg", "+Marker.jpg", ".csv"};
    QTest::newRow("three channels") << "fluor" << QStringList{"-Blue.tif", "-Green.tif", "-Red.tif", ".jpg", ".csv"};
    QTest::newRow("colorimetric") << "color" << QStringList{".tif", ".jpg", ".csv"};
}

// A save cut off between writing a temporary file and renaming it leaves that file beside the
// capture; the next save of the capture removes such leftovers of its own files, and nothing else.
void TestKyDocumentRoundTrip::staleTemporariesRemoved()
{
    QFETCH(QString, sample);
    QFETCH(QStringList, targets);

    const QString folder = SampleCaptureWriter(160, 240, 29).Write(sample, temp->filePath(QStringLiteral("captures")));
    QVERIFY(!folder.isEmpty());
    const QString name = folder.section(QLatin1Char('/'), -1);
    const QString base = folder + QLatin1Char('/') + name;
    std::unique_ptr<KyDocument> doc(KyDocument::Create(folder));
    QVERIFY(doc);
    layLanes(*doc, 4, 0.8);
    doc->ExtractLaneProfiles();
    QVERIFY(doc->AddBand(0, 1, 60) >= 0);

    const QStringList capture = treeOf(folder);
    for (const QString &target : targets) {
        QVERIFY(leaveStrayTemporary(base + target, QStringLiteral("kQzRwT"), readBytes(base + target)));
        QVERIFY(leaveStrayTemporary(base + target, QStringLiteral("bNmHjY"), "a second one"));
    }
    // Names that only look alike stay: other suffixes, other lengths, another file's leftovers.
    const QStringList others{name + QStringLiteral(".tif.bak"), name + QStringLiteral(".tif.ABCDEFG"),
                             name + QStringLiteral(".tif.ABC1EF"), name + QStringLiteral(".tif.ABCDE"),
                             name + QStringLiteral(".tifABCDEF"), name + QStringLiteral(".tif.backup"),
                             QStringLiteral("notes.txt.ABCDEF")};
    for (const QString &other : others)
        QVERIFY(writeBytes(folder + QLatin1Char('/') + other, "keep"));
    QCOMPARE(treeOf(folder).size(), capture.size() + 2 * targets.size() + others.size());

    QCOMPARE(doc->SaveInPlace(true, true, true), 0);
    QStringList expected = capture + others;
    if (!expected.contains(name + QStringLiteral(".csv")))
        expected << name + QStringLiteral(".csv");
    expected.sort();
    QCOMPARE(treeOf(folder), expected);
    for (const QString &other : others)
        QCOMPARE(readBytes(folder + QLatin1Char('/') + other), QByteArray("keep"));
}

KY_TEST_MAIN_WITH(QGuiApplication, TestKyDocumentRoundTrip)

#include "tst_kydocumentroundtrip.moc"
