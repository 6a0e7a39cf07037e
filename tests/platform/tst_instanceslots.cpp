#include "lockholder.h"
#include "testmain.h"

#include "platform/instanceslots.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

using platform::InstanceSlots;

using kytest::LockHolder;
using kytest::waitUntil;

class TestInstanceSlots : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir *mFolder = nullptr;
    std::vector<std::unique_ptr<LockHolder>> mHolders;

    // Slots held by other processes, waited for until the locks are in place.
    bool hold(const InstanceSlots &instances, const QList<int> &held)
    {
        for (int slot : held) {
            mHolders.push_back(std::make_unique<LockHolder>(instances.lockFilePath(slot)));
            if (!mHolders.back()->started())
                return false;
        }
        return waitUntil([&] { return instances.countRunning() == held.size(); });
    }

private slots:
    void init()
    {
        mFolder = new QTemporaryDir;
        QVERIFY(mFolder->isValid());
    }

    void cleanup()
    {
        mHolders.clear();
        delete mFolder;
        mFolder = nullptr;
    }

    void namesKeepTheMachineWideSlotNames()
    {
        QCOMPARE(InstanceSlots::slotName(0), QStringLiteral("Global\\TOLVBI410ANALYS_0"));
        QCOMPARE(InstanceSlots::slotName(4), QStringLiteral("Global\\TOLVBI410ANALYS_4"));
        const InstanceSlots instances(mFolder->path());
        QCOMPARE(instances.lockFilePath(3), mFolder->filePath(QStringLiteral("TOLVBI410ANALYS_3.lock")));
    }

    void folderFromEnvironment()
    {
        qputenv("KY_INSTANCE_LOCK_DIR", mFolder->path().toLocal8Bit());
        QCOMPARE(InstanceSlots::defaultFolder(), mFolder->path());
        qunsetenv("KY_INSTANCE_LOCK_DIR");
        const QString folder = InstanceSlots::defaultFolder();
        QVERIFY2(folder == QStringLiteral("/run/lock") || folder == QDir::tempPath(), qPrintable(folder));
        QVERIFY(::access(QFile::encodeName(folder).constData(), W_OK) == 0);
    }

    void claimsInAFreshFolder()
    {
        InstanceSlots instances(mFolder->path());
        QCOMPARE(instances.countRunning(), 0);
        QCOMPARE(instances.claim(), 0);
        QCOMPARE(instances.claimedSlot(), 0);
        // Its own slot counts: another start in this process sees it as taken.
        QCOMPARE(instances.countRunning(), 1);
        QCOMPARE(instances.claim(), 0);
        InstanceSlots other(mFolder->path());
        QCOMPARE(other.claim(), 1);
        instances.release();
        QCOMPARE(instances.claimedSlot(), -1);
        QVERIFY(!instances.isInUse(0));
        QCOMPARE(instances.countRunning(), 1);
    }

    void countAndClaim_data()
    {
        QTest::addColumn<QList<int>>("held");
        QTest::addColumn<int>("claimed");
        QTest::newRow("all held: refused") << QList<int>{0, 1, 2, 3, 4} << -1;
        QTest::newRow("0 and 2 held: takes the gap") << QList<int>{0, 2} << 1;
        QTest::newRow("four held: takes the last") << QList<int>{0, 1, 2, 3} << 4;
        QTest::newRow("only the last held") << QList<int>{4} << 0;
    }

    void countAndClaim()
    {
        QFETCH(QList<int>, held);
        QFETCH(int, claimed);
        InstanceSlots instances(mFolder->path());
        QVERIFY(hold(instances, held));
        // Every slot is looked at: a free slot between used ones does not end the count.
        QCOMPARE(instances.countRunning(), held.size());
        {
            const InstanceSlots::Guard guard = instances.lockGuard();
            QVERIFY(guard.isHeld());
            QCOMPARE(instances.claim(), claimed);
        }
        QCOMPARE(instances.claimedSlot(), claimed);
        QCOMPARE(instances.countRunning(), held.size() + (claimed >= 0 ? 1 : 0));
    }

    void endedHolderFreesItsSlot()
    {
        InstanceSlots instances(mFolder->path());
        QVERIFY(hold(instances, {0, 1}));
        mHolders.front()->end();
        // The kernel drops the lock of a process that ends, however it ends.
        QVERIFY(waitUntil([&] { return !instances.isInUse(0); }));
        QCOMPARE(instances.countRunning(), 1);
        QCOMPARE(instances.claim(), 0);
    }

    void startedProgramDoesNotInheritTheSlot()
    {
        InstanceSlots instances(mFolder->path());
        QCOMPARE(instances.claim(), 0);

        // A program started while the slot is held ("Open in new window..."), still running after
        // the instance has given the slot back.
        QProcess child;
        child.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        QVERIFY(child.waitForStarted(5000));
        instances.release();
        const bool freed = !instances.isInUse(0);

        // The same with a descriptor that is not close-on-exec: the child keeps the lock, which
        // shows that this process start hands descriptors on.
        const QByteArray path = QFile::encodeName(instances.lockFilePath(1));
        const int fd = ::open(path.constData(), O_RDONLY | O_CREAT, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::flock(fd, LOCK_EX | LOCK_NB), 0);
        QProcess inheriting;
        inheriting.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        QVERIFY(inheriting.waitForStarted(5000));
        ::close(fd);
        const bool keptByChild = instances.isInUse(1);

        child.kill();
        inheriting.kill();
        child.waitForFinished(5000);
        inheriting.waitForFinished(5000);
        QVERIFY(keptByChild);
        QVERIFY(freed);
    }

    void guardSerialisesStarts()
    {
        InstanceSlots instances(mFolder->path());
        {
            const InstanceSlots::Guard first = instances.lockGuard();
            QVERIFY(first.isHeld());
            // A second start waits for the guard and, past its wait, goes on without it.
            QElapsedTimer waited;
            waited.start();
            const InstanceSlots::Guard second = instances.lockGuard(150);
            QVERIFY(!second.isHeld());
            QVERIFY(waited.elapsed() >= 150);
        }
        // Held by another process until it ends.
        LockHolder holder(instances.guardFilePath());
        QVERIFY(holder.started());
        QVERIFY(waitUntil([&] { return !instances.lockGuard(0).isHeld(); }));
        holder.end();
        QVERIFY(instances.lockGuard(5000).isHeld());
    }

    void unusableFolderRunsWithoutASlot()
    {
        InstanceSlots instances(mFolder->filePath(QStringLiteral("missing")));
        QCOMPARE(instances.countRunning(), 0);
        QVERIFY(!instances.lockGuard(0).isHeld());
        QCOMPARE(instances.claim(), -1);
        instances.release();
    }

    void plantedLinkIsNotFollowed()
    {
        // In a world-writable lock folder another user could place a link where a lock file goes.
        InstanceSlots instances(mFolder->path());
        const QString target = mFolder->filePath(QStringLiteral("target"));
        QVERIFY(QFile::link(target, instances.lockFilePath(0)));
        QCOMPARE(instances.claim(), -1);
        QVERIFY(!QFileInfo::exists(target));
    }
};

KY_TEST_MAIN(TestInstanceSlots)
#include "tst_instanceslots.moc"
