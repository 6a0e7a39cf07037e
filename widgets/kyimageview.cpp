#include "widgets/kyimageview.h"

#include "analysis/kyrounding.h"
#include "widgets/copymenu.h"
#include "widgets/kybutton.h"
#include "widgets/kyskin.h"
#include "widgets/overlapview.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// Pan step of the arrow buttons, in canvas pixels.
constexpr int kArrowStep = 10;
// Distance of the arrow buttons from the widget's edges.
constexpr int kArrowMargin = 10;
// Move samples closer together than this (milliseconds) keep the older one.
constexpr qint64 kMoveSampleInterval = 5;
// The largest clipboard copy made: beyond it the copy is refused before allocating, since an
// overcommitted allocation "succeeds" and then fails while the copy is drawn.
constexpr qint64 kMaxCopyBytes = qint64(1) << 30;

int nearest(double v)
{
    // Halves away from zero, saturating at the int range.
    return KyRounding::truncated(std::round(v));
}

} // namespace

KyImageView::KyImageView(QWidget *parent)
    : QWidget(parent),
      copyEnabled(false),
      magnification(1.0),
      arrowsEnabled(true),
      smooth(false),
      pressed(false),
      dragging(false),
      upButton(nullptr),
      downButton(nullptr),
      leftButton(nullptr),
      rightButton(nullptr)
{
    upButton = makeArrow("icon_arrow_up.png", &KyImageView::onUp);
    downButton = makeArrow("icon_arrow_down.png", &KyImageView::onDown);
    leftButton = makeArrow("icon_arrow_left.png", &KyImageView::onLeft);
    rightButton = makeArrow("icon_arrow_right.png", &KyImageView::onRight);

    // Nothing starts these timers; a press stops them.
    backTimer.setInterval(10);
    inertiaTimer.setInterval(10);
    connect(&backTimer, &QTimer::timeout, this, &KyImageView::onBackTimer);
    connect(&inertiaTimer, &QTimer::timeout, this, &KyImageView::onInertiaTimer);
}

KyImageView::~KyImageView()
{
    // Oldest first; each overlay's destructor unregisters whatever entries of it remain.
    while (!overlays.isEmpty())
        delete overlays.takeFirst();
}

KyButton *KyImageView::makeArrow(const char *iconName, void (KyImageView::*slot)())
{
    const QString folder = QStringLiteral(":/KYParts/Resources/");
    const QList<QImage> skin{KySkin::image(folder + QLatin1String("btn_trp_on.png")),
                             KySkin::image(folder + QLatin1String("btn_trp_off.png"))};
    auto *button = new KyButton(this);
    button->setBackground(skin, 0, 0, 0, 0);
    button->resize(skin.first().size());
    button->setAutoRepeat(true);
    button->setIcon(QPixmap(folder + QLatin1String(iconName)));
    button->hide();
    connect(button, &KyButton::clicked, this, slot);
    return button;
}

void KyImageView::setImage(const QImage &newImage)
{
    image = newImage;
    dropScaledCache();
    updateArrows();
    centerPoint = imageCenter();
    update();
}

void KyImageView::clear()
{
    image = QImage();
    dropScaledCache();
    offset = QPoint(0, 0);
    centerPoint = QPoint(0, 0);
    updateArrows();
}

double KyImageView::fitToWindow()
{
    if (image.isNull())
        return 0.0;
    centerPoint = imageCenter();
    offset = QPoint(0, 0);
    setMagnification(1.0);
    return scale();
}

void KyImageView::setMagnification(double factor)
{
    if (image.isNull() || !std::isfinite(factor) || factor <= 0.0)
        return;
    magnification = factor;
    centerOn(centerPoint);
    updateArrows();
    update();
}

void KyImageView::setScale(double newScale)
{
    setMagnification(newScale / baseMagnification());
}

double KyImageView::baseMagnification() const
{
    // A side of one pixel leaves no room (width - 1 would be 0): treat it like an empty widget.
    if (width() <= 1 || height() <= 1 || image.isNull())
        return 1.0;
    return std::min(double(width() - 1) / image.width(), double(height() - 1) / image.height());
}

double KyImageView::scale() const
{
    return baseMagnification() * magnification;
}

int KyImageView::scaledWidth() const
{
    return KyRounding::truncatedHalfUp(scale() * image.width());
}

int KyImageView::scaledHeight() const
{
    return KyRounding::truncatedHalfUp(scale() * image.height());
}

QRect KyImageView::imageCanvasRect() const
{
    return QRect(QPoint(0, 0), QPoint(scaledWidth(), scaledHeight()));
}

void KyImageView::centerOn(const QPoint &imagePoint)
{
    const int sw = scaledWidth();
    const int sh = scaledHeight();
    if (sw <= width() && sh <= height()) {
        offset = QPoint(KyRounding::flooredHalfUp((sw - width()) / 2.0),
                        KyRounding::flooredHalfUp((sh - height()) / 2.0));
    } else {
        // Not clamped: right after a zoom an edge may show an empty band until the next scroll.
        const double s = scale();
        offset = QPoint(nearest(imagePoint.x() * s) - width() / 2,
                        nearest(imagePoint.y() * s) - height() / 2);
    }
    centerPoint = imageCenter();
    update();
}

QPoint KyImageView::imageCenter() const
{
    return mapToImage(width() / 2, height() / 2);
}

bool KyImageView::isInsideImage(const QPoint &imagePoint) const
{
    return imagePoint.x() >= 0 && imagePoint.x() < image.width() && imagePoint.y() >= 0
           && imagePoint.y() < image.height();
}

void KyImageView::setSmoothTransform(bool on)
{
    if (smooth == on)
        return;
    smooth = on;
    update();
}

void KyImageView::showArrows()
{
    arrowsEnabled = true;
    updateArrows();
}

void KyImageView::hideArrows()
{
    arrowsEnabled = false;
    updateArrows();
}

void KyImageView::copyToClipboard()
{
    // Without an image there is nothing to copy, and the user's clipboard stays as it is.
    if (image.isNull())
        return;
    const int sw = scaledWidth();
    const int sh = scaledHeight();
    const qint64 bytesPerLine = (qint64(sw) * 24 + 31) / 32 * 4;
    if (sw <= 0 || sh <= 0 || bytesPerLine * sh > kMaxCopyBytes) {
        qWarning("KyImageView::copyToClipboard(): a copy of %d x %d pixels is too large; "
                 "the clipboard is left as it is", sw, sh);
        return;
    }
    QImage copy(sw, sh, QImage::Format_RGB888);
    if (copy.isNull()) {
        qWarning("KyImageView::copyToClipboard(): cannot allocate a copy of %d x %d pixels; "
                 "the clipboard is left as it is", sw, sh);
        return;
    }
    copy.fill(Qt::white);
    QPainter painter(&copy);
    // The drawing translates by -offset; this cancels it, so the whole image lands on the copy.
    painter.setTransform(QTransform::fromTranslate(offset.x(), offset.y()));
    drawContents(painter, false);
    painter.end();
    QGuiApplication::clipboard()->setImage(copy, QClipboard::Clipboard);
}

void KyImageView::addOverlay(OverlapView *overlay)
{
    overlays.append(overlay);
}

void KyImageView::removeOverlay(OverlapView *overlay)
{
    overlays.removeAll(overlay);
}

QPoint KyImageView::mapToImage(int x, int y) const
{
    const double s = scale();
    return QPoint(KyRounding::flooredHalfUp((double(offset.x()) + x) / s),
                  KyRounding::flooredHalfUp((double(offset.y()) + y) / s));
}

QPoint KyImageView::mapToImage(const QPoint &widgetPoint) const
{
    return mapToImage(widgetPoint.x(), widgetPoint.y());
}

QPoint KyImageView::mapFromImage(int x, int y) const
{
    const double s = scale();
    return QPoint(KyRounding::flooredHalfUp(s * x), KyRounding::flooredHalfUp(s * y));
}

QPoint KyImageView::mapFromImage(const QPoint &imagePoint) const
{
    return mapFromImage(imagePoint.x(), imagePoint.y());
}

QPoint KyImageView::mapToWidget(const QPoint &imagePoint) const
{
    return mapFromImage(imagePoint) - offset;
}

int KyImageView::lengthToCanvas(int length) const
{
    return KyRounding::flooredHalfUp(scale() * length);
}

int KyImageView::lengthToImage(int length) const
{
    return KyRounding::flooredHalfUp(length / scale());
}

QSize KyImageView::sizeToImage(const QSize &size) const
{
    return QSize(lengthToImage(size.width()), lengthToImage(size.height()));
}

void KyImageView::scrollTo(QPoint pos)
{
    if (image.isNull() || pos == offset)
        return;
    // An axis in which the image fits keeps its centring offset.
    if (scaledWidth() > width())
        offset.setX(std::clamp(pos.x(), 0, maxScrollX()));
    if (scaledHeight() > height())
        offset.setY(std::clamp(pos.y(), 0, maxScrollY()));
    centerPoint = imageCenter();
    update();
}

void KyImageView::scrollBy(int dx, int dy)
{
    scrollTo(offset + QPoint(dx, dy));
    emit scrolled(offset);
}

void KyImageView::onUp()
{
    scrollBy(0, -kArrowStep);
}

void KyImageView::onDown()
{
    scrollBy(0, kArrowStep);
}

void KyImageView::onLeft()
{
    scrollBy(-kArrowStep, 0);
}

void KyImageView::onRight()
{
    scrollBy(kArrowStep, 0);
}

void KyImageView::onBackTimer()
{
}

void KyImageView::onInertiaTimer()
{
}

void KyImageView::placeArrows()
{
    const int w = width();
    const int h = height();
    upButton->move((w - upButton->width()) / 2, kArrowMargin);
    downButton->move((w - downButton->width()) / 2, h - downButton->height() - kArrowMargin);
    leftButton->move(kArrowMargin, (h - leftButton->height()) / 2);
    rightButton->move(w - rightButton->width() - kArrowMargin, (h - rightButton->height()) / 2);
}

void KyImageView::updateArrows()
{
    const bool across = arrowsEnabled && scaledWidth() > width();
    const bool down = arrowsEnabled && scaledHeight() > height();
    leftButton->setVisible(across);
    rightButton->setVisible(across);
    upButton->setVisible(down);
    downButton->setVisible(down);
}

bool KyImageView::offerToOverlays(MouseHook hook, const QPoint &widgetPoint)
{
    const QPoint imagePoint = mapToImage(widgetPoint);
    // A handler may add or remove (and delete) overlays: walk a copy, and skip entries that have
    // left the live list meanwhile.
    const QList<OverlapView *> walk = overlays;
    for (qsizetype i = walk.size() - 1; i >= 0; --i) {
        OverlapView *overlay = walk.at(i);
        if (!overlay || !overlays.contains(overlay) || !overlay->isEnabled())
            continue;
        bool taken = false;
        switch (hook) {
        case MouseHook::Press:
            taken = overlay->onMousePress(imagePoint);
            break;
        case MouseHook::Move:
            taken = overlay->onMouseMove(imagePoint);
            break;
        case MouseHook::Release:
            taken = overlay->onMouseRelease(imagePoint);
            break;
        }
        if (taken)
            return true;
    }
    return false;
}

void KyImageView::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    const QPoint pos = event->position().toPoint();
    if (offerToOverlays(MouseHook::Press, pos))
        return;
    inertiaTimer.stop();
    backTimer.stop();
    pressed = true;
    pressPos = pos;
    pressOffset = offset;
    lastMovePos = pos;
    lastMoveTime.start();
}

void KyImageView::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (!lastMoveTime.isValid() || lastMoveTime.elapsed() > kMoveSampleInterval) {
        lastMovePos = pos;
        lastMoveTime.start();
    }
    if (pressed && (width() < scaledWidth() || height() < scaledHeight()))
        dragging = true;
    if (dragging) {
        event->accept();
        scrollTo(pressOffset + pressPos - pos);
        return;
    }
    if (offerToOverlays(MouseHook::Move, pos))
        event->accept();
    else
        event->ignore();
}

void KyImageView::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    pressed = false;
    const QPoint pos = event->position().toPoint();
    if (!dragging && offerToOverlays(MouseHook::Release, pos))
        return;
    if (!dragging && pos == lastMovePos) {
        emit clicked(mapToImage(pos));
        pressed = false;
        dragging = false;
        pressOffset = QPoint(0, 0);
        pressPos = QPoint(0, 0);
        return;
    }
    dragging = false;
    pressOffset = QPoint(0, 0);
    pressPos = QPoint(0, 0);
    emit scrolled(offset);
}

void KyImageView::wheelEvent(QWheelEvent *event)
{
    // 15 canvas pixels per standard notch of 120; the wheel pans against its sign and never zooms.
    const QPoint delta = event->angleDelta();
    const bool horizontal = std::abs(delta.x()) > std::abs(delta.y());
    const int d = (horizontal ? delta.x() : delta.y()) / 8;
    if (horizontal) {
        if (width() < scaledWidth())
            scrollTo(offset + QPoint(-d, 0));
    } else if (height() < scaledHeight()) {
        scrollTo(offset + QPoint(0, -d));
    }
}

void KyImageView::keyPressEvent(QKeyEvent *event)
{
    if (copyEnabled && event->matches(QKeySequence::Copy)) {
        copyToClipboard();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void KyImageView::contextMenuEvent(QContextMenuEvent *event)
{
    if (!copyEnabled) {
        QWidget::contextMenuEvent(event);
        return;
    }
    if (runCopyMenu(this, tr("Copy"), event->globalPos()))
        copyToClipboard();
}

void KyImageView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    event->accept();
    placeArrows();
    centerOn(centerPoint);
    updateArrows();
    emit resized();
}

void KyImageView::paintEvent(QPaintEvent *event)
{
    event->accept();
    QPainter painter(this);
    drawContents(painter, true);
}

void KyImageView::drawContents(QPainter &painter, bool fromCache)
{
    painter.translate(-offset);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    if (image.isNull()) {
        painter.fillRect(QRect(offset, size()), Qt::white);
    } else {
        const QRect visible = QRect(offset, size()) & imageCanvasRect();
        if (fromCache && !visible.isEmpty())
            updateScaledCache(visible);
        if (fromCache && scaledCacheRect.isValid() && scaledCacheRect.contains(visible)) {
            painter.drawImage(visible.topLeft(), scaledCache,
                              visible.translated(-scaledCacheRect.topLeft()));
        } else if (!fromCache || !visible.isEmpty()) {
            painter.drawImage(imageCanvasRect(), image);
        }
    }
    const double s = scale();
    const QList<OverlapView *> walk = overlays;
    for (OverlapView *overlay : walk) {
        if (!overlay || !overlays.contains(overlay) || !overlay->isVisible())
            continue;
        overlay->paint(&painter, s);
    }
}

void KyImageView::updateScaledCache(const QRect &visibleCanvasRect)
{
    const double s = scale();
    const bool sameScale = scaledCacheRect.isValid() && scaledCacheScale == s && scaledCacheSmooth == smooth;
    if (sameScale && scaledCacheRect.contains(visibleCanvasRect))
        return;
    // A pan past the cached part scales an eighth of the widget more on each side, so that the
    // next short pans (arrows, wheel, a drag) and the overlays' repaints reuse it. A new scale
    // or image scales the visible part only: a zoom step costs no more than a plain draw.
    const int mx = sameScale ? std::max(32, width() / 8) : 0;
    const int my = sameScale ? std::max(32, height() / 8) : 0;
    const QRect area = visibleCanvasRect.adjusted(-mx, -my, mx, my) & imageCanvasRect();
    // The display format: an 8-bit image is scaled into it once here, not at every repaint.
    const bool alpha = image.hasAlphaChannel();
    const QImage::Format format = alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    // Reused when it has the size: a fresh buffer costs its page faults at every zoom step.
    if (scaledCache.size() != area.size() || scaledCache.format() != format)
        scaledCache = QImage(area.size(), format);
    if (scaledCache.isNull()) {
        // No memory for the copy: draw straight from the image.
        dropScaledCache();
        return;
    }
    if (alpha)
        scaledCache.fill(Qt::transparent);
    QPainter painter(&scaledCache);
    painter.translate(-area.topLeft());
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    // The same call as a direct draw, clipped to the cached area: the same pixels (smooth scaling
    // may differ by a level, as it rounds its sample positions from the device origin).
    painter.drawImage(imageCanvasRect(), image);
    painter.end();
    scaledCacheRect = area;
    scaledCacheScale = s;
    scaledCacheSmooth = smooth;
}

void KyImageView::dropScaledCache()
{
    // The buffer stays for reuse; an empty rectangle makes it stale.
    scaledCacheRect = QRect();
    scaledCacheScale = 0.0;
}
