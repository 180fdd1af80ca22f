// Progress of a long request on a terminal's standard error, and Ctrl+C as its cancel.
#pragma once

#include <chrono>
#include <csignal>

#include "app/Calculator.h"
#include "engine/Progress.h"

class TTerminalProgress {
public:
    // With interruptCancels, Ctrl+C stops the request instead of the program while this lives.
    explicit TTerminalProgress(bool interruptCancels);
    ~TTerminalProgress();
    TTerminalProgress(const TTerminalProgress&) = delete;
    TTerminalProgress& operator=(const TTerminalProgress&) = delete;

    // The hook for the request; it shows a line once the request runs longer than a second.
    TProgressHook Hook();

private:
    bool Report(double fraction);

    bool ShowsLine;
    bool LineShown = false;
    bool Interrupts;
    struct sigaction PreviousAction {};
    std::chrono::steady_clock::time_point Start = std::chrono::steady_clock::now();
};

// Runs the request with a progress of its own.
TCalcOutcome RunWithProgress(TCalculator& calculator, const TCalcRequest& request,
                             bool interruptCancels);
