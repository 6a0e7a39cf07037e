#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

class ImageFile;
class KnownBandGel;
class QImage;

// Writes synthetic capture folders the way the instrument writes them: file names after the capture
// time and the channel, the capture conditions as metadata items, 16-bit TIFF images through the
// program's own codec and the JPEG pictures that go with them. Nothing in them is a real
// measurement: the pixels come from SamplePainter, and the comment says so.
//
// Kinds, each one capture folder:
// - "gel": a chemiluminescent blot, one image (..._Ch.tif) and its display picture (..._Ch.jpg);
// - "marker": the blot with its white-light marker: ..._Ch.tif, the grey marker image
//   ..._Ch-Marker.tif, the marker's colour picture ..._Ch-Marker.jpg and the overlay
//   ..._Ch+Marker.jpg (with the instrument's marker suffix settings);
// - "fluor": three fluorescence channels ..._Fl-Blue.tif, ..._Fl-Green.tif, ..._Fl-Red.tif with
//   their "Channel" items 1 to 3, and their colour composite ..._Fl.jpg;
// - "color": a stained gel in white light: the grey image ..._Co.tif with its "OD parameter" and
//   the colour picture ..._Co.jpg.
class SampleCaptureWriter
{
public:
    // "gel", "marker", "fluor", "color", in this order.
    static const QStringList &KindNames();

    // Images of inWidth x inHeight pixels, drawn from inSeed.
    SampleCaptureWriter(int inWidth, int inHeight, quint64 inSeed);

    // Writes the capture folder of one kind under inFolder (made when missing) and returns the
    // capture folder's path; empty on failure, with the reason in ErrorText. Files of an earlier
    // run with the same names are replaced.
    QString Write(const QString &inKind, const QString &inFolder);
    // Writes a chemiluminescent capture of the gel (its size, not the writer's) under inFolder, as
    // the "gel" kind is written; the capture folder's path, or empty with the reason in ErrorText.
    QString WriteKnownBands(const KnownBandGel &inGel, const QString &inFolder);
    const QString &ErrorText() const { return error; }

private:
    QString WriteGel(const QString &inFolder, bool inWithMarker);
    QString WriteFluorescence(const QString &inFolder);
    QString WriteColorimetric(const QString &inFolder);

    // A capture's image in a light mode, with the items the instrument writes.
    ImageFile NewImage(int inLightMode, quint32 inExposureMSec, const QDateTime &inTime,
                       const QString &inComment) const;
    // The file-name base of a capture: an optional sample name, a blank and the capture time.
    QString BaseName(const QString &inSample, const QDateTime &inTime) const;
    bool MakeFolder(const QString &inFolder);
    bool SaveTiff(const QString &inPathWithoutSuffix, const ImageFile &inImage);
    bool SaveJpeg(const QString &inPathWithoutSuffix, const QImage &inImage);

    int width;
    int height;
    quint64 seed;
    int darkOffset;
    QString error;
};
