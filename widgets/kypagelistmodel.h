#pragma once

#include <QAbstractListModel>

// A list model that shows a long list one page at a time: views see the rows of the current page
// only, and each visible row maps back to a row of the whole list. Subclasses supply the item count
// (TotalCount) and the data.
class KyPageListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    // pageLimit is the largest page index allowed whatever the item count; a page size below 1
    // is taken as 1.
    KyPageListModel(QObject *parent, int pageLimit, int pageSize);
    ~KyPageListModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;

    // Number of items in the whole list; the base has none.
    virtual int TotalCount() const;
    // Maps a row of the current page to the row of the whole list. A negative row stores 0 and
    // answers false; the row is not compared with the row count.
    virtual bool ToSourceRow(int row, int *sourceRow) const;
    bool ToSourceRow(int row, int &sourceRow) const { return ToSourceRow(row, &sourceRow); }

    int MaxPageIndex() const;
    int PageIndex() const { return pageIndex; }
    int PageSize() const { return pageSize; }
    int PageLimit() const { return pageLimit; }

public slots:
    bool SetPageIndex(int inPageIndex);
    bool NextPage();
    bool PrevPage();

private:
    int pageIndex = 0;
    int pageLimit;
    int pageSize;
};
