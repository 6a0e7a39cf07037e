#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QSize>
#include <QTimer>
#include <QWidget>

class KyButton;
class OverlapView;
class QPainter;

// The image canvas: one image fitted to the widget and optionally magnified, panned by dragging,
// by the wheel and by four arrow buttons, with overlays drawn over it that get its mouse input
// first, newest first.
//
// Three coordinate systems: widget points; image points (pixel column and row of the image); and
// canvas points, the grid of the scaled image with its origin at the image's top-left corner. The
// scroll offset is the canvas point at the widget's top-left corner: widget = canvas - offset.
// When the scaled image fits, centring makes the offset zero or negative.
class KyImageView : public QWidget
{
    Q_OBJECT

public:
    explicit KyImageView(QWidget *parent = nullptr);
    ~KyImageView() override;

    // Keeps offset and magnification; call fitToWindow() afterwards for a fitted new image.
    void setImage(const QImage &newImage);
    // Keeps the magnification and does not repaint by itself.
    void clear();
    // The new scale, or 0.0 (and no change) without an image.
    double fitToWindow();
    // Ignored without an image and for anything but a finite positive factor.
    void setMagnification(double factor);
    void setScale(double newScale);
    double scale() const;
    int imageWidth() const { return image.width(); }
    int imageHeight() const { return image.height(); }

    void centerOn(const QPoint &imagePoint);
    QPoint imageCenter() const;
    bool isInsideImage(const QPoint &imagePoint) const;

    void setSmoothTransform(bool on);
    void showArrows();
    void hideArrows();
    void setCopyEnabled(bool on) { copyEnabled = on; }
    bool isCopyEnabled() const { return copyEnabled; }
    // Puts the whole scaled image with the visible overlays on the clipboard. Without an image, or
    // when the copy cannot be allocated, the clipboard keeps what it holds.
    void copyToClipboard();

    // Called by OverlapView's constructor and destructor only.
    void addOverlay(OverlapView *overlay);
    void removeOverlay(OverlapView *overlay);

    QPoint mapToImage(int x, int y) const;
    QPoint mapToImage(const QPoint &widgetPoint) const;
    // Image point to canvas point.
    QPoint mapFromImage(int x, int y) const;
    QPoint mapFromImage(const QPoint &imagePoint) const;
    QPoint mapToWidget(const QPoint &imagePoint) const;
    int lengthToCanvas(int length) const;
    int lengthToImage(int length) const;
    QSize sizeToImage(const QSize &size) const;

public slots:
    // The fit-to-window scale; 1.0 without an image or with a widget side of one pixel or less.
    double baseMagnification() const;

signals:
    // A click that no overlay took, in image points.
    void clicked(QPoint pt);
    // After an arrow-button pan and after a pan drag; topLeft is the offset.
    void scrolled(QPoint topLeft);
    void resized();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private slots:
    void onUp();
    void onDown();
    void onLeft();
    void onRight();
    void onBackTimer();
    void onInertiaTimer();
    void scrollTo(QPoint pos);

private:
    enum class MouseHook { Press, Move, Release };

    int scaledWidth() const;
    int scaledHeight() const;
    // The rectangle the whole image is drawn into, in canvas points (one pixel more each way than
    // the scaled size, as the corners span it).
    QRect imageCanvasRect() const;
    // The largest scroll offsets: the widget's last column (row) shows the drawn image's last one,
    // as the fitted view does.
    int maxScrollX() const { return imageCanvasRect().width() - width(); }
    int maxScrollY() const { return imageCanvasRect().height() - height(); }
    KyButton *makeArrow(const char *iconName, void (KyImageView::*slot)());
    void placeArrows();
    void updateArrows();
    void scrollBy(int dx, int dy);
    // Offers the event to the enabled overlays, newest first; true when one took it.
    bool offerToOverlays(MouseHook hook, const QPoint &widgetPoint);
    // The common drawing of the widget and of the clipboard copy: the painter comes in untranslated
    // and leaves translated by -offset. On the widget the image comes from the scaled cache.
    void drawContents(QPainter &painter, bool fromCache);
    // Scales the part of the image around the visible part into the cache when the cache does not
    // cover it at the current scale.
    void updateScaledCache(const QRect &visibleCanvasRect);
    void dropScaledCache();

    bool copyEnabled;
    QImage image;
    double magnification;
    QPoint offset;
    QPoint centerPoint;
    bool arrowsEnabled;
    bool smooth;
    bool pressed;
    bool dragging;
    QPoint pressPos;
    QPoint pressOffset;
    KyButton *upButton;
    KyButton *downButton;
    KyButton *leftButton;
    KyButton *rightButton;
    QTimer backTimer;
    QTimer inertiaTimer;
    QPoint lastMovePos;
    QElapsedTimer lastMoveTime;
    QList<OverlapView *> overlays;

    // A scaled copy of the part of the image around the visible part, in canvas points.
    QImage scaledCache;
    QRect scaledCacheRect;
    double scaledCacheScale = 0.0;
    bool scaledCacheSmooth = false;
};
