// A save of a capture as one whole: saves stopped by SIGKILL at each step leave the capture with
// one analysis (all old or all new) and nothing the open takes for a capture file; a save into a
// new folder leaves the folder whole or absent; what a cut-off save left is rolled forward or
// removed; one save of a capture at a time across processes; reports of an analysis that is gone
// go with it.

#include "lockholder.h"
#include "multifixtures.h"
#include "savedfiles.h"
#include "testmain.h"

#include "core/fileutility.h"
#include "document/kycapturefiles.h"
#include "document/kycapturesave.h"
#include "document/kydocument.h"
#include "image/tiffcodec.h"
#include "platform/capturelock.h"
#include "platform/safefileops.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtConcurrent>

#include <memory>

using namespace multitest;

namespace {

const QString kOld = QStringLiteral("old analysis");
const QString kNew = QStringLiteral("new analysis");

struct ProbeRun
{
    bool killed = false;
    QString out;
};

// Runs the save probe on a capture: its comment and lanes, and where it is stopped.
ProbeRun runProbe(const QString &inFolder, const QString &inTarget, const QString &inComment, int inLanes,
                  const QString &inStop = QString())
{
    QProcess process;
    QStringList arguments{inFolder, inTarget, inComment, QString::number(inLanes)};
    if (!inStop.isEmpty())
        arguments << inStop;
    process.start(QStringLiteral(KY_CAPTURE_SAVE_PROBE), arguments);
    ProbeRun run;
    // A save held for its summary PDF is killed there.
    if (inStop.startsWith(QLatin1String("hold:"))) {
        while (!process.canReadLine() && process.waitForReadyRead(60000)) {
        }
        process.kill();
    }
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        run.out = QStringLiteral("<no end>");
        return run;
    }
    run.killed = process.exitStatus() == QProcess::CrashExit;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    return run;
}

// The comment each file of the capture carries: the channel images' "Comment" item and the first
// line of the analysis report, as "file: comment".
QStringList commentsIn(const QString &inFolder)
{
    QStringList comments;
    const QDir folder(inFolder);
    for (const QString &name : KyCaptureFiles::CaptureFileNames(inFolder)) {
        QMap<QString, QString> items;
        comments << name + QStringLiteral(": ")
                        + (readTiffTags(folder.filePath(name), items) ? items.value(QStringLiteral("Comment"))
                                                                       : QStringLiteral("<unreadable>"));
    }
    for (const QString &name : folder.entryList({QStringLiteral("*.csv")}, QDir::Files, QDir::Name)) {
        const QByteArray report = kytest::readBytes(folder.filePath(name));
        comments << name + QStringLiteral(": ") + QString::fromLatin1(report.left(report.indexOf('\n'))).section(QLatin1Char(','), 1);
    }
    return comments;
}

QStringList allSay(const QStringList &inComments, const QString &inComment)
{
    QStringList expected;
    for (const QString &entry : inComments)
        expected << entry.section(QStringLiteral(": "), 0, 0) + QStringLiteral(": ") + inComment;
    return expected;
}

// Entries the save machinery leaves: staging folders and journals, and whole-file temporaries.
QStringList leftoversIn(const QString &inFolder)
{
    QStringList found;
    for (const QString &entry : kytest::treeOf(inFolder)) {
        if (entry.contains(QLatin1String(".ky-saving")) || QFileInfo(entry).suffix().size() == 6)
            found << entry;
    }
    return found;
}

// A three-channel capture saved once in place with the old comment and two lanes, so that it holds
// an analysis report as well; its folder.
QString savedCapture(const QString &inParent)
{
    const QString folder = writeFluorCapture(inParent);
    if (folder.isEmpty() || runProbe(folder, QStringLiteral("-"), kOld, 2).out != QLatin1String("result 0"))
        return QString();
    return folder;
}

QString lockFileOf(const QString &inFolder)
{
    return platform::CaptureLock::lockFilePath(FileUtility::ResolvedPath(inFolder));
}

// Whether some other open file holds the capture's lock.
bool isLocked(const QString &inFolder)
{
    platform::CaptureLock probe(FileUtility::ResolvedPath(inFolder));
    return probe.lock(0) == platform::CaptureLock::kBusy;
}

// The base path a save in place writes under: the first image's path without its suffix.
QString basePathOf(const KyDocument &inDocument)
{
    const QString first = inDocument.FilePathOfFirstImage();
    return first.left(first.lastIndexOf(QLatin1Char('.')));
}

// The files of a folder the open and the user see (no hidden ones), with their bytes.
QMap<QString, QByteArray> visibleFiles(const QString &inFolder)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(inFolder).entryList(QDir::Files))
        files.insert(name, kytest::readBytes(QDir(inFolder).filePath(name)));
    return files;
}

} // namespace

class TestKyCaptureSave : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir mLocks;

private slots:
    void initTestCase()
    {
        QVERIFY(mLocks.isValid());
        // The capture locks of this test and of its probes, apart from every other program's.
        qputenv("KY_INSTANCE_LOCK_DIR", QFile::encodeName(mLocks.path()));
    }

    // A save in place stopped anywhere: the capture reopens with one analysis in every channel and
    // in the report, the file names it had, and no staging left once it has been opened.
    void killedSaveInPlace_data()
    {
        QTest::addColumn<QString>("stop");
        QTest::addColumn<QString>("expected");
        QTest::newRow("after the first channel") << "progress:1" << kOld;
        QTest::newRow("after the second channel") << "progress:2" << kOld;
        QTest::newRow("after the third channel") << "progress:3" << kOld;
        QTest::newRow("after the composite") << "progress:4" << kOld;
        QTest::newRow("after the report") << "progress:5" << kNew;
        QTest::newRow("journal written") << "step:journal:1" << kNew;
        QTest::newRow("first file renamed") << "step:rename:1" << kNew;
        QTest::newRow("fourth file renamed") << "step:rename:4" << kNew;
        QTest::newRow("while its summary PDF is written") << "hold:%PDF- new summary" << kOld;
        QTest::newRow("not stopped") << "" << kNew;
    }

    void killedSaveInPlace()
    {
        QFETCH(QString, stop);
        QFETCH(QString, expected);
        QTemporaryDir temp;
        const QString folder = savedCapture(temp.filePath(QStringLiteral("in")));
        QVERIFY(!folder.isEmpty());
        const QStringList names = KyCaptureFiles::CaptureFileNames(folder);
        QCOMPARE(names.size(), 3);
        QCOMPARE(commentsIn(folder).size(), 4);
        QCOMPARE(commentsIn(folder), allSay(commentsIn(folder), kOld));

        const QStringList reports = QDir(folder).entryList({QStringLiteral("*.csv")}, QDir::Files);
        QCOMPARE(reports.size(), 1);
        const QString pdf = QDir(folder).filePath(reports.first().chopped(3) + QStringLiteral("pdf"));
        QVERIFY(kytest::writeBytes(pdf, "%PDF- old summary"));

        const ProbeRun run = runProbe(folder, QStringLiteral("-"), kNew, 3, stop);
        QCOMPARE(run.killed, !stop.isEmpty());
        // Cut off while it put its files in place: the open completes it.
        if (stop.startsWith(QLatin1String("step:")))
            QVERIFY(QFileInfo::exists(KyCaptureSave::StagingFolderIn(folder)));

        const std::unique_ptr<KyDocument> reopened(KyDocument::Create(folder));
        QVERIFY(reopened);
        QCOMPARE(reopened->ValidImageCount(), 3);
        QCOMPARE(reopened->Comment(), expected);
        QCOMPARE(reopened->LaneFrame().laneCount(), expected == kOld ? 2 : 3);
        QCOMPARE(KyCaptureFiles::CaptureFileNames(folder), names);
        const QStringList comments = commentsIn(folder);
        QCOMPARE(comments.size(), 4);
        QCOMPARE(comments, allSay(comments, expected));
        // A save with an analysis leaves the summary PDF to the window; the one held with its new
        // summary PDF was killed before anything went in.
        QCOMPARE(kytest::readBytes(pdf), QByteArray("%PDF- old summary"));
        QCOMPARE(leftoversIn(temp.path()), QStringList());
    }

    // A save-as into a new folder stopped anywhere: the folder is whole or not there at all, and
    // the next save-as to it goes through.
    void killedSaveAsIntoANewFolder_data()
    {
        QTest::addColumn<QString>("stop");
        QTest::addColumn<bool>("made");
        QTest::newRow("after the first channel") << "progress:1" << false;
        QTest::newRow("after the third channel") << "progress:3" << false;
        QTest::newRow("after the composite") << "progress:4" << false;
        QTest::newRow("before the folder takes its name") << "step:folder:1" << false;
        QTest::newRow("after the report") << "progress:5" << true;
    }

    void killedSaveAsIntoANewFolder()
    {
        QFETCH(QString, stop);
        QFETCH(bool, made);
        QTemporaryDir temp;
        const QString folder = savedCapture(temp.filePath(QStringLiteral("in")));
        QVERIFY(!folder.isEmpty());
        const QString copy = temp.filePath(QStringLiteral("out/copy_Fl"));
        const QString target = copy + QStringLiteral("/copy_Fl");

        QVERIFY(runProbe(folder, target, kNew, 3, stop).killed);
        QCOMPARE(QFileInfo::exists(copy), made);
        // What the open lists of the folder beside: the saved capture, or nothing.
        QCOMPARE(QDir(temp.filePath(QStringLiteral("out"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 made ? QStringList{QStringLiteral("copy_Fl")} : QStringList());
        if (made) {
            const std::unique_ptr<KyDocument> reopened(KyDocument::Create(copy));
            QVERIFY(reopened);
            QCOMPARE(reopened->ValidImageCount(), 3);
            QCOMPARE(reopened->Comment(), kNew);
            return;
        }
        QCOMPARE(runProbe(folder, target, kNew, 3).out, QStringLiteral("result 0"));
        const std::unique_ptr<KyDocument> saved(KyDocument::Create(copy));
        QVERIFY(saved);
        QCOMPARE(saved->ValidImageCount(), 3);
        QCOMPARE(leftoversIn(temp.path()), QStringList());
    }

    // Another save of the capture holds its lock: a second save waits, goes on when the first one
    // ends, and gives up with its own code when it does not end in time, having changed nothing
    // (not even the first save's temporary files).
    void secondSaveWaits_data()
    {
        QTest::addColumn<QString>("holder");
        QTest::addColumn<bool>("released");
        QTest::newRow("lock held, released soon") << "lock" << true;
        QTest::newRow("lock held for longer than the wait") << "lock" << false;
        QTest::newRow("another process's save held for its PDF") << "save" << false;
        QTest::newRow("another process's save held for its PDF, then done") << "save" << true;
    }

    void secondSaveWaits()
    {
        QFETCH(QString, holder);
        QFETCH(bool, released);
        QTemporaryDir temp;
        const QString folder = savedCapture(temp.filePath(QStringLiteral("in")));
        QVERIFY(!folder.isEmpty());
        const QString channel = QDir(folder).filePath(KyCaptureFiles::CaptureFileNames(folder).first());
        QVERIFY(kytest::writeBytes(channel + QStringLiteral(".AbCdEf"), "another save's file in the making"));

        std::unique_ptr<kytest::LockHolder> lock;
        QProcess save;
        if (holder == QLatin1String("lock")) {
            lock = std::make_unique<kytest::LockHolder>(lockFileOf(folder));
            QVERIFY(lock->started());
        } else {
            save.start(QStringLiteral(KY_CAPTURE_SAVE_PROBE),
                       {folder, QStringLiteral("-"), QStringLiteral("first save"), QStringLiteral("4"),
                        QStringLiteral("hold:%PDF- first")});
            QVERIFY(save.waitForReadyRead(20000));
            QCOMPARE(save.readLine().trimmed(), QByteArray("held"));
        }
        QVERIFY(kytest::waitUntil([&] { return isLocked(folder); }));
        const QMap<QString, QByteArray> before = visibleFiles(folder);

        ProbeMultiDocument doc(folder);
        QVERIFY(doc.SetComment(kNew));
        QElapsedTimer waited;
        waited.start();
        QFuture<int> second = QtConcurrent::run([&doc] { return doc.SaveAs(basePathOf(doc)); });
        QTest::qWait(300);
        QVERIFY(!second.isFinished());
        if (released) {
            if (lock) {
                lock->end();
            } else {
                save.write("\n");
                QVERIFY(save.waitForBytesWritten(5000));
            }
        }
        second.waitForFinished();
        if (!released) {
            QCOMPARE(second.result(), KyDocument::kSaveBusy);
            QVERIFY(waited.elapsed() >= KyCaptureSave::kLockWaitMs - 50);
            QVERIFY(doc.IsSaveRefusedAsBusy());
            QVERIFY(doc.IsDirty());
            QCOMPARE(visibleFiles(folder), before);
            if (!lock) {
                save.write("\n");
                QVERIFY(save.waitForFinished(20000));
                QCOMPARE(save.readAll().trimmed(), QByteArray("result 0"));
                const QStringList comments = commentsIn(folder);
                QCOMPARE(comments, allSay(comments, QStringLiteral("first save")));
            }
            return;
        }
        QCOMPARE(second.result(), 0);
        QVERIFY(!doc.IsSaveRefusedAsBusy());
        const QStringList comments = commentsIn(folder);
        QCOMPARE(comments, allSay(comments, kNew));
        if (!lock) {
            QVERIFY(save.waitForFinished(20000));
            QCOMPARE(save.readAll().trimmed(), QByteArray("result 0"));
            // The first save's summary PDF is there; the second save had an analysis and left it.
            QCOMPARE(kytest::readBytes(basePathOf(doc) + QStringLiteral(".pdf")), QByteArray("%PDF- first"));
        }
    }

    // Two windows of one capture, each with its own change, saving at the same moment: both saves
    // succeed one after the other, and every file holds the same one of the two.
    void racingSavesNeverMix()
    {
        QTemporaryDir temp;
        const QString folder = savedCapture(temp.filePath(QStringLiteral("in")));
        QVERIFY(!folder.isEmpty());
        for (int round = 0; round < 6; ++round) {
            ProbeMultiDocument first(folder);
            ProbeMultiDocument second(folder);
            QVERIFY(first.SetComment(QStringLiteral("first")));
            QVERIFY(second.SetComment(QStringLiteral("second")));
            first.SetDefaultLanes(3, 0.8);
            first.ExtractLaneProfiles();
            const QString base = basePathOf(first);
            QFuture<int> a = QtConcurrent::run([&first, base] { return first.SaveAs(base); });
            QFuture<int> b = QtConcurrent::run([&second, base] { return second.SaveAs(base); });
            QCOMPARE(a.result(), 0);
            QCOMPARE(b.result(), 0);
            const QStringList comments = commentsIn(folder);
            QVERIFY2(comments == allSay(comments, QStringLiteral("first"))
                         || comments == allSay(comments, QStringLiteral("second")),
                     qPrintable(comments.join(QStringLiteral("; "))));
            QCOMPARE(leftoversIn(folder), QStringList());
        }
    }

    // A save without an analysis removes the report and the summary PDF of the analysis the
    // capture had; one that keeps its analysis writes the report anew and leaves the PDF to the
    // window.
    void reportsFollowTheAnalysis_data()
    {
        QTest::addColumn<bool>("clearAnalysis");
        QTest::newRow("analysis cleared") << true;
        QTest::newRow("analysis kept") << false;
    }

    void reportsFollowTheAnalysis()
    {
        QFETCH(bool, clearAnalysis);
        QTemporaryDir temp;
        const QString folder = savedCapture(temp.filePath(QStringLiteral("in")));
        QVERIFY(!folder.isEmpty());
        ProbeMultiDocument doc(folder);
        QVERIFY(doc.HasAnalysis());
        const QString base = basePathOf(doc);
        QVERIFY(QFileInfo(base + QStringLiteral(".csv")).isFile());
        QVERIFY(kytest::writeBytes(base + QStringLiteral(".pdf"), "%PDF- old summary"));
        if (clearAnalysis)
            doc.SetLaneCount(5);
        else
            QVERIFY(doc.SetComment(kNew));
        QCOMPARE(doc.HasAnalysis(), !clearAnalysis);

        QCOMPARE(doc.SaveAs(base), 0);
        QCOMPARE(QFileInfo::exists(base + QStringLiteral(".csv")), !clearAnalysis);
        QCOMPARE(QFileInfo::exists(base + QStringLiteral(".pdf")), !clearAnalysis);
        if (!clearAnalysis) {
            QCOMPARE(commentsIn(folder).last(), QFileInfo(base).fileName() + QStringLiteral(".csv: ") + kNew);
            QCOMPARE(kytest::readBytes(base + QStringLiteral(".pdf")), QByteArray("%PDF- old summary"));
        }
        const std::unique_ptr<KyDocument> reopened(KyDocument::Create(folder));
        QVERIFY(reopened);
        QCOMPARE(reopened->LaneFrame().laneCount(), clearAnalysis ? 5 : 2);
        QCOMPARE(leftoversIn(folder), QStringList());
    }

    // The files a save replaces keep their permissions, as with every whole-file write.
    void replacedFilesKeepTheirPermissions()
    {
        QTemporaryDir temp;
        const QString folder = savedCapture(temp.filePath(QStringLiteral("in")));
        QVERIFY(!folder.isEmpty());
        const QString channel = QDir(folder).filePath(KyCaptureFiles::CaptureFileNames(folder).last());
        QVERIFY(QFile::setPermissions(channel, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        const QFile::Permissions before = QFile::permissions(channel);
        QCOMPARE(runProbe(folder, QStringLiteral("-"), kNew, 3).out, QStringLiteral("result 0"));
        QCOMPARE(QFile::permissions(channel), before);
        const QStringList comments = commentsIn(folder);
        QCOMPARE(comments, allSay(comments, kNew));
    }

    // A save held for the caller's own file (the summary PDF): nothing is in place and the capture
    // stays locked until the caller installs the lot, or drops it.
    void heldSaveGoesInWhole_data()
    {
        QTest::addColumn<bool>("install");
        QTest::newRow("installed") << true;
        QTest::newRow("dropped") << false;
    }

    void heldSaveGoesInWhole()
    {
        QFETCH(bool, install);
        QTemporaryDir temp;
        const QString folder = savedCapture(temp.filePath(QStringLiteral("in")));
        QVERIFY(!folder.isEmpty());
        ProbeMultiDocument doc(folder);
        const QString base = basePathOf(doc);
        const QString pdf = base + QStringLiteral(".pdf");
        QVERIFY(kytest::writeBytes(pdf, "%PDF- old summary"));
        const QMap<QString, QByteArray> before = visibleFiles(folder);
        QVERIFY(doc.SetComment(kNew));

        doc.HoldNextSave();
        QCOMPARE(doc.SaveAs(base), 0);
        QCOMPARE(visibleFiles(folder), before);
        QVERIFY(isLocked(folder));
        const QString staged = doc.StagedSavePath(pdf);
        QVERIFY(!staged.isEmpty());
        QVERIFY(staged != pdf);
        QVERIFY(kytest::writeBytes(staged, "%PDF- new summary"));

        QCOMPARE(doc.FinishHeldSave(install), install);
        QVERIFY(!isLocked(folder));
        const QStringList comments = commentsIn(folder);
        QCOMPARE(comments, allSay(comments, install ? kNew : kOld));
        QCOMPARE(kytest::readBytes(pdf), QByteArray(install ? "%PDF- new summary" : "%PDF- old summary"));
        QCOMPARE(leftoversIn(folder), QStringList());
        // The hold is over: the next save puts its files in place by itself.
        QCOMPARE(doc.StagedSavePath(pdf), pdf);
        QCOMPARE(doc.SaveAs(base), 0);
        QCOMPARE(commentsIn(folder), allSay(comments, kNew));
    }

    // What a save that was cut off left in a capture folder, as the next open finds it: a journal
    // whose files are all there, staged or already in their places, is rolled forward; anything
    // else is removed and the capture stays as it was. The journal is read from the disk: names in
    // it never reach outside the folder.
    void leftoversOfACutOffSave_data()
    {
        QTest::addColumn<QString>("journal");       // complete, none, wrong size, cut short, outside
        QTest::addColumn<QStringList>("renamed");   // staged files already in their places
        QTest::addColumn<QStringList>("gone");      // staged files that vanished
        QTest::addColumn<QStringList>("expected");  // the capture folder's files after the open

        const QStringList oldFiles{"a.tif=old a", "b.jpg=old b", "c.csv=old c"};
        const QStringList newFiles{"a.tif=new a", "b.jpg=new b"};
        QTest::newRow("journal, nothing renamed yet") << "complete" << QStringList{} << QStringList{} << newFiles;
        QTest::newRow("journal, one file renamed") << "complete" << QStringList{"a.tif"} << QStringList{} << newFiles;
        QTest::newRow("journal, every file renamed")
            << "complete" << QStringList{"a.tif", "b.jpg"} << QStringList{} << newFiles;
        QTest::newRow("staged file gone") << "complete" << QStringList{} << QStringList{"b.jpg"} << oldFiles;
        QTest::newRow("staged file of another size") << "wrong size" << QStringList{} << QStringList{} << oldFiles;
        QTest::newRow("staged files, no journal") << "none" << QStringList{} << QStringList{} << oldFiles;
        QTest::newRow("journal cut short") << "cut short" << QStringList{} << QStringList{} << oldFiles;
        QTest::newRow("journal leading out of the folder") << "outside" << QStringList{} << QStringList{} << oldFiles;
    }

    void leftoversOfACutOffSave()
    {
        QFETCH(QString, journal);
        QFETCH(QStringList, renamed);
        QFETCH(QStringList, gone);
        QFETCH(QStringList, expected);
        QTemporaryDir temp;
        const QString folder = temp.filePath(QStringLiteral("capture"));
        const QString staging = KyCaptureSave::StagingFolderIn(folder);
        const QString beside = KyCaptureSave::StagingFolderBeside(folder);
        for (const QString &name : {QStringLiteral("a.tif"), QStringLiteral("b.jpg"), QStringLiteral("c.csv")})
            QVERIFY(kytest::writeBytes(folder + QLatin1Char('/') + name, "old " + name.left(1).toLatin1()));
        for (const QString &name : {QStringLiteral("a.tif"), QStringLiteral("b.jpg")})
            QVERIFY(kytest::writeBytes(staging + QLatin1Char('/') + name, "new " + name.left(1).toLatin1()));
        const auto entry = [&](const QString &inName, const QString &inTarget, const QString &inSize) {
            return QStringLiteral(R"({"staged":"%1","target":"%2","size":"%3","identity":"%4"})")
                .arg(inName, inTarget, inSize)
                .arg(platform::fileIdentity(staging + QLatin1Char('/') + inName));
        };
        const QString complete = QStringLiteral(R"({"renames":[%1,%2],"removals":["c.csv"]})")
                                     .arg(entry("a.tif", "a.tif", "5"), entry("b.jpg", "b.jpg", "5"));
        QString text;
        if (journal == QLatin1String("complete"))
            text = complete;
        else if (journal == QLatin1String("wrong size"))
            text = QStringLiteral(R"({"renames":[%1,%2],"removals":["c.csv"]})")
                       .arg(entry("a.tif", "a.tif", "5"), entry("b.jpg", "b.jpg", "9"));
        else if (journal == QLatin1String("cut short"))
            text = complete.left(complete.size() - 20);
        else if (journal == QLatin1String("outside"))
            text = QStringLiteral(R"({"renames":[%1],"removals":["../outside.csv"]})")
                       .arg(entry("a.tif", "../outside.tif", "5"));
        if (!text.isEmpty())
            QVERIFY(kytest::writeBytes(staging + QStringLiteral("/journal"), text.toUtf8()));
        for (const QString &name : renamed)
            QVERIFY(platform::renameReplacing(staging + QLatin1Char('/') + name, folder + QLatin1Char('/') + name));
        for (const QString &name : gone)
            QVERIFY(QFile::remove(staging + QLatin1Char('/') + name));
        QVERIFY(kytest::writeBytes(temp.filePath(QStringLiteral("outside.tif")), "outside"));
        QVERIFY(kytest::writeBytes(temp.filePath(QStringLiteral("outside.csv")), "outside"));
        // And the staging of a save-as whose folder never took its name.
        QVERIFY(kytest::writeBytes(beside + QStringLiteral("/a.tif"), "new a"));

        // No capture in these files: the open finds nothing to open, and clears up all the same.
        QVERIFY(!std::unique_ptr<KyDocument>(KyDocument::Create(folder)));
        QStringList files;
        const QMap<QString, QByteArray> found = visibleFiles(folder);
        for (auto it = found.cbegin(); it != found.cend(); ++it)
            files << it.key() + QLatin1Char('=') + QString::fromLatin1(it.value());
        QCOMPARE(files, expected);
        QVERIFY(!QFileInfo::exists(staging));
        QVERIFY(!QFileInfo::exists(beside));
        QCOMPARE(kytest::readBytes(temp.filePath(QStringLiteral("outside.tif"))), QByteArray("outside"));
        QCOMPARE(kytest::readBytes(temp.filePath(QStringLiteral("outside.csv"))), QByteArray("outside"));
    }
};

KY_TEST_MAIN_WITH(QGuiApplication, TestKyCaptureSave)
#include "tst_kycapturesave.moc"
