// Display state of a document: selection and its statistics, display ranges, polarity, highlight
// and the histogram picture. None of it touches the analysis or the dirty flag.

#include "document/kydocument.h"

#include "analysis/kyrounding.h"
#include "core/analysissettings.h"
#include "core/systemsettings.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <utility>

namespace {

constexpr int kAllChannels = 65535;
constexpr int kHistogramHeight = 200;
constexpr qsizetype kGreyLevels = 65536;

quint16 toLevel(int inValue)
{
    return quint16(std::clamp(inValue, 0, 65535));
}

// One contrast or brightness step (inApply) of inSteps, sized by three incremental settings: a
// step of n moves by n times the move ratio in percent of the pixels. Whether a level moved.
bool stepRange(ImageFile &ioImage, void (ImageFile::*inApply)(const ContrastStep &), int inSteps,
               const char *inRatioKey, const char *inDistanceKey, const char *inStepKey)
{
    const AnalysisSettings *settings = AnalysisSettings::instance();
    ContrastStep step;
    step.percent = double(inSteps) * settings->intValue(QLatin1String(inRatioKey));
    step.minDistance = settings->intValue(QLatin1String(inDistanceKey));
    step.step = settings->intValue(QLatin1String(inStepKey));
    const quint16 low = ioImage.RangeLow();
    const quint16 high = ioImage.RangeHigh();
    (ioImage.*inApply)(step);
    return ioImage.RangeLow() != low || ioImage.RangeHigh() != high;
}

} // namespace

// ---- Selection and statistics ------------------------------------------------------------------

QRect KyDocument::SetSelectionRect(const QRect &inRect)
{
    if (inRect == mSelection)
        return mSelection;
    QRect rect = inRect;
    if (rect.left() < 0)
        rect.moveLeft(0);
    if (rect.top() < 0)
        rect.moveTop(0);
    if (rect.right() > ImageWidth() - 1)
        rect.moveRight(ImageWidth() - 1);
    if (rect.bottom() > ImageHeight() - 1)
        rect.moveBottom(ImageHeight() - 1);
    mSelection = rect;
    return mSelection;
}

void KyDocument::SetSelectionRectTranslated(const QPoint &inOffset)
{
    SetSelectionRect(mSelection.translated(inOffset));
}

void KyDocument::RegionStatistics(int inChannel, double &outMinimum, double &outMaximum, double &outMean)
{
    RegionStatistics(inChannel, mSelection, outMinimum, outMaximum, outMean);
}

void KyDocument::RegionStatistics(int inChannel, const QRect &inRect, double &outMinimum, double &outMaximum,
                                  double &outMean)
{
    const ImageFile *image = std::as_const(*this).Image(inChannel);
    if (!image) {
        outMinimum = outMaximum = outMean = 0.0;
        return;
    }
    image->RegionStatistics(inRect, CachedIntensityTable(), outMinimum, outMaximum, outMean);
}

// ---- Display range -----------------------------------------------------------------------------

bool KyDocument::DisplayRange(int inChannel, quint16 &outLow, quint16 &outHigh) const
{
    const ImageFile *image = Image(inChannel);
    if (!image)
        return false;
    outLow = image->RangeLow();
    outHigh = image->RangeHigh();
    return true;
}

bool KyDocument::SetDisplayRange(int inChannel, quint16 inLow, quint16 inHigh)
{
    if (inChannel == kAllChannels) {
        SetDisplayRangeAll(inLow, inHigh);
        return true;
    }
    ImageFile *image = Image(inChannel);
    if (!image || (image->RangeLow() == inLow && image->RangeHigh() == inHigh))
        return false;
    image->SetRangeLow(inLow);
    image->SetRangeHigh(inHigh);
    ReleaseColorImage();
    mDisplayChanged = true;
    return true;
}

void KyDocument::SetDisplayRangeAll(quint16 inLow, quint16 inHigh)
{
    bool changed = false;
    for (ImageFile &image : mSampleImageList) {
        if (image.RangeLow() != inLow || image.RangeHigh() != inHigh) {
            image.SetRangeLow(inLow);
            image.SetRangeHigh(inHigh);
            changed = true;
        }
    }
    if (changed) {
        ReleaseColorImage();
        mDisplayChanged = true;
    }
}

void KyDocument::AutoRange(int inChannel)
{
    if (inChannel == kAllChannels) {
        for (int i = 0; i < mSampleImageList.size(); ++i)
            AutoRange(i);
        return;
    }
    ImageFile *image = Image(inChannel);
    if (!image || image->IsNull())
        return;
    const quint16 low = image->RangeLow();
    const quint16 high = image->RangeHigh();
    image->AutoRange();
    if (image->RangeLow() != low || image->RangeHigh() != high) {
        ReleaseColorImage();
        mDisplayChanged = true;
    }
}

void KyDocument::ResetRange(int inChannel)
{
    const quint16 offset = toLevel(SystemSettings::instance()->intValue(QStringLiteral("DarkframeOffset")));
    // Through the range setter: a colour picture composed with the old levels must go with them.
    SetDisplayRange(inChannel, offset, 65535);
}

bool KyDocument::ChangeContrast(int inChannel, int inStep)
{
    ImageFile *image = Image(inChannel);
    if (!image || !stepRange(*image, &ImageFile::ChangeContrast, inStep, "Inc_Contrast_MoveRatio",
                             "Inc_Contrast_MinDistance", "Inc_Contrast_DistanceOfOutside"))
        return false;
    ReleaseColorImage();
    mDisplayChanged = true;
    return true;
}

bool KyDocument::ChangeBrightness(int inChannel, int inStep)
{
    ImageFile *image = Image(inChannel);
    if (!image || !stepRange(*image, &ImageFile::ChangeBrightness, inStep, "Inc_Brightness_MoveRatio",
                             "Inc_Brightness_Threshold", "Inc_Brightness_ShortStep"))
        return false;
    ReleaseColorImage();
    mDisplayChanged = true;
    return true;
}

// ---- Polarity and highlight --------------------------------------------------------------------

bool KyDocument::IsNegative(int inChannel) const
{
    const ImageFile *image = Image(inChannel);
    return image ? image->IsNegative() : true;
}

void KyDocument::SetNegative(int inChannel, bool inNegative)
{
    ImageFile *image = Image(inChannel);
    if (!image || image->IsNegative() == inNegative)
        return;
    image->SetNegative(inNegative);
    mDisplayChanged = true;
}

void KyDocument::InvertAll()
{
    for (int i = 0; i < ImageCount(); ++i) {
        if (ImageFile *image = Image(i))
            image->SetNegative(!image->IsNegative());
    }
    mDisplayChanged = true;
}

void KyDocument::SetHighlight(bool inOn)
{
    if (mHighlight != inOn)
        mHighlight = inOn;
}

// ---- Histogram picture -------------------------------------------------------------------------

void KyDocument::RenderHistogram(int inChannels, int inWidth, bool inShowRange)
{
    if (inWidth <= 0)
        return;
    QImage picture(inWidth, kHistogramHeight, QImage::Format_RGB32);
    if (picture.isNull())
        return;
    picture.fill(Qt::white);
    mHistogramImage = picture;

    QPainter painter(&mHistogramImage);
    if (inChannels & 0x80) {
        const struct
        {
            int bit;
            Qt::GlobalColor colour;
        } curves[] = {{1, Qt::blue}, {2, Qt::green}, {4, Qt::red}};
        for (int c = 0; c < 3; ++c) {
            if (!(inChannels & curves[c].bit))
                continue;
            QColor colour(curves[c].colour);
            colour.setAlphaF(0.3f);
            painter.setPen(QPen(colour));
            DrawHistogramCurve(painter, c, inWidth);
        }
    } else {
        painter.setPen(QPen(QColor(20, 20, 20, 255)));
        DrawHistogramCurve(painter, inChannels, inWidth);
        quint16 low = 0;
        quint16 high = 0;
        if (inShowRange && DisplayRange(inChannels, low, high)) {
            const int lowX = KyRounding::truncatedHalfUp(double(low) * (inWidth - 2) / 65535.0);
            const int highX = KyRounding::truncatedHalfUp(double(high) * (inWidth - 2) / 65535.0);
            QPen marker(QColor(55, 106, 169), 5.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
            painter.setPen(marker);
            painter.drawLine(lowX + 1, kHistogramHeight, lowX + 1, 0);
            marker.setColor(QColor(188, 51, 125));
            painter.setPen(marker);
            painter.drawLine(highX + 1, kHistogramHeight, highX + 1, 0);
        }
    }
    painter.setPen(QPen(Qt::black));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(mHistogramImage.rect().adjusted(0, 0, -1, -1));
}

void KyDocument::DrawHistogramCurve(QPainter &ioPainter, int inChannel, int inWidth)
{
    const int bins = inWidth - 2;
    const ImageFile *image = std::as_const(*this).Image(inChannel);
    if (bins < 1 || !image)
        return;
    const QVector<double> &histogram = image->Histogram();
    const qsizetype levels = std::min(histogram.size(), kGreyLevels);

    // Each bucket shows the fullest grey level of its span.
    QVector<double> buckets;
    buckets.reserve(bins);
    const double span = 65535.0 / inWidth;
    qint64 start = 0;
    while (start < kGreyLevels && buckets.size() < bins) {
        const qint64 end = std::min<qint64>(65535, qint64(start + span + 0.5));
        double value = 0.0;
        for (qint64 g = start; g <= end && g < levels; ++g)
            value = std::max(value, histogram.at(g));
        buckets.append(value);
        start = end + 1;
    }
    const double scale = *std::max_element(buckets.cbegin(), buckets.cend());
    // An image without pixels (or only a histogram of zeros) has no curve to scale.
    if (!(scale > 0.0))
        return;
    // A wide picture may have more columns than buckets: columns past the last bucket stay empty.
    const int columns = int(std::min<qsizetype>(bins, buckets.size()));
    for (int x = 1; x <= columns; ++x) {
        const int y = KyRounding::truncated(kHistogramHeight - buckets.at(x - 1) * kHistogramHeight * 3 / scale);
        ioPainter.drawLine(x, kHistogramHeight, x, y);
    }
}
