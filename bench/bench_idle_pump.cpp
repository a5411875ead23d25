// The idle loop of the event pump on the real window: take a message or wait
// up to 1 ms, for about three seconds with nothing happening. Prints the CPU
// time the loop used as a share of one core (target: below 2%) and how many
// passes it made. Runs on SDL's offscreen driver unless SDL_VIDEODRIVER says
// otherwise. For comparison it also runs a bare loop of 1 ms sleeps, the
// floor that any loop waking once a millisecond pays on this machine.

#include "platform/window/sdl/SdlWindow.h"

#include "support/CpuUse.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    platform::SdlWindow window;
    platform::WindowSpec spec;
    spec.caption = "bench_idle_pump";
    spec.width = 1024;
    spec.height = 768;
    if (!window.Create(spec)) {
        std::printf("cannot open the window: %s\n", window.LastError().c_str());
        return 1;
    }
    platform::WindowMessage message;
    while (window.PeekMessage(message)) {
    }

    using Clock = std::chrono::steady_clock;
    const auto length = std::chrono::seconds(3);
    long passes = 0, messages = 0, waits = 0;
    double cpuStart = ProcessCpuSeconds();
    Clock::time_point start = Clock::now();
    while (Clock::now() - start < length) {
        ++passes;
        if (window.PeekMessage(message)) {
            ++messages;
            continue;
        }
        ++waits;
        window.WaitMessage(1);
    }
    double wall = std::chrono::duration<double>(Clock::now() - start).count();
    double cpu = ProcessCpuSeconds() - cpuStart;
    std::printf("idle pump: %.2f s, %ld passes (%ld waits, %ld messages), %.0f passes/s\n", wall,
                passes, waits, messages, passes / wall);
    std::printf("idle pump CPU: %.3f s = %.2f%% of one core (target < 2%%)\n", cpu,
                100.0 * cpu / wall);

    long sleeps = 0;
    cpuStart = ProcessCpuSeconds();
    start = Clock::now();
    while (Clock::now() - start < length) {
        ++sleeps;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    wall = std::chrono::duration<double>(Clock::now() - start).count();
    cpu = ProcessCpuSeconds() - cpuStart;
    std::printf("bare 1 ms sleep loop: %ld passes, CPU %.3f s = %.2f%% of one core\n", sleeps, cpu,
                100.0 * cpu / wall);
    return 0;
}
