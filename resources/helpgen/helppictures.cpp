#include "helppictures.h"

#include "analysis/backgroundsubtraction.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QVector>

#include <algorithm>
#include <cmath>
#include <functional>

namespace HelpPictures {

namespace {

// The screen's own colours: primary blue, the lane overlay's colours, text.
const QColor kBlue(59, 115, 185);
const QColor kLaneColor(148, 101, 138);
const QColor kBandColor(118, 71, 108);
const QColor kSelected(255, 192, 0);
const QColor kMwLine(178, 227, 246);
const QColor kMwFill(178, 227, 246, 100);
const QColor kText(13, 13, 13);
const QColor kGrey(120, 120, 120);
const QColor kCalloutFill(236, 243, 251);
const QColor kShade(178, 227, 246, 170);

QFont font(int inPixels, bool inBold = false)
{
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(inPixels);
    f.setBold(inBold);
    return f;
}

QImage blank()
{
    QImage image(kPageSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    return image;
}

void antialias(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
}

// A rounded note with its text, and a line with a dot from the note's nearest side to the anchor.
void callout(QPainter &p, const QRectF &inBox, const QString &inText, const QPointF &inAnchor)
{
    p.save();
    const QPointF start(inAnchor.x() < inBox.left() ? inBox.left() : (inAnchor.x() > inBox.right() ? inBox.right()
                                                                                                    : inBox.center().x()),
                        inBox.center().y());
    p.setPen(QPen(kBlue, 1.5));
    p.drawLine(start, inAnchor);
    p.setBrush(kBlue);
    p.drawEllipse(inAnchor, 3, 3);
    p.setBrush(kCalloutFill);
    p.drawRoundedRect(inBox, 6, 6);
    p.setPen(kText);
    p.setFont(font(13));
    p.drawText(inBox.adjusted(8, 4, -8, -4), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextWordWrap, inText);
    p.restore();
}

// A grey-scale blot: bands are Gaussian in y within lanes of soft edges; dark on light, as the
// screen shows chemiluminescence.
struct Band
{
    double y;        // centre, 0..1 of the height
    double strength; // 0..1
    double sigma;    // in pixels
};

QImage blot(const QSize &inSize, const QVector<double> &inLaneCentres, double inLaneHalfWidth,
            const QVector<QVector<Band>> &inBands)
{
    QImage image(inSize, QImage::Format_RGB32);
    for (int y = 0; y < inSize.height(); ++y) {
        QRgb *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < inSize.width(); ++x) {
            double value = 0.04 + 0.03 * y / inSize.height();
            for (int lane = 0; lane < inLaneCentres.size(); ++lane) {
                const double dx = std::abs(x - inLaneCentres[lane]) / inLaneHalfWidth;
                const double across = dx < 0.75 ? 1.0 : std::max(0.0, 1.0 - (dx - 0.75) / 0.35);
                if (across <= 0)
                    continue;
                for (const Band &band : inBands.value(lane)) {
                    const double dy = (y - band.y * inSize.height()) / band.sigma;
                    value += across * band.strength * std::exp(-0.5 * dy * dy);
                }
            }
            const int grey = std::clamp(int(248 - 215 * std::min(1.0, value)), 0, 255);
            row[x] = qRgb(grey, grey, grey);
        }
    }
    return image;
}

void framedImage(QPainter &p, const QRect &inRect, const QImage &inImage)
{
    p.drawImage(inRect.topLeft(), inImage);
    p.setPen(QPen(QColor(210, 210, 210), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(inRect).adjusted(-0.5, -0.5, 0.5, 0.5));
}

void title(QPainter &p, const QString &inText, const QPointF &inAt)
{
    p.setPen(kBlue);
    p.setFont(font(15, true));
    p.drawText(inAt, inText);
}

// ---- Lanes -------------------------------------------------------------------------------------

QImage lanes()
{
    QImage image = blank();
    QPainter p(&image);
    antialias(p);

    const QRect gelRect(14, 14, 300, 296);
    const int laneCount = 6;
    // The gel runs slightly slanted; the frame's corners follow it.
    const QPointF tl(32, 46), tr(292, 38), bl(38, 296), br(298, 288);
    QVector<double> centres;
    const double pitch = (tr.x() - tl.x()) / laneCount;
    for (int i = 0; i < laneCount; ++i)
        centres << tl.x() - gelRect.left() + pitch * (i + 0.5) + 3;
    QVector<QVector<Band>> bands(laneCount);
    for (int i = 0; i < laneCount; ++i) {
        const double shift = -0.02 * i / laneCount;
        if (i == 0) {
            for (double y : {0.22, 0.32, 0.43, 0.55, 0.68, 0.80})
                bands[i] << Band{y + shift, 0.55, 3.0};
        } else {
            const double s = 1.0 - 0.13 * (i - 1);
            bands[i] << Band{0.30 + shift, 0.9 * s, 4.0} << Band{0.52 + shift, 0.6 * s, 3.5}
                     << Band{0.74 + shift, 0.35 * s, 3.0};
        }
    }
    framedImage(p, gelRect, blot(gelRect.size(), centres, pitch * 0.36, bands));

    // Lanes: 70 % of the pitch, between the frame's top and bottom edges.
    const double ratio = 0.7;
    QVector<QPolygonF> lanePolygons;
    for (int i = 0; i < laneCount; ++i) {
        const double a = (i + 0.5 - ratio / 2) / laneCount, b = (i + 0.5 + ratio / 2) / laneCount;
        const QPointF t0 = tl + (tr - tl) * a, t1 = tl + (tr - tl) * b;
        const QPointF b0 = bl + (br - bl) * a, b1 = bl + (br - bl) * b;
        lanePolygons << QPolygonF({t0, t1, b1, b0});
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kLaneColor, 1.5));
    for (const QPolygonF &lane : lanePolygons)
        p.drawPolygon(lane);
    p.setPen(QPen(kBlue, 2));
    p.drawPolygon(QPolygonF({tl, tr, br, bl}));

    // Lane numbers above the lanes.
    p.setFont(font(11, true));
    for (int i = 0; i < laneCount; ++i) {
        const QPointF top = (lanePolygons[i][0] + lanePolygons[i][1]) / 2;
        const QRectF box(top.x() - 8, top.y() - 17, 16, 14);
        p.setPen(QPen(kBlue, 1));
        p.setBrush(Qt::white);
        p.drawRect(box);
        p.drawText(box, Qt::AlignCenter, QString::number(i + 1));
    }

    // Corner handles, the selected one in red.
    const QPointF handles[4] = {tl + QPointF(-5, -5), tr + QPointF(5, -5), bl + QPointF(-5, 5), br + QPointF(5, 5)};
    for (int i = 0; i < 4; ++i) {
        p.setPen(QPen(i == 3 ? QColor(Qt::red) : kBlue, 2));
        p.setBrush(kMwFill);
        p.drawEllipse(handles[i], 7, 7);
    }

    // Lane width: a measure across lane 5, between its bands, on a white ground so that it stands
    // out from the lane lines.
    const QPolygonF &five = lanePolygons[4];
    const double y = 200;
    const auto xAt = [y](const QPointF &a, const QPointF &b) {
        return a.x() + (b.x() - a.x()) * (y - a.y()) / (b.y() - a.y());
    };
    const double x0 = xAt(five[0], five[3]), x1 = xAt(five[1], five[2]);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 220));
    p.drawRoundedRect(QRectF(x0 - 3, y - 8, x1 - x0 + 6, 16), 3, 3);
    p.setPen(QPen(kBlue, 1.5));
    p.drawLine(QPointF(x0 + 1, y), QPointF(x1 - 1, y));
    p.setBrush(kBlue);
    p.drawPolygon(QPolygonF({QPointF(x0, y), QPointF(x0 + 6, y - 4), QPointF(x0 + 6, y + 4)}));
    p.drawPolygon(QPolygonF({QPointF(x1, y), QPointF(x1 - 6, y - 4), QPointF(x1 - 6, y + 4)}));

    const QPointF sixTop = (lanePolygons[5][0] + lanePolygons[5][1]) / 2;
    title(p, QStringLiteral("Lanes"), QPointF(338, 30));
    callout(p, QRectF(338, 46, 210, 44), QStringLiteral("Lane number"), sixTop + QPointF(8, -10));
    callout(p, QRectF(338, 112, 210, 58), QStringLiteral("Lane width: percent of the distance between lanes"),
            QPointF(x1 + 3, y));
    callout(p, QRectF(338, 196, 210, 58), QStringLiteral("Drag a corner, or select it and use the arrows"),
            handles[3] + QPointF(6, -4));
    p.setPen(kGrey);
    p.setFont(font(12));
    p.drawText(QRectF(338, 262, 210, 50), Qt::AlignLeft | Qt::TextWordWrap,
               QStringLiteral("The selected corner is drawn in red."));
    return image;
}

// ---- Background --------------------------------------------------------------------------------

QVector<double> sampleProfile(int inLength)
{
    QVector<double> profile(inLength);
    const double peaks[][3] = {{0.18, 120, 4}, {0.34, 70, 5}, {0.52, 150, 4.5}, {0.70, 55, 6}, {0.86, 90, 4}};
    for (int i = 0; i < inLength; ++i) {
        const double t = double(i) / (inLength - 1);
        // A background that falls off from the top of the lane, with a hump in the middle.
        double v = 70 - 40 * t + 18 * std::exp(-std::pow((t - 0.45) / 0.18, 2));
        for (const auto &peak : peaks) {
            const double d = (i - peak[0] * inLength) / peak[2];
            v += peak[1] * std::exp(-0.5 * d * d);
        }
        profile[i] = v;
    }
    return profile;
}

void profilePanel(QPainter &p, const QRectF &inRect, const QString &inTitle, const QVector<double> &inProfile,
                  const QVector<double> &inBackground)
{
    p.save();
    p.setPen(QPen(QColor(215, 215, 215), 1));
    p.setBrush(QColor(250, 251, 253));
    p.drawRoundedRect(inRect, 8, 8);
    p.setPen(kText);
    p.setFont(font(13, true));
    p.drawText(QRectF(inRect.left(), inRect.top() + 6, inRect.width(), 18), Qt::AlignCenter, inTitle);

    const QRectF plot = inRect.adjusted(14, 32, -10, -18);
    const double top = 240;
    const auto at = [&](int i, double v) {
        return QPointF(plot.left() + plot.width() * i / (inProfile.size() - 1),
                       plot.bottom() - plot.height() * std::clamp(v, 0.0, top) / top);
    };
    // The measured part: between the profile and the background.
    QPainterPath shaded;
    shaded.moveTo(at(0, inProfile[0]));
    for (int i = 1; i < inProfile.size(); ++i)
        shaded.lineTo(at(i, inProfile[i]));
    for (int i = int(inProfile.size()) - 1; i >= 0; --i)
        shaded.lineTo(at(i, inBackground.isEmpty() ? 0.0 : inBackground[i]));
    shaded.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kShade);
    p.drawPath(shaded);

    p.setPen(QPen(kGrey, 1));
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    p.drawLine(plot.bottomLeft(), plot.topLeft());

    QPolygonF line;
    for (int i = 0; i < inProfile.size(); ++i)
        line << at(i, inProfile[i]);
    p.setPen(QPen(kBlue, 1.8));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(line);
    if (!inBackground.isEmpty()) {
        QPolygonF back;
        for (int i = 0; i < inBackground.size(); ++i)
            back << at(i, inBackground[i]);
        p.setPen(QPen(kLaneColor, 2, Qt::DashLine));
        p.drawPolyline(back);
    }
    p.restore();
}

QImage background()
{
    QImage image = blank();
    QPainter p(&image);
    antialias(p);
    const QVector<double> profile = sampleProfile(200);
    const double w = 176, h = 246, gap = 9;
    double x = 6;
    const struct
    {
        const char *name;
        QVector<double> curve;
    } panels[] = {
        {"Rubber band", BackgroundSubtraction::rubberBand(profile)},
        {"Minimum profile", BackgroundSubtraction::minimumProfile(profile)},
        {"Rolling ball", BackgroundSubtraction::rollingBall(profile, 30)},
    };
    for (const auto &panel : panels) {
        profilePanel(p, QRectF(x, 6, w, h), QString::fromLatin1(panel.name), profile, panel.curve);
        x += w + gap;
    }
    // Legend.
    const double y = 276;
    p.setPen(QPen(kBlue, 2));
    p.drawLine(QPointF(14, y), QPointF(40, y));
    p.setPen(QPen(kLaneColor, 2, Qt::DashLine));
    p.drawLine(QPointF(180, y), QPointF(206, y));
    p.setPen(Qt::NoPen);
    p.setBrush(kShade);
    p.drawRect(QRectF(340, y - 8, 26, 16));
    p.setPen(kText);
    p.setFont(font(13));
    p.drawText(QPointF(48, y + 5), QStringLiteral("Lane profile"));
    p.drawText(QPointF(214, y + 5), QStringLiteral("Background"));
    p.drawText(QPointF(374, y + 5), QStringLiteral("Measured as volume"));
    p.setPen(kGrey);
    p.setFont(font(12));
    p.drawText(QRectF(14, 292, 530, 30), Qt::AlignLeft | Qt::TextWordWrap,
               QStringLiteral("The same lane with three methods. Top of the lane on the left."));
    return image;
}

// ---- Bands -------------------------------------------------------------------------------------

QImage bands()
{
    QImage image = blank();
    QPainter p(&image);
    antialias(p);

    const QRect gelRect(14, 14, 230, 296);
    const QVector<double> centres{40, 115, 190};
    const double half = 27;
    const QVector<QVector<Band>> laneBands{
        {{0.20, 0.8, 4}, {0.42, 0.6, 4}, {0.65, 0.5, 3.5}, {0.84, 0.35, 3}},
        {{0.22, 0.9, 5}, {0.45, 0.55, 4}, {0.66, 0.4, 4}},
        {{0.24, 0.7, 4}, {0.47, 0.8, 5}, {0.70, 0.25, 3.5}},
    };
    framedImage(p, gelRect, blot(gelRect.size(), centres, half, laneBands));

    // Lanes and the bands found in them; lane 2's third band is missing, to be added.
    p.setBrush(Qt::NoBrush);
    for (int lane = 0; lane < centres.size(); ++lane) {
        const double cx = gelRect.left() + centres[lane];
        p.setPen(QPen(kLaneColor, 1.5));
        p.drawRect(QRectF(cx - half * 0.85, gelRect.top() + 16, half * 1.7, gelRect.height() - 28));
        for (int k = 0; k < laneBands[lane].size(); ++k) {
            if (lane == 1 && k == 2)
                continue;
            const Band &band = laneBands[lane][k];
            const double cy = gelRect.top() + band.y * gelRect.height();
            const double extent = band.sigma * 2.2;
            const bool selected = lane == 2 && k == 1;
            p.setPen(QPen(selected ? kSelected : kBandColor, 2));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRectF(cx - half * 0.85, cy - extent, half * 1.7, 2 * extent));
            p.fillRect(QRectF(cx - 1.5, cy - 1.5, 3, 3), selected ? kSelected : kBandColor);
        }
    }
    const QPointF selectedBand(gelRect.left() + centres[2] + half * 0.85, gelRect.top() + 0.47 * gelRect.height());
    const QPointF missing(gelRect.left() + centres[1], gelRect.top() + 0.66 * gelRect.height());
    p.setPen(QPen(kBlue, 1.5, Qt::DashLine));
    p.drawEllipse(missing, 9, 9);

    title(p, QStringLiteral("Bands"), QPointF(272, 30));
    callout(p, QRectF(272, 44, 276, 58), QStringLiteral("Detected band: outline, with its peak marked"),
            QPointF(gelRect.left() + centres[0] + half * 0.85, gelRect.top() + 0.20 * gelRect.height()));
    callout(p, QRectF(272, 118, 276, 72),
            QStringLiteral("Selected band (orange): Position moves it, Width - and + resize it"), selectedBand);
    callout(p, QRectF(272, 206, 276, 58), QStringLiteral("Add: click where a band is missing"),
            missing + QPointF(9, 0));
    p.setPen(kGrey);
    p.setFont(font(12));
    p.drawText(QRectF(272, 272, 276, 40), Qt::AlignLeft | Qt::TextWordWrap,
               QStringLiteral("Delete: click a band to remove it."));
    return image;
}

// ---- MW ----------------------------------------------------------------------------------------

QImage molecularWeight()
{
    QImage image = blank();
    QPainter p(&image);
    antialias(p);

    // A ladder whose bands lie, in millimetres, log-linearly with small deviations.
    const QVector<int> values{225, 140, 95, 68, 48, 34, 24, 17, 12};
    const double laneTop = 20, laneLength = 290;
    QVector<double> positions; // 0..1 along the lane
    for (int i = 0; i < values.size(); ++i) {
        const double t = (std::log10(300.0) - std::log10(values[i])) / (std::log10(300.0) - std::log10(8.0));
        positions << std::clamp(t + 0.012 * std::sin(i * 1.7), 0.0, 1.0);
    }
    QVector<Band> ladder;
    for (double t : positions)
        ladder << Band{(laneTop + 6 + t * (laneLength - 12)) / 324.0, 0.55, 2.6};
    const QRect gelRect(14, 0, 70, 324);
    QImage gel = blot(QSize(70, 324), {35}, 24, {ladder});
    p.drawImage(gelRect.topLeft(), gel);
    const QRectF lane(20, laneTop, 58, laneLength);
    p.setPen(QPen(kMwLine, 2));
    p.setBrush(kMwFill);
    p.drawRect(lane);
    p.setPen(kText);
    p.setFont(font(11));
    for (int i = 0; i < values.size(); ++i) {
        const double y = laneTop + 6 + positions[i] * (laneLength - 12);
        p.drawText(QRectF(84, y - 7, 34, 14), Qt::AlignLeft | Qt::AlignVCenter, QString::number(values[i]));
    }

    // The calibration plot: log MW over the position in millimetres.
    const QRectF plot(170, 30, 370, 240);
    const double mmPerLane = 60;
    const double yLow = std::log10(9), yHigh = std::log10(1100);
    const auto at = [&](double mm, double mw) {
        return QPointF(plot.left() + plot.width() * mm / (mmPerLane * 1.05),
                       plot.bottom() - plot.height() * (std::log10(mw) - yLow) / (yHigh - yLow));
    };
    p.setPen(QPen(kGrey, 1));
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    p.drawLine(plot.bottomLeft(), plot.topLeft());
    p.setFont(font(11));
    for (int decade : {10, 100, 1000}) {
        const QPointF tick = at(0, decade);
        p.setPen(QPen(QColor(230, 230, 230), 1));
        p.drawLine(tick, QPointF(plot.right(), tick.y()));
        p.setPen(kGrey);
        p.drawText(QRectF(tick.x() - 40, tick.y() - 7, 36, 14), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(decade));
    }
    for (int mm = 0; mm <= 60; mm += 20) {
        const QPointF tick = at(mm, 9);
        p.drawText(QRectF(tick.x() - 15, tick.y() + 4, 30, 14), Qt::AlignCenter, QString::number(mm));
    }
    p.drawText(QRectF(plot.left(), plot.bottom() + 18, plot.width(), 16), Qt::AlignCenter, QStringLiteral("mm"));
    p.save();
    p.translate(plot.left() - 44, plot.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-40, -8, 80, 16), Qt::AlignCenter, QStringLiteral("kDa"));
    p.restore();

    // Least-squares line through (mm, log MW).
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    const int n = int(values.size());
    for (int i = 0; i < n; ++i) {
        const double x = positions[i] * mmPerLane, y = std::log10(values[i]);
        sx += x, sy += y, sxx += x * x, sxy += x * y;
    }
    const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
    const double offset = (sy - slope * sx) / n;
    double ssRes = 0, ssTot = 0;
    for (int i = 0; i < n; ++i) {
        const double y = std::log10(values[i]);
        const double fit = offset + slope * positions[i] * mmPerLane;
        ssRes += (y - fit) * (y - fit);
        ssTot += (y - sy / n) * (y - sy / n);
    }
    QPolygonF curve;
    for (double mm = 0; mm <= mmPerLane * 1.05; mm += 0.5)
        curve << at(mm, std::pow(10.0, offset + slope * mm));
    p.setPen(QPen(Qt::blue, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(curve);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::red);
    for (int i = 0; i < n; ++i) {
        const QPointF point = at(positions[i] * mmPerLane, values[i]);
        p.drawRect(QRectF(point.x() - 4, point.y() - 4, 8, 8));
    }
    p.setPen(kText);
    p.setFont(font(13));
    p.drawText(QRectF(plot.left(), plot.top() - 24, plot.width(), 18), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("R\u00B2 = %1").arg(1 - ssRes / ssTot, 0, 'f', 4));
    title(p, QStringLiteral("Standard lane and its curve"), QPointF(170, 18));
    return image;
}

// ---- Normalization -----------------------------------------------------------------------------

QImage normalization()
{
    QImage image = blank();
    QPainter p(&image);
    antialias(p);

    const QRect gelRect(14, 14, 240, 200);
    const QVector<double> centres{40, 120, 200};
    const double half = 28;
    // Band of interest at 0.35, control band at 0.72; loading differs from lane to lane.
    const double load[] = {1.0, 0.8, 1.2};
    const double target[] = {0.45, 0.7, 0.9};
    QVector<QVector<Band>> laneBands(3);
    for (int i = 0; i < 3; ++i)
        laneBands[i] << Band{0.35, target[i], 5} << Band{0.72, 0.6 * load[i], 5};
    framedImage(p, gelRect, blot(gelRect.size(), centres, half, laneBands));
    for (int i = 0; i < 3; ++i) {
        const double cx = gelRect.left() + centres[i];
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kLaneColor, 1.5));
        p.drawRect(QRectF(cx - half * 0.85, gelRect.top() + 14, half * 1.7, gelRect.height() - 24));
        p.setPen(QPen(kBandColor, 2));
        p.drawRect(QRectF(cx - half * 0.85, gelRect.top() + 0.35 * gelRect.height() - 11, half * 1.7, 22));
        p.setPen(QPen(Qt::magenta, 2));
        p.drawRect(QRectF(cx - half * 0.85, gelRect.top() + 0.72 * gelRect.height() - 11, half * 1.7, 22));
    }

    // What the summary then shows for the upper band of each lane.
    const QRectF table(14, 226, 530, 88);
    const QStringList heads{QStringLiteral("Lane"), QStringLiteral("Band volume"), QStringLiteral("Control volume"),
                            QStringLiteral("Normalized value")};
    const double widths[] = {70, 140, 150, 170};
    p.setFont(font(13, true));
    double x = table.left();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(232, 240, 250));
    p.drawRoundedRect(QRectF(table.left(), table.top(), table.width(), 22), 4, 4);
    p.setPen(kBlue);
    for (int c = 0; c < heads.size(); ++c) {
        p.drawText(QRectF(x + 6, table.top(), widths[c], 22), Qt::AlignVCenter | Qt::AlignLeft, heads[c]);
        x += widths[c];
    }
    p.setFont(font(13));
    for (int i = 0; i < 3; ++i) {
        const int bandVolume = int(std::lround(target[i] * 2000));
        const int controlVolume = int(std::lround(0.6 * load[i] * 2000));
        const QStringList cells{QString::number(i + 1), QString::number(bandVolume), QString::number(controlVolume),
                                QString::number(double(bandVolume) / controlVolume, 'f', 2)};
        x = table.left();
        const double y = table.top() + 22 + i * 22;
        p.setPen(kText);
        for (int c = 0; c < cells.size(); ++c) {
            p.drawText(QRectF(x + 6, y, widths[c], 22), Qt::AlignVCenter | Qt::AlignLeft, cells[c]);
            x += widths[c];
        }
    }

    title(p, QStringLiteral("Control bands"), QPointF(278, 30));
    callout(p, QRectF(278, 44, 266, 58), QStringLiteral("Control band: click it, it turns magenta"),
            QPointF(gelRect.left() + centres[2] + half * 0.85, gelRect.top() + 0.72 * gelRect.height()));
    p.setPen(kText);
    p.setFont(font(13));
    p.drawText(QRectF(278, 118, 266, 96), Qt::AlignLeft | Qt::TextWordWrap,
               QStringLiteral("Normalized value = band volume \u00F7 mean volume of the lane's control bands"));
    return image;
}

// ---- Summary -----------------------------------------------------------------------------------

QImage summary()
{
    QImage image = blank();
    QPainter p(&image);
    antialias(p);

    const QStringList heads{QStringLiteral("Lane"), QStringLiteral("Band"), QStringLiteral("Volume"),
                            QStringLiteral("Lane %")};
    const double widths[] = {50, 50, 80, 70};
    const struct
    {
        int lane, band, volume;
        double percent;
        bool selected;
    } rows[] = {
        {1, 1, 1840, 41.2, false}, {1, 2, 2630, 58.8, false}, {2, 1, 3120, 63.5, true},
        {2, 2, 1790, 36.5, false}, {3, 1, 2480, 55.0, true},  {3, 2, 2030, 45.0, false},
        {4, 1, 1660, 48.1, true},  {4, 2, 1790, 51.9, false},
    };
    const double left = 10, top = 14, rowHeight = 30, width = 250;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(232, 240, 250));
    p.drawRect(QRectF(left, top, width, rowHeight));
    p.setFont(font(13, true));
    p.setPen(kBlue);
    double x = left;
    for (int c = 0; c < heads.size(); ++c) {
        p.drawText(QRectF(x + 6, top, widths[c], rowHeight), Qt::AlignVCenter | Qt::AlignLeft, heads[c]);
        x += widths[c];
    }
    p.setFont(font(13));
    double y = top + rowHeight;
    for (const auto &row : rows) {
        if (row.selected)
            p.fillRect(QRectF(left, y, width, rowHeight), QColor(178, 227, 246));
        p.setPen(QPen(QColor(225, 225, 225), 1));
        p.drawLine(QPointF(left, y + rowHeight), QPointF(left + width, y + rowHeight));
        p.setPen(kText);
        const QStringList cells{QString::number(row.lane), QString::number(row.band), QString::number(row.volume),
                                QString::number(row.percent, 'f', 1)};
        x = left;
        for (int c = 0; c < cells.size(); ++c) {
            p.drawText(QRectF(x + 6, y, widths[c], rowHeight), Qt::AlignVCenter | Qt::AlignLeft, cells[c]);
            x += widths[c];
        }
        y += rowHeight;
    }

    // The bar chart of the selected rows, on its "Vol." tab.
    const QRectF chart(300, 60, 240, 210);
    const QStringList tabs{QStringLiteral("Vol."), QStringLiteral("Lane%"), QStringLiteral("Norm.")};
    for (int t = 0; t < tabs.size(); ++t) {
        const QRectF tab(chart.left() + t * 72, 20, 68, 28);
        p.setPen(QPen(kBlue, 1));
        p.setBrush(t == 0 ? kBlue : Qt::white);
        p.drawRoundedRect(tab, 6, 6);
        p.setPen(t == 0 ? Qt::white : kBlue);
        p.setFont(font(13, t == 0));
        p.drawText(tab, Qt::AlignCenter, tabs[t]);
    }
    p.setPen(QPen(kGrey, 1));
    p.drawLine(chart.bottomLeft(), chart.bottomRight());
    p.drawLine(chart.bottomLeft(), chart.topLeft());
    int bar = 0;
    for (const auto &row : rows) {
        if (!row.selected)
            continue;
        const double h = chart.height() * 0.9 * row.volume / 3200.0;
        const QRectF rect(chart.left() + 24 + bar * 72, chart.bottom() - h, 44, h);
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawRoundedRect(rect.adjusted(0, 0, 0, 4), 4, 4);
        p.fillRect(QRectF(rect.left(), chart.bottom() - 2, rect.width(), 2), kBlue);
        p.setPen(kText);
        p.setFont(font(11));
        p.drawText(QRectF(rect.left() - 10, chart.bottom() + 4, rect.width() + 20, 16), Qt::AlignCenter,
                   QStringLiteral("%1-%2").arg(row.lane).arg(row.band));
        ++bar;
    }
    p.setPen(kGrey);
    p.setFont(font(12));
    p.drawText(QRectF(300, 292, 250, 30), Qt::AlignLeft | Qt::TextWordWrap,
               QStringLiteral("Selected rows, as lane-band"));
    return image;
}

const QList<QPair<QString, std::function<QImage()>>> &pictures()
{
    static const QList<QPair<QString, std::function<QImage()>>> list{
        {QStringLiteral("lane2.png"), lanes},           {QStringLiteral("bg2.png"), background},
        {QStringLiteral("band2.png"), bands},           {QStringLiteral("mw2.png"), molecularWeight},
        {QStringLiteral("norm2.png"), normalization},   {QStringLiteral("summary2.png"), summary},
    };
    return list;
}

} // namespace

QStringList names()
{
    QStringList list;
    for (const auto &entry : pictures())
        list << entry.first;
    return list;
}

QImage paint(const QString &inName)
{
    for (const auto &entry : pictures()) {
        if (entry.first == inName)
            return entry.second();
    }
    return QImage();
}

} // namespace HelpPictures
