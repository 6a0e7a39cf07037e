#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

// The instrument's process-wide table of named values, written out as aligned "name = values"
// lines. This program keeps no usage counts: the setter takes its arguments and leaves the table
// as it is, so the table stays as it was created.
class KyParameterTable
{
public:
    struct Entry
    {
        QString name;
        QStringList values;
    };

    static KyParameterTable *instance();

    void setValue(int inKey, int inValue);

    // Every counter entry, then a separator, then every further entry; one line per entry.
    QString text(const QString &inSeparator) const;

    // One line: the name, "\t=\t", each value simplified and followed by a space, the separator.
    static QString entryText(const Entry &inEntry, const QString &inSeparator);

    // The counter names the instrument keeps, each padded with tabs to align the values.
    static const QStringList &usageCounterNames();
    static const QStringList &maintenanceCounterNames();
    // Indices into the maintenance names.
    static const QList<int> &maintenanceCounterSelection();

private:
    KyParameterTable();

    // One entry per usage counter, as created (nothing here fills them), and the further entries.
    QVector<Entry> mCounters;
    QList<Entry> mEntries;
};
