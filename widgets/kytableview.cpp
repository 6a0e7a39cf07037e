#include "widgets/kytableview.h"

#include "widgets/copymenu.h"
#include "widgets/kyitemroles.h"
#include "widgets/kytableviewstyle.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QIcon>
#include <QScrollBar>

#include <algorithm>

namespace {

// Below this a remaining share is taken as none: the columns it would size sit at their minimums.
constexpr double kNoShare = 1e-9;

} // namespace

KyTableView::KyTableView(QWidget *parent)
    : QTableView(parent)
{
    // Each style is owned by the widget that wears it.
    setStyle(new KyTableViewStyle(this));
    setSortingEnabled(true);
    setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::MultiSelection);
    setFrameShape(QFrame::StyledPanel);
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setStyle(new KyTableViewStyle(horizontalHeader()));
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, &KyTableView::columnResized);
    verticalScrollBar()->setStyle(new KyTableViewStyle(verticalScrollBar()));
}

KyTableView::~KyTableView() = default;

void KyTableView::setModel(QAbstractItemModel *model)
{
    if (QAbstractItemModel *old = this->model())
        disconnect(old, nullptr, this, SLOT(syncSelectionFromModel()));
    QTableView::setModel(model);
    if (!model)
        return;
    // Connected after the view's own handlers, so the selection model has been reset or restored.
    connect(model, &QAbstractItemModel::modelReset, this, &KyTableView::syncSelectionFromModel);
    connect(model, &QAbstractItemModel::layoutChanged, this, &KyTableView::syncSelectionFromModel);
    syncSelectionFromModel();
}

void KyTableView::syncSelectionFromModel()
{
    QAbstractItemModel *source = model();
    QItemSelectionModel *selection = selectionModel();
    if (!source || !selection)
        return;
    const int rows = source->rowCount();
    const int columns = source->columnCount();
    // Models without picks of their own keep the view's selection.
    if (rows == 0 || columns == 0 || !source->data(source->index(0, 0), KyItemRole::kRole_RowSelected).isValid())
        return;
    QItemSelection picked;
    for (int row = 0; row < rows; ++row) {
        if (source->data(source->index(row, 0), KyItemRole::kRole_RowSelected).toBool())
            picked.select(source->index(row, 0), source->index(row, columns - 1));
    }
    mSyncing = true;
    selection->select(picked, QItemSelectionModel::ClearAndSelect);
    mSyncing = false;
}

void KyTableView::setColumnWidthFractions(const QVector<double> &inFractions)
{
    mFractions = inFractions;
    updateColumnWidth();
}

int KyTableView::viewportWidth() const
{
    int width = this->width() - 2 * frameWidth();
    // The bar's laid-out width is its size hint; a bar that was never laid out (switched off, or a
    // view that is only rendered for printing) still has a new widget's default width.
    if (const QScrollBar *bar = verticalScrollBar())
        width -= bar->sizeHint().width();
    return width;
}

int KyTableView::minimumColumnWidth(int inColumn) const
{
    const QHeaderView *header = horizontalHeader();
    return std::max(sizeHintForColumn(inColumn), header ? header->sectionSizeHint(inColumn) : 0);
}

void KyTableView::updateColumnWidth()
{
    if (!model() || mFractions.isEmpty())
        return;
    const int n = model()->columnCount();
    if (n == 0 || mFractions.size() != n)
        return;

    const int total = viewportWidth();
    int remaining = total;
    double remainingFraction = 1.0;
    int sum = 0;
    // First pass: which columns their share leaves below their minimum.
    for (int column = 0; column < n - 1; ++column) {
        int width = int(total * mFractions.at(column));
        const int minimum = minimumColumnWidth(column);
        if (width < minimum) {
            width = minimum;
            remaining -= minimum;
            remainingFraction -= mFractions.at(column);
        }
        sum += width;
    }
    const int lastMinimum = minimumColumnWidth(n - 1);
    if (total - sum < lastMinimum) {
        remaining -= lastMinimum;
        remainingFraction -= mFractions.at(n - 1);
    }

    // Second pass: the room left after the minimums goes to the others by their shares. With no
    // share left (every other column at its minimum, or fractions that do not sum to 1) the
    // minimums stand; no share is allowed past the whole width.
    mResizing = true;
    sum = 0;
    for (int column = 0; column < n - 1; ++column) {
        const int minimum = minimumColumnWidth(column);
        int width;
        if (remaining >= 0) {
            double share = 0.0;
            if (remainingFraction > kNoShare)
                share = std::min(double(total), remaining * mFractions.at(column) / remainingFraction);
            width = std::max(minimum, int(share));
        } else {
            width = int(total * mFractions.at(column));
        }
        setColumnWidth(column, width);
        sum += width;
    }
    // The last column takes the rest, but never less than its minimum.
    setColumnWidth(n - 1, std::max(lastMinimum, total - sum));
    mResizing = false;
}

void KyTableView::columnResized(int inColumn, int, int inNewWidth)
{
    // The table view's own handling of the resize runs through its own connection.
    if (mResizing)
        return;
    const int minimum = minimumColumnWidth(inColumn);
    if (inNewWidth < minimum) {
        setColumnWidth(inColumn, minimum); // comes back through this slot
        return;
    }

    mResizing = true;
    // The columns to the right give way, each down to its minimum.
    int room = viewportWidth();
    int n = model() ? model()->columnCount() : 0;
    while (inColumn < n - 1) {
        int used = 0;
        for (int column = 0; column < n - 1; ++column)
            used += columnWidth(column);
        const int space = room - used;
        const int lastMinimum = minimumColumnWidth(n - 1);
        if (space >= lastMinimum) {
            setColumnWidth(n - 1, space);
            break;
        }
        setColumnWidth(n - 1, lastMinimum);
        room -= lastMinimum;
        --n;
    }
    // Then the resized column stops where the table would grow wider than its viewport.
    const int width = viewportWidth();
    const int count = model() ? model()->columnCount() : 0;
    int used = 0;
    for (int column = 0; column < count; ++column)
        used += columnWidth(column);
    if (used > width)
        setColumnWidth(inColumn, columnWidth(inColumn) - (used - width));
    mResizing = false;
    updateColumnWidthFractions();
}

void KyTableView::updateColumnWidthFractions()
{
    const int n = model() ? model()->columnCount() : 0;
    if (n <= 0)
        return;
    int total = 0;
    for (int column = 0; column < n; ++column)
        total += columnWidth(column);
    mFractions.resize(n);
    for (int column = 0; column < n; ++column)
        mFractions[column] = total > 0 ? double(columnWidth(column)) / total : 0.0;
}

void KyTableView::keyPressEvent(QKeyEvent *event)
{
    // No keyboard navigation and no type-ahead search.
    event->accept();
}

void KyTableView::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    updateColumnWidth();
}

void KyTableView::contextMenuEvent(QContextMenuEvent *event)
{
    const int chosen = runCopyMenu(this, tr("Copy"), {tr("Deselect all")}, event->globalPos());
    if (chosen == 0)
        emit Copy();
    else if (chosen == 1)
        clearSelection();
}

void KyTableView::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    if (mSyncing) {
        QTableView::selectionChanged(selected, deselected);
        return;
    }
    const QModelIndexList added = selected.indexes();
    for (const QModelIndex &index : added)
        emit Selected(index);
    const QModelIndexList removed = deselected.indexes();
    for (const QModelIndex &index : removed)
        emit Deselected(index);
    emit selectionChanged();
    QTableView::selectionChanged(selected, deselected);
}
