#include "framework/host/TDllGameState.h"

#include "framework/core/files/TFile.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/core/files/TPackFile.h"
#include "framework/core/log/TLog.h"

#include "platform/modules/SharedModule.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The real path (links followed) of an existing file or folder; empty when
// there is none.
fs::path RealPath(const std::string& path) {
    if (path.empty())
        return {};
    std::error_code error;
    fs::path real = fs::canonical(path, error);
    return error ? fs::path() : real;
}

// True when path lies somewhere below folder (both real paths).
bool IsBelow(const fs::path& path, const fs::path& folder) {
    if (folder.empty())
        return false;
    auto part = path.begin();
    for (const fs::path& level : folder) {
        if (part == path.end() || *part != level)
            return false;
        ++part;
    }
    return part != path.end();
}

// A prefix that names a file outside the assets folder; null when the name
// has none. A leading "assets/" is dropped first, as the resolver does.
const char* OutsidePrefix(const TString& name) {
    TString key = NameKey(name.CStr());
    while (key.View().starts_with("assets/"))
        key = key.Substring(7);
    for (const char* prefix : {"::", "user:", "common:", "desktop:"}) {
        if (key.View().starts_with(prefix))
            return prefix;
    }
    return nullptr;
}

// Where a module may be loaded from, once its location has been checked.
struct ModuleSource {
    bool allowed = false;
    bool inPack = false;
    std::string diskPath; // the real path of a module on disk
    std::string reason;   // why it was refused
};

// Whether a data folder puts the files below it off limits for modules. A
// data folder that holds the assets folder (the program folder, when the
// player's files are kept beside the program, or a folder above it) does
// not: what lies in the assets folder below it is the program's own.
bool GuardsFiles(const fs::path& data, const fs::path& assets) {
    return !data.empty() && !IsBelow(assets, data);
}

// The real path of a disk location when it is a file inside the assets
// folder and not inside one of the data folders; empty otherwise.
fs::path AssetFilePath(const TString& location, std::string& reason) {
    fs::path assets = RealPath(GetAssetsFolder().ToStd());
    if (assets.empty()) {
        reason = "the assets folder does not exist";
        return {};
    }
    fs::path file = RealPath(location.ToStd());
    if (file.empty()) {
        reason = "its file does not exist";
        return {};
    }
    if (!IsBelow(file, assets)) {
        reason = "its file " + file.string() + " is outside the assets folder";
        return {};
    }
    for (const TString& folder :
         {GetUserDataFolderText(), GetCommonDataFolderText(), GetDesktopFolderText()}) {
        fs::path data = RealPath(folder.ToStd());
        if (GuardsFiles(data, assets) && (file == data || IsBelow(file, data))) {
            reason = "its file " + file.string() + " is in a data folder";
            return {};
        }
    }
    std::error_code error;
    if (!fs::is_regular_file(file, error)) {
        reason = "it is not a plain file";
        return {};
    }
    return file;
}

ModuleSource CheckLocation(const TString& location) {
    ModuleSource source;
    if (location.IsEmpty()) {
        source.reason = "it names no file";
        return source;
    }
    char kind = location.CharAt(0);
    if (kind == '&') {
        source.reason = "it names a block of memory, not a file of the assets";
        return source;
    }
    if (kind != '@') {
        fs::path file = AssetFilePath(location, source.reason);
        source.allowed = !file.empty();
        source.diskPath = file.string();
        return source;
    }
    // A pack entry "@index:offset,size": the pack itself must be a file of
    // the assets folder.
    char* end = nullptr;
    unsigned long index = std::strtoul(location.CStr() + 1, &end, 10);
    const std::vector<TFileMapHandler>& packs = GetPackList();
    if (end == location.CStr() + 1 || *end != ':' || index >= packs.size()) {
        source.reason = "its pack entry " + location.ToStd() + " names no loaded pack";
        return source;
    }
    const TString& packName = packs[index].GetName();
    TString packLocation = ResolvePath(packName.CStr(), true);
    if (packLocation.IsEmpty() || packLocation.CharAt(0) == '@' || packLocation.CharAt(0) == '&') {
        source.reason = "its pack " + packName.ToStd() + " is not a file on disk";
        return source;
    }
    std::string packReason;
    if (AssetFilePath(packLocation, packReason).empty()) {
        source.reason = "its pack " + packName.ToStd() + " is refused: " + packReason;
        return source;
    }
    source.allowed = true;
    source.inPack = true;
    return source;
}

// Opens a module file that passed the location check and checks the file
// that was opened (its own path, as the system names it, and its kind), so
// what is loaded is what was checked. -1 with a reason otherwise.
int OpenCheckedFile(const std::string& path, std::string& reason) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        reason = "its file " + path + " cannot be opened: " + std::strerror(errno);
        return -1;
    }
    struct stat info;
    std::error_code error;
    fs::path opened = fs::read_symlink("/proc/self/fd/" + std::to_string(fd), error);
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || error) {
        reason = "its file " + path + " is not a plain file";
        close(fd);
        return -1;
    }
    if (opened.string() != path) {
        reason = "its file " + path + " was replaced while it was loaded";
        close(fd);
        return -1;
    }
    std::string openedReason;
    if (AssetFilePath(TString(opened.string()), openedReason) != opened) {
        reason = openedReason.empty() ? "its file changed while it was loaded" : openedReason;
        close(fd);
        return -1;
    }
    return fd;
}

// The whole of a file read through the file layer.
bool ReadWholeFile(const TString& name, std::vector<unsigned char>& bytes) {
    TFile file;
    if (!file.Open(name.CStr(), kFileReadBinary))
        return false;
    int32_t size = file.GetSize();
    if (size <= 0)
        return false;
    bytes.resize(static_cast<size_t>(size));
    return file.Read(bytes.data(), size) == size;
}

} // namespace

struct TDllGameState::ModuleRecord {
    platform::SharedModule module;
    TCreateHandlerFunction create = nullptr;
    TDestroyHandlerFunction destroy = nullptr;
    TGameStateHandler* handler = nullptr;
};

TDllGameState::TDllGameState() : mModule(std::make_unique<ModuleRecord>()) {}

TDllGameState::~TDllGameState() {
    Release();
}

void TDllGameState::Release() {
    ModuleRecord& record = *mModule;
    if (record.handler && record.destroy)
        record.destroy(record.handler);
    record.handler = nullptr;
    record.module.Unload();
    record.create = nullptr;
    record.destroy = nullptr;
}

bool TDllGameState::IsLoaded() const {
    return mModule->handler != nullptr;
}

bool TDllGameState::Load(const TString& fileName) {
    Release();
    const char* name = fileName.CStr();
    if (fileName.Find(".nbmod") < 0) {
        LogPrintf("Game-state module %s refused: plug-in modules are files named *.nbmod*", name);
        return false;
    }
    if (const char* prefix = OutsidePrefix(fileName)) {
        LogPrintf("Game-state module %s refused: modules load only from the assets folder or its "
                  "packs, not from a \"%s\" name",
                  name, prefix);
        return false;
    }
    ModuleSource source = CheckLocation(ResolvePath(name, true));
    if (!source.allowed) {
        LogPrintf("Game-state module %s refused: %s", name, source.reason.c_str());
        return false;
    }

    ModuleRecord& record = *mModule;
    bool loaded = false;
    if (!source.inPack) {
        // The file is opened and checked once more as opened: a path that
        // leads elsewhere by now must not get another file past the check.
        std::string reason;
        int fd = OpenCheckedFile(source.diskPath, reason);
        if (fd < 0) {
            LogPrintf("Game-state module %s refused: %s", name, reason.c_str());
            return false;
        }
        loaded = record.module.LoadOpenFile(fd);
    } else {
        std::vector<unsigned char> bytes;
        if (!ReadWholeFile(fileName, bytes)) {
            LogPrintf("Game-state module %s not loaded: cannot read it from its pack", name);
            return false;
        }
        loaded = record.module.LoadFromMemory(bytes.data(), bytes.size(), fileName.ToStd());
    }
    if (!loaded) {
        LogPrintf("Game-state module %s not loaded: %s", name, record.module.LastError().c_str());
        return false;
    }

    record.create =
        reinterpret_cast<TCreateHandlerFunction>(record.module.FindSymbol(kCreateHandlerExport));
    record.destroy =
        reinterpret_cast<TDestroyHandlerFunction>(record.module.FindSymbol(kDestroyHandlerExport));
    if (!record.create || !record.destroy) {
        LogPrintf("Game-state module %s not used: it does not export %s", name,
                  record.create ? kDestroyHandlerExport : kCreateHandlerExport);
        Release();
        return false;
    }
    record.handler = record.create();
    if (!record.handler) {
        LogPrintf("Game-state module %s not used: %s made no handler", name, kCreateHandlerExport);
        Release();
        return false;
    }
    LogPrintf("Game-state module %s loaded", name);
    return true;
}

bool TDllGameState::OnSetState(const char* name, const char* value) {
    return mModule->handler ? mModule->handler->OnSetState(name, value) : false;
}

const char* TDllGameState::OnGetState(const char* name, const char* value) {
    return mModule->handler ? mModule->handler->OnGetState(name, value) : value;
}

bool TDllGameState::QueryRestartMode() {
    return mModule->handler ? mModule->handler->QueryRestartMode() : false;
}

bool TDllGameState::QueryJumpToMenu() {
    return mModule->handler ? mModule->handler->QueryJumpToMenu() : false;
}

bool TDllGameState::QueryMuteGame() {
    return mModule->handler ? mModule->handler->QueryMuteGame() : false;
}

bool TDllGameState::QuerySuspendGame() {
    return mModule->handler ? mModule->handler->QuerySuspendGame() : false;
}
