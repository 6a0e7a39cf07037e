// libFuzzer target for the parsers of the analysis text items. An input is read as Latin-1 text
// (as the TIFF reader reads an image description); its first five lines are the "Lane", "Band",
// "Background", "MWStandardLane" and "MWStandard" texts. After parsing, every band must lie
// within its profile, the other channels must keep their bands, the analysis must compute, and
// the items written from the result must read back to the same texts.

#include "core/analysissettings.h"
#include "instrument/kestova.h"
#include "core/systemsettings.h"
#include "document/kydocument.h"
#include "document/kyitemnames.h"
#include "image/imagefile.h"
#include "instrument/instrumentnames.h"
#include "tests/document/bandsinside.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

const QString kFrame = QStringLiteral("4,0.6,2,3,45,3,2,29,45,29");
const QString kOtherBands = QStringLiteral("other,#1,2,4,6,1,#3,1,5,9,0,");

QTemporaryDir *g_folder = nullptr;
QVector<ImageFile> *g_images = nullptr;

void check(bool inCondition)
{
    if (!inCondition)
        std::abort();
}

// A document kind that only holds its images.
class FuzzDocument : public KyDocument
{
public:
    explicit FuzzDocument(const QVector<ImageFile> &inImages) { mSampleImageList = inImages; }
    FuzzDocument(const QString &inPath, const QVector<ImageFile> &inImages) : KyDocument(inPath)
    {
        mSampleImageList = inImages;
        ReadAnalysisMetadata();
        SetDirty(false);
    }
    void SetSampleImage(int, const ImageFile &) override {}
    void SetColorChannelImage(int, const ImageFile &) override {}
    QImage ColorImage(const QRect &) override { return QImage(); }
    int Save(const QString &, const QString &, bool, bool, bool) override { return -13; }
    int SaveAs(const QString &) override { return -13; }
    int ChannelMask() const override { return 0x87; }
    const QVector<ImageFile> &images() const { return mSampleImageList; }
};

ImageFile gel(int inWidth, int inHeight, int inSeed)
{
    ImageFile image;
    image.Resize(inWidth, inHeight);
    quint16 *data = image.Data();
    for (int y = 0; y < inHeight; ++y) {
        for (int x = 0; x < inWidth; ++x) {
            const double band = std::exp(-0.5 * std::pow((y % 9 - 4) / 1.5, 2.0));
            const double v = 1000.0 + 30.0 * x + 9000.0 * band * (1 + (x / 12 + inSeed) % 3);
            data[y * inWidth + x] = quint16(std::min(v, 65535.0));
        }
    }
    data[5 * inWidth + 10] = 65535;
    image.UpdateHistogram();
    image.SetPixelSize(100.0);
    return image;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    g_folder = new QTemporaryDir(base + QStringLiteral("/fuzz_analysistext-XXXXXX"));
    check(g_folder->isValid());
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        ::setenv(name, QFile::encodeName(g_folder->path()).constData(), 1);
    static QCoreApplication app(*argc, *argv);
    AnalysisSettings::instance();
    SystemSettings::instance();
    InstrumentNames::instance();
    Kestova::instance();
    g_images = new QVector<ImageFile>{gel(48, 32, 0), gel(48, 32, 1), gel(48, 32, 2)};
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *inData, size_t inSize)
{
    const QString input = QString::fromLatin1(reinterpret_cast<const char *>(inData), qsizetype(inSize));
    QStringList parts = input.split(QLatin1Char('\n'));
    while (parts.size() < 5)
        parts.append(QString());
    // The band text goes to one channel; the others hold bands of their own.
    const int channel = inSize > 0 ? inData[0] % 3 : 1;

    FuzzDocument doc(*g_images);
    doc.ParseLanes(parts.at(0).isEmpty() ? kFrame : parts.at(0));
    for (int c = 0; c < 3; ++c) {
        if (c != channel)
            doc.ParseBands(c, kOtherBands);
    }
    QStringList others;
    for (int c = 0; c < 3; ++c)
        others << doc.FormatBands(c);
    doc.ParseBands(channel, parts.at(1));
    for (int c = 0; c < 3; ++c) {
        if (c != channel)
            check(doc.FormatBands(c) == others.at(c));
    }
    doc.ParseBackground(parts.at(2));
    doc.ParseMWStandardLane(parts.at(3));
    doc.ParseMWStandard(parts.at(4));
    check(bandsInside(doc));
    check(doc.MWStandardValues().size() == doc.MWStandardChecks().size());

    doc.ComputeNormalization();
    const double r2 = doc.MWCurveRSquared();
    check(std::isfinite(r2));
    for (int j = 0; j < doc.LaneFrame().laneCount(); ++j)
        check(std::isfinite(doc.NormalizationValue(j)));

    // Stored and read as an opened capture, the items come back as written.
    doc.WriteAnalysisMetadata();
    FuzzDocument opened(QStringLiteral("/fuzz/capture"), doc.images());
    check(bandsInside(opened));
    opened.WriteAnalysisMetadata();
    for (int c = 0; c < 3; ++c) {
        for (const QString &key : {KyItemName::Lane, KyItemName::Band, KyItemName::Background,
                                   KyItemName::MWStandardLane, KyItemName::MWStandard})
            check(opened.images().at(c).Tag(key) == doc.images().at(c).Tag(key));
    }
    return 0;
}
