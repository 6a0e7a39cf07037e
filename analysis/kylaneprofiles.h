#pragma once

#include "analysis/kysaturatedrun.h"

#include <QList>
#include <QVector>

class ImageFile;
class KyLaneFrame;

// The intensity profile along every lane of one channel, the background curve under each, and
// the runs of saturated pixels met along each. Profile point j of a lane of length L lies at the
// fraction j / L of the lane's centre line from its top end; band positions are indices into
// these profiles.
//
// extract and detectBackgrounds fan out over the global thread pool, one task per lane; nothing
// else may use the object meanwhile.
class KyLaneProfiles
{
public:
    KyLaneProfiles();

    // Recomputes profiles and saturated runs of every lane of frame from image, each sample
    // contributing valueTable[grey level] (65536 entries); drops the backgrounds. An empty
    // frame, a null image or a short table leaves no profiles. A lane of no length ends the
    // extraction: it and the later lanes stay empty. So does a lane longer than three image
    // diagonals, or one that would take the profiles together past the room of 256 such lanes:
    // only frames far off the image, or with absurd lane counts, meet these limits.
    void extract(const ImageFile &inImage, const QVector<double> &inValueTable, const KyLaneFrame &inFrame);

    // Forgets the backgrounds, so that the next detectBackgrounds computes them anew.
    void clearBackgrounds();
    // Computes every lane's background by method (BackgroundSubtraction) with parameter, in
    // parallel, when there are profiles and no backgrounds yet.
    void detectBackgrounds(int inMethod, int inParameter);

    // Copies; empty (0) for a lane outside the lists.
    QVector<double> profile(int inLane) const;
    int profileLength(int inLane) const;
    QVector<double> background(int inLane) const;
    // True when some lane has a non-empty background.
    bool hasBackground() const;
    // The profile minus its background where the lane has one, else the plain profile.
    QVector<double> netProfile(int inLane) const;
    // True when a saturated run of lane overlaps the points from..to.
    bool isSaturated(int inLane, int inFrom, int inTo) const;

private:
    struct BGDetection;

    QVector<QVector<double>> mProfiles;
    QVector<QVector<double>> mBackgrounds;
    QVector<QList<KySaturatedRun>> mSaturatedRuns;
};
