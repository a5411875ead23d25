#pragma once

#include "framework/core/files/TBlockFile.h"
#include "framework/core/text/TString.h"

#include "platform/files/MappedFile.h"

#include <cstddef>
#include <memory>
#include <vector>

// The loaded packs and the files that read their entries. A pack's entries
// are named by locations "@index:offset,size"; index is the pack's place in
// the pack list, and a TFlatFileMap opened on such a location reads straight
// out of the pack's mapping. Reading and registering a pack's table is
// TPackFile's work.

// The mapping of one pack. Shared by the pack list and by every file opened
// from the pack, so it stays valid while any of them needs it.
class TFileMapData {
public:
    // Maps the disk file at a location (a path).
    bool Open(const TString& location);
    void Release() { mFile.Close(); }
    const unsigned char* GetData() const { return mFile.Data(); }
    size_t GetSize() const { return mFile.Size(); }

private:
    platform::MappedFile mFile;
};

// One loaded pack: its name as given to LoadPack and its mapping.
class TFileMapHandler {
public:
    // Takes the name and maps the disk file at the location the name
    // resolved to; false (no mapping) when that fails.
    bool Open(const TString& name, const TString& location);
    // Lets go of the mapping; files still open on it keep it alive.
    void Close() { mData.reset(); }
    const unsigned char* GetData() const { return mData ? mData->GetData() : nullptr; }
    size_t GetSize() const { return mData ? mData->GetSize() : 0; }
    const TString& GetName() const { return mName; }
    std::shared_ptr<TFileMapData> GetShared() const { return mData; }

private:
    std::shared_ptr<TFileMapData> mData;
    TString mName;
};

// The loaded packs; a pack's index here is the number in its locations.
std::vector<TFileMapHandler>& GetPackList();
// Forgets every pack (mappings go when their last open file closes).
void ClearPackList();

// A read-only file over one entry of a mapped pack.
class TFlatFileMap : public TBlockFile {
public:
    TFlatFileMap() = default;

    bool Open(const char* location, int32_t mode) override;
    void Close() override;
    void UngetByte() override;
    void Seek(int32_t offset, int32_t origin) override;
    int32_t Read(void* buffer, int32_t count) override;
    // Set by a read that asks for more than is left, cleared by a seek
    // that lands inside the entry or a step back.
    bool AtEnd() override { return mAtEnd; }

private:
    std::shared_ptr<TFileMapData> mPack;
    bool mAtEnd = true;
};
