#include "widgets/kypickeditemoption.h"

QStyleOptionViewItem pickedItemOption(const QStyleOptionViewItem &option, const QModelIndex &index,
                                      int pickedRole)
{
    QStyleOptionViewItem picked(option);
    const QVariant foreground = index.data(Qt::ForegroundRole);
    picked.palette.setColor(QPalette::HighlightedText, foreground.canConvert<QColor>()
                                                           ? foreground.value<QColor>()
                                                           : picked.palette.color(QPalette::Text));
    if (index.data(pickedRole).toBool())
        picked.state |= QStyle::State_Selected;
    else
        picked.state &= ~QStyle::State_Selected;
    return picked;
}
