#pragma once

#include "instrument/filtername.h"
#include "instrument/lightsource.h"

#include <QString>

// How one image was captured: a numeric id 0 to 60 that fixes the method, the light and the filter
// (61 is the invalid mode, "no mode"), and an extra value that, unless 255, overrides the binning.
class LightMode
{
public:
    static constexpr int kInvalidId = 61;
    static constexpr uint kNoExtra = 255;

    // The mode of an id. The custom fluorescence modes (5, 46, 53) take the custom light and
    // filter names; every other mode takes its names from the instrument's name lists. The extra
    // value is taken as an int so that a call with literal numbers, such as (0, "", "", 7), is
    // never mistaken for the constructor from names; it is kept unsigned.
    explicit LightMode(int inId = kInvalidId, const QString &inCustomLight = QString(),
                       const QString &inCustomFilter = QString(), int inExtra = kNoExtra);
    // A mode from its names, as an image's metadata items give them.
    LightMode(const QString &inMethodName, const QString &inLightName, const QString &inFilterName,
              int inId);

    int id() const { return modeId; }
    const QString &methodName() const { return method; }
    const LightSource &light() const { return lightSource; }
    const FilterName &filter() const { return filterName; }
    uint extra() const { return extraValue; }

    // The method-type name of the mode's group; "Dark", "Focus", or "???" for no group.
    QString methodTypeName() const;
    // "Fl-" and the method name for fluorescence, else the method name's first two characters.
    QString shortName() const;
    // 0 no tray (dark and invalid modes), 1 upper tray, 2 lower tray.
    int captureCategory() const;
    uint focusPosition() const;
    // The filter slot; 255 for the dark and invalid modes.
    int filterIndex() const;
    // Iris code: 1 "F0.85", 2 "F2.8"; 255 for the dark and invalid modes.
    int apertureCode() const;
    uint binningCode() const;
    int fixedCode() const { return 1; }
    qint16 offsetGradient() const;
    // The camera's exposure time for an exposure of inMSec: fluorescence modes other than 6 add the
    // shutter delay, white-light modes use the marker exposure time.
    uint exposureWithShutterDelay(uint inMSec) const;
    // The exposure back from the camera's time, never below 0.
    uint exposureWithoutShutterDelay(uint inMSec) const;

    bool isChemiluminescence() const;
    bool isFluorescence() const;
    bool isWhiteLight() const;
    bool isSpecial() const;
    bool isDark() const { return isSpecial(); }
    bool isFocus() const { return modeId == 58; }
    bool isId27Or28() const { return modeId == 27 || modeId == 28; }
    bool inIdRange29To47() const { return modeId >= 29 && modeId <= 47; }
    bool inIdRange48To54() const { return modeId >= 48 && modeId <= 54; }
    bool isUV() const { return modeId == 6 || modeId == 47 || modeId == 54; }
    bool isColourChannel() const;
    bool isUVChannel() const { return modeId == 6 || modeId == 54; }
    bool isCustomChannel() const { return modeId == 5 || modeId == 53; }
    bool isEpiWhite() const;
    bool isTransWhite() const;
    bool hasId(int inId) const { return modeId == inId; }

private:
    int modeId;
    QString method;
    LightSource lightSource;
    FilterName filterName;
    uint extraValue;
};
