#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/Calculator.h"
#include "app/IniHelp.h"
#include "app/Settings.h"
#include "functions/MthTrFnc.h"
#include "platform/IniFile.h"
#include "platform/Files.h"
#include "platform/Locale.h"

namespace fs = std::filesystem;

namespace {

class Settings : public testing::Test {
protected:
    void SetUp() override {
        Folder = fs::temp_directory_path() / ("nimbrel-settings-" + std::to_string(getpid()) + "-" +
                                              testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(Folder);
        fs::create_directories(Folder);
        File = (Folder / "nimbrel.ini").string();
        SetDecimalSeparator('.');
    }
    void TearDown() override {
        ResetDecimalSeparator();
        fs::remove_all(Folder);
    }
    void Write(const std::string& content) { std::ofstream(File, std::ios::binary) << content; }
    std::string Read() {
        std::ifstream in(File, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void Save(const TCalculator& calculator, bool panel = true) {
        TIniFile ini(File);
        SaveSettings(ini, panel, calculator);
        ini.UpdateFile();
    }
    bool Restore(TCalculator& calculator, bool panel = false) {
        const TIniFile ini(File);
        RestoreSettings(ini, panel, calculator);
        return panel;
    }

    fs::path Folder;
    std::string File;
};

std::vector<std::string> Names(const TCalculator& calculator) {
    std::vector<std::string> names;
    for (int i = 0; i < calculator.MainFunction().VarCount(); ++i)
        names.push_back(calculator.MainFunction().GetVarName(i));
    return names;
}

} // namespace

TEST_F(Settings, FirstRunGivesStandardVariables) {
    TCalculator calculator;
    EXPECT_TRUE(Restore(calculator, true));
    EXPECT_EQ(Names(calculator), (std::vector<std::string>{"e", "Pi"}));
    EXPECT_EQ(calculator.MainFunction().GetVarValue("Pi"), PiValue);
    EXPECT_EQ(calculator.HistoryMaxCount, 20);
    EXPECT_TRUE(calculator.History.empty());
}

TEST_F(Settings, ZeroValuedVariablesAreNotKept) {
    TCalculator calculator;
    calculator.SetStandardVariables();
    TKvMathTreeFunction& f = calculator.MainFunction();
    for (const char* name : {"x", "y", "z"}) f.AddVariable(name);
    f.SetVarValue("y", 2);
    f.SetVarValue("z", 3);
    Save(calculator, false);
    const std::string text = Read();
    EXPECT_NE(text.find("Count=4"), std::string::npos);
    EXPECT_NE(text.find("name3=y"), std::string::npos);
    EXPECT_NE(text.find("Visible=0"), std::string::npos);

    TCalculator again;
    EXPECT_FALSE(Restore(again, true));
    EXPECT_EQ(Names(again), (std::vector<std::string>{"e", "Pi", "y", "z"}));
    EXPECT_EQ(again.MainFunction().GetVarValue("z"), 3.0L);
    EXPECT_EQ(again.MainFunction().GetVarValue("e"), 2.71828182845905L); // 15 digits are kept
}

TEST_F(Settings, CommaLocaleReadsItsOwnFile) {
    SetDecimalSeparator(',');
    TCalculator calculator;
    calculator.MainFunction().AddVariable("a");
    calculator.MainFunction().SetVarValue("a", 1.5L);
    Save(calculator);
    EXPECT_NE(Read().find("value1=1,5"), std::string::npos);
    TCalculator again;
    Restore(again);
    EXPECT_EQ(again.MainFunction().GetVarValue("a"), 1.5L);
}

TEST_F(Settings, HistoryKeepsLineBreaksAndOrder) {
    TCalculator calculator;
    calculator.AddToHistory("1");
    calculator.AddToHistory("3+\r\n4");
    calculator.AddToHistory("a@b");
    Save(calculator);
    EXPECT_NE(Read().find("1=3+@\xC2\xA7" "4"), std::string::npos);
    TCalculator again;
    Restore(again);
    EXPECT_EQ(again.History, (std::vector<std::string>{"a\rb", "3+\r\n4", "1"}));
}

TEST_F(Settings, MaxCountIsReadNeverWrittenAndLongListsShrinkByOne) {
    std::string content = "[History]\nMaxCount=5\nCount=8\n";
    for (int i = 0; i < 8; ++i) content += std::to_string(i) + "=h" + std::to_string(i) + "\n";
    Write(content + "[Variables]\nCount=0\nname1=q\nvalue1=4\n");
    TCalculator calculator;
    Restore(calculator);
    EXPECT_EQ(calculator.History.size(), 8u);
    calculator.AddToHistory("new");
    EXPECT_EQ(calculator.History.size(), 8u);
    EXPECT_EQ(calculator.History.back(), "h6");
    EXPECT_EQ(Names(calculator), (std::vector<std::string>{"e", "Pi"}));
    Save(calculator);
    TIniFile ini(File);
    EXPECT_EQ(ini.ReadInteger("History", "MaxCount", -1), 5); // left as it was
    EXPECT_EQ(ini.ReadString("Variables", "name1", ""), "e");
}

TEST_F(Settings, BadValuesAndHugeCounts) {
    Write("[Variables]\nCount=2147483647\nname1=a\nvalue1=zwei\nname2=b\nvalue2=2\nname3=\nvalue3=1\n"
          "[History]\nCount=2147483647\n0=x\n");
    TCalculator calculator;
    Restore(calculator);
    EXPECT_EQ(Names(calculator), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(calculator.MainFunction().GetVarValue("b"), 2.0L);
    EXPECT_EQ(calculator.History, std::vector<std::string>{"x"});
}

TEST_F(Settings, ReadsWindows1252) {
    Write("[history]\ncount=1\n0=3+@\xA7" "4 \xE4\n");
    TCalculator calculator;
    Restore(calculator);
    EXPECT_EQ(calculator.History, std::vector<std::string>{"3+\r\n4 \xC3\xA4"});
}

TEST_F(Settings, FailedSaveKeepsOldFile) {
    Write("[Variables]\nCount=1\nname1=k\nvalue1=9\n");
    fs::create_directory(File + ".tmp"); // the temporary file cannot be made
    TCalculator calculator;
    TIniFile ini(File);
    SaveSettings(ini, true, calculator);
    try {
        ini.UpdateFile();
        FAIL() << "the save was reported as done";
    } catch (const EIniFileError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Die Einstellungsdatei", 0), 0u);
    }
    EXPECT_EQ(Read(), "[Variables]\nCount=1\nname1=k\nvalue1=9\n");
}

TEST_F(Settings, DefaultLocationUsesConfigFolder) {
    SetIniFileName("");
    const std::string old = GetEnvironmentVariable("XDG_CONFIG_HOME");
    setenv("XDG_CONFIG_HOME", Folder.c_str(), 1);
    const std::string path = DefaultIniFileName();
    EXPECT_EQ(path, (Folder / "Nimbrel" / "nimbrel" / "nimbrel.ini").string());
    EXPECT_TRUE(fs::is_directory(Folder / "Nimbrel" / "nimbrel"));
    setenv("XDG_CONFIG_HOME", "/other", 1);
    EXPECT_EQ(DefaultIniFileName(), path); // decided once per run
    if (old.empty()) unsetenv("XDG_CONFIG_HOME"); else setenv("XDG_CONFIG_HOME", old.c_str(), 1);
    SetIniFileName("");
}
