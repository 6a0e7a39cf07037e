#pragma once

#include "core/analysissettings.h"
#include "core/lsettings.h"
#include "core/systemsettings.h"
#include "document/kydocument.h"
#include "document/kyitemnames.h"
#include "image/imagefile.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringList>

#include <cmath>
#include <functional>

// A document kind for tests. Its images live in memory (one record per channel, null records
// allowed); SaveAs writes record i as <path>-<i + 1>.tif through the TIFF codec, and the opening
// constructor reads such files back and then the stored analysis, as the real kinds do.
class TestDocument : public KyDocument
{
public:
    // A new capture holding the given records.
    explicit TestDocument(const QVector<ImageFile> &inImages = {}) : KyDocument(nullptr)
    {
        mSampleImageList = inImages;
    }

    // A capture opened from records already read: the stored analysis is read, the dirty mark
    // cleared.
    TestDocument(const QString &inPath, const QVector<ImageFile> &inImages) : KyDocument(inPath)
    {
        mSampleImageList = inImages;
        ReadAnalysisMetadata();
        SetDirty(false);
    }

    // A capture opened from <inBasePath>-1.tif .. -<inCount>.tif; a missing file is a null record.
    static TestDocument *open(const QString &inBasePath, int inCount)
    {
        QVector<ImageFile> images(inCount);
        for (int i = 0; i < inCount; ++i) {
            const QString file = inBasePath + QStringLiteral("-%1.tif").arg(i + 1);
            if (QFileInfo::exists(file))
                ImageFile::Read(file, images[i]);
        }
        return new TestDocument(inBasePath, images);
    }

    using KyDocument::Image;

    void SetSampleImage(int inChannel, const ImageFile &inImage) override
    {
        if (inChannel < 0 || inChannel > 2)
            return;
        if (mSampleImageList.size() <= inChannel)
            mSampleImageList.resize(inChannel + 1);
        mSampleImageList[inChannel] = inImage;
    }
    void SetColorChannelImage(int, const ImageFile &) override {}
    QImage ColorImage(const QRect &) override { return mColorImage ? *mColorImage : QImage(); }

    int Save(const QString &inFolder, const QString &inName, bool, bool, bool) override
    {
        savedFolder = inFolder;
        savedName = inName;
        const QString base = BaseName(inName);
        if (base.isEmpty())
            return -13;
        return SaveAs(inFolder + QLatin1Char('/') + base);
    }

    int SaveAs(const QString &inPath) override
    {
        savedAsPath = inPath;
        if (inPath.isEmpty() || !writeFiles)
            return -13;
        WriteAnalysisMetadata();
        for (int i = 0; i < mSampleImageList.size(); ++i) {
            ImageFile &image = mSampleImageList[i];
            if (image.IsNull())
                continue;
            const QString file = inPath + QStringLiteral("-%1").arg(i + 1);
            if (!ImageFile::Save(file, image))
                return -11;
            image.SetTag(KyItemName::FilePath, file + QStringLiteral(".tif"));
            emit SaveProgress();
        }
        SetDirty(false);
        mKind = kKind_Opened;
        mBasePath = inPath;
        mBandsAtOpen = HasBands();
        return 0;
    }

    int ChannelMask() const override
    {
        int mask = 0x80;
        for (int i = 0; i < mSampleImageList.size() && i < 3; ++i) {
            if (!mSampleImageList.at(i).IsNull())
                mask |= 1 << i;
        }
        return mask;
    }

    QVector<double> IntensityTable() const override
    {
        ++intensityTableCalls;
        return valueTable.isEmpty() ? KyDocument::IntensityTable() : valueTable;
    }

    ImageFile *Image(int inIndex) override
    {
        ++mutableImageCalls;
        return KyDocument::Image(inIndex);
    }

    // The single-image kind counts as one image whatever it holds, and may carry a marker.
    bool IsSingleImage() const override { return singleImageKind || KyDocument::IsSingleImage(); }
    bool HasMarker() const override { return markerImage; }

    // Protected state, for the tests.
    int kind() const { return mKind; }
    QString basePath() const { return mBasePath; }
    int splitMode() const { return mSplitMode; }
    void setSplitMode(int inMode) { mSplitMode = inMode; }
    bool hasColorImage() const { return mColorImage != nullptr; }
    void setColorImage() { delete mColorImage; mColorImage = new QImage(4, 4, QImage::Format_RGB32); }
    QVector<ImageFile> &images() { return mSampleImageList; }
    QVector<double> &normalization() { return mNormalization; }
    QVector<QString> &channelTexts() { return mChannelTexts; }
    int rollingBallRadius() const { return mRollingBallRadius; }
    int backgroundMethod() const { return mBackgroundMethod; }
    void refreshMWPoints() { RefreshMWPoints(); }

    QVector<double> valueTable;         // IntensityTable(); identity when empty
    mutable int intensityTableCalls = 0;
    int mutableImageCalls = 0;
    bool writeFiles = true;
    bool singleImageKind = false;       // IsSingleImage() true, as the single-image kind answers
    bool markerImage = false;           // HasMarker()
    QString savedFolder;
    QString savedName;
    QString savedAsPath;
};

namespace kytest {

// Settings stored for the lifetime of the object, then removed again.
class ScopedSystemSettings
{
public:
    explicit ScopedSystemSettings(const QList<QPair<QString, QVariant>> &inValues)
    {
        for (const auto &entry : inValues) {
            SystemSettings::instance()->settingsStore()->setValue(entry.first, entry.second);
            mKeys << entry.first;
        }
    }
    ~ScopedSystemSettings()
    {
        for (const QString &key : std::as_const(mKeys))
            SystemSettings::instance()->settingsStore()->remove(key);
    }

private:
    QStringList mKeys;
};

class ScopedAnalysisSettings
{
public:
    explicit ScopedAnalysisSettings(const QList<QPair<QString, QVariant>> &inValues)
    {
        for (const auto &entry : inValues) {
            AnalysisSettings::instance()->setValue(entry.first, entry.second);
            mKeys << entry.first;
        }
    }
    ~ScopedAnalysisSettings()
    {
        for (const QString &key : std::as_const(mKeys))
            AnalysisSettings::instance()->remove(key);
    }

private:
    QStringList mKeys;
};

inline ImageFile makeImage(int inWidth, int inHeight, const std::function<quint16(int, int)> &inPixel,
                           double inPixelSize = 30.0)
{
    ImageFile image;
    image.Resize(inWidth, inHeight);
    quint16 *data = image.Data();
    for (int y = 0; y < inHeight; ++y)
        for (int x = 0; x < inWidth; ++x)
            data[qsizetype(y) * inWidth + x] = inPixel(x, y);
    image.UpdateHistogram();
    image.SetPixelSize(inPixelSize);
    return image;
}

inline ImageFile uniformImage(int inWidth, int inHeight, quint16 inValue, double inPixelSize = 30.0)
{
    return makeImage(inWidth, inHeight, [inValue](int, int) { return inValue; }, inPixelSize);
}

// A gel of inLanes vertical lanes on a sloping background, each lane with a few Gaussian bands
// (channel by channel different heights), a little noise and, where inSaturate, one band burnt out.
inline ImageFile gelImage(int inWidth, int inHeight, int inLanes, quint32 inSeed, bool inSaturate = false)
{
    QRandomGenerator random(inSeed);
    struct Spot
    {
        double x, y, sy, height;
    };
    QVector<Spot> spots;
    const double pitch = double(inWidth) / inLanes;
    for (int lane = 0; lane < inLanes; ++lane) {
        const int bands = 2 + int(random.bounded(3));
        for (int b = 0; b < bands; ++b) {
            const double y = inHeight * (0.15 + 0.7 * (b + random.bounded(0.6)) / bands);
            spots.append({pitch * (lane + 0.5), y, 1.5 + random.bounded(2.5), 3000.0 + random.bounded(20000.0)});
        }
    }
    if (inSaturate && !spots.isEmpty())
        spots[0].height = 200000.0;
    return makeImage(inWidth, inHeight, [&](int x, int y) {
        double v = 1200.0 + 6.0 * x + 3.0 * y + random.bounded(200.0);
        for (const Spot &s : spots) {
            const double dx = (x - s.x) / (pitch * 0.3);
            const double dy = (y - s.y) / s.sy;
            v += s.height * std::exp(-0.5 * (dx * dx + dy * dy));
        }
        return quint16(std::min(v, 65535.0));
    });
}

} // namespace kytest
