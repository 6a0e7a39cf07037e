#include "testmain.h"
#include "widgettest.h"

#include "widgets/kybutton.h"
#include "widgets/kyborderimage.h"
#include "widgets/kyfonts.h"
#include "widgets/ninepartimage.h"

#include <QApplication>
#include <QBoxLayout>
#include <QPainter>
#include <QSignalSpy>

using kywidgettest::grabShown;
using kywidgettest::windowMouse;

namespace {

QImage skin(const QString &name)
{
    return QImage(QStringLiteral(":/KYParts/Resources/") + name);
}

QImage solid(QRgb colour, const QSize &size = QSize(40, 54))
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

// What a button without text or icon shows: its window background and the state image.
QImage expectedButton(const KyButton &button, const QImage &stateImage, int border = 10)
{
    QImage out = kywidgettest::windowCanvas(button.size(), button.palette().color(QPalette::Window));
    QPainter painter(&out);
    drawNinePartImage(&painter, out.rect(), stateImage, border, border, border, border);
    painter.end();
    return out.convertToFormat(QImage::Format_ARGB32);
}

KyLabel *textLabelOf(const KyButton &button)
{
    return button.findChild<KyLabel *>();
}

QLabel *iconLabelOf(const KyButton &button)
{
    for (QLabel *label : button.findChildren<QLabel *>())
        if (!qobject_cast<KyLabel *>(label))
            return label;
    return nullptr;
}

QBoxLayout *innerLayoutOf(const KyButton &button)
{
    return qobject_cast<QBoxLayout *>(button.findChild<KyBorderImage *>()->layout());
}

enum State { Normal, Pressed, Checked, Disabled, DisabledChecked };

void applyState(KyButton &button, State state)
{
    button.setCheckable(state == Checked || state == DisabledChecked);
    button.setChecked(state == Checked || state == DisabledChecked);
    button.setDown(state == Pressed);
    button.setEnabled(state != Disabled && state != DisabledChecked);
}

} // namespace

class TestKyButton : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerFontSubstitutions(); }

    void freshButton()
    {
        KyButton button;
        QCOMPARE(button.type(), KyButton::kType_Blue);
        QCOMPARE(button.iconLayout(), KyButton::kIcon_Horizontal);
        QCOMPARE(button.textColor(), KyLabel::kColor_White);
        QCOMPARE(button.pressedTextColor(), KyLabel::kColor_White);
        QCOMPARE(button.textSize(), KyLabel::kSize_Small);
        QCOMPARE(button.textAlignment(), Qt::AlignCenter);
        QCOMPARE(button.margins(), QMargins(5, 5, 5, 5));
        QVERIFY(button.icon().isNull());
        QVERIFY(!button.isLongPress());
        QCOMPARE(button.text(), QString());
        QVERIFY(textLabelOf(button)->isHidden());
        QVERIFY(iconLabelOf(button)->isHidden());
        QBoxLayout *inner = innerLayoutOf(button);
        QVERIFY(qobject_cast<QHBoxLayout *>(inner));
        QCOMPARE(inner->spacing(), 8);
        QCOMPARE(inner->contentsMargins(), QMargins(10, 10, 10, 10));
        QCOMPARE(button.layout()->contentsMargins(), QMargins(0, 0, 0, 0));
        // A call with the stored margins changes nothing.
        button.setMargins(QMargins(5, 5, 5, 5));
        QCOMPARE(inner->contentsMargins(), QMargins(10, 10, 10, 10));
    }

    void skinsPerTypeAndState_data()
    {
        QTest::addColumn<KyButton::EType>("type");
        QTest::addColumn<State>("state");
        QTest::addColumn<QString>("image");
        QTest::addColumn<KyLabel::EColor>("textColour");
        struct Row { KyButton::EType type; const char *name; KyLabel::EColor text; KyLabel::EColor pressedText; };
        const Row rows[] = {
            {KyButton::kType_Gray, "gray", KyLabel::kColor_Black, KyLabel::kColor_White},
            {KyButton::kType_Blue, "blue", KyLabel::kColor_White, KyLabel::kColor_White},
            {KyButton::kType_White, "white", KyLabel::kColor_Blue, KyLabel::kColor_White},
        };
        for (const Row &row : rows) {
            const QString base = QStringLiteral("btn_%1").arg(QLatin1String(row.name));
            QTest::addRow("%s normal", row.name) << row.type << Normal << base + ".png" << row.text;
            QTest::addRow("%s pressed", row.name) << row.type << Pressed << base + "_pressed.png" << row.pressedText;
            QTest::addRow("%s checked", row.name) << row.type << Checked << base + "_pressed.png" << row.pressedText;
            QTest::addRow("%s disabled", row.name) << row.type << Disabled << base + "_disabled.png" << row.pressedText;
            QTest::addRow("%s disabled and checked", row.name)
                << row.type << DisabledChecked << base + "_disabled.png" << row.pressedText;
        }
    }
    void skinsPerTypeAndState()
    {
        QFETCH(KyButton::EType, type);
        QFETCH(State, state);
        QFETCH(QString, image);
        QFETCH(KyLabel::EColor, textColour);
        const QImage stateImage = skin(image);
        QCOMPARE(stateImage.size(), QSize(40, 54));
        KyButton button;
        QVERIFY(button.setProperty("type", QVariant::fromValue(type)));
        QCOMPARE(button.type(), type);
        button.resize(130, 54);
        applyState(button, state);
        QCOMPARE(grabShown(&button), expectedButton(button, stateImage));
        QCOMPARE(textLabelOf(button)->color(), textColour);
    }

    // Tests tell the states apart by their pixels: a skin set whose states look alike fails here.
    void statesDifferInPixels_data()
    {
        QTest::addColumn<KyButton::EType>("type");
        QTest::newRow("gray") << KyButton::kType_Gray;
        QTest::newRow("blue") << KyButton::kType_Blue;
        QTest::newRow("white") << KyButton::kType_White;
    }
    void statesDifferInPixels()
    {
        QFETCH(KyButton::EType, type);
        KyButton button;
        button.setType(type);
        button.resize(130, 54);
        QList<QImage> shots;
        for (State state : {Normal, Pressed, Disabled}) {
            applyState(button, state);
            shots << grabShown(&button);
        }
        QVERIFY(shots[0] != shots[1]);
        QVERIFY(shots[0] != shots[2]);
        QVERIFY(shots[1] != shots[2]);
    }

    void textColourShowsInPixels()
    {
        KyButton button;
        button.setType(KyButton::kType_Gray);
        button.setText(QStringLiteral("\u2588\u2588"));
        button.resize(130, 54);
        QVERIFY(!textLabelOf(button)->isHidden());
        QVERIFY(kywidgettest::colours(grabShown(&button)).contains(qRgb(0, 0, 0)));
        button.setDown(true);
        const QSet<QRgb> down = kywidgettest::colours(button.grab().toImage().convertToFormat(QImage::Format_ARGB32));
        QVERIFY(down.contains(qRgb(255, 255, 255)));
        QVERIFY(!down.contains(qRgb(0, 0, 0)));
    }

    void ownSkinsWithFewerImages_data()
    {
        QTest::addColumn<int>("imageCount");
        QTest::addColumn<State>("state");
        QTest::addColumn<int>("shown"); // index of the image, -1 for nothing
        QTest::newRow("two images, pressed") << 2 << Pressed << 1;
        QTest::newRow("two images, checked") << 2 << Checked << 1;
        QTest::newRow("two images, disabled shows the normal image") << 2 << Disabled << 0;
        QTest::newRow("one image, pressed shows it") << 1 << Pressed << 0;
        QTest::newRow("three images, disabled") << 3 << Disabled << 2;
        QTest::newRow("no image draws nothing") << 0 << Normal << -1;
    }
    void ownSkinsWithFewerImages()
    {
        QFETCH(int, imageCount);
        QFETCH(State, state);
        QFETCH(int, shown);
        const QList<QImage> images{solid(qRgb(200, 0, 0)), solid(qRgb(0, 200, 0)), solid(qRgb(0, 0, 200))};
        KyButton button;
        button.setBackground(images.mid(0, imageCount), 4, 4, 4, 4);
        button.resize(80, 40);
        applyState(button, state);
        QCOMPARE(button.stateImageIndex(), shown);
        const QImage expected = shown < 0 ? expectedButton(button, QImage()) : expectedButton(button, images[shown], 4);
        QCOMPARE(grabShown(&button), expected);
        // The pressed text colour is used for disabled buttons.
        button.setPressedTextColor(KyLabel::kColor_Gray);
        button.grab();
        QCOMPARE(textLabelOf(button)->color(), state == Normal ? KyLabel::kColor_White : KyLabel::kColor_Gray);
    }

    void unknownTypeClearsTheSkin()
    {
        KyButton button;
        QVERIFY(button.setProperty("type", 7));
        QCOMPARE(int(button.type()), 7);
        QCOMPARE(button.stateImageIndex(), -1);
    }

    void typeOverridesTextColours()
    {
        KyButton button;
        button.setTextColor(KyLabel::kColor_Blue);
        button.setPressedTextColor(KyLabel::kColor_Gray);
        button.setType(KyButton::kType_Gray);
        QCOMPARE(button.textColor(), KyLabel::kColor_Black);
        QCOMPARE(button.pressedTextColor(), KyLabel::kColor_White);
        button.setType(KyButton::kType_White);
        QCOMPARE(button.textColor(), KyLabel::kColor_Blue);
    }

    void textShowsAndHidesTheLabel()
    {
        KyButton button;
        button.setText(QStringLiteral("Detect"));
        QCOMPARE(button.text(), QStringLiteral("Detect"));
        QCOMPARE(button.QAbstractButton::text(), QStringLiteral("Detect"));
        QVERIFY(!textLabelOf(button)->isHidden());
        button.setText(QString());
        QVERIFY(textLabelOf(button)->isHidden());
        QVERIFY(button.setProperty("text", QStringLiteral("Next")));
        QVERIFY(!textLabelOf(button)->isHidden());
        QCOMPARE(textLabelOf(button)->text(), QStringLiteral("Next"));

        button.setTextSize(KyLabel::kSize_Large);
        QCOMPARE(textLabelOf(button)->size(), KyLabel::kSize_Large);
        button.setTextWidth(77);
        QCOMPARE(textLabelOf(button)->minimumWidth(), 77);
        QCOMPARE(textLabelOf(button)->maximumWidth(), 77);
        QVERIFY(button.setProperty("textAlignment", QVariant::fromValue(Qt::Alignment(Qt::AlignRight))));
        QCOMPARE(textLabelOf(button)->alignment(), Qt::AlignRight);
    }

    void iconLayouts_data()
    {
        QTest::addColumn<KyButton::EIconLayout>("layout");
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<int>("spacing");
        QTest::addColumn<int>("margin");
        QTest::addColumn<Qt::Alignment>("withIcon");
        QTest::newRow("horizontal") << KyButton::kIcon_Horizontal << false << 8 << 10
                                    << Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter);
        QTest::newRow("vertical") << KyButton::kIcon_Vertical << true << 0 << 2 << Qt::Alignment(Qt::AlignCenter);
        QTest::newRow("horizontal right") << KyButton::kIcon_HorizontalRight << false << 2 << 10
                                          << Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    void iconLayouts()
    {
        QFETCH(KyButton::EIconLayout, layout);
        QFETCH(bool, vertical);
        QFETCH(int, spacing);
        QFETCH(int, margin);
        QFETCH(Qt::Alignment, withIcon);
        KyButton button;
        button.setMargins(QMargins(3, 3, 3, 3));
        QCOMPARE(innerLayoutOf(button)->contentsMargins(), QMargins(3, 3, 3, 3));
        // Forms set it by name, as an enum key.
        QVERIFY(button.setProperty("mIconLayout", QVariant::fromValue(layout)));
        QBoxLayout *inner = innerLayoutOf(button);
        QCOMPARE(bool(qobject_cast<QVBoxLayout *>(inner)), vertical);
        QCOMPARE(inner->spacing(), spacing);
        QCOMPARE(inner->contentsMargins(), QMargins(margin, margin, margin, margin));
        QCOMPARE(inner->indexOf(iconLabelOf(button)), 0);
        QCOMPARE(inner->indexOf(textLabelOf(button)), 1);
        QCOMPARE(button.textAlignment(), Qt::AlignCenter);

        QPixmap icon(24, 24);
        icon.fill(Qt::red);
        button.setIcon(icon);
        QVERIFY(!iconLabelOf(button)->isHidden());
        QCOMPARE(iconLabelOf(button)->alignment(), Qt::AlignCenter);
        // The horizontal-right layout keeps the alignment it had.
        if (layout != KyButton::kIcon_HorizontalRight)
            QCOMPARE(button.textAlignment(), withIcon);
        if (layout == KyButton::kIcon_Horizontal)
            QCOMPARE(inner->stretch(1), 5);
        button.setIconLayout(layout);
        QCOMPARE(button.textAlignment(), withIcon);

        // The layout was rebuilt.
        inner = innerLayoutOf(button);
        button.setIcon(QPixmap());
        QVERIFY(iconLabelOf(button)->isHidden());
        QCOMPARE(inner->stretch(1), 0);
    }

    void iconPerState_data()
    {
        QTest::addColumn<bool>("ownIcons");
        QTest::addColumn<State>("state");
        QTest::addColumn<int>("shown"); // 0 normal, 1 pressed, 2 disabled icon
        QTest::newRow("normal") << true << Normal << 0;
        QTest::newRow("pressed") << true << Pressed << 1;
        QTest::newRow("checked") << true << Checked << 1;
        QTest::newRow("disabled") << true << Disabled << 2;
        QTest::newRow("pressed without a pressed icon") << false << Pressed << 0;
        QTest::newRow("disabled without a disabled icon") << false << Disabled << 0;
    }
    void iconPerState()
    {
        QFETCH(bool, ownIcons);
        QFETCH(State, state);
        QFETCH(int, shown);
        QList<QPixmap> icons;
        for (QColor colour : {Qt::red, Qt::green, Qt::blue}) {
            QPixmap pixmap(20, 20);
            pixmap.fill(colour);
            icons << pixmap;
        }
        KyButton button;
        button.resize(120, 54);
        QVERIFY(button.setProperty("icon", icons[0]));
        if (ownIcons) {
            QVERIFY(button.setProperty("pressedIcon", icons[1]));
            QVERIFY(button.setProperty("disabledIcon", icons[2]));
        }
        applyState(button, state);
        const QImage shot = grabShown(&button);
        QCOMPARE(iconLabelOf(button)->pixmap().cacheKey(), icons[shown].cacheKey());
        // A disabled label greys its picture, so only enabled icons show their own colour.
        if (button.isEnabled())
            QVERIFY(kywidgettest::colours(shot).contains(icons[shown].toImage().pixel(0, 0)));
    }

    // The button's children only draw: whatever child is under the pointer, the button gets the press.
    void childrenAreTransparentForTheMouse()
    {
        QWidget window;
        window.resize(300, 100);
        KyButton button(&window);
        button.setGeometry(10, 10, 200, 54);
        QPixmap icon(24, 24);
        icon.fill(Qt::red);
        button.setIcon(icon);
        button.setText(QStringLiteral("Print"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QRect textArea = textLabelOf(button)->geometry().translated(textLabelOf(button)->parentWidget()->pos());
        QVERIFY(textArea.isValid());
        for (const QPoint at : {textArea.center(), QPoint(3, 3), iconLabelOf(button)->geometry().center()})
            QCOMPARE(button.childAt(at), nullptr);

        QSignalSpy clicked(&button, &KyButton::clicked);
        QSignalSpy labelClicked(textLabelOf(button), &KyLabel::clicked);
        windowMouse(QTest::MouseClick, &button, Qt::LeftButton, textArea.center());
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(labelClicked.count(), 0);

        // A long press started on the text is measured by the button too.
        button.setIsLongPress(true);
        QSignalSpy longClicked(&button, &KyButton::longClicked);
        windowMouse(QTest::MousePress, &button, Qt::LeftButton, textArea.center());
        windowMouse(QTest::MouseRelease, &button, Qt::LeftButton, textArea.center(), 1500);
        QCOMPARE(longClicked.count(), 1);
        QCOMPARE(clicked.count(), 1);
    }

    void longPress_data()
    {
        QTest::addColumn<bool>("longPress");
        QTest::addColumn<int>("heldMs");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<int>("longClicks");
        QTest::newRow("off, short") << false << 50 << 1 << 0;
        QTest::newRow("off, long") << false << 3000 << 1 << 0;
        QTest::newRow("on, short") << true << 50 << 1 << 0;
        QTest::newRow("on, exactly the interval") << true << 1000 << 1 << 0;
        QTest::newRow("on, one millisecond more") << true << 1001 << 0 << 1;
        QTest::newRow("on, long") << true << 5000 << 0 << 1;
    }
    void longPress()
    {
        QFETCH(bool, longPress);
        QFETCH(int, heldMs);
        QFETCH(int, clicks);
        QFETCH(int, longClicks);
        KyButton button;
        button.resize(100, 54);
        QVERIFY(button.setProperty("isLongPress", longPress));
        QCOMPARE(button.isLongPress(), longPress);
        QSignalSpy clicked(&button, &KyButton::clicked);
        QSignalSpy longClicked(&button, &KyButton::longClicked);
        QSignalSpy released(&button, &KyButton::released);
        QTest::mousePress(&button, Qt::LeftButton);
        QVERIFY(button.isDown());
        QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(), heldMs);
        QVERIFY(!button.isDown());
        QCOMPARE(clicked.count(), clicks);
        QCOMPARE(longClicked.count(), longClicks);
        // A long press brings the button up without a click, and without released().
        QCOMPARE(released.count(), clicks);
    }

    void rightButtonDoesNotClick()
    {
        KyButton button;
        button.resize(100, 54);
        QSignalSpy clicked(&button, &KyButton::clicked);
        QTest::mouseClick(&button, Qt::RightButton);
        QCOMPARE(clicked.count(), 0);
    }

    void doubleClick()
    {
        KyButton button;
        button.resize(100, 54);
        QSignalSpy clicked(&button, &KyButton::clicked);
        QSignalSpy doubleClicked(&button, &KyButton::doubleClicked);
        // The platform's order: press, release, double click (a second press), release.
        QTest::mouseClick(&button, Qt::LeftButton);
        QTest::mouseDClick(&button, Qt::LeftButton);
        QCOMPARE(doubleClicked.count(), 1);
        QVERIFY(button.isDown());
        QTest::mouseRelease(&button, Qt::LeftButton);
        QCOMPARE(clicked.count(), 2);
        QCOMPARE(doubleClicked.count(), 1);
    }

    void checkableButtonToggles()
    {
        KyButton button;
        button.setCheckable(true);
        button.resize(100, 54);
        QSignalSpy toggled(&button, &KyButton::toggled);
        QTest::mouseClick(&button, Qt::LeftButton);
        QVERIFY(button.isChecked());
        QCOMPARE(toggled.count(), 1);
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyButton)
#include "tst_kybutton.moc"
