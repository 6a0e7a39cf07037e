#include "results/kybarchartctrl.h"

#include "platform/logcategories.h"
#include "results/kyselectedmodel.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QDebug>
#include <QVBarModelMapper>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

const QColor kDarkGray(Qt::darkGray);
const QColor kTransparent(Qt::transparent);

} // namespace

KyBarChartCtrl::KyBarChartCtrl(KySelectedModel *inModel, QChart *inChart, int inFirstColumn, int inLastColumn,
                               QObject *parent)
    : QObject(parent), mMapper(new QVBarModelMapper(this)), mSeries(new QBarSeries(this)),
      mXAxis(new QBarCategoryAxis(this)), mYAxis(new QValueAxis(this)), mChart(inChart), mModel(inModel),
      mFirstColumn(inFirstColumn), mLastColumn(inLastColumn)
{
    init();
    connectModel();
    attachToChart();
}

KyBarChartCtrl::KyBarChartCtrl(QObject *parent)
    : QObject(parent), mMapper(new QVBarModelMapper(this)), mSeries(new QBarSeries(this)),
      mXAxis(new QBarCategoryAxis(this)), mYAxis(new QValueAxis(this))
{
    init();
}

KyBarChartCtrl::~KyBarChartCtrl()
{
    // The chart may outlive the controller: take back what it holds of ours.
    if (mChart) {
        if (mSeries)
            mChart->removeSeries(mSeries);
        if (mXAxis && mChart->axes().contains(mXAxis))
            mChart->removeAxis(mXAxis);
        if (mYAxis && mChart->axes().contains(mYAxis))
            mChart->removeAxis(mYAxis);
    }
    delete mSeries;
    delete mXAxis;
    delete mYAxis;
}

QColor KyBarChartCtrl::barColor()
{
    return QColor(132, 56, 97, 255);
}

void KyBarChartCtrl::init()
{
    if (mMapper) {
        mMapper->setFirstRow(0);
        mMapper->setRowCount(0);
        mMapper->setSeries(mSeries);
        mMapper->setModel(mModel.data());
        applyColumns();
    } else {
        qCDebug(lcResults, "mVMolelMapper is NULL( %s:%s )", "KyBarChartCtrl::init", QByteArray::number(__LINE__).constData());
    }
    if (!mYAxis)
        qCDebug(lcResults, "mValueAxis is NULL( %s:%s )", "KyBarChartCtrl::init", QByteArray::number(__LINE__).constData());
    styleAxes();
}

void KyBarChartCtrl::styleAxes()
{
    if (mYAxis) {
        mYAxis->setMin(0.0);
        mYAxis->setGridLinePen(QPen(kDarkGray));
        mYAxis->setLinePenColor(kDarkGray);
    }
    if (mXAxis) {
        mXAxis->setGridLinePen(QPen(kTransparent));
        mXAxis->setLinePenColor(kDarkGray);
    }
}

void KyBarChartCtrl::applyColumns()
{
    const int shift = mModel && mModel->HidesChannelColumn() ? 1 : 0;
    mMapper->setFirstBarSetColumn(mFirstColumn - shift);
    mMapper->setLastBarSetColumn(mLastColumn - shift);
}

void KyBarChartCtrl::connectModel()
{
    if (!mModel)
        return;
    // Row count changes come as inserts and removals, a new document as a reset.
    connect(mModel, &QAbstractItemModel::rowsInserted, this, &KyBarChartCtrl::SelectChanged);
    connect(mModel, &QAbstractItemModel::rowsRemoved, this, &KyBarChartCtrl::SelectChanged);
    connect(mModel, &QAbstractItemModel::dataChanged, this, &KyBarChartCtrl::SelectChanged);
    connect(mModel, &QAbstractItemModel::modelReset, this, &KyBarChartCtrl::SelectChanged);
}

void KyBarChartCtrl::disconnectModel()
{
    if (mModel)
        disconnect(mModel, nullptr, this, nullptr);
}

void KyBarChartCtrl::setModel(KySelectedModel *inModel)
{
    disconnectModel();
    mModel = inModel;
    connectModel();
    mMapper->setModel(inModel);
    if (inModel)
        applyColumns();
    rebuildSeries();
}

void KyBarChartCtrl::setBarSetColumns(int inFirst, int inLast)
{
    mFirstColumn = inFirst;
    mLastColumn = inLast;
    applyColumns();
    SelectChanged();
}

void KyBarChartCtrl::attachToChart()
{
    if (!mChart)
        return;
    mChart->addSeries(mSeries);
    mChart->addAxis(mXAxis, Qt::AlignBottom);
    mChart->addAxis(mYAxis, Qt::AlignLeft);
    mSeries->attachAxis(mXAxis);
    mSeries->attachAxis(mYAxis);
}

void KyBarChartCtrl::setChart(QChart *inChart)
{
    if (inChart == mChart)
        return;
    if (mChart) {
        mChart->removeSeries(mSeries);
        if (mChart->axes().contains(mXAxis))
            mChart->removeAxis(mXAxis);
        if (mChart->axes().contains(mYAxis))
            mChart->removeAxis(mYAxis);
    }
    mChart = inChart;
    attachToChart();
    SelectChanged();
}

template<typename Axis>
Axis *KyBarChartCtrl::replaceAxis(Axis *inOld, Axis *inNew, Qt::Alignment inAlignment)
{
    if (inOld && mChart->axes().contains(inOld))
        mChart->removeAxis(inOld);
    delete inOld;
    mChart->addAxis(inNew, inAlignment);
    mSeries->attachAxis(inNew);
    return inNew;
}

void KyBarChartCtrl::rebuildSeries()
{
    if (!mChart)
        return;
    mChart->removeSeries(mSeries);
    delete mSeries;
    mSeries = new QBarSeries(this);
    mChart->addSeries(mSeries);
    mMapper->setSeries(mSeries);

    mXAxis = replaceAxis(mXAxis.data(), new QBarCategoryAxis, Qt::AlignBottom);
    mYAxis = replaceAxis(mYAxis.data(), new QValueAxis, Qt::AlignLeft);
    // The new axes look like the first ones.
    styleAxes();
}

QStringList KyBarChartCtrl::categoryLabels(const KySelectedModel &inModel)
{
    const bool hidden = inModel.HidesChannelColumn();
    QStringList labels;
    const int rows = inModel.rowCount();
    for (int r = 0; r < rows; ++r) {
        auto text = [&](int inColumn) { return inModel.data(inModel.index(r, inColumn)).toString(); };
        QString label = hidden ? QStringLiteral("%1-%2").arg(text(0), text(1))
                               // A channel without a name has no initial.
                               : QStringLiteral("%1-%2-%3").arg(text(0).left(1), text(1), text(2));
        while (labels.contains(label))
            label += QChar(0x200B);
        labels.append(label);
    }
    return labels;
}

void KyBarChartCtrl::SelectChanged()
{
    rebuildSeries();
    if (!mModel || !mChart) {
        if (mYAxis)
            mYAxis->setMax(0.0);
        return;
    }
    const int shift = mModel->HidesChannelColumn() ? 1 : 0;
    // Whether "Channel" is hidden follows the model's document, which may have come after the
    // columns were last given to the mapper.
    applyColumns();
    const int rows = mModel->rowCount();
    mMapper->setRowCount(rows);

    double maximum = 0.0;
    for (int r = 0; r < rows; ++r) {
        const double value = mModel->data(mModel->index(r, mFirstColumn - shift)).toDouble();
        if (std::isfinite(value))
            maximum = std::max(maximum, value);
    }
    if (rows < 1) {
        mXAxis->setCategories(QStringList());
        mYAxis->setMax(0.0);
        return;
    }
    const QList<QBarSet *> sets = mSeries->barSets();
    if (!sets.isEmpty()) {
        QBrush brush = sets.first()->brush();
        brush.setColor(barColor());
        if (brush.style() == Qt::NoBrush)
            brush.setStyle(Qt::SolidPattern);
        sets.first()->setBrush(brush);
    }
    mXAxis->setCategories(categoryLabels(*mModel));
    mYAxis->setMax(maximum * 1.05);
    // Nice numbers over 0..0 would come out undefined.
    if (maximum > 0.0) {
        mYAxis->applyNiceNumbers();
        const int ticks = mYAxis->tickCount();
        if (ticks > 1)
            mYAxis->setLabelFormat(valueLabelFormat((mYAxis->max() - mYAxis->min()) / (ticks - 1)));
    }
}

QString KyBarChartCtrl::valueLabelFormat(double inTickInterval)
{
    // Nice-number ticks are whole multiples of 1, 2 or 5 times a power of ten: a few decimals
    // always suffice.
    constexpr int kMostDecimals = 6;
    int decimals = 0;
    if (std::isfinite(inTickInterval) && inTickInterval > 0.0) {
        double scaled = inTickInterval;
        while (decimals < kMostDecimals && std::abs(scaled - std::round(scaled)) > 1e-9 * std::max(1.0, scaled)) {
            scaled *= 10.0;
            ++decimals;
        }
    }
    return QStringLiteral("%'.%1f").arg(decimals);
}
