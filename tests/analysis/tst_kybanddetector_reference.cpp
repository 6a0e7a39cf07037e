#include "testmain.h"

#include "analysis/kybanddetector.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cmath>

// Detection compared with an independent transcription (tests/analysis/reference/) on generated
// profiles: the (start, peak, end) triples must agree exactly.

namespace {

struct Case
{
    QString name;
    QVector<double> profile;
    double noisePercent = 100;
    double edgePercent = 10;
    double heightThreshold = 0;
    int maxWidth = 100000;
    int minWidth = 0;
    double minSideHeight = 0;
    int ignored = 0;
    double ratio1 = 8;
    double ratio2 = 4;
    // Checked against our own result as well, where a case is built to land on one side of a
    // threshold; -1 when not.
    int expectedBandCount = -1;
};

// Doubles are written with 17 significant digits so that the reference reads the very same numbers,
// and always as floating-point literals (never as integers).
QByteArray number(double v)
{
    QByteArray text = QByteArray::number(v, 'g', 17);
    if (!text.contains('.') && !text.contains('e') && !text.contains("inf") && !text.contains("nan"))
        text += ".0";
    return text;
}

QByteArray toJson(const QList<Case> &cases)
{
    QByteArray out = "{\"cases\": [\n";
    for (int c = 0; c < cases.size(); ++c) {
        const Case &k = cases.at(c);
        out += "{\"name\": \"" + k.name.toUtf8() + "\", \"profile\": [";
        for (int i = 0; i < k.profile.size(); ++i)
            out += (i ? ", " : "") + number(k.profile.at(i));
        out += "], \"noisePercent\": " + number(k.noisePercent) + ", \"edgePercent\": " + number(k.edgePercent)
               + ", \"heightThreshold\": " + number(k.heightThreshold) + ", \"maxWidth\": " + QByteArray::number(k.maxWidth)
               + ", \"minWidth\": " + QByteArray::number(k.minWidth) + ", \"minSideHeight\": " + number(k.minSideHeight)
               + ", \"ignored\": " + QByteArray::number(k.ignored) + ", \"ratio1\": " + number(k.ratio1)
               + ", \"ratio2\": " + number(k.ratio2) + "}" + (c + 1 < cases.size() ? ",\n" : "\n");
    }
    out += "]}\n";
    return out;
}

using Triples = QList<QList<int>>;

Triples detect(const Case &k)
{
    const KyBandList list = KyBandDetector::detectBands(k.profile, k.noisePercent, k.edgePercent, k.heightThreshold,
                                                        k.maxWidth, k.minWidth, k.minSideHeight, k.ignored, k.ratio1,
                                                        k.ratio2);
    Triples triples;
    for (int i = 0; i < list.count(); ++i)
        triples.append({list.at(i).start(), list.at(i).peak(), list.at(i).end()});
    return triples;
}

QString text(const Triples &triples)
{
    QStringList parts;
    for (const QList<int> &t : triples)
        parts.append(QStringLiteral("(%1,%2,%3)").arg(t.at(0)).arg(t.at(1)).arg(t.at(2)));
    return parts.join(QLatin1Char(' '));
}

class Generator
{
public:
    explicit Generator(quint32 seed) : rng(seed) {}

    double uniform(double lo, double hi) { return lo + (hi - lo) * rng.generateDouble(); }
    int integer(int lo, int hi) { return rng.bounded(lo, hi + 1); } // lo..hi
    bool chance(double p) { return rng.generateDouble() < p; }

    double normal()
    {
        double u = rng.generateDouble();
        while (u <= 0.0)
            u = rng.generateDouble();
        return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * M_PI * rng.generateDouble());
    }

    // A lane profile: a sloping baseline, Gaussian bands (some flat-topped), noise, and optionally
    // rounded to whole grey levels, which makes flat stretches common.
    QVector<double> lane(int length, int bands, double noise, bool rounded)
    {
        QVector<double> y(length);
        const double base = chance(0.2) ? 0.0 : uniform(-30, 60);
        const double slope = chance(0.5) ? 0.0 : uniform(-0.2, 0.2);
        for (int i = 0; i < length; ++i)
            y[i] = base + slope * i;
        for (int b = 0; b < bands; ++b) {
            const double centre = uniform(-5, length + 5);
            const double sigma = uniform(0.8, 18);
            const double height = std::exp(uniform(std::log(5.0), std::log(3000.0)));
            const double flat = chance(0.25) ? uniform(1, 12) : 0.0;
            for (int i = 0; i < length; ++i) {
                double x = std::fabs(i - centre) - flat / 2;
                if (x < 0)
                    x = 0;
                y[i] += height * std::exp(-x * x / (2 * sigma * sigma));
            }
        }
        for (int i = 0; i < length; ++i) {
            if (noise > 0)
                y[i] += noise * normal();
            if (rounded)
                y[i] = std::round(y[i]);
        }
        return y;
    }

    void randomParameters(Case &k)
    {
        const int pick = integer(0, 5);
        k.noisePercent = pick == 0 ? 0.0 : pick == 1 ? 100.0 : uniform(0, 60);
        k.edgePercent = chance(0.1) ? 0.0 : uniform(0, 60);
        double maxValue = 0;
        KyBandDetector::derivativeStats(k.profile, k.noisePercent, nullptr, nullptr, &maxValue);
        k.heightThreshold = chance(0.2) ? 0.0 : maxValue * uniform(0, 20) / 100;
        k.minWidth = chance(0.3) ? 0 : integer(0, 8);
        k.maxWidth = chance(0.3) ? 100000 : integer(k.minWidth, 120);
        k.minSideHeight = chance(0.2) ? 0.0 : uniform(0, 150);
        k.ignored = integer(0, 3);
        k.ratio1 = uniform(1, 20);
        k.ratio2 = chance(0.2) ? uniform(1, 20) : uniform(1, k.ratio1);
    }

    QRandomGenerator rng;
};

// Two peaks of height h around a valley at exactly the given share of h: merged above 95 %, kept
// apart at and below.
QVector<double> twoPeaks(double h, double valley, int rise, int gap)
{
    QVector<double> y(8, 0.0);
    for (int i = 1; i < rise; ++i)
        y.append(h * i / rise);
    y.append(h);
    for (int i = 1; i < gap; ++i)
        y.append(h - (h - valley) * i / gap);
    y.append(valley);
    for (int i = 1; i < gap; ++i)
        y.append(valley + (h - valley) * i / gap);
    y.append(h);
    for (int i = rise - 1; i >= 0; --i)
        y.append(h * i / rise);
    y.append(QVector<double>(8, 0.0));
    return y;
}

QList<Case> generateCases()
{
    QList<Case> cases;
    Generator g(0x5eed0611);

    // Lanes of every kind with random parameters.
    for (int i = 0; i < 260; ++i) {
        Case k;
        const int length = g.integer(20, 420);
        const double noise = g.chance(0.25) ? 0.0 : std::exp(g.uniform(std::log(0.2), std::log(40.0)));
        k.profile = g.lane(length, g.integer(0, 9), noise, g.chance(0.4));
        g.randomParameters(k);
        k.name = QStringLiteral("lane %1").arg(i);
        cases.append(k);
    }

    // Lanes that start with a fall (the end of a band cut by the lane's top).
    for (int i = 0; i < 30; ++i) {
        Case k;
        const int length = g.integer(40, 250);
        k.profile = g.lane(length, g.integer(1, 5), g.chance(0.5) ? 0.0 : 2.0, g.chance(0.5));
        const double top = g.uniform(200, 2000);
        const double width = g.uniform(2, 15);
        for (int x = 0; x < length; ++x)
            k.profile[x] += top * std::exp(-x * x / (2 * width * width));
        g.randomParameters(k);
        k.name = QStringLiteral("starting with a fall %1").arg(i);
        cases.append(k);
    }

    // Valleys at, just above and just below 95 % of the peaks, with and without smoothing and with
    // the shape filter on or off.
    const QList<QPair<double, double>> valleys{{100, 95}, {100, 96}, {100, 94}, {20, 19}, {1000, 950},
                                               {100, 95.000000000001}, {100, 94.999999999999}, {40, 38}};
    int v = 0;
    for (const auto &[h, valley] : valleys) {
        for (int variant = 0; variant < 4; ++variant) {
            Case k;
            k.profile = twoPeaks(h, valley, 10 + 3 * variant, 4 + 2 * variant);
            k.noisePercent = variant == 3 ? 0.0 : 100.0;
            k.edgePercent = variant == 0 ? 0.0 : 10.0;
            if (variant % 2 == 0) {
                k.ratio1 = 1e300;
                k.ratio2 = 1e300;
            }
            if (variant == 0 || variant == 2)
                k.expectedBandCount = valley / h > 0.95 ? 1 : 2;
            k.name = QStringLiteral("valley %1 of %2, variant %3 (%4)").arg(valley, 0, 'g', 17).arg(h).arg(variant).arg(v++);
            cases.append(k);
        }
    }

    // Widths exactly at the limits, and one point past them, on bands found with open limits.
    for (int i = 0; i < 40; ++i) {
        Case k;
        k.profile = g.lane(g.integer(60, 300), g.integer(1, 6), g.chance(0.5) ? 0.0 : 1.0, g.chance(0.3));
        g.randomParameters(k);
        k.minWidth = 0;
        k.maxWidth = 100000;
        const Triples open = detect(k);
        if (open.isEmpty())
            continue;
        const QList<int> &b = open.at(g.integer(0, int(open.size()) - 1));
        const int width = b.at(2) - b.at(0);
        switch (i % 4) {
        case 0: k.minWidth = width; break;
        case 1: k.maxWidth = width; break;
        case 2: k.minWidth = width + 1; break;
        default: k.maxWidth = width - 1; break;
        }
        int kept = 0;
        for (const QList<int> &t : open)
            kept += (t.at(2) - t.at(0) >= k.minWidth && t.at(2) - t.at(0) <= k.maxWidth) ? 1 : 0;
        k.expectedBandCount = kept;
        k.name = QStringLiteral("width limit %1 (width %2)").arg(i).arg(width);
        cases.append(k);
    }

    // Short profiles, smoothing asked for and not.
    for (int length = 0; length <= 20; ++length) {
        for (double noisePercent : {0.0, 100.0}) {
            Case k;
            k.profile = g.lane(length, g.integer(0, 2), 3.0, length % 2 == 0);
            k.noisePercent = noisePercent;
            k.minSideHeight = 0;
            k.ratio1 = 1e300;
            k.ratio2 = 1e300;
            k.name = QStringLiteral("short %1, noise %2").arg(length).arg(noisePercent);
            cases.append(k);
        }
    }

    // Net profiles below zero (background above the signal) and pure noise.
    for (int i = 0; i < 20; ++i) {
        Case k;
        k.profile = g.lane(g.integer(30, 200), g.integer(1, 5), g.chance(0.5) ? 0.0 : 1.5, g.chance(0.5));
        const double shift = g.uniform(3500, 6000);
        for (double &y : k.profile)
            y -= shift;
        g.randomParameters(k);
        k.minSideHeight = g.chance(0.5) ? 0.0 : k.minSideHeight;
        k.name = QStringLiteral("below zero %1").arg(i);
        cases.append(k);
    }
    for (int i = 0; i < 20; ++i) {
        Case k;
        k.profile = g.lane(g.integer(20, 300), 0, g.uniform(1, 50), g.chance(0.5));
        g.randomParameters(k);
        k.name = QStringLiteral("noise only %1").arg(i);
        cases.append(k);
    }

    // Noise percent exactly at the profile's sign-change share (smoothed) and just above it (not).
    for (int i = 0; i < 24; ++i) {
        Case k;
        k.profile = g.lane(g.integer(40, 300), g.integer(1, 6), g.uniform(0.5, 20), g.chance(0.3));
        QVector<double> d(k.profile.size(), 0.0);
        KyBandDetector::difference(k.profile, d);
        const double share = KyBandDetector::signChangeShare(d);
        double percent = share * 100;
        if (percent / 100 != share)
            percent = std::nextafter(percent, percent / 100 < share ? 1000.0 : -1000.0);
        if (percent / 100 != share)
            continue;
        g.randomParameters(k);
        k.noisePercent = percent;
        while (i % 2 == 1 && k.noisePercent / 100 <= share)
            k.noisePercent = std::nextafter(k.noisePercent, 1000.0);
        k.name = QStringLiteral("noise percent %1 the share %2").arg(i % 2 == 0 ? "at" : "just above").arg(i);
        cases.append(k);
    }

    // Staircases and flat stretches: many zero differences.
    for (int i = 0; i < 20; ++i) {
        Case k;
        const int length = g.integer(30, 200);
        double level = g.uniform(0, 50);
        for (int x = 0; x < length; ++x) {
            if (g.chance(0.3))
                level = std::max(0.0, level + std::round(g.uniform(-40, 40)));
            k.profile.append(level);
        }
        g.randomParameters(k);
        k.name = QStringLiteral("staircase %1").arg(i);
        cases.append(k);
    }
    return cases;
}

} // namespace

class TestKyBandDetectorReference : public QObject
{
    Q_OBJECT

private slots:
    void sameBandsAsTheReference()
    {
        const QList<Case> cases = generateCases();
        QVERIFY(cases.size() >= 300);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString input = dir.filePath(QStringLiteral("cases.json"));
        const QString output = dir.filePath(QStringLiteral("results.json"));
        {
            QFile file(input);
            QVERIFY(file.open(QIODevice::WriteOnly));
            const QByteArray json = toJson(cases);
            QCOMPARE(file.write(json), qint64(json.size()));
            QVERIFY(file.flush());
        }

        const QString script = kytest::sourceDir() + QStringLiteral("/tests/analysis/reference/band_detection_reference.py");
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"), {script, input, output});
        QVERIFY2(python.waitForFinished(300000), "the reference did not finish");
        QVERIFY2(python.exitStatus() == QProcess::NormalExit && python.exitCode() == 0,
                 python.readAllStandardError().constData());

        QFile file(output);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonArray results = QJsonDocument::fromJson(file.readAll()).object().value(QLatin1String("results")).toArray();
        QCOMPARE(results.size(), cases.size());

        int mismatches = 0;
        int bands = 0;
        int withBands = 0;
        for (int c = 0; c < cases.size(); ++c) {
            const QJsonObject result = results.at(c).toObject();
            QCOMPARE(result.value(QLatin1String("name")).toString(), cases.at(c).name);
            Triples expected;
            for (const QJsonValue &band : result.value(QLatin1String("bands")).toArray()) {
                const QJsonArray t = band.toArray();
                expected.append({t.at(0).toInt(), t.at(1).toInt(), t.at(2).toInt()});
            }
            const Triples actual = detect(cases.at(c));
            if (cases.at(c).expectedBandCount >= 0 && actual.size() != cases.at(c).expectedBandCount) {
                ++mismatches;
                qWarning("%s: %d bands where %d were built", qPrintable(cases.at(c).name), int(actual.size()),
                         cases.at(c).expectedBandCount);
            }
            bands += int(actual.size());
            withBands += actual.isEmpty() ? 0 : 1;
            if (actual != expected) {
                ++mismatches;
                qWarning("%s:\n  ours      %s\n  reference %s", qPrintable(cases.at(c).name), qPrintable(text(actual)),
                         qPrintable(text(expected)));
            }
        }
        qInfo("%d cases, %d with bands, %d bands in all", int(cases.size()), withBands, bands);
        if (mismatches)
            dir.setAutoRemove(false);
        QVERIFY2(mismatches == 0, qPrintable(QStringLiteral("%1 cases differ; input kept in %2").arg(mismatches).arg(dir.path())));
    }
};

KY_TEST_MAIN(TestKyBandDetectorReference)
#include "tst_kybanddetector_reference.moc"
