#include "browsertest.h"

#include "widgets/kyitemroles.h"

#include <QAbstractItemModelTester>
#include <QFont>

#include <atomic>
#include <dlfcn.h>
#include <sys/stat.h>

using namespace browsertest;
using namespace KyItemRole;

namespace {

// The file-system reads of paths under this folder, counted by the statx below.
QByteArray gCountedFolder;
std::atomic<int> gCountedReads{0};

} // namespace

// Qt reads a file's times through statx: this one, found before the C library's, counts the reads
// of the counted folder and passes every call on.
extern "C" int statx(int dirfd, const char *path, int flags, unsigned int mask, struct statx *buffer)
{
    using Statx = int (*)(int, const char *, int, unsigned int, struct statx *);
    static const auto next = reinterpret_cast<Statx>(::dlsym(RTLD_NEXT, "statx"));
    if (!gCountedFolder.isEmpty() && qstrncmp(path, gCountedFolder.constData(), gCountedFolder.size()) == 0)
        ++gCountedReads;
    return next(dirfd, path, flags, mask, buffer);
}

class TestKyImageFileListModel : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;

    // A model over n captures "cap00".."capNN" sorted by name, page size 10.
    std::unique_ptr<KyImageFileListModel> modelOf(int inCount, int inPageSize = 10)
    {
        const QString folder = dir.path() + QStringLiteral("/list%1").arg(inCount);
        if (!QFileInfo::exists(folder)) {
            for (int i = 0; i < inCount; ++i)
                makeCapture(folder, QStringLiteral("cap%1").arg(i, 2, 10, QLatin1Char('0')));
            QDir().mkpath(folder);
        }
        auto model = std::make_unique<KyImageFileListModel>(nullptr, 100, inPageSize, 100);
        model->SetSortType(kSortType_Name, Qt::AscendingOrder);
        model->SetFolder(folder, false);
        if (!scan(*model))
            return nullptr;
        return model;
    }

private slots:
    void pagesMapRowsToItems()
    {
        auto model = modelOf(23);
        QVERIFY(model);
        QAbstractItemModelTester tester(model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model->TotalCount(), 23);
        QCOMPARE(model->PageCount(), 3);
        QCOMPARE(model->rowCount(), 10);
        QVERIFY(model->SetPageIndex(2));
        QCOMPARE(model->CurrentPageNumber(), 3);
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(model->index(2, 0).data().toString(), QStringLiteral("cap22"));
        QVERIFY(!model->index(3, 0).data().isValid());
    }

    void rolesAndRoleNames()
    {
        auto model = modelOf(3);
        QVERIFY(model);
        const QModelIndex first = model->index(0, 0);
        QCOMPARE(first.data(Qt::DisplayRole).toString(), QStringLiteral("cap00"));
        QCOMPARE(first.data(kRole_FileName).toString(), QStringLiteral("cap00"));
        QCOMPARE(first.data(kRole_Method).toString(), QString());
        QCOMPARE(first.data(kRole_ItemSelected), QVariant(false));
        QVERIFY(!first.data(kRole_FullPath).isValid());
        QCOMPARE(first.data(Qt::SizeHintRole).toSize(), QSize(50, 40));
        const QFont font = first.data(Qt::FontRole).value<QFont>();
        QCOMPARE(font.family(), QStringLiteral("Arial"));
        QCOMPARE(font.pointSize(), 15);
        QVERIFY(!first.data(Qt::ToolTipRole).isValid());
        const QHash<int, QByteArray> roles = model->roleNames();
        QCOMPARE(roles.size(), 2);
        QCOMPARE(roles.value(kRole_FileName), QByteArray("filename"));
        QCOMPARE(roles.value(kRole_Method), QByteArray("method"));
        QCOMPARE(model->metaObject()->className(), "KyImageFileListModel");

        KySelectedImageFileListModel *selected = model->SelectedModel();
        QVERIFY(model->setData(model->index(1, 0), true, kRole_ItemSelected));
        const QModelIndex picked = selected->index(0, 0);
        QCOMPARE(picked.data().toString(), QStringLiteral("cap01"));
        QCOMPARE(picked.data(kRole_FullPath).toString(), model->Items().at(1).Path());
        QVERIFY(!picked.data(kRole_ItemSelected).isValid());
        QCOMPARE(picked.data(Qt::FontRole).value<QFont>().pointSize(), 15);
    }

    void methodComesFromWholePath_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("method");
        QTest::newRow("chemi") << "x_Chemi" << "Chemiluminescence";
        QTest::newRow("colori") << "x_Col" << "Colorimetric";
        QTest::newRow("fluor") << "x_Fluo3" << "Fluorescence";
        QTest::newRow("parent's section") << "run_Co/cap1" << "Colorimetric";
        QTest::newRow("no underscore") << "plain" << "";
        QTest::newRow("case matters") << "x_ch" << "";
    }
    void methodComesFromWholePath()
    {
        QFETCH(QString, folder);
        QFETCH(QString, method);
        const QString path = dir.path() + QStringLiteral("/methods/") + folder;
        QVERIFY(QDir().mkpath(path));
        const ImageFileInfoItem item(path);
        QCOMPARE(item.Path(), path);
        QCOMPARE(item.Method(), method);
        QVERIFY(ImageFileInfoItem(path + QStringLiteral("-gone")).Path().isEmpty());
    }

    void sortTiesFallToTheOtherKeys()
    {
        // Two captures named alike: the method breaks the tie, and descending reverses it.
        const QString a = makeCapture(dir.path() + QStringLiteral("/r_Ch"), QStringLiteral("cap"));
        const QString b = makeCapture(dir.path() + QStringLiteral("/r_Fl"), QStringLiteral("cap"));
        QList<ImageFileInfoItem> items{ImageFileInfoItem(b), ImageFileInfoItem(a)};
        // The method is read from the last '_' section: "Ch/cap" and "Fl/cap".
        KyImageFileListModel::SortList(items, kSortType_Name, Qt::AscendingOrder);
        QCOMPARE(items.at(0).Path(), a);
        KyImageFileListModel::SortList(items, kSortType_Name, Qt::DescendingOrder);
        QCOMPARE(items.at(0).Path(), b);
        QVERIFY(!KyImageFileListModel::ItemLessThan(items.at(0), items.at(0), kSortType_Name));
        QCOMPARE(KyImageFileListModel::CompareItems(items.at(0), items.at(1), 9), 1);
    }

    // The sort takes every capture's keys once, then sorts: keys read in the comparison would let
    // a capture that changes meanwhile answer two comparisons differently, which std::sort does
    // not survive, and would read the disk for every comparison.
    void sortReadsEachCaptureOnce_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("order");
        QTest::newRow("modified, ascending") << int(kSortType_Modified) << int(Qt::AscendingOrder);
        QTest::newRow("created, descending") << int(kSortType_Created) << int(Qt::DescendingOrder);
    }

    void sortReadsEachCaptureOnce()
    {
        QFETCH(int, type);
        QFETCH(int, order);
        const QString folder = dir.path() + QStringLiteral("/reads%1").arg(type);
        QList<ImageFileInfoItem> items;
        const int n = 200;
        for (int i = 0; i < n; ++i)
            items.append(ImageFileInfoItem(makeCapture(folder, QStringLiteral("c%1").arg((i * 37) % n, 3, 10, QLatin1Char('0')))));
        gCountedFolder = QFile::encodeName(folder);
        gCountedReads = 0;
        KyImageFileListModel::SortList(items, ESortType(type), Qt::SortOrder(order));
        const int reads = gCountedReads;
        gCountedFolder.clear();
        QVERIFY2(reads >= n, "the reads are not counted here");
        QVERIFY2(reads <= 2 * n, qPrintable(QStringLiteral("%1 reads for %2 captures").arg(reads).arg(n)));
        for (int i = 1; i < n; ++i)
            QVERIFY(!KyImageFileListModel::ItemLessThan(items.at(i), items.at(i - 1), type) || order != Qt::AscendingOrder);
        for (int i = 1; i < n; ++i)
            QVERIFY(!KyImageFileListModel::ItemGreaterThan(items.at(i), items.at(i - 1), type) || order == Qt::AscendingOrder);
    }

    void sortUsesStoredTypeWhateverTheColumn()
    {
        auto model = modelOf(12);
        QVERIFY(model);
        QAbstractItemModelTester tester(model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy changed(model.get(), &QAbstractItemModel::dataChanged);
        model->sort(5, Qt::DescendingOrder);
        QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("cap11"));
        QCOMPARE(changed.size(), 1);
    }

    void setDataSelectsAndAnnounces()
    {
        auto model = modelOf(12);
        QVERIFY(model);
        QAbstractItemModelTester tester(model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester selectedTester(model->SelectedModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy count(model.get(), &KyImageFileListModel::selectedCountChanged);
        for (int row : {0, 2, 4, 6})
            QVERIFY(model->setData(model->index(row, 0), true, kRole_ItemSelected));
        QCOMPARE(count.last().at(0).toInt(), 4);
        count.clear();
        // Already selected: true and silent.
        QVERIFY(model->setData(model->index(2, 0), true, kRole_ItemSelected));
        QVERIFY(count.isEmpty());
        // An item in the middle of the selection: the selected model shows it at its rank.
        QVERIFY(model->setData(model->index(1, 0), true, kRole_ItemSelected));
        QCOMPARE(count.last().at(0).toInt(), 5);
        QCOMPARE(model->SelectedModel()->index(1, 0).data().toString(), QStringLiteral("cap01"));
        QVERIFY(model->setData(model->index(0, 0), false, kRole_ItemSelected));
        QCOMPARE(count.last().at(0).toInt(), 4);
        QCOMPARE(model->SelectedModel()->rowCount(), 4);
        QCOMPARE(model->SelectedModel()->index(0, 0).data().toString(), QStringLiteral("cap01"));
        // Other roles and rows past the list change nothing.
        QVERIFY(!model->setData(model->index(3, 0), true, Qt::DisplayRole));
        QVERIFY(model->setData(model->index(-1, 0), true, kRole_ItemSelected));
        QCOMPARE(model->SelectedModel()->TotalCount(), 4);
    }

    void wholeListAndPageSelection()
    {
        auto model = modelOf(23);
        QVERIFY(model);
        QAbstractItemModelTester tester(model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester selectedTester(model->SelectedModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy count(model.get(), &KyImageFileListModel::selectedCountChanged);
        model->SelectAll();
        QCOMPARE(count.last().at(0).toInt(), 23);
        // The selected model shows its last page; the selection shrinks below it.
        QVERIFY(model->SelectedModel()->SetPageIndex(2));
        model->SelectByNames({QStringLiteral("cap04"), QStringLiteral("cap05")});
        QCOMPARE(model->SelectedModel()->PageIndex(), 0);
        QCOMPARE(model->SelectedModel()->rowCount(), 2);
        model->DeselectAll();
        QCOMPARE(count.last().at(0).toInt(), 0);

        QVERIFY(model->SetPageIndex(1));
        model->SelectAllPageByPage();
        // The row count of the selected model's own page, not its total.
        QCOMPARE(count.last().at(0).toInt(), 10);
        for (int i = 0; i < 23; ++i)
            QCOMPARE(model->Items().at(i).IsSelected(), i >= 10 && i < 20);
        QCOMPARE(model->FirstSelectedRowInPage(), 0);
        model->DeselectAllPageByPage();
        QCOMPARE(model->SelectedModel()->TotalCount(), 0);
        QCOMPARE(model->FirstSelectedRowInPage(), -1);

        model->SelectByNames({QStringLiteral("cap21"), QStringLiteral("cap03")});
        QCOMPARE(model->PageIndex(), 0);
        QCOMPARE(count.last().at(0).toInt(), 2);
        QCOMPARE(model->FirstSelectedRowInPage(), 3);
        model->SelectByNames({QStringLiteral("cap21")});
        QCOMPARE(model->PageIndex(), 2);
        model->SelectByNames({QStringLiteral("none")});
        QCOMPARE(model->PageIndex(), 0);
        QCOMPARE(model->SelectedModel()->TotalCount(), 0);
    }

    void emptyListAnswersNothing()
    {
        auto model = modelOf(0);
        QVERIFY(model);
        QSignalSpy count(model.get(), &KyImageFileListModel::selectedCountChanged);
        QCOMPARE(model->rowCount(), 0);
        QVERIFY(!model->index(0, 0).data().isValid());
        model->SelectAll();
        QCOMPARE(count.size(), 1);
        QCOMPARE(count.last().at(0).toInt(), 0);
    }

    void folderAndFilterSetters()
    {
        KyImageFileListModel model(nullptr, 10, 10, 10);
        model.SetFolder(dir.path() + QLatin1Char('/'), false);
        QCOMPARE(model.Folder(), dir.path());
        model.SetFolder(dir.path() + QStringLiteral("//"), false);
        QCOMPARE(model.Folder(), dir.path() + QLatin1Char('/'));
        QVERIFY(model.SetFilter(QStringLiteral("gel"), false));
        QVERIFY(!model.SetFilter(QStringLiteral("gel"), true));
        QVERIFY(!model.IsScanning());
    }
};

KY_TEST_MAIN(TestKyImageFileListModel)
#include "tst_kyimagefilelistmodel.moc"
