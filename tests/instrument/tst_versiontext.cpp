// Version text, product name, version-string look-up, executable path and light control words.

#include "testmain.h"

#include "instrument/versiontext.h"
#include "platform/executablefile.h"

namespace {

platform::VersionResource versionOf(quint16 inMajor, quint16 inMinor, quint16 inPatch, quint16 inTweak)
{
    platform::VersionResource data;
    data.productVersionMS = (quint32(inMajor) << 16) | inMinor;
    data.productVersionLS = (quint32(inPatch) << 16) | inTweak;
    return data;
}

using Table = QList<platform::VersionResource::Text>;

QString lookUp(const Table &inTable, quint32 inTranslation, int inSize, int *outResult)
{
    platform::VersionResource data;
    data.strings = inTable;
    std::vector<char16_t> buffer(std::max(inSize, 1), u'x');
    *outResult = queryVersionString(buffer.data(), inSize, data, inTranslation, QStringLiteral("ProductName"));
    return QString::fromUtf16(buffer.data());
}

} // namespace

Q_DECLARE_METATYPE(Table)

class TestVersionText : public QObject
{
    Q_OBJECT

private slots:
    void versionText_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("patch");
        QTest::addColumn<int>("tweak");
        QTest::addColumn<QString>("text");
        QTest::newRow("1.2.3.4") << 1 << 2 << 3 << 4 << "1.2.3";
        QTest::newRow("2.10.0.7") << 2 << 10 << 0 << 7 << "2.10.0";
        QTest::newRow("largest") << 65535 << 65535 << 65535 << 65535 << "65535.65535.65535";
        QTest::newRow("zero") << 0 << 0 << 0 << 0 << "0.0.0";
    }

    void versionText()
    {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, patch);
        QFETCH(int, tweak);
        QTEST(applicationVersionText(versionOf(major, minor, patch, tweak)), "text");
    }

    void withoutVersionData()
    {
        QCOMPARE(applicationVersionText(std::nullopt), QStringLiteral("noversion"));
        QCOMPARE(productNameText(std::nullopt), QStringLiteral("noname"));
        // Version data without a product name gives an empty name.
        QCOMPARE(productNameText(versionOf(1, 2, 3, 4)), QString());
    }

    void programVersionFromTheBuild()
    {
        QCOMPARE(applicationVersionText(), QStringLiteral(KY_EXPECTED_VERSION));
        QCOMPARE(productNameText(), QStringLiteral("Brevik Ziredo 410 Analysis Software"));
    }

    void lookUpOrder_data()
    {
        using T = platform::VersionResource::Text;
        const QString n = QStringLiteral("ProductName");
        QTest::addColumn<Table>("table");
        QTest::addColumn<quint32>("translation");
        QTest::addColumn<QString>("found");
        QTest::newRow("asked translation first")
            << Table{T{0x0000, 0x0000, n, "neutral"}, T{0x0411, 0x03A4, n, "asked"}} << 0x03A40411u << "asked";
        QTest::newRow("code page 0 before 0x04B0")
            << Table{T{0x0409, 0x04B0, n, "unicode"}, T{0x0409, 0x0000, n, "zero"}} << 0x0901u << "zero";
        QTest::newRow("0x04B0 before 0x03A4")
            << Table{T{0x0000, 0x03A4, n, "ansi"}, T{0x0409, 0x04B0, n, "unicode"}} << 0x0901u << "unicode";
        QTest::newRow("language 0 first")
            << Table{T{0x0409, 0x04B0, n, "english"}, T{0x0000, 0x04B0, n, "neutral"}} << 0x0901u << "neutral";
        QTest::newRow("then 0x0800")
            << Table{T{0x0409, 0x04B0, n, "english"}, T{0x0009, 0x04B0, n, "en"}, T{0x0800, 0x04B0, n, "system"}}
            << 0x0901u << "system";
        QTest::newRow("then 0x0009")
            << Table{T{0x0409, 0x04B0, n, "english"}, T{0x0009, 0x04B0, n, "en"}} << 0x0901u << "en";
        QTest::newRow("other languages are not tried")
            << Table{T{0x0411, 0x04B0, n, "japanese"}} << 0x0901u << "";
        QTest::newRow("other names are not taken")
            << Table{T{0x0409, 0x04B0, "ProductVersion", "1.0"}} << 0x0901u << "";
        QTest::newRow("name compares without case")
            << Table{T{0x0409, 0x04B0, "productname", "lower"}} << 0x0901u << "lower";
    }

    void lookUpOrder()
    {
        QFETCH(Table, table);
        QFETCH(quint32, translation);
        QFETCH(QString, found);
        int result = -1;
        QCOMPARE(lookUp(table, translation, 100, &result), found);
        QCOMPARE(result, found.isEmpty() ? 0 : 1);
    }

    void valueMustFitTheBuffer()
    {
        using T = platform::VersionResource::Text;
        const QString n = QStringLiteral("ProductName");
        int result = -1;
        QCOMPARE(lookUp({T{0x0409, 0x04B0, n, "abcde"}}, 0x0901, 6, &result), QStringLiteral("abcde"));
        QCOMPARE(result, 1);
        QCOMPARE(lookUp({T{0x0409, 0x04B0, n, "abcde"}}, 0x0901, 5, &result), QString());
        QCOMPARE(result, 0);
        // A string found for the asked translation that does not fit ends the look-up.
        QCOMPARE(lookUp({T{0x0901, 0x0000, n, "far too long"}, T{0x0000, 0x0000, n, "ok"}}, 0x0901, 5, &result),
                 QString());
        QCOMPARE(result, 0);
        // A name too long for the look-up's path finds nothing.
        platform::VersionResource data;
        const QString longName(300, QLatin1Char('N'));
        data.strings = {T{0x0409, 0x04B0, longName, "value"}};
        char16_t buffer[16] = {u'x'};
        QCOMPARE(queryVersionString(buffer, 16, data, 0x04B00409, longName), 0);
        QCOMPARE(buffer[0], u'\0');
        QCOMPARE(queryVersionString(nullptr, 0, data, 0x04B00409, longName), 0);
    }

    void executablePaths()
    {
        const QString path = executablePath();
        QCOMPARE(path, QCoreApplication::applicationFilePath());
        QVERIFY(!path.contains(QLatin1Char('\\')));
        QCOMPARE(QFileInfo(platform::currentExecutableFile()).canonicalFilePath(),
                 QFileInfo(path).canonicalFilePath());
    }

    void lightControlWords_data()
    {
        QTest::addColumn<uint>("index");
        QTest::addColumn<int>("word");
        const int words[] = {0x0000, 0x0004, 0x0002, 0x0001, 0x0200, 0x0020, 0x8002, 0x8001, 0x8000,
                             0x0040, 0x8010, 0x8008, 0x8004, 0x0000, 0x8080, 0x8040, 0x8020};
        for (uint i = 0; i < std::size(words); ++i)
            QTest::addRow("%u", i) << i << words[i];
        QTest::newRow("17") << 17u << 0;
        QTest::newRow("largest") << 0xFFFFFFFFu << 0;
    }

    void lightControlWords()
    {
        QFETCH(uint, index);
        QTEST(lightControlBits(index), "word");
    }
};

KY_TEST_MAIN(TestVersionText)
#include "tst_versiontext.moc"
