// What leaves the screen: copy, print and the summary PDF.
#include "analysisview/kyanalysisview.h"

void KyAnalysisView::copy()
{
}

void KyAnalysisView::print()
{
}

bool KyAnalysisView::printImagePage(KyPrinter *printer)
{
    Q_UNUSED(printer);
    return false;
}

bool KyAnalysisView::getSummaryPDFItems(KyPrintData *data)
{
    Q_UNUSED(data);
    return false;
}

bool KyAnalysisView::saveSummaryPdfTo(const QString &fileName)
{
    Q_UNUSED(fileName);
    return false;
}

QImage KyAnalysisView::renderLaneImage(const QSize &size)
{
    Q_UNUSED(size);
    return {};
}

QImage KyAnalysisView::renderWidgetImage(const QSize &size)
{
    Q_UNUSED(size);
    return {};
}

QImage KyAnalysisView::renderWidgetImageWithPainter(const QSize &size)
{
    Q_UNUSED(size);
    return {};
}

