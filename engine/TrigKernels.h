// The argument reduction shared by the sine, cosine and tangent kernels (KvScalar::Sin, Cos,
// Tan and Cot, declared in ScalarFunctions.h).
#pragma once

#include "engine/ExtendedPair.h"

namespace KvTrig {

// x = k pi/64 + R with |R| <= pi/128 (a hair more below 2^18), and Index = k mod 128.
struct TReduced {
    unsigned Index;
    KvPair::TPair R;
};

// For finite |x| < 2^63; R is exact to far beyond the extended format.
TReduced Reduce(long double x);

} // namespace KvTrig
