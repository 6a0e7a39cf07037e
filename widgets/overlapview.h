#pragma once

#include <QPoint>
#include <QRect>

class KyImageView;
class QPainter;

// A layer drawn over the image of a KyImageView that gets the first chance at the canvas's mouse
// input. Concrete overlays derive from QObject first (the view as their QObject parent) and from
// this class second; they live on the heap, and the view deletes those still registered when it
// goes, so nobody else may delete them after their view has gone.
//
// The mouse hooks receive image points (pixel column and row); paint() receives a painter already
// translated by the view's negative scroll offset, so an overlay draws in canvas points.
class OverlapView
{
public:
    explicit OverlapView(KyImageView *view);
    virtual ~OverlapView();

    OverlapView(const OverlapView &) = delete;
    OverlapView &operator=(const OverlapView &) = delete;

    virtual void paint(QPainter *painter, double scale);
    // True when the overlay takes the event: the view then offers it to nobody else.
    virtual bool onMousePress(const QPoint &imagePoint);
    virtual bool onMouseMove(const QPoint &imagePoint);
    virtual bool onMouseRelease(const QPoint &imagePoint);

    // Neither setter repaints the view: the caller does, or the next repaint shows the change.
    void setEnabled(bool on) { enabled = on; }
    bool isEnabled() const { return enabled; }
    void setVisible(bool on) { visible = on; }
    bool isVisible() const { return visible; }

    // Forward to the view; without a view points come back unchanged and lengths as 0.
    QPoint mapToImage(int x, int y) const;
    QPoint mapToImage(const QPoint &widgetPoint) const;
    QPoint mapToCanvas(int x, int y) const;
    QPoint mapToCanvas(const QPoint &imagePoint) const;
    int lengthToImage(int length) const;
    int lengthToCanvas(int length) const;
    // Maps the corners, not the size.
    QRect rectToCanvas(const QRect &imageRect) const;

protected:
    KyImageView *view;
    bool enabled;
    bool visible;
};
