#pragma once

#include "app/copytask.h"
#include "app/imagefileinfoitem.h"
#include "widgets/kypagelistmodel.h"

#include <QFileSystemWatcher>
#include <QFutureWatcher>
#include <QList>
#include <QMutex>
#include <QStringList>

// A paged, sortable list of the captures (sub-folders) of one folder, kept current by a watch on
// the folder, with whole-capture copy, move, rename and delete of the selected items.
class KyImageFileListModel : public KyPageListModel
{
    Q_OBJECT

public:
    // The selected items of the owner, with paging of their own. Keeps no list: every call walks
    // the owner's. Any change of the selection resets it, so its views never hold stale rows.
    class KySelectedImageFileListModel : public KyPageListModel
    {
    public:
        KySelectedImageFileListModel(KyImageFileListModel *inOwner, QObject *inParent);
        ~KySelectedImageFileListModel() override;

        QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
        int TotalCount() const override;
        // Position in the owner's list of the selected item of rank inRank; 0 when fewer are
        // selected.
        int SelectedToItemIndex(int inRank) const;

        void BeginInsertRows(int inFirst, int inLast);
        void EndInsertRows();
        void BeginRemoveRows(int inFirst, int inLast);
        void EndRemoveRows();
        void BeginReset();
        void EndReset();
        // Announces the rows of its current page as changed.
        void AnnouncePage();

    private:
        KyImageFileListModel *mOwner;
    };

    // What a scan reads, copied on the GUI thread when it starts, so that a scan on the pool never
    // reads the model while the GUI thread changes it.
    struct ScanInput
    {
        QString folder;
        QString filter;
        int maxCount = 0;
        ESortType sortType = kSortType_Modified;
        Qt::SortOrder sortOrder = Qt::AscendingOrder;
        QList<ImageFileInfoItem> items;
    };

    KyImageFileListModel(QObject *parent, int maxPageIndex, int pageSize, int maxCount);
    ~KyImageFileListModel() override;

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    QHash<int, QByteArray> roleNames() const override;
    int TotalCount() const override;

    KySelectedImageFileListModel *SelectedModel() const { return mSelectedModel; }
    const QList<ImageFileInfoItem> &Items() const { return mItems; }
    const QString &Folder() const { return mFolder; }
    const QString &Filter() const { return mFilter; }
    const CopyTask &Task() const { return mCopyTask; }
    bool IsCopying() const { return mCopying; }

    void SetFolder(const QString &folder, bool update);
    bool SetFilter(const QString &filter, bool update);
    void StopWatching();
    void SelectByNames(const QStringList &names);
    int FirstSelectedRowInPage() const;
    void SetDeferNetworkUpdate(bool inDefer) { mDeferNetworkUpdate = inDefer; }
    int PageCount() const { return MaxPageIndex() + 1; }
    int CurrentPageNumber() const { return PageIndex() + 1; }

    // Sorts the list in place and announces the current page as changed (GUI thread).
    void SortItems(QList<ImageFileInfoItem> &items, ESortType type, Qt::SortOrder order);
    // The same sort without any announcement, for lists that are not the model's.
    static void SortList(QList<ImageFileInfoItem> &items, ESortType type, Qt::SortOrder order);

    static int CompareItems(const ImageFileInfoItem &a, const ImageFileInfoItem &b, int key);
    static bool ItemLessThan(const ImageFileInfoItem &a, const ImageFileInfoItem &b, int key);
    static bool ItemGreaterThan(const ImageFileInfoItem &a, const ImageFileInfoItem &b, int key);
    static bool LessByName(const ImageFileInfoItem &a, const ImageFileInfoItem &b);
    static bool LessByMethod(const ImageFileInfoItem &a, const ImageFileInfoItem &b);
    static bool LessByModified(const ImageFileInfoItem &a, const ImageFileInfoItem &b);
    static bool LessByCreated(const ImageFileInfoItem &a, const ImageFileInfoItem &b);
    static bool GreaterByName(const ImageFileInfoItem &a, const ImageFileInfoItem &b);
    static bool GreaterByMethod(const ImageFileInfoItem &a, const ImageFileInfoItem &b);
    static bool GreaterByModified(const ImageFileInfoItem &a, const ImageFileInfoItem &b);
    static bool GreaterByCreated(const ImageFileInfoItem &a, const ImageFileInfoItem &b);

    // Folder scan and watch.
    ScanInput TakeScanInput() const;
    QList<ImageFileInfoItem> ScanFolder() const;
    static QList<ImageFileInfoItem> ScanFolder(const ScanInput &input);
    bool MatchImageDescription(const QString &tiffPath) const;
    static bool MatchImageDescription(const QString &tiffPath, const QString &filter);
    void ReplaceItems(const QList<ImageFileInfoItem> &items);
    // Whether a scan started by Update is still running.
    bool IsScanning() const { return mUpdateWatcher.isRunning(); }

    // File operations on the selected items.
    int PrepareCopy(const QString &destination);
    int CheckCopy() const;
    int StartCopy();
    int MoveSelected(const QString &destination);
    int RenameSelected(const QString &newName);
    int DeleteSelected();
    int DeleteItem(const QString &name);

public slots:
    void Update();
    void SetSortType(ESortType sortType, Qt::SortOrder sortOrder);
    void SelectAll();
    void DeselectAll();
    void SelectAllPageByPage();
    void DeselectAllPageByPage();

signals:
    void copyProgressed();
    void copyCompleted();
    void copyFailed(int result);
    void selectedCountChanged(int count);
    void MoveResult(int success, int failed);
    void CopyResult(int success, int failed);
    void updated();
    void folderChanged();
    void beginUpdate();
    void endUpdate();

private slots:
    void OnImageFolderChanged();
    void OnUpdateFinished();
    void OnCopyFile();

private:
    void AnnouncePage();
    // Sets the flag of each position for which inChoose(position) has an answer; the selected
    // model is reset around the change.
    template <typename Choose>
    void ApplySelection(Choose inChoose);
    int SelectedCount() const;
    void SetAllSelected(bool inSelected);
    void SetPageSelected(bool inSelected);
    // Watches the folder, or while it does not exist the nearest folder above it, so that its
    // return is noticed.
    void RearmWatch();
    // Puts a new list in place, moving the page first when the old one would lie past the end.
    void InstallItems(const QList<ImageFileInfoItem> &items);

    KySelectedImageFileListModel *mSelectedModel;
    QList<ImageFileInfoItem> mItems;
    QString mFolder;
    QString mFilter;
    QFileSystemWatcher mWatcher;
    ESortType mSortType = kSortType_Modified;
    Qt::SortOrder mSortOrder = Qt::AscendingOrder;
    CopyTask mCopyTask;
    int mMaxCount;
    QFutureWatcher<QList<ImageFileInfoItem>> mUpdateWatcher;
    QMutex mMutex;
    bool mDeferNetworkUpdate = true;
    bool mCopying = false;
    // Between SetFolder and StopWatching.
    bool mWatching = false;
};

using KySelectedImageFileListModel = KyImageFileListModel::KySelectedImageFileListModel;
