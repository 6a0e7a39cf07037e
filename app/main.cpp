#include "app/startup.h"
#include "app/teskwindow.h"

namespace {

// The program's main window: the one place that names its class.
std::unique_ptr<QWidget> createMainWindow()
{
    return std::make_unique<TeskWindow>();
}

} // namespace

int main(int argc, char *argv[])
{
    return startApplication(argc, argv, createMainWindow);
}
