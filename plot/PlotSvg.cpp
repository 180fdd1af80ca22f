#include "plot/PlotSvg.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "plot/PlotAxes.h"

namespace {

std::string Num(long double value) {
    char buffer[64];
    const double v = std::isfinite(value) ? static_cast<double>(value) : 0.0;
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 2);
    std::string text(buffer, result.ptr);
    if (text == "-0.00") text = "0.00";
    return text;
}

std::string Colour(std::uint32_t rgb) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%06X", static_cast<unsigned>(rgb & 0xFFFFFF));
    return buffer;
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default:
            // Control characters have no place in XML text.
            if (static_cast<unsigned char>(c) >= 0x20) out += c;
        }
    }
    return out;
}

class TSvgWriter {
public:
    explicit TSvgWriter(const TPlotScene& scene) : Scene(scene) {}

    long double Px(long double x) const {
        return PlotMargins::Left + (x - Scene.View.X.Min) / Scene.View.X.Span() * Scene.View.WidthPx;
    }
    long double Py(long double y) const {
        return PlotMargins::Top + (Scene.View.Y.Max - y) / Scene.View.Y.Span() * Scene.View.HeightPx;
    }
    std::string Points(const TPlotLine& line) const {
        std::string text;
        for (const TPlotPoint& p : line) {
            if (!text.empty()) text += ' ';
            text += Num(Px(p.X)) + ',' + Num(Py(p.Y));
        }
        return text;
    }
    void Lines(const std::vector<TPlotLine>& lines, const std::string& style) {
        for (const TPlotLine& line : lines)
            Out += "<polyline clip-path=\"url(#plot)\" fill=\"none\" stroke-linecap=\"round\" stroke-linejoin=\"round\" " + style + " points=\"" +
                   Points(line) + "\"/>\n";
    }

    const TPlotScene& Scene;
    std::string Out;
};

} // namespace

std::string PlotSvg(const TPlotScene& scene) {
    TSvgWriter w(scene);
    const TPlotView& v = scene.View;
    const int width = v.WidthPx + PlotMargins::Left + PlotMargins::Right;
    const int height = v.HeightPx + PlotMargins::Top + PlotMargins::Bottom;
    std::string& out = w.Out;
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(width) +
           "\" height=\"" + std::to_string(height) + "\" viewBox=\"0 0 " + std::to_string(width) +
           ' ' + std::to_string(height) + "\" font-family=\"sans-serif\" font-size=\"12\">\n";
    out += "<title>" + Escaped(scene.Title) + "</title>\n";
    out += "<defs><clipPath id=\"plot\"><rect x=\"" + std::to_string(PlotMargins::Left) +
           "\" y=\"" + std::to_string(PlotMargins::Top) + "\" width=\"" +
           std::to_string(v.WidthPx) + "\" height=\"" + std::to_string(v.HeightPx) +
           "\"/></clipPath></defs>\n";
    out += "<rect width=\"100%\" height=\"100%\" fill=\"#FFFFFF\"/>\n";

    const int xCount = std::max(2, v.WidthPx / 90), yCount = std::max(2, v.HeightPx / 60);
    const std::vector<long double> xTicks = AxisTicks(v.X, xCount), yTicks = AxisTicks(v.Y, yCount);
    const long double xStep = xTicks.size() > 1 ? xTicks[1] - xTicks[0] : v.X.Span();
    const long double yStep = yTicks.size() > 1 ? yTicks[1] - yTicks[0] : v.Y.Span();
    const std::string top = Num(PlotMargins::Top), bottom = Num(PlotMargins::Top + v.HeightPx);
    const std::string left = Num(PlotMargins::Left), right = Num(PlotMargins::Left + v.WidthPx);
    for (long double t : xTicks) {
        const std::string x = Num(w.Px(t));
        out += "<line x1=\"" + x + "\" y1=\"" + top + "\" x2=\"" + x + "\" y2=\"" + bottom +
               "\" stroke=\"#E0E0E0\"/>\n";
        out += "<text x=\"" + x + "\" y=\"" + Num(PlotMargins::Top + v.HeightPx + 18) +
               "\" text-anchor=\"middle\">" + Escaped(TickText(t, xStep)) + "</text>\n";
    }
    for (long double t : yTicks) {
        const std::string y = Num(w.Py(t));
        out += "<line x1=\"" + left + "\" y1=\"" + y + "\" x2=\"" + right + "\" y2=\"" + y +
               "\" stroke=\"#E0E0E0\"/>\n";
        out += "<text x=\"" + Num(PlotMargins::Left - 6) + "\" y=\"" + Num(w.Py(t) + 4) +
               "\" text-anchor=\"end\">" + Escaped(TickText(t, yStep)) + "</text>\n";
    }
    if (v.Y.Min <= 0 && v.Y.Max >= 0)
        out += "<line x1=\"" + left + "\" y1=\"" + Num(w.Py(0)) + "\" x2=\"" + right + "\" y2=\"" +
               Num(w.Py(0)) + "\" stroke=\"#404040\"/>\n";
    if (v.X.Min <= 0 && v.X.Max >= 0)
        out += "<line x1=\"" + Num(w.Px(0)) + "\" y1=\"" + top + "\" x2=\"" + Num(w.Px(0)) +
               "\" y2=\"" + bottom + "\" stroke=\"#404040\"/>\n";
    out += "<rect x=\"" + left + "\" y=\"" + top + "\" width=\"" + std::to_string(v.WidthPx) +
           "\" height=\"" + std::to_string(v.HeightPx) + "\" fill=\"none\" stroke=\"#808080\"/>\n";

    for (const TPlotLine& area : scene.Area)
        out += "<polygon clip-path=\"url(#plot)\" fill=\"" + Colour(PlotColours::Area) +
               "\" fill-opacity=\"0.4\" stroke=\"none\" points=\"" + w.Points(area) + "\"/>\n";
    w.Lines(scene.Second, "stroke=\"" + Colour(PlotColours::Second) +
                              "\" stroke-width=\"2\" stroke-dasharray=\"8 4\"");
    w.Lines(scene.Curve, "stroke=\"" + Colour(PlotColours::Curve) + "\" stroke-width=\"2\"");
    w.Lines(scene.Arc, "stroke=\"" + Colour(PlotColours::Arc) + "\" stroke-width=\"5\"");
    w.Lines(scene.Guides, "stroke=\"" + Colour(PlotColours::Guide) +
                              "\" stroke-width=\"1.5\" stroke-dasharray=\"5 3\"");
    for (const TPlotMark& mark : scene.Marks) {
        if (mark.At.X < v.X.Min || mark.At.X > v.X.Max || mark.At.Y < v.Y.Min || mark.At.Y > v.Y.Max)
            continue;
        const std::string x = Num(w.Px(mark.At.X)), y = Num(w.Py(mark.At.Y));
        out += "<circle cx=\"" + x + "\" cy=\"" + y + "\" r=\"4\" fill=\"#000000\"/>\n";
        if (!mark.Text.empty())
            out += "<text x=\"" + Num(w.Px(mark.At.X) + 7) + "\" y=\"" + Num(w.Py(mark.At.Y) - 7) +
                   "\">" + Escaped(mark.Text) + "</text>\n";
    }
    out += "<text x=\"" + left + "\" y=\"16\" fill=\"" + Colour(PlotColours::Curve) + "\">" +
           Escaped(scene.Title) + "</text>\n";
    if (!scene.SecondTitle.empty())
        out += "<text x=\"" + right + "\" y=\"16\" text-anchor=\"end\" fill=\"" +
               Colour(PlotColours::Second) + "\">" + Escaped(scene.SecondTitle) + "</text>\n";
    out += "<text x=\"" + left + "\" y=\"32\">" + Escaped(scene.Caption) + "</text>\n";
    out += "</svg>\n";
    return out;
}
