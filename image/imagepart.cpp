#include "image/imagepart.h"

#include "image/imagefile.h"

namespace {

QRect cutToImage(const ImageFile *inImage, const QRect &inRect)
{
    if (!inImage || inImage->IsNull())
        return QRect();
    const QRect cut = inRect.intersected(QRect(0, 0, inImage->Width(), inImage->Height()));
    return cut.isEmpty() ? QRect() : cut;
}

} // namespace

ImagePart::ImagePart(ImageFile *inImage, const QRect &inRect)
    : image(inImage)
    , data(inImage && !inImage->IsNull() ? inImage->Data() : nullptr)
    , imageWidth(inImage ? inImage->Width() : 0)
    , imageHeight(inImage ? inImage->Height() : 0)
    , rect(cutToImage(inImage, inRect))
{
}

ImagePart::~ImagePart() = default;

quint16 *ImagePart::Origin() const
{
    if (rect.isEmpty())
        return nullptr;
    return data + qsizetype(rect.top()) * imageWidth + rect.left();
}

ConstImagePart::ConstImagePart(const ImageFile *inImage, const QRect &inRect)
    : image(inImage)
    , data(inImage && !inImage->IsNull() ? inImage->ConstData() : nullptr)
    , imageWidth(inImage ? inImage->Width() : 0)
    , imageHeight(inImage ? inImage->Height() : 0)
    , rect(cutToImage(inImage, inRect))
{
}

ConstImagePart::~ConstImagePart() = default;

const quint16 *ConstImagePart::Origin() const
{
    if (rect.isEmpty())
        return nullptr;
    return data + qsizetype(rect.top()) * imageWidth + rect.left();
}
