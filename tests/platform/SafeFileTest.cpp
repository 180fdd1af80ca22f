#include "platform/SafeFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

mode_t Mode(const fs::path& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

fs::path TestFolder() {
    const fs::path folder = fs::temp_directory_path() / ("nimbrel-safe-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

} // namespace

TEST(SafeFile, KeepsWhatTheFileIsOrRefusesIt) {
    const mode_t mask = umask(022);
    umask(mask);
    const struct {
        const char* Link; // the settings file is a link to this, or no link when empty
        const char* Target;
        mode_t Before; // 0: the target does not exist yet
        std::string Reason;
        mode_t After;
    } cases[] = {
        {"", "nimbrel.ini", 0600, "", 0600},
        {"", "nimbrel.ini", 0640, "", 0640},
        {"", "nimbrel.ini", 0444, "Die Datei ist schreibgeschützt", 0444},
        {"dotfiles/nimbrel.ini", "dotfiles/nimbrel.ini", 0600, "", 0600},
        {"../real.ini", "real.ini", 0, "", 0666 & ~mask}, // a link to a file still to come
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Target) + " " + std::to_string(c.Before));
        const fs::path folder = TestFolder();
        fs::create_directories(folder / "sub" / "dotfiles");
        const fs::path file = (*c.Link ? folder / "sub" : folder) / "nimbrel.ini";
        const fs::path target = *c.Link ? folder / "sub" / c.Link : folder / c.Target;
        if (*c.Link) fs::create_symlink(c.Link, file);
        if (c.Before) {
            std::ofstream(target) << "old";
            chmod(target.c_str(), c.Before);
        }
        EXPECT_EQ(ReplaceFileContent(FollowLinks(file), "new"), c.Reason);
        EXPECT_EQ(Read(target), c.Reason.empty() ? "new" : "old");
        EXPECT_EQ(Mode(target), c.After);
        EXPECT_EQ(fs::is_symlink(file), *c.Link != '\0');
        fs::remove_all(folder);
    }
}

TEST(SafeFile, StaleTemporaryFilesGoOnlyWhileNoSaveRuns) {
    const fs::path folder = TestFolder();
    const std::string file = (folder / "nimbrel.ini").string();
    const std::vector<std::string> gone = {"nimbrel.ini.tmp", "nimbrel.ini.tmp.a1B2c3"};
    const std::vector<std::string> kept = {"nimbrel.ini", "nimbrel.ini.tmp.ab", "nimbrel.ini.tmpx",
                                           "other.ini.tmp"};
    for (const auto* names : {&gone, &kept})
        for (const std::string& name : *names) std::ofstream(folder / name) << "x";
    {
        const TFileLock saving(file, 0);
        ASSERT_EQ(saving.Reason(), "");
        EXPECT_EQ(TFileLock(file, 30).Reason(), "Ein anderes Programm speichert die Datei gerade");
        RemoveStaleTemporaryFiles(file);
        EXPECT_TRUE(fs::exists(folder / gone[0]));
    }
    RemoveStaleTemporaryFiles(file);
    for (const std::string& name : gone) EXPECT_FALSE(fs::exists(folder / name)) << name;
    for (const std::string& name : kept) EXPECT_TRUE(fs::exists(folder / name)) << name;
    fs::remove_all(folder);
}
