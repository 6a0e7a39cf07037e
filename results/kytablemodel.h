#pragma once

#include "results/kybandkey.h"
#include "results/kyselectedrow.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QList>
#include <QPointer>

class KyDocument;
class KySelectedModel;

// The summary table: one row per band of the selected channels with its volume, lane percentage,
// normalised value, molecular weight and relative mobility. It sorts stably by a view column, keeps
// the bands the user picked (by channel, lane and band, so picks survive sorting and rebuilding)
// and mirrors the picked rows, in table order, into its selected-rows model.
//
// Channel selection: negative selects nothing, 0..2 that channel, above 2 a mask 0x80 | bits.
class KyTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit KyTableModel(QObject *parent = nullptr);
    ~KyTableModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // A stable sort by view column; the view's selection and persistent indexes follow their rows.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    KySelectedModel *selectedModel() const { return mSelectedModel; }

    // A new document: rows in build order, no picks.
    void setContents(KyDocument *inDocument);
    // Rebuilds and re-sorts when the channel selection differs from the stored one.
    void refresh(int inChannels);
    int channelSelection() const { return mChannels; }

    bool hidesChannelColumn() const;
    // Model column 0..7 of a row; false (out untouched) for a row outside, false (out invalid) for a
    // column outside.
    bool cellData(int inRow, int inColumn, QVariant &outValue) const;
    bool isRowSelected(int inRow) const;
    bool isRowFlagged(int inRow) const;
    bool isSelected(const KyBandKey &inKey) const;
    QList<KyBandKey> selection() const { return mSelection; }
    void setSelection(const QList<KyBandKey> &inSelection);
    void updateSelectedRows();

    // The whole table as the clipboard gets it when nothing is picked.
    QString tableText() const;

    static QColor flagColor();

signals:
    void sorted(int column, Qt::SortOrder order);

public slots:
    void RowSelected(const QModelIndex &index);
    void RowDeselected(const QModelIndex &index);
    void copyToClipboard();

private:
    void rebuildRows();
    // Reorders mRows; returns for each new row the old row it came from.
    QList<int> sortRows(int inColumn, Qt::SortOrder inOrder);
    void emitRowChanged(int inRow);

    QList<KySelectedRow> mRows;
    QList<KyBandKey> mSelection;
    QPointer<KyDocument> mDocument;
    int mChannels = 0x87;
    int mSortColumn = 0;
    Qt::SortOrder mSortOrder = Qt::AscendingOrder;
    KySelectedModel *mSelectedModel = nullptr;
};
