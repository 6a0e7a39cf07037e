#include "instrument/kestova.h"

#include "core/systemsettings.h"
#include "instrument/instrumentnames.h"
#include "instrument/kestovadevice.h"
#include "instrument/lightsource.h"
#include "platform/logcategories.h"

#include <QDebug>
#include <QMutex>
#include <QMutexLocker>
#include <QTimer>

#include <cmath>
#include <limits>

namespace {

KestovaDevice &builtInDevice()
{
    static KestovaDevice device;
    return device;
}

// The three process-wide texts are set by the capturing program and read by the image code from any
// thread.
struct ProcessTexts
{
    QMutex lock;
    QString softwareName;
    QString softwareVersion;
    QString instrumentName;
};

ProcessTexts &processTexts()
{
    static ProcessTexts texts;
    return texts;
}

QString readText(QString ProcessTexts::*inText)
{
    ProcessTexts &texts = processTexts();
    QMutexLocker lock(&texts.lock);
    return texts.*inText;
}

void writeText(QString ProcessTexts::*inText, const QString &inValue)
{
    ProcessTexts &texts = processTexts();
    QMutexLocker lock(&texts.lock);
    texts.*inText = inValue;
}

QString settingOrDash(const QString &inKey)
{
    const QString text = SystemSettings::instance()->stringValue(inKey);
    return text.isEmpty() ? QStringLiteral("-") : text;
}

quint8 settingByte(const QString &inKey)
{
    return quint8(SystemSettings::instance()->uintValue(inKey));
}

} // namespace

Kestova::IndicatorTimes Kestova::IndicatorTimes::fromSettings()
{
    IndicatorTimes times;
    times.notReadyOn = settingByte(QStringLiteral("Indicator_NotReady_OnTime"));
    times.notReadyOff = settingByte(QStringLiteral("Indicator_NotReady_OffTime"));
    times.sleepOn = settingByte(QStringLiteral("Indicator_Sleep_OnTime"));
    times.sleepOff = settingByte(QStringLiteral("Indicator_Sleepy_OffTime"));
    times.shutdownOn = settingByte(QStringLiteral("Indicator_Shutdown_OnTime"));
    times.shutdownOff = settingByte(QStringLiteral("Indicator_Shutdown_OffTime"));
    times.flashOn = settingByte(QStringLiteral("Indicator_Flsh_OnTime"));
    times.flashOff = settingByte(QStringLiteral("Indicator_Flsh_OffTime"));
    times.errorOn = settingByte(QStringLiteral("Indicator_Error_OnTime"));
    times.errorOff = settingByte(QStringLiteral("Indicator_Error_OffTime"));
    return times;
}

Kestova *Kestova::instance()
{
    static Kestova kestova;
    return &kestova;
}

Kestova::Kestova()
    : device(&builtInDevice())
{
}

Kestova::~Kestova()
{
    stopTrayCheckTimer();
    stopTemperatureStatusTimer();
    delete trayCheckTimer;
    delete temperatureStatusTimer;
}

QString Kestova::serialNumber()
{
    return settingOrDash(QStringLiteral("SerialNumber"));
}

QString Kestova::cameraUnitNumber()
{
    return settingOrDash(QStringLiteral("CameraUnitNumber"));
}

QString Kestova::trayNumber()
{
    return settingOrDash(QStringLiteral("TrayNumber"));
}

QString Kestova::softwareName()
{
    return readText(&ProcessTexts::softwareName);
}

QString Kestova::softwareVersion()
{
    return readText(&ProcessTexts::softwareVersion);
}

QString Kestova::instrumentName()
{
    return readText(&ProcessTexts::instrumentName);
}

void Kestova::setSoftwareName(const QString &inText)
{
    writeText(&ProcessTexts::softwareName, inText);
}

void Kestova::setSoftwareVersion(const QString &inText)
{
    writeText(&ProcessTexts::softwareVersion, inText);
}

void Kestova::setInstrumentName(const QString &inText)
{
    writeText(&ProcessTexts::instrumentName, inText);
}

bool Kestova::bytePairReady(int inFirst) const
{
    return unitStatus[inFirst] == 1 && unitStatus[inFirst + 1] == 1;
}

bool Kestova::lights1to3Ready() const
{
    return bytePairReady(2);
}

bool Kestova::light4Ready() const
{
    return unitStatus[1] == 1;
}

bool Kestova::lights5to8Ready() const
{
    return bytePairReady(8);
}

bool Kestova::lights9to12Ready() const
{
    return bytePairReady(6);
}

bool Kestova::lights13to16Ready() const
{
    return bytePairReady(4);
}

bool Kestova::statusFlag10() const
{
    return unitStatus[10] == 1;
}

bool Kestova::statusFlag11() const
{
    return unitStatus[11] == 1;
}

QString Kestova::statusWordText() const
{
    const quint16 word = quint16(unitStatus[14] | (unitStatus[15] << 8));
    return QString::number(word);
}

QString Kestova::statusLongText() const
{
    const quint32 value = quint32(unitStatus[16]) | (quint32(unitStatus[17]) << 8)
                          | (quint32(unitStatus[18]) << 16) | (quint32(unitStatus[19]) << 24);
    return QString::number(value);
}

bool Kestova::isLightAvailable(const QString &inLightName) const
{
    const int index = LightSource::indexOfName(inLightName);
    if (index == 0)
        return true;
    if (index >= 1 && index <= 3)
        return lights1to3Ready();
    if (index == 4)
        return light4Ready();
    if (index >= 5 && index <= 8)
        return lights5to8Ready();
    if (index >= 9 && index <= 12)
        return lights9to12Ready();
    if (index >= 13 && index <= 16)
        return lights13to16Ready();
    return false;
}

bool Kestova::isFilterAvailable(const QString &inFilterName) const
{
    return InstrumentNames::filterNames().contains(inFilterName, Qt::CaseSensitive);
}

// The tray position comes from the simulation: this program has no tray sensor to read.
int Kestova::trayInPosition1or3(bool &outValue)
{
    outValue = simulatedTrayPosition == 1 || simulatedTrayPosition == 3;
    return 0;
}

int Kestova::trayInPosition2(bool &outValue)
{
    outValue = simulatedTrayPosition == 2;
    return 0;
}

int Kestova::cameraFlag21Clear(bool &outValue)
{
    outValue = true;
    KyCommand::CameraStatusRecord status{};
    const int result = GetCameraStatus(status);
    if (result == 0)
        outValue = status[21] == 0;
    return result;
}

int Kestova::cameraFlag22Set(bool &outValue)
{
    outValue = false;
    KyCommand::CameraStatusRecord status{};
    const int result = GetCameraStatus(status);
    if (result == 0)
        outValue = status[22] == 1;
    return result;
}

int Kestova::cameraStatusCode()
{
    KyCommand::CameraStatusRecord status{};
    if (GetCameraStatus(status) != 0)
        return 255;
    return status[0];
}

double Kestova::CCDTempearture()
{
    KyCommand::CameraStatusRecord status{};
    if (GetCameraStatus(status) != 0) {
        qCDebug(lcInstrument, "error: Kestova::CCDTempearture(), GetCameraStatus");
        return 0.0;
    }
    const qint16 hundredths = qint16(quint16(status[2] | (status[3] << 8)));
    return hundredths / 100.0
           - SystemSettings::instance()->doubleValue(QStringLiteral("CCDTemperatureDifferential"));
}

qint16 Kestova::coolingTarget(double inDegrees, double inDifferential)
{
    const double target = std::trunc((inDegrees + inDifferential) * 100.0);
    // Converting a double outside the 16-bit range is undefined: hold it at the range's ends.
    if (std::isnan(target))
        return 0;
    if (target <= std::numeric_limits<qint16>::min())
        return std::numeric_limits<qint16>::min();
    if (target >= std::numeric_limits<qint16>::max())
        return std::numeric_limits<qint16>::max();
    return qint16(target);
}

KyCommand::CoolingRecord Kestova::coolingRecord(qint16 inTarget, bool inEnable)
{
    const quint16 bits = quint16(inTarget);
    return {quint8(bits & 0xFF), quint8(bits >> 8), quint8(inEnable ? 1 : 0), 0};
}

bool Kestova::setCCDTemperature(double inDegrees)
{
    const double differential =
        SystemSettings::instance()->doubleValue(QStringLiteral("CCDTemperatureDifferential"));
    KyCommand::CoolingRecord record = coolingRecord(coolingTarget(inDegrees, differential), true);
    return writeCoolingRecord(record) == 0;
}

bool Kestova::stopCooling()
{
    KyCommand::CoolingRecord record = coolingRecord(0, false);
    if (writeCoolingRecord(record) != 0)
        return false;
    temperatureStatus = 0;
    return true;
}

bool Kestova::isTemperatureReady() const
{
    return temperatureStatus == 1;
}

bool Kestova::startTemperatureStatusTimer()
{
    if (!temperatureStatusTimer) {
        auto *timer = new QTimer;
        timer->setInterval(temperatureStatusInterval);
        if (!connect(timer, &QTimer::timeout, this, &Kestova::onTemperatureStatusTimerFired)) {
            delete timer;
            return false;
        }
        temperatureStatusTimer = timer;
    }
    emit temperatureStatusChanged(KyCommand::TempStatus(temperatureStatus));
    temperatureStatusTimer->start();
    return true;
}

bool Kestova::startTrayCheckTimer()
{
    if (!trayCheckTimer) {
        auto *timer = new QTimer;
        timer->setInterval(trayCheckInterval);
        if (!connect(timer, &QTimer::timeout, this, &Kestova::onTrayCheckTimerFired)) {
            delete timer;
            return false;
        }
        trayCheckTimer = timer;
    }
    trayCheckTimer->start();
    return true;
}

void Kestova::stopTemperatureStatusTimer()
{
    if (temperatureStatusTimer)
        temperatureStatusTimer->stop();
}

void Kestova::stopTrayCheckTimer()
{
    if (trayCheckTimer)
        trayCheckTimer->stop();
}

void Kestova::setTemperatureStatusInterval(int inMSec)
{
    temperatureStatusInterval = inMSec;
}

void Kestova::setTrayCheckInterval(int inMSec)
{
    trayCheckInterval = inMSec;
}

bool Kestova::indicatorRecord(int inMode, const IndicatorTimes &inTimes,
                              KyCommand::IndicatorRecord &outRecord)
{
    enum { kA = 0, kB = 1, kC = 2, kOnA = 3, kOffA = 4, kOnB = 5, kOffB = 6, kOnC = 7, kOffC = 8 };
    KyCommand::IndicatorRecord record{255, 255, 255, 50, 50, 50, 50, 50, 50};
    switch (inMode) {
    case 0:
        record[kA] = 1;
        record[kOnA] = inTimes.notReadyOn;
        record[kOffA] = inTimes.notReadyOff;
        break;
    case 1:
        record[kA] = 2;
        record[kC] = 0;
        break;
    case 2:
        record[kC] = 2;
        break;
    case 3:
    case 7:
        record[kC] = 0;
        break;
    case 4:
        record[kA] = 1;
        record[kOnA] = inTimes.sleepOn;
        record[kOffA] = inTimes.sleepOff;
        break;
    case 5:
        record[kA] = 1;
        record[kOnA] = inTimes.shutdownOn;
        record[kOffA] = inTimes.shutdownOff;
        break;
    case 6:
        record[kC] = 1;
        record[kOnC] = inTimes.flashOn;
        record[kOffC] = inTimes.flashOff;
        break;
    case 8:
    case 10:
        record[kB] = 1;
        record[kOnB] = inTimes.errorOn;
        record[kOffB] = inTimes.errorOff;
        break;
    case 9:
        record[kB] = 0;
        break;
    default:
        return false;
    }
    outRecord = record;
    return true;
}

int Kestova::setIndicator(int inMode)
{
    KyCommand::IndicatorRecord record{};
    if (!indicatorRecord(inMode, IndicatorTimes::fromSettings(), record))
        return -1;
    return writeIndicatorRecord(record);
}

void Kestova::advanceSimulatedTray()
{
    simulatedTrayPosition = (simulatedTrayPosition + 1) % 4;
}

KyCommand::DeviceErrorRecord Kestova::lastDeviceError() const
{
    return KyCommand::DeviceErrorRecord{};
}

void Kestova::checkDeviceError(bool inForce)
{
    // A recorded error would go to the instrument's error hooks, which do nothing in this program;
    // only a forced check is visible.
    const KyCommand::DeviceErrorRecord record = lastDeviceError();
    Q_UNUSED(record);
    if (inForce)
        emit error();
}

int Kestova::GetCameraStatus(KyCommand::CameraStatusRecord &outRecord)
{
    return device->GetCameraStatus(outRecord);
}

int Kestova::writeIndicatorRecord(KyCommand::IndicatorRecord &inRecord)
{
    return device->writeIndicatorRecord(inRecord);
}

int Kestova::writeCoolingRecord(KyCommand::CoolingRecord &inRecord)
{
    return device->writeCoolingRecord(inRecord);
}

void Kestova::setDevice(KestovaDevice *inDevice)
{
    device = inDevice ? inDevice : &builtInDevice();
}

void Kestova::onTemperatureStatusTimerFired()
{
    KyCommand::CameraStatusRecord status{};
    if (GetCameraStatus(status) != 0) {
        emit temperatureStatusChanged(KyCommand::TempStatus(255));
        return;
    }
    const int current = status[1];
    if (current == temperatureStatus)
        return;
    temperatureStatus = current;
    setIndicator(current != 0 ? 1 : 0);
    emit temperatureStatusChanged(KyCommand::TempStatus(current));
}

void Kestova::onTrayCheckTimerFired()
{
    const int current = simulatedTrayPosition;
    if (current == trayPosition)
        return;
    trayPosition = current;
    emit trayPositionChanged(KyCommand::TrayPosition(current));
}
