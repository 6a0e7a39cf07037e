#pragma once

#include <QtGlobal>

class ImageFile;
class ImagePart;

// Fills one strip of a zoom's output with bilinear samples of the source rectangle
// (x, y, w, h) that the whole output shows; a sample outside the source is 0.
class ClipByLinear
{
public:
    ClipByLinear(const ImageFile *inSource, double inX, double inY, double inW, double inH);

    void operator()(const ImagePart &inPart) const;

    const ImageFile *source;
    double x;
    double y;
    double w;
    double h;

private:
    const quint16 *pixels = nullptr; // taken on the calling thread
};
