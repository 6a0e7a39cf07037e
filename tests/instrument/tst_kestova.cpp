// The instrument status object, with no unit attached (every record all zero) and with a scripted
// link in its place where a test needs the unit to answer.

#include "testmain.h"

#include "instrument/indicatorguard.h"
#include "instrument/kestova.h"
#include "instrument/kestovadevice.h"

#include <QSignalSpy>

#include <limits>

namespace {

using Record = QList<int>;

template <std::size_t N>
Record bytes(const std::array<quint8, N> &inRecord)
{
    return Record(inRecord.begin(), inRecord.end());
}

// A unit that answers with a camera status of the test's choosing and records what it is sent.
class ScriptedDevice : public KestovaDevice
{
public:
    int GetCameraStatus(KyCommand::CameraStatusRecord &outRecord) override
    {
        ++statusReads;
        if (result == 0)
            outRecord = status;
        return result;
    }
    int writeIndicatorRecord(const KyCommand::IndicatorRecord &inRecord) override
    {
        indicators.append(bytes(inRecord));
        return result;
    }
    int writeCoolingRecord(const KyCommand::CoolingRecord &inRecord) override
    {
        cooling.append(bytes(inRecord));
        return result;
    }

    int result = 0;
    int statusReads = 0;
    KyCommand::CameraStatusRecord status{};
    QList<Record> indicators;
    QList<Record> cooling;
};

// The indicator records of modes 0 to 10 with the built-in lamp times.
Record expectedIndicator(int inMode)
{
    switch (inMode) {
    case 0: return {1, 255, 255, 5, 5, 50, 50, 50, 50};
    case 1: return {2, 255, 0, 50, 50, 50, 50, 50, 50};
    case 2: return {255, 255, 2, 50, 50, 50, 50, 50, 50};
    case 3: return {255, 255, 0, 50, 50, 50, 50, 50, 50};
    case 4: return {1, 255, 255, 5, 15, 50, 50, 50, 50};
    case 5: return {1, 255, 255, 5, 5, 50, 50, 50, 50};
    case 6: return {255, 255, 1, 50, 50, 50, 50, 10, 3};
    case 7: return {255, 255, 0, 50, 50, 50, 50, 50, 50};
    case 8: return {255, 1, 255, 50, 50, 5, 5, 50, 50};
    case 9: return {255, 0, 255, 50, 50, 50, 50, 50, 50};
    case 10: return {255, 1, 255, 50, 50, 5, 5, 50, 50};
    default: return {};
    }
}

} // namespace

class TestKestova : public QObject
{
    Q_OBJECT

private:
    ScriptedDevice *device = nullptr;

private slots:
    void init()
    {
        device = new ScriptedDevice;
        Kestova::instance()->setDevice(device);
    }

    void cleanup()
    {
        Kestova *kestova = Kestova::instance();
        kestova->stopTemperatureStatusTimer();
        kestova->stopTrayCheckTimer();
        // Leave the temperature state at its start value for the next test.
        device->result = 0;
        kestova->stopCooling();
        kestova->setDevice(nullptr);
        delete device;
        device = nullptr;
    }

    void unitReportsNothingReady()
    {
        const Kestova *kestova = Kestova::instance();
        QVERIFY(!kestova->statusFlag11());
        QVERIFY(!kestova->statusFlag10());
        QVERIFY(!kestova->lights1to3Ready());
        QVERIFY(!kestova->light4Ready());
        QVERIFY(!kestova->lights5to8Ready());
        QVERIFY(!kestova->lights9to12Ready());
        QVERIFY(!kestova->lights13to16Ready());
        QCOMPARE(kestova->statusWordText(), QStringLiteral("0"));
        QCOMPARE(kestova->statusLongText(), QStringLiteral("0"));
        QCOMPARE(bytes(kestova->lastDeviceError()), Record(8, 0));
    }

    void lightAvailability_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("available");
        QTest::newRow("None") << "None" << true;
        QTest::newRow("unknown name is index 0") << "405 nm" << true;
        QTest::newRow("empty name is index 0") << "" << true;
        QTest::newRow("460 nm") << "460 nm" << false;
        QTest::newRow("630 nm") << "630 nm" << false;
        QTest::newRow("312 nm") << "312 nm" << false;
        QTest::newRow("Upper EPI White") << "Upper EPI White" << false;
        QTest::newRow("Lower EPI White-Red") << "Lower EPI White-Red" << false;
        QTest::newRow("Trans White-Red") << "Trans White-Red" << false;
        QTest::newRow("manual light") << "Lower EPI White-Red manual" << false;
    }

    void lightAvailability()
    {
        QFETCH(QString, name);
        QTEST(Kestova::instance()->isLightAvailable(name), "available");
    }

    void filterAvailability()
    {
        const Kestova *kestova = Kestova::instance();
        for (const char *name : {"Through", "Cy2", "Cy3", "EtBr", "Cy5"})
            QVERIFY2(kestova->isFilterAvailable(QLatin1String(name)), name);
        for (const char *name : {"cy3", "Em 450", ""})
            QVERIFY2(!kestova->isFilterAvailable(QLatin1String(name)), name);
    }

    void settingTexts()
    {
        // No "BI410.ini" here: the serial number setting is empty and the other two have no default.
        QCOMPARE(Kestova::serialNumber(), QStringLiteral("-"));
        QCOMPARE(Kestova::cameraUnitNumber(), QStringLiteral("-"));
        QCOMPARE(Kestova::trayNumber(), QStringLiteral("-"));
    }

    void processTexts()
    {
        QVERIFY(Kestova::softwareName().isEmpty());
        QVERIFY(Kestova::softwareVersion().isEmpty());
        QVERIFY(Kestova::instrumentName().isEmpty());
        Kestova::setSoftwareName(QStringLiteral("Capture"));
        Kestova::setSoftwareVersion(QStringLiteral("2.1"));
        Kestova::setInstrumentName(QStringLiteral("Brevik Ziredo 410"));
        QCOMPARE(Kestova::softwareName(), QStringLiteral("Capture"));
        QCOMPARE(Kestova::softwareVersion(), QStringLiteral("2.1"));
        QCOMPARE(Kestova::instrumentName(), QStringLiteral("Brevik Ziredo 410"));
        Kestova::setSoftwareName(QString());
        Kestova::setSoftwareVersion(QString());
        Kestova::setInstrumentName(QString());
    }

    void indicatorRecords_data()
    {
        QTest::addColumn<int>("mode");
        for (int mode = -1; mode <= 11; ++mode)
            QTest::addRow("mode %d", mode) << mode;
        QTest::newRow("mode 255") << 255;
    }

    void indicatorRecords()
    {
        QFETCH(int, mode);
        const Record expected = expectedIndicator(mode);
        if (expected.isEmpty()) {
            QCOMPARE(Kestova::instance()->setIndicator(mode), -1);
            QVERIFY(device->indicators.isEmpty());
            KyCommand::IndicatorRecord untouched{};
            QVERIFY(!Kestova::indicatorRecord(mode, Kestova::IndicatorTimes(), untouched));
            QCOMPARE(bytes(untouched), Record(9, 0));
            return;
        }
        QCOMPARE(Kestova::instance()->setIndicator(mode), 0);
        QCOMPARE(device->indicators, QList<Record>{expected});
        KyCommand::IndicatorRecord record{};
        QVERIFY(Kestova::indicatorRecord(mode, Kestova::IndicatorTimes::fromSettings(), record));
        QCOMPARE(bytes(record), expected);
    }

    void indicatorTimesGoToTheirIndicator()
    {
        Kestova::IndicatorTimes times;
        times.notReadyOn = 1, times.notReadyOff = 2, times.sleepOn = 3, times.sleepOff = 4;
        times.shutdownOn = 5, times.shutdownOff = 6, times.flashOn = 7, times.flashOff = 8;
        times.errorOn = 9, times.errorOff = 10;
        const QList<QPair<int, Record>> table = {
            {0, {1, 255, 255, 1, 2, 50, 50, 50, 50}},
            {4, {1, 255, 255, 3, 4, 50, 50, 50, 50}},
            {5, {1, 255, 255, 5, 6, 50, 50, 50, 50}},
            {6, {255, 255, 1, 50, 50, 50, 50, 7, 8}},
            {8, {255, 1, 255, 50, 50, 9, 10, 50, 50}},
            {10, {255, 1, 255, 50, 50, 9, 10, 50, 50}},
        };
        for (const auto &[mode, expected] : table) {
            KyCommand::IndicatorRecord record{};
            QVERIFY(Kestova::indicatorRecord(mode, times, record));
            QCOMPARE(bytes(record), expected);
        }
    }

    void indicatorResultComesFromTheUnit()
    {
        device->result = 7;
        QCOMPARE(Kestova::instance()->setIndicator(3), 7);
    }

    void indicatorGuard()
    {
        {
            IndicatorGuard guard;
            QCOMPARE(device->indicators, QList<Record>{expectedIndicator(2)});
        }
        QCOMPARE(device->indicators, (QList<Record>{expectedIndicator(2), expectedIndicator(3)}));
    }

    void coolingTargets_data()
    {
        QTest::addColumn<double>("degrees");
        QTest::addColumn<double>("differential");
        QTest::addColumn<int>("target");
        QTest::newRow("-30.0") << -30.0 << 0.0 << -3000;
        QTest::newRow("12.345 truncates") << 12.345 << 0.0 << 1234;
        QTest::newRow("-12.345 truncates toward zero") << -12.345 << 0.0 << -1234;
        QTest::newRow("differential added") << -25.0 << 1.5 << -2350;
        QTest::newRow("above the range") << 400.0 << 0.0 << 32767;
        QTest::newRow("below the range") << -400.0 << 0.0 << -32768;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 0.0 << 0;
    }

    void coolingTargets()
    {
        QFETCH(double, degrees);
        QFETCH(double, differential);
        QTEST(int(Kestova::coolingTarget(degrees, differential)), "target");
    }

    void coolingRecords()
    {
        QCOMPARE(bytes(Kestova::coolingRecord(-3000, true)), Record({0x48, 0xF4, 1, 0}));
        QCOMPARE(bytes(Kestova::coolingRecord(1234, true)), Record({0xD2, 0x04, 1, 0}));
        QCOMPARE(bytes(Kestova::coolingRecord(0, false)), Record({0, 0, 0, 0}));

        Kestova *kestova = Kestova::instance();
        QVERIFY(kestova->setCCDTemperature(-30.0));
        QVERIFY(kestova->setCCDTemperature(12.345));
        QVERIFY(kestova->stopCooling());
        QCOMPARE(device->cooling,
                 (QList<Record>{{0x48, 0xF4, 1, 0}, {0xD2, 0x04, 1, 0}, {0, 0, 0, 0}}));
    }

    void coolingFailures()
    {
        Kestova *kestova = Kestova::instance();
        device->status[1] = 1;
        QMetaObject::invokeMethod(kestova, "onTemperatureStatusTimerFired");
        QVERIFY(kestova->isTemperatureReady());
        device->result = 3;
        QVERIFY(!kestova->setCCDTemperature(-25.0));
        QVERIFY(!kestova->stopCooling());
        QVERIFY(kestova->isTemperatureReady());
        device->result = 0;
        QVERIFY(kestova->stopCooling());
        QVERIFY(!kestova->isTemperatureReady());
    }

    void cameraStatusReaders()
    {
        Kestova *kestova = Kestova::instance();
        device->status[0] = 9;
        device->status[2] = 0xC0; // -2112 hundredths
        device->status[3] = 0xF7;
        device->status[21] = 0;
        device->status[22] = 1;
        bool value = false;
        QCOMPARE(kestova->cameraStatusCode(), 9);
        QCOMPARE(kestova->CCDTempearture(), -21.12);
        QCOMPARE(kestova->cameraFlag21Clear(value), 0);
        QVERIFY(value);
        QCOMPARE(kestova->cameraFlag22Set(value), 0);
        QVERIFY(value);
        device->status[21] = 2;
        device->status[22] = 2;
        QCOMPARE(kestova->cameraFlag21Clear(value), 0);
        QVERIFY(!value);
        QCOMPARE(kestova->cameraFlag22Set(value), 0);
        QVERIFY(!value);

        // A failed read leaves each output at its start value and passes the result back.
        device->result = 4;
        value = false;
        QCOMPARE(kestova->cameraFlag21Clear(value), 4);
        QVERIFY(value);
        value = true;
        QCOMPARE(kestova->cameraFlag22Set(value), 4);
        QVERIFY(!value);
        QCOMPARE(kestova->cameraStatusCode(), 255);
        QTest::ignoreMessage(QtDebugMsg, "error: Kestova::CCDTempearture(), GetCameraStatus");
        QCOMPARE(kestova->CCDTempearture(), 0.0);
    }

    void builtInLinkReadsZeros()
    {
        Kestova *kestova = Kestova::instance();
        kestova->setDevice(nullptr);
        bool value = false;
        QCOMPARE(kestova->cameraStatusCode(), 0);
        QCOMPARE(kestova->CCDTempearture(), 0.0);
        QCOMPARE(kestova->cameraFlag21Clear(value), 0);
        QVERIFY(value);
        QCOMPARE(kestova->setIndicator(4), 0);
        QVERIFY(kestova->setCCDTemperature(-25.0));
        kestova->setDevice(device);
        QVERIFY(device->indicators.isEmpty());
        QVERIFY(device->cooling.isEmpty());
    }

    void repeatedTemperatureStatusSignalsOnce()
    {
        Kestova *kestova = Kestova::instance();
        QSignalSpy spy(kestova, &Kestova::temperatureStatusChanged);
        device->status[1] = 1;
        QMetaObject::invokeMethod(kestova, "onTemperatureStatusTimerFired");
        QMetaObject::invokeMethod(kestova, "onTemperatureStatusTimerFired");
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 1);
        QVERIFY(kestova->isTemperatureReady());
        QCOMPARE(device->indicators, QList<Record>{expectedIndicator(1)});

        device->status[1] = 0;
        QMetaObject::invokeMethod(kestova, "onTemperatureStatusTimerFired");
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(0).toInt(), 0);
        QCOMPARE(device->indicators, (QList<Record>{expectedIndicator(1), expectedIndicator(0)}));

        // A failed read signals 255 every time and keeps the stored state.
        device->result = 1;
        QMetaObject::invokeMethod(kestova, "onTemperatureStatusTimerFired");
        QMetaObject::invokeMethod(kestova, "onTemperatureStatusTimerFired");
        QCOMPARE(spy.count(), 4);
        QCOMPARE(spy.at(3).at(0).toInt(), 255);
        QCOMPARE(device->indicators.size(), 2);
    }

    void temperatureTimer()
    {
        Kestova *kestova = Kestova::instance();
        QSignalSpy spy(kestova, &Kestova::temperatureStatusChanged);
        kestova->setTemperatureStatusInterval(10);
        device->status[1] = 1;
        QVERIFY(kestova->startTemperatureStatusTimer());
        // The stored state first, at once; then the change the timer's first run finds.
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 0);
        QTRY_COMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(0).toInt(), 1);
        kestova->stopTemperatureStatusTimer();
        const int reads = device->statusReads;
        QTest::qWait(50);
        QCOMPARE(device->statusReads, reads);
    }

    // The tray's whole run: the only test that moves the simulated tray.
    void traySequence()
    {
        Kestova *kestova = Kestova::instance();
        QSignalSpy spy(kestova, &Kestova::trayPositionChanged);
        const QList<QList<bool>> expected = {
            // position 2, then 3, 0, 1 and 2 again: in 1 or 3, in 2
            {false, true}, {true, false}, {false, false}, {true, false}, {false, true}};
        QList<int> signalled;
        for (int step = 0; step < expected.size(); ++step) {
            bool in1or3 = true, in2 = true;
            QCOMPARE(kestova->trayInPosition1or3(in1or3), 0);
            QCOMPARE(kestova->trayInPosition2(in2), 0);
            QCOMPARE(QList<bool>({in1or3, in2}), expected.at(step));
            QMetaObject::invokeMethod(kestova, "onTrayCheckTimerFired");
            QMetaObject::invokeMethod(kestova, "onTrayCheckTimerFired");
            kestova->advanceSimulatedTray();
        }
        for (const QList<QVariant> &arguments : spy)
            signalled.append(arguments.at(0).toInt());
        QCOMPARE(signalled, QList<int>({2, 3, 0, 1, 2}));
        // Three more steps bring the tray back to its start value, 2, for the timer test below.
        for (int step = 0; step < 3; ++step)
            kestova->advanceSimulatedTray();
    }

    void trayTimer()
    {
        Kestova *kestova = Kestova::instance();
        QSignalSpy spy(kestova, &Kestova::trayPositionChanged);
        kestova->setTrayCheckInterval(10);
        QVERIFY(kestova->startTrayCheckTimer());
        QCOMPARE(spy.count(), 0);
        kestova->advanceSimulatedTray();
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 3);
        kestova->stopTrayCheckTimer();
    }

    void checkDeviceError()
    {
        Kestova *kestova = Kestova::instance();
        QSignalSpy spy(kestova, &Kestova::error);
        kestova->checkDeviceError(false);
        QCOMPARE(spy.count(), 0);
        kestova->checkDeviceError(true);
        QCOMPARE(spy.count(), 1);
    }
};

KY_TEST_MAIN(TestKestova)
#include "tst_kestova.moc"
