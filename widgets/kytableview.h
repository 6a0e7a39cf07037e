#pragma once

#include <QTableView>
#include <QVector>

// The program's table: columns share the width by stored fractions that follow the user's own
// column resizing, whole rows are selected and each click toggles a row, there is no keyboard
// navigation, and a context menu offers "Copy" and "Deselect all". Owners install a
// KyTableViewItemDelegate so the picked look comes from the model.
class KyTableView : public QTableView
{
    Q_OBJECT

public:
    explicit KyTableView(QWidget *parent = nullptr);
    ~KyTableView() override;

    // One fraction per column, summing to 1; ignored while their count differs from the model's
    // column count.
    void setColumnWidthFractions(const QVector<double> &inFractions);
    QVector<double> columnWidthFractions() const { return mFractions; }

    // The width the columns share: the view less its frame and its vertical scroll bar (shown or
    // not).
    int viewportWidth() const;
    // A column is never laid out narrower than its contents and its header title want.
    int minimumColumnWidth(int inColumn) const;

    void setModel(QAbstractItemModel *model) override;

signals:
    void ChangeSelect(QModelIndex index);
    void Selected(QModelIndex index);
    void Deselected(QModelIndex index);
    void selectionChanged();
    void Copy();

public slots:
    void updateColumnWidthFractions();
    // Selects exactly the rows the model reports picked (KyItemRole::kRole_RowSelected), without
    // telling the model again. Runs after a reset or a layout change of a model that answers the
    // role, so that a click on a picked row unpicks it and "Deselect all" reaches every pick.
    void syncSelectionFromModel();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;

private slots:
    void columnResized(int inColumn, int inOldWidth, int inNewWidth);
    void updateColumnWidth();

private:
    QVector<double> mFractions;
    bool mResizing = false;
    bool mSyncing = false;
};
