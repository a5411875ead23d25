#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// The hardware address of a network adapter.
struct AdapterAddress {
    std::string name;
    std::vector<uint8_t> bytes;
};

// The folder where the system lists its network adapters.
inline constexpr const char* kNetworkAdapterRoot = "/sys/class/net";

// The first adapter under root, in byte order of the names, that is not a
// loopback device and has a non-zero hardware address. Sorting makes the
// choice the same on every run. False (and out untouched) when there is
// none or root cannot be read.
bool FirstAdapterAddress(AdapterAddress& out, const std::string& root = kNetworkAdapterRoot);

// Reads an address written as hex pairs separated by ':' ("00:1a:2b:..").
// False for anything else.
bool ParseHardwareAddress(const std::string& text, std::vector<uint8_t>& bytes);

} // namespace platform
