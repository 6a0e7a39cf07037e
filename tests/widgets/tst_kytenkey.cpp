#include "testmain.h"
#include "widgettest.h"

#include "widgets/kybutton.h"
#include "widgets/kyfonts.h"
#include "widgets/kytenkey.h"

#include <QApplication>
#include <QGridLayout>
#include <QSignalSpy>

using kywidgettest::grabShown;
using kywidgettest::windowMouse;

namespace {

bool sameImage(const QPixmap &a, const QString &skin)
{
    return !a.isNull() && kywidgettest::argb(a) == kywidgettest::skinImage(skin);
}

} // namespace

class TestKyTenKey : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerFontSubstitutions(); }

    void keys_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("emitted");

        const QStringList digits{"1", "2", "3", "4", "5", "6", "7", "8", "9"};
        QTest::newRow("arrows (0)") << 0 << digits + QStringList{"", "0", ""}
                                    << digits + QStringList{"Left", "0", "Right"};
        QTest::newRow("edit (1)") << 1 << digits + QStringList{"Del", "0", "C"} << digits + QStringList{"Del", "0", "C"};
        QTest::newRow("edit (any other)") << -3 << digits + QStringList{"Del", "0", "C"}
                                          << digits + QStringList{"Del", "0", "C"};
    }

    // Each key's face and what a click on it reports.
    void keys()
    {
        QFETCH(int, type);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, emitted);

        KyTenKey pad;
        pad.resize(300, 240);
        pad.setType(type);
        grabShown(&pad);
        QSignalSpy input(&pad, &KyTenKey::input);
        const QList<KyButton *> keys = pad.keys();
        QCOMPARE(keys.size(), 12);
        QStringList shown;
        for (KyButton *key : keys) {
            shown << key->text();
            windowMouse(QTest::MouseClick, key, Qt::LeftButton, key->rect().center());
        }
        QCOMPARE(shown, texts);
        QStringList reported;
        for (const QList<QVariant> &args : input)
            reported << args.at(0).toString();
        QCOMPARE(reported, emitted);

        // Row-major order on the grid.
        auto *grid = qobject_cast<QGridLayout *>(pad.layout());
        for (int i = 0; i < 12; ++i)
            QCOMPARE(grid->itemAtPosition(i / 3, i % 3)->widget(), keys.at(i));
    }

    void switchingFaces()
    {
        KyTenKey pad;
        KyButton *left = pad.keys().at(9);
        KyButton *right = pad.keys().at(11);
        QVERIFY(sameImage(left->icon(), QStringLiteral("icon_keyboard_left.png")));
        QVERIFY(sameImage(left->pressedIcon(), QStringLiteral("icon_keyboard_left_pressed.png")));
        QVERIFY(sameImage(right->icon(), QStringLiteral("icon_keyboard_right.png")));
        QVERIFY(sameImage(right->pressedIcon(), QStringLiteral("icon_keyboard_right_pressed.png")));
        QVERIFY(pad.keys().at(10)->icon().isNull());

        pad.setType(1);
        QVERIFY(left->icon().isNull());
        QVERIFY(left->pressedIcon().isNull());
        QCOMPARE(left->text(), QStringLiteral("Del"));
        QCOMPARE(right->text(), QStringLiteral("C"));

        pad.setType(0);
        QCOMPARE(left->text(), QString());
        QCOMPARE(right->text(), QString());
        QVERIFY(sameImage(right->icon(), QStringLiteral("icon_keyboard_right.png")));

        // On screen the arrow key shows its icon and no text; the icon's own pixels are there.
        pad.resize(300, 240);
        const QImage shot = grabShown(&pad);
        QLabel *iconLabel = nullptr;
        for (QLabel *label : left->findChildren<QLabel *>()) {
            if (qobject_cast<KyLabel *>(label))
                QVERIFY(!label->isVisible());
            else
                iconLabel = label;
        }
        QVERIFY(iconLabel && iconLabel->isVisible());
        const QImage icon = kywidgettest::skinImage(QStringLiteral("icon_keyboard_left.png"));
        const QRect shown = QRect(iconLabel->mapTo(&pad, QPoint(0, 0)), iconLabel->size());
        const QPoint centred = shown.topLeft() + QPoint((shown.width() - 36) / 2, (shown.height() - 36) / 2);
        // Centring rounds either way by a pixel: the icon's opaque pixels show at one of the places.
        int opaque = 0;
        int same = 0;
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                int count = 0;
                int matched = 0;
                for (int y = 0; y < 36; ++y) {
                    for (int x = 0; x < 36; ++x) {
                        if (qAlpha(icon.pixel(x, y)) < 255)
                            continue;
                        ++count;
                        matched += shot.pixel(centred + QPoint(x + dx, y + dy)) == icon.pixel(x, y);
                    }
                }
                opaque = count;
                same = std::max(same, matched);
            }
        }
        QVERIFY(opaque > 20);
        QCOMPARE(same, opaque);
    }

    void keyWidth_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("margin");
        QTest::addColumn<int>("spacing");
        QTest::addColumn<int>("keyWidth");

        QTest::newRow("300, margins 9, spacing 6") << 300 << 9 << 6 << 90;
        QTest::newRow("rounded down") << 301 << 9 << 6 << 90;
        QTest::newRow("no margins") << 150 << 0 << 0 << 50;
        QTest::newRow("narrower than the margins") << 20 << 9 << 6 << 0;
    }

    void keyWidth()
    {
        QFETCH(int, width);
        QFETCH(int, margin);
        QFETCH(int, spacing);
        QFETCH(int, keyWidth);

        // Placed in a form: a window would hold the pad at its layout's minimum size.
        QWidget form;
        auto *pad = new KyTenKey(&form);
        auto *grid = qobject_cast<QGridLayout *>(pad->layout());
        grid->setContentsMargins(margin, 9, margin, 9);
        grid->setSpacing(spacing);
        pad->resize(width, 240);
        QCOMPARE(pad->width(), width);
        QResizeEvent resize(QSize(width, 240), QSize());
        QApplication::sendEvent(pad, &resize);
        for (KyButton *key : pad->keys()) {
            QCOMPARE(key->minimumWidth(), keyWidth);
            QCOMPARE(key->maximumWidth(), keyWidth);
            QCOMPARE(key->minimumHeight(), 45);
            QCOMPARE(key->maximumHeight(), 45);
        }
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyTenKey)
#include "tst_kytenkey.moc"
