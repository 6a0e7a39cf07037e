// Display state of the document: selection, region statistics, display ranges, polarity, contrast
// and brightness steps, and the histogram picture.

#include "testdocument.h"
#include "testmain.h"

#include <QGuiApplication>

using namespace kytest;

namespace {

// Whether any pixel of column x is of a colour close to inColour.
bool columnHas(const QImage &inImage, int inX, const std::function<bool(QRgb)> &inTest)
{
    for (int y = 0; y < inImage.height(); ++y) {
        if (inTest(inImage.pixel(inX, y)))
            return true;
    }
    return false;
}

bool anywhere(const QImage &inImage, const std::function<bool(QRgb)> &inTest)
{
    for (int x = 0; x < inImage.width(); ++x) {
        if (columnHas(inImage, x, inTest))
            return true;
    }
    return false;
}

bool isWhite(QRgb c)
{
    return qRed(c) == 255 && qGreen(c) == 255 && qBlue(c) == 255;
}

// Columns first..last (every step-th) are white inside the frame.
bool whiteColumns(const QImage &inImage, int inFirst, int inLast, int inStep = 1)
{
    for (int x = inFirst; x <= inLast; x += inStep) {
        for (int y = 1; y < inImage.height() - 1; ++y) {
            if (!isWhite(inImage.pixel(x, y)))
                return false;
        }
    }
    return true;
}

// Every column strictly inside the frame is white from top to bottom.
bool noCurve(const QImage &inImage)
{
    return whiteColumns(inImage, 1, inImage.width() - 2);
}

} // namespace

class TestKyDocumentDisplay : public QObject
{
    Q_OBJECT

private slots:
    void selection_data();
    void selection();
    void selectionTranslated();
    void regionStatistics();
    void displayRange_data();
    void displayRange();
    void displayRangeAll();
    void polarity();
    void contrastAndBrightness();
    void highlight();
    void histogramBuckets();
    void histogramAllZeroDrawsNoCurve();
    void histogramSelection();
    void histogramRangeMarkers();
    void histogramWidths_data();
    void histogramWidths();
};

void TestKyDocumentDisplay::selection_data()
{
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<QRect>("stored");

    QTest::newRow("left of the image") << QRect(-5, 10, 20, 20) << QRect(0, 10, 20, 20);
    QTest::newRow("past the bottom right") << QRect(90, 90, 20, 20) << QRect(80, 80, 20, 20);
    QTest::newRow("above") << QRect(30, -7, 10, 10) << QRect(30, 0, 10, 10);
    QTest::newRow("inside") << QRect(10, 20, 30, 40) << QRect(10, 20, 30, 40);
    QTest::newRow("wider than the image") << QRect(-10, 0, 150, 50) << QRect(-50, 0, 150, 50);
    QTest::newRow("taller than the image") << QRect(0, 5, 10, 120) << QRect(0, -20, 10, 120);
    QTest::newRow("the initial rectangle") << QRect(-1, -1, -1, -1) << QRect(-1, -1, -1, -1);
}

void TestKyDocumentDisplay::selection()
{
    QFETCH(QRect, rect);
    TestDocument doc({uniformImage(100, 100, 0)});
    QTEST(doc.SetSelectionRect(rect), "stored");
    QTEST(doc.SelectionRect(), "stored");
    QVERIFY(!doc.IsDisplayChanged());
}

void TestKyDocumentDisplay::selectionTranslated()
{
    TestDocument doc({uniformImage(100, 100, 0)});
    doc.SetSelectionRect(QRect(10, 10, 20, 20));
    doc.SetSelectionRectTranslated(QPoint(5, -3));
    QCOMPARE(doc.SelectionRect(), QRect(15, 7, 20, 20));
    doc.SetSelectionRectTranslated(QPoint(500, 500));
    QCOMPARE(doc.SelectionRect(), QRect(80, 80, 20, 20));
}

void TestKyDocumentDisplay::regionStatistics()
{
    TestDocument doc({makeImage(10, 10, [](int x, int y) { return quint16(x + 10 * y); })});
    doc.valueTable.resize(65536);
    for (int g = 0; g < 65536; ++g)
        doc.valueTable[g] = 2.0 * g;
    doc.SetSelectionRect(QRect(2, 3, 3, 2));
    double minimum = -1;
    double maximum = -1;
    double mean = -1;
    doc.RegionStatistics(0, minimum, maximum, mean);
    QCOMPARE(minimum, 2.0 * 32);
    QCOMPARE(maximum, 2.0 * 44);
    QCOMPARE(mean, 2.0 * 38);
    doc.RegionStatistics(0, QRect(0, 0, 1, 1), minimum, maximum, mean);
    QCOMPARE(maximum, 0.0);
    doc.RegionStatistics(2, minimum, maximum, mean);
    QCOMPARE(minimum, 0.0);
    QCOMPARE(maximum, 0.0);
    QCOMPARE(mean, 0.0);
}

void TestKyDocumentDisplay::displayRange_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::addColumn<bool>("result");
    QTest::addColumn<bool>("changed");

    QTest::newRow("new levels") << 0 << 100 << 200 << true << true;
    QTest::newRow("the levels it has") << 0 << 1000 << 65535 << false << false;
    QTest::newRow("no such channel") << 3 << 100 << 200 << false << false;
    QTest::newRow("every channel") << 65535 << 100 << 200 << true << true;
    QTest::newRow("every channel, nothing to change") << 65535 << 1000 << 65535 << true << false;
    QTest::newRow("last image") << 65520 << 5 << 6 << true << true;
}

void TestKyDocumentDisplay::displayRange()
{
    QFETCH(int, channel);
    QFETCH(int, low);
    QFETCH(int, high);
    QFETCH(bool, changed);
    TestDocument doc(QStringLiteral("/c/A"), {uniformImage(10, 10, 0), uniformImage(10, 10, 0)});
    doc.setColorImage();
    QTEST(doc.SetDisplayRange(channel, quint16(low), quint16(high)), "result");
    QCOMPARE(doc.IsDisplayChanged(), changed);
    QCOMPARE(doc.hasColorImage(), !changed);
    QVERIFY(!doc.IsDirty());
    QVERIFY(!doc.IsAnalysisChanged());

    quint16 l = 0;
    quint16 h = 0;
    if (changed && channel != 65535) {
        QVERIFY(doc.DisplayRange(channel == 65520 ? 1 : channel, l, h));
        QCOMPARE(int(l), low);
        QCOMPARE(int(h), high);
        // The same levels again change nothing.
        QVERIFY(!doc.SetDisplayRange(channel, quint16(low), quint16(high)));
    }
    l = 7;
    QVERIFY(!doc.DisplayRange(2, l, h));
    QCOMPARE(l, quint16(7));
}

void TestKyDocumentDisplay::displayRangeAll()
{
    TestDocument doc({uniformImage(10, 10, 0), ImageFile(), uniformImage(10, 10, 0)});
    doc.SetDisplayRangeAll(300, 400);
    for (const ImageFile &image : doc.images()) {
        QCOMPARE(image.RangeLow(), quint16(300));
        QCOMPARE(image.RangeHigh(), quint16(400));
    }
    QVERIFY(doc.IsDisplayChanged());
    // Clearing the dirty mark clears the display mark with it.
    doc.SetDirty(false);
    QVERIFY(!doc.IsDisplayChanged());
}

void TestKyDocumentDisplay::polarity()
{
    TestDocument doc(QStringLiteral("/c/A"), {uniformImage(10, 10, 0), uniformImage(10, 10, 0)});
    QVERIFY(doc.IsNegative(5));
    QVERIFY(doc.IsNegative(0)); // no "Grayscale" item: not "Positive"
    doc.setColorImage();
    doc.SetNegative(0, true);
    QVERIFY(!doc.IsDisplayChanged());
    doc.SetNegative(0, false);
    QVERIFY(!doc.IsNegative(0));
    QVERIFY(doc.IsDisplayChanged());
    QVERIFY(doc.hasColorImage());
    QVERIFY(!doc.IsDirty());
    doc.SetNegative(7, false);

    doc.SetDirty(true);
    doc.SetDirty(false);
    doc.InvertAll();
    QVERIFY(doc.IsNegative(0));
    QVERIFY(!doc.IsNegative(1));
    QVERIFY(doc.IsDisplayChanged());
}

void TestKyDocumentDisplay::contrastAndBrightness()
{
    TestDocument doc({gelImage(80, 60, 3, 11)});
    doc.AutoRange(0);
    doc.SetDirty(false);
    doc.setColorImage();
    quint16 low = 0;
    quint16 high = 0;
    doc.DisplayRange(0, low, high);
    QVERIFY(doc.ChangeContrast(0, 1));
    quint16 low2 = 0;
    quint16 high2 = 0;
    doc.DisplayRange(0, low2, high2);
    QCOMPARE(low2, low);
    QVERIFY(high2 < high);
    QVERIFY(doc.IsDisplayChanged());
    QVERIFY(!doc.hasColorImage());

    doc.DisplayRange(0, low, high);
    QVERIFY(doc.ChangeBrightness(0, -1));
    doc.DisplayRange(0, low2, high2);
    QVERIFY(low2 != low);
    QCOMPARE(high2 - low2, high - low);
    QVERIFY(!doc.ChangeContrast(0, 0));
    QVERIFY(!doc.ChangeContrast(4, 1));
    QVERIFY(!doc.ChangeBrightness(4, 1));
}

void TestKyDocumentDisplay::highlight()
{
    ImageFile image = makeImage(4, 1, [](int x, int) { return quint16(x == 3 ? 65535 : 30000); });
    TestDocument doc({image});
    doc.SetDisplayRange(0, 0, 65535);
    doc.SetDirty(false);
    const QImage on = doc.qImage(0, QRect());
    doc.SetHighlight(false);
    QVERIFY(!doc.IsHighlight());
    QVERIFY(!doc.IsDisplayChanged());
    const QImage off = doc.qImage(0, QRect());
    QVERIFY(on.color(255) != off.color(255));
}

void TestKyDocumentDisplay::histogramBuckets()
{
    // Width 258: 256 buckets of 255 grey levels each (0..254, 255..509, ...).
    const auto render = [](quint16 inLevel) {
        TestDocument doc({uniformImage(20, 10, inLevel)});
        doc.RenderHistogram(0, 258, false);
        return doc.HistogramImage().copy();
    };
    const auto dark = [](QRgb c) { return qRed(c) == 20 && qGreen(c) == 20 && qBlue(c) == 20; };
    QImage picture = render(254);
    QCOMPARE(picture.size(), QSize(258, 200));
    QVERIFY(columnHas(picture, 1, dark));
    QVERIFY(!columnHas(picture, 2, dark));
    picture = render(255);
    QVERIFY(!columnHas(picture, 1, dark));
    QVERIFY(columnHas(picture, 2, dark));
    picture = render(65279);
    QVERIFY(columnHas(picture, 256, dark));
    // The frame.
    QCOMPARE(picture.pixel(0, 0), qRgb(0, 0, 0));
    QCOMPARE(picture.pixel(257, 199), qRgb(0, 0, 0));
    QCOMPARE(picture.pixel(128, 0), qRgb(0, 0, 0));
}

void TestKyDocumentDisplay::histogramAllZeroDrawsNoCurve()
{
    // Levels above 65279 fall outside the last bucket: every bucket is 0, and so is the scale.
    TestDocument high({uniformImage(20, 10, 65300)});
    high.RenderHistogram(0, 258, false);
    QVERIFY(noCurve(high.HistogramImage()));
    QCOMPARE(high.HistogramImage().pixel(0, 0), qRgb(0, 0, 0));

    // A record whose histogram was never filled.
    ImageFile blank;
    blank.Resize(10, 10);
    TestDocument zero({blank});
    zero.RenderHistogram(0, 100, true);
    // The range markers (levels 1000 and 65535: columns 2 and 99) are drawn, no curve between them.
    QCOMPARE(zero.HistogramImage().pixel(2, 100), qRgb(55, 106, 169));
    QVERIFY(whiteColumns(zero.HistogramImage(), 5, 96));
}

void TestKyDocumentDisplay::histogramSelection()
{
    ImageFile image = gelImage(60, 40, 3, 2);
    TestDocument doc({image, image, image});
    doc.RenderHistogram(0x83, 258, true);
    const QImage &picture = doc.HistogramImage();
    const auto blueish = [](QRgb c) { return qBlue(c) > qRed(c) + 40 && qBlue(c) > qGreen(c) + 40; };
    const auto greenish = [](QRgb c) { return qGreen(c) > qRed(c) + 20; };
    const auto reddish = [](QRgb c) { return qRed(c) > qGreen(c) + 20 && qRed(c) > qBlue(c) + 20; };
    const auto marker = [](QRgb c) {
        return (qRed(c) == 55 && qGreen(c) == 106 && qBlue(c) == 169)
               || (qRed(c) == 188 && qGreen(c) == 51 && qBlue(c) == 125);
    };
    QVERIFY(anywhere(picture, greenish));
    QVERIFY(!anywhere(picture, reddish));
    QVERIFY(!anywhere(picture, marker));
    doc.RenderHistogram(0x81, 258, true);
    QVERIFY(anywhere(doc.HistogramImage(), blueish));
    QVERIFY(!anywhere(doc.HistogramImage(), greenish));
}

void TestKyDocumentDisplay::histogramRangeMarkers()
{
    TestDocument doc({gelImage(60, 40, 3, 2)});
    doc.SetDisplayRange(0, 0, 65535);
    doc.RenderHistogram(0, 258, true);
    const QImage &picture = doc.HistogramImage();
    // lowX = 0 and highX = 256: lines at x = 1 and x = 257, 5 pixels wide.
    QCOMPARE(picture.pixel(3, 100), qRgb(55, 106, 169));
    QCOMPARE(picture.pixel(255, 100), qRgb(188, 51, 125));
    doc.SetDisplayRange(0, 32768, 65535);
    doc.RenderHistogram(0, 258, false);
    QVERIFY(!columnHas(doc.HistogramImage(), 3, [](QRgb c) { return c == qRgb(55, 106, 169); }));
    doc.RenderHistogram(0, 258, true);
    QCOMPARE(doc.HistogramImage().pixel(129, 100), qRgb(55, 106, 169));
}

void TestKyDocumentDisplay::histogramWidths_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QSize>("size");
    QTest::newRow("zero keeps the old picture") << 0 << QSize(258, 200);
    QTest::newRow("negative keeps the old picture") << -4 << QSize(258, 200);
    QTest::newRow("one column") << 1 << QSize(1, 200);
    QTest::newRow("two columns, no bins") << 2 << QSize(2, 200);
    QTest::newRow("three columns") << 3 << QSize(3, 200);
    QTest::newRow("more columns than buckets") << 40000 << QSize(40000, 200);
}

void TestKyDocumentDisplay::histogramWidths()
{
    QFETCH(int, width);
    TestDocument doc({gelImage(60, 40, 3, 9)});
    doc.RenderHistogram(0, width, true);
    QTEST(doc.HistogramImage().size(), "size");
    if (width == 40000) {
        // 3 grey levels per bucket give 21846 buckets; the columns after them stay white (up to
        // the high marker at column 39999).
        QVERIFY(whiteColumns(doc.HistogramImage(), 21850, 39990, 7));
    }
}

KY_TEST_MAIN_WITH(QGuiApplication, TestKyDocumentDisplay)
#include "tst_kydocumentdisplay.moc"
