// Shows the value pickers, a menu button with its menu open, tab bars and the ten-key pads in one
// window and writes a picture of it; with a second path also a picture of the image tool dialog
// over that window: pickersdemo [output.png [tools.png]]. Run it under a real display (Xvfb).

#include "widgets/kyfonts.h"
#include "widgets/kyimagetooldialog.h"
#include "widgets/kylabel.h"
#include "widgets/kymenubutton.h"
#include "widgets/kytab.h"
#include "widgets/kytenkey.h"
#include "widgets/kyvaluepicker.h"

#include <QApplication>
#include <QTest>

#include <cstdio>

namespace {

void caption(QWidget *window, const QString &text, int x, int y)
{
    auto *label = new KyLabel(text, window);
    label->setSize(KyLabel::kSize_VerySmall);
    label->setColor(KyLabel::kColor_Gray);
    label->setGeometry(x, y, 560, 20);
}

KyTab *tabBar(QWidget *window, KyTab::EType type, int y, int current)
{
    auto *bar = new KyTab(window);
    bar->setGeometry(20, y, 330, 60);
    bar->setType(type);
    bar->setTagWidth(100);
    bar->setTitles({QStringLiteral("Blue"), QStringLiteral("Green"), QStringLiteral("Red")});
    bar->setCurrentIndex(current);
    return bar;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    registerFontSubstitutions();
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("pickers.png");

    QWidget window;
    window.setWindowTitle(QStringLiteral("Pickers"));
    window.resize(1040, 720);

    caption(&window, QStringLiteral("Value pickers: vertical, horizontal at its clamped end, calendar"), 20, 10);
    auto *width = new KyValuePicker(&window);
    width->setFormat(QStringLiteral("%1%"));
    width->setMaximum(100);
    width->setValue(70);
    width->setGeometry(20, 40, 72, 160);
    auto *radius = new KyValuePicker(&window);
    radius->setType(KyValuePicker::kType_Horizontal);
    radius->setFormat(QStringLiteral("%1 mm"));
    radius->setLoop(false);
    radius->setMaximum(50);
    radius->setValue(50);
    // A horizontal picker keeps the width limits it had; forms give it its own, as here.
    radius->setFixedWidth(260);
    radius->move(120, 40);
    auto *month = new KyValuePicker(&window);
    month->setType(KyValuePicker::kType_Horizontal);
    month->setCalendar(true);
    month->setValue(3);
    month->setHasFocus(true);
    month->setFocussed(true);
    month->setFixedWidth(260);
    month->move(120, 110);

    caption(&window, QStringLiteral("Menu buttons: twelve items (open), one item, none"), 20, 220);
    auto *profile = new KyMenuButton(&window);
    profile->setGeometry(20, 250, 220, 42);
    QStringList items;
    for (int i = 1; i <= 12; ++i)
        items << QStringLiteral("Lane %1").arg(i);
    profile->setMenus(items);
    profile->setText(QStringLiteral("Lane 5"));
    auto *single = new KyMenuButton(&window);
    single->setGeometry(260, 250, 160, 42);
    single->setMenus({QStringLiteral("kDa")});
    auto *empty = new KyMenuButton(&window);
    empty->setGeometry(440, 250, 120, 42);
    empty->setMenus({});

    caption(&window, QStringLiteral("Tab bars: top, bottom, top small"), 620, 10);
    tabBar(&window, KyTab::kType_Top, 40, 0)->move(620, 40);
    tabBar(&window, KyTab::kType_Bottom, 110, 1)->move(620, 110);
    tabBar(&window, KyTab::kType_Top_Small, 180, 2)->move(620, 180);

    caption(&window, QStringLiteral("Ten-key pads: arrows (0), edit (1)"), 300, 330);
    auto *arrows = new KyTenKey(&window);
    arrows->setGeometry(300, 360, 300, 240);
    auto *edit = new KyTenKey(&window);
    edit->setType(1);
    edit->setGeometry(620, 360, 300, 240);

    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "the window was not shown\n");
        return 1;
    }
    // Opened as a tap does, after the window shows.
    profile->click();
    QTest::qWait(300);
    if (!window.grab().save(output)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(output));
        return 1;
    }
    if (argc < 3)
        return 0;

    KyImageToolDialog tools(&window);
    tools.show();
    if (!QTest::qWaitForWindowExposed(&tools)) {
        std::fprintf(stderr, "the dialog was not shown\n");
        return 1;
    }
    QTest::qWait(200);
    const QString toolsOutput = QString::fromLocal8Bit(argv[2]);
    if (!tools.grab().save(toolsOutput)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(toolsOutput));
        return 1;
    }
    return 0;
}
