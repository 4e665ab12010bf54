#include "diag/stop_request.h"

#include <csignal>

namespace koru::diag {
namespace {

// A signal handler can only leave a flag behind: the run reads it between rows and stages.
volatile std::sig_atomic_t g_stopSignal = 0;

extern "C" void onStopSignal(int signal) { g_stopSignal = signal; }

}  // namespace

void installStopHandlers() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;  // the second signal is not caught
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

void requestStop(int signal) { g_stopSignal = signal; }

int stopRequested() { return g_stopSignal; }

void clearStopRequest() { g_stopSignal = 0; }

}  // namespace koru::diag
