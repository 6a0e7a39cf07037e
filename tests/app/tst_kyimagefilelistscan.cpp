#include "browsertest.h"

#include "core/kyviewmode.h"
#include "image/imagefile.h"
#include "image/tiffcodec.h"
#include "widgets/kyitemroles.h"

#include <QAbstractItemModelTester>
#include <QDateTime>
#include <QFile>
#include <QScopeGuard>
#include <QThread>

#include <sys/time.h>

using namespace browsertest;

class TestKyImageFileListScan : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    int serial = 0;

    QString freshFolder()
    {
        const QString folder = dir.path() + QStringLiteral("/f%1").arg(++serial);
        QDir().mkpath(folder);
        return folder;
    }

    static void setModified(const QString &inPath, const QDateTime &inTime)
    {
        // QFile cannot open a folder to set its time.
        const timeval times[2] = {{time_t(inTime.toSecsSinceEpoch()), 0}, {time_t(inTime.toSecsSinceEpoch()), 0}};
        QCOMPARE(::utimes(QFile::encodeName(inPath).constData(), times), 0);
    }

    static void makeNumbered(const QString &inFolder, int inFrom, int inTo)
    {
        for (int i = inFrom; i < inTo; ++i)
            makeCapture(inFolder, QStringLiteral("cap%1").arg(i, 2, 10, QLatin1Char('0')));
    }

private slots:
    void unfilteredScanListsSubfoldersOnly()
    {
        const QString folder = freshFolder();
        makeCapture(folder, QStringLiteral("b"));
        makeCapture(folder, QStringLiteral("A"), {});
        makeCapture(folder, QStringLiteral(".hidden"));
        kytest::writeFile(folder + QStringLiteral("/loose.tif"), "x");
        QVERIFY(QFile::link(folder + QStringLiteral("/b"), folder + QStringLiteral("/link")));
        KyImageFileListModel model(nullptr, 10, 10, 1);
        model.SetSortType(kSortType_Name, Qt::AscendingOrder);
        model.SetFolder(folder, false);
        QVERIFY(scan(model));
        QCOMPARE(names(model), (QStringList{QStringLiteral("A"), QStringLiteral("b")}));
        for (const ImageFileInfoItem &item : model.Items())
            QVERIFY(QFileInfo(item.Path()).isAbsolute());
    }

    void emptyFolderListsNothing()
    {
        // The working folder has sub-folders, and QDir("") would list them.
        const QString work = freshFolder();
        makeCapture(work, QStringLiteral("workcap"));
        const QString previous = QDir::currentPath();
        QDir::setCurrent(work);
        KyImageFileListModel model(nullptr, 10, 10, 10);
        model.SetFolder(QString(), false);
        QVERIFY(scan(model));
        QDir::setCurrent(previous);
        QCOMPARE(model.TotalCount(), 0);
    }

    void filterByNameAndDescription()
    {
        const QString folder = freshFolder();
        makeCapture(folder, QStringLiteral("byname"), {QStringLiteral("Gel_01.tif")});
        makeCapture(folder, QStringLiteral("other"), {QStringLiteral("blot.tif")});
        makeCapture(folder, QStringLiteral("notiff"), {QStringLiteral("gel.txt")});
        const QString described = makeCapture(folder, QStringLiteral("bydescription"), {});
        ImageFile image;
        image.Resize(4, 4);
        image.SetComment(QStringLiteral("Western GEL 3"));
        QVERIFY(writeTiffFile(described + QStringLiteral("/x"), image));
        QVERIFY(KyImageFileListModel::MatchImageDescription(described + QStringLiteral("/x.tif"),
                                                            QStringLiteral("gel 3")));
        // Only the value after '=' of the first line: the key itself does not match.
        QVERIFY(!KyImageFileListModel::MatchImageDescription(described + QStringLiteral("/x.tif"),
                                                             QStringLiteral("Comment")));
        QVERIFY(!KyImageFileListModel::MatchImageDescription(folder + QStringLiteral("/byname/Gel_01.tif"),
                                                             QStringLiteral("Gel")));

        KyImageFileListModel model(nullptr, 10, 10, 10);
        model.SetSortType(kSortType_Name, Qt::AscendingOrder);
        model.SetFolder(folder, false);
        QVERIFY(model.SetFilter(QStringLiteral("gel"), false));
        QVERIFY(scan(model));
        QCOMPARE(names(model), (QStringList{QStringLiteral("bydescription"), QStringLiteral("byname")}));
    }

    void maxCountKeepsTheNewestByModification()
    {
        const QString folder = freshFolder();
        const QDateTime base = QDateTime::currentDateTime().addDays(-1);
        for (int i = 0; i < 5; ++i) {
            const QString path = makeCapture(folder, QStringLiteral("m%1").arg(i), {QStringLiteral("m.tif")});
            setModified(path, base.addSecs(60 * i));
        }
        KyImageFileListModel model(nullptr, 10, 10, 3);
        model.SetSortType(kSortType_Name, Qt::AscendingOrder);
        model.SetFolder(folder, false);
        model.SetFilter(QStringLiteral("m"), false);
        QVERIFY(scan(model));
        // QDir::Time lists the newest first.
        QCOMPARE(names(model), (QStringList{QStringLiteral("m2"), QStringLiteral("m3"), QStringLiteral("m4")}));
    }

    void selectionCarriesOverUnchangedCaptures()
    {
        const QString folder = freshFolder();
        makeNumbered(folder, 0, 3);
        KyImageFileListModel model(nullptr, 10, 10, 10);
        model.SetSortType(kSortType_Name, Qt::AscendingOrder);
        model.SetFolder(folder, false);
        QVERIFY(scan(model));
        model.SelectAll();
        // A file added to cap01 changes its folder's modification time.
        kytest::writeFile(folder + QStringLiteral("/cap01/new.tif"), "n");
        setModified(folder + QStringLiteral("/cap01"), QDateTime::currentDateTime().addSecs(5));
        QSignalSpy count(&model, &KyImageFileListModel::selectedCountChanged);
        QVERIFY(scan(model));
        QCOMPARE(count.last().at(0).toInt(), 2);
        QVERIFY(model.Items().at(0).IsSelected());
        QVERIFY(!model.Items().at(1).IsSelected());
        QVERIFY(model.Items().at(2).IsSelected());
    }

    // Page size 10; the list grows or shrinks from `before` to `after` captures while `page` is
    // shown. The tester checks every announcement against the row counts views see.
    void rowAnnouncements_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("after");
        QTest::addColumn<int>("inserted"); // rows announced as inserted, -1 none
        QTest::addColumn<int>("removed");
        QTest::addColumn<int>("pageAfter");
        QTest::addColumn<int>("rowsAfter");
        QTest::newRow("last page grows") << 23 << 2 << 25 << 2 << -1 << 2 << 5;
        QTest::newRow("first page of a shorter list") << 23 << 0 << 15 << -1 << -1 << 0 << 10;
        QTest::newRow("last page shown, list shrinks to one page") << 25 << 2 << 8 << -1 << 2 << 0 << 8;
        QTest::newRow("middle page past the new end") << 35 << 2 << 12 << -1 << 8 << 1 << 2;
        QTest::newRow("emptied") << 4 << 0 << 0 << -1 << 4 << 0 << 0;
    }
    void rowAnnouncements()
    {
        QFETCH(int, before);
        QFETCH(int, page);
        QFETCH(int, after);
        QFETCH(int, inserted);
        QFETCH(int, removed);
        QFETCH(int, pageAfter);
        QFETCH(int, rowsAfter);
        const QString folder = freshFolder();
        makeNumbered(folder, 0, before);
        KyImageFileListModel model(nullptr, 100, 10, 100);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester selectedTester(model.SelectedModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.SetSortType(kSortType_Name, Qt::AscendingOrder);
        model.SetFolder(folder, false);
        QVERIFY(scan(model));
        model.SelectAll();
        if (page > 0)
            QVERIFY(model.SetPageIndex(page));
        for (int i = after; i < before; ++i)
            QVERIFY(QDir(folder + QStringLiteral("/cap%1").arg(i, 2, 10, QLatin1Char('0'))).removeRecursively());
        makeNumbered(folder, before, after);

        // Every announcement comes from the GUI thread, never from the pool scan.
        int offThread = 0;
        const auto onGuiThread = [&] { offThread += QThread::currentThread() != thread(); };
        connect(&model, &QAbstractItemModel::dataChanged, this, onGuiThread, Qt::DirectConnection);
        connect(&model, &QAbstractItemModel::rowsAboutToBeInserted, this, onGuiThread, Qt::DirectConnection);
        connect(&model, &QAbstractItemModel::rowsAboutToBeRemoved, this, onGuiThread, Qt::DirectConnection);
        QSignalSpy insertions(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removals(&model, &QAbstractItemModel::rowsRemoved);
        QVERIFY(scan(model));
        QCOMPARE(model.PageIndex(), pageAfter);
        QCOMPARE(model.rowCount(), rowsAfter);
        QCOMPARE(insertions.size(), inserted < 0 ? 0 : 1);
        if (inserted > 0) {
            const int first = insertions.at(0).at(1).toInt();
            QCOMPARE(insertions.at(0).at(2).toInt() - first + 1, inserted);
        }
        QCOMPARE(removals.size(), removed < 0 ? 0 : 1);
        if (removed > 0)
            QCOMPARE(removals.at(0).at(2).toInt() - removals.at(0).at(1).toInt() + 1, removed);
        for (int row = 0; row < model.rowCount(); ++row)
            QVERIFY(model.index(row, 0).data().isValid());
        QCOMPARE(offThread, 0);
        disconnect(&model, nullptr, this, nullptr);
    }

    void folderChangePerViewMode()
    {
        KyViewMode *mode = KyViewMode::instance();
        const QString folder = freshFolder();
        makeNumbered(folder, 0, 2);
        KyImageFileListModel model(nullptr, 10, 10, 10);
        model.SetFolder(folder, false);
        QVERIFY(scan(model));
        QSignalSpy changed(&model, &KyImageFileListModel::folderChanged);
        QSignalSpy begin(&model, &KyImageFileListModel::beginUpdate);
        QSignalSpy end(&model, &KyImageFileListModel::endUpdate);

        mode->setViewMode(KyViewMode::kView_Image, true);
        makeNumbered(folder, 2, 3);
        QVERIFY(changed.wait(5000));
        QCOMPARE(begin.size(), 0);
        QCOMPARE(model.TotalCount(), 2);

        mode->setViewMode(KyViewMode::kView_Library, true);
        changed.clear();
        QSignalSpy busy(mode, &KyViewMode::toBusyView);
        makeNumbered(folder, 3, 4);
        QVERIFY(changed.wait(5000));
        QCOMPARE(begin.size(), 1);
        QCOMPARE(end.size(), 1);
        QCOMPARE(model.TotalCount(), 4);
        QCOMPARE(busy.size(), 1);
        // The rescan is over: the window must not stay busy.
        QVERIFY(!mode->isBusy());

        // A network folder waits for the next scan while updates are deferred.
        model.SetFolder(QStringLiteral("//server/share/images"), false);
        changed.clear();
        QMetaObject::invokeMethod(&model, "OnImageFolderChanged");
        QCOMPARE(changed.size(), 1);
        QCOMPARE(begin.size(), 1);
        model.SetDeferNetworkUpdate(false);
        QMetaObject::invokeMethod(&model, "OnImageFolderChanged");
        QCOMPARE(begin.size(), 2);
        QVERIFY(!mode->isBusy());
        mode->setViewMode(KyViewMode::kView_Opening, true);
    }

    // The watch outlives the folder: once it is made again, new captures come into the list.
    void watchFollowsTheFolderBack_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("folder removed and made again") << "folder";
        QTest::newRow("folder above removed too") << "parent";
        QTest::newRow("folder missing when set") << "missing";
    }

    void watchFollowsTheFolderBack()
    {
        QFETCH(QString, how);
        KyViewMode *mode = KyViewMode::instance();
        mode->setViewMode(KyViewMode::kView_Library, true);
        const auto restore = qScopeGuard([mode] { mode->setViewMode(KyViewMode::kView_Opening, true); });
        const QString parent = freshFolder();
        const QString folder = parent + QStringLiteral("/day/run");
        KyImageFileListModel model(nullptr, 10, 10, 10);
        if (how == QLatin1String("missing")) {
            model.SetFolder(folder, false);
        } else {
            makeNumbered(folder, 0, 2);
            model.SetFolder(folder, false);
            QVERIFY(scan(model));
            QCOMPARE(model.TotalCount(), 2);
            QVERIFY(QDir(how == QLatin1String("parent") ? parent + QStringLiteral("/day") : folder).removeRecursively());
            QTRY_COMPARE_WITH_TIMEOUT(model.TotalCount(), 0, 5000);
        }
        QVERIFY(QDir().mkpath(folder));
        makeNumbered(folder, 0, 3);
        QTRY_COMPARE_WITH_TIMEOUT(model.TotalCount(), 3, 5000);
        makeNumbered(folder, 3, 4);
        QTRY_COMPARE_WITH_TIMEOUT(model.TotalCount(), 4, 5000);

        // A watch that was stopped stays stopped, whatever comes and goes.
        model.StopWatching();
        QVERIFY(QDir(folder).removeRecursively());
        QTest::qWait(200);
        QCOMPARE(model.TotalCount(), 4);
    }

    void destructionDuringAScanWaits()
    {
        const QString folder = freshFolder();
        for (int i = 0; i < 300; ++i)
            makeCapture(folder, QStringLiteral("d%1").arg(i), {QStringLiteral("a.tif"), QStringLiteral("b.tif")});
        for (int round = 0; round < 5; ++round) {
            auto model = std::make_unique<KyImageFileListModel>(nullptr, 10, 10, 1000);
            model->SetFolder(folder, false);
            model->SetFilter(QStringLiteral("nothing matches"), false);
            model->Update();
            QVERIFY(model->IsScanning() || round > 0);
            model.reset();
        }
        // Nothing of a destroyed model may arrive later.
        QTest::qWait(50);
    }
};

KY_TEST_MAIN(TestKyImageFileListScan)
#include "tst_kyimagefilelistscan.moc"
