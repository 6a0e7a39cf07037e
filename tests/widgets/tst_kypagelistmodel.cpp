#include "testmain.h"

#include "widgets/kypagelistmodel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

namespace {

// A list of "item n" strings of a settable length, shown through the paging of the base.
class NumberedListModel : public KyPageListModel
{
public:
    NumberedListModel(int inTotal, int inPageLimit, int inPageSize)
        : KyPageListModel(nullptr, inPageLimit, inPageSize)
        , total(inTotal)
    {
    }

    int TotalCount() const override { return total; }

    QVariant data(const QModelIndex &index, int role) const override
    {
        int sourceRow = 0;
        if (role != Qt::DisplayRole || !index.isValid() || !ToSourceRow(index.row(), &sourceRow))
            return {};
        if (sourceRow >= total)
            return {};
        return QStringLiteral("item %1").arg(sourceRow);
    }

    void setTotal(int inTotal) { total = inTotal; }

private:
    int total;
};

// Collects the debug lines written while it lives, so a test can tell that a refusal said nothing.
class DebugLines
{
public:
    DebugLines() { previous = qInstallMessageHandler(&DebugLines::handle); current = this; }
    ~DebugLines()
    {
        qInstallMessageHandler(previous);
        current = nullptr;
    }
    QStringList lines;

private:
    static void handle(QtMsgType, const QMessageLogContext &, const QString &text)
    {
        if (current)
            current->lines.append(text);
    }
    static inline DebugLines *current = nullptr;
    QtMessageHandler previous = nullptr;
};

const QString kRefused = QStringLiteral("Cannot set page index more than max.");

} // namespace

class TestKyPageListModel : public QObject
{
    Q_OBJECT

private slots:
    void pages_data()
    {
        QTest::addColumn<int>("total");
        QTest::addColumn<int>("pageLimit");
        QTest::addColumn<int>("pageSize");
        QTest::addColumn<int>("maxPage");
        QTest::addColumn<QList<int>>("rowsPerPage"); // page 0 .. maxPage

        QTest::newRow("25 items, 10 a page") << 25 << 100 << 10 << 2 << QList<int>{10, 10, 5};
        QTest::newRow("25 items, limit 1: page 1 is full") << 25 << 1 << 10 << 1 << QList<int>{10, 10};
        QTest::newRow("30 items: the last page is full") << 30 << 100 << 10 << 2 << QList<int>{10, 10, 10};
        QTest::newRow("no items") << 0 << 100 << 10 << 0 << QList<int>{0};
        QTest::newRow("fewer items than a page") << 3 << 100 << 10 << 0 << QList<int>{3};
        QTest::newRow("limit 0") << 25 << 0 << 10 << 0 << QList<int>{10};
        QTest::newRow("page size 0 is taken as 1") << 3 << 100 << 0 << 2 << QList<int>{1, 1, 1};
        QTest::newRow("negative page size is taken as 1") << 2 << 100 << -4 << 1 << QList<int>{1, 1};
        QTest::newRow("negative limit stays on page 0") << 25 << -1 << 10 << 0 << QList<int>{10};
    }

    void pages()
    {
        QFETCH(int, total);
        QFETCH(int, pageLimit);
        QFETCH(int, pageSize);
        QFETCH(int, maxPage);
        QFETCH(QList<int>, rowsPerPage);

        NumberedListModel model(total, pageLimit, pageSize);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.PageSize(), std::max(1, pageSize));
        QCOMPARE(model.PageLimit(), pageLimit);
        QCOMPARE(model.MaxPageIndex(), maxPage);
        for (int page = 0; page < rowsPerPage.size(); ++page) {
            QCOMPARE(model.PageIndex(), page);
            QCOMPARE(model.rowCount(), rowsPerPage.at(page));
            // Every shown row maps to an item of the list.
            for (int row = 0; row < model.rowCount(); ++row) {
                int sourceRow = -1;
                QVERIFY(model.ToSourceRow(row, &sourceRow));
                QCOMPARE(sourceRow, row + page * model.PageSize());
                QVERIFY(sourceRow < total);
                QCOMPARE(model.index(row, 0).data().toString(), QStringLiteral("item %1").arg(sourceRow));
            }
            if (page < maxPage)
                QVERIFY(model.NextPage());
        }
        // Past the last page: refused with the message, the page stays.
        QTest::ignoreMessage(QtDebugMsg, qPrintable(kRefused));
        QVERIFY(!model.NextPage());
        QCOMPARE(model.PageIndex(), maxPage);
    }

    void sourceRows()
    {
        NumberedListModel model(25, 100, 10);
        QVERIFY(model.SetPageIndex(2));
        int sourceRow = -1;
        QVERIFY(model.ToSourceRow(3, &sourceRow));
        QCOMPARE(sourceRow, 23);
        int byReference = -1;
        QVERIFY(model.ToSourceRow(4, byReference));
        QCOMPARE(byReference, 24);
        // Rows are not compared with the row count.
        QVERIFY(model.ToSourceRow(7, &sourceRow));
        QCOMPARE(sourceRow, 27);
        sourceRow = 99;
        QVERIFY(!model.ToSourceRow(-1, &sourceRow));
        QCOMPARE(sourceRow, 0);
        QVERIFY(!model.ToSourceRow(-1, nullptr));
    }

    void refusals()
    {
        NumberedListModel model(25, 100, 10);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        {
            DebugLines debug;
            QVERIFY(!model.SetPageIndex(0)); // the current page: silently refused
            QVERIFY(debug.lines.isEmpty());
        }
        QTest::ignoreMessage(QtDebugMsg, qPrintable(kRefused));
        QVERIFY(!model.PrevPage());
        QTest::ignoreMessage(QtDebugMsg, qPrintable(kRefused));
        QVERIFY(!model.SetPageIndex(3));
        QTest::ignoreMessage(QtDebugMsg, qPrintable(kRefused));
        QVERIFY(!model.SetPageIndex(-2));
        QCOMPARE(model.PageIndex(), 0);
        QCOMPARE(changed.count(), 0);

        NumberedListModel empty(0, 100, 10);
        QTest::ignoreMessage(QtDebugMsg, qPrintable(kRefused));
        QVERIFY(!empty.NextPage());
        QCOMPARE(empty.rowCount(), 0);
    }

    void pageChangeSignals_data()
    {
        QTest::addColumn<int>("total");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("layoutChanges");
        QTest::addColumn<int>("changedRows");

        QTest::newRow("same length: data only") << 25 << 0 << 1 << 0 << 10;
        QTest::newRow("onto the short last page") << 25 << 1 << 2 << 1 << 5;
        QTest::newRow("off the short last page") << 25 << 2 << 0 << 1 << 10;
    }

    void pageChangeSignals()
    {
        QFETCH(int, total);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, layoutChanges);
        QFETCH(int, changedRows);

        NumberedListModel model(total, 100, 10);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        if (from != 0)
            QVERIFY(model.SetPageIndex(from));
        QSignalSpy aboutToChange(&model, &QAbstractItemModel::layoutAboutToBeChanged);
        QSignalSpy layoutChanged(&model, &QAbstractItemModel::layoutChanged);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QVERIFY(model.SetPageIndex(to));
        QCOMPARE(aboutToChange.count(), layoutChanges);
        QCOMPARE(layoutChanged.count(), layoutChanges);
        QCOMPARE(changed.count(), 1);
        const auto first = changed.first().at(0).value<QModelIndex>();
        const auto last = changed.first().at(1).value<QModelIndex>();
        QCOMPARE(first, model.index(0, 0));
        QCOMPARE(last, model.index(changedRows - 1, 0));
    }

    // A view holding an index on a row that the shorter last page lacks must hear that the row is
    // gone, or it reads past the end of the page.
    void rowsPastTheShortPageAreDropped()
    {
        NumberedListModel model(25, 100, 10);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(model.NextPage());
        QPersistentModelIndex kept(model.index(3, 0));
        QPersistentModelIndex dropped(model.index(7, 0));
        QVERIFY(model.NextPage());
        QCOMPARE(model.rowCount(), 5);
        QVERIFY(kept.isValid());
        QCOMPARE(kept.row(), 3);
        QCOMPARE(kept.data().toString(), QStringLiteral("item 23"));
        QVERIFY(!dropped.isValid());
    }

    // A list that shrinks under the current page shows no rows there instead of rows past the end.
    void shrunkListShowsNoRowsPastTheEnd()
    {
        NumberedListModel model(25, 100, 10);
        QVERIFY(model.SetPageIndex(2));
        model.setTotal(12);
        QCOMPARE(model.MaxPageIndex(), 1);
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(model.PrevPage());
        QCOMPARE(model.rowCount(), 2);
    }
};

KY_TEST_MAIN(TestKyPageListModel)
#include "tst_kypagelistmodel.moc"
