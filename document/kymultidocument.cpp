#include "document/kymultidocument.h"

#include "core/fileutility.h"
#include "core/kyconcurrent.h"
#include "core/ldir.h"
#include "core/systemsettings.h"
#include "document/kycapturefiles.h"
#include "document/kyitemnames.h"
#include "image/tiffcodec.h"
#include "platform/logcategories.h"

#include <QColor>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace {

constexpr int kChannels = 3;

// One channel's contribution to the composite: its pixels, row stride and display table. A channel
// that takes no part reads a row of zeros (stride 0) through a table of zeros, so the loop needs no
// test per pixel.
struct Plane
{
    const quint16 *pixels = nullptr;
    qsizetype stride = 0;
    const ushort *table = nullptr;
};

// Rows first..last of the composite.
struct RowRange
{
    int first;
    int last;
};

// Writes the rows of one piece of the composite over the common area of the planes; each piece
// writes only its own rows. Blue is channel 1, green channel 2, red channel 3; a pixel whose
// display level is the top level (a saturated grey level) in any plane gets the saturated colour.
class Composer
{
public:
    Composer(const Plane (&inPlanes)[kChannels], uchar *inBits, qsizetype inBytesPerLine, int inWidth,
             const QColor &inSaturated)
        : blue(inPlanes[0]), green(inPlanes[1]), red(inPlanes[2]), bits(inBits), bytesPerLine(inBytesPerLine),
          width(inWidth), satRed(uchar(inSaturated.red())), satGreen(uchar(inSaturated.green())),
          satBlue(uchar(inSaturated.blue()))
    {
    }

    void operator()(const RowRange &inRows) const
    {
        for (int y = inRows.first; y <= inRows.last; ++y) {
            const quint16 *b = blue.pixels + y * blue.stride;
            const quint16 *g = green.pixels + y * green.stride;
            const quint16 *r = red.pixels + y * red.stride;
            uchar *out = bits + qsizetype(y) * bytesPerLine;
            for (int x = 0; x < width; ++x, out += 3) {
                const ushort vb = blue.table[b[x]];
                const ushort vg = green.table[g[x]];
                const ushort vr = red.table[r[x]];
                if (vb == 255 || vg == 255 || vr == 255) {
                    out[0] = satRed;
                    out[1] = satGreen;
                    out[2] = satBlue;
                } else {
                    out[0] = uchar(vr);
                    out[1] = uchar(vg);
                    out[2] = uchar(vb);
                }
            }
        }
    }

private:
    Plane blue;
    Plane green;
    Plane red;
    uchar *bits;
    qsizetype bytesPerLine;
    int width;
    uchar satRed;
    uchar satGreen;
    uchar satBlue;
};

// Rows 0..height-1 in at most three pieces of height / 3 + 1 rows.
QVector<RowRange> rowPieces(int inHeight)
{
    QVector<RowRange> pieces;
    for (int top = 0; top < inHeight;) {
        const int last = std::min(inHeight - 1, top + inHeight / 3);
        pieces.append(RowRange{top, last});
        top = last + 1;
    }
    return pieces;
}

// A path absolute and clean, so that two spellings of one file compare equal.
QString absoluteClean(const QString &inPath)
{
    return QDir::cleanPath(QFileInfo(inPath).absoluteFilePath());
}

} // namespace

KyMultiDocument::KyMultiDocument(QObject *inParent)
    : KyDocument(inParent)
{
    mSampleImageList.resize(kChannels);
}

KyMultiDocument::KyMultiDocument(const QString &inPath, QObject *inParent)
    : KyDocument(inPath, inParent)
{
    mSampleImageList.resize(kChannels);
    // Only the folder's first capture: a second capture beside it may hold images of the same
    // channels, which would take this capture's places and later be saved under its names.
    const LDir folder(FileUtility::Slashed(inPath));
    const QStringList names = KyCaptureFiles::CaptureFileNames(inPath);
    // Headers first: a folder may hold far more files sharing the capture's name than a capture
    // has channels, and reading a whole image costs many times what its header does. Per channel,
    // the last file listed whose image reads whole is the channel's image.
    QSet<QString> unread;
    QStringList candidates[kChannels];
    for (const QString &name : names) {
        QMap<QString, QString> items;
        if (!readTiffTags(folder.absoluteFilePath(name), items)) {
            unread.insert(name);
            continue;
        }
        const int channel = items.value(KyItemName::Channel).toInt();
        if (channel >= 1 && channel <= kChannels)
            candidates[channel - 1].append(name);
    }
    for (int c = 0; c < kChannels; ++c) {
        for (qsizetype i = candidates[c].size() - 1; i >= 0; --i) {
            ImageFile image;
            if (ImageFile::Read(folder.absoluteFilePath(candidates[c].at(i)), image)) {
                mSampleImageList[c] = image;
                break;
            }
            unread.insert(candidates[c].at(i));
        }
    }
    for (const QString &name : names) {
        if (unread.contains(name))
            mUnreadFiles.append(name);
    }
    if (!mUnreadFiles.isEmpty() && FirstValidImage()) {
        // Where a save in place writes it: beside the channel images, named like them less the
        // channel (FilePathOfFirstImage), with the picture's suffix.
        const QString image = FilePathOfFirstImage();
        const qsizetype dot = image.lastIndexOf(QLatin1Char('.'));
        const QString base = dot > image.lastIndexOf(QLatin1Char('/')) ? image.left(dot) : image;
        mKeptComposite = absoluteClean(base + QLatin1String(".jpg"));
    }
    ReadAnalysisMetadata();
    SetDirty(false);
}

KyMultiDocument::~KyMultiDocument() = default;

void KyMultiDocument::SetSampleImage(int inChannel, const ImageFile &inImage)
{
    if (inChannel < 0 || inChannel >= kChannels) {
        qCDebug(lcDocument, "KyMultiDocument::SetSampleImage(): Channel is out of range.");
        return;
    }
    ImageFile &record = mSampleImageList[inChannel];
    record = inImage;
    ImageFile sample;
    if (ImageFile::Read(SampleImagePath(inImage.LightMode()), sample)) {
        sample.CopyTags(inImage);
        record = sample;
    }
    record.SetTag(KyItemName::Channel, QString::number(inChannel + 1));
    if (mKind == kKind_New)
        record.AutoRange();
}

void KyMultiDocument::SetColorChannelImage(int inChannel, const ImageFile &inImage)
{
    Q_UNUSED(inChannel);
    Q_UNUSED(inImage);
    qCDebug(lcDocument, "KyMultiDocument::SetColorChannelImage(): multi image has not color image.");
}

QImage KyMultiDocument::ColorImage(const QRect &inRect)
{
    Q_UNUSED(inRect);
    qCDebug(lcDocument, "KyMultiDocument::ColorImage(): MultiDocument needs to call qImage.");
    return QImage();
}

int KyMultiDocument::ChannelMask() const
{
    int mask = 0x80;
    for (int c = 0; c < kChannels; ++c) {
        if (!mSampleImageList.at(c).IsNull())
            mask |= 1 << c;
    }
    return mask;
}

QImage KyMultiDocument::qImage(int inChannel, const QRect &inRect)
{
    // Showing an image is no change to the capture, whatever the rendering touches.
    const bool dirty = mDirty;
    const QRect rect = inRect.isEmpty() ? QRect(0, 0, ImageWidth(), ImageHeight()) : inRect;
    QImage result;
    if (inChannel >= 0 && inChannel < kChannels) {
        result = KyDocument::qImage(inChannel, rect);
    } else {
        if (!mColorImage || mCompositeMask != inChannel)
            BuildComposite(inChannel);
        if (mColorImage) {
            // Cut like the channel images: to the part of the rectangle inside the picture.
            const QRect inside = rect.intersected(mColorImage->rect());
            // The whole picture is shared, not copied: it is handed out on every repaint.
            if (inside == mColorImage->rect())
                result = *mColorImage;
            else if (!inside.isEmpty())
                result = mColorImage->copy(inside);
        }
    }
    mDirty = dirty;
    return result;
}

void KyMultiDocument::BuildComposite(int inChannels)
{
    const ImageFile *first = FirstValidImage();
    if (!first)
        return;
    const int width = first->Width();
    const int height = first->Height();

    // Channels of another size than the first take part over the area all of them cover; the rest
    // of the picture stays black.
    static const QVector<ushort> noTable(65536, 0);
    QVector<ushort> tables[kChannels];
    Plane planes[kChannels];
    int commonWidth = width;
    int commonHeight = height;
    for (int c = 0; c < kChannels; ++c) {
        const ImageFile &record = mSampleImageList.at(c);
        if (!(inChannels & (1 << c)) || record.IsNull())
            continue;
        // The display levels come before the colour table, which alone carries the polarity: the
        // planes are the positive rendering whatever the record shows.
        record.DisplayTable(tables[c]);
        planes[c].pixels = record.ConstData();
        planes[c].stride = record.Width();
        planes[c].table = tables[c].constData();
        commonWidth = std::min(commonWidth, record.Width());
        commonHeight = std::min(commonHeight, record.Height());
    }
    const QVector<quint16> zeroRow(std::max(commonWidth, 1), 0);
    for (Plane &plane : planes) {
        if (!plane.pixels) {
            plane.pixels = zeroRow.constData();
            plane.stride = 0;
            plane.table = noTable.constData();
        }
    }

    delete mColorImage;
    mColorImage = new QImage(width, height, QImage::Format_RGB888);
    if (mColorImage->isNull()) {
        delete mColorImage;
        mColorImage = nullptr;
        return;
    }
    mColorImage->fill(Qt::black);

    const QColor saturated = SystemSettings::instance()->colorValue(QStringLiteral("SaturatedPixelColor"));
    QVector<RowRange> pieces = rowPieces(commonHeight);
    // The rows are taken here, so that the pieces never touch the image object.
    const Composer composer(planes, mColorImage->bits(), mColorImage->bytesPerLine(), commonWidth, saturated);
    KyConcurrent::blockingMap(pieces, composer);

    const int dots = DotsPerMeter();
    if (dots > 0) {
        mColorImage->setDotsPerMeterX(dots);
        mColorImage->setDotsPerMeterY(dots);
    }
    mCompositeMask = inChannels;
}

QString KyMultiDocument::SampleImagePath(const LightMode &inMode)
{
    return SystemSettings::instance()->stringValue(QStringLiteral("StandAloneImageFolderPath"))
           + QStringLiteral("Fluorescence_") + inMode.methodName() + QStringLiteral(".tif");
}

QString KyMultiDocument::FilePathOfFirstImage() const
{
    const QString path = KyDocument::FilePathOfFirstImage();
    // Only the file name carries the channel: a "-" in a folder name is part of the folder.
    const qsizetype nameStart =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))) + 1;
    const qsizetype minus = path.lastIndexOf(QLatin1Char('-'));
    if (minus < nameStart)
        return path;
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot > minus ? path.mid(dot) : QString();
    return path.left(minus) + extension;
}

QString KyMultiDocument::ChannelPart() const
{
    const ImageFile *first = FirstValidImage();
    if (!first || (mKind == kKind_Opened && !FollowsFileNamePattern()))
        return QString();
    const QString name = QLatin1Char('_') + first->ChannelName();
    const qsizetype minus = name.lastIndexOf(QLatin1Char('-'));
    return minus < 0 ? QString() : name.left(minus);
}

bool KyMultiDocument::ChannelFileSuffixes(QStringList &outSuffixes) const
{
    outSuffixes.clear();
    // Compared ignoring case: captures are carried on sticks whose file systems ignore it.
    QSet<QString> seen;
    bool distinct = true;
    for (const ImageFile &record : mSampleImageList) {
        if (record.IsNull())
            continue;
        const QString suffix = QLatin1Char('-') + record.ChannelName().section(QLatin1Char('-'), -1);
        const QString key = suffix.toCaseFolded();
        if (seen.contains(key))
            distinct = false;
        seen.insert(key);
        outSuffixes.append(suffix);
    }
    return distinct;
}

QStringList KyMultiDocument::SaveFileNames(const QString &inPrefix) const
{
    const QString base = BaseName(inPrefix);
    if (base.isEmpty() || !FirstValidImage())
        return QStringList();
    const QString part = ChannelPart();
    QStringList names;
    for (const QString &mark : SplitMarks(mSplitMode))
        names << base + mark + part;
    return names;
}

int KyMultiDocument::SaveStepCount() const
{
    return ValidImageCount() + 2;
}

QString KyMultiDocument::CleanName() const
{
    const ImageFile *first = FirstValidImage();
    if (!first)
        return QString();
    const QString name = first->FileName();
    if (!name.isEmpty())
        return name;
    QString time = first->Tag(KyItemName::DateTime);
    time.remove(QLatin1Char(':'));
    time.replace(QLatin1Char(' '), QLatin1Char('_'));
    return time + QStringLiteral("_Fl");
}

int KyMultiDocument::SaveAs(const QString &inPath)
{
    if (inPath.isEmpty())
        return -13;
    const QString path = FileUtility::Slashed(inPath);
    // Two channels under one file name would leave one of them unsaved: refuse before writing.
    QStringList suffixes;
    if (!ChannelFileSuffixes(suffixes))
        return -21;

    // Whatever can be known to fail fails before the first file is replaced: saved in place, the
    // files written before a later failure would be the capture's own.
    if (!mColorImage)
        BuildComposite(ChannelMask());
    if (!mColorImage)
        return -21;
    const bool keepComposite =
        !mKeptComposite.isEmpty() && absoluteClean(WithExtension(path, QStringLiteral(".jpg"))) == mKeptComposite;
    QList<SaveTarget> targets;
    for (const QString &suffix : std::as_const(suffixes))
        targets << SaveTarget{WithExtension(path + suffix, QStringLiteral(".tif")), -21};
    if (!keepComposite)
        targets << SaveTarget{WithExtension(path, QStringLiteral(".jpg")), -22};
    if (HasAnalysis())
        targets << SaveTarget{ReportFilePath(path), -11};
    const CaptureSaveScope scope(this);
    if (const int busy = StartCaptureSave(path))
        return busy;
    if (const int blocked = BlockedSaveTarget(targets))
        return blocked;

    WriteAnalysisMetadata();
    int index = 0;
    for (ImageFile &record : mSampleImageList) {
        if (record.IsNull())
            continue;
        if (!SaveAsTiff(path + suffixes.at(index++), &record))
            return -21;
        emit SaveProgress();
    }

    if (!keepComposite && !SaveAsJpeg(path, mColorImage))
        return -22;
    emit SaveProgress();

    const bool reported = FinishSaveAs(path);
    return reported ? 0 : -11;
}

int KyMultiDocument::Save(const QString &inFolder, const QString &inName, bool inWriteImages, bool inWriteJpeg,
                          bool inWriteReport)
{
    const QString name = BaseName(inName);
    if (name.isEmpty())
        return -13;
    QString folder = FileUtility::Slashed(inFolder);
    if (folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    QStringList suffixes;
    if (inWriteImages && !ChannelFileSuffixes(suffixes))
        return -21;

    WriteAnalysisMetadata();
    if (!FirstValidImage())
        return -14;
    const QString part = ChannelPart();

    // A new capture's parts are written one by one, those written before a failure staying; only
    // what an interrupted earlier save left beside them goes first.
    QList<SaveTarget> targets;
    if (inWriteImages) {
        for (const QString &suffix : std::as_const(suffixes))
            targets << SplitTargets(folder, name, part, suffix, QStringLiteral(".tif"), -21);
    }
    if (inWriteJpeg)
        targets << SplitTargets(folder, name, part, QString(), QStringLiteral(".jpg"), -22);
    if (inWriteReport)
        targets << SaveTarget{CsvFilePath(folder, name, part, QString()), -11};
    RemoveStaleSaveFiles(targets);

    bool ok = true;
    if (inWriteImages) {
        int index = 0;
        for (ImageFile &record : mSampleImageList) {
            if (record.IsNull())
                continue;
            ok = SaveSplitImages(folder, name, part, suffixes.at(index++), &record);
            if (!ok)
                return -21;
            emit SaveProgress();
        }
        mBasePath = folder + QLatin1Char('/') + name + part;
    }
    if (inWriteJpeg) {
        if (!mColorImage)
            BuildComposite(ChannelMask());
        if (!mColorImage)
            return -21;
        ok = SaveSplitJpegImages(folder, name, part, QString(), mColorImage);
        if (!ok)
            return -22;
        emit SaveProgress();
    }
    if (inWriteReport) {
        ok = ExportCsv(folder, name, part, QString());
        emit SaveProgress();
    }
    if (!ok)
        return -11;
    SetDirty(false);
    mKind = kKind_Opened;
    mBandsAtOpen = HasBands();
    return 0;
}
