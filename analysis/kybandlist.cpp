#include "analysis/kybandlist.h"

#include "core/systemsettings.h"

KyBandInfo KyBandList::band(int i) const
{
    if (i < 0 || i >= count())
        return KyBandInfo();
    return mBands.at(i);
}

void KyBandList::append(const KyBandInfo &inBand)
{
    mBands.append(inBand);
}

void KyBandList::replace(int i, const KyBandInfo &inBand)
{
    mBands.replace(i, inBand);
}

void KyBandList::setBand(int i, const KyBandInfo &inBand)
{
    if (i >= 0 && i < count())
        mBands[i] = inBand;
}

void KyBandList::removeAt(int i)
{
    mBands.removeAt(i);
}

void KyBandList::truncate(int n)
{
    if (count() > n)
        mBands.resize(qMax(n, 0));
}

int KyBandList::addBand(const KyBandInfo &inBand)
{
    if (count() >= maxBandCount())
        return -1;

    int i = 0;
    while (i < count() && !(inBand.start() < mBands.at(i).start()))
        ++i;

    if (i == count()) {
        if (mBands.isEmpty() || inBand.start() >= mBands.last().end()) {
            mBands.append(inBand);
            return i;
        }
        return -1;
    }

    if (i > 0 && inBand.start() < mBands.at(i - 1).end())
        return -1;
    if (inBand.end() > mBands.at(i).start())
        return -1;
    mBands.insert(i, inBand);
    return i;
}

bool KyBandList::fitsBetweenNeighbours(int i, int inStart, int inEnd) const
{
    if (i > 0 && inStart < mBands.at(i - 1).end())
        return false;
    if (i < count() - 1 && inEnd > mBands.at(i + 1).start())
        return false;
    return true;
}

int KyBandList::moveBand(int i, int inDelta, int inLimit)
{
    if (i < 0 || i >= count())
        return -1;
    // Positions are shifted in 64 bits so that no delta can wrap around into the allowed range.
    const KyBandInfo &b = mBands.at(i);
    const qint64 s = qint64(b.start()) + inDelta;
    const qint64 p = qint64(b.peak()) + inDelta;
    const qint64 e = qint64(b.end()) + inDelta;
    for (qint64 v : {s, p, e}) {
        if (v < 0 || v > inLimit)
            return -1;
    }
    if (!fitsBetweenNeighbours(i, int(s), int(e)))
        return -1;
    KyBandInfo &target = mBands[i];
    target.setStart(int(s));
    target.setPeak(int(p));
    target.setEnd(int(e));
    return i;
}

int KyBandList::spreadBand(int i, int inDelta, int inLimit)
{
    if (i < 0 || i >= count())
        return -1;
    const KyBandInfo &b = mBands.at(i);
    const qint64 s = qint64(b.start()) - inDelta;
    const qint64 e = qint64(b.end()) + inDelta;
    if (s > e || s < 0 || e < 0 || s > inLimit || e > inLimit)
        return -1;
    if (!fitsBetweenNeighbours(i, int(s), int(e)))
        return -1;
    // The peak stays where it was, even outside a narrowed band.
    KyBandInfo &target = mBands[i];
    target.setStart(int(s));
    target.setEnd(int(e));
    return i;
}

int KyBandList::maxBandCount()
{
    return SystemSettings::instance()->intValue(QStringLiteral("MaximumNumberOfBand"));
}

int KyBandList::maxAutoDetectBandCount()
{
    return SystemSettings::instance()->intValue(QStringLiteral("MaximumNumberOfBandAutoDetection"));
}
