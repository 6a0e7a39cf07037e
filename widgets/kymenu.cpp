#include "widgets/kymenu.h"

#include "platform/logcategories.h"
#include "widgets/kyborderimage.h"
#include "widgets/kyskin.h"
#include "widgets/ninepartimage.h"

#include <QBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>

namespace {

QString skinPath(const char *name)
{
    return QStringLiteral(":/KYParts/Resources/") + QLatin1String(name);
}

} // namespace

KyMenu::KyMenu(QWidget *parent, const QRect &geometry, const QString &selectedText, int direction,
               int maxVisible, KyLabel::ESize textSize)
    : QWidget(parent)
    , selectedText(selectedText)
    , maxVisible(maxVisible)
    , direction(direction)
    , textSize(textSize)
{
    if (direction == 1) {
        background = KySkin::image(skinPath("menu_up.png"));
        move(geometry.topLeft());
    } else {
        background = KySkin::image(skinPath("menu_down.png"));
        move(geometry.bottomLeft() - QPoint(0, 5));
    }
    resize(geometry.width() + 1, 10);
}

bool KyMenu::isScrollable() const
{
    return items.size() > maxVisible;
}

void KyMenu::setItems(const QStringList &list)
{
    items = list;
    buildRows();
}

QString KyMenu::currentText() const
{
    if (current < firstItemRow() || current > lastItemRow())
        return QString();
    return items.value(first + current - firstItemRow());
}

void KyMenu::buildRows()
{
    qDeleteAll(rowBackgrounds);
    rowBackgrounds.clear();
    rowLabels.clear();
    current = -1;

    // A shown-row count below three would leave no item row between the arrows (and 0 rows would
    // divide by zero below).
    rows = isScrollable() ? std::max(maxVisible, kMinScrollRows) : int(items.size());
    const int height = rows * kRowHeight;
    resize(width(), height);
    if (direction == 1)
        move(x(), y() - (height - 4));
    else
        move(x(), y() + 2);

    for (int i = 0; i < rows; ++i) {
        auto *row = new KyBorderImage(this);
        row->setGeometry(0, i * kRowHeight, width(), kRowHeight);
        row->setMinimumHeight(kRowHeight);
        auto *column = new QVBoxLayout(row);
        const QMargins margins = column->contentsMargins();
        column->setContentsMargins(16, margins.top(), margins.right(), margins.bottom());
        auto *label = new KyLabel(row);
        label->setMinimumHeight(kRowHeight);
        label->setSize(textSize);
        label->setAlignment(Qt::AlignLeft);
        column->addWidget(label);
        row->show();
        rowBackgrounds.append(row);
        rowLabels.append(label);
    }

    if (isScrollable()) {
        rowLabels.first()->setText(QStringLiteral("\u25B2"));
        rowLabels.last()->setText(QStringLiteral("\u25BC"));
        // The button's item is brought into view: at the bottom item row when it lies further down.
        const int selectedIndex = int(items.indexOf(selectedText));
        if (selectedIndex > first + (rows - 3))
            first = selectedIndex - (rows - 3);
    }
    updateRows();
}

void KyMenu::updateRows()
{
    if (rowLabels.size() < rows)
        return;
    for (int r = firstItemRow(); r <= lastItemRow(); ++r) {
        const QString text = items.value(first + r - firstItemRow());
        rowLabels.at(r)->setText(text);
        // After a scroll another item sits in the row that was lit: only the button's item is.
        setHighlight(r, text == selectedText);
        if (text == selectedText)
            current = r;
    }
    if (isScrollable()) {
        rowLabels.first()->setColor(first > 0 ? KyLabel::kColor_Black : KyLabel::kColor_Gray);
        rowLabels.last()->setColor(first < items.size() - rows + 2 ? KyLabel::kColor_Black
                                                                   : KyLabel::kColor_Gray);
    }
}

QPixmap KyMenu::rowImage(int row) const
{
    if (row == 0)
        return QPixmap(skinPath(direction == 1 ? "menu_up_on_top.png" : "menu_down_on_top.png"));
    if (row == rows - 1)
        return QPixmap(skinPath(direction == 1 ? "menu_up_on_bottom.png" : "menu_down_on_bottom.png"));
    if (row > 0 && row < rows)
        return QPixmap(skinPath("menu_on_middle.png"));
    return QPixmap();
}

void KyMenu::setHighlight(int row, bool on)
{
    if (row < 0 || row >= rowBackgrounds.size())
        return;
    KyBorderImage *background = rowBackgrounds.at(row);
    if (on) {
        background->setBorderImage(rowImage(row), 10, 10, 10, 10);
    } else {
        background->setBorderImage(QPixmap(), 10, 10, 10, 10);
        // The current row is the lit one; a row that goes dark stops being current.
        if (row == current)
            current = -1;
    }
    background->update();
}

int KyMenu::rowAt(int y) const
{
    if (y < 0 || rows <= 0)
        return -1;
    // The hit rows leave out the frame's last pixels: a release there is outside every row.
    const int hitHeight = (height() - 8) / rows;
    return hitHeight > 0 ? y / hitHeight : -1;
}

void KyMenu::follow(int row)
{
    if (row == current)
        return;
    setHighlight(current, false);
    setHighlight(row, true);
    current = row;
    update();
}

void KyMenu::scrollUp()
{
    first = std::max(first - 1, 0);
    updateRows();
    setHighlight(0, false);
    update();
}

void KyMenu::scrollDown()
{
    first = std::min(first + 1, int(items.size()) - rows + 2);
    updateRows();
    setHighlight(rows - 1, false);
    update();
}

void KyMenu::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawNinePartImage(&painter, rect(), background, 10, 10, 10, 10);
}

void KyMenu::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    event->accept();
    follow(rowAt(event->position().toPoint().y()));
}

void KyMenu::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton)) {
        event->ignore();
        return;
    }
    event->accept();
    follow(rowAt(event->position().toPoint().y()));
}

void KyMenu::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    const int y = event->position().toPoint().y();
    const int row = rowAt(y);
    current = row;
    qCDebug(lcWidgets, "h;%d, y:%d, ** index:%d", height(), y, row);

    if (row < 0 || row >= rows) {
        emit selected(QString());
        return;
    }
    if (!isScrollable()) {
        emit selected(items.value(first + row));
    } else if (row == 0) {
        scrollUp();
    } else if (row == rows - 1) {
        scrollDown();
    } else {
        emit selected(items.value(first + row - 1));
    }
}

void KyMenu::wheelEvent(QWheelEvent *event)
{
    if (!isScrollable()) {
        event->ignore();
        return;
    }
    event->accept();
    const int steps = event->angleDelta().y() / 8 / 15;
    for (int i = 0; i < steps; ++i)
        scrollUp();
    for (int i = 0; i > steps; --i)
        scrollDown();
}
