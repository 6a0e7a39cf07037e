// What leaves the screen: copy, print and the summary PDF.
//
// Every picture is rendered from widgets that never reach the screen, without running the event
// loop: the window stays enabled meanwhile, and queued input must not switch steps or edit the
// analysis half-way through a picture.
#include "analysisview/kyanalysisview.h"

#include "analysisview/laneview.h"
#include "document/kydocument.h"
#include "image/imagefile.h"
#include "results/kybarchartctrl.h"
#include "results/kyprintdata.h"
#include "results/kyprinter.h"
#include "results/kyprofilegraphview.h"
#include "results/kyselectedmodel.h"
#include "results/kysummaryreport.h"
#include "results/kytablemodel.h"
#include "widgets/kyimageview.h"
#include "widgets/kymessagebox.h"
#include "widgets/kytab.h"
#include "widgets/kytableview.h"
#include "widgets/kytableviewitemdelegate.h"

#include <QBoxLayout>
#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QFrame>
#include <QPainter>
#include <QPrintDialog>
#include <QTransform>

#include <memory>

namespace {

// The bar chart picture of the summary PDF, and the lane picture beside it: the same shape, so
// the two sit side by side at the same size.
constexpr QSize kSummaryPictureSize(756, 464);
constexpr int kChartMargin = 5;
// The lane picture's canvas takes this share of the picture, centred.
constexpr double kLaneCanvasShare = 0.9;

const QWidget::RenderFlags kRenderFlags = QWidget::DrawWindowBackground | QWidget::DrawChildren;

// Only a paper printer is asked: output to a file is always ready. Clearing the work-offline state
// first lets a printer that was merely held take the page.
bool askPrintService(KyPrinter *inPrinter)
{
    if (inPrinter->printer()->outputFormat() != QPrinter::NativeFormat)
        return true;
    inPrinter->SetDefaultPrinterOffline(false);
    return inPrinter->IsDefaultPrinterReady(nullptr, nullptr);
}

// Lays a widget tree out and delivers its resize events at once, without a window on the screen
// and without input: what rendering a never-shown widget needs.
void showOffScreen(QWidget *inWidget)
{
    inWidget->setAttribute(Qt::WA_DontShowOnScreen);
    inWidget->show();
}

QImage whiteImage(const QSize &inSize)
{
    QImage image(inSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// Hides widgets for one rendering and puts them back as they were.
class HiddenWhileRendering
{
public:
    explicit HiddenWhileRendering(std::initializer_list<QWidget *> inWidgets)
    {
        for (QWidget *widget : inWidgets) {
            if (!widget)
                continue;
            mWidgets.append({widget, widget->isHidden()});
            widget->hide();
        }
    }
    ~HiddenWhileRendering()
    {
        for (const auto &[widget, wasHidden] : std::as_const(mWidgets))
            widget->setHidden(wasHidden);
    }
    HiddenWhileRendering(const HiddenWhileRendering &) = delete;
    HiddenWhileRendering &operator=(const HiddenWhileRendering &) = delete;

private:
    QList<std::pair<QWidget *, bool>> mWidgets;
};

} // namespace

QSize KyAnalysisView::summaryLaneImageSize()
{
    return kSummaryPictureSize;
}

void KyAnalysisView::setPrinterReadiness(PrinterReadiness readiness)
{
    mPrinterReadiness = std::move(readiness);
}

void KyAnalysisView::copy()
{
    if (mMode == kMode_Summary) {
        if (mTableModel)
            mTableModel->copyToClipboard();
        return;
    }
    if (imageButton->isChecked())
        imageView->copyToClipboard();
    else
        profileGraphView->copyToClipboard();
}

void KyAnalysisView::print()
{
    if (mMode == kMode_Summary) {
        on_printSummaryButton_clicked();
        return;
    }
    // The printer and its dialog ask the print service for its printers, and would wait minutes
    // on one that accepts but never answers.
    if (!KyPrinter::PrintServiceAnswers()) {
        showPrintProblem(kPrint_NotReady);
        return;
    }
    KyPrinter printer;
    QPrintDialog dialog(printer.printer(), window());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const bool printed = printImagePage(&printer);
    stackedWidget->setCurrentIndex(0);
    if (!printed)
        showPrintProblem(mPrintProblem);
}

// A page that did not come out is never passed over in silence.
void KyAnalysisView::showPrintProblem(EPrintProblem problem)
{
    switch (problem) {
    case kPrint_NotReady:
        KyMessageBox::question(this, QString(), tr("The printer is not ready.\nCheck the printer and try again."),
                               tr("OK"), QString());
        break;
    case kPrint_Failed:
        KyMessageBox::question(this, QString(), tr("The image could not be printed."), tr("OK"), QString());
        break;
    default:
        break;
    }
}

QImage KyAnalysisView::shownImage()
{
    KyDocument *doc = document();
    if (!doc)
        return QImage();
    // The same choice updateImage makes for imageView.
    if (mDisplayKind == kDisplay_Color)
        return doc->ColorImage(QRect());
    return doc->qImage(mDisplayKind == kDisplay_Marker ? 1 : mChannel, QRect());
}

bool KyAnalysisView::printImagePage(KyPrinter *printer)
{
    mPrintProblem = kPrint_None;
    KyDocument *doc = document();
    if (!doc || !printer) {
        mPrintProblem = kPrint_NoDocument;
        return false;
    }
    const bool ready = mPrinterReadiness ? mPrinterReadiness(printer) : askPrintService(printer);
    if (!ready) {
        mPrintProblem = kPrint_NotReady;
        return false;
    }
    printer->SetTitle(analysisInfoText(mDisplayKind, mDocumentKind, false));

    const ImageFile *first = doc->FirstValidImage();
    const double pixelSize = first ? first->PixelSize() : 0.0;
    QImage picture = shownImage();
    // A landscape picture goes across a portrait page at its true size only when turned.
    if (picture.width() > picture.height())
        picture = picture.transformed(QTransform().rotate(90), Qt::FastTransformation);
    if (!printer->PrintImageToScale(picture, pixelSize)) {
        mPrintProblem = kPrint_Failed;
        return false;
    }
    return true;
}

bool KyAnalysisView::getSummaryPDFItems(KyPrintData *data)
{
    if (!data)
        return false;
    return fillSummaryItems(data);
}

bool KyAnalysisView::saveSummaryPdfTo(const QString &fileName)
{
    // Without a document there is no summary: no file, and no report of one.
    const std::shared_ptr<KySummaryReport> report = prepareSummaryReport();
    return report && report->WriteTo(fileName);
}

std::shared_ptr<KySummaryReport> KyAnalysisView::prepareSummaryReport()
{
    KyPrintData items{QString()};
    if (!fillSummaryItems(&items))
        return nullptr;
    return std::make_shared<KySummaryReport>(items.title(), items.image(), items.image2(), items.table(),
                                             items.caption());
}

bool KyAnalysisView::fillSummaryItems(KyPrintData *data)
{
    KyDocument *doc = document();
    if (!doc)
        return false;
    if (mMode != kMode_Summary && doc->IsAnalysisChanged())
        doc->ComputeNormalization();

    int titleKind = mDisplayKind;
    if (mDocumentKind == kDocument_Marker)
        titleKind = kDisplay_Color;
    else if (mDocumentKind == kDocument_Multi)
        titleKind = kDisplay_Composite;
    data->setTitle(analysisInfoText(titleKind, mDocumentKind, true));

    data->setImage(renderLaneImage(summaryLaneImageSize()));

    // A table of its own, so the printout neither changes nor depends on the screen's views.
    auto *table = new KyTableView;
    auto model = std::make_unique<KyTableModel>();
    KyTableModel *tableModel = nullptr;
    if (mTableModel) {
        table->resize(summaryTableView_2->size());
        table->setFrameShape(QFrame::NoFrame);
        table->setItemDelegate(new KyTableViewItemDelegate(table));
        table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        model->refresh(mTableModel->channelSelection());
        model->setContents(doc);
        // Picks are band keys: after edits the screen's table has not caught up with, a key may
        // name another band now (or none), so a stale table lends no picks.
        model->setSelection(isSummaryTableStale() ? QList<KyBandKey>() : mTableModel->selection());
        table->setModel(model.get());
        // By lane, in both PDFs alike: the header's sort mark must tell the order the rows have.
        table->sortByColumn(doc->ImageCount() == 1 ? 0 : 1, Qt::AscendingOrder);
        applySummarySort(table, false);
        tableModel = model.release();
    }
    // The record owns the view and its parentless model from here on.
    data->setTable(table);

    QImage chartPicture = whiteImage(kSummaryPictureSize);
    QString caption;
    if (tableModel && !tableModel->selection().isEmpty()) {
        const int column = currentBarColumn();
        auto chartView = std::make_unique<QChartView>();
        auto *chart = new QChart; // the view's scene takes it
        chartView->resize(kSummaryPictureSize);
        chart->setMargins(QMargins(kChartMargin, kChartMargin, kChartMargin, kChartMargin));
        chart->setAnimationOptions(QChart::NoAnimation);
        chart->legend()->hide();
        {
            KyBarChartCtrl controller(tableModel->selectedModel(), chart, column, column);
            controller.setBarSetColumns(column, column);
            QChart *const madeWith = chartView->chart(); // let go of by the view, not deleted
            chartView->setChart(chart);
            if (madeWith != chart)
                delete madeWith;
            chartView->move(-10000, -10000);
            showOffScreen(chartView.get());
            // The chart lays itself out on a posted request; deliver just that one, no input.
            QCoreApplication::sendPostedEvents(chart, QEvent::LayoutRequest);
            QPainter painter(&chartPicture);
            chartView->render(&painter, QRectF(chartPicture.rect()), chartView->rect(), Qt::KeepAspectRatio);
        }
        chartView.reset();
        caption = currentBarCaption();
        if (tableModel->selectedModel()->rowCount() == 0)
            caption.clear();
    }
    data->setImage2(chartPicture);
    data->setCaption(caption);
    return true;
}

QImage KyAnalysisView::renderLaneImage(const QSize &size)
{
    KyDocument *doc = document();
    if (!doc || size.isEmpty())
        return QImage();

    QFrame frame;
    // White around the image, as on the rest of the page.
    QPalette palette = frame.palette();
    palette.setColor(QPalette::Window, Qt::white);
    frame.setPalette(palette);
    frame.resize(size);
    auto *column = new QVBoxLayout(&frame);
    column->addStretch();
    auto *canvas = new KyImageView;
    canvas->setFixedSize(qRound(size.width() * kLaneCanvasShare), qRound(size.height() * kLaneCanvasShare));
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(canvas);
    row->addStretch();
    column->addLayout(row);
    column->addStretch();

    // No summary table: every band of every present channel is drawn, none highlighted.
    auto *overlay = new LaneView(canvas);
    overlay->setMode(kMode_Summary);
    overlay->setChannelSelection(doc->ChannelMask());
    canvas->hideArrows();
    QImage picture = doc->ColorImage(QRect());
    if (picture.isNull())
        picture = doc->qImage(doc->ChannelMask(), QRect());
    canvas->setImage(picture);
    showOffScreen(&frame);
    canvas->fitToWindow();

    QImage image = whiteImage(size);
    frame.render(&image, QPoint(), QRegion(), kRenderFlags);
    delete overlay;
    return image;
}

QImage KyAnalysisView::renderWidgetImage(const QSize &size)
{
    if (size.isEmpty())
        return QImage();
    QImage image = whiteImage(size);
    {
        HiddenWhileRendering hidden{zoomOut3Button, zoomOut4Button, zoomUp3Button, zoomUp4Button,
                                    image4Button, profile4Button, contrast3Button, profile2MenuButton};
        image2View->hideArrows();
        view2StackedWidget->render(&image, QPoint(), QRegion(), kRenderFlags);
        image2View->showArrows();
    }
    // Hidden from the screen's construction on, whatever it was before.
    contrast3Button->hide();
    return image;
}

QImage KyAnalysisView::renderWidgetImageWithPainter(const QSize &size)
{
    if (size.isEmpty())
        return QImage();
    QImage image = whiteImage(size);
    HiddenWhileRendering hidden{zoomOut3Button, zoomOut4Button, zoomUp3Button, zoomUp4Button, kyLabel_8,
                                profile2MenuButton};
    QPainter painter(&image);
    view2StackedWidget->render(&painter, QPoint(), QRegion(), kRenderFlags);
    painter.end();
    return image;
}
