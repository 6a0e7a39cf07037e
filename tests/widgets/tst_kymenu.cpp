#include "testmain.h"
#include "widgettest.h"

#include "widgets/kyborderimage.h"
#include "widgets/kyfonts.h"
#include "widgets/kymenu.h"
#include "widgets/kymenubutton.h"

#include <QApplication>
#include <QSignalSpy>
#include <QWheelEvent>

using kywidgettest::argb;
using kywidgettest::grabShown;
using kywidgettest::skinOnWindow;
using kywidgettest::windowMouse;

namespace {

const QString kUp = QStringLiteral("\u25B2");
const QString kDown = QStringLiteral("\u25BC");

QStringList numbered(int count)
{
    QStringList items;
    for (int i = 1; i <= count; ++i)
        items << QStringLiteral("Item %1").arg(i);
    return items;
}

QList<KyBorderImage *> rowsOf(const KyMenu &menu)
{
    return menu.findChildren<KyBorderImage *>(QString(), Qt::FindDirectChildrenOnly);
}

KyLabel *labelOf(const KyMenu &menu, int row)
{
    return rowsOf(menu).at(row)->findChild<KyLabel *>();
}

QStringList rowTexts(const KyMenu &menu)
{
    QStringList texts;
    for (KyBorderImage *row : rowsOf(menu))
        texts << row->findChild<KyLabel *>()->text();
    return texts;
}

// The rows that show a highlight image.
QList<int> litRows(const KyMenu &menu)
{
    QList<int> lit;
    const QList<KyBorderImage *> rows = rowsOf(menu);
    for (int i = 0; i < rows.size(); ++i)
        if (!rows.at(i)->pixmap().isNull())
            lit << i;
    return lit;
}

void wheel(QWidget *widget, int delta)
{
    const QPointF pos(20, 20);
    QWheelEvent event(pos, widget->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

void move(KyMenu &menu, int y, Qt::MouseButtons held)
{
    const QPointF pos(20, y);
    QMouseEvent event(QEvent::MouseMove, pos, menu.mapToGlobal(pos), Qt::NoButton, held, Qt::NoModifier);
    QApplication::sendEvent(&menu, &event);
}

void release(KyMenu &menu, int y)
{
    QTest::mouseRelease(&menu, Qt::LeftButton, {}, QPoint(20, y));
}

// A window with a menu button of many items, as the forms place them.
struct Form
{
    QWidget window;
    KyMenuButton *button = nullptr;

    explicit Form(int items, KyMenuButton::EDirection direction = KyMenuButton::kDirection_Down)
    {
        window.resize(400, 600);
        button = new KyMenuButton(&window);
        button->setGeometry(20, direction == KyMenuButton::kDirection_Down ? 20 : 520, 200, 42);
        button->setDirection(direction);
        button->setMenus(numbered(items));
        grabShown(&window);
    }

    KyMenu *menu() const { return window.findChild<KyMenu *>(); }

    void open()
    {
        windowMouse(QTest::MouseClick, button, Qt::LeftButton, QPoint(100, 21));
        QVERIFY(button->isMenuOpen());
        QVERIFY(menu());
        QVERIFY(menu()->isVisible());
    }

    // The drop-down goes once the events after the choice have run; the button's close step
    // follows 10 ms later (a drop-down opened before it would be hidden by it).
    void waitClosed()
    {
        QVERIFY(!button->isMenuOpen());
        QTRY_VERIFY(!menu());
        QTest::qWait(50);
        QVERIFY(!button->isDown());
    }
};

} // namespace

class TestKyMenu : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerFontSubstitutions(); }

    void rowsWithoutScrolling()
    {
        QWidget host;
        KyMenu menu(&host, QRect(10, 10, 150, 42), QStringLiteral("Item 2"), 0, 10, KyLabel::kSize_Small);
        menu.setItems(numbered(4));
        QVERIFY(!menu.isScrollable());
        QCOMPARE(menu.rowCount(), 4);
        QCOMPARE(rowTexts(menu), numbered(4));
        QCOMPARE(menu.geometry(), QRect(10, 10 + 41 - 5 + 2, 151, 4 * 38));
        QCOMPARE(litRows(menu), QList<int>{1});
        QCOMPARE(menu.currentText(), QStringLiteral("Item 2"));

        KyMenu upwards(&host, QRect(10, 400, 150, 42), QString(), 1, 10, KyLabel::kSize_Small);
        upwards.setItems(numbered(4));
        QCOMPARE(upwards.geometry(), QRect(10, 400 - (4 * 38 - 4), 151, 4 * 38));
        QVERIFY(litRows(upwards).isEmpty());
        QCOMPARE(upwards.currentText(), QString());
    }

    // Twelve items in ten rows: an arrow row at each end, eight items between.
    void scrollLimits()
    {
        QWidget host;
        KyMenu menu(&host, QRect(0, 0, 150, 42), QStringLiteral("Item 1"), 0, 10, KyLabel::kSize_Small);
        menu.setItems(numbered(12));
        QVERIFY(menu.isScrollable());
        QCOMPARE(menu.rowCount(), 10);
        QCOMPARE(rowTexts(menu), QStringList{kUp} + numbered(8) + QStringList{kDown});
        QCOMPARE(labelOf(menu, 0)->color(), KyLabel::kColor_Gray);
        QCOMPARE(labelOf(menu, 9)->color(), KyLabel::kColor_Black);

        QSignalSpy selected(&menu, &KyMenu::selected);
        const int lastRowY = 9 * ((menu.height() - 8) / 10);
        for (int i = 1; i <= 4; ++i) {
            release(menu, lastRowY);
            QCOMPARE(menu.firstItem(), i);
        }
        QCOMPARE(rowTexts(menu), QStringList{kUp} + numbered(12).mid(4) + QStringList{kDown});
        QCOMPARE(labelOf(menu, 0)->color(), KyLabel::kColor_Black);
        QCOMPARE(labelOf(menu, 9)->color(), KyLabel::kColor_Gray);
        release(menu, lastRowY);
        QCOMPARE(menu.firstItem(), 4);

        release(menu, 0);
        QCOMPARE(menu.firstItem(), 3);
        // Arrow rows scroll and never choose.
        QCOMPARE(selected.count(), 0);
        // The arrow does not stay lit after it scrolled.
        QVERIFY(!litRows(menu).contains(0));
    }

    void openedAtTheButtonsItem()
    {
        QWidget host;
        KyMenu menu(&host, QRect(0, 0, 150, 42), QStringLiteral("Item 11"), 0, 10, KyLabel::kSize_Small);
        menu.setItems(numbered(12));
        QCOMPARE(menu.firstItem(), 3);
        QCOMPARE(rowTexts(menu), QStringList{kUp} + numbered(11).mid(3) + QStringList{kDown});
        QCOMPARE(litRows(menu), QList<int>{8});
        QCOMPARE(menu.currentText(), QStringLiteral("Item 11"));
    }

    // A release picks by y: the hit rows share the height less 8 pixels, so the frame's last
    // pixels lie outside every row.
    void releaseHits_data()
    {
        QTest::addColumn<int>("items");
        QTest::addColumn<int>("y");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("firstItem");

        // Five items: height 190, hit rows of (190 - 8) / 5 = 36 pixels.
        QTest::newRow("first row") << 5 << 0 << "Item 1" << 0;
        QTest::newRow("second row starts at 36") << 5 << 36 << "Item 2" << 0;
        QTest::newRow("last hit pixel") << 5 << 179 << "Item 5" << 0;
        QTest::newRow("frame below the rows") << 5 << 180 << "" << 0;
        QTest::newRow("last pixel of the menu") << 5 << 189 << "" << 0;
        QTest::newRow("below the menu") << 5 << 250 << "" << 0;
        QTest::newRow("above the menu") << 5 << -1 << "" << 0;
        // Twelve items in ten rows: height 380, hit rows of 37 pixels; the last one is the arrow.
        QTest::newRow("scrolling: first item row") << 12 << 37 << "Item 1" << 0;
        QTest::newRow("scrolling: last item row") << 12 << 332 << "Item 8" << 0;
        QTest::newRow("scrolling: down arrow's last hit pixel") << 12 << 369 << "(none)" << 1;
        QTest::newRow("scrolling: frame below the arrow") << 12 << 370 << "" << 0;
    }

    void releaseHits()
    {
        QFETCH(int, items);
        QFETCH(int, y);
        QFETCH(QString, expected);
        QFETCH(int, firstItem);

        QWidget host;
        KyMenu menu(&host, QRect(0, 0, 150, 42), QString(), 0, 10, KyLabel::kSize_Small);
        menu.setItems(numbered(items));
        QSignalSpy selected(&menu, &KyMenu::selected);
        release(menu, y);
        if (expected == QLatin1String("(none)")) {
            QCOMPARE(selected.count(), 0);
        } else {
            QCOMPARE(selected.count(), 1);
            QCOMPARE(selected.at(0).at(0).toString(), expected);
        }
        QCOMPARE(menu.firstItem(), firstItem);
    }

    // Fewer than three shown rows would leave no item between the arrows (and none at all
    // divided by zero): a scrolling menu keeps three rows.
    void tooFewShownRows_data()
    {
        QTest::addColumn<int>("maxVisible");
        QTest::newRow("none") << 0;
        QTest::newRow("one") << 1;
        QTest::newRow("two") << 2;
        QTest::newRow("negative") << -4;
        QTest::newRow("three") << 3;
    }

    void tooFewShownRows()
    {
        QFETCH(int, maxVisible);

        QWidget host;
        KyMenu menu(&host, QRect(0, 0, 150, 42), QStringLiteral("Item 12"), 0, maxVisible, KyLabel::kSize_Small);
        menu.setItems(numbered(12));
        QCOMPARE(menu.rowCount(), 3);
        QCOMPARE(menu.height(), 3 * 38);
        QCOMPARE(rowTexts(menu), (QStringList{kUp, QStringLiteral("Item 12"), kDown}));
        QCOMPARE(menu.firstItem(), 11);
        QCOMPARE(labelOf(menu, 2)->color(), KyLabel::kColor_Gray);

        QSignalSpy selected(&menu, &KyMenu::selected);
        const int hitRow = (menu.height() - 8) / 3;
        release(menu, hitRow);
        QCOMPARE(selected.count(), 1);
        QCOMPARE(selected.at(0).at(0).toString(), QStringLiteral("Item 12"));
        release(menu, 0);
        QCOMPARE(rowTexts(menu).at(1), QStringLiteral("Item 11"));
        wheel(&menu, 120 * 20);
        QCOMPARE(menu.firstItem(), 0);
        QCOMPARE(rowTexts(menu).at(1), QStringLiteral("Item 1"));
    }

    void emptyMenu()
    {
        QWidget host;
        KyMenu menu(&host, QRect(0, 0, 150, 42), QString(), 0, 0, KyLabel::kSize_Small);
        menu.setItems({});
        QCOMPARE(menu.rowCount(), 0);
        QSignalSpy selected(&menu, &KyMenu::selected);
        QTest::mousePress(&menu, Qt::LeftButton, {}, QPoint(5, 0));
        release(menu, 0);
        QCOMPARE(selected.count(), 1);
        QCOMPARE(selected.at(0).at(0).toString(), QString());
    }

    void wheelSteps_data()
    {
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("firstItem");

        // Opened at the last item, the menu starts scrolled to its end (first item 4).
        QTest::newRow("+240 scrolls two up") << 240 << 2;
        QTest::newRow("+120 scrolls one up") << 120 << 3;
        QTest::newRow("+119 is no step") << 119 << 4;
        QTest::newRow("-100 is no step") << -100 << 4;
        QTest::newRow("-120 stops at the end") << -120 << 4;
        QTest::newRow("+1200 stops at the top") << 1200 << 0;
    }

    void wheelSteps()
    {
        QFETCH(int, delta);
        QFETCH(int, firstItem);

        QWidget host;
        KyMenu menu(&host, QRect(0, 0, 150, 42), QStringLiteral("Item 12"), 0, 10, KyLabel::kSize_Small);
        menu.setItems(numbered(12));
        QCOMPARE(menu.firstItem(), 4);
        wheel(&menu, delta);
        QCOMPARE(menu.firstItem(), firstItem);
        QCOMPARE(rowTexts(menu).at(1), QStringLiteral("Item %1").arg(firstItem + 1));
    }

    void wheelWithoutScrolling()
    {
        QWidget host;
        KyMenu menu(&host, QRect(0, 0, 150, 42), QString(), 0, 10, KyLabel::kSize_Small);
        menu.setItems(numbered(3));
        wheel(&menu, -240);
        QCOMPARE(menu.firstItem(), 0);
        QCOMPARE(rowTexts(menu), numbered(3));
    }

    // The highlight follows the finger, and after a scroll only the button's item stays lit.
    void oneRowLit()
    {
        QWidget host;
        host.resize(300, 500);
        KyMenu menu(&host, QRect(0, 0, 150, 42), QStringLiteral("Item 3"), 0, 10, KyLabel::kSize_Small);
        menu.setItems(numbered(12));
        grabShown(&host);
        QCOMPARE(litRows(menu), QList<int>{3});

        wheel(&menu, -120);
        QCOMPARE(rowTexts(menu).at(2), QStringLiteral("Item 3"));
        QCOMPARE(litRows(menu), QList<int>{2});
        QCOMPARE(menu.currentRow(), 2);
        wheel(&menu, -240);
        QVERIFY(litRows(menu).isEmpty());
        QCOMPARE(menu.currentRow(), -1);
        QCOMPARE(menu.currentText(), QString());
        wheel(&menu, 360);
        QCOMPARE(litRows(menu), QList<int>{3});

        // Pixels: the lit row differs from an unlit one of the same kind.
        const QImage shot = menu.grab().toImage();
        QVERIFY(shot.copy(0, 3 * 38, menu.width(), 38) != shot.copy(0, 4 * 38, menu.width(), 38));
        QCOMPARE(shot.copy(20, 4 * 38 + 2, 100, 4), shot.copy(20, 5 * 38 + 2, 100, 4));

        const int hitRow = (menu.height() - 8) / 10;
        QTest::mousePress(&menu, Qt::LeftButton, {}, QPoint(20, 5 * hitRow + 3));
        QCOMPARE(litRows(menu), QList<int>{5});
        move(menu, 6 * hitRow + 3, Qt::NoButton);
        QCOMPARE(litRows(menu), QList<int>{5}); // moves without the button held are ignored
        move(menu, 7 * hitRow + 3, Qt::LeftButton);
        QCOMPARE(litRows(menu), QList<int>{7});
        QCOMPARE(menu.currentText(), QStringLiteral("Item 7"));
        move(menu, -5, Qt::LeftButton);
        QVERIFY(litRows(menu).isEmpty());
    }

    void buttonItems()
    {
        KyMenuButton button;
        button.resize(70, 42);
        QVERIFY(button.isEnabled());
        QCOMPARE(button.text(), QString());
        QCOMPARE(button.maxShowItemCount(), 10);
        QCOMPARE(button.direction(), KyMenuButton::kDirection_Down);

        button.setMenus({});
        QVERIFY(!button.isEnabled());
        QCOMPARE(button.currentIndex(), -1);

        button.setMenus({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
        QVERIFY(button.isEnabled());
        QCOMPARE(button.text(), QStringLiteral("A"));
        button.setText(QStringLiteral("C"));
        QCOMPARE(button.text(), QStringLiteral("C"));
        QCOMPARE(button.currentIndex(), 2);
        button.setText(QStringLiteral("nowhere"));
        QCOMPARE(button.text(), QStringLiteral("A"));
        button.setText(QStringLiteral("B"));
        // A new list that holds the shown item keeps it; one that does not shows its first item.
        button.setMenus({QStringLiteral("B"), QStringLiteral("D")});
        QCOMPARE(button.text(), QStringLiteral("B"));
        button.setMenus({QStringLiteral("E"), QStringLiteral("F")});
        QCOMPARE(button.text(), QStringLiteral("E"));
        QCOMPARE(button.menus(), (QStringList{QStringLiteral("E"), QStringLiteral("F")}));

        button.clear();
        QCOMPARE(button.text(), QString());
        QVERIFY(!button.isEnabled());
    }

    void buttonSkins_data()
    {
        QTest::addColumn<int>("items");
        QTest::addColumn<QString>("normal");
        QTest::addColumn<QString>("pressed");
        QTest::addColumn<QString>("disabled");
        QTest::newRow("no items") << 0 << "dropdown_fixed.png" << "dropdown_fixed.png" << "dropdown_fixed.png";
        QTest::newRow("one item") << 1 << "dropdown_fixed.png" << "dropdown_fixed.png" << "dropdown_fixed.png";
        QTest::newRow("two items") << 2 << "dropdown.png" << "dropdown_pressed.png" << "dropdown_disabled.png";
    }

    void buttonSkins()
    {
        QFETCH(int, items);
        QFETCH(QString, normal);
        QFETCH(QString, pressed);
        QFETCH(QString, disabled);

        // At the skin's own size: the value label has no width and the skin shows unscaled.
        KyMenuButton button;
        button.setFixedSize(70, 42);
        button.setMenus(numbered(items));
        grabShown(&button);
        auto shot = [&] { return argb(button.grab()); };
        button.setEnabled(true);
        QCOMPARE(shot(), skinOnWindow(button, normal, 10, 50, 5, 5));
        button.setDown(true);
        QCOMPARE(shot(), skinOnWindow(button, pressed, 10, 50, 5, 5));
        button.setDown(false);
        button.setEnabled(false);
        QCOMPARE(shot(), skinOnWindow(button, disabled, 10, 50, 5, 5));
    }

    void oneItemOpensNothing()
    {
        Form form(1);
        QVERIFY(form.button->isEnabled());
        QSignalSpy clicked(form.button, &KyMenuButton::clicked);
        windowMouse(QTest::MouseClick, form.button, Qt::LeftButton, QPoint(100, 21));
        QCOMPARE(clicked.count(), 1);
        QVERIFY(!form.button->isMenuOpen());
        QVERIFY(!form.menu());
    }

    void openAtTheCurrentItem()
    {
        Form form(12);
        form.button->setText(QStringLiteral("Item 11"));
        form.open();
        KyMenu *menu = form.menu();
        QCOMPARE(rowTexts(*menu), QStringList{kUp} + numbered(11).mid(3) + QStringList{kDown});
        // Opened downwards below the button, as wide as the button; a pressed locked copy covers it.
        QCOMPARE(menu->geometry().topLeft(), QPoint(20, 20 + 42 - 5 + 2));
        QCOMPARE(menu->width(), 200 + 1);
        KyMenuButton *copy = nullptr;
        for (KyMenuButton *b : form.window.findChildren<KyMenuButton *>())
            if (b != form.button)
                copy = b;
        QVERIFY(copy);
        QCOMPARE(copy->mapTo(&form.window, QPoint(0, 0)), QPoint(20, 20));
        QVERIFY(copy->isDown());
        QVERIFY(copy->isLocked());
        QCOMPARE(copy->text(), QStringLiteral("Item 11"));
    }

    void openUpwards()
    {
        Form form(4, KyMenuButton::kDirection_Up);
        form.open();
        const QRect menu = form.menu()->geometry();
        QCOMPARE(menu.height(), 4 * 38);
        QCOMPARE(menu.bottom(), 520 - 1 + 3);
    }

    void chooseAnItem()
    {
        Form form(5);
        QSignalSpy changed(form.button, &KyMenuButton::selectionChanged);
        form.open();
        KyMenu *menu = form.menu();
        windowMouse(QTest::MouseClick, menu, Qt::LeftButton, QPoint(40, 2 * 36 + 10));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toString(), QStringLiteral("Item 3"));
        QCOMPARE(form.button->text(), QStringLiteral("Item 3"));
        form.waitClosed();
    }

    // Every way out of the menu that is no new choice closes it without a signal.
    void closeWithoutChange_data()
    {
        QTest::addColumn<QString>("where");
        QTest::newRow("the current item") << "current";
        QTest::newRow("beside the menu") << "overlay";
        QTest::newRow("the copy of the button") << "copy";
        QTest::newRow("the menu's last pixels") << "frame";
    }

    void closeWithoutChange()
    {
        QFETCH(QString, where);

        Form form(5);
        form.button->setText(QStringLiteral("Item 2"));
        QSignalSpy changed(form.button, &KyMenuButton::selectionChanged);
        form.open();
        KyMenu *menu = form.menu();
        if (where == QLatin1String("current"))
            windowMouse(QTest::MouseClick, menu, Qt::LeftButton, QPoint(40, 36 + 10));
        else if (where == QLatin1String("overlay"))
            windowMouse(QTest::MouseClick, &form.window, Qt::LeftButton, QPoint(350, 500));
        else if (where == QLatin1String("copy"))
            windowMouse(QTest::MouseClick, &form.window, Qt::LeftButton, QPoint(100, 40));
        else
            windowMouse(QTest::MouseClick, menu, Qt::LeftButton, QPoint(40, menu->height() - 3));
        form.waitClosed();
        QCOMPARE(changed.count(), 0);
        QCOMPARE(form.button->text(), QStringLiteral("Item 2"));

        // And it opens again.
        form.open();
    }

    void buttonDestroyedWhileOpen()
    {
        QWidget window;
        window.resize(300, 500);
        auto *button = new KyMenuButton(&window);
        button->setGeometry(10, 10, 200, 42);
        button->setMenus(numbered(3));
        grabShown(&window);
        windowMouse(QTest::MouseClick, button, Qt::LeftButton, QPoint(50, 20));
        QVERIFY(window.findChild<KyMenu *>());
        delete button;
        QVERIFY(!window.findChild<KyMenu *>());
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyMenu)
#include "tst_kymenu.moc"
