// Shows the shell's boxes over a stand-in main window and writes a picture of each into a folder:
// every page of every analysis step's help topic, the About box and, given a capture folder, the
// capture's information pages.
//   shelldemo <output-folder> [capture-folder]
// It reads the help pages the build put beside it (bin/Data/Help/). Run it under a real display
// (Xvfb) to look at the pictures.

#include "analysisview/kyanalysistables.h"
#include "app/kyhelp.h"
#include "app/kyimageinformation.h"
#include "app/kysplashdialog.h"
#include "document/kydocument.h"
#include "testmain.h"
#include "widgets/kybutton.h"
#include "widgets/kyfonts.h"
#include "widgets/kymessagebox.h"

#include <QApplication>
#include <QScreen>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <memory>

namespace {

bool save(QWidget *widget, const QString &path)
{
    const bool ok = widget->grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "cannot write", qPrintable(path));
    return ok;
}

// Pictures every page of the next box that shows, as <prefix>-<page>.png, then closes it.
void pictureEveryPage(const QString &prefix, bool *ok)
{
    QTimer::singleShot(200, [prefix, ok] {
        auto *box = qobject_cast<KyMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            *ok = false;
            return;
        }
        auto *next = box->findChild<KyButton *>(QStringLiteral("nextPageButton"));
        for (int page = 1;; ++page) {
            QApplication::processEvents();
            *ok = save(box, QStringLiteral("%1-%2.png").arg(prefix).arg(page)) && *ok;
            // Pictures are drawn at the picture page's size: the page stretches them to it.
            auto *picture = box->findChild<QLabel *>(QStringLiteral("imageLabel"));
            if (picture->isVisible() && picture->size() != picture->pixmap().size()) {
                std::printf("picture of %dx%d stretched to %dx%d\n", picture->pixmap().width(),
                            picture->pixmap().height(), picture->width(), picture->height());
            }
            if (!next->isVisible() || !next->isEnabled())
                break;
            next->click();
        }
        box->accept();
    });
}

} // namespace

int main(int argc, char *argv[])
{
    kytest::isolateUserFolders();
    QApplication app(argc, argv);
    kytest::createProcessObjects();
    registerFontSubstitutions();
    if (argc < 2) {
        std::fprintf(stderr, "usage: shelldemo <output-folder> [capture-folder]\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);

    QWidget window;
    window.setWindowTitle(QStringLiteral("shell demo"));
    window.resize(1024, 768);
    // A palette, not a style sheet: a sheet would reach into the boxes, which are children.
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(223, 231, 241));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("The main window"), &window), 0, Qt::AlignCenter);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;

    bool ok = true;
    for (int mode = 0; mode < kModeHelpNames.size(); ++mode) {
        if (kModeHelpNames[mode].isEmpty())
            continue;
        pictureEveryPage(output + QStringLiteral("/help-") + kModeHelpNames[mode], &ok);
        KyHelp::ShowHelp(&window, kModeTitles[mode], kModeHelpNames[mode], true);
    }

    {
        KySplashDialog about(&window, Qt::CustomizeWindowHint | Qt::FramelessWindowHint, false);
        QTimer::singleShot(200, &about, [&about, &ok, output] {
            ok = save(&about, output + QStringLiteral("/about.png")) && ok;
            QApplication::primaryScreen()->grabWindow(0).save(output + QStringLiteral("/about-screen.png"));
            about.accept();
        });
        about.execTimed();
    }

    if (argc > 2) {
        std::unique_ptr<KyDocument> document(KyDocument::Create(QString::fromLocal8Bit(argv[2])));
        if (!document) {
            std::fprintf(stderr, "cannot open %s\n", argv[2]);
            return 1;
        }
        pictureEveryPage(output + QStringLiteral("/information"), &ok);
        KyImageInformation::Show(&window, document.get());
    }
    return ok ? 0 : 1;
}
