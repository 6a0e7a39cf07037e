// The MW step: standards, the calibration editor and the calibration plot.
#include "analysisview/kyanalysisview.h"

#include "analysis/kymwcurve.h"
#include "analysis/kymwstandard.h"
#include "core/analysissettings.h"
#include "document/kydocument.h"
#include "results/kychartview.h"
#include "results/kystdlaneedittabledelegate.h"
#include "results/kystdlaneviewdelegate.h"
#include "widgets/kylistviewstyle.h"
#include "widgets/kymessagebox.h"
#include "widgets/kytextedit.h"

#include <QChart>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QRegularExpression>
#include <QScatterSeries>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QVBoxLayout>
#include <QValidator>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

// The most values one standard holds.
constexpr int kMaxMWValues = 15;
// Column of the editor table that carries the delete mark.
constexpr int kDeleteColumn = 2;
// Logarithmic axes and fits cannot take weights of 0 or below: they stand in for them.
constexpr double kCurveFloor = 1e-07;
constexpr double kSeriesCurveFloor = 1e-5;
constexpr double kSeriesPointFloor = 0.001;

// A value typed into the editor: the weight when it is a whole number of 1 or more, else 0.
int enteredMWValue(const QString &inText)
{
    bool ok = false;
    const int value = inText.toInt(&ok);
    return ok && value >= 1 ? value : 0;
}

// The value field reads as the keypad writes: whole numbers of up to eight digits, and digits
// typed into the lone "0" the field starts with replace it, wherever the click put the cursor
// (else a click left of the "0" and 75 would read 750).
class MWValueValidator : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString &ioText, int &ioPos) const override
    {
        static const QRegularExpression digits(QRegularExpression::anchoredPattern(QStringLiteral("[0-9]{0,8}")));
        if (!digits.match(ioText).hasMatch())
            return Invalid;
        const int typed = int(ioText.size()) - 1;
        if (mShown == QLatin1String("0") && typed > 0 && ioPos >= typed) {
            const int from = ioPos - typed;
            if (ioText.left(from) + ioText.mid(ioPos) == QLatin1String("0")) {
                ioText = ioText.mid(from, typed);
                ioPos = typed;
            }
        }
        mShown = ioText;
        return Acceptable;
    }

private:
    // The text the field holds: every change of it, typed or set, passes here first.
    mutable QString mShown;
};

// Why a standard cannot be stored under this name: an empty text when it can. Names end up as
// settings keys (where "/" and "\" both separate groups, so the entry would never be listed
// again) and in the analysis stored in the images.
QString refusedNameReason(const QString &inName)
{
    if (inName.trimmed().isEmpty())
        return KyAnalysisView::tr("Please enter a name.");
    if (inName.contains(QLatin1Char('\\')) || !KyMwStandard::isStorableName(inName))
        return KyAnalysisView::tr("A name cannot contain \"/\", \"\\\" or \",\".\nPlease change the name.");
    return QString();
}

} // namespace

// ---- the step page ---------------------------------------------------------------------------------

void KyAnalysisView::on_mwStandardMenuButton_selectionChanged(QString inLaneStr)
{
    KyDocument *doc = document();
    if (!doc)
        return;
    if (!mEditedMWStandard.name().isEmpty() && mwStandardMenuButton->currentIndex() == 0)
        doc->SetMWStandard(mEditedMWStandard);
    else
        doc->SetMWStandard(KyMwStandard(inLaneStr));
    updateMWStandardTable();
}

void KyAnalysisView::on_mwStandardListView_clicked(QModelIndex index)
{
    KyDocument *doc = document();
    if (!doc || !index.isValid() || !mMWStandardModel)
        return;
    const bool used = !index.data(Qt::CheckStateRole).toBool();
    mMWStandardModel->setData(index, used, Qt::CheckStateRole);
    doc->SetMWStandardCheck(index.row(), used);
    updateImage();
}

void KyAnalysisView::on_mwCurveTypeButtonGroup_buttonClicked(QAbstractButton *button)
{
    Q_UNUSED(button);
    KyDocument *doc = document();
    if (!doc)
        return;
    const int type = mwCurveCubicRadioButton->isChecked() ? 1 : 0;
    AnalysisSettings::instance()->setValue(QStringLiteral("MWCurveType"), type);
    doc->SetMWCurveType(type);
}

void KyAnalysisView::onMWStandardLaneChanged()
{
    KyDocument *doc = document();
    if (!doc)
        return;
    mwCalibStackedWidget->setCurrentIndex(doc->HasMWStandardLane() ? 0 : 1);
    updateImage();
}

void KyAnalysisView::setupMWStandardViews()
{
    // Called at every entry into the step: the delegates and styles are made once and belong to
    // the views they serve.
    if (!qobject_cast<KyStdLaneEditTableDelegate *>(mwStandardTableView->itemDelegate())) {
        auto *delegate = new KyStdLaneEditTableDelegate();
        delegate->setParent(mwStandardTableView);
        mwStandardTableView->setItemDelegate(delegate);
    }
    if (!qobject_cast<KyStdLaneViewDelegate *>(mwStandardListView->itemDelegate())) {
        auto *delegate = new KyStdLaneViewDelegate();
        delegate->setParent(mwStandardListView);
        mwStandardListView->setItemDelegate(delegate);
    }
    const auto wear = [](QWidget *widget) {
        if (!qobject_cast<KyListViewStyle *>(widget->style()))
            widget->setStyle(new KyListViewStyle(0, widget));
    };
    wear(mwStandardTableView);
    wear(mwStandardTableView->horizontalHeader());
    wear(mwStandardTableView->verticalScrollBar());

    mwStandardTableView->horizontalHeader()->hide();
    mwStandardTableView->setShowGrid(false);
    mwStandardTableView->setSelectionBehavior(QAbstractItemView::SelectRows);
    mwStandardTableView->setSelectionMode(QAbstractItemView::NoSelection);
    mwStandardTableView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mwStandardListView->setModelColumn(1);
    setupMWValueField();

    mwStandardTableView->update();
    mwStandardListView->update();
}

void KyAnalysisView::updateMWStandardMenu()
{
    QStringList names = KyMwStandard::standardNames();
    if (!mEditedMWStandard.name().isEmpty())
        names.prepend(tr("[%1]").arg(mEditedMWStandard.name()));
    mwStandardMenuButton->setMenus(names);
    const QString first = names.value(0);
    mwStandardMenuButton->setText(first);
    // Refilling the menu picks its first entry for the document. For a capture that was just
    // opened or saved that is not an edit by the user: it must not mark the capture unsaved.
    KyDocument *doc = document();
    const bool wasDirty = doc && doc->IsDirty();
    const bool wasChanged = doc && doc->IsAnalysisChanged();
    on_mwStandardMenuButton_selectionChanged(first);
    if (doc && !wasDirty && doc->IsDirty()) {
        doc->SetAnalysisChanged(wasChanged);
        doc->SetDirty(false);
    }
}

void KyAnalysisView::updateMWStandardTable()
{
    KyDocument *doc = document();
    if (!doc)
        return;
    fillMWStandardModel(doc->MWStandardValues(), doc->MWStandardChecks());
    // Without a standard there is nothing to edit (a new one comes from Add).
    mwEditButton->setEnabled(!doc->MWStandardName().isEmpty());
    mwStandardTableView->setColumnWidth(0, 50);
    mwStandardTableView->setColumnWidth(1, 180);
    mwStandardTableView->setColumnWidth(2, 40);
    if (doc->MWCurveType() == 0)
        mwCurveLinearRadioButton->setChecked(true);
    else if (doc->MWCurveType() == 1)
        mwCurveCubicRadioButton->setChecked(true);
}

void KyAnalysisView::fillMWStandardModel()
{
    fillMWStandardModel({}, {});
}

void KyAnalysisView::fillMWStandardModel(const QList<int> &values, const QVector<bool> &checks)
{
    if (!mMWStandardModel)
        return;
    mMWStandardModel->removeRows(0, mMWStandardModel->rowCount());
    for (int i = 0; i < values.size(); ++i) {
        auto *number = new QStandardItem;
        number->setData(i + 1, Qt::EditRole);
        auto *value = new QStandardItem;
        value->setData(values.at(i), Qt::EditRole);
        value->setData(checks.value(i, false), Qt::CheckStateRole);
        mMWStandardModel->insertRow(i, {number, value, new QStandardItem(QString())});
    }
}

// ---- the calibration editor ------------------------------------------------------------------------

void KyAnalysisView::setupMWValueField()
{
    if (mMWValueFieldReady)
        return;
    mMWValueFieldReady = true;
    // The set button waits for 1 or more.
    mwcalibValueTextArea->setValidator(new MWValueValidator(mwcalibValueTextArea));
    connect(mwcalibValueTextArea, &KyTextArea::textChanged, this, [this] { updateMWSetButton(); });
}

void KyAnalysisView::updateMWSetButton()
{
    const int rows = mMWStandardModel ? mMWStandardModel->rowCount() : 0;
    mwcalibSetButton->setEnabled(rows < kMaxMWValues && enteredMWValue(mwcalibValueTextArea->text()) > 0);
}

void KyAnalysisView::on_mwAddButton_clicked()
{
    setupMWValueField();
    mwcalibDeleteButton->hide();
    mMWEditMode = 0;
    mwcalibNameTextArea->setText(tr("new info"));
    fillMWStandardModel();
    if (!mwcalibUnitMenuButton->menus().isEmpty())
        mwcalibUnitMenuButton->setText(mwcalibUnitMenuButton->menus().first());
    mwcalibValueTextArea->setText(QStringLiteral("0"));
    updateMWSetButton();
    stackedWidget->setCurrentIndex(1);
}

void KyAnalysisView::on_mwEditButton_clicked()
{
    KyDocument *doc = document();
    if (!doc || doc->MWStandardName().isEmpty())
        return;
    setupMWValueField();
    mMWEditMode = 1;
    mwcalibNameTextArea->setText(doc->MWStandardName());
    mwcalibDeleteButton->show();
    mwcalibValueTextArea->setText(QStringLiteral("0"));
    updateMWSetButton();
    stackedWidget->setCurrentIndex(1);
    mwcalibUnitMenuButton->setText(doc->MWStandardText());
}

void KyAnalysisView::on_mwcalibNameTextArea_clicked()
{
}

void KyAnalysisView::on_mwCalibTenKey_input(QString key)
{
    QString text = mwcalibValueTextArea->text();
    if (key == QLatin1String("C")) {
        text = QStringLiteral("0");
    } else if (key == QLatin1String("Del")) {
        if (!text.isEmpty())
            text = text.size() == 1 ? QStringLiteral("0") : text.chopped(1);
    } else {
        // Leading zeros vanish and anything but digits reads as 0.
        text = QString::number((text + key).toInt());
        if (text.size() > 8)
            text = text.right(8);
    }
    mwcalibValueTextArea->setText(text);
    updateMWSetButton();
}

void KyAnalysisView::on_mwcalibSetButton_clicked()
{
    if (!mMWStandardModel)
        return;
    const int value = enteredMWValue(mwcalibValueTextArea->text());
    const int row = mMWStandardModel->rowCount();
    // A log fit of 0 or a negative weight gives no number at all: such values never get in.
    if (value < 1 || row >= kMaxMWValues) {
        updateMWSetButton();
        return;
    }
    mMWStandardModel->setRowCount(row + 1);
    auto *number = new QStandardItem;
    number->setData(row + 1, Qt::EditRole);
    auto *weight = new QStandardItem;
    weight->setData(value, Qt::EditRole);
    mMWStandardModel->setItem(row, 0, number);
    mMWStandardModel->setItem(row, 1, weight);
    mMWStandardModel->setItem(row, 2, new QStandardItem(QString()));
    mwcalibValueTextArea->setText(QStringLiteral("0"));

    // Largest weight first, numbered from the top.
    mwStandardTableView->sortByColumn(1, Qt::DescendingOrder);
    for (int r = 0; r < mMWStandardModel->rowCount(); ++r)
        mMWStandardModel->setData(mMWStandardModel->index(r, 0), r + 1, Qt::EditRole);
    updateMWSetButton();
}

void KyAnalysisView::on_mwStandardTableView_clicked(QModelIndex index)
{
    if (!mMWStandardModel || !index.isValid() || index.column() != kDeleteColumn)
        return;
    mMWStandardModel->removeRow(index.row());
    mwStandardTableView->clearSelection();
    for (int r = 0; r < mMWStandardModel->rowCount(); ++r)
        mMWStandardModel->setData(mMWStandardModel->index(r, 0), r + 1, Qt::EditRole);
    updateMWSetButton();
}

void KyAnalysisView::on_mwcalibSaveButton_clicked()
{
    KyDocument *doc = document();
    if (!doc || !mMWStandardModel)
        return;
    const QString name = mwcalibNameTextArea->text();
    const QString refused = refusedNameReason(name);
    if (!refused.isEmpty()) {
        KyMessageBox::question(this, QString(), refused, tr("OK"), QString());
        return;
    }

    const bool workingEntry =
        mMWEditMode == 1 && !mEditedMWStandard.name().isEmpty() && mwStandardMenuButton->currentIndex() == 0;
    if (!workingEntry) {
        const bool mustBeNew = mMWEditMode == 0 || name.toLower() != doc->MWStandardName().toLower();
        if (mustBeNew && mwStandardMenuButton->menus().contains(name, Qt::CaseInsensitive)) {
            KyMessageBox::question(this, QString(), tr("%1 already exists.\nPlease change the name.").arg(name),
                                   tr("OK"), QString());
            return;
        }
    }

    QList<int> values;
    for (int r = 0; r < mMWStandardModel->rowCount(); ++r)
        values.append(mMWStandardModel->index(r, 1).data(Qt::EditRole).toInt());
    const QString unit = mwcalibUnitMenuButton->text();

    QString entry = name;
    if (workingEntry) {
        KyMwStandard standard;
        standard.set(name, unit, values, QVector<bool>(values.size(), true));
        doc->SetMWStandard(standard);
        mEditedMWStandard = doc->MWStandard();
        entry = tr("[%1]").arg(name);
    } else if (!KyMwStandard::save(name, unit, values)) {
        KyMessageBox::question(this, QString(), tr("Failed to save MW standard."), tr("OK"), QString());
        return;
    }

    updateMWStandardMenu();
    mwStandardMenuButton->setText(entry);
    on_mwStandardMenuButton_selectionChanged(entry);
    updateMWStandardTable();
    stackedWidget->setCurrentIndex(0);
}

void KyAnalysisView::on_mwcalibCancelButton_clicked()
{
    updateMWStandardTable();
    stackedWidget->setCurrentIndex(0);
}

void KyAnalysisView::on_mwcalibDeleteButton_clicked()
{
    const QString name = mwStandardMenuButton->text();
    // Standards shipped as files stay; only the user's own entries go.
    if (!KyMwStandard::isRemovable(name)) {
        KyMessageBox::question(this, QString(), tr("It is not possible to delete %1.").arg(name), tr("OK"),
                               QString());
        return;
    }
    KyDocument *doc = document();
    if (!doc)
        return;
    if (!KyMessageBox::question(this, QString(), tr("Are you sure you want to delete \"%1\"?").arg(name), tr("Yes"),
                                tr("No")))
        return;

    const bool workingEntry = !mEditedMWStandard.name().isEmpty() && mwStandardMenuButton->currentIndex() == 0;
    // A standard that stays in the store would be listed again next time: say so instead.
    if (!workingEntry && !KyMwStandard::remove(name)) {
        KyMessageBox::question(this, QString(), tr("Failed to delete MW standard."), tr("OK"), QString());
        return;
    }
    doc->SetMWStandard(KyMwStandard(QString()));
    if (workingEntry)
        mEditedMWStandard = KyMwStandard();

    QStringList items = mwStandardMenuButton->menus();
    items.removeAll(name);
    mwStandardMenuButton->setMenus(items);
    const QString first = items.value(0);
    mwStandardMenuButton->setText(first);
    on_mwStandardMenuButton_selectionChanged(first);
    updateMWStandardTable();
    stackedWidget->setCurrentIndex(0);
}

// ---- the calibration plot -------------------------------------------------------------------------

void KyAnalysisView::on_mwViewPlotButton_clicked()
{
    QWidget *plot = buildMWCurvePlot();
    if (!plot)
        return;
    KyMessageBox::widgetQuestion(this, tr("Molecular weight calibration"), plot, tr("Close"), QString());
}

QWidget *KyAnalysisView::buildMWCurvePlot()
{
    KyDocument *doc = document();
    if (!doc)
        return nullptr;
    const QMap<double, double> points = doc->MWPoints();
    if (points.isEmpty())
        return nullptr;

    // The curve runs 5 % beyond the last point. Without a curve only the points are drawn, with
    // the same room after the last one.
    const bool hasCurve = doc->HasMWCurve();
    const int last = int(points.lastKey());
    const int reach = int(last * 1.05);
    const int count = hasCurve ? reach : 0;
    const auto positive = [](double value) { return value <= 0.0 ? kCurveFloor : value; };
    QVector<double> curve(std::max(count, 0));
    double maxMW = 0.0;
    double minMW = positive(points.first());
    for (int i = 0; i < curve.size(); ++i) {
        curve[i] = positive(doc->MolecularWeightAt(i));
        maxMW = std::max(maxMW, curve[i]);
        minMW = std::min(minMW, curve[i]);
    }
    for (double weight : points) {
        maxMW = std::max(maxMW, positive(weight));
        minMW = std::min(minMW, positive(weight));
    }

    const QList<QAbstractSeries *> series = buildMWCurveSeries(curve, points);
    if (series.isEmpty())
        return nullptr;

    auto *chart = new QChart;
    for (QAbstractSeries *s : series)
        chart->addSeries(s);

    auto *yAxis = new QLogValueAxis;
    yAxis->setLabelFormat(QStringLiteral("%3g"));
    yAxis->setTitleText(doc->MWStandardText());
    yAxis->setRange(std::pow(10.0, std::floor(std::log10(minMW))) * 0.9,
                    std::pow(10.0, std::ceil(std::log10(maxMW))) * 1.1);
    auto *xAxis = new QValueAxis;
    xAxis->setTitleText(QStringLiteral("mm"));
    double maxX = doc->PixelSize() * (reach - 1) / 1000.0;
    for (QAbstractSeries *s : series) {
        for (const QPointF &p : static_cast<QXYSeries *>(s)->points())
            maxX = std::max(maxX, p.x());
    }
    // Nice numbers of an empty range are undefined.
    if (maxX > 0.0) {
        xAxis->setRange(0.0, maxX);
        xAxis->applyNiceNumbers();
    } else {
        xAxis->setRange(0.0, 1.0);
    }
    chart->addAxis(xAxis, Qt::AlignBottom);
    chart->addAxis(yAxis, Qt::AlignLeft);
    for (QAbstractSeries *s : series) {
        s->attachAxis(xAxis);
        s->attachAxis(yAxis);
    }
    chart->setMargins(QMargins(5, 5, 5, 5));
    chart->legend()->hide();

    auto *plot = new QWidget;
    auto *column = new QVBoxLayout(plot);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto *view = new KyChartView(plot);
    // The view lets go of the chart it was made with without deleting it.
    QChart *const madeWith = view->chart();
    view->setChart(chart);
    if (madeWith != chart)
        delete madeWith;
    column->addWidget(view);

    auto *rSquared = new KyTextEdit(plot);
    rSquared->setObjectName(QStringLiteral("mwRSquaredText"));
    rSquared->setMaximumHeight(22);
    rSquared->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const QString paragraph = QStringLiteral("<p align=\"right\" style=\"font-family:'Arial'; font-size:10pt;\">%1</p>");
    if (hasCurve) {
        rSquared->setHtml(paragraph.arg(QStringLiteral("R<sup>2</sup> = %1").arg(doc->MWCurveRSquared(), 0, 'f', 4)));
    } else {
        const QString curveName = (doc->MWCurveType() == 1 ? mwCurveCubicRadioButton : mwCurveLinearRadioButton)->text();
        const int needed = KyMwCurve::minimumPoints(doc->MWCurveType());
        const QString reason =
            int(points.size()) < needed
                ? tr("No calibration curve: \"%1\" needs at least %2 checked values.").arg(curveName).arg(needed)
                : tr("No calibration curve: the checked values do not settle a \"%1\" curve.").arg(curveName);
        rSquared->setHtml(paragraph.arg(reason.toHtmlEscaped()));
    }
    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(rSquared);
    row->addSpacing(30);
    column->addLayout(row);
    return plot;
}

QList<QAbstractSeries *> KyAnalysisView::buildMWCurveSeries(const QVector<double> &curve,
                                                            const QMap<double, double> &points)
{
    KyDocument *doc = document();
    const double pixelSize = doc ? doc->PixelSize() : 0.0;

    QList<QAbstractSeries *> series;
    // An empty curve (no fit) draws no line, not one along the floor.
    if (!curve.isEmpty()) {
        auto *line = new QLineSeries;
        for (int i = 0; i < curve.size(); ++i)
            line->append(pixelSize * i / 1000.0, std::max(curve.at(i), kSeriesCurveFloor));
        QPen pen(Qt::blue);
        pen.setWidth(1);
        line->setPen(pen);
        series.append(line);
    }

    auto *scatter = new QScatterSeries;
    for (auto it = points.cbegin(); it != points.cend(); ++it)
        scatter->append(pixelSize * it.key() / 1000.0, std::max(it.value(), kSeriesPointFloor));
    scatter->setMarkerSize(10.0);
    scatter->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    scatter->setColor(Qt::red);
    series.append(scatter);
    return series;
}
