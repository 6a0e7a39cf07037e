#include "testmain.h"
#include "canvastest.h"

#include "widgets/kybutton.h"
#include "widgets/kyimageview.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QSignalSpy>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The canvas as a child of a shown window, at a chosen size.
struct Canvas
{
    explicit Canvas(const QSize &size)
    {
        window.resize(std::max(size.width(), 50) + 20, std::max(size.height(), 50) + 20);
        view = new KyImageView(&window);
        view->setGeometry(QRect(QPoint(10, 10), size));
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qWarning("window not exposed");
    }

    // With a red image of the size, fitted, then magnified.
    Canvas(const QSize &size, const QSize &imageSize, double magnification)
        : Canvas(size)
    {
        QImage image(imageSize, QImage::Format_RGB32);
        image.fill(Qt::red);
        view->setImage(image);
        view->fitToWindow();
        view->setMagnification(magnification);
    }

    QPoint offset() const { return kycanvastest::offset(view); }
    QSize scaledSize() const
    {
        const QPoint corner = view->mapFromImage(view->imageWidth(), view->imageHeight());
        return QSize(corner.x(), corner.y());
    }
    // up, down, left, right: the order the canvas makes them in.
    QList<KyButton *> arrows() const
    {
        return view->findChildren<KyButton *>(Qt::FindDirectChildrenOnly);
    }
    void scrollTo(const QPoint &pos)
    {
        QVERIFY(QMetaObject::invokeMethod(view, "scrollTo", Q_ARG(QPoint, pos)));
    }
    void mouse(QEvent::Type type, const QPoint &pos) { kycanvastest::mouse(view, type, pos); }

    QWidget window;
    KyImageView *view = nullptr;
};

// An image whose every pixel differs from its neighbours, so that a shifted or rescaled drawing
// shows.
QImage patternImage(int w, int h, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        QRgb *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            row[x] = qRgb((x * 7) & 255, (y * 13) & 255, ((x + y) * 29) & 255);
    }
    return image.convertToFormat(format);
}

QImage filled(int w, int h, QColor colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// What the canvas must show: the whole image drawn into the rectangle spanned by (0, 0) and the
// scaled size, translated by -offset, straight from the image with no cached copy in between.
QImage expectedPicture(const QImage &image, const QSize &widget, const QPoint &offset,
                       const QSize &scaled, bool smooth)
{
    QImage picture(widget, QImage::Format_RGB32);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    painter.translate(-offset);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    painter.drawImage(QRect(QPoint(0, 0), QPoint(scaled.width(), scaled.height())), image);
    return picture;
}

// The largest difference of a colour component between two pictures inside an area.
int largestDifference(const QImage &a, const QImage &b, const QRect &area)
{
    const QImage a32 = a.convertToFormat(QImage::Format_RGB32);
    const QImage b32 = b.convertToFormat(QImage::Format_RGB32);
    int largest = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const QRgb *rowA = reinterpret_cast<const QRgb *>(a32.constScanLine(y));
        const QRgb *rowB = reinterpret_cast<const QRgb *>(b32.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            largest = std::max({largest, std::abs(qRed(rowA[x]) - qRed(rowB[x])),
                                std::abs(qGreen(rowA[x]) - qGreen(rowB[x])),
                                std::abs(qBlue(rowA[x]) - qBlue(rowB[x]))});
        }
    }
    return largest;
}

} // namespace

class TestKyImageView : public QObject
{
    Q_OBJECT

private slots:
    void geometry_data();
    void geometry();
    void mappings_data();
    void mappings();
    void refusedMagnifications_data();
    void refusedMagnifications();
    void withoutImage();
    void imageAndZoomKeepEachOther();
    void scrollBounds_data();
    void scrollBounds();
    void farCornerReachesLastPixel_data();
    void farCornerReachesLastPixel();
    void click();
    void dragPans();
    void dragOnFittingImage();
    void wheel_data();
    void wheel();
    void arrows();
    void paintsCentredImageOnly();
    void paintsLikeADirectDraw_data();
    void paintsLikeADirectDraw();
    void copiesWholeScaledImage();
    void copyLeavesClipboardAlone();
    void copyKeyAndMenu();
};

void TestKyImageView::geometry_data()
{
    QTest::addColumn<QSize>("widget");
    QTest::addColumn<QSize>("imageSize");
    QTest::addColumn<double>("magnification");
    QTest::addColumn<double>("base");
    QTest::addColumn<QSize>("scaled");
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<bool>("acrossArrows");
    QTest::addColumn<bool>("downArrows");

    // Fitted: one pixel narrower and lower than the widget, no arrows.
    QTest::newRow("fitted") << QSize(801, 601) << QSize(1600, 1200) << 1.0 << 0.5 << QSize(800, 600)
                            << QPoint(0, 0) << false << false;
    // Magnified around the image centre (800, 600): the offset puts it under the widget centre.
    QTest::newRow("magnified 2") << QSize(801, 601) << QSize(1600, 1200) << 2.0 << 0.5
                                 << QSize(1600, 1200) << QPoint(400, 300) << true << true;
    QTest::newRow("magnified 3") << QSize(801, 601) << QSize(1600, 1200) << 3.0 << 0.5
                                 << QSize(2400, 1800) << QPoint(800, 600) << true << true;
    // The narrow side fits: the image sits in the middle (negative offset).
    QTest::newRow("centred across") << QSize(201, 101) << QSize(100, 100) << 1.0 << 1.0
                                    << QSize(100, 100) << QPoint(-50, 0) << false << false;
    QTest::newRow("centred down") << QSize(201, 201) << QSize(400, 100) << 1.0 << 0.5
                                  << QSize(200, 50) << QPoint(0, -75) << false << false;
    // Wider than high when magnified: only the left and right arrows.
    QTest::newRow("overflows across") << QSize(201, 201) << QSize(400, 100) << 2.0 << 0.5
                                      << QSize(400, 100) << QPoint(100, -50) << true << false;
    // A side of one pixel or none counts as no room: the plain image scale, never 0.
    QTest::newRow("one pixel wide") << QSize(1, 300) << QSize(100, 100) << 1.0 << 1.0
                                    << QSize(100, 100) << QPoint(0, -150) << true << false;
    QTest::newRow("one pixel high") << QSize(300, 1) << QSize(100, 100) << 1.0 << 1.0
                                    << QSize(100, 100) << QPoint(-150, 0) << false << true;
    QTest::newRow("no room") << QSize(0, 0) << QSize(100, 100) << 1.0 << 1.0 << QSize(100, 100)
                             << QPoint(0, 0) << true << true;
}

void TestKyImageView::geometry()
{
    QFETCH(QSize, widget);
    QFETCH(QSize, imageSize);
    QFETCH(double, magnification);
    QFETCH(double, base);
    QFETCH(QSize, scaled);
    QFETCH(QPoint, offset);
    QFETCH(bool, acrossArrows);
    QFETCH(bool, downArrows);

    Canvas canvas(widget);
    canvas.view->setImage(filled(imageSize.width(), imageSize.height(), Qt::red));
    QCOMPARE(canvas.view->fitToWindow(), base);
    canvas.view->setMagnification(magnification);

    QCOMPARE(canvas.view->baseMagnification(), base);
    QCOMPARE(canvas.view->scale(), base * magnification);
    QCOMPARE(canvas.scaledSize(), scaled);
    QCOMPARE(canvas.offset(), offset);
    const QList<KyButton *> arrows = canvas.arrows();
    QCOMPARE(arrows.size(), 4);
    QCOMPARE(arrows[0]->isVisible(), downArrows);
    QCOMPARE(arrows[1]->isVisible(), downArrows);
    QCOMPARE(arrows[2]->isVisible(), acrossArrows);
    QCOMPARE(arrows[3]->isVisible(), acrossArrows);
}

void TestKyImageView::mappings_data()
{
    QTest::addColumn<double>("magnification");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QPoint>("argument");
    QTest::addColumn<QPoint>("expected");

    // Widget 801 x 601, image 1600 x 1200. At magnification 3 the scale is 1.5 and the offset
    // (800, 600); at 1 the scale is 0.5 and the offset (0, 0).
    QTest::newRow("to image") << 3.0 << "mapToImage" << QPoint(10, 20) << QPoint(540, 413);
    QTest::newRow("to image, corner") << 3.0 << "mapToImage" << QPoint(0, 0) << QPoint(533, 400);
    QTest::newRow("to image, fitted") << 1.0 << "mapToImage" << QPoint(401, 3) << QPoint(802, 6);
    QTest::newRow("from image") << 3.0 << "mapFromImage" << QPoint(7, 3) << QPoint(11, 5);
    QTest::newRow("from image, negative") << 3.0 << "mapFromImage" << QPoint(-3, -1) << QPoint(-4, -1);
    QTest::newRow("to widget") << 3.0 << "mapToWidget" << QPoint(7, 3) << QPoint(-789, -595);
    QTest::newRow("to widget, centre") << 3.0 << "mapToWidget" << QPoint(800, 600) << QPoint(400, 300);
    QTest::newRow("to widget, fitted") << 1.0 << "mapToWidget" << QPoint(801, 5) << QPoint(401, 3);
    // Lengths: x is the argument, the expected result is x.
    QTest::newRow("length to canvas") << 3.0 << "lengthToCanvas" << QPoint(7, 0) << QPoint(11, 0);
    QTest::newRow("length to image") << 3.0 << "lengthToImage" << QPoint(7, 0) << QPoint(5, 0);
    QTest::newRow("length to image, fitted") << 1.0 << "lengthToImage" << QPoint(7, 0) << QPoint(14, 0);
    QTest::newRow("size to image") << 3.0 << "sizeToImage" << QPoint(23, 3) << QPoint(15, 2);
}

void TestKyImageView::mappings()
{
    QFETCH(double, magnification);
    QFETCH(QString, operation);
    QFETCH(QPoint, argument);
    QFETCH(QPoint, expected);

    Canvas canvas(QSize(801, 601), QSize(1600, 1200), magnification);

    QPoint result;
    if (operation == QLatin1String("mapToImage"))
        result = canvas.view->mapToImage(argument);
    else if (operation == QLatin1String("mapFromImage"))
        result = canvas.view->mapFromImage(argument);
    else if (operation == QLatin1String("mapToWidget"))
        result = canvas.view->mapToWidget(argument);
    else if (operation == QLatin1String("lengthToCanvas"))
        result = QPoint(canvas.view->lengthToCanvas(argument.x()), 0);
    else if (operation == QLatin1String("lengthToImage"))
        result = QPoint(canvas.view->lengthToImage(argument.x()), 0);
    else if (operation == QLatin1String("sizeToImage")) {
        const QSize size = canvas.view->sizeToImage(QSize(argument.x(), argument.y()));
        result = QPoint(size.width(), size.height());
    }
    QCOMPARE(result, expected);
    // The two-int forms agree with the point forms.
    if (operation == QLatin1String("mapToImage"))
        QCOMPARE(canvas.view->mapToImage(argument.x(), argument.y()), expected);
    if (operation == QLatin1String("mapFromImage"))
        QCOMPARE(canvas.view->mapFromImage(argument.x(), argument.y()), expected);
}

void TestKyImageView::refusedMagnifications_data()
{
    QTest::addColumn<double>("factor");
    QTest::addColumn<bool>("asScale");
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("zero") << 0.0 << false;
    QTest::newRow("negative") << -2.0 << false;
    QTest::newRow("NaN") << std::nan("") << false;
    QTest::newRow("infinite") << inf << false;
    QTest::newRow("minus infinite") << -inf << false;
    QTest::newRow("scale zero") << 0.0 << true;
    QTest::newRow("scale negative") << -0.5 << true;
    QTest::newRow("scale NaN") << std::nan("") << true;
}

void TestKyImageView::refusedMagnifications()
{
    QFETCH(double, factor);
    QFETCH(bool, asScale);

    Canvas canvas(QSize(801, 601), QSize(1600, 1200), 2.0);
    const QPoint offset = canvas.offset();
    if (asScale)
        canvas.view->setScale(factor);
    else
        canvas.view->setMagnification(factor);
    QCOMPARE(canvas.view->scale(), 1.0);
    QCOMPARE(canvas.offset(), offset);
    QCOMPARE(canvas.view->mapToImage(400, 300), QPoint(800, 600));
    // A valid scale still goes through.
    canvas.view->setScale(0.25);
    QCOMPARE(canvas.view->scale(), 0.25);
}

void TestKyImageView::withoutImage()
{
    Canvas canvas(QSize(200, 100));
    QCOMPARE(canvas.view->fitToWindow(), 0.0);
    canvas.view->setMagnification(3.0);
    QCOMPARE(canvas.view->scale(), 1.0);
    QCOMPARE(canvas.scaledSize(), QSize(0, 0));
    const QPoint offset = canvas.offset();
    canvas.scrollTo(QPoint(5, 5));
    QCOMPARE(canvas.offset(), offset);
    QVERIFY(!canvas.view->isInsideImage(QPoint(0, 0)));
    for (KyButton *arrow : canvas.arrows())
        QVERIFY(!arrow->isVisible());
    // An empty canvas is white.
    const QImage picture = canvas.view->grab().toImage();
    QCOMPARE(picture.pixel(0, 0), qRgb(255, 255, 255));
    QCOMPARE(picture.pixel(199, 99), qRgb(255, 255, 255));
}

void TestKyImageView::imageAndZoomKeepEachOther()
{
    Canvas canvas(QSize(801, 601), QSize(1600, 1200), 2.0);
    canvas.scrollTo(QPoint(100, 50));
    QCOMPARE(canvas.offset(), QPoint(100, 50));

    // A new image keeps offset and magnification.
    canvas.view->setImage(filled(1600, 1200, Qt::blue));
    QCOMPARE(canvas.offset(), QPoint(100, 50));
    QCOMPARE(canvas.view->scale(), 1.0);
    QVERIFY(canvas.view->isInsideImage(QPoint(1599, 1199)));
    QVERIFY(!canvas.view->isInsideImage(QPoint(1600, 0)));
    QVERIFY(!canvas.view->isInsideImage(QPoint(0, -1)));

    // clear() hides every arrow and keeps the magnification for the next image.
    canvas.view->clear();
    for (KyButton *arrow : canvas.arrows())
        QVERIFY(!arrow->isVisible());
    QCOMPARE(canvas.offset(), QPoint(0, 0));
    canvas.view->setImage(filled(1600, 1200, Qt::blue));
    QCOMPARE(canvas.view->scale(), 1.0);

    // hideArrows() wins over an overflowing image until showArrows().
    canvas.view->hideArrows();
    for (KyButton *arrow : canvas.arrows())
        QVERIFY(!arrow->isVisible());
    canvas.view->showArrows();
    for (KyButton *arrow : canvas.arrows())
        QVERIFY(arrow->isVisible());
}

void TestKyImageView::scrollBounds_data()
{
    QTest::addColumn<QSize>("imageSize");
    QTest::addColumn<QPoint>("target");
    QTest::addColumn<QPoint>("expected");

    // Widget 801 x 601 at magnification 2. Scaled 1600 x 1200, drawn over 1601 x 1201 pixels: the
    // offset stays within [0, 1601 - 801] x [0, 1201 - 601].
    QTest::newRow("past the right, above the top") << QSize(1600, 1200) << QPoint(5000, -20) << QPoint(800, 0);
    QTest::newRow("left of the left") << QSize(1600, 1200) << QPoint(-5, 100) << QPoint(0, 100);
    QTest::newRow("below the bottom") << QSize(1600, 1200) << QPoint(300, 5000) << QPoint(300, 600);
    QTest::newRow("inside") << QSize(1600, 1200) << QPoint(797, 597) << QPoint(797, 597);
    // Scaled 1600 x 300: the height fits, so the y offset keeps its centring value.
    QTest::newRow("fitting axis") << QSize(1600, 300) << QPoint(10, 10) << QPoint(10, -150);
}

void TestKyImageView::scrollBounds()
{
    QFETCH(QSize, imageSize);
    QFETCH(QPoint, target);
    QFETCH(QPoint, expected);

    Canvas canvas(QSize(801, 601), imageSize, 2.0);
    QSignalSpy scrolled(canvas.view, &KyImageView::scrolled);
    canvas.scrollTo(target);
    QCOMPARE(canvas.offset(), expected);
    QCOMPARE(canvas.view->imageCenter(), canvas.view->mapToImage(400, 300));
    QCOMPARE(scrolled.count(), 0);
}

void TestKyImageView::farCornerReachesLastPixel_data()
{
    QTest::addColumn<double>("magnification");
    // Widget 801 x 601, image 1600 x 1200, fitted at 0.5.
    QTest::newRow("scale 1") << 2.0;
    QTest::newRow("scale 1.85") << 3.7;
    QTest::newRow("scale 4") << 8.0;
}

void TestKyImageView::farCornerReachesLastPixel()
{
    QFETCH(double, magnification);
    // Every pixel can be brought into view: scrolled as far as it goes, the widget's last column
    // and row show the image's last ones, which lie inside the widget for the overlays and clicks
    // too; the corner then maps where the fitted view's corner does. The same at the other end.
    Canvas canvas(QSize(801, 601));
    canvas.view->hideArrows();
    const QImage image = patternImage(1600, 1200);
    canvas.view->setImage(image);
    canvas.view->fitToWindow();
    QCOMPARE(canvas.view->mapToImage(800, 600), QPoint(1600, 1200));
    canvas.view->setMagnification(magnification);
    canvas.scrollTo(QPoint(100000, 100000));
    QImage shown = canvas.view->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.pixel(800, 600), image.pixel(1599, 1199));
    QVERIFY(canvas.view->rect().contains(canvas.view->mapToWidget(QPoint(1599, 1199))));
    QCOMPARE(canvas.view->mapToImage(800, 600), QPoint(1600, 1200));
    QCOMPARE(canvas.view->mapToImage(canvas.view->mapToWidget(QPoint(1599, 1199))), QPoint(1599, 1199));
    canvas.scrollTo(QPoint(-100000, -100000));
    QCOMPARE(canvas.view->mapToImage(0, 0), QPoint(0, 0));
    shown = canvas.view->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.pixel(0, 0), image.pixel(0, 0));
}

void TestKyImageView::click()
{
    Canvas canvas(QSize(801, 601), QSize(1600, 1200), 1.0);
    QSignalSpy clicked(canvas.view, &KyImageView::clicked);
    QSignalSpy scrolled(canvas.view, &KyImageView::scrolled);
    QTest::mouseClick(canvas.view, Qt::LeftButton, {}, QPoint(101, 51));
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.first().first().toPoint(), QPoint(202, 102));
    QCOMPARE(scrolled.count(), 0);
    // Any button clicks.
    QTest::mouseClick(canvas.view, Qt::RightButton, {}, QPoint(1, 1));
    QCOMPARE(clicked.count(), 2);
    QCOMPARE(clicked.last().first().toPoint(), QPoint(2, 2));
}

void TestKyImageView::dragPans()
{
    Canvas canvas(QSize(801, 601), QSize(1600, 1200), 2.0);
    QCOMPARE(canvas.offset(), QPoint(400, 300));
    QSignalSpy clicked(canvas.view, &KyImageView::clicked);
    QSignalSpy scrolled(canvas.view, &KyImageView::scrolled);

    canvas.mouse(QEvent::MouseButtonPress, QPoint(400, 300));
    canvas.mouse(QEvent::MouseMove, QPoint(350, 280));
    QCOMPARE(canvas.offset(), QPoint(450, 320));
    QTest::qWait(10);
    canvas.mouse(QEvent::MouseMove, QPoint(500, 250));
    QCOMPARE(canvas.offset(), QPoint(300, 350));
    // Dragging past the image's edge stops at the scroll bounds.
    canvas.mouse(QEvent::MouseMove, QPoint(2000, -2000));
    QCOMPARE(canvas.offset(), QPoint(0, 600));
    QCOMPARE(scrolled.count(), 0);
    // The release ends the drag with scrolled, even on the last sampled position.
    QTest::qWait(10);
    canvas.mouse(QEvent::MouseMove, QPoint(700, 200));
    canvas.mouse(QEvent::MouseButtonRelease, QPoint(700, 200));
    QCOMPARE(scrolled.count(), 1);
    QCOMPARE(scrolled.first().first().toPoint(), canvas.offset());
    QCOMPARE(clicked.count(), 0);
    // A move after the release pans no more.
    const QPoint offset = canvas.offset();
    canvas.mouse(QEvent::MouseMove, QPoint(100, 100));
    QCOMPARE(canvas.offset(), offset);
}

void TestKyImageView::dragOnFittingImage()
{
    Canvas canvas(QSize(801, 601), QSize(1600, 1200), 1.0);
    QSignalSpy clicked(canvas.view, &KyImageView::clicked);
    QSignalSpy scrolled(canvas.view, &KyImageView::scrolled);

    // Released away from the last sampled position: no pan, scrolled with the same offset.
    canvas.mouse(QEvent::MouseButtonPress, QPoint(100, 100));
    QTest::qWait(10);
    canvas.mouse(QEvent::MouseMove, QPoint(150, 120));
    canvas.mouse(QEvent::MouseButtonRelease, QPoint(200, 150));
    QCOMPARE(canvas.offset(), QPoint(0, 0));
    QCOMPARE(scrolled.count(), 1);
    QCOMPARE(scrolled.first().first().toPoint(), QPoint(0, 0));
    QCOMPARE(clicked.count(), 0);

    // Released on the last sampled position: a click there.
    canvas.mouse(QEvent::MouseButtonPress, QPoint(100, 100));
    QTest::qWait(10);
    canvas.mouse(QEvent::MouseMove, QPoint(150, 120));
    canvas.mouse(QEvent::MouseButtonRelease, QPoint(150, 120));
    QCOMPARE(scrolled.count(), 1);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.first().first().toPoint(), QPoint(300, 240));
}

void TestKyImageView::wheel_data()
{
    QTest::addColumn<QSize>("imageSize");
    QTest::addColumn<QPoint>("angleDelta");
    QTest::addColumn<QPoint>("expected");

    // Widget 801 x 601 at magnification 2; the offset starts at (400, 300) for the 1600 x 1200 image
    // and at (400, -150) for the 1600 x 300 one.
    QTest::newRow("notch up") << QSize(1600, 1200) << QPoint(0, 120) << QPoint(400, 285);
    QTest::newRow("notch down") << QSize(1600, 1200) << QPoint(0, -120) << QPoint(400, 315);
    QTest::newRow("small step") << QSize(1600, 1200) << QPoint(0, -7) << QPoint(400, 300);
    QTest::newRow("fine step") << QSize(1600, 1200) << QPoint(0, -15) << QPoint(400, 301);
    QTest::newRow("horizontal") << QSize(1600, 1200) << QPoint(120, 0) << QPoint(385, 300);
    QTest::newRow("mostly horizontal") << QSize(1600, 1200) << QPoint(-240, 16) << QPoint(430, 300);
    QTest::newRow("vertical, height fits") << QSize(1600, 300) << QPoint(0, -120) << QPoint(400, -150);
    QTest::newRow("horizontal, height fits") << QSize(1600, 300) << QPoint(-120, 0) << QPoint(415, -150);
}

void TestKyImageView::wheel()
{
    QFETCH(QSize, imageSize);
    QFETCH(QPoint, angleDelta);
    QFETCH(QPoint, expected);

    Canvas canvas(QSize(801, 601), QSize(imageSize.width(), imageSize.height()), 1.0);
    const double scaleBefore = 2.0 * canvas.view->baseMagnification();
    canvas.view->setMagnification(2.0);
    QSignalSpy scrolled(canvas.view, &KyImageView::scrolled);
    const QPointF pos(400, 300);
    QWheelEvent event(pos, canvas.view->mapToGlobal(pos), QPoint(), angleDelta, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(canvas.view, &event);
    QCOMPARE(canvas.offset(), expected);
    // The wheel never zooms and signals nothing.
    QCOMPARE(canvas.view->scale(), scaleBefore);
    QCOMPARE(scrolled.count(), 0);
}

void TestKyImageView::arrows()
{
    Canvas canvas(QSize(801, 601), QSize(1600, 1200), 2.0);
    const QList<KyButton *> arrows = canvas.arrows();
    KyButton *up = arrows[0];
    KyButton *down = arrows[1];
    KyButton *left = arrows[2];
    KyButton *right = arrows[3];

    // Placed 10 pixels in from the middle of each edge, sized like their skin.
    const QSize size = QImage(QStringLiteral(":/KYParts/Resources/btn_trp_on.png")).size();
    QCOMPARE(up->size(), size);
    QCOMPARE(up->pos(), QPoint((801 - size.width()) / 2, 10));
    QCOMPARE(down->pos(), QPoint((801 - size.width()) / 2, 601 - size.height() - 10));
    QCOMPARE(left->pos(), QPoint(10, (601 - size.height()) / 2));
    QCOMPARE(right->pos(), QPoint(801 - size.width() - 10, (601 - size.height()) / 2));
    QVERIFY(up->autoRepeat());

    QSignalSpy scrolled(canvas.view, &KyImageView::scrolled);
    right->click();
    QCOMPARE(canvas.offset(), QPoint(410, 300));
    down->click();
    QCOMPARE(canvas.offset(), QPoint(410, 310));
    left->click();
    up->click();
    up->click();
    QCOMPARE(canvas.offset(), QPoint(400, 290));
    QCOMPARE(scrolled.count(), 5);
    QCOMPARE(scrolled.last().first().toPoint(), QPoint(400, 290));

    // At the right edge the offset stays and the signal still comes.
    canvas.scrollTo(QPoint(800, 0));
    right->click();
    QCOMPARE(canvas.offset(), QPoint(800, 0));
    QCOMPARE(scrolled.count(), 6);
    QCOMPARE(scrolled.last().first().toPoint(), QPoint(800, 0));

    // A resize places them again, keeps the magnification over the new fit and says so.
    QSignalSpy resized(canvas.view, &KyImageView::resized);
    canvas.view->resize(601, 401);
    QCOMPARE(resized.count(), 1);
    QCOMPARE(right->pos(), QPoint(601 - size.width() - 10, (401 - size.height()) / 2));
    QCOMPARE(canvas.view->scale(), 2.0 * (400.0 / 1200.0));
}

void TestKyImageView::paintsCentredImageOnly()
{
    // 100 x 100 in 201 x 101: the image spans widget columns 50 to 150 (its rectangle is one
    // pixel larger than the scaled size) and the window's background shows beside it.
    Canvas canvas(QSize(201, 101));
    canvas.window.setAutoFillBackground(true);
    QPalette palette = canvas.window.palette();
    palette.setColor(QPalette::Window, Qt::green);
    canvas.window.setPalette(palette);
    canvas.view->setImage(filled(100, 100, Qt::red));
    canvas.view->fitToWindow();
    const QImage picture = canvas.window.grab().toImage().copy(canvas.view->geometry());
    const QRgb red = qRgb(255, 0, 0);
    const QRgb green = qRgb(0, 255, 0);
    for (int y : {0, 50, 100}) {
        QCOMPARE(picture.pixel(49, y), green);
        QCOMPARE(picture.pixel(50, y), red);
        QCOMPARE(picture.pixel(150, y), red);
        QCOMPARE(picture.pixel(151, y), green);
        QCOMPARE(picture.pixel(200, y), green);
    }
}

void TestKyImageView::paintsLikeADirectDraw_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<bool>("smooth");
    QTest::addColumn<double>("magnification");

    QImage indexed(300, 200, QImage::Format_Indexed8);
    QVector<QRgb> table;
    for (int i = 0; i < 256; ++i)
        table.append(i == 255 ? qRgb(255, 0, 0) : qRgb(i, i, i));
    indexed.setColorTable(table);
    for (int y = 0; y < indexed.height(); ++y)
        for (int x = 0; x < indexed.width(); ++x)
            indexed.scanLine(y)[x] = uchar((x * 3 + y * 5) & 255);

    QTest::newRow("8-bit, magnified") << indexed << false << 3.7;
    QTest::newRow("8-bit, smooth") << indexed << true << 2.3;
    QTest::newRow("8-bit, fitted") << indexed << false << 1.0;
    QTest::newRow("colour, magnified") << patternImage(300, 200, QImage::Format_RGB888) << false << 5.0;
    QTest::newRow("colour, smooth fitted") << patternImage(300, 200) << true << 1.0;
}

void TestKyImageView::paintsLikeADirectDraw()
{
    QFETCH(QImage, image);
    QFETCH(bool, smooth);
    QFETCH(double, magnification);

    // The canvas scales only the visible part, once, and reuses it while panning: what it shows
    // must equal a plain draw of the whole image at every step.
    Canvas canvas(QSize(231, 157));
    canvas.view->hideArrows();
    canvas.view->setSmoothTransform(smooth);
    canvas.view->setImage(image);
    canvas.view->fitToWindow();
    canvas.view->setMagnification(magnification);
    const auto check = [&](const char *step) {
        const QImage shown = canvas.view->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage expected = expectedPicture(image, canvas.view->size(), canvas.offset(),
                                                canvas.scaledSize(), smooth);
        // Only the image's rectangle: the widget paints nothing beside it.
        const QRect area = QRect(-canvas.offset(), canvas.scaledSize() + QSize(1, 1)) & canvas.view->rect();
        // Smooth scaling rounds its fixed-point sample positions from the device origin, which the
        // cached part moves: a level of difference there, none without smoothing.
        QVERIFY2(largestDifference(shown, expected, area) <= (smooth ? 1 : 0), step);
    };
    check("first paint");
    check("second paint");
    canvas.scrollTo(canvas.offset() + QPoint(10, 15));
    check("short pan");
    canvas.scrollTo(QPoint(0, 0));
    check("pan to the corner");
    canvas.scrollTo(QPoint(100000, 100000));
    check("pan to the far corner");
    canvas.view->setSmoothTransform(!smooth);
    smooth = !smooth;
    check("smoothing switched");
    canvas.view->setMagnification(magnification * 1.5);
    check("zoomed further");
}

void TestKyImageView::copiesWholeScaledImage()
{
    Canvas canvas(QSize(101, 61));
    const QImage image = patternImage(100, 60);
    canvas.view->setImage(image);
    canvas.view->fitToWindow();
    canvas.view->setMagnification(4.0);
    canvas.scrollTo(QPoint(150, 90));
    QApplication::clipboard()->clear();
    canvas.view->copyToClipboard();
    const QImage copy = QApplication::clipboard()->image();
    // The whole scaled image, not the visible part, whatever the scroll offset.
    QCOMPARE(copy.size(), QSize(400, 240));
    QCOMPARE(copy.pixel(0, 0), image.pixel(0, 0));
    QCOMPARE(copy.pixel(399, 239), image.pixel(99, 59));
    QCOMPARE(copy.pixel(203, 121), image.pixel(50, 30));
    QCOMPARE(canvas.offset(), QPoint(150, 90));
    const QImage expected = expectedPicture(image, QSize(400, 240), QPoint(0, 0), QSize(400, 240), false);
    QCOMPARE(copy.convertToFormat(QImage::Format_RGB32), expected);
}

void TestKyImageView::copyLeavesClipboardAlone()
{
    const QString kept = QStringLiteral("the user's text");
    Canvas canvas(QSize(101, 101));
    // No image: nothing to copy.
    QApplication::clipboard()->setText(kept);
    canvas.view->copyToClipboard();
    QCOMPARE(QApplication::clipboard()->text(), kept);
    QVERIFY(QApplication::clipboard()->image().isNull());

    // A copy of 2 000 000 x 2 000 000 pixels cannot be made: refused with a log line.
    canvas.view->setImage(filled(100, 100, Qt::red));
    canvas.view->fitToWindow();
    canvas.view->setMagnification(20000.0);
    QCOMPARE(canvas.scaledSize(), QSize(2000000, 2000000));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("copyToClipboard.*2000000 x 2000000.*left as it is"));
    canvas.view->copyToClipboard();
    QCOMPARE(QApplication::clipboard()->text(), kept);
    QVERIFY(QApplication::clipboard()->image().isNull());
}

void TestKyImageView::copyKeyAndMenu()
{
    Canvas canvas(QSize(101, 61));
    canvas.view->setImage(filled(100, 60, Qt::blue));
    canvas.view->fitToWindow();
    const QString kept = QStringLiteral("kept");

    // Disabled: neither the copy key nor a menu.
    QApplication::clipboard()->setText(kept);
    QTest::keyClick(canvas.view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), kept);
    QPointer<QMenu> shown;
    const auto chooseCopy = [&shown] {
        shown = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!shown)
            return;
        QTest::keyClick(shown, Qt::Key_Down);
        QTest::keyClick(shown, Qt::Key_Return);
    };
    QTimer::singleShot(0, chooseCopy);
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(5, 5), canvas.view->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(canvas.view, &menuEvent);
    QTest::qWait(20);
    QVERIFY(!shown);
    QCOMPARE(QApplication::clipboard()->text(), kept);

    canvas.view->setCopyEnabled(true);
    QVERIFY(canvas.view->isCopyEnabled());
    QTest::keyClick(canvas.view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->image().size(), QSize(100, 60));

    // The menu offers the one entry "Copy", which copies.
    QApplication::clipboard()->setText(kept);
    QStringList entries;
    QTimer::singleShot(0, [&] {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            for (QAction *action : menu->actions())
                entries << action->text() + (action->icon().isNull() ? QStringLiteral(" (no icon)") : QString());
        }
        chooseCopy();
    });
    QApplication::sendEvent(canvas.view, &menuEvent);
    QCOMPARE(entries, QStringList{QStringLiteral("Copy")});
    QCOMPARE(QApplication::clipboard()->image().size(), QSize(100, 60));
    QCOMPARE(QApplication::clipboard()->image().pixel(50, 30), qRgb(0, 0, 255));
    // The menu is gone afterwards.
    QVERIFY(canvas.view->findChildren<QMenu *>().isEmpty());
}

KY_TEST_MAIN_WITH(QApplication, TestKyImageView)
#include "tst_kyimageview.moc"
