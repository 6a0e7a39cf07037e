#pragma once

#include "image/imagetag.h"

#include <QMap>
#include <QString>

class ImageFile;

// The instrument's TIFF files: one 16-bit greyscale little-endian image in one uncompressed strip,
// with its metadata items in the image description and an optional private block.

// Writes inPath + ".tif".
bool writeTiffFile(const QString &inPath, const ImageFile &inImage);
bool readTiffFile(const QString &inPath, ImageFile &ioImage);
bool readTiffTags(const QString &inPath, QMap<QString, QString> &ioItems);
bool readTiffDirectory(const QString &inPath, ImageTagList &outItems, int *outWidth, int *outHeight,
                       quint32 *outPixelOffset);
