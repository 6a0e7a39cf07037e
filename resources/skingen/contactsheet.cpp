#include "contactsheet.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

namespace {

constexpr int kColumns = 8;
constexpr int kCellWidth = 250;
constexpr int kTileHeight = 170;
constexpr int kLabelHeight = 34;
constexpr int kMargin = 12;

// Every skin is shown twice: on the light window, where most of them are used, and on dark
// slate, where white icons and translucent skins show their edges.
const QColor kLightTile(0xee, 0xf1, 0xf5);
const QColor kDarkTile(0x4a, 0x55, 0x68);

void drawOn(QPainter &p, const QRect &half, const QColor &background, const QImage &image)
{
    p.fillRect(half, background);
    // Icons are doubled so that their lines can be judged; large images shrink to the tile.
    QSizeF shown = image.size();
    if (image.width() <= 48 && image.height() <= 48)
        shown *= 2;
    const QSizeF room = half.size() - QSize(10, 10);
    if (shown.width() > room.width() || shown.height() > room.height())
        shown.scale(room, Qt::KeepAspectRatio);
    const QRectF target(half.center().x() + 0.5 - shown.width() / 2, half.center().y() + 0.5 - shown.height() / 2,
                        shown.width(), shown.height());
    p.drawImage(target.toAlignedRect(), image);
}

// Skins as the controls use them: stretched with their border widths to a typical size, with the
// icon that sits on them, so that pairs that do not go together (a white icon on a white button)
// show at a glance.
struct InUse
{
    const char *background;
    QMargins borders; // left, top, right, bottom, in image pixels
    QSize size;
    const char *icon;
};

const InUse kInUse[] = {
    {":/KYParts/Resources/btn_white.png", {10, 10, 10, 10}, {120, 45}, ":/Kestova/Images/icon_arrow_left.png"},
    {":/KYParts/Resources/btn_white_pressed.png", {10, 10, 10, 10}, {120, 45}, ":/Kestova/Images/icon_arrow_left_pressed.png"},
    {":/KYParts/Resources/btn_white_disabled.png", {10, 10, 10, 10}, {120, 45}, nullptr},
    {":/KYParts/Resources/btn_gray.png", {10, 10, 10, 10}, {120, 45}, ":/KYParts/Resources/icon_keyboard_left.png"},
    {":/KYParts/Resources/btn_gray_pressed.png", {10, 10, 10, 10}, {120, 45}, ":/KYParts/Resources/icon_keyboard_left_pressed.png"},
    {":/KYParts/Resources/btn_gray_disabled.png", {10, 10, 10, 10}, {120, 45}, nullptr},
    {":/KYParts/Resources/btn_blue.png", {10, 10, 10, 10}, {120, 45}, nullptr},
    {":/KYParts/Resources/btn_blue_pressed.png", {10, 10, 10, 10}, {120, 45}, nullptr},
    {":/KYParts/Resources/btn_blue_disabled.png", {10, 10, 10, 10}, {120, 45}, nullptr},
    {":/KYParts/Resources/btn_blue.png", {10, 10, 10, 10}, {111, 101}, ":/KYParts/Resources/icon_zoom.png"},
    {":/KYParts/Resources/btn_grey_pressed.png", {20, 20, 20, 20}, {101, 71}, ":/KYParts/Resources/icon_tools.png"},
    {":/KYParts/Resources/btn_trp_on.png", {0, 0, 0, 0}, {44, 44}, ":/KYParts/Resources/icon_arrow_up.png"},
    {":/KYParts/Resources/btn_trp_off.png", {0, 0, 0, 0}, {44, 44}, ":/KYParts/Resources/icon_arrow_up.png"},
    {":/Kestova/Images/btn_trp.png", {10, 10, 10, 10}, {52, 52}, ":/Kestova/Images/icon_trp_zoom_plus_L.png"},
    {":/Kestova/Images/btn_trp_on.png", {10, 10, 10, 10}, {52, 52}, ":/Kestova/Images/icon_trp_zoom_plus_L_pressed.png"},
    {":/Kestova/Images/btn_toggle_white_off.png", {5, 5, 5, 5}, {42, 42}, ":/Kestova/Images/icon_trp_image_S.png"},
    {":/Kestova/Images/btn_toggle_white_on.png", {5, 5, 5, 5}, {42, 42}, ":/Kestova/Images/icon_trp_image_S_pressed.png"},
    {":/Kestova/Images/btn_analysis_mode.png", {5, 5, 5, 5}, {90, 76}, ":/Kestova/Images/icon_analysis_lane_off.png"},
    {":/Kestova/Images/btn_analysis_mode_pressed.png", {5, 5, 5, 5}, {90, 76}, ":/Kestova/Images/icon_analysis_lane_pressed.png"},
    {":/Kestova/Images/btn_analysis_mode.png", {5, 5, 5, 5}, {90, 76}, ":/Kestova/Images/icon_analysis_lane_on.png"},
    {":/Kestova/Images/btn_image_tool.png", {10, 10, 10, 20}, {54, 64}, ":/Kestova/Images/icon_tool_zoom_off.png"},
    {":/Kestova/Images/btn_image_tool_pressed.png", {10, 10, 10, 20}, {54, 64}, ":/Kestova/Images/icon_tool_zoom_on.png"},
    {":/Kestova/Images/btn_back.png", {28, 1, 10, 1}, {120, 60}, nullptr},
    {":/Kestova/Images/btn_back_pressed.png", {28, 1, 10, 1}, {120, 60}, nullptr},
    {":/Kestova/Images/btn_forward.png", {10, 1, 28, 1}, {120, 60}, nullptr},
    {":/Kestova/Images/btn_help.png", {0, 0, 0, 0}, {42, 42}, nullptr},
    {":/KYParts/Resources/btn_selection_left_on.png", {5, 5, 5, 5}, {105, 45}, nullptr},
    {":/KYParts/Resources/btn_selection_middle_off.png", {5, 5, 5, 5}, {105, 45}, nullptr},
    {":/KYParts/Resources/btn_selection_right_disabled.png", {5, 5, 5, 5}, {105, 45}, nullptr},
    {":/KYParts/Resources/dropdown.png", {10, 5, 50, 5}, {160, 42}, nullptr},
    {":/KYParts/Resources/dropdown_pressed.png", {10, 5, 50, 5}, {160, 42}, nullptr},
    {":/KYParts/Resources/dropdown_fixed.png", {10, 5, 50, 5}, {160, 42}, nullptr},
    {":/KYParts/Resources/tab_on.png", {20, 20, 20, 20}, {120, 56}, nullptr},
    {":/KYParts/Resources/tab_off.png", {20, 20, 20, 20}, {120, 56}, nullptr},
    {":/KYParts/Resources/tab_secondary_on.png", {20, 20, 20, 20}, {120, 56}, nullptr},
    {":/KYParts/Resources/textarea.png", {10, 10, 10, 10}, {240, 40}, nullptr},
    {":/KYParts/Resources/progressbar_back.png", {10, 10, 10, 10}, {240, 24}, nullptr},
    {":/KYParts/Resources/progressbar_bar.png", {10, 10, 10, 10}, {130, 24}, nullptr},
    {":/KYParts/Resources/scroll_track.png", {10, 10, 10, 10}, {30, 200}, nullptr},
    {":/KYParts/Resources/scroll_slider.png", {10, 10, 10, 10}, {30, 70}, nullptr},
    {":/KYParts/Resources/value_picker.png", {10, 10, 10, 10}, {72, 52}, nullptr},
    {":/KYParts/Resources/back_busy.png", {10, 10, 10, 10}, {160, 160}, ":/KYParts/Resources/icon_busy_3.png"},
    {":/KYParts/Resources/message_box.png", {20, 60, 20, 20}, {420, 200}, nullptr},
    {":/KYParts/Resources/overlay_window.png", {19, 49, 19, 19}, {271, 200}, nullptr},
    {":/Kestova/Images/back_analyzeMode.png", {10, 30, 10, 10}, {420, 80}, nullptr},
    {":/Kestova/Images/frame_image.png", {30, 80, 30, 50}, {300, 200}, nullptr},
    {":/Kestova/Images/frame_image2.png", {10, 50, 10, 10}, {300, 160}, nullptr},
    {":/Kestova/Images/back_imageTool.png", {20, 80, 20, 20}, {200, 200}, nullptr},
    {":/Kestova/Images/frame2.png", {20, 20, 20, 20}, {200, 200}, nullptr},
};

// The nine pieces of a skin, each stretched into its part of the target.
void drawNinePart(QPainter &p, const QRect &target, const QImage &image, const QMargins &b)
{
    const int sx[] = {0, b.left(), image.width() - b.right(), image.width()};
    const int sy[] = {0, b.top(), image.height() - b.bottom(), image.height()};
    const int tx[] = {target.left(), target.left() + b.left(), target.right() + 1 - b.right(), target.right() + 1};
    const int ty[] = {target.top(), target.top() + b.top(), target.bottom() + 1 - b.bottom(), target.bottom() + 1};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            const QRect source(sx[column], sy[row], sx[column + 1] - sx[column], sy[row + 1] - sy[row]);
            const QRect to(tx[column], ty[row], tx[column + 1] - tx[column], ty[row + 1] - ty[row]);
            if (source.width() > 0 && source.height() > 0 && to.width() > 0 && to.height() > 0)
                p.drawImage(to, image, source);
        }
}

// Draws the in-use examples from top, flowing left to right; returns the height used.
int drawInUse(QPainter *p, int top, int width, const QString &imageFolder, QString *error)
{
    int x = kMargin;
    int y = top;
    int rowHeight = 0;
    const QFontMetrics metrics(p->font());
    for (const InUse &example : kInUse) {
        QImage background(imageFolder + QString::fromLatin1(example.background).mid(1));
        QImage icon;
        if (example.icon)
            icon.load(imageFolder + QString::fromLatin1(example.icon).mid(1));
        if (background.isNull() || (example.icon && icon.isNull())) {
            *error = QStringLiteral("%1: cannot be read")
                         .arg(QLatin1String(background.isNull() ? example.background : example.icon));
            return -1;
        }
        const int cellWidth = qMax(example.size.width(), 150) + 24;
        const int cellHeight = example.size.height() + 24 + kLabelHeight;
        if (x + cellWidth > width - kMargin) {
            x = kMargin;
            y += rowHeight;
            rowHeight = 0;
        }
        const QRect cell(x, y, cellWidth, cellHeight);
        p->fillRect(cell.adjusted(2, 2, -2, -2), kLightTile);
        const QRect target(QPoint(cell.center().x() - example.size.width() / 2, cell.top() + 12), example.size);
        drawNinePart(*p, target, background, example.borders);
        if (!icon.isNull())
            p->drawImage(QPoint(target.center().x() + 1 - icon.width() / 2, target.center().y() + 1 - icon.height() / 2),
                         icon);
        QString name = QString::fromLatin1(example.background).section(QLatin1Char('/'), -1);
        if (example.icon)
            name += QStringLiteral(" + ") + QString::fromLatin1(example.icon).section(QLatin1Char('/'), -1);
        p->setPen(QColor(0x2b, 0x34, 0x40));
        p->drawText(QRect(cell.left() + 4, target.bottom() + 8, cell.width() - 8, 28), Qt::AlignHCenter | Qt::TextWordWrap,
                    name);
        x += cellWidth;
        rowHeight = qMax(rowHeight, cellHeight);
    }
    return y + rowHeight - top;
}

} // namespace

QImage renderContactSheet(const QList<SkinEntry> &entries, const QString &imageFolder, QString *error)
{
    const int rows = int((entries.size() + kColumns - 1) / kColumns);
    const int cellHeight = kTileHeight + kLabelHeight;
    const int width = kColumns * kCellWidth + 2 * kMargin;
    const int gridHeight = rows * cellHeight + kMargin;
    // Room for the in-use examples below the grid; the sheet is cut to what they take.
    QImage sheet(width, gridHeight + 3000, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    p.setFont(font);
    const QFontMetrics metrics(font);

    for (int i = 0; i < entries.size(); ++i) {
        const SkinEntry &entry = entries.at(i);
        const QString file = imageFolder + entry.path.mid(1);
        QImage image;
        if (!image.load(file)) {
            *error = QStringLiteral("%1: cannot be read").arg(file);
            return {};
        }
        const QRect cell(kMargin + (i % kColumns) * kCellWidth, kMargin + (i / kColumns) * cellHeight, kCellWidth,
                         cellHeight);
        const QRect tile = cell.adjusted(4, 4, -4, -kLabelHeight);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        drawOn(p, QRect(tile.left(), tile.top(), tile.width() / 2, tile.height()), kLightTile, image);
        drawOn(p, QRect(tile.left() + tile.width() / 2, tile.top(), tile.width() - tile.width() / 2, tile.height()),
               kDarkTile, image);
        const QString name = entry.path.section(QLatin1Char('/'), -1);
        const QString folder = entry.path.section(QLatin1Char('/'), 1, 1);
        p.setPen(QColor(0x2b, 0x34, 0x40));
        p.drawText(QRect(cell.left() + 4, tile.bottom() + 3, cell.width() - 8, 14), Qt::AlignLeft | Qt::AlignVCenter,
                   metrics.elidedText(name, Qt::ElideMiddle, cell.width() - 8));
        p.setPen(QColor(0x8a, 0x94, 0xa3));
        p.drawText(QRect(cell.left() + 4, tile.bottom() + 17, cell.width() - 8, 14), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("%1  %2 x %3").arg(folder).arg(image.width()).arg(image.height()));
    }

    QFont heading = font;
    heading.setPixelSize(16);
    heading.setBold(true);
    p.setFont(heading);
    p.setPen(QColor(0x2b, 0x34, 0x40));
    p.drawText(QRect(kMargin, gridHeight + 10, width - 2 * kMargin, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("In use: stretched with their border widths, with their icons"));
    p.setFont(font);
    const int used = drawInUse(&p, gridHeight + 40, width, imageFolder, error);
    if (used < 0)
        return {};
    p.end();
    return sheet.copy(0, 0, width, gridHeight + 40 + used + kMargin);
}
