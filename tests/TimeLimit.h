// How long hostile input may take before a test counts it as too slow. The faults these limits
// catch take minutes; the limits leave a wide margin for a loaded two-core machine, and more
// under the sanitizers, whose checks slow everything down.
#pragma once

#include <chrono>

#ifdef __SANITIZE_ADDRESS__
inline constexpr std::chrono::milliseconds InputTimeLimit(30000);
#else
inline constexpr std::chrono::milliseconds InputTimeLimit(5000);
#endif
