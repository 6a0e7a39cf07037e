#pragma once

#include <QRect>

class ImageFile;

// A rectangular tile of a writable image, cut to the image: the unit of work when an output image
// is filled strip by strip on several threads. The tile takes the image's pixel pointer when it is
// made (on the thread that cuts the strips), so the threads that fill the tiles never touch the
// image's shared pixel array; the image must outlive the tile and keep its size meanwhile.
class ImagePart
{
public:
    ImagePart(ImageFile *inImage, const QRect &inRect);
    virtual ~ImagePart();

    ImageFile *Image() const { return image; }
    int ImageWidth() const { return imageWidth; }
    int ImageHeight() const { return imageHeight; }
    quint16 *ImageData() const { return data; }

    const QRect &Rect() const { return rect; }
    int Left() const { return rect.left(); }
    int Top() const { return rect.top(); }
    int Width() const { return rect.width(); }
    int Height() const { return rect.height(); }
    int Bottom() const { return rect.bottom(); }
    // The tile's top-left pixel; null for an empty tile.
    quint16 *Origin() const;

private:
    ImageFile *image;
    quint16 *data;
    int imageWidth;
    int imageHeight;
    QRect rect;
};

// The same over an image that is only read.
class ConstImagePart
{
public:
    ConstImagePart(const ImageFile *inImage, const QRect &inRect);
    virtual ~ConstImagePart();

    const ImageFile *Image() const { return image; }
    int ImageWidth() const { return imageWidth; }
    int ImageHeight() const { return imageHeight; }
    const quint16 *ImageData() const { return data; }

    const QRect &Rect() const { return rect; }
    int Left() const { return rect.left(); }
    int Top() const { return rect.top(); }
    int Width() const { return rect.width(); }
    int Height() const { return rect.height(); }
    int Bottom() const { return rect.bottom(); }
    // The tile's top-left pixel; null for an empty tile.
    const quint16 *Origin() const;

private:
    const ImageFile *image;
    const quint16 *data;
    int imageWidth;
    int imageHeight;
    QRect rect;
};
