#pragma once

#include "analysis/kyautobandparameter.h"
#include "analysis/kybanddetectparameter.h"

#include <QList>
#include <QMutex>

// The named band-detection parameter sets of the file "AutoBand.txt": a default list and, after a
// "[Marker]" line, a list for marker lanes. One index picks the set of that position in either list.
//
// The GUI thread (the sensitivity picker) and the band-detection job both reach the table, and every
// instance() call reloads the file, so the lists are only touched under the table's mutex and every
// read copies its answer out.
class KyAutoBandParameterTable
{
public:
    KyAutoBandParameterTable(const KyAutoBandParameterTable &) = delete;
    KyAutoBandParameterTable &operator=(const KyAutoBandParameterTable &) = delete;

    // The process-wide table, reloaded from the file on every call.
    static KyAutoBandParameterTable *instance();

    int count() const;
    QString nameAt(int inIndex) const;
    int indexOf(const QString &inName) const;
    // From the marker list when inMarkerFlag is 1 and that list is not empty, else from the default
    // list; an all-zero record for an index outside the chosen list.
    KyBandDetectParameter parameter(int inMarkerFlag, int inIndex) const;

    // Reads the file named by the instrument setting AutoBandParameterFilePath. A file that cannot be
    // opened leaves both lists as they were.
    void load();

private:
    KyAutoBandParameterTable();
    ~KyAutoBandParameterTable() = default;

    mutable QMutex mMutex;
    QList<KyAutoBandParameter> mDefaultSets; // guarded by mMutex
    QList<KyAutoBandParameter> mMarkerSets;  // guarded by mMutex
};
