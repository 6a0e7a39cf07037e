// Band volumes, lane totals, lane percentages and normalised values of a synthetic gel against
// numpy sums over the net profiles (tests/document/reference/normalization.py).

#include "pythonreference.h"
#include "testdocument.h"
#include "testmain.h"

#include "analysis/kyautobandparameter.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

using namespace kytest;

namespace {

bool close(double inActual, double inExpected)
{
    return qAbs(inActual - inExpected) <= 1e-9 * std::max(1.0, qAbs(inExpected));
}

} // namespace

class TestKyDocumentReference : public QObject
{
    Q_OBJECT

private slots:
    void againstNumpy_data();
    void againstNumpy();
};

void TestKyDocumentReference::againstNumpy_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("method");

    QTest::newRow("no background") << 11u << 0;
    QTest::newRow("rolling ball") << 12u << 3;
    QTest::newRow("rubber band") << 13u << 1;
}

void TestKyDocumentReference::againstNumpy()
{
    QFETCH(quint32, seed);
    QFETCH(int, method);

    QVector<ImageFile> images;
    for (int c = 0; c < 3; ++c) {
        images.append(gelImage(250, 300, 5, seed * 3 + c));
        images.last().SetPixelSize(100.0);
    }
    TestDocument doc(images);
    QVERIFY(doc.ParseLanes(QStringLiteral("5,0.6,0,12,249,12,0,290,249,290")));
    doc.ApplyBackground(method, 8, true);
    const KyBandDetectParameter set =
        KyAutoBandParameter(QStringList{"Medium", "0", "150", "1", "8", "250", "0.003", "8", "4", "10", "5"})
            .toDetectParameter();
    doc.DetectBands(0x87, set, set);
    QVERIFY(doc.HasBands());

    // Reference marks in some lanes (several channels in lane 0), none in lanes 2 and 4; a band of
    // lane 3 ends at the profile length, one past its last value.
    const int length = doc.LaneProfiles(0)->profileLength(3);
    QVector<QVector<KyBandList>> &bands = doc.Bands();
    for (int c = 0; c < 3; ++c) {
        for (int j : {0, 1, 3}) {
            if (bands[c][j].count() == 0 || (j != 0 && c != j % 3))
                continue;
            KyBandInfo band = bands[c][j].at(0);
            band.setNormalizationReference(true);
            QVERIFY(doc.ReplaceBand(c, j, 0, band));
        }
    }
    bands[1][3].append(KyBandInfo(length - 6, length - 3, length, false, 0.0, false));
    doc.SetAnalysisChanged(true);
    doc.ComputeNormalization();

    QJsonArray channels;
    for (int c = 0; c < 3; ++c) {
        QJsonArray nets;
        QJsonArray laneBands;
        for (int j = 0; j < 5; ++j) {
            nets.append(toJson(doc.LaneProfiles(c)->netProfile(j)));
            QJsonArray list;
            for (const KyBandInfo &b : bands.at(c).at(j).bands())
                list.append(QJsonArray{b.start(), b.peak(), b.end(), b.isNormalizationReference()});
            laneBands.append(list);
        }
        channels.append(QJsonObject{{"nets", nets}, {"bands", laneBands}});
    }
    const QJsonObject reference = runPythonReference(QStringLiteral("document/reference/normalization.py"),
                                               QJsonObject{{"lanes", 5}, {"channels", channels}});
    QVERIFY(!reference.isEmpty());

    int referenceLanes = 0;
    for (int j = 0; j < 5; ++j) {
        const double expected = reference["normalization"].toArray().at(j).toDouble();
        QVERIFY2(close(doc.NormalizationValue(j), expected),
                 qPrintable(QStringLiteral("lane %1: %2, numpy %3").arg(j).arg(doc.NormalizationValue(j)).arg(expected)));
        referenceLanes += expected > 0 ? 1 : 0;
    }
    QVERIFY(referenceLanes >= 2);
    QCOMPARE(doc.NormalizationValue(2), -1.0);

    int compared = 0;
    for (int c = 0; c < 3; ++c) {
        for (int j = 0; j < 5; ++j) {
            const KyBandList &list = bands.at(c).at(j);
            const double total = reference["totals"].toArray().at(c).toArray().at(j).toDouble();
            QVERIFY2(close(list.total(), total), qPrintable(QStringLiteral("total %1/%2").arg(c).arg(j)));
            const QJsonArray volumes = reference["volumes"].toArray().at(c).toArray().at(j).toArray();
            const QJsonArray percents = reference["percents"].toArray().at(c).toArray().at(j).toArray();
            const QJsonArray normalized = reference["normalized"].toArray().at(c).toArray().at(j).toArray();
            QCOMPARE(volumes.size(), list.count());
            for (int k = 0; k < list.count(); ++k) {
                const double volume = list.at(k).volume();
                QVERIFY2(close(volume, volumes.at(k).toDouble()),
                         qPrintable(QStringLiteral("volume %1/%2/%3: %4, numpy %5")
                                        .arg(c).arg(j).arg(k).arg(volume).arg(volumes.at(k).toDouble())));
                QVERIFY(close(KyDocument::LanePercent(volume, list.total()), percents.at(k).toDouble()));
                double value = 0.0;
                const bool has = KyDocument::NormalizedValue(volume, doc.NormalizationValue(j), value);
                QCOMPARE(has, !normalized.at(k).isNull());
                if (has)
                    QVERIFY(close(value, normalized.at(k).toDouble()));
                ++compared;
            }
        }
    }
    QVERIFY(compared >= 15);
}

KY_TEST_MAIN_WITH(QGuiApplication, TestKyDocumentReference)
#include "tst_kydocumentreference.moc"
