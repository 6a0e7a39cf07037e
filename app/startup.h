#pragma once

#include <QWidget>

#include <functional>
#include <memory>

class TeskApp;

namespace platform {
class InstanceSlots;
}

// The exit code of a start refused at the instance limit; the shell sees its low byte, 25.
constexpr int kInstanceLimitExitCode = -999;

// Makes the program's main window; null when there is none to show (the start then ends at once
// with exit code 0).
using MainWindowFactory = std::function<std::unique_ptr<QWidget>()>;
// Tells the user that the instance limit is reached.
using LimitNotice = std::function<void()>;

// "Maximum number of images have been opened." in an information box without a parent.
void showInstanceLimitMessage();

// The start from the instance count on, on an application object already made: counts and claims
// an instance slot under the slots' guard lock, refuses at the limit (notice, then
// kInstanceLimitExitCode, no window made), else makes, shows and registers the main window and
// runs the event loop. The slot is given back before the window is destroyed. The event loop's
// exit code.
int runApplication(TeskApp &app, platform::InstanceSlots &instances, const MainWindowFactory &createWindow,
                   const LimitNotice &notice = showInstanceLimitMessage);

// The whole start, main's body: the application object, the process-wide objects, the
// translation named after the executable (installed when one loads) and runApplication over the
// machine's instance slots.
int startApplication(int &argc, char **argv, const MainWindowFactory &createWindow,
                     const LimitNotice &notice = showInstanceLimitMessage);
