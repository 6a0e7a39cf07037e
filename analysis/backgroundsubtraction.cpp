#include "backgroundsubtraction.h"

#include "kyrounding.h"

#include <QStringList>
#include <QtGlobal>

#include <algorithm>
#include <cmath>
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
    const double *ball = ballEntries.constData();
    const int reach = static_cast<int>(ballEntries.size()) - 1;

    // Only whether a point is touched matters to the interpolation below, not how often, so the
    // contact points are marked rather than gathered and sorted.
    std::vector<char> touched(n, 0);
    std::vector<int> contacts;
    contacts.reserve(2 * reach + 1);
    for (int pos = 0; pos < n; ++pos) {
        const int first = std::max(0, pos - reach);
        const int last = std::min(n - 1, pos + reach);
        double lowest = std::numeric_limits<double>::infinity();
        contacts.clear();
        for (int k = first; k <= last; ++k) {
            const double v = p[k] - ball[k < pos ? pos - k : k - pos];
            if (v < lowest) {
                lowest = v;
                contacts.clear();
                contacts.push_back(k);
            } else if (!contacts.empty() && qFuzzyCompare(v, lowest)) {
                contacts.push_back(k);
            }
        }
        for (int k : contacts)
            touched[k] = 1;
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
