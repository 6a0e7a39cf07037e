#include "lockholder.h"
#include "testmain.h"

#include "analysisview/kyanalysisview.h"
#include "app/kycopyview.h"
#include "app/savefailuretext.h"
#include "app/kyprogressview.h"
#include "app/teskapp.h"
#include "app/teskwindow.h"
#include "core/analysissettings.h"
#include "core/fileutility.h"
#include "core/kyviewmode.h"
#include "document/kycapturesave.h"
#include "document/kydocument.h"
#include "platform/capturelock.h"
#include "platform/instanceslots.h"
#include "platform/writeaccess.h"
#include "samplecapturewriter.h"
#include "tmpfsmount.h"
#include "widgets/kybutton.h"
#include "widgets/kyimageview.h"
#include "widgets/kymessagebox.h"
#include "widgets/kyprogressbar.h"
#include "widgets/kytextarea.h"

#include <QDir>
#include <QDirIterator>
#include <QDropEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QProcess>
#include <QScopeGuard>
#include <QSemaphore>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <functional>
#include <memory>
#include <utility>

#include <sys/resource.h>

namespace {

KyViewMode *viewMode()
{
    return KyViewMode::instance();
}

const QString kOpenPathKey = QStringLiteral("AN/OpenPath");
const QString kPositionKey = QStringLiteral("AN/AppWindowPosition");
const QString kForeignText = QStringLiteral(
    "This is not an Brevik Ziredo 410 image and analysis is not supported. Are you sure you want to open the image?");
const QString kImageNotSaved = QStringLiteral("The image has not been saved.\nDo you want to exit without saving?");
const QString kAnalysisNotSaved =
    QStringLiteral("The analysis has not been saved.\nDo you want to exit without saving?");
const QString kSaveFailed = QStringLiteral(
    "Failed to save image. Please close all files related to the capture that are opened in other applications.");
const QString kNameExists = QStringLiteral("%1 already exists.\nPlease change the name.");
const QString kOverwrite =
    QStringLiteral("This file name already exists.\nAre you sure you want to overwrite the existing file?");
const QString kPdfFailed = QStringLiteral("Failed to save PDF file of analysis summary.");
const QString kNewWindowFailed = QStringLiteral("Failed to open new window.");
const QString kAnotherWindowSaves =
    QStringLiteral("Another window is saving this capture. Please try again when it has finished.");

// Answers the modal boxes and folder dialogs as they show, in order, from a zero-time timer, and
// keeps what each one said: "box:<text>" or "dialog:<start folder>". An answer is "accept",
// "reject" or "alt" for a box, a path (or "" to cancel) for a dialog. A modal window without an
// answer left is cancelled and noted as "unexpected".
class Answerer : public QObject
{
public:
    explicit Answerer(const QStringList &inAnswers) : mAnswers(inAnswers)
    {
        connect(&mTimer, &QTimer::timeout, this, &Answerer::poll);
        mTimer.start(0);
    }

    QStringList seen;
    int left() const { return int(mAnswers.size()); }
    // What was seen, with every dialog as "dialog" whatever folder it started in.
    QStringList seenKinds() const
    {
        QStringList kinds;
        for (const QString &s : seen)
            kinds << (s.startsWith(QLatin1String("dialog:")) ? QStringLiteral("dialog") : s);
        return kinds;
    }

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || mHandled.contains(modal))
            return;
        // The saving pop-up is no question: it goes by itself.
        if (modal->findChild<KyProgressView *>())
            return;
        mHandled.append(modal);
        const bool have = !mAnswers.isEmpty();
        const QString answer = have ? mAnswers.takeFirst() : QString();
        if (auto *box = qobject_cast<KyMessageBox *>(modal)) {
            seen << QStringLiteral("box:") + box->text();
            if (!have) {
                seen << QStringLiteral("unexpected");
                box->done(0);
                return;
            }
            const char *name = answer == QLatin1String("accept") ? "acceptButton"
                               : answer == QLatin1String("alt")  ? "altButton"
                                                                  : "rejectButton";
            auto *button = box->findChild<KyButton *>(QLatin1String(name));
            if (!button || !button->isVisible() || !button->isEnabled()) {
                seen << QStringLiteral("button not usable: ") + QLatin1String(name);
                box->done(0);
                return;
            }
            button->click();
        } else if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
            seen << QStringLiteral("dialog:") + dialog->directory().absolutePath();
            if (!have || answer.isEmpty()) {
                if (!have)
                    seen << QStringLiteral("unexpected");
                dialog->reject();
                return;
            }
            dialog->selectFile(answer);
            // Qt's own save dialog walks into an existing folder instead of returning it; a
            // platform dialog returns it, and that is the case the flows must handle.
            if (dialog->fileMode() == QFileDialog::AnyFile && QFileInfo(answer).isDir())
                static_cast<QDialog *>(dialog)->done(QDialog::Accepted);
            else
                QMetaObject::invokeMethod(dialog, "accept");
        }
    }

    QStringList mAnswers;
    QList<QPointer<QWidget>> mHandled;
    QTimer mTimer;
};

// Calls back on every event of one type that reaches an object.
class EventWatch : public QObject
{
public:
    EventWatch(QObject *inTarget, QEvent::Type inType, std::function<void()> inSeen)
        : mType(inType), mSeen(std::move(inSeen))
    {
        inTarget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *inEvent) override
    {
        if (inEvent->type() == mType)
            mSeen();
        return false;
    }

private:
    QEvent::Type mType;
    std::function<void()> mSeen;
};

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file of a folder with its bytes, by file name.
QMap<QString, QByteArray> folderBytes(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QFileInfo(path).fileName(), fileBytes(path));
    }
    return files;
}

void dropUrls(QWidget *target, const QList<QUrl> &urls)
{
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

// Where the steps of putting a save's files in place ran; the first step (the journal, or the
// rename of a new folder) waits there until let go, or by itself after a while, as it could not be
// let go on the GUI thread.
QSemaphore g_installReached;
QSemaphore g_installRelease;
std::atomic<int> g_installStepsOnGuiThread{0};
std::atomic<int> g_installStepsElsewhere{0};

void holdInstallAtFirstStep(KyCaptureSave::Step inStep, const QString &)
{
    if (QThread::currentThread() == QCoreApplication::instance()->thread())
        ++g_installStepsOnGuiThread;
    else
        ++g_installStepsElsewhere;
    if (inStep == KyCaptureSave::kStep_Journal || inStep == KyCaptureSave::kStep_FolderRename) {
        g_installReached.release();
        g_installRelease.tryAcquire(1, 10000);
    }
}

} // namespace

class TestTeskWindowFlows : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir mTemp;
    int mCaptures = 0;

    TeskApp *app() { return TeskApp::instance(); }

    // A fresh gel capture folder under its own parent folder.
    QString newCapture(const QString &inParent = QString())
    {
        const QString parent = mTemp.filePath(inParent.isEmpty() ? QStringLiteral("c%1").arg(++mCaptures) : inParent);
        return SampleCaptureWriter(48, 64, 5).Write(QStringLiteral("gel"), parent);
    }

    bool waitOpened(QSignalSpy &inOpened) { return !inOpened.isEmpty() || inOpened.wait(20000); }

    bool openCapture(const QString &path)
    {
        QSignalSpy opened(app(), &TeskApp::imageOpened);
        return app()->openImage(path) && waitOpened(opened);
    }

    static QString firstTif(const QString &folder)
    {
        const QStringList tifs = QDir(folder).entryList({QStringLiteral("*.tif")}, QDir::Files, QDir::Name);
        return tifs.isEmpty() ? QString() : QDir(folder).filePath(tifs.first());
    }

    // Waits until no save runs any longer and the pop-up is gone.
    static bool waitSaved(const TeskWindow &window)
    {
        return QTest::qWaitFor([&window] { return !window.isSaving(); }, 20000);
    }

    static void giveAnalysis(KyDocument *document)
    {
        document->SetDefaultLanes(3, 0.8);
        document->ExtractLaneProfiles();
    }

    // Opens the capture and gives it an analysis not yet saved; null when the open fails.
    KyDocument *openWithChanges(const QString &folder)
    {
        if (!openCapture(folder))
            return nullptr;
        KyDocument *document = TeskApp::currentDocument();
        giveAnalysis(document);
        document->SetDirty(true);
        return document;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(app());
        TeskApp::setQuitOnLastWindowClosed(false);
        QVERIFY(mTemp.isValid());
    }

    void cleanup()
    {
        app()->closeDocument();
        for (int reason : viewMode()->busyReasons())
            viewMode()->unsetBusy(KyViewMode::EBusyReason(reason));
        AnalysisSettings::instance()->remove(kPositionKey);
        AnalysisSettings::instance()->remove(kOpenPathKey);
        AnalysisSettings::instance()->remove(QStringLiteral("AN/SaveAsPath"));
    }

    // ---- save

    void summaryPdfPath_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QString>("pdf");
        QTest::newRow("tif") << "/d/run/x_Ch.tif" << "/d/run/x_Ch.pdf";
        QTest::newRow("dotted folder") << "/d/run.1/x_Ch.tif" << "/d/run.1/x_Ch.pdf";
        QTest::newRow("tiff") << "/d/run/x_Ch.tiff" << "/d/run/x_Ch.pdf";
        QTest::newRow("no suffix, dotted folder") << "/d/run.1/x_Ch" << "";
        QTest::newRow("empty") << "" << "";
    }

    void summaryPdfPath()
    {
        QFETCH(QString, image);
        QFETCH(QString, pdf);
        QCOMPARE(TeskWindow::summaryPdfPath(image), pdf);
    }

    void saveAsProposal_data()
    {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("image");
        QTest::addColumn<QString>("saveAsFolder");
        QTest::addColumn<bool>("whiteLight");
        QTest::addColumn<QString>("proposal");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("beside the capture") << QStringList() << "cap/name_Ch.tif" << "" << false << "name_Ch" << "_Ch";
        QTest::newRow("first number") << QStringList{"name_Ch"} << "cap/name_Ch.tif" << "" << false << "name-1_Ch"
                                      << "_Ch";
        QTest::newRow("first free number") << QStringList{"name_Ch", "name-1_Ch"} << "cap/name_Ch.tif" << ""
                                           << false << "name-2_Ch" << "_Ch";
        QTest::newRow("numbered stem restarts") << QStringList{"name-3_Ch"} << "cap/name-3_Ch.tif" << "" << false
                                                << "name-1_Ch" << "_Ch";
        QTest::newRow("bare dash") << QStringList{"name-_Ch"} << "cap/name-_Ch.tif" << "" << false << "name-1_Ch"
                                   << "_Ch";
        QTest::newRow("fluorescence channel") << QStringList() << "cap/name_Fl-Blue.tif" << "" << false
                                              << "name_Fl-Blue" << "_Fl-Blue";
        QTest::newRow("fluorescence") << QStringList() << "cap/name_Fl.tif" << "" << false << "name_Fl" << "_Fl";
        QTest::newRow("no channel") << QStringList{"name_Fx"} << "cap/name_Fx.tif" << "" << false << "name_Fx-1"
                                    << "";
        QTest::newRow("white light") << QStringList() << "cap/name_Co.tif" << "" << true << "name_Co" << "_Co";
        QTest::newRow("white light, other name") << QStringList() << "cap/name_Ch.tif" << "" << true
                                                 << "name_Ch_Co" << "_Co";
        QTest::newRow("remembered folder") << QStringList() << "cap/name_Ch.tif" << "elsewhere" << false
                                           << "elsewhere/name_Ch" << "_Ch";
        QTest::newRow("dotted capture folder") << QStringList() << "cap.v2/name_Ch.tif" << "" << false << "name_Ch"
                                               << "_Ch";
    }

    void saveAsProposal()
    {
        QFETCH(QStringList, existing);
        QFETCH(QString, image);
        QFETCH(QString, saveAsFolder);
        QFETCH(bool, whiteLight);
        QFETCH(QString, proposal);
        QFETCH(QString, suffix);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        for (const QString &name : existing)
            QVERIFY(QDir(root.path()).mkpath(name));
        QString gotSuffix;
        const QString folder = saveAsFolder.isEmpty() ? QString() : root.filePath(saveAsFolder);
        QCOMPARE(TeskWindow::saveAsProposal(root.filePath(image), folder, whiteLight, true, &gotSuffix),
                 root.filePath(proposal));
        QCOMPARE(gotSuffix, suffix);
    }

    // The save page's Save writes the edited comment into the capture; the title loses its mark.
    void saveFromTheSavePage()
    {
        const QString folder = newCapture();
        TeskWindow window;
        QVERIFY(openCapture(folder));
        KyDocument *document = TeskApp::currentDocument();
        QVERIFY(!document->HasAnalysis());
        viewMode()->setViewMode(KyViewMode::kView_Save, true);
        window.form().saveCommentText->setText(QStringLiteral("edited on the save page"));
        Answerer answers({});
        window.form().saveSaveButton->click();
        QVERIFY(window.isSaving());
        QVERIFY(waitSaved(window));
        QCOMPARE(answers.seen, QStringList());
        QVERIFY(!document->IsDirty());
        QVERIFY(!window.windowTitle().contains(QLatin1Char('*')));
        QVERIFY(!window.form().actionSave->isEnabled());
        // Without an analysis no PDF is written.
        QCOMPARE(QDir(folder).entryList({QStringLiteral("*.pdf")}), QStringList());

        QVERIFY(openCapture(folder));
        QCOMPARE(TeskApp::currentDocument()->Comment(), QStringLiteral("edited on the save page"));
    }

    // A comment longer than the field holds is kept whole when the user did not touch the field.
    void untouchedCommentIsNotCut()
    {
        const QString folder = newCapture();
        TeskWindow window;
        QVERIFY(openCapture(folder));
        KyDocument *document = TeskApp::currentDocument();
        // Longer than the field takes, whatever the comment the capture came with made it take.
        const QString longComment = QString(window.form().saveCommentText->maxLength() + 20, QLatin1Char('c'));
        QVERIFY(document->SetComment(longComment));
        window.form().saveCommentText->setText(longComment);
        QVERIFY(window.form().saveCommentText->text().size() < longComment.size());
        viewMode()->setViewMode(KyViewMode::kView_Save, true);
        window.form().saveSaveButton->click();
        QVERIFY(waitSaved(window));
        QCOMPARE(document->Comment(), longComment);
    }

    void saveWritesTheSummaryPdf()
    {
        const QString folder = newCapture();
        TeskWindow window;
        QVERIFY(openCapture(folder));
        KyDocument *document = TeskApp::currentDocument();
        giveAnalysis(document);
        QVERIFY(document->HasAnalysis());
        {
            QTemporaryDir probe;
            if (!window.analysisView()->saveSummaryPdfTo(probe.filePath(QStringLiteral("probe.pdf"))))
                QSKIP("the analysis screen writes no summary PDF in this build");
        }
        document->SetDirty(true);
        const QByteArray imageBefore = fileBytes(firstTif(folder));
        Answerer answers({});
        QSignalSpy documentSteps(document, &KyDocument::SaveProgress);
        window.form().actionSave->trigger();
        // The pop-up counts the document's own steps and the two of the summary PDF.
        const KyProgressBar *bar = window.findChild<KyProgressBar *>(QStringLiteral("progressBar"));
        QVERIFY(bar);
        QCOMPARE(bar->maximum(), document->SaveStepCount() + 2);
        QVERIFY(waitSaved(window));
        QCOMPARE(answers.seen, QStringList());
        QCOMPARE(documentSteps.size(), document->SaveStepCount());
        const QString pdf = TeskWindow::summaryPdfPath(firstTif(folder));
        QVERIFY(fileBytes(pdf).startsWith("%PDF-"));
        // The analysis went into the image's metadata: it is there when the capture is reopened.
        QVERIFY(fileBytes(firstTif(folder)) != imageBefore);
        QVERIFY(!document->IsDirty());
        QVERIFY(!window.windowTitle().contains(QLatin1Char('*')));
        const QString lanes = document->FormatLanes();
        QVERIFY(openCapture(folder));
        QVERIFY(TeskApp::currentDocument()->HasAnalysis());
        QCOMPARE(TeskApp::currentDocument()->FormatLanes(), lanes);
    }

    // The PDF cannot be written: the failure box, the document counts as unsaved again and the
    // close that asked for the save does not happen.
    void pdfFailureKeepsTheDocumentDirty()
    {
        const QString folder = newCapture();
        TeskWindow window;
        KyDocument *document = openWithChanges(folder);
        QVERIFY(document);
        QVERIFY(QDir().mkpath(TeskWindow::summaryPdfPath(firstTif(folder))));
        Answerer answers({QStringLiteral("accept"), QStringLiteral("accept")});
        window.form().actionClose->trigger();
        QVERIFY(waitSaved(window));
        QTRY_COMPARE(answers.seen, (QStringList{QStringLiteral("box:") + kAnalysisNotSaved,
                                                QStringLiteral("box:") + kSaveFailed}));
        QCOMPARE(TeskApp::currentDocument(), document);
        QVERIFY(document->IsDirty());
        QVERIFY(window.windowTitle().contains(QLatin1Char('*')));
        QVERIFY(QFileInfo(TeskWindow::summaryPdfPath(firstTif(folder))).isDir());
    }

    // A save whose summary PDF cannot be written puts none of its files in place: the images and
    // the report stay as they were, beside the earlier summary.
    void pdfFailureLeavesTheCaptureAsItWas()
    {
        const QString folder = newCapture();
        TeskWindow window;
        QVERIFY(openCapture(folder));
        KyDocument *document = TeskApp::currentDocument();
        giveAnalysis(document);
        QVERIFY(document->SetComment(QStringLiteral("not saved")));
        QVERIFY(QDir().mkpath(TeskWindow::summaryPdfPath(firstTif(folder))));
        const QMap<QString, QByteArray> before = folderBytes(folder);
        Answerer answers({QStringLiteral("accept")});
        window.form().actionSave->trigger();
        QVERIFY(waitSaved(window));
        QTRY_COMPARE(answers.seen, QStringList{QStringLiteral("box:") + kSaveFailed});
        QCOMPARE(folderBytes(folder), before);
        QVERIFY(document->IsDirty());
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
                 before.size() + 1);
    }

    // Another window (another process) is saving the capture: the save waits for it a little,
    // then says so, and nothing changes.
    void saveWhileAnotherWindowSaves()
    {
        const QString folder = newCapture();
        QTemporaryDir locks;
        qputenv("KY_INSTANCE_LOCK_DIR", QFile::encodeName(locks.path()));
        const auto unset = qScopeGuard([] { qunsetenv("KY_INSTANCE_LOCK_DIR"); });
        kytest::LockHolder other(platform::CaptureLock::lockFilePath(FileUtility::ResolvedPath(folder)));
        QVERIFY(other.started());
        TeskWindow window;
        QVERIFY(openCapture(folder));
        KyDocument *document = TeskApp::currentDocument();
        QVERIFY(document->SetComment(QStringLiteral("not saved")));
        QVERIFY(kytest::waitUntil([&] {
            platform::CaptureLock probe(FileUtility::ResolvedPath(folder));
            return probe.lock(0) == platform::CaptureLock::kBusy;
        }));
        const QMap<QString, QByteArray> before = folderBytes(folder);
        Answerer answers({QStringLiteral("accept")});
        window.form().actionSave->trigger();
        QVERIFY(waitSaved(window));
        QTRY_COMPARE(answers.seen, QStringList{QStringLiteral("box:") + kAnotherWindowSaves});
        QCOMPARE(folderBytes(folder), before);
        QVERIFY(document->IsDirty());

        // Once the other save is over, this one goes through.
        other.end();
        Answerer again({});
        window.form().actionSave->trigger();
        QVERIFY(waitSaved(window));
        QCOMPARE(again.seen, QStringList());
        QVERIFY(!document->IsDirty());
    }

    // While the background save writes the document nothing may close, reopen or save it again.
    void flowsRefusedWhileSaving()
    {
        const QString folder = newCapture();
        const QString other = newCapture();
        TeskWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(openCapture(folder));
        KyDocument *document = TeskApp::currentDocument();
        document->SetDirty(true);
        Answerer answers({});
        QSignalSpy started(&window, &TeskWindow::openSavingView);
        window.form().actionSave->trigger();
        QCOMPARE(started.size(), 1);
        QVERIFY(window.isSaving());

        QVERIFY(!window.close());
        window.form().actionClose->trigger();
        window.form().actionSave->trigger();
        window.form().actionSaveAs->trigger();
        window.startSave(TeskWindow::kAfterSave_CloseImage);
        emit app()->open(other);
        QCOMPARE(started.size(), 1);
        QCOMPARE(window.afterSaveAction(), int(TeskWindow::kAfterSave_Nothing));
        QCOMPARE(TeskApp::currentDocument(), document);

        QVERIFY(waitSaved(window));
        QCOMPARE(answers.seen, QStringList());
        QCOMPARE(TeskApp::currentDocument(), document);
        QVERIFY(window.isVisible());
        QVERIFY(!document->IsDirty());
    }

    // The summary PDF is written by a pool job after the save's own task. Meanwhile the window
    // answers (a timer fires, the window repaints) and the save stays busy: nothing closes, opens
    // or saves the document again, and none of the save's files is in place before the PDF. What
    // was asked with the save (closing the capture or the window) happens once the PDF is there.
    void summaryPdfWrittenOffTheGuiThread_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("save") << "save";
        QTest::newRow("close, save") << "close";
        QTest::newRow("exit, save") << "exit";
    }

    void summaryPdfWrittenOffTheGuiThread()
    {
        QFETCH(QString, how);
        // Before the window, which waits for the job that uses them.
        QSemaphore reached;
        QSemaphore release;
        std::atomic<QThread *> writer{nullptr};
        const QString folder = newCapture();
        const QString other = newCapture();
        TeskWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        KyDocument *document = openWithChanges(folder);
        QVERIFY(document);
        const QString pdf = TeskWindow::summaryPdfPath(firstTif(folder));
        const QMap<QString, QByteArray> before = folderBytes(folder);
        window.setSummaryPdfHook([&](const QString &) {
            writer = QThread::currentThread();
            reached.release();
            // On the GUI thread nothing could let it go: it goes on by itself after a while.
            release.tryAcquire(1, 10000);
        });
        const auto letGo = qScopeGuard([&] { release.release(); });

        Answerer answers(how == QLatin1String("save") ? QStringList() : QStringList{QStringLiteral("accept")});
        if (how == QLatin1String("save"))
            window.form().actionSave->trigger();
        else if (how == QLatin1String("close"))
            window.form().actionClose->trigger();
        else
            QVERIFY(!window.close());
        QVERIFY(QTest::qWaitFor([&reached] { return reached.available() > 0; }, 20000));
        QVERIFY2(writer.load() != QThread::currentThread(), "the summary PDF is written on the GUI thread");

        bool fired = false;
        QTimer::singleShot(0, &window, [&fired] { fired = true; });
        QTRY_VERIFY(fired);
        // The saving pop-up over the window repaints.
        QWidget *popUp = QApplication::activeModalWidget();
        QVERIFY(popUp && popUp->findChild<KyProgressView *>());
        bool painted = false;
        EventWatch paints(popUp, QEvent::Paint, [&painted] { painted = true; });
        popUp->update();
        QTRY_VERIFY(painted);

        QVERIFY(window.isSaving());
        QVERIFY(!window.close());
        window.form().actionClose->trigger();
        window.form().actionSave->trigger();
        emit app()->open(other);
        QTest::qWait(50);
        QCOMPARE(TeskApp::currentDocument(), document);
        QVERIFY(window.isVisible());
        QCOMPARE(folderBytes(folder), before);

        release.release();
        QVERIFY(waitSaved(window));
        QCOMPARE(answers.seen.size(), how == QLatin1String("save") ? 0 : 1);
        QVERIFY(fileBytes(pdf).startsWith("%PDF-"));
        QVERIFY(folderBytes(folder) != before);
        if (how == QLatin1String("save")) {
            QCOMPARE(TeskApp::currentDocument(), document);
            QVERIFY(!document->IsDirty());
            QVERIFY(window.isVisible());
        } else if (how == QLatin1String("close")) {
            QTRY_VERIFY(!TeskApp::currentDocument());
            QVERIFY(window.isVisible());
        } else {
            QTRY_VERIFY(!window.isVisible());
            QVERIFY(!TeskApp::currentDocument());
        }
        QCOMPARE(answers.seen.size(), how == QLatin1String("save") ? 0 : 1);
    }

    // The save's files are put in place by a pool job after the summary PDF's: the renames over the
    // old images, which free them, cost the window no answers. Meanwhile the save stays busy and the
    // capture holds none of the new files. The same for a save-as, over a folder that holds a
    // capture (renames over its images) or into a new one (the folder's rename). "steps" is the
    // least number of steps the job takes.
    void savedFilesPutInPlaceOffTheGuiThread_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("steps");
        QTest::newRow("save") << "save" << 3;
        QTest::newRow("save as over a capture") << "save-as over" << 3;
        QTest::newRow("save as into a new folder") << "save-as new" << 1;
    }

    void savedFilesPutInPlaceOffTheGuiThread()
    {
        QFETCH(QString, how);
        QFETCH(int, steps);
        const QString folder = newCapture();
        const bool saveAs = how != QLatin1String("save");
        const QString target = saveAs ? mTemp.filePath(QStringLiteral("saveas%1/copy_Ch").arg(mCaptures)) : folder;
        QVERIFY(QDir().mkpath(QFileInfo(target).absolutePath()));
        if (how == QLatin1String("save-as over")) {
            QVERIFY(QDir().mkpath(target));
            QFile old(target + QStringLiteral("/copy_Ch.tif"));
            QVERIFY(old.open(QIODevice::WriteOnly) && old.write("an earlier image") > 0);
        }
        TeskWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        KyDocument *document = openWithChanges(folder);
        QVERIFY(document);
        const QMap<QString, QByteArray> before = folderBytes(folder);
        const QMap<QString, QByteArray> targetBefore = folderBytes(target);
        g_installReached.tryAcquire(g_installReached.available());
        g_installRelease.tryAcquire(g_installRelease.available());
        g_installStepsOnGuiThread = 0;
        g_installStepsElsewhere = 0;
        const KyCaptureSave::StepHook previous = KyCaptureSave::SetStepHook(&holdInstallAtFirstStep);
        const auto restore = qScopeGuard([previous] {
            g_installRelease.release();
            KyCaptureSave::SetStepHook(previous);
        });

        Answerer answers(saveAs ? QStringList{target, QStringLiteral("accept")} : QStringList{});
        if (saveAs)
            window.form().actionSaveAs->trigger();
        else
            window.form().actionSave->trigger();
        QVERIFY(QTest::qWaitFor([] { return g_installReached.available() > 0; }, 20000));
        QVERIFY2(g_installStepsOnGuiThread == 0, "the save's files are put in place on the GUI thread");
        bool fired = false;
        QTimer::singleShot(0, &window, [&fired] { fired = true; });
        QTRY_VERIFY(fired);
        QVERIFY(window.isSaving());
        QVERIFY(!window.close());
        window.form().actionSave->trigger();
        QCOMPARE(TeskApp::currentDocument(), document);
        QCOMPARE(folderBytes(folder), before);
        QCOMPARE(folderBytes(target), targetBefore);

        g_installRelease.release();
        QVERIFY(waitSaved(window));
        QCOMPARE(g_installStepsOnGuiThread.load(), 0);
        QVERIFY(g_installStepsElsewhere.load() >= steps);
        const QString pdf = TeskWindow::summaryPdfPath(document->FilePathOfFirstImage());
        QCOMPARE(QFileInfo(pdf).absolutePath(), target);
        QVERIFY(fileBytes(pdf).startsWith("%PDF-"));
        QVERIFY(folderBytes(target) != targetBefore);
        if (saveAs)
            QCOMPARE(folderBytes(folder), before);
        QVERIFY(!document->IsDirty());
        QVERIFY(window.isVisible());
    }

    // The summary PDF's job fails: the reason its own thread noted is the one told, and the capture
    // stays as it was (a save), or goes to the new folder without the PDF (a save-as).
    void summaryPdfJobFailure_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("text");
        QTest::newRow("save") << "save" << "Failed to save image. There is not enough free space on the disk.";
        QTest::newRow("save as") << "save-as"
                                 << "Failed to save PDF file of analysis summary. There is not enough free space on "
                                    "the disk.";
    }

    void summaryPdfJobFailure()
    {
        QFETCH(QString, how);
        QFETCH(QString, text);
        const QString folder = newCapture();
        const QString target = mTemp.filePath(QStringLiteral("saveas%1/copy_Ch").arg(mCaptures));
        QVERIFY(QDir().mkpath(QFileInfo(target).absolutePath()));
        // The file is cut short by a size limit, which the job's thread notes as a full disk.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
        const auto restore = qScopeGuard([saved] { setrlimit(RLIMIT_FSIZE, &saved); });
        TeskWindow window;
        KyDocument *document = openWithChanges(folder);
        QVERIFY(document);
        const QMap<QString, QByteArray> before = folderBytes(folder);
        window.setSummaryPdfHook([saved](const QString &) {
            FileUtility::NoteWriteError(ENOSPC);
            rlimit limit = saved;
            limit.rlim_cur = 1024;
            setrlimit(RLIMIT_FSIZE, &limit);
        });
        const bool saveAs = how == QLatin1String("save-as");
        Answerer answers(saveAs ? QStringList{target, QStringLiteral("accept")} : QStringList{QStringLiteral("accept")});
        if (saveAs)
            window.form().actionSaveAs->trigger();
        else
            window.form().actionSave->trigger();
        QVERIFY(waitSaved(window));
        setrlimit(RLIMIT_FSIZE, &saved);
        QTRY_VERIFY(!answers.seen.isEmpty() && answers.seen.last().startsWith(QLatin1String("box:")));
        QCOMPARE(answers.seen.last(), QStringLiteral("box:") + text);
        QCOMPARE(folderBytes(folder), before);
        QCOMPARE(TeskApp::currentDocument(), document);
        if (saveAs) {
            QCOMPARE(QFileInfo(document->FilePathOfFirstImage()).absolutePath(), target);
            QVERIFY(!QFileInfo::exists(TeskWindow::summaryPdfPath(document->FilePathOfFirstImage())));
        } else {
            QVERIFY(document->IsDirty());
        }
    }

    // Save as from the save page into a new folder: the capture is written there, the title and
    // the remembered folder follow it, and the window leaves the save page.
    void saveAsIntoANewFolder()
    {
        const QString folder = newCapture();
        const QString target = mTemp.filePath(QStringLiteral("saveas%1/copy_Ch").arg(mCaptures));
        QVERIFY(QDir().mkpath(QFileInfo(target).absolutePath()));
        TeskWindow window;
        QVERIFY(openCapture(folder));
        KyDocument *document = TeskApp::currentDocument();
        viewMode()->setViewMode(KyViewMode::kView_Save, true);
        Answerer answers({target});
        window.form().saveSaveAsButton->click();
        QVERIFY(waitSaved(window));
        QCOMPARE(answers.seen.size(), 1);
        QVERIFY(answers.seen.first().startsWith(QLatin1String("dialog:")));
        QCOMPARE(TeskApp::currentDocument(), document);
        QCOMPARE(QFileInfo(document->FilePathOfFirstImage()).absolutePath(), target);
        QVERIFY(QFileInfo(document->FilePathOfFirstImage()).isFile());
        QVERIFY(window.windowTitle().startsWith(QStringLiteral("copy_Ch - ")));
        QCOMPARE(AnalysisSettings::instance()->stringValue(QStringLiteral("AN/SaveAsPath")),
                 QFileInfo(target).absolutePath());
        QCOMPARE(window.currentPage(), int(TeskWindow::kPage_Analysis));
    }

    // The boxes of a save-as from the save page. "typed" is what the user gives the dialog, in a
    // folder of its own that already holds "existing"; "savedInto" is where the capture ends up.
    void saveAsBoxes_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<bool>("analysis");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("seen");
        QTest::addColumn<QString>("savedInto");
        QTest::addColumn<bool>("folderRemembered");
        QTest::newRow("suffix added, name taken: asked again") // box A, then the dialog again
            << "copy" << QStringList{"copy_Ch"} << false << QStringList{"typed", "accept", ""}
            << QStringList{"dialog", "box:" + kNameExists.arg("copy_Ch"), "dialog"} << "" << false;
        QTest::newRow("existing folder, No") << "copy_Ch" << QStringList{"copy_Ch"} << false
                                             << QStringList{"typed", "reject"}
                                             << QStringList{"dialog", "box:" + kOverwrite} << "" << true;
        QTest::newRow("existing folder, Yes") << "copy_Ch" << QStringList{"copy_Ch"} << true
                                              << QStringList{"typed", "accept"}
                                              << QStringList{"dialog", "box:" + kOverwrite} << "copy_Ch" << true;
        QTest::newRow("summary PDF fails") // a folder where the PDF goes
            << "copy_Ch" << QStringList{"copy_Ch", "copy_Ch/copy_Ch.pdf"} << true
            << QStringList{"typed", "accept", "accept"}
            << QStringList{"dialog", "box:" + kOverwrite, "box:" + kPdfFailed} << "copy_Ch" << true;
    }

    void saveAsBoxes()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, existing);
        QFETCH(bool, analysis);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, seen);
        QFETCH(QString, savedInto);
        QFETCH(bool, folderRemembered);
        const QString folder = newCapture();
        const QMap<QString, QByteArray> original = folderBytes(folder);
        const QDir target(mTemp.filePath(QStringLiteral("saveas%1").arg(mCaptures)));
        for (const QString &name : existing)
            QVERIFY(target.mkpath(name));
        TeskWindow window;
        QVERIFY(openCapture(folder));
        KyDocument *document = TeskApp::currentDocument();
        if (analysis)
            giveAnalysis(document);
        const QString title = window.windowTitle();
        viewMode()->setViewMode(KyViewMode::kView_Save, true);
        for (QString &answer : answers)
            if (answer == QLatin1String("typed"))
                answer = target.filePath(typed);
        Answerer answerer(answers);
        QSignalSpy started(&window, &TeskWindow::openSavingView);
        window.form().saveSaveAsButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(answerer.left(), 0, 20000);
        QVERIFY(waitSaved(window));
        QTest::qWait(50); // a dialog asked again would show within 10 ms
        QCOMPARE(answerer.seenKinds(), seen);
        QCOMPARE(AnalysisSettings::instance()->stringValue(QStringLiteral("AN/SaveAsPath")),
                 folderRemembered ? target.absolutePath() : QString());
        QCOMPARE(TeskApp::currentDocument(), document);
        // A save-as never writes into the capture it came from.
        QCOMPARE(folderBytes(folder), original);
        if (savedInto.isEmpty()) {
            QCOMPARE(started.size(), 0);
            QCOMPARE(QFileInfo(document->FilePathOfFirstImage()).absolutePath(), folder);
            QCOMPARE(window.windowTitle(), title);
            QCOMPARE(window.currentPage(), int(TeskWindow::kPage_Save));
            return;
        }
        const QString saved = target.filePath(savedInto);
        QCOMPARE(QFileInfo(document->FilePathOfFirstImage()).absolutePath(), saved);
        QVERIFY(QFileInfo(document->FilePathOfFirstImage()).isFile());
        // The title names the new folder even when its PDF could not be written.
        QVERIFY(window.windowTitle().startsWith(savedInto + QStringLiteral(" - ")));
        const bool pdfFailed = seen.contains(QStringLiteral("box:") + kPdfFailed);
        // The summary PDF lies beside the images in the new folder.
        if (analysis && !pdfFailed)
            QVERIFY(fileBytes(TeskWindow::summaryPdfPath(document->FilePathOfFirstImage())).startsWith("%PDF-"));
        QCOMPARE(window.currentPage(), int(pdfFailed ? TeskWindow::kPage_Save : TeskWindow::kPage_Analysis));
    }

    // A target the save cannot write is found before the first file is replaced: the failure box,
    // every file of the capture as it was and the document still counted as unsaved.
    void blockedTargetKeepsTheOriginals_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("blocked");
        QTest::newRow("display picture") << "gel" << "_Ch.jpg";
        QTest::newRow("second channel image") << "fluor" << "_Fl-Green.tif";
        QTest::newRow("last channel image") << "fluor" << "_Fl-Red.tif";
    }

    void blockedTargetKeepsTheOriginals()
    {
        QFETCH(QString, kind);
        QFETCH(QString, blocked);
        const QString folder =
            SampleCaptureWriter(48, 64, 5).Write(kind, mTemp.filePath(QStringLiteral("c%1").arg(++mCaptures)));
        TeskWindow window;
        KyDocument *document = openWithChanges(folder);
        QVERIFY(document);
        const QStringList matching = QDir(folder).entryList({QLatin1Char('*') + blocked}, QDir::Files);
        QCOMPARE(matching.size(), 1);
        const QString path = QDir(folder).filePath(matching.first());
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkpath(path));
        const QMap<QString, QByteArray> before = folderBytes(folder);
        QVERIFY(!before.isEmpty());
        Answerer answers({QStringLiteral("accept")});
        window.form().actionSave->trigger();
        QVERIFY(waitSaved(window));
        QTRY_COMPARE(answers.seen, QStringList{QStringLiteral("box:") + kSaveFailed});
        QCOMPARE(folderBytes(folder), before);
        QCOMPARE(TeskApp::currentDocument(), document);
        QVERIFY(document->IsDirty());
        QVERIFY(window.windowTitle().contains(QLatin1Char('*')));
    }

    void saveFailureText_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("text");
        const QString failed = QStringLiteral("Failed to save image. ");
        QTest::newRow("no space") << ENOSPC << failed + QStringLiteral("There is not enough free space on the disk.");
        QTest::newRow("quota") << EDQUOT << failed + QStringLiteral("There is not enough free space on the disk.");
        QTest::newRow("file size limit")
            << EFBIG << failed + QStringLiteral("The file is larger than the disk or the system allows.");
        QTest::newRow("no permission") << EACCES << failed + QStringLiteral("You have no permission to write to the folder.");
        QTest::newRow("not permitted") << EPERM << failed + QStringLiteral("You have no permission to write to the folder.");
        QTest::newRow("read-only disk") << EROFS << failed + QStringLiteral("The disk is read-only.");
        QTest::newRow("a folder in the way") << EISDIR << kSaveFailed;
        QTest::newRow("input/output error") << EIO << kSaveFailed;
        QTest::newRow("no cause told") << 0 << kSaveFailed;
    }

    void saveFailureText()
    {
        QFETCH(int, error);
        QFETCH(QString, text);
        QCOMPARE(::saveFailureText(QStringLiteral("Failed to save image."), error, kSaveFailed), text);
    }

    void saveFailureSaysWhy_data()
    {
        QTest::addColumn<QString>("cause"); // "no permission", "full disk" or "read-only disk"
        QTest::addColumn<QString>("how");   // "save", "save-as" or "close" (display changes written back)
        QTest::addColumn<QString>("text");
        QTest::newRow("save, no permission")
            << "no permission" << "save" << "Failed to save image. You have no permission to write to the folder.";
        QTest::newRow("save-as, no permission") << "no permission" << "save-as"
                                                << "Failed to save image file. You have no permission to write to "
                                                   "the folder.";
        QTest::newRow("close, no permission")
            << "no permission" << "close" << "Failed to save image. You have no permission to write to the folder.";
        QTest::newRow("save, full disk")
            << "full disk" << "save" << "Failed to save image. There is not enough free space on the disk.";
        QTest::newRow("save, read-only disk") << "read-only disk" << "save" << "Failed to save image. The disk is read-only.";
    }

    // A save the system refuses says why, where the system tells it. (A folder where a file goes,
    // which it cannot name, keeps the general text: blockedTargetKeepsTheOriginals.)
    void saveFailureSaysWhy()
    {
        QFETCH(QString, cause);
        QFETCH(QString, how);
        QFETCH(QString, text);
        std::unique_ptr<kytest::TmpfsMount> disk;
        QString parent = mTemp.filePath(QStringLiteral("c%1").arg(++mCaptures));
        if (cause != QLatin1String("no permission")) {
            disk = std::make_unique<kytest::TmpfsMount>(1024);
            if (!disk->isMounted())
                QSKIP("This process may not mount a file system.");
            parent = disk->path();
        }
        const QString folder = SampleCaptureWriter(48, 64, 5).Write(QStringLiteral("gel"), parent);
        QVERIFY(!folder.isEmpty());
        const QString target = parent + QStringLiteral("/saved/copy_Ch");
        QVERIFY(QDir().mkpath(QFileInfo(target).absolutePath()));
        TeskWindow window;
        QVERIFY(openCapture(folder));
        KyDocument *document = TeskApp::currentDocument();
        if (how == QLatin1String("close"))
            QVERIFY(document->SetDisplayRange(0, 100, 2000));
        else
            QVERIFY(document->SetComment(QStringLiteral("not saved")));
        const QMap<QString, QByteArray> before = folderBytes(folder);

        // Root may write anywhere: a stand-in refuses in its place.
        const platform::WriteCheck previous =
            platform::setWriteCheck(cause == QLatin1String("no permission") ? +[](const QString &) { return false; }
                                                                             : nullptr);
        const auto restore = qScopeGuard([previous] { platform::setWriteCheck(previous); });
        if (cause == QLatin1String("full disk"))
            QVERIFY(disk->fill());
        else if (cause == QLatin1String("read-only disk"))
            QVERIFY(disk->makeReadOnly());

        Answerer answers(how == QLatin1String("save-as") ? QStringList{target, QStringLiteral("accept")}
                                                         : QStringList{QStringLiteral("accept")});
        if (how == QLatin1String("save-as"))
            window.form().actionSaveAs->trigger();
        else if (how == QLatin1String("save"))
            window.form().actionSave->trigger();
        else
            window.form().actionClose->trigger();
        QVERIFY(waitSaved(window));
        QTRY_VERIFY(!answers.seen.isEmpty() && answers.seen.last().startsWith(QLatin1String("box:")));
        QCOMPARE(answers.seen.last(), QStringLiteral("box:") + text);
        QCOMPARE(folderBytes(folder), before);
        QCOMPARE(TeskApp::currentDocument(), document);
        app()->closeDocument();
    }

    // ---- open

    void openFlows_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("seen");
        QTest::addColumn<bool>("opened");
        // The folder remembered for the next dialog: the capture's parent, or the capture folder
        // itself when a file was named.
        QTest::addColumn<bool>("rememberParent");
        QTest::newRow("cancelled dialog") << "menu" << QStringList{""} << QStringList{"dialog"} << false << false;
        QTest::newRow("foreign folder, No") << "empty folder" << QStringList{"reject"}
                                            << QStringList{"box:" + kForeignText} << false << false;
        QTest::newRow("image file, Yes") << "file" << QStringList{"accept"} << QStringList{"box:" + kForeignText}
                                         << true << false;
        QTest::newRow("dialog picks a capture") << "menu" << QStringList{"capture"} << QStringList{"dialog"} << true
                                                << true;
        QTest::newRow("drop of a file") << "drop file" << QStringList() << QStringList() << true << true;
        QTest::newRow("drop of several") << "drop several" << QStringList() << QStringList() << true << true;
        QTest::newRow("drop of a web address") << "drop web" << QStringList{""} << QStringList{"dialog"} << false
                                               << false;
    }

    void openFlows()
    {
        QFETCH(QString, how);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, seen);
        QFETCH(bool, opened);
        QFETCH(bool, rememberParent);
        const QString capture = newCapture();
        const QString empty = mTemp.filePath(QStringLiteral("empty%1").arg(mCaptures));
        QVERIFY(QDir().mkpath(empty));
        TeskWindow window;
        for (QString &answer : answers)
            if (answer == QLatin1String("capture"))
                answer = capture;
        Answerer answerer(answers);
        QSignalSpy openedSpy(app(), &TeskApp::imageOpened);
        if (how == QLatin1String("menu"))
            window.form().actionOpen->trigger();
        else if (how == QLatin1String("empty folder"))
            emit app()->open(empty);
        else if (how == QLatin1String("file"))
            emit app()->open(firstTif(capture));
        else if (how == QLatin1String("drop file"))
            dropUrls(&window, {QUrl::fromLocalFile(firstTif(capture))});
        else if (how == QLatin1String("drop several"))
            dropUrls(&window, {QUrl::fromLocalFile(firstTif(capture)), QUrl::fromLocalFile(empty)});
        else if (how == QLatin1String("drop web"))
            dropUrls(&window, {QUrl(QStringLiteral("https://example.org/a/b_Ch.tif"))});
        if (opened) {
            QVERIFY(waitOpened(openedSpy));
            QVERIFY(TeskApp::currentDocument());
            QCOMPARE(QFileInfo(TeskApp::currentDocument()->FilePathOfFirstImage()).absolutePath(), capture);
            QCOMPARE(AnalysisSettings::instance()->stringValue(kOpenPathKey),
                     rememberParent ? QFileInfo(capture).absolutePath() : capture);
        } else {
            QVERIFY(!TeskApp::currentDocument());
        }
        QCOMPARE(answerer.seenKinds(), seen);
        QCOMPARE(answerer.left(), 0);
        QVERIFY(!viewMode()->isBusy());
        QVERIFY(window.isEnabled());
        QCOMPARE(window.pendingOpenPath(), QString());
    }

    // The analysis screen is built after the window first appears: every way onto it finds it
    // whole, showing the capture, its widgets visible when the window is, and the window keeps
    // its size. On a window not yet painted, the way in is what builds it.
    void analysisScreenBuiltWhenFirstReached_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("shown");
        for (bool shown : {false, true}) {
            const char *suffix = shown ? ", shown" : "";
            for (const char *how : {"menu", "command line", "drop", "application", "view mode"})
                QTest::addRow("%s%s", how, suffix) << QString::fromLatin1(how) << shown;
        }
    }

    void analysisScreenBuiltWhenFirstReached()
    {
        QFETCH(QString, how);
        QFETCH(bool, shown);
        const QString capture = newCapture();
        TeskWindow window;
        auto *screen = qobject_cast<KyAnalysisView *>(window.form().analysisPage);
        QVERIFY(screen);
        QVERIFY(!screen->isBuilt());
        if (shown)
            window.show();
        const QSize size = window.size();
        Answerer answerer(how == QLatin1String("menu") ? QStringList{capture} : QStringList());
        QSignalSpy openedSpy(app(), &TeskApp::imageOpened);
        if (how == QLatin1String("menu"))
            window.form().actionOpen->trigger();
        else if (how == QLatin1String("command line"))
            emit app()->open(capture);
        else if (how == QLatin1String("drop"))
            dropUrls(&window, {QUrl::fromLocalFile(firstTif(capture))});
        else if (how == QLatin1String("application"))
            QVERIFY(app()->openImage(capture));
        else
            viewMode()->setViewMode(KyViewMode::kView_AnalysisLane, true);
        const bool opens = how != QLatin1String("view mode");
        if (opens)
            QVERIFY(waitOpened(openedSpy));
        QCOMPARE(window.currentPage(), int(TeskWindow::kPage_Analysis));
        QVERIFY(screen->isBuilt());
        QCOMPARE(window.analysisView(), screen);

        KyAnalysisView alone;
        QCOMPARE(screen->findChildren<QWidget *>().size(), alone.findChildren<QWidget *>().size());
        QVERIFY(screen->laneView() && screen->chart() && screen->intensityView());
        QCOMPARE(screen->isEnabled(), opens);
        QCOMPARE(screen->imageView->imageWidth() > 0, opens);
        if (shown) {
            QVERIFY(screen->isVisible());
            QVERIFY(screen->stackedWidget->isVisible() && screen->imageView->isVisible());
            QVERIFY(screen->nextModeButton->isVisible());
        }
        QCOMPARE(window.size(), size);
        if (!opens)
            viewMode()->setViewMode(KyViewMode::kView_Opening, true);
    }

    // Left alone, the shown window builds the screen itself once it has been painted.
    void analysisScreenBuiltAfterTheFirstPainting()
    {
        TeskWindow window;
        auto *screen = qobject_cast<KyAnalysisView *>(window.form().analysisPage);
        QVERIFY(screen && !screen->isBuilt());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QSize size = window.size();
        QTRY_VERIFY(screen->isBuilt());
        QCOMPARE(window.currentPage(), int(TeskWindow::kPage_Menu));
        QVERIFY(!screen->isVisible() && !screen->isEnabled());
        QCOMPARE(window.size(), size);
        QCOMPARE(window.size(), QSize(800, 624));
    }

    // The folder dialog starts in the folder that holds the capture opened last.
    void rememberedOpenFolder()
    {
        const QString capture = newCapture(QStringLiteral("remembered/day1"));
        TeskWindow window;
        emit app()->open(capture);
        QTRY_VERIFY_WITH_TIMEOUT(TeskApp::currentDocument(), 20000);
        QCOMPARE(AnalysisSettings::instance()->stringValue(kOpenPathKey), mTemp.filePath("remembered/day1"));
        Answerer answers({QString()});
        window.form().actionOpen->trigger();
        QCOMPARE(answers.seen, QStringList{QStringLiteral("dialog:") + mTemp.filePath("remembered/day1")});
    }

    void openWithUnsavedChanges_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("switched");
        QTest::addColumn<bool>("saved");
        QTest::newRow("Cancel") << "reject" << false << false;
        QTest::newRow("Don't save") << "alt" << true << false;
        QTest::newRow("Save") << "accept" << true << true;
    }

    void openWithUnsavedChanges()
    {
        QFETCH(QString, answer);
        QFETCH(bool, switched);
        QFETCH(bool, saved);
        const QString first = newCapture();
        const QString second = newCapture();
        TeskWindow window;
        QVERIFY(openCapture(first));
        KyDocument *document = TeskApp::currentDocument();
        QVERIFY(document->SetComment(QStringLiteral("changed before the open")));
        QVERIFY(document->IsDirty());
        Answerer answers({answer});
        QSignalSpy opened(app(), &TeskApp::imageOpened);
        emit app()->open(second);
        if (switched) {
            QVERIFY(waitOpened(opened));
            QCOMPARE(QFileInfo(TeskApp::currentDocument()->FilePathOfFirstImage()).absolutePath(), second);
        } else {
            QTest::qWait(50);
            QCOMPARE(TeskApp::currentDocument(), document);
            QVERIFY(document->IsDirty());
        }
        QCOMPARE(answers.seen, QStringList{QStringLiteral("box:") + kImageNotSaved});
        QVERIFY(openCapture(first));
        QCOMPARE(TeskApp::currentDocument()->Comment() == QLatin1String("changed before the open"), saved);
    }

    // While a capture loads, the window stays disabled in front of the busy page, and a second
    // request, whichever way it comes, changes nothing: the first open ends as it would have.
    void secondOpenWhileLoading_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("command line") << "command line";
        QTest::newRow("Open shortcut") << "shortcut";
        QTest::newRow("drop") << "drop";
    }

    void secondOpenWhileLoading()
    {
        QFETCH(QString, how);
        const QString first = newCapture();
        const QString second = newCapture();
        TeskWindow window;
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        // The open task waits at its start until released: the capture loads for as long as the
        // test needs.
        static QSemaphore loading;
        app()->setOpener([](const QString &inFolder) {
            loading.acquire();
            return KyDocument::Create(inFolder, nullptr);
        });
        const auto release = qScopeGuard([] {
            if (TeskApp::instance()->isOpening())
                loading.release();
            TeskApp::instance()->setOpener(nullptr);
        });

        QSignalSpy opened(app(), &TeskApp::imageOpened);
        emit app()->open(first);
        QVERIFY(app()->isOpening());
        const QString remembered = AnalysisSettings::instance()->stringValue(kOpenPathKey);
        QCOMPARE(window.currentPage(), int(TeskWindow::kPage_Busy));
        QVERIFY(!window.isEnabled());

        Answerer answerer({}); // any question or dialog would be one too many
        if (how == QLatin1String("command line")) {
            emit app()->open(second);
        } else if (how == QLatin1String("shortcut")) {
            QTest::keySequence(&window, window.form().actionOpen->shortcut());
        } else {
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(second)});
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&window, &enter);
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&window, &drop);
        }
        QTest::qWait(50);
        QCOMPARE(answerer.seen, QStringList());
        QVERIFY(!window.isEnabled());
        QCOMPARE(window.currentPage(), int(TeskWindow::kPage_Busy));
        QVERIFY(viewMode()->busyReasons().contains(KyViewMode::kBusy_Opening));
        QCOMPARE(AnalysisSettings::instance()->stringValue(kOpenPathKey), remembered);
        QCOMPARE(window.pendingOpenPath(), QString());
        QVERIFY(opened.isEmpty());

        loading.release();
        QVERIFY(waitOpened(opened));
        QCOMPARE(opened.size(), 1);
        QCOMPARE(QFileInfo(TeskApp::currentDocument()->FilePathOfFirstImage()).absolutePath(), first);
        QCOMPARE(window.currentPage(), int(TeskWindow::kPage_Analysis));
        QVERIFY(window.isEnabled());
        QVERIFY(!viewMode()->isBusy());
        QTest::qWait(50);
        QCOMPARE(opened.size(), 1);
    }

    // "Open in new window..." starts the program itself on the chosen folder; the new process
    // claims a slot of its own and this window notices nothing.
    void openInNewWindow_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("starter");
        QTest::addColumn<QStringList>("seen");
        QTest::newRow("cancelled") << "" << "program" << QStringList{"dialog"};
        QTest::newRow("second process") << "capture" << "program" << QStringList{"dialog"};
        QTest::newRow("start fails") << "capture" << "failing" << QStringList{"dialog", "box:" + kNewWindowFailed};
    }

    void openInNewWindow()
    {
        QFETCH(QString, answer);
        QFETCH(QString, starter);
        QFETCH(QStringList, seen);
        const QString current = newCapture();
        const QString other = newCapture();
        QTemporaryDir locks;
        QVERIFY(locks.isValid());
        const platform::InstanceSlots instances(locks.path());
        TeskWindow window;
        QVERIFY(openCapture(current));
        KyDocument *document = TeskApp::currentDocument();
        QVERIFY(document->SetComment(QStringLiteral("unsaved here")));
        const QString openFolder = AnalysisSettings::instance()->stringValue(kOpenPathKey);

        QStringList calls;
        qint64 pid = 0;
        // The second process must not outlive a failed check: it would keep the test's output open.
        const auto stopSecond = qScopeGuard([&pid] {
            if (pid > 0)
                ::kill(pid_t(pid), SIGTERM);
        });
        window.setProcessStarter([&](const QString &program, const QStringList &arguments) {
            calls << program << arguments;
            if (starter == QLatin1String("failing"))
                return false;
            QProcess process;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("KY_INSTANCE_LOCK_DIR"), locks.path());
            process.setProcessEnvironment(environment);
            process.setProgram(QStringLiteral(KY_PROGRAM));
            process.setArguments(arguments);
            return process.startDetached(&pid);
        });
        QStringList answers{answer == QLatin1String("capture") ? other : answer};
        if (seen.size() > 1)
            answers << QStringLiteral("accept");
        Answerer answerer(answers);
        window.form().actionOpenInNewWindow->trigger();
        QCOMPARE(answerer.seenKinds(), seen);
        const QStringList expectedCalls =
            answer.isEmpty() ? QStringList() : QStringList{QCoreApplication::applicationFilePath(), other};
        QCOMPARE(calls, expectedCalls);
        // This window asked nothing about its own unsaved document and kept it.
        QCOMPARE(TeskApp::currentDocument(), document);
        QVERIFY(document->IsDirty());
        QVERIFY(!viewMode()->isBusy());
        QVERIFY(window.isEnabled());
        QCOMPARE(AnalysisSettings::instance()->stringValue(kOpenPathKey), openFolder);
        if (pid <= 0)
            return;
        QVERIFY2(QTest::qWaitFor([&] { return instances.countRunning() == 1; }, 60000),
                 "the second process did not claim a slot");
        ::kill(pid_t(std::exchange(pid, 0)), SIGTERM);
        QVERIFY(QTest::qWaitFor([&] { return instances.countRunning() == 0; }, 60000));
    }

    // ---- close and exit

    // Display-only changes are written back when the capture is closed, not when the program ends.
    void displayChangesOnCloseAndExit_data()
    {
        QTest::addColumn<bool>("exit");
        QTest::newRow("close") << false;
        QTest::newRow("exit") << true;
    }

    void displayChangesOnCloseAndExit()
    {
        QFETCH(bool, exit);
        const QString folder = newCapture();
        const QMap<QString, QByteArray> before = folderBytes(folder);
        TeskWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(openCapture(folder));
        KyDocument *document = TeskApp::currentDocument();
        QVERIFY(document->SetDisplayRange(0, 100, 2000));
        QVERIFY(document->IsDisplayChanged());
        QVERIFY(!document->IsDirty());
        Answerer answers({});
        if (exit)
            QVERIFY(window.close());
        else
            window.form().actionClose->trigger();
        QVERIFY(!TeskApp::currentDocument());
        QCOMPARE(answers.seen, QStringList());
        const QMap<QString, QByteArray> after = folderBytes(folder);
        QCOMPARE(after.keys(), before.keys());
        QCOMPARE(after == before, exit);
    }

    // The write-back fails: the error box, the capture stays open and a second Close tries again.
    void failedDisplayWriteKeepsTheCaptureOpen()
    {
        const QString folder = newCapture();
        TeskWindow window;
        QVERIFY(openCapture(folder));
        KyDocument *document = TeskApp::currentDocument();
        QVERIFY(document->SetDisplayRange(0, 100, 2000));
        // A folder where the display picture goes makes the save fail.
        const QString jpeg = firstTif(folder).chopped(3) + QStringLiteral("jpg");
        QVERIFY(QFile::remove(jpeg));
        QVERIFY(QDir().mkpath(jpeg));
        Answerer answers({QStringLiteral("accept")});
        window.form().actionClose->trigger();
        QCOMPARE(answers.seen, QStringList{QStringLiteral("box:") + kSaveFailed});
        QCOMPARE(TeskApp::currentDocument(), document);

        QVERIFY(QDir(jpeg).removeRecursively());
        window.form().actionClose->trigger();
        QVERIFY(!TeskApp::currentDocument());
        QVERIFY(QFileInfo(jpeg).isFile());
    }

    void exitStoresTheWindowPosition()
    {
        TeskWindow window;
        window.setGeometry(40, 50, 900, 700);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QRect geometry = window.geometry();
        Answerer answers({});
        QVERIFY(window.close());
        QCOMPARE(AnalysisSettings::instance()->rectValue(kPositionKey), geometry);
        QCOMPARE(answers.seen, QStringList());
    }

    // An open that stalls (a read that never returns) does not hold the window: closing it gives
    // the open up, and the document the open delivers later is dropped unseen.
    void closingDuringAStalledOpen()
    {
        const QString folder = newCapture();
        QSemaphore release;
        std::atomic<bool> deleted{false};
        app()->setOpener([&release, &deleted](const QString &inFolder) {
            release.acquire();
            KyDocument *document = KyDocument::Create(inFolder);
            if (document)
                QObject::connect(document, &QObject::destroyed, [&deleted] { deleted = true; });
            return document;
        });
        const auto restore = qScopeGuard([&] {
            release.release();
            QTest::qWaitFor([this] { return !app()->isOpening(); }, 20000);
            app()->setOpener(nullptr);
        });
        TeskWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy opened(app(), &TeskApp::imageOpened);
        Answerer answers({});
        emit app()->open(folder);
        QVERIFY(app()->isOpening());
        QCOMPARE(window.currentPage(), int(TeskWindow::kPage_Busy));

        QVERIFY(window.close());
        QVERIFY(!window.isVisible());
        QVERIFY(viewMode()->busyReasons().isEmpty());
        // Nothing waits for the task: it still runs.
        QVERIFY(app()->isOpening());
        QVERIFY(!app()->waitForOpen(0));

        release.release();
        QTRY_VERIFY(!app()->isOpening());
        QTRY_VERIFY(deleted);
        QCOMPARE(opened.size(), 0);
        QVERIFY(!TeskApp::currentDocument());
        QCOMPARE(answers.seen, QStringList());
    }

    // Exit > Save after the lane count changed (which drops the analysis): the report and the
    // summary PDF of the earlier analysis do not stay beside the images that no longer hold it.
    void exitSaveDropsReportsOfAGoneAnalysis()
    {
        const QString folder = newCapture();
        TeskWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        KyDocument *document = openWithChanges(folder);
        QVERIFY(document);
        const QString pdf = TeskWindow::summaryPdfPath(firstTif(folder));
        const QString report = pdf.chopped(3) + QStringLiteral("csv");
        {
            Answerer answers({});
            window.form().actionSave->trigger();
            QVERIFY(waitSaved(window));
        }
        QVERIFY(QFileInfo(report).isFile());
        if (!QFileInfo(pdf).isFile())
            QSKIP("the analysis screen writes no summary PDF in this build");

        document->SetLaneCount(5);
        QVERIFY(!document->HasAnalysis());
        Answerer answers({QStringLiteral("accept")});
        QVERIFY(!window.close());
        QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), 20000);
        QVERIFY(!QFileInfo::exists(report));
        QVERIFY(!QFileInfo::exists(pdf));
        QVERIFY(openCapture(folder));
        QCOMPARE(TeskApp::currentDocument()->LaneFrame().laneCount(), 5);
    }

    // The comment field: a stored comment longer than the field's limit is shown whole and an edit
    // keeps the rest of it; the limit binds what is typed.
    void commentFieldKeepsLongComments_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("typed");
        QTest::addColumn<int>("saved");
        QTest::newRow("stored comment of 89, last character replaced") << 89 << 0 << 89;
        QTest::newRow("short comment, typed past the limit") << 10 << 60 << 50;
    }

    void commentFieldKeepsLongComments()
    {
        QFETCH(int, stored);
        QFETCH(int, typed);
        QFETCH(int, saved);
        const QString folder = newCapture();
        QString comment;
        for (int i = 0; i < stored; ++i)
            comment += QLatin1Char('a' + i % 26);
        TeskWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(openCapture(folder));
        QVERIFY(TeskApp::currentDocument()->SetComment(comment));
        {
            Answerer answers({});
            window.form().actionSave->trigger();
            QVERIFY(waitSaved(window));
        }
        QVERIFY(openCapture(folder));
        KyDocument *document = TeskApp::currentDocument();
        QCOMPARE(document->Comment(), comment);

        viewMode()->setViewMode(KyViewMode::kView_Save, true);
        auto *field = window.form().saveCommentText->findChild<QLineEdit *>();
        QVERIFY(field);
        QCOMPARE(field->text(), comment);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_End);
        QString expected = comment;
        if (typed == 0) {
            QTest::keyClick(field, Qt::Key_Backspace);
            QTest::keyClicks(field, QStringLiteral("Z"));
            expected = comment.chopped(1) + QLatin1Char('Z');
        } else {
            QTest::keyClicks(field, QString(typed, QLatin1Char('x')));
            expected = (comment + QString(typed, QLatin1Char('x'))).left(saved);
        }
        QCOMPARE(field->text(), expected);
        Answerer answers({});
        window.form().saveSaveButton->click();
        QVERIFY(waitSaved(window));
        QCOMPARE(document->Comment(), expected);
        QVERIFY(openCapture(folder));
        QCOMPARE(TeskApp::currentDocument()->Comment().size(), saved);
        QCOMPARE(TeskApp::currentDocument()->Comment(), expected);
    }

    // "Save" on exit: the window closes by itself once the save has succeeded.
    void exitAfterSave()
    {
        const QString folder = newCapture();
        TeskWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(openCapture(folder));
        QVERIFY(TeskApp::currentDocument()->SetComment(QStringLiteral("saved on exit")));
        Answerer answers({QStringLiteral("accept")});
        QVERIFY(!window.close());
        QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), 20000);
        QVERIFY(!TeskApp::currentDocument());
        QVERIFY(openCapture(folder));
        QCOMPARE(TeskApp::currentDocument()->Comment(), QStringLiteral("saved on exit"));
    }
};

KY_TEST_MAIN_WITH(TeskApp, TestTeskWindowFlows)
#include "tst_teskwindowflows.moc"
