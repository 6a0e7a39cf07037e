#pragma once

#include "testmain.h"

#include "analysis/kyautobandparametertable.h"
#include "core/lsettings.h"
#include "core/systemsettings.h"
#include "document/kydocument.h"
#include "samplepainter.h"

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

// The frame over the first inLanes of the sample tool's lanes. The sample's lanes lie under the
// analysis screen's default frame of SamplePainter::kLaneCount lanes, one lane each, and its bands
// run from the frame's top edge to its bottom edge.
inline void layLanes(KyDocument &ioDoc, int inLanes, double inWidthRatio)
{
    KyLaneFrame sample;
    sample.setDefault(SamplePainter::kLaneCount, SamplePainter::kLaneWidthRatio, ioDoc.ImageWidth(), ioDoc.ImageHeight());
    const int left = sample.topLeft().x();
    const double pitch = double(sample.topRight().x() - left) / SamplePainter::kLaneCount;
    const int right = left + int(std::lround(pitch * inLanes));
    const int top = sample.topLeft().y();
    const int bottom = sample.bottomLeft().y();
    layFrame(ioDoc, inLanes, inWidthRatio, left, top, right, bottom);
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
