#include "testmain.h"
#include "widgettest.h"

#include "widgets/kybutton.h"
#include "widgets/kyfonts.h"
#include "widgets/kylabel.h"
#include "widgets/kymessagebox.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QPointer>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTimer>

#include <functional>

namespace {

KyButton *button(QWidget *box, const char *name)
{
    return box->findChild<KyButton *>(QLatin1String(name));
}

// Runs the action on the modal box once its loop runs; the tests answer every box this way.
void whenBoxShows(const std::function<void(KyMessageBox *)> &action)
{
    QTimer::singleShot(0, [action] {
        auto *box = qobject_cast<KyMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            qWarning("no box is showing");
            return;
        }
        // A failed check must not leave the test waiting on the box.
        QTimer::singleShot(5000, box, [box] {
            qWarning("box left open by the test: closing it");
            box->done(-1);
        });
        action(box);
    });
}

// Clicks a button as the user does: through the box's window, so the widget under the pointer
// gets the press and the release.
void click(QWidget *box, const char *name)
{
    KyButton *target = button(box, name);
    QVERIFY2(target && target->isVisible(), name);
    kywidgettest::windowMouse(QTest::MouseClick, target, Qt::LeftButton, target->rect().center());
}

// A click through the window on a point of the box: beside the frame it lands on the snapshot
// and the cover, which pass it on to the box.
void clickAt(QWidget *box, const QPoint &pos)
{
    kywidgettest::windowMouse(QTest::MouseClick, box, Qt::LeftButton, pos);
}

// The parent every box covers.
struct MainWindow
{
    MainWindow()
    {
        window.resize(1000, 700);
        window.setAutoFillBackground(true);
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, QColor(200, 40, 40));
        window.setPalette(palette);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qWarning("window not exposed");
    }
    QWidget window;
};

} // namespace

class TestKyMessageBox : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerFontSubstitutions(); }
    void question3Results_data();
    void question3Results();
    void questionResults();
    void nestedBoxIsRefused();
    void everyEndClearsShowing_data();
    void everyEndClearsShowing();
    void dismissing();
    void defaultButton();
    void buttonTexts();
    void coversParentWithFadedSnapshot();
    void sizeTypes();
    void pagedLayout();
    void copyPerPage();
    void copyMenu();

private:
    MainWindow main;
};

void TestKyMessageBox::question3Results_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("rejectIsDefault");
    QTest::addColumn<int>("expected");

    QTest::newRow("accept button") << "acceptButton" << false << 0;
    QTest::newRow("alternative button") << "altButton" << false << 2;
    QTest::newRow("reject button") << "rejectButton" << false << 1;
    QTest::newRow("close button") << "closeButton" << false << 1;
    QTest::newRow("Escape") << "Escape" << false << 1;
    QTest::newRow("click beside the frame") << "outside" << false << 1;
    QTest::newRow("Return, accept default") << "Return" << false << 0;
    QTest::newRow("Return, reject default") << "Return" << true << 1;
    QTest::newRow("Enter, reject default") << "Enter" << true << 1;
    QTest::newRow("window closed") << "close" << false << 1;
    // The alternative after a reject does not linger: each answer is the last button's.
    QTest::newRow("alternative on a reject-default box") << "altButton" << true << 2;
}

void TestKyMessageBox::question3Results()
{
    QFETCH(QString, answer);
    QFETCH(bool, rejectIsDefault);
    QFETCH(int, expected);

    whenBoxShows([answer](KyMessageBox *box) {
        if (answer == QLatin1String("Escape"))
            QTest::keyClick(box, Qt::Key_Escape);
        else if (answer == QLatin1String("Return"))
            QTest::keyClick(box, Qt::Key_Return);
        else if (answer == QLatin1String("Enter"))
            QTest::keyClick(box, Qt::Key_Enter);
        else if (answer == QLatin1String("outside"))
            clickAt(box, QPoint(5, 5));
        else if (answer == QLatin1String("close"))
            box->close();
        else
            click(box, qPrintable(answer));
    });
    const int result = KyMessageBox::question3(&main.window, QStringLiteral("Save"),
                                               QStringLiteral("Save the changes?"), QStringLiteral("Save"),
                                               QStringLiteral("Cancel"), QStringLiteral("Don't save"), 0,
                                               rejectIsDefault);
    QCOMPARE(result, expected);
}

void TestKyMessageBox::questionResults()
{
    whenBoxShows([](KyMessageBox *box) {
        QCOMPARE(box->text(), QStringLiteral("Clear all bands?"));
        QCOMPARE(box->findChild<KyLabel *>("titleLabel")->text(), QStringLiteral("Bands"));
        QVERIFY(!button(box, "altButton")->isVisible());
        click(box, "acceptButton");
    });
    QVERIFY(KyMessageBox::question(&main.window, QStringLiteral("Bands"), QStringLiteral("Clear all bands?"),
                                   QStringLiteral("Yes"), QStringLiteral("No")));
    whenBoxShows([](KyMessageBox *box) { click(box, "rejectButton"); });
    QVERIFY(!KyMessageBox::question(&main.window, QString(), QStringLiteral("Rotate?"), QStringLiteral("Yes"),
                                    QStringLiteral("No")));

    // A picture and a caller's widget show on their own pages, in the largest frame.
    QPixmap picture(40, 30);
    picture.fill(Qt::green);
    whenBoxShows([](KyMessageBox *box) {
        auto *pages = box->findChild<QStackedWidget *>("stackedWidget");
        QCOMPARE(pages->currentIndex(), 1);
        QCOMPARE(box->findChild<QWidget *>("windowImage")->size(), KyMessageBox::kBoxSizes[2]);
        click(box, "acceptButton");
    });
    QVERIFY(KyMessageBox::pixmapQuestion(&main.window, QString(), picture, QStringLiteral("OK"),
                                         QStringLiteral("Cancel")));
    QPointer<QWidget> content = new QWidget;
    whenBoxShows([content](KyMessageBox *box) {
        auto *pages = box->findChild<QStackedWidget *>("stackedWidget");
        QCOMPARE(pages->currentWidget(), content.data());
        QVERIFY(content->isVisible());
        click(box, "closeButton");
    });
    QVERIFY(!KyMessageBox::widgetQuestion(&main.window, QString(), content, QStringLiteral("OK"),
                                          QStringLiteral("Cancel")));
    // The page went with the box.
    QVERIFY(!content);
}

void TestKyMessageBox::nestedBoxIsRefused()
{
    bool nestedQuestion = true;
    int nestedQuestion3 = -1;
    int nestedExec = -1;
    int nestedAfterwards = -1;
    whenBoxShows([&](KyMessageBox *outer) {
        // While the outer box runs, every other box returns at once without showing.
        nestedQuestion = KyMessageBox::question(outer, QString(), QStringLiteral("nested"),
                                                QStringLiteral("Yes"), QStringLiteral("No"));
        nestedQuestion3 = KyMessageBox::question3(outer, QString(), QStringLiteral("nested"),
                                                  QStringLiteral("Yes"), QStringLiteral("No"),
                                                  QStringLiteral("Other"));
        {
            KyMessageBox direct(outer, 1, false, true);
            nestedExec = direct.exec();
            QVERIFY(!direct.isVisible());
        }
        // The refused boxes, now gone, did not clear the outer box's hold.
        KyMessageBox later(outer, 0, false, true);
        QTimer::singleShot(500, &later, &QDialog::reject);
        nestedAfterwards = later.exec();
        QCOMPARE(QApplication::activeModalWidget(), outer);
        click(outer, "acceptButton");
    });
    QVERIFY(KyMessageBox::question(&main.window, QString(), QStringLiteral("outer"), QStringLiteral("Yes"),
                                   QStringLiteral("No")));
    QCOMPARE(nestedQuestion, false);
    QCOMPARE(nestedQuestion3, 1);
    QCOMPARE(nestedExec, 0);
    QCOMPARE(nestedAfterwards, 0);

    // With the outer box gone, the next question shows again.
    whenBoxShows([](KyMessageBox *box) { click(box, "acceptButton"); });
    QVERIFY(KyMessageBox::question(&main.window, QString(), QStringLiteral("next"), QStringLiteral("Yes"),
                                   QStringLiteral("No")));
}

void TestKyMessageBox::everyEndClearsShowing_data()
{
    QTest::addColumn<QString>("end");
    QTest::addColumn<int>("expected");

    QTest::newRow("accepted") << "accept" << 1;
    QTest::newRow("rejected") << "reject" << 0;
    QTest::newRow("done with a code") << "done" << 7;
    QTest::newRow("hidden") << "hide" << 0;
    QTest::newRow("destroyed in its loop") << "delete" << 0;
    QTest::newRow("destroyed later") << "deleteLater" << 0;
}

void TestKyMessageBox::everyEndClearsShowing()
{
    QFETCH(QString, end);
    QFETCH(int, expected);

    QPointer<KyMessageBox> box = new KyMessageBox(&main.window, 0, false, true);
    box->setButtonTexts(QStringLiteral("OK"), QStringLiteral("Cancel"), QString());
    whenBoxShows([end](KyMessageBox *shown) {
        if (end == QLatin1String("accept"))
            shown->accept();
        else if (end == QLatin1String("reject"))
            shown->reject();
        else if (end == QLatin1String("done"))
            shown->done(7);
        else if (end == QLatin1String("hide"))
            shown->hide();
        else if (end == QLatin1String("delete"))
            delete shown;
        else if (end == QLatin1String("deleteLater"))
            shown->deleteLater();
    });
    QCOMPARE(box->exec(), expected);
    delete box;

    // One box's end, whichever way, never silences the next question.
    whenBoxShows([](KyMessageBox *next) { click(next, "acceptButton"); });
    QVERIFY(KyMessageBox::question(&main.window, QString(), QStringLiteral("next"), QStringLiteral("Yes"),
                                   QStringLiteral("No")));
}

void TestKyMessageBox::dismissing()
{
    // Escape on a box whose only button is the accept button clicks it: the box ends accepted.
    whenBoxShows([](KyMessageBox *box) {
        QVERIFY(!button(box, "rejectButton")->isVisible());
        QVERIFY(!button(box, "closeButton")->isVisible());
        QTest::keyClick(box, Qt::Key_Escape);
    });
    QVERIFY(KyMessageBox::question(&main.window, QString(), QStringLiteral("Notice"), QStringLiteral("OK"),
                                   QString()));

    // No button at all: a click beside the frame accepts.
    KyMessageBox bare(&main.window, 0, false, true);
    bare.setButtonTexts(QString(), QString(), QString());
    whenBoxShows([](KyMessageBox *box) { clickAt(box, QPoint(3, 3)); });
    QCOMPARE(bare.exec(), 1);

    // Not dismissible: Escape and a click beside the frame do nothing; a click in the frame is
    // no click beside it either.
    KyMessageBox fixed(&main.window, 0, false, false);
    fixed.setButtonTexts(QStringLiteral("OK"), QStringLiteral("Cancel"), QString());
    bool stillShown = false;
    whenBoxShows([&stillShown](KyMessageBox *box) {
        QTest::keyClick(box, Qt::Key_Escape);
        clickAt(box, QPoint(3, 3));
        box->forceClose();
        QTest::qWait(400);
        stillShown = box->isVisible();
        click(box, "rejectButton");
    });
    QCOMPARE(fixed.exec(), 0);
    QVERIFY(stillShown);

    KyMessageBox framed(&main.window, 0, false, true);
    framed.setButtonTexts(QStringLiteral("OK"), QStringLiteral("Cancel"), QString());
    whenBoxShows([&stillShown](KyMessageBox *box) {
        QWidget *frame = box->findChild<QWidget *>("windowImage");
        clickAt(box, frame->mapTo(box, QPoint(30, 100)));
        QTest::qWait(400);
        stillShown = box->isVisible();
        click(box, "acceptButton");
    });
    QCOMPARE(framed.exec(), 1);
    QVERIFY(stillShown);
}

void TestKyMessageBox::defaultButton()
{
    // The default button is drawn blue, the other white.
    KyMessageBox plain(&main.window, 0, false, true);
    QCOMPARE(button(&plain, "acceptButton")->type(), KyButton::kType_Blue);
    QCOMPARE(button(&plain, "rejectButton")->type(), KyButton::kType_White);
    KyMessageBox rejecting(&main.window, 0, true, true);
    QCOMPARE(button(&rejecting, "acceptButton")->type(), KyButton::kType_White);
    QCOMPARE(button(&rejecting, "rejectButton")->type(), KyButton::kType_Blue);

    // Return on the paged row clicks its close button.
    KyMessageBox paged(&main.window, 2, false, true);
    paged.setButtonTexts(QStringLiteral("Close"), QStringLiteral("Close"), QString());
    paged.setPageCount(2);
    whenBoxShows([](KyMessageBox *box) {
        QVERIFY(button(box, "acceptButton2")->isVisible());
        QTest::keyClick(box, Qt::Key_Return);
    });
    QCOMPARE(paged.exec(), 1);
}

void TestKyMessageBox::buttonTexts()
{
    KyMessageBox box(&main.window, 0, false, true);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    // Until the texts are set only the alternative button shows, with the form's text.
    QVERIFY(!button(&box, "acceptButton")->isVisible());
    QVERIFY(!button(&box, "rejectButton")->isVisible());
    QVERIFY(!button(&box, "closeButton")->isVisible());
    QVERIFY(button(&box, "altButton")->isVisible());
    QCOMPARE(button(&box, "altButton")->text(), QStringLiteral("Don't save"));

    box.setButtonTexts(QStringLiteral("Save"), QStringLiteral("Cancel"), QStringLiteral("Discard"));
    QCOMPARE(button(&box, "acceptButton")->text(), QStringLiteral("Save"));
    QCOMPARE(button(&box, "acceptButton2")->text(), QStringLiteral("Save"));
    QCOMPARE(button(&box, "rejectButton")->text(), QStringLiteral("Cancel"));
    QCOMPARE(button(&box, "altButton")->text(), QStringLiteral("Discard"));
    QCOMPARE(button(&box, "closeButton")->text(), QString());
    for (const char *name : {"acceptButton", "rejectButton", "closeButton", "altButton"})
        QVERIFY2(button(&box, name)->isVisible(), name);

    // An empty reject text hides the reject button and the close button in the corner.
    box.setButtonTexts(QStringLiteral("OK"), QString(), QString());
    QVERIFY(button(&box, "acceptButton")->isVisible());
    QVERIFY(!button(&box, "rejectButton")->isVisible());
    QVERIFY(!button(&box, "closeButton")->isVisible());
    QVERIFY(!button(&box, "altButton")->isVisible());
}

void TestKyMessageBox::coversParentWithFadedSnapshot()
{
    KyMessageBox box(&main.window, 1, false, true);
    box.setTitle(QStringLiteral("Title"));
    box.setText(QStringLiteral("Text"));
    box.setButtonTexts(QStringLiteral("OK"), QString(), QString());
    QCOMPARE(box.size(), main.window.size());
    QCOMPARE(box.minimumSize(), main.window.size());
    QCOMPARE(box.maximumSize(), main.window.size());
    QVERIFY(box.windowFlags() & Qt::FramelessWindowHint);

    const QImage picture = kywidgettest::grabShown(&box);
    QCOMPARE(box.pos(), main.window.mapToGlobal(QPoint(0, 0)));
    // Beside the frame: the parent's colour under the cover of white at 199 of 255.
    const auto faded = [](int c) { return c + (255 - c) * 199 / 255; };
    const QRgb beside = picture.pixel(30, 30);
    QVERIFY2(std::abs(qRed(beside) - faded(200)) <= 2 && std::abs(qGreen(beside) - faded(40)) <= 2
                 && std::abs(qBlue(beside) - faded(40)) <= 2,
             qPrintable(QString::number(beside, 16)));
    // The frame is centred and drawn over the snapshot.
    QWidget *frame = box.findChild<QWidget *>("windowImage");
    QCOMPARE(frame->size(), KyMessageBox::kBoxSizes[1]);
    const QPoint frameAt = frame->mapTo(&box, QPoint(0, 0));
    QVERIFY(std::abs(frameAt.x() - (1000 - 600) / 2) <= 1);
    QVERIFY(std::abs(frameAt.y() - (700 - 380) / 2) <= 1);
    QVERIFY(picture.pixel(frameAt + QPoint(300, 200)) != beside);
}

void TestKyMessageBox::sizeTypes()
{
    // Without a parent the box keeps the form's size and shows no snapshot.
    KyMessageBox box(nullptr, 0, false, true);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCOMPARE(box.size(), QSize(800, 600));
    QWidget *frame = box.findChild<QWidget *>("windowImage");
    for (int type : {0, 1, 2, 0}) {
        box.setSizeType(type);
        QCOMPARE(frame->size(), KyMessageBox::kBoxSizes[type]);
        QCOMPARE(frame->minimumSize(), KyMessageBox::kBoxSizes[type]);
        QCOMPARE(frame->maximumSize(), KyMessageBox::kBoxSizes[type]);
    }
    QCOMPARE(KyMessageBox::kBoxSizes[0], QSize(550, 290));
    QCOMPARE(KyMessageBox::kBoxSizes[1], QSize(600, 380));
    QCOMPARE(KyMessageBox::kBoxSizes[2], QSize(600, 490));
}

void TestKyMessageBox::pagedLayout()
{
    KyMessageBox box(&main.window, 2, false, true);
    box.setButtonTexts(QStringLiteral("Close"), QStringLiteral("Close"), QString());
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QSignalSpy pages(&box, &KyMessageBox::pageChanged);
    auto *label = box.findChild<KyLabel *>("pageLabel");
    KyButton *previous = button(&box, "prevPageButton");
    KyButton *next = button(&box, "nextPageButton");

    // One page: no counter and no arrows.
    box.setPageCount(1);
    QCOMPARE(box.findChild<QStackedWidget *>("bottomStackedWidget")->currentIndex(), 1);
    QCOMPARE(label->text(), QString());
    QVERIFY(!previous->isVisible() && !next->isVisible());
    QCOMPARE(pages.count(), 1);
    QCOMPARE(pages.last().first().toInt(), 1);

    box.setPageCount(3);
    QCOMPARE(box.currentPage(), 1);
    QCOMPARE(label->text(), QStringLiteral("1/3"));
    QVERIFY(previous->isVisible() && next->isVisible());
    QVERIFY(!previous->isEnabled());
    QVERIFY(next->isEnabled());

    kywidgettest::windowMouse(QTest::MouseClick, next, Qt::LeftButton, next->rect().center());
    QCOMPARE(label->text(), QStringLiteral("2/3"));
    QVERIFY(previous->isEnabled() && next->isEnabled());
    kywidgettest::windowMouse(QTest::MouseClick, next, Qt::LeftButton, next->rect().center());
    QCOMPARE(label->text(), QStringLiteral("3/3"));
    QCOMPARE(box.currentPage(), 3);
    QVERIFY(previous->isEnabled());
    QVERIFY(!next->isEnabled());
    // A disabled arrow does nothing.
    kywidgettest::windowMouse(QTest::MouseClick, next, Qt::LeftButton, next->rect().center());
    QCOMPARE(box.currentPage(), 3);
    kywidgettest::windowMouse(QTest::MouseClick, previous, Qt::LeftButton, previous->rect().center());
    QCOMPARE(label->text(), QStringLiteral("2/3"));

    QList<int> seen;
    for (const QList<QVariant> &signal : pages)
        seen << signal.first().toInt();
    QCOMPARE(seen, (QList<int>{1, 1, 2, 3, 2}));
}

void TestKyMessageBox::copyPerPage()
{
    const QString kept = QStringLiteral("kept");
    KyMessageBox box(&main.window, 2, false, true);
    QSignalSpy copied(&box, &KyMessageBox::copy);

    // Off: the copy key does nothing.
    box.setText(QStringLiteral("plain"));
    QApplication::clipboard()->setText(kept);
    QTest::keyClick(&box, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), kept);

    box.setCopyEnabled(true);
    QVERIFY(box.isCopyEnabled());
    // Text page: the plain text, not the rich text.
    box.setHtml(QStringLiteral("<p>Lane <b>3</b> of 8</p>"));
    QTest::keyClick(&box, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Lane 3 of 8"));

    // Picture page: the picture.
    QPixmap picture(30, 20);
    picture.fill(Qt::magenta);
    box.setPixmap(picture);
    QTest::keyClick(&box, Qt::Key_C, Qt::ControlModifier);
    const QImage onClipboard = QApplication::clipboard()->image();
    QCOMPARE(onClipboard.size(), QSize(30, 20));
    QCOMPARE(onClipboard.pixel(5, 5), QColor(Qt::magenta).rgb());
    QCOMPARE(copied.count(), 0);

    // A caller's page: only the signal, the clipboard stays.
    auto *table = new QWidget;
    box.setWidget(table);
    QApplication::clipboard()->setText(kept);
    box.copyContents();
    QCOMPARE(copied.count(), 1);
    QCOMPARE(QApplication::clipboard()->text(), kept);
    // Taken out again, the widget is not deleted.
    box.removeWidget(table);
    QCOMPARE(box.findChild<QStackedWidget *>("stackedWidget")->indexOf(table), -1);
    delete table;

    // An empty picture leaves the clipboard alone.
    box.setPixmap(QPixmap());
    box.copyContents();
    QCOMPARE(QApplication::clipboard()->text(), kept);
}

void TestKyMessageBox::copyMenu()
{
    KyMessageBox box(&main.window, 0, false, true);
    box.setText(QStringLiteral("from the menu"));
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), box.mapToGlobal(QPoint(5, 5)));

    // Off: no menu.
    QPointer<QMenu> menu;
    QTimer::singleShot(0, [&menu] { menu = qobject_cast<QMenu *>(QApplication::activePopupWidget()); });
    QApplication::sendEvent(&box, &event);
    QTest::qWait(20);
    QVERIFY(!menu);

    box.setCopyEnabled(true);
    QApplication::clipboard()->setText(QStringLiteral("kept"));
    QStringList entries;
    QTimer::singleShot(0, [&entries] {
        auto *shown = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!shown)
            return;
        for (QAction *action : shown->actions())
            entries << action->text();
        QTest::keyClick(shown, Qt::Key_Down);
        QTest::keyClick(shown, Qt::Key_Return);
    });
    QApplication::sendEvent(&box, &event);
    QCOMPARE(entries, QStringList{QStringLiteral("Copy")});
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("from the menu"));
}

KY_TEST_MAIN_WITH(QApplication, TestKyMessageBox)
#include "tst_kymessagebox.moc"
