#include "widgets/ninepartimage.h"

#include <QPainter>

namespace {

void drawPiece(QPainter *painter, const QRect &target, const QImage &img, const QRect &source)
{
    // QPainter paints a negative-sized target mirrored: such pieces are left out.
    if (target.width() <= 0 || target.height() <= 0 || source.width() <= 0 || source.height() <= 0)
        return;
    painter->drawImage(target, img, source);
}

} // namespace

void drawNinePartImage(QPainter *painter, const QRect &r, const QImage &img, int L, int R, int T, int B)
{
    if (img.isNull())
        return;
    const int W = img.width();
    const int H = img.height();
    const int right = r.right() - R + 1;
    const int bottom = r.bottom() - B + 1;
    const int midWidth = r.width() - L - R;
    const int midHeight = r.height() - T - B;

    if (L > 0 && T > 0)
        drawPiece(painter, QRect(r.left(), r.top(), L, T), img, QRect(0, 0, L, T));
    if (R > 0 && T > 0)
        drawPiece(painter, QRect(right, r.top(), R, T), img, QRect(W - R, 0, R, T));
    if (L > 0 && B > 0)
        drawPiece(painter, QRect(r.left(), bottom, L, B), img, QRect(0, H - B, L, B));
    if (R > 0 && B > 0)
        drawPiece(painter, QRect(right, bottom, R, B), img, QRect(W - R, H - B, R, B));
    if (T > 0)
        drawPiece(painter, QRect(r.left() + L, r.top(), midWidth, T), img, QRect(L, 0, W - L - R, T));
    if (B > 0)
        drawPiece(painter, QRect(r.left() + L, bottom, midWidth, B), img, QRect(L, H - B, W - L - R, B));
    if (L > 0)
        drawPiece(painter, QRect(r.left(), r.top() + T, L, midHeight), img, QRect(0, T, L, H - T - B));
    if (R > 0)
        drawPiece(painter, QRect(right, r.top() + T, R, midHeight), img, QRect(W - R, T, R, H - T - B));
    drawPiece(painter, QRect(r.left() + L, r.top() + T, midWidth, midHeight), img,
              QRect(L, T, W - L - R, H - T - B));
}
