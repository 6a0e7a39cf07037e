// The About box: its form, the version text, and what closes it.

#include "testmain.h"
#include "../widgets/widgettest.h"

#include "app/kysplashdialog.h"
#include "widgets/kyborderimage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <functional>

namespace {

constexpr Qt::WindowFlags kAboutFlags = Qt::CustomizeWindowHint | Qt::FramelessWindowHint;

struct Run
{
    int result = -1;
    qint64 elapsed = -1;
};

// Runs the box with execTimed(); the action gets the box once it shows. A box the action leaves
// open is closed after a while (result -1) so that a failed case cannot hang the test.
Run runBox(bool inAutoClose, const std::function<void(KySplashDialog *)> &inAction, int inGiveUpMSec = 2000)
{
    QWidget parent;
    parent.resize(1000, 700);
    parent.show();
    if (!QTest::qWaitForWindowExposed(&parent))
        qWarning("parent not exposed");
    KySplashDialog box(&parent, kAboutFlags, inAutoClose);
    Run run;
    QTimer::singleShot(0, &box, [&box, &inAction] {
        if (!QTest::qWaitForWindowExposed(&box))
            qWarning("box not exposed");
        inAction(&box);
    });
    QTimer::singleShot(inGiveUpMSec, &box, [&box] { box.done(-1); });
    QElapsedTimer clock;
    clock.start();
    box.execTimed();
    run.elapsed = clock.elapsed();
    run.result = box.result();
    return run;
}

void press(QWidget *inWidget, Qt::MouseButton inButton)
{
    kywidgettest::windowMouse(QTest::MousePress, inWidget, inButton, inWidget->rect().center());
}

} // namespace

class TestKySplashDialog : public QObject
{
    Q_OBJECT

private slots:
    void versionFromTheProject()
    {
        KySplashDialog box(nullptr, kAboutFlags, false);
        QCOMPARE(box.findChild<QLabel *>(QStringLiteral("versionLabel"))->text(),
                 QStringLiteral("V" KY_EXPECTED_VERSION));
    }

    void form()
    {
        KySplashDialog box(nullptr, kAboutFlags, false);
        QCOMPARE(box.objectName(), QStringLiteral("KySplashDialog"));
        QCOMPARE(box.windowTitle(), QStringLiteral("KySplashDialog"));
        QCOMPARE(box.windowModality(), Qt::ApplicationModal);
        QVERIFY(box.isModal());
        QCOMPARE(box.size(), QSize(800, 600));
        QVERIFY(box.testAttribute(Qt::WA_OpaquePaintEvent));
        QVERIFY(box.windowFlags().testFlag(Qt::FramelessWindowHint));

        auto *layout = qobject_cast<QVBoxLayout *>(box.layout());
        QVERIFY(layout);
        QCOMPARE(layout->objectName(), QStringLiteral("verticalLayout"));
        QCOMPARE(layout->spacing(), 0);
        QCOMPARE(layout->contentsMargins(), QMargins());
        QCOMPARE(layout->count(), 1);

        auto *image = box.findChild<KyBorderImage *>(QStringLiteral("image"));
        QVERIFY(image);
        QCOMPARE(layout->itemAt(0)->widget(), image);
        QCOMPARE(image->pixmap().size(), QSize(800, 600));
        QCOMPARE(image->pixmap().toImage(), QPixmap(QStringLiteral(":/Kestova/Images/back_opening.png")).toImage());

        auto *frame = box.findChild<QFrame *>(QStringLiteral("frame"));
        QVERIFY(frame);
        QCOMPARE(frame->parentWidget(), image);
        QCOMPARE(frame->geometry(), QRect(0, 0, 800, 600));
        QCOMPARE(frame->frameShape(), QFrame::Panel);
        QCOMPARE(frame->frameShadow(), QFrame::Plain);
        QCOMPARE(frame->lineWidth(), 3);
        QCOMPARE(frame->midLineWidth(), 0);
        const QPalette &fp = frame->palette();
        QCOMPARE(fp.color(QPalette::Active, QPalette::WindowText), QColor(188, 188, 188));
        QCOMPARE(fp.color(QPalette::Inactive, QPalette::WindowText), QColor(188, 188, 188));
        QCOMPARE(fp.color(QPalette::Disabled, QPalette::WindowText), QColor(95, 95, 95));
        QCOMPARE(fp.color(QPalette::Active, QPalette::Window), QColor(190, 190, 190));
        QCOMPARE(fp.color(QPalette::Active, QPalette::Midlight), QColor(222, 222, 222));
        QCOMPARE(fp.color(QPalette::Active, QPalette::Mid), QColor(127, 127, 127));
        QCOMPARE(fp.color(QPalette::Active, QPalette::Base), QColor(255, 255, 255));
        QCOMPARE(fp.color(QPalette::Disabled, QPalette::Base), QColor(190, 190, 190));
        QCOMPARE(fp.color(QPalette::Disabled, QPalette::Text), QColor(95, 95, 95));
        QCOMPARE(fp.color(QPalette::Active, QPalette::AlternateBase), QColor(222, 222, 222));
        QCOMPARE(fp.color(QPalette::Active, QPalette::ToolTipBase), QColor(255, 255, 220));

        auto *version = box.findChild<QLabel *>(QStringLiteral("versionLabel"));
        QVERIFY(version);
        QCOMPARE(version->parentWidget(), frame);
        QCOMPARE(version->geometry(), QRect(617, 87, 142, 36));
        QCOMPARE(version->font().family(), QStringLiteral("Arial"));
        QCOMPARE(version->font().pointSize(), 14);
        for (auto role : {QPalette::WindowText, QPalette::Text}) {
            QCOMPARE(version->palette().color(QPalette::Active, role), QColor(59, 115, 185));
            QCOMPARE(version->palette().color(QPalette::Inactive, role), QColor(59, 115, 185));
            QCOMPARE(version->palette().color(QPalette::Disabled, role), QColor(120, 120, 120));
        }

        auto *label = box.findChild<QLabel *>(QStringLiteral("label"));
        QVERIFY(label);
        QCOMPARE(label->parentWidget(), frame);
        QCOMPARE(label->geometry(), QRect(280, 140, 222, 450));
        QCOMPARE(label->minimumSize(), QSize(222, 450));
        QCOMPARE(label->maximumSize(), QSize(222, 450));
        QCOMPARE(label->alignment(), Qt::AlignCenter);
        QCOMPARE(label->text(), QString());
        QCOMPARE(label->pixmap().size(), QSize(222, 450));
    }

    // What the box shows: the background, the grey border and the version text in blue.
    void picture()
    {
        KySplashDialog box(nullptr, kAboutFlags, false);
        const QImage shot = kywidgettest::grabShown(&box);
        QCOMPARE(shot.size(), QSize(800, 600));
        QCOMPARE(QColor(shot.pixel(1, 300)), QColor(188, 188, 188));
        QCOMPARE(QColor(shot.pixel(400, 598)), QColor(188, 188, 188));
        const QSet<QRgb> version = kywidgettest::colours(shot, QRect(617, 87, 142, 36));
        QVERIFY(version.contains(QColor(59, 115, 185).rgb()));
    }

    // Any key, a lone modifier too, and any mouse button pressed anywhere close the box.
    void closesOnPress_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("letter key") << "key A";
        QTest::newRow("escape") << "key Escape";
        QTest::newRow("lone shift") << "key Shift";
        QTest::newRow("left button on the instrument") << "left label";
        QTest::newRow("right button on the version") << "right versionLabel";
        QTest::newRow("middle button on the background") << "middle image";
        QTest::newRow("left button on the border") << "left frame";
    }

    void closesOnPress()
    {
        QFETCH(QString, what);
        const Run run = runBox(false, [what](KySplashDialog *box) {
            const QStringList parts = what.split(QLatin1Char(' '));
            if (parts[0] == QLatin1String("key")) {
                const Qt::Key key = parts[1] == QLatin1String("A") ? Qt::Key_A
                                    : parts[1] == QLatin1String("Escape") ? Qt::Key_Escape
                                                                          : Qt::Key_Shift;
                QTest::keyPress(box, key);
                return;
            }
            const Qt::MouseButton button = parts[0] == QLatin1String("left") ? Qt::LeftButton
                                           : parts[0] == QLatin1String("right") ? Qt::RightButton
                                                                                : Qt::MiddleButton;
            QWidget *target = box->findChild<QWidget *>(parts[1]);
            if (parts[1] == QLatin1String("frame"))
                kywidgettest::windowMouse(QTest::MousePress, box, button, QPoint(1, 300));
            else
                press(target, button);
        });
        QCOMPARE(run.result, int(QDialog::Accepted));
        QVERIFY(run.elapsed < 1000);
    }

    // Releases, wheel turns and key releases alone leave it open; the next press closes it.
    void staysOpenOnReleaseAndWheel()
    {
        bool stillOpen = false;
        const Run run = runBox(false, [&stillOpen](KySplashDialog *box) {
            QWidget *label = box->findChild<QWidget *>(QStringLiteral("label"));
            kywidgettest::windowMouse(QTest::MouseRelease, label, Qt::LeftButton, label->rect().center());
            QWheelEvent wheel(QPointF(400, 300), box->mapToGlobal(QPointF(400, 300)), QPoint(), QPoint(0, 120),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(box, &wheel);
            QTest::keyRelease(box, Qt::Key_A);
            QTest::mouseMove(box, QPoint(300, 300));
            QTimer::singleShot(200, box, [box, &stillOpen] {
                stillOpen = box->isVisible();
                QTest::keyPress(box, Qt::Key_Space);
            });
        });
        QVERIFY(stillOpen);
        QCOMPARE(run.result, int(QDialog::Accepted));
    }

    // The About command's box never closes by itself: no countdown runs.
    void noAutoClose()
    {
        bool counting = true;
        const Run run = runBox(false, [&counting](KySplashDialog *box) { counting = box->isCountingDown(); }, 600);
        QVERIFY(!counting);
        QCOMPARE(run.result, -1); // closed by the test's give-up
        QVERIFY(run.elapsed >= 600);
    }

    void autoClose()
    {
        bool counting = false;
        const Run run = runBox(true, [&counting](KySplashDialog *box) { counting = box->isCountingDown(); }, 9000);
        QVERIFY(counting);
        QCOMPARE(run.result, int(QDialog::Accepted));
        QVERIFY2(run.elapsed >= KySplashDialog::kAutoCloseMSec - 50 && run.elapsed < KySplashDialog::kAutoCloseMSec + 2000,
                 qPrintable(QString::number(run.elapsed)));
    }

    // A press before the countdown ends closes the box at once and stops the countdown.
    void countdownStopsOnClose()
    {
        KySplashDialog box(nullptr, kAboutFlags, true);
        int closes = 0;
        connect(&box, &QDialog::accepted, [&closes] { ++closes; });
        QTimer::singleShot(0, &box, [&box] {
            QVERIFY(box.isCountingDown());
            QTest::keyPress(&box, Qt::Key_A);
            QVERIFY(!box.isCountingDown());
        });
        box.execTimed();
        QCOMPARE(closes, 1);
        QVERIFY(!box.isCountingDown());
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKySplashDialog)
#include "tst_kysplashdialog.moc"
