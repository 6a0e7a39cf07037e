#pragma once

#include "widgets/kydynamicview.h"

#include <QList>
#include <QPixmap>

class KyBorderImage;
class QLabel;
class QPropertyAnimation;

// The waiting screen: a frozen picture of the screen it covers under a faint white veil, with an
// eight-frame spinning icon on a panel in the middle. It swallows mouse presses. The shell keeps
// one on its busy page; a process-wide one can be shown over any widget through the statics.
class KyBusyView : public KyDynamicView
{
    Q_OBJECT
    Q_PROPERTY(int pixmapIndex READ pixmapIndex WRITE setPixmapIndex)

public:
    explicit KyBusyView(QWidget *parent = nullptr);
    ~KyBusyView() override;

    int pixmapIndex() const { return mPixmapIndex; }
    void setPixmapIndex(int i);

    // Snapshots the parent (a white square without one) and runs the frames from the first.
    void startAnimation() override;
    // Stops the frames; the view stays shown.
    void stopAnimation();

    // Covers w with a snapshot of it and runs the frames; nothing while already shown. Pending
    // events are processed once, so the view paints before the caller goes on.
    void showOver(QWidget *w);
    void stopAndHide();

    // The process-wide view, made on first use and destroyed with the application; null once the
    // application is gone. Making it installs its hider on the view mode.
    static KyBusyView *instance();
    // Note: these hide QWidget::show() and QWidget::hide() on this class; call those through a
    // QWidget pointer.
    static void show(QWidget *w);
    static void hide();

public slots:
    void accept();
    void reject();

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    void showFirstFrame();
    void runFrames();

    KyBorderImage *behindImage = nullptr;
    QWidget *veil = nullptr;
    KyBorderImage *backImage = nullptr;
    QLabel *label = nullptr;

    QList<QPixmap> frames;
    int mPixmapIndex = 0;
    QPropertyAnimation *animation = nullptr;
};
