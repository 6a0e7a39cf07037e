#pragma once

#include "analysisview/kyanalysisform.h"
#include "analysis/kymwstandard.h"
#include "analysis/kybanddetectparameter.h"

#include <QDateTime>
#include <QFutureWatcher>
#include <QModelIndexList>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QAbstractButton;
class QBarSeries;
class QChart;
class QStandardItemModel;
class QVBarModelMapper;
class QResizeEvent;
class KyBarChartCtrl;
class KyBrightnessView;
class KyDocument;
class KyPrintData;
class KyPrinter;
class KySummaryReport;
class KyTableModel;
class KyTableView;
class IntensityView;
class LaneView;

// The analysis page of the main window: six steps from lanes to summary over the current
// document, with the image tools and the summary output. The screen never owns the document;
// it reaches it through the application and re-attaches whenever one is opened or closed.
//
// The implementation is split by concern: kyanalysisview.cpp (construction and attaching),
// ...steps.cpp (navigation), ...lanes.cpp (lanes, background and bands), ...mw.cpp (MW
// standards and calibration), ...summary.cpp, ...tools.cpp (display, zoom, contrast, rotation),
// ...intensity.cpp, ...print.cpp and ...info.cpp.
class KyAnalysisView : public QWidget, public Ui_KyAnalysisView
{
    Q_OBJECT

public:
    enum EMode {
        kMode_Lanes = 0,
        kMode_Background = 1,
        kMode_Bands = 2,
        kMode_MW = 3,
        kMode_Normalization = 4,
        kMode_Summary = 5,
        kMode_other = 6,
    };
    enum EDocumentKind {
        kDocument_Single = 0,
        kDocument_Marker = 1,
        kDocument_Multi = 2,
        kDocument_Color = 3,
    };
    enum EDisplayKind {
        kDisplay_Channel = 0,
        kDisplay_Composite = 1,
        kDisplay_Marker = 2,
        kDisplay_Color = 3,
    };
    // Busy reasons the screen's pool jobs hold on the view mode while they run.
    static constexpr int kBusy_BandDetection = 11;
    static constexpr int kBusy_Background = 12;

    explicit KyAnalysisView(QWidget *parent = nullptr);
    ~KyAnalysisView() override;

    // While one of these exists, a screen made without a parent builds its widgets only when it is
    // first given one. The main window's form makes its analysis page without a parent and puts
    // it into its page stack at once: built there, the widgets take the screen's style sheet once,
    // where a finished screen moved into the stack would have every one of its widgets polished
    // by the style sheet all over again. GUI thread only.
    class BuildInPlace
    {
    public:
        BuildInPlace() { ++sBuildInPlace; }
        ~BuildInPlace() { --sBuildInPlace; }
        BuildInPlace(const BuildInPlace &) = delete;
        BuildInPlace &operator=(const BuildInPlace &) = delete;
    };

    // While one of these exists, a screen made without a parent is built only when something
    // first needs it: ensureBuilt(), or the screen being shown. It then comes up as a screen
    // without a document; a document already open is the caller's to attach (resetForDocument).
    // The main window's form makes its analysis page that way: the first window shows the
    // opening page, and the screen, the largest part of the window, is built after it appears.
    // GUI thread only.
    class BuildOnDemand
    {
    public:
        BuildOnDemand() { ++sBuildOnDemand; }
        ~BuildOnDemand() { --sBuildOnDemand; }
        BuildOnDemand(const BuildOnDemand &) = delete;
        BuildOnDemand &operator=(const BuildOnDemand &) = delete;
    };

    // Builds a screen that waits for its parent or its first use; nothing for a built one.
    void ensureBuilt();
    bool isBuilt() const { return mBuild == kBuild_Done; }
    void setVisible(bool visible) override;

    void resetForDocument(bool resetSteps);

    // Read access for the main window and for tests.
    int mode() const { return mMode; }
    int documentKind() const { return mDocumentKind; }
    int displayKind() const { return mDisplayKind; }
    int channelSelection() const { return mChannel; }
    const std::vector<int> &buttonChannels() const { return mButtonChannels; }
    LaneView *laneView() const { return mLaneView; }
    LaneView *summaryLaneView() const { return mLaneView2; }
    IntensityView *intensityView() const { return mIntensityView; }
    KyTableModel *tableModel() const { return mTableModel; }
    QChart *chart() const { return mChart; }
    QFutureWatcher<void> &backgroundWatcher() { return mBackgroundWatcher; }
    QFutureWatcher<void> &autoBandWatcher() { return mAutoBandWatcher; }
    QFutureWatcher<void> &rotateWatcher() { return mRotateWatcher; }

    // ---- step navigation
    void setMode(int mode);
    // The job that measures moved lanes anew when the Lanes step is left; the background job
    // follows it.
    QFutureWatcher<void> &laneRebuildWatcher() { return mLaneRebuildWatcher; }

    // ---- summary
    void updateSummaryTable();
    // Whether the document's analysis changed since the summary table was last rebuilt: its rows
    // and picks may then name bands that have moved, gone or been renumbered, and nothing taken
    // from it (picked-band keys) may be applied to the document.
    bool isSummaryTableStale() const;

    // ---- image tools
    bool isImageShown() const;

    // ---- print, copy and summary PDF
    void copy();
    void print();
    bool printImagePage(KyPrinter *printer);
    bool getSummaryPDFItems(KyPrintData *data);
    bool saveSummaryPdfTo(const QString &fileName);
    // The summary PDF's contents drawn from the analysis and the screen's settings, ready to be
    // written on any thread; null without a document.
    std::shared_ptr<KySummaryReport> prepareSummaryReport();
    QImage renderLaneImage(const QSize &size);
    QImage renderWidgetImage(const QSize &size);
    QImage renderWidgetImageWithPainter(const QSize &size);
    // Whether the printer a page is about to go to can take it; it may also clear the printer's
    // work-offline state first. The default asks the system's print service about the printer
    // the print dialog chose, and only for output to a printer: a PDF file is always ready. Tests
    // put a stand-in here so that no real printer is ever asked; an empty function restores the
    // default.
    using PrinterReadiness = std::function<bool(KyPrinter *printer)>;
    void setPrinterReadiness(PrinterReadiness readiness);
    // The size of the lane picture in the summary PDF: fixed, so that the picture does not depend
    // on whether (or how large) the summary page was ever shown.
    static QSize summaryLaneImageSize();

    // ---- analysis information text
    QString analysisInfoText(int displayKind, int documentKind, bool wholeDocument);
    // The clock of the analysis date in the information text; an empty function restores the
    // local wall clock.
    void setInfoClock(std::function<QDateTime()> clock);

public slots:
    void selectBandOnSummryView(int ch, int laneNo, int bandNo);
    void updateImage();

signals:
    void showHelp(QString title, QString name);
    void moveCorner(QPoint);
    void bandModify(int len);
    void bandMove(int len);
    void bandDelete();
    void bandClear();
    void summaryTableChanged(QModelIndexList selectList);
    void closeImage();
    void toImageView();
    void toProfileView();
    void printImage();
    void rotated();
    void contrastChanged();
    void tableSelectionChanged();

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private slots:
    // ---- core
    void onAnalysisChanged();

    // ---- step navigation
    void on_previousModeButton_clicked();
    void on_nextModeButton_clicked();
    void on_lanesModeButton_clicked();
    void on_bgModeButton_clicked();
    void on_bandsModeButton_clicked();
    void on_mwModeButton_clicked();
    void on_normModeButton_clicked();
    void on_summaryModeButton_clicked();
    void on_helpButton_clicked();
    void on_help2Button_clicked();
    void onLaneRebuildFinished();

    // ---- lanes, background and bands
    void on_laneCountValuePicker_changed(int value);
    void on_laneWidthValuePicker_changed(int value);
    void on_laneUpButton_clicked();
    void on_laneDownButton_clicked();
    void on_laneRightButton_clicked();
    void on_laneLeftButton_clicked();
    void onLaneChanged();
    void onLaneCornerSelectionChanged(bool selected);
    void on_backTypeButtonGroup_buttonClicked(QAbstractButton *button);
    void on_bgRadiusValuePicker_finished(int value);
    void on_showBGCheckBox_toggled(bool checked);
    void onUpdateBGFinished();
    void on_bandAutoDetectButton_clicked();
    void autoBandDetectFinished();
    void on_bandLeftButton_clicked();
    void on_bandRightButton_clicked();
    void on_bandReduceButton_clicked();
    void on_bandSpreadButton_clicked();
    void on_bandAddButton_clicked();
    void on_bandDeleteButton_clicked();
    void on_bandClearButton_clicked();
    // end of lanes, background and bands slots

    // ---- MW step and calibration editor
    void on_mwStandardMenuButton_selectionChanged(QString inLaneStr);
    void on_mwStandardListView_clicked(QModelIndex index);
    void on_mwCurveTypeButtonGroup_buttonClicked(QAbstractButton *button);
    void on_mwViewPlotButton_clicked();
    void on_mwAddButton_clicked();
    void on_mwEditButton_clicked();
    void on_mwcalibNameTextArea_clicked();
    void on_mwCalibTenKey_input(QString key);
    void on_mwcalibSetButton_clicked();
    void on_mwStandardTableView_clicked(QModelIndex index);
    void on_mwcalibSaveButton_clicked();
    void on_mwcalibCancelButton_clicked();
    void on_mwcalibDeleteButton_clicked();
    void onMWStandardLaneChanged();
    // end of MW slots

    // ---- summary
    void on_summaryTableView_selectionChanged();
    void on_barGraphTab_changed(int inIndex);
    void onSummaryTableSorted(int inColumn, Qt::SortOrder inOrder);
    void on_printSummaryButton_clicked();
    // end of summary slots

    // ---- image tools
    void on_zoomOutButton_clicked();
    void on_zoomUpButton_clicked();
    void on_zoomOut3Button_clicked();
    void on_zoomUp3Button_clicked();
    void on_zoomOut2Button_clicked();
    void on_zoomUp2Button_clicked();
    void on_zoomOut4Button_clicked();
    void on_zoomUp4Button_clicked();
    void on_zoomValuePicker_changed(int value);
    void on_zoomResetButton_clicked();
    void on_imageView_resized();
    void on_imageView_scrolled();
    void on_image2View_scrolled();
    void on_profileGraphView_scrolled();
    void on_profileGraphView2_scrolled();
    void on_contrastButton_clicked();
    void on_contrast3Button_clicked();
    void on_contrastLowDownButton_clicked();
    void on_contrastLowUpButton_clicked();
    void on_contrastHighDownButton_clicked();
    void on_contrastHighUpButton_clicked();
    void on_autoContrastButton_clicked();
    void on_highlightCheckBox_toggled(bool checked);
    void on_ch1Button_clicked();
    void on_ch2Button_clicked();
    void on_ch3Button_clicked();
    void on_ch1Button_longClicked();
    void on_ch2Button_longClicked();
    void on_ch3Button_longClicked();
    void on_ch1Button_doubleClicked();
    void on_ch2Button_doubleClicked();
    void on_ch3Button_doubleClicked();
    void on_ch1Button2_clicked();
    void on_ch2Button2_clicked();
    void on_ch3Button2_clicked();
    void on_ch1Button2_longClicked();
    void on_ch2Button2_longClicked();
    void on_ch3Button2_longClicked();
    void on_ch1Button2_doubleClicked();
    void on_ch2Button2_doubleClicked();
    void on_ch3Button2_doubleClicked();
    void on_singleTab_changed(int index);
    void on_singleTab2_changed(int index);
    void on_imageButton_clicked();
    void on_profileButton_clicked();
    void on_image4Button_clicked();
    void on_profile4Button_clicked();
    void on_profileMenuButton_selectionChanged(QString text);
    void on_profile2MenuButton_selectionChanged(QString text);
    void on_displayButton_clicked();
    void on_zoomButton_clicked();
    void on_contrastToolButton_clicked();
    void on_intensityButton_clicked();
    void on_invertCheckBox_toggled(bool checked);
    void on_rotateLButton_clicked();
    void on_rotateRButton_clicked();
    void onRotateFinished();
    // end of image tool slots

    // ---- intensity tool
    void on_intensityDownButton_clicked();
    void on_intensityUpButton_clicked();
    void on_intensityLeftButton_clicked();
    void on_intensityRightButton_clicked();
    void onSetIntensityPoint(QPoint inImagePt);
    // end of intensity slots

private:
    // ---- core
    // The form, the skins and the screen's first state: the current document's, or none's
    // (inWithoutDocument).
    void build(bool inWithoutDocument);
    // What the screen shows while no document is open.
    void showNoDocument();
    KyDocument *document() const;
    // Channel buttons, tabs and exposure labels for the document's light modes; sets the document
    // and display kinds, the buttons' channels and the channel selection.
    void attachChannelArea(KyDocument *doc);

    // ---- lanes, background and bands
public:
    // The inputs of the background job, read on the GUI thread by the starting slot. The job
    // touches nothing but the document it is given (null: no document, no work).
    struct BackgroundInputs {
        int method = 0;
        int radius = 0;
        KyDocument *document = nullptr;
    };
    // The inputs of the band detection job, read on the GUI thread by the starting slot: the
    // parameter sets are copied out of the auto-band table there, so the job never reloads it.
    struct AutoBandInputs {
        int channel = 0;
        int sensitivity = 0;
        KyDocument *document = nullptr;
        KyBandDetectParameter defaultSet;
        KyBandDetectParameter markerSet;
    };
private:
    void startUpdateBackground(bool force);
    void updateBackground(bool force, BackgroundInputs inputs);
    void autoBandDetect(AutoBandInputs inputs);
    void initBandSensitivityPicker();
    void updateLaneControls();
    void updateProfileMenu();
    void updateProfileGraph();
    void updateBandEditPanel();
    // The radius picker's range for the attached document: 5 up to half the image height in
    // millimetres (rounded up to the step), 200 when the capture has no pixel size. Called by
    // resetForDocument before it sets the document's radius.
    void updateRadiusPickerRange();
    // Waits for a running background, detection or rotation job: two jobs must never work on the
    // document at once.
    void waitForDocumentJobs();
    // end of lanes, background and bands operations

    // ---- MW step and calibration editor
    void setupMWStandardViews();
    void updateMWStandardMenu();
    void updateMWStandardTable();
    void fillMWStandardModel();
    void fillMWStandardModel(const QList<int> &values, const QVector<bool> &checks);
    // The value field of the editor takes whole numbers only; the set button waits for one of 1 or
    // more and for room in the table.
    void setupMWValueField();
    void updateMWSetButton();
    // The calibration plot's content (chart and R² line); null without MW points.
    QWidget *buildMWCurvePlot();
    // The fitted curve (one value per pixel position; no line when empty) and the standard's
    // points, as chart series over millimetres; the caller takes them.
    QList<class QAbstractSeries *> buildMWCurveSeries(const QVector<double> &curve,
                                                      const QMap<double, double> &points);
    // end of MW operations

    // ---- summary
    void applySummarySort(KyTableView *view, bool sortByLane);
    void syncSummaryChannelTab();
    // The table column the current bar tab plots, and its caption on paper (the tab titles are
    // abbreviated; a page spells them out). The screen's print and the summary PDF share both.
    int currentBarColumn() const;
    QString currentBarCaption() const;
    // end of summary operations

    // ---- image tools
    void zoomIn();
    void zoomOut();
    void updateProfileZoomButtons();
    void stepContrast(int lowDirection, int highDirection);
    void updateHistogram(int channel, QLabel *label);
    void applyChannelSelection(QAbstractButton *button, bool exclusive);
    void updateChannelButtons();
    int selectedChannel();
    void updateSingleChannelControls();
    void updateOperationPanel();
    void updateImageToolButtons();
    void updateInvertAndContrastControls();
    void updateToolButtonVisibility();
    // The job body: turns the document it is given; the starting slot passes the document it read
    // on the GUI thread, so the pool thread reads no widget and no current-document holder.
    void rotateDocument(KyDocument *doc, int direction);
    // Asks first when bands would be lost, then runs the rotation on the pool.
    void startRotation(int direction);
    // One of displayButton, zoomButton, contrastToolButton, intensityButton (page 0..3).
    void showToolPage(int page);
    // Sample (0) or Color (1) on the single-channel tab of either page.
    void applyTabIndex(int index);
    // direction -1 out, +1 in; source is the graph whose zoom the step starts from.
    void stepProfileZoom(KyProfileGraphView *source, int direction);
    // The summary page's channel buttons act on the page-1 button of the same place: action 0
    // click (toggle), 1 long click (toggle, then that channel alone), 2 double click (check, then
    // that channel alone).
    void summaryChannelAction(QAbstractButton *pageButton, int action);
    // After any channel slot: the summary buttons mirror page 1, the single-channel controls follow.
    void finishChannelSlot();
    // Re-centres the intensity rectangle on the document's selection after the scale changed.
    void replaceIntensityRect();
    // end of image tool operations

    // ---- intensity tool
    void moveIntensityPoint(int dx, int dy);
    void updateIntensityInfo();
    // end of intensity operations

    // ---- analysis information text
    QString singleInfoText();
    QString multiInfoText();
    QString channelInfoText(int channelMask);
    QString colorimetricInfoText();
    QString markerInfoText(bool wholeDocument);
    // end of information text operations

    // ---- print, copy and summary PDF (private operations)
    // The summary items of getSummaryPDFItems and saveSummaryPdfTo; the record takes the table.
    bool fillSummaryItems(KyPrintData *data);
    // The picture imageView holds, as the document renders it for the current display.
    QImage shownImage();
    // Why a print did not come out, and the notice that says so.
    enum EPrintProblem { kPrint_None, kPrint_NoDocument, kPrint_NotReady, kPrint_Failed };
    void showPrintProblem(EPrintProblem problem);
    // end of print operations

    int mMode = kMode_other;
    int mDisplayKind = kDisplay_Channel;
    int mDocumentKind = kDocument_Single;
    int mChannel = 0;
    std::vector<int> mButtonChannels{0, 0, 0};
    int mZoomIndex = 0;
    int mSummaryZoomIndex = 0;
    QStandardItemModel *mMWStandardModel = nullptr;
    int mMWEditMode = 0;
    KyMwStandard mEditedMWStandard;
    KyBrightnessView *mBrightnessView = nullptr;
    KyBrightnessView *mBrightnessView2 = nullptr;
    IntensityView *mIntensityView = nullptr;
    bool mUpdatingControls = false;
    QFutureWatcher<void> mRotateWatcher;
    LaneView *mLaneView = nullptr;
    LaneView *mLaneView2 = nullptr;
    KyTableModel *mTableModel = nullptr;
    QVBarModelMapper *mBarMapper = nullptr;
    QBarSeries *mBarSeries = nullptr;
    QChart *mChart = nullptr;
    KyBarChartCtrl *mBarChartCtrl = nullptr;
    QFutureWatcher<void> mBackgroundWatcher;
    QFutureWatcher<void> mAutoBandWatcher;
    bool mAnalysisChanged = true;
    int mPendingMode = kMode_other;
    // Made without a parent under a BuildInPlace, build() waits for the first parent; under a
    // BuildOnDemand, for ensureBuilt() or the first show.
    enum EBuild { kBuild_Done, kBuild_OnParent, kBuild_OnDemand };
    EBuild mBuild = kBuild_Done;
    static int sBuildInPlace;
    static int sBuildOnDemand;

    // ---- further state of step navigation
    QFutureWatcher<void> mLaneRebuildWatcher;
    // end of step navigation state

    // ---- further state of the lanes, background and bands steps
    // end of lanes state

    // ---- further state of the MW step
    bool mMWValueFieldReady = false;
    // end of MW state

    // ---- further state of the summary
    // end of summary state

    // ---- further state of the image tools
    // end of image tool state

    // ---- further state of print and copy
    PrinterReadiness mPrinterReadiness;
    std::function<QDateTime()> mInfoClock;
    // Why the last printImagePage failed, for the notice print() shows.
    EPrintProblem mPrintProblem = kPrint_None;
    // end of print state
};
