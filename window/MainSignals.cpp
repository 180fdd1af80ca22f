#include <QSocketNotifier>
#include <unistd.h>

#include "platform/EndSignals.h"
#include "window/Main.h"

void TMainForm::EndOnSignals(const std::function<void(int)>& ended) {
    CatchEndSignals();
    if (EndSignalHandle() < 0) return;
    auto* notifier = new QSocketNotifier(EndSignalHandle(), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this, ended] {
        char bytes[16];
        while (read(EndSignalHandle(), bytes, sizeof bytes) > 0) {
        }
        if (EndingBySignal) return;
        EndingBySignal = true;
        // Closing saves; a message box would wait for a user who is logging out.
        close();
        if (ended) ended(PendingEndSignal());
    });
}
