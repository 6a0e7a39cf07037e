#include "widgets/kytableviewitemdelegate.h"

#include "widgets/kyitemroles.h"
#include "widgets/kypickeditemoption.h"

KyTableViewItemDelegate::KyTableViewItemDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

KyTableViewItemDelegate::~KyTableViewItemDelegate() = default;

void KyTableViewItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    QStyledItemDelegate::paint(painter, pickedItemOption(option, index, KyItemRole::kRole_RowSelected), index);
}
