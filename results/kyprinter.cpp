#include "results/kyprinter.h"

#include "document/kysafefile.h"
#include "platform/printerqueue.h"
#include "results/kyprintdata.h"
#include "widgets/kytableview.h"

#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QTableView>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

constexpr double kMarginMm = 10.0;
constexpr int kHeaderFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextWrapAnywhere;
constexpr int kGapBelowPictures = 50;
constexpr int kFooterGap = 2;
constexpr int kFooterLift = 10;
constexpr int kTitleGapAboveImage = 20;
constexpr int kTableSlack = 30;

const QWidget::RenderFlags kRenderFlags = QWidget::DrawWindowBackground | QWidget::DrawChildren;

QFont arial(int pixelSize)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    return font;
}

// Pictures go into the page at their own resolution, scaled by the device: a capture printed large
// is never expanded to printer pixels in memory, and it is embedded without lossy compression.
void preparePainter(QPainter *painter)
{
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->setRenderHint(QPainter::LosslessImageRendering);
}

// At most half the page wide (less the gap), never taller than the image itself.
QSize reportPictureSize(const QImage &image, int width)
{
    if (image.isNull() || width <= 0)
        return {};
    return image.size().scaled(QSize(width, image.height()), Qt::KeepAspectRatio);
}

// The rows from top down of the table picture, as one page prints them. The cuts always lie
// inside the picture: it ends kTableSlack below the last row.
QImage tableSlice(const KyPrinter::TablePicture &table, int top, int height)
{
    if (top == 0 && height == table.image.height())
        return table.image;
    return table.image.copy(0, top, table.image.width(), height);
}

// The PDF writer reports no failed write: a file cut short (a full disk, a size limit) lacks the
// end-of-file marker that the writer puts last.
bool pdfComplete(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    const qint64 tail = std::min<qint64>(size, 64);
    if (tail <= 0 || !file.seek(size - tail))
        return false;
    return file.read(tail).contains("%%EOF");
}

} // namespace

KyPrinter::KyPrinter(Output output)
    // Making a QPrinter asks the print service for its printers, which a PDF file does not need:
    // the look-up is kept from it then, so a silent print service cannot hold the caller. The
    // scope lasts to the end of this initialisation, the printer's construction included.
    : mPrinter((output == Output::PdfFile ? std::optional<platform::NoPrintServiceScope>(std::in_place)
                                          : std::nullopt,
                QPrinter::ScreenResolution))
{
    if (output == Output::PdfFile)
        mPrinter.setOutputFormat(QPrinter::PdfFormat);
}

KyPrinter::~KyPrinter() = default;

void KyPrinter::SetTitle(const QString &title)
{
    mTitle = title;
}

const QVector<double> &KyPrinter::columnFractionsWithoutChannel()
{
    static const QVector<double> fractions{0.113, 0.113, 0.17, 0.141, 0.211, 0.127, 0.125};
    return fractions;
}

const QVector<double> &KyPrinter::columnFractionsWithChannel()
{
    static const QVector<double> fractions{0.178, 0.096, 0.096, 0.11, 0.11, 0.205, 0.11, 0.095};
    return fractions;
}

int KyPrinter::marginX() const
{
    const QRectF paper = mPrinter.paperRect(QPrinter::DevicePixel);
    const double paperMm = paper.width() * 25.4 / mPrinter.resolution();
    return paperMm > 0 ? int(kMarginMm / (paperMm / paper.width())) : 0;
}

int KyPrinter::marginY() const
{
    const QRectF paper = mPrinter.paperRect(QPrinter::DevicePixel);
    const double paperMm = paper.height() * 25.4 / mPrinter.resolution();
    return paperMm > 0 ? int(kMarginMm / (paperMm / paper.height())) : 0;
}

void KyPrinter::setMargins()
{
    // The margins are whole device pixels; the printer takes them in millimetres.
    const double mmPerPixel = 25.4 / mPrinter.resolution();
    const double mx = marginX() * mmPerPixel;
    const double my = marginY() * mmPerPixel;
    mPrinter.setPageMargins(QMarginsF(mx, my, mx, my), QPageLayout::Millimeter);
}

int KyPrinter::DrawHeaderText(const QString &text, const QPointF &topLeft, QPainter *painter)
{
    painter->setFont(arial(12));
    const QRect page(QPoint(0, 0), mPrinter.pageRect(QPrinter::DevicePixel).size().toSize());
    // Measured as drawn: a title that wraps takes the room of all its lines.
    const QRect bounds = painter->boundingRect(page, kHeaderFlags, text);
    painter->drawText(QRectF(page).translated(topLeft), kHeaderFlags, text);
    return bounds.height();
}

int KyPrinter::DrawFooterText(const QString &text, QPainter *painter)
{
    painter->setFont(arial(12));
    const QRect paper = mPrinter.paperRect(QPrinter::DevicePixel).toRect();
    const QRect bounds = painter->boundingRect(paper, Qt::AlignCenter, text);
    // In painter coordinates the page (inside the margins) starts at the origin: this puts the
    // number in the bottom margin.
    painter->drawText(QPoint(bounds.right() - marginX(), paper.bottom() - marginY() - kFooterLift - bounds.height()),
                      text);
    return bounds.height();
}

int KyPrinter::ReportPageWidth()
{
    setMargins();
    return mPrinter.pageRect(QPrinter::DevicePixel).size().toSize().width();
}

KyPrinter::TablePicture KyPrinter::TableOf(QTableView *table, int width)
{
    TablePicture picture;
    if (!table || !table->model())
        return picture; // no table to print
    const QAbstractItemModel *model = table->model();
    picture.present = true;

    // The real height of a row of the view (an empty table has none: its default), never 0, so that
    // every page takes at least one row.
    const QModelIndex first = table->indexAt(QPoint(0, 1));
    picture.rowHeight = std::max(1, first.isValid() ? table->rowHeight(first.row())
                                                    : table->verticalHeader()->defaultSectionSize());
    // The header's height as the view lays it out, also for a view that was never shown.
    const QHeaderView *header = table->horizontalHeader();
    picture.headerHeight = header->isHidden() ? 0 : std::max(header->minimumHeight(), header->sizeHint().height());
    picture.frame = table->frameWidth();
    picture.rows = model->rowCount();
    const int tableHeight = picture.frame + picture.headerHeight + picture.rows * picture.rowHeight + kTableSlack;

    table->resize(width, tableHeight);
    // Seven columns: the summary table without its channel column (view column c shows model
    // column c + 1 there).
    if (auto *kyTable = qobject_cast<KyTableView *>(table))
        kyTable->setColumnWidthFractions(model->columnCount() == 7 ? columnFractionsWithoutChannel()
                                                                   : columnFractionsWithChannel());
    // On white where the view paints nothing.
    picture.image = QImage(table->width(), tableHeight, QImage::Format_RGB32);
    picture.image.fill(Qt::white);
    table->render(&picture.image, QPoint(), QRegion(0, 0, table->width(), tableHeight), kRenderFlags);
    return picture;
}

bool KyPrinter::PrintReport(const QImage &image, const QImage &image2, QTableView *table, const QString &caption)
{
    const TablePicture picture = TableOf(table, ReportPageWidth());
    return PrintReport(image, image2, picture, caption);
}

bool KyPrinter::PrintReport(const QImage &image, const QImage &image2, const TablePicture &table,
                            const QString &caption)
{
    setMargins();
    QPainter painter;
    if (!painter.begin(&mPrinter))
        return false;
    const bool laidOut = printReportPages(&painter, image, image2, table, caption);
    const bool ended = painter.end();
    return laidOut && ended;
}

bool KyPrinter::printReportPages(QPainter *painter, const QImage &image, const QImage &image2,
                                 const TablePicture &table, const QString &caption)
{
    preparePainter(painter);
    const QSize page = mPrinter.pageRect(QPrinter::DevicePixel).size().toSize();
    int pageNumber = 1;
    const int headerHeight = DrawHeaderText(mTitle, QPointF(0, 0), painter);
    const int footerHeight = DrawFooterText(QString::number(pageNumber), painter);
    ++pageNumber;

    const int halfWidth = int(page.width() / 2.0 - 10.0);
    const QSize size = reportPictureSize(image, halfWidth);
    const int x = caption.isEmpty() ? int((page.width() - size.width()) / 2.0) : 0;
    if (!size.isEmpty())
        painter->drawImage(QRect(QPoint(x, headerHeight), size), image);
    int picturesHeight = size.height();

    if (!caption.isEmpty()) {
        const QSize size2 = reportPictureSize(image2, halfWidth);
        const int x2 = int(page.width() / 2.0 + 10.0);
        if (!size2.isEmpty())
            painter->drawImage(QRect(QPoint(x2, headerHeight), size2), image2);
        painter->setFont(arial(14));
        const QRect bounds = painter->boundingRect(QRect(QPoint(x2, headerHeight), size2),
                                                   Qt::AlignTop | Qt::AlignHCenter, caption);
        // Baseline at the top of the rectangle moved up by its height: just above the picture.
        painter->drawText(QPoint(bounds.x(), headerHeight - bounds.height()), caption);
        picturesHeight = std::max(picturesHeight, size2.height());
    }

    const double tableTop = headerHeight + picturesHeight + kGapBelowPictures;
    return PrintTable(painter, table, tableTop, page.height(), footerHeight, kFooterGap, pageNumber);
}

bool KyPrinter::PrintTable(QPainter *painter, const TablePicture &table, double top, int pageHeight,
                           int footerHeight, int gap, int pageNumber)
{
    if (!table.present)
        return true; // no table to print
    const int rowHeight = table.rowHeight;
    const int headerHeight = table.headerHeight;
    const int frame = table.frame;
    const int rows = table.rows;

    const auto rowsBelow = [&](double y) {
        return (pageHeight - y - footerHeight - gap - frame - headerHeight) / double(rowHeight);
    };
    // Below tall pictures there may be no room for the header or a first row: the table then starts
    // on a page of its own, if one would hold more.
    if (top > 0 && (rowsBelow(top) < 0 || (rows > 0 && rowsBelow(top) < 1 && rowsBelow(0) >= 1))) {
        if (!mPrinter.newPage())
            return false;
        DrawFooterText(QString::number(pageNumber), painter);
        ++pageNumber;
        top = 0;
    }
    const int capacity = std::clamp(int(rowsBelow(top)), 0, rows);
    int remaining = rows - capacity;

    if (remaining <= 0) {
        painter->drawImage(QPointF(0, top), tableSlice(table, 0, table.image.height()));
        return true;
    }

    // The column header is printed on the table's first page only.
    int offset = frame + headerHeight + capacity * rowHeight;
    painter->drawImage(QPointF(0, top), tableSlice(table, 0, offset));
    const int rowsPerPage = std::max(1, int((pageHeight - footerHeight - gap) / double(rowHeight)));
    while (remaining > 0) {
        if (!mPrinter.newPage())
            return false;
        DrawFooterText(QString::number(pageNumber), painter);
        ++pageNumber;
        const int n = std::min(rowsPerPage, remaining);
        // A row taller than the page is cut at the page's foot.
        const int height = std::min(n * rowHeight, pageHeight);
        painter->drawImage(QPointF(0, 0), tableSlice(table, offset, height));
        remaining -= n;
        offset += n * rowHeight;
    }
    return true;
}

bool KyPrinter::PrintToPdf(const QString &fileName, const QImage &image, const QImage &image2, QTableView *table,
                           const QString &caption)
{
    if (fileName.isEmpty())
        return false;
    const TablePicture picture = TableOf(table, ReportPageWidth());
    return PrintToPdf(fileName, image, image2, picture, caption);
}

bool KyPrinter::PrintToPdf(const QString &fileName, const QImage &image, const QImage &image2,
                           const TablePicture &table, const QString &caption)
{
    if (fileName.isEmpty())
        return false;
    // The report is written beside its file and takes its place only once it is complete: an
    // earlier report stays until then, and a cut-off one never carries the name.
    const QString temporary = KySafeFile::CreateTemporary(fileName);
    if (temporary.isEmpty())
        return false;
    mPrinter.setOutputFormat(QPrinter::PdfFormat);
    mPrinter.setOutputFileName(temporary);

    const bool printed = PrintReport(image, image2, table, caption);
    const QPrinter::PrinterState state = mPrinter.printerState();
    if (!printed || state == QPrinter::Aborted || state == QPrinter::Error || !pdfComplete(temporary)) {
        QFile::remove(temporary);
        return false;
    }
    return KySafeFile::Install(temporary, fileName);
}

bool KyPrinter::ExportPdf(const KyPrintData &data)
{
    SetTitle(data.title());
    return PrintToPdf(data.fileName(), data.image(), data.image2(), data.table(), data.caption());
}

bool KyPrinter::PrintImageToScale(const QImage &image, double pixelSize)
{
    // Without a size there is nothing to print at scale: no page is started.
    if (image.isNull() || !(pixelSize > 0) || !std::isfinite(pixelSize))
        return false;
    setMargins();
    QPainter painter;
    if (!painter.begin(&mPrinter))
        return false;
    preparePainter(&painter);
    const QSize page = mPrinter.pageRect(QPrinter::DevicePixel).size().toSize();
    const int headerHeight = mTitle.isEmpty() ? 0 : DrawHeaderText(mTitle, QPointF(0, 0), &painter) + kTitleGapAboveImage;

    // Physical size in millimetres, then device pixels; kept fractional so that the picture is the
    // true size, not up to a device pixel short.
    const double pixelsPerMm = mPrinter.resolution() / 25.4;
    const QSizeF target(image.width() * pixelSize / 1000.0 * pixelsPerMm, image.height() * pixelSize / 1000.0 * pixelsPerMm);
    const double x = (page.width() - target.width()) / 2.0;
    const double y = (page.height() - headerHeight - target.height()) / 2.0;
    painter.drawImage(QRectF(QPointF(x, y + headerHeight), target), image);

    const bool ended = painter.end();
    const QPrinter::PrinterState state = mPrinter.printerState();
    return ended && state != QPrinter::Aborted && state != QPrinter::Error;
}

QString KyPrinter::chosenPrinterName() const
{
    // No name stands for the default printer, looked up by the print service with a bounded wait
    // (Qt's own look-up may wait minutes).
    return mPrinter.printerName();
}

bool KyPrinter::IsDefaultPrinterReady(int *printerStatus, int *jobStatus)
{
    if (mPrinter.outputFormat() == QPrinter::PdfFormat) {
        if (printerStatus)
            *printerStatus = 0;
        if (jobStatus)
            *jobStatus = 0;
        return true;
    }
    return platform::printerReady(chosenPrinterName(), printerStatus, jobStatus);
}

bool KyPrinter::SetDefaultPrinterOffline(bool offline)
{
    if (mPrinter.outputFormat() == QPrinter::PdfFormat)
        return true;
    return platform::setPrinterWorkOffline(chosenPrinterName(), offline);
}

bool KyPrinter::PrintServiceAnswers()
{
    return platform::printServiceAnswers();
}
