#pragma once

class QRegularExpressionValidator;

// A validator for text fields that name a file: a first character that is none of space : * ? \ ¥ /
// " < > |, then up to inMaxLength characters that are none of those except space. The caller owns
// the validator.
QRegularExpressionValidator *fileNameValidator(int inMaxLength);
