#pragma once

#include "framework/core/files/TFileSystem.h"
#include "framework/core/files/TFlatFileMap.h"
#include "framework/core/text/TString.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Pack files (".nbp"): a flat archive of uncompressed entries.
//   "NBPK", count (i32 LE), then per entry: name length (u8), name bytes,
//   offset (i32 LE, from the start of the pack), size (i32 LE).
// A pack is mapped into memory once; its entries enter the name table as
// "@index:offset,size" and open as TFlatFileMap objects that read straight
// out of the mapping. Every entry is checked against the pack's size before
// anything of the pack is registered.

// One entry of a pack's table.
struct TPackEntry {
    TString name; // as stored
    int32_t offset = 0;
    int32_t size = 0;
};

// Reads and checks a pack's table from its bytes. False, with the reason,
// when the magic, the count or any entry does not fit in the data.
bool ParsePackTable(const unsigned char* data, size_t size, std::vector<TPackEntry>& entries,
                    TString& reason);

// Loads every pack of a folder (names containing ".nbp", in string order).
void LoadPacksInFolder(const TString& folder, TNameTable& table);
// Loads one pack ("::path" or a logical name); loading a pack of the same
// name again re-reads it at the same index.
bool LoadPack(TNameTable& table, const TString& packName);
