#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QValueAxis>

class KySelectedModel;
class QChart;
class QVBarModelMapper;

// Keeps a bar series, a category axis and a value axis on a chart filled from the selected-rows
// model: one bar per picked row, its height from one numeric column, its label from the channel,
// lane and band. Everything is rebuilt whenever the model changes.
//
// Bar-set columns are model columns counted with the "Channel" column (0 "Channel" .. 7 "Rf").
class KyBarChartCtrl : public QObject
{
    Q_OBJECT

public:
    KyBarChartCtrl(KySelectedModel *inModel, QChart *inChart, int inFirstColumn, int inLastColumn,
                   QObject *parent = nullptr);
    explicit KyBarChartCtrl(QObject *parent = nullptr);
    ~KyBarChartCtrl() override;

    void setModel(KySelectedModel *inModel);
    void setBarSetColumns(int inFirst, int inLast);
    void setChart(QChart *inChart);

    QBarSeries *series() const { return mSeries; }
    QBarCategoryAxis *xAxis() const { return mXAxis; }
    QValueAxis *yAxis() const { return mYAxis; }

    static QColor barColor();

    // One label per row: "<channel initial>-<lane>-<band>", or "<lane>-<band>" without the channel
    // column. Labels that would be equal are kept apart by trailing invisible characters, since the
    // category axis drops repeated categories and the bars would then carry the wrong labels.
    static QStringList categoryLabels(const KySelectedModel &inModel);

    // The value axis's label format for ticks inTickInterval apart from 0: thousands grouped, and
    // as many decimals as the ticks need, none for whole numbers ("3,000,000", "0.5", "0.25").
    static QString valueLabelFormat(double inTickInterval);

private slots:
    void SelectChanged();

private:
    void init();
    void styleAxes();
    void attachToChart();
    void rebuildSeries();
    // Takes inOld off the chart and deletes it; puts inNew on the chart and the series.
    template<typename Axis>
    Axis *replaceAxis(Axis *inOld, Axis *inNew, Qt::Alignment inAlignment);
    void connectModel();
    void disconnectModel();
    void applyColumns();

    QVBarModelMapper *mMapper = nullptr;
    // The chart takes these over and may delete them first.
    QPointer<QBarSeries> mSeries;
    QPointer<QBarCategoryAxis> mXAxis;
    QPointer<QValueAxis> mYAxis;
    QPointer<QChart> mChart;
    QPointer<KySelectedModel> mModel;
    int mFirstColumn = 0;
    int mLastColumn = 0;
};
