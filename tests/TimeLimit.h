// How long hostile input may take before a test counts it as too slow: one second, five under
// the sanitizers, whose checks slow everything down.
#pragma once

#include <chrono>

#ifdef __SANITIZE_ADDRESS__
inline constexpr std::chrono::milliseconds InputTimeLimit(5000);
#else
inline constexpr std::chrono::milliseconds InputTimeLimit(1000);
#endif
