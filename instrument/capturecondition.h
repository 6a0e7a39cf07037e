#pragma once

#include "instrument/lightmode.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// The instrument settings under which one image was captured: light mode, iris, filter, focus, lamp
// and lighting times, exposure, binning and readout window, camera gain and offsets, tray position,
// date and exposure mode. A plain value: copies copy every field.
class CaptureCondition
{
public:
    // The record of the invalid light mode: every number 0, no date, no exposure mode.
    CaptureCondition();
    // The record of a capture in a light mode with an exposure of inExposureMSec milliseconds.
    CaptureCondition(const LightMode &inLightMode, quint32 inExposureMSec, const QString &inExposureMode);

    // Binning names by binning index 0 to 6 (indices 5 and 6 repeat the names of 1 and 2).
    static const QStringList &binningNames();
    // Tray names by tray code: "None", "Upper", "Lower".
    static const QStringList &trayNames();
    // Iris names: "F0.85" (iris code 1), "F2.8".
    static const QStringList &irisNames();

    // Binning index of a binning code; 1 for an unknown code.
    static int binningIndexOfCode(uint inCode);
    // Binning index of a name (0 to 4); 1 for an unknown name.
    static int binningIndexOfName(const QString &inName);
    // Binning code of a name; 255 for an unknown name.
    static uint binningCodeOfName(const QString &inName);
    // Tray code of a capture category: 1 upper, 2 lower, else 0.
    static quint32 trayCodeOfCategory(int inCategory);
    // "yyyy:MM:dd hh:mm:ss"; empty for a null date.
    static QString dateTimeText(const QDateTime &inTime);
    static QDateTime dateTimeFromText(const QString &inText);

    const LightMode &lightMode() const { return m_lightMode; }
    quint8 iris() const { return m_iris; }
    quint8 filterPosition() const { return m_filterPosition; }
    quint16 focusPosition() const { return m_focusPosition; }
    quint16 lampCode() const { return m_lampCode; }
    quint16 redLightingTime() const { return m_redLightingTime; }
    quint16 greenLightingTime() const { return m_greenLightingTime; }
    quint16 blueLightingTime() const { return m_blueLightingTime; }
    qint32 lightingTicksA() const { return m_lightingTicksA; }
    qint32 lightingTicksB() const { return m_lightingTicksB; }
    quint8 modeClass() const { return m_modeClass; }
    quint8 binningCode() const { return m_binningCode; }
    quint8 specialMode() const { return m_specialMode; }
    quint32 shutterExposure() const { return m_shutterExposure; }
    quint16 roiX() const { return m_roiX; }
    quint16 roiWidth() const { return m_roiWidth; }
    quint16 roiY() const { return m_roiY; }
    quint16 roiHeight() const { return m_roiHeight; }
    quint8 fixedCode() const { return m_fixedCode; }
    quint16 gainCoefficient() const { return m_gainCoefficient; }
    quint16 offsetCoefficient() const { return m_offsetCoefficient; }
    quint16 offsetGradient() const { return m_offsetGradient; }
    quint16 ofdVoltage() const { return m_ofdVoltage; }
    quint32 trayPosition() const { return m_trayPosition; }
    quint32 fullFrame() const { return m_fullFrame; }
    const QDateTime &captureTime() const { return m_captureTime; }
    const QString &exposureMode() const { return m_exposureMode; }
    double auxValue() const { return m_auxValue; }
    bool auxFlag1() const { return m_auxFlag1; }
    bool auxFlag2() const { return m_auxFlag2; }

    const LightSource &lightSource() const { return m_lightMode.light(); }
    const FilterName &filterName() const { return m_lightMode.filter(); }
    void lightingTimes(quint16 &outBlue, quint16 &outGreen, quint16 &outRed) const;
    int binningIndex() const { return binningIndexOfCode(m_binningCode); }
    bool isIrisF2_8() const { return m_iris != 1; }
    // Readout size in binned pixels, from the binning code and the readout kind.
    int readoutWidth() const;
    int readoutHeight() const;
    // Micrometres per pixel, from the binning code and the tray.
    double pixelSize() const;
    // The exposure time read back: the camera's time without the shutter delay.
    quint32 exposureTime() const;

    // Takes the three times, then clears the parts a one-colour white light does not use.
    void setLightingTimes(quint16 inBlue, quint16 inGreen, quint16 inRed);
    void setExposureTime(quint32 inMSec);
    void setCaptureTime(const QDateTime &inTime) { m_captureTime = inTime; }
    void setFocusPosition(quint16 inValue) { m_focusPosition = inValue; }
    void setGainCoefficient(quint16 inValue) { m_gainCoefficient = inValue; }
    void setOffsetCoefficient(quint16 inValue) { m_offsetCoefficient = inValue; }
    void setOffsetGradient(quint16 inValue) { m_offsetGradient = inValue; }
    void setOfdVoltage(quint16 inValue) { m_ofdVoltage = inValue; }
    void setAuxValue(double inValue) { m_auxValue = inValue; }
    void setSpecialMode() { m_specialMode = 1; }
    // Each flag is set when its byte is 0 or below.
    void setAuxFlags(qint8 inFlag1, qint8 inFlag2);

    // The text of a field under the metadata item key it fills ("Pixel size", "Date time",
    // "Method", "Binning", "Exposure time", "Light", "Filter", "Tray position", "Iris",
    // "Gain coefficient", "Auto offset", "Auto offset gradient", "OFD voltage", "Exposure mode");
    // a null text for any other key.
    QString itemText(const QString &inKey) const;

private:
    LightMode m_lightMode;
    quint8 m_iris = 0;
    quint8 m_filterPosition = 0;
    quint16 m_focusPosition = 0;
    quint16 m_lampCode = 0;
    quint16 m_redLightingTime = 0;
    quint16 m_greenLightingTime = 0;
    quint16 m_blueLightingTime = 0;
    qint32 m_lightingTicksA = 0;
    qint32 m_lightingTicksB = 0;
    quint8 m_modeClass = 0;
    quint8 m_binningCode = 0;
    quint8 m_specialMode = 0;
    quint32 m_shutterExposure = 0;
    quint16 m_roiX = 0;
    quint16 m_roiWidth = 0;
    quint16 m_roiY = 0;
    quint16 m_roiHeight = 0;
    quint8 m_fixedCode = 0;
    quint16 m_gainCoefficient = 0;
    quint16 m_offsetCoefficient = 0;
    quint16 m_offsetGradient = 0;
    quint16 m_ofdVoltage = 0;
    quint32 m_trayPosition = 0;
    quint32 m_fullFrame = 0;
    QDateTime m_captureTime;
    QString m_exposureMode;
    double m_auxValue = 0.0;
    bool m_auxFlag1 = false;
    bool m_auxFlag2 = false;
};
