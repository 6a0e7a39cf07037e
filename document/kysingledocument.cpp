#include "document/kysingledocument.h"

#include "document/kysafefile.h"
#include "platform/logcategories.h"

#include "core/analysissettings.h"
#include "core/fileutility.h"
#include "core/kyconcurrent.h"
#include "core/lfile.h"
#include "core/systemsettings.h"

#include <QColor>
#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QFileInfo>
#include <QTextStream>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// Results of Save and SaveAs.
constexpr int kSaved = 0;
constexpr int kEmptyName = -13;
constexpr int kSampleNotWritten = -14;
constexpr int kMarkerNotWritten = -15; // also every other failure
constexpr int kNoMarkerPhoto = -20;
constexpr int kNoOverlay = -21;
constexpr int kOverlayNotWritten = -22;
constexpr int kMarkerPhotoNotWritten = -23;

constexpr int kMarkerChannel = 1;
constexpr int kChannelMaskWithMarker = 0x83;
constexpr quint16 kSaturated = 65535;
// A colour photo that changed (a rotation) is encoded once more; keep what can be kept.
constexpr int kChangedPhotoQuality = 95;
constexpr int kDefaultJpegQuality = -1;

const QString kInvert = QStringLiteral("Invert");

QString grayImageSuffix()
{
    return SystemSettings::instance()->stringValue(QStringLiteral("Marker_GrayImageSuffix"));
}

QString overlaidImageSuffix()
{
    return SystemSettings::instance()->stringValue(QStringLiteral("Marker_OverlaidImageSuffix"));
}

QImage rgb888(const QImage &inImage)
{
    return inImage.format() == QImage::Format_RGB888 ? inImage : inImage.convertToFormat(QImage::Format_RGB888);
}

// The part of a composition one pool task works on: the blend with the marker photo over the
// area both images cover, then the saturated pixels of the sample in their colour.
struct BlendPiece
{
    const ImageFile *sample; // null: no saturated-pixel colour
    uchar red;
    uchar green;
    uchar blue;

    void operator()(KySingleDocument::Comp &ioPiece) const
    {
        const int width = ioPiece.Width();
        const int blendBytes = std::min(width, ioPiece.second->width()) * 3;
        const int blendRows = ioPiece.second->height();
        const int sampleWidth = sample ? std::min(width, sample->Width()) : 0;
        const int sampleRows = sample ? sample->Height() : 0;
        for (int y = ioPiece.firstRow; y <= ioPiece.lastRow; ++y) {
            uchar *target = ioPiece.TargetRow(y);
            if (y < blendRows) {
                const uchar *second = ioPiece.SecondRow(y);
                for (int i = 0; i < blendBytes; ++i)
                    target[i] = KySingleDocument::BlendByte(target[i], second[i]);
            }
            if (y < sampleRows) {
                const quint16 *values = sample->ConstData() + qsizetype(y) * sample->Width();
                for (int x = 0; x < sampleWidth; ++x) {
                    if (values[x] == kSaturated) {
                        target[3 * x] = red;
                        target[3 * x + 1] = green;
                        target[3 * x + 2] = blue;
                    }
                }
            }
        }
    }
};

} // namespace

// ---- Construction ------------------------------------------------------------------------------

KySingleDocument::KySingleDocument(QObject *inParent) : KyDocument(inParent)
{
    mSampleImageList.resize(1);
}

KySingleDocument::KySingleDocument(const QString &inPath, QObject *inParent)
    : KyDocument(FileUtility::SlashedFolder(inPath), inParent)
{
    if (Load(inPath)) {
        ReadAnalysisMetadata();
        SetDirty(false);
    }
}

KySingleDocument::~KySingleDocument()
{
    mMarkerColorImage = QImage();
    mMarkerImageList.clear();
}

bool KySingleDocument::Load(const QString &inPath)
{
    const QString path = FileUtility::SlashedFolder(inPath);
    const QString base = path + QLatin1Char('/') + path.section(QLatin1Char('/'), -1);

    ImageFile sample;
    if (!ImageFile::Read(base + QLatin1String(".tif"), sample))
        return false;
    mSampleImageList.append(sample);

    const QString gray = grayImageSuffix();
    const QString overlaid = overlaidImageSuffix();

    const auto fileName = [](const QString &inPath) { return inPath.section(QLatin1Char('/'), -1); };
    const QString markerFile = base + gray + QLatin1String(".tif");
    const bool markerCapture = QFileInfo::exists(markerFile);
    if (markerCapture) {
        ImageFile marker;
        if (ImageFile::Read(markerFile, marker))
            mSampleImageList.append(marker);
        else
            mUnreadFiles.append(fileName(markerFile));
    }

    // The photos are kept as read as well: written back unchanged, they are never re-encoded.
    QByteArray bytes;
    const QString photoFile = base + gray + QLatin1String(".jpg");
    if (QFileInfo::exists(photoFile) && KySafeFile::Read(photoFile, bytes)) {
        const QImage photo = QImage::fromData(bytes);
        if (!photo.isNull()) {
            mMarkerColorImage = rgb888(photo);
            mMarkerColorBytes = bytes;
            mHasMarker = true;
        }
    }
    if (markerCapture && !mHasMarker) {
        mUnreadFiles.append(fileName(photoFile));
        // The grey image alone makes the marker; the images are all the analysis needs.
        if (mSampleImageList.size() >= 2) {
            mMarkerColorImage = rgb888(mSampleImageList[1].ToIndexed8(false));
            SetResolution(mMarkerColorImage, DotsPerMeter());
            mMarkerPhotoStandIn = true;
            mHasMarker = true;
        }
    }

    const QString overlayFile = base + overlaid + QLatin1String(".jpg");
    if (QFileInfo::exists(overlayFile) && KySafeFile::Read(overlayFile, bytes)) {
        const QImage overlay = QImage::fromData(bytes);
        if (!overlay.isNull()) {
            delete mColorImage;
            mColorImage = new QImage(rgb888(overlay));
            mOverlayBytes = bytes;
            mColorImageMarked = false;
        }
    }
    return true;
}

// ---- KyDocument --------------------------------------------------------------------------------

void KySingleDocument::SetSampleImage(int inChannel, const ImageFile &inImage)
{
    Q_UNUSED(inChannel);
    Q_UNUSED(inImage);
}

void KySingleDocument::SetColorChannelImage(int inChannel, const ImageFile &inImage)
{
    Q_UNUSED(inChannel);
    Q_UNUSED(inImage);
}

QImage KySingleDocument::ColorImage(const QRect &inRect)
{
    if (mHasMarker && !mColorImage) {
        bool marked = false;
        mColorImage = MakeOverlay(true, marked);
        mColorImageMarked = marked;
    }
    if (!mColorImage) {
        qCDebug(lcDocument, "KySingleDocument::ColorImage(): There is no color image.");
        return QImage();
    }
    return inRect.isEmpty() ? *mColorImage : mColorImage->copy(inRect);
}

int KySingleDocument::ChannelMask() const
{
    return mHasMarker ? kChannelMaskWithMarker : 0;
}

QImage KySingleDocument::qImage(int inChannel, const QRect &inRect)
{
    if (inChannel < 0 || inChannel >= ImageCount()) {
        qCDebug(lcDocument, "KySingleDocument::qImage(): channel is out of range.");
        return QImage();
    }
    if (inChannel == 0)
        return KyDocument::qImage(0, inRect);
    if (inChannel != kMarkerChannel || !MarkerPhotoReady())
        return QImage();
    return inRect.isEmpty() ? mMarkerColorImage : mMarkerColorImage.copy(inRect);
}

QStringList KySingleDocument::SaveFileNames(const QString &inPrefix) const
{
    const QStringList names = KyDocument::SaveFileNames(inPrefix);
    if (!mHasMarker || names.isEmpty())
        return names;
    // The marker's files lie in the sample's part folders, named after them: the names of a save
    // are the sample's.
    return names.mid(0, SplitPartNames(QString(), QString()).size());
}

bool KySingleDocument::HasMarker() const
{
    return mHasMarker;
}

void KySingleDocument::RotateRight()
{
    Rotate(true);
}

void KySingleDocument::RotateLeft()
{
    Rotate(false);
}

void KySingleDocument::Rotate(bool inRight)
{
    if (mHasMarker && mSampleImageList.size() < 2)
        BuildMarkerGrayImage();
    for (ImageFile &exposure : mMarkerImageList) {
        if (inRight)
            exposure.Rotate90();
        else
            exposure.Rotate270();
    }
    ReleaseColorImage();
    if (!mMarkerColorImage.isNull()) {
        const int dotsX = mMarkerColorImage.dotsPerMeterX();
        const int dotsY = mMarkerColorImage.dotsPerMeterY();
        mMarkerColorImage = rgb888(mMarkerColorImage.transformed(QTransform().rotate(inRight ? 90.0 : -90.0),
                                                                 Qt::FastTransformation));
        mMarkerColorImage.setDotsPerMeterX(dotsY);
        mMarkerColorImage.setDotsPerMeterY(dotsX);
        mMarkerColorBytes.clear();
    }
    if (inRight)
        KyDocument::RotateRight();
    else
        KyDocument::RotateLeft();
}

void KySingleDocument::DumpImages()
{
    Load(QCoreApplication::applicationDirPath() + QLatin1String("/image_Ch"));
}

QList<LightMode> KySingleDocument::LightModes() const
{
    if (mSampleImageList.isEmpty())
        return {};
    return {mSampleImageList.at(0).LightMode()};
}

QString KySingleDocument::ChannelName(int inIndex) const
{
    if (inIndex < 0 || inIndex >= mSampleImageList.size())
        return QString();
    if (inIndex == kMarkerChannel && mSampleImageList.size() == 2)
        return tr("Marker");
    return KyDocument::ChannelName(inIndex);
}

int KySingleDocument::ImageCount() const
{
    if (mSampleImageList.isEmpty())
        return 0;
    return mHasMarker ? 2 : 1;
}

bool KySingleDocument::IsSingleImage() const
{
    return true;
}

const ImageFile *KySingleDocument::Image(int inIndex) const
{
    // A const look-up never builds the marker's grey image: appending a record could move the
    // records a caller is still pointing at.
    return KyDocument::Image(inIndex);
}

int KySingleDocument::SaveStepCount() const
{
    return mHasMarker ? 5 : 3;
}

void KySingleDocument::ReleaseColorImage()
{
    KyDocument::ReleaseColorImage();
    mOverlayBytes.clear();
    mColorImageMarked = false;
}

ImageFile *KySingleDocument::Image(int inIndex)
{
    if (IsMarkerChannel(inIndex) && mSampleImageList.size() < 2)
        BuildMarkerGrayImage();
    return KyDocument::Image(inIndex);
}

bool KySingleDocument::IsMarkerChannel(int inChannel) const
{
    return mHasMarker && inChannel == kMarkerChannel;
}

// ---- Colour composition ------------------------------------------------------------------------

QImage *KySingleDocument::MakeOverlaidImage(bool inMarkSaturated)
{
    bool marked = false;
    return MakeOverlay(inMarkSaturated, marked);
}

QImage *KySingleDocument::MakeOverlay(bool inMarkSaturated, bool &outMarked)
{
    // The cached overlay serves, unless it carries the saturated colour and the caller (a save)
    // wants none: then it is composed anew.
    if (mColorImage && (inMarkSaturated || !mColorImageMarked)) {
        outMarked = mColorImageMarked;
        return new QImage(*mColorImage);
    }
    if (mMarkerColorImage.isNull()) {
        BuildMarkerColorImage();
        if (mMarkerColorImage.isNull())
            return nullptr;
        mMarkerImageList.clear();
    }
    if (mSampleImageList.isEmpty() || mSampleImageList.at(0).IsNull())
        return nullptr;

    // The sample shown negative (dark bands on white) and without the saturated colour; a copy
    // shares the pixels and leaves the record's own items and display image alone.
    ImageFile sample(mSampleImageList.at(0));
    sample.SetNegative(true);
    auto *target = new QImage(sample.ToIndexed8(false).convertToFormat(QImage::Format_RGB888));
    outMarked = inMarkSaturated && mSampleImageList.at(0).MaxValue() == kSaturated;
    ComposeColorImage(target, outMarked);
    SetResolution(*target, DotsPerMeter());
    return target;
}

void KySingleDocument::ComposeColorImage(QImage *ioTarget, bool inMarkSaturated)
{
    if (mMarkerColorImage.isNull() || !ioTarget || ioTarget->isNull())
        return;
    if (ioTarget->format() != QImage::Format_RGB888)
        *ioTarget = ioTarget->convertToFormat(QImage::Format_RGB888);
    const QImage second = rgb888(mMarkerColorImage);
    // The pieces write the target's rows from several threads: it must be detached first.
    ioTarget->bits();

    BlendPiece blend{nullptr, 0, 0, 0};
    if (inMarkSaturated && !mSampleImageList.isEmpty() && !mSampleImageList.at(0).IsNull()) {
        const QColor colour = SystemSettings::instance()->colorValue(QStringLiteral("SaturatedPixelColor"));
        blend = BlendPiece{&mSampleImageList.at(0), uchar(colour.red()), uchar(colour.green()),
                           uchar(colour.blue())};
    }
    QList<Comp> pieces = ComposePieces(ioTarget, &second);
    KyConcurrent::blockingMap(pieces, blend);
}

QList<KySingleDocument::Comp> KySingleDocument::ComposePieces(QImage *ioTarget, const QImage *inSecond)
{
    QList<Comp> pieces;
    const int height = ioTarget ? ioTarget->height() : 0;
    for (int row = 0; row < height;) {
        const int last = std::min(row + height / 3, height - 1);
        pieces.append(Comp{ioTarget, inSecond, row, last});
        row = last + 1;
    }
    return pieces;
}

uchar KySingleDocument::BlendByte(uchar inTarget, uchar inSecond)
{
    // At most 255: only the lower end needs a bound.
    return uchar(std::max(0, int(inTarget) + int(inSecond) - 255));
}

void KySingleDocument::BuildMarkerColorImage()
{
    if (mMarkerImageList.size() != 3)
        return;
    const int width = ImageWidth();
    const int height = ImageHeight();
    if (width <= 0 || height <= 0)
        return;
    QImage colour(width, height, QImage::Format_RGB888);
    // White is what the blend leaves alone: where an exposure does not reach, the photo is white.
    colour.fill(Qt::white);
    const bool inverted = mMarkerImageList.at(0).Tag(kInvert).compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0;

    // Red from exposure 2, green from 1, blue from 0.
    uchar *bits = colour.bits();
    const qsizetype stride = colour.bytesPerLine();
    for (int plane = 0; plane < 3; ++plane) {
        const QImage shown = mMarkerImageList[2 - plane].ToIndexed8(false);
        const int rows = std::min(height, shown.height());
        const int columns = std::min(width, shown.width());
        for (int y = 0; y < rows; ++y) {
            const uchar *source = shown.constScanLine(y);
            uchar *target = bits + y * stride + plane;
            for (int x = 0; x < columns; ++x)
                target[3 * x] = inverted ? uchar(255 - source[x]) : source[x];
        }
    }
    SetResolution(colour, DotsPerMeter());
    mMarkerColorImage = colour;
    mMarkerColorBytes.clear();
}

void KySingleDocument::BuildMarkerGrayImage()
{
    // Record 1 follows the sample: without a sample there is no place for it.
    if (mMarkerImageList.size() != 3 || mSampleImageList.size() != 1)
        return;
    const ImageFile &blue = mMarkerImageList.at(0);
    const ImageFile &green = mMarkerImageList.at(1);
    const ImageFile &red = mMarkerImageList.at(2);
    // The area all three exposures cover.
    const int width = std::min({blue.Width(), green.Width(), red.Width()});
    const int height = std::min({blue.Height(), green.Height(), red.Height()});
    if (width <= 0 || height <= 0)
        return;

    ImageFile gray(blue);
    gray.Resize(width, height);
    const bool inverted = blue.Tag(kInvert).compare(QLatin1String("Yes"), Qt::CaseInsensitive) == 0;
    quint16 *out = gray.Data();
    for (int y = 0; y < height; ++y) {
        const quint16 *a = blue.ConstData() + qsizetype(y) * blue.Width();
        const quint16 *b = green.ConstData() + qsizetype(y) * green.Width();
        const quint16 *c = red.ConstData() + qsizetype(y) * red.Width();
        quint16 *row = out + qsizetype(y) * width;
        for (int x = 0; x < width; ++x) {
            const double mean = (int(a[x]) + int(b[x]) + int(c[x])) / 3.0;
            row[x] = quint16(std::trunc(inverted ? mean + 0.5 : 65535.0 - mean + 0.5));
        }
    }
    gray.UpdateHistogram();

    const auto joined = [&](const QString &inKey) {
        return blue.Tag(inKey) + QLatin1Char(',') + green.Tag(inKey) + QLatin1Char(',') + red.Tag(inKey);
    };
    gray.SetTag(QStringLiteral("Light"), joined(QStringLiteral("Light")));
    gray.SetTag(QStringLiteral("Darkframe"), joined(QStringLiteral("Darkframe")));
    gray.SetTag(QStringLiteral("Flatframe"), joined(QStringLiteral("Flatframe")));
    gray.SetTag(QStringLiteral("Exposure time"), tr("Automatic"));
    gray.SetTag(kInvert, QStringLiteral("Yes"));
    mSampleImageList.append(gray);
}

bool KySingleDocument::MarkerPhotoReady()
{
    if (mMarkerColorImage.isNull())
        BuildMarkerColorImage();
    return !mMarkerColorImage.isNull();
}

bool KySingleDocument::MarkerPhotoBytes(QByteArray &outBytes) const
{
    if (!mMarkerColorBytes.isEmpty()) {
        outBytes = mMarkerColorBytes;
        return true;
    }
    return EncodeJpeg(mMarkerColorImage, kChangedPhotoQuality, outBytes);
}

QImage KySingleDocument::SampleDisplayImage()
{
    if (mSampleImageList.isEmpty())
        return QImage();
    QImage shown = mSampleImageList[0].ToIndexed8(false);
    SetResolution(shown, DotsPerMeter());
    return shown;
}

// ---- Save and save as --------------------------------------------------------------------------

int KySingleDocument::BlockedTarget(const QList<Target> &inTargets)
{
    // A sample without pixels is never written: no folder is made for it either.
    if (mSampleImageList.isEmpty() || mSampleImageList.at(0).IsNull())
        return kSampleNotWritten;
    for (const Target &target : inTargets) {
        if (target.path.isEmpty() ? !MarkerPhotoReady() : KySafeFile::IsBlocked(target.path))
            return target.code;
    }
    RemoveStaleSaveFiles(inTargets);
    return kSaved;
}

QStringList KySingleDocument::SplitPartNames(const QString &inBaseName, const QString &inNameSuffix) const
{
    QStringList names;
    for (const QString &mark : SplitMarks(mSplitMode))
        names << inBaseName + mark + inNameSuffix;
    return names;
}

QList<KySingleDocument::Target> KySingleDocument::SaveAsTargets(const QString &inPath, bool inWithMarker) const
{
    QList<Target> targets;
    targets << Target{WithExtension(inPath, QStringLiteral(".tif")), kSampleNotWritten};
    if (inWithMarker) {
        const QString gray = inPath + grayImageSuffix();
        targets << Target{WithExtension(gray, QStringLiteral(".tif")), kMarkerNotWritten};
        if (!mMarkerPhotoStandIn)
            targets << Target{QString(), kNoMarkerPhoto}
                    << Target{WithExtension(gray, QStringLiteral(".jpg")), kMarkerPhotoNotWritten}
                    << Target{WithExtension(inPath + overlaidImageSuffix(), QStringLiteral(".jpg")),
                              kOverlayNotWritten};
    } else {
        targets << Target{WithExtension(inPath, QStringLiteral(".jpg")), kMarkerNotWritten};
    }
    if (HasAnalysis())
        targets << Target{ReportFilePath(inPath), kMarkerNotWritten};
    return targets;
}

QList<KySingleDocument::Target> KySingleDocument::SaveTargets(const QString &inFolder, const QString &inBaseName,
                                                              const QString &inChannelPart, bool inWithMarker,
                                                              bool inWriteImages, bool inWriteJpeg,
                                                              bool inWriteReport) const
{
    const auto files = [&](const QString &inFileSuffix, const QString &inExtension, int inCode) {
        return SplitTargets(inFolder, inBaseName, inChannelPart, inFileSuffix, inExtension, inCode);
    };
    const QString tif = QStringLiteral(".tif");
    const QString jpg = QStringLiteral(".jpg");
    QList<Target> targets;
    if (inWriteImages)
        targets << files(QString(), tif, kSampleNotWritten);
    if (inWithMarker) {
        if (inWriteImages)
            targets << files(grayImageSuffix(), tif, kMarkerNotWritten);
        if (inWriteJpeg && !mMarkerPhotoStandIn) {
            targets << Target{QString(), kNoMarkerPhoto};
            targets << files(grayImageSuffix(), jpg, kMarkerPhotoNotWritten);
            targets << files(overlaidImageSuffix(), jpg, kOverlayNotWritten);
        }
    } else if (inWriteJpeg) {
        targets << files(QString(), jpg, kMarkerNotWritten);
    }
    if (inWriteReport && HasAnalysis())
        targets << Target{CsvFilePath(inFolder, inBaseName, inChannelPart, QString()), kMarkerNotWritten};
    return targets;
}

int KySingleDocument::SaveAs(const QString &inPath)
{
    if (inPath.isEmpty())
        return kEmptyName;
    const QString path = FileUtility::Slashed(inPath);
    if (mHasMarker && mSampleImageList.size() < 2)
        BuildMarkerGrayImage();
    WriteAnalysisMetadata();
    const bool withMarker = mSampleImageList.size() >= 2;

    const CaptureSaveScope scope(this);
    if (const int busy = StartCaptureSave(path))
        return busy;
    // Whatever can be known to fail fails before the first file is written.
    if (const int blocked = BlockedTarget(SaveAsTargets(path, withMarker)))
        return blocked;

    if (!SaveAsTiff(path, &mSampleImageList[0]))
        return kSampleNotWritten;
    emit SaveProgress();

    if (withMarker) {
        const QString gray = path + grayImageSuffix();
        if (!SaveAsTiff(gray, &mSampleImageList[1]))
            return kMarkerNotWritten;
        emit SaveProgress();

        if (mMarkerPhotoStandIn) {
            // The photo and the overlay there are stay as they are.
            emit SaveProgress();
            emit SaveProgress();
        } else {
            QByteArray photo;
            if (!MarkerPhotoReady())
                return kNoMarkerPhoto;
            if (!MarkerPhotoBytes(photo) || !WriteFileWhole(WithExtension(gray, QStringLiteral(".jpg")), photo))
                return kMarkerPhotoNotWritten;
            emit SaveProgress();

            const QString overlayFile = WithExtension(path + overlaidImageSuffix(), QStringLiteral(".jpg"));
            if (mColorImage && !mOverlayBytes.isEmpty()) {
                if (!WriteFileWhole(overlayFile, mOverlayBytes))
                    return kOverlayNotWritten;
            } else {
                const std::unique_ptr<QImage> overlay(MakeOverlaidImage(false));
                if (!overlay)
                    return kNoOverlay;
                if (!SaveAsJpeg(overlayFile, overlay.get()))
                    return kOverlayNotWritten;
            }
            emit SaveProgress();
        }
    } else {
        QImage shown = SampleDisplayImage();
        if (!SaveAsJpeg(path, &shown))
            return kMarkerNotWritten;
        emit SaveProgress();
    }

    const bool reported = FinishSaveAs(path);
    return reported ? kSaved : kMarkerNotWritten;
}

int KySingleDocument::Save(const QString &inFolder, const QString &inName, bool inWriteImages, bool inWriteJpeg,
                           bool inWriteReport)
{
    const QString name = BaseName(inName);
    if (name.isEmpty())
        return kEmptyName;
    QString folder = FileUtility::Slashed(inFolder);
    if (folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    if (mHasMarker && mSampleImageList.size() < 2)
        BuildMarkerGrayImage();
    WriteAnalysisMetadata();
    if (mSampleImageList.isEmpty())
        return kSampleNotWritten;
    const bool withMarker = mSampleImageList.size() >= 2;
    const QString channelPart = mKind == kKind_Opened && !FollowsFileNamePattern()
                                    ? QString()
                                    : QLatin1Char('_') + mSampleImageList.at(0).ChannelName();

    if (const int blocked = BlockedTarget(
            SaveTargets(folder, name, channelPart, withMarker, inWriteImages, inWriteJpeg, inWriteReport)))
        return blocked;

    // Every write counts: one that failed is not undone by a later one that succeeded.
    bool ok = true;
    if (inWriteImages) {
        if (!SaveSplitImages(folder, name, channelPart, QString(), &mSampleImageList[0]))
            return kSampleNotWritten;
        mBasePath = folder + QLatin1Char('/') + name + channelPart;
        emit SaveProgress();
    }

    if (!withMarker) {
        if (inWriteJpeg) {
            QImage shown = SampleDisplayImage();
            ok = SaveSplitJpegImages(folder, name, channelPart, QString(), &shown) && ok;
            emit SaveProgress();
        }
    } else {
        const QString gray = grayImageSuffix();
        const QString overlaid = overlaidImageSuffix();
        if (inWriteImages) {
            if (!SaveSplitImages(folder, name, channelPart, gray, &mSampleImageList[1]))
                return kMarkerNotWritten;
            emit SaveProgress();
        }
        if (inWriteJpeg && mMarkerPhotoStandIn) {
            // The photos there are stay as they are.
            emit SaveProgress();
            emit SaveProgress();
        } else if (inWriteJpeg) {
            if (!MarkerPhotoReady())
                return kNoMarkerPhoto;
            // Whole photos are written as they were read; cut parts are new pictures.
            const QString part = name + channelPart;
            const QString partFile = folder + QLatin1Char('/') + part + QLatin1Char('/') + part;
            QByteArray photo;
            const bool written = mSplitMode == 0
                                     ? MarkerPhotoBytes(photo) && WriteFileWhole(partFile + gray + QLatin1String(".jpg"), photo)
                                     : SaveSplitJpegImages(folder, name, channelPart, gray, &mMarkerColorImage);
            if (!written)
                return kMarkerPhotoNotWritten;
            emit SaveProgress();

            if (mSplitMode == 0 && mColorImage && !mOverlayBytes.isEmpty()) {
                if (!WriteFileWhole(partFile + overlaid + QLatin1String(".jpg"), mOverlayBytes))
                    return kOverlayNotWritten;
            } else {
                const std::unique_ptr<QImage> overlay(MakeOverlaidImage(false));
                if (!overlay)
                    return kNoOverlay;
                if (!SaveSplitJpegImages(folder, name, channelPart, overlaid, overlay.get()))
                    return kOverlayNotWritten;
            }
            emit SaveProgress();
        }
        if (AnalysisSettings::instance()->boolValue(QStringLiteral("Marker_SaveRGBImages"))
            && mMarkerImageList.size() == 3)
            ok = SaveMarkerExposures(folder, name) && ok;
    }

    if (inWriteReport) {
        ok = ExportCsv(folder, name, channelPart, QString()) && ok;
        emit SaveProgress();
    }

    if (!ok)
        return kMarkerNotWritten;
    SetDirty(false);
    mKind = kKind_Opened;
    mBandsAtOpen = HasBands();
    return kSaved;
}

bool KySingleDocument::SaveMarkerExposures(const QString &inFolder, const QString &inBaseName)
{
    static const char *const kColours[3] = {"-marker-blue", "-marker-green", "-marker-red"};
    const auto writeShown = [this](const QString &inPath, ImageFile &inImage) {
        QByteArray bytes;
        return EncodeJpeg(inImage.ToIndexed8(true), kDefaultJpegQuality, bytes) && WriteFileWhole(inPath, bytes);
    };
    bool ok = true;
    for (int i = 0; i < 3; ++i)
        ok = ImageFile::Save(inFolder + QLatin1Char('/') + inBaseName + QLatin1String(kColours[i]),
                             mMarkerImageList.at(i))
             && ok;
    ok = writeShown(inFolder + QLatin1String(".jpg"), mSampleImageList[0]) && ok;
    for (int i = 0; i < 3; ++i)
        ok = writeShown(inFolder + QLatin1String(kColours[i]) + QLatin1String(".jpg"), mMarkerImageList[i]) && ok;
    return ok;
}

// ---- Free functions ----------------------------------------------------------------------------

void WriteMarkerLog(const QString &inText)
{
    if (!AnalysisSettings::instance()->boolValue(QStringLiteral("MarkerLog")))
        return;
    LFile file(FileUtility::Slashed(SystemSettings::instance()->stringValue(QStringLiteral("ImageDrivePath")))
               + QLatin1String("marker.txt"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return;
    QTextStream out(&file);
    out << QDateTime::currentDateTime().toString(Qt::ISODate) << ':' << inText << '\n';
    out.flush();
    file.close();
}

QString SingleSampleImagePaths(const LightMode &inMode)
{
    const QString folder = SystemSettings::instance()->stringValue(QStringLiteral("StandAloneImageFolderPath"));
    if (inMode.isChemiluminescence())
        return folder + (inMode.captureCategory() == 1 ? QLatin1String("Chemiluminescence_upper")
                                                       : QLatin1String("Chemiluminescence_lower"));
    return folder + QLatin1String("Fluorescence_") + inMode.methodName();
}
