#include "pythonreference.h"

#include "analysis/fcapproximatealgorithm.h"
#include "analysis/fccurvefitting.h"
#include "analysis/fccurvefittingfactory.h"
#include "analysis/fcsplinealgorithm.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>
#include <memory>

// Compares the curve fits with exact rational least squares and with scipy's splines: the test
// writes every point set to one request file, runs the reference script once and checks each
// answer.

namespace {

using Curve = std::unique_ptr<FCCurveFitting>;

struct PointSet
{
    int type = 0;
    QString batch;
    QList<double> x;
    QList<double> y;
    QList<double> query;
};

QJsonObject toJson(const PointSet &set)
{
    return QJsonObject{{QStringLiteral("type"), set.type},
                       {QStringLiteral("x"), kytest::toJson(set.x)},
                       {QStringLiteral("y"), kytest::toJson(set.y)},
                       {QStringLiteral("query"), kytest::toJson(set.query)}};
}

QMap<double, double> pointsOf(const PointSet &set)
{
    QMap<double, double> points;
    for (qsizetype i = 0; i < set.x.size(); ++i)
        points.insert(set.x[i], set.y[i]);
    return points;
}

// n distinct positions from lo to hi, ascending.
QList<double> positions(QRandomGenerator &random, int n, int lo, int hi)
{
    QList<int> picked;
    while (picked.size() < n) {
        const int p = random.bounded(lo, hi + 1);
        if (!picked.contains(p))
            picked.append(p);
    }
    std::sort(picked.begin(), picked.end());
    QList<double> xs;
    for (int p : picked)
        xs.append(p);
    return xs;
}

// Weights falling with position like a ladder's, with scatter so that no fit is exact.
QList<double> ladderWeights(QRandomGenerator &random, const QList<double> &xs)
{
    const double top = 150.0 + 150.0 * random.generateDouble();
    const double scale = 500.0 + 1000.0 * random.generateDouble();
    QList<double> ys;
    for (double x : xs)
        ys.append(top * std::exp(-x / scale) * (0.85 + 0.3 * random.generateDouble()));
    return ys;
}

bool secantsDiffer(const PointSet &set)
{
    double previous = qQNaN();
    for (qsizetype i = 0; i + 1 < set.x.size(); ++i) {
        const double secant = (set.y[i + 1] - set.y[i]) / (set.x[i + 1] - set.x[i]);
        if (i > 0 && std::fabs(secant - previous) <= 1e-6 * std::max(std::fabs(secant), std::fabs(previous)))
            return false;
        previous = secant;
    }
    return true;
}

int unknowns(int type)
{
    return (type >= 2 && type <= 5) ? type + 1 : 2;
}

// Every fit the program accepts agrees with the exact least-squares answer to this.
constexpr double kTolerance = 1e-9;

// Difference of polynomial coefficients (highest power first), each weighted by the size of its
// power over the points, relative to the largest such term: a coefficient near zero is judged by
// what it contributes to the curve.
double termError(const double *got, const QList<double> &ref, double span)
{
    const int degree = int(ref.size()) - 1;
    double largest = 0.0;
    double difference = 0.0;
    for (int k = 0; k <= degree; ++k) {
        const double weight = std::pow(span, degree - k);
        largest = std::max(largest, std::fabs(ref[k]) * weight);
        difference = std::max(difference, std::fabs(got[k] - ref[k]) * weight);
    }
    return largest > 0.0 ? difference / largest : difference;
}

double relativeError(double got, double expected)
{
    if (got == expected)
        return 0.0;
    return std::fabs(got - expected) / std::max(std::fabs(got), std::fabs(expected));
}

double maxAbs(const QList<double> &values)
{
    double m = 0.0;
    for (double v : values)
        m = std::max(m, std::fabs(v));
    return m;
}

} // namespace

class TestCurveFittingReference : public QObject
{
    Q_OBJECT

private:
    QList<PointSet> lsq;
    QList<PointSet> loglin;
    QList<PointSet> akima;
    QList<PointSet> natural;
    QJsonObject answer;

    QList<PointSet> batchOf(const QString &batch, int type) const
    {
        QList<PointSet> sets;
        for (const PointSet &set : lsq) {
            if (set.batch == batch && set.type == type)
                sets.append(set);
        }
        return sets;
    }

    QJsonObject answerFor(const char *section, const PointSet &set, const QList<PointSet> &all) const
    {
        const qsizetype index = std::find_if(all.begin(), all.end(), [&](const PointSet &s) {
                                    return &s == &set;
                                }) - all.begin();
        return answer.value(QLatin1String(section)).toArray().at(index).toObject();
    }

private slots:
    void initTestCase()
    {
        QRandomGenerator random(0x4d57);

        // Least squares: 36 sets per model on positions 0 to 2500 (1 to 2500 where x takes a
        // logarithm), 2 to 20 points (at least the model's unknowns).
        for (int type = 0; type <= 9; ++type) {
            for (int k = 0; k < 36; ++k) {
                PointSet set;
                set.type = type;
                set.batch = QStringLiteral("positions");
                const int minimum = type == 0 ? 1 : unknowns(type);
                const int n = random.bounded(minimum, 21);
                set.x = positions(random, n, (type == 6 || type == 7 || type == 9) ? 1 : 0, 2500);
                if (type == 0) {
                    // Through the origin: roughly proportional, so that R says something.
                    for (double x : set.x)
                        set.y.append(0.1 * x * (0.8 + 0.4 * random.generateDouble()) + 5.0);
                } else {
                    set.y = ladderWeights(random, set.x);
                }
                lsq.append(set);
            }
        }
        // The higher polynomials again on well-conditioned points: x in [-1, 1].
        for (int type = 3; type <= 5; ++type) {
            for (int k = 0; k < 30; ++k) {
                PointSet set;
                set.type = type;
                set.batch = QStringLiteral("centred");
                const int n = random.bounded(type + 3, 21);
                QList<double> xs;
                while (xs.size() < n) {
                    const double x = 2.0 * random.generateDouble() - 1.0;
                    if (!xs.contains(x))
                        xs.append(x);
                }
                std::sort(xs.begin(), xs.end());
                set.x = xs;
                for (double x : xs)
                    set.y.append(1.0 + x - 2.0 * x * x + 0.5 * x * x * x + 0.2 * random.generateDouble());
                lsq.append(set);
            }
        }

        // Log-linear fits of ladders, some with unreadable (0) or negative weights.
        for (int type : {11, 12}) {
            for (int k = 0; k < 40; ++k) {
                PointSet set;
                set.type = type;
                const int n = random.bounded(type == 11 ? 2 : 4, 16);
                set.x = positions(random, n, 0, 2500);
                set.y = ladderWeights(random, set.x);
                if (k % 5 == 0) {
                    set.x.append(2501 + k);
                    set.y.append(k % 10 == 0 ? 0.0 : -7.0);
                }
                for (int q = 0; q <= 12; ++q)
                    set.query.append(-100.0 + 2700.0 * q / 12);
                set.query += set.x;
                loglin.append(set);
            }
        }

        // Akima: 6 to 20 points with random weights; values at points inside the range.
        for (int k = 0; k < 80; ++k) {
            PointSet set;
            set.type = 10;
            const int n = random.bounded(6, 21);
            set.x = positions(random, n, 0, 2500);
            // No two neighbouring secants alike: there both slope rules agree with scipy's.
            do {
                set.y.clear();
                for (int i = 0; i < n; ++i)
                    set.y.append(1.0 + 299.0 * random.generateDouble());
            } while (!secantsDiffer(set));
            for (int q = 0; q <= 24; ++q)
                set.query.append(set.x.first() + (set.x.last() - set.x.first()) * q / 24);
            akima.append(set);
        }
        {
            // The pinned set: canonical Akima differs at the third point.
            PointSet set;
            set.type = 10;
            set.batch = QStringLiteral("pinned");
            set.x = {0, 1, 2, 3, 4, 5, 6};
            set.y = {0, 1, 2, 4, 5, 9, 10};
            set.query = {2.5};
            akima.append(set);
        }

        // Natural splines (the parametric building block).
        for (int k = 0; k < 20; ++k) {
            PointSet set;
            const int n = random.bounded(3, 15);
            set.x = positions(random, n, 0, 100);
            for (int i = 0; i < n; ++i)
                set.y.append(-50.0 + 100.0 * random.generateDouble());
            for (int q = -2; q <= 22; ++q)
                set.query.append(set.x.first() + (set.x.last() - set.x.first()) * q / 20);
            natural.append(set);
        }

        // Sets that crowd the positions or repeat them, given to Fit directly as a map could not
        // hold them: each is either refused (error 3) or fitted to the same accuracy, and one
        // whose normal equations are singular is always refused.
        for (int type = 1; type <= 9; ++type) {
            const int m = unknowns(type);
            const bool logX = type == 6 || type == 7 || type == 9;
            for (int k = 0; k < 36; ++k) {
                PointSet set;
                set.type = type;
                set.batch = QStringLiteral("crowded");
                QList<double> xs;
                switch (k % 6) {
                case 0: // fewer distinct positions than unknowns, each given two or three times
                    for (double p : positions(random, m - 1, 1, 2500))
                        for (int r = random.bounded(2, 4); r > 0; --r)
                            xs.append(p);
                    break;
                case 1: // repeats among enough distinct positions
                    xs = positions(random, m + random.bounded(3), 1, 2500);
                    for (int r = random.bounded(1, 4); r > 0; --r)
                        xs.append(xs.at(random.bounded(int(xs.size()))));
                    break;
                case 2: // all but one position within 5 to 1000 pixels, the last far away
                    xs = positions(random, m - 1 + random.bounded(2), 1,
                                   std::max(m + 1, int(std::pow(10.0, 0.7 + 2.3 * random.generateDouble()))));
                    xs.append(2500);
                    break;
                case 3: // a narrow stretch far from the origin
                    xs = positions(random, m + random.bounded(8), 100000, 100050);
                    break;
                case 4: // tiny positions
                    for (double p : positions(random, m + random.bounded(8), 1, 1000))
                        xs.append(p * 1e-7);
                    break;
                default: // as many positions as unknowns: the curve passes through the points
                    xs = positions(random, m, logX ? 1 : 0, 2500);
                    break;
                }
                std::sort(xs.begin(), xs.end());
                set.x = xs;
                set.y = ladderWeights(random, xs);
                lsq.append(set);
            }
        }

        QJsonObject request;
        const auto add = [&request](const char *section, const QList<PointSet> &sets) {
            QJsonArray array;
            for (const PointSet &set : sets)
                array.append(toJson(set));
            request.insert(QLatin1String(section), array);
        };
        add("lsq", lsq);
        add("loglin", loglin);
        add("akima", akima);
        add("natural", natural);

        answer = kytest::runPythonReference(QStringLiteral("analysis/reference/curvefitting_reference.py"), request);
        QCOMPARE(answer.value(QStringLiteral("lsq")).toArray().size(), lsq.size());
    }

    void leastSquares_data()
    {
        QTest::addColumn<QString>("batch");
        QTest::addColumn<int>("type");
        for (int type = 0; type <= 9; ++type)
            QTest::addRow("type %d on positions", type) << QStringLiteral("positions") << type;
        for (int type = 3; type <= 5; ++type)
            QTest::addRow("type %d centred", type) << QStringLiteral("centred") << type;
        for (int type = 1; type <= 9; ++type)
            QTest::addRow("type %d crowded", type) << QStringLiteral("crowded") << type;
    }

    void leastSquares()
    {
        QFETCH(QString, batch);
        QFETCH(int, type);
        const bool crowded = batch == QStringLiteral("crowded");
        const bool polynomial = type <= 5;
        int sets = 0;
        int singular = 0;
        int refused = 0;
        double worst = 0.0;
        for (const PointSet &set : lsq) {
            if (set.batch != batch || set.type != type)
                continue;
            ++sets;
            const QJsonObject expected = answerFor("lsq", set, lsq);
            double got[6] = {};
            double r = 0.0;
            int error = -1;
            Curve curve;
            if (crowded) {
                FCApproximateAlgorithm().Fit(int(set.x.size()), set.x.constData(), set.y.constData(),
                                             type, got, &r, &error);
            } else {
                curve.reset(FCCurveFittingFactory().Create(type, pointsOf(set), &error));
                if (curve) {
                    const double values[] = {curve->GetA(), curve->GetB(), curve->GetC(), curve->GetD(), curve->GetE(), curve->GetF()};
                    std::copy(std::begin(values), std::end(values), got);
                    QVERIFY(curve->HasR());
                    r = curve->GetR();
                }
            }
            if (expected.value(QStringLiteral("singular")).toBool()) {
                ++singular;
                QCOMPARE(error, 3);
                continue;
            }
            if (crowded && error == 3) {
                ++refused;
                continue;
            }
            QCOMPARE(error, 0);
            const QList<double> ref = kytest::fromJson(expected.value(QStringLiteral("coefficients")).toArray());
            if (curve) {
                const bool has[] = {curve->HasA(), curve->HasB(), curve->HasC(), curve->HasD(), curve->HasE(), curve->HasF()};
                for (int k = 0; k < 6; ++k)
                    QCOMPARE(has[k], k < ref.size());
            }

            double difference = 0.0;
            if (type >= 1 && type <= 5) {
                difference = termError(got, ref, maxAbs(set.x));
            } else {
                for (qsizetype k = 0; k < ref.size(); ++k)
                    difference = std::max(difference, relativeError(got[k], ref[k]));
            }
            worst = std::max(worst, difference);
            QVERIFY2(difference <= kTolerance,
                     qPrintable(QStringLiteral("set of %1 points: difference %2").arg(set.x.size()).arg(difference)));

            const double exactR = expected.value(QStringLiteral("R")).toDouble();
            QVERIFY2(relativeError(r, exactR) <= kTolerance,
                     qPrintable(QStringLiteral("R %1, exact %2").arg(r, 0, 'g', 17).arg(exactR, 0, 'g', 17)));

            // The curve at its own points is the exact fit there, judged against the range of
            // the fitted values.
            if (curve && polynomial) {
                const QList<double> fitted = kytest::fromJson(expected.value(QStringLiteral("fitted")).toArray());
                const double range = maxAbs(fitted);
                for (qsizetype i = 0; i < set.x.size(); ++i)
                    QVERIFY2(std::fabs(curve->Evaluate(set.x[i]) - fitted[i]) <= kTolerance * range,
                             qPrintable(QStringLiteral("at %1: %2, exact %3").arg(set.x[i])
                                            .arg(curve->Evaluate(set.x[i]), 0, 'g', 17).arg(fitted[i], 0, 'g', 17)));
            }
        }
        QVERIFY(sets >= 30);
        if (crowded)
            QVERIFY(singular > 0);
        qInfo("%d sets, worst difference %.2g; %d singular, %d more refused", sets, worst, singular, refused);
    }

    void logLinear()
    {
        for (const PointSet &set : loglin) {
            const QJsonObject expected = answerFor("loglin", set, loglin);
            int error = -1;
            const Curve curve(FCCurveFittingFactory().Create(set.type, pointsOf(set), &error));
            QCOMPARE(error, 0);

            // The inner polynomial is the exact fit of (x, log10 y) over the positive weights.
            const QList<double> ref = kytest::fromJson(expected.value(QStringLiteral("coefficients")).toArray());
            const double got[] = {curve->GetA(), curve->GetB(), curve->GetC(), curve->GetD()};
            QCOMPARE(ref.size(), set.type == 11 ? 2 : 4);
            double span = 0.0;
            for (qsizetype i = 0; i < set.x.size(); ++i) {
                if (set.y[i] > 0.0)
                    span = std::max(span, std::fabs(set.x[i]));
            }
            QVERIFY(termError(got, ref, span) <= kTolerance);

            // Inside the points the curve is 10 ** the exact polynomial.
            const int degree = int(ref.size()) - 1;
            const QList<double> values = kytest::fromJson(expected.value(QStringLiteral("values")).toArray());
            for (qsizetype q = 0; q < set.query.size(); ++q) {
                const double x = set.query[q];
                // Everywhere, also far outside the points, it is 10 ** its own inner polynomial.
                double exponent = 0.0;
                for (int k = 0; k <= degree; ++k)
                    exponent = exponent * x + got[k];
                QVERIFY(relativeError(curve->Evaluate(x), std::pow(10.0, exponent)) <= 1e-12);
                if (x < set.x.first() || x > span)
                    continue;
                QVERIFY2(relativeError(curve->Evaluate(x), values[q]) <= kTolerance,
                         qPrintable(QStringLiteral("type %1 at %2: %3, exact %4").arg(set.type).arg(x)
                                        .arg(curve->Evaluate(x), 0, 'g', 17).arg(values[q], 0, 'g', 17)));
            }
        }
    }

    void akimaSpline()
    {
        int sets = 0;
        for (const PointSet &set : akima) {
            if (set.batch == QStringLiteral("pinned"))
                continue;
            ++sets;
            const QJsonObject expected = answerFor("akima", set, akima);
            const int n = int(set.x.size());
            QList<double> slopes(n);
            int error = -1;
            FCSplineAlgorithm::AkimaSlopes(set.x.constData(), set.y.constData(), slopes.data(), n, &error);
            QCOMPARE(error, 0);
            const QList<double> refSlopes = kytest::fromJson(expected.value(QStringLiteral("slopes")).toArray());
            for (int i = 0; i < n; ++i)
                QVERIFY2(relativeError(slopes[i], refSlopes[i]) <= 1e-12,
                         qPrintable(QStringLiteral("slope %1: %2, scipy %3").arg(i).arg(slopes[i], 0, 'g', 17).arg(refSlopes[i], 0, 'g', 17)));

            const Curve curve(FCCurveFittingFactory().Create(10, pointsOf(set), &error));
            QCOMPARE(error, 0);
            const QList<double> values = kytest::fromJson(expected.value(QStringLiteral("values")).toArray());
            for (qsizetype q = 0; q < set.query.size(); ++q)
                QVERIFY(relativeError(curve->Evaluate(set.query[q]), values[q]) <= 1e-12);

            // Outside the points: the chord of the two end points.
            const double below = set.x.first() - 50.0;
            const double above = set.x.last() + 50.0;
            QVERIFY(relativeError(curve->Evaluate(below),
                                  set.y[0] - (set.y[1] - set.y[0]) / (set.x[1] - set.x[0]) * 50.0) <= 1e-12);
            QVERIFY(relativeError(curve->Evaluate(above),
                                  set.y[n - 1] + (set.y[n - 1] - set.y[n - 2]) / (set.x[n - 1] - set.x[n - 2]) * 50.0) <= 1e-12);
        }
        QVERIFY(sets >= 50);
    }

    void akimaPinnedDiffersFromCanonical()
    {
        const PointSet &set = akima.last();
        QCOMPARE(set.batch, QStringLiteral("pinned"));
        const QJsonObject expected = answerFor("akima", set, akima);
        const QList<double> canonical = kytest::fromJson(expected.value(QStringLiteral("slopes")).toArray());
        double slopes[7] = {};
        int error = -1;
        FCSplineAlgorithm::AkimaSlopes(set.x.constData(), set.y.constData(), slopes, 7, &error);
        QCOMPARE(error, 0);
        // Canonical Akima takes the right secant alone at the third point; here the two secants
        // around it are averaged. Everywhere else the rules agree.
        QCOMPARE(canonical[2], 1.0);
        QCOMPARE(slopes[2], 1.5);
        for (int i : {0, 1, 3, 4, 5, 6})
            QVERIFY(relativeError(slopes[i], canonical[i]) <= 1e-12);
        const Curve curve(FCCurveFittingFactory().Create(10, pointsOf(set), &error));
        const double scipyValue = kytest::fromJson(expected.value(QStringLiteral("values")).toArray()).first();
        QCOMPARE(scipyValue, 2.90625);
        QCOMPARE(curve->Evaluate(2.5), 2.96875);
    }

    void naturalSpline()
    {
        for (const PointSet &set : natural) {
            const QJsonObject expected = answerFor("natural", set, natural);
            const int n = int(set.x.size());
            QList<double> c(n);
            int error = -1;
            FCSplineAlgorithm::NaturalSplineSecondDerivatives(set.x.constData(), set.y.constData(), c.data(), n, &error);
            QCOMPARE(error, 0);
            const QList<double> sixths = kytest::fromJson(expected.value(QStringLiteral("sixths")).toArray());
            const double curvature = maxAbs(sixths);
            for (int i = 0; i < n; ++i)
                QVERIFY(std::fabs(c[i] - sixths[i]) <= 1e-12 * curvature);
            // Values inside and (the end cubic continued) outside the knots.
            const QList<double> values = kytest::fromJson(expected.value(QStringLiteral("values")).toArray());
            const double scale = maxAbs(values);
            for (qsizetype q = 0; q < set.query.size(); ++q) {
                const double got = FCSplineAlgorithm::NaturalSplineEvaluate(set.query[q], set.x.constData(),
                                                                            set.y.constData(), c.constData(), n);
                QVERIFY2(std::fabs(got - values[q]) <= 1e-12 * scale,
                         qPrintable(QStringLiteral("at %1: %2, scipy %3").arg(set.query[q]).arg(got, 0, 'g', 17).arg(values[q], 0, 'g', 17)));
            }
        }
    }
};

KY_TEST_MAIN(TestCurveFittingReference)
#include "tst_curvefittingreference.moc"
