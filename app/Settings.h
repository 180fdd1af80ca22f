// Variables, history and the scientific panel's visibility in the settings file.
#pragma once

#include <string>

class TCalculator;
class TIniFile;

// Reads the panel flag (panelVisible is the default and receives the value), the variables
// (Pi and e when the file holds none) and the history.
void RestoreSettings(const TIniFile& file, bool& panelVisible, TCalculator& calculator);
// Writes them into file; the caller writes the file with UpdateFile.
void SaveSettings(TIniFile& file, bool panelVisible, const TCalculator& calculator);

// History entries keep their line breaks as "@" (carriage return) and "§" (line feed).
std::string EncodeHistoryEntry(const std::string& text);
std::string DecodeHistoryEntry(const std::string& text);
