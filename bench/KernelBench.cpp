#include "bench/KernelBench.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <vector>

#include "bench/LibraryKernels.h"
#include "engine/MathKernelsImpl.h"

namespace {

using TKernel = long double (*)(long double);

// Distinct arguments, spread over the range in a scattered order, so that neither the branch
// predictor nor a cache of the last result sees a pattern.
constexpr std::uint32_t ArgumentCount = 1000000;

std::vector<long double> Arguments(long double low, long double high) {
    std::vector<long double> xs(ArgumentCount);
    for (std::uint32_t i = 0; i < ArgumentCount; ++i) {
        // 2654435761 is prime to 10^6, so i -> position is a permutation.
        const std::uint64_t position = std::uint64_t(i) * 2654435761u % ArgumentCount;
        xs[i] = low + (high - low) * ((position + 0.5L) / ArgumentCount);
    }
    return xs;
}

volatile long double Sink;

// The least time per call over the rounds: other load only ever adds to it.
template <TKernel F> double NsPerCall(const std::vector<long double>& xs, int rounds) {
    double best = std::numeric_limits<double>::infinity();
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        long double sum = 0;
        for (const long double x : xs)
            sum += F(x);
        const auto stop = std::chrono::steady_clock::now();
        Sink = sum;
        best = std::min(best, std::chrono::duration<double, std::nano>(stop - start).count());
    }
    return best / static_cast<double>(xs.size());
}

template <int Numerator, int Denominator> long double NimbrelPower(long double x) {
    long double r = 0;
    KvScalar::Power(x, static_cast<long double>(Numerator) / Denominator, r);
    return r;
}
template <int Numerator, int Denominator> long double LibraryPower(long double x) {
    return Bench::Library::Pow(x, static_cast<long double>(Numerator) / Denominator);
}

struct TKernelTiming {
    const char* Name;
    long double Low;
    long double High;
    double (*Nimbrel)(const std::vector<long double>&, int);
    double (*Library)(const std::vector<long double>&, int);
};

namespace L = Bench::Library;
namespace S = KvScalar;

// The ranges users reach.
const TKernelTiming Timings[] = {
    {"exp", -50, 50, NsPerCall<S::Exp>, NsPerCall<L::Exp>},
    {"ln", 0.001L, 1000, NsPerCall<S::Ln>, NsPerCall<L::Ln>},
    {"log", 0.001L, 1000, NsPerCall<S::Log>, NsPerCall<L::Log>},
    {"ld", 0.001L, 1000, NsPerCall<S::Ld>, NsPerCall<L::Ld>},
    {"sqrt", 0, 1000, NsPerCall<S::Sqrt>, NsPerCall<L::Sqrt>},
    {"sin", -1000, 1000, NsPerCall<S::Sin>, NsPerCall<L::Sin>},
    {"cos", -1000, 1000, NsPerCall<S::Cos>, NsPerCall<L::Cos>},
    {"tan", -1000, 1000, NsPerCall<S::Tan>, NsPerCall<L::Tan>},
    {"arctan", -100, 100, NsPerCall<S::ArcTan>, NsPerCall<L::ArcTan>},
    {"sinh", -20, 20, NsPerCall<S::Sinh>, NsPerCall<L::Sinh>},
    {"x^2", -100, 100, NsPerCall<NimbrelPower<2, 1>>, NsPerCall<LibraryPower<2, 1>>},
    {"x^3", -100, 100, NsPerCall<NimbrelPower<3, 1>>, NsPerCall<LibraryPower<3, 1>>},
    {"x^1.37", 0, 100, NsPerCall<NimbrelPower<137, 100>>, NsPerCall<LibraryPower<137, 100>>},
};

} // namespace

void PrintKernelTimes(int rounds) {
    std::printf("Kerne: ns je Aufruf, Minimum von %d Runden ueber %u Argumente\n", rounds,
                static_cast<unsigned>(ArgumentCount));
    std::printf("    %-8s %9s %13s %11s\n", "Kern", "nimbrel", "C-Bibliothek", "nimbrel/C");
    for (const TKernelTiming& timing : Timings) {
        const std::vector<long double> xs = Arguments(timing.Low, timing.High);
        // Alternating, so that a busy moment of the machine does not favour one side.
        double nimbrel = std::numeric_limits<double>::infinity();
        double library = nimbrel;
        for (int round = 0; round < rounds; ++round) {
            nimbrel = std::min(nimbrel, timing.Nimbrel(xs, 1));
            library = std::min(library, timing.Library(xs, 1));
        }
        std::printf("    %-8s %9.1f %13.1f %11.2f\n", timing.Name, nimbrel, library,
                    nimbrel / library);
        std::fflush(stdout);
    }
    std::printf("\n");
}
