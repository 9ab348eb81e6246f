#include "platform.h"

#include <chrono>
#include <thread>

int platformClock() {
    // Started on first use, which is the start-up of the program.
    static const std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    auto elapsed = std::chrono::steady_clock::now() - start;
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void platformSleep(int milliseconds) {
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
