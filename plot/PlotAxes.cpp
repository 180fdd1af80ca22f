#include "plot/PlotAxes.h"

#include <cmath>

#include "platform/Locale.h"

namespace {

long double TickStep(long double span, int count) {
    const long double raw = span / std::max(1, count);
    const long double power = std::pow(10.0L, std::floor(std::log10(raw)));
    for (long double factor : {1.0L, 2.0L, 5.0L})
        if (factor * power >= raw) return factor * power;
    return 10 * power;
}

} // namespace

std::vector<long double> AxisTicks(TPlotRange range, int count) {
    std::vector<long double> ticks;
    const long double span = range.Span();
    if (!(span > 0) || !std::isfinite(span)) return ticks;
    const long double step = TickStep(span, count);
    const long double first = std::ceil(range.Min / step);
    // Far from 0 a step may vanish against the values; a handful of ticks is enough then.
    for (long double k = first; k * step <= range.Max && ticks.size() < 100; k += 1) {
        const long double v = k * step;
        ticks.push_back(std::fabs(v) < step * 1e-9L ? 0 : v);
    }
    return ticks;
}

std::string TickText(long double value, long double step) {
    if (value == 0) return "0";
    const long double magnitude = std::max(std::fabs(value), step);
    if (magnitude >= 1e7L || step < 1e-5L) return FloatToStr(value);
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9L)));
    return FloatToStrFixed(value, 15, decimals);
}
