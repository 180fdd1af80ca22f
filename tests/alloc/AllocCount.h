// Counts every global allocation of the program that links this unit: it replaces the global
// operator new and delete. Not for the sanitizer builds, whose allocator comes first.
#pragma once

#include <cstdint>

std::int64_t AllocationCount();
