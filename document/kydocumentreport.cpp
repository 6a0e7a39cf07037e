// The analysis report: comma-separated text with the capture conditions of every channel image and
// one line per band (volume, share of the lane, normalised value, molecular weight, relative
// mobility). Numbers in the C locale, the text in the locale's encoding with this system's line
// ends.

#include "document/kydocument.h"

#include "core/fileutility.h"
#include "document/kyitemnames.h"
#include "image/imagedescription.h"
#include "instrument/exposuretext.h"

#include <QDateTime>

#include <cmath>

namespace {

QString fixed(double inValue, int inDecimals)
{
    return QString::number(inValue, 'f', inDecimals);
}

// A light name made of parts joined by "-" loses its last part (the colour of a white light).
QString lightText(const QString &inName)
{
    const qsizetype dash = inName.lastIndexOf(QLatin1Char('-'));
    return dash < 0 ? inName : inName.left(dash);
}

} // namespace

bool KyDocument::ExportAnalysisReport(const QString &inPath)
{
    if (!HasAnalysis())
        return true;
    if (mAnalysisChanged)
        ComputeNormalization();

    const ImageFile *first = FirstValidImage();
    if (!first)
        return false;

    // The images the report covers, in index order.
    QList<int> images;
    for (int i = 0; i < ImageCount(); ++i) {
        const ImageFile *image = Image(i);
        if (image && !image->IsNull())
            images.append(i);
    }
    const bool withChannel = !IsSingleImage() || HasMarker();

    QStringList lines;
    // One line, as in the images: a line of its own could start with "=", which spreadsheets run.
    lines << QStringLiteral("Comment,") + imageDescriptionValue(Comment());
    lines << QStringLiteral("Date and time of analysis,")
                 + QDateTime::currentDateTime().toString(QStringLiteral("yyyy:MM:dd hh:mm:ss"));
    lines << QStringLiteral("Date and time of capture,") + first->Tag(KyItemName::DateTime);
    QString channel = QStringLiteral("Channel");
    QString method = QStringLiteral("Method");
    QString light = QStringLiteral("Light");
    QString filter = QStringLiteral("Filter");
    QString exposure = QStringLiteral("Exposure time");
    for (int i : std::as_const(images)) {
        const ImageFile *image = Image(i);
        const LightMode mode = image->LightMode();
        channel += QLatin1Char(',') + ChannelName(i);
        method += QLatin1Char(',') + mode.methodTypeName();
        light += QLatin1Char(',') + lightText(mode.light().name());
        filter += QLatin1Char(',') + mode.filter().name();
        exposure += QLatin1Char(',') + exposureTimeText(image->ExposureTime());
    }
    if (withChannel)
        lines << channel;
    lines << method << light << filter << exposure;
    lines << QString();

    if (!HasBands()) {
        lines << QStringLiteral("No bands.");
    } else {
        const QString header = QStringLiteral("Lane,Band,Volume,Lane %,Normalized value,Mw,Rf");
        lines << (withChannel ? QStringLiteral("Channel,") + header : header);

        const int laneCount = mLaneFrame.laneCount();
        const int volumeDecimals = HasODParameter() ? 2 : 0;
        const bool hasCurve = HasMWCurve();
        const QList<int> standardValues = CheckedMWStandardValues();
        for (int i : std::as_const(images)) {
            if (i >= mBands.size() || mBands.at(i).size() < laneCount)
                continue;
            const QString channelName = ChannelName(i);
            for (int j = 0; j < laneCount; ++j) {
                const KyBandList &list = mBands.at(i).at(j);
                const double normalization = NormalizationValue(j);
                const int laneHeight = LaneHeight(j);
                const bool standardLane = i == mMwChannel && j == mMwLane;
                for (int k = 0; k < list.count(); ++k) {
                    const KyBandInfo band = list.band(k);
                    QStringList fields;
                    if (withChannel)
                        fields << channelName;
                    fields << QString::number(j + 1) << QString::number(k + 1);
                    fields << fixed(band.volume(), volumeDecimals);
                    // Zero denominators give 0 (lane total, lane height) or no value ("-").
                    fields << fixed(LanePercent(band.volume(), list.total()), 2);
                    double normalized = 0.0;
                    if (normalization < 0.0)
                        fields << QStringLiteral("-");
                    else if (band.isNormalizationReference())
                        fields << QStringLiteral("ref");
                    else if (NormalizedValue(band.volume(), normalization, normalized))
                        fields << fixed(normalized, 4);
                    else
                        fields << QStringLiteral("-");
                    if (standardLane) {
                        fields << (k < standardValues.size() ? QStringLiteral("(%1)").arg(standardValues.at(k))
                                                             : QStringLiteral("-"));
                    } else {
                        // Points that no curve fits (too few for its type) give no weight either.
                        const double weight = hasCurve ? MolecularWeightAt(band.peak()) : 0.0;
                        fields << (hasCurve && std::isfinite(weight) ? fixed(weight, 2) : QStringLiteral("-"));
                    }
                    fields << fixed(RelativeMobility(band.peak(), laneHeight), 4);
                    lines << fields.join(QLatin1Char(','));
                }
            }
        }
    }

    QString text;
    for (const QString &line : std::as_const(lines))
        text += line + QLatin1Char('\n');
    return WriteFileWhole(ReportFilePath(FileUtility::Slashed(inPath)), text.toLocal8Bit());
}

QString KyDocument::ReportFilePath(const QString &inPath)
{
    if (inPath.endsWith(QLatin1String(".csv")) || inPath.endsWith(QLatin1String(".txt")))
        return inPath;
    return inPath + QLatin1String(".csv");
}
