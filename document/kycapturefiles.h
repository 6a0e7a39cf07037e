#pragma once

#include <QString>
#include <QStringList>

// Which TIFF files of a folder make up one capture. A folder may hold several captures (copied
// together, or saved under another name beside the original); a document opens the files of one
// only, the capture of the folder's first image.
//
// Listings are sorted by name ignoring case (ties by exact name): the file system's own order is
// arbitrary, and the first name decides which capture opens.
namespace KyCaptureFiles {

// The names of the folder's "*.tif" files (any case of the suffix), regular files only, no
// symbolic links, sorted.
QStringList TiffFileNames(const QString &inFolder);

// The name prefix shared by every file of the capture inName belongs to: the name up to its last
// "-", or, without one, up to its last ".".
QString CapturePrefix(const QString &inName);

// The names of sorted inNames that belong to the capture of the first one: those starting with its
// prefix. A plain prefix test, so that names holding "[", "*" or "?" need no escaping.
QStringList FirstCapture(const QStringList &inNames);

// FirstCapture of TiffFileNames: the file names (without folder) of the folder's first capture.
QStringList CaptureFileNames(const QString &inFolder);

} // namespace KyCaptureFiles
