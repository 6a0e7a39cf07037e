#include "testmain.h"

#include "analysisview/kyanalysisview.h"

#include <QApplication>

namespace {

// Qt reports a by-name slot whose object or signal it cannot find only as a warning.
QStringList gWarnings;
QtMessageHandler gPreviousHandler = nullptr;

void collectWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg || type == QtCriticalMsg)
        gWarnings.append(message);
    gPreviousHandler(type, context, message);
}

} // namespace

class TestKyAnalysisView : public QObject
{
    Q_OBJECT

private slots:
    void everySlotFindsItsSignal()
    {
        gWarnings.clear();
        gPreviousHandler = qInstallMessageHandler(collectWarnings);
        {
            KyAnalysisView view;
        }
        qInstallMessageHandler(gPreviousHandler);
        QCOMPARE(gWarnings.filter(QStringLiteral("No matching signal")), QStringList());
    }

    void withoutDocumentTheScreenIsDisabled()
    {
        KyAnalysisView view;
        QVERIFY(!view.isEnabled());
        QCOMPARE(view.mode(), int(KyAnalysisView::kMode_other));
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyAnalysisView)
#include "tst_kyanalysisview.moc"
