#include "framework/graphics/texture/TTextureMemory.h"

#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"

namespace {

uint64_t gAllocated = 0;
uint64_t gMaxAllocated = 0;

void Publish() {
    SetSetting(TString("texture_ram_allocated"),
               TString::Format("%llu", static_cast<unsigned long long>(gAllocated)));
    SetSetting(TString("max_texture_ram_allocated"),
               TString::Format("%llu", static_cast<unsigned long long>(gMaxAllocated)));
}

} // namespace

void TTextureMemory::Add(uint64_t bytes) {
    gAllocated += bytes;
    if (gAllocated > gMaxAllocated)
        gMaxAllocated = gAllocated;
    Publish();
}

void TTextureMemory::Subtract(uint64_t bytes) {
    if (bytes > gAllocated) {
        // A release of more than was counted would wrap the figure round.
        LogPrintf("TTextureMemory: released %llu bytes with only %llu counted",
                  static_cast<unsigned long long>(bytes),
                  static_cast<unsigned long long>(gAllocated));
        gAllocated = 0;
    } else {
        gAllocated -= bytes;
    }
    Publish();
}

uint64_t TTextureMemory::GetAllocated() {
    return gAllocated;
}

uint64_t TTextureMemory::GetMaxAllocated() {
    return gMaxAllocated;
}

void TTextureMemory::Reset() {
    gAllocated = 0;
    gMaxAllocated = 0;
    Publish();
}
