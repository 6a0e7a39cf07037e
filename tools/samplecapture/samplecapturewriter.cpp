#include "samplecapturewriter.h"

#include "knownbandgel.h"
#include "samplepainter.h"

#include "core/lfile.h"
#include "core/systemsettings.h"
#include "instrument/capturecondition.h"
#include "image/imagefile.h"
#include "instrument/lightmode.h"

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QTimeZone>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Light modes of the samples (the instrument's ids): the blot in the upper tray, its marker under
// the upper epi white light, the three standard fluorescence channels, and the stained gel under
// the transmitted white light.
constexpr int kChemiluminescenceUpper = 0;
constexpr int kUpperEpiWhiteBlue = 8;
constexpr std::array<int, 3> kFluorescenceChannels{2, 3, 4};
constexpr int kTransWhiteBlue = 16;

const QString kNo = QStringLiteral("No");

// The capture times: one morning's session, a few minutes between the captures.
QDateTime sessionTime(int inSeconds)
{
    return QDateTime(QDate(2024, 3, 15), QTime(10, 22, 31), QTimeZone::utc()).addSecs(inSeconds);
}

// The binning whose full-frame readout is nearest the image width, so that the pixel size and the
// binning items fit the image.
int binningCodeForWidth(int inWidth)
{
    struct Row
    {
        int width;
        int code;
    };
    constexpr std::array<Row, 5> rows{{{2046, 0}, {1024, 1}, {512, 2}, {256, 3}, {128, 7}}};
    const auto distance = [inWidth](const Row &row) { return std::abs(std::log(double(inWidth) / row.width)); };
    return std::min_element(rows.begin(), rows.end(), [&](const Row &a, const Row &b) {
               return distance(a) < distance(b);
           })->code;
}

// The items the instrument gives the grey image it composes from three white-light exposures (blue,
// green, red): the three lights and corrections joined, no single exposure time, inverted.
void setComposedItems(ImageFile &ioImage, int inBlueMode)
{
    QStringList lights;
    for (int id = inBlueMode; id < inBlueMode + 3; ++id)
        lights << LightMode(id).light().name();
    ioImage.SetTag(QStringLiteral("Light"), lights.join(QLatin1Char(',')));
    const QString none = QStringList{kNo, kNo, kNo}.join(QLatin1Char(','));
    ioImage.SetTag(QStringLiteral("Darkframe"), none);
    ioImage.SetTag(QStringLiteral("Flatframe"), none);
    ioImage.SetTag(QStringLiteral("Exposure time"), QStringLiteral("Automatic"));
    ioImage.SetTag(QStringLiteral("Invert"), QStringLiteral("Yes"));
}

void finish(ImageFile &ioImage)
{
    ioImage.UpdateHistogram();
    ioImage.AutoRange();
}

// The image's 8-bit display picture as 24-bit RGB.
QImage displayPicture(ImageFile &ioImage)
{
    return ioImage.ToIndexed8(false).convertToFormat(QImage::Format_RGB888);
}

void setResolution(QImage &ioPicture, double inPixelSize)
{
    const int dots = ImageFile::DotsPerMeter(inPixelSize);
    if (dots > 0) {
        ioPicture.setDotsPerMeterX(dots);
        ioPicture.setDotsPerMeterY(dots);
    }
}

} // namespace

const QStringList &SampleCaptureWriter::KindNames()
{
    static const QStringList names{QStringLiteral("gel"), QStringLiteral("marker"), QStringLiteral("fluor"),
                                   QStringLiteral("color")};
    return names;
}

SampleCaptureWriter::SampleCaptureWriter(int inWidth, int inHeight, quint64 inSeed)
    : width(inWidth)
    , height(inHeight)
    , seed(inSeed)
    , darkOffset(std::clamp(SystemSettings::instance()->intValue(QStringLiteral("DarkframeOffset")), 0, 30000))
{
}

QString SampleCaptureWriter::Write(const QString &inKind, const QString &inFolder)
{
    error.clear();
    if (width < 1 || height < 1) {
        error = QStringLiteral("The image size %1 x %2 is empty.").arg(width).arg(height);
        return QString();
    }
    if (inKind == QLatin1String("gel"))
        return WriteGel(inFolder, false);
    if (inKind == QLatin1String("marker"))
        return WriteGel(inFolder, true);
    if (inKind == QLatin1String("fluor"))
        return WriteFluorescence(inFolder);
    if (inKind == QLatin1String("color"))
        return WriteColorimetric(inFolder);
    error = QStringLiteral("Unknown kind of capture: %1").arg(inKind);
    return QString();
}

QString SampleCaptureWriter::WriteGel(const QString &inFolder, bool inWithMarker)
{
    const QDateTime time = sessionTime(inWithMarker ? 194 : 0);
    const QString comment = QStringLiteral("Synthetic chemiluminescent blot: ladder in lane 1, dilution series in lanes 2 to %1%2 (seed %3)")
                                .arg(SamplePainter::kLaneCount)
                                .arg(inWithMarker ? QStringLiteral(", white-light marker") : QString())
                                .arg(seed);
    const SamplePainter painter(width, height, seed, darkOffset);
    ImageFile blot = NewImage(kChemiluminescenceUpper, 30000, time, comment);
    painter.PaintBlot(blot.Data());
    finish(blot);

    const QString name = BaseName(inWithMarker ? QStringLiteral("Marker") : QStringLiteral("Chemi"), time)
                         + QLatin1Char('_') + blot.LightMode().shortName();
    const QString folder = QDir(inFolder).filePath(name);
    const QString base = folder + QLatin1Char('/') + name;
    if (!MakeFolder(folder) || !SaveTiff(base, blot))
        return QString();

    if (!inWithMarker) {
        // The display picture as the instrument saves it: 8-bit grey.
        QImage shown = blot.ToIndexed8(false);
        setResolution(shown, blot.PixelSize());
        return SaveJpeg(base, shown) ? folder : QString();
    }

    // The marker: the grey image composed from the three white-light exposures taken just after the
    // blot, their colour picture, and the blot laid over it.
    ImageFile marker = NewImage(kUpperEpiWhiteBlue, 0, time.addSecs(12), comment);
    setComposedItems(marker, kUpperEpiWhiteBlue);
    QImage colour;
    painter.PaintMarker(marker.Data(), colour);
    finish(marker);
    setResolution(colour, marker.PixelSize());

    QImage overlay = displayPicture(blot);
    for (int y = 0; y < height; ++y) {
        uchar *target = overlay.scanLine(y);
        const uchar *second = colour.constScanLine(y);
        for (int i = 0; i < 3 * width; ++i)
            target[i] = uchar(std::clamp(int(target[i]) + int(second[i]) - 255, 0, 255));
    }
    setResolution(overlay, blot.PixelSize());

    SystemSettings *settings = SystemSettings::instance();
    const QString grey = settings->stringValue(QStringLiteral("Marker_GrayImageSuffix"));
    const QString overlaid = settings->stringValue(QStringLiteral("Marker_OverlaidImageSuffix"));
    if (!SaveTiff(base + grey, marker) || !SaveJpeg(base + grey, colour) || !SaveJpeg(base + overlaid, overlay))
        return QString();
    return folder;
}

QString SampleCaptureWriter::WriteKnownBands(const KnownBandGel &inGel, const QString &inFolder)
{
    error.clear();
    if (inGel.Width() < 1 || inGel.Height() < 1) {
        error = QStringLiteral("The image size %1 x %2 is empty.").arg(inGel.Width()).arg(inGel.Height());
        return QString();
    }
    // The image's size sets its binning and so its pixel size.
    SampleCaptureWriter sized(inGel.Width(), inGel.Height(), seed);
    const QDateTime time = sessionTime(0);
    const QString comment = QStringLiteral("Synthetic chemiluminescent blot of known bands, %1 lanes (seed %2)")
                                .arg(inGel.LaneCount())
                                .arg(seed);
    ImageFile blot = sized.NewImage(kChemiluminescenceUpper, 30000, time, comment);
    inGel.Paint(blot.Data());
    finish(blot);

    const QString name = BaseName(QStringLiteral("Bands"), time) + QLatin1Char('_') + blot.LightMode().shortName();
    const QString folder = QDir(inFolder).filePath(name);
    const QString base = folder + QLatin1Char('/') + name;
    if (!MakeFolder(folder) || !SaveTiff(base, blot))
        return QString();
    QImage shown = blot.ToIndexed8(false);
    setResolution(shown, blot.PixelSize());
    return SaveJpeg(base, shown) ? folder : QString();
}

QString SampleCaptureWriter::WriteFluorescence(const QString &inFolder)
{
    const QDateTime time = sessionTime(662);
    const QString comment = QStringLiteral("Synthetic fluorescent blot, three channels: ladder in lane 1, samples in lanes 2 to %1 (seed %2)")
                                .arg(SamplePainter::kLaneCount)
                                .arg(seed);
    const SamplePainter painter(width, height, seed, darkOffset);
    constexpr std::array<quint32, 3> exposures{4000, 8000, 15000};

    std::array<ImageFile, 3> channels;
    for (int c = 0; c < 3; ++c) {
        ImageFile &image = channels[size_t(c)];
        image = NewImage(kFluorescenceChannels[size_t(c)], exposures[size_t(c)], time, comment);
        image.SetTag(QStringLiteral("Channel"), QString::number(c + 1));
        painter.PaintFluorescence(c, image.Data());
        finish(image);
    }

    // Files are named after the capture and each channel's colour: <name>-Blue for the channel
    // named Fl-Blue, and the composite after the capture alone.
    const QString channelName = channels[0].LightMode().shortName();
    const QString name = BaseName(QStringLiteral("Fluor"), time) + QLatin1Char('_')
                         + channelName.section(QLatin1Char('-'), 0, -2);
    const QString folder = QDir(inFolder).filePath(name);
    const QString base = folder + QLatin1Char('/') + name;
    if (!MakeFolder(folder))
        return QString();
    for (const ImageFile &image : channels) {
        const QString colour = image.LightMode().shortName().section(QLatin1Char('-'), -1);
        if (!SaveTiff(base + QLatin1Char('-') + colour, image))
            return QString();
    }

    // The composite: channel 1 blue, 2 green, 3 red, each shown positive; a pixel at the top of its
    // display range in any channel gets the saturated colour.
    std::array<QImage, 3> planes;
    for (int c = 0; c < 3; ++c) {
        ImageFile shown(channels[size_t(c)]);
        shown.SetNegative(false);
        planes[size_t(c)] = shown.ToIndexed8(false);
    }
    const QColor saturated = SystemSettings::instance()->colorValue(QStringLiteral("SaturatedPixelColor"));
    QImage composite(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        const uchar *blue = planes[0].constScanLine(y);
        const uchar *green = planes[1].constScanLine(y);
        const uchar *red = planes[2].constScanLine(y);
        uchar *rgb = composite.scanLine(y);
        for (int x = 0; x < width; ++x) {
            if (blue[x] == 255 || green[x] == 255 || red[x] == 255) {
                rgb[3 * x] = uchar(saturated.red());
                rgb[3 * x + 1] = uchar(saturated.green());
                rgb[3 * x + 2] = uchar(saturated.blue());
            } else {
                rgb[3 * x] = red[x];
                rgb[3 * x + 1] = green[x];
                rgb[3 * x + 2] = blue[x];
            }
        }
    }
    setResolution(composite, channels[0].PixelSize());
    return SaveJpeg(base, composite) ? folder : QString();
}

QString SampleCaptureWriter::WriteColorimetric(const QString &inFolder)
{
    const QDateTime time = sessionTime(1180);
    const QString comment = QStringLiteral("Synthetic stained gel, transmitted white light: ladder in lane 1, samples in lanes 2 to %1 (seed %2)")
                                .arg(SamplePainter::kLaneCount)
                                .arg(seed);
    const SamplePainter painter(width, height, seed, darkOffset);

    ImageFile gel = NewImage(kTransWhiteBlue, 0, time, comment);
    setComposedItems(gel, kTransWhiteBlue);
    // The optical-density calibration of the grey levels, from the instrument's calibration.
    SystemSettings *settings = SystemSettings::instance();
    gel.SetTag(QStringLiteral("OD parameter"),
               QStringLiteral("P:%1,A:%2,B:%3,C:%4")
                   .arg(settings->intValue(QStringLiteral("ODCalibration_P")))
                   .arg(settings->doubleValue(QStringLiteral("ODCalibration_A")))
                   .arg(settings->doubleValue(QStringLiteral("ODCalibration_B")))
                   .arg(settings->doubleValue(QStringLiteral("ODCalibration_C"))));
    QImage colour;
    painter.PaintStainedGel(gel.Data(), colour);
    finish(gel);
    setResolution(colour, gel.PixelSize());

    const QString name = BaseName(QStringLiteral("Stain"), time) + QLatin1Char('_') + gel.LightMode().shortName();
    const QString folder = QDir(inFolder).filePath(name);
    const QString base = folder + QLatin1Char('/') + name;
    if (!MakeFolder(folder) || !SaveTiff(base, gel) || !SaveJpeg(base, colour))
        return QString();
    return folder;
}

ImageFile SampleCaptureWriter::NewImage(int inLightMode, quint32 inExposureMSec, const QDateTime &inTime,
                                        const QString &inComment) const
{
    CaptureCondition capture(LightMode(inLightMode, QString(), QString(), binningCodeForWidth(width)),
                             inExposureMSec, QString());
    capture.setCaptureTime(inTime);
    ImageFile image(capture);
    image.Resize(width, height);
    image.SetComment(inComment);
    image.SetTag(QStringLiteral("Dark offset"), QString::number(darkOffset));
    // The capturing side's texts: this tool stands in for the instrument's software.
    image.SetTag(QStringLiteral("Software"), QStringLiteral("samplecapture Ver.%1").arg(QStringLiteral(KY_SAMPLE_VERSION)));
    image.SetTag(QStringLiteral("Instrument"), QStringLiteral("Brevik Ziredo 410"));
    image.SetTag(QStringLiteral("Serial number"), QStringLiteral("SIM00001"));
    return image;
}

QString SampleCaptureWriter::BaseName(const QString &inSample, const QDateTime &inTime) const
{
    QString time = CaptureCondition::dateTimeText(inTime);
    time.replace(QLatin1Char(':'), QLatin1Char('.')).replace(QLatin1Char(' '), QLatin1Char('_'));
    return inSample + QLatin1Char(' ') + time;
}

bool SampleCaptureWriter::MakeFolder(const QString &inFolder)
{
    if (QDir().mkpath(inFolder))
        return true;
    error = QStringLiteral("Cannot make the folder %1").arg(inFolder);
    return false;
}

bool SampleCaptureWriter::SaveTiff(const QString &inPathWithoutSuffix, const ImageFile &inImage)
{
    if (ImageFile::Save(inPathWithoutSuffix, inImage))
        return true;
    error = QStringLiteral("Cannot write %1.tif").arg(inPathWithoutSuffix);
    return false;
}

bool SampleCaptureWriter::SaveJpeg(const QString &inPathWithoutSuffix, const QImage &inImage)
{
    const QString path = inPathWithoutSuffix + QStringLiteral(".jpg");
    // Encoded in memory and written unbuffered: QImageWriter does not look at the flush of a file it
    // opens itself, so a full disk would leave a cut-off picture behind a success.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpg");
    if (!writer.write(inImage)) {
        error = QStringLiteral("Cannot write %1: %2").arg(path, writer.errorString());
        return false;
    }
    LFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    const bool written = file.write(bytes) == bytes.size();
    // close() forgets the error of a failed write: keep its text first.
    QString reason = file.errorString();
    file.close();
    if (written && file.error() == QFileDevice::NoError)
        return true;
    if (written)
        reason = file.errorString();
    error = QStringLiteral("Cannot write %1: %2").arg(path, reason);
    return false;
}
