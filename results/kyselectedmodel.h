#pragma once

#include "results/kyselectedrow.h"

#include <QAbstractTableModel>
#include <QList>
#include <QPointer>

class KyDocument;

// The summary rows the user picked, in the summary table's current order. Its owner, the summary
// table model, refills it after every rebuild, sort and change of the picks; it feeds the bar chart
// and the clipboard. The "Channel" column is hidden without a document and for a one-image document.
class KySelectedModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit KySelectedModel(QObject *parent = nullptr);
    ~KySelectedModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Empties the rows.
    void SetDocument(KyDocument *inDocument);
    // Replaces the rows: the rows both lists have change in place, the rest are announced as
    // inserted or removed at the end.
    void UpdateRow(const QList<KySelectedRow> &inRows);
    bool InsertData(int inRow, const KySelectedRow &inData);
    bool HidesChannelColumn() const;

    const QList<KySelectedRow> &rows() const { return mRows; }

    // The header line and every row, cells separated by tabs, every line ended by a line feed.
    QString tableText() const;

public slots:
    void copyToClipboard();

private:
    QList<KySelectedRow> mRows;
    QPointer<KyDocument> mDocument;
};
