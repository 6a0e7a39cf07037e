// The folder scan and the folder watch of the image-file browser.
#include "app/kyimagefilelistmodel.h"

#include "core/kyviewmode.h"
#include "core/ldir.h"
#include "image/tiffcodec.h"
#include "platform/logcategories.h"

#include <QDebug>
#include <QMap>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <mutex>

KyImageFileListModel::ScanInput KyImageFileListModel::TakeScanInput() const
{
    return ScanInput{mFolder, mFilter, mMaxCount, mSortType, mSortOrder, mItems};
}

QList<ImageFileInfoItem> KyImageFileListModel::ScanFolder() const
{
    return ScanFolder(TakeScanInput());
}

QList<ImageFileInfoItem> KyImageFileListModel::ScanFolder(const ScanInput &input)
{
    QList<ImageFileInfoItem> found;
    // QDir("") is the working folder: no folder, no captures.
    if (input.folder.isEmpty())
        return found;
    const QDir::SortFlags order =
        input.filter.isEmpty() ? QDir::SortFlags(QDir::Name | QDir::IgnoreCase) : QDir::Time;
    const LDir folder(input.folder);
    const QStringList names = folder.entryList(
        QDir::Dirs | QDir::NoSymLinks | QDir::NoDotAndDotDot | QDir::Readable, order);
    for (const QString &name : names) {
        const ImageFileInfoItem item(folder.absoluteFilePath(name), false);
        // A capture that vanished since the listing gets no item: an empty path would stand for
        // the working folder in every later file operation.
        if (item.Path().isEmpty())
            continue;
        if (input.filter.isEmpty()) {
            found.append(item);
            continue;
        }
        const LDir capture(item.Path());
        const QStringList tiffs = capture.entryList(
            {QStringLiteral("*.tif")},
            QDir::Files | QDir::NoSymLinks | QDir::NoDotAndDotDot | QDir::Readable, QDir::NoSort);
        const bool matches = std::any_of(tiffs.cbegin(), tiffs.cend(), [&](const QString &tiff) {
            return tiff.contains(input.filter, Qt::CaseInsensitive)
                   || MatchImageDescription(capture.absoluteFilePath(tiff), input.filter);
        });
        if (!matches)
            continue;
        found.append(item);
        if (found.size() >= input.maxCount)
            break;
    }
    for (ImageFileInfoItem &item : found) {
        const auto old = std::find(input.items.cbegin(), input.items.cend(), item);
        if (old != input.items.cend())
            item.SetSelected(old->IsSelected());
    }
    SortList(found, input.sortType, input.sortOrder);
    return found;
}

bool KyImageFileListModel::MatchImageDescription(const QString &tiffPath) const
{
    return MatchImageDescription(tiffPath, mFilter);
}

bool KyImageFileListModel::MatchImageDescription(const QString &tiffPath, const QString &filter)
{
    QMap<QString, QString> tags;
    if (!readTiffTags(tiffPath, tags))
        return false;
    const QString line =
        tags.value(QStringLiteral("Image description")).section(QLatin1Char('\r'), 0, 0);
    if (line.isEmpty())
        return false;
    const QString value = line.section(QLatin1Char('='), 1, -1);
    if (value.isEmpty())
        return false;
    return value.contains(filter, Qt::CaseInsensitive);
}

void KyImageFileListModel::Update()
{
    // The scan gets a copy of everything it reads; it never touches the model from the pool.
    mUpdateWatcher.setFuture(QtConcurrent::run(
        [input = TakeScanInput()] { return KyImageFileListModel::ScanFolder(input); }));
}

void KyImageFileListModel::InstallItems(const QList<ImageFileInfoItem> &items)
{
    const int n = int(items.size());
    const int size = PageSize();
    const int newPages = n > 0 ? (n - 1) / size + 1 : 1;
    // Keep the page while it still has items; the old last page, or a page past the new end,
    // becomes the new last page.
    int target = PageIndex();
    if (newPages < PageCount() && (CurrentPageNumber() == PageCount() || target > newPages - 1))
        target = newPages - 1;
    target = std::max(0, std::min(target, PageLimit()));
    // The page moves while the old list is still in place, so every announcement below is
    // made against the page the views show.
    if (target != PageIndex() && target <= MaxPageIndex())
        SetPageIndex(target);
    const int before = rowCount();
    const int after =
        int(std::clamp<qint64>(qint64(n) - qint64(PageIndex()) * size, 0, size));
    mSelectedModel->BeginReset();
    if (after > before) {
        beginInsertRows(QModelIndex(), before, after - 1);
        mItems = items;
        endInsertRows();
    } else if (after < before) {
        // The rows past the new end go; the rows that stay are announced as changed after.
        beginRemoveRows(QModelIndex(), after, before - 1);
        mItems = items;
        endRemoveRows();
    } else {
        mItems = items;
    }
    mSelectedModel->EndReset();
}

void KyImageFileListModel::ReplaceItems(const QList<ImageFileInfoItem> &items)
{
    const int old = int(mItems.size());
    const int n = int(items.size());
    qCDebug(lcApp) << "image folder changed: count dif = " << old - n << "(" << old << "-" << n << ")";
    InstallItems(items);
}

void KyImageFileListModel::OnUpdateFinished()
{
    ReplaceItems(mUpdateWatcher.result());
    AnnouncePage();
    emit selectedCountChanged(mSelectedModel->TotalCount());
    emit updated();
}

void KyImageFileListModel::OnImageFolderChanged()
{
    // A receiver of beginUpdate may run an event loop that delivers the next change: that one
    // waits and tries again.
    if (!mMutex.tryLock()) {
        QTimer::singleShot(500, this, &KyImageFileListModel::OnImageFolderChanged);
        return;
    }
    const std::unique_lock<QMutex> locker(mMutex, std::adopt_lock);
    qCDebug(lcApp, "KyImageFileListModel::OnImageFolderChanged()");
    // A removed folder loses its watch; the change may also come from the folder above it,
    // watched meanwhile, when the folder is made again.
    RearmWatch();

    if (KyViewMode::instance()->viewMode() != KyViewMode::kView_Library
        || (mFolder.startsWith(QLatin1String("//")) && mDeferNetworkUpdate)) {
        qCDebug(lcApp, "Don't update list.");
        emit folderChanged();
        return;
    }
    qCDebug(lcApp, "update list");
    {
        // Held until the new list is installed: a window left busy could never be closed.
        const KyViewMode::BusyGuard busy(KyViewMode::kBusy_FolderScan);
        emit beginUpdate();
        const QList<ImageFileInfoItem> scanned = ScanFolder();
        const int old = int(mItems.size());
        const int n = int(scanned.size());
        qCDebug(lcApp) << "image folder changed: count dif = " << n - old << "(" << old << "-" << n
                       << ")";
        InstallItems(scanned);
    }
    emit endUpdate();
    AnnouncePage();
    emit selectedCountChanged(mSelectedModel->TotalCount());
    emit folderChanged();
}
