#include "browsertest.h"

#include "app/imagefiletree.h"
#include "platform/diskspace.h"
#include "renamestandin.h"

#include <QFile>
#include <QRegularExpression>

#include <optional>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace browsertest;

namespace {

quint64 gFreeBytes = 0;

bool FakeFreeBytes(const QString &, quint64 *bytes, int *)
{
    *bytes = gFreeBytes;
    return true;
}

// Makes writes of files larger than inBytes fail (EFBIG) while it lives, for root too.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t inBytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limit = saved;
        limit.rlim_cur = inBytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved); }

private:
    rlimit saved{};
};

} // namespace

class TestKyImageFileOperations : public QObject
{
    Q_OBJECT

private:
    // Every test runs in a working folder that holds a canary and a capture of its own: an
    // operation that falls back on the working folder destroys them.
    QTemporaryDir work;
    QString previous;
    QString runs; // the browsed folders live here, inside the working folder
    int serial = 0;

    QString freshFolder()
    {
        const QString folder = runs + QStringLiteral("/run%1").arg(++serial);
        QDir().mkpath(folder);
        return folder;
    }

    std::unique_ptr<KyImageFileListModel> modelOver(const QString &inFolder)
    {
        auto model = std::make_unique<KyImageFileListModel>(nullptr, 10, 10, 10);
        model->SetSortType(kSortType_Name, Qt::AscendingOrder);
        model->SetFolder(inFolder, false);
        if (!scan(*model))
            return nullptr;
        return model;
    }

    static QByteArray bytes(int inSize, char inFill)
    {
        return QByteArray(inSize, inFill);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(work.isValid());
        previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(work.path()));
        kytest::writeFile(work.path() + QStringLiteral("/canary.txt"), "tweet");
        makeCapture(work.path(), QStringLiteral("workcap"), {QStringLiteral("keep.tif")});
        runs = work.path() + QStringLiteral("/runs");
    }

    void cleanup()
    {
        platform::setFreeBytesSource(nullptr);
        QCOMPARE(kytest::readFile(work.path() + QStringLiteral("/canary.txt")), QByteArray("tweet"));
        QCOMPARE(kytest::readFile(work.path() + QStringLiteral("/workcap/keep.tif")), QByteArray("keep.tif"));
    }

    void cleanupTestCase() { QDir::setCurrent(previous); }

    // ---- the operations ----

    void spaceChecks()
    {
        const QString folder = freshFolder();
        for (const QString &name : {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")})
            kytest::writeFile(folder + QLatin1Char('/') + name + QStringLiteral("/img.tif"), bytes(1000000, 'x'));
        const QString destination = freshFolder();
        auto model = modelOver(folder);
        QVERIFY(model);
        model->SelectAll();
        platform::setFreeBytesSource(FakeFreeBytes);
        gFreeBytes = 3001499;
        QCOMPARE(model->PrepareCopy(destination), int(kFileResult_NoSpace));
        QVERIFY(model->Task().mPaths.isEmpty());
        gFreeBytes = 3001500;
        QCOMPARE(model->PrepareCopy(destination), int(kFileResult_Ok));
        QCOMPARE(model->Task().mPaths.size(), 3);
        gFreeBytes = 3099999;
        QCOMPARE(model->CheckCopy(), int(kFileResult_NoSpace));
        gFreeBytes = 3100000;
        QCOMPARE(model->CheckCopy(), int(kFileResult_Ok));

        model->DeselectAll();
        QCOMPARE(model->PrepareCopy(destination), int(kFileResult_Ok));
        QCOMPARE(model->CheckCopy(), int(kFileResult_NoSource));
        QSignalSpy completed(model.get(), &KyImageFileListModel::copyCompleted);
        QCOMPARE(model->StartCopy(), int(kFileResult_Ok));
        QVERIFY(completed.wait(2000));
    }

    void copyWithSubfoldersReplacesSameNamed()
    {
        const QString folder = freshFolder();
        makeCapture(folder, QStringLiteral("cap"), {QStringLiteral("a.tif"), QStringLiteral("sub/b.tif")});
        makeCapture(folder, QStringLiteral("second"), {QStringLiteral("s.tif")});
        const QString destination = freshFolder();
        makeCapture(destination, QStringLiteral("cap"), {QStringLiteral("old.tif")});
        auto model = modelOver(folder);
        QVERIFY(model);
        model->SelectAll();
        QCOMPARE(model->PrepareCopy(destination), int(kFileResult_NameExists));
        QCOMPARE(model->CheckCopy(), int(kFileResult_NameExists));
        QSignalSpy progressed(model.get(), &KyImageFileListModel::copyProgressed);
        QSignalSpy completed(model.get(), &KyImageFileListModel::copyCompleted);
        QCOMPARE(model->StartCopy(), int(kFileResult_Ok));
        // A second start while the job runs would copy the same captures twice at once.
        QCOMPARE(model->StartCopy(), int(kFileResult_Busy));
        QVERIFY(completed.wait(5000));
        QTest::qWait(50);
        QCOMPARE(completed.size(), 1);
        QCOMPARE(progressed.size(), 2);
        QCOMPARE(snapshot(destination + QStringLiteral("/cap")), snapshot(folder + QStringLiteral("/cap")));
        QVERIFY(!QFileInfo::exists(destination + QStringLiteral("/cap/old.tif")));
        QCOMPARE(snapshot(destination).size(), 6); // cap, a, sub, b, second, s: no leftovers
    }

    void copyOfAFileItem()
    {
        const QString source = freshFolder();
        kytest::writeFile(source + QStringLiteral("/single.tif"), "new");
        const QString destination = freshFolder();
        kytest::writeFile(destination + QStringLiteral("/single.tif"), "old");
        CopyTask task({source + QStringLiteral("/single.tif")}, destination);
        QCOMPARE(task.CopyNext(), int(kFileResult_Ok));
        QVERIFY(task.IsDone());
        QCOMPARE(kytest::readFile(destination + QStringLiteral("/single.tif")), QByteArray("new"));
        QCOMPARE(kytest::readFile(source + QStringLiteral("/single.tif")), QByteArray("new"));
    }

    void moveWithAClash()
    {
        const QString folder = freshFolder();
        makeCapture(folder, QStringLiteral("one"));
        makeCapture(folder, QStringLiteral("two"), {QStringLiteral("mine.tif")});
        const QString destination = freshFolder();
        makeCapture(destination, QStringLiteral("two"), {QStringLiteral("theirs.tif")});
        auto model = modelOver(folder);
        QVERIFY(model);
        model->SelectAll();
        QSignalSpy result(model.get(), &KyImageFileListModel::MoveResult);
        QCOMPARE(model->MoveSelected(destination), int(kFileResult_MoveFailed));
        QCOMPARE(result.size(), 1);
        QCOMPARE(result.at(0).at(0).toInt(), 1);
        QCOMPARE(result.at(0).at(1).toInt(), 1);
        QVERIFY(QFileInfo::exists(destination + QStringLiteral("/one/image.tif")));
        QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/one")));
        QCOMPARE(kytest::readFile(folder + QStringLiteral("/two/mine.tif")), QByteArray("mine.tif"));
        QCOMPARE(kytest::readFile(destination + QStringLiteral("/two/theirs.tif")), QByteArray("theirs.tif"));
    }

    void renameFilesAndFolder()
    {
        const QString folder = freshFolder();
        makeCapture(folder, QStringLiteral("Blot1"),
                    {QStringLiteral("Blot1_Ch1.tif"), QStringLiteral("Blot1.txt"), QStringLiteral("notes.txt"),
                     QStringLiteral("blot1-lower.tif")});
        makeCapture(folder, QStringLiteral("Other"));
        auto model = modelOver(folder);
        QVERIFY(model);
        model->SelectByNames({QStringLiteral("Blot1"), QStringLiteral("Other")});
        QCOMPARE(model->RenameSelected(QStringLiteral("Blot2")), int(kFileResult_Ok));
        QCOMPARE(kytest::readFile(folder + QStringLiteral("/Blot2/Blot2_Ch1.tif")), QByteArray("Blot1_Ch1.tif"));
        QCOMPARE(kytest::readFile(folder + QStringLiteral("/Blot2/Blot2.txt")), QByteArray("Blot1.txt"));
        QVERIFY(QFileInfo::exists(folder + QStringLiteral("/Blot2/notes.txt")));
        QVERIFY(QFileInfo::exists(folder + QStringLiteral("/Blot2/blot1-lower.tif")));
        QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/Blot1")));
        QVERIFY(QFileInfo::exists(folder + QStringLiteral("/Other/image.tif")));
    }

    void renameLetterCaseAndClashes()
    {
        const QString folder = freshFolder();
        makeCapture(folder, QStringLiteral("Gel"), {QStringLiteral("Gel_1.tif")});
        makeCapture(folder, QStringLiteral("Blot"));
        auto model = modelOver(folder);
        QVERIFY(model);
        model->SelectByNames({QStringLiteral("Gel")});
        const auto before = snapshot(folder);
        QCOMPARE(model->RenameSelected(QStringLiteral("BLOT")), int(kFileResult_NameExists));
        QCOMPARE(model->RenameSelected(QStringLiteral("Blot")), int(kFileResult_NameExists));
        QCOMPARE(snapshot(folder), before);
        QCOMPARE(model->RenameSelected(QStringLiteral("Gel")), int(kFileResult_Ok));
        QCOMPARE(model->RenameSelected(QStringLiteral("gel")), int(kFileResult_Ok));
        QVERIFY(QFileInfo::exists(folder + QStringLiteral("/gel/gel_1.tif")));
    }

    void deleteWithAReadOnlyFile()
    {
        const QString folder = freshFolder();
        const QString capture = makeCapture(folder, QStringLiteral("cap"), {QStringLiteral("a.tif"), QStringLiteral("sub/b.tif")});
        makeCapture(folder, QStringLiteral("kept"));
        QVERIFY(QFile::setPermissions(capture + QStringLiteral("/a.tif"), QFileDevice::ReadOwner));
        QVERIFY(QFile::setPermissions(capture + QStringLiteral("/sub"), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        auto model = modelOver(folder);
        QVERIFY(model);
        model->SelectByNames({QStringLiteral("cap")});
        QCOMPARE(model->DeleteSelected(), int(kFileResult_Ok));
        QVERIFY(!QFileInfo::exists(capture));
        QVERIFY(QFileInfo::exists(folder + QStringLiteral("/kept/image.tif")));
    }

    void clearingReadOnlyNeverWidensOthers()
    {
        const QString file = freshFolder() + QStringLiteral("/f");
        kytest::writeFile(file, "x");
        QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        QVERIFY(RemoveFolderTree(QFileInfo(file).absolutePath()));
        const QString folder = freshFolder();
        kytest::writeFile(folder + QStringLiteral("/g"), "x");
        QVERIFY(QFile::setPermissions(folder + QStringLiteral("/g"), QFileDevice::ReadOwner));
        kytest::writeFile(folder + QStringLiteral("/locked"), "x");
        const Unremovable locked(folder + QStringLiteral("/locked"));
        if (!locked.ok())
            QSKIP("cannot mark a file unremovable here");
        chmod(QFile::encodeName(folder).constData(), 0500);
        QVERIFY(!RemoveFolderTree(folder)); // the locked file keeps the folder
        struct stat st;
        QCOMPARE(stat(QFile::encodeName(folder).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0700);
    }

    // Hidden entries, links and special files belong to the capture like any other: a copy that
    // left one out would be reported whole, and a delete that left one could not remove the folder.
    void everyEntryIsCopiedAndDeleted_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("copies");
        QTest::newRow("hidden file") << "hidden file" << true;
        QTest::newRow("hidden folder") << "hidden folder" << true;
        QTest::newRow("link within the capture") << "relative link" << true;
        QTest::newRow("dangling link") << "dangling link" << true;
        QTest::newRow("link to a folder elsewhere") << "outside link" << true;
        QTest::newRow("pipe") << "pipe" << false;
    }

    void everyEntryIsCopiedAndDeleted()
    {
        QFETCH(QString, entry);
        QFETCH(bool, copies);
        const QString folder = freshFolder();
        const QString capture = makeCapture(folder, QStringLiteral("cap"), {QStringLiteral("a.tif"), QStringLiteral("sub/b.tif")});
        makeCapture(folder, QStringLiteral("kept"));
        const QString outside = makeCapture(freshFolder(), QStringLiteral("elsewhere"), {QStringLiteral("o.tif")});
        if (entry == QLatin1String("hidden file"))
            kytest::writeFile(capture + QStringLiteral("/.hidden_notes"), "notes");
        else if (entry == QLatin1String("hidden folder"))
            kytest::writeFile(capture + QStringLiteral("/sub/.thumbs/t.png"), "thumb");
        else if (entry == QLatin1String("relative link"))
            QVERIFY(platform::makeSymLink("a.tif", capture + QStringLiteral("/latest.tif")));
        else if (entry == QLatin1String("dangling link"))
            QVERIFY(platform::makeSymLink("nowhere/x.tif", capture + QStringLiteral("/gone.tif")));
        else if (entry == QLatin1String("outside link"))
            QVERIFY(platform::makeSymLink(QFile::encodeName(outside), capture + QStringLiteral("/sub/ext")));
        else if (entry == QLatin1String("pipe"))
            QCOMPARE(::mkfifo(QFile::encodeName(capture + QStringLiteral("/pipe")).constData(), 0600), 0);
        const auto source = snapshot(capture);
        const auto elsewhere = snapshot(outside);
        const QString destination = freshFolder();
        auto model = modelOver(folder);
        QVERIFY(model);
        model->SelectByNames({QStringLiteral("cap")});

        QCOMPARE(model->PrepareCopy(destination), int(kFileResult_Ok));
        QSignalSpy completed(model.get(), &KyImageFileListModel::copyCompleted);
        QSignalSpy failed(model.get(), &KyImageFileListModel::copyFailed);
        model->StartCopy();
        QVERIFY(QTest::qWaitFor([&] { return !completed.isEmpty() || !failed.isEmpty(); }, 5000));
        if (copies) {
            QCOMPARE(completed.size(), 1);
            QCOMPARE(snapshot(destination + QStringLiteral("/cap")), source);
        } else {
            // A pipe cannot be copied: the copy fails and leaves nothing behind.
            QCOMPARE(failed.size(), 1);
            QCOMPARE(failed.at(0).at(0).toInt(), int(kFileResult_CopyFailed));
            QVERIFY(snapshot(destination).isEmpty());
        }

        QCOMPARE(model->DeleteSelected(), int(kFileResult_Ok));
        auto left = snapshot(folder);
        QCOMPARE(left.keys(), (QStringList{QStringLiteral("kept"), QStringLiteral("kept/image.tif")}));
        QCOMPARE(snapshot(outside), elsewhere); // a link is removed, never followed
    }

    // A delete that cannot finish never leaves a capture listed without part of its images: the
    // capture leaves the list in one step, and the warning names what is left, and where.
    void unfinishedDeleteLeavesNoHalfCapture()
    {
        const QString folder = freshFolder();
        const QString capture = makeCapture(folder, QStringLiteral("cap"),
                                            {QStringLiteral("a.tif"), QStringLiteral("b.tif"), QStringLiteral("sub/z.tif")});
        makeCapture(folder, QStringLiteral("kept"));
        auto model = modelOver(folder);
        QVERIFY(model);
        model->SelectByNames({QStringLiteral("cap")});
        const Unremovable locked(capture + QStringLiteral("/sub/z.tif"));
        if (!locked.ok())
            QSKIP("cannot mark a file unremovable here");
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("^Could not remove all of .*/cap - left in .*/\\.cap\\.deleted-[0-9]+-0 : sub, sub/z\\.tif$")));
        QCOMPARE(model->DeleteSelected(), int(kFileResult_DeleteFailed));
        QVERIFY(!QFileInfo::exists(capture));
        QVERIFY(scan(*model));
        QCOMPARE(names(*model), QStringList{QStringLiteral("kept")});
    }

    // A capture that cannot leave its folder is not touched at all.
    void deleteInALockedFolderKeepsTheCaptureWhole()
    {
        const QString folder = freshFolder();
        makeCapture(folder, QStringLiteral("cap"), {QStringLiteral("a.tif"), QStringLiteral("sub/b.tif")});
        auto model = modelOver(folder);
        QVERIFY(model);
        model->SelectByNames({QStringLiteral("cap")});
        const auto before = snapshot(folder);
        const Unremovable locked(folder);
        if (!locked.ok())
            QSKIP("cannot mark a folder unremovable here");
        QCOMPARE(model->DeleteSelected(), int(kFileResult_DeleteFailed));
        QCOMPARE(snapshot(folder), before);
    }

    // Where the file system refuses renameat2's no-replace flag (FUSE, NFS), copy, move and
    // rename still work, and still never overwrite.
    void operationsWhereTheNoReplaceFlagIsRefused_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::newRow("copy") << "copy";
        QTest::newRow("copy over a same-named capture") << "copy over";
        QTest::newRow("move") << "move";
        QTest::newRow("move onto a same-named capture") << "move onto";
        QTest::newRow("rename") << "rename";
    }

    void operationsWhereTheNoReplaceFlagIsRefused()
    {
        QFETCH(QString, operation);
        const QString folder = freshFolder();
        makeCapture(folder, QStringLiteral("Blot1"), {QStringLiteral("Blot1_Ch.tif"), QStringLiteral(".notes")});
        const QString destination = freshFolder();
        if (operation == QLatin1String("copy over") || operation == QLatin1String("move onto"))
            makeCapture(destination, QStringLiteral("Blot1"), {QStringLiteral("theirs.tif")});
        const auto source = snapshot(folder + QStringLiteral("/Blot1"));
        const auto there = snapshot(destination);
        auto model = modelOver(folder);
        QVERIFY(model);
        model->SelectAll();
        const kytest::RenameStandIn standIn(kytest::refuseTheFlag);

        if (operation.startsWith(QLatin1String("copy"))) {
            model->PrepareCopy(destination);
            QSignalSpy completed(model.get(), &KyImageFileListModel::copyCompleted);
            model->StartCopy();
            QVERIFY(completed.wait(5000));
            QCOMPARE(snapshot(destination + QStringLiteral("/Blot1")), source);
            QCOMPARE(snapshot(destination).size(), source.size() + 1); // no hidden leftovers
            QCOMPARE(snapshot(folder + QStringLiteral("/Blot1")), source);
        } else if (operation == QLatin1String("move")) {
            QCOMPARE(model->MoveSelected(destination), int(kFileResult_Ok));
            QCOMPARE(snapshot(destination + QStringLiteral("/Blot1")), source);
            QVERIFY(snapshot(folder).isEmpty());
        } else if (operation == QLatin1String("move onto")) {
            QCOMPARE(model->MoveSelected(destination), int(kFileResult_MoveFailed));
            QCOMPARE(snapshot(destination), there);
            QCOMPARE(snapshot(folder + QStringLiteral("/Blot1")), source);
        } else {
            QCOMPARE(model->RenameSelected(QStringLiteral("Blot2")), int(kFileResult_Ok));
            QCOMPARE(snapshot(folder).keys(),
                     (QStringList{QStringLiteral("Blot2"), QStringLiteral("Blot2/.notes"), QStringLiteral("Blot2/Blot2_Ch.tif")}));
        }
    }

    // A move to another file system (a USB stick) copies, checks the copy, and only then takes the
    // source away.
    void moveToAnotherFileSystem()
    {
        const QString folder = freshFolder();
        const QString one = makeCapture(folder, QStringLiteral("one"),
                                        {QStringLiteral("a.tif"), QStringLiteral("sub/b.tif"), QStringLiteral(".notes")});
        QVERIFY(platform::makeSymLink("a.tif", one + QStringLiteral("/latest.tif")));
        makeCapture(folder, QStringLiteral("two"), {QStringLiteral("t.tif")});
        const QString stick = freshFolder();
        kytest::otherFileSystem = QFile::encodeName(stick);
        const auto before = snapshot(folder);
        auto model = modelOver(folder);
        QVERIFY(model);
        model->SelectAll();
        const kytest::RenameStandIn standIn(kytest::renameAcrossOtherFileSystem);
        QSignalSpy result(model.get(), &KyImageFileListModel::MoveResult);
        QCOMPARE(model->MoveSelected(stick), int(kFileResult_Ok));
        QCOMPARE(result.size(), 1);
        QCOMPARE(result.at(0).at(0).toInt(), 2);
        QCOMPARE(result.at(0).at(1).toInt(), 0);
        QCOMPARE(snapshot(stick), before);
        QVERIFY(snapshot(folder).isEmpty());
    }

    // Whatever fails on the way, the source stays as it was and the other side keeps nothing.
    void failedMoveToAnotherFileSystemKeepsTheSource_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("name taken there") << "name taken";
        QTest::newRow("copy cannot be written") << "write fails";
        QTest::newRow("pipe in the capture") << "pipe";
        QTest::newRow("source cannot leave its folder") << "source locked";
    }

    void failedMoveToAnotherFileSystemKeepsTheSource()
    {
        QFETCH(QString, failure);
        const QString folder = freshFolder();
        const QString capture = makeCapture(folder, QStringLiteral("cap"), {QStringLiteral("a.tif"), QStringLiteral("sub/b.tif")});
        kytest::writeFile(capture + QStringLiteral("/big.tif"), bytes(300000, 'b'));
        const QString stick = freshFolder();
        kytest::otherFileSystem = QFile::encodeName(stick);
        if (failure == QLatin1String("name taken"))
            makeCapture(stick, QStringLiteral("cap"), {QStringLiteral("theirs.tif")});
        else if (failure == QLatin1String("pipe"))
            QCOMPARE(::mkfifo(QFile::encodeName(capture + QStringLiteral("/pipe")).constData(), 0600), 0);
        auto model = modelOver(folder);
        QVERIFY(model);
        model->SelectAll();
        model->StopWatching();
        const auto before = snapshot(work.path());
        std::optional<Unremovable> locked;
        std::optional<FileSizeLimit> limit;
        if (failure == QLatin1String("source locked")) {
            locked.emplace(folder);
            if (!locked->ok())
                QSKIP("cannot mark a folder unremovable here");
        } else if (failure == QLatin1String("write fails")) {
            limit.emplace(100000);
        }
        const kytest::RenameStandIn standIn(kytest::renameAcrossOtherFileSystem);
        QSignalSpy result(model.get(), &KyImageFileListModel::MoveResult);
        QCOMPARE(model->MoveSelected(stick), int(kFileResult_MoveFailed));
        QCOMPARE(result.at(0).at(0).toInt(), 0);
        QCOMPARE(result.at(0).at(1).toInt(), 1);
        limit.reset();
        locked.reset();
        QCOMPARE(snapshot(work.path()), before);
    }

    // The same on a real second file system, where the machine has one.
    void moveToARealSecondFileSystem()
    {
        QTemporaryDir stick(QStringLiteral("/dev/shm/ky-stick-XXXXXX"));
        struct stat here;
        struct stat there;
        if (!stick.isValid() || ::stat(QFile::encodeName(runs).constData(), &here) != 0
            || ::stat(QFile::encodeName(stick.path()).constData(), &there) != 0 || here.st_dev == there.st_dev)
            QSKIP("no second file system at /dev/shm");
        const QString folder = freshFolder();
        makeCapture(folder, QStringLiteral("cap"), {QStringLiteral("a.tif"), QStringLiteral(".notes")});
        const auto before = snapshot(folder);
        auto model = modelOver(folder);
        QVERIFY(model);
        model->SelectAll();
        QCOMPARE(model->MoveSelected(stick.path()), int(kFileResult_Ok));
        QCOMPARE(snapshot(stick.path()), before);
        QVERIFY(snapshot(folder).isEmpty());
    }

    // ---- faults that would have destroyed data ----

    void vanishedCaptureIsRefusedEverywhere()
    {
        const QString folder = freshFolder();
        makeCapture(folder, QStringLiteral("gone"));
        makeCapture(folder, QStringLiteral("kept"));
        const QString destination = freshFolder();
        auto model = modelOver(folder);
        QVERIFY(model);
        model->SelectByNames({QStringLiteral("gone")});
        model->StopWatching();
        QVERIFY(QDir(folder + QStringLiteral("/gone")).removeRecursively());
        const auto before = snapshot(work.path());

        QCOMPARE(model->DeleteSelected(), int(kFileResult_DeleteFailed));
        QCOMPARE(model->RenameSelected(QStringLiteral("x")), int(kFileResult_NotFound));
        QSignalSpy moved(model.get(), &KyImageFileListModel::MoveResult);
        QCOMPARE(model->MoveSelected(destination), int(kFileResult_MoveFailed));
        QCOMPARE(moved.at(0).at(1).toInt(), 1);
        QCOMPARE(model->PrepareCopy(destination), int(kFileResult_Ok));
        QSignalSpy failed(model.get(), &KyImageFileListModel::copyFailed);
        model->StartCopy();
        QVERIFY(failed.wait(2000));
        QCOMPARE(failed.at(0).at(0).toInt(), int(kFileResult_NotFound));
        QCOMPARE(snapshot(work.path()), before);
    }

    void emptyPathsNeverMeanTheWorkingFolder()
    {
        const auto before = snapshot(work.path());
        QVERIFY(ImageFileInfoItem(QString()).Path().isEmpty());
        QVERIFY(!RemoveFolderTree(QString()));
        QVERIFY(!RemoveFolderTree(QStringLiteral("workcap")));
        QVERIFY(!RemoveEmptyFolder(QString()));
        QVERIFY(!CopyFolderTree(QString(), freshFolder()));
        QVERIFY(!CopyFolderTree(work.path() + QStringLiteral("/workcap"), QString()));
        QCOMPARE(CopyTask({QString()}, runs).CopyNext(), int(kFileResult_NotFound));
        QCOMPARE(CopyTask({work.path() + QStringLiteral("/workcap")}, QString()).Check(), int(kFileResult_NoParent));
        KyImageFileListModel model(nullptr, 10, 10, 10);
        QCOMPARE(model.DeleteItem(QStringLiteral("workcap")), int(kFileResult_DeleteFailed));
        QCOMPARE(model.MoveSelected(QString()), int(kFileResult_Ok));
        auto after = snapshot(work.path());
        after.remove(QStringLiteral("runs/run%1").arg(serial));
        QCOMPARE(after, before);
    }

    void copyIntoItsOwnParentOrItselfIsRefused()
    {
        const QString folder = freshFolder();
        makeCapture(folder, QStringLiteral("cap"), {QStringLiteral("a.tif"), QStringLiteral("sub/b.tif")});
        auto model = modelOver(folder);
        QVERIFY(model);
        model->SelectAll();
        const auto before = snapshot(work.path());
        for (const QString &destination : {folder, folder + QStringLiteral("/cap"), folder + QStringLiteral("/cap/sub"),
                                           folder + QStringLiteral("/cap/../cap/sub")}) {
            model->PrepareCopy(destination);
            QSignalSpy failed(model.get(), &KyImageFileListModel::copyFailed);
            model->StartCopy();
            QVERIFY2(failed.wait(2000), qPrintable(destination));
            QCOMPARE(failed.at(0).at(0).toInt(), int(kFileResult_CopyFailed));
            QCOMPARE(snapshot(work.path()), before);
        }
        // A file copied onto itself, and a folder that holds the source under the target's name.
        QCOMPARE(CopyTask({folder + QStringLiteral("/cap/a.tif")}, folder + QStringLiteral("/cap")).CopyNext(),
                 int(kFileResult_CopyFailed));
        const QString nested = makeCapture(folder, QStringLiteral("x/x"), {QStringLiteral("n.tif")});
        QVERIFY(!CopyFolderTree(nested, folder));
        QCOMPARE(kytest::readFile(nested + QStringLiteral("/n.tif")), QByteArray("n.tif"));
    }

    void failedCopyKeepsTheOldSameNamedCopy()
    {
        const QString folder = freshFolder();
        makeCapture(folder, QStringLiteral("cap"), {QStringLiteral("small.tif")});
        kytest::writeFile(folder + QStringLiteral("/cap/big.tif"), bytes(300000, 'b'));
        const QString destination = freshFolder();
        makeCapture(destination, QStringLiteral("cap"), {QStringLiteral("old.tif")});
        const auto before = snapshot(work.path());
        {
            const FileSizeLimit limit(100000);
            QCOMPARE(CopyTask({folder + QStringLiteral("/cap")}, destination).CopyNext(), int(kFileResult_CopyFailed));
            kytest::writeFile(destination + QStringLiteral("/single.tif"), "old");
            QVERIFY(!CopyFileInto(folder + QStringLiteral("/cap/big.tif"), destination + QStringLiteral("/cap")));
        }
        auto after = snapshot(work.path());
        after.remove(QStringLiteral("runs/run%1/single.tif").arg(serial));
        QCOMPARE(after, before);
    }

    void renameRefusesNamesOutsideTheFolder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << "";
        QTest::newRow("dot") << ".";
        QTest::newRow("dot dot") << "..";
        QTest::newRow("up and over") << "../x";
        QTest::newRow("below") << "a/b";
        QTest::newRow("other capture's files") << "Taken";
    }
    void renameRefusesNamesOutsideTheFolder()
    {
        QFETCH(QString, name);
        const QString folder = freshFolder();
        makeCapture(folder, QStringLiteral("Cap"), {QStringLiteral("Cap_1.tif"), QStringLiteral("Taken_1.tif")});
        makeCapture(folder, QStringLiteral("a"));
        auto model = modelOver(folder);
        QVERIFY(model);
        model->SelectByNames({QStringLiteral("Cap")});
        const auto before = snapshot(work.path());
        QVERIFY(model->RenameSelected(name) != kFileResult_Ok);
        QCOMPARE(snapshot(work.path()), before);
    }

    void renameRollsBackWhenTheFolderCannotMove()
    {
        const QString folder = freshFolder();
        makeCapture(folder, QStringLiteral("Cap"), {QStringLiteral("Cap_1.tif"), QStringLiteral("Cap_2.tif")});
        kytest::writeFile(folder + QStringLiteral("/New"), "a file, not a capture");
        auto model = modelOver(folder);
        QVERIFY(model);
        model->SelectByNames({QStringLiteral("Cap")});
        const auto before = snapshot(work.path());
        QCOMPARE(model->RenameSelected(QStringLiteral("New")), int(kFileResult_RenameFailed));
        QCOMPARE(snapshot(work.path()), before);
    }

    void deleteItemJoinsWithASeparator()
    {
        const QString folder = freshFolder();
        makeCapture(folder, QStringLiteral("cap1"));
        makeCapture(runs, QFileInfo(folder).fileName() + QStringLiteral("cap1"));
        KyImageFileListModel model(nullptr, 10, 10, 10);
        model.SetFolder(folder, false);
        const auto before = snapshot(work.path());
        for (const QString &name : {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("/cap1"),
                                    QStringLiteral("../run1")})
            QCOMPARE(model.DeleteItem(name), int(kFileResult_DeleteFailed));
        QCOMPARE(snapshot(work.path()), before);
        QCOMPARE(model.DeleteItem(QStringLiteral("cap1")), int(kFileResult_Ok));
        QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/cap1")));
        QVERIFY(QFileInfo::exists(folder + QStringLiteral("cap1/image.tif")));
    }
};

KY_TEST_MAIN(TestKyImageFileOperations)
#include "tst_kyimagefileoperations.moc"
