#include "widgets/kylistviewstyle.h"

#include <QPainter>
#include <QStyleOptionSlider>
#include <QStyleOptionViewItem>

KyListViewStyle::KyListViewStyle(int frameRightAdjust, QObject *owner)
    : KyItemViewStyle(owner)
    , mFrameRightAdjust(frameRightAdjust)
{
}

KyListViewStyle::~KyListViewStyle() = default;

std::optional<QRect> KyListViewStyle::scrollBarRect(const QStyleOptionSlider *bar, SubControl subControl) const
{
    // Always the vertical geometry, whatever the option's orientation.
    const int b = skins().downPressed.height();
    const int s = sliderLength();
    const int w = bar->rect.width();
    const int h = bar->rect.height();
    const int span = (bar->orientation == Qt::Vertical ? h : w) - 2 * b;
    const int pos = sliderStart(bar, span - s, b);
    switch (subControl) {
    case SC_ScrollBarAddLine: {
        const QSize up = skins().upPressed.size();
        return QRect(0, h - up.height(), up.width(), up.height());
    }
    case SC_ScrollBarSubLine:
        return QRect(QPoint(0, 0), skins().downPressed.size());
    case SC_ScrollBarAddPage:
        return QRect(0, pos + s, w, span - pos - s + b);
    case SC_ScrollBarSubPage:
        return QRect(0, b, w, pos - b);
    case SC_ScrollBarSlider:
        return QRect(0, pos, w, s);
    case SC_ScrollBarGroove:
        return QRect(0, b, w, h - 2 * b);
    default:
        return std::nullopt;
    }
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
