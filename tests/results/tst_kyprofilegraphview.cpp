#include "../document/testdocument.h"
#include "resultfixtures.h"
#include "testmain.h"

#include "results/kyprofilegraphview.h"

#include <QApplication>
#include <QClipboard>
#include <QPainter>
#include <QSignalSpy>

#include <cmath>
#include <limits>

using namespace resultfixtures;

namespace {

// A pale blend of the band colour into white, as the band areas are filled.
bool isBandTint(QRgb inPixel)
{
    return qRed(inPixel) >= 225 && qRed(inPixel) <= 245 && qGreen(inPixel) >= 225 && qGreen(inPixel) <= 245
           && qBlue(inPixel) >= qRed(inPixel) + 8;
}

int tintedPixelsInColumn(const QImage &inImage, int inX, const QRect &inPlot)
{
    int count = 0;
    for (int y = inPlot.top(); y < inPlot.top() + inPlot.height(); ++y)
        count += isBandTint(inImage.pixel(inX, y)) ? 1 : 0;
    return count;
}

bool isWhite(QRgb inPixel)
{
    return (inPixel & 0xffffff) == 0xffffff;
}

bool isInk(QRgb inPixel)
{
    return qRed(inPixel) < 200 || qGreen(inPixel) < 200 || qBlue(inPixel) < 200;
}

// The columns from the first to the last one with ink between inTop and inBottom (inclusive)
// within [inLeft, inRight]; 0 when there is none.
int inkWidth(const QImage &inImage, int inLeft, int inRight, int inTop, int inBottom)
{
    int first = -1;
    int last = -1;
    for (int x = std::max(0, inLeft); x <= std::min(inRight, inImage.width() - 1); ++x) {
        for (int y = inTop; y <= inBottom; ++y) {
            if (isInk(inImage.pixel(x, y))) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
        }
    }
    return first < 0 ? 0 : last - first + 1;
}

// One channel of 120 x 300 pixels at grey level 1000, burnt out (65535) across rows 100 to 139,
// with three default lanes (rows 60 to 240, 181 profile points each).
std::unique_ptr<TestDocument> saturatedDocument()
{
    auto doc = std::make_unique<TestDocument>(QVector<ImageFile>{
        kytest::makeImage(120, 300, [](int, int y) { return quint16(y >= 100 && y < 140 ? 65535 : 1000); })});
    doc->SetDefaultLanes(3, 0.5);
    doc->ExtractLaneProfiles();
    return doc;
}

} // namespace

class TestKyProfileGraphView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void ticks_data();
    void ticks();
    void nothingButWhite_data();
    void nothingButWhite();
    void bandPixels();
    void copyImage();
    void zoomAndScrollKeepTwoGraphsInStep();
    void zoomBackFromZero();
    void dragAtZoomOneOnlySignals();
    void bandPastTheProfile();
    void saturatedLaneDrawnAndReadOnOneScale_data();
    void saturatedLaneDrawnAndReadOnOneScale();
    void narrowBandKeepsItsWholeNumber();
    void refreshSkipsUnchanged();

private:
    QTemporaryDir dir;
    std::unique_ptr<ProbeMultiDocument> fluor;
};

void TestKyProfileGraphView::initTestCase()
{
    QVERIFY(dir.isValid());
    fluor = fluorDocument(dir);
    QVERIFY(fluor);
    QVERIFY(fluor->HasBands());
}

void TestKyProfileGraphView::cleanupTestCase()
{
    KyCurrentDocument::setDocument(nullptr);
}

void TestKyProfileGraphView::init()
{
    KyCurrentDocument::setDocument(fluor.get());
}

void TestKyProfileGraphView::ticks_data()
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<double>("scale");
    QTest::addColumn<QList<double>>("expected");
    QTest::newRow("0..100, few steps of 5 widen to 2") << 0.0 << 100.0 << 1.0 << QList<double>{0, 20, 40, 60, 80, 100};
    QTest::newRow("0..72.6, doubled to 16") << 0.0 << 72.6 << 1.0 << QList<double>{0, 16, 32, 48, 64};
    QTest::newRow("0..1.1, all-zero profile") << 0.0 << 1.1 << 1.0 << QList<double>{0, 0.2, 0.4, 0.6, 0.8, 1.0};
    QTest::newRow("0..100 at zoom 2") << 0.0 << 100.0 << 2.0
                                      << QList<double>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
    QTest::newRow("0..66000 at zoom 1") << 0.0 << 66000.0 << 1.0 << QList<double>{0, 16000, 32000, 48000, 64000};
    QTest::newRow("-50..50, first tick below 0") << -50.0 << 50.0 << 1.0
                                                 << QList<double>{-48, -32, -16, 0, 16, 32, 48};
    QTest::newRow("empty 0..0") << 0.0 << 0.0 << 1.0 << QList<double>{};
    QTest::newRow("undefined end") << 0.0 << nan << 1.0 << QList<double>{};
    QTest::newRow("infinite end") << 0.0 << inf << 1.0 << QList<double>{};
    QTest::newRow("scale 0") << 0.0 << 100.0 << 0.0 << QList<double>{};
}

void TestKyProfileGraphView::ticks()
{
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(double, scale);
    QFETCH(QList<double>, expected);
    const QList<double> got = KyProfileGraphView::ticks(a, b, scale);
    QCOMPARE(got.size(), expected.size());
    for (int i = 0; i < got.size(); ++i)
        QVERIFY2(std::fabs(got.at(i) - expected.at(i)) < 1e-9, qPrintable(QString::number(got.at(i))));
}

void TestKyProfileGraphView::nothingButWhite_data()
{
    QTest::addColumn<bool>("withDocument");
    QTest::addColumn<int>("lane");
    QTest::newRow("no document") << false << 2;
    QTest::newRow("no lane") << true << -1;
}

void TestKyProfileGraphView::nothingButWhite()
{
    QFETCH(bool, withDocument);
    QFETCH(int, lane);
    KyCurrentDocument::setDocument(withDocument ? fluor.get() : nullptr);
    KyProfileGraphView graph;
    graph.resize(300, 200);
    graph.refresh(0, lane);
    const QImage image = graph.renderImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            QVERIFY(isWhite(image.pixel(x, y)));
}

void TestKyProfileGraphView::bandPixels()
{
    const int lane = 2;
    const KyBandList bands = fluor->Bands().at(0).at(lane);
    QVERIFY(bands.count() >= 1);
    KyProfileGraphView graph;
    graph.resize(640, 360);
    graph.refresh(0, lane);
    graph.show();
    QVERIFY(QTest::qWaitForWindowExposed(&graph));
    const QImage shot = graph.grab().toImage();
    const QRect plot = graph.plotRect();
    const int points = fluor->LaneProfiles(0)->profileLength(lane);
    auto xOf = [&](double inIndex) { return int(std::floor(plot.left() + inIndex * plot.width() / points + 0.5)); };

    // Inside a band, between its start and its peak, the area's tint; between two bands none.
    const KyBandInfo first = bands.band(0);
    const int inside = xOf((first.start() + first.peak()) / 2.0);
    QVERIFY2(tintedPixelsInColumn(shot, inside, plot) > 0, "band area tinted");
    int gapIndex = first.start() / 2;
    QVERIFY(gapIndex < first.start());
    QCOMPARE(tintedPixelsInColumn(shot, xOf(gapIndex), plot), 0);

    // The margins outside the plot stay white where nothing is written.
    QVERIFY(isWhite(shot.pixel(graph.width() - 5, graph.height() / 2)));
    QVERIFY(isWhite(shot.pixel(plot.left() + 5, plot.top() + plot.height() + 34)));
    // The frame of the plot is black.
    QCOMPARE(shot.pixel(plot.left(), plot.top() + plot.height() / 2) & 0xffffff, 0u);
    // The curve is drawn in the channel's curve colour somewhere in the plot.
    bool curve = false;
    for (int y = plot.top(); y < plot.top() + plot.height() && !curve; ++y)
        for (int x = plot.left() + 1; x < plot.left() + plot.width() && !curve; ++x)
            curve = (shot.pixel(x, y) & 0xffffff) == (KyProfileGraphView::curveColor(0).rgb() & 0xffffff);
    QVERIFY(curve);
    QCOMPARE(graph.renderImage().convertToFormat(QImage::Format_RGB32), shot.convertToFormat(QImage::Format_RGB32));
}

void TestKyProfileGraphView::copyImage()
{
    KyProfileGraphView graph;
    graph.resize(333, 222);
    graph.refresh(-1, 1);
    graph.copyToClipboard();
    const QImage copied = QApplication::clipboard()->image();
    QCOMPARE(copied.size(), QSize(333, 222));
    QCOMPARE(graph.renderImage().format(), QImage::Format_RGB888);
}

void TestKyProfileGraphView::zoomAndScrollKeepTwoGraphsInStep()
{
    KyProfileGraphView first;
    KyProfileGraphView second;
    for (KyProfileGraphView *graph : {&first, &second}) {
        graph->resize(500, 300);
        graph->refresh(0x87, 3);
        graph->setZoom(4.0);
    }
    first.show();
    QVERIFY(QTest::qWaitForWindowExposed(&first));
    // Zoomed in, the graph keeps showing its bottom (intensity 0).
    const int bottomOffset = 3 * first.plotRect().height();
    QCOMPARE(first.scrollOffset(), QPoint(0, bottomOffset));
    QVERIFY(std::fabs(first.dataToView().y()) < 1e-9);

    // Drag the first one down: the content follows the mouse and higher values come into view.
    QSignalSpy scrolled(&first, &KyProfileGraphView::scrolled);
    QTest::mousePress(&first, Qt::LeftButton, {}, QPoint(200, 120));
    QMouseEvent move(QEvent::MouseMove, QPointF(200, 200), first.mapToGlobal(QPointF(200, 200)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&first, &move);
    QTest::mouseRelease(&first, Qt::LeftButton, {}, QPoint(200, 200));
    QCOMPARE(scrolled.count(), 1);
    QCOMPARE(first.scrollOffset(), QPoint(0, bottomOffset - 80));
    QVERIFY(first.dataToView().y() > 0.0);

    second.ensureVisible(first.dataToView());
    QCOMPARE(second.scrollOffset(), first.scrollOffset());
    QCOMPARE(second.renderImage(), first.renderImage());

    // Zooming keeps the bottom-left data point, on both.
    const QPointF corner = first.dataToView();
    first.setZoom(2.0);
    second.setZoom(2.0);
    QCOMPARE(second.scrollOffset(), first.scrollOffset());
    QVERIFY(std::fabs(first.dataToView().y() - corner.y()) < corner.y() * 0.01 + 1.0);
    first.setZoom(1.0);
    QCOMPARE(first.scrollOffset(), QPoint(0, 0));
}

void TestKyProfileGraphView::zoomBackFromZero()
{
    KyProfileGraphView graph;
    graph.resize(500, 300);
    graph.refresh(0, 2);
    graph.setZoom(0.0);
    QCOMPARE(graph.zoom(), 0.0);
    QCOMPARE(graph.scrollOffset(), QPoint(0, 0));
    // Drawn at zoom 1 on 0..66000.
    const QPointF top = [&] {
        double x = 0.0, y = 0.0;
        graph.viewPointToData(graph.plotRect().topLeft(), x, y);
        return QPointF(x, y);
    }();
    QVERIFY(std::fabs(top.y() - 66000.0) < 66000.0 / graph.plotRect().height() + 1.0);
    graph.setZoom(3.0);
    QCOMPARE(graph.zoom(), 3.0);
    const QPointF corner = graph.dataToView();
    QVERIFY(std::isfinite(corner.x()) && std::isfinite(corner.y()));
    QVERIFY(graph.scrollOffset().y() >= 0);
}

void TestKyProfileGraphView::dragAtZoomOneOnlySignals()
{
    KyProfileGraphView graph;
    graph.resize(400, 300);
    graph.refresh(1, 1);
    const QImage before = graph.renderImage();
    QSignalSpy scrolled(&graph, &KyProfileGraphView::scrolled);
    QTest::mousePress(&graph, Qt::LeftButton, {}, QPoint(100, 200));
    QMouseEvent move(QEvent::MouseMove, QPointF(100, 50), graph.mapToGlobal(QPointF(100, 50)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&graph, &move);
    QTest::mouseRelease(&graph, Qt::LeftButton, {}, QPoint(100, 50));
    QCOMPARE(scrolled.count(), 1);
    QCOMPARE(graph.scrollOffset(), QPoint(0, 0));
    QCOMPARE(graph.renderImage(), before);
}

void TestKyProfileGraphView::bandPastTheProfile()
{
    std::unique_ptr<ProbeMultiDocument> doc = fluorDocument(dir);
    QVERIFY(doc);
    KyCurrentDocument::setDocument(doc.get());
    const int lane = 4;
    const int length = doc->LaneProfiles(0)->profileLength(lane);
    QVERIFY(length > 40);
    KyBandList &bands = doc->Bands()[0][lane];
    // One band ending one past the last profile value, one wholly past it, one starting before 0.
    bands.truncate(0);
    bands.append(KyBandInfo(length - 20, length - 5, length, false, 1.0, false));
    bands.append(KyBandInfo(length + 10, length + 15, length + 30, false, 1.0, false));
    bands.append(KyBandInfo(-10, 2, 8, false, 1.0, false));
    KyProfileGraphView graph;
    graph.resize(500, 300);
    graph.refresh(0, lane);
    const QImage image = graph.renderImage();
    const QRect plot = graph.plotRect();
    const QRgb band = KyProfileGraphView::bandColor(0).rgb() & 0xffffff;
    int marked = 0;
    for (int x = plot.left() + plot.width() * (length - 20) / length; x < plot.left() + plot.width(); ++x)
        for (int y = plot.top(); y < plot.top() + plot.height(); ++y)
            marked += (isBandTint(image.pixel(x, y)) || (image.pixel(x, y) & 0xffffff) == band) ? 1 : 0;
    QVERIFY(marked > 0);
    graph.setHideBackground(true);
    graph.refresh(-1, lane);
    QVERIFY(!graph.renderImage().isNull());
}

void TestKyProfileGraphView::saturatedLaneDrawnAndReadOnOneScale_data()
{
    QTest::addColumn<double>("zoom");
    QTest::newRow("zoom 1") << 1.0;
    QTest::newRow("zoom 3, scrolled to the top") << 3.0;
}

void TestKyProfileGraphView::saturatedLaneDrawnAndReadOnOneScale()
{
    QFETCH(double, zoom);
    // A burnt-out lane reaches 65535: the axis stops at 66000, and a view point read back as data
    // (the corner the other graph is kept in step with) must use the scale the curve is drawn with.
    std::unique_ptr<TestDocument> doc = saturatedDocument();
    KyCurrentDocument::setDocument(doc.get());
    QCOMPARE(doc->LaneProfiles(0)->profile(1).value(60), 65535.0);
    KyProfileGraphView graph;
    graph.resize(500, 300);
    graph.refresh(0, 1);
    graph.setZoom(zoom);
    if (zoom > 1.0)
        graph.ensureVisible(QPointF(0.0, 66000.0));
    const QImage image = graph.renderImage();
    const QRect plot = graph.plotRect();

    // The highest row the curve is drawn on: its flat top at 65535.
    const QRgb curve = KyProfileGraphView::curveColor(0).rgb() & 0xffffff;
    int top = -1;
    int topX = -1;
    for (int y = plot.top() + 1; y < plot.top() + plot.height() && top < 0; ++y) {
        for (int x = plot.left() + 1; x < plot.left() + plot.width(); ++x) {
            if ((image.pixel(x, y) & 0xffffff) == curve) {
                top = y;
                topX = x;
                break;
            }
        }
    }
    QVERIFY2(top >= 0, "the top of the curve is in view");
    double x = 0.0;
    double y = 0.0;
    graph.viewPointToData(QPoint(topX, top), x, y);
    const double pixel = 66000.0 / (plot.height() * zoom);
    QVERIFY2(std::fabs(y - 65535.0) <= 1.5 * pixel, qPrintable(QStringLiteral("read back %1").arg(y)));

    // Scrolled to the top, the view shows the top 1 / zoom of the axis: the corner a second graph
    // is put at is the one this one shows.
    QCOMPARE(graph.scrollOffset(), QPoint(0, 0));
    const double corner = 66000.0 - 66000.0 / zoom;
    QVERIFY2(std::fabs(graph.dataToView().y() - corner) <= pixel,
             qPrintable(QStringLiteral("corner at %1").arg(graph.dataToView().y())));
}

void TestKyProfileGraphView::narrowBandKeepsItsWholeNumber()
{
    // Ten bands, the last one only a few pixels wide at the right end of the lane: its number is
    // written whole over it, not cut to the band's width.
    std::unique_ptr<TestDocument> doc = saturatedDocument();
    KyCurrentDocument::setDocument(doc.get());
    const int length = doc->LaneProfiles(0)->profileLength(1);
    QVERIFY(length > 100);
    KyBandList &bands = doc->Bands()[0][1];
    for (int b = 0; b < 9; ++b)
        bands.append(KyBandInfo(8 * b, 8 * b + 3, 8 * b + 6, false, 1.0, false));
    bands.append(KyBandInfo(length - 6, length - 4, length - 2, false, 1.0, false));
    KyProfileGraphView graph;
    graph.resize(500, 300);
    graph.refresh(0, 1);
    const QImage image = graph.renderImage();
    const QRect plot = graph.plotRect();
    const double perPoint = double(plot.width()) / length;
    const int centre = plot.left() + int((length - 4) * perPoint);
    QVERIFY(4 * perPoint < 12.0); // narrower than "10"

    // The same text drawn unclipped, in the graph's font.
    QImage reference(60, 30, QImage::Format_RGB32);
    reference.fill(Qt::white);
    QPainter painter(&reference);
    painter.setFont(QFont(QStringLiteral("Arial"), 9));
    painter.setPen(KyProfileGraphView::bandColor(0));
    painter.drawText(QRect(0, 0, 60, 30), Qt::AlignCenter, QStringLiteral("10"));
    painter.end();
    const int whole = inkWidth(reference, 0, 59, 0, 29);
    QVERIFY(whole > 4 * perPoint);

    // Within a column of where the text falls between pixels.
    const int shown = inkWidth(image, centre - 25, centre + 25, plot.top() - 20, plot.top() - 3);
    QVERIFY2(std::abs(shown - whole) <= 1, qPrintable(QStringLiteral("%1 of %2 columns").arg(shown).arg(whole)));
}

void TestKyProfileGraphView::refreshSkipsUnchanged()
{
    KyProfileGraphView graph;
    graph.refresh(2, 1);
    graph.refresh(2, 1);
    QCOMPARE(graph.channelSelection(), 2);
    QCOMPARE(graph.lane(), 1);
    graph.refresh(-1, 1);
    QCOMPARE(graph.channelSelection(), -1);
}

KY_TEST_MAIN_WITH(QApplication, TestKyProfileGraphView)
#include "tst_kyprofilegraphview.moc"
