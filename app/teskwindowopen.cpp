// Opening a capture: the Open action, the opening page's button, a drop, the command line and a
// second window.
#include "app/teskwindow.h"

#include "core/analysissettings.h"
#include "document/kycurrentdocument.h"
#include "document/kydocument.h"

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
    mPendingOpenPath.clear();
}

int TeskWindow::askSaveChanges()
{
    const KyDocument *document = KyCurrentDocument::document();
    if (!document || !document->IsDirty())
        return kAnswer_DontSave;
    // Nothing is given up unasked.
    return kAnswer_Cancel;
}

void TeskWindow::dragEnterEvent(QDragEnterEvent *event)
{
    QMainWindow::dragEnterEvent(event);
}

void TeskWindow::dropEvent(QDropEvent *event)
{
    QMainWindow::dropEvent(event);
}
