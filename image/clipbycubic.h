#pragma once

#include <QtGlobal>

class ImageFile;
class ImagePart;

// Keys cubic-convolution weights with coefficient a for the samples at i - 1, i, i + 1 and i + 2
// around the source position f.
void cubicWeights(double inF, int inI, double inA, double outWeights[4]);

// Fills one strip of a zoom's output with bicubic samples of the source rectangle (x, y, w, h)
// that the whole output shows. A neighbourhood holding a saturated pixel gives a saturated pixel;
// output pixels whose neighbourhood lies wholly outside the source keep their value.
class ClipByCubic
{
public:
    ClipByCubic(const ImageFile *inSource, double inX, double inY, double inW, double inH);

    void operator()(const ImagePart &inPart) const;

    const ImageFile *source;
    double x;
    double y;
    double w;
    double h;

private:
    const quint16 *pixels = nullptr; // taken on the calling thread
};
