// Step navigation: the six steps, the previous and next buttons and help.
#include "analysisview/kyanalysisview.h"

void KyAnalysisView::setMode(int mode)
{
    Q_UNUSED(mode);
}

void KyAnalysisView::on_previousModeButton_clicked()
{
}

void KyAnalysisView::on_nextModeButton_clicked()
{
}

void KyAnalysisView::on_lanesModeButton_clicked()
{
}

void KyAnalysisView::on_bgModeButton_clicked()
{
}

void KyAnalysisView::on_bandsModeButton_clicked()
{
}

void KyAnalysisView::on_mwModeButton_clicked()
{
}

void KyAnalysisView::on_normModeButton_clicked()
{
}

void KyAnalysisView::on_summaryModeButton_clicked()
{
}

void KyAnalysisView::on_helpButton_clicked()
{
}

void KyAnalysisView::on_help2Button_clicked()
{
}

