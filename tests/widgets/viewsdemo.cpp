// Shows a table view with picked and red rows, a list view and the stand-alone scroll bar in one
// window, then the busy view over it, and writes a screenshot of the screen at each stage:
//   viewsdemo [table.png] [busy.png]
// Run it under a real display (Xvfb) to look at it.

#include "widgets/kybusyview.h"
#include "widgets/kyfonts.h"
#include "widgets/kyitemroles.h"
#include "widgets/kylistview.h"
#include "widgets/kyscrollbar.h"
#include "widgets/kytableview.h"
#include "widgets/kytableviewitemdelegate.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QStandardItemModel>
#include <QTimer>

#include <cstdio>

namespace {

QStandardItemModel *summaryRows(QObject *parent)
{
    auto *model = new QStandardItemModel(30, 7, parent);
    model->setHorizontalHeaderLabels({"Lane", "Band", "Position", "MW", "Volume", "Lane %", "Norm."});
    for (int row = 0; row < 30; ++row) {
        for (int column = 0; column < 7; ++column) {
            auto *item = new QStandardItem(QString::number(row * 10 + column * 3.5, 'f', 1));
            item->setData(QFont("Arial", 9), Qt::FontRole);
            item->setData(int(column < 3 ? Qt::AlignHCenter : Qt::AlignRight) | Qt::AlignVCenter,
                          Qt::TextAlignmentRole);
            item->setData(row == 3 ? QColor(Qt::red) : QColor(Qt::black), Qt::ForegroundRole);
            item->setData(row == 1 || row == 3, KyItemRole::kRole_RowSelected);
            model->setItem(row, column, item);
        }
    }
    return model;
}

QStandardItemModel *captures(QObject *parent)
{
    auto *model = new QStandardItemModel(parent);
    for (int i = 0; i < 8; ++i) {
        auto *item = new QStandardItem(QStringLiteral("Capture %1").arg(i + 1));
        item->setData(QSize(50, 40), Qt::SizeHintRole);
        item->setData(i == 2, KyItemRole::kRole_ItemSelected);
        model->appendRow(item);
    }
    return model;
}

bool saveScreen(const char *path)
{
    if (!path)
        return true;
    if (QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromLocal8Bit(path)))
        return true;
    std::fprintf(stderr, "viewsdemo: cannot write %s\n", path);
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    registerFontSubstitutions();
    const char *tableShot = argc > 1 ? argv[1] : nullptr;
    const char *busyShot = argc > 2 ? argv[2] : nullptr;

    QWidget window;
    window.setWindowTitle(QStringLiteral("views demo"));
    auto *layout = new QHBoxLayout(&window);
    auto *table = new KyTableView(&window);
    table->setModel(summaryRows(table));
    table->setItemDelegate(new KyTableViewItemDelegate(table));
    table->setColumnWidthFractions({0.113, 0.113, 0.17, 0.141, 0.211, 0.127, 0.125});
    layout->addWidget(table, 3);
    auto *list = new KyListView(&window);
    list->setModel(captures(list));
    layout->addWidget(list, 1);
    auto *bar = new KyScrollBar(&window);
    bar->setFixedWidth(30);
    layout->addWidget(bar);
    window.resize(1000, 600);
    window.move(20, 20);
    window.show();

    int result = 0;
    QTimer::singleShot(800, [&] {
        // The slider takes its size from the track when the lengths are set.
        bar->setTotal(200);
        bar->setPosition(60);
        QCoreApplication::processEvents();
        if (!saveScreen(tableShot))
            result = 1;
        KyBusyView::show(&window);
    });
    QTimer::singleShot(2000, [&] {
        if (!saveScreen(busyShot))
            result = 1;
        KyBusyView::hide();
        app.quit();
    });
    app.exec();
    return result;
}
