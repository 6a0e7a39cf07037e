// The five parsers of the analysis text items on random and hostile texts: each parse is quick,
// leaves the other channels alone, keeps only bands the profile can hold, and what it reads
// formats and reads back to the same text. Meant to run under the sanitizer build as well.

#include "bandsinside.h"
#include "testdocument.h"
#include "testmain.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QRandomGenerator>

#include <memory>

using namespace kytest;

namespace {

constexpr int kChannels = 3;
const QString kFrame = QStringLiteral("4,0.6,2,3,57,3,2,37,57,37");

QVector<ImageFile> fuzzImages()
{
    QVector<ImageFile> images;
    for (int c = 0; c < kChannels; ++c)
        images.append(gelImage(60, 40, 4, 90 + c, c == 2));
    return images;
}

// One field: numbers of every size, lane marks good and bad, names, method names, nothing.
QString randomField(QRandomGenerator &ioRandom)
{
    static const QStringList pool = {
        "", "", "0", "1", "-1", "7", "12", "40", "41", "99999999999", "-99999999999", "2147483647",
        "-2147483648", "1e308", "-1e308", "1e-320", "nan", "inf", "-inf", "0x10", " 5", "5 ", "+3", "#", "#x",
        "#0", "#1", "#2", "#3", "#4", "#5", "#-1", "#-2147483648", "#2147483647", "##2", "#1#2", "#99999999999", "Rolling ball", "Rubber band",
        "Minimum profile", "None", "name", " two  blanks ", "a\tb", "\xe9t\xe9", "=", "Ladder 1", "#name",
        " #2", "\x0b#", "\x01# #3"};
    const quint32 pick = ioRandom.bounded(10u);
    if (pick < 6)
        return pool.at(int(ioRandom.bounded(quint32(pool.size()))));
    if (pick < 9)
        return QString::number(qint64(ioRandom.bounded(200u)) - 20);
    // Random Latin-1 bytes, commas and line breaks included.
    QString s;
    const int n = int(ioRandom.bounded(8u));
    for (int k = 0; k < n; ++k)
        s += QChar(ushort(ioRandom.bounded(256u)));
    return s;
}

QString randomText(QRandomGenerator &ioRandom)
{
    const int fields = int(ioRandom.bounded(ioRandom.bounded(4u) == 0 ? 200u : 20u));
    QStringList list;
    for (int k = 0; k < fields; ++k)
        list << randomField(ioRandom);
    QString text = list.join(QLatin1Char(','));
    if (ioRandom.bounded(3u) == 0)
        text += QLatin1Char(',');
    return text;
}

std::unique_ptr<TestDocument> framedDocument(const QVector<ImageFile> &inImages)
{
    auto doc = std::make_unique<TestDocument>(inImages);
    doc->ParseLanes(kFrame);
    return doc;
}

QStringList allBandTexts(const KyDocument &inDoc)
{
    QStringList texts;
    for (int c = 0; c < kChannels; ++c)
        texts << inDoc.FormatBands(c);
    return texts;
}

} // namespace

class TestKyDocumentParseFuzz : public QObject
{
    Q_OBJECT

private slots:
    void randomTexts();
    void storedItemsRoundTrip();
    void millionFields_data();
    void millionFields();
    void hostileFramesOnACaptureSizedImage_data();
    void hostileFramesOnACaptureSizedImage();
};

void TestKyDocumentParseFuzz::randomTexts()
{
    const QVector<ImageFile> images = fuzzImages();
    QRandomGenerator random(20240611);
    QElapsedTimer timer;
    qint64 slowest = 0;
    for (int round = 0; round < 1500; ++round) {
        const QString text = randomText(random);
        auto doc = framedDocument(images);
        auto again = framedDocument(images);
        const int which = int(random.bounded(5u));
        timer.start();
        switch (which) {
        case 0: {
            QVERIFY(doc->ParseLanes(text));
            slowest = std::max(slowest, timer.elapsed());
            const KyLaneFrame &f = doc->LaneFrame();
            QVERIFY(f.isEmpty() || (f.laneCount() <= 60 && f.laneWidthRatio() > 0.0 && f.laneWidthRatio() <= 1.0));
            QVERIFY(again->ParseLanes(doc->FormatLanes()));
            QCOMPARE(again->FormatLanes(), doc->FormatLanes());
            break;
        }
        case 1: {
            const int channel = int(random.bounded(quint32(kChannels)));
            // Some bands in every channel first, to see that the other channels keep theirs.
            for (int c = 0; c < kChannels; ++c)
                doc->ParseBands(c, QStringLiteral("p%1,#%2,3,5,8,1,").arg(c).arg(c + 1));
            const QStringList before = allBandTexts(*doc);
            doc->ParseBands(channel, text);
            slowest = std::max(slowest, timer.elapsed());
            const QStringList after = allBandTexts(*doc);
            for (int c = 0; c < kChannels; ++c) {
                if (c != channel)
                    QCOMPARE(after.at(c), before.at(c));
            }
            QVERIFY(bandsInside(*doc));
            QVERIFY(again->ParseBands(channel, doc->FormatBands(channel)));
            QCOMPARE(again->FormatBands(channel), doc->FormatBands(channel));
            QCOMPARE(again->ChannelText(channel), KyDocument::ItemSafeName(doc->ChannelText(channel), true));
            break;
        }
        case 2:
            QVERIFY(doc->ParseBackground(text));
            slowest = std::max(slowest, timer.elapsed());
            QVERIFY(again->ParseBackground(doc->FormatBackground()));
            QCOMPARE(again->FormatBackground(), doc->FormatBackground());
            break;
        case 3:
            QVERIFY(doc->ParseMWStandardLane(text));
            slowest = std::max(slowest, timer.elapsed());
            QVERIFY(doc->MWStandardChannel() >= -1 && doc->MWStandardChannel() <= 2);
            QVERIFY(doc->MWStandardLane() < 4);
            QVERIFY(again->ParseMWStandardLane(doc->FormatMWStandardLane()));
            QCOMPARE(again->FormatMWStandardLane(), doc->FormatMWStandardLane());
            break;
        default:
            QVERIFY(doc->ParseMWStandard(text));
            slowest = std::max(slowest, timer.elapsed());
            QCOMPARE(doc->MWStandardValues().size(), doc->MWStandardChecks().size());
            QVERIFY(again->ParseMWStandard(doc->FormatMWStandard()));
            QCOMPARE(again->FormatMWStandard(), doc->FormatMWStandard());
            break;
        }
        // Whatever was read, the analysis still computes.
        doc->ComputeNormalization();
        doc->MWCurveRSquared();
        QVERIFY(bandsInside(*doc));
    }
    QVERIFY2(slowest < 1000, qPrintable(QStringLiteral("slowest parse %1 ms").arg(slowest)));
}

void TestKyDocumentParseFuzz::storedItemsRoundTrip()
{
    // Random items in the images, read as an opened capture, written and read again: the second
    // reading gives the texts the first one wrote.
    const QVector<ImageFile> clean = fuzzImages();
    QRandomGenerator random(77);
    const QStringList keys = {KyItemName::Lane, KyItemName::Band, KyItemName::Background, KyItemName::MWStandardLane,
                              KyItemName::MWStandard};
    for (int round = 0; round < 300; ++round) {
        QVector<ImageFile> images = clean;
        for (ImageFile &image : images) {
            for (const QString &key : keys) {
                if (random.bounded(4u) == 0)
                    continue;
                QString text = randomText(random);
                if (key == KyItemName::Lane && random.bounded(2u) == 0)
                    text = kFrame;
                image.SetTag(key, text);
            }
        }
        TestDocument first(QStringLiteral("/c/A"), images);
        QVERIFY(!first.IsDirty());
        QVERIFY(bandsInside(first));
        first.WriteAnalysisMetadata();
        TestDocument second(QStringLiteral("/c/A"), first.images());
        second.WriteAnalysisMetadata();
        for (int c = 0; c < kChannels; ++c) {
            for (const QString &key : keys)
                QCOMPARE(second.images().at(c).Tag(key), first.images().at(c).Tag(key));
        }
    }
}

void TestKyDocumentParseFuzz::millionFields_data()
{
    QTest::addColumn<int>("parser");
    QTest::addColumn<QString>("unit");

    QTest::newRow("lanes") << 0 << "4,";
    QTest::newRow("bands") << 1 << "1,2,3,1,";
    QTest::newRow("band lanes") << 1 << "#2,";
    QTest::newRow("bad band lanes") << 1 << "#9,1,";
    QTest::newRow("background") << 2 << "Rolling ball,";
    QTest::newRow("standard lane") << 3 << "1,";
    QTest::newRow("standard") << 4 << "100,1,";
    QTest::newRow("empty fields") << 4 << ",";
}

void TestKyDocumentParseFuzz::millionFields()
{
    QFETCH(int, parser);
    QFETCH(QString, unit);
    const int fieldsPerUnit = int(unit.count(QLatin1Char(',')));
    QString text = parser == 1 ? QStringLiteral("name,#1,") : QStringLiteral("L,bp,");
    text.reserve(text.size() + unit.size() * (1000000 / fieldsPerUnit + 1));
    for (int k = 0; k < 1000000 / fieldsPerUnit; ++k)
        text += unit;
    auto doc = framedDocument(fuzzImages());
    doc->ParseBands(0, QStringLiteral("zero,#1,1,2,3,0,"));
    const QString zero = doc->FormatBands(0);
    QElapsedTimer timer;
    timer.start();
    switch (parser) {
    case 0:
        QVERIFY(doc->ParseLanes(text));
        break;
    case 1:
        QVERIFY(doc->ParseBands(1, text));
        QCOMPARE(doc->FormatBands(0), zero);
        QVERIFY(doc->BandCount(1, 0) <= KyDocument::kMaxStoredBandsPerLane);
        QVERIFY(bandsInside(*doc));
        break;
    case 2:
        QVERIFY(doc->ParseBackground(text));
        break;
    case 3:
        QVERIFY(doc->ParseMWStandardLane(text));
        break;
    default:
        QVERIFY(doc->ParseMWStandard(text));
        break;
    }
    QVERIFY2(timer.elapsed() < 10000, qPrintable(QStringLiteral("%1 ms").arg(timer.elapsed())));
}

void TestKyDocumentParseFuzz::hostileFramesOnACaptureSizedImage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("lanes");

    // The image is 2046 x 3072 pixels; its diagonal is 3690 pixels.
    QTest::newRow("lanes as wide as a million pitches") << "256,1e6,0,0,2045,0,0,3071,2045,3071" << 0;
    QTest::newRow("a lane per column, a million pitches wide") << "2046,1e6,0,0,2045,0,0,3071,2045,3071" << 0;
    // Lanes longer than the image is across, or more of them than a user lays, are no frame laid
    // on this capture: their profiles and backgrounds would cost minutes.
    QTest::newRow("widest lanes, corners a diagonal off the image")
        << "256,1,-3690,-3690,5735,-3690,-3690,6761,5735,6761" << 0;
    QTest::newRow("a lane per column, corners a diagonal off the image")
        << "2046,1,-3690,-3690,5735,-3690,-3690,6761,5735,6761" << 0;
    QTest::newRow("256 lanes of the image's height") << "256,1,0,0,2045,0,0,3071,2045,3071" << 0;
    QTest::newRow("25 lanes of the image's height") << "25,1,0,0,2045,0,0,3071,2045,3071" << 25;
    QTest::newRow("corners farther off") << "256,1,-3700,0,2045,0,0,3071,2045,3071" << 0;
}

void TestKyDocumentParseFuzz::hostileFramesOnACaptureSizedImage()
{
    // Extraction work grows with the lane width and the frame's size: a stored frame must not
    // keep the open task busy for minutes.
    QFETCH(QString, text);
    TestDocument doc({uniformImage(2046, 3072, 3000)});
    QElapsedTimer timer;
    timer.start();
    QVERIFY(doc.ParseLanes(text));
    QTEST(doc.LaneFrame().laneCount(), "lanes");
    QVERIFY2(timer.elapsed() < 20000, qPrintable(QStringLiteral("%1 ms").arg(timer.elapsed())));
}

KY_TEST_MAIN_WITH(QGuiApplication, TestKyDocumentParseFuzz)
#include "tst_kydocumentparsefuzz.moc"
