#pragma once

#include <QImage>
#include <QPrinter>
#include <QString>

class KyPrintData;
class QPainter;
class QPointF;
class QTableView;

// Lays out the program's printed pages on one QPrinter, a paper printer or a PDF file: the summary
// report (title, one or two pictures, the table paged below them with page numbers), one image at
// its true physical size, and the PDF export of a report record. Made on the stack for one job.
// Every layout returns false when any part of the job failed; nothing failed is reported done.
//
// Reading a table view is the GUI thread's: TableOf takes the table as a picture there, and the
// layouts that take a TablePicture may then run on another thread, on a printer that only that
// thread uses meanwhile (a PDF file; a paper printer's dialog is the GUI thread's).
class KyPrinter
{
public:
    // A table as the report prints it: the view drawn whole at the width it is printed at, and
    // the measures its pages are cut by. Plain values, with no tie to the view.
    struct TablePicture
    {
        // False when there was no table (or no model) to print.
        bool present = false;
        QImage image;
        int rowHeight = 1;
        int headerHeight = 0;
        int frame = 0;
        int rows = 0;
    };

    // Where the pages go: a paper printer (chosen in the print dialog), or only ever a PDF file.
    enum class Output { Paper, PdfFile };
    explicit KyPrinter(Output output = Output::Paper);
    ~KyPrinter();
    KyPrinter(const KyPrinter &) = delete;
    KyPrinter &operator=(const KyPrinter &) = delete;

    // For the print dialog that chooses the printer and its settings.
    QPrinter *printer() { return &mPrinter; }

    void SetTitle(const QString &title);

    // The width of the report's pages (inside the margins), in device pixels: the width its table
    // is printed at.
    int ReportPageWidth();
    // The table laid out and drawn at width, as the report prints it; GUI thread only. The view is
    // resized for it.
    static TablePicture TableOf(QTableView *table, int width);

    // One report on the current printer settings.
    bool PrintReport(const QImage &image, const QImage &image2, QTableView *table, const QString &caption);
    bool PrintReport(const QImage &image, const QImage &image2, const TablePicture &table, const QString &caption);
    // The table part of a report, starting at top on the current page (page number pageNumber is the
    // next to start); false when a page cannot be started.
    bool PrintTable(QPainter *painter, const TablePicture &table, double top, int pageHeight, int footerHeight,
                    int gap, int pageNumber);
    // The report as a PDF file; true only when the whole file was written.
    bool PrintToPdf(const QString &fileName, const QImage &image, const QImage &image2, QTableView *table,
                    const QString &caption);
    bool PrintToPdf(const QString &fileName, const QImage &image, const QImage &image2, const TablePicture &table,
                    const QString &caption);
    bool ExportPdf(const KyPrintData &data);
    // The image at its physical size from its pixel size in micrometres, centred below the title.
    bool PrintImageToScale(const QImage &image, double pixelSize);

    // Page header and footer; each returns the height of its text.
    int DrawHeaderText(const QString &text, const QPointF &topLeft, QPainter *painter);
    int DrawFooterText(const QString &text, QPainter *painter);

    // The readiness of the printer the print dialog chose (the default printer when none was
    // chosen), through the system print service. Output to a PDF file is always ready.
    bool IsDefaultPrinterReady(int *printerStatus, int *jobStatus);
    // Working offline for that printer; nothing to change for a PDF file.
    bool SetDefaultPrinterOffline(bool offline);
    // Whether the print service answers within a couple of seconds. Making a printer for paper and
    // its print dialog waits minutes on a service that accepts but never answers: ask this first.
    static bool PrintServiceAnswers();

    // Column width fractions of the printed summary table: without and with its channel column.
    static const QVector<double> &columnFractionsWithoutChannel();
    static const QVector<double> &columnFractionsWithChannel();

private:
    // 10 mm on every side, as whole device pixels.
    void setMargins();
    int marginX() const;
    int marginY() const;
    QString chosenPrinterName() const;
    bool printReportPages(QPainter *painter, const QImage &image, const QImage &image2, const TablePicture &table,
                          const QString &caption);

    QPrinter mPrinter;
    QString mTitle;
};
