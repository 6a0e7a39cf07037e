#include "results/kyprintdata.h"

#include <QAbstractItemModel>
#include <QTableView>

KyPrintData::KyPrintData(const QString &fileName)
    : mFileName(fileName)
{
}

KyPrintData::~KyPrintData()
{
    deleteTable();
}

void KyPrintData::setTable(QTableView *table)
{
    if (table == mTable)
        return;
    deleteTable();
    mTable = table;
}

void KyPrintData::deleteTable()
{
    if (!mTable)
        return;
    QAbstractItemModel *model = mTable->model();
    // A model parented to the view goes with the view; one parented elsewhere is its parent's.
    if (model && !model->parent())
        delete model;
    delete mTable.data();
    mTable = nullptr;
}
