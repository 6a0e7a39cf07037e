#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

// A molecular-weight standard (a ladder): a name, a short text and the known weights of the
// ladder's bands, with a use flag per weight.
//
// Standards come from two places: user entries in the analysis settings (group "MW", key = name,
// value = the text followed by the weights) and ".stdl" files in the instrument settings' folder
// MWStandardFilePath (whitespace-separated words: the text, then the weights). An entry hides a
// file of the same name; only standards without a file can be removed. Names and file names are
// matched ignoring case, as on the instrument.
class KyMwStandard
{
public:
    // Loads the standard when the name is not empty.
    explicit KyMwStandard(const QString &inName = QString());

    // Reads the standard of that name; every use flag set. False, with no values and no flags,
    // when there is no such standard.
    bool load(const QString &inName);
    void set(const QString &inName, const QString &inText, const QList<int> &inValues,
             const QVector<bool> &inChecks);
    // Sets use flag i; an index outside the values or the flags does nothing.
    void setCheck(int inIndex, bool inUsed);

    bool operator==(const KyMwStandard &inOther) const;
    bool operator!=(const KyMwStandard &inOther) const { return !(*this == inOther); }

    QString name() const { return mName; }
    QString text() const { return mText; }
    const QList<int> &values() const { return mValues; }
    QList<int> &values() { return mValues; }
    const QVector<bool> &checks() const { return mChecks; }
    QVector<bool> &checks() { return mChecks; }

    // The weights of the named standard (entry first, else file) and its text; no values, text
    // untouched, when neither exists.
    static QList<int> readFile(const QString &inName, QString *outText);
    // Every available standard: the settings entries, then the files not already named, with no
    // two names that differ only in case.
    static QStringList standardNames();
    // True when no standard file of that name exists.
    static bool isRemovable(const QString &inName);
    // Removes the settings entry of that name; false when the settings file could not be written.
    static bool remove(const QString &inName);
    // Stores a settings entry; false for a name that cannot be stored (see isStorableName) and
    // when the settings file could not be written.
    static bool save(const QString &inName, const QString &inText, const QList<int> &inValues);

    // A name can be stored when it is not empty and holds no "/" (a settings group separator),
    // no "," (the separator of the analysis stored in the images) and no line break.
    static bool isStorableName(const QString &inName);

private:
    QString mName;
    QString mText;
    QList<int> mValues;
    QVector<bool> mChecks;
};
