// Where the settings file lies.
#pragma once

#include <string>

// The settings file path of this run: the one set by SetIniFileName, else "nimbrel.ini" beside
// the program when it exists, else one in a vendor folder under the user's configuration folder
// ($XDG_CONFIG_HOME or ~/.config), which is created; else the one beside the program. Decided
// at the first call. Raises EIniFileError when a folder cannot be created; the path stands all
// the same, so a later call returns it.
std::string DefaultIniFileName();
void SetIniFileName(const std::string& path);

// The base name of the settings file; both programs share it.
constexpr const char* IniBaseName = "nimbrel";
constexpr const char* IniVendorFolder = "Nimbrel";
