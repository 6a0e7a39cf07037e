#include "lockholder.h"
#include "testmain.h"

#include "platform/capturelock.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QProcess>

#include <memory>

using platform::CaptureLock;

class TestCaptureLock : public QObject
{
    Q_OBJECT

private slots:
    void lockFilesAreNamedByTheirKey()
    {
        QTemporaryDir folder;
        const QString a = CaptureLock::lockFilePath(QStringLiteral("/data/run 1/capture_Ch"), folder.path());
        QCOMPARE(CaptureLock::lockFilePath(QStringLiteral("/data/run 1/capture_Ch"), folder.path()), a);
        QVERIFY(a != CaptureLock::lockFilePath(QStringLiteral("/data/run 1/capture_Fl"), folder.path()));
        QCOMPARE(QFileInfo(a).absolutePath(), folder.path());
        QVERIFY(QFileInfo(a).fileName().startsWith(QLatin1String("capture-")));
        QVERIFY(QFileInfo(a).fileName().endsWith(QLatin1String(".lock")));
    }

    // Another process holds the lock (as a save of the capture in another window would): the
    // lock is waited for, taken once the holder has gone (the kernel drops a dead holder's lock),
    // and given up on after the wait.
    void waitsForAnotherHolder_data()
    {
        QTest::addColumn<QString>("other");
        QTest::addColumn<int>("result");
        QTest::newRow("no other holder") << "none" << int(CaptureLock::kHeld);
        QTest::newRow("holder ends during the wait") << "brief" << int(CaptureLock::kHeld);
        QTest::newRow("held for longer than the wait") << "long" << int(CaptureLock::kBusy);
    }

    void waitsForAnotherHolder()
    {
        QFETCH(QString, other);
        QFETCH(int, result);
        QTemporaryDir folder;
        const QString key = QStringLiteral("/data/capture");
        const QString file = CaptureLock::lockFilePath(key, folder.path());
        std::unique_ptr<kytest::LockHolder> holder;
        QProcess brief;
        if (other == QLatin1String("long")) {
            holder = std::make_unique<kytest::LockHolder>(file);
            QVERIFY(holder->started());
        } else if (other == QLatin1String("brief")) {
            brief.start(QStringLiteral("flock"), {file, QStringLiteral("sleep"), QStringLiteral("0.5")});
            QVERIFY(brief.waitForStarted(5000));
        }
        if (other != QLatin1String("none")) {
            QVERIFY(kytest::waitUntil([&] {
                CaptureLock probe(key, folder.path());
                return probe.lock(0) == CaptureLock::kBusy;
            }));
        }
        CaptureLock lock(key, folder.path());
        QElapsedTimer waited;
        waited.start();
        QCOMPARE(int(lock.lock(2000)), result);
        QCOMPARE(lock.isHeld(), result == CaptureLock::kHeld);
        if (result == CaptureLock::kBusy)
            QVERIFY(waited.elapsed() >= 2000);
        else if (other == QLatin1String("brief"))
            QVERIFY(waited.elapsed() >= 100);
        brief.waitForFinished(5000);

        // Held here, it keeps every other open file out, also one of this process; let go, it
        // is free again.
        if (lock.isHeld()) {
            CaptureLock second(key, folder.path());
            QCOMPARE(second.lock(0), CaptureLock::kBusy);
            lock.unlock();
            QCOMPARE(second.lock(0), CaptureLock::kHeld);
        }
    }

    // Without a folder for lock files nobody is kept out: the caller goes on unguarded.
    void noLockFolder()
    {
        QTemporaryDir folder;
        CaptureLock lock(QStringLiteral("/data/capture"), folder.filePath(QStringLiteral("missing")));
        QCOMPARE(lock.lock(100), CaptureLock::kUnavailable);
        QVERIFY(!lock.isHeld());
    }
};

KY_TEST_MAIN(TestCaptureLock)
#include "tst_capturelock.moc"
