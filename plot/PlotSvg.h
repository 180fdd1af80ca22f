// A picture of a calculation as an SVG document, drawn from the scene's polylines alone.
#pragma once

#include <string>

#include "plot/PlotScene.h"

// The picture is the scene's pixel size plus a margin for the labels.
std::string PlotSvg(const TPlotScene& scene);

// Margins around the drawing area, shared with the window so both pictures agree.
namespace PlotMargins {
constexpr int Left = 64;
constexpr int Right = 16;
constexpr int Top = 40;
constexpr int Bottom = 32;
} // namespace PlotMargins
