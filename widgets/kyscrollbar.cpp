#include "widgets/kyscrollbar.h"

#include "platform/logcategories.h"
#include "widgets/kybutton.h"
#include "widgets/kyskin.h"

#include <QMouseEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString kResources = QStringLiteral(":/KYParts/Resources/");
constexpr int kMinimumSliderLength = 30;

KyButton *makeButton(QWidget *parent, const QString &normal, const QString &pressed)
{
    auto *button = new KyButton(parent);
    button->setAutoRepeat(true);
    const QImage normalImage = KySkin::image(kResources + normal);
    button->setBackground({normalImage, KySkin::image(kResources + pressed)}, 10, 10, 10, 10);
    button->setMinimumSize(normalImage.size());
    button->setMaximumSize(normalImage.size());
    return button;
}

} // namespace

KyScrollBar::KyScrollBar(QWidget *parent)
    : KyBorderImage(parent)
{
    setBorderImage(QPixmap(kResources + QStringLiteral("scroll_track.png")), 10, 10, 10, 10);

    mUpButton = makeButton(this, QStringLiteral("scroll_btn_up_normal.png"), QStringLiteral("scroll_btn_up_pressed.png"));
    mDownButton = makeButton(this, QStringLiteral("scroll_btn_down_normal.png"),
                             QStringLiteral("scroll_btn_down_pressed.png"));
    mTrack = new QWidget(this);
    mSlider = new KyBorderImage(mTrack, QPixmap(kResources + QStringLiteral("scroll_slider.png")), 10, 10, 10, 10);
    mSlider->setGeometry(0, 0, 30, 30);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(mUpButton);
    layout->addWidget(mTrack);
    layout->addWidget(mDownButton);

    connect(mUpButton, &KyButton::clicked, this, &KyScrollBar::onUpButtonClicked);
    connect(mDownButton, &KyButton::clicked, this, &KyScrollBar::onDownButtonClicked);
}

KyScrollBar::~KyScrollBar() = default;

int KyScrollBar::maxPosition() const
{
    return std::max(0, mTotal - mPageSize);
}

void KyScrollBar::setTotal(int inTotal)
{
    if (inTotal == mTotal)
        return;
    mTotal = inTotal;
    // Pulled back quietly: the content shrank, nobody scrolled.
    mPosition = std::min(mPosition, maxPosition());
    sizeSlider();
}

void KyScrollBar::setPageSize(int inPageSize)
{
    if (inPageSize == mPageSize)
        return;
    mPageSize = inPageSize;
    mPosition = std::min(mPosition, maxPosition());
    sizeSlider();
}

void KyScrollBar::setStep(int inStep)
{
    mStep = inStep;
}

void KyScrollBar::sizeSlider()
{
    const qint64 track = mTrack->height();
    const qint64 length = showsEverything() ? track
                                            : std::max<qint64>(kMinimumSliderLength, track * mPageSize / mTotal);
    mSlider->resize(width(), int(length));
}

void KyScrollBar::placeSlider()
{
    if (showsEverything()) {
        mSlider->move(0, 0);
        return;
    }
    // Each quotient on its own, as the slider's length is taken.
    const qint64 track = mTrack->height();
    const qint64 y = track * (mPosition + mPageSize) / mTotal - track * mPageSize / mTotal;
    mSlider->move(0, int(y));
}

void KyScrollBar::setPosition(int inPosition)
{
    if (inPosition == mPosition)
        return;
    mPosition = std::clamp(inPosition, 0, maxPosition());
    placeSlider();
    // Also when clamping brought it back to where it was.
    emit scrolled(mPosition);
}

void KyScrollBar::onUpButtonClicked()
{
    up(mStep);
}

void KyScrollBar::onDownButtonClicked()
{
    down(mStep);
}

void KyScrollBar::up(int size)
{
    setPosition(mPosition - size);
}

void KyScrollBar::down(int size)
{
    setPosition(mPosition + size);
}

void KyScrollBar::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        KyBorderImage::mousePressEvent(event);
        return;
    }
    event->accept();
    const QPoint pos = event->position().toPoint();
    const int y = pos.y() - mTrack->y();
    qCDebug(lcWidgets, "mousePressed: %d, %d  y=%d", pos.x(), pos.y(), y);
    if (mSlider->geometry().contains(pos - mTrack->pos()))
        return;
    if (y >= mSlider->y())
        down(mPageSize);
    else
        up(mPageSize);
}

void KyScrollBar::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    mDragging = false;
}

void KyScrollBar::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
}
