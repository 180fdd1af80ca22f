// Samples a function object into polylines for a picture: adaptive, broken at poles, domain
// edges and jumps, and clipped to the view.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "calculus/MathXFnc.h"

struct TPlotPoint {
    long double X;
    long double Y;
};
using TPlotLine = std::vector<TPlotPoint>;

struct TPlotRange {
    long double Min;
    long double Max;
    long double Span() const { return Max - Min; }
};

// The part of the plane shown and the pixels it is shown on.
struct TPlotView {
    TPlotRange X{-10, 10};
    TPlotRange Y{-10, 10};
    int WidthPx = 640;
    int HeightPx = 400;
};

// A method object that only evaluates: the running variable takes the sample points and gets
// its value back afterwards, as does the random seed, so drawing changes nothing the user sees.
class TKvPlotSampler : public TKvMathUseOtherFunction {
public:
    // A variable the function does not have makes it constant in x.
    TKvPlotSampler(TKvMathTreeFunction* other, const std::string& varName);
    ~TKvPlotSampler() override;

    std::string ClassName() const override { return "TKvPlotSampler"; }
    void Calculate() override {}

    // The value at x; false when the evaluation fails or is not finite.
    bool Evaluate(long double x, long double& y);
    // The curve over the view's x-range, refined until a chord lies within a quarter pixel of
    // the curve (or the point budget is spent), and clipped a little beyond the view's y-range.
    // A random function gives dots instead: lines whose two points are the same.
    std::vector<TPlotLine> Sample(const TPlotView& view);
    // The finite values at count evenly spaced points, for the default y-range.
    std::vector<long double> EvenValues(TPlotRange x, int count);

    // Evaluations of the last Sample, for tests and the benchmark.
    std::int64_t Evaluations = 0;

    // Intervals of the first, even pass; each is refined by halving.
    static constexpr int FirstPieces = 64;
    static constexpr int MaxDepth = 14;
    static constexpr std::int64_t PointBudget = 20000;

private:
    struct TSample {
        long double X;
        long double Y;
        bool Valid;
    };
    TSample At(long double x);
    // Each value as a line of one point, drawn as a dot.
    std::vector<TPlotLine> Dots(const TPlotView& view);
    void Refine(const TSample& a, const TSample& b, int depth, std::vector<TPlotLine>& lines);
    void Append(const TSample& s, std::vector<TPlotLine>& lines);
    void Break(std::vector<TPlotLine>& lines);

    bool Constant = false;
    bool Broken = false;
    long double SavedValue = 0;
    long double SavedResult = 0;
    std::string SavedError;
    std::uint32_t SavedSeed = 0;
    // Scale of the current Sample: pixels per unit, and the band beyond which values are off.
    long double PxPerX = 1, PxPerY = 1, BandLow = 0, BandHigh = 0;
    bool OpenLine = false;
};

// Cuts each line where it leaves the band low..high, keeping the pieces inside.
std::vector<TPlotLine> ClipToBand(const std::vector<TPlotLine>& lines, long double low,
                                  long double high);

// A y-range that shows the bulk of the values and ignores spikes: the quartiles widened by
// three times their distance, bounded by the values, with a margin; about 0 for no values.
TPlotRange DefaultYRange(std::vector<long double> values);
