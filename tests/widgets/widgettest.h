#pragma once

#include <QImage>
#include <QTest>
#include <QWidget>
#include <QWindow>

// Helpers for the widget tests: pictures of shown widgets and clicks routed like real input.
namespace kywidgettest {

// Shows the widget as a window and returns what it paints.
inline QImage grabShown(QWidget *widget)
{
    if (!widget->isVisible()) {
        widget->show();
        if (!QTest::qWaitForWindowExposed(widget))
            qWarning("window not exposed");
    }
    return widget->grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

// An image to paint an expected picture on, in the backing store's format (blending rounds the
// same way), filled with the window background.
inline QImage windowCanvas(const QSize &size, const QColor &background)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    return image;
}

// Sends the mouse action through the window, as the platform does: the widget under the point
// (not a chosen one) receives it.
inline void windowMouse(QTest::MouseAction action, QWidget *widget, Qt::MouseButton button,
                        QPoint pos, int delay = -1)
{
    QWindow *window = widget->window()->windowHandle();
    QVERIFY(window);
    QTest::mouseEvent(action, window, button, {}, widget->mapTo(widget->window(), pos), delay);
}

// The pixel colours of an image as a set of RGB values.
inline QSet<QRgb> colours(const QImage &image, const QRect &area = QRect())
{
    const QImage img = image.convertToFormat(QImage::Format_ARGB32);
    const QRect r = area.isNull() ? img.rect() : area & img.rect();
    QSet<QRgb> result;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = r.left(); x <= r.right(); ++x)
            result.insert(row[x]);
    }
    return result;
}

} // namespace kywidgettest
