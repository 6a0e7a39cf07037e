#pragma once

#include "document/kydocument.h"

#include <QStringList>

// A fluorescence capture: one 16-bit image per channel, up to three. Record c of the image list is
// the image whose "Channel" item is c + 1; the list always has three records, a missing channel
// being a null one. The colour composite of a channel selection (channel 1 blue, 2 green, 3 red)
// is what the analysis screen shows for a selection; it is built on demand and cached in
// mColorImage until a display change releases it.
//
// Saves write one TIFF file per channel ("<base>-<colour>.tif"), the composite as a JPEG file and
// the analysis report.
class KyMultiDocument : public KyDocument
{
    Q_OBJECT

public:
    // A new capture without images.
    explicit KyMultiDocument(QObject *inParent = nullptr);
    // The capture of a folder: the images of the folder's first capture (KyCaptureFiles) that
    // carry a channel 1 to 3, then the stored analysis.
    explicit KyMultiDocument(const QString &inPath, QObject *inParent = nullptr);
    ~KyMultiDocument() override;

    // Channel 0..2. A stand-alone sample image of the record's light mode, when one is installed,
    // takes the place of the pixels (keeping the given items and display range).
    void SetSampleImage(int inChannel, const ImageFile &inImage) override;
    // Not for this kind: only writes a debug line.
    void SetColorChannelImage(int inChannel, const ImageFile &inImage) override;
    // Not for this kind (the composite comes from qImage): a debug line and a null image.
    QImage ColorImage(const QRect &inRect) override;
    // A new capture's save into inFolder, split by the split mode. 0, or -13 (no name), -14 (no
    // image), -21 (a channel image or the composite not written, or channel names that would
    // collide), -22 (composite JPEG not written), -11 (report not written).
    int Save(const QString &inFolder, const QString &inName, bool inWriteImages, bool inWriteJpeg,
             bool inWriteReport) override;
    // Writes <inPath>-<colour>.tif per channel, <inPath>.jpg and the report for inPath. 0, or -13
    // (empty path), -21, -22, -11 as for Save.
    int SaveAs(const QString &inPath) override;
    // 0x80 with bit 1, 2, 4 for each channel that has an image.
    int ChannelMask() const override;
    // Channel 0..2: that channel's display image; any other value: the composite of that channel
    // selection. Cut to inRect (the whole image when empty). Leaves the dirty mark as it was.
    QImage qImage(int inChannel, const QRect &inRect) override;
    // The first image's path with the channel's "-<colour>" taken off its file name
    // (…/A_Fl-Blue.tif gives …/A_Fl.tif): the base a save in place writes under.
    QString FilePathOfFirstImage() const override;
    // One name per split piece for the whole document.
    QStringList SaveFileNames(const QString &inPrefix) const override;
    // One step per channel image, the composite and the report.
    int SaveStepCount() const override;
    // The first image's file name; without one, its "Date time" item without colons and with
    // blanks as "_", followed by "_Fl"; "" without an image.
    virtual QString CleanName() const;

    // Rebuilds the composite of a channel selection (bits 1, 2, 4); nothing without an image.
    void BuildComposite(int inChannels);
    // The installed stand-alone sample image of a fluorescence light mode.
    static QString SampleImagePath(const LightMode &inMode);

protected:
    // The selection the cached composite was built for.
    int mCompositeMask = 0;
    // The capture's own composite file, when channel images of the capture could not be read: it
    // shows channels this document lacks, and a save over it would put a picture without them in
    // its place. Empty otherwise.
    QString mKeptComposite;

private:
    // "_" + the first image's channel name up to its last "-" (…_Fl-Blue gives "_Fl"); "" when the
    // name holds no "-", or for an opened capture whose names are not the instrument's.
    QString ChannelPart() const;
    // "-" + the colour of each channel image's name (the text after its last "-"), in channel order;
    // false when two of them would name the same file.
    bool ChannelFileSuffixes(QStringList &outSuffixes) const;
};
