#include "widgets/kyborderimage.h"

#include "widgets/ninepartimage.h"

#include <QMouseEvent>
#include <QPainter>

KyBorderImage::KyBorderImage(QWidget *parent)
    : QWidget(parent)
{
}

KyBorderImage::KyBorderImage(QWidget *parent, const QPixmap &pixmap, int left, int right, int top, int bottom)
    : QWidget(parent)
{
    setBorderImage(pixmap, left, right, top, bottom);
}

void KyBorderImage::setBorderImage(const QPixmap &pixmap, int left, int right, int top, int bottom)
{
    setMPixmap(pixmap);
    mBorderLeft = left;
    mBorderRight = right;
    mBorderTop = top;
    mBorderBottom = bottom;
}

void KyBorderImage::setMPixmap(const QPixmap &pixmap)
{
    mPixmap = pixmap;
    mImage = pixmap.toImage();
}

void KyBorderImage::drawBorderImage(QPainter *painter, const QRect &rect)
{
    drawNinePartImage(painter, rect, mImage, mBorderLeft, mBorderRight, mBorderTop,
                      mBorderBottom);
}

void KyBorderImage::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawBorderImage(&painter, QRect(QPoint(0, 0), size()));
}

void KyBorderImage::mouseReleaseEvent(QMouseEvent *event)
{
    QWidget::mouseReleaseEvent(event);
    // A clickable panel keeps its release, so the click is not also seen by the widgets below.
    if (mClickable) {
        event->accept();
        emit clicked();
    }
}
