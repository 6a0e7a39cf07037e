#pragma once

#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>

// Where the style of a shown scroll bar puts one of its parts.
inline QRect scrollBarPart(const QScrollBar *bar, QStyle::SubControl part)
{
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar);
}
