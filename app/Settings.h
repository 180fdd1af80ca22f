// Variables, history and the scientific panel's visibility in the settings file.
#pragma once

#include <string>

class TCalculator;
class TIniFile;

// Reads the panel flag (panelVisible is the default and receives the value), the variables
// (Pi and e when the file holds none) and the history, and keeps what was read in the
// calculator's Stored lists.
void RestoreSettings(const TIniFile& file, bool& panelVisible, TCalculator& calculator);
// Writes them into file, which holds the file as it is now (opened for an update): variables
// and history entries that another program added or changed since RestoreSettings are merged
// in, where this run did not change the same variable; a value that could not be read is
// written back unchanged. The caller writes the file with UpdateFile.
void SaveSettings(TIniFile& file, bool panelVisible, const TCalculator& calculator);

// A stored variable value written with "." or "," as decimal separator, whichever the locale.
bool TryStoredTextToFloat(const std::string& text, long double& value);

// History entries keep their line breaks as "@" (carriage return) and "§" (line feed).
std::string EncodeHistoryEntry(const std::string& text);
std::string DecodeHistoryEntry(const std::string& text);
