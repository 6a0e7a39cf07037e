#include "widgets/kylistviewitemdelegate.h"

#include "widgets/kyitemroles.h"

KyListViewItemDelegate::KyListViewItemDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

KyListViewItemDelegate::~KyListViewItemDelegate() = default;

void KyListViewItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                   const QModelIndex &index) const
{
    QStyleOptionViewItem picked(option);
    // The picked fill is light: the text keeps its own dark colour on it, as the table's does,
    // instead of the palette's highlighted-text white.
    const QVariant foreground = index.data(Qt::ForegroundRole);
    picked.palette.setColor(QPalette::HighlightedText, foreground.canConvert<QColor>()
                                                           ? foreground.value<QColor>()
                                                           : picked.palette.color(QPalette::Text));
    if (index.data(KyItemRole::kRole_ItemSelected).toBool())
        picked.state |= QStyle::State_Selected;
    else
        picked.state &= ~QStyle::State_Selected;
    QStyledItemDelegate::paint(painter, picked, index);
}
