#include "results/kychartview.h"

#include "widgets/copymenu.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QPainter>

KyChartView::KyChartView(QWidget *parent)
    : QChartView(parent)
{
}

KyChartView::~KyChartView() = default;

QImage KyChartView::renderImage()
{
    QImage image(size(), QImage::Format_RGB888);
    image.fill(Qt::white);
    QPainter painter(&image);
    render(&painter, QRectF(image.rect()), rect(), Qt::KeepAspectRatio);
    painter.end();
    return image;
}

void KyChartView::CopyToClipboard()
{
    QApplication::clipboard()->setImage(renderImage(), QClipboard::Clipboard);
}

void KyChartView::contextMenuEvent(QContextMenuEvent *event)
{
    if (runCopyMenu(this, tr("Copy"), event->globalPos()))
        CopyToClipboard();
}
