#include "analysis/kybanddetector.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

using Mark = std::int8_t;

constexpr Mark kStartBit = 1;
constexpr Mark kEndBit = 2;

// One marked point, held apart from the working lists while a band's edges are rebuilt.
struct Entry
{
    int index;
    double value;
    Mark mark;
};

// The three working lists of a detection, indexed alike.
class Entries
{
public:
    Entries(QVector<double> &inValues, QVector<int> &inIndices, QVector<Mark> &inMarks)
        : values(inValues), indices(inIndices), marks(inMarks)
    {
    }

    int size() const { return int(marks.size()); }
    Entry at(int i) const { return {indices.at(i), values.at(i), marks.at(i)}; }

    void append(const Entry &e)
    {
        indices.append(e.index);
        values.append(e.value);
        marks.append(e.mark);
    }

    void removeLast()
    {
        indices.removeLast();
        values.removeLast();
        marks.removeLast();
    }

    // Removes the entries from..to, both included; nothing when to < from.
    void remove(int from, int to)
    {
        if (to < from)
            return;
        const int n = to - from + 1;
        indices.remove(from, n);
        values.remove(from, n);
        marks.remove(from, n);
    }

    void clear()
    {
        indices.clear();
        values.clear();
        marks.clear();
    }

    // The first entry at or after from that starts a band, peaks or ends a band; -1 when none.
    int nextStart(int from) const { return find(from, [](Mark m) { return (m & kStartBit) != 0; }); }
    int nextPeak(int from) const { return find(from, [](Mark m) { return m == KyBandDetector::kMark_Peak; }); }
    int nextEnd(int from) const { return find(from, [](Mark m) { return (m & kEndBit) != 0; }); }

    // The next band from entry from on: a start, the next peak after it and the next end after that.
    bool nextBand(int from, int *a, int *b, int *c) const
    {
        *a = nextStart(from);
        if (*a < 0)
            return false;
        *b = nextPeak(*a + 1);
        if (*b < 0)
            return false;
        *c = nextEnd(*b + 1);
        return *c >= 0;
    }

    // Takes out the band a..c: the entries inside go; an end that is a shared valley stays as the
    // next band's start, a start that is a shared valley stays as the previous band's end.
    void removeBand(int a, int c)
    {
        remove(a + 1, c - 1);
        const int end = a + 1;
        if (marks.at(end) == KyBandDetector::kMark_Valley)
            marks[end] = KyBandDetector::kMark_Start;
        else
            remove(end, end);
        if (marks.at(a) == KyBandDetector::kMark_Valley)
            marks[a] = KyBandDetector::kMark_End;
        else
            remove(a, a);
    }

    // Moves entry i onto point x of the profile p and gives it back.
    Entry moveTo(int i, int x, const QVector<double> &p)
    {
        indices[i] = x;
        values[i] = p.at(x);
        return at(i);
    }

    // The band end c moved onto point x of p. A shared valley is split rather than moved: it stays
    // as the next band's start and a new end is made at x.
    Entry splitOrMoveEnd(int c, int x, const QVector<double> &p)
    {
        if (x != indices.at(c) && marks.at(c) == KyBandDetector::kMark_Valley) {
            marks[c] = KyBandDetector::kMark_Start;
            return {x, p.at(x), KyBandDetector::kMark_End};
        }
        return moveTo(c, x, p);
    }

    // A band dropped after its predecessor's shared valley was emitted leaves that valley an end only.
    void endLastValley()
    {
        if (!marks.isEmpty() && marks.last() == KyBandDetector::kMark_Valley)
            marks.last() = KyBandDetector::kMark_End;
    }

    // Emits a band's start (unless the last emitted entry already sits there, as a shared valley
    // does), its peak and its end.
    void emitBand(const Entry &start, const Entry &peak, const Entry &end)
    {
        if (indices.isEmpty() || indices.last() != start.index)
            append(start);
        append(peak);
        append(end);
    }

    QVector<double> &values;
    QVector<int> &indices;
    QVector<Mark> &marks;

private:
    template <typename Test>
    int find(int from, Test test) const
    {
        for (int i = std::max(from, 0); i < marks.size(); ++i) {
            if (test(marks.at(i)))
                return i;
        }
        return -1;
    }
};

// A copy of the working lists that a pass reads its bands from while it rebuilds the lists.
struct EntriesCopy
{
    explicit EntriesCopy(const Entries &from)
        : values(from.values), indices(from.indices), marks(from.marks)
    {
    }
    EntriesCopy(const EntriesCopy &) = delete;
    EntriesCopy &operator=(const EntriesCopy &) = delete;

    QVector<double> values;
    QVector<int> indices;
    QVector<Mark> marks;
    Entries entries{values, indices, marks};
};

// The smoothing decision shared by the statistics and the detection: the profile is smoothed when
// the share of sign changes of its first difference reaches noisePercent / 100 and it is long enough
// to smooth. d has the profile's length; its last entry stays 0.
void smoothedProfile(const QVector<double> &profile, double noisePercent, QVector<double> &s, QVector<double> &d)
{
    const int n = int(profile.size());
    d = QVector<double>(n, 0.0);
    KyBandDetector::difference(profile, d);
    const double share = KyBandDetector::signChangeShare(d);
    if (noisePercent / 100 <= share && n >= KyBandDetector::kSmoothingWindow) {
        KyBandDetector::smoothSG17(profile, s);
        d = QVector<double>(n, 0.0);
        KyBandDetector::difference(s, d);
    } else {
        s = profile;
    }
}

} // namespace

void KyBandDetector::difference(const QVector<double> &y, QVector<double> &d)
{
    const qsizetype n = y.size();
    if (n < 2)
        return;
    if (d.size() < n - 1)
        d.resize(n - 1);
    const double *in = y.constData();
    double *out = d.data();
    for (qsizetype i = 0; i + 1 < n; ++i)
        out[i] = in[i + 1] - in[i];
}

double KyBandDetector::signChangeShare(const QVector<double> &d)
{
    const qsizetype n = d.size();
    if (n == 0)
        return 0.0;
    qsizetype changes = 0;
    // The last entry is left out: it is the 0 that pads the difference to the profile's length.
    for (qsizetype i = 0; i + 2 < n; ++i) {
        const double a = d.at(i);
        const double b = d.at(i + 1);
        if (!(a == 0.0 && b == 0.0) && a * b <= 0.0)
            ++changes;
    }
    return double(changes) / double(n);
}

void KyBandDetector::smoothSG17(const QVector<double> &y, QVector<double> &s)
{
    const int n = int(y.size());
    if (n < kSmoothingWindow) {
        s = y;
        return;
    }
    s.resize(n);
    const double *v = y.constData();
    double *out = s.data();

    for (int i = 8; i <= n - 9; ++i) {
        double sum = 43 * v[i] + 42 * (v[i - 1] + v[i + 1]) + 39 * (v[i - 2] + v[i + 2]) + 34 * (v[i - 3] + v[i + 3])
                     + 27 * (v[i - 4] + v[i + 4]) + 18 * (v[i - 5] + v[i + 5]) + 7 * (v[i - 6] + v[i + 6])
                     - 6 * (v[i - 7] + v[i + 7]) - 21 * (v[i - 8] + v[i + 8]);
        sum = sum / 323;
        out[i] = sum < 0 ? 0.0 : sum;
    }

    // The ends are 17-point means over the profile continued by point reflection about its first and
    // last values (y[-k] = 2 y[0] - y[k]); they are not clipped at 0.
    double sum = 17 * v[0];
    for (int i = 0; i <= 7; ++i) {
        out[i] = sum / 17;
        sum = sum - (2 * v[0] - v[8 - i]) + v[i + 9];
    }

    const int last = n - 1;
    sum = v[last - 16];
    for (int j = last - 15; j <= last; ++j)
        sum = sum + v[j];
    for (int j = last - 7; j <= last; ++j) {
        sum = sum - v[j - 9] + (2 * v[last] - v[2 * last - 8 - j]);
        out[j] = sum / 17;
    }
}

void KyBandDetector::derivativeStats(const QVector<double> &profile, double noisePercent, double *sumAbs, int *count,
                                     double *maxValue)
{
    QVector<double> s;
    QVector<double> d;
    smoothedProfile(profile, noisePercent, s, d);

    double total = 0.0;
    for (double v : std::as_const(d))
        total = total + std::fabs(v);
    double largest = 0.0;
    for (double v : std::as_const(s)) {
        if (v > largest)
            largest = v;
    }
    if (sumAbs)
        *sumAbs = total;
    if (count)
        *count = int(profile.size());
    if (maxValue)
        *maxValue = largest;
}

KyBandList KyBandDetector::detectBands(const QVector<double> &profile, double noisePercent, double edgePercent,
                                       double heightThreshold, int maxWidth, int minWidth, double minSideHeight,
                                       int ignored, double ratio1, double ratio2)
{
    Q_UNUSED(ignored);

    QVector<double> s;
    QVector<double> d;
    smoothedProfile(profile, noisePercent, s, d);
    const int n = int(s.size());

    QVector<double> values;
    QVector<int> indices;
    QVector<Mark> marks;
    Entries list(values, indices, marks);

    // Turning points of the first difference.
    int sign = 0;
    for (int i = 0; i < n; ++i) {
        const double v = d.at(i);
        if (v == 0.0 && sign == 0)
            continue;
        if ((v > 0.0 && sign > 0) || (v < 0.0 && sign < 0)) {
            // still rising or still falling
        } else if (v > 0.0 && sign < 0) {
            list.append({i, s.at(i), kMark_Valley});
        } else if (v > 0.0 && sign == 0) {
            // A peak followed by a flat stretch and a new rise is no peak.
            if (list.size() >= 2 && marks.last() == kMark_Peak)
                list.removeLast();
            else
                list.append({i, s.at(i), kMark_Start});
        } else if ((v == 0.0 && sign > 0) || (v < 0.0 && sign >= 0)) {
            if (list.size() >= 2 && marks.last() == kMark_End) {
                list.removeLast();
            } else if (list.size() >= 2 && marks.last() == kMark_Peak) {
                // A flat top: the peak sits in its middle.
                const int middle = (indices.last() + i) / 2;
                indices.last() = middle;
                values.last() = s.at(middle);
            } else {
                list.append({i, s.at(i), kMark_Peak});
            }
        } else if (v == 0.0 && sign < 0) {
            list.append({i, s.at(i), kMark_End});
        }
        sign = v > 0.0 ? 1 : (v < 0.0 ? -1 : 0);
    }

    if (list.size() == 0)
        return KyBandList();

    // Merge bands separated by shallow valleys.
    {
        int a, b, c;
        int pos = 0;
        int prevPeak = -1;
        int prevEnd = -1;
        while (list.nextBand(pos, &a, &b, &c)) {
            if (prevPeak >= 0) {
                const double h = std::max(values.at(prevPeak), values.at(b));
                if (h > 0.0 && values.at(prevEnd) / h > 0.95) {
                    marks[prevEnd] = Mark(marks.at(prevEnd) & ~kEndBit);
                    marks[a] = Mark(marks.at(a) & ~kStartBit);
                    if (values.at(b) < values.at(prevPeak)) {
                        marks[b] = 0;
                        b = prevPeak;
                    } else {
                        marks[prevPeak] = 0;
                    }
                }
            }
            prevPeak = b;
            prevEnd = c;
            pos = c;
        }
    }

    // Shape filter: remove bands that are too lopsided or have a side too low.
    {
        const double infinity = std::numeric_limits<double>::infinity();
        double theta = ratio1;
        int pendingStart = -1;
        int pendingEnd = -1;
        int a, b, c;
        int pos = 0;
        while (list.nextBand(pos, &a, &b, &c)) {
            const double rise = values.at(b) - values.at(a);
            const double fall = values.at(b) - values.at(c);
            const double larger = std::max(rise, fall);
            const double smaller = std::min(rise, fall);
            const double ratio = smaller == 0.0 ? infinity : larger / smaller;
            if (ratio > theta) {
                list.removeBand(a, c);
                pos = a;
                if (ratio > ratio1 && pendingStart >= 0) {
                    list.removeBand(pendingStart, pendingEnd);
                    pos = pendingStart;
                }
                pendingStart = pendingEnd = -1;
                theta = rise < fall ? ratio2 : ratio1;
            } else if (smaller < minSideHeight) {
                list.removeBand(a, c);
                theta = ratio1;
                pendingStart = pendingEnd = -1;
                pos = a;
            } else if (ratio > ratio2 && rise < fall) {
                pendingStart = a;
                pendingEnd = c;
                theta = ratio1;
                pos = c;
            } else {
                theta = ratio1;
                pendingStart = pendingEnd = -1;
                pos = c;
            }
        }
    }

    // Height filter and edge refinement: each kept band's edges move in to where the profile first
    // reaches edgePercent of the band's rise and fall.
    {
        EntriesCopy copy(list);
        Entries &source = copy.entries;
        list.clear();

        int a, b, c;
        int pos = 0;
        while (source.nextBand(pos, &a, &b, &c)) {
            pos = c;
            const double va = source.values.at(a);
            const double vb = source.values.at(b);
            const double vc = source.values.at(c);
            if (vb - va < heightThreshold && vb - vc < heightThreshold) {
                list.endLastValley();
                continue;
            }
            const int ia = source.indices.at(a);
            const int ib = source.indices.at(b);
            const int ic = source.indices.at(c);

            Entry start = source.at(a);
            double level = va + (vb - va) * edgePercent / 100;
            int x = ia;
            while (x < ib && !(s.at(x) >= level))
                ++x;
            if (x < ib) {
                if (x != ia && source.marks.at(a) == kMark_Valley) {
                    // The valley stays where it was, already emitted as the previous band's end.
                    start = {x, s.at(x), kMark_Start};
                } else {
                    start = source.moveTo(a, x, s);
                }
            }

            Entry end = source.at(c);
            level = vc + (vb - vc) * edgePercent / 100;
            x = ic;
            while (x > ib && !(s.at(x) >= level))
                --x;
            if (x > ib)
                end = source.splitOrMoveEnd(c, x, s);

            list.emitBand(start, source.at(b), end);
        }
    }

    KyBandList result;
    int a, b, c;
    int pos = 0;
    while (list.nextBand(pos, &a, &b, &c)) {
        const int width = indices.at(c) - indices.at(a);
        if (minWidth <= width && width <= maxWidth)
            result.append(KyBandInfo(indices.at(a), indices.at(b), indices.at(c), false, 0.0, false));
        pos = c;
    }
    return result;
}

void KyBandDetector::mergeClose(int distance, QVector<double> &values, QVector<int> &indices, QVector<Mark> &marks)
{
    Entries list(values, indices, marks);
    int i = 1;
    while (i < list.size()) {
        const bool peakBefore = marks.at(i - 1) == kMark_Peak;
        const bool peakHere = marks.at(i) == kMark_Peak;
        if ((!peakBefore && !peakHere) || indices.at(i) - indices.at(i - 1) > distance) {
            ++i;
            continue;
        }
        const int count = list.size();
        if (i <= 2 || i >= count - 2) {
            list.remove(i - 1, i);
        } else {
            int k = i - 2;
            while (k >= 0 && marks.at(k) != kMark_Peak)
                --k;
            int m = i + 1;
            while (m < count && marks.at(m) != kMark_Peak)
                ++m;
            if (k < 0 || m >= count) {
                // A close pair without a peak on one side has nothing to merge into: leave it, so that
                // the walk cannot come back to it for ever.
                ++i;
                continue;
            }
            const int p = peakBefore ? i - 1 : i;
            const int left = indices.at(i - 1) - indices.at(k);
            const int right = indices.at(m) - indices.at(i - 1);
            if (left > right) {
                if (values.at(m) <= values.at(i - 1))
                    list.remove(i, m);
                else
                    list.remove(i - 1, i);
            } else {
                if (values.at(p) <= values.at(k))
                    list.remove(i - 1, i);
                else
                    list.remove(k, i - 2);
            }
        }
        i = std::max(i - 2, 0) + 1;
    }
}

void KyBandDetector::refineFlatEdges(const QVector<double> &s, const QVector<double> &d, double level,
                                     QVector<double> &values, QVector<int> &indices, QVector<Mark> &marks)
{
    Entries list(values, indices, marks);
    EntriesCopy copy(list);
    Entries &source = copy.entries;
    list.clear();

    const auto steep = [&](int x) { return x < d.size() && (d.at(x) <= -level || d.at(x) >= level); };

    // A start that is a shared valley ends the previous band only, here and where it was emitted.
    const auto endValleyAt = [&](int a) {
        source.marks[a] = kMark_End;
        if (!indices.isEmpty() && indices.last() == source.indices.at(a) && marks.last() == kMark_Valley)
            marks.last() = kMark_End;
    };

    int a, b, c;
    int pos = 0;
    while (source.nextBand(pos, &a, &b, &c)) {
        pos = c;
        const int ia = source.indices.at(a);
        const int ib = source.indices.at(b);
        const int ic = source.indices.at(c);

        Entry start = source.at(a);
        bool startInserted = false;
        bool leftFound = false;
        int x = ia;
        while (x < ib && !steep(x))
            ++x;
        if (x < ib) {
            if (x != ia && source.marks.at(a) == kMark_Valley) {
                endValleyAt(a);
                start = {x, s.at(x), kMark_Start};
                startInserted = true;
            } else {
                start = source.moveTo(a, x, s);
                leftFound = true;
            }
        }

        Entry end = source.at(c);
        bool rightFound = false;
        x = ic;
        while (x > ib && !steep(x))
            --x;
        if (x > ib) {
            rightFound = true;
            end = source.splitOrMoveEnd(c, x, s);
        }

        if (leftFound && !rightFound) {
            for (x = ib + 1; x <= ic; ++x) {
                if (s.at(x) <= start.value) {
                    end = source.splitOrMoveEnd(c, x, s);
                    break;
                }
            }
        } else if (rightFound && !leftFound) {
            for (x = ib - 1; x >= ia; --x) {
                if (s.at(x) <= end.value) {
                    if (startInserted) {
                        start = {x, s.at(x), kMark_Start};
                    } else if (x == ia) {
                        // already there
                    } else if (source.marks.at(a) == kMark_Valley) {
                        endValleyAt(a);
                        start = {x, s.at(x), kMark_Start};
                    } else {
                        start = source.moveTo(a, x, s);
                    }
                    break;
                }
            }
        } else if (!leftFound && !rightFound) {
            list.endLastValley();
            continue;
        }

        list.emitBand(start, source.at(b), end);
    }
}
