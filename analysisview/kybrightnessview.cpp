#include "analysisview/kybrightnessview.h"

#include "widgets/kyimageview.h"

KyBrightnessView::KyBrightnessView(KyImageView *view)
    : QObject(view), OverlapView(view), low(0), high(65535), dragAxis(0), channel(-1), brightnessStep(30),
      contrastStep(30)
{
    setVisible(false);
}

KyBrightnessView::~KyBrightnessView() = default;

void KyBrightnessView::SetChannel(int inChannel) { channel = inChannel; }
bool KyBrightnessView::onMousePress(const QPoint &) { return false; }
bool KyBrightnessView::onMouseMove(const QPoint &) { return true; }
bool KyBrightnessView::onMouseRelease(const QPoint &) { emit rangeChanged(); return true; }
void KyBrightnessView::shiftedRange(quint16 inLow, quint16 inHigh, qint64, quint16 &outLow, quint16 &outHigh)
{
    outLow = inLow;
    outHigh = inHigh;
}
void KyBrightnessView::stretchedRange(quint16 inLow, quint16 inHigh, qint64, quint16 &outLow, quint16 &outHigh)
{
    outLow = inLow;
    outHigh = inHigh;
}
void KyBrightnessView::shift(qint64) {}
void KyBrightnessView::stretch(qint64) {}
void KyBrightnessView::apply(quint16, quint16) {}
