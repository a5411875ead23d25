#pragma once

#include "framework/core/text/TString.h"

#include <vector>

// Builds pack files in the format that LoadPack reads (see TPackFile.h).
// Used by the pack tool and by tests that need packs.

struct TPackSource {
    TString name; // the entry name, "/" between folders
    TString path; // the disk file that provides the bytes
};

// Collects the files under a folder, in byte order, with names relative to
// it. Links that lead back into a folder being walked, and ".svn" folders,
// are left out. False with a reason when the folder cannot be listed or a
// name is longer than 255 bytes.
bool CollectPackSources(const TString& folder, std::vector<TPackSource>& sources, TString& error);

// Writes a pack of the given entries. False with a reason (and no pack
// left behind) when a file cannot be read, the pack would exceed 2 GB or
// the output cannot be written.
bool WritePackFile(const TString& output, const std::vector<TPackSource>& sources, TString& error);
