#include "skinpainter.h"

#include "glyphs.h"

#include <QFileInfo>
#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

// The program's look: a light window, white panels with hairline grey borders, one blue for
// what is chosen or pressed. Pressed states are clearly darker than normal ones, disabled states
// clearly paler.
const QColor kWindow(0xee, 0xf1, 0xf5);
const QColor kPanel(0xff, 0xff, 0xff);
const QColor kLine(0xc8, 0xcf, 0xd9);
const QColor kLineLight(0xd6, 0xdb, 0xe2);
const QColor kInk(0x2b, 0x34, 0x40);
const QColor kInkGrey(0x8a, 0x94, 0xa3);
const QColor kFaded(0xb8, 0xc0, 0xcb);
const QColor kBlue(0x2f, 0x6f, 0xd6);
const QColor kBlueBorder(0x28, 0x5f, 0xb8);
const QColor kBluePressed(0x1d, 0x4b, 0x94);
const QColor kBluePressedBorder(0x17, 0x3d, 0x7a);
const QColor kBlueFaded(0xb4, 0xc9, 0xec);
const QColor kBlueTint(0xe0, 0xeb, 0xfc);
const QColor kGrey(0xe4, 0xe8, 0xee);
const QColor kGreyBorder(0xc0, 0xc8, 0xd2);
const QColor kGreyPressed(0x6b, 0x76, 0x85);
const QColor kGreyPressedBorder(0x5a, 0x64, 0x72);
const QColor kDisabledFill(0xf7, 0xf8, 0xfa);
const QColor kRed(0xc9, 0x4a, 0x4a);
const QColor kWhite(0xff, 0xff, 0xff);

enum class State { Normal, Pressed, Disabled, On, Off, Active, Inactive };

// Splits a state ending off the stem. The misspelt endings are part of the resource names the
// code loads and mean the same states.
State takeState(QString *stem)
{
    static const QList<QPair<QString, State>> endings = {
        {QStringLiteral("_pressed"), State::Pressed},   {QStringLiteral("_prossed"), State::Pressed},
        {QStringLiteral("_disabled"), State::Disabled}, {QStringLiteral("_desabled"), State::Disabled},
        {QStringLiteral("_disable"), State::Disabled},  {QStringLiteral("_normal"), State::Normal},
        {QStringLiteral("_inactive"), State::Inactive}, {QStringLiteral("_active"), State::Active},
        {QStringLiteral("_on"), State::On},             {QStringLiteral("_off"), State::Off},
    };
    for (const auto &[ending, state] : endings) {
        if (stem->endsWith(ending)) {
            stem->chop(ending.size());
            return state;
        }
    }
    return State::Normal;
}

struct Look
{
    QColor fill;
    QColor border;
    QColor ink;
};

enum class ButtonType { Gray, Blue, White };

Look buttonLook(ButtonType type, State state)
{
    switch (type) {
    case ButtonType::Gray:
        if (state == State::Pressed)
            return {kGreyPressed, kGreyPressedBorder, kWhite};
        if (state == State::Disabled)
            return {kDisabledFill, kLineLight, kFaded};
        return {kGrey, kGreyBorder, kInk};
    case ButtonType::Blue:
        if (state == State::Pressed)
            return {kBluePressed, kBluePressedBorder, kWhite};
        if (state == State::Disabled)
            return {kBlueFaded, kBlueFaded.darker(106), kWhite};
        return {kBlue, kBlueBorder, kWhite};
    case ButtonType::White:
        if (state == State::Pressed)
            return {kBlue, kBlueBorder, kWhite};
        if (state == State::Disabled)
            return {kDisabledFill, kLineLight, kFaded};
        return {kPanel, kLine, kBlue};
    }
    return {};
}

// A filled rounded rectangle whose one-pixel border lies on whole pixels, so that a nine-part
// stretch of its edges stays sharp.
void panel(QPainter &p, const QRectF &outer, qreal radius, const QColor &fill, const QColor &border,
           qreal borderWidth = 1.0)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const qreal half = borderWidth / 2;
    const QRectF r = outer.adjusted(half, half, -half, -half);
    p.setPen(border.isValid() ? QPen(border, borderWidth) : QPen(Qt::NoPen));
    p.setBrush(fill);
    p.drawRoundedRect(r, radius, radius);
    p.restore();
}

// A rounded rectangle with only some corners rounded (for segmented buttons, tabs, menus).
QPainterPath partlyRounded(const QRectF &r, qreal radius, bool topLeft, bool topRight, bool bottomRight,
                           bool bottomLeft)
{
    QPainterPath path;
    const qreal d = 2 * radius;
    path.moveTo(r.left() + (topLeft ? radius : 0), r.top());
    if (topRight) {
        path.lineTo(r.right() - radius, r.top());
        path.arcTo(QRectF(r.right() - d, r.top(), d, d), 90, -90);
    } else {
        path.lineTo(r.topRight());
    }
    if (bottomRight) {
        path.lineTo(r.right(), r.bottom() - radius);
        path.arcTo(QRectF(r.right() - d, r.bottom() - d, d, d), 0, -90);
    } else {
        path.lineTo(r.bottomRight());
    }
    if (bottomLeft) {
        path.lineTo(r.left() + radius, r.bottom());
        path.arcTo(QRectF(r.left(), r.bottom() - d, d, d), 270, -90);
    } else {
        path.lineTo(r.bottomLeft());
    }
    if (topLeft) {
        path.lineTo(r.left(), r.top() + radius);
        path.arcTo(QRectF(r.left(), r.top(), d, d), 180, -90);
    } else {
        path.lineTo(r.topLeft());
    }
    path.closeSubpath();
    return path;
}

void fillPath(QPainter &p, const QPainterPath &path, const QColor &fill, const QColor &border,
              qreal borderWidth = 1.0)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(border.isValid() ? QPen(border, borderWidth) : QPen(Qt::NoPen));
    p.setBrush(fill);
    p.drawPath(path);
    p.restore();
}

QRectF inner(const QImage &image, qreal border = 1.0)
{
    const qreal half = border / 2;
    return QRectF(image.rect()).adjusted(half, half, -half, -half);
}

// A centred square of the given share of the image's smaller side.
QRectF centredSquare(const QRectF &area, qreal side)
{
    return QRectF(area.center().x() - side / 2, area.center().y() - side / 2, side, side);
}

void typeButton(QImage &image, ButtonType type, State state, qreal radius)
{
    QPainter p(&image);
    const Look look = buttonLook(type, state);
    panel(p, image.rect(), radius, look.fill, look.border);
}

// Segments of a row of channel buttons: only the outer ends are rounded. "on" is the chosen
// channel (blue text on a blue tint), "off" the others.
void selectionSegment(QImage &image, const QString &position, State state)
{
    QPainter p(&image);
    const bool left = position == QLatin1String("left");
    const bool right = position == QLatin1String("right");
    Look look{kPanel, kLine, kInk};
    qreal width = 1.0;
    if (state == State::On) {
        look = {kBlueTint, kBlue, kBlue};
        width = 2.0;
    } else if (state == State::Disabled) {
        look = {kDisabledFill, kLineLight, kFaded};
    }
    const QPainterPath path = partlyRounded(inner(image, width), 4, left, right, right, left);
    fillPath(p, path, look.fill, look.border, width);
}

// The see-through buttons that float over the image: frosted white at rest, a deeper shade when
// pressed.
void floatingButton(QImage &image, bool pressed, bool blue, qreal radius)
{
    QPainter p(&image);
    if (pressed && blue)
        panel(p, image.rect(), radius, kBlue, kBlueBorder);
    else if (pressed)
        panel(p, image.rect(), radius, QColor(0x9a, 0xa5, 0xb4, 225), QColor(0x6b, 0x76, 0x85, 230));
    else
        panel(p, image.rect(), radius, QColor(255, 255, 255, 215), QColor(0x9a, 0xa5, 0xb4, 200));
}

void indicator(QImage &image, bool radio, bool checked, State state)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box = centredSquare(image.rect(), image.width() * 0.72);
    const bool pressed = state == State::Pressed;
    const bool disabled = state == State::Disabled;
    if (!checked) {
        const QColor fill = disabled ? kDisabledFill : pressed ? kGrey.darker(112) : kPanel;
        const QColor border = disabled ? kLineLight : pressed ? kGreyPressed : kLine.darker(115);
        if (radio) {
            p.setPen(QPen(border, 1.5));
            p.setBrush(fill);
            p.drawEllipse(box.adjusted(0.75, 0.75, -0.75, -0.75));
        } else {
            panel(p, box, 4, fill, border, 1.5);
        }
        return;
    }
    const QColor colour = disabled ? kBlueFaded : pressed ? kBluePressed : kBlue;
    if (radio) {
        p.setPen(QPen(colour, 2.0));
        p.setBrush(disabled ? kDisabledFill : kPanel);
        p.drawEllipse(box.adjusted(1, 1, -1, -1));
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawEllipse(box.center(), box.width() * 0.24, box.width() * 0.24);
    } else {
        panel(p, box, 4, colour, colour, 1.0);
        drawGlyph(p, Glyph::Check, box.adjusted(2, 2, -2, -2), kWhite);
    }
}

// The closed menu button: a field whose right part (its right border) holds the drop-down mark.
void dropdown(QImage &image, State state, bool fixed)
{
    QPainter p(&image);
    Look look{kPanel, kLine, kBlue};
    if (fixed)
        look = {kDisabledFill, kLine, kInkGrey};
    else if (state == State::Pressed)
        look = {QColor(0xc9, 0xd8, 0xf2), kBlue, kBluePressed};
    else if (state == State::Disabled)
        look = {kDisabledFill, kLineLight, kFaded};
    panel(p, image.rect(), 4, look.fill, look.border);
    if (fixed)
        return;
    const qreal markCentre = image.width() - 20;
    p.setPen(QPen(look.border == kBlue ? kBlue : kLineLight, 1));
    p.drawLine(QPointF(image.width() - 39.5, 8), QPointF(image.width() - 39.5, image.height() - 8));
    drawGlyph(p, Glyph::ChevronDown, QRectF(markCentre - 10, image.height() / 2.0 - 10, 20, 20), look.ink);
}

// The open drop-down: square on the side that touches the button.
void menuFrame(QImage &image, bool opensDown)
{
    QPainter p(&image);
    const QPainterPath path = partlyRounded(inner(image), 6, !opensDown, !opensDown, opensDown, opensDown);
    fillPath(p, path, kPanel, kLine);
}

void menuHighlight(QImage &image, bool roundTop, bool roundBottom)
{
    QPainter p(&image);
    const QRectF r = QRectF(image.rect()).adjusted(1, 1, -1, -1);
    fillPath(p, partlyRounded(r, 5, roundTop, roundTop, roundBottom, roundBottom), kBlueTint, QColor());
    // A blue mark at the row's start tells the highlighted row apart also where the tint is faint.
    p.fillRect(QRectF(1, roundTop ? 6 : 1, 3, image.height() - (roundTop ? 7 : 1) - (roundBottom ? 6 : 1)), kBlue);
}

// Tabs: rounded on the side away from the page they sit on; the chosen tab is white with a blue
// edge, the others grey.
void tab(QImage &image, bool on, bool atBottom, qreal radius)
{
    QPainter p(&image);
    const QRectF r = inner(image);
    const QPainterPath path = partlyRounded(r, radius, !atBottom, !atBottom, atBottom, atBottom);
    fillPath(p, path, on ? kPanel : kGrey, on ? kLine : kGreyBorder);
    if (on) {
        const qreal y = atBottom ? image.height() - 4 : 1;
        p.fillRect(QRectF(radius, y, image.width() - 2 * radius, 3), kBlue);
    }
}

void pickerButton(QImage &image, const QString &orientation, bool plus, State state)
{
    QPainter p(&image);
    const Look look = buttonLook(ButtonType::White, state);
    panel(p, image.rect(), 6, look.fill, look.border);
    Glyph glyph;
    if (orientation == QLatin1String("vertical"))
        glyph = plus ? Glyph::ChevronUp : Glyph::ChevronDown;
    else
        glyph = plus ? Glyph::Plus : Glyph::Minus;
    drawGlyph(p, glyph, centredSquare(image.rect(), 26), look.ink);
}

void scrollPart(QImage &image, const QString &part, State state)
{
    QPainter p(&image);
    const bool pressed = state == State::Pressed;
    if (part == QLatin1String("track")) {
        panel(p, image.rect(), 6, kWindow, kLineLight);
    } else if (part == QLatin1String("slider")) {
        panel(p, QRectF(image.rect()).adjusted(4, 2, -4, -2), 5, pressed ? kGreyPressed : QColor(0xb3, 0xbc, 0xc8),
              QColor());
    } else {
        panel(p, image.rect(), 6, pressed ? QColor(0xc4, 0xcc, 0xd7) : kWindow, pressed ? kGreyBorder : kLineLight);
        const Glyph glyph = part == QLatin1String("btn_up") ? Glyph::ChevronUp : Glyph::ChevronDown;
        drawGlyph(p, glyph, centredSquare(image.rect(), 18), pressed ? kInk : kInkGrey);
    }
}

// Framed panels (message box, overlays, the analysis screen's frames): white, a hairline border,
// and where the frame has a title area, a pale band above a divider that lies inside the top border.
void framedPanel(QImage &image, qreal radius, int headerHeight, const QColor &fill = kPanel)
{
    QPainter p(&image);
    panel(p, image.rect(), radius, fill, kLine);
    if (headerHeight <= 0)
        return;
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath header = partlyRounded(QRectF(1, 1, image.width() - 2, headerHeight - 1), radius - 1, true, true,
                                        false, false);
    p.fillPath(header, QColor(0xf3, 0xf6, 0xfb));
    p.fillRect(QRectF(1, headerHeight, image.width() - 2, 1), kLineLight);
}

struct Panel
{
    qreal radius;
    // Height of the title band; it ends inside the frame's top border width.
    int header;
    QColor fill = kPanel;
};

const QHash<QString, Panel> &panels()
{
    static const QHash<QString, Panel> table = {
        {QStringLiteral("message_box"), {10, 56}},    // top border 60
        {QStringLiteral("overlay_window"), {10, 45}}, // top border 49
        {QStringLiteral("back_busy"), {9, 0}},        // borders 10
        {QStringLiteral("frame2"), {10, 0}},
        {QStringLiteral("frame_image"), {10, 74}},    // top border 80
        {QStringLiteral("frame_image2"), {8, 46}},    // top border 50
        {QStringLiteral("back_imageTool"), {10, 74}}, // top border 80
        {QStringLiteral("back_analyzeMode"), {8, 0, QColor(0xf7, 0xf8, 0xfa)}},
    };
    return table;
}

void opening(QImage &image)
{
    // The opening page stretches this picture as a nine-part image with borders of 700 (left), 50
    // (right), 590 (top) and 5 (bottom): the columns from 700 on and the rows from 590 on are drawn
    // stretched. They hold nothing but the sky's top-to-bottom fade and the flat floor, so that the
    // picture looks the same at any window size; the circles stay in the part drawn as it is.
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const int horizon = 586;
    QLinearGradient sky(0, 0, 0, horizon);
    sky.setColorAt(0, QColor(0xf7, 0xf9, 0xfc));
    sky.setColorAt(1, QColor(0xdf, 0xe7, 0xf2));
    p.fillRect(QRect(0, 0, image.width(), horizon), sky);
    p.fillRect(QRect(0, horizon + 4, image.width(), image.height() - horizon - 4), QColor(0xdf, 0xe7, 0xf2));
    const struct { QPointF centre; qreal radius; int alpha; } circles[] = {
        {{430, 200}, 230, 22}, {{600, 440}, 95, 26}, {{125, 465}, 105, 16}};
    p.setClipRect(QRect(0, 0, 700, horizon));
    p.setPen(Qt::NoPen);
    for (const auto &c : circles) {
        QColor colour = kBlue;
        colour.setAlpha(c.alpha);
        p.setBrush(colour);
        p.drawEllipse(c.centre, c.radius, c.radius);
    }
    p.setClipping(false);
    p.fillRect(QRectF(0, horizon, image.width(), 4), kBlue);
}

// The product picture: an upright imaging cabinet with a display, a door and the blue band.
void product(QImage &image)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = image.width();
    const qreal h = image.height();
    QRadialGradient shadow(QPointF(w / 2, h - 18), w * 0.45);
    shadow.setColorAt(0, QColor(0, 0, 0, 60));
    shadow.setColorAt(1, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawEllipse(QPointF(w / 2, h - 18), w * 0.45, 14);

    const QRectF body(22, 16, w - 44, h - 46);
    QLinearGradient metal(body.topLeft(), body.topRight());
    metal.setColorAt(0, QColor(0xe9, 0xed, 0xf2));
    metal.setColorAt(0.5, QColor(0xfa, 0xfb, 0xfc));
    metal.setColorAt(1, QColor(0xd6, 0xdc, 0xe4));
    p.setPen(QPen(QColor(0x9a, 0xa5, 0xb4), 1.5));
    p.setBrush(metal);
    p.drawRoundedRect(body, 18, 18);

    const QRectF display(body.left() + 26, body.top() + 30, body.width() - 52, 74);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawRoundedRect(display, 8, 8);
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(display.left() + 12, display.top() + 14, display.width() * 0.55, 6), 3, 3);
    p.setBrush(QColor(0x7f, 0xa8, 0xea));
    p.drawRoundedRect(QRectF(display.left() + 12, display.top() + 28, display.width() * 0.35, 6), 3, 3);

    const QRectF door(body.left() + 18, body.top() + 130, body.width() - 36, 210);
    p.setPen(QPen(QColor(0xaa, 0xb3, 0xbf), 1.5));
    p.setBrush(QColor(0xe3, 0xe8, 0xee));
    p.drawRoundedRect(door, 10, 10);
    p.setPen(QPen(QColor(0x8a, 0x94, 0xa3), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(door.right() - 18, door.top() + 70), QPointF(door.right() - 18, door.top() + 140));

    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawRect(QRectF(body.left() + 1, body.bottom() - 40, body.width() - 2, 12));
    p.setBrush(QColor(0x6b, 0x76, 0x85));
    p.drawRoundedRect(QRectF(body.left() + 14, body.bottom(), 26, 10), 3, 3);
    p.drawRoundedRect(QRectF(body.right() - 40, body.bottom(), 26, 10), 3, 3);
}

// The step bar's "back" and "forward" buttons point the way they go; the point lies in the
// wide border so it keeps its shape when the button is stretched.
void stepButton(QImage &image, bool back, State state)
{
    QPainter p(&image);
    const Look look = state == State::Pressed ? Look{kBlue, kBlueBorder, kWhite} : Look{kPanel, kLine, kBlue};
    const qreal w = image.width() - 0.5;
    const qreal h = image.height() - 0.5;
    const qreal point = 26;
    QPolygonF shape;
    if (back)
        shape << QPointF(0.5, h / 2 + 0.25) << QPointF(point, 0.5) << QPointF(w, 0.5) << QPointF(w, h)
              << QPointF(point, h);
    else
        shape << QPointF(0.5, 0.5) << QPointF(w - point, 0.5) << QPointF(w, h / 2 + 0.25) << QPointF(w - point, h)
              << QPointF(0.5, h);
    QPainterPath path;
    path.addPolygon(shape);
    path.closeSubpath();
    fillPath(p, path, look.fill, look.border);
}

struct IconRule
{
    Glyph glyph;
    // The colour of the plain (normal) image: blue on light buttons, white on the blue ones.
    QColor normal;
};

const QHash<QString, IconRule> &iconRules()
{
    static const QHash<QString, IconRule> rules = {
        {QStringLiteral("icon_arrow_up"), {Glyph::ArrowUp, kBlue}},
        {QStringLiteral("icon_arrow_down"), {Glyph::ArrowDown, kBlue}},
        {QStringLiteral("icon_arrow_left"), {Glyph::ArrowLeft, kBlue}},
        {QStringLiteral("icon_arrow_right"), {Glyph::ArrowRight, kBlue}},
        {QStringLiteral("icon_keyboard_left"), {Glyph::KeyLeft, kBlue}},
        {QStringLiteral("icon_keyboard_right"), {Glyph::KeyRight, kBlue}},
        // The image tool palette's buttons keep the default blue type: white icons.
        {QStringLiteral("icon_zoom"), {Glyph::Zoom, kWhite}},
        {QStringLiteral("icon_intensity"), {Glyph::Intensity, kWhite}},
        {QStringLiteral("icon_range"), {Glyph::Contrast, kWhite}},
        {QStringLiteral("icon_pos_neg"), {Glyph::PositiveNegative, kWhite}},
        // Shown on the dark pressed grey of the palette's placeholder button.
        {QStringLiteral("icon_tools"), {Glyph::Tools, kWhite}},
        {QStringLiteral("icon_delete"), {Glyph::Delete, kRed}},
        {QStringLiteral("icon_print"), {Glyph::Print, kBlue}},
        {QStringLiteral("icon_trp_image_S"), {Glyph::Picture, kBlue}},
        {QStringLiteral("icon_trp_graph_S"), {Glyph::Profile, kBlue}},
        {QStringLiteral("icon_trp_lumi_S"), {Glyph::Contrast, kBlue}},
        {QStringLiteral("icon_trp_lumi_L"), {Glyph::Contrast, kBlue}},
        {QStringLiteral("icon_trp_viewTool_L"), {Glyph::Tools, kBlue}},
        {QStringLiteral("icon_trp_zoom_minus_S"), {Glyph::ZoomOut, kBlue}},
        {QStringLiteral("icon_trp_zoom_minus_L"), {Glyph::ZoomOut, kBlue}},
        {QStringLiteral("icon_trp_zoom_plus_S"), {Glyph::ZoomIn, kBlue}},
        {QStringLiteral("icon_trp_zoom_plus_L"), {Glyph::ZoomIn, kBlue}},
        {QStringLiteral("icon_rotate_l"), {Glyph::RotateLeft, kBlue}},
        {QStringLiteral("icon_rotate_r"), {Glyph::RotateRight, kBlue}},
        {QStringLiteral("icon_contrast_low_left"), {Glyph::ContrastLowLeft, kBlue}},
        {QStringLiteral("icon_contrast_low_right"), {Glyph::ContrastLowRight, kBlue}},
        {QStringLiteral("icon_contrast_high_left"), {Glyph::ContrastHighLeft, kBlue}},
        {QStringLiteral("icon_contrast_high_right"), {Glyph::ContrastHighRight, kBlue}},
        {QStringLiteral("icon_tool_display"), {Glyph::Display, kBlue}},
        {QStringLiteral("icon_tool_zoom"), {Glyph::Zoom, kBlue}},
        {QStringLiteral("icon_tool_contrast"), {Glyph::Contrast, kBlue}},
        {QStringLiteral("icon_tool_intensity"), {Glyph::Intensity, kBlue}},
        {QStringLiteral("icon_analysis_lane"), {Glyph::Lanes, kInk}},
        {QStringLiteral("icon_analysis_bg"), {Glyph::Background, kInk}},
        {QStringLiteral("icon_analysis_band"), {Glyph::Bands, kInk}},
        {QStringLiteral("icon_analysis_mw"), {Glyph::MolecularWeight, kInk}},
        {QStringLiteral("icon_analysis_norm"), {Glyph::Normalize, kInk}},
        {QStringLiteral("icon_analysis_summary"), {Glyph::Summary, kInk}},
        {QStringLiteral("ico_folderopen"), {Glyph::FolderOpen, kBlue}},
        {QStringLiteral("ico_close"), {Glyph::Close, kBlue}},
        {QStringLiteral("ico_info"), {Glyph::Info, kBlue}},
        {QStringLiteral("ico_save"), {Glyph::Save, kBlue}},
        {QStringLiteral("ico_print"), {Glyph::Print, kBlue}},
        {QStringLiteral("ico_copy"), {Glyph::Copy, kBlue}},
    };
    return rules;
}

QColor iconColour(const QString &stem, const IconRule &rule, State state)
{
    const bool step = stem.startsWith(QLatin1String("icon_analysis_"));
    switch (state) {
    case State::Normal:
    case State::Active:
        return rule.normal;
    case State::Pressed:
        // Step buttons are checked on a pale blue tint; every other pressed skin is dark.
        return step ? kBlue : kWhite;
    case State::Disabled:
        return kFaded;
    case State::Inactive:
        return QColor(0xb7, 0xbf, 0xca);
    case State::Off:
        // A step not yet visited is grey; tool tabs that are not chosen show the plain icon.
        return step ? kInkGrey : rule.normal;
    case State::On:
        // A visited step is dark; a chosen tool tab is blue, so its icon turns white.
        return step ? rule.normal : kWhite;
    }
    return rule.normal;
}

// Every icon leaves a small margin so that neighbouring icons never touch.
QRectF iconBox(const QImage &image)
{
    const qreal side = qMin(image.width(), image.height());
    return centredSquare(image.rect(), side - qMax<qreal>(2, side / 12));
}

} // namespace

QImage SkinPainter::paint(const QString &path, const QSize &size, QString *error)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const QString name = QFileInfo(path).completeBaseName();
    QString stem = name;
    const State state = takeState(&stem);

    static const QHash<QString, ButtonType> types = {{QStringLiteral("btn_gray"), ButtonType::Gray},
                                                     {QStringLiteral("btn_blue"), ButtonType::Blue},
                                                     {QStringLiteral("btn_white"), ButtonType::White}};
    const bool program = path.startsWith(QLatin1String(":/Kestova/"));

    if (name == QLatin1String("overlay_window_bg_cover")) {
        // White at alpha 199 of 255: the veil laid over the screen behind an overlay.
        image.fill(QColor(255, 255, 255, 199));
    } else if (types.contains(stem)) {
        typeButton(image, types.value(stem), state, 7);
    } else if (name == QLatin1String("btn_grey_pressed")) {
        typeButton(image, ButtonType::Gray, State::Pressed, 10);
    } else if (stem == QLatin1String("btn_close")) {
        QPainter p(&image);
        const Look look = buttonLook(ButtonType::Gray, state == State::Pressed ? State::Pressed : State::Normal);
        panel(p, image.rect(), 4, state == State::Pressed ? look.fill : kPanel, look.border);
        drawGlyph(p, Glyph::Close, centredSquare(image.rect(), 26), state == State::Pressed ? kWhite : kInk);
    } else if (stem.startsWith(QLatin1String("btn_selection_"))) {
        selectionSegment(image, stem.mid(14), state);
    } else if (stem == QLatin1String("btn_trp") && program) {
        // The image view's tool buttons: "btn_trp" at rest, "btn_trp_on" pressed or checked, with
        // white icons on it.
        floatingButton(image, state == State::On, true, 8);
    } else if (stem == QLatin1String("btn_trp")) {
        // The canvas's arrow buttons take "_on" as their normal image and "_off" as the pressed
        // one; their blue arrows must show on both.
        floatingButton(image, state == State::Off, false, 10);
    } else if (stem == QLatin1String("btn_toggle_white")) {
        QPainter p(&image);
        const Look look = buttonLook(ButtonType::White, state == State::On ? State::Pressed : State::Normal);
        panel(p, image.rect(), 4, look.fill, look.border);
    } else if (stem == QLatin1String("checkbox") || stem == QLatin1String("radiobutton")
               || stem.startsWith(QLatin1String("checkbox_")) || stem.startsWith(QLatin1String("radiobutton_"))) {
        // "checkbox_on_pressed": the state ending came off first, the check state is left.
        QString base = stem;
        const State check = takeState(&base);
        const bool checked = check == State::On || (check == State::Normal && state == State::On);
        const State look = (state == State::On || state == State::Off) ? State::Normal : state;
        indicator(image, base == QLatin1String("radiobutton"), checked, look);
    } else if (stem == QLatin1String("dropdown")) {
        dropdown(image, state, false);
    } else if (name == QLatin1String("dropdown_fixed")) {
        dropdown(image, State::Normal, true);
    } else if (name == QLatin1String("menu_down") || name == QLatin1String("menu_up")) {
        menuFrame(image, name == QLatin1String("menu_down"));
    } else if (name.startsWith(QLatin1String("menu_")) && name.contains(QLatin1String("_on_"))) {
        // Rows of a menu that opens downwards touch the button at the top: only its bottom row is
        // rounded; a menu that opens upwards the other way round.
        const bool down = name.startsWith(QLatin1String("menu_down"));
        const bool up = name.startsWith(QLatin1String("menu_up"));
        const bool top = name.endsWith(QLatin1String("_top"));
        const bool bottom = name.endsWith(QLatin1String("_bottom"));
        menuHighlight(image, up && top, down && bottom);
    } else if (stem == QLatin1String("tab") || stem == QLatin1String("tab_secondary")
               || stem == QLatin1String("tab_small")) {
        tab(image, state == State::On, stem == QLatin1String("tab_secondary"), stem == QLatin1String("tab_small") ? 6 : 8);
    } else if (name == QLatin1String("value_picker")) {
        QPainter p(&image);
        panel(p, image.rect(), 6, kPanel, kLine);
    } else if (stem.startsWith(QLatin1String("value_picker_"))) {
        const QStringList parts = stem.split(QLatin1Char('_')); // value picker <orientation> btn <plus|minus>
        if (parts.size() != 5) {
            *error = QStringLiteral("%1: unknown value picker button").arg(path);
            return {};
        }
        pickerButton(image, parts.at(2), parts.at(4) == QLatin1String("plus"), state);
    } else if (stem.startsWith(QLatin1String("scroll_"))) {
        scrollPart(image, stem.mid(7), state);
    } else if (name == QLatin1String("textarea")) {
        QPainter p(&image);
        panel(p, image.rect(), 6, kPanel, kLine);
    } else if (name == QLatin1String("progressbar_back")) {
        QPainter p(&image);
        panel(p, image.rect(), 8, kGrey, kLineLight);
    } else if (name == QLatin1String("progressbar_bar")) {
        QPainter p(&image);
        panel(p, image.rect(), 8, kBlue, kBlueBorder);
    } else if (panels().contains(name)) {
        const Panel &frame = panels()[name];
        framedPanel(image, frame.radius, frame.header, frame.fill);
    } else if (name.startsWith(QLatin1String("icon_busy_"))) {
        bool ok = false;
        const int frame = name.mid(10).toInt(&ok);
        if (!ok || frame < 0 || frame > 8) {
            *error = QStringLiteral("%1: busy frames run from 0 to 8").arg(path);
            return {};
        }
        QPainter p(&image);
        drawBusyFrame(p, frame, image.rect(), kBlue);
    } else if (name == QLatin1String("back_opening")) {
        opening(image);
    } else if (name == QLatin1String("BI410")) {
        product(image);
    } else if (stem == QLatin1String("btn_analysis_mode")) {
        QPainter p(&image);
        if (state == State::Pressed)
            panel(p, image.rect(), 4, kBlueTint, kBlue, 2);
        else
            panel(p, image.rect(), 4, kPanel, kLine);
    } else if (stem == QLatin1String("btn_back") || stem == QLatin1String("btn_forward")) {
        stepButton(image, stem == QLatin1String("btn_back"), state);
    } else if (stem == QLatin1String("btn_help")) {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        const bool pressed = state == State::Pressed;
        p.setPen(QPen(pressed ? kBlueBorder : kLine, 1));
        p.setBrush(pressed ? kBlue : kPanel);
        p.drawEllipse(QRectF(image.rect()).adjusted(1.5, 1.5, -1.5, -1.5));
        drawGlyph(p, Glyph::Help, centredSquare(image.rect(), image.width() * 0.62), pressed ? kWhite : kBlue);
    } else if (stem == QLatin1String("btn_image_tool")) {
        QPainter p(&image);
        const Look look = buttonLook(ButtonType::White, state);
        panel(p, image.rect(), 6, look.fill, look.border);
    } else if (iconRules().contains(stem)) {
        const IconRule rule = iconRules().value(stem);
        QPainter p(&image);
        drawGlyph(p, rule.glyph, iconBox(image), iconColour(stem, rule, state));
    } else {
        *error = QStringLiteral("%1: no drawing is known for this name").arg(path);
        return {};
    }
    return image;
}
