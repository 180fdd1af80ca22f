// Counts every global allocation of the program.
#pragma once

#include <cstdint>

namespace Bench {
std::int64_t AllocationCount();
}
