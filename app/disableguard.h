#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

// Keeps a widget disabled for the guard's lifetime. The disabled state is painted before the
// caller goes on: the constructor lets pending events run once. The widget is enabled when the
// guard ends, whatever its state before (an earlier disabled state is not restored), unless
// inKeepDisabled answers true then: a job the guarded flow started holds the widget, which the
// guard leaves disabled (also when something enabled it meanwhile), and enables it when it ends.
class DisableGuard
{
public:
    // A null widget makes the guard do nothing.
    explicit DisableGuard(QWidget *widget, std::function<bool()> inKeepDisabled = {});
    ~DisableGuard();
    DisableGuard(const DisableGuard &) = delete;
    DisableGuard &operator=(const DisableGuard &) = delete;

private:
    // Pending events may delete the widget.
    QPointer<QWidget> mWidget;
    std::function<bool()> mKeepDisabled;
};
