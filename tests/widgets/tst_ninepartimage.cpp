#include "testmain.h"
#include "widgettest.h"

#include "widgets/kyborderimage.h"
#include "widgets/ninepartimage.h"

#include <QApplication>
#include <QPainter>
#include <QSignalSpy>

namespace {

// The nine regions of a 30 x 30 skin with borders of 10, each in its own colour.
enum Region { TopLeft, Top, TopRight, Left, Centre, Right, BottomLeft, Bottom, BottomRight };

QRgb regionColour(int region)
{
    static const QRgb colours[9] = {
        qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(0, 0, 255),
        qRgb(255, 255, 0), qRgb(0, 255, 255), qRgb(255, 0, 255),
        qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(0, 0, 128),
    };
    return colours[region];
}

QImage nineColourSkin()
{
    QImage skin(30, 30, QImage::Format_ARGB32);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x)
            skin.setPixel(x, y, regionColour((y / 10) * 3 + x / 10));
    return skin;
}

const QRgb kBackground = qRgb(7, 7, 7);

QImage draw(const QSize &canvas, const QRect &target, const QImage &skin, int l, int r, int t, int b)
{
    QImage out(canvas, QImage::Format_ARGB32);
    out.fill(kBackground);
    QPainter painter(&out);
    drawNinePartImage(&painter, target, skin, l, r, t, b);
    return out;
}

// The region a target pixel belongs to for borders of 10 around a rectangle.
int expectedRegion(const QRect &r, int x, int y)
{
    const int column = x < r.left() + 10 ? 0 : (x > r.right() - 10 ? 2 : 1);
    const int row = y < r.top() + 10 ? 0 : (y > r.bottom() - 10 ? 2 : 1);
    return row * 3 + column;
}

} // namespace

class TestNinePartImage : public QObject
{
    Q_OBJECT

private slots:
    void regionsTakeTheirColours_data()
    {
        QTest::addColumn<QRect>("target");
        QTest::newRow("100 x 40 at the origin") << QRect(0, 0, 100, 40);
        QTest::newRow("100 x 40 moved to (5, 7)") << QRect(5, 7, 100, 40);
        QTest::newRow("exactly the borders, 20 x 20") << QRect(0, 0, 20, 20);
        QTest::newRow("one pixel of centre, 21 x 21") << QRect(3, 3, 21, 21);
        QTest::newRow("tall, 30 x 200") << QRect(0, 0, 30, 200);
    }
    void regionsTakeTheirColours()
    {
        QFETCH(QRect, target);
        const QSize canvas(target.right() + 4, target.bottom() + 4);
        const QImage out = draw(canvas, target, nineColourSkin(), 10, 10, 10, 10);
        for (int y = 0; y < canvas.height(); ++y) {
            for (int x = 0; x < canvas.width(); ++x) {
                const QRgb want = target.contains(x, y) ? regionColour(expectedRegion(target, x, y)) : kBackground;
                if (out.pixel(x, y) != want)
                    QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) is %3, expected %4")
                                         .arg(x).arg(y).arg(out.pixel(x, y), 0, 16).arg(want, 0, 16)));
            }
        }
    }

    // Worked corners of a 100 x 40 target: the corners unscaled, the edges and centre stretched.
    void cornerAndEdgePlacement_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<int>("region");
        QTest::newRow("top-left corner (0, 0)") << QPoint(0, 0) << int(TopLeft);
        QTest::newRow("top-left corner (9, 9)") << QPoint(9, 9) << int(TopLeft);
        QTest::newRow("top edge starts at 10") << QPoint(10, 0) << int(Top);
        QTest::newRow("top edge ends at 89") << QPoint(89, 9) << int(Top);
        QTest::newRow("top-right corner (90, 0)") << QPoint(90, 0) << int(TopRight);
        QTest::newRow("bottom-left corner (0, 30)") << QPoint(0, 30) << int(BottomLeft);
        QTest::newRow("bottom-right corner (99, 39)") << QPoint(99, 39) << int(BottomRight);
        QTest::newRow("left edge (0, 10)") << QPoint(0, 10) << int(Left);
        QTest::newRow("right edge (90, 29)") << QPoint(90, 29) << int(Right);
        QTest::newRow("bottom edge (50, 30)") << QPoint(50, 30) << int(Bottom);
        QTest::newRow("centre (10, 10)") << QPoint(10, 10) << int(Centre);
        QTest::newRow("centre (89, 29)") << QPoint(89, 29) << int(Centre);
    }
    void cornerAndEdgePlacement()
    {
        QFETCH(QPoint, point);
        QFETCH(int, region);
        const QImage out = draw(QSize(100, 40), QRect(0, 0, 100, 40), nineColourSkin(), 10, 10, 10, 10);
        QCOMPARE(out.pixel(point), regionColour(region));
    }

    // A target smaller than the borders: the pieces that would get a negative size are left out,
    // so no piece shows up mirrored.
    void targetSmallerThanBordersShowsNoMirroredPiece_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QList<int>>("allowed");
        const QList<int> corners{TopLeft, TopRight, BottomLeft, BottomRight};
        QTest::newRow("15 x 15: corners only") << QSize(15, 15) << corners;
        QTest::newRow("100 x 15: corners, top and bottom edges")
            << QSize(100, 15) << (corners + QList<int>{Top, Bottom});
        QTest::newRow("15 x 40: corners, left and right edges")
            << QSize(15, 40) << (corners + QList<int>{Left, Right});
    }
    void targetSmallerThanBordersShowsNoMirroredPiece()
    {
        QFETCH(QSize, size);
        QFETCH(QList<int>, allowed);
        const QRect target(QPoint(0, 0), size);
        const QImage out = draw(size + QSize(20, 20), target, nineColourSkin(), 10, 10, 10, 10);
        QSet<QRgb> allowedColours{kBackground};
        for (int region : allowed)
            allowedColours.insert(regionColour(region));
        const QSet<QRgb> inside = kywidgettest::colours(out, target);
        QVERIFY2(allowedColours.contains(inside), "a piece was drawn that does not fit");
        QCOMPARE(kywidgettest::colours(out, QRect(size.width(), 0, 20, size.height() + 20)), QSet<QRgb>{kBackground});
        QCOMPARE(kywidgettest::colours(out, QRect(0, size.height(), size.width() + 20, 20)), QSet<QRgb>{kBackground});
        // The corners are drawn unscaled from the target's corners.
        QCOMPARE(out.pixel(0, 0), regionColour(TopLeft));
        QCOMPARE(out.pixel(size.width() - 1, size.height() - 1), regionColour(BottomRight));
    }

    void zeroBordersStretchTheWholeImage()
    {
        const QImage out = draw(QSize(100, 40), QRect(0, 0, 100, 40), nineColourSkin(), 0, 0, 0, 0);
        QCOMPARE(out.pixel(0, 0), regionColour(TopLeft));
        QCOMPARE(out.pixel(50, 20), regionColour(Centre));
        QCOMPARE(out.pixel(99, 39), regionColour(BottomRight));
        QCOMPARE(out.pixel(50, 2), regionColour(Top));
        QCOMPARE(out.pixel(20, 20), regionColour(Left));
    }

    void nullImageDrawsNothing()
    {
        const QImage out = draw(QSize(50, 50), QRect(0, 0, 50, 50), QImage(), 10, 10, 10, 10);
        QCOMPARE(kywidgettest::colours(out), QSet<QRgb>{kBackground});
    }

    void borderImageWidgetPaintsTheSkin()
    {
        const QImage skin = nineColourSkin();
        KyBorderImage panel(nullptr, QPixmap::fromImage(skin), 10, 10, 10, 10);
        panel.resize(100, 40);
        const QImage expected = draw(QSize(100, 40), QRect(0, 0, 100, 40), skin, 10, 10, 10, 10);
        QCOMPARE(kywidgettest::grabShown(&panel), expected);

        // Property writes store only; the next paint uses them.
        QVERIFY(panel.setProperty("mBorderLeft", 0));
        QVERIFY(panel.setProperty("mBorderTop", 0));
        QCOMPARE(panel.property("mBorderLeft").toInt(), 0);
        QCOMPARE(panel.property("mPixmap").value<QPixmap>().size(), QSize(30, 30));
        const QImage changed = panel.grab().toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(changed, draw(QSize(100, 40), QRect(0, 0, 100, 40), skin, 0, 10, 0, 10));
    }

    void borderImageClicksOnlyWhenClickable()
    {
        KyBorderImage panel;
        panel.resize(40, 40);
        QSignalSpy clicked(&panel, &KyBorderImage::clicked);
        QTest::mouseClick(&panel, Qt::LeftButton);
        QCOMPARE(clicked.count(), 0);
        QVERIFY(panel.setProperty("mClickable", true));
        QTest::mouseClick(&panel, Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
    }
};

KY_TEST_MAIN_WITH(QApplication, TestNinePartImage)
#include "tst_ninepartimage.moc"
