#pragma once

#include "document/kydocument.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QVector>

// The capture of one sample image, with or without a marker. A marker capture holds beside the
// 16-bit sample a 16-bit grey image of the marker, a colour photo of the marker and a ready-made
// overlay of the sample on the marker:
//   <folder>/<name>.tif        the sample (channel 0, record 0)
//   <folder>/<name><G>.tif     the marker's grey image (record 1)
//   <folder>/<name><G>.jpg     the marker's colour photo (the display image of channel 1)
//   <folder>/<name><O>.jpg     the overlay (the document's colour image)
// where <name> is the capture folder's own name and G and O are the system settings
// Marker_GrayImageSuffix ("-Marker") and Marker_OverlaidImageSuffix ("+Marker").
//
// Colour JPEG files that the program did not change are written back as the bytes that were read,
// never re-encoded: a capture opened and saved any number of times keeps its photos as they were.
// What did change (a rotated photo) is encoded anew at high quality.
//
// Saves check every target before the first write: a target that is a folder (or lies below a
// file) fails the save with the code of its step and nothing is written. Each file is replaced
// only once its new content is complete on the disk, and a save that fails anywhere reports the
// failure and leaves the document dirty.
class KySingleDocument : public KyDocument
{
    Q_OBJECT

public:
    // One piece of a colour composition: the rows firstRow..lastRow (inclusive) of target, blended
    // with the same rows of second. Each piece writes only its own rows, so pieces run side by side.
    struct Comp
    {
        QImage *target;
        const QImage *second;
        int firstRow;
        int lastRow;

        int Width() const { return target->width(); }
        // The target is detached before the pieces run: scanLine() would detach again, from every
        // thread at once.
        uchar *TargetRow(int inRow) const
        {
            return const_cast<uchar *>(target->constBits()) + qsizetype(inRow) * target->bytesPerLine();
        }
        const uchar *SecondRow(int inRow) const { return second->constScanLine(inRow); }
    };

    // A new capture: one null sample record, no marker.
    explicit KySingleDocument(QObject *inParent = nullptr);
    // The capture folder at inPath ("\" is taken as "/"); the stored analysis is read and the
    // document is clean. A folder without a readable sample image leaves the document without images.
    explicit KySingleDocument(const QString &inPath, QObject *inParent = nullptr);
    ~KySingleDocument() override;

    // ---- KyDocument ------------------------------------------------------------------------------
    void SetSampleImage(int inChannel, const ImageFile &inImage) override;
    void SetColorChannelImage(int inChannel, const ImageFile &inImage) override;
    // The overlay of sample and marker (composed with the saturated-pixel colour when not loaded);
    // null without one.
    QImage ColorImage(const QRect &inRect) override;
    // 0, or -13 empty name, -14 sample image not written, -15 marker image, single-image JPEG,
    // report or any other write failed, -20 no marker colour image, -21 no overlay, -22 overlay
    // not written, -23 marker colour image not written.
    int Save(const QString &inFolder, const QString &inName, bool inWriteImages, bool inWriteJpeg,
             bool inWriteReport) override;
    int SaveAs(const QString &inPath) override;
    int ChannelMask() const override;
    // Channel 0: the sample's 8-bit display image; channel 1 (marker captures): the marker photo.
    QImage qImage(int inChannel, const QRect &inRect) override;
    QStringList SaveFileNames(const QString &inPrefix) const override;
    bool HasMarker() const override;
    void RotateRight() override;
    void RotateLeft() override;
    void DumpImages() override;
    QList<LightMode> LightModes() const override;
    QString ChannelName(int inIndex) const override;
    int ImageCount() const override;
    bool IsSingleImage() const override;
    const ImageFile *Image(int inIndex) const override;
    int SaveStepCount() const override;
    void ReleaseColorImage() override;
    ImageFile *Image(int inIndex) override;
    bool IsMarkerChannel(int inChannel) const override;

    // ---- Own operations ----------------------------------------------------------------------------
    // Reads the capture folder at inPath; false only when its sample image cannot be read.
    bool Load(const QString &inPath);
    // A new overlay image (owned by the caller), or null without marker or sample. inMarkSaturated
    // paints the sample's saturated pixels in the saturated-pixel colour.
    QImage *MakeOverlaidImage(bool inMarkSaturated);
    // Blends the marker photo into ioTarget (24-bit RGB) over the area both images cover; does
    // nothing without a marker photo.
    void ComposeColorImage(QImage *ioTarget, bool inMarkSaturated);
    // The marker photo and the marker's grey image from the three marker exposures (blue, green,
    // red); nothing unless all three are there.
    void BuildMarkerColorImage();
    void BuildMarkerGrayImage();

    // The row pieces a composition of ioTarget runs in: at most three, each a third of the height.
    static QList<Comp> ComposePieces(QImage *ioTarget, const QImage *inSecond);
    // One blended byte: a + b - 255 kept within 0..255 (white leaves the other unchanged).
    static uchar BlendByte(uchar inTarget, uchar inSecond);

protected:
    QVector<ImageFile> mMarkerImageList; // exposures: 0 blue, 1 green, 2 red
    QImage mMarkerColorImage;             // 24-bit RGB; null until loaded or built
    bool mHasMarker = false;

    // The marker photo's file as it was read, kept while mMarkerColorImage is that file's image.
    QByteArray mMarkerColorBytes;
    // The overlay file as it was read, kept while mColorImage is that file's image.
    QByteArray mOverlayBytes;
    // mColorImage carries the saturated-pixel colour (composed for display).
    bool mColorImageMarked = false;
    // The marker photo could not be read: mMarkerColorImage is the grey marker image standing in
    // for it on the screen. Saves write neither the stand-in nor an overlay made with it, so that
    // the capture's own photo and overlay are never replaced by a grey likeness.
    bool mMarkerPhotoStandIn = false;

private:
    // A save's targets; an empty path stands for the marker photo, which must exist before its step.
    using Target = SaveTarget;

    QImage *MakeOverlay(bool inMarkSaturated, bool &outMarked);
    void Rotate(bool inRight);
    // Builds the marker photo when it is missing; whether there is one.
    bool MarkerPhotoReady();
    // The marker photo as JPEG bytes: the file as read, or a fresh high-quality encoding.
    bool MarkerPhotoBytes(QByteArray &outBytes) const;
    // The code of the first target that cannot be written; 0 when every one can, and then the
    // leftovers of an interrupted earlier save of the targets are removed.
    int BlockedTarget(const QList<Target> &inTargets);
    QList<Target> SaveAsTargets(const QString &inPath, bool inWithMarker) const;
    QList<Target> SaveTargets(const QString &inFolder, const QString &inBaseName, const QString &inChannelPart,
                              bool inWithMarker, bool inWriteImages, bool inWriteJpeg, bool inWriteReport) const;
    // Part names (base name + part mark + name suffix) of the split mode, in writing order.
    QStringList SplitPartNames(const QString &inBaseName, const QString &inNameSuffix) const;
    // Record 0's 8-bit display image without the saturated colour, at the document's resolution.
    QImage SampleDisplayImage();
    // The marker's debugging copies: the three exposures and the display pictures.
    bool SaveMarkerExposures(const QString &inFolder, const QString &inBaseName);
};

// Appends a line with the time and inText to "marker.txt" on the image drive, when the analysis
// setting MarkerLog is on.
void WriteMarkerLog(const QString &inText);
// The folder of the stand-alone sample images of a light mode.
QString SingleSampleImagePaths(const LightMode &inMode);
