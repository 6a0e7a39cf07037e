#include "testmain.h"

#include "app/kycopyview.h"
#include "app/kyprogressview.h"
#include "widgets/kylabel.h"
#include "widgets/kymessagebox.h"
#include "widgets/kyprogressbar.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>

#include <memory>

class TestKyCopyView : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QWidget> mWindow;

    KyMessageBox *box() const { return mWindow->findChild<KyMessageBox *>(); }
    KyProgressBar *bar() const
    {
        KyMessageBox *shown = box();
        return shown ? shown->findChild<KyProgressBar *>(QStringLiteral("progressBar")) : nullptr;
    }

    // A pop-up over the window with total steps, shown.
    std::unique_ptr<KyCopyView> shownPopUp(int total)
    {
        auto popUp = std::make_unique<KyCopyView>(mWindow.get());
        popUp->SetText(QStringLiteral("Saving..."));
        popUp->SetValue(total);
        popUp->Show(mWindow.get());
        return popUp;
    }

private slots:
    void init()
    {
        mWindow = std::make_unique<QWidget>();
        mWindow->setWindowTitle(QStringLiteral("window"));
        mWindow->setGeometry(40, 30, 760, 600);
        mWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(mWindow.get()));
    }

    void cleanup()
    {
        mWindow.reset();
        QVERIFY(!KyCopyView::IsBusy());
    }

    void showCoversTheWindow()
    {
        auto popUp = shownPopUp(3);
        // The pop-up itself never shows, only its box does.
        QVERIFY(!popUp->isVisible());
        QVERIFY(KyCopyView::IsBusy());
        KyMessageBox *shown = box();
        QVERIFY(shown && shown->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(shown));
        QCOMPARE(shown->size(), mWindow->size());
        QCOMPARE(shown->pos(), mWindow->mapToGlobal(QPoint(0, 0)));
        QCOMPARE(shown->findChild<KyLabel *>(QStringLiteral("label"))->text(), QStringLiteral("Saving..."));
        QCOMPARE(bar()->maximum(), 3);
        QCOMPARE(bar()->value(), 0);
        // Window-modal: the window below takes no input while the job runs.
        QCOMPARE(QApplication::activeModalWidget(), shown);
        popUp->Close();
    }

    void defaultTextWithoutOwnerText()
    {
        KyProgressView panel;
        QCOMPARE(panel.findChild<KyLabel *>(QStringLiteral("label"))->text(),
                 QStringLiteral("Move/Copying images"));
        panel.SetProgress(0);
        QVERIFY(panel.IsFinished());
    }

    void zeroTotalIsFinishedAtOnce()
    {
        auto popUp = shownPopUp(0);
        QVERIFY(popUp->IsFinished());
        popUp->Step();
        QCOMPARE(bar()->value(), 0);
        QCOMPARE(bar()->maximum(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!KyCopyView::IsBusy(), 3000);
        QVERIFY(!box()->isVisible());
    }

    void lastStepHidesAfterTheDelay()
    {
        auto popUp = shownPopUp(3);
        popUp->Step();
        popUp->Step();
        QVERIFY(!popUp->IsFinished());
        popUp->Step();
        QElapsedTimer sinceLast;
        sinceLast.start();
        QVERIFY(popUp->IsFinished());
        QCOMPARE(bar()->value(), 3);
        QCOMPARE(bar()->maximum(), 3);

        QTest::qWait(400);
        QVERIFY(box()->isVisible());
        QVERIFY(KyCopyView::IsBusy());
        QTRY_VERIFY_WITH_TIMEOUT(!box()->isVisible(), 3000);
        QVERIFY(sinceLast.elapsed() >= 600);
        QVERIFY(!KyCopyView::IsBusy());
    }

    void moreStepsThanTheTotalStayAtTheMaximum()
    {
        auto popUp = shownPopUp(2);
        for (int i = 0; i < 5; ++i)
            popUp->Step();
        QCOMPARE(bar()->value(), 2);
        QVERIFY(popUp->IsFinished());
        QTRY_VERIFY_WITH_TIMEOUT(!KyCopyView::IsBusy(), 3000);
    }

    void closeRightAfterShow()
    {
        auto popUp = shownPopUp(4);
        popUp->Close();
        QVERIFY(!box()->isVisible());
        QVERIFY(!KyCopyView::IsBusy());

        // A second show reuses the box; a close timer started before still fires and only hides.
        popUp->SetValue(1);
        popUp->Step();
        popUp->Close();
        popUp->Show(mWindow.get());
        QCOMPARE(mWindow->findChildren<KyMessageBox *>().size(), 1);
        QVERIFY(box()->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!box()->isVisible(), 3000);
        QVERIFY(!KyCopyView::IsBusy());
    }

    void aDestroyedPopUpsTimerNeverFires()
    {
        // The window deletes its pop-up after every save, possibly before the close delay ends.
        auto first = shownPopUp(1);
        first->Step();
        QPointer<KyMessageBox> firstBox = box();
        first.reset();
        QVERIFY(!firstBox);
        QVERIFY(!KyCopyView::IsBusy());

        auto second = shownPopUp(5);
        QVERIFY(KyCopyView::IsBusy());
        QTest::qWait(900);
        QVERIFY(box()->isVisible());
        QVERIFY(KyCopyView::IsBusy());
        second->Close();
    }

    void destroyingAShowingPopUpGivesTheBusyFlagBack()
    {
        // Otherwise the window could never be closed again.
        auto popUp = shownPopUp(3);
        QVERIFY(KyCopyView::IsBusy());
        popUp.reset();
        QVERIFY(!KyCopyView::IsBusy());
        QCOMPARE(box(), nullptr);
    }

    void secondPopUpWhileOneShows()
    {
        auto first = shownPopUp(2);
        auto second = shownPopUp(2);
        // Nothing is shown for the second; its steps still count.
        QCOMPARE(mWindow->findChildren<KyMessageBox *>().size(), 1);
        second->Step();
        second->Step();
        QVERIFY(second->IsFinished());
        QVERIFY(!first->IsFinished());
        // The second, never shown, leaves the first's flag alone when it goes.
        second.reset();
        QVERIFY(KyCopyView::IsBusy());
        first->Close();
    }

    void showWithoutParent()
    {
        KyCopyView popUp(nullptr);
        popUp.SetValue(1);
        popUp.Show(nullptr);
        QVERIFY(KyCopyView::IsBusy());
        auto *shown = qobject_cast<KyMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(shown);
        QVERIFY(shown->isVisible());
        QCOMPARE(shown->parentWidget(), nullptr);
        popUp.Step();
        QTRY_VERIFY_WITH_TIMEOUT(!shown->isVisible(), 3000);
        QVERIFY(!KyCopyView::IsBusy());
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyCopyView)
#include "tst_kycopyview.moc"
