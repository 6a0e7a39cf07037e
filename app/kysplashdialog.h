#pragma once

#include <QDialog>
#include <QTimer>

namespace Ui {
class KySplashDialog;
}

// The About box: a frameless, modal 800 x 600 picture of the opening background with the
// instrument and the program's version. It has no buttons: the first key press or mouse-button
// press anywhere on it closes it. Built with autoClose it also closes itself 5 s after
// execTimed() shows it.
class KySplashDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kAutoCloseMSec = 5000;

    KySplashDialog(QWidget *inParent, Qt::WindowFlags inFlags, bool inAutoClose);
    ~KySplashDialog() override;

    // Starts the close countdown when built with autoClose, then runs the box modally.
    void execTimed();

    bool event(QEvent *inEvent) override;
    // Stops the countdown, then closes the box accepted.
    void accept() override;

    bool isCountingDown() const { return mCloseTimer.isActive(); }

private slots:
    void onCloseTimerExpired();
    void onAccept();

private:
    Ui::KySplashDialog *ui;
    bool autoClose;
    QTimer mCloseTimer;
};
