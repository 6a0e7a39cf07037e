#pragma once

#include "instrument/capturecondition.h"
#include "image/contraststep.h"
#include "image/imagetag.h"

#include <QByteArray>
#include <QMutex>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QRectF>
#include <QRgb>
#include <QVector>

#include <atomic>

// One 16-bit greyscale instrument image: pixels, histogram, display range, capture conditions and
// the ordered metadata items that travel with it in its TIFF file. Grey level 65535 marks a
// saturated pixel.
//
// Not locked: rendering and zoom read one image from several pool threads at once, each writing
// only its own strip of the output; nothing may change the image meanwhile.
class ImageFile
{
public:
    ImageFile();
    // From a capture record: a black image of the readout size with the items a capture writes.
    explicit ImageFile(const CaptureCondition &inCapture);
    // Copies every field except the cached display image.
    ImageFile(const ImageFile &inOther);
    ImageFile &operator=(const ImageFile &inOther);
    ~ImageFile();

    void CopyFrom(const ImageFile &inOther, bool inWithPixels);
    bool IsNull() const { return width == 0; }
    int Width() const { return width; }
    int Height() const { return height; }
    void Resize(int inWidth, int inHeight);
    // Takes ioPixels (inWidth x inHeight pixels, row-major) as the image's pixels at once, and its
    // size with them; ioPixels is empty afterwards. A buffer of another length gives a null image.
    void SetPixelBuffer(int inWidth, int inHeight, QByteArray &ioPixels);
    quint16 *Data();
    const quint16 *ConstData() const;
    void Fill(quint16 inValue);
    void UpdateHistogram();
    const QVector<double> &Histogram() const
    {
        EnsureHistogram();
        return histogram;
    }

    // Files (the TIFF codec). Save writes path + ".tif" (a trailing ".tif" of inPath is cut first).
    static bool Read(const QString &inPath, ImageFile &outImage);
    static bool Save(const QString &inPath, const ImageFile &inImage);

    // Metadata items.
    QString Tag(const QString &inKey) const;
    void SetTag(const QString &inKey, const QString &inValue);
    void RemoveTag(const QString &inKey);
    const ImageTagList &Tags() const { return tags; }
    void SetTags(const ImageTagList &inTags);
    void CopyTags(const ImageFile &inOther);
    QString Comment() const;
    void SetComment(const QString &inComment);
    QString FilePath() const;
    QString FileName() const;
    QString ChannelName() const;
    QString DateTime() const;
    QString Software() const;
    double PixelSize() const;
    void SetPixelSize(double inMicrometres);
    bool IsNegative() const;
    void SetNegative(bool inNegative);
    bool IsLinearScale() const { return linearScale; }
    void SetLinearScale(bool inLinear);
    uint ExposureTime() const;
    void ExposureText(uint inMSec);
    ::LightMode LightMode() const;
    const CaptureCondition &Capture() const { return capture; }
    int CaptureCategory() const;
    int BinningCode() const;
    QString LightText() const;
    QString FilterText() const;
    bool IsIrisF2_8() const;
    uint EffectiveExposure() const;

    // Display range and statistics.
    quint16 RangeLow() const { return rangeLow; }
    quint16 RangeHigh() const { return rangeHigh; }
    void SetRangeLow(quint16 inLow);
    void SetRangeHigh(quint16 inHigh);
    quint16 AutoLow() const { return autoLow; }
    quint16 AutoHigh() const { return autoHigh; }
    void AutoRange();
    void AutoRangeMarker();
    void ChangeContrast(const ContrastStep &inStep);
    void ChangeBrightness(const ContrastStep &inStep);
    quint16 MaxValue() const
    {
        EnsureHistogram();
        return maxValue;
    }
    quint16 MinValue() const
    {
        EnsureHistogram();
        return minValue;
    }
    void RegionStatistics(const QRect &inRect, const QVector<double> &inTable, double &outMin,
                          double &outMax, double &outMean) const;
    quint16 BilinearSample(double inX, double inY, bool *outSaturated = nullptr) const;
    quint16 Pixel(int inX, int inY) const;
    void SetPixel(int inX, int inY, quint16 inValue);
    quint16 NearestPixel(double inX, double inY) const;
    quint16 UpperLevel(uint inCount) const;
    ImageFile &Add(const ImageFile &inOther);
    int Brightness() const;
    int Contrast() const;
    void SetBrightness(int inPercent);
    void SetContrast(int inPercent);
    // Truncates both values toward zero to a multiple of 5.
    static void RoundBrightnessContrast(int &ioBrightness, int &ioContrast);

    // Rendering and geometry.
    ImageFile Zoom(double inX, double inY, double inW, double inH, int inOutW, int inOutH) const;
    ImageFile Zoom(const QRect &inRect, int inOutW, int inOutH) const;
    ImageFile Zoom(const QRectF &inRect, int inOutW, int inOutH) const;
    QImage ToIndexed8(int inX, int inY, int inW, int inH, bool inSaturatedColour);
    QImage ToIndexed8(bool inSaturatedColour);
    QPixmap ToPixmap(int inX, int inY, int inW, int inH);
    QPixmap ToPixmap();
    QVector<QRgb> ColorTable(bool inSaturatedColour) const;
    void DisplayTable(QVector<ushort> &outTable) const;
    void Rotate90();
    void Rotate270();
    ImageFile HalfSize() const;

    // Dots per metre of the display image for a pixel size in micrometres: nearest integer of
    // 1e6 / size; 0 when the size is not positive or not finite (the default resolution is kept).
    static int DotsPerMeter(double inPixelSize);

private:
    void DropDisplay()
    {
        display = QImage();
        displayPixels = QImage();
    }
    // The cached display image with the other colour table, over the same pixels.
    void RecolourDisplay(bool inSaturatedColour);
    // Histogram, smallest and largest value of the pixels as they are.
    void CountHistogram(QVector<double> &outHistogram, quint16 &outMin, quint16 &outMax) const;
    // Counts a histogram that a read left to be counted on first use; safe from several threads.
    void EnsureHistogram() const;
    void CopyHistogram(const ImageFile &inOther);
    // The display range of a brightness and a contrast in percent.
    void SetBrightnessContrast(int inBrightness, int inContrast);
    // A quarter turn in the mode of rotateImageBuffer.
    void Turn(int inMode);

    int width = 0;
    int height = 0;
    QByteArray pixels;
    bool linearScale = true;
    // Counted on first use after a read (histogramPending) and published under histogramMutex.
    mutable QVector<double> histogram;
    mutable quint16 maxValue = 0;
    mutable quint16 minValue = 0;
    CaptureCondition capture;
    ImageTagList tags;
    quint16 rangeLow = 1000;
    quint16 rangeHigh = 65535;
    QImage display;
    // The image the cached display's pixels were rendered into (display itself, or the picture that
    // display shares its pixels with under another colour table).
    QImage displayPixels;
    quint16 autoLow = 0;
    quint16 autoHigh = 65535;
    bool displaySaturated = true;
    mutable QMutex histogramMutex;
    mutable std::atomic<bool> histogramPending{false};
};

// Turns a pixel buffer a quarter turn: mode 0 clockwise, 1 counter-clockwise. Returns 0, or 100
// for any other mode.
int rotateImageBuffer(const ushort *inSource, ushort *outTarget, int inWidth, int inHeight, int inMode);
