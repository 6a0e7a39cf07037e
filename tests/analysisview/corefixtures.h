#pragma once

#include "../document/sampleanalysis.h"
#include "../document/testdocument.h"

#include "analysisview/kyanalysisview.h"
#include "core/kyviewmode.h"
#include "document/kycurrentdocument.h"
#include "document/kydocument.h"
#include "instrument/capturecondition.h"
#include "instrument/lightmode.h"
#include "samplecapturewriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Captures for the analysis screen, written by the sample tool and opened through the factory as
// the program opens them, and the attach the main window does.
namespace corefixtures {

// "gel", "marker", "fluor" or "color", opened as the program opens it.
inline std::unique_ptr<KyDocument> openCapture(const QTemporaryDir &inDir, const QString &inKind, int inWidth = 200,
                                               int inHeight = 300)
{
    const QString folder = SampleCaptureWriter(inWidth, inHeight, 7).Write(inKind, inDir.path() + QLatin1Char('/') + inKind);
    if (folder.isEmpty())
        return nullptr;
    return std::unique_ptr<KyDocument>(KyDocument::Create(folder));
}

// The fluorescence capture without its green channel: the blue and the red image, light modes 2
// and 4.
inline std::unique_ptr<KyDocument> openBlueRedCapture(const QTemporaryDir &inDir)
{
    const QString folder = SampleCaptureWriter(200, 300, 7).Write(QStringLiteral("fluor"), inDir.path() + QStringLiteral("/bluered"));
    if (folder.isEmpty())
        return nullptr;
    const QStringList greens = QDir(folder).entryList({QStringLiteral("*Green*")}, QDir::Files);
    for (const QString &file : greens)
        QFile::remove(folder + QLatin1Char('/') + file);
    return std::unique_ptr<KyDocument>(KyDocument::Create(folder));
}

inline ImageFile channelImage(int inLightMode, quint32 inExposureMSec)
{
    ImageFile image(CaptureCondition(LightMode(inLightMode), inExposureMSec, QString()));
    image.Resize(120, 160);
    quint16 *data = image.Data();
    for (int i = 0; i < 120 * 160; ++i)
        data[i] = quint16(1000 + (i % 120) * 50);
    image.UpdateHistogram();
    image.SetPixelSize(50.0);
    return image;
}

// Two fluorescence images whose first is neither the blue nor the green channel: a UV image
// (light mode 6) in slot 0 and the red channel (light mode 4) in slot 2.
inline std::unique_ptr<KyDocument> uvRedDocument()
{
    return std::make_unique<TestDocument>(QVector<ImageFile>{channelImage(6, 2500), ImageFile(), channelImage(4, 61500)});
}

// Makes the document current and attaches the screen to it, as the main window does after an open.
inline void attach(KyAnalysisView &ioView, KyDocument *inDocument)
{
    KyCurrentDocument::setDocument(inDocument);
    ioView.resetForDocument(true);
}

// Drops the busy reasons a test left behind (a job cut off by the end of its screen).
inline void clearBusy()
{
    for (int reason : KyViewMode::instance()->busyReasons())
        KyViewMode::instance()->unsetBusy(KyViewMode::EBusyReason(reason));
}

} // namespace corefixtures
