#include "framework/core/system/TComputerId.h"

#include "framework/core/log/TLog.h"
#include "platform/system/NetworkAdapters.h"
#include "platform/system/SystemRandom.h"

#include <algorithm>
#include <cstring>

bool NewGuid(TGuid& guid) {
    TGuid fresh;
    if (!platform::FillSystemRandom(fresh.bytes, sizeof fresh.bytes)) {
        LogPrintf("NewGuid: the system random source failed");
        guid = TGuid();
        return false;
    }
    // Version 4 in the high nibble of the third field (little-endian, byte 7),
    // the standard variant in the top bits of byte 8.
    fresh.bytes[7] = static_cast<uint8_t>((fresh.bytes[7] & 0x0F) | 0x40);
    fresh.bytes[8] = static_cast<uint8_t>((fresh.bytes[8] & 0x3F) | 0x80);
    guid = fresh;
    return true;
}

TString ComputerIdFromAddress(const uint8_t address[8]) {
    uint8_t a[8];
    std::memcpy(a, address, sizeof a);
    a[6] = a[3];
    a[7] = a[4];
    char id[17];
    for (int i = 0; i < 8; ++i) {
        uint8_t x = static_cast<uint8_t>(a[i] ^ a[(i + 1) % 8]);
        id[2 * i] = static_cast<char>((x & 31) + 64);
        id[2 * i + 1] = static_cast<char>((x >> 5) + i + 66);
    }
    id[16] = 0;
    return TString(id);
}

TString GetComputerId(const char* adapterRoot) {
    uint8_t address[8] = {};
    platform::AdapterAddress adapter;
    if (platform::FirstAdapterAddress(adapter, adapterRoot ? adapterRoot : "")) {
        std::copy_n(adapter.bytes.begin(), std::min<size_t>(adapter.bytes.size(), 8), address);
    } else {
        LogPrintf("GetComputerId: no network adapter address, using a random id");
        TGuid guid;
        NewGuid(guid);
        std::memcpy(address, guid.bytes, sizeof address);
    }
    return ComputerIdFromAddress(address);
}

TString GetComputerId() {
    return GetComputerId(platform::kNetworkAdapterRoot);
}
