#pragma once

#include "analysisview/kyanalysisform.h"
#include "core/kyviewmode.h"

#include <QPixmap>

#include <span>

class KyDocument;

// The steps of the analysis screen, one row each, in the order the user walks them: everything the
// screen needs to know about a step besides what it does on entering it. The row's index is its
// step number (KyAnalysisView::EMode).
struct KyAnalysisStep
{
    int mode = -1;
    // Plain texts, never translated: the help pages are looked up by them.
    const char *title = "";
    const char *helpName = "";
    // The middle of the step button's icon names, icon_analysis_<icon>_on.png and _off.png.
    const char *icon = "";
    KyViewMode::EViewMode viewMode = KyViewMode::kView_Opening;
    KyButton *Ui_KyAnalysisView::*button = nullptr;
    // Whether the step has results the button shows in black from the start (null: never).
    bool (*hasResults)(const KyDocument &) = nullptr;
    // The step's page of operationPanel, -1 when it has none (it has a page of topArea instead).
    int panelPage = -1;
    // What the step opens on: the image, the profile graph, or whichever showed before.
    enum Opens { kOpens_Image, kOpens_Profile, kOpens_AsBefore };
    Opens opensOn = kOpens_Image;
    // The step panel stays usable while the profile graph shows.
    bool panelWithProfile = false;
    // The lane overlay takes picks (corners, bands, lanes) unless the image tools are on.
    bool overlayTakesPicks = false;
    // The step moves the lane frame: its corner handles push the image tool buttons aside, and
    // leaving the step with moved lanes measures them anew first.
    bool movesFrame = false;
    // The band sensitivity picker follows the channel shown.
    bool followsSensitivity = false;
    // The MW plot button follows whether the calibration has points.
    bool plotsCalibration = false;
};

// Every step, indexed by its number.
std::span<const KyAnalysisStep> kyAnalysisSteps();

// The step of a number; null for a number that is no step (kMode_other before a document).
const KyAnalysisStep *kyAnalysisStep(int inMode);

QPixmap kyAnalysisStepIcon(const KyAnalysisStep &inStep, bool inOn);
