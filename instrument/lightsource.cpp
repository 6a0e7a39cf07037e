#include "instrument/lightsource.h"

#include "core/systemsettings.h"
#include "instrument/instrumentnames.h"

#include <QStringList>

#include <iterator>
#include <limits>

namespace {

constexpr int kFirstWhiteLight = 5;

const QStringList &whiteLightNames()
{
    static const QStringList names = {
        QStringLiteral("Upper EPI White"),        QStringLiteral("Upper EPI White-Blue"),
        QStringLiteral("Upper EPI White-Green"),  QStringLiteral("Upper EPI White-Red"),
        QStringLiteral("Lower EPI White"),        QStringLiteral("Lower EPI White-Blue"),
        QStringLiteral("Lower EPI White-Green"),  QStringLiteral("Lower EPI White-Red"),
        QStringLiteral("Trans White"),            QStringLiteral("Trans White-Blue"),
        QStringLiteral("Trans White-Green"),      QStringLiteral("Trans White-Red"),
        QStringLiteral("Lower EPI White-Blue manual"),
        QStringLiteral("Lower EPI White-Green manual"),
        QStringLiteral("Lower EPI White-Red manual"),
    };
    return names;
}

const uint kLampCodes[] = {0, 4, 2, 1, 0x200,
                           0x20, 0x20, 0x20, 0x20,
                           0x40, 0x40, 0x40, 0x40,
                           0x100, 0x100, 0x100, 0x100,
                           0x8010, 0x8008, 0x8004};

quint16 settingTime(const char *inKey)
{
    return quint16(SystemSettings::instance()->uintValue(QLatin1String(inKey)));
}

} // namespace

LightSource::LightSource(int inIndex)
    : lightIndex(inIndex)
{
}

LightSource::LightSource(const QString &inName)
    : lightIndex(indexOfName(inName))
{
}

int LightSource::indexOfName(const QString &inName)
{
    const QStringList lights = InstrumentNames::lightNames();
    const qsizetype position = lights.indexOf(inName);
    if (position >= 0)
        return int(position);
    const qsizetype white = whiteLightNames().indexOf(inName);
    if (white >= 0)
        return int(lights.size() + white);
    if (inName == QLatin1String("Lower EPI White-Blue,Lower EPI White-Green,Lower EPI White-Red"))
        return 9;
    if (inName == QLatin1String("Upper EPI White-Blue,Upper EPI White-Green,Upper EPI White-Red"))
        return 5;
    if (inName == QLatin1String("Trans White-Blue,Trans White-Green,Trans White-Red"))
        return 13;
    return 0;
}

int LightSource::indexFromLampCode(uint inCode)
{
    switch (inCode) {
    case 4:
    case 0x8400:
        return 1;
    case 2:
    case 0x8200:
        return 2;
    case 1:
    case 0x8100:
        return 3;
    case 0x200:
    case 0x8800:
        return 4;
    case 0x20:
        return 5;
    case 0x8002:
        return 6;
    case 0x8001:
        return 7;
    case 0x8000:
        return 8;
    case 0x40:
        return 9;
    case 0x8010:
        return 10;
    case 0x8008:
        return 11;
    case 0x8004:
        return 12;
    case 0x100:
        return 13;
    case 0x8080:
        return 14;
    case 0x8040:
        return 15;
    case 0x8020:
        return 16;
    default:
        return 0;
    }
}

void LightSource::lightingTimes(uint inValue, int &outA, int &outB)
{
    // An exposure too long for the tick count is held at its largest value rather than wrapped.
    const quint64 ticks = quint64(inValue) * 10;
    const int value = ticks > quint64(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max()
                                                                      : int(ticks);
    outA = value;
    outB = value;
}

QString LightSource::name() const
{
    if (lightIndex < 0)
        return QString();
    // A light-name list shorter than the standard five leaves the missing names empty.
    if (lightIndex < kFirstWhiteLight)
        return InstrumentNames::lightNames().value(lightIndex);
    return whiteLightNames().value(lightIndex - kFirstWhiteLight);
}

uint LightSource::lampCode() const
{
    if (lightIndex < 0 || lightIndex >= int(std::size(kLampCodes)))
        return 0;
    return kLampCodes[lightIndex];
}

void LightSource::lightingTime(quint16 &outBlue, quint16 &outGreen, quint16 &outRed) const
{
    outBlue = 0;
    outGreen = 0;
    outRed = 0;
    switch (lightIndex) {
    case 5:
        outBlue = settingTime("EPI_Upper_WhiteRGBLightingTime_Blue");
        outGreen = settingTime("EPI_Upper_WhiteRGBLightingTime_Green");
        outRed = settingTime("EPI_Upper_WhiteRGBLightingTime_Red");
        break;
    case 6:
        outBlue = settingTime("Marker_EPI_Upper_LightingTime_Blue");
        break;
    case 7:
        outGreen = settingTime("Marker_EPI_Upper_LightingTime_Green");
        break;
    case 8:
        outRed = settingTime("Marker_EPI_Upper_LightingTime_Red");
        break;
    case 9:
        outBlue = settingTime("EPI_Lower_WhiteRGBLightingTime_Blue");
        outGreen = settingTime("EPI_Lower_WhiteRGBLightingTime_Green");
        outRed = settingTime("EPI_Lower_WhiteRGBLightingTime_Red");
        break;
    case 10:
        outBlue = settingTime("Marker_EPI_Lower_LightingTime_Blue");
        break;
    case 11:
        outGreen = settingTime("Marker_EPI_Lower_LightingTime_Green");
        break;
    case 12:
        outRed = settingTime("Marker_EPI_Lower_LightingTime_Red");
        break;
    case 13:
        outBlue = settingTime("Trans_WhiteRGBLightingTime_Blue");
        outGreen = settingTime("Trans_WhiteRGBLightingTime_Green");
        outRed = settingTime("Trans_WhiteRGBLightingTime_Red");
        break;
    case 14:
        outBlue = settingTime("Marker_Trans_LightingTime_Blue");
        break;
    case 15:
        outGreen = settingTime("Marker_Trans_LightingTime_Green");
        break;
    case 16:
        outRed = settingTime("Marker_Trans_LightingTime_Red");
        break;
    default:
        break;
    }
}
