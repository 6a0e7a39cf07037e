#include "glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

constexpr qreal kGrid = 24.0;
constexpr qreal kStroke = 1.8;

void polyline(QPainter &p, std::initializer_list<QPointF> points)
{
    const QList<QPointF> list(points);
    p.drawPolyline(list.constData(), int(list.size()));
}

void line(QPainter &p, qreal x1, qreal y1, qreal x2, qreal y2)
{
    p.drawLine(QPointF(x1, y1), QPointF(x2, y2));
}

void dot(QPainter &p, qreal x, qreal y, qreal r, const QColor &colour)
{
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QPointF(x, y), r, r);
    p.restore();
}

// A profile through the points, level at each of them like the peaks and valleys of a lane profile.
QPainterPath smoothCurve(std::initializer_list<QPointF> points)
{
    QPainterPath curve;
    const QPointF *previous = nullptr;
    for (const QPointF &point : points) {
        if (!previous) {
            curve.moveTo(point);
        } else {
            const qreal midX = (previous->x() + point.x()) / 2;
            curve.cubicTo(QPointF(midX, previous->y()), QPointF(midX, point.y()), point);
        }
        previous = &point;
    }
    return curve;
}

// An arrow pointing up; the other directions rotate it about the grid's centre.
void arrowUp(QPainter &p)
{
    line(p, 12, 19.5, 12, 5);
    polyline(p, {{5.5, 11.5}, {12, 5}, {18.5, 11.5}});
}

void chevronUp(QPainter &p)
{
    polyline(p, {{6, 15}, {12, 9}, {18, 15}});
}

void rotated(QPainter &p, qreal degrees, void (*draw)(QPainter &))
{
    p.save();
    p.translate(12, 12);
    p.rotate(degrees);
    p.translate(-12, -12);
    draw(p);
    p.restore();
}

void magnifier(QPainter &p)
{
    p.drawEllipse(QPointF(10.5, 10.5), 6.5, 6.5);
    line(p, 15.3, 15.3, 20.5, 20.5);
}

// An open circle with its gap at the upper right and the head at its upper end, turning clockwise.
void rotateRight(QPainter &p)
{
    const QRectF circle(5, 5.5, 14, 14);
    const qreal start = 80;
    QPainterPath arc;
    arc.arcMoveTo(circle, start);
    arc.arcTo(circle, start, 290);
    p.drawPath(arc);
    const QPointF centre = circle.center();
    const qreal r = circle.width() / 2;
    const qreal a = qDegreesToRadians(start);
    const QPointF tip = centre + QPointF(r * qCos(a), -r * qSin(a)) + QPointF(1.5, 0.4);
    const QPointF along(qSin(a), qCos(a));
    const QPointF across(-along.y(), along.x());
    polyline(p, {tip - 4.5 * along + 4 * across, tip, tip - 4.5 * along - 4 * across});
}

void sun(QPainter &p, qreal core)
{
    p.drawEllipse(QPointF(12, 12), core, core);
    for (int i = 0; i < 8; ++i) {
        const qreal a = qDegreesToRadians(45.0 * i);
        line(p, 12 + (core + 3) * qCos(a), 12 + (core + 3) * qSin(a), 12 + (core + 5.5) * qCos(a),
             12 + (core + 5.5) * qSin(a));
    }
}

void halfDisc(QPainter &p, const QColor &colour, QPointF centre, qreal r)
{
    p.drawEllipse(centre, r, r);
    QPainterPath half;
    half.moveTo(centre);
    half.arcTo(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r), 90, 180);
    half.closeSubpath();
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(half);
    p.restore();
}

// A limit marker (filled for the low limit, hollow for the high one) with the direction it moves.
void contrastLimit(QPainter &p, const QColor &colour, bool high, bool left)
{
    const qreal markerX = left ? 16.5 : 7.5;
    if (high) {
        p.drawEllipse(QPointF(markerX, 12), 4.5, 4.5);
    } else {
        p.save();
        p.setBrush(colour);
        p.drawEllipse(QPointF(markerX, 12), 4.5, 4.5);
        p.restore();
    }
    if (left)
        polyline(p, {{8, 6.5}, {3, 12}, {8, 17.5}});
    else
        polyline(p, {{16, 6.5}, {21, 12}, {16, 17.5}});
}

} // namespace

void drawGlyph(QPainter &p, Glyph glyph, const QRectF &box, const QColor &colour)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const qreal side = qMin(box.width(), box.height());
    p.translate(box.center() - QPointF(side / 2, side / 2));
    p.scale(side / kGrid, side / kGrid);
    QPen pen(colour, kStroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);

    switch (glyph) {
    case Glyph::ArrowUp: arrowUp(p); break;
    case Glyph::ArrowRight: rotated(p, 90, arrowUp); break;
    case Glyph::ArrowDown: rotated(p, 180, arrowUp); break;
    case Glyph::ArrowLeft: rotated(p, 270, arrowUp); break;
    case Glyph::ChevronUp: chevronUp(p); break;
    case Glyph::ChevronRight: rotated(p, 90, chevronUp); break;
    case Glyph::ChevronDown: rotated(p, 180, chevronUp); break;
    case Glyph::ChevronLeft: rotated(p, 270, chevronUp); break;
    case Glyph::KeyLeft:
        line(p, 4.5, 6, 4.5, 18);
        line(p, 19.5, 12, 8.5, 12);
        polyline(p, {{13.5, 7}, {8.5, 12}, {13.5, 17}});
        break;
    case Glyph::KeyRight:
        line(p, 19.5, 6, 19.5, 18);
        line(p, 4.5, 12, 15.5, 12);
        polyline(p, {{10.5, 7}, {15.5, 12}, {10.5, 17}});
        break;
    case Glyph::Plus:
        line(p, 5, 12, 19, 12);
        line(p, 12, 5, 12, 19);
        break;
    case Glyph::Minus: line(p, 5, 12, 19, 12); break;
    case Glyph::Check: polyline(p, {{5.5, 12.5}, {10, 17}, {18.5, 7.5}}); break;
    case Glyph::Close:
        line(p, 6, 6, 18, 18);
        line(p, 18, 6, 6, 18);
        break;
    case Glyph::Copy:
        p.drawRoundedRect(QRectF(4, 8, 11, 13), 2, 2);
        polyline(p, {{9, 8}, {9, 5}, {9.5, 3.5}, {19, 3.5}, {20, 4.5}, {20, 15.5}, {19, 16}, {15, 16}});
        break;
    case Glyph::Delete:
        line(p, 4, 6.5, 20, 6.5);
        polyline(p, {{9, 6.5}, {9, 3.5}, {15, 3.5}, {15, 6.5}});
        polyline(p, {{6, 6.5}, {7, 20.5}, {17, 20.5}, {18, 6.5}});
        line(p, 10, 10.5, 10, 16.5);
        line(p, 14, 10.5, 14, 16.5);
        break;
    case Glyph::Print:
        polyline(p, {{7, 8}, {7, 3.5}, {17, 3.5}, {17, 8}});
        polyline(p, {{7, 17}, {3.5, 17}, {3.5, 8}, {20.5, 8}, {20.5, 17}, {17, 17}});
        p.drawRect(QRectF(7, 13, 10, 7.5));
        dot(p, 17.5, 11, 1.2, colour);
        break;
    case Glyph::Save:
        polyline(p, {{4, 14}, {4, 20}, {20, 20}, {20, 14}});
        line(p, 12, 4, 12, 15);
        polyline(p, {{7.5, 10.5}, {12, 15}, {16.5, 10.5}});
        break;
    case Glyph::FolderOpen:
        polyline(p, {{3.5, 19}, {3.5, 5}, {9, 5}, {11, 7.5}, {18.5, 7.5}, {18.5, 10.5}});
        p.drawPolygon(QPolygonF({{3.5, 19}, {6.5, 10.5}, {21.5, 10.5}, {18.5, 19}}));
        break;
    case Glyph::Info:
        p.drawEllipse(QPointF(12, 12), 9, 9);
        line(p, 12, 11, 12, 17);
        dot(p, 12, 7.5, 1.3, colour);
        break;
    case Glyph::Help: {
        p.drawEllipse(QPointF(12, 12), 9, 9);
        QPainterPath mark;
        mark.moveTo(9.3, 9.6);
        mark.cubicTo(9.3, 6.4, 14.7, 6.4, 14.7, 9.6);
        mark.cubicTo(14.7, 11.6, 12, 11.6, 12, 14);
        p.drawPath(mark);
        dot(p, 12, 17, 1.3, colour);
        break;
    }
    case Glyph::Zoom: magnifier(p); break;
    case Glyph::ZoomIn:
        magnifier(p);
        line(p, 7.5, 10.5, 13.5, 10.5);
        line(p, 10.5, 7.5, 10.5, 13.5);
        break;
    case Glyph::ZoomOut:
        magnifier(p);
        line(p, 7.5, 10.5, 13.5, 10.5);
        break;
    case Glyph::RotateRight: rotateRight(p); break;
    case Glyph::RotateLeft:
        p.translate(24, 0);
        p.scale(-1, 1);
        rotateRight(p);
        break;
    case Glyph::Contrast: halfDisc(p, colour, QPointF(12, 12), 8.5); break;
    case Glyph::Intensity: sun(p, 4); break;
    case Glyph::Display:
        p.drawRoundedRect(QRectF(3, 4, 18, 12.5), 2, 2);
        line(p, 12, 16.5, 12, 19.5);
        line(p, 8, 20, 16, 20);
        break;
    case Glyph::PositiveNegative: {
        p.drawRoundedRect(QRectF(4, 4, 16, 16), 2, 2);
        p.save();
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawPolygon(QPolygonF({{20, 4}, {20, 20}, {4, 20}}));
        p.restore();
        line(p, 6.5, 9, 11.5, 9);
        line(p, 9, 6.5, 9, 11.5);
        break;
    }
    case Glyph::Tools:
        line(p, 4, 6, 20, 6);
        line(p, 4, 12, 20, 12);
        line(p, 4, 18, 20, 18);
        dot(p, 9, 6, 2.6, colour);
        dot(p, 16, 12, 2.6, colour);
        dot(p, 7, 18, 2.6, colour);
        break;
    case Glyph::Picture:
        p.drawRoundedRect(QRectF(3, 4.5, 18, 15), 2, 2);
        polyline(p, {{4, 17.5}, {9.5, 11.5}, {13.5, 15.5}, {16, 13}, {20, 17}});
        dot(p, 16, 9, 1.6, colour);
        break;
    case Glyph::Profile:
        polyline(p, {{3.5, 3.5}, {3.5, 20.5}, {20.5, 20.5}});
        p.drawPath(smoothCurve({{6, 17}, {10.5, 6}, {14.5, 15}, {18, 10}, {21, 16}}));
        break;
    case Glyph::Lanes:
        for (const qreal x : {3.5, 10.0, 16.5})
            p.drawRoundedRect(QRectF(x, 4, 4, 16), 1.2, 1.2);
        break;
    case Glyph::Background: {
        p.drawPath(smoothCurve({{3, 15}, {9, 5}, {13.5, 13}, {18, 8}, {21, 12.5}}));
        QPen dashed = p.pen();
        dashed.setDashPattern({1.0, 1.6});
        dashed.setCapStyle(Qt::FlatCap);
        p.setPen(dashed);
        line(p, 3, 19.5, 21, 16.5);
        break;
    }
    case Glyph::Bands:
        p.drawRoundedRect(QRectF(5.5, 3, 13, 18), 2, 2);
        p.save();
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawRoundedRect(QRectF(8, 6.5, 8, 2.5), 1, 1);
        p.drawRoundedRect(QRectF(8, 11, 8, 3), 1, 1);
        p.drawRoundedRect(QRectF(8, 16, 8, 2), 1, 1);
        p.restore();
        break;
    case Glyph::MolecularWeight:
        line(p, 5, 3.5, 5, 20.5);
        for (const qreal y : {5.0, 9.0, 14.0, 19.5}) {
            line(p, 5, y, 8, y);
            line(p, 11, y, 20, y);
        }
        break;
    case Glyph::Normalize:
        line(p, 12, 5, 12, 20);
        line(p, 7.5, 20, 16.5, 20);
        line(p, 4, 7.5, 20, 7.5);
        p.drawPolygon(QPolygonF({{4, 7.5}, {1.8, 13.5}, {6.2, 13.5}}));
        p.drawPolygon(QPolygonF({{20, 7.5}, {17.8, 13.5}, {22.2, 13.5}}));
        break;
    case Glyph::Summary:
        p.drawRoundedRect(QRectF(3, 4, 18, 16), 2, 2);
        line(p, 3, 9, 21, 9);
        line(p, 3, 14.5, 21, 14.5);
        line(p, 9.5, 4, 9.5, 20);
        break;
    case Glyph::ContrastLowLeft: contrastLimit(p, colour, false, true); break;
    case Glyph::ContrastLowRight: contrastLimit(p, colour, false, false); break;
    case Glyph::ContrastHighLeft: contrastLimit(p, colour, true, true); break;
    case Glyph::ContrastHighRight: contrastLimit(p, colour, true, false); break;
    }
    p.restore();
}

void drawBusyFrame(QPainter &p, int frame, const QRectF &box, const QColor &colour)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const qreal side = qMin(box.width(), box.height());
    const QPointF centre = box.center();
    const qreal ring = side * 0.36;
    const qreal radius = side * 0.075;
    for (int i = 0; i < 8; ++i) {
        // Dot i sits at i eighths of a turn clockwise from the top.
        const qreal a = qDegreesToRadians(45.0 * i);
        const QPointF at = centre + QPointF(ring * qSin(a), -ring * qCos(a));
        int alpha = 50;
        if (frame > 0) {
            const int behind = ((frame - 1) - i + 8) % 8;
            static const int tail[] = {255, 185, 125, 80};
            if (behind < 4)
                alpha = tail[behind];
        }
        QColor c = colour;
        c.setAlpha(alpha);
        p.setBrush(c);
        p.drawEllipse(at, radius, radius);
    }
    p.restore();
}
