// The whole program as a user meets it: the real executable in a real X server of the test's own,
// driven from outside with xdotool's keyboard and mouse, with screenshots of each stage.
#include "lockholder.h"
#include "testmain.h"

#include "document/kydocument.h"
#include "platform/instanceslots.h"

#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <memory>

using kytest::waitUntil;
using platform::InstanceSlots;

namespace {

// Generous: an ASan build of the program on a busy machine starts in seconds, not milliseconds.
constexpr int kWaitMs = 60000;
const QString kTitle = QStringLiteral("Brevik Ziredo 410 Analysis Software");

// Where things are in the main window at the form's own size (800 x 624), which it keeps with no
// saved position and no window manager. Measured on screenshots; the checks after each action
// say so when a point no longer hits its control.
const QSize kWindowSize(800, 624);
const QPoint kLaneCountPlus(725, 155);
const QPoint kFrameTopRightCorner(357, 170);
const QPoint kCornerRightArrow(708, 439);
const QPoint kRubberBandMethod(567, 200);
const QPoint kDetectBands(661, 205);
const QPoint kNext(724, 591);
// The six step buttons of the bottom bar: Lanes, Background, Bands, MW, Normalisation, Summary.
constexpr int kStepX[] = {168, 261, 353, 445, 537, 630};
constexpr int kStepClickY = 585;
// A row inside the step buttons above their icons: the current step's button is light blue there.
constexpr int kStepSampleY = 552;
// The image area of the first steps.
const QRect kImageArea(12, 92, 490, 416);
// The summary's first table row, and the bar chart above the table that shows the picked rows.
const QPoint kFirstSummaryRow(200, 362);
const QRect kBarChart(412, 72, 370, 240);
// "Don't save" in the unsaved-changes question, which covers the main window.
const QPoint kDontSave(400, 425);

struct Geometry
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool isValid() const { return width > 0 && height > 0; }
};

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every TIFF of a folder with its bytes, by file name.
QMap<QString, QByteArray> tiffBytes(const QString &folder)
{
    QMap<QString, QByteArray> files;
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.tif")}, QDir::Files, QDir::Name);
    for (const QString &name : names)
        files.insert(name, fileBytes(folder + QLatin1Char('/') + name));
    return files;
}

// The share of pixels that differ between two pictures of the same size (1 when the sizes differ).
double changedShare(const QImage &a, const QImage &b)
{
    if (a.isNull() || b.isNull() || a.size() != b.size())
        return 1.0;
    const QImage left = a.convertToFormat(QImage::Format_RGB32);
    const QImage right = b.convertToFormat(QImage::Format_RGB32);
    qint64 changed = 0;
    for (int y = 0; y < left.height(); ++y) {
        const auto *l = reinterpret_cast<const QRgb *>(left.constScanLine(y));
        const auto *r = reinterpret_cast<const QRgb *>(right.constScanLine(y));
        for (int x = 0; x < left.width(); ++x)
            changed += l[x] != r[x];
    }
    return double(changed) / (double(left.width()) * left.height());
}

// The step whose button shows as the current one in a picture of the main window; -1 when not
// exactly one does.
int currentStep(const QImage &window)
{
    int current = -1;
    for (int step = 0; step < 6; ++step) {
        if (window.width() <= kStepX[step] || window.height() <= kStepSampleY)
            return -1;
        const QColor c = window.pixelColor(kStepX[step], kStepSampleY);
        // Light blue, not white or grey.
        if (c.blue() - c.red() > 15 && c.blue() > 200) {
            if (current >= 0)
                return -1;
            current = step;
        }
    }
    return current;
}

} // namespace

class TestWalkthrough : public QObject
{
    Q_OBJECT

private:
    QString mXdotool;
    QString mImport;
    std::unique_ptr<QProcess> mServer;
    QString mDisplay;
    std::unique_ptr<QTemporaryDir> mWork;
    QString mCapture;
    QString mLockDir;
    QString mShots;
    QHash<QString, int> mStages;

    std::unique_ptr<QProcess> mProgram;
    QByteArray mProgramOutput;
    QString mWindow;
    QStringList mMenuWindows; // the File menu last opened
    // The window as the capture first opened, with the default lanes.
    QImage mDefaultLanes;
    // The images as the first session saved them.
    QMap<QString, QByteArray> mSaved;

    // ---- the X server and xdotool

    bool startServer(const QString &xvfb)
    {
        mServer = std::make_unique<QProcess>();
        mServer->setProcessChannelMode(QProcess::SeparateChannels);
        // The server picks a free display itself and writes its number on the given descriptor. It
        // must not reset when its last client leaves: the program's exit before the reopen left it
        // resetting while the next start connected, which a busy machine lost ("could not connect").
        mServer->start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                              QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                              QStringLiteral("tcp"), QStringLiteral("-noreset")});
        if (!mServer->waitForStarted(kWaitMs))
            return false;
        QByteArray out;
        const bool ready = waitUntil(
            [&] {
                out += mServer->readAllStandardOutput();
                return out.contains('\n') || mServer->state() == QProcess::NotRunning;
            },
            kWaitMs);
        const QByteArray number = out.trimmed();
        if (!ready || number.isEmpty()) {
            qWarning("Xvfb said: %s", mServer->readAllStandardError().constData());
            return false;
        }
        mDisplay = QStringLiteral(":") + QString::fromLatin1(number);
        return true;
    }

    void stopServer()
    {
        if (!mServer)
            return;
        mServer->terminate();
        if (!mServer->waitForFinished(10000)) {
            mServer->kill();
            mServer->waitForFinished(5000);
        }
        mServer.reset();
    }

    // Runs a tool against the test's display to its end; its standard output, trimmed. A tool that
    // fails or hangs fails the calling check through ok (xdotool's search also "fails" when it finds
    // nothing: quiet).
    QString tool(const QString &program, const QStringList &arguments, bool *ok = nullptr, int timeoutMs = kWaitMs,
                 bool quiet = false)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), mDisplay);
        process.setProcessEnvironment(env);
        process.start(program, arguments);
        bool done = process.waitForFinished(timeoutMs);
        if (!done) {
            process.kill();
            process.waitForFinished(5000);
        }
        done = done && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        if (!done && !quiet)
            qWarning("%s %s failed: %s", qPrintable(program), qPrintable(arguments.join(QLatin1Char(' '))),
                     process.readAllStandardError().constData());
        if (ok)
            *ok = done;
        return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    }

    bool xdo(const QStringList &arguments)
    {
        bool ok = false;
        tool(mXdotool, arguments, &ok);
        return ok;
    }

    // Keys go to the window through the X server's focus: no window manager gives it otherwise.
    bool key(const QString &keys)
    {
        return xdo({QStringLiteral("windowfocus"), QStringLiteral("--sync"), mWindow})
               && xdo({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("--delay"),
                       QStringLiteral("80"), keys});
    }

    Geometry geometry()
    {
        bool ok = false;
        const QString shell = tool(mXdotool, {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), mWindow}, &ok);
        Geometry g;
        if (!ok)
            return g;
        for (const QString &line : shell.split(QLatin1Char('\n'))) {
            const QString name = line.section(QLatin1Char('='), 0, 0);
            const int value = line.section(QLatin1Char('='), 1).toInt();
            if (name == QLatin1String("X"))
                g.x = value;
            else if (name == QLatin1String("Y"))
                g.y = value;
            else if (name == QLatin1String("WIDTH"))
                g.width = value;
            else if (name == QLatin1String("HEIGHT"))
                g.height = value;
        }
        return g;
    }

    // A click at a point given in the window's own coordinates.
    bool click(const QPoint &at, const QString &window = QString())
    {
        return xdo({QStringLiteral("mousemove"), QStringLiteral("--window"), window.isEmpty() ? mWindow : window,
                    QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"), QStringLiteral("1")});
    }

    // The program's visible windows other than the main window: its open menu, its question box.
    QStringList otherWindows()
    {
        bool ok = false;
        const QString found = tool(mXdotool,
                                   {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                                    QString::number(mProgram->processId())},
                                   &ok, kWaitMs, true);
        QStringList windows = found.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        windows.removeAll(mWindow);
        return windows;
    }

    // The windows that came up after the File menu closed: the question the Exit asks. A menu
    // that is still on its way out on a busy machine is not the question.
    QStringList questionWindows()
    {
        QStringList windows = otherWindows();
        for (const QString &menu : std::as_const(mMenuWindows))
            windows.removeAll(menu);
        return windows;
    }

    QString windowTitle()
    {
        bool ok = false;
        const QString title = tool(mXdotool, {QStringLiteral("getwindowname"), mWindow}, &ok);
        return ok ? title : QString();
    }

    // The whole screen into the shots folder, numbered by stage (a stage's later pictures replace
    // its earlier ones); the window's part of it back.
    QImage screenshot(const QString &stage)
    {
        if (!mStages.contains(stage))
            mStages.insert(stage, int(mStages.size()) + 1);
        const QString path =
            QStringLiteral("%1/%2-%3.png").arg(mShots).arg(mStages.value(stage), 2, 10, QLatin1Char('0')).arg(stage);
        bool ok = false;
        tool(mImport, {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("-display"), mDisplay, path}, &ok);
        QImage screen(path);
        if (!ok || screen.isNull()) {
            qWarning("no screenshot %s", qPrintable(path));
            return QImage();
        }
        qInfo("screenshot: %s", qPrintable(path));
        const Geometry g = geometry();
        return g.isValid() ? screen.copy(g.x, g.y, g.width, g.height) : screen;
    }

    // The window's picture once it has settled: changed from `before` when one is given (the
    // program may take a moment to take the action in), then the same over three pictures in a row,
    // which a busy page's running animation never is.
    QImage settledPicture(const QString &stage, const QImage &before = QImage())
    {
        QElapsedTimer timer;
        timer.start();
        QImage last = screenshot(stage);
        while (!before.isNull() && changedShare(before, last) == 0.0 && timer.elapsed() < kWaitMs) {
            QTest::qWait(100);
            last = screenshot(stage);
        }
        int same = 1;
        while (same < 3 && timer.elapsed() < kWaitMs) {
            QTest::qWait(250);
            QImage next = screenshot(stage);
            same = changedShare(last, next) == 0.0 ? same + 1 : 1;
            last = next;
        }
        return last;
    }

    // ---- the program

    void startProgram(const QString &argument)
    {
        mProgramOutput.clear();
        mWindow.clear();
        mProgram = std::make_unique<QProcess>();
        mProgram->setProcessChannelMode(QProcess::MergedChannels);
        connect(mProgram.get(), &QProcess::readyRead, this, [this] { mProgramOutput += mProgram->readAll(); });
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), mDisplay);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("KY_INSTANCE_LOCK_DIR"), mLockDir);
        // The user's settings stay untouched: the program keeps its own under this home.
        const QString home = mWork->path() + QStringLiteral("/home");
        QDir().mkpath(home);
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        // In a sanitizer build: libxkbcommon-x11, which the X platform plugin calls at start-up,
        // hands strndup a buffer with no terminating zero, which strict string checks report.
        // The last setting of an option wins.
        if (env.contains(QStringLiteral("ASAN_OPTIONS")))
            env.insert(QStringLiteral("ASAN_OPTIONS"),
                       env.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":strict_string_checks=0"));
        env.remove(QStringLiteral("XAUTHORITY"));
        mProgram->setProcessEnvironment(env);
        mProgram->start(QStringLiteral(KY_PROGRAM), {argument});
        QVERIFY2(mProgram->waitForStarted(kWaitMs), qPrintable(mProgram->errorString()));

        // The main window by its process and its title; an early end of the program ends the wait.
        const QString pid = QString::number(mProgram->processId());
        QElapsedTimer timer;
        timer.start();
        while (mWindow.isEmpty() && timer.elapsed() < kWaitMs && mProgram->state() == QProcess::Running) {
            bool ok = false;
            const QString found = tool(mXdotool,
                                       {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                                        pid, QStringLiteral("--name"), kTitle},
                                       &ok, 10000, true);
            if (ok && !found.isEmpty())
                mWindow = found.section(QLatin1Char('\n'), 0, 0);
            else
                QTest::qWait(200);
        }
        QVERIFY2(!mWindow.isEmpty(), "the program's window did not show");
        QVERIFY(xdo({QStringLiteral("windowfocus"), QStringLiteral("--sync"), mWindow}));
    }

    // File > Exit with the keyboard: the menu and its entry by their mnemonics, once the menu shows.
    bool openFileMenuAndExit(const QString &stage)
    {
        if (!key(QStringLiteral("alt+f")))
            return false;
        if (!waitUntil([&] { return !(mMenuWindows = otherWindows()).isEmpty(); }, kWaitMs)) {
            qWarning("the File menu did not open");
            return false;
        }
        screenshot(stage);
        return xdo({QStringLiteral("key"), QStringLiteral("x")});
    }

    int waitForEnd()
    {
        if (!mProgram->waitForFinished(kWaitMs)) {
            qWarning("the program did not end");
            return -1;
        }
        mProgramOutput += mProgram->readAll();
        return mProgram->exitStatus() == QProcess::NormalExit ? mProgram->exitCode() : -1;
    }

    void stopProgram()
    {
        if (!mProgram)
            return;
        if (mProgram->state() != QProcess::NotRunning) {
            mProgram->kill();
            mProgram->waitForFinished(10000);
        }
        mProgramOutput += mProgram->readAll();
        mProgram.reset();
    }

    // The saved capture as the program's own document library reads it back.
    std::unique_ptr<KyDocument> openCapture()
    {
        return std::unique_ptr<KyDocument>(KyDocument::Create(mCapture));
    }

private slots:
    void initTestCase()
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        mXdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
        mImport = QStandardPaths::findExecutable(QStringLiteral("import"));
        // The checks read the screen as much as the files.
        if (xvfb.isEmpty() || mXdotool.isEmpty() || mImport.isEmpty())
            QSKIP("The walk-through needs Xvfb, xdotool and ImageMagick's import (packages xvfb, xdotool and "
                  "imagemagick).");

        mShots = QDir::currentPath() + QStringLiteral("/shots");
        QDir(mShots).removeRecursively();
        QVERIFY(QDir().mkpath(mShots));

        mWork = std::make_unique<QTemporaryDir>();
        QVERIFY(mWork->isValid());
        mLockDir = mWork->path() + QStringLiteral("/locks");
        QVERIFY(QDir().mkpath(mLockDir));

        int exitCode = -1;
        const QString written = kytest::runProgram(QStringLiteral(KY_SAMPLE_CAPTURE),
                                                   {mWork->path() + QStringLiteral("/captures"),
                                                    QStringLiteral("--kinds"), QStringLiteral("gel")},
                                                   {}, &exitCode);
        QCOMPARE(exitCode, 0);
        mCapture = written.trimmed().section(QLatin1Char('\n'), 0, 0);
        QVERIFY2(QFileInfo(mCapture).isDir(), qPrintable(written));

        QVERIFY2(startServer(xvfb), "Xvfb did not start");
        qInfo("display %s, screenshots in %s", qPrintable(mDisplay), qPrintable(mShots));
    }

    void cleanup()
    {
        if (QTest::currentTestFailed()) {
            if (mProgram && mProgram->state() == QProcess::Running)
                screenshot(QStringLiteral("failed"));
            if (!mProgramOutput.isEmpty())
                qInfo("the program said:\n%s", mProgramOutput.right(8000).constData());
        }
        stopProgram();
    }

    void cleanupTestCase()
    {
        stopProgram();
        stopServer();
    }

    // Opens the capture, analyses it with the mouse and the keyboard, declines to leave with the
    // analysis unsaved, saves and leaves through the File menu.
    void analyseSaveAndExit()
    {
        const QMap<QString, QByteArray> before = tiffBytes(mCapture);
        QVERIFY(!before.isEmpty());
        {
            const auto document = openCapture();
            QVERIFY(document);
            QVERIFY(!document->HasAnalysis());
        }

        startProgram(mCapture);
        InstanceSlots instances(mLockDir);
        QCOMPARE(instances.countRunning(), 1);
        const QString folderName = QFileInfo(mCapture).fileName();
        const QString cleanTitle = folderName + QStringLiteral(" - ") + kTitle;
        const QString dirtyTitle = folderName + QStringLiteral("* - ") + kTitle;
        // The window shows first; the capture follows when it is read.
        QVERIFY2(waitUntil([&] { return windowTitle() == cleanTitle; }, kWaitMs), qPrintable(windowTitle()));
        const Geometry g = geometry();
        QCOMPARE(QSize(g.width, g.height), kWindowSize);

        // A capture opens on the first step with lanes laid out; laying them out is no edit.
        mDefaultLanes = settledPicture(QStringLiteral("opened"));
        QCOMPARE(currentStep(mDefaultLanes), 0);
        QCOMPARE(windowTitle(), cleanTitle);

        // Lanes, with the mouse: one lane more, then the frame's top right corner picked in the
        // image and moved right twice.
        QVERIFY(click(kLaneCountPlus));
        QVERIFY2(waitUntil([&] { return windowTitle() == dirtyTitle; }, kWaitMs), "one lane more is no edit");
        const QImage moreLanes = settledPicture(QStringLiteral("six-lanes"), mDefaultLanes);
        QVERIFY(click(kFrameTopRightCorner));
        QVERIFY(click(kCornerRightArrow));
        QVERIFY(click(kCornerRightArrow));
        const QImage moved = settledPicture(QStringLiteral("corner-moved"), moreLanes);
        QVERIFY2(changedShare(moreLanes.copy(kImageArea), moved.copy(kImageArea)) > 0.001,
                 "the corner did not move");

        // Background, by its step button; the rubber band with the mouse, then one method further
        // down with the arrow key, as the method buttons are a group.
        QVERIFY(click(QPoint(kStepX[1], kStepClickY)));
        QVERIFY(waitUntil([&] { return currentStep(screenshot(QStringLiteral("to-background"))) == 1; }, kWaitMs));
        const QImage noBackground = settledPicture(QStringLiteral("background"));
        QVERIFY(click(kRubberBandMethod));
        const QImage rubberBand = settledPicture(QStringLiteral("rubber-band"), noBackground);
        QVERIFY(changedShare(noBackground, rubberBand) > 0.0);
        QVERIFY(key(QStringLiteral("Down")));
        const QImage minimum = settledPicture(QStringLiteral("minimum-profile"), rubberBand);
        QVERIFY(changedShare(rubberBand, minimum) > 0.0);

        // Bands, through Next with the mouse, and detected.
        QVERIFY(click(kNext));
        QVERIFY(waitUntil([&] { return currentStep(screenshot(QStringLiteral("to-bands"))) == 2; }, kWaitMs));
        const QImage noBands = settledPicture(QStringLiteral("bands"));
        QVERIFY(click(kDetectBands));
        const QImage bands = settledPicture(QStringLiteral("bands-detected"), noBands);
        QVERIFY2(changedShare(noBands.copy(kImageArea), bands.copy(kImageArea)) > 0.001, "no bands show");

        // On to the summary: Next with the mouse, then the focused Next with the space bar twice.
        QVERIFY(click(kNext));
        QVERIFY(waitUntil([&] { return currentStep(screenshot(QStringLiteral("to-mw"))) == 3; }, kWaitMs));
        QVERIFY(key(QStringLiteral("space")));
        QVERIFY(waitUntil([&] { return currentStep(screenshot(QStringLiteral("to-normalisation"))) == 4; }, kWaitMs));
        QVERIFY(key(QStringLiteral("space")));
        QVERIFY(waitUntil([&] { return currentStep(screenshot(QStringLiteral("to-summary"))) == 5; }, kWaitMs));
        const QImage summary = settledPicture(QStringLiteral("summary"));
        // A band picked in the table shows as a bar.
        QVERIFY(click(kFirstSummaryRow));
        const QImage picked = settledPicture(QStringLiteral("summary-band-picked"), summary);
        QVERIFY2(changedShare(summary.copy(kBarChart), picked.copy(kBarChart)) > 0.01, "no bar for the picked band");
        QCOMPARE(tiffBytes(mCapture), before);

        // Leaving now asks first; Escape keeps the program and the analysis.
        QVERIFY(openFileMenuAndExit(QStringLiteral("file-menu-unsaved")));
        QStringList question;
        QVERIFY2(waitUntil([&] { return !(question = questionWindows()).isEmpty(); }, kWaitMs), "no question");
        screenshot(QStringLiteral("unsaved-question"));
        QVERIFY(xdo({QStringLiteral("windowfocus"), QStringLiteral("--sync"), question.first()}));
        QVERIFY(xdo({QStringLiteral("key"), QStringLiteral("Escape")}));
        QVERIFY(waitUntil([&] { return otherWindows().isEmpty(); }, kWaitMs));
        QTest::qWait(500);
        QCOMPARE(mProgram->state(), QProcess::Running);
        QCOMPARE(windowTitle(), dirtyTitle);

        // Saving writes the analysis into the images and the summary beside them.
        QVERIFY(key(QStringLiteral("ctrl+s")));
        screenshot(QStringLiteral("saving"));
        QString pdf;
        const bool written = waitUntil(
            [&] {
                const QStringList pdfs = QDir(mCapture).entryList({QStringLiteral("*.pdf")}, QDir::Files);
                if (pdfs.size() != 1)
                    return false;
                pdf = mCapture + QLatin1Char('/') + pdfs.first();
                const QByteArray bytes = fileBytes(pdf);
                return bytes.startsWith("%PDF-") && bytes.contains("%%EOF");
            },
            kWaitMs);
        QVERIFY2(written, "no summary PDF beside the images");
        // Named after one of the images.
        QVERIFY2(before.contains(QFileInfo(pdf).completeBaseName() + QStringLiteral(".tif")), qPrintable(pdf));
        QVERIFY(waitUntil([&] { return windowTitle() == cleanTitle; }, kWaitMs));
        const QMap<QString, QByteArray> after = tiffBytes(mCapture);
        QCOMPARE(after.keys(), before.keys());
        QVERIFY(after != before);
        settledPicture(QStringLiteral("saved"));

        // Nothing left unsaved: File > Exit leaves at once, and gives the slot back.
        QVERIFY(openFileMenuAndExit(QStringLiteral("file-menu-saved")));
        QCOMPARE(waitForEnd(), 0);
        QCOMPARE(instances.countRunning(), 0);

        // What the walk did is what the images now hold.
        const auto document = openCapture();
        QVERIFY(document);
        QVERIFY(document->HasAnalysis());
        QCOMPARE(document->LaneFrame().laneCount(), 6);
        int method = -1;
        int radius = -1;
        document->BackgroundParameters(method, radius);
        QCOMPARE(method, 2); // minimum profile
        QVERIFY(document->HasBackground());
        QVERIFY(document->HasBands());
        mSaved = tiffBytes(mCapture);
    }

    // Reopens the saved capture: the stored lanes show; an edit left with "Don't save" leaves the
    // files as they were.
    void reopenFindsTheAnalysis()
    {
        if (mSaved.isEmpty())
            QSKIP("Nothing was saved before.");
        startProgram(mCapture);
        InstanceSlots instances(mLockDir);
        QCOMPARE(instances.countRunning(), 1);
        const QString folderName = QFileInfo(mCapture).fileName();
        QVERIFY2(waitUntil([&] { return windowTitle() == folderName + QStringLiteral(" - ") + kTitle; }, kWaitMs),
                 qPrintable(windowTitle()));
        // The window comes back where and as large as it was left.
        const Geometry g = geometry();
        QCOMPARE(QSize(g.width, g.height), kWindowSize);
        const QImage reopened = settledPicture(QStringLiteral("reopened"));
        QCOMPARE(currentStep(reopened), 0);
        if (!mDefaultLanes.isNull()) {
            QVERIFY2(changedShare(mDefaultLanes.copy(kImageArea), reopened.copy(kImageArea)) > 0.001,
                     "the reopened capture shows the default lanes, not the stored ones");
        }

        QVERIFY(click(kLaneCountPlus));
        QVERIFY(waitUntil([&] { return windowTitle() == folderName + QStringLiteral("* - ") + kTitle; }, kWaitMs));
        QVERIFY(openFileMenuAndExit(QStringLiteral("file-menu-reopened")));
        QStringList question;
        QVERIFY2(waitUntil([&] { return !(question = questionWindows()).isEmpty(); }, kWaitMs), "no question");
        screenshot(QStringLiteral("reopened-question"));
        QVERIFY(click(kDontSave, question.first()));
        QCOMPARE(waitForEnd(), 0);
        QCOMPARE(instances.countRunning(), 0);
        QCOMPARE(tiffBytes(mCapture), mSaved);
    }
};

KY_TEST_MAIN_WITH(QGuiApplication, TestWalkthrough)

#include "tst_walkthrough.moc"
