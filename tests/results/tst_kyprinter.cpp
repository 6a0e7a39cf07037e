#include "silentprintservice.h"
#include "testmain.h"

#include "results/kyprintdata.h"
#include "results/kyprinter.h"
#include "widgets/kytableview.h"
#include "widgets/kytableviewstyle.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QPointer>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtConcurrent>

#include <cmath>
#include <functional>
#include <csignal>
#include <sys/resource.h>
#include <type_traits>

static_assert(!std::is_copy_constructible_v<KyPrintData> && !std::is_copy_assignable_v<KyPrintData>);

namespace {

// The pages are checked at the printer's own resolution, so one page pixel is one device pixel.
constexpr int kDpi = 96;
// 10 mm margins in whole device pixels at that resolution.
constexpr int kMargin = 37;

QString pdfTool(const QString &name, const QStringList &arguments, bool *ok = nullptr)
{
    const kytest::ProgramRun run = kytest::runCaptured(name, arguments, 60000);
    if (ok)
        *ok = run.exitCode == 0;
    return run.out;
}

int pdfPageCount(const QString &pdf)
{
    const QRegularExpressionMatch match
        = QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
              .match(pdfTool(QStringLiteral("pdfinfo"), {pdf}));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QString pdfPageText(const QString &pdf, int page)
{
    const QString p = QString::number(page);
    return pdfTool(QStringLiteral("pdftotext"), {"-f", p, "-l", p, "-layout", pdf, "-"}).trimmed();
}

QImage pdfPage(const QString &pdf, int page, int dpi = kDpi)
{
    QTemporaryDir dir;
    const QString p = QString::number(page);
    bool ok = false;
    pdfTool(QStringLiteral("pdftoppm"),
            {"-f", p, "-l", p, "-r", QString::number(dpi), "-png", "-singlefile", pdf, dir.filePath("page")}, &ok);
    return ok ? QImage(dir.filePath("page.png")).convertToFormat(QImage::Format_RGB32) : QImage();
}

bool near(QRgb a, QRgb b, int tolerance = 3)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
        && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// The bounding box of the pixels of one colour.
QRect colourBox(const QImage &page, QRgb colour, int tolerance = 3)
{
    QRect box;
    for (int y = 0; y < page.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(page.constScanLine(y));
        for (int x = 0; x < page.width(); ++x) {
            if (near(row[x], colour, tolerance))
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

// The table's column header: the rows of the page that are mostly its dark fill (grey text has
// pixels of that colour too, but never a long run of them).
QRect tableHeaderBox(const QImage &page)
{
    QRect box;
    for (int y = 0; y < page.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(page.constScanLine(y));
        int count = 0;
        int left = -1;
        for (int x = 0; x < page.width(); ++x) {
            if (near(row[x], KyTableViewStyle::kHeaderColor)) {
                ++count;
                if (left < 0)
                    left = x;
            }
        }
        if (count > page.width() / 2)
            box |= QRect(left, y, 1, 1);
    }
    return box;
}

QImage solidImage(int width, int height, QRgb colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Row r is painted in a colour of its own, so that every printed row can be found again.
QRgb rowColour(int row)
{
    return qRgb(255, 40 + 2 * (row % 100), 215 - 2 * (row / 100) * 50);
}

// A table view over a model it owns (the model is its child), one coloured row per model row.
KyTableView *makeTable(int rows, int columns)
{
    auto *view = new KyTableView;
    auto *model = new QStandardItemModel(rows, columns, view);
    for (int c = 0; c < columns; ++c)
        model->setHorizontalHeaderItem(c, new QStandardItem(QStringLiteral("Col %1").arg(c)));
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            auto *item = new QStandardItem(QString::number(r * 10 + c));
            item->setBackground(QColor(rowColour(r)));
            model->setItem(r, c, item);
        }
    }
    view->setModel(model);
    view->setShowGrid(false);
    return view;
}

// A table model that calls back whenever a cell is read, as the printer does while it lays a
// table out on the page.
class ObservedModel : public QStandardItemModel
{
public:
    explicit ObservedModel(std::function<void()> inRead) : mRead(std::move(inRead)) {}
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (mRead)
            mRead();
        return QStandardItemModel::data(index, role);
    }

private:
    std::function<void()> mRead;
};

// The rows found in a column of the printed pages: each row's colour run, in page order.
struct RowRun
{
    int row;
    int page;
    int top;
    int height;
};

// The rows are looked for at the right end of the last column, where no (left-aligned) text is.
QVector<RowRun> printedRows(const QString &pdf, int pages, int rows)
{
    QVector<RowRun> runs;
    for (int page = 1; page <= pages; ++page) {
        const QImage image = pdfPage(pdf, page);
        const int x = image.width() - kMargin - 8;
        int current = -1;
        for (int y = 0; y < image.height(); ++y) {
            const QRgb pixel = image.pixel(x, y);
            int found = -1;
            for (int r = 0; r < rows && found < 0; ++r) {
                if (near(pixel, rowColour(r), 0))
                    found = r;
            }
            if (found >= 0 && found == current) {
                ++runs.last().height;
            } else if (found >= 0) {
                runs.append({found, page, y, 1});
            }
            current = found;
        }
    }
    return runs;
}

// Writes the file size limit for the duration of a scope: a stand-in for a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of ending the process
        getrlimit(RLIMIT_FSIZE, &mSaved);
        rlimit limit = mSaved;
        limit.rlim_cur = bytes;
        mSet = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &mSaved); }
    bool isSet() const { return mSet; }

private:
    rlimit mSaved{};
    bool mSet = false;
};

} // namespace

class TestKyPrinter : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir mDir;

    QString path(const QString &name) const { return mDir.filePath(name); }

    // Page 1 of a titled report of a small table below the pictures; null when it was not written.
    QImage reportFirstPage(const QString &name, const QImage &image, const QImage &image2, const QString &caption)
    {
        const QString pdf = path(name);
        std::unique_ptr<KyTableView> table(makeTable(3, 8));
        KyPrinter printer;
        printer.SetTitle(QStringLiteral("Title"));
        if (!printer.PrintToPdf(pdf, image, image2, table.get(), caption))
            return {};
        return pdfPage(pdf, 1);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(mDir.isValid());
        if (qEnvironmentVariableIsEmpty("CUPS_SERVER"))
            qputenv("CUPS_SERVER", QFile::encodeName(mDir.filePath(QStringLiteral("no-print-service.sock"))));
        for (const char *tool : {"pdfinfo", "pdftotext", "pdftoppm", "pdfimages"})
            QVERIFY2(!QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty(), tool);
    }

    // A table in one piece, and one long enough for three pages: every row is printed exactly once,
    // whole, in order; the footers count the pages; the title and the column header are on page 1.
    void reportPages_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("pages");
        QTest::newRow("fits on the first page") << 5 << 1;
        QTest::newRow("three pages") << 70 << 3;
    }

    void reportPages()
    {
        QFETCH(int, rows);
        QFETCH(int, pages);
        const QString pdf = path(QStringLiteral("report-%1.pdf").arg(rows));
        std::unique_ptr<KyTableView> table(makeTable(rows, 8));
        KyPrinter printer;
        printer.SetTitle(QStringLiteral("Summary of blot 7"));
        QVERIFY(printer.PrintToPdf(pdf, solidImage(200, 100, qRgb(0, 0, 255)), QImage(), table.get(), QString()));

        QCOMPARE(pdfPageCount(pdf), pages);
        for (int page = 1; page <= pages; ++page) {
            const QString text = pdfPageText(pdf, page);
            QVERIFY2(text.endsWith(QString::number(page)), qPrintable(text));
            QCOMPARE(text.contains(QStringLiteral("Summary of blot 7")), page == 1);
            const QRect header = tableHeaderBox(pdfPage(pdf, page));
            QVERIFY2(header.isEmpty() == (page != 1), qPrintable(QStringLiteral("page %1").arg(page)));
        }

        const QVector<RowRun> runs = printedRows(pdf, pages, rows);
        QCOMPARE(runs.size(), rows);
        const int rowHeight = table->rowHeight(0);
        for (int r = 0; r < rows; ++r) {
            QCOMPARE(runs[r].row, r);
            QVERIFY2(std::abs(runs[r].height - rowHeight) <= 1, qPrintable(QString::number(runs[r].height)));
        }
        // The continued pages start at the top of the page, directly below the margin.
        if (pages > 1) {
            const auto second = std::find_if(runs.begin(), runs.end(), [](const RowRun &run) { return run.page == 2; });
            QVERIFY(second != runs.end());
            QCOMPARE(second->top, kMargin);
        }
    }

    // A report whose table was taken as a picture on the GUI thread, written on another thread
    // after the view is gone, has the pages the view printed directly gives.
    void reportWrittenOnAnotherThread()
    {
        const QImage picture = solidImage(200, 100, qRgb(0, 0, 255));
        const QImage chart = solidImage(150, 100, qRgb(0, 255, 0));
        const QString direct = path(QStringLiteral("direct.pdf"));
        const QString threaded = path(QStringLiteral("threaded.pdf"));
        std::unique_ptr<KyTableView> table(makeTable(70, 8));
        {
            KyPrinter printer(KyPrinter::Output::PdfFile);
            printer.SetTitle(QStringLiteral("Summary of blot 7"));
            QVERIFY(printer.PrintToPdf(direct, picture, chart, table.get(), QStringLiteral("Volume")));
        }
        table.reset(makeTable(70, 8));
        auto printer = std::make_shared<KyPrinter>(KyPrinter::Output::PdfFile);
        printer->SetTitle(QStringLiteral("Summary of blot 7"));
        const KyPrinter::TablePicture tablePicture = KyPrinter::TableOf(table.get(), printer->ReportPageWidth());
        table.reset();
        QThread *guiThread = QThread::currentThread();
        // Waited for without result(), which would run a job not yet started on this thread.
        const QFuture<bool> written = QtConcurrent::run([=] {
            return QThread::currentThread() != guiThread
                   && printer->PrintToPdf(threaded, picture, chart, tablePicture, QStringLiteral("Volume"));
        });
        QTRY_VERIFY_WITH_TIMEOUT(written.isFinished(), 30000);
        QVERIFY(written.result());

        const int pages = pdfPageCount(direct);
        QVERIFY(pages >= 2);
        QCOMPARE(pdfPageCount(threaded), pages);
        for (int page = 1; page <= pages; ++page) {
            QCOMPARE(pdfPageText(threaded, page), pdfPageText(direct, page));
            QCOMPARE(pdfPage(threaded, page), pdfPage(direct, page));
        }
    }

    // One picture without a caption: centred, the table 50 pixels below it.
    void reportOnePictureCentred()
    {
        // The second picture is printed only with a caption.
        const QImage page = reportFirstPage(QStringLiteral("one-picture.pdf"), solidImage(200, 100, qRgb(0, 0, 255)),
                                            solidImage(50, 50, qRgb(0, 255, 0)), QString());
        QVERIFY(!page.isNull());
        const QRect picture = colourBox(page, qRgb(0, 0, 255));
        // The page raster may widen a picture's edge by a pixel.
        QVERIFY(std::abs(picture.width() - 200) <= 1 && std::abs(picture.height() - 100) <= 1);
        const int pageWidth = page.width() - 2 * kMargin;
        QVERIFY2(std::abs(picture.left() - kMargin - (pageWidth - 200) / 2) <= 1, qPrintable(QString::number(picture.left())));
        QVERIFY(colourBox(page, qRgb(0, 255, 0)).isEmpty());
        const QRect header = tableHeaderBox(page);
        QVERIFY(!header.isEmpty());
        QVERIFY2(std::abs(header.top() - (picture.top() + 100 + 50)) <= 2,
                 qPrintable(QStringLiteral("%1 %2").arg(header.top()).arg(picture.top())));
        // The table starts at the left margin (inside its frame).
        QVERIFY2(header.left() >= kMargin && header.left() <= kMargin + 3, qPrintable(QString::number(header.left())));
    }

    // Two pictures side by side with the caption over the second.
    void reportTwoPicturesWithCaption()
    {
        // The first picture is wider than half the page: scaled down to it, keeping its aspect ratio.
        const QImage page = reportFirstPage(QStringLiteral("two-pictures.pdf"), solidImage(1000, 500, qRgb(0, 0, 255)),
                                            solidImage(300, 200, qRgb(0, 255, 0)), QStringLiteral("Normalized value"));
        QVERIFY(!page.isNull());
        const QString pdf = path(QStringLiteral("two-pictures.pdf"));
        const int pageWidth = page.width() - 2 * kMargin;
        const int half = int(pageWidth / 2.0 - 10.0);
        const QRect left = colourBox(page, qRgb(0, 0, 255));
        const QRect right = colourBox(page, qRgb(0, 255, 0));
        QVERIFY(std::abs(left.left() - kMargin) <= 1);
        QVERIFY(std::abs(left.width() - half) <= 1);
        QVERIFY(std::abs(left.height() - half / 2) <= 1);
        QVERIFY(std::abs(right.left() - (kMargin + int(pageWidth / 2.0 + 10.0))) <= 1);
        QVERIFY(std::abs(right.width() - 300) <= 1 && std::abs(right.height() - 200) <= 1);
        QVERIFY(std::abs(left.top() - right.top()) <= 1);
        const QRect header = tableHeaderBox(page);
        QVERIFY2(std::abs(header.top() - (right.top() + 200 + 50)) <= 2,
                 qPrintable(QStringLiteral("%1 %2").arg(header.top()).arg(right.top())));

        // The caption is text, above the second picture and roughly centred over it.
        const QString html = pdfTool(QStringLiteral("pdftotext"), {"-f", "1", "-l", "1", "-bbox", pdf, "-"});
        const QRegularExpressionMatch word = QRegularExpression(
            QStringLiteral("xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">Normalized<"))
                                                 .match(html);
        QVERIFY2(word.hasMatch(), qPrintable(html));
        const double toPixels = kDpi / 72.0;
        QVERIFY(word.captured(4).toDouble() * toPixels <= right.top());
        QVERIFY(word.captured(1).toDouble() * toPixels >= right.left());
        QVERIFY(word.captured(3).toDouble() * toPixels <= right.right());
    }

    // The summary table without its channel column has seven columns and its own widths.
    void columnFractions_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<QVector<double>>("fractions");
        QTest::newRow("channel column hidden") << 7 << KyPrinter::columnFractionsWithoutChannel();
        QTest::newRow("channel column shown") << 8 << KyPrinter::columnFractionsWithChannel();
    }

    void columnFractions()
    {
        QFETCH(int, columns);
        QFETCH(QVector<double>, fractions);
        // Short titles and cells, so that no column is held at its minimum width.
        std::unique_ptr<KyTableView> table(makeTable(4, columns));
        auto *model = static_cast<QStandardItemModel *>(table->model());
        for (int c = 0; c < columns; ++c) {
            model->horizontalHeaderItem(c)->setText(QString());
            for (int r = 0; r < 4; ++r)
                model->item(r, c)->setText(QString());
        }
        KyPrinter printer;
        QVERIFY(printer.PrintToPdf(path(QStringLiteral("fractions-%1.pdf").arg(columns)), QImage(), QImage(),
                                   table.get(), QString()));
        const int width = table->viewportWidth();
        for (int c = 0; c + 1 < columns; ++c)
            QVERIFY2(std::abs(table->columnWidth(c) - int(width * fractions[c])) <= 1, qPrintable(QString::number(c)));
    }

    // The paging faults: each ends with a bounded page count, each row printed once.
    void pagingEdgeCases_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("rowHeight");
        QTest::addColumn<bool>("frameless");
        QTest::addColumn<int>("pictureHeight");
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("headerPage");

        QTest::newRow("empty table") << 0 << 0 << false << 100 << 1 << 1;
        QTest::newRow("empty frameless table") << 0 << 0 << true << 100 << 1 << 1;
        QTest::newRow("picture taller than the page") << 3 << 0 << false << 3000 << 2 << 2;
        QTest::newRow("picture leaving no room for a row") << 3 << 0 << false << 1000 << 2 << 2;
        QTest::newRow("empty table below a tall picture") << 0 << 0 << false << 3000 << 2 << 2;
        QTest::newRow("rows taller than the page") << 3 << 2000 << false << 100 << 4 << 1;
    }

    void pagingEdgeCases()
    {
        QFETCH(int, rows);
        QFETCH(int, rowHeight);
        QFETCH(bool, frameless);
        QFETCH(int, pictureHeight);
        QFETCH(int, pages);
        QFETCH(int, headerPage);

        std::unique_ptr<KyTableView> table(makeTable(rows, 8));
        if (frameless) {
            table->setFrameShape(QFrame::NoFrame);
            table->setLineWidth(0);
        }
        if (rowHeight > 0)
            table->verticalHeader()->setDefaultSectionSize(rowHeight);
        const QString pdf = path(QStringLiteral("paging-%1.pdf").arg(QTest::currentDataTag()));
        KyPrinter printer;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(printer.PrintToPdf(pdf, solidImage(100, pictureHeight, qRgb(0, 0, 255)), QImage(), table.get(), QString()));
        QVERIFY(timer.elapsed() < 30000);
        QCOMPARE(pdfPageCount(pdf), pages);
        for (int page = 1; page <= pages; ++page) {
            QCOMPARE(pdfPageText(pdf, page), QString::number(page));
            const bool header = !tableHeaderBox(pdfPage(pdf, page)).isEmpty();
            QCOMPARE(header, page == headerPage);
        }
        const QVector<RowRun> runs = printedRows(pdf, pages, rows);
        QCOMPARE(runs.size(), rows);
        for (int r = 0; r < rows; ++r)
            QCOMPARE(runs[r].row, r);
    }

    void pdfFailures()
    {
        std::unique_ptr<KyTableView> table(makeTable(3, 8));
        const QImage picture = solidImage(200, 100, qRgb(0, 0, 255));
        {
            // A folder that does not exist.
            KyPrinter printer;
            const QString pdf = path(QStringLiteral("missing/report.pdf"));
            QVERIFY(!printer.PrintToPdf(pdf, picture, QImage(), table.get(), QString()));
            QVERIFY(!QFile::exists(pdf));
            QVERIFY(!printer.PrintToPdf(QString(), picture, QImage(), table.get(), QString()));
        }
        {
            // A full disk: the new report is cut short, so the write fails; the earlier report of
            // that name stays as it was, and nothing of the cut-off one is left.
            QTemporaryDir folder;
            const QString pdf = folder.filePath(QStringLiteral("stale.pdf"));
            KyPrinter first;
            QVERIFY(first.PrintToPdf(pdf, picture, QImage(), table.get(), QString()));
            const QByteArray earlier = kytest::readFile(pdf);
            QVERIFY(earlier.startsWith("%PDF-"));
            KyPrinter printer;
            bool printed = true;
            {
                const FileSizeLimit limit(2000);
                QVERIFY(limit.isSet());
                printed = printer.PrintToPdf(pdf, picture, QImage(), table.get(), QString());
            }
            QVERIFY(!printed);
            QCOMPARE(kytest::readFile(pdf), earlier);
            QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                     QStringList{QStringLiteral("stale.pdf")});
        }
        {
            // A successful report replaces the earlier one, which keeps its permissions; a new
            // one gets those of any new file (the umask's), not a temporary file's owner-only ones.
            const QString pdf = path(QStringLiteral("replaced.pdf"));
            kytest::writeFile(pdf, QByteArray("not a report"));
            QVERIFY(QFile::setPermissions(pdf, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                                                   | QFile::WriteGroup | QFile::ReadOther));
            const QFile::Permissions earlier = QFile::permissions(pdf);
            KyPrinter printer;
            QVERIFY(printer.PrintToPdf(pdf, picture, QImage(), table.get(), QString()));
            QCOMPARE(pdfPageCount(pdf), 1);
            QCOMPARE(QFile::permissions(pdf), earlier);

            const QString fresh = path(QStringLiteral("fresh.pdf"));
            const QString plain = path(QStringLiteral("plain"));
            kytest::writeFile(plain, QByteArray("x"));
            KyPrinter second;
            QVERIFY(second.PrintToPdf(fresh, picture, QImage(), table.get(), QString()));
            QCOMPARE(QFile::permissions(fresh), QFile::permissions(plain));
        }
    }

    // While a report is being written its file still holds the earlier report: a kill at any
    // moment leaves that one or the new one, whole, never a cut-off file.
    void reportReplacesTheEarlierOneWhole()
    {
        QTemporaryDir folder;
        const QString pdf = folder.filePath(QStringLiteral("summary.pdf"));
        const QImage picture = solidImage(200, 100, qRgb(0, 0, 255));
        std::unique_ptr<KyTableView> earlierTable(makeTable(3, 8));
        KyPrinter first;
        QVERIFY(first.PrintToPdf(pdf, picture, QImage(), earlierTable.get(), QString()));
        const QByteArray earlier = kytest::readFile(pdf);

        // The table is printed after the page has begun: look at the file from inside it.
        QStringList seen;
        std::unique_ptr<KyTableView> table(makeTable(40, 8));
        ObservedModel model([&] {
            const QByteArray now = kytest::readFile(pdf);
            const QString state = now == earlier ? QStringLiteral("earlier report") : QStringLiteral("changed");
            if (!seen.contains(state))
                seen << state;
        });
        model.setRowCount(40);
        model.setColumnCount(8);
        table->setModel(&model);
        KyPrinter printer;
        QVERIFY(printer.PrintToPdf(pdf, picture, QImage(), table.get(), QString()));
        table->setModel(nullptr);
        QCOMPARE(seen, QStringList{QStringLiteral("earlier report")});
        QVERIFY(kytest::readFile(pdf) != earlier);
        QCOMPARE(pdfPageCount(pdf), 2);
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("summary.pdf")});
    }

    // The record's title, pictures and table reach the PDF; the record owns its table.
    void exportRecord()
    {
        const QString pdf = path(QStringLiteral("export.pdf"));
        QPointer<KyTableView> table = makeTable(70, 7);
        QPointer<QAbstractItemModel> model = table->model();
        {
            KyPrintData data(pdf);
            data.setTitle(QStringLiteral("Exported summary"));
            data.setImage(solidImage(200, 100, qRgb(0, 0, 255)));
            data.setImage2(solidImage(200, 100, qRgb(0, 255, 0)));
            data.setCaption(QStringLiteral("Volume"));
            data.setTable(table);
            KyPrinter printer;
            QVERIFY(printer.ExportPdf(data));
        }
        QVERIFY(!table);
        QVERIFY(!model);
        QCOMPARE(pdfPageCount(pdf), 3);
        const QString text = pdfPageText(pdf, 1);
        QVERIFY(text.contains(QStringLiteral("Exported summary")));
        QVERIFY(text.contains(QStringLiteral("Volume")));
    }

    void recordOwnership()
    {
        // A parentless model is the record's, with the view.
        QPointer<QTableView> view = new QTableView;
        QPointer<QStandardItemModel> loose = new QStandardItemModel(2, 2);
        view->setModel(loose);
        {
            KyPrintData data(QStringLiteral("x.pdf"));
            data.setTable(view);
            QCOMPARE(data.table(), view.data());
        }
        QVERIFY(!view);
        QVERIFY(!loose);

        // A model that belongs to something else stays; so does a view deleted elsewhere first.
        QObject owner;
        QPointer<QStandardItemModel> owned = new QStandardItemModel(2, 2, &owner);
        view = new QTableView;
        view->setModel(owned);
        QPointer<QTableView> replaced = new QTableView;
        {
            KyPrintData data(QStringLiteral("x.pdf"));
            data.setTable(replaced);
            data.setTable(view); // the earlier table goes
            QVERIFY(!replaced);
            delete view.data();
            QVERIFY(!data.table());
        }
        QVERIFY(owned);

        view = new QTableView;
        view->setModel(owned);
        {
            KyPrintData data(QStringLiteral("x.pdf"));
            data.setTable(view);
        }
        QVERIFY(!view);
        QVERIFY(owned);
    }

    // A 1000 x 500 image of 100 micrometre pixels is 100 x 50 mm on paper, centred, embedded whole and
    // without lossy compression.
    void imageToScale_data()
    {
        QTest::addColumn<QString>("title");
        QTest::newRow("no title") << QString();
        QTest::newRow("title") << QStringLiteral("Exposure 10.0 s");
    }

    void imageToScale()
    {
        QFETCH(QString, title);
        const QString pdf = path(QStringLiteral("scale-%1.pdf").arg(title.isEmpty() ? 0 : 1));
        KyPrinter printer;
        printer.printer()->setOutputFileName(pdf);
        printer.SetTitle(title);
        QImage image = solidImage(1000, 500, qRgb(0, 0, 255));
        image.setPixel(0, 0, qRgb(255, 0, 0)); // not a flat colour the writer might shortcut
        QVERIFY(printer.PrintImageToScale(image, 100.0));
        QCOMPARE(pdfPageCount(pdf), 1);

        const QStringList list = pdfTool(QStringLiteral("pdfimages"), {"-list", pdf}).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(list.size(), 3); // two header lines, one image
        const QStringList fields = list[2].simplified().split(' ');
        // page num type width height color comp bpc enc interp object ID x-ppi y-ppi ...
        QCOMPARE(fields[3], QStringLiteral("1000"));
        QCOMPARE(fields[4], QStringLiteral("500"));
        QVERIFY2(fields[8] != QStringLiteral("jpeg"), qPrintable(list[2]));
        QCOMPARE(fields[12], QStringLiteral("254"));
        QCOMPARE(fields[13], QStringLiteral("254"));

        // At 254 dpi one page pixel is 0.1 mm.
        const QImage page = pdfPage(pdf, 1, 254);
        const QRect box = colourBox(page, qRgb(0, 0, 255), 40) | colourBox(page, qRgb(255, 0, 0), 40);
        QVERIFY2(std::abs(box.width() - 1000) <= 1 && std::abs(box.height() - 500) <= 1,
                 qPrintable(QStringLiteral("%1 x %2").arg(box.width()).arg(box.height())));
        QVERIFY(std::abs(box.center().x() * 2 - page.width()) <= 3);
        const int margin = int(std::round(kMargin * 254.0 / kDpi));
        if (title.isEmpty()) {
            QVERIFY(std::abs(box.center().y() * 2 - page.height()) <= 3);
        } else {
            QVERIFY(pdfPageText(pdf, 1).contains(title));
            // Centred in the room below the title.
            QVERIFY(box.center().y() * 2 > page.height());
            QVERIFY(box.top() > margin + 20);
        }
    }

    void imageToScaleRefused_data()
    {
        QTest::addColumn<double>("pixelSize");
        QTest::addColumn<bool>("nullImage");
        QTest::newRow("pixel size 0") << 0.0 << false;
        QTest::newRow("negative pixel size") << -5.0 << false;
        QTest::newRow("no pixel size") << double(NAN) << false;
        QTest::newRow("no image") << 100.0 << true;
    }

    void imageToScaleRefused()
    {
        QFETCH(double, pixelSize);
        QFETCH(bool, nullImage);
        const QString pdf = path(QStringLiteral("refused-%1.pdf").arg(QTest::currentDataTag()));
        KyPrinter printer;
        printer.printer()->setOutputFileName(pdf);
        QVERIFY(!printer.PrintImageToScale(nullImage ? QImage() : solidImage(10, 10, qRgb(0, 0, 0)), pixelSize));
        QVERIFY(!QFile::exists(pdf)); // no page was started
    }

    void imageToScaleOnUnwritablePdf()
    {
        KyPrinter printer;
        printer.printer()->setOutputFileName(path(QStringLiteral("missing/scale.pdf")));
        QVERIFY(!printer.PrintImageToScale(solidImage(10, 10, qRgb(0, 0, 0)), 100.0));
    }

    // PDF output needs no printer. (The printer a dialog chose is asked about by its name: the
    // print-status tests cover an unknown one.)
    void readiness()
    {
        KyPrinter pdf;
        pdf.printer()->setOutputFormat(QPrinter::PdfFormat);
        int printerStatus = -1;
        int jobStatus = -1;
        QVERIFY(pdf.IsDefaultPrinterReady(&printerStatus, &jobStatus));
        QCOMPARE(printerStatus, 0);
        QCOMPARE(jobStatus, 0);
        QVERIFY(pdf.SetDefaultPrinterOffline(false));

        // With no printer at all and no file chosen, nothing is printed, and that is no success.
        KyPrinter none;
        QVERIFY(!none.PrintImageToScale(solidImage(10, 10, qRgb(0, 0, 0)), 100.0));
    }

    // A print service that accepts connections but never answers: a printer for a PDF file is made
    // and writes its file without asking it, and the question put before making a printer for
    // paper says no within a couple of seconds. Afterwards this thread asks the configured service
    // again.
    void silentPrintService()
    {
        kytest::SilentPrintService service;
        QVERIFY(service.listening());
        QElapsedTimer timer;
        timer.start();
        {
            KyPrinter pdf(KyPrinter::Output::PdfFile);
            QCOMPARE(pdf.printer()->outputFormat(), QPrinter::PdfFormat);
            std::unique_ptr<KyTableView> table(makeTable(3, 8));
            QVERIFY(pdf.PrintToPdf(path(QStringLiteral("silent.pdf")), solidImage(20, 10, qRgb(0, 0, 0)), QImage(),
                                   table.get(), QString()));
        }
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(pdfPageCount(path(QStringLiteral("silent.pdf"))), 1);

        timer.restart();
        QVERIFY(!KyPrinter::PrintServiceAnswers());
        QVERIFY2(timer.elapsed() < 3500, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(QByteArray(platform::cupslibrary::cupsServer()), QByteArray("127.0.0.1"));

        service.close();
        QTRY_VERIFY_WITH_TIMEOUT(KyPrinter::PrintServiceAnswers(), 10000);
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyPrinter)
#include "tst_kyprinter.moc"
