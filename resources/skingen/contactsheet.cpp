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

} // namespace

QImage renderContactSheet(const QList<SkinEntry> &entries, const QString &imageFolder, QString *error)
{
    const int rows = int((entries.size() + kColumns - 1) / kColumns);
    const int cellHeight = kTileHeight + kLabelHeight;
    QImage sheet(kColumns * kCellWidth + 2 * kMargin, rows * cellHeight + 2 * kMargin, QImage::Format_RGB32);
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
    return sheet;
}
