#pragma once

// The start-up that the probes share: the whole game run on the offscreen
// display from a program folder of the run's own (the build's assets linked
// in, the probe's own "scripts/main.lua"), on a profile of its own, with an
// SDL window whose waits give the probe its turn instead of sleeping. The
// probe's own settings (its clock, its random source, what it installs
// before the game starts) stay in the probe.

#include "framework/app/TApplication.h"
#include "framework/app/TPlatform.h"
#include "framework/core/log/TLog.h"
#include "framework/core/prefs/TPrefsDB.h"
#include "framework/graphics/TGraphics.h"
#include "game/startup/GameWindowTypes.h"
#include "platform/desktop/sdl/SdlDesktop.h"
#include "platform/window/sdl/SdlWindow.h"
#include "velk/GameStartup.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

namespace probe {

// The SDL window of the game, whose waits call onWait (which moves the hand
// clock and does the probe's work) instead of sleeping, between two passes
// of the loop.
class ProbeWindow : public platform::SdlWindow {
public:
    std::function<void(uint32_t)> onWait;

    bool WaitMessage(uint32_t timeoutMs) override {
        if (onWait)
            onWait(timeoutMs);
        return SdlWindow::WaitMessage(0);
    }
};

// The build's assets folder: "assets" beside the folder of the program.
inline std::filesystem::path DefaultAssets() {
    std::error_code failed;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", failed);
    return failed ? std::filesystem::path("assets") : self.parent_path().parent_path() / "assets";
}

inline std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The program folder: the build's assets linked entry by entry, the
// scripts folder linked file by file but for main.lua, which is the
// probe's own.
inline bool LayOutProgramFolder(const std::filesystem::path& assets,
                                const std::filesystem::path& folder, const std::string& mainScript,
                                std::string& error) {
    namespace fs = std::filesystem;
    std::error_code failed;
    fs::create_directories(folder / "assets" / "scripts", failed);
    for (const fs::directory_entry& entry : fs::directory_iterator(assets, failed)) {
        const fs::path name = entry.path().filename();
        if (name == "scripts")
            continue;
        fs::create_symlink(entry.path(), folder / "assets" / name, failed);
        if (failed) {
            error = "cannot link " + entry.path().string() + ": " + failed.message();
            return false;
        }
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(assets / "scripts", failed)) {
        if (entry.path().filename() == "main.lua")
            continue;
        fs::create_symlink(entry.path(), folder / "assets" / "scripts" / entry.path().filename(),
                           failed);
    }
    std::ofstream(folder / "assets" / "scripts" / "main.lua") << mainScript;
    if (failed) {
        error = "cannot lay out the scripts: " + failed.message();
        return false;
    }
    return true;
}

// The run's folder under the temporary folder, empty, named after the
// tool and the process; the environment the game reads points into it: a
// profile of the run's own, the offscreen display, no sound device.
inline std::filesystem::path StartRunFolder(const char* tool) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() /
                          (std::string(tool) + "-" + std::to_string(static_cast<long>(getpid())));
    std::error_code failed;
    fs::remove_all(root, failed);
    setenv("HOME", root.c_str(), 1);
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", root.c_str(), 1);
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    return root;
}

// Runs the game from root/"game" until its main loop ends. Once the log
// runs, onWindow gets the window (the probe sets its onWait there);
// logPath gets the log's path. The window types and the start-up record
// are the game's. 0, or 1 when no main window could be made.
inline int PlayGame(const char* tool, const std::filesystem::path& root,
                    const std::function<void(ProbeWindow&)>& onWindow,
                    std::filesystem::path& logPath) {
    SetGameWindowTypes(GetGameWindowTypes());
    TPlatform::StartInfo start;
    start.allowMultiple = true;
    start.showCommand = 1;
    start.programFile = TString((root / "game" / "corvalo").string());
    auto* platformObject = new TPlatform(start);
    auto window = std::make_unique<ProbeWindow>();
    ProbeWindow* probeWindow = window.get();
    platformObject->SetWindowBackEnd(std::move(window), std::make_unique<platform::SdlDesktop>());
    platformObject->SetUpFolders(true);
    StartLog(platformObject->mUserDataFolder.CStr());
    logPath = GetLogFilePath().CStr();
    onWindow(*probeWindow);

    auto* application = new TApplication(platformObject);
    int status = 0;
    if (!application->CreateMainWindow()) {
        std::fprintf(stderr, "%s: no main window (SDL_VIDEODRIVER=%s)\n", tool,
                     std::getenv("SDL_VIDEODRIVER"));
        status = 1;
    } else {
        // A window, not the full screen of a fresh profile.
        TPrefsDB(true).SetInt("vlkVideo", 0, -1, true);
        application->InitSoundManager();
        TGraphics::Get();
        GameMain(application, "");
    }
    probeWindow->onWait = nullptr;
    delete application;
    StartLog(nullptr);
    SetGameWindowTypes({});
    return status;
}

// PlayGame with the probe made in prober, from args and the window, once
// the log runs; the probe's OnWait takes every wait of the loop.
template <typename Probe, typename... Args>
int PlayGameWithProbe(const char* tool, const std::filesystem::path& root,
                      std::optional<Probe>& prober, std::filesystem::path& logPath, Args&... args) {
    return PlayGame(
        tool, root,
        [&](ProbeWindow& window) {
            prober.emplace(args..., window);
            window.onWait = [&prober](uint32_t timeout) { prober->OnWait(timeout); };
        },
        logPath);
}

// Prints how many frames were written and where the log is, and the
// problems, a Lua error in the log among them; the run's status, 1 when
// there was a problem.
inline int ReportRun(const char* tool, std::vector<std::string> problems,
                     const std::vector<std::string>& written, bool framesRequired,
                     const std::filesystem::path& out, const std::filesystem::path& logPath,
                     int status) {
    if (ReadAll(logPath).find("Lua error") != std::string::npos)
        problems.push_back("the log holds a Lua error");
    if (framesRequired && written.empty())
        problems.push_back("no frame was written");
    std::printf("%zu frames in %s; the game's log: %s\n", written.size(), out.c_str(),
                logPath.c_str());
    for (const std::string& problem : problems)
        std::fprintf(stderr, "%s: %s\n", tool, problem.c_str());
    return problems.empty() ? status : 1;
}

} // namespace probe
