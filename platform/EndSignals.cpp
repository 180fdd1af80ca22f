#include "platform/EndSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>

namespace {

volatile std::sig_atomic_t Pending = 0;
int Pipe[2] = {-1, -1};
constexpr int Signals[] = {SIGHUP, SIGTERM};

void OnEndSignal(int signal) {
    Pending = signal;
    if (Pipe[1] >= 0) {
        const char byte = 1;
        (void)!write(Pipe[1], &byte, 1); // a full pipe has woken its reader already
    }
}

} // namespace

void CatchEndSignals() {
    if (Pipe[0] < 0 && pipe2(Pipe, O_CLOEXEC | O_NONBLOCK) != 0) Pipe[0] = Pipe[1] = -1;
    struct sigaction action {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : Signals)
        sigaction(signal, &action, nullptr);
}

int PendingEndSignal() {
    return Pending;
}

int EndSignalHandle() {
    return Pipe[0];
}

void ReleaseEndSignals() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signal : Signals)
        sigaction(signal, &action, nullptr);
}
