// Shows a gel capture on the image canvas with a lane overlay, fitted and magnified, then a
// question box and a paged box over it, and writes a picture of each into a folder:
//   canvasdemo <capture-folder> <output-folder>
// The capture folder is one written by samplecapture (kind "gel"). Run it under a real display
// (Xvfb) to look at it.

#include "image/imagefile.h"
#include "testmain.h"
#include "widgets/kyfonts.h"
#include "widgets/kyimageview.h"
#include "widgets/kymessagebox.h"
#include "widgets/overlapview.h"

#include <QApplication>
#include <QDirIterator>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

namespace {

// Eight lanes in a frame, in image points, and a marker where the user last pressed.
class LaneSketch : public QObject, public OverlapView
{
public:
    explicit LaneSketch(KyImageView *view)
        : QObject(view), OverlapView(view)
    {
    }

    void paint(QPainter *painter, double) override
    {
        painter->setRenderHint(QPainter::Antialiasing);
        const int top = 300;
        const int bottom = 2800;
        painter->setPen(QPen(QColor(59, 115, 185), 3));
        painter->drawRect(rectToCanvas(QRect(QPoint(80, top), QPoint(1960, bottom))));
        painter->setPen(QPen(QColor(148, 101, 138), 2));
        for (int lane = 0; lane < 8; ++lane) {
            const int centre = 234 + 224 * lane;
            painter->drawRect(rectToCanvas(QRect(QPoint(centre - 80, top), QPoint(centre + 80, bottom))));
        }
        if (!marker.isNull()) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(QColor(255, 192, 0));
            painter->drawEllipse(mapToCanvas(marker), 8, 8);
        }
    }

    bool onMousePress(const QPoint &imagePoint) override
    {
        marker = imagePoint;
        view->update();
        return false;
    }

    QPoint marker;
};

bool save(QWidget *widget, const QString &path)
{
    const bool saved = widget->grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

} // namespace

int main(int argc, char *argv[])
{
    kytest::isolateUserFolders();
    QApplication app(argc, argv);
    kytest::createProcessObjects();
    registerFontSubstitutions();
    if (argc < 3) {
        std::fprintf(stderr, "usage: canvasdemo <capture-folder> <output-folder>\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[2]);
    QDirIterator tiffs(QString::fromLocal8Bit(argv[1]), {QStringLiteral("*.tif")}, QDir::Files,
                       QDirIterator::Subdirectories);
    ImageFile capture;
    if (!tiffs.hasNext() || !ImageFile::Read(tiffs.next(), capture)) {
        std::fprintf(stderr, "no capture image in %s\n", argv[1]);
        return 1;
    }

    QWidget window;
    window.setWindowTitle(QStringLiteral("canvas demo"));
    window.resize(1100, 850);
    auto *layout = new QVBoxLayout(&window);
    auto *view = new KyImageView(&window);
    layout->addWidget(view);
    auto *lanes = new LaneSketch(view);
    lanes->marker = QPoint(1020, 1500);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    view->setImage(capture.ToIndexed8(true));
    view->fitToWindow();
    bool ok = save(&window, output + QStringLiteral("/canvas-fitted.png"));
    view->setMagnification(2.0);
    ok = save(&window, output + QStringLiteral("/canvas-magnified.png")) && ok;

    // The box is answered once it has been looked at.
    QTimer::singleShot(200, [&ok, output] {
        auto *box = qobject_cast<KyMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        ok = save(box, output + QStringLiteral("/messagebox.png")) && ok;
        box->forceClose();
    });
    const int answer = KyMessageBox::question3(
        &window, QStringLiteral("Save changes"),
        QStringLiteral("The analysis of this capture has changed.\nDo you want to save it before closing?"),
        QStringLiteral("Save"), QStringLiteral("Cancel"), QStringLiteral("Don't save"));
    std::printf("question3 answered %d\n", answer);

    KyMessageBox paged(&window, 2, false, true);
    paged.setTitle(QStringLiteral("Help"));
    paged.setHtml(QStringLiteral("<h3>Lanes</h3><p>Drag the corner points of the frame onto the outer "
                                 "lanes; the lanes in between follow.</p>"));
    paged.setButtonTexts(QStringLiteral("Close"), QStringLiteral("Close"), QString());
    paged.setPageCount(3);
    paged.setPage(2);
    QTimer::singleShot(200, &paged, [&ok, &paged, output] {
        ok = save(&paged, output + QStringLiteral("/messagebox-paged.png")) && ok;
        paged.accept();
    });
    paged.exec();
    return ok ? 0 : 1;
}
