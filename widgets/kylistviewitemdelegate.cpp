#include "widgets/kylistviewitemdelegate.h"

#include "widgets/kyitemroles.h"
#include "widgets/kypickeditemoption.h"

KyListViewItemDelegate::KyListViewItemDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

KyListViewItemDelegate::~KyListViewItemDelegate() = default;

void KyListViewItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                   const QModelIndex &index) const
{
    QStyledItemDelegate::paint(painter, pickedItemOption(option, index, KyItemRole::kRole_ItemSelected), index);
}
