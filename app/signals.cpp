#include "app/signals.h"

#include <signal.h>

#include "platform/platform.h"

static volatile sig_atomic_t quitSignal = 0;

static void onQuitSignal(int) {
    quitSignal = 1;
    // The frame may be waiting for events: it must see this now.
    platformEndWait();
}

static void catchSignal(int number) {
    struct sigaction action = {};
    action.sa_handler = onQuitSignal;
    sigfillset(&action.sa_mask);
    // Reads and writes under way finish instead of failing with EINTR.
    action.sa_flags = SA_RESTART;
    sigaction(number, &action, nullptr);
}

void installQuitSignals() {
    catchSignal(SIGTERM);
    catchSignal(SIGINT);
    struct sigaction hangUp;
    if (sigaction(SIGHUP, nullptr, &hangUp) == 0 && hangUp.sa_handler == SIG_IGN) return;
    catchSignal(SIGHUP);
}

bool quitSignalled() {
    return quitSignal != 0;
}
