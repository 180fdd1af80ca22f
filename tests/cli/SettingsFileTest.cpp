#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct TRun {
    int Status = -1; // the exit status, or 128 plus the signal that ended the process
    std::string Errors;
};

int StatusOf(int wait) {
    return WIFEXITED(wait) ? WEXITSTATUS(wait) : 128 + WTERMSIG(wait);
}

// Runs nimbrel-cli with the arguments and LANG, standard error into a file, no terminal.
pid_t Start(const std::vector<std::string>& args, const std::string& errors,
            const std::string& lang = "C") {
    const pid_t child = fork();
    if (child == 0) {
        setenv("LANG", lang.c_str(), 1);
        unsetenv("LC_ALL");
        unsetenv("LC_NUMERIC");
        const int null = open("/dev/null", O_RDWR);
        const int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        std::vector<char*> argv{const_cast<char*>(NIMBREL_CLI)};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(NIMBREL_CLI, argv.data());
        _exit(127);
    }
    return child;
}

int Wait(pid_t child) {
    int wait = 0;
    waitpid(child, &wait, 0);
    return StatusOf(wait);
}

class CliSettings : public testing::Test {
protected:
    void SetUp() override {
        Folder = fs::temp_directory_path() /
                 ("nimbrel-cli-" + std::to_string(getpid()) + "-" +
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
    TRun Run(const std::vector<std::string>& args, const std::string& lang = "C") {
        const std::string errors = (Folder / "errors").string();
        TRun run;
        run.Status = Wait(Start(args, errors, lang));
        run.Errors = Read(errors);
        return run;
    }

    fs::path Folder;
    std::string File;
};

// A settings file of some megabytes, so that saves take a while.
std::string BigFile() {
    std::string text = "[Variables]\nCount=1\nname1=y\nvalue1=2\n[History]\nMaxCount=200000\n"
                       "Count=100000\n";
    for (int n = 0; n < 100000; ++n)
        text += std::to_string(n) + "=sin(x)*" + std::to_string(n) + "+cos(x)\n";
    return text;
}

} // namespace

TEST_F(CliSettings, VariablesSurviveAnotherDecimalSeparator) {
    const struct {
        const char* Lang;
        std::vector<std::string> Options;
    } cases[] = {
        {"de_DE.UTF-8", {"--decimal-separator", "."}},
        {"C", {}},
        {"de_DE.UTF-8", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Lang);
        Write(File, "[Variables]\nname1=y\nvalue1=2,5\nCount=1\n");
        std::vector<std::string> args = {"-i", File, "--save"};
        args.insert(args.end(), c.Options.begin(), c.Options.end());
        args.push_back("y*2");
        EXPECT_EQ(Run(args, c.Lang).Status, 0);
        // Once more under the separator of the first case: y is still 2.5.
        const std::string out = (Folder / "out").string();
        const pid_t child = fork();
        if (child == 0) {
            if (!freopen(out.c_str(), "w", stdout)) _exit(126);
            setenv("LANG", "C", 1);
            execl(NIMBREL_CLI, NIMBREL_CLI, "-i", File.c_str(), "--decimal-separator", ".",
                  "y*2", static_cast<char*>(nullptr));
            _exit(127);
        }
        EXPECT_EQ(Wait(child), 0);
        EXPECT_EQ(Read(out), "5\n");
    }
}

TEST_F(CliSettings, FailedSavesExitWithTheirReasonAndKeepTheFile) {
    const std::string old = "[History]\nCount=1\n0=alt\n";
    const std::string sub = (Folder / "sub").string();
    const struct {
        const char* Name;
        std::string Path;
        std::function<void()> Prepare;
        std::string Reason;
    } cases[] = {
        {"read-only folder", sub + "/nimbrel.ini",
         [&] { fs::permissions(sub, fs::perms::owner_read | fs::perms::owner_exec); },
         "Der Ordner " + sub + " ist schreibgeschützt"},
        {"read-only file", sub + "/nimbrel.ini",
         [&] { fs::permissions(sub + "/nimbrel.ini", fs::perms::owner_read); },
         "Die Datei ist schreibgeschützt"},
        {"removed folder", sub + "/gone/nimbrel.ini", [] {},
         "Der Ordner " + sub + "/gone existiert nicht"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        fs::create_directories(sub);
        Write(sub + "/nimbrel.ini", old);
        c.Prepare();
        const TRun run = Run({"-i", c.Path, "--save", "1+1"});
        fs::permissions(sub, fs::perms::owner_all);
        EXPECT_EQ(run.Status, 73);
        EXPECT_EQ(run.Errors, "nimbrel-cli: Die Einstellungsdatei " + c.Path +
                                  " kann nicht geschrieben werden: " + c.Reason + "\n");
        EXPECT_EQ(Read(sub + "/nimbrel.ini"), old);
        fs::permissions(sub + "/nimbrel.ini", fs::perms::owner_read | fs::perms::owner_write);
    }
}

TEST_F(CliSettings, FullDiskKeepsTheFile) {
    const std::string disk = (Folder / "disk").string();
    fs::create_directories(disk);
    if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "no small tmpfs can be mounted here; the file size limit test stands in";
    struct TUnmount {
        std::string Path;
        ~TUnmount() { umount2(Path.c_str(), MNT_DETACH); }
    } unmount{disk};
    const std::string file = disk + "/nimbrel.ini";
    const std::string old = "[History]\nCount=1\n0=alt\n";
    Write(file, old);
    // Fill what is left.
    {
        std::ofstream filler(disk + "/filler", std::ios::binary);
        const std::string block(4096, 'f');
        while (filler.write(block.data(), block.size())) {
        }
    }
    const TRun run = Run({"-i", file, "--save", "1+1"});
    EXPECT_EQ(run.Status, 73);
    EXPECT_NE(run.Errors.find("Kein Platz mehr auf dem Datenträger"), std::string::npos);
    EXPECT_EQ(Read(file), old);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(disk)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"filler", "nimbrel.ini", "nimbrel.ini.lock"}));
}

TEST_F(CliSettings, ConcurrentSavesNeitherFailNorTear) {
    Write(File, BigFile());
    constexpr int Writers = 6;
    std::vector<pid_t> children;
    for (int i = 0; i < Writers; ++i) {
        children.push_back(Start({"-i", File, "--save", "w" + std::to_string(i)},
                                 (Folder / ("errors" + std::to_string(i))).string()));
        usleep(2000);
    }
    for (int i = 0; i < Writers; ++i) {
        EXPECT_EQ(Wait(children[i]), 0);
        EXPECT_EQ(Read((Folder / ("errors" + std::to_string(i))).string()), "");
    }
    const std::string text = Read(File);
    for (const char* section : {"[ScientificPanel]", "[Variables]", "[History]"})
        EXPECT_EQ(text.find(section), text.rfind(section)) << section;
    EXPECT_EQ(text.back(), '\n');
    // Every writer's entry was merged in.
    for (int i = 0; i < Writers; ++i)
        EXPECT_NE(text.find("w" + std::to_string(i) + "\n"), std::string::npos) << i;
}

TEST_F(CliSettings, KilledSavesLeaveTheOldOrTheNewFileAndNoLeftovers) {
    const std::string old = BigFile();
    // The file a completed save writes.
    Write(File, old);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(Run({"-i", File, "--save", "neu"}).Status, 0);
    const auto SaveMicroseconds = static_cast<int>(
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                              start)
            .count());
    const std::string saved = Read(File);
    std::mt19937 random(12345);
    int olds = 0, news = 0;
    for (int round = 0; round < 12; ++round) {
        Write(File, old);
        const pid_t child = Start({"-i", File, "--save", "neu"}, (Folder / "errors").string());
        usleep(std::uniform_int_distribution<int>(0, 2 * SaveMicroseconds)(random));
        kill(child, SIGKILL);
        Wait(child);
        const std::string now = Read(File);
        ASSERT_TRUE(now == old || now == saved) << "round " << round;
        (now == old ? olds : news)++;
    }
    // A later start clears what the killed saves left.
    Run({"-i", File, "1+1"});
    for (const auto& entry : fs::directory_iterator(Folder))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos)
            << entry.path();
    std::cout << "killed saves: " << olds << " before the rename, " << news << " after\n";
}

namespace {

// nimbrel-cli on a pseudo-terminal, as a user at a terminal runs it.
class TTerminal {
public:
    explicit TTerminal(const std::string& file) {
        Child = forkpty(&Master, nullptr, nullptr, nullptr);
        if (Child == 0) {
            setenv("LANG", "C.UTF-8", 1);
            setenv("TERM", "dumb", 1);
            execl(NIMBREL_CLI, NIMBREL_CLI, "-i", file.c_str(), "--decimal-separator", ".",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~TTerminal() {
        if (Master >= 0) close(Master);
    }
    // Reads until the text has come, or a few seconds passed.
    bool WaitFor(const std::string& text) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (Seen.find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() > end) return false;
            pollfd poll_{Master, POLLIN, 0};
            if (poll(&poll_, 1, 100) <= 0) continue;
            char buffer[512];
            const ssize_t count = read(Master, buffer, sizeof buffer);
            if (count <= 0) return false;
            Seen.append(buffer, static_cast<std::size_t>(count));
        }
        Seen.erase(0, Seen.find(text) + text.size());
        return true;
    }
    // Keys typed before the line editor reads are seen by the terminal's own line discipline;
    // a user is never that fast.
    void Type(const std::string& keys) {
        usleep(200000);
        ASSERT_EQ(write(Master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }
    int End() {
        close(Master);
        Master = -1;
        return Wait(Child);
    }
    pid_t Child = -1;

private:
    int Master = -1;
    std::string Seen;
};

} // namespace

TEST_F(CliSettings, InterruptClearsTheLineAndEndSignalsSave) {
    const struct {
        const char* Name;
        int Signal; // 0: the user types "ende"
        int Status;
    } cases[] = {{"ende", 0, 0}, {"SIGHUP", SIGHUP, 128 + SIGHUP}, {"SIGTERM", SIGTERM, 128 + SIGTERM}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        fs::remove(File);
        TTerminal terminal(File);
        ASSERT_TRUE(terminal.WaitFor("> "));
        terminal.Type("1+");
        terminal.Type("\x03"); // Ctrl+C drops the line, the console stays
        ASSERT_TRUE(terminal.WaitFor("> "));
        terminal.Type("6*7\r");
        ASSERT_TRUE(terminal.WaitFor("= 42"));
        ASSERT_TRUE(terminal.WaitFor("> "));
        if (c.Signal)
            kill(terminal.Child, c.Signal);
        else
            terminal.Type("ende\r");
        // The status comes with the end of the process; the terminal stays open until then.
        int wait = 0;
        for (int i = 0; i < 200 && waitpid(terminal.Child, &wait, WNOHANG) == 0; ++i) usleep(50000);
        EXPECT_EQ(StatusOf(wait), c.Status);
        terminal.End();
        EXPECT_NE(Read(File).find("[History]\nCount=1\n0=6*7\n"), std::string::npos) << Read(File);
    }
}
