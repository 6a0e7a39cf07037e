#include "pythonreference.h"
#include "testmain.h"

#include "analysis/backgroundsubtraction.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QtConcurrent>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

using Profile = QVector<double>;

namespace {

constexpr int kIntMax = std::numeric_limits<int>::max();

double uniform(QRandomGenerator &random, double lowest, double highest)
{
    return lowest + random.generateDouble() * (highest - lowest);
}

// A lane of a gel: a sloping baseline, bands of different heights and widths, and noise.
Profile gelLane(QRandomGenerator &random, int length)
{
    Profile profile(length);
    const double slope = uniform(random, -2.0, 2.0);
    const double base = 3000.0 + random.bounded(1000.0);
    for (int i = 0; i < length; ++i)
        profile[i] = base + slope * i + random.bounded(40.0);
    const int bands = 3 + random.bounded(10);
    for (int b = 0; b < bands; ++b) {
        const double centre = random.bounded(static_cast<double>(length));
        const double height = uniform(random, 500.0, 30000.0);
        const double width = uniform(random, 2.0, 15.0);
        for (int i = 0; i < length; ++i)
            profile[i] += height * std::exp(-0.5 * (i - centre) * (i - centre) / (width * width));
    }
    return profile;
}

Profile randomWalk(QRandomGenerator &random, int length, bool whole)
{
    Profile profile(length);
    double value = 100.0;
    for (int i = 0; i < length; ++i) {
        value += whole ? random.bounded(-3, 4) : uniform(random, -1.0, 1.0);
        profile[i] = value;
    }
    return profile;
}

QString describe(const Profile &actual, const Profile &expected, int index)
{
    return QStringLiteral("at %1: %2, expected %3 (length %4, expected %5)")
        .arg(index)
        .arg(index < actual.size() ? actual.at(index) : qQNaN(), 0, 'g', 17)
        .arg(index < expected.size() ? expected.at(index) : qQNaN(), 0, 'g', 17)
        .arg(actual.size())
        .arg(expected.size());
}

// Index of the first value further from the expected one than tolerance (scaled by the larger
// magnitude when relative), -1 when all agree. Lengths must agree too.
int firstMismatch(const Profile &actual, const Profile &expected, double tolerance, bool relative)
{
    if (actual.size() != expected.size())
        return 0;
    for (int i = 0; i < actual.size(); ++i) {
        const double scale = relative ? std::max(std::abs(actual.at(i)), std::abs(expected.at(i))) : 1.0;
        if (!(std::abs(actual.at(i) - expected.at(i)) <= tolerance * scale))
            return i;
    }
    return -1;
}

struct ReferenceCase
{
    QString name;
    Profile profile;
    QVector<int> radii;
    QVector<int> percents;
};

// The rolling ball walked as described, one window value after another: a smaller value restarts
// the window's contact list, a later one equal to the smallest so far within qFuzzyCompare joins
// it; all lists together, sorted, give the points the background runs straight between. Slow, and
// exactly as rounded as the program's must be.
Profile rollingBallByContactLists(const Profile &profile, int radius)
{
    const int n = profile.size();
    if (n == 0 || radius < 1)
        return Profile();
    const double largest = *std::max_element(profile.cbegin(), profile.cend());
    const double q = double(radius) / n;
    const double halfWidth = std::floor(n * q - 1.0 + 0.5);
    const int w = halfWidth >= kIntMax ? kIntMax : int(halfWidth);
    auto ball = [&](int d) {
        if (d == w)
            return 0.0;
        const double t = double(d) / n;
        const double height = std::floor((d == 0 ? largest * q : largest * t * std::tan(std::acos(t / q))) + 0.5);
        if (std::isnan(height))
            return 0.0;
        return double(height >= kIntMax ? kIntMax : height <= -double(kIntMax) - 1.0 ? -kIntMax - 1 : int(height));
    };
    QVector<int> contacts;
    for (int pos = 0; pos < n; ++pos) {
        double lowest = std::numeric_limits<double>::infinity();
        QVector<int> list;
        for (int k = std::max(0, pos - w); k <= std::min<qint64>(n - 1, qint64(pos) + w); ++k) {
            const double v = profile[k] - ball(std::abs(k - pos));
            if (v < lowest) {
                lowest = v;
                list = {k};
            } else if (!list.isEmpty() && qFuzzyCompare(v, lowest)) {
                list.append(k);
            }
        }
        contacts += list;
    }
    std::sort(contacts.begin(), contacts.end());
    Profile background(n, 0.0);
    if (contacts.isEmpty())
        return background;
    for (int j = 0; j <= contacts.first(); ++j)
        background[j] = profile[contacts.first()];
    for (int c = 1; c < contacts.size(); ++c) {
        const int a = contacts[c - 1], b = contacts[c];
        for (int j = a + 1; j <= b; ++j)
            background[j] = (profile[b] - profile[a]) * (j - a) / (b - a) + profile[a];
    }
    for (int j = contacts.last() + 1; j < n; ++j)
        background[j] = profile[contacts.last()];
    return background;
}

// Index of the first value whose bits differ, -1 when none do (nor the lengths).
int firstDifferentBits(const Profile &actual, const Profile &expected)
{
    if (actual.size() != expected.size())
        return 0;
    for (int i = 0; i < actual.size(); ++i) {
        if (std::memcmp(&actual[i], &expected[i], sizeof(double)) != 0)
            return i;
    }
    return -1;
}

} // namespace

class TestBackgroundSubtraction : public QObject
{
    Q_OBJECT

    QVector<ReferenceCase> mCases;
    QJsonArray mExpected;

private slots:
    // Profiles of every kind the lanes produce, and shapes that stress the tie rules and the
    // splitting, computed once by the independent reference for all tests below.
    void initTestCase()
    {
        QRandomGenerator random(7301);
        const QVector<int> percents{1, 2, 5, 10, 33, 100, 150, 1000000000};
        auto radiiFor = [](int n) {
            return QVector<int>{1, 2, 3, 7, 25, std::max(1, n / 2), std::max(1, n - 1), n, n + 1, 3 * n, 1000000000};
        };
        auto add = [&](const QString &name, const Profile &profile, bool rolling = true) {
            mCases.append({name, profile, rolling ? radiiFor(profile.size()) : QVector<int>(),
                           rolling ? percents : QVector<int>()});
        };
        add(QStringLiteral("gel lane"), gelLane(random, 1200));
        add(QStringLiteral("short gel lane"), gelLane(random, 90));
        add(QStringLiteral("integer random walk"), randomWalk(random, 400, true));
        add(QStringLiteral("random walk"), randomWalk(random, 300, false));
        add(QStringLiteral("flat zeros"), Profile(60, 0.0));
        add(QStringLiteral("constant"), Profile(33, 7.25));
        add(QStringLiteral("V"), Profile{10, 5, 0, 5, 10});
        add(QStringLiteral("peak"), Profile{0, 2, 9, 2, 0});
        add(QStringLiteral("two points"), Profile{3, 8});
        add(QStringLiteral("three points"), Profile{5, 1, 5});
        {
            // A whole-numbered walk, lifted to a million and blurred by a ten-millionth: its many
            // ties are no longer exact but still fuzzily equal (except where it moves by 1e-4).
            Profile profile = randomWalk(random, 300, true);
            for (double &v : profile)
                v += 1e6 + random.bounded(4) * 1e-7 + (random.bounded(10) == 0 ? 1e-4 : 0.0);
            add(QStringLiteral("near ties"), profile);
        }
        {
            Profile profile(150);
            for (int i = 0; i < profile.size(); ++i)
                profile[i] = -500.0 + 300.0 * std::sin(i / 20.0) + random.bounded(50.0);
            add(QStringLiteral("negative values"), profile);
        }
        {
            Profile profile(300);
            for (int i = 0; i < profile.size(); ++i)
                profile[i] = 1e4 * std::exp(-i / 30.0) + 50.0;
            add(QStringLiteral("exponential decay"), profile);
        }
        {
            // Steps growing so fast that every split of the rubber band falls next to the end of
            // its segment: the splitting goes as deep as the profile is long.
            Profile profile{0.0};
            double step = 1e-290;
            for (int b = 1; step < 1e280; ++b) {
                profile.append(profile.last() + step);
                step *= 2.0 * (b + 1);
            }
            add(QStringLiteral("steeply convex"), profile);
        }
        add(QStringLiteral("long random walk"), randomWalk(random, 20000, false), false);
        add(QStringLiteral("long integer random walk"), randomWalk(random, 20000, true), false);

        QJsonArray cases;
        for (const ReferenceCase &c : mCases) {
            QJsonArray radii, percentList;
            for (int r : c.radii)
                radii.append(r);
            for (int p : c.percents)
                percentList.append(p);
            cases.append(QJsonObject{{"profile", kytest::toJson(c.profile)}, {"radii", radii}, {"percents", percentList}});
        }
        mExpected = kytest::runPythonReference(QStringLiteral("analysis/reference/background.py"), QJsonObject{{"cases", cases}})
                        .value("cases")
                        .toArray();
        QCOMPARE(mExpected.size(), mCases.size());
        for (int i = 0; i < mCases.size(); ++i)
            QVERIFY2(kytest::fromJson(mExpected.at(i)["profile"].toArray()) == mCases.at(i).profile,
                     qPrintable(mCases.at(i).name + QStringLiteral(": profile changed on the way")));
    }

    void methodNames_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        QTest::newRow("0") << 0 << "None";
        QTest::newRow("1") << 1 << "Rubber band";
        QTest::newRow("2") << 2 << "Minimum profile";
        QTest::newRow("3") << 3 << "Rolling ball";
    }

    void methodNames()
    {
        QFETCH(int, index);
        QFETCH(QString, name);
        QCOMPARE(BackgroundSubtraction::methodName(index), name);
        QCOMPARE(BackgroundSubtraction::methodIndex(name), index);
    }

    void unknownMethodNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("other case") << "rolling ball";
        QTest::newRow("empty") << "";
        QTest::newRow("trailing space") << "Rolling ball ";
        QTest::newRow("other") << "Top hat";
    }

    void unknownMethodNames()
    {
        QFETCH(QString, name);
        QCOMPARE(BackgroundSubtraction::methodIndex(name), 0);
        QVERIFY(BackgroundSubtraction::methodName(-1).isEmpty());
        QVERIFY(BackgroundSubtraction::methodName(4).isEmpty());
    }

    void calculate_data()
    {
        QTest::addColumn<int>("method");
        QTest::addColumn<int>("parameter");
        QTest::addColumn<Profile>("profile");
        QTest::addColumn<Profile>("background");
        for (int method : {0, 1, 2, 3})
            QTest::addRow("empty profile, method %d", method) << method << 5 << Profile() << Profile();
        QTest::newRow("none") << 0 << 5 << Profile{1, 2, 3} << Profile();
        QTest::newRow("unknown method") << 4 << 5 << Profile{1, 2, 3} << Profile();
        QTest::newRow("negative method") << -1 << 5 << Profile{1, 2, 3} << Profile();
        QTest::newRow("rubber band, straight line") << 1 << 0 << Profile{1, 2.5, 4, 5.5, 7} << Profile{1, 2.5, 4, 5.5, 7};
        QTest::newRow("rubber band, V") << 1 << 0 << Profile{10, 5, 0, 5, 10} << Profile{10, 5, 0, 5, 10};
        QTest::newRow("rubber band, peak") << 1 << 0 << Profile{0, 2, 9, 2, 0} << Profile{0, 0, 0, 0, 0};
        QTest::newRow("rubber band, two dips") << 1 << 0 << Profile{4, 1, 3, 0, 4} << Profile{4, 1, 0.5, 0, 4};
        QTest::newRow("minimum profile") << 2 << 0 << Profile{3, 1, 2} << Profile{1, 1, 1};
        QTest::newRow("minimum profile, negative") << 2 << 0 << Profile{3, -1.5, 2} << Profile{-1.5, -1.5, -1.5};
        QTest::newRow("rolling ball, radius 1 gives the profile") << 3 << 1 << Profile{4, 1, 3, 0, 4} << Profile{4, 1, 3, 0, 4};
        QTest::newRow("rolling ball, radius 0") << 3 << 0 << Profile{4, 1, 3} << Profile();
        QTest::newRow("rolling ball, negative radius") << 3 << -5 << Profile{4, 1, 3} << Profile();
        QTest::newRow("rolling ball, flat") << 3 << 3 << Profile(9, 2.0) << Profile(9, 2.0);
        // Radius larger than the profile: every window is the whole profile. The ball is 60
        // high and flat to the nearest integer over 4 samples, so it rests on both zeros.
        QTest::newRow("rolling ball, radius beyond the profile") << 3 << 100 << Profile{2, 0, 3, 0, 2} << Profile(5, 0.0);
    }

    void calculate()
    {
        QFETCH(int, method);
        QFETCH(int, parameter);
        QFETCH(Profile, profile);
        QFETCH(Profile, background);
        QCOMPARE(BackgroundSubtraction::calculate(method, parameter, profile), background);
    }

    void rollingBallPercent_data()
    {
        QTest::addColumn<int>("percent");
        QTest::addColumn<Profile>("profile");
        QTest::addColumn<Profile>("background");
        QTest::newRow("empty") << 10 << Profile() << Profile();
        QTest::newRow("percent 0") << 0 << Profile{1, 2, 3} << Profile();
        QTest::newRow("negative percent") << -3 << Profile{1, 2, 3} << Profile();
        // 1 % of 50 values leaves a ball of a single entry 0: the profile, raised to 0.
        Profile profile(50), raised(50);
        for (int i = 0; i < 50; ++i) {
            profile[i] = 10.0 * std::sin(i / 4.0);
            raised[i] = std::max(profile[i], 0.0);
        }
        QTest::newRow("percent 1 of 50 values") << 1 << profile << raised;
        QTest::newRow("flat, percent 100") << 100 << Profile(7, 3.5) << Profile(7, 3.5);
        QTest::newRow("flat, percent 400") << 400 << Profile(7, 3.5) << Profile(7, 3.5);
    }

    void rollingBallPercent()
    {
        QFETCH(int, percent);
        QFETCH(Profile, profile);
        QFETCH(Profile, background);
        QCOMPARE(BackgroundSubtraction::rollingBallPercent(profile, percent), background);
    }

    void minimumProfileIsExact()
    {
        for (int i = 0; i < mCases.size(); ++i) {
            const Profile expected = kytest::fromJson(mExpected.at(i)["minimum"].toArray());
            QVERIFY2(BackgroundSubtraction::minimumProfile(mCases.at(i).profile) == expected, qPrintable(mCases.at(i).name));
        }
    }

    void rubberBandIsLowerHull()
    {
        for (int i = 0; i < mCases.size(); ++i) {
            const Profile &profile = mCases.at(i).profile;
            const Profile expected = kytest::fromJson(mExpected.at(i)["hull"].toArray());
            const Profile actual = BackgroundSubtraction::rubberBand(profile);
            double largest = 0.0;
            for (double v : profile)
                largest = std::max(largest, std::abs(v));
            const int at = firstMismatch(actual, expected, 1e-9 * largest, false);
            QVERIFY2(at < 0, qPrintable(mCases.at(i).name + QStringLiteral(" ") + describe(actual, expected, at)));
        }
    }

    void rollingBallMatchesReference()
    {
        for (int i = 0; i < mCases.size(); ++i) {
            const ReferenceCase &c = mCases.at(i);
            const QJsonArray expected = mExpected.at(i)["rolling"].toArray();
            QCOMPARE(expected.size(), c.radii.size());
            for (int r = 0; r < c.radii.size(); ++r) {
                const Profile actual = BackgroundSubtraction::rollingBall(c.profile, c.radii.at(r));
                const Profile wanted = kytest::fromJson(expected.at(r).toArray());
                const int at = firstMismatch(actual, wanted, 1e-12, true);
                QVERIFY2(at < 0, qPrintable(QStringLiteral("%1, radius %2: ").arg(c.name).arg(c.radii.at(r))
                                            + describe(actual, wanted, at)));
            }
        }
    }

    // Every decision of the rolling ball, ties and near ties included, is the contact-list
    // walk's: the backgrounds agree bit for bit, at window lengths that fill whole vector steps
    // and lengths that leave a remainder.
    void rollingBallEqualsContactLists_data()
    {
        QTest::addColumn<Profile>("profile");
        QRandomGenerator random(4711);
        QTest::newRow("gel lane") << gelLane(random, 700);
        QTest::newRow("integer random walk (exact ties)") << randomWalk(random, 333, true);
        QTest::newRow("random walk") << randomWalk(random, 250, false);
        {
            // Whole numbers near a million blurred by steps of 3e-7: qFuzzyCompare takes
            // differences up to 1e-6 there, so some blurred ties count as equal and some do not.
            Profile profile(301);
            for (double &v : profile)
                v = 1e6 + random.bounded(3) + random.bounded(5) * 3e-7;
            QTest::newRow("near ties") << profile;
        }
        {
            // A ball too low to matter (flat to the nearest integer) over fuzzily equal pairs.
            // Every window holding the first point of the first pair holds the second, smaller
            // one, so the first never joins a contact list. The second pair lies far apart, its
            // partner as close to the smallest as qFuzzyCompare allows within a factor of two.
            Profile before(40, 0.3), after(200, 0.3);
            before[0] = 0.1 * (1.0 + 1e-13);
            before[1] = 0.1;
            after[0] = 0.1;
            after[150] = 0.1 * (1.0 + 5e-13);
            QTest::newRow("fuzzy partner before the smallest") << before;
            QTest::newRow("fuzzy partner after the smallest, far off") << after;
        }
        {
            // Ties around zero, where qFuzzyCompare accepts only exact equality, with signed zeros.
            Profile profile(97);
            for (double &v : profile)
                v = random.bounded(4) == 0 ? 1e-300 : random.bounded(2) == 0 ? -0.0 : 0.0;
            QTest::newRow("zeros and a speck") << profile;
        }
        {
            Profile profile(150);
            for (int i = 0; i < profile.size(); ++i)
                profile[i] = -500.0 + 300.0 * std::sin(i / 20.0) + random.bounded(3);
            QTest::newRow("negative values") << profile;
        }
        {
            // Not-a-number points never touch the ball; an infinitely deep point takes every window
            // that reaches it, without fuzzy partners.
            Profile profile = randomWalk(random, 120, true);
            profile[10] = qQNaN();
            profile[40] = -std::numeric_limits<double>::infinity();
            profile[41] = -std::numeric_limits<double>::infinity();
            profile[90] = std::numeric_limits<double>::infinity();
            QTest::newRow("not-a-number and infinities") << profile;
        }
        for (int length : {1, 2, 7, 8, 9, 17})
            QTest::addRow("%d points", length) << randomWalk(random, length, true);
    }

    void rollingBallEqualsContactLists()
    {
        QFETCH(Profile, profile);
        const int n = profile.size();
        for (int radius : {1, 2, 3, 4, 5, 8, 9, 16, 17, 33, std::max(1, n / 2), std::max(1, n - 1), n, n + 1, 3 * n, 1000000000}) {
            const Profile expected = rollingBallByContactLists(profile, radius);
            const Profile actual = BackgroundSubtraction::rollingBall(profile, radius);
            const int at = firstDifferentBits(actual, expected);
            QVERIFY2(at < 0, qPrintable(QStringLiteral("radius %1: ").arg(radius) + describe(actual, expected, at)));
        }
    }

    void rollingBallPercentIsClippedOpening()
    {
        for (int i = 0; i < mCases.size(); ++i) {
            const ReferenceCase &c = mCases.at(i);
            const QJsonArray expected = mExpected.at(i)["percent"].toArray();
            QCOMPARE(expected.size(), c.percents.size());
            for (int p = 0; p < c.percents.size(); ++p) {
                const Profile actual = BackgroundSubtraction::rollingBallPercent(c.profile, c.percents.at(p));
                const Profile wanted = kytest::fromJson(expected.at(p).toArray());
                const int at = firstMismatch(actual, wanted, 0.0, false);
                QVERIFY2(at < 0, qPrintable(QStringLiteral("%1, percent %2: ").arg(c.name).arg(c.percents.at(p))
                                            + describe(actual, wanted, at)));
            }
        }
    }

    // A radius (or percentage) far beyond the profile costs no more than one as long as the
    // profile: neither the ball's size nor its window leaves the profile.
    void hugeRadiusStaysBounded_data()
    {
        QTest::addColumn<int>("radius");
        QTest::newRow("1e9") << 1000000000;
        QTest::newRow("int max") << kIntMax;
    }

    void hugeRadiusStaysBounded()
    {
        QFETCH(int, radius);
        QRandomGenerator random(11);
        const Profile profile = gelLane(random, 500);
        QElapsedTimer timer;
        timer.start();
        const Profile rolled = BackgroundSubtraction::rollingBall(profile, radius);
        const Profile opened = BackgroundSubtraction::rollingBallPercent(profile, radius);
        QCOMPARE(rolled.size(), profile.size());
        QCOMPARE(opened.size(), profile.size());
        // The ball is taller than any profile value, flat to the nearest integer across the
        // profile: it rests on the lowest point alone.
        const double lowest = *std::min_element(profile.cbegin(), profile.cend());
        QCOMPARE(rolled, Profile(profile.size(), lowest));
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    }

    // The backgrounds of all lanes are computed concurrently, one task per lane, and must not
    // differ from one lane after another.
    void parallelEqualsSerial()
    {
        QRandomGenerator random(99);
        QVector<Profile> lanes;
        for (int lane = 0; lane < 25; ++lane)
            lanes.append(gelLane(random, 600 + random.bounded(600)));
        for (int method : {0, 1, 2, 3}) {
            QVector<Profile> serial;
            for (const Profile &profile : lanes)
                serial.append(BackgroundSubtraction::calculate(method, 150, profile));
            const QVector<Profile> parallel = QtConcurrent::blockingMapped(lanes, [method](const Profile &profile) {
                return BackgroundSubtraction::calculate(method, 150, profile);
            });
            QVERIFY2(parallel == serial, qPrintable(BackgroundSubtraction::methodName(method)));
        }
    }

    // Rolling-ball backgrounds of 25 full-length lanes of a 2046 x 3072 capture (1844 samples
    // each), at the default radius of 20 mm and the largest of 200 mm (40.4 um pixels).
    void rollingBallTime_data()
    {
        QTest::addColumn<int>("radius");
        QTest::newRow("20 mm") << 495;
        QTest::newRow("200 mm") << 4950;
    }

    void rollingBallTime()
    {
        QFETCH(int, radius);
        QRandomGenerator random(5);
        QVector<Profile> lanes;
        for (int lane = 0; lane < 25; ++lane)
            lanes.append(gelLane(random, 1844));
        QElapsedTimer timer;
        timer.start();
        for (const Profile &profile : lanes)
            BackgroundSubtraction::rollingBall(profile, radius);
        const double serialMs = timer.nsecsElapsed() / 1e6;
        timer.restart();
        QtConcurrent::blockingMap(lanes, [radius](const Profile &profile) {
            BackgroundSubtraction::rollingBall(profile, radius);
        });
        const double parallelMs = timer.nsecsElapsed() / 1e6;
        qInfo("rolling ball, radius %d, 25 lanes of 1844 samples: %.2f ms per lane serially, "
              "%.1f ms for all lanes on %d threads",
              radius, serialMs / lanes.size(), parallelMs, QThreadPool::globalInstance()->maxThreadCount());
    }
};

KY_TEST_MAIN(TestBackgroundSubtraction)
#include "tst_backgroundsubtraction.moc"
