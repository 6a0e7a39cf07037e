#pragma once

#include "document/kyitemnames.h"
#include "document/kymultidocument.h"
#include "image/imagefile.h"
#include "samplecapturewriter.h"
#include "savedfiles.h"
#include "testdocument.h"

#include <QCryptographicHash>
#include <QMap>
#include <QTest>

#include <functional>

// The three-channel document with its protected state open to the tests.
class ProbeMultiDocument : public KyMultiDocument
{
public:
    using KyMultiDocument::KyMultiDocument;

    int kind() const { return mKind; }
    QString basePath() const { return mBasePath; }
    int compositeMask() const { return mCompositeMask; }
    const QImage *colorImage() const { return mColorImage; }
    void setSplitMode(int inMode) { mSplitMode = inMode; }
    QVector<ImageFile> &records() { return mSampleImageList; }
};

namespace multitest {

// An image of the given size whose pixel (x, y) is inPixel(x, y), display range inLow..inHigh.
inline ImageFile makeImage(int inWidth, int inHeight, const std::function<quint16(int, int)> &inPixel,
                           quint16 inLow = 0, quint16 inHigh = 254)
{
    ImageFile image = kytest::makeImage(inWidth, inHeight, inPixel);
    image.SetRangeLow(inLow);
    image.SetRangeHigh(inHigh);
    return image;
}

inline ImageFile uniformImage(int inWidth, int inHeight, quint16 inValue)
{
    return makeImage(inWidth, inHeight, [inValue](int, int) { return inValue; });
}

// Writes a channel file: inChannel is the "Channel" item ("" for none).
inline bool writeChannelFile(const QString &inPath, const ImageFile &inImage, const QString &inChannel)
{
    ImageFile image(inImage);
    if (!inChannel.isEmpty())
        image.SetTag(KyItemName::Channel, inChannel);
    image.SetTag(QStringLiteral("Date time"), QStringLiteral("2024:05:06 10:11:02"));
    return ImageFile::Save(inPath, image);
}

// Every file under inFolder (relative path -> SHA-1 of its bytes); folders as "<path>/".
inline QMap<QString, QByteArray> snapshot(const QString &inFolder)
{
    QMap<QString, QByteArray> files;
    for (const QString &entry : kytest::treeOf(inFolder)) {
        files.insert(entry, entry.endsWith(QLatin1Char('/'))
                                ? QByteArray()
                                : QCryptographicHash::hash(kytest::readBytes(inFolder + QLatin1Char('/') + entry),
                                                           QCryptographicHash::Sha1));
    }
    return files;
}

// A fluorescence capture made by the sample tool: its folder, with three channel images.
inline QString writeFluorCapture(const QString &inParent, quint64 inSeed = 7, int inWidth = 160, int inHeight = 240)
{
    SampleCaptureWriter writer(inWidth, inHeight, inSeed);
    return writer.Write(QStringLiteral("fluor"), inParent);
}

inline QString lastSection(const QString &inPath)
{
    return inPath.section(QLatin1Char('/'), -1);
}

} // namespace multitest
