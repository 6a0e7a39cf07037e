// The TIFF codec: the exact layout it writes, round trips, the private block, hostile files and
// saves that fail.

#include "testmain.h"
#include "tifftestfiles.h"

#include "image/imagedescription.h"
#include "image/imagefile.h"
#include "image/tiffcodec.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstring>

using namespace tifftest;

namespace {

// Everything a refused read must leave alone.
struct ImageState
{
    int width = 0;
    int height = 0;
    QByteArray pixels;
    ImageTagList tags;
    quint16 low = 0;
    quint16 high = 0;
    bool negative = false;

    explicit ImageState(const ImageFile &image)
        : width(image.Width())
        , height(image.Height())
        , pixels(reinterpret_cast<const char *>(image.ConstData()), qsizetype(image.Width()) * image.Height() * 2)
        , tags(image.Tags())
        , low(image.RangeLow())
        , high(image.RangeHigh())
        , negative(image.IsNegative())
    {
    }

    bool operator==(const ImageState &) const = default;
};

bool samePixels(const ImageFile &a, const ImageFile &b)
{
    return a.Width() == b.Width() && a.Height() == b.Height()
        && std::memcmp(a.ConstData(), b.ConstData(), size_t(a.Width()) * a.Height() * 2) == 0;
}

// Items of every kind the writer carries, with values that show which route they took.
void setAllItems(ImageFile &image)
{
    const char *keys[] = {"Comment", "Method", "Light", "Filter", "Tray position", "Exposure time", "Channel",
                          "Date time", "Temperature", "Door status", "Binning", "Software", "Serial number",
                          "Instrument", "Darkframe", "Dark offset", "Spotting", "Flatframe", "Distortion",
                          "Invert", "OD parameter", "Expand", "Image split", "Exposure mode", "Zoom", "Sum",
                          "Lane", "Band", "Background", "MWStandardLane", "MWStandard", "Median", "Averaging"};
    ImageTagList items;
    int i = 0;
    for (const char *key : keys)
        items << ImageTag{QLatin1String(key), QStringLiteral("%1 value %2").arg(QLatin1String(key)).arg(++i)};
    items << ImageTag{"Pixel size", "40.4"} << ImageTag{"Grayscale", "Positive"}
          << ImageTag{"OD calibration", "0.1,0.2;0.3 'od'"};
    image.SetTags(items);
    image.SetTag(QStringLiteral("Date time"), QStringLiteral("2024:05:06 07:08:09"));
    image.SetRangeLow(123);
    image.SetRangeHigh(45678);
}

// The block bytes of a file: the value of its private block entry.
QByteArray blockOf(const QByteArray &file)
{
    const qsizetype field = fieldPosition(file, 36864);
    if (field < 0)
        return QByteArray();
    // The block is the last value written: it runs to the end of the file.
    return file.mid(u32At(file, field));
}

QString saveProbe()
{
    return QStringLiteral(KY_TIFF_SAVE_PROBE);
}

} // namespace

class TestTiffCodec : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;

    QString path(const QString &name) const { return dir.filePath(name); }

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    // A 2 x 3 image: header, pixels at 8..19, the directory at 20 with its entries in ascending tag
    // order, and the out-of-line values packed in entry order right after it.
    void layout()
    {
        ImageFile image;
        fillPattern(image, 2, 3);
        image.SetTags({{"Comment", "c"}, {"Pixel size", "40.4"}, {"Grayscale", "Positive"},
                       {"Date time", "2024:01:02 03:04:05"}, {"Software", ""}, {"OD calibration", "0.25"},
                       {"Foreign", "not written"}});
        QVERIFY(writeTiffFile(path("layout"), image));
        const QByteArray f = fileBytes(path("layout.tif"));

        QCOMPARE(f.left(4), QByteArray("II\x2a\x00", 4));
        QCOMPARE(u32At(f, 4), 20u);
        QCOMPARE(f.mid(8, 12), QByteArray(reinterpret_cast<const char *>(image.ConstData()), 12));
        QCOMPARE(u16At(f, 20), quint16(22));

        const QByteArray description = buildImageDescription(image).toLatin1() + QByteArray(1, '\0');
        // The calibration text of 4 bytes or less sits in the inner value field.
        const QByteArray block = u16(1) + u16(13) + u16(7) + u32(4) + QByteArray("0.25");
        struct Expected
        {
            quint16 tag, type;
            quint32 count;
            QByteArray value;
        };
        const QList<Expected> expected = {
            {254, 4, 1, u32(0)},
            {255, 3, 1, u16(1)},
            {256, 4, 1, u32(2)},
            {257, 4, 1, u32(3)},
            {258, 3, 1, u16(16)},
            {259, 3, 1, u16(1)},
            {262, 3, 1, u16(1)},
            {269, 2, 11, QByteArray("layout.tif", 11)},
            {270, 2, quint32(description.size()), description},
            {272, 2, 18, QByteArray("Brevik Ziredo 410", 18)},
            {273, 4, 1, u32(8)},
            {277, 3, 1, u16(1)},
            {278, 4, 1, u32(3)},
            {279, 4, 1, u32(12)},
            {280, 3, 1, u16(0)},
            {281, 3, 1, u16(65535)},
            {282, 5, 1, u32(100000) + u32(404)},
            {283, 5, 1, u32(100000) + u32(404)},
            {296, 3, 1, u16(3)},
            {305, 2, 1, QByteArray(1, '\0')},
            {306, 2, 20, QByteArray("2024:01:02 03:04:05", 20)},
            {36864, 7, 1, block},
        };
        qsizetype running = 14 + 12 + 12 * 22;
        for (int i = 0; i < expected.size(); ++i) {
            const Expected &e = expected.at(i);
            const qsizetype at = 22 + 12 * i;
            QCOMPARE(u16At(f, at), e.tag);
            QCOMPARE(u16At(f, at + 2), e.type);
            QCOMPARE(u32At(f, at + 4), e.count);
            if (e.type != 7 && e.value.size() <= 4) {
                QCOMPARE(f.mid(at + 8, 4), (e.value + QByteArray(4, '\0')).left(4));
            } else {
                QCOMPARE(qsizetype(u32At(f, at + 8)), running);
                QCOMPARE(f.mid(running, e.value.size()), e.value);
                running += e.value.size();
            }
        }
        QCOMPARE(u32At(f, 22 + 12 * 22), 0u);
        QCOMPARE(f.size(), running);
    }

    void roundTrip_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("negative");
        QTest::newRow("2 x 3 positive") << 2 << 3 << false;
        QTest::newRow("2 x 3 negative") << 2 << 3 << true;
        QTest::newRow("1 x 1") << 1 << 1 << true;
        QTest::newRow("2046 x 3072") << 2046 << 3072 << false;
    }

    // Pixels, items, display range and polarity survive; a second write gives the same bytes.
    void roundTrip()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, negative);
        ImageFile image;
        fillPattern(image, width, height);
        setAllItems(image);
        image.SetNegative(negative);
        QDir(dir.path()).mkpath(QStringLiteral("again"));
        QVERIFY(writeTiffFile(path("trip"), image));
        QVERIFY(writeTiffFile(path("again/trip"), image));
        const QByteArray bytes = fileBytes(path("trip.tif"));
        QVERIFY(bytes == fileBytes(path("again/trip.tif")));

        ImageFile read;
        QVERIFY(readTiffFile(path("trip.tif"), read));
        QVERIFY(samePixels(read, image));
        QCOMPARE(read.RangeLow(), quint16(123));
        QCOMPARE(read.RangeHigh(), quint16(45678));
        QCOMPARE(read.IsNegative(), negative);
        QCOMPARE(read.FilePath(), path("trip.tif"));
        QCOMPARE(read.PixelSize(), 40.4);
        for (const ImageTag &item : image.Tags()) {
            if (item.key == QLatin1String("OD calibration"))
                continue;
            QCOMPARE(read.Tag(item.key), item.value);
        }
        QCOMPARE(read.Tag(QStringLiteral("Melanie")), QStringLiteral("1,13,7,16,'0.1,0.2;0.3 'od''"));

        // What was read writes the same bytes again (the block now from its text form).
        QVERIFY(writeTiffFile(path("again/trip"), read));
        const QByteArray again = fileBytes(path("again/trip.tif"));
        QCOMPARE(blockOf(again), blockOf(bytes));
        QCOMPARE(again.left(8 + qsizetype(width) * height * 2), bytes.left(8 + qsizetype(width) * height * 2));
    }

    // ImageFile::Save cuts a trailing ".tif": both spellings write the same file.
    void saveWithAndWithoutExtension()
    {
        ImageFile image;
        fillPattern(image, 5, 4);
        image.SetComment(QStringLiteral("same"));
        QDir(dir.path()).mkpath(QStringLiteral("with"));
        QDir(dir.path()).mkpath(QStringLiteral("without"));
        QVERIFY(ImageFile::Save(path("with/b.tif"), image));
        QVERIFY(ImageFile::Save(path("without/b"), image));
        QVERIFY(!QFile::exists(path("with/b.tif.tif")));
        const QByteArray a = fileBytes(path("with/b.tif"));
        QVERIFY(!a.isEmpty());
        QCOMPARE(a, fileBytes(path("without/b.tif")));
        ImageFile read;
        QVERIFY(ImageFile::Read(path("with/b.tif"), read));
        QVERIFY(samePixels(read, image));
        QCOMPARE(read.MaxValue(), quint16(65535));
    }

    void pixelSize_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<quint32>("denominator");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("40.4") << "40.4" << 404u << "40.4";
        QTest::newRow("6.45 rounds to 6.5") << "6.45" << 65u << "6.5";
        QTest::newRow("missing") << QString() << 0u << "0";
        QTest::newRow("not a number") << "abc" << 0u << "0";
        QTest::newRow("negative") << "-3" << 0u << "0";
        QTest::newRow("nan") << "nan" << 0u << "0";
        QTest::newRow("too large") << "1e12" << 0xFFFFFFFFu << "4.29497e+08";
    }

    void pixelSize()
    {
        QFETCH(QString, item);
        QFETCH(quint32, denominator);
        ImageFile image;
        fillPattern(image, 3, 2);
        if (!item.isNull())
            image.SetTag(QStringLiteral("Pixel size"), item);
        QVERIFY(writeTiffFile(path("pixelsize"), image));
        const QByteArray f = fileBytes(path("pixelsize.tif"));
        for (quint16 tag : {282, 283}) {
            const qsizetype at = u32At(f, fieldPosition(f, tag));
            QCOMPARE(u32At(f, at), 100000u);
            QCOMPARE(u32At(f, at + 4), denominator);
        }
        QMap<QString, QString> items;
        QVERIFY(readTiffTags(path("pixelsize.tif"), items));
        QTEST(items.value(QStringLiteral("Pixel size")), "readBack");
    }

    void photometric_data()
    {
        QTest::addColumn<QString>("grayscale");
        QTest::addColumn<int>("photometric");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("missing") << QString() << 0 << "Negative";
        QTest::newRow("Negative") << "Negative" << 0 << "Negative";
        QTest::newRow("Positive") << "Positive" << 1 << "Positive";
        QTest::newRow("other text") << "positive" << 0 << "Negative";
    }

    void photometric()
    {
        QFETCH(QString, grayscale);
        QFETCH(int, photometric);
        ImageFile image;
        fillPattern(image, 2, 2);
        // SetTags would add "Grayscale" itself: build the list without it for the missing row.
        ImageTagList items{{"Comment", "x"}};
        if (!grayscale.isNull())
            items << ImageTag{"Grayscale", grayscale};
        image.SetTags(items);
        if (grayscale.isNull())
            image.RemoveTag(QStringLiteral("Grayscale"));
        QVERIFY(writeTiffFile(path("photometric"), image));
        const QByteArray f = fileBytes(path("photometric.tif"));
        QCOMPARE(int(u16At(f, fieldPosition(f, 262))), photometric);
        ImageFile read;
        QVERIFY(readTiffFile(path("photometric.tif"), read));
        QTEST(read.Tag(QStringLiteral("Grayscale")), "readBack");
    }

    // An empty "Software" item is one zero byte, held in the value field.
    void emptySoftwareInline()
    {
        ImageFile image;
        fillPattern(image, 2, 2);
        image.SetTag(QStringLiteral("Software"), QString());
        QVERIFY(writeTiffFile(path("software"), image));
        const QByteArray f = fileBytes(path("software.tif"));
        const qsizetype field = fieldPosition(f, 305);
        QCOMPARE(u16At(f, field - 6), quint16(2));
        QCOMPARE(u32At(f, field - 4), 1u);
        QCOMPARE(f.mid(field, 4), QByteArray(4, '\0'));
    }

    // An "OD calibration" text becomes a block of one undefined entry; read back it is the block
    // text, and writing that text again gives the same block bytes.
    void calibrationBlock_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << "0.5 1.5 2.5 3.5";
        QTest::newRow("commas and apostrophes") << "a,b,'c',d";
        QTest::newRow("five bytes") << "12345";
        QTest::newRow("four bytes") << "1234";
        QTest::newRow("one byte") << "7";
    }

    void calibrationBlock()
    {
        QFETCH(QString, text);
        ImageFile image;
        fillPattern(image, 2, 3);
        image.SetTag(QStringLiteral("OD calibration"), text);
        QVERIFY(writeTiffFile(path("od"), image));
        const QByteArray f = fileBytes(path("od.tif"));
        const QByteArray bytes = text.toLatin1();
        const quint32 length = quint32(bytes.size());
        const QByteArray expected = length > 4 ? u16(1) + u16(13) + u16(7) + u32(length) + u32(14) + bytes
                                               : u16(1) + u16(13) + u16(7) + u32(length) + (bytes + QByteArray(4, '\0')).left(4);
        QCOMPARE(blockOf(f), expected);

        ImageFile read;
        QVERIFY(readTiffFile(path("od.tif"), read));
        QCOMPARE(read.Tag(QStringLiteral("Melanie")), QStringLiteral("1,13,7,%1,'%2'").arg(length).arg(text));
        QVERIFY(writeTiffFile(path("od2"), read));
        QCOMPARE(blockOf(fileBytes(path("od2.tif"))), expected);
    }

    // With both items only the "Melanie" block is written.
    void bothBlockItems()
    {
        ImageFile image;
        fillPattern(image, 2, 3);
        image.SetTag(QStringLiteral("OD calibration"), QStringLiteral("ignored calibration"));
        image.SetTag(QStringLiteral("Melanie"), QStringLiteral("1,13,7,6,'chosen'"));
        QVERIFY(writeTiffFile(path("both"), image));
        const QByteArray f = fileBytes(path("both.tif"));
        QCOMPARE(blockOf(f), u16(1) + u16(13) + u16(7) + u32(6) + u32(14) + QByteArray("chosen"));
        QCOMPARE(u16At(f, u32At(f, 4)), quint16(22));
    }

    // Block texts with numbers and short values keep them through write and read; the second
    // write repeats the block bytes.
    void blockTextRoundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("numbers") << "3,100,3,1,'65535',101,4,1,'-2',102,5,1,'404/100000'";
        QTest::newRow("short texts inline") << "3,1,2,3,'ab\\0',2,7,4,'wxyz',3,7,1,'q'";
        QTest::newRow("long texts") << "2,13,7,9,'long text',14,2,6,'abc,d\\0'";
        QTest::newRow("mixed") << "4,5,3,1,'7',6,7,12,'twelve bytes',7,4,1,'2147483647',8,5,1,'1/3'";
        QTest::newRow("count zero") << "2,1,3,0,'',2,7,0,''";
        // Every value of a list, whether the entry holds it or it lies beyond the entries.
        QTest::newRow("lists of numbers")
            << "5,100,3,3,'11 22 33',101,3,2,'7 65535',102,4,3,'1 -1 -2147483648',103,5,2,'1/3 404/100000',"
               "104,4,1,'-7'";
        QTest::newRow("list of zeros") << "1,100,5,3,'0/0 0/0 0/0'";
        QTest::newRow("types without size") << "2,1,1,3,'',2,6,5,''";
        QTest::newRow("no entries") << "0";
    }

    void blockTextRoundTrip()
    {
        QFETCH(QString, text);
        // The rows spell a zero byte as \0 inside the string literal: restore it.
        text.replace(QLatin1String("\\0"), QString(QChar(0)));
        ImageFile image;
        fillPattern(image, 2, 3);
        image.SetTag(QStringLiteral("Melanie"), text);
        QVERIFY(writeTiffFile(path("block"), image));
        ImageFile read;
        QVERIFY(readTiffFile(path("block.tif"), read));
        QCOMPARE(read.Tag(QStringLiteral("Melanie")), text);
        QVERIFY(writeTiffFile(path("block2"), read));
        QCOMPARE(blockOf(fileBytes(path("block2.tif"))), blockOf(fileBytes(path("block.tif"))));
    }

    // Hand-made block texts with missing fields, stray apostrophes or counts that do not fit the
    // text still give a file the reader accepts.
    void blockTextParsedSafely_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("not a number") << "abc" << "0";
        QTest::newRow("count only") << "3" << "0";
        QTest::newRow("entry cut short") << "2,13,7" << "0";
        QTest::newRow("second entry cut short") << "2,13,7,2,'ab',14,7" << "1,13,7,2,'ab'";
        QTest::newRow("value field missing") << "1,13,7,3" << "0";
        QTest::newRow("no closing apostrophe") << "1,13,7,3,'abc" << "1,13,7,3,'\\0\\0\\0'";
        QTest::newRow("no apostrophes") << "1,13,7,3,abc" << "1,13,7,3,'\\0\\0\\0'";
        QTest::newRow("apostrophes inside") << "1,13,7,4,'it's'" << "1,13,7,4,'it's'";
        QTest::newRow("text shorter than count") << "1,13,7,6,'ab'" << "1,13,7,6,'ab\\0\\0\\0\\0'";
        QTest::newRow("text longer than count") << "1,13,7,2,'abcdef'" << "1,13,7,2,'ab'";
        QTest::newRow("type above 7 left out") << "2,13,9,3,'abc',14,7,2,'xy'" << "1,14,7,2,'xy'";
        QTest::newRow("number not a number") << "1,13,3,1,'x'" << "1,13,3,1,'0'";
        QTest::newRow("rational without slash") << "1,13,5,1,'12'" << "1,13,5,1,'12/0'";
        QTest::newRow("fewer values than the count") << "1,13,3,3,'9'" << "1,13,3,3,'9 0 0'";
        QTest::newRow("more values than the count") << "1,13,4,2,'1 2 3'" << "1,13,4,2,'1 2'";
        QTest::newRow("blanks around values") << "1,13,5,2,'  1/2   3 '" << "1,13,5,2,'1/2 3/0'";
        QTest::newRow("empty fields") << ",,,,," << "0";
    }

    void blockTextParsedSafely()
    {
        QFETCH(QString, text);
        QFETCH(QString, readBack);
        readBack.replace(QLatin1String("\\0"), QString(QChar(0)));
        ImageFile image;
        fillPattern(image, 2, 3);
        image.SetTag(QStringLiteral("Melanie"), text);
        QVERIFY(writeTiffFile(path("safe"), image));
        ImageFile read;
        QVERIFY(readTiffFile(path("safe.tif"), read));
        QCOMPARE(read.Tag(QStringLiteral("Melanie")), readBack);
    }

    // A valid hand-made file, as the refusals below are all variations of it.
    void minimalFileAccepted()
    {
        QVERIFY(writeBytes(path("minimal.tif"), tiffFile(minimalEntries(), minimalPixels())));
        ImageFile image;
        QVERIFY(readTiffFile(path("minimal.tif"), image));
        QCOMPARE(image.Width(), 2);
        QCOMPARE(image.Height(), 3);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(image.ConstData()), 12), minimalPixels());
        QCOMPARE(image.RangeLow(), quint16(7));
        QCOMPARE(image.RangeHigh(), quint16(4000));
        QCOMPARE(image.Tag(QStringLiteral("Pixel size")), QStringLiteral("40.4"));
        QCOMPARE(image.Comment(), QStringLiteral("from a test"));
        QVERIFY(!image.IsNegative());
        const ImageTagList expected = {
            {"Grayscale", "Positive"},
            {"Image description", "Comment = from a test\r\nRange low = 7\r\nRange high = 4000\r\n"},
            {"Comment", "from a test"},
            {"Range low", "7"},
            {"Range high", "4000"},
            {"Pixel size", "40.4"},
            {"File path", path("minimal.tif")}};
        QCOMPARE(image.Tags(), expected);

        ImageTagList items;
        int width = 0, height = 0;
        quint32 offset = 0;
        QVERIFY(readTiffDirectory(path("minimal.tif"), items, &width, &height, &offset));
        QCOMPARE(width, 2);
        QCOMPARE(height, 3);
        QCOMPARE(offset, 8u);
        QCOMPARE(items, expected.mid(0, 6));
        QVERIFY(readTiffDirectory(path("minimal.tif"), items, nullptr, nullptr, nullptr));
    }

    void malformed_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QList<Entry> base = minimalEntries();
        const QByteArray pixels = minimalPixels();
        const QByteArray valid = tiffFile(base, pixels);
        auto row = [](const char *name, const QByteArray &bytes) { QTest::newRow(name) << bytes; };

        // Header.
        row("empty file", QByteArray());
        row("header cut short", valid.left(7));
        row("big-endian mark", patched(valid, 0, "MM"));
        row("wrong magic", patched(valid, 2, u16(43)));
        row("directory past the end", patched(valid, 4, u32(0xFFFFFFF0)));
        row("directory inside the pixels", patched(valid, 4, u32(8)));
        row("nothing after the header", valid.left(8));

        // Entries and their values.
        row("type above 7", tiffFile(with(base, Entry{305, 8, 1, u32(0)}), pixels));
        row("value past the end", tiffFile(with(base, Entry{305, 2, 64, {}, 0x7FFFFF00}), pixels));
        row("value partly past the end", tiffFile(with(base, Entry{305, 2, 64, {}, qint64(valid.size()) + 12 - 32}), pixels));
        row("count beyond any file", tiffFile(with(base, Entry{305, 2, 0xFFFFFFFF, {}, 8}), pixels));
        row("long count beyond any file", tiffFile(with(base, Entry{305, 5, 0xFFFFFFFF, {}, 8}), pixels));
        row("offset and size wrap 32 bits", tiffFile(with(base, Entry{305, 2, 0x200, {}, 0xFFFFFF00}), pixels));
        QList<Entry> repeated = base;
        for (int i = 0; i < 40; ++i)
            repeated << Entry{40000, 2, 100, {}, 8};
        row("values repeated beyond the file", tiffFile(repeated, pixels));

        // Sizes and pixels.
        row("width 0", tiffFile(with(without(base, 279), longEntry(256, 0)), pixels));
        row("height 0", tiffFile(with(without(base, 279), longEntry(257, 0)), pixels));
        row("width missing", tiffFile(without(without(base, 256), 279), pixels));
        row("height missing", tiffFile(without(without(without(base, 257), 278), 279), pixels));
        row("strip offset missing", tiffFile(without(base, 273), pixels));
        row("pixel offset past the end", tiffFile(with(base, longEntry(273, 0xFFFFFFF0)), pixels));
        const QByteArray cut = tiffFile(base, pixels);
        row("pixels cut short", patched(cut, fieldPosition(cut, 273), u32(quint32(cut.size() - 6))));
        row("hostile width and height",
            tiffFile(with(with(without(without(base, 278), 279), longEntry(256, 65535)), longEntry(257, 65535)), pixels));
        row("width 65536", tiffFile(with(without(base, 279), longEntry(256, 65536)), pixels));
        // Sizes past 16 bits whose low bits would make a size the file holds (8 x 6, 2 x 6).
        const QByteArray pixels96(96, '\x11');
        const QList<Entry> sixRows = with(with(without(base, 279), longEntry(257, 6)), longEntry(278, 6));
        row("width 65544 without byte count", tiffFile(with(sixRows, longEntry(256, 65544)), pixels96));
        row("height 65542 without byte count",
            tiffFile(with(with(sixRows, longEntry(257, 65542)), longEntry(278, 65542)), pixels96));
        row("height 65542 with rows of 6",
            tiffFile(with(with(without(base, 279), longEntry(257, 65542)), longEntry(278, 6)), pixels96));
        row("rows per strip below the height", tiffFile(with(base, longEntry(278, 2)), pixels));
        row("width 4294967295", tiffFile(with(without(base, 279), longEntry(256, 0xFFFFFFFF)), pixels96));

        // Checks.
        row("8 bits", tiffFile(with(base, shortEntry(258, 8)), pixels));
        // Without the entry a sample has 1 bit.
        row("bits per sample missing", tiffFile(without(base, 258), pixels));
        row("three samples of 16 bits", tiffFile(with(with(base, Entry{258, 3, 3, u16(16) + u16(16) + u16(16)}),
                                                       shortEntry(277, 3)), pixels));
        row("LZW", tiffFile(with(base, shortEntry(259, 5)), pixels));
        row("photometric RGB", tiffFile(with(base, shortEntry(262, 2)), pixels));
        row("two samples", tiffFile(with(base, shortEntry(277, 2)), pixels));
        row("several strips", tiffFile(with(with(with(base, Entry{273, 4, 3, u32(8) + u32(12) + u32(16)}),
                                                  longEntry(278, 1)),
                                             Entry{279, 4, 3, u32(4) + u32(4) + u32(4)}), pixels));
        row("strip byte count", tiffFile(with(base, longEntry(279, 13)), pixels));
        row("unit inch", tiffFile(with(base, shortEntry(296, 2)), pixels));

        // Values too short for their number.
        row("width as a byte", tiffFile(with(base, Entry{256, 1, 1, QByteArray(1, 2)}), pixels));
        row("width of count 0", tiffFile(with(base, Entry{256, 3, 0, {}}), pixels));
        row("byte count of count 0", tiffFile(with(base, Entry{279, 4, 0, {}}), pixels));
        row("strip offset as one character", tiffFile(with(base, Entry{273, 2, 1, QByteArray(1, 8)}), pixels));
        row("photometric as one character", tiffFile(with(base, Entry{262, 2, 1, QByteArray(1, 1)}), pixels));
        row("resolution as a short", tiffFile(with(base, shortEntry(282, 5)), pixels));
        row("resolution of count 0", tiffFile(with(base, Entry{282, 5, 0, {}}), pixels));

        // Private blocks.
        row("block past the end", tiffFile(with(base, Entry{36864, 7, 1, {}, 0x7FFFFF00}), pixels));
        row("block at the last byte", tiffFile(with(base, Entry{36864, 7, 1, {}, qint64(valid.size()) + 11}), pixels));
        row("block entries past the end", tiffFile(with(base, blockEntry(u16(5000))), pixels));
        row("inner value past the end",
            tiffFile(with(base, blockEntry(block({Entry{13, 7, 100, {}, 0x7FFFFFFF}}))), pixels));
        row("inner offset wraps",
            tiffFile(with(base, blockEntry(block({Entry{13, 2, 0x100, {}, 0xFFFFFFF0}}))), pixels));
        row("inner type above 7", tiffFile(with(base, blockEntry(block({Entry{13, 9, 1, u32(0)}}))), pixels));
        row("inner count beyond any file",
            tiffFile(with(base, blockEntry(block({Entry{13, 7, 0xFFFFFFFF, {}, 14}}))), pixels));
    }

    // Refused by every reader, with the image, the map and the outputs untouched.
    void malformed()
    {
        QFETCH(QByteArray, bytes);
        const QString file = path("malformed.tif");
        QVERIFY(writeBytes(file, bytes));

        ImageFile image;
        fillPattern(image, 4, 5);
        image.SetTags({{"Comment", "keep"}, {"Grayscale", "Positive"}, {"Range low", "10"}, {"Range high", "20"}});
        const ImageState before(image);
        QVERIFY(!readTiffFile(file, image));
        QVERIFY(ImageState(image) == before);

        QMap<QString, QString> map{{"Comment", "keep"}, {"Other", "kept"}};
        const QMap<QString, QString> mapBefore = map;
        QVERIFY(!readTiffTags(file, map));
        QCOMPARE(map, mapBefore);

        ImageTagList items{{"a", "b"}};
        int width = -1, height = -1;
        quint32 offset = 77;
        QVERIFY(!readTiffDirectory(file, items, &width, &height, &offset));
        QCOMPARE(items, (ImageTagList{{"a", "b"}}));
        QCOMPARE(width, -1);
        QCOMPARE(height, -1);
        QCOMPARE(offset, 77u);
    }

    void missingFileRefused()
    {
        ImageFile image;
        QVERIFY(!readTiffFile(path("does-not-exist.tif"), image));
        QVERIFY(image.IsNull());
        QMap<QString, QString> map;
        QVERIFY(!readTiffTags(path("does-not-exist.tif"), map));
        QVERIFY(!readTiffTags(dir.path(), map));
        QVERIFY(map.isEmpty());
    }

    // A private block inside a private block is an ordinary value, even one pointing back at its
    // own block; the image writes and reads back the same text.
    void nestedBlockNotFollowed()
    {
        const QByteArray inner = block({Entry{36864, 7, 5, "hello"}, Entry{36864, 3, 1, u16(77)},
                                        Entry{36864, 7, 6, {}, 0}});
        QVERIFY(writeBytes(path("nested.tif"), tiffFile(with(minimalEntries(), blockEntry(inner)), minimalPixels())));
        ImageFile image;
        QVERIFY(readTiffFile(path("nested.tif"), image));
        const QString melanie = image.Tag(QStringLiteral("Melanie"));
        QCOMPARE(melanie, QStringLiteral("3,36864,7,5,'hello',36864,3,1,'77',36864,7,6,'") + QString::fromLatin1(inner.left(6))
                              + QLatin1Char('\''));
        QVERIFY(writeTiffFile(path("nested2"), image));
        ImageFile again;
        QVERIFY(readTiffFile(path("nested2.tif"), again));
        QCOMPARE(again.Tag(QStringLiteral("Melanie")), melanie);
    }

    void directoryCutShort_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("accepted");
        // Every value inline, so that the directory is the end of the file.
        const QList<Entry> entries = without(without(minimalEntries(), 270), 282);
        const QByteArray whole = tiffFile(entries, minimalPixels());
        const qsizetype end = whole.size() - 4;
        QTest::newRow("next offset missing") << whole.left(end) << true;
        QTest::newRow("count beyond the end") << patched(whole.left(end), 20, u16(65535)) << true;
        QTest::newRow("entries missing after the byte count")
            << whole.left(20 + 2 + 12 * 9) << true;
        // The unit entry loses its value field: it reads as 0, which its check refuses.
        QTest::newRow("last entry cut inside") << whole.left(end - 4) << false;
        QTest::newRow("byte count entry cut inside")
            << whole.left(20 + 2 + 12 * 9 + 6) << false;
    }

    // Entries missing at the end of the file read as zeros: ignored unless a check fails.
    void directoryCutShort()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, accepted);
        QVERIFY(writeBytes(path("cut.tif"), bytes));
        ImageFile image;
        QCOMPARE(readTiffFile(path("cut.tif"), image), accepted);
        if (accepted) {
            QCOMPARE(image.Width(), 2);
            QCOMPARE(QByteArray(reinterpret_cast<const char *>(image.ConstData()), 12), minimalPixels());
            QCOMPARE(image.Tag(QStringLiteral("Grayscale")), QStringLiteral("Positive"));
        } else {
            QVERIFY(image.IsNull());
        }
    }

    // The map receives every item; a later item with a key replaces an earlier one; other keys stay.
    void readTagsIntoMap()
    {
        QList<Entry> entries = minimalEntries();
        entries = with(entries, asciiEntry(270, "a plain first line\r\nComment = second\r\nMethod = m\r\n"));
        QVERIFY(writeBytes(path("map.tif"), tiffFile(entries, minimalPixels())));
        QMap<QString, QString> map{{"Other", "kept"}, {"Method", "old"}};
        QVERIFY(readTiffTags(path("map.tif"), map));
        QCOMPARE(map.value(QStringLiteral("Comment")), QStringLiteral("second"));
        QCOMPARE(map.value(QStringLiteral("Method")), QStringLiteral("m"));
        QCOMPARE(map.value(QStringLiteral("Other")), QStringLiteral("kept"));
        QCOMPARE(map.value(QStringLiteral("Grayscale")), QStringLiteral("Positive"));
        QCOMPARE(map.value(QStringLiteral("Pixel size")), QStringLiteral("40.4"));
        QVERIFY(!map.contains(QStringLiteral("File path")));
        // A zero byte ends the description.
        entries = with(entries, asciiEntry(270, QByteArray("Comment = a\r\n\0Method = hidden\r\n", 31)));
        QVERIFY(writeBytes(path("map.tif"), tiffFile(entries, minimalPixels())));
        map.clear();
        QVERIFY(readTiffTags(path("map.tif"), map));
        QCOMPARE(map.value(QStringLiteral("Comment")), QStringLiteral("a"));
        QVERIFY(!map.contains(QStringLiteral("Method")));
    }

    // Width, height and strip sizes may come as SHORT or LONG entries.
    void shortSizeEntries()
    {
        QList<Entry> entries = minimalEntries();
        entries = with(with(with(with(with(entries, shortEntry(256, 2)), shortEntry(257, 3)), shortEntry(273, 8)),
                            shortEntry(278, 3)), shortEntry(279, 12));
        QVERIFY(writeBytes(path("shorts.tif"), tiffFile(entries, minimalPixels())));
        ImageFile image;
        QVERIFY(readTiffFile(path("shorts.tif"), image));
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(image.ConstData()), 12), minimalPixels());
    }

    // One strip may declare more rows than the picture has (TIFF's default is 2^32 - 1); a value
    // whose low 16 bits equal the height is no different from any other such value.
    void rowsPerStripBeyondTheHeight_data()
    {
        QTest::addColumn<quint32>("rowsPerStrip");
        QTest::newRow("the height") << quint32(3);
        QTest::newRow("65539, 3 in its low bits") << quint32(65539);
        QTest::newRow("TIFF default") << quint32(0xFFFFFFFF);
    }

    void rowsPerStripBeyondTheHeight()
    {
        QFETCH(quint32, rowsPerStrip);
        QList<Entry> entries = with(with(with(minimalEntries(), longEntry(256, 2)), longEntry(257, 3)),
                                    longEntry(278, rowsPerStrip));
        QVERIFY(writeBytes(path("strip.tif"), tiffFile(entries, minimalPixels())));
        ImageFile image;
        QVERIFY(readTiffFile(path("strip.tif"), image));
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(image.ConstData()), 12), minimalPixels());
    }

    // The largest side the image holds, given as a LONG, is read whole.
    void largestSideAccepted()
    {
        QList<Entry> entries = with(with(with(minimalEntries(), longEntry(256, 65535)), longEntry(257, 1)),
                                    longEntry(278, 1));
        entries = with(entries, longEntry(279, 65535 * 2));
        ImageFile source;
        fillPattern(source, 65535, 1);
        QVERIFY(writeBytes(path("wide.tif"), tiffFile(entries, pixelBytes(source))));
        ImageFile image;
        QVERIFY(readTiffFile(path("wide.tif"), image));
        QCOMPARE(image.Width(), 65535);
        QCOMPARE(image.Height(), 1);
        QVERIFY(samePixels(image, source));
    }

    // Nothing the reader could not read back is written, and the target stays as it was.
    void unwritableImages()
    {
        QVERIFY(writeBytes(path("keep.tif"), "old"));
        ImageFile null;
        QVERIFY(!writeTiffFile(path("keep"), null));
        ImageFile wide;
        wide.Resize(65536, 1);
        QVERIFY(!writeTiffFile(path("keep"), wide));
        QCOMPARE(fileBytes(path("keep.tif")), QByteArray("old"));
        QCOMPARE(QDir(dir.path()).entryList({"keep*"}, QDir::Files | QDir::Hidden), QStringList{"keep.tif"});
    }

    // A save that cannot complete reports failure, keeps the old file byte for byte and leaves no
    // temporary file.
    void failedSave()
    {
        QTemporaryDir local;
        QVERIFY(local.isValid());
        const QDir folder(local.path());
        ImageFile old;
        fillPattern(old, 2, 3);
        QVERIFY(writeTiffFile(folder.filePath("capture"), old));
        const QByteArray original = fileBytes(folder.filePath("capture.tif"));

        ImageFile image;
        fillPattern(image, 200, 200);

        // The folder of the target is a file.
        QVERIFY(writeBytes(folder.filePath("notafolder"), "x"));
        QVERIFY(!writeTiffFile(folder.filePath("notafolder/capture"), image));
        QCOMPARE(fileBytes(folder.filePath("notafolder")), QByteArray("x"));

        // The target is a folder.
        QVERIFY(folder.mkpath(QStringLiteral("taken.tif/inside")));
        QVERIFY(!writeTiffFile(folder.filePath("taken"), image));
        QVERIFY(QFileInfo(folder.filePath("taken.tif/inside")).isDir());

        // A file size limit, set in a process of its own, stops the save: the old file stays whole
        // and no temporary file is left.
        const auto refusedUnderLimit = [&](const char *limit, const char *side) {
            int exitCode = -1;
            const QString out = kytest::runProgram(saveProbe(), {limit, folder.filePath("capture"), side, side}, {}, &exitCode);
            QCOMPARE(exitCode, 0);
            QCOMPARE(out.trimmed(), QStringLiteral("false"));
            QCOMPARE(fileBytes(folder.filePath("capture.tif")), original);
            QCOMPARE(folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                     (QStringList{"capture.tif", "notafolder", "taken.tif"}));
        };
        // Half way through the pixels.
        refusedUnderLimit("4096", "200");
        // In bytes still buffered when the file is committed: a small image is written as a whole.
        refusedUnderLimit("200", "16");
        // In the directory, after header and pixels (8 + 200 x 200 x 2 bytes).
        refusedUnderLimit("80024", "200");

        int exitCode = -1;
        QString out;
        // The same save with room enough replaces the file with what this process writes.
        out = kytest::runProgram(saveProbe(), {"1000000", folder.filePath("capture"), "200", "200"}, {}, &exitCode);
        QCOMPARE(out.trimmed(), QStringLiteral("true"));
        QVERIFY(folder.mkpath(QStringLiteral("here")));
        QVERIFY(writeTiffFile(folder.filePath("here/capture"), image));
        QCOMPARE(fileBytes(folder.filePath("capture.tif")), fileBytes(folder.filePath("here/capture.tif")));
        QCOMPARE(folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{"capture.tif", "here", "notafolder", "taken.tif"}));
    }

    // The replaced file's permissions are kept.
    void replaceKeepsPermissions()
    {
        ImageFile image;
        fillPattern(image, 2, 2);
        QVERIFY(writeTiffFile(path("perm"), image));
        const QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        QVERIFY(QFile::setPermissions(path("perm.tif"), permissions));
        image.SetComment(QStringLiteral("changed"));
        QVERIFY(writeTiffFile(path("perm"), image));
        const QFile::Permissions mask(0x7077);
        QCOMPARE(QFile::permissions(path("perm.tif")) & mask, permissions);
        ImageFile read;
        QVERIFY(readTiffFile(path("perm.tif"), read));
        QCOMPARE(read.Comment(), QStringLiteral("changed"));
    }
};

KY_TEST_MAIN(TestTiffCodec)
#include "tst_tiffcodec.moc"
