#include "analysisview/kyanalysistables.h"

#include "analysisview/kyanalysissteps.h"

namespace {

// One text of every step, then the empty text of kMode_other.
QStringList stepTexts(const char *KyAnalysisStep::*inText)
{
    QStringList texts;
    for (const KyAnalysisStep &step : kyAnalysisSteps())
        texts << QString::fromLatin1(step.*inText);
    texts << QString();
    return texts;
}

} // namespace

const QStringList kModeTitles = stepTexts(&KyAnalysisStep::title);
const QStringList kModeHelpNames = stepTexts(&KyAnalysisStep::helpName);

// Lane, Band, Volume, Lane %, Normalized value, MW, Rf.
const QVector<double> kSummaryColumnWidthsSingle{0.113, 0.113, 0.17, 0.141, 0.211, 0.127, 0.125};
// Channel, then the same columns.
const QVector<double> kSummaryColumnWidthsMulti{0.178, 0.096, 0.096, 0.11, 0.11, 0.205, 0.11, 0.095};

const QColor kLaneFrameColor(59, 115, 185);
const QColor kLaneColor(148, 101, 138);
const QColor kMwLaneLineColor(178, 227, 246);
const QColor kMwLaneFillColor(178, 227, 246, 100);
const QColor kBandColor(118, 71, 108);
const QColor kSelectedBandColor(255, 192, 0);
