#include "widgets/kytableviewstyle.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionSlider>
#include <QStyleOptionViewItem>

namespace {

constexpr int kCornerRadius = 8;

// Draws an outline of the rectangle with the given pen and puts the painter's pen back.
void outline(QPainter *painter, const QRect &rect, const QPen &pen)
{
    const QPen oldPen = painter->pen();
    const QBrush oldBrush = painter->brush();
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(rect);
    painter->setBrush(oldBrush);
    painter->setPen(oldPen);
}

} // namespace

KyTableViewStyle::KyTableViewStyle(QObject *owner)
    : KyItemViewStyle(owner)
{
}

KyTableViewStyle::~KyTableViewStyle() = default;

std::optional<QRect> KyTableViewStyle::scrollBarRect(const QStyleOptionSlider *bar, SubControl subControl) const
{
    const int e = scrollBarExtent();
    const int s = sliderLength();
    const int w = bar->rect.width();
    const int h = bar->rect.height();
    const bool vertical = bar->orientation == Qt::Vertical;
    // The vertical bar runs beside the header row too; a horizontal bar has no such offset.
    const int offset = vertical ? kHeaderOffset : 0;
    const int span = (vertical ? h : w) - 2 * e - offset;
    const int pos = sliderStart(bar, span - s, e);

    QRect rect;
    if (vertical) {
        switch (subControl) {
        case SC_ScrollBarAddLine: {
            const int d = std::min(e, halfUp(h - offset));
            rect = QRect(0, bar->rect.bottom() - d, w, d);
            break;
        }
        case SC_ScrollBarSubLine:
            rect = QRect(0, offset, w, std::min(e, halfUp(h)));
            break;
        case SC_ScrollBarAddPage:
            rect = QRect(0, pos + s + offset, w, span - pos - s + e);
            break;
        case SC_ScrollBarSubPage:
            rect = QRect(0, e + offset, w, pos - e);
            break;
        case SC_ScrollBarSlider:
            rect = QRect(0, pos + offset, w, s);
            break;
        case SC_ScrollBarGroove:
            rect = QRect(0, e, w, h - 2 * e);
            break;
        default:
            break;
        }
    } else {
        const int d = std::min(e, halfUp(w));
        switch (subControl) {
        case SC_ScrollBarAddLine:
            rect = QRect(w - d, 0, d, h);
            break;
        case SC_ScrollBarSubLine:
            rect = QRect(0, 0, d, h);
            break;
        case SC_ScrollBarAddPage:
            rect = QRect(pos + s, 0, span - pos - s + e, h);
            break;
        case SC_ScrollBarSubPage:
            rect = QRect(e, 0, pos - e, h);
            break;
        case SC_ScrollBarSlider:
            rect = QRect(pos, 0, s, h);
            break;
        case SC_ScrollBarGroove:
            rect = QRect(e, 0, w - 2 * e, h);
            break;
        default:
            break;
        }
    }
    return rect; // the first and last parts get none
}

void KyTableViewStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                                   const QWidget *widget) const
{
    if (!painter)
        return;
    const QRect rect = option ? option->rect : QRect();
    const bool pressed = option && (option->state & State_Sunken);
    switch (element) {
    case CE_HeaderSection: {
        const auto *header = qstyleoption_cast<const QStyleOptionHeader *>(option);
        if (!header)
            break;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->fillRect(rect, QColor(kHeaderBackColor));
        QPainterPath rounded;
        rounded.addRoundedRect(rect, kCornerRadius, kCornerRadius);
        painter->fillPath(rounded, QColor(kHeaderColor));
        const bool first = header->position == QStyleOptionHeader::Beginning
            || header->position == QStyleOptionHeader::OnlyOneSection;
        const bool last = header->position == QStyleOptionHeader::End
            || header->position == QStyleOptionHeader::OnlyOneSection;
        const QSize corner(kCornerRadius, kCornerRadius);
        const QColor headerColor(kHeaderColor);
        // Only the table's outer top corners stay round.
        painter->fillRect(QRect(QPoint(rect.left(), rect.bottom() - kCornerRadius + 1), corner), headerColor);
        painter->fillRect(QRect(QPoint(rect.right() - kCornerRadius + 1, rect.bottom() - kCornerRadius + 1), corner),
                          headerColor);
        if (!first)
            painter->fillRect(QRect(rect.topLeft(), corner), headerColor);
        if (!last)
            painter->fillRect(QRect(QPoint(rect.right() - kCornerRadius + 1, rect.top()), corner), headerColor);
        painter->setPen(QPen(Qt::white, 0.5));
        if (!last) // the first and middle sections
            painter->drawLine(rect.topRight(), rect.bottomRight());
        if (!first) // middle sections and the last
            painter->drawLine(rect.topLeft(), rect.bottomLeft());
        painter->restore();
        return;
    }
    case CE_HeaderLabel: {
        const auto *header = qstyleoption_cast<const QStyleOptionHeader *>(option);
        if (!header)
            break;
        painter->save();
        QFont font = painter->font();
        if (font.pointSizeF() > 0)
            font.setPointSizeF(font.pointSizeF() + 1);
        font.setBold(true);
        painter->setFont(font);
        QPalette palette = header->palette;
        palette.setColor(QPalette::ButtonText, Qt::white);
        proxy()->drawItemText(painter, rect, int(header->textAlignment), palette,
                              header->state & State_Enabled, header->text, QPalette::ButtonText);
        painter->restore();
        return;
    }
    case CE_ScrollBarAddLine:
        painter->drawPixmap(rect, pressed ? skins().downPressed : skins().downNormal);
        outline(painter, rect, QPen(QColor(kLineColor), 2));
        return;
    case CE_ScrollBarSubLine:
        if (pressed) {
            painter->fillRect(rect, QColor(kPressedColor));
            painter->drawPixmap(rect, skins().upPressed);
            QPen cosmetic{QColor(kPressedColor)};
            cosmetic.setCosmetic(true);
            outline(painter, rect, cosmetic);
        } else {
            // The strip beside the header row.
            painter->fillRect(QRect(rect.x(), 0, rect.width(), kHeaderOffset), QColor(kCornerColor));
            painter->fillRect(rect, QColor(kHeaderColor));
            painter->drawPixmap(rect, skins().upNormal);
            outline(painter, rect, QPen(QColor(kLineColor), 2));
        }
        return;
    case CE_ScrollBarAddPage:
    case CE_ScrollBarSubPage:
        if (!pressed)
            painter->fillRect(rect, QColor(kPageColor));
        outline(painter, rect, QPen(QColor(kLineColor), 2));
        return;
    case CE_ScrollBarSlider:
        painter->fillRect(rect, QColor(pressed ? kPressedColor : kHeaderColor));
        outline(painter, rect, QPen(QColor(kLineColor), pressed ? 1 : 2));
        return;
    case CE_ScrollBarLast:
        return;
    case CE_ShapedFrame: {
        const auto *frame = qstyleoption_cast<const QStyleOptionFrame *>(option);
        if (!frame)
            break;
        const int line = frame->lineWidth;
        QRect box = rect;
        box.setLeft(box.left() + line);
        box.setRight(box.right() - 2 * line);
        box.setBottom(box.bottom() - 2 * line);
        box.setTop(line + 23); // below the header row
        outline(painter, box, QPen(QColor(kLineColor), 1));
        return;
    }
    default:
        break;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void KyTableViewStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                                     const QWidget *widget) const
{
    if (!painter)
        return;
    switch (element) {
    case PE_IndicatorHeaderArrow: {
        const auto *header = qstyleoption_cast<const QStyleOptionHeader *>(option);
        if (!header)
            break;
        painter->save();
        painter->setPen(Qt::white);
        painter->translate(0, header->rect.height() / 2 - 4);
        const int x = header->rect.x();
        const int y = header->rect.y();
        // Rows of a five-pixel triangle, widest first for the up indicator.
        const bool up = header->sortIndicator == QStyleOptionHeader::SortUp;
        for (int row = 0; row < 4; ++row) {
            const int rowY = up ? y + row : y + 4 - row;
            painter->drawLine(x + row, rowY, x + 8 - row, rowY);
        }
        painter->drawPoint(x + 4, up ? y + 4 : y);
        painter->restore();
        return;
    }
    case PE_PanelScrollAreaCorner:
        if (qstyleoption_cast<const QStyleOptionViewItem *>(option))
            painter->drawRect(option->rect);
        return;
    case PE_PanelItemViewItem: {
        const auto *item = qstyleoption_cast<const QStyleOptionViewItem *>(option);
        if (!item)
            break;
        if (item->showDecorationSelected && (item->state & State_Selected)) {
            painter->fillRect(item->rect, QColor(kSelectionColor));
            return;
        }
        drawItemBackground(item, painter, widget);
        return;
    }
    default:
        break;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}
