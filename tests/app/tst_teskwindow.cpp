#include "testmain.h"

#include "analysisview/kyanalysisview.h"
#include "app/teskapp.h"
#include "app/teskwindow.h"
#include "core/analysissettings.h"
#include "core/kyviewmode.h"
#include "document/kydocument.h"
#include "samplecapturewriter.h"
#include "widgets/kyborderimage.h"
#include "widgets/kybusyview.h"
#include "widgets/kybutton.h"
#include "widgets/kytextarea.h"

#include <QDir>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QThread>

#include <memory>

namespace {

QStringList gMessages;
QtMessageHandler gPreviousHandler = nullptr;

void collectMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    gMessages.append(message);
    gPreviousHandler(type, context, message);
}

struct MessageCollector
{
    MessageCollector()
    {
        gMessages.clear();
        gPreviousHandler = qInstallMessageHandler(collectMessages);
    }
    ~MessageCollector() { qInstallMessageHandler(gPreviousHandler); }
};

KyViewMode *viewMode()
{
    return KyViewMode::instance();
}

const QString kProduct = QStringLiteral("Brevik Ziredo 410 Analysis Software");
const QString kPositionKey = QStringLiteral("AN/AppWindowPosition");

// The enabled actions, by name, in the form's order.
QStringList enabledActions(const TeskWindow &window)
{
    const Ui_TeskWindow &f = window.form();
    QStringList names;
    for (QAction *action : {f.actionOpen, f.actionClose, f.actionExit, f.actionCopy, f.actionPrint, f.actionSave,
                            f.actionSaveAs, f.actionAbout, f.actionFileInfo, f.actionOpenInNewWindow})
        if (action->isEnabled())
            names.append(action->objectName());
    return names;
}

const QStringList kNoDocumentActions{"actionOpen", "actionExit", "actionAbout", "actionOpenInNewWindow"};

} // namespace

class TestTeskWindow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir mTemp;
    QString mGel;

    TeskApp *app() { return TeskApp::instance(); }

    // Opens the capture through the application object and waits for the window to take it up.
    bool openCapture(const QString &path)
    {
        QSignalSpy opened(app(), &TeskApp::imageOpened);
        if (!app()->openImage(path))
            return false;
        return opened.wait(20000);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(app());
        TeskApp::setQuitOnLastWindowClosed(false);
        QVERIFY(mTemp.isValid());
        mGel = SampleCaptureWriter(64, 96, 3).Write(QStringLiteral("gel"), mTemp.filePath(QStringLiteral("run1")));
        QVERIFY(!mGel.isEmpty());
    }

    void cleanup()
    {
        app()->closeDocument();
        for (int reason : viewMode()->busyReasons())
            viewMode()->unsetBusy(KyViewMode::EBusyReason(reason));
        AnalysisSettings::instance()->remove(kPositionKey);
    }

    void constructionWithoutDocument()
    {
        MessageCollector messages;
        TeskWindow window;
        QCOMPARE(gMessages.filter(QStringLiteral("connect")), QStringList());
        QCOMPARE(window.currentPage(), int(TeskWindow::kPage_Menu));
        QCOMPARE(window.windowTitle(), kProduct);
        QCOMPARE(enabledActions(window), kNoDocumentActions);
        QCOMPARE(window.analysisView(), window.form().stackedWidget->widget(TeskWindow::kPage_Analysis));
        QCOMPARE(window.busyView(), window.form().stackedWidget->widget(TeskWindow::kPage_Busy));
        QVERIFY(window.analysisView() && window.busyView());
        QCOMPARE(window.pageBeforeBusy(), 0);
        QCOMPARE(window.afterSaveAction(), 0);
        QCOMPARE(window.pendingOpenPath(), QString());
        QVERIFY(window.isEnabled());
        // The form makes the comment read-only; the window makes it editable.
        QVERIFY(!window.form().saveCommentText->isReadOnly());
    }

    // The analysis screen's style sheet reaches its widgets once while the screen is built in the
    // window's page stack (on first use): moved into the stack finished, the screen had Qt polish
    // every one of its widgets again, the largest single cost of the start. Once built it is the
    // screen a screen of its own is.
    void analysisScreenTakesItsStyleSheetOnce()
    {
        struct StyleChanges : QObject
        {
            QHash<const QObject *, int> counts;
            bool eventFilter(QObject *inObject, QEvent *inEvent) override
            {
                if (inEvent->type() == QEvent::StyleChange)
                    ++counts[inObject];
                return false;
            }
        } changes;
        qApp->installEventFilter(&changes);
        TeskWindow window;
        KyAnalysisView *screen = window.analysisView();
        qApp->removeEventFilter(&changes);
        QVERIFY(screen);
        QCOMPARE(changes.counts.value(screen), 1);
        QCOMPARE(changes.counts.value(screen->stackedWidget), 1);
        QCOMPARE(changes.counts.value(screen->lanesModeButton), 1);

        KyAnalysisView alone;
        QCOMPARE(screen->styleSheet(), alone.styleSheet());
        QCOMPARE(screen->findChildren<QWidget *>().size(), alone.findChildren<QWidget *>().size());
        QVERIFY(screen->laneView() && screen->chart());
        QCOMPARE(screen->isEnabled(), alone.isEnabled());
    }

    // Each icon shows its inactive image while its action is disabled.
    void actionIcons()
    {
        TeskWindow window;
        const Ui_TeskWindow &f = window.form();
        for (QAction *action : {f.actionOpen, f.actionClose, f.actionFileInfo, f.actionSave, f.actionPrint,
                                f.actionCopy}) {
            const QIcon icon = action->icon();
            QVERIFY2(!icon.isNull(), qPrintable(action->objectName()));
            const QImage normal = icon.pixmap(32, QIcon::Normal).toImage();
            const QImage disabled = icon.pixmap(32, QIcon::Disabled).toImage();
            QVERIFY(!normal.isNull() && !disabled.isNull());
            QVERIFY2(normal != disabled, qPrintable(action->objectName()));
        }
        for (QAction *action : {f.actionExit, f.actionSaveAs, f.actionAbout, f.actionOpenInNewWindow})
            QVERIFY(action->icon().isNull());
    }

    void savedGeometry_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QSize>("size");
        QTest::newRow("none stored") << QVariant() << QSize(800, 624);
        QTest::newRow("the default, all zero") << QVariant(QRect(0, 0, 0, 0)) << QSize(800, 624);
        QTest::newRow("zero width") << QVariant(QRect(30, 40, 0, 500)) << QSize(800, 624);
        QTest::newRow("zero height") << QVariant(QRect(30, 40, 900, 0)) << QSize(800, 624);
        QTest::newRow("a window") << QVariant(QRect(30, 40, 1000, 700)) << QSize(1000, 700);
    }

    void savedGeometry()
    {
        QFETCH(QVariant, stored);
        QFETCH(QSize, size);
        if (stored.isValid())
            QVERIFY(AnalysisSettings::instance()->setValue(kPositionKey, stored.toRect()));
        TeskWindow window;
        QCOMPARE(window.size(), size);
        if (size != QSize(800, 624))
            QCOMPARE(window.geometry().topLeft(), QPoint(30, 40));
    }

    // The busy page comes once for overlapping reasons, and the page from before the first reason
    // comes back when the last goes.
    void busyPage_data()
    {
        QTest::addColumn<bool>("fromSavePage");
        QTest::newRow("from the opening page") << false;
        QTest::newRow("from the save page") << true;
    }

    void busyPage()
    {
        QFETCH(bool, fromSavePage);
        TeskWindow window;
        if (fromSavePage)
            viewMode()->setViewMode(KyViewMode::kView_Save, true);
        const int before = window.currentPage();
        QCOMPARE(before, fromSavePage ? int(TeskWindow::kPage_Save) : int(TeskWindow::kPage_Menu));

        MessageCollector messages;
        viewMode()->setBusy(KyViewMode::kBusy_Opening);
        QCOMPARE(window.currentPage(), int(TeskWindow::kPage_Busy));
        QCOMPARE(window.pageBeforeBusy(), before);
        QVERIFY(!window.isEnabled());

        viewMode()->setBusy(KyViewMode::kBusy_ImageJob);
        viewMode()->setBusy(KyViewMode::kBusy_ImageJob);
        QCOMPARE(window.currentPage(), int(TeskWindow::kPage_Busy));
        QCOMPARE(window.pageBeforeBusy(), before);
        QCOMPARE(gMessages.filter(QStringLiteral("TeskWindow::toBusyView() already showing busy page")).size(), 2);

        viewMode()->unsetBusy(KyViewMode::kBusy_Opening);
        QCOMPARE(window.currentPage(), int(TeskWindow::kPage_Busy));
        QVERIFY(!window.isEnabled());
        viewMode()->unsetBusy(KyViewMode::kBusy_ImageJob);
        QCOMPARE(window.currentPage(), before);
        QVERIFY(window.isEnabled());
        viewMode()->setViewMode(KyViewMode::kView_Opening, true);
    }

    // The busy view's backdrop is the page that was showing: it is taken before the switch.
    void busyBackdropShowsThePageLeft()
    {
        TeskWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QImage page = window.form().stackedWidget->grab().toImage();
        viewMode()->setBusy(KyViewMode::kBusy_Opening);
        auto *backdrop = window.busyView()->findChild<KyBorderImage *>(QStringLiteral("behindImage"));
        QVERIFY(backdrop);
        const QImage behind = backdrop->pixmap().toImage();
        QCOMPARE(behind.size(), page.size());
        const QPoint button = window.form().openButton->mapTo(window.form().stackedWidget,
                                                               window.form().openButton->rect().center());
        QCOMPARE(behind.pixel(button), page.pixel(button));
        QCOMPARE(behind.convertToFormat(QImage::Format_RGB32), page.convertToFormat(QImage::Format_RGB32));
        viewMode()->unsetBusy(KyViewMode::kBusy_Opening);
    }

    // A job disables the window, which drops the keyboard focus; the control the user was on has it
    // again afterwards, unless the job took it off the screen.
    void busyPageGivesTheFocusBack_data()
    {
        QTest::addColumn<bool>("pageChanges");
        QTest::newRow("same page after the job") << false;
        QTest::newRow("another page after the job") << true;
    }

    void busyPageGivesTheFocusBack()
    {
        QFETCH(bool, pageChanges);
        TeskWindow window;
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QWidget *button = window.form().openButton;
        button->setFocus();
        QCOMPARE(QApplication::focusWidget(), button);

        viewMode()->setBusy(KyViewMode::kBusy_Opening);
        QVERIFY(QApplication::focusWidget() != button);
        if (pageChanges)
            viewMode()->setViewMode(KyViewMode::kView_Save, true);
        viewMode()->unsetBusy(KyViewMode::kBusy_Opening);
        if (pageChanges) {
            QCOMPARE(window.currentPage(), int(TeskWindow::kPage_Save));
            QVERIFY(QApplication::focusWidget() != button);
            viewMode()->setViewMode(KyViewMode::kView_Opening, true);
        } else {
            QCOMPARE(QApplication::focusWidget(), button);
        }
    }

    void resetOutsideTheBusyPageChangesNothing()
    {
        TeskWindow window;
        window.setEnabled(false);
        emit viewMode()->resetBusyView();
        QCOMPARE(window.currentPage(), int(TeskWindow::kPage_Menu));
        QVERIFY(!window.isEnabled());
    }

    void viewModes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("print"); // 1 enabled, 0 disabled, -1 as the analysis screen shows the image
        QTest::newRow("save") << int(KyViewMode::kView_Save) << int(TeskWindow::kPage_Save) << 0;
        QTest::newRow("analysis summary") << int(KyViewMode::kView_AnalysisSummary)
                                          << int(TeskWindow::kPage_Analysis) << 1;
        QTest::newRow("analysis lanes") << int(KyViewMode::kView_AnalysisLane) << int(TeskWindow::kPage_Analysis)
                                        << -1;
        QTest::newRow("library") << int(KyViewMode::kView_Library) << int(TeskWindow::kPage_Analysis) << -1;
    }

    void viewModes()
    {
        QFETCH(int, mode);
        QFETCH(int, page);
        QFETCH(int, print);
        TeskWindow window;
        for (bool printBefore : {false, true}) {
            window.form().actionPrint->setEnabled(printBefore);
            viewMode()->setViewMode(KyViewMode::EViewMode(mode), true);
            QCOMPARE(window.currentPage(), page);
            const bool expected = print < 0 ? window.analysisView()->isImageShown() : print == 1;
            QCOMPARE(window.form().actionPrint->isEnabled(), expected);
        }
        viewMode()->setViewMode(KyViewMode::kView_Opening, true);
    }

    // Print follows the image and profile switches, except in the summary, which prints its chart
    // and table whatever shows.
    void printFollowsTheView()
    {
        TeskWindow window;
        QAction *print = window.form().actionPrint;
        emit window.analysisView()->toImageView();
        QVERIFY(print->isEnabled());

        viewMode()->setViewMode(KyViewMode::kView_AnalysisSummary, true);
        emit window.analysisView()->toProfileView();
        QVERIFY(print->isEnabled());

        viewMode()->setViewMode(KyViewMode::kView_AnalysisBand, true);
        print->setEnabled(true);
        emit window.analysisView()->toProfileView();
        QVERIFY(!print->isEnabled());
        emit window.analysisView()->toImageView();
        QVERIFY(print->isEnabled());
        viewMode()->setViewMode(KyViewMode::kView_Opening, true);
    }

    void editsEnableSave_data()
    {
        QTest::addColumn<int>("notice");
        QTest::newRow("rotated, from the pool") << 0;
        QTest::newRow("contrast changed") << 1;
        QTest::newRow("summary selection changed") << 2;
    }

    void editsEnableSave()
    {
        QFETCH(int, notice);
        TeskWindow window;
        KyAnalysisView *view = window.analysisView();
        QVERIFY(!window.form().actionSave->isEnabled());
        switch (notice) {
        case 0: {
            // The rotation job announces its end on its own thread: the notice arrives queued.
            std::unique_ptr<QThread> job(QThread::create([view] { emit view->rotated(); }));
            job->start();
            QVERIFY(job->wait(10000));
            QVERIFY(!window.form().actionSave->isEnabled());
            break;
        }
        case 1:
            emit view->contrastChanged();
            break;
        default:
            emit view->tableSelectionChanged();
        }
        QTRY_VERIFY(window.form().actionSave->isEnabled());
        QCOMPARE(window.form().actionPrint->isEnabled(), false);
    }

    // From the opening page through the busy page to the analysis page, whatever page the busy
    // page meant to return to.
    void openingACapture()
    {
        TeskWindow window;
        QSignalSpy busy(viewMode(), &KyViewMode::toBusyView);
        QVERIFY(openCapture(mGel));
        QVERIFY(busy.size() >= 1);
        KyDocument *document = TeskApp::currentDocument();
        QVERIFY(document);
        QCOMPARE(window.currentPage(), int(TeskWindow::kPage_Analysis));
        QCOMPARE(window.pageBeforeBusy(), int(TeskWindow::kPage_Menu));
        QVERIFY(window.isEnabled());
        QVERIFY(!viewMode()->isBusy());
        QCOMPARE(window.windowTitle(), QFileInfo(mGel).fileName() + QStringLiteral(" - ") + kProduct);
        QCOMPARE(enabledActions(window),
                 (QStringList{"actionOpen", "actionClose", "actionExit", "actionCopy", "actionPrint",
                              "actionSaveAs", "actionAbout", "actionFileInfo", "actionOpenInNewWindow"}));
        // The field shows the whole comment, also one longer than what may be typed into it.
        QVERIFY(document->Comment().size() > 50);
        QCOMPARE(window.form().saveCommentText->text(), document->Comment());
    }

    void dirtyMarkInTheTitle()
    {
        const QString folder = SampleCaptureWriter(32, 48, 7).Write(QStringLiteral("gel"),
                                                                     mTemp.filePath(QStringLiteral("a/run1")));
        QVERIFY(!folder.isEmpty());
        TeskWindow window;
        QVERIFY(openCapture(folder));
        KyDocument *document = TeskApp::currentDocument();
        QVERIFY(document);
        const QString name = QFileInfo(document->FilePathOfFirstImage()).dir().dirName();
        QCOMPARE(window.windowTitle(), name + QStringLiteral(" - ") + kProduct);

        document->SetDirty(true);
        QCOMPARE(window.windowTitle(), name + QStringLiteral("* - ") + kProduct);
        QVERIFY(window.form().actionSave->isEnabled());
        document->SetDirty(false);
        QCOMPARE(window.windowTitle(), name + QStringLiteral(" - ") + kProduct);
        QVERIFY(!window.form().actionSave->isEnabled());
    }

    // The analysis screen's Close (its Previous button on the Lanes step) closes the capture.
    void closeFromTheAnalysisScreen()
    {
        TeskWindow window;
        QVERIFY(openCapture(mGel));
        QSignalSpy closed(app(), &TeskApp::imageClosed);
        emit window.analysisView()->closeImage();
        QCOMPARE(closed.size(), 1);
        QVERIFY(!TeskApp::currentDocument());
        QCOMPARE(window.currentPage(), int(TeskWindow::kPage_Menu));
        QCOMPARE(window.windowTitle(), kProduct);
        QCOMPARE(enabledActions(window), kNoDocumentActions);
    }

    // Closing while a reason is set (as at the start of an open) leaves the busy page in front.
    void closingWhileBusyKeepsTheBusyPage()
    {
        TeskWindow window;
        QVERIFY(openCapture(mGel));
        viewMode()->setBusy(KyViewMode::kBusy_Opening);
        QCOMPARE(window.currentPage(), int(TeskWindow::kPage_Busy));
        app()->closeDocument();
        QCOMPARE(window.currentPage(), int(TeskWindow::kPage_Busy));
        QCOMPARE(enabledActions(window), kNoDocumentActions);
        viewMode()->unsetBusy(KyViewMode::kBusy_Opening);
        QCOMPARE(window.currentPage(), int(TeskWindow::kPage_Analysis));
    }

    // The command line reaches the window through the application object's open request.
    void openRequestOfTheApplication()
    {
        TeskWindow window;
        QSignalSpy opened(app(), &TeskApp::imageOpened);
        emit app()->open(mGel);
        QVERIFY(opened.wait(20000));
        QCOMPARE(window.currentPage(), int(TeskWindow::kPage_Analysis));
        QVERIFY(TeskApp::currentDocument());
    }

    void printAndCopyOnlyOnTheAnalysisPage()
    {
        TeskWindow window;
        QVERIFY(openCapture(mGel));
        viewMode()->setViewMode(KyViewMode::kView_Save, true);
        QCOMPARE(window.currentPage(), int(TeskWindow::kPage_Save));
        QVERIFY(!window.form().actionPrint->isEnabled());
        // Copy stays enabled on the save page and does nothing there.
        QVERIFY(window.form().actionCopy->isEnabled());
        viewMode()->returnFromSave();
        QCOMPARE(window.currentPage(), int(TeskWindow::kPage_Analysis));
    }

    void exitButtonClosesTheWindow()
    {
        TeskWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseClick(window.form().exitButton, Qt::LeftButton);
        QTRY_VERIFY(!window.isVisible());
    }
};

KY_TEST_MAIN_WITH(TeskApp, TestTeskWindow)
#include "tst_teskwindow.moc"
