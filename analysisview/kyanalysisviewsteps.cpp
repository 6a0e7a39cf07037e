// Step navigation: the six steps, the previous and next buttons and help.
#include "analysisview/kyanalysisview.h"

#include "analysisview/kyanalysissteps.h"
#include "analysisview/kyanalysistables.h"
#include "analysisview/laneview.h"
#include "core/kyviewmode.h"
#include "document/kydocument.h"
#include "platform/logcategories.h"

#include <QDebug>
#include <QtConcurrent/QtConcurrentRun>

void KyAnalysisView::setMode(int mode)
{
    KyDocument *doc = document();
    if (!doc)
        return;
    const KyAnalysisStep *step = kyAnalysisStep(mode);
    if (!step) {
        qCDebug(lcAnalysisView) << "KyAnalysisView::setMode(): no step" << mode;
        return;
    }

    const KyAnalysisStep *left = kyAnalysisStep(mMode);
    if (left && left->movesFrame && mode != mMode) {
        if (doc->IsParameterChanged()) {
            // The moved lanes need new profiles and backgrounds first: the profiles are measured
            // on the pool (on a full capture that takes far longer than a frame), then the
            // background job runs, and its end enters the step.
            KyViewMode::instance()->setBusy(KyViewMode::kBusy_Background);
            mPendingMode = mode;
            mLaneRebuildWatcher.setFuture(QtConcurrent::run([doc] { doc->ExtractLaneProfiles(); }));
            return;
        }
        if (mLaneView)
            mLaneView->clearCornerSelection();
        contrastButton->show();
        zoomUpButton->show();
        zoomOutButton->show();
    }

    // Another step leaves the image tools.
    if (mode != mMode) {
        contrastButton->setChecked(false);
        on_contrastButton_clicked();
        contrast3Button->setChecked(false);
        on_contrast3Button_clicked();
    }

    mMode = mode;
    for (const KyAnalysisStep &each : kyAnalysisSteps())
        (this->*each.button)->setChecked(false);
    previousModeButton->setText(tr("Previous"));
    previousModeButton->setMargins(QMargins(5, 5, 10, 5));
    nextModeButton->setText(tr("Next"));
    nextModeButton->setMargins(QMargins(25, 5, 10, 5));
    topArea->setCurrentIndex(0);
    modeLabel->setSize(KyLabel::kSize_Small);
    updateOperationPanel();

    KyViewMode::instance()->setViewMode(step->viewMode, false, false);
    KyButton *const current = this->*step->button;
    current->setChecked(true);
    current->setIcon(kyAnalysisStepIcon(*step, true));
    current->setTextColor(KyLabel::kColor_Black);

    // What the step works on: the image or the profile graph, and the lane overlay in the step's
    // mode (the summary's own on its page).
    if (step->opensOn != KyAnalysisStep::kOpens_AsBefore) {
        const bool showImage = step->opensOn == KyAnalysisStep::kOpens_Image;
        imageButton->setChecked(showImage);
        image4Button->setChecked(showImage);
        profileButton->setChecked(!showImage);
        profile4Button->setChecked(!showImage);
    }
    const bool toolsOn = contrastButton->isChecked();
    if (step->panelPage < 0) {
        topArea->setCurrentIndex(1);
        if (mLaneView2) {
            mLaneView2->setEnabled(!contrast3Button->isChecked());
            mLaneView2->setMode(mode);
        }
    } else if (mLaneView) {
        if (step->overlayTakesPicks)
            mLaneView->setEnabled(!toolsOn);
        mLaneView->setMode(mode);
    }

    // What entering the step does besides.
    switch (mode) {
    case kMode_Lanes:
        previousModeButton->setText(tr("Close"));
        previousModeButton->setMargins(QMargins(5, 5, 30, 5));
        if (mLaneView)
            onLaneCornerSelectionChanged(mLaneView->hasCornerSelection());
        if (mLaneView2)
            mLaneView2->setEnabled(!toolsOn);
        break;
    case kMode_Bands:
        updateSingleChannelControls();
        break;
    case kMode_MW:
        setupMWStandardViews();
        updateMWStandardTable();
        mwCalibStackedWidget->setCurrentIndex(doc->HasMWStandardLane() ? 0 : 1);
        break;
    case kMode_Summary:
        nextModeButton->setText(tr("Save"));
        syncSummaryChannelTab();
        // The table is rebuilt only when the analysis moved on since the last time.
        if (mAnalysisChanged) {
            if (doc->IsAnalysisChanged())
                doc->ComputeNormalization();
            updateSummaryTable();
            mAnalysisChanged = false;
        }
        break;
    }
    stackedWidget->setCurrentIndex(0);

    updateToolButtonVisibility();
    updateImage();
}

void KyAnalysisView::onLaneRebuildFinished()
{
    startUpdateBackground(true);
}

void KyAnalysisView::on_previousModeButton_clicked()
{
    if (mMode == kMode_Lanes) {
        emit closeImage();
        return;
    }
    setMode(mMode - 1);
}

void KyAnalysisView::on_nextModeButton_clicked()
{
    if (mMode == kMode_Summary) {
        KyViewMode::instance()->setViewMode(KyViewMode::kView_Save, false, false);
        return;
    }
    if (mMode == kMode_other) {
        qCDebug(lcAnalysisView, "mMode = kMode_other");
        return;
    }
    setMode(mMode + 1);
}

void KyAnalysisView::on_lanesModeButton_clicked()
{
    setMode(kMode_Lanes);
}

void KyAnalysisView::on_bgModeButton_clicked()
{
    setMode(kMode_Background);
}

void KyAnalysisView::on_bandsModeButton_clicked()
{
    setMode(kMode_Bands);
}

void KyAnalysisView::on_mwModeButton_clicked()
{
    setMode(kMode_MW);
}

void KyAnalysisView::on_normModeButton_clicked()
{
    setMode(kMode_Normalization);
}

void KyAnalysisView::on_summaryModeButton_clicked()
{
    setMode(kMode_Summary);
}

void KyAnalysisView::on_helpButton_clicked()
{
    emit showHelp(kModeTitles.value(mMode), kModeHelpNames.value(mMode));
}

void KyAnalysisView::on_help2Button_clicked()
{
    emit showHelp(kModeTitles.value(mMode), kModeHelpNames.value(mMode));
}
