// The extended kernels against 200-bit references (KernelReferences.bin, made by
// kernel_references.py, whose header describes the format): the largest error in units in the
// last place of each of Nimbrel's kernels and of the C library's, printed side by side, and
// Nimbrel's bounded per kernel.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/ExtendedPair.h"
#include "engine/MathKernelsImpl.h"

namespace {

using TArity2 = long double (*)(long double, long double);
using TDouble2 = double (*)(double, double);

struct TKernel {
    const char* Name;
    TArity2 Nimbrel;
    TArity2 Library;
    TDouble2 Double;   // only checks that the reference was completed correctly
    long double Bound; // Nimbrel's largest error allowed, in ulps
    // How many finite references Nimbrel may overflow on; those are left out of its error.
    std::size_t Overflows;
};

long double NimbrelPower(long double a, long double b) {
    long double r = 0;
    return KvScalar::Power(a, b, r) ? r : NAN;
}

// The C library has no coth and arccoth.
long double LibraryCoth(long double x) {
    return 1 / tanhl(x);
}
double DoubleCoth(double x) {
    return 1 / std::tanh(x);
}
long double LibraryArcCoth(long double x) {
    return std::copysign(0.5L * log1pl(2 / (std::fabs(x) - 1)), x);
}
double DoubleArcCoth(double x) {
    return std::copysign(0.5 * std::log1p(2 / (std::fabs(x) - 1)), x);
}

// The bounds, one per kernel: one ulp, as for every kernel users reach.
#define KERNEL1(name, nimbrel, library, dbl, bound, overflows)                                     \
    {                                                                                              \
        name, [](long double x, long double) { return nimbrel(x); },                               \
            [](long double x, long double) { return library(x); },                                 \
            [](double x, double) { return dbl(x); }, bound, overflows                              \
    }
const TKernel Kernels[] = {
    KERNEL1("sin", KvScalar::Sin, sinl, std::sin, 1.0L, 0),
    KERNEL1("cos", KvScalar::Cos, cosl, std::cos, 1.0L, 0),
    KERNEL1("tan", KvScalar::Tan, tanl, std::tan, 1.0L, 0),
    KERNEL1("exp", KvScalar::Exp, expl, std::exp, 1.0L, 0),
    KERNEL1("ln", KvScalar::Ln, logl, std::log, 1.0L, 0),
    KERNEL1("log", KvScalar::Log, log10l, std::log10, 1.0L, 0),
    KERNEL1("ld", KvScalar::Ld, log2l, std::log2, 1.0L, 0),
    KERNEL1("sqrt", KvScalar::Sqrt, sqrtl, std::sqrt, 1.0L, 0),
    KERNEL1("arctan", KvScalar::ArcTan, atanl, std::atan, 1.0L, 0),
    KERNEL1("arcsin", KvScalar::ArcSin, asinl, std::asin, 1.0L, 0),
    KERNEL1("arccos", KvScalar::ArcCos, acosl, std::acos, 1.0L, 0),
    KERNEL1("sinh", KvScalar::Sinh, sinhl, std::sinh, 1.0L, 0),
    KERNEL1("cosh", KvScalar::Cosh, coshl, std::cosh, 1.0L, 0),
    KERNEL1("tanh", KvScalar::Tanh, tanhl, std::tanh, 1.0L, 0),
    KERNEL1("coth", KvScalar::Coth, LibraryCoth, DoubleCoth, 1.0L, 0),
    KERNEL1("arcsinh", KvScalar::ArcSinh, asinhl, std::asinh, 1.0L, 0),
    KERNEL1("arccosh", KvScalar::ArcCosh, acoshl, std::acosh, 1.0L, 0),
    KERNEL1("arctanh", KvScalar::ArcTanh, atanhl, std::atanh, 1.0L, 0),
    KERNEL1("arccoth", KvScalar::ArcCoth, LibraryArcCoth, DoubleArcCoth, 1.0L, 0),
    {"power", NimbrelPower, powl, [](double a, double b) { return std::pow(a, b); }, 1.0L, 0},
};
#undef KERNEL1

// Positions on the ordered grid of extended values; see the script.
__extension__ typedef __int128 TKey;
constexpr TKey Top = TKey(1) << 63;

TKey Key(long double x) {
    const KvPair::TBits bits = KvPair::Bits(x);
    const int biased = bits.SignExponent & 0x7FFF;
    const TKey magnitude = biased == 0 ? TKey(bits.Mantissa) : (biased - 1) * Top + bits.Mantissa;
    return (bits.SignExponent & 0x8000) ? -magnitude : magnitude;
}

long double FromKey(TKey key) {
    const TKey magnitude = key < 0 ? -key : key;
    const long double x =
        magnitude < Top ? KvPair::FromBits(std::uint64_t(magnitude), 0)
                        : KvPair::FromBits(std::uint64_t(magnitude) | (std::uint64_t(1) << 63),
                                           std::uint16_t(magnitude >> 63));
    return key < 0 ? -x : x;
}

// The whole position of a reference whose low 24 bits are stored, from a value near it.
TKey Complete(std::uint32_t low, long double near) {
    const TKey k = Key(near);
    TKey step = (TKey(low) - k) & 0xFFFFFF;
    if (step >= 0x800000) step -= 0x1000000;
    return k + step;
}

long double UlpOf(long double g) {
    if (g == 0) return KvPair::FromBits(1, 0);
    return std::ldexp(1.0L, std::max(std::ilogb(g), -16382) - 63);
}

// |y - reference| in ulps of the reference's binade.
long double UlpError(long double y, TKey position, int fraction) {
    if (std::isnan(y)) return INFINITY;
    const long double g = FromKey(position);
    const long double gap = fraction == 0 ? UlpOf(g) : FromKey(position + 1) - g;
    return std::fabs((y - g) / gap - fraction / 256.0L);
}

std::uint64_t SplitMix(std::uint64_t& state) {
    state += 0x9E3779B97F4A7C15ull;
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

class TReader {
public:
    explicit TReader(std::vector<unsigned char> data) : Data(std::move(data)) {}
    template <typename T> T Get() {
        T value{};
        if (Position + sizeof(T) > Data.size()) {
            Failed = true;
            return value;
        }
        std::memcpy(&value, Data.data() + Position, sizeof(T));
        Position += sizeof(T);
        return value;
    }
    long double GetExtended() {
        const auto mantissa = Get<std::uint64_t>();
        return KvPair::FromBits(mantissa, Get<std::uint16_t>());
    }
    std::string GetName() {
        std::string name(Get<std::uint8_t>(), ' ');
        for (char& c : name)
            c = char(Get<std::uint8_t>());
        return name;
    }
    bool Failed = false;
    bool AtEnd() const { return Position == Data.size(); }

private:
    std::vector<unsigned char> Data;
    std::size_t Position = 0;
};

// How the arguments of one slot of a block are drawn.
struct TRecipe {
    std::uint8_t Kind = 0;
    std::int32_t E0 = 0, E1 = 0;
    std::uint8_t Sign = 0;
    TKey K0 = 0;
    std::uint64_t N = 1;
    std::int32_t S = 0;
    std::uint32_t Offset = 0;
};

TRecipe ReadRecipe(TReader& in) {
    TRecipe recipe;
    recipe.Kind = in.Get<std::uint8_t>();
    if (recipe.Kind == 0) {
        recipe.E0 = in.Get<std::int32_t>();
        recipe.E1 = in.Get<std::int32_t>();
        recipe.Sign = in.Get<std::uint8_t>();
    } else if (recipe.Kind == 1) {
        const auto low = in.Get<std::uint64_t>();
        const auto high = in.Get<std::int64_t>();
        recipe.K0 = TKey(high) * (TKey(1) << 64) + TKey(low);
        recipe.N = in.Get<std::uint64_t>();
        recipe.S = in.Get<std::int32_t>();
    } else {
        recipe.Offset = in.Get<std::uint32_t>();
    }
    return recipe;
}

long double Draw(const TRecipe& recipe, std::uint64_t& state, std::uint32_t index,
                 const std::vector<long double>& pool) {
    if (recipe.Kind == 0) {
        const int e = recipe.E0 + int(SplitMix(state) % std::uint64_t(recipe.E1 - recipe.E0 + 1));
        const std::uint64_t m = SplitMix(state) | (std::uint64_t(1) << 63);
        bool negative = recipe.Sign == 1;
        if (recipe.Sign == 2) negative = SplitMix(state) & 1;
        const long double x = KvPair::FromBits(m, std::uint16_t(e + KvPair::ExponentBias));
        return negative ? -x : x;
    }
    if (recipe.Kind == 1) {
        const TKey k = recipe.K0 + TKey(SplitMix(state) % recipe.N);
        const long double magnitude = std::uint64_t(k < 0 ? -k : k);
        const long double x = std::ldexp(magnitude, recipe.S);
        return k < 0 ? -x : x;
    }
    const std::size_t at = std::size_t(recipe.Offset) + index;
    return at < pool.size() ? pool[at] : NAN;
}

struct TWorst {
    long double Ulps = 0;
    long double A = 0, B = 0;
    void Note(long double ulps, long double a, long double b) {
        if (ulps > Ulps || std::isnan(ulps)) *this = {std::isnan(ulps) ? INFINITY : ulps, a, b};
    }
};

struct TResult {
    std::string Name;
    std::size_t Count = 0;
    TWorst Nimbrel, Library;
    std::size_t Overflows = 0;   // Nimbrel's infinite results for finite references
    std::size_t FromNimbrel = 0; // references completed from Nimbrel's value
    std::size_t Unchecked = 0;   // failed the double-precision check
    long double UncheckedA = 0;
};

// Where rounding the arguments to double changes the value little, a double-precision value
// must lie near the reference; elsewhere nothing can be said.
bool NearDouble(const TKernel& kernel, TKey position, long double a, long double b,
                long double library) {
    const double d = kernel.Double(double(a), double(b));
    const long double shifted = kernel.Library(double(a), double(b));
    const long double g = FromKey(position);
    const long double magnitude = std::fabs(g);
    if (!std::isfinite(d) || !std::isfinite(shifted) || !std::isfinite(library) ||
        magnitude >= 0x1p1000L || (magnitude <= 0x1p-1000L && g != 0))
        return true;
    const long double tolerance =
        4 * std::fabs(shifted - library) + 0x1p-30L * magnitude + 0x1p-1000L;
    return std::fabs(g - d) <= tolerance;
}

// The reference at (a, b), completed from the C library's value, or from Nimbrel's where only
// that one agrees with double precision (the C library's more than 2^23 ulps off).
TKey Reference(const TKernel& kernel, std::uint32_t low, long double a, long double b,
               long double nimbrel, long double library, TResult& result) {
    const TKey fromLibrary = Complete(low, std::isnan(library) ? nimbrel : library);
    const TKey fromNimbrel = std::isnan(nimbrel) ? fromLibrary : Complete(low, nimbrel);
    if (NearDouble(kernel, fromLibrary, a, b, library)) return fromLibrary;
    if (fromNimbrel != fromLibrary && NearDouble(kernel, fromNimbrel, a, b, library)) {
        ++result.FromNimbrel;
        return fromNimbrel;
    }
    if (result.Unchecked++ == 0) result.UncheckedA = a;
    return fromLibrary;
}

std::vector<unsigned char> ReadFile(const char* path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TResult Measure(const TKernel& kernel, TReader& in, const std::vector<long double>& pool) {
    TResult result;
    result.Name = kernel.Name;
    const int arity = in.Get<std::uint8_t>();
    const std::uint32_t blocks = in.Get<std::uint32_t>();
    for (std::uint32_t block = 0; block < blocks && !in.Failed; ++block) {
        const std::uint32_t count = in.Get<std::uint32_t>();
        std::uint64_t state = in.Get<std::uint64_t>();
        std::vector<TRecipe> recipes;
        for (int slot = 0; slot < arity; ++slot)
            recipes.push_back(ReadRecipe(in));
        for (std::uint32_t i = 0; i < count && !in.Failed; ++i) {
            const long double a = Draw(recipes[0], state, i, pool);
            const long double b = arity > 1 ? Draw(recipes[1], state, i, pool) : 0;
            const std::uint32_t stored = in.Get<std::uint32_t>();
            const long double nimbrel = kernel.Nimbrel(a, b);
            const long double library = kernel.Library(a, b);
            const TKey position =
                Reference(kernel, stored & 0xFFFFFF, a, b, nimbrel, library, result);
            const int fraction = int(stored >> 24);
            if (std::isinf(nimbrel) && std::isfinite(FromKey(position)))
                ++result.Overflows;
            else
                result.Nimbrel.Note(UlpError(nimbrel, position, fraction), a, b);
            result.Library.Note(UlpError(library, position, fraction), a, b);
            ++result.Count;
        }
    }
    return result;
}

std::string Arguments(const TResult& result, const TWorst& worst) {
    char text[96];
    if (result.Name == "power")
        std::snprintf(text, sizeof text, "%.21Lg, %.21Lg", worst.A, worst.B);
    else
        std::snprintf(text, sizeof text, "%.21Lg", worst.A);
    return text;
}

const TKernel* FindKernel(const std::string& name) {
    for (const TKernel& kernel : Kernels)
        if (name == kernel.Name) return &kernel;
    return nullptr;
}

TEST(KernelAccuracy, WithinBoundsOfTheReferences) {
    TReader in(ReadFile(NIMBREL_KERNEL_REFERENCES));
    std::string magic;
    for (int i = 0; i < 8; ++i)
        magic += char(in.Get<std::uint8_t>());
    ASSERT_EQ(magic, std::string("NKREF\0\1\0", 8))
        << "missing or foreign file " << NIMBREL_KERNEL_REFERENCES;
    std::vector<long double> pool(in.Get<std::uint32_t>());
    for (long double& x : pool)
        x = in.GetExtended();
    std::vector<TResult> results;
    const std::uint32_t kernels = in.Get<std::uint32_t>();
    for (std::uint32_t k = 0; k < kernels && !in.Failed; ++k) {
        const std::string name = in.GetName();
        const TKernel* kernel = FindKernel(name);
        ASSERT_NE(kernel, nullptr) << "no kernel " << name;
        results.push_back(Measure(*kernel, in, pool));
    }
    std::feclearexcept(FE_ALL_EXCEPT);
    ASSERT_FALSE(in.Failed) << "truncated reference file";
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(results.size(), std::size(Kernels));

    std::printf("%-7s %7s %10s %-48s %10s %-48s\n", "kernel", "values", "nimbrel", "worst at",
                "C library", "worst at");
    for (const TResult& r : results) {
        std::printf("%-7s %7zu %10.3Lg %-48s %10.3Lg %-48s\n", r.Name.c_str(), r.Count,
                    r.Nimbrel.Ulps, Arguments(r, r.Nimbrel).c_str(), r.Library.Ulps,
                    Arguments(r, r.Library).c_str());
        if (r.Overflows > 0)
            std::printf("        %zu finite values overflowed in Nimbrel's kernel\n", r.Overflows);
        if (r.FromNimbrel > 0)
            std::printf("        %zu references completed from Nimbrel's value: the C library's "
                        "was far off\n",
                        r.FromNimbrel);
    }
    for (const TResult& r : results) {
        const TKernel& kernel = *FindKernel(r.Name);
        EXPECT_LE(r.Nimbrel.Ulps, kernel.Bound)
            << r.Name << " at " << Arguments(r, r.Nimbrel) << " is off by "
            << double(r.Nimbrel.Ulps) << " ulps";
        EXPECT_LE(r.Overflows, kernel.Overflows) << r.Name << " overflows on finite values";
        EXPECT_EQ(r.Unchecked, 0u) << r.Name << ": " << r.Unchecked << " references disagree "
                                   << "with double precision, first at " << double(r.UncheckedA);
    }
}

} // namespace
