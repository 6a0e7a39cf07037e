#include "widgets/kyoverlaywidget.h"

#include <QMouseEvent>

KyOverlayWidget::KyOverlayWidget(QWidget *parent)
    : QWidget(parent)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0, 0, 0, 0));
    setPalette(pal);
    setAutoFillBackground(true);
}

void KyOverlayWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        event->accept();
        emit clicked();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}
