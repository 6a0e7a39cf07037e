#include "widgets/kylabel.h"

#include "widgets/kyfonts.h"

#include <QMouseEvent>
#include <QPaintEvent>

#include <iterator>

const QColor kColorTable[6] = {
    QColor(Qt::black), QColor(Qt::white),  QColor(Qt::gray),
    QColor(59, 115, 185), QColor(13, 13, 13), QColor(232, 232, 232),
};

KyLabel::KyLabel(QWidget *parent)
    : QLabel(parent)
{
    updateStyle();
}

KyLabel::KyLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    updateStyle();
}

QColor KyLabel::tableColor(EColor color)
{
    return color >= 0 && color < int(std::size(kColorTable)) ? kColorTable[color] : QColor(Qt::black);
}

int KyLabel::sizeIndex(ESize size)
{
    switch (size) {
    case kSize_Small: return 0;
    case kSize_Middle: return 1;
    case kSize_LargeSmall: return 2;
    case kSize_Large: return 4;
    case kSize_VerySmall: return 8;
    case kSize_MiddleSmall: return 6;
    }
    return 0;
}

void KyLabel::updateStyle()
{
    setFont(topHeader ? makeHeaderFont() : makeFont(sizeIndex(sizePreset)));
    const QColor text = isEnabled() ? colorEnabled : colorDisabled;
    QPalette pal = palette();
    pal.setColor(QPalette::ButtonText, text);
    pal.setColor(QPalette::WindowText, text);
    setPalette(pal);
}

void KyLabel::setSize(ESize size)
{
    if (size == sizePreset)
        return;
    sizePreset = size;
    updateStyle();
    update();
}

void KyLabel::setColor(EColor color)
{
    if (color == colorPreset)
        return;
    colorPreset = color;
    setEnabledColor(tableColor(color));
    updateStyle();
    update();
}

void KyLabel::setIsTopHeader(bool on)
{
    topHeader = on;
    if (on) {
        setColor(kColor_Blue);
        setSize(kSize_Middle);
    }
    updateStyle();
}

void KyLabel::setEnabledColor(const QColor &color)
{
    if (color == colorEnabled)
        return;
    colorEnabled = color;
    update();
}

void KyLabel::setDisabledColor(const QColor &color)
{
    if (color == colorDisabled)
        return;
    colorDisabled = color;
    update();
}

void KyLabel::setBackgroundColor(EColor color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, tableColor(color));
    setPalette(pal);
    setAutoFillBackground(true);
}

void KyLabel::paintEvent(QPaintEvent *event)
{
    event->accept();
    updateStyle();
    QLabel::paintEvent(event);
}

void KyLabel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    emit clicked();
}
