// Times the workloads with the engine, muparser and the hand-written functions, alternating
// in one process, and checks the engine's results and allocations.
//
//   nimbrel-bench [--reps N] [W1 W2 ...]      the table (default: 5 rounds, every workload,
//                                             then the goals and the kernels' times)
//   nimbrel-bench --kernels [--reps N]        ns per call of Nimbrel's and the C library's
//                                             kernels (default: 3 rounds)
//   nimbrel-bench --run ENGINE WORKLOAD       one run, printing its result: ENGINE is nimbrel,
//                                             hand or muparser (reference programs for timing
//                                             whole processes)
//   nimbrel-bench --expressions               the parser workload's expressions, one a line
//   nimbrel-bench --check                     shortened workloads, untimed: the engine agrees
//                                             with the hand-written code and allocates nothing
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench/Engines.h"
#include "bench/KernelBench.h"
#include "bench/PlotBench.h"

namespace {

using namespace Bench;

using TRunner = std::function<TOutcome(const TWorkload&)>;

struct TEngine {
    const char* Name;
    TRunner Run;
};

const std::vector<TEngine>& Engines() {
    static const std::vector<TEngine> list = {
        {"nimbrel", [](const TWorkload& w) { return RunEngine(w, false); }},
        {"hand", RunHand},
        {"muparser", RunMuParser},
    };
    return list;
}

const TWorkload* FindWorkload(const std::string& name) {
    for (const TWorkload& workload : Workloads())
        if (name == workload.Name) return &workload;
    return nullptr;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 != 0 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string ResultText(const TOutcome& outcome) {
    if (!outcome.Message.empty()) return outcome.Message;
    char text[64];
    std::snprintf(text, sizeof text, "%.17Lg", outcome.Value);
    return text;
}

// Within the relative tolerance (12 significant digits by default), or the same message.
bool Agree(const TOutcome& a, const TOutcome& b, long double tolerance = 5e-13L) {
    if (a.Message != b.Message) return false;
    if (!a.Message.empty()) return true;
    const long double scale = std::max(std::fabs(a.Value), std::fabs(b.Value));
    return std::fabs(a.Value - b.Value) <= tolerance * scale;
}

// The significant digits a relative tolerance stands for.
int Digits(long double tolerance) {
    return static_cast<int>(std::lround(-std::log10(2 * tolerance)));
}

struct TTimes {
    std::vector<double> Seconds[3];
    std::vector<double> HandRatios;
    std::vector<double> MuRatios;
};

// The median nimbrel/muparser ratio of each workload timed, for the goals.
struct TMuRatio {
    std::string Workload;
    double Ratio;
};

// One round runs all three engines; the order rotates from round to round so that none is
// always first after a pause.
TTimes TimeWorkload(const TWorkload& workload, int rounds, TOutcome& engineOutcome) {
    TTimes times;
    const auto& engines = Engines();
    for (int round = 0; round < rounds; ++round) {
        double seconds[3];
        for (int k = 0; k < 3; ++k) {
            const int e = (round + k) % 3;
            const auto start = std::chrono::steady_clock::now();
            const TOutcome outcome = engines[e].Run(workload);
            const auto stop = std::chrono::steady_clock::now();
            seconds[e] = std::chrono::duration<double>(stop - start).count();
            times.Seconds[e].push_back(seconds[e]);
            if (e == 0) engineOutcome = outcome;
        }
        times.HandRatios.push_back(seconds[0] / seconds[1]);
        times.MuRatios.push_back(seconds[0] / seconds[2]);
    }
    return times;
}

bool Report(const TWorkload& workload, int rounds, std::vector<TMuRatio>& muRatios) {
    // An untimed pass counts the engine's evaluations and their allocations and warms up.
    const TOutcome counted = RunEngine(workload, true);
    const TOutcome hand = RunHand(workload);
    const TOutcome mu = RunMuParser(workload);
    TOutcome engine;
    const TTimes times = TimeWorkload(workload, rounds, engine);

    const bool parse = workload.Method == TMethod::Parse;
    const bool agree = Agree(engine, hand, workload.Agreement) && Agree(engine, counted);
    const bool sameCount = parse || counted.Evaluations == hand.Evaluations;
    const bool noAllocations =
        parse || (counted.Allocations == 0 && engine.RunAllocations <= MaxRunAllocations);
    const double engineSeconds = Median(times.Seconds[0]);
    const auto [handLow, handHigh] =
        std::minmax_element(times.HandRatios.begin(), times.HandRatios.end());
    const auto [muLow, muHigh] = std::minmax_element(times.MuRatios.begin(), times.MuRatios.end());
    const double muRatio = Median(times.MuRatios);
    muRatios.push_back({workload.Name, muRatio});

    std::printf("%s  %s: %s\n", workload.Name, workload.Title,
                parse ? "kurze Ausdruecke" : workload.Text);
    std::printf("    nimbrel/muparser %.3f (Runden %.3f .. %.3f)\n", muRatio, *muLow, *muHigh);
    std::printf("    Zeit (Median)   nimbrel %.3f s   hand %.3f s   muparser %.3f s\n",
                engineSeconds, Median(times.Seconds[1]), Median(times.Seconds[2]));
    std::printf("    nimbrel/hand    %.3f (Runden %.3f .. %.3f; hand rechnet mit den Kernen der "
                "C-Bibliothek)\n",
                Median(times.HandRatios), *handLow, *handHigh);
    if (parse) {
        std::printf("    %.0f Ausdruecke/s, %.2f Allokationen je Ausdruck (Lesen)\n",
                    static_cast<double>(counted.Evaluations) / engineSeconds,
                    static_cast<double>(counted.Allocations) /
                        static_cast<double>(std::max<std::int64_t>(counted.Evaluations, 1)));
    } else {
        std::printf("    %lld Auswertungen (hand %lld), %.1f ns je Auswertung, Allokationen "
                    "in Auswertungen: %lld, im ganzen direkten Lauf: %lld\n",
                    static_cast<long long>(counted.Evaluations),
                    static_cast<long long>(hand.Evaluations),
                    engineSeconds * 1e9 / static_cast<double>(counted.Evaluations),
                    static_cast<long long>(counted.Allocations),
                    static_cast<long long>(engine.RunAllocations));
    }
    std::printf("    Ergebnis nimbrel %s   hand %s   muparser %s%s\n", ResultText(engine).c_str(),
                ResultText(hand).c_str(), ResultText(mu).c_str(),
                workload.Noise ? "   (Rundungsrauschen)" : "");
    std::printf("    %d Stellen gleich: %s%s%s\n\n", Digits(workload.Agreement),
                agree ? "ja" : "NEIN", sameCount ? "" : "   AUSWERTUNGSZAHL VERSCHIEDEN",
                noAllocations ? "" : "   ALLOKATIONEN");
    std::fflush(stdout);
    return agree && sameCount && noAllocations;
}

// The workload cut to a small fraction of its length.
TWorkload Shortened(TWorkload workload) {
    switch (workload.Method) {
    case TMethod::Integral:
    case TMethod::Length:
        workload.To = workload.From + 1;
        break;
    case TMethod::Derivative:
        workload.To = workload.From + 100 * workload.Width;
        break;
    case TMethod::Newton:
        workload.Order = 1000;
        break;
    case TMethod::Parse:
        break;
    }
    return workload;
}

int Check() {
    bool allPassed = true;
    for (const TWorkload& full : Workloads()) {
        const TWorkload workload = Shortened(full);
        const TOutcome engine = RunEngine(workload, true);
        const TOutcome hand = RunHand(workload);
        const bool parse = workload.Method == TMethod::Parse;
        const bool passed = Agree(engine, hand, workload.Agreement) &&
                            (parse || (engine.Evaluations == hand.Evaluations &&
                                       engine.Evaluations > 0 && engine.Allocations == 0));
        std::printf("%s %s: %s / %s, %lld / %lld Auswertungen, %lld Allokationen\n", workload.Name,
                    passed ? "ok" : "FEHLER", ResultText(engine).c_str(), ResultText(hand).c_str(),
                    static_cast<long long>(engine.Evaluations),
                    static_cast<long long>(hand.Evaluations),
                    static_cast<long long>(engine.Allocations));
        allPassed = allPassed && passed;
    }
    return allPassed ? 0 : 1;
}

// The speed goals against muparser: at most 2 on each of W1, W2, W4 and W5, their geometric
// mean at most 1.6, and at most 3 on W3.
void PrintGoals(const std::vector<TMuRatio>& muRatios) {
    static const struct {
        const char* Workload;
        double Limit;
        bool InMean;
    } Goals[] = {
        {"W1", 2, true}, {"W2", 2, true}, {"W4", 2, true}, {"W5", 2, true}, {"W3", 3, false}};
    std::string line;
    double logSum = 0;
    int inMean = 0;
    for (const auto& goal : Goals)
        for (const TMuRatio& measured : muRatios)
            if (measured.Workload == goal.Workload) {
                char text[64];
                std::snprintf(text, sizeof text, "   %s %.2f (<= %.0f %s)", goal.Workload,
                              measured.Ratio, goal.Limit,
                              measured.Ratio <= goal.Limit ? "ja" : "NEIN");
                line += text;
                if (goal.InMean) {
                    logSum += std::log(measured.Ratio);
                    ++inMean;
                }
            }
    if (line.empty()) return;
    std::printf("Ziele nimbrel/muparser:%s\n", line.c_str());
    if (inMean == 4) {
        const double mean = std::exp(logSum / inMean);
        std::printf("    geometrisches Mittel W1 W2 W4 W5: %.2f (<= 1.6 %s)\n", mean,
                    mean <= 1.6 ? "ja" : "NEIN");
    }
    std::printf("\n");
}

int RunOnce(const std::string& engineName, const std::string& workloadName) {
    const TWorkload* workload = FindWorkload(workloadName);
    for (const TEngine& engine : Engines())
        if (workload != nullptr && engineName == engine.Name) {
            std::printf("%s\n", ResultText(engine.Run(*workload)).c_str());
            return 0;
        }
    std::fprintf(stderr, "unbekannt: %s %s\n", engineName.c_str(), workloadName.c_str());
    return 64;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "--run") return RunOnce(args[1], args[2]);
    if (args.size() == 1 && args[0] == "--check") return Check();
    if (args.size() == 1 && args[0] == "--plot") return RunPlotBench(50);
    if (args.size() == 1 && args[0] == "--expressions") {
        for (const TShortExpression& expression : ParserExpressions())
            std::printf("%s\n", expression.Text.c_str());
        return 0;
    }
    int rounds = 0;
    bool kernelsOnly = false;
    std::vector<const TWorkload*> chosen;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--reps" && i + 1 < args.size()) {
            rounds = std::max(1, std::atoi(args[++i].c_str()));
        } else if (args[i] == "--kernels") {
            kernelsOnly = true;
        } else if (const TWorkload* workload = FindWorkload(args[i])) {
            chosen.push_back(workload);
        } else {
            std::fprintf(stderr, "Aufruf: nimbrel-bench [--reps N] [W1 ... W6] | --kernels "
                                 "[--reps N] | --run nimbrel|hand|muparser W1..W6 | "
                                 "--expressions | --check | --plot\n");
            return 64;
        }
    }
    if (kernelsOnly) {
        PrintKernelTimes(rounds > 0 ? rounds : 3);
        return 0;
    }
    // Without named workloads: all of them, then the kernels' times.
    const bool everything = chosen.empty();
    if (everything)
        for (const TWorkload& workload : Workloads())
            chosen.push_back(&workload);
    bool allPassed = true;
    std::vector<TMuRatio> muRatios;
    for (const TWorkload* workload : chosen)
        allPassed = Report(*workload, rounds > 0 ? rounds : 5, muRatios) && allPassed;
    PrintGoals(muRatios);
    if (everything) PrintKernelTimes(3);
    std::printf("%s\n", allPassed ? "Alle Pruefungen bestanden." : "PRUEFUNG FEHLGESCHLAGEN.");
    return allPassed ? 0 : 1;
}
