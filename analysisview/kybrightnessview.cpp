#include "analysisview/kybrightnessview.h"

#include "core/analysissettings.h"
#include "document/kycurrentdocument.h"
#include "document/kydocument.h"
#include "widgets/kyimageview.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

constexpr qint64 kTop = 65535;

} // namespace

KyBrightnessView::KyBrightnessView(KyImageView *view)
    : QObject(view), OverlapView(view), low(0), high(65535), dragAxis(0), channel(-1),
      brightnessStep(AnalysisSettings::instance()->uintValue(QStringLiteral("Contrast_BrightnessStep"))),
      contrastStep(AnalysisSettings::instance()->uintValue(QStringLiteral("Contrast_ContrastStep")))
{
    // It draws nothing, but stays enabled: hidden overlays still get the mouse.
    setVisible(false);
}

// The base unregisters from the view.
KyBrightnessView::~KyBrightnessView() = default;

void KyBrightnessView::SetChannel(int inChannel)
{
    channel = inChannel;
}

bool KyBrightnessView::onMousePress(const QPoint &imagePoint)
{
    if (channel < 0 || channel > 2)
        return false;
    KyDocument *doc = KyCurrentDocument::document();
    if (!doc)
        return false;
    // A channel without an image has no range to drag, and its display image would blank the view.
    const ImageFile *image = std::as_const(*doc).Image(channel);
    if (!image || image->IsNull() || !doc->DisplayRange(channel, low, high))
        return false;
    startPoint = mapToCanvas(imagePoint);
    dragAxis = 0;
    dragging = true;
    return true;
}

bool KyBrightnessView::onMouseMove(const QPoint &imagePoint)
{
    if (!dragging)
        return false;
    currentPoint = mapToCanvas(imagePoint);
    // Canvas pixels: the same drag does the same at every zoom.
    const qint64 dx = currentPoint.x() - startPoint.x();
    const qint64 dy = currentPoint.y() - startPoint.y();
    if (dragAxis == 0)
        dragAxis = std::llabs(dx) > std::llabs(dy) ? 1 : 2;
    if (dragAxis == 1)
        shift(dx * brightnessStep);
    else
        stretch(-dy * contrastStep);
    return true;
}

bool KyBrightnessView::onMouseRelease(const QPoint &)
{
    if (!dragging)
        return false;
    dragging = false;
    emit rangeChanged();
    return true;
}

void KyBrightnessView::shiftedRange(quint16 inLow, quint16 inHigh, qint64 inDelta, quint16 &outLow,
                                    quint16 &outHigh)
{
    qint64 newLow = std::clamp<qint64>(qint64(inLow) + inDelta, 0, kTop);
    qint64 newHigh = std::clamp<qint64>(qint64(inHigh) + inDelta, 0, kTop);
    // Both ends pushed onto one bound would leave no range to render: keep one grey level.
    if (newHigh <= newLow) {
        if (newLow >= kTop) {
            newLow = kTop - 1;
            newHigh = kTop;
        } else {
            newHigh = newLow + 1;
        }
    }
    outLow = quint16(newLow);
    outHigh = quint16(newHigh);
}

void KyBrightnessView::stretchedRange(quint16 inLow, quint16 inHigh, qint64 inDelta, quint16 &outLow,
                                      quint16 &outHigh)
{
    const double t = std::trunc(double(inDelta) * 1.5 + 0.5);
    const double wanted = double(inHigh) - t;
    qint64 newLow = inLow;
    // Nothing lies above a low end of 65535: the low end gives way by one level instead, rather than
    // the high end wrapping round to 0.
    if (newLow >= kTop)
        newLow = kTop - 1;
    const qint64 newHigh = qint64(std::clamp(wanted, double(newLow + 1), double(kTop)));
    outLow = quint16(newLow);
    outHigh = quint16(newHigh);
}

void KyBrightnessView::shift(qint64 inDelta)
{
    quint16 newLow = 0;
    quint16 newHigh = 0;
    shiftedRange(low, high, inDelta, newLow, newHigh);
    apply(newLow, newHigh);
}

void KyBrightnessView::stretch(qint64 inDelta)
{
    quint16 newLow = 0;
    quint16 newHigh = 0;
    stretchedRange(low, high, inDelta, newLow, newHigh);
    apply(newLow, newHigh);
}

void KyBrightnessView::apply(quint16 inLow, quint16 inHigh)
{
    KyDocument *doc = KyCurrentDocument::document();
    if (channel < 0 || channel > 2 || !doc)
        return;
    doc->SetDisplayRange(channel, inLow, inHigh);
    if (view)
        view->setImage(doc->qImage(channel, QRect()));
}
