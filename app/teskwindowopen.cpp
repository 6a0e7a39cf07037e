// Opening a capture: the Open action, the opening page's button, a drop, the command line and a
// second window.
#include "app/teskwindow.h"

#include "app/teskapp.h"
#include "core/analysissettings.h"
#include "document/kydocument.h"
#include "widgets/kymessagebox.h"

#include <QDebug>
#include <QFileDialog>

void TeskWindow::on_actionOpen_triggered()
{
    open(QString());
}

void TeskWindow::on_actionOpenInNewWindow_triggered()
{
}

// Every open in this process ends here.
void TeskWindow::open(const QString &inDirPath)
{
    mPendingOpenPath = inDirPath;
    const KyDocument *document = TeskApp::currentDocument();
    if (document && document->IsDirty()) {
        switch (askSaveChanges()) {
        case kAnswer_Cancel:
            mPendingOpenPath.clear();
            return;
        case kAnswer_Save:
            mPendingOpenPath = inDirPath;
            startSave(kAfterSave_OpenPending);
            return;
        default:
            break;
        }
    }
    doOpen();
}

void TeskWindow::doOpen()
{
    if (mPendingOpenPath.isEmpty()) {
        const QString start = AnalysisSettings::instance()->stringValue(QStringLiteral("AN/OpenPath"));
        mPendingOpenPath = QFileDialog::getExistingDirectory(window(), tr("Select an image folder."), start,
                                                             QFileDialog::ShowDirsOnly);
        if (mPendingOpenPath.isEmpty())
            return;
    }
    TeskApp *app = TeskApp::instance();
    const QString path = QDir::fromNativeSeparators(mPendingOpenPath);
    mPendingOpenPath.clear();
    if (!app || !app->openImage(path))
        qDebug() << "Failed to open image. ";
}

// The same wording serves open, close and exit.
int TeskWindow::askSaveChanges()
{
    const KyDocument *document = TeskApp::currentDocument();
    if (!document || !document->IsDirty())
        return kAnswer_DontSave;

    QString text;
    if (document->IsOpenedDocument() && document->IsAnalysisChanged())
        text = tr("The analysis has not been saved.\nDo you want to exit without saving?");
    else if (document->IsOpenedDocument())
        text = tr("The image has not been saved.\nDo you want to exit without saving?");
    else
        text = tr("Do you want to exit without saving?\nNo data will be saved.");

    switch (KyMessageBox::question3(window(), QString(), text, tr("Save"), tr("Cancel"), tr("Don't save"), 0)) {
    case 0:
        return kAnswer_Save;
    case 2:
        return kAnswer_DontSave;
    default:
        // Also a box that could not open because another one shows.
        return kAnswer_Cancel;
    }
}

void TeskWindow::dragEnterEvent(QDragEnterEvent *event)
{
    QMainWindow::dragEnterEvent(event);
}

void TeskWindow::dropEvent(QDropEvent *event)
{
    QMainWindow::dropEvent(event);
}
