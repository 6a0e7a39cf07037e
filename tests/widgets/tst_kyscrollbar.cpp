#include "testmain.h"
#include "widgettest.h"

#include "widgets/kybutton.h"
#include "widgets/kyscrollbar.h"

#include <QApplication>
#include <QSignalSpy>

namespace {

// A shown bar of 30 x 300: buttons of 30, a track of 240 from y = 30.
struct Bar
{
    Bar()
    {
        bar.resize(30, 300);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
    }

    // The slider lives on the track, the one direct child that is not a button.
    QWidget *slider() const
    {
        for (QWidget *child : bar.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
            if (!qobject_cast<KyButton *>(child))
                return child->findChild<KyBorderImage *>();
        }
        return nullptr;
    }
    KyButton *button(int i) const { return bar.findChildren<KyButton *>().value(i); }
    void click(int y) { QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(15, y)); }

    KyScrollBar bar;
};

QList<int> positions(const QSignalSpy &spy)
{
    QList<int> result;
    for (const QList<QVariant> &args : spy)
        result.append(args.at(0).toInt());
    return result;
}

} // namespace

class TestKyScrollBar : public QObject
{
    Q_OBJECT

private slots:
    void defaults()
    {
        KyScrollBar bar;
        QCOMPARE(bar.total(), 100);
        QCOMPARE(bar.pageSize(), 20);
        QCOMPARE(bar.step(), 1);
        QCOMPARE(bar.position(), 0);
        QCOMPARE(bar.findChildren<KyButton *>().size(), 2);
        for (KyButton *button : bar.findChildren<KyButton *>()) {
            QVERIFY(button->autoRepeat());
            QCOMPARE(button->minimumSize(), QSize(30, 30));
            QCOMPARE(button->maximumSize(), QSize(30, 30));
        }
    }

    // Moves by steps and pages, clamped to 0 … total − page, each request signalling the position
    // it ended at (also when clamping brought it back).
    void paging_data()
    {
        QTest::addColumn<int>("total");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("position");
        QTest::addColumn<QList<int>>("signalled");

        QTest::newRow("up at 0 still signals") << 100 << 0 << "up 1" << 0 << QList<int>{0};
        QTest::newRow("down 100 ends at 80") << 100 << 0 << "down 100" << 80 << QList<int>{80};
        QTest::newRow("down at the end") << 100 << 80 << "down 1" << 80 << QList<int>{80};
        QTest::newRow("up a page") << 100 << 50 << "up 20" << 30 << QList<int>{30};
        QTest::newRow("to the same position: silent") << 100 << 50 << "set 50" << 50 << QList<int>{};
        QTest::newRow("negative") << 100 << 50 << "set -7" << 0 << QList<int>{0};
        // No room to scroll: the position stays at 0.
        QTest::newRow("total 0") << 0 << 0 << "down 5" << 0 << QList<int>{0};
        QTest::newRow("total below the page") << 10 << 0 << "down 20" << 0 << QList<int>{0};
        QTest::newRow("negative total") << -5 << 0 << "down 1" << 0 << QList<int>{0};
    }

    void paging()
    {
        QFETCH(int, total);
        QFETCH(int, start);
        QFETCH(QString, action);
        QFETCH(int, position);
        QFETCH(QList<int>, signalled);

        Bar b;
        b.bar.setTotal(total);
        b.bar.setPosition(start);
        QSignalSpy scrolled(&b.bar, &KyScrollBar::scrolled);
        const QStringList parts = action.split(' ');
        const int amount = parts.at(1).toInt();
        if (parts.at(0) == QLatin1String("up"))
            b.bar.up(amount);
        else if (parts.at(0) == QLatin1String("down"))
            b.bar.down(amount);
        else
            b.bar.setPosition(amount);
        QCOMPARE(b.bar.position(), position);
        QCOMPARE(positions(scrolled), signalled);
    }

    void buttonsStepAndRepeat()
    {
        Bar b;
        b.bar.setStep(3);
        QSignalSpy scrolled(&b.bar, &KyScrollBar::scrolled);
        KyButton *down = b.button(1);
        QVERIFY(down && down->y() > 200);
        QTest::mouseClick(down, Qt::LeftButton);
        QCOMPARE(b.bar.position(), 3);
        QTest::mouseClick(b.button(0), Qt::LeftButton);
        QCOMPARE(b.bar.position(), 0);
        // Held down, the button repeats.
        scrolled.clear();
        QTest::mousePress(down, Qt::LeftButton);
        QTest::qWait(down->autoRepeatDelay() + 5 * down->autoRepeatInterval());
        QTest::mouseRelease(down, Qt::LeftButton);
        QVERIFY2(scrolled.count() >= 3, qPrintable(QString::number(scrolled.count())));
    }

    // Track clicks page towards the click; a click on the slider does nothing.
    void trackClicks()
    {
        Bar b;
        b.bar.setTotal(200);
        QWidget *slider = b.slider();
        QVERIFY(slider);
        QCOMPARE(slider->size(), QSize(30, 30)); // 240 × 20 / 200 = 24, at least 30
        QSignalSpy scrolled(&b.bar, &KyScrollBar::scrolled);
        QTest::ignoreMessage(QtDebugMsg, "mousePressed: 15, 130  y=100");
        b.click(130);
        QCOMPARE(b.bar.position(), 20);
        QCOMPARE(slider->pos(), QPoint(0, 24)); // 240 × 40 / 200 − 240 × 20 / 200
        QTest::ignoreMessage(QtDebugMsg, "mousePressed: 15, 60  y=30");
        b.click(60); // on the slider (24 … 53 of the track)
        QCOMPARE(b.bar.position(), 20);
        QTest::ignoreMessage(QtDebugMsg, "mousePressed: 15, 40  y=10");
        b.click(40);
        QCOMPARE(b.bar.position(), 0);
        QCOMPARE(positions(scrolled), (QList<int>{20, 0}));
        // Other buttons do not page.
        QTest::mouseClick(&b.bar, Qt::RightButton, {}, QPoint(15, 200));
        QCOMPARE(b.bar.position(), 0);
    }

    void sliderFollowsTheLengths()
    {
        Bar b;
        QWidget *slider = b.slider();
        b.bar.setTotal(40);
        QCOMPARE(slider->height(), 120); // 240 × 20 / 40
        b.bar.setPosition(20);
        QCOMPARE(slider->y(), 120);
        // A total no larger than the page shows everything: the slider fills the track at its
        // top and the position is pinned at 0, without a signal.
        QSignalSpy scrolled(&b.bar, &KyScrollBar::scrolled);
        b.bar.setTotal(0);
        QCOMPARE(b.bar.position(), 0);
        QCOMPARE(slider->height(), 240);
        b.bar.setPosition(5);
        QCOMPARE(slider->pos(), QPoint(0, 0));
        b.bar.setTotal(15);
        QCOMPARE(slider->height(), 240);
        b.bar.setPageSize(0);
        QCOMPARE(slider->height(), 30);
        QCOMPARE(positions(scrolled), (QList<int>{0}));
    }

    void shrinkingPullsThePositionBackQuietly()
    {
        Bar b;
        b.bar.setPosition(80);
        QSignalSpy scrolled(&b.bar, &KyScrollBar::scrolled);
        b.bar.setTotal(90);
        QCOMPARE(b.bar.position(), 70);
        b.bar.setPageSize(50);
        QCOMPARE(b.bar.position(), 40);
        QCOMPARE(scrolled.count(), 0);
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyScrollBar)
#include "tst_kyscrollbar.moc"
