#include "contextmenuclose.h"
#include "scrollbarparts.h"
#include "testmain.h"
#include "widgettest.h"

#include "widgets/kyitemroles.h"
#include "widgets/kytableview.h"
#include "widgets/kytableviewitemdelegate.h"
#include "widgets/kytableviewstyle.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyleOptionSlider>
#include <QTimer>

namespace {

// Rows of "rNcM" cells. Each column's header asks for a fixed width, so a column's minimum is
// known exactly; picked rows answer the picked role, red rows a red text colour.
class FixedTableModel : public QAbstractTableModel
{
public:
    FixedTableModel(QList<int> inMinimums, int inRows)
        : minimums(std::move(inMinimums))
        , rows(inRows)
    {
    }

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : rows; }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(minimums.size());
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        switch (role) {
        case Qt::DisplayRole:
            return QStringLiteral("r%1c%2").arg(index.row()).arg(index.column());
        case Qt::SizeHintRole:
            return QSize(8, 20);
        case Qt::ForegroundRole:
            return red.contains(index.row()) ? QColor(Qt::red) : QColor(Qt::black);
        case KyItemRole::kRole_RowSelected:
            return picked.contains(index.row());
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal)
            return {};
        if (role == Qt::DisplayRole)
            return QString(QChar('A' + section));
        if (role == Qt::SizeHintRole)
            return QSize(minimums.value(section), 22);
        return {};
    }

    QList<int> minimums;
    int rows;
    QSet<int> picked;
    QSet<int> red;
};

// A table whose shared width is exactly the given one, with its scroll bar always in place so
// that the stretched last column ends where the shared width does.
struct Table
{
    Table(QList<int> minimums, int rows, int sharedWidth)
        : model(std::move(minimums), rows)
    {
        view.horizontalHeader()->setMinimumSectionSize(1);
        view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        view.setModel(&model);
        view.setItemDelegate(&delegate);
        view.resize(400, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.resize(view.width() + sharedWidth - view.viewportWidth(), 300);
        QCoreApplication::processEvents();
    }

    QList<int> widths() const
    {
        QList<int> result;
        for (int column = 0; column < model.columnCount(); ++column)
            result.append(view.columnWidth(column));
        return result;
    }

    QPoint cellCentre(int row, int column) const
    {
        return view.visualRect(model.index(row, column)).center();
    }

    FixedTableModel model;
    KyTableViewItemDelegate delegate;
    KyTableView view;
};

// Clicks the named entry of the next context menu that opens.
void chooseFromNextMenu(const QString &text, QStringList *offered, bool *iconShown)
{
    QTimer::singleShot(0, [=] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction *action : menu->actions()) {
            offered->append(action->text());
            if (action->text() == QLatin1String("Copy"))
                *iconShown = !action->icon().isNull();
        }
        for (QAction *action : menu->actions()) {
            if (action->text() == text)
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        }
    });
}

void openContextMenu(KyTableView &view)
{
    const QPoint pos(20, 40);
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, view.viewport()->mapToGlobal(pos));
    QCoreApplication::sendEvent(view.viewport(), &event);
}

QSet<int> selectedRows(const KyTableView &view)
{
    QSet<int> rows;
    const QModelIndexList indexes = view.selectionModel()->selectedRows();
    for (const QModelIndex &index : indexes)
        rows.insert(index.row());
    return rows;
}

} // namespace

class TestKyTableView : public QObject
{
    Q_OBJECT

private slots:
    void columnWidths_data()
    {
        QTest::addColumn<QVector<double>>("fractions");
        QTest::addColumn<QList<int>>("minimums");
        QTest::addColumn<int>("sharedWidth");
        QTest::addColumn<QList<int>>("expected");

        QTest::newRow("the last column absorbs the truncation")
            << QVector<double>{0.5, 0.3, 0.2} << QList<int>{30, 30, 30} << 401 << QList<int>{200, 120, 81};
        QTest::newRow("summary table, seven columns")
            << QVector<double>{0.113, 0.113, 0.17, 0.141, 0.211, 0.127, 0.125} << QList<int>(7, 30) << 1000
            << QList<int>{113, 113, 170, 141, 211, 127, 125};
        QTest::newRow("summary table, eight columns")
            << QVector<double>{0.178, 0.096, 0.096, 0.11, 0.11, 0.205, 0.11, 0.095} << QList<int>(8, 30) << 1000
            << QList<int>{178, 96, 96, 110, 110, 205, 110, 95};
        // Column 0's share (40) is below its minimum: the others share what is left.
        QTest::newRow("a share below the minimum")
            << QVector<double>{0.1, 0.6, 0.3} << QList<int>{60, 30, 30} << 401 << QList<int>{60, 227, 114};
        QTest::newRow("the last column below its minimum")
            << QVector<double>{0.5, 0.45, 0.05} << QList<int>{30, 30, 50} << 401 << QList<int>{184, 166, 51};
        // No share is left to divide the rest by: the minimums stand.
        QTest::newRow("no share left")
            << QVector<double>{0.5, 0.5, 0.5} << QList<int>{210, 30, 30} << 401 << QList<int>{210, 30, 161};
        // Shares over the whole once pushed the last column to -116.
        QTest::newRow("fractions over 1: the last column keeps its minimum")
            << QVector<double>{0.6, 0.3, 0.2} << QList<int>{256, 30, 30} << 401 << QList<int>{345, 172, 30};
    }

    // A view with its bar switched off, or one never shown (rendered for printing), shares the same
    // width as one whose bar is laid out: the bar's own width, not a new widget's default of 100.
    void sharedWidthWithoutLaidOutBar()
    {
        KyTableView shown;
        shown.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        shown.resize(500, 300);
        shown.show();
        QVERIFY(QTest::qWaitForWindowExposed(&shown));
        const int laidOut = shown.verticalScrollBar()->width();
        QVERIFY(laidOut > 0 && laidOut < 100);
        QCOMPARE(shown.viewportWidth(), 500 - 2 * shown.frameWidth() - laidOut);

        KyTableView off;
        off.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        off.resize(500, 300);
        QCOMPARE(off.viewportWidth(), 500 - 2 * off.frameWidth() - laidOut);
    }

    void columnWidths()
    {
        QFETCH(QVector<double>, fractions);
        QFETCH(QList<int>, minimums);
        QFETCH(int, sharedWidth);
        QFETCH(QList<int>, expected);

        Table table(minimums, 3, sharedWidth);
        QCOMPARE(table.view.viewportWidth(), sharedWidth);
        for (int column = 0; column < minimums.size(); ++column)
            QCOMPARE(table.view.minimumColumnWidth(column), minimums.at(column));
        table.view.setColumnWidthFractions(fractions);
        QCOMPARE(table.widths(), expected);
        // Laying out is not a user resize: the fractions stay as given.
        QCOMPARE(table.view.columnWidthFractions(), fractions);
    }

    void fractionsOfAnotherCountWait()
    {
        Table table({30, 30, 30}, 3, 401);
        const QList<int> before = table.widths();
        table.view.setColumnWidthFractions({0.5, 0.5});
        QCOMPARE(table.widths(), before);
        QCOMPARE(table.view.columnWidthFractions(), (QVector<double>{0.5, 0.5}));
        // Once the model has as many columns, they apply.
        table.model.minimums.removeLast();
        table.view.reset();
        table.view.setModel(nullptr);
        table.view.setModel(&table.model);
        table.view.setColumnWidthFractions({0.5, 0.5});
        QCOMPARE(table.widths(), (QList<int>{200, 201}));
    }

    void userResize_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("newWidth");
        QTest::addColumn<QList<int>>("expected");

        // From 200, 120, 81 in 401 pixels, minimums 30.
        QTest::newRow("wider: the last column gives way") << 0 << 250 << QList<int>{250, 120, 31};
        QTest::newRow("wider than the room: the right columns drop to their minimums, then the column stops")
            << 0 << 380 << QList<int>{341, 30, 30};
        QTest::newRow("narrower than its minimum snaps back") << 1 << 10 << QList<int>{200, 30, 171};
        QTest::newRow("narrower: the last column takes the room") << 0 << 100 << QList<int>{100, 120, 181};
        QTest::newRow("middle column wider than the room") << 1 << 300 << QList<int>{200, 171, 30};
    }

    void userResize()
    {
        QFETCH(int, column);
        QFETCH(int, newWidth);
        QFETCH(QList<int>, expected);

        Table table({30, 30, 30}, 3, 401);
        table.view.setColumnWidthFractions({0.5, 0.3, 0.2});
        table.view.horizontalHeader()->resizeSection(column, newWidth);
        QCOMPARE(table.widths(), expected);
        int total = 0;
        for (int width : expected)
            total += width;
        QVERIFY(total <= 401);
        // The user's widths become the fractions, and a later window resize keeps them.
        const QVector<double> fractions = table.view.columnWidthFractions();
        QCOMPARE(fractions.size(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(fractions.at(i), double(expected.at(i)) / total);
        table.view.resize(table.view.width() + 401, 300);
        QCoreApplication::processEvents();
        QCOMPARE(table.view.viewportWidth(), 802);
        QCOMPARE(table.view.columnWidth(0), int(802 * fractions.at(0)));
    }

    // A drag on the header's section edge goes the same road as a programmatic resize.
    void dragOnTheHeader()
    {
        Table table({30, 30, 30}, 3, 401);
        table.view.setColumnWidthFractions({0.5, 0.3, 0.2});
        QHeaderView *header = table.view.horizontalHeader();
        const int y = header->height() / 2;
        const int edge = header->sectionViewportPosition(0) + header->sectionSize(0) - 1;
        QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(edge, y));
        QTest::mouseMove(header->viewport(), QPoint(edge + 300, y));
        QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(edge + 300, y));
        QCOMPARE(table.widths(), (QList<int>{341, 30, 30}));
    }

    void clicksToggleWholeRows()
    {
        Table table({30, 30, 30}, 4, 401);
        QSignalSpy selected(&table.view, &KyTableView::Selected);
        QSignalSpy deselected(&table.view, &KyTableView::Deselected);
        QSignalSpy changed(&table.view, qOverload<>(&KyTableView::selectionChanged));

        QTest::mouseClick(table.view.viewport(), Qt::LeftButton, {}, table.cellCentre(0, 1));
        QTest::mouseClick(table.view.viewport(), Qt::LeftButton, {}, table.cellCentre(2, 0));
        QCOMPARE(selectedRows(table.view), (QSet<int>{0, 2}));
        QCOMPARE(selected.count(), 6); // one per cell of each row
        QCOMPARE(changed.count(), 2);

        QTest::mouseClick(table.view.viewport(), Qt::LeftButton, {}, table.cellCentre(0, 2));
        QCOMPARE(selectedRows(table.view), (QSet<int>{2}));
        QCOMPARE(deselected.count(), 3);
        for (const QList<QVariant> &args : deselected)
            QCOMPARE(args.at(0).value<QModelIndex>().row(), 0);
        QCOMPARE(changed.count(), 3);
    }

    void keysDoNothing_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("down") << int(Qt::Key_Down);
        QTest::newRow("up") << int(Qt::Key_Up);
        QTest::newRow("page down") << int(Qt::Key_PageDown);
        QTest::newRow("end") << int(Qt::Key_End);
        QTest::newRow("space") << int(Qt::Key_Space);
        QTest::newRow("typing a cell's text") << int(Qt::Key_R);
    }

    void keysDoNothing()
    {
        QFETCH(int, key);
        Table table({30, 30, 30}, 40, 401);
        QCOMPARE(table.view.focusPolicy(), Qt::NoFocus);
        QTest::mouseClick(table.view.viewport(), Qt::LeftButton, {}, table.cellCentre(1, 0));
        const QModelIndex current = table.view.currentIndex();
        QSignalSpy changed(&table.view, qOverload<>(&KyTableView::selectionChanged));
        QTest::keyClick(&table.view, Qt::Key(key));
        QTest::keyClick(&table.view, Qt::Key(key), Qt::ShiftModifier);
        QCOMPARE(table.view.currentIndex(), current);
        QCOMPARE(selectedRows(table.view), (QSet<int>{1}));
        QCOMPARE(table.view.verticalScrollBar()->value(), 0);
        QCOMPARE(changed.count(), 0);
    }

    void contextMenu_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<int>("copies");
        QTest::addColumn<QSet<int>>("rowsAfter");
        QTest::newRow("Deselect all") << QStringLiteral("Deselect all") << 0 << QSet<int>{};
        QTest::newRow("Copy") << QStringLiteral("Copy") << 1 << QSet<int>{1, 3};
    }

    void contextMenu()
    {
        QFETCH(QString, choice);
        QFETCH(int, copies);
        QFETCH(QSet<int>, rowsAfter);

        Table table({30, 30, 30}, 4, 401);
        table.view.selectRow(1);
        table.view.selectRow(3);
        QSignalSpy copy(&table.view, &KyTableView::Copy);
        QSignalSpy deselected(&table.view, &KyTableView::Deselected);
        QSignalSpy changed(&table.view, qOverload<>(&KyTableView::selectionChanged));
        QStringList offered;
        bool iconShown = false;
        chooseFromNextMenu(choice, &offered, &iconShown);
        openContextMenu(table.view);

        QCOMPARE(offered, (QStringList{QStringLiteral("Copy"), QStringLiteral("Deselect all")}));
        QCOMPARE(copy.count(), copies);
        QCOMPARE(selectedRows(table.view), rowsAfter);
        if (rowsAfter.isEmpty()) {
            QCOMPARE(deselected.count(), 6);
            QCOMPARE(changed.count(), 1);
        }
        // The menu is gone after use.
        QVERIFY(table.view.findChildren<QMenu *>().isEmpty());
    }

    // A window closed while the menu is open takes the view and its menu with it, once.
    void deletedWhileMenuOpen()
    {
        FixedTableModel model({30, 30}, 3);
        auto *window = new QWidget;
        auto *view = new KyTableView(window);
        view->setModel(&model);
        window->resize(300, 200);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QSignalSpy copy(view, &KyTableView::Copy);
        QVERIFY(kytest::deleteWhileContextMenuOpen(view->viewport(), window, QPoint(20, 40)));
        QCOMPARE(copy.count(), 0);
    }

    void constructionSettings()
    {
        QPointer<QStyle> viewStyle;
        QPointer<QStyle> headerStyle;
        QPointer<QStyle> barStyle;
        {
            KyTableView view;
            QVERIFY(view.isSortingEnabled());
            QCOMPARE(view.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
            QCOMPARE(view.selectionBehavior(), QAbstractItemView::SelectRows);
            QCOMPARE(view.selectionMode(), QAbstractItemView::MultiSelection);
            QCOMPARE(view.frameShape(), QFrame::StyledPanel);
            QVERIFY(view.verticalHeader()->isHidden());
            QVERIFY(view.horizontalHeader()->stretchLastSection());
            // Three styles, each owned by the widget that wears it.
            viewStyle = view.style();
            headerStyle = view.horizontalHeader()->style();
            barStyle = view.verticalScrollBar()->style();
            QVERIFY(qobject_cast<KyTableViewStyle *>(viewStyle));
            QVERIFY(qobject_cast<KyTableViewStyle *>(headerStyle));
            QVERIFY(qobject_cast<KyTableViewStyle *>(barStyle));
            QVERIFY(viewStyle != headerStyle && headerStyle != barStyle);
            QCOMPARE(viewStyle->parent(), &view);
            QCOMPARE(headerStyle->parent(), view.horizontalHeader());
            QCOMPARE(barStyle->parent(), view.verticalScrollBar());
        }
        QVERIFY(!viewStyle && !headerStyle && !barStyle);
    }

    // The picked look follows the model's role, not the view's selection, and a picked red row
    // keeps its red text.
    void pickedLookFromTheModel()
    {
        Table table({30, 30, 30}, 4, 401);
        table.view.setColumnWidthFractions({0.5, 0.3, 0.2});
        table.model.picked = {1, 3};
        table.model.red = {3};
        table.view.selectRow(2); // selected in the view, not picked in the model
        QCoreApplication::processEvents();
        const QImage shot = table.view.viewport()->grab().toImage();

        const auto background = [&](int row) {
            const QRect cell = table.view.visualRect(table.model.index(row, 0));
            return QColor(shot.pixel(cell.right() - 3, cell.center().y()));
        };
        const QColor selection(225, 241, 248);
        QCOMPARE(background(1), selection);
        QCOMPARE(background(3), selection);
        QVERIFY(background(0) != selection);
        QVERIFY(background(2) != selection);

        const auto hasRedText = [&](int row) {
            const QRect cell = table.view.visualRect(table.model.index(row, 0));
            for (int y = cell.top(); y <= cell.bottom(); ++y) {
                for (int x = cell.left(); x <= cell.right(); ++x) {
                    const QColor c(shot.pixel(x, y));
                    if (c.red() > 150 && c.green() < 100 && c.blue() < 100)
                        return true;
                }
            }
            return false;
        };
        QVERIFY(hasRedText(3));
        QVERIFY(!hasRedText(1));
    }

    void scrollBarGeometry_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("direction");
        QTest::addColumn<int>("subControl");
        QTest::addColumn<QRect>("expected");

        const int v = Qt::Vertical;
        const int h = Qt::Horizontal;
        const int ltr = Qt::LeftToRight;
        const QSize tall(30, 300);
        const QSize wide(300, 30);
        // Skins of 30 pixels: extent 30, slider 30. A vertical bar of 300 pixels has a span of
        // 300 - 60 - 22 = 218, the slider runs over 188 of them.
        QTest::newRow("v slider at 0") << v << tall << 0 << ltr << int(QStyle::SC_ScrollBarSlider) << QRect(0, 52, 30, 30);
        QTest::newRow("v slider at 50") << v << tall << 50 << ltr << int(QStyle::SC_ScrollBarSlider) << QRect(0, 146, 30, 30);
        QTest::newRow("v slider at 100") << v << tall << 100 << ltr << int(QStyle::SC_ScrollBarSlider) << QRect(0, 240, 30, 30);
        QTest::newRow("v sub page at 100") << v << tall << 100 << ltr << int(QStyle::SC_ScrollBarSubPage) << QRect(0, 52, 30, 188);
        QTest::newRow("v add page at 0") << v << tall << 0 << ltr << int(QStyle::SC_ScrollBarAddPage) << QRect(0, 82, 30, 188);
        QTest::newRow("v up button below the header row") << v << tall << 0 << ltr << int(QStyle::SC_ScrollBarSubLine) << QRect(0, 22, 30, 30);
        QTest::newRow("v down button") << v << tall << 0 << ltr << int(QStyle::SC_ScrollBarAddLine) << QRect(0, 269, 30, 30);
        QTest::newRow("v groove") << v << tall << 0 << ltr << int(QStyle::SC_ScrollBarGroove) << QRect(0, 30, 30, 240);
        QTest::newRow("v first") << v << tall << 0 << ltr << int(QStyle::SC_ScrollBarFirst) << QRect();
        QTest::newRow("v last") << v << tall << 0 << ltr << int(QStyle::SC_ScrollBarLast) << QRect();
        // Short bars split their length between the buttons, halves going up.
        QTest::newRow("short down button") << v << QSize(30, 51) << 0 << ltr << int(QStyle::SC_ScrollBarAddLine) << QRect(0, 35, 30, 15);
        QTest::newRow("short up button") << v << QSize(30, 51) << 0 << ltr << int(QStyle::SC_ScrollBarSubLine) << QRect(0, 22, 30, 26);
        QTest::newRow("h slider at 0") << h << wide << 0 << ltr << int(QStyle::SC_ScrollBarSlider) << QRect(30, 0, 30, 30);
        QTest::newRow("h down button") << h << wide << 0 << ltr << int(QStyle::SC_ScrollBarAddLine) << QRect(270, 0, 30, 30);
        QTest::newRow("h slider right to left") << h << wide << 0 << int(Qt::RightToLeft) << int(QStyle::SC_ScrollBarSlider) << QRect(240, 0, 30, 30);
    }

    void scrollBarGeometry()
    {
        QFETCH(int, orientation);
        QFETCH(QSize, size);
        QFETCH(int, value);
        QFETCH(int, direction);
        QFETCH(int, subControl);
        QFETCH(QRect, expected);

        KyTableViewStyle style(nullptr);
        QStyleOptionSlider option;
        option.orientation = Qt::Orientation(orientation);
        option.rect = QRect(QPoint(0, 0), size);
        option.minimum = 0;
        option.maximum = 100;
        option.sliderPosition = value;
        option.sliderValue = value;
        option.direction = Qt::LayoutDirection(direction);
        QCOMPARE(style.pixelMetric(QStyle::PM_ScrollBarExtent), 30);
        QCOMPARE(style.subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SubControl(subControl)), expected);
        // A scroll bar query without slider data has no geometry.
        QStyleOptionComplex plain;
        plain.rect = option.rect;
        QCOMPARE(style.subControlRect(QStyle::CC_ScrollBar, &plain, QStyle::SubControl(subControl)), QRect());
    }

    void scrollBarLook()
    {
        Table table({30, 30, 30}, 60, 401);
        QScrollBar *bar = table.view.verticalScrollBar();
        QCOMPARE(bar->width(), 30);
        const QImage shot = kywidgettest::grabShown(bar);
        // The strip beside the header row, the up button's backdrop behind its skin, the page
        // area and the slider.
        QCOMPARE(QColor(shot.pixel(15, 5)), QColor(232, 232, 232));
        const QRect slider = scrollBarPart(bar, QStyle::SC_ScrollBarSlider);
        const QRect page = scrollBarPart(bar, QStyle::SC_ScrollBarAddPage);
        QCOMPARE(QColor(shot.pixel(slider.center())), QColor(100, 104, 100));
        QCOMPARE(QColor(shot.pixel(page.center())), QColor(237, 238, 237));
        QCOMPARE(QColor(shot.pixel(page.left(), page.center().y())), QColor(157, 154, 144));
    }

    void headerLook()
    {
        Table table({30, 30, 30}, 2, 401);
        table.view.setColumnWidthFractions({0.5, 0.3, 0.2});
        QHeaderView *header = table.view.horizontalHeader();
        const QImage shot = header->grab().toImage();
        const QColor dark(100, 104, 100);
        const int first = header->sectionViewportPosition(0);
        const int middle = header->sectionViewportPosition(1);
        QCOMPARE(QColor(shot.pixel(first + 40, header->height() - 2)), dark);
        // Only the table's outer top corners are round: the first section's top-left corner shows
        // the light backdrop, the middle section's corners are square.
        QCOMPARE(QColor(shot.pixel(first, 0)), QColor(210, 210, 210));
        QCOMPARE(QColor(shot.pixel(middle + 1, 0)), dark);
        QCOMPARE(QColor(shot.pixel(first + 1, header->height() - 1)), dark);
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyTableView)
#include "tst_kytableview.moc"
