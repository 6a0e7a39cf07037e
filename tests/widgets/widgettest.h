#pragma once

#include "widgets/ninepartimage.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
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

// A skin of the widget library by its file name, in the format grabs are compared in.
inline QImage skinImage(const QString &name)
{
    return QImage(QStringLiteral(":/KYParts/Resources/") + name).convertToFormat(QImage::Format_ARGB32);
}

// A picture in the format grabs are compared in.
inline QImage argb(const QPixmap &pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

// What a skinned widget shows where nothing else draws: the skin stretched over the widget as a
// nine-part image with the border widths (left, right, top, bottom), on the window background.
inline QImage skinOnWindow(const QWidget &widget, const QString &name, int left, int right, int top, int bottom)
{
    QImage out = windowCanvas(widget.size(), widget.palette().color(QPalette::Window));
    QPainter painter(&out);
    drawNinePartImage(&painter, out.rect(), skinImage(name), left, right, top, bottom);
    painter.end();
    return out.convertToFormat(QImage::Format_ARGB32);
}

} // namespace kywidgettest
