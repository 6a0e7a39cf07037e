#pragma once

#include "widgets/overlapview.h"

#include <QModelIndexList>
#include <QObject>
#include <QPoint>
#include <QPolygon>
#include <QRect>

class KyDocument;
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
    int getMode() const { return mode; }
    // 0..2 one channel; 3 or more a bit mask (bits 0..2), as 0x80 | bits from the screen.
    void setChannelSelection(int inSelection) { channelSelection = inSelection; }
    int getChannelSelection() const { return channelSelection; }
    void setDeleteMode(bool inOn) { deleteMode = inOn; }
    bool isDeleteMode() const { return deleteMode; }
    // Not owned; its picked bands are highlighted in the summary step.
    void setSummaryModel(KyTableModel *inModel) { summaryModel = inModel; }

    void clearSelection();
    void clearCornerSelection();
    bool hasCornerSelection() const { return selectedCorner != 0; }
    int getSelectedLane() const { return selectedLane; }
    int getSelectedBand() const { return selectedBand; }
    int getSelectedCorner() const { return selectedCorner; }
    int getPressedCorner() const { return pressedCorner; }

    void deleteSelectedBand();
    // The four corner handles in widget points (30 x 30 each); null rectangles without a view, a
    // document or lanes.
    void cornerHandleRects(QRect &topLeft, QRect &topRight, QRect &bottomLeft, QRect &bottomRight);

    static bool isChannelSelected(int inSelection, int inChannel);

    // The row of a summary table whose shown cells name the band the overlay reported through
    // selectBandOnSummryView (0-based lane and band, compared with the table's 1-based numbers; with
    // a channel column its text must be inChannelName). -1 when no row does.
    static int summaryRowOf(const QAbstractItemModel *inModel, bool inHasChannelColumn, const QString &inChannelName,
                            int inLaneNo, int inBandNo);

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
    // 1..4 for the handle under a canvas point, 0 for none.
    int cornerAt(const QPoint &inCanvasPoint) const;
    int laneAt(const QPoint &inCanvasPoint) const;
    bool bandAt(const QPoint &inCanvasPoint, int inChannel, int &outLane, int &outBand) const;
    // Distance along the lane from its top edge of the image point, -1 when it has none.
    int positionOnLane(int inLane, const QPoint &inImagePoint) const;
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
