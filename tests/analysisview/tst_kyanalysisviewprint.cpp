// Copy, print and the summary PDF of the analysis screen: what each step copies, the image page at
// its true size, the printer check and the notices, the summary items and the PDF written from them,
// and pictures rendered without running the event loop.

#include "mwsummaryfixture.h"
#include "silentprintservice.h"
#include "testmain.h"

#include "results/kybarchartctrl.h"
#include "results/kyprintdata.h"
#include "results/kyprinter.h"
#include "results/kyprofilegraphview.h"
#include "results/kyselectedmodel.h"
#include "results/kysummaryreport.h"
#include "results/kytablemodel.h"
#include "widgets/kyimageview.h"
#include "widgets/kytab.h"
#include "widgets/kytableview.h"

#include <QClipboard>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHeaderView>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtConcurrent>

#include <cmath>

using namespace screentest;

namespace {

const QDateTime kNow(QDate(2021, 4, 5), QTime(6, 7, 8));

// Peaks per lane of the ramp document; later positions give larger volumes.
const QList<QList<int>> kPeaks = {{12, 50}, {30}, {15, 50, 90}};

std::unique_ptr<TestDocument> bandDocument()
{
    auto doc = laneDocument();
    for (int lane = 0; lane < kPeaks.size(); ++lane) {
        for (int peak : kPeaks.at(lane))
            doc->AddBand(0, lane, peak);
    }
    // Normalised values in lanes 1 and 3.
    sampleanalysis::markReference(*doc, 0, 0, 0);
    sampleanalysis::markReference(*doc, 0, 2, 0);
    return doc;
}

// One black image of inWidth x inHeight pixels of inPixelSize micrometres.
std::unique_ptr<TestDocument> blackDocument(int inWidth, int inHeight, double inPixelSize)
{
    ImageFile image = kytest::makeImage(inWidth, inHeight, [](int, int) { return quint16(0); });
    image.SetPixelSize(inPixelSize);
    image.SetNegative(false);
    return std::make_unique<TestDocument>(QVector<ImageFile>{image});
}

QString run(const QString &inProgram, const QStringList &inArguments)
{
    QProcess process;
    process.start(inProgram, inArguments);
    if (!process.waitForFinished(30000))
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString pdfText(const QString &inPath)
{
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), inPath, QStringLiteral("-")});
}

// The first page at inDpi, in grey.
QImage pdfPage(const QString &inPath, int inDpi)
{
    const QString prefix = inPath + QStringLiteral("-page");
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-gray"), QStringLiteral("-singlefile"),
                                     QStringLiteral("-r"), QString::number(inDpi), inPath, prefix});
    return QImage(prefix + QStringLiteral(".png"));
}

// The rectangle of rows and columns that are mostly dark: the printed picture, not the title text.
QRect darkBlock(const QImage &inPage, int inMinimumRun)
{
    QVector<int> rows(inPage.height()), columns(inPage.width());
    for (int y = 0; y < inPage.height(); ++y) {
        for (int x = 0; x < inPage.width(); ++x) {
            if (qGray(inPage.pixel(x, y)) < 96) {
                ++rows[y];
                ++columns[x];
            }
        }
    }
    QRect block;
    for (int y = 0; y < rows.size(); ++y) {
        for (int x = 0; x < columns.size(); ++x) {
            if (rows.at(y) >= inMinimumRun && columns.at(x) >= inMinimumRun)
                block |= QRect(x, y, 1, 1);
        }
    }
    return block;
}

bool hasColour(const QImage &inImage, const QColor &inColour)
{
    const QImage image = inImage.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0xffffff) == (inColour.rgb() & 0xffffff))
                return true;
        }
    }
    return false;
}

bool allWhite(const QImage &inImage)
{
    const QImage image = inImage.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0xffffff) != 0xffffff)
                return false;
        }
    }
    return true;
}

void clickRow(KyTableView *inTable, int inRow)
{
    const QRect cell = inTable->visualRect(inTable->model()->index(inRow, 0));
    QTest::mouseClick(inTable->viewport(), Qt::LeftButton, {}, cell.center());
}

// What came up while a modal call ran: the print dialog is answered with PDF output to inPdf
// (accepted or not), and each message box is noted and closed.
class ModalAnswers : public QObject
{
public:
    ModalAnswers(const QString &inPdf, bool inAccept) : mPdf(inPdf), mAccept(inAccept)
    {
        connect(&mPoll, &QTimer::timeout, this, &ModalAnswers::poll);
        mPoll.start(5);
        // Whatever the test does, nothing stays open.
        QTimer::singleShot(10000, this, [this] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                qWarning("a modal window was left open: closing it");
                if (auto *dialog = qobject_cast<QDialog *>(modal))
                    dialog->done(0);
            }
        });
    }

    bool dialogShown = false;
    QStringList notices;

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *dialog = qobject_cast<QPrintDialog *>(modal)) {
            dialogShown = true;
            dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
            dialog->printer()->setOutputFileName(mPdf);
            dialog->done(mAccept ? QDialog::Accepted : QDialog::Rejected);
        } else if (auto *box = qobject_cast<KyMessageBox *>(modal)) {
            notices.append(box->text());
            box->done(1);
        }
    }

    QString mPdf;
    bool mAccept;
    QTimer mPoll;
};

} // namespace

class TestKyAnalysisViewPrint : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<KyAnalysisView> view;
    std::unique_ptr<KyDocument> doc;
    QTemporaryDir files;

    void open(std::unique_ptr<TestDocument> inDoc)
    {
        doc = std::move(inDoc);
        attach(*view, doc.get());
    }
    void enterSummary()
    {
        QTest::mouseClick(view->summaryModeButton, Qt::LeftButton);
        QCOMPARE(view->mode(), int(KyAnalysisView::kMode_Summary));
    }
    void pickRows(const QList<int> &inRows)
    {
        for (int row : inRows)
            clickRow(view->summaryTableView, row);
    }
    void chooseBarTab(int inIndex)
    {
        QTest::mouseClick(view->barGraphTab->tabs().at(inIndex), Qt::LeftButton);
        QCOMPARE(view->barGraphTab->currentIndex(), inIndex);
    }
    QString filePath(const QString &inName) const
    {
        return files.filePath(inName + QLatin1Char('-') + QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".pdf"));
    }

private slots:
    void init()
    {
        view = std::make_unique<KyAnalysisView>();
        view->setInfoClock([] { return kNow; });
        // No test ever asks a real printer.
        view->setPrinterReadiness([](KyPrinter *) {
            qWarning("the printer was asked");
            return false;
        });
        view->resize(1280, 800);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    }
    void cleanup()
    {
        KyCurrentDocument::setDocument(nullptr);
        view.reset();
        doc.reset();
    }

    // ---- copy

    // The Summary step copies the table as text; the other steps the image as the canvas shows it,
    // or the profile graph.
    void copyPerStep_data()
    {
        QTest::addColumn<bool>("summary");
        QTest::addColumn<bool>("profile");
        QTest::newRow("summary table") << true << false;
        QTest::newRow("lanes image") << false << false;
        QTest::newRow("lanes profile") << false << true;
    }
    void copyPerStep()
    {
        QFETCH(bool, summary);
        QFETCH(bool, profile);
        open(bandDocument());
        if (summary)
            enterSummary();
        if (profile)
            QTest::mouseClick(view->profileButton, Qt::LeftButton);
        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->setText(QStringLiteral("before"));

        view->copy();
        if (summary) {
            const QString text = clipboard->text();
            QCOMPARE(text, view->tableModel()->tableText());
            const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            QCOMPARE(lines.size(), 1 + 6);
            QVERIFY2(lines.first().startsWith(QStringLiteral("Lane\tBand\tVolume")), qPrintable(lines.first()));
            QCOMPARE(lines.at(1).count(QLatin1Char('\t')), lines.first().count(QLatin1Char('\t')));
        } else if (profile) {
            QCOMPARE(clipboard->image().convertToFormat(QImage::Format_RGB32),
                     view->profileGraphView->renderImage().convertToFormat(QImage::Format_RGB32));
        } else {
            const KyImageView *canvas = view->imageView;
            const QSize scaled(int(canvas->scale() * canvas->imageWidth() + 0.5),
                               int(canvas->scale() * canvas->imageHeight() + 0.5));
            QVERIFY(canvas->scale() != 1.0);
            QCOMPARE(clipboard->image().size(), scaled);
        }
    }

    // ---- the image page

    // The picture comes out at its physical size; a landscape picture is turned to fit the page.
    // No printer is installed: output to a PDF file needs none and is never checked with one.
    void imagePageAtTrueSize_data()
    {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<QSize>("embedded");
        QTest::newRow("landscape") << QSize(300, 200) << QSize(200, 300);
        QTest::newRow("portrait") << QSize(200, 300) << QSize(200, 300);
    }
    void imagePageAtTrueSize()
    {
        QFETCH(QSize, pixels);
        QFETCH(QSize, embedded);
        constexpr double kPixelSize = 500.0; // 100 x 150 mm either way up
        open(blackDocument(pixels.width(), pixels.height(), kPixelSize));
        view->setPrinterReadiness({});
        const QString pdf = filePath(QStringLiteral("image"));
        KyPrinter printer;
        printer.printer()->setOutputFormat(QPrinter::PdfFormat);
        printer.printer()->setOutputFileName(pdf);
        QVERIFY(view->printImagePage(&printer));
        QVERIFY(QFileInfo::exists(pdf));

        // The embedded picture, turned or not, at 25400 / 500 = 51 pixels per inch.
        const QStringList images = run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf})
                                       .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(images.size(), 3);
        const QStringList fields = images.at(2).simplified().split(QLatin1Char(' '));
        QCOMPARE(fields.at(3).toInt(), embedded.width());
        QCOMPARE(fields.at(4).toInt(), embedded.height());
        QCOMPARE(fields.at(12).toInt(), 51);
        QCOMPARE(fields.at(13).toInt(), 51);

        // On the page: 100 mm wide and 150 mm high, at 50 dpi 197 x 295 pixels.
        const QImage page = pdfPage(pdf, 50);
        QVERIFY(!page.isNull());
        const QRect block = darkBlock(page, 150);
        QVERIFY2(std::abs(block.width() - 197) <= 2, qPrintable(QString::number(block.width())));
        QVERIFY2(std::abs(block.height() - 295) <= 2, qPrintable(QString::number(block.height())));
        // The information text is printed above it.
        QVERIFY(pdfText(pdf).contains(QStringLiteral("File name: (Not saved)")));
    }

    // A printer that is not ready gets nothing; the check is the one the screen was given.
    void imagePageNotReady()
    {
        open(blackDocument(40, 60, 100.0));
        int asked = 0;
        KyPrinter *askedFor = nullptr;
        view->setPrinterReadiness([&asked, &askedFor](KyPrinter *inPrinter) {
            ++asked;
            askedFor = inPrinter;
            return false;
        });
        KyPrinter printer;
        const QString pdf = files.filePath(QStringLiteral("not-ready.pdf"));
        printer.printer()->setOutputFormat(QPrinter::PdfFormat);
        printer.printer()->setOutputFileName(pdf);
        QVERIFY(!view->printImagePage(&printer));
        QCOMPARE(asked, 1);
        QCOMPARE(askedFor, &printer);
        QVERIFY(!QFileInfo::exists(pdf));
    }

    // Print from a step: the dialog decides, the page prints, and a page that did not come out is
    // reported; the main page shows again after a print, and a cancel changes nothing.
    void printFromStep_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<bool>("ready");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("notice");
        QTest::newRow("cancelled") << false << true << true << "";
        QTest::newRow("printed") << true << true << true << "";
        QTest::newRow("not ready") << true << false << true << "The printer is not ready.\nCheck the printer and try again.";
        QTest::newRow("failed") << true << true << false << "The image could not be printed.";
    }
    void printFromStep()
    {
        QFETCH(bool, accept);
        QFETCH(bool, ready);
        QFETCH(bool, writable);
        QFETCH(QString, notice);
        open(blackDocument(40, 60, 100.0));
        view->setPrinterReadiness([ready](KyPrinter *) { return ready; });
        const QString pdf = writable ? filePath(QStringLiteral("print"))
                                     : files.filePath(QStringLiteral("missing/print.pdf"));
        view->stackedWidget->setCurrentIndex(2);

        ModalAnswers answers(pdf, accept);
        view->print();
        QVERIFY(answers.dialogShown);
        QCOMPARE(answers.notices, notice.isEmpty() ? QStringList() : QStringList{notice});
        QCOMPARE(QFileInfo::exists(pdf), accept && ready && writable);
        QCOMPARE(view->stackedWidget->currentIndex(), accept ? 0 : 2);
    }

    // In the Summary step print is the summary print: the report page with its table; a page that
    // did not come out is reported as in the other steps.
    void printInSummaryStep_data()
    {
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("notice");
        QTest::newRow("printed") << true << "";
        QTest::newRow("failed") << false << "The image could not be printed.";
    }
    void printInSummaryStep()
    {
        QFETCH(bool, writable);
        QFETCH(QString, notice);
        open(bandDocument());
        enterSummary();
        const QString pdf = writable ? filePath(QStringLiteral("summary-print"))
                                     : files.filePath(QStringLiteral("missing/summary-print.pdf"));
        ModalAnswers answers(pdf, true);
        view->print();
        QVERIFY(answers.dialogShown);
        QCOMPARE(answers.notices, notice.isEmpty() ? QStringList() : QStringList{notice});
        QCOMPARE(QFileInfo::exists(pdf), writable);
        if (writable)
            QVERIFY(pdfText(pdf).contains(QStringLiteral("Serial number:")));
    }

    // A print service that accepts connections but never answers holds the window a couple of
    // seconds at most: print says the printer is not ready without opening the print dialog, and
    // the summary PDF, which needs no printer, is written without asking the service at all.
    void silentPrintService_data()
    {
        QTest::addColumn<bool>("summary");
        QTest::addColumn<bool>("toPdf");
        QTest::newRow("print from a step") << false << false;
        QTest::newRow("print the summary") << true << false;
        QTest::newRow("summary PDF") << true << true;
    }
    void silentPrintService()
    {
        QFETCH(bool, summary);
        QFETCH(bool, toPdf);
        open(bandDocument());
        if (summary) {
            enterSummary();
            pickRows({0});
        }
        const QString pdf = filePath(QStringLiteral("silent"));
        kytest::SilentPrintService service;
        QVERIFY(service.listening());
        QElapsedTimer timer;
        timer.start();
        if (toPdf) {
            QVERIFY(view->saveSummaryPdfTo(pdf));
            QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
            QVERIFY(pdfText(pdf).contains(QStringLiteral("Volume")));
        } else {
            ModalAnswers answers(pdf, true);
            view->print();
            QVERIFY2(timer.elapsed() < 3500, qPrintable(QString::number(timer.elapsed())));
            QVERIFY(!answers.dialogShown);
            QCOMPARE(answers.notices, QStringList{QStringLiteral("The printer is not ready.\nCheck the printer and try again.")});
            QVERIFY(!QFileInfo::exists(pdf));
        }
        // The question left waiting ends with the service; later tests find the service absent.
        service.close();
        QTRY_VERIFY_WITH_TIMEOUT(KyPrinter::PrintServiceAnswers(), 10000);
    }

    // ---- the summary items and the summary PDF

    // The title is the information text of the whole document, on the fixed clock; the table is a
    // copy of the summary table with its header.
    void summaryItems()
    {
        open(bandDocument());
        enterSummary();
        KyPrintData items(files.filePath(QStringLiteral("items.pdf")));
        QVERIFY(view->getSummaryPDFItems(&items));
        QCOMPARE(items.title(), view->analysisInfoText(0, 0, true));
        QVERIFY(items.title().startsWith(QStringLiteral("File name:\t(Not saved)\n\t\n")));
        QVERIFY(items.title().contains(QStringLiteral("Date and time of analysis:\t2021/04/05 06:07:08\n")));

        QTableView *table = items.table();
        QVERIFY(table);
        QVERIFY(table->model());
        QVERIFY(table->model() != view->tableModel());
        QVERIFY(!table->parent());
        QCOMPARE(table->model()->rowCount(), 6);
        QStringList header;
        for (int c = 0; c < table->model()->columnCount(); ++c) {
            if (!table->isColumnHidden(c))
                header.append(table->model()->headerData(c, Qt::Horizontal).toString());
        }
        QCOMPARE(header, (QStringList{"Lane", "Band", "Volume", "Lane %", "Normalized value", "MW", "Rf"}));
        QCOMPARE(table->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(table->frameShape(), QFrame::NoFrame);

        // The PDF of the items carries the title as text (the table is a picture on the page).
        KyPrinter printer;
        QVERIFY(printer.ExportPdf(items));
        const QString text = pdfText(items.fileName());
        for (const QString &line : {QStringLiteral("File name: (Not saved)"),
                                    QStringLiteral("Date and time of analysis: 2021/04/05 06:07:08"),
                                    QStringLiteral("Serial number:")})
            QVERIFY2(text.contains(line), qPrintable(text));
    }

    // With several images the printed table is sorted by lane (channel by channel in the screen's
    // build order otherwise), whatever order the screen's table shows.
    void summaryTableSortedByLane()
    {
        auto made = laneDocument(2);
        for (int channel = 0; channel < 2; ++channel) {
            for (int lane = 0; lane < kPeaks.size(); ++lane) {
                for (int peak : kPeaks.at(lane))
                    QVERIFY(made->AddBand(channel, lane, peak) >= 0);
            }
        }
        open(std::move(made));
        enterSummary();
        // The user sorts the screen's table by volume.
        QHeaderView *header = view->summaryTableView->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(3) + header->sectionSize(3) / 2, header->height() / 2));
        QCOMPARE(header->sortIndicatorSection(), 3);

        KyPrintData items(files.filePath(QStringLiteral("sorted.pdf")));
        QVERIFY(view->getSummaryPDFItems(&items));
        QAbstractItemModel *model = items.table()->model();
        QCOMPARE(model->rowCount(), 12);
        QList<int> lanes;
        for (int r = 0; r < model->rowCount(); ++r)
            lanes.append(model->index(r, 1).data().toInt());
        QCOMPARE(lanes, (QList<int>{1, 1, 1, 1, 2, 2, 3, 3, 3, 3, 3, 3}));
        // The header's sort mark tells that order.
        QCOMPARE(items.table()->horizontalHeader()->sortIndicatorSection(), 1);
        QCOMPARE(items.table()->horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
    }

    // The chart and its caption come only with picked rows; the caption names the current tab.
    void summaryCaption_data()
    {
        QTest::addColumn<QList<int>>("picks");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("caption");
        QTest::newRow("nothing picked") << QList<int>() << 1 << "";
        QTest::newRow("Vol.") << QList<int>{0, 3} << 0 << "Volume";
        QTest::newRow("Lane%") << QList<int>{0, 3} << 1 << "Lane %";
        QTest::newRow("Norm.") << QList<int>{1} << 2 << "Normalized value";
    }
    void summaryCaption()
    {
        QFETCH(QList<int>, picks);
        QFETCH(int, tab);
        QFETCH(QString, caption);
        open(bandDocument());
        enterSummary();
        pickRows(picks);
        chooseBarTab(tab);

        KyPrintData items(filePath(QStringLiteral("items")));
        QVERIFY(view->getSummaryPDFItems(&items));
        QCOMPARE(items.caption(), caption);
        QCOMPARE(items.image2().size(), QSize(756, 464));
        QCOMPARE(allWhite(items.image2()), picks.isEmpty());
        QCOMPARE(hasColour(items.image2(), KyBarChartCtrl::barColor()), !picks.isEmpty());
        // The picked rows are the printed table's picked rows.
        auto *printed = qobject_cast<KyTableModel *>(items.table()->model());
        QVERIFY(printed);
        QCOMPARE(printed->selection(), view->tableModel()->selection());
        QCOMPARE(printed->selectedModel()->rowCount(), picks.size());

        // The PDF written to a chosen path shows the caption above the chart.
        const QString pdf = filePath(QStringLiteral("saved"));
        QVERIFY(view->saveSummaryPdfTo(pdf));
        const QString text = pdfText(pdf);
        QVERIFY2(text.contains(QStringLiteral("Date and time of analysis: 2021/04/05 06:07:08")), qPrintable(text));
        for (const QString &name : {QStringLiteral("Volume"), QStringLiteral("Lane %"), QStringLiteral("Normalized value")})
            QCOMPARE(text.contains(name), name == caption);
    }

    // After the bands were edited elsewhere, the summary table's picks may name other bands: the
    // printout takes none of them until the table is rebuilt.
    void staleTablePassesNoPicks()
    {
        open(bandDocument());
        enterSummary();
        pickRows({1, 4});
        const QList<KyBandKey> picks = view->tableModel()->selection();
        QCOMPARE(picks.size(), 2);
        QTest::mouseClick(view->bandsModeButton, Qt::LeftButton);
        QVERIFY(doc->RemoveBand(0, 0, 0)); // band 1 of lane 1 is band 0 now

        KyPrintData items(files.filePath(QStringLiteral("stale.pdf")));
        QVERIFY(view->getSummaryPDFItems(&items));
        auto *printed = qobject_cast<KyTableModel *>(items.table()->model());
        QVERIFY(printed);
        QCOMPARE(printed->rowCount(), 5);
        QVERIFY(printed->selection().isEmpty());
        QCOMPARE(printed->selectedModel()->rowCount(), 0);
        QCOMPARE(items.caption(), QString());
        QVERIFY(allWhite(items.image2()));
        // The screen's own table is left as it is.
        QCOMPARE(view->tableModel()->selection(), picks);
        const QString pdf = files.filePath(QStringLiteral("stale-saved.pdf"));
        QVERIFY(view->saveSummaryPdfTo(pdf));
        QVERIFY(!pdfText(pdf).contains(QStringLiteral("Lane %")));
    }

    // The report made ready for the summary PDF holds all it shows: written on another thread
    // after the bands changed and the view and document went, it is the PDF of the moment it was
    // made.
    void preparedReportKeepsItsMoment()
    {
        open(bandDocument());
        enterSummary();
        pickRows({1, 4});
        const QString direct = files.filePath(QStringLiteral("moment-direct.pdf"));
        QVERIFY(view->saveSummaryPdfTo(direct));
        const std::shared_ptr<KySummaryReport> report = view->prepareSummaryReport();
        QVERIFY(report);
        QVERIFY(doc->RemoveBand(0, 2, 0));
        KyCurrentDocument::setDocument(nullptr);
        view.reset();
        doc.reset();
        const QString later = files.filePath(QStringLiteral("moment-later.pdf"));
        QThread *guiThread = QThread::currentThread();
        // Waited for without result(), which would run a job not yet started on this thread.
        const QFuture<bool> written = QtConcurrent::run([report, later, guiThread] {
            return QThread::currentThread() != guiThread && report->WriteTo(later);
        });
        QTRY_VERIFY_WITH_TIMEOUT(written.isFinished(), 30000);
        QVERIFY(written.result());
        const QString text = pdfText(direct);
        QVERIFY(text.contains(QStringLiteral("Volume")));
        QCOMPARE(pdfText(later), text);
        QCOMPARE(pdfPage(later, 72), pdfPage(direct, 72));
    }

    // Without a document nothing is made and nothing is reported done.
    void noDocument()
    {
        KyPrintData items(files.filePath(QStringLiteral("none-items.pdf")));
        QVERIFY(!view->getSummaryPDFItems(&items));
        QVERIFY(!items.table());
        QVERIFY(items.title().isEmpty());
        const QString pdf = files.filePath(QStringLiteral("none.pdf"));
        QVERIFY(!view->saveSummaryPdfTo(pdf));
        QVERIFY(!QFileInfo::exists(pdf));
        QVERIFY(view->renderLaneImage(QSize(300, 200)).isNull());
        KyPrinter printer;
        printer.printer()->setOutputFormat(QPrinter::PdfFormat);
        printer.printer()->setOutputFileName(files.filePath(QStringLiteral("none-image.pdf")));
        QVERIFY(!view->printImagePage(&printer));
        QVERIFY(!QFileInfo::exists(files.filePath(QStringLiteral("none-image.pdf"))));
    }

    // The lane picture has one size whether or not the summary page was ever shown, and shows the
    // lanes on white.
    void lanePictureSize()
    {
        open(bandDocument());
        KyPrintData before(files.filePath(QStringLiteral("before.pdf")));
        QVERIFY(view->getSummaryPDFItems(&before));
        enterSummary();
        KyPrintData after(files.filePath(QStringLiteral("after.pdf")));
        QVERIFY(view->getSummaryPDFItems(&after));

        QCOMPARE(before.image().size(), KyAnalysisView::summaryLaneImageSize());
        QCOMPARE(after.image(), before.image());
        const QImage picture = before.image();
        QCOMPARE(picture.pixel(0, 0), qRgb(255, 255, 255));
        QCOMPARE(picture.pixel(picture.width() / 2, 2), qRgb(255, 255, 255));
        QVERIFY(hasColour(picture, QColor(59, 115, 185))); // the lane frame
        QCOMPARE(view->renderLaneImage(QSize(321, 123)).size(), QSize(321, 123));
    }

    // Nothing waiting in the event queue runs while a picture or a PDF is made: queued input could
    // switch steps or edit the analysis half-way.
    void noEventsWhileRendering_data()
    {
        QTest::addColumn<int>("what");
        QTest::newRow("renderWidgetImage") << 0;
        QTest::newRow("renderWidgetImageWithPainter") << 1;
        QTest::newRow("renderLaneImage") << 2;
        QTest::newRow("getSummaryPDFItems") << 3;
        QTest::newRow("saveSummaryPdfTo") << 4;
    }
    void noEventsWhileRendering()
    {
        QFETCH(int, what);
        open(bandDocument());
        enterSummary();
        pickRows({0});
        bool ran = false;
        QMetaObject::invokeMethod(view.get(), [&ran] { ran = true; }, Qt::QueuedConnection);
        KyPrintData items(filePath(QStringLiteral("events")));
        switch (what) {
        case 0:
            QVERIFY(!view->renderWidgetImage(view->view2StackedWidget->size()).isNull());
            break;
        case 1:
            QVERIFY(!view->renderWidgetImageWithPainter(view->view2StackedWidget->size()).isNull());
            break;
        case 2:
            QVERIFY(!view->renderLaneImage(QSize(400, 300)).isNull());
            break;
        case 3:
            QVERIFY(view->getSummaryPDFItems(&items));
            break;
        default:
            QVERIFY(view->saveSummaryPdfTo(items.fileName()));
            break;
        }
        QVERIFY(!ran);
        QCoreApplication::processEvents();
        QVERIFY(ran);
    }

    // The summary page's picture leaves its tool buttons out and puts them back afterwards.
    void widgetPictureWithoutButtons_data()
    {
        QTest::addColumn<bool>("painter");
        QTest::newRow("render") << false;
        QTest::newRow("painter") << true;
    }
    void widgetPictureWithoutButtons()
    {
        QFETCH(bool, painter);
        open(bandDocument());
        enterSummary();
        QList<QWidget *> buttons{view->zoomOut3Button, view->zoomUp3Button, view->zoomOut4Button,
                                 view->zoomUp4Button, view->profile2MenuButton};
        if (painter)
            buttons.append(view->kyLabel_8);
        else
            buttons.append({view->image4Button, view->profile4Button});
        QList<bool> hidden;
        for (QWidget *button : buttons)
            hidden.append(button->isHidden());
        QVERIFY(!view->zoomUp3Button->isHidden());

        const QSize size = view->view2StackedWidget->size();
        const QImage picture = painter ? view->renderWidgetImageWithPainter(size) : view->renderWidgetImage(size);
        QCOMPARE(picture.size(), size);

        // The same page with those buttons hidden by hand.
        for (QWidget *button : buttons)
            button->hide();
        if (!painter)
            view->image2View->hideArrows();
        QImage expected(size, QImage::Format_RGB32);
        expected.fill(Qt::white);
        view->view2StackedWidget->render(&expected, QPoint(), QRegion(),
                                         QWidget::DrawWindowBackground | QWidget::DrawChildren);
        if (!painter)
            view->image2View->showArrows();
        for (int i = 0; i < buttons.size(); ++i)
            buttons.at(i)->setHidden(hidden.at(i));
        QCOMPARE(picture, expected);

        // And the buttons are back as they were; the contrast button stays hidden.
        const QImage again = painter ? view->renderWidgetImageWithPainter(size) : view->renderWidgetImage(size);
        for (int i = 0; i < buttons.size(); ++i)
            QCOMPARE(buttons.at(i)->isHidden(), hidden.at(i));
        QVERIFY(view->contrast3Button->isHidden());
        QCOMPARE(again, picture);
    }
};

KY_TEST_MAIN_WITH(QApplication, TestKyAnalysisViewPrint)
#include "tst_kyanalysisviewprint.moc"
