// Construction, destruction and attaching the current document.
#include "analysisview/kyanalysisview.h"

#include "analysis/kyautobandparametertable.h"
#include "analysisview/intensityview.h"
#include "analysisview/kyanalysissteps.h"
#include "analysisview/kybrightnessview.h"
#include "analysisview/kyzoomratiolist.h"
#include "analysisview/laneview.h"
#include "core/kyviewmode.h"
#include "core/systemsettings.h"
#include "document/kycurrentdocument.h"
#include "document/kydocument.h"
#include "instrument/exposuretext.h"
#include "instrument/lightmode.h"
#include "results/kybarchartctrl.h"
#include "results/kytablemodel.h"
#include "widgets/kyskin.h"
#include "widgets/kytableviewitemdelegate.h"

#include <QBarSeries>
#include <QChart>
#include <QImage>
#include <QStandardItemModel>
#include <QVBarModelMapper>

#include <algorithm>
#include <vector>

namespace {

const QString kSkinRoot = QStringLiteral(":/Kestova/Images/");
const QString kPartsRoot = QStringLiteral(":/KYParts/Resources/");

// The state images of a button skin.
QList<QImage> skinImages(const QStringList &inPaths)
{
    QList<QImage> images;
    for (const QString &path : inPaths)
        images.append(KySkin::image(path));
    return images;
}

} // namespace

KyAnalysisView::KyAnalysisView(QWidget *parent)
    : QWidget(parent)
    , mMWStandardModel(new QStandardItemModel(0, 3, this))
    , mTableModel(new KyTableModel(this))
    , mBarMapper(new QVBarModelMapper(this))
    // The series is never put on a chart, so nothing else would ever delete it.
    , mBarSeries(new QBarSeries(this))
{
    if (!parent && sBuildOnDemand > 0)
        mBuild = kBuild_OnDemand;
    else if (!parent && sBuildInPlace > 0)
        mBuild = kBuild_OnParent;
    else
        build(false);
}

int KyAnalysisView::sBuildInPlace = 0;
int KyAnalysisView::sBuildOnDemand = 0;

bool KyAnalysisView::event(QEvent *event)
{
    // Sent once the new parent is in place.
    if (event->type() == QEvent::ParentChange && mBuild == kBuild_OnParent)
        build(false);
    return QWidget::event(event);
}

void KyAnalysisView::ensureBuilt()
{
    if (mBuild != kBuild_Done)
        build(mBuild == kBuild_OnDemand);
}

void KyAnalysisView::setVisible(bool visible)
{
    // Built before it shows: children made under a visible screen would stay hidden.
    if (visible)
        ensureBuilt();
    QWidget::setVisible(visible);
}

void KyAnalysisView::build(bool inWithoutDocument)
{
    mBuild = kBuild_Done;
    // The chart's theme is a good part of a screen's making: it waits with the rest.
    mChart = new QChart(nullptr, Qt::WindowFlags());
    setupUi(this);

    // ---- Texts and pages
    const QString blueText = QStringLiteral("color: rgb(59, 115, 185);");
    for (QWidget *label : {static_cast<QWidget *>(modeLabel), static_cast<QWidget *>(viewDisplayLabel),
                           static_cast<QWidget *>(viewZoomLabel), static_cast<QWidget *>(viewContrastLabel),
                           static_cast<QWidget *>(viewIntensityLabel)})
        label->setStyleSheet(blueText);
    const QString greyWhenOff = QStringLiteral("QLabel { color: black; } QLabel:disabled { color: gray; }");
    bandEditLabel->setStyleSheet(greyWhenOff);
    bandPositionLabel->setStyleSheet(greyWhenOff);
    bandWidthLabel->setStyleSheet(greyWhenOff);
    // The band editing box is a plain frame in the form; it gets the screen's light rounded line
    // instead of the style's black one.
    bandFrame->setStyleSheet(QStringLiteral("QFrame#bandFrame { border: 1px solid #c5cfdc; border-radius: 6px; }"));
    bandInvalidEdit->setStyleSheet(QStringLiteral("QTextEdit { color: black; background-color: white} "
                                                  "QTextEdit:disabled { color: gray; background-color: white; }"));

    contrast3Button->hide();
    topArea->setCurrentIndex(0);
    singleTab2->setType(KyTab::kType_Top_Small);
    barGraphTab->setType(KyTab::kType_Top_Small);
    opStackedWidget->setCurrentIndex(0);
    summaryTableView_2->setFrameShape(QFrame::NoFrame);
    initBandSensitivityPicker();
    imageView->setCopyEnabled(true);
    image2View->setCopyEnabled(true);
    mwcalibNameTextArea->setReadOnly(false);
    mwcalibValueTextArea->setReadOnly(false);
    laneCountValuePicker->setMaximum(SystemSettings::instance()->intValue(QStringLiteral("MuximumNumberOfLanes")));
    showBGCheckBox->setTextSize(KyLabel::kSize_MiddleSmall);
    mwStandardMenuButton->setTextSize(KyLabel::kSize_MiddleSmall);
    highlightCheckBox->setTextSize(KyLabel::kSize_MiddleSmall);
    mwCalibTenKey->setType(1);

    // ---- Button skins
    const auto dress = [](KyButton *inButton, const QStringList &inImages, int inLeft, int inRight, int inTop,
                          int inBottom) { inButton->setBackground(skinImages(inImages), inLeft, inRight, inTop, inBottom); };

    const QStringList helpSkin{kSkinRoot + QStringLiteral("btn_help.png"), kSkinRoot + QStringLiteral("btn_help_pressed.png")};
    dress(helpButton, helpSkin, 0, 0, 0, 0);
    dress(help2Button, helpSkin, 0, 0, 0, 0);

    dress(previousModeButton,
          {kSkinRoot + QStringLiteral("btn_back.png"), kSkinRoot + QStringLiteral("btn_back_pressed.png")}, 28, 10, 1, 1);
    previousModeButton->setMargins(QMargins(5, 5, 5, 5));
    previousModeButton->setTextAlignment(Qt::AlignCenter);
    previousModeButton->setTextWidth(130);
    dress(nextModeButton,
          {kSkinRoot + QStringLiteral("btn_forward.png"), kSkinRoot + QStringLiteral("btn_forward_pressed.png")}, 10, 28, 1, 1);
    nextModeButton->setMargins(QMargins(0, 5, 30, 5));
    nextModeButton->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    nextModeButton->setTextWidth(100);
    // Both step arrows are light skins that turn blue when pressed: their texts follow.
    for (KyButton *button : {previousModeButton, nextModeButton}) {
        button->setTextColor(KyLabel::kColor_Blue);
        button->setPressedTextColor(KyLabel::kColor_White);
    }

    const QStringList modeSkin{kSkinRoot + QStringLiteral("btn_analysis_mode.png"),
                               kSkinRoot + QStringLiteral("btn_analysis_mode_pressed.png")};
    for (const KyAnalysisStep &step : kyAnalysisSteps()) {
        KyButton *button = this->*step.button;
        dress(button, modeSkin, 5, 5, 5, 5);
        button->setMargins(QMargins(4, 14, 4, 4));
    }

    // The resources hold no disabled picture of the transparent skin: a disabled tool button shows
    // its normal skin, and its icon tells the state.
    const QStringList clearSkin{kSkinRoot + QStringLiteral("btn_trp.png"), kSkinRoot + QStringLiteral("btn_trp_on.png")};
    for (KyButton *button : {contrastButton, contrast3Button, zoomOutButton, zoomUpButton, zoomOut2Button, zoomUp2Button,
                             zoomOut3Button, zoomUp3Button, zoomOut4Button, zoomUp4Button}) {
        dress(button, clearSkin, 10, 10, 10, 10);
        button->setMargins(QMargins(2, 2, 2, 2));
    }

    const auto selectionSkin = [](const char *inPart) {
        const QString base = kPartsRoot + QStringLiteral("btn_selection_%1_").arg(QLatin1String(inPart));
        return QStringList{base + QStringLiteral("off.png"), base + QStringLiteral("on.png"),
                           base + QStringLiteral("disabled.png")};
    };
    for (KyButton *button : {ch1Button, ch1Button2, bandAddButton})
        dress(button, selectionSkin("left"), 5, 5, 5, 5);
    for (KyButton *button : {ch2Button, ch2Button2})
        dress(button, selectionSkin("middle"), 5, 5, 5, 5);
    for (KyButton *button : {ch3Button, ch3Button2, bandDeleteButton})
        dress(button, selectionSkin("right"), 5, 5, 5, 5);

    const QStringList toggleSkin{kSkinRoot + QStringLiteral("btn_toggle_white_off.png"),
                                 kSkinRoot + QStringLiteral("btn_toggle_white_on.png")};
    for (KyButton *button : {imageButton, profileButton, image4Button, profile4Button}) {
        dress(button, toggleSkin, 5, 5, 5, 5);
        button->setMargins(QMargins(2, 2, 2, 2));
    }
    printSummaryButton->setMargins(QMargins(2, 2, 2, 2));
    printButton->setMargins(QMargins(2, 2, 2, 2));

    const QStringList toolSkin{kSkinRoot + QStringLiteral("btn_image_tool.png"),
                               kSkinRoot + QStringLiteral("btn_image_tool_pressed.png"),
                               kSkinRoot + QStringLiteral("btn_image_tool_pressed.png")};
    for (KyButton *button : {displayButton, zoomButton, contrastToolButton, intensityButton}) {
        dress(button, toolSkin, 10, 10, 10, 20);
        button->setMargins(QMargins(5, 5, 5, 22));
    }

    for (KyButton *button : {ch1Button, ch2Button, ch3Button, ch1Button2, ch2Button2, ch3Button2})
        button->setIsLongPress(true);
    for (KyButton *button : {ch1Button, ch2Button, ch3Button})
        button->setMinimumWidth(105);
    tabAreaStackedWidget->setMinimumWidth(300);
    contrastButton->setIcon(QPixmap(kSkinRoot + QStringLiteral("icon_trp_viewTool_L.png")));
    contrastButton->setPressedIcon(QPixmap(kSkinRoot + QStringLiteral("icon_trp_viewTool_L_pressed.png")));
    contrastButton->setDisabledIcon(QPixmap(kSkinRoot + QStringLiteral("icon_trp_viewTool_L_desabled.png")));
    printButton->show();
    radiusWidget->setCurrentIndex(1);

    // ---- Summary table and bar chart
    // The delegates belong to the tables they draw for.
    summaryTableView->setItemDelegate(new KyTableViewItemDelegate(summaryTableView));
    if (mTableModel && mChart) {
        mBarChartCtrl = new KyBarChartCtrl(mTableModel->selectedModel(), mChart, 3, 3, this);
        summaryTableView->setModel(mTableModel);
        summaryTableView_2->setModel(mTableModel);
        mChart->setMargins(QMargins(5, 5, 5, 5));
        // The view lets go of the chart it was made with without deleting it.
        QChart *const madeWith = barChartView->chart();
        barChartView->setChart(mChart);
        if (madeWith != mChart)
            delete madeWith;
        mChart->setAnimationOptions(QChart::NoAnimation);
        mChart->legend()->hide();
    }

    // ---- Connections: a failed one leaves the rest of the chain unmade.
    bool chained = true;
    const auto link = [&chained](const QMetaObject::Connection &inConnection) {
        chained = chained && bool(inConnection);
    };
    if (chained) {
        link(connect(summaryTableView, &KyTableView::Selected, mTableModel, &KyTableModel::RowSelected));
        if (chained)
            link(connect(summaryTableView, &KyTableView::Deselected, mTableModel, &KyTableModel::RowDeselected));
        if (chained)
            link(connect(summaryTableView, &KyTableView::Copy, mTableModel, &KyTableModel::copyToClipboard));
        if (chained)
            link(connect(summaryTableView, &KyTableView::Selected, this, &KyAnalysisView::tableSelectionChanged));
    }
    if (chained) {
        summaryTableView_2->setItemDelegate(new KyTableViewItemDelegate(summaryTableView_2));
        contrast3Button->hide();
        // A brightness overlay would report its range changes here; the screen makes none.
        if (mLaneView == nullptr)
            mLaneView = new LaneView(imageView);
        if (mLaneView2 == nullptr)
            mLaneView2 = new LaneView(image2View);
        link(connect(this, &KyAnalysisView::moveCorner, mLaneView, &LaneView::moveSelectedCorner));
        if (chained)
            link(connect(this, &KyAnalysisView::bandModify, mLaneView, &LaneView::selectBandModify));
        if (chained)
            link(connect(this, &KyAnalysisView::bandMove, mLaneView, &LaneView::selectBandMove));
        if (chained)
            link(connect(mLaneView, &LaneView::laneChanged, this, &KyAnalysisView::onLaneChanged));
        if (chained)
            link(connect(mLaneView, &LaneView::laneCornerSelectionChanged, this,
                         &KyAnalysisView::onLaneCornerSelectionChanged));
        if (chained)
            link(connect(mLaneView, &LaneView::MWStandardLaneChanged, this, &KyAnalysisView::onMWStandardLaneChanged));
    }
    if (chained) {
        link(connect(mLaneView2, &LaneView::selectBandOnSummryView, this, &KyAnalysisView::selectBandOnSummryView));
        if (chained)
            link(connect(this, &KyAnalysisView::summaryTableChanged, mLaneView2, &LaneView::summaryTableChanged));
        if (chained)
            mLaneView2->setSummaryModel(mTableModel);
    }
    if (chained)
        link(connect(mTableModel, &KyTableModel::sorted, this, &KyAnalysisView::onSummaryTableSorted));
    if (chained) {
        mIntensityView = new IntensityView(imageView);
        link(connect(mIntensityView, &IntensityView::setIntensityPoint, this, &KyAnalysisView::onSetIntensityPoint));
        if (chained) {
            mIntensityView->setRect(QRect(0, 0, 0, 0));
            updateIntensityInfo();
            mIntensityView->setVisible(false);
            mIntensityView->setEnabled(false);
        }
    }

    // ---- Tools and step panels
    contrastButton->setChecked(false);
    on_contrastButton_clicked();
    contrast3Button->setChecked(false);
    on_contrast3Button_clicked();
    mwcalibUnitMenuButton->setMenus(SystemSettings::instance()->stringListValue(QStringLiteral("MWUnitList")));
    profileGraphView->setHideBackground(true);
    profileGraphView2->setHideBackground(true);
    mwStandardListView->setModel(mMWStandardModel);
    mwStandardTableView->setModel(mMWStandardModel);
    showBGCheckBox->setChecked(false);

    connect(&mLaneRebuildWatcher, &QFutureWatcher<void>::finished, this, &KyAnalysisView::onLaneRebuildFinished);
    connect(&mBackgroundWatcher, &QFutureWatcher<void>::finished, this, &KyAnalysisView::onUpdateBGFinished);
    connect(&mAutoBandWatcher, &QFutureWatcher<void>::finished, this, &KyAnalysisView::autoBandDetectFinished);

    contrastToolButton->setChecked(true);
    displayButton->setChecked(false);
    zoomButton->setChecked(false);
    intensityButton->setChecked(false);
    opeArea->setCurrentIndex(2);
    viewHighlightCheckBox->setTextSize(KyLabel::kSize_MiddleSmall);
    viewHighlightLabel->setSize(KyLabel::kSize_MiddleSmall);

    // The image tool page's copies of the contrast controls drive the step page's slots.
    connect(viewContrastLowDownButton, &QAbstractButton::clicked, this, &KyAnalysisView::on_contrastLowDownButton_clicked);
    connect(viewContrastLowUpButton, &QAbstractButton::clicked, this, &KyAnalysisView::on_contrastLowUpButton_clicked);
    connect(viewContrastHighDownButton, &QAbstractButton::clicked, this,
            &KyAnalysisView::on_contrastHighDownButton_clicked);
    connect(viewContrastHighUpButton, &QAbstractButton::clicked, this, &KyAnalysisView::on_contrastHighUpButton_clicked);
    connect(viewAutoContrastButton, &QAbstractButton::clicked, this, &KyAnalysisView::on_autoContrastButton_clicked);
    connect(viewHighlightCheckBox, &QAbstractButton::toggled, this, &KyAnalysisView::on_highlightCheckBox_toggled);
    connect(&mRotateWatcher, &QFutureWatcher<void>::finished, this, &KyAnalysisView::onRotateFinished);
    connect(printButton, &QAbstractButton::clicked, this, &KyAnalysisView::printImage);

    if (inWithoutDocument)
        showNoDocument();
    else
        resetForDocument(true);
}

KyAnalysisView::~KyAnalysisView()
{
    // The pool jobs call into the document and the screen: nothing may go before they end. The
    // lanes' re-measurement comes first: its end would start the background job.
    mLaneRebuildWatcher.waitForFinished();
    mBackgroundWatcher.waitForFinished();
    mAutoBandWatcher.waitForFinished();
    mRotateWatcher.waitForFinished();

    // The overlays unregister from their canvases, which are still alive here.
    delete mIntensityView;
    mIntensityView = nullptr;
    delete mLaneView2;
    mLaneView2 = nullptr;
    delete mLaneView;
    mLaneView = nullptr;
    delete mBrightnessView2;
    mBrightnessView2 = nullptr;
    delete mBrightnessView;
    mBrightnessView = nullptr;
}

KyDocument *KyAnalysisView::document() const
{
    return KyCurrentDocument::document();
}

void KyAnalysisView::showNoDocument()
{
    setEnabled(false);
    imageView->clear();
    image2View->clear();
    imageView->update();
    image2View->update();
    if (mTableModel)
        mTableModel->setContents(nullptr);
}

void KyAnalysisView::resetForDocument(bool resetSteps)
{
    KyDocument *doc = document();
    if (!doc) {
        showNoDocument();
        return;
    }

    // Exactly one connection, whatever an earlier attach of the same document left.
    disconnect(doc, &KyDocument::AnalysisChanged, this, &KyAnalysisView::onAnalysisChanged);
    connect(doc, &KyDocument::AnalysisChanged, this, &KyAnalysisView::onAnalysisChanged);
    mAnalysisChanged = true;
    setEnabled(true);

    if (resetSteps) {
        highlightCheckBox->setChecked(true);
        viewHighlightCheckBox->setChecked(true);

        // Step buttons: grey until their step has results, as the document came (before the lanes
        // are laid out below).
        std::vector<bool> done;
        for (const KyAnalysisStep &step : kyAnalysisSteps()) {
            done.push_back(step.hasResults && step.hasResults(*doc));
            KyButton *button = this->*step.button;
            button->setIcon(kyAnalysisStepIcon(step, false));
            button->setTextColor(KyLabel::kColor_Gray);
        }
        contrastButton->setChecked(false);
        updateLaneControls();
        for (const KyAnalysisStep &step : kyAnalysisSteps()) {
            if (!done[size_t(step.mode)])
                continue;
            KyButton *button = this->*step.button;
            button->setIcon(kyAnalysisStepIcon(step, true));
            button->setTextColor(KyLabel::kColor_Black);
        }

        // Background panel.
        int method = 0;
        int radius = 0;
        doc->BackgroundParameters(method, radius);
        KyRadioButton *const methodButtons[] = {bgNoneRadioButton, bgRubberBandRadioButton, bgMinimumRadioButton,
                                                bgRollingBallRadioButton};
        if (method >= 0 && method < 4)
            methodButtons[method]->setChecked(true);
        updateRadiusPickerRange();
        bgRadiusValuePicker->setValue(radius);
        radiusWidget->setCurrentIndex(bgRollingBallRadioButton->isChecked() ? 0 : 1);

        // Band panel: the parameter set the channel's bands were detected with.
        const int sensitivity = KyAutoBandParameterTable::instance()->indexOf(doc->ChannelText(mChannel));
        if (sensitivity >= 0)
            bandSensitivityValuePicker->setValue(sensitivity);

        mEditedMWStandard = doc->MWStandard();
        updateMWStandardMenu();

        contrastMessageEdit->setText(doc->HasMarker()
                                         ? tr("Contrast adjustment is only available in sample view")
                                         : tr("Contrast adjustment is only available in single channel mode"));

        attachChannelArea(doc);

        if (mLaneView2)
            mLaneView2->setChannelSelection(mChannel);

        barGraphTab->setCurrentIndex(0);
        on_barGraphTab_changed(0);
        imageButton->setChecked(true);
        on_imageButton_clicked();

        onSetIntensityPoint(QPoint(doc->ImageWidth() / 2, doc->ImageHeight() / 2));
        updateImage();
        updateBandEditPanel();

        // Zoom back to the whole image.
        mZoomIndex = 0;
        mSummaryZoomIndex = 0;
        profileGraphView->setZoom(1.0);
        profileGraphView2->setZoom(1.0);
        zoomOutButton->setEnabled(false);
        zoomOut3Button->setEnabled(false);
        for (KyButton *button : {zoomOut2Button, zoomOut4Button, zoomUpButton, zoomUp2Button, zoomUp3Button, zoomUp4Button})
            button->setEnabled(true);
        updateSingleChannelControls();
        updateImage();
        zoomValuePicker->setTextFunction(&KyZoomRatioList::Text);
        zoomValuePicker->setMaximum(KyZoomRatioList::instance()->Count() - 1);
        zoomValuePicker->setValue(0);
        imageView->fitToWindow();
        image2View->fitToWindow();

        updateProfileMenu();
    }

    stackedWidget->setCurrentIndex(0);
    if (mLaneView) {
        mLaneView->setDeleteMode(false);
        mLaneView->setEnabled(true);
        mLaneView->setVisible(true);
    }
    bandAddButton->setChecked(true);
    bandDeleteButton->setChecked(false);
    setMode(kMode_Lanes);
}

void KyAnalysisView::attachChannelArea(KyDocument *doc)
{
    const QList<LightMode> modes = doc->LightModes();
    KyButton *const buttons[] = {ch1Button, ch2Button, ch3Button};
    KyButton *const summaryButtons[] = {ch1Button2, ch2Button2, ch3Button2};
    KyLabel *const titleLabels[] = {dispExpTimeTitleLabel1, dispExpTimeTitleLabel2, dispExpTimeTitleLabel3};
    KyLabel *const valueLabels[] = {dispExpTimeLabel1, dispExpTimeLabel2, dispExpTimeLabel3};
    const auto setButton = [&](int inIndex, const QString *inText, bool inShown, bool inChecked) {
        for (KyButton *button : {buttons[inIndex], summaryButtons[inIndex]}) {
            if (inText)
                button->setText(*inText);
            button->setVisible(inShown);
            button->setChecked(inChecked);
        }
    };

    if (modes.size() <= 1) {
        dispExpTimeTitleLabel->setText(tr("Exposure time"));
        dispExpTimeTitleLabel->show();
        dispExpTimeTitleLabel1->hide();
        dispExpTimeLabel1->setText(exposureTimeText(quint32(std::max(0, doc->ExposureTime(0)))));
        dispExpTimeLabel1->show();
        for (int i = 1; i < 3; ++i) {
            titleLabels[i]->hide();
            valueLabels[i]->hide();
        }
        mButtonChannels = {0, -1, -1};

        if (doc->HasMarker()) {
            mDocumentKind = kDocument_Marker;
            mDisplayKind = kDisplay_Color;
            const QString sample = tr("Sample");
            const QString marker = tr("Marker");
            setButton(0, &sample, true, true);
            setButton(1, nullptr, false, false);
            setButton(2, &marker, true, true);
            tabAreaStackedWidget->setCurrentIndex(1);
            tabAreaStackedWidget2->setCurrentIndex(1);
            mButtonChannels[2] = 1;
            mChannel = selectedChannel();
        } else if (!modes.isEmpty() && modes.first().isWhiteLight()) {
            // Two blanks after "adjustment": the text the instrument's screens show.
            contrastMessageEdit->setText(tr("Contrast adjustment  is only available in sample view"));
            mDocumentKind = kDocument_Color;
            mDisplayKind = kDisplay_Color;
            const QStringList titles{tr("Sample"), tr("Color")};
            for (KyTab *tab : {singleTab, singleTab2}) {
                tab->setTitles(titles);
                tab->setCurrentIndex(1);
            }
            tabAreaStackedWidget->setCurrentIndex(0);
            tabAreaStackedWidget2->setCurrentIndex(0);
            mChannel = 0;
        } else {
            mDocumentKind = kDocument_Single;
            mDisplayKind = kDisplay_Channel;
            const QStringList titles{tr("Sample")};
            for (KyTab *tab : {singleTab, singleTab2}) {
                tab->setTitles(titles);
                tab->setCurrentIndex(0);
            }
            tabAreaStackedWidget->setCurrentIndex(0);
            tabAreaStackedWidget2->setCurrentIndex(0);
            mChannel = 0;
        }
        return;
    }

    // Fluorescence channels: light modes 2, 3 and 4 are the blue, green and red channels.
    mButtonChannels = {-1, -1, -1};
    mDisplayKind = kDisplay_Composite;
    mDocumentKind = kDocument_Multi;
    const QString first = modes.at(0).methodName();
    setButton(0, &first, true, true);
    if (modes.at(0).hasId(2))
        mButtonChannels[0] = 0;
    else if (modes.at(0).hasId(3))
        mButtonChannels[0] = 1;
    if (modes.size() == 2) {
        const QString second = modes.at(1).methodName();
        setButton(1, nullptr, false, false);
        setButton(2, &second, true, true);
        if (modes.at(1).hasId(3))
            mButtonChannels[2] = 1;
        else if (modes.at(1).hasId(4))
            mButtonChannels[2] = 2;
    } else {
        const QString second = modes.at(1).methodName();
        const QString third = modes.at(2).methodName();
        setButton(1, &second, true, true);
        setButton(2, &third, true, true);
        mButtonChannels[1] = 1;
        mButtonChannels[2] = 2;
    }

    dispExpTimeTitleLabel->setText(tr("Exposure times"));
    dispExpTimeTitleLabel->show();
    for (int i = 0; i < 3; ++i) {
        const int channel = mButtonChannels[size_t(i)];
        if (channel == -1) {
            titleLabels[i]->hide();
            valueLabels[i]->hide();
            continue;
        }
        titleLabels[i]->setText(doc->ChannelName(channel));
        valueLabels[i]->setText(exposureTimeText(quint32(std::max(0, doc->ExposureTime(channel)))));
        titleLabels[i]->show();
        valueLabels[i]->show();
    }
    mChannel = selectedChannel();
    image2View->setImage(doc->qImage(mChannel, QRect()));
    tabAreaStackedWidget->setCurrentIndex(1);
    tabAreaStackedWidget2->setCurrentIndex(1);
}

void KyAnalysisView::onAnalysisChanged()
{
    mAnalysisChanged = true;
}
