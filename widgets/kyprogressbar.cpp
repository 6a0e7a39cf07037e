#include "widgets/kyprogressbar.h"

#include "widgets/ninepartimage.h"
#include "widgets/kyskin.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPropertyAnimation>

namespace {

constexpr int kStubLength = 36;
constexpr int kSkinBorder = 10;

} // namespace

KyProgressBar::KyProgressBar(QWidget *parent)
    : QWidget(parent)
{
}

KyProgressBar::KyProgressBar(QWidget *parent, int maximum)
    : QWidget(parent)
    , mMaximum(maximum)
{
}

KyProgressBar::~KyProgressBar()
{
    delete animation;
}

int KyProgressBar::barLength(int width, int value, int maximum)
{
    if (maximum <= 0)
        return kStubLength;
    // In 64 bits: a wide bar times a large file count must not overflow.
    return int(qint64(width - kStubLength) * value / maximum) + kStubLength;
}

void KyProgressBar::setMaximum(int maximum)
{
    if (maximum == mMaximum)
        return;
    mMaximum = maximum;
    if (mValue > mMaximum)
        mValue = mMaximum;
    update();
}

void KyProgressBar::setValue(int value)
{
    if (value == mValue)
        return;
    mValue = value < 0 ? 0 : (value > mMaximum ? mMaximum : value);
    update();
}

void KyProgressBar::startAnimation(int msec)
{
    if (!animation) {
        animation = new QPropertyAnimation(this, "mValue");
        connect(animation, &QPropertyAnimation::finished, this, &KyProgressBar::onAnimationFinished);
    }
    animation->setStartValue(0);
    animation->setEndValue(mMaximum);
    animation->setDuration(msec);
    setValue(0);
    animation->start(QAbstractAnimation::KeepWhenStopped);
}

void KyProgressBar::pauseAnimation()
{
    if (animation)
        animation->pause();
}

void KyProgressBar::resumeAnimation()
{
    if (animation)
        animation->resume();
}

void KyProgressBar::stopAnimation()
{
    if (animation)
        animation->stop();
}

void KyProgressBar::finishAnimation()
{
    if (!animation || animation->state() != QAbstractAnimation::Running)
        return;
    animation->stop();
    animation->setDuration(200);
    animation->setStartValue(animation->currentValue());
    animation->start(QAbstractAnimation::KeepWhenStopped);
}

void KyProgressBar::onAnimationFinished()
{
    emit animationFinished();
}

void KyProgressBar::paintEvent(QPaintEvent *event)
{
    event->accept();
    QPainter painter(this);
    drawNinePartImage(&painter, QRect(0, 0, width(), height()),
                      KySkin::image(QStringLiteral(":/KYParts/Resources/progressbar_back.png")), kSkinBorder,
                      kSkinBorder, kSkinBorder, kSkinBorder);
    drawNinePartImage(&painter, QRect(0, 0, barLength(width(), mValue, mMaximum), height()),
                      KySkin::image(QStringLiteral(":/KYParts/Resources/progressbar_bar.png")), kSkinBorder,
                      kSkinBorder, kSkinBorder, kSkinBorder);
}
