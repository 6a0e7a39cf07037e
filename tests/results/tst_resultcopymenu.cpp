// The context menu of the result views (bar chart, profile graph): one "Copy" entry that copies the
// view's picture, and a window closed while the menu is open.

#include "contextmenuclose.h"
#include "testmain.h"

#include "results/kychartview.h"
#include "results/kyprofilegraphview.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QTimer>

namespace {

enum class ViewKind { Chart, Profile };

// A window holding one view of the kind; the view gets the context menu events (a chart view on
// its viewport).
struct ViewWindow
{
    QWidget *window = new QWidget;
    QWidget *view = nullptr;
    QWidget *receiver = nullptr;

    explicit ViewWindow(ViewKind inKind)
    {
        if (inKind == ViewKind::Chart) {
            auto *chart = new KyChartView(window);
            view = chart;
            receiver = chart->viewport();
        } else {
            view = new KyProfileGraphView(window);
            receiver = view;
        }
        view->resize(320, 200);
        window->resize(320, 200);
        window->show();
    }
};

} // namespace

class TestResultCopyMenu : public QObject
{
    Q_OBJECT

    static void addViewRows()
    {
        QTest::addColumn<ViewKind>("kind");
        QTest::newRow("bar chart") << ViewKind::Chart;
        QTest::newRow("profile graph") << ViewKind::Profile;
    }

private slots:
    // The menu offers "Copy" with its icon, and choosing it puts the view's picture on the clipboard.
    void copyEntry_data() { addViewRows(); }
    void copyEntry()
    {
        QFETCH(ViewKind, kind);
        ViewWindow shown(kind);
        std::unique_ptr<QWidget> owner(shown.window);
        QVERIFY(QTest::qWaitForWindowExposed(shown.window));
        QApplication::clipboard()->setText(QStringLiteral("before"));
        QStringList entries;
        QTimer::singleShot(0, [&entries] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu)
                return;
            for (QAction *action : menu->actions())
                entries << action->text() + (action->icon().isNull() ? QStringLiteral(" (no icon)") : QString());
            QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        const QPoint pos(40, 40);
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, shown.receiver->mapToGlobal(pos));
        QCoreApplication::sendEvent(shown.receiver, &event);
        QCOMPARE(entries, QStringList{QStringLiteral("Copy")});
        QCOMPARE(QApplication::clipboard()->image().size(), shown.view->size());
        QVERIFY(shown.view->findChildren<QMenu *>().isEmpty());
    }

    // The window goes while the menu is open: the menu goes with it, once, and nothing is copied.
    void deletedWhileMenuOpen_data() { addViewRows(); }
    void deletedWhileMenuOpen()
    {
        QFETCH(ViewKind, kind);
        ViewWindow shown(kind);
        QVERIFY(QTest::qWaitForWindowExposed(shown.window));
        QApplication::clipboard()->setText(QStringLiteral("before"));
        QVERIFY(kytest::deleteWhileContextMenuOpen(shown.receiver, shown.window, QPoint(40, 40)));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("before"));
    }
};

KY_TEST_MAIN_WITH(QApplication, TestResultCopyMenu)
#include "tst_resultcopymenu.moc"
