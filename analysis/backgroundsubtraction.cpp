#include "backgroundsubtraction.h"

#include "kyrounding.h"

#include <QStringList>
#include <QtGlobal>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

namespace {

const QStringList &methodNames()
{
    static const QStringList names = {QStringLiteral("None"), QStringLiteral("Rubber band"),
                                      QStringLiteral("Minimum profile"), QStringLiteral("Rolling ball")};
    return names;
}

double largestValue(const QVector<double> &inProfile)
{
    return *std::max_element(inProfile.cbegin(), inProfile.cend());
}

// Half-width of the ball in samples for a ball of relative size q (radius / length), before
// limiting it to the profile.
int ballHalfWidth(int inLength, double inRelativeSize)
{
    return std::max(0, KyRounding::truncated(inLength * inRelativeSize - 1.0 + 0.5));
}

// The ball's height above its rim at each distance 0..halfWidth: an ellipse of half-height
// M q, each entry rounded to an integer, the last one 0. Distances beyond the profile are never
// looked up, so only min(halfWidth, length - 1) + 1 entries are made: a huge radius costs no
// more than one as long as the profile.
QVector<double> ballProfile(double inLargest, double inRelativeSize, int inLength, int inHalfWidth)
{
    const int entries = std::min(inHalfWidth, inLength - 1) + 1;
    QVector<double> ball(entries, 0.0);
    ball[0] = KyRounding::flooredHalfUp(inLargest * inRelativeSize);
    for (int i = 1; i < entries && i < inHalfWidth; ++i) {
        const double t = static_cast<double>(i) / inLength;
        ball[i] = KyRounding::flooredHalfUp(inLargest * t * std::tan(std::acos(t / inRelativeSize)));
    }
    if (inHalfWidth < entries)
        ball[inHalfWidth] = 0.0;
    return ball;
}

// The rolling ball compares every profile value in a window with the smallest of the window,
// value minus ball height, a window per profile point: n times the ball's width in all. The scans
// below look at the values in steps of eight, on pairs of doubles without a branch per value, and
// at the steps in blocks of eight. A lower bound of every block and every step (its lowest value
// minus its highest height: rounding keeps the order of differences, so no difference of it is
// smaller) lets a scan pass over the blocks and steps that cannot matter: the first scan over those
// that cannot hold a smaller difference than one already seen, the second over those that cannot
// come near enough to the window's smallest to tie with it. Most of a window is passed over so.
// GCC and Clang vector types: plain SSE2 on x86-64, the same code elsewhere.
using DoublePair = double __attribute__((vector_size(2 * sizeof(double))));
constexpr int kStep = 8;
constexpr int kBlock = 64;

DoublePair loadPair(const double *inValues)
{
    DoublePair pair;
    std::memcpy(&pair, inValues, sizeof pair);
    return pair;
}

// The smaller of each pair of values, b where a is NaN: with a running minimum as b, a NaN value
// compares false and leaves it as it was.
DoublePair smaller(DoublePair a, DoublePair b)
{
    return a < b ? a : b;
}

// The profile and the ball as the windows read them, in one allocation. The ball is laid out over
// its whole width, so that the heights under a window run in step with the profile values:
// height(reach + d) = height(reach - d) = ball[d]. A block of -inf heights after the ball and of
// NaN values after the profile give differences of +inf or NaN, which never count as smallest nor
// as equal to the smallest, so every scan runs in whole steps and blocks. Beside each, for every
// index i, the extremes over a step and over a block from i on (of what is left near the end): the
// smallest value, NaN passed over (+inf where there is nothing else), and the largest height.
class BallLayout
{
public:
    BallLayout(const QVector<double> &inProfile, const QVector<double> &inBall)
        : reach(static_cast<int>(inBall.size()) - 1), mValueCount(inProfile.size() + kBlock),
          mHeightCount(2 * static_cast<qsizetype>(reach) + 1 + kBlock), mStorage(3 * (mValueCount + mHeightCount))
    {
        constexpr double infinity = std::numeric_limits<double>::infinity();
        double *v = values();
        std::copy(inProfile.cbegin(), inProfile.cend(), v);
        std::fill(v + inProfile.size(), v + mValueCount, std::numeric_limits<double>::quiet_NaN());
        double *h = heights();
        std::fill(h, h + mHeightCount, -infinity);
        for (int d = 0; d <= reach; ++d)
            h[reach + d] = h[reach - d] = inBall.at(d);
        for (qsizetype i = 0; i < mValueCount; ++i)
            lowestValuesOfSteps()[i] = std::isnan(v[i]) ? infinity : v[i];
        std::copy(h, h + mHeightCount, highestHeightsOfSteps());
        auto lower = [](double a, double b) { return std::min(a, b); };
        auto higher = [](double a, double b) { return std::max(a, b); };
        widen(lowestValuesOfSteps(), lowestValuesOfBlocks(), mValueCount, lower);
        widen(highestHeightsOfSteps(), highestHeightsOfBlocks(), mHeightCount, higher);
    }

    const int reach;

    const double *values() const { return mStorage.data(); }
    const double *heights() const { return values() + mValueCount; }
    const double *lowestValuesOfSteps() const { return heights() + mHeightCount; }
    const double *lowestValuesOfBlocks() const { return lowestValuesOfSteps() + mValueCount; }
    const double *highestHeightsOfSteps() const { return lowestValuesOfBlocks() + mValueCount; }
    const double *highestHeightsOfBlocks() const { return highestHeightsOfSteps() + mHeightCount; }

private:
    double *values() { return mStorage.data(); }
    double *heights() { return values() + mValueCount; }
    double *lowestValuesOfSteps() { return heights() + mHeightCount; }
    double *lowestValuesOfBlocks() { return lowestValuesOfSteps() + mValueCount; }
    double *highestHeightsOfSteps() { return lowestValuesOfBlocks() + mValueCount; }
    double *highestHeightsOfBlocks() { return highestHeightsOfSteps() + mHeightCount; }

    // ioSingles turns into the extremes over a step and outBlocks receives those over a block,
    // by doubling the width of the extremes.
    template<typename Extreme>
    static void widen(double *ioSingles, double *outBlocks, qsizetype inCount, Extreme inExtreme)
    {
        auto doubleWidth = [&](double *ioExtremes, qsizetype inWidth) {
            for (qsizetype i = 0; i + inWidth < inCount; ++i)
                ioExtremes[i] = inExtreme(ioExtremes[i], ioExtremes[i + inWidth]);
        };
        for (qsizetype width = 1; width < kStep; width *= 2)
            doubleWidth(ioSingles, width);
        std::copy(ioSingles, ioSingles + inCount, outBlocks);
        for (qsizetype width = kStep; width < kBlock; width *= 2)
            doubleWidth(outBlocks, width);
    }

    qsizetype mValueCount;
    qsizetype mHeightCount;
    std::vector<double> mStorage;
};

// The window of count places from profile point first under a ball centred on profile point pos.
class BallWindow
{
public:
    BallWindow(const BallLayout &inLayout, int inFirst, int inPos, int inCount)
        : count(inCount), mLayout(inLayout), mFirst(inFirst), mAt(inFirst - inPos + inLayout.reach)
    {
    }

    const int count;

    double difference(int i) const { return mLayout.values()[mFirst + i] - mLayout.heights()[mAt + i]; }
    DoublePair differences(int i) const
    {
        return loadPair(mLayout.values() + mFirst + i) - loadPair(mLayout.heights() + mAt + i);
    }
    double stepBound(int i) const
    {
        return mLayout.lowestValuesOfSteps()[mFirst + i] - mLayout.highestHeightsOfSteps()[mAt + i];
    }
    double blockBound(int i) const
    {
        return mLayout.lowestValuesOfBlocks()[mFirst + i] - mLayout.highestHeightsOfBlocks()[mAt + i];
    }

private:
    const BallLayout &mLayout;
    int mFirst;
    int mAt;
};

// The smallest of the window's differences, passing over NaN differences: +inf when no difference
// is smaller than that. The same value a one-by-one scan with "<" finds (a minimum involves no
// rounding, so the order of the comparisons cannot change it). inGuess is one of the differences,
// or +inf: the lower it is, the more steps are passed over.
double smallestDifference(const BallWindow &inWindow, double inGuess)
{
    constexpr double none = std::numeric_limits<double>::infinity();
    const DoublePair nothing = {none, none};
    double running = inGuess;
    for (int block = 0; block < inWindow.count; block += kBlock) {
        if (inWindow.blockBound(block) > running)
            continue;
        for (int i = block; i < std::min(block + kBlock, inWindow.count); i += kStep) {
            if (inWindow.stepBound(i) > running)
                continue;
            DoublePair step = smaller(inWindow.differences(i), nothing);
            step = smaller(inWindow.differences(i + 2), step);
            step = smaller(inWindow.differences(i + 4), step);
            step = smaller(inWindow.differences(i + 6), step);
            const double stepLowest = step[0] < step[1] ? step[0] : step[1];
            if (stepLowest < running)
                running = stepLowest;
        }
    }
    return running;
}

// Marks the contact points of a window whose smallest difference is inLowest (finite or -inf):
// the first place of that smallest difference and every later place whose difference is equal to
// it within qFuzzyCompare. That is what is left of a contact list walked in order, where a
// smaller difference restarts the list and a fuzzily equal one joins it: the last restart happens
// at the first place of the smallest difference. qFuzzyCompare(v, lowest) needs
// |v - lowest| * 1e12 <= min(|v|, |lowest|), and v >= lowest, so (v - lowest) * 1e12 <= |lowest|
// holds for every place that can join (and for the smallest itself), and then also for the bounds
// of its step and block, since rounding keeps the order. Only the places that pass it, in steps
// and blocks whose bounds pass it, are decided one by one, exactly as the list walk decides them.
// Returns the first place of the smallest difference.
int markContacts(const BallWindow &inWindow, double inLowest, char *outTouched)
{
    int firstContact = -1;
    auto decide = [&](int i) {
        const double v = inWindow.difference(i);
        if (firstContact < 0) {
            if (v == inLowest) {
                firstContact = i;
                outTouched[i] = 1;
            }
        } else if (qFuzzyCompare(v, inLowest)) {
            outTouched[i] = 1;
        }
    };
    // -inf minus -inf is NaN, which the tests below would pass over: such a window is walked
    // place by place.
    if (std::isinf(inLowest)) {
        for (int i = 0; i < inWindow.count; ++i)
            decide(i);
        return firstContact;
    }
    const double scale = std::abs(inLowest);
    auto near = [&](double inBound) { return (inBound - inLowest) * 1e12 <= scale; };
    const DoublePair lowest = {inLowest, inLowest};
    const DoublePair limit = {scale, scale};
    auto nearPair = [&](DoublePair inDifferences) { return (inDifferences - lowest) * 1e12 <= limit; };
    for (int block = 0; block < inWindow.count; block += kBlock) {
        if (!near(inWindow.blockBound(block)))
            continue;
        for (int i = block; i < std::min(block + kBlock, inWindow.count); i += kStep) {
            if (!near(inWindow.stepBound(i)))
                continue;
            unsigned places = 0;
            for (int pair = 0; pair < kStep / 2; ++pair) {
                const auto pairNear = nearPair(inWindow.differences(i + 2 * pair));
                places |= (pairNear[0] ? 1u : 0u) << (2 * pair);
                places |= (pairNear[1] ? 1u : 0u) << (2 * pair + 1);
            }
            for (int j = 0; j < kStep && i + j < inWindow.count; ++j) {
                if (places & (1u << j))
                    decide(i + j);
            }
        }
    }
    return firstContact;
}

} // namespace

QVector<double> BackgroundSubtraction::calculate(int inMethod, int inParameter,
                                                 const QVector<double> &inProfile)
{
    if (inProfile.isEmpty())
        return QVector<double>();
    switch (inMethod) {
    case kMethod_RubberBand:
        return rubberBand(inProfile);
    case kMethod_MinimumProfile:
        return minimumProfile(inProfile);
    case kMethod_RollingBall:
        return rollingBall(inProfile, inParameter);
    default:
        return QVector<double>();
    }
}

QVector<double> BackgroundSubtraction::minimumProfile(const QVector<double> &inProfile)
{
    if (inProfile.isEmpty())
        return QVector<double>();
    const double smallest = *std::min_element(inProfile.cbegin(), inProfile.cend());
    return QVector<double>(inProfile.size(), smallest);
}

QVector<double> BackgroundSubtraction::rubberBand(const QVector<double> &inProfile)
{
    const int n = static_cast<int>(inProfile.size());
    QVector<double> background(n, 0.0);
    if (n == 0)
        return background;
    const double *p = inProfile.constData();
    double *bg = background.data();

    // Segments still to split. Each segment writes only its own range and the sub-segments share
    // just their split point, which both set to the profile value, so the order of work does not
    // change the result; a stack instead of recursion keeps long profiles off the call stack.
    std::vector<std::pair<int, int>> pending;
    pending.emplace_back(0, n - 1);
    while (!pending.empty()) {
        const auto [a, b] = pending.back();
        pending.pop_back();
        if (a >= b)
            continue;
        bg[a] = p[a];
        bg[b] = p[b];
        int split = -1;
        double deepest = 0.0;
        for (int i = a + 1; i < b; ++i) {
            const double chord = (p[b] - p[a]) * (i - a) / (b - a) + p[a];
            bg[i] = chord;
            if (p[i] < chord) {
                const double depth = p[i] - chord;
                if (split < 0 || depth < deepest) {
                    deepest = depth;
                    split = i;
                }
            }
        }
        if (split >= 0) {
            pending.emplace_back(split, b);
            pending.emplace_back(a, split);
        }
    }
    return background;
}

QVector<double> BackgroundSubtraction::rollingBall(const QVector<double> &inProfile, int inRadius)
{
    const int n = static_cast<int>(inProfile.size());
    if (n == 0 || inRadius < 1)
        return QVector<double>();
    const double *p = inProfile.constData();
    const double q = static_cast<double>(inRadius) / n;
    const QVector<double> ballEntries = ballProfile(largestValue(inProfile), q, n, ballHalfWidth(n, q));
    const int reach = static_cast<int>(ballEntries.size()) - 1;

    const BallLayout layout(inProfile, ballEntries);

    // Only whether a point is touched matters to the interpolation below, not how often, so the
    // contact points are marked rather than gathered and sorted.
    std::vector<char> touched(n, 0);
    // The first contact point of the previous window: its difference in the next window is a
    // good first guess at that window's smallest, as the ball moves on by one sample.
    int lastContact = -1;
    for (int pos = 0; pos < n; ++pos) {
        const int first = std::max(0, pos - reach);
        const BallWindow window(layout, first, pos, std::min(n - 1, pos + reach) - first + 1);
        const double guess = lastContact >= first ? window.difference(lastContact - first)
                                                  : std::numeric_limits<double>::infinity();
        const double lowest = smallestDifference(window, guess);
        lastContact = -1;
        if (lowest < std::numeric_limits<double>::infinity()) {
            const int contact = markContacts(window, lowest, touched.data() + first);
            lastContact = contact < 0 ? -1 : first + contact;
        }
    }

    QVector<double> background(n, 0.0);
    double *bg = background.data();
    int previous = -1;
    for (int k = 0; k < n; ++k) {
        if (!touched[k])
            continue;
        if (previous < 0) {
            for (int j = 0; j <= k; ++j)
                bg[j] = p[k];
        } else {
            for (int j = previous + 1; j <= k; ++j)
                bg[j] = (p[k] - p[previous]) * (j - previous) / (k - previous) + p[previous];
        }
        previous = k;
    }
    if (previous >= 0) {
        for (int j = previous + 1; j < n; ++j)
            bg[j] = p[previous];
    }
    return background;
}

QVector<double> BackgroundSubtraction::rollingBallPercent(const QVector<double> &inProfile, int inPercent)
{
    const int n = static_cast<int>(inProfile.size());
    if (n == 0 || inPercent < 1)
        return QVector<double>();
    const double *p = inProfile.constData();
    const double q = inPercent / 100.0;
    const QVector<double> ballEntries = ballProfile(largestValue(inProfile), q, n, ballHalfWidth(n, q));
    const double *ball = ballEntries.constData();
    const int reach = static_cast<int>(ballEntries.size()) - 1;

    QVector<double> background(n, 0.0);
    double *bg = background.data();
    for (int pos = 0; pos < n; ++pos) {
        const int first = std::max(0, pos - reach);
        const int last = std::min(n - 1, pos + reach);
        double lift = p[first] - ball[pos - first];
        for (int j = first + 1; j <= last; ++j) {
            const double v = p[j] - ball[j < pos ? pos - j : j - pos];
            if (v < lift)
                lift = v;
        }
        for (int j = first; j <= last; ++j)
            bg[j] = std::max(bg[j], ball[j < pos ? pos - j : j - pos] + lift);
    }
    return background;
}

QString BackgroundSubtraction::methodName(int inIndex)
{
    const QStringList &names = methodNames();
    return inIndex >= 0 && inIndex < names.size() ? names.at(inIndex) : QString();
}

int BackgroundSubtraction::methodIndex(const QString &inName)
{
    const qsizetype index = methodNames().indexOf(inName);
    return index < 0 ? 0 : static_cast<int>(index);
}
