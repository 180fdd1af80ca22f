#include "platform/IniFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class IniFileTest : public testing::Test {
protected:
    void SetUp() override {
        Folder = fs::temp_directory_path() / ("nimbrel-ini-" + std::to_string(getpid()));
        fs::remove_all(Folder);
        fs::create_directories(Folder);
    }
    void TearDown() override {
        fs::permissions(Folder, fs::perms::owner_all);
        fs::remove_all(Folder);
    }

    // The message of reading, or of writing when reading succeeded; empty when both did.
    static std::string Failure(const std::string& fileName) {
        try {
            TIniFile file(fileName);
            file.WriteString("History", "Count", "0");
            file.UpdateFile();
        } catch (const EIniFileError& e) {
            return e.what();
        }
        return "";
    }

    fs::path Folder;
};

} // namespace

TEST_F(IniFileTest, PathsThatCannotBeUsedGiveGermanReasons) {
    const std::string plainFile = (Folder / "plain").string();
    const std::string hugeFile = (Folder / "huge.ini").string();
    { std::ofstream create(hugeFile); }
    fs::resize_file(hugeFile, (16 << 20) + 1);
    const std::string pipe = (Folder / "pipe").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::ofstream(plainFile) << "[History]\n";
    fs::create_directory(Folder / "folder");
    const struct {
        std::string Path;
        std::string Message;
    } cases[] = {
        {(Folder / "folder").string(), " kann nicht gelesen werden: Das ist ein Ordner"},
        {plainFile + "/x.ini", " kann nicht gelesen werden: Ein Teil des Pfades ist kein Ordner"},
        {hugeFile, " kann nicht gelesen werden: Die Datei ist größer als 16 MB"},
        {pipe, " kann nicht gelesen werden: Das ist keine gewöhnliche Datei"},
        {"/dev/zero", " kann nicht gelesen werden: Das ist keine gewöhnliche Datei"},
        {(Folder / "missing" / "x.ini").string(), " kann nicht geschrieben werden: Der Ordner " +
                                                      (Folder / "missing").string() +
                                                      " existiert nicht"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Failure(c.Path), "Die Einstellungsdatei " + c.Path + c.Message);
}

TEST_F(IniFileTest, FolderWithoutWritePermissionKeepsTheFile) {
    if (geteuid() == 0) GTEST_SKIP() << "the superuser may write anywhere";
    const std::string fileName = (Folder / "nimbrel.ini").string();
    std::ofstream(fileName) << "[History]\nCount=1\n0=x\n";
    fs::permissions(Folder, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(Failure(fileName), "Die Einstellungsdatei " + fileName +
                                     " kann nicht geschrieben werden: Zugriff verweigert");
    fs::permissions(Folder, fs::perms::owner_all);
    const TIniFile file(fileName);
    EXPECT_EQ(file.ReadString("History", "0", ""), "x");
}
