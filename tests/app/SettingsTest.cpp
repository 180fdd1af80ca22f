#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
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
#include "tests/TimeLimit.h"

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
        TIniFile ini(File, TIniAccess::Update);
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
    fs::permissions(Folder, fs::perms::owner_read | fs::perms::owner_exec);
    TCalculator calculator;
    TIniFile ini(File);
    SaveSettings(ini, true, calculator);
    try {
        ini.UpdateFile();
        FAIL() << "the save was reported as done";
    } catch (const EIniFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Die Einstellungsdatei " + File +
                                             " kann nicht geschrieben werden: Der Ordner " +
                                             Folder.string() + " ist schreibgeschützt");
    }
    fs::permissions(Folder, fs::perms::owner_all);
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

TEST_F(Settings, AFolderThatCannotBeMadeIsReportedWithItsReason) {
    SetIniFileName("");
    Write("a file where a folder would go");
    const std::string old = GetEnvironmentVariable("XDG_CONFIG_HOME");
    setenv("XDG_CONFIG_HOME", (File + "/config").c_str(), 1);
    try {
        DefaultIniFileName();
        ADD_FAILURE() << "no problem reported";
    } catch (const EIniFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Der Ordner " + File + "/config/ kann nicht angelegt "
                                         "werden: Ein Teil des Pfades ist kein Ordner");
    }
    if (old.empty()) unsetenv("XDG_CONFIG_HOME"); else setenv("XDG_CONFIG_HOME", old.c_str(), 1);
    SetIniFileName("");
}

namespace {

constexpr std::chrono::milliseconds SettingsTimeLimit = InputTimeLimit;

// Bytes that a damaged or foreign file might hold, the same on every run.
std::string Garbage(std::size_t size) {
    std::string bytes(size, '\0');
    std::uint32_t state = 2463534242u;
    for (char& c : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        c = static_cast<char>(state);
    }
    return bytes;
}

std::string HugeFile(int variables, int entries) {
    std::string text = "[Variables]\nCount=" + std::to_string(variables) + "\n";
    for (int n = 1; n <= variables; ++n)
        text += "name" + std::to_string(n) + "=v" + std::to_string(n) + "\nvalue" +
                std::to_string(n) + "=" + std::to_string(n) + "\n";
    text += "[History]\nCount=" + std::to_string(entries) + "\n";
    for (int n = 0; n < entries; ++n)
        text += std::to_string(n) + "=x+" + std::to_string(n) + "\n";
    return text;
}

} // namespace

TEST_F(Settings, DamagedEmptyAndHugeFilesAreReadInTime) {
    const struct {
        const char* Name;
        std::string Content;
        std::int32_t Variables;
        std::size_t History;
    } cases[] = {
        {"empty", "", 2, 0},
        {"binary garbage", Garbage(1 << 20), 2, 0},
        {"garbage after good lines", "[History]\nCount=1\n0=x\n" + Garbage(1 << 16), 2, 1},
        {"a line of 10 MB", "[History]\nCount=1\n0=" + std::string(10 << 20, 'x') + "\n", 2, 1},
        {"100000 variables and entries", HugeFile(100000, 100000), 100000, 100000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Write(c.Content);
        const auto start = std::chrono::steady_clock::now();
        TCalculator calculator;
        EXPECT_NO_THROW(Restore(calculator));
        EXPECT_EQ(calculator.MainFunction().VarCount(), c.Variables);
        EXPECT_EQ(calculator.History.size(), c.History);
        EXPECT_LT(std::chrono::steady_clock::now() - start, SettingsTimeLimit);
    }
}

TEST_F(Settings, AbsurdCountsReadWhatIsThere) {
    const struct {
        std::string Count;
        std::vector<std::string> Names;
    } cases[] = {
        {"2147483647", {"a", "b"}},
        {"-2147483648", {}},
        {"99999999999", {"e", "Pi"}}, // not a 32-bit integer: the default 0
        {"1e9", {"e", "Pi"}},
        {"0x10", {"e", "Pi"}},
        {" 2 ", {"a", "b"}},
        {"1", {"a"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Count);
        Write("[Variables]\nCount=" + c.Count + "\nname1=a\nvalue1=1\nname2=b\nvalue2=2\n" +
              "[History]\nMaxCount=" + c.Count + "\nCount=" + c.Count + "\n0=x\n1=y\n");
        const auto start = std::chrono::steady_clock::now();
        TCalculator calculator;
        Restore(calculator);
        EXPECT_EQ(Names(calculator), c.Names);
        EXPECT_LE(calculator.History.size(), 2u);
        // Whatever the most, a new input is taken and the list never grows beyond two more.
        calculator.AddToHistory("z");
        calculator.AddToHistory("w");
        EXPECT_LE(calculator.History.size(), 4u);
        EXPECT_LT(std::chrono::steady_clock::now() - start, SettingsTimeLimit);
    }
}

TEST_F(Settings, HugeHistorySurvivesSaving) {
    Write(HugeFile(3, 100000));
    TCalculator calculator;
    Restore(calculator);
    const auto start = std::chrono::steady_clock::now();
    Save(calculator);
    TCalculator again;
    Restore(again);
    EXPECT_LT(std::chrono::steady_clock::now() - start, SettingsTimeLimit);
    EXPECT_TRUE(again.History == calculator.History);
    EXPECT_EQ(Names(again), (std::vector<std::string>{"v1", "v2", "v3"}));
}

TEST_F(Settings, ValuesSurviveAChangeOfDecimalSeparator) {
    const struct { char Written, Read; } cases[] = {{',', '.'}, {'.', ','}, {',', ','}, {'.', ';'}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(1, c.Written) + " then " + c.Read);
        SetDecimalSeparator(c.Written);
        TCalculator first;
        first.MainFunction().AddVariable("y");
        first.MainFunction().SetVarValue("y", 2.5L);
        first.MainFunction().AddVariable("tiny");
        first.MainFunction().SetVarValue("tiny", -1.25e-7L);
        Save(first);
        // Read and saved again under the other separator, then read once more.
        for (int pass = 0; pass < 2; ++pass) {
            SetDecimalSeparator(c.Read);
            TCalculator again;
            Restore(again);
            EXPECT_EQ(again.MainFunction().GetVarValue("y"), 2.5L);
            EXPECT_EQ(again.MainFunction().GetVarValue("tiny"), -1.25e-7L);
            Save(again);
        }
    }
}

TEST_F(Settings, UnreadableValuesAreWrittenBackAsTheyWere) {
    Write("[Variables]\nCount=3\nname1=a\nvalue1=zwei\nname2=b\nvalue2=1.5\nname3=c\nvalue3=7\n");
    TCalculator calculator;
    Restore(calculator);
    EXPECT_EQ(calculator.MainFunction().GetVarValue("a"), 0.0L);
    calculator.MainFunction().SetVarValue("c", 0); // a variable set to 0 is dropped as ever
    Save(calculator);
    const TIniFile ini(File);
    EXPECT_EQ(ini.ReadInteger("Variables", "Count", 0), 2);
    EXPECT_EQ(ini.ReadString("Variables", "name1", ""), "a");
    EXPECT_EQ(ini.ReadString("Variables", "value1", ""), "zwei");
    EXPECT_EQ(ini.ReadString("Variables", "value2", ""), "1.5");
}

TEST_F(Settings, LinesAreDecodedEachOnItsOwn) {
    Write("[History]\nCount=3\n0=\xC3\xA4+1\n1=\xE4+2\n2=\xE2\x82\xAC\n");
    TCalculator calculator;
    Restore(calculator);
    EXPECT_EQ(calculator.History,
              (std::vector<std::string>{"\xC3\xA4+1", "\xC3\xA4+2", "\xE2\x82\xAC"}));
}

// Two programs started on the same file, each changing what it has, saving one after the other.
TEST_F(Settings, ASaveMergesWhatAnotherProgramSavedMeanwhile) {
    Write("[Variables]\nCount=4\nname1=a\nvalue1=1\nname2=b\nvalue2=2\nname3=c\nvalue3=3\n"
          "name4=d\nvalue4=4\n[History]\nCount=2\n0=old1\n1=old2\n");
    TCalculator window, console;
    Restore(window);
    Restore(console);
    window.AddToHistory("w");
    window.MainFunction().SetVarValue("a", 10); // only the window changes a
    window.MainFunction().SetVarValue("c", 0);  // and removes c
    window.MainFunction().SetVarValue("d", 40); // both change d
    window.AddToHistory(" k1"); // as the console writes an input, which reads back as "k1"
    console.AddToHistory(" k1");
    console.AddToHistory(" k2");
    console.MainFunction().SetVarValue("b", 20); // only the console changes b
    console.MainFunction().SetVarValue("d", 41);
    console.MainFunction().AddVariable("n");
    console.MainFunction().SetVarValue("n", 5); // and adds n
    Save(console);
    Save(window);

    TCalculator after;
    Restore(after);
    const struct {
        const char* Name;
        long double Value;
    } expected[] = {{"a", 10}, {"b", 20}, {"d", 40}, {"n", 5}};
    for (const auto& e : expected) {
        SCOPED_TRACE(e.Name);
        EXPECT_EQ(after.MainFunction().GetVarValue(e.Name), e.Value);
    }
    EXPECT_EQ(Names(after), (std::vector<std::string>{"a", "b", "d", "n"})); // c stays removed
    EXPECT_EQ(after.History, (std::vector<std::string>{"k1", "w", "k2", "old1", "old2"}));
}
