#pragma once

#include "framework/core/text/TString.h"

#include "platform/files/DirectoryListing.h"

#include <vector>

// Lists the entries of one disk folder, in byte order of their names;
// "." and ".." are never reported. Used by the asset scan, the pack loader
// and the search for plug-in modules.
class TDirectoryIterator {
public:
    TDirectoryIterator() = default;
    explicit TDirectoryIterator(const char* path) { Start(path); }

    // Starts a listing of path ("folder", "folder/" and "folder\" alike; an
    // empty path lists the root). Null closes the listing. A folder that
    // cannot be listed gives no entries and false.
    bool Start(const char* path);
    // The next entry. With isDirectory null only files are reported;
    // otherwise it receives whether the entry is a folder.
    bool Next(TString& name, bool* isDirectory);
    // Whether the entry Next reported last is a symbolic link.
    bool LastWasLink() const { return mLastWasLink; }

private:
    std::vector<platform::DirectoryEntry> mEntries;
    size_t mNext = 0;
    bool mLastWasLink = false;
};
