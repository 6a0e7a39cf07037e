#include "image/imagefile.h"

#include "core/kyconcurrent.h"
#include "core/systemsettings.h"
#include "image/pixelbufferpool.h"
#include "image/tiffcodec.h"
#include "image/zoommapping.h"
#include "instrument/exposuretext.h"
#include "instrument/instrumentnames.h"
#include "instrument/kestova.h"
#include "platform/logcategories.h"

#include <QDebug>
#include <QMutexLocker>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

namespace {

const QString kComment = QStringLiteral("Comment");
const QString kFilePath = QStringLiteral("File path");
const QString kDateTime = QStringLiteral("Date time");
const QString kSoftware = QStringLiteral("Software");
const QString kPixelSize = QStringLiteral("Pixel size");
const QString kGrayscale = QStringLiteral("Grayscale");
const QString kRangeLow = QStringLiteral("Range low");
const QString kRangeHigh = QStringLiteral("Range high");
const QString kExposureTime = QStringLiteral("Exposure time");
const QString kBinning = QStringLiteral("Binning");
const QString kMethod = QStringLiteral("Method");
const QString kLight = QStringLiteral("Light");
const QString kFilter = QStringLiteral("Filter");
const QString kTrayPosition = QStringLiteral("Tray position");
const QString kChannel = QStringLiteral("Channel");
const QString kInvert = QStringLiteral("Invert");
const QString kDarkOffset = QStringLiteral("Dark offset");

constexpr int kLevels = 65536;
constexpr int kTopLevel = 65535;

SystemSettings *settings()
{
    return SystemSettings::instance();
}

// A grey level computed in wide arithmetic, held within the 16-bit range.
quint16 toLevel(qint64 inValue)
{
    return quint16(std::clamp<qint64>(inValue, 0, kTopLevel));
}

// A display-range item as a grey level: numbers outside 0..65535 are held at the nearest end.
quint16 rangeItemValue(const QString &inText)
{
    bool ok = false;
    const double v = inText.trimmed().toDouble(&ok);
    if (!ok || std::isnan(v))
        return 0;
    return quint16(std::clamp(v, 0.0, 65535.0));
}

// The light mode an image's items describe, for an image whose capture record has none.
::LightMode lightModeFromItems(const ImageFile &inImage)
{
    const QString method = inImage.Tag(kMethod);
    const QString light = inImage.Tag(kLight);
    const QString filter = inImage.Tag(kFilter);
    if (method.startsWith(QLatin1Char('-'))) {
        const uint binning = CaptureCondition::binningCodeOfName(inImage.Tag(kBinning));
        return ::LightMode(::LightMode::kInvalidId, light, filter, int(binning));
    }
    int id;
    if (InstrumentNames::chemiluminescenceMethods().contains(method)) {
        id = inImage.Tag(kTrayPosition) == QLatin1String("Upper") ? 0 : 1;
    } else if (InstrumentNames::colorimetricMethods().contains(method)) {
        id = 11;
    } else {
        const QString channel = inImage.Tag(kChannel);
        id = channel == QLatin1String("2") ? 3 : channel == QLatin1String("3") ? 4 : 2;
    }
    return ::LightMode(method, light, filter, id);
}

// The display range of a brightness and a contrast in percent: the centre falls as the brightness
// rises, and every 10 points of contrast halve the width.
void rangeOfBrightnessContrast(int inBrightness, int inContrast, quint16 &outLow, quint16 &outHigh)
{
    const qint64 centre = kTopLevel - (qint64(inBrightness) * kTopLevel) / 100;
    // Held below 2^62 so that extreme percentages never overflow the conversion; anything past
    // the grey scale is clamped away below anyway.
    const double width = std::min(std::trunc(std::pow(2.0, (50 - double(inContrast)) / 10.0) * kTopLevel), 4e18);
    const qint64 half = qint64(width) / 2;
    outLow = toLevel(centre - half);
    outHigh = toLevel(centre + half);
}

} // namespace

ImageFile::ImageFile()
    : histogram(65536, 0.0)
    , capture(::LightMode(::LightMode::kInvalidId), 0, QString())
{
}

ImageFile::ImageFile(const CaptureCondition &inCapture)
    : histogram(65536, 0.0)
    , capture(inCapture)
{
    Resize(inCapture.readoutWidth(), inCapture.readoutHeight());
    Fill(0);
    const int offset = settings()->intValue(QStringLiteral("DarkframeOffset"));
    rangeLow = toLevel(offset);
    rangeHigh = kTopLevel;

    const QString no = QStringLiteral("No");
    const auto item = [this](const QString &inKey) { SetTag(inKey, capture.itemText(inKey)); };
    SetTag(QStringLiteral("Depth"), QStringLiteral("16"));
    item(kPixelSize);
    item(kDateTime);
    item(kMethod);
    item(kBinning);
    item(kExposureTime);
    item(kLight);
    item(kFilter);
    item(kTrayPosition);
    item(QStringLiteral("Iris"));
    // No unit is attached: there is no temperature reading to record, and a capture is only
    // taken with the door shut.
    SetTag(QStringLiteral("Temperature"), QString());
    SetTag(QStringLiteral("Door status"), QStringLiteral("Closed"));
    SetTag(kSoftware, Kestova::softwareName() + QStringLiteral(" Ver.") + Kestova::softwareVersion());
    SetTag(QStringLiteral("Instrument"), Kestova::instrumentName());
    SetTag(QStringLiteral("Serial number"), Kestova::serialNumber());
    SetTag(QStringLiteral("Darkframe"), no);
    SetTag(QStringLiteral("Spotting"), no);
    SetTag(QStringLiteral("Flatframe"), no);
    SetTag(QStringLiteral("Distortion"), no);
    SetTag(kInvert, no);
    SetTag(QStringLiteral("Expand"), no);
    SetTag(kGrayscale, QStringLiteral("Negative"));
    SetTag(kRangeLow, QString::number(rangeLow));
    SetTag(kRangeHigh, QString::number(rangeHigh));
    SetTag(QStringLiteral("Image split"), QStringLiteral("none"));
    item(QStringLiteral("Gain coefficient"));
    item(QStringLiteral("Auto offset"));
    item(QStringLiteral("Auto offset gradient"));
    item(QStringLiteral("OFD voltage"));
    item(QStringLiteral("Exposure mode"));
    SetTag(QStringLiteral("Zoom"), no);
    SetTag(QStringLiteral("Sum"), no);
}

ImageFile::ImageFile(const ImageFile &inOther)
    : width(inOther.width)
    , height(inOther.height)
    , pixels(inOther.pixels)
    , linearScale(inOther.linearScale)
    , capture(inOther.capture)
    , tags(inOther.tags)
    , rangeLow(inOther.rangeLow)
    , rangeHigh(inOther.rangeHigh)
    , autoLow(inOther.autoLow)
    , autoHigh(inOther.autoHigh)
    , displaySaturated(inOther.displaySaturated)
{
    CopyHistogram(inOther);
}

ImageFile &ImageFile::operator=(const ImageFile &inOther)
{
    if (this != &inOther)
        CopyFrom(inOther, true);
    return *this;
}

ImageFile::~ImageFile()
{
    PixelBufferPool::Give(pixels);
}

void ImageFile::CopyFrom(const ImageFile &inOther, bool inWithPixels)
{
    width = inOther.width;
    height = inOther.height;
    linearScale = inOther.linearScale;
    capture = inOther.capture;
    CopyTags(inOther);
    displaySaturated = inOther.displaySaturated;
    if (inWithPixels) {
        if (pixels.constData() != inOther.pixels.constData())
            PixelBufferPool::Give(pixels);
        pixels = inOther.pixels;
        CopyHistogram(inOther);
        autoLow = inOther.autoLow;
        autoHigh = inOther.autoHigh;
    } else {
        pixels.resize(qsizetype(width) * height * 2);
        histogram.fill(0.0, 65536);
        minValue = maxValue = autoLow = autoHigh = 0;
        histogramPending = false;
    }
    DropDisplay();
}

void ImageFile::Resize(int inWidth, int inHeight)
{
    inWidth = std::max(0, inWidth);
    inHeight = std::max(0, inHeight);
    if (inWidth == 0 || inHeight == 0)
        inWidth = inHeight = 0;
    if (inWidth == width && inHeight == height)
        return;
    EnsureHistogram();
    width = inWidth;
    height = inHeight;
    pixels.resize(qsizetype(width) * height * 2);
    DropDisplay();
}

void ImageFile::SetPixelBuffer(int inWidth, int inHeight, QByteArray &ioPixels)
{
    if (inWidth <= 0 || inHeight <= 0 || ioPixels.size() != qsizetype(inWidth) * inHeight * 2) {
        Resize(0, 0);
        return;
    }
    EnsureHistogram();
    width = inWidth;
    height = inHeight;
    PixelBufferPool::Give(pixels);
    pixels = std::exchange(ioPixels, QByteArray());
    DropDisplay();
}

quint16 *ImageFile::Data()
{
    // The pixels may change now: a histogram still to be counted is counted from them first.
    EnsureHistogram();
    return reinterpret_cast<quint16 *>(pixels.data());
}

const quint16 *ImageFile::ConstData() const
{
    return reinterpret_cast<const quint16 *>(pixels.constData());
}

void ImageFile::Fill(quint16 inValue)
{
    if (IsNull())
        return;
    std::fill_n(Data(), qsizetype(width) * height, inValue);
}

void ImageFile::UpdateHistogram()
{
    DropDisplay();
    CountHistogram(histogram, minValue, maxValue);
    histogramPending = false;
}

void ImageFile::CopyHistogram(const ImageFile &inOther)
{
    // A pending count is copied as pending: both images count the same pixels when asked.
    QMutexLocker lock(&inOther.histogramMutex);
    histogram = inOther.histogram;
    maxValue = inOther.maxValue;
    minValue = inOther.minValue;
    histogramPending = inOther.histogramPending.load();
}

void ImageFile::EnsureHistogram() const
{
    if (!histogramPending.load(std::memory_order_acquire))
        return;
    // Counted outside the lock, which is held only to publish: the count runs on the pool, and a
    // pool thread waiting on the lock must never stand in its way. Threads that ask at the same
    // moment may each count; the counts are the same, and the first one is kept.
    QVector<double> counted;
    quint16 low = 0;
    quint16 high = 0;
    CountHistogram(counted, low, high);
    QMutexLocker lock(&histogramMutex);
    if (!histogramPending.load(std::memory_order_relaxed))
        return;
    histogram = std::move(counted);
    minValue = low;
    maxValue = high;
    histogramPending.store(false, std::memory_order_release);
}

void ImageFile::CountHistogram(QVector<double> &outHistogram, quint16 &outMin, quint16 &outMax) const
{
    // Integer counts per strip of rows, strips counted in parallel and summed: a full capture holds
    // six million pixels, and this runs on every zoom and on the first use after a read.
    struct Strip
    {
        const quint16 *first;
        qsizetype count;
        std::vector<quint32> counts;
    };
    const qsizetype n = qsizetype(width) * height;
    constexpr qsizetype kPixelsPerStrip = qsizetype(1) << 20;
    const int stripCount = int(std::clamp<qsizetype>(n / kPixelsPerStrip, 1,
                                                     std::clamp(QThread::idealThreadCount(), 1, 8)));
    QVector<Strip> strips(stripCount);
    const quint16 *p = ConstData();
    for (int s = 0; s < stripCount; ++s) {
        const qsizetype begin = n * s / stripCount;
        const qsizetype end = n * (s + 1) / stripCount;
        strips[s].first = p + begin;
        strips[s].count = end - begin;
    }
    const auto count = [](Strip &strip) {
        strip.counts.assign(65536, 0);
        quint32 *c = strip.counts.data();
        for (qsizetype i = 0; i < strip.count; ++i)
            ++c[strip.first[i]];
    };
    if (stripCount == 1)
        count(strips[0]);
    else
        KyConcurrent::blockingMap(strips, count);

    quint32 *total = strips[0].counts.data();
    for (int s = 1; s < stripCount; ++s) {
        const quint32 *c = strips[s].counts.data();
        for (int v = 0; v < 65536; ++v)
            total[v] += c[v];
    }
    outHistogram.resize(65536);
    double *h = outHistogram.data();
    outMin = 65535;
    outMax = 0;
    bool seen = false;
    for (int v = 0; v < 65536; ++v) {
        h[v] = total[v];
        if (total[v]) {
            if (!seen)
                outMin = quint16(v);
            seen = true;
            outMax = quint16(v);
        }
    }
}

bool ImageFile::Read(const QString &inPath, ImageFile &outImage)
{
    // The histogram of the pixels read is counted when it is first asked for: an open needs the
    // pixels at once, the histogram only once the range or the histogram is looked at. The image
    // is not shared while it is read, and the new pixels replace the old ones whole, so the old
    // pixels' pending count is not made (unless the read fails and they stay).
    const bool wasPending = outImage.histogramPending;
    outImage.histogramPending = false;
    const bool ok = readTiffFile(inPath, outImage);
    if (ok)
        outImage.DropDisplay();
    outImage.histogramPending = ok || wasPending;
    qCDebug(lcImage) << "ImageFile::Read()" << inPath << ok;
    return ok;
}

bool ImageFile::Save(const QString &inPath, const ImageFile &inImage)
{
    QString path = inPath;
    if (path.endsWith(QLatin1String(".tif")))
        path.chop(4);
    const bool ok = writeTiffFile(path, inImage);
    qCDebug(lcImage) << "ImageFile::Save()" << path << ok;
    return ok;
}

QString ImageFile::Tag(const QString &inKey) const
{
    for (const ImageTag &tag : tags) {
        if (tag.key == inKey)
            return tag.value;
    }
    return QString();
}

void ImageFile::SetTag(const QString &inKey, const QString &inValue)
{
    for (ImageTag &tag : tags) {
        if (tag.key == inKey) {
            tag.value = inValue;
            return;
        }
    }
    tags.append(ImageTag{inKey, inValue});
}

void ImageFile::RemoveTag(const QString &inKey)
{
    for (qsizetype i = 0; i < tags.size(); ++i) {
        if (tags.at(i).key == inKey) {
            tags.removeAt(i);
            return;
        }
    }
}

void ImageFile::SetTags(const ImageTagList &inTags)
{
    tags = inTags;
    const QString low = Tag(kRangeLow);
    if (!low.isEmpty())
        SetRangeLow(rangeItemValue(low));
    const QString high = Tag(kRangeHigh);
    if (!high.isEmpty())
        SetRangeHigh(rangeItemValue(high));
    SetNegative(Tag(kGrayscale) != QLatin1String("Positive"));
    if (capture.lightMode().id() == ::LightMode::kInvalidId)
        capture = CaptureCondition(lightModeFromItems(*this), ExposureTime(), QString());
}


void ImageFile::CopyTags(const ImageFile &inOther)
{
    SetTags(inOther.tags);
    SetRangeLow(inOther.rangeLow);
    SetRangeHigh(inOther.rangeHigh);
}

QString ImageFile::Comment() const
{
    return Tag(kComment);
}

void ImageFile::SetComment(const QString &inComment)
{
    SetTag(kComment, inComment);
}

QString ImageFile::FilePath() const
{
    return Tag(kFilePath);
}

QString ImageFile::FileName() const
{
    const QString path = FilePath();
    if (path.isEmpty())
        return QString();
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString ImageFile::DateTime() const
{
    return Tag(kDateTime);
}

QString ImageFile::Software() const
{
    return Tag(kSoftware);
}

double ImageFile::PixelSize() const
{
    return Tag(kPixelSize).toDouble();
}

void ImageFile::SetPixelSize(double inMicrometres)
{
    SetTag(kPixelSize, QString::number(inMicrometres, 'g', 6));
}

bool ImageFile::IsNegative() const
{
    return Tag(kGrayscale) != QLatin1String("Positive");
}

void ImageFile::SetNegative(bool inNegative)
{
    SetTag(kGrayscale, inNegative ? QStringLiteral("Negative") : QStringLiteral("Positive"));
    DropDisplay();
}

void ImageFile::SetLinearScale(bool inLinear)
{
    if (linearScale == inLinear)
        return;
    linearScale = inLinear;
    DropDisplay();
}

void ImageFile::SetRangeLow(quint16 inLow)
{
    if (rangeLow == inLow)
        return;
    rangeLow = inLow;
    DropDisplay();
}

void ImageFile::SetRangeHigh(quint16 inHigh)
{
    if (rangeHigh == inHigh)
        return;
    rangeHigh = inHigh;
    DropDisplay();
}

quint16 ImageFile::Pixel(int inX, int inY) const
{
    if (inX < 0 || inY < 0 || inX >= width || inY >= height)
        return 0;
    return ConstData()[qsizetype(inY) * width + inX];
}

void ImageFile::SetPixel(int inX, int inY, quint16 inValue)
{
    if (inX < 0 || inY < 0 || inX >= width || inY >= height)
        return;
    Data()[qsizetype(inY) * width + inX] = inValue;
}

quint16 ImageFile::BilinearSample(double inX, double inY, bool *outSaturated) const
{
    if (outSaturated)
        *outSaturated = false;
    // NaN fails both comparisons and lands outside too.
    if (!(inX >= 0.0 && inX <= width - 1) || !(inY >= 0.0 && inY <= height - 1))
        return 0;
    const int ix = int(inX);
    const int iy = int(inY);
    const double fx = inX - ix;
    const double fy = inY - iy;
    const bool xIntegral = isIntegralPosition(inX, ix);
    const bool yIntegral = isIntegralPosition(inY, iy);
    const quint16 *row = ConstData() + qsizetype(iy) * width;
    const quint16 p00 = row[ix];
    bool saturated = p00 == 65535;
    quint16 result;
    if (xIntegral && yIntegral) {
        result = p00;
    } else if (xIntegral) {
        const quint16 p01 = row[width + ix];
        saturated = saturated || p01 == 65535;
        result = quint16(int(p00 * (1 - fy) + p01 * fy + 0.5));
    } else if (yIntegral) {
        const quint16 p10 = row[ix + 1];
        saturated = saturated || p10 == 65535;
        result = quint16(int(p00 * (1 - fx) + p10 * fx + 0.5));
    } else {
        const quint16 p10 = row[ix + 1];
        const quint16 p01 = row[width + ix];
        const quint16 p11 = row[width + ix + 1];
        saturated = saturated || p10 == 65535 || p01 == 65535 || p11 == 65535;
        const double top = p00 * (1 - fx) + p10 * fx;
        const double bottom = p01 * (1 - fx) + p11 * fx;
        result = quint16(int(top * (1 - fy) + bottom * fy + 0.5));
    }
    if (outSaturated)
        *outSaturated = saturated;
    return result;
}

int ImageFile::DotsPerMeter(double inPixelSize)
{
    if (!(inPixelSize > 0.0) || !std::isfinite(inPixelSize))
        return 0;
    const double dots = 1000000.0 / inPixelSize + 0.5;
    if (dots >= 2147483647.0)
        return 2147483647;
    return int(dots);
}

QString ImageFile::ChannelName() const
{
    const QString file = FileName();
    if (file.isEmpty())
        return capture.lightMode().shortName();
    const qsizetype underscore = file.lastIndexOf(QLatin1Char('_'));
    if (underscore < 0)
        return file;
    QString name = file.mid(underscore + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    return name;
}

uint ImageFile::ExposureTime() const
{
    // A negative text is not an exposure; it must not wrap to a huge unsigned time.
    return uint(std::max<qint32>(0, parseExposureTimeText(Tag(kExposureTime))));
}

void ImageFile::ExposureText(uint inMSec)
{
    const uint minutes = inMSec / 60000;
    QString text;
    if (minutes > 0)
        text = QStringLiteral("%1 min ").arg(minutes);
    const uint seconds = (inMSec - minutes * 60000) / 1000;
    const uint rest = inMSec - (minutes * 60 + seconds) * 1000;
    if (rest > 0) {
        QString digits = QStringLiteral("%1").arg(rest, 3, 10, QLatin1Char('0'));
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        text += QStringLiteral("%1.%2 s").arg(seconds).arg(digits);
    } else {
        text += QStringLiteral("%1 s").arg(seconds);
    }
    SetTag(kExposureTime, text);
}

::LightMode ImageFile::LightMode() const
{
    return capture.lightMode();
}

int ImageFile::CaptureCategory() const
{
    return int(capture.trayPosition());
}

int ImageFile::BinningCode() const
{
    const QString binning = Tag(kBinning);
    if (binning.isEmpty())
        return capture.binningIndex();
    return int(CaptureCondition::binningCodeOfName(binning));
}

QString ImageFile::LightText() const
{
    return capture.lightSource().name();
}

QString ImageFile::FilterText() const
{
    return capture.filterName().name();
}

bool ImageFile::IsIrisF2_8() const
{
    return capture.isIrisF2_8();
}

uint ImageFile::EffectiveExposure() const
{
    return capture.lightMode().exposureWithShutterDelay(ExposureTime());
}

void ImageFile::AutoRange()
{
    EnsureHistogram();
    const double n = double(width) * height;
    const double lowCount = settings()->doubleValue(QStringLiteral("AutoRange_LowerRate")) * n;
    const double highCount = settings()->doubleValue(QStringLiteral("AutoRange_UpperRate")) * n;
    const qint64 minDistance = settings()->intValue(QStringLiteral("RangeMinimumDistance"));
    const qint64 offset = settings()->intValue(QStringLiteral("DarkframeOffset"));
    const double *h = histogram.constData();

    int low = 0;
    double sum = 0.0;
    for (; low < kLevels; ++low) {
        sum += h[low];
        if (sum >= lowCount)
            break;
    }
    int high = kTopLevel;
    sum = 0.0;
    for (; high >= 0; --high) {
        sum += h[high];
        if (sum >= highCount)
            break;
    }

    const quint16 newLow = toLevel(std::max<qint64>(offset, low));
    quint16 newHigh = toLevel(std::max<qint64>(low + minDistance, high));
    // The dark offset can lift the low end above the high end (an all-black image would give 1000
    // and 500): an inverted or empty range keeps the minimum distance above the low end actually
    // used, within 65535. A range that is merely narrow stays as found.
    if (newHigh <= newLow)
        newHigh = toLevel(newLow + std::max<qint64>(0, minDistance));
    autoLow = newLow;
    autoHigh = newHigh;
    qCDebug(lcImage, "Auto range: %d - %d", int(autoLow), int(autoHigh));
    SetRangeLow(autoLow);
    SetRangeHigh(autoHigh);
}

void ImageFile::AutoRangeMarker()
{
    EnsureHistogram();
    const double count =
        settings()->doubleValue(QStringLiteral("Marker_AutoRange_UpperRate")) * (double(width) * height);
    const qint64 offset = settings()->intValue(QStringLiteral("DarkframeOffset"));
    const qint64 minDistance = settings()->intValue(QStringLiteral("Marker_RangeMinimumDistance"));
    const bool inverted = Tag(kInvert).compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0;
    const double *h = histogram.constData();

    double sum = 0.0;
    if (inverted) {
        int level = 0;
        for (; level < kTopLevel; ++level) {
            sum += h[level];
            if (sum >= count)
                break;
        }
        const quint16 top = toLevel(kTopLevel - offset);
        autoHigh = top;
        autoLow = toLevel(std::max<qint64>(0, std::min<qint64>(level, top - minDistance)));
        // Only a negative minimum distance could lift the low end past the fixed high end.
        autoLow = std::min(autoLow, autoHigh);
    } else {
        int level = kTopLevel;
        for (; level >= 0; --level) {
            sum += h[level];
            if (sum >= count)
                break;
        }
        autoLow = toLevel(offset);
        autoHigh = toLevel(std::max<qint64>(offset + minDistance, std::min<qint64>(level, kTopLevel)));
        autoHigh = std::max(autoHigh, autoLow);
    }
    qCDebug(lcImage, "Auto range: %d - %d", int(autoLow), int(autoHigh));
    SetRangeLow(autoLow);
    SetRangeHigh(autoHigh);
}

void ImageFile::ChangeContrast(const ContrastStep &inStep)
{
    EnsureHistogram();
    if (inStep.percent == 0.0 || std::isnan(inStep.percent))
        return;
    const double count = std::trunc(std::fabs(inStep.percent) * (double(width) * height) / 100.0 + 0.5);
    const qint64 low = rangeLow;
    const qint64 high = rangeHigh;
    const qint64 minDistance = inStep.minDistance;
    const qint64 step = inStep.step;
    const qint64 maxLevel = maxValue;
    const double *h = histogram.constData();
    qCDebug(lcImage).nospace() << "ChangeContrast " << inStep.percent << "% " << low << ", " << high;

    qint64 newHigh = high;
    double sum = 0.0;
    if (inStep.percent > 0) {
        if (high - low <= minDistance || high <= qint64(minValue))
            return;
        if (high > maxLevel) {
            newHigh = std::max({low + minDistance, maxLevel, high - step});
        } else {
            // The walk never goes below level 0, whatever the minimum distance.
            const qint64 floor = std::max<qint64>(0, low + minDistance);
            qint64 level = high - 1;
            while (sum < count && level >= floor) {
                sum = std::trunc(sum + h[level]);
                --level;
            }
            newHigh = std::max(low + minDistance, level);
        }
    } else {
        if (high >= kTopLevel)
            return;
        if (high >= maxLevel) {
            newHigh = std::min<qint64>(kTopLevel, high + step);
        } else {
            qint64 level = high + 1;
            while (sum < count && level <= maxLevel) {
                sum = std::trunc(sum + h[level]);
                ++level;
            }
            newHigh = std::min(maxLevel, level);
        }
    }
    SetRangeHigh(toLevel(newHigh));
    qCDebug(lcImage).nospace() << "  -> " << rangeLow << ", " << rangeHigh;
}

void ImageFile::ChangeBrightness(const ContrastStep &inStep)
{
    EnsureHistogram();
    if (inStep.percent == 0.0 || std::isnan(inStep.percent))
        return;
    const double count = std::trunc(std::fabs(inStep.percent) * (double(width) * height) / 100.0 + 0.5);
    const qint64 low = rangeLow;
    const qint64 high = rangeHigh;
    const qint64 span = high - low;
    const qint64 minDistance = inStep.minDistance;
    const qint64 step = inStep.step;
    const double *h = histogram.constData();
    qCDebug(lcImage).nospace() << "ChangeBrightness " << inStep.percent << "% " << low << ", " << high;

    // Each walk stops at the first level it does not add; both stay within 0..65535.
    const auto walkUp = [&](qint64 inFrom, qint64 inLast) {
        double sum = 0.0;
        qint64 level = inFrom;
        while (sum < count && level <= inLast) {
            sum = std::trunc(sum + h[level]);
            ++level;
        }
        return level;
    };
    const auto walkDown = [&](qint64 inFrom) {
        double sum = 0.0;
        qint64 level = inFrom;
        while (sum < count && level >= 0) {
            sum = std::trunc(sum + h[level]);
            --level;
        }
        return level;
    };

    const double d = IsNegative() ? inStep.percent : -inStep.percent;
    qint64 newLow;
    qint64 newHigh;
    if (d > 0) {
        if (low >= qint64(maxValue) || high >= kTopLevel)
            return;
        if (span <= minDistance) {
            newHigh = std::min<qint64>(kTopLevel, high + step);
        } else {
            const qint64 a = walkUp(low + 1, maxValue);
            const qint64 b = walkUp(high + 1, kTopLevel - 1);
            newHigh = std::min<qint64>(kTopLevel, high + std::min(a - low, b - high));
        }
        newLow = std::max<qint64>(0, newHigh - span);
    } else {
        if (low <= 0 || high < qint64(minValue))
            return;
        if (span <= minDistance) {
            newLow = std::max<qint64>(0, low - step);
        } else {
            const qint64 a = walkDown(low - 1);
            const qint64 b = walkDown(high - 1);
            newLow = std::max<qint64>(0, low - std::min(low - a, high - b));
        }
        newHigh = std::min<qint64>(kTopLevel, span + newLow);
    }
    SetRangeLow(toLevel(newLow));
    SetRangeHigh(toLevel(newHigh));
    qCDebug(lcImage).nospace() << "  -> " << rangeLow << ", " << rangeHigh;
}

void ImageFile::RegionStatistics(const QRect &inRect, const QVector<double> &inTable, double &outMin,
                                 double &outMax, double &outMean) const
{
    double minimum = 65535.0;
    double maximum = 0.0;
    double sum = 0.0;
    qint64 count = 0;
    const int left = std::max(0, inRect.left());
    const int top = std::max(0, inRect.top());
    const int right = std::min(width - 1, inRect.right());
    const int bottom = std::min(height - 1, inRect.bottom());
    const double *table = inTable.constData();
    // A table shorter than the grey scale has no value for the levels past its end: such pixels
    // are left out like pixels outside the image.
    const qsizetype tableSize = inTable.size();
    const bool fullTable = tableSize >= kLevels;
    for (int y = top; y <= bottom; ++y) {
        const quint16 *row = ConstData() + qsizetype(y) * width;
        for (int x = left; x <= right; ++x) {
            const quint16 p = row[x];
            if (!fullTable && p >= tableSize)
                continue;
            const double v = table[p];
            minimum = std::min(minimum, v);
            maximum = std::max(maximum, v);
            sum += v;
            ++count;
        }
    }
    if (count == 0) {
        // Nothing measured: report zeros rather than the untouched start values and 0 / 0.
        outMin = outMax = outMean = 0.0;
        return;
    }
    outMin = minimum;
    outMax = maximum;
    outMean = sum / double(count);
}

quint16 ImageFile::NearestPixel(double inX, double inY) const
{
    const double x = std::trunc(inX + 0.5);
    const double y = std::trunc(inY + 0.5);
    // Compared as doubles so that NaN and huge coordinates never reach an integer conversion.
    if (!(x >= 0.0 && x < width && y >= 0.0 && y < height))
        return 0;
    return Pixel(int(x), int(y));
}

quint16 ImageFile::UpperLevel(uint inCount) const
{
    EnsureHistogram();
    if (inCount == 0)
        return maxValue;
    const double *h = histogram.constData();
    double sum = 0.0;
    for (int level = maxValue; level >= 0; --level) {
        sum += h[level];
        if (sum >= inCount)
            return quint16(level > 0 ? level - 1 : 0);
    }
    return 0;
}

ImageFile &ImageFile::Add(const ImageFile &inOther)
{
    if (width != inOther.width || height != inOther.height)
        return *this;
    const qint64 offset = Tag(kDarkOffset).toInt();
    const quint64 exposure = quint64(ExposureTime()) + inOther.ExposureTime();
    if (!IsNull()) {
        quint16 *target = Data();
        // Read after Data(): adding an image to itself must read the detached copy.
        const quint16 *source = inOther.ConstData();
        const qsizetype n = qsizetype(width) * height;
        for (qsizetype i = 0; i < n; ++i)
            target[i] = toLevel(qint64(target[i]) + source[i] - offset);
    }
    ExposureText(uint(std::min<quint64>(exposure, std::numeric_limits<uint>::max())));
    UpdateHistogram();
    return *this;
}

int ImageFile::Brightness() const
{
    return (kTopLevel - (int(rangeLow) + int(rangeHigh)) / 2) * 100 / kTopLevel;
}

int ImageFile::Contrast() const
{
    // An inverted range has no width to measure; it counts as the narrowest.
    if (rangeHigh <= rangeLow)
        return 100;
    const double c = std::trunc(50.0 - 10.0 * std::log((rangeHigh - rangeLow) / 65535.0) / std::log(2.0));
    return int(std::clamp(c, 25.0, 100.0));
}

void ImageFile::SetBrightness(int inPercent)
{
    if (Brightness() != inPercent)
        SetBrightnessContrast(inPercent, Contrast());
}

void ImageFile::SetContrast(int inPercent)
{
    if (Contrast() != inPercent)
        SetBrightnessContrast(Brightness(), inPercent);
}

void ImageFile::SetBrightnessContrast(int inBrightness, int inContrast)
{
    quint16 low;
    quint16 high;
    rangeOfBrightnessContrast(inBrightness, inContrast, low, high);
    SetRangeLow(low);
    SetRangeHigh(high);
    if (!display.isNull())
        RecolourDisplay(true);
}

void ImageFile::RoundBrightnessContrast(int &ioBrightness, int &ioContrast)
{
    ioBrightness -= ioBrightness % 5;
    ioContrast -= ioContrast % 5;
}
