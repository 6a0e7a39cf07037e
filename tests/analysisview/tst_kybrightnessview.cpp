#include "testmain.h"
#include "../document/testdocument.h"
#include "../widgets/canvastest.h"
#include "../widgets/widgettest.h"

#include "analysisview/kybrightnessview.h"
#include "document/kycurrentdocument.h"
#include "widgets/kyimageview.h"

#include <QApplication>
#include <QSignalSpy>

#include <memory>

using kycanvastest::mouse;

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 300;

struct Range
{
    quint16 low;
    quint16 high;
};

Range displayRange(const KyDocument &inDoc, int inChannel)
{
    Range range{0, 0};
    inDoc.DisplayRange(inChannel, range.low, range.high);
    return range;
}

} // namespace

class TestKyBrightnessView : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void shiftedRange_data();
    void shiftedRange();
    void stretchedRange_data();
    void stretchedRange();
    void dragByCanvasPixels_data();
    void dragByCanvasPixels();
    void axisHoldsAndMovingBackRestores();
    void stepsFromSettings();
    void pressesLeftToTheView_data();
    void pressesLeftToTheView();
    void refreshesTheImage();
    void hiddenButEnabled();

private:
    QPoint widget(const QPoint &inImagePoint) const { return view->mapToWidget(inImagePoint); }

    std::unique_ptr<KyImageView> view;
    KyBrightnessView *overlay = nullptr;
    std::unique_ptr<TestDocument> doc;
};

void TestKyBrightnessView::init()
{
    doc = std::make_unique<TestDocument>(
        QVector<ImageFile>{kytest::uniformImage(kWidth, kHeight, 3000), kytest::uniformImage(kWidth, kHeight, 3000)});
    QVERIFY(doc->SetDisplayRange(0, 1000, 5000));
    KyCurrentDocument::setDocument(doc.get());
    view = std::make_unique<KyImageView>();
    view->resize(kWidth + 1, kHeight + 1);
    view->setImage(doc->qImage(0, QRect()));
    view->hideArrows();
    overlay = new KyBrightnessView(view.get());
    overlay->SetChannel(0);
}

void TestKyBrightnessView::cleanup()
{
    KyCurrentDocument::setDocument(nullptr);
    view.reset();
    overlay = nullptr;
    doc.reset();
}

// Horizontal drags: both ends move by the pixels times the step, each bounded on its own, and the
// range never collapses onto one bound.
void TestKyBrightnessView::shiftedRange_data()
{
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::addColumn<qint64>("delta");
    QTest::addColumn<int>("newLow");
    QTest::addColumn<int>("newHigh");
    QTest::newRow("10 pixels right") << 1000 << 5000 << qint64(300) << 1300 << 5300;
    QTest::newRow("1 pixel left") << 1000 << 5000 << qint64(-30) << 970 << 4970;
    QTest::newRow("no move") << 1000 << 5000 << qint64(0) << 1000 << 5000;
    QTest::newRow("high stops at the top, low goes on") << 1000 << 65000 << qint64(1000) << 2000 << 65535;
    QTest::newRow("low stops at 0, high goes on") << 500 << 5000 << qint64(-1000) << 0 << 4000;
    QTest::newRow("both onto the top") << 1000 << 5000 << qint64(70000) << 65534 << 65535;
    QTest::newRow("both onto 0") << 1000 << 5000 << qint64(-70000) << 0 << 1;
    QTest::newRow("far right") << 1000 << 5000 << (qint64(1) << 40) << 65534 << 65535;
    QTest::newRow("far left") << 1000 << 5000 << -(qint64(1) << 40) << 0 << 1;
    QTest::newRow("an empty range read at the press") << 700 << 700 << qint64(0) << 700 << 701;
    QTest::newRow("an empty range at the top") << 65535 << 65535 << qint64(30) << 65534 << 65535;
}

void TestKyBrightnessView::shiftedRange()
{
    QFETCH(int, low);
    QFETCH(int, high);
    QFETCH(qint64, delta);
    QFETCH(int, newLow);
    QFETCH(int, newHigh);
    quint16 outLow = 1;
    quint16 outHigh = 1;
    KyBrightnessView::shiftedRange(quint16(low), quint16(high), delta, outLow, outHigh);
    QCOMPARE(int(outLow), newLow);
    QCOMPARE(int(outHigh), newHigh);
}

// Vertical drags: the high end moves down by d x 1.5 + 0.5 truncated toward zero, and stays above low.
void TestKyBrightnessView::stretchedRange_data()
{
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::addColumn<qint64>("delta");
    QTest::addColumn<int>("newLow");
    QTest::addColumn<int>("newHigh");
    QTest::newRow("1 pixel up: 45.5 truncated") << 1000 << 5000 << qint64(30) << 1000 << 4955;
    QTest::newRow("1 pixel down: -44.5 truncated toward zero") << 1000 << 5000 << qint64(-30) << 1000 << 5044;
    QTest::newRow("2 pixels up") << 1000 << 5000 << qint64(60) << 1000 << 4910;
    QTest::newRow("no move: 0.5 truncated") << 1000 << 5000 << qint64(0) << 1000 << 5000;
    QTest::newRow("down past the top") << 1000 << 65500 << qint64(-60) << 1000 << 65535;
    QTest::newRow("up onto low") << 1000 << 1100 << qint64(300) << 1000 << 1001;
    QTest::newRow("far up") << 1000 << 5000 << (qint64(1) << 40) << 1000 << 1001;
    QTest::newRow("far down") << 1000 << 5000 << -(qint64(1) << 40) << 1000 << 65535;
    QTest::newRow("low one below the top") << 65534 << 65535 << qint64(30) << 65534 << 65535;
    // No 16-bit value lies above 65535: low gives way rather than high wrapping round to 0.
    QTest::newRow("low at the top, up") << 65535 << 65535 << qint64(30) << 65534 << 65535;
    QTest::newRow("low at the top, down") << 65535 << 65535 << qint64(-30) << 65534 << 65535;
    QTest::newRow("empty range read at the press") << 800 << 800 << qint64(0) << 800 << 801;
}

void TestKyBrightnessView::stretchedRange()
{
    QFETCH(int, low);
    QFETCH(int, high);
    QFETCH(qint64, delta);
    QFETCH(int, newLow);
    QFETCH(int, newHigh);
    quint16 outLow = 1;
    quint16 outHigh = 1;
    KyBrightnessView::stretchedRange(quint16(low), quint16(high), delta, outLow, outHigh);
    QCOMPARE(int(outLow), newLow);
    QCOMPARE(int(outHigh), newHigh);
}

// Real drags through the canvas: distances count in canvas pixels, so the zoom changes nothing; a
// first move as far across as down is vertical.
void TestKyBrightnessView::dragByCanvasPixels_data()
{
    QTest::addColumn<double>("magnification");
    QTest::addColumn<QPoint>("move");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::newRow("10 right") << 1.0 << QPoint(10, 0) << 1300 << 5300;
    QTest::newRow("10 left") << 1.0 << QPoint(-10, 2) << 700 << 4700;
    QTest::newRow("10 right, magnified twice") << 2.0 << QPoint(10, 0) << 1300 << 5300;
    QTest::newRow("1 up") << 1.0 << QPoint(0, -1) << 1000 << 4955;
    QTest::newRow("1 down") << 1.0 << QPoint(0, 1) << 1000 << 5044;
    QTest::newRow("tie: 3 across, 3 up is vertical") << 1.0 << QPoint(3, -3) << 1000 << 4865;
    QTest::newRow("2 up, magnified twice") << 2.0 << QPoint(0, -2) << 1000 << 4910;
}

void TestKyBrightnessView::dragByCanvasPixels()
{
    QFETCH(double, magnification);
    QFETCH(QPoint, move);
    QFETCH(int, low);
    QFETCH(int, high);
    view->setMagnification(magnification);
    const Range other = displayRange(*doc, 1);
    QSignalSpy changed(overlay, &KyBrightnessView::rangeChanged);
    const QPoint start(60, 80);
    mouse(view.get(), QEvent::MouseButtonPress, start);
    mouse(view.get(), QEvent::MouseMove, start + move);
    QCOMPARE(int(displayRange(*doc, 0).low), low);
    QCOMPARE(int(displayRange(*doc, 0).high), high);
    QCOMPARE(changed.count(), 0);
    mouse(view.get(), QEvent::MouseButtonRelease, start + move);
    QCOMPARE(changed.count(), 1);
    // The other channel is left alone.
    QCOMPARE(displayRange(*doc, 1).low, other.low);
    QCOMPARE(displayRange(*doc, 1).high, other.high);
}

void TestKyBrightnessView::axisHoldsAndMovingBackRestores()
{
    const QPoint start(60, 80);
    mouse(view.get(), QEvent::MouseButtonPress, start);
    mouse(view.get(), QEvent::MouseMove, start + QPoint(10, 1));
    QCOMPARE(int(displayRange(*doc, 0).low), 1300);
    // Now mostly down, but the drag stays a shift.
    mouse(view.get(), QEvent::MouseMove, start + QPoint(5, 40));
    QCOMPARE(int(displayRange(*doc, 0).low), 1150);
    QCOMPARE(int(displayRange(*doc, 0).high), 5150);
    // Pushed past the top and back: the range read at the press comes back whole.
    mouse(view.get(), QEvent::MouseMove, start + QPoint(3000, 0));
    QCOMPARE(int(displayRange(*doc, 0).low), 65534);
    QCOMPARE(int(displayRange(*doc, 0).high), 65535);
    mouse(view.get(), QEvent::MouseMove, start);
    QCOMPARE(int(displayRange(*doc, 0).low), 1000);
    QCOMPARE(int(displayRange(*doc, 0).high), 5000);
    mouse(view.get(), QEvent::MouseButtonRelease, start);

    // The next press decides the axis anew.
    mouse(view.get(), QEvent::MouseButtonPress, start);
    mouse(view.get(), QEvent::MouseMove, start + QPoint(0, -2));
    mouse(view.get(), QEvent::MouseMove, start + QPoint(50, -2));
    QCOMPARE(int(displayRange(*doc, 0).low), 1000);
    QCOMPARE(int(displayRange(*doc, 0).high), 4910);
    mouse(view.get(), QEvent::MouseButtonRelease, start);
}

void TestKyBrightnessView::stepsFromSettings()
{
    kytest::ScopedAnalysisSettings steps({{QStringLiteral("Contrast_BrightnessStep"), 7},
                                          {QStringLiteral("Contrast_ContrastStep"), 2}});
    auto *stepped = new KyBrightnessView(view.get());
    stepped->SetChannel(0);
    QVERIFY(stepped->onMousePress(QPoint(50, 50)));
    QVERIFY(stepped->onMouseMove(QPoint(60, 50)));
    QCOMPARE(int(displayRange(*doc, 0).low), 1070);
    QVERIFY(stepped->onMouseMove(QPoint(50, 40)));
    // Still a shift: 0 pixels across.
    QCOMPARE(int(displayRange(*doc, 0).low), 1000);
    QVERIFY(stepped->onMouseRelease(QPoint(50, 40)));
    QVERIFY(stepped->onMousePress(QPoint(50, 50)));
    QVERIFY(stepped->onMouseMove(QPoint(50, 40)));
    QCOMPARE(int(displayRange(*doc, 0).high), 5000 - 30);
    QVERIFY(stepped->onMouseRelease(QPoint(50, 40)));
    delete stepped; // unregisters; the view must not delete it again
}

// Without a channel 0..2 that has an image in the document the press is the view's: it pans or reports a click, and the
// moves and the release of that gesture are not the overlay's either.
void TestKyBrightnessView::pressesLeftToTheView_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<bool>("withDocument");
    QTest::newRow("channel -1, as constructed") << -1 << true;
    QTest::newRow("channel 3") << 3 << true;
    QTest::newRow("no document") << 0 << false;
    QTest::newRow("a channel without an image") << 2 << true;
}

void TestKyBrightnessView::pressesLeftToTheView()
{
    QFETCH(int, channel);
    QFETCH(bool, withDocument);
    overlay->SetChannel(channel);
    if (!withDocument)
        KyCurrentDocument::setDocument(nullptr);
    QSignalSpy changed(overlay, &KyBrightnessView::rangeChanged);
    QSignalSpy clicked(view.get(), &KyImageView::clicked);
    const QPoint start(60, 80);
    mouse(view.get(), QEvent::MouseButtonPress, start);
    mouse(view.get(), QEvent::MouseMove, start + QPoint(10, 0));
    mouse(view.get(), QEvent::MouseMove, start);
    mouse(view.get(), QEvent::MouseButtonRelease, start);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(int(displayRange(*doc, 0).low), 1000);
    QCOMPARE(int(displayRange(*doc, 0).high), 5000);
    QVERIFY(!overlay->onMouseMove(start));
    QVERIFY(!overlay->onMouseRelease(start));
}

// Each move shows the document's new display image of the channel.
void TestKyBrightnessView::refreshesTheImage()
{
    const QPoint inside = widget(QPoint(100, 150));
    const QRgb before = kywidgettest::grabShown(view.get()).pixel(inside);
    mouse(view.get(), QEvent::MouseButtonPress, inside);
    mouse(view.get(), QEvent::MouseMove, inside + QPoint(20, 0));
    const QRgb after = kywidgettest::grabShown(view.get()).pixel(inside);
    const QRgb expected = doc->qImage(0, QRect()).pixel(100, 150);
    QVERIFY(before != after);
    QCOMPARE(after & 0xffffff, expected & 0xffffff);
    mouse(view.get(), QEvent::MouseButtonRelease, inside + QPoint(20, 0));
}

void TestKyBrightnessView::hiddenButEnabled()
{
    QVERIFY(!overlay->isVisible());
    QVERIFY(overlay->isEnabled());
    QCOMPARE(overlay->parent(), view.get());
    QCOMPARE(overlay->Channel(), 0);
}

KY_TEST_MAIN_WITH(QApplication, TestKyBrightnessView)
#include "tst_kybrightnessview.moc"
