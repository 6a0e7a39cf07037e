#pragma once

#include "../document/sampleanalysis.h"

#include "document/kycurrentdocument.h"
#include "document/kydocument.h"
#include "document/kymultidocument.h"
#include "document/kysingledocument.h"
#include "samplecapturewriter.h"

#include <QAbstractItemModelTester>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Analysed sample captures for the result views: written by the sample tool, analysed through the
// document API the way a user does it (the sample's five lanes, rolling ball, "Medium" detection,
// the first band of lanes 2 to 4 as references, lane 1 of the first channel as the MW ladder).
namespace resultfixtures {

inline const QString kStandard = QStringLiteral("Protein 9-225");

// The three-channel kind with the state the views read open to the tests.
class ProbeMultiDocument : public KyMultiDocument
{
public:
    using KyMultiDocument::KyMultiDocument;
    void setNormalization(int inLane, double inValue) { mNormalization[inLane] = inValue; }
    KyLaneFrame &laneFrame() { return mLaneFrame; }
};

inline QString writeCapture(const QTemporaryDir &inDir, const QString &inKind, quint64 inSeed = 7)
{
    return SampleCaptureWriter(400, 600, inSeed).Write(inKind, inDir.path() + QLatin1Char('/') + inKind);
}

inline void analyse(KyDocument &ioDoc, int inChannels)
{
    sampleanalysis::useShippedData();
    sampleanalysis::layLanes(ioDoc, SamplePainter::kLaneCount, 0.7);
    ioDoc.ExtractLaneProfiles();
    ioDoc.ApplyBackground(3, 3, true);
    ioDoc.DetectBands(inChannels, sampleanalysis::detectionSet(QStringLiteral("Medium"), false),
                      sampleanalysis::detectionSet(QStringLiteral("Medium"), true));
    for (int c = 0; c < 3; ++c) {
        const bool analysed = inChannels > 2 ? (inChannels & (1 << c)) != 0 : inChannels == c;
        for (int lane = 1; analysed && lane <= 3; ++lane)
            sampleanalysis::markReference(ioDoc, c, lane, 0);
    }
    ioDoc.SetMWStandard(KyMwStandard(kStandard));
    ioDoc.SetMWStandardLane(0, 0);
    ioDoc.ComputeNormalization();
}

// The fluorescence capture, three channels analysed.
inline std::unique_ptr<ProbeMultiDocument> fluorDocument(const QTemporaryDir &inDir)
{
    const QString folder = writeCapture(inDir, QStringLiteral("fluor"));
    if (folder.isEmpty())
        return nullptr;
    auto document = std::make_unique<ProbeMultiDocument>(folder);
    analyse(*document, 0x87);
    return document;
}

// A one-image capture ("gel"), or the colorimetric one with its OD parameter ("color").
inline std::unique_ptr<KyDocument> singleDocument(const QTemporaryDir &inDir, const QString &inKind)
{
    const QString folder = writeCapture(inDir, inKind);
    if (folder.isEmpty())
        return nullptr;
    std::unique_ptr<KyDocument> document(KyDocument::Create(folder));
    if (document)
        analyse(*document, 0);
    return document;
}

} // namespace resultfixtures
