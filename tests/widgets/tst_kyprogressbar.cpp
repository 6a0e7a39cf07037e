#include "testmain.h"
#include "widgettest.h"

#include "widgets/kyprogressbar.h"
#include "widgets/ninepartimage.h"

#include <QApplication>
#include <QPainter>
#include <QSignalSpy>

namespace {

// The bar as it should look: the back skin over the whole bar, the bar skin over its length.
QImage expectedBar(const QSize &size, int length)
{
    QImage out = kywidgettest::windowCanvas(size, QApplication::palette().color(QPalette::Window));
    QPainter painter(&out);
    drawNinePartImage(&painter, out.rect(), QImage(QStringLiteral(":/KYParts/Resources/progressbar_back.png")),
                      10, 10, 10, 10);
    drawNinePartImage(&painter, QRect(0, 0, length, size.height()),
                      QImage(QStringLiteral(":/KYParts/Resources/progressbar_bar.png")), 10, 10, 10, 10);
    painter.end();
    return out.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class TestKyProgressBar : public QObject
{
    Q_OBJECT

private slots:
    void barLength_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("length");
        QTest::newRow("half of 236") << 236 << 100 << 50 << 136;
        QTest::newRow("a third truncates") << 236 << 3 << 1 << 102;
        QTest::newRow("empty shows the stub") << 236 << 100 << 0 << 36;
        QTest::newRow("full covers the width") << 236 << 100 << 100 << 236;
        QTest::newRow("maximum 0 shows the stub") << 236 << 0 << 0 << 36;
        QTest::newRow("negative maximum shows the stub") << 236 << -5 << 0 << 36;
        QTest::newRow("large counts do not overflow") << 2000 << 2000000000 << 1999999999 << 1999;
    }
    void barLength()
    {
        QFETCH(int, width);
        QFETCH(int, maximum);
        QFETCH(int, value);
        QFETCH(int, length);
        QCOMPARE(KyProgressBar::barLength(width, value, maximum), length);
    }

    void valueStaysWithinRange()
    {
        KyProgressBar bar;
        QCOMPARE(bar.property("mMaximum").toInt(), 100);
        QCOMPARE(bar.property("mValue").toInt(), 0);
        bar.setValue(150);
        QCOMPARE(bar.value(), 100);
        bar.setValue(-5);
        QCOMPARE(bar.value(), 0);
        QVERIFY(bar.setProperty("mValue", 70));
        QCOMPARE(bar.value(), 70);
        QVERIFY(bar.setProperty("mMaximum", 40));
        QCOMPARE(bar.maximum(), 40);
        QCOMPARE(bar.value(), 40);
        KyProgressBar ten(nullptr, 10);
        QCOMPARE(ten.maximum(), 10);
    }

    void paintsTheSkinsToTheValue_data()
    {
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("length");
        QTest::newRow("empty") << 100 << 0 << 36;
        QTest::newRow("half") << 100 << 50 << 136;
        QTest::newRow("full") << 100 << 100 << 236;
        // An empty copy job sets a maximum of 0: background and stub, no division.
        QTest::newRow("maximum 0") << 0 << 0 << 36;
        QTest::newRow("negative maximum") << -3 << 0 << 36;
    }
    void paintsTheSkinsToTheValue()
    {
        QFETCH(int, maximum);
        QFETCH(int, value);
        QFETCH(int, length);
        QVERIFY(!QImage(QStringLiteral(":/KYParts/Resources/progressbar_back.png")).isNull());
        QVERIFY(!QImage(QStringLiteral(":/KYParts/Resources/progressbar_bar.png")).isNull());
        KyProgressBar bar;
        bar.resize(236, 30);
        // As the copy window drives it: the maximum, then the value from 0.
        bar.setMaximum(maximum);
        bar.setValue(0);
        bar.setValue(value);
        const QImage shot = kywidgettest::grabShown(&bar);
        QCOMPARE(shot, expectedBar(bar.size(), length));
        // The skins differ, so the picture tells the length.
        if (length < bar.width())
            QVERIFY(shot != expectedBar(bar.size(), bar.width()));
    }

    void animationRunsToTheMaximum()
    {
        KyProgressBar bar(nullptr, 40);
        QSignalSpy finished(&bar, &KyProgressBar::animationFinished);
        bar.setValue(30);
        bar.startAnimation(100);
        QVERIFY(bar.value() < 30);
        QVERIFY(finished.wait(2000));
        QCOMPARE(bar.value(), 40);
        // Finishing a stopped animation does nothing.
        bar.finishAnimation();
        QCOMPARE(finished.count(), 1);

        bar.startAnimation(60000);
        bar.finishAnimation();
        QVERIFY(finished.wait(2000));
        QCOMPARE(bar.value(), 40);
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyProgressBar)
#include "tst_kyprogressbar.moc"
