#pragma once

#include "core/defaultedsettings.h"

#include <QTest>

namespace kytest {

// The typed read of inKey that answers in inExpected's type, compared with inExpected.
inline void compareTypedRead(const DefaultedSettings &inSettings, const QString &inKey,
                             const QVariant &inExpected)
{
    switch (inExpected.typeId()) {
    case QMetaType::Int: QCOMPARE(inSettings.intValue(inKey), inExpected.toInt()); break;
    case QMetaType::UInt: QCOMPARE(inSettings.uintValue(inKey), inExpected.toUInt()); break;
    case QMetaType::Bool: QCOMPARE(inSettings.boolValue(inKey), inExpected.toBool()); break;
    case QMetaType::Double: QCOMPARE(inSettings.doubleValue(inKey), inExpected.toDouble()); break;
    case QMetaType::QString: QCOMPARE(inSettings.stringValue(inKey), inExpected.toString()); break;
    case QMetaType::QStringList: QCOMPARE(inSettings.stringListValue(inKey), inExpected.toStringList()); break;
    case QMetaType::QColor: QCOMPARE(inSettings.colorValue(inKey), inExpected.value<QColor>()); break;
    default: QFAIL("unhandled type");
    }
}

} // namespace kytest
