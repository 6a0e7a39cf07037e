#include "testmain.h"
#include "widgettest.h"

#include "widgets/kybutton.h"
#include "widgets/kyfonts.h"
#include "widgets/kytab.h"
#include "widgets/ninepartimage.h"

#include <QApplication>
#include <QPainter>
#include <QSignalSpy>

using kywidgettest::argb;
using kywidgettest::grabShown;
using kywidgettest::skinOnWindow;
using kywidgettest::windowMouse;

namespace {

const QStringList kThree{QStringLiteral("Blue"), QStringLiteral("Green"), QStringLiteral("Red")};

QList<int> tabLefts(const KyTab &bar)
{
    QList<int> lefts;
    for (KyButton *tab : bar.tabs())
        lefts << tab->x();
    return lefts;
}

QList<bool> checkedStates(const KyTab &bar)
{
    QList<bool> states;
    for (KyButton *tab : bar.tabs())
        states << tab->isChecked();
    return states;
}

// Where a tab's skin is opaque at the tab's size: there it hides what lies below.
QImage opaqueMask(const QString &skin)
{
    QImage out(56, 56, QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    drawNinePartImage(&painter, out.rect(), kywidgettest::skinImage(skin), 20, 20, 20, 20);
    return out;
}

} // namespace

class TestKyTab : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerFontSubstitutions(); }

    void freshBar()
    {
        KyTab bar;
        QCOMPARE(bar.type(), KyTab::kType_Top);
        QCOMPARE(bar.tagWidth(), 56);
        QCOMPARE(bar.tagHeight(), 56);
        QCOMPARE(bar.currentIndex(), -1);
        QVERIFY(bar.tabs().isEmpty());
    }

    void placesAndSkins_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QList<int>>("lefts");
        QTest::addColumn<QString>("off");
        QTest::addColumn<QString>("on");

        QTest::newRow("top") << int(KyTab::kType_Top) << QList<int>{10, 57, 104} << "tab_off.png" << "tab_on.png";
        QTest::newRow("bottom") << int(KyTab::kType_Bottom) << QList<int>{10, 57, 104} << "tab_secondary_off.png"
                                << "tab_secondary_on.png";
        QTest::newRow("top small") << int(KyTab::kType_Top_Small) << QList<int>{10, 56, 102} << "tab_small_off.png"
                                   << "tab_small_on.png";
        QTest::newRow("unknown type: no skin") << 7 << QList<int>{10, 57, 104} << "" << "";
    }

    void placesAndSkins()
    {
        QFETCH(int, type);
        QFETCH(QList<int>, lefts);
        QFETCH(QString, off);
        QFETCH(QString, on);

        KyTab bar;
        bar.resize(200, 60);
        bar.setType(KyTab::EType(type));
        // Titles without text, so the tabs show their skins alone.
        bar.setTitles({QString(), QStringLiteral(" "), QStringLiteral("  ")});
        bar.setCurrentIndex(1);
        grabShown(&bar);

        QCOMPARE(tabLefts(bar), lefts);
        for (KyButton *tab : bar.tabs())
            QCOMPARE(tab->geometry().size(), QSize(56, 56));
        const QList<KyButton *> tabs = bar.tabs();
        QCOMPARE(argb(tabs.at(0)->grab()), skinOnWindow(*tabs.at(0), off, 20, 20, 20, 20));
        QCOMPARE(argb(tabs.at(1)->grab()), skinOnWindow(*tabs.at(1), on, 20, 20, 20, 20));

        // The checked tab lies above both neighbours where they overlap.
        if (!on.isEmpty()) {
            const QImage whole = argb(bar.grab());
            const QImage middle = argb(tabs.at(1)->grab());
            const QImage opaque = opaqueMask(on);
            const int overlap = lefts.at(0) + 56 - lefts.at(1);
            int covered = 0;
            for (int y = 0; y < 56; ++y) {
                for (int dx = 0; dx < overlap; ++dx) {
                    for (int x : {dx, 56 - overlap + dx}) {
                        if (qAlpha(opaque.pixel(x, y)) < 255)
                            continue;
                        ++covered;
                        QCOMPARE(whole.pixel(lefts.at(1) + x, y), middle.pixel(x, y));
                    }
                }
            }
            QVERIFY(covered > overlap * 56);
        }
    }

    void titles()
    {
        KyTab bar;
        QSignalSpy changed(&bar, &KyTab::changed);
        bar.setTitles(kThree);
        QCOMPARE(bar.titles(), kThree);
        QCOMPARE(bar.currentIndex(), 0);
        QCOMPARE(checkedStates(bar), (QList<bool>{true, false, false}));
        QCOMPARE(bar.tabs().at(2)->text(), QStringLiteral("Red"));
        QCOMPARE(bar.tabs().at(2)->textColor(), KyLabel::kColor_Black);
        QCOMPARE(bar.tabs().at(2)->pressedTextColor(), KyLabel::kColor_Blue);

        bar.setCurrentIndex(2);
        const QList<KyButton *> before = bar.tabs();
        bar.setTitles(QStringList(kThree));
        QCOMPARE(bar.tabs(), before);
        QCOMPARE(bar.currentIndex(), 2);

        bar.setTitles({QStringLiteral("One"), QStringLiteral("Two")});
        QCOMPARE(bar.tabs().size(), 2);
        QCOMPARE(bar.currentIndex(), 0);
        QCOMPARE(checkedStates(bar), (QList<bool>{true, false}));
        QCOMPARE(changed.count(), 0);
    }

    void indexOutsideUnchecksAll()
    {
        KyTab bar;
        bar.setTitles(kThree);
        QSignalSpy changed(&bar, &KyTab::changed);
        bar.setCurrentIndex(3);
        QCOMPARE(checkedStates(bar), (QList<bool>{false, false, false}));
        bar.setCurrentIndex(-1);
        QCOMPARE(checkedStates(bar), (QList<bool>{false, false, false}));
        QCOMPARE(changed.count(), 0);
    }

    void clicks()
    {
        KyTab bar;
        bar.resize(200, 60);
        bar.setTitles(kThree);
        grabShown(&bar);
        QSignalSpy changed(&bar, &KyTab::changed);

        windowMouse(QTest::MouseClick, bar.tabs().at(2), Qt::LeftButton, QPoint(28, 28));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toInt(), 2);
        QCOMPARE(bar.currentIndex(), 2);
        QCOMPARE(checkedStates(bar), (QList<bool>{false, false, true}));

        // The checked tab again: it stays checked and reports itself again.
        windowMouse(QTest::MouseClick, bar.tabs().at(2), Qt::LeftButton, QPoint(28, 28));
        QCOMPARE(changed.count(), 2);
        QCOMPARE(changed.at(1).at(0).toInt(), 2);
        QCOMPARE(checkedStates(bar), (QList<bool>{false, false, true}));

        // Where tabs overlap, the one on top (the checked one) takes the click.
        windowMouse(QTest::MouseClick, &bar, Qt::LeftButton, QPoint(106, 28));
        QCOMPARE(changed.count(), 3);
        QCOMPARE(changed.at(2).at(0).toInt(), 2);
        windowMouse(QTest::MouseClick, &bar, Qt::LeftButton, QPoint(80, 28));
        QCOMPARE(changed.at(3).at(0).toInt(), 1);
    }

    void sizeChangeRebuilds()
    {
        KyTab bar;
        bar.setTitles(kThree);
        bar.setCurrentIndex(1);
        const QList<KyButton *> before = bar.tabs();
        bar.setTagWidth(56);
        bar.setTagHeight(56);
        QCOMPARE(bar.tabs(), before);

        bar.setTagWidth(80);
        QCOMPARE(tabLefts(bar), (QList<int>{10, 81, 152}));
        QCOMPARE(bar.tabs().at(0)->width(), 80);
        QCOMPARE(checkedStates(bar), (QList<bool>{false, false, false}));
        bar.setTagHeight(40);
        QCOMPARE(bar.tabs().at(0)->height(), 40);
        bar.setType(KyTab::kType_Top_Small);
        QCOMPARE(tabLefts(bar), (QList<int>{10, 80, 150}));
        QCOMPARE(checkedStates(bar), (QList<bool>{false, false, false}));
    }

    // Tabs built while the bar shows are shown too.
    void rebuiltWhileShown()
    {
        KyTab bar;
        bar.resize(200, 60);
        grabShown(&bar);
        bar.setTitles(kThree);
        for (KyButton *tab : bar.tabs())
            QVERIFY(tab->isVisible());
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyTab)
#include "tst_kytab.moc"
