// Shows the analysis form in a real window at its design size and writes one picture per page:
//   xvfb-run -a -s '-screen 0 1280x1024x24' build/bin/analysisformdemo <output-folder>
#include "analysisview/kyanalysisform.h"
#include "widgets/kyfonts.h"

#include <QApplication>
#include <QDir>
#include <QTest>

#include <cstdio>
#include <functional>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: analysisformdemo <output-folder>\n");
        return 2;
    }
    registerFontSubstitutions();
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.exists() && !QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot make %s\n", argv[1]);
        return 1;
    }

    QWidget root;
    Ui_KyAnalysisView ui;
    ui.setupUi(&root);
    root.show();
    if (!QTest::qWaitForWindowExposed(&root))
        return 1;

    const auto page = [&](QStackedWidget *stack, int index) { stack->setCurrentIndex(index); };
    const std::pair<const char *, std::function<void()>> states[] = {
        {"lanes", [] {}},
        {"background", [&] { page(ui.operationPanel, 1); }},
        {"bands", [&] { page(ui.operationPanel, 2); }},
        {"mw", [&] { page(ui.operationPanel, 3); }},
        {"normalization", [&] { page(ui.operationPanel, 4); }},
        {"contrast", [&] { page(ui.operationPanel, 5); page(ui.viewStackedWidget, 1); }},
        {"tool-display", [&] { page(ui.opStackedWidget, 1); page(ui.viewStackedWidget, 0); }},
        {"tool-zoom", [&] { page(ui.opeArea, 1); }},
        {"tool-contrast", [&] { page(ui.opeArea, 2); }},
        {"tool-intensity", [&] { page(ui.opeArea, 3); page(ui.tabAreaStackedWidget, 0); }},
        {"summary", [&] { page(ui.topArea, 1); }},
        {"summary-profile", [&] { page(ui.view2StackedWidget, 1); page(ui.tabAreaStackedWidget2, 1); }},
        {"mw-editor", [&] { page(ui.stackedWidget, 1); }},
    };
    for (const auto &[name, show] : states) {
        show();
        QTest::qWait(50);
        const QString path = out.filePath(QStringLiteral("form-%1.png").arg(QLatin1String(name)));
        if (!root.grab().save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
