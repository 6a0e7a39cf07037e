#include "resultfixtures.h"
#include "testmain.h"

#include "results/kyselectedmodel.h"
#include "results/kytablemodel.h"
#include "widgets/kyitemroles.h"
#include "widgets/kytableview.h"
#include "widgets/kytableviewitemdelegate.h"

#include <QApplication>
#include <QClipboard>
#include <QFont>
#include <QHeaderView>
#include <QRegularExpression>
#include <QSignalSpy>

using namespace resultfixtures;

namespace {

QStringList column(const QAbstractItemModel &inModel, int inColumn)
{
    QStringList texts;
    for (int r = 0; r < inModel.rowCount(); ++r)
        texts.append(inModel.data(inModel.index(r, inColumn)).toString());
    return texts;
}

int rowOf(const KyTableModel &inModel, const QString &inChannel, int inLane, int inBand)
{
    for (int r = 0; r < inModel.rowCount(); ++r) {
        QVariant channel, lane, band;
        inModel.cellData(r, 0, channel);
        inModel.cellData(r, 1, lane);
        inModel.cellData(r, 2, band);
        if (channel.toString() == inChannel && lane.toInt() == inLane && band.toInt() == inBand)
            return r;
    }
    return -1;
}

bool anyNonFinite(const QAbstractItemModel &inModel)
{
    static const QRegularExpression bad(QStringLiteral("nan|inf"), QRegularExpression::CaseInsensitiveOption);
    for (int r = 0; r < inModel.rowCount(); ++r)
        for (int c = 0; c < inModel.columnCount(); ++c)
            if (inModel.data(inModel.index(r, c)).toString().contains(bad))
                return true;
    return false;
}

} // namespace

class TestKyTableModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void noDocument();
    void threeChannelCells();
    void oneImageDocument_data();
    void oneImageDocument();
    void channelSelection_data();
    void channelSelection();
    void refreshWithSameSelectionKeepsRows();
    void zeroDenominatorsPrintDash();
    void stableSort();
    void sortMovesPicksAndPersistentIndexes();
    void pickingRows();
    void selectedModelAnnouncesRowCounts();
    void insertData();
    void copyStrings();
    void deselectAllAfterSort();
    void clickPickedRowAfterRefresh();

private:
    // The summary table as the summary step wires it, shown.
    void showTable(KyTableView &ioView)
    {
        ioView.setItemDelegate(new KyTableViewItemDelegate(&ioView));
        ioView.setModel(model.get());
        connect(&ioView, &KyTableView::Selected, model.get(), &KyTableModel::RowSelected);
        connect(&ioView, &KyTableView::Deselected, model.get(), &KyTableModel::RowDeselected);
        ioView.resize(600, 400);
        ioView.show();
    }

    static void clickRow(KyTableView &ioView, int inRow)
    {
        QTest::mouseClick(ioView.viewport(), Qt::LeftButton, {}, ioView.visualRect(ioView.model()->index(inRow, 1)).center());
    }

    QTemporaryDir dir;
    std::unique_ptr<ProbeMultiDocument> fluor;
    std::unique_ptr<KyTableModel> model;
    std::unique_ptr<QAbstractItemModelTester> tableTester;
    std::unique_ptr<QAbstractItemModelTester> selectedTester;
};

void TestKyTableModel::initTestCase()
{
    QVERIFY(dir.isValid());
    fluor = fluorDocument(dir);
    QVERIFY(fluor);
    QCOMPARE(fluor->ImageCount(), 3);
    QVERIFY(fluor->HasBands());
    QVERIFY(fluor->HasMWPoints());
    QVERIFY(!fluor->HasODParameter());
}

void TestKyTableModel::init()
{
    model = std::make_unique<KyTableModel>();
    tableTester = std::make_unique<QAbstractItemModelTester>(model.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    selectedTester = std::make_unique<QAbstractItemModelTester>(model->selectedModel(),
                                                                QAbstractItemModelTester::FailureReportingMode::Fatal);
}

void TestKyTableModel::cleanup()
{
    tableTester.reset();
    selectedTester.reset();
    model.reset();
}

void TestKyTableModel::noDocument()
{
    QCOMPARE(model->columnCount(), 0);
    QCOMPARE(model->rowCount(), 0);
    QCOMPARE(model->tableText(), QStringLiteral("\n"));
    QCOMPARE(model->selectedModel()->columnCount(), 0);
    QCOMPARE(model->selectedModel()->tableText(), QStringLiteral("\n"));
    QVERIFY(model->hidesChannelColumn());
    model->copyToClipboard();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("\n"));
}

void TestKyTableModel::threeChannelCells()
{
    model->setContents(fluor.get());
    QCOMPARE(model->columnCount(), 8);
    QStringList titles;
    for (int c = 0; c < 8; ++c)
        titles.append(model->headerData(c, Qt::Horizontal).toString());
    QCOMPARE(titles, QStringList({"Channel", "Lane", "Band", "Volume", "Lane %", "Normalized value", "MW", "Rf"}));
    QVERIFY(!model->headerData(8, Qt::Horizontal).isValid());
    QCOMPARE(model->headerData(1, Qt::Vertical).toString(), QStringLiteral("Lane"));
    QVERIFY(!model->headerData(0, Qt::Horizontal, Qt::FontRole).isValid());

    int expectedRows = 0;
    for (int c = 0; c < 3; ++c)
        for (int l = 0; l < SamplePainter::kLaneCount; ++l)
            expectedRows += fluor->BandCount(c, l);
    QCOMPARE(model->rowCount(), expectedRows);
    QVERIFY(!anyNonFinite(*model));

    const QString blue = fluor->ChannelName(0);
    const QList<int> ladder = fluor->CheckedMWStandardValues();
    QVERIFY(fluor->BandCount(0, 0) > 0);
    for (int b = 0; b < fluor->BandCount(0, 0); ++b) {
        const int row = rowOf(*model, blue, 1, b + 1);
        QVERIFY(row >= 0);
        const QString mw = model->data(model->index(row, 6)).toString();
        QCOMPARE(mw, b < ladder.size() ? QStringLiteral("(%1)").arg(ladder.at(b)) : QStringLiteral("-"));
        // No reference in the ladder lane.
        QCOMPARE(model->data(model->index(row, 5)).toString(), QStringLiteral("-"));
    }

    const QRegularExpression noDecimals(QStringLiteral("^\\d+$"));
    const QRegularExpression twoDecimals(QStringLiteral("^-?\\d+\\.\\d\\d$"));
    const QRegularExpression fourDecimals(QStringLiteral("^\\d+\\.\\d{4}$"));
    for (int c = 0; c < 3; ++c) {
        const QString name = fluor->ChannelName(c);
        for (int l = 0; l < SamplePainter::kLaneCount; ++l) {
            for (int b = 0; b < fluor->BandCount(c, l); ++b) {
                const int row = rowOf(*model, name, l + 1, b + 1);
                QVERIFY(row >= 0);
                const KyBandInfo band = fluor->Band(c, l, b);
                QVERIFY(model->data(model->index(row, 3)).toString().contains(noDecimals));
                QVERIFY(model->data(model->index(row, 4)).toString().contains(twoDecimals));
                QCOMPARE(model->data(model->index(row, 7)).toString(),
                         QString::number(double(band.peak()) / fluor->LaneHeight(l), 'f', 4));
                const QString normalized = model->data(model->index(row, 5)).toString();
                if (l >= 1 && l <= 3 && b == 0)
                    QCOMPARE(normalized, QStringLiteral("ref"));
                else if (l == 0 || l >= 4)
                    QCOMPARE(normalized, QStringLiteral("-"));
                else
                    QVERIFY2(normalized.contains(fourDecimals), qPrintable(normalized));
                if (!(c == 0 && l == 0))
                    QVERIFY(model->data(model->index(row, 6)).toString().contains(twoDecimals));
                QCOMPARE(model->data(model->index(row, 0), Qt::ForegroundRole).value<QColor>(),
                         band.isSaturated() ? QColor(200, 40, 40) : QColor(Qt::black));
            }
        }
    }
    QCOMPARE(model->data(model->index(0, 0), Qt::TextAlignmentRole).toInt(), int(Qt::AlignHCenter | Qt::AlignVCenter));
    QCOMPARE(model->data(model->index(0, 2), Qt::TextAlignmentRole).toInt(), int(Qt::AlignHCenter | Qt::AlignVCenter));
    QCOMPARE(model->data(model->index(0, 3), Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
    QCOMPARE(model->data(model->index(0, 0), Qt::FontRole).value<QFont>().family(), QStringLiteral("Arial"));
    QVERIFY(!model->data(model->index(0, 0), Qt::ToolTipRole).isValid());
    QCOMPARE(model->flags(model->index(0, 0)), Qt::ItemIsSelectable | Qt::ItemIsEnabled);

    QVariant untouched(42);
    QVERIFY(!model->cellData(model->rowCount(), 0, untouched));
    QCOMPARE(untouched, QVariant(42));
    QVERIFY(!model->cellData(0, 8, untouched));
    QVERIFY(!untouched.isValid());
    QVERIFY(!model->isRowFlagged(-1));
    QVERIFY(!model->isRowSelected(model->rowCount()));
}

void TestKyTableModel::oneImageDocument_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("volumeDecimals");
    QTest::newRow("gel, no OD") << QStringLiteral("gel") << 0;
    QTest::newRow("color, OD parameter") << QStringLiteral("color") << 2;
}

void TestKyTableModel::oneImageDocument()
{
    QFETCH(QString, kind);
    QFETCH(int, volumeDecimals);
    QTemporaryDir own;
    std::unique_ptr<KyDocument> single = singleDocument(own, kind);
    QVERIFY(single);
    QCOMPARE(single->ImageCount(), 1);
    QVERIFY(single->HasBands());
    model->setContents(single.get());
    QCOMPARE(model->columnCount(), 7);
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Lane"));
    QCOMPARE(model->data(model->index(0, 2), Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
    const QString volume = model->data(model->index(0, 2)).toString();
    const qsizetype point = volume.indexOf(QLatin1Char('.'));
    QCOMPARE(point < 0 ? 0 : int(volume.size() - point - 1), volumeDecimals);
    QVERIFY(!anyNonFinite(*model));

    // View column 0 is the lane, sorted as a number (lane 10 would follow lane 1 as text).
    model->sort(0, Qt::DescendingOrder);
    const QStringList lanes = column(*model, 0);
    for (int r = 1; r < lanes.size(); ++r)
        QVERIFY(lanes.at(r - 1).toInt() >= lanes.at(r).toInt());
    QCOMPARE(lanes.first(), QString::number(SamplePainter::kLaneCount));
}

void TestKyTableModel::channelSelection_data()
{
    QTest::addColumn<int>("selection");
    QTest::addColumn<QList<int>>("channels");
    QTest::newRow("none, -1") << -1 << QList<int>{};
    QTest::newRow("none, 0x80") << 0x80 << QList<int>{};
    QTest::newRow("channel 1") << 1 << QList<int>{1};
    QTest::newRow("channel 2") << 2 << QList<int>{2};
    QTest::newRow("mask 0x85") << 0x85 << QList<int>{0, 2};
    QTest::newRow("mask 0x82") << 0x82 << QList<int>{1};
    QTest::newRow("all, 0x87") << 0x87 << QList<int>{0, 1, 2};
}

void TestKyTableModel::channelSelection()
{
    QFETCH(int, selection);
    QFETCH(QList<int>, channels);
    model->setContents(fluor.get());
    model->refresh(0x80 == selection ? 0x87 : 0x80); // a different value first, so refresh acts
    model->refresh(selection);
    int expected = 0;
    QSet<QString> names;
    for (int c : channels) {
        names.insert(fluor->ChannelName(c));
        for (int l = 0; l < SamplePainter::kLaneCount; ++l)
            expected += fluor->BandCount(c, l);
    }
    QCOMPARE(model->rowCount(), expected);
    QSet<QString> shown;
    for (const QString &name : column(*model, 0))
        shown.insert(name);
    QCOMPARE(shown, names);
}

void TestKyTableModel::refreshWithSameSelectionKeepsRows()
{
    model->setContents(fluor.get());
    model->refresh(1);
    const int rows = model->rowCount();
    QSignalSpy resets(model.get(), &QAbstractItemModel::modelReset);
    QVERIFY(fluor->RemoveBand(1, 3, 0));
    model->refresh(1);
    QCOMPARE(model->rowCount(), rows);
    QCOMPARE(resets.count(), 0);
    // The other cases read the whole analysis.
    fluor.reset();
    fluor = fluorDocument(dir);
    QVERIFY(fluor);
}

void TestKyTableModel::zeroDenominatorsPrintDash()
{
    std::unique_ptr<ProbeMultiDocument> doc = fluorDocument(dir);
    QVERIFY(doc);
    // Lane 3: a total of 0; lane 4: a normalisation value of exactly 0 (its reference band is still
    // "ref"); then a lane frame of no height.
    QVERIFY(doc->BandCount(0, 2) > 0 && doc->BandCount(0, 3) > 1);
    doc->Bands()[0][2].setTotal(0.0);
    doc->setNormalization(3, 0.0);
    model->setContents(doc.get());
    model->refresh(0);
    const QString name = doc->ChannelName(0);
    QCOMPARE(model->data(model->index(rowOf(*model, name, 3, 1), 4)).toString(), QStringLiteral("-"));
    QCOMPARE(model->data(model->index(rowOf(*model, name, 4, 1), 5)).toString(), QStringLiteral("ref"));
    QCOMPARE(model->data(model->index(rowOf(*model, name, 4, 2), 5)).toString(), QStringLiteral("-"));
    QVERIFY(!anyNonFinite(*model));

    KyLaneFrame &frame = doc->laneFrame();
    frame.setBottomLeft(QPoint(frame.bottomLeft().x(), frame.topLeft().y()));
    frame.setBottomRight(QPoint(frame.bottomRight().x(), frame.topRight().y()));
    QCOMPARE(doc->LaneHeight(0), 0);
    model->refresh(0x87);
    QVERIFY(model->rowCount() > 0);
    QCOMPARE(column(*model, 7), QStringList(QVector<QString>(model->rowCount(), QStringLiteral("-")).toList()));
    QVERIFY(!anyNonFinite(*model));
    // "-" sorts as 0.
    model->sort(7, Qt::AscendingOrder);
    model->setContents(nullptr);
}

void TestKyTableModel::stableSort()
{
    model->setContents(fluor.get());
    QSignalSpy sorted(model.get(), &KyTableModel::sorted);
    // Descending then ascending on "Normalized value": every "-" and "ref" reads 0, so those rows
    // tie and come back in build order.
    model->sort(5, Qt::DescendingOrder);
    QCOMPARE(sorted.count(), 1);
    QCOMPARE(sorted.at(0).at(0).toInt(), 5);
    QCOMPARE(sorted.at(0).at(1).value<Qt::SortOrder>(), Qt::DescendingOrder);
    const QStringList descending = column(*model, 5);
    for (int r = 1; r < descending.size(); ++r)
        QVERIFY(descending.at(r - 1).toDouble() >= descending.at(r).toDouble());
    model->sort(5, Qt::AscendingOrder);
    QStringList zeroRowsNow;
    QStringList zeroRowsBuilt;
    for (int r = 0; r < model->rowCount(); ++r) {
        if (model->data(model->index(r, 5)).toString().toDouble() == 0.0)
            zeroRowsNow.append(model->data(model->index(r, 0)).toString() + model->data(model->index(r, 1)).toString()
                               + QLatin1Char('/') + model->data(model->index(r, 2)).toString());
    }
    KyTableModel fresh;
    fresh.setContents(fluor.get());
    for (int r = 0; r < fresh.rowCount(); ++r) {
        if (fresh.data(fresh.index(r, 5)).toString().toDouble() == 0.0)
            zeroRowsBuilt.append(fresh.data(fresh.index(r, 0)).toString() + fresh.data(fresh.index(r, 1)).toString()
                                 + QLatin1Char('/') + fresh.data(fresh.index(r, 2)).toString());
    }
    QVERIFY(zeroRowsNow.size() > 10);
    QCOMPARE(zeroRowsNow, zeroRowsBuilt);

    // "Channel" sorts as text.
    model->sort(0, Qt::DescendingOrder);
    const QStringList channels = column(*model, 0);
    for (int r = 1; r < channels.size(); ++r)
        QVERIFY(channels.at(r - 1) >= channels.at(r));
}

void TestKyTableModel::sortMovesPicksAndPersistentIndexes()
{
    model->setContents(fluor.get());
    const int last = model->rowCount() - 1;
    const QString lastText = model->data(model->index(last, 3)).toString() + model->data(model->index(last, 0)).toString();
    const QPersistentModelIndex tracked(model->index(last, 3));
    QSignalSpy changed(model.get(), &QAbstractItemModel::dataChanged);
    QSignalSpy aboutToLayout(model.get(), &QAbstractItemModel::layoutAboutToBeChanged);
    QSignalSpy layout(model.get(), &QAbstractItemModel::layoutChanged);
    model->sort(0, Qt::DescendingOrder);
    QCOMPARE(aboutToLayout.count(), 1);
    QCOMPARE(layout.count(), 1);
    QCOMPARE(changed.count(), 0);
    QVERIFY(tracked.isValid());
    QCOMPARE(model->data(tracked).toString() + model->data(tracked.sibling(tracked.row(), 0)).toString(), lastText);
}

void TestKyTableModel::pickingRows()
{
    model->setContents(fluor.get());
    QSignalSpy changed(model.get(), &QAbstractItemModel::dataChanged);
    model->RowSelected(model->index(2, 0));
    model->RowSelected(model->index(2, 2));
    QCOMPARE(model->selection().size(), 0);
    QCOMPARE(changed.count(), 0);
    model->RowSelected(model->index(2, 1));
    model->RowSelected(model->index(2, 1));
    model->RowSelected(model->index(0, 1));
    QCOMPARE(model->selection().size(), 2);
    // Kept in ascending order value.
    QVERIFY(model->selection().at(0).orderValue() < model->selection().at(1).orderValue());
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.at(0).at(0).value<QModelIndex>(), model->index(2, 0));
    QCOMPARE(changed.at(0).at(1).value<QModelIndex>(), model->index(2, 7));
    QVERIFY(model->data(model->index(2, 4), KyItemRole::kRole_RowSelected).toBool());
    QVERIFY(!model->data(model->index(1, 4), KyItemRole::kRole_RowSelected).toBool());
    QVERIFY(model->data(model->index(2, 4), Qt::FontRole).value<QFont>().bold());
    QVERIFY(!model->data(model->index(1, 4), Qt::FontRole).value<QFont>().bold());
    QVERIFY(model->isSelected(KyBandKey::of(KySelectedRow(QString(), model->data(model->index(2, 1)),
                                                          model->data(model->index(2, 2)), {}, {}, {}, {}, {}, false,
                                                          0))) == model->isRowSelected(2));

    KySelectedModel *picked = model->selectedModel();
    QCOMPARE(picked->rowCount(), 2);
    QCOMPARE(picked->data(picked->index(0, 3)), model->data(model->index(0, 3)));
    QCOMPARE(picked->data(picked->index(1, 3)), model->data(model->index(2, 3)));
    QVERIFY(!picked->data(picked->index(0, 3), Qt::FontRole).isValid());

    // The picks follow their bands through a sort and a refresh.
    model->sort(3, Qt::DescendingOrder);
    QCOMPARE(picked->rowCount(), 2);
    int selectedRows = 0;
    for (int r = 0; r < model->rowCount(); ++r)
        selectedRows += model->isRowSelected(r) ? 1 : 0;
    QCOMPARE(selectedRows, 2);
    model->refresh(0x81);
    model->refresh(0x87);
    QCOMPARE(picked->rowCount(), 2);

    changed.clear();
    model->RowDeselected(model->index(0, 0));
    QCOMPARE(changed.count(), 0);
    for (int r = 0; r < model->rowCount(); ++r) {
        if (model->isRowSelected(r))
            model->RowDeselected(model->index(r, 1));
    }
    QCOMPARE(model->selection().size(), 0);
    QCOMPARE(picked->rowCount(), 0);

    // A new document drops the picks.
    model->RowSelected(model->index(0, 1));
    model->setContents(fluor.get());
    QCOMPARE(model->selection().size(), 0);
    QCOMPARE(picked->rowCount(), 0);
}

void TestKyTableModel::selectedModelAnnouncesRowCounts()
{
    model->setContents(fluor.get());
    KySelectedModel *picked = model->selectedModel();
    QSignalSpy inserted(picked, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(picked, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(picked, &QAbstractItemModel::dataChanged);
    model->RowSelected(model->index(0, 1));
    QCOMPARE(inserted.count(), 1);
    model->RowSelected(model->index(1, 1));
    QCOMPARE(inserted.count(), 2);
    QCOMPARE(changed.count(), 1);
    // The changed range stays inside the model.
    const QModelIndex bottomRight = changed.at(0).at(1).value<QModelIndex>();
    QVERIFY(bottomRight.isValid());
    QCOMPARE(bottomRight.column(), picked->columnCount() - 1);
    model->setSelection({});
    QCOMPARE(removed.count(), 1);
    QCOMPARE(picked->rowCount(), 0);
}

void TestKyTableModel::insertData()
{
    model->setContents(fluor.get());
    KySelectedModel *picked = model->selectedModel();
    const KySelectedRow row(QStringLiteral("Blue"), 1, 1, QStringLiteral("10"), QStringLiteral("1.00"),
                            QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("0.1000"), false, 0);
    QVERIFY(picked->InsertData(0, row));
    QVERIFY(picked->InsertData(1, row));
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^Invalid row select\\.\\( KySelectedModel::InsertData:\\d+ \\)$")));
    QVERIFY(!picked->InsertData(3, row));
    QVERIFY(!picked->InsertData(-1, row));
    QCOMPARE(picked->rowCount(), 2);
}

void TestKyTableModel::copyStrings()
{
    QTemporaryDir own;
    std::unique_ptr<KyDocument> gel = singleDocument(own, QStringLiteral("gel"));
    QVERIFY(gel);
    model->setContents(gel.get());
    QVERIFY(model->rowCount() > 1);
    // Nothing picked: the whole table.
    model->copyToClipboard();
    const QString all = QApplication::clipboard()->text();
    const QStringList lines = all.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), model->rowCount() + 2);
    QCOMPARE(lines.first(), QStringLiteral("Lane\tBand\tVolume\tLane %\tNormalized value\tMW\tRf"));
    QVERIFY(lines.last().isEmpty());
    QStringList firstRow;
    for (int c = 0; c < 7; ++c)
        firstRow.append(model->data(model->index(0, c)).toString());
    QCOMPARE(lines.at(1), firstRow.join(QLatin1Char('\t')));

    // One picked: only the picked row.
    model->RowSelected(model->index(1, 1));
    model->copyToClipboard();
    QStringList secondRow;
    for (int c = 0; c < 7; ++c)
        secondRow.append(model->data(model->index(1, c)).toString());
    QCOMPARE(QApplication::clipboard()->text(),
             QStringLiteral("Lane\tBand\tVolume\tLane %\tNormalized value\tMW\tRf\n") + secondRow.join(QLatin1Char('\t'))
                 + QLatin1Char('\n'));
    model->setContents(nullptr);
}

void TestKyTableModel::deselectAllAfterSort()
{
    model->setContents(fluor.get());
    KyTableView view;
    showTable(view);
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    auto click = [&view](int inRow) { clickRow(view, inRow); };
    click(0);
    click(2);
    QCOMPARE(model->selection().size(), 2);
    QCOMPARE(model->selectedModel()->rowCount(), 2);
    // A header sort, then "Deselect all".
    view.sortByColumn(3, Qt::DescendingOrder);
    view.clearSelection();
    QCOMPARE(model->selection().size(), 0);
    QCOMPARE(model->selectedModel()->rowCount(), 0);
    for (int r = 0; r < model->rowCount(); ++r)
        QVERIFY(!model->data(model->index(r, 0), KyItemRole::kRole_RowSelected).toBool());
}

void TestKyTableModel::clickPickedRowAfterRefresh()
{
    model->setContents(fluor.get());
    KyTableView view;
    showTable(view);
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    auto click = [&view](int inRow) { clickRow(view, inRow); };
    click(1);
    QCOMPARE(model->selection().size(), 1);
    model->refresh(0x83);
    int pickedRow = -1;
    for (int r = 0; r < model->rowCount(); ++r)
        if (model->isRowSelected(r))
            pickedRow = r;
    QVERIFY(pickedRow >= 0);
    QVERIFY(view.selectionModel()->isRowSelected(pickedRow, QModelIndex()));
    click(pickedRow);
    QCOMPARE(model->selection().size(), 0);
    QCOMPARE(model->selectedModel()->rowCount(), 0);
}

KY_TEST_MAIN_WITH(QApplication, TestKyTableModel)
#include "tst_kytablemodel.moc"
