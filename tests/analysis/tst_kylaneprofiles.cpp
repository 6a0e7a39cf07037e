#include "pythonreference.h"
#include "testmain.h"

#include "analysis/backgroundsubtraction.h"
#include "analysis/kylaneframe.h"
#include "analysis/kylaneprofiles.h"
#include "analysis/kysaturatedrun.h"
#include "image/imagefile.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QThreadPool>
#include <QtConcurrent>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

using Profile = QVector<double>;
using Corners = QVector<QPoint>; // top-left, top-right, bottom-left, bottom-right
using Points = QVector<int>;

Q_DECLARE_METATYPE(Corners)

namespace {

constexpr int kIntMin = std::numeric_limits<int>::min();
constexpr int kIntMax = std::numeric_limits<int>::max();
constexpr quint16 kSaturated = 65535;

KyLaneFrame makeFrame(int count, double ratio, const Corners &c)
{
    KyLaneFrame frame;
    frame.set(count, ratio, c.at(0), c.at(1), c.at(2), c.at(3));
    return frame;
}

ImageFile makeImage(int width, int height, const std::function<quint16(int, int)> &pixel)
{
    ImageFile image;
    image.Resize(width, height);
    quint16 *data = image.Data();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            data[qsizetype(y) * width + x] = pixel(x, y);
    return image;
}

// A gel: a sloping background, dark lanes of bands with noise, and a few bands burnt out to the
// saturated level.
ImageFile gelImage(int width, int height, quint32 seed)
{
    QRandomGenerator random(seed);
    struct Band
    {
        double x, y, sx, sy, height;
    };
    QVector<Band> bands;
    for (int b = 0; b < 40; ++b)
        bands.append({random.bounded(double(width)), random.bounded(double(height)), 2.0 + random.bounded(8.0),
                      1.0 + random.bounded(3.0), 2000.0 + random.bounded(70000.0)});
    return makeImage(width, height, [&](int x, int y) {
        double v = 1500.0 + 8.0 * x + 5.0 * y + random.bounded(300.0);
        for (const Band &b : bands)
            v += b.height * std::exp(-0.5 * ((x - b.x) * (x - b.x) / (b.sx * b.sx) + (y - b.y) * (y - b.y) / (b.sy * b.sy)));
        return quint16(std::min(v, 65535.0));
    });
}

QVector<double> identityTable()
{
    QVector<double> table(65536);
    for (int g = 0; g < table.size(); ++g)
        table[g] = g;
    return table;
}

// Table of an affine map: grey level 0 is worth something, so samples off the image count.
QVector<double> affineTable()
{
    QVector<double> table(65536);
    for (int g = 0; g < table.size(); ++g)
        table[g] = 3.0 * g + 7.0;
    return table;
}

QVector<double> invertedTable()
{
    QVector<double> table(65536);
    for (int g = 0; g < table.size(); ++g)
        table[g] = 65535 - g;
    return table;
}

QVector<double> randomIntegerTable(quint32 seed)
{
    QRandomGenerator random(seed);
    QVector<double> table(65536);
    for (double &v : table)
        v = random.bounded(1000000);
    return table;
}

// An optical-density-like table: values that are not whole numbers.
QVector<double> densityTable()
{
    QVector<double> table(65536);
    table[0] = 0.0;
    for (int g = 1; g < table.size(); ++g) {
        const double x = std::log(1.0 - g / 70000.0) / std::log(10.0);
        table[g] = 0.3 * x * x - 1.7 * x + 0.01;
    }
    return table;
}

QJsonObject frameToJson(const KyLaneFrame &frame)
{
    return QJsonObject{{"count", frame.laneCount()},
                       {"ratio", frame.laneWidthRatio()},
                       {"corners", QJsonArray{frame.topLeft().x(), frame.topLeft().y(), frame.topRight().x(),
                                              frame.topRight().y(), frame.bottomLeft().x(), frame.bottomLeft().y(),
                                              frame.bottomRight().x(), frame.bottomRight().y()}}};
}

QJsonArray pixelsToJson(const ImageFile &image)
{
    QJsonArray array;
    const quint16 *p = image.ConstData();
    for (qsizetype i = 0; i < qsizetype(image.Width()) * image.Height(); ++i)
        array.append(int(p[i]));
    return array;
}

bool allFinite(const Profile &values)
{
    return std::all_of(values.cbegin(), values.cend(), [](double v) { return std::isfinite(v); });
}

// The bilinear sampling of one lane that every lane had before lanes standing on whole pixel
// columns were read straight from the rows (lanes no wider than the image's diagonal): point j is
// the mean of 2 (half + 1) samples across the lane, the centre counted twice, summed in this
// order; saturated where any sample touched a saturated pixel.
Profile bilinearProfile(const ImageFile &image, const QVector<double> &table, const KyLaneFrame &frame, int lane,
                        QVector<bool> &saturated)
{
    const QPoint top = frame.laneTop(lane);
    const QPoint bottom = frame.laneBottom(lane);
    const int length = frame.laneLength(lane);
    const QPointF across = frame.topEdgeDirection();
    const int half = frame.laneWidth() / 2;
    Profile values(length + 1);
    saturated.fill(false, length + 1);
    for (int j = 0; j <= length; ++j) {
        const double cx = top.x() + static_cast<double>(qint64(bottom.x() - top.x()) * j) / length;
        const double cy = top.y() + static_cast<double>(qint64(bottom.y() - top.y()) * j) / length;
        double sum = 0.0;
        for (int k = 0; k <= half; ++k) {
            bool plus = false, minus = false;
            sum += table[image.BilinearSample(cx + k * across.x(), cy + k * across.y(), &plus)];
            sum += table[image.BilinearSample(cx - k * across.x(), cy - k * across.y(), &minus)];
            saturated[j] = saturated[j] || plus || minus;
        }
        values[j] = sum / (2.0 * (double(half) + 1.0));
    }
    return values;
}

struct ReferenceCase
{
    QString name;
    int image;
    int table;
    KyLaneFrame frame;
    bool exact;
};

} // namespace

class TestKyLaneProfiles : public QObject
{
    Q_OBJECT

    QVector<ImageFile> mImages;
    QVector<QVector<double>> mTables;
    QVector<ReferenceCase> mCases;
    QJsonArray mExpected;

private slots:
    // Synthetic images, value tables and frames of every shape, their profiles computed once by
    // the independent reference for the comparison below.
    void initTestCase()
    {
        mImages = {gelImage(120, 90, 31), gelImage(23, 17, 32),
                   // Every fourth pixel burnt out: many short runs of saturated points.
                   makeImage(40, 30, [](int x, int y) {
                       return (x * 7 + y * 3) % 4 == 0 ? kSaturated : quint16(100 * x + 31 * y);
                   })};
        mTables = {identityTable(), affineTable(), invertedTable(), randomIntegerTable(77), densityTable()};
        enum { Gel, Small, Spotted };
        enum { Identity, Affine, Inverted, RandomInt, Density };

        auto add = [&](const QString &name, int image, int table, int count, double ratio, const Corners &c) {
            mCases.append({name, image, table, makeFrame(count, ratio, c), table != Density});
        };
        const Corners upright{{10, 8}, {110, 8}, {10, 80}, {110, 80}};
        for (int table : {Identity, Affine, Inverted, RandomInt})
            add(QStringLiteral("upright, table %1").arg(table), Gel, table, 6, 0.7, upright);
        add("upright, fractional table", Gel, Density, 6, 0.7, upright);
        add("tilted", Gel, Identity, 5, 0.8, {{12, 15}, {105, 4}, {20, 85}, {112, 74}});
        add("tilted, random table", Gel, RandomInt, 5, 0.8, {{12, 15}, {105, 4}, {20, 85}, {112, 74}});
        add("trapezoid", Gel, Affine, 4, 0.6, {{30, 5}, {90, 5}, {5, 85}, {115, 85}});
        add("sheared", Gel, Identity, 3, 0.9, {{5, 5}, {60, 20}, {40, 80}, {100, 88}});
        add("upside down", Gel, Identity, 4, 0.5, {{110, 80}, {10, 80}, {110, 8}, {10, 8}});
        add("width 1", Gel, Identity, 6, 0.06, upright);
        add("width 2", Gel, Inverted, 6, 0.12, upright);
        add("corners on the image's last row and column", Gel, Identity, 5, 1.0, {{0, 0}, {119, 0}, {0, 89}, {119, 89}});
        add("partly off the image", Gel, Affine, 7, 0.9, {{-30, -20}, {150, -20}, {-30, 120}, {150, 120}});
        add("wholly off the image", Gel, Affine, 2, 0.5, {{200, 10}, {260, 10}, {200, 60}, {260, 60}});
        add("wider than the image", Small, Affine, 1, 4.0, {{2, 3}, {20, 3}, {2, 16}, {20, 16}});
        add("wider than the image, random table", Small, RandomInt, 1, 4.0, {{2, 3}, {20, 3}, {2, 16}, {20, 16}});
        add("wider than the image, tilted", Small, Affine, 2, 9.0, {{1, 2}, {21, 6}, {3, 15}, {19, 16}});
        add("ratio above 1", Gel, Identity, 6, 2.5, upright);
        add("ratio 0", Gel, Identity, 6, 0.0, upright);
        add("negative ratio", Gel, Identity, 6, -0.7, upright);
        add("top edge of no length", Gel, Identity, 4, 0.5, {{40, 10}, {40, 10}, {20, 80}, {100, 80}});
        add("vertical top edge", Gel, Identity, 3, 0.7, {{10, 10}, {10, 80}, {100, 10}, {100, 80}});
        add("vertical top edge upward", Gel, RandomInt, 3, 0.7, {{100, 80}, {100, 10}, {10, 80}, {10, 10}});
        add("second lane of no length", Gel, Identity, 3, 0.7, {{20, 40}, {80, 40}, {20, 70}, {80, 10}});
        add("first lane of no length", Gel, Identity, 2, 0.7, {{20, 40}, {80, 40}, {20, 40}, {80, 40}});
        add("short lanes", Gel, Identity, 3, 0.7, {{20, 40}, {80, 40}, {20, 41}, {80, 42}});
        add("saturated spots", Spotted, Identity, 4, 0.5, {{0, 0}, {39, 0}, {0, 29}, {39, 29}});
        add("saturated spots, tilted", Spotted, Affine, 3, 0.3, {{2, 3}, {37, 9}, {1, 27}, {36, 29}});

        QJsonArray images, tables, cases;
        for (const ImageFile &image : mImages)
            images.append(pixelsToJson(image));
        for (const QVector<double> &table : mTables)
            tables.append(kytest::toJson(table));
        for (const ReferenceCase &c : mCases) {
            const ImageFile &image = mImages.at(c.image);
            cases.append(QJsonObject{{"width", image.Width()},
                                     {"height", image.Height()},
                                     {"pixels", images.at(c.image)},
                                     {"table", c.table},
                                     {"frame", frameToJson(c.frame)}});
        }
        mExpected = kytest::runPythonReference(QStringLiteral("analysis/reference/lane_profiles.py"),
                                               QJsonObject{{"tables", tables}, {"cases", cases}})
                        .value("cases")
                        .toArray();
        QCOMPARE(mExpected.size(), mCases.size());
    }

    // Every profile value and every saturated point equals the reference: exactly for whole
    // numbered tables (the sums are exact), to rounding for a fractional one.
    void matchesReference_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < mCases.size(); ++i)
            QTest::newRow(qPrintable(mCases.at(i).name)) << i;
    }

    void matchesReference()
    {
        QFETCH(int, index);
        const ReferenceCase &c = mCases.at(index);
        const QJsonObject expected = mExpected.at(index).toObject();
        const QJsonArray profiles = expected["profiles"].toArray();
        const QJsonArray saturated = expected["saturated"].toArray();

        KyLaneProfiles lanes;
        lanes.extract(mImages.at(c.image), mTables.at(c.table), c.frame);

        for (int lane = 0; lane <= c.frame.laneCount(); ++lane) {
            const Profile actual = lanes.profile(lane);
            const Profile wanted = lane < profiles.size() ? kytest::fromJson(profiles.at(lane).toArray()) : Profile();
            QCOMPARE(lanes.profileLength(lane), wanted.size());
            QCOMPARE(actual.size(), wanted.size());
            for (int j = 0; j < wanted.size(); ++j) {
                const bool same = c.exact ? actual.at(j) == wanted.at(j)
                                          : std::abs(actual.at(j) - wanted.at(j)) <= 1e-12 * std::abs(wanted.at(j));
                QVERIFY2(same, qPrintable(QStringLiteral("lane %1, point %2: %3, expected %4")
                                              .arg(lane)
                                              .arg(j)
                                              .arg(actual.at(j), 0, 'g', 17)
                                              .arg(wanted.at(j), 0, 'g', 17)));
            }
            // Point by point (and one beyond each end), saturation is what the reference found.
            const QJsonArray flags = lane < saturated.size() ? saturated.at(lane).toArray() : QJsonArray();
            for (int j = -1; j <= wanted.size(); ++j) {
                const bool want = j >= 0 && j < flags.size() && flags.at(j).toInt() != 0;
                QVERIFY2(lanes.isSaturated(lane, j, j) == want,
                         qPrintable(QStringLiteral("lane %1, point %2 should %3be saturated").arg(lane).arg(j).arg(want ? "" : "not ")));
            }
            // Each reference run is one run: saturated as a whole, bounded by unsaturated points.
            for (const QJsonValue &run : expected["runs"].toArray().at(lane).toArray()) {
                const int first = run.toArray().at(0).toInt();
                const int last = run.toArray().at(1).toInt();
                QVERIFY(lanes.isSaturated(lane, first, last));
                QVERIFY(!lanes.isSaturated(lane, first - 1, first - 1));
                QVERIFY(!lanes.isSaturated(lane, last + 1, last + 1));
            }
        }
    }

    // The reference cases are meant to hold saturation and stopped extractions; make sure they do.
    void referenceCasesCoverTheirPoint()
    {
        int runs = 0, stopped = 0;
        for (int i = 0; i < mCases.size(); ++i) {
            const QJsonObject expected = mExpected.at(i).toObject();
            for (const QJsonValue &lane : expected["runs"].toArray())
                runs += lane.toArray().size();
            if (expected["profiles"].toArray().size() < mCases.at(i).frame.laneCount())
                ++stopped;
        }
        QVERIFY2(runs >= 20, qPrintable(QString::number(runs)));
        QCOMPARE(stopped, 2);
    }

    void noProfiles_data()
    {
        QTest::addColumn<bool>("nullImage");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("tableSize");
        QTest::newRow("empty frame") << false << 0 << 65536;
        QTest::newRow("negative lane count") << false << -3 << 65536;
        QTest::newRow("image without pixels") << true << 4 << 65536;
        QTest::newRow("short value table") << false << 4 << 65535;
        QTest::newRow("no value table") << false << 4 << 0;
    }

    void noProfiles()
    {
        QFETCH(bool, nullImage);
        QFETCH(int, count);
        QFETCH(int, tableSize);
        const ImageFile image = nullImage ? ImageFile() : makeImage(50, 40, [](int, int) { return kSaturated; });
        QVector<double> table = identityTable();
        table.resize(tableSize);

        KyLaneProfiles lanes;
        // Profiles of an earlier extraction do not survive a failed one.
        lanes.extract(makeImage(50, 40, [](int, int) { return kSaturated; }), identityTable(),
                      makeFrame(4, 0.5, {{5, 5}, {45, 5}, {5, 35}, {45, 35}}));
        QCOMPARE(lanes.profileLength(0), 31);
        lanes.detectBackgrounds(BackgroundSubtraction::kMethod_MinimumProfile, 0);
        QVERIFY(lanes.hasBackground());

        lanes.extract(image, table, makeFrame(count, 0.5, {{5, 5}, {45, 5}, {5, 35}, {45, 35}}));
        for (int lane = -1; lane <= 4; ++lane) {
            QCOMPARE(lanes.profileLength(lane), 0);
            QVERIFY(lanes.profile(lane).isEmpty());
            QVERIFY(lanes.netProfile(lane).isEmpty());
            QVERIFY(lanes.background(lane).isEmpty());
            QVERIFY(!lanes.isSaturated(lane, kIntMin, kIntMax));
        }
        QVERIFY(!lanes.hasBackground());
        lanes.detectBackgrounds(BackgroundSubtraction::kMethod_MinimumProfile, 0);
        QVERIFY(!lanes.hasBackground());
    }

    // A lane whose length comes out as 0 ends the extraction: the lanes before it keep their
    // profiles, it and every later lane stay empty.
    void laneOfNoLengthEndsExtraction_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<Corners>("corners");
        QTest::addColumn<Points>("lengths");
        QTest::newRow("first lane") << 2 << Corners{{20, 40}, {80, 40}, {20, 40}, {80, 40}} << Points{0, 0};
        QTest::newRow("middle lane") << 3 << Corners{{20, 40}, {80, 40}, {20, 70}, {80, 10}} << Points{21, 0, 0};
        QTest::newRow("last lane") << 2 << Corners{{20, 40}, {80, 40}, {20, 70}, {80, 30}} << Points{21, 0};
        QTest::newRow("lanes of length 1") << 2 << Corners{{20, 40}, {80, 40}, {20, 41}, {80, 41}} << Points{2, 2};
    }

    void laneOfNoLengthEndsExtraction()
    {
        QFETCH(int, count);
        QFETCH(Corners, corners);
        QFETCH(Points, lengths);
        KyLaneProfiles lanes;
        lanes.extract(gelImage(120, 90, 5), identityTable(), makeFrame(count, 0.7, corners));
        for (int lane = 0; lane < count; ++lane)
            QCOMPARE(lanes.profileLength(lane), lengths.at(lane));
        QCOMPARE(lanes.profileLength(count), 0);
    }

    // With a lane one pixel wide (K = 0) each profile value is the value of the single centre
    // sample, whatever the table: the centre counted twice and halved gives it back.
    void singleSampleWidth()
    {
        const ImageFile image = gelImage(120, 90, 8);
        const QVector<double> table = densityTable();
        const KyLaneFrame narrow = makeFrame(3, 0.04, {{10, 12}, {107, 3}, {15, 80}, {112, 84}});
        QCOMPARE(narrow.laneWidth(), 1);

        KyLaneProfiles lanes;
        lanes.extract(image, table, narrow);
        for (int lane = 0; lane < 3; ++lane) {
            const QPoint top = narrow.laneTop(lane);
            const QPoint bottom = narrow.laneBottom(lane);
            const int length = narrow.laneLength(lane);
            const Profile profile = lanes.profile(lane);
            QCOMPARE(profile.size(), length + 1);
            for (int j = 0; j <= length; ++j) {
                const double x = top.x() + double((bottom.x() - top.x()) * j) / length;
                const double y = top.y() + double((bottom.y() - top.y()) * j) / length;
                QCOMPARE(profile.at(j), table.at(image.BilinearSample(x, y)));
            }
        }
    }

    // Saturated runs along one upright lane on column 5, sampled at whole pixels (K = 0), so that
    // each point reads exactly its own pixel.
    void saturatedRuns_data()
    {
        QTest::addColumn<Points>("burnt");    // rows of column 5 at the saturated level
        QTest::addColumn<Points>("saturated"); // profile points expected saturated
        QTest::newRow("none") << Points{} << Points{};
        QTest::newRow("last point alone") << Points{20} << Points{20};
        QTest::newRow("first point alone") << Points{0} << Points{0};
        QTest::newRow("points 3 to 5") << Points{3, 4, 5} << Points{3, 4, 5};
        QTest::newRow("two runs") << Points{3, 4, 5, 9} << Points{3, 4, 5, 9};
        QTest::newRow("run to the end") << Points{17, 18, 19, 20} << Points{17, 18, 19, 20};
        QTest::newRow("whole lane") << Points{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}
                                    << Points{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
        QTest::newRow("beyond the lane's end") << Points{21, 22} << Points{};
    }

    void saturatedRuns()
    {
        QFETCH(Points, burnt);
        QFETCH(Points, saturated);
        const ImageFile image = makeImage(11, 30, [&](int x, int y) {
            return x == 5 && burnt.contains(y) ? kSaturated : quint16(1000 + y);
        });
        KyLaneProfiles lanes;
        lanes.extract(image, identityTable(), makeFrame(1, 0.05, {{0, 0}, {10, 0}, {0, 20}, {10, 20}}));
        QCOMPARE(lanes.profileLength(0), 21);
        for (int j = -2; j <= 22; ++j)
            QVERIFY2(lanes.isSaturated(0, j, j) == saturated.contains(j), qPrintable(QString::number(j)));
        if (!saturated.isEmpty())
            QVERIFY(lanes.isSaturated(0, saturated.first(), saturated.last()));
        QVERIFY(lanes.isSaturated(0, kIntMin, kIntMax) == !saturated.isEmpty());
        // A saturated pixel reads as 65535 like any other grey level.
        for (int j : saturated)
            QCOMPARE(lanes.profile(0).at(j), 65535.0);
    }

    // A run {3, 5} overlaps from..to when from <= 5 and to >= 3: touching at one end counts.
    void runOverlaps_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("overlaps");
        QTest::newRow("before") << 0 << 2 << false;
        QTest::newRow("touching the first point") << 0 << 3 << true;
        QTest::newRow("touching the last point") << 5 << 9 << true;
        QTest::newRow("after") << 6 << 9 << false;
        QTest::newRow("inside") << 4 << 4 << true;
        QTest::newRow("the run") << 3 << 5 << true;
        QTest::newRow("around") << 0 << 100 << true;
        QTest::newRow("negative") << -5 << -1 << false;
        QTest::newRow("int range") << kIntMin << kIntMax << true;
    }

    void runOverlaps()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(bool, overlaps);
        QCOMPARE(KySaturatedRun(3, 5).overlaps(from, to), overlaps);

        const ImageFile image = makeImage(11, 30, [](int x, int y) {
            return x == 5 && y >= 3 && y <= 5 ? kSaturated : quint16(7);
        });
        KyLaneProfiles lanes;
        lanes.extract(image, identityTable(), makeFrame(1, 0.05, {{0, 0}, {10, 0}, {0, 20}, {10, 20}}));
        QCOMPARE(lanes.isSaturated(0, from, to), overlaps);
        QVERIFY(!lanes.isSaturated(-1, from, to));
        QVERIFY(!lanes.isSaturated(1, from, to));
    }

    // The net profile is the profile minus the lane's background, or the plain profile when the
    // lane has none.
    void netProfile_data()
    {
        QTest::addColumn<int>("method");
        QTest::addColumn<int>("parameter");
        QTest::addColumn<bool>("detect");
        QTest::newRow("no backgrounds") << 1 << 0 << false;
        QTest::newRow("None") << 0 << 0 << true;
        QTest::newRow("Rubber band") << 1 << 0 << true;
        QTest::newRow("Minimum profile") << 2 << 0 << true;
        QTest::newRow("Rolling ball") << 3 << 15 << true;
        QTest::newRow("Rolling ball of radius 1") << 3 << 1 << true;
        QTest::newRow("unknown method") << 9 << 0 << true;
    }

    void netProfile()
    {
        QFETCH(int, method);
        QFETCH(int, parameter);
        QFETCH(bool, detect);
        KyLaneProfiles lanes;
        lanes.extract(gelImage(120, 90, 12), identityTable(), makeFrame(5, 0.7, {{10, 8}, {110, 8}, {10, 80}, {110, 80}}));
        if (detect)
            lanes.detectBackgrounds(method, parameter);
        const bool curves = detect && method >= 1 && method <= 3;
        QCOMPARE(lanes.hasBackground(), curves);
        for (int lane = 0; lane < 5; ++lane) {
            const Profile profile = lanes.profile(lane);
            const Profile background = lanes.background(lane);
            const Profile net = lanes.netProfile(lane);
            QCOMPARE(net.size(), profile.size());
            if (!curves) {
                QVERIFY(background.isEmpty());
                QCOMPARE(net, profile);
                continue;
            }
            QCOMPARE(background, BackgroundSubtraction::calculate(method, parameter, profile));
            for (int k = 0; k < profile.size(); ++k)
                QCOMPARE(net.at(k), profile.at(k) - background.at(k));
            if (method == 3 && parameter == 1)
                QCOMPARE(net, Profile(profile.size(), 0.0));
        }
        QVERIFY(lanes.netProfile(-1).isEmpty());
        QVERIFY(lanes.netProfile(5).isEmpty());
        QVERIFY(lanes.background(5).isEmpty());
    }

    // Backgrounds, once there, stay until they are cleared (by clearBackgrounds or a new
    // extraction), whatever method is asked for next.
    void backgroundsStayUntilCleared()
    {
        const ImageFile image = gelImage(120, 90, 13);
        const KyLaneFrame frame = makeFrame(4, 0.7, {{10, 8}, {110, 8}, {10, 80}, {110, 80}});
        KyLaneProfiles lanes;
        lanes.extract(image, identityTable(), frame);
        const Profile profile = lanes.profile(2);
        const Profile minimum = BackgroundSubtraction::minimumProfile(profile);
        const Profile hull = BackgroundSubtraction::rubberBand(profile);
        QVERIFY(minimum != hull);

        lanes.detectBackgrounds(BackgroundSubtraction::kMethod_MinimumProfile, 0);
        QCOMPARE(lanes.background(2), minimum);
        lanes.detectBackgrounds(BackgroundSubtraction::kMethod_RubberBand, 0);
        QCOMPARE(lanes.background(2), minimum);

        lanes.clearBackgrounds();
        QVERIFY(!lanes.hasBackground());
        QVERIFY(lanes.background(2).isEmpty());
        QCOMPARE(lanes.netProfile(2), profile);
        lanes.detectBackgrounds(BackgroundSubtraction::kMethod_RubberBand, 0);
        QCOMPARE(lanes.background(2), hull);

        // Method None leaves an entry per lane, all empty: still no background, and the next
        // method waits for a clear as well.
        lanes.clearBackgrounds();
        lanes.detectBackgrounds(BackgroundSubtraction::kMethod_None, 0);
        QVERIFY(!lanes.hasBackground());
        lanes.detectBackgrounds(BackgroundSubtraction::kMethod_RubberBand, 0);
        QVERIFY(!lanes.hasBackground());

        lanes.clearBackgrounds();
        lanes.detectBackgrounds(BackgroundSubtraction::kMethod_RubberBand, 0);
        QVERIFY(lanes.hasBackground());
        lanes.extract(image, identityTable(), frame);
        QVERIFY(!lanes.hasBackground());
        QCOMPARE(lanes.profile(2), profile);
    }

    // Lanes that stand on whole pixel columns are read without bilinear weights; their profiles
    // and saturated points must be those of the bilinear sampling to the last bit, whichever way
    // the frame faces, wherever it lies over the image's edges, with fractional table values.
    // Tilted frames take the bilinear path itself.
    void straightLanesEqualBilinearSampling()
    {
        ImageFile image = gelImage(160, 120, 41);
        QRandomGenerator random(4242);
        for (int i = 0; i < 300; ++i)
            image.Data()[random.bounded(160 * 120)] = kSaturated;
        const QVector<QVector<double>> tables{densityTable(), randomIntegerTable(5)};
        int straight = 0, tilted = 0, points = 0, saturatedPoints = 0;
        for (int f = 0; f < 400; ++f) {
            const int left = random.bounded(-40, 200);
            const int right = random.bounded(-40, 200);
            const int top = random.bounded(-30, 150);
            const int bottom = random.bounded(-30, 150);
            Corners corners{{left, top}, {right, top}, {left, bottom}, {right, bottom}};
            const bool tilt = f % 5 == 4;
            if (tilt) {
                for (QPoint &corner : corners)
                    corner += QPoint(random.bounded(-6, 7), random.bounded(-6, 7));
            }
            const KyLaneFrame frame = makeFrame(random.bounded(1, 13), 0.05 + 1.5 * random.generateDouble(), corners);
            const QVector<double> &table = tables.at(f % 2);
            KyLaneProfiles lanes;
            lanes.extract(image, table, frame);
            for (int lane = 0; lane < frame.laneCount(); ++lane) {
                if (lanes.profileLength(lane) == 0)
                    continue;
                (frame.laneTop(lane).x() == frame.laneBottom(lane).x() && frame.topEdgeDirection().y() == 0.0 ? straight : tilted)++;
                QVector<bool> wantedSaturated;
                const Profile wanted = bilinearProfile(image, table, frame, lane, wantedSaturated);
                const Profile actual = lanes.profile(lane);
                QCOMPARE(actual.size(), wanted.size());
                QVERIFY2(std::memcmp(actual.constData(), wanted.constData(), sizeof(double) * size_t(wanted.size())) == 0,
                         qPrintable(QStringLiteral("frame %1, lane %2").arg(f).arg(lane)));
                for (int j = 0; j < wanted.size(); ++j) {
                    QCOMPARE(lanes.isSaturated(lane, j, j), wantedSaturated.at(j));
                    saturatedPoints += wantedSaturated.at(j) ? 1 : 0;
                }
                points += int(wanted.size());
            }
        }
        QVERIFY(straight > 1000);
        QVERIFY(tilted > 100);
        QVERIFY(saturatedPoints > 1000);
        qInfo("%d straight and %d tilted lanes, %d points, %d saturated", straight, tilted, points, saturatedPoints);
    }

    // The lanes' backgrounds are computed concurrently, one pool task per lane; the result must be
    // that of one lane after another, also on a pool of one thread and when called from a pool
    // task itself (as the analysis screen's job does).
    void parallelEqualsSerial_data()
    {
        QTest::addColumn<int>("method");
        QTest::addColumn<int>("parameter");
        QTest::addColumn<int>("threads");
        QTest::addColumn<bool>("fromPoolTask");
        for (int threads : {0, 1}) {
            for (bool task : {false, true}) {
                const QString where = QStringLiteral("%1%2").arg(threads == 1 ? ", one thread" : "").arg(task ? ", from a pool task" : "");
                QTest::newRow(qPrintable("Rubber band" + where)) << 1 << 0 << threads << task;
                QTest::newRow(qPrintable("Minimum profile" + where)) << 2 << 0 << threads << task;
                QTest::newRow(qPrintable("Rolling ball 40" + where)) << 3 << 40 << threads << task;
            }
        }
        QTest::newRow("Rolling ball 1") << 3 << 1 << 0 << false;
        QTest::newRow("Rolling ball 500") << 3 << 500 << 0 << false;
        QTest::newRow("Rolling ball 1e9") << 3 << 1000000000 << 0 << false;
    }

    void parallelEqualsSerial()
    {
        QFETCH(int, method);
        QFETCH(int, parameter);
        QFETCH(int, threads);
        QFETCH(bool, fromPoolTask);
        KyLaneProfiles lanes;
        lanes.extract(gelImage(420, 300, 21), identityTable(), makeFrame(25, 0.7, {{10, 12}, {410, 20}, {14, 290}, {404, 284}}));
        QVector<Profile> serial;
        for (int lane = 0; lane < 25; ++lane) {
            QVERIFY(lanes.profileLength(lane) > 200);
            serial.append(BackgroundSubtraction::calculate(method, parameter, lanes.profile(lane)));
        }

        QThreadPool *pool = QThreadPool::globalInstance();
        const int oldThreads = pool->maxThreadCount();
        if (threads > 0)
            pool->setMaxThreadCount(threads);
        if (fromPoolTask) {
            // Polled rather than waited for: waiting would let this thread run the task itself.
            bool onPoolThread = false;
            const QFuture<void> job = QtConcurrent::run([&lanes, &onPoolThread, pool, method, parameter] {
                onPoolThread = pool->contains(QThread::currentThread());
                lanes.detectBackgrounds(method, parameter);
            });
            QTRY_VERIFY_WITH_TIMEOUT(job.isFinished(), 20000);
            QVERIFY(onPoolThread);
        } else {
            lanes.detectBackgrounds(method, parameter);
        }
        pool->setMaxThreadCount(oldThreads);

        for (int lane = 0; lane < 25; ++lane)
            QVERIFY2(lanes.background(lane) == serial.at(lane), qPrintable(QString::number(lane)));
    }

    // Frames no user would draw, but a damaged stored frame can hold: extraction finishes quickly
    // (also under the sanitizers), allocates within what the image can show and yields finite
    // values, each a mean of table values (those on the image, and grey level 0's off it).
    void degenerateFramesFinish_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<Corners>("corners");
        QTest::addColumn<int>("measured"); // lanes with a profile; -1: at least one
        const Corners upright{{10, 8}, {110, 8}, {10, 80}, {110, 80}};
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("top-left equal to top-right") << 4 << 0.7 << Corners{{40, 10}, {40, 10}, {20, 80}, {100, 80}} << 4;
        QTest::newRow("vertical top edge") << 3 << 0.7 << Corners{{10, 10}, {10, 80}, {100, 10}, {100, 80}} << 3;
        QTest::newRow("all corners equal") << 3 << 0.7 << Corners{{40, 40}, {40, 40}, {40, 40}, {40, 40}} << 0;
        QTest::newRow("ratio 0") << 6 << 0.0 << upright << 6;
        QTest::newRow("negative ratio") << 6 << -1.0 << upright << 6;
        QTest::newRow("ratio not a number") << 6 << qQNaN() << upright << 6;
        QTest::newRow("ratio infinite") << 6 << inf << upright << 6;
        QTest::newRow("ratio 1e300") << 6 << 1e300 << upright << 6;
        QTest::newRow("ratio 1e9, one lane off the image") << 1 << 1e9 << Corners{{-500, 8}, {-400, 8}, {-500, 80}, {-400, 80}} << 1;
        QTest::newRow("corners at the int extremes") << 2 << 0.7
                                                     << Corners{{kIntMin, kIntMin}, {kIntMax, kIntMin}, {kIntMin, kIntMax}, {kIntMax, kIntMax}} << 0;
        QTest::newRow("lanes of a billion pixels") << 3 << 0.5 << Corners{{0, 0}, {100, 0}, {0, 1000000000}, {100, 1000000000}} << 0;
        QTest::newRow("frame far off the image") << 3 << 0.7 << Corners{{100000, 100000}, {100300, 100000}, {100000, 100400}, {100300, 100400}} << 3;
        QTest::newRow("two billion lanes") << 2000000000 << 0.7 << upright << -1;
        QTest::newRow("two billion wide lanes") << 2000000000 << 1e12 << upright << -1;
    }

    void degenerateFramesFinish()
    {
        QFETCH(int, count);
        QFETCH(double, ratio);
        QFETCH(Corners, corners);
        QFETCH(int, measured);
        const ImageFile image = gelImage(120, 90, 17);
        const QVector<double> table = affineTable();
        double lowest = table.at(0), highest = table.at(0);
        for (qsizetype i = 0; i < qsizetype(image.Width()) * image.Height(); ++i) {
            lowest = std::min(lowest, table.at(image.ConstData()[i]));
            highest = std::max(highest, table.at(image.ConstData()[i]));
        }

        QElapsedTimer timer;
        timer.start();
        KyLaneProfiles lanes;
        lanes.extract(image, table, makeFrame(count, ratio, corners));
        lanes.detectBackgrounds(BackgroundSubtraction::kMethod_RollingBall, 1000000000);
        const qint64 elapsed = timer.elapsed();

        int withProfile = 0;
        qint64 values = 0;
        for (int lane = 0; lane < std::min(count, 100000); ++lane) {
            const Profile profile = lanes.profile(lane);
            if (profile.isEmpty())
                continue;
            ++withProfile;
            values += profile.size();
            QVERIFY(allFinite(profile));
            for (double v : profile)
                QVERIFY2(v >= lowest && v <= highest, qPrintable(QString::number(v, 'g', 17)));
            QCOMPARE(lanes.background(lane).size(), profile.size());
            QVERIFY(allFinite(lanes.netProfile(lane)));
        }
        QCOMPARE(lanes.profileLength(count - 1) > 0, measured > 0 && count < 100000);
        if (measured >= 0)
            QCOMPARE(withProfile, measured);
        else
            QVERIFY(withProfile > 0);
        // Bounded by the room of a few hundred lanes of three image diagonals (150 pixels).
        QVERIFY2(values <= 256 * (3 * 150 + 9), qPrintable(QString::number(values)));
        qInfo("%d lanes measured, %lld values, %lld ms", withProfile, values, elapsed);
    }

    // Off the image every sample is worth grey level 0's value, so a lane wider than the image
    // still averages exactly: counted samples off the image agree with sampled ones.
    void samplesOffTheImageCount_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::newRow("ratio 1e5") << 1e5;
        QTest::newRow("ratio infinite") << std::numeric_limits<double>::infinity();
    }

    void samplesOffTheImageCount()
    {
        QFETCH(double, ratio);
        // One lane on a uniform image: every sample on the image is worth 3 * 1000 + 7, every one
        // off it 7.
        const ImageFile image = makeImage(30, 20, [](int, int) { return quint16(1000); });
        const KyLaneFrame frame = makeFrame(1, ratio, {{0, 5}, {20, 5}, {0, 15}, {20, 15}});
        const int half = frame.laneWidth() / 2;
        KyLaneProfiles lanes;
        lanes.extract(image, affineTable(), frame);
        const Profile profile = lanes.profile(0);
        QCOMPARE(profile.size(), 11);
        // The centre line runs down column 10 across the horizontal sample line: columns 0..29
        // lie on the image, that is k = 0..10 on the left and k = 0..19 on the right.
        const double inside = 11 + 20;
        const double count = 2.0 * (double(half) + 1.0);
        const double expected = (inside * 3007.0 + (count - inside) * 7.0) / count;
        for (double v : profile)
            QCOMPARE(v, expected);
    }

    // A lane is measured when its ends lie within an image diagonal of the image; lanes far
    // longer than anything on the image end the extraction like a lane of no length.
    void lanesBeyondTheImageReach_data()
    {
        QTest::addColumn<Corners>("corners");
        QTest::addColumn<int>("length");
        // 23 x 17 image: diagonal 29 pixels.
        QTest::newRow("on the image") << Corners{{2, 0}, {4, 0}, {2, 16}, {4, 16}} << 17;
        // The top end rounds toward zero, to (3, -27).
        QTest::newRow("a diagonal beyond both ends") << Corners{{2, -28}, {4, -28}, {2, 45}, {4, 45}} << 73;
        QTest::newRow("a million pixels long") << Corners{{2, 0}, {4, 0}, {2, 1000000}, {4, 1000000}} << 0;
    }

    void lanesBeyondTheImageReach()
    {
        QFETCH(Corners, corners);
        QFETCH(int, length);
        KyLaneProfiles lanes;
        lanes.extract(gelImage(23, 17, 3), identityTable(), makeFrame(1, 1.0, corners));
        QCOMPARE(lanes.profileLength(0), length);
    }
};

KY_TEST_MAIN(TestKyLaneProfiles)
#include "tst_kylaneprofiles.moc"
