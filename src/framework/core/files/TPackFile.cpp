#include "framework/core/files/TPackFile.h"

#include "framework/core/files/TByteOrder.h"
#include "framework/core/files/TDirectoryIterator.h"
#include "framework/core/files/TFile.h"
#include "framework/core/log/TLog.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

int32_t ReadInt32(const unsigned char* p) {
    return static_cast<int32_t>(ReadLittleEndian32(p));
}

constexpr int32_t kHeaderSize = 8;
constexpr int32_t kSmallestEntry = 1 + 4 + 4;

} // namespace

bool ParsePackTable(const unsigned char* data, size_t size, std::vector<TPackEntry>& entries,
                    TString& reason) {
    entries.clear();
    if (!data || size < static_cast<size_t>(kHeaderSize)) {
        reason = "too short for a header";
        return false;
    }
    if (std::memcmp(data, "NBPK", 4) != 0) {
        reason = "not a pack (no NBPK magic)";
        return false;
    }
    if (size > static_cast<size_t>(INT32_MAX)) {
        reason = "larger than 2 GB";
        return false;
    }
    int32_t count = ReadInt32(data + 4);
    if (count < 0) {
        reason = TString::Format("negative entry count %d", count);
        return false;
    }
    // Every entry takes at least nine bytes of the table.
    if (static_cast<int64_t>(count) * kSmallestEntry > static_cast<int64_t>(size) - kHeaderSize) {
        reason = TString::Format("entry count %d does not fit in %zu bytes", count, size);
        return false;
    }
    size_t pos = kHeaderSize;
    entries.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        if (pos + 1 > size) {
            reason = TString::Format("table ends inside entry %d", i);
            return false;
        }
        size_t length = data[pos++];
        if (pos + length + 8 > size) {
            reason = TString::Format("table ends inside entry %d", i);
            return false;
        }
        const char* name = reinterpret_cast<const char*>(data + pos);
        // A name ends at its first NUL byte, as a stored C text would.
        size_t nameLength = 0;
        while (nameLength < length && name[nameLength] != 0)
            ++nameLength;
        TPackEntry entry;
        entry.name = TString(name, nameLength);
        pos += length;
        entry.offset = ReadInt32(data + pos);
        entry.size = ReadInt32(data + pos + 4);
        pos += 8;
        if (entry.name.IsEmpty()) {
            reason = TString::Format("entry %d has no name", i);
            return false;
        }
        if (entry.offset < 0 || entry.size < 0 ||
            static_cast<int64_t>(entry.offset) + entry.size > static_cast<int64_t>(size)) {
            reason = TString::Format("entry %s (offset %d, size %d) lies outside the %zu bytes",
                                     entry.name.CStr(), entry.offset, entry.size, size);
            return false;
        }
        entries.push_back(std::move(entry));
    }
    return true;
}

void LoadPacksInFolder(const TString& folder, TNameTable& table) {
    std::vector<TString> names;
    TDirectoryIterator listing(folder.CStr());
    TString name;
    while (listing.Next(name, nullptr)) {
        if (name.Find(".nbp") >= 0)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    for (const TString& pack : names)
        LoadPack(table, TString("::") + folder + "/" + pack);
}

bool LoadPack(TNameTable& table, const TString& packName) {
    std::vector<TFileMapHandler>& packs = GetPackList();
    auto found = std::find_if(packs.begin(), packs.end(), [&](const TFileMapHandler& handler) {
        return handler.GetName().View() == packName.View();
    });
    size_t index = found != packs.end() ? static_cast<size_t>(found - packs.begin()) : packs.size();

    TString location = ResolvePath(packName.CStr(), true);
    if (location.IsEmpty())
        return false;

    // A pack on disk is mapped where its name leads and its table read out
    // of the mapping. Only a pack that cannot be mapped (one in memory, an
    // empty file) is read through the file layer, so that its entries still
    // say what went wrong when they are opened.
    TFileMapHandler handler;
    bool onDisk = location.CharAt(0) != '@' && location.CharAt(0) != '&';
    bool mapped = handler.Open(packName, onDisk ? location : TString());
    std::vector<unsigned char> copy;
    const unsigned char* data = handler.GetData();
    size_t size = handler.GetSize();
    if (!mapped) {
        TFile file;
        if (!file.Open(packName.CStr(), kFileReadBinary))
            return false;
        int32_t fileSize = file.GetSize();
        copy.resize(static_cast<size_t>(fileSize));
        if (file.Read(copy.data(), fileSize) != fileSize) {
            LogPrintf("Pack %s ignored: could not read it", packName.CStr());
            return false;
        }
        data = copy.data();
        size = copy.size();
    }

    // Nothing of a damaged pack is registered, and an earlier load of the
    // same pack stays as it was.
    std::vector<TPackEntry> entries;
    TString reason;
    if (!ParsePackTable(data, size, entries, reason)) {
        LogPrintf("Pack %s is damaged and was not loaded: %s", packName.CStr(), reason.CStr());
        return false;
    }
    if (!mapped) {
        LogPrintf("Failed to open flat file %s", packName.CStr());
        handler.Close();
    }
    // A pack loaded again takes back the names of its earlier table: their
    // offsets belong to the old contents and would read the wrong bytes of
    // the new ones.
    if (index < packs.size()) {
        TString stale = TString::Format("@%d:", static_cast<int>(index));
        for (auto it = table.begin(); it != table.end();) {
            if (it->second.View().starts_with(stale.View()))
                it = table.erase(it);
            else
                ++it;
        }
    }
    for (const TPackEntry& entry : entries) {
        table[NameKey(entry.name.CStr())] =
            TString::Format("@%d:%ld,%ld", static_cast<int>(index), static_cast<long>(entry.offset),
                            static_cast<long>(entry.size));
    }
    // Files open on an earlier mapping of this pack keep it alive.
    if (index < packs.size())
        packs[index] = std::move(handler);
    else
        packs.push_back(std::move(handler));
    return true;
}
