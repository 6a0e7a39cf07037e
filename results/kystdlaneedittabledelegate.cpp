#include "results/kystdlaneedittabledelegate.h"

#include <QPixmap>

KyStdLaneEditTableDelegate::KyStdLaneEditTableDelegate() = default;

KyStdLaneEditTableDelegate::~KyStdLaneEditTableDelegate() = default;

void KyStdLaneEditTableDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                       const QModelIndex &index) const
{
    const QString text = index.data(Qt::DisplayRole).toString();
    if (index.column() == 2) {
        const QPixmap icon(QStringLiteral(":/Kestova/Images/icon_delete.png"));
        drawDisplay(painter, option, option.rect, text);
        drawDecoration(painter, option, option.rect, icon);
        return;
    }
    QStyleOptionViewItem aligned(option);
    aligned.displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
    drawDisplay(painter, aligned, aligned.rect, text);
    drawFocus(painter, aligned, aligned.rect);
}
