// The summary table, a lane profile graph and the bar chart of an analysed sample capture in one
// window; writes a screenshot to the path given (default results.png) and exits.
#include "resultfixtures.h"

#include "results/kybarchartctrl.h"
#include "results/kychartview.h"
#include "results/kyprofilegraphview.h"
#include "results/kytablemodel.h"
#include "widgets/kytableview.h"
#include "widgets/kytableviewitemdelegate.h"

#include <QApplication>
#include <QChart>
#include <QGridLayout>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("results.png");
    QTemporaryDir dir;
    std::unique_ptr<resultfixtures::ProbeMultiDocument> document = resultfixtures::fluorDocument(dir);
    if (!document) {
        std::fprintf(stderr, "no sample capture\n");
        return 1;
    }
    KyCurrentDocument::setDocument(document.get());

    QWidget window;
    window.setStyleSheet(QStringLiteral("background: white;"));
    auto *layout = new QGridLayout(&window);
    KyTableModel model;
    auto *table = new KyTableView;
    table->setItemDelegate(new KyTableViewItemDelegate(table));
    table->setModel(&model);
    QObject::connect(table, &KyTableView::Selected, &model, &KyTableModel::RowSelected);
    QObject::connect(table, &KyTableView::Deselected, &model, &KyTableModel::RowDeselected);
    table->setColumnWidthFractions({0.178, 0.096, 0.096, 0.11, 0.11, 0.205, 0.11, 0.095});
    auto *graph = new KyProfileGraphView;
    graph->setMinimumSize(480, 400);
    auto *chartView = new KyChartView;
    chartView->setMinimumSize(480, 380);
    chartView->chart()->legend()->hide();
    KyBarChartCtrl ctrl(model.selectedModel(), chartView->chart(), 3, 3);
    layout->addWidget(table, 0, 0, 2, 1);
    layout->addWidget(graph, 0, 1);
    layout->addWidget(chartView, 1, 1);
    layout->setColumnStretch(0, 5);
    layout->setColumnStretch(1, 4);
    window.resize(1260, 900);

    model.setContents(document.get());
    model.refresh(0x87 & ~0x04); // every channel, through a change of selection
    model.refresh(0x87);
    graph->refresh(-1, 2);
    for (int row : {1, 2, 4, 7, 12})
        table->selectRow(row);
    window.show();
    QTimer::singleShot(500, [&] {
        const bool saved = window.grab().save(output);
        std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(output));
        app.exit(saved ? 0 : 1);
    });
    return app.exec();
}
