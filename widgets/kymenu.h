#pragma once

#include "widgets/kylabel.h"

#include <QImage>
#include <QList>
#include <QPixmap>
#include <QStringList>
#include <QWidget>

class KyBorderImage;

// The pop-up list of a menu button: fixed-height rows drawn from images, the first and the last row
// turned into scroll arrows when there are more items than rows, a highlight that follows the
// finger, and selected(QString) with the chosen text ("" when the release was off the rows).
class KyMenu : public QWidget
{
    Q_OBJECT

public:
    // A scrolling menu needs an arrow row at each end and at least one item row between them.
    static constexpr int kMinScrollRows = 3;
    static constexpr int kRowHeight = 38;

    // geometry is the button's, in the parent's coordinates; direction 0 opens downwards, 1 upwards.
    KyMenu(QWidget *parent, const QRect &geometry, const QString &selectedText, int direction,
           int maxVisible, KyLabel::ESize textSize);

    void setItems(const QStringList &items);

    // The item shown in the highlighted row, "" when no item row is highlighted.
    QString currentText() const;
    int currentRow() const { return current; }
    int rowCount() const { return rows; }
    int firstItem() const { return first; }
    bool isScrollable() const;
    // The row under a point's y, as a release sees it: -1 above the menu, rowCount() and more
    // below the last row.
    int rowAt(int y) const;

signals:
    void selected(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void buildRows();
    void updateRows();
    void scrollUp();
    void scrollDown();
    void follow(int row);
    void setHighlight(int row, bool on);
    QPixmap rowImage(int row) const;
    int firstItemRow() const { return isScrollable() ? 1 : 0; }
    int lastItemRow() const { return isScrollable() ? rows - 2 : rows - 1; }

    int current = -1;
    QStringList items;
    QImage background;
    QString selectedText;
    int maxVisible = 0;
    int first = 0;
    int rows = 0;
    QList<KyBorderImage *> rowBackgrounds;
    QList<KyLabel *> rowLabels;
    int direction = 0;
    KyLabel::ESize textSize = KyLabel::kSize_Small;
};
