#include "analysisview/kyanalysissteps.h"

#include "analysisview/kyanalysisview.h"
#include "document/kydocument.h"

namespace {

using View = KyAnalysisView;

// Constant-initialised: the tables built from it before main (kModeTitles) may read it.
constinit const KyAnalysisStep kSteps[] = {
    {.mode = View::kMode_Lanes, .title = "Lane Creation", .helpName = "lane", .icon = "lane",
     .viewMode = KyViewMode::kView_AnalysisLane, .button = &Ui_KyAnalysisView::lanesModeButton,
     .hasResults = nullptr,
     .panelPage = 0, .opensOn = KyAnalysisStep::kOpens_Image,
     .overlayTakesPicks = true, .movesFrame = true},
    {.mode = View::kMode_Background, .title = "Background", .helpName = "bg", .icon = "bg",
     .viewMode = KyViewMode::kView_AnalysisBG, .button = &Ui_KyAnalysisView::bgModeButton,
     .hasResults = [](const KyDocument &inDoc) { return inDoc.HasBackground(); },
     .panelPage = 1, .opensOn = KyAnalysisStep::kOpens_Profile,
     .panelWithProfile = true},
    {.mode = View::kMode_Bands, .title = "Band Detection", .helpName = "band", .icon = "band",
     .viewMode = KyViewMode::kView_AnalysisBand, .button = &Ui_KyAnalysisView::bandsModeButton,
     .hasResults = [](const KyDocument &inDoc) { return inDoc.HasBands(); },
     .panelPage = 2, .opensOn = KyAnalysisStep::kOpens_Image,
     .panelWithProfile = true, .overlayTakesPicks = true, .followsSensitivity = true},
    {.mode = View::kMode_MW, .title = "MW Calibration", .helpName = "mw", .icon = "mw",
     .viewMode = KyViewMode::kView_AnalysisMW, .button = &Ui_KyAnalysisView::mwModeButton,
     .hasResults = [](const KyDocument &inDoc) { return inDoc.MWStandardChannel() != -1 && inDoc.MWStandardLane() >= 0; },
     .panelPage = 3, .opensOn = KyAnalysisStep::kOpens_Image,
     .panelWithProfile = true, .overlayTakesPicks = true, .plotsCalibration = true},
    {.mode = View::kMode_Normalization, .title = "Normalization", .helpName = "norm", .icon = "norm",
     .viewMode = KyViewMode::kView_AnalysisNormalize, .button = &Ui_KyAnalysisView::normModeButton,
     .hasResults = [](const KyDocument &inDoc) { return inDoc.HasNormalizationReference(); },
     .panelPage = 4, .opensOn = KyAnalysisStep::kOpens_Image,
     .overlayTakesPicks = true},
    // The summary has a page of topArea to itself, with its own image and overlay.
    {.mode = View::kMode_Summary, .title = "Summary", .helpName = "summary", .icon = "summary",
     .viewMode = KyViewMode::kView_AnalysisSummary, .button = &Ui_KyAnalysisView::summaryModeButton,
     .hasResults = [](const KyDocument &inDoc) { return inDoc.HasBands(); },
     .panelPage = -1, .opensOn = KyAnalysisStep::kOpens_AsBefore,
     .panelWithProfile = true, .overlayTakesPicks = true},
};

static_assert(std::size(kSteps) == View::kMode_other, "one row per step, before kMode_other");

} // namespace

std::span<const KyAnalysisStep> kyAnalysisSteps()
{
    return kSteps;
}

const KyAnalysisStep *kyAnalysisStep(int inMode)
{
    if (inMode < 0 || inMode >= int(std::size(kSteps)))
        return nullptr;
    return &kSteps[inMode];
}

QPixmap kyAnalysisStepIcon(const KyAnalysisStep &inStep, bool inOn)
{
    return QPixmap(QStringLiteral(":/Kestova/Images/icon_analysis_%1_%2.png")
                       .arg(QLatin1String(inStep.icon), inOn ? QStringLiteral("on") : QStringLiteral("off")));
}
