// Construction, pages, the busy page, the window title and the enabled state of the actions.
#include "app/teskwindow.h"

#include "analysisview/kyanalysisview.h"
#include "app/kycopyview.h"
#include "app/teskapp.h"
#include "core/analysissettings.h"
#include "document/kydocument.h"
#include "platform/logcategories.h"
#include "widgets/kybusyview.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QIcon>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QTimer>

namespace {

QIcon actionIcon(const QString &inName)
{
    const QString base = QStringLiteral(":/Kestova/Images/ico_") + inName;
    QIcon icon(base + QStringLiteral("_active.png"));
    icon.addFile(base + QStringLiteral("_inactive.png"), QSize(), QIcon::Disabled, QIcon::Off);
    return icon;
}

} // namespace

QString TeskWindow::productTitle()
{
    return tr("Brevik Ziredo 410 Analysis Software");
}

QString TeskWindow::commentPattern()
{
    // One bracket expression: the ASCII punctuation, then the classes. Unicode properties make
    // \d, \w and \s cover every script; \p{M} keeps the combining marks that letters of many
    // scripts are written with, which \w leaves out.
    return QStringLiteral(R"([!"#$%&'()=~|{}`*_?<>,;:+@\-\.\/\\\[\]\^\d\w\s\p{M}]*)");
}

TeskWindow::TeskWindow(QWidget *parent)
    : QMainWindow(parent)
{
    if (TeskApp::currentDocument()) {
        // Built later, the screen would come up as without the open document: built at once,
        // it starts with it.
        const KyAnalysisView::BuildInPlace inPlace;
        ui.setupUi(this);
    } else {
        const KyAnalysisView::BuildOnDemand onDemand;
        ui.setupUi(this);
    }
    setActionIcons();

    mCommentValidator = new QRegularExpressionValidator(
        QRegularExpression(commentPattern(), QRegularExpression::UseUnicodePropertiesOption), this);
    ui.saveCommentText->setValidator(mCommentValidator);
    mCommentTypedLength = ui.saveCommentText->maxLength();

    applySavedGeometry();

    ui.stackedWidget->setCurrentIndex(kPage_Menu);
    ui.saveCommentText->setReadOnly(false);

    mAnalysisView = qobject_cast<KyAnalysisView *>(ui.stackedWidget->widget(kPage_Analysis));
    mBusyView = qobject_cast<KyBusyView *>(ui.stackedWidget->widget(kPage_Busy));

    connectSignals();
    onImageClosed();
}

TeskWindow::~TeskWindow()
{
    delete mCopyView;
    // A save still running reaches the document: let it end before the window goes.
    mSaveWatcher.waitForFinished();
    mSaveAsWatcher.waitForFinished();
    mPdfWatcher.waitForFinished();
    mInstallWatcher.waitForFinished();
}

KyAnalysisView *TeskWindow::analysisView() const
{
    if (mAnalysisView)
        mAnalysisView->ensureBuilt();
    return mAnalysisView;
}

bool TeskWindow::event(QEvent *event)
{
    // The analysis screen is built once the first window has been painted, unless something
    // needed it earlier: the wait before the open of a capture named on the command line goes
    // to it, where it used to come before the window could appear.
    if (event->type() == QEvent::Paint && !mScreenBuildQueued) {
        mScreenBuildQueued = true;
        QTimer::singleShot(0, this, [this] { analysisView(); });
    }
    return QMainWindow::event(event);
}

int TeskWindow::currentPage() const
{
    return ui.stackedWidget->currentIndex();
}

void TeskWindow::setActionIcons()
{
    ui.actionOpen->setIcon(actionIcon(QStringLiteral("folderopen")));
    ui.actionClose->setIcon(actionIcon(QStringLiteral("close")));
    ui.actionFileInfo->setIcon(actionIcon(QStringLiteral("info")));
    ui.actionSave->setIcon(actionIcon(QStringLiteral("save")));
    ui.actionPrint->setIcon(actionIcon(QStringLiteral("print")));
    ui.actionCopy->setIcon(actionIcon(QStringLiteral("copy")));
}

void TeskWindow::applySavedGeometry()
{
    const QRect saved = AnalysisSettings::instance()->rectValue(QStringLiteral("AN/AppWindowPosition"));
    if (!saved.isEmpty())
        setGeometry(saved);
}

// Each connection is tried only while every earlier one succeeded.
bool TeskWindow::connectSignals()
{
    bool connected = true;
    auto attempt = [&connected](const QMetaObject::Connection &inConnection) {
        connected = bool(inConnection);
    };

    if (mAnalysisView) {
        attempt(connect(mAnalysisView, &KyAnalysisView::closeImage, this, &TeskWindow::on_actionClose_triggered));
        if (connected)
            attempt(connect(mAnalysisView, &KyAnalysisView::showHelp, this, &TeskWindow::onShowHelp));
        if (connected)
            attempt(connect(mAnalysisView, &KyAnalysisView::printImage, this, &TeskWindow::on_actionPrint_triggered));
        if (connected)
            attempt(connect(mAnalysisView, &KyAnalysisView::toImageView, this, &TeskWindow::toImageView));
        if (connected)
            attempt(connect(mAnalysisView, &KyAnalysisView::toProfileView, this, &TeskWindow::toProfileView));
        // Emitted by the rotation job on a pool thread: delivered queued.
        if (connected)
            attempt(connect(mAnalysisView, &KyAnalysisView::rotated, this, &TeskWindow::onZiredOotated));
        if (connected)
            attempt(connect(mAnalysisView, &KyAnalysisView::contrastChanged, this, &TeskWindow::onContrastChanged));
        if (connected)
            attempt(connect(mAnalysisView, &KyAnalysisView::tableSelectionChanged, this,
                            &TeskWindow::onTableSelectionChanged));
    }

    // The application object's open requests and the end of its open task.
    TeskApp *app = TeskApp::instance();
    if (connected)
        attempt(connect(app, &TeskApp::open, this, &TeskWindow::open));
    if (connected)
        attempt(connect(app, &TeskApp::imageOpened, this, &TeskWindow::onImageOpened));
    if (connected)
        attempt(connect(app, &TeskApp::imageClosed, this, &TeskWindow::onImageClosed));

    if (connected)
        attempt(connect(ui.openButton, &QAbstractButton::clicked, this, &TeskWindow::on_actionOpen_triggered));
    if (connected)
        attempt(connect(ui.exitButton, &QAbstractButton::clicked, this, &TeskWindow::on_actionExit_triggered));

    KyViewMode *viewMode = KyViewMode::instance();
    if (connected)
        attempt(connect(viewMode, &KyViewMode::viewModeChanged, this, &TeskWindow::onViewModeChanged));
    if (connected)
        attempt(connect(viewMode, &KyViewMode::toBusyView, this, &TeskWindow::toBusyView));
    if (connected)
        attempt(connect(viewMode, &KyViewMode::resetBusyView, this, &TeskWindow::resetBusyView));

    if (connected)
        attempt(connect(this, &TeskWindow::openSavingView, this, &TeskWindow::onOpenSavingView));
    if (connected)
        attempt(connect(this, &TeskWindow::progressSaving, this, &TeskWindow::onSaveProgress));
    if (connected)
        attempt(connect(this, &TeskWindow::closeSavingView, this, &TeskWindow::onCloseSavingView));
    if (connected)
        attempt(connect(this, &TeskWindow::saveSummaryToPDF, this, &TeskWindow::onSaveSummaryToPDF));
    if (connected)
        attempt(connect(&mSaveWatcher, &QFutureWatcher<bool>::finished, this, &TeskWindow::onSaveFinished));
    if (connected)
        attempt(connect(&mSaveAsWatcher, &QFutureWatcher<bool>::finished, this, &TeskWindow::onSaveAsFinished));
    if (connected)
        attempt(connect(&mPdfWatcher, &QFutureWatcher<SummaryPdfResult>::finished, this,
                        &TeskWindow::onSummaryPdfFinished));
    if (connected)
        attempt(connect(&mInstallWatcher, &QFutureWatcher<InstallResult>::finished, this,
                        &TeskWindow::onInstallFinished));
    return connected;
}

// ---- pages and the busy page

void TeskWindow::onViewModeChanged(KyViewMode::EViewMode inMode)
{
    if (inMode == KyViewMode::kView_Save) {
        ui.stackedWidget->setCurrentIndex(kPage_Save);
        ui.actionPrint->setEnabled(false);
        return;
    }
    ui.stackedWidget->setCurrentIndex(kPage_Analysis);
    ui.actionPrint->setEnabled(TeskApp::currentDocument() != nullptr);
    if (inMode == KyViewMode::kView_AnalysisSummary)
        ui.actionPrint->setEnabled(true);
    else if (analysisView())
        ui.actionPrint->setEnabled(analysisView()->isImageShown());
}

void TeskWindow::toBusyView()
{
    if (ui.stackedWidget->currentIndex() == kPage_Busy) {
        qCDebug(lcApp, "TeskWindow::toBusyView() already showing busy page");
        return;
    }
    mPageBeforeBusy = ui.stackedWidget->currentIndex();
    // Disabling the window takes the keyboard focus away for good; it goes back after the job.
    QWidget *focused = QApplication::focusWidget();
    mFocusBeforeBusy = focused && isAncestorOf(focused) ? focused : nullptr;
    // The snapshot is taken while the page stack still shows the page being left.
    if (mBusyView)
        mBusyView->startAnimation();
    ui.stackedWidget->setCurrentIndex(kPage_Busy);
    setDisabled(true);
    QCoreApplication::processEvents();
}

void TeskWindow::resetBusyView()
{
    if (ui.stackedWidget->currentIndex() != kPage_Busy)
        return;
    if (mBusyView)
        mBusyView->stopAnimation();
    setEnabled(true);
    ui.stackedWidget->setCurrentIndex(mPageBeforeBusy);
    if (mFocusBeforeBusy && mFocusBeforeBusy->isVisible() && mFocusBeforeBusy->isEnabled())
        mFocusBeforeBusy->setFocus(Qt::OtherFocusReason);
    mFocusBeforeBusy = nullptr;
}

// ---- document opened and closed

void TeskWindow::onImageOpened()
{
    updateWindowTitle();
    KyDocument *document = TeskApp::currentDocument();
    if (document) {
        // A save-as passes through here again with the same document: one connection is enough.
        connect(document, &KyDocument::DirtyStateChanged, this, &TeskWindow::onDocumentDirtyStateChanged,
                Qt::UniqueConnection);
        showStoredComment(document->Comment());
    }
    if (analysisView())
        analysisView()->resetForDocument(true);

    ui.actionClose->setEnabled(true);
    ui.actionFileInfo->setEnabled(true);
    if (document)
        ui.actionSave->setEnabled(document->IsDirty());
    ui.actionSaveAs->setEnabled(true);
    ui.actionCopy->setEnabled(true);
    ui.actionPrint->setEnabled(true);

    ui.stackedWidget->setCurrentIndex(kPage_Analysis);
    setEnabled(true);
    KyViewMode::instance()->unsetBusy(KyViewMode::kBusy_Opening);
}

void TeskWindow::onImageClosed()
{
    updateWindowTitle();
    // A screen still to be built comes up as without a document.
    if (mAnalysisView && mAnalysisView->isBuilt())
        mAnalysisView->resetForDocument(true);
    // While a reason is set (the start of an open) the busy page stays in front.
    if (!KyViewMode::instance()->isBusy())
        ui.stackedWidget->setCurrentIndex(kPage_Menu);

    ui.actionOpen->setEnabled(true);
    ui.actionClose->setEnabled(false);
    ui.actionFileInfo->setEnabled(false);
    ui.actionSave->setEnabled(false);
    ui.actionSaveAs->setEnabled(false);
    ui.actionCopy->setEnabled(false);
    ui.actionPrint->setEnabled(false);
    setEnabled(true);
}

void TeskWindow::onDocumentDirtyStateChanged(bool inIsDirty)
{
    updateWindowTitle();
    ui.actionSave->setEnabled(inIsDirty);
}

void TeskWindow::updateWindowTitle()
{
    const KyDocument *document = TeskApp::currentDocument();
    if (!document) {
        setWindowTitle(productTitle());
        return;
    }
    const QString path = QDir::fromNativeSeparators(document->FilePathOfFirstImage());
    const QString folder = path.section(QLatin1Char('/'), -2, -2);
    const QString dirty = document->IsDirty() ? QStringLiteral("*") : QString();
    setWindowTitle(folder + dirty + QStringLiteral(" - ") + productTitle());
}

// ---- print, copy and the analysis screen's notices

void TeskWindow::on_actionPrint_triggered()
{
    // The saving pop-up covers the window, yet a shortcut could still reach it.
    if (isSaving())
        return;
    if (ui.stackedWidget->currentIndex() == kPage_Analysis && analysisView())
        analysisView()->print();
}

void TeskWindow::on_actionCopy_triggered()
{
    // The saving pop-up covers the window, yet a shortcut could still reach it.
    if (isSaving())
        return;
    if (ui.stackedWidget->currentIndex() == kPage_Analysis && analysisView())
        analysisView()->copy();
}

void TeskWindow::toImageView()
{
    ui.actionPrint->setEnabled(true);
}

void TeskWindow::toProfileView()
{
    // The summary prints its chart and table whatever the view shows.
    ui.actionPrint->setEnabled(KyViewMode::instance()->viewMode() == KyViewMode::kView_AnalysisSummary);
}

void TeskWindow::onZiredOotated()
{
    ui.actionSave->setEnabled(true);
}

void TeskWindow::onContrastChanged()
{
    ui.actionSave->setEnabled(true);
}

void TeskWindow::onTableSelectionChanged()
{
    ui.actionSave->setEnabled(true);
}
