#include "framework/core/files/TFlatFileMap.h"

#include "framework/core/files/TFolder.h"
#include "framework/core/log/TLog.h"

#include <cstdint>

std::vector<TFileMapHandler>& GetPackList() {
    static std::vector<TFileMapHandler> packs;
    return packs;
}

void ClearPackList() {
    GetPackList().clear();
}

bool TFileMapData::Open(const TString& location) {
    Release();
    TString full = GetFullPath(location);
    if (full.IsEmpty() || !mFile.Open(full.ToStd())) {
        if (!mFile.LastError().empty())
            LogPrintf("Cannot map %s: %s", location.CStr(), mFile.LastError().c_str());
        return false;
    }
    return true;
}

bool TFileMapHandler::Open(const TString& name, const TString& location) {
    mName = name;
    auto data = std::make_shared<TFileMapData>();
    if (!data->Open(location)) {
        mData.reset();
        return false;
    }
    mData = std::move(data);
    return true;
}

bool TFlatFileMap::Open(const char* location, int32_t mode) {
    Close();
    if (!location || location[0] != '@')
        return false;
    const char* p = location + 1;
    unsigned long long index = 0;
    const std::vector<TFileMapHandler>& packs = GetPackList();
    if (!ParseLocationNumber(p, index) || packs.empty() || index >= packs.size())
        return false;
    std::shared_ptr<TFileMapData> pack = packs[index].GetShared();
    if (!pack || !pack->GetData()) {
        LogPrintf("error reading %s from flat file", location);
        return false;
    }
    unsigned long long offset = 0;
    unsigned long long size = 0;
    if (*p != ':')
        return false;
    ++p;
    if (!ParseLocationNumber(p, offset) || *p != ',')
        return false;
    ++p;
    if (!ParseLocationNumber(p, size))
        return false;
    // The location may come from an older table of a pack loaded again.
    if (offset > pack->GetSize() || size > pack->GetSize() - offset || size > INT32_MAX) {
        LogPrintf("error reading %s from flat file: outside the pack's %zu bytes", location,
                  pack->GetSize());
        return false;
    }
    mPack = std::move(pack);
    SetBlock(mPack->GetData() + offset, static_cast<int32_t>(size), mode);
    mAtEnd = false;
    return true;
}

void TFlatFileMap::Close() {
    mPack.reset();
    TBlockFile::Close();
    mAtEnd = true;
}

void TFlatFileMap::UngetByte() {
    TBlockFile::UngetByte();
    mAtEnd = false;
}

void TFlatFileMap::Seek(int32_t offset, int32_t origin) {
    if (SeekBlock(offset, origin))
        mAtEnd = false;
}

int32_t TFlatFileMap::Read(void* buffer, int32_t count) {
    if (count > 0 && static_cast<int64_t>(Tell()) + count > GetSize())
        mAtEnd = true;
    return TBlockFile::Read(buffer, count);
}
