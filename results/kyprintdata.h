#pragma once

#include <QImage>
#include <QPointer>
#include <QString>

class QTableView;

// One summary report on its way to a PDF: the file to write, the title, two pictures, the caption
// over the second one and the table below them.
//
// The record owns the table view it is given, and the view's model when nothing else does (a model
// without a parent): both go with the record. A model with a parent belongs to that parent and is
// left alone. The record is not copyable, so the two can never be deleted twice.
class KyPrintData
{
public:
    explicit KyPrintData(const QString &fileName);
    ~KyPrintData();
    KyPrintData(const KyPrintData &) = delete;
    KyPrintData &operator=(const KyPrintData &) = delete;

    QString fileName() const { return mFileName; }
    void setFileName(const QString &fileName) { mFileName = fileName; }

    QString title() const { return mTitle; }
    void setTitle(const QString &title) { mTitle = title; }

    QImage image() const { return mImage; }
    void setImage(const QImage &image) { mImage = image; }

    // Printed only together with a caption.
    QImage image2() const { return mImage2; }
    void setImage2(const QImage &image) { mImage2 = image; }

    QString caption() const { return mCaption; }
    void setCaption(const QString &caption) { mCaption = caption; }

    QTableView *table() const { return mTable; }
    // Takes the view (and a parentless model of it); a table set before is deleted.
    void setTable(QTableView *table);

private:
    void deleteTable();

    QString mFileName;
    QString mTitle;
    QImage mImage;
    QImage mImage2;
    QString mCaption;
    // Guarded: a view deleted elsewhere in the meantime is not deleted again.
    QPointer<QTableView> mTable;
};
