#pragma once

#include <QColor>
#include <QList>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QVector>
#include <QWidget>

class KyBandList;
class KyDocument;
class QPainter;

// The intensity profile of one lane of the current document for up to three channels: the curve,
// its background, the bands as tinted areas with peak lines, brackets and numbers, a grid and the
// axes. It reads the document at every paint and keeps no copy of the data. The graph zooms
// vertically and is dragged up and down; scrolled() reports the end of a drag so that a second graph
// can follow through dataToView() and ensureVisible().
class KyProfileGraphView : public QWidget
{
    Q_OBJECT

public:
    explicit KyProfileGraphView(QWidget *parent = nullptr);
    ~KyProfileGraphView() override;

    // 0..2 shows that channel, any other value is a mask (bit i: channel i; -1 shows all three).
    // Nothing happens when both are unchanged, unless the selection is -1.
    void refresh(int inChannels, int inLane);
    int channelSelection() const { return mChannels; }
    int lane() const { return mLane; }

    void setZoom(double inZoom);
    double zoom() const { return mZoomV; }
    void setHideBackground(bool inHide) { mHideBackground = inHide; }
    QPoint scrollOffset() const { return mOffset; }

    // The data point (millimetres, intensity) at the plot's bottom-left corner.
    QPointF dataToView() const;
    // Scrolls so that the data point lies at the plot's bottom-left corner, within the bounds.
    void ensureVisible(const QPointF &inPoint);
    void viewPointToData(const QPoint &inPoint, double &outX, double &outY) const;

    // The graph as the clipboard gets it: widget size, RGB888.
    QImage renderImage() const;
    void copyToClipboard();

    // Tick values over [a, b] at scale s: none for an empty or non-finite range.
    static QList<double> ticks(double inA, double inB, double inScale);

    QRect plotRect() const;

    static QColor curveColor(int inChannel);
    static QColor bandColor(int inChannel);
    static QColor backgroundColor(int inChannel);

signals:
    void scrolled();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    struct Ranges
    {
        double xMm = 0.0;     // axes and grid: 0 .. xMm millimetres
        int points = 0;       // curves and bands: 0 .. points
        double yMax = 0.0;    // drawing and mapping: 0 .. yMax
        double zoom = 1.0;    // the vertical zoom drawing and mapping use
        bool valid = false;
    };

    bool showsChannel(int inChannel) const;
    Ranges ranges(KyDocument *inDocument) const;
    QRect virtualPlot(double inZoom) const;
    QPoint mapToView(double inX, double inY, double inX1, double inY1, double inZoom) const;
    void ScrollBy(int inDx, int inDy);
    void draw(QPainter &ioPainter) const;
    void drawLine(QPainter &ioPainter, const QVector<double> &inValues, const QColor &inColor,
                  const Ranges &inRanges) const;
    void drawBands(QPainter &ioPainter, const QVector<double> &inCurve, const QVector<double> &inBackground,
                   const KyBandList &inBands, const QColor &inColor, int inChannel, const Ranges &inRanges) const;
    void drawGrid(QPainter &ioPainter, const Ranges &inRanges) const;
    void drawAxes(QPainter &ioPainter, const Ranges &inRanges, const QString &inYTitle) const;

    int mChannels = -1;
    int mLane = -1;
    double mZoomH = 1.0;
    double mZoomV = 1.0;
    QPoint mOffset;
    QPoint mLastPos{-1, -1};
    bool mShowGrid = true;
    bool mHideBackground = false;
};
