#pragma once

#include <QString>

// The text of a box that reports a failed save: inFailure (what failed, one sentence) followed by
// the cause the system gave (inError, an errno value) when it is one the user can act on: no free
// space, no permission, a read-only disk. Any other cause, or none, gives inOtherwise.
QString saveFailureText(const QString &inFailure, int inError, const QString &inOtherwise);
