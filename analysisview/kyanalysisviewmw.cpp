// The MW step: standards, the calibration editor and the calibration plot.
#include "analysisview/kyanalysisview.h"

void KyAnalysisView::on_mwStandardMenuButton_selectionChanged(QString inLaneStr)
{
    Q_UNUSED(inLaneStr);
}

void KyAnalysisView::on_mwStandardListView_clicked(QModelIndex index)
{
    Q_UNUSED(index);
}

void KyAnalysisView::on_mwCurveTypeButtonGroup_buttonClicked(QAbstractButton *button)
{
    Q_UNUSED(button);
}

void KyAnalysisView::on_mwViewPlotButton_clicked()
{
}

void KyAnalysisView::on_mwAddButton_clicked()
{
}

void KyAnalysisView::on_mwEditButton_clicked()
{
}

void KyAnalysisView::on_mwcalibNameTextArea_clicked()
{
}

void KyAnalysisView::on_mwCalibTenKey_input(QString key)
{
    Q_UNUSED(key);
}

void KyAnalysisView::on_mwcalibSetButton_clicked()
{
}

void KyAnalysisView::on_mwStandardTableView_clicked(QModelIndex index)
{
    Q_UNUSED(index);
}

void KyAnalysisView::on_mwcalibSaveButton_clicked()
{
}

void KyAnalysisView::on_mwcalibCancelButton_clicked()
{
}

void KyAnalysisView::on_mwcalibDeleteButton_clicked()
{
}

void KyAnalysisView::onMWStandardLaneChanged()
{
}

void KyAnalysisView::setupMWStandardViews()
{
}

void KyAnalysisView::updateMWStandardMenu()
{
}

void KyAnalysisView::updateMWStandardTable()
{
}

void KyAnalysisView::fillMWStandardModel()
{
}

