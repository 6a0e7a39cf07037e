#pragma once

#include "image/imagetag.h"

#include <QString>

class ImageFile;

// The text that carries most metadata items of an image in its TIFF ImageDescription entry: one
// line per item, key " = " value "\r\n", in a fixed key order.

// Builds the text from the image's items and its current display range. Line breaks (and zero
// characters) inside a value become spaces: they would split the value into lines of their own.
QString buildImageDescription(const ImageFile &inImage);

// A value as the text carries it: line breaks and zero characters become spaces.
QString imageDescriptionValue(QString inValue);

// Appends the items found in the text, in line order. A first line without "=" is the comment.
// Always true.
bool parseImageDescription(const QString &inText, ImageTagList &ioItems);
