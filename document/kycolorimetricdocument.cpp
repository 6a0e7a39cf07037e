#include "document/kycolorimetricdocument.h"

#include "document/kysafefile.h"
#include "platform/logcategories.h"

#include "core/analysissettings.h"
#include "core/fileutility.h"
#include "core/kyconcurrent.h"
#include "core/systemsettings.h"
#include "document/kyitemnames.h"

#include <QDebug>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kGreyLevels = 65536;
// Re-encoding loses detail every time: what has to be encoded again is encoded close to lossless.
constexpr int kJpegQuality = 95;
// The colour composition runs in at most this many row pieces.
constexpr int kComposePieces = 3;

const QString kLight = QStringLiteral("Light");
const QString kDarkframe = QStringLiteral("Darkframe");
const QString kFlatframe = QStringLiteral("Flatframe");
const QString kExposureTime = QStringLiteral("Exposure time");
const QString kInvert = QStringLiteral("Invert");

bool isInverted(const ImageFile &inImage)
{
    return inImage.Tag(kInvert).compare(QLatin1String("Yes"), Qt::CaseInsensitive) == 0;
}

QString joinedItem(const QString &inKey, const ImageFile &inBlue, const ImageFile &inGreen, const ImageFile &inRed)
{
    return inBlue.Tag(inKey) + QLatin1Char(',') + inGreen.Tag(inKey) + QLatin1Char(',') + inRed.Tag(inKey);
}

// A coefficient of the calibration: the number the text holds, 0 for anything else (a text that
// is no number, or no finite one).
double coefficient(const QString &inText)
{
    bool ok = false;
    const double value = inText.toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

// The value of an "OD parameter" field: the text after its name and colon.
QString fieldValue(const QString &inField)
{
    return inField.mid(inField.lastIndexOf(QLatin1Char(':')) + 1);
}

// Rows [first, end) of the colour composition.
struct RowPiece
{
    int first;
    int end;
};

} // namespace

KyColorimetricDocument::KyColorimetricDocument(QObject *inParent)
    : KyDocument(inParent)
{
}

KyColorimetricDocument::KyColorimetricDocument(const QString &inPath, QObject *inParent)
    : KyDocument(FileUtility::SlashedFolder(inPath), inParent)
{
    const QString folder = FileUtility::SlashedFolder(inPath);
    const QString base = folder + QLatin1Char('/') + folder.section(QLatin1Char('/'), -1);
    ImageFile image;
    if (ImageFile::Read(base + QLatin1String(".tif"), image))
        mSampleImageList.append(image);
    ReadAnalysisMetadata();
    const QString picture = base + QLatin1String(".jpg");
    LoadColorImage(picture);
    // The capture's colour photo cannot be made again from its grey image: without it the document
    // opens on the grey image alone, and says which file it missed.
    if (!HasColorImage())
        mUnreadFiles.append(picture.section(QLatin1Char('/'), -1));
    SetDirty(false);
}

KyColorimetricDocument::~KyColorimetricDocument() = default;

void KyColorimetricDocument::SetSampleImage(int inChannel, const ImageFile &inImage)
{
    Q_UNUSED(inChannel);
    Q_UNUSED(inImage);
    qCDebug(lcDocument, "KyColorimetricDocument::SetSampleImage(): Colorimetric image needs to call SetColorImage().");
}

void KyColorimetricDocument::SetColorChannelImage(int inChannel, const ImageFile &inImage)
{
    if (inChannel < 0 || inChannel > 2) {
        qCDebug(lcDocument, "KyColorimetricDocument::SetColorChannelImage(): Channel is out of range.");
        return;
    }
    mChannelImageList.append(inImage);
    // The red exposure comes last and completes the capture.
    if (inChannel != 2)
        return;

    const QString path = ChannelImagePath(inImage.LightMode());
    ImageFile record;
    if (ImageFile::Read(path + QLatin1String(".tif"), record)) {
        record.CopyTags(inImage);
        const QString light = inImage.Tag(kLight);
        if (light == QLatin1String("Lower EPI White-Red"))
            record.SetTag(kLight, QStringLiteral("Lower EPI White-Blue,Lower EPI White-Green,Lower EPI White-Red"));
        else if (light == QLatin1String("Trans White-Red"))
            record.SetTag(kLight, QStringLiteral("Trans White-Blue,Trans White-Green,Trans White-Red"));
        mSampleImageList.append(record);
        mIntensityCache.clear();
        LoadColorImage(path + QLatin1String(".jpg"));
        return;
    }

    if (mChannelImageList.size() >= 3) {
        mSampleImageList.append(mChannelImageList.at(0));
        mSampleImageList[0] = MergeChannelMetadata(mChannelImageList.at(0), mChannelImageList.at(1),
                                                   mChannelImageList.at(2));
        mIntensityCache.clear();
        ComposeColorImage();
        return;
    }
    qCDebug(lcDocument, "KyColorimetricDocument::SetColorChannelImage(): All channel images are not exist.");
}

QImage KyColorimetricDocument::ColorImage(const QRect &inRect)
{
    if (!HasColorImage()) {
        qCDebug(lcDocument, "KyColorimetricDocument::ColorImage(): Unexpectedly mColorImage is not exist.");
        return QImage();
    }
    return inRect.isEmpty() ? *mColorImage : mColorImage->copy(inRect);
}

int KyColorimetricDocument::Save(const QString &inFolder, const QString &inName, bool inWriteImages,
                                 bool inWriteJpeg, bool inWriteReport)
{
    const QString name = BaseName(inName);
    if (name.isEmpty())
        return -13;
    // The exposures go beside the folder argument as given; every other file below it.
    const QString folderArgument = FileUtility::Slashed(inFolder);
    QString folder = folderArgument;
    if (folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    if (mSampleImageList.isEmpty()) {
        qCDebug(lcDocument, "KyColorimetricDocument::Save(): mSampleImageList is empty.");
        return -100;
    }

    WriteAnalysisMetadata();
    const QString channelPart = mKind == kKind_Opened && !FollowsFileNamePattern()
                                    ? QString()
                                    : QLatin1Char('_') + mSampleImageList.at(0).ChannelName();
    const bool eachExposure = AnalysisSettings::instance()->boolValue(QStringLiteral("Colorimetric_SaveEachImage"));

    // A new capture's files are written one by one, those written before a failure staying; only
    // what an interrupted earlier save left beside them goes first.
    QList<SaveTarget> targets;
    if (inWriteImages)
        targets << SplitTargets(folder, name, channelPart, QString(), QStringLiteral(".tif"), -11);
    if (inWriteJpeg)
        targets << SplitTargets(folder, name, channelPart, QString(), QStringLiteral(".jpg"), -31);
    for (int i = 0; eachExposure && i < mChannelImageList.size(); ++i)
        targets << SaveTarget{folderArgument + QLatin1Char('-') + QString::number(i + 1) + QStringLiteral(".tif"), -11};
    if (inWriteReport)
        targets << SaveTarget{CsvFilePath(folder, name, channelPart, QString()), -11};
    RemoveStaleSaveFiles(targets);

    if (inWriteImages) {
        if (!SaveSplitImages(folder, name, channelPart, QString(), &mSampleImageList[0]))
            return -11;
        emit SaveProgress();
        mBasePath = folder + QLatin1Char('/') + name + channelPart;
    }

    if (inWriteJpeg) {
        if (!HasColorImage()) {
            qCDebug(lcDocument, "KyColorimetricDocument::SaveJPEGImage(): mColorImage is not exist.");
            return -30;
        }
        // Whole, the picture keeps its original bytes; parts are new pictures either way.
        bool written;
        if (mSplitMode == 0) {
            const QString partName = name + channelPart;
            written = WriteColorJpeg(folder + QLatin1Char('/') + partName + QLatin1Char('/') + partName);
        } else {
            written = SaveSplitJpegImages(folder, name, channelPart, QString(), mColorImage);
        }
        if (!written)
            return -31;
        emit SaveProgress();
    }

    // Every write counts: a later success must not hide an earlier failure.
    bool ok = true;
    if (eachExposure) {
        for (int i = 0; i < mChannelImageList.size(); ++i) {
            const QString path = folderArgument + QLatin1Char('-') + QString::number(i + 1);
            ok = ImageFile::Save(path, mChannelImageList.at(i)) && ok;
        }
    }
    if (inWriteReport) {
        ok = ExportCsv(folder, name, channelPart, QString()) && ok;
        emit SaveProgress();
    }
    if (!ok)
        return -11;
    SetDirty(false);
    mKind = kKind_Opened;
    mBandsAtOpen = HasBands();
    return 0;
}

int KyColorimetricDocument::SaveAs(const QString &inPath)
{
    if (inPath.isEmpty())
        return -13;
    if (mSampleImageList.isEmpty()) {
        qCDebug(lcDocument, "KyColorimetricDocument::SaveAs(): mSampleImageList is empty.");
        return -100;
    }
    const QString path = FileUtility::Slashed(inPath);

    // Whatever can be known to fail fails before the first file is replaced: saved in place, a
    // TIFF written before a later failure would be the capture's own.
    QList<SaveTarget> targets{SaveTarget{WithExtension(path, QStringLiteral(".tif")), -11}};
    if (HasColorImage())
        targets << SaveTarget{WithExtension(path, QStringLiteral(".jpg")), -31};
    if (HasAnalysis())
        targets << SaveTarget{ReportFilePath(path), -11};
    const CaptureSaveScope scope(this);
    if (const int busy = StartCaptureSave(path))
        return busy;
    if (const int blocked = BlockedSaveTarget(targets))
        return blocked;

    WriteAnalysisMetadata();
    if (!SaveAsTiff(path, &mSampleImageList[0]))
        return -11;
    emit SaveProgress();

    // A capture without its colour picture still gets its report: only the JPEG is skipped.
    if (HasColorImage()) {
        if (!WriteColorJpeg(path))
            return -31;
    } else {
        qCDebug(lcDocument, "KyColorimetricDocument::SaveJPEGImage(): mColorImage is not exist.");
    }
    emit SaveProgress();

    const bool reported = FinishSaveAs(path);
    return reported ? 0 : -11;
}

int KyColorimetricDocument::ChannelMask() const
{
    return 0;
}

bool KyColorimetricDocument::IsSingleImage() const
{
    return true;
}

void KyColorimetricDocument::RotateRight()
{
    KyDocument::RotateRight();
    TurnColorImage(1);
}

void KyColorimetricDocument::RotateLeft()
{
    KyDocument::RotateLeft();
    TurnColorImage(3);
}

int KyColorimetricDocument::SaveStepCount() const
{
    return 3;
}

void KyColorimetricDocument::ReleaseColorImage()
{
}

QVector<double> KyColorimetricDocument::IntensityTable() const
{
    QVector<double> table = KyDocument::IntensityTable();
    const ImageFile *record = Image(0);
    if (!record)
        return table;
    const QString item = record->Tag(KyItemName::ODParameter);
    if (item.isEmpty())
        return table;
    const QStringList fields = item.split(QLatin1Char(','), Qt::KeepEmptyParts);
    if (fields.size() < 4)
        return table;

    // N is the grey level of no transmission; a, b and c shape the density curve.
    bool ok = false;
    int n = fieldValue(fields.at(0)).toInt(&ok);
    if (!ok)
        n = 0;
    const double a = coefficient(fieldValue(fields.at(1)));
    const double b = coefficient(fieldValue(fields.at(2)));
    const double c = coefficient(fieldValue(fields.at(3)));
    // Without that level the calibration says nothing: the grey levels stay as they are.
    if (n == 0)
        return table;

    // From N on (1 - g / N at or below 0) the logarithm has no finite value, and absurd
    // coefficients can overflow: such a level keeps the density of the level below it, the
    // darkest the calibration can tell apart.
    const double ln10 = std::log(10.0);
    double *t = table.data();
    t[0] = 0.0;
    for (int g = 1; g < kGreyLevels; ++g) {
        const double x = std::log(1.0 - double(g) / n) / ln10;
        const double density = a * x * x + b * x + c;
        t[g] = std::isfinite(density) ? density : t[g - 1];
    }
    return table;
}

QString KyColorimetricDocument::ChannelImagePath(const LightMode &inMode)
{
    const QString folder = SystemSettings::instance()->stringValue(QStringLiteral("StandAloneImageFolderPath"));
    const QString light = inMode.light().name().contains(QLatin1String("EPI")) ? QStringLiteral("_EPI")
                                                                                 : QStringLiteral("_Trans");
    return FileUtility::Slashed(folder + QLatin1String("Colorimetric") + light);
}

ImageFile KyColorimetricDocument::MergeChannelMetadata(const ImageFile &inBlue, const ImageFile &inGreen,
                                                       const ImageFile &inRed)
{
    ImageFile record(inBlue);
    // The exposures are read at the same positions: only their common area has all three.
    const int width = std::min({inBlue.Width(), inGreen.Width(), inRed.Width()});
    const int height = std::min({inBlue.Height(), inGreen.Height(), inRed.Height()});
    record.Resize(width, height);

    if (!record.IsNull()) {
        // Grey level of every sum of three levels: the mean, rounded half up, as absorbance
        // (65535 minus it) unless the exposures come inverted already.
        const bool inverted = isInverted(inBlue);
        constexpr int kSums = 3 * 65535 + 1;
        QVector<quint16> level(kSums);
        quint16 *entry = level.data();
        for (int s = 0; s < kSums; ++s) {
            const double mean = s / 3.0;
            entry[s] = quint16(std::trunc(inverted ? mean + 0.5 : 65535.0 - mean + 0.5));
        }
        const quint16 *table = level.constData();
        quint16 *out = record.Data();
        const quint16 *blue = inBlue.ConstData();
        const quint16 *green = inGreen.ConstData();
        const quint16 *red = inRed.ConstData();
        for (int y = 0; y < height; ++y) {
            const quint16 *a = blue + qsizetype(y) * inBlue.Width();
            const quint16 *b = green + qsizetype(y) * inGreen.Width();
            const quint16 *c = red + qsizetype(y) * inRed.Width();
            quint16 *row = out + qsizetype(y) * width;
            for (int x = 0; x < width; ++x)
                row[x] = table[int(a[x]) + b[x] + c[x]];
        }
    }
    record.UpdateHistogram();
    record.AutoRange();

    record.SetTag(kLight, joinedItem(kLight, inBlue, inGreen, inRed));
    record.SetTag(kDarkframe, joinedItem(kDarkframe, inBlue, inGreen, inRed));
    record.SetTag(kFlatframe, joinedItem(kFlatframe, inBlue, inGreen, inRed));
    record.SetTag(kExposureTime, tr("Automatic"));
    record.SetTag(kInvert, QStringLiteral("Yes"));
    return record;
}

void KyColorimetricDocument::EqualiseChannelRanges()
{
    quint16 low = 65535;
    quint16 high = 0;
    for (ImageFile &exposure : mChannelImageList) {
        exposure.AutoRangeMarker();
        low = std::min(low, exposure.RangeLow());
        high = std::max(high, exposure.RangeHigh());
    }
    for (ImageFile &exposure : mChannelImageList) {
        exposure.SetRangeLow(low);
        exposure.SetRangeHigh(high);
    }
}

bool KyColorimetricDocument::HasColorImage() const
{
    return mColorImage && !mColorImage->isNull();
}

void KyColorimetricDocument::ReplaceColorImage(QImage *inImage, const QByteArray &inJpegBytes,
                                               const QString &inSourcePath)
{
    delete mColorImage;
    mColorImage = inImage;
    mColorJpegBytes = inJpegBytes;
    mColorJpegPath = inSourcePath;
    mColorTurns = 0;
}

void KyColorimetricDocument::LoadColorImage(const QString &inPath)
{
    // Decoded from the bytes kept, so that the picture and the bytes a save copies are one.
    QByteArray bytes;
    auto *image = new QImage;
    if (KySafeFile::Read(inPath, bytes) && !bytes.isEmpty())
        image->loadFromData(bytes);
    if (image->isNull())
        bytes.clear();
    else
        SetResolution(*image, DotsPerMeter());
    ReplaceColorImage(image, bytes, image->isNull() ? QString() : inPath);
}

void KyColorimetricDocument::TurnColorImage(int inQuarterTurns)
{
    if (!HasColorImage())
        return;
    const double degrees = inQuarterTurns == 1 ? 90.0 : 270.0;
    auto *turned = new QImage(mColorImage->transformed(QTransform().rotate(degrees, Qt::ZAxis),
                                                       Qt::FastTransformation));
    turned->setDotsPerMeterX(mColorImage->dotsPerMeterY());
    turned->setDotsPerMeterY(mColorImage->dotsPerMeterX());
    delete mColorImage;
    mColorImage = turned;
    mColorTurns = (mColorTurns + inQuarterTurns) % 4;
}

void KyColorimetricDocument::ComposeColorImage()
{
    ImageFile &blue = mChannelImageList[0];
    ImageFile &green = mChannelImageList[1];
    ImageFile &red = mChannelImageList[2];
    const int width = std::min({blue.Width(), green.Width(), red.Width()});
    const int height = std::min({blue.Height(), green.Height(), red.Height()});
    auto *image = width > 0 && height > 0 ? new QImage(width, height, QImage::Format_RGB888) : new QImage;
    ReplaceColorImage(image, QByteArray(), QString());
    if (image->isNull())
        return;

    EqualiseChannelRanges();
    const QImage red8 = red.ToIndexed8(false);
    const QImage green8 = green.ToIndexed8(false);
    const QImage blue8 = blue.ToIndexed8(false);
    if (red8.isNull() || green8.isNull() || blue8.isNull())
        return;
    // The exposures come negative: their renderings give the picture as it looked.
    const uchar flip = isInverted(blue) ? 255 : 0;

    uchar *bits = image->bits();
    const qsizetype stride = image->bytesPerLine();
    QList<RowPiece> pieces;
    const int pieceRows = (height + kComposePieces - 1) / kComposePieces;
    for (int first = 0; first < height; first += pieceRows)
        pieces.append(RowPiece{first, std::min(height, first + pieceRows)});
    KyConcurrent::blockingMap(pieces, [&](const RowPiece &inPiece) {
        for (int y = inPiece.first; y < inPiece.end; ++y) {
            const uchar *r = red8.constScanLine(y);
            const uchar *g = green8.constScanLine(y);
            const uchar *b = blue8.constScanLine(y);
            uchar *out = bits + y * stride;
            for (int x = 0; x < width; ++x) {
                out[3 * x] = uchar(r[x] ^ flip);
                out[3 * x + 1] = uchar(g[x] ^ flip);
                out[3 * x + 2] = uchar(b[x] ^ flip);
            }
        }
    });
    SetResolution(*image, DotsPerMeter());
}

bool KyColorimetricDocument::WriteColorJpeg(const QString &inPath)
{
    const QString path = WithExtension(FileUtility::Slashed(inPath), QStringLiteral(".jpg"));
    if (mColorTurns == 0 && !mColorJpegBytes.isEmpty())
        return WriteFileWhole(path, mColorJpegBytes);
    QByteArray bytes;
    return EncodeJpeg(*mColorImage, kJpegQuality, bytes) && WriteFileWhole(path, bytes);
}
