// Step navigation: the six steps, the previous and next buttons and help.
#include "analysisview/kyanalysisview.h"

#include "analysisview/kyanalysistables.h"
#include "analysisview/laneview.h"
#include "core/kyviewmode.h"
#include "document/kydocument.h"
#include "platform/logcategories.h"

#include <QDebug>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// The view mode each step announces to the rest of the program.
constexpr KyViewMode::EViewMode kStepViewModes[] = {
    KyViewMode::kView_AnalysisLane, KyViewMode::kView_AnalysisBG,        KyViewMode::kView_AnalysisBand,
    KyViewMode::kView_AnalysisMW,   KyViewMode::kView_AnalysisNormalize, KyViewMode::kView_AnalysisSummary,
};

} // namespace

void KyAnalysisView::setMode(int mode)
{
    KyDocument *doc = document();
    if (!doc)
        return;
    if (mode < kMode_Lanes || mode > kMode_Summary) {
        qCDebug(lcAnalysisView) << "KyAnalysisView::setMode(): no step" << mode;
        return;
    }

    if (mMode == kMode_Lanes && mode != kMode_Lanes) {
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
    KyButton *const stepButtons[] = {lanesModeButton, bgModeButton,   bandsModeButton,
                                     mwModeButton,    normModeButton, summaryModeButton};
    for (KyButton *button : stepButtons)
        button->setChecked(false);
    previousModeButton->setText(tr("Previous"));
    previousModeButton->setMargins(QMargins(5, 5, 10, 5));
    nextModeButton->setText(tr("Next"));
    nextModeButton->setMargins(QMargins(25, 5, 10, 5));
    topArea->setCurrentIndex(0);
    modeLabel->setSize(KyLabel::kSize_Small);
    updateOperationPanel();

    KyViewMode::instance()->setViewMode(kStepViewModes[mode], false, false);
    static const char *const kStepIcons[] = {"lane", "bg", "band", "mw", "norm", "summary"};
    KyButton *const current = stepButtons[mode];
    current->setChecked(true);
    current->setIcon(QPixmap(QStringLiteral(":/Kestova/Images/icon_analysis_%1_on.png")
                                 .arg(QLatin1String(kStepIcons[mode]))));
    current->setTextColor(KyLabel::kColor_Black);

    const auto showImage = [this](bool inImage) {
        imageButton->setChecked(inImage);
        image4Button->setChecked(inImage);
        profileButton->setChecked(!inImage);
        profile4Button->setChecked(!inImage);
    };
    const bool toolsOn = contrastButton->isChecked();
    const auto laneOverlay = [this, toolsOn](int inMode) {
        if (!mLaneView)
            return;
        mLaneView->setEnabled(!toolsOn);
        mLaneView->setMode(inMode);
    };

    switch (mode) {
    case kMode_Lanes:
        previousModeButton->setText(tr("Close"));
        previousModeButton->setMargins(QMargins(5, 5, 30, 5));
        showImage(true);
        laneOverlay(kMode_Lanes);
        if (mLaneView)
            onLaneCornerSelectionChanged(mLaneView->hasCornerSelection());
        if (mLaneView2)
            mLaneView2->setEnabled(!toolsOn);
        break;
    case kMode_Background:
        showImage(false);
        if (mLaneView)
            mLaneView->setMode(kMode_Background);
        break;
    case kMode_Bands:
        showImage(true);
        updateSingleChannelControls();
        laneOverlay(kMode_Bands);
        break;
    case kMode_MW:
        setupMWStandardViews();
        updateMWStandardTable();
        showImage(true);
        laneOverlay(kMode_MW);
        mwCalibStackedWidget->setCurrentIndex(doc->HasMWStandardLane() ? 0 : 1);
        break;
    case kMode_Normalization:
        showImage(true);
        laneOverlay(kMode_Normalization);
        break;
    case kMode_Summary:
        nextModeButton->setText(tr("Save"));
        syncSummaryChannelTab();
        topArea->setCurrentIndex(1);
        if (mLaneView2) {
            mLaneView2->setEnabled(!contrast3Button->isChecked());
            mLaneView2->setMode(kMode_Summary);
        }
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
