#include "app/teskapp.h"

#include "core/kyviewmode.h"
#include "document/kycurrentdocument.h"
#include "document/kydocument.h"
#include "instrument/versiontext.h"
#include "platform/logcategories.h"
#include "widgets/kymessagebox.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>


TeskApp::TeskApp(int &argc, char **argv) : QApplication(argc, argv)
{
    // The holder is a QObject that pool threads read through currentDocument(): it has to be made
    // here, on the GUI thread.
    KyCurrentDocument::instance();
    QApplication::setQuitOnLastWindowClosed(true);
    connect(&mOpenWatcher, &QFutureWatcher<KyDocument *>::finished, this, &TeskApp::onOpenFinished);
}

TeskApp::~TeskApp()
{
    if (mOpening) {
        // The task's document would otherwise be left to nobody.
        mOpenWatcher.disconnect(this);
        mOpenWatcher.waitForFinished();
        delete mOpenWatcher.result();
        mOpening = false;
    }
    closeDocument();
}

TeskApp *TeskApp::instance()
{
    return qobject_cast<TeskApp *>(QCoreApplication::instance());
}

KyDocument *TeskApp::currentDocument()
{
    return instance() ? KyCurrentDocument::document() : nullptr;
}

QWidget *TeskApp::mainWindow()
{
    if (TeskApp *app = instance(); app && app->mMainWindow)
        return app->mMainWindow;
    const QWidgetList windows = QApplication::topLevelWidgets();
    return windows.isEmpty() ? nullptr : windows.first();
}

void TeskApp::setMainWindow(QWidget *window)
{
    mMainWindow = window;
}

int TeskApp::run()
{
    if (QCoreApplication::arguments().size() >= 1)
        QTimer::singleShot(100, this, &TeskApp::openArgImage);
    return QApplication::exec();
}

void TeskApp::openArgImage()
{
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() <= 1)
        return;
    qCDebug(lcApp) << arguments.at(1);
    emit open(arguments.at(1));
}

bool TeskApp::openImage(const QString &path)
{
    // One task and one document slot: a second open would close the document the first is about
    // to deliver and race it for the slot.
    if (mOpening) {
        qCDebug(lcApp) << "TeskApp::openImage(): an open is running; ignored" << path;
        return false;
    }
    KyViewMode::instance()->setBusy(KyViewMode::kBusy_Opening);
    if (!closeDocument())
        return false;
    if (QWidget *window = mainWindow())
        window->setDisabled(true);
    mOpening = true;
    mOpenAbandoned = false;
    QThread *guiThread = thread();
    mOpenWatcher.setFuture(QtConcurrent::run([path, guiThread, opener = mOpener] {
        KyDocument *document = openInThread(path, opener);
        // Made on this pool thread, the document would deliver its queued signals and timers to a
        // thread without an event loop: it goes to the GUI thread before anyone sees it.
        if (document)
            document->moveToThread(guiThread);
        return document;
    }));
    return true;
}

KyDocument *TeskApp::openInThread(QString path, const Opener &opener)
{
    const QFileInfo info(path);
    if (info.isFile())
        path = info.dir().absolutePath();
    return opener ? opener(path) : KyDocument::Create(path, nullptr);
}

void TeskApp::abandonOpen()
{
    if (!mOpening)
        return;
    mOpenAbandoned = true;
    KyViewMode::instance()->unsetBusy(KyViewMode::kBusy_Opening);
}

bool TeskApp::waitForOpen(int inMilliseconds) const
{
    const QDeadlineTimer deadline(inMilliseconds);
    while (mOpening && !mOpenWatcher.future().isFinished() && !deadline.hasExpired())
        QThread::msleep(10);
    return !mOpening || mOpenWatcher.future().isFinished();
}

void TeskApp::onOpenFinished()
{
    mOpening = false;
    KyDocument *document = mOpenWatcher.result();
    if (mOpenAbandoned) {
        mOpenAbandoned = false;
        delete document;
        return;
    }
    if (document) {
        setDocument(document);
        CaptureShot shot;
        shot.mode = LightMode(1, QString(), QString(), int(LightMode::kNoExtra));
        logCaptureInfo({shot}, false);
        const QStringList unread = document->UnreadFiles();
        // Busy reason 9 stays: the main window clears it once it has taken the document up.
        emit imageOpened();
        if (!unread.isEmpty())
            KyMessageBox::question(mainWindow(), QString(),
                                   tr("The capture was opened without these files, which could not be read:\n%1")
                                       .arg(unread.join(QLatin1Char('\n'))),
                                   QStringLiteral("OK"), QString(), 0);
        return;
    }
    KyViewMode::instance()->unsetBusy(KyViewMode::kBusy_Opening);
    KyMessageBox::question(mainWindow(), QString(), tr("Failed to open file."), QStringLiteral("OK"),
                           QString(), 0);
    emit imageClosed();
}

void TeskApp::setDocument(KyDocument *document)
{
    mDocument = document;
    KyCurrentDocument::setDocument(document);
}

bool TeskApp::closeDocument()
{
    KyDocument *document = mDocument;
    setDocument(nullptr);
    delete document;
    emit imageClosed();
    return true;
}

bool TeskApp::saveDocument()
{
    if (!mDocument)
        return true;
    const int result = mDocument->SaveAs(saveBasePath(mDocument->FilePathOfFirstImage()));
    if (result != 0)
        qCDebug(lcApp) << "Failed to save";
    return result == 0;
}

bool TeskApp::saveDocumentAs(const QString &path)
{
    if (!mDocument)
        return true;
    return mDocument->SaveAs(path) == 0;
}

QString TeskApp::versionString()
{
    return QStringLiteral("V%1").arg(applicationVersionText());
}

QString TeskApp::saveBasePath(const QString &firstImagePath)
{
    const qsizetype dot = firstImagePath.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot < firstImagePath.lastIndexOf(QLatin1Char('/')))
        return QString();
    return firstImagePath.left(dot);
}

void TeskApp::logCaptureInfo(const QList<CaptureShot> &shots, bool withMarker)
{
    mCaptureShots = shots;
    mWithMarker = withMarker;
    int number = 1;
    for (const CaptureShot &shot : std::as_const(mCaptureShots)) {
        qCDebug(lcApp).noquote().nospace() << "shot " << number++ << ":method = " << shot.mode.methodName()
                                           << ", exp.time = " << shot.exposureTime
                                           << "binning type = " << shot.binningType
                                           << ", wait time = " << shot.waitTime;
    }
    qCDebug(lcApp).nospace() << "with marker: " << mWithMarker;
}
