// Saving: the Save and Save as actions, the save page's buttons, the background save tasks, the
// summary PDF and the saving pop-up.
#include "app/teskwindow.h"

#include "analysisview/kyanalysisview.h"
#include "app/kycopyview.h"
#include "app/savefailuretext.h"
#include "app/teskapp.h"
#include "core/analysissettings.h"
#include "core/fileutility.h"
#include "document/kycapturesave.h"
#include "document/kydocument.h"
#include "image/imagefile.h"
#include "instrument/lightmode.h"
#include "platform/logcategories.h"
#include "results/kysummaryreport.h"
#include "widgets/kymessagebox.h"
#include "widgets/kytextarea.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>
#include <QtConcurrent>

#include <algorithm>

namespace {

const QString kSaveAsPathKey = QStringLiteral("AN/SaveAsPath");

int saveStepTotal(const KyDocument *inDocument)
{
    return inDocument->SaveStepCount() + (inDocument->HasAnalysis() ? 2 : 0);
}

} // namespace

bool TeskWindow::isSaving() const
{
    return mSaving || KyCopyView::IsBusy();
}

QString TeskWindow::summaryPdfPath(const QString &inFirstImagePath)
{
    // Only the file name's suffix goes: a dot in a folder name must not cut the path.
    const QString base = TeskApp::saveBasePath(QDir::fromNativeSeparators(inFirstImagePath));
    if (base.isEmpty())
        return QString();
    return base + QStringLiteral(".pdf");
}

QString TeskWindow::saveAsProposal(const QString &inFirstImagePath, const QString &inSaveAsFolder,
                                   bool inWhiteLight, bool inHasImage, QString *outSuffix)
{
    const QString first = QDir::fromNativeSeparators(inFirstImagePath);
    QString folder = inSaveAsFolder;
    if (folder.isEmpty())
        folder = first.section(QLatin1Char('/'), 0, -3);
    const QString fileName = first.section(QLatin1Char('/'), -1);
    const QString name = fileName.contains(QLatin1Char('.')) ? fileName.section(QLatin1Char('.'), 0, -2) : fileName;
    QString stem = folder + QLatin1Char('/') + name;

    QString suffix;
    if (inHasImage) {
        if (inWhiteLight) {
            suffix = QStringLiteral("_Co");
        } else {
            const QString last = stem.section(QLatin1Char('_'), -1);
            if (stem.contains(QLatin1Char('_'))
                && (last == QLatin1String("Ch") || last == QLatin1String("Fl") || last.startsWith(QLatin1String("Fl-"))))
                suffix = QLatin1Char('_') + last;
        }
        if (!suffix.isEmpty() && stem.endsWith(suffix))
            stem.chop(suffix.size());
    }
    if (outSuffix)
        *outSuffix = suffix;

    QString proposal = stem + suffix;
    if (QFile::exists(proposal)) {
        static const QRegularExpression numbered(QRegularExpression::anchoredPattern(QStringLiteral(".*-\\d*")));
        if (numbered.match(stem).hasMatch())
            stem = stem.section(QLatin1Char('-'), 0, -2);
        for (int n = 1;; ++n) {
            proposal = QStringLiteral("%1-%2%3").arg(stem).arg(n).arg(suffix);
            if (!QFile::exists(proposal))
                break;
        }
    }
    return proposal;
}

void TeskWindow::on_actionSave_triggered()
{
    startSave(kAfterSave_Nothing);
}

void TeskWindow::on_actionSaveAs_triggered()
{
    if (isSaving())
        return;
    if (TeskApp::currentDocument())
        saveAsInteractive();
}

void TeskWindow::on_saveCancelButton_clicked()
{
    KyViewMode::instance()->returnFromSave();
}

void TeskWindow::applyEditedComment()
{
    KyDocument *document = TeskApp::currentDocument();
    if (!document)
        return;
    // The field shows at most its maximum length of the stored comment: an untouched field must
    // not cut a longer comment written by the instrument.
    const QString text = ui.saveCommentText->text();
    const int limit = ui.saveCommentText->maxLength();
    const QString stored = document->Comment();
    if (text == stored || (limit > 0 && stored.size() > limit && text == stored.left(limit)))
        return;
    document->SetComment(text);
}

void TeskWindow::showStoredComment(const QString &inComment)
{
    // The limit binds what is typed: a longer comment the instrument stored is shown whole, and an
    // edit of it keeps the rest.
    ui.saveCommentText->setMaxLength(std::max(mCommentTypedLength, int(inComment.size())));
    ui.saveCommentText->setText(inComment);
}

void TeskWindow::on_saveSaveButton_clicked()
{
    if (isSaving())
        return;
    KyViewMode *viewMode = KyViewMode::instance();
    viewMode->setBusy(KyViewMode::kBusy_Saving);
    applyEditedComment();
    on_actionSave_triggered();
    viewMode->unsetBusy(KyViewMode::kBusy_Saving);
    viewMode->returnFromSave();
}

void TeskWindow::on_saveSaveAsButton_clicked()
{
    if (isSaving())
        return;
    applyEditedComment();
    saveAsInteractive();
}

void TeskWindow::reconnectSaveProgress(KyDocument *inDocument)
{
    disconnect(inDocument, &KyDocument::SaveProgress, this, &TeskWindow::onSaveProgress);
    connect(inDocument, &KyDocument::SaveProgress, this, &TeskWindow::onSaveProgress);
}

void TeskWindow::startSave(int inAfterSaveAction)
{
    KyDocument *document = TeskApp::currentDocument();
    // One save at a time: a second one would write the same files from two threads.
    if (!document || isSaving())
        return;
    mAfterSaveAction = inAfterSaveAction;
    mSaving = true;
    emit openSavingView(saveStepTotal(document));
    reconnectSaveProgress(document);
    // The summary PDF joins the save's files, which go into the capture together.
    document->HoldNextSave();
    mSaveWatcher.setFuture(QtConcurrent::run([this] { return saveTask(); }));
}

bool TeskWindow::saveTask()
{
    FileUtility::TakeWriteError();
    TeskApp *app = TeskApp::instance();
    const bool saved = app && app->saveDocument();
    mSaveWriteError = FileUtility::TakeWriteError();
    return saved;
}

bool TeskWindow::saveAsTask(const QString &inPath)
{
    FileUtility::TakeWriteError();
    TeskApp *app = TeskApp::instance();
    const bool saved = app && app->saveDocumentAs(inPath);
    mSaveWriteError = FileUtility::TakeWriteError();
    return saved;
}

void TeskWindow::saveAsInteractive()
{
    KyDocument *document = TeskApp::currentDocument();
    if (!document || isSaving())
        return;

    AnalysisSettings *settings = AnalysisSettings::instance();
    const ImageFile *image = document->Image(0);
    QString suffix;
    const QString proposal = saveAsProposal(document->FilePathOfFirstImage(), settings->stringValue(kSaveAsPathKey),
                                            image && image->LightMode().isWhiteLight(), image != nullptr, &suffix);

    QString chosen = QFileDialog::getSaveFileName(this, QStringLiteral("Save image as"), proposal,
                                                  QStringLiteral("Image folder"), nullptr, QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return;
    chosen = QDir::fromNativeSeparators(chosen);
    if (!chosen.endsWith(suffix)) {
        chosen += suffix;
        if (QFile::exists(chosen)) {
            KyMessageBox::question(window(), QString(),
                                   tr("%1 already exists.\nPlease change the name.")
                                       .arg(chosen.section(QLatin1Char('/'), -1)),
                                   QStringLiteral("OK"), QString(), 0, false);
            QTimer::singleShot(10, this, &TeskWindow::on_actionSaveAs_triggered);
            return;
        }
    }
    settings->setValue(kSaveAsPathKey, chosen.section(QLatin1Char('/'), 0, -2));

    if (QDir(chosen).exists()
        && !KyMessageBox::question(
            window(), QString(),
            tr("This file name already exists.\nAre you sure you want to overwrite the existing file?"),
            QStringLiteral("Yes"), QStringLiteral("No"), 0, false))
        return;

    // The box above runs events: the document may have gone meanwhile.
    document = TeskApp::currentDocument();
    if (!document || isSaving())
        return;
    mSaving = true;
    emit openSavingView(saveStepTotal(document));
    reconnectSaveProgress(document);
    const QString target = QDir(chosen).absoluteFilePath(chosen.section(QLatin1Char('/'), -1));
    document->HoldNextSave();
    mSaveAsWatcher.setFuture(QtConcurrent::run([this, target] { return saveAsTask(target); }));
}

void TeskWindow::writeSummaryPdf(bool inAfterSave)
{
    mPdfAfterSave = inAfterSave;
    KyDocument *document = TeskApp::currentDocument();
    if (!analysisView() || !document || !document->HasAnalysis()) {
        summaryPdfEnded({true, 0}, false);
        return;
    }
    // Written where the held save keeps its files until they all go in place.
    const QString path = document->StagedSavePath(summaryPdfPath(document->FilePathOfFirstImage()));
    // The reason of a failure here comes before any of the job's, as the first one is told.
    const int stagingError = FileUtility::TakeWriteError();
    onSaveProgress();
    QCoreApplication::processEvents();
    if (path.isEmpty()) {
        summaryPdfEnded({false, stagingError}, false);
        return;
    }
    if (inAfterSave)
        qCDebug(lcApp) << "call getSummaryPDFItems";
    // The pictures come from widgets: drawn here, the file is written by the job, which reads none
    // of them and nothing of the document. The save stays busy (mSaving) until the job has ended.
    const std::shared_ptr<KySummaryReport> report = analysisView()->prepareSummaryReport();
    if (!report) {
        summaryPdfEnded({false, stagingError}, true);
        return;
    }
    mPdfWatcher.setFuture(QtConcurrent::run([report, path, stagingError, hook = mSummaryPdfHook] {
        FileUtility::TakeWriteError();
        if (hook)
            hook(path);
        const bool written = report->WriteTo(path);
        const int error = FileUtility::TakeWriteError();
        return SummaryPdfResult{written, stagingError != 0 ? stagingError : error};
    }));
}

void TeskWindow::onSummaryPdfFinished()
{
    summaryPdfEnded(mPdfWatcher.result(), true);
}

void TeskWindow::summaryPdfEnded(const SummaryPdfResult &inResult, bool inWriteTried)
{
    if (inWriteTried && (inResult.written || mPdfAfterSave)) {
        onSaveProgress();
        QCoreApplication::processEvents();
    }
    if (mPdfAfterSave)
        finishSave(true, inResult);
    else
        finishSaveAs(inResult);
}

void TeskWindow::onOpenSavingView(int inTotalCount)
{
    if (!mCopyView)
        mCopyView = new KyCopyView(this);
    if (!mCopyView) {
        KyViewMode::instance()->unsetBusy(KyViewMode::kBusy_Saving);
        return;
    }
    mCopyView->SetText(QStringLiteral("Saving..."));
    mCopyView->SetValue(inTotalCount);
    mCopyView->Show(window());
}

void TeskWindow::onSaveProgress()
{
    if (mCopyView)
        mCopyView->Step();
}

void TeskWindow::onCloseSavingView()
{
    if (!mCopyView)
        return;
    while (!mCopyView->IsFinished()) {
        mCopyView->Step();
        QThread::msleep(200);
    }
    mCopyView->Close();
    QCoreApplication::processEvents();
    delete mCopyView;
    mCopyView = nullptr;
}

void TeskWindow::onSaveSummaryToPDF(QString inPath)
{
    if (!analysisView() || !analysisView()->saveSummaryPdfTo(inPath))
        qCDebug(lcApp) << "failed to save pdf file";
}

void TeskWindow::endSaving(bool inSucceeded)
{
    if (inSucceeded && analysisView())
        analysisView()->updateSummaryTable();
    mSaving = false;
    // The pop-up is gone before anything that follows, so that a close no longer sees it busy.
    if (inSucceeded)
        emit closeSavingView();
    else
        onCloseSavingView();
}

void TeskWindow::reportSaveError(const QString &inText)
{
    KyMessageBox::question(window(), tr("Error"), inText, QStringLiteral("OK"), QString(), 0, false);
}

QString TeskWindow::saveErrorText(const QString &inFailure, int inError, const QString &inOtherwise) const
{
    const KyDocument *document = TeskApp::currentDocument();
    if (document && document->IsSaveRefusedAsBusy())
        return tr("Another window is saving this capture. Please try again when it has finished.");
    return saveFailureText(inFailure, inError, inOtherwise);
}

void TeskWindow::onSaveFinished()
{
    const bool saved = mSaveWatcher.result();
    FileUtility::TakeWriteError();
    // The images, the report and the PDF go into the capture together: without the PDF none of
    // them does, and the capture stays as it was.
    if (saved)
        writeSummaryPdf(true);
    else
        finishSave(false, {});
}

void TeskWindow::finishSave(bool inSaved, const SummaryPdfResult &inPdf)
{
    const bool written = inSaved && inPdf.written;
    KyDocument *document = TeskApp::currentDocument();
    mInstallSaved = inSaved;
    mInstallPdf = inPdf;
    if (!document) {
        saveInstalled({false, 0});
        return;
    }
    if (!startHeldSaveEnd(written, HeldSaveEnd::Save))
        saveInstalled({true, 0});
}

bool TeskWindow::startHeldSaveEnd(bool inInstall, HeldSaveEnd inThen)
{
    KyDocument *document = TeskApp::currentDocument();
    const std::shared_ptr<KyCaptureSave> save = document ? document->TakeHeldSave() : nullptr;
    if (!save)
        return false;
    mInstallThen = inThen;
    // The job reads nothing of the document, and puts the files in place in the same order.
    mInstallWatcher.setFuture(QtConcurrent::run([save, inInstall] {
        FileUtility::TakeWriteError();
        bool installed = false;
        if (inInstall)
            installed = save->install();
        else
            save->drop();
        const int error = FileUtility::TakeWriteError();
        return InstallResult{installed, error};
    }));
    return true;
}

void TeskWindow::onInstallFinished()
{
    const InstallResult result = mInstallWatcher.result();
    switch (mInstallThen) {
    case HeldSaveEnd::Save:
        saveInstalled(result);
        break;
    case HeldSaveEnd::SaveAs:
        saveAsInstalled(result);
        break;
    case HeldSaveEnd::FailedSaveAs:
        saveAsFailed();
        break;
    }
}

void TeskWindow::saveInstalled(const InstallResult &inInstall)
{
    const bool saved = mInstallSaved;
    const SummaryPdfResult pdf = mInstallPdf;
    KyDocument *document = TeskApp::currentDocument();
    if (!(saved && pdf.written) || !inInstall.installed) {
        const int error = !saved ? mSaveWriteError : pdf.error != 0 ? pdf.error : inInstall.error;
        endSaving(false);
        // The analysis counts as unsaved.
        if (saved && document)
            document->SetDirty(true);
        reportSaveError(saveErrorText(tr("Failed to save image."), error,
                                      tr("Failed to save image. Please close all files related to the capture "
                                         "that are opened in other applications.")));
        return;
    }
    endSaving(true);
    switch (mAfterSaveAction) {
    case kAfterSave_OpenPending:
        doOpen();
        break;
    case kAfterSave_CloseImage:
        closeCurrentImage();
        break;
    case kAfterSave_CloseWindow:
        close();
        break;
    default:
        break;
    }
    ui.actionSave->setEnabled(false);
}

void TeskWindow::onSaveAsFinished()
{
    if (!mSaveAsWatcher.result()) {
        if (!startHeldSaveEnd(false, HeldSaveEnd::FailedSaveAs))
            saveAsFailed();
        return;
    }
    // The document now lives in the new folder, whether or not its PDF can be written: the
    // capture goes in place with the PDF or without it.
    FileUtility::TakeWriteError();
    writeSummaryPdf(false);
}

void TeskWindow::saveAsFailed()
{
    endSaving(false);
    const QString failure = tr("Failed to save image file.");
    reportSaveError(saveErrorText(failure, mSaveWriteError, failure));
}

void TeskWindow::finishSaveAs(const SummaryPdfResult &inPdf)
{
    mInstallPdf = inPdf;
    if (!startHeldSaveEnd(true, HeldSaveEnd::SaveAs))
        saveAsInstalled({true, 0});
}

void TeskWindow::saveAsInstalled(const InstallResult &inInstall)
{
    const SummaryPdfResult pdf = mInstallPdf;
    if (!inInstall.installed) {
        endSaving(false);
        const QString failure = tr("Failed to save image file.");
        reportSaveError(saveFailureText(failure, inInstall.error, failure));
        return;
    }
    updateWindowTitle();
    if (!pdf.written) {
        endSaving(false);
        const QString failure = tr("Failed to save PDF file of analysis summary.");
        reportSaveError(saveFailureText(failure, pdf.error, failure));
        return;
    }
    endSaving(true);
    if (ui.stackedWidget->currentIndex() == kPage_Save) {
        onImageOpened();
        KyViewMode::instance()->returnFromSave();
    }
}
