#include "widgets/kymenubutton.h"

#include "platform/logcategories.h"
#include "widgets/kymenu.h"
#include "widgets/kyoverlaywidget.h"
#include "widgets/kyskin.h"

#include <QMouseEvent>
#include <QTimer>

#include <algorithm>

namespace {

// The button comes up and the overlay goes this long (ms) after the menu's own event handling.
constexpr int kCloseDelay = 10;

QImage skin(const char *name)
{
    return KySkin::image(QStringLiteral(":/KYParts/Resources/") + QLatin1String(name));
}

} // namespace

KyMenuButton::KyMenuButton(QWidget *parent)
    : KyButton(parent)
{
    valueLabel = new KyLabel(this);
    valueLabel->setSize(KyLabel::kSize_Small);
    valueLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    valueLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    // The drop-down face from the start, not the plain button's until items arrive.
    applySkin();
    setDirection(mDirection);
    connect(this, &KyButton::clicked, this, &KyMenuButton::onClicked);
}

KyMenuButton::~KyMenuButton()
{
    // An open drop-down lies on the window, not on the button: it must not outlive the button.
    delete overlay.data();
}

QString KyMenuButton::text() const
{
    return valueLabel ? valueLabel->text() : QString();
}

int KyMenuButton::currentIndex() const
{
    return int(mMenus.indexOf(text()));
}

void KyMenuButton::applySkin()
{
    if (mMenus.size() > 1)
        setBackground({skin("dropdown.png"), skin("dropdown_pressed.png"), skin("dropdown_disabled.png")},
                      10, 50, 5, 5);
    else
        setBackground({skin("dropdown_fixed.png"), skin("dropdown_fixed.png"), skin("dropdown_fixed.png")},
                      10, 50, 5, 5);
}

void KyMenuButton::setMenus(const QStringList &menus)
{
    mMenus = menus;
    applySkin();
    if (!menus.isEmpty() && !menus.contains(text()))
        setText(menus.first());
    setEnabled(!menus.isEmpty());
}

void KyMenuButton::setText(const QString &text)
{
    if (!valueLabel)
        return;
    if (mMenus.contains(text))
        valueLabel->setText(text);
    else
        valueLabel->setText(mMenus.isEmpty() ? QString() : mMenus.first());
}

void KyMenuButton::setTextSize(KyLabel::ESize size)
{
    if (valueLabel)
        valueLabel->setSize(size);
}

void KyMenuButton::clear()
{
    setMenus({});
    setText(QString());
}

void KyMenuButton::resizeEvent(QResizeEvent *event)
{
    KyButton::resizeEvent(event);
    if (valueLabel)
        valueLabel->setGeometry(15, 0, std::max(width() - 70, 0), height());
}

void KyMenuButton::mousePressEvent(QMouseEvent *event)
{
    if (locked) {
        event->ignore();
        return;
    }
    KyButton::mousePressEvent(event);
}

void KyMenuButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (locked) {
        event->ignore();
        return;
    }
    KyButton::mouseReleaseEvent(event);
}

void KyMenuButton::onClicked()
{
    showMenu();
}

void KyMenuButton::showMenu()
{
    if (mMenus.size() < 2)
        return;
    QWidget *top = window();
    discardMenu();

    overlay = new KyOverlayWidget(top);
    overlay->setGeometry(0, 0, top->width(), top->height());
    connect(overlay, &KyOverlayWidget::clicked, this, &KyMenuButton::onCanceled);
    overlay->setEnabled(true);

    const KyLabel::ESize textSize = valueLabel ? valueLabel->size() : KyLabel::kSize_Small;
    auto *copy = new KyMenuButton(overlay);
    copy->setGeometry(QRect(overlay->mapFromGlobal(mapToGlobal(QPoint(0, 0))), size()));
    copy->setMenus(mMenus);
    copy->setText(text());
    copy->setTextSize(textSize);
    copy->setDirection(mDirection);
    copy->setDown(true);
    // Taps on the copy go through to the overlay, which closes the menu.
    copy->setLocked(true);

    auto *menu = new KyMenu(overlay, geometry(), text(), mDirection, mMaxShowItemCount, textSize);
    const QPoint anchor = mDirection == kDirection_Down ? QPoint(0, height() - 5) : QPoint(0, -1);
    menu->move(overlay->mapFromGlobal(mapToGlobal(anchor)));
    menu->setItems(mMenus);
    connect(menu, &KyMenu::selected, this, &KyMenuButton::onSelected);

    overlay->show();
    overlay->raise();
}

void KyMenuButton::discardMenu()
{
    if (overlay)
        overlay->deleteLater();
    overlay = nullptr;
}

void KyMenuButton::onSelected(const QString &item)
{
    qCDebug(lcWidgets, "selected: %s", qPrintable(item));
    QTimer::singleShot(kCloseDelay, this, &KyMenuButton::closeMenu);
    if (!item.isEmpty() && item != text()) {
        setText(item);
        emit selectionChanged(item);
    }
    // Deleted later: this runs inside the menu's own release handling.
    discardMenu();
}

void KyMenuButton::onCanceled()
{
    QTimer::singleShot(kCloseDelay, this, &KyMenuButton::closeMenu);
    discardMenu();
}

void KyMenuButton::closeMenu()
{
    setDown(false);
    if (overlay)
        overlay->hide();
}
