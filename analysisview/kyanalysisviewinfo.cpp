// The analysis information text printed above images and in the summary PDF.
#include "analysisview/kyanalysisview.h"

#include "document/kydocument.h"
#include "image/imagefile.h"

#include <QDateTime>
#include <QStringList>

namespace {

const QString kTagLight = QStringLiteral("Light");
const QString kTagFilter = QStringLiteral("Filter");
const QString kTagTray = QStringLiteral("Tray position");
const QString kTagExposure = QStringLiteral("Exposure time");
const QString kTagDateTime = QStringLiteral("Date time");
const QString kTagSerial = QStringLiteral("Serial number");
const QString kSeparator = QStringLiteral(" + ");

// The file name without its last extension; a name without a dot has no base name.
QString baseName(const ImageFile &inImage)
{
    const QString name = inImage.FileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.left(dot);
}

// The light source without its detail: "Epi-Blue" is shown as "Epi".
QString lightOf(const ImageFile &inImage)
{
    const QString light = inImage.Tag(kTagLight);
    const int dash = light.indexOf(QLatin1Char('-'));
    return dash < 0 ? light : light.left(dash);
}

// "yyyy:MM:dd ..." as "yyyy/MM/dd ...": only the two date separators change.
QString captureDateOf(const ImageFile &inImage)
{
    QString date = inImage.Tag(kTagDateTime);
    for (int position : {4, 7}) {
        if (position < date.size())
            date[position] = QLatin1Char('/');
    }
    return date;
}

// Values of several images, one separator after each; the last separator goes. An empty value
// still takes its place, so the images stay countable.
void appendJoined(QString &ioList, const QString &inValue)
{
    ioList += inValue;
    ioList += kSeparator;
}

void finishJoined(QString &ioList)
{
    if (ioList.endsWith(kSeparator))
        ioList.chop(kSeparator.size());
}

// The images a joined line lists: every non-null record, in image order, whose bit is in the mask.
QList<int> listedImages(const KyDocument &inDoc, int inMask)
{
    QList<int> indexes;
    for (int i = 0; i < inDoc.ImageCount(); ++i) {
        const ImageFile *image = inDoc.Image(i);
        if (image && !image->IsNull() && i < 31 && ((inMask >> i) & 1))
            indexes.append(i);
    }
    return indexes;
}

constexpr int kAllImages = ~0;

} // namespace

void KyAnalysisView::setInfoClock(std::function<QDateTime()> clock)
{
    mInfoClock = std::move(clock);
}

QString KyAnalysisView::analysisInfoText(int displayKind, int documentKind, bool wholeDocument)
{
    switch (documentKind) {
    case kDocument_Single:
        if (displayKind == kDisplay_Channel)
            return singleInfoText();
        return QString();
    case kDocument_Marker:
        switch (displayKind) {
        case kDisplay_Channel:
            return singleInfoText();
        case kDisplay_Marker:
            return multiInfoText();
        case kDisplay_Color:
            return markerInfoText(wholeDocument);
        default:
            return QString();
        }
    case kDocument_Multi:
        switch (displayKind) {
        case kDisplay_Channel:
            return singleInfoText();
        case kDisplay_Composite: {
            const int selection = selectedChannel();
            int mask = (selection >= 0 && selection <= 2) ? (1 << selection) : selection;
            if (wholeDocument && document())
                mask = document()->ChannelMask();
            return channelInfoText(mask);
        }
        case kDisplay_Marker:
            return multiInfoText();
        case kDisplay_Color:
            return markerInfoText(wholeDocument);
        default:
            return QString();
        }
    case kDocument_Color:
        if (displayKind == kDisplay_Channel)
            return singleInfoText();
        if (displayKind == kDisplay_Color)
            return colorimetricInfoText();
        return QString();
    default:
        return QString();
    }
}

namespace {

// The lines every builder shares, in their order; a builder fills the values it has.
struct InfoValues
{
    QString fileName;
    QString channel;        // written only when hasChannel
    bool hasChannel = false;
    QString method;         // written only when hasMethod
    bool hasMethod = false;
    QString light;
    QString filter;
    QString tray;
    bool lowerCaseTray = false;
    QString exposure;
    QString captureDate;
    QString serial;
};

} // namespace

// One text from the values; kept in the class for tr().
static QString composeInfo(const InfoValues &inValues, const QDateTime &inNow)
{
    QString text;
    text += KyAnalysisView::tr("File name:\t%1\n").arg(inValues.fileName);
    text += KyAnalysisView::tr("\t\n");
    if (inValues.hasChannel)
        text += KyAnalysisView::tr("Channel:\t%1\n").arg(inValues.channel);
    text += KyAnalysisView::tr("Date and time of analysis:\t%1\n")
                .arg(inNow.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")));
    if (inValues.hasMethod)
        text += KyAnalysisView::tr("Method:\t%1\n").arg(inValues.method);
    text += KyAnalysisView::tr("Light:\t%1\n").arg(inValues.light);
    text += KyAnalysisView::tr("Filter:\t%1\n").arg(inValues.filter);
    text += inValues.lowerCaseTray ? KyAnalysisView::tr("Tray position:\t%1\n").arg(inValues.tray)
                                   : KyAnalysisView::tr("Tray Position:\t%1\n").arg(inValues.tray);
    text += KyAnalysisView::tr("Exposure time:\t%1\n").arg(inValues.exposure);
    text += KyAnalysisView::tr("Date and time of capture:\t%1\n").arg(inValues.captureDate);
    text += KyAnalysisView::tr("Serial number:\t%1\n").arg(inValues.serial);
    return text;
}

// The values of one image (the single-channel and marker-image texts).
static InfoValues oneImageValues(const KyDocument &inDoc, int inIndex, const ImageFile &inImage)
{
    InfoValues values;
    values.fileName = inDoc.IsOpenedDocument() ? baseName(inImage) : KyAnalysisView::tr("(Not saved)");
    values.hasMethod = true;
    values.method = inDoc.ChannelName(inIndex);
    values.light = lightOf(inImage);
    values.filter = inImage.Tag(kTagFilter);
    values.tray = inImage.Tag(kTagTray);
    values.exposure = inImage.Tag(kTagExposure);
    values.captureDate = captureDateOf(inImage);
    values.serial = inImage.Tag(kTagSerial);
    return values;
}

// The values of several images: the listed ones are joined, the rest come from the first image.
static InfoValues joinedValues(const KyDocument &inDoc, const ImageFile &inFirst, const QList<int> &inImages)
{
    InfoValues values;
    for (int i : inImages) {
        const ImageFile &image = *inDoc.Image(i);
        appendJoined(values.channel, inDoc.ChannelName(i));
        appendJoined(values.light, lightOf(image));
        appendJoined(values.filter, image.Tag(kTagFilter));
        appendJoined(values.exposure, image.Tag(kTagExposure));
    }
    finishJoined(values.channel);
    finishJoined(values.light);
    finishJoined(values.filter);
    finishJoined(values.exposure);
    values.method = values.channel;
    values.tray = inFirst.Tag(kTagTray);
    values.captureDate = captureDateOf(inFirst);
    values.serial = inFirst.Tag(kTagSerial);
    return values;
}

QString KyAnalysisView::singleInfoText()
{
    const KyDocument *doc = document();
    if (!doc)
        return QString();
    const ImageFile *image = doc->Image(mChannel);
    if (!image)
        return QString();
    return composeInfo(oneImageValues(*doc, mChannel, *image), mInfoClock ? mInfoClock() : QDateTime::currentDateTime());
}

QString KyAnalysisView::multiInfoText()
{
    const KyDocument *doc = document();
    if (!doc)
        return QString();
    const ImageFile *first = doc->FirstValidImage();
    const ImageFile *marker = doc->Image(1);
    if (!first || !doc->HasMarker() || !marker)
        return QString();
    return composeInfo(oneImageValues(*doc, 1, *marker), mInfoClock ? mInfoClock() : QDateTime::currentDateTime());
}

QString KyAnalysisView::channelInfoText(int channelMask)
{
    const KyDocument *doc = document();
    if (!doc)
        return QString();
    const ImageFile *first = doc->FirstValidImage();
    if (!first)
        return QString();
    InfoValues values = joinedValues(*doc, *first, listedImages(*doc, channelMask));
    values.hasChannel = true;
    if (doc->IsOpenedDocument()) {
        // The channel files of one capture differ only after their last '-'.
        const QString base = baseName(*first);
        const int dash = base.lastIndexOf(QLatin1Char('-'));
        values.fileName = dash < 0 ? base : base.left(dash);
    } else {
        values.fileName = tr("(Not saved)");
    }
    return composeInfo(values, mInfoClock ? mInfoClock() : QDateTime::currentDateTime());
}

QString KyAnalysisView::colorimetricInfoText()
{
    const KyDocument *doc = document();
    if (!doc)
        return QString();
    const ImageFile *first = doc->FirstValidImage();
    if (!first)
        return QString();
    InfoValues values = joinedValues(*doc, *first, listedImages(*doc, kAllImages));
    values.hasMethod = true;
    values.fileName = doc->IsOpenedDocument() ? baseName(*first) : tr("(Not saved)");
    return composeInfo(values, mInfoClock ? mInfoClock() : QDateTime::currentDateTime());
}

QString KyAnalysisView::markerInfoText(bool wholeDocument)
{
    const KyDocument *doc = document();
    if (!doc)
        return QString();
    const ImageFile *first = doc->FirstValidImage();
    if (!first)
        return QString();
    InfoValues values = joinedValues(*doc, *first, listedImages(*doc, kAllImages));
    values.hasMethod = true;
    values.lowerCaseTray = true;
    if (!doc->IsOpenedDocument()) {
        values.fileName = tr("(Not saved)");
    } else if (wholeDocument) {
        // The whole capture is named by its folder.
        const QStringList parts = first->FilePath().split(QLatin1Char('/'));
        values.fileName = parts.size() >= 2 ? parts.at(parts.size() - 2) : QString();
    } else {
        values.fileName = baseName(*first) + QStringLiteral("+Marker");
    }
    return composeInfo(values, mInfoClock ? mInfoClock() : QDateTime::currentDateTime());
}
