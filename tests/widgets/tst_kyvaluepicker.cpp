#include "testmain.h"
#include "widgettest.h"

#include "widgets/kybutton.h"
#include "widgets/kyfonts.h"
#include "widgets/kyvaluepicker.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>

using kywidgettest::argb;
using kywidgettest::grabShown;
using kywidgettest::skinOnWindow;
using kywidgettest::windowMouse;

namespace {

KyButton *plusOf(KyValuePicker &picker)
{
    return picker.findChild<KyButton *>(QStringLiteral("plusButton"));
}

KyButton *minusOf(KyValuePicker &picker)
{
    return picker.findChild<KyButton *>(QStringLiteral("minusButton"));
}

KyLabel *displayOf(KyValuePicker &picker)
{
    return picker.findChild<KyLabel *>(QStringLiteral("display"));
}

} // namespace

class TestKyValuePicker : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerFontSubstitutions(); }

    void freshPicker()
    {
        KyValuePicker picker;
        QSignalSpy changed(&picker, &KyValuePicker::changed);
        QCOMPARE(picker.value(), 0);
        QCOMPARE(picker.minimum(), 0);
        QCOMPARE(picker.maximum(), 10);
        QCOMPARE(picker.text(), QStringLiteral("0"));
        QVERIFY(picker.autoRepeat());
        QVERIFY(!picker.isCalendar());
        QCOMPARE(picker.width(), 72);
        QCOMPARE(changed.count(), 0);
    }

    // One arrow step from a start value, with the range 0 to 10.
    void stepsAtTheEnds_data()
    {
        QTest::addColumn<bool>("loop");
        QTest::addColumn<int>("start");
        QTest::addColumn<bool>("upwards");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("plusEnabled");
        QTest::addColumn<bool>("minusEnabled");

        QTest::newRow("loop: up at the maximum wraps") << true << 10 << true << 1 << 0 << true << true;
        QTest::newRow("loop: down at the minimum wraps") << true << 0 << false << 1 << 10 << true << true;
        QTest::newRow("clamp: up at the maximum stays") << false << 10 << true << 1 << 10 << false << true;
        QTest::newRow("clamp: down at the minimum stays") << false << 0 << false << 1 << 0 << true << false;
        QTest::newRow("clamp: up onto the maximum") << false << 9 << true << 1 << 10 << false << true;
        QTest::newRow("loop: overshoot up lands on the minimum") << true << 9 << true << 5 << 0 << true << true;
        QTest::newRow("clamp: overshoot up lands on the maximum") << false << 9 << true << 5 << 10 << false << true;
        QTest::newRow("loop: overshoot down lands on the maximum") << true << 2 << false << 5 << 10 << true << true;
        QTest::newRow("clamp: overshoot down lands on the minimum") << false << 2 << false << 5 << 0 << true << false;
        QTest::newRow("clamp: inside the range") << false << 5 << true << 2 << 7 << true << true;
        QTest::newRow("loop: a huge step wraps, never overflows") << true << 5 << true << INT_MAX << 0 << true << true;
    }

    void stepsAtTheEnds()
    {
        QFETCH(bool, loop);
        QFETCH(int, start);
        QFETCH(bool, upwards);
        QFETCH(int, step);
        QFETCH(int, expected);
        QFETCH(bool, plusEnabled);
        QFETCH(bool, minusEnabled);

        KyValuePicker picker;
        picker.setLoop(loop);
        picker.setStep(step);
        picker.setValue(start);
        QSignalSpy finished(&picker, &KyValuePicker::finished);
        QVERIFY(QMetaObject::invokeMethod(&picker, upwards ? "up" : "down"));
        QCOMPARE(picker.value(), expected);
        QCOMPARE(picker.text(), QString::number(expected));
        QCOMPARE(plusOf(picker)->isEnabled(), plusEnabled);
        QCOMPARE(minusOf(picker)->isEnabled(), minusEnabled);
        // No button is held: the step is finished at once.
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toInt(), expected);
    }

    void setValueSignalsOnlyChanges()
    {
        KyValuePicker picker;
        QSignalSpy changed(&picker, &KyValuePicker::changed);
        picker.setValue(15);
        QCOMPARE(picker.value(), 10);
        QCOMPARE(picker.text(), QStringLiteral("10"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toInt(), 10);
        picker.setValue(10);
        picker.setValue(12);
        QCOMPARE(changed.count(), 1);
        picker.setValue(-3);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(changed.at(1).at(0).toInt(), 0);
    }

    void texts_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("zeroLeading");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("expected");

        QTest::newRow("plain") << "%1" << 0 << 7 << "7";
        QTest::newRow("zeros") << "%1" << 3 << 7 << "007";
        QTest::newRow("longer than the zeros") << "%1" << 2 << 123 << "123";
        QTest::newRow("suffix") << "%1 mm" << 0 << 7 << "7 mm";
        QTest::newRow("zeros before the whole text") << "%1 mm" << 6 << 7 << "007 mm";
        QTest::newRow("suffix counts towards the length") << "%1%" << 3 << 7 << "07%";
        QTest::newRow("suffix already long enough") << "%1 mm" << 3 << 7 << "7 mm";
    }

    void texts()
    {
        QFETCH(QString, format);
        QFETCH(int, zeroLeading);
        QFETCH(int, value);
        QFETCH(QString, expected);

        KyValuePicker picker;
        picker.setMaximum(1000);
        picker.setValue(value);
        QSignalSpy changed(&picker, &KyValuePicker::changed);
        picker.setFormat(format);
        picker.setZeroLeading(zeroLeading);
        QCOMPARE(picker.text(), expected);
        QCOMPARE(changed.count(), 0);
    }

    void textFunction()
    {
        KyValuePicker picker;
        picker.setFormat(QStringLiteral("[%1]"));
        picker.setValue(3);
        picker.setTextFunction([](int v) { return QStringLiteral("Set %1").arg(QChar(u'A' + v)); });
        QCOMPARE(picker.text(), QStringLiteral("[Set D]"));
        picker.setValue(4);
        QCOMPARE(picker.text(), QStringLiteral("[Set E]"));
        QVERIFY(!picker.isCalendar());
    }

    void calendar()
    {
        QCOMPARE(monthName(1), QStringLiteral("Jan"));
        QCOMPARE(monthName(12), QStringLiteral("Dec"));
        QCOMPARE(monthName(0), QStringLiteral("?"));
        QCOMPARE(monthName(13), QStringLiteral("?"));
        QCOMPARE(numberText(-42), QStringLiteral("-42"));

        KyValuePicker picker;
        picker.setValue(5);
        picker.setCalendar(true);
        QVERIFY(picker.isCalendar());
        QCOMPARE(picker.minimum(), 1);
        QCOMPARE(picker.maximum(), 12);
        QCOMPARE(picker.value(), 1);
        QCOMPARE(picker.text(), QStringLiteral("Jan"));
        QVERIFY(QMetaObject::invokeMethod(&picker, "down"));
        QCOMPARE(picker.text(), QStringLiteral("Dec"));
        picker.setValue(13);
        QCOMPARE(picker.text(), QStringLiteral("Dec"));

        // Lowering the minimum lets a value outside the months through.
        picker.setMinimum(0);
        picker.setValue(0);
        QCOMPARE(picker.text(), QStringLiteral("?"));

        picker.setCalendar(false);
        QVERIFY(!picker.isCalendar());
        QCOMPARE(picker.text(), QStringLiteral("0"));
        QCOMPARE(picker.maximum(), 12);
    }

    void rangeEnds()
    {
        KyValuePicker picker;
        picker.setValue(5);
        QSignalSpy changed(&picker, &KyValuePicker::changed);
        picker.setMinimum(20);
        QCOMPARE(picker.maximum(), 20);
        QCOMPARE(picker.value(), 20);
        QCOMPARE(picker.text(), QStringLiteral("20"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toInt(), 20);

        picker.setMaximum(-5);
        QCOMPARE(picker.minimum(), -5);
        QCOMPARE(picker.value(), -5);
        QCOMPARE(changed.count(), 2);
    }

    // Moving an end away from the value frees the arrow towards it.
    void movedEndReenablesArrow()
    {
        KyValuePicker picker;
        picker.setLoop(false);
        picker.setValue(10);
        QVERIFY(!plusOf(picker)->isEnabled());
        picker.setMaximum(20);
        QVERIFY(plusOf(picker)->isEnabled());
        picker.setValue(0);
        QVERIFY(!minusOf(picker)->isEnabled());
        picker.setMinimum(-1);
        QVERIFY(minusOf(picker)->isEnabled());
        picker.setLoop(true);
        picker.setValue(-1);
        QVERIFY(minusOf(picker)->isEnabled());
    }

    void clickOnArrows()
    {
        KyValuePicker picker;
        picker.setValue(4);
        grabShown(&picker);
        QSignalSpy changed(&picker, &KyValuePicker::changed);
        QSignalSpy finished(&picker, &KyValuePicker::finished);
        windowMouse(QTest::MouseClick, plusOf(picker), Qt::LeftButton, QPoint(36, 26));
        QCOMPARE(picker.value(), 5);
        windowMouse(QTest::MouseClick, minusOf(picker), Qt::LeftButton, QPoint(36, 26));
        windowMouse(QTest::MouseClick, minusOf(picker), Qt::LeftButton, QPoint(36, 26));
        QCOMPARE(picker.value(), 3);
        QCOMPARE(changed.count(), 3);
        QCOMPARE(finished.count(), 3);

        QSignalSpy clicked(&picker, &KyValuePicker::clicked);
        windowMouse(QTest::MouseClick, displayOf(picker), Qt::LeftButton, displayOf(picker)->rect().center());
        QCOMPARE(clicked.count(), 1);
    }

    // Auto-repeat steps while the arrow is held; the run ends with one finished(int) after release.
    void heldArrowFinishesOnce()
    {
        KyValuePicker picker;
        picker.setMaximum(1000);
        grabShown(&picker);
        QSignalSpy changed(&picker, &KyValuePicker::changed);
        QSignalSpy finished(&picker, &KyValuePicker::finished);

        KyButton *plus = plusOf(picker);
        windowMouse(QTest::MousePress, plus, Qt::LeftButton, QPoint(36, 26));
        QTRY_VERIFY_WITH_TIMEOUT(changed.count() >= 4, 3000);
        QCOMPARE(finished.count(), 0);
        windowMouse(QTest::MouseRelease, plus, Qt::LeftButton, QPoint(36, 26));

        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 1000);
        const int steps = changed.count();
        QCOMPARE(picker.value(), steps);
        QCOMPARE(finished.at(0).at(0).toInt(), steps);
        // Every check left pending by the repeats finds the run reported already.
        QTest::qWait(400);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(changed.count(), steps);
    }

    void arrowSkinsPerType_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("arrangement");
        QTest::newRow("vertical") << int(KyValuePicker::kType_Vertical) << "vertical";
        QTest::newRow("horizontal") << int(KyValuePicker::kType_Horizontal) << "horizontal";
    }

    void arrowSkinsPerType()
    {
        QFETCH(int, type);
        QFETCH(QString, arrangement);

        KyValuePicker picker;
        picker.setType(KyValuePicker::EType(type));
        picker.setLoop(false);
        picker.setValue(10);
        if (type == KyValuePicker::kType_Horizontal)
            picker.setFixedWidth(300);
        grabShown(&picker);
        KyButton *plus = plusOf(picker);
        KyButton *minus = minusOf(picker);
        QCOMPARE(plus->size(), QSize(72, 52));
        const QString base = QStringLiteral("value_picker_") + arrangement + QStringLiteral("_btn_");
        QCOMPARE(argb(plus->grab()),
                 skinOnWindow(*plus, base + QStringLiteral("plus_disable.png"), 10, 10, 10, 10));
        QCOMPARE(argb(minus->grab()),
                 skinOnWindow(*minus, base + QStringLiteral("minus_normal.png"), 10, 10, 10, 10));
        minus->setDown(true);
        QCOMPARE(argb(minus->grab()),
                 skinOnWindow(*minus, base + QStringLiteral("minus_pressed.png"), 10, 10, 10, 10));
        minus->setDown(false);

        // The value sits between the arrows and takes the width they leave.
        KyLabel *display = displayOf(picker);
        if (type == KyValuePicker::kType_Vertical) {
            QCOMPARE(picker.width(), 72);
            QCOMPARE(display->width(), 68);
            QVERIFY(plus->geometry().bottom() < display->geometry().top());
            QVERIFY(display->geometry().bottom() < minus->geometry().top());
        } else {
            QCOMPARE(picker.height(), 52);
            QCOMPARE(display->width(), 300 - 72 - 72);
            QVERIFY(minus->geometry().right() < display->geometry().left());
            QVERIFY(display->geometry().right() < plus->geometry().left());
        }
    }

    void focusLookStaysUntilCleared()
    {
        KyValuePicker picker;
        picker.setHasFocus(true);
        QVERIFY(QMetaObject::invokeMethod(&picker, "up"));
        QVERIFY(picker.isFocussed());
        KyLabel *display = displayOf(picker);
        QCOMPARE(display->color(), KyLabel::kColor_White);
        QCOMPARE(display->palette().color(QPalette::Window), KyLabel::tableColor(KyLabel::kColor_Blue));
        picker.setFocussed(false);
        QCOMPARE(display->color(), KyLabel::kColor_Black);
        QCOMPARE(display->palette().color(QPalette::Window), KyLabel::tableColor(KyLabel::kColor_White));
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyValuePicker)
#include "tst_kyvaluepicker.moc"
