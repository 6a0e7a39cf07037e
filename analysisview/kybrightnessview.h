#pragma once

#include "widgets/overlapview.h"

#include <QObject>
#include <QPoint>

class KyImageView;

// Drags the display range of one channel of the current document on the image: a horizontal drag
// moves the whole range (brightness), a vertical one its upper end (contrast). It draws nothing and
// is hidden, but enabled, so it still gets the canvas's mouse input.
class KyBrightnessView : public QObject, public OverlapView
{
    Q_OBJECT

public:
    // The view is also the QObject parent, which deletes the overlay.
    explicit KyBrightnessView(KyImageView *view);
    ~KyBrightnessView() override;

    // 0..2; anything else leaves presses to the view.
    void SetChannel(int inChannel);
    int Channel() const { return channel; }

signals:
    void rangeChanged();

public slots:
    // Taken when the channel is 0..2 and has an image in the current document; the drag starts from
    // the channel's range then.
    bool onMousePress(const QPoint &imagePoint) override;
    // Both are taken only within a drag this overlay's press started, so that they never steal the
    // input of a drag another overlay or the view itself took. The release emits rangeChanged().
    bool onMouseMove(const QPoint &imagePoint) override;
    bool onMouseRelease(const QPoint &imagePoint) override;

public:
    // The range a drag gives from the press-time range (inLow, inHigh). A shift moves both ends by
    // inDelta, each bounded to 0..65535; a stretch moves the upper end down by inDelta x 1.5 + 0.5
    // truncated toward zero. Both keep high at least low + 1 (a low end of 65535 gives way to 65534).
    static void shiftedRange(quint16 inLow, quint16 inHigh, qint64 inDelta, quint16 &outLow, quint16 &outHigh);
    static void stretchedRange(quint16 inLow, quint16 inHigh, qint64 inDelta, quint16 &outLow, quint16 &outHigh);

private:
    void shift(qint64 inDelta);
    void stretch(qint64 inDelta);
    void apply(quint16 inLow, quint16 inHigh);

    // A press of this overlay's own started the drag that moves and the release belong to.
    bool dragging = false;
    QPoint startPoint;
    QPoint currentPoint;
    quint16 low;
    quint16 high;
    int dragAxis;
    int channel;
    unsigned int brightnessStep;
    unsigned int contrastStep;
};
