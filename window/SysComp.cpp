#include "window/SysComp.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <thread>
#include <x86intrin.h>

namespace {

std::uint64_t KiloBytes(const std::string& text, const std::string& key) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(key + ":", 0) != 0) continue;
        std::istringstream rest(line.substr(key.size() + 1));
        std::uint64_t value = 0;
        return rest >> value ? value : 0;
    }
    return 0;
}

// The highest priority this process may take while it measures; restored afterwards.
class TRaisedPriority {
public:
    TRaisedPriority() : Previous(getpriority(PRIO_PROCESS, 0)) {
        Raised = setpriority(PRIO_PROCESS, 0, -20) == 0;
    }
    ~TRaisedPriority() {
        if (Raised) setpriority(PRIO_PROCESS, 0, Previous);
    }

private:
    int Previous;
    bool Raised;
};

} // namespace

TMemoryStatus ParseMemInfo(const std::string& text) {
    TMemoryStatus status;
    const std::uint64_t total = KiloBytes(text, "MemTotal");
    const std::uint64_t available = KiloBytes(text, "MemAvailable");
    status.AvailPhysMemory = available * 1024;
    status.AvailPageFile = KiloBytes(text, "SwapFree") * 1024;
    if (total > 0 && available <= total)
        status.MemoryLoad = static_cast<std::uint32_t>((total - available) * 100 / total);
    return status;
}

TMemoryStatus TSystem::ReadStatus() const {
    std::ifstream file("/proc/meminfo");
    std::stringstream text;
    text << file.rdbuf();
    return ParseMemInfo(text.str());
}

std::uint64_t TSystem::AvailPhysMemory() const {
    return ReadStatus().AvailPhysMemory;
}
std::uint64_t TSystem::AvailPageFile() const {
    return ReadStatus().AvailPageFile;
}
std::uint32_t TSystem::MemoryLoad() const {
    return ReadStatus().MemoryLoad;
}

double TSystem::Mhz() const {
    const TRaisedPriority priority;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const std::uint64_t start = __rdtsc();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const std::uint64_t counts = __rdtsc() - start;
    return static_cast<double>(counts) / 500000.0;
}
