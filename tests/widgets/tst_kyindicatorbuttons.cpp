#include "testmain.h"
#include "widgettest.h"

#include "widgets/kycheckbox.h"
#include "widgets/kyfonts.h"
#include "widgets/kyradiobutton.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOption>

using kywidgettest::grabShown;
using kywidgettest::windowMouse;

namespace {

QLabel *indicatorOf(const QWidget &button)
{
    for (QLabel *label : button.findChildren<QLabel *>())
        if (!qobject_cast<KyLabel *>(label))
            return label;
    return nullptr;
}

QImage resource(const QString &name)
{
    return QImage(QStringLiteral(":/KYParts/Resources/") + name).convertToFormat(QImage::Format_ARGB32);
}

// One test body for both controls: they differ only in their class and pictures.
std::unique_ptr<QAbstractButton> make(bool radio)
{
    if (radio)
        return std::make_unique<KyRadioButton>();
    return std::make_unique<KyCheckBox>();
}

} // namespace

class TestKyIndicatorButtons : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerFontSubstitutions(); }

    void indicatorPerState_data()
    {
        QTest::addColumn<bool>("radio");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<bool>("down");
        QTest::addColumn<QString>("image");
        QTest::newRow("box checked down") << false << true << true << true << "checkbox_on_pressed.png";
        QTest::newRow("box checked") << false << true << true << false << "checkbox_on.png";
        QTest::newRow("box unchecked down") << false << true << false << true << "checkbox_off_pressed.png";
        QTest::newRow("box unchecked") << false << true << false << false << "checkbox_off.png";
        QTest::newRow("box disabled checked") << false << false << true << false << "checkbox_off.png";
        QTest::newRow("box disabled unchecked") << false << false << false << false << "checkbox_off.png";
        QTest::newRow("radio checked down") << true << true << true << true << "radiobutton_on_pressed.png";
        QTest::newRow("radio checked") << true << true << true << false << "radiobutton_on.png";
        QTest::newRow("radio unchecked down") << true << true << false << true << "radiobutton_off_pressed.png";
        QTest::newRow("radio unchecked") << true << true << false << false << "radiobutton_off.png";
        QTest::newRow("radio disabled checked") << true << false << true << false << "radiobutton_on_disabled.png";
        QTest::newRow("radio disabled unchecked") << true << false << false << false << "radiobutton_off_disabled.png";
    }
    void indicatorPerState()
    {
        QFETCH(bool, radio);
        QFETCH(bool, enabled);
        QFETCH(bool, checked);
        QFETCH(bool, down);
        QFETCH(QString, image);
        const QImage expected = resource(image);
        QCOMPARE(expected.size(), QSize(32, 32));
        auto button = make(radio);
        button->setChecked(checked);
        button->setDown(down);
        button->setEnabled(enabled);
        const QImage shot = grabShown(button.get());
        QLabel *indicator = indicatorOf(*button);
        QCOMPARE(indicator->pixmap().toImage().convertToFormat(QImage::Format_ARGB32), expected);
        // And it is what shows on screen.
        const QRect at = indicator->geometry();
        QCOMPARE(at.size(), QSize(32, 32));
        // A disabled label shows its picture greyed by the style, as any disabled label does.
        QPixmap shown = QPixmap::fromImage(expected);
        if (!enabled) {
            QStyleOption option;
            option.initFrom(indicator);
            shown = indicator->style()->generatedIconPixmap(QIcon::Disabled, shown, &option);
        }
        QImage onScreen = kywidgettest::windowCanvas(at.size(), button->palette().color(QPalette::Window));
        QPainter(&onScreen).drawPixmap(0, 0, shown);
        QCOMPARE(shot.copy(at), onScreen.convertToFormat(QImage::Format_ARGB32));
    }

    // The pictures of neighbouring states differ, so the tests above can tell them apart.
    void indicatorStatesDiffer()
    {
        for (const QString &prefix : {QStringLiteral("checkbox"), QStringLiteral("radiobutton")}) {
            const QImage on = resource(prefix + "_on.png");
            const QImage off = resource(prefix + "_off.png");
            QVERIFY(on != off);
            QVERIFY(on != resource(prefix + "_on_pressed.png"));
            QVERIFY(off != resource(prefix + "_off_pressed.png"));
        }
        QVERIFY(resource("radiobutton_on.png") != resource("radiobutton_on_disabled.png"));
        QVERIFY(resource("radiobutton_off.png") != resource("radiobutton_off_disabled.png"));
    }

    void textLivesInTheLabel_data()
    {
        QTest::addColumn<bool>("radio");
        QTest::addColumn<QString>("initial");
        QTest::newRow("check box") << false << "check box";
        QTest::newRow("radio button") << true << "radio button";
    }
    void textLivesInTheLabel()
    {
        QFETCH(bool, radio);
        QFETCH(QString, initial);
        auto button = make(radio);
        KyLabel *label = button->findChild<KyLabel *>();
        QVERIFY(label);
        QCOMPARE(label->text(), initial);
        QCOMPARE(button->property("text").toString(), initial);
        QCOMPARE(label->size(), KyLabel::kSize_Small);
        QVERIFY(button->setProperty("text", QStringLiteral("Invert")));
        QCOMPARE(label->text(), QStringLiteral("Invert"));
        QCOMPARE(button->QAbstractButton::text(), QString());
        auto *row = qobject_cast<QHBoxLayout *>(button->layout());
        QVERIFY(row);
        QCOMPARE(row->count(), 3);
        QCOMPARE(row->itemAt(0)->widget(), indicatorOf(*button));
        QCOMPARE(row->itemAt(1)->widget(), label);
        QVERIFY(row->itemAt(2)->spacerItem());
        if (radio)
            QCOMPARE(row->contentsMargins(), QMargins(5, 2, 5, 2));
        // Laid out by its parts, not by the platform control's empty text.
        QVERIFY(button->sizeHint().width() >= 32 + label->sizeHint().width());
    }

    void checkBoxTextSize()
    {
        KyCheckBox box;
        box.setTextSize(KyLabel::kSize_Large);
        QCOMPARE(box.findChild<KyLabel *>()->size(), KyLabel::kSize_Large);
    }

    // Pressed on its text, dragged off and released: the release still toggles the box.
    void pressAnywhereDragOutStillToggles_data()
    {
        QTest::addColumn<bool>("radio");
        QTest::newRow("check box") << false;
        QTest::newRow("radio button") << true;
    }
    void pressAnywhereDragOutStillToggles()
    {
        QFETCH(bool, radio);
        QWidget window;
        window.resize(400, 200);
        auto button = make(radio);
        button->setParent(&window);
        button->setGeometry(10, 10, 250, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        KyLabel *label = button->findChild<KyLabel *>();
        const QPoint onText = label->geometry().center();
        QCOMPARE(button->childAt(onText), nullptr);
        QSignalSpy toggled(button.get(), &QAbstractButton::toggled);
        windowMouse(QTest::MousePress, button.get(), Qt::LeftButton, onText);
        QVERIFY(button->isDown());
        QTest::mouseMove(window.windowHandle(), QPoint(390, 190));
        QVERIFY(button->isDown());
        QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, {}, QPoint(390, 190));
        QVERIFY(button->isChecked());
        QCOMPARE(toggled.count(), 1);
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyIndicatorButtons)
#include "tst_kyindicatorbuttons.moc"
