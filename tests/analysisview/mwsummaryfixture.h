#pragma once

// Documents and helpers shared by the MW-step and summary tests of the analysis screen.

#include "../document/sampleanalysis.h"
#include "../document/testdocument.h"

#include "analysis/kybandinfo.h"
#include "analysisview/kyanalysisview.h"
#include "document/kycurrentdocument.h"
#include "widgets/kybutton.h"
#include "widgets/kymessagebox.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

namespace screentest {

// 100 x 200 pixels whose row y is worth 100 (y + 1): the default frame of 3 lanes runs from
// (20, 40) to (80, 160), so every lane is 120 pixels long and band volumes grow with the position.
constexpr int kWidth = 100;
constexpr int kHeight = 200;

inline ImageFile rampImage()
{
    return kytest::makeImage(kWidth, kHeight, [](int, int y) { return quint16(100 * (y + 1)); });
}

// A document of inImages ramp images with three lanes and their profiles.
inline std::unique_ptr<TestDocument> laneDocument(int inImages = 1)
{
    QVector<ImageFile> images;
    for (int i = 0; i < inImages; ++i)
        images.append(rampImage());
    auto doc = std::make_unique<TestDocument>(images);
    doc->SetDefaultLanes(3, 0.5);
    doc->ExtractLaneProfiles();
    return doc;
}

// Puts a band with its peak at each position into a lane of a channel, bypassing the 10-pixel
// margins of AddBand.
inline void placeBands(KyDocument &ioDoc, int inChannel, int inLane, const QList<int> &inPeaks)
{
    KyBandList &lane = ioDoc.Bands()[inChannel][inLane];
    for (int peak : inPeaks)
        lane.append(KyBandInfo(std::max(0, peak - 2), peak, peak + 2, false, 0.0, false));
}

// Runs inAction on the modal message box once its loop runs; a box the action leaves open is
// closed after a while so that a failed check cannot hang the test.
inline void whenBoxShows(const std::function<void(KyMessageBox *)> &inAction)
{
    QTimer::singleShot(0, [inAction] {
        auto *box = qobject_cast<KyMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            qWarning("no box is showing");
            return;
        }
        QTimer::singleShot(5000, box, [box] {
            qWarning("box left open by the test: closing it");
            box->done(0);
        });
        inAction(box);
    });
}

// Answers the next box with the button of that object name, noting the box's text.
inline void answerBox(const char *inButton, QString *outText = nullptr)
{
    whenBoxShows([inButton, outText](KyMessageBox *box) {
        if (outText)
            *outText = box->text();
        auto *button = box->findChild<KyButton *>(QLatin1String(inButton));
        if (!button || !button->isVisible()) {
            qWarning("no button %s on the box", inButton);
            return;
        }
        button->click();
    });
}

// Answers the next boxes, one after the other as each comes up, with the buttons of those object
// names, noting their texts: a zero-time timer polls for the next box until every one is answered.
inline void answerBoxes(const QList<QByteArray> &inButtons, QStringList *outTexts)
{
    auto *poll = new QTimer;
    auto answered = std::make_shared<QList<QPointer<KyMessageBox>>>();
    auto remaining = std::make_shared<QList<QByteArray>>(inButtons);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answered, remaining, outTexts] {
        auto *box = qobject_cast<KyMessageBox *>(QApplication::activeModalWidget());
        if (!box || answered->contains(box))
            return;
        answered->append(box);
        if (outTexts)
            outTexts->append(box->text());
        auto *button = box->findChild<KyButton *>(QLatin1String(remaining->takeFirst()));
        if (button)
            button->click();
        else
            box->done(0);
        if (remaining->isEmpty())
            poll->deleteLater();
    });
    // A box that never comes must not leave the poll running into the next test.
    QTimer::singleShot(5000, poll, &QObject::deleteLater);
    poll->start(0);
}

// Attaches the document to a shown screen, as the main window does after an open.
inline void attach(KyAnalysisView &ioView, KyDocument *inDoc)
{
    KyCurrentDocument::setDocument(inDoc);
    ioView.resetForDocument(true);
}

} // namespace screentest
