#include "engine/Progress.h"

#include <algorithm>
#include <utility>

#include "platform/FpuFaults.h"

namespace {

using TClock = std::chrono::steady_clock;

struct TProgressState {
    TProgressHook Hook;
    bool Cancelled = false;
    TClock::time_point LastReport;
};

thread_local TProgressState State;

} // namespace

TProgressScope::TProgressScope(TProgressHook hook) : Previous(std::move(State.Hook)) {
    State.Hook = std::move(hook);
    State.Cancelled = false;
    State.LastReport = TClock::now();
}

TProgressScope::~TProgressScope() {
    State.Hook = std::move(Previous);
    State.Cancelled = false;
}

bool ProgressCancelled() {
    return State.Cancelled;
}

void TProgressTicker::Check(double fraction) {
    if (State.Cancelled) throw ECalculationCancelled();
    if (!State.Hook) {
        // Nobody listens: tick on without looking at the clock.
        Countdown = 1 << 30;
        return;
    }
    const TClock::time_point now = TClock::now();
    // Aim at a few clock readings per interval, however long one tick takes.
    const auto sinceCheck = now - LastCheck;
    if (sinceCheck < std::chrono::milliseconds(IntervalMs / 8))
        Stride = std::min(Stride * 2, 1 << 20);
    else if (sinceCheck > std::chrono::milliseconds(IntervalMs / 2))
        Stride = std::max(Stride / 2, 1);
    LastCheck = now;
    Countdown = Stride;
    if (now - State.LastReport < std::chrono::milliseconds(IntervalMs)) return;
    State.LastReport = now;
    // The hook's own arithmetic (the window's events) must not leave flags that the calculation
    // would take for its faults.
    const TFpuFlagState flags = FpuSaveFlags();
    const bool goOn = State.Hook(fraction);
    FpuRestoreFlags(flags);
    if (!goOn) {
        State.Cancelled = true;
        throw ECalculationCancelled();
    }
}
