// Rendering and geometry of the image record: 8-bit display images and their tables, zoom and
// crop, quarter turns and half size, against numpy and scipy where an independent answer exists.

#include "testmain.h"
#include "tifftestfiles.h"

#include "core/lsettings.h"
#include "core/systemsettings.h"
#include "image/clipbycubic.h"
#include "image/clipbylinear.h"
#include "image/imagefile.h"
#include "image/imagepart.h"
#include "image/zoommapping.h"

#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPixmap>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cmath>
#include <functional>

namespace {

using tifftest::pixelBytes;

// A gel-like capture: a sloped background with noise, Gaussian bands in lanes, one saturated band.
ImageFile gelImage(int inWidth, int inHeight, quint32 inSeed = 7)
{
    ImageFile image;
    image.Resize(inWidth, inHeight);
    QRandomGenerator random(inSeed);
    quint16 *p = image.Data();
    const int lanes = std::max(1, inWidth / 40);
    for (int r = 0; r < inHeight; ++r) {
        for (int c = 0; c < inWidth; ++c) {
            double v = 1500.0 + 3.0 * r + 1.5 * c + random.bounded(200.0);
            const int lane = c * lanes / inWidth;
            const double laneCentre = (lane + 0.5) * inWidth / lanes;
            if (std::abs(c - laneCentre) < inWidth / lanes * 0.35) {
                for (int b = 0; b < 4; ++b) {
                    const double centre = inHeight * (0.15 + 0.22 * b) + 3 * lane;
                    const double height = 4000.0 * (b + 1) * (lane + 1);
                    v += height * std::exp(-0.5 * (r - centre) * (r - centre) / 9.0);
                }
            }
            p[qsizetype(r) * inWidth + c] = quint16(std::min(v, 65535.0));
        }
    }
    return image;
}

// Every grey level once, then noise over the whole range: every table entry is visited.
ImageFile everyLevelImage()
{
    ImageFile image;
    image.Resize(300, 240);
    QRandomGenerator random(11);
    quint16 *p = image.Data();
    for (int i = 0; i < 300 * 240; ++i)
        p[i] = i < 65536 ? quint16(i) : quint16(random.bounded(65536));
    return image;
}

ImageFile noiseImage(int inWidth, int inHeight, quint32 inSeed)
{
    ImageFile image;
    image.Resize(inWidth, inHeight);
    QRandomGenerator random(inSeed);
    for (qsizetype i = 0; i < qsizetype(inWidth) * inHeight; ++i)
        image.Data()[i] = quint16(random.bounded(65536));
    return image;
}

// The rows of an 8-bit image without their padding.
QByteArray indexBytes(const QImage &inImage)
{
    QByteArray bytes;
    for (int r = 0; r < inImage.height(); ++r)
        bytes.append(reinterpret_cast<const char *>(inImage.constScanLine(r)), inImage.width());
    return bytes;
}

// Cases for one run of the reference script: each case's source pixels go to <name>.in and its
// parameters into cases.json; the script writes its answers beside them.
class ReferenceRun
{
public:
    void add(const QString &inName, const ImageFile &inImage, QJsonObject inParameters)
    {
        inParameters.insert(QStringLiteral("name"), inName);
        inParameters.insert(QStringLiteral("width"), inImage.Width());
        inParameters.insert(QStringLiteral("height"), inImage.Height());
        cases.append(inParameters);
        if (!tifftest::writeBytes(dir.filePath(inName + QStringLiteral(".in")), pixelBytes(inImage))) {
            qWarning("cannot write the pixels of %s", qPrintable(inName));
            written = false;
        }
    }

    // False when an input could not be written or the script failed.
    bool run(const QString &inCommand)
    {
        if (!written || !tifftest::writeBytes(dir.filePath(QStringLiteral("cases.json")), QJsonDocument(cases).toJson()))
            return false;
        const QString script = kytest::sourceDir() + QStringLiteral("/tests/image/reference/render.py");
        QProcess process;
        process.start(QStringLiteral("/usr/bin/python3"), {script, inCommand, dir.path()});
        if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit
            || process.exitCode() != 0) {
            qWarning("%s %s failed: %s", qPrintable(script), qPrintable(inCommand),
                     process.readAllStandardError().constData());
            return false;
        }
        return true;
    }

    QByteArray answer(const QString &inName, const QString &inSuffix = QStringLiteral("out")) const
    {
        QFile file(dir.filePath(inName + QLatin1Char('.') + inSuffix));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir dir;
    QJsonArray cases;
    bool written = true;
};

// The first position where two byte strings of 16-bit values differ, as text; empty when equal.
QString firstDifference16(const QByteArray &inActual, const QByteArray &inExpected, int inWidth)
{
    if (inActual.size() != inExpected.size())
        return QStringLiteral("size %1, expected %2").arg(inActual.size()).arg(inExpected.size());
    const auto *a = reinterpret_cast<const quint16 *>(inActual.constData());
    const auto *e = reinterpret_cast<const quint16 *>(inExpected.constData());
    for (qsizetype i = 0; i < inActual.size() / 2; ++i) {
        if (a[i] != e[i])
            return QStringLiteral("at (%1, %2): %3, expected %4")
                .arg(i % inWidth).arg(i / inWidth).arg(a[i]).arg(e[i]);
    }
    return QString();
}

void setSystemSetting(const QString &inKey, const QVariant &inValue)
{
    LSettings *store = SystemSettings::instance()->settingsStore();
    QMutexLocker lock(&store->mutex());
    store->setValue(inKey, inValue);
}

} // namespace

class TestImageRender : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        // Every test starts from the built-in instrument settings.
        LSettings *store = SystemSettings::instance()->settingsStore();
        QMutexLocker lock(&store->mutex());
        store->clear();
    }

    void cleanupTestCase() { init(); }

    // ---- 16-to-8-bit rendering -------------------------------------------------------------

    void displayTableEnds_data()
    {
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::addColumn<QList<int>>("levels");
        QTest::addColumn<QList<int>>("indices");
        // The table's own rule gives 253 at 65534 for this range (64534 * 254 / 64535).
        QTest::newRow("default 1000..65535") << 1000 << 65535 << QList<int>{0, 999, 1000, 1001, 1255, 65534, 65535}
                                             << QList<int>{0, 0, 0, 0, 1, 253, 255};
        QTest::newRow("high below 65535") << 1000 << 3000 << QList<int>{1000, 2000, 2999, 3000, 65534, 65535}
                                          << QList<int>{0, 127, 253, 254, 254, 255};
        QTest::newRow("low equals high") << 5000 << 5000 << QList<int>{5000, 5001, 65534, 65535}
                                         << QList<int>{0, 254, 254, 255};
        QTest::newRow("low above high") << 40000 << 20000 << QList<int>{20000, 40000, 40001, 65535}
                                        << QList<int>{0, 0, 254, 255};
        QTest::newRow("low 65535") << 65535 << 65535 << QList<int>{0, 65534, 65535} << QList<int>{0, 0, 255};
        QTest::newRow("whole range") << 0 << 65535 << QList<int>{0, 1, 258, 259, 65534, 65535}
                                     << QList<int>{0, 0, 0, 1, 253, 255};
    }

    void displayTableEnds()
    {
        QFETCH(int, low);
        QFETCH(int, high);
        QFETCH(QList<int>, levels);
        QFETCH(QList<int>, indices);
        ImageFile image;
        image.SetRangeLow(quint16(low));
        image.SetRangeHigh(quint16(high));
        QVector<ushort> table;
        image.DisplayTable(table);
        QCOMPARE(table.size(), 65536);
        for (int i = 0; i < levels.size(); ++i)
            QVERIFY2(table.at(levels.at(i)) == indices.at(i),
                     qPrintable(QStringLiteral("level %1 gives %2, expected %3")
                                    .arg(levels.at(i)).arg(table.at(levels.at(i))).arg(indices.at(i))));
        // Index 255 marks saturated pixels only.
        QCOMPARE(int(std::count(table.cbegin(), table.cend(), ushort(255))), 1);
    }

    // Indices and colour tables of whole images and rectangles for several ranges, linear and
    // logarithmic, positive and negative, with and without the saturated colour.
    void renderingMatchesNumpy()
    {
        struct Case
        {
            const char *name;
            int low, high;
            bool linear, negative, saturated;
            QRect rect; // null: the whole image
        };
        const QList<Case> cases = {
            {"default_linear_negative_saturated", 1000, 65535, true, true, true, {}},
            {"default_linear_positive_plain", 1000, 65535, true, false, false, {}},
            {"narrow_log_negative", 30000, 30100, false, true, false, {}},
            {"narrow_log_positive_saturated", 30000, 30100, false, false, true, {}},
            {"whole_range_log", 0, 65535, false, false, false, {}},
            {"low_equals_high", 5000, 5000, true, false, true, {}},
            {"low_above_high", 40000, 20000, true, true, false, {}},
            {"rect_inside", 2000, 50000, true, false, true, QRect(13, 7, 101, 57)},
            {"rect_one_row", 2000, 50000, false, true, true, QRect(20, 100, 200, 1)},
            {"rect_two_rows", 2000, 50000, true, false, true, QRect(0, 0, 300, 2)},
            {"rect_four_rows", 2000, 50000, true, false, true, QRect(1, 230, 299, 4)},
            {"rect_past_end", 2000, 50000, true, false, true, QRect(250, 200, 100, 100)},
            {"rect_before_start", 2000, 50000, true, false, true, QRect(-5, -3, 50, 40)},
        };
        const ImageFile source = everyLevelImage();
        ReferenceRun reference;
        QList<QImage> rendered;
        for (const Case &c : cases) {
            ImageFile image(source);
            image.SetRangeLow(quint16(c.low));
            image.SetRangeHigh(quint16(c.high));
            image.SetLinearScale(c.linear);
            image.SetNegative(c.negative);
            const QRect rect = c.rect.isNull() ? QRect(0, 0, image.Width(), image.Height()) : c.rect;
            rendered.append(c.rect.isNull()
                                ? image.ToIndexed8(c.saturated)
                                : image.ToIndexed8(rect.x(), rect.y(), rect.width(), rect.height(), c.saturated));
            reference.add(QLatin1String(c.name), image,
                          {{"low", c.low}, {"high", c.high}, {"linear", c.linear}, {"negative", c.negative},
                           {"saturated", c.saturated}, {"x", rect.x()}, {"y", rect.y()},
                           {"w", rect.width()}, {"h", rect.height()}});
        }
        QVERIFY(reference.run(QStringLiteral("render")));
        for (int i = 0; i < cases.size(); ++i) {
            const QString name = QLatin1String(cases.at(i).name);
            const QImage &image = rendered.at(i);
            QCOMPARE(image.format(), QImage::Format_Indexed8);
            QVERIFY2(indexBytes(image) == reference.answer(name), qPrintable(name));
            const QByteArray colours = reference.answer(name, QStringLiteral("colours"));
            const QVector<QRgb> table = image.colorTable();
            QVERIFY2(QByteArray(reinterpret_cast<const char *>(table.constData()), table.size() * 4) == colours,
                     qPrintable(name + QStringLiteral(": colour table")));
        }
        // The same answers, spelt out for the ends of the tables.
        QCOMPARE(rendered.at(0).color(0), qRgb(255, 255, 255)); // negative linear: level 0 is white
        QCOMPARE(rendered.at(0).color(255), qRgb(240, 0, 240)); // the saturated colour
        QCOMPARE(rendered.at(4).color(0), qRgb(0, 0, 0));       // logarithmic: black at 0
        QCOMPARE(rendered.at(4).color(255), qRgb(254, 254, 254)); // and grey 254 at 255
    }

    void savedColourSettingIsUsed()
    {
        setSystemSetting(QStringLiteral("SaturatedPixelColor"), QColor(10, 200, 30));
        ImageFile image;
        QCOMPARE(image.ColorTable(true).at(255), qRgb(10, 200, 30));
        QCOMPARE(image.ColorTable(false).at(255), qRgb(0, 0, 0)); // negative by default: grey 255 inverted
    }

    void wholeImageIsCached()
    {
        ImageFile image = gelImage(64, 48);
        const QImage first = image.ToIndexed8(true);
        QCOMPARE(image.ToIndexed8(true).cacheKey(), first.cacheKey());
        QCOMPARE(image.ToIndexed8(0, 0, 64, 48, true).cacheKey(), first.cacheKey());

        // Another flag rebuilds the cache.
        const QImage plain = image.ToIndexed8(false);
        QVERIFY(plain.cacheKey() != first.cacheKey());
        QCOMPARE(plain.color(255), qRgb(0, 0, 0));
        QCOMPARE(image.ToIndexed8(false).cacheKey(), plain.cacheKey());

        // A change of the display range drops it.
        image.SetRangeHigh(30000);
        const QImage narrower = image.ToIndexed8(false);
        QVERIFY(narrower.cacheKey() != plain.cacheKey());
        QVERIFY(indexBytes(narrower) != indexBytes(plain));
    }

    // The whole image with the other flag is the cached picture under the other colour table: the
    // same picture a fresh rendering gives, made without rendering or copying the pixels again (a
    // save's plain picture beside the one the screen shows, on a capture of 100 million pixels).
    void otherFlagSharesThePixels()
    {
        ImageFile image = gelImage(64, 48);
        image.SetPixelSize(25.0);
        const QImage saturated = image.ToIndexed8(true);
        const QImage plain = image.ToIndexed8(false);
        QCOMPARE(plain.constBits(), saturated.constBits());
        const QImage rendered = ImageFile(image).ToIndexed8(false);
        QCOMPARE(plain.format(), rendered.format());
        QCOMPARE(plain.colorTable(), rendered.colorTable());
        QCOMPARE(plain.dotsPerMeterX(), rendered.dotsPerMeterX());
        QCOMPARE(plain.dotsPerMeterY(), rendered.dotsPerMeterY());
        QCOMPARE(indexBytes(plain), indexBytes(rendered));
        QCOMPARE(plain, rendered);

        // Back again, and a write into one picture leaves the other alone.
        const QImage again = image.ToIndexed8(true);
        QCOMPARE(again.constBits(), saturated.constBits());
        QCOMPARE(again, saturated);
        QImage written = plain;
        written.setPixel(0, 0, 255);
        QVERIFY(written.constBits() != saturated.constBits());
        QCOMPARE(indexBytes(image.ToIndexed8(true)), indexBytes(saturated));
        QCOMPARE(indexBytes(plain), indexBytes(rendered));
    }

    // A sub-rectangle rendered with the other flag leaves the cached whole image and its flag alone.
    void rectangleLeavesCacheAlone()
    {
        ImageFile image = gelImage(64, 48);
        const QImage saturated = image.ToIndexed8(true);
        const QImage part = image.ToIndexed8(4, 4, 20, 20, false);
        QCOMPARE(part.size(), QSize(20, 20));
        QCOMPARE(part.color(255), qRgb(0, 0, 0));
        QCOMPARE(image.ToIndexed8(true).cacheKey(), saturated.cacheKey());
        const QImage plain = image.ToIndexed8(false);
        QCOMPARE(plain.color(255), qRgb(0, 0, 0));
        QVERIFY(plain.cacheKey() != saturated.cacheKey());
    }

    void rectangleCutToImage_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::addColumn<QRect>("shown"); // null: no image
        QTest::newRow("inside") << 3 << 4 << 10 << 5 << QRect(3, 4, 10, 5);
        QTest::newRow("past right and bottom") << 50 << 40 << 100 << 100 << QRect(50, 40, 14, 8);
        QTest::newRow("before left and top") << -10 << -4 << 20 << 10 << QRect(0, 0, 10, 6);
        QTest::newRow("larger on every side") << -1 << -1 << 70 << 50 << QRect(0, 0, 64, 48);
        QTest::newRow("right of the image") << 64 << 0 << 5 << 5 << QRect();
        QTest::newRow("above the image") << 0 << -5 << 5 << 5 << QRect();
        QTest::newRow("zero width") << 0 << 0 << 0 << 5 << QRect();
        QTest::newRow("negative height") << 0 << 10 << 5 << -5 << QRect();
        QTest::newRow("x + w past INT_MAX") << 60 << 0 << INT_MAX << 3 << QRect(60, 0, 4, 3);
        QTest::newRow("x at INT_MIN") << INT_MIN << 0 << INT_MAX << 3 << QRect();
    }

    void rectangleCutToImage()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, w);
        QFETCH(int, h);
        QFETCH(QRect, shown);
        ImageFile image = gelImage(64, 48);
        const QImage part = image.ToIndexed8(x, y, w, h, true);
        if (shown.isNull()) {
            QVERIFY(part.isNull());
            return;
        }
        QCOMPARE(part.size(), shown.size());
        const QImage whole = ImageFile(image).ToIndexed8(true);
        QCOMPARE(indexBytes(part), indexBytes(whole.copy(shown)));
    }

    void nullImageRendersNothing()
    {
        ImageFile image;
        QVERIFY(image.ToIndexed8(true).isNull());
        QVERIFY(image.ToIndexed8(0, 0, 10, 10, false).isNull());
        QVERIFY(image.ToPixmap().isNull());
    }

    void resolution_data()
    {
        QTest::addColumn<QString>("pixelSize"); // empty: no item
        QTest::addColumn<int>("dots");          // 0: the default resolution
        QTest::newRow("10 um") << QStringLiteral("10") << 100000;
        QTest::newRow("63.5 um") << QStringLiteral("63.5") << 15748;
        QTest::newRow("missing") << QString() << 0;
        QTest::newRow("zero") << QStringLiteral("0") << 0;
        QTest::newRow("negative") << QStringLiteral("-20") << 0;
        QTest::newRow("not a number") << QStringLiteral("abc") << 0;
    }

    void resolution()
    {
        QFETCH(QString, pixelSize);
        QFETCH(int, dots);
        ImageFile image = gelImage(8, 6);
        if (!pixelSize.isEmpty())
            image.SetTag(QStringLiteral("Pixel size"), pixelSize);
        const QImage rendered = image.ToIndexed8(true);
        const QImage plain(1, 1, QImage::Format_Indexed8);
        QCOMPARE(rendered.dotsPerMeterX(), dots ? dots : plain.dotsPerMeterX());
        QCOMPARE(rendered.dotsPerMeterY(), dots ? dots : plain.dotsPerMeterY());
    }

    void pixmapShowsSaturatedColour()
    {
        ImageFile image = gelImage(40, 30);
        image.SetNegative(false);
        image.Data()[5 * 40 + 7] = 65535;
        image.Data()[0] = 0;
        const QPixmap whole = image.ToPixmap();
        QCOMPARE(whole.size(), QSize(40, 30));
        const QImage shown = whole.toImage();
        QCOMPARE(shown.pixel(7, 5), qRgb(240, 0, 240));
        QCOMPARE(shown.pixel(0, 0), qRgb(0, 0, 0));
        const QPixmap part = image.ToPixmap(5, 5, 10, 10);
        QCOMPARE(part.size(), QSize(10, 10));
        QCOMPARE(part.toImage().pixel(2, 0), qRgb(240, 0, 240));
    }

    // ---- Zoom and crop ----------------------------------------------------------------------

    void zoomBilinearMatchesScipy()
    {
        struct Case
        {
            const char *name;
            double x, y, w, h;
            int tw, th;
        };
        const QList<Case> cases = {
            {"magnify_integral", 100, 60, 100, 100, 200, 200},
            {"magnify_fractional", 100.3, 50.7, 120.5, 90.25, 333, 271},
            {"reduce", 20, 10, 250, 180, 97, 61},
            {"stretch", 40, 40, 64, 200, 256, 50},
            {"few_rows", 30.5, 70.5, 100, 3, 150, 4},
        };
        const ImageFile source = gelImage(320, 260);
        ReferenceRun reference;
        QList<ImageFile> zoomed;
        for (const Case &c : cases) {
            zoomed.append(source.Zoom(c.x, c.y, c.w, c.h, c.tw, c.th));
            reference.add(QLatin1String(c.name), source,
                          {{"x", c.x}, {"y", c.y}, {"w", c.w}, {"h", c.h}, {"tw", c.tw}, {"th", c.th}});
        }
        QVERIFY(reference.run(QStringLiteral("linear")));
        for (int i = 0; i < cases.size(); ++i) {
            const Case &c = cases.at(i);
            const ImageFile &out = zoomed.at(i);
            QCOMPARE(out.Width(), c.tw);
            QCOMPARE(out.Height(), c.th);
            const QByteArray expected = reference.answer(QLatin1String(c.name));
            QCOMPARE(expected.size(), qsizetype(c.tw) * c.th * 8);
            const auto *e = reinterpret_cast<const double *>(expected.constData());
            for (int p = 0; p < c.tw * c.th; ++p) {
                if (!(std::abs(out.ConstData()[p] - e[p]) <= 1.0))
                    QFAIL(qPrintable(QStringLiteral("%1 at (%2, %3): %4, scipy %5").arg(QLatin1String(c.name))
                                         .arg(p % c.tw).arg(p / c.tw).arg(out.ConstData()[p]).arg(e[p])));
            }
        }
    }

    // Every output pixel, at the edges and outside too, is the image's own bilinear sample.
    void zoomBilinearEqualsBilinearSample_data()
    {
        QTest::addColumn<QRectF>("region");
        QTest::addColumn<QSize>("out");
        QTest::newRow("whole image doubled") << QRectF(0, 0, 50, 40) << QSize(100, 80);
        QTest::newRow("past every edge") << QRectF(-10.5, -7.25, 75, 60) << QSize(61, 47);
        QTest::newRow("wholly outside") << QRectF(100, 100, 10, 10) << QSize(20, 20);
        QTest::newRow("one output row") << QRectF(3, 3, 40, 30) << QSize(80, 1);
        QTest::newRow("six output rows") << QRectF(3, 3, 40, 30) << QSize(7, 6);
        QTest::newRow("integral steps") << QRectF(10, 10, 20, 20) << QSize(40, 40);
        // One output pixel per source pixel along an axis: that axis samples whole positions.
        QTest::newRow("integral rows") << QRectF(2, 3, 40, 30) << QSize(81, 30);
        QTest::newRow("integral columns") << QRectF(2, 3, 40, 30) << QSize(40, 61);
        QTest::newRow("integral rows to the last row") << QRectF(1, 10, 48, 30) << QSize(33, 30);
    }

    void zoomBilinearEqualsBilinearSample()
    {
        QFETCH(QRectF, region);
        QFETCH(QSize, out);
        const ImageFile source = gelImage(50, 40);
        const ImageFile zoomed = source.Zoom(region.x(), region.y(), region.width(), region.height(),
                                             out.width(), out.height());
        QCOMPARE(zoomed.Width(), out.width());
        QCOMPARE(zoomed.Height(), out.height());
        for (int r = 0; r < out.height(); ++r) {
            const double fy = zoomSourceCoordinate(r, out.height(), region.y(), region.height());
            for (int c = 0; c < out.width(); ++c) {
                const double fx = zoomSourceCoordinate(c, out.width(), region.x(), region.width());
                const quint16 expected = source.BilinearSample(fx, fy);
                const quint16 actual = zoomed.ConstData()[r * out.width() + c];
                if (actual != expected)
                    QFAIL(qPrintable(QStringLiteral("(%1, %2): %3, expected %4").arg(c).arg(r).arg(actual).arg(expected)));
            }
        }
        // The histogram follows the new pixels.
        QVERIFY(zoomed.Histogram().at(zoomed.MaxValue()) > 0);
    }

    void zoomBicubicMatchesTranscription()
    {
        setSystemSetting(QStringLiteral("DigitalZoomInterpolationType"), QStringLiteral("BiCubic"));
        struct Case
        {
            const char *name;
            int sw, sh;
            double x, y, w, h;
            int tw, th;
        };
        const QList<Case> cases = {
            {"magnify", 60, 50, 10.5, 8.25, 30, 20, 75, 52},
            {"reduce", 60, 50, 0, 0, 60, 50, 23, 17},
            {"past_every_edge", 40, 30, -6, -5, 52, 40, 61, 45},
            {"four_by_four", 4, 4, -1, -1, 6, 6, 13, 11},
            {"left_edge_only", 30, 20, -0.7, 2, 10, 10, 20, 20},
        };
        ReferenceRun reference;
        QList<ImageFile> zoomed;
        for (const Case &c : cases) {
            ImageFile source = gelImage(c.sw, c.sh, 3);
            source.SetTag(QStringLiteral("Dark offset"), QStringLiteral("777"));
            zoomed.append(source.Zoom(c.x, c.y, c.w, c.h, c.tw, c.th));
            reference.add(QLatin1String(c.name), source,
                          {{"x", c.x}, {"y", c.y}, {"w", c.w}, {"h", c.h}, {"tw", c.tw}, {"th", c.th},
                           {"a", -0.02}, {"fill", 777}});
        }
        QVERIFY(reference.run(QStringLiteral("cubic")));
        for (int i = 0; i < cases.size(); ++i) {
            const Case &c = cases.at(i);
            const QByteArray expected = reference.answer(QLatin1String(c.name));
            QCOMPARE(expected.size(), qsizetype(c.tw) * c.th * 2);
            const auto *e = reinterpret_cast<const quint16 *>(expected.constData());
            for (int p = 0; p < c.tw * c.th; ++p) {
                if (std::abs(zoomed.at(i).ConstData()[p] - e[p]) > 1)
                    QFAIL(qPrintable(QStringLiteral("%1 at (%2, %3): %4, expected %5").arg(QLatin1String(c.name))
                                         .arg(p % c.tw).arg(p / c.tw).arg(zoomed.at(i).ConstData()[p]).arg(e[p])));
            }
        }
    }

    void bicubicKeepsSaturation()
    {
        setSystemSetting(QStringLiteral("DigitalZoomInterpolationType"), QStringLiteral("bicubic"));
        ImageFile source;
        source.Resize(20, 20);
        source.Fill(5000);
        source.Data()[10 * 20 + 10] = 65535;
        const ImageFile zoomed = source.Zoom(0.0, 0.0, 20.0, 20.0, 40, 40);
        // Output pixels (20, 20) and (21, 21) lie right beside source pixel (10, 10).
        for (int r = 19; r <= 22; ++r)
            for (int c = 19; c <= 22; ++c)
                QCOMPARE(zoomed.ConstData()[r * 40 + c], quint16(65535));
        QVERIFY(zoomed.ConstData()[0] >= 4999 && zoomed.ConstData()[0] <= 5000);
        QVERIFY(zoomed.ConstData()[5 * 40 + 5] >= 4999 && zoomed.ConstData()[5 * 40 + 5] <= 5000);
    }

    // Sources smaller than the 4 x 4 neighbourhood, zoomed over regions that reach past them: the
    // neighbourhood stays inside the source (the sanitizer build reads nothing else), and a flat
    // source stays flat.
    void bicubicSmallSources_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("1 x 1") << QSize(1, 1);
        QTest::newRow("2 x 1") << QSize(2, 1);
        QTest::newRow("1 x 3") << QSize(1, 3);
        QTest::newRow("2 x 2") << QSize(2, 2);
        QTest::newRow("3 x 2") << QSize(3, 2);
        QTest::newRow("3 x 3") << QSize(3, 3);
        QTest::newRow("5 x 1") << QSize(5, 1);
    }

    void bicubicSmallSources()
    {
        QFETCH(QSize, size);
        setSystemSetting(QStringLiteral("DigitalZoomInterpolationType"), QStringLiteral("bicubic"));
        ImageFile source;
        source.Resize(size.width(), size.height());
        source.Fill(3000);
        source.SetTag(QStringLiteral("Dark offset"), QStringLiteral("1"));
        for (const QRectF &region : {QRectF(0, 0, size.width(), size.height()), QRectF(-2, -2, size.width() + 4, size.height() + 4),
                                     QRectF(-0.9, -0.9, 1.8, 1.8), QRectF(size.width() - 0.5, size.height() - 0.5, 1.4, 1.4)}) {
            const ImageFile zoomed = source.Zoom(region.x(), region.y(), region.width(), region.height(), 17, 13);
            QCOMPARE(zoomed.Width(), 17);
            QCOMPARE(zoomed.Height(), 13);
            for (int p = 0; p < 17 * 13; ++p) {
                const int v = zoomed.ConstData()[p];
                // The flat value (the weights add up to one) or the dark offset where nothing reaches.
                if (v != 1 && std::abs(v - 3000) > 1)
                    QFAIL(qPrintable(QStringLiteral("pixel %1 is %2").arg(p).arg(v)));
            }
        }
    }

    void zoomSizeAndPixelSize()
    {
        ImageFile source = gelImage(300, 200);
        source.SetPixelSize(40.0);
        const ImageFile zoomed = source.Zoom(50.0, 50.0, 100.0, 100.0, 200, 200);
        QCOMPARE(zoomed.Width(), 200);
        QCOMPARE(zoomed.Height(), 200);
        QCOMPARE(zoomed.PixelSize(), 20.0);

        // The rectangle forms normalise their rectangle first.
        const ImageFile fromRect = source.Zoom(QRect(150, 150, -100, -100), 200, 200);
        QCOMPARE(pixelBytes(fromRect), pixelBytes(zoomed));
        const ImageFile fromRectF = source.Zoom(QRectF(150.0, 150.0, -100.0, -100.0), 200, 200);
        QCOMPARE(pixelBytes(fromRectF), pixelBytes(zoomed));

        // A source without a pixel size does not gain one.
        source.RemoveTag(QStringLiteral("Pixel size"));
        QVERIFY(source.Zoom(50.0, 50.0, 100.0, 100.0, 200, 200).Tag(QStringLiteral("Pixel size")).isNull());
    }

    void zoomKeepsItemsAndRange()
    {
        ImageFile source = gelImage(30, 20);
        source.SetTag(QStringLiteral("Method"), QStringLiteral("Chemi"));
        source.SetNegative(false);
        source.SetRangeLow(1234);
        source.SetRangeHigh(43210);
        for (const ImageFile &out : {source.Zoom(0.0, 0.0, 10.0, 10.0, 0, 0), source.Zoom(0.0, 0.0, 10.0, 10.0, 25, 25),
                                     source.HalfSize()}) {
            QCOMPARE(out.Tag(QStringLiteral("Method")), QStringLiteral("Chemi"));
            QVERIFY(!out.IsNegative());
            QCOMPARE(out.RangeLow(), quint16(1234));
            QCOMPARE(out.RangeHigh(), quint16(43210));
        }
    }

    void crop_data()
    {
        QTest::addColumn<QRectF>("region");
        QTest::addColumn<QSize>("out"); // 0 x 0: the region's own size
        QTest::addColumn<QRect>("expected");
        QTest::newRow("integral region, output 0 x 0") << QRectF(5, 6, 20, 10) << QSize(0, 0) << QRect(5, 6, 20, 10);
        QTest::newRow("output equal to region") << QRectF(5, 6, 20, 10) << QSize(20, 10) << QRect(5, 6, 20, 10);
        QTest::newRow("rounded origin") << QRectF(4.6, 5.5, 20, 10) << QSize(0, 0) << QRect(5, 6, 20, 10);
        QTest::newRow("past right and bottom") << QRectF(30, 25, 20, 20) << QSize(0, 0) << QRect(30, 25, 10, 5);
        // The origin rounds to (-4, -2) (half up, then toward zero).
        QTest::newRow("before left and top") << QRectF(-5, -3, 20, 10) << QSize(0, 0) << QRect(0, 0, 16, 8);
        QTest::newRow("wholly outside keeps a pixel") << QRectF(100, 100, 5, 5) << QSize(0, 0) << QRect(39, 29, 1, 1);
        QTest::newRow("far outside") << QRectF(-1e300, 5, 5, 5) << QSize(0, 0) << QRect(0, 5, 1, 5);
        // Top-left corner at the whole image's origin: still a crop, not the whole image.
        QTest::newRow("top-left quarter") << QRectF(0, 0, 20, 15) << QSize(20, 15) << QRect(0, 0, 20, 15);
        QTest::newRow("whole image, output 0 x 0") << QRectF(0, 0, 40, 30) << QSize(0, 0) << QRect(0, 0, 40, 30);
    }

    void crop()
    {
        QFETCH(QRectF, region);
        QFETCH(QSize, out);
        QFETCH(QRect, expected);
        ImageFile source = gelImage(40, 30);
        source.SetPixelSize(25.0);
        const ImageFile cropped =
            source.Zoom(region.x(), region.y(), region.width(), region.height(), out.width(), out.height());
        QCOMPARE(cropped.Width(), expected.width());
        QCOMPARE(cropped.Height(), expected.height());
        for (int r = 0; r < expected.height(); ++r)
            for (int c = 0; c < expected.width(); ++c)
                QCOMPARE(cropped.ConstData()[r * expected.width() + c], source.Pixel(expected.x() + c, expected.y() + r));
        QCOMPARE(cropped.PixelSize(), 25.0);
        QCOMPARE(cropped.MaxValue(), *std::max_element(cropped.ConstData(), cropped.ConstData() + expected.width() * expected.height()));
    }

    void wholeImageIsCopied()
    {
        ImageFile source = gelImage(40, 30);
        source.SetLinearScale(false);
        source.SetTag(QStringLiteral("Comment"), QStringLiteral("whole"));
        source.UpdateHistogram();
        const ImageFile copy = source.Zoom(0.0, 0.0, 40.0, 30.0, 40, 30);
        QCOMPARE(copy.Width(), 40);
        QCOMPARE(copy.Height(), 30);
        QCOMPARE(pixelBytes(copy), pixelBytes(source));
        QCOMPARE(copy.Tags(), source.Tags());
        QVERIFY(!copy.IsLinearScale());
        QCOMPARE(copy.Histogram(), source.Histogram());
    }

    void emptyZoomIsNull_data()
    {
        QTest::addColumn<bool>("nullSource");
        QTest::addColumn<QRectF>("region");
        QTest::addColumn<QSize>("out");
        QTest::newRow("null source") << true << QRectF(0, 0, 10, 10) << QSize(20, 20);
        QTest::newRow("negative output width") << false << QRectF(0, 0, 10, 10) << QSize(-5, 20);
        QTest::newRow("negative output height") << false << QRectF(0, 0, 10, 10) << QSize(20, -1);
        QTest::newRow("output 0 from a region under a pixel") << false << QRectF(2, 2, 0.5, 10) << QSize(0, 0);
        QTest::newRow("empty region") << false << QRectF(2, 2, 0, 10) << QSize(20, 20);
        QTest::newRow("negative region") << false << QRectF(2, 2, 10, -3) << QSize(20, 20);
        QTest::newRow("region not a number") << false << QRectF(qQNaN(), 2, 10, 10) << QSize(20, 20);
        QTest::newRow("infinite region") << false << QRectF(0, 0, qInf(), 10) << QSize(20, 20);
        QTest::newRow("output 0 from a region too wide for int") << false << QRectF(0, 0, 1e12, 10) << QSize(0, 10);
    }

    void emptyZoomIsNull()
    {
        QFETCH(bool, nullSource);
        QFETCH(QRectF, region);
        QFETCH(QSize, out);
        const ImageFile source = nullSource ? ImageFile() : gelImage(20, 20);
        const ImageFile zoomed =
            source.Zoom(region.x(), region.y(), region.width(), region.height(), out.width(), out.height());
        QVERIFY(zoomed.IsNull());
        QCOMPARE(zoomed.Height(), 0);
    }

    void otherInterpolationGivesDarkOffset_data()
    {
        QTest::addColumn<QString>("darkOffset");
        QTest::addColumn<int>("fill");
        QTest::newRow("1000") << QStringLiteral("1000") << 1000;
        QTest::newRow("missing") << QString() << 0;
        QTest::newRow("negative") << QStringLiteral("-5") << 0;
        QTest::newRow("above 65535") << QStringLiteral("70000") << 65535;
    }

    void otherInterpolationGivesDarkOffset()
    {
        QFETCH(QString, darkOffset);
        QFETCH(int, fill);
        setSystemSetting(QStringLiteral("DigitalZoomInterpolationType"), QStringLiteral("nearest"));
        ImageFile source = gelImage(30, 20);
        if (!darkOffset.isNull())
            source.SetTag(QStringLiteral("Dark offset"), darkOffset);
        const ImageFile zoomed = source.Zoom(2.0, 2.0, 10.0, 10.0, 25, 15);
        QCOMPARE(zoomed.Width(), 25);
        QCOMPARE(zoomed.Histogram().at(fill), 25.0 * 15.0);
    }

    void bilinearSettingIgnoresCase()
    {
        setSystemSetting(QStringLiteral("DigitalZoomInterpolationType"), QStringLiteral("BILINEAR"));
        const ImageFile source = gelImage(30, 20);
        const ImageFile zoomed = source.Zoom(2.0, 2.0, 10.0, 10.0, 25, 15);
        QCOMPARE(zoomed.ConstData()[7 * 25 + 12],
                 source.BilinearSample(zoomSourceCoordinate(12, 25, 2.0, 10.0), zoomSourceCoordinate(7, 15, 2.0, 10.0)));
    }

    // ---- Quarter turns and half size -------------------------------------------------------

    void quarterTurnsMatchNumpy()
    {
        // Sizes around the 8 x 8 blocks and the tiles of 256 x 64 output pixels, and past them.
        const QList<QSize> sizes = {QSize(1, 1),    QSize(1, 7),    QSize(5, 1),   QSize(67, 130),
                                    QSize(129, 64), QSize(200, 65), QSize(603, 77), QSize(77, 603)};
        ReferenceRun reference;
        QList<QByteArray> turned;
        for (const QSize &size : sizes) {
            for (int mode : {0, 1}) {
                ImageFile image = noiseImage(size.width(), size.height(), quint32(size.width() * 1000 + size.height()));
                const QString name = QStringLiteral("turn_%1x%2_%3").arg(size.width()).arg(size.height()).arg(mode);
                reference.add(name, image, {{"mode", mode}});
                if (mode == 0)
                    image.Rotate90();
                else
                    image.Rotate270();
                QCOMPARE(image.Width(), size.height());
                QCOMPARE(image.Height(), size.width());
                turned.append(pixelBytes(image));
            }
        }
        QVERIFY(reference.run(QStringLiteral("rotate")));
        int i = 0;
        for (const QSize &size : sizes) {
            for (int mode : {0, 1}) {
                const QString name = QStringLiteral("turn_%1x%2_%3").arg(size.width()).arg(size.height()).arg(mode);
                const QString difference = firstDifference16(turned.at(i++), reference.answer(name), size.height());
                QVERIFY2(difference.isEmpty(), qPrintable(name + QStringLiteral(": ") + difference));
            }
        }
    }

    void quarterTurnsKeepTheRest()
    {
        ImageFile image = gelImage(70, 45);
        image.SetTag(QStringLiteral("Comment"), QStringLiteral("turned"));
        image.UpdateHistogram();
        const ImageFile original(image);
        const QImage before = image.ToIndexed8(true);
        image.Rotate90();
        const QImage after = image.ToIndexed8(true);
        QVERIFY(after.cacheKey() != before.cacheKey());
        QCOMPARE(after.size(), QSize(45, 70));
        QCOMPARE(image.Histogram(), original.Histogram());
        QCOMPARE(image.Tags(), original.Tags());
        image.Rotate270();
        QCOMPARE(image.Width(), 70);
        QCOMPARE(pixelBytes(image), pixelBytes(original));
        image.Rotate270();
        image.Rotate90();
        QCOMPARE(pixelBytes(image), pixelBytes(original));

        ImageFile empty;
        empty.Rotate90();
        QVERIFY(empty.IsNull());
    }

    void rotateBufferModes()
    {
        const ushort source[6] = {1, 2, 3, 4, 5, 6}; // 3 wide, 2 high
        ushort target[6] = {};
        QCOMPARE(rotateImageBuffer(source, target, 3, 2, 0), 0);
        QCOMPARE(QList<ushort>(target, target + 6), (QList<ushort>{4, 1, 5, 2, 6, 3}));
        QCOMPARE(rotateImageBuffer(source, target, 3, 2, 1), 0);
        QCOMPARE(QList<ushort>(target, target + 6), (QList<ushort>{3, 6, 2, 5, 1, 4}));
        QCOMPARE(rotateImageBuffer(source, target, 3, 2, 2), 100);
        QCOMPARE(rotateImageBuffer(source, target, 3, 2, -1), 100);
    }

    void halfSizeMatchesNumpy()
    {
        const QList<QSize> sizes = {QSize(2, 2), QSize(3, 5), QSize(64, 48), QSize(101, 77)};
        ReferenceRun reference;
        QList<ImageFile> halves;
        for (const QSize &size : sizes) {
            // Noise over the whole range: many 2 x 2 sums pass 65535.
            const ImageFile image = noiseImage(size.width(), size.height(), quint32(size.width() + size.height()));
            reference.add(QStringLiteral("half_%1x%2").arg(size.width()).arg(size.height()), image, {});
            halves.append(image.HalfSize());
        }
        QVERIFY(reference.run(QStringLiteral("halfsize")));
        for (int i = 0; i < sizes.size(); ++i) {
            const QSize size = sizes.at(i);
            const ImageFile &half = halves.at(i);
            QCOMPARE(half.Width(), size.width() / 2);
            QCOMPARE(half.Height(), size.height() / 2);
            const QString name = QStringLiteral("half_%1x%2").arg(size.width()).arg(size.height());
            const QString difference = firstDifference16(pixelBytes(half), reference.answer(name), half.Width());
            QVERIFY2(difference.isEmpty(), qPrintable(name + QStringLiteral(": ") + difference));
            QCOMPARE(half.MaxValue(), *std::max_element(half.ConstData(), half.ConstData() + half.Width() * half.Height()));
        }
        // A source one pixel high has no half.
        QVERIFY(gelImage(10, 1).HalfSize().IsNull());
    }

    // ---- Tiles --------------------------------------------------------------------------------

    void partsAreCutToTheImage()
    {
        ImageFile image = gelImage(20, 10);
        const ImagePart inside(&image, QRect(2, 3, 5, 4));
        QCOMPARE(inside.Left(), 2);
        QCOMPARE(inside.Top(), 3);
        QCOMPARE(inside.Width(), 5);
        QCOMPARE(inside.Height(), 4);
        QCOMPARE(inside.Bottom(), 6);
        QCOMPARE(inside.ImageWidth(), 20);
        QCOMPARE(inside.ImageHeight(), 10);
        QCOMPARE(inside.Origin(), image.Data() + 3 * 20 + 2);

        const ConstImagePart overhanging(&image, QRect(-3, 8, 10, 10));
        QCOMPARE(overhanging.Rect(), QRect(0, 8, 7, 2));
        QCOMPARE(overhanging.Origin(), image.ConstData() + 8 * 20);

        const ImagePart outside(&image, QRect(30, 0, 5, 5));
        QVERIFY(outside.Rect().isEmpty());
        QVERIFY(outside.Origin() == nullptr);
        ImageFile empty;
        QVERIFY(ImagePart(&empty, QRect(0, 0, 5, 5)).Rect().isEmpty());
        QVERIFY(ConstImagePart(nullptr, QRect(0, 0, 5, 5)).Rect().isEmpty());
    }
};

KY_TEST_MAIN_WITH(QGuiApplication, TestImageRender)
#include "tst_imagerender.moc"
