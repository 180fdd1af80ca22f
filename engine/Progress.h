// Long calculations tell how far they are and can be stopped, without threads: their loops
// tick a ticker, which now and then hands the fraction done to the hook of the running
// request; the hook answers whether to go on.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "platform/Exceptions.h"

inline constexpr const char* CancelledText = "Berechnung abgebrochen";

class ECalculationCancelled : public Exception {
public:
    ECalculationCancelled() : Exception(CancelledText) {}
};

// The fraction done (0 to 1, or below 0 when unknown); false asks to stop.
using TProgressHook = std::function<bool(double fraction)>;

// Installs the hook for this thread while it lives, and forgets an earlier stop.
class TProgressScope {
public:
    explicit TProgressScope(TProgressHook hook);
    ~TProgressScope();
    TProgressScope(const TProgressScope&) = delete;
    TProgressScope& operator=(const TProgressScope&) = delete;

private:
    TProgressHook Previous;
};

// Whether the hook asked to stop since its scope began; false outside a scope.
bool ProgressCancelled();

// One per loop. Tick costs a decrement; about every IntervalMs the hook is asked. Once it asked
// to stop, every later check raises ECalculationCancelled at once.
class TProgressTicker {
public:
    static constexpr int IntervalMs = 50;

    // Both return whether they checked, and so may have run the hook's code.
    bool Tick(double fraction) {
        if (--Countdown > 0) [[likely]]
            return false;
        Check(fraction);
        return true;
    }
    // The fraction done / total, worked out only when the hook is asked.
    bool Tick(std::int64_t done, std::int64_t total) {
        if (--Countdown > 0) [[likely]]
            return false;
        Check(static_cast<double>(done) / static_cast<double>(total));
        return true;
    }
    // How many of the next ticks pass without a check.
    std::int32_t Quiet() const { return Countdown - 1; }
    // Asks the hook now when the interval has passed, whatever the countdown says.
    void Check(double fraction);

private:
    std::int32_t Countdown = 1;
    std::int32_t Stride = 1;
    std::chrono::steady_clock::time_point LastCheck = std::chrono::steady_clock::now();
};
