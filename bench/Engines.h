// The three ways of running a workload: the engine through its numeric methods, muparser and
// the hand-written function, both driven by the same method arithmetic.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/Workloads.h"

namespace Bench {

struct TOutcome {
    long double Value = 0;
    // Empty on success; the message of a method that found no value.
    std::string Message;
    // Evaluations of the expression, where the runner counts them.
    std::int64_t Evaluations = 0;
    // Allocations inside those evaluations (parsing included for the parser workload).
    std::int64_t Allocations = 0;
    // Allocations in the whole method run of an uncounted engine run, which evaluates directly:
    // a few for the run itself, none for its evaluations.
    std::int64_t RunAllocations = 0;
};

// More than this many allocations in one method run would mean that evaluations allocate.
constexpr std::int64_t MaxRunAllocations = 100;

// counted: the engine also counts its evaluations (slightly slower; for the checks only).
TOutcome RunEngine(const TWorkload& workload, bool counted);
TOutcome RunHand(const TWorkload& workload);
TOutcome RunMuParser(const TWorkload& workload);

// The parser workload's expressions, made once.
const std::vector<TShortExpression>& ParserExpressions();

} // namespace Bench
