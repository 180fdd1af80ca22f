#include "platform/SafeFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>

namespace fs = std::filesystem;

namespace {

class SafeFileTest : public testing::Test {
protected:
    void SetUp() override {
        Folder = fs::temp_directory_path() /
                 ("nimbrel-safe-" + std::to_string(getpid()) + "-" +
                  testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(Folder);
        fs::create_directories(Folder);
        File = (Folder / "nimbrel.ini").string();
    }
    void TearDown() override {
        fs::permissions(Folder, fs::perms::owner_all);
        fs::remove_all(Folder);
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void Write(const std::string& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }
    static mode_t Mode(const std::string& path) {
        struct stat info;
        return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
    }
    // Files in the folder besides the lock file.
    std::vector<std::string> Leftovers() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(Folder))
            if (entry.path().extension() != ".lock") names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path Folder;
    std::string File;
};

} // namespace

TEST_F(SafeFileTest, KeepsWhatTheFileIsOrRefusesIt) {
    const struct {
        const char* Name;
        std::function<std::string(const std::string&)> Prepare; // gives the file written to
        std::string Reason;
        mode_t Mode;
    } cases[] = {
        {"private",
         [](const std::string& f) {
             Write(f, "old");
             chmod(f.c_str(), 0600);
             return f;
         },
         "", 0600},
        {"group",
         [](const std::string& f) {
             Write(f, "old");
             chmod(f.c_str(), 0640);
             return f;
         },
         "", 0640},
        {"read-only",
         [](const std::string& f) {
             Write(f, "old");
             chmod(f.c_str(), 0444);
             return f;
         },
         "Die Datei ist schreibgeschützt", 0444},
        {"link",
         [](const std::string& f) {
             Write(f + ".target", "old");
             chmod((f + ".target").c_str(), 0600);
             fs::create_symlink("nimbrel.ini.target", f);
             return f + ".target";
         },
         "", 0600},
        {"dangling link",
         [](const std::string& f) {
             fs::create_symlink("sub/real.ini", f);
             fs::create_directory(fs::path(f).parent_path() / "sub");
             return (fs::path(f).parent_path() / "sub" / "real.ini").string();
         },
         "",
         0666 &
             ~[] {
                 const mode_t m = umask(0);
                 umask(m);
                 return m;
             }()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        fs::remove_all(Folder);
        fs::create_directories(Folder);
        const std::string target = c.Prepare(File);
        const bool wasLink = fs::is_symlink(File);
        EXPECT_EQ(ReplaceFileContent(FollowLinks(File), "new"), c.Reason);
        EXPECT_EQ(Read(target), c.Reason.empty() ? "new" : "old");
        EXPECT_EQ(Mode(target), c.Mode);
        EXPECT_EQ(fs::is_symlink(File), wasLink);
    }
}

// A file size limit fails the write as a full disk does; the mounted full disk is tested with
// nimbrel-cli where mounting is allowed.
TEST_F(SafeFileTest, FailedWriteLeavesTheOldFileWhole) {
    Write(File, "old");
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(ReplaceFileContent(File, std::string(1 << 20, 'y')) == "Die Datei wird zu groß");
    }
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    EXPECT_EQ(Read(File), "old");
    EXPECT_EQ(Leftovers(), std::vector<std::string>{"nimbrel.ini"});
}

TEST_F(SafeFileTest, StaleTemporaryFilesGoOnlyWhileNoSaveRuns) {
    for (const char* name : {"nimbrel.ini.tmp", "nimbrel.ini.tmp.a1B2c3", "nimbrel.ini.tmp.ab",
                             "nimbrel.ini.tmpx", "other.ini.tmp", "nimbrel.ini"})
        Write((Folder / name).string(), "x");
    const std::vector<std::string> kept = {"nimbrel.ini", "nimbrel.ini.tmp.ab", "nimbrel.ini.tmpx",
                                           "other.ini.tmp"};
    {
        const TFileLock saving(File, 0);
        ASSERT_EQ(saving.Reason(), "");
        RemoveStaleTemporaryFiles(File);
        EXPECT_EQ(Leftovers().size(), 6u);
        const TFileLock second(File, 30);
        EXPECT_EQ(second.Reason(), "Ein anderes Programm speichert die Datei gerade");
    }
    RemoveStaleTemporaryFiles(File);
    EXPECT_EQ(Leftovers(), kept);
}
