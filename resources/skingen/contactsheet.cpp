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

void checkerboard(QPainter &p, const QRect &r)
{
    p.save();
    p.setClipRect(r);
    const int square = 8;
    for (int y = r.top(); y < r.bottom(); y += square)
        for (int x = r.left(); x < r.right(); x += square) {
            const bool dark = ((x - r.left()) / square + (y - r.top()) / square) % 2;
            p.fillRect(QRect(x, y, square, square), dark ? QColor(0xb4, 0xbb, 0xc4) : QColor(0xd2, 0xd7, 0xdd));
        }
    p.restore();
}

} // namespace

QImage renderContactSheet(const QList<SkinEntry> &entries, const QString &imageFolder, QString *error)
{
    const int rows = int((entries.size() + kColumns - 1) / kColumns);
    const int cellHeight = kTileHeight + kLabelHeight;
    QImage sheet(kColumns * kCellWidth + 2 * kMargin, rows * cellHeight + 2 * kMargin, QImage::Format_RGB32);
    sheet.fill(QColor(0xee, 0xf1, 0xf5));
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
        checkerboard(p, tile);
        // Large images are scaled down to the tile; icons are shown at their own size and twice it.
        QSize shown = image.size();
        if (shown.width() > tile.width() - 8 || shown.height() > tile.height() - 8)
            shown.scale(tile.size() - QSize(8, 8), Qt::KeepAspectRatio);
        if (image.width() <= 48 && image.height() <= 48) {
            const QRect one(tile.left() + 10, tile.center().y() - image.height() / 2, image.width(), image.height());
            const QRect two(tile.right() - 10 - 2 * image.width(), tile.center().y() - image.height(),
                            2 * image.width(), 2 * image.height());
            p.drawImage(one, image);
            p.drawImage(two, image);
        } else {
            const QRect target(tile.center().x() - shown.width() / 2, tile.center().y() - shown.height() / 2,
                               shown.width(), shown.height());
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(target, image);
        }
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
