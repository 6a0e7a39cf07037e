// Closing the capture and leaving the program.
#include "app/teskwindow.h"

#include "analysisview/kyanalysisview.h"
#include "app/kycopyview.h"
#include "app/savefailuretext.h"
#include "app/teskapp.h"
#include "core/analysissettings.h"
#include "core/fileutility.h"
#include "document/kydocument.h"
#include "platform/logcategories.h"
#include "widgets/kymessagebox.h"

#include <QCloseEvent>
#include <QDebug>

void TeskWindow::on_actionClose_triggered()
{
    // The running save still writes the document that a close would delete.
    if (isSaving())
        return;
    switch (askSaveChanges()) {
    case kAnswer_Cancel:
        return;
    case kAnswer_Save:
        startSave(kAfterSave_CloseImage);
        return;
    default:
        break;
    }
    KyDocument *document = TeskApp::currentDocument();
    FileUtility::TakeWriteError();
    if (document && !document->IsDirty() && document->IsDisplayChanged() && !saveDisplayChanges()) {
        KyMessageBox::question(window(), tr("Error"),
                               saveErrorText(tr("Failed to save image."), FileUtility::TakeWriteError(),
                                             tr("Failed to save image. Please close all files related to the "
                                                "capture that are opened in other applications.")),
                               tr("OK"), QString(), 0);
        return;
    }
    closeCurrentImage();
}

bool TeskWindow::saveDisplayChanges()
{
    KyDocument *document = TeskApp::currentDocument();
    if (!document)
        return true;
    // An opened capture is written back the way every save writes it, so that a dot in a folder
    // name cannot send the images elsewhere; a capture made in the program has no such path.
    if (document->IsOpenedDocument()) {
        TeskApp *app = TeskApp::instance();
        return app && app->saveDocument();
    }
    return document->SaveInPlace(true, true, false) == 0;
}

void TeskWindow::on_actionExit_triggered()
{
    close();
}

void TeskWindow::closeCurrentImage()
{
    TeskApp *app = TeskApp::instance();
    if (app && !app->closeDocument())
        qCDebug(lcApp) << "Failed to close image.";
}

void TeskWindow::closeEvent(QCloseEvent *event)
{
    TeskApp *app = TeskApp::instance();
    // A running job or save holds the document. An open holds nothing yet and may never end (a
    // read that stalls): the close gives it up.
    const KyViewMode *viewMode = KyViewMode::instance();
    const bool onlyOpening =
        app && app->isOpening() && viewMode->busyReasons() == QSet<int>{KyViewMode::kBusy_Opening};
    if ((viewMode->isBusy() && !onlyOpening) || KyCopyView::IsBusy() || isSaving()) {
        event->ignore();
        return;
    }
    switch (askSaveChanges()) {
    case kAnswer_Cancel:
        event->ignore();
        return;
    case kAnswer_Save:
        startSave(kAfterSave_CloseWindow);
        event->ignore();
        return;
    default:
        break;
    }
    if (app) {
        app->abandonOpen();
        app->closeDocument();
        if (mAnalysisView && mAnalysisView->isBuilt())
            mAnalysisView->resetForDocument(false);
    }
    qCDebug(lcApp) << "TeskWindow::closeEvent()";
    AnalysisSettings::instance()->setValue(QStringLiteral("AN/AppWindowPosition"), geometry());
    QMainWindow::closeEvent(event);
}
