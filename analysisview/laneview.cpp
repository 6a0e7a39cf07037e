#include "analysisview/laneview.h"

#include "analysisview/kyanalysistables.h"
#include "document/kycurrentdocument.h"
#include "document/kydocument.h"
#include "platform/logcategories.h"
#include "results/kyresultcolumns.h"
#include "results/kytablemodel.h"
#include "widgets/kyimageview.h"

#include <QAbstractItemModel>
#include <QDebug>
#include <QFont>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// Handles are drawn and hit this far outside their corner, on both axes, away from the frame.
const QPoint kHandleOffsets[4] = {QPoint(-5, -5), QPoint(5, -5), QPoint(-5, 5), QPoint(5, 5)};
constexpr int kHandleHitSize = 30;
constexpr int kHandleRadius = 15;
constexpr int kPressedHandleRadius = 25;

QPoint frameCorner(const KyLaneFrame &inFrame, int inCorner)
{
    switch (inCorner) {
    case 1: return inFrame.topLeft();
    case 2: return inFrame.topRight();
    case 3: return inFrame.bottomLeft();
    default: return inFrame.bottomRight();
    }
}

QRect handleRect(const QPoint &inCorner, int inCornerNo)
{
    const QPoint centre = inCorner + kHandleOffsets[inCornerNo - 1];
    const int half = kHandleHitSize / 2;
    return QRect(centre - QPoint(half, half), QSize(kHandleHitSize, kHandleHitSize));
}

// The image offset of a position along a lane whose left side runs (dx, dy) over the lane length.
QPoint laneOffset(qint64 inPosition, qint64 inDx, qint64 inDy, int inLength)
{
    return QPoint(int(std::floor(double(inPosition * inDx) / inLength + 0.5)),
                  int(std::floor(double(inPosition * inDy) / inLength + 0.5)));
}

// The bands of several channels are told apart by colour: blue, green and red channel.
QColor channelColor(int inChannel)
{
    switch (inChannel) {
    case 0: return QColor(Qt::cyan);
    case 1: return QColor(Qt::green);
    default: return QColor(Qt::red);
    }
}

} // namespace

LaneView::LaneView(KyImageView *view)
    : QObject(view), OverlapView(view), pressedCorner(0), selectedCorner(0), selectedLane(-1), selectedBand(-1),
      lastPoint(0, 0), deleteMode(false), mode(0), channelSelection(0), summaryModel(nullptr)
{
}

// The base unregisters from the view.
LaneView::~LaneView() = default;

void LaneView::repaint()
{
    if (view)
        view->update();
}

void LaneView::setMode(int inMode)
{
    if (inMode == mode)
        return;
    mode = inMode;
    selectedLane = -1;
    selectedBand = -1;
    repaint();
}

void LaneView::clearSelection()
{
    selectedLane = -1;
    selectedBand = -1;
}

void LaneView::clearCornerSelection()
{
    if (selectedCorner == 0)
        return;
    selectedCorner = 0;
    emit laneCornerSelectionChanged(false);
}

bool LaneView::isChannelSelected(int inSelection, int inChannel)
{
    if (inSelection >= 3 && inChannel >= 0 && inChannel <= 2)
        return (inSelection & (1 << inChannel)) != 0;
    return inSelection == inChannel;
}

void LaneView::deleteSelectedBand()
{
    KyDocument *doc = KyCurrentDocument::document();
    if (channelSelection >= 3 || !doc || (selectedLane == -1 && selectedBand == -1))
        return;
    // HasBands rather than Bands(): a stale selection must not rebuild the profiles.
    if (doc->HasBands() && doc->RemoveBand(channelSelection, selectedLane, selectedBand)) {
        selectedLane = -1;
        selectedBand = -1;
    }
    repaint();
}

void LaneView::cornerHandleRects(QRect &topLeft, QRect &topRight, QRect &bottomLeft, QRect &bottomRight)
{
    topLeft = topRight = bottomLeft = bottomRight = QRect();
    const KyDocument *doc = KyCurrentDocument::document();
    if (!view || !doc || doc->LaneFrame().isEmpty())
        return;
    const KyLaneFrame &frame = doc->LaneFrame();
    QRect *rects[4] = {&topLeft, &topRight, &bottomLeft, &bottomRight};
    for (int corner = 1; corner <= 4; ++corner)
        *rects[corner - 1] = handleRect(view->mapToWidget(frameCorner(frame, corner)), corner);
}

int LaneView::summaryRowOf(const QAbstractItemModel *inModel, const KyDocument *inDocument, int ch, int laneNo,
                           int bandNo)
{
    if (!inModel || !inDocument)
        return -1;
    const bool channelColumn = !KyResultColumns::hidesChannelColumn(inDocument);
    const int laneColumn = channelColumn ? 1 : 0;
    const QString channelName = channelColumn ? inDocument->ChannelName(ch) : QString();
    // The table numbers lanes and bands from 1, as the overlay's labels do.
    const int shownLane = laneNo + 1;
    const int shownBand = bandNo + 1;
    const int rows = inModel->rowCount();
    for (int row = 0; row < rows; ++row) {
        bool laneOk = false;
        bool bandOk = false;
        const int lane = inModel->index(row, laneColumn).data().toString().toInt(&laneOk);
        const int band = inModel->index(row, laneColumn + 1).data().toString().toInt(&bandOk);
        if (!laneOk || !bandOk || lane != shownLane || band != shownBand)
            continue;
        if (channelColumn && inModel->index(row, 0).data().toString() != channelName)
            continue;
        return row;
    }
    return -1;
}

// ---- Geometry ------------------------------------------------------------------------------------

bool LaneView::bandGeometry(const KyLaneFrame &inFrame, int inLane, const KyBandInfo &inBand, QPolygon &outOutline,
                            QPoint &outPeak) const
{
    const int length = inFrame.laneLength(inLane);
    if (length < 1)
        return false;
    // Positions come from detection, edits and stored text alike; keep them on the lane as the
    // profile graph keeps them on the profile (a band may end at the lane's far end), and leave out a
    // band that lies wholly off it.
    const int start = std::max(0, inBand.start());
    const int end = std::min(inBand.end(), length);
    if (start > end)
        return false;
    const int peak = std::clamp(inBand.peak(), 0, length);

    const QVector<QPoint> polygon = inFrame.lanePolygon(inLane);
    const QPoint p0 = polygon.at(0);
    const QPoint p1 = polygon.at(1);
    const qint64 dx = qint64(polygon.at(2).x()) - p0.x();
    const qint64 dy = qint64(polygon.at(2).y()) - p0.y();
    const QPoint startOffset = laneOffset(start, dx, dy, length);
    const QPoint endOffset = laneOffset(end, dx, dy, length);
    outOutline = QPolygon({mapToCanvas(p0 + startOffset), mapToCanvas(p1 + startOffset), mapToCanvas(p1 + endOffset),
                           mapToCanvas(p0 + endOffset), mapToCanvas(p0 + startOffset)});
    outPeak = mapToCanvas(inFrame.laneTop(inLane) + laneOffset(peak, dx, dy, length));
    return true;
}

int LaneView::cornerAt(const QPoint &inCanvasPoint) const
{
    const KyDocument *doc = KyCurrentDocument::document();
    if (!doc || doc->LaneFrame().isEmpty())
        return 0;
    const KyLaneFrame &frame = doc->LaneFrame();
    for (int corner = 1; corner <= 4; ++corner) {
        if (handleRect(mapToCanvas(frameCorner(frame, corner)), corner).contains(inCanvasPoint))
            return corner;
    }
    return 0;
}

int LaneView::laneAt(const QPoint &inCanvasPoint) const
{
    const KyDocument *doc = KyCurrentDocument::document();
    if (!doc || doc->LaneFrame().isEmpty())
        return -1;
    const KyLaneFrame &frame = doc->LaneFrame();
    for (int lane = 0; lane < frame.laneCount(); ++lane) {
        const QVector<QPoint> p = frame.lanePolygon(lane);
        const QPolygon outline({mapToCanvas(p[0]), mapToCanvas(p[1]), mapToCanvas(p[3]), mapToCanvas(p[2])});
        if (outline.containsPoint(inCanvasPoint, Qt::OddEvenFill))
            return lane;
    }
    return -1;
}

bool LaneView::bandAt(const QPoint &inCanvasPoint, int inChannel, int &outLane, int &outBand) const
{
    outLane = -1;
    outBand = -1;
    KyDocument *doc = KyCurrentDocument::document();
    if (inChannel >= 3 || inChannel < 0 || !doc || !doc->HasBands())
        return false;
    const QVector<QVector<KyBandList>> &bands = doc->Bands();
    if (inChannel >= bands.size())
        return false;
    const KyLaneFrame &frame = doc->LaneFrame();
    const QVector<KyBandList> &lanes = bands.at(inChannel);
    const int laneCount = std::min(frame.laneCount(), int(lanes.size()));
    for (int lane = 0; lane < laneCount; ++lane) {
        const KyBandList &list = lanes.at(lane);
        for (int k = 0; k < list.count(); ++k) {
            QPolygon outline;
            QPoint peak;
            if (!bandGeometry(frame, lane, list.band(k), outline, peak))
                continue;
            if (outline.containsPoint(inCanvasPoint, Qt::OddEvenFill)) {
                outLane = lane;
                outBand = k;
                return true;
            }
        }
    }
    return false;
}

int LaneView::positionOnLane(int inLane, const QPoint &inImagePoint) const
{
    const KyDocument *doc = KyCurrentDocument::document();
    if (!doc)
        return -1;
    const KyLaneFrame &frame = doc->LaneFrame();
    if (frame.isEmpty() || inLane < 0 || inLane >= frame.laneCount())
        return -1;
    const QVector<QPoint> p = frame.lanePolygon(inLane);
    // The line through the point parallel to the lane's top edge meets the lane's left side.
    const double ux = double(p[1].x()) - p[0].x();
    const double uy = double(p[1].y()) - p[0].y();
    const double vx = double(p[2].x()) - p[0].x();
    const double vy = double(p[2].y()) - p[0].y();
    const double wx = double(inImagePoint.x()) - p[0].x();
    const double wy = double(inImagePoint.y()) - p[0].y();
    const double denominator = vx * uy - vy * ux;
    if (denominator == 0.0)
        return -1;
    const double s = (wx * uy - wy * ux) / denominator;
    const double distance = std::hypot(s * vx, s * vy);
    if (!std::isfinite(distance) || distance > double(std::numeric_limits<int>::max()))
        return -1;
    return int(distance + 0.5);
}

// ---- Painting ------------------------------------------------------------------------------------

void LaneView::paint(QPainter *painter, double)
{
    KyDocument *doc = KyCurrentDocument::document();
    if (!doc || !painter)
        return;
    if (!doc->HasLaneTemplate()) {
        qCDebug(lcAnalysisView) << "no lane";
        return;
    }
    const KyLaneFrame &frame = doc->LaneFrame();
    painter->save();
    QFont font(QStringLiteral("Arial"), 10);
    font.setBold(true);
    painter->setFont(font);

    const QPoint topLeft = mapToCanvas(frame.topLeft());
    const QPoint topRight = mapToCanvas(frame.topRight());
    const QPoint bottomLeft = mapToCanvas(frame.bottomLeft());
    const QPoint bottomRight = mapToCanvas(frame.bottomRight());
    painter->setPen(QPen(kLaneFrameColor, 2));
    painter->setBrush(Qt::NoBrush);
    painter->drawLine(topLeft + QPoint(-1, -1), topRight + QPoint(1, -1));
    painter->drawLine(topRight + QPoint(1, -1), bottomRight + QPoint(1, 1));
    painter->drawLine(bottomRight + QPoint(1, 1), bottomLeft + QPoint(-1, 1));
    painter->drawLine(bottomLeft + QPoint(-1, 1), topLeft + QPoint(-1, -1));

    for (int lane = 0; lane < frame.laneCount(); ++lane) {
        const QVector<QPoint> p = frame.lanePolygon(lane);
        const QPoint p0 = mapToCanvas(p[0]);
        const QPoint p1 = mapToCanvas(p[1]);
        const QPoint p2 = mapToCanvas(p[2]);
        const QPoint p3 = mapToCanvas(p[3]);
        const bool standardLane =
            lane == doc->MWStandardLane() && isChannelSelected(channelSelection, doc->MWStandardChannel());
        if (standardLane) {
            painter->setPen(QPen(kMwLaneLineColor, 0));
            painter->setBrush(QBrush(kMwLaneFillColor, Qt::SolidPattern));
        } else {
            painter->setPen(QPen(kLaneColor, 0));
            painter->setBrush(Qt::NoBrush);
        }
        painter->drawPolygon(QPolygon({p0, p1, p3, p2, p0}), Qt::OddEvenFill);

        const QRect label(p0.x() - 10, (p0.y() + p1.y()) / 2 - 23, p1.x() - p0.x() + 20, 20);
        const QString number = QString::number(lane + 1);
        const int flags = Qt::AlignHCenter | Qt::AlignBottom;
        QRect box;
        painter->drawText(label, flags, number, &box);
        box.moveLeft((box.left() + box.right()) / 2 - 7);
        box.setSize(QSize(15, box.height()));
        if (standardLane) {
            painter->fillRect(box, kLaneFrameColor);
            painter->setPen(QPen(Qt::white));
            painter->drawText(label, flags, number);
        } else {
            painter->fillRect(box, Qt::white);
            painter->setPen(QPen(kLaneFrameColor, 1));
            painter->drawText(label, flags, number);
            painter->drawRect(box);
        }
        // The lane's brush stays: bands of the MW-standard lane are filled like the lane.
        paintBands(painter, doc, lane);
    }

    if (mode == 0) {
        painter->setBrush(QBrush(kMwLaneFillColor, Qt::SolidPattern));
        const QPoint corners[4] = {topLeft, topRight, bottomLeft, bottomRight};
        for (int corner = 1; corner <= 4; ++corner) {
            const int radius = corner == pressedCorner ? kPressedHandleRadius : kHandleRadius;
            painter->setPen(QPen(corner == selectedCorner ? QColor(Qt::red) : kLaneFrameColor, 2));
            painter->drawEllipse(corners[corner - 1] + kHandleOffsets[corner - 1], radius, radius);
        }
    }
    painter->restore();
}

void LaneView::paintBands(QPainter *painter, KyDocument *inDocument, int inLane)
{
    // HasBands first: Bands() would rebuild the profiles of a document that has none.
    if (!inDocument->HasBands())
        return;
    const QVector<QVector<KyBandList>> &bands = inDocument->Bands();
    const KyLaneFrame &frame = inDocument->LaneFrame();
    if (bands.isEmpty() || frame.laneLength(inLane) < 1)
        return;
    for (int c = 0; c < bands.size(); ++c) {
        if (channelSelection <= 2) {
            if (c != channelSelection)
                continue;
            painter->setPen(QPen(kBandColor, 2));
        } else {
            if (c > 2 || !(channelSelection & (1 << c)))
                continue;
            painter->setPen(QPen(channelColor(c), 2));
        }
        const QVector<KyBandList> &lanes = bands.at(c);
        if (inLane >= lanes.size())
            continue;
        const KyBandList &list = lanes.at(inLane);
        for (int k = 0; k < list.count(); ++k) {
            const KyBandInfo band = list.band(k);
            QPolygon outline;
            QPoint peak;
            if (!bandGeometry(frame, inLane, band, outline, peak))
                continue;
            const QPen kept = painter->pen();
            if (band.isNormalizationReference())
                painter->setPen(QPen(Qt::magenta, 2));
            if (mode == 2 && inLane == selectedLane && k == selectedBand && channelSelection <= 2)
                painter->setPen(QPen(kSelectedBandColor, 2));
            if (mode == 5 && summaryModel && summaryModel->isSelected(KyBandKey{c, inLane, k}))
                painter->setPen(QPen(kSelectedBandColor, 3));
            painter->drawPolygon(outline, Qt::OddEvenFill);
            painter->fillRect(QRect(peak - QPoint(1, 1), QSize(3, 3)), painter->pen().color());
            painter->setPen(kept);
        }
    }
}

// ---- Mouse ---------------------------------------------------------------------------------------

bool LaneView::onMousePress(const QPoint &imagePoint)
{
    KyDocument *doc = KyCurrentDocument::document();
    if (!view || !doc)
        return false;
    selectedLane = -1;
    selectedBand = -1;
    const QPoint canvasPoint = mapToCanvas(imagePoint);
    int c = 0;
    bool bandHit = false;
    if ((mode == 2 || mode == 4 || mode == 5) && channelSelection <= 2) {
        c = channelSelection;
        // Bands() builds the lanes on demand: an add needs them.
        if (c >= 0 && c < doc->Bands().size()) {
            bandHit = bandAt(canvasPoint, c, selectedLane, selectedBand);
            repaint();
        }
    }
    if (mode == 3 || (mode == 2 && !bandHit))
        selectedLane = laneAt(canvasPoint);

    if (mode == 5 && bandHit) {
        emit selectBandOnSummryView(c, selectedLane, selectedBand);
        repaint();
        // Not taken: the summary canvas may still pan.
        return false;
    }
    if (mode == 2) {
        if (channelSelection >= 3)
            return false;
        if (deleteMode) {
            if (selectedBand == -1)
                return false;
            deleteSelectedBand();
            return true;
        }
        if (bandHit || selectedLane == -1)
            return false;
        selectedBand = doc->AddBand(c, selectedLane, positionOnLane(selectedLane, imagePoint));
        repaint();
        return true;
    }
    if (mode == 3 && selectedLane != -1) {
        int m = channelSelection;
        // A single image shown with its marker: the ladder is on the marker.
        if ((channelSelection & 1) && (channelSelection & 2) && doc->IsSingleImage() && doc->HasMarker())
            m = 1;
        // A click on the standard lane clears it; the channel to compare is the one a click sets.
        const int channelBefore = doc->MWStandardChannel();
        const int laneBefore = doc->MWStandardLane();
        if (channelBefore == m && laneBefore == selectedLane)
            doc->SetMWStandardLane(-1, -1);
        else
            doc->SetMWStandardLane(m, selectedLane);
        // The document refuses a mask of several channels: then nothing changed to report.
        if (doc->MWStandardChannel() != channelBefore || doc->MWStandardLane() != laneBefore)
            emit MWStandardLaneChanged();
        repaint();
        return true;
    }
    if (mode == 4 && bandHit) {
        KyBandInfo band = doc->Band(channelSelection, selectedLane, selectedBand);
        band.setNormalizationReference(!band.isNormalizationReference());
        doc->ReplaceBand(channelSelection, selectedLane, selectedBand, band);
        doc->ClearReferenceMarks(channelSelection);
        repaint();
        return true;
    }
    if (mode == 0) {
        pressedCorner = selectedCorner = cornerAt(canvasPoint);
        if (pressedCorner != 0) {
            lastPoint = imagePoint;
            repaint();
        }
        emit laneCornerSelectionChanged(selectedCorner != 0);
        return selectedCorner != 0;
    }
    return false;
}

bool LaneView::onMouseMove(const QPoint &imagePoint)
{
    if (mode != 0 || pressedCorner == 0)
        return false;
    moveSelectedCorner(imagePoint - lastPoint);
    lastPoint = imagePoint;
    return true;
}

bool LaneView::onMouseRelease(const QPoint &imagePoint)
{
    pressedCorner = 0;
    if (mode != 0)
        return true;
    selectedCorner = cornerAt(mapToCanvas(imagePoint));
    emit laneChanged();
    emit laneCornerSelectionChanged(selectedCorner != 0);
    repaint();
    return true;
}

// ---- Slots ---------------------------------------------------------------------------------------

void LaneView::moveSelectedCorner(QPoint inMovePoint)
{
    KyDocument *doc = KyCurrentDocument::document();
    if (selectedCorner == 0 || !doc)
        return;
    if (doc->MoveLaneCorner(selectedCorner, inMovePoint))
        repaint();
}

// A button step acts by at least one image pixel, even where the canvas is zoomed out so far that
// the step is less than a pixel of the image.
static int bandStep(int inImageLength, int inLength)
{
    return inImageLength != 0 ? inImageLength : (inLength > 0) - (inLength < 0);
}

void LaneView::selectBandModify(int length)
{
    KyDocument *doc = KyCurrentDocument::document();
    if (channelSelection >= 3 || !doc || selectedLane < 0 || selectedBand < 0)
        return;
    const int d = bandStep(lengthToImage(length), length);
    // BandCount answers -1 for a channel or lane without a list, without rebuilding anything.
    if (selectedBand < doc->BandCount(channelSelection, selectedLane))
        doc->ResizeBand(channelSelection, selectedLane, selectedBand, d);
    repaint();
}

void LaneView::selectBandMove(int length)
{
    KyDocument *doc = KyCurrentDocument::document();
    if (channelSelection >= 3 || !doc || selectedLane < 0 || selectedBand < 0)
        return;
    const int d = bandStep(lengthToImage(length), length);
    if (selectedBand < doc->BandCount(channelSelection, selectedLane))
        doc->MoveBand(channelSelection, selectedLane, selectedBand, d);
    repaint();
}

void LaneView::summaryTableChanged(QModelIndexList)
{
    repaint();
}
