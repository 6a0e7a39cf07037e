#pragma once

#include <QPointer>
#include <QWidget>

class KyMessageBox;
class KyProgressView;

// The progress pop-up of long file jobs ("Saving..."): a progress panel in a message box laid over
// a window. The owner sets a text and a number of steps, shows it and steps it; once the last step
// is reached the pop-up hides itself 600 ms later. While a pop-up shows, the process-wide busy
// flag is set and the program refuses to exit.
//
// The box is window-modal: it shows without a local event loop (Show returns at once), yet the
// window below takes no input, keyboard shortcuts included, while the job runs.
class KyCopyView : public QWidget
{
    Q_OBJECT

public:
    // A hidden child of parent; only its box is ever shown.
    explicit KyCopyView(QWidget *parent);
    // Deletes the box (with the panel in it), or the panel when no box was made. A pop-up that
    // still shows gives the busy flag back.
    ~KyCopyView() override;

    static bool IsBusy();

    void SetText(const QString &text);
    // Restarts the bar at 0 of total steps.
    void SetValue(int total);
    // Covers parent with the box and sets the busy flag; nothing while the flag is already set.
    void Show(QWidget *parent);
    bool IsFinished() const;
    // One step; at or past the total the box hides 600 ms later.
    void Step();
    void Close();

public slots:
    void accept() {}
    void reject() {}

private slots:
    void onClose();

private:
    // Guarded: the box is a child of the window it covers and goes when that window goes.
    QPointer<KyProgressView> mPanel;
    QPointer<KyMessageBox> mBox;
    // This pop-up set the busy flag and has not cleared it.
    bool mHoldsBusy = false;

    static bool sBusy;
};
