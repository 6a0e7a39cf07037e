#pragma once

#include "testmain.h"

#include "analysis/kyautobandparametertable.h"
#include "core/lsettings.h"
#include "core/systemsettings.h"
#include "document/kydocument.h"

#include <QMutexLocker>
#include <QPoint>
#include <QVariant>

#include <cmath>

// The analysis steps a user takes on a capture made by the sample tool, with the program's shipped
// band-detection sets and molecular-weight standards.
namespace sampleanalysis {

inline void setSystemSetting(const QString &inKey, const QVariant &inValue)
{
    LSettings *store = SystemSettings::instance()->settingsStore();
    QMutexLocker lock(&store->mutex());
    store->setValue(inKey, inValue);
}

// Tests run far from the program's folder: the settings point at the files the program ships.
inline void useShippedData()
{
    const QString data = kytest::sourceDir() + QStringLiteral("/data/");
    setSystemSetting(QStringLiteral("MWStandardFilePath"), data + QStringLiteral("MW/"));
    setSystemSetting(QStringLiteral("AutoBandParameterFilePath"), data + QStringLiteral("Settings/AutoBand.txt"));
}

// The frame over the first inLanes of the sample tool's eight lanes: they start 6 % of the width
// from the left and take 11 % of it each, and run from 3 % to 97 % of the height.
inline void layLanes(KyDocument &ioDoc, int inLanes, double inWidthRatio)
{
    ioDoc.SetDefaultLanes(inLanes, inWidthRatio);
    const int width = ioDoc.ImageWidth();
    const int height = ioDoc.ImageHeight();
    const int left = int(std::lround(0.06 * width));
    const int right = int(std::lround((0.06 + 0.11 * inLanes) * width)) - 1;
    const int top = int(std::lround(0.03 * height));
    const int bottom = int(std::lround(0.97 * height)) - 1;
    const KyLaneFrame frame = ioDoc.LaneFrame();
    ioDoc.MoveLaneCorner(1, QPoint(left, top) - frame.topLeft());
    ioDoc.MoveLaneCorner(2, QPoint(right, top) - frame.topRight());
    ioDoc.MoveLaneCorner(3, QPoint(left, bottom) - frame.bottomLeft());
    ioDoc.MoveLaneCorner(4, QPoint(right, bottom) - frame.bottomRight());
}

// A frame of inLanes lanes from column inLeft to inRight and row inTop to inBottom.
inline void layFrame(KyDocument &ioDoc, int inLanes, double inWidthRatio, int inLeft, int inTop, int inRight,
                     int inBottom)
{
    ioDoc.SetDefaultLanes(inLanes, inWidthRatio);
    ioDoc.MoveLaneCorner(1, QPoint(inLeft, inTop) - ioDoc.LaneFrame().topLeft());
    ioDoc.MoveLaneCorner(2, QPoint(inRight, inTop) - ioDoc.LaneFrame().topRight());
    ioDoc.MoveLaneCorner(3, QPoint(inLeft, inBottom) - ioDoc.LaneFrame().bottomLeft());
    ioDoc.MoveLaneCorner(4, QPoint(inRight, inBottom) - ioDoc.LaneFrame().bottomRight());
}

// The shipped parameter set of that name: the default one, or the one for marker lanes.
inline KyBandDetectParameter detectionSet(const QString &inName, bool inMarker)
{
    KyAutoBandParameterTable *table = KyAutoBandParameterTable::instance();
    return table->parameter(inMarker ? 1 : 0, table->indexOf(inName));
}

// Marks band inBand of a lane as a normalisation reference; false when there is no such band.
inline bool markReference(KyDocument &ioDoc, int inChannel, int inLane, int inBand)
{
    if (inBand >= ioDoc.BandCount(inChannel, inLane))
        return false;
    KyBandInfo band = ioDoc.Band(inChannel, inLane, inBand);
    band.setNormalizationReference(true);
    return ioDoc.ReplaceBand(inChannel, inLane, inBand, band);
}

} // namespace sampleanalysis
