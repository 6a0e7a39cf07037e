// The Lanes, Background and Bands steps and their pool jobs.
#include "analysisview/kyanalysisview.h"

void KyAnalysisView::on_laneCountValuePicker_changed(int value)
{
    Q_UNUSED(value);
}

void KyAnalysisView::on_laneWidthValuePicker_changed(int value)
{
    Q_UNUSED(value);
}

void KyAnalysisView::on_laneUpButton_clicked()
{
}

void KyAnalysisView::on_laneDownButton_clicked()
{
}

void KyAnalysisView::on_laneRightButton_clicked()
{
}

void KyAnalysisView::on_laneLeftButton_clicked()
{
}

void KyAnalysisView::onLaneChanged()
{
}

void KyAnalysisView::onLaneCornerSelectionChanged(bool selected)
{
    Q_UNUSED(selected);
}

void KyAnalysisView::on_backTypeButtonGroup_buttonClicked(QAbstractButton *button)
{
    Q_UNUSED(button);
}

void KyAnalysisView::on_bgRadiusValuePicker_finished(int value)
{
    Q_UNUSED(value);
}

void KyAnalysisView::on_showBGCheckBox_toggled(bool checked)
{
    Q_UNUSED(checked);
}

void KyAnalysisView::onUpdateBGFinished()
{
}

void KyAnalysisView::on_bandAutoDetectButton_clicked()
{
}

void KyAnalysisView::autoBandDetectFinished()
{
}

void KyAnalysisView::on_bandLeftButton_clicked()
{
}

void KyAnalysisView::on_bandRightButton_clicked()
{
}

void KyAnalysisView::on_bandReduceButton_clicked()
{
}

void KyAnalysisView::on_bandSpreadButton_clicked()
{
}

void KyAnalysisView::on_bandAddButton_clicked()
{
}

void KyAnalysisView::on_bandDeleteButton_clicked()
{
}

void KyAnalysisView::on_bandClearButton_clicked()
{
}

void KyAnalysisView::startUpdateBackground(bool force)
{
    Q_UNUSED(force);
}

void KyAnalysisView::updateBackground(bool force, BackgroundInputs inputs)
{
    Q_UNUSED(force);
    Q_UNUSED(inputs);
}

void KyAnalysisView::autoBandDetect(AutoBandInputs inputs)
{
    Q_UNUSED(inputs);
}

void KyAnalysisView::initBandSensitivityPicker()
{
}

void KyAnalysisView::updateLaneControls()
{
}

void KyAnalysisView::updateProfileMenu()
{
}

void KyAnalysisView::updateProfileGraph()
{
}

void KyAnalysisView::updateBandEditPanel()
{
}

