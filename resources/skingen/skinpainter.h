#pragma once

#include <QImage>
#include <QString>

// Draws the program's skins and icons from their resource names: the name says what the image
// shows (a button type, a frame, an icon) and its ending which state it is for (pressed, disabled,
// on, off, active, inactive). The drawing depends only on the name and the size, so the images are
// the same on every build.
class SkinPainter
{
public:
    // The image for a listed resource path at the given size; a null image and a message when the
    // name is not one this painter knows how to draw.
    static QImage paint(const QString &path, const QSize &size, QString *error);
};
