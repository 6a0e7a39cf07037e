// The analysis as five text items inside the channel images: "Lane" (the frame), "Band" (one
// channel's bands), "Background", "MWStandardLane" and "MWStandard". Fields are separated by
// single commas, numbers are written in the C locale, flags as 1 or 0.
//
// The texts are read from files and may have been written by anything: every field is looked at
// once, in order, without splitting the text into a list, and nothing is kept that the image
// cannot hold.

#include "document/kydocument.h"

#include "analysis/backgroundsubtraction.h"
#include "core/systemsettings.h"
#include "document/kyitemnames.h"

#include <QSizeF>
#include <QStringView>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Walks the comma-separated fields of a text. Past the last field every field is empty, as a
// missing field reads.
class FieldCursor
{
public:
    explicit FieldCursor(QStringView inText) : mText(inText) {}

    QStringView next()
    {
        if (mPos > mText.size())
            return QStringView();
        const qsizetype comma = mText.indexOf(QLatin1Char(','), mPos);
        const qsizetype end = comma < 0 ? mText.size() : comma;
        const QStringView field = mText.mid(mPos, end - mPos);
        mPos = end + 1;
        return field;
    }

private:
    QStringView mText;
    qsizetype mPos = 0;
};

// A field that is no number reads as 0.
int toInt(QStringView inField)
{
    return inField.toInt();
}

bool isLaneField(QStringView inField)
{
    return inField.startsWith(QLatin1Char('#'));
}

// The one double field, like printf's %g: six significant digits, C locale.
QString formatRatio(double inValue)
{
    return QString::asprintf("%g", inValue);
}

void removeAll(ImageFile &ioImage, const QString &inKey)
{
    // A file may carry a key twice; the second must not come to light once the first is gone.
    for (;;) {
        const ImageTagList &tags = ioImage.Tags();
        const bool present = std::any_of(tags.cbegin(), tags.cend(),
                                         [&inKey](const ImageTag &inTag) { return inTag.key == inKey; });
        if (!present)
            return;
        ioImage.RemoveTag(inKey);
    }
}

void setOrRemove(ImageFile &ioImage, const QString &inKey, const QString &inText)
{
    if (inText.isEmpty())
        removeAll(ioImage, inKey);
    else
        ioImage.SetTag(inKey, inText);
}

} // namespace

QString KyDocument::ItemSafeName(const QString &inName, bool inBandHead)
{
    // The items travel as Latin-1 lines whose values are read back with runs of blanks made single
    // and both ends trimmed; a comma would start a new field and a leading "#" in a band head
    // would read as a lane.
    QString name = inName;
    for (QChar &c : name) {
        const char16_t u = c.unicode();
        if (u == u',' || u < 0x20 || (u >= 0x7f && u <= 0x9f))
            c = QLatin1Char(' ');
        else if (u > 0xff)
            c = QLatin1Char('?');
    }
    name = name.simplified();
    if (inBandHead) {
        // "# #5" must not become "#5" either: blanks and hashes go until something else leads.
        qsizetype lead = 0;
        while (lead < name.size() && (name.at(lead) == QLatin1Char('#') || name.at(lead) == QLatin1Char(' ')))
            ++lead;
        name.remove(0, lead);
    }
    return name;
}

// ---- Writing -----------------------------------------------------------------------------------

QString KyDocument::FormatLanes() const
{
    if (mLaneFrame.isEmpty())
        return QString();
    const KyLaneFrame &f = mLaneFrame;
    return QStringLiteral("%1,%2,").arg(QString::number(f.laneCount()), formatRatio(f.laneWidthRatio()))
           + QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8")
                 .arg(QString::number(f.topLeft().x()), QString::number(f.topLeft().y()),
                      QString::number(f.topRight().x()), QString::number(f.topRight().y()),
                      QString::number(f.bottomLeft().x()), QString::number(f.bottomLeft().y()),
                      QString::number(f.bottomRight().x()), QString::number(f.bottomRight().y()));
}

QString KyDocument::FormatBands(int inChannel) const
{
    if (inChannel < 0 || inChannel >= mBands.size() || mBands.at(inChannel).isEmpty())
        return QString();
    QString text = ItemSafeName(ChannelText(inChannel), true) + QLatin1Char(',');
    const QVector<KyBandList> &lanes = mBands.at(inChannel);
    for (int j = 0; j < lanes.size(); ++j) {
        const KyBandList &list = lanes.at(j);
        if (list.count() == 0)
            continue;
        text += QLatin1Char('#') + QString::number(j + 1) + QLatin1Char(',');
        for (const KyBandInfo &band : list.bands()) {
            text += QString::number(band.start()) + QLatin1Char(',') + QString::number(band.peak())
                    + QLatin1Char(',') + QString::number(band.end()) + QLatin1Char(',')
                    + QLatin1Char(band.isNormalizationReference() ? '1' : '0') + QLatin1Char(',');
        }
    }
    return text;
}

QString KyDocument::FormatBackground() const
{
    return QStringLiteral("%1,%2").arg(BackgroundSubtraction::methodName(mBackgroundMethod),
                                       QString::number(mRollingBallRadius));
}

QString KyDocument::FormatMWStandardLane() const
{
    if (!HasMWStandardLane())
        return QString();
    return QStringLiteral("%1,%2,%3")
        .arg(QString::number(mMwChannel), QString::number(mMwLane), QString::number(MWCurveType()));
}

QString KyDocument::FormatMWStandard() const
{
    const QList<int> &values = mMwStandard.values();
    if (values.isEmpty())
        return QString();
    const QVector<bool> &checks = mMwStandard.checks();
    QString text = ItemSafeName(mMwStandard.name(), false) + QLatin1Char(',')
                   + ItemSafeName(mMwStandard.text(), false) + QLatin1Char(',');
    const qsizetype n = std::min(values.size(), checks.size());
    for (qsizetype k = 0; k < n; ++k)
        text += QString::number(values.at(k)) + QLatin1Char(',') + QLatin1Char(checks.at(k) ? '1' : '0')
                + QLatin1Char(',');
    return text;
}

void KyDocument::WriteAnalysisMetadata()
{
    const QString lanes = FormatLanes();
    for (int i = 0; i < ImageCount(); ++i) {
        ImageFile *image = Image(i);
        if (!image)
            continue;
        if (lanes.isEmpty()) {
            // Background and the molecular-weight items stay as they were.
            removeAll(*image, KyItemName::Lane);
            removeAll(*image, KyItemName::Band);
            continue;
        }
        image->SetTag(KyItemName::Lane, lanes);
        setOrRemove(*image, KyItemName::Band, FormatBands(i));
        setOrRemove(*image, KyItemName::Background, FormatBackground());
        setOrRemove(*image, KyItemName::MWStandardLane, FormatMWStandardLane());
        setOrRemove(*image, KyItemName::MWStandard, FormatMWStandard());
    }
}

// ---- Reading -----------------------------------------------------------------------------------

void KyDocument::ReadAnalysisMetadata()
{
    const ImageFile *first = FirstValidImage();
    if (!first)
        return;
    // The frame alone first: the profiles are extracted once, here, not again by the lane parser.
    SetLaneFrameFromText(first->Tag(KyItemName::Lane));
    ExtractLaneProfiles();
    mChannelTexts.resize(std::max<qsizetype>(3, mChannelTexts.size()));
    mBands.resize(std::max<qsizetype>(3, mBands.size()));

    for (int i = 0; i < ImageCount(); ++i) {
        if (const ImageFile *image = std::as_const(*this).Image(i))
            ParseBands(i, image->Tag(KyItemName::Band));
    }
    // Looked up anew for each item: a kind may add image records while images are reached.
    if ((first = FirstValidImage()))
        ParseBackground(first->Tag(KyItemName::Background));
    if ((first = FirstValidImage()))
        ParseMWStandardLane(first->Tag(KyItemName::MWStandardLane));
    if ((first = FirstValidImage()))
        ParseMWStandard(first->Tag(KyItemName::MWStandard));
}

void KyDocument::SetLaneFrameFromText(const QString &inText)
{
    mLaneFrame.clear();
    if (inText.isEmpty())
        return;
    FieldCursor fields(inText);
    const int count = toInt(fields.next());
    const double ratio = fields.next().toDouble();
    int coordinates[8];
    for (int &v : coordinates)
        v = toInt(fields.next());

    // A frame the image cannot hold stays empty: more lanes than pixel columns, a width that is
    // no fraction of the lane pitch (a ratio above 1 would only make lanes overlap, and sampling
    // costs grow with it), or a corner farther off the image than the image is across. Frames of
    // split parts, whose corners lie off the part, stay within that.
    const int width = ImageWidth();
    const int height = ImageHeight();
    if (count < 1 || count > width || !(ratio > 0.0 && ratio <= 1.0))
        return;
    const qint64 margin = qint64(std::ceil(std::hypot(double(width), double(height))));
    for (int k = 0; k < 8; k += 2) {
        const qint64 x = coordinates[k];
        const qint64 y = coordinates[k + 1];
        if (x < -margin || x > width - 1 + margin || y < -margin || y > height - 1 + margin)
            return;
    }
    KyLaneFrame frame;
    frame.set(count, ratio, QPoint(coordinates[0], coordinates[1]), QPoint(coordinates[2], coordinates[3]),
              QPoint(coordinates[4], coordinates[5]), QPoint(coordinates[6], coordinates[7]));

    // The lanes' profiles, and the background work that grows with the square of their lengths,
    // stay within what a frame laid on the capture asks for: no lane longer than the capture is
    // across (a split part carries the whole capture's frame), and all lanes together no longer
    // than the most lanes a user can lay, or kStoredLaneRoom, each that long.
    // (Two pixels more each way: the parts of an odd size, and the centre's, are rounded.)
    const ImageFile *first = FirstValidImage();
    const QSizeF share = SplitShare(first ? first->Tag(KyItemName::ImageSplit) : QString());
    const qint64 longest =
        qint64(std::ceil(std::hypot(width / share.width() + 2.0, height / share.height() + 2.0)));
    const qint64 lanes = std::max<qint64>(
        kStoredLaneRoom, SystemSettings::instance()->intValue(QStringLiteral("MuximumNumberOfLanes")));
    qint64 room = lanes * (longest + 1);
    for (int lane = 0; lane < count; ++lane) {
        const qint64 length = frame.laneLength(lane);
        room -= length + 1;
        if (length > longest || room < 0)
            return;
    }
    mLaneFrame = frame;
}

bool KyDocument::ParseLanes(const QString &inText)
{
    SetLaneFrameFromText(inText);
    if (!mLaneFrame.isEmpty())
        ExtractLaneProfiles();
    return true;
}

bool KyDocument::ParseBands(int inChannel, const QString &inText)
{
    if (inText.isEmpty())
        return true;
    if (mLaneFrame.isEmpty())
        return false;
    // The channels a document can have; anything else has no band entry to fill.
    const int channels = std::max(3, ImageCount());
    if (inChannel < 0 || inChannel >= channels)
        return false;
    if (mBands.size() <= inChannel)
        mBands.resize(inChannel + 1);
    if (mChannelTexts.size() <= inChannel)
        mChannelTexts.resize(inChannel + 1);

    const int laneCount = mLaneFrame.laneCount();
    QVector<KyBandList> &lanes = mBands[inChannel];
    lanes.resize(laneCount);

    FieldCursor fields(inText);
    QStringView field = fields.next();
    if (!isLaneField(field)) {
        mChannelTexts[inChannel] = field.toString();
        field = fields.next();
        if (!isLaneField(field))
            return false;
    }

    const KyLaneProfiles *profiles = inChannel < mLaneProfiles.size() ? &mLaneProfiles.at(inChannel) : nullptr;
    while (!field.isEmpty()) {
        const qint64 lane = qint64(toInt(field.mid(field.lastIndexOf(QLatin1Char('#')) + 1))) - 1;
        field = fields.next();
        if (lane < 0 || lane >= laneCount) {
            // A lane this frame does not have: its bands are skipped up to the next lane field.
            while (!field.isEmpty() && !isLaneField(field))
                field = fields.next();
            continue;
        }
        KyBandList &list = lanes[int(lane)];
        const int length = profiles ? profiles->profileLength(int(lane)) : 0;
        while (!field.isEmpty() && !isLaneField(field)) {
            const int start = toInt(field);
            const int peak = toInt(fields.next());
            const int end = toInt(fields.next());
            const bool reference = toInt(fields.next()) != 0;
            // A band may end at the profile length (one past the last value), no farther.
            if (start >= 0 && start <= end && end <= length && list.count() < kMaxStoredBandsPerLane) {
                KyBandInfo band(start, peak, end, reference, 0.0, false);
                UpdateBandSaturation(inChannel, int(lane), band);
                list.append(band);
            }
            field = fields.next();
        }
    }
    return true;
}

bool KyDocument::ParseBackground(const QString &inText)
{
    FieldCursor fields(inText);
    const int method = BackgroundSubtraction::methodIndex(fields.next().toString());
    const int radius = toInt(fields.next());
    if (method != 0)
        ApplyBackground(method, radius, false);
    return true;
}

bool KyDocument::ParseMWStandardLane(const QString &inText)
{
    int channel = -1;
    int lane = -1;
    int type = 0;
    if (!inText.isEmpty()) {
        FieldCursor fields(inText);
        channel = toInt(fields.next());
        lane = toInt(fields.next());
        type = toInt(fields.next());
    }
    SetMWStandardLane(channel, lane);
    SetMWCurveType(type);
    return true;
}

bool KyDocument::ParseMWStandard(const QString &inText)
{
    if (inText.isEmpty())
        return true;
    FieldCursor fields(inText);
    const QString name = fields.next().toString();
    const QString text = fields.next().toString();
    QList<int> values;
    QVector<bool> checks;
    for (QStringView field = fields.next(); !field.isEmpty(); field = fields.next()) {
        values.append(toInt(field));
        checks.append(toInt(fields.next()) != 0);
    }
    mMwStandard.set(name, text, values, checks);
    return true;
}
