#include "platform/process/QuitSignals.h"

#include <atomic>
#include <csignal>
#include <mutex>

namespace platform {

namespace {

volatile std::sig_atomic_t gQuitSignalled = 0;
volatile std::sig_atomic_t gSignalsReceived = 0;

struct Installed {
    std::mutex mutex;
    int count = 0;
    struct sigaction previousInt {};
    struct sigaction previousTerm {};
};

Installed& TheInstalled() {
    static Installed* const installed = new Installed;
    return *installed;
}

// The first signal asks for a quit; a second one ends the process at once,
// the signal's own way, for a program that cannot get to its quit (a loop
// that never comes back to the event pump).
void OnQuitSignal(int signalNumber) {
    if (gSignalsReceived) {
        std::signal(signalNumber, SIG_DFL);
        std::raise(signalNumber);
        return;
    }
    gSignalsReceived = 1;
    gQuitSignalled = 1;
}

} // namespace

void InstallQuitSignals() {
    Installed& installed = TheInstalled();
    std::lock_guard<std::mutex> lock(installed.mutex);
    if (installed.count++ > 0) {
        return;
    }
    gSignalsReceived = 0;
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &installed.previousInt);
    sigaction(SIGTERM, &action, &installed.previousTerm);
}

void UninstallQuitSignals() {
    Installed& installed = TheInstalled();
    std::lock_guard<std::mutex> lock(installed.mutex);
    if (installed.count == 0 || --installed.count > 0) {
        return;
    }
    sigaction(SIGINT, &installed.previousInt, nullptr);
    sigaction(SIGTERM, &installed.previousTerm, nullptr);
}

bool TakeQuitSignal() {
    if (!gQuitSignalled) {
        return false;
    }
    gQuitSignalled = 0;
    return true;
}

} // namespace platform
