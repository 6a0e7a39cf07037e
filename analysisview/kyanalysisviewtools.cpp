// The image tools: display and channels, zoom, contrast, invert and rotation.
#include "analysisview/kyanalysisview.h"

#include "analysis/kyautobandparametertable.h"
#include "analysisview/intensityview.h"
#include "analysisview/kyanalysissteps.h"
#include "analysisview/kyanalysistables.h"
#include "analysisview/kyzoomratiolist.h"
#include "analysisview/laneview.h"
#include "core/analysissettings.h"
#include "core/kyviewmode.h"
#include "document/kydocument.h"
#include "results/kytablemodel.h"
#include "widgets/kymessagebox.h"

#include <QPixmap>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace {

constexpr int kImagePage = 0;
constexpr int kProfilePage = 1;
constexpr int kTabPage = 0;
constexpr int kButtonsPage = 1;
constexpr int kBlankPage = 2;
constexpr int kIntensityToolPage = 3;
constexpr int kMaxLevel = 65535;

// The display polarity of a channel; a channel without an image counts as positive, so that the
// invert box of an empty channel is never shown ticked.
bool isPositive(const KyDocument *doc, int channel)
{
    const ImageFile *image = doc->Image(channel);
    if (!image || image->IsNull())
        return true;
    return !doc->IsNegative(channel);
}

void setPositive(KyDocument *doc, int channel, bool positive)
{
    if (isPositive(doc, channel) != positive)
        doc->SetNegative(channel, !positive);
}

// One step of a canvas's zoom through the ratio list: the canvas takes the ratio reached, and
// its zoom buttons stay usable for the steps that are left.
void stepCanvasZoom(KyImageView *view, int &ioIndex, int direction, KyButton *upButton, KyButton *outButton)
{
    const KyZoomRatioList *ratios = KyZoomRatioList::instance();
    const int last = ratios->Count() - 1;
    ioIndex = std::clamp(ioIndex + direction, 0, last);
    view->setMagnification(ratios->Ratio(ioIndex) / 100.0);
    upButton->setEnabled(ioIndex < last);
    outButton->setEnabled(ioIndex > 0);
}

} // namespace

bool KyAnalysisView::isImageShown() const
{
    return imageButton->isChecked();
}

// ---- Display ------------------------------------------------------------------------------------

void KyAnalysisView::updateImage()
{
    KyDocument *doc = document();
    if (!doc)
        return;
    const bool toolMode = contrastButton->isChecked();
    const KyAnalysisStep *step = kyAnalysisStep(mMode);

    if (!toolMode) {
        if (mLaneView)
            mLaneView->setChannelSelection(mChannel);
        if (mLaneView2)
            mLaneView2->setChannelSelection(mChannel);
        if (step && step->followsSensitivity) {
            const int index = KyAutoBandParameterTable::instance()->indexOf(doc->ChannelText(mChannel));
            if (index >= 0)
                bandSensitivityValuePicker->setValue(index);
        }
    }

    if (profileButton->isChecked()) {
        const int tabPage = (mDocumentKind == kDocument_Single || mDocumentKind == kDocument_Color) ? kBlankPage
                                                                                                   : kButtonsPage;
        tabAreaStackedWidget->setCurrentIndex(tabPage);
        tabAreaStackedWidget2->setCurrentIndex(tabPage);
        viewStackedWidget->setCurrentIndex(kProfilePage);
        printButton->hide();
        emit toProfileView();
        profile4Button->setChecked(true);
        image4Button->setChecked(false);
        view2StackedWidget->setCurrentIndex(kProfilePage);
        operationPanel->setEnabled(!step || step->panelWithProfile);
    } else if (imageButton->isChecked()) {
        viewStackedWidget->setCurrentIndex(kImagePage);
        view2StackedWidget->setCurrentIndex(kImagePage);
        printButton->show();
        emit toImageView();
        if (contrastToolButton->isChecked()) {
            const bool ownChannel = mDisplayKind == kDisplay_Channel || mDisplayKind == kDisplay_Composite;
            updateHistogram(ownChannel ? mChannel : 0, viewHistLabel);
        }
        // Both canvases show the same picture: render it once and let them share it.
        QImage picture;
        if (mDisplayKind == kDisplay_Color)
            picture = doc->ColorImage(QRect());
        else
            picture = doc->qImage(mDisplayKind == kDisplay_Marker ? 1 : mChannel, QRect());
        imageView->setImage(picture);
        image2View->setImage(picture);
        const int tabPage = (mDocumentKind == kDocument_Marker || mDocumentKind == kDocument_Multi) ? kButtonsPage
                                                                                                   : kTabPage;
        tabAreaStackedWidget->setCurrentIndex(tabPage);
        tabAreaStackedWidget2->setCurrentIndex(tabPage);
        operationPanel->setEnabled(true);
    }

    if (step && step->plotsCalibration && !toolMode)
        mwViewPlotButton->setEnabled(doc->HasMWPoints());
    if (opeArea->currentIndex() == kIntensityToolPage)
        updateIntensityInfo();
}

void KyAnalysisView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The histogram is drawn at the label's width.
    if (isBuilt() && contrastButton->isChecked() && contrastToolButton->isChecked()) {
        const bool ownChannel = mDisplayKind != kDisplay_Marker && mDisplayKind != kDisplay_Color;
        updateHistogram(ownChannel ? mChannel : 0, viewHistLabel);
    }
}

void KyAnalysisView::updateHistogram(int channel, QLabel *label)
{
    KyDocument *doc = document();
    if (!doc || !label)
        return;
    doc->RenderHistogram(channel, label->width(), true);
    label->setPixmap(QPixmap::fromImage(doc->HistogramImage()));
}

// ---- Zoom ---------------------------------------------------------------------------------------

void KyAnalysisView::on_zoomOutButton_clicked()
{
    zoomOut();
    updateToolButtonVisibility();
}

void KyAnalysisView::on_zoomUpButton_clicked()
{
    zoomIn();
    updateToolButtonVisibility();
}

// The summary picture has a zoom of its own: it fits its small pane whatever the analysis page
// shows.
void KyAnalysisView::on_zoomOut3Button_clicked()
{
    stepCanvasZoom(image2View, mSummaryZoomIndex, -1, zoomUp3Button, zoomOut3Button);
}

void KyAnalysisView::on_zoomUp3Button_clicked()
{
    stepCanvasZoom(image2View, mSummaryZoomIndex, 1, zoomUp3Button, zoomOut3Button);
}

void KyAnalysisView::on_zoomOut2Button_clicked()
{
    stepProfileZoom(profileGraphView, -1);
}

void KyAnalysisView::on_zoomUp2Button_clicked()
{
    stepProfileZoom(profileGraphView, 1);
}

void KyAnalysisView::on_zoomOut4Button_clicked()
{
    stepProfileZoom(profileGraphView2, -1);
}

void KyAnalysisView::on_zoomUp4Button_clicked()
{
    stepProfileZoom(profileGraphView2, 1);
}

void KyAnalysisView::on_zoomValuePicker_changed(int value)
{
    // One step per change, whatever the picker jumped by; the step sets the picker back to the
    // index it reached, and that change finds them equal.
    if (value > mZoomIndex)
        zoomIn();
    else if (value < mZoomIndex)
        zoomOut();
}

void KyAnalysisView::on_zoomResetButton_clicked()
{
    mZoomIndex = 1;
    zoomOut();
}

void KyAnalysisView::zoomIn()
{
    stepCanvasZoom(imageView, mZoomIndex, 1, zoomUpButton, zoomOutButton);
    zoomValuePicker->setValue(mZoomIndex);
    replaceIntensityRect();
}

void KyAnalysisView::zoomOut()
{
    stepCanvasZoom(imageView, mZoomIndex, -1, zoomUpButton, zoomOutButton);
    zoomValuePicker->setValue(mZoomIndex);
    replaceIntensityRect();
}

void KyAnalysisView::replaceIntensityRect()
{
    KyDocument *doc = document();
    if (!doc)
        return;
    // The point the rectangle was placed at, not QRect::center(): a rectangle of 23 placed at p
    // spans p - 12 .. p + 10, whose centre is p - 1, and re-placing there would walk the
    // rectangle one pixel up and left at every zoom step and every resize.
    const QRect rect = doc->SelectionRect();
    if (rect.width() < 0 || rect.height() < 0)
        return; // never placed
    onSetIntensityPoint(rect.topLeft() + QPoint(int(rect.width() / 2.0 + 0.5), int(rect.height() / 2.0 + 0.5)));
}

void KyAnalysisView::stepProfileZoom(KyProfileGraphView *source, int direction)
{
    // The reachable values are 0 (the fixed full value range), 1.0, 1.5, ... 5.0.
    double zoom = source->zoom();
    if (direction < 0) {
        if (zoom != 0.0) {
            if (zoom <= 1.4)
                zoom = 0.5;
            profileGraphView->setZoom(zoom - 0.5);
            profileGraphView2->setZoom(zoom - 0.5);
        }
    } else if (zoom < 4.9) {
        if (zoom <= 0.4)
            zoom = 0.5;
        profileGraphView->setZoom(zoom + 0.5);
        profileGraphView2->setZoom(zoom + 0.5);
    }
    updateProfileZoomButtons();
}

void KyAnalysisView::updateProfileZoomButtons()
{
    const double zoom = profileGraphView->zoom();
    zoomOut2Button->setEnabled(zoom > 0.0);
    zoomOut4Button->setEnabled(zoom > 0.0);
    zoomUp2Button->setEnabled(zoom < 4.9);
    zoomUp4Button->setEnabled(zoom < 4.9);
}

// ---- Scroll coupling ----------------------------------------------------------------------------

void KyAnalysisView::on_imageView_resized()
{
    replaceIntensityRect();
}

void KyAnalysisView::on_imageView_scrolled()
{
    image2View->centerOn(imageView->imageCenter());
    updateToolButtonVisibility();
}

void KyAnalysisView::on_image2View_scrolled()
{
    imageView->centerOn(image2View->imageCenter());
}

void KyAnalysisView::on_profileGraphView_scrolled()
{
    profileGraphView2->ensureVisible(profileGraphView->dataToView());
}

void KyAnalysisView::on_profileGraphView2_scrolled()
{
    profileGraphView->ensureVisible(profileGraphView2->dataToView());
}

// ---- Tool mode and tool pages -------------------------------------------------------------------

void KyAnalysisView::on_contrastButton_clicked()
{
    if (contrastButton->isChecked()) {
        if (mLaneView) {
            mLaneView->setEnabled(false);
            mLaneView->setVisible(false);
        }
        helpButton->hide();
    } else {
        if (mLaneView) {
            mLaneView->setVisible(true);
            const KyAnalysisStep *step = kyAnalysisStep(mMode);
            mLaneView->setEnabled(!step || step->overlayTakesPicks);
        }
        helpButton->show();
    }
    imageView->update();
    updateImageToolButtons();
    updateOperationPanel();
    updateImage();
    updateToolButtonVisibility();
}

void KyAnalysisView::on_contrast3Button_clicked()
{
    if (mLaneView2) {
        if (contrast3Button->isChecked()) {
            mLaneView2->setEnabled(false);
            mLaneView2->setVisible(false);
        } else {
            // Its enabled flag comes back with the next step switch.
            mLaneView2->setVisible(true);
        }
    }
    image2View->update();
}

void KyAnalysisView::updateOperationPanel()
{
    const KyAnalysisStep *step = kyAnalysisStep(mMode);
    if (!step || step->panelPage < 0)
        return;
    if (contrastButton->isChecked()) {
        opStackedWidget->setCurrentIndex(1);
        return;
    }
    modeLabel->setText(kModeTitles.value(mMode));
    operationPanel->setCurrentIndex(step->panelPage);
    opStackedWidget->setCurrentIndex(0);
}

void KyAnalysisView::showToolPage(int page)
{
    KyButton *const buttons[] = {displayButton, zoomButton, contrastToolButton, intensityButton};
    // The chosen one first: the buttons may be auto-exclusive, and such a group keeps its checked
    // button until another one is checked.
    buttons[page]->setChecked(true);
    for (int i = 0; i < 4; ++i) {
        if (i != page)
            buttons[i]->setChecked(false);
    }
    opeArea->setCurrentIndex(page);
    updateImageToolButtons();
    updateImage();
}

void KyAnalysisView::on_displayButton_clicked()
{
    showToolPage(0);
}

void KyAnalysisView::on_zoomButton_clicked()
{
    showToolPage(1);
}

void KyAnalysisView::on_contrastToolButton_clicked()
{
    showToolPage(2);
    if (mDisplayKind == kDisplay_Composite) {
        applyChannelSelection(ch1Button, false);
    } else {
        updateInvertAndContrastControls();
        updateImage();
    }
}

void KyAnalysisView::on_intensityButton_clicked()
{
    showToolPage(kIntensityToolPage);
}

void KyAnalysisView::updateImageToolButtons()
{
    if (!mIntensityView)
        return;
    const bool on = contrastButton->isChecked() && intensityButton->isChecked();
    mIntensityView->setEnabled(on);
    mIntensityView->setVisible(on);
    imageView->update();
}

void KyAnalysisView::updateToolButtonVisibility()
{
    zoomDummyWidget->setMinimumWidth(0);
    zoomDummyWidget->setMaximumWidth(0);
    contrastButton->show();
    zoomUpButton->show();
    zoomOutButton->show();
    const KyAnalysisStep *step = kyAnalysisStep(mMode);
    if (!step || !step->movesFrame || !imageButton->isChecked() || contrastButton->isChecked() || !mLaneView)
        return;

    // The buttons float on imageView, and the handles are in its points too.
    QRect handles[4];
    mLaneView->cornerHandleRects(handles[0], handles[1], handles[2], handles[3]);
    const auto covers = [&handles](const QWidget *button) {
        return std::any_of(std::begin(handles), std::end(handles),
                           [button](const QRect &handle) { return button->geometry().intersects(handle); });
    };
    if (covers(contrastButton))
        contrastButton->hide();
    if (covers(zoomUpButton)) {
        // The place holder keeps the zoom-out button where it was.
        zoomDummyWidget->setMinimumWidth(zoomUpButton->width() + 6);
        zoomDummyWidget->setMaximumWidth(zoomUpButton->width() + 6);
        zoomUpButton->hide();
    }
    if (covers(zoomOutButton))
        zoomOutButton->hide();
}

// ---- Contrast, highlight, invert ----------------------------------------------------------------

void KyAnalysisView::on_contrastLowDownButton_clicked()
{
    stepContrast(-1, 0);
}

void KyAnalysisView::on_contrastLowUpButton_clicked()
{
    stepContrast(1, 0);
}

void KyAnalysisView::on_contrastHighDownButton_clicked()
{
    stepContrast(0, -1);
}

void KyAnalysisView::on_contrastHighUpButton_clicked()
{
    stepContrast(0, 1);
}

void KyAnalysisView::stepContrast(int lowDirection, int highDirection)
{
    KyDocument *doc = document();
    if (!doc)
        return;
    quint16 low = 0;
    quint16 high = 0;
    if (!doc->DisplayRange(mChannel, low, high))
        return;
    AnalysisSettings *settings = AnalysisSettings::instance();
    const int threshold = settings->intValue(QStringLiteral("kContrastThreshold"));
    const int longStep = settings->intValue(QStringLiteral("kContrastLongStep"));
    const int shortStep = settings->intValue(QStringLiteral("kContrastShortStep"));
    // Wide ranges move by the long step; a width of exactly the threshold is still narrow.
    const qint64 step = (int(high) - int(low) > threshold) ? longStep : shortStep;
    qint64 newLow = low + step * lowDirection;
    qint64 newHigh = high + step * highDirection;
    if (lowDirection != 0 && newLow >= newHigh)
        newLow = std::max<qint64>(0, newHigh - 1);
    else if (highDirection != 0 && newHigh <= newLow)
        newHigh = std::min<qint64>(kMaxLevel, newLow + 1);
    // Low stays below high, both inside 0..65535, whatever the steps in the settings are.
    const qint64 boundedHigh = std::clamp<qint64>(std::max(newHigh, newLow + 1), 1, kMaxLevel);
    const qint64 boundedLow = std::clamp<qint64>(newLow, 0, boundedHigh - 1);
    doc->SetDisplayRange(mChannel, quint16(boundedLow), quint16(boundedHigh));
    emit contrastChanged();
    updateImage();
}

void KyAnalysisView::on_autoContrastButton_clicked()
{
    KyDocument *doc = document();
    if (!doc)
        return;
    doc->AutoRange(mChannel);
    updateImage();
}

void KyAnalysisView::on_highlightCheckBox_toggled(bool checked)
{
    KyDocument *doc = document();
    if (!doc)
        return;
    doc->SetHighlight(checked);
    updateImage();
}

void KyAnalysisView::updateInvertAndContrastControls()
{
    KyDocument *doc = document();
    if (!doc)
        return;
    bool available = true;
    const auto offer = [this](int channel) {
        invertCheckBox->setEnabled(true);
        invertCheckBox->setChecked(!isPositive(document(), channel));
    };
    const auto withhold = [this, &available] {
        invertCheckBox->setChecked(false);
        invertCheckBox->setEnabled(false);
        available = false;
    };

    mUpdatingControls = true;
    switch (mDocumentKind) {
    case kDocument_Single:
        offer(0);
        break;
    case kDocument_Marker:
        if (mDisplayKind == kDisplay_Channel)
            offer(0);
        else
            withhold();
        break;
    case kDocument_Multi: {
        const int channel = selectedChannel();
        if (channel > 2 || channel < 0)
            withhold();
        else
            offer(channel);
        break;
    }
    case kDocument_Color:
        if (mDisplayKind == kDisplay_Channel)
            offer(0);
        else if (mDisplayKind == kDisplay_Color)
            withhold();
        break;
    default:
        break;
    }
    mUpdatingControls = false;

    contrastPartWidget->setCurrentIndex(available ? 0 : 1);
    contrastSaturateCheckWidget->setVisible(available);
    for (KyButton *button : {contrastLowDownButton, contrastLowUpButton, contrastHighDownButton, contrastHighUpButton,
                             autoContrastButton})
        button->setEnabled(available);
}

void KyAnalysisView::on_invertCheckBox_toggled(bool checked)
{
    KyDocument *doc = document();
    if (!doc)
        return;
    int channel = 0;
    if (mDocumentKind == kDocument_Marker && mDisplayKind == kDisplay_Marker) {
        channel = 1;
    } else if (mDocumentKind == kDocument_Multi) {
        channel = selectedChannel();
        // A composite has no single polarity; a button without a channel has none at all.
        if (channel > 2 || channel < 0)
            return;
    } else if ((mDocumentKind == kDocument_Single || mDocumentKind == kDocument_Color)
               && mDisplayKind == kDisplay_Color) {
        return;
    }
    if (!mUpdatingControls)
        setPositive(doc, channel, !checked);
    updateImage();
}

// ---- Channel buttons and tabs -------------------------------------------------------------------

int KyAnalysisView::selectedChannel()
{
    if (mDocumentKind == kDocument_Single || mDocumentKind == kDocument_Color)
        return 0;
    const QAbstractButton *const buttons[] = {ch1Button, ch2Button, ch3Button};
    int count = 0;
    int last = 0;
    for (int i = 0; i < 3; ++i) {
        if (buttons[i]->isChecked()) {
            ++count;
            last = i;
        }
    }
    if (count == 0)
        return mButtonChannels[0];
    if (count == 1)
        return mButtonChannels[size_t(last)];
    int mask = 0x80;
    for (int i = 0; i < 3; ++i) {
        const int channel = mButtonChannels[size_t(i)];
        // A button without a channel adds nothing (a shift by -1 would be undefined).
        if (buttons[i]->isChecked() && channel >= 0 && channel <= 2)
            mask |= 1 << channel;
    }
    return mask;
}

void KyAnalysisView::applyChannelSelection(QAbstractButton *button, bool exclusive)
{
    QAbstractButton *const buttons[] = {ch1Button, ch2Button, ch3Button};
    if (exclusive) {
        button->setChecked(true);
        for (QAbstractButton *other : buttons) {
            if (other != button)
                other->setChecked(false);
        }
    }
    const auto checkedCount = [&buttons] {
        return int(std::count_if(std::begin(buttons), std::end(buttons),
                                 [](const QAbstractButton *b) { return b->isChecked(); }));
    };
    // At least one channel stays shown.
    if (checkedCount() == 0)
        button->setChecked(true);
    mChannel = selectedChannel();
    const bool several = checkedCount() > 1;
    switch (mDocumentKind) {
    case kDocument_Single:
        mDisplayKind = kDisplay_Channel;
        break;
    case kDocument_Marker:
        mDisplayKind = several ? kDisplay_Color : (mChannel > 0 ? kDisplay_Marker : kDisplay_Channel);
        break;
    case kDocument_Multi:
        mDisplayKind = several ? kDisplay_Composite : kDisplay_Channel;
        break;
    default:
        break;
    }
    if (mTableModel)
        mTableModel->refresh(mChannel);
    updateInvertAndContrastControls();
    updateSingleChannelControls();
    updateProfileGraph();
    updateImage();
}

void KyAnalysisView::updateChannelButtons()
{
    ch1Button2->setChecked(ch1Button->isChecked());
    ch2Button2->setChecked(ch2Button->isChecked());
    ch3Button2->setChecked(ch3Button->isChecked());
}

void KyAnalysisView::finishChannelSlot()
{
    updateChannelButtons();
    updateSingleChannelControls();
}

void KyAnalysisView::summaryChannelAction(QAbstractButton *pageButton, int action)
{
    if (action == 2)
        pageButton->setChecked(true);
    else
        pageButton->setChecked(!pageButton->isChecked());
    applyChannelSelection(pageButton, action != 0);
    finishChannelSlot();
}

void KyAnalysisView::on_ch1Button_clicked()
{
    applyChannelSelection(ch1Button, false);
    finishChannelSlot();
}

void KyAnalysisView::on_ch2Button_clicked()
{
    applyChannelSelection(ch2Button, false);
    finishChannelSlot();
}

void KyAnalysisView::on_ch3Button_clicked()
{
    applyChannelSelection(ch3Button, false);
    finishChannelSlot();
}

void KyAnalysisView::on_ch1Button_longClicked()
{
    applyChannelSelection(ch1Button, true);
    finishChannelSlot();
}

void KyAnalysisView::on_ch2Button_longClicked()
{
    applyChannelSelection(ch2Button, true);
    finishChannelSlot();
}

void KyAnalysisView::on_ch3Button_longClicked()
{
    applyChannelSelection(ch3Button, true);
    finishChannelSlot();
}

void KyAnalysisView::on_ch1Button_doubleClicked()
{
    applyChannelSelection(ch1Button, true);
    finishChannelSlot();
}

void KyAnalysisView::on_ch2Button_doubleClicked()
{
    applyChannelSelection(ch2Button, true);
    finishChannelSlot();
}

void KyAnalysisView::on_ch3Button_doubleClicked()
{
    applyChannelSelection(ch3Button, true);
    finishChannelSlot();
}

void KyAnalysisView::on_ch1Button2_clicked()
{
    summaryChannelAction(ch1Button, 0);
}

void KyAnalysisView::on_ch2Button2_clicked()
{
    summaryChannelAction(ch2Button, 0);
}

void KyAnalysisView::on_ch3Button2_clicked()
{
    summaryChannelAction(ch3Button, 0);
}

void KyAnalysisView::on_ch1Button2_longClicked()
{
    summaryChannelAction(ch1Button, 1);
}

void KyAnalysisView::on_ch2Button2_longClicked()
{
    summaryChannelAction(ch2Button, 1);
}

void KyAnalysisView::on_ch3Button2_longClicked()
{
    summaryChannelAction(ch3Button, 1);
}

void KyAnalysisView::on_ch1Button2_doubleClicked()
{
    summaryChannelAction(ch1Button, 2);
}

void KyAnalysisView::on_ch2Button2_doubleClicked()
{
    summaryChannelAction(ch2Button, 2);
}

void KyAnalysisView::on_ch3Button2_doubleClicked()
{
    summaryChannelAction(ch3Button, 2);
}

void KyAnalysisView::updateSingleChannelControls()
{
    if (mDisplayKind == kDisplay_Channel) {
        contrast3Button->setEnabled(true);
    } else {
        contrast3Button->setEnabled(false);
        contrast3Button->setChecked(false);
        on_contrast3Button_clicked();
    }
    contrastButton->setEnabled(true);

    if (mDisplayKind == kDisplay_Composite || (mDisplayKind == kDisplay_Color && mDocumentKind != kDocument_Color)) {
        bandEditWidget->setEnabled(false);
        const QString colour = imageButton->isChecked() ? QStringLiteral("black") : QStringLiteral("gray");
        bandInvalidEdit->setHtml(tr("<font color=%1>Only available in single channel view</font>").arg(colour));
        bandStackedWidget->setCurrentIndex(1);
    } else {
        bandEditWidget->setEnabled(true);
        bandStackedWidget->setCurrentIndex(0);
    }
    bandFrame->setEnabled(imageButton->isChecked());
    // Invert and the contrast tools depend on the same display kind; attaching a document runs
    // this refresh and nothing else of theirs, so without it the invert box would keep the
    // previous document's state (and a click would then write the wrong polarity).
    updateInvertAndContrastControls();
}

void KyAnalysisView::on_singleTab_changed(int index)
{
    singleTab2->setCurrentIndex(index);
    applyTabIndex(index);
}

void KyAnalysisView::on_singleTab2_changed(int index)
{
    singleTab->setCurrentIndex(index);
    applyTabIndex(index);
}

void KyAnalysisView::applyTabIndex(int index)
{
    if (index == 0) {
        mDisplayKind = kDisplay_Channel;
        mChannel = 0;
    } else if (index == 1) {
        if (mDocumentKind == kDocument_Color) {
            mDisplayKind = kDisplay_Color;
            mChannel = 0;
        } else if (mDocumentKind == kDocument_Marker) {
            mDisplayKind = kDisplay_Marker;
            mChannel = 1;
        }
    }
    if (mTableModel)
        mTableModel->refresh(mDisplayKind == kDisplay_Marker ? 0 : mChannel);
    updateImage();
    updateSingleChannelControls();
    updateInvertAndContrastControls();
}

// ---- Image and profile switches -----------------------------------------------------------------
// The four switches are auto-exclusive pairs: the one to check is checked first, as unchecking the
// checked button of such a pair does nothing.

void KyAnalysisView::on_imageButton_clicked()
{
    image4Button->setChecked(true);
    profileButton->setChecked(false);
    profile4Button->setChecked(false);
    updateImage();
    updateSingleChannelControls();
}

void KyAnalysisView::on_profileButton_clicked()
{
    if (contrastButton->isChecked()) {
        contrastButton->setChecked(false);
        on_contrastButton_clicked();
        profileButton->setChecked(true);
        profile4Button->setChecked(true);
        contrast3Button->setChecked(false);
        on_contrastButton_clicked();
    }
    imageButton->setChecked(false);
    image4Button->setChecked(false);
    updateImage();
    updateSingleChannelControls();
}

void KyAnalysisView::on_image4Button_clicked()
{
    imageButton->setChecked(true);
    image4Button->setChecked(true);
    profileButton->setChecked(false);
    profile4Button->setChecked(false);
    updateImage();
    updateSingleChannelControls();
}

void KyAnalysisView::on_profile4Button_clicked()
{
    profileButton->setChecked(true);
    profile4Button->setChecked(true);
    imageButton->setChecked(false);
    image4Button->setChecked(false);
    updateImage();
    updateSingleChannelControls();
}

void KyAnalysisView::on_profileMenuButton_selectionChanged(QString text)
{
    profile2MenuButton->setText(text);
    updateProfileGraph();
}

void KyAnalysisView::on_profile2MenuButton_selectionChanged(QString text)
{
    profileMenuButton->setText(text);
    updateProfileGraph();
}

// ---- Rotation -----------------------------------------------------------------------------------

void KyAnalysisView::on_rotateLButton_clicked()
{
    startRotation(0);
}

void KyAnalysisView::on_rotateRButton_clicked()
{
    startRotation(1);
}

void KyAnalysisView::startRotation(int direction)
{
    KyDocument *doc = document();
    if (!doc)
        return;
    if (doc->HasBands()
        && !KyMessageBox::question(window(), QString(),
                                   tr("If the image is rotated, the current analysis information will be lost.\n"
                                      "Are you sure you want to rotate the image?"),
                                   tr("Yes"), tr("No")))
        return;
    // Never two jobs on the document at once.
    waitForDocumentJobs();
    KyViewMode::instance()->setBusy(KyViewMode::EBusyReason(kBusy_BandDetection));
    mRotateWatcher.setFuture(QtConcurrent::run(&KyAnalysisView::rotateDocument, this, doc, direction));
}

// Pool thread: touches the document it was given and nothing else.
void KyAnalysisView::rotateDocument(KyDocument *doc, int direction)
{
    if (!doc)
        return;
    if (direction == 1)
        doc->RotateRight();
    else
        doc->RotateLeft();
    emit rotated();
}

void KyAnalysisView::onRotateFinished()
{
    updateImage();
    imageView->fitToWindow();
    image2View->fitToWindow();
    mZoomIndex = 1;
    zoomOut();
    mSummaryZoomIndex = 0;
    stepCanvasZoom(image2View, mSummaryZoomIndex, 0, zoomUp3Button, zoomOut3Button);
    updateLaneControls();
    if (KyDocument *doc = document()) {
        // The turn dropped the lanes; updateLaneControls laid the default ones.
        doc->ExtractLaneProfiles();
        doc->ReapplyBackground();
    }
    KyViewMode::instance()->unsetBusy(KyViewMode::EBusyReason(kBusy_BandDetection));
}
