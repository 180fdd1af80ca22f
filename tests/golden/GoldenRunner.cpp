// Runs a golden file through nimbrel-cli --batch and compares every result line.
//
// Format: "#!" lines give extra arguments for the console program; other "#" lines and blank
// lines between cases are comments; "> text" is an input line and the line after it is the
// expected result line (which may be empty).
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct TCase {
    int LineNumber;
    std::string Input;
    std::string Expected;
};

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::vector<std::string> ReadLines(std::istream& in) {
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: nimbrel_golden_runner CLI FILE\n";
        return 2;
    }
    std::ifstream file(argv[2]);
    if (!file) {
        std::cerr << "cannot read " << argv[2] << "\n";
        return 2;
    }
    const std::vector<std::string> lines = ReadLines(file);
    std::string arguments = " --no-ini --batch";
    std::vector<TCase> cases;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.rfind("#!", 0) == 0) {
            std::istringstream words(line.substr(2));
            std::string word;
            while (words >> word) arguments += " " + ShellQuote(word);
        } else if (line.rfind("> ", 0) == 0 || line == ">") {
            if (i + 1 >= lines.size()) {
                std::cerr << argv[2] << ":" << i + 1 << ": input without expected line\n";
                return 2;
            }
            cases.push_back({static_cast<int>(i + 1), line.size() > 2 ? line.substr(2) : "", lines[i + 1]});
            ++i;
        }
    }

    char inputPath[] = "/tmp/nimbrel-golden-XXXXXX";
    const int fd = mkstemp(inputPath);
    if (fd < 0) return 2;
    close(fd);
    {
        std::ofstream input(inputPath);
        for (const TCase& c : cases) input << c.Input << '\n';
    }
    const std::string command = ShellQuote(argv[1]) + arguments + " < " + ShellQuote(inputPath);
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    if (pipe) {
        char buffer[4096];
        std::size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    }
    const int status = pipe ? pclose(pipe) : -1;
    std::remove(inputPath);

    std::istringstream outStream(output);
    const std::vector<std::string> actual = ReadLines(outStream);
    int failed = 0;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string got = i < actual.size() ? actual[i] : std::string("<no line>");
        if (got != cases[i].Expected) {
            ++failed;
            std::cout << argv[2] << ":" << cases[i].LineNumber << ": input  " << cases[i].Input
                      << "\n    expected " << cases[i].Expected << "\n    got      " << got << "\n";
        }
    }
    if (actual.size() != cases.size()) {
        std::cout << "expected " << cases.size() << " result lines, got " << actual.size() << "\n";
        ++failed;
    }
    // 1 says that some line failed, which a golden file may well expect.
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) > 1) {
        std::cout << "nimbrel-cli ended with status " << status << "\n";
        ++failed;
    }
    std::cout << cases.size() - std::min<std::size_t>(failed, cases.size()) << " passed, " << failed
              << " failed\n";
    return failed == 0 ? 0 : 1;
}
