// The image record: defaults and copies, items and the state derived from them, capture records,
// histogram, automatic display range, contrast and brightness steps, statistics and sampling, and
// the sum of two exposures. Built-in instrument settings unless a test overrides some of them.

#include "pythonreference.h"
#include "testmain.h"
#include "tifftestfiles.h"

#include "instrument/kestova.h"
#include "core/lsettings.h"
#include "core/systemsettings.h"
#include "image/imagefile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <thread>
#include <vector>

namespace {

// Instrument settings stored for the lifetime of the object, then removed again.
class ScopedSettings
{
public:
    explicit ScopedSettings(const QStringList &inAssignments)
    {
        LSettings *store = SystemSettings::instance()->settingsStore();
        for (const QString &assignment : inAssignments) {
            const qsizetype at = assignment.indexOf(QLatin1Char('='));
            const QString key = assignment.left(at);
            store->setValue(key, assignment.mid(at + 1));
            keys << key;
        }
    }
    ~ScopedSettings()
    {
        for (const QString &key : std::as_const(keys))
            SystemSettings::instance()->settingsStore()->remove(key);
    }

private:
    QStringList keys;
};

// Every message written while it lives.
class MessageLog
{
public:
    MessageLog()
    {
        lines().clear();
        previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &inText) { lines() << inText; });
    }
    ~MessageLog() { qInstallMessageHandler(previous); }
    static QStringList &lines()
    {
        static QStringList list;
        return list;
    }

private:
    QtMessageHandler previous;
};

// One row of count pixels for each (value, count) pair, in order; a null image for no pairs.
ImageFile imageOfLevels(const QList<int> &inPairs)
{
    QVector<quint16> values;
    for (qsizetype i = 0; i + 1 < inPairs.size(); i += 2)
        values.insert(values.size(), inPairs.at(i + 1), quint16(inPairs.at(i)));
    ImageFile image;
    image.Resize(int(values.size()), 1);
    std::copy(values.cbegin(), values.cend(), image.Data());
    image.UpdateHistogram();
    return image;
}

ImageFile imageOfRows(const QList<QList<int>> &inRows)
{
    ImageFile image;
    image.Resize(int(inRows.value(0).size()), int(inRows.size()));
    for (int y = 0; y < inRows.size(); ++y) {
        for (int x = 0; x < inRows.at(y).size(); ++x)
            image.SetPixel(x, y, quint16(inRows.at(y).at(x)));
    }
    image.UpdateHistogram();
    return image;
}

// 500 pixels at 1500, 300 at 3000, 150 at 5000 and 50 at 8000.
ImageFile stepImage()
{
    return imageOfLevels({1500, 500, 3000, 300, 5000, 150, 8000, 50});
}

QList<int> pixelsOf(const ImageFile &inImage)
{
    QList<int> values;
    for (int y = 0; y < inImage.Height(); ++y) {
        for (int x = 0; x < inImage.Width(); ++x)
            values << inImage.Pixel(x, y);
    }
    return values;
}

ImageTagList itemsOf(const QStringList &inAssignments)
{
    ImageTagList items;
    for (const QString &assignment : inAssignments) {
        const qsizetype at = assignment.indexOf(QLatin1Char('='));
        items.append(ImageTag{assignment.left(at), assignment.mid(at + 1)});
    }
    return items;
}

} // namespace

class TestImageFile : public QObject
{
    Q_OBJECT

private slots:
    void newRecord()
    {
        const ImageFile image;
        QVERIFY(image.IsNull());
        QCOMPARE(image.RangeLow(), quint16(1000));
        QCOMPARE(image.RangeHigh(), quint16(65535));
        QVERIFY(image.IsLinearScale());
        QCOMPARE(image.LightMode().id(), 61);
        QCOMPARE(image.LightMode().methodName(), QString());
        QCOMPARE(image.LightMode().light().index(), 0);
        QCOMPARE(image.LightMode().filter().name(), QStringLiteral("Through"));
        QCOMPARE(image.LightMode().extra(), 255u);
        QCOMPARE(image.Histogram(), QVector<double>(65536, 0.0));
        QCOMPARE(image.AutoLow(), quint16(0));
        QCOMPARE(image.AutoHigh(), quint16(65535));
        QVERIFY(image.IsNegative());
        QVERIFY(image.Tags().isEmpty());
    }

    void copies()
    {
        ImageFile source = imageOfRows({{1, 2, 3}, {4, 5, 65535}});
        source.SetTags(itemsOf({"Comment=gel", "Range low=200", "Range high=9000", "Grayscale=Positive"}));
        source.SetLinearScale(false);

        const ImageFile copy(source);
        QCOMPARE(pixelsOf(copy), pixelsOf(source));
        QCOMPARE(copy.Tags(), source.Tags());
        QCOMPARE(copy.RangeLow(), quint16(200));
        QCOMPARE(copy.RangeHigh(), quint16(9000));
        QCOMPARE(copy.Histogram(), source.Histogram());
        QVERIFY(!copy.IsLinearScale());

        ImageFile shape;
        shape.CopyFrom(source, false);
        QCOMPARE(shape.Width(), 3);
        QCOMPARE(shape.Height(), 2);
        QCOMPARE(shape.Tags(), source.Tags());
        QCOMPARE(shape.Histogram(), QVector<double>(65536, 0.0));
        QCOMPARE(shape.MaxValue(), quint16(0));
        QCOMPARE(shape.AutoHigh(), quint16(0));

        ImageFile assigned;
        assigned = source;
        QCOMPARE(pixelsOf(assigned), pixelsOf(source));
        QCOMPARE(assigned.MaxValue(), quint16(65535));
    }

    void resizeKeepsNullConsistent_data()
    {
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("ordinary") << 3 << 2 << 3 << 2;
        QTest::newRow("zero width") << 0 << 5 << 0 << 0;
        QTest::newRow("zero height") << 5 << 0 << 0 << 0;
        QTest::newRow("negative") << -4 << 3 << 0 << 0;
    }

    void resizeKeepsNullConsistent()
    {
        QFETCH(int, w);
        QFETCH(int, h);
        ImageFile image;
        image.Resize(w, h);
        QFETCH(int, width);
        QFETCH(int, height);
        QCOMPARE(image.Width(), width);
        QCOMPARE(image.Height(), height);
        QCOMPARE(image.IsNull(), width == 0);
        image.Fill(7);
        QCOMPARE(pixelsOf(image), QList<int>(qsizetype(width) * height, 7));
    }

    void histogramExtremes()
    {
        // The first pixel is the unique largest value.
        const ImageFile image = imageOfRows({{60000, 3, 3}, {3, 10, 3}});
        QCOMPARE(image.MaxValue(), quint16(60000));
        QCOMPARE(image.MinValue(), quint16(3));
        QCOMPARE(image.Histogram().at(3), 4.0);
        QCOMPARE(image.Histogram().at(60000), 1.0);

        ImageFile empty;
        empty.UpdateHistogram();
        QCOMPARE(empty.MinValue(), quint16(65535));
        QCOMPARE(empty.MaxValue(), quint16(0));
    }

    // An image read from a file has the histogram of its pixels as read, whatever changes them
    // before the histogram is first asked for, in the image and in its copies alike; a read that
    // fails leaves the histogram of the pixels it leaves.
    void histogramOfReadImage()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const ImageFile source = imageOfRows({{5, 9, 9}, {9, 40000, 7}});
        QVERIFY(ImageFile::Save(dir.filePath(QStringLiteral("h")), source));
        const QString file = dir.filePath(QStringLiteral("h.tif"));
        const auto asRead = [&](const ImageFile &image) {
            return image.Histogram() == source.Histogram() && image.MaxValue() == 40000 && image.MinValue() == 5;
        };

        const QList<std::function<void(ImageFile &)>> changes = {
            [](ImageFile &image) { image.SetPixel(0, 0, 65535); },
            [](ImageFile &image) { image.Fill(1); },
            [](ImageFile &image) { image.Data()[4] = 0; },
            [](ImageFile &image) { image.Resize(1, 1); },
            [](ImageFile &image) { image.Rotate90(); },
        };
        for (const auto &change : changes) {
            ImageFile image;
            QVERIFY(ImageFile::Read(file, image));
            const ImageFile copy(image);
            ImageFile assigned;
            assigned = image;
            change(image);
            QVERIFY(asRead(image));
            QVERIFY(asRead(copy));
            QVERIFY(asRead(assigned));
        }

        ImageFile image;
        QVERIFY(ImageFile::Read(file, image));
        QVERIFY(tifftest::writeBytes(dir.filePath(QStringLiteral("bad.tif")), "not a TIFF file"));
        QVERIFY(!ImageFile::Read(dir.filePath(QStringLiteral("bad.tif")), image));
        QVERIFY(asRead(image));
    }

    // Threads that ask a read image for its histogram at once all get the same, whole count.
    void histogramOfReadImageFromThreads()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        ImageFile source;
        tifftest::fillPattern(source, 1500, 1400);
        source.UpdateHistogram();
        QVERIFY(ImageFile::Save(dir.filePath(QStringLiteral("t")), source));
        for (int round = 0; round < 5; ++round) {
            ImageFile image;
            QVERIFY(ImageFile::Read(dir.filePath(QStringLiteral("t.tif")), image));
            std::vector<QVector<double>> seen(6);
            std::vector<quint16> extremes(6);
            std::vector<std::thread> threads;
            for (size_t i = 0; i < seen.size(); ++i) {
                threads.emplace_back([&, i] {
                    seen[i] = image.Histogram();
                    extremes[i] = quint16(image.MaxValue() ^ image.MinValue());
                });
            }
            for (std::thread &t : threads)
                t.join();
            for (size_t i = 0; i < seen.size(); ++i) {
                QVERIFY(seen[i] == source.Histogram());
                QCOMPARE(extremes[i], quint16(source.MaxValue() ^ source.MinValue()));
            }
        }
    }

    // Pixel buffers of images that were let go serve later reads, never while an image holds them.
    void readBuffersNeverShared()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        ImageFile a;
        ImageFile b;
        tifftest::fillPattern(a, 1024, 1024);
        tifftest::fillPattern(b, 1024, 1024);
        b.Fill(4321);
        QVERIFY(ImageFile::Save(dir.filePath(QStringLiteral("a")), a));
        QVERIFY(ImageFile::Save(dir.filePath(QStringLiteral("b")), b));
        const QString fileA = dir.filePath(QStringLiteral("a.tif"));
        const QString fileB = dir.filePath(QStringLiteral("b.tif"));

        ImageFile readA;
        QVERIFY(ImageFile::Read(fileA, readA));
        const ImageFile kept(readA);
        {
            ImageFile gone;
            QVERIFY(ImageFile::Read(fileB, gone));
        }
        readA = ImageFile();
        ImageFile readB;
        QVERIFY(ImageFile::Read(fileB, readB));
        ImageFile again;
        QVERIFY(ImageFile::Read(fileA, again));
        QVERIFY(!ImageFile::Read(dir.filePath(QStringLiteral("missing.tif")), again));
        QCOMPARE(tifftest::pixelBytes(kept), tifftest::pixelBytes(a));
        QCOMPARE(tifftest::pixelBytes(readB), tifftest::pixelBytes(b));
        QCOMPARE(tifftest::pixelBytes(again), tifftest::pixelBytes(a));
        QVERIFY(kept.ConstData() != readB.ConstData() && kept.ConstData() != again.ConstData()
                && readB.ConstData() != again.ConstData());
    }

    // Histogram, extremes, automatic-range levels and upper levels of a random image against numpy.
    void histogramMatchesNumpy()
    {
        std::mt19937 random(20240917);
        std::normal_distribution<double> band(3000.0, 800.0);
        std::uniform_int_distribution<int> any(0, 65535);
        std::uniform_int_distribution<int> kind(0, 99);
        ImageFile image;
        image.Resize(701, 523);
        quint16 *p = image.Data();
        for (qsizetype i = 0; i < qsizetype(701) * 523; ++i) {
            const int k = kind(random);
            if (k < 2)
                p[i] = 65535;
            else if (k < 4)
                p[i] = 0;
            else if (k < 20)
                p[i] = quint16(any(random));
            else
                p[i] = quint16(std::clamp(std::lround(band(random)), 0L, 65535L));
        }
        image.UpdateHistogram();

        QTemporaryDir dir;
        const QString raw = dir.filePath(QStringLiteral("pixels.raw"));
        QFile file(raw);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(reinterpret_cast<const char *>(image.ConstData()), qint64(701) * 523 * 2),
                 qint64(701) * 523 * 2);
        file.close();
        const QList<uint> counts = {0, 1, 100, 9000, 50000, 400000};
        QJsonArray countArray;
        for (uint c : counts)
            countArray.append(double(c));
        const QJsonObject input{{"pixels", raw}, {"lowerRate", 0.05}, {"upperRate", 0.00125}, {"counts", countArray}};
        const QJsonObject ref = kytest::runPythonReference(QStringLiteral("image/reference/histogram.py"), input);
        QVERIFY(!ref.isEmpty());

        const QJsonArray histogram = ref.value("histogram").toArray();
        QCOMPARE(histogram.size(), 65536);
        int mismatches = 0;
        for (int v = 0; v < 65536; ++v)
            mismatches += image.Histogram().at(v) != histogram.at(v).toDouble();
        QCOMPARE(mismatches, 0);
        QCOMPARE(int(image.MinValue()), ref.value("min").toInt());
        QCOMPARE(int(image.MaxValue()), ref.value("max").toInt());

        for (int i = 0; i < counts.size(); ++i)
            QCOMPARE(int(image.UpperLevel(counts.at(i))), ref.value("upperLevels").toArray().at(i).toInt());

        // Built-in settings: dark offset 1000, minimum distance 500.
        const int low = ref.value("low").toInt();
        const int high = ref.value("high").toInt();
        const int autoLow = std::clamp(std::max(1000, low), 0, 65535);
        const int autoHigh = std::max(std::min(65535, std::max(low + 500, high)), std::min(65535, autoLow + 500));
        image.AutoRange();
        QCOMPARE(int(image.AutoLow()), autoLow);
        QCOMPARE(int(image.AutoHigh()), autoHigh);
        QCOMPARE(int(image.RangeLow()), autoLow);
        QCOMPARE(int(image.RangeHigh()), autoHigh);
    }

    void autoRange_data()
    {
        QTest::addColumn<QList<int>>("levels");
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        // 800 pixels: the low end is where 40 pixels are reached from below, the high end where 1
        // is reached from above.
        QTest::newRow("spread") << QList<int>{2000, 40, 5000, 759, 30000, 1} << QStringList() << 2000 << 30000;
        QTest::newRow("narrow: distance from the raw low level")
            << QList<int>{3000, 40, 3100, 760} << QStringList() << 3000 << 3500;
        QTest::newRow("high end held at 65535") << QList<int>{65300, 40, 65535, 760} << QStringList() << 65300 << 65535;
        QTest::newRow("saturated pixel sets the high end") << QList<int>{2000, 799, 65535, 1} << QStringList() << 2000
                                                           << 65535;
        QTest::newRow("null image") << QList<int>() << QStringList() << 1000 << 65535;
        // The dark offset lifts the low end: an inverted range keeps the minimum distance above the
        // end used, so an all-black image does not come out as 1000 .. 500; a narrow one stays.
        QTest::newRow("all black") << QList<int>{0, 800} << QStringList() << 1000 << 1500;
        QTest::newRow("dark image below the offset") << QList<int>{200, 40, 900, 760} << QStringList() << 1000 << 1500;
        QTest::newRow("dark image just above the offset")
            << QList<int>{200, 40, 1300, 760} << QStringList() << 1000 << 1300;
        QTest::newRow("offset past the grey scale")
            << QList<int>{5000, 800} << QStringList{"DarkframeOffset=70000"} << 65535 << 65535;
        QTest::newRow("lower rate above 1: the walk runs off the top")
            << QList<int>{5000, 800} << QStringList{"AutoRange_LowerRate=2"} << 65535 << 65535;
        QTest::newRow("negative minimum distance")
            << QList<int>{200, 40, 900, 760} << QStringList{"RangeMinimumDistance=-3000"} << 1000 << 1000;
        QTest::newRow("other rates and distance")
            << QList<int>{1500, 100, 4000, 600, 20000, 80, 40000, 20}
            << QStringList{"AutoRange_LowerRate=0.125", "AutoRange_UpperRate=0.1", "RangeMinimumDistance=800",
                           "DarkframeOffset=0"}
            << 1500 << 20000;
    }

    void autoRange()
    {
        QFETCH(QList<int>, levels);
        QFETCH(QStringList, settings);
        QFETCH(int, low);
        QFETCH(int, high);
        const ScopedSettings scoped(settings);
        ImageFile image = imageOfLevels(levels);
        QTest::ignoreMessage(QtDebugMsg, qPrintable(QStringLiteral("Auto range: %1 - %2").arg(low).arg(high)));
        image.AutoRange();
        QCOMPARE(int(image.AutoLow()), low);
        QCOMPARE(int(image.AutoHigh()), high);
        QCOMPARE(int(image.RangeLow()), low);
        QCOMPARE(int(image.RangeHigh()), high);
    }

    // Random images under random settings: the range is never inverted, keeps the minimum
    // distance above its low end within 65535.
    void autoRangeNeverInverts()
    {
        std::mt19937 random(7);
        std::uniform_int_distribution<int> level(0, 65535);
        std::uniform_int_distribution<int> pieces(1, 6);
        std::uniform_int_distribution<int> count(1, 400);
        std::uniform_real_distribution<double> rate(0.0, 0.3);
        std::uniform_int_distribution<int> distance(0, 5000);
        std::uniform_int_distribution<int> offset(0, 68000);
        for (int round = 0; round < 150; ++round) {
            QList<int> levels;
            for (int i = pieces(random); i > 0; --i)
                levels << level(random) << count(random);
            const int minDistance = distance(random);
            const ScopedSettings scoped({QStringLiteral("AutoRange_LowerRate=%1").arg(rate(random)),
                                         QStringLiteral("AutoRange_UpperRate=%1").arg(rate(random)),
                                         QStringLiteral("RangeMinimumDistance=%1").arg(minDistance),
                                         QStringLiteral("DarkframeOffset=%1").arg(offset(random))});
            ImageFile image = imageOfLevels(levels);
            const MessageLog log;
            image.AutoRange();
            QVERIFY2(image.AutoLow() <= image.AutoHigh(), qPrintable(log.lines().join(' ')));
            // Not even empty, unless there is no room above the low end or no distance to keep.
            QVERIFY(image.AutoHigh() > image.AutoLow() || image.AutoLow() == 65535 || minDistance == 0);
        }
    }

    void autoRangeMarker_data()
    {
        QTest::addColumn<QList<int>>("levels");
        QTest::addColumn<QString>("invert");
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        // 800 pixels: one pixel is the share that fixes the moving end.
        const QList<int> bright{2000, 799, 30000, 1};
        const QList<int> dark{200, 1, 9000, 799};
        QTest::newRow("upright: brightest pixel") << bright << QString() << QStringList() << 1000 << 30000;
        QTest::newRow("upright: \"No\"") << bright << QStringLiteral("No") << QStringList() << 1000 << 30000;
        QTest::newRow("upright: all black keeps the distance") << QList<int>{0, 800} << QString() << QStringList()
                                                                << 1000 << 1500;
        QTest::newRow("inverted in capitals") << dark << QStringLiteral("YES") << QStringList() << 200 << 64535;
        QTest::newRow("inverted") << dark << QStringLiteral("yes") << QStringList() << 200 << 64535;
        QTest::newRow("inverted: low end held below the high end")
            << QList<int>{64500, 800} << QStringLiteral("Yes") << QStringList() << 64035 << 64535;
        QTest::newRow("inverted: 65535 is not visited")
            << QList<int>{65535, 800} << QStringLiteral("Yes") << QStringList() << 64035 << 64535;
        QTest::newRow("inverted: offset past the grey scale")
            << dark << QStringLiteral("Yes") << QStringList{"DarkframeOffset=70000"} << 0 << 0;
        QTest::newRow("upright: offset past the grey scale")
            << bright << QString() << QStringList{"DarkframeOffset=70000"} << 65535 << 65535;
        QTest::newRow("inverted: negative distance")
            << QList<int>{65535, 800} << QStringLiteral("Yes") << QStringList{"Marker_RangeMinimumDistance=-2000"}
            << 64535 << 64535;
        QTest::newRow("upright: negative distance")
            << QList<int>{100, 800} << QString() << QStringList{"Marker_RangeMinimumDistance=-2000"} << 1000 << 1000;
    }

    void autoRangeMarker()
    {
        QFETCH(QList<int>, levels);
        QFETCH(QString, invert);
        QFETCH(QStringList, settings);
        QFETCH(int, low);
        QFETCH(int, high);
        const ScopedSettings scoped(settings);
        ImageFile image = imageOfLevels(levels);
        if (!invert.isEmpty())
            image.SetTag(QStringLiteral("Invert"), invert);
        QTest::ignoreMessage(QtDebugMsg, qPrintable(QStringLiteral("Auto range: %1 - %2").arg(low).arg(high)));
        image.AutoRangeMarker();
        QCOMPARE(int(image.RangeLow()), low);
        QCOMPARE(int(image.RangeHigh()), high);
    }

    void changeContrast_data()
    {
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::addColumn<double>("percent");
        QTest::addColumn<int>("minDistance");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("newHigh");
        // stepImage: 1000 pixels from 1500 to 8000; 5 % is 50 pixels.
        QTest::newRow("more: above the brightest pixel, by step") << 1000 << 10000 << 5.0 << 500 << 1000 << 9000;
        QTest::newRow("more: not below the brightest pixel") << 1000 << 8500 << 5.0 << 500 << 1000 << 8000;
        QTest::newRow("more: not below low + distance") << 7800 << 9000 << 5.0 << 1000 << 1000 << 8800;
        QTest::newRow("more: walk down to 50 pixels") << 1000 << 8000 << 5.0 << 500 << 1000 << 4999;
        QTest::newRow("more: walk stops at low + distance") << 1000 << 8000 << 100.0 << 2500 << 1000 << 3500;
        QTest::newRow("more: range already narrow") << 1000 << 1400 << 5.0 << 500 << 1000 << 1400;
        QTest::newRow("more: high end at the darkest pixel") << 0 << 1500 << 5.0 << 500 << 1000 << 1500;
        QTest::newRow("more: negative distance stops at level 0") << 0 << 3000 << 100.0 << -5000 << 1000 << 0;
        QTest::newRow("more: infinite share") << 1000 << 8000 << qInf() << 500 << 1000 << 1500;
        QTest::newRow("less: high end at the top") << 1000 << 65535 << -5.0 << 500 << 1000 << 65535;
        QTest::newRow("less: above the brightest pixel, by step") << 1000 << 9000 << -5.0 << 500 << 1000 << 10000;
        QTest::newRow("less: step held at 65535") << 1000 << 65000 << -5.0 << 500 << 1000 << 65535;
        QTest::newRow("less: walk up to 50 pixels") << 1000 << 3000 << -5.0 << 500 << 1000 << 5001;
        QTest::newRow("less: walk ends at the brightest pixel") << 1000 << 3000 << -50.0 << 500 << 1000 << 8000;
        QTest::newRow("less: infinite share") << 1000 << 3000 << -qInf() << 500 << 1000 << 8000;
        QTest::newRow("not a number") << 1000 << 3000 << qQNaN() << 500 << 1000 << 3000;
    }

    void changeContrast()
    {
        QFETCH(int, low);
        QFETCH(int, high);
        QFETCH(double, percent);
        QFETCH(int, minDistance);
        QFETCH(int, step);
        QFETCH(int, newHigh);
        ImageFile image = stepImage();
        image.SetRangeLow(quint16(low));
        image.SetRangeHigh(quint16(high));
        const MessageLog log;
        image.ChangeContrast(ContrastStep{percent, minDistance, step});
        QCOMPARE(int(image.RangeHigh()), newHigh);
        QCOMPARE(int(image.RangeLow()), low);
        if (!std::isnan(percent) && newHigh != high) {
            QCOMPARE(log.lines().size(), 2);
            QVERIFY(log.lines().at(0).startsWith(QStringLiteral("ChangeContrast ")));
            QCOMPARE(log.lines().at(1), QStringLiteral("  -> %1, %2").arg(low).arg(newHigh));
        }
    }

    void zeroStepChangesNothing()
    {
        ImageFile image = stepImage();
        image.SetRangeLow(2000);
        image.SetRangeHigh(6000);
        const MessageLog log;
        image.ChangeContrast(ContrastStep{0.0, 500, 1000});
        image.ChangeBrightness(ContrastStep{0.0, 500, 1000});
        image.ChangeContrast(ContrastStep{-0.0, 500, 1000});
        QCOMPARE(log.lines(), QStringList());
        QCOMPARE(image.RangeLow(), quint16(2000));
        QCOMPARE(image.RangeHigh(), quint16(6000));
    }

    void changeContrastDebugLine()
    {
        ImageFile image = stepImage();
        image.SetRangeLow(1000);
        image.SetRangeHigh(10000);
        QTest::ignoreMessage(QtDebugMsg, "ChangeContrast 5% 1000, 10000");
        QTest::ignoreMessage(QtDebugMsg, "  -> 1000, 9000");
        image.ChangeContrast(ContrastStep{5.0, 500, 1000});
        QTest::ignoreMessage(QtDebugMsg, "ChangeBrightness -2.5% 1000, 9000");
        QTest::ignoreMessage(QtDebugMsg, "  -> 700, 8700");
        image.ChangeBrightness(ContrastStep{-2.5, 10000, 300});
    }

    void changeBrightness_data()
    {
        QTest::addColumn<bool>("negative");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::addColumn<double>("percent");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("newLow");
        QTest::addColumn<int>("newHigh");
        // stepImage, minimum distance 500; a negative image moves up for a positive share.
        QTest::newRow("up: narrow, by step") << true << 2000 << 2400 << 5.0 << 300 << 2300 << 2700;
        QTest::newRow("up: narrow, held at 65535") << true << 7000 << 7300 << 5.0 << 60000 << 65235 << 65535;
        QTest::newRow("up: walks") << true << 1000 << 2000 << 5.0 << 300 << 1501 << 2501;
        QTest::newRow("up: low end at the brightest pixel") << true << 8000 << 9000 << 5.0 << 300 << 8000 << 9000;
        QTest::newRow("up: high end at the top") << true << 1000 << 65535 << 5.0 << 300 << 1000 << 65535;
        QTest::newRow("up: positive image, negative share") << false << 1000 << 2000 << -5.0 << 300 << 1501 << 2501;
        QTest::newRow("up: whole share stops at the top")
            << true << 1000 << 60000 << 100.0 << 300 << 6535 << 65535;
        QTest::newRow("down: walks") << false << 4000 << 6000 << 5.0 << 300 << 2999 << 4999;
        QTest::newRow("down: narrow, held at 0") << false << 1300 << 1600 << 5.0 << 2000 << 0 << 300;
        QTest::newRow("down: low end at 0") << false << 0 << 3000 << 5.0 << 300 << 0 << 3000;
        QTest::newRow("down: high end below the darkest pixel") << false << 500 << 1000 << 5.0 << 300 << 500 << 1000;
        QTest::newRow("down: walks reach level 0") << false << 1000 << 2000 << 100.0 << 300 << 0 << 1000;
        QTest::newRow("down: negative image, negative share") << true << 4000 << 6000 << -5.0 << 300 << 2999 << 4999;
        // An inverted range must not wrap around the 16-bit levels.
        QTest::newRow("inverted range, down") << false << 65000 << 5000 << 5.0 << 10000 << 55000 << 0;
        QTest::newRow("inverted range, up") << true << 5000 << 1000 << 5.0 << 300 << 5300 << 1300;
    }

    void changeBrightness()
    {
        QFETCH(bool, negative);
        QFETCH(int, low);
        QFETCH(int, high);
        QFETCH(double, percent);
        QFETCH(int, step);
        QFETCH(int, newLow);
        QFETCH(int, newHigh);
        ImageFile image = stepImage();
        image.SetNegative(negative);
        image.SetRangeLow(quint16(low));
        image.SetRangeHigh(quint16(high));
        const MessageLog log;
        image.ChangeBrightness(ContrastStep{percent, 500, step});
        QCOMPARE(int(image.RangeLow()), newLow);
        QCOMPARE(int(image.RangeHigh()), newHigh);
        // The width is kept unless an end meets 0 or 65535.
        if (newLow > 0 && newHigh < 65535 && low <= high)
            QCOMPARE(newHigh - newLow, high - low);
    }

    void brightnessAndContrast_data()
    {
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("brightness");
        QTest::addColumn<int>("contrast");
        QTest::newRow("default range") << 1000 << 65535 << 49 << 50;
        QTest::newRow("whole scale") << 0 << 65535 << 50 << 50;
        QTest::newRow("black point") << 0 << 0 << 100 << 100;
        QTest::newRow("white point") << 65535 << 65535 << 0 << 100;
        QTest::newRow("narrow") << 30000 << 32767 << 52 << 95;
        QTest::newRow("very narrow, limited") << 30000 << 30010 << 54 << 100;
        QTest::newRow("half width") << 17040 << 49806 << 48 << 60;
        QTest::newRow("inverted counts as narrowest") << 5000 << 1000 << 95 << 100;
    }

    void brightnessAndContrast()
    {
        QFETCH(int, low);
        QFETCH(int, high);
        ImageFile image;
        image.SetRangeLow(quint16(low));
        image.SetRangeHigh(quint16(high));
        QTEST(image.Brightness(), "brightness");
        QTEST(image.Contrast(), "contrast");
    }

    void setBrightnessContrast_data()
    {
        QTest::addColumn<int>("brightness"); // -1: leave
        QTest::addColumn<int>("contrast");   // -1: leave
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        // From the default range 1000 .. 65535 (brightness 49, contrast 50).
        QTest::newRow("same brightness: nothing") << 49 << -1 << 1000 << 65535;
        QTest::newRow("same contrast: nothing") << -1 << 50 << 1000 << 65535;
        QTest::newRow("brightness 50") << 50 << -1 << 1 << 65535;
        QTest::newRow("brightness 0") << 0 << -1 << 32768 << 65535;
        QTest::newRow("brightness 100") << 100 << -1 << 0 << 32767;
        QTest::newRow("contrast 60 halves the width") << -1 << 60 << 17040 << 49806;
        QTest::newRow("contrast 55") << -1 << 55 << 10253 << 56593;
        QTest::newRow("contrast 25") << -1 << 25 << 0 << 65535;
        QTest::newRow("contrast far below") << -1 << -1000000 << 0 << 65535;
        QTest::newRow("contrast far above") << -1 << 1000000 << 33423 << 33423;
        QTest::newRow("brightness far above") << std::numeric_limits<int>::max() << -1 << 0 << 0;
        QTest::newRow("brightness far below") << std::numeric_limits<int>::min() << -1 << 65535 << 65535;
    }

    void setBrightnessContrast()
    {
        QFETCH(int, brightness);
        QFETCH(int, contrast);
        ImageFile image;
        if (brightness != -1)
            image.SetBrightness(brightness);
        if (contrast != -1)
            image.SetContrast(contrast);
        QTEST(int(image.RangeLow()), "low");
        QTEST(int(image.RangeHigh()), "high");
    }

    void roundBrightnessContrast_data()
    {
        QTest::addColumn<int>("brightness");
        QTest::addColumn<int>("contrast");
        QTest::addColumn<int>("roundedBrightness");
        QTest::addColumn<int>("roundedContrast");
        QTest::newRow("down") << 52 << 67 << 50 << 65;
        QTest::newRow("multiples stay") << 100 << 25 << 100 << 25;
        QTest::newRow("toward zero") << -7 << 4 << -5 << 0;
    }

    void roundBrightnessContrast()
    {
        QFETCH(int, brightness);
        QFETCH(int, contrast);
        ImageFile::RoundBrightnessContrast(brightness, contrast);
        QTEST(brightness, "roundedBrightness");
        QTEST(contrast, "roundedContrast");
    }

    void exposureText_data()
    {
        QTest::addColumn<uint>("ms");
        QTest::addColumn<QString>("text");
        QTest::newRow("fraction") << 1500u << "1.5 s";
        QTest::newRow("minutes and fraction") << 90500u << "1 min 30.5 s";
        QTest::newRow("whole minute") << 60000u << "1 min 0 s";
        QTest::newRow("zero") << 0u << "0 s";
        QTest::newRow("milliseconds") << 5u << "0.005 s";
        QTest::newRow("trailing zero cut") << 1050u << "1.05 s";
        QTest::newRow("whole seconds") << 7000u << "7 s";
        QTest::newRow("largest") << 4294967295u << "71582 min 47.295 s";
    }

    void exposureText()
    {
        QFETCH(uint, ms);
        QFETCH(QString, text);
        ImageFile image;
        image.ExposureText(ms);
        QCOMPARE(image.Tag(QStringLiteral("Exposure time")), text);
        if (ms <= uint(std::numeric_limits<qint32>::max()))
            QCOMPARE(image.ExposureTime(), ms);
    }

    void exposureTime_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("ms");
        QTest::newRow("capture text") << "2 min 30.25 s" << 150250u;
        QTest::newRow("automatic") << "Automatic" << 0u;
        QTest::newRow("missing") << QString() << 0u;
        QTest::newRow("negative does not wrap") << "-5 s" << 0u;
    }

    void exposureTime()
    {
        QFETCH(QString, text);
        ImageFile image;
        if (!text.isNull())
            image.SetTag(QStringLiteral("Exposure time"), text);
        QTEST(image.ExposureTime(), "ms");
    }

    void channelName_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("lightMode");
        QTest::addColumn<QString>("name");
        QTest::newRow("after the last underscore") << "/data/scan_Cy3.tif" << 61 << "Cy3";
        QTest::newRow("extension cut at its last dot") << "/data/a_b.c.tif" << 61 << "b.c";
        QTest::newRow("no underscore: whole name") << "/data/scan.tif" << 61 << "scan.tif";
        QTest::newRow("underscore only in the folder") << "/data/dir_x/scan.tif" << 61 << "scan.tif";
        QTest::newRow("nothing after the underscore") << "/data/gel_.tif" << 61 << "";
        QTest::newRow("no path: fluorescence short name") << "" << 2 << "Fl-Blue";
        QTest::newRow("no path: short name") << "" << 0 << "Ch";
    }

    void channelName()
    {
        QFETCH(QString, path);
        QFETCH(int, lightMode);
        ImageFile image{CaptureCondition(LightMode(lightMode), 1000, QString())};
        if (!path.isEmpty())
            image.SetTag(QStringLiteral("File path"), path);
        QTEST(image.ChannelName(), "name");
    }

    void rangeItems_data()
    {
        QTest::addColumn<QString>("lowText");
        QTest::addColumn<QString>("highText");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::newRow("plain") << "1200" << "40000" << 1200 << 40000;
        QTest::newRow("empty items leave the range") << "" << "" << 1000 << 65535;
        QTest::newRow("above the grey scale") << "70000" << "4294967296" << 65535 << 65535;
        QTest::newRow("negative") << "-5" << "-70000" << 0 << 0;
        QTest::newRow("not numbers") << "abc" << "12x" << 0 << 0;
    }

    void rangeItems()
    {
        QFETCH(QString, lowText);
        QFETCH(QString, highText);
        ImageFile image;
        image.SetTags({ImageTag{QStringLiteral("Range low"), lowText}, ImageTag{QStringLiteral("Range high"), highText}});
        QTEST(int(image.RangeLow()), "low");
        QTEST(int(image.RangeHigh()), "high");
    }

    void grayscaleItem_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<bool>("negative");
        QTest::newRow("missing marks negative") << QStringList{"Comment=x"} << true;
        QTest::newRow("positive") << QStringList{"Grayscale=Positive"} << false;
        QTest::newRow("negative") << QStringList{"Grayscale=Negative"} << true;
        QTest::newRow("other case is negative") << QStringList{"Grayscale=positive"} << true;
        QTest::newRow("first item counts") << QStringList{"Grayscale=Positive", "Grayscale=Negative"} << false;
    }

    void grayscaleItem()
    {
        QFETCH(QStringList, items);
        ImageFile image;
        image.SetTags(itemsOf(items));
        QTEST(image.IsNegative(), "negative");
    }

    void lightModeFromItems_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("light");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<uint>("extra");
        QTest::addColumn<uint>("exposure");
        // Every list also holds "Exposure time=1.5 s"; white light reads back the marker exposure.
        QTest::newRow("chemiluminescence, upper tray")
            << QStringList{"Method=Chemiluminescence", "Light=None", "Filter=Through", "Tray position=Upper"} << 0
            << "None" << "Through" << 255u << 1500u;
        QTest::newRow("chemiluminescence, lower tray")
            << QStringList{"Method=Chemiluminescence", "Tray position=Lower"} << 1 << "None" << "" << 255u << 1500u;
        QTest::newRow("chemiluminescence, no tray") << QStringList{"Method=Chemiluminescence"} << 1 << "None" << ""
                                                   << 255u << 1500u;
        QTest::newRow("colorimetric") << QStringList{"Method=Colorimetric", "Light=Trans White", "Filter=Through"}
                                      << 11 << "Trans White" << "Through" << 255u << 1000u;
        QTest::newRow("channel 1") << QStringList{"Method=Blue", "Light=460 nm", "Filter=Cy2", "Channel=1"} << 2
                                   << "460 nm" << "Cy2" << 255u << 1500u;
        QTest::newRow("channel 2") << QStringList{"Method=Green", "Light=520 nm", "Filter=Cy3", "Channel=2"} << 3
                                   << "520 nm" << "Cy3" << 255u << 1500u;
        QTest::newRow("channel 3") << QStringList{"Method=Red", "Light=630 nm", "Filter=Cy5", "Channel=3"} << 4
                                   << "630 nm" << "Cy5" << 255u << 1500u;
        QTest::newRow("no channel") << QStringList{"Method=Blue", "Light=460 nm", "Filter=Cy2"} << 2 << "460 nm"
                                    << "Cy2" << 255u << 1500u;
        QTest::newRow("no other items") << QStringList() << 2 << "None" << "" << 255u << 1500u;
        // A custom method keeps the invalid mode and carries the binning code as its extra value.
        QTest::newRow("custom method")
            << QStringList{"Method=-MyDye", "Light=460 nm", "Filter=Cy2", "Binning=H16V8"} << 61 << "None"
            << "Through" << 7u << 0u;
        QTest::newRow("custom method, unknown binning")
            << QStringList{"Method=-MyDye", "Binning=H3V3"} << 61 << "None" << "Through" << 255u << 0u;
    }

    void lightModeFromItems()
    {
        QFETCH(QStringList, items);
        QFETCH(int, id);
        ImageFile image;
        image.SetTags(itemsOf(items) + itemsOf({"Exposure time=1.5 s"}));
        const LightMode mode = image.LightMode();
        QCOMPARE(mode.id(), id);
        if (id != 61)
            QCOMPARE(mode.methodName(), image.Tag(QStringLiteral("Method")));
        QTEST(mode.light().name(), "light");
        QTEST(mode.filter().name(), "filter");
        QTEST(mode.extra(), "extra");
        QTEST(image.Capture().exposureTime(), "exposure");
    }

    void validLightModeIsNotRebuilt()
    {
        ImageFile image{CaptureCondition(LightMode(3), 2000, QString())};
        image.SetTags(itemsOf({"Method=Colorimetric", "Light=Trans White"}));
        QCOMPARE(image.LightMode().id(), 3);
        QCOMPARE(image.Capture().exposureTime(), 2000u);
    }

    void captureRecordItems()
    {
        Kestova::setSoftwareName(QStringLiteral("Gel Analysis"));
        Kestova::setSoftwareVersion(QStringLiteral("2.1"));
        Kestova::setInstrumentName(QStringLiteral("Unit 7"));
        const CaptureCondition capture(LightMode(0), 1500, QStringLiteral("Normal"));
        const ImageFile image(capture);
        Kestova::setSoftwareName(QString());
        Kestova::setSoftwareVersion(QString());
        Kestova::setInstrumentName(QString());

        QCOMPARE(image.Width(), 512);
        QCOMPARE(image.Height(), 704);
        QCOMPARE(pixelsOf(image), QList<int>(512 * 704, 0));
        QCOMPARE(image.RangeLow(), quint16(1000));
        QCOMPARE(image.RangeHigh(), quint16(65535));
        QCOMPARE(image.LightMode().id(), 0);
        QVERIFY(image.IsNegative());

        QStringList keys;
        for (const ImageTag &tag : image.Tags())
            keys << tag.key;
        QCOMPARE(keys, (QStringList{"Depth", "Pixel size", "Date time", "Method", "Binning", "Exposure time", "Light",
                                    "Filter", "Tray position", "Iris", "Temperature", "Door status", "Software",
                                    "Instrument", "Serial number", "Darkframe", "Spotting", "Flatframe",
                                    "Distortion", "Invert", "Expand", "Grayscale", "Range low", "Range high",
                                    "Image split", "Gain coefficient", "Auto offset", "Auto offset gradient",
                                    "OFD voltage", "Exposure mode", "Zoom", "Sum"}));
        const QList<QPair<QString, QString>> values = {
            {"Depth", "16"}, {"Pixel size", "161.7"}, {"Date time", ""}, {"Method", "Chemiluminescence"},
            {"Binning", "H4V2"}, {"Exposure time", "1.5 s"}, {"Light", "None"}, {"Filter", "Through"},
            {"Tray position", "Upper"}, {"Iris", "F0.85"}, {"Door status", "Closed"},
            {"Software", "Gel Analysis Ver.2.1"}, {"Instrument", "Unit 7"}, {"Serial number", "-"},
            {"Darkframe", "No"}, {"Spotting", "No"}, {"Flatframe", "No"}, {"Distortion", "No"}, {"Invert", "No"},
            {"Expand", "No"}, {"Grayscale", "Negative"}, {"Range low", "1000"}, {"Range high", "65535"},
            {"Image split", "none"}, {"Gain coefficient", capture.itemText("Gain coefficient")},
            {"Exposure mode", "Normal"}, {"Zoom", "No"}, {"Sum", "No"}};
        for (const auto &[key, value] : values)
            QCOMPARE(image.Tag(key), value);
    }

    void captureRecordRangeFollowsDarkOffset()
    {
        const ScopedSettings scoped({QStringLiteral("DarkframeOffset=2500")});
        const ImageFile image{CaptureCondition(LightMode(2), 1000, QString())};
        QCOMPARE(image.RangeLow(), quint16(2500));
        QCOMPARE(image.Tag(QStringLiteral("Range low")), QStringLiteral("2500"));
    }

    void captureAccessors_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("category");
        QTest::addColumn<bool>("irisF2_8");
        QTest::addColumn<uint>("effective");
        QTest::addColumn<QString>("light");
        QTest::addColumn<QString>("filter");
        // Exposure 2500 ms; shutter delay 3 ms, marker exposure 1000 ms (built-in settings).
        QTest::newRow("chemiluminescence upper") << 0 << 1 << false << 2500u << "None" << "Through";
        QTest::newRow("chemiluminescence lower") << 1 << 2 << false << 2500u << "None" << "Through";
        QTest::newRow("blue fluorescence adds the shutter delay") << 2 << 2 << true << 2503u << "460 nm" << "Cy2";
        QTest::newRow("UV keeps the exposure") << 6 << 2 << true << 2500u << "312 nm" << "EtBr";
        QTest::newRow("white light uses the marker exposure") << 7 << 1 << true << 1000u << "Upper EPI White"
                                                              << "Through";
    }

    void captureAccessors()
    {
        QFETCH(int, id);
        const ImageFile image{CaptureCondition(LightMode(id), 2500, QString())};
        QCOMPARE(image.LightMode().id(), id);
        QTEST(image.CaptureCategory(), "category");
        QTEST(image.IsIrisF2_8(), "irisF2_8");
        QTEST(image.EffectiveExposure(), "effective");
        QTEST(image.LightText(), "light");
        QTEST(image.FilterText(), "filter");
    }

    void binningCode_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("code");
        // Capture record with binning code 7 (binning index 4).
        QTest::newRow("item name") << "H16V8" << 7;
        QTest::newRow("other item name") << "H2V1" << 1;
        QTest::newRow("unknown name") << "H3V3" << 255;
        QTest::newRow("no item: the record's binning index") << "" << 4;
    }

    void binningCode()
    {
        QFETCH(QString, item);
        ImageFile image{CaptureCondition(LightMode(2, QString(), QString(), 7), 1000, QString())};
        image.SetTag(QStringLiteral("Binning"), item);
        QTEST(image.BinningCode(), "code");
    }

    void pixelSizeAndDotsPerMeter_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("dots");
        QTest::newRow("instrument size") << "40.4" << 24752;
        QTest::newRow("missing") << "" << 0;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("negative") << "-79.9" << 0;
        QTest::newRow("not a number") << "abc" << 0;
        QTest::newRow("nan") << "nan" << 0;
        QTest::newRow("infinite") << "inf" << 0;
        QTest::newRow("tiny") << "1e-9" << std::numeric_limits<int>::max();
    }

    void pixelSizeAndDotsPerMeter()
    {
        QFETCH(QString, item);
        ImageFile image;
        if (!item.isEmpty())
            image.SetTag(QStringLiteral("Pixel size"), item);
        QTEST(ImageFile::DotsPerMeter(image.PixelSize()), "dots");
    }

    void setPixelSizeText()
    {
        ImageFile image;
        image.SetPixelSize(79.9);
        QCOMPARE(image.Tag(QStringLiteral("Pixel size")), QStringLiteral("79.9"));
        image.SetPixelSize(1234567.0);
        QCOMPARE(image.Tag(QStringLiteral("Pixel size")), QStringLiteral("1.23457e+06"));
        QCOMPARE(image.Tags().size(), 1);
    }

    void regionStatistics_data()
    {
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<int>("tableSize");
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::addColumn<double>("mean");
        // 4 x 3 image below, table value = 2 × level.
        QTest::newRow("whole image") << QRect(0, 0, 4, 3) << 65536 << 2.0 << 131070.0 << 2 * 130612.0 / 12;
        QTest::newRow("single pixel") << QRect(1, 1, 1, 1) << 65536 << 12.0 << 12.0 << 12.0;
        QTest::newRow("reaching outside") << QRect(-5, 2, 7, 9) << 65536 << 18.0 << 20.0 << 19.0;
        QTest::newRow("wholly outside: zeros") << QRect(10, 10, 3, 3) << 65536 << 0.0 << 0.0 << 0.0;
        QTest::newRow("empty rectangle: zeros") << QRect() << 65536 << 0.0 << 0.0 << 0.0;
        QTest::newRow("short table skips levels past its end") << QRect(0, 0, 4, 3) << 8 << 2.0 << 14.0 << 8.0;
        QTest::newRow("empty table: zeros") << QRect(0, 0, 4, 3) << 0 << 0.0 << 0.0 << 0.0;
    }

    void regionStatistics()
    {
        QFETCH(QRect, rect);
        QFETCH(int, tableSize);
        const ImageFile image = imageOfRows({{1, 2, 3, 4}, {5, 6, 7, 65000}, {9, 10, 30, 65535}});
        QVector<double> table(tableSize);
        for (int v = 0; v < tableSize; ++v)
            table[v] = 2.0 * v;
        double min = -1;
        double max = -1;
        double mean = -1;
        image.RegionStatistics(rect, table, min, max, mean);
        QTEST(min, "min");
        QTEST(max, "max");
        QTEST(mean, "mean");
    }

    void nearestPixel_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<int>("value");
        // Pixel (x, y) of the 3 x 2 image holds 10 × (y + 1) + x.
        QTest::newRow("exact") << 1.0 << 1.0 << 21;
        QTest::newRow("rounds down below half") << 0.49 << 0.0 << 10;
        QTest::newRow("rounds up at half") << 0.5 << 0.5 << 21;
        QTest::newRow("just left of the image truncates to 0") << -0.6 << 0.0 << 10;
        QTest::newRow("left of the image") << -1.6 << 0.0 << 0;
        QTest::newRow("right of the image") << 2.5 << 0.0 << 0;
        QTest::newRow("below the image") << 0.0 << 1.5 << 0;
        QTest::newRow("not a number") << qQNaN() << 0.0 << 0;
        QTest::newRow("huge") << 1e300 << 0.0 << 0;
        QTest::newRow("hugely negative") << 0.0 << -1e300 << 0;
    }

    void nearestPixel()
    {
        QFETCH(double, x);
        QFETCH(double, y);
        const ImageFile image = imageOfRows({{10, 11, 12}, {20, 21, 22}});
        QTEST(int(image.NearestPixel(x, y)), "value");
    }

    void bilinearSampleEnds()
    {
        const ImageFile image = imageOfRows({{10, 11, 12}, {20, 21, 65535}});
        bool saturated = false;
        QCOMPARE(image.BilinearSample(2.0, 1.0, &saturated), quint16(65535));
        QVERIFY(saturated);
        QCOMPARE(image.BilinearSample(-0.001, 0.0, &saturated), quint16(0));
        QVERIFY(!saturated);
        QCOMPARE(image.BilinearSample(qQNaN(), 0.0), quint16(0));
        QCOMPARE(image.BilinearSample(0.5, 0.5), quint16(16));
    }

    void upperLevel_data()
    {
        QTest::addColumn<QList<int>>("levels");
        QTest::addColumn<uint>("count");
        QTest::addColumn<int>("level");
        const QList<int> steps{1500, 500, 3000, 300, 5000, 150, 8000, 50};
        QTest::newRow("count 0: brightest") << steps << 0u << 8000;
        QTest::newRow("within the top bin") << steps << 50u << 7999;
        QTest::newRow("into the next bin") << steps << 51u << 4999;
        QTest::newRow("every pixel") << steps << 1000u << 1499;
        QTest::newRow("more than every pixel") << steps << 1001u << 0;
        QTest::newRow("reached at level 0") << QList<int>{0, 3} << 2u << 0;
        QTest::newRow("null image") << QList<int>() << 5u << 0;
    }

    void upperLevel()
    {
        QFETCH(QList<int>, levels);
        QFETCH(uint, count);
        QTEST(int(imageOfLevels(levels).UpperLevel(count)), "level");
    }

    void add_data()
    {
        QTest::addColumn<QString>("offset");
        QTest::addColumn<QList<int>>("sum");
        // 5000, 500, 65000, 0 plus 3000, 200, 3000, 0.
        QTest::newRow("dark offset 1000") << "1000" << QList<int>{7000, 0, 65535, 0};
        QTest::newRow("no offset item") << "" << QList<int>{8000, 700, 65535, 0};
        QTest::newRow("negative offset") << "-100" << QList<int>{8100, 800, 65535, 100};
        QTest::newRow("most negative offset") << "-2147483648" << QList<int>{65535, 65535, 65535, 65535};
        QTest::newRow("largest offset") << "2147483647" << QList<int>{0, 0, 0, 0};
    }

    void add()
    {
        QFETCH(QString, offset);
        QFETCH(QList<int>, sum);
        ImageFile image = imageOfRows({{5000, 500}, {65000, 0}});
        ImageFile other = imageOfRows({{3000, 200}, {3000, 0}});
        image.SetTag(QStringLiteral("Exposure time"), QStringLiteral("1.5 s"));
        other.SetTag(QStringLiteral("Exposure time"), QStringLiteral("2 min"));
        if (!offset.isEmpty())
            image.SetTag(QStringLiteral("Dark offset"), offset);
        ImageFile &result = image.Add(other);
        QCOMPARE(&result, &image);
        QCOMPARE(pixelsOf(image), sum);
        QCOMPARE(pixelsOf(other), (QList<int>{3000, 200, 3000, 0}));
        QCOMPARE(image.Tag(QStringLiteral("Exposure time")), QStringLiteral("2 min 1.5 s"));
        QCOMPARE(int(image.MaxValue()), *std::max_element(sum.cbegin(), sum.cend()));
        QCOMPARE(image.Histogram().at(sum.at(0)), double(std::count(sum.cbegin(), sum.cend(), sum.at(0))));
    }

    void addMismatchedSizeChangesNothing()
    {
        ImageFile image = imageOfRows({{5000, 500}, {65000, 0}});
        image.SetTag(QStringLiteral("Exposure time"), QStringLiteral("1.5 s"));
        const ImageFile wide = imageOfRows({{1, 2, 3}, {4, 5, 6}});
        image.Add(wide);
        QCOMPARE(pixelsOf(image), (QList<int>{5000, 500, 65000, 0}));
        QCOMPARE(image.Tag(QStringLiteral("Exposure time")), QStringLiteral("1.5 s"));
        ImageFile empty;
        empty.Add(image);
        QVERIFY(empty.IsNull());
    }

    void addToItself()
    {
        ImageFile image = imageOfRows({{5000, 500}, {40000, 0}});
        image.SetTag(QStringLiteral("Exposure time"), QStringLiteral("30 s"));
        const ImageFile before(image); // shares the pixel array
        image.Add(image);
        QCOMPARE(pixelsOf(image), (QList<int>{10000, 1000, 65535, 0}));
        QCOMPARE(pixelsOf(before), (QList<int>{5000, 500, 40000, 0}));
        QCOMPARE(image.Tag(QStringLiteral("Exposure time")), QStringLiteral("1 min 0 s"));
    }
};

KY_TEST_MAIN(TestImageFile)
#include "tst_imagefile.moc"
