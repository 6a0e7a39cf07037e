#pragma once

#include <QString>

// A filter of the instrument by name.
class FilterName
{
public:
    explicit FilterName(const QString &inName = QStringLiteral("Through"));

    const QString &name() const { return filterName; }
    // The filter slot 1 to 5 whose name list holds the name first (compared case-sensitively);
    // 0 for a name in no list.
    int index() const;

private:
    QString filterName;
};
