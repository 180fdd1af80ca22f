#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

namespace fs = std::filesystem;
using std::string;

namespace {

int Wait(pid_t child, int options = 0) {
    int wait = 0;
    if (waitpid(child, &wait, options) <= 0) return -1;
    return WIFEXITED(wait) ? WEXITSTATUS(wait) : 128 + WTERMSIG(wait);
}

// nimbrel-cli with the arguments under LANG; standard output and error into files.
pid_t Start(const std::vector<string>& args, const string& output, const string& lang = "C") {
    const pid_t child = fork();
    if (child == 0) {
        setenv("LANG", lang.c_str(), 1);
        const int null = open("/dev/null", O_RDONLY);
        const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(null, 0), dup2(out, 1), dup2(out, 2);
        std::vector<char*> argv{const_cast<char*>(NIMBREL_CLI)};
        for (const string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(NIMBREL_CLI, argv.data());
        _exit(127);
    }
    return child;
}

string Read(const string& path) {
    std::ifstream in(path, std::ios::binary);
    return string(std::istreambuf_iterator<char>(in), {});
}

void Write(const string& path, const string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

// Some megabytes, so that a save takes a while.
string BigFile() {
    string text = "[Variables]\nCount=1\nname1=y\nvalue1=2\n[History]\nMaxCount=200000\n"
                  "Count=100000\n";
    for (int n = 0; n < 100000; ++n)
        text += std::to_string(n) + "=sin(x)*" + std::to_string(n) + "\n";
    return text;
}

class CliSettings : public testing::Test {
protected:
    void SetUp() override {
        Folder = fs::temp_directory_path() /
                 ("nimbrel-cli-" + std::to_string(getpid()) + "-" +
                  testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(Folder);
        fs::create_directories(Folder / "sub");
        File = (Folder / "sub" / "nimbrel.ini").string();
    }
    void TearDown() override {
        fs::permissions(Folder / "sub", fs::perms::owner_all);
        fs::remove_all(Folder);
    }
    // Exit status and output.
    std::pair<int, string> Run(const std::vector<string>& args, const string& lang = "C") {
        const string output = (Folder / "output").string();
        const int status = Wait(Start(args, output, lang));
        return {status, Read(output)};
    }

    fs::path Folder;
    string File;
};

} // namespace

TEST_F(CliSettings, VariablesSurviveAnotherDecimalSeparator) {
    for (const char* lang : {"de_DE.UTF-8", "C"})
        for (const bool option : {false, true}) {
            SCOPED_TRACE(string(lang) + (option ? " --decimal-separator ." : ""));
            Write(File, "[Variables]\nname1=y\nvalue1=2,5\nCount=1\n");
            std::vector<string> args = {"-i", File, "--save", "y*2"};
            if (option) args.insert(args.begin(), {"--decimal-separator", "."});
            EXPECT_EQ(Run(args, lang), std::make_pair(0, string("5\n")));
            EXPECT_EQ(Run({"-i", File, "y*2"}), std::make_pair(0, string("5\n")));
        }
}

TEST_F(CliSettings, FailedSavesExitWithTheirReasonAndKeepTheFile) {
    const string sub = (Folder / "sub").string(), disk = (Folder / "disk").string();
    const struct {
        const char* Name;
        string Path;
        std::function<bool()> Prepare; // false: the case cannot be set up here
        string Reason;
    } cases[] = {
        {"read-only folder", File, [&] { return chmod(sub.c_str(), 0555) == 0; },
         "Der Ordner " + sub + " ist schreibgeschützt"},
        {"read-only file", File, [&] { return chmod(File.c_str(), 0444) == 0; },
         "Die Datei ist schreibgeschützt"},
        {"removed folder", sub + "/gone/nimbrel.ini", [] { return true; },
         "Der Ordner " + sub + "/gone existiert nicht"},
        {"full disk", disk + "/nimbrel.ini",
         [&] {
             fs::create_directories(disk);
             if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0) return false;
             Write(disk + "/nimbrel.ini", Read(File));
             std::ofstream filler(disk + "/filler", std::ios::binary);
             for (const string block(4096, 'f'); filler.write(block.data(), block.size());) {
             }
             return true;
         },
         "Kein Platz mehr auf dem Datenträger"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Write(File, "[History]\nCount=1\n0=alt\n");
        if (!c.Prepare()) {
            std::cout << c.Name << ": skipped, a small tmpfs cannot be mounted here\n";
            continue;
        }
        const string before = Read(c.Path);
        EXPECT_EQ(Run({"-i", c.Path, "--save", "1+1"}),
                  std::make_pair(73, "2\nnimbrel-cli: Die Einstellungsdatei " + c.Path +
                                         " kann nicht geschrieben werden: " + c.Reason + "\n"));
        EXPECT_EQ(Read(c.Path), before);
        for (const auto& entry : fs::recursive_directory_iterator(Folder))
            EXPECT_EQ(entry.path().string().find(".tmp"), string::npos);
        umount2(disk.c_str(), MNT_DETACH);
        chmod(sub.c_str(), 0755);
        chmod(File.c_str(), 0644);
    }
}

TEST_F(CliSettings, ConcurrentSavesNeitherFailNorTearAndKeepEveryEntry) {
    Write(File, BigFile());
    constexpr int Writers = 6;
    std::vector<pid_t> children;
    for (int i = 0; i < Writers; ++i) {
        const string output = (Folder / ("output" + std::to_string(i))).string();
        children.push_back(Start({"-i", File, "--save", "w" + std::to_string(i)}, output));
        usleep(2000);
    }
    for (int i = 0; i < Writers; ++i) {
        EXPECT_EQ(Wait(children[i]), 0);
        EXPECT_EQ(Read((Folder / ("output" + std::to_string(i))).string()), "0\n");
    }
    const string text = Read(File);
    for (const char* section : {"[ScientificPanel]", "[Variables]", "[History]"})
        EXPECT_EQ(text.find(section), text.rfind(section)) << section;
    for (int i = 0; i < Writers; ++i)
        EXPECT_NE(text.find("w" + std::to_string(i) + "\n"), string::npos) << i;
}

TEST_F(CliSettings, KilledSavesLeaveTheOldOrTheNewFileAndNoLeftovers) {
    const string old = BigFile();
    Write(File, old);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(Run({"-i", File, "--save", "neu"}).first, 0);
    const auto saveTime = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    const string saved = Read(File);
    std::mt19937 random(12345);
    for (int round = 0; round < 12; ++round) {
        Write(File, old);
        const pid_t child = Start({"-i", File, "--save", "neu"}, (Folder / "output").string());
        usleep(std::uniform_int_distribution<int>(0, 2 * saveTime.count())(random));
        kill(child, SIGKILL);
        Wait(child);
        const string now = Read(File);
        ASSERT_TRUE(now == old || now == saved) << "round " << round;
    }
    Run({"-i", File, "1+1"}); // a later start clears what the killed saves left
    for (const auto& entry : fs::directory_iterator(Folder / "sub"))
        EXPECT_EQ(entry.path().string().find(".tmp"), string::npos) << entry.path();
}

TEST_F(CliSettings, InterruptClearsTheLineAndEndSignalsSave) {
    for (const int signal : {0, SIGHUP, SIGTERM}) { // 0: the user types "ende"
        SCOPED_TRACE(signal);
        fs::remove(File);
        int terminal = -1;
        const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
        if (child == 0) {
            setenv("LANG", "C.UTF-8", 1);
            execl(NIMBREL_CLI, NIMBREL_CLI, "-i", File.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        string seen;
        const auto waitFor = [&](const string& text) {
            for (int i = 0; i < 200 && seen.find(text) == string::npos; ++i) {
                pollfd ready{terminal, POLLIN, 0};
                char buffer[512];
                if (poll(&ready, 1, 100) > 0) {
                    const ssize_t count = read(terminal, buffer, sizeof buffer);
                    if (count > 0) seen.append(buffer, static_cast<std::size_t>(count));
                }
            }
            const bool found = seen.find(text) != string::npos;
            seen.erase(0, found ? seen.find(text) + text.size() : 0);
            return found;
        };
        // Keys typed before the line editor reads would meet the terminal's own line handling;
        // no user is that fast.
        const auto type = [&](const string& keys) {
            usleep(200000);
            ASSERT_EQ(write(terminal, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
        };
        ASSERT_TRUE(waitFor("> "));
        type("1+");
        type("\x03"); // Ctrl+C drops the line, and the console stays
        ASSERT_TRUE(waitFor("> "));
        type("6*7\r");
        ASSERT_TRUE(waitFor("= 42"));
        ASSERT_TRUE(waitFor("> "));
        if (signal)
            kill(child, signal);
        else
            type("ende\r");
        int status = -1;
        for (int i = 0; i < 200 && (status = Wait(child, WNOHANG)) < 0; ++i)
            usleep(50000);
        close(terminal);
        EXPECT_EQ(status, signal ? 128 + signal : 0);
        EXPECT_NE(Read(File).find("[History]\nCount=1\n0=6*7\n"), string::npos) << Read(File);
    }
}
