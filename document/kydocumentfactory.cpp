// Which kind of document a capture folder becomes, and whether a folder holds this instrument's
// images at all.

#include "document/kydocument.h"

#include "core/fileutility.h"
#include "core/ldir.h"
#include "core/systemsettings.h"
#include "document/kycapturefiles.h"
#include "document/kycapturesave.h"
#include "document/kycolorimetricdocument.h"
#include "document/kymultidocument.h"
#include "document/kysingledocument.h"
#include "image/tiffcodec.h"

#include <QMap>

#include <memory>

namespace {

const QString kInstrument = QStringLiteral("Brevik Ziredo 410");

// The metadata items of a capture file; empty when its header cannot be read.
QMap<QString, QString> itemsOf(const QString &inFolder, const QString &inName)
{
    QMap<QString, QString> items;
    if (!readTiffTags(LDir(inFolder).absoluteFilePath(inName), items))
        items.clear();
    return items;
}

// A lone capture file is colorimetric when its name's last "_" section says so ("..._Co.tif"), or
// when its method does (whatever its name).
bool isColorimetric(const QString &inFolder, const QString &inName)
{
    const QString tail = inName.section(QLatin1Char('_'), -1);
    if (tail.startsWith(QLatin1String("Co")))
        return true;
    return itemsOf(inFolder, inName)
        .value(QStringLiteral("Method"))
        .startsWith(QLatin1String("Colorimetric"), Qt::CaseInsensitive);
}

} // namespace

KyDocument *KyDocument::Create(const QString &inPath, QObject *inParent)
{
    // Every kind gets the folder in one form: "/" separators, no trailing "/", so that its last
    // section is the capture's name.
    const QString folder = FileUtility::SlashedFolder(inPath);
    // A save that was cut off is completed, or its staged files go, before the files are read.
    KyCaptureSave::Recover(folder);
    const QStringList names = KyCaptureFiles::CaptureFileNames(folder);
    if (names.isEmpty())
        return nullptr;

    std::unique_ptr<KyDocument> document;
    if (names.size() == 1) {
        if (isColorimetric(folder, names.first()))
            document = std::make_unique<KyColorimetricDocument>(folder, inParent);
        else
            document = std::make_unique<KySingleDocument>(folder, inParent);
        if (document->ImageCount() != 1)
            return nullptr;
    } else {
        const QString markerFile =
            SystemSettings::instance()->stringValue(QStringLiteral("Marker_GrayImageSuffix")) + QStringLiteral(".tif");
        bool withMarker = false;
        for (const QString &name : names) {
            if (name.endsWith(markerFile)) {
                withMarker = true;
                break;
            }
        }
        if (withMarker) {
            document = std::make_unique<KySingleDocument>(folder, inParent);
            if (document->ImageCount() != 2)
                return nullptr;
        } else {
            document = std::make_unique<KyMultiDocument>(folder, inParent);
            if (document->ValidImageCount() < 2) {
                document = std::make_unique<KySingleDocument>(folder, inParent);
                if (document->ImageCount() != 1)
                    return nullptr;
            }
        }
    }
    document->mBandsAtOpen = document->HasBands();
    return document.release();
}

bool KyDocument::IsInstrumentImage(const QString &inPath)
{
    const QString folder = FileUtility::SlashedFolder(inPath);
    const QStringList names = KyCaptureFiles::CaptureFileNames(folder);
    if (names.isEmpty())
        return false;
    QMap<QString, QString> items;
    if (!readTiffTags(LDir(folder).absoluteFilePath(names.first()), items))
        return false;
    return items.value(QStringLiteral("Instrument")).startsWith(kInstrument);
}
