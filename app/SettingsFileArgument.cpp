#include "app/SettingsFileArgument.h"

#include "app/IniHelp.h"
#include "platform/IniFile.h"

TCommandLineHandler::TCommandLineHandler(const std::vector<std::string>& parameters) {
    bool fileNameNext = false;
    for (const std::string& p : parameters) {
        if (p == SettingsFileOption) {
            fileNameNext = true;
        } else if (fileNameNext) {
            IniFileName = p;
            fileNameNext = false;
        } else {
            OtherParams.push_back(p);
        }
    }
    if (!IniFileName.empty())
        SetIniFileName(IniFileName);
    else
        try {
            IniFileName = DefaultIniFileName();
        } catch (const EIniFileError& e) {
            Problem = e.what();
            IniFileName = DefaultIniFileName();
        }
}
