// The image tools on a sample capture, in a real window: one picture per tool page, with the
// intensity rectangle placed, the profile zoomed and the contrast stepped, and the time each click
// took:
//   xvfb-run -a -s '-screen 0 1280x1024x24' build/bin/toolsdemo <output-folder> [gel|marker|fluor|color] [full]
#include "testmain.h"

#include "analysisview/kyanalysisview.h"
#include "document/kycurrentdocument.h"
#include "document/kydocument.h"
#include "samplecapturewriter.h"
#include "widgets/kyfonts.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <functional>
#include <memory>

int main(int argc, char *argv[])
{
    kytest::isolateUserFolders();
    QApplication app(argc, argv);
    kytest::createProcessObjects();
    if (argc < 2) {
        std::fprintf(stderr, "usage: toolsdemo <output-folder> [gel|marker|fluor|color] [full]\n");
        return 2;
    }
    registerFontSubstitutions();
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString kind = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("fluor");
    if (!out.exists() && !QDir().mkpath(out.path()))
        return 1;
    const bool full = argc > 3 && QByteArray(argv[3]) == "full";
    QTemporaryDir dir;
    const QString folder = SampleCaptureWriter(full ? 2046 : 800, full ? 3072 : 1200, 7).Write(kind, dir.path());
    std::unique_ptr<KyDocument> doc(folder.isEmpty() ? nullptr : KyDocument::Create(folder));
    if (!doc)
        return 1;

    KyAnalysisView view;
    KyCurrentDocument::setDocument(doc.get());
    view.resetForDocument(true);
    view.show();
    if (!QTest::qWaitForWindowExposed(&view))
        return 1;

    const auto step = [&](const char *name, const std::function<void()> &action) {
        QElapsedTimer clock;
        clock.start();
        action();
        std::printf("%-22s %6.1f ms\n", name, clock.nsecsElapsed() / 1e6);
        QTest::qWait(100);
        const QString path = out.filePath(QStringLiteral("tools-%1-%2.png").arg(kind, QLatin1String(name)));
        return view.grab().save(path);
    };
    bool ok = step("lanes", [] {});
    ok = ok && step("tool-mode-contrast", [&] { view.contrastButton->click(); });
    ok = ok && step("contrast-low-up", [&] { view.viewContrastLowUpButton->click(); });
    ok = ok && step("display-page", [&] { view.displayButton->click(); });
    ok = ok && step("zoom-page-zoomed", [&] {
        view.zoomButton->click();
        view.zoomUpButton->click();
    });
    ok = ok && step("intensity-page", [&] {
        view.intensityButton->click();
        const QPoint point = view.imageView->mapToWidget(view.imageView->imageCenter() + QPoint(40, -60));
        QTest::mouseClick(view.imageView, Qt::LeftButton, {}, point);
    });
    ok = ok && step("intensity-arrow", [&] { view.intensityLeftButton->click(); });
    ok = ok && step("profile-zoomed", [&] {
        QTest::mouseClick(view.profileButton, Qt::LeftButton);
        view.zoomUp2Button->click();
        view.zoomUp2Button->click();
    });
    ok = ok && step("rotated", [&] {
        QTest::mouseClick(view.imageButton, Qt::LeftButton);
        view.rotateRButton->click();
        view.rotateWatcher().waitForFinished();
        QTest::qWait(50);
    });
    KyCurrentDocument::setDocument(nullptr);
    return ok ? 0 : 1;
}
