#pragma once

#include <QStyledItemDelegate>

// Draws a row as picked when the model says so (KyItemRole::kRole_RowSelected), whatever the view's
// own selection holds; a row keeps its text colour when picked.
class KyTableViewItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit KyTableViewItemDelegate(QObject *parent = nullptr);
    ~KyTableViewItemDelegate() override;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
