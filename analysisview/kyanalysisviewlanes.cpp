// The Lanes, Background and Bands steps and their pool jobs.
#include "analysisview/kyanalysisview.h"
#include "analysisview/kyanalysisviewlanes.h"
#include "analysisview/laneview.h"

#include "analysis/kyautobandparametertable.h"
#include "core/analysissettings.h"
#include "core/kyviewmode.h"
#include "document/kydocument.h"
#include "widgets/kylabel.h"
#include "widgets/kymessagebox.h"

#include <QSignalBlocker>
#include <QStringList>
#include <QtConcurrent>

#include <algorithm>
#include <cmath>

namespace {

const QString kLaneCountKey = QStringLiteral("LaneCount");
const QString kLaneWidthKey = QStringLiteral("LaneWidth");
const QString kRadiusKey = QStringLiteral("BG_RollingBallRadius");
const QString kSensitivityKey = QStringLiteral("Band_Sensitivity");

// One click of a lane arrow moves the selected corner this many image pixels.
constexpr int kCornerStep = 10;

// Lane width ratios are stored with a few decimals; a product off by less than this from a half
// percent is that half percent.
constexpr double kRatioTolerance = 1e-9;

// The radius picker's lower end, and its upper end when the capture gives no scale to derive one.
constexpr int kMinimumRadius = 5;
constexpr int kUnscaledMaximumRadius = 200;

// Background method numbers the document takes.
constexpr int kMethodNone = 0;
constexpr int kMethodRubberBand = 1;
constexpr int kMethodMinimum = 2;
constexpr int kMethodRollingBall = 3;

// The pages of radiusWidget.
constexpr int kRadiusPage = 0;
constexpr int kRadiusBlankPage = 1;

} // namespace

QString bandSensitivityText(int index)
{
    return KyAutoBandParameterTable::instance()->nameAt(index);
}

// ---- Lanes step ---------------------------------------------------------------------------------

// Only a user's step reaches these two: the pickers are loaded with their signals blocked, so that
// opening a capture neither rewrites its lanes (which would drop its bands) nor the defaults.
void KyAnalysisView::on_laneCountValuePicker_changed(int value)
{
    AnalysisSettings::instance()->setValue(kLaneCountKey, value);
    KyDocument *doc = document();
    if (!doc)
        return;
    doc->SetLaneCount(value);
    updateProfileMenu();
    imageView->update();
    image2View->update();
    onLaneChanged();
}

void KyAnalysisView::on_laneWidthValuePicker_changed(int value)
{
    AnalysisSettings::instance()->setValue(kLaneWidthKey, value);
    KyDocument *doc = document();
    if (!doc)
        return;
    doc->SetLaneWidthRatio(value / 100.0);
    imageView->update();
    image2View->update();
    onLaneChanged();
}

void KyAnalysisView::on_laneUpButton_clicked()
{
    emit moveCorner(QPoint(0, -kCornerStep));
    onLaneChanged();
}

void KyAnalysisView::on_laneDownButton_clicked()
{
    emit moveCorner(QPoint(0, kCornerStep));
    onLaneChanged();
}

void KyAnalysisView::on_laneRightButton_clicked()
{
    emit moveCorner(QPoint(kCornerStep, 0));
    onLaneChanged();
}

void KyAnalysisView::on_laneLeftButton_clicked()
{
    emit moveCorner(QPoint(-kCornerStep, 0));
    onLaneChanged();
}

void KyAnalysisView::onLaneChanged()
{
    updateToolButtonVisibility();
}

void KyAnalysisView::onLaneCornerSelectionChanged(bool selected)
{
    for (QWidget *button : {static_cast<QWidget *>(laneUpButton), static_cast<QWidget *>(laneDownButton),
                            static_cast<QWidget *>(laneLeftButton), static_cast<QWidget *>(laneRightButton)})
        button->setEnabled(selected);
}

void KyAnalysisView::updateLaneControls()
{
    // A new document (or a rotated one) has no corner selected yet.
    onLaneCornerSelectionChanged(mLaneView && mLaneView->hasCornerSelection());

    KyDocument *doc = document();
    if (!doc)
        return;
    {
        const QSignalBlocker countBlocker(laneCountValuePicker);
        const QSignalBlocker widthBlocker(laneWidthValuePicker);
        if (doc->HasLaneTemplate()) {
            // The pickers show the stored frame as near as they can; the frame itself stays as
            // stored, also when its width is no whole percent or its count beyond the picker.
            const KyLaneFrame &frame = doc->LaneFrame();
            laneCountValuePicker->setValue(frame.laneCount());
            // Rounded half up as the ratio is written (0.565 shows 57), not as 0.565 * 100 lands
            // in binary (56.4999...).
            const double percent = std::floor(frame.laneWidthRatio() * 100.0 + 0.5 + kRatioTolerance);
            const int lowest = laneWidthValuePicker->minimum();
            const int highest = laneWidthValuePicker->maximum();
            laneWidthValuePicker->setValue(std::isfinite(percent)
                                               ? int(std::clamp(percent, double(lowest), double(highest)))
                                               : lowest);
        } else {
            // The stored defaults as the pickers clamp them: a stored width of 5 lays lanes of 10 %.
            AnalysisSettings *settings = AnalysisSettings::instance();
            laneCountValuePicker->setValue(settings->intValue(kLaneCountKey));
            laneWidthValuePicker->setValue(settings->intValue(kLaneWidthKey));
            // Lanes laid out for a capture that has none are a starting point, not an edit: a capture
            // only opened and closed again must not ask to be saved.
            const bool wasDirty = doc->IsDirty();
            const bool wasChanged = doc->IsAnalysisChanged();
            doc->SetDefaultLanes(laneCountValuePicker->value(), laneWidthValuePicker->value() / 100.0);
            if (!wasDirty) {
                doc->SetAnalysisChanged(wasChanged);
                doc->SetDirty(false);
            }
        }
    }
    updateImage();
    updateProfileMenu();
    profileGraphView->refresh(mChannel, 0);
    profileGraphView2->refresh(-1, 0);
    updateProfileGraph();
}

// ---- Profile-lane menus -------------------------------------------------------------------------

void KyAnalysisView::updateProfileMenu()
{
    QStringList lanes;
    if (KyDocument *doc = document()) {
        const int count = doc->LaneFrame().laneCount();
        lanes.reserve(std::max(count, 0));
        for (int i = 1; i <= count; ++i)
            lanes << QString::number(i);
    }
    const QString first = QStringLiteral("1");
    profileMenuButton->setMenus(lanes);
    profileMenuButton->setText(first);
    profile2MenuButton->setMenus(lanes);
    profile2MenuButton->setText(first);
    profileGraphView->refresh(mChannel, 0);
    profileGraphView2->refresh(mChannel, 0);
}

void KyAnalysisView::updateProfileGraph()
{
    // Both graphs follow the first menu's lane; a text that is no number gives lane -1.
    const int lane = profileMenuButton->text().toInt() - 1;
    profileGraphView->refresh(mChannel, lane);
    profileGraphView2->refresh(mChannel, lane);
    profileGraphView->update();
    profileGraphView2->update();
}

// ---- Background step ----------------------------------------------------------------------------

void KyAnalysisView::on_backTypeButtonGroup_buttonClicked(QAbstractButton *button)
{
    Q_UNUSED(button);
    radiusWidget->setCurrentIndex(bgRollingBallRadioButton->isChecked() ? kRadiusPage : kRadiusBlankPage);
    startUpdateBackground(false);
}

// finished(int) comes once the finger leaves the arrow; the steps before it start no job.
void KyAnalysisView::on_bgRadiusValuePicker_finished(int value)
{
    AnalysisSettings::instance()->setValue(kRadiusKey, value);
    startUpdateBackground(false);
}

void KyAnalysisView::on_showBGCheckBox_toggled(bool checked)
{
    profileGraphView->setHideBackground(!checked);
    updateProfileGraph();
}

void KyAnalysisView::updateRadiusPickerRange()
{
    // The minimum first: a maximum below it would drag the minimum down with it, for this and
    // every later document.
    bgRadiusValuePicker->setMinimum(kMinimumRadius);
    int maximum = kUnscaledMaximumRadius;
    KyDocument *doc = document();
    if (doc && doc->PixelSize() > 0.0) {
        const int halfHeight = doc->ImageHeight() / 2;
        const int millimetres = int(doc->PixelsToMillimetres(halfHeight) + 0.5);
        const int step = std::max(bgRadiusValuePicker->step(), 1);
        maximum = std::max((millimetres + step - 1) / step * step, kMinimumRadius);
    }
    bgRadiusValuePicker->setMaximum(maximum);
}

void KyAnalysisView::waitForDocumentJobs()
{
    mBackgroundWatcher.waitForFinished();
    mAutoBandWatcher.waitForFinished();
    mRotateWatcher.waitForFinished();
}

void KyAnalysisView::startUpdateBackground(bool force)
{
    // Every input is read here, on the GUI thread; the job gets values and the document only.
    BackgroundInputs inputs;
    if (bgRubberBandRadioButton->isChecked())
        inputs.method = kMethodRubberBand;
    else if (bgMinimumRadioButton->isChecked())
        inputs.method = kMethodMinimum;
    else if (bgRollingBallRadioButton->isChecked())
        inputs.method = kMethodRollingBall;
    else
        inputs.method = kMethodNone;
    inputs.radius = bgRadiusValuePicker->value();
    inputs.document = document();

    waitForDocumentJobs();
    KyViewMode::instance()->setBusy(KyViewMode::EBusyReason(kBusy_Background));
    mBackgroundWatcher.setFuture(QtConcurrent::run(&KyAnalysisView::updateBackground, this, force, inputs));
}

// Pool thread: reads no widget and no setting.
void KyAnalysisView::updateBackground(bool force, BackgroundInputs inputs)
{
    if (!inputs.document)
        return;
    inputs.document->ApplyBackground(inputs.method, inputs.radius, force);
}

void KyAnalysisView::onUpdateBGFinished()
{
    updateProfileGraph();
    updateImage();
    KyViewMode::instance()->unsetBusy(KyViewMode::EBusyReason(kBusy_Background));
    if (mPendingMode != kMode_other) {
        const int next = mPendingMode;
        mPendingMode = kMode_other;
        setMode(next);
    }
}

// ---- Bands step ---------------------------------------------------------------------------------

void KyAnalysisView::initBandSensitivityPicker()
{
    const int count = KyAutoBandParameterTable::instance()->count();
    const QSignalBlocker blocker(bandSensitivityValuePicker);
    bandSensitivityValuePicker->setMinimum(0);
    // Without a parameter set there is nothing to detect with: the picker stays at 0 (showing no
    // name) and detection is off, rather than running with an all-zero set.
    bandSensitivityValuePicker->setMaximum(std::max(count - 1, 0));
    bandSensitivityValuePicker->setTextFunction(bandSensitivityText);
    // Set names are words, wider than the numbers the picker is laid out for: "Medium" in the
    // picker's own size does not fit between its arrows.
    if (auto *display = bandSensitivityValuePicker->findChild<KyLabel *>(QStringLiteral("display")))
        display->setSize(KyLabel::kSize_MiddleSmall);
    bandSensitivityValuePicker->setValue(AnalysisSettings::instance()->intValue(kSensitivityKey));
    bandAutoDetectButton->setEnabled(count > 0);
}

void KyAnalysisView::on_bandAutoDetectButton_clicked()
{
    // Every input is read here, on the GUI thread, the parameter sets included: the table reloads
    // its file whenever it is asked, which the job must not do behind the picker's back.
    const KyAutoBandParameterTable *table = KyAutoBandParameterTable::instance();
    const int count = table->count();
    const int index = bandSensitivityValuePicker->value();
    if (index < 0 || index >= count) {
        bandAutoDetectButton->setEnabled(count > 0);
        return;
    }
    AnalysisSettings::instance()->setValue(kSensitivityKey, index);

    AutoBandInputs inputs;
    inputs.sensitivity = index;
    inputs.document = document();
    inputs.channel = selectedChannel();
    inputs.defaultSet = table->parameter(0, index);
    inputs.markerSet = table->parameter(1, index);

    waitForDocumentJobs();
    KyViewMode::instance()->setBusy(KyViewMode::EBusyReason(kBusy_BandDetection));
    mAutoBandWatcher.setFuture(QtConcurrent::run(&KyAnalysisView::autoBandDetect, this, inputs));
}

// Pool thread: reads no widget, no setting and no table.
void KyAnalysisView::autoBandDetect(AutoBandInputs inputs)
{
    if (!inputs.document)
        return;
    inputs.document->DetectBands(inputs.channel, inputs.defaultSet, inputs.markerSet);
}

void KyAnalysisView::autoBandDetectFinished()
{
    if (mLaneView)
        mLaneView->clearSelection();
    if (mLaneView2)
        mLaneView2->clearSelection();
    updateProfileGraph();
    imageView->update();
    KyViewMode::instance()->unsetBusy(KyViewMode::EBusyReason(kBusy_BandDetection));
}

void KyAnalysisView::on_bandLeftButton_clicked()
{
    emit bandMove(-1);
}

void KyAnalysisView::on_bandRightButton_clicked()
{
    emit bandMove(1);
}

void KyAnalysisView::on_bandReduceButton_clicked()
{
    emit bandModify(-1);
}

void KyAnalysisView::on_bandSpreadButton_clicked()
{
    emit bandModify(1);
}

void KyAnalysisView::on_bandAddButton_clicked()
{
    bandAddButton->setChecked(true);
    bandDeleteButton->setChecked(false);
    if (mLaneView)
        mLaneView->setDeleteMode(false);
    bandEditWidget->setEnabled(true);
}

void KyAnalysisView::on_bandDeleteButton_clicked()
{
    bandDeleteButton->setChecked(true);
    bandAddButton->setChecked(false);
    if (mLaneView) {
        mLaneView->setDeleteMode(true);
        mLaneView->deleteSelectedBand();
    }
    updateBandEditPanel();
}

void KyAnalysisView::on_bandClearButton_clicked()
{
    if (!mLaneView)
        return;
    const bool accepted = KyMessageBox::question(
        window(), QString(), tr("Are you sure you want to clear all bands in the selected channel(s)?"),
        QStringLiteral("Yes"), QStringLiteral("No"));
    KyDocument *doc = document();
    if (!accepted || !doc)
        return;
    doc->ClearBands(selectedChannel());
    mLaneView->clearSelection();
    updateProfileGraph();
    on_bandAddButton_clicked();
}

// The move and width buttons act on a selected band in add mode; in delete mode the selection is
// gone with the band. Behind the single-channel notice (page 1) the state does not show.
void KyAnalysisView::updateBandEditPanel()
{
    const bool notice = bandStackedWidget->currentIndex() == 1;
    bandEditWidget->setEnabled(bandDeleteButton->isChecked() ? notice : !notice);
}
