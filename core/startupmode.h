#pragma once

// Writes the instrument's start-up mode file (the setting "BootModeFilePath"): the mode in decimal,
// nothing else. False when the folder cannot be made or the file not written whole.
bool writeStartupMode(int inMode);
