// The Summary step: the band-result table, the bar chart and the summary print.
#include "analysisview/kyanalysisview.h"

#include "analysisview/kyanalysistables.h"
#include "analysisview/laneview.h"
#include "document/kydocument.h"
#include "results/kybarchartctrl.h"
#include "results/kyprinter.h"
#include "results/kyselectedmodel.h"
#include "results/kytablemodel.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <QPrintDialog>

namespace {

// The first bar-chart column: tab i plots table column i + 3 (volume, lane %, normalised value).
constexpr int kFirstBarColumn = 3;

} // namespace

void KyAnalysisView::updateSummaryTable()
{
    KyDocument *doc = document();
    if (!mTableModel || !doc)
        return;
    mTableModel->refresh(doc->ChannelMask());
    mTableModel->setContents(doc);
    emit summaryTableChanged(QModelIndexList());
    applySummarySort(summaryTableView, true);
    applySummarySort(summaryTableView_2, true);
    if (mBarChartCtrl)
        mBarChartCtrl->setModel(mTableModel->selectedModel());
}

bool KyAnalysisView::isSummaryTableStale() const
{
    // mAnalysisChanged is raised by every attach and every analysis change of the document, and
    // lowered only when entering the Summary step has rebuilt the table from the current analysis.
    return mAnalysisChanged || !mTableModel || !document();
}

void KyAnalysisView::applySummarySort(KyTableView *view, bool sortByLane)
{
    KyDocument *doc = document();
    if (!doc || !view || !view->model())
        return;
    const bool single = doc->ImageCount() == 1;
    view->setColumnWidthFractions(single ? kSummaryColumnWidthsSingle : kSummaryColumnWidthsMulti);
    if (sortByLane)
        view->sortByColumn(single ? kSummaryLaneColumnSingle : kSummaryLaneColumnMulti, Qt::AscendingOrder);
}

void KyAnalysisView::selectBandOnSummryView(int ch, int laneNo, int bandNo)
{
    KyDocument *doc = document();
    QAbstractItemModel *model = summaryTableView->model();
    QItemSelectionModel *selection = summaryTableView->selectionModel();
    if (!doc || !mTableModel || !model || !selection)
        return;
    // The overlay counts lanes and bands from 0, the table shows them from 1: the row is found by
    // the numbers it shows, so that a click picks the band under the pointer and no neighbour.
    const int row = LaneView::summaryRowOf(model, doc, ch, laneNo, bandNo);
    if (row < 0)
        return;
    // A second click on a picked band unpicks its row.
    selection->select(QItemSelection(model->index(row, 0), model->index(row, model->columnCount() - 1)),
                      QItemSelectionModel::Toggle);
}

void KyAnalysisView::on_summaryTableView_selectionChanged()
{
    QItemSelectionModel *selection = summaryTableView->selectionModel();
    if (!selection)
        return;
    QModelIndexList rows;
    const QModelIndexList indexes = selection->selectedIndexes();
    for (const QModelIndex &index : indexes) {
        if (index.column() == 0)
            rows.append(index);
    }
    emit summaryTableChanged(rows);
}

void KyAnalysisView::on_barGraphTab_changed(int inIndex)
{
    if (!mBarChartCtrl)
        return;
    mBarChartCtrl->setBarSetColumns(inIndex + kFirstBarColumn, inIndex + kFirstBarColumn);
}

void KyAnalysisView::onSummaryTableSorted(int inColumn, Qt::SortOrder inOrder)
{
    QHeaderView *header = summaryTableView_2->horizontalHeader();
    if (header->sortIndicatorSection() != inColumn || header->sortIndicatorOrder() != inOrder)
        header->setSortIndicator(inColumn, inOrder);
    if (mBarChartCtrl) {
        // Switching the column away and back rebuilds the bars in the table's new row order.
        const int column = currentBarColumn();
        mBarChartCtrl->setBarSetColumns(column - 1, column - 1);
        mBarChartCtrl->setBarSetColumns(column, column);
    }
    summaryTableView->setFocus();
}

void KyAnalysisView::syncSummaryChannelTab()
{
    switch (mDocumentKind) {
    case kDocument_Color:
        singleTab->setCurrentIndex(1);
        on_singleTab_changed(1);
        break;
    case kDocument_Marker:
    case kDocument_Multi:
        for (KyButton *button : {ch1Button, ch2Button, ch3Button})
            button->setChecked(button->isVisibleTo(this));
        applyChannelSelection(ch1Button, false);
        updateChannelButtons();
        break;
    default:
        break;
    }
}

void KyAnalysisView::on_printSummaryButton_clicked()
{
    // As in print(): the printer and its dialog would wait on a silent print service.
    if (!KyPrinter::PrintServiceAnswers()) {
        showPrintProblem(kPrint_NotReady);
        return;
    }
    KyPrinter printer;
    QPrintDialog dialog(printer.printer(), window());
    if (dialog.exec() != QDialog::Accepted)
        return;

    summaryTableView_2->setFrameShape(QFrame::NoFrame);
    const QSize laneSize = view2StackedWidget->size();
    const QImage laneImage =
        image4Button->isChecked() ? renderWidgetImage(laneSize) : renderWidgetImageWithPainter(laneSize);

    QImage chartImage(barChartView->size(), QImage::Format_RGB32);
    chartImage.fill(Qt::white);
    {
        QPainter painter(&chartImage);
        barChartView->render(&painter, QRectF(chartImage.rect()), barChartView->rect(), Qt::KeepAspectRatio);
    }

    printer.SetTitle(analysisInfoText(mDisplayKind, mDocumentKind, false));
    QString caption = currentBarCaption();
    if (!mTableModel || mTableModel->selectedModel()->rowCount() == 0)
        caption.clear();
    if (!printer.PrintReport(laneImage, chartImage, summaryTableView_2, caption))
        showPrintProblem(kPrint_Failed);
}

int KyAnalysisView::currentBarColumn() const
{
    return barGraphTab->currentIndex() + kFirstBarColumn;
}

QString KyAnalysisView::currentBarCaption() const
{
    const QString title = barGraphTab->titles().value(barGraphTab->currentIndex());
    if (title == QLatin1String("Vol."))
        return QStringLiteral("Volume");
    if (title == QLatin1String("Lane%"))
        return QStringLiteral("Lane %");
    if (title == QLatin1String("Norm."))
        return QStringLiteral("Normalized value");
    return title;
}
