#include "framework/core/files/TDirectoryIterator.h"

#include <string>

bool TDirectoryIterator::Start(const char* path) {
    mEntries.clear();
    mNext = 0;
    mLastWasLink = false;
    if (!path)
        return false;
    std::string folder(path);
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    if (folder.empty() || folder == "\\")
        folder.assign(1, '/');
    return platform::ListDirectory(folder, mEntries);
}

bool TDirectoryIterator::Next(TString& name, bool* isDirectory) {
    while (mNext < mEntries.size()) {
        const platform::DirectoryEntry& entry = mEntries[mNext++];
        if (!isDirectory && entry.isDirectory)
            continue;
        name = TString(entry.name);
        if (isDirectory)
            *isDirectory = entry.isDirectory;
        mLastWasLink = entry.isSymbolicLink;
        return true;
    }
    mEntries.clear();
    mNext = 0;
    return false;
}
