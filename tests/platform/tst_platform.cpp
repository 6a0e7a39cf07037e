#include "testmain.h"

#include "platform/diskspace.h"
#include "platform/filesync.h"
#include "platform/regularfile.h"
#include "platform/safefileops.h"
#include "renamestandin.h"

#include <QDir>
#include <QDirIterator>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

#include <cerrno>
#include <sys/stat.h>

namespace {

// Everything under a folder: each entry with its kind and bytes, or a link with its text.
QMap<QString, QByteArray> tree(const QString &inRoot)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(inRoot, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        QByteArray link;
        const QString name = QDir(inRoot).relativeFilePath(path);
        if (platform::readSymLink(path, &link))
            entries.insert(name, "link:" + link);
        else
            entries.insert(name, info.isDir() ? QByteArray("<dir>") : kytest::readFile(path));
    }
    return entries;
}

dev_t deviceOf(const QString &inPath)
{
    struct stat st;
    return ::stat(QFile::encodeName(inPath).constData(), &st) == 0 ? st.st_dev : dev_t(0);
}

} // namespace

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

    void freeBytesStandIn()
    {
        const platform::FreeBytesSource standIn = [](const QString &, quint64 *bytes, int *) {
            *bytes = 42;
            return true;
        };
        QVERIFY(platform::setFreeBytesSource(standIn) == nullptr);
        quint64 bytes = 0;
        QVERIFY(platform::freeBytes(QStringLiteral("/no/such/folder"), &bytes));
        QCOMPARE(bytes, quint64(42));
        QVERIFY(platform::setFreeBytesSource(nullptr) == standIn);
        QVERIFY(!platform::freeBytes(QStringLiteral("/no/such/folder"), &bytes));
    }

    void renameNeverReplaces()
    {
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("a"));
        const QString b = dir.filePath(QStringLiteral("b"));
        kytest::writeFile(a, "a");
        kytest::writeFile(b, "b");
        int error = 0;
        QVERIFY(!platform::renameNoReplace(a, b, &error));
        QCOMPARE(error, EEXIST);
        QCOMPARE(kytest::readFile(a), QByteArray("a"));
        QCOMPARE(kytest::readFile(b), QByteArray("b"));
        QVERIFY(platform::renameNoReplace(a, dir.filePath(QStringLiteral("c"))));
        QCOMPARE(kytest::readFile(dir.filePath(QStringLiteral("c"))), QByteArray("a"));
        QVERIFY(!platform::renameNoReplace(QString(), b));
    }

    // Where the file system refuses the flag, the rename still happens, and still never replaces
    // anything: not even an empty folder, which rename(2) itself would replace.
    void renameWhereTheFlagIsRefused_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("error"); // 0: renamed
        QTest::newRow("file to a free name") << "file" << "none" << 0;
        QTest::newRow("folder to a free name") << "folder" << "none" << 0;
        QTest::newRow("link to a free name") << "link" << "none" << 0;
        QTest::newRow("file onto a file") << "file" << "file" << EEXIST;
        QTest::newRow("file onto an empty folder") << "file" << "empty folder" << EEXIST;
        QTest::newRow("folder onto an empty folder") << "folder" << "empty folder" << EEXIST;
        QTest::newRow("folder onto a file") << "folder" << "file" << EEXIST;
        QTest::newRow("missing source") << "missing" << "none" << ENOENT;
        QTest::newRow("folder into itself") << "folder" << "inside" << EINVAL;
    }

    void renameWhereTheFlagIsRefused()
    {
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(int, error);
        QTemporaryDir dir;
        const QString from = dir.filePath(QStringLiteral("from"));
        QString to = dir.filePath(QStringLiteral("to"));
        if (source == QLatin1String("file")) {
            kytest::writeFile(from, "source");
        } else if (source == QLatin1String("folder")) {
            kytest::writeFile(from + QStringLiteral("/a.tif"), "a");
            kytest::writeFile(from + QStringLiteral("/.hidden"), "h");
        } else if (source == QLatin1String("link")) {
            QVERIFY(platform::makeSymLink("elsewhere/x.tif", from));
        }
        if (target == QLatin1String("file"))
            kytest::writeFile(to, "target");
        else if (target == QLatin1String("empty folder"))
            QVERIFY(QDir().mkdir(to));
        else if (target == QLatin1String("inside"))
            to = from + QStringLiteral("/sub");
        const auto before = tree(dir.path());

        const kytest::RenameStandIn standIn(kytest::refuseTheFlag);
        int got = 0;
        QCOMPARE(platform::renameNoReplace(from, to, &got), error == 0);
        if (error != 0) {
            QCOMPARE(got, error);
            QCOMPARE(tree(dir.path()), before);
            return;
        }
        // Everything under the old name is now under the new one, and nothing else changed.
        QMap<QString, QByteArray> expected;
        for (auto it = before.cbegin(); it != before.cend(); ++it) {
            QString name = it.key();
            if (name == QLatin1String("from") || name.startsWith(QLatin1String("from/")))
                name.replace(0, 4, QStringLiteral("to"));
            expected.insert(name, it.value());
        }
        QCOMPARE(tree(dir.path()), expected);
    }

    // A move to another file system with the flag refused is still told as such (EXDEV), and the
    // name taken for it on the other side is given back.
    void renameAcrossFileSystemsWhereTheFlagIsRefused()
    {
        QTemporaryDir here;
        QTemporaryDir there(QStringLiteral("/dev/shm/ky-rename-XXXXXX"));
        if (!there.isValid() || deviceOf(here.path()) == deviceOf(there.path()))
            QSKIP("no second file system at /dev/shm");
        kytest::writeFile(here.filePath(QStringLiteral("file")), "f");
        kytest::writeFile(here.filePath(QStringLiteral("folder/a.tif")), "a");
        const auto before = tree(here.path());
        const kytest::RenameStandIn standIn(kytest::refuseTheFlag);
        for (const QString &name : {QStringLiteral("file"), QStringLiteral("folder")}) {
            int error = 0;
            QVERIFY(!platform::renameNoReplace(here.filePath(name), there.filePath(name), &error));
            QCOMPARE(error, EXDEV);
        }
        QCOMPARE(tree(here.path()), before);
        QVERIFY(tree(there.path()).isEmpty());
    }

    void symLinksKeepTheirText()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("link"));
        QVERIFY(platform::makeSymLink("../relative/target.tif", link));
        QByteArray text;
        QVERIFY(platform::readSymLink(link, &text));
        QCOMPARE(text, QByteArray("../relative/target.tif"));
        QVERIFY(!platform::makeSymLink("other", link)); // never replaces
        kytest::writeFile(dir.filePath(QStringLiteral("plain")), "x");
        QVERIFY(!platform::readSymLink(dir.filePath(QStringLiteral("plain")), &text));
        QVERIFY(!platform::readSymLink(dir.filePath(QStringLiteral("missing")), &text));
    }

    void makeRemovableTouchesOwnerBitsOnly()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("f"));
        const QString folder = dir.filePath(QStringLiteral("d"));
        kytest::writeFile(file, "f");
        QVERIFY(QDir().mkdir(folder));
        QCOMPARE(::chmod(QFile::encodeName(file).constData(), 0444), 0);
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0500), 0);
        QVERIFY(platform::makeRemovable(file));
        QVERIFY(platform::makeRemovable(folder));
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(file).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 07777), 0644);
        QCOMPARE(::stat(QFile::encodeName(folder).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 07777), 0700);
        QVERIFY(!platform::makeRemovable(dir.filePath(QStringLiteral("missing"))));
    }

    void openRegularForReading_data()
    {
        QTest::addColumn<QString>("entry"); // the name opened, in the fixture folder below
        QTest::addColumn<bool>("opens");
        QTest::newRow("regular file") << "file" << true;
        QTest::newRow("link to a regular file") << "link-to-file" << true;
        QTest::newRow("FIFO") << "fifo" << false;
        QTest::newRow("link to a FIFO") << "link-to-fifo" << false;
        QTest::newRow("folder") << "folder" << false;
        QTest::newRow("missing") << "missing" << false;
        QTest::newRow("empty name") << "" << false;
    }

    // Only a regular file opens, and a FIFO without a writer is refused at once rather than
    // waited on (a plain open would block here for ever).
    void openRegularForReading()
    {
        QFETCH(QString, entry);
        QFETCH(bool, opens);
        QTemporaryDir dir;
        kytest::writeFile(dir.filePath(QStringLiteral("file")), "0123456789");
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("fifo"))).constData(), 0600), 0);
        QVERIFY(QDir().mkdir(dir.filePath(QStringLiteral("folder"))));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("file")), dir.filePath(QStringLiteral("link-to-file"))));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("fifo")), dir.filePath(QStringLiteral("link-to-fifo"))));

        QFile file(entry.isEmpty() ? QString() : dir.filePath(entry));
        QCOMPARE(platform::openRegularForReading(file, QIODevice::Unbuffered), opens);
        QCOMPARE(file.isOpen(), opens);
        if (!opens)
            return;
        QVERIFY(file.openMode().testFlag(QIODevice::Unbuffered));
        QVERIFY(!file.isWritable());
        QVERIFY(file.seek(4));
        QCOMPARE(file.readAll(), QByteArray("456789"));
        QCOMPARE(file.size(), qint64(10));
    }
};

KY_TEST_MAIN(TestPlatform)
#include "tst_platform.moc"
