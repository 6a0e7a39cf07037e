#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>

// A panel that paints one small skin stretched to its size as a nine-part image. The backdrop of
// buttons, menus, the scroll bar, the value picker and the text area.
class KyBorderImage : public QWidget
{
    Q_OBJECT
    // Writes only store the value (forms set them one by one): the next paint uses them.
    Q_PROPERTY(QPixmap mPixmap READ pixmap WRITE setMPixmap)
    Q_PROPERTY(int mBorderLeft MEMBER mBorderLeft)
    Q_PROPERTY(int mBorderRight MEMBER mBorderRight)
    Q_PROPERTY(int mBorderTop MEMBER mBorderTop)
    Q_PROPERTY(int mBorderBottom MEMBER mBorderBottom)
    Q_PROPERTY(bool mClickable MEMBER mClickable)

public:
    explicit KyBorderImage(QWidget *parent = nullptr);
    KyBorderImage(QWidget *parent, const QPixmap &pixmap, int left, int right, int top, int bottom);

    // Note the order: left, right, top, bottom. Does not repaint.
    void setBorderImage(const QPixmap &pixmap, int left, int right, int top, int bottom);

    const QPixmap &pixmap() const { return mPixmap; }
    void setMPixmap(const QPixmap &pixmap);
    bool isClickable() const { return mClickable; }
    void setClickable(bool on) { mClickable = on; }

    void drawBorderImage(QPainter *painter, const QRect &rect);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QPixmap mPixmap;
    // The pixmap as the nine-part drawing reads it, converted once per picture: behind the busy
    // view the picture is a snapshot of the whole window, painted at every spinner frame.
    QImage mImage;
    int mBorderLeft = 0;
    int mBorderTop = 0;
    int mBorderRight = 0;
    int mBorderBottom = 0;
    bool mClickable = false;
};
