#include "cli/PromptKeys.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/EndSignals.h"

namespace {

volatile std::sig_atomic_t Interrupted = 0;

void OnInterrupt(int) {
    Interrupted = 1;
}

int ReadByte(int handle) {
    unsigned char byte;
    ssize_t count;
    while ((count = read(handle, &byte, 1)) < 0 && errno == EINTR) {
    }
    return count == 1 ? byte : EOF;
}

} // namespace

void CatchPromptInterrupt() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

bool TakePromptInterrupt() {
    const bool was = Interrupted != 0;
    Interrupted = 0;
    return was;
}

int ReadPromptKey(FILE* input) {
    const int handle = fileno(input);
    while (true) {
        // Checked before each wait, so a signal between two waits is not missed.
        if (Interrupted || PendingEndSignal()) return EOF;
        pollfd ready[2] = {{handle, POLLIN, 0}, {EndSignalHandle(), POLLIN, 0}};
        const int count = poll(ready, EndSignalHandle() >= 0 ? 2 : 1, -1);
        if (count < 0 && errno != EINTR) return EOF;
        if (count > 0 && ready[0].revents != 0) break;
    }
    const int lead = ReadByte(handle);
    if (lead < 0x80) return lead;
    const int trailing = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (trailing == 0) return 0xFFFD;
    int code = lead & (0x3F >> trailing);
    for (int i = 0; i < trailing; ++i) {
        const int next = ReadByte(handle);
        if (next == EOF || (next & 0xC0) != 0x80) return 0xFFFD;
        code = (code << 6) | (next & 0x3F);
    }
    return code;
}
