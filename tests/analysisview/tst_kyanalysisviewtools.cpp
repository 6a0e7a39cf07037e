#include "testmain.h"
#include "toolsfixture.h"

#include "analysisview/intensityview.h"
#include "analysisview/kyzoomratiolist.h"
#include "analysisview/laneview.h"
#include "core/analysissettings.h"
#include "core/kyviewmode.h"
#include "document/kydocument.h"

#include <QApplication>
#include <QSignalSpy>

using toolsfixture::Screen;

namespace {

KyButton *channelButton(KyAnalysisView &view, int page, int index)
{
    KyButton *const page1[] = {view.ch1Button, view.ch2Button, view.ch3Button};
    KyButton *const page2[] = {view.ch1Button2, view.ch2Button2, view.ch3Button2};
    return page == 1 ? page1[index] : page2[index];
}

// "click", "long" or "double" on channel button 1..3 of page 1 ("s" before the word: the summary
// page's button of that place), as a finger does it.
void press(KyAnalysisView &view, const QString &action)
{
    const QStringList parts = action.split(QLatin1Char(':'));
    QString kind = parts.at(0);
    int page = 1;
    if (kind.startsWith(QLatin1Char('s'))) {
        page = 2;
        kind.remove(0, 1);
    }
    KyButton *button = channelButton(view, page, parts.at(1).toInt() - 1);
    if (kind == QLatin1String("click")) {
        QTest::mouseClick(button, Qt::LeftButton);
    } else if (kind == QLatin1String("long")) {
        QTest::mousePress(button, Qt::LeftButton);
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(), KyButton::longPressInterval + 100);
    } else {
        QTest::mouseDClick(button, Qt::LeftButton);
    }
}

QString checkedPattern(KyAnalysisView &view, int page)
{
    QString pattern;
    for (int i = 0; i < 3; ++i)
        pattern += channelButton(view, page, i)->isChecked() ? QLatin1Char('1') : QLatin1Char('0');
    return pattern;
}

void clickTab(KyTab *tab, int index)
{
    // The current tab is raised above the others, so the children's order is not the tabs' order.
    QVERIFY(index < tab->titles().size());
    const QList<KyButton *> tabs = tab->findChildren<KyButton *>(Qt::FindDirectChildrenOnly);
    const auto found = std::find_if(tabs.begin(), tabs.end(),
                                    [&](const KyButton *b) { return b->text() == tab->titles().at(index); });
    QVERIFY(found != tabs.end());
    (*found)->click();
}

} // namespace

class TestKyAnalysisViewTools : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCOMPARE(KyZoomRatioList::instance()->Count() > 3, true);
    }

    // ---- contrast ------------------------------------------------------------------------------

    void contrastStepsByWidth_data()
    {
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("newLow");
        QTest::addColumn<int>("newHigh");

        QTest::newRow("narrow: low down by the short step") << 40000 << 40100 << "lowDown" << 39800 << 40100;
        QTest::newRow("narrow: high up by the short step") << 40000 << 40100 << "highUp" << 40000 << 40300;
        QTest::newRow("wide: low up by the long step") << 0 << 65535 << "lowUp" << 3000 << 65535;
        QTest::newRow("wide: high down by the long step") << 0 << 65535 << "highDown" << 0 << 62535;
        QTest::newRow("exactly 10000 wide: short step") << 20000 << 30000 << "lowUp" << 20200 << 30000;
        QTest::newRow("10001 wide: long step") << 20000 << 30001 << "lowUp" << 23000 << 30001;
        QTest::newRow("low up would reach high") << 40000 << 40100 << "lowUp" << 40099 << 40100;
        QTest::newRow("low up would pass high") << 40000 << 40050 << "lowUp" << 40049 << 40050;
        QTest::newRow("high down would reach low") << 40000 << 40100 << "highDown" << 40000 << 40001;
        QTest::newRow("low down stops at 0") << 100 << 300 << "lowDown" << 0 << 300;
        QTest::newRow("high up stops at 65535") << 65400 << 65500 << "highUp" << 65400 << 65535;
        QTest::newRow("wide: low up") << 50000 << 65535 << "lowUp" << 53000 << 65535;
        QTest::newRow("one apart, low up") << 65534 << 65535 << "lowUp" << 65534 << 65535;
        QTest::newRow("one apart at 0, high down") << 0 << 1 << "highDown" << 0 << 1;
    }

    void contrastStepsByWidth()
    {
        QFETCH(int, low);
        QFETCH(int, high);
        QFETCH(QString, button);
        QFETCH(int, newLow);
        QFETCH(int, newHigh);

        Screen s;
        QVERIFY(toolsfixture::open(s, QStringLiteral("gel")));
        KyAnalysisView &view = *s.view;
        s.doc->SetDisplayRange(0, quint16(low), quint16(high));
        quint16 l = 0;
        quint16 h = 0;
        QVERIFY(s.doc->DisplayRange(0, l, h));
        QCOMPARE(int(l), low);
        QCOMPARE(int(h), high);

        QSignalSpy changed(&view, &KyAnalysisView::contrastChanged);
        KyButton *target = button == QLatin1String("lowDown")    ? view.contrastLowDownButton
                           : button == QLatin1String("lowUp")    ? view.contrastLowUpButton
                           : button == QLatin1String("highDown") ? view.contrastHighDownButton
                                                                 : view.contrastHighUpButton;
        QVERIFY(target->isEnabled());
        target->click();
        QVERIFY(s.doc->DisplayRange(0, l, h));
        QCOMPARE(int(l), newLow);
        QCOMPARE(int(h), newHigh);
        QCOMPARE(changed.count(), 1);
    }

    // The tool page's copies drive the same steps, and many steps in a row never cross.
    void contrastStepsNeverCross()
    {
        Screen s;
        QVERIFY(toolsfixture::open(s, QStringLiteral("gel")));
        KyAnalysisView &view = *s.view;
        s.doc->SetDisplayRange(0, 1000, 60000);
        quint16 l = 0;
        quint16 h = 0;
        // Long steps while the range is wide, short ones once it is narrow, then stuck one below.
        for (int i = 0; i < 100; ++i) {
            view.viewContrastLowUpButton->click();
            QVERIFY(s.doc->DisplayRange(0, l, h));
            QVERIFY2(l < h, qPrintable(QStringLiteral("%1 >= %2").arg(l).arg(h)));
        }
        QCOMPARE(int(h), 60000);
        QCOMPARE(int(l), 59999);
        for (int i = 0; i < 400; ++i)
            view.viewContrastHighDownButton->click();
        QVERIFY(s.doc->DisplayRange(0, l, h));
        QVERIFY(l < h);
        QCOMPARE(int(l), 59999);
        QCOMPARE(int(h), 60000);
    }

    // Settings edited by hand with absurd steps still give an ordered range inside 16 bits.
    void contrastStepsWithHugeSettings()
    {
        kytest::ScopedAnalysisSettings settings({{QStringLiteral("kContrastShortStep"), 2000000000},
                                                 {QStringLiteral("kContrastLongStep"), 2000000000}});
        Screen s;
        QVERIFY(toolsfixture::open(s, QStringLiteral("gel")));
        s.doc->SetDisplayRange(0, 100, 200);
        s.view->contrastHighUpButton->click();
        quint16 l = 0;
        quint16 h = 0;
        QVERIFY(s.doc->DisplayRange(0, l, h));
        QCOMPARE(int(l), 100);
        QCOMPARE(int(h), 65535);
        s.view->contrastLowUpButton->click();
        QVERIFY(s.doc->DisplayRange(0, l, h));
        QCOMPARE(int(l), 65534);
        QCOMPARE(int(h), 65535);
    }

    // ---- channels, tabs, display kinds -----------------------------------------------------------

    void channelSelection_data()
    {
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("displayKind");

        QTest::newRow("all three at attach") << QStringList() << "111" << 0x87 << 1;
        QTest::newRow("third unchecked") << QStringList{"click:3"} << "110" << 0x83 << 1;
        QTest::newRow("first and third") << QStringList{"click:2"} << "101" << 0x85 << 1;
        QTest::newRow("two unchecked: one channel") << QStringList{"click:1", "click:2"} << "001" << 2 << 0;
        QTest::newRow("the only one stays checked") << QStringList{"click:1", "click:2", "click:3"} << "001" << 2 << 0;
        QTest::newRow("long click: that one alone") << QStringList{"long:2"} << "010" << 1 << 0;
        QTest::newRow("double click: that one alone") << QStringList{"double:3"} << "001" << 2 << 0;
        QTest::newRow("double click on an unchecked one") << QStringList{"long:1", "double:3"} << "001" << 2 << 0;
        QTest::newRow("summary click toggles page 1") << QStringList{"sclick:2"} << "101" << 0x85 << 1;
        QTest::newRow("summary long click") << QStringList{"slong:3"} << "001" << 2 << 0;
        QTest::newRow("summary double click") << QStringList{"long:1", "sdouble:2"} << "010" << 1 << 0;
        QTest::newRow("summary click cannot empty") << QStringList{"long:1", "sclick:1"} << "100" << 0 << 0;
    }

    void channelSelection()
    {
        QFETCH(QStringList, actions);
        QFETCH(QString, checked);
        QFETCH(int, channel);
        QFETCH(int, displayKind);

        Screen s;
        QVERIFY(toolsfixture::open(s, QStringLiteral("fluor")));
        KyAnalysisView &view = *s.view;
        QCOMPARE(view.documentKind(), int(KyAnalysisView::kDocument_Multi));
        QCOMPARE(view.buttonChannels(), (std::vector<int>{0, 1, 2}));
        for (const QString &action : actions)
            press(view, action);

        QCOMPARE(checkedPattern(view, 1), checked);
        QCOMPARE(checkedPattern(view, 2), checked);
        QCOMPARE(view.channelSelection(), channel);
        QCOMPARE(view.displayKind(), displayKind);
        QCOMPARE(view.laneView()->currentChannelSelection(), channel);
        // Invert and contrast apply to one channel only.
        const bool single = channel <= 2;
        QCOMPARE(view.invertCheckBox->isEnabled(), single);
        if (!single)
            QVERIFY(!view.invertCheckBox->isChecked());
        QCOMPARE(view.contrastPartWidget->currentIndex(), single ? 0 : 1);
        QCOMPARE(view.contrastLowUpButton->isEnabled(), single);
        QCOMPARE(view.autoContrastButton->isEnabled(), single);
        QCOMPARE(view.bandStackedWidget->currentIndex(), single ? 0 : 1);
        QCOMPARE(view.bandEditWidget->isEnabled(), single);
    }

    void displayKinds_data()
    {
        QTest::addColumn<QString>("capture");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("displayKind");
        QTest::addColumn<int>("channel");
        QTest::addColumn<bool>("invertEnabled");

        QTest::newRow("one image") << "gel" << "" << 0 << 0 << true;
        QTest::newRow("marker: sample and marker") << "marker" << "" << 3 << 0x83 << false;
        QTest::newRow("marker: sample alone") << "marker" << "long:1" << 0 << 0 << true;
        QTest::newRow("marker: marker alone") << "marker" << "long:3" << 2 << 1 << false;
        QTest::newRow("white light: Color tab") << "color" << "" << 3 << 0 << false;
        QTest::newRow("white light: Sample tab") << "color" << "tab:0" << 0 << 0 << true;
        QTest::newRow("white light: back to Color") << "color" << "tab:0 tab:1" << 3 << 0 << false;
        QTest::newRow("white light: summary tab") << "color" << "tab2:0" << 0 << 0 << true;
    }

    void displayKinds()
    {
        QFETCH(QString, capture);
        QFETCH(QString, action);
        QFETCH(int, displayKind);
        QFETCH(int, channel);
        QFETCH(bool, invertEnabled);

        Screen s;
        QVERIFY(toolsfixture::open(s, capture));
        KyAnalysisView &view = *s.view;
        for (const QString &step : action.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (step.startsWith(QLatin1String("tab2:")))
                clickTab(view.singleTab2, step.mid(5).toInt());
            else if (step.startsWith(QLatin1String("tab:")))
                clickTab(view.singleTab, step.mid(4).toInt());
            else
                press(view, step);
        }
        QCOMPARE(view.displayKind(), displayKind);
        QCOMPARE(view.channelSelection(), channel);
        QCOMPARE(view.invertCheckBox->isEnabled(), invertEnabled);
        QCOMPARE(view.contrastPartWidget->currentIndex(), invertEnabled ? 0 : 1);
        QCOMPARE(view.contrastSaturateCheckWidget->isHidden(), !invertEnabled);
        QCOMPARE(view.singleTab->currentIndex(), view.singleTab2->currentIndex());
        // Only the single-channel view of a sample edits bands.
        const bool bandsEditable = displayKind != 1 && !(displayKind == 3 && capture != QLatin1String("color"));
        QCOMPARE(view.bandStackedWidget->currentIndex(), bandsEditable ? 0 : 1);
    }

    // The invert box flips the channel's polarity, and the canvas shows it at once.
    void invertFlipsTheCanvas()
    {
        Screen s;
        QVERIFY(toolsfixture::open(s, QStringLiteral("gel")));
        KyAnalysisView &view = *s.view;
        // The tool mode hides the lanes, which would cover the pixel.
        view.contrastButton->click();
        QVERIFY(view.contrastButton->isChecked());
        const QPoint spot = view.imageView->mapToWidget(QPoint(100, 150));
        const QRgb before = toolsfixture::shot(view.imageView).pixel(spot);
        const bool negative = s.doc->IsNegative(0);

        view.invertCheckBox->click();
        QCOMPARE(s.doc->IsNegative(0), !negative);
        const QRgb after = toolsfixture::shot(view.imageView).pixel(spot);
        QVERIFY2(qAbs(qGray(before) + qGray(after) - 255) <= 2,
                 qPrintable(QStringLiteral("%1 then %2").arg(qGray(before)).arg(qGray(after))));

        // Setting the box to the document's state writes nothing back.
        view.contrastToolButton->click();
        QCOMPARE(view.invertCheckBox->isChecked(), !negative);
        QCOMPARE(s.doc->IsNegative(0), !negative);
    }

    // ---- zoom ------------------------------------------------------------------------------------

    void profileZoomSteps_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<QString>("button");
        QTest::addColumn<double>("zoom");

        QTest::newRow("in from 0") << 0.0 << "up2" << 1.0;
        QTest::newRow("in from 1.0") << 1.0 << "up2" << 1.5;
        QTest::newRow("out from 1.0") << 1.0 << "out2" << 0.0;
        QTest::newRow("out from 1.5") << 1.5 << "out2" << 1.0;
        QTest::newRow("out from 0 stays") << 0.0 << "out2" << 0.0;
        QTest::newRow("in from 4.5 to the top") << 4.5 << "up2" << 5.0;
        QTest::newRow("in at the top stays") << 5.0 << "up2" << 5.0;
        QTest::newRow("summary graph in") << 2.0 << "up4" << 2.5;
        QTest::newRow("summary graph out from 1.0") << 1.0 << "out4" << 0.0;
    }

    void profileZoomSteps()
    {
        QFETCH(double, start);
        QFETCH(QString, button);
        QFETCH(double, zoom);

        Screen s;
        QVERIFY(toolsfixture::open(s, QStringLiteral("gel")));
        KyAnalysisView &view = *s.view;
        view.profileGraphView->setZoom(start);
        view.profileGraphView2->setZoom(start);
        KyButton *target = button == QLatin1String("up2")    ? view.zoomUp2Button
                           : button == QLatin1String("out2") ? view.zoomOut2Button
                           : button == QLatin1String("up4")  ? view.zoomUp4Button
                                                             : view.zoomOut4Button;
        // The buttons follow the zoom after every step; a disabled one is clicked the hard way.
        target->setEnabled(true);
        target->click();
        QCOMPARE(view.profileGraphView->zoom(), zoom);
        QCOMPARE(view.profileGraphView2->zoom(), zoom);
        QCOMPARE(view.zoomOut2Button->isEnabled(), zoom > 0.0);
        QCOMPARE(view.zoomOut4Button->isEnabled(), zoom > 0.0);
        QCOMPARE(view.zoomUp2Button->isEnabled(), zoom < 4.9);
        QCOMPARE(view.zoomUp4Button->isEnabled(), zoom < 4.9);
    }

    void imageZoomStepsAndLimits()
    {
        Screen s;
        QVERIFY(toolsfixture::open(s, QStringLiteral("gel")));
        KyAnalysisView &view = *s.view;
        const KyZoomRatioList *ratios = KyZoomRatioList::instance();
        const int last = ratios->Count() - 1;
        const double base = view.imageView->baseMagnification();
        QCOMPARE(view.zoomValuePicker->value(), 0);
        QVERIFY(!view.zoomOutButton->isEnabled());

        for (int i = 1; i <= last + 2; ++i) {
            view.zoomUpButton->setEnabled(true);
            view.zoomUpButton->click();
            const int index = std::min(i, last);
            QCOMPARE(view.zoomValuePicker->value(), index);
            QCOMPARE(view.zoomUpButton->isEnabled(), index < last);
            QVERIFY(view.zoomOutButton->isEnabled());
            QVERIFY(qAbs(view.imageView->scale() - base * ratios->Ratio(index) / 100.0) < 1e-9);
        }

        view.zoomResetButton->click();
        QCOMPARE(view.zoomValuePicker->value(), 0);
        QVERIFY(!view.zoomOutButton->isEnabled());
        QVERIFY(view.zoomUpButton->isEnabled());
        QVERIFY(qAbs(view.imageView->scale() - base * ratios->Ratio(0) / 100.0) < 1e-9);
        // Reset at 0 stays at 0.
        view.zoomResetButton->click();
        QCOMPARE(view.zoomValuePicker->value(), 0);
    }

    // The summary's small picture keeps fitting its pane whatever the analysis page is zoomed to;
    // its own buttons zoom it, and only it, through the same ratios.
    void summaryPictureZoomsOnItsOwn()
    {
        Screen s;
        QVERIFY(toolsfixture::open(s, QStringLiteral("gel")));
        KyAnalysisView &view = *s.view;
        const KyZoomRatioList *ratios = KyZoomRatioList::instance();
        const auto magnification = [](const KyImageView *canvas) { return canvas->scale() / canvas->baseMagnification(); };
        const double fitted = ratios->Ratio(0) / 100.0;
        QVERIFY(!view.zoomOut3Button->isEnabled());
        QVERIFY(view.zoomUp3Button->isEnabled());

        view.zoomUpButton->click();
        view.zoomUpButton->click();
        QCOMPARE(view.zoomValuePicker->value(), 2);
        QVERIFY(qAbs(magnification(view.image2View) - fitted) < 1e-9);
        QVERIFY(!view.zoomOut3Button->isEnabled());

        view.zoomUp3Button->click();
        QVERIFY(qAbs(magnification(view.image2View) - ratios->Ratio(1) / 100.0) < 1e-9);
        QVERIFY(qAbs(magnification(view.imageView) - ratios->Ratio(2) / 100.0) < 1e-9);
        QCOMPARE(view.zoomValuePicker->value(), 2);
        QVERIFY(view.zoomOut3Button->isEnabled());
        for (int i = 0; i < ratios->Count() + 2; ++i)
            view.zoomUp3Button->click();
        QVERIFY(!view.zoomUp3Button->isEnabled());
        QVERIFY(qAbs(magnification(view.image2View) - ratios->Ratio(ratios->Count() - 1) / 100.0) < 1e-9);
        view.zoomOut3Button->click();
        QVERIFY(view.zoomUp3Button->isEnabled());
        QCOMPARE(view.zoomValuePicker->value(), 2);

        // Resetting the analysis page leaves the summary's zoom alone.
        view.zoomResetButton->click();
        QVERIFY(qAbs(magnification(view.image2View) - ratios->Ratio(ratios->Count() - 2) / 100.0) < 1e-9);
    }

    // The picker moves the zoom by exactly one step per change, towards the new value.
    void zoomPickerStepsOnce_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("reached");

        QTest::newRow("one up") << 0 << 1 << 1;
        QTest::newRow("three up: one step") << 0 << 3 << 1;
        QTest::newRow("two down: one step") << 3 << 1 << 2;
    }

    void zoomPickerStepsOnce()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, reached);

        Screen s;
        QVERIFY(toolsfixture::open(s, QStringLiteral("gel")));
        KyAnalysisView &view = *s.view;
        for (int i = 0; i < from; ++i)
            view.zoomUpButton->click();
        QCOMPARE(view.zoomValuePicker->value(), from);
        view.zoomValuePicker->setValue(to);
        QCOMPARE(view.zoomValuePicker->value(), reached);
        const double base = view.imageView->baseMagnification();
        QVERIFY(qAbs(view.imageView->scale() - base * KyZoomRatioList::instance()->Ratio(reached) / 100.0) < 1e-9);
    }

    // ---- tool mode and switches ------------------------------------------------------------------

    void toolModeSwapsTheOverlays()
    {
        Screen s;
        QVERIFY(toolsfixture::open(s, QStringLiteral("gel")));
        KyAnalysisView &view = *s.view;
        QVERIFY(view.laneView()->isVisible());
        QVERIFY(!view.intensityView()->isEnabled());

        view.contrastButton->click();
        QVERIFY(!view.laneView()->isVisible());
        QVERIFY(!view.laneView()->isEnabled());
        QVERIFY(view.helpButton->isHidden());
        QCOMPARE(view.opStackedWidget->currentIndex(), 1);
        QVERIFY(!view.intensityView()->isEnabled());

        view.intensityButton->click();
        QCOMPARE(view.opeArea->currentIndex(), 3);
        QVERIFY(view.intensityButton->isChecked());
        QVERIFY(!view.contrastToolButton->isChecked());
        QVERIFY(view.intensityView()->isEnabled());
        QVERIFY(view.intensityView()->isVisible());

        view.zoomButton->click();
        QCOMPARE(view.opeArea->currentIndex(), 1);
        QVERIFY(!view.intensityView()->isEnabled());
        view.intensityButton->click();

        view.contrastButton->click();
        QVERIFY(view.laneView()->isVisible());
        QVERIFY(view.laneView()->isEnabled());
        QVERIFY(!view.helpButton->isHidden());
        QCOMPARE(view.opStackedWidget->currentIndex(), 0);
        QCOMPARE(view.operationPanel->currentIndex(), int(KyAnalysisView::kMode_Lanes));
        QVERIFY(!view.intensityView()->isEnabled());
        QVERIFY(!view.intensityView()->isVisible());
    }

    void profileSwitchLeavesTheToolMode()
    {
        Screen s;
        QVERIFY(toolsfixture::open(s, QStringLiteral("fluor")));
        KyAnalysisView &view = *s.view;
        view.contrastButton->click();
        QSignalSpy toProfile(&view, &KyAnalysisView::toProfileView);
        QSignalSpy toImage(&view, &KyAnalysisView::toImageView);

        QTest::mouseClick(view.profileButton, Qt::LeftButton);
        QVERIFY(!view.contrastButton->isChecked());
        QVERIFY(view.profileButton->isChecked());
        QVERIFY(view.profile4Button->isChecked());
        QVERIFY(!view.imageButton->isChecked());
        QVERIFY(!view.isImageShown());
        QCOMPARE(view.viewStackedWidget->currentIndex(), 1);
        QCOMPARE(view.view2StackedWidget->currentIndex(), 1);
        QVERIFY(view.printButton->isHidden());
        QVERIFY(toProfile.count() >= 1);
        QCOMPARE(view.tabAreaStackedWidget->currentIndex(), 1);
        QVERIFY(!view.bandFrame->isEnabled());

        toImage.clear();
        QTest::mouseClick(view.imageButton, Qt::LeftButton);
        QVERIFY(view.isImageShown());
        QVERIFY(view.image4Button->isChecked());
        QVERIFY(!view.profile4Button->isChecked());
        QCOMPARE(view.viewStackedWidget->currentIndex(), 0);
        QVERIFY(!view.printButton->isHidden());
        QVERIFY(toImage.count() >= 1);
        QVERIFY(view.bandFrame->isEnabled());

        // The summary page's switches drive both pairs.
        view.profile4Button->click();
        QVERIFY(view.profileButton->isChecked());
        QCOMPARE(view.viewStackedWidget->currentIndex(), 1);
        view.image4Button->click();
        QVERIFY(view.imageButton->isChecked());
        QCOMPARE(view.viewStackedWidget->currentIndex(), 0);
    }

    // In the Lanes step a floating tool button over a lane corner handle gives way; a scroll asks
    // again, and the tool mode brings every button back.
    void buttonsGiveWayToCornerHandles()
    {
        Screen s;
        QVERIFY(toolsfixture::open(s, QStringLiteral("gel")));
        KyAnalysisView &view = *s.view;
        QCOMPARE(view.mode(), int(KyAnalysisView::kMode_Lanes));
        QVERIFY(s.doc->HasLaneTemplate());
        // Zoomed in until the image lies under the button.
        for (int i = 0; i < 6 && !view.imageView->isInsideImage(
                                     view.imageView->mapToImage(view.zoomUpButton->geometry().center())); ++i)
            view.zoomUpButton->click();
        QVERIFY(!view.zoomUpButton->isHidden());
        const QPoint under = view.imageView->mapToImage(view.zoomUpButton->geometry().center());
        QVERIFY(view.imageView->isInsideImage(under));
        QVERIFY(s.doc->MoveLaneCorner(4, under - s.doc->LaneFrame().bottomRight()));
        emit view.imageView->scrolled(QPoint());
        QVERIFY(view.zoomUpButton->isHidden());
        QCOMPARE(view.zoomDummyWidget->minimumWidth(), view.zoomUpButton->width() + 6);
        QCOMPARE(view.zoomDummyWidget->maximumWidth(), view.zoomUpButton->width() + 6);
        QVERIFY(!view.contrastButton->isHidden());

        view.contrastButton->click();
        QVERIFY(!view.zoomUpButton->isHidden());
        QCOMPARE(view.zoomDummyWidget->maximumWidth(), 0);
        view.contrastButton->click();
        QVERIFY(view.zoomUpButton->isHidden());

        // Moved away again: the next scroll shows it.
        QVERIFY(s.doc->MoveLaneCorner(4, QPoint(-60, -60)));
        emit view.imageView->scrolled(QPoint());
        QVERIFY(!view.zoomUpButton->isHidden());
    }

    // ---- rotation --------------------------------------------------------------------------------

    void rotationWithoutBandsAsksNothing_data()
    {
        QTest::addColumn<bool>("right");
        QTest::newRow("left") << false;
        QTest::newRow("right") << true;
    }

    void rotationWithoutBandsAsksNothing()
    {
        QFETCH(bool, right);
        Screen s;
        QVERIFY(toolsfixture::open(s, QStringLiteral("gel"), 200, 300));
        KyAnalysisView &view = *s.view;
        // The corner pixels tell the direction of the turn.
        const quint16 bottomLeft = s.doc->Image(0)->Data()[299 * 200];
        const quint16 topRight = s.doc->Image(0)->Data()[199];
        view.zoomUpButton->click();

        bool asked = false;
        QTimer guard;
        guard.setInterval(0);
        connect(&guard, &QTimer::timeout, [&asked] {
            if (auto *box = qobject_cast<KyMessageBox *>(QApplication::activeModalWidget())) {
                asked = true;
                box->done(0);
            }
        });
        guard.start();
        QSignalSpy rotated(&view, &KyAnalysisView::rotated);
        (right ? view.rotateRButton : view.rotateLButton)->click();
        QVERIFY(KyViewMode::instance()->busyReasons().contains(11));
        QTRY_VERIFY(!KyViewMode::instance()->busyReasons().contains(11));
        guard.stop();
        QVERIFY(!asked);
        QCOMPARE(rotated.count(), 1);

        QCOMPARE(s.doc->ImageWidth(), 300);
        QCOMPARE(s.doc->ImageHeight(), 200);
        QCOMPARE(view.imageView->imageWidth(), 300);
        QCOMPARE(view.image2View->imageHeight(), 200);
        // A quarter turn clockwise brings the bottom-left corner to the top left.
        QCOMPARE(s.doc->Image(0)->Data()[0], right ? bottomLeft : topRight);
        QCOMPARE(view.zoomValuePicker->value(), 0);
        QVERIFY(s.doc->HasLaneTemplate());
        QCOMPARE(view.laneCountValuePicker->value(), s.doc->LaneFrame().laneCount());
    }

    void rotationWithBandsAsksFirst_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("refused") << false;
        QTest::newRow("accepted") << true;
    }

    void rotationWithBandsAsksFirst()
    {
        QFETCH(bool, yes);
        Screen s;
        QVERIFY(toolsfixture::open(s, QStringLiteral("gel"), 200, 300));
        KyAnalysisView &view = *s.view;
        s.doc->SetDefaultLanes(3, 0.5);
        s.doc->ExtractLaneProfiles();
        QVERIFY(s.doc->AddBand(0, 0, 40) >= 0);
        QVERIFY(s.doc->HasBands());

        QString text;
        toolsfixture::whenBoxShows([&](KyMessageBox *box) {
            text = box->text();
            toolsfixture::answer(box, yes);
        });
        view.rotateLButton->click();
        QCOMPARE(text, QStringLiteral("If the image is rotated, the current analysis information will be lost.\n"
                                      "Are you sure you want to rotate the image?"));
        if (!yes) {
            QVERIFY(!KyViewMode::instance()->busyReasons().contains(11));
            QTest::qWait(50);
            QCOMPARE(s.doc->ImageWidth(), 200);
            QVERIFY(s.doc->HasBands());
            QCOMPARE(s.doc->LaneFrame().laneCount(), 3);
            return;
        }
        QVERIFY(KyViewMode::instance()->busyReasons().contains(11));
        QTRY_VERIFY(!KyViewMode::instance()->busyReasons().contains(11));
        QCOMPARE(s.doc->ImageWidth(), 300);
        QVERIFY(!s.doc->HasBands());
        // The default lanes are laid on the turned image and their profiles taken.
        const int count = AnalysisSettings::instance()->intValue(QStringLiteral("LaneCount"));
        QCOMPARE(s.doc->LaneFrame().laneCount(), std::clamp(count, view.laneCountValuePicker->minimum(),
                                                            view.laneCountValuePicker->maximum()));
        QVERIFY(!s.doc->IsParameterChanged());
        QVERIFY(s.doc->LaneProfiles(0) != nullptr);
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyAnalysisViewTools)
#include "tst_kyanalysisviewtools.moc"
