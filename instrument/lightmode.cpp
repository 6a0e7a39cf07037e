#include "instrument/lightmode.h"

#include "core/systemsettings.h"
#include "instrument/instrumentnames.h"

#include <QStringList>

#include <cmath>
#include <limits>

namespace {

bool between(int inValue, int inLow, int inHigh)
{
    return inValue >= inLow && inValue <= inHigh;
}

// The fluorescence channel list (0 blue, 1 green, 2 red, 3 custom, 4 UV) of a fluorescence id.
int fluorescenceChannel(int inId)
{
    if (between(inId, 2, 6))
        return inId - 2;
    if (between(inId, 43, 47))
        return inId - 43;
    return inId - 50;
}

// The white-light index (5 to 16) of a white-light id.
int whiteLightIndex(int inId)
{
    if (between(inId, 7, 18))
        return inId - 2;
    if (between(inId, 19, 26))
        return inId - 14;
    return inId - 26;
}

SystemSettings *settings()
{
    return SystemSettings::instance();
}

qint64 shutterDelay()
{
    return settings()->intValue(QStringLiteral("ExposureShutterDelayMSec"));
}

uint clampToUInt(qint64 inValue)
{
    if (inValue < 0)
        return 0;
    if (inValue > qint64(std::numeric_limits<uint>::max()))
        return std::numeric_limits<uint>::max();
    return uint(inValue);
}

} // namespace

LightMode::LightMode(int inId, const QString &inCustomLight, const QString &inCustomFilter, int inExtra)
    : modeId(inId)
    , lightSource(0)
    , filterName(QStringLiteral("Through"))
    , extraValue(uint(inExtra))
{
    if (modeId == kInvalidId)
        return;

    QStringList list;
    if (isChemiluminescence()) {
        list = InstrumentNames::chemiluminescenceMethods();
    } else if (isFluorescence()) {
        list = InstrumentNames::fluorescenceMethods(fluorescenceChannel(modeId));
    } else if (isWhiteLight()) {
        list = InstrumentNames::colorimetricMethods();
    } else if (isSpecial()) {
        list = QStringList{QStringLiteral("Dark"), QStringLiteral("None"), QStringLiteral("Through")};
    } else if (isFocus()) {
        list = QStringList{QStringLiteral("Focus"), QStringLiteral("Lower EPI White-Green manual"),
                           QStringLiteral("Through")};
    } else {
        return;
    }
    // A method list cut short in "Method.ini" leaves the missing names empty.
    while (list.size() < 3)
        list.append(QString());
    if (isFluorescence() && fluorescenceChannel(modeId) == 3) {
        list[1] = inCustomLight;
        list[2] = inCustomFilter;
    } else if (isWhiteLight()) {
        list[1] = LightSource(whiteLightIndex(modeId)).name();
    }
    method = list.at(0);
    lightSource = LightSource(list.at(1));
    filterName = FilterName(list.at(2));
}

LightMode::LightMode(const QString &inMethodName, const QString &inLightName,
                     const QString &inFilterName, int inId)
    : modeId(inId)
    , method(inMethodName)
    , lightSource(inLightName)
    , filterName(inFilterName)
    , extraValue(kNoExtra)
{
}

bool LightMode::isChemiluminescence() const
{
    switch (modeId) {
    case 0: case 1: case 27: case 28: case 29: case 30: case 48: case 49: case 59: case 60:
        return true;
    default:
        return false;
    }
}

bool LightMode::isFluorescence() const
{
    return between(modeId, 2, 6) || between(modeId, 43, 47) || between(modeId, 50, 54);
}

bool LightMode::isWhiteLight() const
{
    return between(modeId, 7, 26) || between(modeId, 31, 42);
}

bool LightMode::isSpecial() const
{
    return between(modeId, 55, 57);
}

bool LightMode::isColourChannel() const
{
    return between(modeId, 2, 4) || between(modeId, 50, 52);
}

bool LightMode::isEpiWhite() const
{
    return between(modeId, 7, 14) || between(modeId, 19, 26);
}

bool LightMode::isTransWhite() const
{
    return between(modeId, 15, 18) || between(modeId, 39, 42);
}

QString LightMode::methodTypeName() const
{
    if (isChemiluminescence())
        return InstrumentNames::methodTypeNames().value(0);
    if (isFluorescence())
        return InstrumentNames::methodTypeNames().value(1);
    if (isWhiteLight())
        return InstrumentNames::methodTypeNames().value(2);
    if (isDark())
        return QStringLiteral("Dark");
    if (isFocus())
        return QStringLiteral("Focus");
    return QStringLiteral("???");
}

QString LightMode::shortName() const
{
    if (isFluorescence())
        return QStringLiteral("Fl-") + method;
    return method.left(2);
}

int LightMode::captureCategory() const
{
    if (isDark() || modeId == kInvalidId)
        return 0;
    switch (modeId) {
    case 0: case 7: case 8: case 9: case 10: case 19: case 20: case 21: case 22:
    case 27: case 29: case 48: case 59:
        return 1;
    default:
        return 2;
    }
}

uint LightMode::focusPosition() const
{
    if (isDark() || modeId == kInvalidId)
        return 0;
    if (isFocus())
        return settings()->uintValue(QStringLiteral("FocusPosition_Lower_Colorimetric"));
    const int category = captureCategory();
    if (isWhiteLight()) {
        if (category == 1)
            return settings()->uintValue(QStringLiteral("FocusPosition_Upper_Colorimetric"));
        if (category == 2)
            return settings()->uintValue(QStringLiteral("FocusPosition_Lower_Colorimetric"));
        return 0;
    }
    QList<unsigned int> positions;
    if (category == 1)
        positions = settings()->uintListValue(QStringLiteral("FocusPositions_Upper"));
    else if (category == 2)
        positions = settings()->uintListValue(QStringLiteral("FocusPositions_Lower"));
    const int entry = filterName.index() - 1;
    if (entry < 0 || entry > 4 || entry >= positions.size())
        return 0;
    return positions.at(entry);
}

int LightMode::filterIndex() const
{
    if (isDark() || modeId == kInvalidId)
        return 255;
    return filterName.index();
}

int LightMode::apertureCode() const
{
    if (isDark() || modeId == kInvalidId)
        return 255;
    if (between(modeId, 19, 26))
        return 1;
    const int light = lightSource.index();
    const bool excitationAtF085 =
        between(light, 1, 3) && !settings()->boolValue(QStringLiteral("FluorRGB_F2_8"));
    return light != 0 && !isFocus() && !excitationAtF085 ? 2 : 1;
}

uint LightMode::binningCode() const
{
    if (extraValue != kNoExtra)
        return extraValue;
    if (isFocus())
        return settings()->uintValue(QStringLiteral("Focus_BinningType"));
    if (inIdRange48To54() || modeId == 57)
        return 3;
    if (modeId == 0 || modeId == 27 || modeId == 56 || modeId == 60)
        return 2;
    return 1;
}

qint16 LightMode::offsetGradient() const
{
    const double value = std::trunc(settings()->doubleValue(QStringLiteral("OffsetGradient")));
    if (std::isnan(value))
        return 0;
    if (value <= std::numeric_limits<qint16>::min())
        return std::numeric_limits<qint16>::min();
    if (value >= std::numeric_limits<qint16>::max())
        return std::numeric_limits<qint16>::max();
    return qint16(value);
}

uint LightMode::exposureWithShutterDelay(uint inMSec) const
{
    if (modeId == kInvalidId)
        return 0;
    if (isFluorescence() && modeId != 6)
        return clampToUInt(qint64(inMSec) + shutterDelay());
    if (isWhiteLight())
        return settings()->uintValue(QStringLiteral("Marker_ExposureMSec"));
    return inMSec;
}

uint LightMode::exposureWithoutShutterDelay(uint inMSec) const
{
    if (modeId == kInvalidId)
        return 0;
    if (!isFluorescence() || modeId == 6)
        return inMSec;
    return clampToUInt(qint64(inMSec) - shutterDelay());
}
