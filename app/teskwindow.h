#pragma once

#include "ui_teskwindow.h"
#include "core/kyviewmode.h"

#include <QFutureWatcher>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class KyAnalysisView;
class KyBusyView;
class KyCopyView;
class KyDocument;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QRegularExpressionValidator;

// The program's one main window: a stack of four pages (opening page, analysis screen, save page,
// busy page) under the File, Edit and Help menus. The application object owns the document; the
// window follows its open and close signals and the view mode's page and busy signals.
//
// The implementation is split by concern: teskwindow.cpp (construction, pages, busy page, title,
// action states), teskwindowopen.cpp (open, drop, new window), teskwindowsave.cpp (save, save as,
// save page, saving pop-up), teskwindowclose.cpp (close and exit) and teskwindowdialogs.cpp
// (help, image information, About).
class TeskWindow : public QMainWindow
{
    Q_OBJECT

public:
    // Pages of the stacked widget, by index.
    enum EPage {
        kPage_Menu = 0,
        kPage_Analysis = 1,
        kPage_Save = 2,
        kPage_Busy = 3,
    };
    // What follows a successful save (and its summary PDF).
    enum EAfterSaveAction {
        kAfterSave_Nothing = 0,
        kAfterSave_CloseImage = 1,
        kAfterSave_OpenPending = 2,
        kAfterSave_CloseWindow = 3,
    };
    // Answers of the unsaved-changes question.
    enum ESaveAnswer {
        kAnswer_Cancel = 0,
        kAnswer_Save = 1,
        kAnswer_DontSave = 2,
    };

    explicit TeskWindow(QWidget *parent = nullptr);
    ~TeskWindow() override;

    // The product title, translated; the window title ends with it.
    static QString productTitle();
    // What the save page's comment field accepts: letters, digits and underscores of any script,
    // white space and the printable ASCII punctuation.
    static QString commentPattern();

    // Read access for the flows and for tests.
    const Ui_TeskWindow &form() const { return ui; }
    // The analysis screen, built first if it has not been yet.
    KyAnalysisView *analysisView() const;
    KyBusyView *busyView() const { return mBusyView; }
    int currentPage() const;
    int pageBeforeBusy() const { return mPageBeforeBusy; }
    int afterSaveAction() const { return mAfterSaveAction; }
    QString pendingOpenPath() const { return mPendingOpenPath; }
    const QRegularExpressionValidator *commentValidator() const { return mCommentValidator; }
    // A save or save-as of the document, or a copy with the pop-up, is running: the flows that
    // would touch the document or its files refuse meanwhile.
    bool isSaving() const;
    // An open task is running: the window stays disabled and refuses further opens until it ends.
    bool isOpening() const;

    // ---- open flow
    // Starts a detached process: "Open in new window..." runs the program's own executable through
    // it. Replaceable so that tests decide which program really starts.
    using ProcessStarter = std::function<bool(const QString &inProgram, const QStringList &inArguments)>;
    void setProcessStarter(ProcessStarter inStarter) { mProcessStarter = std::move(inStarter); }
    // Opens the pending open path, asking for a folder when there is none.
    void doOpen();
    // The unsaved-changes question: one of ESaveAnswer.
    int askSaveChanges();

    // ---- save flow
    // Saves the current document in place; the after-save action runs when the save succeeded.
    void startSave(int inAfterSaveAction);
    // The save-as dialog and, when a folder is chosen, the background save-as.
    void saveAsInteractive();
    // The summary PDF beside the first image: its file name's last suffix replaced by ".pdf";
    // empty when the file name has no suffix.
    static QString summaryPdfPath(const QString &inFirstImagePath);
    // The save-as dialog's proposal for a capture whose first image is inFirstImagePath, placed in
    // inSaveAsFolder (the parent of the capture folder when empty), with the capture's channel
    // suffix ("_Co" for white light) in outSuffix.
    static QString saveAsProposal(const QString &inFirstImagePath, const QString &inSaveAsFolder,
                                  bool inWhiteLight, bool inHasImage, QString *outSuffix = nullptr);
    // Runs on the summary PDF job's thread with the path the file is written to, before it is
    // written. Tests hold the job there, or make its write fail.
    using SummaryPdfHook = std::function<void(const QString &inPath)>;
    void setSummaryPdfHook(SummaryPdfHook inHook) { mSummaryPdfHook = std::move(inHook); }

    // ---- close flow
    // Closes the current document without asking.
    void closeCurrentImage();

signals:
    void openSavingView(int inCount);
    void progressSaving();
    void closeSavingView();
    void saveSummaryToPDF(QString inPath);

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private slots:
    void on_actionOpen_triggered();
    void on_actionOpenInNewWindow_triggered();
    void on_actionClose_triggered();
    void on_actionFileInfo_triggered();
    void on_actionSave_triggered();
    void on_actionSaveAs_triggered();
    void on_actionPrint_triggered();
    void on_actionExit_triggered();
    void on_actionCopy_triggered();
    void on_actionAbout_triggered();
    void on_saveCancelButton_clicked();
    void on_saveSaveButton_clicked();
    void on_saveSaveAsButton_clicked();
    void onImageOpened();
    void onImageClosed();
    void onDocumentDirtyStateChanged(bool inIsDirty);
    void onViewModeChanged(KyViewMode::EViewMode inMode);
    void toBusyView();
    void resetBusyView();
    void onShowHelp(QString inTitle, QString inName);
    void open(const QString &inDirPath = QString());
    void toImageView();
    void toProfileView();
    void onOpenSavingView(int inTotalCount);
    void onSaveProgress();
    void onCloseSavingView();
    void onSaveSummaryToPDF(QString inPath);
    void onSaveFinished();
    void onSaveAsFinished();
    void onSummaryPdfFinished();
    void onInstallFinished();
    void onZiredOotated();
    void onContrastChanged();
    void onTableSelectionChanged();

private:
    void setActionIcons();
    void applySavedGeometry();
    bool connectSignals();
    void updateWindowTitle();
    // Pool tasks; they read no widget.
    bool saveTask();
    bool saveAsTask(const QString &inPath);
    // What the summary PDF's job hands back: whether the file was written, and the system's reason
    // for a failed write (FileUtility::TakeWriteError, which only the writing thread can take).
    struct SummaryPdfResult
    {
        bool written = false;
        int error = 0;
    };
    // The summary PDF after a save (inAfterSave) or a save-as, with its two pop-up steps: its
    // pictures are drawn here, and a pool job writes the file. The save goes on in
    // summaryPdfEnded, at once when there is nothing to write (a success) or nothing can be.
    void writeSummaryPdf(bool inAfterSave);
    // inWriteTried: the report was made and its file attempted, which takes the pop-up's second step.
    void summaryPdfEnded(const SummaryPdfResult &inResult, bool inWriteTried);
    // What the job that puts a held save's files in place (or drops them) hands back: whether they
    // are in place, and the system's reason for a failure (FileUtility::TakeWriteError).
    struct InstallResult
    {
        bool installed = false;
        int error = 0;
    };
    // What follows once a held save's files are in place or dropped.
    enum class HeldSaveEnd { Save, SaveAs, FailedSaveAs };
    // Puts the current document's held save in place (inInstall) or drops it, in a pool job: a
    // rename over a large file frees the old one's blocks, tens of milliseconds for each image of a
    // large capture, and a drop removes as much. onInstallFinished goes on with inThen. False, with
    // nothing started, when no save is held.
    bool startHeldSaveEnd(bool inInstall, HeldSaveEnd inThen);
    // The held save's files put in place or dropped by a pool job; saveInstalled goes on once
    // they are.
    void finishSave(bool inSaved, const SummaryPdfResult &inPdf);
    // The after-save action or the error box.
    void saveInstalled(const InstallResult &inInstall);
    // A save-as's files put in place by a pool job; saveAsInstalled goes on once they are.
    void finishSaveAs(const SummaryPdfResult &inPdf);
    // The new title and the return from the save page, or the error box.
    void saveAsInstalled(const InstallResult &inInstall);
    // The box of a save-as whose task failed, once its staged files are gone.
    void saveAsFailed();
    void reconnectSaveProgress(KyDocument *inDocument);
    // The end of a save or save-as: the summary table refreshed after a success, the busy mark
    // taken off and the pop-up closed.
    void endSaving(bool inSucceeded);
    // The error box of a failed save, save-as or summary PDF.
    void reportSaveError(const QString &inText);
    // The text of a failed save (see saveFailureText), unless the save gave up because another
    // window saved the capture: then that reason.
    QString saveErrorText(const QString &inFailure, int inError, const QString &inOtherwise) const;
    // Hands the save page's comment to the document, only when the user changed it.
    void applyEditedComment();
    // Fills the save page's comment field with a document's comment, whole.
    void showStoredComment(const QString &inComment);
    // Writes the display-only changes of a clean document back into its images; false on failure.
    bool saveDisplayChanges();

    Ui_TeskWindow ui;
    // Made by the form; built on first use or after the window's first painting.
    KyAnalysisView *mAnalysisView = nullptr;
    bool mScreenBuildQueued = false;
    KyBusyView *mBusyView = nullptr;
    int mPageBeforeBusy = kPage_Menu;
    QPointer<QWidget> mFocusBeforeBusy;
    KyCopyView *mCopyView = nullptr;
    int mAfterSaveAction = kAfterSave_Nothing;
    QString mPendingOpenPath;
    // From the start of a save or save-as until its end slot hands over to the after-save action.
    bool mSaving = false;
    QFutureWatcher<bool> mSaveWatcher;
    QFutureWatcher<bool> mSaveAsWatcher;
    // The summary PDF's job, after the save's (mPdfAfterSave) or the save-as's task: the save is
    // not over (mSaving) until it ends.
    QFutureWatcher<SummaryPdfResult> mPdfWatcher;
    bool mPdfAfterSave = false;
    // The job that puts a save's or a save-as's files in place (or drops them), after the summary
    // PDF's: the save is not over (mSaving) until it ends. What the save and the PDF gave waits
    // here for what follows (mInstallThen).
    QFutureWatcher<InstallResult> mInstallWatcher;
    HeldSaveEnd mInstallThen = HeldSaveEnd::Save;
    bool mInstallSaved = false;
    SummaryPdfResult mInstallPdf;
    SummaryPdfHook mSummaryPdfHook;
    // The system's reason for the last failed save or save-as task (FileUtility::TakeWriteError),
    // set by the task before its watcher reports the end.
    int mSaveWriteError = 0;
    ProcessStarter mProcessStarter;
    // Owned by the window; the comment field only uses it.
    QRegularExpressionValidator *mCommentValidator = nullptr;
    // The most characters the comment field takes from the keyboard (the form's limit).
    int mCommentTypedLength = 0;
};
