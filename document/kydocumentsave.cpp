// Writing a document's images: the 16-bit records as TIFF files and the display pictures as JPEG
// files, whole or cut by the split mode into halves, quadrants or the centre, each part in a folder
// of its own named like its file; and the analysis report of a save beside them.
//
// Every file is written whole or not at all (a temporary file renamed over the target), so a save
// that fails part-way leaves the parts already written and every older file intact. A SaveAs goes
// further: its files are staged and put in place together (KyCaptureSave).

#include "document/kydocument.h"

#include "core/fileutility.h"
#include "document/kycapturesave.h"
#include "document/kyitemnames.h"
#include "document/kysafefile.h"

#include <QBuffer>
#include <QDir>
#include <QImageWriter>
#include <QRect>

namespace {

const QString kTiffSuffix = QStringLiteral(".tif");
const QString kJpegSuffix = QStringLiteral(".jpg");

// The centre part covers this share of the width and of the height.
constexpr double kCentreShare = 0.625;

// One part of a split image: its mark in the names, its "Image split" item and its rectangle in
// the document's image.
struct SplitPart
{
    QString mark;
    QString split;
    double x;
    double y;
    double width;
    double height;
};

// The parts of split modes 1 to 4 in writing order; none for mode 0 (the whole image) and for
// unknown modes. Halves of an odd size leave the last column or row out.
QVector<SplitPart> splitParts(int inMode, int inWidth, int inHeight)
{
    const double w = inWidth;
    const double h = inHeight;
    const double hw = inWidth / 2;
    const double hh = inHeight / 2;
    switch (inMode) {
    case 1:
        return {{QStringLiteral("-1"), QStringLiteral("vertical-left"), 0, 0, hw, h},
                {QStringLiteral("-2"), QStringLiteral("vertical-right"), hw, 0, hw, h}};
    case 2:
        return {{QStringLiteral("-1"), QStringLiteral("horizontal-upper"), 0, 0, w, hh},
                {QStringLiteral("-2"), QStringLiteral("horizontal-lower"), 0, hh, w, hh}};
    case 3:
        return {{QStringLiteral("-1"), QStringLiteral("upper-left"), 0, 0, hw, hh},
                {QStringLiteral("-2"), QStringLiteral("upper-right"), hw, 0, hw, hh},
                {QStringLiteral("-3"), QStringLiteral("lower-left"), 0, hh, hw, hh},
                {QStringLiteral("-4"), QStringLiteral("lower-right"), hw, hh, hw, hh}};
    case 4: {
        constexpr double margin = (1.0 - kCentreShare) / 2.0;
        return {{QString(), QStringLiteral("center"), margin * w, margin * h, kCentreShare * w, kCentreShare * h}};
    }
    default:
        return {};
    }
}

// The folder and the file (without extension) of one part: <folder>/<name>/<name><file suffix>,
// with name = base name + part mark + name suffix.
struct PartPaths
{
    QString folder;
    QString file;
};

PartPaths partPaths(const QString &inDestination, const QString &inBaseName, const QString &inMark,
                    const QString &inNameSuffix, const QString &inFileSuffix)
{
    const QString name = inBaseName + inMark + inNameSuffix;
    PartPaths paths;
    paths.folder = inDestination + QLatin1Char('/') + name;
    paths.file = paths.folder + QLatin1Char('/') + name + inFileSuffix;
    return paths;
}

// The destination folder with "/" separators and without one trailing "/".
QString destinationFolder(const QString &inFolder)
{
    QString folder = FileUtility::Slashed(inFolder);
    if (folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

// The file the TIFF writer makes of a path: it adds ".tif" unless the path ends with it.
QString tiffFileOf(const QString &inPath)
{
    return inPath.endsWith(kTiffSuffix) ? inPath : inPath + kTiffSuffix;
}

// Makes the folder that holds a file ("/"-separated path); a file without a folder part lies in the
// working folder, and one right under the root needs nothing made.
bool makeFolderOf(const QString &inPath)
{
    const qsizetype slash = inPath.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return true;
    return FileUtility::MakePathFor(inPath.left(slash));
}

// The image library's default quality.
constexpr int kDefaultJpegQuality = -1;

bool encodeJpeg(const QImage &inImage, int inQuality, QByteArray &outBytes)
{
    if (inImage.isNull())
        return false;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&buffer, "jpg");
    writer.setQuality(inQuality);
    if (!writer.write(inImage))
        return false;
    outBytes = bytes;
    return true;
}

// The picture as JPEG at the image library's default quality, with the resolution it carries, into
// a folder that is there already.
bool writeJpeg(const QString &inPath, const QImage &inImage)
{
    QByteArray bytes;
    return encodeJpeg(inImage, kDefaultJpegQuality, bytes) && KySafeFile::Write(inPath, bytes);
}

} // namespace

bool KyDocument::SaveSplitImages(const QString &inFolder, const QString &inBaseName, const QString &inNameSuffix,
                                 const QString &inFileSuffix, ImageFile *ioImage)
{
    if (!ioImage)
        return false;
    const QString destination = destinationFolder(inFolder);

    if (mSplitMode == 0) {
        const PartPaths paths = partPaths(destination, inBaseName, QString(), inNameSuffix, inFileSuffix);
        if (!FileUtility::MakePathFor(paths.folder))
            return false;
        if (ioImage->Tag(KyItemName::ImageSplit).isEmpty())
            ioImage->SetTag(KyItemName::ImageSplit, QStringLiteral("none"));
        if (!ImageFile::Save(paths.file, *ioImage))
            return false;
        // Set after the write: the file carries the path the record held before.
        ioImage->SetTag(KyItemName::FilePath, tiffFileOf(paths.file));
        return true;
    }

    const QVector<SplitPart> parts = splitParts(mSplitMode, ImageWidth(), ImageHeight());
    for (const SplitPart &part : parts) {
        const PartPaths paths = partPaths(destination, inBaseName, part.mark, inNameSuffix, inFileSuffix);
        if (!FileUtility::MakePathFor(paths.folder))
            return false;
        ImageFile piece = ioImage->Zoom(part.x, part.y, part.width, part.height, 0, 0);
        piece.SetTag(KyItemName::ImageSplit, part.split);
        if (!ImageFile::Save(paths.file, piece))
            return false;
        // The centre stands for the whole capture; halves and quadrants leave the record's path.
        if (mSplitMode == 4)
            ioImage->SetTag(KyItemName::FilePath, tiffFileOf(paths.file));
    }
    return true;
}

bool KyDocument::SaveSplitJpegImages(const QString &inFolder, const QString &inBaseName,
                                     const QString &inNameSuffix, const QString &inFileSuffix, QImage *inImage)
{
    if (!inImage)
        return false;
    const QString destination = destinationFolder(inFolder);

    if (mSplitMode == 0) {
        const PartPaths paths = partPaths(destination, inBaseName, QString(), inNameSuffix, inFileSuffix);
        if (!FileUtility::MakePathFor(paths.folder))
            return false;
        return writeJpeg(paths.file + kJpegSuffix, *inImage);
    }

    // Cut by the document's image size; QImage::copy fills what lies outside a smaller picture.
    const QVector<SplitPart> parts = splitParts(mSplitMode, ImageWidth(), ImageHeight());
    for (const SplitPart &part : parts) {
        const PartPaths paths = partPaths(destination, inBaseName, part.mark, inNameSuffix, inFileSuffix);
        if (!FileUtility::MakePathFor(paths.folder))
            return false;
        const QRect rect(int(part.x), int(part.y), int(part.width), int(part.height));
        if (!writeJpeg(paths.file + kJpegSuffix, inImage->copy(rect)))
            return false;
    }
    return true;
}

bool KyDocument::SaveAsTiff(const QString &inPath, ImageFile *ioImage)
{
    if (!ioImage)
        return false;
    const QString path = WithExtension(FileUtility::Slashed(inPath), kTiffSuffix);
    // A staged file carries the name of the file it becomes.
    const QString file = SaveFilePath(path);
    if (file.isEmpty() || !makeFolderOf(file))
        return false;
    if (!ImageFile::Save(file, *ioImage))
        return false;
    ioImage->SetTag(KyItemName::FilePath, path);
    return true;
}

bool KyDocument::SaveAsJpeg(const QString &inPath, QImage *inImage)
{
    if (!inImage)
        return false;
    QByteArray bytes;
    return EncodeJpeg(*inImage, kDefaultJpegQuality, bytes)
           && WriteFileWhole(WithExtension(FileUtility::Slashed(inPath), kJpegSuffix), bytes);
}

bool KyDocument::ExportCsv(const QString &inFolder, const QString &inBaseName, const QString &inNameSuffix,
                           const QString &inFileSuffix)
{
    return ExportAnalysisReport(CsvFilePath(inFolder, inBaseName, inNameSuffix, inFileSuffix));
}

QString KyDocument::CsvFilePath(const QString &inFolder, const QString &inBaseName, const QString &inNameSuffix,
                                const QString &inFileSuffix)
{
    // The folder and file name of an unsplit image: the report of a split save lies beside the parts.
    const PartPaths paths = partPaths(destinationFolder(inFolder), inBaseName, QString(), inNameSuffix, inFileSuffix);
    return paths.file + QStringLiteral(".csv");
}

QList<KyDocument::SaveTarget> KyDocument::SplitTargets(const QString &inFolder, const QString &inBaseName,
                                                       const QString &inNameSuffix, const QString &inFileSuffix,
                                                       const QString &inExtension, int inCode) const
{
    const QString destination = destinationFolder(inFolder);
    QList<SaveTarget> targets;
    for (const QString &mark : SplitMarks(mSplitMode))
        targets << SaveTarget{partPaths(destination, inBaseName, mark, inNameSuffix, inFileSuffix).file + inExtension,
                              inCode};
    return targets;
}

int KyDocument::BlockedSaveTarget(const QList<SaveTarget> &inTargets)
{
    for (const SaveTarget &target : inTargets) {
        if (KySafeFile::IsBlocked(target.path))
            return target.code;
    }
    RemoveStaleSaveFiles(inTargets);
    return 0;
}

void KyDocument::RemoveStaleSaveFiles(const QList<SaveTarget> &inTargets)
{
    // A leftover that cannot be removed is reported by the removal and does not stop the save: the
    // files the save writes are not affected by it.
    for (const SaveTarget &target : inTargets) {
        if (!target.path.isEmpty())
            FileUtility::RemoveStaleSaveFiles(target.path);
    }
}

QString KyDocument::WithExtension(const QString &inPath, const QString &inExtension)
{
    return inPath.endsWith(inExtension) ? inPath : inPath + inExtension;
}

void KyDocument::SetResolution(QImage &ioImage, int inDotsPerMeter)
{
    if (inDotsPerMeter <= 0 || ioImage.isNull())
        return;
    ioImage.setDotsPerMeterX(inDotsPerMeter);
    ioImage.setDotsPerMeterY(inDotsPerMeter);
}

bool KyDocument::EncodeJpeg(const QImage &inImage, int inQuality, QByteArray &outBytes)
{
    return encodeJpeg(inImage, inQuality, outBytes);
}

bool KyDocument::WriteFileWhole(const QString &inPath, const QByteArray &inBytes)
{
    const QString file = SaveFilePath(inPath);
    return !file.isEmpty() && makeFolderOf(file) && KySafeFile::Write(file, inBytes);
}

QString KyDocument::CaptureFolderOf(const QString &inPath)
{
    const qsizetype slash = inPath.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QDir::currentPath();
    return slash == 0 ? QStringLiteral("/") : inPath.left(slash);
}

QStringList KyDocument::SplitMarks(int inMode)
{
    if (inMode == 0)
        return {QString()};
    QStringList marks;
    for (const SplitPart &part : splitParts(inMode, 0, 0))
        marks << part.mark;
    return marks;
}

QSizeF KyDocument::SplitShare(const QString &inSplit)
{
    // Parts of an image of this size: its halves are whole.
    constexpr int kUnit = 2;
    for (int mode = 1; mode <= 4; ++mode) {
        for (const SplitPart &part : splitParts(mode, kUnit, kUnit)) {
            if (part.split == inSplit)
                return QSizeF(part.width / kUnit, part.height / kUnit);
        }
    }
    return QSizeF(1.0, 1.0);
}

int KyDocument::StartCaptureSave(const QString &inPath)
{
    // One capture save at a time per document: an earlier one still held keeps its lock otherwise.
    mCaptureSave.reset();
    mSaveHeld = false;
    mCaptureSave = std::make_unique<KyCaptureSave>(CaptureFolderOf(FileUtility::Slashed(inPath)));
    mSaveBusy = mCaptureSave->start() == KyCaptureSave::kBusy;
    if (!mSaveBusy)
        return 0;
    mCaptureSave.reset();
    return kSaveBusy;
}

void KyDocument::EndCaptureSave()
{
    if (!mSaveHeld)
        mCaptureSave.reset();
}

QString KyDocument::SaveFilePath(const QString &inPath)
{
    return mCaptureSave && !mSaveHeld ? mCaptureSave->stagedPath(inPath) : inPath;
}

QString KyDocument::StagedSavePath(const QString &inPath)
{
    if (inPath.isEmpty() || KySafeFile::IsBlocked(inPath))
        return QString();
    return mSaveHeld ? mCaptureSave->stagedPath(inPath) : inPath;
}

bool KyDocument::FinishHeldSave(bool inInstall)
{
    const std::unique_ptr<KyCaptureSave> save = TakeHeldSave();
    if (!save)
        return true;
    if (inInstall)
        return save->install();
    save->drop();
    return false;
}

std::unique_ptr<KyCaptureSave> KyDocument::TakeHeldSave()
{
    mHoldSave = false;
    if (!mSaveHeld)
        return nullptr;
    mSaveHeld = false;
    return std::move(mCaptureSave);
}

bool KyDocument::FinishSaveAs(const QString &inPath)
{
    bool reported = ExportAnalysisReport(inPath);
    if (reported && mCaptureSave) {
        // The report and the summary PDF of an earlier analysis no longer describe the images.
        if (!HasAnalysis()) {
            const QString path = FileUtility::Slashed(inPath);
            mCaptureSave->removeOnInstall(ReportFilePath(path));
            mCaptureSave->removeOnInstall(WithExtension(path, QStringLiteral(".pdf")));
        }
        if (mHoldSave) {
            mSaveHeld = true;
        } else {
            reported = mCaptureSave->install();
            mCaptureSave.reset();
        }
    }
    if (reported) {
        SetDirty(false);
        mKind = kKind_Opened;
        // The folder that holds the files, as after an open or a Save: a reopen of it finds the
        // same names.
        mBasePath = CaptureFolderOf(FileUtility::Slashed(inPath));
        mBandsAtOpen = HasBands();
    }
    emit SaveProgress();
    return reported;
}
