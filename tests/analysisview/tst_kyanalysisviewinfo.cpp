// The analysis information text of the analysis screen: which text each document and display kind
// gets, and the exact lines of every kind of text, on a fixed clock.

#include "../document/testdocument.h"
#include "testmain.h"

#include "analysisview/kyanalysisview.h"
#include "document/kycurrentdocument.h"
#include "instrument/capturecondition.h"
#include "instrument/lightmode.h"
#include "widgets/kybutton.h"

#include <QApplication>
#include <QDateTime>

#include <memory>

namespace {

const QDateTime kNow(QDate(2021, 4, 5), QTime(6, 7, 8));
const QString kNowText = QStringLiteral("2021/04/05 06:07:08");

struct Tags
{
    QString path;
    QString light;
    QString filter;
    QString tray;
    QString exposure;
    QString date;
    QString serial;
};

// A small channel image of a light mode with the capture items the texts read.
ImageFile taggedImage(int inLightMode, const Tags &inTags)
{
    ImageFile image(CaptureCondition(LightMode(inLightMode), 1000, QString()));
    image.Resize(40, 60);
    image.Fill(3000);
    image.UpdateHistogram();
    image.SetTag(QStringLiteral("File path"), inTags.path);
    image.SetTag(QStringLiteral("Light"), inTags.light);
    image.SetTag(QStringLiteral("Filter"), inTags.filter);
    image.SetTag(QStringLiteral("Tray position"), inTags.tray);
    image.SetTag(QStringLiteral("Exposure time"), inTags.exposure);
    image.SetTag(QStringLiteral("Date time"), inTags.date);
    image.SetTag(QStringLiteral("Serial number"), inTags.serial);
    return image;
}

// Three fluorescence channels (Blue, Green, Red) of one capture folder "Gel 7". The green image has
// no filter and the red one no exposure time, so that joined lines show their empty places; the
// red capture date is cut short.
QVector<ImageFile> channelImages(const QString &inBluePath = QStringLiteral("/captures/Gel 7/Gel7-Blue.tif"))
{
    return {taggedImage(2, {inBluePath, QStringLiteral("Epi-Blue 470"), QStringLiteral("Cy2"), QStringLiteral("Upper"),
                            QStringLiteral("1.5 s"), QStringLiteral("2024:03:05 10:11:12"), QStringLiteral("SN-100")}),
            taggedImage(3, {QStringLiteral("/captures/Gel 7/Gel7-Green.tif"), QStringLiteral("LED"), QString(),
                            QStringLiteral("Middle"), QStringLiteral("2.0 s"), QStringLiteral("2024:03:06 11:12:13"),
                            QStringLiteral("SN-101")}),
            taggedImage(4, {QStringLiteral("/captures/Gel 7/Gel7-Red.tif"), QStringLiteral("Trans-UV"),
                            QStringLiteral("Cy5"), QStringLiteral("Lower"), QString(), QStringLiteral("2024:0"),
                            QStringLiteral("SN-102")})};
}

// Opened from files ("stored"), or a new capture.
std::unique_ptr<TestDocument> channelDocument(bool inStored, const QVector<ImageFile> &inImages = channelImages())
{
    std::unique_ptr<TestDocument> doc = inStored
                                            ? std::make_unique<TestDocument>(QStringLiteral("/captures/Gel 7/Gel7"), inImages)
                                            : std::make_unique<TestDocument>(inImages);
    doc->markerImage = true;
    return doc;
}

QString text(const QString &inFileName, const QStringList &inMiddle, const QString &inTail)
{
    return QStringLiteral("File name:\t%1\n\t\n").arg(inFileName) + inMiddle.join(QString()) + inTail;
}

// The texts of the fixture, by builder. The screen shows channel 0 alone (single) when it builds
// them; "channelOne" is the composite text of that selection, "channelAll" of the whole document.
QString expected(const QString &inBuilder)
{
    const QString analysis = QStringLiteral("Date and time of analysis:\t%1\n").arg(kNowText);
    const QString firstTail = QStringLiteral("Date and time of capture:\t2024/03/05 10:11:12\nSerial number:\tSN-100\n");
    const QString joinedMiddle = QStringLiteral("Light:\tEpi + LED + Trans\nFilter:\tCy2 +  + Cy5\n");
    const QString joinedExposure = QStringLiteral("Exposure time:\t1.5 s + 2.0 s + \n");
    if (inBuilder == QLatin1String("single"))
        return text(QStringLiteral("Gel7-Blue"),
                    {analysis, QStringLiteral("Method:\tBlue\nLight:\tEpi\nFilter:\tCy2\nTray Position:\tUpper\n"),
                     QStringLiteral("Exposure time:\t1.5 s\n")},
                    firstTail);
    if (inBuilder == QLatin1String("multi"))
        return text(QStringLiteral("Gel7-Green"),
                    {analysis, QStringLiteral("Method:\tGreen\nLight:\tLED\nFilter:\t\nTray Position:\tMiddle\n"),
                     QStringLiteral("Exposure time:\t2.0 s\n")},
                    QStringLiteral("Date and time of capture:\t2024/03/06 11:12:13\nSerial number:\tSN-101\n"));
    if (inBuilder == QLatin1String("channelOne"))
        return text(QStringLiteral("Gel7"),
                    {QStringLiteral("Channel:\tBlue\n"), analysis,
                     QStringLiteral("Light:\tEpi\nFilter:\tCy2\nTray Position:\tUpper\nExposure time:\t1.5 s\n")},
                    firstTail);
    if (inBuilder == QLatin1String("channelAll"))
        return text(QStringLiteral("Gel7"),
                    {QStringLiteral("Channel:\tBlue + Green + Red\n"), analysis, joinedMiddle,
                     QStringLiteral("Tray Position:\tUpper\n"), joinedExposure},
                    firstTail);
    if (inBuilder == QLatin1String("colorimetric"))
        return text(QStringLiteral("Gel7-Blue"),
                    {analysis, QStringLiteral("Method:\tBlue + Green + Red\n"), joinedMiddle,
                     QStringLiteral("Tray Position:\tUpper\n"), joinedExposure},
                    firstTail);
    if (inBuilder == QLatin1String("marker") || inBuilder == QLatin1String("markerWhole"))
        return text(inBuilder == QLatin1String("marker") ? QStringLiteral("Gel7-Blue+Marker") : QStringLiteral("Gel 7"),
                    {analysis, QStringLiteral("Method:\tBlue + Green + Red\n"), joinedMiddle,
                     QStringLiteral("Tray position:\tUpper\n"), joinedExposure},
                    firstTail);
    return QString();
}

} // namespace

class TestKyAnalysisViewInfo : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<KyAnalysisView> view;
    std::unique_ptr<KyDocument> doc;

    void attach(std::unique_ptr<TestDocument> inDoc)
    {
        doc = std::move(inDoc);
        KyCurrentDocument::setDocument(doc.get());
        view->resetForDocument(true);
    }
    // Leaves only the channel button of inButton checked (1..3), as clicks on the others do.
    void showChannelAlone(int inButton)
    {
        KyButton *const buttons[] = {view->ch1Button, view->ch2Button, view->ch3Button};
        for (int i = 0; i < 3; ++i) {
            if (i + 1 != inButton && buttons[i]->isChecked())
                QTest::mouseClick(buttons[i], Qt::LeftButton);
        }
    }

private slots:
    void init()
    {
        view = std::make_unique<KyAnalysisView>();
        view->setInfoClock([] { return kNow; });
    }
    void cleanup()
    {
        KyCurrentDocument::setDocument(nullptr);
        view.reset();
        doc.reset();
    }

    void fixtureIsAThreeChannelDocument()
    {
        attach(channelDocument(true));
        QCOMPARE(view->documentKind(), int(KyAnalysisView::kDocument_Multi));
        QCOMPARE(doc->ChannelName(0), QStringLiteral("Blue"));
        QCOMPARE(doc->ChannelName(2), QStringLiteral("Red"));
        showChannelAlone(1);
        QCOMPARE(view->channelSelection(), 0);
        QCOMPARE(view->displayKind(), int(KyAnalysisView::kDisplay_Channel));
    }

    // Document kind, then display kind, pick the text; anything outside the table gets none.
    void dispatch_data()
    {
        QTest::addColumn<int>("documentKind");
        QTest::addColumn<int>("displayKind");
        QTest::addColumn<bool>("whole");
        QTest::addColumn<QString>("builder");
        const QList<QList<QString>> table = {
            {"single", "", "", ""},
            {"single", "", "multi", "marker"},
            {"single", "channelOne", "multi", "marker"},
            {"single", "", "", "colorimetric"},
        };
        for (int documentKind = 0; documentKind < 4; ++documentKind) {
            for (int displayKind = 0; displayKind < 4; ++displayKind) {
                const QString builder = table.at(documentKind).at(displayKind);
                QTest::addRow("document %d, display %d", documentKind, displayKind)
                    << documentKind << displayKind << false << builder;
            }
        }
        // The whole document: every channel of the composite, the capture folder for the marker.
        QTest::newRow("multi composite, whole") << 2 << 1 << true << "channelAll";
        QTest::newRow("marker colour, whole") << 1 << 3 << true << "markerWhole";
        QTest::newRow("multi colour, whole") << 2 << 3 << true << "markerWhole";
        QTest::newRow("single channel, whole") << 0 << 0 << true << "single";
        QTest::newRow("colour document, whole") << 3 << 3 << true << "colorimetric";
        QTest::newRow("document kind 4") << 4 << 0 << false << "";
        QTest::newRow("document kind -1") << -1 << 0 << false << "";
        QTest::newRow("display kind 4") << 2 << 4 << false << "";
        QTest::newRow("display kind -1") << 1 << -1 << true << "";
    }
    void dispatch()
    {
        QFETCH(int, documentKind);
        QFETCH(int, displayKind);
        QFETCH(bool, whole);
        QFETCH(QString, builder);
        attach(channelDocument(true));
        showChannelAlone(1);
        QCOMPARE(view->analysisInfoText(displayKind, documentKind, whole), expected(builder));
    }

    // A composite of channels 0 and 2 lists two values per joined line and skips channel 1.
    void compositeOfTwoChannels()
    {
        attach(channelDocument(true));
        QTest::mouseClick(view->ch2Button, Qt::LeftButton);
        QCOMPARE(view->channelSelection(), 0x85);
        QCOMPARE(view->displayKind(), int(KyAnalysisView::kDisplay_Composite));
        const QString info = view->analysisInfoText(view->displayKind(), view->documentKind(), false);
        QCOMPARE(info, text(QStringLiteral("Gel7"),
                            {QStringLiteral("Channel:\tBlue + Red\n"),
                             QStringLiteral("Date and time of analysis:\t%1\n").arg(kNowText),
                             QStringLiteral("Light:\tEpi + Trans\nFilter:\tCy2 + Cy5\nTray Position:\tUpper\n"),
                             QStringLiteral("Exposure time:\t1.5 s + \n")},
                            QStringLiteral("Date and time of capture:\t2024/03/05 10:11:12\nSerial number:\tSN-100\n")));
        // The whole document brings the green channel back.
        QCOMPARE(view->analysisInfoText(view->displayKind(), view->documentKind(), true), expected("channelAll"));
    }

    // A capture never saved has no file name in any text; the second line is a single tab.
    void newCaptureIsNotSaved_data()
    {
        QTest::addColumn<int>("documentKind");
        QTest::addColumn<int>("displayKind");
        QTest::addColumn<bool>("whole");
        QTest::newRow("single") << 0 << 0 << false;
        QTest::newRow("multi") << 2 << 2 << false;
        QTest::newRow("channel") << 2 << 1 << false;
        QTest::newRow("colorimetric") << 3 << 3 << false;
        QTest::newRow("marker") << 1 << 3 << false;
        QTest::newRow("marker, whole") << 1 << 3 << true;
    }
    void newCaptureIsNotSaved()
    {
        QFETCH(int, documentKind);
        QFETCH(int, displayKind);
        QFETCH(bool, whole);
        attach(channelDocument(false));
        showChannelAlone(1);
        const QStringList lines = view->analysisInfoText(displayKind, documentKind, whole).split(QLatin1Char('\n'));
        QVERIFY(lines.size() > 3);
        QCOMPARE(lines.at(0), QStringLiteral("File name:\t(Not saved)"));
        QCOMPARE(lines.at(1), QStringLiteral("\t"));
    }

    // A file name without a dot has no base name; the composite's name is then empty too.
    void fileNameWithoutDot_data()
    {
        QTest::addColumn<int>("documentKind");
        QTest::addColumn<int>("displayKind");
        QTest::addColumn<QString>("firstLine");
        QTest::newRow("single") << 0 << 0 << "File name:\t";
        QTest::newRow("channel") << 2 << 1 << "File name:\t";
        QTest::newRow("marker") << 1 << 3 << "File name:\t+Marker";
    }
    void fileNameWithoutDot()
    {
        QFETCH(int, documentKind);
        QFETCH(int, displayKind);
        QFETCH(QString, firstLine);
        attach(channelDocument(true, channelImages(QStringLiteral("/captures/Gel 7/Gel7-Blue"))));
        showChannelAlone(1);
        QCOMPARE(view->analysisInfoText(displayKind, documentKind, false).section(QLatin1Char('\n'), 0, 0), firstLine);
    }

    // Texts that need a missing record are empty, never half-written.
    void missingRecords()
    {
        QCOMPARE(view->analysisInfoText(0, 0, false), QString());
        QCOMPARE(view->analysisInfoText(1, 2, true), QString());

        auto withoutMarker = channelDocument(true);
        withoutMarker->markerImage = false;
        attach(std::move(withoutMarker));
        QCOMPARE(view->analysisInfoText(KyAnalysisView::kDisplay_Marker, KyAnalysisView::kDocument_Multi, false),
                 QString());

        // The screen shows a composite: there is no image of that channel selection alone.
        attach(channelDocument(true));
        QCOMPARE(view->channelSelection(), 0x87);
        QCOMPARE(view->analysisInfoText(KyAnalysisView::kDisplay_Channel, KyAnalysisView::kDocument_Multi, false),
                 QString());
    }

    // Without an injected clock the analysis date is the wall clock's, to the second.
    void wallClock()
    {
        view->setInfoClock({});
        attach(channelDocument(true));
        showChannelAlone(1);
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        const QString info = view->analysisInfoText(0, 0, false);
        const QDateTime after = QDateTime::currentDateTime().addSecs(1);
        const QString date = info.section(QLatin1Char('\n'), 2, 2).section(QLatin1Char('\t'), 1);
        const QDateTime stamped = QDateTime::fromString(date, QStringLiteral("yyyy/MM/dd hh:mm:ss"));
        QVERIFY2(stamped.isValid(), qPrintable(date));
        QVERIFY(stamped >= before && stamped <= after);
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyAnalysisViewInfo)
#include "tst_kyanalysisviewinfo.moc"
