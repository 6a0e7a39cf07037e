#include "analysisview/laneview.h"

#include "widgets/kyimageview.h"

LaneView::LaneView(KyImageView *view)
    : QObject(view), OverlapView(view), pressedCorner(0), selectedCorner(0), selectedLane(-1), selectedBand(-1),
      lastPoint(0, 0), deleteMode(false), mode(0), channelSelection(0), summaryModel(nullptr)
{
}

LaneView::~LaneView() = default;

void LaneView::paint(QPainter *, double) {}
bool LaneView::onMousePress(const QPoint &) { return false; }
bool LaneView::onMouseMove(const QPoint &) { return false; }
bool LaneView::onMouseRelease(const QPoint &) { return true; }
void LaneView::setMode(int inMode) { mode = inMode; }
void LaneView::clearSelection() { selectedLane = selectedBand = -1; }
void LaneView::clearCornerSelection() { selectedCorner = 0; }
void LaneView::deleteSelectedBand() {}
void LaneView::cornerHandleRects(QRect &, QRect &, QRect &, QRect &) {}
bool LaneView::isChannelSelected(int, int) { return false; }
int LaneView::summaryRowOf(const QAbstractItemModel *, bool, const QString &, int, int) { return -1; }
void LaneView::moveSelectedCorner(QPoint) {}
void LaneView::selectBandModify(int) {}
void LaneView::selectBandMove(int) {}
void LaneView::summaryTableChanged(QModelIndexList) {}
void LaneView::repaint() {}
int LaneView::cornerAt(const QPoint &) const { return 0; }
int LaneView::laneAt(const QPoint &) const { return -1; }
bool LaneView::bandAt(const QPoint &, int, int &, int &) const { return false; }
int LaneView::positionOnLane(int, const QPoint &) const { return -1; }
void LaneView::paintBands(QPainter *, KyDocument *, int) {}
