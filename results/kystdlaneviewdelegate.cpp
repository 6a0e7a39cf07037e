#include "results/kystdlaneviewdelegate.h"

#include <QPixmap>

KyStdLaneViewDelegate::KyStdLaneViewDelegate() = default;

KyStdLaneViewDelegate::~KyStdLaneViewDelegate() = default;

void KyStdLaneViewDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // A cell without a check state reads 0: unchecked.
    const bool checked = index.data(Qt::CheckStateRole).toInt() != 0;
    const QPixmap box(checked ? QStringLiteral(":/KYParts/Resources/checkbox_on.png")
                              : QStringLiteral(":/KYParts/Resources/checkbox_off.png"));
    QStyleOptionViewItem aligned(option);
    aligned.displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
    drawDisplay(painter, aligned, aligned.rect, index.data(Qt::DisplayRole).toString());
    aligned.decorationAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    drawDecoration(painter, aligned, aligned.rect, box);
}
