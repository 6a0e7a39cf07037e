#pragma once

#include "analysis/kybandlist.h"
#include "analysis/kylaneframe.h"
#include "analysis/kylaneprofiles.h"
#include "analysis/kymwcurve.h"
#include "analysis/kymwstandard.h"
#include "image/imagefile.h"
#include "instrument/lightmode.h"

#include <QImage>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

class KyBandDetectParameter;
class KyCaptureSave;
class QPainter;

// One capture set (a folder of 16-bit images of one sample) with its channel images and the whole
// analysis: lane frame, lane profiles, bands, background, molecular-weight calibration and
// normalisation. The kinds (single image, three channels, colorimetric) derive from it and supply
// the images, the colour pictures and the saves.
//
// Channel arguments are a channel index 0..2 or, with bit 0x80 set, a selection whose bits 1, 2 and
// 4 stand for channels 0, 1 and 2. Display operations take 65535 for every channel, and the
// mutable Image() takes 65520 for the last image.
//
// The document takes no locks. The open and save tasks and the analysis jobs (detection,
// background, rotation) run its operations on a pool thread while the busy state keeps every
// other caller away; nothing here creates a widget, a pixmap or a process-wide object.
//
// Flags: dirty (unsaved changes, signalled by DirtyStateChanged), display changed (range or
// polarity, cleared whenever dirty is cleared), analysis changed (raised by every analysis edit,
// lowered by ComputeNormalization, signalled by AnalysisChanged) and parameter changed (the lane
// frame changed since the profiles were last extracted).
class KyDocument : public QObject
{
    Q_OBJECT

public:
    // A new capture: dirty, no path.
    explicit KyDocument(QObject *inParent = nullptr);
    // A capture opened from inPath (a trailing ".tif" is cut): clean; the kind reads the images
    // and then the stored analysis.
    explicit KyDocument(const QString &inPath, QObject *inParent = nullptr);
    ~KyDocument() override;

    KyDocument(const KyDocument &) = delete;
    KyDocument &operator=(const KyDocument &) = delete;

    // ---- Virtual interface, in slot order ----------------------------------------------------
    virtual void SetSampleImage(int inChannel, const ImageFile &inImage) = 0;
    virtual void SetColorChannelImage(int inChannel, const ImageFile &inImage) = 0;
    virtual QImage ColorImage(const QRect &inRect) = 0;
    // 0 on success, a negative code of the kind on failure. Both emit SaveProgress once per step.
    virtual int Save(const QString &inFolder, const QString &inName, bool inWriteImages, bool inWriteJpeg,
                     bool inWriteReport) = 0;
    virtual int SaveAs(const QString &inPath) = 0;
    virtual int ChannelMask() const = 0;
    // Hooks without a use in the base; no kind overrides them.
    virtual void ReservedOperation(int inValue);
    virtual int ReservedValue() const;
    // The 8-bit display image of a channel, cut to inRect (the whole image when it is empty).
    virtual QImage qImage(int inChannel, const QRect &inRect);
    // "File path" of the first valid image; "" without one.
    virtual QString FilePathOfFirstImage() const;
    // The file names (without folder and extension) a save under inPrefix writes.
    virtual QStringList SaveFileNames(const QString &inPrefix) const;
    virtual QString DisplayName(const QString &inText) const;
    virtual void SetImageFlag(int inImage, bool inFlag);
    virtual bool ReservedFlag() const;
    virtual QList<int> ChannelIndexList() const;
    virtual int ReservedCount() const;
    virtual bool HasMarker() const;
    // Size and pixel size (micrometres) of the first valid image; 0 without one.
    virtual int ImageWidth() const;
    virtual int ImageHeight() const;
    virtual double PixelSize() const;
    // Every image a quarter turn clockwise / counter-clockwise; the lanes and the analysis go.
    virtual void RotateRight();
    virtual void RotateLeft();
    virtual void DumpImages();
    virtual QList<LightMode> LightModes() const;
    // Method name of image i's light mode; "" when there is no image i.
    virtual QString ChannelName(int inIndex) const;
    virtual int ImageCount() const;
    virtual bool IsSingleImage() const;
    virtual void AutoRange(int inChannel);
    // Display range DarkframeOffset..65535.
    virtual void ResetRange(int inChannel);
    // Image i; null outside 0..ImageCount() - 1.
    virtual const ImageFile *Image(int inIndex) const;
    // Bytes a save needs (saturates at the int range).
    virtual int EstimatedFileSize() const;
    virtual int SaveStepCount() const;
    virtual void ReleaseColorImage();
    // The value each grey level contributes to profiles and statistics: 65536 entries.
    virtual QVector<double> IntensityTable() const;
    // Image i (65520: the last image); null outside the images.
    virtual ImageFile *Image(int inIndex);
    virtual bool IsMarkerChannel(int inChannel) const;

    // ---- Flags and queries -------------------------------------------------------------------
    void SetDirty(bool inDirty);
    void SetAnalysisChanged(bool inChanged);
    bool IsDirty() const { return mDirty; }
    bool IsDisplayChanged() const { return mDisplayChanged; }
    bool IsOpenedDocument() const { return mKind == kKind_Opened; }
    // The files of the capture that could not be read when it was opened (names without the
    // folder): a damaged channel image or photo the document opened without. Empty for a capture
    // read whole.
    const QStringList &UnreadFiles() const { return mUnreadFiles; }
    bool IsParameterChanged() const { return mParameterChanged; }
    bool IsAnalysisChanged() const { return mAnalysisChanged; }
    // Raised when the analysis-changed flag is lowered, lowered when it is raised again; false in a
    // document no normalisation ran on.
    bool IsAnalysisCurrent() const { return mAnalysisCurrent; }
    bool HasLaneTemplate() const;
    bool HasAnalysis() const;
    bool HasBands() const;
    bool HasBackground() const;
    bool HasNormalizationReference() const;
    bool HasMWStandardLane() const;
    int MWStandardChannel() const { return mMwChannel; }
    int MWStandardLane() const { return mMwLane; }
    const KyLaneFrame &LaneFrame() const { return mLaneFrame; }

    // ---- Images and geometry -----------------------------------------------------------------
    // The first image (channel order) that exists and has pixels; null without one.
    const ImageFile *FirstValidImage() const;
    int ValidImageCount() const;
    double PixelsToMillimetres(int inPixels) const;
    // Truncated toward zero, saturating at the int range; 0 for a pixel size of 0.
    int MillimetresToPixels(double inMillimetres) const;
    // Resolution of exported display images: nearest integer of 1e6 / pixel size; 0 when the pixel
    // size is 0 (or not a positive number), and writers then leave the image's resolution alone.
    int DotsPerMeter() const;

    // ---- Metadata and names ------------------------------------------------------------------
    QString Comment() const;
    // The images carry the comment as Latin-1 text: one with a character beyond it could not be
    // read back and is refused (false), leaving the comment as it was. Line breaks are kept here;
    // the images and the report write them as blanks.
    bool SetComment(const QString &inText);
    int ExposureTime(int inChannel) const;
    bool HasODParameter() const;
    int CaptureCategory() const;
    bool IsUnsplitCategoryTwo() const;
    // Whether the first image's file name is an instrument capture name
    // ("[sample ]yyyy.MM.dd_hh.mm.ss[-n][-n]_Ch|Co|Fl[-colour]").
    bool FollowsFileNamePattern() const;
    QString SampleNameFromFileName() const;
    // Whether a Save into inFolder under inPrefix writes the capture folder this document was
    // opened from or last saved to (letter case ignored).
    bool IsStoredAt(const QString &inFolder, const QString &inPrefix) const;
    QStringList SplitNamesOfFirstImage() const;
    // The base of every file name a save under inPrefix writes.
    QString BaseName(const QString &inPrefix) const;
    // Saves under the capture's own names: an opened capture through SaveAs, a new one through
    // Save into the folder that holds its capture folder. The kind's result (0 = success).
    int SaveInPlace(bool inWriteImages, bool inWriteJpeg, bool inWriteReport);
    void SetImageFlagOnAll(bool inFlag);
    // IntensityTable(), computed once per document.
    const QVector<double> &CachedIntensityTable();

    // ---- Display state -----------------------------------------------------------------------
    QRect SelectionRect() const { return mSelection; }
    // Moves (never resizes) the rectangle into the image, stores and returns it.
    QRect SetSelectionRect(const QRect &inRect);
    void SetSelectionRectTranslated(const QPoint &inOffset);
    // Minimum, maximum and mean over the selection (or inRect) through the intensity table;
    // zeros without an image.
    void RegionStatistics(int inChannel, double &outMinimum, double &outMaximum, double &outMean);
    void RegionStatistics(int inChannel, const QRect &inRect, double &outMinimum, double &outMaximum,
                          double &outMean);
    bool DisplayRange(int inChannel, quint16 &outLow, quint16 &outHigh) const;
    bool SetDisplayRange(int inChannel, quint16 inLow, quint16 inHigh);
    void SetDisplayRangeAll(quint16 inLow, quint16 inHigh);
    bool ChangeContrast(int inChannel, int inStep);
    bool ChangeBrightness(int inChannel, int inStep);
    // True for a channel without an image.
    bool IsNegative(int inChannel) const;
    void SetNegative(int inChannel, bool inNegative);
    void InvertAll();
    void SetHighlight(bool inOn);
    bool IsHighlight() const { return mHighlight; }
    QImage &HistogramImage() { return mHistogramImage; }
    // Redraws the histogram picture: inWidth x 200 pixels, one channel (with the range markers when
    // inShowRange) or the curves of a channel selection.
    void RenderHistogram(int inChannels, int inWidth, bool inShowRange);

    // ---- Lanes -------------------------------------------------------------------------------
    void SetDefaultLanes(int inCount, double inWidthRatio);
    void SetLaneCount(int inCount);
    void SetLaneWidthRatio(double inRatio);
    void ClearLanes();
    // Corner 1 top-left, 2 top-right, 3 bottom-left, 4 bottom-right, kept inside the image. A move
    // that would fold the frame (a top corner onto or past the other's column, a bottom corner onto
    // or above its top corner) is refused: false, nothing changes.
    bool MoveLaneCorner(int inCorner, const QPoint &inDelta);
    int LaneHeight(int inLane) const;
    // Profiles of every channel along the frame, with empty band lists and the chosen background;
    // the analysis restarts.
    void ExtractLaneProfiles();
    KyLaneProfiles *LaneProfiles(int inChannel);
    QVector<QVector<KyBandList>> &Bands();
    QVector<KyBandList> *FirstValidChannelBands();
    void ClearAnalysis();

    // ---- Bands -------------------------------------------------------------------------------
    // Positions are indices into the lane's profile. A band may end at the profile length, one past
    // its last value; whatever reads the profile at band positions keeps inside it.
    int AddBand(int inChannel, int inLane, int inPosition);
    bool ReplaceBand(int inChannel, int inLane, int inIndex, const KyBandInfo &inBand);
    bool MoveBand(int inChannel, int inLane, int inIndex, int inDelta);
    bool ResizeBand(int inChannel, int inLane, int inIndex, int inDelta);
    bool RemoveBand(int inChannel, int inLane, int inIndex);
    KyBandInfo Band(int inChannel, int inLane, int inIndex) const;
    int BandCount(int inChannel, int inLane) const;
    void ClearBands(int inChannels);
    bool ClearReferenceMarks(int inChannels);
    QString ChannelText(int inChannel) const;
    void UpdateBandSaturation(int inChannel, int inLane, KyBandInfo &ioBand) const;

    // ---- Detection, background, molecular weight, normalisation ------------------------------
    void DetectBands(int inChannels, const KyBandDetectParameter &inDefaultSet,
                     const KyBandDetectParameter &inMarkerSet);
    // Band indices by decreasing net-profile value at their peaks; equal values keep their order.
    static QList<int> RankBandsByPeak(const KyBandList &inBands, const QVector<double> &inNetProfile);
    void BackgroundParameters(int &outMethod, int &outRadius) const;
    void ApplyBackground(int inMethod, int inRadiusMm, bool inForce);
    void ReapplyBackground();
    KyMwStandard MWStandard() const { return mMwStandard; }
    void SetMWStandard(const KyMwStandard &inStandard);
    QString MWStandardName() const;
    QString MWStandardText() const;
    QList<int> &MWStandardValues();
    const QList<int> &MWStandardValues() const;
    QVector<bool> &MWStandardChecks();
    const QVector<bool> &MWStandardChecks() const;
    QList<int> CheckedMWStandardValues() const;
    void SetMWStandardCheck(int inIndex, bool inUsed);
    void SetMWStandardLane(int inChannel, int inLane);
    int MWCurveType() const;
    void SetMWCurveType(int inType);
    QMap<double, double> MWPoints();
    bool HasMWPoints();
    // Whether the calibration points give a curve: too few for the curve type give none, and then
    // no molecular weight.
    bool HasMWCurve();
    double MolecularWeightAt(int inPosition) const;
    // 0 when there are fewer than two points, their weights are all equal or no curve fits them.
    double MWCurveRSquared();
    void ComputeNormalization();
    // The mean volume of the lane's reference bands over every channel, as of the last
    // normalisation; -1.0 without one; 0.0 outside the lanes, and for every lane once detection or
    // clearing has replaced bands, until the next normalisation.
    double NormalizationValue(int inLane) const;

    // The quotients the results show, never infinite or undefined: a lane percentage is 0 for a
    // lane total of 0; a normalised value exists (true) only for a positive normalisation value;
    // a relative mobility is 0 for a lane height of 0.
    static double LanePercent(double inVolume, double inLaneTotal);
    static bool NormalizedValue(double inVolume, double inNormalization, double &outValue);
    static double RelativeMobility(int inPosition, int inLaneHeight);

    // ---- Analysis text items -----------------------------------------------------------------
    // Sets or removes "Lane", "Band", "Background", "MWStandardLane" and "MWStandard" in every
    // image record (the save writes the records afterwards).
    void WriteAnalysisMetadata();
    // Rebuilds the analysis from the items of the images (the first valid image, and image i for
    // the bands of channel i). The items are file input: malformed fields read as 0 or empty, and
    // nothing in them can make the reading hang, crash or allocate beyond the text's own size.
    void ReadAnalysisMetadata();
    QString FormatLanes() const;
    QString FormatBands(int inChannel) const;
    QString FormatBackground() const;
    QString FormatMWStandardLane() const;
    QString FormatMWStandard() const;
    bool ParseLanes(const QString &inText);
    bool ParseBands(int inChannel, const QString &inText);
    bool ParseBackground(const QString &inText);
    bool ParseMWStandardLane(const QString &inText);
    bool ParseMWStandard(const QString &inText);
    // A name as the items can carry it and read it back unchanged: Latin-1, no comma, no control
    // character, single blanks, no blank at either end, and for a band head no leading "#".
    static QString ItemSafeName(const QString &inName, bool inBandHead);

    // Most bands one lane of a stored analysis may bring; detection and editing stay far below.
    static constexpr int kMaxStoredBandsPerLane = 1000;
    // A stored frame's lanes together are no longer than this many lanes (the lane picker's own
    // maximum, or the instrument's when that is more) as long as the capture is across.
    static constexpr int kStoredLaneRoom = 25;

    // ---- Factory ------------------------------------------------------------------------------
    // The document of a capture folder, of the kind its files call for; null when the folder holds
    // no capture of a kind that opens. Owned by the caller.
    static KyDocument *Create(const QString &inPath, QObject *inParent = nullptr);
    // Whether the folder holds this instrument's images.
    static bool IsInstrumentImage(const QString &inPath);

    // ---- Save, split images and JPEG export ----------------------------------------------------
    // Each writes whole or split by the split mode; parts written before a failure stay.
    bool SaveSplitImages(const QString &inFolder, const QString &inBaseName, const QString &inNameSuffix,
                         const QString &inFileSuffix, ImageFile *ioImage);
    bool SaveSplitJpegImages(const QString &inFolder, const QString &inBaseName, const QString &inNameSuffix,
                             const QString &inFileSuffix, QImage *inImage);
    bool SaveAsTiff(const QString &inPath, ImageFile *ioImage);
    bool SaveAsJpeg(const QString &inPath, QImage *inImage);
    bool ExportCsv(const QString &inFolder, const QString &inBaseName, const QString &inNameSuffix,
                   const QString &inFileSuffix);

    // ---- Saves installed as a whole -------------------------------------------------------------
    // A SaveAs writes every file into a staging place first and puts them in place together
    // (KyCaptureSave): the capture holds all of them or none. One save of a capture runs at a
    // time across processes; a SaveAs that waited in vain for another one returns kSaveBusy,
    // having changed nothing.
    static constexpr int kSaveBusy = -40;
    // Whether the last SaveAs gave up because another save of the capture ran.
    bool IsSaveRefusedAsBusy() const { return mSaveBusy; }
    // The next SaveAs keeps its written files back, for the caller to add files of its own
    // (StagedSavePath) and to put them all in place at once (FinishHeldSave, or TakeHeldSave).
    void HoldNextSave() { mHoldSave = true; }
    // Where the caller writes the file that belongs at inPath: the held save's staging place, or
    // inPath itself when no save is held; empty when no file can be written at inPath.
    QString StagedSavePath(const QString &inPath);
    // Puts the held save's files in place (inInstall) or drops them, and ends the hold. True when
    // they are in place, or when no save was held.
    bool FinishHeldSave(bool inInstall);
    // Ends the hold and hands the held save to the caller, who puts its files in place
    // (KyCaptureSave::install) or drops them, on any thread: the save reads nothing of the
    // document. Null when no save was held.
    std::unique_ptr<KyCaptureSave> TakeHeldSave();

    // ---- Analysis report ----------------------------------------------------------------------
    // True when written or when there is nothing to report.
    bool ExportAnalysisReport(const QString &inPath);

signals:
    void ImageUpdated();
    void DirtyStateChanged(bool isDirty);
    void SaveProgress();
    void AnalysisChanged();

protected:
    enum EKind {
        kKind_New = 1,
        kKind_Opened = 2,
    };

    void DrawHistogramCurve(QPainter &ioPainter, int inChannel, int inWidth);
    void RefreshMWPoints();
    // Every channel's lane backgrounds anew, by the document's method and radius.
    void ComputeBackgrounds();
    // The band list of a plain channel and an existing lane, else null.
    KyBandList *BandList(int inChannel, int inLane);
    const KyBandList *BandList(int inChannel, int inLane) const;
    // The frame from a "Lane" text, without extracting profiles; a frame the image cannot hold,
    // or whose lanes ask for more work than a frame laid on the capture does, is left empty.
    void SetLaneFrameFromText(const QString &inText);
    // Channels of an index or a selection, in the order 0, 1, 2.
    static QList<int> ChannelList(int inChannels);
    // The file a writer that appends inExtension unless the path already ends with it writes.
    static QString WithExtension(const QString &inPath, const QString &inExtension);
    // The file the analysis report for inPath goes to: the path itself when it ends in ".csv" or
    // ".txt", else the path with ".csv" appended.
    static QString ReportFilePath(const QString &inPath);
    // The capture folder of a file path ("/" separators): the folder the file lies in, the working
    // folder for a bare name.
    static QString CaptureFolderOf(const QString &inPath);
    // The last step of every kind's save-as once its images are written: the analysis report, and
    // on its success the document becomes the saved capture in inPath's folder. True when the
    // report was written.
    bool FinishSaveAs(const QString &inPath);
    // Gives a picture the resolution of the capture; a resolution of 0 (unknown) leaves it alone.
    static void SetResolution(QImage &ioImage, int inDotsPerMeter);
    // The picture as JPEG bytes at inQuality (-1: the image library's default); false for a null
    // picture or a failed encoding.
    static bool EncodeJpeg(const QImage &inImage, int inQuality, QByteArray &outBytes);
    // Writes the file whole or not at all (KySafeFile), making its folder first ("/" separators);
    // during a SaveAs into its staging place.
    bool WriteFileWhole(const QString &inPath, const QByteArray &inBytes);
    // The marks the parts of a split mode add to a save's names, in writing order: one empty mark
    // for the whole image and the centre, none for an unknown mode.
    static QStringList SplitMarks(int inMode);
    // The shares of the whole capture's width and height that a part with this "Image split"
    // item holds; (1, 1) for the whole image and for an item no split writes.
    static QSizeF SplitShare(const QString &inSplit);

    // The first step of every kind's SaveAs into inPath's folder, before anything there is
    // touched: takes the capture's lock and finishes or removes what an earlier save that was cut
    // off left. 0, or kSaveBusy. Held by a CaptureSaveScope, which drops the files of a SaveAs
    // that returns before FinishSaveAs put them in place.
    int StartCaptureSave(const QString &inPath);
    class CaptureSaveScope
    {
    public:
        explicit CaptureSaveScope(KyDocument *inDocument) : mDocument(inDocument) {}
        ~CaptureSaveScope() { mDocument->EndCaptureSave(); }
        CaptureSaveScope(const CaptureSaveScope &) = delete;
        CaptureSaveScope &operator=(const CaptureSaveScope &) = delete;

    private:
        KyDocument *mDocument;
    };
    // The file a write for inPath goes to: its staging place while a SaveAs runs, else inPath;
    // empty when the save cannot stage it.
    QString SaveFilePath(const QString &inPath);

    // A file a save is about to write, with the code the save fails with when it cannot be.
    struct SaveTarget
    {
        QString path;
        int code;
    };
    // The files SaveSplitImages (extension ".tif") or SaveSplitJpegImages (".jpg") writes for one
    // image under the split mode, in writing order.
    QList<SaveTarget> SplitTargets(const QString &inFolder, const QString &inBaseName, const QString &inNameSuffix,
                                   const QString &inFileSuffix, const QString &inExtension, int inCode) const;
    // The file ExportCsv writes.
    static QString CsvFilePath(const QString &inFolder, const QString &inBaseName, const QString &inNameSuffix,
                               const QString &inFileSuffix);
    // The code of the first target no file can be written at (KySafeFile::IsBlocked); 0 when every
    // one can, and then RemoveStaleSaveFiles of them all.
    static int BlockedSaveTarget(const QList<SaveTarget> &inTargets);
    // Removes the temporary files a save of these targets that was cut off (a crash, a kill, a power
    // cut) left beside them; nothing else.
    static void RemoveStaleSaveFiles(const QList<SaveTarget> &inTargets);

    bool mDirty;
    bool mDisplayChanged = false;
    bool mHighlight = true;
    int mKind;
    QVector<ImageFile> mSampleImageList;
    QImage *mColorImage = nullptr; // owned
    // The capture folder: the one opened, or the one the last Save or SaveAs wrote the images into.
    QString mBasePath;
    bool mBandsAtOpen = false;
    bool mAnalysisChanged = false;
    bool mParameterChanged;
    bool mAnalysisCurrent = false;
    int mSplitMode = 0;
    QImage mHistogramImage;
    QVector<double> mIntensityCache;
    QRect mSelection;
    int mBackgroundMethod = 0;
    int mRollingBallRadius = 20;
    KyLaneFrame mLaneFrame;
    int mMwChannel = -1;
    int mMwLane = -1;
    QVector<KyLaneProfiles> mLaneProfiles;
    QVector<QVector<KyBandList>> mBands;
    QVector<double> mNormalization;
    QVector<QString> mChannelTexts;
    KyMwStandard mMwStandard;
    KyMwCurve mMwCurve;
    QStringList mUnreadFiles;

private:
    void Initialise();
    void EndCaptureSave();

    std::unique_ptr<KyCaptureSave> mCaptureSave;
    bool mHoldSave = false;
    // The save's files are written and wait for FinishHeldSave or TakeHeldSave.
    bool mSaveHeld = false;
    bool mSaveBusy = false;
};
