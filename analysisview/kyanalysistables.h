#pragma once

#include <QColor>
#include <QStringList>
#include <QVector>

// Constant tables of the analysis screen, indexed by its analysis mode (0 lanes, 1 background,
// 2 bands, 3 MW, 4 normalisation, 5 summary, 6 no document attached).

// Step titles and the names of the help pages of each step, taken from the step table
// (kyanalysissteps.h), with an empty text for kMode_other.
extern const QStringList kModeTitles;
extern const QStringList kModeHelpNames;

// Summary table column widths as fractions of the table's width, in the summary model's column
// order: without the "Channel" column (a document of one image) and with it. Each sums to 1.
extern const QVector<double> kSummaryColumnWidthsSingle;
extern const QVector<double> kSummaryColumnWidthsMulti;
// The "Lane" column the summary tables are sorted on, in each of the two shapes.
constexpr int kSummaryLaneColumnSingle = 0;
constexpr int kSummaryLaneColumnMulti = 1;

// Lane overlay colours.
extern const QColor kLaneFrameColor;    // frame outline, corner rings, lane number boxes
extern const QColor kLaneColor;         // lane outlines
extern const QColor kMwLaneLineColor;   // outline of the MW-standard lane
extern const QColor kMwLaneFillColor;   // fill of the MW-standard lane and of the corner handles
extern const QColor kBandColor;         // bands when one channel is shown
extern const QColor kSelectedBandColor; // the selected band, and bands picked in the summary table
