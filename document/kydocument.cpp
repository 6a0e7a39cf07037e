#include "document/kydocument.h"

#include "analysis/kyrounding.h"
#include "core/analysissettings.h"
#include "document/kycapturesave.h"
#include "document/kyitemnames.h"

#include <QRegularExpression>
#include <QSignalBlocker>

#include <algorithm>
#include <limits>

namespace {

// Bytes a save writes besides the pixels of one image (directory, description, folder entries),
// and per image for each split part and for a stored analysis.
constexpr qint64 kImageOverhead = 820600;
constexpr qint64 kHalvesOverhead = 1000;
constexpr qint64 kQuartersOverhead = 2000;
constexpr qint64 kAnalysisOverhead = 256000;

constexpr int kGreyLevels = 65536;
constexpr int kLastImage = 65520;

QString fileNameOf(const QString &inPath)
{
    return inPath.mid(inPath.lastIndexOf(QLatin1Char('/')) + 1);
}

// Every image a quarter turn; the colour picture and the lanes no longer fit the turned images.
void turnImages(KyDocument &ioDocument, void (ImageFile::*inTurn)())
{
    for (int i = 0; i < ioDocument.ImageCount(); ++i) {
        if (ImageFile *image = ioDocument.Image(i))
            (image->*inTurn)();
    }
    ioDocument.ReleaseColorImage();
    ioDocument.ClearLanes();
    ioDocument.SetDirty(true);
}

} // namespace

KyDocument::KyDocument(QObject *inParent)
    : QObject(inParent), mDirty(true), mKind(kKind_New), mParameterChanged(false), mSelection(-1, -1, -1, -1)
{
    Initialise();
}

KyDocument::KyDocument(const QString &inPath, QObject *inParent)
    : QObject(inParent), mDirty(false), mKind(kKind_Opened), mBasePath(inPath), mParameterChanged(true)
{
    if (mBasePath.endsWith(QLatin1String(".tif")))
        mBasePath.chop(4);
    Initialise();
}

void KyDocument::Initialise()
{
    mHistogramImage = QImage(258, 200, QImage::Format_RGB32);
    mHistogramImage.fill(Qt::white);
    mRollingBallRadius = AnalysisSettings::instance()->intValue(QStringLiteral("BG_RollingBallRadius"));
    SetMWCurveType(AnalysisSettings::instance()->intValue(QStringLiteral("MWCurveType")));
}

KyDocument::~KyDocument()
{
    // The kind's part is gone already: a receiver told of the cleared lanes now could only reach
    // a half-destroyed document.
    const QSignalBlocker blocker(this);
    ClearLanes();
    delete mColorImage;
    mColorImage = nullptr;
}

// ---- Virtual interface: base behaviour ---------------------------------------------------------

void KyDocument::ReservedOperation(int inValue)
{
    Q_UNUSED(inValue);
}

int KyDocument::ReservedValue() const
{
    return 0;
}

QImage KyDocument::qImage(int inChannel, const QRect &inRect)
{
    ImageFile *image = Image(inChannel);
    if (!image)
        return QImage();
    const QRect rect = inRect.isEmpty() ? QRect(0, 0, ImageWidth(), ImageHeight()) : inRect;
    return image->ToIndexed8(rect.left(), rect.top(), rect.width(), rect.height(), mHighlight);
}

QString KyDocument::FilePathOfFirstImage() const
{
    const ImageFile *image = FirstValidImage();
    return image ? image->FilePath() : QString();
}

QStringList KyDocument::SaveFileNames(const QString &inPrefix) const
{
    QStringList names;
    const QString base = BaseName(inPrefix);
    if (base.isEmpty())
        return names;
    const bool plainNames = mKind == kKind_Opened && !FollowsFileNamePattern();
    for (int i = 0; i < ImageCount(); ++i) {
        const ImageFile *image = Image(i);
        if (!image || image->IsNull())
            continue;
        const QString part = plainNames ? QString() : QLatin1Char('_') + image->ChannelName();
        switch (mSplitMode) {
        case 0:
        case 4:
            names << base + part;
            break;
        case 1:
        case 2:
            names << base + QLatin1String("-1") + part << base + QLatin1String("-2") + part;
            break;
        case 3:
            for (int k = 1; k <= 4; ++k)
                names << base + QLatin1Char('-') + QString::number(k) + part;
            break;
        default:
            break;
        }
    }
    return names;
}

QString KyDocument::DisplayName(const QString &inText) const
{
    return inText;
}

void KyDocument::SetImageFlag(int inImage, bool inFlag)
{
    Q_UNUSED(inImage);
    Q_UNUSED(inFlag);
}

bool KyDocument::ReservedFlag() const
{
    return false;
}

QList<int> KyDocument::ChannelIndexList() const
{
    return QList<int>{0};
}

int KyDocument::ReservedCount() const
{
    return 0;
}

bool KyDocument::HasMarker() const
{
    return false;
}

int KyDocument::ImageWidth() const
{
    const ImageFile *image = FirstValidImage();
    return image ? image->Width() : 0;
}

int KyDocument::ImageHeight() const
{
    const ImageFile *image = FirstValidImage();
    return image ? image->Height() : 0;
}

double KyDocument::PixelSize() const
{
    const ImageFile *image = FirstValidImage();
    return image ? image->PixelSize() : 0.0;
}

void KyDocument::RotateRight()
{
    turnImages(*this, &ImageFile::Rotate90);
}

void KyDocument::RotateLeft()
{
    turnImages(*this, &ImageFile::Rotate270);
}

void KyDocument::DumpImages()
{
}

QList<LightMode> KyDocument::LightModes() const
{
    QList<LightMode> modes;
    for (int i = 0; i < ImageCount(); ++i) {
        const ImageFile *image = Image(i);
        if (image && !image->IsNull())
            modes.append(image->LightMode());
    }
    return modes;
}

QString KyDocument::ChannelName(int inIndex) const
{
    const ImageFile *image = Image(inIndex);
    return image ? image->LightMode().methodName() : QString();
}

int KyDocument::ImageCount() const
{
    return int(mSampleImageList.size());
}

bool KyDocument::IsSingleImage() const
{
    return ValidImageCount() == 1;
}

const ImageFile *KyDocument::Image(int inIndex) const
{
    if (inIndex < 0 || inIndex >= mSampleImageList.size())
        return nullptr;
    return &mSampleImageList.at(inIndex);
}

int KyDocument::EstimatedFileSize() const
{
    const int count = ImageCount();
    qint64 bytes = 0;
    for (int i = 0; i < count; ++i) {
        if (const ImageFile *image = Image(i))
            bytes += qint64(image->Width()) * image->Height() * 2 + kImageOverhead;
    }
    if (mSplitMode == 1 || mSplitMode == 2)
        bytes += count * kHalvesOverhead;
    else if (mSplitMode == 3)
        bytes += count * kQuartersOverhead;
    if (HasAnalysis())
        bytes += count * kAnalysisOverhead;
    return int(std::min<qint64>(bytes, std::numeric_limits<int>::max()));
}

int KyDocument::SaveStepCount() const
{
    return ImageCount();
}

void KyDocument::ReleaseColorImage()
{
    delete mColorImage;
    mColorImage = nullptr;
}

QVector<double> KyDocument::IntensityTable() const
{
    QVector<double> table(kGreyLevels);
    for (int g = 0; g < kGreyLevels; ++g)
        table[g] = g;
    return table;
}

ImageFile *KyDocument::Image(int inIndex)
{
    if (inIndex == kLastImage && !mSampleImageList.isEmpty())
        return &mSampleImageList.last();
    if (inIndex < 0 || inIndex >= mSampleImageList.size())
        return nullptr;
    return &mSampleImageList[inIndex];
}

bool KyDocument::IsMarkerChannel(int inChannel) const
{
    Q_UNUSED(inChannel);
    return false;
}

// ---- Flags and queries -------------------------------------------------------------------------

void KyDocument::SetDirty(bool inDirty)
{
    if (inDirty == mDirty)
        return;
    mDirty = inDirty;
    if (!mDirty)
        mDisplayChanged = false;
    emit DirtyStateChanged(mDirty);
}

void KyDocument::SetAnalysisChanged(bool inChanged)
{
    if (inChanged == mAnalysisChanged)
        return;
    mAnalysisChanged = inChanged;
    mAnalysisCurrent = !inChanged;
    if (inChanged)
        emit AnalysisChanged();
}

bool KyDocument::HasLaneTemplate() const
{
    return !mLaneFrame.isEmpty();
}

bool KyDocument::HasAnalysis() const
{
    return !mLaneProfiles.isEmpty();
}

bool KyDocument::HasBands() const
{
    for (const QVector<KyBandList> &lanes : mBands) {
        for (const KyBandList &list : lanes) {
            if (list.count() > 0)
                return true;
        }
    }
    return false;
}

bool KyDocument::HasBackground() const
{
    if (mBackgroundMethod == 0)
        return false;
    return std::any_of(mLaneProfiles.cbegin(), mLaneProfiles.cend(),
                       [](const KyLaneProfiles &inProfiles) { return inProfiles.hasBackground(); });
}

bool KyDocument::HasNormalizationReference() const
{
    for (const QVector<KyBandList> &lanes : mBands) {
        for (const KyBandList &list : lanes) {
            for (const KyBandInfo &band : list.bands()) {
                if (band.isNormalizationReference())
                    return true;
            }
        }
    }
    return false;
}

bool KyDocument::HasMWStandardLane() const
{
    return mMwChannel != -1 && mMwLane >= 0;
}

// ---- Images and geometry -----------------------------------------------------------------------

const ImageFile *KyDocument::FirstValidImage() const
{
    for (int i = 0; i < ImageCount(); ++i) {
        const ImageFile *image = Image(i);
        if (image && !image->IsNull())
            return image;
    }
    return nullptr;
}

int KyDocument::ValidImageCount() const
{
    return int(std::count_if(mSampleImageList.cbegin(), mSampleImageList.cend(),
                             [](const ImageFile &inImage) { return !inImage.IsNull(); }));
}

double KyDocument::PixelsToMillimetres(int inPixels) const
{
    return inPixels * PixelSize() / 1000.0;
}

int KyDocument::MillimetresToPixels(double inMillimetres) const
{
    const double size = PixelSize();
    if (size == 0.0)
        return 0;
    return KyRounding::truncated(inMillimetres * 1000.0 / size);
}

int KyDocument::DotsPerMeter() const
{
    return ImageFile::DotsPerMeter(PixelSize());
}

// ---- Metadata and names ------------------------------------------------------------------------

QString KyDocument::Comment() const
{
    const ImageFile *image = FirstValidImage();
    return image ? image->Comment() : QString();
}

bool KyDocument::SetComment(const QString &inText)
{
    const bool latin1 = std::all_of(inText.cbegin(), inText.cend(), [](QChar c) { return c.unicode() <= 0xff; });
    if (!latin1)
        return false;
    bool changed = false;
    for (int i = 0; i < ImageCount(); ++i) {
        ImageFile *image = Image(i);
        if (image && image->Comment() != inText) {
            image->SetComment(inText);
            changed = true;
        }
    }
    if (changed)
        SetDirty(true);
    return true;
}

int KyDocument::ExposureTime(int inChannel) const
{
    const ImageFile *image = Image(inChannel);
    return image ? int(std::min<uint>(image->ExposureTime(), std::numeric_limits<int>::max())) : 0;
}

bool KyDocument::HasODParameter() const
{
    const ImageFile *image = FirstValidImage();
    return image && !image->Tag(KyItemName::ODParameter).isEmpty();
}

int KyDocument::CaptureCategory() const
{
    const ImageFile *image = FirstValidImage();
    return image ? image->CaptureCategory() : 0;
}

bool KyDocument::IsUnsplitCategoryTwo() const
{
    if (CaptureCategory() != 2)
        return false;
    const ImageFile *image = FirstValidImage();
    return image && image->Tag(KyItemName::ImageSplit) == QLatin1String("none");
}

bool KyDocument::FollowsFileNamePattern() const
{
    QString name = fileNameOf(FilePathOfFirstImage());
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    // One expression per call: a shared one would be used from the pool and the GUI thread at once.
    const QRegularExpression pattern(QRegularExpression::anchoredPattern(QStringLiteral(
        "(.*\\s)?\\d{4}.\\d{2}.\\d{2}_\\d{2}.\\d{2}.\\d{2}(-(\\d{1,2}|S[a-z]))?(-\\d{1})?_((Ch|Co)|(Fl-(Blue|Green|Red|UV|Custom))|Fl)")));
    return pattern.match(name).hasMatch();
}

QString KyDocument::SampleNameFromFileName() const
{
    if (!FollowsFileNamePattern())
        return QString();
    return fileNameOf(FilePathOfFirstImage()).section(QLatin1Char(' '), 0, -2);
}

bool KyDocument::IsStoredAt(const QString &inFolder, const QString &inPrefix) const
{
    const QStringList names = SaveFileNames(inPrefix);
    if (names.isEmpty())
        return false;
    QString folder = inFolder;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return (folder + names.first()).compare(mBasePath, Qt::CaseInsensitive) == 0;
}

QStringList KyDocument::SplitNamesOfFirstImage() const
{
    const ImageFile *image = FirstValidImage();
    const QString name = image ? image->FileName() : QString();
    const qsizetype underscore = name.lastIndexOf(QLatin1Char('_'));
    const QString head = underscore < 0 ? QString() : name.left(underscore);
    const QString tail = QLatin1Char('_') + name.mid(underscore + 1);
    switch (mSplitMode) {
    case 1:
    case 2:
        return {head + QLatin1String("-1") + tail, head + QLatin1String("-2") + tail, QString(), QString()};
    case 3:
        return {head + QLatin1String("-1") + tail, head + QLatin1String("-2") + tail,
                head + QLatin1String("-3") + tail, head + QLatin1String("-4") + tail};
    default:
        return {name, QString(), QString(), QString()};
    }
}

QString KyDocument::BaseName(const QString &inPrefix) const
{
    QString name;
    if (mKind == kKind_Opened) {
        name = fileNameOf(mBasePath);
        if (FollowsFileNamePattern()) {
            const qsizetype blank = name.lastIndexOf(QLatin1Char(' '));
            if (blank >= 0)
                name = name.mid(blank + 1);
            const qsizetype underscore = name.lastIndexOf(QLatin1Char('_'));
            if (underscore >= 0)
                name.truncate(underscore);
        }
    } else {
        const ImageFile *image = FirstValidImage();
        if (!image)
            return QString();
        name = image->Tag(KyItemName::DateTime);
        name.replace(QLatin1Char(':'), QLatin1Char('.'));
        name.replace(QLatin1Char(' '), QLatin1Char('_'));
    }
    if (inPrefix.isEmpty())
        return name;
    return QStringLiteral("%1 %2").arg(inPrefix, name);
}

int KyDocument::SaveInPlace(bool inWriteImages, bool inWriteJpeg, bool inWriteReport)
{
    const QString path = FilePathOfFirstImage();
    if (mKind == kKind_Opened)
        return SaveAs(path.section(QLatin1Char('.'), 0, -2));
    const QString folder = path.section(QLatin1Char('/'), 0, -3);
    const QString name = fileNameOf(path).section(QLatin1Char(' '), 0, -2);
    return Save(folder, name, inWriteImages, inWriteJpeg, inWriteReport);
}

void KyDocument::SetImageFlagOnAll(bool inFlag)
{
    for (int i = 0; i < ImageCount(); ++i)
        SetImageFlag(i, inFlag);
}

const QVector<double> &KyDocument::CachedIntensityTable()
{
    if (mIntensityCache.isEmpty())
        mIntensityCache = IntensityTable();
    return mIntensityCache;
}
