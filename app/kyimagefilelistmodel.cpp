#include "app/kyimagefilelistmodel.h"

#include "widgets/kyitemroles.h"

#include <QFileInfo>
#include <QFont>
#include <QSize>

#include <algorithm>
#include <numeric>
#include <optional>
#include <vector>

using namespace KyItemRole;

namespace {

QVariant ItemData(const ImageFileInfoItem &inItem, int inRole)
{
    switch (inRole) {
    case Qt::DisplayRole:
    case kRole_FileName:
        return inItem.Name();
    case kRole_Method:
        return inItem.Method();
    case Qt::SizeHintRole:
        return QSize(50, 40);
    default:
        return QVariant();
    }
}

} // namespace

// ---- the selected-items model ----

KyImageFileListModel::KySelectedImageFileListModel::KySelectedImageFileListModel(
    KyImageFileListModel *inOwner, QObject *inParent)
    : KyPageListModel(inParent, inOwner->PageLimit(), inOwner->PageSize())
    , mOwner(inOwner)
{
}

KyImageFileListModel::KySelectedImageFileListModel::~KySelectedImageFileListModel() = default;

QVariant KyImageFileListModel::KySelectedImageFileListModel::data(const QModelIndex &index,
                                                                  int role) const
{
    if (index.row() >= rowCount())
        return QVariant();
    int rank = 0;
    if (!ToSourceRow(index.row(), rank) || rank >= TotalCount())
        return QVariant();
    const ImageFileInfoItem &item = mOwner->mItems.at(SelectedToItemIndex(rank));
    switch (role) {
    case Qt::FontRole: {
        QFont font;
        font.setPointSize(15);
        return font;
    }
    case kRole_FullPath:
        return item.Path();
    case kRole_ItemSelected:
        return QVariant();
    default:
        return ItemData(item, role);
    }
}

int KyImageFileListModel::KySelectedImageFileListModel::TotalCount() const
{
    return mOwner->SelectedCount();
}

int KyImageFileListModel::KySelectedImageFileListModel::SelectedToItemIndex(int inRank) const
{
    int count = 0;
    for (int i = 0; i < mOwner->mItems.size(); ++i) {
        if (!mOwner->mItems.at(i).IsSelected())
            continue;
        if (count == inRank)
            return i;
        ++count;
    }
    return 0;
}

void KyImageFileListModel::KySelectedImageFileListModel::BeginInsertRows(int inFirst, int inLast)
{
    beginInsertRows(QModelIndex(), inFirst, inLast);
}

void KyImageFileListModel::KySelectedImageFileListModel::EndInsertRows()
{
    endInsertRows();
}

void KyImageFileListModel::KySelectedImageFileListModel::BeginRemoveRows(int inFirst, int inLast)
{
    beginRemoveRows(QModelIndex(), inFirst, inLast);
}

void KyImageFileListModel::KySelectedImageFileListModel::EndRemoveRows()
{
    endRemoveRows();
}

void KyImageFileListModel::KySelectedImageFileListModel::BeginReset()
{
    beginResetModel();
}

void KyImageFileListModel::KySelectedImageFileListModel::EndReset()
{
    endResetModel();
    // A shrunken selection may leave the page past its end: show the last page that has rows.
    // Moved only after the reset, so that views hear of the move as a move.
    if (PageIndex() > MaxPageIndex())
        SetPageIndex(MaxPageIndex());
}

void KyImageFileListModel::KySelectedImageFileListModel::AnnouncePage()
{
    const int rows = rowCount();
    if (rows > 0)
        emit dataChanged(index(0, 0), index(rows - 1, 0));
}

// ---- the model ----

KyImageFileListModel::KyImageFileListModel(QObject *parent, int maxPageIndex, int pageSize,
                                           int maxCount)
    : KyPageListModel(parent, maxPageIndex, pageSize)
    , mSelectedModel(nullptr)
    , mMaxCount(maxCount)
{
    // Owned by this model: it reads this model's list on every call and must not outlive it.
    mSelectedModel = new KySelectedImageFileListModel(this, this);
    // The selected items change with the owner's page, but their own rows are another model's:
    // they are announced as that model's own page.
    connect(this, &QAbstractItemModel::dataChanged, mSelectedModel,
            [this] { mSelectedModel->AnnouncePage(); });
    connect(&mWatcher, &QFileSystemWatcher::directoryChanged, this,
            &KyImageFileListModel::OnImageFolderChanged);
    connect(&mUpdateWatcher, &QFutureWatcherBase::finished, this,
            &KyImageFileListModel::OnUpdateFinished);
}

KyImageFileListModel::~KyImageFileListModel()
{
    // The scan works on a copy of its input, but its result must not arrive at a dying model.
    mUpdateWatcher.disconnect(this);
    mUpdateWatcher.waitForFinished();
}

int KyImageFileListModel::TotalCount() const
{
    return int(mItems.size());
}

int KyImageFileListModel::SelectedCount() const
{
    return int(std::count_if(mItems.cbegin(), mItems.cend(),
                             [](const ImageFileInfoItem &item) { return item.IsSelected(); }));
}

QHash<int, QByteArray> KyImageFileListModel::roleNames() const
{
    return {{kRole_FileName, "filename"}, {kRole_Method, "method"}};
}

QVariant KyImageFileListModel::data(const QModelIndex &index, int role) const
{
    if (mItems.isEmpty() || index.row() >= rowCount())
        return QVariant();
    int position = 0;
    if (!ToSourceRow(index.row(), position) || position >= mItems.size())
        return QVariant();
    const ImageFileInfoItem item = mItems.at(position);
    switch (role) {
    case Qt::FontRole:
        return QFont(QStringLiteral("Arial"), 15);
    case kRole_ItemSelected:
        return item.IsSelected();
    case kRole_FullPath:
        return QVariant();
    default:
        return ItemData(item, role);
    }
}

bool KyImageFileListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != kRole_ItemSelected)
        return QAbstractItemModel::setData(index, value, role);
    int position = 0;
    if (!ToSourceRow(index.row(), position))
        return true;
    // A row past the end of the list changes nothing.
    if (index.row() >= rowCount() || position >= mItems.size())
        return false;
    const bool selected = value.toBool();
    if (mItems.at(position).IsSelected() == selected)
        return true;
    // The item's rank among the selected items is its row in the other model only on that
    // model's own page; a reset tells its views the truth whatever page they show.
    mSelectedModel->BeginReset();
    mItems[position].SetSelected(selected);
    mSelectedModel->EndReset();
    emit dataChanged(index, index);
    emit selectedCountChanged(mSelectedModel->TotalCount());
    return true;
}

void KyImageFileListModel::AnnouncePage()
{
    const int rows = rowCount();
    if (rows > 0)
        emit dataChanged(index(0, 0), index(rows - 1, 0));
}

template <typename Choose>
void KyImageFileListModel::ApplySelection(Choose inChoose)
{
    mSelectedModel->BeginReset();
    for (int i = 0; i < mItems.size(); ++i) {
        const std::optional<bool> chosen = inChoose(i);
        if (chosen)
            mItems[i].SetSelected(*chosen);
    }
    mSelectedModel->EndReset();
}

void KyImageFileListModel::SetAllSelected(bool inSelected)
{
    ApplySelection([inSelected](int) { return std::optional<bool>(inSelected); });
    AnnouncePage();
    emit selectedCountChanged(mSelectedModel->TotalCount());
}

void KyImageFileListModel::SetPageSelected(bool inSelected)
{
    const int first = PageIndex() * PageSize();
    const int end = first + rowCount();
    ApplySelection([&](int i) {
        return i >= first && i < end ? std::optional<bool>(inSelected) : std::nullopt;
    });
    AnnouncePage();
    // The rows on the selected model's own page, as the page-by-page selection has always told.
    emit selectedCountChanged(mSelectedModel->rowCount());
}

void KyImageFileListModel::SelectAll()
{
    SetAllSelected(true);
}

void KyImageFileListModel::DeselectAll()
{
    SetAllSelected(false);
}

void KyImageFileListModel::SelectAllPageByPage()
{
    SetPageSelected(true);
}

void KyImageFileListModel::DeselectAllPageByPage()
{
    SetPageSelected(false);
}

void KyImageFileListModel::SelectByNames(const QStringList &names)
{
    int first = -1;
    ApplySelection([&](int i) {
        const bool chosen = names.contains(mItems.at(i).Name());
        if (chosen && first < 0)
            first = i;
        return std::optional<bool>(chosen);
    });
    SetPageIndex(first / PageSize());
    AnnouncePage();
    emit selectedCountChanged(mSelectedModel->TotalCount());
}

int KyImageFileListModel::FirstSelectedRowInPage() const
{
    int first = -1;
    for (int i = 0; i < mItems.size(); ++i) {
        if (mItems.at(i).IsSelected()) {
            first = i;
            break;
        }
    }
    return first % PageSize();
}

void KyImageFileListModel::SetFolder(const QString &folder, bool update)
{
    StopWatching();
    mFolder = folder;
    if (mFolder.endsWith(QLatin1Char('/')))
        mFolder.chop(1);
    mWatching = !mFolder.isEmpty();
    RearmWatch();
    if (update)
        Update();
}

void KyImageFileListModel::RearmWatch()
{
    if (!mWatching)
        return;
    const QStringList watched = mWatcher.directories();
    if (QFileInfo(mFolder).isDir()) {
        if (watched != QStringList{mFolder}) {
            if (!watched.isEmpty())
                mWatcher.removePaths(watched);
            mWatcher.addPath(mFolder);
        }
        return;
    }
    // The folder is gone, and with it its watch: the nearest folder above it that exists tells
    // when it comes back.
    QString above = mFolder;
    do {
        above = QFileInfo(above).absolutePath();
    } while (!QFileInfo(above).isDir() && above != QLatin1String("/"));
    if (watched != QStringList{above}) {
        if (!watched.isEmpty())
            mWatcher.removePaths(watched);
        mWatcher.addPath(above);
    }
}

bool KyImageFileListModel::SetFilter(const QString &filter, bool update)
{
    if (filter == mFilter)
        return false;
    mFilter = filter;
    if (update)
        Update();
    return true;
}

void KyImageFileListModel::StopWatching()
{
    mWatching = false;
    const QStringList watched = mWatcher.directories();
    if (!watched.isEmpty())
        mWatcher.removePaths(watched);
}

void KyImageFileListModel::SetSortType(ESortType sortType, Qt::SortOrder sortOrder)
{
    mSortType = sortType;
    mSortOrder = sortOrder;
}

void KyImageFileListModel::sort(int, Qt::SortOrder order)
{
    mSortOrder = order;
    SortItems(mItems, mSortType, mSortOrder);
}

void KyImageFileListModel::SortItems(QList<ImageFileInfoItem> &items, ESortType type,
                                     Qt::SortOrder order)
{
    const bool ownList = &items == &mItems;
    if (ownList)
        mSelectedModel->BeginReset();
    SortList(items, type, order);
    if (ownList)
        mSelectedModel->EndReset();
    AnnouncePage();
}

namespace {

// The four sort keys of one item, read from the file system once.
struct SortKeys
{
    QString name;
    QString method;
    QDateTime modified;
    QDateTime created;
};

SortKeys KeysOf(const ImageFileInfoItem &inItem)
{
    return SortKeys{inItem.Name(), inItem.Method(), inItem.Modified(), inItem.Created()};
}

// 0 when a comes first under the key, 1 when they are equal, 2 when b comes first.
int CompareKeys(const SortKeys &a, const SortKeys &b, int key)
{
    auto fromOrder = [](int r) { return r < 0 ? 0 : (r == 0 ? 1 : 2); };
    switch (key) {
    case kSortType_Name:
        return fromOrder(QString::localeAwareCompare(a.name, b.name));
    case kSortType_Method:
        return fromOrder(QString::localeAwareCompare(a.method, b.method));
    case kSortType_Modified:
    case kSortType_Created: {
        const QDateTime &ta = key == kSortType_Modified ? a.modified : a.created;
        const QDateTime &tb = key == kSortType_Modified ? b.modified : b.created;
        if (ta == tb)
            return 1;
        return ta > tb ? 2 : 0;
    }
    default:
        return 1;
    }
}

// Orders by key, then by the other keys in the order name, method, modified, created; wanted is
// the answer of CompareKeys that puts a first.
bool KeysBefore(const SortKeys &a, const SortKeys &b, int key, int wanted)
{
    int r = CompareKeys(a, b, key);
    if (r != 1)
        return r == wanted;
    for (int k = kSortType_Name; k <= kSortType_Created; ++k) {
        if (k == key)
            continue;
        r = CompareKeys(a, b, k);
        if (r != 1)
            return r == wanted;
    }
    return false;
}

} // namespace

void KyImageFileListModel::SortList(QList<ImageFileInfoItem> &items, ESortType type,
                                    Qt::SortOrder order)
{
    if (type < kSortType_Name || type > kSortType_Created)
        return;
    // The keys are read once, before the sort: a capture that changes on disk meanwhile must not
    // answer two comparisons differently, which std::sort does not survive.
    std::vector<SortKeys> keys;
    keys.reserve(size_t(items.size()));
    for (const ImageFileInfoItem &item : std::as_const(items))
        keys.push_back(KeysOf(item));
    std::vector<qsizetype> positions(keys.size());
    std::iota(positions.begin(), positions.end(), qsizetype(0));
    const int wanted = order == Qt::AscendingOrder ? 0 : 2;
    std::sort(positions.begin(), positions.end(), [&keys, type, wanted](qsizetype x, qsizetype y) {
        return KeysBefore(keys[size_t(x)], keys[size_t(y)], type, wanted);
    });
    QList<ImageFileInfoItem> sorted;
    sorted.reserve(items.size());
    for (const qsizetype position : positions)
        sorted.append(items.at(position));
    items = std::move(sorted);
}

int KyImageFileListModel::CompareItems(const ImageFileInfoItem &a, const ImageFileInfoItem &b,
                                       int key)
{
    return CompareKeys(KeysOf(a), KeysOf(b), key);
}

bool KyImageFileListModel::ItemLessThan(const ImageFileInfoItem &a, const ImageFileInfoItem &b,
                                        int key)
{
    return KeysBefore(KeysOf(a), KeysOf(b), key, 0);
}

bool KyImageFileListModel::ItemGreaterThan(const ImageFileInfoItem &a,
                                           const ImageFileInfoItem &b, int key)
{
    return KeysBefore(KeysOf(a), KeysOf(b), key, 2);
}

bool KyImageFileListModel::LessByName(const ImageFileInfoItem &a, const ImageFileInfoItem &b)
{
    return ItemLessThan(a, b, kSortType_Name);
}
bool KyImageFileListModel::LessByMethod(const ImageFileInfoItem &a, const ImageFileInfoItem &b)
{
    return ItemLessThan(a, b, kSortType_Method);
}
bool KyImageFileListModel::LessByModified(const ImageFileInfoItem &a, const ImageFileInfoItem &b)
{
    return ItemLessThan(a, b, kSortType_Modified);
}
bool KyImageFileListModel::LessByCreated(const ImageFileInfoItem &a, const ImageFileInfoItem &b)
{
    return ItemLessThan(a, b, kSortType_Created);
}
bool KyImageFileListModel::GreaterByName(const ImageFileInfoItem &a, const ImageFileInfoItem &b)
{
    return ItemGreaterThan(a, b, kSortType_Name);
}
bool KyImageFileListModel::GreaterByMethod(const ImageFileInfoItem &a, const ImageFileInfoItem &b)
{
    return ItemGreaterThan(a, b, kSortType_Method);
}
bool KyImageFileListModel::GreaterByModified(const ImageFileInfoItem &a,
                                             const ImageFileInfoItem &b)
{
    return ItemGreaterThan(a, b, kSortType_Modified);
}
bool KyImageFileListModel::GreaterByCreated(const ImageFileInfoItem &a,
                                            const ImageFileInfoItem &b)
{
    return ItemGreaterThan(a, b, kSortType_Created);
}
