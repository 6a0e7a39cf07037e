#include "platform/logcategories.h"

// QtInfoMsg: debug lines are off until a rule turns them on; info, warnings and errors show.
Q_LOGGING_CATEGORY(lcPlatform, "ky.platform", QtInfoMsg)
Q_LOGGING_CATEGORY(lcCore, "ky.core", QtInfoMsg)
Q_LOGGING_CATEGORY(lcInstrument, "ky.instrument", QtInfoMsg)
Q_LOGGING_CATEGORY(lcImage, "ky.image", QtInfoMsg)
Q_LOGGING_CATEGORY(lcAnalysis, "ky.analysis", QtInfoMsg)
Q_LOGGING_CATEGORY(lcDocument, "ky.document", QtInfoMsg)
Q_LOGGING_CATEGORY(lcWidgets, "ky.widgets", QtInfoMsg)
Q_LOGGING_CATEGORY(lcResults, "ky.results", QtInfoMsg)
Q_LOGGING_CATEGORY(lcAnalysisView, "ky.analysisview", QtInfoMsg)
Q_LOGGING_CATEGORY(lcApp, "ky.app", QtInfoMsg)
