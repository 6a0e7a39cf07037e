#pragma once

#include "results/kyprinter.h"

#include <QImage>
#include <QString>

#include <memory>

class QTableView;

// One summary report made ready for its PDF file on the GUI thread: the printer made (which may
// ask the system's print service) and every picture, text and the table as plain values. Writing
// it reads no widget and nothing of the document, so it may run on a pool thread, once, while
// the GUI thread goes on.
class KySummaryReport
{
public:
    // Takes what the report shows; the table view is laid out at the page's width and drawn
    // (GUI thread), and is not kept.
    KySummaryReport(const QString &title, const QImage &image, const QImage &image2, QTableView *table,
                    const QString &caption);
    ~KySummaryReport();
    KySummaryReport(const KySummaryReport &) = delete;
    KySummaryReport &operator=(const KySummaryReport &) = delete;

    // The report as a PDF file; true only when the whole file was written (KyPrinter::PrintToPdf).
    bool WriteTo(const QString &fileName);

private:
    std::unique_ptr<KyPrinter> mPrinter;
    QImage mImage;
    QImage mImage2;
    KyPrinter::TablePicture mTable;
    QString mCaption;
};
