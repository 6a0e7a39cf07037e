#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace platform {

// The version data of an executable: the product version of its fixed file information and its
// version strings by language and code page. Executables carry no such resource here, so the
// program's own data is compiled in from the build's version.
struct VersionResource
{
    struct Text
    {
        quint16 language;
        quint16 codePage;
        QString name;
        QString value;
    };

    quint32 productVersionMS = 0; // major << 16 | minor
    quint32 productVersionLS = 0; // patch << 16 | tweak
    QList<Text> strings;

    // The sub-block "\StringFileInfo\llllcccc\Name" of a version string (language and code page as
    // four hexadecimal digits each).
    static QString subBlock(quint16 language, quint16 codePage, const QString &name);

    // The value of a version string by its sub-block; sub-block names compare without regard to
    // case. False when there is no such string.
    bool queryValue(const QString &path, QString *value) const;
};

// The running program's version data; empty when the build carries no version.
std::optional<VersionResource> executableVersionResource();

} // namespace platform
