// Shows the main window in a real window and writes one picture per page (the busy page over the
// opening page, the file menu open):
//   xvfb-run -a -s '-screen 0 1280x1024x24' build/bin/teskwindowdemo <output-folder>
#include "app/teskapp.h"
#include "app/teskwindow.h"
#include "core/kyviewmode.h"
#include "widgets/kyfonts.h"

#include <QDir>
#include <QMenu>
#include <QStackedWidget>
#include <QTest>

#include <cstdio>
#include <functional>

int main(int argc, char *argv[])
{
    TeskApp app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: teskwindowdemo <output-folder>\n");
        return 2;
    }
    registerFontSubstitutions();
    KyViewMode::instance();
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.exists() && !QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot make %s\n", argv[1]);
        return 1;
    }

    TeskWindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    const Ui_TeskWindow &ui = window.form();

    const std::pair<const char *, std::function<void()>> states[] = {
        {"opening", [] {}},
        {"save", [&] {
             KyViewMode::instance()->setViewMode(KyViewMode::kView_Save, true);
             ui.saveCommentText->setText(QStringLiteral("Ladder in lane 1, dilution series"));
         }},
        {"busy", [&] {
             KyViewMode::instance()->returnFromSave();
             ui.stackedWidget->setCurrentIndex(TeskWindow::kPage_Menu);
             KyViewMode::instance()->setBusy(KyViewMode::kBusy_Opening);
         }},
        {"menu", [&] {
             KyViewMode::instance()->unsetBusy(KyViewMode::kBusy_Opening);
             ui.menuFile->popup(window.mapToGlobal(QPoint(0, ui.menuBar->height())));
         }},
    };
    for (const auto &[name, show] : states) {
        show();
        QTest::qWait(300);
        const QString path = out.filePath(QStringLiteral("window-%1.png").arg(QLatin1String(name)));
        // The menu is a window of its own: the picture is of the whole screen.
        const QPixmap picture = qstrcmp(name, "menu") == 0 ? window.screen()->grabWindow(0) : window.grab();
        if (!picture.save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
