#include "cli/TerminalProgress.h"

#include <cmath>
#include <cstdio>
#include <unistd.h>

#include "platform/EndSignals.h"

namespace {

volatile std::sig_atomic_t Interrupted = 0;

void OnInterrupt(int) {
    Interrupted = 1;
}

} // namespace

TTerminalProgress::TTerminalProgress(bool interruptCancels)
    : ShowsLine(isatty(STDERR_FILENO) != 0), Interrupts(interruptCancels) {
    Interrupted = 0;
    if (!Interrupts) return;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &PreviousAction);
}

TTerminalProgress::~TTerminalProgress() {
    if (Interrupts) sigaction(SIGINT, &PreviousAction, nullptr);
    if (LineShown) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }
}

TProgressHook TTerminalProgress::Hook() {
    return [this](double fraction) { return Report(fraction); };
}

bool TTerminalProgress::Report(double fraction) {
    if (Interrupted || PendingEndSignal()) return false;
    if (!ShowsLine || std::chrono::steady_clock::now() - Start < std::chrono::seconds(1))
        return true;
    LineShown = true;
    if (fraction >= 0)
        std::fprintf(stderr, "\rBerechnung läuft … %3d %%%s",
                     static_cast<int>(std::floor(fraction * 100)),
                     Interrupts ? " (Strg+C bricht ab)" : "");
    else
        std::fprintf(stderr, "\rBerechnung läuft …%s", Interrupts ? " (Strg+C bricht ab)" : "");
    std::fflush(stderr);
    return true;
}

TCalcOutcome RunWithProgress(TCalculator& calculator, const TCalcRequest& request,
                             bool interruptCancels) {
    TTerminalProgress progress(interruptCancels);
    calculator.ProgressHook = progress.Hook();
    // The hook refers to the progress, which ends here.
    struct TForgetHook {
        TCalculator& Calculator;
        ~TForgetHook() { Calculator.ProgressHook = nullptr; }
    } forget{calculator};
    return calculator.RunCalculation(request);
}
