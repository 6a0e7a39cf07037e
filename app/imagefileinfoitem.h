#pragma once

#include <QDateTime>
#include <QString>

// Sort keys of the image-file browser.
enum ESortType {
    kSortType_Name = 0,
    kSortType_Method = 1,
    kSortType_Modified = 2,
    kSortType_Created = 3,
};

// One capture of the image-file browser: its path and whether it is selected. Names, method and
// times are read from the path on every call, so a capture that changed on disk sorts by what it
// is now.
class ImageFileInfoItem
{
public:
    // The path is kept only when it exists: a capture that vanished before its item was made has
    // an empty path, and every file operation refuses such an item.
    explicit ImageFileInfoItem(const QString &inPath = QString(), bool inSelected = false);

    const QString &Path() const { return mPath; }
    // The last '/' section: the capture's folder or file name.
    QString Name() const;
    // The capture method read from the last '_' section of the whole path.
    QString Method() const;
    QDateTime Modified() const;
    // The birth time where the file system keeps one, else the status-change time.
    QDateTime Created() const;

    bool IsSelected() const { return mSelected; }
    void SetSelected(bool inSelected) { mSelected = inSelected; }

    // Same path and the same times when each item was made; the selection plays no part. The
    // times are those seen at construction: read again, an old item would always agree with a
    // new one of the same path, and a capture changed since the last scan would stay selected.
    bool operator==(const ImageFileInfoItem &inOther) const;

private:
    QString mPath;
    bool mSelected = false;
    QDateTime mSeenModified;
    QDateTime mSeenCreated;
};
