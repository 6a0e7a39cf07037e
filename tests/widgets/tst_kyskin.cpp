#include "testmain.h"

#include "widgets/kyskin.h"

#include <QtConcurrent>

class TestKySkin : public QObject
{
    Q_OBJECT

private slots:
    // The picture Qt decodes from the path, decoded once: every later request shares its pixels.
    void decodedOnceAndShared_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("button skin") << QStringLiteral(":/KYParts/Resources/btn_blue_pressed.png");
        QTest::newRow("tab skin") << QStringLiteral(":/KYParts/Resources/tab_small_on.png");
        QTest::newRow("screen skin") << QStringLiteral(":/Kestova/Images/btn_analysis_mode.png");
    }

    void decodedOnceAndShared()
    {
        QFETCH(QString, path);
        const QImage first = KySkin::image(path);
        const QImage decoded(path);
        QVERIFY(!decoded.isNull());
        QCOMPARE(first.format(), decoded.format());
        QCOMPARE(first, decoded);
        QCOMPARE(KySkin::image(path).constBits(), first.constBits());
    }

    void missingPictureIsNull()
    {
        QVERIFY(KySkin::image(QStringLiteral(":/KYParts/Resources/no_such_skin.png")).isNull());
        QVERIFY(KySkin::image(QString()).isNull());
    }

    // Pool threads may ask at the same time as the GUI thread: all get the one decoded picture.
    void concurrentRequestsShareOnePicture()
    {
        const QString path = QStringLiteral(":/KYParts/Resources/progressbar_bar.png");
        const QList<int> requests(64, 0);
        const QList<const uchar *> bits = QtConcurrent::blockingMapped(requests, [&path](int) {
            return KySkin::image(path).constBits();
        });
        for (const uchar *b : bits)
            QCOMPARE(b, KySkin::image(path).constBits());
    }
};

KY_TEST_MAIN(TestKySkin)
#include "tst_kyskin.moc"
