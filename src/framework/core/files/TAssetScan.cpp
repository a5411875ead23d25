#include "framework/core/files/TAssetScan.h"

#include "framework/core/files/TDirectoryIterator.h"
#include "framework/core/files/TDiskFileData.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/core/files/TPackFile.h"
#include "framework/core/log/TLog.h"

#include "platform/files/Folders.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Hidden-name lists larger than this are ignored.
constexpr int32_t kMaxHiddenListSize = 100000;

struct ScanState {
    bool firstPeek = false;
    bool hosted = false;
    // Folders of the scan in progress, so that links back into them are
    // not followed round in a loop.
    std::vector<platform::FolderId> scanning;
};

ScanState& State() {
    static ScanState state;
    return state;
}

TString Lower(const TString& text) {
    TString lower = text;
    lower.ToLower();
    return lower;
}

} // namespace

void SetFirstPeek(bool firstPeek) {
    State().firstPeek = firstPeek;
}
void SetHostedControl(bool hosted) {
    State().hosted = hosted;
}

void InitFileSystem() {
    ScanState& state = State();
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
    ScanAssetFolder(GetAssetsFolder(), "");
    if (!state.hosted) {
        TString user = GetUserDataFolderText();
        if (!user.IsEmpty())
            ScanAssetFolder(user, "user:");
        TString common = GetCommonDataFolderText();
        if (!common.IsEmpty())
            ScanAssetFolder(common, "common:");
    }
}

void ScanAssetFolder(const TString& folderText, const TString& prefixText) {
    ScanState& state = State();
    TNameTable& names = GetNameTable();
    const TString assets = GetAssetsFolder();
    TString folder = StripTrailingSlash(folderText);
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
    if (!prefixed && folder.View() == assets.View())
        LoadPacksInFolder(folder, names);

    TString relative;
    TString prefix = Lower(prefixText);
    if (!prefixed) {
        int length = assets.Length();
        if (folder.View().starts_with(assets.View()) &&
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
        if (!IsNameVisible(key))
            continue;
        TString path = folder + "/" + entry;
        if (!isDirectory) {
            names[key] = path;
        } else if (Lower(entry).View() != ".svn") {
            if (prefixed)
                ScanAssetFolder(path, prefix + entry + "/");
            else
                ScanAssetFolder(path, TString());
        }
    }
    state.scanning.pop_back();
}
