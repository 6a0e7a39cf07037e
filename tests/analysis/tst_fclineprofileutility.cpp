// The line-profile utility: the straightened lane and its profile against an independent
// transcription on generated lanes and lines, and the cases that show the geometry directly.

#include "pythonreference.h"

#include "analysis/fclineprofileutility.h"
#include "analysis/kylaneframe.h"
#include "image/imagefile.h"

#include <QRandomGenerator>

#include <cmath>
#include <functional>

namespace {

constexpr double kTableA = 0.75;
constexpr double kTableB = 3.5;

// A value table that is neither identity nor linear, so that summing before the look-up shows.
const QVector<double> &valueTable()
{
    static const QVector<double> table = [] {
        QVector<double> t(65536);
        for (int g = 0; g < 65536; ++g)
            t[g] = g * kTableA + std::sqrt(double(g)) * kTableB;
        return t;
    }();
    return table;
}

ImageFile makeImage(int inWidth, int inHeight, const std::function<quint16(int, int)> &inPixel)
{
    ImageFile image;
    image.Resize(inWidth, inHeight);
    quint16 *p = image.Data();
    for (int y = 0; y < inHeight; ++y)
        for (int x = 0; x < inWidth; ++x)
            *p++ = inPixel(x, y);
    return image;
}

// x + 64 y: every pixel names its own place.
ImageFile placeImage()
{
    return makeImage(64, 100, [](int x, int y) { return quint16(x + 64 * y); });
}

KyLaneFrame frame(int inCount, double inRatio, QPoint inTL, QPoint inTR, QPoint inBL, QPoint inBR)
{
    KyLaneFrame f;
    f.set(inCount, inRatio, inTL, inTR, inBL, inBR);
    return f;
}

QJsonArray point(const QPoint &inPoint)
{
    return QJsonArray{inPoint.x(), inPoint.y()};
}

} // namespace

class TestFCLineProfileUtility : public QObject
{
    Q_OBJECT

private slots:
    void againstReference()
    {
        QRandomGenerator random(2718);
        const int width = 97;
        const int height = 83;
        const ImageFile image = makeImage(width, height, [&](int x, int y) {
            const quint32 r = random.bounded(100);
            // Smooth structure, noise, and both extremes now and then.
            if (r == 0)
                return quint16(65535);
            if (r == 1)
                return quint16(0);
            return quint16(20000 + 15000 * std::sin(x * 0.21) * std::cos(y * 0.13) + random.bounded(4000));
        });

        struct Lane
        {
            KyLaneFrame frame;
            int lane;
            bool average;
        };
        QList<Lane> lanes;
        const QList<KyLaneFrame> fixed = {
            frame(1, 0.5, {10, 5}, {18, 5}, {10, 45}, {18, 45}),        // straight down, width 4
            frame(4, 0.8, {5, 3}, {90, 3}, {5, 78}, {90, 78}),          // upright lanes
            frame(3, 0.9, {8, 10}, {80, 22}, {2, 70}, {70, 80}),        // slanted frame
            frame(5, 0.06, {5, 5}, {90, 5}, {20, 75}, {95, 70}),        // width 1
            frame(2, 0.9, {-20, -10}, {60, -4}, {-12, 95}, {70, 100}),  // hanging off the image
            frame(3, 0.7, {70, 8}, {20, 8}, {75, 70}, {15, 75}),        // right to left
        };
        for (const KyLaneFrame &f : fixed)
            for (int lane = 0; lane < f.laneCount(); ++lane)
                lanes.append({f, lane, lane % 2 == 0});
        for (int i = 0; i < 12; ++i) {
            const auto at = [&](int x0, int x1, int y0, int y1) {
                return QPoint(x0 + int(random.bounded(x1 - x0)), y0 + int(random.bounded(y1 - y0)));
            };
            const KyLaneFrame f = frame(1 + int(random.bounded(5)), 0.05 + random.generateDouble() * 0.95, at(0, 30, 0, 25),
                                        at(60, 97, 0, 25), at(0, 30, 55, 83), at(60, 97, 55, 83));
            const int lane = int(random.bounded(f.laneCount()));
            lanes.append({f, lane, bool(random.bounded(2))});
        }

        QJsonArray pixels;
        for (qsizetype i = 0; i < qsizetype(width) * height; ++i)
            pixels.append(image.ConstData()[i]);
        QJsonArray laneInput;
        QSet<int> widths;
        for (const Lane &l : std::as_const(lanes)) {
            QJsonArray polygon;
            for (const QPoint &p : l.frame.lanePolygon(l.lane))
                polygon.append(point(p));
            laneInput.append(QJsonObject{{"polygon", polygon},
                                         {"top", point(l.frame.laneTop(l.lane))},
                                         {"bottom", point(l.frame.laneBottom(l.lane))},
                                         {"length", l.frame.laneLength(l.lane)},
                                         {"width", l.frame.laneWidth()},
                                         {"average", l.average}});
            widths.insert(l.frame.laneWidth());
        }
        QVERIFY2(widths.contains(1) && widths.contains(4) && widths.size() > 5, "lanes of many widths, 1 among them");

        QList<QVector<QPoint>> lines = {{{0, 0}, {5, 0}},
                                        {{3, 4}, {3, 4}, {4, 4}, {40, 60}},
                                        {{90, 80}, {110, 90}, {-5, 30}, {10, -3}},
                                        {{50, 2}, {2, 50}, {50, 80}, {96, 40}, {50, 2}}};
        for (int i = 0; i < 6; ++i) {
            QVector<QPoint> line;
            for (int n = 2 + int(random.bounded(4)); n > 0; --n)
                line.append(QPoint(int(random.bounded(width)), int(random.bounded(height))));
            lines.append(line);
        }
        QJsonArray lineInput;
        for (const QVector<QPoint> &line : std::as_const(lines)) {
            QJsonArray points;
            for (const QPoint &p : line)
                points.append(point(p));
            lineInput.append(points);
        }

        const QJsonObject output = kytest::runPythonReference(
            QStringLiteral("analysis/reference/line_profile.py"),
            QJsonObject{{"image", QJsonObject{{"width", width}, {"height", height}, {"pixels", pixels}}},
                        {"table", QJsonObject{{"a", kTableA}, {"b", kTableB}}},
                        {"lanes", laneInput},
                        {"lines", lineInput}});
        const QJsonArray expectedLanes = output.value("lanes").toArray();
        QCOMPARE(expectedLanes.size(), lanes.size());
        for (int i = 0; i < lanes.size(); ++i) {
            const Lane &l = lanes.at(i);
            const QString where = QStringLiteral("lane case %1 (width %2)").arg(i).arg(l.frame.laneWidth());
            const FCLineProfileUtility utility(image, l.frame, valueTable(), l.average, l.lane);
            const QJsonObject e = expectedLanes.at(i).toObject();
            const QJsonArray size = e.value("size").toArray();
            QVERIFY2(utility.lineSize() == QSize(size.at(0).toInt(), size.at(1).toInt()), qPrintable(where));
            const QJsonArray expectedPixels = e.value("pixels").toArray();
            QVERIFY2(utility.linePixels().size() == expectedPixels.size(), qPrintable(where));
            for (int k = 0; k < expectedPixels.size(); ++k)
                QVERIFY2(utility.linePixels().at(k) == expectedPixels.at(k).toInt(), qPrintable(where + QStringLiteral(" pixel %1").arg(k)));
            const QVector<double> profile = kytest::fromJson(e.value("profile").toArray());
            QVERIFY2(utility.lineProfile().size() == profile.size(), qPrintable(where));
            for (int k = 0; k < profile.size(); ++k)
                QVERIFY2(std::abs(utility.lineProfile().at(k) - profile.at(k)) <= 1e-9 * std::max(1.0, std::abs(profile.at(k))),
                         qPrintable(where + QStringLiteral(" profile %1").arg(k)));
        }

        const QJsonArray expectedLines = output.value("lines").toArray();
        QCOMPARE(expectedLines.size(), lines.size());
        for (int i = 0; i < lines.size(); ++i) {
            QVector<unsigned short> samples;
            int count = -1;
            QCOMPARE(FCLineProfileUtility::GetNormalizeLineData(lines.at(i), image, samples, &count), 0);
            const QJsonArray e = expectedLines.at(i).toObject().value("pixels").toArray();
            QCOMPARE(count, int(e.size()));
            QCOMPARE(samples.size(), e.size());
            for (int k = 0; k < e.size(); ++k)
                QVERIFY2(samples.at(k) == e.at(k).toInt(), qPrintable(QStringLiteral("line %1 sample %2").arg(i).arg(k)));
        }
    }

    // Straight down, width 4: grid point (u, v) is the pixel 2 - v to the right of the centre line,
    // u below its top.
    void straightDownLane()
    {
        const ImageFile image = placeImage();
        const KyLaneFrame f = frame(1, 0.5, {10, 5}, {18, 5}, {10, 45}, {18, 45});
        QCOMPARE(f.laneWidth(), 4);
        const QPoint top = f.laneTop(0);
        const int length = f.laneLength(0);
        const FCLineProfileUtility utility(image, f, valueTable(), false, 0);
        QCOMPARE(utility.lineSize(), QSize(length, 4));
        for (int v = 0; v < 4; ++v)
            for (int u = 0; u < length; ++u)
                QCOMPARE(int(utility.linePixels().at(v * length + u)), (top.x() + 2 - v) + 64 * (top.y() + u));
        // Sums of four table values; the average is their mean.
        const FCLineProfileUtility averaged(image, f, valueTable(), true, 0);
        for (int u = 0; u < length; ++u) {
            double sum = 0;
            for (int v = 0; v < 4; ++v)
                sum += valueTable().at((top.x() + 2 - v) + 64 * (top.y() + u));
            QCOMPARE(utility.lineProfile().at(u), sum);
            QCOMPARE(averaged.lineProfile().at(u), sum / 4);
        }
    }

    void widthOneReadsNearestPixels()
    {
        const ImageFile image = placeImage();
        // Width 1, centre line from (12, 3) to (30, 60).
        const KyLaneFrame f = frame(1, 0.05, {2, 3}, {22, 3}, {20, 60}, {40, 60});
        QCOMPARE(f.laneWidth(), 1);
        const QPoint top = f.laneTop(0);
        const QPoint bottom = f.laneBottom(0);
        const int expected = int(std::sqrt(double((bottom - top).x() * (bottom - top).x() + (bottom - top).y() * (bottom - top).y())));
        for (bool average : {false, true}) {
            const FCLineProfileUtility utility(image, f, valueTable(), average, 0);
            QCOMPARE(utility.lineSize(), QSize(expected, 1));
            QCOMPARE(utility.lineProfile().size(), expected);
            QCOMPARE(utility.lineProfile().first(), valueTable().at(top.x() + 64 * top.y()));
            QCOMPARE(utility.lineProfile().last(), valueTable().at(bottom.x() + 64 * bottom.y()));
        }
    }

    void lineSamples()
    {
        const ImageFile image = placeImage();
        QVector<unsigned short> samples{7, 7};
        int count = 42;
        QCOMPARE(FCLineProfileUtility::GetNormalizeLineData({QPoint(1, 1)}, image, samples, &count), -1000);
        QCOMPARE(samples, (QVector<unsigned short>{7, 7}));
        QCOMPARE(count, 42);
        QCOMPARE(FCLineProfileUtility::GetNormalizeLineData({}, image, samples, &count), -1000);

        QCOMPARE(FCLineProfileUtility::GetNormalizeLineData({QPoint(0, 0), QPoint(5, 0)}, image, samples, &count), 0);
        QCOMPARE(count, 5);
        QCOMPARE(samples, (QVector<unsigned short>{0, 1, 2, 3, 5}));

        // A shared point is sampled twice; segments shorter than 2 give both their ends.
        QCOMPARE(FCLineProfileUtility::GetNormalizeLineData({QPoint(0, 1), QPoint(3, 1), QPoint(3, 1), QPoint(4, 1)}, image,
                                                            samples, &count),
                 0);
        QCOMPARE(count, 7);
        QCOMPARE(samples, (QVector<unsigned short>{64, 65, 67, 67, 67, 67, 68}));

        // Points off the image sample 0.
        QCOMPARE(FCLineProfileUtility::GetNormalizeLineData({QPoint(-2, 0), QPoint(2, 0), QPoint(2, 200)}, image, samples, nullptr), 0);
        QCOMPARE(samples.size(), 4 + 200);
        QCOMPARE(samples.at(0), 0);
        QCOMPARE(samples.at(3), 2);
        QCOMPARE(samples.last(), 0);
    }

    void bilinearSamples_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<QPoint>("origin");
        QTest::addColumn<int>("value");
        // A 4 x 3 image of 1000 + 100 x + 10 y.
        QTest::newRow("on a pixel") << 1.0 << 1.0 << QPoint() << 1110;
        QTest::newRow("between four") << 1.5 << 0.5 << QPoint() << 1155;
        QTest::newRow("truncated, not rounded") << 0.25 << 0.0 << QPoint() << 1025;
        QTest::newRow("last column blends with 0") << 3.5 << 0.0 << QPoint() << 650;
        QTest::newRow("last row blends with 0") << 0.0 << 2.5 << QPoint() << 510;
        QTest::newRow("relative to the origin") << 0.5 << 0.0 << QPoint(2, 1) << 1260;
        QTest::newRow("just before the origin") << -0.5 << 0.0 << QPoint(2, 1) << 0;
        QTest::newRow("uncovered") << -1.0 << -1.0 << QPoint() << 0;
        QTest::newRow("past the image") << 4.0 << 0.0 << QPoint() << 0;
        QTest::newRow("origin off the image") << 0.0 << 0.0 << QPoint(-1, 0) << 0;
    }

    void bilinearSamples()
    {
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(QPoint, origin);
        QFETCH(int, value);
        const ImageFile image = makeImage(4, 3, [](int px, int py) { return quint16(1000 + 100 * px + 10 * py); });
        QVector<unsigned short> pixels;
        FCLineProfileUtility::SampleImage(image, origin, {{x}}, {{y}}, pixels);
        QCOMPARE(pixels, QVector<unsigned short>{quint16(value)});
    }

    void smoothingSkipsUncoveredEntries()
    {
        FCLineProfileUtility::Map map = {{0, 0, 0, 0}, {3, 6, -1, 9}, {3, 9, 12, 3}, {6, 3, 6, 0}};
        FCLineProfileUtility::SmoothMap(map);
        // Along: (0,6,9) -> 5 at [1][1]; [1][2] is uncovered; [2][1] from (6,9,3) -> 6; [2][2] keeps 12 (-1 above).
        // Across: row 1 keeps 5 (its neighbour is -1); row 2 (3,6,12) -> 7, then (6,12,3) from the first pass -> 7.
        const FCLineProfileUtility::Map expected = {{0, 0, 0, 0}, {3, 5, -1, 9}, {3, 7, 7, 3}, {6, 3, 6, 0}};
        QCOMPARE(map, expected);
        FCLineProfileUtility::Map one = {{1, -1, 3}};
        FCLineProfileUtility::SmoothMap(one);
        QCOMPARE(one, (FCLineProfileUtility::Map{{1, -1, 3}}));
    }

    void nothingToReadLeavesInitialValues_data()
    {
        QTest::addColumn<bool>("nullImage");
        QTest::addColumn<int>("lane");
        QTest::addColumn<int>("count");
        QTest::newRow("null image") << true << 0 << 2;
        QTest::newRow("lane past the frame") << false << 2 << 2;
        QTest::newRow("negative lane") << false << -1 << 2;
        QTest::newRow("empty frame") << false << 0 << 0;
    }

    void nothingToReadLeavesInitialValues()
    {
        QFETCH(bool, nullImage);
        QFETCH(int, lane);
        QFETCH(int, count);
        const ImageFile image = nullImage ? ImageFile() : placeImage();
        KyLaneFrame f = frame(2, 0.5, {10, 5}, {30, 5}, {10, 45}, {30, 45});
        if (count == 0)
            f.clear();
        const FCLineProfileUtility utility(image, f, valueTable(), true, lane);
        QCOMPARE(utility.lineSize(), QSize(-1, -1));
        QCOMPARE(utility.linePixels(), (QVector<unsigned short>{0, 0, 0}));
        QCOMPARE(utility.lineProfile(), (QVector<double>{0, 0, 0}));
    }

    // A lane of no width has no rows: its average is 0, not 0 / 0. A lane of no length has no
    // samples.
    void degenerateLanes()
    {
        const ImageFile image = placeImage();
        const FCLineProfileUtility flat(image, frame(1, 0.0, {10, 5}, {30, 5}, {10, 45}, {30, 45}), valueTable(), true, 0);
        QCOMPARE(flat.lineSize(), QSize(40, 0));
        QVERIFY(flat.linePixels().isEmpty());
        QCOMPARE(flat.lineProfile(), QVector<double>(40, 0.0));

        const FCLineProfileUtility shortLane(image, frame(1, 0.5, {10, 5}, {30, 5}, {10, 5}, {30, 5}), valueTable(), true, 0);
        QCOMPARE(shortLane.lineSize(), QSize(0, 10));
        QVERIFY(shortLane.linePixels().isEmpty());
        QVERIFY(shortLane.lineProfile().isEmpty());
    }

    void shortValueTableCountsNothingPastItsEnd()
    {
        QVector<double> profile;
        FCLineProfileUtility::AccumulateRows({1, 2, 300, 3}, QSize(2, 2), {0.5, 1.5, 2.5, 3.5}, profile, false);
        QCOMPARE(profile, (QVector<double>{1.5 + 0.0, 2.5 + 3.5}));
        // Fewer pixels than the size claims: nothing is read.
        FCLineProfileUtility::AccumulateRows({1, 2}, QSize(2, 2), valueTable(), profile, true);
        QCOMPARE(profile, (QVector<double>{0, 0}));
    }
};

KY_TEST_MAIN(TestFCLineProfileUtility)
#include "tst_fclineprofileutility.moc"
