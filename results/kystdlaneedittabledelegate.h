#pragma once

#include <QItemDelegate>

// Paints the MW-standard editing table: column 2 carries the delete icon over its text, the other
// columns right-align their text.
class KyStdLaneEditTableDelegate : public QItemDelegate
{
    Q_OBJECT

public:
    KyStdLaneEditTableDelegate();
    ~KyStdLaneEditTableDelegate() override;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
