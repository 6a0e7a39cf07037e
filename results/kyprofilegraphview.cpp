#include "results/kyprofilegraphview.h"

#include "document/kycurrentdocument.h"
#include "document/kydocument.h"
#include "widgets/copymenu.h"
#include "platform/logcategories.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDebug>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>

namespace {

// The plot's margins inside the widget.
constexpr int kLeft = 55;
constexpr int kTop = 40;
constexpr int kRight = 20;
constexpr int kBottom = 36;

// The intensity axis never runs past the 16-bit range with some room.
constexpr double kYCap = 66000.0;

QPen linePen(const QColor &inColor, Qt::PenStyle inStyle = Qt::SolidLine)
{
    QPen pen(inColor, 1.0, inStyle, Qt::SquareCap, Qt::BevelJoin);
    return pen;
}

int xDecimals(double inMax)
{
    const double m = std::fabs(inMax);
    return m < 20.0 ? 2 : m < 120.0 ? 1 : 0;
}

int yDecimals(double inMax)
{
    const double m = std::fabs(inMax);
    return m < 2.0 ? 3 : m < 20.0 ? 2 : m < 120.0 ? 1 : 0;
}

} // namespace

KyProfileGraphView::KyProfileGraphView(QWidget *parent)
    : QWidget(parent)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(255, 255, 255));
    setPalette(pal);
    setAutoFillBackground(true);
    connect(KyCurrentDocument::instance(), &KyCurrentDocument::documentChanged, this,
            qOverload<>(&QWidget::update));
}

KyProfileGraphView::~KyProfileGraphView() = default;

QColor KyProfileGraphView::curveColor(int inChannel)
{
    static const QColor colors[3] = {QColor(0, 0, 140), QColor(0, 140, 0), QColor(140, 0, 0)};
    return colors[std::clamp(inChannel, 0, 2)];
}

QColor KyProfileGraphView::bandColor(int inChannel)
{
    static const QColor colors[3] = {QColor(0, 0, 190), QColor(0, 190, 0), QColor(190, 0, 0)};
    return colors[std::clamp(inChannel, 0, 2)];
}

QColor KyProfileGraphView::backgroundColor(int inChannel)
{
    static const QColor colors[3] = {QColor(0, 0, 200), QColor(0, 200, 0), QColor(200, 0, 0)};
    return colors[std::clamp(inChannel, 0, 2)];
}

void KyProfileGraphView::refresh(int inChannels, int inLane)
{
    if (inChannels != -1 && inChannels == mChannels && inLane == mLane)
        return;
    mChannels = inChannels;
    mLane = inLane;
    update();
}

bool KyProfileGraphView::showsChannel(int inChannel) const
{
    if (mChannels >= 0 && mChannels <= 2)
        return mChannels == inChannel;
    return (mChannels & (1 << inChannel)) != 0;
}

QRect KyProfileGraphView::plotRect() const
{
    return rect().adjusted(kLeft, kTop, -kRight, -kBottom);
}

QRect KyProfileGraphView::virtualPlot(double inZoom) const
{
    const QRect plot = plotRect();
    return QRect(plot.topLeft(), QSize(int(plot.width() * mZoomH), int(plot.height() * inZoom)));
}

KyProfileGraphView::Ranges KyProfileGraphView::ranges(KyDocument *inDocument) const
{
    Ranges result;
    if (!inDocument || mLane < 0)
        return result;
    double maximum = 0.0;
    for (int c = 0; c < 3; ++c) {
        if (!showsChannel(c))
            continue;
        KyLaneProfiles *profiles = inDocument->LaneProfiles(c);
        if (!profiles)
            continue;
        const QVector<double> raw = profiles->profile(mLane);
        if (raw.isEmpty())
            continue;
        result.points = std::max(result.points, int(raw.size()));
        const QVector<double> values = mHideBackground ? profiles->netProfile(mLane) : raw;
        for (double v : values) {
            if (std::isfinite(v))
                maximum = std::max(maximum, v);
        }
    }
    if (qFuzzyIsNull(maximum))
        maximum = 1.0;
    result.xMm = inDocument->PixelsToMillimetres(result.points);
    if (!std::isfinite(result.xMm))
        result.xMm = 0.0;
    // The points are drawn, and view points read back (the corner the other graph is kept in step
    // with), over the same range.
    if (qFuzzyIsNull(mZoomV)) {
        result.yMax = kYCap;
        result.zoom = 1.0;
    } else {
        result.yMax = std::min(maximum * 1.1, kYCap);
        result.zoom = mZoomV;
    }
    result.valid = true;
    return result;
}

QPoint KyProfileGraphView::mapToView(double inX, double inY, double inX1, double inY1, double inZoom) const
{
    const bool xEmpty = qFuzzyIsNull(inX1);
    const bool yEmpty = qFuzzyIsNull(inY1);
    if (xEmpty && yEmpty)
        return QPoint(0, 0);
    const QRect v = virtualPlot(inZoom);
    const double bottom = v.top() + v.height();
    const double x = xEmpty ? v.left() + v.width() / 2.0 : v.left() + inX * v.width() / inX1;
    const double y = yEmpty ? v.top() + v.height() / 2.0 : bottom - inY * v.height() / inY1;
    return QPoint(int(std::floor(x - mOffset.x() + 0.5)), int(std::floor(y - mOffset.y() + 0.5)));
}

void KyProfileGraphView::viewPointToData(const QPoint &inPoint, double &outX, double &outY) const
{
    qCDebug(lcResults, "viewPointToData(): %d, %d", inPoint.x(), inPoint.y());
    const Ranges r = ranges(KyCurrentDocument::document());
    const QRect v = virtualPlot(r.zoom);
    const QPoint p = inPoint + mOffset;
    outX = qFuzzyIsNull(r.xMm) || v.width() == 0 ? 0.0 : (p.x() - v.left()) * r.xMm / v.width();
    outY = qFuzzyIsNull(r.yMax) || v.height() == 0 ? 0.0 : (v.top() + v.height() - p.y()) * r.yMax / v.height();
    qCDebug(lcResults, "viewPointToData() ->: %g, %g", outX, outY);
}

QPointF KyProfileGraphView::dataToView() const
{
    const QRect plot = plotRect();
    double x = 0.0;
    double y = 0.0;
    viewPointToData(QPoint(plot.left(), plot.top() + plot.height()), x, y);
    return QPointF(x, y);
}

void KyProfileGraphView::ensureVisible(const QPointF &inPoint)
{
    mOffset = QPoint(0, 0);
    const Ranges r = ranges(KyCurrentDocument::document());
    const QPoint v = mapToView(inPoint.x(), inPoint.y(), r.xMm, r.yMax, r.zoom);
    ScrollBy(v.x() - kLeft, v.y() - kTop - plotRect().height());
    update();
}

void KyProfileGraphView::setZoom(double inZoom)
{
    if (qFuzzyCompare(inZoom, mZoomV))
        return;
    if (qFuzzyIsNull(inZoom)) {
        mOffset = QPoint(0, 0);
        mZoomV = 0.0;
        update();
        return;
    }
    const QPointF corner = dataToView();
    // A zoom of 0 is drawn at 1.
    const double old = qFuzzyIsNull(mZoomV) ? 1.0 : mZoomV;
    mOffset.setY(int(mOffset.y() * inZoom / old));
    mZoomV = inZoom;
    ensureVisible(corner);
    update();
}

void KyProfileGraphView::ScrollBy(int inDx, int inDy)
{
    const QRect plot = plotRect();
    const double zoom = qFuzzyIsNull(mZoomV) ? 1.0 : mZoomV;
    const int maxX = std::max(0, int(plot.width() * mZoomH - plot.width()));
    const int maxY = std::max(0, int(plot.height() * zoom - plot.height()));
    const QPoint offset(std::clamp(mOffset.x() + inDx, 0, maxX), std::clamp(mOffset.y() + inDy, 0, maxY));
    if (offset == mOffset)
        return;
    mOffset = offset;
    update();
}

QList<double> KyProfileGraphView::ticks(double inA, double inB, double inScale)
{
    QList<double> result;
    const double m = std::max(std::fabs(inA), std::fabs(inB));
    // An empty or undefined range has no unit to count in, and a scale of 0 no step.
    if (!std::isfinite(m) || m <= 0.0 || !std::isfinite(inScale) || inScale <= 0.0)
        return result;
    const double unit = std::pow(10.0, std::floor(std::log(m) / std::log(10.0)) - 1.0);
    if (!std::isfinite(unit) || unit <= 0.0)
        return result;
    const int hi = int(inB / unit);
    const int lo = int(inA / unit);
    int step = std::max(1, int(5.0 / inScale + 0.5));
    if ((hi - lo) / step < 4 || (hi - lo) / step > 7.0 * inScale) {
        step = 1;
        while ((hi - lo) / step > 7.0 * inScale)
            step *= 2;
    }
    int k = 0;
    while (k > lo)
        k -= step;
    if (k == lo)
        result.append(k * unit);
    for (k += step; k <= hi; k += step)
        result.append(k * unit);
    return result;
}

void KyProfileGraphView::drawLine(QPainter &ioPainter, const QVector<double> &inValues, const QColor &inColor,
                                  const Ranges &inRanges) const
{
    ioPainter.setClipRect(plotRect());
    ioPainter.setPen(linePen(inColor));
    QPolygon line;
    line.reserve(inValues.size());
    for (int i = 0; i < inValues.size(); ++i)
        line.append(mapToView(i, inValues.at(i), inRanges.points, inRanges.yMax, inRanges.zoom));
    ioPainter.drawPolyline(line);
    ioPainter.setClipRect(rect());
}

void KyProfileGraphView::drawBands(QPainter &ioPainter, const QVector<double> &inCurve,
                                   const QVector<double> &inBackground, const KyBandList &inBands,
                                   const QColor &inColor, int inChannel, const Ranges &inRanges) const
{
    const QRect plot = plotRect();
    const int size = int(inCurve.size());
    const int count = inBands.count();
    QColor tint(inColor);
    tint.setAlpha(20);
    auto map = [&](double inX, double inY) {
        return mapToView(inX, inY, inRanges.points, inRanges.yMax, inRanges.zoom);
    };
    for (int b = 0; b < count; ++b) {
        const KyBandInfo band = inBands.band(b);
        // A band may end one past the profile, and the background may be shorter than the curve:
        // read only inside the vector at hand, and leave out a band that lies wholly outside.
        const int first = std::max(0, band.start());
        const int last = std::min(band.end(), size - 1);
        if (size == 0 || first > last)
            continue;

        ioPainter.setClipRect(plot);
        QPolygon area;
        for (int i = first; i <= last; ++i)
            area.append(map(i, inCurve.at(i)));
        for (int i = last; i >= first; --i) {
            const double base = inBackground.isEmpty()
                                    ? 0.0
                                    : inBackground.at(std::min(i, int(inBackground.size()) - 1));
            area.append(map(i, base));
        }
        ioPainter.setPen(linePen(inColor));
        ioPainter.setBrush(QBrush(tint, Qt::SolidPattern));
        ioPainter.drawPolygon(area, Qt::OddEvenFill);
        ioPainter.setBrush(Qt::NoBrush);

        const int peak = std::clamp(band.peak(), 0, size - 1);
        const QPoint top = map(peak, inCurve.at(peak));
        ioPainter.setPen(linePen(inColor, Qt::DotLine));
        ioPainter.drawLine(top, QPoint(top.x(), plot.top() + plot.height()));

        double highest = 0.0;
        for (int i = first; i <= last; ++i)
            highest = std::max(highest, inCurve.at(i));
        const QPoint a = map(band.start(), highest);
        const QPoint bottom = map(band.end(), 0.0);
        ioPainter.setPen(linePen(inColor));
        ioPainter.drawLine(a.x(), a.y(), a.x(), bottom.y());
        ioPainter.drawLine(a.x(), a.y(), bottom.x(), a.y());
        ioPainter.drawLine(bottom.x(), a.y(), bottom.x(), bottom.y());

        const int number = b + 1;
        if (count > 10 && number != 1 && number % 5 != 0)
            continue;
        ioPainter.setClipRect(rect());
        // Centred over the band, and whole where the band is narrower than its number.
        const QRect label(a.x(), plot.top() - 20 - 12 * inChannel, bottom.x() - a.x(), 18);
        ioPainter.drawText(label, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextDontClip, QString::number(number));
    }
    ioPainter.setClipRect(rect());
}

void KyProfileGraphView::drawGrid(QPainter &ioPainter, const Ranges &inRanges) const
{
    const QRect plot = plotRect();
    const int bottom = plot.top() + plot.height();
    ioPainter.setPen(linePen(QColor(200, 200, 200), Qt::DotLine));
    const QList<double> values = ticks(0.0, inRanges.yMax, inRanges.zoom);
    for (double value : values) {
        const int y = mapToView(0.0, value, inRanges.xMm, inRanges.yMax, inRanges.zoom).y();
        if (y >= plot.top() && y <= bottom)
            ioPainter.drawLine(plot.left(), y, plot.left() + plot.width(), y);
    }
}

void KyProfileGraphView::drawAxes(QPainter &ioPainter, const Ranges &inRanges, const QString &inYTitle) const
{
    const QRect plot = plotRect();
    const int bottom = plot.top() + plot.height();
    const int right = plot.left() + plot.width();
    ioPainter.setPen(linePen(Qt::black));
    ioPainter.setFont(QFont(QStringLiteral("Arial"), 9));
    ioPainter.drawRect(plot);

    const int xPlaces = xDecimals(inRanges.xMm);
    for (double value : ticks(0.0, inRanges.xMm, 1.0)) {
        const int x = mapToView(value, 0.0, inRanges.xMm, inRanges.yMax, inRanges.zoom).x();
        if (x < plot.left() || x > right)
            continue;
        ioPainter.drawLine(x, bottom, x, bottom - 8);
        ioPainter.drawText(QRect(x - 100, bottom + 2, 200, 40), Qt::AlignHCenter | Qt::AlignTop,
                           QString::number(value, 'f', xPlaces));
    }
    ioPainter.drawText(QRect(right - 200, bottom + 16, 200, 30), Qt::AlignRight | Qt::AlignTop, tr("Distance (mm)"));

    const int yPlaces = yDecimals(inRanges.yMax);
    for (double value : ticks(0.0, inRanges.yMax, inRanges.zoom)) {
        const int y = mapToView(0.0, value, inRanges.xMm, inRanges.yMax, inRanges.zoom).y();
        if (y < plot.top() || y > bottom)
            continue;
        ioPainter.drawLine(plot.left(), y, plot.left() + 8, y);
        ioPainter.drawText(QRect(plot.left() - 202, y - 20, 200, 40), Qt::AlignRight | Qt::AlignVCenter,
                           QString::number(value, 'f', yPlaces));
    }
    ioPainter.drawText(QRect(5, plot.top() - 34, plot.left() - 7, 30), Qt::AlignRight | Qt::AlignBottom, inYTitle);
}

void KyProfileGraphView::draw(QPainter &ioPainter) const
{
    ioPainter.fillRect(rect(), QColor(255, 255, 255));
    KyDocument *document = KyCurrentDocument::document();
    if (mLane < 0 || !document)
        return;
    const Ranges r = ranges(document);
    if (mShowGrid)
        drawGrid(ioPainter, r);
    ioPainter.setFont(QFont(QStringLiteral("Arial"), 9));
    const QVector<QVector<KyBandList>> &bands = document->Bands();
    for (int c = 0; c < 3; ++c) {
        if (!showsChannel(c))
            continue;
        KyLaneProfiles *profiles = document->LaneProfiles(c);
        if (!profiles || profiles->profile(mLane).isEmpty())
            continue;
        const QVector<double> curve = mHideBackground ? profiles->netProfile(mLane) : profiles->profile(mLane);
        QVector<double> background;
        if (!mHideBackground) {
            background = profiles->background(mLane);
            if (!background.isEmpty())
                drawLine(ioPainter, background, backgroundColor(c), r);
        }
        drawLine(ioPainter, curve, curveColor(c), r);
        if (c < bands.size() && mLane < bands.at(c).size() && bands.at(c).at(mLane).count() > 0)
            drawBands(ioPainter, curve, background, bands.at(c).at(mLane), bandColor(c), c, r);
    }
    drawAxes(ioPainter, r, document->HasODParameter() ? tr("OD") : tr("Intensity"));
}

QImage KyProfileGraphView::renderImage() const
{
    QImage image(size(), QImage::Format_RGB888);
    image.fill(Qt::white);
    QPainter painter(&image);
    draw(painter);
    return image;
}

void KyProfileGraphView::copyToClipboard()
{
    QApplication::clipboard()->setImage(renderImage(), QClipboard::Clipboard);
}

void KyProfileGraphView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    draw(painter);
}

void KyProfileGraphView::mousePressEvent(QMouseEvent *event)
{
    mLastPos = event->position().toPoint();
}

void KyProfileGraphView::mouseReleaseEvent(QMouseEvent *)
{
    mLastPos = QPoint(-1, -1);
    emit scrolled();
}

void KyProfileGraphView::mouseMoveEvent(QMouseEvent *event)
{
    if (mLastPos == QPoint(-1, -1))
        return;
    const QPoint position = event->position().toPoint();
    if (position.y() != mLastPos.y())
        ScrollBy(0, mLastPos.y() - position.y());
    mLastPos = position;
}

void KyProfileGraphView::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        copyToClipboard();
        return;
    }
    QWidget::keyPressEvent(event);
}

void KyProfileGraphView::contextMenuEvent(QContextMenuEvent *event)
{
    if (runCopyMenu(this, tr("Copy"), event->globalPos()))
        copyToClipboard();
}
