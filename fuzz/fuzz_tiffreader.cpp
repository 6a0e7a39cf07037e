// libFuzzer target for the TIFF reader. Every input is written to a file and handed to both
// readers; an image that one reader accepts must also pass the other, write again, and read back
// with the same pixels, polarity and private block.

#include "instrument/kestova.h"
#include "core/systemsettings.h"
#include "image/imagefile.h"
#include "instrument/instrumentnames.h"
#include "image/tiffcodec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

QTemporaryDir *g_folder = nullptr;
QString g_input;
QString g_output;

void check(bool inCondition)
{
    if (!inCondition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // A memory file system keeps the many small writes and syncs cheap where there is one.
    const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    g_folder = new QTemporaryDir(base + QStringLiteral("/fuzz_tiffreader-XXXXXX"));
    check(g_folder->isValid());
    // Settings that the image record reads come from a folder of this run, never the user's.
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        ::setenv(name, QFile::encodeName(g_folder->path()).constData(), 1);
    static QCoreApplication app(*argc, *argv);
    SystemSettings::instance();
    InstrumentNames::instance();
    Kestova::instance();
    g_input = g_folder->filePath(QStringLiteral("input.tif"));
    g_output = g_folder->filePath(QStringLiteral("output"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *inData, size_t inSize)
{
    {
        QFile file(g_input);
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        check(file.write(reinterpret_cast<const char *>(inData), qint64(inSize)) == qint64(inSize));
        check(file.flush());
    }
    QMap<QString, QString> items;
    const bool tagsRead = readTiffTags(g_input, items);
    // Images are made once: a new one costs a zeroed 65536-bin histogram, far more than a read.
    // Each read replaces the size, the pixels and the items, which is all that is checked.
    static ImageFile image;
    static ImageFile again;
    const ImageTagList tagsBefore = image.Tags();
    const int widthBefore = image.Width();
    const int heightBefore = image.Height();
    const bool imageRead = readTiffFile(g_input, image);
    check(tagsRead == imageRead);
    if (!imageRead) {
        check(image.Width() == widthBefore && image.Height() == heightBefore && image.Tags() == tagsBefore);
        return 0;
    }

    check(writeTiffFile(g_output, image));
    check(readTiffFile(g_output + QStringLiteral(".tif"), again));
    check(again.Width() == image.Width() && again.Height() == image.Height());
    check(std::memcmp(again.ConstData(), image.ConstData(), size_t(image.Width()) * image.Height() * 2) == 0);
    check(again.IsNegative() == image.IsNegative());
    // A block read from the file comes back as the same text. (A description may carry "Melanie"
    // or "OD calibration" lines of its own: such texts are written as blocks and read back in
    // their block form.)
    int blocks = 0;
    for (const ImageTag &item : image.Tags())
        blocks += item.key == QLatin1String("Melanie") ? 1 : 0;
    if (blocks == 1 && image.Tag(QStringLiteral("OD calibration")).isEmpty()
        && !image.Tag(QStringLiteral("Image description")).contains(QLatin1String("Melanie")))
        check(again.Tag(QStringLiteral("Melanie")) == image.Tag(QStringLiteral("Melanie")));
    return 0;
}
