// Tick marks, their labels and the colours every picture of a calculation shares.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plot/PlotSampler.h"

// Values of 1, 2 or 5 times a power of ten inside the range, about count of them.
std::vector<long double> AxisTicks(TPlotRange range, int count);
// The tick's label: rounded to the ticks' step, with the user's decimal separator.
std::string TickText(long double value, long double step);

// Colours as 0xRRGGBB, from a palette that colour-blind readers can tell apart, dark enough on
// light backgrounds and light enough on dark ones.
namespace PlotColours {
constexpr std::uint32_t Curve = 0x0072B2;     // blue
constexpr std::uint32_t DarkCurve = 0x56B4E9; // sky blue, for dark backgrounds
constexpr std::uint32_t Second = 0xCC79A7;    // reddish purple
constexpr std::uint32_t Area = 0xE69F00;      // orange
constexpr std::uint32_t Arc = 0xD55E00;       // vermilion
constexpr std::uint32_t Guide = 0x009E73;     // bluish green
} // namespace PlotColours
