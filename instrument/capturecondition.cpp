#include "instrument/capturecondition.h"

#include "instrument/kestova.h"
#include "core/systemsettings.h"
#include "instrument/exposuretext.h"

#include <iterator>

namespace {

// The camera's readout by binning index.
struct BinningRow
{
    quint8 code;
    quint16 croppedWidth, croppedHeight; // fullFrame 0
    quint16 fullWidth, fullHeight;       // fullFrame not 0
    quint16 croppedRoiY;
    double upperPixelSize, otherPixelSize; // micrometres
};

const BinningRow kBinning[] = {
    {0, 2048, 2816, 2046, 3072, 128, 40.4, 79.9},
    {1, 1024, 1408, 1024, 1536, 64, 80.8, 159.8},
    {2, 512, 704, 512, 768, 32, 161.7, 319.6},
    {3, 256, 352, 256, 384, 16, 323.3, 639.2},
    {7, 128, 176, 128, 192, 8, 646.7, 1278.5},
    {10, 512, 768, 512, 768, 0, 161.7, 319.6},
    {11, 256, 384, 256, 384, 0, 323.3, 639.2},
};

// Binning names reach only the first five rows.
constexpr int kNamedBinningRows = 5;

const QString kDateTimeFormat = QStringLiteral("yyyy:MM:dd hh:mm:ss");

SystemSettings *settings()
{
    return SystemSettings::instance();
}

} // namespace

const QStringList &CaptureCondition::binningNames()
{
    static const QStringList names = {QStringLiteral("H1V1"), QStringLiteral("H2V1"), QStringLiteral("H4V2"),
                                      QStringLiteral("H8V4"), QStringLiteral("H16V8"), QStringLiteral("H2V1"),
                                      QStringLiteral("H4V2")};
    return names;
}

const QStringList &CaptureCondition::trayNames()
{
    static const QStringList names = {QStringLiteral("None"), QStringLiteral("Upper"), QStringLiteral("Lower")};
    return names;
}

const QStringList &CaptureCondition::irisNames()
{
    static const QStringList names = {QStringLiteral("F0.85"), QStringLiteral("F2.8")};
    return names;
}

int CaptureCondition::binningIndexOfCode(uint inCode)
{
    for (int i = 0; i < int(std::size(kBinning)); ++i) {
        if (kBinning[i].code == inCode)
            return i;
    }
    return 1;
}

int CaptureCondition::binningIndexOfName(const QString &inName)
{
    const qsizetype index = binningNames().indexOf(inName);
    return index >= 0 && index < kNamedBinningRows ? int(index) : 1;
}

uint CaptureCondition::binningCodeOfName(const QString &inName)
{
    const qsizetype index = binningNames().indexOf(inName);
    return index >= 0 && index < kNamedBinningRows ? kBinning[index].code : 255;
}

quint32 CaptureCondition::trayCodeOfCategory(int inCategory)
{
    return inCategory == 1 || inCategory == 2 ? quint32(inCategory) : 0;
}

QString CaptureCondition::dateTimeText(const QDateTime &inTime)
{
    return inTime.isNull() ? QString() : inTime.toString(kDateTimeFormat);
}

QDateTime CaptureCondition::dateTimeFromText(const QString &inText)
{
    return QDateTime::fromString(inText, kDateTimeFormat);
}

CaptureCondition::CaptureCondition()
    : m_lightMode(LightMode::kInvalidId, QString(), QString(), LightMode::kNoExtra)
    , m_auxFlag2(true)
{
}

CaptureCondition::CaptureCondition(const LightMode &inLightMode, quint32 inExposureMSec,
                                   const QString &inExposureMode)
    : m_lightMode(inLightMode)
    , m_exposureMode(inExposureMode)
{
    if (m_lightMode.id() == LightMode::kInvalidId)
        return;

    m_trayPosition = trayCodeOfCategory(m_lightMode.captureCategory());
    const LightSource &light = m_lightMode.light();
    m_lampCode = quint16(light.lampCode());
    light.lightingTime(m_blueLightingTime, m_greenLightingTime, m_redLightingTime);
    int ticksA = 0;
    int ticksB = 0;
    LightSource::lightingTimes(inExposureMSec, ticksA, ticksB);
    m_lightingTicksA = ticksA;
    m_lightingTicksB = ticksB;

    if (!Kestova::instance()->statusFlag11() && m_lightMode.filter().name() == QLatin1String("Through"))
        m_filterPosition = 255;
    else
        m_filterPosition = quint8(m_lightMode.filterIndex());
    m_focusPosition = m_lightMode.isFocus() ? 0 : quint16(m_lightMode.focusPosition());
    m_iris = quint8(m_lightMode.apertureCode());
    m_modeClass = m_lightMode.isId27Or28() ? 1 : m_lightMode.isFocus() ? 4 : 0;
    m_binningCode = quint8(m_lightMode.binningCode());
    m_specialMode = m_lightMode.isSpecial() ? 1 : 0;
    m_shutterExposure = m_lightMode.exposureWithShutterDelay(inExposureMSec);

    const BinningRow &row = kBinning[binningIndex()];
    m_roiWidth = m_fullFrame ? row.fullWidth : row.croppedWidth;
    m_roiHeight = m_fullFrame ? row.fullHeight : row.croppedHeight;
    m_roiX = 0;
    m_roiY = m_lightMode.isFocus() || m_fullFrame ? 0 : row.croppedRoiY;

    m_fixedCode = quint8(m_lightMode.fixedCode());
    m_gainCoefficient = quint16(settings()->uintValue(QStringLiteral("GainCoefficient")));
    m_offsetCoefficient = quint16(settings()->uintValue(QStringLiteral("OffsetCoefficient")));
    m_ofdVoltage = quint16(settings()->uintValue(QStringLiteral("OFDVoltage")));
    m_offsetGradient = quint16(m_lightMode.offsetGradient());
}

void CaptureCondition::lightingTimes(quint16 &outBlue, quint16 &outGreen, quint16 &outRed) const
{
    outBlue = m_blueLightingTime;
    outGreen = m_greenLightingTime;
    outRed = m_redLightingTime;
}

int CaptureCondition::readoutWidth() const
{
    const BinningRow &row = kBinning[binningIndex()];
    return m_fullFrame ? row.fullWidth : row.croppedWidth;
}

int CaptureCondition::readoutHeight() const
{
    const BinningRow &row = kBinning[binningIndex()];
    return m_fullFrame ? row.fullHeight : row.croppedHeight;
}

double CaptureCondition::pixelSize() const
{
    const BinningRow &row = kBinning[binningIndex()];
    return m_trayPosition == 1 ? row.upperPixelSize : row.otherPixelSize;
}

quint32 CaptureCondition::exposureTime() const
{
    return m_lightMode.exposureWithoutShutterDelay(m_shutterExposure);
}

void CaptureCondition::setLightingTimes(quint16 inBlue, quint16 inGreen, quint16 inRed)
{
    m_blueLightingTime = inBlue;
    m_greenLightingTime = inGreen;
    m_redLightingTime = inRed;
    switch (m_lightMode.light().index()) {
    case 6: case 10: case 14:
        m_greenLightingTime = 0;
        m_redLightingTime = 0;
        break;
    case 7: case 11: case 15:
        m_blueLightingTime = 0;
        m_redLightingTime = 0;
        break;
    case 8: case 12: case 16:
        m_blueLightingTime = 0;
        m_greenLightingTime = 0;
        break;
    default:
        break;
    }
}

void CaptureCondition::setExposureTime(quint32 inMSec)
{
    m_shutterExposure = m_lightMode.exposureWithShutterDelay(inMSec);
    int ticksA = 0;
    int ticksB = 0;
    LightSource::lightingTimes(inMSec, ticksA, ticksB);
    m_lightingTicksA = ticksA;
    m_lightingTicksB = ticksB;
}

void CaptureCondition::setAuxFlags(qint8 inFlag1, qint8 inFlag2)
{
    m_auxFlag1 = inFlag1 <= 0;
    m_auxFlag2 = inFlag2 <= 0;
}

QString CaptureCondition::itemText(const QString &inKey) const
{
    if (inKey == QLatin1String("Pixel size"))
        return QString::number(pixelSize(), 'g', 6);
    if (inKey == QLatin1String("Date time"))
        return dateTimeText(m_captureTime);
    if (inKey == QLatin1String("Method"))
        return m_lightMode.methodName();
    if (inKey == QLatin1String("Binning"))
        return binningNames().at(binningIndex());
    if (inKey == QLatin1String("Exposure time"))
        return exposureTimeText(exposureTime());
    if (inKey == QLatin1String("Light"))
        return m_lightMode.light().name();
    if (inKey == QLatin1String("Filter"))
        return m_lightMode.filter().name();
    if (inKey == QLatin1String("Tray position"))
        return m_trayPosition < quint32(trayNames().size()) ? trayNames().at(m_trayPosition) : QString();
    if (inKey == QLatin1String("Iris"))
        return irisNames().at(isIrisF2_8() ? 1 : 0);
    if (inKey == QLatin1String("Gain coefficient"))
        return QString::number(m_gainCoefficient);
    if (inKey == QLatin1String("Auto offset"))
        return QString::number(m_offsetCoefficient);
    if (inKey == QLatin1String("Auto offset gradient"))
        return QString::number(m_offsetGradient);
    if (inKey == QLatin1String("OFD voltage"))
        return QString::number(m_ofdVoltage);
    if (inKey == QLatin1String("Exposure mode"))
        return m_exposureMode;
    return QString();
}
