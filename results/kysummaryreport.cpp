#include "results/kysummaryreport.h"

KySummaryReport::KySummaryReport(const QString &title, const QImage &image, const QImage &image2, QTableView *table,
                                 const QString &caption)
    : mPrinter(std::make_unique<KyPrinter>(KyPrinter::Output::PdfFile))
    , mImage(image)
    , mImage2(image2)
    , mCaption(caption)
{
    mPrinter->SetTitle(title);
    mTable = KyPrinter::TableOf(table, mPrinter->ReportPageWidth());
}

KySummaryReport::~KySummaryReport() = default;

bool KySummaryReport::WriteTo(const QString &fileName)
{
    return mPrinter->PrintToPdf(fileName, mImage, mImage2, mTable, mCaption);
}
