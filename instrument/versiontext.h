#pragma once

#include "platform/versionresource.h"

#include <QString>

#include <optional>

// Full path of the running executable with forward slashes: the application object's answer when
// there is one, else the kernel's.
QString executablePath();

// The "ProductName" string of the program's version data; "noname" without version data, empty
// when the data has no such string.
QString productNameText();
QString productNameText(const std::optional<platform::VersionResource> &inData);

// "major.minor.patch" of the program's product version; "noversion" without version data.
QString applicationVersionText();
QString applicationVersionText(const std::optional<platform::VersionResource> &inData);

// Looks up the version string inName for the translation inTranslation (language in the low 16
// bits, code page in the high 16 bits), falling back to the usual neutral and English tables, and
// copies it with its terminating zero into inBuffer of inSize characters. Returns 1 when a string
// was found and fits; otherwise the buffer is left empty and the result is 0.
int queryVersionString(char16_t *inBuffer, int inSize, const platform::VersionResource &inData,
                       quint32 inTranslation, const QString &inName);

// The 16-bit control word that switches on the light of a light-source index.
int lightControlBits(unsigned int inIndex);
