#include "image/imagefile.h"

#include "image/tiffcodec.h"

#include <QDebug>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

const QString kComment = QStringLiteral("Comment");
const QString kFilePath = QStringLiteral("File path");
const QString kDateTime = QStringLiteral("Date time");
const QString kSoftware = QStringLiteral("Software");
const QString kPixelSize = QStringLiteral("Pixel size");
const QString kGrayscale = QStringLiteral("Grayscale");
const QString kRangeLow = QStringLiteral("Range low");
const QString kRangeHigh = QStringLiteral("Range high");

// A display-range item as a grey level: numbers outside 0..65535 are held at the nearest end.
quint16 rangeItemValue(const QString &inText)
{
    bool ok = false;
    const double v = inText.trimmed().toDouble(&ok);
    if (!ok || std::isnan(v))
        return 0;
    return quint16(std::clamp(v, 0.0, 65535.0));
}

} // namespace

ImageFile::ImageFile()
    : histogram(65536, 0.0)
    , capture(::LightMode(::LightMode::kInvalidId), 0, QString())
{
}

ImageFile::ImageFile(const ImageFile &inOther)
    : width(inOther.width)
    , height(inOther.height)
    , pixels(inOther.pixels)
    , linearScale(inOther.linearScale)
    , histogram(inOther.histogram)
    , maxValue(inOther.maxValue)
    , minValue(inOther.minValue)
    , capture(inOther.capture)
    , tags(inOther.tags)
    , rangeLow(inOther.rangeLow)
    , rangeHigh(inOther.rangeHigh)
    , autoLow(inOther.autoLow)
    , autoHigh(inOther.autoHigh)
    , displaySaturated(inOther.displaySaturated)
{
}

ImageFile &ImageFile::operator=(const ImageFile &inOther)
{
    if (this != &inOther)
        CopyFrom(inOther, true);
    return *this;
}

ImageFile::~ImageFile() = default;

void ImageFile::CopyFrom(const ImageFile &inOther, bool inWithPixels)
{
    width = inOther.width;
    height = inOther.height;
    linearScale = inOther.linearScale;
    capture = inOther.capture;
    CopyTags(inOther);
    displaySaturated = inOther.displaySaturated;
    if (inWithPixels) {
        pixels = inOther.pixels;
        histogram = inOther.histogram;
        maxValue = inOther.maxValue;
        minValue = inOther.minValue;
        autoLow = inOther.autoLow;
        autoHigh = inOther.autoHigh;
    } else {
        pixels.resize(qsizetype(width) * height * 2);
        histogram.fill(0.0, 65536);
        minValue = maxValue = autoLow = autoHigh = 0;
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
    width = inWidth;
    height = inHeight;
    pixels.resize(qsizetype(width) * height * 2);
    DropDisplay();
}

quint16 *ImageFile::Data()
{
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
    // Counting in integers first keeps the inner loop to one increment per pixel.
    std::vector<quint32> counts(65536, 0);
    const quint16 *p = ConstData();
    const qsizetype n = qsizetype(width) * height;
    for (qsizetype i = 0; i < n; ++i)
        ++counts[p[i]];
    histogram.resize(65536);
    double *h = histogram.data();
    minValue = 65535;
    maxValue = 0;
    bool seen = false;
    for (int v = 0; v < 65536; ++v) {
        h[v] = counts[v];
        if (counts[v]) {
            if (!seen)
                minValue = quint16(v);
            seen = true;
            maxValue = quint16(v);
        }
    }
}

bool ImageFile::Read(const QString &inPath, ImageFile &outImage)
{
    const bool ok = readTiffFile(inPath, outImage);
    if (ok)
        outImage.UpdateHistogram();
    qDebug() << "ImageFile::Read()" << inPath << ok;
    return ok;
}

bool ImageFile::Save(const QString &inPath, const ImageFile &inImage)
{
    QString path = inPath;
    if (path.endsWith(QLatin1String(".tif")))
        path.chop(4);
    const bool ok = writeTiffFile(path, inImage);
    qDebug() << "ImageFile::Save()" << path << ok;
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
    // TODO(image record): rebuild the capture record from the items when its light mode is invalid.
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
    const auto integral = [](double v, int i) { return v == i || std::fabs(v - i) <= 1e-12 * std::fabs(v); };
    const bool xIntegral = integral(inX, ix);
    const bool yIntegral = integral(inY, iy);
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
