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
    if (index.data(KyItemRole::kRole_ItemSelected).toBool())
        picked.state |= QStyle::State_Selected;
    else
        picked.state &= ~QStyle::State_Selected;
    QStyledItemDelegate::paint(painter, picked, index);
}
