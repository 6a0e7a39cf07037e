#include "widgets/kylistview.h"

#include "widgets/kyitemroles.h"
#include "widgets/kylistviewitemdelegate.h"
#include "widgets/kylistviewstyle.h"

#include <QMouseEvent>
#include <QScrollBar>

namespace {

// The shell's capture-folder list model, known by its class name so that the widget library does
// not depend on the shell. Its nested selected-items model is not one (it only shows the picks).
bool togglesOnClick(const QAbstractItemModel *model)
{
    return model && model->inherits("KyImageFileListModel");
}

} // namespace

KyListView::KyListView(QWidget *parent)
    : QListView(parent)
{
    // The styles and the delegate are owned by the widgets that use them.
    setStyle(new KyListViewStyle(0, this));
    verticalScrollBar()->setStyle(new KyListViewStyle(0, verticalScrollBar()));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setViewportMargins(0, 0, 0, 0);
    setFocusPolicy(Qt::NoFocus);
    setSelectionMode(QAbstractItemView::NoSelection);
    setItemDelegate(new KyListViewItemDelegate(this));
}

KyListView::~KyListView() = default;

void KyListView::mousePressEvent(QMouseEvent *event)
{
    QAbstractItemModel *items = model();
    if (mToggleOnClick && togglesOnClick(items) && items->rowCount() > 0) {
        const QModelIndex index = indexAt(event->position().toPoint());
        if (index.isValid())
            items->setData(index, !index.data(KyItemRole::kRole_ItemSelected).toBool(),
                           KyItemRole::kRole_ItemSelected);
    }
    QListView::mousePressEvent(event);
}

void KyListView::paintEvent(QPaintEvent *event)
{
    QListView::paintEvent(event);
}
