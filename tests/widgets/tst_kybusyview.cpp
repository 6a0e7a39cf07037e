#include "testmain.h"
#include "widgettest.h"

#include "core/kyviewmode.h"
#include "widgets/kyborderimage.h"
#include "widgets/kybusyview.h"

#include <QApplication>
#include <QLabel>
#include <QPropertyAnimation>

namespace {

QImage frameImage(int file)
{
    return QPixmap(QStringLiteral(":/KYParts/Resources/icon_busy_%1.png").arg(file)).toImage();
}

QImage labelImage(const KyBusyView &view)
{
    const auto *label = view.findChild<QLabel *>(QStringLiteral("label"));
    return label ? label->pixmap().toImage() : QImage();
}

QPixmap snapshotOf(const KyBusyView &view)
{
    const auto *behind = view.findChild<KyBorderImage *>(QStringLiteral("behindImage"));
    return behind ? behind->pixmap() : QPixmap();
}

// A plain coloured window that counts the presses reaching it.
class Backdrop : public QWidget
{
public:
    explicit Backdrop(const QColor &colour)
    {
        setColour(colour);
        setAutoFillBackground(true);
        resize(400, 300);
    }
    void setColour(const QColor &colour)
    {
        QPalette p = palette();
        p.setColor(QPalette::Window, colour);
        setPalette(p);
    }
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent *) override { ++presses; }
};

} // namespace

class TestKyBusyView : public QObject
{
    Q_OBJECT

private slots:
    void form()
    {
        KyBusyView view;
        QCOMPARE(view.objectName(), QStringLiteral("KyBusyView"));
        QCOMPARE(view.size(), QSize(800, 600));
        QCOMPARE(view.windowTitle(), QStringLiteral("KyBusyView"));
        QCOMPARE(view.pixmapIndex(), 0);
        // Until the first frame is set the form's own icon shows.
        QCOMPARE(labelImage(view), frameImage(0));
        auto *panel = view.findChild<KyBorderImage *>(QStringLiteral("backImage"));
        QVERIFY(panel);
        QCOMPARE(panel->minimumSize(), QSize(160, 160));
        QCOMPARE(panel->maximumSize(), QSize(160, 160));
        QCOMPARE(panel->property("mBorderLeft").toInt(), 10);
        QCOMPARE(panel->property("mBorderBottom").toInt(), 10);
        auto *veil = view.findChild<QWidget *>(QStringLiteral("widget"));
        QVERIFY(veil && veil->autoFillBackground());
        QCOMPARE(veil->palette().color(QPalette::Inactive, QPalette::Window), QColor(255, 255, 255, 30));
    }

    // Eight frames of half a second each, in order, then from the first again; a cycle never shows
    // its end value.
    void frames_data()
    {
        QTest::addColumn<int>("timeMs");
        QTest::addColumn<int>("index");
        QTest::newRow("start") << 0 << 0;
        QTest::newRow("end of the first frame") << 499 << 0;
        QTest::newRow("second frame") << 500 << 1;
        QTest::newRow("fourth frame") << 1999 << 3;
        QTest::newRow("last frame") << 3999 << 7;
        QTest::newRow("next cycle") << 4000 << 0;
        QTest::newRow("next cycle, third frame") << 5200 << 2;
    }

    void frames()
    {
        QFETCH(int, timeMs);
        QFETCH(int, index);
        KyBusyView view;
        view.startAnimation();
        auto *animation = view.findChild<QPropertyAnimation *>();
        QVERIFY(animation);
        QCOMPARE(animation->loopCount(), -1);
        QCOMPARE(animation->duration(), 4000);
        QCOMPARE(animation->propertyName(), QByteArray("pixmapIndex"));
        QCOMPARE(animation->state(), QAbstractAnimation::Running);
        animation->setCurrentTime(timeMs);
        QCOMPARE(view.pixmapIndex(), index);
        QCOMPARE(labelImage(view), frameImage(index + 1));
        view.stopAnimation();
        QCOMPARE(animation->state(), QAbstractAnimation::Stopped);
    }

    void framesRunInRealTime()
    {
        KyBusyView view;
        QList<int> seen;
        view.startAnimation();
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 1300) {
            QTest::qWait(20);
            if (seen.isEmpty() || seen.last() != view.pixmapIndex())
                seen.append(view.pixmapIndex());
        }
        QCOMPARE(seen.mid(0, 3), (QList<int>{0, 1, 2}));
    }

    void settingTheSameIndexLeavesTheLabel()
    {
        KyBusyView view;
        view.setPixmapIndex(3);
        QCOMPARE(labelImage(view), frameImage(4));
        auto *label = view.findChild<QLabel *>(QStringLiteral("label"));
        label->setPixmap(QPixmap());
        view.setPixmapIndex(3);
        QVERIFY(label->pixmap().isNull());
        // An index naming no frame is stored and leaves the label alone.
        view.setPixmapIndex(8);
        QCOMPARE(view.pixmapIndex(), 8);
        QVERIFY(label->pixmap().isNull());
    }

    // The covered widget shows through the faint white veil.
    void snapshotOfTheParent()
    {
        Backdrop parent(QColor(255, 0, 0));
        kywidgettest::grabShown(&parent);
        KyBusyView view(&parent);
        view.startAnimation();
        QCOMPARE(snapshotOf(view).size(), parent.size());
        view.setGeometry(parent.rect());
        static_cast<QWidget &>(view).show(); // KyBusyView::show is the process-wide view's
        const QImage shot = kywidgettest::grabShown(&view);
        const QColor veiled(shot.pixel(5, 5));
        QCOMPARE(veiled.red(), 255);
        QVERIFY(qAbs(veiled.green() - 30) <= 1);
        QVERIFY(qAbs(veiled.blue() - 30) <= 1);
        // The panel and its icon sit in the middle.
        QVERIFY(QColor(shot.pixel(shot.width() / 2, shot.height() / 2)) != veiled);
    }

    void snapshotWithoutParentIsWhite()
    {
        KyBusyView view;
        view.startAnimation();
        const QImage snapshot = snapshotOf(view).toImage();
        QCOMPARE(snapshot.size(), QSize(10, 10));
        QCOMPARE(kywidgettest::colours(snapshot), (QSet<QRgb>{qRgb(255, 255, 255)}));
    }

    void pressesStopAtTheView()
    {
        Backdrop parent(Qt::blue);
        KyBusyView view(&parent);
        view.setGeometry(0, 0, 400, 150);
        kywidgettest::grabShown(&parent);
        // Through the window, so the deepest widget under the point gets it first.
        kywidgettest::windowMouse(QTest::MousePress, &parent, Qt::LeftButton, QPoint(20, 20));
        kywidgettest::windowMouse(QTest::MouseRelease, &parent, Qt::LeftButton, QPoint(20, 20));
        QCOMPARE(parent.presses, 0);
        kywidgettest::windowMouse(QTest::MousePress, &parent, Qt::LeftButton, QPoint(20, 250));
        kywidgettest::windowMouse(QTest::MouseRelease, &parent, Qt::LeftButton, QPoint(20, 250));
        QCOMPARE(parent.presses, 1);
    }

    void showOverAndHide()
    {
        Backdrop covered(QColor(0, 128, 0));
        covered.move(50, 60);
        kywidgettest::grabShown(&covered);
        KyBusyView view;
        view.showOver(&covered);
        QVERIFY(view.isVisible());
        QCOMPARE(view.size(), covered.size());
        QCOMPARE(view.pos(), covered.geometry().topLeft());
        QCOMPARE(snapshotOf(view).toImage().pixel(10, 10), qRgb(0, 128, 0));
        QCOMPARE(labelImage(view), frameImage(1));
        auto *animation = view.findChild<QPropertyAnimation *>();
        QCOMPARE(animation->state(), QAbstractAnimation::Running);

        // Already shown: no new snapshot, no restart.
        animation->setCurrentTime(1200);
        covered.setColour(Qt::yellow);
        view.showOver(&covered);
        QCOMPARE(snapshotOf(view).toImage().pixel(10, 10), qRgb(0, 128, 0));
        QCOMPARE(view.pixmapIndex(), 2);

        view.stopAndHide();
        QVERIFY(!view.isVisible());
        QCOMPARE(animation->state(), QAbstractAnimation::Stopped);
        QCOMPARE(view.pixmapIndex(), 0);
        QCOMPARE(labelImage(view), frameImage(1)); // frame 0, not the form's icon

        // Without a widget it shows where it was, over its old snapshot.
        view.showOver(nullptr);
        QVERIFY(view.isVisible());
        QCOMPARE(view.pos(), covered.geometry().topLeft());
        QCOMPARE(snapshotOf(view).toImage().pixel(10, 10), qRgb(0, 128, 0));
        view.stopAndHide();
    }

    // The view mode's hider reaches the process-wide view once it exists.
    void processWideViewAndTheViewModeHider()
    {
        Backdrop covered(Qt::gray);
        kywidgettest::grabShown(&covered);
        KyBusyView::show(&covered);
        KyBusyView *view = KyBusyView::instance();
        QVERIFY(view);
        QVERIFY(!view->parentWidget());
        QVERIFY(view->isVisible());
        QCOMPARE(KyBusyView::instance(), view);
        KyViewMode::hideBusyView();
        QVERIFY(!view->isVisible());
        KyBusyView::show(nullptr);
        QVERIFY(view->isVisible());
        KyBusyView::hide();
        QVERIFY(!view->isVisible());
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyBusyView)
#include "tst_kybusyview.moc"
