#include "testmain.h"

#include "analysisview/kyanalysistables.h"

#include <numeric>

class TestKyAnalysisTables : public QObject
{
    Q_OBJECT

private slots:
    void stepTables_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("helpName");
        QTest::newRow("lanes") << 0 << QStringLiteral("Lane Creation") << QStringLiteral("lane");
        QTest::newRow("background") << 1 << QStringLiteral("Background") << QStringLiteral("bg");
        QTest::newRow("bands") << 2 << QStringLiteral("Band Detection") << QStringLiteral("band");
        QTest::newRow("MW") << 3 << QStringLiteral("MW Calibration") << QStringLiteral("mw");
        QTest::newRow("normalisation") << 4 << QStringLiteral("Normalization") << QStringLiteral("norm");
        QTest::newRow("summary") << 5 << QStringLiteral("Summary") << QStringLiteral("summary");
        QTest::newRow("no document") << 6 << QString() << QString();
    }

    void stepTables()
    {
        QFETCH(int, mode);
        QFETCH(QString, title);
        QFETCH(QString, helpName);
        QCOMPARE(kModeTitles.size(), 7);
        QCOMPARE(kModeHelpNames.size(), 7);
        QCOMPARE(kModeTitles.at(mode), title);
        QCOMPARE(kModeHelpNames.at(mode), helpName);
    }

    void summaryColumnWidths_data()
    {
        QTest::addColumn<QVector<double>>("fractions");
        QTest::addColumn<QVector<double>>("expected");
        QTest::addColumn<int>("laneColumn");
        QTest::newRow("one image, no channel column")
            << kSummaryColumnWidthsSingle << QVector<double>{0.113, 0.113, 0.17, 0.141, 0.211, 0.127, 0.125}
            << kSummaryLaneColumnSingle;
        QTest::newRow("several images")
            << kSummaryColumnWidthsMulti << QVector<double>{0.178, 0.096, 0.096, 0.11, 0.11, 0.205, 0.11, 0.095}
            << kSummaryLaneColumnMulti;
    }

    void summaryColumnWidths()
    {
        QFETCH(QVector<double>, fractions);
        QFETCH(QVector<double>, expected);
        QFETCH(int, laneColumn);
        QCOMPARE(fractions, expected);
        // Summed in column order, as the table view lays the columns out: the last one ends at the
        // table's right edge.
        const double sum = std::accumulate(fractions.cbegin(), fractions.cend(), 0.0);
        QVERIFY2(qAbs(sum - 1.0) < 1e-12, qPrintable(QString::number(sum, 'g', 17)));
        // The sort column is "Lane": the first column, after "Channel" when there is one.
        QCOMPARE(laneColumn, fractions.size() - 7);
    }

    void laneOverlayColours_data()
    {
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("frame") << kLaneFrameColor << QColor(59, 115, 185, 255);
        QTest::newRow("lane") << kLaneColor << QColor(148, 101, 138, 255);
        QTest::newRow("MW lane line") << kMwLaneLineColor << QColor(178, 227, 246, 255);
        QTest::newRow("MW lane fill") << kMwLaneFillColor << QColor(178, 227, 246, 100);
        QTest::newRow("band") << kBandColor << QColor(118, 71, 108, 255);
        QTest::newRow("selected band") << kSelectedBandColor << QColor(255, 192, 0, 255);
    }

    void laneOverlayColours()
    {
        QFETCH(QColor, colour);
        QFETCH(QColor, expected);
        QCOMPARE(colour.spec(), QColor::Rgb);
        QCOMPARE(colour.rgba(), expected.rgba());
    }
};

KY_TEST_MAIN(TestKyAnalysisTables)
#include "tst_kyanalysistables.moc"
