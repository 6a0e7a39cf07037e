#include "app/startup.h"

#include <QTextStream>

namespace {

// The program's main window: the one place that names its class.
std::unique_ptr<QWidget> createMainWindow()
{
    QTextStream(stderr) << "The analysis window is not built yet: this build holds the settings, "
                           "files, instrument images, lane analysis and documents, which the tests "
                           "exercise; it opens no capture folder.\n";
    return nullptr;
}

} // namespace

int main(int argc, char *argv[])
{
    return startApplication(argc, argv, createMainWindow);
}
