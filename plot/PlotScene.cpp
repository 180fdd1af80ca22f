#include "plot/PlotScene.h"

#include <cmath>
#include <memory>
#include <utility>

#include "calculus/MathDiff.h"
#include "calculus/MathIntg.h"
#include "functions/MthTrFnc.h"
#include "platform/Locale.h"

namespace {

constexpr int RangeSamples = 401;
// Newton's steps drawn; the iteration goes on for the last iterate.
constexpr int ShownSteps = 5;

bool Number(const std::string& text, long double& value) {
    return TryStrToFloat(text, value) && std::isfinite(value);
}

TPlotRange Ordered(long double a, long double b) {
    return a <= b ? TPlotRange{a, b} : TPlotRange{b, a};
}

TPlotRange Widened(TPlotRange r, long double by) {
    return {r.Min - by, r.Max + by};
}

// A range the picture can resolve: far from 0 a few units vanish against the values, so the
// range then grows with them.
TPlotRange Resolvable(TPlotRange r) {
    if (!std::isfinite(r.Min) || !std::isfinite(r.Max) || !std::isfinite(r.Span()))
        return {-10, 10};
    const long double size = std::max(std::fabs(r.Min), std::fabs(r.Max));
    if (r.Span() > size * 1e-12L) return r;
    const long double centre = r.Min / 2 + r.Max / 2;
    const long double half = std::max(1.0L, std::fabs(centre) * 1e-6L);
    return {centre - half, centre + half};
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line;
    return text;
}

// The derivative or antiderivative as a function object that shares the main store.
template <typename TCreator, typename TConfigure>
std::unique_ptr<TKvMathTreeFunction> SymbolicResult(TKvMathTreeFunction& main,
                                                    const std::string& varField,
                                                    TConfigure configure) {
    const std::int32_t index = main.IndexOfVar(varField);
    if (index < 0 || main.GetTree() == nullptr) return nullptr;
    auto target = std::make_unique<TKvMathTreeFunction>();
    target->BorrowVarDepot(main.VarDepot);
    auto owned = std::make_unique<TCreator>(target.get());
    TCreator& creator = *owned;
    target->SetCreator(owned.release());
    creator.SetSource(&main);
    configure(creator);
    creator.VarName = main.GetVarName(index);
    creator.Execute();
    if (!creator.ErrorText.empty() || target->GetTree() == nullptr) return nullptr;
    target->Simplify();
    return target;
}

void AddValues(std::vector<long double>& to, const std::vector<long double>& values) {
    to.insert(to.end(), values.begin(), values.end());
}

std::vector<TPlotLine> Transposed(std::vector<TPlotLine> lines) {
    for (TPlotLine& line : lines)
        for (TPlotPoint& p : line) std::swap(p.X, p.Y);
    return lines;
}

std::vector<TPlotLine> ClipToBox(const std::vector<TPlotLine>& lines, TPlotRange x, TPlotRange y) {
    return Transposed(ClipToBand(Transposed(ClipToBand(lines, y.Min, y.Max)), x.Min, x.Max));
}

TPlotLine Line(TPlotPoint a, TPlotPoint b) {
    return {a, b};
}

// The pieces of the curve over a..b, sampled as finely as the whole view.
std::vector<TPlotLine> Stretch(TKvPlotSampler& sampler, const TPlotView& view, TPlotRange x) {
    // Only the part in view: after a zoom the interval may reach far beyond it.
    x = {std::max(x.Min, view.X.Min), std::min(x.Max, view.X.Max)};
    if (!(x.Max > x.Min)) return {};
    TPlotView part = view;
    part.X = x;
    part.WidthPx = static_cast<int>(std::ceil(view.WidthPx * x.Span() / view.X.Span()));
    if (part.WidthPx < 1) part.WidthPx = 1;
    return sampler.Sample(part);
}

} // namespace

namespace {
TPlotRange FieldXRange(const TCalcRequest& request);
} // namespace

std::string PlotVariable(const TCalcRequest& request) {
    switch (request.Mode) {
    case cmNewton:
        return request.IterVar;
    case cmDerivative:
    case cmAntiderivative:
        return request.DiffVar;
    case cmNumDerivative:
        return request.DiffNumVar;
    case cmNumIntegral:
        return request.IntgNumVar;
    case cmCurveLength:
        return request.LenNumVar;
    default:
        return "x";
    }
}

TPlotRange DefaultXRange(const TCalcRequest& request) {
    return Resolvable(FieldXRange(request));
}

namespace {
TPlotRange FieldXRange(const TCalcRequest& request) {
    long double a, b;
    switch (request.Mode) {
    case cmNumIntegral:
    case cmCurveLength: {
        const bool integral = request.Mode == cmNumIntegral;
        if (Number(integral ? request.IntgNumFromText : request.LenNumFromText, a) &&
            Number(integral ? request.IntgNumToText : request.LenNumToText, b) && a != b) {
            const TPlotRange r = Ordered(a, b);
            return Widened(r, r.Span() / 8);
        }
        break;
    }
    case cmNewton:
        if (Number(request.StartText, a)) return {a - 5, a + 5};
        break;
    case cmNumDerivative:
        if (Number(request.DiffNumXText, a)) return {a - 5, a + 5};
        break;
    default:
        break;
    }
    return {-10, 10};
}
} // namespace

TPlotScene BuildPlotScene(TCalculator& calculator, const TCalcRequest& request,
                          const TCalcOutcome* outcome, const std::optional<TPlotRange>& xRange,
                          const std::optional<TPlotRange>& yRange, int widthPx, int heightPx) {
    TKvMathTreeFunction& main = calculator.MainFunction();
    TPlotScene scene;
    scene.VarName = PlotVariable(request);
    scene.Title = Joined(request.InputLines);
    scene.View.WidthPx = widthPx;
    scene.View.HeightPx = heightPx;
    scene.View.X = xRange ? *xRange : DefaultXRange(request);
    const bool resultOk = outcome != nullptr && outcome->ResultText && !outcome->ResultIsError;
    const std::string resultText = outcome && outcome->ResultText ? *outcome->ResultText : "";

    TKvPlotSampler sampler(&main, scene.VarName);
    // Points the default y-range must show besides the curve.
    std::vector<long double> extraY;

    std::unique_ptr<TKvMathTreeFunction> second;
    if (resultOk && request.Mode == cmDerivative) {
        second = SymbolicResult<TKvMathDifferencer>(main, request.DiffVar, [&](auto& creator) {
            creator.SetOrder(request.DiffCount);
        });
    } else if (resultOk && request.Mode == cmAntiderivative) {
        second = SymbolicResult<TKvMathIntegrator>(main, request.DiffVar, [](auto&) {});
    }
    std::unique_ptr<TKvPlotSampler> secondSampler;
    if (second) {
        secondSampler = std::make_unique<TKvPlotSampler>(second.get(), scene.VarName);
        scene.SecondTitle = resultText;
    }

    // Newton's iterates come first: the default x-range follows them to the zero.
    std::vector<TPlotPoint> iterates;
    long double zero = 0;
    bool zeroKnown = false;
    if (request.Mode == cmNewton) {
        long double x;
        long double y;
        if (Number(request.StartText, x) && sampler.Evaluate(x, y)) {
            iterates.push_back({x, y});
            const std::int32_t limit = request.MaxIter > 0 && request.MaxIter < 1000
                                           ? request.MaxIter
                                           : 1000;
            for (std::int32_t i = 0; i < limit; ++i) {
                const long double h = NumericRules::ScaledStep(1e-10L, x);
                long double y2;
                if (!sampler.Evaluate(x + h, y2)) break;
                const long double d = (y2 - y) / h;
                if (d == 0 || !std::isfinite(d)) break;
                const long double next = x - y / d;
                if (!std::isfinite(next) || !sampler.Evaluate(next, y)) break;
                const bool settled = next == x;
                x = next;
                iterates.push_back({x, y});
                if (settled) break;
            }
        }
        if (resultOk && Number(resultText, zero)) zeroKnown = true;
        if (!xRange && !iterates.empty()) {
            TPlotRange r{iterates[0].X, iterates[0].X};
            const std::size_t shown = std::min<std::size_t>(iterates.size(), ShownSteps + 1);
            auto include = [&](long double v) {
                // Iterates that fly far off are not followed.
                if (std::fabs(v - iterates[0].X) > 1000) return;
                r.Min = std::min(r.Min, v);
                r.Max = std::max(r.Max, v);
            };
            for (std::size_t i = 0; i < shown; ++i) include(iterates[i].X);
            if (zeroKnown) include(zero);
            scene.View.X = Resolvable(Widened(r, std::max(1.0L, r.Span() / 3)));
        }
        extraY.push_back(0);
    }

    long double point = 0, pointY = 0, slope = 0;
    bool tangent = false;
    if (request.Mode == cmNumDerivative && Number(request.DiffNumXText, point) &&
        sampler.Evaluate(point, pointY)) {
        // The slope from the method itself, so the tangent matches a first-order result.
        TKvMathDiffNumFunction method(&main);
        method.BorrowedFunction = true;
        try {
            method.SetOrder(1);
            method.SetRunningVariable(scene.VarName);
            main.SetVarValue(scene.VarName, point);
            method.Calculate();
            if (method.GetErrorText().empty() && std::isfinite(method.Result)) {
                slope = method.Result;
                tangent = true;
            }
        } catch (...) {
            tangent = false;
        }
        FpuClearFaults();
        extraY.push_back(pointY);
    }

    long double from = 0, to = 0;
    const bool interval =
        (request.Mode == cmNumIntegral &&
         Number(request.IntgNumFromText, from) && Number(request.IntgNumToText, to)) ||
        (request.Mode == cmCurveLength && Number(request.LenNumFromText, from) &&
         Number(request.LenNumToText, to));
    if (request.Mode == cmNumIntegral) extraY.push_back(0);

    if (yRange) {
        scene.View.Y = *yRange;
    } else {
        std::vector<long double> values = sampler.EvenValues(scene.View.X, RangeSamples);
        if (secondSampler) AddValues(values, secondSampler->EvenValues(scene.View.X, RangeSamples));
        TPlotRange y = DefaultYRange(values);
        for (long double v : extraY) {
            y.Min = std::min(y.Min, v - y.Span() / 20);
            y.Max = std::max(y.Max, v + y.Span() / 20);
        }
        scene.View.Y = y;
    }

    scene.Curve = sampler.Sample(scene.View);
    if (secondSampler) scene.Second = secondSampler->Sample(scene.View);

    switch (request.Mode) {
    case cmNumIntegral:
        if (interval && from != to) {
            for (TPlotLine piece : Stretch(sampler, scene.View, Ordered(from, to))) {
                const long double first = piece.front().X, last = piece.back().X;
                piece.push_back({last, 0});
                piece.push_back({first, 0});
                scene.Area.push_back(std::move(piece));
            }
        }
        scene.Caption = "Integral von " + request.IntgNumFromText + " bis " +
                        request.IntgNumToText + ": " + resultText;
        break;
    case cmCurveLength:
        if (interval && from != to) {
            scene.Arc = Stretch(sampler, scene.View, Ordered(from, to));
            for (long double x : {from, to}) {
                long double y;
                if (sampler.Evaluate(x, y)) scene.Marks.push_back({{x, y}, ""});
            }
        }
        scene.Caption = "Kurvenlänge von " + request.LenNumFromText + " bis " +
                        request.LenNumToText + ": " + resultText;
        break;
    case cmNewton: {
        const std::size_t shown = std::min<std::size_t>(iterates.size(), ShownSteps + 1);
        for (std::size_t i = 1; i < shown; ++i) {
            scene.Guides.push_back(Line(iterates[i - 1], {iterates[i].X, 0}));
            scene.Guides.push_back(Line({iterates[i].X, 0}, iterates[i]));
        }
        long double y;
        if (zeroKnown && sampler.Evaluate(zero, y)) {
            scene.Marks.push_back({{zero, y}, "Nullstelle " + scene.VarName + " = " + resultText});
        } else if (!iterates.empty()) {
            scene.Marks.push_back({iterates.back(), "letzte Näherung " + scene.VarName + " = " +
                                                        FloatToStr(iterates.back().X)});
        }
        scene.Caption = "Newton ab " + scene.VarName + " = " + request.StartText + ": " +
                        resultText;
        break;
    }
    case cmNumDerivative:
        if (tangent) {
            const TPlotRange x = scene.View.X;
            scene.Guides = ClipToBand(
                {Line({x.Min, pointY + slope * (x.Min - point)},
                      {x.Max, pointY + slope * (x.Max - point)})},
                scene.View.Y.Min - scene.View.Y.Span() / 2, scene.View.Y.Max + scene.View.Y.Span() / 2);
            scene.Marks.push_back({{point, pointY}, "Steigung " + FloatToStr(slope)});
        }
        scene.Caption = std::to_string(request.DiffNumCount) + ". Ableitung bei " +
                        scene.VarName + " = " + request.DiffNumXText + ": " + resultText;
        break;
    case cmDerivative:
        scene.Caption = std::to_string(request.DiffCount) + ". Ableitung: " + resultText;
        break;
    case cmAntiderivative:
        scene.Caption = "Stammfunktion: " + resultText;
        break;
    case cmSimplify:
        scene.Caption = "Vereinfacht: " + resultText;
        break;
    default:
        scene.Caption = resultText.empty() ? "" : "Wert: " + resultText;
        break;
    }
    // Newton's steps may fly far off: only what lies near the view is kept.
    const TPlotView& v = scene.View;
    scene.Guides = ClipToBox(scene.Guides, Widened(v.X, v.X.Span() / 2), Widened(v.Y, v.Y.Span() / 2));
    return scene;
}
