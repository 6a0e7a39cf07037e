#include "widgets/kyitemviewstyle.h"

#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionSlider>
#include <QStyleOptionViewItem>
#include <QWidget>

#include <cmath>

KyItemViewStyle::KyItemViewStyle(QObject *owner)
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Windows")))
{
    setParent(owner);
    const QString dir = QStringLiteral(":/KYParts/Resources/");
    mSkins.downNormal = QPixmap(dir + QStringLiteral("scroll_btn_down_normal.png"));
    mSkins.downPressed = QPixmap(dir + QStringLiteral("scroll_btn_down_pressed.png"));
    mSkins.upNormal = QPixmap(dir + QStringLiteral("scroll_btn_up_normal.png"));
    mSkins.upPressed = QPixmap(dir + QStringLiteral("scroll_btn_up_pressed.png"));
    mSkins.slider = QPixmap(dir + QStringLiteral("scroll_slider.png"));
    mSkins.sliderPressed = QPixmap(dir + QStringLiteral("scroll_slider_pressed.png"));
}

KyItemViewStyle::~KyItemViewStyle() = default;

int KyItemViewStyle::pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const
{
    if (metric == PM_ScrollBarExtent)
        return scrollBarExtent();
    return QProxyStyle::pixelMetric(metric, option, widget);
}

QRect KyItemViewStyle::subControlRect(ComplexControl control, const QStyleOptionComplex *option,
                                      SubControl subControl, const QWidget *widget) const
{
    if (control != CC_ScrollBar)
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    const auto *bar = qstyleoption_cast<const QStyleOptionSlider *>(option);
    if (!bar)
        return {};
    const std::optional<QRect> rect = scrollBarRect(bar, subControl);
    if (!rect)
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    if (rect->isNull())
        return {};
    return visualRect(bar->direction, bar->rect, *rect);
}

int KyItemViewStyle::sliderStart(const QStyleOptionSlider *bar, int length, int leading)
{
    return sliderPositionFromValue(bar->minimum, bar->maximum, bar->sliderPosition, length, bar->upsideDown)
        + leading;
}

QPalette::ColorGroup KyItemViewStyle::itemColorGroup(const QStyleOptionViewItem *option, const QWidget *widget)
{
    const bool enabled = widget ? widget->isEnabled() : bool(option->state & State_Enabled);
    if (!enabled)
        return QPalette::Disabled;
    return (option->state & State_Active) ? QPalette::Active : QPalette::Inactive;
}

void KyItemViewStyle::drawItemBackground(const QStyleOptionViewItem *option, QPainter *painter,
                                         const QWidget *widget) const
{
    if (option->backgroundBrush.style() != Qt::NoBrush) {
        const QPointF oldOrigin = painter->brushOrigin();
        painter->setBrushOrigin(option->rect.topLeft());
        painter->fillRect(option->rect, option->backgroundBrush);
        painter->setBrushOrigin(oldOrigin);
    }
    if (option->state & State_Selected) {
        const QRect textRect = proxy()->subElementRect(SE_ItemViewItemText, option, widget);
        painter->fillRect(textRect, option->palette.brush(itemColorGroup(option, widget), QPalette::Highlight));
    }
}

int KyItemViewStyle::halfUp(int value)
{
    return int(std::floor(value / 2.0 + 0.5));
}
