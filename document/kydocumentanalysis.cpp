// The analysis of a document: lane frame, lane profiles and band lists, automatic detection,
// background, molecular-weight calibration and normalisation. Every edit marks the document
// dirty and its analysis changed.

#include "document/kydocument.h"

#include "analysis/kybanddetector.h"
#include "analysis/kybanddetectparameter.h"
#include "analysis/kyrounding.h"
#include "core/systemsettings.h"
#include "document/kyitemnames.h"
#include "platform/logcategories.h"

#include <QDebug>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

// Sum of net over start..end, both ends included, over the positions the profile has: a band may
// end one past the last value, and a stored band may lie partly outside.
double volumeOf(const QVector<double> &inNet, int inStart, int inEnd)
{
    const qsizetype first = std::max(0, inStart);
    const qsizetype last = std::min<qsizetype>(inEnd, inNet.size() - 1);
    double sum = 0.0;
    for (qsizetype k = first; k <= last; ++k)
        sum += inNet.at(k);
    return sum;
}

// The value the ranking compares: the net profile at the peak, kept inside the profile; a value
// that is no number ranks last.
double peakValue(const QVector<double> &inNet, int inPeak)
{
    if (inNet.isEmpty())
        return 0.0;
    const double v = inNet.at(std::clamp<qsizetype>(inPeak, 0, inNet.size() - 1));
    return std::isnan(v) ? -std::numeric_limits<double>::infinity() : v;
}

int boundedCoordinate(qint64 inValue, int inSize)
{
    return int(std::max<qint64>(0, std::min<qint64>(inValue, qint64(inSize) - 1)));
}

// The ways a frame keeps its shape: each top corner left of its neighbour across, each bottom corner
// below the top corner above it. One bit per way that holds.
int frameOrder(const KyLaneFrame &inFrame)
{
    int order = 0;
    if (inFrame.topLeft().x() < inFrame.topRight().x())
        order |= 1;
    if (inFrame.bottomLeft().x() < inFrame.bottomRight().x())
        order |= 2;
    if (inFrame.topLeft().y() < inFrame.bottomLeft().y())
        order |= 4;
    if (inFrame.topRight().y() < inFrame.bottomRight().y())
        order |= 8;
    return order;
}

} // namespace

// ---- Lanes -------------------------------------------------------------------------------------

void KyDocument::SetDefaultLanes(int inCount, double inWidthRatio)
{
    ClearLanes();
    mLaneFrame.setDefault(inCount, inWidthRatio, ImageWidth(), ImageHeight());
    SetDirty(true);
    SetAnalysisChanged(true);
    mParameterChanged = true;
}

void KyDocument::SetLaneCount(int inCount)
{
    if (inCount == mLaneFrame.laneCount())
        return;
    ClearAnalysis();
    mLaneFrame.setLaneCount(inCount);
    SetDirty(true);
    SetAnalysisChanged(true);
    mParameterChanged = true;
}

void KyDocument::SetLaneWidthRatio(double inRatio)
{
    qCDebug(lcDocument, "%g - %g", inRatio, mLaneFrame.laneWidthRatio());
    if (qFuzzyCompare(inRatio, mLaneFrame.laneWidthRatio()))
        return;
    ClearAnalysis();
    mLaneFrame.setLaneWidthRatio(inRatio);
    SetDirty(true);
    SetAnalysisChanged(true);
    mParameterChanged = true;
}

void KyDocument::ClearLanes()
{
    if (!HasLaneTemplate())
        return;
    mLaneFrame.clear();
    ClearAnalysis();
    for (int i = 0; i < ImageCount(); ++i) {
        ImageFile *image = Image(i);
        if (image && !image->IsNull())
            image->RemoveTag(KyItemName::Lane);
    }
    // Through SetDirty, so that a clean document says it became dirty: a rotation, whose own
    // SetDirty comes after this, would otherwise find the flag set and stay silent.
    SetDirty(true);
    SetAnalysisChanged(true);
    mParameterChanged = true;
}

bool KyDocument::MoveLaneCorner(int inCorner, const QPoint &inDelta)
{
    QPoint corner;
    switch (inCorner) {
    case 1:
        corner = mLaneFrame.topLeft();
        break;
    case 2:
        corner = mLaneFrame.topRight();
        break;
    case 3:
        corner = mLaneFrame.bottomLeft();
        break;
    case 4:
        corner = mLaneFrame.bottomRight();
        break;
    default:
        return false;
    }
    const QPoint moved(boundedCoordinate(qint64(corner.x()) + inDelta.x(), ImageWidth()),
                       boundedCoordinate(qint64(corner.y()) + inDelta.y(), ImageHeight()));
    if (moved == corner)
        return false;
    const KyLaneFrame before = mLaneFrame;
    switch (inCorner) {
    case 1:
        mLaneFrame.setTopLeft(moved);
        break;
    case 2:
        mLaneFrame.setTopRight(moved);
        break;
    case 3:
        mLaneFrame.setBottomLeft(moved);
        break;
    default:
        mLaneFrame.setBottomRight(moved);
        break;
    }
    // A frame folded over (top corners on one column, a bottom corner at or above its top corner)
    // has no lane direction: its lanes, profiles and hit tests would all be wrong. A move may not
    // break a way the frame held; a stored frame that is already folded can still be unfolded.
    const int order = frameOrder(before);
    if ((frameOrder(mLaneFrame) & order) != order) {
        mLaneFrame = before;
        return false;
    }
    ClearAnalysis();
    SetDirty(true);
    SetAnalysisChanged(true);
    mParameterChanged = true;
    return true;
}

int KyDocument::LaneHeight(int inLane) const
{
    if (inLane < 0 || inLane >= mLaneFrame.laneCount())
        return 0;
    const QVector<QPoint> polygon = mLaneFrame.lanePolygon(inLane);
    const qint64 height = qint64(polygon.at(2).y()) - polygon.at(0).y();
    return int(std::clamp<qint64>(height, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

void KyDocument::ExtractLaneProfiles()
{
    ClearAnalysis();
    if (HasLaneTemplate()) {
        const int count = ImageCount();
        mLaneProfiles.resize(count);
        mBands.resize(count);
        for (int i = 0; i < count; ++i) {
            ImageFile *image = Image(i);
            if (!image)
                continue;
            mLaneProfiles[i].extract(*image, CachedIntensityTable(), mLaneFrame);
            mBands[i].resize(mLaneFrame.laneCount());
        }
        // The chosen background comes with the profiles: the flag lowered below tells the
        // background step that they need nothing more, and the images go on naming the background
        // the volumes are measured over.
        if (mBackgroundMethod != 0)
            ComputeBackgrounds();
    }
    mParameterChanged = false;
}

KyLaneProfiles *KyDocument::LaneProfiles(int inChannel)
{
    if (HasLaneTemplate() && mLaneProfiles.isEmpty())
        ExtractLaneProfiles();
    if (inChannel < 0 || inChannel >= mLaneProfiles.size())
        return nullptr;
    return &mLaneProfiles[inChannel];
}

QVector<QVector<KyBandList>> &KyDocument::Bands()
{
    if (mBands.isEmpty())
        ExtractLaneProfiles();
    return mBands;
}

QVector<KyBandList> *KyDocument::FirstValidChannelBands()
{
    if (mBands.isEmpty())
        return nullptr;
    for (int i = 0; i < ImageCount(); ++i) {
        const ImageFile *image = std::as_const(*this).Image(i);
        if (image && !image->IsNull())
            return i < mBands.size() ? &mBands[i] : nullptr;
    }
    return nullptr;
}

void KyDocument::ClearAnalysis()
{
    if (!(mLaneProfiles.isEmpty() && mBands.isEmpty() && mMwChannel == -1 && mMwLane < 0))
        SetAnalysisChanged(true);
    mLaneProfiles.clear();
    mBands.clear();
    mNormalization.clear();
    mMwChannel = -1;
    mMwLane = -1;
}

// ---- Bands -------------------------------------------------------------------------------------

KyBandList *KyDocument::BandList(int inChannel, int inLane)
{
    return const_cast<KyBandList *>(std::as_const(*this).BandList(inChannel, inLane));
}

const KyBandList *KyDocument::BandList(int inChannel, int inLane) const
{
    if ((inChannel & 0x80) || inChannel < 0 || inChannel >= mBands.size())
        return nullptr;
    const QVector<KyBandList> &lanes = mBands.at(inChannel);
    if (inLane < 0 || inLane >= lanes.size())
        return nullptr;
    return &lanes.at(inLane);
}

QList<int> KyDocument::ChannelList(int inChannels)
{
    if (!(inChannels & 0x80))
        return {inChannels};
    QList<int> channels;
    for (int c = 0; c < 3; ++c) {
        if (inChannels & (1 << c))
            channels.append(c);
    }
    return channels;
}

int KyDocument::AddBand(int inChannel, int inLane, int inPosition)
{
    if ((inChannel & 0x80) || inChannel < 0 || inChannel >= mBands.size())
        return -1;
    if (inLane < 0 || inLane >= mLaneFrame.laneCount())
        return -1;
    // Without profiles there is no position to put a band at; no band index can be answered.
    if (inChannel >= mLaneProfiles.size())
        return -1;
    const qint64 length = mLaneProfiles.at(inChannel).profileLength(inLane);
    if (qint64(inPosition) - 10 < 0 || qint64(inPosition) + 10 > length)
        return -1;
    KyBandInfo band(inPosition - 10, inPosition, inPosition + 10, false, 0.0, false);
    QVector<KyBandList> &lanes = mBands[inChannel];
    if (lanes.size() < mLaneFrame.laneCount())
        lanes.resize(mLaneFrame.laneCount());
    UpdateBandSaturation(inChannel, inLane, band);
    SetDirty(true);
    SetAnalysisChanged(true);
    return lanes[inLane].addBand(band);
}

bool KyDocument::ReplaceBand(int inChannel, int inLane, int inIndex, const KyBandInfo &inBand)
{
    KyBandList *list = BandList(inChannel, inLane);
    if (!list)
        return false;
    KyBandInfo band = inBand;
    UpdateBandSaturation(inChannel, inLane, band);
    list->setBand(inIndex, band);
    SetDirty(true);
    SetAnalysisChanged(true);
    return true;
}

bool KyDocument::MoveBand(int inChannel, int inLane, int inIndex, int inDelta)
{
    KyBandList *list = BandList(inChannel, inLane);
    if (!list || inChannel >= mLaneProfiles.size())
        return false;
    if (list->moveBand(inIndex, inDelta, mLaneProfiles.at(inChannel).profileLength(inLane)) < 0)
        return false;
    // Stored again for the saturation of its new span.
    return ReplaceBand(inChannel, inLane, inIndex, list->band(inIndex));
}

bool KyDocument::ResizeBand(int inChannel, int inLane, int inIndex, int inDelta)
{
    KyBandList *list = BandList(inChannel, inLane);
    if (!list || inChannel >= mLaneProfiles.size())
        return false;
    if (list->spreadBand(inIndex, inDelta, mLaneProfiles.at(inChannel).profileLength(inLane)) < 0)
        return false;
    // Stored again for the saturation of its new span.
    return ReplaceBand(inChannel, inLane, inIndex, list->band(inIndex));
}

bool KyDocument::RemoveBand(int inChannel, int inLane, int inIndex)
{
    KyBandList *list = BandList(inChannel, inLane);
    if (!list || inIndex < 0 || inIndex >= list->count())
        return false;
    list->removeAt(inIndex);
    SetDirty(true);
    SetAnalysisChanged(true);
    return true;
}

KyBandInfo KyDocument::Band(int inChannel, int inLane, int inIndex) const
{
    const KyBandList *list = BandList(inChannel, inLane);
    return list ? list->band(inIndex) : KyBandInfo();
}

int KyDocument::BandCount(int inChannel, int inLane) const
{
    const KyBandList *list = BandList(inChannel, inLane);
    return list ? list->count() : -1;
}

void KyDocument::ClearBands(int inChannels)
{
    if (!HasBands())
        return;
    for (int c : ChannelList(inChannels)) {
        if (c >= 0 && c < mBands.size()) {
            for (KyBandList &list : mBands[c])
                list = KyBandList();
        }
        if (c == mMwChannel)
            mMwCurve.clear();
    }
    // The values are per lane over every channel's references: none survives the cleared bands.
    mNormalization.clear();
    SetDirty(true);
    SetAnalysisChanged(true);
}

bool KyDocument::ClearReferenceMarks(int inChannels)
{
    if (!(inChannels & 0x80))
        return false;
    for (int c = 0; c < mBands.size(); ++c) {
        for (int j = 0; j < mBands.at(c).size(); ++j) {
            for (int k = 0; k < mBands.at(c).at(j).count(); ++k) {
                KyBandInfo band = mBands.at(c).at(j).at(k);
                if (!band.isNormalizationReference())
                    continue;
                band.setNormalizationReference(false);
                ReplaceBand(c, j, k, band);
            }
        }
    }
    SetDirty(true);
    SetAnalysisChanged(true);
    return true;
}

QString KyDocument::ChannelText(int inChannel) const
{
    int index = inChannel;
    if (inChannel & 0x80)
        index = (inChannel & 1) ? 0 : ((inChannel & 2) ? 1 : 2);
    if (index < 0 || index >= mChannelTexts.size())
        return QString();
    return mChannelTexts.at(index);
}

void KyDocument::UpdateBandSaturation(int inChannel, int inLane, KyBandInfo &ioBand) const
{
    if (inChannel < 0 || inChannel >= mLaneProfiles.size())
        return;
    ioBand.setSaturated(mLaneProfiles.at(inChannel).isSaturated(inLane, ioBand.start(), ioBand.end()));
}

// ---- Detection ---------------------------------------------------------------------------------

void KyDocument::DetectBands(int inChannels, const KyBandDetectParameter &inDefaultSet,
                             const KyBandDetectParameter &inMarkerSet)
{
    // Profiles first: extracting them restarts the analysis, which would drop the parameter-set
    // names stored below.
    if (mLaneProfiles.isEmpty())
        ExtractLaneProfiles();

    const qsizetype channelCount = mLaneProfiles.size();
    mChannelTexts.resize(channelCount);
    mBands.resize(channelCount);
    const QList<int> channels = ChannelList(inChannels);
    for (int c : channels) {
        if (c < 0 || c >= channelCount)
            continue;
        mChannelTexts[c] = inDefaultSet.name;
        for (KyBandList &list : mBands[c])
            list = KyBandList();
    }
    // Each lane's value is the mean over the reference bands of every channel: new bands in one
    // channel leave no lane's value standing.
    mNormalization.clear();
    if (mLaneProfiles.isEmpty())
        return;

    const int keep = std::max(0, SystemSettings::instance()->intValue(QStringLiteral("MaximumNumberOfBandAutoDetection")));
    const int lanes = mLaneFrame.laneCount();
    for (int c : channels) {
        if (c < 0 || c >= channelCount)
            continue;
        const KyBandDetectParameter &set = IsMarkerChannel(c) ? inMarkerSet : inDefaultSet;
        const int maxWidth = MillimetresToPixels(set.p2);
        const int minWidth = MillimetresToPixels(set.p3);
        const KyLaneProfiles &profiles = mLaneProfiles.at(c);
        mBands[c].resize(lanes);

        QVector<QVector<double>> nets(lanes);
        double maxValue = 0.0;
        for (int k = 0; k < lanes; ++k) {
            nets[k] = profiles.netProfile(k);
            double laneMax = 0.0;
            KyBandDetector::derivativeStats(nets.at(k), set.p0, nullptr, nullptr, &laneMax);
            maxValue = std::max(maxValue, laneMax);
        }
        const double od = HasODParameter() ? set.p5 : set.p4;
        const double threshold = maxValue * set.p10 / 100.0;

        for (int k = 0; k < lanes; ++k) {
            const QVector<double> &net = nets.at(k);
            const KyBandList detected = KyBandDetector::detectBands(net, set.p0, set.p9, threshold, maxWidth,
                                                                    minWidth, od, set.p6, set.p7, set.p8);
            QList<int> kept = RankBandsByPeak(detected, net);
            kept = kept.mid(0, std::min<qsizetype>(kept.size(), keep));
            std::sort(kept.begin(), kept.end());
            for (int index : std::as_const(kept)) {
                KyBandInfo band = detected.band(index);
                UpdateBandSaturation(c, k, band);
                mBands[c][k].append(band);
            }
        }
    }
    SetDirty(true);
    SetAnalysisChanged(true);
}

QList<int> KyDocument::RankBandsByPeak(const KyBandList &inBands, const QVector<double> &inNetProfile)
{
    QList<int> order(inBands.count());
    std::iota(order.begin(), order.end(), 0);
    QVector<double> values(inBands.count());
    for (int i = 0; i < inBands.count(); ++i)
        values[i] = peakValue(inNetProfile, inBands.at(i).peak());
    std::stable_sort(order.begin(), order.end(), [&values](int a, int b) { return values.at(a) > values.at(b); });
    return order;
}

// ---- Background --------------------------------------------------------------------------------

void KyDocument::BackgroundParameters(int &outMethod, int &outRadius) const
{
    outMethod = mBackgroundMethod;
    outRadius = mRollingBallRadius;
}

void KyDocument::ApplyBackground(int inMethod, int inRadiusMm, bool inForce)
{
    if (!inForce && inMethod == mBackgroundMethod && !mParameterChanged
        && !(inMethod == 3 && inRadiusMm != mRollingBallRadius))
        return;
    mBackgroundMethod = inMethod;
    mRollingBallRadius = inRadiusMm;
    ComputeBackgrounds();
    SetDirty(true);
    SetAnalysisChanged(true);
}

void KyDocument::ComputeBackgrounds()
{
    // A radius past the profile length asks no more work than one as long as the profile: the
    // ball is only looked at within the profile.
    const int radius = MillimetresToPixels(mRollingBallRadius);
    for (KyLaneProfiles &profiles : mLaneProfiles) {
        profiles.clearBackgrounds();
        profiles.detectBackgrounds(mBackgroundMethod, radius);
    }
}

void KyDocument::ReapplyBackground()
{
    ApplyBackground(mBackgroundMethod, mRollingBallRadius, true);
}

// ---- Molecular weight --------------------------------------------------------------------------

void KyDocument::SetMWStandard(const KyMwStandard &inStandard)
{
    if (inStandard == mMwStandard)
        return;
    mMwCurve.clear();
    mMwStandard = inStandard;
    SetDirty(true);
    SetAnalysisChanged(true);
}

QString KyDocument::MWStandardName() const
{
    return mMwStandard.name();
}

QString KyDocument::MWStandardText() const
{
    return mMwStandard.text();
}

QList<int> &KyDocument::MWStandardValues()
{
    return mMwStandard.values();
}

const QList<int> &KyDocument::MWStandardValues() const
{
    return mMwStandard.values();
}

QVector<bool> &KyDocument::MWStandardChecks()
{
    return mMwStandard.checks();
}

const QVector<bool> &KyDocument::MWStandardChecks() const
{
    return mMwStandard.checks();
}

QList<int> KyDocument::CheckedMWStandardValues() const
{
    const QList<int> &values = mMwStandard.values();
    const QVector<bool> &checks = mMwStandard.checks();
    QList<int> checked;
    const qsizetype n = std::min(values.size(), checks.size());
    for (qsizetype k = 0; k < n; ++k) {
        if (checks.at(k))
            checked.append(values.at(k));
    }
    return checked;
}

void KyDocument::SetMWStandardCheck(int inIndex, bool inUsed)
{
    mMwStandard.setCheck(inIndex, inUsed);
    SetDirty(true);
    SetAnalysisChanged(true);
}

void KyDocument::SetMWStandardLane(int inChannel, int inLane)
{
    if (inChannel == mMwChannel && inLane == mMwLane)
        return;
    if (inChannel == -1 && inLane < 0) {
        mMwChannel = -1;
        mMwLane = -1;
        mMwCurve.clear();
        SetDirty(true);
        SetAnalysisChanged(true);
        return;
    }
    if (inChannel < 0 || inChannel > 2 || !HasLaneTemplate() || inLane > mLaneFrame.laneCount() - 1)
        return;
    mMwChannel = inChannel;
    mMwLane = inLane;
    SetDirty(true);
    SetAnalysisChanged(true);
}

int KyDocument::MWCurveType() const
{
    return mMwCurve.mode();
}

void KyDocument::SetMWCurveType(int inType)
{
    if (inType == mMwCurve.mode())
        return;
    mMwCurve.setMode(inType);
    SetDirty(true);
    if (HasMWStandardLane())
        SetAnalysisChanged(true);
}

void KyDocument::RefreshMWPoints()
{
    if (!HasLaneTemplate() || mBands.isEmpty() || mMwLane < 0 || mMwChannel < 0 || mMwChannel >= mBands.size()
        || mMwLane > mBands.at(mMwChannel).size() - 1)
        return;
    const KyBandList &bands = mBands.at(mMwChannel).at(mMwLane);
    const QList<int> values = CheckedMWStandardValues();
    QMap<double, double> points;
    const qsizetype n = std::min<qsizetype>(bands.count(), values.size());
    for (qsizetype k = 0; k < n; ++k)
        points.insert(double(bands.at(int(k)).peak()), double(values.at(k)));
    mMwCurve.setPoints(points);
}

QMap<double, double> KyDocument::MWPoints()
{
    RefreshMWPoints();
    return mMwCurve.points();
}

bool KyDocument::HasMWPoints()
{
    return !MWPoints().isEmpty();
}

bool KyDocument::HasMWCurve()
{
    RefreshMWPoints();
    return mMwCurve.hasCurve();
}

double KyDocument::MolecularWeightAt(int inPosition) const
{
    return mMwCurve.value(double(inPosition));
}

double KyDocument::MWCurveRSquared()
{
    const QMap<double, double> points = MWPoints();
    // One point, or no curve through them, leave nothing explained.
    if (points.size() < 2 || !mMwCurve.hasCurve())
        return 0.0;
    double sum = 0.0;
    for (double y : points)
        sum += y;
    const double mean = sum / double(points.size());
    double residual = 0.0;
    double total = 0.0;
    for (auto it = points.cbegin(); it != points.cend(); ++it) {
        const double fitted = MolecularWeightAt(KyRounding::truncated(it.key()));
        residual += (it.value() - fitted) * (it.value() - fitted);
        total += (it.value() - mean) * (it.value() - mean);
    }
    // Weights that do not vary leave nothing to explain: a curve through all of them (to the
    // rounding of the fit) explains it all, any other curve nothing.
    if (total == 0.0)
        return residual <= double(points.size()) * (1e-9 * mean) * (1e-9 * mean) ? 1.0 : 0.0;
    const double r2 = 1.0 - residual / total;
    return std::isfinite(r2) ? r2 : 0.0;
}

// ---- Normalisation -----------------------------------------------------------------------------

void KyDocument::ComputeNormalization()
{
    if (mBands.isEmpty() || !mAnalysisChanged)
        return;
    const int lanes = std::max(0, mLaneFrame.laneCount());
    mNormalization = QVector<double>(lanes, 0.0);
    QVector<int> counts(lanes, 0);
    for (int c = 0; c < mLaneProfiles.size() && c < mBands.size(); ++c) {
        const ImageFile *image = std::as_const(*this).Image(c);
        if (!image || image->IsNull())
            continue;
        const KyLaneProfiles &profiles = mLaneProfiles.at(c);
        QVector<KyBandList> &laneLists = mBands[c];
        for (int j = 0; j < laneLists.size(); ++j) {
            KyBandList &list = laneLists[j];
            const QVector<double> net = profiles.netProfile(j);
            double total = 0.0;
            for (int k = 0; k < list.count(); ++k) {
                KyBandInfo &band = list.at(k);
                const double volume = volumeOf(net, band.start(), band.end());
                band.setVolume(volume);
                total += volume;
                if (band.isNormalizationReference() && j < lanes) {
                    mNormalization[j] += volume;
                    counts[j] += 1;
                }
            }
            list.setTotal(total);
        }
    }
    for (int j = 0; j < lanes; ++j)
        mNormalization[j] = counts.at(j) > 0 ? mNormalization.at(j) / counts.at(j) : -1.0;
    RefreshMWPoints();
    SetAnalysisChanged(false);
}

double KyDocument::NormalizationValue(int inLane) const
{
    if (inLane < 0 || inLane >= mNormalization.size())
        return 0.0;
    return mNormalization.at(inLane);
}

double KyDocument::LanePercent(double inVolume, double inLaneTotal)
{
    if (inLaneTotal == 0.0)
        return 0.0;
    const double percent = inVolume / inLaneTotal * 100.0;
    return std::isfinite(percent) ? percent : 0.0;
}

bool KyDocument::NormalizedValue(double inVolume, double inNormalization, double &outValue)
{
    if (!(inNormalization > 0.0))
        return false;
    const double value = inVolume / inNormalization;
    if (!std::isfinite(value))
        return false;
    outValue = value;
    return true;
}

double KyDocument::RelativeMobility(int inPosition, int inLaneHeight)
{
    if (inLaneHeight == 0)
        return 0.0;
    return double(inPosition) / double(inLaneHeight);
}
