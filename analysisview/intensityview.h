#pragma once

#include "widgets/overlapview.h"

#include <QObject>
#include <QPoint>
#include <QRect>

class KyImageView;

// The intensity tool's overlay: fills the measured rectangle (image points) on the canvas and
// reports where the mouse was released over the image. It never takes a press or a drag, so
// panning the canvas keeps working while the tool is on.
class IntensityView : public QObject, public OverlapView
{
    Q_OBJECT

public:
    explicit IntensityView(KyImageView *view);
    ~IntensityView() override;

    // Stores the rectangle (image points) and repaints the view.
    void setRect(const QRect &inRect);
    QRect rect() const { return mRect; }

    void paint(QPainter *painter, double scale) override;
    bool onMousePress(const QPoint &imagePoint) override;
    bool onMouseMove(const QPoint &imagePoint) override;
    bool onMouseRelease(const QPoint &imagePoint) override;

signals:
    void setIntensityPoint(QPoint inImagePt);

private:
    QRect mRect{0, 0, 0, 0};
};
