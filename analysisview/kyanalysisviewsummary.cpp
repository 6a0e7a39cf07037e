// The Summary step: the band-result table, the bar chart and the summary print.
#include "analysisview/kyanalysisview.h"

void KyAnalysisView::updateSummaryTable()
{
}

void KyAnalysisView::selectBandOnSummryView(int ch, int laneNo, int bandNo)
{
    Q_UNUSED(ch);
    Q_UNUSED(laneNo);
    Q_UNUSED(bandNo);
}

void KyAnalysisView::on_summaryTableView_selectionChanged()
{
}

void KyAnalysisView::on_barGraphTab_changed(int inIndex)
{
    Q_UNUSED(inIndex);
}

void KyAnalysisView::onSummaryTableSorted(int inColumn, Qt::SortOrder inOrder)
{
    Q_UNUSED(inColumn);
    Q_UNUSED(inOrder);
}

void KyAnalysisView::on_printSummaryButton_clicked()
{
}

void KyAnalysisView::applySummarySort(KyTableView *view, bool sortByLane)
{
    Q_UNUSED(view);
    Q_UNUSED(sortByLane);
}

void KyAnalysisView::syncSummaryChannelTab()
{
}

