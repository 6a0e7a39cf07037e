// Opening a capture: the Open action, the opening page's button, a drop, the command line and a
// second window.
#include "app/teskwindow.h"

#include "app/disableguard.h"
#include "app/teskapp.h"
#include "core/analysissettings.h"
#include "document/kydocument.h"
#include "platform/logcategories.h"
#include "widgets/kymessagebox.h"

#include <QDebug>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QProcess>
#include <QUrl>

void TeskWindow::on_actionOpen_triggered()
{
    open(QString());
}

void TeskWindow::on_actionOpenInNewWindow_triggered()
{
    const QString start = AnalysisSettings::instance()->stringValue(QStringLiteral("AN/OpenPath"));
    const QString folder =
        QFileDialog::getExistingDirectory(window(), tr("Select an image folder."), start, QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return;
    const QString program = QCoreApplication::applicationFilePath();
    const bool started = mProcessStarter ? mProcessStarter(program, {folder})
                                         : QProcess::startDetached(program, {folder});
    if (!started)
        KyMessageBox::question(this, QString(), QStringLiteral("Failed to open new window."), QStringLiteral("OK"),
                               QStringLiteral("Cancel"), 0, false);
}

// Every open in this process ends here.
void TeskWindow::open(const QString &inDirPath)
{
    // The running save still writes the current document; a running open delivers the next one.
    if (isSaving() || isOpening())
        return;
    DisableGuard guard(this, [this] { return isOpening(); });
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
    // One open at a time: a second request is refused before it changes anything.
    if (isOpening())
        return;
    // The open task, once started, holds the window disabled until it ends.
    DisableGuard guard(this, [this] { return isOpening(); });
    AnalysisSettings *settings = AnalysisSettings::instance();
    if (mPendingOpenPath.isEmpty()) {
        const QString start = settings->stringValue(QStringLiteral("AN/OpenPath"));
        mPendingOpenPath = QFileDialog::getExistingDirectory(window(), tr("Select an image folder."), start,
                                                             QFileDialog::ShowDirsOnly);
        if (mPendingOpenPath.isEmpty())
            return;
    }
    KyViewMode *viewMode = KyViewMode::instance();
    viewMode->setBusy(KyViewMode::kBusy_Opening);
    mPendingOpenPath = QDir::fromNativeSeparators(mPendingOpenPath);
    settings->setValue(QStringLiteral("AN/OpenPath"), mPendingOpenPath.section(QLatin1Char('/'), 0, -2));

    if (!mPendingOpenPath.isEmpty() && !KyDocument::IsInstrumentImage(mPendingOpenPath)) {
        viewMode->unsetBusy(KyViewMode::kBusy_Opening);
        if (!KyMessageBox::question(window(), QString(),
                                    tr("This is not an Brevik Ziredo 410 image and analysis is not supported. Are you "
                                       "sure you want to open the image?"),
                                    QStringLiteral("Yes"), QStringLiteral("No"), 0)) {
            mPendingOpenPath.clear();
            return;
        }
        viewMode->setBusy(KyViewMode::kBusy_Opening);
    }

    TeskApp *app = TeskApp::instance();
    if (!app) {
        viewMode->unsetBusy(KyViewMode::kBusy_Opening);
        mPendingOpenPath.clear();
        return;
    }
    const QString path = mPendingOpenPath;
    mPendingOpenPath.clear();
    if (app->openImage(path)) {
        // An open before the first painting has the screen built while the pool reads.
        analysisView();
        return;
    }
    qCDebug(lcApp) << "Failed to open image. ";
    // Refused because an open started while this flow asked its questions: busy reason 9 and the
    // disabled window are that open's.
    if (app->isOpening())
        return;
    setEnabled(true);
    viewMode->unsetBusy(KyViewMode::kBusy_Opening);
}

bool TeskWindow::isOpening() const
{
    const TeskApp *app = TeskApp::instance();
    return app && app->isOpening();
}

// The same wording serves open, close and exit.
int TeskWindow::askSaveChanges()
{
    const KyDocument *document = TeskApp::currentDocument();
    if (!document || !document->IsDirty())
        return kAnswer_DontSave;

    QString text;
    // The document keeps one flag for both an edited and a recomputed analysis.
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
    if (event && event->mimeData() && event->mimeData()->hasUrls() && !event->mimeData()->urls().isEmpty())
        event->acceptProposedAction();
}

void TeskWindow::dropEvent(QDropEvent *event)
{
    if (!event || !event->mimeData())
        return;
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty())
        return;
    // Only the first item is opened; a URL that is no local file asks for a folder.
    QString path = urls.first().toLocalFile();
    const QFileInfo info(path);
    if (info.isFile())
        path = info.absolutePath();
    open(path);
}
