// Image information: the page texts of a capture's images, on captures written by the sample tool
// and opened as the program opens them, with their metadata items set per case.

#include "testmain.h"

#include "app/kyhelp.h"
#include "app/kyimageinformation.h"
#include "document/kydocument.h"
#include "document/kymultidocument.h"
#include "image/imagefile.h"
#include "samplecapturewriter.h"

#include <QApplication>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

namespace {

using Tags = QMap<QString, QString>;

void setTags(ImageFile *ioImage, const Tags &inTags)
{
    for (auto it = inTags.begin(); it != inTags.end(); ++it)
        ioImage->SetTag(it.key(), it.value());
}

// The items every case starts from; a case overrides some of them.
const Tags kPlainItems{
    {"Comment", ""},
    {"Light", "Chemi"},
    {"Filter", "None"},
    {"Exposure time", "10 s"},
    {"Sum", "No"},
    {"Exposure mode", "Standard"},
    {"Binning", "2x2"},
    {"Zoom", "1.0"},
    {"Date time", "2024:03:15 10:22:31"},
};

} // namespace

Q_DECLARE_METATYPE(Tags)

class TestKyImageInformation : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir mFolder;
    QString mGel;
    QString mMarker;
    QString mFluor;

    std::unique_ptr<KyDocument> open(const QString &inFolder)
    {
        std::unique_ptr<KyDocument> document(KyDocument::Create(inFolder));
        if (!document)
            qWarning("cannot open %s", qPrintable(inFolder));
        return document;
    }

    // A copy of the fluorescence capture keeping only the channel files named.
    QString fluorWith(const QString &inName, const QStringList &inChannels)
    {
        const QString folder = mFolder.filePath(inName);
        QDir().mkpath(folder);
        const QDir source(mFluor);
        for (const QString &file : source.entryList(QDir::Files)) {
            const bool channelFile = file.endsWith(QLatin1String(".tif"));
            bool keep = !channelFile;
            for (const QString &channel : inChannels)
                keep = keep || file.endsWith(QStringLiteral("-%1.tif").arg(channel));
            if (keep)
                QFile::copy(source.filePath(file), folder + QLatin1Char('/') + file);
        }
        return folder;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(mFolder.isValid());
        SampleCaptureWriter writer(64, 96, 3);
        mGel = writer.Write(QStringLiteral("gel"), mFolder.filePath(QStringLiteral("gel")));
        mMarker = writer.Write(QStringLiteral("marker"), mFolder.filePath(QStringLiteral("marker")));
        mFluor = writer.Write(QStringLiteral("fluor"), mFolder.filePath(QStringLiteral("fluor")));
        QVERIFY2(!mGel.isEmpty() && !mMarker.isEmpty() && !mFluor.isEmpty(), qPrintable(writer.ErrorText()));
    }

    void noDocument()
    {
        QCOMPARE(KyImageInformation::Pages(nullptr), QStringList());
        QWidget *shown = nullptr;
        QTimer::singleShot(0, [&shown] { shown = QApplication::activeModalWidget(); });
        QWidget window;
        KyImageInformation::Show(&window, nullptr);
        QTest::qWait(20);
        QVERIFY(!shown);
    }

    void dateText_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("full") << "2014:05:06 10:11:12" << "2014/05/06 10:11:12";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("year only stays") << "2014" << "2014";
        QTest::newRow("shorter than the first mark") << "201" << "201";
        QTest::newRow("reaches the first mark") << "2014:" << "2014/";
        QTest::newRow("year and month") << "2014:05" << "2014/05";
        QTest::newRow("reaches the second mark") << "2014:05:" << "2014/05/";
        QTest::newRow("date only") << "2014:05:06" << "2014/05/06";
        QTest::newRow("other separators replaced too") << "2014-05-06" << "2014/05/06";
    }

    void dateText()
    {
        QFETCH(QString, stored);
        QTEST(KyImageInformation::DateText(stored), "shown");
    }

    // One chemiluminescence image: the whole page text for each case of the items.
    void singleImagePage_data()
    {
        QTest::addColumn<Tags>("items");
        QTest::addColumn<QString>("filePath");
        QTest::addColumn<QString>("page");

        const QString path = QStringLiteral("/captures/Chemi 2024/Chemi 2024_Ch.tif");
        const auto page = [](const QString &inFile, const QString &inRows) {
            return QStringLiteral("File name\t%1\n\t\n").arg(inFile) + inRows;
        };
        const QString tail = QStringLiteral("Filter\tNone\nExposure time\t10 s\nExposure mode\tStandard\n"
                                            "Date & time\t2024/03/15 10:22:31\n");
        const QString method = QStringLiteral("Method\tChemiluminescence\n");

        QTest::newRow("plain") << kPlainItems << path
                               << page("Chemi 2024_Ch", method + QStringLiteral("Light\tChemi\n") + tail);
        Tags comment = kPlainItems;
        comment["Comment"] = "Blot 7, 1:5000";
        QTest::newRow("comment") << comment << path
                                 << page("Chemi 2024_Ch", QStringLiteral("Comment\tBlot 7, 1:5000\n") + method
                                                              + QStringLiteral("Light\tChemi\n") + tail);
        Tags light = kPlainItems;
        light["Light"] = "Epi-White-UV";
        QTest::newRow("light: before the first hyphen")
            << light << path << page("Chemi 2024_Ch", method + QStringLiteral("Light\tEpi\n") + tail);
        light["Light"] = "Trans White";
        QTest::newRow("light without hyphen")
            << light << path << page("Chemi 2024_Ch", method + QStringLiteral("Light\tTrans White\n") + tail);
        light["Light"] = "-UV";
        QTest::newRow("light starting with a hyphen")
            << light << path << page("Chemi 2024_Ch", method + QStringLiteral("Light\t\n") + tail);

        const QString head = method + QStringLiteral("Light\tChemi\nFilter\tNone\n");
        const QString after = QStringLiteral("Exposure mode\tStandard\nDate & time\t2024/03/15 10:22:31\n");
        for (const char *sum : {"Yes", "4", "no "}) {
            Tags summed = kPlainItems;
            summed["Sum"] = QString::fromLatin1(sum);
            QTest::addRow("sum %s", sum) << summed << path
                                         << page("Chemi 2024_Ch", head + QStringLiteral("Exposure time\t10 s\n\t (%1)\n")
                                                                             .arg(QString::fromLatin1(sum))
                                                                      + after);
        }
        for (const char *sum : {"No", "NO", "no", ""}) {
            Tags plain = kPlainItems;
            plain["Sum"] = QString::fromLatin1(sum);
            QTest::addRow("no sum '%s'", sum)
                << plain << path << page("Chemi 2024_Ch", head + QStringLiteral("Exposure time\t10 s\n") + after);
        }

        const QString beforeMode = head + QStringLiteral("Exposure time\t10 s\n");
        const QString date = QStringLiteral("Date & time\t2024/03/15 10:22:31\n");
        for (const char *mode : {"Advanced", "advanced", "ADVANCED"}) {
            Tags advanced = kPlainItems;
            advanced["Exposure mode"] = QString::fromLatin1(mode);
            QTest::addRow("binning note, mode %s", mode)
                << advanced << path
                << page("Chemi 2024_Ch", beforeMode
                                             + QStringLiteral("Exposure mode\t%1,\n\t 2x2, 1.0\n").arg(QString::fromLatin1(mode))
                                             + date);
        }
        for (const char *mode : {"Advanced mode", "Advance", " Advanced"}) {
            Tags other = kPlainItems;
            other["Exposure mode"] = QString::fromLatin1(mode);
            QTest::addRow("no binning note, mode '%s'", mode)
                << other << path
                << page("Chemi 2024_Ch",
                        beforeMode + QStringLiteral("Exposure mode\t%1\n").arg(QString::fromLatin1(mode)) + date);
        }

        const QString dateHead = beforeMode + QStringLiteral("Exposure mode\tStandard\n");
        const struct
        {
            const char *stored;
            const char *shown;
        } dates[] = {{"2014", "2014"}, {"", ""}, {"2014:05", "2014/05"}};
        for (const auto &d : dates) {
            Tags dated = kPlainItems;
            dated["Date time"] = QString::fromLatin1(d.stored);
            QTest::addRow("date '%s'", d.stored)
                << dated << path
                << page("Chemi 2024_Ch",
                        dateHead + QStringLiteral("Date & time\t%1\n").arg(QString::fromLatin1(d.shown)));
        }

        const QString rows = method + QStringLiteral("Light\tChemi\n") + tail;
        QTest::newRow("file name with several dots") << kPlainItems << "/c/a.b.c.tif" << page("a.b.c", rows);
        QTest::newRow("file name without a dot") << kPlainItems << "/c/noextension" << page("", rows);
        QTest::newRow("file name without a folder") << kPlainItems << "plain.tif" << page("plain", rows);
        QTest::newRow("no file path") << kPlainItems << "" << page("", rows);
        QTest::newRow("a dot in the folder only") << kPlainItems << "/c.d/name" << page("", rows);

        // Missing items read as empty values; their rows stay (the comment's alone goes).
        QTest::newRow("items missing") << Tags{} << path
                                       << page("Chemi 2024_Ch", method + QStringLiteral("Light\t\nFilter\t\nExposure time\t\n"
                                                                                        "Exposure mode\t\nDate & time\t\n"));
    }

    void singleImagePage()
    {
        QFETCH(Tags, items);
        QFETCH(QString, filePath);
        std::unique_ptr<KyDocument> document = open(mGel);
        QVERIFY(document);
        QCOMPARE(document->ImageCount(), 1);
        ImageFile *image = document->Image(0);
        for (const QString &key : kPlainItems.keys())
            image->RemoveTag(key);
        setTags(image, items);
        image->SetTag(QStringLiteral("File path"), filePath);
        QFETCH(QString, page);
        QCOMPARE(KyImageInformation::Pages(document.get()), QStringList{page});
    }

    // The page of the image and that of its marker: both "Method" rows, the marker's with
    // "Marker" and never a binning note.
    void markerPages()
    {
        std::unique_ptr<KyDocument> document = open(mMarker);
        QVERIFY(document);
        QCOMPARE(document->ImageCount(), 2);
        for (int i = 0; i < 2; ++i) {
            ImageFile *image = document->Image(i);
            QVERIFY(image && !image->IsNull());
            for (const QString &key : kPlainItems.keys())
                image->RemoveTag(key);
            setTags(image, kPlainItems);
            setTags(image, {{"Exposure mode", "Advanced"}, {"Binning", "4x4"}, {"Zoom", "2.0"}});
            image->SetTag(QStringLiteral("File path"), QStringLiteral("/c/image%1.tif").arg(i));
        }
        const QString rest = QStringLiteral("Light\tChemi\nFilter\tNone\nExposure time\t10 s\n");
        const QString date = QStringLiteral("Date & time\t2024/03/15 10:22:31\n");
        const QStringList expected{
            QStringLiteral("File name\timage0\n\t\nMethod\tChemiluminescence\n") + rest
                + QStringLiteral("Exposure mode\tAdvanced,\n\t 4x4, 2.0\n") + date,
            QStringLiteral("File name\timage1\n\t\nMethod\tMarker\n") + rest + QStringLiteral("Exposure mode\tAdvanced\n")
                + date,
        };
        QCOMPARE(KyImageInformation::Pages(document.get()), expected);
    }

    // Pages for loaded channels only; one loaded channel counts as a single image.
    void channelPages_data()
    {
        QTest::addColumn<QStringList>("channels");
        QTest::addColumn<QStringList>("rows"); // the channel row of each page
        QTest::newRow("three") << QStringList{"Blue", "Green", "Red"}
                               << QStringList{"Channel\tBlue", "Channel\tGreen", "Channel\tRed"};
        QTest::newRow("two, the middle slot empty") << QStringList{"Blue", "Red"}
                                                    << QStringList{"Channel\tBlue", "Channel\tRed"};
        QTest::newRow("one: a single image") << QStringList{"Green"} << QStringList{"Method\tGreen"};
    }

    void channelPages()
    {
        QFETCH(QStringList, channels);
        QFETCH(QStringList, rows);
        // The three-channel kind itself: a folder of one channel file alone would open as a
        // single-image capture.
        auto document = std::make_unique<KyMultiDocument>(
            fluorWith(QString::number(channels.size()) + QLatin1Char('c'), channels));
        QCOMPARE(document->ImageCount(), 3);
        QStringList gotRows;
        const QStringList pages = KyImageInformation::Pages(document.get());
        for (const QString &page : pages) {
            const QStringList lines = page.split(QLatin1Char('\n'));
            // File name, spacer, comment, then the channel or method row.
            QVERIFY(lines.size() > 3);
            QVERIFY(lines[0].startsWith(QLatin1String("File name\t")));
            QCOMPARE(lines[1], QStringLiteral("\t"));
            QVERIFY(lines[2].startsWith(QLatin1String("Comment\tSynthetic fluorescent blot")));
            gotRows << lines[3];
        }
        QCOMPARE(gotRows, rows);
    }

    // The command shows the pages as table pages titled "Image information", and leaves no box.
    void showsTablePages()
    {
        std::unique_ptr<KyDocument> document = open(mMarker);
        QVERIFY(document);
        QWidget window;
        window.resize(900, 700);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QString title, counter, firstKey;
        QTimer::singleShot(0, [&] {
            QWidget *box = QApplication::activeModalWidget();
            if (!box)
                return;
            title = box->findChild<QLabel *>(QStringLiteral("titleLabel"))->text();
            counter = box->findChild<QLabel *>(QStringLiteral("pageLabel"))->text();
            QWidget *page = box->findChild<QStackedWidget *>(QStringLiteral("stackedWidget"))->currentWidget();
            if (auto *form = qobject_cast<QFormLayout *>(page->layout()))
                firstKey = qobject_cast<QLabel *>(form->itemAt(0, QFormLayout::LabelRole)->widget())->text();
            qobject_cast<QDialog *>(box)->accept();
        });
        KyImageInformation::Show(&window, document.get());
        QCOMPARE(title, QStringLiteral("Image information"));
        QCOMPARE(counter, QStringLiteral("1/2"));
        QCOMPARE(firstKey, QStringLiteral("File name"));
        QVERIFY(window.findChildren<QDialog *>().isEmpty());
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyImageInformation)
#include "tst_kyimageinformation.moc"
