// Closing the capture and leaving the program.
#include "app/teskwindow.h"

#include "app/kycopyview.h"
#include "app/teskapp.h"

#include <QCloseEvent>
#include <QDebug>

void TeskWindow::on_actionClose_triggered()
{
    switch (askSaveChanges()) {
    case kAnswer_Cancel:
        return;
    case kAnswer_Save:
        startSave(kAfterSave_CloseImage);
        return;
    default:
        closeCurrentImage();
    }
}

void TeskWindow::on_actionExit_triggered()
{
    close();
}

void TeskWindow::closeCurrentImage()
{
    TeskApp *app = TeskApp::instance();
    if (app && !app->closeDocument())
        qDebug() << "Failed to close image.";
}

void TeskWindow::closeEvent(QCloseEvent *event)
{
    // A running job or save holds the document.
    if (KyViewMode::instance()->isBusy() || KyCopyView::IsBusy()) {
        event->ignore();
        return;
    }
    switch (askSaveChanges()) {
    case kAnswer_Cancel:
        event->ignore();
        return;
    case kAnswer_Save:
        event->ignore();
        startSave(kAfterSave_CloseWindow);
        return;
    default:
        QMainWindow::closeEvent(event);
    }
}
