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
// are left out. False with a reason when the folder cannot be listed, an
// entry is neither a folder nor a regular file (a FIFO, a device, a link
// to one) or a name is longer than 255 bytes.
bool CollectPackSources(const TString& folder, std::vector<TPackSource>& sources, TString& error);

// Writes a pack of the given entries. False with a reason when a file
// cannot be read (only regular files are), the pack would exceed 2 GB or
// the output cannot be written; a pack that was there before is then left
// as it was, and no new one is left behind.
bool WritePackFile(const TString& output, const std::vector<TPackSource>& sources, TString& error);
