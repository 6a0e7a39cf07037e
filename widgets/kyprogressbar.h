#pragma once

#include <QWidget>

class QPropertyAnimation;

// A horizontal progress bar painted from two nine-part skins; an empty bar shows a short stub.
class KyProgressBar : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int mValue MEMBER mValue WRITE setValue)
    Q_PROPERTY(int mMaximum MEMBER mMaximum WRITE setMaximum)

public:
    explicit KyProgressBar(QWidget *parent = nullptr);
    KyProgressBar(QWidget *parent, int maximum);
    ~KyProgressBar() override;

    int value() const { return mValue; }
    int maximum() const { return mMaximum; }

    // The length of the bar skin for a bar of the given width; the stub alone while the maximum is
    // not positive (an empty job).
    static int barLength(int width, int value, int maximum);

    void setMaximum(int maximum);
    void setValue(int value);

    void startAnimation(int msec);
    void pauseAnimation();
    void resumeAnimation();
    void stopAnimation();
    void finishAnimation();

signals:
    void animationFinished();

protected:
    void paintEvent(QPaintEvent *event) override;

private slots:
    void onAnimationFinished();

private:
    int mMaximum = 100;
    int mValue = 0;
    QPropertyAnimation *animation = nullptr;
};
