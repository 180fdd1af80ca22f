// What a picture of a calculation shows: the function over a range, and for each mode the
// calculation itself (the area, the arc, Newton's steps, the tangent, the symbolic result).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/Calculator.h"
#include "plot/PlotSampler.h"

struct TPlotMark {
    TPlotPoint At;
    std::string Text;
};

struct TPlotScene {
    TPlotView View;
    std::string VarName;
    // The input as typed, and the symbolic result when the mode has one.
    std::string Title;
    std::string SecondTitle;
    std::vector<TPlotLine> Curve;
    std::vector<TPlotLine> Second;
    // Closed outlines between the curve and the axis.
    std::vector<TPlotLine> Area;
    // The measured part of the curve.
    std::vector<TPlotLine> Arc;
    // Newton's tangents and drops, or the tangent at the point.
    std::vector<TPlotLine> Guides;
    std::vector<TPlotMark> Marks;
    // The mode's value in words, with the user's number format.
    std::string Caption;
};

// The running variable of the request's mode ("x" for the modes without one).
std::string PlotVariable(const TCalcRequest& request);
// The x-range the mode's fields suggest: around von..bis, the point or the start value.
TPlotRange DefaultXRange(const TCalcRequest& request);

// The scene for the calculator's main function after request ran and gave outcome (none when
// it ended with an exception). Without a view the ranges are chosen to fit; the pixel size
// sets how finely the curve is sampled. Variables and the random seed keep their values.
TPlotScene BuildPlotScene(TCalculator& calculator, const TCalcRequest& request,
                          const TCalcOutcome* outcome, const std::optional<TPlotRange>& xRange,
                          const std::optional<TPlotRange>& yRange, int widthPx, int heightPx);
