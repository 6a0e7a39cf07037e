#include "widgets/kybutton.h"

#include "widgets/kyborderimage.h"
#include "widgets/kyskin.h"

#include <QBoxLayout>
#include <QMouseEvent>
#include <QPaintEvent>

int KyButton::longPressInterval = 1000;

namespace {

struct Skin
{
    const char *normal;
    const char *pressed;
    const char *disabled;
    KyLabel::EColor text;
    KyLabel::EColor pressedText;
};

const Skin kSkins[] = {
    {"btn_gray.png", "btn_gray_pressed.png", "btn_gray_disabled.png", KyLabel::kColor_Black, KyLabel::kColor_White},
    {"btn_blue.png", "btn_blue_pressed.png", "btn_blue_disabled.png", KyLabel::kColor_White, KyLabel::kColor_White},
    {"btn_white.png", "btn_white_pressed.png", "btn_white_disabled.png", KyLabel::kColor_Blue, KyLabel::kColor_White},
};

QImage skinImage(const char *name)
{
    return KySkin::image(QStringLiteral(":/KYParts/Resources/") + QLatin1String(name));
}

} // namespace

KyButton::KyButton(QWidget *parent)
    : QAbstractButton(parent)
{
    background = new KyBorderImage(this);
    iconLabel = new QLabel(this);
    textLabel = new KyLabel(this);
    for (QWidget *child : {static_cast<QWidget *>(background), static_cast<QWidget *>(iconLabel),
                           static_cast<QWidget *>(textLabel)})
        child->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto *outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(background);

    auto *inner = new QHBoxLayout(background);
    inner->setSpacing(8);
    inner->setContentsMargins(10, 10, 10, 10);
    iconLabel->setAlignment(Qt::AlignCenter);
    iconLabel->hide();
    textLabel->setSize(KyLabel::kSize_Small);
    textLabel->hide();
    inner->addWidget(iconLabel);
    inner->addWidget(textLabel);

    setTextAlignment(Qt::AlignCenter);
    setIconLayout(kIcon_Horizontal);
    setType(kType_Blue);
}

QString KyButton::text() const
{
    return textLabel ? textLabel->text() : QString();
}

void KyButton::setType(EType type)
{
    skinType = type;
    stateImages.clear();
    if (type >= kType_Gray && type <= kType_White) {
        const Skin &skin = kSkins[type];
        stateImages << skinImage(skin.normal) << skinImage(skin.pressed) << skinImage(skin.disabled);
        normalTextColor = skin.text;
        downTextColor = skin.pressedText;
    }
}

void KyButton::setIconLayout(EIconLayout layout)
{
    layoutKind = layout;
    delete background->layout();
    QBoxLayout *inner = nullptr;
    if (layout == kIcon_Vertical) {
        inner = new QVBoxLayout(background);
        inner->setSpacing(0);
        inner->setContentsMargins(2, 2, 2, 2);
    } else {
        inner = new QHBoxLayout(background);
        inner->setSpacing(layout == kIcon_HorizontalRight ? 2 : 8);
        inner->setContentsMargins(10, 10, 10, 10);
    }
    inner->addWidget(iconLabel);
    inner->addWidget(textLabel);
    const bool sideBySide = layout != kIcon_Vertical && !normalIcon.isNull();
    setTextAlignment(sideBySide ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
}

void KyButton::setIcon(const QPixmap &icon)
{
    normalIcon = icon;
    auto *row = qobject_cast<QHBoxLayout *>(background->layout());
    if (icon.isNull()) {
        iconLabel->hide();
        iconLabel->setAlignment(Qt::AlignCenter);
        if (row)
            row->setStretch(1, 0);
    } else {
        iconLabel->show();
        iconLabel->resize(icon.size());
        if (layoutKind == kIcon_Horizontal) {
            setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            if (row)
                row->setStretch(1, 5);
        } else if (layoutKind == kIcon_Vertical) {
            setTextAlignment(Qt::AlignCenter);
        }
    }
    // The label gets its picture now so the layout sizes it before the first paint.
    showIcon(icon);
    update();
}

void KyButton::setPressedIcon(const QPixmap &icon)
{
    downIcon = icon;
    update();
}

void KyButton::setDisabledIcon(const QPixmap &icon)
{
    offIcon = icon;
    update();
}

void KyButton::setBackground(const QList<QImage> &images, int left, int right, int top, int bottom)
{
    stateImages = images;
    borderLeft = left;
    borderRight = right;
    borderTop = top;
    borderBottom = bottom;
    update();
}

void KyButton::setText(const QString &text)
{
    if (!textLabel)
        return;
    QAbstractButton::setText(text);
    textLabel->setText(text);
    textLabel->setVisible(!text.isEmpty());
}

void KyButton::setTextColor(KyLabel::EColor color)
{
    if (color == normalTextColor)
        return;
    normalTextColor = color;
    update();
}

void KyButton::setPressedTextColor(KyLabel::EColor color)
{
    if (color == downTextColor)
        return;
    downTextColor = color;
    update();
}

void KyButton::setTextSize(KyLabel::ESize size)
{
    labelSize = size;
    if (textLabel)
        textLabel->setSize(size);
}

void KyButton::setTextAlignment(Qt::Alignment alignment)
{
    labelAlignment = alignment;
    if (textLabel)
        textLabel->setAlignment(alignment);
}

void KyButton::setTextWidth(int width)
{
    if (!textLabel)
        return;
    textLabel->setMinimumWidth(width);
    textLabel->setMaximumWidth(width);
}

void KyButton::setMargins(const QMargins &margins)
{
    if (!background || margins == contentMargins)
        return;
    contentMargins = margins;
    if (background->layout())
        background->layout()->setContentsMargins(margins);
}

void KyButton::setIsLongPress(bool on)
{
    longPressTime = on ? longPressInterval : 0;
}

int KyButton::stateImageIndex() const
{
    if (stateImages.isEmpty())
        return -1;
    int wanted = 0;
    if (!isEnabled())
        wanted = 2;
    else if (isDown() || isChecked())
        wanted = 1;
    // A skin with fewer images than the state needs shows its normal image.
    return wanted < stateImages.size() ? wanted : 0;
}

void KyButton::showIcon(const QPixmap &icon)
{
    // Setting the same picture again would schedule another paint of the button, without end.
    if (iconLabel->pixmap().cacheKey() != icon.cacheKey())
        iconLabel->setPixmap(icon);
}

void KyButton::paintEvent(QPaintEvent *event)
{
    event->accept();
    KyLabel::EColor color = normalTextColor;
    QPixmap icon = normalIcon;
    if (!isEnabled()) {
        color = downTextColor;
        if (!offIcon.isNull())
            icon = offIcon;
    } else if (isDown() || isChecked()) {
        color = downTextColor;
        if (!downIcon.isNull())
            icon = downIcon;
    }
    const int index = stateImageIndex();
    textLabel->setColor(color);
    background->setBorderImage(index < 0 ? QPixmap() : QPixmap::fromImage(stateImages.at(index)),
                               borderLeft, borderRight, borderTop, borderBottom);
    showIcon(icon);
    QWidget::paintEvent(event);
}

void KyButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        event->accept();
        pressTimestamp = event->timestamp();
    }
    QAbstractButton::mousePressEvent(event);
}

void KyButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractButton::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    const qint64 held = qint64(event->timestamp()) - qint64(pressTimestamp);
    if (longPressTime > 0 && held > longPressTime) {
        // Released off the button, so it comes up without a click.
        QMouseEvent away(event->type(), QPointF(-1, -1), event->globalPosition(), event->button(),
                         event->buttons(), event->modifiers(), event->pointingDevice());
        QAbstractButton::mouseReleaseEvent(&away);
        emit longClicked();
        return;
    }
    QAbstractButton::mouseReleaseEvent(event);
}

void KyButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    emit doubleClicked();
    QAbstractButton::mouseDoubleClickEvent(event);
}
