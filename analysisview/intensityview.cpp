#include "analysisview/intensityview.h"

#include "core/analysissettings.h"
#include "platform/logcategories.h"
#include "widgets/kyimageview.h"

#include <QDebug>
#include <QPainter>

IntensityView::IntensityView(KyImageView *view)
    : QObject(view), OverlapView(view)
{
}

IntensityView::~IntensityView() = default;

void IntensityView::setRect(const QRect &inRect)
{
    mRect = inRect;
    if (view)
        view->update();
}

void IntensityView::paint(QPainter *painter, double)
{
    if (!painter || mRect.isEmpty())
        return;
    const QPoint topLeft = mapToCanvas(mRect.topLeft());
    const QPoint bottomRight = mapToCanvas(mRect.bottomRight());
    const QColor colour = AnalysisSettings::instance()->colorValue(QStringLiteral("IntensityRoiColor"));
    painter->fillRect(QRect(topLeft, bottomRight), colour);
}

bool IntensityView::onMousePress(const QPoint &)
{
    return false;
}

bool IntensityView::onMouseMove(const QPoint &)
{
    return false;
}

bool IntensityView::onMouseRelease(const QPoint &imagePoint)
{
    if (view && view->isInsideImage(imagePoint)) {
        emit setIntensityPoint(imagePoint);
        return true;
    }
    qCDebug(lcAnalysisView) << "outside";
    return false;
}
