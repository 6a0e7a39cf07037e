// The image description text: built from an image's items and display range, split back into items.

#include "testmain.h"

#include "image/imagedescription.h"
#include "image/imagefile.h"

namespace {

// Every key in the order of the text, with whether it is written when empty.
const QList<QPair<QString, bool>> &allKeys()
{
    static const QList<QPair<QString, bool>> keys = {
        {"Comment", true},        {"Method", true},         {"Light", true},         {"Filter", true},
        {"Tray position", true},  {"Exposure time", true},  {"Channel", false},      {"Date time", true},
        {"Temperature", true},    {"Door status", true},    {"Binning", true},       {"Software", true},
        {"Serial number", true},  {"Instrument", true},     {"Darkframe", true},     {"Dark offset", true},
        {"Spotting", true},       {"Flatframe", true},      {"Distortion", true},    {"Invert", true},
        {"OD parameter", true},   {"Expand", true},         {"Image split", true},   {"Range low", true},
        {"Range high", true},     {"Exposure mode", false}, {"Zoom", false},         {"Sum", false},
        {"Lane", false},          {"Band", false},          {"Background", false},   {"MWStandardLane", false},
        {"MWStandard", false},    {"Median", false},        {"Averaging", false},
    };
    return keys;
}

QString itemsText(const ImageTagList &inItems)
{
    QStringList parts;
    for (const ImageTag &item : inItems)
        parts << item.key + QLatin1Char('|') + item.value;
    return parts.join(QLatin1String(" ; "));
}

} // namespace

class TestImageDescription : public QObject
{
    Q_OBJECT

private slots:
    // A new image writes exactly the lines that are always written: empty values, and the display
    // range of a new image.
    void emptyImage()
    {
        const ImageFile image;
        QString expected;
        for (const auto &[key, always] : allKeys()) {
            if (!always)
                continue;
            QString value;
            if (key == QLatin1String("Range low"))
                value = QStringLiteral("1000");
            else if (key == QLatin1String("Range high"))
                value = QStringLiteral("65535");
            expected += key + QLatin1String(" = ") + value + QLatin1String("\r\n");
        }
        const QString text = buildImageDescription(image);
        QCOMPARE(text, expected);
        QCOMPARE(text.count(QLatin1String("\r\n")), 24);
    }

    // Every key of the table, in its order; keys outside the table are not written; the range
    // lines come from the display range, not from the items of the same name.
    void fullImage()
    {
        ImageFile image;
        ImageTagList items;
        // Inserted in reverse so that the order of the text cannot come from the order of the items.
        for (qsizetype i = allKeys().size() - 1; i >= 0; --i)
            items << ImageTag{allKeys().at(i).first, QStringLiteral("v%1").arg(i)};
        items << ImageTag{"Pixel size", "40.4"} << ImageTag{"Grayscale", "Positive"}
              << ImageTag{"File path", "/a/b.tif"} << ImageTag{"Image description", "x = y"}
              << ImageTag{"Melanie", "0"} << ImageTag{"OD calibration", "od"} << ImageTag{"Foreign", "f"};
        image.SetTags(items);
        image.SetRangeLow(12);
        image.SetRangeHigh(3456);
        image.SetTag(QStringLiteral("Range low"), QStringLiteral("999"));

        QString expected;
        for (qsizetype i = 0; i < allKeys().size(); ++i) {
            const QString &key = allKeys().at(i).first;
            QString value = QStringLiteral("v%1").arg(i);
            if (key == QLatin1String("Range low"))
                value = QStringLiteral("12");
            else if (key == QLatin1String("Range high"))
                value = QStringLiteral("3456");
            expected += key + QLatin1String(" = ") + value + QLatin1String("\r\n");
        }
        QCOMPARE(buildImageDescription(image), expected);
    }

    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("items");
        QTest::newRow("empty text") << "" << "";
        QTest::newRow("only line feeds") << "\n\n\n" << "";
        QTest::newRow("key and value") << "Method = Chemi\r\n" << "Method|Chemi";
        QTest::newRow("inner runs simplified") << "Comment =  a \t  b\t\r\nLight=\tc  d \r\n"
                                               << "Comment|a b ; Light|c d";
        QTest::newRow("equals in the value") << "Lane = a=b = c\r\n" << "Lane|a=b = c";
        QTest::newRow("plain first line is the comment")
            << "just a note \r\nMethod = m\r\nComment = second\r\n"
            << "Comment|just a note \r ; Method|m ; Comment|second";
        QTest::newRow("plain first line without line end") << "just a note" << "Comment|just a note";
        QTest::newRow("two line feeds add nothing") << "A = 1\n\nB = 2\n" << "A|1 ; B|2";
        QTest::newRow("empty line with carriage return") << "A = 1\r\n\r\nB = 2\r\n" << "A|1 ; | ; B|2";
        QTest::newRow("lone carriage return first") << "\r\nA = 1\r\n" << "Comment|\r ; A|1";
        QTest::newRow("line without equals later") << "A = 1\r\n  loose   words \r\n" << "A|1 ; loose words|";
        QTest::newRow("empty key and value") << "=\r\n = \r\n" << "| ; |";
        QTest::newRow("foreign keys kept") << "Foreign key = x\r\n" << "Foreign key|x";
    }

    // Items are appended after what the list already holds, in line order.
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(QString, items);
        ImageTagList list{{"Before", "kept"}};
        QVERIFY(parseImageDescription(text, list));
        QCOMPARE(list.first(), (ImageTag{"Before", "kept"}));
        list.removeFirst();
        QCOMPARE(itemsText(list), items);
    }

    // Built text read back gives the same values, single-spaced and trimmed.
    void roundTrip()
    {
        ImageFile image;
        image.SetTag(QStringLiteral("Comment"), QStringLiteral("  two   words\there  "));
        image.SetTag(QStringLiteral("Lane"), QStringLiteral("4,0.5,1,2,3,4,5,6,7,8"));
        image.SetTag(QStringLiteral("Band"), QStringLiteral("a=1;b=2"));
        image.SetRangeLow(0);
        ImageTagList items;
        QVERIFY(parseImageDescription(buildImageDescription(image), items));
        QCOMPARE(items.size(), 26);
        QCOMPARE(items.at(0), (ImageTag{"Comment", "two words here"}));
        QCOMPARE(items.at(22), (ImageTag{"Range low", "0"}));
        QCOMPARE(items.at(23), (ImageTag{"Range high", "65535"}));
        QCOMPARE(items.at(24), (ImageTag{"Lane", "4,0.5,1,2,3,4,5,6,7,8"}));
        QCOMPARE(items.at(25), (ImageTag{"Band", "a=1;b=2"}));
    }

    void lineBreaks_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("CR LF") << "first\r\nsecond" << "first second";
        QTest::newRow("LF") << "first\nMethod = forged" << "first Method = forged";
        QTest::newRow("CR") << "first\rsecond" << "first second";
        QTest::newRow("trailing LF") << "first\n" << "first";
        QTest::newRow("leading LF") << "\nfirst" << "first";
        QTest::newRow("zero character") << QStringLiteral("first") + QChar(0) + QStringLiteral("second")
                                        << "first second";
    }

    // A multi-line value stays one item: no extra items, no forged keys, nothing after it lost.
    void lineBreaks()
    {
        QFETCH(QString, value);
        for (const char *key : {"Comment", "Band"}) {
            ImageFile image;
            image.SetTag(QLatin1String(key), value);
            image.SetTag(QStringLiteral("Method"), QStringLiteral("m"));
            const QString text = buildImageDescription(image);
            ImageTagList items;
            parseImageDescription(text, items);
            QCOMPARE(items.size(), QLatin1String(key) == QLatin1String("Band") ? 25 : 24);
            const auto found = std::find_if(items.cbegin(), items.cend(),
                                            [&](const ImageTag &t) { return t.key == QLatin1String(key); });
            QVERIFY(found != items.cend());
            QTEST(found->value, "readBack");
            QCOMPARE(items.at(1), (ImageTag{"Method", "m"}));
            QCOMPARE(items.last().key, QLatin1String(key) == QLatin1String("Band") ? QStringLiteral("Band")
                                                                                  : QStringLiteral("Range high"));
        }
    }
};

KY_TEST_MAIN(TestImageDescription)
#include "tst_imagedescription.moc"
