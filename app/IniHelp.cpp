#include "app/IniHelp.h"

#include <cerrno>

#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/SafeFile.h"

namespace {
std::string IniFileName;

void EnsureFolder(const std::string& folder) {
    if (!DirectoryExists(folder) && !CreateDir(folder))
        throw EIniFileError("Der Ordner " + folder +
                            " kann nicht angelegt werden: " + SystemErrorText(errno));
}

std::string UserConfigFolder() {
    std::string folder = GetEnvironmentVariable("XDG_CONFIG_HOME");
    if (folder.empty()) {
        const std::string home = GetEnvironmentVariable("HOME");
        if (home.empty()) return "";
        folder = home + (home.back() == '/' ? "" : "/") + ".config";
    }
    return folder;
}
} // namespace

void SetIniFileName(const std::string& path) { IniFileName = path; }

std::string DefaultIniFileName() {
    if (!IniFileName.empty()) return IniFileName;
    const std::string fileName = std::string(IniBaseName) + ".ini";
    IniFileName = ExtractFilePath(ProgramFileName()) + fileName;
    if (FileExists(IniFileName)) return IniFileName;
    std::string folder = UserConfigFolder();
    if (folder.empty()) return IniFileName;
    if (folder.back() != '/') folder += '/';
    const std::string vendor = folder + IniVendorFolder;
    const std::string own = vendor + "/" + IniBaseName;
    IniFileName = own + "/" + fileName;
    EnsureFolder(folder);
    EnsureFolder(vendor);
    EnsureFolder(own);
    return IniFileName;
}
