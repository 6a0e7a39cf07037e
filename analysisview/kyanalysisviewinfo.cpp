// The analysis information text printed above images and in the summary PDF.
#include "analysisview/kyanalysisview.h"

QString KyAnalysisView::analysisInfoText(int displayKind, int documentKind, bool wholeDocument)
{
    Q_UNUSED(displayKind);
    Q_UNUSED(documentKind);
    Q_UNUSED(wholeDocument);
    return {};
}

QString KyAnalysisView::singleInfoText()
{
    return {};
}

QString KyAnalysisView::multiInfoText()
{
    return {};
}

QString KyAnalysisView::channelInfoText(int channelMask)
{
    Q_UNUSED(channelMask);
    return {};
}

QString KyAnalysisView::colorimetricInfoText()
{
    return {};
}

QString KyAnalysisView::markerInfoText(bool wholeDocument)
{
    Q_UNUSED(wholeDocument);
    return {};
}

