#pragma once

#include <QItemDelegate>

// Paints the standard-lane list: a check-box picture for the item's check state at the left, the
// text right-aligned; no focus frame.
class KyStdLaneViewDelegate : public QItemDelegate
{
    Q_OBJECT

public:
    KyStdLaneViewDelegate();
    ~KyStdLaneViewDelegate() override;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
