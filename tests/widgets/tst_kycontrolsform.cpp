#include "testmain.h"

#include "ui_controlsform.h"
#include "widgets/kyfonts.h"

#include <QApplication>
#include <QLineEdit>

// The screens are generated forms: every property they set by name, enum-valued ones included,
// has to reach the control. An enum the meta-object system does not know is dropped silently.
class TestKyControlsForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerFontSubstitutions(); }

    void formPropertiesReachTheControls()
    {
        QWidget root;
        Ui::ControlsForm ui;
        ui.setupUi(&root);

        QCOMPARE(ui.titleLabel->size(), KyLabel::kSize_Large);
        QCOMPARE(ui.titleLabel->font().pointSize(), 48);
        QCOMPARE(ui.titleLabel->color(), KyLabel::kColor_Blue);
        QVERIFY(ui.headerLabel->isTopHeader());
        QCOMPARE(ui.headerLabel->font().family(), QStringLiteral("Tolvsans Pitch"));

        QCOMPARE(ui.nextButton->type(), KyButton::kType_Gray);
        QCOMPARE(ui.nextButton->iconLayout(), KyButton::kIcon_Vertical);
        QCOMPARE(ui.nextButton->textSize(), KyLabel::kSize_VerySmall);
        QCOMPARE(ui.nextButton->textColor(), KyLabel::kColor_DarkGray);
        QVERIFY(ui.nextButton->isLongPress());
        QCOMPARE(ui.nextButton->icon().size(), QSize(32, 32));
        QCOMPARE(ui.nextButton->text(), QStringLiteral("Next"));

        QCOMPARE(ui.panel->pixmap().size(), QSize(40, 40));
        QCOMPARE(ui.panel->property("mBorderLeft").toInt(), 7);
        QCOMPARE(ui.panel->property("mBorderRight").toInt(), 8);
        QCOMPARE(ui.panel->property("mBorderTop").toInt(), 9);
        QCOMPARE(ui.panel->property("mBorderBottom").toInt(), 6);
        QVERIFY(ui.panel->isClickable());

        QCOMPARE(ui.textEdit->type(), KyLabel::kSize_Middle);
        QCOMPARE(ui.textEdit->font().pointSize(), 24);
        QVERIFY(ui.textArea->isReadOnly());
        QCOMPARE(ui.textArea->maxLength(), 4);
        QCOMPARE(ui.progressBar->maximum(), 20);
        QCOMPARE(ui.progressBar->value(), 5);
        QCOMPARE(ui.invertCheckBox->text(), QStringLiteral("Invert"));
        QCOMPARE(ui.bgNoneRadioButton->text(), QStringLiteral("None"));
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyControlsForm)
#include "tst_kycontrolsform.moc"
