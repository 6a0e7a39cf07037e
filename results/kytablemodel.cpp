#include "results/kytablemodel.h"

#include "document/kydocument.h"
#include "results/kyresultcolumns.h"
#include "results/kyselectedmodel.h"
#include "widgets/kyitemroles.h"

#include <QApplication>
#include <QClipboard>
#include <QFont>

#include <algorithm>
#include <cmath>

namespace {

bool selectsChannel(int inChannels, int inChannel)
{
    if (inChannels < 0)
        return false;
    if (inChannels <= 2)
        return inChannels == inChannel;
    return (inChannels & (1 << inChannel)) != 0;
}

// A quotient as text; "-" when the denominator is 0 or the quotient is not a finite number, so that
// no "nan" or "inf" reaches a table, a printout or the clipboard.
QString quotientText(double inNumerator, double inDenominator, double inFactor, int inDecimals)
{
    if (inDenominator == 0.0)
        return QStringLiteral("-");
    const double value = inNumerator / inDenominator * inFactor;
    if (!std::isfinite(value))
        return QStringLiteral("-");
    return QString::number(value, 'f', inDecimals);
}

struct SortEntry
{
    int column;
    int row;
    QVariant value;
};

bool lessThan(const SortEntry &a, const SortEntry &b)
{
    if (a.column == 0)
        return a.value.toString() < b.value.toString();
    // Texts that are not numbers ("-", "ref", "(150)") count as 0.
    return a.value.toDouble() < b.value.toDouble();
}

} // namespace

KyTableModel::KyTableModel(QObject *parent)
    : QAbstractTableModel(parent), mSelectedModel(new KySelectedModel(this))
{
}

KyTableModel::~KyTableModel()
{
    delete mSelectedModel;
    mSelectedModel = nullptr;
}

QColor KyTableModel::flagColor()
{
    return QColor(200, 40, 40, 255);
}

int KyTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(mRows.size());
}

int KyTableModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !mDocument)
        return 0;
    return hidesChannelColumn() ? KySelectedRow::kCellCount - 1 : KySelectedRow::kCellCount;
}

bool KyTableModel::hidesChannelColumn() const
{
    return KyResultColumns::hidesChannelColumn(mDocument.data());
}

QVariant KyTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const int row = index.row();
    const int column = index.column() + (hidesChannelColumn() ? 1 : 0);
    switch (role) {
    case Qt::DisplayRole: {
        QVariant value;
        cellData(row, column, value);
        return value;
    }
    case Qt::FontRole: {
        QFont font(QStringLiteral("Arial"), 9);
        if (isRowSelected(row))
            font.setWeight(QFont::Bold);
        return font;
    }
    case Qt::TextAlignmentRole:
        if (column <= 2)
            return int(Qt::AlignHCenter | Qt::AlignVCenter);
        return int(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::ForegroundRole:
        return isRowFlagged(row) ? flagColor() : QColor(Qt::black);
    case KyItemRole::kRole_RowSelected:
        return isRowSelected(row);
    default:
        return QVariant();
    }
}

QVariant KyTableModel::headerData(int section, Qt::Orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    return KyResultColumns::headerTitle(section, hidesChannelColumn());
}

Qt::ItemFlags KyTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
}

void KyTableModel::setContents(KyDocument *inDocument)
{
    beginResetModel();
    mDocument = inDocument;
    mSelection.clear();
    mSelectedModel->SetDocument(inDocument);
    rebuildRows();
    endResetModel();
    updateSelectedRows();
}

void KyTableModel::refresh(int inChannels)
{
    if (inChannels == mChannels)
        return;
    mChannels = inChannels;
    beginResetModel();
    rebuildRows();
    sortRows(mSortColumn, mSortOrder);
    endResetModel();
    updateSelectedRows();
    // After the reset, so that a view answering the signal sees the new rows.
    emit sorted(mSortColumn, mSortOrder);
}

void KyTableModel::rebuildRows()
{
    mRows.clear();
    KyDocument *document = mDocument.data();
    if (!document)
        return;
    const QVector<QVector<KyBandList>> &bands = document->Bands();
    if (bands.isEmpty())
        return;
    const int volumeDecimals = document->HasODParameter() ? 2 : 0;
    const bool hasMwPoints = document->HasMWPoints();
    const QList<int> standardValues = document->CheckedMWStandardValues();
    for (int c = 0; c < bands.size(); ++c) {
        const QVector<KyBandList> &lanes = bands.at(c);
        if (!selectsChannel(mChannels, c) || lanes.isEmpty())
            continue;
        const bool mwChannel = c == document->MWStandardChannel();
        const QString name = document->ChannelName(c);
        for (int l = 0; l < lanes.size(); ++l) {
            const KyBandList &list = lanes.at(l);
            const double total = list.total();
            const int height = document->LaneHeight(l);
            const double normalization = document->NormalizationValue(l);
            const bool standardLane = mwChannel && l == document->MWStandardLane();
            for (int b = 0; b < list.count(); ++b) {
                const KyBandInfo band = list.band(b);
                const double volume = band.volume();
                QString normalized;
                if (normalization < 0.0)
                    normalized = QStringLiteral("-");
                else if (band.isNormalizationReference())
                    normalized = QStringLiteral("ref");
                else
                    normalized = quotientText(volume, normalization, 1.0, 4);
                QString mw = QStringLiteral("-");
                if (standardLane) {
                    if (b < standardValues.size())
                        mw = QStringLiteral("(%1)").arg(standardValues.at(b), 0, 10, QLatin1Char(' '));
                } else if (hasMwPoints) {
                    const double weight = document->MolecularWeightAt(band.peak());
                    if (std::isfinite(weight))
                        mw = QString::number(weight, 'f', 2);
                }
                mRows.append(KySelectedRow(name, l + 1, b + 1, QString::number(volume, 'f', volumeDecimals),
                                           quotientText(volume, total, 100.0, 2), normalized, mw,
                                           quotientText(double(band.peak()), double(height), 1.0, 4),
                                           band.isSaturated(), c));
            }
        }
    }
}

QList<int> KyTableModel::sortRows(int inColumn, Qt::SortOrder inOrder)
{
    const int column = inColumn + (hidesChannelColumn() ? 1 : 0);
    QList<SortEntry> entries;
    entries.reserve(mRows.size());
    for (int r = 0; r < mRows.size(); ++r) {
        SortEntry entry{column, r, QVariant()};
        cellData(r, column, entry.value);
        entries.append(entry);
    }
    if (inOrder == Qt::AscendingOrder)
        std::stable_sort(entries.begin(), entries.end(), lessThan);
    else
        std::stable_sort(entries.begin(), entries.end(),
                         [](const SortEntry &a, const SortEntry &b) { return lessThan(b, a); });
    QList<KySelectedRow> rows;
    QList<int> from;
    rows.reserve(entries.size());
    from.reserve(entries.size());
    for (const SortEntry &entry : entries) {
        rows.append(mRows.at(entry.row));
        from.append(entry.row);
    }
    mRows = rows;
    return from;
}

void KyTableModel::sort(int column, Qt::SortOrder order)
{
    mSortColumn = column;
    mSortOrder = order;
    emit layoutAboutToBeChanged(QList<QPersistentModelIndex>(), QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    const QList<int> from = sortRows(column, order);
    QList<int> to(from.size());
    for (int r = 0; r < from.size(); ++r)
        to[from.at(r)] = r;
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before)
        after.append(index.row() < to.size() ? this->index(to.at(index.row()), index.column()) : QModelIndex());
    changePersistentIndexList(before, after);
    emit layoutChanged(QList<QPersistentModelIndex>(), QAbstractItemModel::VerticalSortHint);
    updateSelectedRows();
    emit sorted(column, order);
}

bool KyTableModel::cellData(int inRow, int inColumn, QVariant &outValue) const
{
    if (inRow < 0 || inRow >= mRows.size())
        return false;
    outValue = mRows.at(inRow).cell(inColumn);
    return inColumn >= 0 && inColumn < KySelectedRow::kCellCount;
}

bool KyTableModel::isRowSelected(int inRow) const
{
    if (inRow < 0 || inRow >= mRows.size())
        return false;
    return mSelection.contains(KyBandKey::of(mRows.at(inRow)));
}

bool KyTableModel::isRowFlagged(int inRow) const
{
    if (inRow < 0 || inRow >= mRows.size())
        return false;
    return mRows.at(inRow).saturated;
}

bool KyTableModel::isSelected(const KyBandKey &inKey) const
{
    return mSelection.contains(inKey);
}

void KyTableModel::setSelection(const QList<KyBandKey> &inSelection)
{
    mSelection = inSelection;
    updateSelectedRows();
}

void KyTableModel::updateSelectedRows()
{
    if (!mSelectedModel)
        return;
    QList<KySelectedRow> picked;
    for (const KySelectedRow &row : std::as_const(mRows)) {
        if (mSelection.contains(KyBandKey::of(row)))
            picked.append(row);
    }
    mSelectedModel->UpdateRow(picked);
}

void KyTableModel::emitRowChanged(int inRow)
{
    const int columns = columnCount();
    if (columns > 0)
        emit dataChanged(index(inRow, 0), index(inRow, columns - 1));
}

void KyTableModel::RowSelected(const QModelIndex &index)
{
    if (index.column() != 1 || index.row() < 0 || index.row() >= mRows.size() || isRowSelected(index.row()))
        return;
    const KyBandKey key = KyBandKey::of(mRows.at(index.row()));
    auto position = std::find_if(mSelection.begin(), mSelection.end(),
                                 [&key](const KyBandKey &entry) { return entry.orderValue() > key.orderValue(); });
    mSelection.insert(position, key);
    emitRowChanged(index.row());
    updateSelectedRows();
}

void KyTableModel::RowDeselected(const QModelIndex &index)
{
    if (index.column() != 1 || index.row() < 0 || index.row() >= mRows.size())
        return;
    if (mSelection.removeAll(KyBandKey::of(mRows.at(index.row()))) == 0)
        return;
    emitRowChanged(index.row());
    updateSelectedRows();
}

QString KyTableModel::tableText() const
{
    return KyResultColumns::tableText(*this);
}

void KyTableModel::copyToClipboard()
{
    if (mSelectedModel && mSelectedModel->rowCount() > 0) {
        mSelectedModel->copyToClipboard();
        return;
    }
    QApplication::clipboard()->setText(tableText(), QClipboard::Clipboard);
}
