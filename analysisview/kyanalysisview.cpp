// Construction, destruction and attaching the current document.
#include "analysisview/kyanalysisview.h"

#include "document/kycurrentdocument.h"
#include "document/kydocument.h"

KyAnalysisView::KyAnalysisView(QWidget *parent)
    : QWidget(parent)
{
    setupUi(this);
    resetForDocument(true);
}

KyAnalysisView::~KyAnalysisView()
{
    // The pool jobs call into the document and the overlays: nothing may go before they end.
    mBackgroundWatcher.waitForFinished();
    mAutoBandWatcher.waitForFinished();
    mRotateWatcher.waitForFinished();
}

KyDocument *KyAnalysisView::document() const
{
    return KyCurrentDocument::document();
}

void KyAnalysisView::resetForDocument(bool resetSteps)
{
    Q_UNUSED(resetSteps);
    setEnabled(document() != nullptr);
}

void KyAnalysisView::onAnalysisChanged()
{
    mAnalysisChanged = true;
}
