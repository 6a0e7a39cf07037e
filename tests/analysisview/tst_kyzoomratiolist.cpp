#include "testmain.h"

#include "analysisview/kyzoomratiolist.h"
#include "core/analysissettings.h"
#include "core/lsettings.h"

#include <cmath>
#include <limits>

namespace {

const QList<int> kDefault{100, 119, 141, 168, 200, 238, 283, 336, 400, 476, 566, 673, 800};
const QString kKey = QStringLiteral("ZoomRatioList");

QList<int> ratios()
{
    const KyZoomRatioList *list = KyZoomRatioList::instance();
    QList<int> all;
    for (int i = 0; i < list->Count(); ++i)
        all.append(list->Ratio(i));
    return all;
}

} // namespace

class TestKyZoomRatioList : public QObject
{
    Q_OBJECT

private:
    AnalysisSettings *settings() { return AnalysisSettings::instance(); }

private slots:
    void init()
    {
        LSettings *store = settings()->settingsStore();
        store->clear();
        store->sync();
    }

    void builtInDefault()
    {
        const KyZoomRatioList *list = KyZoomRatioList::instance();
        QCOMPARE(list, KyZoomRatioList::instance());
        QCOMPARE(list->Count(), 13);
        QCOMPARE(ratios(), kDefault);
        QCOMPARE(list->Ratio(0), 100);
        QCOMPARE(list->Ratio(12), 800);
        QCOMPARE(KyZoomRatioList::Text(0), QStringLiteral("100%"));
        QCOMPARE(KyZoomRatioList::Text(2), QStringLiteral("141%"));
        QCOMPARE(KyZoomRatioList::Text(4), QStringLiteral("200%"));
        QCOMPARE(KyZoomRatioList::Text(12), QStringLiteral("800%"));
        // Four steps per doubling.
        for (int k = 0; k < 13; ++k)
            QCOMPARE(list->Ratio(k), qRound(100 * std::pow(2.0, k / 4.0)));
    }

    void outsideTheList_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("-1") << -1;
        QTest::newRow("Count") << 13;
        QTest::newRow("far below") << std::numeric_limits<int>::min();
        QTest::newRow("far above") << std::numeric_limits<int>::max();
    }

    void outsideTheList()
    {
        QFETCH(int, index);
        // One percent, not 100: out of range is not the unzoomed step.
        QCOMPARE(KyZoomRatioList::instance()->Ratio(index), 1);
        QCOMPARE(KyZoomRatioList::Text(index), QString());
    }

    void editedBetweenTwoQueries()
    {
        const KyZoomRatioList *list = KyZoomRatioList::instance();
        QCOMPARE(list->Count(), 13);
        // A hand-edited INI line "ZoomRatioList=50, 100, 250" reads as a list of strings.
        QVERIFY(settings()->setValue(kKey, QStringList{QStringLiteral("50"), QStringLiteral("100"), QStringLiteral("250")}));
        QCOMPARE(list->Count(), 3);
        QCOMPARE(ratios(), (QList<int>{50, 100, 250}));
        QCOMPARE(KyZoomRatioList::Text(2), QStringLiteral("250%"));
        QCOMPARE(list->Ratio(3), 1);
        QCOMPARE(KyZoomRatioList::Text(3), QString());
    }

    void editedFileBetweenTwoQueries()
    {
        LSettings *store = settings()->settingsStore();
        QCOMPARE(KyZoomRatioList::instance()->Count(), 13);
        kytest::writeFile(store->fileName(), "[General]\nZoomRatioList=100, 200, 400, 800\n");
        store->sync(); // what the store's watcher does on a change of the file
        QCOMPARE(ratios(), (QList<int>{100, 200, 400, 800}));
        QCOMPARE(KyZoomRatioList::Text(1), QStringLiteral("200%"));
    }

    // The canvas divides by Ratio() / 100: no list the user can store may give 0.
    void badListsNeverGiveZero_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("empty") << QVariant(QString()) << kDefault;
        QTest::newRow("empty list") << QVariant(QStringList()) << kDefault;
        QTest::newRow("descending") << QVariant(QStringList{QStringLiteral("400"), QStringLiteral("200"), QStringLiteral("100")})
                                    << kDefault;
        QTest::newRow("falls once") << QVariant(QStringList{QStringLiteral("100"), QStringLiteral("300"), QStringLiteral("200")})
                                    << kDefault;
        // A word reads as 0, which then falls below its neighbour.
        QTest::newRow("word inside") << QVariant(QStringList{QStringLiteral("100"), QStringLiteral("many"), QStringLiteral("200")})
                                     << kDefault;
        QTest::newRow("word first") << QVariant(QStringList{QStringLiteral("many"), QStringLiteral("100"), QStringLiteral("200")})
                                    << QList<int>{1, 100, 200};
        QTest::newRow("single word") << QVariant(QStringLiteral("many")) << QList<int>{1};
        QTest::newRow("zero first") << QVariant(QStringList{QStringLiteral("0"), QStringLiteral("100")}) << QList<int>{1, 100};
        QTest::newRow("negative first") << QVariant(QStringList{QStringLiteral("-50"), QStringLiteral("100")}) << QList<int>{1, 100};
        QTest::newRow("single value") << QVariant(QStringLiteral("150")) << QList<int>{150};
        QTest::newRow("equal neighbours kept") << QVariant(QStringList{QStringLiteral("100"), QStringLiteral("100"), QStringLiteral("200")})
                                               << QList<int>{100, 100, 200};
    }

    void badListsNeverGiveZero()
    {
        QFETCH(QVariant, stored);
        QFETCH(QList<int>, expected);
        QVERIFY(settings()->setValue(kKey, stored));
        const KyZoomRatioList *list = KyZoomRatioList::instance();
        QCOMPARE(list->Count(), expected.size());
        QCOMPARE(ratios(), expected);
        for (int i = 0; i < list->Count(); ++i) {
            QVERIFY(list->Ratio(i) >= 1);
            QCOMPARE(KyZoomRatioList::Text(i), QString::number(expected.at(i)) + QLatin1Char('%'));
        }
    }

    void readIntList()
    {
        QVERIFY(settings()->setValue(kKey, QStringList{QStringLiteral("0"), QStringLiteral("x"), QStringLiteral("7")}));
        // The raw reading keeps what is stored; only the zoom steps are mended.
        QCOMPARE(KyZoomRatioList::ReadIntList(settings(), kKey), (QList<int>{0, 0, 7}));
        QCOMPARE(KyZoomRatioList::ReadIntList(nullptr, kKey), QList<int>());
        QVERIFY(KyZoomRatioList::ReadIntList(settings(), QStringLiteral("NoSuchList")).isEmpty());
    }
};

KY_TEST_MAIN(TestKyZoomRatioList)
#include "tst_kyzoomratiolist.moc"
