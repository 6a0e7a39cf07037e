// Shows the saving pop-up over a window, two of five steps done, and writes a screenshot of the
// screen:
//   copyviewdemo [saving.png]
// Run it under a real display (Xvfb) to look at it.

#include "app/kycopyview.h"
#include "widgets/kyfonts.h"
#include "widgets/kylabel.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    registerFontSubstitutions();
    const QString shot = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("saving.png");

    QWidget window;
    window.setWindowTitle(QStringLiteral("Brevik Ziredo 410 Analysis Software"));
    window.setStyleSheet(QStringLiteral("background: #f4f6f9;"));
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(new KyLabel(QStringLiteral("A capture is being saved."), &window));
    window.setGeometry(40, 40, 1024, 720);
    window.show();

    auto *popUp = new KyCopyView(&window);
    QTimer::singleShot(300, &window, [&] {
        popUp->SetText(QStringLiteral("Saving..."));
        popUp->SetValue(5);
        popUp->Show(&window);
        popUp->Step();
        popUp->Step();
    });
    QTimer::singleShot(1200, &window, [&] {
        QGuiApplication::primaryScreen()->grabWindow(0).save(shot);
        delete popUp;
        app.quit();
    });
    return app.exec();
}
