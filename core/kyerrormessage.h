#pragma once

#include "core/kyerrorkey.h"

#include <QHash>
#include <QObject>
#include <QString>

// The user's text for an error the imaging unit reports in its device error record. The texts are
// translated once, when the table is built, so the language active then holds for its life.
class KyErrorMessage : public QObject
{
    Q_OBJECT

public:
    KyErrorMessage();

    // The text from one process-wide table, built on the first call.
    static QString message(const std::array<quint8, 8> &inRecord);

    // The record's own text, else its category's general text (detail 0), else "Unknown error".
    QString text(const std::array<quint8, 8> &inRecord) const;

private:
    QHash<KyErrorKey, QString> texts;
};
