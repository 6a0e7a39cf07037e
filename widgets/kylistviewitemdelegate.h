#pragma once

#include <QStyledItemDelegate>

// Draws an item as picked when the model says so (KyItemRole::kRole_ItemSelected), its text in its
// own colour; the list view itself selects nothing.
class KyListViewItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit KyListViewItemDelegate(QObject *parent = nullptr);
    ~KyListViewItemDelegate() override;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
