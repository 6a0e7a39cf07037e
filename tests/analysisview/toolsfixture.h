#pragma once

#include "corefixtures.h"

#include "analysisview/kyanalysisview.h"
#include "document/kycurrentdocument.h"
#include "document/kydocument.h"
#include "widgets/kybutton.h"
#include "widgets/kymessagebox.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

// The screen in a window over a sample capture, attached as the main window attaches it; the
// capture is detached again before it goes.
namespace toolsfixture {

struct Screen
{
    QTemporaryDir dir;
    std::unique_ptr<KyDocument> doc;
    std::unique_ptr<KyAnalysisView> view;

    ~Screen()
    {
        if (view)
            view->rotateWatcher().waitForFinished();
        KyCurrentDocument::setDocument(nullptr);
        view.reset();
        doc.reset();
        corefixtures::clearBusy();
    }
};

// "gel", "marker", "fluor", "color" or "bluered"; false when the capture could not be made.
inline bool open(Screen &ioScreen, const QString &inKind, int inWidth = 200, int inHeight = 300)
{
    ioScreen.doc = inKind == QLatin1String("bluered") ? corefixtures::openBlueRedCapture(ioScreen.dir)
                                                       : corefixtures::openCapture(ioScreen.dir, inKind, inWidth, inHeight);
    if (!ioScreen.doc)
        return false;
    ioScreen.view = std::make_unique<KyAnalysisView>();
    ioScreen.view->resize(1024, 700);
    ioScreen.view->show();
    if (!QTest::qWaitForWindowExposed(ioScreen.view.get()))
        return false;
    corefixtures::attach(*ioScreen.view, ioScreen.doc.get());
    return true;
}

// Runs the action on the modal box once its loop runs; a box the action leaves open is closed
// after five seconds so that a failed check cannot hang the test.
inline void whenBoxShows(const std::function<void(KyMessageBox *)> &inAction)
{
    QTimer::singleShot(0, [inAction] {
        auto *box = qobject_cast<KyMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            qWarning("no box is showing");
            return;
        }
        QTimer::singleShot(5000, box, [box] { box->done(-1); });
        inAction(box);
    });
}

inline void answer(KyMessageBox *inBox, bool inYes)
{
    if (auto *button = inBox->findChild<KyButton *>(inYes ? QStringLiteral("acceptButton") : QStringLiteral("rejectButton")))
        button->click();
}

// The canvas as the user sees it.
inline QImage shot(QWidget *inWidget)
{
    return inWidget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace toolsfixture
