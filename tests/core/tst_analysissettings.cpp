#include "testmain.h"
#include "typedread.h"

#include "core/analysissettings.h"
#include "core/lsettings.h"

#include <QTemporaryDir>
#include <QThread>

#include <cmath>

namespace {

QString userStoreFile(const QString &configHome)
{
    return configHome + QStringLiteral("/Tolvane/Brevik Ziredo 410 Analysis software.ini");
}

} // namespace

class TestAnalysisSettings : public QObject
{
    Q_OBJECT

private:
    AnalysisSettings *settings() { return AnalysisSettings::instance(); }

private slots:
    void init()
    {
        // Every test starts from an empty per-user store.
        LSettings *store = settings()->settingsStore();
        store->clear();
        store->sync();
    }

    void defaultCount()
    {
        QCOMPARE(settings()->defaultValues().size(), 116);
    }

    void defaultsOnEmptyStore_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("LaneCount int") << QStringLiteral("LaneCount") << QVariant(5);
        QTest::newRow("LaneWidth uint") << QStringLiteral("LaneWidth") << QVariant(70u);
        QTest::newRow("BG_RollingBallRadius uint") << QStringLiteral("BG_RollingBallRadius") << QVariant(20u);
        QTest::newRow("MWCurveType int") << QStringLiteral("MWCurveType") << QVariant(0);
        QTest::newRow("Band_Sensitivity uint") << QStringLiteral("Band_Sensitivity") << QVariant(1u);
        QTest::newRow("kContrastThreshold") << QStringLiteral("kContrastThreshold") << QVariant(10000);
        QTest::newRow("Focus_CustomPosition negative") << QStringLiteral("Focus_CustomPosition") << QVariant(-1);
        QTest::newRow("FullScreen bool") << QStringLiteral("FullScreen") << QVariant(true);
        QTest::newRow("MarkerLog bool") << QStringLiteral("MarkerLog") << QVariant(false);
        QTest::newRow("Preexposure coefficient") << QStringLiteral("Preexposure_Chem_Coeff") << QVariant(-0.95 / 6000);
        QTest::newRow("AutoExposure coefficient") << QStringLiteral("AutoExposure_Chem_Coeff") << QVariant(0.95 / 6000);
        QTest::newRow("chemiluminescence maximum is a double") << QStringLiteral("MaximumExposureMSec_Chemiluminescence") << QVariant(3659900.0);
        QTest::newRow("IntensityRoiColor") << QStringLiteral("IntensityRoiColor") << QVariant(QColor(0, 0, 255, 100));
        QTest::newRow("AN/AppWindowPosition") << QStringLiteral("AN/AppWindowPosition") << QVariant(QRect(0, 0, 0, 0));
        QTest::newRow("AN/OpenPath empty") << QStringLiteral("AN/OpenPath") << QVariant(QString());
        QTest::newRow("AN/SaveAsPath has no default") << QStringLiteral("AN/SaveAsPath") << QVariant(QString());
        QTest::newRow("Library_SortName") << QStringLiteral("Library_SortName") << QVariant(QStringLiteral("Date \u25BC"));
        QTest::newRow("Chemilumi_SequentialSettings") << QStringLiteral("Chemilumi_SequentialSettings")
                                                     << QVariant(QStringList{QStringLiteral("Standard"), QStringLiteral("Full size"), QStringLiteral("1"), QStringLiteral("0#5000")});
        QTest::newRow("booter path on the system root") << QStringLiteral("SoftwareUpdate/BooterProgramPath")
                                                        << QVariant(QStringLiteral("/Program Files/Brevik Ziredo 410/Booter/"));
        QTest::newRow("no default uint") << QStringLiteral("NoSuchKey") << QVariant(0u);
    }

    void defaultsOnEmptyStore()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, expected);
        if (expected.typeId() == QMetaType::QRect)
            QCOMPARE(settings()->rectValue(key), expected.toRect());
        else
            kytest::compareTypedRead(*settings(), key, expected);
    }

    void zoomRatios()
    {
        QCOMPARE(settings()->intListValue(QStringLiteral("ZoomRatioList")),
                 (QList<int>{100, 119, 141, 168, 200, 238, 283, 336, 400, 476, 566, 673, 800}));
        QVERIFY(settings()->intListValue(QStringLiteral("NoSuchList")).isEmpty());
    }

    void storedValuesWin_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("asInt");
        QTest::addColumn<QList<int>>("asList");
        QTest::newRow("number") << QStringLiteral("7") << 7 << QList<int>{7};
        // Qt's conversion rules: a word is 0, not the built-in default.
        QTest::newRow("word") << QStringLiteral("many") << 0 << QList<int>{0};
        QTest::newRow("empty") << QString() << 0 << QList<int>{};
    }

    void storedValuesWin()
    {
        QFETCH(QString, stored);
        QFETCH(int, asInt);
        QFETCH(QList<int>, asList);
        QVERIFY(settings()->setValue(QStringLiteral("LaneCount"), stored));
        QVERIFY(settings()->setValue(QStringLiteral("ZoomRatioList"), stored));
        QCOMPARE(settings()->intValue(QStringLiteral("LaneCount")), asInt);
        QCOMPARE(settings()->intListValue(QStringLiteral("ZoomRatioList")), asList);
    }

    void writtenKeyReachesTheFile()
    {
        QVERIFY(settings()->setValue(QStringLiteral("AN/OpenPath"), QStringLiteral("/data/captures")));
        QVERIFY(settings()->setValue(QStringLiteral("AN/AppWindowPosition"), QRect(10, 20, 300, 400)));
        QVERIFY(settings()->setValue(QStringLiteral("LaneCount"), 9));
        QVERIFY(settings()->sync());
        const QByteArray text = kytest::readFile(userStoreFile(QFile::decodeName(qgetenv("XDG_CONFIG_HOME"))));
        QVERIFY2(text.contains("[AN]"), text.constData());
        QVERIFY(text.contains("OpenPath=/data/captures"));
        QVERIFY(text.contains("AppWindowPosition=@Rect(10 20 300 400)"));
        QVERIFY(text.contains("LaneCount=9"));
        QCOMPARE(settings()->rectValue(QStringLiteral("AN/AppWindowPosition")), QRect(10, 20, 300, 400));
    }

    void containsAndGroups()
    {
        AnalysisSettings *s = settings();
        QVERIFY(s->setValue(QStringLiteral("LaneCount"), 7));
        QVERIFY(!s->contains(QString()));
        QVERIFY(s->contains(QStringLiteral("LaneCount")));

        s->beginGroup(QStringLiteral("MW"));
        QVERIFY(s->setValue(QStringLiteral("Ladder A"), QStringList{QStringLiteral("10"), QStringLiteral("20")}));
        QVERIFY(s->setValue(QStringLiteral("Ladder B"), QStringList{QStringLiteral("5")}));
        QCOMPARE(s->allKeys(), (QStringList{QStringLiteral("Ladder A"), QStringLiteral("Ladder B")}));
        QVERIFY(!s->contains(QStringLiteral("LaneCount")));
        s->remove(QStringLiteral("Ladder B"));
        QCOMPARE(s->allKeys(), QStringList{QStringLiteral("Ladder A")});
        s->endGroup();

        QVERIFY(s->contains(QStringLiteral("MW/Ladder A")));
        QVERIFY(!s->contains(QStringLiteral("MW/Ladder B")));
    }

    void groupOfOneThreadDoesNotRedirectAnother()
    {
        AnalysisSettings *s = settings();
        QVERIFY(s->setValue(QStringLiteral("BG_RollingBallRadius"), 33));
        QVERIFY(s->setValue(QStringLiteral("MW/BG_RollingBallRadius"), 99));
        s->beginGroup(QStringLiteral("MW"));
        QCOMPARE(s->uintValue(QStringLiteral("BG_RollingBallRadius")), 99u);
        unsigned int fromPool = 0;
        QThread *thread = QThread::create([&] { fromPool = s->uintValue(QStringLiteral("BG_RollingBallRadius")); });
        thread->start();
        QVERIFY(thread->wait(10000));
        delete thread;
        s->endGroup();
        QCOMPARE(fromPool, 33u);
    }

    void concurrentReadsAndWrites()
    {
        AnalysisSettings *s = settings();
        std::atomic<bool> bad{false};
        QList<QThread *> threads;
        for (int t = 0; t < 4; ++t) {
            threads << QThread::create([&] {
                for (int i = 0; i < 2000; ++i) {
                    const unsigned int v = s->uintValue(QStringLiteral("LaneWidth"));
                    if (v != 70 && (v < 1000 || v >= 1200))
                        bad = true;
                }
            });
            threads.last()->start();
        }
        for (int i = 0; i < 200; ++i)
            s->setValue(QStringLiteral("LaneWidth"), 1000 + i);
        for (QThread *t : threads) {
            QVERIFY(t->wait(30000));
            delete t;
        }
        QVERIFY(!bad);
    }

    void storeBesideTheExecutableWins()
    {
        QTemporaryDir dir;
        const QString beside = dir.filePath(QStringLiteral("portable"));
        const QString plain = dir.filePath(QStringLiteral("plain"));
        const QString home = dir.filePath(QStringLiteral("home"));
        QDir().mkpath(beside);
        QDir().mkpath(plain);
        kytest::writeFile(beside + QStringLiteral("/BI410AnalysisSoftware.ini"), "[General]\nLaneCount=3\n");
        kytest::writeFile(userStoreFile(home), "[General]\nLaneCount=4\n");
        const QStringList env{QStringLiteral("XDG_CONFIG_HOME=") + home};

        const QString portableProbe = kytest::copyProgram(QStringLiteral(KY_SETTINGS_PROBE), beside);
        const QString plainProbe = kytest::copyProgram(QStringLiteral(KY_SETTINGS_PROBE), plain);
        QVERIFY(!portableProbe.isEmpty() && !plainProbe.isEmpty());

        QCOMPARE(kytest::runProgram(portableProbe, {QStringLiteral("an-path")}, env).trimmed(),
                 beside + QStringLiteral("/BI410AnalysisSoftware.ini"));
        QCOMPARE(kytest::runProgram(portableProbe, {QStringLiteral("an-int"), QStringLiteral("LaneCount")}, env).trimmed(), QStringLiteral("3"));
        QCOMPARE(kytest::runProgram(plainProbe, {QStringLiteral("an-int"), QStringLiteral("LaneCount")}, env).trimmed(), QStringLiteral("4"));

        QCOMPARE(kytest::runProgram(portableProbe, {QStringLiteral("an-write"), QStringLiteral("AN/OpenPath"), QStringLiteral("/here")}, env).trimmed(),
                 QStringLiteral("ok"));
        QVERIFY(kytest::readFile(beside + QStringLiteral("/BI410AnalysisSoftware.ini")).contains("OpenPath=/here"));
        QVERIFY(!kytest::readFile(userStoreFile(home)).contains("OpenPath"));

        QCOMPARE(kytest::runProgram(plainProbe, {QStringLiteral("an-write"), QStringLiteral("AN/OpenPath"), QStringLiteral("/there")}, env).trimmed(),
                 QStringLiteral("ok"));
        QVERIFY(kytest::readFile(userStoreFile(home)).contains("OpenPath=/there"));
        QVERIFY(kytest::readFile(beside + QStringLiteral("/BI410AnalysisSoftware.ini")).contains("OpenPath=/here"));
    }

    void writeThatCannotReachTheFileFails()
    {
        // The per-user store's folder cannot be made: a file stands where it belongs.
        QTemporaryDir dir;
        const QString home = dir.filePath(QStringLiteral("home"));
        kytest::writeFile(home + QStringLiteral("/Tolvane"), "not a folder");
        const QString probe = kytest::copyProgram(QStringLiteral(KY_SETTINGS_PROBE), dir.path());
        QVERIFY(!probe.isEmpty());
        QCOMPARE(kytest::runProgram(probe, {QStringLiteral("an-write"), QStringLiteral("AN/OpenPath"), QStringLiteral("/lost")},
                                    {QStringLiteral("XDG_CONFIG_HOME=") + home})
                     .trimmed(),
                 QStringLiteral("failed"));
    }
};

KY_TEST_MAIN(TestAnalysisSettings)
#include "tst_analysissettings.moc"
