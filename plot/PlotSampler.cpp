#include "plot/PlotSampler.h"

#include <algorithm>
#include <cmath>

#include "engine/MathKernels.h"

TKvPlotSampler::TKvPlotSampler(TKvMathTreeFunction* other, const std::string& varName)
    : TKvMathUseOtherFunction(other) {
    BorrowedFunction = true;
    SavedSeed = RandSeed;
    SavedResult = other->Result;
    SavedError = other->GetErrorText();
    Broken = other->GetTree() == nullptr;
    const std::int32_t index = other->IndexOfVar(varName);
    Constant = index < 0;
    if (!Constant) {
        SetRunningVariable(varName);
        SavedValue = other->GetVarValueByIndex(index);
    }
}

TKvPlotSampler::~TKvPlotSampler() {
    try {
        if (!Constant) OtherFunction->SetVarValueByIndex(RunVarIndex, SavedValue);
        OtherFunction->Result = SavedResult;
        OtherFunction->SetErrorText(SavedError);
    } catch (...) {
        // The store no longer has the variable: nothing to give back.
    }
    RandSeed = SavedSeed;
    FpuClearFaults();
}

bool TKvPlotSampler::Evaluate(long double x, long double& y) {
    if (Broken) return false;
    ++Evaluations;
    long double value = 0;
    FpuClearFaults();
    if (!Constant && UncheckedValueAt(x, value)) {
        FpuBarrier(value);
        const bool faulted = FpuRaisedFaults() != 0;
        FpuClearFaults();
        if (faulted || !std::isfinite(value)) return false;
        y = value;
        return true;
    }
    try {
        if (Constant) {
            OtherFunction->Calculate();
            value = OtherFunction->Result;
        } else {
            value = TKvMathUseOtherFunction::ValueAt(x);
        }
    } catch (...) {
        FpuClearFaults();
        return false;
    }
    FpuClearFaults();
    if (!OtherFunction->GetErrorText().empty() || !std::isfinite(value)) return false;
    y = value;
    return true;
}

TKvPlotSampler::TSample TKvPlotSampler::At(long double x) {
    TSample s{x, 0, false};
    s.Valid = Evaluate(x, s.Y);
    return s;
}

std::vector<long double> TKvPlotSampler::EvenValues(TPlotRange x, int count) {
    TRunScope run(*this);
    std::vector<long double> values;
    if (count < 2 || !(x.Span() > 0) || !std::isfinite(x.Span())) return values;
    values.reserve(count);
    for (int i = 0; i < count; ++i) {
        long double y;
        if (Evaluate(x.Min + x.Span() * i / (count - 1), y)) values.push_back(y);
    }
    return values;
}

std::vector<TPlotLine> TKvPlotSampler::Sample(const TPlotView& view) {
    TRunScope run(*this);
    Evaluations = 0;
    OpenLine = false;
    std::vector<TPlotLine> lines;
    const long double xSpan = view.X.Span(), ySpan = view.Y.Span();
    if (!(xSpan > 0) || !(ySpan > 0) || !std::isfinite(xSpan) || !std::isfinite(ySpan))
        return lines;
    PxPerX = std::max(1, view.WidthPx) / xSpan;
    PxPerY = std::max(1, view.HeightPx) / ySpan;
    BandLow = view.Y.Min - ySpan / 2;
    BandHigh = view.Y.Max + ySpan / 2;
    TSample previous = At(view.X.Min);
    // A function that draws random numbers gives another value at the same point: it is shown
    // as dots, since no line between its values means anything.
    const TSample again = At(view.X.Min);
    if (previous.Valid && again.Valid && again.Y != previous.Y) return Dots(view);
    if (previous.Valid) Append(previous, lines);
    for (int i = 1; i <= FirstPieces; ++i) {
        const long double x = i == FirstPieces ? view.X.Max : view.X.Min + xSpan * i / FirstPieces;
        const TSample next = At(x);
        Refine(previous, next, 0, lines);
        previous = next;
    }
    return ClipToBand(lines, BandLow, BandHigh);
}

std::vector<TPlotLine> TKvPlotSampler::Dots(const TPlotView& view) {
    std::vector<TPlotLine> dots;
    const int count = std::max(2, view.WidthPx / 2);
    for (int i = 0; i < count; ++i) {
        const TSample s = At(view.X.Min + view.X.Span() * i / (count - 1));
        if (s.Valid && s.Y >= view.Y.Min && s.Y <= view.Y.Max)
            dots.push_back({{s.X, s.Y}, {s.X, s.Y}});
    }
    return dots;
}

void TKvPlotSampler::Refine(const TSample& a, const TSample& b, int depth,
                            std::vector<TPlotLine>& lines) {
    const bool atLimit = depth >= MaxDepth || (b.X - a.X) * PxPerX < 1.0L / 64;
    if (Evaluations >= PointBudget) {
        if (!a.Valid) Break(lines);
        if (b.Valid) Append(b, lines);
        else Break(lines);
        return;
    }
    if (!a.Valid && !b.Valid) {
        Break(lines);
        // A short stretch of the domain may lie between two failed points.
        if (depth >= 3) return;
        const TSample m = At((a.X + b.X) / 2);
        Refine(a, m, depth + 1, lines);
        Refine(m, b, depth + 1, lines);
        return;
    }
    const TSample m = At((a.X + b.X) / 2);
    if (a.Valid && b.Valid && m.Valid) {
        const bool above = a.Y > BandHigh && m.Y > BandHigh && b.Y > BandHigh;
        const bool below = a.Y < BandLow && m.Y < BandLow && b.Y < BandLow;
        const long double reach = BandHigh - BandLow;
        auto clamp = [&](long double y) {
            return std::clamp(y, BandLow - reach, BandHigh + reach);
        };
        const long double error =
            std::fabs(clamp(m.Y) - (clamp(a.Y) + clamp(b.Y)) / 2) * PxPerY;
        if (above || below || (depth >= 1 && error <= 0.25L)) {
            Append(b, lines);
            return;
        }
        if (atLimit) {
            // Still bent over a sliver of a pixel: a jump or a pole, unless too small to see.
            if (error > 2) {
                Break(lines);
            } else {
                Append(m, lines);
            }
            Append(b, lines);
            return;
        }
    } else if (atLimit) {
        // The edge of the domain, found to within the limit.
        if (a.Valid && m.Valid && !b.Valid) Append(m, lines);
        Break(lines);
        if (!a.Valid && m.Valid && b.Valid) Append(m, lines);
        if (b.Valid) Append(b, lines);
        return;
    }
    Refine(a, m, depth + 1, lines);
    Refine(m, b, depth + 1, lines);
}

void TKvPlotSampler::Append(const TSample& s, std::vector<TPlotLine>& lines) {
    if (!OpenLine) {
        lines.emplace_back();
        OpenLine = true;
    }
    lines.back().push_back({s.X, s.Y});
}

void TKvPlotSampler::Break(std::vector<TPlotLine>&) {
    OpenLine = false;
}

namespace {

// The part of the segment from p to q within low..high; false when none.
bool ClipSegment(TPlotPoint& p, TPlotPoint& q, long double low, long double high) {
    const bool pIn = p.Y >= low && p.Y <= high, qIn = q.Y >= low && q.Y <= high;
    if (pIn && qIn) return true;
    if (p.Y == q.Y) return false;
    const long double dy = q.Y - p.Y;
    const long double tLow = (low - p.Y) / dy, tHigh = (high - p.Y) / dy;
    const long double enter = std::max(0.0L, std::min(tLow, tHigh));
    const long double leave = std::min(1.0L, std::max(tLow, tHigh));
    if (enter > leave) return false;
    const TPlotPoint from = p;
    auto at = [&](long double t, long double edge) {
        return TPlotPoint{from.X + t * (q.X - from.X), edge};
    };
    if (!pIn) p = at(enter, dy > 0 ? low : high);
    if (!qIn) q = at(leave, dy > 0 ? high : low);
    return true;
}

} // namespace

std::vector<TPlotLine> ClipToBand(const std::vector<TPlotLine>& lines, long double low,
                                  long double high) {
    std::vector<TPlotLine> result;
    TPlotLine current;
    auto flush = [&] {
        if (current.size() >= 2) result.push_back(std::move(current));
        current.clear();
    };
    for (const TPlotLine& line : lines) {
        for (std::size_t i = 1; i < line.size(); ++i) {
            TPlotPoint p = line[i - 1], q = line[i];
            if (!ClipSegment(p, q, low, high)) {
                flush();
                continue;
            }
            if (current.empty() || current.back().X != p.X || current.back().Y != p.Y) {
                flush();
                current.push_back(p);
            }
            current.push_back(q);
            if (q.Y != line[i].Y) flush();
        }
        flush();
    }
    return result;
}

TPlotRange DefaultYRange(std::vector<long double> values) {
    if (values.empty()) return {-10, 10};
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const long double q1 = values[n / 4], q3 = values[(3 * n) / 4 < n ? (3 * n) / 4 : n - 1];
    const long double fence = 3 * (q3 - q1);
    long double low = std::max(values.front(), q1 - fence);
    long double high = std::min(values.back(), q3 + fence);
    const long double size = std::max(std::fabs(low), std::fabs(high));
    if (!(high - low > size * 1e-12L)) {
        const long double half = std::max(1.0L, size / 10);
        return {low - half, high + half};
    }
    const long double pad = (high - low) / 20;
    return {low - pad, high + pad};
}
