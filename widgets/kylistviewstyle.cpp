#include "widgets/kylistviewstyle.h"

#include <QPainter>
#include <QStyleOptionViewItem>

KyListViewStyle::KyListViewStyle(int frameRightAdjust, QObject *owner)
    : KyItemViewStyle(owner)
    , mFrameRightAdjust(frameRightAdjust)
{
}

KyListViewStyle::~KyListViewStyle() = default;

QRect KyListViewStyle::subControlRect(ComplexControl control, const QStyleOptionComplex *option,
                                      SubControl subControl, const QWidget *widget) const
{
    if (control != CC_ScrollBar)
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    const auto *bar = qstyleoption_cast<const QStyleOptionSlider *>(option);
    if (!bar)
        return {};

    // Always the vertical geometry, whatever the option's orientation.
    const int b = skins().downPressed.height();
    const int s = sliderLength();
    const int w = bar->rect.width();
    const int h = bar->rect.height();
    const int span = (bar->orientation == Qt::Vertical ? h : w) - 2 * b;
    const int pos = sliderPositionFromValue(bar->minimum, bar->maximum, bar->sliderPosition, span - s,
                                            bar->upsideDown) + b;
    QRect rect;
    switch (subControl) {
    case SC_ScrollBarAddLine: {
        const QSize up = skins().upPressed.size();
        rect = QRect(0, h - up.height(), up.width(), up.height());
        break;
    }
    case SC_ScrollBarSubLine:
        rect = QRect(QPoint(0, 0), skins().downPressed.size());
        break;
    case SC_ScrollBarAddPage:
        rect = QRect(0, pos + s, w, span - pos - s + b);
        break;
    case SC_ScrollBarSubPage:
        rect = QRect(0, b, w, pos - b);
        break;
    case SC_ScrollBarSlider:
        rect = QRect(0, pos, w, s);
        break;
    case SC_ScrollBarGroove:
        rect = QRect(0, b, w, h - 2 * b);
        break;
    default:
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    }
    return visualRect(bar->direction, bar->rect, rect);
}

void KyListViewStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                                  const QWidget *widget) const
{
    if (!option || !painter)
        return;
    const QRect rect = option->rect;
    const bool pressed = option->state & State_Sunken;
    bool scrollPart = true;
    switch (element) {
    case CE_ScrollBarAddLine:
        painter->fillRect(rect, QColor(pressed ? kListPressedColor : kListButtonColor));
        painter->drawPixmap(rect, pressed ? skins().downPressed : skins().downNormal);
        break;
    case CE_ScrollBarSubLine:
        painter->fillRect(rect, QColor(pressed ? kListPressedColor : kListButtonColor));
        painter->drawPixmap(rect, pressed ? skins().upPressed : skins().upNormal);
        break;
    case CE_ScrollBarSlider:
        painter->fillRect(rect, QColor(pressed ? kListPressedColor : kListButtonColor));
        painter->drawPixmap(rect, pressed ? skins().sliderPressed : skins().slider);
        break;
    case CE_ScrollBarAddPage:
    case CE_ScrollBarSubPage:
        if (!pressed)
            painter->fillRect(rect, QColor(kListPageColor));
        break;
    case CE_ShapedFrame: {
        const QPen oldPen = painter->pen();
        const QBrush oldBrush = painter->brush();
        painter->setPen(QPen(QColor(kListEdgeColor), 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(rect.adjusted(0, 0, mFrameRightAdjust, 0));
        painter->setBrush(oldBrush);
        painter->setPen(oldPen);
        return;
    }
    default:
        scrollPart = false;
        break;
    }
    if (!scrollPart) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    // Every scroll bar part ends with a line along its left edge.
    const QPen oldPen = painter->pen();
    painter->setPen(QPen(QColor(kListEdgeColor), 3));
    painter->drawLine(rect.bottomLeft(), rect.topLeft());
    painter->setPen(oldPen);
}

void KyListViewStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                                    const QWidget *widget) const
{
    if (!painter)
        return;
    const auto *item = qstyleoption_cast<const QStyleOptionViewItem *>(option);
    if (element != PE_PanelItemViewItem || !item) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const QRect rect = item->rect;
    if (item->showDecorationSelected && (item->state & State_Selected)) {
        painter->fillRect(rect, QColor(kListSelectionColor));
        painter->save();
        QPen pen = painter->pen();
        pen.setColor(QColor(kListSelectionFrameColor));
        pen.setWidth(3);
        painter->setPen(pen);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(rect.adjusted(0, 0, -1, -1));
        painter->restore();
        return;
    }
    drawItemBackground(item, painter, widget);
    painter->save();
    if (item->index.row() % 2 == 1)
        painter->fillRect(rect, QColor(kListAlternateColor));
    QPen separator{QColor(kListSeparatorColor)};
    separator.setCosmetic(true);
    painter->setPen(separator);
    painter->drawLine(rect.x(), rect.y() + rect.height() - 1, rect.x() + rect.width(), rect.y() + rect.height() - 1);
    painter->restore();
}
