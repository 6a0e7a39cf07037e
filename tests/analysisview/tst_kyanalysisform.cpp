#include "testmain.h"

#include "analysisview/kyanalysisform.h"
#include "widgets/kyfonts.h"

#include <QApplication>
#include <QButtonGroup>
#include <QMetaMethod>
#include <QModelIndex>
#include <QPointer>
#include <QStackedWidget>

#include <algorithm>
#include <functional>

namespace {

// Qt reports a slot whose object or signal it cannot find only as a warning; the form must build
// without any.
QStringList gWarnings;
QtMessageHandler gPreviousHandler = nullptr;

void collectWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg || type == QtCriticalMsg)
        gWarnings.append(message);
    gPreviousHandler(type, context, message);
}

struct WarningCollector
{
    WarningCollector()
    {
        gWarnings.clear();
        gPreviousHandler = qInstallMessageHandler(collectWarnings);
    }
    ~WarningCollector() { qInstallMessageHandler(gPreviousHandler); }
};

struct NameAndClass
{
    const char *name;
    const char *className;
};

// Every named widget of the form with its class.
const NameAndClass kWidgets[] = {
    {"stackedWidget", "QStackedWidget"}, {"mainPage", "QWidget"}, {"topArea", "QStackedWidget"},
    {"analysis1Page", "QWidget"}, {"kyBorderImage", "KyBorderImage"}, {"kyBorderImage_4", "KyBorderImage"},
    {"topWidget", "QWidget"}, {"tabAreaStackedWidget", "QStackedWidget"}, {"tabPage", "QWidget"},
    {"singleTab", "KyTab"}, {"multiPage", "QWidget"}, {"ch1Button", "KyButton"}, {"ch2Button", "KyButton"},
    {"ch3Button", "KyButton"}, {"blankPage", "QWidget"}, {"printButton", "KyButton"},
    {"imageButton", "KyButton"}, {"profileButton", "KyButton"}, {"viewStackedWidget", "QStackedWidget"},
    {"imagePage", "QWidget"}, {"imageView", "KyImageView"}, {"contrastButton", "KyButton"},
    {"zoomOutButton", "KyButton"}, {"zoomDummyWidget", "QWidget"}, {"zoomUpButton", "KyButton"},
    {"profilePage", "QWidget"}, {"profileGraphView", "KyProfileGraphView"}, {"kyLabel_7", "KyLabel"},
    {"profileMenuButton", "KyMenuButton"}, {"showBGCheckBox", "KyCheckBox"}, {"zoomOut2Button", "KyButton"},
    {"zoomUp2Button", "KyButton"}, {"opStackedWidget", "QStackedWidget"}, {"analyzePage", "QWidget"},
    {"kyBorderImage_5", "KyBorderImage"}, {"widget", "QWidget"}, {"modeLabel", "KyLabel"},
    {"helpButton", "KyButton"}, {"operationPanel", "QStackedWidget"}, {"lanePage", "QWidget"},
    {"kyLabel_2", "KyLabel"}, {"laneCountValuePicker", "KyValuePicker"}, {"kyLabel_3", "KyLabel"},
    {"laneWidthValuePicker", "KyValuePicker"}, {"kyTextEdit_2", "KyTextEdit"}, {"laneUpButton", "KyButton"},
    {"laneLeftButton", "KyButton"}, {"laneRightButton", "KyButton"}, {"laneDownButton", "KyButton"},
    {"bgPage", "QWidget"}, {"kyLabel_5", "KyLabel"}, {"widget_2", "QWidget"},
    {"bgNoneRadioButton", "KyRadioButton"}, {"bgRubberBandRadioButton", "KyRadioButton"},
    {"bgMinimumRadioButton", "KyRadioButton"}, {"bgRollingBallRadioButton", "KyRadioButton"},
    {"radiusWidget", "QStackedWidget"}, {"radiusActivePage", "QWidget"}, {"bkRadiusLabel", "KyLabel"},
    {"bgRadiusValuePicker", "KyValuePicker"}, {"radiusBlankPage", "QWidget"}, {"bandPage", "QWidget"},
    {"bandPositionLabel_2", "KyLabel"}, {"bandSensitivityValuePicker", "KyValuePicker"},
    {"bandAutoDetectButton", "KyButton"}, {"bandFrame", "QFrame"}, {"bandEditLabel", "KyLabel"},
    {"bandStackedWidget", "QStackedWidget"}, {"bandActivePage", "QWidget"}, {"bandAddButton", "KyButton"},
    {"bandDeleteButton", "KyButton"}, {"bandEditWidget", "QWidget"}, {"bandPositionLabel", "KyLabel"},
    {"bandLeftButton", "KyButton"}, {"bandRightButton", "KyButton"}, {"bandWidthLabel", "KyLabel"},
    {"bandReduceButton", "KyButton"}, {"bandSpreadButton", "KyButton"}, {"bandTextPage", "QWidget"},
    {"bandInvalidEdit", "KyTextEdit"}, {"bandClearButton", "KyButton"}, {"mwPage", "QWidget"},
    {"mwStandardMenuButton", "KyMenuButton"}, {"mwEditButton", "KyButton"}, {"mwAddButton", "KyButton"},
    {"mwStandardListView", "KyListView"}, {"kyLabel", "KyLabel"},
    {"mwCurveLinearRadioButton", "KyRadioButton"}, {"mwCurveCubicRadioButton", "KyRadioButton"},
    {"mwCalibStackedWidget", "QStackedWidget"}, {"activePage_2", "QWidget"}, {"mwViewPlotButton", "KyButton"},
    {"messagePage_2", "QWidget"}, {"kyLabel_4", "KyLabel"}, {"normPage", "QWidget"},
    {"kyTextEdit_3", "KyTextEdit"}, {"contrastPage", "QWidget"}, {"histLabel", "QLabel"},
    {"contrastLowDownButton", "KyButton"}, {"contrastLowUpButton", "KyButton"},
    {"contrastHighDownButton", "KyButton"}, {"contrastHighUpButton", "KyButton"},
    {"autoContrastButton", "KyButton"}, {"widget_10", "QWidget"}, {"widget_13", "QWidget"},
    {"highlightCheckBox", "KyCheckBox"}, {"layoutWidget", "QWidget"}, {"kyLabel_9", "KyLabel"},
    {"viewPage", "QWidget"}, {"kyBorderImage_3", "KyBorderImage"}, {"widget_11", "QWidget"},
    {"displayButton", "KyButton"}, {"zoomButton", "KyButton"}, {"contrastToolButton", "KyButton"},
    {"intensityButton", "KyButton"}, {"opeArea", "QStackedWidget"}, {"imageDisplayPage", "QWidget"},
    {"viewDisplayLabel", "KyLabel"}, {"invertCheckBox", "KyCheckBox"}, {"storageLabel_22", "KyLabel"},
    {"rotateLButton", "KyButton"}, {"rotateRButton", "KyButton"}, {"dispExpTimeTitleLabel", "KyLabel"},
    {"dispExpTimeTitleLabel1", "KyLabel"}, {"dispExpTimeLabel1", "KyLabel"},
    {"dispExpTimeTitleLabel2", "KyLabel"}, {"dispExpTimeLabel2", "KyLabel"},
    {"dispExpTimeTitleLabel3", "KyLabel"}, {"dispExpTimeLabel3", "KyLabel"}, {"imageZoomPage", "QWidget"},
    {"viewZoomLabel", "KyLabel"}, {"zoomValuePicker", "KyValuePicker"}, {"zoomResetButton", "KyButton"},
    {"imageContrastPage", "QWidget"}, {"viewContrastLabel", "KyLabel"}, {"viewHistLabel", "QLabel"},
    {"contrastPartWidget", "QStackedWidget"}, {"activePage", "QWidget"},
    {"viewContrastLowDownButton", "KyButton"}, {"viewContrastLowUpButton", "KyButton"},
    {"viewContrastHighDownButton", "KyButton"}, {"viewContrastHighUpButton", "KyButton"},
    {"viewAutoContrastButton", "KyButton"}, {"messagePage", "QWidget"}, {"contrastMessageEdit", "KyTextEdit"},
    {"contrastSaturateCheckWidget", "QWidget"}, {"viewHighlightCheckBox", "KyCheckBox"},
    {"viewHighlightLabel", "KyLabel"}, {"widget_12", "QWidget"}, {"imageIntensityPage", "QWidget"},
    {"viewIntensityLabel", "KyLabel"}, {"intensityRightButton", "KyButton"},
    {"intensityUpButton", "KyButton"}, {"frame", "QFrame"}, {"intensityImageLabel", "QLabel"},
    {"intensityDownButton", "KyButton"}, {"intensityLeftButton", "KyButton"},
    {"intensityStackWidget", "QStackedWidget"}, {"singlePage", "QWidget"}, {"storageLabel_4", "KyLabel"},
    {"intMaxText", "KyTextArea"}, {"storageLabel_6", "KyLabel"}, {"intAveText", "KyTextArea"},
    {"storageLabel_9", "KyLabel"}, {"intMinText", "KyTextArea"}, {"multiPage_3", "QWidget"},
    {"BlueMaxLabel", "KyLabel"}, {"intBlueMaxText", "KyTextArea"}, {"GreenMaxLabel", "KyLabel"},
    {"intGreenMaxText", "KyTextArea"}, {"RedMaxLabel", "KyLabel"}, {"intRedMaxText", "KyTextArea"},
    {"analysis2Page", "QWidget"}, {"kyBorderImage_2", "KyBorderImage"}, {"kyBorderImage_7", "KyBorderImage"},
    {"tabAreaStackedWidget2", "QStackedWidget"}, {"tabPage_2", "QWidget"}, {"singleTab2", "KyTab"},
    {"multiPage_2", "QWidget"}, {"ch1Button2", "KyButton"}, {"ch2Button2", "KyButton"},
    {"ch3Button2", "KyButton"}, {"blankPage_2", "QWidget"}, {"widget_7", "QWidget"},
    {"image4Button", "KyButton"}, {"profile4Button", "KyButton"}, {"view2StackedWidget", "QStackedWidget"},
    {"image2Page", "QWidget"}, {"image2View", "KyImageView"}, {"contrast3Button", "KyButton"},
    {"zoomOut3Button", "KyButton"}, {"zoomUp3Button", "KyButton"}, {"profile2Page", "QWidget"},
    {"profileGraphView2", "KyProfileGraphView"}, {"kyLabel_8", "KyLabel"},
    {"profile2MenuButton", "KyMenuButton"}, {"zoomOut4Button", "KyButton"}, {"zoomUp4Button", "KyButton"},
    {"kyBorderImage_6", "KyBorderImage"}, {"widget_9", "QWidget"}, {"barGraphTab", "KyTab"},
    {"widget_5", "QWidget"}, {"printSummaryButton", "KyButton"}, {"help2Button", "KyButton"},
    {"widget_6", "QWidget"}, {"barChartView", "KyChartView"}, {"widget_8", "QWidget"},
    {"summaryTableView", "KyTableView"}, {"modeBack", "KyBorderImage"}, {"widget_4", "QWidget"},
    {"previousModeButton", "KyButton"}, {"lanesModeButton", "KyButton"}, {"bgModeButton", "KyButton"},
    {"bandsModeButton", "KyButton"}, {"mwModeButton", "KyButton"}, {"normModeButton", "KyButton"},
    {"summaryModeButton", "KyButton"}, {"widget_3", "QWidget"}, {"nextModeButton", "KyButton"},
    {"mwcalibPage", "QWidget"}, {"kyLabel_6", "KyLabel"}, {"mwcalibNameTextArea", "KyTextArea"},
    {"kyLabel_11", "KyLabel"}, {"mwcalibUnitMenuButton", "KyMenuButton"}, {"kyLabel_12", "KyLabel"},
    {"mwStandardTableView", "KyTableView"}, {"line", "QFrame"}, {"mwcalibValueTextArea", "KyTextArea"},
    {"mwcalibSetButton", "KyButton"}, {"mwCalibTenKey", "KyTenKey"}, {"mwcalibCancelButton", "KyButton"},
    {"mwcalibDeleteButton", "KyButton"}, {"mwcalibSaveButton", "KyButton"}, {"printPage", "QWidget"},
    {"summaryTableView_2", "KyTableView"},
};

// Every skin and icon the form sets, by widget and property.
const NameAndClass kPixmaps[] = {
    {"kyBorderImage_4", "mPixmap"}, {"printButton", "icon"}, {"printButton", "pressedIcon"},
    {"printButton", "disabledIcon"}, {"imageButton", "icon"}, {"imageButton", "pressedIcon"},
    {"imageButton", "disabledIcon"}, {"profileButton", "icon"}, {"profileButton", "pressedIcon"},
    {"profileButton", "disabledIcon"}, {"contrastButton", "icon"}, {"contrastButton", "pressedIcon"},
    {"contrastButton", "disabledIcon"}, {"zoomOutButton", "icon"}, {"zoomOutButton", "pressedIcon"},
    {"zoomOutButton", "disabledIcon"}, {"zoomUpButton", "icon"}, {"zoomUpButton", "pressedIcon"},
    {"zoomUpButton", "disabledIcon"}, {"zoomOut2Button", "icon"}, {"zoomOut2Button", "pressedIcon"},
    {"zoomOut2Button", "disabledIcon"}, {"zoomUp2Button", "icon"}, {"zoomUp2Button", "pressedIcon"},
    {"zoomUp2Button", "disabledIcon"}, {"kyBorderImage_5", "mPixmap"}, {"laneUpButton", "icon"},
    {"laneUpButton", "pressedIcon"}, {"laneLeftButton", "icon"}, {"laneLeftButton", "pressedIcon"},
    {"laneRightButton", "icon"}, {"laneRightButton", "pressedIcon"}, {"laneDownButton", "icon"},
    {"laneDownButton", "pressedIcon"}, {"bandLeftButton", "icon"}, {"bandLeftButton", "pressedIcon"},
    {"bandRightButton", "icon"}, {"bandRightButton", "pressedIcon"}, {"contrastLowDownButton", "icon"},
    {"contrastLowDownButton", "pressedIcon"}, {"contrastLowUpButton", "icon"},
    {"contrastLowUpButton", "pressedIcon"}, {"contrastHighDownButton", "icon"},
    {"contrastHighDownButton", "pressedIcon"}, {"contrastHighUpButton", "icon"},
    {"contrastHighUpButton", "pressedIcon"}, {"kyBorderImage_3", "mPixmap"}, {"displayButton", "icon"},
    {"displayButton", "pressedIcon"}, {"zoomButton", "icon"}, {"zoomButton", "pressedIcon"},
    {"contrastToolButton", "icon"}, {"contrastToolButton", "pressedIcon"}, {"intensityButton", "icon"},
    {"intensityButton", "pressedIcon"}, {"rotateLButton", "icon"}, {"rotateLButton", "pressedIcon"},
    {"rotateRButton", "icon"}, {"rotateRButton", "pressedIcon"}, {"viewContrastLowDownButton", "icon"},
    {"viewContrastLowDownButton", "pressedIcon"}, {"viewContrastLowUpButton", "icon"},
    {"viewContrastLowUpButton", "pressedIcon"}, {"viewContrastHighDownButton", "icon"},
    {"viewContrastHighDownButton", "pressedIcon"}, {"viewContrastHighUpButton", "icon"},
    {"viewContrastHighUpButton", "pressedIcon"}, {"intensityRightButton", "icon"},
    {"intensityRightButton", "pressedIcon"}, {"intensityUpButton", "icon"},
    {"intensityUpButton", "pressedIcon"}, {"intensityDownButton", "icon"},
    {"intensityDownButton", "pressedIcon"}, {"intensityLeftButton", "icon"},
    {"intensityLeftButton", "pressedIcon"}, {"kyBorderImage_7", "mPixmap"}, {"image4Button", "icon"},
    {"image4Button", "pressedIcon"}, {"image4Button", "disabledIcon"}, {"profile4Button", "icon"},
    {"profile4Button", "pressedIcon"}, {"profile4Button", "disabledIcon"}, {"contrast3Button", "icon"},
    {"contrast3Button", "pressedIcon"}, {"contrast3Button", "disabledIcon"}, {"zoomOut3Button", "icon"},
    {"zoomOut3Button", "pressedIcon"}, {"zoomOut3Button", "disabledIcon"}, {"zoomUp3Button", "icon"},
    {"zoomUp3Button", "pressedIcon"}, {"zoomUp3Button", "disabledIcon"}, {"zoomOut4Button", "icon"},
    {"zoomOut4Button", "pressedIcon"}, {"zoomOut4Button", "disabledIcon"}, {"zoomUp4Button", "icon"},
    {"zoomUp4Button", "pressedIcon"}, {"zoomUp4Button", "disabledIcon"}, {"kyBorderImage_6", "mPixmap"},
    {"printSummaryButton", "icon"}, {"printSummaryButton", "pressedIcon"},
    {"printSummaryButton", "disabledIcon"}, {"modeBack", "mPixmap"}, {"previousModeButton", "pressedIcon"},
    {"lanesModeButton", "icon"}, {"lanesModeButton", "pressedIcon"}, {"bgModeButton", "icon"},
    {"bgModeButton", "pressedIcon"}, {"bandsModeButton", "icon"}, {"bandsModeButton", "pressedIcon"},
    {"mwModeButton", "icon"}, {"mwModeButton", "pressedIcon"}, {"normModeButton", "icon"},
    {"normModeButton", "pressedIcon"}, {"summaryModeButton", "icon"}, {"summaryModeButton", "pressedIcon"},
};

struct Connection
{
    const char *object;
    const char *signal;
    const char *slot;
};

const Connection kConnections[] = {
        {"previousModeButton", "clicked()", "on_previousModeButton_clicked"},
        {"nextModeButton", "clicked()", "on_nextModeButton_clicked"},
        {"lanesModeButton", "clicked()", "on_lanesModeButton_clicked"},
        {"bgModeButton", "clicked()", "on_bgModeButton_clicked"},
        {"bandsModeButton", "clicked()", "on_bandsModeButton_clicked"},
        {"mwModeButton", "clicked()", "on_mwModeButton_clicked"},
        {"normModeButton", "clicked()", "on_normModeButton_clicked"},
        {"summaryModeButton", "clicked()", "on_summaryModeButton_clicked"},
        {"helpButton", "clicked()", "on_helpButton_clicked"},
        {"help2Button", "clicked()", "on_help2Button_clicked"},
        {"zoomOutButton", "clicked()", "on_zoomOutButton_clicked"},
        {"zoomUpButton", "clicked()", "on_zoomUpButton_clicked"},
        {"zoomOut2Button", "clicked()", "on_zoomOut2Button_clicked"},
        {"zoomUp2Button", "clicked()", "on_zoomUp2Button_clicked"},
        {"zoomOut3Button", "clicked()", "on_zoomOut3Button_clicked"},
        {"zoomUp3Button", "clicked()", "on_zoomUp3Button_clicked"},
        {"zoomOut4Button", "clicked()", "on_zoomOut4Button_clicked"},
        {"zoomUp4Button", "clicked()", "on_zoomUp4Button_clicked"},
        {"zoomResetButton", "clicked()", "on_zoomResetButton_clicked"},
        {"contrastButton", "clicked()", "on_contrastButton_clicked"},
        {"contrast3Button", "clicked()", "on_contrast3Button_clicked"},
        {"contrastLowDownButton", "clicked()", "on_contrastLowDownButton_clicked"},
        {"contrastLowUpButton", "clicked()", "on_contrastLowUpButton_clicked"},
        {"contrastHighDownButton", "clicked()", "on_contrastHighDownButton_clicked"},
        {"contrastHighUpButton", "clicked()", "on_contrastHighUpButton_clicked"},
        {"autoContrastButton", "clicked()", "on_autoContrastButton_clicked"},
        {"imageButton", "clicked()", "on_imageButton_clicked"},
        {"profileButton", "clicked()", "on_profileButton_clicked"},
        {"image4Button", "clicked()", "on_image4Button_clicked"},
        {"profile4Button", "clicked()", "on_profile4Button_clicked"},
        {"displayButton", "clicked()", "on_displayButton_clicked"},
        {"zoomButton", "clicked()", "on_zoomButton_clicked"},
        {"contrastToolButton", "clicked()", "on_contrastToolButton_clicked"},
        {"intensityButton", "clicked()", "on_intensityButton_clicked"},
        {"rotateLButton", "clicked()", "on_rotateLButton_clicked"},
        {"rotateRButton", "clicked()", "on_rotateRButton_clicked"},
        {"intensityUpButton", "clicked()", "on_intensityUpButton_clicked"},
        {"intensityDownButton", "clicked()", "on_intensityDownButton_clicked"},
        {"intensityLeftButton", "clicked()", "on_intensityLeftButton_clicked"},
        {"intensityRightButton", "clicked()", "on_intensityRightButton_clicked"},
        {"laneUpButton", "clicked()", "on_laneUpButton_clicked"},
        {"laneDownButton", "clicked()", "on_laneDownButton_clicked"},
        {"laneLeftButton", "clicked()", "on_laneLeftButton_clicked"},
        {"laneRightButton", "clicked()", "on_laneRightButton_clicked"},
        {"bandAutoDetectButton", "clicked()", "on_bandAutoDetectButton_clicked"},
        {"bandLeftButton", "clicked()", "on_bandLeftButton_clicked"},
        {"bandRightButton", "clicked()", "on_bandRightButton_clicked"},
        {"bandReduceButton", "clicked()", "on_bandReduceButton_clicked"},
        {"bandSpreadButton", "clicked()", "on_bandSpreadButton_clicked"},
        {"bandAddButton", "clicked()", "on_bandAddButton_clicked"},
        {"bandDeleteButton", "clicked()", "on_bandDeleteButton_clicked"},
        {"bandClearButton", "clicked()", "on_bandClearButton_clicked"},
        {"mwAddButton", "clicked()", "on_mwAddButton_clicked"},
        {"mwEditButton", "clicked()", "on_mwEditButton_clicked"},
        {"mwViewPlotButton", "clicked()", "on_mwViewPlotButton_clicked"},
        {"mwcalibSaveButton", "clicked()", "on_mwcalibSaveButton_clicked"},
        {"mwcalibCancelButton", "clicked()", "on_mwcalibCancelButton_clicked"},
        {"mwcalibDeleteButton", "clicked()", "on_mwcalibDeleteButton_clicked"},
        {"mwcalibSetButton", "clicked()", "on_mwcalibSetButton_clicked"},
        {"printSummaryButton", "clicked()", "on_printSummaryButton_clicked"},
        {"mwcalibNameTextArea", "clicked()", "on_mwcalibNameTextArea_clicked"},
        {"ch1Button", "clicked()", "on_ch1Button_clicked"},
        {"ch1Button", "longClicked()", "on_ch1Button_longClicked"},
        {"ch1Button", "doubleClicked()", "on_ch1Button_doubleClicked"},
        {"ch2Button", "clicked()", "on_ch2Button_clicked"},
        {"ch2Button", "longClicked()", "on_ch2Button_longClicked"},
        {"ch2Button", "doubleClicked()", "on_ch2Button_doubleClicked"},
        {"ch3Button", "clicked()", "on_ch3Button_clicked"},
        {"ch3Button", "longClicked()", "on_ch3Button_longClicked"},
        {"ch3Button", "doubleClicked()", "on_ch3Button_doubleClicked"},
        {"ch1Button2", "clicked()", "on_ch1Button2_clicked"},
        {"ch1Button2", "longClicked()", "on_ch1Button2_longClicked"},
        {"ch1Button2", "doubleClicked()", "on_ch1Button2_doubleClicked"},
        {"ch2Button2", "clicked()", "on_ch2Button2_clicked"},
        {"ch2Button2", "longClicked()", "on_ch2Button2_longClicked"},
        {"ch2Button2", "doubleClicked()", "on_ch2Button2_doubleClicked"},
        {"ch3Button2", "clicked()", "on_ch3Button2_clicked"},
        {"ch3Button2", "longClicked()", "on_ch3Button2_longClicked"},
        {"ch3Button2", "doubleClicked()", "on_ch3Button2_doubleClicked"},
        {"imageView", "resized()", "on_imageView_resized"},
        {"imageView", "scrolled(QPoint)", "on_imageView_scrolled"},
        {"image2View", "scrolled(QPoint)", "on_image2View_scrolled"},
        {"profileGraphView", "scrolled()", "on_profileGraphView_scrolled"},
        {"profileGraphView2", "scrolled()", "on_profileGraphView2_scrolled"},
        {"singleTab", "changed(int)", "on_singleTab_changed"},
        {"singleTab2", "changed(int)", "on_singleTab2_changed"},
        {"barGraphTab", "changed(int)", "on_barGraphTab_changed"},
        {"profileMenuButton", "selectionChanged(QString)", "on_profileMenuButton_selectionChanged"},
        {"profile2MenuButton", "selectionChanged(QString)", "on_profile2MenuButton_selectionChanged"},
        {"mwStandardMenuButton", "selectionChanged(QString)", "on_mwStandardMenuButton_selectionChanged"},
        {"highlightCheckBox", "toggled(bool)", "on_highlightCheckBox_toggled"},
        {"invertCheckBox", "toggled(bool)", "on_invertCheckBox_toggled"},
        {"showBGCheckBox", "toggled(bool)", "on_showBGCheckBox_toggled"},
        {"zoomValuePicker", "changed(int)", "on_zoomValuePicker_changed"},
        {"laneCountValuePicker", "changed(int)", "on_laneCountValuePicker_changed"},
        {"laneWidthValuePicker", "changed(int)", "on_laneWidthValuePicker_changed"},
        {"backTypeButtonGroup", "buttonClicked(QAbstractButton*)", "on_backTypeButtonGroup_buttonClicked"},
        {"mwCurveTypeButtonGroup", "buttonClicked(QAbstractButton*)", "on_mwCurveTypeButtonGroup_buttonClicked"},
        {"bgRadiusValuePicker", "finished(int)", "on_bgRadiusValuePicker_finished"},
        {"mwStandardTableView", "clicked(QModelIndex)", "on_mwStandardTableView_clicked"},
        {"mwStandardListView", "clicked(QModelIndex)", "on_mwStandardListView_clicked"},
        {"mwCalibTenKey", "input(QString)", "on_mwCalibTenKey_input"},
        {"summaryTableView", "selectionChanged()", "on_summaryTableView_selectionChanged"},
};

// The rows of a page's controls from the top, in the page's points: the vertical extent of each
// visible control that sits in the page's own layouts (not the parts of a composite control),
// overlapping extents merged into one row.
QList<QPair<int, int>> controlRows(QWidget *inPage)
{
    QList<QPair<int, int>> spans;
    std::function<void(QWidget *)> collect = [&](QWidget *inParent) {
        for (QWidget *child : inParent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (!child->isVisibleTo(inPage))
                continue;
            const QByteArray kind = child->metaObject()->className();
            if (kind == "QWidget" || kind == "QStackedWidget" || kind == "QFrame") {
                collect(child);
                continue;
            }
            const int top = child->mapTo(inPage, QPoint()).y();
            spans.append({top, top + child->height()});
        }
    };
    collect(inPage);
    std::sort(spans.begin(), spans.end());
    QList<QPair<int, int>> rows;
    for (const QPair<int, int> &span : std::as_const(spans)) {
        if (!rows.isEmpty() && span.first < rows.last().second)
            rows.last().second = std::max(rows.last().second, span.second);
        else
            rows.append(span);
    }
    return rows;
}

} // namespace

// Stands in for the analysis screen: one slot per automatic connection, each recording its call.
// on_imageView_scrolled() takes no argument although the signal carries one.
class AnalysisViewStub : public QWidget
{
    Q_OBJECT

public:
    QStringList calls;

private:
    void record(const char *slot) { calls.append(QString::fromLatin1(slot)); }

public slots:
    void on_previousModeButton_clicked() { record(__func__); }
    void on_nextModeButton_clicked() { record(__func__); }
    void on_lanesModeButton_clicked() { record(__func__); }
    void on_bgModeButton_clicked() { record(__func__); }
    void on_bandsModeButton_clicked() { record(__func__); }
    void on_mwModeButton_clicked() { record(__func__); }
    void on_normModeButton_clicked() { record(__func__); }
    void on_summaryModeButton_clicked() { record(__func__); }
    void on_helpButton_clicked() { record(__func__); }
    void on_help2Button_clicked() { record(__func__); }
    void on_zoomOutButton_clicked() { record(__func__); }
    void on_zoomUpButton_clicked() { record(__func__); }
    void on_zoomOut2Button_clicked() { record(__func__); }
    void on_zoomUp2Button_clicked() { record(__func__); }
    void on_zoomOut3Button_clicked() { record(__func__); }
    void on_zoomUp3Button_clicked() { record(__func__); }
    void on_zoomOut4Button_clicked() { record(__func__); }
    void on_zoomUp4Button_clicked() { record(__func__); }
    void on_zoomResetButton_clicked() { record(__func__); }
    void on_contrastButton_clicked() { record(__func__); }
    void on_contrast3Button_clicked() { record(__func__); }
    void on_contrastLowDownButton_clicked() { record(__func__); }
    void on_contrastLowUpButton_clicked() { record(__func__); }
    void on_contrastHighDownButton_clicked() { record(__func__); }
    void on_contrastHighUpButton_clicked() { record(__func__); }
    void on_autoContrastButton_clicked() { record(__func__); }
    void on_imageButton_clicked() { record(__func__); }
    void on_profileButton_clicked() { record(__func__); }
    void on_image4Button_clicked() { record(__func__); }
    void on_profile4Button_clicked() { record(__func__); }
    void on_displayButton_clicked() { record(__func__); }
    void on_zoomButton_clicked() { record(__func__); }
    void on_contrastToolButton_clicked() { record(__func__); }
    void on_intensityButton_clicked() { record(__func__); }
    void on_rotateLButton_clicked() { record(__func__); }
    void on_rotateRButton_clicked() { record(__func__); }
    void on_intensityUpButton_clicked() { record(__func__); }
    void on_intensityDownButton_clicked() { record(__func__); }
    void on_intensityLeftButton_clicked() { record(__func__); }
    void on_intensityRightButton_clicked() { record(__func__); }
    void on_laneUpButton_clicked() { record(__func__); }
    void on_laneDownButton_clicked() { record(__func__); }
    void on_laneLeftButton_clicked() { record(__func__); }
    void on_laneRightButton_clicked() { record(__func__); }
    void on_bandAutoDetectButton_clicked() { record(__func__); }
    void on_bandLeftButton_clicked() { record(__func__); }
    void on_bandRightButton_clicked() { record(__func__); }
    void on_bandReduceButton_clicked() { record(__func__); }
    void on_bandSpreadButton_clicked() { record(__func__); }
    void on_bandAddButton_clicked() { record(__func__); }
    void on_bandDeleteButton_clicked() { record(__func__); }
    void on_bandClearButton_clicked() { record(__func__); }
    void on_mwAddButton_clicked() { record(__func__); }
    void on_mwEditButton_clicked() { record(__func__); }
    void on_mwViewPlotButton_clicked() { record(__func__); }
    void on_mwcalibSaveButton_clicked() { record(__func__); }
    void on_mwcalibCancelButton_clicked() { record(__func__); }
    void on_mwcalibDeleteButton_clicked() { record(__func__); }
    void on_mwcalibSetButton_clicked() { record(__func__); }
    void on_printSummaryButton_clicked() { record(__func__); }
    void on_mwcalibNameTextArea_clicked() { record(__func__); }
    void on_ch1Button_clicked() { record(__func__); }
    void on_ch1Button_longClicked() { record(__func__); }
    void on_ch1Button_doubleClicked() { record(__func__); }
    void on_ch2Button_clicked() { record(__func__); }
    void on_ch2Button_longClicked() { record(__func__); }
    void on_ch2Button_doubleClicked() { record(__func__); }
    void on_ch3Button_clicked() { record(__func__); }
    void on_ch3Button_longClicked() { record(__func__); }
    void on_ch3Button_doubleClicked() { record(__func__); }
    void on_ch1Button2_clicked() { record(__func__); }
    void on_ch1Button2_longClicked() { record(__func__); }
    void on_ch1Button2_doubleClicked() { record(__func__); }
    void on_ch2Button2_clicked() { record(__func__); }
    void on_ch2Button2_longClicked() { record(__func__); }
    void on_ch2Button2_doubleClicked() { record(__func__); }
    void on_ch3Button2_clicked() { record(__func__); }
    void on_ch3Button2_longClicked() { record(__func__); }
    void on_ch3Button2_doubleClicked() { record(__func__); }
    void on_imageView_resized() { record(__func__); }
    void on_imageView_scrolled() { record(__func__); }
    void on_image2View_scrolled() { record(__func__); }
    void on_profileGraphView_scrolled() { record(__func__); }
    void on_profileGraphView2_scrolled() { record(__func__); }
    void on_singleTab_changed(int) { record(__func__); }
    void on_singleTab2_changed(int) { record(__func__); }
    void on_barGraphTab_changed(int) { record(__func__); }
    void on_profileMenuButton_selectionChanged(const QString &) { record(__func__); }
    void on_profile2MenuButton_selectionChanged(const QString &) { record(__func__); }
    void on_mwStandardMenuButton_selectionChanged(const QString &) { record(__func__); }
    void on_highlightCheckBox_toggled(bool) { record(__func__); }
    void on_invertCheckBox_toggled(bool) { record(__func__); }
    void on_showBGCheckBox_toggled(bool) { record(__func__); }
    void on_zoomValuePicker_changed(int) { record(__func__); }
    void on_laneCountValuePicker_changed(int) { record(__func__); }
    void on_laneWidthValuePicker_changed(int) { record(__func__); }
    void on_backTypeButtonGroup_buttonClicked(QAbstractButton *) { record(__func__); }
    void on_mwCurveTypeButtonGroup_buttonClicked(QAbstractButton *) { record(__func__); }
    void on_bgRadiusValuePicker_finished(int) { record(__func__); }
    void on_mwStandardTableView_clicked(const QModelIndex &) { record(__func__); }
    void on_mwStandardListView_clicked(const QModelIndex &) { record(__func__); }
    void on_mwCalibTenKey_input(const QString &) { record(__func__); }
    void on_summaryTableView_selectionChanged() { record(__func__); }
};

class TestKyAnalysisForm : public QObject
{
    Q_OBJECT

private:
    AnalysisViewStub *root = nullptr;
    Ui_KyAnalysisView ui;

    template <typename T = QObject>
    T *child(const char *name) const
    {
        return root->findChild<T *>(QString::fromLatin1(name));
    }

    static QString shownText(const QObject *object)
    {
        if (const auto *edit = qobject_cast<const QTextEdit *>(object))
            return edit->toPlainText();
        return object->property("text").toString();
    }

private slots:
    void initTestCase()
    {
        registerFontSubstitutions();
        root = new AnalysisViewStub;
        WarningCollector collector;
        ui.setupUi(root);
        QVERIFY2(gWarnings.isEmpty(), qPrintable(gWarnings.join(QLatin1Char('\n'))));
    }

    void cleanupTestCase() { delete root; }

    void rootWidget()
    {
        QCOMPARE(root->objectName(), QStringLiteral("KyAnalysisView"));
        QCOMPARE(root->windowTitle(), QStringLiteral("KyAnalysisView"));
        QCOMPARE(root->size(), QSize(800, 600));
        QCOMPARE(root->minimumSize(), QSize(800, 600));
        QCOMPARE(root->font().family(), QStringLiteral("Arial"));
        QVERIFY(root->autoFillBackground());
        QCOMPARE(root->styleSheet(), QStringLiteral("color: rgb(0, 0, 0);"));
        QCOMPARE(root->locale(), QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(root->palette().color(QPalette::Active, QPalette::Window), QColor(232, 232, 232));
        QCOMPARE(root->palette().color(QPalette::Active, QPalette::Base), QColor(255, 255, 255));
        QCOMPARE(root->palette().color(QPalette::Disabled, QPalette::Base), QColor(232, 232, 232));
    }

    void namedRootKeepsItsName()
    {
        QWidget named;
        named.setObjectName(QStringLiteral("analysisPage"));
        Ui_KyAnalysisView other;
        other.setupUi(&named);
        QCOMPARE(named.objectName(), QStringLiteral("analysisPage"));
    }

    void everyWidgetOnceWithItsClass_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        for (const NameAndClass &w : kWidgets)
            QTest::newRow(w.name) << QString::fromLatin1(w.name) << QString::fromLatin1(w.className);
    }

    void everyWidgetOnceWithItsClass()
    {
        QFETCH(QString, name);
        QFETCH(QString, className);
        const QList<QWidget *> found = root->findChildren<QWidget *>(name);
        QCOMPARE(found.size(), 1);
        QCOMPARE(QString::fromLatin1(found.first()->metaObject()->className()), className);
    }

    void noOtherNamedWidgets()
    {
        // Widgets the controls make for themselves carry no names of their own, or none that
        // clash with the form's.
        QSet<QString> listed;
        for (const NameAndClass &w : kWidgets)
            listed.insert(QString::fromLatin1(w.name));
        QCOMPARE(listed.size(), int(std::size(kWidgets)));
        for (const QString &member : {QStringLiteral("backTypeButtonGroup"), QStringLiteral("mwCurveTypeButtonGroup")}) {
            const QList<QButtonGroup *> groups = root->findChildren<QButtonGroup *>(member, Qt::FindDirectChildrenOnly);
            QCOMPARE(groups.size(), 1);
        }
    }

    void stackedPages_data()
    {
        QTest::addColumn<QString>("stack");
        QTest::addColumn<QStringList>("pages");
        QTest::addColumn<int>("current");
        const auto row = [](const char *stack, QStringList pages, int current) {
            QTest::newRow(stack) << QString::fromLatin1(stack) << pages << current;
        };
        row("stackedWidget", {"mainPage", "mwcalibPage", "printPage"}, 0);
        row("topArea", {"analysis1Page", "analysis2Page"}, 0);
        row("tabAreaStackedWidget", {"tabPage", "multiPage", "blankPage"}, 1);
        row("viewStackedWidget", {"imagePage", "profilePage"}, 0);
        row("opStackedWidget", {"analyzePage", "viewPage"}, 0);
        row("operationPanel", {"lanePage", "bgPage", "bandPage", "mwPage", "normPage", "contrastPage"}, 0);
        row("radiusWidget", {"radiusActivePage", "radiusBlankPage"}, 0);
        row("bandStackedWidget", {"bandActivePage", "bandTextPage"}, 0);
        row("mwCalibStackedWidget", {"activePage_2", "messagePage_2"}, 1);
        row("opeArea", {"imageDisplayPage", "imageZoomPage", "imageContrastPage", "imageIntensityPage"}, 0);
        row("contrastPartWidget", {"activePage", "messagePage"}, 0);
        row("intensityStackWidget", {"singlePage", "multiPage_3"}, 1);
        row("tabAreaStackedWidget2", {"tabPage_2", "multiPage_2", "blankPage_2"}, 0);
        row("view2StackedWidget", {"image2Page", "profile2Page"}, 0);
    }

    void stackedPages()
    {
        QFETCH(QString, stack);
        QFETCH(QStringList, pages);
        QFETCH(int, current);
        const auto *widget = root->findChild<QStackedWidget *>(stack);
        QVERIFY(widget);
        QStringList order;
        for (int i = 0; i < widget->count(); ++i)
            order.append(widget->widget(i)->objectName());
        QCOMPARE(order, pages);
        QCOMPARE(widget->currentIndex(), current);
    }

    void checkedStates()
    {
        const QStringList checked{"ch1Button", "ch1Button2", "ch2Button2", "ch3Button2", "imageButton",
                                  "image4Button", "displayButton", "bgRubberBandRadioButton",
                                  "mwCurveLinearRadioButton", "bandAddButton"};
        const QStringList checkable{"ch2Button", "ch3Button", "profileButton", "profile4Button", "contrastButton",
                                    "contrast3Button", "zoomButton", "contrastToolButton", "intensityButton",
                                    "lanesModeButton", "bgModeButton", "bandsModeButton", "mwModeButton",
                                    "normModeButton", "summaryModeButton", "bandDeleteButton"};
        for (QAbstractButton *button : root->findChildren<QAbstractButton *>()) {
            const QString name = button->objectName();
            if (name.isEmpty() || button->parent()->inherits("KyButton") || button->parent()->inherits("KyValuePicker")
                || button->parent()->inherits("KyTab") || button->parent()->inherits("KyTenKey"))
                continue; // the controls' own parts
            QVERIFY2(button->isChecked() == checked.contains(name), qPrintable(name));
            if (checked.contains(name) || checkable.contains(name))
                QVERIFY2(button->isCheckable(), qPrintable(name));
        }
        // The four tool buttons are checkable but belong to no group and are not exclusive.
        for (const char *name : {"displayButton", "zoomButton", "contrastToolButton", "intensityButton"}) {
            QVERIFY(!child<QAbstractButton>(name)->autoExclusive());
            QVERIFY(!child<QAbstractButton>(name)->group());
        }
        QVERIFY(ui.imageButton->autoExclusive());
        QVERIFY(ui.profile4Button->autoExclusive());
        QVERIFY(!ui.contrastButton->autoExclusive());
    }

    void buttonGroups()
    {
        QCOMPARE(ui.backTypeButtonGroup->parent(), root);
        QVERIFY(ui.backTypeButtonGroup->exclusive());
        const QList<QAbstractButton *> methods{ui.bgNoneRadioButton, ui.bgRubberBandRadioButton,
                                               ui.bgMinimumRadioButton, ui.bgRollingBallRadioButton};
        QCOMPARE(ui.backTypeButtonGroup->buttons(), methods);
        QCOMPARE(ui.backTypeButtonGroup->checkedButton(), ui.bgRubberBandRadioButton);
        QCOMPARE(ui.mwCurveTypeButtonGroup->parent(), root);
        QCOMPARE(ui.mwCurveTypeButtonGroup->buttons(),
                 (QList<QAbstractButton *>{ui.mwCurveLinearRadioButton, ui.mwCurveCubicRadioButton}));
    }

    void enumAndRangeProperties()
    {
        // Enum values set by name reach the controls only when their type is a registered enum.
        // A button whose type the form leaves alone keeps its constructor's.
        const KyButton plain;
        QCOMPARE(ui.ch1Button->type(), plain.type());
        QCOMPARE(ui.nextModeButton->type(), plain.type());
        QCOMPARE(ui.ch3Button->type(), KyButton::kType_Blue);
        QCOMPARE(ui.zoomOutButton->type(), KyButton::kType_Gray);
        QCOMPARE(ui.zoomUpButton->type(), KyButton::kType_White);
        // Text colours come after the type, which resets them to its skin's.
        QCOMPARE(ui.ch1Button->textColor(), KyLabel::kColor_Black);
        QCOMPARE(ui.ch3Button->textColor(), KyLabel::kColor_Black);
        QCOMPARE(ui.ch3Button->pressedTextColor(), KyLabel::kColor_Blue);
        QCOMPARE(ui.image4Button->textColor(), KyLabel::kColor_Blue);
        QCOMPARE(ui.ch1Button->pressedTextColor(), KyLabel::kColor_Blue);
        QCOMPARE(ui.lanesModeButton->iconLayout(), KyButton::kIcon_Vertical);
        QCOMPARE(ui.summaryModeButton->textSize(), KyLabel::kSize_VerySmall);
        QCOMPARE(ui.normModeButton->textColor(), KyLabel::kColor_Gray);
        QCOMPARE(ui.previousModeButton->pressedTextColor(), KyLabel::kColor_White);
        QCOMPARE(int(ui.previousModeButton->textAlignment()), 0x86);
        QCOMPARE(int(ui.nextModeButton->textAlignment()), 0x81);
        QCOMPARE(ui.modeLabel->size(), KyLabel::kSize_Middle);
        QCOMPARE(ui.modeLabel->color(), KyLabel::kColor_Blue);
        QVERIFY(ui.modeLabel->isTopHeader());
        QCOMPARE(ui.modeLabel->font().family(), QStringLiteral("Tolvsans Pitch"));
        QCOMPARE(ui.modeLabel->font().pointSize(), 18);
        QCOMPARE(ui.kyLabel_9->size(), KyLabel::kSize_MiddleSmall);
        QCOMPARE(ui.BlueMaxLabel->size(), KyLabel::kSize_Small);
        QCOMPARE(ui.profileMenuButton->direction(), KyMenuButton::kDirection_Up);
        QCOMPARE(ui.profile2MenuButton->direction(), KyMenuButton::kDirection_Down);
        QCOMPARE(ui.profile2MenuButton->maxShowItemCount(), 8);
        QCOMPARE(ui.singleTab->type(), KyTab::kType_Top);
        QCOMPARE(ui.singleTab->titles(), (QStringList{"Sample", "Color"}));
        QCOMPARE(ui.singleTab->tagWidth(), 150);
        QCOMPARE(ui.singleTab2->tagHeight(), 49);
        QCOMPARE(ui.barGraphTab->titles(), (QStringList{"Vol.", "Lane%", "Norm."}));
        QCOMPARE(ui.mwcalibUnitMenuButton->menus(), (QStringList{"(none)", "g/mol", "Dal"}));
        QCOMPARE(ui.mwStandardMenuButton->menus().size(), 5);
        QCOMPARE(ui.profileMenuButton->menus().size(), 10);

        struct Range { KyValuePicker *picker; KyValuePicker::EType type; int value, minimum, maximum, step; };
        const KyValuePicker defaults;
        const Range ranges[] = {
            {ui.laneCountValuePicker, KyValuePicker::kType_Horizontal, 2, 1, 25, defaults.step()},
            {ui.laneWidthValuePicker, KyValuePicker::kType_Horizontal, 10, 10, 100, defaults.step()},
            {ui.bgRadiusValuePicker, KyValuePicker::kType_Horizontal, 10, 5, 200, 5},
            // No minimum from the form: the picker's own.
            {ui.bandSensitivityValuePicker, KyValuePicker::kType_Horizontal, 1, defaults.minimum(), 2, defaults.step()},
            {ui.zoomValuePicker, defaults.type(), 0, 0, 13, 1},
        };
        for (const Range &r : ranges) {
            const QByteArray name = r.picker->objectName().toLatin1();
            QVERIFY2(r.picker->type() == r.type, name);
            QVERIFY2(r.picker->value() == r.value, name);
            QVERIFY2(r.picker->minimum() == r.minimum, name);
            QVERIFY2(r.picker->maximum() == r.maximum, name);
            QVERIFY2(r.picker->step() == r.step, name);
            QVERIFY2(!r.picker->isLoop(), name);
        }
        QVERIFY(ui.bandSensitivityValuePicker->isFocussed());
        QVERIFY(!ui.bandSensitivityValuePicker->autoRepeat());
        QVERIFY(ui.zoomValuePicker->autoRepeat());

        QVERIFY(ui.mwcalibNameTextArea->isReadOnly());
        QCOMPARE(ui.mwcalibNameTextArea->maxLength(), 20);
        QCOMPARE(ui.mwcalibValueTextArea->maxLength(), 8);
        QVERIFY(ui.intMaxText->isReadOnly());
        QCOMPARE(ui.kyBorderImage_4->property("mBorderTop").toInt(), 80);
        QCOMPARE(ui.kyBorderImage_3->property("mBorderTop").toInt(), 80);
        QCOMPARE(ui.modeBack->property("mBorderTop").toInt(), 30);
        QCOMPARE(ui.opStackedWidget->maximumHeight(), 10000000);
        QCOMPARE(ui.laneWidthValuePicker->maximumWidth(), 1000000);
        QCOMPARE(ui.bgModeButton->maximumSize(), QSize(90, 76));
        QCOMPARE(ui.lanesModeButton->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
        QCOMPARE(ui.mwStandardTableView->selectionMode(), QAbstractItemView::NoSelection);
        QVERIFY(ui.mwStandardTableView->horizontalHeader()->isHidden());
        QVERIFY(ui.summaryTableView->horizontalHeader()->stretchLastSection());
        QCOMPARE(ui.summaryTableView->horizontalHeader()->minimumSectionSize(), 30);
    }

    void printTableKeepsItsPlace()
    {
        QCOMPARE(ui.summaryTableView_2->parentWidget(), ui.printPage);
        QVERIFY(!ui.printPage->layout());
        QCOMPARE(ui.summaryTableView_2->geometry(), QRect(30, 0, 734, 600));
        QCOMPARE(ui.kyLabel_9->parentWidget()->geometry(), QRect(0, 32, 104, 24));
        QCOMPARE(ui.viewHighlightLabel->geometry(), QRect(47, 33, 49, 22));
    }

    void everySkinLoads_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("property");
        for (const NameAndClass &p : kPixmaps)
            QTest::addRow("%s.%s", p.name, p.className) << QString::fromLatin1(p.name) << QByteArray(p.className);
    }

    void everySkinLoads()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, property);
        const QObject *object = root->findChild<QObject *>(name);
        QVERIFY(object);
        const QPixmap pixmap = object->property(property).value<QPixmap>();
        QVERIFY(!pixmap.isNull());
    }

    void automaticConnections_data()
    {
        QTest::addColumn<QString>("object");
        QTest::addColumn<QByteArray>("signal");
        QTest::addColumn<QString>("slot");
        for (const Connection &c : kConnections)
            QTest::addRow("%s %s", c.object, c.signal) << QString::fromLatin1(c.object) << QByteArray(c.signal)
                                                       << QString::fromLatin1(c.slot);
    }

    void automaticConnections()
    {
        QFETCH(QString, object);
        QFETCH(QByteArray, signal);
        QFETCH(QString, slot);
        QObject *sender = root->findChild<QObject *>(object);
        QVERIFY(sender);
        const int index = sender->metaObject()->indexOfSignal(signal.constData());
        QVERIFY(index >= 0);
        const QMetaMethod method = sender->metaObject()->method(index);

        int number = 3;
        QString text = QStringLiteral("2");
        bool on = true;
        QPoint point(4, 5);
        QModelIndex modelIndex;
        QAbstractButton *button = ui.bgNoneRadioButton;
        QGenericArgument args[2];
        for (int i = 0; i < method.parameterCount(); ++i) {
            switch (method.parameterType(i)) {
            case QMetaType::Int: args[i] = Q_ARG(int, number); break;
            case QMetaType::QString: args[i] = Q_ARG(QString, text); break;
            case QMetaType::Bool: args[i] = Q_ARG(bool, on); break;
            case QMetaType::QPoint: args[i] = Q_ARG(QPoint, point); break;
            default:
                if (method.parameterTypeName(i) == "QModelIndex")
                    args[i] = Q_ARG(QModelIndex, modelIndex);
                else if (method.parameterTypeName(i) == "QAbstractButton*")
                    args[i] = Q_ARG(QAbstractButton *, button);
                else
                    QFAIL(method.parameterTypeName(i).constData());
            }
        }
        root->calls.clear();
        QVERIFY(method.invoke(sender, Qt::DirectConnection, args[0], args[1]));
        QCOMPARE(root->calls, QStringList{slot});
    }

    void everyStubSlotIsConnected()
    {
        // The table above names each slot of the stub once: none is left out.
        QSet<QString> tested;
        for (const Connection &c : kConnections)
            tested.insert(QString::fromLatin1(c.slot));
        const QMetaObject *meta = root->metaObject();
        int slotCount = 0;
        for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
            if (meta->method(i).methodType() != QMetaMethod::Slot)
                continue;
            ++slotCount;
            QVERIFY2(tested.contains(QString::fromLatin1(meta->method(i).name())), meta->method(i).methodSignature());
        }
        QCOMPARE(slotCount, tested.size());
    }

    void misspeltObjectIsOnlyLogged()
    {
        // What the first test watches for: an object that does not carry its slot's name leaves the
        // slot unconnected, and Qt does no more than log it.
        AnalysisViewStub other;
        Ui_KyAnalysisView form;
        form.setupUi(&other);
        form.imageView->setObjectName(QStringLiteral("imageView_"));
        WarningCollector collector;
        QMetaObject::connectSlotsByName(&other);
        QVERIFY(!gWarnings.filter(QStringLiteral("No matching signal for on_imageView_resized")).isEmpty());
    }

    void texts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        const auto row = [](const char *name, const QString &text) { QTest::newRow(name) << QString::fromLatin1(name) << text; };
        for (const char *name : {"ch1Button", "ch1Button2", "dispExpTimeTitleLabel1"})
            row(name, "Blue");
        for (const char *name : {"ch2Button", "ch2Button2", "dispExpTimeTitleLabel2"})
            row(name, "Green");
        for (const char *name : {"ch3Button", "ch3Button2", "dispExpTimeTitleLabel3"})
            row(name, "Red");
        row("kyLabel_7", "Lane");
        row("profileMenuButton", "1");
        row("profile2MenuButton", "1");
        row("showBGCheckBox", "Show background");
        row("modeLabel", "Lane Creation");
        row("kyLabel_2", "Number of lanes");
        row("kyLabel_3", "Lane width");
        row("kyLabel_5", "Subtraction Method");
        row("bgNoneRadioButton", "None");
        row("bgRubberBandRadioButton", "Rubber band");
        row("bgMinimumRadioButton", "Minimum profile");
        row("bgRollingBallRadioButton", "Rolling ball");
        row("bkRadiusLabel", "Radius");
        row("bandPositionLabel_2", "Sensitivity");
        row("bandAutoDetectButton", "Detect");
        row("bandEditLabel", "Edit individual bands");
        row("bandAddButton", "Add");
        row("mwcalibSetButton", "Add");
        row("bandDeleteButton", "Delete");
        row("mwcalibDeleteButton", "Delete");
        row("bandPositionLabel", "Position");
        row("bandWidthLabel", "Width");
        row("bandReduceButton", "-");
        row("bandSpreadButton", "+");
        row("bandClearButton", "Clear");
        row("mwStandardMenuButton", "Mid1 500bp");
        row("mwEditButton", "Edit");
        row("mwAddButton", "Add new...");
        row("kyLabel", "Curve type");
        row("mwCurveLinearRadioButton", "Linear - log");
        row("mwCurveCubicRadioButton", "Cubic spline");
        row("mwViewPlotButton", "View");
        row("kyLabel_4", "Select a lane");
        row("autoContrastButton", "Auto");
        row("viewAutoContrastButton", "Auto");
        row("highlightCheckBox", "Highlight saturated");
        row("viewHighlightCheckBox", "Highlight saturated");
        row("kyLabel_9", "pixels");
        row("viewHighlightLabel", "pixels");
        row("viewDisplayLabel", "Display & Edit");
        row("invertCheckBox", "Invert");
        row("storageLabel_22", "Rotate");
        row("rotateLButton", QStringLiteral("90\u00b0"));
        row("rotateRButton", QStringLiteral("90\u00b0"));
        row("dispExpTimeTitleLabel", "Exposure times");
        row("dispExpTimeLabel1", "10min 10.5s");
        row("dispExpTimeLabel2", "Exp. time:");
        row("dispExpTimeLabel3", "Exp. time:");
        row("viewZoomLabel", "Zoom");
        row("zoomResetButton", "Reset");
        row("viewContrastLabel", "Contrast");
        row("viewIntensityLabel", "Intensity");
        row("storageLabel_4", "Maximum");
        row("storageLabel_6", "Average");
        row("storageLabel_9", "Minimum");
        row("intBlueMaxText", "0");
        row("kyLabel_8", "Show lane no.");
        row("previousModeButton", "Previous");
        row("lanesModeButton", "Lanes");
        row("bgModeButton", "Background");
        row("bandsModeButton", "Bands");
        row("mwModeButton", "MW");
        row("normModeButton", "Normalization");
        row("summaryModeButton", "Summary");
        row("nextModeButton", "Next");
        row("kyLabel_6", "Name");
        row("mwcalibNameTextArea", "new MW standard");
        row("kyLabel_11", "Unit");
        row("mwcalibUnitMenuButton", "(none)");
        row("kyLabel_12", "Values");
        row("mwcalibValueTextArea", "2789");
        row("mwcalibCancelButton", "Cancel");
        row("mwcalibSaveButton", "Save");
        row("kyTextEdit_2", "Select and move corner point");
        row("bandInvalidEdit", "Only available in single channel view");
        row("kyTextEdit_3", "1. Go to single channel\n    view\n\n2. Select control bands\n\n3. Click next");
        row("contrastMessageEdit", "Contrast adjustment\n is only available in\n single channel view");
        for (const char *colour : {"Blue", "Green", "Red"}) {
            const QByteArray name = QByteArray(colour) + "MaxLabel";
            QTest::newRow(name) << QString::fromLatin1(name)
                                << QStringLiteral("<html><head/><body><p><span style=\" font-size:14pt;\">%1 Max</span></p></body></html>")
                                       .arg(QLatin1String(colour));
        }
        for (const char *name : {"printButton", "imageButton", "profileButton", "contrastButton", "zoomOutButton",
                                 "zoomUpButton", "zoomOut2Button", "zoomUp2Button", "zoomOut3Button", "zoomUp3Button",
                                 "zoomOut4Button", "zoomUp4Button", "helpButton", "help2Button", "laneUpButton",
                                 "laneDownButton", "laneLeftButton", "laneRightButton", "bandLeftButton",
                                 "bandRightButton", "displayButton", "zoomButton", "contrastToolButton",
                                 "intensityButton", "intensityUpButton", "intensityDownButton", "intensityLeftButton",
                                 "intensityRightButton", "image4Button", "profile4Button", "contrast3Button",
                                 "printSummaryButton", "histLabel", "viewHistLabel", "intensityImageLabel",
                                 "intMaxText", "intAveText", "intMinText", "intGreenMaxText", "intRedMaxText"})
            row(name, QString());
    }

    void texts()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        const QObject *object = root->findChild<QObject *>(name);
        QVERIFY(object);
        QCOMPARE(shownText(object), text);
    }

    void emptyCaptionHidesTheLabel()
    {
        const auto label = [](const KyButton *button) { return button->findChild<KyLabel *>(); };
        QVERIFY(label(ui.printButton));
        QVERIFY(label(ui.printButton)->isHidden());
        QVERIFY(label(ui.zoomUp4Button)->isHidden());
        QVERIFY(!label(ui.nextModeButton)->isHidden());
        QCOMPARE(label(ui.nextModeButton)->text(), QStringLiteral("Next"));
    }

    void pickerFormats_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("shown");
        QTest::newRow("lane width") << "laneWidthValuePicker" << "%1%" << "10%";
        QTest::newRow("radius") << "bgRadiusValuePicker" << "%1 mm" << "10 mm";
        QTest::newRow("zoom") << "zoomValuePicker" << "%1" << "0";
        QTest::newRow("lane count keeps the default") << "laneCountValuePicker" << "%1" << "2";
    }

    void pickerFormats()
    {
        QFETCH(QString, name);
        QFETCH(QString, format);
        QFETCH(QString, shown);
        const auto *picker = root->findChild<KyValuePicker *>(name);
        QVERIFY(picker);
        QCOMPARE(picker->property("mFormat").toString(), format);
        QStringList texts;
        for (const QLabel *label : picker->findChildren<QLabel *>())
            texts.append(label->text());
        QVERIFY2(texts.contains(shown), qPrintable(texts.join(QLatin1Char('|'))));
    }

    void designSizeHoldsTheControls()
    {
        // At 800 x 600 every page fits its minimum, the profile row keeps the whole "Show background"
        // caption, and the channel buttons stand side by side without covering each other.
        AnalysisViewStub view;
        Ui_KyAnalysisView form;
        form.setupUi(&view);
        form.viewStackedWidget->setCurrentIndex(1);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(view.size(), QSize(800, 600));
        const QSize needed = view.layout()->minimumSize();
        QVERIFY2(needed.width() <= 800 && needed.height() <= 600,
                 qPrintable(QStringLiteral("%1x%2").arg(needed.width()).arg(needed.height())));
        QVERIFY(form.showBGCheckBox->width() >= form.showBGCheckBox->sizeHint().width());
        QVERIFY(form.showBGCheckBox->geometry().right() < form.zoomOut2Button->geometry().left());
        QVERIFY(form.kyLabel_7->geometry().right() < form.profileMenuButton->geometry().left());
        QVERIFY(form.ch1Button->geometry().right() < form.ch2Button->geometry().left());
        QVERIFY(form.ch2Button->geometry().right() < form.ch3Button->geometry().left());
        form.topArea->setCurrentIndex(1);
        QVERIFY(form.kyBorderImage_7->geometry().bottom() < form.widget_8->geometry().top());
    }

    // The step and tool panels as the window grows from 800 x 600 to a maximised desktop: each
    // page's controls stay where they are, one under the other, and the room goes below them; only
    // the MW standard's value list takes it, as it can show more values.
    void panelsKeepTheirControlsTogether_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("growing");
        for (const char *page : {"lanePage", "bgPage", "bandPage", "normPage", "imageDisplayPage", "imageZoomPage",
                                 "imageContrastPage", "imageIntensityPage"})
            QTest::newRow(page) << page << QString();
        QTest::newRow("mwPage") << "mwPage" << "mwStandardListView";
    }

    void panelsKeepTheirControlsTogether()
    {
        QFETCH(QString, page);
        QFETCH(QString, growing);

        AnalysisViewStub view;
        Ui_KyAnalysisView form;
        form.setupUi(&view);
        // Every control of the pages showing: the rolling ball's radius, the image tools.
        form.bgRollingBallRadioButton->setChecked(true);
        form.radiusWidget->setCurrentIndex(0);
        auto *shown = view.findChild<QWidget *>(page);
        QVERIFY(shown);
        auto *stack = qobject_cast<QStackedWidget *>(shown->parentWidget());
        QVERIFY(stack);
        stack->setCurrentWidget(shown);
        form.opStackedWidget->setCurrentIndex(stack == form.operationPanel ? 0 : 1);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        // The rows at a size, and the row that holds the growing control (-1: none).
        auto *grower = growing.isEmpty() ? nullptr : view.findChild<QWidget *>(growing);
        const auto measure = [&](const QSize &inSize, QList<QPair<int, int>> &outRows, int &outGrowingRow) {
            view.resize(inSize);
            QApplication::processEvents();
            view.layout()->activate();
            outRows = controlRows(shown);
            outGrowingRow = -1;
            const int top = grower ? grower->mapTo(shown, QPoint()).y() : -1;
            for (qsizetype i = 0; i < outRows.size(); ++i) {
                if (top >= outRows.at(i).first && top < outRows.at(i).second)
                    outGrowingRow = int(i);
            }
        };
        QList<QPair<int, int>> small;
        QList<QPair<int, int>> large;
        int smallGrowing = -1;
        int largeGrowing = -1;
        measure(QSize(800, 600), small, smallGrowing);
        const int smallHeight = grower ? grower->height() : 0;
        measure(QSize(1920, 1040), large, largeGrowing);
        QVERIFY2(shown->height() > 700, qPrintable(QString::number(shown->height())));

        QCOMPARE(large.size(), small.size());
        QCOMPARE(largeGrowing, smallGrowing);
        QVERIFY(!small.isEmpty());
        // A few points more between two rows are spacers at their own height, which the small
        // window had squeezed; a control or caption that stretches moves what follows as far.
        constexpr int kSlack = 12;
        QVERIFY2(large.first().first <= small.first().first + kSlack, qPrintable(QString::number(large.first().first)));
        for (qsizetype i = 0; i < small.size(); ++i) {
            const int before = small.at(i).second - (i ? small.at(i - 1).second : small.at(i).first);
            const int after = large.at(i).second - (i ? large.at(i - 1).second : large.at(i).first);
            if (i != largeGrowing)
                QVERIFY2(after <= before + kSlack,
                         qPrintable(QStringLiteral("row %1 ends %2 below the one above at 800 x 600, %3 maximised")
                                        .arg(i)
                                        .arg(before)
                                        .arg(after)));
        }
        if (grower)
            QVERIFY2(grower->height() >= smallHeight + 300,
                     qPrintable(QStringLiteral("%1 to %2").arg(smallHeight).arg(grower->height())));
    }

    void retranslateRestoresTexts()
    {
        ui.modeLabel->setText(QStringLiteral("Summary"));
        ui.previousModeButton->setText(QStringLiteral("Close"));
        ui.retranslateUi(root);
        QCOMPARE(ui.modeLabel->text(), QStringLiteral("Lane Creation"));
        QCOMPARE(ui.previousModeButton->text(), QStringLiteral("Previous"));
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyAnalysisForm)
#include "tst_kyanalysisform.moc"
