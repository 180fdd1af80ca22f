#include "calculus/NumericRules.h"

namespace NumericRules {

namespace {

// Step exponents and noise limits were chosen by measuring the worst error over textbook
// functions and points against values computed with 200-bit arithmetic.
struct TOrderChoice {
    int ExtraPoints;
    int StepExponent;
    long double NoiseLimit;
    bool TriesFixedStep;
};
constexpr TOrderChoice Choices[TDiffStencil::MaxOrder + 1] = {
    {},
    {},
    {0, -17, 0, false},
    {2, -12, 0, false},
    {2, -9, 1e-6L, true},
    {6, -6, 1e-5L, true},
    {6, -6, 1e-4L, true},
    {6, -6, 1e-3L, true},
};

// Fornberg's recursion for the weights of the n-th derivative at 0 over the given offsets.
constexpr std::array<long double, TDiffStencil::MaxPoints>
FornbergWeights(const std::array<long double, TDiffStencil::MaxPoints>& offsets, int count, int n) {
    long double c[TDiffStencil::MaxPoints][TDiffStencil::MaxOrder + 1] = {};
    long double c1 = 1, c4 = offsets[0];
    c[0][0] = 1;
    for (int i = 1; i < count; ++i) {
        const int top = i < n ? i : n;
        long double c2 = 1;
        const long double c5 = c4;
        c4 = offsets[i];
        for (int j = 0; j < i; ++j) {
            const long double c3 = offsets[i] - offsets[j];
            c2 *= c3;
            if (j == i - 1) {
                for (int k = top; k >= 1; --k)
                    c[i][k] = c1 * (k * c[i - 1][k - 1] - c5 * c[i - 1][k]) / c2;
                c[i][0] = -c1 * c5 * c[i - 1][0] / c2;
            }
            for (int k = top; k >= 1; --k)
                c[j][k] = (c4 * c[j][k] - k * c[j][k - 1]) / c3;
            c[j][0] = c4 * c[j][0] / c3;
        }
        c1 = c2;
    }
    std::array<long double, TDiffStencil::MaxPoints> weights{};
    for (int i = 0; i < count; ++i)
        weights[i] = c[i][n];
    return weights;
}

// Points spaced by one about 0; the point 0 is moved to the end, or added there with weight 0.
constexpr TDiffStencil MakeStencil(int n) {
    const TOrderChoice& choice = Choices[n];
    const int points = n + 1 + choice.ExtraPoints;
    std::array<long double, TDiffStencil::MaxPoints> offsets{};
    for (int k = 0; k < points; ++k)
        offsets[k] = k - (points - 1) / 2.0L;
    const auto weights = FornbergWeights(offsets, points, n);
    TDiffStencil stencil{
        n, 0, {}, {}, choice.StepExponent, choice.NoiseLimit, choice.TriesFixedStep};
    long double centre = 0;
    for (int k = 0; k < points; ++k) {
        if (offsets[k] == 0) {
            centre = weights[k];
            continue;
        }
        stencil.Offsets[stencil.Count] = offsets[k];
        stencil.Weights[stencil.Count] = weights[k];
        ++stencil.Count;
    }
    stencil.Offsets[stencil.Count] = 0;
    stencil.Weights[stencil.Count] = centre;
    ++stencil.Count;
    return stencil;
}

constexpr std::array<TDiffStencil, TDiffStencil::MaxOrder + 1> MakeStencils() {
    std::array<TDiffStencil, TDiffStencil::MaxOrder + 1> stencils{};
    for (int n = 2; n <= TDiffStencil::MaxOrder; ++n)
        stencils[n] = MakeStencil(n);
    return stencils;
}

constexpr auto Stencils = MakeStencils();

static_assert(Stencils[2].Count == 3 && Stencils[2].Weights[0] == 1 &&
              Stencils[2].Weights[1] == 1 && Stencils[2].Weights[2] == -2);
// Within 2^n evaluations, with the second try where there is one.
static_assert([] {
    for (int n = 2; n <= TDiffStencil::MaxOrder; ++n) {
        const int evaluations =
            Stencils[n].TriesFixedStep ? 2 * Stencils[n].Count - 1 : Stencils[n].Count;
        if (evaluations > (1 << n) || Stencils[n].Count > TDiffStencil::MaxPoints) return false;
    }
    return true;
}());

} // namespace

const TDiffStencil& DiffStencil(int n) {
    return Stencils[n];
}

} // namespace NumericRules
