#include "platform/versionresource.h"

#include "platform/versionnumbers.h"

namespace platform {

QString VersionResource::subBlock(quint16 language, quint16 codePage, const QString &name)
{
    return QStringLiteral("\\StringFileInfo\\%1%2\\%3")
        .arg(language, 4, 16, QLatin1Char('0'))
        .arg(codePage, 4, 16, QLatin1Char('0'))
        .arg(name);
}

bool VersionResource::queryValue(const QString &path, QString *value) const
{
    for (const Text &text : strings) {
        if (subBlock(text.language, text.codePage, text.name).compare(path, Qt::CaseInsensitive) == 0) {
            if (value)
                *value = text.value;
            return true;
        }
    }
    return false;
}

std::optional<VersionResource> executableVersionResource()
{
#if KY_VERSION_PRESENT
    VersionResource resource;
    resource.productVersionMS = (quint32(KY_VERSION_MAJOR) << 16) | quint32(KY_VERSION_MINOR);
    resource.productVersionLS = (quint32(KY_VERSION_PATCH) << 16) | quint32(KY_VERSION_TWEAK);
    // One string table, US English in Unicode, as the instrument's executables carry it.
    const quint16 english = 0x0409;
    const quint16 unicode = 0x04B0;
    resource.strings = {
        {english, unicode, QStringLiteral("ProductName"), QStringLiteral(KY_PRODUCT_NAME)},
        {english, unicode, QStringLiteral("ProductVersion"), QStringLiteral(KY_VERSION_STRING)},
        {english, unicode, QStringLiteral("FileVersion"), QStringLiteral(KY_VERSION_STRING)},
    };
    return resource;
#else
    return std::nullopt;
#endif
}

} // namespace platform
