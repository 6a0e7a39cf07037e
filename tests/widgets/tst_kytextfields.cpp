#include "testmain.h"
#include "widgettest.h"

#include "widgets/kyfonts.h"
#include "widgets/kyoverlaywidget.h"
#include "widgets/kytextarea.h"
#include "widgets/kytextedit.h"

#include <QApplication>
#include <QIntValidator>
#include <QLineEdit>
#include <QSignalSpy>

using kywidgettest::windowMouse;

class TestKyTextFields : public QObject
{
    Q_OBJECT

private:
    static QLineEdit *lineEditOf(KyTextArea &area) { return area.findChild<QLineEdit *>(); }

private slots:
    void initTestCase() { registerFontSubstitutions(); }

    void freshTextArea()
    {
        KyTextArea area;
        QLineEdit *edit = lineEditOf(area);
        QVERIFY(edit);
        QCOMPARE(area.text(), QStringLiteral("Text"));
        QVERIFY(!area.isReadOnly());
        QVERIFY(!edit->hasFrame());
        QCOMPARE(edit->font().family(), QStringLiteral("Arial"));
        QCOMPARE(edit->font().pointSize(), 16);
        QCOMPARE(area.alignment() & Qt::AlignVertical_Mask, Qt::AlignVCenter);
        QCOMPARE(edit->palette().color(QPalette::Base), QColor(Qt::white));
        QCOMPARE(area.pixmap().toImage(), QImage(QStringLiteral(":/KYParts/Resources/textarea.png")).convertToFormat(area.pixmap().toImage().format()));
        QCOMPARE(area.property("mBorderLeft").toInt(), 10);
        QCOMPARE(area.property("mBorderBottom").toInt(), 10);
    }

    void forwardsToTheLineEdit()
    {
        KyTextArea area;
        QLineEdit *edit = lineEditOf(area);
        QSignalSpy changed(&area, &KyTextArea::textChanged);
        QSignalSpy returned(&area, &KyTextArea::returnPressed);
        QVERIFY(area.setProperty("text", QStringLiteral("2789")));
        QCOMPARE(edit->text(), QStringLiteral("2789"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toString(), QStringLiteral("2789"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(returned.count(), 1);

        QVERIFY(area.setProperty("maxLength", 3));
        QCOMPARE(edit->maxLength(), 3);
        QCOMPARE(area.text(), QStringLiteral("278"));
        QVERIFY(area.setProperty("echoMode", QVariant::fromValue(QLineEdit::Password)));
        QCOMPARE(edit->echoMode(), QLineEdit::Password);
        area.setEchoMode(QLineEdit::Normal);
        QVERIFY(area.setProperty("alignment", QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter))));
        QCOMPARE(edit->alignment(), Qt::AlignRight | Qt::AlignVCenter);

        QIntValidator validator(0, 99);
        area.setValidator(&validator);
        QCOMPARE(edit->validator(), &validator);
        area.setValidator(nullptr);

        area.setMaxLength(10);
        area.setText(QStringLiteral("abc"));
        area.cursorBackward(false, 1);
        area.insert(QStringLiteral("X"));
        QCOMPARE(area.text(), QStringLiteral("abXc"));
        area.cursorForward(false, 1);
        area.backspace();
        QCOMPARE(area.text(), QStringLiteral("abX"));
        area.clear();
        QCOMPARE(area.text(), QString());

        area.setTextColor(Qt::red);
        QCOMPARE(edit->palette().color(QPalette::Text), QColor(Qt::red));
        QCOMPARE(edit->palette().color(QPalette::WindowText), QColor(Qt::red));
        area.setPointSize(30);
        QCOMPARE(edit->font().pointSize(), 30);
        QCOMPARE(edit->font().family(), QStringLiteral("Arial"));
    }

    // Clicks go through the window, so the widget under the pointer (the overlay while read-only,
    // the line edit otherwise) gets them as it would on screen.
    void readOnlyAreaClicksOncePerLeftClick()
    {
        QWidget window;
        window.resize(300, 100);
        KyTextArea area(&window);
        area.setGeometry(10, 10, 200, 50);
        QSignalSpy clicked(&area, &KyBorderImage::clicked);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        windowMouse(QTest::MouseClick, &area, Qt::LeftButton, QPoint(100, 25));
        QCOMPARE(clicked.count(), 0);

        QVERIFY(area.setProperty("readOnly", true));
        QVERIFY(area.isReadOnly());
        QVERIFY(lineEditOf(area)->isReadOnly());
        KyOverlayWidget *overlay = area.findChild<KyOverlayWidget *>();
        QVERIFY(overlay && overlay->isVisible());
        QCOMPARE(overlay->geometry(), area.rect());
        for (const QPoint at : {QPoint(100, 25), QPoint(2, 2), QPoint(198, 48)})
            windowMouse(QTest::MouseClick, &area, Qt::LeftButton, at);
        QCOMPARE(clicked.count(), 3);

        // The overlay follows the area's size.
        area.resize(250, 60);
        QCOMPARE(overlay->geometry(), area.rect());
        windowMouse(QTest::MouseClick, &area, Qt::LeftButton, QPoint(240, 55));
        QCOMPARE(clicked.count(), 4);

        area.setReadOnly(false);
        QVERIFY(!overlay->isVisible());
        windowMouse(QTest::MouseClick, &area, Qt::LeftButton, QPoint(100, 25));
        QCOMPARE(clicked.count(), 4);
    }

    void enabledStateReachesTheLineEdit()
    {
        KyTextArea area;
        area.setEnabled(false);
        QVERIFY(!lineEditOf(area)->isEnabled());
        area.setEnabled(true);
        QVERIFY(lineEditOf(area)->isEnabled());
    }

    void overlayClicksOnLeftButtonOnly()
    {
        KyOverlayWidget overlay;
        overlay.resize(50, 50);
        QSignalSpy clicked(&overlay, &KyOverlayWidget::clicked);
        QTest::mouseClick(&overlay, Qt::RightButton);
        QCOMPARE(clicked.count(), 0);
        QTest::mouseClick(&overlay, Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(overlay.palette().color(QPalette::Window).alpha(), 0);
        QVERIFY(overlay.autoFillBackground());
    }

    void textEditSizePresets_data()
    {
        QTest::addColumn<KyLabel::ESize>("type");
        QTest::addColumn<int>("points");
        QTest::newRow("kSize_Small") << KyLabel::kSize_Small << 16;
        QTest::newRow("kSize_Middle uses index 2") << KyLabel::kSize_Middle << 24;
        QTest::newRow("kSize_Large uses index 3") << KyLabel::kSize_Large << 36;
        QTest::newRow("kSize_VerySmall uses index 0") << KyLabel::kSize_VerySmall << 16;
        QTest::newRow("kSize_LargeSmall uses index 0") << KyLabel::kSize_LargeSmall << 16;
    }
    void textEditSizePresets()
    {
        QFETCH(KyLabel::ESize, type);
        QFETCH(int, points);
        KyTextEdit edit;
        QCOMPARE(edit.type(), KyLabel::kSize_Small);
        QVERIFY(edit.setProperty("mType", QVariant::fromValue(type)));
        QCOMPARE(edit.property("mType").value<KyLabel::ESize>(), type);
        QCOMPARE(edit.font().family(), QStringLiteral("Arial"));
        QCOMPARE(edit.font().pointSize(), points);
    }

    void textEditIsAReadOnlyDisplay()
    {
        KyTextEdit edit(QStringLiteral("Select and move corner point"));
        QCOMPARE(edit.text(), QStringLiteral("Select and move corner point"));
        QVERIFY(edit.isReadOnly());
        QCOMPARE(edit.textInteractionFlags(), Qt::NoTextInteraction);
        QCOMPARE(edit.frameShape(), QFrame::NoFrame);
        QCOMPARE(edit.viewport()->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(edit.palette().color(QPalette::Active, QPalette::Text), QColor(Qt::black));
        QCOMPARE(edit.palette().color(QPalette::Disabled, QPalette::Text), QColor(Qt::lightGray));
        edit.setText(QStringLiteral("<b>plain</b>"));
        QCOMPARE(edit.toPlainText(), QStringLiteral("<b>plain</b>"));
        edit.setHtml(QStringLiteral("<p>Contrast adjustment</p>"));
        QCOMPARE(edit.text(), QStringLiteral("Contrast adjustment"));
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyTextFields)
#include "tst_kytextfields.moc"
