// The settings-file option "-i" of the command line.
#pragma once

#include <string>
#include <vector>

// The option that names the settings file in the next parameter. Both readers go over all
// parameters: this one takes the file, the expression's reader skips the two.
constexpr const char* SettingsFileOption = "-i";

class TCommandLineHandler {
public:
    // Reads the parameters (without the program name). A named file becomes the settings file
    // of the run; otherwise IniFileName is the default location.
    explicit TCommandLineHandler(const std::vector<std::string>& parameters);

    std::string IniFileName;
    std::vector<std::string> OtherParams;
    // A folder of the default location that could not be created; empty when all went well.
    std::string Problem;
};
