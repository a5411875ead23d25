// The whole event pump with nothing happening: the application frame on the
// real SDL window (offscreen driver unless SDL_VIDEODRIVER says otherwise),
// a 1024 by 768 display and nothing to draw, for about three seconds. Prints
// the CPU time of the process (the helper thread included) as a share of one
// core (target: below 2%) and how the events were spread.

#include "framework/app/TApplication.h"
#include "framework/core/system/TEvent.h"
#include "framework/app/TPlatform.h"
#include "framework/core/settings/TSettings.h"

#include "support/CpuUse.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>

int main() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    SetSetting(TSettingKey::kGameName, "Corvalo");
    SetSetting(TSettingKey::kUtf8Mode, "1");
    TPlatform::StartInfo start;
    start.allowMultiple = true;
    TPlatform* platform = new TPlatform(start);
    // The program folder stands in for the data folders: nothing is written
    // to the user's.
    platform->SetUpFolders(false);
    TApplication* application = new TApplication(platform);
    if (!application->CreateMainWindow()) {
        std::printf("cannot open the main window\n");
        delete application;
        return 1;
    }
    application->SetDisplayMode(1024, 768, false);
    TEvent event;
    // The first call waits half a second for the host page.
    application->GetEvent(event);

    using Clock = std::chrono::steady_clock;
    std::map<uint32_t, long> counts;
    long calls = 0;
    double cpuStart = ProcessCpuSeconds();
    Clock::time_point begin = Clock::now();
    while (Clock::now() - begin < std::chrono::seconds(3)) {
        application->GetEvent(event);
        ++counts[event.type];
        ++calls;
    }
    double wall = std::chrono::duration<double>(Clock::now() - begin).count();
    double cpu = ProcessCpuSeconds() - cpuStart;
    std::printf("event pump: %.2f s, %ld events (%.0f/s):", wall, calls, calls / wall);
    for (const auto& [type, count] : counts) {
        std::printf(" type %u x%ld", type, count);
    }
    std::printf("\nevent pump CPU: %.3f s = %.2f%% of one core (target < 2%%)\n", cpu,
                100.0 * cpu / wall);
    delete application;
    return 0;
}
