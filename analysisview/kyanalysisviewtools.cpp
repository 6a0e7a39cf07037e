// The image tools: display and channels, zoom, contrast, invert and rotation.
#include "analysisview/kyanalysisview.h"

bool KyAnalysisView::isImageShown() const
{
    return false;
}

void KyAnalysisView::updateImage()
{
}

void KyAnalysisView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
}

void KyAnalysisView::on_zoomOutButton_clicked()
{
}

void KyAnalysisView::on_zoomUpButton_clicked()
{
}

void KyAnalysisView::on_zoomOut3Button_clicked()
{
}

void KyAnalysisView::on_zoomUp3Button_clicked()
{
}

void KyAnalysisView::on_zoomOut2Button_clicked()
{
}

void KyAnalysisView::on_zoomUp2Button_clicked()
{
}

void KyAnalysisView::on_zoomOut4Button_clicked()
{
}

void KyAnalysisView::on_zoomUp4Button_clicked()
{
}

void KyAnalysisView::on_zoomValuePicker_changed(int value)
{
    Q_UNUSED(value);
}

void KyAnalysisView::on_zoomResetButton_clicked()
{
}

void KyAnalysisView::on_imageView_resized()
{
}

void KyAnalysisView::on_imageView_scrolled()
{
}

void KyAnalysisView::on_image2View_scrolled()
{
}

void KyAnalysisView::on_profileGraphView_scrolled()
{
}

void KyAnalysisView::on_profileGraphView2_scrolled()
{
}

void KyAnalysisView::on_contrastButton_clicked()
{
}

void KyAnalysisView::on_contrast3Button_clicked()
{
}

void KyAnalysisView::on_contrastLowDownButton_clicked()
{
}

void KyAnalysisView::on_contrastLowUpButton_clicked()
{
}

void KyAnalysisView::on_contrastHighDownButton_clicked()
{
}

void KyAnalysisView::on_contrastHighUpButton_clicked()
{
}

void KyAnalysisView::on_autoContrastButton_clicked()
{
}

void KyAnalysisView::on_highlightCheckBox_toggled(bool checked)
{
    Q_UNUSED(checked);
}

void KyAnalysisView::on_ch1Button_clicked()
{
}

void KyAnalysisView::on_ch2Button_clicked()
{
}

void KyAnalysisView::on_ch3Button_clicked()
{
}

void KyAnalysisView::on_ch1Button_longClicked()
{
}

void KyAnalysisView::on_ch2Button_longClicked()
{
}

void KyAnalysisView::on_ch3Button_longClicked()
{
}

void KyAnalysisView::on_ch1Button_doubleClicked()
{
}

void KyAnalysisView::on_ch2Button_doubleClicked()
{
}

void KyAnalysisView::on_ch3Button_doubleClicked()
{
}

void KyAnalysisView::on_ch1Button2_clicked()
{
}

void KyAnalysisView::on_ch2Button2_clicked()
{
}

void KyAnalysisView::on_ch3Button2_clicked()
{
}

void KyAnalysisView::on_ch1Button2_longClicked()
{
}

void KyAnalysisView::on_ch2Button2_longClicked()
{
}

void KyAnalysisView::on_ch3Button2_longClicked()
{
}

void KyAnalysisView::on_ch1Button2_doubleClicked()
{
}

void KyAnalysisView::on_ch2Button2_doubleClicked()
{
}

void KyAnalysisView::on_ch3Button2_doubleClicked()
{
}

void KyAnalysisView::on_singleTab_changed(int index)
{
    Q_UNUSED(index);
}

void KyAnalysisView::on_singleTab2_changed(int index)
{
    Q_UNUSED(index);
}

void KyAnalysisView::on_imageButton_clicked()
{
}

void KyAnalysisView::on_profileButton_clicked()
{
}

void KyAnalysisView::on_image4Button_clicked()
{
}

void KyAnalysisView::on_profile4Button_clicked()
{
}

void KyAnalysisView::on_profileMenuButton_selectionChanged(QString text)
{
    Q_UNUSED(text);
}

void KyAnalysisView::on_profile2MenuButton_selectionChanged(QString text)
{
    Q_UNUSED(text);
}

void KyAnalysisView::on_displayButton_clicked()
{
}

void KyAnalysisView::on_zoomButton_clicked()
{
}

void KyAnalysisView::on_contrastToolButton_clicked()
{
}

void KyAnalysisView::on_intensityButton_clicked()
{
}

void KyAnalysisView::on_invertCheckBox_toggled(bool checked)
{
    Q_UNUSED(checked);
}

void KyAnalysisView::on_rotateLButton_clicked()
{
}

void KyAnalysisView::on_rotateRButton_clicked()
{
}

void KyAnalysisView::onRotateFinished()
{
}

void KyAnalysisView::zoomIn()
{
}

void KyAnalysisView::zoomOut()
{
}

void KyAnalysisView::updateProfileZoomButtons()
{
}

void KyAnalysisView::stepContrast(int lowDirection, int highDirection)
{
    Q_UNUSED(lowDirection);
    Q_UNUSED(highDirection);
}

void KyAnalysisView::updateHistogram(int channel, QLabel *label)
{
    Q_UNUSED(channel);
    Q_UNUSED(label);
}

void KyAnalysisView::applyChannelSelection(QAbstractButton *button, bool exclusive)
{
    Q_UNUSED(button);
    Q_UNUSED(exclusive);
}

void KyAnalysisView::updateChannelButtons()
{
}

int KyAnalysisView::selectedChannel()
{
    return 0;
}

void KyAnalysisView::updateSingleChannelControls()
{
}

void KyAnalysisView::updateOperationPanel()
{
}

void KyAnalysisView::updateImageToolButtons()
{
}

void KyAnalysisView::updateInvertAndContrastControls()
{
}

void KyAnalysisView::updateToolButtonVisibility()
{
}

void KyAnalysisView::rotateImage(int direction)
{
    Q_UNUSED(direction);
}

