#include "widgets/kycheckbox.h"

#include <QPaintEvent>

KyCheckBox::KyCheckBox(QWidget *parent)
    : QCheckBox(parent)
    , parts(this, QStringLiteral("check box"))
{
    // The picture is there before the first paint, so the first layout already makes room for it.
    parts.showIndicator(indicatorName(isEnabled(), isChecked(), isDown()));
}

QString KyCheckBox::indicatorName(bool enabled, bool checked, bool down)
{
    // A disabled box shows the plain empty box, checked or not.
    if (!enabled)
        return QStringLiteral("checkbox_off.png");
    if (checked)
        return down ? QStringLiteral("checkbox_on_pressed.png") : QStringLiteral("checkbox_on.png");
    return down ? QStringLiteral("checkbox_off_pressed.png") : QStringLiteral("checkbox_off.png");
}

QString KyCheckBox::text() const
{
    return parts.text();
}

void KyCheckBox::setText(const QString &text)
{
    parts.setText(text);
}

void KyCheckBox::setTextSize(KyLabel::ESize size)
{
    if (parts.label())
        parts.label()->setSize(size);
}

QSize KyCheckBox::sizeHint() const
{
    return parts.sizeHint();
}

QSize KyCheckBox::minimumSizeHint() const
{
    return parts.minimumSizeHint();
}

void KyCheckBox::paintEvent(QPaintEvent *event)
{
    event->accept();
    parts.showIndicator(indicatorName(isEnabled(), isChecked(), isDown()));
}

bool KyCheckBox::hitButton(const QPoint &) const
{
    return true;
}
