// The intensity tool: the spot rectangle and its readout.
#include "analysisview/kyanalysisview.h"

void KyAnalysisView::on_intensityDownButton_clicked()
{
}

void KyAnalysisView::on_intensityUpButton_clicked()
{
}

void KyAnalysisView::on_intensityLeftButton_clicked()
{
}

void KyAnalysisView::on_intensityRightButton_clicked()
{
}

void KyAnalysisView::onSetIntensityPoint(QPoint inImagePt)
{
    Q_UNUSED(inImagePt);
}

void KyAnalysisView::moveIntensityPoint(int dx, int dy)
{
    Q_UNUSED(dx);
    Q_UNUSED(dy);
}

void KyAnalysisView::updateIntensityInfo()
{
}

