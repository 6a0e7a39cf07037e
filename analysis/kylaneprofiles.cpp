#include "analysis/kylaneprofiles.h"

#include "analysis/backgroundsubtraction.h"
#include "analysis/kylaneframe.h"
#include "core/kyconcurrent.h"
#include "image/imagefile.h"

#include <QDebug>
#include <QPointF>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

constexpr qsizetype kValueTableSize = 65536;

// Extraction allocates and loops only over what an image can show. A lane whose ends lie within
// one image diagonal of the image is never longer than three diagonals; longer lanes only come
// from frames far off the image (a damaged stored frame) and are not measured. All lanes
// together hold at most room for kLaneRoom lanes of that longest length, which any frame on the
// image with a few hundred lanes stays well within; an empty lane entry counts as kEntryCost
// values, so that an absurd lane count cannot make the lists themselves huge.
constexpr qint64 kLaneRoom = 256;
constexpr qint64 kEntryCost = 8;

struct ImageReach
{
    double diagonal;  // rounded up, in pixels
    qint64 maxLength; // longest lane measured
    qint64 budget;    // profile values (and entry costs) of all lanes together
};

ImageReach reachOf(const ImageFile &inImage)
{
    const double w = inImage.Width();
    const double h = inImage.Height();
    ImageReach reach;
    reach.diagonal = std::ceil(std::sqrt(w * w + h * h));
    reach.maxLength = static_cast<qint64>(3.0 * reach.diagonal);
    reach.budget = kLaneRoom * (reach.maxLength + 1 + kEntryCost);
    return reach;
}

// Collects the runs of saturated points of one lane as its points are sampled in order.
class SaturatedRuns
{
public:
    explicit SaturatedRuns(QList<KySaturatedRun> &outRuns) : mRuns(outRuns) {}

    void add(int inPoint, bool inSaturated)
    {
        if (inSaturated) {
            if (mFirst < 0)
                mFirst = inPoint;
        } else if (mFirst >= 0) {
            mRuns.append(KySaturatedRun(mFirst, inPoint - 1));
            mFirst = -1;
        }
    }

    void finish(int inLastPoint)
    {
        if (mFirst >= 0)
            mRuns.append(KySaturatedRun(mFirst, inLastPoint));
    }

private:
    QList<KySaturatedRun> &mRuns;
    int mFirst = -1;
};

// Samples one lane: profile point j is the mean of the values of 2 (halfWidth + 1) bilinear
// samples on the line across the lane through the centre point, the centre counted twice.
// A point is saturated when any of its samples touched a saturated pixel.
//
// A lane wider than the image's diagonal reaches the image with only a stretch of its samples:
// the others lie outside and each contributes the value of grey level 0. Those are counted, not
// sampled, so that an absurd width costs no more than the image is wide. Narrower lanes are
// sampled one by one, in order, exactly as they sum.
void sampleLane(const ImageFile &inImage, const double *inTable, const QPoint &inTop,
                const QPoint &inBottom, int inLength, const QPointF &inAcross, int inHalfWidth,
                double inDiagonal, double *outValues, QList<KySaturatedRun> &outRuns)
{
    // Corner coordinates may lie anywhere in the int range: differences and the step products
    // are formed in 64 bits.
    const qint64 ex = static_cast<qint64>(inBottom.x()) - inTop.x();
    const qint64 ey = static_cast<qint64>(inBottom.y()) - inTop.y();
    const double ux = inAcross.x();
    const double uy = inAcross.y();
    const double count = 2.0 * (static_cast<double>(inHalfWidth) + 1.0);
    const bool counted = inHalfWidth > inDiagonal + 2.0;
    const double outside = inTable[0];
    const double lastX = inImage.Width() - 1;
    const double lastY = inImage.Height() - 1;

    SaturatedRuns runs(outRuns);
    for (int j = 0; j <= inLength; ++j) {
        const double cx = inTop.x() + static_cast<double>(ex * j) / inLength;
        const double cy = inTop.y() + static_cast<double>(ey * j) / inLength;
        int kFirst = 0;
        int kLast = inHalfWidth;
        double sum = 0.0;
        if (counted) {
            // Samples at a distance k from the centre can lie on the image only when k is between
            // the distance to the image and the distance to its farthest corner (2 pixels of
            // margin for rounding).
            const double nearX = std::max({0.0, -cx, cx - lastX});
            const double nearY = std::max({0.0, -cy, cy - lastY});
            const double farX = std::max(std::abs(cx), std::abs(cx - lastX));
            const double farY = std::max(std::abs(cy), std::abs(cy - lastY));
            const double first = std::floor(std::hypot(nearX, nearY)) - 2.0;
            const double last = std::ceil(std::hypot(farX, farY)) + 2.0;
            kFirst = first <= 0.0 ? 0 : (first > inHalfWidth ? inHalfWidth + 1 : static_cast<int>(first));
            kLast = last >= inHalfWidth ? inHalfWidth : static_cast<int>(last);
            kLast = std::max(kLast, kFirst - 1);
            sum = 2.0 * outside * kFirst;
        }
        bool saturated = false;
        for (int k = kFirst; k <= kLast; ++k) {
            const double dx = k * ux;
            const double dy = k * uy;
            bool plus = false;
            bool minus = false;
            sum += inTable[inImage.BilinearSample(cx + dx, cy + dy, &plus)];
            sum += inTable[inImage.BilinearSample(cx - dx, cy - dy, &minus)];
            saturated = saturated || plus || minus;
        }
        if (counted)
            sum += 2.0 * outside * (inHalfWidth - kLast);
        outValues[j] = sum / count;
        runs.add(j, saturated);
    }
    runs.finish(inLength);
}

// True when every sample of the lane falls on a whole pixel: the centre line runs down one pixel
// column (its points step by whole rows, since the length of a vertical lane is its row count)
// and the line across it is horizontal. Bilinear sampling of such a lane reads single pixels.
bool standsOnPixelColumns(const QPoint &inTop, const QPoint &inBottom, const QPointF &inAcross)
{
    return inTop.x() == inBottom.x() && inAcross.y() == 0.0 && std::fabs(inAcross.x()) == 1.0;
}

// sampleLane for a lane that stands on pixel columns: the same samples in the same order (so the
// same sums to the last bit), read straight from the rows without bilinear weights, several rows
// at a time so that their sums proceed side by side.
void sampleStraightLane(const ImageFile &inImage, const double *inTable, const QPoint &inTop,
                        const QPoint &inBottom, int inLength, double inAcrossX, int inHalfWidth,
                        double *outValues, QList<KySaturatedRun> &outRuns)
{
    constexpr int kRows = 8;
    const qint64 width = inImage.Width();
    const qint64 height = inImage.Height();
    const quint16 *pixels = inImage.ConstData();
    const qint64 cx = inTop.x();
    const qint64 rowStep = inBottom.y() >= inTop.y() ? 1 : -1;
    // Sample k of a point lies at cx + side * k first, then at cx - side * k.
    const qint64 side = inAcrossX > 0.0 ? 1 : -1;
    const double count = 2.0 * (static_cast<double>(inHalfWidth) + 1.0);
    const double outside = inTable[0];
    // Up to kInside both samples lie on the image (none when the column is off it).
    const qint64 kInside = (cx >= 0 && cx < width) ? std::min<qint64>({cx, width - 1 - cx, inHalfWidth}) : -1;

    const auto pixelAt = [&](const quint16 *inRow, qint64 inX, bool &ioSaturated) -> double {
        if (!inRow || inX < 0 || inX >= width)
            return outside;
        const quint16 p = inRow[inX];
        ioSaturated = ioSaturated || p == 65535;
        return inTable[p];
    };

    SaturatedRuns runs(outRuns);
    for (int j0 = 0; j0 <= inLength; j0 += kRows) {
        const int rows = std::min(kRows, inLength - j0 + 1);
        const quint16 *row[kRows] = {};
        double sum[kRows] = {};
        bool saturated[kRows] = {};
        quint16 brightest[kRows] = {};
        for (int r = 0; r < rows; ++r) {
            const qint64 y = inTop.y() + rowStep * (j0 + r);
            row[r] = (y >= 0 && y < height) ? pixels + y * width : nullptr;
        }
        if (rows == kRows && row[0] && row[kRows - 1]) {
            for (qint64 k = 0; k <= kInside; ++k) {
                const qint64 a = cx + side * k;
                const qint64 b = cx - side * k;
                for (int r = 0; r < kRows; ++r) {
                    const quint16 pa = row[r][a];
                    const quint16 pb = row[r][b];
                    sum[r] += inTable[pa];
                    sum[r] += inTable[pb];
                    brightest[r] = std::max({brightest[r], pa, pb});
                }
            }
            for (int r = 0; r < kRows; ++r)
                saturated[r] = brightest[r] == 65535;
            for (qint64 k = kInside + 1; k <= inHalfWidth; ++k) {
                for (int r = 0; r < kRows; ++r) {
                    sum[r] += pixelAt(row[r], cx + side * k, saturated[r]);
                    sum[r] += pixelAt(row[r], cx - side * k, saturated[r]);
                }
            }
        } else {
            for (int r = 0; r < rows; ++r) {
                for (qint64 k = 0; k <= inHalfWidth; ++k) {
                    sum[r] += pixelAt(row[r], cx + side * k, saturated[r]);
                    sum[r] += pixelAt(row[r], cx - side * k, saturated[r]);
                }
            }
        }
        for (int r = 0; r < rows; ++r) {
            const int j = j0 + r;
            outValues[j] = sum[r] / count;
            runs.add(j, saturated[r]);
        }
    }
    runs.finish(inLength);
}

// One lane's extraction, run on the pool: it writes only its own, already sized, profile and run
// list.
struct LaneSampling
{
    QPoint top;
    QPoint bottom;
    int length;
    double *values;
    QList<KySaturatedRun> *runs;
};

} // namespace

// One lane's background, written into the lane's own element of the list. The list was sized
// before the tasks started and is shared with no copy, so indexing it never reallocates;
// profiles are only read.
struct KyLaneProfiles::BGDetection
{
    KyLaneProfiles *target;
    int method;
    int parameter;

    void operator()(int inLane) const
    {
        target->mBackgrounds[inLane] =
            BackgroundSubtraction::calculate(method, parameter, target->mProfiles.at(inLane));
    }
};

KyLaneProfiles::KyLaneProfiles() = default;

void KyLaneProfiles::extract(const ImageFile &inImage, const QVector<double> &inValueTable,
                             const KyLaneFrame &inFrame)
{
    mProfiles.clear();
    mBackgrounds.clear();
    mSaturatedRuns.clear();
    if (inFrame.isEmpty() || inImage.IsNull())
        return;
    if (inValueTable.size() < kValueTableSize) {
        qWarning().nospace() << "KyLaneProfiles::extract(): The value table has " << inValueTable.size()
                             << " entries instead of " << kValueTableSize << ".";
        return;
    }

    const ImageReach reach = reachOf(inImage);
    // Every measured lane takes at least two values besides its entry, so lanes beyond this
    // count could only stay empty.
    const int lanes = static_cast<int>(std::min<qint64>(inFrame.laneCount(), reach.budget / (2 + kEntryCost)));
    mProfiles.resize(lanes);
    mSaturatedRuns.resize(lanes);

    const QPointF across = inFrame.topEdgeDirection();
    const int halfWidth = inFrame.laneWidth() / 2;
    qint64 room = reach.budget;
    QVector<LaneSampling> jobs;
    jobs.reserve(lanes);
    for (int lane = 0; lane < lanes; ++lane) {
        const int length = inFrame.laneLength(lane);
        if (length < 1)
            break;
        const qint64 cost = static_cast<qint64>(length) + 1 + kEntryCost;
        if (length > reach.maxLength || cost > room)
            break;
        room -= cost;
        QVector<double> &values = mProfiles[lane];
        values.resize(length + 1);
        jobs.append({inFrame.laneTop(lane), inFrame.laneBottom(lane), length, values.data(), &mSaturatedRuns[lane]});
    }

    // Lanes are independent: each task reads the image and fills its own lane.
    const double *table = inValueTable.constData();
    const bool counted = halfWidth > reach.diagonal + 2.0;
    KyConcurrent::blockingMap(jobs, [&](const LaneSampling &inJob) {
        if (!counted && standsOnPixelColumns(inJob.top, inJob.bottom, across))
            sampleStraightLane(inImage, table, inJob.top, inJob.bottom, inJob.length, across.x(), halfWidth,
                               inJob.values, *inJob.runs);
        else
            sampleLane(inImage, table, inJob.top, inJob.bottom, inJob.length, across, halfWidth,
                       reach.diagonal, inJob.values, *inJob.runs);
    });
}

void KyLaneProfiles::clearBackgrounds()
{
    mBackgrounds.clear();
}

void KyLaneProfiles::detectBackgrounds(int inMethod, int inParameter)
{
    if (mProfiles.isEmpty() || !mBackgrounds.isEmpty())
        return;
    mBackgrounds.resize(mProfiles.size());
    QVector<int> lanes(mProfiles.size());
    std::iota(lanes.begin(), lanes.end(), 0);
    KyConcurrent::blockingMap(lanes, BGDetection{this, inMethod, inParameter});
}

QVector<double> KyLaneProfiles::profile(int inLane) const
{
    if (inLane < 0 || inLane >= mProfiles.size())
        return QVector<double>();
    return mProfiles.at(inLane);
}

int KyLaneProfiles::profileLength(int inLane) const
{
    if (inLane < 0 || inLane >= mProfiles.size())
        return 0;
    return static_cast<int>(mProfiles.at(inLane).size());
}

QVector<double> KyLaneProfiles::background(int inLane) const
{
    if (inLane < 0 || inLane >= mBackgrounds.size())
        return QVector<double>();
    return mBackgrounds.at(inLane);
}

bool KyLaneProfiles::hasBackground() const
{
    return std::any_of(mBackgrounds.cbegin(), mBackgrounds.cend(),
                       [](const QVector<double> &inBackground) { return !inBackground.isEmpty(); });
}

QVector<double> KyLaneProfiles::netProfile(int inLane) const
{
    if (inLane < 0 || inLane >= mProfiles.size())
        return QVector<double>();
    QVector<double> net = mProfiles.at(inLane);
    if (inLane < mBackgrounds.size()) {
        const QVector<double> &background = mBackgrounds.at(inLane);
        // A background is as long as its profile; the bound only keeps a mismatch inside both.
        const qsizetype n = std::min(net.size(), background.size());
        for (qsizetype k = 0; k < n; ++k)
            net[k] -= background.at(k);
    }
    return net;
}

bool KyLaneProfiles::isSaturated(int inLane, int inFrom, int inTo) const
{
    if (inLane < 0 || inLane >= mSaturatedRuns.size())
        return false;
    const QList<KySaturatedRun> &runs = mSaturatedRuns.at(inLane);
    return std::any_of(runs.cbegin(), runs.cend(),
                       [inFrom, inTo](const KySaturatedRun &inRun) { return inRun.overlaps(inFrom, inTo); });
}
