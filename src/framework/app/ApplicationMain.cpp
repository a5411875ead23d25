#include "framework/app/ApplicationMain.h"

#include "framework/app/StartupTrace.h"
#include "framework/app/TApplication.h"
#include "framework/app/TPlatform.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/core/log/TLog.h"
#include "framework/core/settings/TCommandLine.h"
#include "framework/core/settings/TSettings.h"
#include "framework/graphics/TGraphics.h"
#include "framework/host/PortalInstallers.h"
#include "framework/host/TDllGameState.h"
#include "framework/host/TGameState.h"
#include "platform/log/PlatformLog.h"
#include "platform/modules/SharedModule.h"
#include "platform/paths/ProgramPath.h"
#include "platform/process/ProcessControl.h"
#include "platform/time/TimeSource.h"

#include "platform/desktop/Desktop.h"
#include "platform/window/Window.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

uintptr_t gHarnessWindow = 0;

// Kept loaded for the whole run: the command line it gave may live in it.
platform::SharedModule& HarnessModule() {
    static platform::SharedModule* const module = new platform::SharedModule;
    return *module;
}

// Step 1: lets the harness replace the command line; gives the window id
// it returned (0 without a harness).
uintptr_t RunTestHarness(const char*& commandLine) {
    platform::SharedModule& module = HarnessModule();
    if (!module.IsLoaded()) {
        std::string path = HarnessModulePath(platform::ProgramFolder());
        if (path.empty()) {
            // The debug log does not run yet: this goes to the platform's.
            platform::PlatformLog("No test harness: the program folder is not known");
            return 0;
        }
        if (!module.Load(path)) {
            return 0;
        }
    }
    auto hook = reinterpret_cast<TTestHook>(module.FindSymbol(kTestHookName));
    if (!hook) {
        return 0;
    }
    TraceStartup("harness");
    return hook(&commandLine);
}

// Step 16: every name at the top of the file-name table that contains
// ".nbmod". Only names of the assets folder and its packs count: names of
// the data folders carry their "user:", "common:" or "desktop:" prefix.
void LoadPlugInModules() {
    TString name;
    while (NextRegisteredName(TString(), name, false)) {
        if (name.Find(".nbmod") < 0 || name.FindChar(':') >= 0) {
            continue;
        }
        TDllGameState* state = new TDllGameState;
        if (state->Load(name)) {
            TGameState::AddHandler(state);
            TraceStartup("plug-in loaded");
        } else {
            delete state;
        }
    }
}

// The platform layer's lines, while the debug log runs.
void ForwardPlatformLine(const char* line) {
    LogPrintf("%s", line);
}

// Step 4 failed: the reason goes to standard error, since the log does not
// run yet, then the process ends with -1.
[[noreturn]] void EndForMissingHost(TPlatform* platform, const TString& value, const char* reason) {
    std::fprintf(stderr, "%s: cannot run hosted with \"-wnd=%s\": %s\n",
                 platform->GetProductName().CStr(), value.CStr(), reason);
    std::fflush(stderr);
    TraceStartup("host lost");
    delete platform;
    platform::ExitProcess(-1);
}

// Step 9 failed: without a main window the game cannot run. The reason goes
// to the log and to standard error, a message box says so where one can be
// shown, and the process ends with -1.
[[noreturn]] void EndWithoutMainWindow(TApplication* application, platform::LogSink previousSink) {
    TPlatform* platform = application->GetPlatform();
    std::string reason = platform->GetWindow() ? platform->GetWindow()->LastError() : "";
    std::fprintf(stderr, "%s: cannot create the main window: %s\n",
                 platform->GetProductName().CStr(), reason.empty() ? "unknown" : reason.c_str());
    std::fflush(stderr);
    if (platform::Desktop* desktop = platform->GetDesktop()) {
        desktop->ShowMessageBox("Error", kNoDisplayMessage,
                                platform::kMbOk | platform::kMbIconError);
    }
    TraceStartup("no main window");
    delete application;
    if (previousSink) {
        platform::SetLogSink(previousSink);
    }
    platform::ExitProcess(-1);
}

} // namespace

bool HasPqSwitch() {
    return TCommandLine::GetProcessCommandLine().HasSwitch("-pq=");
}

std::string HarnessModulePath(const std::string& programFolder) {
    if (programFolder.empty() || programFolder.back() != '/') {
        return std::string();
    }
    return programFolder + kHarnessModuleName;
}

uintptr_t GetHarnessWindow() {
    return gHarnessWindow;
}

void ApplicationMain(uintptr_t instance, uintptr_t, const char* commandLineText, int showCommand,
                     const TGameCallback& callback, bool allowMultiple) {
    TraceStartupToFileFromEnvironment();
    // 1.
    const char* text = commandLineText ? commandLineText : "";
    gHarnessWindow = RunTestHarness(text);
    TCommandLine commandLine(TString(text ? text : ""));
    TCommandLine::SetProcessCommandLine(commandLine);
    // 2.
    bool hostWindow = commandLine.HasSwitch("-wnd=");
    allowMultiple = allowMultiple || hostWindow || commandLine.HasSwitch("--multiple");
    // 3.
    std::srand((platform::TimerNow() * 8627u) % 104729u);
    TPlatform::StartInfo start;
    start.showCommand = showCommand;
    start.commandLine = commandLine.GetText();
    start.allowMultiple = allowMultiple;
    TPlatform* platform = new TPlatform(start);
    platform->mInstance = instance;
    // 4.
    if (hostWindow) {
        int fd = 0;
        TString value = commandLine.GetWord("-wnd=");
        bool named = platform::HostChannel::ParseHandle(value.ToStd(), fd);
        platform->mExternalParent = named ? static_cast<uintptr_t>(fd) : 0;
        platform->mHosted = 1;
        SetSetting(kSettingActiveX, "1");
        if (!named) {
            EndForMissingHost(platform, value,
                              "the value is not a host's socket descriptor in hexadecimal");
        }
        if (!platform->GetHostChannel().Attach(fd)) {
            TString reason = TString::Format("descriptor %d is not an open socket to a host", fd);
            EndForMissingHost(platform, value, reason.CStr());
        }
        TraceStartup("host");
    }
    // 5.
    if (commandLine.HasSwitch("-msn"))
        InstallMsnHandler();
    if (commandLine.HasSwitch("-quarrow"))
        InstallQuarrowHandler();
    if (commandLine.HasSwitch("-aol"))
        InstallAolHandler();
    // 6.
    if (commandLine.HasSwitch("--axtest")) {
        platform->mHosted = 1;
        platform->mAxTest = 1;
    }
    // 7.
    bool pageHosted = commandLine.HasSwitch("-pq=");
    bool useDataFolders = !(platform->mHosted && !pageHosted);
    platform->SetUpFolders(useDataFolders);
    // 8. The working directory's log line goes to the log started here, as
    // do the platform layer's lines from now on. Without the log they stay
    // on standard error.
    platform::LogSink previousSink = nullptr;
    if (useDataFolders && platform->HasWritableDataFolder()) {
        StartLog(platform->mUserDataFolder.CStr());
        previousSink = platform::SetLogSink(&ForwardPlatformLine);
        TraceStartup("log");
    }
    platform->ApplyWorkingDirectory(commandLine.GetText());
    // 9.
    TApplication* application = new TApplication(platform);
    if (!application->CreateMainWindow()) {
        EndWithoutMainWindow(application, previousSink);
    }
    // 10.
    if (platform->mAxTest) {
        platform->mExternalParent = platform->mMainWindow;
        SetSetting(kSettingActiveX, "1");
    }
    // 11.
    application->InitSoundManager();
    TGraphics::Get();
    TraceStartup("sound and graphics");
    // 12. Folders have no short form here.
    SetSetting(TSettingKey::kInstallKey, platform->mProgramFolder);
    SetSetting(kSettingStartupDir, platform->mStartupFolder);
    // 13. and 14.
    commandLine.StoreCheatCode();
    commandLine.StoreOptions();
    // 15.
    if (pageHosted)
        InstallMsnHandler();
    // 16.
    LoadPlugInModules();
    TraceStartup("plug-ins");
    // 17.
    if (TGameState* states = TGameState::GetInstance()) {
        states->SetState("cmdline", commandLine.GetText());
        states->SetState(kSettingCommonDataDir, platform->mCommonDataFolder);
        states->SetState(kSettingUserDataDir, platform->mUserDataFolder);
    }
    // 18.
    TraceStartup("callback");
    if (callback) {
        callback(application, commandLine.GetText().CStr());
    }
    platform->PostQuitTo(gHarnessWindow);
    delete application;
    if (previousSink) {
        platform::SetLogSink(previousSink);
    }
}
