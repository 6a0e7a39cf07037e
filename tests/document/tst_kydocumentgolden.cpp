// The analysis report of every kind of document, written by the kind's own save in place: a fixed
// small analysis on a capture the sample tool draws the same way every time, compared with the
// golden texts in tests/document/golden/. The report's arithmetic is checked once more by
// tests/document/reference/reportcheck.py.

#include "sampleanalysis.h"
#include "savedfiles.h"
#include "testmain.h"

#include "document/kydocument.h"
#include "samplecapturewriter.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <memory>

using namespace kytest;
using namespace sampleanalysis;

namespace {

const QString kAnalysisTime = QStringLiteral("Date and time of analysis,");

// Profile positions of the ladder's 225, 140, 95, 68 and 48 kDa bands in a 300 x 450 capture laid
// out by layLanes.
const QList<int> kLadder{18, 52, 80, 104, 129};

struct BandAt
{
    int channel;
    int lane;
    int position;
};

// The fixed analysis: four lanes, rolling-ball background, bands at fixed places, references in
// lanes 2 and 3 (none in lane 4), the ladder of channel inStandard calibrated with a shipped
// standard of which the first four weights are used.
QString analyse(KyDocument &ioDoc, int inStandard, const QList<BandAt> &inExtra, const QList<BandAt> &inReferences)
{
    layLanes(ioDoc, 4, 0.7);
    ioDoc.ExtractLaneProfiles();
    ioDoc.ApplyBackground(3, 2, true);
    QList<BandAt> bands;
    for (int position : kLadder)
        bands << BandAt{inStandard, 0, position};
    bands << inExtra;
    for (const BandAt &band : std::as_const(bands)) {
        if (ioDoc.AddBand(band.channel, band.lane, band.position) < 0)
            return QStringLiteral("band %1 %2 %3 refused").arg(band.channel).arg(band.lane).arg(band.position);
    }
    for (const BandAt &reference : inReferences) {
        if (!markReference(ioDoc, reference.channel, reference.lane, reference.position))
            return QStringLiteral("no band %1 in lane %2 of channel %3")
                .arg(reference.position)
                .arg(reference.lane)
                .arg(reference.channel);
    }
    ioDoc.SetMWStandard(KyMwStandard(QStringLiteral("Protein 9-225")));
    for (int k = 4; k < ioDoc.MWStandardValues().size(); ++k)
        ioDoc.SetMWStandardCheck(k, false);
    ioDoc.SetMWStandardLane(inStandard, 0);
    return QString();
}

// Bands at inPositions in each of inLanes of a channel.
QList<BandAt> sampleBands(int inChannel, const QList<int> &inLanes, const QList<int> &inPositions)
{
    QList<BandAt> bands;
    for (int lane : inLanes)
        for (int position : inPositions)
            bands << BandAt{inChannel, lane, position};
    return bands;
}

QStringList goldenLines(const QString &inName)
{
    const QByteArray bytes = readBytes(sourceDir() + QStringLiteral("/tests/document/golden/") + inName);
    QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

Q_DECLARE_METATYPE(QList<BandAt>)

class TestKyDocumentGolden : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void report_data();
    void report();
};

void TestKyDocumentGolden::initTestCase()
{
    useShippedData();
    QCOMPARE(KyMwStandard(QStringLiteral("Protein 9-225")).values().size(), 10);
}

void TestKyDocumentGolden::report_data()
{
    QTest::addColumn<QString>("sample");
    QTest::addColumn<QString>("golden");
    QTest::addColumn<int>("standard");
    QTest::addColumn<QList<BandAt>>("extra");
    QTest::addColumn<QList<BandAt>>("references"); // position = band index

    // The samples' bands: at 52 and 37 kDa on the blot, where the stain and each fluorescence
    // channel show theirs.
    QTest::newRow("single") << "gel" << "single.csv" << 0 << sampleBands(0, {1, 2, 3}, {124, 149})
                            << QList<BandAt>{{0, 1, 0}, {0, 2, 0}, {0, 2, 1}};
    QTest::newRow("marker") << "marker" << "marker.csv" << 0
                            << (sampleBands(0, {1, 2, 3}, {124, 149}) << BandAt{1, 0, 52} << BandAt{1, 2, 124})
                            << QList<BandAt>{{0, 1, 0}, {0, 2, 0}, {1, 2, 0}};
    QTest::newRow("three channels")
        << "fluor" << "threechannel.csv" << 1
        << (sampleBands(0, {1, 2, 3}, {114, 136}) << sampleBands(1, {3}, {114}) << sampleBands(2, {1}, {164}))
        << QList<BandAt>{{0, 1, 0}, {2, 1, 0}, {0, 2, 1}};
    QTest::newRow("colorimetric") << "color" << "colorimetric.csv" << 0 << sampleBands(0, {1, 2, 3}, {107, 154})
                                  << QList<BandAt>{{0, 1, 1}, {0, 2, 0}};
}

void TestKyDocumentGolden::report()
{
    QFETCH(QString, sample);
    QFETCH(QString, golden);
    QFETCH(int, standard);
    QFETCH(QList<BandAt>, extra);
    QFETCH(QList<BandAt>, references);

    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    SampleCaptureWriter writer(300, 450, 29);
    const QString folder = writer.Write(sample, temp.path());
    QVERIFY2(!folder.isEmpty(), qPrintable(writer.ErrorText()));
    std::unique_ptr<KyDocument> doc(KyDocument::Create(folder));
    QVERIFY(doc);
    QCOMPARE(analyse(*doc, standard, extra, references), QString());

    const QDateTime before = QDateTime::currentDateTime();
    QCOMPARE(doc->SaveInPlace(true, true, true), 0);
    const QString report = folder + QLatin1Char('/') + folder.section(QLatin1Char('/'), -1) + QStringLiteral(".csv");
    const QStringList lines = reportLines(report, before, QDateTime::currentDateTime());
    const QStringList expected = goldenLines(golden);
    if (lines != expected)
        qInfo("%s as written:\n%s", qPrintable(golden), qPrintable(lines.join(QLatin1Char('\n'))));
    QCOMPARE(lines, expected);

    // The numbers agree with each other as the columns define them.
    const ProgramRun check = runCaptured(QStringLiteral("/usr/bin/python3"),
                                         {sourceDir() + QStringLiteral("/tests/document/reference/reportcheck.py"), report},
                                         60000);
    QVERIFY2(check.exitCode == 0, qPrintable(check.out + check.err));
}

KY_TEST_MAIN_WITH(QGuiApplication, TestKyDocumentGolden)

#include "tst_kydocumentgolden.moc"
