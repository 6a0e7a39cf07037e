#pragma once

#include "testmain.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <cmath>

namespace kytest {

// Runs a reference script (its path below tests/, e.g. "analysis/reference/background.py") with
// Debian's Python (which has numpy, scipy and tifffile) on input, written to a file; returns the JSON
// object the script prints, or an empty object (with the script's complaint on the warning output)
// when it fails.
inline QJsonObject runPythonReference(const QString &inScript, const QJsonObject &inInput)
{
    QTemporaryDir dir;
    const QString inputPath = dir.filePath(QStringLiteral("input.json"));
    const QByteArray json = QJsonDocument(inInput).toJson(QJsonDocument::Compact);
    QFile input(inputPath);
    // A short write or a failed flush would hand the script a cut-off input.
    if (!input.open(QIODevice::WriteOnly) || input.write(json) != json.size() || !input.flush()) {
        qWarning("cannot write %s", qPrintable(inputPath));
        return QJsonObject();
    }
    input.close();

    const QString script = sourceDir() + QStringLiteral("/tests/") + inScript;
    QProcess process;
    process.start(QStringLiteral("/usr/bin/python3"), {script, inputPath});
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        qWarning("%s failed: %s", qPrintable(script), process.readAllStandardError().constData());
        return QJsonObject();
    }
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(process.readAllStandardOutput(), &error);
    if (error.error != QJsonParseError::NoError) {
        qWarning("%s printed no JSON: %s", qPrintable(script), qPrintable(error.errorString()));
        return QJsonObject();
    }
    return doc.object();
}

inline QJsonArray toJson(const QVector<double> &inValues)
{
    QJsonArray array;
    for (double v : inValues)
        array.append(v);
    return array;
}

inline QVector<double> fromJson(const QJsonArray &inArray)
{
    QVector<double> values;
    values.reserve(inArray.size());
    for (const QJsonValue &v : inArray)
        values.append(v.toDouble(std::nan("")));
    return values;
}

} // namespace kytest
