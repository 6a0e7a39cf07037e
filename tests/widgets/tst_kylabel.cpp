#include "testmain.h"
#include "widgettest.h"

#include "widgets/kyfonts.h"
#include "widgets/kylabel.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QSignalSpy>

using kywidgettest::grabShown;

namespace {

QColor textColour(const QWidget &w)
{
    return w.palette().color(QPalette::WindowText);
}

// A label whose text is solid blocks, so the painted text colour can be read from its pixels.
void makeBlockLabel(KyLabel &label)
{
    label.setText(QStringLiteral("\u2588\u2588\u2588"));
    label.setAutoFillBackground(true);
    QPalette pal = label.palette();
    pal.setColor(QPalette::Window, QColor(1, 2, 3));
    label.setPalette(pal);
    label.resize(120, 60);
}

} // namespace

class TestKyLabel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerFontSubstitutions(); }

    void fontTable_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("points");
        const int points[] = {16, 18, 24, 36, 48, 61, 14, 12, 10};
        for (int i = 0; i < 9; ++i)
            QTest::addRow("index %d", i) << i << points[i];
        QTest::newRow("negative index falls back to 0") << -1 << 16;
        QTest::newRow("index past the table falls back to 0") << 9 << 16;
    }
    void fontTable()
    {
        QFETCH(int, index);
        QFETCH(int, points);
        const QFont font = makeFont(index);
        QCOMPARE(font.family(), QStringLiteral("Arial"));
        QCOMPARE(font.pointSize(), points);
        QCOMPARE(font.weight(), QFont::Normal);
        QVERIFY(!font.italic());
    }

    void substitutesKeepRequestedNames()
    {
        registerFontSubstitutions(); // a second call changes nothing
        QCOMPARE(QFont::substitutes(QStringLiteral("Arial")),
                 QStringList({QStringLiteral("liberation sans"), QStringLiteral("dejavu sans")}));
        const QFont header = makeHeaderFont();
        QCOMPARE(header.family(), QStringLiteral("Tolvsans Pitch"));
        QCOMPARE(header.pointSize(), 18);
        QCOMPARE(QFontInfo(makeFont(0)).family(), QStringLiteral("Liberation Sans"));
        QCOMPARE(QFontInfo(header).family(), QStringLiteral("DejaVu Sans"));
    }

    void glyphsOfTheScreensAreFound_data()
    {
        QTest::addColumn<QFont>("font");
        QTest::newRow("Arial") << makeFont(0);
        QTest::newRow("header") << makeHeaderFont();
    }
    void glyphsOfTheScreensAreFound()
    {
        QFETCH(QFont, font);
        const QFontMetrics metrics(font);
        for (char32_t glyph : {U'\u25B2', U'\u25BC', U'\u00B0'})
            QVERIFY2(metrics.inFontUcs4(glyph), qPrintable(QString::number(uint(glyph), 16)));
    }

    void freshLabel()
    {
        KyLabel label;
        QCOMPARE(label.size(), KyLabel::kSize_Small);
        QCOMPARE(label.color(), KyLabel::kColor_Black);
        QVERIFY(!label.isTopHeader());
        QCOMPARE(label.font().family(), QStringLiteral("Arial"));
        QCOMPARE(label.font().pointSize(), 16);
        QCOMPARE(textColour(label), QColor(Qt::black));
        QCOMPARE(label.palette().color(QPalette::ButtonText), QColor(Qt::black));
        QCOMPARE(label.disabledColor(), QColor(Qt::gray));
        KyLabel withText(QStringLiteral("Lane"));
        QCOMPARE(withText.text(), QStringLiteral("Lane"));
        QCOMPARE(withText.font().pointSize(), 16);
    }

    void sizePresets_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("points");
        QTest::newRow("kSize_Small") << int(KyLabel::kSize_Small) << 16;
        QTest::newRow("kSize_Middle") << int(KyLabel::kSize_Middle) << 18;
        QTest::newRow("kSize_LargeSmall") << int(KyLabel::kSize_LargeSmall) << 24;
        QTest::newRow("kSize_Large") << int(KyLabel::kSize_Large) << 48;
        QTest::newRow("kSize_VerySmall") << int(KyLabel::kSize_VerySmall) << 10;
        QTest::newRow("kSize_MiddleSmall") << int(KyLabel::kSize_MiddleSmall) << 14;
        QTest::newRow("outside the enum") << 17 << 16;
    }
    void sizePresets()
    {
        QFETCH(int, size);
        QFETCH(int, points);
        KyLabel label;
        label.setSize(KyLabel::kSize_Large);
        label.setSize(KyLabel::ESize(size));
        QCOMPARE(label.font().pointSize(), points);
        QCOMPARE(label.font().family(), QStringLiteral("Arial"));
        // The form sets the preset by property name.
        KyLabel byName;
        QVERIFY(byName.setProperty("size", QVariant::fromValue(KyLabel::ESize(size))));
        QCOMPARE(int(byName.size()), size);
        QCOMPARE(byName.font().pointSize(), points);
    }

    void colourPresets_data()
    {
        QTest::addColumn<KyLabel::EColor>("preset");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("kColor_Black") << KyLabel::kColor_Black << QColor(0, 0, 0);
        QTest::newRow("kColor_White") << KyLabel::kColor_White << QColor(255, 255, 255);
        QTest::newRow("kColor_Gray") << KyLabel::kColor_Gray << QColor(160, 160, 164);
        QTest::newRow("kColor_Blue") << KyLabel::kColor_Blue << QColor(59, 115, 185);
        QTest::newRow("kColor_DarkGray") << KyLabel::kColor_DarkGray << QColor(13, 13, 13);
        QTest::newRow("kColor_LightGray") << KyLabel::kColor_LightGray << QColor(232, 232, 232);
    }
    void colourPresets()
    {
        QFETCH(KyLabel::EColor, preset);
        QFETCH(QColor, colour);
        QCOMPARE(kColorTable[preset], colour);
        KyLabel label;
        label.setColor(KyLabel::kColor_Blue == preset ? KyLabel::kColor_White : KyLabel::kColor_Blue);
        QVERIFY(label.setProperty("color", QVariant::fromValue(preset)));
        QCOMPARE(label.color(), preset);
        QCOMPARE(label.enabledColor(), colour);
        QCOMPARE(textColour(label), colour);
        label.setBackgroundColor(preset);
        QVERIFY(label.autoFillBackground());
        QCOMPARE(label.palette().color(QPalette::Window), colour);
    }

    void settingTheStoredColourDoesNothing()
    {
        KyLabel label;
        label.setEnabledColor(Qt::red);
        label.setColor(KyLabel::kColor_Black);
        QCOMPARE(label.enabledColor(), QColor(Qt::red));
        label.setColor(KyLabel::kColor_White);
        QCOMPARE(label.enabledColor(), QColor(Qt::white));
    }

    void enabledStateShowsAtNextPaint()
    {
        KyLabel label;
        makeBlockLabel(label);
        label.setSize(KyLabel::kSize_Large);
        label.setColor(KyLabel::kColor_Blue);
        QImage shot = grabShown(&label);
        QVERIFY(kywidgettest::colours(shot).contains(kColorTable[KyLabel::kColor_Blue].rgba()));

        label.setEnabled(false);
        shot = label.grab().toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(textColour(label), QColor(Qt::gray));
        QVERIFY(kywidgettest::colours(shot).contains(QColor(Qt::gray).rgba()));
        QVERIFY(!kywidgettest::colours(shot).contains(kColorTable[KyLabel::kColor_Blue].rgba()));

        label.setEnabled(true);
        label.grab();
        QCOMPARE(textColour(label), kColorTable[KyLabel::kColor_Blue]);

        label.setDisabledColor(Qt::red);
        label.setEnabled(false);
        label.grab();
        QCOMPARE(textColour(label), QColor(Qt::red));
    }

    void fontAndColourSetFromOutsideLastUntilPaint()
    {
        KyLabel label(QStringLiteral("Lane"));
        grabShown(&label);
        label.setFont(QFont(QStringLiteral("DejaVu Serif"), 30));
        QPalette pal = label.palette();
        pal.setColor(QPalette::WindowText, Qt::green);
        label.setPalette(pal);
        label.grab();
        QCOMPARE(label.font().family(), QStringLiteral("Arial"));
        QCOMPARE(label.font().pointSize(), 16);
        QCOMPARE(textColour(label), QColor(Qt::black));
    }

    void headerStyle()
    {
        KyLabel label(QStringLiteral("Lane Creation"));
        label.setIsTopHeader(true);
        QVERIFY(label.isTopHeader());
        QCOMPARE(label.color(), KyLabel::kColor_Blue);
        QCOMPARE(label.size(), KyLabel::kSize_Middle);
        QCOMPARE(label.font().family(), QStringLiteral("Tolvsans Pitch"));
        QCOMPARE(label.font().pointSize(), 18);
        QCOMPARE(textColour(label), QColor(59, 115, 185));

        // A size preset set later does not change the header face.
        label.setSize(KyLabel::kSize_Large);
        grabShown(&label);
        QCOMPARE(label.font().family(), QStringLiteral("Tolvsans Pitch"));
        QCOMPARE(label.font().pointSize(), 18);

        // Off again: Arial at the preset then set, still blue.
        label.setSize(KyLabel::kSize_Middle);
        label.setTopHeader(false);
        QVERIFY(!label.property("isTopHeader").toBool());
        QCOMPARE(label.font().family(), QStringLiteral("Arial"));
        QCOMPARE(label.font().pointSize(), 18);
        QCOMPARE(textColour(label), QColor(59, 115, 185));
    }

    void releaseOfAnyButtonClicks_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::newRow("left") << Qt::LeftButton;
        QTest::newRow("right") << Qt::RightButton;
        QTest::newRow("middle") << Qt::MiddleButton;
    }
    void releaseOfAnyButtonClicks()
    {
        QFETCH(Qt::MouseButton, button);
        KyLabel label(QStringLiteral("Exposure times"));
        QSignalSpy clicked(&label, &KyLabel::clicked);
        QTest::mouseClick(&label, button);
        QCOMPARE(clicked.count(), 1);
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyLabel)
#include "tst_kylabel.moc"
