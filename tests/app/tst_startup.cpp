#include "lockholder.h"
#include "testmain.h"

#include "app/startup.h"
#include "app/teskapp.h"
#include "platform/instanceslots.h"

#include <QAbstractButton>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <memory>
#include <vector>

using kytest::LockHolder;
using kytest::waitUntil;
using platform::InstanceSlots;

class TestStartup : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> mFolder;
    std::vector<std::unique_ptr<LockHolder>> mHolders;

    bool hold(const InstanceSlots &instances, const QList<int> &held)
    {
        for (int slot : held) {
            mHolders.push_back(std::make_unique<LockHolder>(instances.lockFilePath(slot)));
            if (!mHolders.back()->started())
                return false;
        }
        return waitUntil([&] { return instances.countRunning() == held.size(); });
    }

    QProcess *startProbe(const QStringList &arguments, const QString &releaseFile = QString(),
                         bool stalledOpen = false)
    {
        auto *probe = new QProcess(this);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KY_INSTANCE_LOCK_DIR"), mFolder->path());
        if (!releaseFile.isEmpty())
            env.insert(QStringLiteral("KY_PROBE_RELEASE_FILE"), releaseFile);
        if (stalledOpen)
            env.insert(QStringLiteral("KY_PROBE_STALLED_OPEN"), QStringLiteral("1"));
        probe->setProcessEnvironment(env);
        probe->start(QStringLiteral(KY_STARTUP_PROBE), arguments);
        return probe;
    }

    static QStringList lines(QProcess *probe)
    {
        return QString::fromLocal8Bit(probe->readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private slots:
    void init()
    {
        mFolder = std::make_unique<QTemporaryDir>();
        QVERIFY(mFolder->isValid());
    }

    void cleanup()
    {
        mHolders.clear();
        mFolder.reset();
    }

    void limitMessage()
    {
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons;
        QWidget *parent = reinterpret_cast<QWidget *>(1);
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            title = box->windowTitle();
            text = box->text();
            buttons = box->standardButtons();
            parent = box->parentWidget();
            box->button(QMessageBox::Ok)->click();
        });
        showInstanceLimitMessage();
        QCOMPARE(title, QStringLiteral("Brevik Ziredo 410 Analysis Software"));
        QCOMPARE(text, QStringLiteral("Maximum number of images have been opened."));
        QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(parent, nullptr);
    }

    void refusedAtTheLimit()
    {
        InstanceSlots instances(mFolder->path());
        QVERIFY(hold(instances, {0, 1, 2, 3, 4}));
        int windows = 0;
        int notices = 0;
        const int result = runApplication(
            *TeskApp::instance(), instances,
            [&] {
                ++windows;
                return std::make_unique<QWidget>();
            },
            [&] { ++notices; });
        QCOMPARE(result, kInstanceLimitExitCode);
        QCOMPARE(notices, 1);
        QCOMPARE(windows, 0);
        QCOMPARE(instances.claimedSlot(), -1);
    }

    void runsInTheFreeSlotAndGivesItBack()
    {
        InstanceSlots instances(mFolder->path());
        QVERIFY(hold(instances, {0, 2}));
        QPointer<QWidget> made;
        bool registered = false;
        bool visible = false;
        int claimed = -1;
        bool slotFreeAtTearDown = false;
        const auto createWindow = [&] {
            auto window = std::make_unique<QWidget>();
            made = window.get();
            QTimer::singleShot(50, window.get(), [&] {
                registered = TeskApp::mainWindow() == made;
                visible = made->isVisible();
                claimed = instances.claimedSlot();
                made->close();
            });
            // The slot goes back before the window is torn down.
            connect(window.get(), &QObject::destroyed, this, [&] { slotFreeAtTearDown = !instances.isInUse(1); });
            return window;
        };
        int notices = 0;
        QCOMPARE(runApplication(*TeskApp::instance(), instances, createWindow, [&] { ++notices; }), 0);
        QCOMPARE(notices, 0);
        QVERIFY(registered);
        QVERIFY(visible);
        QCOMPARE(claimed, 1);
        QVERIFY(!made);
        QVERIFY(slotFreeAtTearDown);
        QCOMPARE(instances.claimedSlot(), -1);
        QCOMPARE(instances.countRunning(), 2);
        TeskApp::instance()->setMainWindow(nullptr);
    }

    void countAndClaimWaitForAnotherStartsGuard()
    {
        // Another start holds the guard for half a second, between its count and its claim.
        InstanceSlots instances(mFolder->path());
        QProcess other;
        other.start(QStringLiteral("flock"),
                    {QStringLiteral("--no-fork"), instances.guardFilePath(), QStringLiteral("sleep"), QStringLiteral("0.5")});
        QVERIFY(other.waitForStarted(5000));
        QVERIFY(waitUntil([&] { return !instances.lockGuard(0).isHeld(); }));
        QElapsedTimer waited;
        waited.start();
        qint64 claimedAfter = -1;
        int claimed = -1;
        const int result = runApplication(*TeskApp::instance(), instances, [&] {
            claimedAfter = waited.elapsed();
            claimed = instances.claimedSlot();
            return std::unique_ptr<QWidget>();
        });
        other.waitForFinished(5000);
        QCOMPARE(result, 0);
        QCOMPARE(claimed, 0);
        QVERIFY2(claimedAfter >= 300, qPrintable(QString::number(claimedAfter)));
    }

    void withoutAWindowTheStartEnds()
    {
        InstanceSlots instances(mFolder->path());
        QCOMPARE(runApplication(*TeskApp::instance(), instances, [] { return std::unique_ptr<QWidget>(); }), 0);
        QCOMPARE(instances.countRunning(), 0);
    }

    // The window closes while an open hangs in a read that never returns: the program still ends,
    // with its exit code, and gives its instance slot back.
    void endsDespiteAStalledOpen()
    {
        InstanceSlots instances(mFolder->path());
        QProcess *probe = startProbe({}, QString(), true);
        const bool ended = probe->waitForFinished(20000);
        if (!ended) {
            probe->kill();
            probe->waitForFinished();
        }
        QStringList said = lines(probe);
        for (const QString &line : said) {
            if (line.startsWith(QLatin1String("home: ")))
                QDir(line.mid(6)).removeRecursively();
        }
        QVERIFY2(ended, "the program waited for the open");
        QCOMPARE(probe->exitStatus(), QProcess::NormalExit);
        QCOMPARE(probe->exitCode(), 0);
        said.removeIf([](const QString &line) { return line.startsWith(QLatin1String("home: ")); });
        QCOMPARE(said, (QStringList{QStringLiteral("window"), QStringLiteral("opening")}));
        QCOMPARE(instances.countRunning(), 0);
    }

    // An open still running at the close but ending soon after is waited for: the program ends
    // through its teardown (here, runApplication returns).
    void waitsForAnOpenThatEnds()
    {
        InstanceSlots instances(mFolder->path());
        TeskApp *app = TeskApp::instance();
        app->setOpener([](const QString &) -> KyDocument * {
            QThread::msleep(300);
            return nullptr;
        });
        const auto restore = qScopeGuard([app] { app->setOpener(nullptr); });
        const int result = runApplication(*app, instances, [app] {
            auto window = std::make_unique<QWidget>();
            QTimer::singleShot(0, window.get(), [app, shown = window.get()] {
                QVERIFY(app->openImage(QDir::currentPath()));
                app->abandonOpen();
                shown->close();
            });
            return window;
        });
        QCOMPARE(result, 0);
        QVERIFY(app->waitForOpen(0));
        QTRY_VERIFY(!app->isOpening());
        QCOMPARE(instances.countRunning(), 0);
    }

    void exitCodeAtTheLimit()
    {
        InstanceSlots instances(mFolder->path());
        QVERIFY(hold(instances, {0, 1, 2, 3, 4}));
        QProcess *probe = startProbe({});
        QVERIFY(probe->waitForFinished(30000));
        QCOMPARE(probe->exitStatus(), QProcess::NormalExit);
        // -999 as the system passes exit codes on: its low byte.
        QCOMPARE(probe->exitCode(), 25);
        QCOMPARE(lines(probe), QStringList{QStringLiteral("refused")});
    }

    void simultaneousStartsStayWithinTheLimit()
    {
        // Seven whole programs starting at once: five run, each in a slot of its own, two are
        // refused.
        const QString release = mFolder->filePath(QStringLiteral("release"));
        std::vector<QProcess *> probes;
        for (int i = 0; i < 7; ++i)
            probes.push_back(startProbe({}, release));
        QMap<QProcess *, QString> said;
        const auto settled = [&] {
            for (QProcess *probe : probes) {
                said[probe] += QString::fromLocal8Bit(probe->readAllStandardOutput());
                if (!said[probe].contains(QStringLiteral("window")) && probe->state() != QProcess::NotRunning)
                    return false;
            }
            return true;
        };
        const bool allSettled = waitUntil(settled, 60000);
        const InstanceSlots instances(mFolder->path());
        const int running = instances.countRunning();
        kytest::writeFile(release, QByteArray());
        for (QProcess *probe : probes)
            probe->waitForFinished(30000);
        QVERIFY(allSettled);

        int windows = 0;
        int refused = 0;
        for (QProcess *probe : probes) {
            said[probe] += QString::fromLocal8Bit(probe->readAllStandardOutput());
            if (said[probe].contains(QStringLiteral("window"))) {
                ++windows;
                QCOMPARE(probe->exitCode(), 0);
            } else {
                QVERIFY2(said[probe].contains(QStringLiteral("refused")), qPrintable(said[probe]));
                QCOMPARE(probe->exitCode(), 25);
                ++refused;
            }
        }
        QCOMPARE(windows, 5);
        QCOMPARE(refused, 2);
        QCOMPARE(running, 5);
        QCOMPARE(instances.countRunning(), 0);
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("opened");
        QTest::newRow("no argument") << QStringList() << QStringList();
        QTest::newRow("one folder") << QStringList{QStringLiteral("/captures/a")}
                                    << QStringList{QStringLiteral("open: /captures/a")};
        QTest::newRow("only the first of two")
            << QStringList{QStringLiteral("/captures/a"), QStringLiteral("/captures/b")}
            << QStringList{QStringLiteral("open: /captures/a")};
    }

    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, opened);
        QProcess *probe = startProbe(arguments);
        QVERIFY(probe->waitForFinished(30000));
        QCOMPARE(probe->exitCode(), 0);
        QStringList said = lines(probe);
        QCOMPARE(said.takeFirst(), QStringLiteral("window"));
        QCOMPARE(said, opened);
    }
};

KY_TEST_MAIN_WITH(TeskApp, TestStartup)
#include "tst_startup.moc"
