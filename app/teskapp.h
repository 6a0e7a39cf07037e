#pragma once

#include "instrument/lightmode.h"

#include <QApplication>
#include <QFutureWatcher>
#include <QList>
#include <QPointer>
#include <QString>

class KyDocument;

// One exposure of a capture, as the capture log lists it.
struct CaptureShot
{
    LightMode mode{LightMode::kInvalidId, QString(), QString(), int(LightMode::kNoExtra)};
    int exposureTime = 0;
    int binningType = 255;
    int waitTime = 0;
};

// The program's application object. It owns the one current document: every view reaches it
// through currentDocument(), which reads the process-wide KyCurrentDocument holder that this
// object keeps up to date. Opening runs as a task on the global thread pool; its end comes back
// as imageOpened() or imageClosed(), always on the GUI thread.
class TeskApp : public QApplication
{
    Q_OBJECT

public:
    TeskApp(int &argc, char **argv);
    // Closes the document (imageClosed() is still emitted); an open task still running is waited
    // for and its document deleted.
    ~TeskApp() override;

    static TeskApp *instance();
    // The current document; null without one (or without an application object).
    static KyDocument *currentDocument();
    // The registered main window, else the first top-level widget, else null.
    static QWidget *mainWindow();

    void setMainWindow(QWidget *window);
    // Opens the capture named on the command line 100 ms after the event loop starts, then runs
    // the event loop; its exit code.
    int run();

    // Closes the current document and starts opening the capture folder path (a file opens its
    // folder) on the thread pool, with busy reason 9 set and the main window disabled. True when
    // the task started; false, doing nothing, while another open runs.
    bool openImage(const QString &path);
    bool isOpening() const { return mOpening; }
    // Called on the pool thread as each open task starts, before it reads anything; null for
    // none. Tests keep an open in flight with it.
    using OpenTaskStart = void (*)();
    static void setOpenTaskStart(OpenTaskStart inStart);
    // Deletes the current document and emits imageClosed(), with or without one. Always true.
    bool closeDocument();
    // Saves the document in place, under its first image's path without the suffix. True on
    // success and without a document.
    bool saveDocument();
    // True when the document's SaveAs(path) returns 0, and without a document.
    bool saveDocumentAs(const QString &path);

    // "V" and the program's version, "V1.0.2".
    static QString versionString();
    // The base path a save in place writes under: the first image's path less its suffix. Empty
    // when the file name has no suffix, so that such a save fails rather than writing beside a
    // folder whose name holds a dot.
    static QString saveBasePath(const QString &firstImagePath);

    // The debug listing of a capture's shots.
    void logCaptureInfo(const QList<CaptureShot> &shots, bool withMarker);

signals:
    // Asks the main window to open a path (the command line's first argument).
    void open(QString inFilePath);
    void imageOpened();
    void imageClosed();

public slots:
    void openArgImage();

private slots:
    void onOpenFinished();

private:
    // The open task's body, on a pool thread: the document, already handed to the GUI thread, or
    // null.
    static KyDocument *openInThread(QString path);
    void setDocument(KyDocument *document);

    QPointer<QWidget> mMainWindow;
    KyDocument *mDocument = nullptr;
    QList<CaptureShot> mCaptureShots;
    bool mWithMarker = false;
    bool mOpening = false;
    QFutureWatcher<KyDocument *> mOpenWatcher;
};
