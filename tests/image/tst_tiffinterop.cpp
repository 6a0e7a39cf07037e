// The codec against independent TIFF implementations: libtiff's tools and tifffile read what the
// codec writes; files they write in the accepted form open, and every other form is refused.

#include "testmain.h"
#include "tifftestfiles.h"

#include "image/imagefile.h"
#include "image/tiffcodec.h"

#include <QProcess>
#include <QTemporaryDir>

using namespace tifftest;

namespace {

using Run = kytest::ProgramRun;

Run run(const QString &inProgram, const QStringList &inArguments)
{
    return kytest::runCaptured(inProgram, inArguments);
}

const QString kPython = QStringLiteral("/usr/bin/python3");

QString oracle()
{
    return kytest::sourceDir() + QStringLiteral("/tests/image/tifforacle.py");
}

} // namespace

class TestTiffInterop : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;

    QString path(const QString &name) const { return dir.filePath(name); }

    // Writes a patterned w x h image through tifffile and then through each tiffcp pass in turn;
    // returns the last file and the pixels it was made from.
    QString foreignFile(int w, int h, const QStringList &writeOptions, const QStringList &passes, QByteArray &outPixels)
    {
        ImageFile source;
        fillPattern(source, w, h);
        outPixels = pixelBytes(source);
        if (!writeBytes(path("source.raw"), outPixels))
            return QString();
        QString file = path("foreign0.tif");
        const Run written = run(kPython, QStringList{oracle(), "write", path("source.raw"), QString::number(w),
                                                     QString::number(h), file} + writeOptions);
        if (written.exitCode != 0) {
            qWarning("%s", qPrintable(written.err));
            return QString();
        }
        int i = 0;
        for (const QString &pass : passes) {
            const QString next = path(QStringLiteral("foreign%1.tif").arg(++i));
            const Run copied = run(QStringLiteral("tiffcp"), pass.split(QLatin1Char(' ')) + QStringList{file, next});
            if (copied.exitCode != 0) {
                qWarning("%s", qPrintable(copied.err));
                return QString();
            }
            file = next;
        }
        return file;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QVERIFY2(QFile::exists(kPython), "Debian's python3 with tifffile is needed");
        QCOMPARE(run(kPython, {"-c", "import tifffile"}).exitCode, 0);
        QCOMPARE(run(QStringLiteral("tiffinfo"), {"-h"}).exitCode >= 0, true);
    }

    void ourFiles_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("negative");
        QTest::addColumn<QString>("pixelSize");
        QTest::addColumn<QString>("calibration");
        QTest::newRow("2 x 3 positive with block") << 2 << 3 << false << "40.4" << "0.1,0.2 calibration";
        QTest::newRow("37 x 23 negative") << 37 << 23 << true << "6.45" << "";
        QTest::newRow("1 x 1 without pixel size") << 1 << 1 << true << "" << "od";
        QTest::newRow("640 x 480") << 640 << 480 << false << "79.9" << "";
    }

    // Files we write pass tiffinfo and tiffdump, read back equal through tifffile, and come back
    // equal after libtiff has copied them.
    void ourFiles()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, negative);
        QFETCH(QString, pixelSize);
        QFETCH(QString, calibration);
        ImageFile image;
        fillPattern(image, width, height);
        image.SetNegative(negative);
        image.SetComment(QStringLiteral("interop"));
        if (!pixelSize.isEmpty())
            image.SetTag(QStringLiteral("Pixel size"), pixelSize);
        if (!calibration.isEmpty())
            image.SetTag(QStringLiteral("OD calibration"), calibration);
        QVERIFY(ImageFile::Save(path("ours.tif"), image));
        const QString file = path("ours.tif");

        const Run info = run(QStringLiteral("tiffinfo"), {file});
        QCOMPARE(info.exitCode, 0);
        for (const QString &line : info.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            QVERIFY2(line.contains(QLatin1String("Unknown field with tag 36864")), qPrintable(line));
        QVERIFY(info.out.contains(QStringLiteral("Image Width: %1 Image Length: %2").arg(width).arg(height)));
        QVERIFY(info.out.contains(QLatin1String("Bits/Sample: 16")));
        QVERIFY(info.out.contains(QLatin1String("Compression Scheme: None")));
        QVERIFY(info.out.contains(negative ? QLatin1String("min-is-white") : QLatin1String("min-is-black")));
        QVERIFY(info.out.contains(QStringLiteral("Rows/Strip: %1").arg(height)));
        QVERIFY(info.out.contains(QLatin1String("pixels/cm")));

        const Run dump = run(QStringLiteral("tiffdump"), {file});
        QCOMPARE(dump.exitCode, 0);
        QVERIFY(dump.out.contains(QLatin1String("Magic: 0x4949 <little-endian> Version: 0x2a")));
        QVERIFY(dump.out.contains(QStringLiteral("Directory 0: offset %1").arg(8 + width * height * 2)));
        QVERIFY(dump.out.contains(QStringLiteral("ImageWidth (256) LONG (4) 1<%1>").arg(width)));
        QVERIFY(dump.out.contains(QStringLiteral("StripByteCounts (279) LONG (4) 1<%1>").arg(width * height * 2)));
        QVERIFY(dump.out.contains(QLatin1String("Model (272) ASCII (2) 18<Brevik Ziredo 410\\0>")));

        const Run read = run(kPython, {oracle(), "read", file, path("ours.raw")});
        QCOMPARE(read.exitCode, 0);
        QCOMPARE(read.out.trimmed(), QStringLiteral("%1 %2 uint16 %3").arg(width).arg(height).arg(negative ? 0 : 1));
        QCOMPARE(fileBytes(path("ours.raw")), pixelBytes(image));

        const Run copied = run(QStringLiteral("tiffcp"), {"-c", "none", "-r", QString::number(height), file, path("copied.tif")});
        QCOMPARE(copied.exitCode, 0);
        ImageFile back;
        QVERIFY(readTiffFile(path("copied.tif"), back));
        QCOMPARE(pixelBytes(back), pixelBytes(image));
        QCOMPARE(back.IsNegative(), negative);
        QCOMPARE(back.Comment(), QStringLiteral("interop"));
    }

    void foreignAccepted_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QStringList>("writeOptions");
        QTest::addColumn<QStringList>("passes");
        QTest::addColumn<bool>("negative");
        const QStringList description{"--description", "Comment = interop\r\nRange low = 11\r\nRange high = 22222"};
        QTest::newRow("tifffile 2 x 3") << 2 << 3 << description << QStringList() << false;
        QTest::newRow("tifffile 64 x 48 min-is-white")
            << 64 << 48 << description + QStringList{"--photometric", "miniswhite"} << QStringList() << true;
        QTest::newRow("tiffcp from big-endian")
            << 64 << 48 << description + QStringList{"--byteorder", ">"} << QStringList{"-L -c none -r 48"} << false;
        QTest::newRow("tiffcp from several strips")
            << 64 << 48 << description + QStringList{"--rowsperstrip", "5"} << QStringList{"-c none -r 48"} << false;
        QTest::newRow("tiffcp from LZW")
            << 33 << 7 << description << QStringList{"-c lzw -r 2", "-c none -r 7"} << false;
    }

    // One strip, 16 bits, little-endian, uncompressed, centimetre unit: pixels, pixel size,
    // polarity and the description's items come through.
    void foreignAccepted()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QStringList, writeOptions);
        QFETCH(QStringList, passes);
        QFETCH(bool, negative);
        QByteArray pixels;
        const QString file = foreignFile(width, height, writeOptions, passes, pixels);
        QVERIFY(!file.isEmpty());
        ImageFile image;
        QVERIFY(readTiffFile(file, image));
        QCOMPARE(image.Width(), width);
        QCOMPARE(image.Height(), height);
        QCOMPARE(pixelBytes(image), pixels);
        QCOMPARE(image.Tag(QStringLiteral("Pixel size")), QStringLiteral("40.4"));
        QCOMPARE(image.IsNegative(), negative);
        QCOMPARE(image.Comment(), QStringLiteral("interop"));
        QCOMPARE(image.RangeLow(), quint16(11));
        QCOMPARE(image.RangeHigh(), quint16(22222));
    }

    // A private block written by tifffile, with lists of numbers and values in the entry and out
    // of it: every value comes back in the item, and the file we save holds the same entries
    // value for value, byte for byte, as tifffile's.
    void privateBlockValuesKept()
    {
        const QByteArray block = tifftest::block({
            Entry{100, 3, 3, u16(11) + u16(22) + u16(33)},
            Entry{101, 3, 2, u16(7) + u16(65535)},
            Entry{102, 4, 3, u32(1) + u32(0xFFFFFFFF) + u32(0x80000000)},
            Entry{103, 5, 2, u32(1) + u32(3) + u32(404) + u32(100000)},
            Entry{104, 4, 1, u32(5)},
            Entry{13, 7, 5, "hello"},
        });
        QVERIFY(writeBytes(path("block.bin"), block));
        QVERIFY(writeBytes(path("block.raw"), QByteArray(12, '\1')));
        const Run written = run(kPython, {oracle(), "write", path("block.raw"), "2", "3", path("block.tif"), "--block",
                                          path("block.bin")});
        QVERIFY2(written.exitCode == 0, qPrintable(written.err));

        ImageFile image;
        QVERIFY(readTiffFile(path("block.tif"), image));
        QCOMPARE(image.Tag(QStringLiteral("Melanie")),
                 QStringLiteral("6,100,3,3,'11 22 33',101,3,2,'7 65535',102,4,3,'1 -1 -2147483648',"
                                "103,5,2,'1/3 404/100000',104,4,1,'5',13,7,5,'hello'"));
        QVERIFY(ImageFile::Save(path("saved.tif"), image));

        const Run theirs = run(kPython, {oracle(), "block", path("block.tif")});
        const Run ours = run(kPython, {oracle(), "block", path("saved.tif")});
        QVERIFY2(theirs.exitCode == 0 && ours.exitCode == 0, qPrintable(theirs.err + ours.err));
        QCOMPARE(theirs.out, QStringLiteral("100 3 3 0b0016002100\n101 3 2 0700ffff\n102 4 3 01000000ffffffff00000080\n"
                                            "103 5 2 010000000300000094010000a0860100\n104 4 1 05000000\n"
                                            "13 7 5 68656c6c6f\n"));
        QCOMPARE(ours.out, theirs.out);
    }

    void foreignRefused_data()
    {
        QTest::addColumn<QStringList>("writeOptions");
        QTest::addColumn<QStringList>("passes");
        QTest::newRow("tifffile 8 bits") << QStringList{"--bits", "8"} << QStringList();
        QTest::newRow("tifffile big-endian") << QStringList{"--byteorder", ">"} << QStringList();
        QTest::newRow("tifffile several strips") << QStringList{"--rowsperstrip", "4"} << QStringList();
        QTest::newRow("tifffile unit inch") << QStringList{"--unit", "inch"} << QStringList();
        QTest::newRow("tifffile no unit") << QStringList{"--unit", "none"} << QStringList();
        QTest::newRow("tiffcp LZW") << QStringList() << QStringList{"-c lzw -r 12"};
        QTest::newRow("tiffcp deflate") << QStringList() << QStringList{"-c zip -r 12"};
        QTest::newRow("tiffcp PackBits") << QStringList() << QStringList{"-c packbits -r 12"};
        QTest::newRow("tiffcp big-endian") << QStringList() << QStringList{"-B -c none -r 12"};
        QTest::newRow("tiffcp several strips") << QStringList() << QStringList{"-c none -r 3"};
        QTest::newRow("tiffcp tiles") << QStringList() << QStringList{"-c none -t -w 16 -l 16"};
    }

    // Every other form is refused by both readers, leaving the image and the map as they were.
    void foreignRefused()
    {
        QFETCH(QStringList, writeOptions);
        QFETCH(QStringList, passes);
        QByteArray pixels;
        const QString file = foreignFile(20, 12, writeOptions, passes, pixels);
        QVERIFY(!file.isEmpty());

        QMap<QString, QString> map{{"Comment", "kept"}};
        QVERIFY(!readTiffTags(file, map));
        QCOMPARE(map, (QMap<QString, QString>{{"Comment", "kept"}}));
        ImageFile image;
        fillPattern(image, 3, 3);
        image.SetComment(QStringLiteral("kept"));
        const ImageTagList tags = image.Tags();
        const QByteArray before = pixelBytes(image);
        QVERIFY(!readTiffFile(file, image));
        QCOMPARE(image.Tags(), tags);
        QCOMPARE(pixelBytes(image), before);
    }
};

KY_TEST_MAIN(TestTiffInterop)
#include "tst_tiffinterop.moc"
