#include "testmain.h"

#include "platform/diskspace.h"
#include "platform/filesync.h"

#include <QProcess>
#include <QTemporaryDir>

#include <cerrno>

class TestPlatform : public QObject
{
    Q_OBJECT

private slots:
    void syncFileSyncsFileAndFolder()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.bin"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("x");
        f.close();

        const quint64 before = platform::syncCount();
        int error = -1;
        QVERIFY(platform::syncFile(path, &error));
        // One fsync for the data, one for the folder entry that names it.
        QCOMPARE(platform::syncCount() - before, quint64(2));
    }

    void syncFileRefusesMissingFile()
    {
        QTemporaryDir dir;
        int error = 0;
        const quint64 before = platform::syncCount();
        QVERIFY(!platform::syncFile(dir.filePath(QStringLiteral("missing")), &error));
        QCOMPARE(error, ENOENT);
        QCOMPARE(platform::syncCount(), before);
        QVERIFY(!platform::syncFile(QString(), &error));
    }

    void syncNearestFolder_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("synced");
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("relative") << QStringLiteral("data/x.tif") << false;
        QTest::newRow("drive letter form") << QStringLiteral("C:/data/x.tif") << false;
        QTest::newRow("existing folder") << QStringLiteral("@") << true;
        QTest::newRow("missing file in existing folder") << QStringLiteral("@/missing.tif") << true;
        QTest::newRow("missing folders below existing one") << QStringLiteral("@/a/b/c/x.tif") << true;
    }

    void syncNearestFolder()
    {
        QFETCH(QString, path);
        QFETCH(bool, synced);
        QTemporaryDir dir;
        path.replace(QLatin1Char('@'), dir.path());
        const quint64 before = platform::syncCount();
        QCOMPARE(platform::syncNearestFolder(path), synced);
        QCOMPARE(platform::syncCount() - before, quint64(synced ? 1 : 0));
    }

    void freeBytesAgreesWithDf()
    {
        QTemporaryDir dir;
        quint64 ours = 0;
        QVERIFY(platform::freeBytes(dir.path(), &ours));

        QProcess df;
        df.start(QStringLiteral("df"), {QStringLiteral("-B1"), QStringLiteral("--output=avail"), dir.path()});
        QVERIFY(df.waitForFinished());
        const QStringList lines = QString::fromLocal8Bit(df.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        bool ok = false;
        const quint64 theirs = lines.at(1).trimmed().toULongLong(&ok);
        QVERIFY(ok);
        // Other writers on the machine move the figure between the two readings.
        const quint64 slack = 64ull << 20;
        QVERIFY2(ours + slack >= theirs && theirs + slack >= ours,
                 qPrintable(QStringLiteral("ours %1, df %2").arg(ours).arg(theirs)));
    }

    void freeBytesOfMissingPathFails()
    {
        quint64 bytes = 123;
        int error = 0;
        QVERIFY(!platform::freeBytes(QStringLiteral("/no/such/folder/anywhere"), &bytes, &error));
        QCOMPARE(error, ENOENT);
        QCOMPARE(bytes, quint64(123));
    }
};

KY_TEST_MAIN(TestPlatform)
#include "tst_platform.moc"
