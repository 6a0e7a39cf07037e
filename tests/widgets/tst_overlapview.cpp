#include "testmain.h"
#include "canvastest.h"

#include "widgets/kyimageview.h"
#include "widgets/overlapview.h"

#include <QApplication>
#include <QPainter>
#include <QSignalSpy>

#include <functional>

namespace {

// An overlay that writes what happens to it into a shared log, takes the events it is told to
// take, paints a square of its colour at a canvas rectangle and may run an action in its press
// handler.
class RecordingOverlay : public QObject, public OverlapView
{
public:
    RecordingOverlay(KyImageView *view, const QString &name, QStringList *log)
        : QObject(view), OverlapView(view), name(name), log(log)
    {
    }
    ~RecordingOverlay() override { log->append(QStringLiteral("~") + name); }

    void paint(QPainter *painter, double scale) override
    {
        log->append(name + QStringLiteral(" paint"));
        paintedScale = scale;
        if (square.isValid())
            painter->fillRect(square, colour);
    }
    bool onMousePress(const QPoint &imagePoint) override
    {
        return record(QStringLiteral("press"), imagePoint, takesPress, onPress);
    }
    bool onMouseMove(const QPoint &imagePoint) override
    {
        return record(QStringLiteral("move"), imagePoint, takesMove, nullptr);
    }
    bool onMouseRelease(const QPoint &imagePoint) override
    {
        return record(QStringLiteral("release"), imagePoint, takesRelease, nullptr);
    }

    KyImageView *canvas() const { return view; }

    QString name;
    QStringList *log;
    bool takesPress = false;
    bool takesMove = false;
    bool takesRelease = false;
    std::function<void()> onPress;
    QRect square;
    QColor colour;
    double paintedScale = 0.0;
    QPoint lastPoint;

private:
    bool record(const QString &what, const QPoint &imagePoint, bool takes,
                const std::function<void()> &action)
    {
        log->append(name + QLatin1Char(' ') + what);
        lastPoint = imagePoint;
        if (action)
            action();
        return takes;
    }
};

struct Fixture
{
    // Widget 101 x 101, image 100 x 100: the fitted scale is 1.0, so the magnification is the scale.
    explicit Fixture(double magnification = 1.0)
    {
        view = new KyImageView;
        view->resize(101, 101);
        view->show();
        if (!QTest::qWaitForWindowExposed(view))
            qWarning("window not exposed");
        QImage image(100, 100, QImage::Format_RGB32);
        image.fill(Qt::white);
        view->setImage(image);
        view->fitToWindow();
        view->setMagnification(magnification);
    }
    ~Fixture() { delete view; }

    RecordingOverlay *add(const QString &name)
    {
        return new RecordingOverlay(view, name, &log);
    }
    void mouse(QEvent::Type type, const QPoint &pos) { kycanvastest::mouse(view, type, pos); }
    QStringList takeLog()
    {
        const QStringList result = log;
        log.clear();
        return result;
    }

    KyImageView *view = nullptr;
    QStringList log;
};

} // namespace

class TestOverlapView : public QObject
{
    Q_OBJECT

private slots:
    void conversions_data();
    void conversions();
    void withoutView();
    void inputNewestFirst();
    void flagsPartInputAndPaintApart();
    void paintOrderAndCanvasPoints();
    void handlerChangesTheOverlays();
    void removedOnDestruction();
};

void TestOverlapView::conversions_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QRect>("argument");
    QTest::addColumn<QRect>("expected");

    // Lengths in the rectangle's x, points in its top-left corner.
    QTest::newRow("length to image at 4") << 4.0 << "lengthToImage" << QRect(10, 0, 1, 1) << QRect(3, 0, 1, 1);
    QTest::newRow("length to canvas at 0.5") << 0.5 << "lengthToCanvas" << QRect(3, 0, 1, 1) << QRect(2, 0, 1, 1);
    QTest::newRow("length to canvas at 4") << 4.0 << "lengthToCanvas" << QRect(3, 0, 1, 1) << QRect(12, 0, 1, 1);
    QTest::newRow("rect to canvas at 2") << 2.0 << "rectToCanvas" << QRect(QPoint(0, 0), QPoint(99, 49))
                                         << QRect(QPoint(0, 0), QPoint(198, 98));
    QTest::newRow("rect to canvas at 0.5") << 0.5 << "rectToCanvas" << QRect(QPoint(3, 5), QPoint(6, 8))
                                           << QRect(QPoint(2, 3), QPoint(3, 4));
    QTest::newRow("point to canvas at 2") << 2.0 << "mapToCanvas" << QRect(5, 7, 1, 1) << QRect(10, 14, 1, 1);
    QTest::newRow("point to canvas at 0.5") << 0.5 << "mapToCanvas" << QRect(5, 7, 1, 1) << QRect(3, 4, 1, 1);
}

void TestOverlapView::conversions()
{
    QFETCH(double, scale);
    QFETCH(QString, operation);
    QFETCH(QRect, argument);
    QFETCH(QRect, expected);

    Fixture fixture(scale);
    QCOMPARE(fixture.view->scale(), scale);
    RecordingOverlay *overlay = fixture.add(QStringLiteral("A"));
    QRect result;
    if (operation == QLatin1String("lengthToImage"))
        result = QRect(overlay->lengthToImage(argument.x()), 0, 1, 1);
    else if (operation == QLatin1String("lengthToCanvas"))
        result = QRect(overlay->lengthToCanvas(argument.x()), 0, 1, 1);
    else if (operation == QLatin1String("rectToCanvas"))
        result = overlay->rectToCanvas(argument);
    else if (operation == QLatin1String("mapToCanvas")) {
        result = QRect(overlay->mapToCanvas(argument.topLeft()), QSize(1, 1));
        QCOMPARE(overlay->mapToCanvas(argument.x(), argument.y()), result.topLeft());
    }
    QCOMPARE(result, expected);
    if (operation == QLatin1String("rectToCanvas"))
        QCOMPARE(result.size(), QSize(expected.width(), expected.height()));
    // Widget points go through the view with its scroll offset.
    const QPoint widgetPoint(30, 40);
    QCOMPARE(overlay->mapToImage(widgetPoint), fixture.view->mapToImage(widgetPoint));
    QCOMPARE(overlay->mapToImage(30, 40), fixture.view->mapToImage(widgetPoint));
}

void TestOverlapView::withoutView()
{
    QStringList log;
    {
        RecordingOverlay overlay(nullptr, QStringLiteral("loose"), &log);
        QCOMPARE(overlay.canvas(), nullptr);
        QVERIFY(overlay.isEnabled());
        QVERIFY(overlay.isVisible());
        QCOMPARE(overlay.mapToCanvas(QPoint(5, 7)), QPoint(5, 7));
        QCOMPARE(overlay.mapToCanvas(5, 7), QPoint(5, 7));
        QCOMPARE(overlay.mapToImage(QPoint(5, 7)), QPoint(5, 7));
        QCOMPARE(overlay.lengthToCanvas(9), 0);
        QCOMPARE(overlay.lengthToImage(9), 0);
        QCOMPARE(overlay.rectToCanvas(QRect(1, 2, 3, 4)), QRect(1, 2, 3, 4));
    }
    QCOMPARE(log, QStringList{QStringLiteral("~loose")});
}

void TestOverlapView::inputNewestFirst()
{
    Fixture fixture(2.0);
    RecordingOverlay *a = fixture.add(QStringLiteral("A"));
    RecordingOverlay *b = fixture.add(QStringLiteral("B"));
    fixture.add(QStringLiteral("C"));
    a->takesPress = b->takesPress = true;
    b->takesMove = b->takesRelease = true;
    QSignalSpy clicked(fixture.view, &KyImageView::clicked);
    QSignalSpy scrolled(fixture.view, &KyImageView::scrolled);
    const QPoint offset = kycanvastest::offset(fixture.view);

    // Both A and B take presses: only B, the later one, sees them; C is asked first.
    fixture.mouse(QEvent::MouseButtonPress, QPoint(20, 30));
    QCOMPARE(fixture.takeLog(), (QStringList{"C press", "B press"}));
    QCOMPARE(b->lastPoint, fixture.view->mapToImage(QPoint(20, 30)));
    // The press was taken, so the image does not pan although it overflows the widget.
    fixture.mouse(QEvent::MouseMove, QPoint(60, 70));
    QCOMPARE(fixture.takeLog(), (QStringList{"C move", "B move"}));
    QCOMPARE(kycanvastest::offset(fixture.view), offset);
    fixture.mouse(QEvent::MouseButtonRelease, QPoint(60, 70));
    QCOMPARE(fixture.takeLog(), (QStringList{"C release", "B release"}));
    QCOMPARE(clicked.count(), 0);
    QCOMPARE(scrolled.count(), 0);

    // Nobody takes the press: the view pans, and moves and the release reach no overlay.
    a->takesPress = b->takesPress = false;
    fixture.mouse(QEvent::MouseButtonPress, QPoint(50, 50));
    QCOMPARE(fixture.takeLog(), (QStringList{"C press", "B press", "A press"}));
    fixture.mouse(QEvent::MouseMove, QPoint(40, 45));
    fixture.mouse(QEvent::MouseButtonRelease, QPoint(40, 45));
    QCOMPARE(fixture.takeLog(), QStringList());
    QCOMPARE(kycanvastest::offset(fixture.view), offset + QPoint(10, 5));
    QCOMPARE(scrolled.count(), 1);
}

void TestOverlapView::flagsPartInputAndPaintApart()
{
    Fixture fixture;
    RecordingOverlay *hidden = fixture.add(QStringLiteral("hidden"));
    RecordingOverlay *disabled = fixture.add(QStringLiteral("disabled"));
    hidden->setVisible(false);
    disabled->setEnabled(false);
    QVERIFY(!hidden->isVisible() && hidden->isEnabled());
    QVERIFY(disabled->isVisible() && !disabled->isEnabled());

    fixture.view->grab();
    QCOMPARE(fixture.takeLog(), QStringList{"disabled paint"});
    fixture.mouse(QEvent::MouseButtonPress, QPoint(10, 10));
    fixture.mouse(QEvent::MouseButtonRelease, QPoint(10, 10));
    QCOMPARE(fixture.takeLog(), (QStringList{"hidden press", "hidden release"}));
}

void TestOverlapView::paintOrderAndCanvasPoints()
{
    // At scale 3 the offset is (100, 100): the canvas square (110, 120, 20, 20) lands at widget
    // (10, 20).
    Fixture fixture(3.0);
    fixture.view->hideArrows();
    const QPoint offset = kycanvastest::offset(fixture.view);
    QCOMPARE(offset, QPoint(100, 100));
    RecordingOverlay *a = fixture.add(QStringLiteral("A"));
    RecordingOverlay *b = fixture.add(QStringLiteral("B"));
    RecordingOverlay *c = fixture.add(QStringLiteral("C"));
    a->square = QRect(110, 120, 20, 20);
    a->colour = Qt::red;
    b->square = QRect(120, 130, 20, 20);
    b->colour = Qt::blue;
    c->setVisible(false);
    c->square = QRect(100, 100, 60, 60);
    c->colour = Qt::green;

    const QImage picture = fixture.view->grab().toImage();
    QCOMPARE(fixture.takeLog(), (QStringList{"A paint", "B paint"}));
    QCOMPARE(a->paintedScale, 3.0);
    QCOMPARE(picture.pixel(10, 20), qRgb(255, 0, 0));
    QCOMPARE(picture.pixel(9, 20), qRgb(255, 255, 255));
    QCOMPARE(picture.pixel(10, 19), qRgb(255, 255, 255));
    // B, registered later, lies on top of A where they overlap.
    QCOMPARE(picture.pixel(25, 35), qRgb(0, 0, 255));
    QCOMPARE(picture.pixel(39, 49), qRgb(0, 0, 255));
    QCOMPARE(picture.pixel(40, 50), qRgb(255, 255, 255));
}

void TestOverlapView::handlerChangesTheOverlays()
{
    Fixture fixture;
    fixture.add(QStringLiteral("A"));
    RecordingOverlay *b = fixture.add(QStringLiteral("B"));
    RecordingOverlay *c = fixture.add(QStringLiteral("C"));

    // C deletes B while the press is offered: B is not asked, A is, once, and C only once.
    c->onPress = [&b] { delete b; b = nullptr; };
    fixture.mouse(QEvent::MouseButtonPress, QPoint(10, 10));
    QCOMPARE(fixture.takeLog(), (QStringList{"C press", "~B", "A press"}));
    fixture.mouse(QEvent::MouseButtonRelease, QPoint(10, 10));
    fixture.takeLog();

    // C adds D while the press is offered: D comes with the next event, not this one.
    RecordingOverlay *d = nullptr;
    c->onPress = [&] {
        if (!d)
            d = fixture.add(QStringLiteral("D"));
    };
    fixture.mouse(QEvent::MouseButtonPress, QPoint(10, 10));
    QCOMPARE(fixture.takeLog(), (QStringList{"C press", "A press"}));
    QVERIFY(d);
    fixture.mouse(QEvent::MouseButtonRelease, QPoint(10, 10));
    QCOMPARE(fixture.takeLog(), (QStringList{"D release", "C release", "A release"}));
}

void TestOverlapView::removedOnDestruction()
{
    QStringList log;
    auto *view = new KyImageView;
    new RecordingOverlay(view, QStringLiteral("first"), &log);
    RecordingOverlay *second = new RecordingOverlay(view, QStringLiteral("second"), &log);
    new RecordingOverlay(view, QStringLiteral("third"), &log);

    // Deleted before the view: unregistered, so neither offered input nor deleted again.
    delete second;
    QCOMPARE(log, QStringList{"~second"});
    log.clear();
    view->resize(50, 50);
    kycanvastest::mouse(view, QEvent::MouseButtonPress, QPoint(5, 5));
    QCOMPARE(log, (QStringList{"third press", "first press"}));
    log.clear();

    // The view deletes the rest, oldest first.
    delete view;
    QCOMPARE(log, (QStringList{"~first", "~third"}));
}

KY_TEST_MAIN_WITH(QApplication, TestOverlapView)
#include "tst_overlapview.moc"
