#pragma once

#include <QList>
#include <QString>

class AnalysisSettings;

// The zoom steps of the image views, in percent, from the setting "ZoomRatioList". Nothing is
// cached: every query reads the setting again, so an edited setting applies at the next query.
//
// The canvases divide by the ratio, so a hand-edited list must never yield 0: a list that is empty
// or runs backwards reads as the built-in default, and an entry below 1 (a word reads as 0) counts
// as 1.
class KyZoomRatioList
{
public:
    static KyZoomRatioList *instance();

    int Count() const;
    // The ratio at index in percent; 1 outside the list.
    int Ratio(int index) const;
    // The ratio as "141%"; empty outside the list. A value picker's text function.
    static QString Text(int index);

    // The setting as whole numbers, an element that is not a number as 0; empty without a store.
    static QList<int> ReadIntList(const AnalysisSettings *settings, const QString &key);

private:
    KyZoomRatioList() = default;

    static QList<int> ratios();
};
