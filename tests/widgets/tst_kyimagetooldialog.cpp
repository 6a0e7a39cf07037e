#include "testmain.h"
#include "widgettest.h"

#include "widgets/kyborderimage.h"
#include "widgets/kybutton.h"
#include "widgets/kyfonts.h"
#include "widgets/kyimagetooldialog.h"
#include "widgets/kylabel.h"
#include "widgets/kyoverlaywidget.h"

#include <QApplication>
#include <QTimer>

using kywidgettest::argb;
using kywidgettest::skinImage;
using kywidgettest::windowMouse;

namespace {

template<typename T>
T *part(const QWidget &dialog, const char *name)
{
    return dialog.findChild<T *>(QLatin1String(name));
}

} // namespace

class TestKyImageToolDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerFontSubstitutions(); }

    void form_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("parentName");
        QTest::addColumn<QRect>("geometry");

        QTest::newRow("backImage") << "backImage" << "KyOverlayWidget" << "KyImageToolDialog" << QRect(0, 0, 800, 600);
        QTest::newRow("toolPalette") << "toolPalette" << "KyBorderImage" << "backImage" << QRect(390, 80, 271, 331);
        QTest::newRow("titleLabel") << "titleLabel" << "KyLabel" << "toolPalette" << QRect(10, 10, 251, 31);
        QTest::newRow("zoomButton") << "zoomButton" << "KyButton" << "toolPalette" << QRect(20, 60, 111, 101);
        QTest::newRow("intensityButton") << "intensityButton" << "KyButton" << "toolPalette" << QRect(140, 60, 111, 101);
        QTest::newRow("contrastButton") << "contrastButton" << "KyButton" << "toolPalette" << QRect(20, 160, 111, 101);
        QTest::newRow("displayButton") << "displayButton" << "KyButton" << "toolPalette" << QRect(140, 160, 111, 101);
        QTest::newRow("dummyButton") << "dummyButton" << "KyBorderImage" << "backImage" << QRect(645, 80, 101, 71);
        QTest::newRow("label_2") << "label_2" << "QLabel" << "dummyButton" << QRect(0, 0, 101, 71);
        QTest::newRow("label") << "label" << "QLabel" << "KyImageToolDialog" << QRect(0, 0, 800, 600);
    }

    void form()
    {
        QFETCH(QString, name);
        QFETCH(QString, className);
        QFETCH(QString, parentName);
        QFETCH(QRect, geometry);

        KyImageToolDialog dialog;
        auto *widget = dialog.findChild<QWidget *>(name);
        QVERIFY(widget);
        QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), className);
        QCOMPARE(widget->parentWidget()->objectName(), parentName);
        QCOMPARE(widget->geometry(), geometry);
    }

    void faces()
    {
        KyImageToolDialog dialog;
        QCOMPARE(dialog.objectName(), QStringLiteral("KyImageToolDialog"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("KyImageToolDialog"));
        QVERIFY(dialog.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(dialog.testAttribute(Qt::WA_TranslucentBackground));
        QCOMPARE(dialog.selectedTool(), QString());

        auto *title = part<KyLabel>(dialog, "titleLabel");
        QCOMPARE(title->text(), QStringLiteral("Image tools"));
        QCOMPARE(title->alignment(), Qt::AlignHCenter | Qt::AlignVCenter);
        QCOMPARE(title->frameShape(), QFrame::NoFrame);

        auto *palette = part<KyBorderImage>(dialog, "toolPalette");
        QCOMPARE(argb(palette->pixmap()), skinImage(QStringLiteral("overlay_window.png")));
        QCOMPARE(palette->property("mBorderLeft").toInt(), 19);
        QCOMPARE(palette->property("mBorderRight").toInt(), 19);
        QCOMPARE(palette->property("mBorderTop").toInt(), 49);
        QCOMPARE(palette->property("mBorderBottom").toInt(), 19);
        auto *badge = part<KyBorderImage>(dialog, "dummyButton");
        QCOMPARE(argb(badge->pixmap()), skinImage(QStringLiteral("btn_grey_pressed.png")));
        QCOMPARE(badge->property("mBorderTop").toInt(), 20);
        QCOMPARE(argb(part<QLabel>(dialog, "label_2")->pixmap()),
                 skinImage(QStringLiteral("icon_tools.png")));
        QVERIFY(part<QLabel>(dialog, "label")->hasScaledContents());
        QCOMPARE(argb(part<QLabel>(dialog, "label")->pixmap()),
                 skinImage(QStringLiteral("overlay_window_bg_cover.png")));

        const struct
        {
            const char *name;
            const char *text;
            const char *icon;
        } tools[] = {
            {"zoomButton", "Zoom", "icon_zoom.png"},
            {"intensityButton", "Intensity", "icon_intensity.png"},
            {"contrastButton", "Contrast", "icon_range.png"},
            {"displayButton", "Display", "icon_pos_neg.png"},
        };
        for (const auto &tool : tools) {
            auto *button = part<KyButton>(dialog, tool.name);
            QCOMPARE(button->text(), QLatin1String(tool.text));
            QCOMPARE(button->iconLayout(), KyButton::kIcon_Vertical);
            QCOMPARE(argb(button->icon()), skinImage(QLatin1String(tool.icon)));
        }
    }

    void placement()
    {
        KyImageToolDialog alone;
        QCOMPARE(alone.size(), QSize(800, 564));
        QCOMPARE(alone.pos(), QPoint(0, 0));

        QWidget screen;
        screen.setGeometry(40, 30, 1024, 768);
        KyImageToolDialog over(&screen);
        QCOMPARE(over.pos(), QPoint(40, 30));
        // The form's own size wins over the screen's.
        QCOMPARE(over.size(), QSize(800, 564));
        QVERIFY(over.isWindow());
    }

    // The backdrop lies above the cover picture, the palette on the backdrop.
    void stacking()
    {
        KyImageToolDialog dialog;
        QCOMPARE(dialog.childAt(100, 100), part<QWidget>(dialog, "backImage"));
        QCOMPARE(dialog.childAt(400, 300), part<QWidget>(dialog, "toolPalette"));
    }

    void choices_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("tool");

        QTest::newRow("Zoom") << "zoomButton" << int(QDialog::Accepted) << "Zoom";
        QTest::newRow("Intensity") << "intensityButton" << int(QDialog::Accepted) << "Intensity";
        QTest::newRow("Contrast") << "contrastButton" << int(QDialog::Accepted) << "Contrast";
        QTest::newRow("Display") << "displayButton" << int(QDialog::Accepted) << "Display";
        QTest::newRow("backdrop") << "backImage" << int(QDialog::Rejected) << "";
        QTest::newRow("badge on the backdrop") << "dummyButton" << int(QDialog::Rejected) << "";
    }

    // The dialog runs modally; the click comes from a zero-time timer once it shows.
    void choices()
    {
        QFETCH(QString, target);
        QFETCH(int, result);
        QFETCH(QString, tool);

        KyImageToolDialog dialog;
        auto *widget = dialog.findChild<QWidget *>(target);
        QVERIFY(widget);
        const QPoint at = target == QLatin1String("backImage") ? QPoint(100, 300) : widget->rect().center();
        bool clicked = false;
        QTimer::singleShot(0, &dialog, [&] {
            if (!QTest::qWaitForWindowExposed(&dialog))
                return;
            windowMouse(QTest::MouseClick, widget, Qt::LeftButton, at);
            clicked = true;
        });
        QTimer::singleShot(5000, &dialog, [&] { dialog.done(-1); });
        QCOMPARE(dialog.exec(), result);
        QVERIFY(clicked);
        QCOMPARE(dialog.selectedTool(), tool);
    }

    void backdropKeepsEarlierChoice()
    {
        KyImageToolDialog dialog;
        QTimer::singleShot(0, &dialog, [&] {
            if (QTest::qWaitForWindowExposed(&dialog))
                windowMouse(QTest::MouseClick, part<QWidget>(dialog, "intensityButton"), Qt::LeftButton, QPoint(50, 50));
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QTimer::singleShot(0, &dialog, [&] {
            if (QTest::qWaitForWindowExposed(&dialog))
                windowMouse(QTest::MouseClick, &dialog, Qt::LeftButton, QPoint(50, 500));
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCOMPARE(dialog.selectedTool(), QStringLiteral("Intensity"));
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyImageToolDialog)
#include "tst_kyimagetooldialog.moc"
