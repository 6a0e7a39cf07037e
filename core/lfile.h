#pragma once

#include <QFile>

// A QFile whose changes reach the disk: files opened for writing bypass Qt's buffer, and close, copy,
// rename, resize and remove force the file (or its folder) onto the disk. A failed flush is logged and
// never changes the result of the operation itself.
class LFile : public QFile
{
    Q_OBJECT

public:
    explicit LFile(const QString &inName);
    ~LFile() override;

    using QFile::open;
    bool open(QIODevice::OpenMode inMode) override;
    void close() override;

    bool remove();
    bool copy(const QString &inNewName);
    bool rename(const QString &inNewName);
    bool resize(qint64 inSize) override;

    static bool copy(const QString &inFileName, const QString &inNewName);
    static bool rename(const QString &inOldName, const QString &inNewName);
    static bool resize(const QString &inFileName, qint64 inSize);
    static bool remove(const QString &inFileName);

    // The mode of the last open() as actually used (with Unbuffered added for writing).
    QIODevice::OpenMode lastOpenMode() const { return lastMode; }

private:
    QIODevice::OpenMode lastMode = QIODevice::NotOpen;
};
