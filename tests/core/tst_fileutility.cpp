#include "syncedpaths.h"
#include "testmain.h"

#include "core/fileutility.h"
#include "platform/cabinetextractor.h"
#include "platform/filesync.h"

#include <QDir>
#include <QDirIterator>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <csignal>
#include <sys/resource.h>

using kytest::readFile;
using kytest::SyncedPaths;
using kytest::writeFile;

namespace {

// Every entry below a folder, relative and sorted, hidden ones and links included.
QStringList entriesBelow(const QString &inFolder)
{
    QStringList entries;
    QDirIterator it(inFolder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << QDir(inFolder).relativeFilePath(it.next());
    entries.sort();
    return entries;
}

} // namespace

class TestFileUtility : public QObject
{
    Q_OBJECT

private slots:
    void liesWithin_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("within");
        QTest::newRow("itself") << "a" << "a" << true;
        QTest::newRow("below") << "a/sub" << "a" << true;
        QTest::newRow("below, not yet made") << "a/sub/new/deeper" << "a" << true;
        QTest::newRow("through dot dot") << "b/../a/sub" << "a" << true;
        QTest::newRow("through a link") << "link/sub" << "a" << true;
        QTest::newRow("name prefix only") << "ab" << "a" << false;
        QTest::newRow("parent") << "." << "a" << false;
        QTest::newRow("empty path") << "" << "a" << false;
        QTest::newRow("empty folder") << "a" << "" << false;
    }
    void liesWithin()
    {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QFETCH(bool, within);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("a/sub")));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("ab")));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("b")));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("a")), dir.filePath(QStringLiteral("link"))));
        const auto inDir = [&](const QString &name) {
            return name.isEmpty() ? name : dir.path() + QLatin1Char('/') + name;
        };
        QCOMPARE(FileUtility::LiesWithin(inDir(path), inDir(folder)), within);
    }

    void flushFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.tif"));
        writeFile(path, "abc");
        QVERIFY(FileUtility::FlushFile(path));
        QVERIFY(!FileUtility::FlushFile(QString()));
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^error: 2 CreateFile\\(\\) in FileUtiity::FlushFile\\(\\): .*missing$")));
        QVERIFY(!FileUtility::FlushFile(dir.filePath(QStringLiteral("missing"))));
    }

    void flushDrive_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("flushed");
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("relative") << QStringLiteral("data/x.tif") << false;
        QTest::newRow("absolute file") << QStringLiteral("@/x.tif") << true;
        QTest::newRow("backslashes") << QStringLiteral("@\\x.tif") << true;
        QTest::newRow("root") << QStringLiteral("/") << true;
    }

    void flushDrive()
    {
        QFETCH(QString, path);
        QFETCH(bool, flushed);
        QTemporaryDir dir;
        path.replace(QLatin1Char('@'), dir.path());
        QCOMPARE(FileUtility::FlushDrive(path), flushed);
    }

    // A replacement reaches the disk before the rename; one whose last buffered bytes cannot be
    // written (here a file-size limit, as a full disk would) leaves the old file as it was.
    void commitSaveFile_data()
    {
        QTest::addColumn<qint64>("sizeLimit");
        QTest::addColumn<bool>("committed");
        QTest::newRow("no limit") << qint64(0) << true;
        QTest::newRow("last buffered bytes refused") << qint64(50) << false;
    }

    void commitSaveFile()
    {
        QFETCH(qint64, sizeLimit);
        QFETCH(bool, committed);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("report.csv"));
        writeFile(path, "old");
        const QByteArray replacement(100, 'n');

        const quint64 syncsBefore = platform::syncCount();
        bool result = false;
        {
            QSaveFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            rlimit previous{};
            void (*previousHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
            getrlimit(RLIMIT_FSIZE, &previous);
            if (sizeLimit > 0) {
                rlimit limit = previous;
                limit.rlim_cur = rlim_t(sizeLimit);
                QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
            }
            QCOMPARE(file.write(replacement), qint64(replacement.size())); // still in the buffer
            result = FileUtility::CommitSaveFile(file, "test");
            setrlimit(RLIMIT_FSIZE, &previous);
            std::signal(SIGXFSZ, previousHandler);
        }
        QCOMPARE(result, committed);
        QCOMPARE(readFile(path), committed ? replacement : QByteArray("old"));
        // The data and then its folder were synced; nothing but the target is left.
        QCOMPARE(platform::syncCount() - syncsBefore >= 2, committed);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("report.csv")});
    }

    void makePathFor_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("created");
        QTest::newRow("nested, trailing slash") << QStringLiteral("@/a/b/c/") << QStringLiteral("@/a/b/c");
        QTest::newRow("nested, no trailing slash") << QStringLiteral("@/a/b") << QStringLiteral("@/a/b");
        QTest::newRow("backslashes") << QStringLiteral("@\\d\\e") << QStringLiteral("@/d/e");
        QTest::newRow("relative") << QStringLiteral("rel/x") << QStringLiteral("@/rel/x");
        QTest::newRow("single relative name") << QStringLiteral("single") << QStringLiteral("@/single");
    }

    void makePathFor()
    {
        QFETCH(QString, path);
        QFETCH(QString, created);
        QTemporaryDir dir;
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(dir.path());
        path.replace(QLatin1Char('@'), dir.path());
        created.replace(QLatin1Char('@'), dir.path());
        QVERIFY(FileUtility::MakePathFor(path));
        QVERIFY(QFileInfo(created).isDir());
        // An existing folder is success too.
        QVERIFY(FileUtility::MakePathFor(path));
        QDir::setCurrent(cwd);
    }

    // Each folder made is named in its parent; that name survives a power cut only once the
    // parent is synced. Folders that were there already cost nothing.
    void makePathForSyncsTheParentOfEachNewFolder()
    {
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("a"))));
        const QString root = QFileInfo(dir.path()).canonicalFilePath();
        {
            const SyncedPaths synced;
            QVERIFY(FileUtility::MakePathFor(root + QStringLiteral("/a/b/c/d/")));
            QCOMPARE(synced.list(), (QStringList{root + QStringLiteral("/a"), root + QStringLiteral("/a/b"),
                                                 root + QStringLiteral("/a/b/c")}));
        }
        {
            const SyncedPaths synced;
            QVERIFY(FileUtility::MakePathFor(root + QStringLiteral("/a/b/c/d")));
            QCOMPARE(synced.list(), QStringList());
        }
        // Relative to the working folder, the same.
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(root);
        {
            const SyncedPaths synced;
            QVERIFY(FileUtility::MakePathFor(QStringLiteral("rel/x")));
            QCOMPARE(synced.list(), (QStringList{root, root + QStringLiteral("/rel")}));
        }
        QDir::setCurrent(cwd);
    }

    void makePathForTopLevelStaysOutOfWorkingFolder()
    {
        QTemporaryDir dir;
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(dir.path());
        const QString name = QStringLiteral("kytest-top-level-%1").arg(QCoreApplication::applicationPid());
        const bool made = FileUtility::MakePathFor(QLatin1Char('/') + name);
        QVERIFY(!QFileInfo::exists(dir.filePath(name)));
        QCOMPARE(made, QFileInfo(QLatin1Char('/') + name).isDir());
        if (made)
            QDir(QLatin1String("/")).rmdir(name);
        QDir::setCurrent(cwd);
    }

    void directorySizeAgreesWithFind()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("a.tif")), QByteArray(1000, 'a'));
        writeFile(dir.filePath(QStringLiteral("sub/b.tif")), QByteArray(2345, 'b'));
        writeFile(dir.filePath(QStringLiteral("sub/deeper/c.txt")), QByteArray(17, 'c'));
        writeFile(dir.filePath(QStringLiteral("sub/empty")), QByteArray());
        // Hidden entries and links are not part of a capture's size.
        writeFile(dir.filePath(QStringLiteral(".hidden")), QByteArray(50000, 'h'));
        writeFile(dir.filePath(QStringLiteral(".hiddendir/x")), QByteArray(777, 'x'));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("a.tif")), dir.filePath(QStringLiteral("link.tif"))));

        const QString found = kytest::runProgram(QStringLiteral("find"),
            {dir.path(), QStringLiteral("-mindepth"), QStringLiteral("1"), QStringLiteral("("), QStringLiteral("-name"), QStringLiteral(".*"),
             QStringLiteral("-prune"), QStringLiteral(")"), QStringLiteral("-o"), QStringLiteral("-type"), QStringLiteral("f"),
             QStringLiteral("-printf"), QStringLiteral("%s\\n")});
        qint64 expected = 0;
        for (const QString &line : found.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            expected += line.toLongLong();
        QCOMPARE(expected, qint64(1000 + 2345 + 17));
        QCOMPARE(FileUtility::DirectorySize(dir.path()), expected);
        QCOMPARE(FileUtility::DirectorySize(dir.filePath(QStringLiteral("missing"))), qint64(0));
    }

    void freeDiskSpaceAgreesWithDf()
    {
        QTemporaryDir dir;
        const quint64 ours = FileUtility::FreeDiskSpace(dir.path());
        const QStringList lines = kytest::runProgram(QStringLiteral("df"), {QStringLiteral("-B1"), QStringLiteral("--output=avail"), dir.path()})
                                      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        const quint64 theirs = lines.at(1).trimmed().toULongLong();
        const quint64 slack = 64ull << 20;
        QVERIFY(ours + slack >= theirs && theirs + slack >= ours);

        QTest::ignoreMessage(QtDebugMsg, "error: GetDiskFreeSpaceEx() -> 2");
        QCOMPARE(FileUtility::FreeDiskSpace(QStringLiteral("/no/such/folder")), quint64(0));
    }

    void removeDirectoryRemovesHiddenFilesAndNeverFollowsLinks()
    {
        QTemporaryDir outside;
        const QString keptFile = outside.filePath(QStringLiteral("kept.tif"));
        writeFile(keptFile, "keep me");
        writeFile(outside.filePath(QStringLiteral("keptdir/inner.tif")), "keep me too");

        QTemporaryDir dir;
        const QString tree = dir.filePath(QStringLiteral("tree"));
        writeFile(tree + QStringLiteral("/.dotfile"), "hidden");
        writeFile(tree + QStringLiteral("/sub/.hidden/x"), "hidden too");
        writeFile(tree + QStringLiteral("/sub/a.tif"), "a");
        QVERIFY(QFile::link(keptFile, tree + QStringLiteral("/link-to-file")));
        QVERIFY(QFile::link(outside.filePath(QStringLiteral("keptdir")), tree + QStringLiteral("/sub/link-to-dir")));
        QVERIFY(QFile::link(outside.filePath(QStringLiteral("gone")), tree + QStringLiteral("/dangling")));

        QVERIFY(FileUtility::RemoveDirectory(tree));
        QVERIFY(!QFileInfo::exists(tree));
        QCOMPARE(readFile(keptFile), QByteArray("keep me"));
        QCOMPARE(readFile(outside.filePath(QStringLiteral("keptdir/inner.tif"))), QByteArray("keep me too"));

        QVERIFY(FileUtility::RemoveDirectory(dir.filePath(QStringLiteral("missing"))));
    }

    void removeDirectoryOfALinkRemovesOnlyTheLink()
    {
        QTemporaryDir outside, dir;
        writeFile(outside.filePath(QStringLiteral("inner.tif")), "keep");
        const QString link = dir.filePath(QStringLiteral("link"));
        QVERIFY(QFile::link(outside.path(), link));
        QVERIFY(FileUtility::RemoveDirectory(link));
        QVERIFY(!QFileInfo(link).isSymLink());
        QCOMPARE(readFile(outside.filePath(QStringLiteral("inner.tif"))), QByteArray("keep"));
    }

    void copyDirectory_data()
    {
        QTest::addColumn<bool>("recursive");
        QTest::newRow("recursive") << true;
        QTest::newRow("flat") << false;
    }

    void copyDirectory()
    {
        QFETCH(bool, recursive);
        QTemporaryDir dir;
        const QString src = dir.filePath(QStringLiteral("src")), dst = dir.filePath(QStringLiteral("new/dst"));
        writeFile(src + QStringLiteral("/a.tif"), "a");
        writeFile(src + QStringLiteral("/.settings"), "hidden");
        writeFile(src + QStringLiteral("/sub/b.tif"), "b");
        QVERIFY(QFile::link(src, src + QStringLiteral("/sub/loop")));

        QVERIFY(FileUtility::CopyDirectory(src, dst, recursive));
        QCOMPARE(readFile(dst + QStringLiteral("/a.tif")), QByteArray("a"));
        QCOMPARE(readFile(dst + QStringLiteral("/.settings")), QByteArray("hidden"));
        QCOMPARE(QFileInfo::exists(dst + QStringLiteral("/sub/b.tif")), recursive);
        if (recursive)
            QVERIFY(QFileInfo(dst + QStringLiteral("/sub/loop")).isSymLink());

        // A second copy meets existing files and stops.
        QVERIFY(!FileUtility::CopyDirectory(src, dst, recursive));
        QVERIFY(!FileUtility::CopyDirectory(dir.filePath(QStringLiteral("missing")), dst, recursive));
    }

    // A destination that is the source, or lies inside it by any path, would be listed while it is
    // filled and copied into itself without end: refused before anything is made.
    void copyDirectoryRefusesADestinationInsideTheSource_data()
    {
        QTest::addColumn<QString>("destination");
        QTest::addColumn<bool>("copied");
        QTest::newRow("the source") << QStringLiteral("@/src") << false;
        QTest::newRow("the source, trailing slash") << QStringLiteral("@/src/") << false;
        QTest::newRow("a new folder inside") << QStringLiteral("@/src/copy") << false;
        QTest::newRow("new folders deeper inside") << QStringLiteral("@/src/sub/x/y") << false;
        QTest::newRow("inside, by backslashes") << QStringLiteral("@\\src\\copy") << false;
        QTest::newRow("inside, through dot-dot") << QStringLiteral("@/other/../src/copy") << false;
        QTest::newRow("inside, through a link") << QStringLiteral("@/into-src/copy") << false;
        QTest::newRow("inside, through a link to a parent") << QStringLiteral("@/src/sub/up/src/copy") << false;
        QTest::newRow("a sibling sharing the name's start") << QStringLiteral("@/src2") << true;
        QTest::newRow("beside, through dot-dot") << QStringLiteral("@/src/../copy") << true;
    }

    void copyDirectoryRefusesADestinationInsideTheSource()
    {
        QFETCH(QString, destination);
        QFETCH(bool, copied);
        QTemporaryDir dir;
        const QString src = dir.filePath(QStringLiteral("src"));
        writeFile(src + QStringLiteral("/a.tif"), "a");
        writeFile(src + QStringLiteral("/sub/b.tif"), "b");
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("other"))));
        QVERIFY(QFile::link(src, dir.filePath(QStringLiteral("into-src"))));
        QVERIFY(QFile::link(dir.path(), src + QStringLiteral("/sub/up")));
        destination.replace(QLatin1Char('@'), dir.path());
        const QStringList before = entriesBelow(src);

        QCOMPARE(FileUtility::CopyDirectory(src, destination, true), copied);
        if (copied) {
            QCOMPARE(entriesBelow(src), before);
            QCOMPARE(readFile(FileUtility::Slashed(destination) + QStringLiteral("/sub/b.tif")), QByteArray("b"));
        } else {
            QCOMPARE(entriesBelow(src), before);
        }
        // The source through a link is the source as well.
        QVERIFY(!FileUtility::CopyDirectory(dir.filePath(QStringLiteral("into-src")), src + QStringLiteral("/copy"), true));
        QCOMPARE(entriesBelow(src), before);
    }

    // A target that is a link stays one: the file it names gets the new content, and the folder
    // synced after the rename is that file's, where the rename happened.
    void commitSaveFileThroughALink()
    {
        QTemporaryDir dir;
        const QString real = QFileInfo(dir.path()).canonicalFilePath() + QStringLiteral("/real");
        writeFile(real + QStringLiteral("/x.csv"), "old");
        const QString link = dir.filePath(QStringLiteral("links/x.csv"));
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("links"))));
        QVERIFY(QFile::link(real + QStringLiteral("/x.csv"), link));
        QCOMPARE(FileUtility::ReplacedFile(link), real + QStringLiteral("/x.csv"));
        QCOMPARE(FileUtility::ReplacedFile(real + QStringLiteral("/x.csv")), real + QStringLiteral("/x.csv"));

        const SyncedPaths synced;
        QSaveFile file(link);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write("new"), qint64(3));
        QVERIFY(FileUtility::CommitSaveFile(file, "test"));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(readFile(real + QStringLiteral("/x.csv")), QByteArray("new"));
        QCOMPARE(synced.list(), QStringList{real});
        QCOMPARE(entriesBelow(real), QStringList{QStringLiteral("x.csv")});
    }

    // What an interrupted replacement leaves is named by Qt's rule for temporary files; only such
    // names of the target's own go, beside the file a link names when the target is a link.
    void removeStaleSaveFiles()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("2026.12.10_12.00.00_Ch.tif"));
        writeFile(target, "image");
        // Leftovers as QSaveFile names them (mixed-case letters), written whole.
        const QStringList stray{QStringLiteral("2026.12.10_12.00.00_Ch.tif.qAzWsX"),
                                QStringLiteral("2026.12.10_12.00.00_Ch.tif.MnBvCx"),
                                QStringLiteral("2026.12.10_12.00.00_Ch.tif.aBcdef")};
        for (const QString &name : stray)
            writeFile(dir.filePath(name), "complete new image");
        // The user's own copies read as words and are kept whatever their case.
        const QStringList kept{QStringLiteral("2026.12.10_12.00.00_Ch.tif"), QStringLiteral("2026.12.10_12.00.00_Ch.tif.bak"),
                               QStringLiteral("2026.12.10_12.00.00_Ch.tif.ABCDEFG"), QStringLiteral("2026.12.10_12.00.00_Ch.tif.ABC1EF"),
                               QStringLiteral("2026.12.10_12.00.00_Ch.tif.ABCDE"), QStringLiteral("2026.12.10_12.00.00_Ch.tifABCDEF"),
                               QStringLiteral("2026.12.10_12.00.00_Ch.jpg.ABCDEF"), QStringLiteral("2026.12.10_12.00.00_Ch.tif.backup"),
                               QStringLiteral("2026.12.10_12.00.00_Ch.tif.BACKUP"), QStringLiteral("2026.12.10_12.00.00_Ch.tif.Backup"),
                               QStringLiteral("2026.12.10_12.00.00_Ch.tif.QwErTy"), QStringLiteral("2026.12.10_12.00.00_Ch.tif.ZxCvBn")};
        for (const QString &name : kept.mid(1, 9))
            writeFile(dir.filePath(name), "keep");
        QVERIFY(QDir().mkpath(dir.filePath(kept.at(10))));                     // a folder
        QVERIFY(QFile::link(dir.filePath(kept.at(1)), dir.filePath(kept.at(11)))); // a link
        QStringList all = kept + stray;
        all.sort();
        QCOMPARE(entriesBelow(dir.path()), all);

        QVERIFY(FileUtility::RemoveStaleSaveFiles(target));
        QStringList sorted = kept;
        sorted.sort();
        QCOMPARE(entriesBelow(dir.path()), sorted);

        // Through a link: the leftovers lie beside the file it names.
        QTemporaryDir other;
        const QString link = other.filePath(QStringLiteral("link.tif"));
        QVERIFY(QFile::link(target, link));
        const QString leftover = target + QStringLiteral(".pLoKiJ");
        writeFile(leftover, "complete new image");
        QVERIFY(FileUtility::RemoveStaleSaveFiles(link));
        QVERIFY(!QFileInfo::exists(leftover));
        QCOMPARE(entriesBelow(dir.path()), sorted);
    }

    void isWritableFolder()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("t")), "occupied");
        QVERIFY(FileUtility::IsWritableFolder(dir.path()));
        QCOMPARE(readFile(dir.filePath(QStringLiteral("t"))), QByteArray("occupied"));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("tt"))));
        QVERIFY(!FileUtility::IsWritableFolder(dir.filePath(QStringLiteral("missing"))));
    }

    void driveLetterFromMask_data()
    {
        QTest::addColumn<quint32>("mask");
        QTest::addColumn<QChar>("letter");
        QTest::newRow("C") << quint32(0x4) << QChar(u'C');
        QTest::newRow("none") << quint32(0) << QChar(u'0');
        QTest::newRow("A and C: lowest wins") << quint32(0x5) << QChar(u'A');
        QTest::newRow("Z") << quint32(1u << 25) << QChar(u'Z');
        QTest::newRow("beyond Z") << quint32(1u << 26) << QChar(u'0');
    }

    void driveLetterFromMask()
    {
        QFETCH(quint32, mask);
        QFETCH(QChar, letter);
        QCOMPARE(FileUtility::DriveLetterFromMask(mask), letter);
    }

    void extractCabinet_data()
    {
        QTest::addColumn<QString>("cabinet");
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("output");
        QTest::newRow("empty destination") << QStringLiteral("@/a.cab") << QString() << QStringLiteral("exit 0") << 1 << QString();
        QTest::newRow("empty cabinet") << QString() << QStringLiteral("@/out") << QStringLiteral("exit 0") << 1 << QString();
        QTest::newRow("missing cabinet") << QStringLiteral("@/missing.cab") << QStringLiteral("@/out") << QStringLiteral("exit 0") << 2 << QString();
        QTest::newRow("no extractor") << QStringLiteral("@/a.cab") << QStringLiteral("@/out") << QString() << 3 << QString();
        QTest::newRow("success, arguments") << QStringLiteral("@/a.cab") << QStringLiteral("@/out")
                                            << QStringLiteral("echo \"$1|$2|$3\"") << 0 << QStringLiteral("-d|@/out|@/a.cab\n");
        QTest::newRow("failure exit code") << QStringLiteral("@/a.cab") << QStringLiteral("@/out")
                                           << QStringLiteral("echo partial; exit 3") << 7 << QStringLiteral("partial\n");
    }

    void extractCabinet()
    {
        QFETCH(QString, cabinet);
        QFETCH(QString, destination);
        QFETCH(QString, script);
        QFETCH(int, code);
        QFETCH(QString, output);

        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("a.cab")), "MSCF");
        const QString program = dir.filePath(QStringLiteral("extractor.sh"));
        if (!script.isEmpty()) {
            writeFile(program, "#!/bin/sh\n" + script.toUtf8() + "\n");
            QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        platform::CabinetExtractor::setProgram(program);
        for (QString *s : {&cabinet, &destination, &output})
            s->replace(QLatin1Char('@'), dir.path());

        QString text = QStringLiteral("stale");
        QCOMPARE(FileUtility::ExtractCabinet(cabinet, destination, text), code);
        QCOMPARE(text, output);
        platform::CabinetExtractor::setProgram(QString());
    }
};

KY_TEST_MAIN(TestFileUtility)
#include "tst_fileutility.moc"
