#pragma once

#include <QPointer>
#include <QWidget>

// Keeps a widget disabled for the guard's lifetime. The disabled state is painted before the
// caller goes on: the constructor lets pending events run once. The widget is enabled when the
// guard ends, whatever its state before (an earlier disabled state is not restored).
class DisableGuard
{
public:
    // A null widget makes the guard do nothing.
    explicit DisableGuard(QWidget *widget);
    ~DisableGuard();
    DisableGuard(const DisableGuard &) = delete;
    DisableGuard &operator=(const DisableGuard &) = delete;

private:
    // Pending events may delete the widget.
    QPointer<QWidget> mWidget;
};
