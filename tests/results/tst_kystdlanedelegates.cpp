#include "testmain.h"

#include "results/kystdlaneedittabledelegate.h"
#include "results/kystdlaneviewdelegate.h"

#include <QApplication>
#include <QPainter>
#include <QStandardItemModel>
#include <QStyle>
#include <QTest>

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 40;

// The cell as the delegate paints it on white.
QImage paintCell(const QItemDelegate &inDelegate, const QModelIndex &inIndex)
{
    QImage image(kWidth, kHeight, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QStyleOptionViewItem option;
    option.rect = image.rect();
    option.state = QStyle::State_Enabled;
    option.font = QApplication::font();
    option.palette = QApplication::palette();
    option.decorationSize = QSize(32, 32);
    QPainter painter(&image);
    inDelegate.paint(&painter, option, inIndex);
    return image;
}

// The picture's opaque pixels at inAlignment in the cell (what lies under it may show through the
// rest).
bool showsPicture(const QImage &inCell, const QString &inPath, Qt::Alignment inAlignment)
{
    const QImage picture = QImage(inPath).convertToFormat(QImage::Format_ARGB32);
    if (picture.isNull())
        return false;
    const QRect where = QStyle::alignedRect(Qt::LeftToRight, inAlignment, picture.size(), inCell.rect());
    int opaque = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = picture.pixel(x, y);
            if (qAlpha(p) < 255)
                continue;
            ++opaque;
            if ((inCell.pixel(where.x() + x, where.y() + y) & 0xffffff) != (p & 0xffffff))
                return false;
        }
    }
    return opaque > 0;
}

// Columns holding a pixel clearly darker than white.
QPair<int, int> inkSpan(const QImage &inCell, int inFromX)
{
    int first = -1;
    int last = -1;
    for (int x = inFromX; x < inCell.width(); ++x) {
        for (int y = 0; y < inCell.height(); ++y) {
            if (qGray(inCell.pixel(x, y)) < 128) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
        }
    }
    return {first, last};
}

} // namespace

class TestKyStdLaneDelegates : public QObject
{
    Q_OBJECT

private slots:
    void editDelegateDeleteIcon_data();
    void editDelegateDeleteIcon();
    void editDelegateRightAlignsText();
    void viewDelegateCheckPicture_data();
    void viewDelegateCheckPicture();
};

void TestKyStdLaneDelegates::editDelegateDeleteIcon_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty cell") << QString();
    QTest::newRow("cell with text") << QStringLiteral("250");
}

void TestKyStdLaneDelegates::editDelegateDeleteIcon()
{
    QFETCH(QString, text);
    QStandardItemModel model(1, 3);
    model.setData(model.index(0, 2), text);
    KyStdLaneEditTableDelegate delegate;
    const QImage cell = paintCell(delegate, model.index(0, 2));
    QVERIFY(showsPicture(cell, QStringLiteral(":/Kestova/Images/icon_delete.png"), Qt::AlignLeft));
    // Column 1 carries no icon.
    QVERIFY(!showsPicture(paintCell(delegate, model.index(0, 1)), QStringLiteral(":/Kestova/Images/icon_delete.png"),
                          Qt::AlignLeft));
}

void TestKyStdLaneDelegates::editDelegateRightAlignsText()
{
    QStandardItemModel model(1, 3);
    model.setData(model.index(0, 0), QStringLiteral("1500"));
    KyStdLaneEditTableDelegate delegate;
    const QPair<int, int> span = inkSpan(paintCell(delegate, model.index(0, 0)), 0);
    QVERIFY(span.first > kWidth / 2);
    QVERIFY(span.second >= kWidth - 10);
}

void TestKyStdLaneDelegates::viewDelegateCheckPicture_data()
{
    QTest::addColumn<QVariant>("state");
    QTest::addColumn<QString>("picture");
    const QString on = QStringLiteral(":/KYParts/Resources/checkbox_on.png");
    const QString off = QStringLiteral(":/KYParts/Resources/checkbox_off.png");
    QTest::newRow("checked") << QVariant(int(Qt::Checked)) << on;
    QTest::newRow("partly checked") << QVariant(int(Qt::PartiallyChecked)) << on;
    QTest::newRow("unchecked") << QVariant(int(Qt::Unchecked)) << off;
    QTest::newRow("no check state") << QVariant() << off;
}

void TestKyStdLaneDelegates::viewDelegateCheckPicture()
{
    QFETCH(QVariant, state);
    QFETCH(QString, picture);
    QStandardItemModel model(1, 1);
    model.setData(model.index(0, 0), QStringLiteral("Lane 3"));
    if (state.isValid())
        model.setData(model.index(0, 0), state, Qt::CheckStateRole);
    KyStdLaneViewDelegate delegate;
    const QImage cell = paintCell(delegate, model.index(0, 0));
    QVERIFY(showsPicture(cell, picture, Qt::AlignLeft | Qt::AlignVCenter));
    const QString other = picture.endsWith(QStringLiteral("_on.png")) ? QStringLiteral(":/KYParts/Resources/checkbox_off.png")
                                                                    : QStringLiteral(":/KYParts/Resources/checkbox_on.png");
    QVERIFY(!showsPicture(cell, other, Qt::AlignLeft | Qt::AlignVCenter));
    // The text sits at the right, clear of the picture.
    const QPair<int, int> span = inkSpan(cell, 40);
    QVERIFY(span.first > kWidth / 2);
    QVERIFY(span.second >= kWidth - 10);
}

KY_TEST_MAIN_WITH(QApplication, TestKyStdLaneDelegates)
#include "tst_kystdlanedelegates.moc"
