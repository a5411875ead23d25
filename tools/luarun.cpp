// luarun: runs a script file of the game's script dialect through the
// script host, for trying scripts by hand.
//
//   luarun FILE
//
// FILE is a logical name (found under "assets/" and its packs, when the
// working directory has them) or a disk path. The file runs in a fresh
// script state with the host's globals; a file that returns a function
// starts it as the coroutine, which a task list on the real clock resumes
// about once a millisecond until the function ends or fails. What the
// script host writes to the debug log is copied to standard error at the
// end. The state has the game's libraries and, for the tool's own use, io,
// os and debug. Exits 0 when the file ran, 1 when it could not be found,
// compiled or run, or when its coroutine ended in an error.

#include "framework/core/files/TAssetScan.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/core/files/TPackFile.h"
#include "framework/core/log/TLog.h"
#include "framework/core/tasks/TTaskList.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/script/engine/LuaState.h"
#include "framework/script/host/TScript.h"
#include "platform/process/ProcessControl.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <system_error>

namespace {

// The debug log goes to a folder of its own for the run.
class RunLog {
public:
    RunLog() {
        std::string pattern = (std::filesystem::temp_directory_path() / "luarun-XXXXXX").string();
        if (::mkdtemp(pattern.data())) {
            mFolder = pattern;
            StartLog(mFolder.c_str());
        }
    }
    ~RunLog() {
        if (mFolder.empty()) {
            return;
        }
        StartLog(nullptr);
        std::ifstream in(std::filesystem::path(mFolder) / "logfile.txt", std::ios::binary);
        std::string text(std::istreambuf_iterator<char>(in), {});
        std::fputs(text.c_str(), stderr);
        std::error_code ignored;
        std::filesystem::remove_all(mFolder, ignored);
    }
    RunLog(const RunLog&) = delete;
    RunLog& operator=(const RunLog&) = delete;

private:
    std::string mFolder;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: luarun FILE\n");
        return 2;
    }
    RunLog log;
    std::error_code error;
    if (std::filesystem::is_directory(GetAssetsFolder().CStr(), error)) {
        InitFileSystem();
        LoadPacksInFolder(GetAssetsFolder(), GetNameTable());
    }
    TAssetManager assets;
    TString name = argv[1];
    if (!FileExists(name.CStr()) && !std::filesystem::is_regular_file(argv[1], error)) {
        std::fprintf(stderr, "luarun: cannot find %s\n", argv[1]);
        return 1;
    }

    // The script named on the command line is the user's own, wherever it is.
    LuaLetToolsReadAnywhere();
    TTaskList tasks;
    auto* script = new TScript;
    tasks.AddTask(script);
    if (!script->GetState() || !LuaOpenToolLibraries(script->GetState()) || !script->DoFile(name)) {
        std::fprintf(stderr, "luarun: %s did not run\n", argv[1]);
        return 1;
    }
    while (!script->IsSuspended()) {
        tasks.RunAll(0);
        platform::SleepMs(1);
    }
    if (script->CoroutineFailed()) {
        std::fprintf(stderr, "luarun: the coroutine of %s ended in an error\n", argv[1]);
        return 1;
    }
    return 0;
}
