// Writes a summary report over three pages and an image printed to scale as PDFs, to look at:
//   printdemo <folder>      (writes <folder>/report.pdf and <folder>/scale.pdf)
// then e.g. pdftoppm -r 96 -png <folder>/report.pdf <folder>/report

#include "results/kyprintdata.h"
#include "results/kyprinter.h"
#include "widgets/kyitemroles.h"
#include "widgets/kytableview.h"
#include "widgets/kytableviewitemdelegate.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QStandardItemModel>

#include <cstdio>

namespace {

// A band-result table as the summary shows it with several channels.
KyTableView *summaryTable()
{
    auto *view = new KyTableView;
    view->setItemDelegate(new KyTableViewItemDelegate(view));
    view->setFrameShape(QFrame::NoFrame);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *model = new QStandardItemModel(70, 8); // no parent: the record takes it
    model->setHorizontalHeaderLabels({"Channel", "Lane", "Band", "Volume", "Lane %", "Normalized value", "MW", "Rf"});
    const char *channels[] = {"Blue", "Green", "Red"};
    for (int row = 0; row < 70; ++row) {
        const QStringList cells{channels[row / 24], QString::number(row % 8 + 1), QString::number(row % 3 + 1),
                                QString::number(12000 + row * 137), QString::number(10 + row % 40 * 1.7, 'f', 1),
                                row % 8 == 0 ? QStringLiteral("ref") : QString::number(0.5 + row % 5 * 0.13, 'f', 2),
                                QString::number(250 - row * 3), QString::number(0.1 + row % 9 * 0.09, 'f', 2)};
        for (int column = 0; column < 8; ++column) {
            auto *item = new QStandardItem(cells[column]);
            item->setData(int(column < 3 ? Qt::AlignHCenter : Qt::AlignRight) | Qt::AlignVCenter,
                          Qt::TextAlignmentRole);
            item->setData(row == 4 || row == 5, KyItemRole::kRole_RowSelected);
            model->setItem(row, column, item);
        }
    }
    view->setModel(model);
    return view;
}

// A gel-like picture: dark lanes with bands.
QImage lanePicture()
{
    QImage image(640, 420, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int lane = 0; lane < 8; ++lane) {
        const int x = 30 + lane * 75;
        painter.fillRect(x, 20, 50, 380, QColor(60, 60, 60));
        for (int band = 0; band < 3; ++band)
            painter.fillRect(x, 60 + band * 110 + lane * 6, 50, 14, QColor(230, 230, 230));
        painter.setPen(QColor(59, 115, 185));
        painter.drawRect(x - 2, 18, 54, 384);
    }
    return image;
}

QImage barChart()
{
    QImage image(756, 464, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    painter.drawLine(40, 420, 740, 420);
    painter.drawLine(40, 20, 40, 420);
    for (int bar = 0; bar < 8; ++bar)
        painter.fillRect(60 + bar * 85, 420 - (60 + bar * 40), 50, 60 + bar * 40, QColor(255, 192, 0));
    return image;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: printdemo <folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));

    KyPrintData data(folder.filePath(QStringLiteral("report.pdf")));
    data.setTitle(QStringLiteral("Chemiluminescence  Exposure time: 10.0 s\nFile: blot-7.tif  2026/12/10 14:02"));
    data.setImage(lanePicture());
    data.setImage2(barChart());
    data.setCaption(QStringLiteral("Normalized value"));
    data.setTable(summaryTable());
    KyPrinter report;
    if (!report.ExportPdf(data)) {
        std::fprintf(stderr, "printdemo: the report was not written\n");
        return 1;
    }

    KyPrinter scale;
    scale.printer()->setOutputFileName(folder.filePath(QStringLiteral("scale.pdf")));
    scale.SetTitle(QStringLiteral("Chemiluminescence  Exposure time: 10.0 s"));
    QImage image = lanePicture().scaled(1000, 500);
    if (!scale.PrintImageToScale(image, 100.0)) {
        std::fprintf(stderr, "printdemo: the image was not printed\n");
        return 1;
    }
    return 0;
}
