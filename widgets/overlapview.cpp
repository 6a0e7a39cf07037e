#include "widgets/overlapview.h"

#include "widgets/kyimageview.h"

OverlapView::OverlapView(KyImageView *view)
    : view(view), enabled(true), visible(true)
{
    if (view)
        view->addOverlay(this);
}

OverlapView::~OverlapView()
{
    if (view)
        view->removeOverlay(this);
}

void OverlapView::paint(QPainter *, double)
{
}

bool OverlapView::onMousePress(const QPoint &)
{
    return false;
}

bool OverlapView::onMouseMove(const QPoint &)
{
    return false;
}

bool OverlapView::onMouseRelease(const QPoint &)
{
    return false;
}

QPoint OverlapView::mapToImage(int x, int y) const
{
    return mapToImage(QPoint(x, y));
}

QPoint OverlapView::mapToImage(const QPoint &widgetPoint) const
{
    return view ? view->mapToImage(widgetPoint) : widgetPoint;
}

QPoint OverlapView::mapToCanvas(int x, int y) const
{
    return mapToCanvas(QPoint(x, y));
}

QPoint OverlapView::mapToCanvas(const QPoint &imagePoint) const
{
    return view ? view->mapFromImage(imagePoint) : imagePoint;
}

int OverlapView::lengthToImage(int length) const
{
    return view ? view->lengthToImage(length) : 0;
}

int OverlapView::lengthToCanvas(int length) const
{
    return view ? view->lengthToCanvas(length) : 0;
}

QRect OverlapView::rectToCanvas(const QRect &imageRect) const
{
    return QRect(mapToCanvas(imageRect.topLeft()), mapToCanvas(imageRect.bottomRight()));
}
