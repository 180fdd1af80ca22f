// The C library's extended kernels under the program's rules, for the hand-written references
// and the kernel timings: against them, Nimbrel's own kernels show as a ratio below 1. They are
// out of line like the program's, so that a constant exponent is not folded into a product
// and the ratios compare the kernels alone.
#pragma once

namespace Bench::Library {

long double Exp(long double x);
long double Ln(long double x);
long double Log(long double x);
long double Ld(long double x);
long double Sqrt(long double x);
// Sine and cosine of |x| >= 2^63 are 0.
long double Sin(long double x);
long double Cos(long double x);
long double Tan(long double x);
long double ArcTan(long double x);
long double Sinh(long double x);
// The case analysis of KvScalar::Power on std::pow; 0 where the program reports a fault.
long double Pow(long double a, long double b);

} // namespace Bench::Library
