#include "testmain.h"

#include "analysis/fcapproximatealgorithm.h"
#include "analysis/fccurvefittingfactory.h"
#include "analysis/fccurvefittingimpl.h"
#include "analysis/fccurvefittingloglinear.h"
#include "analysis/kymwcurve.h"

#include <cfloat>
#include <cmath>
#include <memory>

using Points = QMap<double, double>;
using Curve = std::unique_ptr<FCCurveFitting>;

namespace {

Curve create(int type, const Points &points, int *error)
{
    *error = -1;
    return Curve(FCCurveFittingFactory().Create(type, points, error));
}

Points pointsOf(std::initializer_list<std::pair<double, double>> list)
{
    Points points;
    for (const auto &p : list)
        points.insert(p.first, p.second);
    return points;
}

// Seven points whose first three are collinear: at the third point the left pair of secants
// agrees while the right pair does not.
const double kPinnedX[] = {0, 1, 2, 3, 4, 5, 6};
const double kPinnedY[] = {0, 1, 2, 4, 5, 9, 10};

Points pinnedPoints()
{
    Points points;
    for (int i = 0; i < 7; ++i)
        points.insert(kPinnedX[i], kPinnedY[i]);
    return points;
}

bool close(double a, double b, double relative)
{
    return std::fabs(a - b) <= relative * std::max(std::fabs(a), std::fabs(b));
}

// Gives the tests a way to the switched-off parametric construction.
class ParametricFactory : public FCCurveFittingFactory
{
public:
    using FCCurveFittingFactory::CreateSampledParametricSpline;
};

} // namespace

Q_DECLARE_METATYPE(Points)

class TestCurveFitting : public QObject
{
    Q_OBJECT

private slots:
    void errors_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<Points>("points");
        QTest::addColumn<int>("error");

        for (int type = 0; type <= 12; ++type)
            QTest::addRow("empty, type %d", type) << type << Points() << 1;
        QTest::newRow("quadratic through two points") << 2 << pointsOf({{1, 1}, {2, 4}}) << 1;
        QTest::newRow("quintic through five points") << 5 << pointsOf({{1, 1}, {2, 4}, {3, 2}, {4, 8}, {5, 1}}) << 1;
        QTest::newRow("line through one point") << 1 << pointsOf({{1, 1}}) << 1;
        QTest::newRow("spline through one point") << 10 << pointsOf({{1, 1}}) << 1;
        QTest::newRow("spline through five points") << 10 << pointsOf({{1, 1}, {2, 4}, {3, 2}, {4, 8}, {5, 1}}) << 1;
        QTest::newRow("log-line with one positive weight") << 11 << pointsOf({{1, 10}, {2, 0}, {3, -5}}) << 1;
        QTest::newRow("log-cubic with three positive weights") << 12 << pointsOf({{1, 90}, {2, 40}, {3, 0}, {4, 20}}) << 1;

        QTest::newRow("log x of 0, type 7") << 7 << pointsOf({{0, 1}, {1, 2}}) << 2;
        QTest::newRow("log x of -1, type 6") << 6 << pointsOf({{-1, 1}, {1, 2}}) << 2;
        QTest::newRow("log y of 0, type 6") << 6 << pointsOf({{1, 0}, {2, 2}}) << 2;
        QTest::newRow("log y of -3, type 8") << 8 << pointsOf({{1, -3}, {2, 2}}) << 2;
        QTest::newRow("log x of 0, type 9") << 9 << pointsOf({{0, 3}, {2, 2}}) << 2;
        QTest::newRow("log y of 0, type 9") << 9 << pointsOf({{1, 0}, {2, 2}}) << 2;
        // Too few points is found before a bad value.
        QTest::newRow("one point with log x of 0") << 7 << pointsOf({{0, 1}}) << 1;

        QTest::newRow("type -1") << -1 << pointsOf({{1, 1}, {2, 2}, {3, 3}}) << 3;
        QTest::newRow("type 13") << 13 << pointsOf({{1, 1}, {2, 2}, {3, 3}}) << 3;
        QTest::newRow("type 65536 (0 as unsigned short)") << 65536 << pointsOf({{1, 1}, {2, 2}}) << 3;
        // The mirrored point of (0, 5) is (0, -5): no slope is determined.
        QTest::newRow("origin line through x = 0 only") << 0 << pointsOf({{0, 5}}) << 3;
        // Powers of 1e60 overflow: the solution is not finite.
        QTest::newRow("quintic with huge positions") << 5 << pointsOf({{1, 1}, {2, 2}, {3, 1}, {4, 2}, {5, 1}, {1e60, 2}}) << 3;
        QTest::newRow("exponential overflowing a") << 8 << pointsOf({{1, 1e300}, {2, 1e200}}) << 3;
    }

    void errors()
    {
        QFETCH(int, type);
        QFETCH(Points, points);
        QFETCH(int, error);
        int got = -1;
        const Curve curve = create(type, points, &got);
        QCOMPARE(got, error);
        QVERIFY(!curve);
        // The error pointer is optional.
        QVERIFY(!Curve(FCCurveFittingFactory().Create(type, points)));
    }

    // Positions that do not determine the curve cannot come from a map, but Fit may be called
    // directly: the fit fails and leaves coefficients and R alone, for every model.
    void repeatedPositionsInFit_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QVector<double>>("x");
        QTest::newRow("line, one position twice") << 1 << QVector<double>{1, 1};
        QTest::newRow("quadratic, two positions") << 2 << QVector<double>{1, 1, 2, 2};
        QTest::newRow("cubic, three positions twice") << 3 << QVector<double>{1, 1, 2, 2, 3, 3};
        QTest::newRow("quartic, four positions") << 4 << QVector<double>{100, 100, 200, 300, 300, 400};
        QTest::newRow("quintic, five positions") << 5 << QVector<double>{0, 500, 500, 1000, 1800, 2500, 2500};
        QTest::newRow("power, one position") << 6 << QVector<double>{5, 5, 5};
        QTest::newRow("exponential, one position") << 8 << QVector<double>{5, 5};
        QTest::newRow("through the origin at 0") << 0 << QVector<double>{0, 0};
        QTest::newRow("not a least-squares model") << 10 << QVector<double>{1, 2};
    }

    void repeatedPositionsInFit()
    {
        QFETCH(int, type);
        QFETCH(QVector<double>, x);
        QVector<double> y;
        for (qsizetype i = 0; i < x.size(); ++i)
            y.append(200.0 - 0.05 * x[i] + (i % 2 ? 3 : -2));
        double coefficients[6] = {7, 7, 7, 7, 7, 7};
        double r = 7;
        int error = -1;
        FCApproximateAlgorithm().Fit(int(x.size()), x.constData(), y.constData(), type, coefficients, &r, &error);
        QCOMPARE(error, 3);
        for (double c : coefficients)
            QCOMPARE(c, 7.0);
        QCOMPARE(r, 7.0);
    }

    // As many points as unknowns: the least-squares curve passes through every point, also when
    // the positions run into the thousands (where the higher powers reach 1e17).
    void polynomialThroughItsPoints_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<Points>("points");
        QTest::newRow("quartic through five points")
            << 4 << pointsOf({{40, 250}, {610, 130}, {1180, 70}, {1900, 31}, {2480, 12}});
        QTest::newRow("quintic through six points")
            << 5 << pointsOf({{0, 250}, {330, 180}, {700, 97}, {1210, 66}, {1830, 25}, {2500, 10}});
        // Sets whose unscaled normal equations missed their own points by 0.4 % and 7 % of the
        // values.
        QTest::newRow("quartic through five points near the end")
            << 4 << pointsOf({{1945, 47.2}, {2155, 34.0}, {2293, 32.8}, {2296, 29.4}, {2417, 29.3}});
        QTest::newRow("quintic through six points in the middle")
            << 5 << pointsOf({{1158, 99.0}, {1408, 63.1}, {1411, 74.3}, {1547, 59.3}, {1555, 58.2}, {1671, 53.3}});
    }

    void polynomialThroughItsPoints()
    {
        QFETCH(int, type);
        QFETCH(Points, points);
        int error = -1;
        const Curve curve = create(type, points, &error);
        QCOMPARE(error, 0);
        QVERIFY(curve);
        QCOMPARE(curve->GetR(), 1.0);
        double range = 0.0;
        for (double y : points)
            range = std::max(range, std::fabs(y));
        for (auto it = points.cbegin(); it != points.cend(); ++it)
            QVERIFY2(std::fabs(curve->Evaluate(it.key()) - it.value()) <= 1e-9 * range,
                     qPrintable(QStringLiteral("at %1: %2, expected %3").arg(it.key())
                                    .arg(curve->Evaluate(it.key()), 0, 'g', 17).arg(it.value())));
    }

    void examples()
    {
        int error = -1;
        Curve line = create(1, pointsOf({{1, 3}, {2, 5}}), &error);
        QCOMPARE(error, 0);
        QVERIFY(line);
        QCOMPARE(line->GetA(), 2.0);
        QCOMPARE(line->GetB(), 1.0);
        QCOMPARE(line->GetR(), 1.0);
        QVERIFY(line->HasA() && line->HasB() && line->HasR());
        QVERIFY(!line->HasC() && !line->HasD() && !line->HasE() && !line->HasF());
        QCOMPARE(line->Evaluate(10), 21.0);

        Curve origin = create(0, pointsOf({{2, 4}}), &error);
        QCOMPARE(error, 0);
        QCOMPARE(origin->GetA(), 2.0);
        QVERIFY(origin->HasA());
        QVERIFY(!origin->HasB());
        QCOMPARE(origin->GetR(), 1.0); // a single point
        QCOMPARE(origin->Evaluate(-3), -6.0);

        Curve exponential = create(11, pointsOf({{1, 10}, {2, 100}}), &error);
        QCOMPARE(error, 0);
        QCOMPARE(exponential->Evaluate(3), 1000.0);
        QCOMPARE(exponential->GetA(), 1.0); // of the inner line in log10 space
        QCOMPARE(exponential->GetB(), 0.0);
        QVERIFY(exponential->HasR() && !exponential->HasC());

        // Type 7 takes no logarithm of y: a negative y is fine.
        Curve logarithm = create(7, pointsOf({{1, -2}, {10, 1}, {100, 4}}), &error);
        QCOMPARE(error, 0);
        QCOMPARE(logarithm->GetA(), 3.0);
        QCOMPARE(logarithm->GetB(), -2.0);
        QCOMPARE(logarithm->Evaluate(1000), 7.0);
    }

    // Points exactly on a model's curve give back its coefficients, in the model's own order.
    void recoversModel_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<double>("tolerance");
        QTest::addColumn<QList<double>>("coefficients");
        // The normal equations of a quintic on positions up to 7 lose about seven digits.
        const double kExact = 1e-9;
        const double kQuintic = 1e-6;
        QTest::newRow("0 a x") << 0 << kExact << QList<double>{-1.5};
        QTest::newRow("1 line") << 1 << kExact << QList<double>{0.25, -3};
        QTest::newRow("2 quadratic") << 2 << kExact << QList<double>{2, -3, 0.5};
        QTest::newRow("3 cubic") << 3 << kExact << QList<double>{-0.5, 2, 1, -4};
        QTest::newRow("4 quartic") << 4 << kExact << QList<double>{0.125, -1, 0.5, 3, -2};
        QTest::newRow("5 quintic") << 5 << kQuintic << QList<double>{0.03125, -0.25, 1, 0.5, -2, 6};
        QTest::newRow("6 power") << 6 << kExact << QList<double>{3, 0.5};
        QTest::newRow("7 log") << 7 << kExact << QList<double>{-4, 9};
        QTest::newRow("8 exponential") << 8 << kExact << QList<double>{250, -0.125};
        QTest::newRow("9 power in log10") << 9 << kExact << QList<double>{-1.25, 2.5};
    }

    void recoversModel()
    {
        QFETCH(int, type);
        QFETCH(double, tolerance);
        QFETCH(QList<double>, coefficients);
        FCCurveFittingImpl model;
        model.SetType(type);
        const std::array<void (FCCurveFittingImpl::*)(double), 6> setters{
            &FCCurveFittingImpl::SetCoefficientA, &FCCurveFittingImpl::SetCoefficientB,
            &FCCurveFittingImpl::SetCoefficientC, &FCCurveFittingImpl::SetCoefficientD,
            &FCCurveFittingImpl::SetCoefficientE, &FCCurveFittingImpl::SetCoefficientF};
        for (qsizetype k = 0; k < coefficients.size(); ++k)
            (model.*setters[k])(coefficients[k]);

        Points points;
        for (double x : {0.5, 1.0, 1.5, 2.0, 3.0, 4.0, 5.5, 7.0})
            points.insert(x, model.Evaluate(x));
        int error = -1;
        const Curve fit = create(type, points, &error);
        QCOMPARE(error, 0);
        const double got[] = {fit->GetA(), fit->GetB(), fit->GetC(), fit->GetD(), fit->GetE(), fit->GetF()};
        const bool has[] = {fit->HasA(), fit->HasB(), fit->HasC(), fit->HasD(), fit->HasE(), fit->HasF()};
        for (int k = 0; k < 6; ++k) {
            QCOMPARE(has[k], k < coefficients.size());
            if (k < coefficients.size())
                QVERIFY2(close(got[k], coefficients[k], tolerance),
                         qPrintable(QStringLiteral("coefficient %1: %2 for %3").arg(k).arg(got[k], 0, 'g', 17).arg(coefficients[k])));
        }
        QVERIFY(fit->HasR());
        QVERIFY(close(fit->GetR(), 1.0, tolerance));
        for (double x : {0.75, 2.5, 6.0})
            QVERIFY(close(fit->Evaluate(x), model.Evaluate(x), tolerance));
    }

    void evaluation_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("expected");
        // Coefficients a..f = 2, 3, 5, 7, 11, 13 in every row.
        QTest::newRow("0") << 0 << 4.0 << 8.0;
        QTest::newRow("1") << 1 << 4.0 << 11.0;
        QTest::newRow("2") << 2 << 2.0 << 19.0;
        QTest::newRow("3") << 3 << 2.0 << 45.0;
        QTest::newRow("4") << 4 << 2.0 << 101.0;
        QTest::newRow("5") << 5 << 2.0 << 215.0;
        QTest::newRow("6") << 6 << 4.0 << 128.0;
        QTest::newRow("7") << 7 << 100.0 << 7.0;
        QTest::newRow("8") << 8 << 1.0 << 2000.0;
        QTest::newRow("9") << 9 << 10.0 << 1e5;
        QTest::newRow("10 without knots") << 10 << 4.0 << 0.0;
        QTest::newRow("unknown type") << 42 << 4.0 << 0.0;
    }

    void evaluation()
    {
        QFETCH(int, type);
        QFETCH(double, x);
        QFETCH(double, expected);
        FCCurveFittingImpl curve;
        curve.SetType(type);
        curve.SetCoefficientA(2);
        curve.SetCoefficientB(3);
        curve.SetCoefficientC(5);
        curve.SetCoefficientD(7);
        curve.SetCoefficientE(11);
        curve.SetCoefficientF(13);
        QVERIFY(close(curve.Evaluate(x), expected, 1e-15));
    }

    void resetClearsAllButType()
    {
        FCCurveFittingImpl curve;
        curve.SetType(1);
        curve.SetCoefficientA(2);
        curve.SetCoefficientB(3);
        curve.SetR(0.5);
        curve.Reset();
        QVERIFY(!curve.HasA() && !curve.HasB() && !curve.HasR());
        QCOMPARE(curve.GetA(), 0.0);
        QCOMPARE(curve.GetR(), 0.0);
        curve.SetCoefficientA(4);
        QCOMPARE(curve.Evaluate(2), 8.0); // still a line
    }

    void logLinearWithoutInner()
    {
        const FCCurveFittingLogLinear empty(nullptr);
        QCOMPARE(empty.GetA(), DBL_MIN);
        QCOMPARE(empty.GetF(), DBL_MIN);
        QCOMPARE(empty.GetR(), DBL_MIN);
        QVERIFY(!empty.HasA() && !empty.HasR());
        QCOMPARE(empty.Evaluate(3), DBL_MIN);
    }

    void logLinearLeavesOutNonPositiveWeights()
    {
        const Points clean = pointsOf({{100, 200}, {400, 90}, {700, 45}, {900, 30}, {1300, 11}});
        Points dirty = clean;
        dirty.insert(50, 0);
        dirty.insert(1000, -4);
        for (int type : {11, 12}) {
            int error = -1;
            const Curve expected = create(type, clean, &error);
            QCOMPARE(error, 0);
            const Curve got = create(type, dirty, &error);
            QCOMPARE(error, 0);
            for (double x : {0.0, 250.0, 800.0, 1500.0})
                QCOMPARE(got->Evaluate(x), expected->Evaluate(x));
            QCOMPARE(got->GetR(), expected->GetR());
        }
    }

    void akimaSlopesPinned()
    {
        // At the third point canonical Akima would weight the right secant alone (slope 1); the
        // rule here averages whenever one pair of secants agrees.
        double slopes[7] = {};
        int error = -1;
        FCSplineAlgorithm::AkimaSlopes(kPinnedX, kPinnedY, slopes, 7, &error);
        QCOMPARE(error, 0);
        const double expected[7] = {1, 1, 1.5, 1.75, 1.75, 2.5, -0.5};
        for (int i = 0; i < 7; ++i)
            QVERIFY2(slopes[i] == expected[i], qPrintable(QStringLiteral("slope %1 = %2").arg(i).arg(slopes[i])));

        FCSplineAlgorithm::AkimaSlopes(kPinnedX, kPinnedY, slopes, 5, &error);
        QCOMPARE(error, 1);
    }

    void akimaSpline()
    {
        int error = -1;
        const Curve spline = create(10, pinnedPoints(), &error);
        QCOMPARE(error, 0);
        QVERIFY(!spline->HasR());
        QVERIFY(!spline->HasA() && !spline->HasB());
        for (int i = 0; i < 7; ++i)
            QCOMPARE(spline->Evaluate(kPinnedX[i]), kPinnedY[i]);
        // Hermite cubic on [2, 3] with slopes 1.5 and 1.75.
        QCOMPARE(spline->Evaluate(2.5), 2.96875);
        // Outside: the chord of the two end points, not the end cubic.
        QCOMPARE(spline->Evaluate(-1), -1.0);
        QCOMPARE(spline->Evaluate(8), 12.0);
        QCOMPARE(FCSplineAlgorithm::HermiteEvaluate(8, kPinnedX, kPinnedY,
                                                    std::array<double, 7>{1, 1, 1.5, 1.75, 1.75, 2.5, -0.5}.data(), 7),
                 3.0);

        // The parametric construction is switched off and gives the same spline.
        const Curve parametric(FCCurveFittingFactory().CreateParametricSpline(pinnedPoints(), &error));
        QCOMPARE(error, 0);
        for (double x : {-1.0, 0.5, 2.5, 5.25, 8.0})
            QCOMPARE(parametric->Evaluate(x), spline->Evaluate(x));
        QVERIFY(!FCCurveFittingFactory().CreateParametricSpline(pointsOf({{1, 1}, {2, 2}}), &error));
        QCOMPARE(error, 1);
    }

    void hermiteZeroWidthInterval()
    {
        const double xs[] = {0, 1, 1};
        const double ys[] = {0, 2, 3};
        const double ts[] = {1, 1, 4};
        QCOMPARE(FCSplineAlgorithm::HermiteEvaluate(5, xs, ys, ts, 3), 6.0);
    }

    void naturalAndParametricSpline()
    {
        const double t[] = {0, 1, 2.5, 3};
        const double line[] = {1, 3, 6, 7};
        double c[4] = {9, 9, 9, 9};
        int error = -1;
        FCSplineAlgorithm::NaturalSplineSecondDerivatives(t, line, c, 4, &error);
        QCOMPARE(error, 0);
        for (double v : c)
            QVERIFY(std::fabs(v) < 1e-15);
        QVERIFY(close(FCSplineAlgorithm::NaturalSplineEvaluate(4, t, line, c, 4), 9.0, 1e-15));
        FCSplineAlgorithm::NaturalSplineSecondDerivatives(t, line, c, 2, &error);
        QCOMPARE(error, 1);

        const double x[] = {0, 3, 6};
        const double y[] = {0, 4, 8};
        double params[3];
        double cx[3];
        double cy[3];
        FCSplineAlgorithm::ParametricSplineSetup(params, x, y, cx, cy, 3, &error);
        QCOMPARE(error, 0);
        QCOMPARE(params[0], 0.0);
        QCOMPARE(params[1], 0.5);
        QCOMPARE(params[2], 1.0);
        double px = 0;
        double py = 0;
        FCSplineAlgorithm::ParametricSplineEvaluate(0.25, &px, &py, params, x, y, cx, cy, 3);
        QVERIFY(close(px, 1.5, 1e-15));
        QVERIFY(close(py, 2.0, 1e-15));
    }

    void sampledParametricSpline()
    {
        int error = -1;
        ParametricFactory factory;
        std::unique_ptr<FCCurveFitting> curve(factory.CreateSampledParametricSpline(
            pointsOf({{0, 0}, {1, 1}, {2, 2}, {3, 3}}), &error));
        QCOMPARE(error, 0);
        QVERIFY(curve);
        QVERIFY(!curve->HasR() && !curve->HasA());
        // Knots without slopes evaluate to nothing.
        for (double x : {-1.0, 0.0, 1.5, 3.0})
            QCOMPARE(curve->Evaluate(x), 0.0);
        // 31 knots evenly along the line from 0 to 3.
        int lo = -1;
        int hi = -1;
        static_cast<FCCurveFittingImpl *>(curve.get())->FindKnotInterval(1.05, &lo, &hi);
        QCOMPARE(lo, 10);
        QCOMPARE(hi, 11);
        static_cast<FCCurveFittingImpl *>(curve.get())->FindKnotInterval(2.999, &lo, &hi);
        QCOMPARE(lo, 29);

        QVERIFY(!factory.CreateSampledParametricSpline(pointsOf({{0, 0}, {1, 1}}), &error));
        QCOMPARE(error, 1); // the natural spline needs three points
        QVERIFY(!factory.CreateSampledParametricSpline(pointsOf({{0, 0}}), &error));
        QCOMPARE(error, 1);
    }

    void knotInterval_data()
    {
        QTest::addColumn<QList<double>>("knots");
        QTest::addColumn<double>("x");
        QTest::addColumn<int>("lo");
        QTest::addColumn<int>("hi");
        const QList<double> even{0, 1, 2, 3, 4};
        const QList<double> uneven{0, 0.1, 0.2, 3.9, 4};
        QTest::newRow("below") << even << -1.0 << 0 << 1;
        QTest::newRow("above") << even << 5.0 << 3 << 4;
        QTest::newRow("first knot") << even << 0.0 << 0 << 1;
        QTest::newRow("inner knot") << even << 2.0 << 2 << 3;
        QTest::newRow("inside") << even << 2.5 << 2 << 3;
        QTest::newRow("last knot stays in range") << even << 4.0 << 3 << 4;
        QTest::newRow("guess too far right") << uneven << 3.5 << 2 << 3;
        QTest::newRow("guess too far left") << uneven << 0.15 << 1 << 2;
    }

    void knotInterval()
    {
        QFETCH(QList<double>, knots);
        QFETCH(double, x);
        QFETCH(int, lo);
        QFETCH(int, hi);
        FCCurveFittingImpl curve;
        curve.SetType(10);
        QVERIFY(curve.AllocateKnots(int(knots.size()) - 1));
        for (int i = 0; i < knots.size(); ++i)
            curve.SetKnot(i, knots[i], 0);
        curve.SetKnot(int(knots.size()), 99, 99); // outside the room: ignored
        int gotLo = -1;
        int gotHi = -1;
        curve.FindKnotInterval(x, &gotLo, &gotHi);
        QCOMPARE(gotLo, lo);
        QCOMPARE(gotHi, hi);
    }

    void mwCurve()
    {
        const Points ladder = pointsOf({{120, 250}, {380, 150}, {610, 100}, {820, 75}, {1150, 50}, {1500, 37}, {1900, 25}});
        KyMwCurve curve;
        QCOMPARE(curve.mode(), 0);
        QCOMPARE(curve.value(500), 0.0);

        curve.setPoints(ladder);
        QCOMPARE(curve.points(), ladder);
        int error = -1;
        const Curve line = create(11, ladder, &error);
        const Curve cubic = create(12, ladder, &error);
        QCOMPARE(curve.value(500), line->Evaluate(500));

        curve.setMode(1);
        QCOMPARE(curve.value(500), cubic->Evaluate(500));
        QVERIFY(curve.value(500) != line->Evaluate(500));

        curve.setMode(2);
        QCOMPARE(curve.value(500), 0.0);
        curve.setMode(0);
        QCOMPARE(curve.value(500), line->Evaluate(500));

        // Clearing drops the fitted curve with the points.
        curve.clear();
        QVERIFY(curve.points().isEmpty());
        QCOMPARE(curve.value(500), 0.0);

        // Points that cannot be fitted leave no curve.
        curve.setPoints(pointsOf({{100, 80}}));
        QCOMPARE(curve.value(100), 0.0);
        curve.setPoints(pointsOf({{100, 80}, {300, 0}}));
        QCOMPARE(curve.value(100), 0.0);
    }

    // The count the screen names when a calibration has no curve: one point fewer fits nothing.
    void mwCurveFewestPoints_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("fewest");
        QTest::newRow("log-linear") << 0 << 2;
        QTest::newRow("log-cubic") << 1 << 4;
    }
    void mwCurveFewestPoints()
    {
        QFETCH(int, mode);
        QFETCH(int, fewest);
        QCOMPARE(KyMwCurve::minimumPoints(mode), fewest);
        const auto firstOf = [](int inCount) {
            Points points;
            for (const auto &[x, y] : {std::pair{120, 250}, {380, 150}, {610, 100}, {820, 75}}) {
                if (points.size() < inCount)
                    points.insert(x, y);
            }
            return points;
        };
        KyMwCurve curve;
        curve.setMode(mode);
        curve.setPoints(firstOf(fewest - 1));
        QVERIFY(!curve.hasCurve());
        curve.setPoints(firstOf(fewest));
        QVERIFY(curve.hasCurve());
        QCOMPARE(KyMwCurve::minimumPoints(2), 0);
    }
};

KY_TEST_MAIN(TestCurveFitting)
#include "tst_curvefitting.moc"
