#include "scrollbarparts.h"
#include "testmain.h"
#include "widgettest.h"

#include "widgets/kyitemroles.h"
#include "widgets/kylistview.h"
#include "widgets/kylistviewitemdelegate.h"
#include "widgets/kylistviewstyle.h"
#include "widgets/kypagelistmodel.h"

#include <QApplication>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyleOptionSlider>

namespace {

// Items "capture n" with a picked flag under the picked-item role, 40 pixels high.
class FlagListModel : public KyPageListModel
{
public:
    explicit FlagListModel(int count)
        : KyPageListModel(nullptr, 100, 50)
        , flags(count, false)
    {
    }

    int TotalCount() const override { return int(flags.size()); }

    QVariant data(const QModelIndex &index, int role) const override
    {
        int row = 0;
        if (!ToSourceRow(index.row(), &row) || row >= flags.size())
            return {};
        switch (role) {
        case Qt::DisplayRole:
            return QStringLiteral("capture %1").arg(row);
        case Qt::SizeHintRole:
            return QSize(50, 40);
        case KyItemRole::kRole_ItemSelected:
            return bool(flags.at(row));
        default:
            return {};
        }
    }

    bool setData(const QModelIndex &index, const QVariant &value, int role) override
    {
        int row = 0;
        if (role != KyItemRole::kRole_ItemSelected || !ToSourceRow(index.row(), &row) || row >= flags.size())
            return false;
        flags[row] = value.toBool();
        ++writes;
        emit dataChanged(index, index);
        return true;
    }

    QList<bool> flags;
    int writes = 0;
};

} // namespace

// Stands in for the shell's capture-folder list model: the list view knows it by its class name.
class KyImageFileListModel : public FlagListModel
{
    Q_OBJECT

public:
    using FlagListModel::FlagListModel;

    // The shell's selected-items model has no meta-object of its own.
    class KySelectedImageFileListModel : public FlagListModel
    {
    public:
        using FlagListModel::FlagListModel;
    };
};

// Any other model with the same role.
class OtherFlagListModel : public FlagListModel
{
    Q_OBJECT

public:
    using FlagListModel::FlagListModel;
};

namespace {

struct List
{
    explicit List(FlagListModel *inModel)
        : model(inModel)
    {
        view.setModel(model);
        view.resize(240, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
    }

    QRect rowRect(int row) const { return view.visualRect(model->index(row, 0)); }
    void click(int row) { QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, rowRect(row).center()); }

    FlagListModel *model;
    KyListView view;
};

} // namespace

class TestKyListView : public QObject
{
    Q_OBJECT

private slots:
    void clickTogglesTheImageFileModelOnly_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("toggles");
        QTest::newRow("image-file list model") << QStringLiteral("image files") << true;
        QTest::newRow("its selected-items model") << QStringLiteral("selected") << false;
        QTest::newRow("another model") << QStringLiteral("other") << false;
    }

    void clickTogglesTheImageFileModelOnly()
    {
        QFETCH(QString, kind);
        QFETCH(bool, toggles);
        std::unique_ptr<FlagListModel> model;
        if (kind == QLatin1String("image files"))
            model = std::make_unique<KyImageFileListModel>(3);
        else if (kind == QLatin1String("selected"))
            model = std::make_unique<KyImageFileListModel::KySelectedImageFileListModel>(3);
        else
            model = std::make_unique<OtherFlagListModel>(3);

        List list(model.get());
        QSignalSpy pressed(&list.view, &QAbstractItemView::pressed);
        list.click(1);
        QCOMPARE(model->flags, (QList<bool>{false, toggles, false}));
        list.click(1);
        QCOMPARE(model->flags, (QList<bool>{false, false, false}));
        QCOMPARE(model->writes, toggles ? 2 : 0);
        // The view's own press handling runs in every case.
        QCOMPARE(pressed.count(), 2);
        // The view keeps no selection of its own.
        QVERIFY(list.view.selectionModel()->selectedIndexes().isEmpty());

        // Below the last row: nothing changes.
        QTest::mouseClick(list.view.viewport(), Qt::LeftButton, {}, QPoint(20, list.rowRect(2).bottom() + 30));
        QCOMPARE(model->writes, toggles ? 2 : 0);
    }

    void emptyModelIsNotWritten()
    {
        KyImageFileListModel model(0);
        List list(&model);
        QTest::mouseClick(list.view.viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(model.writes, 0);
    }

    void toggleCanBeTurnedOff()
    {
        KyImageFileListModel model(2);
        List list(&model);
        list.view.setToggleOnClick(false);
        list.click(0);
        QCOMPARE(model.writes, 0);
    }

    // Odd rows carry the tint, every row its separator, a picked row the selection fill with its
    // blue frame; a click redraws the row picked.
    void rowLook()
    {
        KyImageFileListModel model(4);
        List list(&model);
        list.click(2);
        QCoreApplication::processEvents();
        const QImage shot = kywidgettest::grabShown(list.view.viewport());

        const QColor base = list.view.viewport()->palette().color(QPalette::Base);
        const QColor tint(247, 249, 255);
        const QColor separator(198, 197, 200);
        const QColor picked(196, 226, 255);
        const QColor frame(59, 115, 185);
        const auto at = [&](int row, int dx, int dy) {
            const QRect r = list.rowRect(row);
            const QPoint p(dx >= 0 ? r.left() + dx : r.right() + dx + 1, dy >= 0 ? r.top() + dy : r.bottom() + dy + 1);
            return QColor(shot.pixel(p));
        };
        // Sampled right of the text.
        QCOMPARE(at(0, -20, 10), base);
        QCOMPARE(at(1, -20, 10), tint);
        QCOMPARE(at(3, -20, 10), tint);
        for (int row : {0, 1, 3})
            QCOMPARE(at(row, -20, -1), separator);
        QCOMPARE(at(2, -20, 10), picked);
        QCOMPARE(at(2, 0, 20), frame);
        QCOMPARE(at(2, -20, 0), frame);
        // The picked item's text stays dark on the light fill.
        bool darkText = false;
        const QRect pickedRow = list.rowRect(2).adjusted(4, 4, -4, -4);
        for (QRgb pixel : kywidgettest::colours(shot, pickedRow))
            darkText = darkText || qGray(pixel) < 80;
        QVERIFY(darkText);

        list.click(2);
        QCoreApplication::processEvents();
        const QImage again = list.view.viewport()->grab().toImage();
        const QRect r = list.rowRect(2);
        QCOMPARE(QColor(again.pixel(r.right() - 19, r.top() + 10)), base);
    }

    void scrollBarGeometry_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("subControl");
        QTest::addColumn<QRect>("expected");

        const int v = Qt::Vertical;
        // Skins of 30 pixels; a bar of 30 x 300 has a span of 240, the slider runs over 210.
        QTest::newRow("slider at 0") << v << 0 << int(QStyle::SC_ScrollBarSlider) << QRect(0, 30, 30, 30);
        QTest::newRow("slider at 100") << v << 100 << int(QStyle::SC_ScrollBarSlider) << QRect(0, 240, 30, 30);
        QTest::newRow("add page at 0") << v << 0 << int(QStyle::SC_ScrollBarAddPage) << QRect(0, 60, 30, 210);
        QTest::newRow("sub page at 100") << v << 100 << int(QStyle::SC_ScrollBarSubPage) << QRect(0, 30, 30, 210);
        QTest::newRow("down button") << v << 0 << int(QStyle::SC_ScrollBarAddLine) << QRect(0, 270, 30, 30);
        QTest::newRow("up button") << v << 0 << int(QStyle::SC_ScrollBarSubLine) << QRect(0, 0, 30, 30);
        QTest::newRow("groove") << v << 0 << int(QStyle::SC_ScrollBarGroove) << QRect(0, 30, 30, 240);
        // A horizontal option of 300 x 30 gets the vertical geometry, its length being its width.
        QTest::newRow("horizontal option") << int(Qt::Horizontal) << 100 << int(QStyle::SC_ScrollBarSlider)
                                           << QRect(0, 240, 300, 30);
    }

    void scrollBarGeometry()
    {
        QFETCH(int, orientation);
        QFETCH(int, value);
        QFETCH(int, subControl);
        QFETCH(QRect, expected);

        KyListViewStyle style(0, nullptr);
        QStyleOptionSlider option;
        option.orientation = Qt::Orientation(orientation);
        option.rect = orientation == Qt::Vertical ? QRect(0, 0, 30, 300) : QRect(0, 0, 300, 30);
        option.minimum = 0;
        option.maximum = 100;
        option.sliderPosition = value;
        QCOMPARE(style.pixelMetric(QStyle::PM_ScrollBarExtent), 30);
        QCOMPARE(style.subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SubControl(subControl)), expected);
    }

    void scrollBarLook()
    {
        OtherFlagListModel model(40);
        List list(&model);
        QScrollBar *bar = list.view.verticalScrollBar();
        const QImage shot = kywidgettest::grabShown(bar);
        const QRect page = scrollBarPart(bar, QStyle::SC_ScrollBarAddPage);
        QVERIFY(page.height() > 10);
        QCOMPARE(QColor(shot.pixel(page.center())), QColor(237, 238, 237));
        // Every part ends with a light line along its left edge.
        QCOMPARE(QColor(shot.pixel(0, page.center().y())), QColor(210, 210, 210));
        QCOMPARE(QColor(shot.pixel(0, 15)), QColor(210, 210, 210));
    }

    void constructionSettings()
    {
        QPointer<QAbstractItemDelegate> delegate;
        QPointer<QStyle> viewStyle;
        QPointer<QStyle> barStyle;
        {
            OtherFlagListModel model(2);
            List list(&model);
            // The scroll bar shows even when everything fits.
            QVERIFY(list.view.verticalScrollBar()->isVisible());
            QCOMPARE(list.view.focusPolicy(), Qt::NoFocus);
            QCOMPARE(list.view.selectionMode(), QAbstractItemView::NoSelection);
            delegate = list.view.itemDelegate();
            QVERIFY(qobject_cast<KyListViewItemDelegate *>(delegate));
            QCOMPARE(delegate->parent(), &list.view);
            viewStyle = list.view.style();
            barStyle = list.view.verticalScrollBar()->style();
            QVERIFY(qobject_cast<KyListViewStyle *>(viewStyle));
            QVERIFY(qobject_cast<KyListViewStyle *>(barStyle));
            QCOMPARE(viewStyle->parent(), &list.view);
            QCOMPARE(barStyle->parent(), list.view.verticalScrollBar());
        }
        QVERIFY(!delegate && !viewStyle && !barStyle);
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyListView)
#include "tst_kylistview.moc"
