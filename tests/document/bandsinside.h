#pragma once

#include "analysis/kybandlist.h"
#include "analysis/kylaneprofiles.h"
#include "document/kydocument.h"

// Every band of every lane lies within its profile (an end at the profile length included), in
// lists no longer than the stored-band limit. Shared by the parser tests and the parser fuzzer.
inline bool bandsInside(KyDocument &inDoc)
{
    const QVector<QVector<KyBandList>> &bands = inDoc.Bands();
    for (int c = 0; c < bands.size(); ++c) {
        const KyLaneProfiles *profiles = inDoc.LaneProfiles(c);
        for (int j = 0; j < bands.at(c).size(); ++j) {
            const KyBandList &list = bands.at(c).at(j);
            if (list.count() > KyDocument::kMaxStoredBandsPerLane)
                return false;
            const int length = profiles ? profiles->profileLength(j) : 0;
            for (const KyBandInfo &b : list.bands()) {
                if (b.start() < 0 || b.start() > b.end() || b.end() > length)
                    return false;
            }
        }
    }
    return true;
}
