#include "testmain.h"

#include "core/kyconcurrent.h"

#include <QtConcurrent/QtConcurrentRun>

#include <atomic>

class TestKyConcurrent : public QObject
{
    Q_OBJECT

private slots:
    void mapFromAPoolTaskOnAFullPool_data()
    {
        QTest::addColumn<int>("threads");
        QTest::newRow("one thread") << 1;
        QTest::newRow("two threads") << 2;
    }

    // The open, save and analysis jobs are pool tasks that split image work over the same pool;
    // with every thread taken by such jobs the map must still finish.
    void mapFromAPoolTaskOnAFullPool()
    {
        QFETCH(int, threads);
        QThreadPool *pool = QThreadPool::globalInstance();
        const int saved = pool->maxThreadCount();
        pool->setMaxThreadCount(threads);

        std::atomic<int> done{0};
        QList<QFuture<void>> jobs;
        for (int j = 0; j < threads; ++j) {
            jobs << QtConcurrent::run([&done] {
                QVector<int> pieces(16, 1);
                KyConcurrent::blockingMap(pieces, [&done](int &piece) {
                    piece = 2;
                    ++done;
                });
            });
        }
        QDeadlineTimer deadline(20000);
        for (QFuture<void> &job : jobs) {
            while (!job.isFinished() && !deadline.hasExpired())
                QThread::msleep(5);
        }
        const bool finished = std::all_of(jobs.begin(), jobs.end(), [](const QFuture<void> &f) { return f.isFinished(); });
        pool->setMaxThreadCount(saved);
        QVERIFY2(finished, "the map waited for itself");
        QCOMPARE(done.load(), 16 * threads);
    }
};

KY_TEST_MAIN(TestKyConcurrent)
#include "tst_kyconcurrent.moc"
