#include "results/kyselectedmodel.h"

#include "document/kydocument.h"
#include "platform/logcategories.h"
#include "results/kyresultcolumns.h"

#include <QApplication>
#include <QClipboard>
#include <QDebug>

#include <algorithm>

KySelectedModel::KySelectedModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

KySelectedModel::~KySelectedModel() = default;

int KySelectedModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(mRows.size());
}

int KySelectedModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !mDocument)
        return 0;
    return HidesChannelColumn() ? KySelectedRow::kCellCount - 1 : KySelectedRow::kCellCount;
}

bool KySelectedModel::HidesChannelColumn() const
{
    return KyResultColumns::hidesChannelColumn(mDocument.data());
}

QVariant KySelectedModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= mRows.size())
        return QVariant();
    const int column = index.column() + (HidesChannelColumn() ? 1 : 0);
    return mRows.at(index.row()).cell(column);
}

QVariant KySelectedModel::headerData(int section, Qt::Orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    return KyResultColumns::headerTitle(section, HidesChannelColumn());
}

Qt::ItemFlags KySelectedModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
}

void KySelectedModel::SetDocument(KyDocument *inDocument)
{
    beginResetModel();
    mRows.clear();
    mDocument = inDocument;
    endResetModel();
}

void KySelectedModel::UpdateRow(const QList<KySelectedRow> &inRows)
{
    const int oldCount = int(mRows.size());
    const int newCount = int(inRows.size());
    const int common = std::min(oldCount, newCount);
    // The rows both lists have change first, so that a view sees each step on a consistent model.
    for (int r = 0; r < common; ++r)
        mRows[r] = inRows.at(r);
    const int columns = columnCount();
    if (common > 0 && columns > 0)
        emit dataChanged(index(0, 0), index(common - 1, columns - 1));
    if (newCount < oldCount) {
        beginRemoveRows(QModelIndex(), newCount, oldCount - 1);
        mRows.erase(mRows.begin() + newCount, mRows.end());
        endRemoveRows();
    } else if (newCount > oldCount) {
        beginInsertRows(QModelIndex(), oldCount, newCount - 1);
        mRows.append(inRows.mid(oldCount));
        endInsertRows();
    }
}

bool KySelectedModel::InsertData(int inRow, const KySelectedRow &inData)
{
    if (inRow < 0 || inRow > mRows.size()) {
        qCDebug(lcResults, "Invalid row select.( %s:%s )", "KySelectedModel::InsertData", QByteArray::number(__LINE__).constData());
        return false;
    }
    beginInsertRows(QModelIndex(), inRow, inRow);
    mRows.insert(inRow, inData);
    endInsertRows();
    return true;
}

QString KySelectedModel::tableText() const
{
    return KyResultColumns::tableText(*this);
}

void KySelectedModel::copyToClipboard()
{
    QApplication::clipboard()->setText(tableText(), QClipboard::Clipboard);
}
