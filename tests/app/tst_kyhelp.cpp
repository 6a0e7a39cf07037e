// Help pages: the pages of a topic in the help folder, the paged box that shows them, the table
// page, copying, and that no box outlives its call.

#include "systemsetting.h"
#include "testmain.h"

#include "app/kyhelp.h"
#include "widgets/kybutton.h"
#include "widgets/kylabel.h"
#include "widgets/kymessagebox.h"
#include "widgets/kytextedit.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFontMetrics>
#include <QFormLayout>
#include <QImage>
#include <QLabel>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

namespace {

using Files = QMap<QString, QByteArray>;

QByteArray pngBytes(const QSize &inSize, const QColor &inColor)
{
    QImage image(inSize, QImage::Format_RGB32);
    image.fill(inColor);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Runs the action on the modal box once its loop runs; a box the action leaves open is closed
// after a while so that a failed check cannot hang the test.
void whenBoxShows(const std::function<void(KyMessageBox *)> &inAction)
{
    QTimer::singleShot(0, [inAction] {
        auto *box = qobject_cast<KyMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            qWarning("no box is showing");
            return;
        }
        QTimer::singleShot(5000, box, [box] {
            qWarning("box left open by the test: closing it");
            box->done(-1);
        });
        inAction(box);
    });
}

template <typename T>
T *part(QWidget *inBox, const char *inName)
{
    return inBox->findChild<T *>(QLatin1String(inName));
}

QStackedWidget *content(QWidget *inBox)
{
    return part<QStackedWidget>(inBox, "stackedWidget");
}

void closeBox(QWidget *inBox)
{
    part<KyButton>(inBox, "acceptButton2")->click();
}

// The rows of a table page: key text, value text and the fixed height of both labels.
struct Row
{
    QString key;
    QString value;
    int height;
};

QList<Row> rowsOf(QWidget *inPage)
{
    QList<Row> rows;
    auto *form = qobject_cast<QFormLayout *>(inPage->layout());
    if (!form)
        return rows;
    for (int r = 0; r < form->rowCount(); ++r) {
        auto *key = qobject_cast<QLabel *>(form->itemAt(r, QFormLayout::LabelRole)->widget());
        auto *value = qobject_cast<QLabel *>(form->itemAt(r, QFormLayout::FieldRole)->widget());
        if (!key || !value || key->minimumHeight() != key->maximumHeight()
            || value->minimumHeight() != value->maximumHeight() || key->maximumHeight() != value->maximumHeight()) {
            qWarning("row %d is not two labels of one fixed height", r);
            return {};
        }
        rows.append({key->text(), value->text(), key->maximumHeight()});
    }
    return rows;
}

} // namespace

Q_DECLARE_METATYPE(Files)

class TestKyHelp : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir mFolder;
    QWidget mWindow;

    // Replaces the help folder's contents with the files.
    void writeHelp(const Files &inFiles)
    {
        QDir dir(mFolder.path());
        for (const QString &name : dir.entryList(QDir::Files))
            dir.remove(name);
        for (auto it = inFiles.begin(); it != inFiles.end(); ++it)
            kytest::writeFile(mFolder.filePath(it.key()), it.value());
    }

    QList<KyMessageBox *> boxes() const { return mWindow.findChildren<KyMessageBox *>(); }

private slots:
    void initTestCase()
    {
        QVERIFY(mFolder.isValid());
        // The setting is a plain prefix: it ends with the separator.
        kytest::setSystemSetting(QStringLiteral("HelpFolderPath"), mFolder.path() + QLatin1Char('/'));
        QCOMPARE(KyHelp::HelpFolder(), mFolder.path() + QLatin1Char('/'));
        mWindow.resize(900, 700);
        mWindow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mWindow));
    }

    void defaultFolderBesideTheProgram()
    {
        kytest::setSystemSetting(QStringLiteral("HelpFolderPath"), QVariant());
        QCOMPARE(KyHelp::HelpFolder(), QCoreApplication::applicationDirPath() + QStringLiteral("/Data/Help/"));
        kytest::setSystemSetting(QStringLiteral("HelpFolderPath"), mFolder.path() + QLatin1Char('/'));
    }

    void topicPages_data()
    {
        QTest::addColumn<Files>("files");
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QList<int>>("kinds");
        QTest::addColumn<QStringList>("texts"); // the text pages' contents, in order

        const QByteArray png = pngBytes(QSize(12, 8), Qt::red);
        QTest::newRow("html and picture, the gap ends the topic")
            << Files{{"lane1.html", "<p>one</p>"}, {"lane2.png", png}, {"lane4.txt", "never read"}}
            << "lane" << QList<int>{1, 0} << QStringList{"<p>one</p>"};
        QTest::newRow("htm found when there is no html")
            << Files{{"bg1.htm", "<b>bg</b>"}} << "bg" << QList<int>{1} << QStringList{"<b>bg</b>"};
        QTest::newRow("html before htm")
            << Files{{"bg1.html", "long"}, {"bg1.htm", "short"}} << "bg" << QList<int>{1} << QStringList{"long"};
        QTest::newRow("html before picture and text")
            << Files{{"x1.html", "h"}, {"x1.png", png}, {"x1.txt", "t"}} << "x" << QList<int>{1} << QStringList{"h"};
        QTest::newRow("picture before text")
            << Files{{"x1.png", png}, {"x1.txt", "t"}} << "x" << QList<int>{0} << QStringList{};
        QTest::newRow("text when nothing else")
            << Files{{"bg1.txt", "plain\ntext"}} << "bg" << QList<int>{2} << QStringList{"plain\ntext"};
        QTest::newRow("empty html falls through to the picture")
            << Files{{"y1.html", ""}, {"y1.png", png}} << "y" << QList<int>{0} << QStringList{};
        QTest::newRow("unreadable picture falls through to the text")
            << Files{{"z1.png", "not a picture"}, {"z1.txt", "t"}} << "z" << QList<int>{2} << QStringList{"t"};
        QTest::newRow("empty text ends the topic")
            << Files{{"z1.txt", "a"}, {"z2.txt", ""}, {"z3.txt", "c"}} << "z" << QList<int>{2} << QStringList{"a"};
        QTest::newRow("missing topic") << Files{{"lane1.html", "l"}} << "band" << QList<int>{} << QStringList{};
        QTest::newRow("numbers are decimal without zeros")
            << Files{{"n1.txt", "1"}, {"n2.txt", "2"}, {"n02.txt", "x"}, {"n3.txt", "3"}, {"n10.txt", "x"}} << "n"
            << QList<int>{2, 2, 2} << QStringList{"1", "2", "3"};
        QTest::newRow("other topics' files are not pages")
            << Files{{"lane1.html", "l"}, {"lanes1.html", "x"}, {"lane1.jpg", "x"}} << "lane" << QList<int>{1}
            << QStringList{"l"};
    }

    void topicPages()
    {
        QFETCH(Files, files);
        QFETCH(QString, topic);
        QFETCH(QList<int>, kinds);
        QFETCH(QStringList, texts);
        writeHelp(files);
        const QList<KyHelp::Page> pages = KyHelp::TopicPages(topic);
        QList<int> gotKinds;
        QStringList gotTexts;
        for (const KyHelp::Page &page : pages) {
            gotKinds << page.first;
            if (page.first == KyHelp::kPage_Picture)
                QVERIFY(!page.second.value<QPixmap>().isNull());
            else
                gotTexts << page.second.toString();
        }
        QCOMPARE(gotKinds, kinds);
        QCOMPARE(gotTexts, texts);
    }

    // Two pages in order in one paged box with the title, "Close" and the counter.
    void showHelpPages()
    {
        writeHelp({{"lane1.html", "<p>Drag a <b>corner</b>.</p>"},
                   {"lane2.png", pngBytes(QSize(40, 30), Qt::blue)},
                   {"lane4.txt", "never shown"}});
        bool checked = false;
        whenBoxShows([&checked](KyMessageBox *box) {
            QCOMPARE(part<KyLabel>(box, "titleLabel")->text(), QStringLiteral("Lane Creation"));
            QCOMPARE(part<KyButton>(box, "acceptButton2")->text(), QStringLiteral("Close"));
            QVERIFY(part<KyButton>(box, "acceptButton2")->isVisible());
            QVERIFY(!part<KyButton>(box, "altButton")->isVisible());
            QCOMPARE(part<KyLabel>(box, "pageLabel")->text(), QStringLiteral("1/2"));
            QCOMPARE(content(box)->currentIndex(), 0);
            QCOMPARE(part<KyTextEdit>(box, "messageLabel")->toPlainText(), QStringLiteral("Drag a corner."));
            QVERIFY(box->isCopyEnabled());

            part<KyButton>(box, "nextPageButton")->click();
            QCOMPARE(box->currentPage(), 2);
            QCOMPARE(part<KyLabel>(box, "pageLabel")->text(), QStringLiteral("2/2"));
            QCOMPARE(content(box)->currentIndex(), 1);
            const QImage shown = part<QLabel>(box, "imageLabel")->pixmap().toImage();
            QCOMPARE(shown.size(), QSize(40, 30));
            QCOMPARE(shown.pixel(3, 3), QColor(Qt::blue).rgb());
            QVERIFY(!part<KyButton>(box, "nextPageButton")->isEnabled());

            part<KyButton>(box, "prevPageButton")->click();
            QCOMPARE(content(box)->currentIndex(), 0);
            checked = true;
            closeBox(box);
        });
        KyHelp::ShowHelp(&mWindow, QStringLiteral("Lane Creation"), QStringLiteral("lane"), true);
        QVERIFY(checked);
        QVERIFY(boxes().isEmpty());
    }

    void missingTopicShowsNothing()
    {
        writeHelp({{"lane1.html", "l"}});
        QWidget *shown = nullptr;
        QTimer::singleShot(0, [&shown] { shown = QApplication::activeModalWidget(); });
        KyHelp::ShowHelp(&mWindow, QStringLiteral("Band Detection"), QStringLiteral("band"), true);
        QTest::qWait(20);
        QVERIFY(!shown);
        QVERIFY(boxes().isEmpty());
        // Nothing for no texts either.
        KyHelp::ShowTextPages(&mWindow, QStringLiteral("Image information"), {}, KyHelp::kPage_Table, true);
        QTest::qWait(20);
        QVERIFY(!shown);
        QVERIFY(boxes().isEmpty());
    }

    void onePageHidesTheCounter()
    {
        writeHelp({{"norm1.txt", "Only page"}});
        bool checked = false;
        whenBoxShows([&checked](KyMessageBox *box) {
            QCOMPARE(part<KyLabel>(box, "pageLabel")->text(), QString());
            QVERIFY(!part<KyButton>(box, "prevPageButton")->isVisible());
            QVERIFY(!part<KyButton>(box, "nextPageButton")->isVisible());
            QCOMPARE(part<KyTextEdit>(box, "messageLabel")->toPlainText(), QStringLiteral("Only page"));
            checked = true;
            closeBox(box);
        });
        KyHelp::ShowHelp(&mWindow, QStringLiteral("Normalization"), QStringLiteral("norm"), true);
        QVERIFY(checked);
    }

    void tablePageRows()
    {
        std::unique_ptr<QWidget> page(KyHelp::TablePage(QStringLiteral("Exposure:\t10 s\n\nLight:\tEpi")));
        const QList<Row> rows = rowsOf(page.get());
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0].key, QStringLiteral("Exposure:"));
        QCOMPARE(rows[0].value, QStringLiteral("10 s"));
        QCOMPARE(rows[0].height, 30);
        QCOMPARE(rows[1].key, QString());
        QCOMPARE(rows[1].value, QString());
        QCOMPARE(rows[1].height, 10);
        QCOMPARE(rows[2].key, QStringLiteral("Light:"));
        QCOMPARE(rows[2].value, QStringLiteral("Epi"));
        QCOMPARE(rows[2].height, 30);
        QCOMPARE(page->contentsMargins(), QMargins(9, 0, 9, 0));
        auto *form = qobject_cast<QFormLayout *>(page->layout());
        QCOMPARE(form->verticalSpacing(), 0);
        QCOMPARE(form->horizontalSpacing(), 20);
    }

    void tablePageKeysAndValues_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("height");
        QTest::newRow("key and value") << "Filter\tNone" << "Filter" << "None" << 30;
        QTest::newRow("several tabs: after the last") << "a\tb\tc" << "a" << "c" << 30;
        QTest::newRow("no tab: the line twice") << "plain" << "plain" << "plain" << 30;
        QTest::newRow("continuation: empty key") << "\t (Yes)" << "" << " (Yes)" << 30;
        QTest::newRow("a tab alone: spacer") << "\t" << "" << "" << 10;
        QTest::newRow("empty key, blank value") << "\t " << "" << " " << 30;
    }

    void tablePageKeysAndValues()
    {
        QFETCH(QString, line);
        std::unique_ptr<QWidget> page(KyHelp::TablePage(line));
        const QList<Row> rows = rowsOf(page.get());
        QCOMPARE(rows.size(), 1);
        QTEST(rows[0].key, "key");
        QTEST(rows[0].value, "value");
        QTEST(rows[0].height, "height");
    }

    // A value wider than the column (a long comment) goes on in as many rows as it needs, each with
    // a blank key, broken between words: nothing is cut, and each row is as full as its words allow.
    void tablePageLongValue()
    {
        const QFont font = KyLabel().font();
        const QFontMetrics metrics(font);
        QString value;
        for (int i = 0; metrics.horizontalAdvance(value) < 3 * KyHelp::kTableValueWidth; ++i)
            value += QStringLiteral("word%1 ").arg(i);
        value = value.trimmed();
        std::unique_ptr<QWidget> page(KyHelp::TablePage(QStringLiteral("Comment\t") + value + QStringLiteral("\nNext\tx")));
        const QList<Row> rows = rowsOf(page.get());
        QVERIFY2(rows.size() >= 5, qPrintable(QString::number(rows.size())));
        QCOMPARE(rows.first().key, QStringLiteral("Comment"));
        QCOMPARE(rows.last().key, QStringLiteral("Next"));
        QStringList shown;
        for (qsizetype i = 0; i + 1 < rows.size(); ++i) {
            if (i > 0)
                QCOMPARE(rows[i].key, QStringLiteral(" "));
            QCOMPARE(rows[i].height, 30);
            shown.append(rows[i].value);
        }
        QCOMPARE(shown.join(QLatin1Char(' ')), value);
        for (qsizetype i = 0; i < shown.size(); ++i) {
            QVERIFY2(metrics.horizontalAdvance(shown[i]) < KyHelp::kTableValueWidth, qPrintable(shown[i]));
            QVERIFY2(!shown[i].isEmpty() && !shown[i].startsWith(QLatin1Char(' ')) && !shown[i].endsWith(QLatin1Char(' ')),
                     qPrintable(shown[i]));
            // The next row's first word would not have fitted on this one.
            if (i + 1 < shown.size()) {
                const QString longer = shown[i] + QLatin1Char(' ') + shown[i + 1].section(QLatin1Char(' '), 0, 0);
                QVERIFY(metrics.horizontalAdvance(longer) >= KyHelp::kTableValueWidth);
            }
        }
    }

    void wrapText_data()
    {
        const QFontMetrics metrics(QFont(QStringLiteral("Arial"), 16));
        const int twoWords = metrics.horizontalAdvance(QStringLiteral("alpha beta")) + 1;
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("empty") << "" << twoWords << QStringList{};
        QTest::newRow("fits") << "alpha beta" << twoWords << QStringList{"alpha beta"};
        QTest::newRow("between words") << "alpha beta gamma" << twoWords << QStringList{"alpha beta", "gamma"};
        QTest::newRow("the width inside a word: back to the blank") << "alpha betas" << twoWords
                                                                << QStringList{"alpha", "betas"};
        QTest::newRow("blanks at a break dropped") << "alpha beta   gamma" << twoWords
                                                   << QStringList{"alpha beta", "gamma"};
        QTest::newRow("a leading blank stays") << " (2x)" << twoWords << QStringList{" (2x)"};
        QTest::newRow("no room for a character") << "ab" << 1 << QStringList{"a", "b"};
    }

    void wrapText()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(QStringList, rows);
        QCOMPARE(KyHelp::WrapText(text, QFont(QStringLiteral("Arial"), 16), width), rows);
    }

    // A word wider than a row (a path) is broken inside it; no character is lost.
    void wrapTextLongWord()
    {
        const QFont font(QStringLiteral("Arial"), 16);
        const QFontMetrics metrics(font);
        const QString path = QStringLiteral("D:/captures/2021/westernblot_anti-actin_exposure.tif");
        const int width = metrics.horizontalAdvance(path) / 2;
        const QStringList rows = KyHelp::WrapText(path, font, width);
        QVERIFY2(rows.size() >= 3, qPrintable(rows.join(QLatin1Char('|'))));
        QCOMPARE(rows.join(QString()), path);
        for (const QString &row : rows)
            QVERIFY2(metrics.horizontalAdvance(row) < width, qPrintable(row));
    }

    void elideText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("result");
        QTest::newRow("empty") << "" << 100 << "";
        QTest::newRow("no width") << "abc" << 0 << "";
        QTest::newRow("negative width") << "abc" << -5 << "";
        QTest::newRow("fits") << "abc" << 1000 << "abc";
        QTest::newRow("one pixel: nothing") << "abc" << 1 << "";
    }

    void elideText()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        QTEST(KyHelp::ElideText(text, QFont(QStringLiteral("Arial"), 16), width), "result");
    }

    void elideTextAtTheWidth()
    {
        const QFont font(QStringLiteral("Arial"), 16);
        const QFontMetrics metrics(font);
        const QString text = QStringLiteral("Exposure mode");
        const int whole = metrics.horizontalAdvance(text);
        // Exactly the text's width does not fit: narrower than the width is the rule.
        QCOMPARE(KyHelp::ElideText(text, font, whole + 1), text);
        const QString cut = KyHelp::ElideText(text, font, whole);
        QCOMPARE(cut, text.left(text.size() - 1));
    }

    // The copy key copies what the page holds: the text (not the markup) of an HTML page, the
    // picture, the plain text, and the tab-separated text of a table page as handed in.
    void copyPerPageKind()
    {
        writeHelp({{"c1.html", "<p>First <b>bold</b></p>"},
                   {"c2.png", pngBytes(QSize(20, 10), Qt::green)},
                   {"c3.txt", "third\tpage"}});
        QClipboard *clipboard = QApplication::clipboard();
        QStringList texts;
        QImage picture;
        whenBoxShows([&](KyMessageBox *box) {
            QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
            texts << clipboard->text();
            part<KyButton>(box, "nextPageButton")->click();
            QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
            picture = clipboard->image();
            part<KyButton>(box, "nextPageButton")->click();
            QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
            texts << clipboard->text();
            closeBox(box);
        });
        KyHelp::ShowHelp(&mWindow, QStringLiteral("Copy"), QStringLiteral("c"), true);
        QCOMPARE(texts, (QStringList{QStringLiteral("First bold"), QStringLiteral("third\tpage")}));
        QCOMPARE(picture.size(), QSize(20, 10));
        QCOMPARE(picture.pixel(2, 2), QColor(Qt::green).rgb());

        const QString table = QStringLiteral("Light\tEpi\n\t\nFilter\tNone\n");
        texts.clear();
        whenBoxShows([&](KyMessageBox *box) {
            QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
            texts << clipboard->text();
            part<KyButton>(box, "nextPageButton")->click();
            QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
            texts << clipboard->text();
            closeBox(box);
        });
        KyHelp::ShowTextPages(&mWindow, QStringLiteral("Image information"), {table, QStringLiteral("Second\tpage\n")},
                              KyHelp::kPage_Table, true);
        QCOMPARE(texts, (QStringList{table, QStringLiteral("Second\tpage\n")}));

        // Copying off: the key leaves the clipboard alone.
        clipboard->setText(QStringLiteral("kept"));
        whenBoxShows([](KyMessageBox *box) {
            QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
            closeBox(box);
        });
        KyHelp::ShowTextPages(&mWindow, QStringLiteral("Image information"), {table}, KyHelp::kPage_Table, false);
        QCOMPARE(clipboard->text(), QStringLiteral("kept"));
    }

    // Text pages of each kind; a table page replaces the one before it instead of piling up.
    void textPages()
    {
        bool checked = false;
        whenBoxShows([&checked](KyMessageBox *box) {
            QStackedWidget *stack = content(box);
            const int fixedPages = 2;
            QCOMPARE(part<KyLabel>(box, "titleLabel")->text(), QStringLiteral("Image information"));
            QCOMPARE(part<KyLabel>(box, "pageLabel")->text(), QStringLiteral("1/3"));
            QCOMPARE(stack->count(), fixedPages + 1);
            QCOMPARE(rowsOf(stack->currentWidget()).value(0).value, QStringLiteral("one"));
            for (int round = 0; round < 3; ++round) {
                part<KyButton>(box, "nextPageButton")->click();
                part<KyButton>(box, "prevPageButton")->click();
            }
            QCOMPARE(stack->count(), fixedPages + 1);
            part<KyButton>(box, "nextPageButton")->click();
            QCOMPARE(rowsOf(stack->currentWidget()).value(0).value, QStringLiteral("two"));
            part<KyButton>(box, "nextPageButton")->click();
            QCOMPARE(rowsOf(stack->currentWidget()).value(0).value, QStringLiteral("three"));
            checked = true;
            closeBox(box);
        });
        KyHelp::ShowTextPages(&mWindow, QStringLiteral("Image information"),
                              {QStringLiteral("A\tone\n"), QStringLiteral("B\ttwo\n"), QStringLiteral("C\tthree\n")},
                              KyHelp::kPage_Table, true);
        QVERIFY(checked);

        checked = false;
        whenBoxShows([&checked](KyMessageBox *box) {
            QCOMPARE(content(box)->currentIndex(), 0);
            QCOMPARE(part<KyTextEdit>(box, "messageLabel")->toPlainText(), QStringLiteral("bold"));
            part<KyButton>(box, "nextPageButton")->click();
            QCOMPARE(part<KyTextEdit>(box, "messageLabel")->toPlainText(), QStringLiteral("second"));
            checked = true;
            closeBox(box);
        });
        KyHelp::ShowTextPages(&mWindow, QStringLiteral("Pages"),
                              {QStringLiteral("<b>bold</b>"), QStringLiteral("<p>second</p>")}, KyHelp::kPage_Html,
                              true);
        QVERIFY(checked);

        checked = false;
        whenBoxShows([&checked](KyMessageBox *box) {
            QCOMPARE(content(box)->currentIndex(), 0);
            QCOMPARE(part<KyTextEdit>(box, "messageLabel")->toPlainText(), QStringLiteral("<b>plain</b>"));
            checked = true;
            closeBox(box);
        });
        KyHelp::ShowTextPages(&mWindow, QStringLiteral("Pages"), {QStringLiteral("<b>plain</b>")}, KyHelp::kPage_Text,
                              true);
        QVERIFY(checked);
        QVERIFY(boxes().isEmpty());
    }

    // Each call's box, with its snapshot of the whole window, goes when the call returns; also
    // when it was refused because another box was showing.
    void noBoxLeftBehind()
    {
        writeHelp({{"lane1.txt", "l"}});
        for (int i = 0; i < 3; ++i) {
            whenBoxShows([](KyMessageBox *box) { closeBox(box); });
            KyHelp::ShowHelp(&mWindow, QStringLiteral("Lanes"), QStringLiteral("lane"), true);
            QCOMPARE(boxes().size(), 0);
        }

        int insideBoxes = -1;
        bool refusedReturned = false;
        whenBoxShows([&](KyMessageBox *box) {
            KyHelp::ShowHelp(&mWindow, QStringLiteral("Lanes"), QStringLiteral("lane"), true);
            refusedReturned = true;
            insideBoxes = int(boxes().size());
            closeBox(box);
        });
        KyMessageBox::question(&mWindow, QStringLiteral("Busy"), QStringLiteral("text"), QStringLiteral("OK"), QString());
        QVERIFY(refusedReturned);
        QCOMPARE(insideBoxes, 1);
        QTest::qWait(10);
        QCOMPARE(boxes().size(), 0);
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyHelp)
#include "tst_kyhelp.moc"
