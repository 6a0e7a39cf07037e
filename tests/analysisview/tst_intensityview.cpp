#include "testmain.h"
#include "toolsfixture.h"

#include "analysisview/intensityview.h"
#include "core/analysissettings.h"
#include "document/kydocument.h"
#include "widgets/kyimageview.h"

#include <QApplication>
#include <QRegularExpression>
#include <QSignalSpy>

using toolsfixture::Screen;

namespace {

// Opens the capture with the image tools on the Intensity page.
bool openOnIntensityPage(Screen &ioScreen, const QString &inKind)
{
    if (!toolsfixture::open(ioScreen, inKind))
        return false;
    ioScreen.view->contrastButton->click();
    ioScreen.view->intensityButton->click();
    return ioScreen.view->intensityView()->isEnabled();
}

// Releases the mouse over an image point; returns the image point the canvas reports there.
QPoint releaseAt(KyImageView *view, const QPoint &imagePoint)
{
    const QPoint widgetPoint = view->mapToWidget(imagePoint);
    QTest::mouseClick(view, Qt::LeftButton, {}, widgetPoint);
    return view->mapToImage(widgetPoint);
}

} // namespace

class TestIntensityView : public QObject
{
    Q_OBJECT

private slots:
    // ---- the overlay alone -----------------------------------------------------------------------

    void overlayTakesReleasesOnlyOverTheImage()
    {
        KyImageView canvas;
        canvas.resize(201, 301);
        QImage picture(100, 150, QImage::Format_Grayscale8);
        picture.fill(128);
        canvas.setImage(picture);
        canvas.fitToWindow();
        auto *overlay = new IntensityView(&canvas);
        QCOMPARE(overlay->parent(), &canvas);
        QVERIFY(overlay->rect().isEmpty());

        QSignalSpy placed(overlay, &IntensityView::setIntensityPoint);
        QVERIFY(!overlay->onMousePress(QPoint(10, 10)));
        QVERIFY(!overlay->onMouseMove(QPoint(10, 10)));
        QVERIFY(overlay->onMouseRelease(QPoint(10, 20)));
        QCOMPARE(placed.count(), 1);
        QCOMPARE(placed.at(0).at(0).toPoint(), QPoint(10, 20));

        QTest::ignoreMessage(QtDebugMsg, "outside");
        QVERIFY(!overlay->onMouseRelease(QPoint(100, 20)));
        QTest::ignoreMessage(QtDebugMsg, "outside");
        QVERIFY(!overlay->onMouseRelease(QPoint(-1, 20)));
        QCOMPARE(placed.count(), 1);
    }

    // The rectangle is filled with the setting's colour over the image, and only there.
    void overlayFillsTheRectangle()
    {
        KyImageView canvas;
        canvas.resize(201, 301);
        QImage picture(100, 150, QImage::Format_Grayscale8);
        picture.fill(128);
        canvas.setImage(picture);
        canvas.show();
        QVERIFY(QTest::qWaitForWindowExposed(&canvas));
        canvas.fitToWindow();
        auto *overlay = new IntensityView(&canvas);
        const QPoint inside = canvas.mapToWidget(QPoint(25, 35));
        const QPoint outside = canvas.mapToWidget(QPoint(60, 35));
        const QRgb plain = toolsfixture::shot(&canvas).pixel(inside);

        overlay->setRect(QRect(20, 30, 10, 10));
        const QImage filled = toolsfixture::shot(&canvas);
        // Blue at alpha 100 over grey 128.
        const QColor expected(qRound(128 * 155 / 255.0), qRound(128 * 155 / 255.0), qRound((255 * 100 + 128 * 155) / 255.0));
        const QColor seen(filled.pixel(inside));
        QVERIFY2(qAbs(seen.red() - expected.red()) <= 2 && qAbs(seen.blue() - expected.blue()) <= 2,
                 qPrintable(seen.name()));
        QCOMPARE(filled.pixel(outside), plain);

        overlay->setVisible(false);
        canvas.update();
        QCOMPARE(toolsfixture::shot(&canvas).pixel(inside), plain);
    }

    // ---- placing on the screen -------------------------------------------------------------------

    void rectangleSizePerScale_data()
    {
        QTest::addColumn<double>("scale");
        QTest::addColumn<int>("side");
        QTest::addColumn<int>("offset");

        QTest::newRow("scale 1") << 1.0 << 23 << 12;
        QTest::newRow("scale 0.5") << 0.5 << 46 << 23;
        QTest::newRow("scale 2") << 2.0 << 12 << 6;
    }

    void rectangleSizePerScale()
    {
        QFETCH(double, scale);
        QFETCH(int, side);
        QFETCH(int, offset);

        Screen s;
        QVERIFY(openOnIntensityPage(s, QStringLiteral("gel")));
        KyAnalysisView &view = *s.view;
        view.imageView->setScale(scale);
        view.imageView->centerOn(QPoint(100, 150));
        const QPoint point = releaseAt(view.imageView, QPoint(100, 150));
        QVERIFY((point - QPoint(100, 150)).manhattanLength() <= 2);

        const QRect expected(point - QPoint(offset, offset), QSize(side, side));
        QCOMPARE(s.doc->SelectionRect(), expected);
        QCOMPARE(view.intensityView()->rect(), expected);
        QVERIFY(!view.intMaxText->text().isEmpty());
    }

    void rectangleSizeFromSettings()
    {
        kytest::ScopedAnalysisSettings settings(
            {{QStringLiteral("IntensityRoiWidth"), 11u}, {QStringLiteral("IntensityRoiHeight"), 6u}});
        Screen s;
        QVERIFY(openOnIntensityPage(s, QStringLiteral("gel")));
        s.view->imageView->setScale(1.0);
        s.view->imageView->centerOn(QPoint(100, 150));
        const QPoint point = releaseAt(s.view->imageView, QPoint(100, 150));
        QCOMPARE(s.doc->SelectionRect(), QRect(point - QPoint(6, 3), QSize(11, 6)));
    }

    void rectangleAtTheBorderMovesInside_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<QPoint>("topLeft");

        QTest::newRow("top left") << QPoint(2, 3) << QPoint(0, 0);
        QTest::newRow("bottom right") << QPoint(198, 298) << QPoint(200 - 23, 300 - 23);
    }

    void rectangleAtTheBorderMovesInside()
    {
        QFETCH(QPoint, point);
        QFETCH(QPoint, topLeft);

        Screen s;
        QVERIFY(openOnIntensityPage(s, QStringLiteral("gel")));
        s.view->imageView->setScale(1.0);
        s.view->imageView->centerOn(point);
        releaseAt(s.view->imageView, point);
        QCOMPARE(s.doc->SelectionRect(), QRect(topLeft, QSize(23, 23)));
    }

    void releaseOutsideKeepsTheRectangle()
    {
        Screen s;
        QVERIFY(openOnIntensityPage(s, QStringLiteral("gel")));
        KyImageView *canvas = s.view->imageView;
        canvas->setScale(0.5);
        const QRect before = s.doc->SelectionRect();
        QVERIFY(!before.isEmpty());
        QVERIFY(!canvas->isInsideImage(canvas->mapToImage(QPoint(3, 3))));
        QTest::ignoreMessage(QtDebugMsg, "outside");
        QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(s.doc->SelectionRect(), before);
    }

    // Dragging still pans the canvas while the tool is on, and the release ending a drag does not
    // place the rectangle.
    void dragPansAndPlacesNothing()
    {
        Screen s;
        QVERIFY(openOnIntensityPage(s, QStringLiteral("gel")));
        KyImageView *canvas = s.view->imageView;
        canvas->setScale(4.0);
        canvas->centerOn(QPoint(100, 150));
        const QRect before = s.doc->SelectionRect();
        const QPoint centreBefore = canvas->imageCenter();
        const QPoint start = canvas->rect().center();
        QTest::mousePress(canvas, Qt::LeftButton, {}, start);
        for (int i = 1; i <= 10; ++i)
            QTest::mouseMove(canvas, start + QPoint(8 * i, 6 * i), 10);
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, start + QPoint(80, 60), 10);
        QVERIFY(canvas->imageCenter() != centreBefore);
        QCOMPARE(s.doc->SelectionRect(), before);
    }

    void arrowsMoveTheRectangle_data()
    {
        QTest::addColumn<double>("scale");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QPoint>("delta");

        QTest::newRow("down at 1") << 1.0 << "down" << QPoint(0, 1);
        QTest::newRow("up at 1") << 1.0 << "up" << QPoint(0, -1);
        QTest::newRow("left goes to larger x") << 1.0 << "left" << QPoint(1, 0);
        QTest::newRow("right goes to smaller x") << 1.0 << "right" << QPoint(-1, 0);
        QTest::newRow("right at 3: one image pixel") << 3.0 << "right" << QPoint(-1, 0);
        QTest::newRow("down at 3: one image pixel") << 3.0 << "down" << QPoint(0, 1);
        QTest::newRow("up at 8: one image pixel") << 8.0 << "up" << QPoint(0, -1);
        QTest::newRow("left at 0.25: four image pixels") << 0.25 << "left" << QPoint(4, 0);
    }

    void arrowsMoveTheRectangle()
    {
        QFETCH(double, scale);
        QFETCH(QString, button);
        QFETCH(QPoint, delta);

        Screen s;
        QVERIFY(openOnIntensityPage(s, QStringLiteral("gel")));
        KyAnalysisView &view = *s.view;
        view.imageView->setScale(scale);
        const QRect before = s.doc->SelectionRect();
        QVERIFY(QRect(0, 0, 200, 300).contains(before.adjusted(-5, -5, 5, 5)));
        KyButton *target = button == QLatin1String("down")   ? view.intensityDownButton
                           : button == QLatin1String("up")   ? view.intensityUpButton
                           : button == QLatin1String("left") ? view.intensityLeftButton
                                                             : view.intensityRightButton;
        target->click();
        QCOMPARE(s.doc->SelectionRect(), before.translated(delta));
        QCOMPARE(view.intensityView()->rect(), before.translated(delta));
    }

    // Every zoom step re-centres the rectangle on its centre at the new scale.
    void zoomKeepsTheCentre()
    {
        Screen s;
        QVERIFY(openOnIntensityPage(s, QStringLiteral("gel")));
        KyAnalysisView &view = *s.view;
        const QRect start = s.doc->SelectionRect();
        view.zoomUpButton->click();
        view.zoomUpButton->click();
        const QRect zoomed = s.doc->SelectionRect();
        const QSize side = view.imageView->sizeToImage(QSize(23, 23));
        QCOMPARE(zoomed.size(), side);
        QVERIFY((zoomed.center() - start.center()).manhattanLength() <= 2);
        // Back at the first scale it is the same rectangle: no walk, however often the scale changes.
        for (int i = 0; i < 5; ++i) {
            view.zoomOutButton->click();
            view.zoomUpButton->click();
        }
        view.zoomOutButton->click();
        view.zoomOutButton->click();
        QCOMPARE(s.doc->SelectionRect(), start);
        QCOMPARE(view.intensityView()->rect(), start);
    }

    // ---- readout ---------------------------------------------------------------------------------

    void readoutDecimals_data()
    {
        QTest::addColumn<QString>("capture");
        QTest::addColumn<int>("decimals");

        QTest::newRow("no OD parameter: whole numbers") << "gel" << 0;
        QTest::newRow("OD parameter: two decimals") << "color" << 2;
    }

    void readoutDecimals()
    {
        QFETCH(QString, capture);
        QFETCH(int, decimals);

        Screen s;
        QVERIFY(openOnIntensityPage(s, capture));
        KyAnalysisView &view = *s.view;
        QCOMPARE(s.doc->HasODParameter(), decimals == 2);
        view.imageView->setScale(1.0);
        view.imageView->centerOn(QPoint(60, 100));
        releaseAt(view.imageView, QPoint(60, 100));
        const QRect rect = s.doc->SelectionRect();
        double minimum = 0.0;
        double maximum = 0.0;
        double mean = 0.0;
        s.doc->RegionStatistics(0, rect, minimum, maximum, mean);
        QCOMPARE(view.intMinText->text(), QString::number(minimum, 'f', decimals));
        QCOMPARE(view.intMaxText->text(), QString::number(maximum, 'f', decimals));
        QCOMPARE(view.intAveText->text(), QString::number(mean, 'f', decimals));
        const QRegularExpression shape(decimals ? QStringLiteral("^-?\\d+\\.\\d\\d$") : QStringLiteral("^-?\\d+$"));
        QVERIFY2(shape.match(view.intAveText->text()).hasMatch(), qPrintable(view.intAveText->text()));
        QCOMPARE(view.intensityStackWidget->currentIndex(), 0);
        QVERIFY(!view.intensityImageLabel->pixmap().isNull());
    }

    void readoutPerChannel_data()
    {
        QTest::addColumn<QString>("capture");
        QTest::addColumn<QList<bool>>("shown");

        QTest::newRow("three channels") << "fluor" << QList<bool>{true, true, true};
        QTest::newRow("blue and red") << "bluered" << QList<bool>{true, false, true};
    }

    void readoutPerChannel()
    {
        QFETCH(QString, capture);
        QFETCH(QList<bool>, shown);

        Screen s;
        QVERIFY(openOnIntensityPage(s, capture));
        KyAnalysisView &view = *s.view;
        QVERIFY(view.channelSelection() > 2);
        view.imageView->setScale(1.0);
        view.imageView->centerOn(QPoint(100, 150));
        releaseAt(view.imageView, QPoint(100, 150));
        QCOMPARE(view.intensityStackWidget->currentIndex(), 1);

        const QRect rect = s.doc->SelectionRect();
        const KyLabel *labels[] = {view.BlueMaxLabel, view.GreenMaxLabel, view.RedMaxLabel};
        const KyTextArea *fields[] = {view.intBlueMaxText, view.intGreenMaxText, view.intRedMaxText};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(labels[i]->isHidden(), !shown.at(i));
            QCOMPARE(fields[i]->isHidden(), !shown.at(i));
            if (!shown.at(i))
                continue;
            double minimum = 0.0;
            double maximum = 0.0;
            double mean = 0.0;
            s.doc->RegionStatistics(i, rect, minimum, maximum, mean);
            QCOMPARE(labels[i]->text(), QStringLiteral("%1 Max").arg(s.doc->ChannelName(i)));
            QCOMPARE(fields[i]->text(), QString::number(maximum, 'f', 0));
        }
        QVERIFY(!view.intensityImageLabel->pixmap().isNull());

        // One channel alone: minimum, maximum and mean of that channel.
        QTest::mousePress(view.ch3Button, Qt::LeftButton);
        QTest::mouseRelease(view.ch3Button, Qt::LeftButton, {}, QPoint(), KyButton::longPressInterval + 100);
        QCOMPARE(view.channelSelection(), 2);
        QCOMPARE(view.intensityStackWidget->currentIndex(), 0);
        double minimum = 0.0;
        double maximum = 0.0;
        double mean = 0.0;
        s.doc->RegionStatistics(2, rect, minimum, maximum, mean);
        QCOMPARE(view.intMaxText->text(), QString::number(maximum, 'f', 0));
        QCOMPARE(view.intMinText->text(), QString::number(minimum, 'f', 0));
    }

    // The screen's rectangle is painted on the canvas only while the Intensity tool is on.
    void screenShowsTheRectangleOnlyOnThePage()
    {
        Screen s;
        QVERIFY(openOnIntensityPage(s, QStringLiteral("gel")));
        KyAnalysisView &view = *s.view;
        view.imageView->setScale(1.0);
        view.imageView->centerOn(QPoint(100, 150));
        releaseAt(view.imageView, QPoint(100, 150));
        const QPoint spot = view.imageView->mapToWidget(s.doc->SelectionRect().center());
        const QColor on(toolsfixture::shot(view.imageView).pixel(spot));

        view.contrastToolButton->click();
        const QColor off(toolsfixture::shot(view.imageView).pixel(spot));
        QVERIFY2(on.red() < off.red() - 20 && on.blue() >= off.blue() - 5, qPrintable(on.name() + QLatin1Char(' ') + off.name()));
    }
};

KY_TEST_MAIN_WITH(QApplication, TestIntensityView)
#include "tst_intensityview.moc"
