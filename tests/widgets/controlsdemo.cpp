// Shows every skinned control of the widget library in its states in one window and writes a
// picture of it: controlsdemo [output.png]. Run it under a real display (Xvfb) to look at it.

#include "widgets/kyborderimage.h"
#include "widgets/kybutton.h"
#include "widgets/kycheckbox.h"
#include "widgets/kyfonts.h"
#include "widgets/kylabel.h"
#include "widgets/kyprogressbar.h"
#include "widgets/kyradiobutton.h"
#include "widgets/kytextarea.h"
#include "widgets/kytextedit.h"

#include <QApplication>
#include <QGridLayout>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

KyLabel *caption(const QString &text)
{
    auto *label = new KyLabel(text);
    label->setSize(KyLabel::kSize_VerySmall);
    label->setColor(KyLabel::kColor_Gray);
    return label;
}

KyButton *button(KyButton::EType type, const QString &text, int state)
{
    auto *b = new KyButton;
    b->setType(type);
    b->setText(text);
    b->setFixedSize(150, 54);
    if (state == 1)
        b->setDown(true);
    if (state == 2) {
        b->setCheckable(true);
        b->setChecked(true);
    }
    if (state == 3)
        b->setEnabled(false);
    return b;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    registerFontSubstitutions();
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("controls.png");

    QWidget window;
    window.setWindowTitle(QStringLiteral("Controls"));
    auto *grid = new QGridLayout(&window);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(8);
    int row = 0;

    // Labels: presets, the header style and a disabled label.
    auto *header = new KyLabel(QStringLiteral("Lane Creation"));
    header->setIsTopHeader(true);
    grid->addWidget(header, row, 0);
    auto *large = new KyLabel(QStringLiteral("Large 48"));
    large->setSize(KyLabel::kSize_Large);
    grid->addWidget(large, row, 1);
    auto *blue = new KyLabel(QStringLiteral("Middle, blue \u25B2\u25BC 90\u00B0"));
    blue->setSize(KyLabel::kSize_Middle);
    blue->setColor(KyLabel::kColor_Blue);
    grid->addWidget(blue, row, 2);
    auto *disabled = new KyLabel(QStringLiteral("Disabled label"));
    disabled->setEnabled(false);
    grid->addWidget(disabled, row, 3);
    ++row;

    // Buttons: each type in each state, then icons in both layouts.
    const char *states[] = {"normal", "pressed", "checked", "disabled"};
    for (int s = 0; s < 4; ++s)
        grid->addWidget(caption(QString::fromLatin1(states[s])), row, s);
    ++row;
    const std::pair<KyButton::EType, const char *> types[] = {
        {KyButton::kType_Blue, "Next"}, {KyButton::kType_Gray, "Previous"}, {KyButton::kType_White, "Detect"}};
    for (const auto &[type, text] : types) {
        for (int s = 0; s < 4; ++s)
            grid->addWidget(button(type, QString::fromLatin1(text), s), row, s);
        ++row;
    }
    auto *copy = button(KyButton::kType_Gray, QStringLiteral("Copy"), 0);
    copy->setIcon(QPixmap(QStringLiteral(":/Kestova/Images/ico_copy_active.png")));
    copy->setDisabledIcon(QPixmap(QStringLiteral(":/Kestova/Images/ico_copy_inactive.png")));
    grid->addWidget(copy, row, 0);
    auto *copyOff = button(KyButton::kType_Gray, QStringLiteral("Copy"), 3);
    copyOff->setIcon(QPixmap(QStringLiteral(":/Kestova/Images/ico_copy_active.png")));
    copyOff->setDisabledIcon(QPixmap(QStringLiteral(":/Kestova/Images/ico_copy_inactive.png")));
    grid->addWidget(copyOff, row, 1);
    auto *print = new KyButton;
    print->setType(KyButton::kType_White);
    print->setIconLayout(KyButton::kIcon_Vertical);
    print->setIcon(QPixmap(QStringLiteral(":/Kestova/Images/ico_print_active.png")));
    print->setText(QStringLiteral("Print"));
    print->setTextSize(KyLabel::kSize_VerySmall);
    print->setFixedSize(90, 70);
    grid->addWidget(print, row, 2);
    auto *icon = new KyButton;
    icon->setType(KyButton::kType_Gray);
    icon->setIcon(QPixmap(QStringLiteral(":/Kestova/Images/ico_save_active.png")));
    icon->setFixedSize(54, 54);
    grid->addWidget(icon, row, 3);
    ++row;

    // Check boxes and radio buttons: on, off, and disabled.
    auto *box = new KyCheckBox;
    box->setText(QStringLiteral("Invert"));
    box->setChecked(true);
    grid->addWidget(box, row, 0);
    auto *boxOff = new KyCheckBox;
    boxOff->setText(QStringLiteral("Show background"));
    grid->addWidget(boxOff, row, 1);
    auto *boxDisabled = new KyCheckBox;
    boxDisabled->setText(QStringLiteral("Disabled, on"));
    boxDisabled->setChecked(true);
    boxDisabled->setEnabled(false);
    grid->addWidget(boxDisabled, row, 2);
    auto *boxDown = new KyCheckBox;
    boxDown->setText(QStringLiteral("Pressed"));
    boxDown->setDown(true);
    grid->addWidget(boxDown, row, 3);
    ++row;
    auto *radioOn = new KyRadioButton;
    radioOn->setText(QStringLiteral("Linear - log"));
    radioOn->setAutoExclusive(false);
    radioOn->setChecked(true);
    grid->addWidget(radioOn, row, 0);
    auto *radioOff = new KyRadioButton;
    radioOff->setText(QStringLiteral("Cubic spline"));
    radioOff->setAutoExclusive(false);
    grid->addWidget(radioOff, row, 1);
    auto *radioDisabledOn = new KyRadioButton;
    radioDisabledOn->setText(QStringLiteral("Disabled, on"));
    radioDisabledOn->setAutoExclusive(false);
    radioDisabledOn->setChecked(true);
    radioDisabledOn->setEnabled(false);
    grid->addWidget(radioDisabledOn, row, 2);
    auto *radioDisabledOff = new KyRadioButton;
    radioDisabledOff->setText(QStringLiteral("Disabled, off"));
    radioDisabledOff->setAutoExclusive(false);
    radioDisabledOff->setEnabled(false);
    grid->addWidget(radioDisabledOff, row, 3);
    ++row;

    // Text fields and the text display.
    auto *area = new KyTextArea;
    area->setText(QStringLiteral("new MW standard"));
    area->setFixedSize(220, 50);
    grid->addWidget(area, row, 0);
    auto *readOnly = new KyTextArea;
    readOnly->setText(QStringLiteral("2789"));
    readOnly->setReadOnly(true);
    readOnly->setFixedSize(150, 50);
    grid->addWidget(readOnly, row, 1);
    auto *areaOff = new KyTextArea;
    areaOff->setText(QStringLiteral("disabled"));
    areaOff->setEnabled(false);
    areaOff->setFixedSize(150, 50);
    grid->addWidget(areaOff, row, 2);
    // Plain text: the constructor's text is read as HTML, where a line feed is a space.
    auto *text = new KyTextEdit;
    text->setText(QStringLiteral("1. Go to single channel view\n2. Select control bands"));
    text->setFixedSize(300, 60);
    grid->addWidget(text, row, 3, 1, 2);
    ++row;

    // Progress bars: empty, a third, full, and an empty job (maximum 0).
    const std::pair<int, int> bars[] = {{100, 0}, {3, 1}, {100, 100}, {0, 0}};
    for (int i = 0; i < 4; ++i) {
        auto *bar = new KyProgressBar(nullptr, bars[i].first);
        bar->setValue(bars[i].second);
        bar->setFixedSize(236, 24);
        grid->addWidget(bar, row, i);
    }
    ++row;
    auto *panel = new KyBorderImage(nullptr, QPixmap(QStringLiteral(":/KYParts/Resources/textarea.png")), 10, 10, 10, 10);
    panel->setFixedSize(300, 40);
    grid->addWidget(panel, row, 0, 1, 2);
    auto *tiny = new KyBorderImage(nullptr, QPixmap(QStringLiteral(":/KYParts/Resources/btn_blue.png")), 10, 10, 10, 10);
    tiny->setFixedSize(15, 15);
    grid->addWidget(tiny, row, 2);

    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "the window was not shown\n");
        return 1;
    }
    QTest::qWait(200);
    if (!window.grab().save(output)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(output));
        return 1;
    }
    std::printf("%s\n", qPrintable(output));
    return 0;
}
