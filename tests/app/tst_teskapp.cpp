#include "testmain.h"

#include "app/disableguard.h"
#include "app/teskapp.h"
#include "core/kyviewmode.h"
#include "core/lsettings.h"
#include "document/kycurrentdocument.h"
#include "document/kydocument.h"
#include "image/imagefile.h"
#include "samplecapturewriter.h"
#include "widgets/kymessagebox.h"

#include <QDir>
#include <QLabel>
#include <QLoggingCategory>
#include <QPointer>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <memory>

#include <sys/stat.h>

namespace {

// What a failure box showed before the test answered it.
struct AnsweredBox
{
    bool shown = false;
    QString title;
    QString text;
    QWidget *parent = nullptr;
};

// Answers the next KyMessageBox with its accept button as soon as its modal loop runs.
void acceptNextBox(AnsweredBox *answered)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answered] {
        auto *box = qobject_cast<KyMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        answered->shown = true;
        answered->title = box->findChild<QLabel *>(QStringLiteral("titleLabel"))->text();
        answered->text = box->text();
        answered->parent = box->parentWidget();
        box->accept();
        poll->deleteLater();
    });
    poll->start(5);
    // A test that never shows a box must not leave the poll running into the next one.
    QTimer::singleShot(10000, poll, &QObject::deleteLater);
}

QSet<int> busyReasons()
{
    return KyViewMode::instance()->busyReasons();
}

// The debug lines written while it lives, word for word.
class DebugLines
{
public:
    DebugLines()
    {
        current = this;
        previous = qInstallMessageHandler(&DebugLines::handle);
    }
    ~DebugLines()
    {
        qInstallMessageHandler(previous);
        current = nullptr;
    }
    QStringList lines;

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        if (type == QtDebugMsg && current)
            current->lines << text;
        else if (previous)
            previous(type, context, text);
    }
    static inline DebugLines *current = nullptr;
    static inline QtMessageHandler previous = nullptr;
};

} // namespace

class TestTeskApp : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir mTemp;
    QString mGel;
    QString mFluor;

    TeskApp *app() { return TeskApp::instance(); }

    // Opens a folder and waits for the task's end; the main window's part (clearing busy reason
    // 9) is done here.
    bool openAndWait(const QString &path)
    {
        QSignalSpy opened(app(), &TeskApp::imageOpened);
        if (!app()->openImage(path))
            return false;
        const bool ok = opened.wait(20000);
        KyViewMode::instance()->unsetBusy(KyViewMode::kBusy_Opening);
        return ok;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(app());
        QVERIFY(mTemp.isValid());
        mGel = SampleCaptureWriter(64, 96, 3).Write(QStringLiteral("gel"), mTemp.filePath(QStringLiteral("gel")));
        mFluor = SampleCaptureWriter(64, 96, 4).Write(QStringLiteral("fluor"), mTemp.filePath(QStringLiteral("fluor")));
        QVERIFY(!mGel.isEmpty() && !mFluor.isEmpty());
    }

    void cleanup()
    {
        app()->closeDocument();
        KyViewMode::instance()->unsetBusy(KyViewMode::kBusy_Opening);
        QVERIFY(busyReasons().isEmpty());
    }

    void opensOnThePoolAndHandsTheDocumentToTheGuiThread_data()
    {
        QTest::addColumn<bool>("byFile");
        QTest::newRow("capture folder") << false;
        QTest::newRow("file inside the folder") << true;
    }

    void opensOnThePoolAndHandsTheDocumentToTheGuiThread()
    {
        QFETCH(bool, byFile);
        QString path = mGel;
        if (byFile)
            path = QDir(mGel).filePath(QDir(mGel).entryList({QStringLiteral("*.tif")}, QDir::Files).value(0));

        QThread *gui = QThread::currentThread();
        struct Seen
        {
            QThread *thread = nullptr;
            KyDocument *document = nullptr;
            QThread *documentThread = nullptr;
        };
        Seen atOpened;
        Seen atChanged;
        const auto record = [](Seen &seen, KyDocument *document) {
            seen.thread = QThread::currentThread();
            seen.document = document;
            seen.documentThread = document ? document->thread() : nullptr;
        };
        const QMetaObject::Connection c1 = connect(app(), &TeskApp::imageOpened, this,
                                                   [&] { record(atOpened, TeskApp::currentDocument()); },
                                                   Qt::DirectConnection);
        const QMetaObject::Connection c2 =
            connect(KyCurrentDocument::instance(), &KyCurrentDocument::documentChanged, this,
                    [&](KyDocument *document) {
                        if (document)
                            record(atChanged, document);
                    },
                    Qt::DirectConnection);
        QSignalSpy opened(app(), &TeskApp::imageOpened);
        QSignalSpy closed(app(), &TeskApp::imageClosed);

        QVERIFY(app()->openImage(path));
        QVERIFY(app()->isOpening());
        QVERIFY(busyReasons().contains(KyViewMode::kBusy_Opening));
        // The previous document (none here) was closed before the task started.
        QCOMPARE(closed.size(), 1);
        QCOMPARE(TeskApp::currentDocument(), nullptr);
        QVERIFY(opened.wait(20000));
        disconnect(c1);
        disconnect(c2);

        QVERIFY(!app()->isOpening());
        QCOMPARE(opened.size(), 1);
        QCOMPARE(closed.size(), 1);
        KyDocument *document = TeskApp::currentDocument();
        QVERIFY(document);
        QCOMPARE(KyCurrentDocument::document(), document);
        QVERIFY(document->FilePathOfFirstImage().startsWith(mGel + QLatin1Char('/')));
        QCOMPARE(atOpened.thread, gui);
        QCOMPARE(atOpened.document, document);
        QCOMPARE(atOpened.documentThread, gui);
        QCOMPARE(atChanged.thread, gui);
        QCOMPARE(atChanged.document, document);
        QCOMPARE(atChanged.documentThread, gui);
        // Reason 9 stays until the main window has taken the document up.
        QVERIFY(busyReasons().contains(KyViewMode::kBusy_Opening));
    }

    void failedOpenTellsTheUserAndCloses()
    {
        QVERIFY(openAndWait(mGel));
        QPointer<KyDocument> previous = TeskApp::currentDocument();
        QVERIFY(previous);

        QWidget window;
        window.resize(700, 560);
        window.show();
        app()->setMainWindow(&window);
        QTemporaryDir empty;
        QSignalSpy closed(app(), &TeskApp::imageClosed);
        QSignalSpy opened(app(), &TeskApp::imageOpened);
        AnsweredBox box;
        acceptNextBox(&box);

        QVERIFY(app()->openImage(empty.path()));
        // The previous document is gone as soon as the open starts.
        QVERIFY(!previous);
        QCOMPARE(closed.size(), 1);
        QVERIFY(closed.wait(20000));
        app()->setMainWindow(nullptr);

        QVERIFY(box.shown);
        QCOMPARE(box.title, QString());
        QCOMPARE(box.text, QStringLiteral("Failed to open file."));
        QCOMPARE(box.parent, &window);
        QCOMPARE(closed.size(), 2);
        QCOMPARE(opened.size(), 0);
        QCOMPARE(TeskApp::currentDocument(), nullptr);
        QVERIFY(!busyReasons().contains(KyViewMode::kBusy_Opening));
        QVERIFY(!app()->isOpening());
    }

    void secondOpenWhileOneRunsIsIgnored()
    {
        QSignalSpy opened(app(), &TeskApp::imageOpened);
        QSignalSpy closed(app(), &TeskApp::imageClosed);
        QVERIFY(app()->openImage(mGel));
        const QSet<int> reasons = busyReasons();

        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("an open is running; ignored")));
        QVERIFY(!app()->openImage(mFluor));
        QCOMPARE(busyReasons(), reasons);
        QCOMPARE(closed.size(), 1);

        QVERIFY(opened.wait(20000));
        // No second task ends later and replaces the document.
        QTest::qWait(300);
        QCOMPARE(opened.size(), 1);
        QVERIFY(TeskApp::currentDocument()->FilePathOfFirstImage().startsWith(mGel + QLatin1Char('/')));

        // Once the first has ended, the next open goes through.
        KyViewMode::instance()->unsetBusy(KyViewMode::kBusy_Opening);
        QVERIFY(openAndWait(mFluor));
        QVERIFY(TeskApp::currentDocument()->FilePathOfFirstImage().startsWith(mFluor + QLatin1Char('/')));
    }

    void openWithUnreadableFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("suffix"); // the damaged file: the capture's base name + this
        QTest::addColumn<QString>("damage"); // "cut", "fifo" or "garbage"
        QTest::newRow("three channels, one cut short") << "fluor" << "-Green.tif" << "cut";
        QTest::newRow("colour photo that is a FIFO") << "color" << ".jpg" << "fifo";
        QTest::newRow("marker photo that is no JPEG") << "marker" << "-Marker.jpg" << "garbage";
    }

    // A capture with a file it cannot read opens without it, and the user learns which one.
    void openWithUnreadableFiles()
    {
        QFETCH(QString, kind);
        QFETCH(QString, suffix);
        QFETCH(QString, damage);
        QTemporaryDir temp;
        const QString folder = SampleCaptureWriter(64, 96, 5).Write(kind, temp.path());
        QVERIFY(!folder.isEmpty());
        const QString name = folder.section(QLatin1Char('/'), -1) + suffix;
        const QString file = folder + QLatin1Char('/') + name;
        QFile damaged(file);
        if (damage == QLatin1String("cut"))
            QVERIFY(damaged.resize(damaged.size() / 2));
        else if (damage == QLatin1String("fifo"))
            QVERIFY(damaged.remove() && ::mkfifo(QFile::encodeName(file).constData(), 0600) == 0);
        else
            QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate) && damaged.write("no picture") > 0);
        damaged.close();

        QWidget window;
        window.show();
        app()->setMainWindow(&window);
        AnsweredBox box;
        acceptNextBox(&box);
        const bool opened = openAndWait(folder);
        app()->setMainWindow(nullptr);
        QVERIFY(opened);
        QTRY_VERIFY(box.shown);
        QCOMPARE(box.text,
                 QStringLiteral("The capture was opened without these files, which could not be read:\n") + name);
        QCOMPARE(box.parent, &window);
        QVERIFY(TeskApp::currentDocument());
        QCOMPARE(TeskApp::currentDocument()->UnreadFiles(), QStringList{name});
    }

    void closingWithoutADocument()
    {
        QCOMPARE(TeskApp::currentDocument(), nullptr);
        QSignalSpy closed(app(), &TeskApp::imageClosed);
        QVERIFY(app()->closeDocument());
        QCOMPARE(closed.size(), 1);
        QVERIFY(app()->saveDocument());
        QVERIFY(app()->saveDocumentAs(mTemp.filePath(QStringLiteral("nowhere/x"))));
        QVERIFY(!QFileInfo::exists(mTemp.filePath(QStringLiteral("nowhere"))));
    }

    void closingTheDocumentDeletesIt()
    {
        QVERIFY(openAndWait(mGel));
        QPointer<KyDocument> document = TeskApp::currentDocument();
        QSignalSpy changed(KyCurrentDocument::instance(), &KyCurrentDocument::documentChanged);
        QVERIFY(app()->closeDocument());
        QVERIFY(!document);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.first().first().value<KyDocument *>(), nullptr);
        QCOMPARE(TeskApp::currentDocument(), nullptr);
    }

    void saveBasePath_data()
    {
        QTest::addColumn<QString>("firstImage");
        QTest::addColumn<QString>("basePath");
        QTest::newRow("dots in folder and date survive")
            << "D:/Captures/A/2014.05.06_10.11.12-1_Ch.tif" << "D:/Captures/A/2014.05.06_10.11.12-1_Ch";
        QTest::newRow("dotted folder") << "/data/run.2/cap_Ch.tif" << "/data/run.2/cap_Ch";
        QTest::newRow("only the last suffix goes") << "/data/a.tif.tif" << "/data/a.tif";
        QTest::newRow("bare file name") << "image.tif" << "image";
        QTest::newRow("no dot at all") << "/data/image" << "";
        QTest::newRow("dot only in a folder") << "/data/run.2/image" << "";
        QTest::newRow("empty") << "" << "";
    }

    void saveBasePath()
    {
        QFETCH(QString, firstImage);
        QFETCH(QString, basePath);
        QCOMPARE(TeskApp::saveBasePath(firstImage), basePath);
    }

    void saveInPlaceRewritesTheSameFiles()
    {
        QTemporaryDir temp;
        const QString folder = SampleCaptureWriter(64, 96, 5).Write(QStringLiteral("marker"), temp.path());
        QVERIFY(!folder.isEmpty());
        const QStringList before = QDir(folder).entryList(QDir::Files, QDir::Name);
        QVERIFY(openAndWait(folder));
        TeskApp::currentDocument()->SetComment(QStringLiteral("saved in place"));
        QVERIFY(app()->saveDocument());
        // Written under the capture's own names: nothing new appears beside them.
        QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name), before);
        app()->closeDocument();
        std::unique_ptr<KyDocument> reopened(KyDocument::Create(folder));
        QVERIFY(reopened);
        QCOMPARE(reopened->Comment(), QStringLiteral("saved in place"));
    }

    void saveAsWritesUnderTheGivenBasePath()
    {
        // As the save-as flow names them: a new capture folder and the capture inside it.
        QTemporaryDir target;
        QVERIFY(openAndWait(mGel));
        const QString folder = target.filePath(QStringLiteral("2020.01.02_03.04.05_Ch"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(app()->saveDocumentAs(folder + QStringLiteral("/2020.01.02_03.04.05_Ch")));
        std::unique_ptr<KyDocument> copy(KyDocument::Create(folder));
        QVERIFY(copy);
        QCOMPARE(copy->FilePathOfFirstImage(), folder + QStringLiteral("/2020.01.02_03.04.05_Ch.tif"));
    }

    void versionStringFromTheProjectVersion()
    {
        QCOMPARE(TeskApp::versionString(), QStringLiteral("V" KY_TEST_PROJECT_VERSION));
    }

    void mainWindowFallsBackToTheTopLevelWidget()
    {
        app()->setMainWindow(nullptr);
        QCOMPARE(TeskApp::mainWindow(), nullptr);
        QWidget other;
        QCOMPARE(TeskApp::mainWindow(), &other);
        auto registered = std::make_unique<QWidget>();
        app()->setMainWindow(registered.get());
        QCOMPARE(TeskApp::mainWindow(), registered.get());
        // A registered window that goes is not answered any more.
        registered.reset();
        QCOMPARE(TeskApp::mainWindow(), &other);
    }

    void commandLineWithoutArgumentsOpensNothing()
    {
        QSignalSpy open(app(), &TeskApp::open);
        app()->openArgImage();
        QCOMPARE(open.size(), 0);
    }

    // A user's terminal shows warnings and errors only: the debug lines of ordinary use are off
    // as the program runs, and read as before once their categories are turned on.
    void debugLinesOnlyOnRequest()
    {
        const QString tif = QDir(mGel).filePath(QDir(mGel).entryList({QStringLiteral("*.tif")}, QDir::Files).value(0));
        const QString ini = mTemp.filePath(QStringLiteral("debug.ini"));
        auto ordinaryUse = [&] {
            KyViewMode::instance()->setBusy(KyViewMode::kBusy_Opening);
            KyViewMode::instance()->unsetBusy(KyViewMode::kBusy_Opening);
            CaptureShot shot;
            shot.mode = LightMode(1, QString(), QString(), int(LightMode::kNoExtra));
            app()->logCaptureInfo({shot}, false);
            { LSettings settings(ini); }
            ImageFile image;
            QVERIFY(ImageFile::Read(tif, image));
        };
        const auto restore = qScopeGuard([] { QLoggingCategory::setFilterRules(QString::fromLatin1(kytest::kDebugOutputRule)); });

        QLoggingCategory::setFilterRules(QString());
        {
            DebugLines seen;
            ordinaryUse();
            QCOMPARE(seen.lines, QStringList());
        }
        QLoggingCategory::setFilterRules(QString::fromLatin1(kytest::kDebugOutputRule));
        DebugLines seen;
        ordinaryUse();
        QCOMPARE(seen.lines, (QStringList{QStringLiteral("set busy: 9"), QStringLiteral("unset busy: 9"),
                                          QStringLiteral("shot 1:method = Chemiluminescence, exp.time = 0binning type = 255, wait time = 0"),
                                          QStringLiteral("with marker: false"), QStringLiteral("~LSettings()"),
                                          QStringLiteral("ImageFile::Read() \"%1\" true").arg(tif)}));
    }

    void disableGuard()
    {
        QWidget widget;
        bool ranInside = false;
        bool disabledInside = false;
        QTimer::singleShot(0, &widget, [&] {
            ranInside = true;
            disabledInside = !widget.isEnabled();
        });
        {
            DisableGuard guard(&widget);
            // Pending events ran once, after the widget was disabled.
            QVERIFY(ranInside);
            QVERIFY(disabledInside);
            QVERIFY(!widget.isEnabled());
        }
        QVERIFY(widget.isEnabled());

        // An earlier disabled state is not restored.
        widget.setEnabled(false);
        { DisableGuard guard(&widget); }
        QVERIFY(widget.isEnabled());

        // A job the guarded flow started keeps the widget disabled past the guard, even when
        // something enabled it meanwhile; once the job is over the guard enables it as before.
        bool jobRunning = true;
        {
            DisableGuard guard(&widget, [&jobRunning] { return jobRunning; });
            widget.setEnabled(true);
        }
        QVERIFY(!widget.isEnabled());
        jobRunning = false;
        { DisableGuard guard(&widget, [&jobRunning] { return jobRunning; }); }
        QVERIFY(widget.isEnabled());

        // A widget deleted while the guard holds it, and no widget at all.
        auto *doomed = new QWidget;
        {
            DisableGuard guard(doomed);
            delete doomed;
        }
        { DisableGuard guard(nullptr); }
    }
};

KY_TEST_MAIN_WITH(TeskApp, TestTeskApp)
#include "tst_teskapp.moc"
