#include "resultfixtures.h"
#include "testmain.h"

#include "results/kybarchartctrl.h"
#include "results/kychartview.h"
#include "results/kyselectedmodel.h"
#include "results/kytablemodel.h"

#include <QApplication>
#include <QBarSet>
#include <QChart>
#include <QClipboard>
#include <QGraphicsTextItem>

#include <algorithm>

using namespace resultfixtures;

namespace {

KySelectedRow row(const QString &inChannel, int inLane, int inBand, const QString &inVolume,
                  const QString &inPercent = QStringLiteral("1.00"))
{
    return KySelectedRow(inChannel, inLane, inBand, inVolume, inPercent, QStringLiteral("-"), QStringLiteral("-"),
                         QStringLiteral("0.5000"), false, 0);
}

QList<qreal> barValues(const KyBarChartCtrl &inCtrl)
{
    QList<qreal> values;
    const QList<QBarSet *> sets = inCtrl.series()->barSets();
    if (sets.isEmpty())
        return values;
    for (int i = 0; i < sets.first()->count(); ++i)
        values.append(sets.first()->at(i));
    return values;
}

// The value axis's labels as drawn: the texts left of the plot area, top to bottom.
QStringList valueAxisTexts(QChartView &inView)
{
    QList<QGraphicsTextItem *> texts;
    for (QGraphicsItem *item : inView.scene()->items()) {
        auto *text = dynamic_cast<QGraphicsTextItem *>(item);
        if (text && text->isVisible() && !text->toPlainText().isEmpty()
            && text->sceneBoundingRect().right() <= inView.chart()->plotArea().left())
            texts.append(text);
    }
    std::sort(texts.begin(), texts.end(), [](const QGraphicsTextItem *a, const QGraphicsTextItem *b) {
        return a->sceneBoundingRect().top() < b->sceneBoundingRect().top();
    });
    QStringList labels;
    for (const QGraphicsTextItem *text : texts)
        labels.append(text->toPlainText());
    return labels;
}

QStringList visible(const QStringList &inLabels)
{
    QStringList shown;
    for (QString label : inLabels)
        shown.append(label.remove(QChar(0x200B)));
    return shown;
}

} // namespace

class TestKyBarChartCtrl : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void emptyModel();
    void picksFromTheTable();
    void labels_data();
    void labels();
    void maximumFromFirstColumnOnly();
    void oneImageLabels();
    void secondModelStillDrives();
    void renderedBarColour();
    void valueAxisLabels_data();
    void valueAxisLabels();

private:
    QTemporaryDir dir;
    std::unique_ptr<ProbeMultiDocument> fluor;
};

void TestKyBarChartCtrl::initTestCase()
{
    QVERIFY(dir.isValid());
    fluor = fluorDocument(dir);
    QVERIFY(fluor);
}

void TestKyBarChartCtrl::emptyModel()
{
    KyTableModel table;
    QChart chart;
    KyBarChartCtrl ctrl(table.selectedModel(), &chart, 3, 3);
    table.setContents(fluor.get());
    QVERIFY(ctrl.xAxis()->categories().isEmpty());
    QCOMPARE(ctrl.yAxis()->max(), 0.0);
    QCOMPARE(barValues(ctrl).size(), 0);
}

void TestKyBarChartCtrl::picksFromTheTable()
{
    KyTableModel table;
    QAbstractItemModelTester tester(table.selectedModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    QChart chart;
    KyBarChartCtrl ctrl(table.selectedModel(), &chart, 3, 3);
    table.setContents(fluor.get());
    for (int r : {0, 3, 5})
        table.RowSelected(table.index(r, 1));
    KySelectedModel *picked = table.selectedModel();
    QCOMPARE(picked->rowCount(), 3);
    QStringList expected;
    double maximum = 0.0;
    QList<qreal> volumes;
    for (int r = 0; r < 3; ++r) {
        expected.append(QStringLiteral("%1-%2-%3")
                            .arg(picked->data(picked->index(r, 0)).toString().left(1),
                                 picked->data(picked->index(r, 1)).toString(), picked->data(picked->index(r, 2)).toString()));
        volumes.append(picked->data(picked->index(r, 3)).toDouble());
        maximum = std::max(maximum, volumes.last());
    }
    QCOMPARE(visible(ctrl.xAxis()->categories()), expected);
    QCOMPARE(barValues(ctrl), volumes);
    QVERIFY(ctrl.yAxis()->max() >= maximum * 1.05);
    QVERIFY(ctrl.yAxis()->max() <= maximum * 2.5);
    QCOMPARE(ctrl.yAxis()->min(), 0.0);
    // Only the newest series and axes live on the chart.
    QCOMPARE(chart.series().size(), 1);
    QCOMPARE(chart.axes().size(), 2);

    // The lane-percent column; then nothing picked.
    ctrl.setBarSetColumns(4, 4);
    QList<qreal> percents;
    for (int r = 0; r < 3; ++r)
        percents.append(picked->data(picked->index(r, 4)).toDouble());
    QCOMPARE(barValues(ctrl), percents);
    table.setSelection({});
    QVERIFY(ctrl.xAxis()->categories().isEmpty());
    QCOMPARE(ctrl.yAxis()->max(), 0.0);
}

void TestKyBarChartCtrl::labels_data()
{
    QTest::addColumn<QStringList>("channels");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("distinct initials") << QStringList{"Blue", "Green", "Red"} << QStringList{"B-2-1", "G-2-1", "R-2-1"};
    QTest::newRow("shared initial") << QStringList{"Blue", "Black", "Brown"} << QStringList{"B-2-1", "B-2-1", "B-2-1"};
    QTest::newRow("empty channel name") << QStringList{"", "Red"} << QStringList{"-2-1", "R-2-1"};
}

void TestKyBarChartCtrl::labels()
{
    QFETCH(QStringList, channels);
    QFETCH(QStringList, expected);
    KySelectedModel model;
    model.SetDocument(fluor.get());
    QChart chart;
    KyBarChartCtrl ctrl(&model, &chart, 3, 3);
    for (int i = 0; i < channels.size(); ++i)
        QVERIFY(model.InsertData(i, row(channels.at(i), 2, 1, QString::number(10 * (i + 1)))));
    const QStringList categories = ctrl.xAxis()->categories();
    // The axis keeps one category per bar, each under its own bar, reading as the user expects.
    QCOMPARE(categories.size(), channels.size());
    QCOMPARE(barValues(ctrl).size(), channels.size());
    QCOMPARE(visible(categories), expected);
    QCOMPARE(KyBarChartCtrl::categoryLabels(model), categories);
}

void TestKyBarChartCtrl::maximumFromFirstColumnOnly()
{
    KySelectedModel model;
    model.SetDocument(fluor.get());
    QChart chart;
    KyBarChartCtrl ctrl(&model, &chart, 3, 4);
    QVERIFY(model.InsertData(0, row(QStringLiteral("Blue"), 1, 1, QStringLiteral("10"), QStringLiteral("900.00"))));
    QVERIFY(model.InsertData(1, row(QStringLiteral("Blue"), 1, 2, QStringLiteral("20"), QStringLiteral("950.00"))));
    QCOMPARE(ctrl.series()->barSets().size(), 2);
    QVERIFY(ctrl.yAxis()->max() >= 21.0);
    QVERIFY(ctrl.yAxis()->max() < 100.0);
    // Text cells count as 0, and a maximum of 0 gets no nice-number ranging.
    KySelectedModel texts;
    texts.SetDocument(fluor.get());
    KyBarChartCtrl textCtrl(&texts, &chart, 5, 5);
    QVERIFY(texts.InsertData(0, row(QStringLiteral("Blue"), 1, 1, QStringLiteral("10"))));
    QCOMPARE(textCtrl.yAxis()->max(), 0.0);
    QCOMPARE(textCtrl.xAxis()->categories().size(), 1);
}

void TestKyBarChartCtrl::oneImageLabels()
{
    QTemporaryDir own;
    std::unique_ptr<KyDocument> gel = singleDocument(own, QStringLiteral("gel"));
    QVERIFY(gel);
    KySelectedModel model;
    model.SetDocument(gel.get());
    QVERIFY(model.HidesChannelColumn());
    QChart chart;
    KyBarChartCtrl ctrl(&model, &chart, 3, 3);
    QVERIFY(model.InsertData(0, row(QString(), 2, 3, QStringLiteral("1234"))));
    QCOMPARE(ctrl.xAxis()->categories(), QStringList{QStringLiteral("2-3")});
    QCOMPARE(barValues(ctrl), QList<qreal>{1234.0});
}

void TestKyBarChartCtrl::secondModelStillDrives()
{
    KySelectedModel first;
    first.SetDocument(fluor.get());
    KySelectedModel second;
    second.SetDocument(fluor.get());
    QChart chart;
    KyBarChartCtrl ctrl(&first, &chart, 3, 3);
    ctrl.setModel(&second);
    ctrl.setModel(&second);
    QVERIFY(first.InsertData(0, row(QStringLiteral("Blue"), 1, 1, QStringLiteral("5"))));
    QVERIFY(ctrl.xAxis()->categories().isEmpty());
    second.UpdateRow({row(QStringLiteral("Red"), 4, 2, QStringLiteral("7"))});
    QCOMPARE(visible(ctrl.xAxis()->categories()), QStringList{QStringLiteral("R-4-2")});
    second.UpdateRow({row(QStringLiteral("Red"), 4, 3, QStringLiteral("8"))});
    QCOMPARE(visible(ctrl.xAxis()->categories()), QStringList{QStringLiteral("R-4-3")});
}

void TestKyBarChartCtrl::renderedBarColour()
{
    KyTableModel table;
    KyChartView view;
    view.resize(500, 350);
    KyBarChartCtrl ctrl(table.selectedModel(), view.chart(), 3, 3);
    table.setContents(fluor.get());
    table.RowSelected(table.index(1, 1));
    table.RowSelected(table.index(2, 1));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QImage shot = view.grab().toImage();
    const QRgb bar = KyBarChartCtrl::barColor().rgb() & 0xffffff;
    int barPixels = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            barPixels += (shot.pixel(x, y) & 0xffffff) == bar ? 1 : 0;
    QVERIFY2(barPixels > 200, qPrintable(QString::number(barPixels)));
    view.CopyToClipboard();
    QCOMPARE(QApplication::clipboard()->image().size(), view.size());
}

// Whole-number ticks read without decimals and with grouped thousands; fractional ticks keep the
// decimals they need, the same number on every label.
void TestKyBarChartCtrl::valueAxisLabels_data()
{
    QTest::addColumn<QStringList>("volumes");
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("millions") << QStringList{"3000000", "1250000"}
                              << QStringList{"4,000,000", "3,000,000", "2,000,000", "1,000,000", "0"};
    QTest::newRow("tens") << QStringList{"12.5", "30.25"} << QStringList{"40", "30", "20", "10", "0"};
    QTest::newRow("halves") << QStringList{"0.6", "1.2"} << QStringList{"1.5", "1.0", "0.5", "0.0"};
}

void TestKyBarChartCtrl::valueAxisLabels()
{
    QFETCH(QStringList, volumes);
    QFETCH(QStringList, labels);
    KySelectedModel model;
    model.SetDocument(fluor.get());
    KyChartView view;
    view.resize(500, 350);
    KyBarChartCtrl ctrl(&model, view.chart(), 3, 3);
    for (int i = 0; i < volumes.size(); ++i)
        QVERIFY(model.InsertData(i, row(QStringLiteral("Blue"), 1, i + 1, volumes.at(i))));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QTRY_COMPARE(valueAxisTexts(view).join(QLatin1String(" | ")), labels.join(QLatin1String(" | ")));
}

KY_TEST_MAIN_WITH(QApplication, TestKyBarChartCtrl)
#include "tst_kybarchartctrl.moc"
