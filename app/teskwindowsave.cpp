// Saving: the Save and Save as actions, the save page's buttons, the background save tasks, the
// summary PDF and the saving pop-up.
#include "app/teskwindow.h"

#include "app/teskapp.h"

void TeskWindow::on_actionSave_triggered()
{
    startSave(kAfterSave_Nothing);
}

void TeskWindow::on_actionSaveAs_triggered()
{
}

void TeskWindow::on_saveCancelButton_clicked()
{
    KyViewMode::instance()->returnFromSave();
}

void TeskWindow::on_saveSaveButton_clicked()
{
}

void TeskWindow::on_saveSaveAsButton_clicked()
{
}

void TeskWindow::startSave(int inAfterSaveAction)
{
    if (!TeskApp::currentDocument())
        return;
    mAfterSaveAction = inAfterSaveAction;
}

void TeskWindow::onOpenSavingView(int inTotalCount)
{
    Q_UNUSED(inTotalCount);
}

void TeskWindow::onSaveProgress()
{
}

void TeskWindow::onCloseSavingView()
{
}

void TeskWindow::onSaveSummaryToPDF(QString inPath)
{
    Q_UNUSED(inPath);
}

void TeskWindow::onSaveFinished()
{
}

void TeskWindow::onSaveAsFinished()
{
}
