#pragma once

#include <QDir>

// A QDir whose folder creation and removal are forced onto the disk.
class LDir : public QDir
{
public:
    explicit LDir(const QString &inPath = QString());
    LDir(const LDir &inOther);
    LDir &operator=(const LDir &inOther);
    virtual ~LDir();

    bool mkdir(const QString &inName) const;
    bool rmdir(const QString &inName) const;
};
