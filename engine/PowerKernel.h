// Integer powers of an extended value carried as hi + lo pairs, so that a^n is within about
// half a unit in the last place, where the C library's powl is slower and no more accurate.
#pragma once

#include "engine/ExtendedPair.h"

namespace KvPower {

// The largest |n| the pair method takes; beyond it powl is as good and the loop longer.
constexpr int LargestExponent = 64;

// a^n into r for 0 < n <= LargestExponent and a finite, normal a whose powers all stay far
// from the ends of the range, from a's bits: no 80-bit value is loaded or stored on the way in.
// False, leaving r alone, when the caller must use powl instead (so that overflow and denormal
// results raise exactly what powl raises). Power itself takes the same way for such exponents.
bool WholePower(KvPair::TBits a, int n, long double& r);

} // namespace KvPower
