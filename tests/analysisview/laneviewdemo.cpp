// The lane overlay over an analysed sample capture in a real window, one picture per step:
//   xvfb-run -a -s '-screen 0 1280x1024x24' build/bin/laneviewdemo <output-folder>
#include "../results/resultfixtures.h"

#include "analysisview/laneview.h"
#include "document/kycurrentdocument.h"
#include "widgets/kyfonts.h"
#include "widgets/kyimageview.h"

#include <QApplication>
#include <QDir>
#include <QTest>

#include <cstdio>
#include <functional>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: laneviewdemo <output-folder>\n");
        return 2;
    }
    registerFontSubstitutions();
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.exists() && !QDir().mkpath(out.path()))
        return 1;
    QTemporaryDir dir;
    auto doc = resultfixtures::fluorDocument(dir);
    if (!doc) {
        std::fprintf(stderr, "no sample capture\n");
        return 1;
    }
    KyCurrentDocument::setDocument(doc.get());

    KyImageView view;
    view.resize(560, 760);
    view.setImage(doc->qImage(0x87, QRect()));
    view.show();
    if (!QTest::qWaitForWindowExposed(&view))
        return 1;
    view.fitToWindow();
    auto *overlay = new LaneView(&view);

    const std::pair<const char *, std::function<void()>> states[] = {
        {"lanes", [&] {
             overlay->setMode(0);
             overlay->onMousePress(doc->LaneFrame().topLeft() - QPoint(5, 5));
         }},
        {"bands-all-channels", [&] {
             overlay->onMouseRelease(doc->LaneFrame().topLeft() - QPoint(5, 5));
             overlay->setMode(2);
             overlay->setChannelSelection(0x87);
         }},
        {"bands-one-channel", [&] {
             view.setImage(doc->qImage(0, QRect()));
             overlay->setChannelSelection(0);
             const KyLaneFrame &frame = doc->LaneFrame();
             const KyBandInfo band = doc->Band(0, 3, 1);
             const QVector<QPoint> lane = frame.lanePolygon(3);
             const QPointF along = QPointF(lane.at(2) - lane.at(0)) / frame.laneLength(3);
             overlay->onMousePress(frame.laneTop(3) + (along * band.peak()).toPoint());
         }},
        {"normalization", [&] { overlay->setMode(4); }},
    };
    for (const auto &[name, show] : states) {
        show();
        view.repaint();
        QApplication::processEvents();
        const QString file = out.filePath(QString::fromLatin1(name) + QStringLiteral(".png"));
        if (!view.grab().save(file))
            return 1;
        std::printf("%s\n", qPrintable(file));
    }
    KyCurrentDocument::setDocument(nullptr);
    return 0;
}
