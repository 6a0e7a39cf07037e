#pragma once

#include <QLoggingCategory>

// The program's debug output, one category per subsystem, all off by default: a user's terminal
// shows warnings and errors only. QT_LOGGING_RULES="ky.*.debug=true" turns every one on, or
// "ky.image.debug=true" one of them. The lines keep their texts; the terminal shows the
// category's name in front of each ("ky.core: set busy: 9"), which QT_MESSAGE_PATTERN="%{message}"
// leaves out.
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)
Q_DECLARE_LOGGING_CATEGORY(lcCore)
Q_DECLARE_LOGGING_CATEGORY(lcInstrument)
Q_DECLARE_LOGGING_CATEGORY(lcImage)
Q_DECLARE_LOGGING_CATEGORY(lcAnalysis)
Q_DECLARE_LOGGING_CATEGORY(lcDocument)
Q_DECLARE_LOGGING_CATEGORY(lcWidgets)
Q_DECLARE_LOGGING_CATEGORY(lcResults)
Q_DECLARE_LOGGING_CATEGORY(lcAnalysisView)
Q_DECLARE_LOGGING_CATEGORY(lcApp)
