#include "testmain.h"
#include "typedread.h"

#include "core/lsettings.h"
#include "core/systemsettings.h"

#include <QTemporaryDir>

class TestSystemSettings : public QObject
{
    Q_OBJECT

private:
    static QString data() { return QCoreApplication::applicationDirPath() + QStringLiteral("/Data/"); }

private slots:
    void defaultCount()
    {
        QCOMPARE(SystemSettings::instance()->defaultValues().size(), 153);
    }

    void storeIsInTheSettingsFolderWithoutAFileBeside()
    {
        QCOMPARE(SystemSettings::instance()->settingsStore()->fileName(), data() + QStringLiteral("Settings/BI410.ini"));
    }

    void defaultsWithoutAFile_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("AutoRange_LowerRate") << QStringLiteral("AutoRange_LowerRate") << QVariant(0.05);
        QTest::newRow("AutoRange_UpperRate") << QStringLiteral("AutoRange_UpperRate") << QVariant(0.00125);
        QTest::newRow("RangeMinimumDistance") << QStringLiteral("RangeMinimumDistance") << QVariant(500u);
        QTest::newRow("DarkframeOffset") << QStringLiteral("DarkframeOffset") << QVariant(1000);
        QTest::newRow("MaximumNumberOfBand") << QStringLiteral("MaximumNumberOfBand") << QVariant(20);
        QTest::newRow("MuximumNumberOfLanes") << QStringLiteral("MuximumNumberOfLanes") << QVariant(25);
        QTest::newRow("CCDCoolingTemperature") << QStringLiteral("CCDCoolingTemperature") << QVariant(-25.0);
        QTest::newRow("ImageFolderCapacitySize") << QStringLiteral("ImageFolderCapacitySize") << QVariant(3900u * 1048576u);
        QTest::newRow("FluorRGB_F2_8") << QStringLiteral("FluorRGB_F2_8") << QVariant(true);
        QTest::newRow("SaturatedPixelColor") << QStringLiteral("SaturatedPixelColor") << QVariant(QColor(240, 0, 240, 255));
        QTest::newRow("StandAloneImageFolderPath has no default") << QStringLiteral("StandAloneImageFolderPath") << QVariant(QString());
        QTest::newRow("MWStandardFilePath") << QStringLiteral("MWStandardFilePath") << QVariant(data() + QStringLiteral("MW/"));
        QTest::newRow("AutoBandParameterFilePath") << QStringLiteral("AutoBandParameterFilePath") << QVariant(data() + QStringLiteral("Settings/AutoBand.txt"));
        QTest::newRow("HelpFolderPath") << QStringLiteral("HelpFolderPath") << QVariant(data() + QStringLiteral("Help/"));
        QTest::newRow("ImageDrivePath on the system root") << QStringLiteral("ImageDrivePath") << QVariant(QStringLiteral("/"));
        QTest::newRow("UpdateFolderPath") << QStringLiteral("UpdateFolderPath") << QVariant(QStringLiteral("/Update/"));
        QTest::newRow("Marker_GrayImageSuffix") << QStringLiteral("Marker_GrayImageSuffix") << QVariant(QStringLiteral("-Marker"));
        QTest::newRow("DigitalZoomInterpolationType") << QStringLiteral("DigitalZoomInterpolationType") << QVariant(QStringLiteral("bilinear"));
        QTest::newRow("BiCubic_SincCoeff") << QStringLiteral("BiCubic_SincCoeff") << QVariant(-0.02);
        QTest::newRow("MWUnitList") << QStringLiteral("MWUnitList")
                                    << QVariant(QStringList{QStringLiteral("(none)"), QStringLiteral("basepair"), QStringLiteral("kDa"), QStringLiteral("Da")});
        QTest::newRow("no default") << QStringLiteral("TrayNumber") << QVariant(0);
    }

    void defaultsWithoutAFile()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, expected);
        kytest::compareTypedRead(*SystemSettings::instance(), key, expected);
    }

    void listDefaults()
    {
        SystemSettings *s = SystemSettings::instance();
        QCOMPARE(s->uintListValue(QStringLiteral("FocusPositions_Lower")), (QList<unsigned int>{460, 530, 460, 530, 530}));
        QCOMPARE(s->uintListValue(QStringLiteral("FocusPositions_Upper")), (QList<unsigned int>{4010, 4010, 4010, 4010, 4010}));
        QCOMPARE(s->doubleListValue(QStringLiteral("ODCalibration_RawList")),
                 (QList<double>{0.05, 0.05, 0.05, 0.05, 0.05, 0.07, 0.07, 0.07, 0.07, 0.07, 0.1, 1, 1, 1, 1}));
        QCOMPARE(s->doubleListValue(QStringLiteral("ODCalibration_ODList")).size(), 21);
        QVERIFY(s->uintListValue(QStringLiteral("NoSuchList")).isEmpty());
    }

    void fileBesideTheExecutable_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("single value as a list") << QStringLiteral("sys-uintlist") << QStringLiteral("FocusPositions_Lower") << QStringLiteral("7");
        QTest::newRow("list of doubles") << QStringLiteral("sys-doublelist") << QStringLiteral("ODCalibration_ODList") << QStringLiteral("1.5,2.25");
        QTest::newRow("non-numeric element is 0") << QStringLiteral("sys-uintlist") << QStringLiteral("FocusPositions_Upper") << QStringLiteral("5,0,6");
        QTest::newRow("stored string") << QStringLiteral("sys-string") << QStringLiteral("StandAloneImageFolderPath") << QStringLiteral("/samples/");
        QTest::newRow("missing key keeps its default") << QStringLiteral("sys-int") << QStringLiteral("MaximumNumberOfBand") << QStringLiteral("20");
        QTest::newRow("file in use") << QStringLiteral("sys-path") << QString() << QStringLiteral("@/BI410.ini");
    }

    void fileBesideTheExecutable()
    {
        QFETCH(QString, command);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        {
            QFile ini(dir.filePath(QStringLiteral("BI410.ini")));
            QVERIFY(ini.open(QIODevice::WriteOnly));
            ini.write("[General]\nFocusPositions_Lower=7\nODCalibration_ODList=1.5, 2.25\n"
                      "FocusPositions_Upper=5, x, 6\nStandAloneImageFolderPath=/samples/\n");
        }
        const QString probe = kytest::copyProgram(QStringLiteral(KY_SETTINGS_PROBE), dir.path());
        QVERIFY(!probe.isEmpty());
        expected.replace(QLatin1Char('@'), dir.path());
        QCOMPARE(kytest::runProgram(probe, {command, key}).trimmed(), expected);
    }
};

KY_TEST_MAIN(TestSystemSettings)
#include "tst_systemsettings.moc"
