#include "testmain.h"

#include "analysis/kybanddetector.h"

#include <QProcess>

#include <cmath>

namespace {

using Triples = QList<QList<int>>;
using Profile = QVector<double>;

// Detection arguments; the defaults switch every filter off so that a test sees the marked bands.
struct Args
{
    double noisePercent = 100;
    double edgePercent = 0;
    double heightThreshold = 0;
    int maxWidth = 100000;
    int minWidth = 0;
    double minSideHeight = 0;
    double ratio1 = 1e300;
    double ratio2 = 1e300;
};

Triples detect(const Profile &profile, const Args &a = Args())
{
    const KyBandList list = KyBandDetector::detectBands(profile, a.noisePercent, a.edgePercent, a.heightThreshold,
                                                        a.maxWidth, a.minWidth, a.minSideHeight, 0, a.ratio1,
                                                        a.ratio2);
    Triples triples;
    for (int i = 0; i < list.count(); ++i) {
        const KyBandInfo &b = list.at(i);
        if (b.volume() != 0.0 || b.isNormalizationReference() || b.isSaturated())
            qWarning("detected band carries a value or a mark");
        triples.append({b.start(), b.peak(), b.end()});
    }
    return triples;
}

// A piecewise linear profile through (index, value) corners, from the first corner's index 0 to the
// last corner's index.
Profile linear(const QList<QPair<int, double>> &corners)
{
    Profile y(corners.last().first + 1, corners.first().second);
    for (int k = 1; k < corners.size(); ++k) {
        const auto [i0, v0] = corners.at(k - 1);
        const auto [i1, v1] = corners.at(k);
        for (int i = i0; i <= i1; ++i)
            y[i] = v0 + (v1 - v0) * (i - i0) / (i1 - i0);
    }
    return y;
}

// Zeros up to 20, a rise by 5 per point to 100 at 40, a fall to 0 at 60, zeros to 79.
Profile triangle()
{
    return linear({{0, 0}, {20, 0}, {40, 100}, {60, 0}, {79, 0}});
}

// Shares the working-list layout of a detection for the helpers that work on the lists directly.
struct Lists
{
    QVector<double> values;
    QVector<int> indices;
    QVector<std::int8_t> marks;

    static Lists of(const QList<QList<double>> &entries) // {mark, index, value}
    {
        Lists l;
        for (const QList<double> &e : entries) {
            l.marks.append(std::int8_t(e.at(0)));
            l.indices.append(int(e.at(1)));
            l.values.append(e.at(2));
        }
        return l;
    }

    QList<QList<double>> entries() const
    {
        QList<QList<double>> out;
        for (int i = 0; i < marks.size(); ++i)
            out.append({double(marks.at(i)), double(indices.at(i)), values.at(i)});
        return out;
    }
};

} // namespace

class TestKyBandDetector : public QObject
{
    Q_OBJECT

private slots:
    void difference()
    {
        QVector<double> d(5, 7.0);
        KyBandDetector::difference({1, 4, 9}, d);
        QCOMPARE(d, (QVector<double>{3, 5, 7, 7, 7}));

        QVector<double> grown;
        KyBandDetector::difference({1, 4, 9}, grown);
        QCOMPARE(grown, (QVector<double>{3, 5}));

        QVector<double> untouched{2.0};
        KyBandDetector::difference({5}, untouched);
        KyBandDetector::difference({}, untouched);
        QCOMPARE(untouched, (QVector<double>{2.0}));
    }

    void signChangeShare_data()
    {
        QTest::addColumn<QVector<double>>("d");
        QTest::addColumn<double>("share");
        QTest::newRow("empty") << QVector<double>{} << 0.0;
        QTest::newRow("one") << QVector<double>{0} << 0.0;
        QTest::newRow("last pair is not counted") << QVector<double>{1, -1} << 0.0;
        QTest::newRow("one change of three") << QVector<double>{1, -1, 0} << 1.0 / 3;
        QTest::newRow("touching 0 counts") << QVector<double>{1, 0, 1, 0} << 0.5;
        QTest::newRow("both 0 does not count") << QVector<double>{0, 0, 0, 0} << 0.0;
        QTest::newRow("monotonic") << QVector<double>{1, 2, 3, 0} << 0.0;
        QTest::newRow("falling then rising") << QVector<double>{-1, -2, 3, 0} << 0.25;
        QTest::newRow("alternating") << QVector<double>{1, -1, 1, -1, 1, 0} << 4.0 / 6;
    }

    void signChangeShare()
    {
        QFETCH(QVector<double>, d);
        QFETCH(double, share);
        QCOMPARE(KyBandDetector::signChangeShare(d), share);
    }

    // The interior weights are the quadratic 17-point Savitzky-Golay weights (scaled by 323).
    void smoothingWeightsMatchSavitzkyGolay()
    {
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral("-c"),
                      QStringLiteral("import scipy.signal\n"
                                     "print(' '.join(repr(float(c) * 323) for c in scipy.signal.savgol_coeffs(17, 2)))")});
        QVERIFY(python.waitForFinished(60000));
        QCOMPARE(python.exitCode(), 0);
        const QStringList fields = QString::fromLatin1(python.readAllStandardOutput()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        QCOMPARE(fields.size(), 17);

        // An impulse of 323 on a level of 1000 (the weights sum to 323, so the level comes back
        // exactly and every weight shows up undistorted).
        Profile y(41, 1000.0);
        y[20] = 1000.0 + 323.0;
        QVector<double> s;
        KyBandDetector::smoothSG17(y, s);
        QCOMPARE(s.size(), y.size());
        for (int k = 0; k < 17; ++k) {
            const double reference = fields.at(k).toDouble();
            QVERIFY(std::fabs(reference - std::round(reference)) < 1e-9);
            // savgol_coeffs lists the weights for the points from i + 8 down to i - 8.
            QCOMPARE(s.at(20 + 8 - k) - 1000.0, std::round(reference));
        }
    }

    // The first and last 8 points are 17-point means over the profile continued by point
    // reflection about its end values.
    void smoothingEnds()
    {
        Profile y;
        for (int i = 0; i < 30; ++i)
            y.append(std::sin(i * 0.7) * 40 + i * i * 0.3);
        QVector<double> s;
        KyBandDetector::smoothSG17(y, s);
        const int n = int(y.size());
        const auto extended = [&](int j) {
            if (j < 0)
                return 2 * y[0] - y[-j];
            if (j >= n)
                return 2 * y[n - 1] - y[2 * (n - 1) - j];
            return y[j];
        };
        for (int i : {0, 1, 2, 3, 4, 5, 6, 7, n - 8, n - 7, n - 6, n - 5, n - 4, n - 3, n - 2, n - 1}) {
            double sum = 0;
            for (int k = -8; k <= 8; ++k)
                sum += extended(i + k);
            QVERIFY2(std::fabs(s.at(i) - sum / 17) < 1e-9, qPrintable(QString::number(i)));
        }
    }

    void smoothingClipsOnlyTheInterior()
    {
        const Profile y(40, -5.0);
        QVector<double> s;
        KyBandDetector::smoothSG17(y, s);
        for (int i = 0; i < 40; ++i)
            QCOMPARE(s.at(i), (i < 8 || i > 31) ? -5.0 : 0.0);
    }

    void shortProfilesAreNotSmoothed()
    {
        const Profile y{1, 5, 2, 8, 3, 9, 1, 7, 2, 6, 3, 5, 4, 8, 1, 9};
        QVector<double> s{42};
        KyBandDetector::smoothSG17(y, s);
        QCOMPARE(s, y);
    }

    // Noise percent 0 always smooths (the share is never below 0), 100 never does (the share stays
    // below 1), and the decision includes equality.
    void smoothingDecision_data()
    {
        QTest::addColumn<double>("noisePercent");
        QTest::addColumn<bool>("smoothed");
        QTest::newRow("0") << 0.0 << true;
        QTest::newRow("at the share") << 30.0 << true;
        QTest::newRow("above the share") << 30.000001 << false;
        QTest::newRow("100") << 100.0 << false;
    }

    void smoothingDecision()
    {
        QFETCH(double, noisePercent);
        QFETCH(bool, smoothed);

        // A zigzag of 20 points turning every third step: six counted sign changes, share 0.3.
        Profile y(20, 0.0);
        for (int i = 1; i < 20; ++i)
            y[i] = y[i - 1] + (((i - 1) / 3) % 2 == 0 ? 10 : -10);
        QVector<double> d(20, 0.0);
        KyBandDetector::difference(y, d);
        QCOMPARE(KyBandDetector::signChangeShare(d), 0.3);

        double sumAbs = -1;
        int count = -1;
        double maxValue = -1;
        KyBandDetector::derivativeStats(y, noisePercent, &sumAbs, &count, &maxValue);
        QCOMPARE(count, 20);
        if (smoothed) {
            QVector<double> s;
            KyBandDetector::smoothSG17(y, s);
            double largest = 0;
            double total = 0;
            for (int i = 0; i < 20; ++i) {
                largest = qMax(largest, s[i]);
                if (i + 1 < 20)
                    total += std::fabs(s[i + 1] - s[i]);
            }
            QCOMPARE(maxValue, largest);
            QVERIFY(std::fabs(sumAbs - total) < 1e-9);
            QVERIFY(maxValue < 30);
        } else {
            QCOMPARE(maxValue, 30.0);
            QCOMPARE(sumAbs, 190.0);
        }
        KyBandDetector::derivativeStats(y, noisePercent, nullptr, nullptr, nullptr);
    }

    void derivativeStatsOfANegativeProfile()
    {
        double sumAbs = -1;
        int count = -1;
        double maxValue = -1;
        KyBandDetector::derivativeStats(Profile{-3, -1, -2}, 100, &sumAbs, &count, &maxValue);
        QCOMPARE(maxValue, 0.0);
        QCOMPARE(sumAbs, 3.0);
        QCOMPARE(count, 3);
    }

    // Short profiles (smoothing asked for with noise percent 0) neither crash nor read outside the
    // profile; below 17 points the profile is used as it is.
    void shortProfiles_data()
    {
        QTest::addColumn<int>("length");
        for (int n : {0, 1, 2, 3, 16, 17, 18})
            QTest::newRow(qPrintable(QString::number(n))) << n;
    }

    void shortProfiles()
    {
        QFETCH(int, length);
        Profile y(length);
        for (int i = 0; i < length; ++i)
            y[i] = 100 - std::fabs(i - length / 2.0) * 10 + (i % 3) * 4;

        Args smoothing;
        smoothing.noisePercent = 0;
        const Triples withSmoothing = detect(y, smoothing);
        if (length < 17)
            QCOMPARE(withSmoothing, detect(y));
        double maxValue = -1;
        int count = -1;
        KyBandDetector::derivativeStats(y, 0, nullptr, &count, &maxValue);
        QCOMPARE(count, length);
        QVERIFY(maxValue >= 0);
    }

    void marks_data()
    {
        QTest::addColumn<Profile>("profile");
        QTest::addColumn<Triples>("bands");

        QTest::newRow("constant") << Profile(50, 7.0) << Triples{};
        QTest::newRow("empty") << Profile{} << Triples{};
        QTest::newRow("triangle") << triangle() << Triples{{20, 40, 60}};
        QTest::newRow("flat top: peak in its middle")
            << linear({{0, 0}, {20, 0}, {40, 100}, {45, 100}, {65, 0}, {79, 0}}) << Triples{{20, 42, 65}};
        QTest::newRow("shoulder on the rise is no peak")
            << linear({{0, 0}, {20, 0}, {30, 50}, {33, 50}, {43, 100}, {63, 0}, {79, 0}}) << Triples{{20, 43, 63}};
        QTest::newRow("shoulder on the fall is no end")
            << linear({{0, 0}, {20, 0}, {40, 100}, {50, 50}, {53, 50}, {63, 0}, {79, 0}}) << Triples{{20, 40, 63}};
        QTest::newRow("starting with a fall")
            << linear({{0, 50}, {5, 0}, {20, 0}, {40, 100}, {60, 0}, {79, 0}}) << Triples{{20, 40, 60}};
        QTest::newRow("starting with a fall into a rise")
            << linear({{0, 50}, {5, 0}, {25, 100}, {45, 0}, {60, 0}}) << Triples{{5, 25, 45}};
        QTest::newRow("still falling at the end") << linear({{0, 0}, {10, 0}, {30, 100}, {45, 25}}) << Triples{{10, 30, 45}};
        QTest::newRow("rising at the end") << linear({{0, 0}, {10, 0}, {30, 100}}) << Triples{};
        QTest::newRow("two bands apart")
            << linear({{0, 0}, {10, 0}, {20, 50}, {30, 0}, {40, 0}, {50, 80}, {60, 0}, {70, 0}})
            << Triples{{10, 20, 30}, {40, 50, 60}};
        QTest::newRow("two bands sharing a valley")
            << linear({{0, 0}, {20, 100}, {30, 50}, {40, 100}, {60, 0}, {70, 0}}) << Triples{{0, 20, 30}, {30, 40, 60}};
    }

    void marks()
    {
        QFETCH(Profile, profile);
        QFETCH(Triples, bands);
        QCOMPARE(detect(profile), bands);
    }

    // A symmetric band's edges sit where the profile first reaches edgePercent of the height above
    // each valley; widths at either limit are kept.
    void edgesAndWidthLimits_data()
    {
        QTest::addColumn<int>("minWidth");
        QTest::addColumn<int>("maxWidth");
        QTest::addColumn<Triples>("bands");
        QTest::newRow("within") << 10 << 100 << Triples{{22, 40, 58}};
        QTest::newRow("width equals both limits") << 36 << 36 << Triples{{22, 40, 58}};
        QTest::newRow("one narrower than the minimum") << 37 << 100 << Triples{};
        QTest::newRow("one wider than the maximum") << 0 << 35 << Triples{};
    }

    void edgesAndWidthLimits()
    {
        QFETCH(int, minWidth);
        QFETCH(int, maxWidth);
        QFETCH(Triples, bands);
        Args a;
        a.edgePercent = 10;
        a.minWidth = minWidth;
        a.maxWidth = maxWidth;
        QCOMPARE(detect(triangle(), a), bands);
    }

    void sharedValleySplits()
    {
        Args a;
        a.edgePercent = 10;
        // Both sides of the valley move: the first band's end and the second band's start part.
        QCOMPARE(detect(linear({{0, 0}, {20, 100}, {30, 50}, {40, 100}, {60, 0}, {70, 0}}), a),
                 (Triples{{2, 20, 29}, {31, 40, 58}}));
        // The first band's steep fall keeps the valley as its end; the second band's start then stays
        // at the emitted valley too, although its edge moved.
        QCOMPARE(detect(linear({{0, 0}, {20, 100}, {21, 50}, {31, 100}, {51, 0}, {60, 0}}), a),
                 (Triples{{2, 20, 21}, {21, 31, 49}}));
    }

    // Valleys above 95 % of the higher neighbouring peak merge two bands into one.
    void valleyMerge_data()
    {
        QTest::addColumn<double>("valley");
        QTest::addColumn<Triples>("bands");
        QTest::newRow("96 %") << 96.0 << Triples{{11, 22, 31}};
        QTest::newRow("exactly 95 %") << 95.0 << Triples{{11, 20, 21}, {21, 22, 31}};
        QTest::newRow("94 %") << 94.0 << Triples{{11, 20, 21}, {21, 22, 31}};
    }

    void valleyMerge()
    {
        QFETCH(double, valley);
        QFETCH(Triples, bands);
        Args a;
        a.edgePercent = 10;
        QCOMPARE(detect(linear({{0, 0}, {10, 0}, {20, 100}, {21, valley}, {22, 100}, {32, 0}, {40, 0}}), a), bands);
    }

    void mergeKeepsTheHigherPeak()
    {
        QCOMPARE(detect(linear({{0, 0}, {10, 0}, {20, 100}, {21, 97}, {22, 99}, {32, 0}, {40, 0}})),
                 (Triples{{10, 20, 32}}));
        QCOMPARE(detect(linear({{0, 0}, {10, 0}, {20, 99}, {21, 97}, {22, 100}, {32, 0}, {40, 0}})),
                 (Triples{{10, 22, 32}}));
    }

    // Below a zero baseline the peaks are negative: a valley "above 95 %" of a negative peak is
    // deeper than the peak and must not merge.
    void noMergeBelowZero()
    {
        const Profile y = linear({{0, -100}, {10, -100}, {20, -10}, {25, -20}, {30, -12}, {40, -100}, {50, -100}});
        QCOMPARE(detect(y), (Triples{{10, 20, 25}, {25, 30, 40}}));
    }

    void shapeFilter_data()
    {
        QTest::addColumn<double>("minSideHeight");
        QTest::addColumn<double>("ratio1");
        QTest::addColumn<Triples>("bands");
        // rise 100, fall 40: ratio 2.5, lower side 40.
        QTest::newRow("kept") << 40.0 << 3.0 << Triples{{10, 20, 30}};
        QTest::newRow("too lopsided") << 0.0 << 2.4 << Triples{};
        QTest::newRow("lower side too low") << 40.5 << 3.0 << Triples{};
    }

    void shapeFilter()
    {
        QFETCH(double, minSideHeight);
        QFETCH(double, ratio1);
        QFETCH(Triples, bands);
        Args a;
        a.minSideHeight = minSideHeight;
        a.ratio1 = ratio1;
        QCOMPARE(detect(linear({{0, 0}, {10, 0}, {20, 100}, {30, 60}, {40, 60}}), a), bands);
    }

    void heightFilter_data()
    {
        QTest::addColumn<double>("threshold");
        QTest::addColumn<Triples>("bands");
        QTest::newRow("all kept") << 3.0 << Triples{{0, 20, 30}, {30, 32, 34}, {34, 44, 54}};
        // The low middle band goes; the valley before it becomes the first band's end only, so the
        // last band still starts at its own valley.
        QTest::newRow("low band dropped") << 10.0 << Triples{{0, 20, 30}, {34, 44, 54}};
        QTest::newRow("one high side is enough") << 100.0 << Triples{{0, 20, 30}, {34, 44, 54}};
        QTest::newRow("all dropped") << 101.0 << Triples{};
    }

    void heightFilter()
    {
        QFETCH(double, threshold);
        QFETCH(Triples, bands);
        Args a;
        a.heightThreshold = threshold;
        QCOMPARE(detect(linear({{0, 0}, {20, 100}, {30, 50}, {32, 54}, {34, 50}, {44, 100}, {54, 0}, {60, 0}}), a),
                 bands);
    }

    void mergeClose_data()
    {
        QTest::addColumn<int>("distance");
        QTest::addColumn<QList<QList<double>>>("before");
        QTest::addColumn<QList<QList<double>>>("after");

        const QList<QList<double>> ends{{1, 0, 0}, {4, 10, 100}, {4, 12, 90}, {2, 30, 0}};
        QTest::newRow("close pair at the start") << 5 << ends << QList<QList<double>>{{1, 0, 0}, {2, 30, 0}};
        QTest::newRow("nothing close") << 1 << ends << ends;
        const QList<QList<double>> middle{{1, 0, 0},   {4, 10, 100}, {3, 20, 10}, {4, 30, 80}, {3, 31, 70},
                                          {4, 32, 90}, {3, 40, 5},   {4, 50, 60}, {2, 60, 0}};
        QTest::newRow("closer to the right peak, which is higher")
            << 1 << middle
            << QList<QList<double>>{{1, 0, 0}, {4, 10, 100}, {3, 20, 10}, {4, 32, 90}, {3, 40, 5}, {4, 50, 60}, {2, 60, 0}};
        // A close pair with no peak on one side stays, and the walk still ends.
        const QList<QList<double>> lonely{{1, 0, 0}, {2, 5, 0}, {1, 10, 0}, {4, 20, 50}, {2, 21, 40}, {1, 30, 0}, {2, 40, 0}};
        QTest::newRow("no peak below") << 3 << lonely << lonely;
    }

    void mergeClose()
    {
        QFETCH(int, distance);
        QFETCH(QList<QList<double>>, before);
        QFETCH(QList<QList<double>>, after);
        Lists l = Lists::of(before);
        KyBandDetector::mergeClose(distance, l.values, l.indices, l.marks);
        QCOMPARE(l.entries(), after);
    }

    void refineFlatEdges_data()
    {
        QTest::addColumn<Profile>("s");
        QTest::addColumn<QList<QList<double>>>("before");
        QTest::addColumn<QList<QList<double>>>("after");

        const Profile steep = linear({{0, 0}, {20, 0}, {25, 5}, {40, 80}, {55, 5}, {60, 0}, {79, 0}});
        QTest::newRow("both edges found")
            << steep << QList<QList<double>>{{1, 10, 0}, {4, 40, 80}, {2, 70, 0}}
            << QList<QList<double>>{{1, 25, 5}, {4, 40, 80}, {2, 54, 10}};
        const Profile gentleFall = linear({{0, 0}, {20, 0}, {25, 5}, {40, 80}, {120, 0}, {129, 0}});
        QTest::newRow("only the left edge found")
            << gentleFall << QList<QList<double>>{{1, 10, 0}, {4, 40, 80}, {2, 125, 0}}
            << QList<QList<double>>{{1, 25, 5}, {4, 40, 80}, {2, 115, 5}};
        const Profile gentle = linear({{0, 0}, {40, 80}, {120, 0}, {129, 0}});
        QTest::newRow("no edge found") << gentle << QList<QList<double>>{{1, 0, 0}, {4, 40, 80}, {2, 125, 0}}
                                       << QList<QList<double>>{};
    }

    void refineFlatEdges()
    {
        QFETCH(Profile, s);
        QFETCH(QList<QList<double>>, before);
        QFETCH(QList<QList<double>>, after);
        QVector<double> d(s.size(), 0.0);
        KyBandDetector::difference(s, d);
        Lists l = Lists::of(before);
        KyBandDetector::refineFlatEdges(s, d, 3.0, l.values, l.indices, l.marks);
        QCOMPARE(l.entries(), after);
    }
};

KY_TEST_MAIN(TestKyBandDetector)
#include "tst_kybanddetector.moc"
