// Feeds arbitrary bytes to the pack table reader: it must never read
// outside the data, and every entry it accepts must lie inside the data.

#include "framework/core/files/TPackFile.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<unsigned char> bytes(data, data + size); // exact size for ASan
    std::vector<TPackEntry> entries;
    TString reason;
    bool ok = ParsePackTable(bytes.data(), bytes.size(), entries, reason);
    if (ok != reason.IsEmpty())
        std::abort();
    for (const TPackEntry& entry : entries) {
        if (entry.offset < 0 || entry.size < 0 ||
            static_cast<uint64_t>(entry.offset) + static_cast<uint64_t>(entry.size) > size ||
            entry.name.IsEmpty())
            std::abort();
    }
    return 0;
}
