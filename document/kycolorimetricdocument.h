#pragma once

#include "document/kydocument.h"

#include <QByteArray>
#include <QList>

// A colorimetric capture: a stained gel taken in white light as blue, green and red exposures. The
// capture folder holds the greyscale TIFF that carries the metadata and the analysis (the bands are
// measured on it, in optical density through its "OD parameter" calibration) and the colour JPEG
// the analysis screen shows. A new capture assembles itself from the three exposures handed in one
// by one.
//
// The colour image is the document's picture, not a cache: it survives display changes and turns
// with the rotations. As long as it is the picture read from a JPEG file, saves copy that file's
// bytes instead of encoding it again.
class KyColorimetricDocument : public KyDocument
{
    Q_OBJECT

public:
    // A new capture, assembled by SetColorChannelImage.
    explicit KyColorimetricDocument(QObject *inParent = nullptr);
    // The capture in folder inPath: <folder>/<name>.tif and <folder>/<name>.jpg, with name the
    // folder's own name. Without the TIFF file the document holds no image.
    KyColorimetricDocument(const QString &inPath, QObject *inParent);
    ~KyColorimetricDocument() override;

    // Refused: this kind's images come from SetColorChannelImage.
    void SetSampleImage(int inChannel, const ImageFile &inImage) override;
    // Exposure inChannel (0 blue, 1 green, 2 red); the red one completes the capture.
    void SetColorChannelImage(int inChannel, const ImageFile &inImage) override;
    // The colour image, cut to inRect unless it is empty; null without one.
    QImage ColorImage(const QRect &inRect) override;
    // 0 on success; -13 no name, -100 no image, -11 TIFF, exposure or report not written, -30 no
    // colour image for a requested JPEG, -31 JPEG not written. The document stays dirty unless
    // every requested write succeeded.
    int Save(const QString &inFolder, const QString &inName, bool inWriteImages, bool inWriteJpeg,
             bool inWriteReport) override;
    // inPath is the new base path, without extension: writes inPath.tif, inPath.jpg (when there is a
    // colour image) and the report. 0 on success; -13, -100, -11 (TIFF or report) or -31 (JPEG).
    int SaveAs(const QString &inPath) override;
    int ChannelMask() const override;
    bool IsSingleImage() const override;
    void RotateRight() override;
    void RotateLeft() override;
    int SaveStepCount() const override;
    // The colour image is the picture itself, not a cache of the images: nothing to release.
    void ReleaseColorImage() override;
    // Optical density of every grey level from the "OD parameter" calibration of image 0.
    QVector<double> IntensityTable() const override;

    // Where the stand-alone colorimetric images of a light mode lie, without extension.
    static QString ChannelImagePath(const LightMode &inMode);
    // The greyscale record of three exposures (blue, green, red): the mean grey level, turned to
    // absorbance unless the exposures are inverted already, with the exposures' items combined.
    // Exposures of unequal size give a record of their common area.
    static ImageFile MergeChannelMetadata(const ImageFile &inBlue, const ImageFile &inGreen,
                                          const ImageFile &inRed);
    // Gives every exposure one display range: the widest of their marker ranges.
    void EqualiseChannelRanges();

private:
    bool HasColorImage() const;
    // Replaces the colour image by inImage; inJpegBytes are the file bytes it was decoded from
    // (empty for a picture made here) and inSourcePath that file.
    void ReplaceColorImage(QImage *inImage, const QByteArray &inJpegBytes, const QString &inSourcePath);
    // Reads a JPEG file into a new colour image, keeping its bytes; a null image when it cannot.
    void LoadColorImage(const QString &inPath);
    void TurnColorImage(int inQuarterTurns);
    void ComposeColorImage();
    // Writes the colour image to inPath (".jpg" appended unless there): the original bytes while
    // the picture is unchanged, else encoded at high quality. Always replaces the file whole.
    bool WriteColorJpeg(const QString &inPath);

    QList<ImageFile> mChannelImageList;
    // The bytes of the JPEG file the colour image was decoded from, and that file; empty once the
    // picture is one made here.
    QByteArray mColorJpegBytes;
    QString mColorJpegPath;
    // Quarter turns clockwise since the colour image was decoded, 0 to 3: at 0 the picture is the
    // file's again (quarter turns lose nothing).
    int mColorTurns = 0;
};
