#include "widgets/kybusyview.h"

#include "core/kyviewmode.h"
#include "widgets/kyborderimage.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPropertyAnimation>
#include <QVBoxLayout>

namespace {

const QString kResources = QStringLiteral(":/KYParts/Resources/");
constexpr int kFrameCount = 8;
constexpr int kCycleMs = 4000;

QPointer<KyBusyView> g_instance;
bool g_applicationGone = false;

void destroyInstance()
{
    KyViewMode::setBusyViewHider(nullptr);
    g_applicationGone = true;
    delete g_instance.data();
}

QBoxLayout *box(QBoxLayout *layout, int spacing, int margins)
{
    layout->setSpacing(spacing);
    layout->setContentsMargins(margins, margins, margins, margins);
    return layout;
}

// Centres a widget between expanding spacers, the vertical ones of the given heights.
void centre(QBoxLayout *column, QWidget *widget, int spaceAbove, int spaceBelow)
{
    column->addItem(new QSpacerItem(20, spaceAbove, QSizePolicy::Minimum, QSizePolicy::Expanding));
    auto *row = box(new QHBoxLayout, 6, 0);
    row->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    row->addWidget(widget);
    row->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    column->addLayout(row);
    column->addItem(new QSpacerItem(20, spaceBelow, QSizePolicy::Minimum, QSizePolicy::Expanding));
}

} // namespace

KyBusyView::KyBusyView(QWidget *parent)
    : KyDynamicView(parent)
{
    setObjectName(QStringLiteral("KyBusyView"));
    resize(800, 600);
    setWindowTitle(QCoreApplication::translate("KyBusyView", "KyBusyView"));

    auto *verticalLayout = box(new QVBoxLayout(this), 0, 0);
    behindImage = new KyBorderImage(this);
    behindImage->setObjectName(QStringLiteral("behindImage"));
    verticalLayout->addWidget(behindImage);

    auto *behindLayout = box(new QVBoxLayout(behindImage), 0, 0);
    veil = new QWidget(behindImage);
    veil->setObjectName(QStringLiteral("widget"));
    veil->setAutoFillBackground(true);
    QPalette palette;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setBrush(group, QPalette::Base, QBrush(QColor(255, 255, 255, 255), Qt::SolidPattern));
        palette.setBrush(group, QPalette::Window, QBrush(QColor(255, 255, 255, 30), Qt::SolidPattern));
    }
    veil->setPalette(palette);
    behindLayout->addWidget(veil);

    auto *veilLayout = box(new QVBoxLayout(veil), 6, 11);
    backImage = new KyBorderImage(veil);
    backImage->setObjectName(QStringLiteral("backImage"));
    backImage->setMinimumSize(160, 160);
    backImage->setMaximumSize(160, 160);
    backImage->setBorderImage(QPixmap(kResources + QStringLiteral("back_busy.png")), 10, 10, 10, 10);
    centre(veilLayout, backImage, 187, 197);

    auto *panelLayout = box(new QVBoxLayout(backImage), 6, 11);
    label = new QLabel(backImage);
    label->setObjectName(QStringLiteral("label"));
    label->setPixmap(QPixmap(kResources + QStringLiteral("icon_busy_0.png")));
    centre(panelLayout, label, 3, 3);

    for (int i = 1; i <= kFrameCount; ++i)
        frames.append(QPixmap(kResources + QStringLiteral("icon_busy_%1.png").arg(i)));
    mPixmapIndex = 0;

    // Owned by the view. The start and end values are set at each start.
    animation = new QPropertyAnimation(this, "pixmapIndex", this);
    animation->setLoopCount(-1);
    animation->setDuration(kCycleMs);
}

KyBusyView::~KyBusyView()
{
    if (animation) {
        animation->stop();
        delete animation;
        animation = nullptr;
    }
}

void KyBusyView::setPixmapIndex(int i)
{
    if (i == mPixmapIndex)
        return;
    mPixmapIndex = i;
    // The integer animation never reaches its end value; an index from outside that names no frame
    // leaves the label as it is.
    if (i >= 0 && i < frames.size())
        label->setPixmap(frames.at(i));
}

void KyBusyView::showFirstFrame()
{
    mPixmapIndex = 0;
    if (!frames.isEmpty())
        label->setPixmap(frames.first());
}

void KyBusyView::runFrames()
{
    if (!animation)
        return;
    // From frame 0 to past the last: each of the eight frames shows for an eighth of the cycle.
    animation->setStartValue(0);
    animation->setEndValue(kFrameCount);
    animation->start();
}

void KyBusyView::startAnimation()
{
    if (QWidget *covered = parentWidget()) {
        behindImage->setMPixmap(covered->grab());
    } else {
        QPixmap white(10, 10);
        white.fill(Qt::white);
        behindImage->setMPixmap(white);
    }
    behindImage->update();
    showFirstFrame();
    runFrames();
}

void KyBusyView::stopAnimation()
{
    if (animation)
        animation->stop();
}

void KyBusyView::showOver(QWidget *w)
{
    if (isVisible())
        return;
    if (w) {
        // Cover w where it is on the screen (its geometry is relative to its parent when it is
        // not a window).
        move(w->isWindow() ? w->geometry().topLeft() : w->mapToGlobal(QPoint(0, 0)));
        resize(w->size());
        behindImage->setMPixmap(w->grab());
        behindImage->update();
    }
    QWidget::show();
    raise();
    showFirstFrame();
    QCoreApplication::processEvents();
    runFrames();
    activateWindow();
}

void KyBusyView::stopAndHide()
{
    stopAnimation();
    QWidget::hide();
    showFirstFrame();
}

KyBusyView *KyBusyView::instance()
{
    if (!g_instance && !g_applicationGone && QCoreApplication::instance()) {
        g_instance = new KyBusyView(nullptr);
        KyViewMode::setBusyViewHider(&KyBusyView::hide);
        qAddPostRoutine(&destroyInstance);
    }
    return g_instance;
}

void KyBusyView::show(QWidget *w)
{
    if (KyBusyView *view = instance())
        view->showOver(w);
}

void KyBusyView::hide()
{
    if (KyBusyView *view = instance())
        view->stopAndHide();
}

void KyBusyView::accept()
{
}

void KyBusyView::reject()
{
}

void KyBusyView::mousePressEvent(QMouseEvent *event)
{
    // Nothing beneath the busy view can be clicked.
    event->accept();
}
