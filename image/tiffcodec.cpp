#include "image/tiffcodec.h"

#include "core/fileutility.h"
#include "core/kyconcurrent.h"
#include "image/pixelbufferpool.h"
#include "image/imagedescription.h"
#include "image/imagefile.h"
#include "image/tifftag.h"
#include "platform/regularfile.h"

#include <QFile>
#include <QSaveFile>
#include <QSysInfo>
#include <QThread>
#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <vector>

#include <unistd.h>

namespace {

constexpr quint16 kPrivateBlockTag = 36864;
// The inner entry that carries an optical-density calibration text.
constexpr quint16 kCalibrationTag = 13;
// The largest width or height read or written: the image record's sides are 16-bit numbers.
constexpr quint32 kMaxSide = 65535;
// Every offset in the file is a 32-bit number, so no file may be longer.
constexpr qint64 kMaxFileSize = qint64(1) << 32;
constexpr bool kLittleEndianHost = QSysInfo::ByteOrder == QSysInfo::LittleEndian;

const QString kGrayscale = QStringLiteral("Grayscale");
const QString kPixelSize = QStringLiteral("Pixel size");
const QString kMelanie = QStringLiteral("Melanie");
const QString kCalibration = QStringLiteral("OD calibration");

// Bytes of one value of a field type, as the reader counts them.
qint64 unitSize(quint16 inType)
{
    switch (inType) {
    case TiffTag::kType_Ascii:
    case TiffTag::kType_Undefined:
        return 1;
    case TiffTag::kType_Short:
        return 2;
    case TiffTag::kType_Long:
        return 4;
    case TiffTag::kType_Rational:
        return 8;
    default:
        return 0;
    }
}

quint16 u16At(const char *inBytes)
{
    return qFromLittleEndian<quint16>(inBytes);
}

quint32 u32At(const char *inBytes)
{
    return qFromLittleEndian<quint32>(inBytes);
}

void appendU16(QByteArray &ioBytes, quint16 inValue)
{
    char bytes[2];
    qToLittleEndian(inValue, bytes);
    ioBytes.append(bytes, 2);
}

void appendU32(QByteArray &ioBytes, quint32 inValue)
{
    char bytes[4];
    qToLittleEndian(inValue, bytes);
    ioBytes.append(bytes, 4);
}

// Appends a 4-byte value field holding the first bytes of a value, padded with zeros.
void appendInlineField(QByteArray &ioBytes, const QByteArray &inValue)
{
    char field[4] = {0, 0, 0, 0};
    std::memcpy(field, inValue.constData(), size_t(std::min<qsizetype>(4, inValue.size())));
    ioBytes.append(field, 4);
}

// ---------------------------------------------------------------------------------------------
// Writing

TiffTag numberTag(quint16 inTag, quint16 inType, quint32 inValue)
{
    TiffTag t;
    t.tag = inTag;
    t.type = inType;
    t.count = 1;
    if (inType == TiffTag::kType_Short)
        appendU16(t.value, quint16(inValue));
    else
        appendU32(t.value, inValue);
    return t;
}

TiffTag asciiTag(quint16 inTag, const QString &inText)
{
    TiffTag t;
    t.tag = inTag;
    t.type = TiffTag::kType_Ascii;
    t.value = inText.toLatin1();
    t.value.append('\0');
    t.count = quint32(t.value.size());
    return t;
}

TiffTag rationalTag(quint16 inTag, quint32 inNumerator, quint32 inDenominator)
{
    TiffTag t;
    t.tag = inTag;
    t.type = TiffTag::kType_Rational;
    t.count = 1;
    appendU32(t.value, inNumerator);
    appendU32(t.value, inDenominator);
    return t;
}

// One inner entry of a private block with the bytes it stores.
struct InnerEntry
{
    quint16 tag = 0;
    quint16 type = 0;
    quint32 count = 0;
    QByteArray stored;
};

// A private block: the count, the entries, then the values the reader does not take from the value
// field, packed in entry order. Values of 4 bytes or less sit in the value field, where the reader
// looks for them.
QByteArray buildBlock(const std::vector<InnerEntry> &inEntries)
{
    QByteArray block;
    appendU16(block, quint16(inEntries.size()));
    qint64 offset = 2 + 12 * qint64(inEntries.size());
    QByteArray values;
    for (const InnerEntry &e : inEntries) {
        appendU16(block, e.tag);
        appendU16(block, e.type);
        appendU32(block, e.count);
        if (unitSize(e.type) * e.count <= 4) {
            appendInlineField(block, e.stored);
        } else {
            appendU32(block, quint32(offset));
            values += e.stored;
            offset += e.stored.size();
        }
    }
    return block + values;
}

// Splits the text form of a private block into its comma-separated fields.
class BlockTextScanner
{
public:
    explicit BlockTextScanner(const QString &inText)
        : text(inText)
    {
    }

    bool atEnd() const { return pos > text.size(); }

    QString field()
    {
        if (atEnd())
            return QString();
        qsizetype comma = text.indexOf(QLatin1Char(','), pos);
        if (comma < 0)
            comma = text.size();
        const QString f = text.mid(pos, comma - pos);
        pos = comma + 1;
        return f;
    }

    // A value is the text between the first and the last apostrophe of its field. A text value
    // quoted whole with exactly its count of characters is taken as it stands, so that commas
    // inside it survive.
    QString value(qint64 inTextLength)
    {
        if (inTextLength >= 0 && pos < text.size() && text.at(pos) == QLatin1Char('\'')
            && inTextLength < text.size() - pos - 1) {
            const qsizetype close = pos + 1 + qsizetype(inTextLength);
            if (text.at(close) == QLatin1Char('\'')
                && (close + 1 == text.size() || text.at(close + 1) == QLatin1Char(','))) {
                const QString v = text.mid(pos + 1, qsizetype(inTextLength));
                pos = close + 2;
                return v;
            }
        }
        const QString f = field();
        const qsizetype first = f.indexOf(QLatin1Char('\''));
        const qsizetype last = f.lastIndexOf(QLatin1Char('\''));
        if (first < 0 || last <= first)
            return QString();
        return f.mid(first + 1, last - first - 1);
    }

private:
    const QString &text;
    qsizetype pos = 0;
};

// The values of a numeric inner value text: blank-separated, since a comma ends the field.
QStringList valueTexts(const QString &inText)
{
    return inText.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// The bytes an inner value text stands for: text types as Latin-1, numbers in binary as the
// reader turned them into text (every value of the list, in order), zero-padded to the size the
// reader will take.
bool encodeInnerValue(InnerEntry &ioEntry, const QString &inText, qint64 &ioBudget)
{
    const qint64 readerSize = unitSize(ioEntry.type) * ioEntry.count;
    QByteArray bytes;
    if (readerSize > 0) {
        switch (ioEntry.type) {
        case TiffTag::kType_Ascii:
        case TiffTag::kType_Undefined:
            bytes = inText.toLatin1();
            break;
        case TiffTag::kType_Short:
        case TiffTag::kType_Long:
        case TiffTag::kType_Rational: {
            // Values beyond the count are dropped; missing ones are zeros (the padding below).
            const QStringList values = valueTexts(inText);
            const qsizetype n = std::min<qsizetype>(values.size(), qsizetype(ioEntry.count));
            for (qsizetype i = 0; i < n; ++i) {
                const QString &v = values.at(i);
                if (ioEntry.type == TiffTag::kType_Short) {
                    appendU16(bytes, v.toUShort());
                } else if (ioEntry.type == TiffTag::kType_Long) {
                    appendU32(bytes, quint32(v.toInt()));
                } else {
                    const qsizetype slash = v.indexOf(QLatin1Char('/'));
                    appendU32(bytes, v.left(slash < 0 ? v.size() : slash).toUInt());
                    appendU32(bytes, slash < 0 ? 0u : v.mid(slash + 1).toUInt());
                }
            }
            break;
        }
        default:
            break;
        }
    }
    const qint64 size = std::max<qint64>(bytes.size(), readerSize);
    if (size > ioBudget)
        return false;
    ioBudget -= size;
    if (bytes.size() < size)
        bytes.append(qsizetype(size - bytes.size()), '\0');
    ioEntry.stored = bytes;
    return true;
}

// Expands the text form of a private block: "n" followed by ",tag,type,count,'value'" per entry.
// Entries cut short by the end of the text are left out, and so are entries of a type the reader
// refuses. False when the block could not fit a file.
bool expandBlockText(const QString &inText, QByteArray &outBlock)
{
    BlockTextScanner scanner(inText);
    const uint n = scanner.field().trimmed().toUShort();
    std::vector<InnerEntry> entries;
    qint64 budget = kMaxFileSize;
    for (uint i = 0; i < n && !scanner.atEnd(); ++i) {
        InnerEntry e;
        e.tag = scanner.field().trimmed().toUShort();
        if (scanner.atEnd())
            break;
        e.type = scanner.field().trimmed().toUShort();
        if (scanner.atEnd())
            break;
        e.count = scanner.field().trimmed().toUInt();
        if (scanner.atEnd())
            break;
        const bool isText = e.type == TiffTag::kType_Ascii || e.type == TiffTag::kType_Undefined;
        const QString value = scanner.value(isText ? qint64(e.count) : -1);
        if (e.type > TiffTag::kType_Undefined)
            continue;
        if (!encodeInnerValue(e, value, budget))
            return false;
        entries.push_back(e);
    }
    outBlock = buildBlock(entries);
    return true;
}

// The private block of an optical-density calibration text: one undefined entry with the text.
QByteArray calibrationBlock(const QString &inText)
{
    InnerEntry e;
    e.tag = kCalibrationTag;
    e.type = TiffTag::kType_Undefined;
    e.stored = inText.toLatin1();
    e.count = quint32(e.stored.size());
    return buildBlock({e});
}

// Pixel size in micrometres to the resolution denominator: tenths of a micrometre, rounded.
quint32 resolutionDenominator(double inPixelSize)
{
    const double d = inPixelSize * 10.0 + 0.5;
    if (!(d >= 1.0))
        return 0;
    if (d >= 4294967295.0)
        return 0xFFFFFFFFu;
    return quint32(d);
}

QList<TiffTag> buildEntries(const QString &inPath, const ImageFile &inImage)
{
    const quint32 width = quint32(inImage.Width());
    const quint32 height = quint32(inImage.Height());
    const quint32 d = resolutionDenominator(inImage.PixelSize());
    QList<TiffTag> entries;
    entries << numberTag(254, TiffTag::kType_Long, 0) << numberTag(255, TiffTag::kType_Short, 1)
            << numberTag(256, TiffTag::kType_Long, width) << numberTag(257, TiffTag::kType_Long, height)
            << numberTag(258, TiffTag::kType_Short, 16) << numberTag(259, TiffTag::kType_Short, 1)
            << numberTag(262, TiffTag::kType_Short,
                         inImage.Tag(kGrayscale) == QLatin1String("Positive") ? 1 : 0)
            << asciiTag(269, inPath.mid(inPath.lastIndexOf(QLatin1Char('/')) + 1) + QLatin1String(".tif"))
            << asciiTag(270, buildImageDescription(inImage)) << asciiTag(272, QStringLiteral("Brevik Ziredo 410"))
            << numberTag(273, TiffTag::kType_Long, 8) << numberTag(277, TiffTag::kType_Short, 1)
            << numberTag(278, TiffTag::kType_Long, height)
            << numberTag(279, TiffTag::kType_Long, width * height * 2)
            << numberTag(280, TiffTag::kType_Short, 0) << numberTag(281, TiffTag::kType_Short, 65535)
            << rationalTag(282, 100000, d) << rationalTag(283, 100000, d)
            << numberTag(296, TiffTag::kType_Short, 3) << asciiTag(305, inImage.Software())
            << asciiTag(306, inImage.DateTime());

    const QString melanie = inImage.Tag(kMelanie);
    const QString calibration = inImage.Tag(kCalibration);
    if (!melanie.isEmpty() || !calibration.isEmpty()) {
        TiffTag block;
        block.tag = kPrivateBlockTag;
        block.type = TiffTag::kType_Undefined;
        block.count = 1;
        if (!melanie.isEmpty()) {
            block.value = melanie.toLatin1();
            block.value.append('\0');
            block.isBlockText = true;
        } else {
            block.value = calibrationBlock(calibration);
        }
        entries << block;
    }
    return entries;
}

// The directory that follows the pixels at inOffset: entry count, entries, next-directory offset
// 0 and the out-of-line values. False when some offset would not fit 32 bits.
bool buildDirectory(const QList<TiffTag> &inEntries, qint64 inOffset, QByteArray &outDirectory)
{
    QByteArray dir;
    QByteArray area;
    qint64 running = inOffset + 2 + 12 * qint64(inEntries.size()) + 4;
    appendU16(dir, quint16(inEntries.size()));
    for (const TiffTag &e : inEntries) {
        QByteArray value = e.value;
        if (e.isBlockText && !expandBlockText(QString::fromLatin1(value.chopped(1)), value))
            return false;
        const bool undefined = e.type == TiffTag::kType_Undefined;
        const qint64 size = undefined ? value.size() : unitSize(e.type) * e.count;
        appendU16(dir, e.tag);
        appendU16(dir, e.type);
        appendU32(dir, undefined ? 1u : e.count);
        if (!undefined && size <= 4) {
            appendInlineField(dir, value);
        } else {
            if (running + value.size() > kMaxFileSize)
                return false;
            appendU32(dir, quint32(running));
            area += value;
            running += value.size();
        }
    }
    appendU32(dir, 0);
    outDirectory = dir + area;
    return true;
}

bool writePixels(QIODevice &ioDevice, const quint16 *inPixels, qint64 inCount)
{
    if constexpr (kLittleEndianHost) {
        return ioDevice.write(reinterpret_cast<const char *>(inPixels), inCount * 2) == inCount * 2;
    } else {
        constexpr qint64 kChunk = 1 << 18;
        std::vector<quint16> buffer(size_t(std::min(inCount, kChunk)));
        for (qint64 done = 0; done < inCount;) {
            const qint64 n = std::min(inCount - done, kChunk);
            qToLittleEndian<quint16>(inPixels + done, n, buffer.data());
            if (ioDevice.write(reinterpret_cast<const char *>(buffer.data()), n * 2) != n * 2)
                return false;
            done += n;
        }
        return true;
    }
}

// ---------------------------------------------------------------------------------------------
// Reading

// What the first directory says about a file.
struct Directory
{
    ImageTagList items;
    int width = 0;
    int height = 0;
    quint32 pixelOffset = 0;
    bool hasPixelOffset = false;
};

// Reads one file as hostile input: every offset and size is checked against the file's length in
// 64-bit arithmetic before anything is allocated for it.
class TiffReader
{
public:
    explicit TiffReader(QFile &inFile)
        : file(inFile)
        , fileSize(inFile.size())
        , valueBudget(2 * fileSize)
    {
    }

    // Exactly inLength bytes at inOffset, or false.
    bool readExact(qint64 inOffset, char *outBytes, qint64 inLength)
    {
        if (inOffset < 0 || inLength < 0 || inOffset > fileSize || inLength > fileSize - inOffset)
            return false;
        if (inLength == 0)
            return true;
        if (!file.seek(inOffset))
            return false;
        qint64 done = 0;
        while (done < inLength) {
            const qint64 n = file.read(outBytes + done, inLength - done);
            if (n <= 0)
                return false;
            done += n;
        }
        return true;
    }

    bool readDirectory(Directory &outDirectory);

private:
    // inLength bytes at inOffset, where bytes past the end of the file read as zeros.
    bool readZeroFilled(qint64 inOffset, qint64 inLength, QByteArray &outBytes)
    {
        outBytes = QByteArray(qsizetype(inLength), '\0');
        const qint64 available = std::clamp<qint64>(fileSize - inOffset, 0, inLength);
        return readExact(inOffset, outBytes.data(), available);
    }

    // Value bytes are bounded by the file: well-formed values do not overlap, so a file whose
    // entries take more than twice its length from it is refused rather than expanded.
    bool takeBudget(qint64 inBytes)
    {
        if (inBytes > valueBudget)
            return false;
        valueBudget -= inBytes;
        return true;
    }

    bool readEntry(const char *inRaw, qint64 inBase, bool inBlock, TiffTag &outEntry);
    bool readBlock(qint64 inOffset, QByteArray &outText);

    QFile &file;
    const qint64 fileSize;
    qint64 valueBudget;
};

// An inner value in the text form of a private block. Numbers give every value of the entry,
// separated by blanks: a private block carries lists (a calibration's points, say) that must
// come back whole when the image is saved again.
QString innerValueText(const TiffTag &inEntry)
{
    const QByteArray &v = inEntry.value;
    switch (inEntry.type) {
    case TiffTag::kType_Ascii:
    case TiffTag::kType_Undefined:
        return QString::fromLatin1(v);
    case TiffTag::kType_Short:
    case TiffTag::kType_Long:
    case TiffTag::kType_Rational: {
        const qsizetype unit = qsizetype(unitSize(inEntry.type));
        QString text;
        for (qsizetype at = 0; at + unit <= v.size(); at += unit) {
            if (at > 0)
                text += QLatin1Char(' ');
            const char *p = v.constData() + at;
            if (inEntry.type == TiffTag::kType_Short)
                text += QString::number(u16At(p));
            else if (inEntry.type == TiffTag::kType_Long)
                text += QString::number(qint32(u32At(p)));
            else
                text += QString::number(u32At(p)) + QLatin1Char('/') + QString::number(u32At(p + 4));
        }
        return text;
    }
    default:
        return QString();
    }
}

bool TiffReader::readEntry(const char *inRaw, qint64 inBase, bool inBlock, TiffTag &outEntry)
{
    outEntry.tag = u16At(inRaw);
    outEntry.type = u16At(inRaw + 2);
    outEntry.count = u32At(inRaw + 4);
    const quint32 field = u32At(inRaw + 8);
    if (outEntry.type > TiffTag::kType_Undefined)
        return false;
    // A private block is followed once: one inside a block is an ordinary value.
    if (outEntry.tag == kPrivateBlockTag && !inBlock) {
        outEntry.isBlockText = true;
        return readBlock(inBase + field, outEntry.value);
    }
    const qint64 size = unitSize(outEntry.type) * qint64(outEntry.count);
    if (size <= 4) {
        outEntry.value = QByteArray(inRaw + 8, qsizetype(size));
        return true;
    }
    const qint64 offset = inBase + field;
    if (offset > fileSize || size > fileSize - offset || !takeBudget(size))
        return false;
    outEntry.value.resize(qsizetype(size));
    return readExact(offset, outEntry.value.data(), size);
}

bool TiffReader::readBlock(qint64 inOffset, QByteArray &outText)
{
    char head[2];
    if (!readExact(inOffset, head, 2))
        return false;
    const quint16 n = u16At(head);
    const qint64 entryBytes = 12 * qint64(n);
    QByteArray raw(qsizetype(entryBytes), '\0');
    if (!takeBudget(entryBytes + 2) || !readExact(inOffset + 2, raw.data(), entryBytes))
        return false;
    QString text = QString::number(n);
    for (quint16 i = 0; i < n; ++i) {
        TiffTag inner;
        if (!readEntry(raw.constData() + 12 * qsizetype(i), inOffset, true, inner))
            return false;
        text += QLatin1Char(',') + QString::number(inner.tag) + QLatin1Char(',') + QString::number(inner.type)
              + QLatin1Char(',') + QString::number(inner.count) + QLatin1String(",'") + innerValueText(inner)
              + QLatin1Char('\'');
    }
    outText = text.toLatin1();
    return true;
}

// The number an entry holds: a 16-bit value for SHORT entries, else the first 32-bit value. False
// when the value is too short for it.
bool entryNumber(const TiffTag &inEntry, quint32 &outValue)
{
    if (inEntry.type == TiffTag::kType_Short) {
        if (inEntry.value.size() < 2)
            return false;
        outValue = u16At(inEntry.value.constData());
        return true;
    }
    if (inEntry.value.size() < 4)
        return false;
    outValue = u32At(inEntry.value.constData());
    return true;
}

bool TiffReader::readDirectory(Directory &outDirectory)
{
    char header[8];
    if (!readExact(0, header, 8))
        return false;
    if (u16At(header) != 0x4949 || u16At(header + 2) != 42)
        return false;
    const qint64 dirOffset = u32At(header + 4);

    // A directory cut short by the end of the file reads its missing entries as zeros, which no
    // check below accepts or acts on.
    QByteArray countBytes;
    if (!readZeroFilled(dirOffset, 2, countBytes))
        return false;
    const int n = u16At(countBytes.constData());
    QByteArray raw;
    if (!readZeroFilled(dirOffset + 2, 12 * qint64(n), raw))
        return false;

    Directory dir;
    // Without the entry a file has 1 bit per sample, which this reader does not read.
    bool hasBitsPerSample = false;
    for (int i = 0; i < n; ++i) {
        TiffTag e;
        if (!readEntry(raw.constData() + 12 * qsizetype(i), 0, false, e))
            return false;
        quint32 v = 0;
        switch (e.tag) {
        // A side the image cannot hold is refused, never cut to its low bits: a wrapped size
        // would read other bytes as the picture.
        case 256:
            if (!entryNumber(e, v) || v > kMaxSide)
                return false;
            dir.width = int(v);
            break;
        case 257:
            if (!entryNumber(e, v) || v > kMaxSide)
                return false;
            dir.height = int(v);
            break;
        case 258:
            if (!entryNumber(e, v) || v != 16)
                return false;
            hasBitsPerSample = true;
            break;
        case 259:
        case 277:
            if (!entryNumber(e, v) || v != 1)
                return false;
            break;
        case 262:
            if (!entryNumber(e, v) || v > 1)
                return false;
            dir.items.append(ImageTag{kGrayscale, v == 1 ? QStringLiteral("Positive") : QStringLiteral("Negative")});
            break;
        case 270: {
            const qsizetype end = e.value.indexOf('\0');
            const QString text = QString::fromLatin1(end < 0 ? e.value : e.value.left(end));
            dir.items.append(ImageTag{QStringLiteral("Image description"), text});
            parseImageDescription(text, dir.items);
            break;
        }
        case 273:
            if (!entryNumber(e, v))
                return false;
            dir.pixelOffset = v;
            dir.hasPixelOffset = true;
            break;
        // One strip holds the whole picture: rows per strip of at least the height (TIFF's own
        // default is 2^32 - 1) say just that; fewer would mean strips this reader does not follow.
        case 278:
            if (!entryNumber(e, v) || qint64(v) < dir.height)
                return false;
            break;
        case 279:
            if (!entryNumber(e, v) || qint64(v) != qint64(dir.width) * dir.height * 2)
                return false;
            break;
        case 282: {
            if (e.value.size() < 8)
                return false;
            const quint32 numerator = u32At(e.value.constData());
            const quint32 denominator = u32At(e.value.constData() + 4);
            // A zero numerator has no pixel size; an infinite one would only travel on.
            const double size = numerator == 0 ? 0.0 : double(denominator) / double(numerator) * 10 * 1000;
            dir.items.append(ImageTag{kPixelSize, QString::number(size, 'g', 6)});
            break;
        }
        case 296:
            if (!entryNumber(e, v) || v != 3)
                return false;
            break;
        case kPrivateBlockTag:
            dir.items.append(ImageTag{kMelanie, QString::fromLatin1(e.value)});
            break;
        default:
            break;
        }
    }

    // The pixels must be in the file: a hostile size can never allocate more than the file holds.
    // Without a strip offset (a tiled file, say) there are no pixels to find.
    if (dir.width == 0 || dir.height == 0 || !dir.hasPixelOffset || !hasBitsPerSample)
        return false;
    const qint64 pixelBytes = qint64(dir.width) * dir.height * 2;
    if (qint64(dir.pixelOffset) > fileSize || pixelBytes > fileSize - dir.pixelOffset)
        return false;
    outDirectory = dir;
    return true;
}

// Exactly inLength bytes at inOffset of an open file, without moving its position (so that
// several threads may read one file at once).
bool readAt(int inHandle, qint64 inOffset, char *outBytes, qint64 inLength)
{
    while (inLength > 0) {
        const ssize_t n = ::pread(inHandle, outBytes, size_t(inLength), off_t(inOffset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        outBytes += n;
        inOffset += n;
        inLength -= n;
    }
    return true;
}

// Reads inCount pixels at inOffset into outPixels in pieces, several at once: the kernel's copies
// and the first touches of a new buffer spread over the pool's threads.
bool readPixels(int inHandle, qint64 inOffset, quint16 *outPixels, qsizetype inCount)
{
    struct Piece
    {
        qsizetype first;
        qsizetype count;
    };
    // Pieces of about four megabytes, at most one per thread of the pool.
    constexpr qsizetype kPixelsPerPiece = qsizetype(1) << 21;
    const int pieceCount = int(std::clamp<qsizetype>(inCount / kPixelsPerPiece, 1,
                                                     std::clamp(QThread::idealThreadCount(), 1, 8)));
    QVector<Piece> pieces(pieceCount);
    for (int i = 0; i < pieceCount; ++i) {
        const qsizetype begin = inCount * i / pieceCount;
        pieces[i] = Piece{begin, inCount * (i + 1) / pieceCount - begin};
    }
    std::atomic<bool> failed{false};
    const auto read = [&](const Piece &inPiece) {
        quint16 *first = outPixels + inPiece.first;
        if (!readAt(inHandle, inOffset + 2 * inPiece.first, reinterpret_cast<char *>(first), 2 * inPiece.count)) {
            failed = true;
            return;
        }
        if constexpr (!kLittleEndianHost)
            qFromLittleEndian<quint16>(first, inPiece.count, first);
    };
    if (pieceCount == 1)
        read(pieces[0]);
    else
        KyConcurrent::blockingMap(pieces, read);
    return !failed;
}

// Only a regular file: a FIFO with a TIFF name would hold the reader until some writer came.
bool openForReading(QFile &ioFile)
{
    return platform::openRegularForReading(ioFile, QIODevice::Unbuffered);
}

} // namespace

bool writeTiffFile(const QString &inPath, const ImageFile &inImage)
{
    // The reader takes sides of at most 65535 pixels and every offset as a 32-bit number:
    // nothing it could not read back is written.
    const int width = inImage.Width();
    const int height = inImage.Height();
    if (inImage.IsNull() || quint32(width) > kMaxSide || quint32(height) > kMaxSide)
        return false;
    const qint64 pixelCount = qint64(width) * height;
    const qint64 dirOffset = 8 + pixelCount * 2;
    QByteArray directory;
    if (dirOffset >= kMaxFileSize || !buildDirectory(buildEntries(inPath, inImage), dirOffset, directory))
        return false;
    QByteArray header("II");
    appendU16(header, 42);
    appendU32(header, quint32(dirOffset));

    // The old file is replaced only once the new one is complete and on the disk.
    const QString target = inPath + QLatin1String(".tif");
    QSaveFile file(target);
    errno = 0;
    // Unbuffered: the pixels go out in large blocks, and a write the disk refuses shows at once.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        FileUtility::NoteWriteError(errno);
        return false;
    }
    if (file.write(header) != header.size() || !writePixels(file, inImage.ConstData(), pixelCount)
        || file.write(directory) != directory.size()) {
        FileUtility::NoteWriteError(errno);
        file.cancelWriting();
        return false;
    }
    return FileUtility::CommitSaveFile(file, "writeTiffFile");
}

bool readTiffDirectory(const QString &inPath, ImageTagList &outItems, int *outWidth, int *outHeight,
                       quint32 *outPixelOffset)
{
    QFile file(inPath);
    if (!openForReading(file))
        return false;
    TiffReader reader(file);
    Directory dir;
    if (!reader.readDirectory(dir))
        return false;
    outItems = dir.items;
    if (outWidth)
        *outWidth = dir.width;
    if (outHeight)
        *outHeight = dir.height;
    if (outPixelOffset)
        *outPixelOffset = dir.pixelOffset;
    return true;
}

bool readTiffTags(const QString &inPath, QMap<QString, QString> &ioItems)
{
    ImageTagList items;
    if (!readTiffDirectory(inPath, items, nullptr, nullptr, nullptr))
        return false;
    for (const ImageTag &item : std::as_const(items))
        ioItems.insert(item.key, item.value);
    return true;
}

bool readTiffFile(const QString &inPath, ImageFile &ioImage)
{
    QFile file(inPath);
    if (!openForReading(file))
        return false;
    TiffReader reader(file);
    Directory dir;
    if (!reader.readDirectory(dir))
        return false;

    // The pixels go into a buffer of their own that becomes the image's only once they are all
    // read: a file that changes under the reader leaves the image as it was.
    const qsizetype pixelCount = qsizetype(dir.width) * dir.height;
    QByteArray pixels = PixelBufferPool::Take(pixelCount * 2);
    if (!readPixels(file.handle(), dir.pixelOffset, reinterpret_cast<quint16 *>(pixels.data()), pixelCount)) {
        PixelBufferPool::Give(pixels);
        return false;
    }
    ioImage.SetPixelBuffer(dir.width, dir.height, pixels);
    ioImage.SetTags(dir.items);
    ioImage.SetTag(QStringLiteral("File path"), inPath);
    return true;
}
