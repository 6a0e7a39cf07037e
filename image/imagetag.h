#pragma once

#include <QList>
#include <QString>

// One metadata item of an image: a key and its text. An image keeps them in order; keys may repeat,
// and a lookup acts on the first item with the key.
struct ImageTag
{
    QString key;
    QString value;

    bool operator==(const ImageTag &inOther) const = default;
};

using ImageTagList = QList<ImageTag>;
