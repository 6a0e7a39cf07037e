#include "widgets/kytableviewitemdelegate.h"

#include "widgets/kyitemroles.h"

KyTableViewItemDelegate::KyTableViewItemDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

KyTableViewItemDelegate::~KyTableViewItemDelegate() = default;

void KyTableViewItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    QStyleOptionViewItem picked(option);
    // A red row stays red when picked. A model without a text colour keeps the palette's.
    const QVariant foreground = index.data(Qt::ForegroundRole);
    if (foreground.canConvert<QColor>())
        picked.palette.setColor(QPalette::HighlightedText, foreground.value<QColor>());
    if (index.data(KyItemRole::kRole_RowSelected).toBool())
        picked.state |= QStyle::State_Selected;
    else
        picked.state &= ~QStyle::State_Selected;
    QStyledItemDelegate::paint(painter, picked, index);
}
