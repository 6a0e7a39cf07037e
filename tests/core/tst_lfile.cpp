#include "testmain.h"

#include "core/ldir.h"
#include "core/lfile.h"
#include "platform/filesync.h"

#include <QTemporaryDir>

class TestLFile : public QObject
{
    Q_OBJECT

private slots:
    void openAndClose_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("unbuffered");
        QTest::addColumn<bool>("flushedOnClose");
        QTest::newRow("read only") << int(QIODevice::ReadOnly) << false << false;
        QTest::newRow("write only, truncate") << int(QIODevice::WriteOnly | QIODevice::Truncate) << true << true;
        QTest::newRow("read write") << int(QIODevice::ReadWrite) << true << true;
        // Append alone does not contain the write bit: it stays buffered and is not flushed.
        QTest::newRow("append alone") << int(QIODevice::Append) << false << false;
        QTest::newRow("append, write only") << int(QIODevice::Append | QIODevice::WriteOnly) << true << true;
    }

    void openAndClose()
    {
        QFETCH(int, mode);
        QFETCH(bool, unbuffered);
        QFETCH(bool, flushedOnClose);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f.txt"));
        {
            QFile seed(path);
            QVERIFY(seed.open(QIODevice::WriteOnly));
            seed.write("seed");
        }

        LFile file(path);
        QCOMPARE(file.lastOpenMode(), QIODevice::OpenMode(QIODevice::NotOpen));
        QVERIFY(file.open(QIODevice::OpenMode(mode)));
        QCOMPARE(file.lastOpenMode().testFlag(QIODevice::Unbuffered), unbuffered);
        QCOMPARE(file.openMode().testFlag(QIODevice::Unbuffered), unbuffered);
        if (file.isWritable())
            file.write("more");

        const quint64 before = platform::syncCount();
        file.close();
        QCOMPARE(platform::syncCount() > before, flushedOnClose);
        // The mode of the last open survives close.
        QCOMPARE(file.lastOpenMode().testFlag(QIODevice::Unbuffered), unbuffered);
    }

    void copyOntoExistingFileFailsWithoutFlush()
    {
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("a")), b = dir.filePath(QStringLiteral("b"));
        for (const QString &p : {a, b}) {
            QFile f(p);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(p.toUtf8());
        }
        quint64 before = platform::syncCount();
        QVERIFY(!LFile::copy(a, b));
        QCOMPARE(platform::syncCount(), before);
        LFile member(a);
        QVERIFY(!member.copy(b));
        QCOMPARE(platform::syncCount(), before);

        const QString c = dir.filePath(QStringLiteral("c"));
        QVERIFY(LFile::copy(a, c));
        QVERIFY(platform::syncCount() > before);
        QFile copied(c);
        QVERIFY(copied.open(QIODevice::ReadOnly));
        QCOMPARE(copied.readAll(), a.toUtf8());
    }

    void renameResizeRemoveFlush()
    {
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("a")), b = dir.filePath(QStringLiteral("b"));
        {
            QFile f(a);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("0123456789");
        }
        LFile file(a);
        quint64 before = platform::syncCount();
        QVERIFY(file.rename(b));
        QVERIFY(platform::syncCount() > before);

        before = platform::syncCount();
        QVERIFY(LFile::resize(b, 4));
        QVERIFY(platform::syncCount() > before);
        QCOMPARE(QFileInfo(b).size(), qint64(4));

        before = platform::syncCount();
        QVERIFY(LFile::remove(b));
        QVERIFY(platform::syncCount() > before);
        QVERIFY(!QFileInfo::exists(b));

        before = platform::syncCount();
        QVERIFY(!LFile::remove(b));
        QCOMPARE(platform::syncCount(), before);
    }

    void dirMakeAndRemoveFlush()
    {
        QTemporaryDir dir;
        LDir ldir(dir.path());
        quint64 before = platform::syncCount();
        QVERIFY(ldir.mkdir(QStringLiteral("sub")));
        QVERIFY(platform::syncCount() > before);
        before = platform::syncCount();
        QVERIFY(!ldir.mkdir(QStringLiteral("sub")));
        QCOMPARE(platform::syncCount(), before);
        QVERIFY(ldir.rmdir(QStringLiteral("sub")));
        QVERIFY(platform::syncCount() > before);
        LDir copy(ldir);
        QCOMPARE(copy.absolutePath(), ldir.absolutePath());
    }
};

KY_TEST_MAIN(TestLFile)
#include "tst_lfile.moc"
