#include "widgets/kyindicatorparts.h"

#include "widgets/kylabel.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QPixmap>

KyIndicatorParts::KyIndicatorParts(QAbstractButton *button, const QString &text)
{
    indicatorLabel = new QLabel(button);
    indicatorLabel->setScaledContents(false);
    textLabel = new KyLabel(text, button);
    textLabel->setSize(KyLabel::kSize_Small);
    indicatorLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    textLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    row = new QHBoxLayout(button);
    row->addWidget(indicatorLabel);
    row->addWidget(textLabel);
    row->addStretch();
}

void KyIndicatorParts::showIndicator(const QString &resourceName)
{
    if (resourceName == shownName)
        return;
    shownName = resourceName;
    indicatorLabel->setPixmap(QPixmap(QStringLiteral(":/KYParts/Resources/") + resourceName));
}

QString KyIndicatorParts::text() const
{
    return textLabel->text();
}

void KyIndicatorParts::setText(const QString &text)
{
    if (textLabel->text() != text)
        textLabel->setText(text);
}

QSize KyIndicatorParts::sizeHint() const
{
    return row->totalSizeHint();
}

QSize KyIndicatorParts::minimumSizeHint() const
{
    return row->totalMinimumSize();
}
