#include "instrument/versiontext.h"

#include "platform/executablefile.h"

#include <QCoreApplication>
#include <QDir>

#include <iterator>

namespace {

// Longest sub-block path the look-up formats, terminating zero included.
constexpr int kMaxSubBlockPath = 260;

bool lookUp(const platform::VersionResource &inData, quint16 inLanguage, quint16 inCodePage,
            const QString &inName, QString *outValue)
{
    const QString path = platform::VersionResource::subBlock(inLanguage, inCodePage, inName);
    // A path that does not fit the look-up's buffer names nothing.
    if (path.size() >= kMaxSubBlockPath)
        return false;
    return inData.queryValue(path, outValue);
}

int copyOut(char16_t *inBuffer, int inSize, const QString &inValue)
{
    if (inValue.size() + 1 > inSize) {
        inBuffer[0] = 0;
        return 0;
    }
    for (qsizetype i = 0; i < inValue.size(); ++i)
        inBuffer[i] = inValue.at(i).unicode();
    inBuffer[inValue.size()] = 0;
    return 1;
}

} // namespace

QString executablePath()
{
    const QString path = QCoreApplication::instance() ? QCoreApplication::applicationFilePath()
                                                      : platform::currentExecutableFile();
    return QDir::fromNativeSeparators(path);
}

QString productNameText()
{
    return productNameText(platform::executableVersionResource());
}

QString productNameText(const std::optional<platform::VersionResource> &inData)
{
    if (!inData)
        return QStringLiteral("noname");
    constexpr int size = 100;
    char16_t buffer[size];
    queryVersionString(buffer, size, *inData, 0x0901, QStringLiteral("ProductName"));
    return QString::fromUtf16(buffer);
}

QString applicationVersionText()
{
    return applicationVersionText(platform::executableVersionResource());
}

QString applicationVersionText(const std::optional<platform::VersionResource> &inData)
{
    if (!inData)
        return QStringLiteral("noversion");
    return QStringLiteral("%1.%2.%3")
        .arg(inData->productVersionMS >> 16)
        .arg(inData->productVersionMS & 0xFFFF)
        .arg(inData->productVersionLS >> 16);
}

int queryVersionString(char16_t *inBuffer, int inSize, const platform::VersionResource &inData,
                       quint32 inTranslation, const QString &inName)
{
    if (!inBuffer || inSize <= 0)
        return 0;
    QString value;
    if (lookUp(inData, quint16(inTranslation & 0xFFFF), quint16(inTranslation >> 16), inName, &value))
        return copyOut(inBuffer, inSize, value);

    static const quint16 codePages[] = {0x0000, 0x04B0, 0x03A4};
    static const quint16 languages[] = {0x0000, 0x0800, 0x0009, 0x0409};
    for (quint16 codePage : codePages) {
        for (quint16 language : languages) {
            if (lookUp(inData, language, codePage, inName, &value))
                return copyOut(inBuffer, inSize, value);
        }
    }
    inBuffer[0] = 0;
    return 0;
}

int lightControlBits(unsigned int inIndex)
{
    static const int words[] = {0x0000, 0x0004, 0x0002, 0x0001, 0x0200, 0x0020, 0x8002, 0x8001, 0x8000,
                                0x0040, 0x8010, 0x8008, 0x8004, 0x0000, 0x8080, 0x8040, 0x8020};
    return inIndex < std::size(words) ? words[inIndex] : 0x0000;
}
