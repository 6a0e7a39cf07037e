#pragma once

#include <QImage>
#include <QRect>

class QPainter;

// Draws img stretched over r as a nine-part image: the corners unscaled, the edges stretched along
// their length, the centre stretched both ways. L, R, T, B are the border widths in image pixels.
// A null image draws nothing; a piece whose source or target has no positive width and height is
// skipped, so a rectangle smaller than the borders shows only (overlapping) corners, never pieces
// painted mirrored.
void drawNinePartImage(QPainter *painter, const QRect &r, const QImage &img, int L, int R, int T, int B);
