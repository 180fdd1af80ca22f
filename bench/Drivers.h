// Runs a workload's method over any f(x) with the references' arithmetic.
#pragma once

#include "bench/Engines.h"
#include "bench/Methods.h"

namespace Bench {

constexpr long double DiffStep = 1e-10L;
constexpr long double NewtonDelta = 1e-20L;
constexpr const char* NoConvergenceText = "Newtonverfahren konvergiert nicht!";

template <class F> TOutcome Drive(const TWorkload& workload, F& f) {
    TOutcome outcome;
    switch (workload.Method) {
    case TMethod::Integral:
        outcome.Value = PieceSum(f, SimpsonPiece<F>, workload.From, workload.To, workload.Width);
        break;
    case TMethod::Length:
        outcome.Value = PieceSum(f, ArcPiece<F>, workload.From, workload.To, workload.Width);
        break;
    case TMethod::Derivative:
        outcome.Value =
            NumDerivatives(f, workload.Order, workload.From, workload.To, workload.Width, DiffStep);
        break;
    case TMethod::Newton:
        if (!Newton(f, workload.From, workload.Order, NewtonDelta, DiffStep, outcome.Value))
            outcome.Message = NoConvergenceText;
        break;
    case TMethod::Parse:
        break;
    }
    return outcome;
}

} // namespace Bench
