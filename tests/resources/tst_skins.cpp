#include "testmain.h"

#include "skinlist.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMargins>
#include <QMap>

namespace {

QList<SkinEntry> listedSkins()
{
    QList<SkinEntry> entries;
    QString error;
    if (!readSkinList(QStringLiteral(KY_SKIN_LIST), &entries, &error))
        qFatal("%s", qPrintable(error));
    return entries;
}

// The control an image belongs to: its folder and name without the state endings
// (":/KYParts/Resources/checkbox_on_pressed.png" belongs to ":/KYParts/Resources/checkbox").
QString controlOf(const QString &path)
{
    static const QStringList endings = {"_pressed", "_prossed", "_disabled", "_desabled", "_disable",
                                        "_normal",  "_inactive", "_active",  "_on",       "_off"};
    QString stem = QFileInfo(path).completeBaseName();
    bool stripped = true;
    while (stripped) {
        stripped = false;
        for (const QString &ending : endings) {
            if (stem.endsWith(ending)) {
                stem.chop(ending.size());
                stripped = true;
                break;
            }
        }
    }
    return path.section(QLatin1Char('/'), 0, -2) + QLatin1Char('/') + stem;
}

QImage load(const QString &path)
{
    return QImage(path).convertToFormat(QImage::Format_ARGB32);
}

// Mean lightness and saturation (0..255) of the visible pixels, weighted by their opacity.
struct Tone
{
    double lightness = 0;
    double saturation = 0;
};

Tone toneOf(const QImage &image)
{
    double weight = 0;
    Tone tone;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const double alpha = qAlpha(row[x]) / 255.0;
            if (alpha == 0)
                continue;
            const QColor colour = QColor::fromRgb(row[x]).toHsl();
            tone.lightness += alpha * colour.lightness();
            tone.saturation += alpha * colour.hslSaturation();
            weight += alpha;
        }
    }
    if (weight > 0) {
        tone.lightness /= weight;
        tone.saturation /= weight;
    }
    return tone;
}

bool hasVisiblePixel(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(row[x]) != 0)
                return true;
    }
    return false;
}

const char *const kWidgetSkins = ":/KYParts/Resources/";

} // namespace

class TestSkins : public QObject
{
    Q_OBJECT

private slots:
    // Every image the code loads exists with its size, and shows something: a missing or empty
    // resource would make its control invisible.
    void everyListedImageLoads_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        for (const SkinEntry &entry : listedSkins())
            QTest::newRow(qPrintable(entry.path)) << entry.path << entry.size;
    }
    void everyListedImageLoads()
    {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        const QImage image = load(path);
        QVERIFY2(!image.isNull(), qPrintable(path + " is not in the resources"));
        QCOMPARE(image.size(), size);
        QVERIFY2(hasVisiblePixel(image), qPrintable(path + " is fully transparent"));
    }

    // Tests and widgets tell which state image was drawn by its pixels: every two images of one
    // control must differ.
    void statesOfOneControlDiffer_data()
    {
        QTest::addColumn<QStringList>("paths");
        QMap<QString, QStringList> controls;
        for (const SkinEntry &entry : listedSkins()) {
            const QString name = QFileInfo(entry.path).completeBaseName();
            // The busy frames are one control: the spinner must visibly move from frame to frame.
            const QString control = name.startsWith(QLatin1String("icon_busy_"))
                                        ? QStringLiteral("icon_busy")
                                        : controlOf(entry.path);
            controls[control].append(entry.path);
        }
        int groups = 0;
        for (auto it = controls.cbegin(); it != controls.cend(); ++it) {
            if (it.value().size() < 2)
                continue;
            QTest::newRow(qPrintable(it.key())) << it.value();
            ++groups;
        }
        // The grouping itself must work, or this test would pass on nothing.
        QVERIFY(groups > 50);
    }
    void statesOfOneControlDiffer()
    {
        QFETCH(QStringList, paths);
        for (int i = 0; i < paths.size(); ++i)
            for (int j = i + 1; j < paths.size(); ++j)
                QVERIFY2(load(paths.at(i)) != load(paths.at(j)),
                         qPrintable(paths.at(i) + " and " + paths.at(j) + " are the same image"));
    }

    // Pressed skins are clearly darker than the normal ones; disabled ones clearly paler (a blue
    // or grey button) or greyer.
    void pressedIsDarkerDisabledIsPaler_data()
    {
        QTest::addColumn<QString>("normal");
        QTest::addColumn<QString>("pressed");
        QTest::addColumn<QString>("disabled");
        const QString parts = QString::fromLatin1(kWidgetSkins);
        for (const char *type : {"btn_gray", "btn_blue", "btn_white"})
            QTest::newRow(type) << parts + type + ".png" << parts + type + "_pressed.png"
                                << parts + type + "_disabled.png";
        QTest::newRow("picker button") << parts + "value_picker_vertical_btn_plus_normal.png"
                                       << parts + "value_picker_vertical_btn_plus_pressed.png"
                                       << parts + "value_picker_vertical_btn_plus_disable.png";
        QTest::newRow("drop-down") << parts + "dropdown.png" << parts + "dropdown_pressed.png"
                                   << parts + "dropdown_disabled.png";
        QTest::newRow("canvas arrow button") << parts + "btn_trp_on.png" << parts + "btn_trp_off.png" << QString();
        QTest::newRow("zoom icon") << ":/Kestova/Images/icon_trp_zoom_plus_L.png"
                                   << QString() << ":/Kestova/Images/icon_trp_zoom_plus_L_disable.png";
    }
    void pressedIsDarkerDisabledIsPaler()
    {
        QFETCH(QString, normal);
        QFETCH(QString, pressed);
        QFETCH(QString, disabled);
        const Tone normalTone = toneOf(load(normal));
        if (!pressed.isEmpty()) {
            const Tone pressedTone = toneOf(load(pressed));
            QVERIFY2(pressedTone.lightness < normalTone.lightness - 25,
                     qPrintable(QStringLiteral("pressed %1, normal %2")
                                    .arg(pressedTone.lightness)
                                    .arg(normalTone.lightness)));
        }
        if (disabled.isEmpty())
            return;
        const Tone disabledTone = toneOf(load(disabled));
        const bool paler = disabledTone.lightness > normalTone.lightness + 12;
        const bool greyer = disabledTone.saturation < normalTone.saturation - 40;
        QVERIFY2(paler || greyer || normalTone.lightness > 250,
                 qPrintable(QStringLiteral("disabled %1/%2, normal %3/%4")
                                .arg(disabledTone.lightness)
                                .arg(disabledTone.saturation)
                                .arg(normalTone.lightness)
                                .arg(normalTone.saturation)));
        if (normalTone.lightness > 250) // a white skin: its disabled look is greyer, not paler
            QVERIFY(disabledTone.lightness < normalTone.lightness);
    }

    // Menu icons: a disabled action shows its "inactive" image, which must read as faded grey
    // next to the coloured "active" one.
    void inactiveIconsAreFadedGrey_data()
    {
        QTest::addColumn<QString>("active");
        QTest::addColumn<QString>("inactive");
        for (const SkinEntry &entry : listedSkins()) {
            if (!entry.path.endsWith(QLatin1String("_active.png")))
                continue;
            QString inactive = entry.path;
            inactive.replace(QLatin1String("_active.png"), QLatin1String("_inactive.png"));
            QTest::newRow(qPrintable(entry.path)) << entry.path << inactive;
        }
    }
    void inactiveIconsAreFadedGrey()
    {
        QFETCH(QString, active);
        QFETCH(QString, inactive);
        const Tone on = toneOf(load(active));
        const Tone off = toneOf(load(inactive));
        QVERIFY2(off.saturation < on.saturation / 2, qPrintable(QStringLiteral("saturation %1 against %2")
                                                                    .arg(off.saturation)
                                                                    .arg(on.saturation)));
        QVERIFY(off.lightness > on.lightness);
    }

    // Nine-part skins stretch their edges and middle: for them to look the same at any size, the
    // columns between the left and right borders must be alike, and so must the rows between the
    // top and bottom borders. The borders are those the controls draw each skin with.
    void ninePartSkinsStretchCleanly_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QMargins>("borders"); // left, top, right, bottom
        const struct
        {
            const char *prefix;
            QMargins borders;
        } skins[] = {
            {":/KYParts/Resources/btn_gray", {10, 10, 10, 10}},
            {":/KYParts/Resources/btn_blue", {10, 10, 10, 10}},
            {":/KYParts/Resources/btn_white", {10, 10, 10, 10}},
            {":/KYParts/Resources/btn_grey_pressed", {20, 20, 20, 20}},
            {":/KYParts/Resources/btn_selection_", {5, 5, 5, 5}},
            {":/KYParts/Resources/menu_down.png", {10, 10, 10, 10}},
            {":/KYParts/Resources/menu_up.png", {10, 10, 10, 10}},
            {":/KYParts/Resources/tab_", {20, 20, 20, 20}},
            {":/KYParts/Resources/value_picker.png", {10, 10, 10, 10}},
            {":/KYParts/Resources/scroll_track", {10, 10, 10, 10}},
            {":/KYParts/Resources/scroll_slider", {10, 10, 10, 10}},
            {":/KYParts/Resources/textarea", {10, 10, 10, 10}},
            {":/KYParts/Resources/progressbar_", {10, 10, 10, 10}},
            {":/KYParts/Resources/message_box", {20, 60, 20, 20}},
            {":/KYParts/Resources/overlay_window.png", {19, 49, 19, 19}},
            {":/KYParts/Resources/back_busy", {10, 10, 10, 10}},
            {":/Kestova/Images/btn_trp", {10, 10, 10, 10}},
            {":/Kestova/Images/btn_toggle_white", {5, 5, 5, 5}},
            {":/Kestova/Images/btn_analysis_mode", {5, 5, 5, 5}},
            {":/Kestova/Images/btn_image_tool", {10, 10, 10, 20}},
            {":/Kestova/Images/frame2", {20, 20, 20, 20}},
            {":/Kestova/Images/frame_image.png", {30, 80, 30, 50}},
            {":/Kestova/Images/frame_image2", {10, 50, 10, 10}},
            {":/Kestova/Images/back_imageTool", {20, 80, 20, 20}},
            {":/Kestova/Images/back_analyzeMode", {10, 30, 10, 10}},
            {":/Kestova/Images/back_opening", {700, 590, 50, 5}},
        };
        int rows = 0;
        for (const SkinEntry &entry : listedSkins())
            for (const auto &skin : skins)
                if (entry.path.startsWith(QLatin1String(skin.prefix))) {
                    QTest::newRow(qPrintable(entry.path)) << entry.path << skin.borders;
                    ++rows;
                }
        QVERIFY(rows > 40);
    }
    void ninePartSkinsStretchCleanly()
    {
        QFETCH(QString, path);
        QFETCH(QMargins, borders);
        const QImage image = load(path);
        const int right = image.width() - borders.right();
        const int bottom = image.height() - borders.bottom();
        QVERIFY(borders.left() < right && borders.top() < bottom);
        for (int y = 0; y < image.height(); ++y) {
            const QRgb *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            for (int x = borders.left() + 1; x < right; ++x)
                QVERIFY2(row[x] == row[borders.left()],
                         qPrintable(QStringLiteral("column %1 differs at row %2").arg(x).arg(y)));
        }
        const QRgb *first = reinterpret_cast<const QRgb *>(image.constScanLine(borders.top()));
        for (int y = borders.top() + 1; y < bottom; ++y) {
            const QRgb *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                QVERIFY2(row[x] == first[x], qPrintable(QStringLiteral("row %1 differs at column %2").arg(y).arg(x)));
        }
    }

    // The veil over the screen behind an overlay is white at alpha 199 of 255 everywhere.
    void overlayCoverIsTranslucentWhite()
    {
        const QImage cover = load(QString::fromLatin1(kWidgetSkins) + "overlay_window_bg_cover.png");
        QCOMPARE(cover.size(), QSize(20, 20));
        for (int y = 0; y < cover.height(); ++y) {
            const QRgb *row = reinterpret_cast<const QRgb *>(cover.constScanLine(y));
            for (int x = 0; x < cover.width(); ++x)
                QCOMPARE(row[x], qRgba(255, 255, 255, 199));
        }
    }
};

KY_TEST_MAIN_WITH(QGuiApplication, TestSkins)
#include "tst_skins.moc"
