#include "framework/core/files/TFileSystem.h"

#include "framework/core/files/TDirectoryIterator.h"
#include "framework/core/files/TDiskFileData.h"
#include "framework/core/files/TPackFile.h"
#include "framework/core/log/TLog.h"

#include "platform/files/Folders.h"

#include <cstring>
#include <set>
#include <vector>

namespace {

// Hidden-name lists larger than this are ignored.
constexpr int32_t kMaxHiddenListSize = 100000;

struct FileSystemState {
    TNameTable names;
    std::set<TString, TStringByteLess> hidden;
    TString desktop;
    TString user;
    TString common;
    TString assets = "assets";
    bool firstPeek = false;
    bool hosted = false;
    // Folders of the scan in progress, so that links back into them are
    // not followed round in a loop.
    std::vector<platform::FolderId> scanning;
};

FileSystemState& State() {
    static FileSystemState state;
    return state;
}

TString WithoutTrailingSlash(const TString& folder) {
    std::string text = folder.ToStd();
    while (text.size() > 1 && (text.back() == '/' || text.back() == '\\'))
        text.pop_back();
    return TString(text);
}

bool StartsWith(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

TString Lower(const TString& text) {
    TString lower = text;
    lower.ToLower();
    return lower;
}

// True when a relative path has a ".." part, which would lead out of the
// data folder it is meant to name a file in.
bool LeavesFolder(const std::string& path) {
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t end = path.find('/', pos);
        if (end == std::string::npos)
            end = path.size();
        if (path.compare(pos, end - pos, "..") == 0 && end - pos == 2)
            return true;
        pos = end + 1;
    }
    return false;
}

// Pack entries and memory blocks are readable while registered; a disk
// location only while a readable file is there.
bool IsReadableLocation(const TString& location) {
    if (location.IsEmpty())
        return false;
    return location.CharAt(0) == '@' || location.CharAt(0) == '&' ||
           platform::CanRead(location.ToStd());
}

} // namespace

TString NameKey(const char* name) {
    TString key(name ? name : "");
    key.ToLower();
    if (key.FindChar('\\') >= 0)
        key.Replace("\\", "/", TString::kReplaceAll);
    return key;
}

TNameTable& GetNameTable() {
    return State().names;
}

void SetDesktopFolder(const TString& folder) {
    State().desktop = WithoutTrailingSlash(folder);
}
void SetUserDataFolder(const TString& folder) {
    State().user = WithoutTrailingSlash(folder);
}
void SetCommonDataFolder(const TString& folder) {
    State().common = WithoutTrailingSlash(folder);
}
TString GetDesktopFolderText() {
    return State().desktop;
}
TString GetUserDataFolderText() {
    return State().user;
}
TString GetCommonDataFolderText() {
    return State().common;
}
void SetAssetsFolder(const TString& folder) {
    State().assets = WithoutTrailingSlash(folder);
}
TString GetAssetsFolder() {
    return State().assets;
}
void SetFirstPeek(bool firstPeek) {
    State().firstPeek = firstPeek;
}
void SetHostedControl(bool hosted) {
    State().hosted = hosted;
}

TString ResolvePath(const char* name, bool forReading) {
    if (!name || !*name)
        return TString();
    FileSystemState& state = State();
    TString key = NameKey(name);

    auto found = state.names.find(key);
    if (found != state.names.end() && !found->second.IsEmpty()) {
        const TString& location = found->second;
        // A disk file named for writing may never have been made, or may
        // have been deleted since; reading must not find it then.
        if (forReading && !IsReadableLocation(location))
            return TString();
        return location;
    }

    if (StartsWith(name, "::")) {
        // The path is used as it stands, its case included.
        std::string path(name + 2);
        return platform::CanRead(path) && !platform::IsFolder(path) ? TString(path) : TString();
    }

    if (forReading && state.hidden.count(key))
        return TString();

    struct DataPrefix {
        const char* prefix;
        const TString& folder;
    };
    const DataPrefix prefixes[] = {
        {"user:", state.user}, {"common:", state.common}, {"desktop:", state.desktop}};
    for (const DataPrefix& data : prefixes) {
        size_t length = std::strlen(data.prefix);
        if (std::strncmp(key.CStr(), data.prefix, length) != 0)
            continue;
        // No folder: the name must not fall back on the root of the disk.
        if (data.folder.IsEmpty())
            return TString();
        std::string rest(name + length);
        for (char& c : rest) {
            if (c == '\\')
                c = '/';
        }
        if (rest.empty() || LeavesFolder(rest)) {
            LogPrintf("ResolvePath: refused %s, it names no file inside its folder", name);
            return TString();
        }
        std::string path = data.folder.ToStd() + "/" + rest;
        if (forReading && !platform::CanReadWrite(path))
            return TString();
        state.names[key] = TString(path);
        return TString(path);
    }

    if (StartsWith(key.CStr(), "assets/")) {
        // Resolved as for writing, as the rest of the name may be a data
        // folder name; reading still needs a file that is there.
        TString location = ResolvePath(name + 7, false);
        if (forReading && !IsReadableLocation(location))
            return TString();
        return location;
    }
    return TString();
}

bool FileExists(const char* name) {
    return !ResolvePath(name, true).IsEmpty();
}

void InitFileSystem() {
    FileSystemState& state = State();
    const char* listName = state.firstPeek ? "firstpeek.txt" : "final.txt";
    TDiskFileData list;
    if (list.Open(listName, kFileReadBinary)) {
        int32_t size = list.GetSize();
        if (size < kMaxHiddenListSize) {
            std::vector<char> text(static_cast<size_t>(size) + 1, 0);
            int32_t got = list.Read(text.data(), size);
            text[static_cast<size_t>(got > 0 ? got : 0)] = 0;
            ApplyHiddenNameList(text.data(), true);
        } else {
            LogPrintf("Ignored the hidden-name list %s: %d bytes is too large", listName, size);
        }
        list.Close();
    }
    ScanAssetFolder(state.assets, "");
    if (!state.hosted) {
        if (!state.user.IsEmpty())
            ScanAssetFolder(state.user, "user:");
        if (!state.common.IsEmpty())
            ScanAssetFolder(state.common, "common:");
    }
}

void ScanAssetFolder(const TString& folderText, const TString& prefixText) {
    FileSystemState& state = State();
    TString folder = WithoutTrailingSlash(folderText);
    bool prefixed = !prefixText.IsEmpty();

    platform::FolderId id;
    if (!platform::GetFolderId(folder.ToStd(), id))
        return;
    for (const platform::FolderId& open : state.scanning) {
        if (open == id) {
            LogPrintf("ScanAssetFolder: %s leads back into a folder being scanned; skipped",
                      folder.CStr());
            return;
        }
    }

    // Packs come first so that loose files of the same name replace their
    // entries. Only the assets folder itself holds packs.
    if (!prefixed && folder.View() == state.assets.View())
        LoadPacksInFolder(folder, state.names);

    TString relative;
    TString prefix = Lower(prefixText);
    if (!prefixed) {
        const TString& assets = state.assets;
        int length = assets.Length();
        if (StartsWith(folder.CStr(), assets.CStr()) &&
            (folder.Length() == length || folder.CharAt(length) == '/'))
            relative = Lower(folder.Substring(std::min(length + 1, folder.Length())));
        else
            relative = Lower(folder);
        if (!relative.IsEmpty())
            relative += '/';
    } else if (prefix.View() == ".") {
        prefix = TString();
    }

    TDirectoryIterator listing;
    if (!listing.Start(folder.CStr())) {
        LogPrintf("ScanAssetFolder: cannot list %s; its files are not registered", folder.CStr());
        return;
    }
    state.scanning.push_back(id);
    TString entry;
    bool isDirectory = false;
    while (listing.Next(entry, &isDirectory)) {
        TString key = prefix + relative + Lower(entry);
        if (state.hidden.count(key))
            continue;
        TString path = folder + "/" + entry;
        if (!isDirectory) {
            state.names[key] = path;
        } else if (Lower(entry).View() != ".svn") {
            if (prefixed)
                ScanAssetFolder(path, prefix + entry + "/");
            else
                ScanAssetFolder(path, TString());
        }
    }
    state.scanning.pop_back();
}

bool ApplyHiddenNameList(const char* text, bool add) {
    if (!text)
        return false;
    bool cleared = false;
    std::set<TString, TStringByteLess>& hidden = State().hidden;
    const char* p = text;
    while (*p) {
        while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n')
            ++p;
        const char* start = p;
        while (*p && *p != ' ' && *p != '\t' && *p != '\r' && *p != '\n')
            ++p;
        if (p == start)
            break;
        TString token(start, static_cast<size_t>(p - start));
        token.ToLower();
        if (token.View() == "-*") {
            hidden.clear();
            cleared = true;
        } else if (add) {
            hidden.insert(token);
        } else {
            hidden.erase(token);
        }
    }
    return cleared;
}

bool IsNameVisible(const TString& name) {
    return State().hidden.count(name) == 0;
}

bool NextRegisteredName(const TString& folderText, TString& name, bool recursive) {
    const TNameTable& names = State().names;
    TString folder = Lower(folderText);
    TString start = name.IsEmpty() ? folder : name;
    auto it = names.lower_bound(start);
    if (it != names.end() && !name.IsEmpty() && it->first.View() == name.View())
        ++it;
    if (it == names.end())
        return false;
    if (!recursive) {
        size_t skip = static_cast<size_t>(folder.Length()) + 1;
        while (it != names.end()) {
            std::string_view key = it->first.View();
            if (key.size() <= skip || key.substr(skip).find('/') == std::string_view::npos)
                break;
            ++it;
        }
        if (it == names.end())
            return false;
    }
    if (!StartsWith(it->first.CStr(), folder.CStr()))
        return false;
    name = it->first;
    return true;
}

void ClearNameRegistry() {
    State().names.clear();
    State().hidden.clear();
}
