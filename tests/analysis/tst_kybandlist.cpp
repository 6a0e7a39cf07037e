#include "testmain.h"

#include "analysis/kybandlist.h"

#include <QRandomGenerator>

namespace {

// Bands given as (start, peak, end) triples.
using Triples = QList<QList<int>>;

KyBandList listOf(const Triples &triples)
{
    KyBandList list;
    for (const QList<int> &t : triples)
        list.append(KyBandInfo(t.at(0), t.at(1), t.at(2), false, 0.0, false));
    return list;
}

Triples triplesOf(const KyBandList &list)
{
    Triples triples;
    for (int i = 0; i < list.count(); ++i)
        triples.append({list.at(i).start(), list.at(i).peak(), list.at(i).end()});
    return triples;
}

bool ordered(const KyBandList &list)
{
    for (int i = 1; i < list.count(); ++i) {
        if (list.at(i - 1).start() > list.at(i).start() || list.at(i - 1).end() > list.at(i).start())
            return false;
    }
    return true;
}

} // namespace

class TestKyBandList : public QObject
{
    Q_OBJECT

private slots:
    void bandRecord()
    {
        const KyBandInfo empty;
        QCOMPARE(empty, KyBandInfo(0, 0, 0, false, 0.0, false));
        QCOMPARE(empty.volume(), 0.0);
        QVERIFY(!empty.isNormalizationReference());
        QVERIFY(!empty.isSaturated());

        // Argument order: start, peak, end, reference mark, volume, saturated mark.
        KyBandInfo b(3, 7, 12, true, 2.5, true);
        QCOMPARE(b.start(), 3);
        QCOMPARE(b.peak(), 7);
        QCOMPARE(b.end(), 12);
        QVERIFY(b.isNormalizationReference());
        QCOMPARE(b.volume(), 2.5);
        QVERIFY(b.isSaturated());
    }

    void newListAndCopy()
    {
        KyBandList list;
        QCOMPARE(list.count(), 0);
        QCOMPARE(list.total(), 0.0);

        list = listOf({{1, 2, 3}, {5, 6, 9}});
        list.setTotal(42.0);
        list.at(1).setNormalizationReference(true);
        const KyBandList copy = list;
        list.at(0).setStart(0);
        QCOMPARE(triplesOf(copy), (Triples{{1, 2, 3}, {5, 6, 9}}));
        QCOMPARE(copy.total(), 42.0);
        QVERIFY(copy.at(1).isNormalizationReference());
    }

    void uncheckedEdits()
    {
        KyBandList list = listOf({{10, 15, 20}, {30, 35, 40}});
        QCOMPARE(list.band(-1), KyBandInfo());
        QCOMPARE(list.band(2), KyBandInfo());
        QCOMPARE(list.band(1).peak(), 35);

        list.setBand(2, KyBandInfo(1, 1, 1, false, 0.0, false));
        list.setBand(-1, KyBandInfo(1, 1, 1, false, 0.0, false));
        QCOMPARE(triplesOf(list), (Triples{{10, 15, 20}, {30, 35, 40}}));
        list.setBand(0, KyBandInfo(50, 55, 60, false, 0.0, false)); // not checked
        list.replace(1, KyBandInfo(5, 6, 7, false, 0.0, false));      // not checked either
        QCOMPARE(triplesOf(list), (Triples{{50, 55, 60}, {5, 6, 7}}));

        list.append(KyBandInfo(0, 0, 0, false, 0.0, false));
        list.removeAt(0);
        QCOMPARE(triplesOf(list), (Triples{{5, 6, 7}, {0, 0, 0}}));
        list.truncate(5);
        QCOMPARE(list.count(), 2);
        list.truncate(1);
        QCOMPARE(triplesOf(list), (Triples{{5, 6, 7}}));
        list.truncate(0);
        QCOMPARE(list.count(), 0);
    }

    void limitsFromSettings()
    {
        QCOMPARE(KyBandList::maxBandCount(), 20);
        QCOMPARE(KyBandList::maxAutoDetectBandCount(), 20);
    }

    void addBand_data()
    {
        QTest::addColumn<Triples>("before");
        QTest::addColumn<QList<int>>("added");
        QTest::addColumn<int>("result");
        QTest::addColumn<Triples>("after");

        const Triples two{{10, 15, 20}, {30, 35, 40}};
        QTest::newRow("empty list") << Triples{} << QList<int>{5, 6, 7} << 0 << Triples{{5, 6, 7}};
        QTest::newRow("touching both neighbours") << two << QList<int>{20, 25, 30} << 1
                                                  << Triples{{10, 15, 20}, {20, 25, 30}, {30, 35, 40}};
        QTest::newRow("overlaps the first") << two << QList<int>{15, 20, 25} << -1 << two;
        QTest::newRow("overlaps the second") << two << QList<int>{25, 30, 35} << -1 << two;
        QTest::newRow("before the first, touching") << two << QList<int>{0, 5, 10} << 0
                                                    << Triples{{0, 5, 10}, {10, 15, 20}, {30, 35, 40}};
        QTest::newRow("before the first, overlapping") << two << QList<int>{0, 5, 11} << -1 << two;
        QTest::newRow("after the last, touching") << two << QList<int>{40, 45, 50} << 2
                                                  << Triples{{10, 15, 20}, {30, 35, 40}, {40, 45, 50}};
        QTest::newRow("after the last start, inside it") << two << QList<int>{39, 45, 50} << -1 << two;
        QTest::newRow("same start as the last") << two << QList<int>{30, 31, 32} << -1 << two;
        // Before the last band: refused when its end passes the last band's start.
        QTest::newRow("before the last, end passes its start") << two << QList<int>{22, 25, 31} << -1 << two;
        QTest::newRow("before the last, end at its start") << two << QList<int>{22, 25, 30} << 1
                                                           << Triples{{10, 15, 20}, {22, 25, 30}, {30, 35, 40}};
        QTest::newRow("same start as the first") << two << QList<int>{10, 11, 12} << -1 << two;
    }

    void addBand()
    {
        QFETCH(Triples, before);
        QFETCH(QList<int>, added);
        QFETCH(int, result);
        QFETCH(Triples, after);

        KyBandList list = listOf(before);
        QCOMPARE(list.addBand(KyBandInfo(added.at(0), added.at(1), added.at(2), false, 0.0, false)), result);
        QCOMPARE(triplesOf(list), after);
    }

    void addBandStopsAtTheLimit()
    {
        KyBandList list;
        const int limit = KyBandList::maxBandCount();
        for (int i = 0; i < limit; ++i)
            QCOMPARE(list.addBand(KyBandInfo(10 * i, 10 * i + 5, 10 * i + 10, false, 0.0, false)), i);
        QCOMPARE(list.addBand(KyBandInfo(10 * limit, 10 * limit + 5, 10 * limit + 10, false, 0.0, false)), -1);
        QCOMPARE(list.count(), limit);
    }

    void moveBand_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("result");
        QTest::addColumn<Triples>("after");

        const Triples three{{10, 15, 20}, {30, 35, 40}, {50, 52, 60}};
        QTest::newRow("by zero") << 1 << 0 << 100 << 1 << three;
        QTest::newRow("first to start -1") << 0 << -11 << 100 << -1 << three;
        QTest::newRow("first to start 0") << 0 << -10 << 100 << 0 << Triples{{0, 5, 10}, {30, 35, 40}, {50, 52, 60}};
        QTest::newRow("end onto the next start") << 1 << 10 << 100 << 1
                                                 << Triples{{10, 15, 20}, {40, 45, 50}, {50, 52, 60}};
        QTest::newRow("end past the next start") << 1 << 11 << 100 << -1 << three;
        QTest::newRow("start onto the previous end") << 1 << -10 << 100 << 1
                                                     << Triples{{10, 15, 20}, {20, 25, 30}, {50, 52, 60}};
        QTest::newRow("start past the previous end") << 1 << -11 << 100 << -1 << three;
        QTest::newRow("last to the limit") << 2 << 40 << 100 << 2
                                           << Triples{{10, 15, 20}, {30, 35, 40}, {90, 92, 100}};
        QTest::newRow("last past the limit") << 2 << 41 << 100 << -1 << three;
        QTest::newRow("index -1") << -1 << 1 << 100 << -1 << three;
        QTest::newRow("index count") << 3 << 1 << 100 << -1 << three;
        QTest::newRow("huge delta does not wrap") << 2 << 2147483600 << 2147483647 << -1 << three;
        QTest::newRow("most negative delta") << 2 << -2147483647 - 1 << 100 << -1 << three;
    }

    void moveBand()
    {
        QFETCH(int, index);
        QFETCH(int, delta);
        QFETCH(int, limit);
        QFETCH(int, result);
        QFETCH(Triples, after);

        KyBandList list = listOf({{10, 15, 20}, {30, 35, 40}, {50, 52, 60}});
        list.at(1) = KyBandInfo(30, 35, 40, true, 7.0, true);
        QCOMPARE(list.moveBand(index, delta, limit), result);
        QCOMPARE(triplesOf(list), after);
        // Volume and marks travel with the band.
        QCOMPARE(list.at(1).volume(), 7.0);
        QVERIFY(list.at(1).isNormalizationReference());
        QVERIFY(list.at(1).isSaturated());
    }

    void spreadBand_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("result");
        QTest::addColumn<Triples>("after");

        const Triples three{{10, 15, 20}, {30, 35, 40}, {50, 52, 60}};
        QTest::newRow("widen to both neighbours") << 1 << 10 << 100 << 1
                                                  << Triples{{10, 15, 20}, {20, 35, 50}, {50, 52, 60}};
        QTest::newRow("widen past the neighbours") << 1 << 11 << 100 << -1 << three;
        QTest::newRow("narrow to a point") << 1 << -5 << 100 << 1
                                           << Triples{{10, 15, 20}, {35, 35, 35}, {50, 52, 60}};
        QTest::newRow("narrow more than half the width") << 1 << -6 << 100 << -1 << three;
        // The peak stays put even outside the narrowed band.
        QTest::newRow("narrow past the peak") << 2 << -4 << 100 << 2
                                              << Triples{{10, 15, 20}, {30, 35, 40}, {54, 52, 56}};
        QTest::newRow("first below 0") << 0 << 11 << 100 << -1 << three;
        QTest::newRow("last past the limit") << 2 << 1 << 60 << -1 << three;
        QTest::newRow("last to the limit") << 2 << 0 << 60 << 2 << three;
        QTest::newRow("index -1") << -1 << 1 << 100 << -1 << three;
        QTest::newRow("index count") << 3 << 1 << 100 << -1 << three;
        QTest::newRow("huge delta does not wrap") << 1 << 2147483647 << 2147483647 << -1 << three;
        QTest::newRow("most negative delta") << 1 << -2147483647 - 1 << 2147483647 << -1 << three;
    }

    void spreadBand()
    {
        QFETCH(int, index);
        QFETCH(int, delta);
        QFETCH(int, limit);
        QFETCH(int, result);
        QFETCH(Triples, after);

        KyBandList list = listOf({{10, 15, 20}, {30, 35, 40}, {50, 52, 60}});
        QCOMPARE(list.spreadBand(index, delta, limit), result);
        QCOMPARE(triplesOf(list), after);
    }

    // Whatever sequence of bounded edits a user makes, the list stays sorted and free of overlaps, and
    // a refused edit changes nothing.
    void boundedEditsKeepTheOrder()
    {
        QRandomGenerator rng(20240611);
        const int limit = 199;
        for (int round = 0; round < 300; ++round) {
            KyBandList list;
            for (int step = 0; step < 80; ++step) {
                const Triples before = triplesOf(list);
                const int i = rng.bounded(-1, list.count() + 1);
                int result = -1;
                switch (rng.bounded(4)) {
                case 0:
                case 1: {
                    const int start = rng.bounded(-5, limit + 5);
                    const int end = start + rng.bounded(0, 30);
                    result = list.addBand(KyBandInfo(start, (start + end) / 2, end, false, 0.0, false));
                    break;
                }
                case 2:
                    result = list.moveBand(i, rng.bounded(-25, 26), limit);
                    break;
                default:
                    result = list.spreadBand(i, rng.bounded(-15, 16), limit);
                    break;
                }
                if (result == -1)
                    QCOMPARE(triplesOf(list), before);
                QVERIFY2(ordered(list), qPrintable(QStringLiteral("round %1 step %2").arg(round).arg(step)));
                QVERIFY(list.count() <= KyBandList::maxBandCount());
            }
        }
    }
};

KY_TEST_MAIN(TestKyBandList)
#include "tst_kybandlist.moc"
