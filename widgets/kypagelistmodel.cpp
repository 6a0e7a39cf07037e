#include "widgets/kypagelistmodel.h"

#include "platform/logcategories.h"

#include <QDebug>

#include <algorithm>

KyPageListModel::KyPageListModel(QObject *parent, int inPageLimit, int inPageSize)
    : QAbstractListModel(parent)
    , pageLimit(inPageLimit)
    , pageSize(std::max(1, inPageSize)) // every page maps through a division by it
{
}

KyPageListModel::~KyPageListModel() = default;

int KyPageListModel::TotalCount() const
{
    return 0;
}

int KyPageListModel::MaxPageIndex() const
{
    const int total = TotalCount();
    if (total <= 0)
        return 0;
    return std::max(0, std::min(pageLimit, (total - 1) / pageSize));
}

int KyPageListModel::rowCount(const QModelIndex &) const
{
    // The rows of the whole list that fall on the current page: a full page, the remainder on the
    // last page, and none on a page that lies past the end (after the list shrank). A page limit
    // below the last page does not shorten the limiting page.
    const qint64 left = qint64(TotalCount()) - qint64(pageIndex) * pageSize;
    return int(std::clamp<qint64>(left, 0, pageSize));
}

bool KyPageListModel::ToSourceRow(int row, int *sourceRow) const
{
    if (row < 0) {
        if (sourceRow)
            *sourceRow = 0;
        return false;
    }
    if (sourceRow)
        *sourceRow = row + pageIndex * pageSize;
    return true;
}

bool KyPageListModel::SetPageIndex(int inPageIndex)
{
    if (inPageIndex == pageIndex)
        return false;
    if (inPageIndex < 0 || inPageIndex > MaxPageIndex()) {
        qCDebug(lcWidgets, "Cannot set page index more than max.");
        return false;
    }

    // A page of another length changes the row count: views must hear of that before they read
    // the new rows, or they index past the end of a shorter page.
    const int oldRows = rowCount();
    const int oldPage = pageIndex;
    pageIndex = inPageIndex;
    const int newRows = rowCount();
    if (newRows != oldRows) {
        pageIndex = oldPage;
        emit layoutAboutToBeChanged();
        pageIndex = inPageIndex;
        // Rows past the new end no longer exist; the others keep their row numbers.
        const QModelIndexList persistent = persistentIndexList();
        QModelIndexList from;
        QModelIndexList to;
        for (const QModelIndex &index : persistent) {
            if (index.row() >= newRows) {
                from.append(index);
                to.append(QModelIndex());
            }
        }
        changePersistentIndexList(from, to);
        emit layoutChanged();
    }
    if (newRows > 0)
        emit dataChanged(index(0, 0), index(newRows - 1, 0));
    return true;
}

bool KyPageListModel::NextPage()
{
    return SetPageIndex(pageIndex + 1);
}

bool KyPageListModel::PrevPage()
{
    return SetPageIndex(pageIndex - 1);
}
