#include "image/imagedescription.h"

#include "image/imagefile.h"

#include <QStringList>

namespace {

enum EWhen { kAlways, kWhenSet, kRange };

struct DescriptionKey
{
    const char *key;
    EWhen when;
};

// The order in which the keys are written. "Range low" and "Range high" come from the display range.
constexpr DescriptionKey kKeys[] = {
    {"Comment", kAlways},        {"Method", kAlways},         {"Light", kAlways},
    {"Filter", kAlways},         {"Tray position", kAlways},  {"Exposure time", kAlways},
    {"Channel", kWhenSet},       {"Date time", kAlways},      {"Temperature", kAlways},
    {"Door status", kAlways},    {"Binning", kAlways},        {"Software", kAlways},
    {"Serial number", kAlways},  {"Instrument", kAlways},     {"Darkframe", kAlways},
    {"Dark offset", kAlways},    {"Spotting", kAlways},       {"Flatframe", kAlways},
    {"Distortion", kAlways},     {"Invert", kAlways},         {"OD parameter", kAlways},
    {"Expand", kAlways},         {"Image split", kAlways},    {"Range low", kRange},
    {"Range high", kRange},      {"Exposure mode", kWhenSet}, {"Zoom", kWhenSet},
    {"Sum", kWhenSet},           {"Lane", kWhenSet},          {"Band", kWhenSet},
    {"Background", kWhenSet},    {"MWStandardLane", kWhenSet}, {"MWStandard", kWhenSet},
    {"Median", kWhenSet},        {"Averaging", kWhenSet},
};

} // namespace

// A line feed would end the line early and a zero byte would end the whole text when the file is
// read back: either would cost every item after it.
QString imageDescriptionValue(QString inValue)
{
    for (QChar &c : inValue) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar(0))
            c = QLatin1Char(' ');
    }
    return inValue;
}

QString buildImageDescription(const ImageFile &inImage)
{
    QString text;
    text.reserve(1024);
    for (const DescriptionKey &entry : kKeys) {
        const QString key = QLatin1String(entry.key);
        QString value;
        if (entry.when == kRange)
            value = QString::number(key == QLatin1String("Range low") ? inImage.RangeLow() : inImage.RangeHigh());
        else
            value = inImage.Tag(key);
        if (entry.when == kWhenSet && value.isEmpty())
            continue;
        text += key;
        text += QLatin1String(" = ");
        text += imageDescriptionValue(value);
        text += QLatin1String("\r\n");
    }
    return text;
}

bool parseImageDescription(const QString &inText, ImageTagList &ioItems)
{
    const QStringList lines = inText.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    qsizetype first = 0;
    if (!lines.isEmpty() && !lines.first().contains(QLatin1Char('='))) {
        ioItems.append(ImageTag{QStringLiteral("Comment"), lines.first()});
        first = 1;
    }
    for (qsizetype i = first; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            ioItems.append(ImageTag{line.simplified(), QString()});
        else
            ioItems.append(ImageTag{line.left(eq).simplified(), line.mid(eq + 1).simplified()});
    }
    return true;
}
