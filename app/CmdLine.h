// The settings-file option "-i" of the command line.
#pragma once

#include <string>
#include <vector>

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
