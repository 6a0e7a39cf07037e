#include "widgets/kyradiobutton.h"

#include "widgets/kylabel.h"

#include <QHBoxLayout>
#include <QPaintEvent>

KyRadioButton::KyRadioButton(QWidget *parent)
    : QRadioButton(parent)
    , parts(this, QStringLiteral("radio button"))
{
    parts.layout()->setContentsMargins(5, 2, 5, 2);
    // The picture is there before the first paint, so the first layout already makes room for it.
    parts.showIndicator(indicatorName(isEnabled(), isChecked(), isDown()));
}

QString KyRadioButton::indicatorName(bool enabled, bool checked, bool down)
{
    if (!enabled)
        return checked ? QStringLiteral("radiobutton_on_disabled.png") : QStringLiteral("radiobutton_off_disabled.png");
    if (checked)
        return down ? QStringLiteral("radiobutton_on_pressed.png") : QStringLiteral("radiobutton_on.png");
    return down ? QStringLiteral("radiobutton_off_pressed.png") : QStringLiteral("radiobutton_off.png");
}

QString KyRadioButton::text() const
{
    return parts.text();
}

void KyRadioButton::setText(const QString &text)
{
    parts.setText(text);
}

QSize KyRadioButton::sizeHint() const
{
    return parts.sizeHint();
}

QSize KyRadioButton::minimumSizeHint() const
{
    return parts.minimumSizeHint();
}

void KyRadioButton::paintEvent(QPaintEvent *event)
{
    event->accept();
    parts.showIndicator(indicatorName(isEnabled(), isChecked(), isDown()));
}

bool KyRadioButton::hitButton(const QPoint &) const
{
    return true;
}
