#pragma once

#include "widgets/overlapview.h"

#include <QModelIndexList>
#include <QObject>
#include <QPoint>
#include <QPolygon>
#include <QRect>

class KyBandInfo;
class KyDocument;
class KyLaneFrame;
class KyImageView;
class KyTableModel;
class QAbstractItemModel;

// The lane analysis of the current document drawn over an image canvas: frame and corner handles,
// lanes with their numbers, the bands of the shown channels, the MW-standard lane, reference marks
// and the bands picked in the summary table. Clicks edit that analysis according to the analysis
// step the overlay is set to (0 lanes, 1 background, 2 bands, 3 MW, 4 normalisation, 5 summary,
// 6 none).
//
// The overlay keeps no document: it reads the current one at every paint and every event, and
// every index it holds is checked by the document's own range tests when it is used.
// Lane and band indexes are 0-based; the summary table shows them 1-based.
class LaneView : public QObject, public OverlapView
{
    Q_OBJECT

public:
    explicit LaneView(KyImageView *view);
    ~LaneView() override;

    void paint(QPainter *painter, double scale) override;
    bool onMousePress(const QPoint &imagePoint) override;
    bool onMouseMove(const QPoint &imagePoint) override;
    bool onMouseRelease(const QPoint &imagePoint) override;

    // Drops the lane and band selection and repaints when the step differs.
    void setMode(int inMode);
    int currentMode() const { return mode; }
    // 0..2 one channel; 3 or more a bit mask (bits 0..2), as 0x80 | bits from the screen.
    void setChannelSelection(int inSelection) { channelSelection = inSelection; }
    int currentChannelSelection() const { return channelSelection; }
    void setDeleteMode(bool inOn) { deleteMode = inOn; }
    bool isDeleteMode() const { return deleteMode; }
    // Not owned; its picked bands are highlighted in the summary step.
    void setSummaryModel(KyTableModel *inModel) { summaryModel = inModel; }

    void clearSelection();
    void clearCornerSelection();
    bool hasCornerSelection() const { return selectedCorner != 0; }
    int selectedLaneIndex() const { return selectedLane; }
    int selectedBandIndex() const { return selectedBand; }
    int selectedCornerIndex() const { return selectedCorner; }
    int pressedCornerIndex() const { return pressedCorner; }

    void deleteSelectedBand();
    // The four corner handles in widget points (30 x 30 each); null rectangles without a view, a
    // document or lanes.
    void cornerHandleRects(QRect &topLeft, QRect &topRight, QRect &bottomLeft, QRect &bottomRight);

    static bool isChannelSelected(int inSelection, int inChannel);

    // The row of a summary table model (the summary table's columns for the document) that shows the
    // band this overlay reports through selectBandOnSummryView: lane and band are 0-based here and
    // 1-based in the table, and with a "Channel" column its text is the document's name of ch. -1
    // when no row does, or without a model or a document.
    static int summaryRowOf(const QAbstractItemModel *inModel, const KyDocument *inDocument, int ch, int laneNo,
                            int bandNo);

signals:
    void laneChanged();
    void laneCornerSelectionChanged(bool isSelected);
    void selectBandOnSummryView(int ch, int laneNo, int bandNo);
    void MWStandardLaneChanged();

public slots:
    void moveSelectedCorner(QPoint inMovePoint);
    void selectBandModify(int length);
    void selectBandMove(int length);
    void summaryTableChanged(QModelIndexList selectList);

private:
    void repaint();
    // 1..4 for the handle whose hit area holds a canvas point, 0 for none.
    int cornerAt(const QPoint &inCanvasPoint) const;
    int laneAt(const QPoint &inCanvasPoint) const;
    // The first band of channel inChannel's lists whose outline holds a canvas point.
    bool bandAt(const QPoint &inCanvasPoint, int inChannel, int &outLane, int &outBand) const;
    // Distance from the lane's top edge of an image point, along the lane; -1 when it has none.
    int positionOnLane(int inLane, const QPoint &inImagePoint) const;
    // A band's outline (closed) and peak point in canvas points; false when the lane has no length or
    // the band lies wholly off it.
    bool bandGeometry(const KyLaneFrame &inFrame, int inLane, const KyBandInfo &inBand, QPolygon &outOutline,
                      QPoint &outPeak) const;
    void paintBands(QPainter *painter, KyDocument *inDocument, int inLane);

    int pressedCorner;
    int selectedCorner;
    int selectedLane;
    int selectedBand;
    QPoint lastPoint;
    bool deleteMode;
    int mode;
    int channelSelection;
    KyTableModel *summaryModel;
};
