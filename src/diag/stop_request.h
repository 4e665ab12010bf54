#pragma once

namespace koru::diag {

// SIGTERM or SIGINT during an unattended run asks the run to stop where it can still switch the
// product's triggers on again; a second such signal ends the process at once.
void installStopHandlers();

// What the handlers do; a test asks for a stop the same way.
void requestStop(int signal);

// The signal that asked for a stop; 0 when none did.
int stopRequested();

void clearStopRequest();

}  // namespace koru::diag
