#include "testmain.h"

#include "core/kyviewmode.h"

#include <QSignalSpy>

namespace {

// A fresh object per row: the process-wide one carries its history from test to test.
class FreshViewMode : public KyViewMode
{
public:
    FreshViewMode() = default;
    ~FreshViewMode() override = default;
};

} // namespace

class TestKyViewMode : public QObject
{
    Q_OBJECT

private slots:
    void sequences_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QList<int>>("modeSignals");
        QTest::addColumn<int>("busySignals");
        QTest::addColumn<int>("resetSignals");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("recent");
        QTest::addColumn<int>("lastMain");
        QTest::addColumn<int>("sleepReturn");
        QTest::addColumn<int>("saveReturn");
        QTest::addColumn<bool>("busy");

        const QStringList none;
        QTest::newRow("initial state") << none << QList<int>{} << 0 << 0 << 0 << false << 1 << 1 << 9 << false;
        QTest::newRow("library-recent becomes library")
            << QStringList{"set 9", "set 3"} << QList<int>{9, 2} << 0 << 0 << 2 << true << 3 << 1 << 9 << false;
        QTest::newRow("library-recent twice emits twice")
            << QStringList{"set 9", "set 3", "set 3"} << QList<int>{9, 2, 2} << 0 << 0 << 2 << true << 3 << 1 << 9 << false;
        // Library after library-recent is a repeat of the stored mode: nothing changes.
        QTest::newRow("library after library-recent is a repeat")
            << QStringList{"set 3", "set 2"} << QList<int>{2} << 0 << 0 << 2 << true << 3 << 1 << 9 << false;
        QTest::newRow("another mode clears recent")
            << QStringList{"set 3", "set 9"} << QList<int>{2, 9} << 0 << 0 << 9 << false << 3 << 1 << 9 << false;
        QTest::newRow("repeated mode is silent")
            << QStringList{"set 12", "set 12"} << QList<int>{12} << 0 << 0 << 12 << false << 1 << 1 << 9 << false;
        QTest::newRow("forced repeat emits")
            << QStringList{"set 12", "force 12"} << QList<int>{12, 12} << 0 << 0 << 12 << false << 1 << 1 << 9 << false;
        QTest::newRow("exposing always emits")
            << QStringList{"set 6", "set 6"} << QList<int>{6, 6} << 0 << 0 << 6 << false << 1 << 1 << 9 << false;
        QTest::newRow("capture is the last main mode")
            << QStringList{"set 1"} << QList<int>{1} << 0 << 0 << 1 << false << 1 << 1 << 9 << false;
        QTest::newRow("sleep from exposing returns to capture")
            << QStringList{"set 6", "set 18", "sleep"} << QList<int>{6, 18, 1} << 0 << 0 << 1 << false << 1 << 1 << 9 << false;
        QTest::newRow("sleep from pre-exposing returns to capture")
            << QStringList{"set 5", "set 18"} << QList<int>{5, 18} << 0 << 0 << 18 << false << 1 << 1 << 9 << false;
        QTest::newRow("sleep from summary returns to summary")
            << QStringList{"set 15", "set 18", "sleep"} << QList<int>{15, 18, 15} << 0 << 0 << 15 << false << 1 << 15 << 9 << false;
        QTest::newRow("save from summary returns to summary")
            << QStringList{"set 15", "set 16", "save"} << QList<int>{15, 16, 15} << 0 << 0 << 15 << false << 1 << 1 << 15 << false;
        QTest::newRow("return from save without a save goes to image")
            << QStringList{"save"} << QList<int>{9} << 0 << 0 << 9 << false << 1 << 1 << 9 << false;
        QTest::newRow("return to the current mode is silent")
            << QStringList{"set 9", "save"} << QList<int>{9} << 0 << 0 << 9 << false << 1 << 1 << 9 << false;
        QTest::newRow("mode out of range is ignored")
            << QStringList{"set 9", "set 21", "set -1"} << QList<int>{9} << 0 << 0 << 9 << false << 1 << 1 << 9 << false;
        QTest::newRow("busy twice, unset once")
            << QStringList{"busy 9", "busy 9", "unbusy 9"} << QList<int>{} << 2 << 1 << 0 << false << 1 << 1 << 9 << false;
        QTest::newRow("unset an absent reason")
            << QStringList{"busy 12", "unbusy 19"} << QList<int>{} << 1 << 0 << 0 << false << 1 << 1 << 9 << true;
        QTest::newRow("unset with nothing set")
            << QStringList{"unbusy 19"} << QList<int>{} << 0 << 0 << 0 << false << 1 << 1 << 9 << false;
        QTest::newRow("two reasons, reset after the last")
            << QStringList{"busy 11", "busy 12", "unbusy 11", "unbusy 12"} << QList<int>{} << 2 << 1 << 0 << false << 1 << 1 << 9 << false;
        QTest::newRow("park and restore")
            << QStringList{"busy 2", "park", "restore"} << QList<int>{} << 2 << 1 << 0 << false << 1 << 1 << 9 << true;
        QTest::newRow("restore with nothing parked")
            << QStringList{"restore"} << QList<int>{} << 0 << 0 << 0 << false << 1 << 1 << 9 << false;
    }

    void sequences()
    {
        QFETCH(QStringList, steps);
        QFETCH(QList<int>, modeSignals);
        QFETCH(int, busySignals);
        QFETCH(int, resetSignals);

        FreshViewMode vm;
        QSignalSpy modeSpy(&vm, &KyViewMode::viewModeChanged);
        QSignalSpy busySpy(&vm, &KyViewMode::toBusyView);
        QSignalSpy resetSpy(&vm, &KyViewMode::resetBusyView);

        for (const QString &step : steps) {
            const QStringList words = step.split(QLatin1Char(' '));
            const int n = words.value(1).toInt();
            if (words[0] == QLatin1String("set")) {
                if (n < 0 || n > 20)
                    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("is not a view mode")));
                vm.setViewMode(KyViewMode::EViewMode(n));
            } else if (words[0] == QLatin1String("force")) {
                vm.setViewMode(KyViewMode::EViewMode(n), true);
            } else if (words[0] == QLatin1String("sleep")) {
                vm.returnFromSleep();
            } else if (words[0] == QLatin1String("save")) {
                vm.returnFromSave();
            } else if (words[0] == QLatin1String("busy")) {
                vm.setBusy(KyViewMode::EBusyReason(n));
            } else if (words[0] == QLatin1String("unbusy")) {
                vm.unsetBusy(KyViewMode::EBusyReason(n));
            } else if (words[0] == QLatin1String("park")) {
                vm.parkBusy();
            } else if (words[0] == QLatin1String("restore")) {
                vm.restoreBusy();
            } else {
                QFAIL(qPrintable(step));
            }
        }

        QList<int> emitted;
        for (const QList<QVariant> &args : modeSpy)
            emitted << args.at(0).value<KyViewMode::EViewMode>();
        QCOMPARE(emitted, modeSignals);
        QCOMPARE(busySpy.size(), busySignals);
        QCOMPARE(resetSpy.size(), resetSignals);
        QTEST(int(vm.viewMode()), "mode");
        QTEST(vm.isRecent(), "recent");
        QTEST(vm.lastMain(), "lastMain");
        QTEST(vm.sleepReturn(), "sleepReturn");
        QTEST(vm.saveReturn(), "saveReturn");
        QTEST(vm.isBusy(), "busy");
    }

    void busyGuardHoldsItsReason()
    {
        KyViewMode *vm = KyViewMode::instance();
        QSignalSpy resetSpy(vm, &KyViewMode::resetBusyView);
        {
            KyViewMode::BusyGuard guard(KyViewMode::kBusy_ImageJob);
            QVERIFY(vm->isBusy());
            QVERIFY(vm->busyReasons().contains(KyViewMode::kBusy_ImageJob));
        }
        QVERIFY(!vm->isBusy());
        QCOMPARE(resetSpy.size(), 1);
    }

    void hideBusyViewCallsTheInstalledHider()
    {
        KyViewMode::hideBusyView(); // nothing installed: nothing happens
        static int calls = 0;
        KyViewMode::setBusyViewHider([] { ++calls; });
        KyViewMode::hideBusyView();
        KyViewMode::setBusyViewHider(nullptr);
        KyViewMode::hideBusyView();
        QCOMPARE(calls, 1);
    }
};

KY_TEST_MAIN(TestKyViewMode)
#include "tst_kyviewmode.moc"
