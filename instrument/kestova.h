#pragma once

#include "instrument/kycommand.h"

#include <QObject>
#include <QString>

class KestovaDevice;
class QTimer;

// The imaging unit's status as the shared instrument code sees it: which light groups are ready,
// the camera's temperature state, CCD temperature and tray position, CCD cooling and the three front
// indicators. No unit is attached to this program: the link answers every call with success and
// transfers nothing, so every status record stays all-zero.
//
// The process-wide instance is made on the GUI thread at start-up, so that its timers, once
// started, fire in a thread with an event loop.
class Kestova : public QObject
{
    Q_OBJECT

public:
    // On-time and off-time of each indicator mode that blinks, as the instrument settings give them.
    struct IndicatorTimes
    {
        quint8 notReadyOn = 50, notReadyOff = 50;
        quint8 sleepOn = 50, sleepOff = 50;
        quint8 shutdownOn = 50, shutdownOff = 50;
        quint8 flashOn = 50, flashOff = 50;
        quint8 errorOn = 50, errorOff = 50;

        // Read from the instrument settings, each cut to 8 bits.
        static IndicatorTimes fromSettings();
    };

    static Kestova *instance();

    // Instrument settings as text, "-" when empty.
    static QString serialNumber();
    static QString cameraUnitNumber();
    static QString trayNumber();

    // Process-wide texts that the capturing program sets; empty until then.
    static QString softwareName();
    static QString softwareVersion();
    static QString instrumentName();
    static void setSoftwareName(const QString &inText);
    static void setSoftwareVersion(const QString &inText);
    static void setInstrumentName(const QString &inText);

    // Tests of the unit status record.
    bool lights1to3Ready() const;
    bool light4Ready() const;
    bool lights5to8Ready() const;
    bool lights9to12Ready() const;
    bool lights13to16Ready() const;
    bool statusFlag10() const;
    bool statusFlag11() const;
    QString statusWordText() const;
    QString statusLongText() const;

    bool isLightAvailable(const QString &inLightName) const;
    bool isFilterAvailable(const QString &inFilterName) const;

    // Camera status readers: each returns the link's result, 0 meaning success.
    int trayInPosition1or3(bool &outValue);
    int trayInPosition2(bool &outValue);
    int cameraFlag21Clear(bool &outValue);
    int cameraFlag22Set(bool &outValue);
    // Byte 0 of a fresh camera status, 255 when it cannot be read.
    int cameraStatusCode();
    // Degrees Celsius, corrected by the instrument's differential; 0.0 when it cannot be read.
    double CCDTempearture();

    bool setCCDTemperature(double inDegrees);
    bool stopCooling();
    bool isTemperatureReady() const;

    bool startTemperatureStatusTimer();
    bool startTrayCheckTimer();
    void stopTemperatureStatusTimer();
    void stopTrayCheckTimer();
    // Take effect only before the timer's first start, which creates it.
    void setTemperatureStatusInterval(int inMSec);
    void setTrayCheckInterval(int inMSec);

    // Sends the indicator record of a mode (0 to 10); -1 for any other mode, sending nothing.
    int setIndicator(int inMode);
    void advanceSimulatedTray();

    KyCommand::DeviceErrorRecord lastDeviceError() const;
    void checkDeviceError(bool inForce);

    // Device calls.
    int GetCameraStatus(KyCommand::CameraStatusRecord &outRecord);
    int writeIndicatorRecord(KyCommand::IndicatorRecord &inRecord);
    int writeCoolingRecord(KyCommand::CoolingRecord &inRecord);

    // The record setIndicator sends for a mode; false, leaving the record alone, for an unknown mode.
    static bool indicatorRecord(int inMode, const IndicatorTimes &inTimes,
                                KyCommand::IndicatorRecord &outRecord);
    // Cooling target in hundredths of a degree: (degrees + differential) × 100, truncated toward
    // zero and held within the 16-bit range.
    static qint16 coolingTarget(double inDegrees, double inDifferential);
    static KyCommand::CoolingRecord coolingRecord(qint16 inTarget, bool inEnable);

    // Replaces the link to the unit (not owned); null restores the built-in link.
    void setDevice(KestovaDevice *inDevice);

signals:
    void error();
    void temperatureStatusChanged(KyCommand::TempStatus status);
    void trayPositionChanged(KyCommand::TrayPosition position);

private slots:
    void onTemperatureStatusTimerFired();
    void onTrayCheckTimerFired();

private:
    Kestova();
    ~Kestova() override;

    bool bytePairReady(int inFirst) const;

    KyCommand::UnitStatusRecord unitStatus{};
    int temperatureStatus = 0;
    int trayPosition = 0;
    int simulatedTrayPosition = 2;
    QTimer *temperatureStatusTimer = nullptr;
    int temperatureStatusInterval = 2000;
    QTimer *trayCheckTimer = nullptr;
    int trayCheckInterval = 500;
    KestovaDevice *device;
};
