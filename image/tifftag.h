#pragma once

#include <QByteArray>
#include <QtGlobal>

// One TIFF directory entry as held in memory.
struct TiffTag
{
    // Field types the codec knows; the reader accepts 0 to 7.
    enum EType : quint16 {
        kType_Ascii = 2,
        kType_Short = 3,
        kType_Long = 4,
        kType_Rational = 5,
        kType_Undefined = 7,
    };

    quint16 tag = 0;
    quint16 type = 0;
    quint32 count = 0;
    // The value bytes in file order: little-endian numbers, ASCII text with its terminating zero.
    QByteArray value;
    // The value is the text form of a private block (tag 36864), expanded into a nested entry
    // block when written.
    bool isBlockText = false;
};
