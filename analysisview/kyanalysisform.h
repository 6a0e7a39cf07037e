#pragma once

// The analysis screen's generated form (kyanalysisview.ui, compiled by uic). Code outside this
// library that reaches the form's widgets includes this header.
#include "ui_kyanalysisview.h"
