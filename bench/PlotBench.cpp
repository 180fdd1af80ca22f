// Time per redraw of the graph: the scene of a calculation sampled for a 720x480 view, as a
// zoom or pan rebuilds it, for a table of everyday and awkward expressions.
#include "bench/PlotBench.h"

#include <chrono>
#include <cstdio>
#include <string>

#include "app/Calculator.h"
#include "plot/PlotScene.h"

int RunPlotBench(int rounds) {
    struct TCase {
        const char* Text;
        TCalcMode Mode;
    };
    const TCase cases[] = {
        {"sin(x)", cmSimple},          {"x^3-2*x-5", cmNewton},
        {"sin(x)*exp(-x/10)", cmNumIntegral}, {"sqrt(x)*sin(x)", cmCurveLength},
        {"tan(x)", cmSimple},          {"1/x", cmSimple},
        {"ln(x)", cmSimple},           {"floor(x)", cmSimple},
        {"sin(1/x)", cmSimple},        {"rnd(x)", cmSimple},
        {"x^2/4-2", cmAntiderivative}, {"x^3/10-x", cmNumDerivative},
    };
    std::printf("%-20s %-8s %12s %12s\n", "Ausdruck", "Art", "ms/Bild", "Punkte");
    for (const TCase& c : cases) {
        TCalculator calculator;
        TCalcRequest request;
        request.Mode = c.Mode;
        request.InputLines.assign(1, std::string(c.Text));
        request.StartText = std::string(1, '3');
        const TCalcOutcome outcome = calculator.RunCalculation(request);
        // What a zoom does: the ranges are given, only the sampling runs again.
        const TPlotScene first =
            BuildPlotScene(calculator, request, &outcome, std::nullopt, std::nullopt, 720, 480);
        const auto start = std::chrono::steady_clock::now();
        std::size_t points = 0;
        for (int i = 0; i < rounds; ++i) {
            const TPlotScene scene = BuildPlotScene(calculator, request, &outcome, first.View.X,
                                                    first.View.Y, 720, 480);
            for (const TPlotLine& line : scene.Curve) points += line.size();
        }
        const double ms = std::chrono::duration<double, std::milli>(
                              std::chrono::steady_clock::now() - start)
                              .count() /
                          rounds;
        std::printf("%-20s %-8d %12.3f %12zu\n", c.Text, static_cast<int>(c.Mode), ms,
                    points / rounds);
    }
    return 0;
}
