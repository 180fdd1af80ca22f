// SIGHUP and SIGTERM (a closed terminal, a desktop logout) as a request to save and end,
// instead of ending at once and losing what was entered.
#pragma once

// Installs handlers that record the signal and wake EndSignalHandle(); system calls they
// interrupt return EINTR instead of being restarted.
void CatchEndSignals();
// The signal received since CatchEndSignals, else 0.
int PendingEndSignal();
// The read end of a pipe that receives a byte per signal, for an event loop to watch.
int EndSignalHandle();
// Back to the default actions; for a signal to end the program as usual once saved.
void ReleaseEndSignals();
