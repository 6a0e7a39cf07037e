#include "browsertest.h"

#include "app/imagefiletree.h"
#include "platform/diskspace.h"

#include <QFile>

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
        chmod(QFile::encodeName(folder).constData(), 0500);
        makeCapture(folder, QStringLiteral(".hidden"));
        QVERIFY(!RemoveFolderTree(folder)); // the hidden entry keeps the folder
        struct stat st;
        QCOMPARE(stat(QFile::encodeName(folder).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0700);
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
