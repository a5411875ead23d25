#include "framework/core/files/TFileSystem.h"

#include "framework/core/log/TLog.h"

#include "platform/files/Folders.h"

#include <cstring>
#include <set>
#include <vector>

namespace {

struct FileSystemState {
    TNameTable names;
    std::set<TString, TStringByteLess> hidden;
    TString desktop;
    TString user;
    TString unwritableUser;
    TString common;
    TString assets = "assets";
};

FileSystemState& State() {
    static FileSystemState state;
    return state;
}

bool StartsWith(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
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

TString StripTrailingSlash(const TString& folder) {
    std::string text = folder.ToStd();
    while (text.size() > 1 && (text.back() == '/' || text.back() == '\\'))
        text.pop_back();
    return TString(text);
}

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
    State().desktop = StripTrailingSlash(folder);
}
void SetUserDataFolder(const TString& folder) {
    State().user = StripTrailingSlash(folder);
}
void SetCommonDataFolder(const TString& folder) {
    State().common = StripTrailingSlash(folder);
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
void SetUnwritableUserDataFolder(const TString& folder) {
    State().unwritableUser = folder.IsEmpty() ? TString() : StripTrailingSlash(folder);
}
TString GetUnwritableUserDataFolderText() {
    return State().unwritableUser;
}
void SetAssetsFolder(const TString& folder) {
    State().assets = StripTrailingSlash(folder);
}
TString GetAssetsFolder() {
    return State().assets;
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
    TString folder = folderText;
    folder.ToLower();
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
