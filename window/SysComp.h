// System figures for the information dialog: memory from the kernel, the clock from the
// processor's time-stamp counter.
#pragma once

#include <cstdint>
#include <string>

struct TMemoryStatus {
    std::uint64_t AvailPhysMemory = 0;
    std::uint64_t AvailPageFile = 0;
    std::uint32_t MemoryLoad = 0;
};

// Reads the figures from the text of /proc/meminfo; zeros for what it lacks.
TMemoryStatus ParseMemInfo(const std::string& text);

class TSystem {
public:
    // Bytes of memory available without swapping, of free swap space, and the share of memory
    // in use (0 to 100), read afresh at each call.
    std::uint64_t AvailPhysMemory() const;
    std::uint64_t AvailPageFile() const;
    std::uint32_t MemoryLoad() const;
    // The processor clock in MHz, measured over half a second at each call; the call blocks
    // that long.
    double Mhz() const;

private:
    TMemoryStatus ReadStatus() const;
};
