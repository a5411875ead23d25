#include "framework/script/engine/LuaState.h"

#include "framework/script/engine/LuaBaseLibrary.h"
#include "framework/script/engine/LuaBitwise.h"
#include "framework/script/engine/LuaStringLibrary.h"
#include "framework/script/engine/LuaTableLibrary.h"
#include "framework/script/engine/LuaTranslator.h"
#include "framework/script/engine/LuaTypeTables.h"
#include "framework/script/engine/LuaWideString.h"

#include "framework/core/files/TFile.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/core/log/TLog.h"
#include "platform/files/Folders.h"
#include "platform/paths/ProgramPath.h"
#include "platform/process/ProcessControl.h"

#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::atomic<size_t> gMemoryBudget{kLuaDefaultMemoryBudget};
std::atomic<int> gRunLimitMs{kLuaDefaultRunLimitMs};
std::atomic<unsigned> gProgressEpoch{0};
std::atomic<bool> gFilesAnywhere{false};

using Clock = std::chrono::steady_clock;

// What one state (and every coroutine thread of it) shares: the memory it
// holds, and what the run watchdog last saw. Made with the state; the
// allocator frees it with the state's last block.
struct StateAccount {
    size_t used = 0;
    size_t peak = 0;
    size_t budget = 0;
    bool opened = false; // lua_newstate gave the state back
    unsigned epoch = 0;
    Clock::time_point lastCheck{};
    Clock::duration busy{};
    int stepsLeft = kLuaRunCheckSteps; // of native work, until the next check
};

// Longer than the engine takes for kLuaRunCheckInstructions instructions
// even under the sanitizers.
constexpr std::chrono::milliseconds kNativeGap{250};

// Every block of a state passes here. Growing past the state's budget
// fails as the engine's "not enough memory" error; shrinking and freeing
// always succeed.
void* Allocate(void* data, void* block, size_t oldSize, size_t newSize) {
    StateAccount* account = static_cast<StateAccount*>(data);
    if (!block)
        oldSize = 0;
    if (newSize == 0) {
        std::free(block);
        account->used -= oldSize;
        // The main state's own block is the first made and the last freed.
        if (account->used == 0 && account->opened)
            delete account;
        return nullptr;
    }
    if (newSize > oldSize && newSize - oldSize > account->budget - account->used)
        return nullptr;
    void* grown = std::realloc(block, newSize);
    if (!grown)
        return nullptr;
    account->used = account->used - oldSize + newSize;
    if (account->used > account->peak)
        account->peak = account->used;
    return grown;
}

StateAccount* AccountOf(lua_State* L) {
    void* data = nullptr;
    lua_getallocf(L, &data);
    return static_cast<StateAccount*>(data);
}

// The clock the watchdog reads: the steady clock, or a test's own.
std::atomic<TLuaRunClock> gRunClock{nullptr};

Clock::time_point RunClockNow() {
    const TLuaRunClock clock = gRunClock.load(std::memory_order_relaxed);
    return clock ? clock() : Clock::now();
}

// The count hook: every kLuaRunCheckInstructions instructions of any
// thread of the state.
void RunWatchdog(lua_State* L, lua_Debug*) {
    LuaCheckRunTime(L);
}

// An error outside any protected call: nothing can catch it, so the
// process ends here (the engine would end it anyway when this returns).
int Panic(lua_State* L) {
    const char* message = lua_tostring(L, -1);
    if (!message)
        message = "(error object is not a string)";
    std::fprintf(stderr, "PANIC: unprotected error in call to Lua API (%s)\n", message);
    LogPrintf("PANIC: unprotected error in call to Lua API (%s)", message);
    std::fflush(nullptr);
    platform::ExitProcess(1);
}

// os.exit([code]): the process ends through the platform's process
// control, as every other exit of the program does.
int OsExit(lua_State* L) {
    int code = luaL_optint(L, 1, EXIT_SUCCESS);
    std::fflush(nullptr);
    platform::ExitProcess(code);
}

void OpenLibrary(lua_State* L, lua_CFunction open, const char* name) {
    lua_pushcfunction(L, open);
    lua_pushstring(L, name);
    lua_call(L, 1, 0);
}

// The values of a generic for pass through here: 5.0 ran a loop over a
// table t as a loop over the global table's next and t, keeping a third
// value as the first key. Anything else goes on unchanged.
int ForIn(lua_State* L) {
    if (lua_type(L, 1) != LUA_TTABLE)
        return lua_gettop(L);
    lua_settop(L, 3);
    lua_pushvalue(L, 1);
    lua_replace(L, 2);
    lua_pushliteral(L, "next");
    lua_rawget(L, LUA_GLOBALSINDEX);
    lua_replace(L, 1);
    return 3;
}

// The table that translated chunks receive: the run-time helpers of the
// dialect's operators, literals and generic loops.
void OpenDialectTable(lua_State* L) {
    lua_newtable(L);
    LuaRegisterBitwise(L, -1);
    lua_pushcfunction(L, LuaWideFromUtf16Bytes);
    lua_setfield(L, -2, "W");
    lua_pushcfunction(L, ForIn);
    lua_setfield(L, -2, "forin");
    lua_pushcfunction(L, LuaConcatRun);
    lua_setfield(L, -2, "cat");
    lua_setfield(L, LUA_REGISTRYINDEX, kLuaDialectName);
}

int OpenAll(lua_State* L) {
    OpenLibrary(L, luaopen_base, "");
    OpenLibrary(L, luaopen_table, LUA_TABLIBNAME);
    OpenLibrary(L, luaopen_string, LUA_STRLIBNAME);
    OpenLibrary(L, luaopen_math, LUA_MATHLIBNAME);
    // Order matters: the wide strings need the per-type tables, and the
    // base additions store every type's table under its registry name.
    LuaOpenTypeTables(L);
    LuaOpenWideStrings(L);
    LuaOpenStringAdditions(L);
    LuaOpenTableAdditions(L);
    LuaOpenBaseAdditions(L);
    OpenDialectTable(L);
    return 0;
}

int OpenTools(lua_State* L) {
    OpenLibrary(L, luaopen_io, LUA_IOLIBNAME);
    OpenLibrary(L, luaopen_os, LUA_OSLIBNAME);
    lua_getglobal(L, LUA_OSLIBNAME);
    lua_pushcfunction(L, OsExit);
    lua_setfield(L, -2, "exit");
    lua_pop(L, 1);
    OpenLibrary(L, luaopen_debug, LUA_DBLIBNAME);
    return 0;
}

// Runs the wrapper that a translation with run-time helpers came as: called
// with the dialect table, it gives the chunk's real function. This is part
// of loading, not of running the script: the thread's debug hook is off
// meanwhile, so a hook sees nothing of it and cannot make the load fail.
int Unwrap(lua_State* L) {
    lua_getfield(L, LUA_REGISTRYINDEX, kLuaDialectName);
    const lua_Hook hook = lua_gethook(L);
    const int hookMask = lua_gethookmask(L);
    const int hookCount = lua_gethookcount(L);
    if (hook)
        lua_sethook(L, nullptr, 0, 0);
    const int status = lua_pcall(L, 1, 1, 0);
    if (hook)
        lua_sethook(L, hook, hookMask, hookCount);
    if (status != 0)
        return status == LUA_ERRMEM ? LUA_ERRMEM : LUA_ERRSYNTAX;
    if (!lua_isfunction(L, -1)) {
        lua_pop(L, 1);
        lua_pushliteral(L, "translated chunk gave no function");
        return LUA_ERRSYNTAX;
    }
    return 0;
}

// A translated chunk reaches the dialect's helpers through an up-value;
// a dump keeps the up-value's name but not its value, so a precompiled
// chunk gets the dialect table back when it is loaded.
void BindDialect(lua_State* L) {
    for (int i = 1;; ++i) {
        const char* name = lua_getupvalue(L, -1, i);
        if (!name)
            return;
        lua_pop(L, 1);
        if (std::strcmp(name, kLuaDialectName) == 0) {
            lua_getfield(L, LUA_REGISTRYINDEX, kLuaDialectName);
            lua_setupvalue(L, -2, i);
        }
    }
}

bool Inside(const std::filesystem::path& path, const std::filesystem::path& root) {
    auto p = path.begin();
    for (auto r = root.begin(); r != root.end(); ++r, ++p) {
        if (r->empty() && std::next(r) == root.end())
            return true; // the trailing "/" of a folder
        if (p == path.end() || *p != *r)
            return false;
    }
    return true;
}

std::filesystem::path Canonical(const std::string& path) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error)
        return {};
    std::filesystem::path canonical = std::filesystem::weakly_canonical(absolute, error);
    return error ? std::filesystem::path() : canonical;
}

// What a script reaches on the disk: the program's folder, the assets
// folder and the player's data folders. Links are followed first, so a
// link inside them that leads out leads nowhere.
bool InsideGameFolders(const std::string& diskPath) {
    const std::filesystem::path target = Canonical(diskPath);
    if (target.empty())
        return false;
    const std::string roots[] = {platform::ProgramFolder(), GetAssetsFolder().ToStd(),
                                 GetUserDataFolderText().ToStd(),
                                 GetCommonDataFolderText().ToStd()};
    for (const std::string& root : roots) {
        if (root.empty())
            continue;
        const std::filesystem::path folder = Canonical(root);
        if (!folder.empty() && Inside(target, folder))
            return true;
    }
    return false;
}

// A name the file system did not open may still be a disk path
// ("../scripts/x.lua"), unless the hidden-name list hides it: that list
// must not be got round by reading the file from the disk instead.
bool MayReadFromDisk(const char* name) {
    if (std::strncmp(name, "::", 2) == 0 || !IsNameVisible(NameKey(name)))
        return false;
    return NameKey(name).View().substr(0, 7) != "assets/" || IsNameVisible(NameKey(name + 7));
}

const char* ErrorText(lua_State* L, int index) {
    const char* text = lua_tostring(L, index);
    return text ? text : "(error object is not a string)";
}

} // namespace

lua_State* LuaOpenState() {
    StateAccount* account = new StateAccount;
    account->budget = gMemoryBudget.load();
    lua_State* L = lua_newstate(Allocate, account);
    if (!L) {
        // A state that failed half made was freed before it was opened.
        delete account;
        return nullptr;
    }
    account->opened = true;
    lua_atpanic(L, Panic);
    // Coroutine threads take the hook of the state that makes them.
    lua_sethook(L, RunWatchdog, LUA_MASKCOUNT, kLuaRunCheckInstructions);
    if (lua_cpcall(L, OpenAll, nullptr) != 0) {
        LogPrintf("LuaOpenState: %s", ErrorText(L, -1));
        lua_close(L);
        return nullptr;
    }
    return L;
}

bool LuaOpenToolLibraries(lua_State* L) {
    if (!L)
        return false;
    if (lua_cpcall(L, OpenTools, nullptr) != 0) {
        LogPrintf("LuaOpenToolLibraries: %s", ErrorText(L, -1));
        lua_pop(L, 1);
        return false;
    }
    return true;
}

int LuaLoadBuffer(lua_State* L, const char* text, size_t size, const char* chunkName) {
    if (!chunkName)
        chunkName = "?";
    if (!text)
        size = 0;
    // A precompiled chunk skips the engine's checks of its code, so a
    // forged one reads and writes memory at will: only text is loaded.
    if (size > 0 && text[0] == LUA_SIGNATURE[0]) {
        LogPrintf("Lua: refused the precompiled chunk %s", chunkName);
        lua_pushfstring(L, "%s: precompiled chunks cannot be loaded", chunkName);
        return LUA_ERRSYNTAX;
    }
    int status = 0;
    bool wrapped = false;
    {
        TLuaTranslation translation =
            TranslateLuaSource(std::string_view(text ? text : "", size), chunkName);
        if (!translation.ok) {
            lua_pushlstring(L, translation.error.data(), translation.error.size());
            return LUA_ERRSYNTAX;
        }
        wrapped = translation.wrapped;
        status =
            luaL_loadbuffer(L, translation.source.data(), translation.source.size(), chunkName);
    }
    if (status != 0 || !wrapped)
        return status;
    return Unwrap(L);
}

int LuaLoadCompiled(lua_State* L, const char* code, size_t size, const char* chunkName) {
    if (!chunkName)
        chunkName = "?";
    if (!code || size == 0 || code[0] != LUA_SIGNATURE[0])
        return LuaLoadBuffer(L, code, size, chunkName);
    int status = luaL_loadbuffer(L, code, size, chunkName);
    if (status == 0)
        BindDialect(L);
    return status;
}

int LuaLoadFile(lua_State* L, const char* fileName) {
    if (!fileName) {
        lua_pushliteral(L, "cannot open (no file name)");
        return LUA_ERRFILE;
    }
    // Where the name leads: a disk path, or a pack entry or memory block,
    // which are the game's own.
    std::string diskPath;
    bool fromDisk = false;
    if (std::strncmp(fileName, "::", 2) == 0) {
        diskPath = fileName + 2;
    } else {
        TString location = ResolvePath(fileName, true);
        if (!location.IsEmpty()) {
            if (location.CStr()[0] != '@' && location.CStr()[0] != '&')
                diskPath = location.ToStd();
        } else if (MayReadFromDisk(fileName)) {
            diskPath = fileName;
            fromDisk = true;
        }
    }
    if (!diskPath.empty() && !gFilesAnywhere.load() && !InsideGameFolders(diskPath)) {
        // Said in the log only for a file that is there: the search path
        // tries names outside the folders as a matter of course.
        if (platform::CanRead(diskPath))
            LogPrintf("Lua: refused %s, it lies outside the game's folders", fileName);
        lua_pushfstring(L, "cannot open %s (outside the game's folders)", fileName);
        return LUA_ERRFILE;
    }
    std::vector<char> bytes;
    {
        TFile file;
        bool opened = !fromDisk && file.Open(fileName, kFileReadBinary);
        if (!opened && (fromDisk || MayReadFromDisk(fileName)))
            opened = file.Open((std::string("::") + fileName).c_str(), kFileReadBinary);
        if (!opened) {
            lua_pushfstring(L, "cannot open %s", fileName);
            return LUA_ERRFILE;
        }
        int32_t size = file.GetSize();
        bytes.resize(size > 0 ? static_cast<size_t>(size) : 0);
        if (size > 0 && file.Read(bytes.data(), size) != size) {
            lua_pushfstring(L, "cannot read %s", fileName);
            return LUA_ERRFILE;
        }
    }
    // A first line such as "#!/usr/bin/lua" is skipped by the translator,
    // as for every chunk of source.
    lua_pushfstring(L, "@%s", fileName);
    int status = LuaLoadBuffer(L, bytes.data(), bytes.size(), lua_tostring(L, -1));
    lua_remove(L, -2);
    return status;
}

// The run watchdog, asked by the count hook and by native code that runs
// long inside one call. The program's main loop moves the progress epoch
// on each pass; a script during which it stands still while the engine (or
// the pattern matcher) works for longer than the limit never gave control
// back, and is stopped with an error that names its file and line. Only
// the time between two checks close together counts: a long gap is time
// spent in other native code (a screen loading its pictures), not a loop
// of the script's. Without a main loop (tools, tests that never note
// progress) the epoch stays 0 and nothing is timed.
void LuaCheckRunTime(lua_State* L) {
    StateAccount* account = AccountOf(L);
    account->stepsLeft = kLuaRunCheckSteps;
    const unsigned epoch = gProgressEpoch.load(std::memory_order_relaxed);
    if (epoch == 0)
        return;
    const Clock::time_point now = RunClockNow();
    if (account->epoch != epoch) {
        account->epoch = epoch;
        account->lastCheck = now;
        account->busy = Clock::duration::zero();
        return;
    }
    const Clock::duration gap = now - account->lastCheck;
    account->lastCheck = now;
    if (gap < kNativeGap)
        account->busy += gap;
    const int limit = gRunLimitMs.load(std::memory_order_relaxed);
    if (limit <= 0 || account->busy < std::chrono::milliseconds(limit))
        return;
    // Once stopped, the next script of this pass gets its own time.
    account->busy = Clock::duration::zero();
    // The error leaves by a long jump: nothing here may need a destructor.
    // It names the nearest script function: the running one for the hook,
    // the caller for a native function such as string.find.
    lua_Debug frame;
    char where[LUA_IDSIZE + 16] = "?";
    for (int level = 0; lua_getstack(L, level, &frame); ++level) {
        if (lua_getinfo(L, "Sl", &frame) && frame.currentline > 0) {
            std::snprintf(where, sizeof where, "%s:%d", frame.short_src, frame.currentline);
            break;
        }
    }
    LogPrintf("Script stopped: %s ran for %d ms without yielding or returning", where, limit);
    // Not luaL_error: it would put the caller's place before this one.
    lua_pushfstring(L, "%s: script ran for %d ms without yielding or returning", where, limit);
    lua_error(L);
}

int& LuaRunStepsLeft(lua_State* L) {
    return AccountOf(L)->stepsLeft;
}

void LuaSetRunClock(TLuaRunClock clock) {
    gRunClock.store(clock);
}

void LuaNoteProgress() {
    unsigned epoch = gProgressEpoch.load(std::memory_order_relaxed) + 1;
    gProgressEpoch.store(epoch == 0 ? 1 : epoch, std::memory_order_relaxed);
}

void LuaLetToolsReadAnywhere() {
    gFilesAnywhere.store(true);
}

void LuaSetRunLimit(int milliseconds) {
    gRunLimitMs.store(milliseconds);
}

void LuaSetMemoryBudget(size_t bytes) {
    gMemoryBudget.store(bytes == 0 ? kLuaDefaultMemoryBudget : bytes);
}

void LuaCollectAfterMemoryError(lua_State* L) {
    // The engine collects step by step as it allocates; a state that just
    // ran into its budget is mostly garbage, which it would not get back
    // in time for the next script's first allocations.
    const StateAccount* account = AccountOf(L);
    LogPrintf("Lua: a script ran out of its memory budget (%zu bytes in use); collecting",
              account ? account->used : size_t{0});
    lua_gc(L, LUA_GCCOLLECT, 0);
}

TLuaMemory LuaGetMemory(lua_State* L) {
    TLuaMemory memory;
    if (StateAccount* account = L ? AccountOf(L) : nullptr) {
        memory.used = account->used;
        memory.peak = account->peak;
        memory.budget = account->budget;
    }
    return memory;
}

int LuaStatusTo50(int status) {
    switch (status) {
    case 0:
    case LUA_YIELD:
        return kLua50Ok;
    case LUA_ERRRUN:
        return kLua50ErrRun;
    case LUA_ERRSYNTAX:
        return kLua50ErrSyntax;
    case LUA_ERRMEM:
        return kLua50ErrMem;
    case LUA_ERRERR:
        return kLua50ErrErr;
    case LUA_ERRFILE:
        return kLua50ErrFile;
    default:
        return kLua50ErrRun;
    }
}

namespace {

// Hands a failed run's message to "_ALERT" and takes it off the stack.
void Alert(lua_State* L) {
    lua_getglobal(L, "_ALERT");
    if (lua_isfunction(L, -1)) {
        lua_insert(L, -2);
        // An _ALERT that fails itself must not take the process down.
        if (lua_pcall(L, 1, 0, 0) == 0)
            return;
        std::fprintf(stderr, "error in _ALERT: %s\n", ErrorText(L, -1));
        lua_pop(L, 1);
        return;
    }
    std::fprintf(stderr, "%s\n", ErrorText(L, -2));
    lua_pop(L, 2);
}

int RunLoaded(lua_State* L, int status) {
    if (status == 0)
        status = lua_pcall(L, 0, LUA_MULTRET, 0);
    if (status != 0)
        Alert(L);
    if (status == LUA_ERRMEM)
        LuaCollectAfterMemoryError(L);
    return LuaStatusTo50(status);
}

} // namespace

int LuaDoBuffer(lua_State* L, const char* text, size_t size, const char* chunkName) {
    return RunLoaded(L, LuaLoadBuffer(L, text, size, chunkName));
}

int LuaDoString(lua_State* L, const char* text) {
    if (!text)
        text = "";
    return LuaDoBuffer(L, text, std::strlen(text), text);
}

int LuaDoFile(lua_State* L, const char* fileName) {
    return RunLoaded(L, LuaLoadFile(L, fileName));
}

int LuaResume(lua_State* thread, int narg) {
    if (lua_status(thread) == 0) {
        lua_Debug frame;
        bool running = lua_getstack(thread, 0, &frame) != 0;
        int functionIndex = lua_gettop(thread) - narg;
        if (!running && (functionIndex < 1 || !lua_isfunction(thread, functionIndex))) {
            lua_settop(thread, 0);
            lua_pushliteral(thread, "cannot resume dead coroutine");
            return kLua50ErrRun;
        }
    }
    return LuaStatusTo50(lua_resume(thread, narg));
}

void LuaPushRegistryRef(lua_State* L, int n) {
    lua_rawgeti(L, LUA_REGISTRYINDEX, n);
}

void LuaPushIndex(lua_State* L, int index) {
    if (LuaIsRegistryRefIndex(index))
        LuaPushRegistryRef(L, kLuaRegistryRefBase - index);
    else
        lua_pushvalue(L, index);
}
