// The MW step of the analysis screen: the standard menu and list, the calibration editor (ten-key
// pad, value table, save and delete) and the calibration plot.

#include "mwsummaryfixture.h"
#include "testmain.h"

#include "core/analysissettings.h"
#include "core/lsettings.h"
#include "results/kychartview.h"
#include "widgets/kytenkey.h"
#include "analysisview/laneview.h"
#include "widgets/kytextedit.h"

#include <QChart>
#include <QDir>
#include <QLineEdit>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QScatterSeries>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QValueAxis>

#include <cmath>

using namespace screentest;

namespace {

const QString kShipped = QStringLiteral("DNA 70-1400");

QStringList storedEntries()
{
    AnalysisSettings *settings = AnalysisSettings::instance();
    settings->beginGroup(QStringLiteral("MW"));
    const QStringList keys = settings->allKeys();
    settings->endGroup();
    return keys;
}

QList<int> column(const QAbstractItemModel *inModel, int inColumn)
{
    QList<int> values;
    for (int r = 0; r < inModel->rowCount(); ++r)
        values.append(inModel->index(r, inColumn).data().toInt());
    return values;
}

// The index of a key on the pad: digits, "Del" and "C".
int keyIndex(const QString &inKey)
{
    for (int i = 0; i < 12; ++i) {
        if (KyTenKey::kKeyLabelsEdit[i] == inKey)
            return i;
    }
    return -1;
}

} // namespace

class TestKyAnalysisViewMw : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<KyAnalysisView> view;
    std::unique_ptr<TestDocument> doc;

    QStandardItemModel *model() const { return qobject_cast<QStandardItemModel *>(view->mwStandardTableView->model()); }

    void press(const QString &inKey)
    {
        const int index = keyIndex(inKey);
        QVERIFY2(index >= 0, qPrintable(inKey));
        QTest::mouseClick(view->mwCalibTenKey->keys().at(index), Qt::LeftButton);
    }
    void type(const QString &inKeys)
    {
        for (const QString &key : inKeys.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            press(key);
    }
    // Enters a value on the pad and sets it.
    void enter(int inValue)
    {
        press(QStringLiteral("C"));
        for (QChar digit : QString::number(inValue))
            press(QString(digit));
        QVERIFY(view->mwcalibSetButton->isEnabled());
        QTest::mouseClick(view->mwcalibSetButton, Qt::LeftButton);
    }
    void chooseStandard(const QString &inEntry)
    {
        QVERIFY(view->mwStandardMenuButton->menus().contains(inEntry));
        view->mwStandardMenuButton->setText(inEntry);
        emit view->mwStandardMenuButton->selectionChanged(inEntry);
    }
    QLineEdit *nameField() const { return view->mwcalibNameTextArea->findChild<QLineEdit *>(); }
    QLineEdit *valueField() const { return view->mwcalibValueTextArea->findChild<QLineEdit *>(); }

private slots:
    void initTestCase()
    {
        sampleanalysis::useShippedData();
        QVERIFY(KyMwStandard::standardNames().contains(kShipped));
    }

    void init()
    {
        AnalysisSettings::instance()->settingsStore()->clear();
        sampleanalysis::useShippedData();
        doc = laneDocument();
        placeBands(*doc, 0, 1, {10, 20, 30});
        doc->SetMWStandardLane(0, 1);
        KyMwStandard ladder;
        ladder.set(QStringLiteral("Ladder"), QStringLiteral("bp"), {600, 300, 150}, {true, true, true});
        doc->SetMWStandard(ladder);

        view = std::make_unique<KyAnalysisView>();
        view->resize(1024, 700);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        attach(*view, doc.get());
        QTest::mouseClick(view->mwModeButton, Qt::LeftButton);
        QCOMPARE(view->mode(), int(KyAnalysisView::kMode_MW));
    }

    void cleanup()
    {
        KyCurrentDocument::setDocument(nullptr);
        view.reset();
        doc.reset();
    }

    // The working standard comes first in brackets, then the stored ones; its values fill the list
    // with their use flags, and a click on a value toggles its flag in the document too.
    void standardMenuAndList()
    {
        const QStringList menu = view->mwStandardMenuButton->menus();
        QCOMPARE(menu.value(0), QStringLiteral("[Ladder]"));
        QCOMPARE(menu.mid(1), KyMwStandard::standardNames());
        QCOMPARE(view->mwStandardMenuButton->text(), QStringLiteral("[Ladder]"));
        QCOMPARE(column(model(), 0), (QList<int>{1, 2, 3}));
        QCOMPARE(column(model(), 1), (QList<int>{600, 300, 150}));
        QCOMPARE(view->mwStandardListView->modelColumn(), 1);

        const QModelIndex second = model()->index(1, 1);
        QTest::mouseClick(view->mwStandardListView->viewport(), Qt::LeftButton, {},
                          view->mwStandardListView->visualRect(second).center());
        QCOMPARE(second.data(Qt::CheckStateRole).toBool(), false);
        QCOMPARE(doc->CheckedMWStandardValues(), (QList<int>{600, 150}));

        chooseStandard(kShipped);
        QCOMPARE(doc->MWStandardName(), kShipped);
        QCOMPARE(column(model(), 1), KyMwStandard(kShipped).values());
    }

    void tenKeyPad_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::newRow("a digit after the zero") << "5" << "5";
        QTest::newRow("zeros first vanish") << "0 0 7 0" << "70";
        QTest::newRow("the ninth digit pushes out the first") << "1 2 3 4 5 6 7 8 9" << "23456789";
        QTest::newRow("Del drops the last digit") << "4 2 Del" << "4";
        QTest::newRow("Del on one digit leaves a zero") << "4 Del" << "0";
        QTest::newRow("Del on the zero") << "Del" << "0";
        QTest::newRow("C clears") << "9 8 7 C" << "0";
    }
    void tenKeyPad()
    {
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        QTest::mouseClick(view->mwAddButton, Qt::LeftButton);
        QCOMPARE(view->stackedWidget->currentIndex(), 1);
        QCOMPARE(view->mwcalibValueTextArea->text(), QStringLiteral("0"));
        type(keys);
        QCOMPARE(view->mwcalibValueTextArea->text(), shown);
        QCOMPARE(view->mwcalibSetButton->isEnabled(), shown.toInt() > 0);
    }

    void valuesListedLargestFirst()
    {
        QTest::mouseClick(view->mwAddButton, Qt::LeftButton);
        QVERIFY(view->mwcalibDeleteButton->isHidden());
        QCOMPARE(view->mwcalibNameTextArea->text(), QStringLiteral("new info"));
        QCOMPARE(model()->rowCount(), 0);
        QVERIFY(!view->mwcalibSetButton->isEnabled()); // the value is 0
        for (int value : {50, 250, 100})
            enter(value);
        QCOMPARE(column(model(), 1), (QList<int>{250, 100, 50}));
        QCOMPARE(column(model(), 0), (QList<int>{1, 2, 3}));
        QCOMPARE(view->mwcalibValueTextArea->text(), QStringLiteral("0"));

        // The delete mark of the middle row.
        const QModelIndex mark = model()->index(1, 2);
        QTest::mouseClick(view->mwStandardTableView->viewport(), Qt::LeftButton, {},
                          view->mwStandardTableView->visualRect(mark).center());
        QCOMPARE(column(model(), 1), (QList<int>{250, 50}));
        QCOMPARE(column(model(), 0), (QList<int>{1, 2}));
        // A click beside the mark deletes nothing.
        QTest::mouseClick(view->mwStandardTableView->viewport(), Qt::LeftButton, {},
                          view->mwStandardTableView->visualRect(model()->index(0, 1)).center());
        QCOMPARE(model()->rowCount(), 2);
    }

    void fifteenValuesAtMost()
    {
        QTest::mouseClick(view->mwAddButton, Qt::LeftButton);
        for (int i = 1; i <= 15; ++i)
            enter(i * 10);
        QCOMPARE(model()->rowCount(), 15);
        type(QStringLiteral("7"));
        QVERIFY(!view->mwcalibSetButton->isEnabled());
        QMetaObject::invokeMethod(view.get(), "on_mwcalibSetButton_clicked");
        QCOMPARE(model()->rowCount(), 15);

        QTest::mouseClick(view->mwStandardTableView->viewport(), Qt::LeftButton, {},
                          view->mwStandardTableView->visualRect(model()->index(0, 2)).center());
        QCOMPARE(model()->rowCount(), 14);
        QVERIFY(view->mwcalibSetButton->isEnabled());
        QTest::mouseClick(view->mwcalibSetButton, Qt::LeftButton);
        QCOMPARE(model()->rowCount(), 15);
        QCOMPARE(column(model(), 1).last(), 7);
        QVERIFY(!view->mwcalibSetButton->isEnabled());
    }

    // Only whole numbers of 1 or more get into a standard: a weight of 0 or below has no logarithm
    // and would turn the fit, the summary's MW column and the report into "nan".
    void badValuesRefused_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("settable");
        QTest::newRow("zero") << "0" << "0" << false;
        QTest::newRow("minus sign refused") << "-40" << "40" << true;
        QTest::newRow("letters refused") << "abc" << "" << false;
        QTest::newRow("decimal point refused") << "1.5" << "15" << true;
        QTest::newRow("zeros then a digit") << "007" << "7" << true;
        QTest::newRow("nine digits cut to the field") << "123456789" << "12345678" << true;
    }
    void badValuesRefused()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(bool, settable);
        QTest::mouseClick(view->mwAddButton, Qt::LeftButton);
        QLineEdit *field = valueField();
        QVERIFY(field);
        QVERIFY(!field->isReadOnly());
        field->clear();
        QTest::keyClicks(field, typed);
        QCOMPARE(view->mwcalibValueTextArea->text(), shown);
        QCOMPARE(view->mwcalibSetButton->isEnabled(), settable);
        // Even a set that gets past the button adds nothing that is not a weight.
        QMetaObject::invokeMethod(view.get(), "on_mwcalibSetButton_clicked");
        QCOMPARE(model()->rowCount(), settable ? 1 : 0);
        if (settable)
            QCOMPARE(model()->index(0, 1).data().toInt(), shown.toInt());
    }

    // The field starts at "0": typed digits replace it wherever the cursor is, as on the pad.
    void valueTypedOverTheZero_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::newRow("clicked left of the zero") << "click";
        QTest::newRow("cursor after the zero") << "end";
        QTest::newRow("zero selected") << "select";
    }
    void valueTypedOverTheZero()
    {
        QFETCH(QString, entry);
        QTest::mouseClick(view->mwAddButton, Qt::LeftButton);
        QLineEdit *field = valueField();
        QCOMPARE(field->text(), QStringLiteral("0"));
        if (entry == QLatin1String("click")) {
            // Right-aligned: a click near the left edge puts the cursor before the "0".
            QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(4, field->height() / 2));
            QCOMPARE(field->cursorPosition(), 0);
        } else if (entry == QLatin1String("end")) {
            field->setFocus();
            field->end(false);
        } else {
            field->setFocus();
            field->selectAll();
        }
        QTest::keyClicks(field, QStringLiteral("75"));
        QCOMPARE(view->mwcalibValueTextArea->text(), QStringLiteral("75"));
        QTest::mouseClick(view->mwcalibSetButton, Qt::LeftButton);
        QCOMPARE(column(model(), 1), QList<int>{75});

        // Once set back to "0", the next value replaces it again; other values are edited as usual.
        QCOMPARE(field->text(), QStringLiteral("0"));
        field->setCursorPosition(0);
        QTest::keyClicks(field, QStringLiteral("4"));
        QCOMPARE(field->text(), QStringLiteral("4"));
        field->setCursorPosition(0);
        QTest::keyClicks(field, QStringLiteral("1"));
        QCOMPARE(field->text(), QStringLiteral("14"));
        QTest::keyClick(field, Qt::Key_End);
        QTest::keyClicks(field, QStringLiteral("0"));
        QCOMPARE(field->text(), QStringLiteral("140"));
    }

    // Without any standard, Edit has nothing to open; a new standard makes it available.
    void editNeedsAStandard()
    {
        QTemporaryDir noFiles;
        QVERIFY(noFiles.isValid());
        sampleanalysis::setSystemSetting(QStringLiteral("MWStandardFilePath"), noFiles.path() + QLatin1Char('/'));
        doc->SetMWStandard(KyMwStandard());
        attach(*view, doc.get());
        QTest::mouseClick(view->mwModeButton, Qt::LeftButton);
        QVERIFY(view->mwStandardMenuButton->menus().isEmpty());
        QVERIFY(doc->MWStandardName().isEmpty());
        QVERIFY(!view->mwEditButton->isEnabled());
        QMetaObject::invokeMethod(view.get(), "on_mwEditButton_clicked");
        QCOMPARE(view->stackedWidget->currentIndex(), 0);

        QTest::mouseClick(view->mwAddButton, Qt::LeftButton);
        nameField()->clear();
        QTest::keyClicks(nameField(), QStringLiteral("Mine"));
        enter(100);
        QTest::mouseClick(view->mwcalibSaveButton, Qt::LeftButton);
        QCOMPARE(doc->MWStandardName(), QStringLiteral("Mine"));
        QVERIFY(view->mwEditButton->isEnabled());
    }

    void newStandardSaved()
    {
        QTest::mouseClick(view->mwAddButton, Qt::LeftButton);
        nameField()->clear();
        QTest::keyClicks(nameField(), QStringLiteral("My ladder"));
        view->mwcalibUnitMenuButton->setText(QStringLiteral("kDa"));
        for (int value : {80, 40, 20})
            enter(value);
        QTest::mouseClick(view->mwcalibSaveButton, Qt::LeftButton);
        QCOMPARE(view->stackedWidget->currentIndex(), 0);
        QCOMPARE(storedEntries(), QStringList{QStringLiteral("My ladder")});
        QString unit;
        QCOMPARE(KyMwStandard::readFile(QStringLiteral("My ladder"), &unit), (QList<int>{80, 40, 20}));
        QCOMPARE(unit, QStringLiteral("kDa"));
        QCOMPARE(view->mwStandardMenuButton->text(), QStringLiteral("My ladder"));
        QVERIFY(view->mwStandardMenuButton->menus().contains(QStringLiteral("My ladder")));
        QCOMPARE(doc->MWStandardName(), QStringLiteral("My ladder"));
        QCOMPARE(column(model(), 1), (QList<int>{80, 40, 20}));
    }

    // A new name that the menu already holds, in any letter case, is refused and the editor stays.
    void existingNameRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("same case") << kShipped;
        QTest::newRow("other case") << kShipped.toLower();
        QTest::newRow("the working entry") << QStringLiteral("[ladder]");
    }
    void existingNameRefused()
    {
        QFETCH(QString, name);
        QTest::mouseClick(view->mwAddButton, Qt::LeftButton);
        nameField()->clear();
        QTest::keyClicks(nameField(), name);
        enter(500);
        QString notice;
        answerBox("acceptButton", &notice);
        QTest::mouseClick(view->mwcalibSaveButton, Qt::LeftButton);
        QCOMPARE(notice, QStringLiteral("%1 already exists.\nPlease change the name.").arg(name));
        QCOMPARE(view->stackedWidget->currentIndex(), 1);
        QCOMPARE(model()->rowCount(), 1);
        QCOMPARE(storedEntries(), QStringList());
        QCOMPARE(doc->MWStandardName(), QStringLiteral("Ladder"));
    }

    // Names the store cannot list again are refused with a notice; nothing is stored and the
    // editor stays open.
    void unstorableNameRefused_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("notice");
        const QString empty = QStringLiteral("Please enter a name.");
        const QString separator = QStringLiteral("A name cannot contain \"/\", \"\\\" or \",\".\nPlease change the name.");
        QTest::newRow("empty") << 0 << "" << empty;
        QTest::newRow("blanks") << 0 << "   " << empty;
        QTest::newRow("slash") << 0 << "DNA/short" << separator;
        QTest::newRow("backslash") << 0 << "DNA\\short" << separator;
        QTest::newRow("comma") << 0 << "DNA, short" << separator;
        QTest::newRow("working entry emptied") << 1 << "" << empty;
    }
    void unstorableNameRefused()
    {
        QFETCH(int, mode);
        QFETCH(QString, name);
        QFETCH(QString, notice);
        const QStringList namesBefore = KyMwStandard::standardNames();
        QTest::mouseClick(mode == 0 ? view->mwAddButton : view->mwEditButton, Qt::LeftButton);
        nameField()->clear();
        QTest::keyClicks(nameField(), name);
        enter(500);
        QString shown;
        answerBox("acceptButton", &shown);
        QTest::mouseClick(view->mwcalibSaveButton, Qt::LeftButton);
        QCOMPARE(shown, notice);
        QCOMPARE(view->stackedWidget->currentIndex(), 1);
        QCOMPARE(storedEntries(), QStringList());
        QCOMPARE(KyMwStandard::standardNames(), namesBefore);
        QCOMPARE(doc->MWStandardName(), QStringLiteral("Ladder"));
        QCOMPARE(doc->MWStandardValues(), (QList<int>{600, 300, 150}));
    }

    // Editing the standard in use saves it under its own name: the working entry into the
    // document only, a stored or shipped one into the store (an entry hides a file).
    void editingCurrentStandardSaves_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QStringList>("stored");
        QTest::newRow("working entry") << "[Ladder]" << "Ladder" << "[Ladder]" << QStringList();
        QTest::newRow("shipped standard") << kShipped << kShipped << kShipped << QStringList{kShipped};
        QTest::newRow("shipped standard, other case")
            << kShipped << kShipped.toLower() << kShipped.toLower() << QStringList{kShipped.toLower()};
    }
    void editingCurrentStandardSaves()
    {
        QFETCH(QString, entry);
        QFETCH(QString, name);
        QFETCH(QString, selected);
        QFETCH(QStringList, stored);
        chooseStandard(entry);
        const QList<int> before = doc->MWStandardValues();
        QTest::mouseClick(view->mwEditButton, Qt::LeftButton);
        QCOMPARE(view->stackedWidget->currentIndex(), 1);
        QVERIFY(!view->mwcalibDeleteButton->isHidden());
        QCOMPARE(view->mwcalibNameTextArea->text(), entry.startsWith(QLatin1Char('[')) ? QStringLiteral("Ladder") : entry);
        QCOMPARE(column(model(), 1), before);
        if (name != view->mwcalibNameTextArea->text()) {
            nameField()->clear();
            QTest::keyClicks(nameField(), name);
        }
        enter(7);
        QTest::mouseClick(view->mwcalibSaveButton, Qt::LeftButton);
        QCOMPARE(view->stackedWidget->currentIndex(), 0);
        QCOMPARE(storedEntries(), stored);
        QCOMPARE(view->mwStandardMenuButton->text(), selected);
        QCOMPARE(doc->MWStandardName(), name);
        QCOMPARE(doc->MWStandardValues(), before + QList<int>{7});
        QCOMPARE(column(model(), 1), before + QList<int>{7});
        if (stored.isEmpty())
            QCOMPARE(view->mwStandardMenuButton->menus().value(0), QStringLiteral("[Ladder]"));
    }

    void cancelKeepsTheStandard()
    {
        QTest::mouseClick(view->mwEditButton, Qt::LeftButton);
        enter(9);
        QTest::mouseClick(view->mwcalibCancelButton, Qt::LeftButton);
        QCOMPARE(view->stackedWidget->currentIndex(), 0);
        QCOMPARE(column(model(), 1), (QList<int>{600, 300, 150}));
        QCOMPARE(doc->MWStandardValues(), (QList<int>{600, 300, 150}));
    }

    void shippedStandardNotDeleted()
    {
        chooseStandard(kShipped);
        QTest::mouseClick(view->mwEditButton, Qt::LeftButton);
        QString notice;
        answerBox("acceptButton", &notice);
        QTest::mouseClick(view->mwcalibDeleteButton, Qt::LeftButton);
        QCOMPARE(notice, QStringLiteral("It is not possible to delete %1.").arg(kShipped));
        QVERIFY(view->mwStandardMenuButton->menus().contains(kShipped));
        QCOMPARE(doc->MWStandardName(), kShipped);
        QVERIFY(KyMwStandard::standardNames().contains(kShipped));
    }

    void storedStandardDeletedAfterYes_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("deleted");
        QTest::newRow("yes") << QByteArray("acceptButton") << true;
        QTest::newRow("no") << QByteArray("rejectButton") << false;
    }
    void storedStandardDeletedAfterYes()
    {
        QFETCH(QByteArray, answer);
        QFETCH(bool, deleted);
        const QString mine = QStringLiteral("My ladder");
        QVERIFY(KyMwStandard::save(mine, QStringLiteral("kDa"), {90, 45}));
        attach(*view, doc.get());
        QTest::mouseClick(view->mwModeButton, Qt::LeftButton);
        chooseStandard(mine);
        QTest::mouseClick(view->mwEditButton, Qt::LeftButton);
        QString question;
        answerBox(answer.constData(), &question);
        QTest::mouseClick(view->mwcalibDeleteButton, Qt::LeftButton);
        QCOMPARE(question, QStringLiteral("Are you sure you want to delete \"%1\"?").arg(mine));
        QCOMPARE(KyMwStandard::standardNames().contains(mine), !deleted);
        QCOMPARE(view->mwStandardMenuButton->menus().contains(mine), !deleted);
        if (deleted) {
            QCOMPARE(view->stackedWidget->currentIndex(), 0);
            QCOMPARE(view->mwStandardMenuButton->text(), view->mwStandardMenuButton->menus().value(0));
        } else {
            QCOMPARE(view->stackedWidget->currentIndex(), 1);
            QCOMPARE(doc->MWStandardName(), mine);
        }
    }

    void workingEntryDeleted()
    {
        QTest::mouseClick(view->mwEditButton, Qt::LeftButton);
        answerBox("acceptButton");
        QTest::mouseClick(view->mwcalibDeleteButton, Qt::LeftButton);
        QVERIFY(!view->mwStandardMenuButton->menus().contains(QStringLiteral("[Ladder]")));
        QCOMPARE(view->mwStandardMenuButton->text(), KyMwStandard::standardNames().value(0));
        QCOMPARE(doc->MWStandardName(), KyMwStandard::standardNames().value(0));
        QCOMPARE(storedEntries(), QStringList());
    }

    void curveTypeStoredAndApplied()
    {
        QTest::mouseClick(view->mwCurveCubicRadioButton, Qt::LeftButton);
        QCOMPARE(doc->MWCurveType(), 1);
        QCOMPARE(AnalysisSettings::instance()->intValue(QStringLiteral("MWCurveType")), 1);
        QTest::mouseClick(view->mwCurveLinearRadioButton, Qt::LeftButton);
        QCOMPARE(doc->MWCurveType(), 0);
        QCOMPARE(AnalysisSettings::instance()->intValue(QStringLiteral("MWCurveType")), 0);
    }

    // The plot: the fitted curve sampled at every pixel to 5 % beyond the last point, the points,
    // a log axis over whole decades around every value, and R² with four decimals.
    void calibrationPlot_data()
    {
        QTest::addColumn<QList<int>>("weights");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<QString>("rSquared");
        // Exactly log-linear: the curve runs from 1200 at position 0 down to 150 at 30.
        QTest::newRow("exact fit") << QList<int>{600, 300, 150} << 90.0 << 11000.0 << "1.0000";
        QTest::newRow("inexact fit") << QList<int>{600, 250, 160} << -1.0 << -1.0 << "";
        // A flat curve through equal weights leaves nothing unexplained.
        QTest::newRow("equal weights") << QList<int>{300, 300, 300} << 90.0 << 1100.0 << "1.0000";
    }
    void calibrationPlot()
    {
        QFETCH(QList<int>, weights);
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(QString, rSquared);
        KyMwStandard ladder;
        ladder.set(QStringLiteral("Ladder"), QStringLiteral("bp"), weights, QVector<bool>(weights.size(), true));
        doc->SetMWStandard(ladder);
        QTest::mouseClick(view->mwModeButton, Qt::LeftButton);
        QVERIFY(view->mwViewPlotButton->isEnabled());

        // Positions 10, 20 and 30: the curve has int(30 * 1.05) = 31 values.
        const int count = 31;
        QCOMPARE(doc->MWPoints().size(), 3); // refreshes the fit
        double minMW = weights.first();
        double maxMW = 0.0;
        for (int i = 0; i < count; ++i) {
            minMW = std::min(minMW, doc->MolecularWeightAt(i));
            maxMW = std::max(maxMW, doc->MolecularWeightAt(i));
        }
        if (low < 0) {
            low = std::pow(10.0, std::floor(std::log10(minMW))) * 0.9;
            high = std::pow(10.0, std::ceil(std::log10(maxMW))) * 1.1;
            rSquared = QString::number(doc->MWCurveRSquared(), 'f', 4);
            QVERIFY(rSquared != QLatin1String("1.0000"));
        }

        QString title;
        int curvePoints = -1;
        QList<QPointF> points;
        QPointF secondCurvePoint;
        double axisLow = 0.0;
        double axisHigh = 0.0;
        QString axisTitle;
        QString labelFormat;
        QString shownRSquared;
        int rSquaredHeight = 0;
        whenBoxShows([&](KyMessageBox *box) {
            if (auto *label = box->findChild<QLabel *>(QStringLiteral("titleLabel")))
                title = label->text();
            auto *chartView = box->findChild<KyChartView *>();
            if (chartView) {
                QChart *chart = chartView->chart();
                for (QAbstractSeries *s : chart->series()) {
                    if (auto *scatter = qobject_cast<QScatterSeries *>(s)) {
                        points = scatter->points();
                    } else if (auto *line = qobject_cast<QLineSeries *>(s)) {
                        curvePoints = int(line->count());
                        secondCurvePoint = line->at(1);
                    }
                }
                const QList<QAbstractAxis *> axes = chart->axes(Qt::Vertical);
                if (auto *axis = axes.isEmpty() ? nullptr : qobject_cast<QLogValueAxis *>(axes.first())) {
                    axisLow = axis->min();
                    axisHigh = axis->max();
                    axisTitle = axis->titleText();
                    labelFormat = axis->labelFormat();
                }
            }
            if (auto *text = box->findChild<KyTextEdit *>(QStringLiteral("mwRSquaredText"))) {
                shownRSquared = text->toPlainText();
                rSquaredHeight = text->maximumHeight();
            }
            box->findChild<KyButton *>(QStringLiteral("acceptButton"))->click();
        });
        QTest::mouseClick(view->mwViewPlotButton, Qt::LeftButton);

        QCOMPARE(title, QStringLiteral("Molecular weight calibration"));
        QCOMPARE(curvePoints, count);
        // x in millimetres: 30 µm pixels.
        QCOMPARE(secondCurvePoint.x(), 0.03);
        QCOMPARE(secondCurvePoint.y(), doc->MolecularWeightAt(1));
        QCOMPARE(points, (QList<QPointF>{{0.3, double(weights.at(0))}, {0.6, double(weights.at(1))},
                                         {0.9, double(weights.at(2))}}));
        QCOMPARE(axisLow, low);
        QCOMPARE(axisHigh, high);
        QCOMPARE(axisTitle, QStringLiteral("bp"));
        QCOMPARE(labelFormat, QStringLiteral("%3g"));
        QCOMPARE(shownRSquared, QStringLiteral("R2 = ") + rSquared);
        QCOMPARE(rSquaredHeight, 22);
    }

    // Too few checked values for the curve type: the plot says there is no curve and shows the
    // points alone, on an axis around them.
    void plotWithoutCurve_data()
    {
        QTest::addColumn<int>("curveType");
        QTest::addColumn<QVector<bool>>("checks");
        QTest::addColumn<QString>("notice");
        QTest::newRow("one value, line") << 0 << QVector<bool>{true, false, false}
                                         << "No calibration curve: \"Linear - log\" needs at least 2 checked values.";
        QTest::newRow("two values, cubic") << 1 << QVector<bool>{true, true, false}
                                           << "No calibration curve: \"Cubic spline\" needs at least 4 checked values.";
        QTest::newRow("three values, cubic") << 1 << QVector<bool>{true, true, true}
                                             << "No calibration curve: \"Cubic spline\" needs at least 4 checked values.";
    }
    void plotWithoutCurve()
    {
        QFETCH(int, curveType);
        QFETCH(QVector<bool>, checks);
        QFETCH(QString, notice);
        // Bands far enough down the lane for 5 % of the last position to be a few pixels.
        doc->Bands()[0][1].truncate(0);
        placeBands(*doc, 0, 1, {40, 70, 100});
        KyMwStandard ladder;
        ladder.set(QStringLiteral("Ladder"), QStringLiteral("bp"), {600, 300, 150}, checks);
        doc->SetMWStandard(ladder);
        doc->SetMWCurveType(curveType);
        QTest::mouseClick(view->mwModeButton, Qt::LeftButton);
        QVERIFY(!doc->HasMWCurve());
        QVERIFY(view->mwViewPlotButton->isEnabled());

        int lines = -1;
        int points = -1;
        double lastX = 0.0;
        double axisEnd = 0.0;
        double axisLow = 0.0;
        double axisHigh = 0.0;
        QString shown;
        whenBoxShows([&](KyMessageBox *box) {
            if (auto *chartView = box->findChild<KyChartView *>()) {
                lines = 0;
                for (QAbstractSeries *s : chartView->chart()->series()) {
                    if (auto *scatter = qobject_cast<QScatterSeries *>(s)) {
                        points = int(scatter->count());
                        lastX = scatter->points().isEmpty() ? 0.0 : scatter->points().last().x();
                    } else if (qobject_cast<QLineSeries *>(s)) {
                        ++lines;
                    }
                }
                const QList<QAbstractAxis *> across = chartView->chart()->axes(Qt::Horizontal);
                if (auto *axis = across.isEmpty() ? nullptr : qobject_cast<QValueAxis *>(across.first()))
                    axisEnd = axis->max();
                const QList<QAbstractAxis *> axes = chartView->chart()->axes(Qt::Vertical);
                if (auto *axis = axes.isEmpty() ? nullptr : qobject_cast<QLogValueAxis *>(axes.first())) {
                    axisLow = axis->min();
                    axisHigh = axis->max();
                }
            }
            if (auto *text = box->findChild<KyTextEdit *>(QStringLiteral("mwRSquaredText")))
                shown = text->toPlainText();
            box->findChild<KyButton *>(QStringLiteral("acceptButton"))->click();
        });
        QTest::mouseClick(view->mwViewPlotButton, Qt::LeftButton);
        QCOMPARE(lines, 0);
        QCOMPARE(points, int(checks.count(true)));
        // The axis leaves room after the last point, as it does for a curve.
        QVERIFY2(axisEnd > lastX && lastX > 0.0, qPrintable(QStringLiteral("%1 to %2").arg(lastX).arg(axisEnd)));
        // Around the points only: 150 or 600 lie in whole decades from 100 to 1000.
        QCOMPARE(axisLow, 90.0);
        QCOMPARE(axisHigh, 1100.0);
        QCOMPARE(shown, notice);
    }

    void plotButtonFollowsPoints()
    {
        QVERIFY(view->mwViewPlotButton->isEnabled());
        doc->SetMWStandardLane(-1, -1);
        emit view->laneView()->MWStandardLaneChanged();
        QCOMPARE(view->mwCalibStackedWidget->currentIndex(), 1);
        QVERIFY(!view->mwViewPlotButton->isEnabled());
        doc->SetMWStandardLane(0, 1);
        emit view->laneView()->MWStandardLaneChanged();
        QCOMPARE(view->mwCalibStackedWidget->currentIndex(), 0);
        QVERIFY(view->mwViewPlotButton->isEnabled());
    }

    // Kept last: a store that has met a write error keeps reporting it for the rest of the process.
    // A save or a delete that did not reach the store says so and leaves the editor open.
    void storeFailureReported()
    {
        const QString mine = QStringLiteral("My ladder");
        QVERIFY(KyMwStandard::save(mine, QStringLiteral("kDa"), {90, 45}));
        attach(*view, doc.get());
        QTest::mouseClick(view->mwModeButton, Qt::LeftButton);
        const QString file = AnalysisSettings::instance()->settingsStore()->fileName();
        QVERIFY(QFile::remove(file));
        QVERIFY(QDir().mkpath(file));

        QTest::mouseClick(view->mwAddButton, Qt::LeftButton);
        nameField()->clear();
        QTest::keyClicks(nameField(), QStringLiteral("Another"));
        enter(30);
        QString notice;
        answerBox("acceptButton", &notice);
        QTest::mouseClick(view->mwcalibSaveButton, Qt::LeftButton);
        QCOMPARE(notice, QStringLiteral("Failed to save MW standard."));
        QCOMPARE(view->stackedWidget->currentIndex(), 1);
        QVERIFY(!view->mwStandardMenuButton->menus().contains(QStringLiteral("Another")));
        QTest::mouseClick(view->mwcalibCancelButton, Qt::LeftButton);

        chooseStandard(mine);
        QTest::mouseClick(view->mwEditButton, Qt::LeftButton);
        QStringList texts;
        answerBoxes({"acceptButton", "acceptButton"}, &texts);
        QTest::mouseClick(view->mwcalibDeleteButton, Qt::LeftButton);
        QVERIFY(QDir(file).removeRecursively());
        QCOMPARE(texts, (QStringList{QStringLiteral("Are you sure you want to delete \"%1\"?").arg(mine),
                                     QStringLiteral("Failed to delete MW standard.")}));
        QVERIFY(view->mwStandardMenuButton->menus().contains(mine));
        QCOMPARE(doc->MWStandardName(), mine);
        QCOMPARE(view->stackedWidget->currentIndex(), 1);
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyAnalysisViewMw)
#include "tst_kyanalysisviewmw.moc"
